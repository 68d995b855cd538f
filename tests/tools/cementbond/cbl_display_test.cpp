// The numbers the cement-bond view draws and charts: grids, depth labels,
// gate positions, chart positions and chart rows.
#include "tools/cementbond/cbl_display.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using namespace qv::cbl;

CurveRecord Curve(float minimum, float maximum, int scaleFlag = 1, int track = 0) {
  CurveRecord c;
  c.scaleMinimum = minimum;
  c.scaleMaximum = maximum;
  c.scaleFlag = scaleFlag;
  c.firstTrack = c.lastTrack = track;
  c.headerFlag = 1;
  return c;
}

TrackRecord Track(int left, int width, bool logarithmic) {
  TrackRecord t;
  t.screenRect = {left, 0, left + width, 400};
  t.width = width;
  t.gridStyle = logarithmic ? 0x1000004 : 0x10000004;
  return t;
}

TEST(CblScale, ExponentsAndDecadeEnds) {
  struct Case {
    float minimum, maximum, low, high;
  };
  // 0.05..50: (int)(-1.301 - 0.9) = -2 and 1: shown 0.01 to 10; 2..5: one
  // decade 1 to 10; an end of 0 or below counts as 1.
  for (const Case& c : {Case{0.05f, 50.0f, 0.01f, 10.0f}, Case{2.0f, 5.0f, 1.0f, 10.0f},
                        Case{0.0f, 100.0f, 1.0f, 100.0f}, Case{-3.0f, 0.0f, 1.0f, 10.0f}}) {
    CurveRecord k = Curve(c.minimum, c.maximum);
    RoundToDecades(k);
    EXPECT_FLOAT_EQ(k.scaleMinimum, c.low) << c.minimum << ".." << c.maximum;
    EXPECT_FLOAT_EQ(k.scaleMaximum, c.high) << c.minimum << ".." << c.maximum;
  }
  EXPECT_EQ(ScaleExponent(0.05f), -2);
  EXPECT_EQ(ScaleExponent(50.0f), 1);
  EXPECT_EQ(ScaleExponent(0.0f), 0);
}

TEST(CblGrid, LogarithmicAndLinearTracks) {
  // 0.05..50 spans exponents -2 to 1: three decades, 27 lines, every ninth dark.
  std::vector<CurveRecord> curves = {Curve(0.05f, 50.0f, 1, 0)};
  TrackGrid g = GridOfTrack(curves, Track(10, 300, true), 0);
  ASSERT_EQ(g.lines.size(), 27u);
  EXPECT_EQ(g.logarithmic, 1);
  EXPECT_EQ(g.decades, 3);
  EXPECT_EQ(g.lines[0].x, 10 + static_cast<int>(100 * 0.30102999566398120));
  EXPECT_EQ(g.lines[8].x, 110);
  EXPECT_TRUE(g.lines[8].dark);
  EXPECT_FALSE(g.lines[7].dark);
  EXPECT_EQ(g.lines[26].x, 310);
  // Reversed: the table entry carries the direction.
  curves[0].scaleFlag = 0;
  g = GridOfTrack(curves, Track(10, 300, true), 0);
  EXPECT_EQ(g.decades, -3);
  EXPECT_EQ(g.logarithmic, 1);
  // A track without a curve of its own takes the last curve's decades.
  std::vector<CurveRecord> other = {Curve(1.0f, 10.0f, 1, 2), Curve(1.0f, 1000.0f, 1, 3)};
  EXPECT_EQ(GridOfTrack(other, Track(0, 90, true), 0).decades, 3);
  // Linear: three lines a quarter apart, (0, 0).
  g = GridOfTrack(curves, Track(10, 101, false), 0);
  ASSERT_EQ(g.lines.size(), 3u);
  EXPECT_EQ(g.lines[0].x, 10 + 25);
  EXPECT_EQ(g.lines[2].x, 10 + 75);
  EXPECT_EQ(g.logarithmic, 0);
  EXPECT_EQ(g.decades, 0);
}

