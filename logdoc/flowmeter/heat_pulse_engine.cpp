#include "logdoc/flowmeter/heat_pulse_engine.h"

#include <chrono>
#include <cmath>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "platform/sync/sync.h"
#include "platform/text/cnum.h"
#include "platform/trace/trace.h"

namespace qv {

namespace {
constexpr double kFeetPerMetre = 3.280839895;
constexpr int kSpeedOutputs = 6;
constexpr int kFunctionSlots = 16;
}  // namespace

uint32_t DeviceHeatPulseUnit::SetLoggingMode(const LoggingModeBlock& block, uint32_t waitMs) {
  MutexGuard lock(DeviceMutex, waitMs);
  if (!lock.Acquired()) return kHeatPulseLockTimeout;
  LoggingModeBlock b = block;
  return ::SetLoggingMode(&b);
}

uint32_t DeviceHeatPulseUnit::GetPacket(SixChannelPacket* packet, AnalogStatusBlock* status) {
  MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
  if (!lock.Acquired()) return kHeatPulseLockTimeout;
  return ::GetSonde6ChannelPacket(packet, status, 1);
}

double HeatPulseSample(const SixChannelPacket& packet) {
  const int rate = packet.rate == 0 ? 50 : packet.rate;
  return packet.channel[0] * 50.0 / rate;
}

double HeatPulseSpeed(double t, double d, bool imperial, const HeatPulseUserFunction& user) {
  double speed = kHeatPulseOutOfRange;
  if (user) {
    double in[kFunctionSlots] = {};
    double out[kFunctionSlots] = {};
    for (int i = 0; i < kSpeedOutputs; ++i) in[i] = t;
    user(in, out);
    for (int i = 0; i < kSpeedOutputs; ++i) {
      if (out[i] != 0) {
        speed = out[i];
        break;
      }
    }
  } else if (t > 0 && t < 30) {
    speed = 5.2502 - 1.5156 * std::log(t);
  }
  if (speed == kHeatPulseOutOfRange) return speed;
  if (d > 0) speed = -speed;
  speed *= 60;
  if (imperial) speed *= kFeetPerMetre;
  // A user function's NaN or infinity, or a speed that overflows on the way,
  // is no speed either.
  return std::isfinite(speed) ? speed : kHeatPulseOutOfRange;
}

std::string FormatHeatPulseResults(const std::vector<HeatPulseResult>& results, bool imperial) {
  std::string text = imperial ? "Depth in [ft]\tTime in [s]\tFluid Speed in [ft/min]\r\n\r\n"
                              : "Depth in [m]\tTime in [s]\tFluid Speed in [m/min]\r\n\r\n";
  // Each row is formatted whole, however wide its numbers: a cut row would
  // lose its line end and run into the next one.
  for (const HeatPulseResult& r : results) {
    text += FormatC("%11.3lf\t%7.3lf\t\t", r.depth, r.time);
    if (r.speed == kHeatPulseOutOfRange || !std::isfinite(r.speed))
      text += "Out Of Range";
    else
      text += FormatC("%7.3lf", r.speed);
    text += "\r\n";
  }
  return text;
}

HeatPulseEngine::HeatPulseEngine() : document(ActiveLogDocument) {
  SetTimeStep(timeStep_);
}

HeatPulseEngine::~HeatPulseEngine() {
  StopThread();
}

bool HeatPulseEngine::SetTimeStep(int ms) {
  if (ms <= 0) return false;
  timeStep_ = ms;
  capacity_ = kHeatPulseMaxSpanMs / ms;
  samples_.assign(static_cast<size_t>(capacity_) + 10, 0.0);
  count_.store(0, std::memory_order_release);
  return true;
}

bool HeatPulseEngine::AppendSample(double v) {
  const int n = count_.load(std::memory_order_relaxed);
  if (n >= capacity_) return false;
  samples_[static_cast<size_t>(n)] = v;
  count_.store(n + 1, std::memory_order_release);
  return true;
}

double HeatPulseEngine::TakeBaseline() {
  const int n = Count();
  double sum = 0;
  int used = 0;
  for (int i = n - kHeatPulseBaselineSamples; i < n; ++i) {
    if (i < 0) continue;
    sum += samples_[static_cast<size_t>(i)];
    ++used;
  }
  baseline_ = used ? sum / used : 0;
  return baseline_;
}

HeatPulseResult HeatPulseEngine::ComputeFluidSpeed(int positionMs, int depth, bool imperial,
                                                   const HeatPulseUserFunction& user) const {
  HeatPulseResult r;
  r.depth = depth / 1000.0;
  r.time = positionMs / 1000.0;
  const int i = positionMs / timeStep_;
  const double d = i >= 0 && i < Count() ? samples_[static_cast<size_t>(i)] - baseline_ : 0;
  r.speed = HeatPulseSpeed(r.time, d, imperial, user);
  return r;
}

uint32_t HeatPulseEngine::ReadSample(HeatPulseUnit& unit, HeatPulseEvents& events, bool imperial) {
  const int run = run_;
  LogDocumentShell* doc = document ? document() : nullptr;
  if (!doc) {
    stopAsked_ = true;
    events.StopRequested(run, false);
    return 0;
  }
  SixChannelPacket packet{};
  AnalogStatusBlock status{};
  const uint32_t word = unit.GetPacket(&packet, &status);
  if (word == kHeatPulseLockTimeout) return word;  // the unit is busy: try again next poll
  const int low = static_cast<int>(word & 0xFF), high = static_cast<int>((word >> 8) & 0xFF);
  if (low == 6) {
    if (Count() >= capacity_) {
      if (state_ == kEqualising) {
        ClearSamples();
      } else {
        stopAsked_ = true;
        events.StopRequested(run, true);
        return word;
      }
    }
    if (high == 0) {
      AppendSample(HeatPulseSample(packet));
      events.SampleAdded(run, Count() - 1);
    }
    const int factor = imperial ? 50 : 10;
    const int depth = packet.depth * factor;
    const int speed = doc->ComputeLogSpeed(depth, packet.time);
    events.Reading(run, depth, speed, packet.time, status);
  } else if (low != 5 && low != 0) {
    stopAsked_ = true;
    events.ReadError(run, low);
    events.StopRequested(run, false);
  }
  return word;
}

void HeatPulseEngine::StartThread(HeatPulseUnit& unit, HeatPulseEvents& events, int pollMs, bool imperial) {
  StopThread();
  {
    std::lock_guard<std::mutex> lock(stopMutex_);
    stop_ = false;
  }
  stopAsked_ = false;
  ++run_;
  thread_ = std::thread(&HeatPulseEngine::Loop, this, &unit, &events, pollMs, imperial);
}

void HeatPulseEngine::StopThread() {
  {
    std::lock_guard<std::mutex> lock(stopMutex_);
    stop_ = true;
  }
  stopCv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void HeatPulseEngine::Loop(HeatPulseUnit* unit, HeatPulseEvents* events, int pollMs, bool imperial) {
  const auto period = std::chrono::milliseconds(pollMs > 0 ? pollMs : 1);
  while (state_ == kHeatPulse || state_ == kEqualising) {
    ReadSample(*unit, *events, imperial);
    if (stopAsked_) break;
    std::unique_lock<std::mutex> lock(stopMutex_);
    if (stopCv_.wait_for(lock, period, [this] { return stop_; })) break;
  }
  Trace("The LogThread has terminated normaly.\n");
}

}  // namespace qv
