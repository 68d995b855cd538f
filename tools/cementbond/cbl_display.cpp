#include "tools/cementbond/cbl_display.h"

#include <algorithm>
#include <cmath>

namespace qv::cbl {
namespace {

float PositiveOrOne(float v) {
  return v > 0.0f ? v : 1.0f;
}

double LogStep(int p) {
  return std::log10((p + 1.0) / p);
}

}  // namespace

void RoundToDecades(CurveRecord& c) {
  const int low = ScaleExponent(c.scaleMinimum);
  int high = ScaleExponent(c.scaleMaximum);
  if (high == low) ++high;
  c.scaleMinimum = static_cast<float>(std::pow(10.0, low));
  c.scaleMaximum = static_cast<float>(std::pow(10.0, high));
}

TrackGrid GridOfTrack(const std::vector<CurveRecord>& curves, const TrackRecord& track, int trackIndex) {
  TrackGrid g;
  const int left = track.screenRect.left;
  const int w = track.width;
  if ((track.gridStyle & kLogGridBit) == 0) {
    const int step = static_cast<int>(w / 4.0 + 0.5);
    for (int k = 1; k <= 3; ++k) g.lines.push_back({left + k * step, false});
    return g;
  }
  if (curves.empty()) return g;
  const CurveRecord* shown = &curves.back();
  for (const CurveRecord& c : curves)
    if (c.firstTrack == trackIndex) {
      shown = &c;
      break;
    }
  const int decades = std::clamp(ScaleExponent(shown->scaleMaximum) - ScaleExponent(shown->scaleMinimum), 1,
                                 kHighestScaleExponent - kLowestScaleExponent);
  const int width = w / decades;
  double sum = 0.0;
  for (int k = 0; k < 9 * decades; ++k) {
    const int p = k % 9 + 1;
    sum += LogStep(p);
    g.lines.push_back({left + static_cast<int>(width * sum), p == 9});
  }
  g.logarithmic = 1;
  g.decades = shown->scaleFlag ? decades : -decades;
  return g;
}

int LabelStep(int depthScale, bool imperial) {
  return imperial ? static_cast<int>(depthScale * 83.33334) : depthScale * 10;
}

int FirstLabelDepth(int depth, int step, bool upward) {
  if (step <= 0 || depth % step == 0) return depth;
  const int m = depth / step;
  if (depth > 0 && upward) return (m + 1) * step;
  if (depth < 0 && !upward) return (m - 1) * step;
  return m * step;
}

int GateX(int trackLeft, int trackWidth, int gateUs) {
  return trackLeft + static_cast<int>(static_cast<long long>(trackWidth) * gateUs / kGateSpanUs);
}

int GateFromX(int x, int trackLeft, int trackWidth) {
  if (trackWidth <= 0) return 0;
  return static_cast<int>(static_cast<long long>(x - trackLeft) * kGateSpanUs / trackWidth);
}

double ChartPosition(const CurveRecord& c, bool logarithmic, double v) {
  double p;
  if (logarithmic) {
    if (!(v > 0.0)) return 0.0;
    const double lmin = std::log10(static_cast<double>(PositiveOrOne(c.scaleMinimum)));
    const double lmax = std::log10(static_cast<double>(PositiveOrOne(c.scaleMaximum)));
    const double f = lmax == lmin ? 1.0 : kChartCurveWidth / (lmax - lmin);
    p = (std::log10(v) - lmin) * f;
  } else {
    const double range = static_cast<double>(c.scaleMaximum) - c.scaleMinimum;
    const double f = range == 0.0 ? 1.0 : kChartCurveWidth / range;
    p = (v - c.scaleMinimum) * f;
  }
  if (std::isnan(p)) return 0.0;
  return std::clamp(p, 0.0, 1.0e6);
}

std::array<int, 4> ChartGateDots(const Gates& gates) {
  std::array<int, 4> dots{};
  const int times[4] = {gates.nearStart, gates.nearEnd, gates.farStart, gates.farEnd};
  for (int i = 0; i < 4; ++i) {
    const long long p = static_cast<long long>(times[i]) * 512 / kGateSpanUs + (i >= 2 ? 512 : 0);
    dots[static_cast<std::size_t>(i)] = p >= 0 && p < kChartDots ? static_cast<int>(p) : -1;
  }
  return dots;
}

const WaveformViewKind kCementBondView{
    kSamplesPerReceiver, 4, 10, 1, true, 32081, 32082, 32054, 32053, 32110, 32109, 2, 8, 119, 1022, 1, 8, 5};
// The depth track names the log's own depth unit, as the cement-bond view's does.
const WaveformViewKind kFullWaveView{480,   9,     20, 2,  false, 32081, 32082, 32316, 32090,
                                     32186, 32132, 1,  15, 0,     1024,  2,     15,    8};

void DensityChartRow(std::span<const std::int8_t> samples, const Gates& gates, std::uint8_t* row,
                     const WaveformViewKind& kind) {
  int d = 0;
  const int n = std::min<int>(static_cast<int>(samples.size()), 2 * kind.samplesPerReceiver);
  for (int k = 0; k < n && d < kChartDots; ++k) {
    const auto b = static_cast<std::uint8_t>(samples[static_cast<std::size_t>(k)] + 128);
    const bool extra = k % kind.extraEvery == 0 || (kind.extraAlso && k % kind.extraAlso == 0);
    const int copies = kind.copies + (extra ? 1 : 0);
    for (int c = 0; c < copies && d < kChartDots; ++c) row[d++] = b;
  }
  if (!kind.gates) return;
  for (int p : ChartGateDots(gates)) {
    if (p < 0) continue;
    row[p] = 0;
    if (p > 0) row[p - 1] = 0;
  }
}

int ChartWiggleDot(int k, const WaveformViewKind& kind) {
  // The multiples of skipEvery below k: 0, skipEvery, ... (k - 1).
  const int skipped = k > 0 ? (k - 1) / kind.skipEvery + 1 : 0;
  return kind.firstDot - 2 * k - kind.skip * skipped;
}

}  // namespace qv::cbl
