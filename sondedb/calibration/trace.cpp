#include "sondedb/calibration/trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace qv {

TraceScale CorrectionTraceScale(const double* references, const uint16_t* counts, int n, int width, int height,
                                int margin) {
  double largestReference = std::numeric_limits<double>::min();
  double largestCount = std::numeric_limits<double>::min();
  for (int i = 0; i < n; ++i) {
    largestReference = std::max(largestReference, references[i]);
    largestCount = std::max(largestCount, static_cast<double>(counts[i]));
  }
  // Pixels per unit of the largest value; no positive value gives no scale
  // (dividing by the smallest double would give an infinite one).
  auto scale = [](int pixels, double largest) {
    const double s = pixels / largest;
    return std::isfinite(s) ? s : 0.0;
  };
  return {scale(width - 2 * margin, largestReference), scale(height - 2 * margin, largestCount)};
}

int TracePixel(double position) {
  constexpr double kEdge = 1e6;
  if (!(position > -kEdge)) return static_cast<int>(-kEdge);
  if (position > kEdge) return static_cast<int>(kEdge);
  return static_cast<int>(position);
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
    points.push_back({left + margin + TracePixel(v * scale.x), height - margin - i});
  }
  return points;
}

std::vector<int> SpreadLabels(const std::vector<LabelSpan>& wanted, int gap, int lo, int hi) {
  std::vector<size_t> order(wanted.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return wanted[a].start < wanted[b].start; });
  std::vector<int> start(wanted.size());
  // Down the axis: each label after the previous one and not before lo...
  for (size_t k = 0; k < order.size(); ++k) {
    const size_t i = order[k];
    start[i] = std::max(wanted[i].start, lo);
    if (k > 0) start[i] = std::max(start[i], start[order[k - 1]] + wanted[order[k - 1]].length + gap);
  }
  // ...then back up from hi, where the first pass pushed labels past it.
  for (size_t k = order.size(); k-- > 0;) {
    const size_t i = order[k];
    start[i] = std::min(start[i], hi - wanted[i].length);
    if (k + 1 < order.size()) start[i] = std::min(start[i], start[order[k + 1]] - wanted[i].length - gap);
  }
  return start;
}

}  // namespace qv
