// The full-wave sonic log: the segmented-waveform log (waveform_log.h) with
// the full-wave unit read, whose companion packet carries the first-arrival
// picks, and a .VDL waveform file. It has no gates: the six channels stay as
// the unit's read delivered them.
#pragma once

#include "tools/waveform/waveform_log.h"

namespace qv {

class CFWSDocument : public WaveformLogDocument {
 public:
  CFWSDocument();
  ~CFWSDocument() override;

  // Page printing: the print path of every waveform log.
  bool ProcessFullWaveRecord(bool printing, bool useViewOffsets, const int* offsets) {
    return ProcessPrintRecord(printing, useViewOffsets, offsets);
  }
};

}  // namespace qv
