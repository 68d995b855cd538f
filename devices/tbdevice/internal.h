// The library's inner workings, shared by its source files and by the tests
// that drive it in-process: the library state, the timing table, the request
// loops and the seams through which tests choose the toolkit and folders.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/tbdevice/tbdevice.h"
#include "platform/sync/sync.h"
#include "platform/usb/usb.h"

namespace tbdev {

// Every time-out and pause of the library, in milliseconds. Tests shrink them.
struct Timing {
  uint32_t linkAttachWaitMs = 3000;       // InitialisePCMLink waits this long for the unit
  uint32_t requestAttachWaitMs = 10000;   // each try of a request waits this long for a detached unit
  uint32_t controlTimeoutMs = 10000;      // one control transfer
  uint32_t bulkTimeoutMs = 5000;          // one bulk transfer
  uint32_t linkStartPauseMs = 800;        // after the link-start request
  uint32_t libraryLockMs = 2000;          // the library mutex
  uint32_t firmwareImagePauseMs = 1000;   // after the program and the slave image
  uint32_t firmwarePacketPauseMs = 1;     // after every firmware packet
  uint32_t adapterPauseMs = 50;           // between the adapter commands
  uint32_t toolStartPauseMs = 750;        // before the tool start-up commands
  uint32_t toolStartRepeatPauseMs = 200;  // between the tool start-up commands
};
Timing& TimingTable();
void Pause(uint32_t ms);

// The unit's ids on the bus (a vendor id for open hardware and a product id
// of our own choosing; the unit's firmware answers to these).
constexpr uint16_t kVendorId = 0x1209;
constexpr uint16_t kProductId = 0x4C42;

// Vendor request codes.
enum : uint8_t {
  kReqLoggingMode = 0x40,
  kReqSampleInterval = 0x41,
  kReqConfigure = 0x42,
  kReqSondePower = 0x43,
  kReqSetCable = 0x44,
  kReqGetCable = 0x45,
  kReqIdentify = 0x46,
  kReqSondeCommand = 0x47,
  kReqWinch = 0x48,
  kReqStatus = 0x49,
  kReqSetDepth = 0x4B,
  kReqWatchdog = 0x4D,
  kReqSendWinch = 0x4E,
  kReqAbsDepth = 0x50,
  kReqLinkStart = 0x51,
  kReqSonicConfig = 0x53,
};

constexpr uint8_t kPipeBulkIn = 0x82;
constexpr uint8_t kPipeBulkOut = 0x02;

// Mode words (tool type << 8 | communication standard) treated specially.
constexpr uint16_t kModeFrequency6 = 0x119;
constexpr uint16_t kModeFullWave = 0x402;
constexpr uint16_t kModeFullWaveStart = 0x403;
constexpr uint16_t kModeTwelveSpeed = 0x81A;

struct LibraryState {
  // Link
  std::shared_ptr<qv::usb::Toolkit> toolkit;
  bool toolkitStarted = false;
  std::atomic<qv::usb::Device> device{nullptr};
  std::atomic<int> attached{0};
  std::unique_ptr<qv::Event> attachEvent;
  // Logging
  int logging = 0;
  uint16_t modeWord = 0;
  uint8_t modeByte = 0;
  // Status
  uint8_t lastFirst = 0, lastSecond = 0;
  uint8_t analog[3] = {0, 0, 0};
  int16_t rawTension = 0;
  double tensionOffset = 0.0, tensionScale = 1.0;
  int debugTrace = 0;
  std::atomic<int> diagnostic{0};
  // Configuration
  bool firstConfiguration = true;
  bool firmwareLoaded = false;
  bool winchStart = true;
  uint8_t depthUnitCode = 0;
  bool thermoPresent = false;
  bool waveProgramPresent = false;
  int sondeCommandCounter = 3;
  // Data reads: speed, minutes, televiewer, diagnostics
  int32_t prevDepth = 0, prevTime = 0;
  int32_t timeRing[20] = {}, depthRing[20] = {};
  int32_t timeSum = 0, depthSum = 0;
  int ringPos = 0;
  int speedHold = 100;
  float lastSpeed = 0;
  int32_t highestMinute = 0;
  int32_t tvPrevDepth = 0;
  bool tvFirstSweep = true;
  int32_t thermoCache[8] = {};
  int diagCalls = 0;
  int32_t diagDepth = 10000, diagTime = 0;
  // Full-wave sonic exchange
  int32_t writeOffset = 0;
  uint16_t nearPick = 0, farPick = 0, timeDifference = 0;
};
LibraryState& State();

// Load and unload of the library (the .so runs them from its constructor and
// destructor; in-process tests call them directly). Load fails when the shared
// block cannot be mapped.
bool LibraryLoad();
void LibraryUnload();
bool LibraryLoaded();
// Frees what the library keeps for the process (after the last unload).
void ReleaseGlobals();
// The shared waveform block (null before load).
SharedSonicBlock* SharedBlock();

// The toolkit InitialisePCMLink starts. By default: the simulated unit when
// QUORVANTA_SIMULATOR is set (a value other than "1" names a scenario file),
// else libusb.
using ToolkitFactory = std::function<std::shared_ptr<qv::usb::Toolkit>()>;
void SetToolkitFactory(ToolkitFactory factory);

// The folder of the calling program (where TENSION.TXT, ADAPTER.TXT, the
// marker files, the firmware images and the waveform program lie).
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);
// The path of a file in the program folder, found whatever its letter case;
// empty when there is none.
std::string FindProgramFile(const std::string& name);
// Replaces a file in the program folder as a whole (temporary file, rename).
bool WriteProgramFile(const std::string& name, const std::string& text);

