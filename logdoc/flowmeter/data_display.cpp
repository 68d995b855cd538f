#include "logdoc/flowmeter/data_display.h"

#include <QPainter>
#include <algorithm>

namespace qv {

HeatPulseGrid ComputeHeatPulseGrid(int width, int height, int spanMs, int range) {
  HeatPulseGrid g;
  int nx = spanMs / 1000;
  if (nx <= 10) nx *= 10;
  g.sx = nx >= 60 ? 1 : 2;
  g.lx = nx * g.sx / 2;
  g.dx = g.lx > 0 ? static_cast<double>(width) / g.lx : 0;
  const int q = range < 1000 ? 50 : 500;
  int ny = range / q;
  if (ny <= 10) ny *= 10;
  g.sy = ny >= 60 ? 1 : 2;
  g.ly = ny * g.sy / 2;
  g.dy = g.ly > 0 ? static_cast<double>(height) / g.ly : 0;
  return g;
}

}  // namespace qv

CDataDisplay::CDataDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // the paint fills the background itself
}

void CDataDisplay::SetScales(int spanMs, int stepMs, int range) {
  span_ = spanMs == 0 ? 100000 : spanMs;
  range_ = range == 0 ? 32767 : range;
  step_ = stepMs;
  plot_ = rect();
  yScale_ = plot_.height() / (2.0 * range_);
  xScale_ = static_cast<double>(plot_.width()) / span_;
  if (static_cast<int>(points_.size()) < plot_.width()) points_.assign(static_cast<size_t>(plot_.width()), QPoint());
}

void CDataDisplay::resizeEvent(QResizeEvent*) {
  SetScales(span_, step_, range_);
}

void CDataDisplay::SetData(int spanMs, int range, const double* values, int count, double baseline) {
  SetScales(spanMs, step_, range);
  pointCount_ = 0;
  ComputePoints(values, count, 0, baseline);
  update();
}

void CDataDisplay::ComputePoints(const double* values, int count, int first, double baseline) {
  if (!values || count <= 0 || xScale_ <= 0 || first < 0) return;
  const int cy = plot_.center().y();
  const double dt = 1 / xScale_;
  const double c = static_cast<double>(first) * step_;
  double t = c, end = c;
  int p = static_cast<int>(c * xScale_ + 0.5);
  if (static_cast<long long>(c) > span_) return;
  const int capacity = static_cast<int>(points_.size());
  for (int a = first; a < count; ++a) {
    end += step_;
    while (t <= end && p < capacity) {
      int y = cy - static_cast<int>((values[a] - baseline) * yScale_ + 0.5);
      y = std::clamp(y, plot_.top(), plot_.bottom());
      points_[static_cast<size_t>(p)] = QPoint(plot_.left() + p, y);
      ++p;
      t += dt;
    }
  }
  pointCount_ = p;
  update();
}

void CDataDisplay::Clear() {
  pointCount_ = 0;
  update();
}

int CDataDisplay::MarkerX() const {
  return std::min(plot_.left() + static_cast<int>(marker_ * xScale_ + 0.5), plot_.right());
}

void CDataDisplay::SetMarker(int timeMs) {
  if (timeMs < 0 || timeMs > span_) return;
  update(MarkerX(), plot_.top(), 1, plot_.height());
  marker_ = timeMs;
  update(MarkerX(), plot_.top(), 1, plot_.height());
}

void CDataDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(plot_, Qt::white);
  const int w = plot_.width(), h = plot_.height();
  const qv::HeatPulseGrid g = qv::ComputeHeatPulseGrid(w, h, span_, range_);
  p.setPen(QPen(QColor::fromRgb(kFine), 1));
  for (int i = 1; i <= g.lx; ++i) {
    const int x = plot_.left() + static_cast<int>(i * g.dx);
    p.drawLine(x, plot_.top(), x, plot_.bottom());
  }
  for (int i = 0; i <= g.ly; ++i) {
    const int y = plot_.top() + static_cast<int>(i * g.dy);
    p.drawLine(plot_.left(), y, plot_.right(), y);
  }
  p.setPen(QPen(QColor::fromRgb(kCoarse), 1));
  for (int i = 0; i <= g.lx; i += 5 * g.sx) {
    const int x = plot_.left() + static_cast<int>(i * g.dx);
    p.drawLine(x, plot_.top(), x, plot_.bottom());
  }
  for (int i = 0; i <= g.ly; i += 5 * g.sy) {
    const int y = plot_.top() + static_cast<int>(i * g.dy);
    p.drawLine(plot_.left(), y, plot_.right(), y);
  }
  p.setPen(QPen(QColor::fromRgb(kCoarse), 2));
  p.drawLine(plot_.left(), plot_.top(), plot_.left(), plot_.bottom());
  p.drawLine(plot_.left(), plot_.center().y(), plot_.right(), plot_.center().y());
  if (pointCount_ > 0) {
    p.setPen(QPen(QColor::fromRgb(kCurve), 1));
    p.drawPolyline(points_.data(), pointCount_);
  }
  p.setPen(QPen(QColor::fromRgb(kMarker), 1));
  p.drawLine(MarkerX(), plot_.top(), MarkerX(), plot_.bottom());
}
