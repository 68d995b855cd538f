// The logo bitmap of the printed log heading: a BMP file read whole, checked
// against its own header and decoded by Qt's image reader, then drawn
// scaled into a rectangle of the page.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <string>

class QPainter;

namespace qv::print {

class CDib {
 public:
  CDib() = default;
  ~CDib() { Release(); }
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Reads the BMP file at PATH. A file that is missing or empty shows 32097,
  // one that does not begin with "BM" or whose header cannot be decoded 32098,
  // one that ends before its pixels do 32099 (each with the stop icon); the
  // result is then false and the bitmap holds no image. SHARE is kept for the
  // callers' sake: the file is read at once and not held open.
  bool AttachMapFile(const std::string& path, bool share);
  // (width, height) of the bitmap, (0, 0) without one.
  QSize GetSize() const;
  // Draws the whole bitmap stretched into the rectangle at ORIGIN with SIZE;
  // false without a bitmap. The image goes into a PDF without lossy
  // compression.
  bool Draw(QPainter* dc, QPoint origin, QSize size) const;
  // Frees the bitmap.
  void Release();

  // Entries of the colour table: the header's count of used colours, else 2,
  // 16 or 256 by the bit count (0 above 8 bits). A bitmap with a colour table
  // has a palette.
  int ColorTableEntries() const { return colorEntries_; }
  bool HasPalette() const { return colorEntries_ > 0; }
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
  int colorEntries_ = 0;
};

// The logo of the heading in FOLDER: "LOGO.BMP", else "TB_LOGO2.BMP", each
// found whatever the letter case of its name; empty when neither exists.
std::string FindLogoBitmap(const std::string& folder);
// Attaches the logo of FOLDER to DIB; false without one. A folder without a
// logo file simply has no logo (no box); a logo file that cannot be read is
// reported as AttachMapFile reports it.
bool AttachLogoBitmap(CDib& dib, const std::string& folder);

}  // namespace qv::print
