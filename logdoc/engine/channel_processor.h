// The record processing of the six- and twelve-channel logs, live, replayed
// and printed: scaling, the cubic calibration, the depth alignment of the
// channels through a delay window, each channel's filter, the user function
// with its own output window and filters, and the row of values handed to the
// view. Plain C++: the document supplies the settings once and one record at a
// time; nothing is allocated per record.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>

#include "app/core/log_modes.h"
#include "logdoc/engine/delay_window.h"
#include "logdoc/records/device_records.h"
#include "sondedb/records/records.h"

namespace qv {

// The "UserFunction" entry point of a user-function library (through the
// loader, which serialises the calls into one module): in holds 16 values
// (channels 1 to 12, TIME, DEPTH, two zeros), out has room for 16 outputs.
using UserFunctionEntry = std::function<void(double* in, double* out)>;

// What the processing takes of a channel's filter entry.
struct ChannelSetting {
  int filterType = 0;   // 0 none, 1 mean, 2 median, 3 trimmed mean, other 0.0
  int filterWidth = 0;  // rows around the output row
  int offsetSteps = 0;  // depth offset of the channel's measure point, in depth steps
};

// What the processing takes of a user-function output's filter entry.
struct OutputFilter {
  int filterType = 0;
  int filterWidth = 0;
};

// c0 to c3 of a channel's cubic calibration.
using Coefficients = ::Coefficients;
using CalibrationTable = std::array<std::optional<Coefficients>, 12>;

// The coefficients of a sonde's calibration set by channel: entry i of the set
// calibrates channel i + 1 when it exists and has a coefficient block.
CalibrationTable CalibrationTableOf(const CalibrationSet& set);
// c0 + c1 x + c2 x^2 + c3 x^3, or x itself without coefficients.
double ApplyCalibration(const std::optional<Coefficients>& coefficients, double x);

struct ChannelProcessorSetup {
  int channels = 6;  // 6 or 12
  int logMode = kLogModeTime;
  int sondeLengthSteps = 0;
  int depthStep = 0;                                 // header units (thousandths of the depth unit)
  std::array<ChannelSetting, 16> channelSettings{};  // entry i: physical channel i+1
  std::array<OutputFilter, 16> outputFilters{};      // entry j: output j+1
  bool calibrationOn = false;
  CalibrationTable calibration{};  // entry i: channel i+1
  UserFunctionEntry userFunction;
};

// Where a record lies and when it was taken, as the user function is told:
// depth in header units of this record (the newest one), time in ms.
struct RecordStamp {
  int depth = 0;
  int time = 0;
  // False for a record that holds no reading (a replay's zero records past
  // the end of a file, which only carry the last values out of the delay).
  bool reading = true;
};

class ChannelProcessor {
 public:
  static constexpr int kMaxChannels = 12;
  static constexpr int kTimeIndex = 12;
  static constexpr int kDepthIndex = 13;

  explicit ChannelProcessor(const ChannelProcessorSetup& setup);
  ChannelProcessor(const ChannelProcessor&) = delete;
  ChannelProcessor& operator=(const ChannelProcessor&) = delete;

  // Rows of each delay window: depth logs the larger of the largest channel
  // offset and the sonde length in steps, plus 52; time logs 1000.
  int WindowRows() const { return channelWindow_.Rows(); }
  // The depth the view adds to a record's depth so that it labels the
  // delayed output: 25 steps, 51 with a user function; positive when logging
  // up, negative otherwise. Logging down, the sonde length as well: there
  // every channel waits for the sensor at the sonde's top.
  int DisplayDepthOffset() const;

  // Both windows back to zero (a rewound replay starts again from nothing).
  void Clear();

  // Whether an entry of the result row carries a reading yet: an entry stays
  // empty (0) until the first record's value has come through its delay, and
  // a channel the log lacks or whose delay lies beyond the window never does.
  bool OutputReady(int index) const;
  // ROW as a view or a page shows it, into OUT: each entry that holds no
  // reading yet (OutputReady false) is NaN, not 0. The count written.
  std::size_t ShownRow(std::span<const double> row, std::span<double> out) const;

  // One record through the processing. The result row is indexed by physical
  // channel - 1: the 14 values without a user function, its 12 outputs with
  // one. printOffsets, when given, replaces the log's own write rows (page
  // printing): channel i is written at row 51 + printOffsets[7 + i], offset 0
  // where the block is shorter. The span stays valid until the next call.
  std::span<const double> ProcessSixChannel(const SixChannelPacket& packet, const RecordStamp& stamp,
                                            std::optional<std::span<const int>> printOffsets = std::nullopt);
  std::span<const double> ProcessTwelveChannel(const TwelveChannelRecord& record, const RecordStamp& stamp,
                                               std::optional<std::span<const int>> printOffsets = std::nullopt);

