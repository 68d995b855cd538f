// Depth shift and merge of logs of a million records, beside a plain copy of
// the same bytes: the throughput of each in bytes of input per second, and
// the ratio of their time per input byte to the copy's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/ratio_report.h"
#include "logtools/engine/depth_shift.h"
#include "logtools/engine/log_records.h"
#include "logtools/engine/merge.h"
#include "logtools/engine/staged_output.h"
#include "platform/files/atomic_file.h"

namespace {

constexpr int kRecords = 1000000;

struct Logs {
  std::string dir, twelve, six;
};

std::string Header(int logMode, int start, int end, int step) {
  std::string s = "[General]\r\nIdent=QUORVANTA\r\n[WellInfo]\r\nDepthUnit=0\r\nLogMode=" + std::to_string(logMode) +
                  "\r\nStartdepth=" + std::to_string(start) + "\r\nEndDepth=" + std::to_string(end) +
                  "\r\nStep=" + std::to_string(step) + "\r\n";
  for (int c = 0; c < 12; ++c)
    s += "[Channel" + std::to_string(c) + "]\r\nTitle=Channel\r\nTitleShort=C" + std::to_string(c + 1) +
         "\r\nPhysicalCh=" + std::to_string(c + 1) + "\r\n";
  return s;
}

const Logs& TheLogs() {
  static const Logs logs = [] {
    Logs l;
    const char* tmp = std::getenv("QV_TEST_TMP");
    l.dir =
        ((tmp ? std::filesystem::path(tmp) : std::filesystem::temp_directory_path()) / "qv_bench_logtools").string();
    std::filesystem::remove_all(l.dir);
    std::filesystem::create_directories(l.dir);
    l.twelve = l.dir + "/T.LGX";
    l.six = l.dir + "/S.LOG";
    std::string twelve(static_cast<std::size_t>(kRecords) * 64, '\0'),
        six(static_cast<std::size_t>(kRecords) * 14, '\0');
    for (int i = 0; i < kRecords; ++i) {
      qv::TwelveChannelFileRecord r;
      r.depth = i * 10;
      r.mask = 0x0FFF;
      for (int k = 0; k < 12; ++k) r.values[k] = static_cast<float>(i + k);
      qv::EncodeTwelveChannel(r, reinterpret_cast<std::uint8_t*>(&twelve[i * 64ull]));
      qv::SixChannelFileRecord s;
      s.rate = 50;
      for (int k = 0; k < 6; ++k) s.counts[k] = static_cast<std::uint16_t>(i + k);
      qv::EncodeSixChannel(s, reinterpret_cast<std::uint8_t*>(&six[i * 14ull]));
    }
    qv::WriteFileAtomically(l.twelve, twelve);
    qv::WriteFileAtomically(l.six, six);
    const int end = (kRecords - 1) * 10;
    qv::WriteFileAtomically(l.dir + "/T.hed", Header(12, 0, end, 10));
    qv::WriteFileAtomically(l.dir + "/S.hed", Header(12, 0, end, 10));
    return l;
  }();
  return logs;
}

void BM_PlainCopy(benchmark::State& state) {
  const Logs& l = TheLogs();
  for (auto _ : state) qv::CopyWholeFile(l.twelve, l.dir + "/copy.LGX");
  state.SetBytesProcessed(state.iterations() * kRecords * 64LL);
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DepthShiftCompleteLog(benchmark::State& state) {
  const Logs& l = TheLogs();
  qv::DepthShiftRequest r;
  r.toolType = 8;
  r.inputPath = l.twelve;
  r.outputPath = l.dir + "/shifted.LGX";
  r.shifts[1] = 1500;
  for (auto _ : state)
    if (!qv::DoDepthShift(r)) state.SkipWithError("shift failed");
  state.SetBytesProcessed(state.iterations() * kRecords * 64LL);
}
BENCHMARK(BM_DepthShiftCompleteLog)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DepthShiftChannels(benchmark::State& state) {
  const Logs& l = TheLogs();
  qv::DepthShiftRequest r;
  r.toolType = 8;
  r.wholeLog = 0;
  r.inputPath = l.twelve;
  r.outputPath = l.dir + "/channels.LGX";
  for (int k = 1; k <= 12; ++k) r.shifts[k] = k * 10;
  for (auto _ : state)
    if (!qv::DoDepthShift(r)) state.SkipWithError("shift failed");
  state.SetBytesProcessed(state.iterations() * kRecords * 64LL);
}
BENCHMARK(BM_DepthShiftChannels)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MergeTwoLogs(benchmark::State& state) {
  const Logs& l = TheLogs();
  qv::MergeParameters p;
  p.outputPath = l.dir + "/merged.LGX";
  p.headerSource = l.twelve;
  for (int k = 1; k <= 6; ++k) p.channels.push_back({"S" + std::to_string(k), "six", l.six, 0, k, k, 0});
  for (int k = 1; k <= 6; ++k) p.channels.push_back({"T" + std::to_string(k), "twelve", l.twelve, 1, k, 6 + k, 1});
  p.channelCount = 12;
  for (auto _ : state)
    if (!qv::MergeLogFiles(&p)) state.SkipWithError("merge failed");
  state.SetBytesProcessed(state.iterations() * kRecords * (64LL + 14LL));
}
BENCHMARK(BM_MergeTwoLogs)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  const double twelve = kRecords * 64.0, six = kRecords * 14.0;
  return qv::bench::RunWithRatios(argc, argv,
                                  {{"BM_DepthShiftChannels/iterations:3", "BM_PlainCopy/iterations:3", 2, twelve,
                                    twelve, "per-channel depth shift / plain copy, per input byte"},
                                   {"BM_MergeTwoLogs/iterations:3", "BM_PlainCopy/iterations:3", 2, twelve + six,
                                    twelve, "merge / plain copy, per input byte"},
                                   {"BM_DepthShiftCompleteLog/iterations:3", "BM_PlainCopy/iterations:3", 2, twelve,
                                    twelve, "whole-log depth shift / plain copy, per input byte"}});
}
