// Text blocks on the recorder: a recorder per model and direction, the dots
// of decoded lines, text boxes masked out of a capture, and the golden check.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "print/recorder/chart_text.h"
#include "print/recorder/text_blocks.h"
#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {

inline std::unique_ptr<CGulton> TextRecorder(uint8_t model, int direction) {
  const TrackScale zero[5] = {};
  return std::make_unique<CGulton>(model, kPrintPlot, kVerticalTime, zero, -1, 0, direction);
}

inline bool Dot(const RasterLine& line, int dot) {
  return (line[static_cast<size_t>(dot / 8)] >> (7 - dot % 8)) & 1;
}

inline bool SameRaster(const qv::MonoRaster& a, const qv::MonoRaster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    if (std::memcmp(a.Row(y), b.Row(y), static_cast<size_t>(a.Stride())) != 0) return false;
  return true;
}

// Every inked (line, dot) of LINES.
inline std::vector<std::pair<int, int>> InkedDots(const std::vector<RasterLine>& lines) {
  std::vector<std::pair<int, int>> dots;
  for (size_t l = 0; l < lines.size(); ++l)
    for (int d = 0; d < kRasterDots; ++d)
      if (Dot(lines[l], d)) dots.emplace_back(static_cast<int>(l), d);
  return dots;
}

inline void ClearDot(RasterLine& line, int dot) {
  line[static_cast<size_t>(dot / 8)] = static_cast<uint8_t>(line[static_cast<size_t>(dot / 8)] & ~(0x80 >> (dot % 8)));
}

// Clears the box of a text drawn at (x, y) on an upright block HEIGHT rows
// high (2 dots of margin round its advance and cell), where the block's
// direction put it.
inline void MaskBlockText(std::vector<RasterLine>& lines, int height, bool turned, int x, int y,
                          const std::string& text) {
  const int w = qv::ChartTextWidth(text, qv::kTextBlockFont);
  for (int row = y - 2; row < y + qv::kTextBlockFont + 2; ++row)
    for (int col = x - 2; col < x + w + 2; ++col) {
      if (row < 0 || row >= height || col < 0 || col >= qv::kTextBlockWidth) continue;
      const int line = turned ? height - 1 - row : row;
      ClearDot(lines[static_cast<size_t>(line)], turned ? qv::kTextBlockWidth - 1 - col : col);
    }
}

// LINES against the golden picture NAME, every dot exact (QV_UPDATE_GOLDEN
// set writes the picture instead).
inline void ExpectGoldenPicture(const std::string& dir, const std::string& name, const std::vector<RasterLine>& lines) {
  const std::string golden = std::string(QV_TEST_SOURCE_DIR) + "/golden/" + name;
  if (std::getenv("QV_UPDATE_GOLDEN")) {
    ASSERT_TRUE(WritePbm(golden, lines));
    return;
  }
  if (std::system("command -v compare >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick compare missing";
  const std::string out = dir + "/" + name;
  ASSERT_TRUE(WritePbm(out, lines));
  const std::string command = "compare -metric AE '" + golden + "' '" + out + "' null: 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buf[128] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, pipe);
  ::pclose(pipe);
  EXPECT_EQ(std::string(buf, n), "0") << name;
}

}  // namespace qvtest
