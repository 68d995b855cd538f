#include "tools/sonic/sonic_display.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv {

std::array<std::uint32_t, 256> SonicGreyTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    const std::uint32_t g = 255 - i;
    t[i] = (g << 16) | (g << 8) | g;
  }
  return t;
}

double SonicLogScale::Minimum() const {
  return std::pow(10.0, low);
}

double SonicLogScale::Maximum() const {
  return std::pow(10.0, high);
}

SonicLogScale SonicLogScaleOf(double minimum, double maximum, bool twoTrack) {
  // Values from files and dialogs may be zero, negative or not numbers; none
  // of them reaches the logarithm.
  if (!(minimum > 0.0)) minimum = 1.0;
  if (!(maximum > 0.0)) maximum = 1.0;
  SonicLogScale s;
  s.low = curveview::ScaleDecade(static_cast<float>(minimum), curveview::kScaleDecadeSlack);
  s.high = curveview::ScaleDecade(static_cast<float>(maximum), curveview::kScaleDecadeSlack);
  if (s.high == s.low) s.high = s.low + 1;
  if (twoTrack && (s.high - s.low) % 2 != 0) s.high += 1;
  return s;
}

namespace {

bool LogFirstTrack(const CurveRecord& c, const std::vector<TrackRecord>& tracks) {
  return c.firstTrack >= 0 && c.firstTrack < static_cast<int>(tracks.size()) &&
         curveview::IsLogTrack(tracks[static_cast<std::size_t>(c.firstTrack)]);
}

void SetScale(CurveRecord& c, int low, int high) {
  c.scaleMinimum = static_cast<float>(std::pow(10.0, low));
  c.scaleMaximum = static_cast<float>(std::pow(10.0, high));
}

}  // namespace

void SnapSonicLogCurves(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks) {
  for (CurveRecord& c : curves) {
    if (!LogFirstTrack(c, tracks)) continue;
    const bool two = curveview::IsTwoTrack(c);
    if (two && tracks.size() > curveview::kTrack3) tracks[curveview::kTrack3].gridStyle = curveview::kLogGridStyle;
    const SonicLogScale s = SonicLogScaleOf(c.scaleMinimum, c.scaleMaximum, two);
    SetScale(c, s.low, s.high);
  }
}

void AdjustLogDecades(std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int curve, int decades,
                      bool keepMaximum) {
  if (curve < 0 || curve >= static_cast<int>(curves.size())) return;
  const CurveRecord& changed = curves[static_cast<std::size_t>(curve)];
  if (!LogFirstTrack(changed, tracks)) return;
  for (int i = 0; i < static_cast<int>(curves.size()); ++i) {
    CurveRecord& c = curves[static_cast<std::size_t>(i)];
    if (i == curve || c.firstTrack != changed.firstTrack) continue;
    const int e = curveview::IsTwoTrack(c) ? 2 : 1;
    const SonicLogScale own = SonicLogScaleOf(c.scaleMinimum, c.scaleMaximum, false);
    if (keepMaximum)
      SetScale(c, own.high - decades * e, own.high);
    else
      SetScale(c, own.low, own.low + decades * e);
  }
}

std::vector<WigglePoint> WigglePoints(std::span<const std::int16_t> samples, int row) {
  std::vector<WigglePoint> points(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i)
    points[i] = {static_cast<int>(i), row + static_cast<int>(samples[i]) * 13 / 0xFFFF};
  return points;
}

int ArrivalIndex(double arrival, int samples) {
  // Arrivals come from the records' derived values: a value that is not a
  // finite number inside the waveform colours nothing.
  if (!std::isfinite(arrival) || !(arrival > 0.0) || !(arrival < samples)) return 0;
  const int a = static_cast<int>(arrival);
  return a > 0 && a < samples ? a : 0;
}

