#include "print/page/drawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <array>
#include <cmath>
#include <vector>

#include "app/core/styled_line.h"
#include "app/ui/painter_line_device.h"
#include "header/header_info.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "print/page/gdi_text.h"
#include "print/page/heading.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsPage = 32403;
constexpr unsigned kIdsCalibrationTitle = 32434;
constexpr unsigned kIdsJig = 32435;
constexpr unsigned kIdsCps = 32436;
constexpr unsigned kIdsValue = 32437;
constexpr unsigned kIdsCoefficient = 32438;

// Restores the pen, brush and font a routine changed.
class Saved {
 public:
  explicit Saved(QPainter& dc) : dc_(dc) { dc_.save(); }
  ~Saved() { dc_.restore(); }
  Saved(const Saved&) = delete;
  Saved& operator=(const Saved&) = delete;

 private:
  QPainter& dc_;
};

QPen SolidPen(int width, QColor colour = Qt::black) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

std::string Caption(const CurveRecord& curve) {
  return curve.shortTitle + "  " + curve.unit;
}

int Trunc(double v) {
  return int(v);
}

// The caption centred on top, the scale ends above the bottom, and a base
// line with ticks at DIVISIONS parts of the width (header routines).
void DrawScaleTicks(QPainter& dc, QRect box, int divisions, const PrintSettings* settings) {
  const int tick = settings != nullptr && settings->mmPerPixel > 0 ? Trunc(2 / settings->mmPerPixel) : 0;
  const int bottom = box.top() + box.height();
  const int right = box.left() + box.width();
  dc.drawLine(box.left(), bottom, right, bottom);
  for (int i = 0; i < divisions; ++i) {
    const int x = box.left() + i * (box.width() / divisions);
    dc.drawLine(x, bottom, x, bottom - tick);
  }
  dc.drawLine(right, bottom, right, bottom - tick);
}

}  // namespace

int ThinPenWidth(int dpiX) {
  return std::max(1, Trunc(dpiX * double(0.01f) + 0.5));
}
int ThickPenWidth(int dpiX) {
  return std::max(2, Trunc(dpiX * double(0.02f) + 0.5));
}
int FramePenWidth(double mmPerPixel) {
  return std::max(3, Trunc(double(0.4f) / mmPerPixel + 0.5));
}

// Boxes are given as GDI rectangles: right and bottom are left + width and
// top + height, one past the last dot Qt's QRect would name.
void DrawCurveLegend(QPainter* dc, QRect box, int textHeight, const CurveRecord* curve, bool colour) {
  if (dc == nullptr || curve == nullptr) return;
  Saved saved(*dc);
  const int right = box.left() + box.width();
  const int bottom = box.top() + box.height();
  const PrintLineStyle style = PrintLineStyleOf(curve->printLineStyle);
  const int dpi = dc->device() != nullptr ? dc->device()->logicalDpiX() : 300;
  const int width = style.width == 1 ? ThinPenWidth(dpi) : ThickPenWidth(dpi);
  PainterLineDevice device(*dc);
  CStyledLine line;
  line.SetStyle(&device, style.dashStyle, width, colour ? curve->lineColour : 0);
  line.BeginPath();
  line.MoveTo(box.left(), bottom - textHeight / 2);
  line.LineTo(right, bottom - textHeight / 2);
  line.StrokePath();

  dc->setPen(SolidPen(1));
  PrintText(*dc, box.left() + box.width() / 2, box.top(), Caption(*curve), TA_CENTER | TA_TOP);
  const bool minimumLeft = curve->scaleFlag != 0;
  const float leftValue = minimumLeft ? curve->scaleMinimum : curve->scaleMaximum;
  const float rightValue = minimumLeft ? curve->scaleMaximum : curve->scaleMinimum;
  PrintText(*dc, box.left(), bottom - textHeight, FormatC("%.2f", leftValue), TA_LEFT | TA_BOTTOM);
  PrintText(*dc, right, bottom - textHeight, FormatC("%.2f", rightValue), TA_RIGHT | TA_BOTTOM);
}

void DrawLinearScaleHeader(QPainter* dc, QRect box, const CurveRecord* curve, const PrintSettings* settings) {
  if (dc == nullptr || curve == nullptr) return;
  Saved saved(*dc);
  PrintText(*dc, box.left() + box.width() / 2, box.top(), curve->shortTitle, TA_CENTER | TA_TOP);
  DrawScaleTicks(*dc, box, 4, settings);
  // The strip runs once round the hole: the ticks stand at its azimuths,
  // and their degrees stand above them.
  const int tick = settings != nullptr && settings->mmPerPixel > 0 ? Trunc(2 / settings->mmPerPixel) : 0;
  const int y = box.top() + box.height() - tick;
  for (int i = 0; i <= 4; ++i) {
    const int x = i < 4 ? box.left() + i * (box.width() / 4) : box.left() + box.width();
    const unsigned align = (i == 0 ? TA_LEFT : i == 4 ? TA_RIGHT : TA_CENTER) | TA_BOTTOM;
    PrintText(*dc, x, y, std::to_string(90 * i), align);
  }
}

