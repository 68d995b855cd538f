// The rows of a curve display: what the record-processing thread appends, what
// the display takes over, and the depth and minute marks of each row.
//
// Rows live in ring buffers, so appending a row costs the same whatever the
// log's length. A row is addressed by the history index the layout uses
// (window start .. window end); the newest row sits at one fixed index, the
// anchor, and older rows lie away from it (below it for an upward log).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <span>
#include <vector>

#include "logview/model/layout.h"

namespace curveview {

// The value of a row that holds no reading: before the log's first record, a
// channel the records lack, or a value still inside the processing's delay.
// Nothing is drawn for it.
inline constexpr double kNoData = std::numeric_limits<double>::quiet_NaN();
inline bool IsNoData(double v) {
  return std::isnan(v);
}

// Row-mark bits.
inline constexpr std::uint8_t kTickMask = 0x0F;  // 0 none, 1 small, 2 medium, 3 large depth tick
inline constexpr std::uint8_t kMinuteMark = 0x80;

// A ring of rows of one value type; age 0 is the newest row.
template <typename T>
class RowRing {
 public:
  void Reset(int width, int capacity) {
    width_ = width;
    capacity_ = capacity;
    data_.assign(static_cast<size_t>(width) * static_cast<size_t>(capacity), T{});
    head_ = 0;
    filled_ = 0;
  }
  void Clear() {
    std::fill(data_.begin(), data_.end(), T{});
    head_ = 0;
    filled_ = 0;
  }
  // Starts a new newest row (cleared) and returns it; null before the ring
  // has been sized.
  T* Push() {
    if (capacity_ == 0) return nullptr;
    head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
    if (filled_ < capacity_) ++filled_;
    T* row = data_.data() + static_cast<size_t>(head_) * static_cast<size_t>(width_);
    std::fill(row, row + width_, T{});
    return row;
  }
  // The row of an age, or null when the age holds no row.
  const T* Row(int age) const {
    if (age < 0 || age >= filled_) return nullptr;
    int slot = head_ - age;
    if (slot < 0) slot += capacity_;
    return data_.data() + static_cast<size_t>(slot) * static_cast<size_t>(width_);
  }
  T* Row(int age) { return const_cast<T*>(static_cast<const RowRing&>(*this).Row(age)); }
  int Width() const { return width_; }
  int Capacity() const { return capacity_; }

 private:
  std::vector<T> data_;
  int width_ = 0;
  int capacity_ = 0;
  int head_ = 0;
  int filled_ = 0;
};

// What the rows need to know of their log.
struct RowSettings {
  bool upward = false;      // newest row at the top
  bool imperial = false;    // depths in feet
  int depthScale = 200;     // N of the scale 1:N
  int screenHeight = 1080;  // fixes where the newest row sits in the history
};

// The result of one display update.
struct RowUpdate {
  int rows = 0;        // new rows taken (0: nothing to scroll)
  int minuteAge = -1;  // age of the new row that carries a minute mark, -1 none
  int depth = 0;       // depth of the newest row
};

class CurveRows {
 public:
  // Sizes the histories for the curves (their physical channels pick the
  // values of each record) and clears everything.
  void Configure(const std::vector<int>& physicalChannels, const RowSettings& settings);
  RowSettings Settings() const;
  int CurveCount() const { return static_cast<int>(channels_.size()); }

  // The history index of the newest row.
  int Anchor() const;

  // Scrolling state for a depth step (thousandths of the depth unit) at the
  // scale 1:depthScale.
  void ResetScroll(int depthStep, int depthScale);
  double PixelsPerSample() const;

  // Appends one processed record. `depthScaled` is false for time logs and
  // test runs (one row per record); `takeMinute` reports and clears the
  // log's new-minute flag. Moves the current depth by `depthMove`.
  template <typename TakeMinute>
  void AddSample(std::span<const double> values, bool depthScaled, int depthMove, TakeMinute&& takeMinute);

  // Takes the pending rows into the display history and marks them. At most
  // one history's worth is taken; older rows have already left the ring.
  RowUpdate TakePending();

