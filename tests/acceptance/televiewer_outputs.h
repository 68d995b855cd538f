// Where a televiewer log's outputs put a sweep: each reader turns one output
// (the view's image rows, the chart recorder's rows, the printed page) into
// (depth in metres, mean echo amplitude of the row) samples, each row at the
// depth the output's own depth labels give it, as its user reads it.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/acceptance/depth_outputs.h"
#include "tools/televiewer/bhtv_chart.h"

class CBHTVView;

namespace qvtest {

// The amplitude image's rows the view holds (what it shows when as tall as
// the screen), each at the depth its depth track's labels put it (rows
// between two labels shared out evenly).
DepthSamples TeleviewerViewSamples(CBHTVView& view, double metresPerUnit);

// What the televiewer's chart recorder was sent, as paper: the rows in order,
// each depth tick labelled by the margin number the recorder lays there
// (counted from the start depth it was given). Installed as the views'
// recorder while it lives.
class TeleviewerTape {
 public:
  TeleviewerTape();
  ~TeleviewerTape();
  TeleviewerTape(const TeleviewerTape&) = delete;
  TeleviewerTape& operator=(const TeleviewerTape&) = delete;

  // The amplitude rows at their depths on the paper.
  DepthSamples Samples(double metresPerUnit) const;
  int Rows() const;

  struct Paper;

 private:
  std::shared_ptr<Paper> paper_;
  qv::TeleviewerRecorderFactory previous_;
};

// The amplitude strip of the printed pages of PDF (the strip left of the
// depth column), each pixel row at the depth the page's labels put it.
DepthSamples TeleviewerPageSamples(const std::string& pdf, const std::string& folder, double metresPerUnit);

}  // namespace qvtest
