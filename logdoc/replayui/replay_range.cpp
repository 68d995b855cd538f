#include "logdoc/replayui/replay_range.h"

#include <climits>
#include <cmath>

namespace qv {

bool FromDepthWrong(double from, double to, const ReplayRangeLimits& limits) {
  if (!std::isfinite(from)) return true;
  if (from == limits.start) return false;
  if (limits.downward) return from < limits.start || from >= to;
  return from > limits.start || from <= to;
}

bool ToDepthWrong(double from, double to, const ReplayRangeLimits& limits) {
  if (!std::isfinite(to)) return true;
  if (to == limits.end) return false;
  if (limits.downward) return to > limits.end || to <= from;
  return to < limits.end || to >= from;
}

int ToHeaderDepth(double depth) {
  if (std::isnan(depth)) return 0;
  const double units = depth * 1000.0;
  const double nearest = std::round(units);
  // Only a rounding error of the product is taken back; 1.5 thousandths stay 1.
  const double value = std::fabs(units - nearest) < 1e-6 ? nearest : std::trunc(units);
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace qv
