// Sonic records per second through reading (the replay reader over a .LGX
// file of 3136-byte records) and processing (calibration, the delay rings of
// the channels and the waveforms, filters, a user function), beside a fast
// log's rate: the twelve-channel log's 64-byte records through the same
// reader and its own processing. A live sonic log needs a few records a
// second; a replay runs as fast as this allows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/copy_floor.h"
#include "bench/ratio_report.h"
#include "bench/sonic/sonic_display_bench.h"
#include "logdoc/engine/channel_processor.h"
#include "logdoc/replay/replay_reader.h"
#include "tools/sonic/sonic_processor.h"

namespace {

constexpr int kRecords = 20000;

// A file of kRecords records, removed when the program ends.
struct TempFile {
  TempFile(const char* name, std::size_t recordSize)
      : path(std::string("/tmp/qv_bench_") + std::to_string(::getpid()) + name) {
    std::vector<char> bytes(recordSize * kRecords, 1);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::remove(path.c_str()); }
  std::string path;
};

void Sum(double* in, double* out) {
  for (int i = 0; i < 12; ++i) out[i] = in[i] + in[13];
}

HeaderInfo Header(int comStd) {
  HeaderInfo h;
  h.ComStd = comStd;
  h.LogMode = 10;
  return h;
}

template <class Setup>
void Fill(Setup& s, bool filters, bool userFunction) {
  s.logMode = qv::kLogModeTime;
  s.depthStep = 100;
  s.calibrationOn = true;
  for (int i = 0; i < 12; ++i) s.calibration[static_cast<std::size_t>(i)] = qv::Coefficients{0.5, 1.5, 0.01, 0.0001};
  for (std::size_t i = 0; i < 16; ++i) {
    s.channelSettings[i] = {filters ? 1 + static_cast<int>(i) % 3 : 0, 15, 0};
    s.outputFilters[i] = {filters ? 2 : 0, 9};
  }
  if (userFunction) s.userFunction = Sum;
}

void BM_SonicReadAndProcess(benchmark::State& state) {
  const auto geometry = *qv::SonicGeometryFor(26);
  static const TempFile file(".LGX", static_cast<std::size_t>(geometry.RecordSize()));
  const std::string& path = file.path;
  qv::SonicProcessorSetup s;
  s.geometry = geometry;
  Fill(s, state.range(0), state.range(1));
  qv::SonicProcessor p(s);
  std::int64_t records = 0;
  for (auto _ : state) {
    qv::ReplayReader reader(path, qv::kToolSonic, 0, 0, 10, Header(26));
    SonicPacket packet{};
    while (reader.ReadSonic(&packet)) {
      qv::SonicInput in;
      in.mask = packet.mask & 0xFFF;
      in.time = packet.time;
      in.depth = packet.depth;
      std::copy(std::begin(packet.value), std::end(packet.value), in.values.begin());
      in.samples = {packet.samples, static_cast<std::size_t>(geometry.WaveformBytes() / 2)};
      benchmark::DoNotOptimize(p.Process(in, 4).data());
      ++records;
    }
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SonicReadAndProcess)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"filters", "userfn"});

void BM_TwelveChannelReadAndProcess(benchmark::State& state) {
  static const TempFile file("-12.LGX", qv::TwelveChannelFileRecord::kSize);
  const std::string& path = file.path;
  qv::ChannelProcessorSetup s;
  s.channels = 12;
  Fill(s, state.range(0), state.range(1));
  qv::ChannelProcessor p(s);
  std::int64_t records = 0;
  for (auto _ : state) {
    qv::ReplayReader reader(path, qv::kToolTwelveChannel, 0, 0, 10, Header(0));
    TwelveChannelRecord record{};
    while (reader.ReadTwelveChannel(&record)) {
      benchmark::DoNotOptimize(p.ProcessTwelveChannel(record, {record.depth, record.time}).data());
      ++records;
    }
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TwelveChannelReadAndProcess)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"filters", "userfn"});

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      qv::bench::FlatAndFloorRatios("BM_SonicOneRecordRefresh", kSonicShortScreen, kSonicTallScreen, "BM_CopySonicRow",
                                    1.3, 3, "sonic one-record refresh: a 10x taller image against a short one",
                                    "sonic one-record refresh against a copy of its row's bytes",
                                    "the same at the tall image"));
}
