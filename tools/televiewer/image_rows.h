// Televiewer sweeps into picture rows, free of widgets: the row builder (the
// running statistics of the last 20 sweeps, normalisation, inversion, the
// depth path with its ticks and minute marks), the image store the view
// draws (two 128-wide 8-bit index images, the newest row at image row 100)
// and the 129-colour table both images index.
//
// The builder runs on the record thread and the display takes its rows: the
// hand-over is a copy under a short lock, so neither side ever sees a row or
// a mark history half written.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "app/core/scrolling_rows.h"
#include "logdoc/records/device_records.h"
#include "logview/model/track_layout.h"
#include "print/recorder/televiewer_row.h"

namespace qv {

// One picture row (the chart recorder prints the same rows).
using ::TeleviewerImageRow;
inline constexpr int kRowSamples = 128;

// From dark red through red, orange and yellow to white (RRGGBB); an
// amplitude pixel is twice its row byte, a transit pixel its row byte.
inline constexpr int kBhtvColours = 129;
extern const std::array<std::uint32_t, kBhtvColours> BhtvColourTable;

// Mark-history entries: low nibble the tick kind, bit 7 a minute mark.
enum DepthTickKind : std::uint8_t { kTickNone = 0, kTickMinor = 1, kTickMiddle = 2, kTickMajor = 3 };
inline constexpr std::uint8_t kHistoryMinute = 0x80;

// The depth steps a sweep moved by its step word (0: it did not move); a log
// whose LogType is not 1 counts one step per moving sweep.
int SweepSteps(std::uint16_t stepWord, int logType);
// Whether a sweep's step word says the depth grew.
inline bool SweepWentDown(std::uint16_t stepWord) {
  return (stepWord & 0x4000) != 0;
}

struct RowOptions {
  bool invert = false;
  bool normaliseAmplitude = false;
  bool normaliseTransit = false;
  // The header's LogType: any other than 1 counts a moving sweep as one step.
  int logType = 1;
  // A chart recorder runs in real time and wants its start depth.
  bool recorder = false;
};

// The rows a flush takes: oldest first, with the mark history as it stood
// and the depth of the newest row.
struct FlushedRows {
  std::vector<TeleviewerImageRow> rows;  // capacity rows; count of them valid
  std::vector<std::uint8_t> history;
  int count = 0;
  int shownDepth = 0;
};

class TeleviewerRowBuilder {
 public:
  // The entry of the mark history (and the image row) of the newest row.
  static constexpr int kNewest = 100;
  static constexpr int kStatistics = 20;

  // height: the image height (the tallest screen); the stores hold that many
  // rows, and never fewer than the mark checks around entry 100 read.
  explicit TeleviewerRowBuilder(int height);

  int Capacity() const { return capacity_; }
  // Called with a chart recorder's start depth (recorder units) by the first
  // moving sweep after construction.
  void SetRecorderStartDepth(std::function<void(int)> f) { startDepth_ = std::move(f); }
  // A new log: statistics 0, no rows, no marks, direction up; the depth
  // track's step is kept as a magnitude.
  void Reset(int depthStep);
  void SetDepth(int depth);
  DepthTrackRecord Depth() const;
  int Pending() const;
  // The direction of the last sweep: up (depth decreasing) until one moves down.
  bool Up() const;

  // Record thread: one sweep into the next pending row; minuteMark is the
  // log's minute-mark flag, taken for this row.
  void Convert(const TeleviewerSweep& sweep, bool minuteMark, const RowOptions& options);
  // Display thread: the pending rows into out when more than threshold wait
  // (a full store included); false (nothing taken) otherwise.
  bool Take(int threshold, FlushedRows& out);
  // The flushed store sized for this builder.
  FlushedRows MakeFlushedRows() const;

 private:
  const int capacity_;
  mutable std::mutex m_;
  std::vector<TeleviewerImageRow> rows_;
  // One byte a row, newest at entry kNewest; it moves by its origin.
  ScrollingRows history_;
  int pending_ = 0;
  std::array<int, kStatistics> minA_{}, maxA_{}, minT_{}, maxT_{};
  int previousDirection_ = 1;  // 1 up, 0 down
  bool firstDepthPending_ = true;
  DepthTrackRecord depth_;
  std::function<void(int)> startDepth_;
};

// The two images of the view: 128 x height 8-bit colour indices each, top
// row first, filled white; the newest row lands in image row 100, older rows
// below it. Guarded by a timed lock that the painter takes too.
class TeleviewerImageStore {
 public:
  static constexpr int kWidth = 128;
  static constexpr std::uint8_t kWhite = 128;

  explicit TeleviewerImageStore(int height);
  int Height() const { return height_; }
  // Fills both images white (lock held by the caller or none needed).
  void Clear();
  // Moves both images down by the rows (at most the height) and writes the
  // rows that fall inside; false when the lock did not come within waitMs
  // (that refresh is skipped).
  bool Apply(std::span<const TeleviewerImageRow> rows, int waitMs);
  std::timed_mutex& Lock() { return lock_; }
  const std::uint8_t* Amplitude() const { return amplitude_.Data(); }
  const std::uint8_t* Transit() const { return transit_.Data(); }

 private:
  const int height_;
  std::timed_mutex lock_;
  // Scrolled by moving their origins: a flush costs what its rows cost.
  ScrollingRows amplitude_;
  ScrollingRows transit_;
};

// The colour bar: colours 0 to 127, one per pixel of its 128.
std::array<std::uint32_t, TeleviewerImageStore::kWidth> BhtvColourBar();

}  // namespace qv
