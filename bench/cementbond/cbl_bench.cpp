// Segments per second through the cement-bond log's per-segment work: the
// read with its checks and the gate search, then scaling, calibration and the
// hand-on to the view, and the print delay rings. Beside it, the rate a fast
// live log needs: the acquisition loop reads at most one segment per 10 ms
// poll, 100 a second.
#include <benchmark/benchmark.h>

#include "tools/cementbond/cbl_document.h"

namespace {

class NullView : public qv::CementBondSink {
 public:
  void AddDepthRow(const CblWaveformSegment&, const double[6]) override {}
};

// Hands out a near and far turn of five segments each, over and over.
class BenchLog : public qv::CCBLDocument {
 public:
  using qv::CCBLDocument::InitialiseTool;

 protected:
  std::uint32_t ReadArrival(CblWaveformSegment* segment, SixChannelPacket* packet, int) override {
    const int k = static_cast<int>(next_++ % 10);
    *segment = {};
    segment->depth = static_cast<std::int32_t>(next_ / 10);
    segment->time = static_cast<std::int32_t>(next_ * 10);
    segment->flags = static_cast<std::uint8_t>((k % 5) | (k >= 5 ? 0x80 : 0));
    for (int i = 0; i < 48; ++i) segment->sample[i] = static_cast<std::int8_t>((i * 7 + k) % 120);
    if (k < 5) {
      packet->flags = 21;
      packet->rate = 50;
      for (int c = 0; c < 6; ++c) packet->channel[c] = static_cast<std::uint16_t>(c + k);
    }
    return 6;
  }

 private:
  std::uint64_t next_ = 0;
};

void BM_SegmentReadPickProcess(benchmark::State& state) {
  BenchLog log;
  NullView view;
  log.SetView(&view);
  log.Setup().logMode = 10;
  log.InitialiseTool(1);
  log.SetGates(FreePipeGate{80, 60, 915, 201, 233}, FreePipeGate{80, 60, 1525, 315, 347});
  int offsets[14] = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(log.ReadPacket(1));
    log.ProcessRecord(false);
    log.ProcessPrintRecord(true, true, offsets);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["fast_log_segments_per_s"] = 100;
}
BENCHMARK(BM_SegmentReadPickProcess);

}  // namespace

BENCHMARK_MAIN();
