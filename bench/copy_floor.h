// The floor a display or print path is measured against: one copy of the
// bytes its new data brings. A measurement that stops its timer around an
// untimed step (the intake before a refresh) pays for that stop and start;
// its floor pays for them too, so the ratio is of the work alone.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

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

}  // namespace qv::bench
