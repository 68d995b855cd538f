// The chart's vertical bookkeeping: start depth and margin number, feeding
// to the depth, the digits of a number, the grid templates and the lines of
// a chart with its grid and numbers.
#include <gtest/gtest.h>

#include "print/recorder/chart_text.h"
#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {
namespace {

constexpr int kMetric = 0;

TEST_F(RecorderTest, StartDepthGivesTheAlignedNumber) {
  const struct {
    int kind, scale, direction, depth, number;
  } cases[] = {
      {kMetric, 200, 0, 12345, 122},
      {kMetric, 200, 1, 12345, 124},
      {kMetric, 100, 0, 12345, 123},
      {kMetric, 100, 1, 12345, 124},
      {kMetric, 100, 0, -150, -2},
      {kMetric, 100, 1, -150, -1},
      {kMetric, 100, 1, 12300, 123},
      {kMetric, 1000, 0, 12345, 120},
      {kMetric, 1000, 1, 12345, 130},
      {kMetric, 250, 0, 12345, 120},
      {kMetric, 500, 1, 12345, 125},
      {kMetric, 40, 1, 12345, 124},
      {kMetric, 300, 0, 12345, 123},
      {kVerticalImperial, 120, 0, 1234, 10},
      {kVerticalImperial, 120, 1, 1234, 20},
      {kVerticalImperial, 240, 0, 12345, 100},
      {kVerticalImperial, 240, 1, 12345, 150},
      {kVerticalImperial, 60, 1, 1201, 15},
      {kVerticalImperial, 11, 0, 12345, 123},
      {kVerticalImperial, 11, 1, 12345, 124},
      {kVerticalTime, -1, 0, 12345, 123},
  };
  for (const auto& c : cases) {
    auto g = Plot(c.kind, c.scale, c.direction);
    g->SetStartDepth(c.depth);
    EXPECT_EQ(g->CurrentNumber(), c.number) << c.kind << " 1:" << c.scale << " dir " << c.direction << " " << c.depth;
    EXPECT_EQ(g->CurrentDepth(), c.depth);
  }
}

TEST_F(RecorderTest, AdvanceToDepthSendsOneLineAndMovesTheBookkeeping) {
  const struct {
    int kind, scale, depth, lines;
  } cases[] = {
      {kMetric, 200, 12345, 145 * 78 / 200},
      {kMetric, 100, 12399, 99 * 78 / 100},
      {kMetric, 1000, 1100, 100 * 78 / 1000},
      {kVerticalImperial, 120, 1100, 20},  // 1 ft at 10 ft per inch
      {kVerticalImperial, 60, 1234, 234 * 200 / 500},
      {kVerticalTime, -1, 12345, 0},
      {kMetric, 300, 12345, 0},           // outside the tables
      {kVerticalImperial, 11, 12345, 0},  // 1:11 is 0 feet per inch
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " 1:" << c.scale << " " << c.depth);
    log = std::make_shared<PortLog>();
    auto g = Plot(c.kind, c.scale);
    g->SetStartDepth(c.depth);
    g->AdvanceToDepth();
    EXPECT_EQ(g->ChartLineCount(), c.lines);
    EXPECT_NEAR(g->PaperPosition(), 0.127 * c.lines, 1e-9);
    ASSERT_EQ(log->writes.size(), 1u);
    const std::vector<uint8_t>& w = log->writes[0];
    EXPECT_EQ(std::vector<uint8_t>(w.begin() + 8, w.end()),
              std::vector<uint8_t>(g->GridTemplate(1), g->GridTemplate(1) + 216));
  }
}

bool GlyphInk(const uint8_t* glyph, int x, int y) {
  return (glyph[y * 2 + x / 8] >> (7 - x % 8)) & 1;
}

