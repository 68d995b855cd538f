#include "logview/model/history.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace curveview {
namespace {
constexpr double kDotsPerFoot = 2400.0;
constexpr double kDotsPerMetre = 7874.015625;
}  // namespace

void CurveRows::Configure(const std::vector<int>& physicalChannels, const RowSettings& settings) {
  std::scoped_lock lock(displayMutex_, sampleMutex_);
  settings_ = settings;
  settings_.screenHeight = std::clamp(settings_.screenHeight, 0, kHistoryLength);
  channels_ = physicalChannels;
  const int n = static_cast<int>(channels_.size());
  row_.assign(static_cast<size_t>(n), 0.0);
  sums_.assign(static_cast<size_t>(n), 0.0);
  acquired_.Reset(n, kHistoryLength);
  acquiredDepth_.Reset(1, kHistoryLength);
  shown_.Reset(n, kHistoryLength);
  shownDepth_.Reset(1, kHistoryLength);
  marks_.Reset(1, kHistoryLength);
  pending_ = 0;
  minuteRow_ = -1;
}

RowSettings CurveRows::Settings() const {
  std::lock_guard lock(sampleMutex_);
  return settings_;
}

int CurveRows::Anchor() const {
  return settings_.upward ? kHistoryLength - settings_.screenHeight : settings_.screenHeight;
}

void CurveRows::ResetScroll(int depthStep, int depthScale) {
  std::scoped_lock lock(displayMutex_, sampleMutex_);
  depthStep_ = depthStep;
  settings_.depthScale = depthScale;
  pixelAccumulator_ = 0.0;
  rowsAveraged_ = rowsStretched_ = samplesInRow_ = 0;
  pending_ = 0;
  minuteRow_ = -1;
  const double dots = settings_.imperial ? kDotsPerFoot : kDotsPerMetre;
  // Without a usable scale every record gets one row, as in a time log,
  // rather than rows that never come.
  pixelsPerSample_ =
      depthScale > 0 ? dots * std::abs(static_cast<double>(depthStep)) / 1000.0 * (1.0 / depthScale) : 1.0;
  std::fill(sums_.begin(), sums_.end(), 0.0);
  marks_.Clear();
}

double CurveRows::PixelsPerSample() const {
  std::lock_guard lock(sampleMutex_);
  return pixelsPerSample_;
}

void CurveRows::EmitRow(const double* row) {
  if (double* dst = acquired_.Push()) std::copy(row, row + acquired_.Width(), dst);
  if (int* depth = acquiredDepth_.Push()) *depth = depth_;
}

RowUpdate CurveRows::TakePending() {
  RowUpdate u;
  int step = 0;
  std::lock_guard display(displayMutex_);
  {
    std::lock_guard sample(sampleMutex_);
    int n = pending_;
    if (n < 1) return u;
    const int minuteAge = minuteRow_ >= 0 ? n - minuteRow_ - 1 : -1;
    n = std::min(n, acquired_.Capacity());
    u.rows = n;
    u.minuteAge = minuteAge < n ? minuteAge : -1;
    u.depth = depth_;
    step = depthStep_;
    pending_ = 0;
    minuteRow_ = -1;
    for (int age = n - 1; age >= 0; --age) {
      const double* src = acquired_.Row(age);
      double* dst = shown_.Push();
      if (src && dst) std::copy(src, src + shown_.Width(), dst);
      const int* depth = acquiredDepth_.Row(age);
      if (int* to = shownDepth_.Push()) *to = depth ? *depth : depth_;
    }
  }
  lastDepth_ = u.depth;
  for (int i = 0; i < u.rows; ++i) marks_.Push();
  MarkNewRows(u.rows, u.minuteAge, step);
  return u;
}

void CurveRows::MarkNewRows(int n, int minuteAge, int depthStep) {
  const int scale = settings_.depthScale;
  auto markOf = [&](int age) -> std::uint8_t {
    const std::uint8_t* m = marks_.Row(age);
    return m ? *m : 0;
  };
  // Ticks fall on the rows nearest to whole paper centimetres (tenths of an
  // inch) at 1:N; a scale of 0 or below has no paper distance to mark.
  const bool ticks = scale > 0;
  const double t = settings_.imperial ? scale * 5.0 : scale * 1.27;
  const long long period = settings_.imperial ? 1000LL * scale : 100LL * scale;
  const long long periods[3] = {period / 10, period / 2, period};
  const int unit = settings_.imperial ? 12 : 10;
  double d = static_cast<double>(lastDepth_) * unit;
  // Rows run one after another in depth, a row's worth apart; where the
  // records jump (a log resumed deeper after a pause, the next file of a
  // chain) the count starts again from the rows' own depth, so that the
  // ticks and their labels stay true on both sides of the join.
  const double jump = 2.0 * t + 2.0 * std::abs(static_cast<double>(depthStep)) * unit;
  const int* newer = nullptr;
  for (int j = 0; j < n; ++j) {
    std::uint8_t* mark = marks_.Row(j);
    if (!mark) break;
    const int* own = shownDepth_.Row(j);
    if (own && newer && std::abs(static_cast<double>(*own) - *newer) * unit > jump)
      d = static_cast<double>(*own) * unit;
    newer = own;
    if (ticks) {
      const long long v = static_cast<long long>(d + 0.5);
      const bool clear = (markOf(j - 1) | markOf(j - 2) | markOf(j + 1) | markOf(j + 2)) & kTickMask ? false : true;
      for (int level = 0; level < 3; ++level) {
        const long long p = periods[level];
        if (p <= 0) continue;
        const long long r = std::llabs(v % p);
        if ((r < t || r > p - t) && clear) *mark = static_cast<std::uint8_t>(level + 1);
      }
    }
    if (j == minuteAge) *mark |= kMinuteMark;
    d += settings_.upward ? t : -t;
  }
}

void CurveRows::ClearHistories() {
  std::scoped_lock lock(displayMutex_, sampleMutex_);
  acquired_.Clear();
  acquiredDepth_.Clear();
  shown_.Clear();
  shownDepth_.Clear();
}

void CurveRows::SetDepth(int depth) {
  std::lock_guard lock(sampleMutex_);
  depth_ = depth;
}

void CurveRows::SetDepthStep(int step) {
  std::lock_guard lock(sampleMutex_);
  depthStep_ = step;
}

int CurveRows::Depth() const {
  std::lock_guard lock(sampleMutex_);
  return depth_;
}

int CurveRows::DepthStep() const {
  std::lock_guard lock(sampleMutex_);
  return depthStep_;
}

int CurveRows::PendingRows() const {
  std::lock_guard lock(sampleMutex_);
  return pending_;
}

int CurveRows::AgeOf(int historyIndex) const {
  if (historyIndex < 0 || historyIndex >= kHistoryLength) return -1;
  const int a = Anchor();
  return settings_.upward ? historyIndex - a : a - historyIndex;
}

double CurveRows::DisplayValue(int curve, int historyIndex) const {
  const double* row = shown_.Row(AgeOf(historyIndex));
  if (!row || curve < 0 || curve >= shown_.Width()) return kNoData;
  return row[curve];
}

bool CurveRows::RowDepth(int historyIndex, int* depth) const {
  const int* d = shownDepth_.Row(AgeOf(historyIndex));
  if (!d) return false;
  *depth = *d;
  return true;
}

std::uint8_t CurveRows::MarkAt(int historyIndex) const {
  const std::uint8_t* m = marks_.Row(AgeOf(historyIndex));
  return m ? *m : 0;
}

}  // namespace curveview
