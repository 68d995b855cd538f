#include "sonde_test.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

constexpr unsigned kStrBadSequence = 32094;
constexpr unsigned kStrStatusText = 32225;

constexpr int kSegmentSamples = 48;

void Pause(uint32_t ms) {
  if (ms) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t SetMode(const LoggingModeBlock& block, uint32_t waitMs) {
  LoggingModeBlock copy = block;
  MutexGuard lock(DeviceMutex, waitMs);
  return SetLoggingMode(&copy) & 0xFFFF;
}

int DepthFactor() {
  return g_nDepthUnits ? 50 : 10;
}

int ClampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Replaces the first two "%s" of a table text.
std::string Fill2(std::string format, const std::string& a, const std::string& b) {
  for (const std::string* arg : {&a, &b}) {
    const size_t at = format.find("%s");
    if (at == std::string::npos) break;
    format.replace(at, 2, *arg);
  }
  return format;
}

}  // namespace

SondeTestPauses& TestPauses() {
  static SondeTestPauses pauses;
  return pauses;
}

// ---------------------------------------------------------------------------
SondeTestLayout LayoutForTool(int toolType, int comStd) {
  SondeTestLayout l;
  switch (toolType) {
    case 1:
    case 6:
    case 7:
    case 9:
      l.family = TestFamily::Channels;
      l.valueFields = true;
      l.enabledFields = 6;
      break;
    case 8:
      l.family = TestFamily::Channels;
      l.valueFields = true;
      l.enabledFields = 12;
      break;
    case 2:
      l.family = TestFamily::Televiewer;
      l.samples = 128;
      l.panels = {{"Amplitude", true}, {"Travel Time", true}};
      break;
    case 4:
    case 5:
      l.family = toolType == 4 ? TestFamily::FullWave : TestFamily::CementBond;
      l.samples = toolType == 4 ? 480 : 240;
      l.gap = 1;
      l.panels = {{"Near Receiver", false}, {"Far Receiver", false}};
      break;
    case 10:
      l.family = TestFamily::Sonic;
      l.zoomControls = true;
      l.gap = 1;
      if (comStd == 26) {
        l.samples = 512;
        l.panels = {{"Near Receiver", false}, {"Mid receiver", false}, {"Far receiver", false}};
      } else if (comStd == 28) {
        l.samples = 256;
        l.panels = {{"Near Receiver (TX1)", false},
                    {"Far receiver (TX1)", false},
                    {"Near Receiver (TX2)", false},
                    {"Far receiver (TX2)", false}};
      } else if (comStd == 27 || comStd == 29) {
        l.samples = 512;
        l.panels = {{"Near Receiver", false}, {"Far receiver", false}};
      }
      break;
    default:
      break;
  }
  return l;
}

std::vector<PanelRect> StackPanels(const PanelRect& area, int n, int gap) {
  std::vector<PanelRect> out;
  if (n <= 0) return out;
  const int h = std::max(0, (area.height - (n - 1) * gap) / n);
  for (int i = 0; i < n; ++i) out.push_back({area.x, area.y + i * (h + gap), area.width, h});
  return out;
}

// ---------------------------------------------------------------------------
SondeTestEngine::SondeTestEngine(int toolType, int comStd, LogDocumentShell* doc, SondeTestHost* host,
                                 std::vector<std::shared_ptr<SharedTrace>> traces)
    : toolType_(toolType),
      comStd_(comStd),
      layout_(LayoutForTool(toolType, comStd)),
      doc_(doc),
      host_(host),
      traces_(std::move(traces)) {}

SondeTestEngine::~SondeTestEngine() {
  run_ = false;
  if (worker_) worker_->Stop(kInfinite);
  for (auto& t : stale_) t->Join(kInfinite);
}

bool SondeTestEngine::StartStopTest(bool stop) {
  StopWorker();
  if (stop) {
    run_ = false;
    RestoreMonitorMode();
    return false;
  }
  run_ = true;
  bool ok = false;
  switch (layout_.family) {
    case TestFamily::Channels:
      ok = StartChannelTest();
      break;
    case TestFamily::Televiewer:
      ok = StartTeleviewerTest();
      break;
    case TestFamily::FullWave:
      ok = StartFwsTest();
      break;
    case TestFamily::CementBond:
      ok = StartCblTest();
      break;
    case TestFamily::Sonic:
      ok = StartSonicTest();
      break;
    case TestFamily::None:
      break;
  }
  run_ = ok;
  return ok;
}

bool SondeTestEngine::EnsureWorker() {
  if (worker_) return true;
  auto worker = std::make_unique<Thread>();
  if (!worker->Start([this](Event& stop) { return SondeTestThread(stop); }, true, ThreadPriority::Normal, "sonde test"))
    return false;
  worker_ = std::move(worker);
  return true;
}

