#include "curveview/styled_sample.h"

#include <QPainter>
#include <QPen>
#include <QVector>

void DrawStyledSample(QPainter& painter, QPoint from, QPoint to, int printStyle, const QColor& colour) {
  // Print style -> dash pattern and width; the pattern lengths are in pixels
  // of a pen of that width.
  static const int kPattern[8] = {1, 3, 2, 4, 1, 3, 2, 4};
  const bool known = printStyle >= 0 && printStyle < 8;
  const int pattern = known ? kPattern[printStyle] : 1;
  const int w = known && printStyle >= 4 ? 2 : 1;
  QPen pen(colour, w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  QVector<qreal> dashes;
  const qreal pw = w;
  switch (pattern) {
    case 2:
      dashes = {4 * pw / pw, (pw + 1) / pw};
      break;
    case 3:
      dashes = {1 / pw, 2 * pw / pw};
      break;
    case 4:
      dashes = {3 * pw / pw, 2 * pw / pw, 1 / pw, 2 * pw / pw};
      break;
    default:
      break;
  }
  if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  painter.setPen(pen);
  painter.drawLine(from, to);
}
