// The cement-bond log: the segmented-waveform log (waveform_log.h) with the
// cement-bond unit read and a .CBL waveform file, which picks the peak of
// each receiver's free-pipe gate into channels 3 to 6 and carries the gates
// in the log's header and the header template. The pipe-size question goes
// through PipeSizeService.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "header/section_access.h"
#include "tools/waveform/waveform_log.h"

namespace qv {

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

class CCBLDocument : public WaveformLogDocument {
 public:
  static constexpr std::size_t kCblRecordSize = kWaveRecordSize;

  CCBLDocument();
  ~CCBLDocument() override;

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

  // The gates into the header template and the log's header, then the view's layout.
  int WriteGateHeader();
  int WriteLayoutHeader() override { return WriteGateHeader(); }

  // The path of the header template.
  static std::string TemplatePath();

 protected:
  void InitialiseWaveformTool(int mode) override;
  void TakeSegment() override { PickGatePeak(&MutablePacket(), &MutableSegment()); }

 private:
  PipeSizeService* pipeSize_ = nullptr;
  PipeSizeValues pipeValues_;

  mutable std::mutex gateMutex_;
  FreePipeGate nearGate_{}, farGate_{};
  GateSearch near_{}, far_{};
};

}  // namespace qv
