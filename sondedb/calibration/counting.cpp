#include "sondedb/calibration/counting.h"

#include <chrono>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/sync/sync.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {
namespace {

constexpr unsigned kTimeoutText = 32107;
constexpr unsigned kCommErrorText = 32102;
constexpr unsigned kOpenPromptText = 32044;
constexpr unsigned kClosePromptText = 32043;
constexpr int16_t kOpenArms = 105;
constexpr int16_t kCloseArms = 135;
constexpr uint8_t kTimeLogging = 10;
constexpr uint32_t kArmPauseMs = 3000;
constexpr uint32_t kLoggingStartPauseMs = 200;
constexpr uint32_t kReadPauseMs = 10;

}  // namespace

CountingClock RealCountingClock() {
  return {[] { return TickCount(); },
          [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
}

int DecodePacketStatus(uint16_t status) {
  const unsigned low = status & 0xFF;
  const unsigned high = status >> 8;
  if (low == TB_STATUS_DATA && high == 0) return 1;
  if (low == TB_STATUS_NO_DATA) return 0;
  return 2;
}

void ShowDeviceStatus(uint16_t status) {
  const int low = status & 0xFF;
  const int high = status >> 8;
  if (low != 0)
    ReportMessage(DeviceErrorText(kUnitError, low), kErrorBox, 0);
  else if (high != 0)
    ReportMessage(DeviceErrorText(kProcessorError, high), kErrorBox, 0);
}

CalibrationCounter::CalibrationCounter(CountingDevice device, CountingClock clock, CountingView* view)
    : device_(device), clock_(std::move(clock)), view_(view ? view : &noView_) {}

uint16_t CalibrationCounter::Count(int physicalChannel) const {
  if (physicalChannel < 1 || physicalChannel > 12) return 0;
  const double v = averages_[static_cast<size_t>(physicalChannel - 1)];
  if (!(v > 0)) return 0;
  return v >= 65535.0 ? uint16_t{65535} : static_cast<uint16_t>(v);
}

bool CalibrationCounter::AboveCountRange(int physicalChannel) const {
  if (physicalChannel < 1 || physicalChannel > 12) return false;
  return averages_[static_cast<size_t>(physicalChannel - 1)] >= 65536.0;
}

// One device call under DeviceMutex, its status reported. A call whose wait
// for the mutex runs out is not made.
uint16_t CalibrationCounter::CallReported(const std::function<uint32_t()>& call) {
  uint16_t status = 0;
  {
    MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
    if (!guard.Acquired()) return 0;
    status = static_cast<uint16_t>(call() & 0xFFFF);
  }
  ShowDeviceStatus(status);
  return status;
}

void CalibrationCounter::SetLogging(LoggingModeBlock* block) {
  CallReported([&] { return device_.setLoggingMode ? device_.setLoggingMode(block) : 0u; });
}

int CalibrationCounter::ReadPacket(uint8_t toolType, SixChannelPacket* six, TwelveChannelRecord* twelve) {
  MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
  if (!guard.Acquired()) return 2;
  uint32_t status = TB_STATUS_NO_DATA;
  if (toolType == kTwelveChannelToolType) {
    if (device_.getTwelve) status = device_.getTwelve(twelve);
  } else if (device_.getSonde6ChannelPacket) {
    status = device_.getSonde6ChannelPacket(six, nullptr, 0);
  }
  return DecodePacketStatus(static_cast<uint16_t>(status & 0xFFFF));
}

void CalibrationCounter::CountPackets(const CountingSetup& setup, uint16_t seconds) {
  const std::string kept = view_->Prompt();
  LoggingModeBlock block{setup.comStd, setup.toolType, setup.timeStep, kTimeLogging, 0};
  view_->ShowProgress(seconds);
  view_->ShowRate(true);
  SetLogging(&block);
  clock_.sleep(kLoggingStartPauseMs);

  SixChannelPacket six{};
  TwelveChannelRecord twelve{};
  // Settling: the first packets after the start are read and dropped.
  const uint32_t settleStart = clock_.now();
  for (unsigned delivered = 0; delivered < kSettlePackets && clock_.now() - settleStart <= kSettleTimeoutMs;) {
    const int kind = ReadPacket(setup.toolType, &six, &twelve);
    if (kind == 1) ++delivered;
    if (kind != 0) clock_.sleep(kReadPauseMs);
    view_->Pump();
  }

  std::array<double, 12> sums{};
  packets_ = 0;
  timedOut_ = false;
  uint32_t lastData = clock_.now();
  // The unit's time stamps end the counting; a unit whose clock stands still
  // or runs back would keep it going for ever, so the counting also ends
  // once the requested time plus the no-data time-out has passed here.
  const uint32_t countStart = lastData;
  const uint32_t overallLimit = seconds * 1000u + kNoDataTimeoutMs;
  std::string shown = kept;
  std::string displayed = kept;
  uint16_t second = 0;
  uint16_t previousSecond = 0;
  bool rateUpdate = false;
  const size_t rateIndex = setup.channel >= 1 && setup.channel <= 12 ? static_cast<size_t>(setup.channel - 1) : 0;
  do {
    if (second > previousSecond && second > 0) {
      view_->StepProgress();
      previousSecond = second;
      rateUpdate = true;
    }
    if (shown != displayed) {
      view_->SetPrompt(shown);
      displayed = shown;
    }
    const int kind = ReadPacket(setup.toolType, &six, &twelve);
    if (kind == 1) {
      int32_t stamp = 0;
      if (setup.toolType == kTwelveChannelToolType) {
        for (size_t c = 0; c < 12; ++c) sums[c] += twelve.value[c];
        stamp = twelve.time;
      } else {
        if (six.rate == 0) six.rate = 50;
        for (size_t c = 0; c < 6; ++c) sums[c] += six.channel[c] * 50.0 / six.rate;
        stamp = six.time;
      }
      second = static_cast<uint16_t>(stamp / 1000);
      ++packets_;
      if (rateUpdate) {
        view_->SetRate(FormatC("%.2lf", sums[rateIndex] / packets_));
        rateUpdate = false;
      }
      lastData = clock_.now();
      shown = kept;
      if (lastData - countStart > overallLimit && second < seconds) {
        TimeOut(shown, displayed);
        break;
      }
      clock_.sleep(kReadPauseMs);
    } else {
      if (kind == 0)
        shown = kept;
      else
        shown = kept + LoadString(kCommErrorText);
      // Errors do not count as data: a unit that only answers with errors
      // (detached, failing) ends the counting like one that sends nothing.
      const uint32_t now = clock_.now();
      if (now - lastData > kNoDataTimeoutMs || now - countStart > overallLimit) {
        TimeOut(shown, displayed);
        break;
      }
      if (kind == 2) clock_.sleep(kReadPauseMs);
    }
    view_->Pump();
  } while (second < seconds);

  block.toolType = 0;
  block.mode = 0;
  SetLogging(&block);
  view_->HideProgress();
  averages_ = {};
  if (packets_ > 0)
    for (size_t c = 0; c < 12; ++c) averages_[c] = sums[c] / packets_;
  view_->ShowRate(false);
}

void CalibrationCounter::TimeOut(const std::string& shown, const std::string& displayed) {
  if (shown != displayed) view_->SetPrompt(shown);
  timedOut_ = true;
  ShowMessageBox(LoadString(kTimeoutText), "", MB_OK);
}

void CalibrationCounter::ArmCommand(const CountingSetup& setup, int16_t code, int repeats, unsigned promptId) {
  LoggingModeBlock block{setup.comStd, setup.toolType, 2000, kTimeLogging, 0};
  SetLogging(&block);
  for (int i = 0; i < repeats; ++i) {
    SondeCommandBlock command{code, 0, 0};
    CallReported([&] { return device_.sendSondeCommand ? device_.sendSondeCommand(&command) : 0u; });
  }
  view_->SetPrompt(LoadString(promptId));
  block.toolType = 0;
  block.mode = 0;
  SetLogging(&block);
  view_->Pump();
  clock_.sleep(kArmPauseMs);
}

void CalibrationCounter::OpenCaliper(const CountingSetup& setup) {
  ArmCommand(setup, kOpenArms, 5, kOpenPromptText);
  armsOpen_ = true;
}

void CalibrationCounter::CloseCaliper(const CountingSetup& setup) {
  ArmCommand(setup, kCloseArms, 10, kClosePromptText);
  armsOpen_ = false;
}

void CalibrationCounter::CloseOnAbort() {
  if (!armsOpen_) return;
  SondeCommandBlock command{kCloseArms, 0, 0};
  CallReported([&] { return device_.sendSondeCommand ? device_.sendSondeCommand(&command) : 0u; });
  armsOpen_ = false;
}

}  // namespace qv
