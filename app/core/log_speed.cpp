#include "log_speed.h"

#include <cmath>
#include <limits>

int LogSpeedMeter::Compute(int depth, int timeMs) {
  const double dt = static_cast<double>(static_cast<uint32_t>(timeMs)) - static_cast<double>(lastTime_);
  const double dd = static_cast<double>(depth) - static_cast<double>(lastDepth_);
  if (dt < 0) {  // the unit's clock started again
    lastDepth_ = depth;
    lastTime_ = static_cast<uint32_t>(timeMs);
    history_ = {};
    return speed_;
  }
  if (calls_ < 6 && dt < 1000) {
    ++calls_;
    return speed_;
  }
  // Two reads of the same millisecond give no interval to divide by.
  if (dt == 0) return speed_;
  calls_ = 0;
  lastDepth_ = depth;
  lastTime_ = static_cast<uint32_t>(timeMs);
  for (size_t i = history_.size() - 1; i > 0; --i) history_[i] = history_[i - 1];
  history_[0] = dd / dt;
  double sum = 0;
  int n = 0;
  for (double v : history_)
    if (v != 0) {
      sum += v;
      ++n;
    }
  double speed = n ? sum / n * 60000.0 : 0.0;
  constexpr double kMax = std::numeric_limits<int>::max();
  if (!std::isfinite(speed)) speed = 0;
  speed_ = static_cast<int>(std::trunc(std::fmax(-kMax, std::fmin(kMax, speed))));
  return speed_;
}
