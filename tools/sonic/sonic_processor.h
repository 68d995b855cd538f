// The record processing of a sonic log, live, replayed and printed: the
// cubic calibration of the twelve channels, their depth alignment and filters
// through a delay window, the user function with its own output window and
// filters, the waveforms' own delay, and the four arrival entries (the
// delayed channels 1 to 4 over the sample interval). Plain C++: every buffer
// is sized once by the constructor; nothing is allocated per record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "logdoc/engine/channel_processor.h"
#include "logdoc/engine/delay_window.h"
#include "logdoc/records/records.h"

namespace qv {

struct SonicProcessorSetup {
  SonicGeometry geometry;
  int logMode = 10;
  int sondeLengthSteps = 0;
  int depthStep = 0;  // header units per record
  // Entries 0 to 11: channels 1 to 12; entries 12 to 15: waveforms 1 to 4.
  std::array<ChannelSetting, 16> channelSettings{};
  std::array<OutputFilter, 16> outputFilters{};  // entries 0 to 11 filter outputs 1 to 12
  bool calibrationOn = false;
  CalibrationTable calibration{};
  UserFunctionEntry userFunction;
};

// The head of one sonic record as the processing takes it.
struct SonicInput {
  int mask = 0;   // bit c: channel c + 1 present
  int time = 0;   // ms
  int depth = 0;  // header units (device counts x depth factor)
  std::array<float, 12> values{};
  std::span<const std::int16_t> samples;  // the record's waveforms, one after another
};

class SonicProcessor {
 public:
  static constexpr int kValues = 16;

  explicit SonicProcessor(const SonicProcessorSetup& setup);
  SonicProcessor(const SonicProcessor&) = delete;
  SonicProcessor& operator=(const SonicProcessor&) = delete;

  // Rows of every delay ring: depth logs the larger of the sonde length in
  // steps and the largest offset, plus 52; time logs 1000.
  int RingRows() const { return values_.Rows(); }
  // Header units the view adds to a record's depth to label what it shows.
  int DisplayDelay() const;
  // Every ring back to zero (a rewound replay).
  void Clear();
  // New filter types and widths (a filter changed during the log); the
  // offsets stay. The next record is filtered with them.
  void SetFilters(const std::array<ChannelSetting, 16>& channels, const std::array<OutputFilter, 16>& outputs);

  // One record through the processing; the 16 values handed on (the user
  // function's outputs when there is one, the channels otherwise, entries 12
  // to 15 the arrivals). sampleInterval is the probe's (4, 8 or 16 us; 0
  // gives arrivals of 0). printOffsets (page printing) replaces the write
  // rows: 51 + entry 7 + c for channel c, 51 + entry 19 + w for waveform w.
  std::span<const double> Process(const SonicInput& in, int sampleInterval,
                                  std::optional<std::span<const int>> printOffsets = std::nullopt);

  // The delayed waveforms of the last record (stable storage: the user
  // function's InitWaveforms keeps pointers into it).
  std::span<const std::int16_t> Waveforms() const { return current_; }
  std::int16_t* Waveform(int w);
  int SamplesPerWaveform() const { return setup_.geometry.bytesPerWaveform / 2; }
  bool HasUserFunction() const { return static_cast<bool>(setup_.userFunction); }

  const std::array<double, 12>& RawValues() const { return raw_; }
  const std::array<double, 12>& CalibratedValues() const { return calibrated_; }
  const std::array<double, 12>& UserValues() const { return user_; }
  // Whether channel c's value of the last record is a reading: 0 is what a
  // row of the delay holds before a reading reaches it (the log's first
  // records, a record without the channel).
  bool OutputReady(int c) const { return c >= 0 && c < 12 && ready_[static_cast<std::size_t>(c)]; }

 private:
  int WriteRow(int offsetSteps, std::optional<std::span<const int>> printOffsets, int printEntry) const;

  SonicProcessorSetup setup_;
  DelayWindow values_;
  DelayWindow outputs_;
  DelayWindow readings_;  // 1 where values_ holds a reading
  std::array<bool, 12> ready_{};
  int waveformSamples_ = 0;  // per record
  std::vector<std::int16_t> waveRing_;
  int waveBase_ = 0;  // physical row of ring row 0
  std::vector<std::int16_t> current_;
  std::array<double, kValues> in_{};
  std::array<double, kValues> out_{};
  std::array<double, 12> raw_{}, calibrated_{}, user_{};
};

}  // namespace qv
