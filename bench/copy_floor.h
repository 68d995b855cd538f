// The floor a display or print path is measured against: one copy of the
// bytes its new data brings. A measurement that stops its timer around an
// untimed step (the intake before a refresh) pays for that stop and start;
// its floor pays for them too, so the ratio is of the work alone.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ratio_report.h"

namespace qv::bench {

inline void CopyFloor(benchmark::State& state, std::size_t bytes, bool pausedStep) {
  std::vector<std::uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    if (pausedStep) state.PauseTiming();
    benchmark::DoNotOptimize(from.data());
    if (pausedStep) state.ResumeTiming();
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

// The three ratios of a path run at a small and a large size (the Google
// Benchmark argument): large against small (cost flat in the size), and each
// against its copy floor.
inline std::vector<Ratio> FlatAndFloorRatios(const std::string& run, int small, int large, const std::string& floor,
                                             double flatTarget, double floorTarget, const std::string& flatWhat,
                                             const std::string& floorWhat, const std::string& largeFloorWhat) {
  const std::string smallRun = run + "/" + std::to_string(small), largeRun = run + "/" + std::to_string(large);
  return {{largeRun, smallRun, flatTarget, 1, 1, flatWhat},
          {smallRun, floor, floorTarget, 1, 1, floorWhat},
          {largeRun, floor, floorTarget, 1, 1, largeFloorWhat}};
}

}  // namespace qv::bench
