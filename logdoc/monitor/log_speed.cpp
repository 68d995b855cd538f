#include "log_speed.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

namespace {
int ToInt(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}
}  // namespace

int LogSpeed::Compute(int depth, int timeMs) {
  std::lock_guard lk(m_);
  const auto time = static_cast<uint32_t>(timeMs);
  if (!haveReference_) {
    haveReference_ = true;
    lastDepth_ = depth;
    lastTime_ = time;
    return speed_;
  }
  const double dt = static_cast<double>(time) - static_cast<double>(lastTime_);
  if (dt < 0) {  // the unit's clock ran back: start again from here
    lastDepth_ = depth;
    lastTime_ = time;
    std::fill(std::begin(history_), std::end(history_), 0.0);
    return speed_;
  }
  if (calls_ < 6 && dt < 1000) {
    ++calls_;
    return speed_;
  }
  // Two reports of the same moment give no interval to divide by.
  if (dt == 0) return speed_;
  const double dd = static_cast<double>(depth) - static_cast<double>(lastDepth_);
  calls_ = 0;
  lastDepth_ = depth;
  lastTime_ = time;
  std::copy_backward(history_, history_ + 3, history_ + 4);
  history_[0] = dd / dt;
  double sum = 0;
  int n = 0;
  for (double v : history_)
    if (v != 0) {
      sum += v;
      ++n;
    }
  speed_ = n ? ToInt(sum / n * 60000.0) : 0;
  return speed_;
}

int LogSpeed::Current() const {
  std::lock_guard lk(m_);
  return speed_;
}

void LogSpeed::Reset() {
  std::lock_guard lk(m_);
  std::fill(std::begin(history_), std::end(history_), 0.0);
  calls_ = 0;
  lastDepth_ = 0;
  lastTime_ = 0;
  haveReference_ = false;
}

void LogSpeed::ClearHistory() {
  std::lock_guard lk(m_);
  std::fill(std::begin(history_), std::end(history_), 0.0);
}

int ComputePollInterval(int n, int depthStep, bool imperial, bool realtimePrint, int depthScale) {
  n = std::clamp(n, 1, 100);
  if (depthScale < 1) depthScale = 100;
  double s = depthStep;
  if (imperial) s *= 0.3048;
  const double r = realtimePrint ? 150 : 50;
  const int period = ToInt(s * (100.0 / n) * r / depthScale);
  return period < 1 ? 1 : period;
}

}  // namespace qv