// The common part of every start: a suspended worker, the priorities and the
// family's logging mode. The caller adds its step and resumes the worker.
bool SondeTestEngine::StartFamily(uint8_t comStd, uint8_t tool, int16_t value, uint8_t mode) {
  if (!EnsureWorker()) {
    Beep();
    ReportMessage(DeviceErrorText(kSystemError, kErrOperatingSystem), kErrorBox);
    return false;
  }
  // Priorities are best effort: a refused raise is no reason not to test.
  SetProcessPriorityClass(ProcessPriorityClass::High);
  SetCurrentThreadPriority(ThreadPriority::AboveNormal);
  worker_->SetPriority(ThreadPriority::TimeCritical);
  const uint32_t st = SetMode(LoggingModeBlock{comStd, tool, value, mode, 0}, kDeviceMutexShortWaitMs);
  if (st) {
    Beep();
    ShowDeviceError(st);
    // The worker never ran: it ends without a poll.
    worker_->Stop(TestPauses().joinMs);
    worker_.reset();
    return false;
  }
  return true;
}

bool SondeTestEngine::StartChannelTest() {
  const int step = g_nTimeStep;
  if (!StartFamily(static_cast<uint8_t>(comStd_), static_cast<uint8_t>(toolType_), static_cast<int16_t>(step), 10))
    return false;
  pollMs_ = std::max(1, step / 2);
  worker_->Resume();
  return true;
}

bool SondeTestEngine::StartTeleviewerTest() {
  const int step = g_nDepthUnits ? g_nDepthStepImperial / 50 : g_nDepthStepMetric / 10;
  if (!StartFamily(5, 2, static_cast<int16_t>(step), 13)) return false;
  pollMs_ = 20;
  worker_->Resume();
  return true;
}

// A waveform record comes as ten (cement bond) or twenty (full-wave sonic)
// segments every 300 ms, one segment per read: polling once a second would
// leave the unit's buffer to overflow and show a trace every twenty seconds.
constexpr int kSegmentPollMs = 10;

void SondeTestEngine::ResetSegmentOrder() {
  for (int r = 0; r < 2; ++r) {
    lastSegment_[r] = 0;
    seenSegment_[r] = runFromZero_[r] = turnDone_[r] = false;
  }
  sequenceHeld_ = false;
}

bool SondeTestEngine::StartFwsTest() {
  ResetSegmentOrder();
  if (!StartFamily(2, 4, 300, 10)) return false;
  pollMs_ = kSegmentPollMs;
  worker_->Resume();
  return true;
}

bool SondeTestEngine::StartCblTest() {
  ResetSegmentOrder();
  if (!StartFamily(3, 5, 300, 10)) return false;
  pollMs_ = kSegmentPollMs;
  worker_->Resume();
  return true;
}

bool SondeTestEngine::StartSonicTest() {
  if (!StartFamily(static_cast<uint8_t>(comStd_), 10, 500, 10)) return false;
  {
    SonicConfigBlock config = g_SonicConfig;
    MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
    SendConfig(&config);
  }
  pollMs_ = 20;
  worker_->Resume();
  return true;
}

int SondeTestEngine::StopWorker() {
  if (doc_) doc_->SetMonitoring(false);
  Pause(TestPauses().stopMs);
  // The worker ends at its next check of the run flag or the stop event; a
  // device call it is in finishes first (it holds DeviceMutex meanwhile).
  run_ = false;
  if (worker_) {
    if (!worker_->Stop(TestPauses().joinMs)) {
      Trace("sonde test: the worker did not end within %u ms\n", TestPauses().joinMs);
      // It ends after its device call; the engine waits for it when it goes.
      stale_.push_back(std::move(worker_));
    }
    worker_.reset();
  }
  SetProcessPriorityClass(ProcessPriorityClass::Normal);
  const uint32_t st = SetMode(LoggingModeBlock{}, kDeviceMutexShortWaitMs);
  if (st) {
    Beep();
    ShowDeviceError(st);
    return 0;
  }
  return 1;
}

int SondeTestEngine::RestoreMonitorMode() {
  if (!doc_) return 0;
  Pause(TestPauses().restoreMs);
  const uint32_t st = SetMode(LoggingModeBlock{doc_->ComStd(), doc_->ToolType(), 1000, 14, 0}, kDeviceMutexWaitMs);
  doc_->SetMonitoring(true);
  if (st & 0xFF) {
    Beep();
    ReportMessage(DeviceErrorText(kUnitError, static_cast<int>(st & 0xFF)), kWinchMessageLine);
  }
  if (st >> 8) {
    Beep();
    ReportMessage(DeviceErrorText(kProcessorError, static_cast<int>(st >> 8)), kWinchMessageLine);
  }
  return 1;
}