void DrawTenDivisionScaleHeader(QPainter* dc, QRect box, int textHeight, const CurveRecord* curve,
                                const PrintSettings* settings) {
  if (dc == nullptr || curve == nullptr) return;
  Saved saved(*dc);
  const int bottom = box.top() + box.height();
  PrintText(*dc, box.left() + box.width() / 2, box.top(), Caption(*curve), TA_CENTER | TA_TOP);
  PrintText(*dc, box.left(), bottom - textHeight, FormatC("%.2f", curve->scaleMinimum), TA_LEFT | TA_BOTTOM);
  PrintText(*dc, box.left() + box.width(), bottom - textHeight, FormatC("%.2f", curve->scaleMaximum),
            TA_RIGHT | TA_BOTTOM);
  DrawScaleTicks(*dc, box, 10, settings);
}

int DrawPageNumber(QPainter* dc, const PrintSettings* settings, int page) {
  if (settings == nullptr || settings->mmPerPixel <= 0) return 0;
  const int fontHeight = Trunc(3 / settings->mmPerPixel + 0.5);
  if (dc == nullptr) return 2 * fontHeight;
  Saved saved(*dc);
  dc->setFont(PrintFont(*dc, fontHeight));
  const int bandTop = settings->top + settings->height - 2 * fontHeight;
  const int bandBottom = settings->top + settings->height;
  const int x = (settings->left + settings->left + settings->width) / 2;
  const int y = (bandTop + bandBottom) / 2;
  std::string text = LoadFileString(kIdsPage);
  text = FormatC(text.c_str(), page);
  PrintText(*dc, x, y, text, TA_CENTER | TA_TOP);
  return 2 * fontHeight;
}

void DrawFittedText(const std::string& text, int alignment, int left, int right, int y, QPainter* dc) {
  if (dc == nullptr) return;
  std::string s = text;
  const int room = right - left;
  while (TextWidth(*dc, s) > room && s.size() > 3) s = s.substr(0, s.size() - 3) + "..";
  if (TextWidth(*dc, s) > room) return;
  switch (alignment) {
    case 1:
      PrintText(*dc, (right - left) / 2 + left, y, s, TA_CENTER | TA_TOP);
      break;
    case 2:
      PrintText(*dc, right, y, s, TA_RIGHT | TA_TOP);
      break;
    default:
      PrintText(*dc, left, y, s, TA_LEFT | TA_TOP);
      break;
  }
}

void DrawMarkerTriangle(QPainter* dc, int x, int y, double mmPerPixel) {
  if (dc == nullptr || mmPerPixel <= 0) return;
  Saved saved(*dc);
  const int c = Trunc(0.75 / mmPerPixel);
  const int d = Trunc(2.5 / mmPerPixel);
  dc->setPen(SolidPen(1));
  dc->setBrush(Qt::black);
  dc->drawPolygon(QPolygon({QPoint(x, y + c), QPoint(x + d, y), QPoint(x, y - c)}));
}

double RoundToDecimals(double value, int decimals) {
  const double f = std::pow(10.0, decimals);
  const double t = value * f;
  return (t >= 0 ? std::floor(t + 0.5) : std::ceil(t - 0.5)) / f;
}

bool DrawTrailerBox(QPainter* dc, const PrintSettings* settings, const TrailerText* text, GdiRect* box) {
  if (settings == nullptr || text == nullptr || box == nullptr) return true;
  std::vector<std::string> lines;
  for (const std::string* l : {&text->Text1, &text->Text2, &text->Text3, &text->Text4})
    if (!l->empty()) lines.push_back(*l);
  if (lines.empty()) return true;
  if (dc == nullptr) return false;
  Saved saved(*dc);
  const int a = settings->orientation == 2 ? settings->height : settings->width;
  const int b = settings->orientation == 2 ? settings->width : settings->height;
  dc->setFont(PrintFont(*dc, b < a ? a / 52 : a / 68));
  const int cy = TextHeight(*dc);  // of the sample "\xC4q": the font's cell
  const int half = cy / 2;
  const int n = int(lines.size());
  box->top += cy;
  box->bottom = box->top + (n + 2) * cy + (n - 1) * half;
  if (box->bottom > settings->height) return false;
  dc->setPen(SolidPen(FramePenWidth(settings->mmPerPixel)));
  dc->setBrush(Qt::NoBrush);
  dc->drawRect(QRect(box->left, box->top, box->right - box->left - 1, box->bottom - box->top - 1));
  dc->setPen(SolidPen(1));
  for (int i = 0; i < n; ++i)
    PrintText(*dc, box->left + cy, box->top + (i + 1) * cy + i * half, lines[i], TA_LEFT | TA_TOP);
  return true;
}

