// The drawing routines every log view prints its pages with: curve legends
// and scale headers above the tracks, the page number, a marker triangle,
// the trailer box at the end of a log, the calibration page and the fitted
// texts of the log heading. All of them draw in device dots through the
// painter and take physical sizes from the view's print settings; each one
// leaves the painter's pen, brush and font as it found them.
#pragma once

#include <QRect>
#include <string>

#include "print/page/print_settings.h"
#include "sondedb/records/records.h"

class QPainter;
struct TrailerText;

namespace qv::print {

// A rectangle by its edges, as the page layouts keep it: right and bottom
// lie one past the last dot inside.
struct GdiRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const GdiRect&) const = default;
};

// Legend pens: a hundredth (thin, at least 1 dot) and two hundredths (thick,
// at least 2) of an inch; frame pen: 0.4 mm, at least 3 dots.
int ThinPenWidth(int dpiX);
int ThickPenWidth(int dpiX);
int FramePenWidth(double mmPerPixel);

// The curve's caption, line sample in its print line style and scale ends.
// COLOUR: the printer prints colour, so the sample takes the curve's colour.
void DrawCurveLegend(QPainter* dc, QRect box, int textHeight, const CurveRecord* curve, bool colour);
// Caption, base line and ticks at quarters, with the azimuths (degrees) they
// stand at: a televiewer strip runs once round the hole.
void DrawLinearScaleHeader(QPainter* dc, QRect box, const CurveRecord* curve, const PrintSettings* settings);
// Caption, scale ends, base line and ticks at tenths.
void DrawTenDivisionScaleHeader(QPainter* dc, QRect box, int textHeight, const CurveRecord* curve,
                                const PrintSettings* settings);
// "Page n" centred in the band at the foot of the printable area; returns
// the band's height (twice the 3 mm font).
int DrawPageNumber(QPainter* dc, const PrintSettings* settings, int page);
// TEXT at y, left (0) at LEFT, centred (1) between LEFT and RIGHT, or right
// (2) at RIGHT, shortened to "<start>.." until it fits between LEFT and
// RIGHT; not drawn when it does not fit with three characters left.
void DrawFittedText(const std::string& text, int alignment, int left, int right, int y, QPainter* dc);
// A filled triangle 1.5 mm high whose tip points 2.5 mm right of (x, y).
void DrawMarkerTriangle(QPainter* dc, int x, int y, double mmPerPixel);
// VALUE rounded to DECIMALS places, halves away from zero.
double RoundToDecimals(double value, int decimals);
// The trailer lines framed below BOX's top. False without drawing when the
// box would reach below the printable area (BOX then holds where it would
// have gone); true when drawn or when there are no lines.
bool DrawTrailerBox(QPainter* dc, const PrintSettings* settings, const TrailerText* text, GdiRect* box);
// The calibration page: reference points and coefficients of every channel
// in two columns of blocks. False, drawing nothing, without calibrations.
bool DrawCalibrationTable(QPainter* dc, const PrintSettings* settings, const CalibrationArray* calibrations);

// A reference point of a calibration as the page shows it: the count (the
// text before the first blank), the value and the unit after "at".
struct ReferencePointText {
  std::string count, value, unit;
};
ReferencePointText SplitReferencePoint(const std::string& point);

}  // namespace qv::print
