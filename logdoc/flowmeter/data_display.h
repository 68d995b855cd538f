// The heat-pulse plot: the temperature differential (counts per second)
// against the time since the measurement began, as a step curve over a grid,
// with a red marker at the interpretation time. One curve point per pixel
// column; the values stay with the caller, who hands them over whenever the
// curve has to be recomputed. Used on the GUI thread only: the flowmeter's
// log thread reports new samples and the dialog extends the curve.
#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

namespace qv {

// The grid of a plot W x H pixels over a time span T (ms) and a value range Y.
struct HeatPulseGrid {
  int lx = 0, sx = 0;  // fine time lines, and fine lines per coarse step / 5
  double dx = 0;       // pixels between fine time lines
  int ly = 0, sy = 0;  // fine value lines over 2 x range
  double dy = 0;
};
HeatPulseGrid ComputeHeatPulseGrid(int width, int height, int spanMs, int range);

}  // namespace qv

class CDataDisplay : public QWidget {
  Q_OBJECT
 public:
  explicit CDataDisplay(QWidget* parent = nullptr);

  // A span of 0 becomes 100000 ms, a range of 0 becomes 32767.
  void SetScales(int spanMs, int stepMs, int range);
  // Rescales with the stored time step and recomputes every point.
  void SetData(int spanMs, int range, const double* values, int count, double baseline);
  // Recomputes the points from values[first] on and repaints.
  void ComputePoints(const double* values, int count, int first, double baseline);
  void Clear();
  // Times below 0 or above the span are ignored.
  void SetMarker(int timeMs);

  const std::vector<QPoint>& Points() const { return points_; }
  int PointCount() const { return pointCount_; }
  int Marker() const { return marker_; }
  int MarkerX() const;

  static constexpr QRgb kCurve = 0x0000FF, kMarker = 0xFF0000, kFine = 0xC0C0C0, kCoarse = 0x808080;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  std::vector<QPoint> points_;
  int pointCount_ = 0;
  int marker_ = 0;
  QRect plot_;
  int span_ = 100000, step_ = 100, range_ = 2000;
  double yScale_ = 0, xScale_ = 0;
};
