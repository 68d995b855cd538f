// quorva_sim_firmware FOLDER: writes MDATA.ENC, MPROG.ENC and SLAVE.ENC for
// the simulated unit into FOLDER (existing files stay).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "devices/tbdevice/internal.h"

namespace {
// The big-endian word count, then bytes counting up from seed, scrambled as
// stored images are.
std::vector<uint8_t> Image(uint16_t words, size_t bytes, uint8_t seed) {
  std::vector<uint8_t> plain{static_cast<uint8_t>(words >> 8), static_cast<uint8_t>(words & 0xFF)};
  for (size_t i = 0; i < bytes; ++i) plain.push_back(static_cast<uint8_t>(seed + i));
  tbdev::Descrambler key;
  for (uint8_t& b : plain) b ^= key.Next();
  return plain;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorva_sim_firmware FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  struct Spec {
    const char* name;
    uint16_t words;
    size_t bytes;
    uint8_t seed;
  };
  for (const Spec& s : {Spec{"MDATA.ENC", 59, 118, 1}, Spec{"MPROG.ENC", 0, 0, 0}, Spec{"SLAVE.ENC", 130, 130, 7}}) {
    const std::filesystem::path path = folder / s.name;
    if (std::filesystem::exists(path)) continue;
    const std::vector<uint8_t> bytes = Image(s.words, s.bytes, s.seed);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
