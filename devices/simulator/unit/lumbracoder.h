// The simulated Lumbracoder: a back end of the USB toolkit that behaves as the
// unit does on the wire. It checks every setup packet, answers every vendor
// request, keeps the unit's state, receives the firmware download and checks
// it packet by packet, and lets tests inject faults. It records every request
// it accepted (the journal) and every breach of the protocol it saw.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/simulator/unit/clock.h"
#include "devices/simulator/unit/flowmeter.h"
#include "devices/simulator/unit/well.h"
#include "platform/usb/usb.h"

namespace qv::sim {

// The ids the unit answers to on the bus.
constexpr uint16_t kUnitVendorId = 0x1209;
constexpr uint16_t kUnitProductId = 0x4C42;

// Vendor request codes (the wIndex of request 0x0C).
enum : uint8_t {
  kCmdLoggingMode = 0x40,
  kCmdSampleInterval = 0x41,
  kCmdConfigure = 0x42,
  kCmdSondePower = 0x43,
  kCmdSetCable = 0x44,
  kCmdGetCable = 0x45,
  kCmdIdentify = 0x46,
  kCmdSondeCommand = 0x47,
  kCmdWinch = 0x48,
  kCmdStatus = 0x49,
  kCmdSetDepth = 0x4B,
  kCmdWatchdog = 0x4D,
  kCmdSendWinch = 0x4E,
  kCmdAbsDepth = 0x50,
  kCmdLinkStart = 0x51,
  kCmdSonicConfig = 0x53,
};

// The televiewer's asynchronous logging mode and the time one turn of its
// head takes (one sweep each).
constexpr uint8_t kTeleviewerAsyncMode = 13;
constexpr uint64_t kTeleviewerTurnMs = 50;

// One accepted vendor request: the command code, its direction and the data
// that came with it (OUT) or went back (IN).
struct Request {
  uint8_t code = 0;
  bool in = false;
  std::vector<uint8_t> data;
};

// Faults to inject. Counters count down with each transfer they spoil.
struct Faults {
  bool absentAtOpen = false;  // Init finds no unit (attach it later with Attach)
  int failControl = 0;        // control transfers that fail
  int stallOut = 0;           // OUT control transfers that end with a stall (the request is still taken)
  int failStatusRequest = 0;  // status requests (0x49) that fail
  int failBulkRead = 0;       // bulk IN transfers that fail
  int shortBulkRead = 0;      // bulk IN transfers that deliver half the bytes
  int failBulkWrite = 0;      // bulk OUT (firmware) transfers that fail
  uint8_t secondStatus = 0;   // second status byte of every status reply
  int firstStatus = -1;       // when 0-255: first status byte of every status reply
};

// How the unit makes its data records.
struct DataOptions {
  bool pattern = false;        // sample values follow the record index (see sonde_data.h)
  size_t queueCapacity = 256;  // records the unit holds; more are lost and reported as overflow (status 12)
  bool overSpeed = false;      // the unit keeps up with only every second depth step
  bool keepDelivered = false;  // keep a copy of every record read (Delivered)
};

struct FirmwareImage {
  uint8_t code = 0;
  uint16_t words = 0;         // the word count of the first packet
  std::vector<uint8_t> data;  // the image bytes as received (whole packets)
  unsigned packets = 0;
  bool complete = false;
};

struct UnitState {
  int linkStarts = 0;
  int watchdogs = 0;
  int deviceResets = 0;
  int pipeResets = 0;
  bool interfaceSet = false;
  bool configured = false;
  std::array<uint8_t, 5> config{};
  bool logging = false;
  std::array<uint8_t, 7> loggingMode{};
  uint16_t sampleInterval = 0;
  std::array<uint8_t, 6> power{};
  std::array<uint8_t, 8> cable{};
  std::array<uint8_t, 8> identity{0x34, 0x12, 0x02, 0x01, 0x06, 0x01, 0x15, 0x00};
  std::array<uint8_t, 2> winch{};
  std::vector<uint8_t> sendWinch;  // every Send_Winch value, in order
  std::array<uint8_t, 7> sonicConfig{};
  int32_t depth = 0;     // depth counter, depth counts
  int32_t absDepth = 0;  // absolute encoder count
  int16_t rawTension = 0;
  // The analog status of every status reply: supply current in mA, supply
  // voltage in 4 V units, a third byte; set by each sonde power switch.
  std::array<uint8_t, 3> analog{};
};

// The configuration's depth unit byte as the library sends it for feet (metres: 16).
constexpr uint8_t kDepthUnitFeet = 80;
// Whether the unit was set up to count 0.05 ft a count (else 1 cm).
bool CountsFeet(const UnitState& state);

class Lumbracoder final : public qv::usb::Toolkit {
 public:
  explicit Lumbracoder(std::shared_ptr<Clock> clock = std::make_shared<RealClock>());
  ~Lumbracoder() override;