void SonicDisplay::Configure(const std::vector<int>& physicalChannels, const SonicDisplaySettings& settings) {
  std::scoped_lock lock(recordLock_, imageLock_);
  settings_ = settings;
  settings_.samples = std::max(settings_.samples, 0);
  settings_.waves = std::clamp(settings_.waves, 0, 4);
  // The image never holds more rows than the histories it is drawn from.
  height_ = std::clamp(settings_.screenHeight + kSonicImageMargin, 1, curveview::kHistoryLength);
  traceWidth_ = ImageWidth();
  stride_ = SonicImageStride(traceWidth_);
  curveview::RowSettings rs;
  rs.upward = settings_.upward;
  rs.imperial = settings_.imperial;
  rs.depthScale = settings_.depthScale;
  rs.screenHeight = height_;
  rows_.Configure(physicalChannels, rs);
  traces_.Reset(traceWidth_, curveview::kHistoryLength);
  arrivals_.Reset(4, curveview::kHistoryLength);
  scratch_.assign(static_cast<std::size_t>(traceWidth_) * static_cast<std::size_t>(height_), 0);
  scratchArrivals_.assign(4 * static_cast<std::size_t>(height_), 0.0);
  scratchRows_ = 0;
  image_ = ScrollingRows(height_, static_cast<std::size_t>(stride_), 0);
  traceCounter_ = lastTrace_ = 0;
}

void SonicDisplay::ResetScroll(int depthStep, int depthScale) {
  std::scoped_lock lock(recordLock_, imageLock_);
  rows_.ResetScroll(depthStep, depthScale);
  settings_.depthScale = depthScale;
  traceCounter_ = lastTrace_ = 0;
}

void SonicDisplay::Clear() {
  std::scoped_lock lock(recordLock_, imageLock_);
  rows_.ClearHistories();
  traces_.Clear();
  arrivals_.Clear();
  image_.Fill(0);
  traceCounter_ = lastTrace_ = 0;
}

void SonicDisplay::AddRecord(std::span<const double> values, std::span<const std::int16_t> waveforms, bool depthScaled,
                             int depthMove, const std::function<bool()>& takeMinute) {
  std::lock_guard lock(recordLock_);
  const int before = rows_.PendingRows();
  rows_.AddSample(values, depthScaled, depthMove, [&] { return takeMinute && takeMinute(); });
  // Every row this record placed carries its waveforms (averaged rows take
  // the last record's).
  const int placed = std::min(rows_.PendingRows() - before, traces_.Capacity());
  const std::size_t n = std::min(waveforms.size(), static_cast<std::size_t>(traceWidth_));
  for (int r = 0; r < placed; ++r) {
    if (std::int16_t* row = traces_.Push()) std::copy_n(waveforms.begin(), n, row);
    if (double* a = arrivals_.Push())
      for (std::size_t w = 0; w < 4; ++w) a[w] = values.size() > 12 + w ? values[12 + w] : 0.0;
  }
}

curveview::RowUpdate SonicDisplay::Update() {
  curveview::RowUpdate u;
  {
    std::lock_guard lock(recordLock_);
    u = rows_.TakePending();
    if (u.rows < 1) return u;
    // The image holds height_ rows: of a larger batch only the newest count.
    // Wiggle traces reach a few rows further back than the batch.
    const int want = wiggle_ ? u.rows + kWiggleSpacing + 8 : u.rows;
    scratchRows_ = std::min(want, height_);
    for (int age = 0; age < scratchRows_; ++age) {
      std::int16_t* dst = scratch_.data() + static_cast<std::size_t>(age) * static_cast<std::size_t>(traceWidth_);
      double* a = scratchArrivals_.data() + 4 * static_cast<std::size_t>(age);
      if (const std::int16_t* src = traces_.Row(age))
        std::copy_n(src, traceWidth_, dst);
      else
        std::fill_n(dst, traceWidth_, std::int16_t{0});
      if (const double* src = arrivals_.Row(age))
        std::copy_n(src, 4, a);
      else
        std::fill_n(a, 4, 0.0);
    }
  }
  std::lock_guard image(imageLock_);
  ScrollImage(u.rows);
  if (wiggle_)
    DrawWiggles(u.rows);
  else
    FillGreyRows(u.rows);
  return u;
}

