// Records per second through the channel processing: six and twelve channels,
// with and without filters and a user function. A live log needs a few
// hundred records per second at most; replay runs as fast as this allows.
#include <benchmark/benchmark.h>

#include "logdoc/engine/channel_processor.h"

namespace {

void Sum(double* in, double* out) {
  for (int i = 0; i < 12; ++i) out[i] = in[i] + in[13];
}

qv::ChannelProcessorSetup Setup(int channels, bool filters, bool userFunction) {
  qv::ChannelProcessorSetup s;
  s.channels = channels;
  s.logMode = qv::kLogModeDown;
  s.sondeLengthSteps = 500;
  s.depthStep = 100;
  s.calibrationOn = true;
  for (int i = 0; i < 12; ++i) s.calibration[i] = qv::Coefficients{0.5, 1.5, 0.01, 0.0001};
  for (int i = 0; i < 16; ++i) {
    s.channelSettings[i] = {filters ? 1 + i % 3 : 0, 15, i * 3};
    s.outputFilters[i] = {filters ? 2 : 0, 9};
  }
  if (userFunction) s.userFunction = Sum;
  return s;
}

void BM_SixChannel(benchmark::State& state) {
  qv::ChannelProcessor p(Setup(6, state.range(0), state.range(1)));
  qv::SixChannelPacket packet;
  packet.rate = 50;
  std::uint16_t k = 0;
  for (auto _ : state) {
    for (int i = 0; i < 6; ++i) packet.channel[i] = ++k;
    benchmark::DoNotOptimize(p.ProcessSixChannel(packet, {k, k}).data());
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SixChannel)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"filters", "userfn"});

void BM_TwelveChannel(benchmark::State& state) {
  qv::ChannelProcessor p(Setup(12, state.range(0), state.range(1)));
  qv::TwelveChannelRecord record;
  record.mask = 0xFFF;
  float v = 0;
  for (auto _ : state) {
    for (int i = 0; i < 12; ++i) record.value[i] = ++v;
    benchmark::DoNotOptimize(p.ProcessTwelveChannel(record, {0, 0}).data());
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TwelveChannel)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"filters", "userfn"});

}  // namespace

BENCHMARK_MAIN();
