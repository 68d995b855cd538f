#include "tests/print/capture/recorder_capture.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace qvtest {
namespace {

struct Command {
  const char* name;
  std::vector<uint8_t> bytes;
  bool raster;
};

std::vector<Command> CommandsOf(int model) {
  constexpr uint8_t E = 0x1B;
  std::vector<Command> c = {
      {"eject N", {E, 'N', 0, 0}, false},
      {"eject O", {E, 'O', 0, 0}, false},
      {"FF", {0x0C, 0, 0, 0}, false},
  };
  if (model == 1 || model == 2) {
    c.push_back({"raster", {E, 'Z', 0x01, 0x00}, true});
    c.push_back({"Printrex start", {E, 'S', 0}, false});
    c.push_back({"paper", {E, 'T', 0, 0}, false});
    c.push_back({"film", {E, 'T', 1, 0}, false});
    c.push_back({"CR", {0x0D}, false});
  } else {
    c.push_back({"raster", {E, 'A', '2', '1', '6', '0', '0', '0'}, true});
    c.push_back({"start", {E, 'E', 0, 0, 0, 0, 0, 0}, false});
    c.push_back({"ESC 0", {E, '0'}, false});
    c.push_back({"ESC 1", {E, '1'}, false});
    c.push_back({"ESC 2", {E, '2'}, false});
    c.push_back({"LF", {0x0A}, false});
  }
  return c;
}

}  // namespace

DecodedCapture DecodeCapture(const std::vector<uint8_t>& bytes, int model) {
  const std::vector<Command> commands = CommandsOf(model);
  DecodedCapture d;
  size_t i = 0;
  while (i < bytes.size()) {
    const Command* found = nullptr;
    for (const Command& c : commands)
      if (bytes.size() - i >= c.bytes.size() && std::equal(c.bytes.begin(), c.bytes.end(), bytes.begin() + i)) {
        found = &c;
        break;
      }
    if (!found) {
      if (d.tokens.empty() || d.tokens.back().name != "stray" ||
          d.tokens.back().offset + d.tokens.back().bytes.size() != i)
        d.tokens.push_back({"stray", i, {}});
      d.tokens.back().bytes.push_back(bytes[i]);
      ++i;
      continue;
    }
    d.tokens.push_back({found->name, i, {}});
    i += found->bytes.size();
    if (found->raster) {
      if (bytes.size() - i < 216) {
        d.problems.push_back("raster command at " + std::to_string(d.tokens.back().offset) + " has only " +
                             std::to_string(bytes.size() - i) + " bytes");
        d.tokens.back().name = "cut raster";
        i = bytes.size();
        break;
      }
      RasterLine line;
      std::copy(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i) + 216, line.begin());
      d.lines.push_back(line);
      i += 216;
    }
  }
  for (const CaptureToken& t : d.tokens)
    if (t.name == "stray")
      d.problems.push_back(std::to_string(t.bytes.size()) + " stray bytes at " + std::to_string(t.offset));
  return d;
}

std::string TokenSummary(const DecodedCapture& d) {
  std::string out;
  for (size_t i = 0; i < d.tokens.size();) {
    size_t j = i;
    while (j < d.tokens.size() && d.tokens[j].name == d.tokens[i].name) ++j;
    if (!out.empty()) out += ' ';
    out += d.tokens[i].name;
    if (j - i > 1) out += " x" + std::to_string(j - i);
    i = j;
  }
  return out;
}

bool WritePbm(const std::string& path, const std::vector<RasterLine>& lines) {
  std::ofstream f(path, std::ios::binary);
  f << "P4\n1728 " << lines.size() << "\n";
  for (const RasterLine& l : lines) f.write(reinterpret_cast<const char*>(l.data()), 216);
  return static_cast<bool>(f);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace qvtest
