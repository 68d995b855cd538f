#include "print/page/gdi_text.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <cmath>

#include "platform/docview/qtext.h"

namespace qv::print {

namespace {

QFontMetricsF Metrics(const QPainter& dc) {
  return dc.device() != nullptr ? QFontMetricsF(dc.font(), dc.device()) : QFontMetricsF(dc.font());
}

}  // namespace

QFont PrintFont(const QPainter& dc, int cellHeight, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setHintingPreference(QFont::PreferNoHinting);
  if (cellHeight < 1) cellHeight = 1;
  // Measure the face at a large size and scale, so the cell comes out as
  // asked whatever the face's ascent and descent are.
  constexpr int kProbe = 1000;
  font.setPixelSize(kProbe);
  const QFontMetricsF m = dc.device() != nullptr ? QFontMetricsF(font, dc.device()) : QFontMetricsF(font);
  const double cell = m.ascent() + m.descent();
  font.setPixelSize(std::max(1, int(std::lround(cellHeight * kProbe / (cell > 0 ? cell : kProbe)))));
  return font;
}

void PrintText(QPainter& dc, int x, int y, const std::string& text, unsigned align) {
  if (text.empty()) return;
  const QString s = QStr(text);
  const QFontMetricsF m = Metrics(dc);
  double left = x;
  const unsigned horizontal = align & TA_CENTER;
  if (horizontal == TA_CENTER)
    left -= m.horizontalAdvance(s) / 2;
  else if (horizontal == TA_RIGHT)
    left -= m.horizontalAdvance(s);
  double base = y + m.ascent();
  if ((align & TA_BASELINE) == TA_BASELINE)
    base = y;
  else if (align & TA_BOTTOM)
    base = y - m.descent();
  dc.drawText(QPointF(left, base), s);
}

int TextWidth(const QPainter& dc, const std::string& text) {
  return int(std::ceil(Metrics(dc).horizontalAdvance(QStr(text))));
}

int TextHeight(const QPainter& dc) {
  const QFontMetricsF m = Metrics(dc);
  return int(std::lround(m.ascent() + m.descent()));
}

QColor ColourOf(unsigned c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

}  // namespace qv::print
