// Sweeps per second through the televiewer's row building and the flush into
// the two images (one flush per five sweeps, as the display pump takes them).
// Beside it, the rate a fast log needs: the scanner turns every 50 ms, 20
// sweeps a second.
//
// The flush alone at a short and a tall image: five sweeps' rows into the
// images and the mark history, beside a copy of those rows' bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/copy_floor.h"
#include "bench/ratio_report.h"
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

constexpr int kShortImage = 300;
constexpr int kTallImage = 3000;
constexpr int kRowsAFlush = 5;

// Five sweeps (not timed), then their flush: the hand-over and the images.
void BM_FlushRows(benchmark::State& state) {
  const int height = static_cast<int>(state.range(0));
  qv::TeleviewerRowBuilder builder(height);
  builder.Reset(25);
  qv::TeleviewerImageStore image(height);
  qv::FlushedRows rows = builder.MakeFlushedRows();
  TeleviewerSweep sweep{};
  std::uint32_t n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int k = 0; k < kRowsAFlush; ++k, ++n) {
      for (int j = 0; j < 128; ++j)
        sweep.word[1 + j] = static_cast<std::uint16_t>(((n + j) & 0x3F) << 8 | ((n * 3 + j) & 0x7F) << 1);
      sweep.depthStep = static_cast<std::uint16_t>(0x4000 | (n % 3));
      builder.Convert(sweep, false, {});
    }
    state.ResumeTiming();
    if (builder.Take(0, rows)) image.Apply({rows.rows.data(), static_cast<std::size_t>(rows.count)}, 1000);
  }
}
BENCHMARK(BM_FlushRows)->Arg(kShortImage)->Arg(kTallImage);

// The floor: a copy of the five rows' bytes into both images, in the same
// harness (the timer stopped and started around an untimed step).
void BM_CopyFlushRows(benchmark::State& state) {
  qv::bench::CopyFloor(state, kRowsAFlush * sizeof(TeleviewerImageRow) * 2, true);
}
BENCHMARK(BM_CopyFlushRows);

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      qv::bench::FlatAndFloorRatios("BM_FlushRows", kShortImage, kTallImage, "BM_CopyFlushRows", 1.3, 3,
                                    "televiewer flush: a 10x taller image against the short one",
                                    "televiewer flush of five rows against a copy of their bytes",
                                    "the same at the tall image"));
}
