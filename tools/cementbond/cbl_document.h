// The cement-bond log: every read from the unit delivers one 48-sample
// waveform segment of the near or the far receiver with its six-channel
// companion packet. The log keeps each segment with its packet as a record
// pair in two data files (.LOG 14 bytes, .CBL 50 bytes) in lock-step, picks
// the peak of each receiver's free-pipe gate into channels 3 to 6, scales and
// calibrates the six channels and hands values and segment to its view.
//
// It runs on the common acquisition engine: the engine's acquisition thread
// calls ReadPacket, StoreRecord and ProcessRecord; its writer appends whole
// halves of record pairs; the view is reached through CementBondSink; the
// pipe-size question through PipeSizeService.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "header/section_access.h"
#include "logdoc/document/log_engine.h"
#include "logdoc/replay/replay_reader.h"

namespace qv {

// What the log calls on its view (the cement-bond view). Record thread:
// AddDepthRow; everything else on the GUI thread.
class CementBondSink {
 public:
  virtual ~CementBondSink() = default;
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

// The values of the "Free Pipe Gate Calculation" dialog (mm).
struct PipeSizeValues {
  int pipeDiameter = 0;
  int sondeDiameter = 0;
  int longSpacing = 0;
  int shortSpacing = 0;
};

// Asks the user for the pipe and sonde sizes; the dialog ends only with OK.
class PipeSizeService {
 public:
  virtual ~PipeSizeService() = default;
  virtual void Ask(PipeSizeValues& values) = 0;
};

// One gate search of a receiver.
struct GateSearch {
  std::int16_t peakAmplitude = 0;
  std::int16_t peakTime = 0;
  std::int16_t runningMaximum = -128;
  std::int16_t runningTime = 0;
};

class CCBLDocument : public LogEngine {
 public:
  static constexpr int kRecordsPerHalf = 10;
  // Full halves the writer may fall behind by before the log stops: ten
  // seconds of the fastest time log (a firing of ten segments every 10 ms),
  // so a disk that stalls for a moment loses nothing.
  static constexpr int kQueuedHalves = 1000;
  static constexpr std::size_t kLogRecordSize = 14;
  static constexpr std::size_t kCblRecordSize = 50;
  static constexpr std::size_t kPairSize = kLogRecordSize + kCblRecordSize;
  static constexpr int kOutputRow = 25;
  static constexpr int kDefaultRow = 51;

  CCBLDocument();
  ~CCBLDocument() override;

  // The view; the engine's record sink is the log's own, which carries to it.
  void SetView(CementBondSink* view);
  CementBondSink* View() const { return view_; }
  void SetPipeSizeService(PipeSizeService* service) { pipeSize_ = service; }

  // ---- the gates (any thread; one small lock keeps start and end together)
  FreePipeGate NearGate() const;
  FreePipeGate FarGate() const;
  void SetGates(const FreePipeGate& nearGate, const FreePipeGate& farGate);
  GateSearch NearSearch() const { return near_; }
  GateSearch FarSearch() const { return far_; }
  // Acquisition thread: the peak of the segment's receiver gate into the packet.
  void PickGatePeak(SixChannelPacket* packet, const CblWaveformSegment* segment);
  // Asks for the pipe and sonde sizes and computes both gates.
  void ComputeFreePipeGates();
  PipeSizeValues& PipeSize() { return pipeValues_; }

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

  // Acquisition thread, DeviceMutex held (public for the tests).
  std::uint32_t ReadPacket(int passThrough) override;
  bool ProcessRecord(bool forPrint) override;
  // Page printing: aligns channels and waveform in depth through the rings.
  bool ProcessPrintRecord(bool printing, bool useViewOffsets, const int* offsets);
  const std::array<double, 6>& PrintValues() const { return printValues_; }
  const CblWaveformSegment& PrintSegment() const { return printSegment_; }

  int WriteCalibrationHeader() override;
  // The gates into the header template and the log's header, then the view's layout.
  int WriteGateHeader();
  bool ReadReplayRecord() override;
  bool RewindReplay() override;
  bool SeekReplay(int depth) override;
  bool OpenReplayReader() override;
  void CloseReplayReader() override;
  ReplayReader* Reader() { return reader_.get(); }
  // Closing a replay writes its header again (gates, calibration).
  void CloseReplay();

  // The path of the header template.
  static std::string TemplatePath();

 protected:
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  bool InitialiseTool(int mode) override;
  bool OpenDataFiles(const std::string& stem) override;
  void CloseDataFiles() override;
  void RemoveDataFiles(const std::string& stem) override;
  bool DataFilesExist(const std::string& stem) const override;
  // The unit's read of one segment and, for the near receiver, its companion
  // packet (tests feed their own).
  virtual std::uint32_t ReadArrival(CblWaveformSegment* segment, SixChannelPacket* packet, int passThrough) {
    return GetCBLArrival(segment, packet, AnalogStatus(), passThrough);
  }

 private:
  class ViewAdapter;
  bool AppendPairs(std::span<const std::uint8_t> bytes);
  void ClearRings();
  void ScaleValues(bool toScaled);

  CementBondSink* view_ = nullptr;
  std::unique_ptr<ViewAdapter> adapter_;
  PipeSizeService* pipeSize_ = nullptr;
  PipeSizeValues pipeValues_;

  mutable std::mutex gateMutex_;
  FreePipeGate nearGate_{}, farGate_{};
  GateSearch near_{}, far_{};

  SixChannelPacket packet_{};
  CblWaveformSegment segment_{};
  std::array<double, 6> calibrated_{}, scaled_{};
  CalibrationSet calibration_;
  std::unique_ptr<ReplayReader> reader_;
  int nearReceiver_ = -1, farReceiver_ = -1;
  int sondeLength_ = 0;
  int largestOffset_ = 0;

  int ringRows_ = 0;
  std::vector<std::array<double, 6>> valueStore_;
  std::vector<double*> valueRing_;
  std::vector<CblWaveformSegment> segmentRing_;
  std::array<double, 6> printValues_{};
  CblWaveformSegment printSegment_{};

  int logFd_ = -1, cblFd_ = -1;
  std::string logPath_, cblPath_;
};

}  // namespace qv
