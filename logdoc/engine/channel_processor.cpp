#include "logdoc/engine/channel_processor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "sondedb/records/sonde_length.h"

namespace qv {

namespace {

// A lag beyond this many depth steps does not size the window: a damaged
// header must not make the window take all memory. Such a channel's rows lie
// outside the window and the channel shows 0.
constexpr int kMaxLagSteps = 100000;

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int SignedStep(int logMode, int step) {
  if (logMode == kLogModeUp) return -std::abs(step);
  if (logMode == kLogModeDown) return std::abs(step);
  return 0;
}

}  // namespace

CalibrationTable CalibrationTableOf(const CalibrationSet& set) {
  CalibrationTable table{};
  for (std::size_t i = 0; i < table.size() && i < set.channels.size(); ++i)
    if (set.channels[i] && set.channels[i]->coefficients) table[i] = *set.channels[i]->coefficients;
  return table;
}

void ChangeFilters(std::array<ChannelSetting, 16>& settings, std::array<OutputFilter, 16>& outputFilters,
                   const std::array<ChannelSetting, 16>& channels, const std::array<OutputFilter, 16>& outputs) {
  for (std::size_t i = 0; i < channels.size(); ++i) {
    settings[i].filterType = channels[i].filterType;
    settings[i].filterWidth = channels[i].filterWidth;
  }
  outputFilters = outputs;
}

void ChannelProcessor::SetFilters(const std::array<ChannelSetting, 16>& channels,
                                  const std::array<OutputFilter, 16>& outputs) {
  ChangeFilters(setup_.channelSettings, setup_.outputFilters, channels, outputs);
}

int ChannelWindowRows(int logMode, int sondeLengthSteps, std::span<const ChannelSetting> settings) {
  if (logMode != kLogModeUp && logMode != kLogModeDown) return 1000;
  int largest = 0;
  for (const auto& s : settings)
    if (s.offsetSteps <= kMaxLagSteps) largest = std::max(largest, s.offsetSteps);
  if (sondeLengthSteps <= kMaxLagSteps) largest = std::max(largest, sondeLengthSteps);
  return largest + DelayWindow::kEntryRow + 1;
}

int CentimetresToDepthUnits(int centimetres, bool imperial) {
  return CentimetresToThousandths(centimetres, imperial);
}

int OffsetToSteps(int centimetres, bool imperial, int depthStep) {
  if (depthStep <= 0) return 0;
  return CentimetresToDepthUnits(centimetres, imperial) / depthStep;
}

int SondeLengthSteps(int lengthCentimetres, bool imperial, int depthStep, int logType) {
  const int length = lengthCentimetres > 0 ? CentimetresToDepthUnits(lengthCentimetres, imperial) : 0;
  if (length > 0 && depthStep > 0) return length / depthStep;
  return logType == 2 ? 0 : 500;
}

int AlignedDisplayOffset(int logMode, int sondeLengthSteps, int depthStep, bool userFunction) {
  long long steps = 25;
  if (logMode == kLogModeDown && sondeLengthSteps > 0 && sondeLengthSteps <= kMaxLagSteps) steps += sondeLengthSteps;
  if (userFunction) steps += 26;
  const long long offset = static_cast<long long>(depthStep) * steps;
  return ClampToInt(logMode == kLogModeUp ? offset : -offset);
}

int RecordDepthAt(int logMode, int startDepth, int endDepth, int step, long long index) {
  const int first = logMode == kLogModeDown ? std::min(startDepth, endDepth) : std::max(startDepth, endDepth);
  return RecordDepthFrom(logMode, first, step, index);
}

int RecordDepthFrom(int logMode, int firstDepth, int step, long long index) {
  return ClampToInt(firstDepth + index * SignedStep(logMode, step));
}

ChannelProcessor::ChannelProcessor(const ChannelProcessorSetup& setup)
    : setup_(setup),
      channelWindow_(
          ChannelWindowRows(
              setup.logMode, setup.sondeLengthSteps,
              std::span<const ChannelSetting>(setup.channelSettings).first(setup.channels == kMaxChannels ? 16 : 6)),
          kMaxChannels),
      outputWindow_(channelWindow_.Rows(), kMaxChannels) {
  setup_.channels = setup.channels == kMaxChannels ? kMaxChannels : 6;
  // Enough records back for the longest way through both windows.
  readings_.assign(static_cast<std::size_t>(2 * channelWindow_.Rows()), 0);
  for (int i = 0; i < kMaxChannels; ++i) {
    const int row = writeRows_[static_cast<std::size_t>(i)] = WriteRow(i, std::nullopt);
    lags_[static_cast<std::size_t>(i)] =
        row < 0 || row >= channelWindow_.Rows() ? -1 : static_cast<long long>(row) - DelayWindow::kOutputRow;
  }
}

// How many depth steps the aligned row lies behind the newest record, in the
// log's direction. Offsets count up from the sonde's bottom, where the depth
// counter measures. Logging up, the bottom sensor's value is not held, so a
// row belongs to the counter's depth 25 steps back. Logging down, every
// channel waits for the sensor at the sonde's top (the one whose offset is
// the sonde length), so the row lies a sonde length further up the hole.
long long ChannelProcessor::AlignedRowSteps() const {
  return std::abs(AlignedDisplayOffset(setup_.logMode, setup_.sondeLengthSteps, 1, false));
}

int ChannelProcessor::DisplayDepthOffset() const {
  return AlignedDisplayOffset(setup_.logMode, setup_.sondeLengthSteps, setup_.depthStep, HasUserFunction());
}

void ChannelProcessor::Clear() {
  channelWindow_.Clear();
  outputWindow_.Clear();
  processed_ = 0;
  nextReading_ = 0;
  readingRun_ = 0;
  std::fill(readings_.begin(), readings_.end(), std::uint8_t{0});
}

bool ChannelProcessor::HeldReading(long long age) const {
  if (age >= 0 && age < readingRun_) return true;
  const auto size = static_cast<long long>(readings_.size());
  if (age < 0 || age >= processed_ || age >= size) return false;
  const long long newest = nextReading_ == 0 ? size - 1 : static_cast<long long>(nextReading_) - 1;
  return readings_[static_cast<std::size_t>(newest >= age ? newest - age : newest + size - age)] != 0;
}

bool ChannelProcessor::OutputReady(int index) const {
  if (index < 0 || index >= kMaxChannels) return false;
  if (setup_.userFunction) {
    // The user function may read any channel: an output is a reading when
    // every channel it was given was one, and it passes the output window
    // after that.
    const long long through = DelayWindow::kEntryRow - DelayWindow::kOutputRow;
    for (int i = 0; i < setup_.channels; ++i) {
      const long long lag = ChannelLag(i);
      if (lag >= 0 && !HeldReading(through + lag)) return false;
    }
    return processed_ > through;
  }
  if (index >= setup_.channels) return false;
  const long long lag = ChannelLag(index);
  return lag >= 0 && HeldReading(lag);
}

std::size_t ChannelProcessor::ShownRow(std::span<const double> row, std::span<double> out) const {
  const std::size_t n = std::min(row.size(), out.size());
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  if (setup_.userFunction) {
    const bool ready = OutputReady(0);  // every output waits for the same inputs
    for (std::size_t i = 0; i < n; ++i) out[i] = ready && i < kMaxChannels ? row[i] : kNone;
    return n;
  }
  const std::size_t channels = std::min(n, static_cast<std::size_t>(setup_.channels));
  for (std::size_t i = 0; i < channels; ++i) {
    const long long lag = lags_[i];
    out[i] = lag >= 0 && (lag < readingRun_ || HeldReading(lag)) ? row[i] : kNone;
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(channels), out.begin() + static_cast<std::ptrdiff_t>(n), kNone);
  return n;
}

double ChannelProcessor::Calibrate(int channel, double x) const {
  return setup_.calibrationOn ? ApplyCalibration(setup_.calibration[channel], x) : x;
}

double ApplyCalibration(const std::optional<Coefficients>& coefficients, double x) {
  if (!coefficients) return x;
  const Coefficients& c = *coefficients;
  double v = c[0];
  v = v + c[1] * x;
  v = v + c[2] * x * x;
  v = v + c[3] * x * x * x;
  return v;
}

int ChannelProcessor::WriteRow(int channel, std::optional<std::span<const int>> printOffsets) const {
  constexpr long long entry = DelayWindow::kEntryRow;
  if (printOffsets) {
    const std::size_t at = 7 + static_cast<std::size_t>(channel);
    return ClampToInt(entry + (at < printOffsets->size() ? (*printOffsets)[at] : 0));
  }
  const long long offset = setup_.channelSettings[channel].offsetSteps;
  if (setup_.logMode == kLogModeUp) return ClampToInt(entry + offset);
  if (setup_.logMode == kLogModeDown) return ClampToInt(entry + setup_.sondeLengthSteps - offset);
  return DelayWindow::kEntryRow;
}

std::span<const double> ChannelProcessor::ProcessSixChannel(const SixChannelPacket& packet, const RecordStamp& stamp,
                                                            std::optional<std::span<const int>> printOffsets) {
  for (int i = 0; i < 6; ++i) {
    const double x = ScaleCount(packet.channel[i], packet.rate);
    raw_[i] = x;
    values_[i] = Calibrate(i, x);
    calibrated_[i] = values_[i];
  }
  // A six-channel sonde has no channels 7 to 12: the user function sees 0 there.
  std::fill(values_.begin() + 6, values_.begin() + kMaxChannels, 0.0);
  return Finish(stamp, printOffsets);
}

std::span<const double> ChannelProcessor::ProcessTwelveChannel(const TwelveChannelRecord& record,
                                                               const RecordStamp& stamp,
                                                               std::optional<std::span<const int>> printOffsets) {
  for (int i = 0; i < kMaxChannels; ++i) {
    if ((record.mask >> i) & 1u) {
      const double x = record.value[i];
      raw_[i] = x;
      values_[i] = Calibrate(i, x);
    } else {
      values_[i] = 0.0;  // an absent channel keeps its last raw value on display
    }
    calibrated_[i] = values_[i];
  }
  return Finish(stamp, printOffsets);
}

std::span<const double> ChannelProcessor::Finish(const RecordStamp& stamp,
                                                 std::optional<std::span<const int>> printOffsets) {
  if (!readings_.empty()) {
    readings_[nextReading_] = stamp.reading;
    if (++nextReading_ == readings_.size()) nextReading_ = 0;
    readingRun_ = stamp.reading ? std::min(readingRun_ + 1, static_cast<long long>(readings_.size())) : 0;
  }
  ++processed_;
  for (int i = 0; i < setup_.channels; ++i) {
    channelWindow_.Write(printOffsets ? WriteRow(i, printOffsets) : writeRows_[static_cast<std::size_t>(i)], i,
                         values_[i]);
    const ChannelSetting& s = setup_.channelSettings[i];
    values_[i] = channelWindow_.Output(i, s.filterType, s.filterWidth);
  }
  channelWindow_.Rotate();
  if (!setup_.userFunction) return {values_.data(), 14};

  // The values handed to the user function left the window at row 25: they
  // belong to the aligned row's depth behind the newest record.
  values_[kTimeIndex] = stamp.time;
  values_[kDepthIndex] = static_cast<double>(stamp.depth) -
                         static_cast<double>(AlignedRowSteps()) * SignedStep(setup_.logMode, setup_.depthStep);
  setup_.userFunction(values_.data(), outputs_.data());
  for (int j = 0; j < kMaxChannels; ++j) {
    user_[j] = outputs_[j];
    outputWindow_.Write(DelayWindow::kEntryRow, j, outputs_[j]);
  }
  // Every output passes the output window, so that all of them stay aligned in
  // depth with each other and with the depth the view shows beside them.
  for (int j = 0; j < kMaxChannels; ++j) {
    const OutputFilter& f = setup_.outputFilters[j];
    outputs_[j] = outputWindow_.Output(j, f.filterType, f.filterWidth);
  }
  outputWindow_.Rotate();
  return {outputs_.data(), kMaxChannels};
}

}  // namespace qv
