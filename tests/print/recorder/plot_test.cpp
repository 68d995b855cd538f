// The curve plot and its legend: curve positions on the line, wrap and
// clamp, band control (sends, the final send, the 340th line printed twice,
// batches larger than the band), the end of a chart, and the framing of the
// track header and legend lines on each model.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/print/recorder/plot_fixture.h"

namespace qvtest {
namespace {

using PlotTest = PlotFixture;

bool Ink(const RasterLine& line, int x) {
  return x >= 0 && x < 1728 && ((line[static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1);
}

TEST_F(PlotTest, CurvePositionsOnTheLine) {
  struct Case {
    int track, reversed, doubleWidth, direction, value, x;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 0, 508},    {1, 0, 0, 0, 508, 0},    {1, 0, 0, 0, 100, 408},  {1, 1, 0, 0, 100, 100},
      {2, 0, 0, 0, 100, 1070}, {3, 0, 0, 0, 100, 1575}, {4, 0, 1, 0, 100, 1578}, {4, 1, 1, 0, 900, 1562},
      {1, 0, 0, 1, 100, 1317}, {1, 1, 0, 1, 100, 1625}, {3, 0, 0, 1, 100, 150},  {2, 0, 0, 0, 600, 662},
      {1, 1, 0, 0, 700, 508},
  };
  g_bWrapCurves = 0;
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Plot(kVerticalTime, -1, c.direction);
    Legend(*g, {Entry(c.track, c.reversed, c.doubleWidth)});
    log->writes.clear();
    const std::vector<int> values(5, c.value);
    g->PlotCurveRow(values.data(), 5, 0, true);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 5u);
    // A solid pen two dots wide on a steady value: the dot and the one before
    // (some may fall on grid dots).
    const std::set<int> expected{c.x - 1, c.x};
    const std::set<int> curve = CurveDots(*Twin(kVerticalTime, -1, c.direction), lines, 1);
    EXPECT_TRUE(std::includes(expected.begin(), expected.end(), curve.begin(), curve.end()))
        << "track " << c.track << " reversed " << c.reversed << " direction " << c.direction << " value " << c.value;
    for (size_t l = 1; l < lines.size(); ++l) {
      for (int x : expected) {
        if (x >= 0) {
          EXPECT_TRUE(Ink(lines[l], x)) << "line " << l << " dot " << x << " value " << c.value;
        }
      }
    }
  }
}

TEST_F(PlotTest, WrapLeavesAtOneEdgeAndComesBackAtTheOther) {
  g_bWrapCurves = 1;
  struct Case {
    int reversed, from, to;
    int a0, a1, b0, b1;  // runs inked where the band changes: to one edge, from the other
    int after;           // the curve's dot on the following lines
  };
  // Normal curve rising past 508: leaves at the left edge (0), comes back
  // from the right (508) to 508 - 92. Reversed: leaves right, back from 0.
  const Case cases[] = {
      {0, 500, 600, 2, 7, 418, 505, 416},
      {1, 500, 600, 502, 506, 2, 90, 92},
      {0, 600, 500, 418, 505, 2, 7, 8},
  };
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Plot(kVerticalTime, -1, 0);
    Legend(*g, {Entry(1, c.reversed, 0)});
    log->writes.clear();
    const int values[] = {c.from, c.from, c.from, c.to, c.to, c.to};
    g->PlotCurveRow(values, 6, 0, true);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 6u);
    // To the edge on the way down from the last line, then along the line.
    for (int x = c.a0; x <= c.a1; ++x)
      EXPECT_TRUE(Ink(lines[2], x) || Ink(lines[3], x)) << c.reversed << " " << c.from << " dot " << x;
    for (int x = c.b0; x <= c.b1; ++x) EXPECT_TRUE(Ink(lines[3], x)) << c.reversed << " " << c.from << " dot " << x;
    EXPECT_TRUE(Ink(lines[5], c.after) && Ink(lines[5], c.after - 1)) << c.reversed << " " << c.from;
    EXPECT_FALSE(Ink(lines[5], c.after + 1) || Ink(lines[5], c.after - 2)) << c.reversed << " " << c.from;
  }
  g_bWrapCurves = 1;
}

