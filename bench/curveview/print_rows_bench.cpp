// Records per second through the curve view's print rows (the replay reader,
// the print-time processing and the averaging into rows of paper) beside the
// replay reader alone over the same file, and the ratio of their time per
// record. A page printout reads the whole log once per copy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>

#include "bench/ratio_report.h"
#include "logview/print_pages.h"
#include "logdoc/replay/replay_reader.h"
#include "print/page/print_settings.h"
#include "tests/curveview/recorded_log.h"

namespace {

constexpr int kRecords = 20000;

qvtest::RecordedLog& Log() {
  static qvtest::RecordedLog* log = [] {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("qv_bench_print_" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    return new qvtest::RecordedLog(dir, {{kRecords, 0}});
  }();
  return *log;
}

qv::print::PrintSettings PageSettings() {
  qv::print::PrintSettings s;
  qv::print::InitPrintSettings(&s);
  qv::print::PrinterCaps caps;
  caps.logPixelsX = caps.logPixelsY = 300;
  caps.horzRes = caps.physicalWidth = 2480;
  caps.vertRes = caps.physicalHeight = 3508;
  qv::print::ComputePageGeometry(s, caps, false);
  s.scale = 200;
  return s;
}

void BM_PrintRows(benchmark::State& state) {
  qvtest::RecordedLog& log = Log();
  curveview::CurvePageSource source(log.view, *log.doc, *log.doc->Printable());
  qv::print::PrintSettings s = PageSettings();
  for (auto _ : state) {
    source.BeginReplay(s, false);
    int rows = 0;
    for (;;) {
      const curveview::PrintRows r = source.ReadPrintRows(s, 3000);
      rows += r.count;
      if (r.count < 3000) break;
    }
    benchmark::DoNotOptimize(rows);
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintRows);

void BM_ReplayReaderAlone(benchmark::State& state) {
  qvtest::RecordedLog& log = Log();
  const qv::ReplayHeader header{0, kRecords * 100, 100, 0, 12};
  qv::ReplayReader reader(log.engine.DataFilePath(), qv::kToolSixChannel, 0, kRecords * 100, 12, header);
  qv::SixChannelPacket p;
  for (auto _ : state) {
    reader.Rewind();
    while (reader.ReadSixChannel(&p)) benchmark::DoNotOptimize(p.channel[0]);
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayReaderAlone);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  qv::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(std::filesystem::path(Log().engine.DataFilePath()).parent_path());
  return qv::bench::PrintRatios(reporter,
                                {{"BM_PrintRows", "BM_ReplayReaderAlone", 2, kRecords, kRecords,
                                  "print rows / replay reader alone, per record"}});
}
