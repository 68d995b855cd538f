// Data reads per second through the whole path (status request, bulk read,
// conversion) against the simulated unit, beside the poll rate the logging
// threads need of each: the depth report every 50 ms, televiewer and sonic
// reads every 20 ms, twenty waveform segments per full-wave shot.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "devices/simulator/unit/lumbracoder.h"
#include "devices/tbdevice/internal.h"
#include "devices/tbdevice/tbdevice.h"

namespace {

struct Unit {
  std::shared_ptr<qv::sim::VirtualClock> clock = std::make_shared<qv::sim::VirtualClock>();
  std::shared_ptr<qv::sim::Lumbracoder> unit = std::make_shared<qv::sim::Lumbracoder>(clock);
  std::vector<uint8_t> image = {0x45, 0x8A};  // an image of no words (scrambled)

  Unit(uint8_t std, uint8_t tool, int16_t period, uint8_t mode) {
    const std::string block = "qvbench-tbdevice-" + std::to_string(::getpid());
    ::setenv("QUORVANTA_SHARED_BLOCK", block.c_str(), 1);
    tbdev::ResetForTests();
    tbdev::LibraryLoad();
    tbdev::Timing& t = tbdev::TimingTable();
    t.linkStartPauseMs = t.firmwareImagePauseMs = t.firmwarePacketPauseMs = t.toolStartPauseMs = 0;
    tbdev::SetToolkitFactory([this] { return unit; });
    tbdev::SetEmbeddedImages({{107, image.data(), 2}, {106, image.data(), 2}, {108, image.data(), 2}});
    tbdev::SetProgramFolder("/nonexistent");
    InitialisePCMLink();
    UnitConfigBlock cfg{1, 0, 10, 1};
    InitialiseLumbracoder(&cfg);
    LoggingModeBlock on{std, tool, period, mode, 0};
    SetLoggingMode(&on);
  }
  ~Unit() {
    tbdev::LibraryUnload();
    tbdev::ResetForTests();
    const std::string block = "/qvbench-tbdevice-" + std::to_string(::getpid());
    ::shm_unlink(block.c_str());
    ::shm_unlink((block + ".guard").c_str());
  }
};

template <class Read>
void Run(benchmark::State& state, Unit& u, uint64_t advanceMs, double neededPerSecond, Read read) {
  int64_t delivered = 0;
  for (auto _ : state) {
    u.clock->Advance(advanceMs);
    delivered += (read() & 0xFF) == TB_STATUS_DATA;
  }
  state.counters["reads/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["needed/s"] = neededPerSecond;
  state.counters["delivered"] = static_cast<double>(delivered);
}

void BM_DepthReport(benchmark::State& state) {
  Unit u(2, 1, 50, 14);
  int d = 0, t = 0;
  Run(state, u, 50, 20, [&] { return GetDepthReport(&d, &t, nullptr, 0); });
}
BENCHMARK(BM_DepthReport);

void BM_SixChannel(benchmark::State& state) {
  Unit u(2, 1, 10, 10);
  SixChannelPacket p{};
  AnalogStatusBlock a{};
  Run(state, u, 10, 100, [&] { return GetSonde6ChannelPacket(&p, &a, 0); });
}
BENCHMARK(BM_SixChannel);

void BM_Televiewer(benchmark::State& state) {
  Unit u(5, 2, 20, 10);
  TeleviewerSweep s{};
  Run(state, u, 20, 50, [&] { return GetBHTVTBSweep(&s, nullptr, 0); });
}
BENCHMARK(BM_Televiewer);

void BM_FullWaveSegments(benchmark::State& state) {
  Unit u(2, 4, 100, 10);
  CblWaveformSegment seg{};
  SixChannelPacket p{};
  uint64_t k = 0;
  // One shot of twenty segments every 100 ms: advance once per twenty reads.
  Run(state, u, 0, 200, [&] {
    if (k++ % 20 == 0) u.clock->Advance(100);
    return GetSonicArrival(&seg, &p, nullptr, 0);
  });
}
BENCHMARK(BM_FullWaveSegments);

void BM_SonicPacket(benchmark::State& state) {
  Unit u(26, 10, 20, 10);
  SonicPacket p{};
  Run(state, u, 20, 50, [&] { return GetSonicPacket(&p); });
}
BENCHMARK(BM_SonicPacket);

void BM_ScopeShot(benchmark::State& state) {
  Unit u(12, 1, 500, 12);
  auto shot = std::make_unique<ScopeShot>();
  Run(state, u, 500, 2, [&] { return GetScopeShot(shot.get()); });
}
BENCHMARK(BM_ScopeShot);

}  // namespace

BENCHMARK_MAIN();
