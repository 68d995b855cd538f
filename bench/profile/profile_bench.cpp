// Reads a sixteen-channel header's worth of keys through the profile layer,
// key by key as the header store does, beside the time to read the file's
// bytes once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
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

// Parsing and indexing alone, from bytes in memory.
void BM_ParseOnly(benchmark::State& state) {
  const Header& h = TheHeader();
  std::string bytes;
  qv::ReadWholeFile(h.path, bytes);
  for (auto _ : state) {
    qv::ProfileFile p;
    p.Parse(bytes);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMicrosecond);

// A profile of COUNT keys in sections of 24 (a header grown to many
// channels), its file made older than the profile layer's settling time so
// that lookups run from the parsed copy, and its keys in a scattered order.
const Header& SizedHeader(int count) {
  static std::map<int, Header> made;
  auto it = made.find(count);
  if (it != made.end()) return it->second;
  Header out;
  out.path = (std::filesystem::temp_directory_path() / ("qv_bench_keys" + std::to_string(count) + ".ini")).string();
  qv::ProfileFile p;
  p.Parse({});
  for (int i = 0; i < count; ++i) {
    const std::string section = qv::FormatC("Channel%d", i / 24), key = qv::FormatC("Key%d", i % 24);
    p.Set(section, key, qv::FormatC("%.15G", i * 1.25));
    out.keys.emplace_back(section, key);
  }
  p.SaveAs(out.path);
  std::filesystem::last_write_time(out.path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  for (std::size_t i = 0; i < out.keys.size(); ++i) std::swap(out.keys[i], out.keys[(i * 7919) % out.keys.size()]);
  return made.emplace(count, std::move(out)).first->second;
}

// One key looked up through the private-profile call, per key.
void BM_LookupThroughCall(benchmark::State& state) {
  const Header& h = SizedHeader(static_cast<int>(state.range(0)));
  char buf[256];
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [section, key] = h.keys[i++ % h.keys.size()];
    benchmark::DoNotOptimize(qv::GetPrivateProfileString(section.c_str(), key.c_str(), "", buf, sizeof buf, h.path));
  }
}
BENCHMARK(BM_LookupThroughCall)->Arg(96)->Arg(6144);

// One key looked up in a loaded profile, per key.
void BM_LookupLoaded(benchmark::State& state) {
  const Header& h = SizedHeader(static_cast<int>(state.range(0)));
  qv::ProfileFile p;
  p.Load(h.path);
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [section, key] = h.keys[i++ % h.keys.size()];
    benchmark::DoNotOptimize(p.Get(section, key));
  }
}
BENCHMARK(BM_LookupLoaded)->Arg(96)->Arg(6144);

}  // namespace

int main(int argc, char** argv) {
  // Flat: a key costs about the same in a file 64 times the size. Without
  // the call's stat the loaded lookup is a few cache lines, so a table and
  // lines that no longer fit the caches show in it.
  return qv::bench::RunWithRatios(
      argc, argv,
      {{"BM_LookupThroughCall/6144", "BM_LookupThroughCall/96", 1.5, 1, 1, "key lookup (call), 6144 / 96 keys"},
       {"BM_LookupLoaded/6144", "BM_LookupLoaded/96", 2.0, 1, 1, "key lookup (loaded), 6144 / 96 keys"}});
}
