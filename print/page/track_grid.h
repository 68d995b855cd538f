// The grid of one column of a printed log section of the cement-bond,
// full-wave sonic and sonic pages: the depth lines (with the depth labels in
// the depth track) from the page's window top down, and the track divisions
// of a curve track, linear or by the decades of the track's defining curve.
#pragma once

#include <QPainter>
#include <QRect>
#include <vector>

#include "print/page/print_settings.h"
#include "sondedb/records/records.h"

namespace qv::print {

// What the grid reads of the log and its view.
struct TrackGridLog {
  const std::vector<CurveRecord>* curves = nullptr;
  const std::vector<TrackRecord>* tracks = nullptr;
  bool time = false;      // a time log: no depth labels
  bool imperial = false;  // depths in feet
  double windowTop = 0;   // the depth (thousandths of the unit) the lines and labels count from
  // The full-wave and sonic rule under fit to page: the major spacing is the
  // first of a fixed set above the depth span per inch (per centimetre in
  // metric) of the page, the minor a fifth of it, no medium lines, and a line
  // falls on the first dot row past its position.
  bool fitSpacing = false;
  double span = 0;  // the replay window's depth span (thousandths of the unit)
};

// The major depth spacing of the fit-to-page rule for SPAN over the page of S.
double FitMajorSpacing(const PrintSettings& s, bool imperial, double span);

// The grid of column R; KIND 1 a curve track (divisions from the view's track
// record 0), 2 the depth track (labels instead of lines); nothing for other
// kinds or when the view has fewer than KIND track records.
void PrintTrackGrid(QPainter& dc, const PrintSettings& s, const QRect& r, int kind, const TrackGridLog& log);

}  // namespace qv::print
