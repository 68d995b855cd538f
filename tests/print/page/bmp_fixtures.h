// Hand-made BMP files: every byte of the file header, the info header, the
// colour table and the pixel rows is laid down here, so each fixture shows
// exactly the layout it is named after.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

struct BmpSpec {
  std::uint32_t headerSize = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: top-down rows
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::uint32_t clrUsed = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, written blue, green, red, 0
  std::string pixels;                  // the pixel bytes as stored
  std::uint32_t gap = 0;               // bytes between the colour table and the pixels
};

inline void Put16(std::string& s, std::uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

inline std::string MakeBmp(const BmpSpec& b) {
  std::string info;
  Put32(info, b.headerSize);
  if (b.headerSize == 12) {
    Put16(info, std::uint32_t(b.width));
    Put16(info, std::uint32_t(b.height));
    Put16(info, 1);
    Put16(info, b.bitCount);
  } else {
    Put32(info, std::uint32_t(b.width));
    Put32(info, std::uint32_t(b.height));
    Put16(info, 1);
    Put16(info, b.bitCount);
    Put32(info, b.compression);
    Put32(info, b.sizeImage);
    Put32(info, 2835);  // 72 dpi
    Put32(info, 2835);
    Put32(info, b.clrUsed);
    Put32(info, 0);
    if (b.headerSize >= 108) {
      Put32(info, 0x00FF0000);  // masks
      Put32(info, 0x0000FF00);
      Put32(info, 0x000000FF);
      Put32(info, 0xFF000000);
      Put32(info, 0x73524742);  // 'sRGB'
    }
    info.resize(b.headerSize, '\0');
  }
  std::string table;
  for (std::uint32_t c : b.palette) {
    table.push_back(char(c & 0xFF));
    table.push_back(char((c >> 8) & 0xFF));
    table.push_back(char((c >> 16) & 0xFF));
    table.push_back('\0');
  }
  const std::uint32_t offset = 14 + std::uint32_t(info.size() + table.size()) + b.gap;
  std::string file = "BM";
  Put32(file, offset + std::uint32_t(b.pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  file += info + table + std::string(b.gap, '\x55') + b.pixels;
  return file;
}

}  // namespace qvtest
