#include "logview/model/drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace curveview {
namespace {

CurveRecord Curve(float min, float max, int scaleFlag = 1, int first = 0, int last = 0) {
  CurveRecord c;
  c.firstTrack = first;
  c.lastTrack = last;
  c.headerFlag = 1;
  c.scaleFlag = scaleFlag;
  c.scaleMinimum = min;
  c.scaleMaximum = max;
  c.physicalChannel = 1;
  return c;
}

std::vector<TrackRecord> Tracks(int width, bool log) {
  std::vector<TrackRecord> t(4);
  int x = 10;
  for (auto& tr : t) {
    tr.screenRect = {x, 0, x + width, 400};
    tr.gridStyle = log ? kLogGridStyle : kLinearGridStyle;
    x += width + 2;
  }
  return t;
}

TEST(CurveDrawing, LogGridMarksEveryMantissaAndDecade) {
  auto tracks = Tracks(300, true);
  std::vector<CurveRecord> curves = {Curve(2, 2000)};
  const TrackGrid g = GridOfTrack(curves, tracks, 0);
  EXPECT_EQ(g.mantissa, 2);
  EXPECT_EQ(g.decades, 3);
  ASSERT_EQ(g.lines.size(), 27u);
  // 3..9, 10, 20..90, 100, 200..900, 1000, 2000
  for (int i = 0; i < 27; ++i) EXPECT_EQ(g.lines[i].decade, i == 7 || i == 16 || i == 25) << i;
  EXPECT_EQ(g.lines[0].x, 10 + static_cast<int>(100 * std::log10(1.5)));
  EXPECT_EQ(g.lines[7].x, 10 + static_cast<int>(100 * std::log10(5.0)));
  EXPECT_EQ(g.lines[26].x, 310);

  curves[0].scaleFlag = 0;
  const TrackGrid mirrored = GridOfTrack(curves, tracks, 0);
  EXPECT_EQ(mirrored.decades, -3);
  EXPECT_EQ(mirrored.lines[26].x, 10);
}

// An infinite end of a logarithmic scale counts as the outermost decade of
// the float range: a bounded grid, every line inside the track.
TEST(CurveDrawing, LogGridOfAnInfiniteScaleEndStaysBounded) {
  auto tracks = Tracks(300, true);
  const float inf = std::numeric_limits<float>::infinity();
  for (const auto& ends : {std::pair{1.0f, inf}, std::pair{inf, 10.0f}, std::pair{1e-30f, inf}}) {
    const TrackGrid g = GridOfTrack({Curve(ends.first, ends.second)}, tracks, 0);
    EXPECT_LE(g.lines.size(), 9u * 85u) << ends.first << ".." << ends.second;
    for (const auto& l : g.lines) ASSERT_TRUE(l.x >= 10 && l.x <= 310) << ends.first << ".." << ends.second;
  }
  EXPECT_EQ(ScaleDecade(inf, kScaleDecadeSlack), 39);
  EXPECT_EQ(ScaleDecade(0.0f, kScaleDecadeSlack), 0);
}

TEST(CurveDrawing, LogGridEdgeCases) {
  auto tracks = Tracks(300, true);
  std::vector<CurveRecord> tenth = {Curve(0.1f, 10)};
  const TrackGrid g = GridOfTrack(tenth, tracks, 0);
  EXPECT_EQ(g.mantissa, 1);  // the curve's own decades, 0.1 to 10
  EXPECT_EQ(g.decades, 2);

  std::vector<CurveRecord> lower = {Curve(1, 100)};
  lower[0].headerLine = 1;
  const TrackGrid none = GridOfTrack(lower, tracks, 0);
  EXPECT_TRUE(none.lines.empty());
  EXPECT_EQ(none.decades, 0);

  std::vector<CurveRecord> nonPositive = {Curve(-5, 0)};
  const TrackGrid safe = GridOfTrack(nonPositive, tracks, 0);
  EXPECT_EQ(safe.decades, 1);
  EXPECT_EQ(safe.lines.size(), 9u);
}

// A reading against the grid is the curve's value: every decade line lies
// where the curve draws that decade's value, scales below 1 included.
TEST(CurveDrawing, LogGridDecadesAreTheCurvesDecades) {
  struct Case {
    float min, max;
    int width;
    int decades;
  };
  const Case cases[] = {{0.1f, 1000, 400, 4}, {0.01f, 10, 300, 3}, {0.5f, 5000, 400, 4},
                        {2, 2000, 300, 3},    {0.001f, 1, 300, 3}, {0.2f, 2, 200, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max);
    auto tracks = Tracks(c.width, true);
    const std::vector<CurveRecord> curves = {Curve(c.min, c.max)};
    const TrackGrid g = GridOfTrack(curves, tracks, 0);
    EXPECT_EQ(g.decades, c.decades);
    std::vector<int> decadeLines;
    for (const auto& line : g.lines)
      if (line.decade) decadeLines.push_back(line.x - tracks[0].screenRect.left);
    // The powers of ten above the minimum, up to the maximum.
    std::vector<int> curveDecades;
    for (double v = std::pow(10.0, std::ceil(std::log10(c.min) + 1e-6)); v <= c.max * 1.0001; v *= 10)
      curveDecades.push_back(CurveOffset(curves[0], c.width, true, v));
    ASSERT_EQ(decadeLines.size(), curveDecades.size());
    for (size_t i = 0; i < curveDecades.size(); ++i) EXPECT_NEAR(decadeLines[i], curveDecades[i], 1) << i;
  }
}

TEST(CurveDrawing, LinearGridHasFourDivisions) {
  auto tracks = Tracks(304, false);
  const TrackGrid g = GridOfTrack({}, tracks, 1);
  ASSERT_EQ(g.lines.size(), 3u);
  EXPECT_EQ(g.lines[0].x, 316 + 76);
  EXPECT_EQ(g.lines[2].x, 316 + 228);
}

TEST(CurveDrawing, CurvePointsAcrossTheTrack) {
  const RecordRect box{100, 0, 300, 500};
  struct Case {
    const char* name;
    CurveRecord curve;
    bool log;
    bool wrap;
    double value;
    int wantX;
  };
  const Case cases[] = {
      {"middle", Curve(0, 100), false, false, 50, 200},
      {"below the minimum sits on the minimum edge", Curve(0, 100), false, false, -30, 100},
      {"above the maximum without wrapping sits on the maximum edge", Curve(0, 100), false, false, 150, 300},
      {"above the maximum wraps into the next band", Curve(0, 100), false, true, 150, 200},
      {"at the maximum with wrapping sits on the maximum edge", Curve(0, 100), false, true, 100, 300},
      {"at the minimum with wrapping sits on the minimum edge", Curve(0, 100), false, true, 0, 100},
      {"just beyond the maximum wraps to the minimum edge", Curve(0, 100), false, true, 100.5, 101},
      {"at twice the maximum sits on the next band's maximum edge", Curve(0, 100), false, true, 200, 300},
      {"mirrored at the maximum with wrapping", Curve(0, 100, 0), false, true, 100, 100},
      {"log maximum with wrapping", Curve(1, 100), true, true, 100, 300},
      {"mirrored scale", Curve(0, 100, 0), false, false, 25, 250},
      {"equal ends", Curve(5, 5), false, false, 6, 101},
      {"log decade", Curve(1, 100), true, false, 10, 200},
      {"log of zero sits on the minimum edge", Curve(1, 100), true, false, 0, 100},
      {"log track with non-positive ends: one pixel per decade", Curve(0, -1), true, false, 10, 101},
      {"huge", Curve(0, 1), false, false, 1e300, 300},
  };
  for (const auto& c : cases) {
    const auto lines = CurvePolylines(c.curve, box, c.log, c.wrap, 30, 1, [&](int) { return c.value; });
    ASSERT_FALSE(lines.empty()) << c.name;
    EXPECT_EQ(lines.back().back().x, c.wantX) << c.name;
    EXPECT_EQ(lines.back().back().y, 30) << c.name;
  }
}

TEST(CurveDrawing, WrappedCurveLeavesAndEntersAtTheEdges) {
  const RecordRect box{0, 0, 200, 500};
  const double values[] = {50, 90, 150, 160, 40};
  for (int flag : {1, 0}) {
    const CurveRecord c = Curve(0, 100, flag);
    const auto lines = CurvePolylines(c, box, false, true, 0, 5, [&](int j) { return values[j]; });
    ASSERT_EQ(lines.size(), 3u);
    auto px = [&](int offset) { return flag ? offset : 200 - offset; };
    const int maxEdge = flag ? 201 : -1;
    const int minEdge = flag ? -1 : 201;
    // Out through the maximum edge on the row of the jump ...
    EXPECT_EQ(lines[0], (std::vector<Point>{{px(100), 0}, {px(180), 1}, {maxEdge, 2}}));
    // ... in through the minimum edge from the row before, and back out.
    EXPECT_EQ(lines[1], (std::vector<Point>{{minEdge, 1}, {px(100), 2}, {px(120), 3}, {minEdge, 4}}));
    EXPECT_EQ(lines[2], (std::vector<Point>{{maxEdge, 3}, {px(80), 4}}));
  }
}

// A curve that reaches its maximum stays in its track: no wrap, one line.
TEST(CurveDrawing, ACurveAtItsMaximumDoesNotWrap) {
  const RecordRect box{0, 0, 200, 500};
  const double values[] = {90, 100, 100, 95};
  const auto lines = CurvePolylines(Curve(0, 100), box, false, true, 0, 4, [&](int j) { return values[j]; });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], (std::vector<Point>{{180, 0}, {200, 1}, {200, 2}, {190, 3}}));
}