// With wrapping on, a value at the track's maximum is drawn at the maximum
// edge; only a value beyond it comes back from the other edge.
TEST_F(PlotTest, WrapKeepsAValueAtTheMaximumInItsTrack) {
  g_bWrapCurves = 1;
  const struct { int value, x; } cases[] = {{508, 0}, {509, 507}, {1016, 0}};
  for (const auto& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Plot(kVerticalTime, -1, 0);
    Legend(*g, {Entry(1, 0, 0)});
    log->writes.clear();
    const std::vector<int> values(5, c.value);
    g->PlotCurveRow(values.data(), 5, 0, true);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 5u);
    const std::set<int> curve = CurveDots(*Twin(kVerticalTime, -1, 0), lines, 1);
    const std::set<int> expected{c.x - 1, c.x, c.x + 1};
    // Ink on the curve's dot (which may be a grid dot) and nowhere else.
    for (size_t l = 1; l < lines.size(); ++l) EXPECT_TRUE(Ink(lines[l], c.x)) << c.value << " line " << l;
    EXPECT_TRUE(std::includes(expected.begin(), expected.end(), curve.begin(), curve.end())) << c.value;
  }
}

TEST_F(PlotTest, BandSendsAboveTenKeepsThreeAndSendsAllOnFinal) {
  struct Case {
    std::vector<int> batches;  // rows per call
    bool final;
    size_t sent;
    int inBand;
  };
  const Case cases[] = {
      {{10}, false, 0, 10},   {{11}, false, 8, 3},     {{10, 1}, false, 8, 3}, {{4}, true, 4, 0},
      {{11, 2}, false, 8, 5}, {{11, 8}, false, 16, 3}, {{0}, false, 0, 0},
  };
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Plot(kVerticalTime, -1, 0);
    Legend(*g, {Entry(1, 0, 0), Entry(2, 0, 0)});
    log->writes.clear();
    for (size_t b = 0; b < c.batches.size(); ++b) {
      const std::vector<int> values(static_cast<size_t>(c.batches[b]) * 2, 50);
      g->PlotCurveRow(values.data(), static_cast<int>(values.size()), 0, c.final && b + 1 == c.batches.size());
    }
    EXPECT_EQ(DecodeCapture(log->Bytes(), 0).lines.size(), c.sent) << c.batches[0];
    EXPECT_EQ(g->BandLineCount(), c.inBand) << c.batches[0];
  }
}

TEST_F(PlotTest, RowsThatCannotBePlottedAreIgnoredWhole) {
  auto g = Plot(kVerticalTime, -1, 0);
  const int values[] = {1, 2, 3};
  g->PlotCurveRow(values, 3, 0, true);  // no legend yet: nothing, no division
  EXPECT_EQ(g->ChartLineCount(), 0);
  Legend(*g, {Entry(1, 0, 0), Entry(2, 0, 0)});
  log->writes.clear();
  g->PlotCurveRow(values, 3, 0, true);  // not a multiple of the curve count
  g->PlotCurveRow(values, 0, 0, true);
  EXPECT_TRUE(log->writes.empty());
  EXPECT_EQ(g->ChartLineCount(), 0);
}

TEST_F(PlotTest, The340thLineIsPrintedTwiceAndTheTickMarksItsRow) {
  auto g = Plot(kVerticalTime, -1, 0);
  Legend(*g, {Entry(1, 0, 0)});
  g->FeedLines(337);  // one line sent; chart line count 337
  log->writes.clear();
  const int values[] = {10, 10, 10, 10, 10};
  g->PlotCurveRow(values, 5, 2, true);
  const auto lines = DecodeCapture(log->Bytes(), 0).lines;
  ASSERT_EQ(lines.size(), 6u);  // rows 338 to 342, the 340th twice
  EXPECT_EQ(lines[2], lines[3]);
  EXPECT_EQ(g->ChartLineCount(), 342);
  for (size_t l = 0; l < lines.size(); ++l) {
    const bool tick = l == 1;
    EXPECT_EQ(lines[l][64] == 0xFF && lines[l][65] == 0xFF && lines[l][66] == 0xFF, tick) << l;
  }
}