TEST_F(RecorderTest, MarkNumbersLayFourDigitSlots) {
  const auto glyphs = SyntheticGlyphs();
  const struct {
    int direction, value;
    int slots[4];  // digit per slot, -1 blank
  } cases[] = {
      {0, 12345, {-1, 3, 4, 5}}, {0, 7, {0, 0, 0, 7}},    {0, -42, {0, 0, 4, 2}},
      {0, 9999, {9, 9, 9, 9}},   {1, 1234, {4, 3, 2, 1}}, {1, 12345, {5, 4, 3, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "direction " << c.direction << " value " << c.value);
    auto g = Plot(kMetric, 200, c.direction);
    g->SetDigitGlyphs(glyphs);
    g->ComposeMarkNumber(c.value);
    for (int slot = 0; slot < 4; ++slot) {
      const int d = c.slots[slot];
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x) {
          const uint8_t* row = g->MarkBuffer() + y * 8 + slot * 2;
          const bool ink = (row[x / 8] >> (7 - x % 8)) & 1;
          bool want = false;
          if (d >= 0)  // the turned chart's digits are the upright ones turned by 180 degrees
            want = c.direction == 1 ? GlyphInk(glyphs[d].data(), 15 - x, 31 - y) : GlyphInk(glyphs[d].data(), x, y);
          ASSERT_EQ(ink, want) << "slot " << slot << " at " << x << "," << y;
        }
    }
  }
  // Time charts and the heat-pulse result carry blank numbers.
  auto time = Plot(kVerticalTime, -1);
  time->SetDigitGlyphs(glyphs);
  time->ComposeMarkNumber(1234);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(time->MarkBuffer()[i], 0);
}

TEST_F(RecorderTest, DigitGlyphsOfATurnedChartAreTheUprightOnesTurned) {
  if (!qv::ChartFontAvailable()) GTEST_SKIP() << "Liberation Sans is not installed (scripts/deps.sh)";
  auto upright = Plot(kMetric, 200, 0);
  auto turned = Plot(kMetric, 200, 1);
  for (int d = 0; d < 10; ++d) {
    int ink = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 16; ++x) {
        ink += GlyphInk(upright->DigitGlyph(d), x, y);
        ASSERT_EQ(GlyphInk(turned->DigitGlyph(d), x, y), GlyphInk(upright->DigitGlyph(d), 15 - x, 31 - y)) << d;
      }
    EXPECT_GT(ink, 40) << "digit " << d << " has ink";
  }
  EXPECT_EQ(CGulton::CenterGlyphs(100, 301, 3), 100 + 201 / 2 - 24);
}

std::vector<int> DotsOf(const uint8_t* line, int from, int to) {
  std::vector<int> dots;
  for (int x = from; x <= to; ++x)
    if ((line[x / 8] >> (7 - x % 8)) & 1) dots.push_back(x - from);
  return dots;
}

