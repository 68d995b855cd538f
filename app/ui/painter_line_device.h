// The styled-line drawer on a QPainter (screen, printer, image).
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "app/core/styled_line.h"

class PainterLineDevice : public LineDevice {
public:
  explicit PainterLineDevice(QPainter& painter) : p_(painter) {}
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void BeginPath() override;
  void StrokePath(const LinePen& pen) override;
  static QPen ToQPen(const LinePen& pen);

private:
  QPainter& p_;
  QPainterPath path_;
  bool inPath_ = false;
  QPoint pos_;
};
