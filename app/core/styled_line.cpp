#include "styled_line.h"

#include <cstdlib>
#include <initializer_list>

int BuildDashPattern(int pattern[8], int width, unsigned style) {
  for (int i = 0; i < 8; ++i) pattern[i] = 0;
  // A zero or negative width would give empty segments, and a walk that never
  // leaves one; such a pen draws one pixel wide anyway.
  const int w = width < 1 ? 1 : width;
  auto fill = [&](std::initializer_list<int> lengths) {
    int n = 0;
    for (int l : lengths) pattern[n++] = l;
    return n;
  };
  switch (style) {
    case 0: return fill({4 * w, w + 1, w, w + 1, w, w + 1, w, w + 1});
    case 2: return fill({4 * w, w + 1});
    case 3: return fill({1, 2 * w});
    case 4: return fill({3 * w, 2 * w, 1, 2 * w});
    case 5: return fill({3 * w, 2 * w, 1, 2 * w, 1, 2 * w});
    case 6: return fill({3 * w, 2 * w, 1, 2 * w, 1, 2 * w, 1, 2 * w});
    default: return 0;  // 1 and above 6: solid
  }
}

PrintLineStyle PrintLineStyleOf(int printStyle) {
  static const PrintLineStyle kStyles[kPrintLineStyleCount] = {{1, 1}, {3, 1}, {2, 1}, {4, 1},
                                                               {1, 2}, {3, 2}, {2, 2}, {4, 2}};
  if (printStyle < 0 || printStyle >= kPrintLineStyleCount) return {1, 1};
  return kStyles[printStyle];
}

CStyledLine::CStyledLine() {
  count_ = static_cast<unsigned>(BuildDashPattern(pattern_, 1, 1));
  Reset();
}

void CStyledLine::SetStyle(LineDevice* dc, unsigned style, int width, COLORREF colour) {
  dc_ = dc;
  count_ = static_cast<unsigned>(BuildDashPattern(pattern_, width, style));
  // The pen's ends follow the style value as passed, before larger values
  // became solid.
  pen_ = LinePen{width, colour, style > 2};
  hasPen_ = true;
  Reset();
}

void CStyledLine::Reset() {
  index_ = 0;
  if (count_ > 0) remaining_ = pattern_[0];
  MoveTo(0, 0);
}

void CStyledLine::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
  if (dc_) dc_->MoveTo(x, y);
}

void CStyledLine::SetX(int x) { MoveTo(x, y_); }
void CStyledLine::SetY(int y) { MoveTo(x_, y); }

void CStyledLine::LineTo(int x, int y) {
  if (count_ > 0) {
    StyledLineTo(x, y);
    return;
  }
  if (dc_) dc_->LineTo(x, y);
  x_ = x;
  y_ = y;
}

void CStyledLine::StyledLineTo(int x, int y) {
  if (count_ == 0) return LineTo(x, y);
  const int dx = x - x_;
  const int dy = y - y_;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const int n = xMajor ? std::abs(dx) : std::abs(dy);
  const int m = xMajor ? std::abs(dy) : std::abs(dx);
  const int sx = dx >= 0 ? 1 : -1;
  const int sy = dy >= 0 ? 1 : -1;
  int error = n;
  bool endedOnSwitch = false;
  for (int i = 0; i < n; ++i) {
    error -= m;
    if (error <= 0) {
      if (xMajor)
        y_ += sy;
      else
        x_ += sx;
      error += n;
    }
    if (xMajor)
      x_ += sx;
    else
      y_ += sy;
    if (--remaining_ == 0) {
      index_ = (index_ + 1) % count_;
      remaining_ = pattern_[index_];
      if (dc_) {
        if (index_ & 1)
          dc_->LineTo(x_, y_);  // a gap begins: the dash ends here
        else
          dc_->MoveTo(x_, y_);  // a dash begins
      }
      if (i == n - 1) endedOnSwitch = true;
    }
  }
  if (!endedOnSwitch && !(index_ & 1) && dc_) dc_->LineTo(x_, y_);
  x_ = x;
  y_ = y;
}

void CStyledLine::BeginPath() {
  if (dc_) dc_->BeginPath();
}

void CStyledLine::StrokePath() {
  if (dc_) dc_->StrokePath(pen_);
}
