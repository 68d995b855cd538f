// Small hand-made logs for the log-file tool tests: data files built record
// by record and header files written as INI text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logtools/engine/staged_output.h"

namespace qvtest {

// A fresh empty folder under the test temporary folder.
std::string FreshFolder(const std::string& name);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// One 14-byte six-channel record.
std::string SixRecord(std::uint8_t flags, std::uint8_t rate, std::vector<std::uint16_t> counts);
// One 64-byte twelve-channel record.
std::string TwelveRecord(std::int32_t depth, std::int32_t time, std::uint32_t mask, std::uint32_t word,
                         std::vector<float> values);

std::int32_t Int32At(const std::string& bytes, std::size_t offset);
std::uint16_t U16At(const std::string& bytes, std::size_t offset);
float FloatAt(const std::string& bytes, std::size_t offset);

}  // namespace qvtest

namespace qvtest {

// The numbers of a hand-made header.
struct Header {
  int logMode = 12;
  int depthUnit = 0;
  int startDepth = 0;
  int endDepth = 0;
  int step = 10;
  int comStd = 0;
  const char* sonde = "TEST";
  int sondeLength = 0;
};
// Writes a minimal header file (INI text, CR LF) with the product ident, the
// WellInfo numbers and EXTRA appended as it is.
void WriteHeader(const std::string& path, const Header& h, const std::string& extra = "");
// Every regular file of a folder with its bytes, to compare whole folders.
std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& dir);

}  // namespace qvtest

namespace qvtest {
// Installs an output fault hook for one scope.
struct HookGuard {
  explicit HookGuard(qv::OutputFaultHook h) { qv::SetOutputFaultHook(std::move(h)); }
  ~HookGuard() { qv::SetOutputFaultHook(nullptr); }
};
}  // namespace qvtest
