// Segments per second through the full-wave sonic log's per-segment work:
// the read with its checks, the first-arrival picking of each assembled
// waveform (as the device library does with the waveform program), scaling
// and calibration, the display engine's intake of the full-wave rows and its
// refresh, and the print delay rings. Beside it, the rate a fast live log
// needs: a firing of twenty segments every 20 ms, 1000 a second.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "bench/copy_floor.h"
#include "bench/ratio_report.h"
#include "devices/tbdevice/sonic.h"
#include "tools/fws/fws_document.h"
#include "tools/waveform/vdl_engine.h"

namespace {

// The display engine of the full-wave view: 480 samples a receiver, segments 1-9.
class EngineView : public qv::WaveformSink {
 public:
  EngineView()
      : engine_([] {
          qv::vdl::VdlGeometry g;
          g.samplesPerReceiver = 480;
          g.lastSegment = 9;
          g.delayStepFactor = 20;
          g.wiggleStride = 2;
          g.imageHeight = 1124;
          return g;
        }()) {
    qv::vdl::VdlScroll s;
    s.depthScale = 200;
    s.depthStep = 10;
    engine_.ResetScroll(s);
  }
  void AddDepthRow(const CblWaveformSegment& segment, const double values[6]) override {
    engine_.AddDepthRow(segment.flags, {segment.sample, 48}, {values, 6});
    // The display pump: one refresh a firing.
    if (segment.flags == (0x80 | 9)) engine_.Refresh(false, false, 100);
  }

 private:
  qv::vdl::VdlEngine engine_;
};

// Hands out firings of near 0-9, then far 0-9, one depth step each, and
// picks each receiver's arrival after its segment 9.
class BenchLog : public qv::CFWSDocument {
 public:
  using qv::CFWSDocument::InitialiseTool;

 protected:
  std::uint32_t ReadArrival(CblWaveformSegment* segment, SixChannelPacket* packet, int) override {
    const int k = static_cast<int>(next_++ % 20);
    const int n = k % 10;
    const bool far = k >= 10;
    *segment = {};
    segment->depth = -static_cast<std::int32_t>(next_ / 20);
    segment->time = static_cast<std::int32_t>(next_);
    segment->flags = static_cast<std::uint8_t>(n | (far ? 0x80 : 0));
    const int arrival = far ? 230 : 150;
    for (int i = 0; i < 48; ++i) {
      const int s = 48 * n + i;
      segment->sample[i] = static_cast<std::int8_t>(s < arrival ? (s % 3) - 1 : ((s * 37) % 200) - 100);
    }
    std::copy(segment->sample, segment->sample + 48, wave_[far].begin() + 48 * n);
    if (n == 9)
      pick_[far] = tbdev::PickArrival(wave_[far].data(), 0, far ? 10 : 25, far ? 400 : 200, far ? 2.5f : 2.0f);
    if (!far) {
      packet->flags = 21;
      packet->rate = 50;
      const std::uint16_t words[6] = {static_cast<std::uint16_t>(pick_[0] * 8),
                                      static_cast<std::uint16_t>(pick_[1] * 8),
                                      100,
                                      200,
                                      static_cast<std::uint16_t>((pick_[1] - pick_[0]) * 8),
                                      300};
      std::copy(words, words + 6, packet->channel);
    }
    return 6;
  }

 private:
  std::uint64_t next_ = 0;
  std::array<std::array<std::int8_t, 480>, 2> wave_{};
  int pick_[2] = {0, 0};
};

void BM_SegmentReadPickDisplay(benchmark::State& state) {
  BenchLog log;
  EngineView view;
  log.SetView(&view);
  log.Setup().logMode = 11;
  log.Setup().depthStep = 10;
  log.InitialiseTool(1);
  int offsets[14] = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(log.ReadPacket(1));
    log.ProcessRecord(false);
    log.ProcessFullWaveRecord(true, true, offsets);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["fast_log_segments_per_s"] = 1000;
}
BENCHMARK(BM_SegmentReadPickDisplay);

// The display engine's refresh alone, at the image of the full-wave view
// (960 x 1124) and a history of the given rows: before each refresh one
// firing comes in (the intake, not timed), one line at 1:200; the refresh
// costs what that line costs, whatever the history holds.
constexpr int kShortHistory = 2400;
constexpr int kLongHistory = 24000;

qv::vdl::VdlGeometry RefreshGeometry(int history) {
  qv::vdl::VdlGeometry g;
  g.samplesPerReceiver = 480;
  g.lastSegment = 9;
  g.delayStepFactor = 20;
  g.imageHeight = 1124;
  g.minimumHistory = history;
  return g;
}

void BM_VdlRefresh(benchmark::State& state) {
  qv::vdl::VdlEngine engine(RefreshGeometry(static_cast<int>(state.range(0))));
  qv::vdl::VdlScroll s;
  s.depthScale = 200;
  s.depthStep = 10;
  engine.ResetScroll(s);
  engine.SetClientRows(1124);
  std::int8_t samples[48] = {};
  const double values[6] = {1, 2, 3, 4, 5, 6};
  for (auto _ : state) {
    state.PauseTiming();
    for (int k = 0; k < 20; ++k)
      engine.AddDepthRow(static_cast<std::uint8_t>((k % 10) | (k >= 10 ? 0x80 : 0)), samples, values);
    state.ResumeTiming();
    benchmark::DoNotOptimize(engine.Refresh(false, false, 100));
  }
  state.counters["history_rows"] = engine.HistoryLength();
}
BENCHMARK(BM_VdlRefresh)->Arg(kShortHistory)->Arg(kLongHistory);

// The floor: a copy of the bytes of the lines a firing brings at 1:200 (eight
// image rows with their curves' values), in the same harness (the timer
// stopped and started again around an untimed step).
void BM_CopyNewLines(benchmark::State& state) {
  qv::bench::CopyFloor(state, 8 * (960 + 6 * sizeof(double)), true);
}
BENCHMARK(BM_CopyNewLines);

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      qv::bench::FlatAndFloorRatios("BM_VdlRefresh", kShortHistory, kLongHistory, "BM_CopyNewLines", 1.5, 10,
                                    "VDL refresh: a 10x longer history against the short one",
                                    "VDL refresh of a firing's lines against a copy of their bytes",
                                    "the same at the long history"));
}
