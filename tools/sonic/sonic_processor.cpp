#include "tools/sonic/sonic_processor.h"

#include <algorithm>
#include <cstring>

#include "app/core/log_modes.h"

namespace qv {

SonicProcessor::SonicProcessor(const SonicProcessorSetup& setup)
    : setup_(setup),
      values_(ChannelWindowRows(setup.logMode, setup.sondeLengthSteps, setup.channelSettings), 12),
      outputs_(values_.Rows(), 12),
      readings_(values_.Rows(), 12),
      waveformSamples_(setup.geometry.WaveformBytes() / 2),
      waveRing_(static_cast<std::size_t>(values_.Rows()) * static_cast<std::size_t>(waveformSamples_), 0),
      current_(static_cast<std::size_t>(waveformSamples_), 0) {}

int SonicProcessor::DisplayDelay() const {
  return AlignedDisplayOffset(setup_.logMode, setup_.sondeLengthSteps, setup_.depthStep, HasUserFunction());
}

void SonicProcessor::Clear() {
  values_.Clear();
  outputs_.Clear();
  readings_.Clear();
  ready_.fill(false);
  std::fill(waveRing_.begin(), waveRing_.end(), 0);
  std::fill(current_.begin(), current_.end(), 0);
  waveBase_ = 0;
}

void SonicProcessor::SetFilters(const std::array<ChannelSetting, 16>& channels,
                                const std::array<OutputFilter, 16>& outputs) {
  ChangeFilters(setup_.channelSettings, setup_.outputFilters, channels, outputs);
}

std::int16_t* SonicProcessor::Waveform(int w) {
  if (w < 0 || w >= setup_.geometry.waveforms) return nullptr;
  return current_.data() + static_cast<std::size_t>(w) * static_cast<std::size_t>(SamplesPerWaveform());
}

int SonicProcessor::WriteRow(int offsetSteps, std::optional<std::span<const int>> printOffsets, int printEntry) const {
  if (printOffsets) {
    const auto i = static_cast<std::size_t>(printEntry);
    return DelayWindow::kEntryRow + (i < printOffsets->size() ? (*printOffsets)[i] : 0);
  }
  if (setup_.logMode == kLogModeUp) return DelayWindow::kEntryRow + offsetSteps;
  if (setup_.logMode == kLogModeDown) return DelayWindow::kEntryRow + setup_.sondeLengthSteps - offsetSteps;
  return DelayWindow::kEntryRow;
}

std::span<const double> SonicProcessor::Process(const SonicInput& in, int sampleInterval,
                                                std::optional<std::span<const int>> printOffsets) {
  constexpr int kOut = DelayWindow::kOutputRow;
  // Calibration and the channel delay.
  std::array<double, 4> delayed{};
  for (int c = 0; c < 12; ++c) {
    const auto ci = static_cast<std::size_t>(c);
    double value = 0.0;
    if (in.mask & (1 << c)) {
      const double x = in.values[ci];
      value = setup_.calibrationOn ? ApplyCalibration(setup_.calibration[ci], x) : x;
      raw_[ci] = x;
    }
    calibrated_[ci] = value;
    const ChannelSetting& s = setup_.channelSettings[ci];
    const int row = WriteRow(s.offsetSteps, printOffsets, 7 + c);
    values_.Write(row, c, value);
    readings_.Write(row, c, (in.mask & (1 << c)) ? 1.0 : 0.0);
    in_[ci] = values_.Output(c, s.filterType, s.filterWidth);
    ready_[ci] = readings_.At(kOut, c) != 0.0;
    if (c < 4) delayed[ci] = values_.At(kOut, c);
  }
  values_.Rotate();
  readings_.Rotate();

  // The waveforms' delay: each waveform its own write row, all read at row 25.
  const int rows = values_.Rows();
  const int perWave = SamplesPerWaveform();
  const auto rowAt = [&](int r) {
    return waveRing_.data() +
           static_cast<std::size_t>((waveBase_ + r) % rows) * static_cast<std::size_t>(waveformSamples_);
  };
  for (int w = 0; w < setup_.geometry.waveforms; ++w) {
    const int row =
        WriteRow(setup_.channelSettings[static_cast<std::size_t>(12 + w)].offsetSteps, printOffsets, 19 + w);
    const auto from = static_cast<std::size_t>(w) * static_cast<std::size_t>(perWave);
    if (row < 0 || row >= rows || in.samples.size() < from + static_cast<std::size_t>(perWave)) continue;
    std::memcpy(rowAt(row) + from, in.samples.data() + from, static_cast<std::size_t>(perWave) * sizeof(std::int16_t));
  }
  std::memcpy(current_.data(), rowAt(kOut), current_.size() * sizeof(std::int16_t));
  std::fill(rowAt(0), rowAt(0) + waveformSamples_, std::int16_t{0});
  waveBase_ = (waveBase_ + 1) % rows;

  double* handed = in_.data();
  if (setup_.userFunction) {
    in_[12] = in.time;
    in_[13] = static_cast<double>(in.depth) + static_cast<double>(kOut) * setup_.depthStep;
    in_[14] = in_[15] = 0.0;  // no library reads what it was not given
    out_.fill(0.0);
    setup_.userFunction(in_.data(), out_.data());
    std::copy_n(out_.begin(), 12, user_.begin());
    for (int c = 0; c < 12; ++c) outputs_.Write(DelayWindow::kEntryRow, c, out_[static_cast<std::size_t>(c)]);
    for (int c = 0; c < 12; ++c) {
      const OutputFilter& f = setup_.outputFilters[static_cast<std::size_t>(c)];
      out_[static_cast<std::size_t>(c)] = outputs_.Output(c, f.filterType, f.filterWidth);
    }
    outputs_.Rotate();
    handed = out_.data();
  }
  // The arrivals: a probe interval of 0 gives no arrival rather than a division by it.
  for (int i = 0; i < 4; ++i)
    handed[12 + i] = sampleInterval != 0 ? delayed[static_cast<std::size_t>(i)] / sampleInterval : 0.0;
  return {handed, static_cast<std::size_t>(kValues)};
}

}  // namespace qv
