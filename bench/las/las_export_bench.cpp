// Exports a six-channel log of a million records to LAS and reports rows per
// second, beside writing the same number of rows as plain formatted text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "logtools/las/las_export.h"

namespace {

constexpr int kRecords = 1000000;

std::string Folder() {
  const char* tmp = std::getenv("QV_TEST_TMP");
  std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp") / "bench_las";
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string PrepareLog() {
  const std::string data = Folder() + "/BIG.LOG";
  if (std::filesystem::exists(data) && std::filesystem::file_size(data) == 14u * kRecords) return data;
  std::ofstream out(data, std::ios::binary | std::ios::trunc);
  unsigned char record[14] = {0, 50};
  for (int r = 0; r < kRecords; ++r) {
    for (int c = 0; c < 6; ++c) {
      const unsigned v = static_cast<unsigned>(r % 4000 + 100 * c);
      record[2 + 2 * c] = static_cast<unsigned char>(v & 0xFF);
      record[3 + 2 * c] = static_cast<unsigned char>(v >> 8);
    }
    out.write(reinterpret_cast<const char*>(record), sizeof record);
  }
  std::ofstream(Folder() + "/BIG.hed", std::ios::binary | std::ios::trunc)
      << "[General]\r\nIdent=QUORVANTA\r\nSondeLength=150\r\n[WellInfo]\r\nDepthUnit=0\r\nLogMode=12\r\n"
         "Startdepth=0\r\nEndDepth=9999990\r\nStep=10\r\n"
         "[Channel0]\r\nTitle=A\r\nTitleShort=A\r\nPhysicalCh=1\r\nFilterType=1\r\nFilterWidth=5\r\nOffset=20\r\n"
         "[Channel1]\r\nTitle=B\r\nTitleShort=B\r\nPhysicalCh=2\r\nFilterType=2\r\nFilterWidth=7\r\n";
  return data;
}

void BM_ExportMillionRecords(benchmark::State& state) {
  const std::string data = PrepareLog();
  HeaderInfo header;
  header.LogMode = 12;
  header.Startdepth = 0;
  header.EndDepth = (kRecords - 1) * 10;
  header.Step = 10;
  CurveRecord curves[6];
  LasChannels channels;
  for (int c = 0; c < 6; ++c) {
    curves[c].physicalChannel = c + 1;
    curves[c].shortTitle = "CH" + std::to_string(c + 1);
    channels.push_back(&curves[c]);
  }
  for (auto _ : state) {
    std::filesystem::remove(Folder() + "/BIG.LAS");
    LasExportSettings s;
    s.InputPath = data;
    s.LasPath = Folder() + "/BIG.LAS";
    s.RawFilter = 1;
    s.FromDepth = header.Startdepth;
    s.ToDepth = header.EndDepth;
    s.Interval = 10;
    s.ReverseDepth = static_cast<int>(state.range(0));
    benchmark::DoNotOptimize(ExportLas(&s, &header, &channels));
  }
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportMillionRecords)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The floor: the same number of rows of seven "%9.2f " fields written plainly.
void BM_PlainFormattedRows(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* f = std::fopen((Folder() + "/PLAIN.txt").c_str(), "wb");
    for (int r = 0; r < kRecords; ++r) {
      const double d = r * 0.01;
      std::fprintf(f, "%9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f \r\n", d, d + 1, d + 2, d + 3, d + 4, d + 5, d + 6);
    }
    std::fclose(f);
  }
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainFormattedRows)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
