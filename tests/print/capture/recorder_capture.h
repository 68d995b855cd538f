// Reads back what a chart recorder was sent: the bytes become the model's
// commands, each raster command takes exactly the 216 bytes after it as a
// line, and bytes that are no command are reported as stray. The lines can
// be written as a PBM picture (P4, 1728 dots wide, a set bit black).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

using RasterLine = std::array<uint8_t, 216>;

struct CaptureToken {
  std::string name;  // "start", "ESC 0", "raster", "LF", "stray", ...
  size_t offset = 0;
  std::vector<uint8_t> bytes;  // the stray bytes
};

struct DecodedCapture {
  std::vector<CaptureToken> tokens;
  std::vector<RasterLine> lines;
  std::vector<std::string> problems;  // stray bytes and cut commands
};

// MODEL 0 Gulton, 1 and 2 Printrex.
DecodedCapture DecodeCapture(const std::vector<uint8_t>& bytes, int model);
// The token names with runs folded: "start ESC 0 ESC 1 raster x400 ESC 2".
std::string TokenSummary(const DecodedCapture& d);

bool WritePbm(const std::string& path, const std::vector<RasterLine>& lines);
std::vector<uint8_t> ReadBytes(const std::string& path);

}  // namespace qvtest