void SonicDisplay::ScrollImage(int rows) {
  const int n = std::min(rows, height_);
  const std::size_t moved = static_cast<std::size_t>(height_ - n) * static_cast<std::size_t>(stride_);
  const std::size_t cleared = static_cast<std::size_t>(n) * static_cast<std::size_t>(stride_);
  if (settings_.upward) {
    image_.ScrollDown(n);
    std::memset(image_.Data(), 0, cleared);
  } else {
    image_.ScrollUp(n);
    std::memset(image_.Data() + moved, 0, cleared);
  }
}

void SonicDisplay::FillGreyRows(int rows) {
  const int n = std::min({rows, height_, scratchRows_});
  for (int age = 0; age < n; ++age) {
    const int y = settings_.upward ? age : height_ - 1 - age;
    std::uint8_t* dst = image_.Data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
    const std::int16_t* src = scratch_.data() + static_cast<std::size_t>(age) * static_cast<std::size_t>(traceWidth_);
    for (int x = 0; x < traceWidth_; ++x) dst[x] = SonicGreyIndex(src[x]);
  }
}

void SonicDisplay::DrawWiggles(int rows) {
  traceCounter_ += rows;
  while (traceCounter_ > lastTrace_ + kWiggleLead) {
    lastTrace_ += kWiggleSpacing;
    const int age = traceCounter_ - lastTrace_;
    // A trace older than the image (a large batch) or than the rows copied
    // has scrolled out already.
    if (age < 0 || age >= scratchRows_) continue;
    const int y = settings_.upward ? age : height_ - 1 - age;
    const std::int16_t* row = scratch_.data() + static_cast<std::size_t>(age) * static_cast<std::size_t>(traceWidth_);
    for (int w = 0; w < settings_.waves; ++w)
      DrawTrace(y,
                std::span<const std::int16_t>(row + static_cast<std::size_t>(w) * settings_.samples,
                                              static_cast<std::size_t>(settings_.samples)),
                w, scratchArrivals_[4 * static_cast<std::size_t>(age) + static_cast<std::size_t>(w)]);
  }
  // Only the distance matters; the counts start again so they never overflow.
  traceCounter_ -= lastTrace_;
  lastTrace_ = 0;
}

void SonicDisplay::DrawTrace(int imageRow, std::span<const std::int16_t> samples, int wave, double arrival) {
  const int s = static_cast<int>(samples.size());
  const std::vector<WigglePoint> points = WigglePoints(samples, imageRow);
  const int a = ArrivalIndex(arrival, s);
  const int x0 = wave * settings_.samples;
  if (s == 1) Span(x0, points[0].y, points[0].y, kSonicTraceIndex);
  for (int i = 0; i + 1 < s; ++i) {
    const std::uint8_t index = i + 1 <= a - 1 ? kSonicEarlyIndex : kSonicTraceIndex;
    Span(x0 + points[static_cast<std::size_t>(i)].x, points[static_cast<std::size_t>(i)].y,
         points[static_cast<std::size_t>(i) + 1].y, index);
  }
  if (s > 1) Span(x0 + s - 1, points.back().y, points.back().y, kSonicTraceIndex);
}

void SonicDisplay::Span(int x, int y0, int y1, std::uint8_t index) {
  if (x < 0 || x >= traceWidth_) return;
  if (y0 > y1) std::swap(y0, y1);
  y0 = std::max(y0, 0);
  y1 = std::min(y1, height_ - 1);
  for (int y = y0; y <= y1; ++y)
    image_.Data()[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_) + static_cast<std::size_t>(x)] = index;
}

curveview::HistoryWindow SonicDisplay::Window(int clientHeight, int legendHeight) const {
  return curveview::WindowFor(settings_.upward, height_, clientHeight, legendHeight);
}

int SonicDisplay::FirstShownImageRow(int clientHeight, int legendHeight) const {
  return settings_.upward ? 0 : std::max(0, height_ + legendHeight - clientHeight);
}

}  // namespace qv
