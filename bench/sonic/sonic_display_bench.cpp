// Display rows per second of the sonic view's model: records of 3 x 512
// samples into the curve rows and the trace history, taken into the image in
// batches as the display pump does (grey rows, or wiggle traces), for a time
// log (one row per record) and a depth log at 0.1 m, 1:200 (3.937 rows per
// record). BM_SonicReadAndProcess in this program gives a fast replay's
// record rate beside it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench/copy_floor.h"
#include "bench/sonic/sonic_display_bench.h"
#include "tools/sonic/sonic_display.h"

namespace {

void BM_SonicDisplayRows(benchmark::State& state) {
  const bool wiggle = state.range(0) != 0;
  const bool depthScaled = state.range(1) != 0;
  const int batch = static_cast<int>(state.range(2));
  qv::SonicDisplay d;
  qv::SonicDisplaySettings s;
  s.samples = 512;
  s.waves = 3;
  s.screenHeight = 1080;
  d.Configure({1, 2, 3, 13, 14, 15}, s);
  d.ResetScroll(100, 200);
  d.SetWiggle(wiggle);
  std::vector<double> values(16, 50.0);
  values[12] = 100, values[13] = 140, values[14] = 180;
  std::vector<std::int16_t> waves(static_cast<std::size_t>(d.ImageWidth()));
  for (std::size_t i = 0; i < waves.size(); ++i)
    waves[i] = static_cast<std::int16_t>(20000 * std::sin(static_cast<double>(i) / 7.0));
  std::int64_t rows = 0, records = 0;
  for (auto _ : state) {
    for (int k = 0; k < batch; ++k) d.AddRecord(values, waves, depthScaled, -1, {});
    records += batch;
    rows += d.Update().rows;
    benchmark::DoNotOptimize(d.Image());
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SonicDisplayRows)->ArgsProduct({{0, 1}, {0, 1}, {1, 40, 400}})->ArgNames({"wiggle", "depth", "batch"});

// A one-record grey refresh alone (the record's intake not timed) at a short
// and a tall screen: it costs what the row costs, whatever the image holds.
void BM_SonicOneRecordRefresh(benchmark::State& state) {
  qv::SonicDisplay d;
  qv::SonicDisplaySettings s;
  s.samples = 512;
  s.waves = 3;
  s.screenHeight = static_cast<int>(state.range(0));
  d.Configure({1, 2, 3, 13, 14, 15}, s);
  d.ResetScroll(100, 200);
  std::vector<double> values(16, 50.0);
  std::vector<std::int16_t> waves(static_cast<std::size_t>(d.ImageWidth()));
  for (std::size_t i = 0; i < waves.size(); ++i)
    waves[i] = static_cast<std::int16_t>(20000 * std::sin(static_cast<double>(i) / 7.0));
  for (auto _ : state) {
    state.PauseTiming();
    d.AddRecord(values, waves, false, -1, {});
    state.ResumeTiming();
    benchmark::DoNotOptimize(d.Update().rows);
  }
}
BENCHMARK(BM_SonicOneRecordRefresh)->Arg(kSonicShortScreen)->Arg(kSonicTallScreen);

// The floor: a copy of one row's samples and of its image row, in the same
// harness.
void BM_CopySonicRow(benchmark::State& state) {
  qv::bench::CopyFloor(state, 3 * 512 * (sizeof(std::int16_t) + 1), true);
}
BENCHMARK(BM_CopySonicRow);

}  // namespace