void SondeTestEngine::ShowDeviceError(uint32_t status) {
  if (!host_) return;
  host_->ShowErrorText(Fill2(LoadString(kStrStatusText), DeviceErrorText(kUnitError, static_cast<int>(status & 0xFF)),
                             DeviceErrorText(kProcessorError, static_cast<int>((status >> 8) & 0xFF))));
}

// ---------------------------------------------------------------------------
int SondeTestEngine::SondeTestThread(Event& stop) {
  while (run_ && !stop.IsSet()) {
    PollDevice();
    if (SleepOrStop(static_cast<uint32_t>(std::max(1, pollMs_.load())), stop)) break;
  }
  return 123;
}

void SondeTestEngine::ShowTrace(size_t panel, const void* data, int type, int marker, int threshold) {
  if (panel < traces_.size() && traces_[panel]) traces_[panel]->ShowData(data, type, marker, threshold);
}

uint32_t SondeTestEngine::PollDevice() {
  uint32_t st = TB_STATUS_NO_DATA;
  int timeMs = 0, depth = 0;
  bool badSequence = false;
  switch (layout_.family) {
    case TestFamily::Televiewer: {
      {
        MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
        st = GetBHTVTBSweep(&sweep_, &status_, 1) & 0xFFFF;
      }
      if (st == TB_STATUS_DATA) {
        ShowTrace(0, &sweep_.word[1], 0);
        ShowTrace(1, &sweep_.word[1], 1);
      }
      timeMs = sweep_.time;
      depth = sweep_.depth;
      break;
    }
    case TestFamily::FullWave:
    case TestFamily::CementBond: {
      {
        MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
        st = (layout_.family == TestFamily::FullWave ? GetSonicArrival : GetCBLArrival)(&segment_, &companion_,
                                                                                        &status_, 1) &
             0xFFFF;
      }
      if (st == TB_STATUS_DATA) badSequence = !TakeSegment(segment_);
      timeMs = segment_.time;
      depth = segment_.depth;
      break;
    }
    case TestFamily::Sonic: {
      SonicPacket packet{};
      std::vector<int16_t> samples;
      {
        MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
        st = GetSonicPacket(&packet) & 0xFFFF;
        // The samples live in the library's buffer until the next read of
        // any caller: take them while the lock keeps other readers out.
        const size_t n = static_cast<size_t>(layout_.samples) * layout_.panels.size();
        if (st == TB_STATUS_DATA && packet.samples && n) {
          samples.resize(n);  // the library's samples need not be aligned
          std::memcpy(samples.data(), packet.samples, n * sizeof(int16_t));
        }
      }
      if (st == TB_STATUS_DATA) {
        TakeSonicPacket(packet, samples);
        status_ = AnalogStatusBlock{static_cast<uint8_t>(packet.analog1), static_cast<uint8_t>(packet.analog2),
                                    static_cast<uint8_t>(packet.analog3), 0, static_cast<int16_t>(packet.tension)};
      }
      timeMs = packet.time;
      depth = packet.depth;
      break;
    }
    case TestFamily::Channels: {
      if (toolType_ == 8) {
        TwelveChannelRecord record{};
        {
          MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
          st = GetTwelve(&record) & 0xFFFF;
        }
        if (st == TB_STATUS_DATA) {
          std::lock_guard lock(published_);
          record_ = record;
        }
        if ((st & 0xFF) == TB_STATUS_DATA)
          status_ = AnalogStatusBlock{static_cast<uint8_t>(record.analog1), static_cast<uint8_t>(record.analog2),
                                      static_cast<uint8_t>(record.analog3), 0, static_cast<int16_t>(record.tension)};
        timeMs = record.time;
        depth = record.depth;
      } else {
        SixChannelPacket packet{};
        {
          MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
          st = GetSonde6ChannelPacket(&packet, &status_, 1) & 0xFFFF;
        }
        if (st == TB_STATUS_DATA) {
          std::lock_guard lock(published_);
          packet_ = packet;
        }
        timeMs = packet.time;
        depth = packet.depth;
      }
      break;
    }
    case TestFamily::None:
      return st;
  }
  const uint32_t s = st & 0xFF;
  // A sequence fault stays readable: the "No error." texts of the reads that
  // follow do not replace it until the order has been good for a whole turn;
  // a real device error does.
  const bool noError = s == TB_STATUS_DATA && ((st >> 8) & 0xFF) == 0;
  if (s != 0 && s != TB_STATUS_NO_DATA && !badSequence && !(sequenceHeld_ && noError)) ShowDeviceError(st);
  if (s == TB_STATUS_DATA) Delivered(timeMs, depth);
  return st;
}

