#include "logview/legend_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "logview/styled_sample.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace curveview {
namespace {
const QColor kGridGrey(0xC0, 0xC0, 0xC0);
const QColor kDecadeGrey(0x80, 0x80, 0x80);
const QColor kScaleRed(0xFF, 0x00, 0x00);
const QColor kLabelBackground(0xFF, 0xFF, 0xFF);
constexpr unsigned kStrNewEndRange = 32053;
constexpr unsigned kStrNewStartRange = 32054;
constexpr unsigned kStrEndTooSmall = 32109;
constexpr unsigned kStrStartTooLarge = 32110;
}  // namespace

QRect ToQRect(const RecordRect& r) {
  return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QString LocalText(const std::string& s) {
  return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ScaleText(float v) {
  return qv::FormatC("%.7G", static_cast<double>(v));
}

void Frame3d(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(bottomRight);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

QFont LegendFont() {
  QFont f("Arial");
  f.setWeight(QFont::Normal);
  for (int px = 14; px > 6; --px) {
    f.setPixelSize(px);
    if (QFontMetrics(f).height() <= 14) break;
  }
  return f;
}

LegendPalette LegendPalette::Of(const QPalette& pal) {
  return {pal.color(QPalette::Button), pal.color(QPalette::Light), pal.color(QPalette::Dark),
          pal.color(QPalette::ButtonText)};
}

void PaintLegendFrames(QPainter& p, const std::vector<RecordRect>& frames, const LegendPalette& colours,
                       int lineWidth) {
  for (const RecordRect& b : frames) {
    const QRect r = ToQRect(b);
    Frame3d(p, r, colours.highlight, colours.shadow);
    p.fillRect(r.adjusted(1, 1, -1, -1), colours.face);
    p.setPen(QPen(Qt::black, lineWidth));
    p.drawLine(r.topRight(), r.bottomRight());
  }
}

void PaintTrackGrid(QPainter& p, const TrackGrid& grid, int top, int bottom) {
  for (const GridLine& line : grid.lines) {
    p.setPen(QPen(line.decade ? kDecadeGrey : kGridGrey, 1));
    p.drawLine(line.x, top, line.x, bottom);
  }
}

void PaintLegendText(QPainter& p, const QFont& font, const CurveRecord& c, const QRect& b,
                     const LegendPalette& colours) {
  const QFontMetrics fm(font);
  const int th = fm.height();
  p.setFont(font);
  p.setPen(colours.buttonText);
  const QString title = LocalText(c.description), shortTitle = LocalText(c.shortTitle), unit = LocalText(c.unit);
  if (fm.horizontalAdvance(title) + 2 * th < b.width())
    p.drawText(b, Qt::AlignHCenter | Qt::AlignTop, title);
  else if (fm.horizontalAdvance(shortTitle) + 2 * th < b.width())
    p.drawText(b, Qt::AlignHCenter | Qt::AlignTop, shortTitle);
  if (fm.horizontalAdvance(unit) < b.width()) p.drawText(b.translated(0, th), Qt::AlignHCenter | Qt::AlignTop, unit);

  const QString minText = LocalText(ScaleText(c.scaleMinimum)), maxText = LocalText(ScaleText(c.scaleMaximum));
  if (fm.horizontalAdvance(minText) + fm.horizontalAdvance(maxText) < b.width()) {
    p.setPen(kScaleRed);
    const QString& left = c.scaleFlag ? minText : maxText;
    const QString& right = c.scaleFlag ? maxText : minText;
    p.drawText(QRect(b.left() + 4, b.bottom() + 1 - th, b.width(), th), Qt::AlignLeft | Qt::AlignBottom, left);
    p.drawText(QRect(b.left(), b.bottom() + 1 - th, b.width() - 1, th), Qt::AlignRight | Qt::AlignBottom, right);
  }
}

void PaintSwatch(QPainter& p, const QFont& font, const QRect& b, std::uint32_t colour, const LegendPalette& colours) {
  const int th = QFontMetrics(font).height();
  const QRect swatch = QRect(b.left(), b.top(), th, th).adjusted(2, 2, -2, -2).translated(2, 0);
  Frame3d(p, swatch, colours.shadow, colours.highlight);
  p.fillRect(swatch.adjusted(1, 1, -1, -1), FromColourRef(colour));
}

void PaintPrintSample(QPainter& p, const QFont& font, const QRect& b, int printStyle, const LegendPalette& colours) {
  const int th = QFontMetrics(font).height();
  const QRect sample = QRect(b.right() + 1 - 3 * th, b.top(), 3 * th, th).adjusted(2, 2, -2, -2).translated(-2, 0);
  Frame3d(p, sample, colours.shadow, colours.highlight);
  p.fillRect(sample.adjusted(1, 1, -1, -1), Qt::white);
  const int y = sample.top() + sample.height() / 2;
  DrawStyledSample(p, QPoint(sample.left() + 1, y), QPoint(sample.right() - 1, y), printStyle, 0);
}

LegendHits LegendHitRects(const QFont& font, const CurveRecord& c, const QRect& b) {
  const QFontMetrics fm(font);
  const int h = fm.height();
  const int leftW = fm.horizontalAdvance(LocalText(ScaleText(c.scaleFlag ? c.scaleMinimum : c.scaleMaximum)));
  const int rightW = fm.horizontalAdvance(LocalText(ScaleText(c.scaleFlag ? c.scaleMaximum : c.scaleMinimum)));
  const int bottom = b.bottom() + 1;
  const QRect left(QPoint(b.left(), bottom - h), QPoint(b.left() + leftW + 6 - 1, bottom - 1));
  const QRect right(QPoint(b.right() + 1 - rightW - 6, bottom - h), QPoint(b.right(), bottom - 1));
  LegendHits hits;
  hits.minimum = c.scaleFlag ? left : right;
  hits.maximum = c.scaleFlag ? right : left;
  hits.swatch = QRect(b.left() + 1, b.top(), h, h);
  hits.corner = QRect(b.right() + 1 - 3 * h - 4, b.top(), 3 * h + 4, h);
  return hits;
}

bool AskScaleEnd(QWidget* parent, CurveRecord& c, bool minimum) {
  CChangeH dlg(parent);
  dlg.SetPrompt(qv::LoadString(minimum ? kStrNewStartRange : kStrNewEndRange));
  dlg.SetCurveName(c.description);
  dlg.SetValue(minimum ? c.scaleMinimum : c.scaleMaximum);
  for (;;) {
    if (RunDialog(dlg) != QDialog::Accepted) return false;
    const float v = dlg.Value();
    if (minimum ? v > c.scaleMaximum : v < c.scaleMinimum) {
      qv::ShowMessageBox(qv::LoadString(minimum ? kStrStartTooLarge : kStrEndTooSmall));
      continue;
    }
    (minimum ? c.scaleMinimum : c.scaleMaximum) = v;
    return true;
  }
}

void PaintDepthMarks(QPainter& p, const std::vector<DepthMark>& marks, const QRect& t, const QFont& bold,
                     int legendHeight, const QColor& text, int rightEnd) {
  const QFontMetrics bm(bold);
  p.save();
  p.setFont(bold);
  for (const DepthMark& m : marks) {
    if (m.minute) {
      p.setPen(QPen(Qt::black, 1));
      const int lengths[] = {4, 6, 8, 6, 4};
      for (int k = 0; k < 5; ++k) p.drawLine(t.left(), m.y - 2 + k, t.left() + lengths[k] - 1, m.y - 2 + k);
    }
    if (!m.tick) continue;
    p.setPen(QPen(kGridGrey, m.tick == 3 ? 2 : 1, m.tick == 1 ? Qt::DotLine : Qt::SolidLine));
    p.drawLine(t.left() - 1, m.y, 0, m.y);
    if (rightEnd > 0) p.drawLine(t.right() + 1, m.y, rightEnd, m.y);
    if (!m.label) continue;
    const QString label = QString::fromLatin1(m.text.c_str());
    const int lw = bm.horizontalAdvance(label);
    const int lh = bm.height();
    if (lw < t.width() && m.y - lh / 2 > legendHeight) {
      const QRect box(t.left() + (t.width() - lw) / 2, m.y + lh / 2 - lh, lw, lh);
      p.fillRect(box, kLabelBackground);
      p.setPen(text);
      p.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, label);
    }
  }
  p.restore();
}

void PaintPolylines(QPainter& p, const std::vector<std::vector<Point>>& lines, const QColor& colour) {
  p.setPen(QPen(colour, 1));
  for (const auto& line : lines) {
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(line.size()));
    for (const Point& pt : line) poly << QPoint(pt.x, pt.y);
    p.drawPolyline(poly);
  }
}

}  // namespace curveview
