#include "sondedb/calibration/trace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qv {

TraceScale CorrectionTraceScale(const double* references, const uint16_t* counts, int n, int width, int height,
                                int margin) {
  double largestReference = std::numeric_limits<double>::min();
  double largestCount = std::numeric_limits<double>::min();
  for (int i = 0; i < n; ++i) {
    largestReference = std::max(largestReference, references[i]);
    largestCount = std::max(largestCount, static_cast<double>(counts[i]));
  }
  return {(width - 2 * margin) / largestReference, (height - 2 * margin) / largestCount};
}

std::vector<TracePoint> CorrectionCurve(const Coefficients& c, int n, TraceScale scale, int left, int height,
                                        int margin) {
  std::vector<TracePoint> points;
  if (height - margin <= 0 || !(scale.y > 0)) return points;
  points.reserve(static_cast<size_t>(height - margin));
  for (int i = 0; i < height - margin; ++i) {
    const double e = i / scale.y;
    double v = c[0] + c[1] * e;
    if (n == 3) v = c[0] + e * (c[1] + e * c[2]);
    if (n >= 4) v = c[0] + e * (c[1] + e * (c[2] + e * c[3]));
    double px = v * scale.x;
    // Far off the screen (or not a number) the point sits at the edge.
    constexpr double kEdge = 1e6;
    if (!(px > -kEdge)) px = -kEdge;
    if (px > kEdge) px = kEdge;
    points.push_back({left + margin + static_cast<int>(px), height - margin - i});
  }
  return points;
}

}  // namespace qv