  // The newest raw, calibrated (before the window) and user-function values
  // (before the output window), for the channel display.
  const std::array<double, 12>& RawValues() const { return raw_; }
  const std::array<double, 12>& CalibratedValues() const { return calibrated_; }
  const std::array<double, 12>& UserValues() const { return user_; }
  // The 14 values after the last record (delayed and filtered).
  std::span<const double> Values() const { return {values_.data(), 14}; }
  bool HasUserFunction() const { return setup_.userFunction != nullptr; }
  const ChannelProcessorSetup& Settings() const { return setup_; }
  // New filters of the channels and of the user-function outputs (type and
  // width; the offsets, which size the windows, stay), from the next record on.
  void SetFilters(const std::array<ChannelSetting, 16>& channels, const std::array<OutputFilter, 16>& outputs);

 private:
  double Calibrate(int channel, double x) const;
  std::span<const double> Finish(const RecordStamp& stamp, std::optional<std::span<const int>> printOffsets);
  int WriteRow(int channel, std::optional<std::span<const int>> printOffsets) const;
  long long AlignedRowSteps() const;

  // Records a channel's value takes through the channel window; -1: never.
  long long ChannelLag(int channel) const { return lags_[static_cast<std::size_t>(channel)]; }
  // Whether the record `age` records before the newest one held readings
  // (false before the first record).
  bool HeldReading(long long age) const;

  ChannelProcessorSetup setup_;
  long long processed_ = 0;
  // Per record, newest last in a ring: whether it held readings.
  std::vector<std::uint8_t> readings_;
  std::size_t nextReading_ = 0;  // the ring's slot for the next record
  // How many of the newest records in a row held readings, at most the
  // ring's size: an age below it needs no look into the ring.
  long long readingRun_ = 0;
  // Each channel's write row and its lag, fixed by the offsets and the
  // sonde length, which stay for the processing's life: worked out once.
  std::array<int, kMaxChannels> writeRows_{};
  std::array<long long, kMaxChannels> lags_{};
  DelayWindow channelWindow_;
  DelayWindow outputWindow_;
  // Room beyond the 14 inputs and 12 outputs, so that a user function that
  // touches a few elements more than its contract allows cannot write past
  // the arrays.
  std::array<double, 16> values_{};
  std::array<double, 16> outputs_{};
  std::array<double, 12> raw_{};
  std::array<double, 12> calibrated_{};
  std::array<double, 12> user_{};
};

// The delay window's row count for a log.
int ChannelWindowRows(int logMode, int sondeLengthSteps, std::span<const ChannelSetting> settings);

// Header depth units (thousandths of the depth unit) of a length in
// centimetres: times 10 for metres, x 3.280839895 x 10 rounded for feet (the
// header's writer rounds back, so the length survives every rewrite).
int CentimetresToDepthUnits(int centimetres, bool imperial);
// A channel offset in centimetres as whole depth steps (0 without a positive step).
int OffsetToSteps(int centimetres, bool imperial, int depthStep);

// A processing's filter tables take the filter types and widths of CHANNELS
// and the output filters OUTPUTS; the channels' offsets stay.
void ChangeFilters(std::array<ChannelSetting, 16>& settings, std::array<OutputFilter, 16>& outputFilters,
                   const std::array<ChannelSetting, 16>& channels, const std::array<OutputFilter, 16>& outputs);
// The sonde length in depth steps: length / step when both are positive;
// otherwise 0 for a merged log (LogType 2) and 500 for every other log.
int SondeLengthSteps(int lengthCentimetres, bool imperial, int depthStep, int logType);
// The depth a view adds to the newest record's depth so that it labels the
// row the delay window hands out: 25 steps (51 with a user function's own
// window), positive when logging up, negative otherwise. Offsets count up
// from the sonde's bottom, where the counter measures; logging down every
// channel waits for the sensor at the sonde's top, so the row lies a sonde
// length further up the hole as well.
int AlignedDisplayOffset(int logMode, int sondeLengthSteps, int depthStep, bool userFunction);

// The depth of record index (from 0) of a data file that carries no depth,
// as the LAS export places it: logging down the first record lies at the
// smaller of start and end, otherwise at the larger; each record moves one
// step in the log's direction (time logs do not move).
int RecordDepthAt(int logMode, int startDepth, int endDepth, int step, long long index);
// The depth of record index of a log whose first record lies at firstDepth
// (a live log: the depth of its first record).
int RecordDepthFrom(int logMode, int firstDepth, int step, long long index);

}  // namespace qv
