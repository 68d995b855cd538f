// The two computations that pace a live log: the logging speed shown on the
// winch bar and the poll period of the acquisition and replay loops.
#pragma once

#include <cstdint>
#include <mutex>

namespace qv {

// The logging speed in depth units per minute, smoothed over the last four
// intervals. A new interval is taken on every seventh call or once a second
// has passed since the last one. It is called by the monitor thread and, while
// a log records, by the acquisition thread; its state is guarded.
class LogSpeed {
 public:
  // depth in header units (thousandths of the depth unit), time in ms as the
  // unit counts it. Returns the speed, which Current() keeps.
  int Compute(int depth, int timeMs);
  int Current() const;
  // A new log: the reference point, the call counter and the intervals go.
  // The first call afterwards only takes its reference point, so no speed is
  // measured from depth 0.
  void Reset();
  // The start of a recording: the intervals go, the reference point stays.
  void ClearHistory();

 private:
  mutable std::mutex m_;
  double history_[4] = {};  // newest first, depth units per ms
  int calls_ = 0;
  int lastDepth_ = 0;
  uint32_t lastTime_ = 0;
  bool haveReference_ = false;
  int speed_ = 0;
};

// The period in ms of the acquisition and replay loops for a pace of n
// percent (1 to 100): the depth step in millimetres (feet steps are converted)
// x 100 / n x 50 (150 while the chart recorder prints) / the depth scale N,
// truncated toward zero and never below 1. A pace outside 1 to 100 is held to
// it, a depth scale below 1 counts as 1:100.
int ComputePollInterval(int n, int depthStep, bool imperial, bool realtimePrint, int depthScale);

}  // namespace qv
