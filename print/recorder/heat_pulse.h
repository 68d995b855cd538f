// The result of one heat-pulse flowmeter measurement, as the flowmeter dialog
// hands it to the chart recorder.
#pragma once

#include <string>
#include <vector>

struct HeatPulseResult {
  int durationMs = 0;  // measurement duration
  int plotRange = 0;   // largest magnitude on the vertical axis, CPS
  int samplePeriodMs = 0;
  std::vector<double> samples;
  double baseline = 0;            // subtracted from every sample
  double interpretationTime = 0;  // s
  double fluidSpeed = 0;          // m/min, or ft/min when imperial; kFluidSpeedOutOfRange when out of range
  std::string depthText;          // "%.3f" of the depth
  std::string unitText;           // "[m]" or "[ft]"
  bool imperial = false;          // depth and speed in feet
};

// The smallest positive normal double: the fluid speed of a result out of range.
constexpr double kFluidSpeedOutOfRange = 2.2250738585072014e-308;
