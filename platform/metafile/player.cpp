#include "platform/metafile/player.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace qv::wmf {

namespace {

constexpr double kMaxPixels = 4096;

QColor Color(uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

struct State {
  QPointF winOrg, winExt;
  Pen pen;
  Brush brush;
  Font font;
  uint32_t textColor = 0, bkColor = 0xFFFFFF;
  int bkMode = 2, fillMode = 1, textAlign = 0;
  QPointF pos;  // current position, logical
};

class Player {
 public:
  Player(QPainter& p, const QRectF& target) : p_(p), target_(target) {}

  void Run(const Picture& pic, const QPointF& org, const QPointF& ext) {
    s_.winOrg = org;
    s_.winExt = ext;
    s_.pen = Pen{};
    s_.brush = Brush{};
    for (const auto& c : pic.commands) Do(c);
  }

 private:
  double Sx() const { return s_.winExt.x() ? target_.width() / s_.winExt.x() : 0; }
  double Sy() const { return s_.winExt.y() ? target_.height() / s_.winExt.y() : 0; }
  QPointF Map(const Point& pt) const {
    return {target_.left() + (pt.x - s_.winOrg.x()) * Sx(), target_.top() + (pt.y - s_.winOrg.y()) * Sy()};
  }
  QRectF MapBox(const Command& c) const { return QRectF(Map(c.pts[0]), Map(c.pts[1])).normalized(); }

  void ApplyPen() {
    if (s_.pen.style == 5) {
      p_.setPen(Qt::NoPen);
      return;
    }
    QPen pen(Color(s_.pen.color));
    // A picture cannot ask for a pen wider than any screen.
    const double w = std::min(std::fabs(s_.pen.width * Sx()), kMaxPixels);
    pen.setWidthF(w < 1 ? 0 : w);
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                           Qt::DashDotDotLine, Qt::NoPen,    Qt::SolidLine};
    pen.setStyle(s_.pen.style >= 0 && s_.pen.style <= 6 ? kStyles[s_.pen.style] : Qt::SolidLine);
    p_.setPen(pen);
  }
  void ApplyBrush() {
    if (s_.brush.style == 1) {
      p_.setBrush(Qt::NoBrush);
      return;
    }
    Qt::BrushStyle style = Qt::SolidPattern;
    if (s_.brush.style == 2) {
      static const Qt::BrushStyle kHatch[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                              Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
      style = s_.brush.hatch >= 0 && s_.brush.hatch <= 5 ? kHatch[s_.brush.hatch] : Qt::SolidPattern;
    }
    p_.setBrush(QBrush(Color(s_.brush.color), style));
  }
  void Apply() {
    ApplyPen();
    ApplyBrush();
  }

  // Angle in degrees (counter-clockwise on screen) of a point seen from c.
  static double Angle(const QPointF& c, const QPointF& p) {
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180 / std::numbers::pi;
  }

  void Curve(const Command& c) {
    const QRectF box = MapBox(c);
    const double a0 = Angle(box.center(), Map(c.pts[2]));
    double span = Angle(box.center(), Map(c.pts[3])) - a0;
    while (span <= 0) span += 360;
    const int start = static_cast<int>(std::lround(a0 * 16)), len = static_cast<int>(std::lround(span * 16));
    Apply();
    if (c.op == Op::Arc) p_.drawArc(box, start, len);
    else if (c.op == Op::Pie) p_.drawPie(box, start, len);
    else p_.drawChord(box, start, len);
  }

  void Text(const Command& c) {
    QFont f(QString::fromLatin1(s_.font.face.c_str()));
    const double px = std::min(std::fabs(s_.font.height * Sy()), kMaxPixels);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(px > 0 ? px : 12))));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(s_.font.weight > 0 ? s_.font.weight : 400, 100, 900)));
    f.setItalic(s_.font.italic);
    f.setUnderline(s_.font.underline);
    f.setStrikeOut(s_.font.strikeOut);
    const QString text = c.a[1] == 1 ? QString::fromUtf8(c.text.data(), static_cast<int>(c.text.size()))
                                     : QString::fromLatin1(c.text.data(), static_cast<int>(c.text.size()));
    const QFontMetricsF fm(f);
    const bool useCp = s_.textAlign & 1;
    QPointF at = useCp ? Map({static_cast<int>(s_.pos.x()), static_cast<int>(s_.pos.y())}) : Map(c.pts[0]);
    if (c.a[0] && c.pts.size() == 3) p_.fillRect(QRectF(Map(c.pts[1]), Map(c.pts[2])).normalized(), Color(s_.bkColor));
    const double w = fm.horizontalAdvance(text);
    double dx = 0, dy = fm.ascent();
    if ((s_.textAlign & 6) == 6) dx = -w / 2;
    else if (s_.textAlign & 2) dx = -w;
    if ((s_.textAlign & 24) == 24) dy = 0;
    else if (s_.textAlign & 8) dy = -fm.descent();
    p_.save();
    p_.translate(at);
    if (s_.font.escapement) p_.rotate(-s_.font.escapement / 10.0);
    p_.setFont(f);
    if (s_.bkMode == 2) p_.fillRect(QRectF(dx, dy - fm.ascent(), w, fm.height()), Color(s_.bkColor));
    p_.setPen(Color(s_.textColor));
    p_.drawText(QPointF(dx, dy), text);
    p_.restore();
  }

  void Do(const Command& c) {
    switch (c.op) {
      case Op::SetWindowOrg:
        s_.winOrg = QPointF(c.pts[0].x, c.pts[0].y);
        break;
      case Op::SetWindowExt:
        s_.winExt = QPointF(c.pts[0].x, c.pts[0].y);
        break;
      case Op::OffsetWindowOrg:
        s_.winOrg += QPointF(c.pts[0].x, c.pts[0].y);
        break;
      case Op::ScaleWindowExt:
        s_.winExt = QPointF(s_.winExt.x() * c.a[0] / c.a[1], s_.winExt.y() * c.a[2] / c.a[3]);
        break;
      case Op::MoveTo:
        s_.pos = QPointF(c.pts[0].x, c.pts[0].y);
        break;
      case Op::LineTo: {
        ApplyPen();
        const QPointF from = Map({static_cast<int>(s_.pos.x()), static_cast<int>(s_.pos.y())});
        p_.drawLine(from, Map(c.pts[0]));
        s_.pos = QPointF(c.pts[0].x, c.pts[0].y);
        break;
      }
      case Op::Rectangle:
        Apply();
        p_.drawRect(MapBox(c));
        break;
      case Op::RoundRect:
        Apply();
        p_.drawRoundedRect(MapBox(c), std::fabs(c.a[0] * Sx()) / 2, std::fabs(c.a[1] * Sy()) / 2);
        break;
      case Op::Ellipse:
        Apply();
        p_.drawEllipse(MapBox(c));
        break;
      case Op::Arc:
      case Op::Pie:
      case Op::Chord:
        Curve(c);
        break;
      case Op::Polyline:
      case Op::Polygon: {
        QPolygonF poly;
        for (const auto& pt : c.pts) poly << Map(pt);
        Apply();
        if (c.op == Op::Polyline) p_.drawPolyline(poly);
        else p_.drawPolygon(poly, s_.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        break;
      }
      case Op::PolyPolygon: {
        QPainterPath path;
        path.setFillRule(s_.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        size_t k = 0;
        for (int n : c.counts) {
          QPolygonF poly;
          for (int i = 0; i < n && k < c.pts.size(); ++i) poly << Map(c.pts[k++]);
          path.addPolygon(poly);
          path.closeSubpath();
        }
        Apply();
        p_.drawPath(path);
        break;
      }
      case Op::Text:
        Text(c);
        break;
      case Op::Bitmap: {
        const Image& im = c.image;
        const QImage img(reinterpret_cast<const uchar*>(im.pixels.data()), im.width, im.height, im.width * 4,
                         QImage::Format_ARGB32);
        const QRectF dst =
            QRectF(Map(c.pts[0]), Map({c.pts[0].x + c.pts[1].x, c.pts[0].y + c.pts[1].y})).normalized();
        const QRectF src = QRectF(c.a[0], c.a[1], c.a[2], c.a[3]).normalized() & QRectF(img.rect());
        if (!src.isEmpty() && !dst.isEmpty()) p_.drawImage(dst, img, src);
        break;
      }
      case Op::SetPixel:
        p_.fillRect(QRectF(Map(c.pts[0]), QSizeF(1, 1)), Color(c.color));
        break;
      case Op::SaveDC:
        if (stack_.size() < 1024) {
          stack_.push_back(s_);
          p_.save();
        }
        break;
      case Op::RestoreDC: {
        // Negative: that many levels back; positive: down to that level.
        const long target = c.a[0] < 0 ? static_cast<long>(stack_.size()) + c.a[0] : c.a[0] - 1;
        if (target >= 0 && target < static_cast<long>(stack_.size())) {
          while (static_cast<long>(stack_.size()) > target) {
            s_ = stack_.back();
            stack_.pop_back();
            p_.restore();
          }
        }
        break;
      }
      case Op::SelectPen:
        s_.pen = c.pen;
        break;
      case Op::SelectBrush:
        s_.brush = c.brush;
        break;
      case Op::SelectFont:
        s_.font = c.font;
        break;
      case Op::SetTextColor:
        s_.textColor = c.color;
        break;
      case Op::SetBkColor:
        s_.bkColor = c.color;
        break;
      case Op::SetBkMode:
        s_.bkMode = c.a[0];
        break;
      case Op::SetPolyFillMode:
        s_.fillMode = c.a[0];
        break;
      case Op::SetTextAlign:
        s_.textAlign = c.a[0];
        break;
    }
  }

  QPainter& p_;
  QRectF target_;
  State s_;
  std::vector<State> stack_;

 public:
  ~Player() {
    for (size_t i = 0; i < stack_.size(); ++i) p_.restore();
  }
};

}  // namespace

bool Play(const Picture& pic, QPainter& painter, const QRectF& target) {
  int x, y, w, h;
  if (!Frame(pic, x, y, w, h) || target.isEmpty()) return false;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setClipRect(target, Qt::IntersectClip);
  {
    Player player(painter, target);
    player.Run(pic, QPointF(x, y), QPointF(w, h));
  }
  painter.restore();
  return true;
}

}  // namespace qv::wmf
