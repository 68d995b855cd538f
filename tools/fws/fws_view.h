// The full-wave sonic view: the cement-bond view's design with the near and
// far waveforms of 480 samples each (segments 1-9), their delays over twice
// the depth step, the full-wave texts, no free-pipe gates, and the full-wave
// chart rows (each sample once, again at every fifteenth; wiggle traces of
// every second sample).
#pragma once

#include "tools/cementbond/cbl_view.h"

class CFWSView : public CCBLView {
  Q_OBJECT
 public:
  // imageHeight: the lines the image holds (0: the screen height + 100).
  explicit CFWSView(int imageHeight = 0, QWidget* parent = nullptr)
      : CCBLView(qv::cbl::kFullWaveView, imageHeight, parent) {}
};
