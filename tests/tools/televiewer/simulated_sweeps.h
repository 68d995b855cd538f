// Televiewer sweeps of the simulated well: the head lowered past the
// fracture at 83.5 m (dip 60 degrees), whose trace on the borehole wall is a
// sinusoid, dark and late, in both images. The rock's amplitude and the
// hole's transit time are even around it. Used by the view's golden-image
// test and its look program.
#pragma once

#include <cmath>
#include <cstdint>

#include "devices/simulator/unit/well.h"
#include "logdoc/records/device_records.h"

namespace qvtest {

inline constexpr double kSweepFromMetres = 83.25;
inline constexpr double kMetresPerSweep = 0.002;

// Sweep INDEX from kSweepFromMetres down; its step word counts the
// centimetres moved since the sweep before.
inline TeleviewerSweep SimulatedSweep(int index) {
  const double m = kSweepFromMetres + index * kMetresPerSweep;
  TeleviewerSweep s{};
  const qv::sim::Well& well = qv::sim::DefaultWell();
  for (int j = 0; j < 128; ++j) {
    const bool fracture = well.FractureDistance(m, j * 360.0 / 128) < 0.01;
    const int amplitude = fracture ? 6 : 40 + (j / 16) % 2 * 4;  // faint stripes to see the azimuth by
    const int transit = fracture ? 70 : 45;
    s.word[1 + j] = static_cast<std::uint16_t>(amplitude << 8 | transit << 1);
  }
  const auto cm = [](double metres) { return static_cast<int>(std::floor(metres * 100 + 1e-6)); };
  const int moved = index == 0 ? 0 : cm(m) - cm(m - kMetresPerSweep);
  s.depthStep = static_cast<std::uint16_t>(moved > 0 ? 0x4000 | moved : 0x8000);
  s.depth = cm(m);
  return s;
}

}  // namespace qvtest
