// The heat-pulse flowmeter's measurement, without widgets: the samples of a
// measurement at one depth, the baseline of an equalisation, the speed
// function that turns an interpretation time into a fluid speed, the stored
// results and their text file, and the log thread that reads the unit.
//
// The log thread only appends samples and reports through HeatPulseEvents; it
// never draws. It stops cooperatively: StopThread asks it to leave its loop and
// joins it, so no thread outlives a measurement.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/tbdevice/tbdevice.h"

class LogDocumentShell;

namespace qv {

// A fluid speed equal to this could not be derived (the smallest positive normal double).
constexpr double kHeatPulseOutOfRange = 2.2250738585072014e-308;
// The longest measurement the sample array holds, in ms.
constexpr int kHeatPulseMaxSpanMs = 100000;
// A baseline is the mean of at most this many equalisation samples.
constexpr int kHeatPulseBaselineSamples = 20;
// A device call that could not have DeviceMutex in time answers this status word.
constexpr uint32_t kHeatPulseLockTimeout = 0xFFFFFFFFu;

struct HeatPulseResult {
  double depth = 0;  // depth unit
  double time = 0;   // s
  double speed = 0;  // depth unit per minute, or kHeatPulseOutOfRange
  bool operator==(const HeatPulseResult&) const = default;
};

// The unit as the flowmeter drives it; the real one calls the device library
// under DeviceMutex, tests fake it.
class HeatPulseUnit {
 public:
  virtual ~HeatPulseUnit() = default;
  virtual uint32_t SetLoggingMode(const LoggingModeBlock& block, uint32_t waitMs) = 0;
  virtual uint32_t GetPacket(SixChannelPacket* packet, AnalogStatusBlock* status) = 0;
};

// The device library's unit.
class DeviceHeatPulseUnit : public HeatPulseUnit {
 public:
  uint32_t SetLoggingMode(const LoggingModeBlock& block, uint32_t waitMs) override;
  uint32_t GetPacket(SixChannelPacket* packet, AnalogStatusBlock* status) override;
};

// What the log thread reports. Every call comes on the log thread; the
// receiver hands it to its own thread. run names the measurement, so that a
// report that arrives after the next start can be told apart.
class HeatPulseEvents {
 public:
  virtual ~HeatPulseEvents() = default;
  // A sample was appended at index.
  virtual void SampleAdded(int run, int index) = 0;
  // A packet arrived: depth in thousandths of the depth unit, logging speed,
  // the packet's time and the analog status it came with.
  virtual void Reading(int run, int depth, int logSpeed, int timeMs, const AnalogStatusBlock& status) = 0;
  // The measurement should stop (keep: as Accept does). The thread has left its loop.
  virtual void StopRequested(int run, bool keep) = 0;
  // A read error (the low status byte); the thread asks to stop next.
  virtual void ReadError(int run, int code) = 0;
};

// One sample of a packet: the channel-1 count x 50 / the rate byte (0 counts as 50).
double HeatPulseSample(const SixChannelPacket& packet);

// The internal speed function and the user function: the speed for an
// interpretation time t (s) and the differential d at t. The user function
// gets 16 inputs (0..5 the time, the rest 0) and 16 zeroed outputs; the speed
// is the first of the six outputs that is not 0, or out of range when there is
// none. A speed in range changes its sign when d > 0 and is scaled to the
// depth unit per minute.
using HeatPulseUserFunction = std::function<void(double* in, double* out)>;
double HeatPulseSpeed(double t, double d, bool imperial, const HeatPulseUserFunction& user);

// The results file's text: the header line, an empty line, a line per result.
std::string FormatHeatPulseResults(const std::vector<HeatPulseResult>& results, bool imperial);

class HeatPulseEngine {
 public:
  enum State { kIdle = 0, kHeatPulse = 1, kEqualising = 2, kKept = 3 };

  HeatPulseEngine();
  ~HeatPulseEngine();
  HeatPulseEngine(const HeatPulseEngine&) = delete;
  HeatPulseEngine& operator=(const HeatPulseEngine&) = delete;

  // The time between two samples (ms). A step of 0 or less is refused
  // (false, nothing changes); otherwise the sample array is made anew for
  // 100000 / step samples and emptied.
  bool SetTimeStep(int ms);
  int TimeStep() const { return timeStep_; }
  int Capacity() const { return capacity_; }

  int State() const { return state_; }
  void SetState(int s) { state_ = s; }

  // The samples: a reader takes Count() first and reads below it.
  int Count() const { return count_.load(std::memory_order_acquire); }
  const double* Samples() const { return samples_.data(); }
  void ClearSamples() { count_.store(0, std::memory_order_release); }
  // Appends a sample (the log thread; tests). False when the array is full.
  bool AppendSample(double v);

  double Baseline() const { return baseline_; }
  void SetBaseline(double b) { baseline_ = b; }
  // Baseline := mean of the last 20 samples (0 with none); the new baseline.
  double TakeBaseline();

  // The fluid speed at an interpretation point (ms) at a depth in thousandths
  // of the depth unit: the differential there is the sample minus the
  // baseline, or 0 past the recorded samples.
  HeatPulseResult ComputeFluidSpeed(int positionMs, int depth, bool imperial, const HeatPulseUserFunction& user) const;

  std::vector<HeatPulseResult>& Results() { return results_; }

  // --- The log thread.
  // Where the thread finds the active log document (g_pActiveDoc's by default).
  std::function<LogDocumentShell*()> document;
  // One poll: the status word of the packet read (no document: 0, and a stop
  // without keeping is asked for). imperial decides the depth factor.
  uint32_t ReadSample(HeatPulseUnit& unit, HeatPulseEvents& events, bool imperial);
  // Starts the log thread for a new run (state must be 1 or 2 already).
  void StartThread(HeatPulseUnit& unit, HeatPulseEvents& events, int pollMs, bool imperial);
  // Asks the thread to leave its loop and waits for it. Safe without a thread.
  void StopThread();
  bool ThreadRunning() const { return thread_.joinable(); }
  int Run() const { return run_; }

 private:
  void Loop(HeatPulseUnit* unit, HeatPulseEvents* events, int pollMs, bool imperial);

  int timeStep_ = 100;
  int capacity_ = 0;
  std::vector<double> samples_;
  std::atomic<int> count_{0};
  double baseline_ = 0;
  std::atomic<int> state_{kIdle};
  std::vector<HeatPulseResult> results_;

  std::thread thread_;
  std::mutex stopMutex_;
  std::condition_variable stopCv_;
  bool stop_ = false;
  bool stopAsked_ = false;  // the thread has asked for a stop and leaves its loop
  std::atomic<int> run_{0};
};

}  // namespace qv