TEST_F(RecorderTest, GridTemplatesFollowTheTrackScales) {
  // Track 1 linear, track 2 over one decade from 1, track 3 over two
  // decades running the other way.
  TrackScale scales[4] = {{0, 0}, {0, 0}, {1, 1}, {1, -2}};
  CGulton g(0, kPrintPlot, kMetric, scales, 200, 0, 0);
  // Template 1: solid tracks.
  const uint8_t* t1 = g.GridTemplate(1);
  for (int b = 0; b < 216; ++b) {
    const uint8_t want = b < 63     ? 0xFF
                         : b == 63  ? 0xF8
                         : b < 82   ? 0
                         : b == 82  ? 0x3F
                         : b < 209  ? 0xFF
                         : b == 209 ? 0xFC
                                    : 0;
    ASSERT_EQ(t1[b], want) << b;
  }
  const uint8_t* t2 = g.GridTemplate(2);
  const uint8_t* t3 = g.GridTemplate(3);
  using V = std::vector<int>;
  // Linear track 1: ten divisions, the centre dot and the border dots.
  EXPECT_EQ(DotsOf(t2, 0, 511), (V{0, 1, 51, 102, 152, 203, 254, 255, 305, 355, 406, 457, 507, 508}));
  const V fine = DotsOf(t3, 0, 511);
  EXPECT_EQ(fine.size(), 101u + 3u);  // every 0.635 mm, the centre dot 255, border dots 1 and 507
  EXPECT_EQ(V(fine.begin(), fine.begin() + 8), (V{0, 1, 5, 10, 15, 20, 25, 30}));
  // Logarithmic track 2: the digits 2 to 9 and the decade's end; border dots 3 and 511.
  EXPECT_EQ(DotsOf(t2, 656, 1167), (V{3, 153, 242, 306, 355, 395, 429, 458, 484, 508, 511}));
  EXPECT_EQ(DotsOf(t3, 656, 1167), (V{3, 511}));
  // Two decades the other way on track 3; border dot 509.
  EXPECT_EQ(DotsOf(t2, 1168, 1679),
            (V{12, 25, 39, 56, 76, 101, 133, 177, 254, 265, 278, 293, 310, 330, 355, 386, 431, 508, 509}));
  for (const uint8_t* t : {t1, t2, t3}) {
    EXPECT_EQ(DotsOf(t, 512, 655), V{}) << "the depth track is blank";
    EXPECT_EQ(DotsOf(t, 1680, 1727), V{});
  }
  // A turned chart's templates are mirrored end for end.
  CGulton turned(0, kPrintPlot, kMetric, scales, 200, 0, 1);
  for (int which = 1; which <= 3; ++which)
    for (int b = 0; b < 216; ++b)
      ASSERT_EQ(turned.GridTemplate(which)[b], CGulton::MirrorBits(g.GridTemplate(which)[215 - b]))
          << which << " " << b;
  // A first digit outside 1 to 9 does not read outside the decade table.
  TrackScale odd[4] = {{-7, 2}, {0, 0}, {40, -1}, {0, 3}};
  CGulton oddChart(0, kPrintPlot, kMetric, odd, 200, 0, 0);
  EXPECT_FALSE(DotsOf(oddChart.GridTemplate(2), 0, 511).empty());
}

TEST_F(RecorderTest, MetricChartOfScale200HasItsGridAndFirstNumberAtLine63) {
  auto g = Plot(kMetric, 200);
  g->SetDigitGlyphs(SyntheticGlyphs());
  g->SetStartDepth(10000);  // number 100; the first one printed is 102
  std::vector<std::array<uint8_t, 216>> lines(170);
  for (auto& l : lines) g->ComposeChartLine(l.data());
  // Grid lines, each two raster lines thick: minor every 2 mm, major every 10 mm.
  const std::vector<std::pair<int, int>> grid = {
      {0, 1},  {1, 1},  {16, 3}, {17, 3},  {31, 3},  {32, 3},  {47, 3},  {48, 3},  {63, 3},  {64, 3},  {79, 1},
      {80, 1}, {94, 3}, {95, 3}, {110, 3}, {111, 3}, {126, 3}, {127, 3}, {142, 3}, {143, 3}, {157, 1}, {158, 1}};
  std::vector<std::pair<int, int>> seen;
  for (int i = 0; i < 170; ++i) {
    std::array<uint8_t, 216> l = lines[i];
    std::fill(l.begin() + 64, l.begin() + 82, 0);  // the numbers' bytes
    for (int t : {1, 3})
      if (std::equal(l.begin(), l.end(), g->GridTemplate(t))) seen.emplace_back(i, t);
    if (seen.empty() || seen.back().first != i) {
      ASSERT_TRUE(std::equal(l.begin(), l.end(), g->GridTemplate(2))) << i;
    }
  }
  EXPECT_EQ(seen, grid);
  // The number 102 lies in lines 63 to 94, at byte 69; the next (104) from line 142.
  EXPECT_EQ(g->NumberSpacing(), 10.0);
  auto numberRow = [&](int line) { return std::vector<uint8_t>(lines[line].begin() + 69, lines[line].begin() + 77); };
  const std::vector<uint8_t> blank(8, 0);
  EXPECT_EQ(numberRow(62), blank);
  auto want = [](int thousands, int hundreds, int tens, int units, int r) {
    std::vector<uint8_t> row;
    for (int d : {thousands, hundreds, tens, units}) {
      row.push_back(static_cast<uint8_t>(d << 4 | (r & 0xF)));
      row.push_back(static_cast<uint8_t>(0x80 | r));
    }
    return row;
  };
  for (int r = 0; r < 32; ++r) EXPECT_EQ(numberRow(63 + r), want(0, 1, 0, 2, r)) << r;
  EXPECT_EQ(numberRow(95), blank);
  EXPECT_EQ(numberRow(142), want(0, 1, 0, 4, 0));
  EXPECT_EQ(g->CurrentNumber(), 104);
}