  // A unit set up from the [Lumbracoder] section of a scenario file (an INI
  // file that the simulated thermocouple logger reads too): Absent = 1,
  // Depth = counts, Tension = raw, Identity = eight hex bytes, Pattern = 1,
  // Queue = records; its [Well] section may choose another well (see Well).
  // Null with a message in error when the file cannot be read or a value is
  // bad.
  static std::unique_ptr<Lumbracoder> FromScenario(const std::string& path, std::string* error);

  // The toolkit side.
  qv::usb::Status Init(std::span<const qv::usb::MatchEntry> match, qv::usb::Callbacks callbacks) override;
  void Uninit() override;
  qv::usb::Status SetInterface(qv::usb::Device device, unsigned interfaceNumber, unsigned alternate) override;
  qv::usb::Status TransferDefaultPipe(qv::usb::Device device, bool read, uint8_t* buffer, uint32_t length,
                                      uint32_t* transferred, const qv::usb::SetupPacket& setup,
                                      uint32_t timeoutMs) override;
  qv::usb::Status TransferBulk(qv::usb::Device device, uint8_t pipe, bool read, uint8_t* buffer, uint32_t length,
                               uint32_t* transferred, uint32_t timeoutMs) override;
  qv::usb::Status ResetPipe(qv::usb::Device device, uint8_t pipe) override;
  qv::usb::Status ResetDevice(qv::usb::Device device) override;

  // Plugging and unplugging (the toolkit's callbacks run on the caller's thread).
  void Attach();
  void Detach();
  bool Attached() const;

  void SetFaults(const Faults& f);
  Faults GetFaults() const;
  UnitState State() const;
  void SetState(const UnitState& s);
  std::vector<Request> Journal() const;
  void ClearJournal();
  std::vector<std::string> ProtocolErrors() const;
  std::vector<FirmwareImage> Firmware() const;
  // All three images arrived whole, in order, with good checksums and counts.
  bool FirmwareLoaded() const;

  void SetDataOptions(const DataOptions& o);
  // The well the sondes read (the default well unless set).
  void SetWell(const Well& well);
  // The fluid flow the heat-pulse flowmeter measures.
  void SetFlow(const FlowScript& flow);
  // Turns the winch round (lowering becomes raising and back).
  void ReverseWinch();
  // The records read from the bulk pipe so far (with keepDelivered).
  std::vector<std::vector<uint8_t>> Delivered() const;

  // A data record for the next status request and bulk read.
  void QueueRecord(std::vector<uint8_t> bytes);
  size_t QueuedRecords() const;

  Clock& GetClock() const { return *clock_; }

 private:
  void ProtocolError(std::string what);
  void AdvanceModel();
  void StartLogging();
  void MakeRecord(uint64_t now);
  void HandleOut(uint8_t code, const uint8_t* data, uint32_t length);
  void HandleIn(uint8_t code, uint8_t reply[8]);
  qv::usb::Status ReceiveFirmware(const uint8_t* packet, uint32_t length);

  std::shared_ptr<Clock> clock_;
  mutable std::mutex m_;
  qv::usb::Callbacks callbacks_;
  bool initialised_ = false;
  bool attached_ = false;
  bool present_ = true;
  Faults faults_;
  UnitState state_;
  std::vector<Request> journal_;
  std::vector<std::string> errors_;
  std::vector<FirmwareImage> firmware_;
  std::deque<std::vector<uint8_t>> records_;
  uint64_t lastModelMs_ = 0;
  int64_t depthMilli_ = 0;
  uint8_t winchDirection_ = 0, winchSpeed_ = 0;  // thousandths of a depth count beyond state_.depth
  DataOptions data_;
  uint64_t loggingStartMs_ = 0;
  uint64_t lastRecordMs_ = 0;
  int32_t lastRecordDepth_ = 0;
  uint32_t recordIndex_ = 0;
  uint32_t crossings_ = 0;
  uint32_t segment_ = 0;  // the next segment of a waveform sonde's firing sequence in depth
  bool overflow_ = false;
  std::vector<std::vector<uint8_t>> delivered_;
  Well well_;
  HeatPulseFlowmeter flowmeter_;
};

}  // namespace qv::sim
