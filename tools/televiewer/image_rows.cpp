#include "tools/televiewer/image_rows.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace qv {

const std::array<std::uint32_t, kBhtvColours> BhtvColourTable = {
    0x120000, 0x140000, 0x170000, 0x1A0000, 0x1D0000, 0x200000, 0x250000, 0x2B0000,  //
    0x300000, 0x350000, 0x3A0000, 0x3F0000, 0x430000, 0x480000, 0x4C0000, 0x500000,  //
    0x550000, 0x550000, 0x580000, 0x5C0000, 0x600000, 0x640000, 0x680000, 0x6B0000,  //
    0x6F0000, 0x730000, 0x770000, 0x7B0000, 0x7F0100, 0x830200, 0x830200, 0x880300,  //
    0x8B0500, 0x8B0500, 0x8F0800, 0x920B00, 0x960E00, 0x960E00, 0x981200, 0x9B1600,  //
    0x9D1A00, 0x9F1E00, 0xA12200, 0xA12200, 0xA22700, 0xA42B00, 0xA52F00, 0xA73300,  //
    0xA83700, 0xAA3A00, 0xAB3E00, 0xAD4100, 0xAE4500, 0xAF4800, 0xB14B00, 0xB14B00,  //
    0xB24F00, 0xB35200, 0xB45500, 0xB45500, 0xB55800, 0xB65B00, 0xB85E00, 0xB96100,  //
    0xBA6400, 0xBB6800, 0xBD6C00, 0xBF7000, 0xBF7000, 0xBF7000, 0xC17400, 0xC37900,  //
    0xC57E00, 0xC78300, 0xC98800, 0xCB8D00, 0xCD9200, 0xCF9600, 0xD19B00, 0xD39F00,  //
    0xD5A300, 0xD5A300, 0xD7A800, 0xD9AC00, 0xDAB000, 0xDCB400, 0xDEB800, 0xE0BC00,  //
    0xE1BF00, 0xE4C600, 0xE6CA00, 0xE7CD00, 0xE9D000, 0xECD700, 0xECD700, 0xEDDA00,  //
    0xEFDD00, 0xF0E000, 0xF1E300, 0xF3E600, 0xF4EA00, 0xF6ED02, 0xF9F309, 0xFAF50E,  //
    0xFAF50E, 0xFBF814, 0xFBF814, 0xFCF91C, 0xFDFC2D, 0xFDFD36, 0xFDFD3F, 0xFEFE49,  //
    0xFEFE5A, 0xFEFE63, 0xFEFE6B, 0xFEFE74, 0xFEFE86, 0xFEFE8F, 0xFEFE98, 0xFEFE98,  //
    0xFEFEA0, 0xFEFEB1, 0xFEFEB8, 0xFEFEB8, 0xFEFEC0, 0xFEFECF, 0xFEFEDA, 0xFEFEEF,  //
    0xFFFFFF,
};

std::array<std::uint32_t, TeleviewerImageStore::kWidth> BhtvColourBar() {
  std::array<std::uint32_t, TeleviewerImageStore::kWidth> bar{};
  std::copy_n(BhtvColourTable.begin(), bar.size(), bar.begin());
  return bar;
}

namespace {

// The mark checks read entries 98 to 102 around the newest row.
constexpr int kLeastRows = TeleviewerRowBuilder::kNewest + 3;

int Mean(const std::array<int, TeleviewerRowBuilder::kStatistics>& a) {
  int sum = 0;
  for (int v : a) sum += v;
  return sum / TeleviewerRowBuilder::kStatistics;
}

// A sample scaled against the running statistics, truncated, at most top.
int Normalise(int v, int meanMin, int span, int scale, int top) {
  const int above = std::max(v - meanMin, 0);
  return std::min(static_cast<int>(above * static_cast<double>(scale) / span), top);
}

void Age(std::array<int, TeleviewerRowBuilder::kStatistics>& a) {
  std::copy_backward(a.begin(), a.end() - 1, a.end());
}

// The depth lies within half a step of a multiple of m.
bool Near(int depth, int m, int half) {
  const int r = std::abs(depth % m);
  return r < half || m - r < half;
}

}  // namespace

