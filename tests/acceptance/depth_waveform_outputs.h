// Where the waveform logs (cement bond, full-wave sonic) put a record: the
// curve rows of their view at the depth the view's depth track labels them
// with, and their chart recorder's paper, as (depth in metres, value)
// samples of one curve for BoundaryDepth.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/acceptance/depth_outputs.h"
#include "tools/cementbond/cbl_chart.h"

class CCBLView;

namespace qvtest {

// The curve rows the waveform VIEW shows of the curve of PHYSICALCHANNEL,
// each at the depth the labels of its depth track give the row.
DepthSamples WaveformRowSamples(CCBLView& view, int physicalChannel, double metresPerUnit);

// What a waveform log's chart recorder was sent, as paper: each line of
// curve positions one line (1/200 inch) past the one before it, from the
// depth the recorder was last set to. Installed as the waveform views'
// recorder while it lives.
class WaveformChartTape {
 public:
  WaveformChartTape();
  ~WaveformChartTape();
  WaveformChartTape(const WaveformChartTape&) = delete;
  WaveformChartTape& operator=(const WaveformChartTape&) = delete;

  // The curve at POSITION (from 1) of the chart's legend, each line at its
  // depth on the paper: SCALE 1:N, UPWARD as the log went.
  DepthSamples Samples(int position, int scale, bool upward, double metresPerUnit) const;
  std::vector<std::string> Captions() const;

  struct Paper;

 private:
  std::shared_ptr<Paper> paper_;
  qv::cbl::CblRecorderFactory previous_;
};

}  // namespace qvtest
