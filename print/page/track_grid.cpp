#include "print/page/track_grid.h"

#include <QPen>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "platform/text/cnum.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"

namespace qv::print {
namespace {

constexpr int kLogGridBit = 0x1000000;
const QColor kPrintGrey(0xC0, 0xC0, 0xC0);

int Trunc(double v) {
  if (!(v > -1e9)) return -1000000000;
  return static_cast<int>(std::min(v, 1e9));
}

}  // namespace

double FitMajorSpacing(const PrintSettings& s, bool imperial, double span) {
  static const double kSteps[] = {0.1, 0.2, 0.4, 0.5, 1, 2, 4, 5, 10, 20, 40, 50, 100, 200, 400, 500, 1000, 10000};
  const double paper = imperial ? s.height * s.inchPerPixel : s.height * s.mmPerPixel / 10;
  const double perPaper = paper > 0 ? span / paper : 0;
  for (double v : kSteps)
    if (1000 * v > perPaper) return 1000 * v;
  return 1000 * kSteps[std::size(kSteps) - 1];
}

void PrintTrackGrid(QPainter& dc, const PrintSettings& s, const QRect& r, int kind, const TrackGridLog& log) {
  if (!log.tracks || !log.curves) return;
  const std::vector<TrackRecord>& tracks = *log.tracks;
  if (kind < 1 || static_cast<int>(tracks.size()) < kind) return;
  const TrackRecord& track = tracks[static_cast<std::size_t>(kind - 1)];
  const QColor ink = s.colourDevice ? kPrintGrey : QColor(Qt::black);
  const int medium = std::max(1, Trunc(0.3 / s.mmPerPixel));
  const int major = std::max(1, Trunc((s.scale == 240 ? 0.4 : 0.3) / s.mmPerPixel));
  const bool time = log.time;
  const bool imperial = log.imperial;
  double u, q;
  if (time) {
    u = 0.1;
    q = s.inchPerPixel;
  } else if (!imperial) {
    u = 2;
    q = s.mmPerPixel;
  } else {
    u = s.scale == 240 ? 8.333333f : 16.666666f;
    q = s.inchPerPixel / 0.012;
  }
  const double f = s.scale == 240 ? 25 : 5;
  // Fit to page (full-wave and sonic pages): the major spacing from the depth
  // span, not rounded; a fifth of it minor; no medium lines.
  const bool fit = log.fitSpacing && s.fitToPage && !time && s.scale > 0;
  const double bigM = fit ? FitMajorSpacing(s, imperial, log.span) : RoundToDecimals(u * f * s.scale, 2);
  const double smallM = fit || s.scale != 240 ? bigM / 5 : bigM / 25;
  const bool mediumLines = s.scale == 240 && !fit;
  // The paper distances between lines.
  const double majorStep = fit ? bigM / s.scale : u * f;
  const double minorStep = fit ? smallM / s.scale : u;
  double majorPos = 0, minorPos = 0, mediumPos = 0, label = 0;
  if (!time && bigM >= 1) {
    const double d = log.windowTop;
    const long long c = static_cast<long long>(d) / static_cast<long long>(bigM);
    if (d <= 0) {
      label = c * bigM;
      majorPos = std::fabs(std::fmod(d, bigM));
      minorPos = std::fabs(std::fmod(d, smallM));
      mediumPos = std::fabs(std::fmod(d, bigM / 5));
    } else if (std::fmod(d, bigM) != 0) {
      label = (c + 1) * bigM;
      majorPos = bigM - std::fmod(d, bigM);
      minorPos = smallM - std::fmod(d, smallM);
      mediumPos = bigM / 5 - std::fmod(d, bigM / 5);
    } else {
      label = c * bigM;
    }
    majorPos /= s.scale;
    minorPos /= s.scale;
    mediumPos /= s.scale;
  }
  // The fit rule draws a line on the first dot row past its position; the
  // others on the row within one dot of it.
  auto at = [&](double p, double pos) { return fit ? p >= pos : std::fabs(p - pos) < q; };
  if (time && kind == 2) return;
  QFont font = PrintFont(dc, Trunc(3.5 / s.mmPerPixel + 0.5));
  font.setWeight(QFont::Light);
  dc.setFont(font);
  const int dotEvery = std::max(1, Trunc(0.5 / s.mmPerPixel));
  for (int y = r.top(); y <= r.bottom() && q > 0; ++y) {
    const double p = (y - r.top()) * q;
    if (at(p, majorPos)) {
      if (kind == 2) {
        dc.setPen(Qt::black);
        const QString text = QString::fromStdString(FormatC("%.2lf", label / 1000.0 + 0.0));
        dc.drawText(QRect(r.left(), y - r.height(), r.width(), 2 * r.height()), Qt::AlignCenter, text);
        label += bigM;
      } else {
        dc.setPen(QPen(ink, major));
        dc.drawLine(r.left(), y, r.right(), y);
      }
      majorPos += majorStep;
      mediumPos += 5 * u;
      minorPos += minorStep;
    } else if (mediumLines && kind == 1 && at(p, mediumPos)) {
      dc.setPen(QPen(ink, medium));
      dc.drawLine(r.left(), y, r.right(), y);
      mediumPos += 5 * u;
      minorPos += u;
    } else if (kind == 1 && at(p, minorPos)) {
      dc.setPen(QPen(ink, 1));
      if (imperial || time) {
        dc.drawLine(r.left(), y, r.right(), y);
      } else {
        for (int x = r.left(); x <= r.right(); x += dotEvery) dc.drawPoint(x, y);
      }
      minorPos += minorStep;
    }
  }
  if (kind != 1) return;
  const std::vector<CurveRecord>& curves = *log.curves;
  // Divisions of a curve track.
  if (track.gridStyle & kLogGridBit) {
    const CurveRecord* def = nullptr;
    for (const CurveRecord& c : curves)
      if (c.headerFlag && c.headerLine == 0 && (c.firstTrack == kind - 1 || c.lastTrack == kind - 1)) {
        def = &c;
        break;
      }
    if (!def) return;
    int lo = ScaleExponent(def->scaleMinimum), hi = ScaleExponent(def->scaleMaximum);
    if (hi == lo) hi = lo + 1;
    const bool span = def->firstTrack == 2 && def->lastTrack == 3;
    if (span && (hi - lo) % 2) ++hi;
    const int n = span ? (hi - lo) / 2 : hi - lo;
    if (n <= 0) return;
    const int w = r.width() / n;
    double x = 0;
    for (int k = 0; k < 9 * n; ++k) {
      const int i = k % 9 + 1;
      x += std::log10((i + 1.0) / i) * w;
      dc.setPen(QPen(ink, i == 9 ? medium : 1));
      const int px = def->scaleFlag ? r.left() + Trunc(x) : r.right() - Trunc(x);
      dc.drawLine(px, r.top(), px, r.bottom());
    }
  } else {
    const int step = Trunc(r.width() / 10.0 + 0.5);
    for (int i = 1; i <= 9; ++i) {
      dc.setPen(QPen(ink, i == 5 ? medium : 1));
      dc.drawLine(r.left() + i * step, r.top(), r.left() + i * step, r.bottom());
    }
  }
}

}  // namespace qv::print
