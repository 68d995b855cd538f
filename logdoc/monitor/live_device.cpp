#include "live_device.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/sync/sync.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

constexpr unsigned kStrScopeModeFailed = 32473;

uint8_t Low(uint32_t status) {
  return static_cast<uint8_t>(status & 0xFF);
}
uint8_t High(uint32_t status) {
  return static_cast<uint8_t>((status >> 8) & 0xFF);
}

// DeviceMutex, waited for in slices so that a closing document need not
// wait out a worker's whole time-out.
class DeviceLock {
 public:
  template <class Cancelled>
  DeviceLock(Cancelled cancelled, uint32_t timeoutMs) {
    const uint32_t slice = std::max<uint32_t>(1, LiveDeviceTimingTable().lockSliceMs);
    const uint32_t start = TickCount();
    for (;;) {
      if (cancelled()) return;
      const uint32_t waited = TickCount() - start;
      if (waited >= timeoutMs) return;
      if (DeviceMutex.Lock(std::min(slice, timeoutMs - waited))) {
        acquired_ = true;
        return;
      }
    }
  }
  ~DeviceLock() {
    if (acquired_) DeviceMutex.Unlock();
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
  bool Acquired() const { return acquired_; }

 private:
  bool acquired_ = false;
};

}  // namespace

LiveDeviceTiming& LiveDeviceTimingTable() {
  static LiveDeviceTiming timing;
  return timing;
}

LiveDevice::LiveDevice() : scope_(std::make_unique<ScopeShot>()) {
  std::memset(scope_.get(), 0, sizeof(ScopeShot));
  scope_->trailer1 = 1;
}

LiveDevice::~LiveDevice() = default;

template <class F>
bool LiveDevice::Locked(F&& call, uint32_t* status) {
  DeviceLock lock([this] { return Cancelled(); }, kDeviceMutexWaitMs);
  if (!lock.Acquired()) return false;
  const uint32_t st = call() & 0xFFFF;
  if (status) *status = st;
  return true;
}

void LiveDevice::SetLoggingModeBytes(uint8_t comStd, uint8_t toolType) {
  comStd_ = comStd;
  toolType_ = toolType;
}

void LiveDevice::SetCancel(const std::atomic<bool>* cancel, std::thread::id worker) {
  std::lock_guard lk(cancelMutex_);
  cancel_ = cancel;
  cancelThread_ = worker;
}

bool LiveDevice::Cancelled() const {
  std::lock_guard lk(cancelMutex_);
  return cancel_ && cancelThread_ == std::this_thread::get_id() && cancel_->load();
}

int LiveDevice::ToHeaderUnits(int counts) {
  const int64_t units = static_cast<int64_t>(counts) * DepthFactor();
  return static_cast<int>(std::clamp<int64_t>(units, INT32_MIN, INT32_MAX));
}

int LiveDevice::DepthFactor() {
  return g_nDepthUnits ? 50 : 10;
}

bool LiveDevice::StatusText(uint32_t status, bool examineHigh, std::string* text) {
  if (Low(status)) {
    FormatDeviceError(kUnitError, Low(status), text);
    return true;
  }
  if (examineHigh && High(status)) {
    FormatDeviceError(kProcessorError, High(status), text);
    return true;
  }
  return false;
}

// A command's outcome: a refused lock or a bad word is reported with a beep
// to kind; a good word clears the message line of kinds 1 and 2.
bool LiveDevice::ReportCommand(bool locked, uint32_t status, int kind, bool examineHigh) {
  std::string text;
  bool bad = false;
  if (!locked) {
    FormatDeviceError(kSystemError, kErrOperatingSystem, &text);
    bad = true;
  } else {
    bad = StatusText(status, examineHigh, &text);
  }
  if (bad) {
    Beep();
    ReportMessage(text, kind);
    return false;
  }
  if (kind != kErrorBox) ReportMessage("", kind);
  return true;
}

