// The USB toolkit: the few operations the unit library needs, behind one
// interface with two back ends (libusb for a real unit, a simulated unit for
// development and tests). Transfers report a toolkit status: 0 for success,
// kStall when the device stalled the pipe, another non-zero value otherwise.
// Waits with time-outs use qv::Event (platform/sync).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace qv::usb {

using Status = uint32_t;
constexpr Status kSuccess = 0;
constexpr Status kFailed = 0xC0000001;    // the transfer failed
constexpr Status kNoDevice = 0xC0000002;  // no such device, or it is gone
constexpr Status kInvalid = 0xC0000003;   // a parameter was refused
constexpr Status kStall = 0xC0000004;     // the device stalled the pipe
constexpr Status kTimeout = 0xC0000005;   // no answer within the time-out
constexpr Status kShort = 0xC0000006;     // fewer bytes than asked for
constexpr Status kNotInitialised = 0xC0000007;

// One entry of the match table: the devices the caller wants to hear about.
// A zero class field matches any class.
struct MatchEntry {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint8_t deviceClass = 0;
  uint8_t deviceSubClass = 0;
  uint8_t interfaceClass = 0;
  uint8_t interfaceSubClass = 0;
  uint8_t interfaceProtocol = 0;
};

// An attached device as the back end knows it; opaque to the caller.
using Device = void*;

struct DeviceInfo {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

// Called on the back end's own thread (or on the caller's, for a device that
// is present at Init). attach returns true to accept the device.
struct Callbacks {
  std::function<bool(Device, const DeviceInfo&)> attach;
  std::function<void(Device)> detach;
};

// The setup packet of a control transfer, in USB byte order.
struct SetupPacket {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // Starts watching for matching devices; attach runs for each that appears.
  virtual Status Init(std::span<const MatchEntry> match, Callbacks callbacks) = 0;
  // Stops watching and releases every device.
  virtual void Uninit() = 0;
  virtual Status SetInterface(Device device, unsigned interfaceNumber, unsigned alternate) = 0;
  // A control transfer on the default pipe. read: data flows from the device.
  // transferred receives the number of data bytes moved.
  virtual Status TransferDefaultPipe(Device device, bool read, uint8_t* buffer, uint32_t length, uint32_t* transferred,
                                     const SetupPacket& setup, uint32_t timeoutMs) = 0;
  // A bulk transfer on pipe (endpoint address; bit 7 set for IN).
  virtual Status TransferBulk(Device device, uint8_t pipe, bool read, uint8_t* buffer, uint32_t length,
                              uint32_t* transferred, uint32_t timeoutMs) = 0;
  virtual Status ResetPipe(Device device, uint8_t pipe) = 0;
  virtual Status ResetDevice(Device device) = 0;
};

// The libusb back end. Devices come and go through libusb's hot-plug events
// where the platform has them, else the bus is scanned once at Init.
std::unique_ptr<Toolkit> CreateLibusbToolkit();

// The setup packet in wire order (8 bytes, little-endian words).
void EncodeSetup(const SetupPacket& setup, uint8_t out[8]);
SetupPacket DecodeSetup(const uint8_t in[8]);

// A short text for a toolkit status (for traces).
std::string StatusText(Status status);

// The toolkit's debug output: one trace line, "fmt" with one value.
void DebugPrint(const char* fmt, unsigned long value);

}  // namespace qv::usb
