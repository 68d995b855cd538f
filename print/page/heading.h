// The log heading: a ruled form with the well, datum, run, bit and casing
// data of a log's header record, a logo and a remarks box. The form exists
// once, as the tables below: every rule and text with its place on the page
// grid and its dot position on the chart recorder's heading bitmap. The page
// rendering (DrawLogHeading) and the recorder's heading both read them.
#pragma once

#include <QPoint>
#include <string>
#include <vector>

#include "print/page/print_settings.h"

class QPainter;
struct HeaderInfo;

namespace qv::print {

// The page form spans a grid of 300 columns by 52 rows over the printable
// area of the landscape heading page; the heading proper uses columns 0 to
// 150, the remarks box 155 to 280, and the whole form stands 4 columns in.
inline constexpr int kHeadingColumns = 300;
inline constexpr int kHeadingRows = 52;
// The recorder draws the form into a bitmap of this many dots.
inline constexpr int kRecorderHeadingWidth = 1213;
inline constexpr int kRecorderHeadingHeight = 1693;

// The device point of grid point (column, row): (x0 + trunc((column + 4) x
// ux), y0 + trunc(row x uy)).
QPoint GridToDevice(double column, double row, int x0, int y0, double ux, double uy);

// The grid of the heading page from the settings: with portrait log pages
// (orientation 1) the heading page is their printable area turned by 90
// degrees.
struct HeadingGrid {
  double ux = 0, uy = 0;
  int x0 = 0, y0 = 0;
  QPoint At(double column, double row) const { return GridToDevice(column, row, x0, y0, ux, uy); }
};
HeadingGrid HeadingGridOf(const PrintSettings& settings);

// A rule of the form: on the page between two grid points, on the recorder
// between two dots (absent where the recorder draws that part elsewhere).
// Outer frames are thick, everything else thin.
struct HeadingRule {
  double c0, r0, c1, r1;
  bool onRecorder;
  int x0, y0, x1, y1;
  bool thick;
  bool rectangle;  // a frame from the first corner to the second
};
const std::vector<HeadingRule>& HeadingRules();

enum class CellAlign { Left, Centre };

// A text of the form: a fixed label or a field of the header record (strings
// as they are, floats "%.2f", run numbers "%d"). On the page it sits in the
// cell between columns col0 and col1 at grid row `row` plus
// trunc(rowOffset x uy); left texts start 3 columns into the cell and are cut
// to it. On the recorder its top left corner is at (recX, recY), or it is
// centred between recX and recX1 when recX1 is not negative.
struct HeadingText {
  const char* label;
  std::string (*field)(const HeaderInfo&);
  double col0, col1;
  int row;
  double rowOffset;
  CellAlign align;
  int recX, recX1, recY;
  bool capitals;  // the recorder prints it in capitals

  std::string Text(const HeaderInfo& header) const { return field != nullptr ? field(header) : label; }
};
const std::vector<HeadingText>& HeadingTexts();

// The logo's place: on the page 10 dots inside the cell (0,0)..(50,13); on
// the recorder 397 x 396 dots at (1, 1).
inline constexpr int kRecorderLogoX = 1, kRecorderLogoY = 1, kRecorderLogoWidth = 397, kRecorderLogoHeight = 396;

// The header file named in the remarks title: FILE_NAME (the log's data
// file) with the extension of its last component replaced by ".hed".
std::string HeadingHeaderName(const std::string& fileName);

// Draws the form, the logo from PROGRAM_FOLDER and, with a header record,
// its texts and the remarks box on the heading page.
void DrawLogHeading(QPainter* dc, const PrintSettings* settings, const HeaderInfo* header, const std::string& fileName,
                    const std::string& programFolder);

}  // namespace qv::print
