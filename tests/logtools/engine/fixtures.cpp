#include "fixtures.h"
#include "tests/support/test_files.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qvtest {

std::string FreshFolder(const std::string& name) {
  return qv::test::ScratchFolder("logtools", name);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

static void PutLE(std::string& s, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string SixRecord(std::uint8_t flags, std::uint8_t rate, std::vector<std::uint16_t> counts) {
  counts.resize(6);
  std::string s;
  s.push_back(static_cast<char>(flags));
  s.push_back(static_cast<char>(rate));
  for (auto c : counts) PutLE(s, c, 2);
  return s;
}

std::string TwelveRecord(std::int32_t depth, std::int32_t time, std::uint32_t mask, std::uint32_t word,
                         std::vector<float> values) {
  values.resize(12);
  std::string s;
  PutLE(s, static_cast<std::uint32_t>(depth), 4);
  PutLE(s, static_cast<std::uint32_t>(time), 4);
  PutLE(s, mask, 4);
  PutLE(s, word, 4);
  for (float v : values) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    PutLE(s, u, 4);
  }
  return s;
}

static std::uint32_t U32At(const std::string& b, std::size_t o) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(o + i));
  return v;
}
std::int32_t Int32At(const std::string& b, std::size_t o) {
  return static_cast<std::int32_t>(U32At(b, o));
}
std::uint16_t U16At(const std::string& b, std::size_t o) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(o)) | static_cast<unsigned char>(b.at(o + 1)) << 8);
}
float FloatAt(const std::string& b, std::size_t o) {
  std::uint32_t u = U32At(b, o);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

}  // namespace qvtest

#include <algorithm>

namespace qvtest {

void WriteHeader(const std::string& path, const Header& h, const std::string& extra) {
  std::string s = "[General]\r\nIdent=QUORVANTA\r\nSondeLength=" + std::to_string(h.sondeLength) +
                  "\r\n[WellInfo]\r\nComStd=" + std::to_string(h.comStd) +
                  "\r\nDepthUnit=" + std::to_string(h.depthUnit) + "\r\nLogMode=" + std::to_string(h.logMode) +
                  "\r\nStartdepth=" + std::to_string(h.startDepth) + "\r\nEndDepth=" + std::to_string(h.endDepth) +
                  "\r\nStep=" + std::to_string(h.step) + "\r\nSondeAbbreviation=" + h.sonde + "\r\n" + extra;
  WriteBytes(path, s);
}

std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> out;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.is_regular_file()) out.emplace_back(e.path().string(), ReadBytes(e.path().string()));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace qvtest
