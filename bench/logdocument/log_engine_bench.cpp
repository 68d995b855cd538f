// Records per second through the whole acquisition engine on the simulated
// unit, on virtual time that runs as fast as the engine reads: the device
// read through the USB layer, the checks, the hand-over to the writer, the
// file, and the channel processing. Beside it, the rate a live log needs: the
// acquisition loop reads at most one record per 10 ms poll, 100 a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "app/core/globals.h"
#include "logdoc/document/channel_logs.h"
#include "tests/logdoc/document/engine_harness.h"
#include "tests/logdoc/document/sim_unit.h"

namespace {

class NullSink : public qv::RecordSink {
 public:
  void AddSample(std::span<const double>) override {}
};

template <class Engine>
void RunLog(benchmark::State& state, std::uint8_t comStd, std::uint8_t toolType) {
  const auto folder = std::filesystem::temp_directory_path() / ("qv-bench-log-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "Header");
  g_strProgramFolder = folder.string();
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  auto unit = qvtest::BringUpSimulatedUnit(folder.string(), clock);
  if (!unit) {
    state.SkipWithError("the simulated unit did not come up");
    return;
  }
  qvtest::VirtualPace pace(clock);
  pace.Unlimited();
  NullSink sink;
  std::uint64_t records = 0;
  {
    Engine engine;
    qv::LogSetup& s = engine.Setup();
    s.pathStem = (folder / "BENCH.").string();
    s.logMode = 10;
    s.depthStep = 100;
    s.loggingMode = {comStd, toolType, 10, 10, 0};  // a record at every 10 ms pass
    engine.SetSink(&sink);
    engine.SetClock(pace.Clock());
    engine.SetBuffering(60, 1u << 20);  // the writer may fall behind: this measures throughput
    engine.InitialiseLog(1, 10);
    constexpr std::uint64_t kPerRun = 20000;
    for (auto _ : state) {
      engine.StartLogging(qv::kStartRecord);
      while (engine.Status().records < kPerRun) std::this_thread::yield();
      engine.StopLogging(qv::kStatePaused);
      records += kPerRun;
    }
  }
  state.counters["records_per_s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["live_log_needs_per_s"] = 100;
  tbdev::LibraryUnload();
  qvtest::ReleaseSimulatedUnit(::getpid());
  std::filesystem::remove_all(folder);
}

void BM_SixChannelLog(benchmark::State& state) { RunLog<qv::SixChannelEngine>(state, 2, 1); }
void BM_TwelveChannelLog(benchmark::State& state) { RunLog<qv::TwelveChannelEngine>(state, 10, 8); }

BENCHMARK(BM_SixChannelLog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwelveChannelLog)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
