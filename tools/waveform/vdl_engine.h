// The display engine of the waveform logs (cement bond, full-wave sonic),
// free of widgets: the store of waveform rows (near and far receiver side by
// side, each waveform delayed by its receiver's depth offset), the histories
// of the curves, the emission of display lines at the depth scale (records
// averaged into a line, or a record spread over several), the channel
// filters, the depth marks, and the refresh that turns the new lines into the
// rows of the variable-density image or into wiggle traces.
//
// The geometry is a parameter: samples per receiver (240 for the cement-bond
// tool, 480 for the full-wave tool), the segment numbers a receiver stores,
// the image height and the number of curves fed.
//
// Threads: the record thread calls AddDepthRow, the display thread Refresh,
// the painter reads the image, the display histories and the marks under
// DisplayLock(). Intake and refresh are serialised under the engine's intake
// lock, so a refresh never sees half a row; a refresh whose wait for the
// display lock runs out is skipped and consumes nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "app/core/scrolling_rows.h"

namespace qv::vdl {

// The shape of the store and the image.
struct VdlGeometry {
  int samplesPerReceiver = 240;
  int segmentSamples = 48;
  int firstSegment = 1;  // lowest segment number stored
  int lastSegment = 4;   // highest segment number stored
  int imageHeight = 1124;
  int curves = 6;             // histories fed by AddDepthRow
  int minimumHistory = 2400;  // the rows kept at least
  int delayStepFactor = 10;   // a receiver's delay: its offset over (depth step x this)
  int wiggleStride = 1;       // a wiggle trace takes every this many samples, at x = stride x point
  int RowWidth() const { return 2 * samplesPerReceiver; }
};

// One fed curve.
struct VdlCurve {
  int offset = 0;  // channel offset in display units, up from the sonde's bottom
  int filterType = 0;
  int filterWidth = 0;
};

// What the scroll geometry is computed from.
struct VdlScroll {
  int depthScale = 200;  // 1:N
  int depthStep = 10;    // thousandths of the depth unit
  bool imperial = false;
  bool depthMode = true;  // a depth log (not a time log)
  bool testMode = false;  // the log runs the sonde test: one line a record
  bool upward = true;
  int maxFilterWindow = 51;  // at least 51
  int nearOffset = 0;        // display units, channel 7
  int farOffset = 0;         // display units, channel 8
  int sondeLength = 0;       // display units
  std::vector<VdlCurve> curves;
};

// Depth-mark entries: low nibble the kind, bit 7 the minute mark.
enum VdlMarkKind : std::uint8_t { kMarkNone = 0, kMarkMinor = 1, kMarkMedium = 2, kMarkMajor = 3 };
inline constexpr std::uint8_t kMarkMinute = 0x80;

// What one refresh consumed.
struct VdlRefresh {
  bool done = false;    // false: skipped, nothing consumed
  int lines = 0;        // L
  int rows = 0;         // R
  int minuteLine = -1;  // index of the minute-marked line (0 newest), -1 none
  int labelDepth = 0;   // depth-track depth at the refresh
  // With collectLines: the samples of every new line, oldest first
  // (L x RowWidth bytes, signed samples as stored).
  std::vector<std::int8_t> lineSamples;
  // Wiggle mode with collectLines: the traces drawn, one y per point (on the
  // image's lines, x = the point's sample index), in the order drawn.
  std::vector<std::vector<int>> traces;
};

class VdlEngine {
 public:
  explicit VdlEngine(const VdlGeometry& geometry);

  const VdlGeometry& Geometry() const { return g_; }
  int HistoryLength() const { return history_; }
  int TopRow() const { return top_; }
  int BottomRow() const { return bottom_; }

  // The minute-mark flag of the log (taken and cleared when a line closes).
  void SetMinuteSource(std::function<bool()> take);
  // The depth the depth track moves by per record (+ down, - up, 0 time log).
  void SetDepthStepPerRecord(int step) { depthPerRecord_ = step; }

  // The scroll geometry, delays and intake state; histories grow when the
  // delays need more rows than the image leaves above it.
  void ResetScroll(const VdlScroll& scroll);
  // Clears rows, histories, marks and the image (the intake state is kept:
  // call ResetScroll after it).
  void Clear();
  // Client height below the legend: the rows shown.
  void SetClientRows(int shownRows);
  // Depth-track depth of the newest shown row, from the depth of the newest
  // record (the depth counter's, at the sonde's bottom).
  void SetDepth(int depth);
  int Depth() const { return depth_.load(); }
  int DisplayOffset() const { return displayOffset_; }
  double PixelsPerSample() const { return pixelsPerSample_; }
  int NearDelay() const { return nearDelay_; }
  int FarDelay() const { return farDelay_; }

