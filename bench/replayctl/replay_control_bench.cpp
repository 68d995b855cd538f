// Records per second of an unthrottled replay (the replay thread reading,
// processing and handing each record to a sink) beside the replay reader
// alone over the same six-channel file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "header/header.h"
#include "logdoc/document/channel_logs.h"
#include "logdoc/replayctl/replay_control.h"
#include "platform/text/msgbox.h"

namespace {

constexpr int kRecords = 100000;

// A time log of kRecords records with its header; returns the stem ("D/BENCH.").
const std::string& Stem() {
  static const std::string stem = [] {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qv_bench_replay_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string s = (dir / "BENCH.").string();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(kRecords) * qv::SixChannelFileRecord::kSize);
    for (int i = 0; i < kRecords; ++i) {
      bytes.push_back(21);
      bytes.push_back(50);
      for (int c = 1; c <= 6; ++c) {
        const unsigned v = static_cast<unsigned>(i * 16 + c) & 0xFFFF;
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
      }
    }
    std::ofstream(s + "LOG", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::ofstream(s + "hed", std::ios::binary) << "[General]\r\n";
    HeaderInfo h;
    h.SondeAbbreviation = "KSTQ";
    h.LogMode = 10;
    h.Step = 100;
    WriteHeaderInfo(s + "LOG", &h, nullptr);
    return s;
  }();
  return stem;
}

void SetRate(benchmark::State& state, double perIteration) {
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * perIteration, benchmark::Counter::kIsRate);
}

void BM_ReaderAlone(benchmark::State& state) {
  const qv::ReplayHeader timeLog{0, 0, 100, 0, 10};
  qv::ReplayReader reader(Stem() + "LOG", qv::kToolSixChannel, 0, 0, 10, timeLog);
  qv::SixChannelPacket p;
  std::size_t n = 0;
  for (auto _ : state) {
    reader.Rewind();
    n = 0;
    while (reader.ReadSixChannel(&p)) {
      benchmark::DoNotOptimize(p.channel[0]);
      ++n;
    }
  }
  SetRate(state, static_cast<double>(n));
}
BENCHMARK(BM_ReaderAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

class CountingSink : public qv::RecordSink {
 public:
  void AddSample(std::span<const double> values) override {
    benchmark::DoNotOptimize(values.data());
    ++rows;
  }
  std::atomic<std::size_t> rows{0};
};

void BM_UnthrottledReplay(benchmark::State& state) {
  qv::SixChannelEngine engine;
  qv::LogSetup& s = engine.Setup();
  s.pathStem = Stem();
  s.logMode = 10;
  s.depthStep = 100;
  s.sondeAbbreviation = "KSTQ";
  CountingSink sink;
  engine.SetSink(&sink);
  qv::MessageRecorder boxes;  // the log has no calibration sections: its boxes are not shown
  if (!engine.InitialiseLog(0, 10)) {
    state.SkipWithError("the replay did not open");
    return;
  }
  std::mutex m;
  std::condition_variable cv;
  bool ended = false;
  qv::ReplayCallbacks cb;
  cb.endOfData = [&] {
    std::lock_guard<std::mutex> lock(m);
    ended = true;
    cv.notify_all();
  };
  qv::ReplayControl control(engine, cb);
  control.SetPollPeriod(0);
  std::size_t n = 0;
  for (auto _ : state) {
    sink.rows = 0;
    ended = false;
    control.OnReplay();
    {
      std::unique_lock<std::mutex> lock(m);
      cv.wait(lock, [&] { return ended; });
    }
    n = sink.rows;
    control.OnRestartReplay();
  }
  SetRate(state, static_cast<double>(n));
}
BENCHMARK(BM_UnthrottledReplay)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(std::filesystem::path(Stem()).parent_path());
  return 0;
}
