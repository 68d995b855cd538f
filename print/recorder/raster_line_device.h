// The styled-line drawers' device on a recorder raster: a path keeps its
// segments until it is stroked, and a stroke inks every dot a square pen of
// the pen's width covers along each segment. Any colour is ink: the band's
// white pen and a header's black pen both become dots on the paper.
#pragma once

#include <vector>

#include "app/core/styled_line.h"
#include "print/recorder/mono_raster.h"

namespace qv {

class RasterLineDevice : public LineDevice {
 public:
  explicit RasterLineDevice(MonoRaster* raster = nullptr) : raster_(raster) {}
  void SetRaster(MonoRaster* raster) { raster_ = raster; }

  void MoveTo(int x, int y) override;
  // Outside a path a line is drawn at once, one dot wide.
  void LineTo(int x, int y) override;
  void BeginPath() override;
  void StrokePath(const LinePen& pen) override;

 private:
  struct Segment {
    int x0, y0, x1, y1;
  };
  void Stroke(const Segment& s, int width);

  MonoRaster* raster_;
  std::vector<Segment> path_;
  bool inPath_ = false;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace qv
