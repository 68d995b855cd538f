// Text on a page the way the printed layouts were measured: fonts are asked
// for by their cell height (ascent plus descent, in device dots), and a text
// is placed by a reference point that its alignment names (left, centre or
// right; top, bottom or base line), not by Qt's base-line origin. Every
// printed text goes through here.
#pragma once

#include <QFont>
#include <QPainter>
#include <string>

namespace qv::print {

// Reference-point alignments, combined one horizontal with one vertical.
enum TextAlign : unsigned {
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
};

// "Arial" (weight 400, or 700 when bold) whose cell height on DC's device is
// CELL_HEIGHT dots.
QFont PrintFont(const QPainter& dc, int cellHeight, bool bold = false);
// Draws TEXT (CP1252 bytes) in DC's font with its reference point at (x, y).
void PrintText(QPainter& dc, int x, int y, const std::string& text, unsigned align);
// Width and cell height of TEXT in DC's font, in dots.
int TextWidth(const QPainter& dc, const std::string& text);
int TextHeight(const QPainter& dc);

// A COLORREF (0x00BBGGRR) as a Qt colour.
QColor ColourOf(unsigned colourRef);

}  // namespace qv::print