TEST_F(RecorderTest, NegativeNumbersGetTheMinusBarAndTurnedChartsTheirMirroredPlaces) {
  for (int direction : {0, 1}) {
    SCOPED_TRACE(direction);
    auto g = Plot(kMetric, 100, direction);
    g->SetStartDepth(direction == 0 ? -500 : -300);  // the first number printed is -4
    std::vector<std::array<uint8_t, 216>> lines(100);
    for (auto& l : lines) g->ComposeChartLine(l.data());
    EXPECT_EQ(g->CurrentNumber(), -4);
    const int numberAt = direction == 0 ? 69 : 138;
    const int barAt = direction == 0 ? 67 : 148;
    bool numberInk = false;
    for (int i = 63; i < 95; ++i)
      for (int b = numberAt; b < numberAt + 8; ++b) numberInk |= lines[i][b] != 0;
    EXPECT_TRUE(numberInk || !qv::ChartFontAvailable());
    for (int i = 0; i < 100; ++i) EXPECT_EQ(lines[i][barAt], (i == 78 || i == 79) ? 0xFF : 0) << i;
  }
}

TEST_F(RecorderTest, ImperialChartsPrintAMinorLineThenAMajorOne) {
  // 20 ft per inch: minor every 2.54 mm (template 3, then 1), intermediate
  // every 12.7 mm, major every 63.5 mm.
  auto g = Plot(kVerticalImperial, 240);
  std::vector<int> styles;
  for (int i = 0; i < 42; ++i) {
    std::array<uint8_t, 216> l{};
    g->ComposeChartLine(l.data());
    styles.push_back(std::equal(l.begin(), l.end(), g->GridTemplate(1))   ? 1
                     : std::equal(l.begin(), l.end(), g->GridTemplate(3)) ? 3
                                                                          : 2);
  }
  std::vector<int> want(42, 2);
  want[0] = want[1] = 1;  // all three targets at 0
  want[20] = 3, want[21] = 1;
  want[40] = 3, want[41] = 1;
  EXPECT_EQ(styles, want);
  EXPECT_EQ(g->NextNumberPosition(), 62.5);
}

TEST_F(RecorderTest, ScalesOutsideTheTablesCarryNoNumbers) {
  const std::pair<int, int> scales[] = {{kMetric, 300}, {kVerticalImperial, 11}, {kVerticalTime, -1}};
  for (auto [kind, scale] : scales) {
    auto g = Plot(kind, scale);
    EXPECT_FALSE(g->CarriesNumbers());
    std::array<uint8_t, 216> l{};
    for (int i = 0; i < 2000; ++i) g->ComposeChartLine(l.data());
    EXPECT_EQ(g->NumberInProgress(), 0);
  }
}

TEST_F(RecorderTest, TeleviewerAndTestChartsStartAtLineEight) {
  CGulton tv(0, kPrintTeleviewer, kMetric, nullptr, 20, 1250, 0);
  EXPECT_EQ(tv.ChartLineCount(), 8);
  EXPECT_EQ(tv.CurrentNumber(), 13);
  CGulton test(0, kPrintTest, 0, nullptr, -1, 1250, 1);
  EXPECT_EQ(test.ChartLineCount(), 8);
  EXPECT_EQ(test.CurrentNumber(), 12);
}

}  // namespace
}  // namespace qvtest
