// The logging speed of a live document, smoothed over the last four
// intervals of at least a second (or seven reads).
#pragma once

#include <array>
#include <cstdint>

class LogSpeedMeter {
public:
  // depth in thousandths of the depth unit, time in ms of the unit's clock;
  // the speed in thousandths of the depth unit per minute.
  int Compute(int depth, int timeMs);
  int Speed() const { return speed_; }

private:
  std::array<double, 4> history_{};  // depth units per ms, newest first
  int calls_ = 0;
  int lastDepth_ = 0;
  uint32_t lastTime_ = 0;
  int speed_ = 0;
};
