#include "painter_line_device.h"

void PainterLineDevice::MoveTo(int x, int y) {
  pos_ = QPoint(x, y);
  if (inPath_) path_.moveTo(pos_);
}

void PainterLineDevice::LineTo(int x, int y) {
  const QPoint to(x, y);
  if (inPath_)
    path_.lineTo(to);
  else
    p_.drawLine(pos_, to);
  pos_ = to;
}

void PainterLineDevice::BeginPath() {
  path_ = QPainterPath();
  path_.moveTo(pos_);
  inPath_ = true;
}

QPen PainterLineDevice::ToQPen(const LinePen& pen) {
  return QPen(QColor(GetRValue(pen.colour), GetGValue(pen.colour), GetBValue(pen.colour)), pen.width < 1 ? 1 : pen.width,
              Qt::SolidLine, pen.round ? Qt::RoundCap : Qt::FlatCap, pen.round ? Qt::RoundJoin : Qt::MiterJoin);
}

void PainterLineDevice::StrokePath(const LinePen& pen) {
  if (!inPath_) return;
  p_.save();
  p_.strokePath(path_, ToQPen(pen));
  p_.restore();
  inPath_ = false;
  path_ = QPainterPath();
}
