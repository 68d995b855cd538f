// The televiewer chart: cells of each grey level, error diffusion, adaptive
// transit levels, the margin number over the eight rows after a depth tick,
// and the framing of rows and heading.
#include <gtest/gtest.h>

#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {
namespace {

using TeleviewerTest = RecorderTest;

std::unique_ptr<CGulton> Televiewer(uint8_t model) {
  auto g = std::make_unique<CGulton>(model, kPrintTeleviewer, 0, nullptr, 1, 0, 1);
  g->SetDigitGlyphs(SyntheticGlyphs());
  return g;
}

TeleviewerImageRow Row(int amplitude, int transit, uint8_t marks = 0) {
  TeleviewerImageRow r{};
  std::fill(std::begin(r.amplitude), std::end(r.amplitude), static_cast<uint8_t>(amplitude));
  std::fill(std::begin(r.transit), std::end(r.transit), static_cast<uint8_t>(transit));
  r.marks = marks;
  return r;
}

// Dots set in the cell of COLUMN over the four lines.
int CellDots(const std::vector<RasterLine>& lines, size_t first, int column) {
  int n = 0;
  for (size_t l = first; l < first + 4; ++l)
    for (int x = 4 * column; x < 4 * column + 4; ++x) n += (lines[l][static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
  return n;
}

TEST_F(TeleviewerTest, CellsOfEachLevel) {
  struct Case {
    uint8_t model;
    int amplitude, transit;
    int amplitudeDots, transitDots;
  };
  const Case cases[] = {
      {0, 0, 0, 8, 3},     // 64 - 1 passes all six levels (10 to 60); 128 - 1 passes 40, 80, 120
      {0, 63, 127, 0, 0},  // value 1 passes none
      {0, 34, 68, 2, 1},   // 30 - 1 passes 10 and 20; 60 - 1 passes 40
      {1, 0, 0, 15, 7},    // step 4: 64 - 1 passes 4 to 60; 128 passes 26 to 122
      {1, 63, 127, 0, 0},
  };
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Televiewer(c.model);
    const TeleviewerImageRow row = Row(c.amplitude, c.transit);
    g->PrintTeleviewerRows(&row, 1, 0);
    const auto lines = DecodeCapture(log->Bytes(), c.model).lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(CellDots(lines, 0, 100), c.amplitudeDots) << int(c.model) << " " << c.amplitude;
    EXPECT_EQ(CellDots(lines, 0, 300), c.transitDots) << int(c.model) << " " << c.transit;
  }
}

TEST_F(TeleviewerTest, DiffusionCarriesTheRestToLaterCells) {
  // Value 15 on a Gulton passes level 10 only (one dot); the 5 left over
  // adds up so that some later cells pass level 20 as well.
  auto count = [&](int flags) {
    log = std::make_shared<PortLog>();
    auto g = Televiewer(0);
    const std::vector<TeleviewerImageRow> rows(8, Row(64 - 16, 127));
    g->PrintTeleviewerRows(rows.data(), 8, flags);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    int dots = 0;
    for (size_t r = 0; r < 8; ++r)
      for (int column = 60; column < 180; ++column) dots += CellDots(lines, r * 4, column);
    return dots;
  };
  const int plain = count(0), diffused = count(1);
  EXPECT_EQ(plain, 8 * 120);
  EXPECT_GT(diffused, plain + 8 * 120 / 4);
  EXPECT_LT(diffused, 2 * plain);
}

TEST_F(TeleviewerTest, AdaptiveTransitLevels) {
  uint8_t same[128];
  std::fill(std::begin(same), std::end(same), 28);  // value 100 everywhere
  EXPECT_EQ(CGulton::AdaptiveTransitLevels(same, 6), (std::vector<int>{0, 0, 0, 0, 0, 100}));
  // A sample of 0 is the value 128: counted without overrunning, never listed.
  uint8_t mixed[128];
  for (int j = 0; j < 128; ++j) mixed[j] = j < 64 ? 0 : j < 100 ? 118 : 108;
  EXPECT_EQ(CGulton::AdaptiveTransitLevels(mixed, 6), (std::vector<int>{0, 0, 0, 0, 10, 20}));
}

TEST_F(TeleviewerTest, DepthTickLaysTheTurnedNumberOverEightRows) {
  auto g = Televiewer(0);
  std::vector<TeleviewerImageRow> rows(10, Row(63, 127));
  rows[0].marks = kRowDepthTick | kRowLoggingDown;
  g->PrintTeleviewerRows(rows.data(), 10, 0);
  EXPECT_EQ(g->CurrentNumber(), 1);
  const auto lines = DecodeCapture(log->Bytes(), 0).lines;
  ASSERT_EQ(lines.size(), 40u);
  // Mark buffer row m is line m of the chart, in byte columns 102 to 109.
  for (size_t m = 0; m < 40; ++m) {
    for (int b = 0; b < 8; ++b) {
      const uint8_t expected = m < 32 ? g->MarkBuffer()[m * 8 + static_cast<size_t>(b)] : 0;
      EXPECT_EQ(lines[m][static_cast<size_t>(102 + b)], expected) << m << " " << b;
    }
  }
  // Turned: the units' digit (1) comes first, the thousands' (0) last.
  EXPECT_EQ(g->MarkBuffer()[1], g->DigitGlyph(1)[1]);
  EXPECT_EQ(g->MarkBuffer()[7], g->DigitGlyph(0)[1]);
}

TEST_F(TeleviewerTest, HeadingAndFooterFraming) {
  for (uint8_t model : {0, 1}) {
    log = std::make_shared<PortLog>();
    auto g = Televiewer(model);
    g->PrintTeleviewerHeader();
    g->PrintTeleviewerFooter();
    const auto d = DecodeCapture(log->Bytes(), model);
    EXPECT_TRUE(d.problems.empty());
    EXPECT_EQ(TokenSummary(d), model == 0 ? "start ESC 0 ESC 1 raster x100 ESC 2 start ESC 0 ESC 1 raster x100 ESC 2"
                                          : "paper raster x100 paper raster x100");
    // The heading's axis at the bottom (y 98 to 101 with a 4-dot pen), the
    // footer's at the top.
    EXPECT_EQ(d.lines[99][30], 0xFF);
    EXPECT_EQ(d.lines[100][30], 0xFF);
  }
}

}  // namespace
}  // namespace qvtest
