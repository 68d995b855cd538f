// Cost of appending a record to the curve rows after logs of growing length:
// the time per row must stay the same however long the log already is.
#include <benchmark/benchmark.h>

#include <array>

#include "logview/model/history.h"

namespace {

void AppendAfterLog(benchmark::State& state) {
  using namespace curveview;
  CurveRows rows;
  rows.Configure({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {false, true, 40, 1080});
  rows.ResetScroll(50, 40);  // three rows per record
  std::array<double, 12> values{};
  auto noMinute = [] { return false; };
  const auto logLength = state.range(0);
  for (int64_t i = 0; i < logLength; ++i) {
    values[0] = static_cast<double>(i);
    rows.AddSample(values, true, 1, noMinute);
    if (i % 64 == 0) rows.TakePending();
  }
  int64_t records = 0;
  for (auto _ : state) {
    values[0] += 1.0;
    rows.AddSample(values, true, 1, noMinute);
    if (++records % 64 == 0) rows.TakePending();
  }
  state.SetItemsProcessed(records * 3);
  state.counters["ns_per_row"] =
      benchmark::Counter(static_cast<double>(records * 3), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(AppendAfterLog)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
