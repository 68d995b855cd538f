// The segmented-waveform logs (cement bond, full-wave sonic): every read from
// the unit delivers one 48-sample waveform segment of the near or the far
// receiver with its six-channel companion packet. The log keeps each segment
// with its packet as a record pair in two data files (.LOG 14 bytes, the
// waveform file 50 bytes) in lock-step, scales and calibrates the six
// channels and hands values and segment to its view; for page printing it
// aligns channels and waveform in depth through two delay rings.
//
// The tools differ by a small table (WaveformLogKind: the unit's read, the
// waveform file's extension, the replay reader's record kind, the rings'
// margin) and by what they add to a segment (the cement-bond log's gate
// search) or to the header (its gates).
//
// It runs on the common acquisition engine: the engine's acquisition thread
// calls ReadPacket, StoreRecord and ProcessRecord; its writer appends whole
// halves of record pairs; the view is reached through WaveformSink.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "logdoc/document/log_engine.h"
#include "logdoc/engine/delay_window.h"
#include "logdoc/replay/replay_reader.h"

namespace qv {

// What the log calls on its view. Record thread: AddDepthRow; everything
// else on the GUI thread.
class WaveformSink {
 public:
  virtual ~WaveformSink() = default;
  virtual void ResetScroll() {}
  virtual void ResetDisplay(bool /*live*/) {}
  virtual void SetDepth(int /*depth*/, bool /*redraw*/) {}
  virtual void AddDepthRow(const CblWaveformSegment& segment, const double values[6]) = 0;
  virtual void UpdateDisplay() {}
  virtual void FlushRecorder() {}
  virtual void StartRealtimePrint(int /*mode*/) {}
  virtual void StopRealtimePrint(int /*mode*/) {}
  // The view's layout into the log's header; 1 on success.
  virtual int SaveLayoutToHeader() { return 1; }
  // The gates changed: redraw at once.
  virtual void Redraw() {}
  // Page printing: the values and the segment of one printed record.
  virtual void TakePrintRow(const double /*values*/[6], const CblWaveformSegment& /*segment*/) {}
};
using CementBondSink = WaveformSink;

// The unit's read of one segment and, for the near receiver, its companion packet.
using ArrivalRead = std::uint32_t (*)(CblWaveformSegment*, SixChannelPacket*, AnalogStatusBlock*, int);

// What sets one waveform tool apart.
struct WaveformLogKind {
  int toolKind;             // also the replay reader's record kind
  const char* waveformExt;  // the waveform file: "CBL", "VDL"
  ArrivalRead read;         // GetCBLArrival, GetSonicArrival
  int ringMargin;           // ring rows beyond the largest offset in a depth log
  const char* traceName;    // in trace messages
};

class WaveformLogDocument : public LogEngine {
 public:
  static constexpr int kRecordsPerHalf = 10;
  // Full halves the writer may fall behind by before the log stops: ten
  // seconds of the fastest time log (a firing of twenty segments every
  // 10 ms), so a disk that stalls for a moment loses nothing.
  static constexpr int kQueuedHalves = 2000;
  static constexpr std::size_t kLogRecordSize = 14;
  static constexpr std::size_t kWaveRecordSize = 50;
  static constexpr std::size_t kPairSize = kLogRecordSize + kWaveRecordSize;
  static constexpr int kOutputRow = 25;
  static constexpr int kDefaultRow = 51;
  // Ring rows of a time log.
  static constexpr int kTimeLogRingRows = 1000;

  explicit WaveformLogDocument(const WaveformLogKind& kind);
  ~WaveformLogDocument() override;

  const WaveformLogKind& Kind() const { return kind_; }
  // The view; the engine's record sink is the log's own, which carries to it.
  void SetView(WaveformSink* view);
  WaveformSink* View() const { return view_; }

