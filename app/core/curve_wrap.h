// Where a curve's offset from its track's minimum edge falls when curves wrap
// into the neighbouring bands: the band (1 the track itself, 2 the next track
// width beyond its maximum, ...) and the offset inside that band. A band runs
// up to and including its far edge, so a value at the maximum is drawn at the
// track's far edge and only values beyond the range wrap. Every view, page
// print and chart recorder shares the rule.
#pragma once

struct WrappedOffset {
  int band = 1;
  int offset = 0;
};

inline WrappedOffset WrapOffset(int x, int width) {
  if (width <= 0) return {1, x};
  if (x < 0) return {x / width + 1, x % width};
  if (x <= width) return {1, x};
  return {(x - 1) / width + 1, (x - 1) % width + 1};
}
