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
// each less twice the margin. Where no point has a positive reference (or
// count) that axis has no extent to fill and its scale is 0: every point
// then stands on the count axis (or the reference axis).
TraceScale CorrectionTraceScale(const double* references, const uint16_t* counts, int n, int width, int height,
                                int margin = kTraceMargin);

// A position in the trace as a whole pixel, truncated toward zero; values
// beyond the screen (or not a number) are held at a far edge instead of
// overflowing the conversion.
int TracePixel(double position);

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

// A label's place along one axis of the trace: where it starts and how far
// it reaches.
struct LabelSpan {
  int start = 0;
  int length = 0;
};

// Moves labels along one axis so that each stands at least gap from its
// neighbours, in the order of their wanted starts and each as near its wanted
// start as the room between lo and hi allows (jigs of nearly one count or
// size would otherwise print their labels over each other). The starts come
// back in the order given; labels that cannot all fit keep the gap and
// overrun lo.
std::vector<int> SpreadLabels(const std::vector<LabelSpan>& wanted, int gap, int lo, int hi);

}  // namespace qv
