// What a curve display draws, as plain geometry: grid lines of a track, the
// marks and labels of the depth track and the polylines of each curve. The
// screen view and page printing paint these with their own devices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logview/model/history.h"
#include "logview/model/layout.h"

namespace curveview {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// One vertical grid line of a track; `decade` lines are drawn darker.
struct GridLine {
  int x = 0;
  bool decade = false;
};

// A track's grid: its lines and, for a logarithmic grid, the first mantissa
// and the decade count (negative when the scale runs right to left).
struct TrackGrid {
  std::vector<GridLine> lines;
  int mantissa = 0;
  int decades = 0;
};
TrackGrid GridOfTrack(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int track);

// One marked row of the depth track.
struct DepthMark {
  int y = 0;
  int tick = 0;  // 0 none, 1 small, 2 medium, 3 large
  bool minute = false;
  bool label = false;  // a depth label belongs to this row
  std::string text;    // the label, " %.1f " of the depth
};

struct DepthTrackView {
  int legendHeight = 0;
  int clientTop = 0;
  int clientBottom = 0;
  HistoryWindow window;
  bool upward = false;
  bool depthScaled = true;
  bool imperial = false;
  int depthScale = 200;
  int lastDepth = 0;  // depth of the newest row at the last update
};
// The marks of the visible rows, newest first; `markAt` gives the row mark of
// a history index, `depthAt` (when given) the depth of the record the row
// came from, which a label then names (to its nearest label step) instead
// of counting on from the newest row's depth.
std::vector<DepthMark> DepthMarks(const DepthTrackView& view, const std::function<std::uint8_t(int)>& markAt,
                                  const std::function<bool(int, int*)>& depthAt = {});

// The y of a history index on screen.
inline int RowY(int legendHeight, const HistoryWindow& w, int historyIndex) {
  return legendHeight + historyIndex - w.start;
}

// The polylines of one curve over the visible rows: one polyline per wrap
// band, each leaving its band at the track edge and entering the next from the
// opposite edge. `valueAt(j)` is the value of visible row j (0 = top); a row
// whose value is not a number holds no reading and breaks the curve, so that
// nothing is drawn where there is no data.
std::vector<std::vector<Point>> CurvePolylines(const CurveRecord& curve, const RecordRect& box, bool logarithmic,
                                               bool wrap, int legendHeight, int rows,
                                               const std::function<double(int)>& valueAt);

// The horizontal offset of a value from the minimum edge, before wrapping.
int CurveOffset(const CurveRecord& curve, int width, bool logarithmic, double value);

}  // namespace curveview
