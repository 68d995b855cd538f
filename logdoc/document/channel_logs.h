// The six- and twelve-channel logs: the device read of each, the data-file
// record, the checks of every record (depth jump, winch direction, minute
// mark), the calibration, the user function and the record processing that
// hands one row of values per record to the sink.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "logdoc/document/log_engine.h"
#include "logdoc/engine/channel_processor.h"
#include "logdoc/replay/replay_reader.h"
#include "userfunc/user_function_library.h"

namespace qv {

// What the six- and twelve-channel logs share.
class ChannelLogEngine : public LogEngine {
 public:
  ~ChannelLogEngine() override;

  // The processing of the log (after InitialiseLog).
  ChannelProcessor* Processor() { return processor_.get(); }
  CalibrationSet& Calibration() { return calibration_; }
  // The calibration records when there are any (the print's calibration
  // table), else null.
  const CalibrationArray* GetCalibrationArray() const;
  int SondeLength() const { return sondeLength_; }
  int SondeLengthSteps() const { return sondeLengthSteps_; }
  bool UserFunctionOn() const { return userFunctionOn_; }
  ReplayReader* Reader() { return reader_.get(); }
  const ReplayReader* Reader() const { return reader_.get(); }
  // The newest raw, calibrated and user-function values (twelve each) for the
  // channel display; any thread.
  void LatestValues(double* raw, double* calibrated, double* user) const;

  int WriteCalibrationHeader() override;
  bool RewindReplay() override;
  bool OpenReplayReader() override;
  void CloseReplayReader() override;
  bool ProcessRecord(bool forPrint) override;
  void ApplyFilters() override;
  // Page printing: the current record through the processing with the
  // printout's channel offsets (channel i written at row 51 + givenOffsets[7 +
  // i]), or by the log's own rule when none are given (empty); the print
  // value row, indexed by physical channel - 1, valid until the next record
  // is processed.
  std::span<const double> ProcessPrintRecord(std::span<const int> givenOffsets);

 protected:
  ChannelLogEngine(std::size_t fileRecordSize, std::string ext, int toolKind, int channels);
  bool InitialiseTool(int mode) override;
  // One record through the processor (with a printout's offsets when given);
  // the row handed on.
  virtual std::span<const double> Process(const RecordStamp& stamp,
                                          std::optional<std::span<const int>> printOffsets) = 0;
  // The depth and time of a replayed record into STAMP (filled in place: a
  // stamp handed back by value costs a stall at every record).
  virtual void ReplayStamp(RecordStamp* stamp) const = 0;
  // Record thread, before a record is processed: the filter tables the GUI
  // thread changed since the last record, handed to SET (nothing when none
  // changed).
  void TakeChangedFilters(
      const std::function<void(const std::array<ChannelSetting, 16>&, const std::array<OutputFilter, 16>&)>& set);
  // Who loads the user-function library (which exports it must have).
  virtual UserFunctionCaller UserCaller() const { return UserFunctionCaller::kChannelDocument; }
  UserFunctionLibrary& UserLibrary() { return userLibrary_; }
  std::string AbandonUserFunctionCall() override;
  // Record thread: the newest values for LatestValues.
  void SetLatestValues(const std::array<double, 12>& raw, const std::array<double, 12>& calibrated,
                       const std::array<double, 12>& user);
  std::uint64_t replayIndex_ = 0;  // records read since the replay began

 private:
  // The current record through the processing; the row it gives.
  std::span<const double> RunProcessing(std::optional<std::span<const int>> printOffsets);

  const int channels_;
  std::unique_ptr<ChannelProcessor> processor_;
  CalibrationSet calibration_;
  UserFunctionLibrary userLibrary_;
  bool userFunctionOn_ = false;
  std::unique_ptr<ReplayReader> reader_;
  int sondeLength_ = 0;
  int sondeLengthSteps_ = 0;
  // Filters the GUI thread changed, taken by the record thread at its next record.
  std::mutex filterMutex_;
  std::atomic<bool> filtersChanged_{false};
  std::array<ChannelSetting, 16> newChannelFilters_{};
  std::array<OutputFilter, 16> newOutputFilters_{};
  mutable std::mutex latestMutex_;
  std::array<double, 12> raw_{}, calibrated_{}, user_{};
  std::array<double, 16> printValues_{};  // the print value row
};

// The six-channel log: GetSonde6ChannelPacket, 14-byte .LOG records.
class SixChannelEngine : public ChannelLogEngine {
 public:
  SixChannelEngine();
  ~SixChannelEngine() override { Shutdown(); }
  const SixChannelPacket& Packet() const { return packet_; }
  bool ReadReplayRecord() override;
  bool SeekReplay(int depth) override;

 protected:
  std::uint32_t ReadPacket(int passThrough) override;
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  bool HoldsRecords() const override { return true; }
  void SwapHeldRecord() override { std::swap(packet_, heldPacket_); }
  std::span<const double> Process(const RecordStamp& stamp, std::optional<std::span<const int>> printOffsets) override;
  void ReplayStamp(RecordStamp* stamp) const override;

 private:
  SixChannelPacket packet_{};
  SixChannelPacket heldPacket_{};
};

// The twelve-channel log: GetTwelve, 64-byte .LGX records carrying their
// depth in header units.
class TwelveChannelEngine : public ChannelLogEngine {
 public:
  TwelveChannelEngine();
  ~TwelveChannelEngine() override { Shutdown(); }
  const TwelveChannelRecord& Record() const { return record_; }
  bool ReadReplayRecord() override;
  bool SeekReplay(int depth) override;

 protected:
  bool InitialiseTool(int mode) override;
  std::uint32_t ReadPacket(int passThrough) override;
  // The depth becomes header units here, from the unit's count in the
  // current record, which itself is never changed: it is scaled exactly once.
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  bool HoldsRecords() const override { return true; }
  void SwapHeldRecord() override { std::swap(record_, heldRecord_); }
  std::span<const double> Process(const RecordStamp& stamp, std::optional<std::span<const int>> printOffsets) override;
  void ReplayStamp(RecordStamp* stamp) const override;

 private:
  TwelveChannelRecord record_{};
  TwelveChannelRecord heldRecord_{};
};

}  // namespace qv
