#include "raster_line_device.h"

#include <cstdlib>

namespace qv {

void RasterLineDevice::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void RasterLineDevice::LineTo(int x, int y) {
  const Segment s{x_, y_, x, y};
  if (inPath_)
    path_.push_back(s);
  else
    Stroke(s, 1);
  x_ = x;
  y_ = y;
}

void RasterLineDevice::BeginPath() {
  path_.clear();
  inPath_ = true;
}

void RasterLineDevice::StrokePath(const LinePen& pen) {
  for (const Segment& s : path_) Stroke(s, pen.width);
  path_.clear();
  inPath_ = false;
}

void RasterLineDevice::Stroke(const Segment& s, int width) {
  if (!raster_) return;
  const int w = width < 1 ? 1 : width;
  const int before = w / 2;
  const int after = w - before - 1;
  // Bresenham from end to end, a w x w square of ink at every step.
  const int dx = std::abs(s.x1 - s.x0), dy = -std::abs(s.y1 - s.y0);
  const int sx = s.x0 < s.x1 ? 1 : -1, sy = s.y0 < s.y1 ? 1 : -1;
  int error = dx + dy;
  int x = s.x0, y = s.y0;
  for (;;) {
    raster_->FillRect(x - before, y - before, x + after, y + after);
    if (x == s.x1 && y == s.y1) break;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y += sy;
    }
  }
}

}  // namespace qv