// Firmware images built into the library (none unless the build names them).
struct EmbeddedImage {
  int resourceId;
  const uint8_t* data;
  size_t size;
};
void SetEmbeddedImages(std::vector<EmbeddedImage> images);
const EmbeddedImage* FindEmbeddedImage(int resourceId);

// The library mutex around the locked exports. A wait that times out leaves
// Acquired() false; the export then reports the library as busy.
class DeviceLock {
 public:
  DeviceLock();
  ~DeviceLock();
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
  bool Acquired() const { return acquired_; }

 private:
  bool acquired_ = false;
};

inline uint32_t Word(uint8_t first, uint8_t second) {
  return static_cast<uint32_t>(second) << 8 | first;
}
void StoreStatus(uint32_t word);

// The requests.
uint32_t VendorRequestIn(uint8_t code, uint8_t reply[8]);
uint32_t VendorRequestOut(uint8_t code, const uint8_t* data, uint16_t length);
uint32_t ReadStatusAndData(uint8_t* buffer, AnalogStatusBlock* status, uint32_t length);
int16_t TensionFromRaw(int16_t raw);
void FillAnalogStatus(AnalogStatusBlock* status);
void CloseUsbLink();
void DebugTrace(const char* fmt, unsigned long value);

// The firmware download of the first configuration: the three images in
// order. Returns 0, TB_STATUS_FIRMWARE_MISSING or TB_STATUS_REQUEST_FAILED.
uint32_t DownloadAllFirmware();
// One image (scrambled bytes as stored); 0 when every packet was delivered.
int DownloadFirmwareImage(const uint8_t* image, size_t size, uint8_t code);
// The keystream of the image scrambling, from its start value.
class Descrambler {
 public:
  uint8_t Next();

 private:
  uint32_t r_ = 5282;
};

// The thermocouple logger (libthrm32; tests install a fake).
struct ThermoLogger {
  std::function<int(int16_t port)> open;
  std::function<void(int16_t port)> close;
  std::function<int(int16_t port, int16_t bits)> setResolution;
  std::function<int(int16_t port, int16_t channel, char type, int16_t factor, int16_t offset, int16_t gain)> setChannel;
  std::function<int(long* value, int16_t port, int16_t channel, int16_t filtered)> getTemp;
};
// Binds the logger to libthrm32 unless one is installed already.
bool BindThermoLogger();
void SetThermoLogger(std::shared_ptr<ThermoLogger> logger);
ThermoLogger* Thermo();

// Resets the whole library state to what a fresh load gives (tests).
void ResetForTests();

}  // namespace tbdev
