#include "monitor_thread.h"

#include <thread>

#include "app/core/device_services.h"
#include "logdoc/monitor/live_device.h"
#include "platform/trace/trace.h"

namespace qv {

MonitorTiming& MonitorTimingTable() {
  static MonitorTiming timing;
  return timing;
}

MonitorThread::MonitorThread(LiveDevice& device, MonitorSink* sink) : device_(device), sink_(sink) {}

MonitorThread::~MonitorThread() {
  if (!Stop(10000)) {
    // Every wait of the thread looks at the stop request: it ends after the
    // device call it is in.
    Trace("monitor thread did not end in time");
    thread_.Join();
  }
}

bool MonitorThread::Start(bool suspended) {
  stopping_ = false;
  return thread_.Start([this](Event& stop) { return Body(stop); }, suspended, ThreadPriority::Highest, "monitor");
}

void MonitorThread::Resume() {
  thread_.Resume();
}

void MonitorThread::LowerPriority() {
  thread_.SetPriority(ThreadPriority::BelowNormal);
}

bool MonitorThread::Stop(uint32_t timeoutMs) {
  if (!thread_.Started()) return true;
  stopping_ = true;
  return thread_.Stop(timeoutMs);
}

bool MonitorThread::Running() const {
  return thread_.Running();
}

void MonitorThread::ReportBars(int timeMs) {
  if (!sink_) return;
  const AnalogStatusBlock a = device_.AnalogStatus();
  sink_->UpdateStatus(timeMs, a.status1, a.status2, device_.ReceiverStatus());
  sink_->UpdateReadings(a.tension, device_.HeaderDepth(), device_.LogSpeedValue());
}

int MonitorThread::Body(Event& stop) {
  device_.SetCancel(&stopping_, std::this_thread::get_id());
  while (!stop.IsSet()) {
    const MonitorTiming t = MonitorTimingTable();
    uint32_t pause = t.statusMs;
    if (device_.Monitoring()) {
      const int word = device_.GetDepthReport(1);
      if ((word & 0xFF) == TB_STATUS_DATA) ReportBars(0);
      pause = t.depthMs;
    } else if (device_.ScopeMode()) {
      device_.GetScopeShot();
      device_.RefreshAnalogStatus();
      ReportBars(0);
      pause = t.scopeMs;
    } else if (device_.RefreshAnalogStatus() && sink_) {
      const AnalogStatusBlock a = device_.AnalogStatus();
      sink_->UpdateStatus(device_.Time(), a.status1, a.status2, device_.ReceiverStatus());
    }
    ++passes_;
    if (SleepOrStop(pause, stop)) break;
  }
  device_.SetCancel(nullptr, {});
  return 0;
}

namespace {
// A status word of a mode switch: its text in a box; false when bad.
bool ModeStatusGood(uint32_t status, bool examineHigh) {
  std::string text;
  if (status & 0xFF)
    FormatDeviceError(kUnitError, static_cast<int>(status & 0xFF), &text);
  else if (examineHigh && (status & 0xFF00))
    FormatDeviceError(kProcessorError, static_cast<int>((status >> 8) & 0xFF), &text);
  else
    return true;
  ReportMessage(text, kErrorBox);
  return false;
}
}  // namespace

bool StartLiveMonitoring(LiveDevice& device, MonitorThread& monitor, int sampleInterval) {
  if (!ModeStatusGood(device.SwitchLoggingOff(), true)) return false;
  if (!monitor.Start(true)) {
    ReportMessage(DeviceErrorText(kSystemError, kErrOperatingSystem), kErrorBox);
    return false;
  }
  SetProcessPriorityClass(ProcessPriorityClass::High);
  SetCurrentThreadPriority(ThreadPriority::Normal);
  if (!ModeStatusGood(device.SetSampleInterval(sampleInterval), false)) return false;
  if (!ModeStatusGood(device.EnterMonitorMode(), true)) return false;
  device.SetMonitoring(true);
  monitor.Resume();
  return true;
}

bool EndLiveMonitoring(LiveDevice& device, MonitorThread& monitor, uint32_t timeoutMs) {
  device.SetMonitoring(false);
  const bool ended = monitor.Stop(timeoutMs);
  device.EndMonitoring();
  return ended;
}

}  // namespace qv
