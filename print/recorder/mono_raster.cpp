#include "mono_raster.h"

#include <algorithm>

namespace qv {

MonoRaster::MonoRaster(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_((width_ + 7) / 8),
      bits_(static_cast<size_t>(stride_) * height_, 0) {}

void MonoRaster::Clear() {
  std::fill(bits_.begin(), bits_.end(), 0);
}

bool MonoRaster::Ink(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return (Row(y)[x / 8] >> (7 - x % 8)) & 1;
}

void MonoRaster::SetInk(int x, int y, bool ink) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
  uint8_t& b = Row(y)[x / 8];
  b = ink ? static_cast<uint8_t>(b | bit) : static_cast<uint8_t>(b & ~bit);
}

void MonoRaster::FillRect(int x0, int y0, int x1, int y1, bool ink) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width_ - 1);
  y1 = std::min(y1, height_ - 1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) SetInk(x, y, ink);
}

void GreyImage::Add(int x, int y, uint8_t coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t& p = px_[static_cast<size_t>(y) * width_ + x];
  p = static_cast<uint8_t>(std::min(255, p + coverage));
}

void GreyImage::Clear() {
  std::fill(px_.begin(), px_.end(), 0);
}

void PackGrey(const GreyImage& grey, MonoRaster& target, int x, int y) {
  for (int gy = 0; gy < grey.Height(); ++gy)
    for (int gx = 0; gx < grey.Width(); ++gx)
      if (grey.At(gx, gy) >= 128) target.SetInk(x + gx, y + gy);
}

MonoRaster Turned(const MonoRaster& raster) {
  MonoRaster out(raster.Width(), raster.Height());
  for (int y = 0; y < raster.Height(); ++y)
    for (int x = 0; x < raster.Width(); ++x)
      if (raster.Ink(x, y)) out.SetInk(raster.Width() - 1 - x, raster.Height() - 1 - y);
  return out;
}

}  // namespace qv