ReferencePointText SplitReferencePoint(const std::string& point) {
  ReferencePointText r;
  const size_t blank = point.find(' ');
  r.count = point.substr(0, blank);
  if (r.count.empty()) r.count = "00000";
  const size_t at = point.find("at");
  if (at != std::string::npos && at > 0) {
    const std::string rest = at + 3 <= point.size() ? point.substr(at + 3) : std::string();
    const size_t gap = rest.find(' ');
    if (gap == std::string::npos || gap == 0) {
      r.value = rest;
    } else {
      r.value = rest.substr(0, gap);
      r.unit = rest.substr(gap + 1);
    }
  } else {
    r.value = "00000";
  }
  return r;
}

bool DrawCalibrationTable(QPainter* dc, const PrintSettings* settings, const CalibrationArray* calibrations) {
  if (calibrations == nullptr || calibrations->empty() || settings == nullptr) return false;
  if (dc == nullptr) return false;
  Saved saved(*dc);
  const bool turned = settings->orientation == 2;
  const double ux = (turned ? settings->height : settings->width) / 160.0;
  const double uy = (turned ? settings->width : settings->height) / 88.0;
  const int ox = turned ? settings->top : settings->left;
  const int oy = turned ? settings->left : settings->top;
  auto P = [&](double c, double r) { return GridToDevice(c, r, ox, oy, ux, uy); };
  const int row = Trunc(uy);
  const QFont normal = PrintFont(*dc, row);
  const QFont bold = PrintFont(*dc, row, true);
  dc->setPen(SolidPen(FramePenWidth(settings->mmPerPixel)));
  dc->setBrush(Qt::NoBrush);
  dc->drawPolyline(QPolygon({P(0, 0), P(150, 0), P(150, 3), P(0, 3), P(0, 0)}));
  dc->setFont(bold);
  PrintText(*dc, (P(0, 0).x() + P(150, 0).x()) / 2, P(0, 0).y() + row, LoadFileString(kIdsCalibrationTitle),
            TA_CENTER | TA_TOP);

  const QPoint base = P(0, 3);
  const int frameRight = P(150, 3).x();
  auto blockX = [&](int k) { return base.x() + Trunc((k % 2 == 0 ? 5 : 80) * ux); };
  const int c27 = Trunc(27 * ux), c45 = Trunc(45 * ux), c46 = Trunc(46 * ux);

  int last = base.y();
  int k = 0;
  for (const auto& cal : *calibrations) {
    if (!cal) continue;
    const int bx = blockX(k);
    int y = base.y() + Trunc(((k / 2) * 7 + 1) * uy);
    dc->setFont(bold);
    PrintText(*dc, bx + c27, y, cal->shortTitle, TA_LEFT | TA_TOP);
    dc->setFont(normal);
    y += row;
    PrintText(*dc, bx + c27, y, LoadFileString(kIdsCps), TA_RIGHT | TA_TOP);
    PrintText(*dc, bx + c45, y, LoadFileString(kIdsJig), TA_RIGHT | TA_TOP);
    for (int j = 0; j < 4; ++j) {
      y += row;
      const std::string point = j < int(cal->referencePoints.size()) ? cal->referencePoints[j] : std::string();
      const ReferencePointText ref = SplitReferencePoint(point);
      PrintText(*dc, bx, y, FormatC("%s %d   ", LoadFileString(kIdsValue).c_str(), j), TA_LEFT | TA_TOP);
      PrintText(*dc, bx + c27, y, ref.count, TA_RIGHT | TA_TOP);
      PrintText(*dc, bx + c45, y, ref.value, TA_RIGHT | TA_TOP);
      PrintText(*dc, bx + c46, y, ref.unit, TA_LEFT | TA_TOP);
    }
    last = y;
    ++k;
  }
  const int bottom1 = Trunc(last + 2 * uy);
  dc->drawPolyline(
      QPolygon({base, QPoint(base.x(), bottom1), QPoint(frameRight, bottom1), QPoint(frameRight, base.y())}));

  last = bottom1;
  k = 0;
  for (const auto& cal : *calibrations) {
    if (!cal) continue;
    const int bx = blockX(k);
    int y = bottom1 + Trunc(((k / 2) * 6 + 1) * uy);
    dc->setFont(bold);
    PrintText(*dc, bx + c27, y, cal->shortTitle, TA_LEFT | TA_TOP);
    dc->setFont(normal);
    for (int j = 0; j < 4; ++j) {
      y += row;
      PrintText(*dc, bx, y, FormatC("%s %d", LoadFileString(kIdsCoefficient).c_str(), j), TA_LEFT | TA_TOP);
      const double c = cal->coefficients ? (*cal->coefficients)[j] : 0.0;
      PrintText(*dc, bx + c45, y, FormatC("%G", c), TA_RIGHT | TA_TOP);
    }
    last = y;
    ++k;
  }
  const int bottom2 = Trunc(last + 2 * uy);
  dc->drawPolyline(QPolygon({QPoint(base.x(), bottom1), QPoint(base.x(), bottom2), QPoint(frameRight, bottom2),
                             QPoint(frameRight, bottom1)}));
  return true;
}

}  // namespace qv::print
