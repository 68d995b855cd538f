// The dashed-line drawer of every curve, chart and print routine. Dashes keep
// their proportions at any pen width and never depend on a device's own dash
// styles: the drawer walks the line pixel by pixel and only moves or draws at
// the ends of the dash segments, with a solid pen of the requested width.
#pragma once

#include "app/core/colorref.h"

// The solid pen a drawer strokes with.
struct LinePen {
  int width = 1;
  COLORREF colour = 0;
  bool round = false;  // round ends and joins; flat ends and mitred joins otherwise
};

// What the drawer draws on: a painter on screen or paper, or a raster of the
// chart recorder. Outside a path, LineTo draws with the device's current pen;
// inside one it only records the outline, and StrokePath draws it all with the
// drawer's pen and then restores the device's previous pen.
class LineDevice {
public:
  virtual ~LineDevice() = default;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void BeginPath() = 0;
  virtual void StrokePath(const LinePen& pen) = 0;
};

// Fills pattern with the dash lengths of style at pen width (first a dash,
// then gaps and dashes alternately) and returns the segment count (0 solid).
// Style 1 and styles above 6 are solid; a width below 1 counts as 1.
int BuildDashPattern(int pattern[8], int width, unsigned style);

// The eight print line styles (0 to 7) as dash style and pen width; any other
// value is solid at width 1.
struct PrintLineStyle {
  unsigned dashStyle;
  int width;
};
PrintLineStyle PrintLineStyleOf(int printStyle);
constexpr int kPrintLineStyleCount = 8;

class CStyledLine {
public:
  CStyledLine();
  // A copy gets a drawer of its own: neither device, pattern, pen nor
  // position travel with a copied record.
  CStyledLine(const CStyledLine&) : CStyledLine() {}
  CStyledLine& operator=(const CStyledLine&) { return *this; }

  void SetStyle(LineDevice* dc, unsigned style, int width, COLORREF colour);
  // Restarts the pattern and moves to (0, 0).
  void Reset();
  // Moves the current point; the dash phase stays.
  void MoveTo(int x, int y);
  void SetX(int x);
  void SetY(int y);
  // Draws to (x, y) in the pattern, which continues where the last line left it.
  void LineTo(int x, int y);
  void StyledLineTo(int x, int y);
  void BeginPath();
  void StrokePath();

  int SegmentCount() const { return static_cast<int>(count_); }
  const int* Pattern() const { return pattern_; }
  const LinePen& Pen() const { return pen_; }
  bool HasPen() const { return hasPen_; }
  int CurrentX() const { return x_; }
  int CurrentY() const { return y_; }
  unsigned SegmentIndex() const { return index_; }
  int Remaining() const { return remaining_; }

private:
  LineDevice* dc_ = nullptr;
  unsigned index_ = 0;
  unsigned count_ = 0;
  int remaining_ = 0;
  int pattern_[8] = {};
  LinePen pen_;
  bool hasPen_ = false;
  int x_ = 0;
  int y_ = 0;
};