  // ---- record state
  const SixChannelPacket& Packet() const { return packet_; }
  const CblWaveformSegment& Segment() const { return segment_; }
  SixChannelPacket& MutablePacket() { return packet_; }
  CblWaveformSegment& MutableSegment() { return segment_; }
  const std::array<double, 6>& Calibrated() const { return calibrated_; }
  const std::array<double, 6>& Scaled() const { return scaled_; }
  int NearReceiverByte() const { return nearReceiver_; }
  int FarReceiverByte() const { return farReceiver_; }
  int RingRows() const { return ringRows_; }
  int LargestOffset() const { return largestOffset_; }
  int SondeLength() const { return sondeLength_; }
  CalibrationSet& Calibration() { return calibration_; }
  const CalibrationArray* GetCalibrationArray() const;
  // The segment ring as the print path will read it (tests).
  const CblWaveformSegment& SegmentRingRow(int row) const {
    if (row < 0 || row >= static_cast<int>(segmentRing_.size())) throw std::out_of_range("segment ring row");
    return segmentRing_[SegmentSlot(row)];
  }

  // Acquisition thread, DeviceMutex held (public for the tests).
  std::uint32_t ReadPacket(int passThrough) override;
  bool ProcessRecord(bool forPrint) override;
  // Page printing: aligns channels and waveform in depth through the rings.
  // A row outside its ring is skipped: that value or segment is not printed.
  bool ProcessPrintRecord(bool printing, bool useViewOffsets, const int* offsets);
  const std::array<double, 6>& PrintValues() const { return printValues_; }
  const CblWaveformSegment& PrintSegment() const { return printSegment_; }

  int WriteCalibrationHeader() override;
  // The tool's sections of the header (the view's layout); 0 without a view.
  virtual int WriteLayoutHeader() { return view_ ? view_->SaveLayoutToHeader() : 0; }
  bool ReadReplayRecord() override;
  bool RewindReplay() override;
  bool SeekReplay(int depth) override;
  bool OpenReplayReader() override;
  void CloseReplayReader() override;
  ReplayReader* Reader() { return reader_.get(); }
  // Closing a replay writes its header again (layout, calibration).
  void CloseReplay();

 protected:
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  bool InitialiseTool(int mode) override;
  bool OpenDataFiles(const std::string& stem) override;
  void CloseDataFiles() override;
  void RemoveDataFiles(const std::string& stem) override;
  bool DataFilesExist(const std::string& stem) const override;
  // The unit's read (tests feed their own).
  virtual std::uint32_t ReadArrival(CblWaveformSegment* segment, SixChannelPacket* packet, int passThrough) {
    return kind_.read(segment, packet, AnalogStatus(), passThrough);
  }
  // The tool's part of InitialiseLog before the view is reached (mode 1 live).
  virtual void InitialiseWaveformTool(int /*mode*/) {}
  // Acquisition thread: a segment without a second status byte was read.
  virtual void TakeSegment() {}

 private:
  class ViewAdapter;
  bool AppendPairs(std::span<const std::uint8_t> bytes);
  void ClearRings();
  void ScaleValues(bool toScaled);
  long long SegmentRow(bool viewOffsets, const int* offsets) const;
  // The slot of the segment ring that holds its row (row below the ring's size).
  std::size_t SegmentSlot(int row) const {
    const std::size_t slot = segmentBase_ + static_cast<std::size_t>(row);
    return slot >= segmentRing_.size() ? slot - segmentRing_.size() : slot;
  }

  const WaveformLogKind kind_;
  WaveformSink* view_ = nullptr;
  std::unique_ptr<ViewAdapter> adapter_;

  SixChannelPacket packet_{};
  CblWaveformSegment segment_{};
  std::array<double, 6> calibrated_{}, scaled_{};
  CalibrationSet calibration_;
  std::unique_ptr<ReplayReader> reader_;
  int nearReceiver_ = -1, farReceiver_ = -1;
  int sondeLength_ = 0;
  int largestOffset_ = 0;

  int ringRows_ = 0;
  // The rings rotate by a moving base, not by moving their rows: a segment
  // costs the same whatever the sonde's length.
  DelayWindow valueRing_{kDefaultRow + 1, 6};
  // 1 where valueRing_ holds a reading; the last replay seek found no record.
  DelayWindow readingRing_{kDefaultRow + 1, 6};
  bool missed_ = false;
  std::vector<CblWaveformSegment> segmentRing_;
  std::size_t segmentBase_ = 0;
  std::array<double, 6> printValues_{};
  CblWaveformSegment printSegment_{};

  int logFd_ = -1, waveFd_ = -1;
  std::string logPath_, wavePath_;
};

}  // namespace qv
