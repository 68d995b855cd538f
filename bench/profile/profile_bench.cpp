// Reads a sixteen-channel header's worth of keys through the profile layer,
// key by key as the header store does, beside the time to read the file's
// bytes once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"

namespace {

struct Header {
  std::string path;
  std::vector<std::pair<std::string, std::string>> keys;  // section, key
};

const Header& TheHeader() {
  static const Header h = [] {
    Header out;
    out.path = (std::filesystem::temp_directory_path() / "qv_bench_header.hed").string();
    qv::ProfileFile p;
    p.Parse({});
    auto put = [&](const std::string& s, const std::string& k, const std::string& v) {
      p.Set(s, k, v);
      out.keys.emplace_back(s, k);
    };
    put("General", "Ident", "QUORVANTA");
    put("General", "Revision", "V1.5, Build: 406");
    put("General", "Scale", "200");
    for (int i = 0; i < 110; ++i) put("WellInfo", qv::FormatC("Info%d", i), qv::FormatC("value %d", i));
    const char* channelKeys[] = {"Visible",      "InvertScale",    "HeaderLine",   "DisplayTrack", "Title",
                                 "TitleShort",   "Unit",           "PhysicalCh",   "LogicalCh",    "Window",
                                 "LineColour",   "PrintParameter", "RangeLeft",    "RangeRight",   "CalFlag",
                                 "Coefficient0", "Coefficient1",   "Coefficient2", "Coefficient3", "JigCount",
                                 "FilterFlag",   "FilterType",     "FilterWidth",  "Offset"};
    for (int c = 0; c < 16; ++c)
      for (const char* k : channelKeys) put(qv::FormatC("Channel%d", c), k, qv::FormatC("%.15G", c * 1.25));
    for (int t = 0; t < 4; ++t)
      for (const char* k : {"Style", "Type", "GridFlag", "GridStyle", "GridColour"})
        put(qv::FormatC("Track%d", t), k, "1");
    for (int t = 1; t <= 4; ++t) put("TrailerText", qv::FormatC("Text%d", t), std::string(80, 'x'));
    p.SaveAs(out.path);
    return out;
  }();
  return h;
}

void BM_ReadFileBytesOnce(benchmark::State& state) {
  const Header& h = TheHeader();
  std::string bytes;
  for (auto _ : state) {
    qv::ReadWholeFile(h.path, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadFileBytesOnce);

void BM_ReadHeaderKeyByKey(benchmark::State& state) {
  const Header& h = TheHeader();
  char buf[256];
  for (auto _ : state) {
    for (const auto& [section, key] : h.keys)
      qv::GetPrivateProfileString(section.c_str(), key.c_str(), "", buf, sizeof buf, h.path);
    benchmark::DoNotOptimize(buf);
  }
  state.counters["keys"] = static_cast<double>(h.keys.size());
}
BENCHMARK(BM_ReadHeaderKeyByKey)->Unit(benchmark::kMicrosecond);

void BM_ReadHeaderBatch(benchmark::State& state) {
  const Header& h = TheHeader();
  for (auto _ : state) {
    qv::ProfileFile p;
    p.Load(h.path);
    for (const auto& [section, key] : h.keys) benchmark::DoNotOptimize(p.Get(section, key));
  }
}
BENCHMARK(BM_ReadHeaderBatch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