// An infinite scale end (a hand-edited layout, a typed "inf") counts as the
// outermost decade of the float range: the grid stays a few hundred lines at
// most instead of one per int.
TEST(CblGrid, AnInfiniteScaleEndKeepsTheDecadesOfTheFloatRange) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ScaleExponent(inf), kHighestScaleExponent);
  EXPECT_EQ(ScaleExponent(-inf), 0);
  EXPECT_EQ(ScaleExponent(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_GE(ScaleExponent(std::numeric_limits<float>::denorm_min()), kLowestScaleExponent);
  EXPECT_LE(ScaleExponent(std::numeric_limits<float>::max()), kHighestScaleExponent);
  const size_t most = 9u * (kHighestScaleExponent - kLowestScaleExponent);
  for (const CurveRecord& c :
       {Curve(inf, 10.0f), Curve(1.0f, inf), Curve(std::numeric_limits<float>::denorm_min(), inf), Curve(inf, inf)}) {
    const TrackGrid g = GridOfTrack({c}, Track(10, 300, true), 0);
    EXPECT_GE(g.lines.size(), 9u) << c.scaleMinimum << ".." << c.scaleMaximum;
    EXPECT_LE(g.lines.size(), most) << c.scaleMinimum << ".." << c.scaleMaximum;
    for (const GridLine& l : g.lines) ASSERT_TRUE(l.x >= 10 && l.x <= 310) << c.scaleMinimum << ".." << c.scaleMaximum;
  }
}

TEST(CblDepthLabels, FirstLabelInTheLoggingDirection) {
  EXPECT_EQ(LabelStep(200, false), 2000);
  EXPECT_EQ(LabelStep(200, true), 16666);
  struct Case {
    int depth, step;
    bool upward;
    int first;
  };
  for (const Case& c : {Case{4000, 2000, true, 4000}, Case{4500, 2000, true, 6000}, Case{4500, 2000, false, 4000},
                        Case{-4500, 2000, false, -6000}, Case{-4500, 2000, true, -4000}, Case{0, 2000, true, 0},
                        Case{100000, 16666, true, 116662}}) {
    EXPECT_EQ(FirstLabelDepth(c.depth, c.step, c.upward), c.first) << c.depth << (c.upward ? " up" : " down");
  }
}

TEST(CblGates, GateLinesAndDraggedGates) {
  // 201-233 µs over 240 pixels: x 50 and 58; dragged to the right edge (the
  // limit is the track right less the gate width) it keeps its width.
  EXPECT_EQ(GateX(100, 240, 201), 150);
  EXPECT_EQ(GateX(100, 240, 233), 158);
  EXPECT_EQ(GateFromX(100 + 232, 100, 240), 928);
  EXPECT_EQ(GateFromX(100 + 240, 100, 240), 960);
  EXPECT_EQ(GateFromX(150, 100, 0), 0);
}

TEST(CblChart, CurvePositions) {
  struct Case {
    CurveRecord curve;
    bool logarithmic;
    double v, position;
  };
  const Case cases[] = {
      {Curve(0.0f, 100.0f), false, 50.0, 254.0},
      {Curve(0.0f, 100.0f), false, -10.0, 0.0},  // below the scale: 0
      {Curve(5.0f, 5.0f), false, 7.0, 2.0},      // max = min: factor 1
      {Curve(1.0f, 100.0f), true, 10.0, 254.0},
      {Curve(1.0f, 100.0f), true, 0.0, 0.0},  // v <= 0 on a logarithmic track
      {Curve(1.0f, 100.0f), true, -4.0, 0.0},
      {Curve(0.0f, 100.0f), true, 10.0, 254.0},  // an end of 0 counts as 1: two decades from 1
      {Curve(0.0f, 1.0f), false, 1e300, 1.0e6},  // held in double before any conversion
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(ChartPosition(c.curve, c.logarithmic, c.v), c.position)
        << c.curve.scaleMinimum << ".." << c.curve.scaleMaximum << " v " << c.v;
}

TEST(CblChart, DensityRowsStretchTo1024BytesWithGates) {
  std::vector<std::int8_t> samples(480);
  for (int k = 0; k < 480; ++k) samples[static_cast<std::size_t>(k)] = static_cast<std::int8_t>(k % 200 - 100);
  std::vector<std::uint8_t> row(kChartRowBytes, 0xEE);
  const Gates none{2000, 2000, 2000, 2000};
  DensityChartRow(samples, none, row.data());
  // Indexes 0, 8, ..., 472 and 119, 238, 357, 476 thrice, the others twice.
  std::vector<int> copies(480, 0);
  int d = 0;
  for (int k = 0; k < 480; ++k) {
    const int n = k % 8 == 0 || k % 119 == 0 ? 3 : 2;
    copies[static_cast<std::size_t>(k)] = n;
    for (int c = 0; c < n; ++c, ++d)
      ASSERT_EQ(row[static_cast<std::size_t>(d)], static_cast<std::uint8_t>(samples[static_cast<std::size_t>(k)] + 128))
          << "sample " << k;
  }
  EXPECT_EQ(d, 1024);
  EXPECT_EQ(copies[119], 3);
  EXPECT_EQ(copies[476], 3);
  EXPECT_EQ(copies[1], 2);
  EXPECT_EQ(row[1024], 0xEE) << "the mark byte is not a sample";
  // A near gate at 0 clears byte 0 alone; gates at 960 or more fall at or past
  // the far half (512) and past the row (1024).
  const Gates gates{0, 32, 960, 1000};
  EXPECT_EQ(ChartGateDots(gates), (std::array<int, 4>{0, 17, -1, -1}));
  std::fill(row.begin(), row.end(), 0xEE);
  DensityChartRow(samples, gates, row.data());
  EXPECT_EQ(row[0], 0);
  EXPECT_EQ(row[16], 0);
  EXPECT_EQ(row[17], 0);
  EXPECT_NE(row[18], 0);
  EXPECT_NE(row[1023], 0);
  const Gates near960{960, 990, 100, 132};
  EXPECT_EQ(ChartGateDots(near960), (std::array<int, 4>{512, 528, 565, 582}));
}

}  // namespace
