// Segments per second through the cement-bond log's per-segment work: the
// read with its checks and the gate search, then scaling, calibration and the
// hand-on to the view, and the print delay rings. Beside it, the rate a fast
// live log needs: the acquisition loop reads at most one segment per 10 ms
// poll, 100 a second.
//
// The print rings on their own in a depth log, at a short and a very long
// sonde (the rings hold its length): a segment costs the same at either,
// near a copy of what the segment brings.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/copy_floor.h"
#include "bench/ratio_report.h"
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

// Ring reaches in depth steps: a short sonde and the longest the rings take.
constexpr int kShortReach = 500;
constexpr int kLongReach = 50000;

// One segment through the print rings of a depth log whose first channel
// lies reach steps from the sensor (the rings grow with it).
void BM_PrintRings(benchmark::State& state) {
  BenchLog log;
  NullView view;
  log.SetView(&view);
  log.Setup().logMode = 11;
  log.Setup().imperial = false;
  log.Setup().depthStep = 10;
  // Centimetres: ten depth units each, one step.
  log.Setup().channelFilters[0].Offset = static_cast<int>(state.range(0));
  log.InitialiseTool(1);
  state.counters["ring_rows"] = log.RingRows();
  for (auto _ : state) {
    log.ReadPacket(1);
    log.ProcessPrintRecord(false, false, nullptr);
    benchmark::DoNotOptimize(log.PrintSegment());
  }
}
BENCHMARK(BM_PrintRings)->Arg(kShortReach)->Arg(kLongReach);

// The floor: a copy of what one segment brings (its record pair and six values).
void BM_CopyNewBytes(benchmark::State& state) {
  qv::bench::CopyFloor(state, qv::WaveformLogDocument::kPairSize + 6 * sizeof(double), false);
}
BENCHMARK(BM_CopyNewBytes);

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      qv::bench::FlatAndFloorRatios("BM_PrintRings", kShortReach, kLongReach, "BM_CopyNewBytes", 1.3, 150,
                                    "print rings: segment at a 100x longer ring against a short one",
                                    "print rings, short ring: segment with its read against a copy of its bytes",
                                    "print rings, long ring: segment with its read against a copy of its bytes"));
}