TEST_F(PlotTest, ABatchLargerThanTheBandGoesOutAsSmallerCallsWould) {
  auto run = [&](const std::vector<int>& batches) {
    log = std::make_shared<PortLog>();
    auto g = Plot(0, 200, 0);
    g->SetDigitGlyphs(SyntheticGlyphs());
    Legend(*g, {Entry(1, 0, 0), Entry(3, 1, 0)});
    int row = 0;
    for (size_t b = 0; b < batches.size(); ++b) {
      std::vector<int> values;
      for (int j = 0; j < batches[b]; ++j, ++row) {
        values.push_back(row % 508);
        values.push_back((row * 3) % 508);
      }
      g->PlotCurveRow(values.data(), static_cast<int>(values.size()), 0, b + 1 == batches.size());
    }
    return log->Bytes();
  };
  std::vector<int> small(70, 10);
  const auto whole = run({700});
  const auto parts = run(small);
  const auto a = DecodeCapture(whole, 0).lines, b = DecodeCapture(parts, 0).lines;
  ASSERT_EQ(a.size(), b.size());
  for (size_t l = 0; l < a.size(); ++l) ASSERT_EQ(a[l], b[l]) << "line " << l;
  // 700 rows and the 340th and 680th lines twice, after the header.
  const auto d = DecodeCapture(whole, 0);
  EXPECT_TRUE(d.problems.empty());
}

TEST_F(PlotTest, FinishSendsTheBandAndCompletesAHalfLaidNumber) {
  // Metric 1:200: the first number is 8 mm (63 lines) into the chart.
  struct Case {
    int rows;
    size_t lines;  // after the rows: band + fed line + rest of the number
  };
  const Case cases[] = {{5, 5 + 1}, {70, 70 + 1 + (32 - 7)}};
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    auto g = Plot(0, 200, 0);
    g->SetDigitGlyphs(SyntheticGlyphs());
    Legend(*g, {Entry(1, 0, 0)});
    log->writes.clear();
    const std::vector<int> values(static_cast<size_t>(c.rows), 30);
    g->PlotCurveRow(values.data(), c.rows, 0, false);
    g->FinishPlot();
    const auto d = DecodeCapture(log->Bytes(), 0);
    ASSERT_EQ(d.lines.size(), c.lines) << c.rows;
    EXPECT_EQ(d.tokens.back().name, "ESC 2");
    EXPECT_EQ(g->BandLineCount(), 0);
    EXPECT_EQ(g->ChartLineCount(), 0);
    if (c.rows == 70) {
      // The completing lines carry only the number's rows: no grid, no curve.
      const RasterLine& last = d.lines.back();
      for (int b = 0; b < 216; ++b) {
        if (b < 69 || b > 76) {
          EXPECT_EQ(last[b], 0) << b;
        }
      }
      EXPECT_EQ(g->NumberRow(), 32);
    }
  }
}

TEST_F(PlotTest, TrackHeaderAndLegendLineFramingPerModel) {
  struct Case {
    uint8_t model;
    int direction;
    std::string header;  // raster count left out where it depends on the text
  };
  for (uint8_t model : {0, 1}) {
    for (int direction : {0, 1}) {
      log = std::make_shared<PortLog>();
      auto g = Plot(kVerticalTime, -1, direction, model);
      InscriptionList list;
      list.push_back(Make(Entry(1, 0, 0)));
      list.push_back(Make(Entry(2, 0, 0)));
      list.push_back(Make(Entry(2, 1, 0)));
      g->PrintPlotTrackHeader(&list, true);
      EXPECT_TRUE(list.empty());
      EXPECT_EQ(g->Inscriptions().size(), 3u);
      auto d = DecodeCapture(log->Bytes(), model);
      EXPECT_TRUE(d.problems.empty());
      const std::string summary = TokenSummary(d);
      if (direction == 1) {
        // Track 2 holds two entries: rows 799 down to 750 - 160, exclusive.
        EXPECT_EQ(summary, model == 0 ? "start ESC 0 ESC 1 LF raster x209 LF ESC 2" : "paper CR raster x209 CR");
      } else {
        // From the first inked row (the top caption) to row 799.
        const std::string head = model == 0 ? "start ESC 0 ESC 1 LF raster x" : "paper CR raster x";
        EXPECT_EQ(summary.substr(0, head.size()), head);
        const size_t rows = d.lines.size();
        EXPECT_GT(rows, 800u - 700u - 10u);
        EXPECT_LE(rows, 800u - 620u);
      }
      // A legend line: 80 rows between two terminators.
      log->writes.clear();
      g->SetScaleEnd(2, 3, "9.99");
      EXPECT_EQ(g->GetInscription(1)->rightScale, "9.99");
      EXPECT_EQ(TokenSummary(DecodeCapture(log->Bytes(), model)),
                model == 0 ? "LF start ESC 0 ESC 1 raster x80 ESC 2 LF" : "CR paper raster x80 CR");
      // The repeated header at the chart's end.
      log->writes.clear();
      g->RepeatPlotTrackHeader();
      const std::string repeat = TokenSummary(DecodeCapture(log->Bytes(), model));
      EXPECT_EQ(repeat.substr(0, 3), model == 0 ? "LF " : "CR ");
    }
  }
}

