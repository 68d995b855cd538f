// Windows metafiles (.wmf), as the sonde pictures are stored: the decoder
// turns the bytes of a placeable or plain metafile into a list of drawing
// commands, checking every size, count and offset against the bytes that are
// really there. It knows nothing of drawing (see player.h) and no toolkit,
// so it can be fed arbitrary bytes on its own.
//
// Object handles of the file (pens, brushes, fonts and objects this player
// does not draw) are resolved here: a select command carries the selected
// object itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::wmf {

enum class Form { Enhanced, Placeable, Plain };

// Which of the three forms the bytes are (the enhanced signature at offset
// 40, the placeable key at offset 0, else plain). Short inputs are Plain.
Form DetectForm(const uint8_t* data, size_t size);

struct Point {
  int x = 0, y = 0;
};

struct Pen {
  int style = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none, 6 inside frame
  int width = 0;  // logical units; 0 is one device pixel
  uint32_t color = 0;  // 0x00BBGGRR
};

struct Brush {
  int style = 0;  // 0 solid, 1 none, 2 hatched (others are drawn solid)
  uint32_t color = 0xFFFFFF;
  int hatch = 0;
};

struct Font {
  int height = 0;  // logical units; negative: character height, positive: cell height
  int width = 0;
  int escapement = 0;  // tenths of a degree
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::string face;
};

enum class Op {
  SetWindowOrg,     // pts[0]
  SetWindowExt,     // pts[0]
  OffsetWindowOrg,  // pts[0]
  ScaleWindowExt,   // a[0]/a[1] on x, a[2]/a[3] on y
  MoveTo,           // pts[0]
  LineTo,           // pts[0]
  Rectangle,        // pts[0] top-left, pts[1] bottom-right
  RoundRect,        // pts[0], pts[1]; a[0], a[1] corner width and height
  Ellipse,          // pts[0], pts[1]
  Arc,              // pts[0], pts[1] bounding box; pts[2] start, pts[3] end radial points
  Pie,
  Chord,
  Polyline,     // pts
  Polygon,      // pts
  PolyPolygon,  // pts, counts
  Text,         // pts[0], text (8-bit, or UTF-8 when a[1] is 1); a[0] 1 when opaque rectangle pts[1], pts[2] is given
  SetPixel,     // pts[0], color
  SaveDC,
  RestoreDC,  // a[0]: relative (negative) or absolute level
  SelectPen,
  SelectBrush,
  SelectFont,
  SetTextColor,  // color
  SetBkColor,    // color
  SetBkMode,     // a[0]: 1 transparent, 2 opaque
  SetPolyFillMode,  // a[0]: 1 alternate, 2 winding
  SetTextAlign,     // a[0]: the alignment bits
  Bitmap,           // pts[0] destination corner, pts[1] destination size; a[] source x, y, width, height; image
};

// A device-independent bitmap decoded to 0xAARRGGBB pixels, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

struct Command {
  Op op = Op::SaveDC;
  int a[4] = {0, 0, 0, 0};
  uint32_t color = 0;
  std::vector<Point> pts;
  std::vector<int> counts;
  std::string text;  // the file's 8-bit characters
  Pen pen;
  Brush brush;
  Font font;
  Image image;
};

struct Picture {
  Form form = Form::Plain;
  bool hasBounds = false;  // placeable header bounds (logical units), enhanced header bounds
  int left = 0, top = 0, right = 0, bottom = 0;
  int unitsPerInch = 0;  // placeable header only
  std::vector<Command> commands;
};

// Decodes a metafile of any of the three forms. False, with a reason, for a
// file whose header, record sizes, counts or offsets do not fit its bytes.
// Records this player does not draw are skipped (after their size was
// checked); so are bitmaps it does not decode and unknown object handles.
bool Decode(const uint8_t* data, size_t size, Picture& out, std::string& error);

}  // namespace qv::wmf

namespace qv::wmf {

// The logical rectangle the picture covers: the placeable header's bounds,
// else the first window origin and extent the picture sets, else the bounds
// of every point it draws. False when there is none (nothing to draw).
bool Frame(const Picture& pic, int& x, int& y, int& width, int& height);

}  // namespace qv::wmf