uint32_t LiveDevice::SendModeLocked(uint8_t comStd, uint8_t toolType, int16_t value, uint8_t mode) {
  LoggingModeBlock block{comStd, toolType, value, mode, 0};
  uint32_t st = ::SetLoggingMode(&block) & 0xFFFF;
  // The call answers 0 whatever happened; the unit's answer is kept for the
  // analog status, which tells it.
  AnalogStatusBlock analog{};
  st |= ::GetAnalogStatus(&analog) & 0xFFFF;
  SetAnalogStatus(analog);
  return st;
}

uint32_t LiveDevice::SendMode(uint8_t comStd, uint8_t toolType, int16_t value, uint8_t mode) {
  uint32_t st = 0;
  if (!Locked([&] { return SendModeLocked(comStd, toolType, value, mode); }, &st)) return TB_STATUS_REQUEST_FAILED;
  return st;
}

uint32_t LiveDevice::SwitchLoggingOff() {
  return SendMode(0, 0, 0, 0);
}

uint32_t LiveDevice::SetSampleInterval(int interval) {
  uint32_t st = 0;
  if (!Locked([&] { return ::SetSampleInterval(static_cast<int16_t>(interval)); }, &st))
    return TB_STATUS_REQUEST_FAILED;
  return st;
}

uint32_t LiveDevice::EnterMonitorMode() {
  const uint32_t st = SendMode(comStd_, toolType_, 1000, 14);
  if (st == 0) monitoring_ = true;
  return st;
}

bool LiveDevice::EnterScopeMode() {
  uint32_t st = 0;
  const bool locked = Locked(
      [&] {
        // Under the lock, so the monitor thread turns between two device calls.
        scopeMode_ = true;
        monitoring_ = false;
        SendModeLocked(0, 0, 0, 0);
        const uint32_t s = SendModeLocked(12, toolType_, 3000, 12);
        std::this_thread::sleep_for(std::chrono::milliseconds(LiveDeviceTimingTable().scopeSwitchPauseMs));
        return s;
      },
      &st);
  if (locked && st == 0) return true;
  ShowMessageId(kStrScopeModeFailed);
  return false;
}

void LiveDevice::LeaveScopeMode() {
  scopeMode_ = false;
  SwitchLoggingOff();
}

void LiveDevice::EndMonitoring() {
  monitoring_ = false;
  SwitchLoggingOff();
}

bool LiveDevice::SetDepth(int depth) {
  const int32_t counts = depth / DepthFactor();
  uint32_t st = 0;
  const bool locked = Locked([&] { return ::Set_Depth(counts); }, &st);
  return ReportCommand(locked, st, kErrorBox, false);
}

bool LiveDevice::SetSondePower(const SondePowerBlock* power) {
  SondePowerBlock copy{};
  if (power && toolKind_ != 7) copy = *power;
  uint32_t st = 0;
  const bool locked = Locked([&] { return ::SetSondePower(&copy); }, &st);
  return ReportCommand(locked, st, kErrorBox, true);
}

bool LiveDevice::SendSondeCommand(const SondeCommandBlock* command) {
  if (!command) return false;
  SondeCommandBlock block = *command;
  uint32_t st = 0;
  const bool locked = Locked(
      [&] {
        ::SendSondeCommand(&block);
        ::SendSondeCommand(&block);
        const uint32_t s = ::SendSondeCommand(&block);
        sondeCommandTick_ = TickCount();
        sondeCommandPending_ = true;
        return s;
      },
      &st);
  const bool ok = ReportCommand(locked, st, kSondeMessageLine, true);
  if (!ok) ClearSondeCommand();
  return ok;
}

void LiveDevice::ClearSondeCommand() {
  sondeCommandPending_ = false;
  sondeCommandTick_ = 0;
}

bool LiveDevice::SetWinch(WinchControlBlock* block) {
  if (!block) return false;
  uint32_t st = 0;
  const bool locked = Locked([&] { return ::SetWinch(block); }, &st);
  return ReportCommand(locked, st, kWinchMessageLine, true);
}

bool LiveDevice::SetWinchMode(bool pause) {
  WinchControlBlock block{static_cast<uint8_t>(pause ? 3 : 0), 0};
  return SetWinch(&block);
}

void LiveDevice::ReadCableInterface(CableInterfaceBlock* block) {
  if (!block) return;
  Locked([&] { return ::GetCableIface(block); }, nullptr);
}

