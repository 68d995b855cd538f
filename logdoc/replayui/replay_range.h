// The replay range a user types in the replay settings, checked against the
// log's own range and direction, and its hand-over in header depth units.
#pragma once

namespace qv {

// The log's own range in its depth unit (the header's start and end depth
// divided by 1000); downward when the start lies above the end.
struct ReplayRangeLimits {
  double start = 0;
  double end = 0;
  bool downward = true;
};

// A from depth outside the log or not before the to depth in the log's
// direction. A text that is no number (NaN, infinite) is wrong too. The
// log's own start is always accepted, so that a log whose start and end
// coincide can still be replayed.
bool FromDepthWrong(double from, double to, const ReplayRangeLimits& limits);
// The same for the to depth against the log's end.
bool ToDepthWrong(double from, double to, const ReplayRangeLimits& limits);

// A depth in the log's unit as header units (thousandths), truncated toward
// 0. A value that is a whole number of thousandths but not exactly
// representable (123.457) keeps that number rather than losing one to the
// rounding of its binary form. Clamped to the int range.
int ToHeaderDepth(double depth);

}  // namespace qv