TeleviewerRowBuilder::TeleviewerRowBuilder(int height)
    : capacity_(std::max(height, kLeastRows)),
      rows_(static_cast<std::size_t>(capacity_)),
      history_(capacity_, 1, 0) {
  maxA_.fill(63);
  maxT_.fill(127);
}

void TeleviewerRowBuilder::Reset(int depthStep) {
  std::lock_guard<std::mutex> lock(m_);
  minA_.fill(0);
  maxA_.fill(0);
  minT_.fill(0);
  maxT_.fill(0);
  history_.Fill(0);
  std::fill(rows_.begin(), rows_.end(), TeleviewerImageRow{});
  pending_ = 0;
  previousDirection_ = 1;
  depth_.depthStep = std::abs(depthStep);
}

void TeleviewerRowBuilder::SetDepth(int depth) {
  std::lock_guard<std::mutex> lock(m_);
  depth_.currentDepth = depth;
}

DepthTrackRecord TeleviewerRowBuilder::Depth() const {
  std::lock_guard<std::mutex> lock(m_);
  return depth_;
}

int TeleviewerRowBuilder::Pending() const {
  std::lock_guard<std::mutex> lock(m_);
  return pending_;
}

bool TeleviewerRowBuilder::Up() const {
  std::lock_guard<std::mutex> lock(m_);
  return previousDirection_ == 1;
}

void TeleviewerRowBuilder::Convert(const TeleviewerSweep& sweep, bool minuteMark, const RowOptions& o) {
  std::function<void(int)> startDepth;
  int startAt = 0;
  {
    std::lock_guard<std::mutex> lock(m_);
    const int meanMinA = Mean(minA_), spanA = std::max(Mean(maxA_) - meanMinA, 5);
    const int meanMinT = Mean(minT_), spanT = std::max(Mean(maxT_) - meanMinT, 5);
    Age(minA_);
    Age(maxA_);
    Age(minT_);
    Age(maxT_);

    const int last = capacity_ - 1;
    if (pending_ >= capacity_) {
      // No flush took the rows: the oldest gives way, and the history stays
      // with the rows that remain (its last entry goes with the move below).
      std::memmove(rows_.data(), rows_.data() + 1, static_cast<std::size_t>(last) * sizeof(TeleviewerImageRow));
      history_.ScrollUp(1);
      pending_ = last;
    }
    TeleviewerImageRow& r = rows_[static_cast<std::size_t>(pending_)];
    int rawMinA = 255, rawMaxA = 0, rawMinT = 255, rawMaxT = 0, second = 0;
    for (int j = 0; j < kRowSamples; ++j) {
      const std::uint16_t w = sweep.word[1 + j];
      int a = (w >> 8) & 0x3F;
      rawMinA = std::min(rawMinA, a);
      rawMaxA = std::max(rawMaxA, a);
      if (o.normaliseAmplitude) a = Normalise(a, meanMinA, spanA, 64, 63);
      r.amplitude[j] = static_cast<std::uint8_t>(o.invert ? 64 - a : a);

      int t = (w & 0xFF) >> 1;
      if (t == 0) t = 127;
      rawMinT = std::min(rawMinT, t);
      if (t > rawMaxT)
        rawMaxT = t;
      else if (t > second)
        second = t;
      if (o.normaliseTransit) t = Normalise(t, meanMinT, spanT, 128, 127);
      r.transit[j] = static_cast<std::uint8_t>(o.invert ? 128 - t : t);
    }
    minA_[0] = rawMinA;
    maxA_[0] = rawMaxA;
    minT_[0] = rawMinT;
    maxT_[0] = rawMaxT - second > 5 ? second : rawMaxT;

    r.marks = 0;
    // The entries move one older; the first keeps its mark.
    history_.ScrollDown(1);
    std::uint8_t* h = history_.Data();
    h[0] = h[1];

    const std::uint16_t w = sweep.depthStep;
    const int steps = SweepSteps(w, o.logType);
    const int direction = steps == 0 ? previousDirection_ : SweepWentDown(w) ? 0 : 1;
    if (steps != 0) {
      int& depth = depth_.currentDepth;
      const int step = std::abs(depth_.depthStep), half = step / 2;
      if (o.recorder && firstDepthPending_ && startDepth_) {
        startDepth = startDepth_;
        startAt = direction == 0 ? (depth - 1000) / 10 : depth / 10;
        firstDepthPending_ = false;
      }
      const bool onward = direction == previousDirection_;
      if (onward) {
        const long long moved = static_cast<long long>(depth) + (direction == 0 ? 1LL : -1LL) * steps * step;
        depth = static_cast<int>(std::clamp<long long>(moved, -2000000000LL, 2000000000LL));
      }
      if (Near(depth, 1000, half)) {
        r.marks |= kRowDepthTick;
        if (onward) r.marks |= direction == 0 ? kRowLoggingDown : kRowLoggingUp;
      }
      if (((h[kNewest - 1] | h[kNewest - 2] | h[kNewest + 1] | h[kNewest + 2]) & 0x0F) == 0) {
        const std::pair<int, std::uint8_t> kinds[] = {{50, kTickMinor}, {250, kTickMiddle}, {500, kTickMajor}};
        for (const auto& [multiple, kind] : kinds)
          if (Near(depth, multiple, half)) h[kNewest] = static_cast<std::uint8_t>((h[kNewest] & 0xF0) | kind);
      }
    }
    if (minuteMark) {
      r.marks |= kRowNewMinute;
      h[kNewest] |= kHistoryMinute;
    }
    previousDirection_ = direction;
    ++pending_;
  }
  if (startDepth) startDepth(startAt);  // outside the lock: the recorder is the caller's
}

