// The geometry of a curve display: tracks side by side, a legend of 30-pixel
// rows above them, one track carrying the depth scale. Everything here is
// plain data so that the screen view and page printing lay out alike.
#pragma once

#include <memory>
#include <vector>

#include "logview/model/records.h"

namespace curveview {

inline constexpr int kHistoryLength = 2400;  // rows kept per curve; also the tallest screen served
inline constexpr int kLegendRowHeight = 30;  // one legend row
inline constexpr int kDepthTrackMinWidth = 40;
inline constexpr int kDepthTrackWidth = 80;
inline constexpr int kDataTrackMinWidth = 50;
inline constexpr int kTrackStyleWord = 256;  // style word every shown track carries
inline constexpr int kDepthTrackType = 1;
inline constexpr int kLogGridStyle = 0x1000004;
inline constexpr int kLinearGridStyle = 0x10000004;

// Track numbers of a log layout, in column order.
enum TrackNumber : int { kTrack1 = 0, kDepthTrackNumber = 1, kTrack2 = 2, kTrack3 = 3 };

inline bool IsTwoTrack(const CurveRecord& c) {
  return c.firstTrack == kTrack2 && c.lastTrack == kTrack3;
}
inline bool IsLogTrack(const TrackRecord& t) {
  return (t.gridStyle & kGridLogarithmic) != 0;
}
inline int Width(const RecordRect& r) {
  return r.right - r.left;
}
inline int Height(const RecordRect& r) {
  return r.bottom - r.top;
}
inline bool Contains(const RecordRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Decade of one end of a logarithmic scale: the power of ten at or below the
// value, with `slack` taken off below 1 so that 0.1 stays in its own decade.
int ScaleDecade(float value, float slack);
// The leading digit of a scale's minimum in its decade LOW (1 for an end
// outside the float range's decades).
int ScaleMantissa(float minimum, int low);
// The slack of a scale's own decades: the grid and the curve both use it, so
// a reading against the grid is the curve's value.
constexpr float kScaleDecadeSlack = 0.999999f;

// A logarithmic scale spanning whole decades with the same leading digit at
// both ends.
struct LogScale {
  int low = 0;
  int high = 1;
  int mantissa = 1;
  float minimum = 1.0f;
  float maximum = 10.0f;
  int Decades(bool twoTrack) const { return twoTrack ? (high - low) / 2 : high - low; }
};
// Non-positive ends count as 1; equal decades widen to one; a curve across
// two tracks gets an even decade count so each track holds whole decades.
LogScale NormaliseLogScale(float minimum, float maximum, bool twoTrack, float slack = kScaleDecadeSlack);

// Moves every two-track curve to the front (in the order the legend needs),
// copies the source records and gives each shown curve its legend row.
// Returns the number of legend rows (at least 1).
int BuildCurveTable(std::vector<std::unique_ptr<CurveRecord>>& source, std::vector<CurveRecord>& curves);

// Legend rows needed by the shown curves (at least 1).
int LegendRowsOf(const std::vector<CurveRecord>& curves);

// Normalises the scale of every curve on a logarithmic track, marking the
// second track of a two-track curve logarithmic too.
void NormaliseLogCurves(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks);

// Track widths and rectangles for a client rectangle; returns the x just right
// of the last track.
int LayoutTrackRects(std::vector<TrackRecord>& tracks, const RecordRect& client, int lineWidth);

// The visible part of the history: entries start .. end-1, top to bottom.
struct HistoryWindow {
  int start = -1;
  int end = -1;
};
// An upward log keeps its newest row at the top of the history's last screen
// rows, any other log at the bottom of its first screen rows.
HistoryWindow WindowFor(bool upward, int screenHeight, int clientHeight, int legendHeight);

// A curve's box: its first track, for a two-track curve widened over track 3.
RecordRect CurveBox(const CurveRecord& c, const std::vector<TrackRecord>& tracks);
// The same box cut to the curve's legend row.
RecordRect LegendBox(const CurveRecord& c, const std::vector<TrackRecord>& tracks);

// The raised boxes of the legend, one per row and track, merged over tracks 2
// and 3 in rows that hold a two-track curve.
std::vector<RecordRect> LegendFrames(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks,
                                     int legendRows);

// Index of the first shown curve whose legend box holds the point, or -1;
// `position` gets its 1-based count among the shown curves.
int HitLegend(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int x, int y,
              int* position);

}  // namespace curveview