// Puts a waveform segment into its receiver's trace; false when it broke the
// receiver's order of segments.
bool SondeTestEngine::TakeSegment(const CblWaveformSegment& segment) {
  const bool fullWave = layout_.family == TestFamily::FullWave;
  const int trace = fullWave ? 480 : 240;
  const int last = fullWave ? 9 : 4;
  const int receiver = (segment.flags & 0x80) ? 1 : 0;
  const int n = segment.flags & 0x0F;
  if (receiver == 0 && n == 0) {
    // A new near trace begins: the traces collected so far go on show.
    std::memcpy(display_.data(), collect_.data(), static_cast<size_t>(2 * trace));
    std::memset(collect_.data(), 0, static_cast<size_t>(2 * trace));
    ShowTrace(0, display_.data(), 2);
    ShowTrace(1, display_.data() + trace, 2);
  }
  // Segment 0 belongs at the start of its trace like every other.
  if (n <= last) std::memcpy(collect_.data() + receiver * trace + kSegmentSamples * n, segment.sample, kSegmentSamples);
  // The first segment of a receiver after the start has nothing to follow.
  bool inOrder = true;
  if (n > last)
    inOrder = false;
  else if (seenSegment_[receiver])
    inOrder = n == 0 ? lastSegment_[receiver] == last : n == lastSegment_[receiver] + 1;
  seenSegment_[receiver] = true;
  lastSegment_[receiver] = n;
  TrackSegmentOrder(receiver, n, last, inOrder);
  if (!inOrder && host_) host_->ShowErrorText(LoadString(kStrBadSequence));
  return inOrder;
}

// Holds the sequence message from a bad order until each receiver has sent
// segments 0 to the last in order once more.
void SondeTestEngine::TrackSegmentOrder(int receiver, int n, int last, bool inOrder) {
  if (!inOrder) {
    sequenceHeld_ = true;
    for (int r = 0; r < 2; ++r) runFromZero_[r] = turnDone_[r] = false;
    return;
  }
  if (!sequenceHeld_) return;
  if (n == 0) runFromZero_[receiver] = true;
  if (n == last && runFromZero_[receiver]) turnDone_[receiver] = true;
  if (turnDone_[0] && turnDone_[1]) sequenceHeld_ = false;
}

void SondeTestEngine::TakeSonicPacket(const SonicPacket& packet, const std::vector<int16_t>& samples) {
  const size_t perTrace = static_cast<size_t>(layout_.samples);
  const size_t receivers = layout_.panels.size();
  if (!perTrace || samples.size() < perTrace * receivers) return;
  const int interval = g_SonicConfig.sampleInterval;
  for (size_t r = 0; r < receivers; ++r) {
    int marker = MonitorTrace::kNoMarker;
    const float arrival = packet.value[r];
    // Without a sample interval (or with an arrival no int can hold) there is no pick to mark.
    if (interval > 0 && std::isfinite(arrival) && std::fabs(arrival) < 2.0e9f)
      marker = static_cast<int>(arrival) / interval;
    // Thresholds: the first for the near traces, the second for the far ones,
    // the third for the mid trace of three receivers.
    size_t which = r % 2;
    if (receivers == 3 && r == 2) which = 2;
    const int threshold = g_SonicConfig.threshold[which] * 256;
    ShowTrace(r, samples.data() + r * perTrace, 4, marker, threshold);
  }
}

void SondeTestEngine::Delivered(int timeMs, int depth) {
  if (!doc_) return;
  doc_->SetReading(timeMs, depth);
  const int scaled = ClampToInt(static_cast<int64_t>(depth) * DepthFactor());
  const int speed = doc_->ComputeLogSpeed(scaled, timeMs);
  if (host_)
    host_->UpdateBars(timeMs, status_.status1, status_.status2, doc_->SondeValue(), status_.tension, scaled, speed);
}

// ---------------------------------------------------------------------------
std::array<std::string, 12> SondeTestEngine::ValueTexts() const {
  std::array<std::string, 12> out;
  out.fill("n/a");
  if (layout_.family != TestFamily::Channels) return out;
  std::lock_guard lock(published_);
  if (toolType_ == 8) {
    for (size_t i = 0; i < 12; ++i) out[i] = FormatC("%9.3f", static_cast<double>(record_.value[i]));
    return out;
  }
  // Counts per second; a rate byte of 0 gives no rate to scale by.
  if (packet_.rate)
    for (size_t i = 0; i < 6; ++i)
      out[i] = FormatC("%d", static_cast<int>(std::trunc(packet_.channel[i] * 50.0 / packet_.rate)));
  return out;
}

SixChannelPacket SondeTestEngine::LastPacket() const {
  std::lock_guard lock(published_);
  return packet_;
}

TwelveChannelRecord SondeTestEngine::LastRecord() const {
  std::lock_guard lock(published_);
  return record_;
}

void SondeTestEngine::SetZoom(int horizontal, int vertical) {
  for (auto& t : traces_)
    if (t) t->SetZoom(horizontal, vertical);
}

}  // namespace qv
