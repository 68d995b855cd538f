// Raster lines a second the recorder composes and writes to a capture file,
// beside what a log needs: metric 1:20 at 10 m/min moves the paper 50 mm a
// metre, 8.3 mm a second, 66 lines of 0.127 mm.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/core/globals.h"
#include "platform/files/paths.h"
#include "print/recorder/gulton.h"

namespace {

constexpr double kNeededLinesPerSecond = 10.0 / 60.0 * (1000.0 / 20.0) / 0.127;

void RasterLinesToCaptureFile(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qv_bench_recorder_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  qv::SetProgramFolder(dir.string());
  std::ofstream(dir / "win.ini") << "[ParallelDevices]\r\nLPT1=" << (dir / "capture.prn").string() << "\r\n";
  g_nRecorderPort = 1;
  const TrackScale linear[4] = {};
  int64_t lines = 0;
  {
    CGulton recorder(0, kPrintPlot, 0, linear, 20, 0, 0);
    recorder.SetStartDepth(0);
    std::array<uint8_t, kRasterBytes> line{};
    for (auto _ : state) {
      recorder.ComposeChartLine(line.data());
      recorder.SendRasterLine(line.data());
      ++lines;
    }
  }
  state.SetItemsProcessed(lines);
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  state.counters["needed_per_s"] = kNeededLinesPerSecond;
  qv::SetProgramFolder("");
  std::filesystem::remove_all(dir);
}
BENCHMARK(RasterLinesToCaptureFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