int SweepSteps(std::uint16_t w, int logType) {
  const int steps = (w & 0xC000) ? (w & 0xFF) : 0;
  return steps != 0 && logType != 1 ? 1 : steps;
}

FlushedRows TeleviewerRowBuilder::MakeFlushedRows() const {
  FlushedRows f;
  f.rows.resize(static_cast<std::size_t>(capacity_));
  f.history.resize(static_cast<std::size_t>(capacity_));
  return f;
}

bool TeleviewerRowBuilder::Take(int threshold, FlushedRows& out) {
  std::lock_guard<std::mutex> lock(m_);
  const int n = pending_;
  if (n <= threshold || out.rows.size() < static_cast<std::size_t>(n) || out.history.size() < history_.Size())
    return false;
  std::copy_n(rows_.begin(), n, out.rows.begin());
  std::copy_n(history_.Data(), history_.Size(), out.history.begin());
  out.count = n;
  out.shownDepth = depth_.currentDepth;
  pending_ = 0;
  return true;
}

TeleviewerImageStore::TeleviewerImageStore(int height)
    : height_(std::max(height, TeleviewerRowBuilder::kNewest + 3)),
      amplitude_(height_, kWidth, kWhite),
      transit_(height_, kWidth, kWhite) {}

void TeleviewerImageStore::Clear() {
  amplitude_.Fill(kWhite);
  transit_.Fill(kWhite);
}

bool TeleviewerImageStore::Apply(std::span<const TeleviewerImageRow> rows, int waitMs) {
  std::unique_lock<std::timed_mutex> lock(lock_, std::chrono::milliseconds(waitMs));
  if (!lock.owns_lock()) return false;
  const std::size_t n = rows.size();
  const std::size_t h = static_cast<std::size_t>(height_);
  const std::size_t shift = std::min(n, h);
  // The rows above the newest are never written and stay white; of the rows
  // a scroll brings in at the top, those are whitened and the others take
  // the new rows below.
  const std::size_t white = std::min<std::size_t>(shift, TeleviewerRowBuilder::kNewest);
  for (auto* image : {&amplitude_, &transit_}) {
    image->ScrollDown(static_cast<int>(shift));
    if (shift < h) std::fill_n(image->Data(), white * kWidth, kWhite);
  }
  // Row i (oldest first) lands n - 1 - i rows below the newest; the rows
  // that fall below the image are not drawn.
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t y = TeleviewerRowBuilder::kNewest + (n - 1 - i);
    if (y >= h) continue;
    std::uint8_t* a = amplitude_.Data() + y * kWidth;
    std::uint8_t* t = transit_.Data() + y * kWidth;
    for (int j = 0; j < kWidth; ++j) {
      a[j] = static_cast<std::uint8_t>(2 * rows[i].amplitude[j]);
      t[j] = rows[i].transit[j];
    }
  }
  return true;
}

}  // namespace qv