bool LiveDevice::SendCableInterface(CableInterfaceBlock* block) {
  if (!block) return false;
  uint32_t st = 0;
  if (!Locked([&] { return ::SetCableIface(block); }, &st)) return ReportCommand(false, 0, kErrorBox, true);
  // Both bytes can be wrong; each gets its box.
  bool ok = true;
  if (Low(st)) {
    Beep();
    ReportMessage(DeviceErrorText(kUnitError, Low(st)), kErrorBox);
    ok = false;
  }
  if (High(st)) {
    ReportMessage(DeviceErrorText(kProcessorError, High(st)), kErrorBox);
    Beep();
    ok = false;
  }
  return ok;
}

int LiveDevice::GetDepthReport(int16_t spare) {
  int depth = 0, time = 0;
  AnalogStatusBlock analog = AnalogStatus();
  uint32_t st = 0;
  int unasked = -1;
  // The modes are looked at holding DeviceMutex: a log that starts switches
  // the unit into its own mode under the same lock, and a depth report asked
  // of the unit after that would take the log's first record as its own.
  const bool locked = Locked(
      [&]() -> uint32_t {
        if (scopeMode_) unasked = TB_STATUS_NO_DATA;
        else if (!monitoring_) unasked = 11;
        else return ::GetDepthReport(&depth, &time, &analog, spare);
        return 0;
      },
      &st);
  if (!locked) return TB_STATUS_NO_DATA;
  if (unasked >= 0) return unasked;
  SetAnalogStatus(analog);
  const uint8_t low = Low(st), high = High(st);
  std::string text;
  if (low == TB_STATUS_DATA) {
    if (high) FormatDeviceError(kProcessorError, high, &text);
    depth_ = depth;
    speed_.Compute(ToHeaderUnits(depth), time);
  } else if (low == TB_STATUS_NO_DATA || low == TB_STATUS_DONE) {
    return static_cast<int>(st);  // nothing new to tell
  } else {
    FormatDeviceError(kUnitError, low, &text);
  }
  // A fault that lasts is reported once, and its end once.
  bool changed = false;
  {
    std::lock_guard lk(reportMutex_);
    changed = !depthTextShown_ || text != lastDepthText_;
    depthTextShown_ = true;
    lastDepthText_ = text;
  }
  if (changed) ReportMessage(text, kWinchMessageLine);
  return static_cast<int>(st);
}

void LiveDevice::GetScopeShot() {
  auto work = std::make_unique<ScopeShot>();
  std::memset(work.get(), 0, sizeof(ScopeShot));
  work->trailer1 = 1;
  uint32_t st = 0;
  if (!Locked([&] { return scopeMode_ ? ::GetScopeShot(work.get()) : 0u; }, &st)) return;
  const uint8_t low = Low(st);
  if (low == TB_STATUS_DATA) {
    if (!High(st)) {
      std::lock_guard lk(scopeMutex_);
      std::swap(scope_, work);
    }
    const ScopeShot& shot = High(st) ? *work : *scope_;
    depth_ = static_cast<int32_t>(shot.word0);
    speed_.Compute(ToHeaderUnits(depth_), static_cast<int>(shot.word1));
  } else if (low != TB_STATUS_NO_DATA && low != TB_STATUS_DONE) {
    SwitchLoggingOff();
    scopeMode_ = false;
  }
}

bool LiveDevice::RefreshAnalogStatus() {
  AnalogStatusBlock analog{};
  if (!Locked([&] { return ::GetAnalogStatus(&analog); }, nullptr)) return false;
  SetAnalogStatus(analog);
  return true;
}

AnalogStatusBlock LiveDevice::AnalogStatus() const {
  std::lock_guard lk(analogMutex_);
  return analog_;
}

void LiveDevice::SetAnalogStatus(const AnalogStatusBlock& status) {
  std::lock_guard lk(analogMutex_);
  analog_ = status;
}

void LiveDevice::CopyScopeShot(uint8_t* destination) const {
  if (!destination) return;
  std::lock_guard lk(scopeMutex_);
  std::memcpy(destination, scope_->sample, sizeof scope_->sample);
}

}  // namespace qv
