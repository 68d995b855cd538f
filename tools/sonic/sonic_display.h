// What the sonic view shows, free of widgets: the curve rows (the curve
// display's ring-buffered histories, with their averaging below one pixel per
// record, repetition above it, depth ticks and minute marks), a trace history
// that keeps the waveforms of every display row beside them, and the 8-bit
// index image of the waveforms, either as grey rows (one per display row) or
// as wiggle traces drawn every 13 rows with the part before the arrival in
// light grey.
//
// The record thread adds records; the display thread takes the new rows into
// the image; the painter reads the image. The record side and the image side
// have a lock each and no thread holds both: the display thread copies the
// trace rows it needs under the record lock, then builds the image under the
// image lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "app/core/scrolling_rows.h"
#include "logview/model/history.h"
#include "logview/model/layout.h"
#include "sondedb/records/records.h"

namespace qv {

// Grey table: entry i is 255 - i in red, green and blue (0 white, 255 black),
// as 0xRRGGBB.
std::array<std::uint32_t, 256> SonicGreyTable();
// A sample as a grey index: the most negative sample white, the most positive black.
inline std::uint8_t SonicGreyIndex(std::int16_t v) {
  return static_cast<std::uint8_t>((static_cast<int>(v) + 32768) >> 8);
}
// Bytes per row of an 8-bit image of the width, rounded up to 4.
inline int SonicImageStride(int width) {
  return ((width * 8 + 31) >> 5) << 2;
}
// The index of the light grey (0xA0A0A0) a wiggle trace has before its arrival.
inline constexpr std::uint8_t kSonicEarlyIndex = 255 - 0xA0;
inline constexpr std::uint8_t kSonicTraceIndex = 255;

// The extra rows the image has below the screen height.
inline constexpr int kSonicImageMargin = 13;
// Wiggle traces: one every 13 rows once the rows run more than 19.5 past the last.
inline constexpr int kWiggleSpacing = 13;
inline constexpr double kWiggleLead = 19.5;

// A logarithmic scale in whole powers of ten: the decade exponents of the
// minimum and maximum (non-positive ends count as 1), at least one decade,
// an even count for a curve across tracks 2 and 3.
struct SonicLogScale {
  int low = 0;
  int high = 1;
  double Minimum() const;
  double Maximum() const;
};
SonicLogScale SonicLogScaleOf(double minimum, double maximum, bool twoTrack);
// Gives every curve on a logarithmic first track its whole-decade scale, and
// marks the second track of a curve across tracks 2 and 3 logarithmic.
void SnapSonicLogCurves(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks);
// After the curve's scale changed: every other curve of its (logarithmic)
// first track gets the same decade count, keeping its maximum's decade (or
// its minimum's).
void AdjustLogDecades(std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, int curve, int decades,
                      bool keepMaximum);

// The wiggle points of one waveform: x from the waveform's first column,
// y = the trace's row + sample x 13 / 65535 (towards zero); the arrival a
// (a record's arrival sample) colours points 0 to a-1 light grey when it is a
// finite value inside the waveform, else the whole trace is black.
struct WigglePoint {
  int x = 0;
  int y = 0;
};
std::vector<WigglePoint> WigglePoints(std::span<const std::int16_t> samples, int row);
int ArrivalIndex(double arrival, int samples);

struct SonicDisplaySettings {
  int samples = 512;  // per waveform
  int waves = 3;
  bool upward = true;  // newest row at the top (logging up and time logs)
  bool imperial = false;
  int depthScale = 200;
  int screenHeight = 1080;  // the image is this + 13 rows, at most a history
};

class SonicDisplay {
 public:
  // Sizes every history and the image for the curves' physical channels
  // (values 13 to 16 of a record are its arrivals) and clears them.
  void Configure(const std::vector<int>& physicalChannels, const SonicDisplaySettings& settings);
  const SonicDisplaySettings& Settings() const { return settings_; }
  int ImageWidth() const { return settings_.samples * settings_.waves; }
  int ImageHeight() const { return height_; }
  int Stride() const { return stride_; }

  // A new log or a rewind: the scrolling for the depth step (thousandths of
  // the depth unit) at 1:depthScale; clears the pending rows and the ticks.
  void ResetScroll(int depthStep, int depthScale);
  double PixelsPerRecord() const { return rows_.PixelsPerSample(); }
  // Clears the histories and the image.
  void Clear();
  void SetDepth(int depth) { rows_.SetDepth(depth); }
  int Depth() const { return rows_.Depth(); }

  // Record thread: one record's 16 values and its waveforms (S x W samples).
  // depthScaled is false for time logs and test runs (one row per record);
  // the depth moves by depthMove steps; takeMinute reports and clears the
  // log's minute flag.
  void AddRecord(std::span<const double> values, std::span<const std::int16_t> waveforms, bool depthScaled,
                 int depthMove, const std::function<bool()>& takeMinute);
  int PendingRows() const { return rows_.PendingRows(); }

  // Display thread: the new rows into the curve histories and the image.
  curveview::RowUpdate Update();

  // Variable-density image (false) or wiggle traces (true); applies from the next rows.
  void SetWiggle(bool on) { wiggle_ = on; }
  bool Wiggle() const { return wiggle_; }

  // The image lock: Update writes under it, the painter reads under it.
  std::timed_mutex& ImageLock() { return imageLock_; }
  const std::uint8_t* Image() const { return image_.Data(); }
  const curveview::CurveRows& Rows() const { return rows_; }
  // The visible history rows for the client area (history index window).
  curveview::HistoryWindow Window(int clientHeight, int legendHeight) const;
  // The first image row the client shows (the newest rows' end of the image).
  int FirstShownImageRow(int clientHeight, int legendHeight) const;

 private:
  void ScrollImage(int rows);
  void FillGreyRows(int rows);
  void DrawWiggles(int rows);
  void DrawTrace(int imageRow, std::span<const std::int16_t> samples, int wave, double arrival);
  void Span(int x, int y0, int y1, std::uint8_t index);

  SonicDisplaySettings settings_;
  int height_ = 0;
  int stride_ = 0;
  int traceWidth_ = 0;
  std::atomic<bool> wiggle_{false};
  curveview::CurveRows rows_;

  // Record side (recordLock_): the waveforms and arrivals of every row.
  std::mutex recordLock_;
  curveview::RowRing<std::int16_t> traces_;
  curveview::RowRing<double> arrivals_;

  // Display thread: the newest trace rows of an update.
  std::vector<std::int16_t> scratch_;
  std::vector<double> scratchArrivals_;
  int scratchRows_ = 0;
  int traceCounter_ = 0;
  int lastTrace_ = 0;

  // Image side (imageLock_).
  std::timed_mutex imageLock_;
  // Scrolled by moving its origin: an update costs what its rows cost.
  ScrollingRows image_{1, 0, 0};
};

}  // namespace qv
