// Reading and writing a whole 16-channel header, beside reading and writing
// the same file's bytes with nothing else to do (written the same safe way:
// temporary file, flush, rename).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/ratio_report.h"
#include "header/header.h"
#include "platform/files/atomic_file.h"

namespace {

std::string Folder() {
  const char* tmp = std::getenv("QV_TEST_TMP");
  std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp") / "bench_header";
  std::filesystem::create_directories(dir);
  return dir.string();
}

struct Header16 {
  HeaderInfo info;
  CurveArray curves;
  TrackArray tracks;
  CalibrationArray calibration;
  TrailerText trailer{"Logged by the bench", "line two", "", "end"};
  std::string chain = "NEXT.LOG";
  std::string library = "/opt/userfunction/bench.so";
  int scale = 200;
  int sondeLength = 235;

  Header16() {
    info.Company = "Bench Company";
    info.Wellname = "BH-1";
    info.LogMode = 11;
    info.Startdepth = 150000;
    info.Step = 100;
    for (auto& c : info.Comment) c = "remark";
    for (int ch = 1; ch <= 16; ++ch) {
      auto c = std::make_unique<CurveRecord>();
      c->physicalChannel = ch;
      c->description = "Channel " + std::to_string(ch);
      c->shortTitle = "C" + std::to_string(ch);
      c->unit = "CPS";
      c->scaleMaximum = 100.0f * static_cast<float>(ch);
      curves.push_back(std::move(c));
    }
    for (int t = 0; t < 4; ++t) {
      auto track = std::make_unique<TrackRecord>();
      track->type = t == 1 ? 1 : 2;
      tracks.push_back(std::move(track));
    }
    for (int ch = 1; ch <= 12; ++ch) {
      auto cal = std::make_unique<ChannelCalibration>();
      cal->physicalChannel = ch;
      cal->calFlag = 1;
      cal->coefficientCount = 4;
      cal->coefficients = Coefficients{0.5, 1.25, 1e-4, 0};
      cal->referencePoints = {"100 CPS at 10 API", "900 CPS at 90 API"};
      calibration.push_back(std::move(cal));
    }
  }

  int Write(const std::string& path) const {
    return CHeader().WriteHeader(path, &chain, &info, &curves, &tracks, &calibration, &scale, &library, &sondeLength,
                                 &trailer);
  }
};

std::string PreparedLog() {
  const std::string data = Folder() + "/BENCH.LOG";
  std::filesystem::remove(Folder() + "/BENCH.hed");
  WriteHeaderIdent(data);
  Header16().Write(data);
  return data;
}

void BM_WriteHeader16(benchmark::State& state) {
  const std::string data = PreparedLog();
  Header16 header;
  for (auto _ : state) benchmark::DoNotOptimize(header.Write(data));
}
BENCHMARK(BM_WriteHeader16);

void BM_ReadHeader16(benchmark::State& state) {
  const std::string data = PreparedLog();
  for (auto _ : state) {
    std::string chain, library;
    HeaderInfo info;
    CurveArray curves;
    TrackArray tracks;
    CalibrationArray calibration;
    int scale = 0, flag = 0, length = 0;
    TrailerText trailer;
    benchmark::DoNotOptimize(CHeader().OpenHeader(data, &chain, &info, &curves, &tracks, &calibration, &scale, &flag,
                                                  &library, &length, &trailer));
  }
}
BENCHMARK(BM_ReadHeader16);

// The floor: the same file's bytes read whole and written whole.
void BM_ReadBytesOnly(benchmark::State& state) {
  const std::string hed = Folder() + "/BENCH.hed";
  PreparedLog();
  for (auto _ : state) {
    std::ifstream in(hed, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    benchmark::DoNotOptimize(ss.str());
  }
}
BENCHMARK(BM_ReadBytesOnly);

void BM_WriteBytesOnly(benchmark::State& state) {
  const std::string hed = Folder() + "/BENCH.hed";
  PreparedLog();
  std::ifstream in(hed, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string bytes = ss.str();
  const std::string copy = Folder() + "/BYTES.hed";
  for (auto _ : state) benchmark::DoNotOptimize(qv::WriteFileAtomically(copy, bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteBytesOnly);

}  // namespace

int main(int argc, char** argv) {
  return qv::bench::RunWithRatios(
      argc, argv,
      {{"BM_ReadHeader16", "BM_ReadBytesOnly", 10, 1, 1, "16-channel header read / its bytes"},
       {"BM_WriteHeader16", "BM_WriteBytesOnly", 3, 1, 1, "16-channel header write / its bytes, written safely"}});
}
