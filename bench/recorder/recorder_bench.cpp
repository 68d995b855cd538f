// Raster lines a second the recorder composes and writes to a capture file
// (bare grid lines, curve rows, cement-bond rows, televiewer rows), beside
// what a log needs: metric 1:20 at 10 m/min moves the paper 50 mm a
// metre, 8.3 mm a second, 66 lines of 0.127 mm.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/core/globals.h"
#include "bench/ratio_report.h"
#include "platform/files/paths.h"
#include "print/recorder/gulton.h"

namespace {

constexpr double kNeededLinesPerSecond = 10.0 / 60.0 * (1000.0 / 20.0) / 0.127;

// A capture file as the recorder's port for the length of one benchmark.
class CaptureFolder {
 public:
  CaptureFolder() {
    std::filesystem::create_directories(dir_);
    qv::SetProgramFolder(dir_.string());
    std::ofstream(dir_ / "win.ini") << "[ParallelDevices]\r\nLPT1=" << (dir_ / "capture.prn").string() << "\r\n";
    g_nRecorderPort = 1;
  }
  ~CaptureFolder() {
    qv::SetProgramFolder("");
    std::filesystem::remove_all(dir_);
  }

 private:
  std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("qv_bench_recorder_" + std::to_string(::getpid()));
};

void Report(benchmark::State& state, int64_t lines) {
  state.SetItemsProcessed(lines);
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  state.counters["needed_per_s"] = kNeededLinesPerSecond;
}

void RasterLinesToCaptureFile(benchmark::State& state) {
  CaptureFolder folder;
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
  Report(state, lines);
}

std::unique_ptr<Inscription> Curve(int track, int channel) {
  auto ins = std::make_unique<Inscription>();
  ins->caption = "GR  API";
  ins->leftScale = "0.00";
  ins->rightScale = "150.00";
  ins->track = static_cast<int16_t>(track);
  ins->printStyle = static_cast<int16_t>(1 + track);
  ins->channel = channel;
  return ins;
}

// Twelve curves, ten rows a call, as a fast log hands them over.
void CurveRowsToCaptureFile(benchmark::State& state) {
  CaptureFolder folder;
  const TrackScale linear[4] = {};
  int64_t lines = 0;
  {
    CGulton recorder(0, kPrintPlot, 0, linear, 20, 0, 0);
    InscriptionList legend;
    for (int i = 0; i < 12; ++i) legend.push_back(Curve(1 + i % 3, i));
    recorder.PrintPlotTrackHeader(&legend, false);
    std::vector<int> values(120);
    int row = 0;
    for (auto _ : state) {
      for (int j = 0; j < 10; ++j, ++row)
        for (int i = 0; i < 12; ++i) values[static_cast<size_t>(j * 12 + i)] = (row * (i + 1)) % 508;
      recorder.PlotCurveRow(values.data(), 120, 0, false);
      lines += 10;
    }
  }
  Report(state, lines);
}

// One ready raster line sent, and beside it one plain write of as many bytes
// to the same kind of file: what sending a line may cost at the least.
void SendRasterLine(benchmark::State& state) {
  CaptureFolder folder;
  const TrackScale linear[4] = {};
  int64_t lines = 0;
  {
    CGulton recorder(0, kPrintPlot, 0, linear, 20, 0, 0);
    std::array<uint8_t, kRasterBytes> line{};
    line.fill(0x5A);
    for (auto _ : state) {
      recorder.SendRasterLine(line.data());
      ++lines;
    }
  }
  Report(state, lines);
}

void OneWriteOfALine(benchmark::State& state) {
  CaptureFolder folder;
  const std::string path = (std::filesystem::temp_directory_path() / "qv_bench_recorder_write.prn").string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  std::vector<uint8_t> bytes;
  {
    const TrackScale linear[4] = {};
    CGulton recorder(0, kPrintPlot, 0, linear, 20, 0, 0);
    bytes = recorder.RasterCommand();
  }
  bytes.resize(bytes.size() + kRasterBytes, 0x5A);
  int64_t lines = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
    ++lines;
  }
  ::close(fd);
  std::remove(path.c_str());
  Report(state, lines);
}

// Four curves and both waveform strips, one print row a call.
void CementBondRowsToCaptureFile(benchmark::State& state) {
  CaptureFolder folder;
  const TrackScale linear[4] = {};
  int64_t lines = 0;
  {
    CGulton recorder(0, kPrintCementBond, 0, linear, 200, 0, 1);
    InscriptionList legend;
    legend.push_back(Curve(2, 7));
    legend.push_back(Curve(3, 8));
    for (int i = 0; i < 4; ++i) legend.push_back(Curve(1, i));
    recorder.PrintCblTrackHeader(&legend);
    std::vector<uint8_t> row(kCblRowBytes);
    for (int i = 0; i < 1024; ++i) row[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7);
    double values[4] = {10, 100, 200, 300};
    for (auto _ : state) {
      recorder.PrintCblRow(row.data(), values, 1, false);
      ++lines;
    }
  }
  Report(state, lines);
}

// Televiewer rows with error diffusion and adaptive levels: four lines each.
void TeleviewerRowsToCaptureFile(benchmark::State& state) {
  CaptureFolder folder;
  int64_t lines = 0;
  {
    CGulton recorder(1, kPrintTeleviewer, 0, nullptr, 1, 0, 1);
    TeleviewerImageRow row{};
    for (int j = 0; j < 128; ++j) {
      row.amplitude[j] = static_cast<uint8_t>((j * 5) % 64);
      row.transit[j] = static_cast<uint8_t>((j * 3) % 128);
    }
    for (auto _ : state) {
      recorder.PrintTeleviewerRows(&row, 1, 3);
      lines += 4;
    }
  }
  Report(state, lines);
}

BENCHMARK(RasterLinesToCaptureFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(SendRasterLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneWriteOfALine)->Unit(benchmark::kMicrosecond);
BENCHMARK(CurveRowsToCaptureFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(CementBondRowsToCaptureFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(TeleviewerRowsToCaptureFile)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      {{"SendRasterLine", "OneWriteOfALine", 1.3, 1, 1, "a raster line sent against one write of its bytes"}});
}
