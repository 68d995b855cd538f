// The cement-bond view's hot paths beside what a fast log needs of them:
// display lines per second through the waveform display engine (intake of
// every segment and a refresh every ten firings) at 1:200, 1:20 and in a time
// log, and printed dot rows per second of a replayed log at 300 dpi.
//
// A fast log: the fastest time log fires every 10 ms, ten segments (records)
// a firing, so 1000 records a second; a depth log at 0.5 m/s with a 10 mm
// step fires 50 times a second, 500 records. Lines per record: 0.394 at
// 1:200 and 3.94 at 1:20 (metric, 10 mm), one in a time log; a printed time
// log takes 0.127 mm a record, 1.5 dot rows at 300 dpi.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <array>
#include <cstdlib>
#include <filesystem>

#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_print.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/waveform/vdl_engine.h"

namespace {

void Firing(qv::vdl::VdlEngine& e, int k) {
  std::array<std::int8_t, 48> samples;
  const std::array<double, 6> values{1, 2, 3, 4, 5, 6};
  for (int far = 0; far < 2; ++far)
    for (int n = 0; n <= 4; ++n) {
      for (int i = 0; i < 48; ++i) samples[static_cast<std::size_t>(i)] = static_cast<std::int8_t>((i * 7 + k) % 120);
      e.AddDepthRow(static_cast<std::uint8_t>(n | (far ? 0x80 : 0)), samples, values);
    }
}

// Arg: the depth scale (0: a time log).
void BM_DisplayLines(benchmark::State& state) {
  qv::vdl::VdlGeometry g;
  g.imageHeight = 1124;
  qv::vdl::VdlEngine e(g);
  qv::vdl::VdlScroll s;
  s.depthScale = state.range(0) > 0 ? static_cast<int>(state.range(0)) : 200;
  s.depthMode = state.range(0) > 0;
  s.depthStep = 10;
  s.curves.assign(6, {});
  s.curves[2] = {0, 1, 11};
  e.ResetScroll(s);
  e.SetClientRows(1000);
  std::int64_t lines = 0, records = 0;
  int k = 0;
  for (auto _ : state) {
    for (int f = 0; f < 10; ++f) Firing(e, k++);
    records += 100;
    lines += e.Refresh(false, true, 1000).lines;
  }
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  state.counters["records_per_s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  const double perRecord = state.range(0) == 200 ? 0.3937 : state.range(0) == 20 ? 3.937 : 1.0;
  state.counters["fast_log_needs_lines_per_s"] = (state.range(0) > 0 ? 500 : 1000) * perRecord;
}
BENCHMARK(BM_DisplayLines)->Arg(200)->Arg(20)->Arg(0);

void BM_PrintedDotRows(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qv_cbl_print_bench";
  std::filesystem::create_directories(folder);
  cbltest::WriteLog(folder, 2000, 10, 0, 0, 10);
  cbltest::ViewDoc doc;
  qv::CCBLDocument log;
  qv::LogSetup& setup = log.Setup();
  setup.pathStem = (folder / "WELL.").string();
  setup.logMode = 10;
  setup.depthStep = 10;
  setup.depthScale = 200;
  ReadHeaderInfo((folder / "WELL.hed").string(), &log.Header());
  CCBLView view(300);
  std::vector<TrackRecord> tracks(4);
  tracks[1].type = 1;
  CurveRecord c;
  c.headerFlag = 1;
  c.physicalChannel = 1;
  CurveRecord wave = c;
  wave.physicalChannel = 7;
  wave.firstTrack = wave.lastTrack = 2;
  view.SetLayout(tracks, {c, wave});
  view.SetupLayout(&doc, &log);
  log.SetView(&view);
  if (!log.InitialiseLog(0, 0)) {
    state.SkipWithError("the log did not open");
    return;
  }
  qv::cbl::CblPageSource source(view, log, {});
  std::int64_t rows = 0;
  for (auto _ : state) {
    qv::print::PrintSettings s;
    qv::print::InitPrintSettings(&s);
    s.mmPerPixel = 25.4 / 300;
    s.inchPerPixel = 1.0 / 300;
    source.BeginReplay(s, false);
    qv::cbl::PrintBlock block;
    bool first = true;
    for (int made = qv::cbl::kPrintBlock; made == qv::cbl::kPrintBlock; first = false) {
      block.rows[0].samples = source.CarriedRow().samples;
      made = source.BuildPrintRows(s, qv::cbl::kPrintBlock, block, first);
      rows += made;
    }
    source.EndReplay();
  }
  state.counters["dot_rows_per_s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.counters["fast_log_needs_dot_rows_per_s"] = 1000 * 0.127 * 300 / 25.4;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PrintedDotRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
