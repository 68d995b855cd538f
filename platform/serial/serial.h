// Serial ports as the thermocouple logger driver uses them: exclusive open,
// raw 9600 baud 8N1, bytes waiting, discard input, RTS on and off (the logger
// is powered through RTS) and writes with a time-out, on POSIX termios.
// COMn is /dev/ttyS(n-1) unless win.ini names another device for it.
// A fake port on a virtual clock lets tests drive a simulated device without
// real time passing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv {

// Milliseconds and sleeps; the program uses the system clock, tests a
// virtual one.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};
Clock& SystemClock();

// Time moves only when someone sleeps or advances it.
class VirtualClock : public Clock {
 public:
  uint32_t NowMs() override { return now_; }
  void SleepMs(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  std::atomic<uint32_t> now_{1000};
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Bytes that can be read at once; -1 when the port failed (device gone).
  virtual int BytesWaiting() = 0;
  // Reads up to MAX waiting bytes without waiting; -1 on failure.
  virtual int Read(uint8_t* buf, int max) = 0;
  // Writes all bytes within the write time-out; the count written, -1 on failure.
  virtual int Write(const uint8_t* data, int n) = 0;
  virtual void DiscardInput() = 0;
  // RTS on or off. A device that has no modem lines (a pseudo-terminal)
  // refuses the call; that is tolerated and still counts as done.
  virtual bool SetRts(bool on) = 0;
};

// The device path of COMn: win.ini [SerialDevices] COMn when present (or an
// override set by the process), else /dev/ttyS(n-1).
std::string SerialDevicePath(int com);
// Makes COMn use DEVICE in this process (the simulated logger's terminal);
// an empty DEVICE removes the override.
void SetSerialDeviceOverride(int com, const std::string& device);

// Opens DEVICE exclusively, raw 9600 8N1, no flow control, no character
// translation. Null on failure, with the reason in ERROR.
std::unique_ptr<SerialPort> OpenSerialDevice(const std::string& device, std::string* error = nullptr);
std::unique_ptr<SerialPort> OpenComPort(int com, std::string* error = nullptr);

// Side channel for devices without modem lines: every SetRts on DEVICE is
// also reported to the listener registered for it (the simulated logger
// learns about its power this way).
void SetRtsListener(const std::string& device, std::function<void(bool on)> listener);

// A port on a virtual clock for unit tests. The peer sees every byte written
// and every RTS change with the time they happened, and hands back the bytes
// that have reached the port by a given time.
class FakeSerialPort : public SerialPort {
 public:
  class Peer {
   public:
    virtual ~Peer() = default;
    virtual void Received(const uint8_t* data, size_t n, uint32_t nowMs) = 0;
    virtual void RtsChanged(bool on, uint32_t nowMs) = 0;
    virtual std::vector<uint8_t> Due(uint32_t nowMs) = 0;
    // True once the device is unplugged: the port then fails.
    virtual bool Gone() const { return false; }
  };
  struct Event {
    enum Kind { kWrite, kRts, kDiscard } kind;
    uint32_t atMs;
    int value;  // the byte written, or the RTS state
  };

  FakeSerialPort(Clock& clock, Peer& peer) : clock_(clock), peer_(peer) {}
  int BytesWaiting() override;
  int Read(uint8_t* buf, int max) override;
  int Write(const uint8_t* data, int n) override;
  void DiscardInput() override;
  bool SetRts(bool on) override;

  std::vector<Event> Events() const;
  std::vector<uint8_t> Written() const;

 private:
  void Pull();
  Clock& clock_;
  Peer& peer_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> input_;
  std::vector<Event> events_;
};

}  // namespace qv