TEST_F(PlotTest, SettersChangeTheLegendAndRestyleTheCurve) {
  auto g = Plot(kVerticalTime, -1, 0);
  Legend(*g, {Entry(1, 0, 0), Entry(2, 0, 0)});
  g->SetScaleRange(1, "a", "b");
  EXPECT_EQ(g->GetInscription(0)->leftScale, "a");
  EXPECT_EQ(g->GetInscription(0)->rightScale, "b");
  g->SetCurveStyle(2, 5);
  EXPECT_EQ(g->GetInscription(1)->printStyle, 5);
  EXPECT_EQ(g->GetCurveStyle(2), 5);
  // Style 5 draws four dots wide.
  log->writes.clear();
  const int values[] = {100, 100, 100, 100, 100, 100};
  g->PlotCurveRow(values, 6, 0, true);
  const auto lines = DecodeCapture(log->Bytes(), 0).lines;
  EXPECT_EQ(CurveDots(*Twin(kVerticalTime, -1, 0), lines, 1), (std::set<int>{407, 408, 1068, 1069, 1070, 1071}));
  // An unknown curve number changes nothing and sends nothing.
  log->writes.clear();
  g->SetScaleEnd(3, 1, "x");
  g->SetCurveStyle(0, 2);
  EXPECT_TRUE(log->writes.empty());
}

TEST_F(PlotTest, CurvesBeyondTheTwelveDrawersAreLeftOut) {
  auto g = Plot(kVerticalTime, -1, 0);
  std::vector<std::unique_ptr<Inscription>> many;
  for (int i = 0; i < 14; ++i) many.push_back(Make(Entry(1 + i % 3, 0, 0)));
  g->PrintPlotTrackHeader(&many, false);
  EXPECT_EQ(g->CurveCount(), 14);
  log->writes.clear();
  std::vector<int> values(14 * 3, 20);
  g->PlotCurveRow(values.data(), static_cast<int>(values.size()), 0, true);
  EXPECT_EQ(DecodeCapture(log->Bytes(), 0).lines.size(), 3u);
}

}  // namespace
}  // namespace qvtest

namespace qvtest {

TEST_F(PlotTest, RowsWithoutAReadingLeaveTheCurveOpen) {
  // Value 110 (dot 398), three rows without a reading, value 310 (dot 198):
  // nothing is drawn on the empty rows and no stroke joins the two runs; the
  // curve takes up again at its own dot, in the same call and in the next
  // one, clamped and wrapped. (The pen's two-dot square reaches one line up.)
  const int no = kNoCurveValue;
  for (int wrap : {0, 1}) {
    for (bool split : {false, true}) {
      SCOPED_TRACE(std::to_string(wrap) + (split ? " split" : " one call"));
      g_bWrapCurves = wrap;
      log = std::make_shared<PortLog>();
      auto g = Plot(kVerticalTime, -1, 0);
      Legend(*g, {Entry(1, 0, 0)});
      log->writes.clear();
      const std::vector<int> values{110, 110, 110, 110, no, no, no, 310, 310, 310, 310};
      if (split) {
        g->PlotCurveRow(values.data(), 5, 0, false);
        g->PlotCurveRow(values.data() + 5, 6, 0, true);
      } else {
        g->PlotCurveRow(values.data(), 11, 0, true);
      }
      const auto lines = DecodeCapture(log->Bytes(), 0).lines;
      ASSERT_EQ(lines.size(), 11u);
      const auto dots = CurveDotsPerLine(*Twin(kVerticalTime, -1, 0), lines);
      for (size_t l : {4u, 5u}) EXPECT_TRUE(dots[l].empty()) << "line " << l;
      for (size_t l : {2u, 3u, 6u, 7u, 8u, 9u, 10u}) EXPECT_FALSE(dots[l].empty()) << "line " << l;
      for (size_t l = 0; l < lines.size(); ++l)
        for (int x : dots[l]) EXPECT_NEAR(x, l < 4 ? 398 : 198, 1) << "line " << l;
    }
  }
}

}  // namespace qvtest
