// Painting pieces the log views share: the raised legend boxes and what a
// curve's legend shows (titles, unit, scale ends, colour swatch, print-style
// sample), the parts of a legend box a double click can hit, the scale-end
// dialog, track grids, depth marks and curve polylines.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "logview/model/drawing.h"
#include "sondedb/records/records.h"

class QPainter;
class QPalette;
class QWidget;

namespace curveview {

QRect ToQRect(const RecordRect& r);
QString LocalText(const std::string& s);
// A scale end as the legends show it: "%.7G".
std::string ScaleText(float v);
// A raised (or sunken) frame in the button colours.
void Frame3d(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight);
// Arial 14 pixels high from the top of the highest letter to the bottom of
// the lowest, so that a name and a unit fit one 30-pixel legend row.
QFont LegendFont();

struct LegendPalette {
  QColor face, highlight, shadow, buttonText;
  static LegendPalette Of(const QPalette& palette);
};

// The raised legend boxes, each with its black right edge.
void PaintLegendFrames(QPainter& p, const std::vector<RecordRect>& frames, const LegendPalette& colours, int lineWidth);
// A track's grid lines from top to bottom (decade lines darker).
void PaintTrackGrid(QPainter& p, const TrackGrid& grid, int top, int bottom);
// The title (else the short title) when it fits with room for the corner
// icons, the unit under it, and both scale ends in red at the bottom corners
// when they fit.
void PaintLegendText(QPainter& p, const QFont& font, const CurveRecord& c, const QRect& box,
                     const LegendPalette& colours);
// The sunken colour swatch at the top left of a legend box.
void PaintSwatch(QPainter& p, const QFont& font, const QRect& box, std::uint32_t colour, const LegendPalette& colours);
// The sample of a print line style at the top right of a legend box.
void PaintPrintSample(QPainter& p, const QFont& font, const QRect& box, int printStyle, const LegendPalette& colours);

// The parts of a legend box a double click can hit: the two scale ends, the
// swatch and the corner at the top right (print style, or a view's icon).
struct LegendHits {
  QRect minimum, maximum, swatch, corner;
};
LegendHits LegendHitRects(const QFont& font, const CurveRecord& c, const QRect& box);

// Asks for a new start (minimum) or end of a curve's scale until the value
// keeps the scale in order; false when cancelled.
bool AskScaleEnd(QWidget* parent, CurveRecord& c, bool minimum);

// The depth track's marks: minute arrows, ticks from the track's left edge
// to the client's (and from its right edge to rightEnd when that is above
// 0) and the labels in white boxes clear of the legend.
void PaintDepthMarks(QPainter& p, const std::vector<DepthMark>& marks, const QRect& track, const QFont& bold,
                     int legendHeight, const QColor& text, int rightEnd);
void PaintPolylines(QPainter& p, const std::vector<std::vector<Point>>& lines, const QColor& colour);

}  // namespace curveview
