// Records per second through the replay reader, beside reading the same
// file's bytes once in one go. The reader reads the file in blocks of records
// and looks at its length once per block; six-channel records must pass at
// three million a second or more.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "logdoc/replay/replay_reader.h"

namespace {

constexpr int kRecords = 100000;

std::string MakeFile(const char* name, std::size_t recordSize) {
  const std::string path = std::string("/tmp/qv_bench_") + std::to_string(::getpid()) + name;
  std::vector<char> bytes(recordSize * kRecords, 1);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

const std::string& LogFile() {
  static const std::string path = MakeFile(".LOG", qv::SixChannelFileRecord::kSize);
  return path;
}
const std::string& LgxFile() {
  static const std::string path = MakeFile(".LGX", qv::TwelveChannelFileRecord::kSize);
  return path;
}

void ReadBytesOnce(benchmark::State& state, const std::string& path, std::size_t recordSize) {
  std::vector<char> buffer(recordSize * kRecords);
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t done = 0;
    while (done < buffer.size()) {
      const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

void BM_LogBytesOnce(benchmark::State& state) {
  ReadBytesOnce(state, LogFile(), qv::SixChannelFileRecord::kSize);
}
BENCHMARK(BM_LogBytesOnce);

void BM_LgxBytesOnce(benchmark::State& state) {
  ReadBytesOnce(state, LgxFile(), qv::TwelveChannelFileRecord::kSize);
}
BENCHMARK(BM_LgxBytesOnce);

const qv::ReplayHeader kTimeLog{0, 0, 100, 0, 10};

void BM_ReaderSixChannel(benchmark::State& state) {
  qv::ReplayReader reader(LogFile(), qv::kToolSixChannel, 0, 0, 10, kTimeLog);
  qv::SixChannelPacket p;
  for (auto _ : state) {
    reader.Rewind();
    while (reader.ReadSixChannel(&p)) benchmark::DoNotOptimize(p.channel[0]);
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReaderSixChannel);

void BM_ReaderTwelveChannel(benchmark::State& state) {
  qv::ReplayReader reader(LgxFile(), qv::kToolTwelveChannel, 0, 0, 10, kTimeLog);
  qv::TwelveChannelRecord r;
  for (auto _ : state) {
    reader.Rewind();
    while (reader.ReadTwelveChannel(&r)) benchmark::DoNotOptimize(r.value[0]);
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReaderTwelveChannel);

}  // namespace

int main(int argc, char** argv) {
  // Time per record against a budget of one second for three million records.
  const int status = qv::bench::RunWithRatios(
      argc, argv,
      {{"BM_ReaderSixChannel", "", 1.0, kRecords, 3e6, "six-channel record against 1/3 us (3 M records/s)"},
       {"BM_ReaderTwelveChannel", "", 1.0, kRecords, 3e6, "twelve-channel record against 1/3 us (3 M records/s)"}});
  std::remove(LogFile().c_str());
  std::remove(LgxFile().c_str());
  return status;
}
