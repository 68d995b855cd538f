// The geometry of the correction trace: the scales that fit the jig points
// into the trace and the fitted curve sampled once per pixel row.
#pragma once

#include <cstdint>
#include <vector>

#include "sondedb/records/records.h"

namespace qv {

constexpr int kTraceMargin = 20;

struct TraceScale {
  double x = 0;  // pixels per reference unit
  double y = 0;  // pixels per count
};

// The largest reference spans the width and the largest count the height,
// each less twice the margin.
TraceScale CorrectionTraceScale(const double* references, const uint16_t* counts, int n, int width, int height,
                                int margin = kTraceMargin);

struct TracePoint {
  int x = 0;
  int y = 0;
};

// One point per pixel row from the reference axis (height - margin) upward:
// the count of the row through the polynomial of degree n - 1, placed by the
// x scale right of left + margin. Values beyond the screen are held at the
// edge of the integer range instead of overflowing.
std::vector<TracePoint> CorrectionCurve(const Coefficients& c, int n, TraceScale scale, int left, int height,
                                        int margin = kTraceMargin);

}  // namespace qv
