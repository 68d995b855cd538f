// Counting a sonde's output against the unit for a calibration, and the
// caliper arm commands. Runs on the caller's thread and blocks it; every
// device call takes DeviceMutex on its own so the watchdog can interleave.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "devices/tbdevice/tbdevice.h"

namespace qv {

// The TBdevice operations counting uses (the program's library, or the
// in-process one in tests).
struct CountingDevice {
  uint32_t (*setLoggingMode)(LoggingModeBlock*) = nullptr;
  uint32_t (*getSonde6ChannelPacket)(SixChannelPacket*, AnalogStatusBlock*, int) = nullptr;
  uint32_t (*getTwelve)(TwelveChannelRecord*) = nullptr;
  uint32_t (*sendSondeCommand)(SondeCommandBlock*) = nullptr;
};
// The operations of the linked TBdevice (the caller links one).
inline CountingDevice LinkedCountingDevice() {
  CountingDevice d;
  d.setLoggingMode = &::SetLoggingMode;
  d.getSonde6ChannelPacket = &::GetSonde6ChannelPacket;
  d.getTwelve = &::GetTwelve;
  d.sendSondeCommand = &::SendSondeCommand;
  return d;
}

// Time as counting sees it: a millisecond tick and a pause.
struct CountingClock {
  std::function<uint32_t()> now;
  std::function<void(uint32_t)> sleep;
};
// qv::TickCount and a plain sleep.
CountingClock RealCountingClock();

// What counting shows while it runs. The defaults show nothing.
class CountingView {
 public:
  virtual ~CountingView() = default;
  virtual std::string Prompt() const { return {}; }
  virtual void SetPrompt(const std::string&) {}
  virtual void ShowProgress(unsigned /*range*/) {}
  virtual void StepProgress() {}
  virtual void HideProgress() {}
  virtual void ShowRate(bool /*shown*/) {}
  virtual void SetRate(const std::string&) {}
  // Lets the window repaint between reads (no user input).
  virtual void Pump() {}
};

// 1: a packet was delivered (low byte 6, high byte 0); 0: no data yet (low
// byte 5); 2: any other word.
int DecodePacketStatus(uint16_t status);
// Reports a status word's first byte, else its second, in an error box;
// 0 shows nothing.
void ShowDeviceStatus(uint16_t status);

// Tool type whose sondes deliver twelve float channels.
constexpr uint8_t kTwelveChannelToolType = 8;

struct CountingSetup {
  uint8_t comStd = 0;
  uint8_t toolType = 0;
  int16_t timeStep = 150;
  int channel = 1;  // physical channel (from 1) whose running rate is shown
};

class CalibrationCounter {
 public:
  CalibrationCounter(CountingDevice device, CountingClock clock, CountingView* view);

  // Counts for that many seconds of the unit's packet time and leaves the
  // mean rate per packet of each physical channel in Averages(). Gives up
  // after 10000 ms without a delivered packet (read errors included), with
  // the box "Timeout for data request!"; the averages then are those of the
  // packets counted so far. The same box ends a counting that has not reached
  // its seconds of packet time within those seconds plus 10000 ms of its own
  // clock (a unit whose time stamps stand still or run back).
  void CountPackets(const CountingSetup& setup, uint16_t seconds);
  const std::array<double, 12>& Averages() const { return averages_; }
  // A channel's count: its average truncated toward zero, 16 bits.
  uint16_t Count(int physicalChannel) const;
  // True when the channel's average is above the largest count (65535), so
  // Count() would give a clipped value.
  bool AboveCountRange(int physicalChannel) const;
  // Packets counted by the last run.
  unsigned Packets() const { return packets_; }
  // True when the last run ended by its time-out.
  bool TimedOut() const { return timedOut_; }

  // The arm commands: open sends 105 five times, close 135 ten times, under
  // a short logging mode, then waits 3000 ms.
  void OpenCaliper(const CountingSetup& setup);
  void CloseCaliper(const CountingSetup& setup);
  // On abort: sends the close command once when the arms were opened.
  void CloseOnAbort();
  bool ArmsOpen() const { return armsOpen_; }

  static constexpr uint32_t kNoDataTimeoutMs = 10000;
  static constexpr uint32_t kSettleTimeoutMs = 10000;
  static constexpr unsigned kSettlePackets = 15;

 private:
  uint16_t CallReported(const std::function<uint32_t()>& call);
  int ReadPacket(uint8_t toolType, SixChannelPacket* six, TwelveChannelRecord* twelve);
  void SetLogging(LoggingModeBlock* block);
  void TimeOut(const std::string& shown, const std::string& displayed);
  void ArmCommand(const CountingSetup& setup, int16_t code, int repeats, unsigned promptId);

  CountingDevice device_;
  CountingClock clock_;
  CountingView* view_;
  CountingView noView_;
  std::array<double, 12> averages_{};
  unsigned packets_ = 0;
  bool timedOut_ = false;
  bool armsOpen_ = false;
};

}  // namespace qv