// Rows without a reading (not a number: before the first record, inside the
// processing's delay) are not drawn; the curve resumes after them without
// a line across the gap, and a wrap band starts afresh.
TEST(CurveDrawing, RowsWithoutReadingsBreakTheCurve) {
  const RecordRect box{0, 0, 200, 500};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {nan, nan, 50, 60, nan, 150, 160, nan};
  const CurveRecord c = Curve(0, 100);
  for (bool wrap : {false, true}) {
    const auto lines = CurvePolylines(c, box, false, wrap, 10, 8, [&](int j) { return values[j]; });
    ASSERT_EQ(lines.size(), 2u) << wrap;
    EXPECT_EQ(lines[0], (std::vector<Point>{{100, 12}, {120, 13}}));
    if (wrap)
      EXPECT_EQ(lines[1], (std::vector<Point>{{100, 15}, {120, 16}})) << "150 and 160 wrapped into the next band";
    else
      EXPECT_EQ(lines[1], (std::vector<Point>{{200, 15}, {200, 16}}));
  }
  EXPECT_TRUE(CurvePolylines(c, box, false, true, 10, 3, [&](int) { return nan; }).empty()) << "no data, no line";
}

TEST(CurveDrawing, DepthTrackLabelsLargeTicksOnly) {
  std::map<int, std::uint8_t> marks = {{99, 3}, {97, 1 | kMinuteMark}, {60, 2}, {20, 3}};
  DepthTrackView v;
  v.legendHeight = 30;
  v.clientBottom = 130;
  v.window = {0, 100};
  v.depthScale = 200;
  v.lastDepth = 12345;  // not on a label step of 2 m: the labels start at 12 m
  auto at = [&](int q) -> std::uint8_t { return marks.count(q) ? marks[q] : 0; };
  const auto got = DepthMarks(v, at);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].y, 129);
  EXPECT_EQ(got[0].tick, 3);
  EXPECT_EQ(got[0].text, " 12.0 ");
  EXPECT_EQ(got[1].y, 127);
  EXPECT_TRUE(got[1].minute);
  EXPECT_EQ(got[1].tick, 1);
  EXPECT_FALSE(got[2].label);
  EXPECT_EQ(got[3].y, 50);
  EXPECT_EQ(got[3].text, " 10.0 ");

  v.depthScaled = false;  // time log: minute marks only
  const auto time = DepthMarks(v, at);
  ASSERT_EQ(time.size(), 1u);
  EXPECT_TRUE(time[0].minute);
  EXPECT_EQ(time[0].tick, 0);

  v.depthScale = 0;
  EXPECT_TRUE(DepthMarks(v, at).empty());
}

}  // namespace
}  // namespace curveview
