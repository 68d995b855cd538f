// Sweeps per second through the televiewer's row building and the flush into
// the two images (one flush per five sweeps, as the display pump takes them).
// Beside it, the rate a fast log needs: the scanner turns every 50 ms, 20
// sweeps a second.
#include <benchmark/benchmark.h>

#include "tools/televiewer/image_rows.h"

namespace {

void BM_SweepToImage(benchmark::State& state) {
  constexpr int kHeight = 1080;
  qv::TeleviewerRowBuilder builder(kHeight);
  builder.Reset(25);
  qv::TeleviewerImageStore image(kHeight);
  qv::FlushedRows rows = builder.MakeFlushedRows();
  qv::RowOptions options;
  options.normaliseAmplitude = options.normaliseTransit = state.range(0) != 0;
  TeleviewerSweep sweep{};
  std::uint32_t n = 0;
  for (auto _ : state) {
    for (int j = 0; j < 128; ++j)
      sweep.word[1 + j] = static_cast<std::uint16_t>(((n + j) & 0x3F) << 8 | ((n * 3 + j) & 0x7F) << 1);
    sweep.depthStep = static_cast<std::uint16_t>(0x4000 | (n % 3));
    builder.Convert(sweep, n % 1200 == 0, options);
    if (++n % 5 == 0 && builder.Take(4, rows))
      image.Apply({rows.rows.data(), static_cast<std::size_t>(rows.count)}, 1000);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["fast_log_sweeps_per_s"] = 20;
}
BENCHMARK(BM_SweepToImage)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
