// A 1-bit raster of our own for the chart recorder: rows of packed dots, the
// most significant bit of a byte leftmost, a set bit is ink (a black dot on
// the paper). The recorder sends these rows as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

class MonoRaster {
 public:
  MonoRaster() = default;
  MonoRaster(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return stride_; }
  // Every dot paper (no ink).
  void Clear();
  bool Ink(int x, int y) const;
  // Dots outside the raster are ignored.
  void SetInk(int x, int y, bool ink = true);
  // Inks the dots of [x0, x1] x [y0, y1] (clipped; corners in any order).
  void FillRect(int x0, int y0, int x1, int y1, bool ink = true);
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * stride_; }
  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * stride_; }

 private:
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  std::vector<uint8_t> bits_;
};

// An 8-bit image of ink coverage (0 paper, 255 full ink) that text is drawn
// into before it is packed into dots.
class GreyImage {
 public:
  GreyImage(int width, int height) : width_(width), height_(height), px_(static_cast<size_t>(width) * height, 0) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint8_t At(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }
  // Adds coverage, saturating; dots outside are ignored.
  void Add(int x, int y, uint8_t coverage);
  void Clear();

 private:
  int width_;
  int height_;
  std::vector<uint8_t> px_;
};

// Dots whose coverage is at least half become ink in TARGET at (x, y).
void PackGrey(const GreyImage& grey, MonoRaster& target, int x = 0, int y = 0);

// The raster turned by 180 degrees: dot (x, y) goes to (w - 1 - x, h - 1 - y).
MonoRaster Turned(const MonoRaster& raster);

}  // namespace qv