  // Clears both histories.
  void ClearHistories();

  void SetDepth(int depth);
  void SetDepthStep(int step);
  int Depth() const;
  int DepthStep() const;
  int LastUpdateDepth() const { return lastDepth_; }
  int PendingRows() const;

  // Display side (read under the display lock, see DisplayLock).
  // kNoData where the row holds no reading.
  double DisplayValue(int curve, int historyIndex) const;
  // The depth of the record a shown row came from; false for no row.
  bool RowDepth(int historyIndex, int* depth) const;
  std::uint8_t MarkAt(int historyIndex) const;
  std::mutex& DisplayLock() const { return displayMutex_; }

 private:
  int AgeOf(int historyIndex) const;
  void EmitRow(const double* row);
  void MarkNewRows(int n, int minuteAge, int depthStep);

  RowSettings settings_;
  std::vector<int> channels_;
  std::vector<double> row_;   // scratch row
  std::vector<double> sums_;  // averaging sums per curve

  // Acquisition side, guarded by sampleMutex_.
  mutable std::mutex sampleMutex_;
  RowRing<double> acquired_;
  RowRing<int> acquiredDepth_;  // the depth of each row's record
  double pixelsPerSample_ = 1.0;
  double pixelAccumulator_ = 0.0;
  int rowsAveraged_ = 0;
  int rowsStretched_ = 0;
  int samplesInRow_ = 0;
  int pending_ = 0;
  int minuteRow_ = -1;
  int depth_ = 0;
  int depthStep_ = 0;

  // Display side, guarded by displayMutex_.
  mutable std::mutex displayMutex_;
  RowRing<double> shown_;
  RowRing<int> shownDepth_;
  RowRing<std::uint8_t> marks_;
  int lastDepth_ = 0;
};

template <typename TakeMinute>
void CurveRows::AddSample(std::span<const double> values, bool depthScaled, int depthMove, TakeMinute&& takeMinute) {
  std::lock_guard lock(sampleMutex_);
  const int n = CurveCount();
  auto valueOf = [&](int c) {
    const int p = channels_[static_cast<size_t>(c)];
    return p >= 1 && static_cast<size_t>(p) <= values.size() ? values[static_cast<size_t>(p - 1)] : kNoData;
  };
  auto afterRow = [&] {
    if (takeMinute()) minuteRow_ = pending_;
    ++pending_;
  };
  auto emitCurrent = [&] {
    for (int c = 0; c < n; ++c) row_[static_cast<size_t>(c)] = valueOf(c);
    EmitRow(row_.data());
    afterRow();
  };
  pixelAccumulator_ += pixelsPerSample_;
  const int rounded = static_cast<int>(pixelAccumulator_ + 0.5);
  if (depthScaled && pixelsPerSample_ < 1.0) {
    if (depthStep_ == 0) depthStep_ = 10;
    if (rounded > rowsAveraged_) {
      const int count = samplesInRow_ > 0 ? samplesInRow_ + 1 : 0;
      for (int c = 0; c < n; ++c) {
        const double v = valueOf(c);
        row_[static_cast<size_t>(c)] = count > 0 ? (sums_[static_cast<size_t>(c)] + v) / count : v;
      }
      EmitRow(row_.data());
      rowsAveraged_ = rounded;
      samplesInRow_ = 0;
      std::fill(sums_.begin(), sums_.end(), 0.0);
      afterRow();
    } else {
      ++samplesInRow_;
      for (int c = 0; c < n; ++c) sums_[static_cast<size_t>(c)] += valueOf(c);
    }
  } else if (depthScaled) {
    // A record never emits more rows than the history holds: a wild depth
    // step from a damaged header would otherwise stall the record thread.
    if (rounded - rowsStretched_ > acquired_.Capacity()) rowsStretched_ = rounded - acquired_.Capacity();
    while (rowsStretched_ < rounded) {
      emitCurrent();
      ++rowsStretched_;
    }
  } else {
    emitCurrent();
  }
  depth_ += depthMove * depthStep_;
}

}  // namespace curveview