  // How far (display units) a reading of a sensor `offset` above the
  // sonde's bottom waits before it is shown: logging up the sensor passes a
  // depth after the bottom does, logging down before it, and every reading
  // waits for the sensor that passes last.
  int AlignmentDelay(int offset) const;

  // Record thread: one segment (flags: bits 0-3 segment number, 0x80 far
  // receiver) with its samples and the curve values (indexed by channel - 1).
  void AddDepthRow(std::uint8_t flags, std::span<const std::int8_t> samples, std::span<const double> values);

  // Display thread: moves the new lines into the image (density, or wiggle
  // traces), copies the histories for display and sets the depth marks.
  // waitMs bounds the wait for the display lock.
  VdlRefresh Refresh(bool wiggle, bool collectLines, int waitMs);
  // The same without touching the image (the direct print): consumes the
  // new lines and gives their samples.
  VdlRefresh TakeLines();
  // Wiggle: the image cleared white for a new mode.
  void ClearImage();

  // ---- read under DisplayLock()
  std::timed_mutex& DisplayLock() { return displayLock_; }
  const std::uint8_t* Image() const { return image_.Data(); }
  const double* DisplayHistory(int curve) const;
  // How many rows of a display history, from TopRow() on, hold values the
  // log delivered; the rows below them hold none yet and are not drawn.
  int DisplayRowsWithData(int curve) const;
  const std::vector<std::uint8_t>& Marks() const { return marks_; }
  int WiggleCarry() const { return wiggleCarry_; }

  // ---- intake state (tests; hold no lock meanwhile)
  const std::int8_t* Row(int index) const;  // null outside the store
  int LineCount(int index) const;
  double WorkingValue(int curve, int index) const;
  int PendingLines() const { return newLines_; }
  int PendingRows() const { return newRows_; }

 private:
  int RowSlot(int index) const { return (rowBase_ + index) % history_; }
  int HistSlot(int index) const { return (histBase_ + index) % history_; }
  std::int8_t* RowPtr(int index);
  void Resize(int history);
  void ShiftRows();
  void ShiftHistories();
  void EmitLine(std::span<const double> values, bool average);
  void CloseLine();
  void Filter();
  int ConsumeLines(int lines, int rows, bool drawImage, std::vector<std::int8_t>* out);
  void DrawWiggle(int lines, int rows, std::vector<std::vector<int>>* traces);
  void SetMarks(int lines, int minuteLine, int labelDepth);
  void CopyHistories();
  // A slot of the working histories changed since the last copy.
  void MarkDirty(int slot);
  // The pending counters into OUT and cleared; false when no line can go out yet.
  bool TakePending(VdlRefresh& out);
  void PlaceRows();

  const VdlGeometry g_;
  std::function<bool()> takeMinute_;
  std::atomic<int> depth_{0};
  int depthPerRecord_ = 0;

  std::mutex intakeLock_;
  std::timed_mutex displayLock_;

  int history_ = 0;
  int shownRows_ = 0;
  int top_ = -1, bottom_ = -1;
  int rowBase_ = 0, histBase_ = 0;
  std::vector<std::int8_t> rows_;  // history_ x RowWidth
  std::vector<int> counts_;        // display lines per row still to draw
  std::vector<int> totals_;        // display lines per row in all (wiggle height)
  std::vector<std::vector<double>> working_;
  // The display histories: each the ring of its working history twice over,
  // so that the rows from displayBase_ on are in order without moving them;
  // a copy takes only the slots written since the one before.
  std::vector<std::vector<double>> display_;
  int displayBase_ = 0;
  std::vector<int> dirtySlots_;
  bool allDirty_ = false;
  long long linesInHistories_ = 0;     // lines emitted since the histories were cleared
  std::vector<int> displayRowsWithData_;  // by curve, as of the last copy
  std::vector<std::uint8_t> marks_;
  ScrollingRows image_;  // RowWidth x imageHeight

  VdlScroll scroll_;
  bool depthScaled_ = true;
  double pixelsPerSample_ = 1.0;
  double accumulated_ = 0.0;
  std::vector<double> sums_;
  long long emittedCompressed_ = 0, emittedExpanded_ = 0;
  int averaged_ = 0;
  int nearDelay_ = 0, farDelay_ = 0;
  std::vector<int> curveDelay_;
  int displayOffset_ = 0;
  int newLines_ = 0, newRows_ = 0, minuteLine_ = -1;
  int wiggleCarry_ = 0;
};

// Draws a polyline of 1-pixel lines with the value into an 8-bit image
// (points outside are clipped pixel by pixel).
void DrawPolyline8(std::uint8_t* image, int width, int height, std::span<const int> xy, std::uint8_t value);

}  // namespace qv::vdl
