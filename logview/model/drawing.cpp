#include "logview/model/drawing.h"

#include <algorithm>
#include <cmath>

#include "app/core/curve_wrap.h"
#include "platform/text/cnum.h"

namespace curveview {
namespace {

// Distance in decades of the grid line of mantissa i from that of i - 1.
double LogStep(int i) {
  return std::log10(static_cast<double>(i) / (i - 1));
}

// Converts a pixel offset computed in floating point, whatever the value it
// came from (huge, infinite, not a number), into an int the drawing can use.
int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

float PositiveOrOne(float v) {
  return v > 0.0f ? v : 1.0f;
}

}  // namespace

TrackGrid GridOfTrack(const std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int track) {
  TrackGrid g;
  if (track < 0 || track >= static_cast<int>(tracks.size())) return g;
  const TrackRecord& t = tracks[static_cast<size_t>(track)];
  const int w = Width(t.screenRect);
  if (!IsLogTrack(t)) {
    int x = t.screenRect.left;
    for (int i = 0; i < 3; ++i) {
      x += static_cast<int>(w / 4.0 + 0.5);
      g.lines.push_back({x, false});
    }
    return g;
  }
  const CurveRecord* def = nullptr;
  for (const auto& c : curves) {
    if (c.headerFlag && c.headerLine == 0 && (c.firstTrack == track || c.lastTrack == track)) {
      def = &c;
      break;
    }
  }
  if (!def) return g;
  const bool two = IsTwoTrack(*def);
  const float m0 = PositiveOrOne(def->scaleMinimum);
  // The grid spans the curve's own decades: a scale starting at 0.1 starts
  // its grid at 0.1 too, not a decade lower.
  const int low = ScaleDecade(m0, kScaleDecadeSlack);
  int high = ScaleDecade(PositiveOrOne(def->scaleMaximum), kScaleDecadeSlack);
  if (high == low) high = low + 1;
  if (two && (high - low) % 2 != 0) high += 1;
  int decades = high - low;
  if (two) decades /= 2;
  if (decades <= 0) return g;
  const int perDecade = w / decades;
  const int mantissa = ScaleMantissa(m0, low);
  double s = 0.0;
  int k = mantissa;
  for (int i = 0; i < 9 * decades; ++i, ++k) {
    s += LogStep((k - 1) % 9 + 2);
    const int x = static_cast<int>(perDecade * s);
    g.lines.push_back({def->scaleFlag ? t.screenRect.left + x : t.screenRect.right - x, k % 9 == 0});
  }
  g.mantissa = mantissa;
  g.decades = def->scaleFlag ? decades : -decades;
  return g;
}

std::vector<DepthMark> DepthMarks(const DepthTrackView& view, const std::function<std::uint8_t(int)>& markAt,
                                  const std::function<bool(int, int*)>& depthAt) {
  std::vector<DepthMark> marks;
  const int n = view.depthScale;
  if (n <= 0) return marks;
  int step = view.imperial ? static_cast<int>(n * 83.33333587646484) : n * 10;
  if (step == 0) return marks;
  const long long labelStep = step;
  int v = view.lastDepth;
  if (v % step != 0) {
    if (v < 0 && !view.upward)
      v = (v / step - 1) * step;
    else if (v > 0 && view.upward)
      v = (v / step + 1) * step;
    else
      v = (v / step) * step;
  }
  int y;
  if (view.upward) {
    y = view.clientTop + view.legendHeight - 1;
  } else {
    step = -step;
    y = view.clientBottom + 1;
  }
  const int rows = view.window.end - view.window.start;
  for (int i = 0; i < rows; ++i) {
    int q;
    if (view.upward) {
      q = view.window.start + i;
      ++y;
    } else {
      q = view.window.end - i;
      --y;
    }
    const std::uint8_t mark = markAt(q);
    DepthMark m;
    m.y = y;
    m.minute = (mark & kMinuteMark) != 0;
    const int tick = mark & kTickMask;
    if (view.depthScaled && tick >= 1 && tick <= 3) m.tick = tick;
    if (m.tick == 3) {
      m.label = true;
      int own = 0;
      long long shown = v;
      if (depthAt && depthAt(q, &own)) {
        // The label step nearest to the row's own depth.
        const long long d = own;
        shown = (d >= 0 ? d + labelStep / 2 : d - labelStep / 2) / labelStep * labelStep;
      }
      m.text = qv::FormatC(" %.1f ", shown / 1000.0);
      v += step;
    }
    if (m.minute || m.tick) marks.push_back(std::move(m));
  }
  return marks;
}

int CurveOffset(const CurveRecord& curve, int width, bool logarithmic, double value) {
  int x;
  if (logarithmic) {
    const float lmin = std::log10(PositiveOrOne(curve.scaleMinimum));
    const float lmax = std::log10(PositiveOrOne(curve.scaleMaximum));
    const double f = lmax == lmin ? 1.0 : width / static_cast<double>(lmax - lmin);
    x = value > 0.0 ? ToPixel((std::log10(value) - lmin) * f) : 0;
  } else {
    const double range = static_cast<double>(curve.scaleMaximum) - curve.scaleMinimum;
    const double f = range == 0.0 ? 1.0 : width / range;
    x = ToPixel((value - curve.scaleMinimum) * f);
  }
  return std::max(x, 0);
}

std::vector<std::vector<Point>> CurvePolylines(const CurveRecord& curve, const RecordRect& box, bool logarithmic,
                                               bool wrap, int legendHeight, int rows,
                                               const std::function<double(int)>& valueAt) {
  std::vector<std::vector<Point>> out;
  const int w = Width(box);
  if (rows <= 0 || w <= 0) return out;
  const bool minLeft = curve.scaleFlag != 0;
  std::vector<Point> pts(static_cast<size_t>(rows));
  auto emit = [&](int from, int to) { out.emplace_back(pts.begin() + from, pts.begin() + to + 1); };
  // One run of rows that hold readings, from `first` to `last`.
  auto run = [&](int first, int last) {
    int segmentStart = first;
    int previousBand = 1;
    for (int j = first; j <= last; ++j) {
      int x = CurveOffset(curve, w, logarithmic, valueAt(j));
      Point& p = pts[static_cast<size_t>(j)];
      p.y = legendHeight + j;
      if (wrap) {
        const WrappedOffset wrapped = WrapOffset(x, w);
        const int band = wrapped.band;
        if (band != previousBand && j > first) {
          const bool grew = band > previousBand;
          // Out through one edge ...
          p.x = (minLeft == grew) ? box.right + 1 : box.left - 1;
          emit(segmentStart, j);
          segmentStart = j - 1;
          // ... and in through the other.
          pts[static_cast<size_t>(segmentStart)].x = (minLeft == grew) ? box.left - 1 : box.right + 1;
        }
        previousBand = band;
        x = wrapped.offset;
      } else {
        x = std::min(x, w);
      }
      p.x = minLeft ? box.left + x : box.right - x;
    }
    emit(segmentStart, last);
  };
  int first = -1;
  for (int j = 0; j <= rows; ++j) {
    const bool reading = j < rows && !std::isnan(valueAt(j));
    if (reading && first < 0) first = j;
    if (!reading && first >= 0) {
      run(first, j - 1);
      first = -1;
    }
  }
  return out;
}

}  // namespace curveview
