#include "tools/waveform/vdl_engine.h"

#include <algorithm>
#include <climits>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/core/statistics/statistics.h"

namespace qv::vdl {
namespace {

// A delay beyond this many rows comes from a corrupt offset; it is held here
// so that the store stays a sane size.
constexpr int kMaxDelayRows = 10000;

int ClampDelay(double rows) {
  if (!(rows >= 0.0)) return 0;
  return static_cast<int>(std::min(rows, static_cast<double>(kMaxDelayRows)));
}

}  // namespace

VdlEngine::VdlEngine(const VdlGeometry& geometry)
    : g_(geometry), image_(std::max(g_.imageHeight, 1), static_cast<std::size_t>(g_.RowWidth()), 0) {
  sums_.assign(static_cast<std::size_t>(g_.curves), 0.0);
  curveDelay_.assign(static_cast<std::size_t>(g_.curves), 0);
  Resize(std::max(g_.minimumHistory, g_.imageHeight + 1));
}

void VdlEngine::Resize(int history) {
  history_ = history;
  const auto h = static_cast<std::size_t>(history);
  rows_.assign(h * static_cast<std::size_t>(g_.RowWidth()), 0);
  counts_.assign(h, 0);
  totals_.assign(h, 0);
  working_.assign(static_cast<std::size_t>(g_.curves), std::vector<double>(h, 0.0));
  display_.assign(static_cast<std::size_t>(g_.curves), std::vector<double>(2 * h, 0.0));
  displayBase_ = 0;
  dirtySlots_.clear();
  allDirty_ = false;
  linesInHistories_ = 0;
  displayRowsWithData_.assign(static_cast<std::size_t>(g_.curves), 0);
  marks_.assign(h, 0);
  rowBase_ = histBase_ = 0;
  PlaceRows();
}

void VdlEngine::PlaceRows() {
  top_ = history_ - g_.imageHeight;
  bottom_ = std::clamp(top_ + shownRows_, top_, history_ - 1);
}

void VdlEngine::SetMinuteSource(std::function<bool()> take) {
  std::lock_guard<std::mutex> intake(intakeLock_);
  takeMinute_ = std::move(take);
}

void VdlEngine::SetClientRows(int shownRows) {
  std::lock_guard<std::mutex> intake(intakeLock_);
  std::lock_guard<std::timed_mutex> display(displayLock_);
  shownRows_ = std::max(shownRows, 0);
  PlaceRows();
}

void VdlEngine::ResetScroll(const VdlScroll& scroll) {
  std::lock_guard<std::mutex> intake(intakeLock_);
  std::lock_guard<std::timed_mutex> display(displayLock_);
  scroll_ = scroll;
  scroll_.maxFilterWindow = std::max(scroll.maxFilterWindow, 51);
  const int n = std::max(scroll.depthScale, 1);
  const double s = std::abs(scroll.depthStep) / 1000.0;
  const double compression = 1.0 / n;
  depthScaled_ = scroll.depthMode && !scroll.testMode;
  const double halfWindow = scroll_.maxFilterWindow / 2.0;
  if (scroll.imperial) {
    pixelsPerSample_ = s * 2400.0 * compression;
    displayOffset_ = static_cast<int>(halfWindow * 0.41666666 * n);
  } else {
    pixelsPerSample_ = s * 7874.015625 * compression;
    displayOffset_ = static_cast<int>(halfWindow * 0.127 * n);
  }
  accumulated_ = 0.0;
  emittedCompressed_ = emittedExpanded_ = 0;
  averaged_ = 0;
  newLines_ = newRows_ = 0;
  minuteLine_ = -1;
  wiggleCarry_ = 0;
  std::fill(sums_.begin(), sums_.end(), 0.0);

  // A waveform row holds a whole firing (delayStepFactor records); it waits
  // for its sensor and for the curves' filter window (the display offset).
  nearDelay_ = farDelay_ = 0;
  const double stepUnits = scroll.depthStep * static_cast<double>(g_.delayStepFactor);
  if (scroll.depthMode && stepUnits != 0.0) {
    nearDelay_ = ClampDelay(std::abs((AlignmentDelay(scroll.nearOffset) + displayOffset_) / stepUnits) + 0.5);
    farDelay_ = ClampDelay(std::abs((AlignmentDelay(scroll.farOffset) + displayOffset_) / stepUnits) + 0.5);
  }
  int curveMargin = 0;
  for (int c = 0; c < g_.curves; ++c) {
    int d = 0;
    if (c < static_cast<int>(scroll.curves.size()) && scroll.depthStep != 0)
      d = ClampDelay(
          std::round(std::abs(static_cast<double>(AlignmentDelay(scroll.curves[static_cast<std::size_t>(c)].offset)) /
                              scroll.depthStep * pixelsPerSample_)));
    curveDelay_[static_cast<std::size_t>(c)] = d;
    curveMargin = std::max(curveMargin, d);
  }
  // The rows above the image hold the delayed waveforms and curve values and
  // the filter window until they reach the newest shown row.
  const int expansion = static_cast<int>(std::min(pixelsPerSample_, 1000.0) + 0.5);
  const int margin = std::max(nearDelay_, farDelay_) + curveMargin + scroll_.maxFilterWindow / 2 + expansion + 2;
  const int wanted = std::max(g_.minimumHistory, g_.imageHeight + margin);
  if (wanted != history_)
    Resize(wanted);
  else
    std::fill(marks_.begin(), marks_.end(), 0);
}

void VdlEngine::Clear() {
  std::lock_guard<std::mutex> intake(intakeLock_);
  std::lock_guard<std::timed_mutex> display(displayLock_);
  std::fill(rows_.begin(), rows_.end(), 0);
  std::fill(counts_.begin(), counts_.end(), 0);
  std::fill(totals_.begin(), totals_.end(), 0);
  for (auto& h : working_) std::fill(h.begin(), h.end(), 0.0);
  for (auto& h : display_) std::fill(h.begin(), h.end(), 0.0);
  dirtySlots_.clear();
  allDirty_ = false;
  linesInHistories_ = 0;
  std::fill(displayRowsWithData_.begin(), displayRowsWithData_.end(), 0);
  std::fill(marks_.begin(), marks_.end(), 0);
  image_.Fill(0);
}

void VdlEngine::ClearImage() {
  std::lock_guard<std::timed_mutex> display(displayLock_);
  image_.Fill(0);
  wiggleCarry_ = 0;
}

int VdlEngine::AlignmentDelay(int offset) const {
  if (!scroll_.depthMode) return 0;
  const long long o = offset;
  const long long d = scroll_.upward ? o : std::max(0LL, std::abs(static_cast<long long>(scroll_.sondeLength)) - o);
  return static_cast<int>(std::clamp<long long>(d, INT_MIN / 2, INT_MAX / 2));
}

// What the newest shown row holds was read where the sensors were the longest
// delay (the filter window's half and, logging down, the sonde's length) ago.
void VdlEngine::SetDepth(int depth) {
  const long long lag = displayOffset_ + static_cast<long long>(AlignmentDelay(0));
  const long long d = scroll_.upward ? depth + static_cast<long long>(displayOffset_) : depth - lag;
  depth_ = static_cast<int>(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

std::int8_t* VdlEngine::RowPtr(int index) {
  return rows_.data() + static_cast<std::size_t>(RowSlot(index)) * static_cast<std::size_t>(g_.RowWidth());
}

const std::int8_t* VdlEngine::Row(int index) const {
  if (index < 0 || index >= history_) return nullptr;
  return rows_.data() + static_cast<std::size_t>(RowSlot(index)) * static_cast<std::size_t>(g_.RowWidth());
}

int VdlEngine::LineCount(int index) const {
  return index < 0 || index >= history_ ? 0 : counts_[static_cast<std::size_t>(RowSlot(index))];
}

double VdlEngine::WorkingValue(int curve, int index) const {
  if (curve < 0 || curve >= g_.curves || index < 0 || index >= history_) return 0.0;
  return working_[static_cast<std::size_t>(curve)][static_cast<std::size_t>(HistSlot(index))];
}

const double* VdlEngine::DisplayHistory(int curve) const {
  if (curve < 0 || curve >= g_.curves) return nullptr;
  return display_[static_cast<std::size_t>(curve)].data() + displayBase_;
}

int VdlEngine::DisplayRowsWithData(int curve) const {
  if (curve < 0 || curve >= g_.curves) return 0;
  return displayRowsWithData_[static_cast<std::size_t>(curve)];
}

// Every row moves one down; row 0 keeps its bytes (it is the ring's new slot,
// so its content is copied from what is now row 1).
void VdlEngine::ShiftRows() {
  rowBase_ = (rowBase_ + history_ - 1) % history_;
  const int w = g_.RowWidth();
  std::memcpy(RowPtr(0), RowPtr(1), static_cast<std::size_t>(w));
  counts_[static_cast<std::size_t>(RowSlot(0))] = counts_[static_cast<std::size_t>(RowSlot(1))];
  totals_[static_cast<std::size_t>(RowSlot(0))] = totals_[static_cast<std::size_t>(RowSlot(1))];
}

void VdlEngine::ShiftHistories() {
  histBase_ = (histBase_ + history_ - 1) % history_;
  const auto s0 = static_cast<std::size_t>(HistSlot(0)), s1 = static_cast<std::size_t>(HistSlot(1));
  for (auto& h : working_) h[s0] = h[s1];
  MarkDirty(static_cast<int>(s0));
}

void VdlEngine::MarkDirty(int slot) {
  if (allDirty_) return;
  // Past a whole history's worth the copy takes every slot anyway.
  if (static_cast<int>(dirtySlots_.size()) >= history_) {
    allDirty_ = true;
    dirtySlots_.clear();
    return;
  }
  dirtySlots_.push_back(slot);
}

void VdlEngine::AddDepthRow(std::uint8_t flags, std::span<const std::int8_t> samples, std::span<const double> values) {
  std::lock_guard<std::mutex> intake(intakeLock_);
  const int n = flags & 15;
  const bool far = (flags & 0x80) != 0;
  const int r = top_;
  if (n == 0 && far) {
    ++newRows_;
    ShiftRows();
    counts_[static_cast<std::size_t>(RowSlot(r))] = 0;
    totals_[static_cast<std::size_t>(RowSlot(r))] = 0;
  }
  const int seg = g_.segmentSamples;
  if (n >= g_.firstSegment && n <= g_.lastSegment && static_cast<int>(samples.size()) >= seg &&
      (n + 1) * seg <= g_.samplesPerReceiver) {
    const int row = r - (far ? farDelay_ : nearDelay_);
    if (row >= 0 && row < history_)
      std::memcpy(RowPtr(row) + (far ? g_.samplesPerReceiver : 0) + seg * n, samples.data(),
                  static_cast<std::size_t>(seg));
  }
  accumulated_ += pixelsPerSample_;
  if (depthScaled_) {
    const long long due = std::llround(accumulated_);
    if (pixelsPerSample_ < 1.0) {
      if (emittedCompressed_ < due) {
        EmitLine(values, true);
        emittedCompressed_ = due;
        averaged_ = 0;
        std::fill(sums_.begin(), sums_.end(), 0.0);
        CloseLine();
      } else {
        ++averaged_;
        for (int c = 0; c < g_.curves && c < static_cast<int>(values.size()); ++c)
          sums_[static_cast<std::size_t>(c)] += values[static_cast<std::size_t>(c)];
      }
    } else {
      while (emittedExpanded_ < due) {
        EmitLine(values, false);
        CloseLine();
        ++emittedExpanded_;
      }
    }
  } else {
    EmitLine(values, false);
    CloseLine();
  }
  Filter();
  depth_ += depthPerRecord_;
}

void VdlEngine::EmitLine(std::span<const double> values, bool average) {
  ShiftHistories();
  ++linesInHistories_;
  const int r = top_;
  for (int c = 0; c < g_.curves && c < static_cast<int>(values.size()); ++c) {
    const auto ci = static_cast<std::size_t>(c);
    const int x = r - (depthScaled_ ? curveDelay_[ci] : 0) - scroll_.maxFilterWindow / 2;
    if (x < 0 || x >= history_) continue;
    const double v = average && averaged_ > 0 ? (sums_[ci] + values[ci]) / (averaged_ + 1) : values[ci];
    working_[ci][static_cast<std::size_t>(HistSlot(x))] = v;
    MarkDirty(HistSlot(x));
  }
}

void VdlEngine::CloseLine() {
  if (takeMinute_ && takeMinute_()) minuteLine_ = newLines_;
  ++newLines_;
  const auto slot = static_cast<std::size_t>(RowSlot(top_));
  ++counts_[slot];
  ++totals_[slot];
}

void VdlEngine::Filter() {
  // The statistic goes where the newest rows come in: on top, logged up or down.
  const int m = top_;
  for (int c = 0; c < g_.curves && c < static_cast<int>(scroll_.curves.size()); ++c) {
    const VdlCurve& f = scroll_.curves[static_cast<std::size_t>(c)];
    if (f.filterType == 0) continue;
    const int n = std::clamp(f.filterWidth, 1, kMaxStatisticWindow);
    if (m - n / 2 < 0 || m - n / 2 + n > history_) continue;
    auto& h = working_[static_cast<std::size_t>(c)];
    double window[kMaxStatisticWindow];
    for (int i = 0; i < n; ++i) window[i] = h[static_cast<std::size_t>(HistSlot(m - n / 2 + i))];
    const double* rows[1] = {window};
    const double v = WindowStatisticRow(f.filterType, n, rows, n / 2, 0);
    int k = 0;
    if (depthScaled_ && pixelsPerSample_ >= 1.0) k = static_cast<int>(std::min(pixelsPerSample_, 1000.0) + 0.5);
    for (int row = std::max(m - k, 0); row <= m + k && row < history_; ++row) {
      h[static_cast<std::size_t>(HistSlot(row))] = v;
      MarkDirty(HistSlot(row));
    }
  }
}

int VdlEngine::ConsumeLines(int lines, int rows, bool drawImage, std::vector<std::int8_t>* out) {
  const int w = g_.RowWidth();
  const int height = g_.imageHeight;
  if (drawImage) image_.ScrollDown(std::min(lines, height));
  std::uint8_t* image = image_.Data();
  if (out) out->assign(static_cast<std::size_t>(lines) * w, 0);
  const int r = top_;
  int q = std::min(r + rows, history_ - 1);
  for (int b = lines - 1; b >= 0; --b) {
    const std::int8_t* row = RowPtr(q);
    if (drawImage && b < height) {
      std::uint8_t* line = image + static_cast<std::size_t>(b) * w;
      for (int k = 0; k < w; ++k) line[k] = static_cast<std::uint8_t>(row[k] + 128);
    }
    if (out) std::memcpy(out->data() + static_cast<std::size_t>(lines - 1 - b) * w, row, static_cast<std::size_t>(w));
    int& count = counts_[static_cast<std::size_t>(RowSlot(q))];
    --count;
    if (count < 1 && q > r) --q;
  }
  return q;
}

void VdlEngine::DrawWiggle(int lines, int rows, std::vector<std::vector<int>>* traces) {
  const int w = g_.RowWidth();
  const int height = g_.imageHeight;
  const int s = std::min(lines, height);
  image_.ScrollDown(s);
  std::uint8_t* image = image_.Data();
  std::fill(image, image + static_cast<std::ptrdiff_t>(std::max(s, 0)) * w, 0);
  const int r = top_;
  long long y = static_cast<long long>(lines) - wiggleCarry_ + 100;
  const int stride = std::max(g_.wiggleStride, 1);
  const int points = w / stride;
  std::vector<int> xy(static_cast<std::size_t>(2 * points));
  for (int q = std::min(r + rows + 1, history_ - 1); q >= r + 1; --q) {
    const int count = totals_[static_cast<std::size_t>(RowSlot(q))];
    const double scale = count / 270.0;
    const std::int8_t* row = RowPtr(q);
    for (int k = 0; k < points; ++k) {
      xy[static_cast<std::size_t>(2 * k)] = stride * k;
      const long long py = y - static_cast<long long>((row[stride * k] + 128) * scale);
      xy[static_cast<std::size_t>(2 * k + 1)] = static_cast<int>(std::clamp<long long>(py, -1, height));
    }
    DrawPolyline8(image, w, height, xy, 255);
    if (traces) {
      std::vector<int>& t = traces->emplace_back(static_cast<std::size_t>(points));
      for (int k = 0; k < points; ++k) t[static_cast<std::size_t>(k)] = xy[static_cast<std::size_t>(2 * k + 1)];
    }
    y -= count;
    if (y < 100) break;
  }
  wiggleCarry_ = static_cast<int>(std::clamp<long long>(100 - y, -1000000, 1000000));
}

void VdlEngine::CopyHistories() {
  for (int c = 0; c < g_.curves; ++c) {
    // A curve's values enter the histories at its row above the image and
    // move down one row a line: the rows from there down, as many as lines
    // went in, hold them.
    const long long entry = top_ - (depthScaled_ ? curveDelay_[static_cast<std::size_t>(c)] : 0) -
                            scroll_.maxFilterWindow / 2;
    displayRowsWithData_[static_cast<std::size_t>(c)] =
        static_cast<int>(std::clamp<long long>(entry + linesInHistories_ - top_, 0, std::max(history_ - top_, 0)));
    const auto& src = working_[static_cast<std::size_t>(c)];
    auto& dst = display_[static_cast<std::size_t>(c)];
    const auto h = static_cast<std::size_t>(history_);
    if (allDirty_) {
      std::copy(src.begin(), src.end(), dst.begin());
      std::copy(src.begin(), src.end(), dst.begin() + static_cast<std::ptrdiff_t>(h));
    } else {
      for (const int slot : dirtySlots_) {
        const auto i = static_cast<std::size_t>(slot);
        dst[i] = dst[i + h] = src[i];
      }
    }
  }
  dirtySlots_.clear();
  allDirty_ = false;
  displayBase_ = HistSlot(0);
}

void VdlEngine::SetMarks(int lines, int minuteLine, int labelDepth) {
  const bool up = scroll_.upward;
  const int shift = std::min(lines, history_);
  const auto h = static_cast<std::size_t>(history_);
  // The marks move down with the rows they mark: the newest line is the top
  // row whichever way the log runs (logging down, the deepest).
  std::memmove(marks_.data() + shift, marks_.data(), h - static_cast<std::size_t>(shift));
  for (int i = top_; i < top_ + shift && i < history_; ++i) marks_[static_cast<std::size_t>(i)] = 0;
  const int n = std::max(scroll_.depthScale, 1);
  double d, e;
  long long k;
  if (scroll_.imperial) {
    d = labelDepth * 12.0;
    e = n * 5.0;
    k = n * 1000LL;
  } else {
    d = labelDepth * 10.0;
    e = n * 1.27;
    k = n * 100LL;
  }
  const long long k10 = k / 10, k2 = k / 2;
  auto near = [e](long long v, long long m) {
    const long long r = std::llabs(v % m);
    return r < e || r > m - e;
  };
  for (int g = 0; g < lines; ++g) {
    const int row = top_ + g;
    if (row < 0 || row >= history_) break;
    const long long v = static_cast<long long>(d + 0.5);
    std::uint8_t kind = kMarkNone;
    if (near(v, k10)) kind = kMarkMinor;
    if (near(v, k2)) kind = kMarkMedium;
    if (near(v, k)) kind = kMarkMajor;
    if (kind != kMarkNone) {
      bool free = true;
      for (int o : {-2, -1, 1, 2}) {
        const int q = row + o;
        if (q >= 0 && q < history_ && (marks_[static_cast<std::size_t>(q)] & 0x0F) != 0) free = false;
      }
      if (free)
        marks_[static_cast<std::size_t>(row)] =
            static_cast<std::uint8_t>((marks_[static_cast<std::size_t>(row)] & kMarkMinute) | kind);
    }
    if (g == minuteLine) marks_[static_cast<std::size_t>(row)] |= kMarkMinute;
    d += up ? e : -e;
  }
}

bool VdlEngine::TakePending(VdlRefresh& out) {
  const int lines = newLines_, rows = newRows_;
  if (lines < 0 || rows < 1) return false;
  out.lines = lines;
  out.rows = rows;
  out.minuteLine = minuteLine_ < 0 ? -1 : lines - minuteLine_ - 1;
  out.labelDepth = depth_;
  newLines_ = newRows_ = 0;
  minuteLine_ = -1;
  return true;
}

VdlRefresh VdlEngine::Refresh(bool wiggle, bool collectLines, int waitMs) {
  VdlRefresh out;
  std::unique_lock<std::timed_mutex> display(displayLock_, std::defer_lock);
  if (!display.try_lock_for(std::chrono::milliseconds(waitMs))) return out;
  std::lock_guard<std::mutex> intake(intakeLock_);
  if (!TakePending(out)) return out;
  if (wiggle) DrawWiggle(out.lines, out.rows, collectLines ? &out.traces : nullptr);
  ConsumeLines(out.lines, out.rows, !wiggle, collectLines ? &out.lineSamples : nullptr);
  CopyHistories();
  SetMarks(out.lines, out.minuteLine, out.labelDepth);
  out.done = true;
  return out;
}

VdlRefresh VdlEngine::TakeLines() {
  VdlRefresh out;
  std::lock_guard<std::timed_mutex> display(displayLock_);
  std::lock_guard<std::mutex> intake(intakeLock_);
  if (!TakePending(out)) return out;
  ConsumeLines(out.lines, out.rows, false, &out.lineSamples);
  CopyHistories();
  out.done = true;
  return out;
}

void DrawPolyline8(std::uint8_t* image, int width, int height, std::span<const int> xy, std::uint8_t value) {
  auto plot = [&](int x, int y) {
    if (x >= 0 && x < width && y >= 0 && y < height)
      image[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = value;
  };
  const std::size_t points = xy.size() / 2;
  for (std::size_t i = 0; i + 1 < points; ++i) {
    int x0 = xy[2 * i], y0 = xy[2 * i + 1];
    const int x1 = xy[2 * i + 2], y1 = xy[2 * i + 3];
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
      plot(x0, y0);
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
    }
  }
  if (points > 0) plot(xy[2 * (points - 1)], xy[2 * (points - 1) + 1]);
}

}  // namespace qv::vdl
