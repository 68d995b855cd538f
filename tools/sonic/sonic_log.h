// The sonic log: the multi-receiver acoustic sonde (tool type 10,
// communication standards 26 to 29) on the log engine. The engine keeps the
// threads, the hand-over to the writer, the header and the chain; this log
// supplies the device read (one GetSonicPacket per poll), the .LGX record
// (the 64-byte head and the waveforms), the probe configuration sent when a
// run starts, and the processing that hands 16 values and the delayed
// waveforms of every record to its sink.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "logdoc/document/channel_logs.h"
#include "tools/sonic/sonic_processor.h"

namespace qv {

// Where a sonic log's records go: the sonic view, or a test.
class SonicSink : public RecordSink {
 public:
  // Record thread: the 16 values and the delayed waveforms of one record.
  virtual void AddWaveformRecord(std::span<const double> values, std::span<const std::int16_t> waveforms) = 0;
  void AddSample(std::span<const double>) override {}
};

class SonicLogEngine : public ChannelLogEngine {
 public:
  // records per half of the hand-over to the writer
  static constexpr std::size_t kRecordsPerHalf = 40;

  // comStd fixes the record size; 0 records for a standard that is not sonic.
  explicit SonicLogEngine(int comStd);
  ~SonicLogEngine() override { Shutdown(); }

  void SetSonicSink(SonicSink* sink) {
    sonicSink_ = sink;
    SetSink(sink);
  }
  int ComStd() const { return comStd_; }
  const SonicGeometry& Geometry() const { return geometry_; }
  int WaveCount() const { return geometry_.waveforms; }
  // Samples per waveform: the width of one waveform in the view's image.
  int ImageWidth() const { return geometry_.bytesPerWaveform / 2; }
  int RecordSize() const { return geometry_.RecordSize(); }
  SonicProcessor* Sonic() { return processor_.get(); }
  // The current record (its samples are the log's own copy).
  const SonicPacket& Packet() const { return packet_; }
  // The display delay in header units (after InitialiseLog).
  int DisplayDelay() const { return processor_ ? processor_->DisplayDelay() : 0; }

  // Sends the probe configuration once the base has started the run.
  int StartLogging(int mode) override;
  bool ReadReplayRecord() override;
  bool SeekReplay(int depth) override;
  bool RewindReplay() override;
  bool ProcessRecord(bool forPrint) override;
  // Page printing (the log not running): the current record through the
  // processing with the print's row offsets (none: the log's own); the
  // first 12 values and the delayed waveforms into the print buffers.
  bool ProcessForPrint(std::span<const int> offsets, std::span<double, 12> values, std::span<std::int16_t> waveforms);

 protected:
  bool InitialiseTool(int mode) override;
  std::uint32_t ReadPacket(int passThrough) override;
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  UserFunctionCaller UserCaller() const override { return UserFunctionCaller::kSonicDocument; }
  // The channel engine's per-record hooks; the sonic processing replaces them.
  std::span<const double> Process(const RecordStamp&, std::optional<std::span<const int>>) override { return {}; }
  void ReplayStamp(RecordStamp* stamp) const override { stamp->depth = stamp->time = 0; }

 private:
  // The packet's samples into the log's own copy (the device's buffer and
  // the reader's change with the next read).
  void TakeSamples();
  // The filters changed on the GUI thread into the processing.
  void TakeFilters();
  SonicInput Input() const;
  void InitWaveforms();

  const int comStd_;
  const SonicGeometry geometry_;
  SonicSink* sonicSink_ = nullptr;
  std::unique_ptr<SonicProcessor> processor_;
  SonicPacket packet_{};
  std::vector<std::int16_t> samples_;
};

}  // namespace qv
