#include "logview/model/layout.h"

#include <gtest/gtest.h>

namespace curveview {
namespace {

std::vector<TrackRecord> LogTracks() {
  std::vector<TrackRecord> t(4);
  for (int i = 0; i < 4; ++i) t[i].order = i;
  t[kDepthTrackNumber].type = kDepthTrackType;
  t[kDepthTrackNumber].gridFlag = 1;
  return t;
}

CurveRecord Curve(int first, int last, bool shown, int row = 0) {
  CurveRecord c;
  c.firstTrack = first;
  c.lastTrack = last;
  c.headerFlag = shown;
  c.headerLine = row;
  c.scaleFlag = 1;
  return c;
}

TEST(CurveLayout, FourTracksShareTheWidthBesideTheDepthTrack) {
  auto tracks = LogTracks();
  const int right = LayoutTrackRects(tracks, {0, 0, 1000, 500}, 1);
  EXPECT_EQ(right, 1000);
  const int lefts[] = {0, 306, 388, 694};
  const int widths[] = {304, 80, 304, 304};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(tracks[i].screenRect.left, lefts[i]) << i;
    EXPECT_EQ(Width(tracks[i].screenRect), widths[i]) << i;
    EXPECT_EQ(tracks[i].screenRect.bottom, 500);
    EXPECT_EQ(tracks[i].style, kTrackStyleWord);
  }
  EXPECT_EQ(tracks[1].minimalWidth, kDepthTrackMinWidth);
  EXPECT_EQ(tracks[1].gridFlag, 0);
  EXPECT_EQ(tracks[0].minimalWidth, kDataTrackMinWidth);
}

TEST(CurveLayout, DegenerateLayoutsStayDrawable) {
  struct Case {
    const char* name;
    int trackCount;
    bool depthTrack;
    int clientWidth;
    int firstWidth;
  };
  const Case cases[] = {
      {"one data track takes the whole width", 1, false, 300, 300},
      {"a lone depth track keeps its width", 1, true, 300, 80},
      {"a window narrower than the depth track", 4, true, 50, 80},
  };
  for (const auto& c : cases) {
    std::vector<TrackRecord> tracks(static_cast<size_t>(c.trackCount));
    if (c.depthTrack) tracks[0].type = kDepthTrackType;
    LayoutTrackRects(tracks, {0, 0, c.clientWidth, 100}, 1);
    EXPECT_EQ(tracks[0].width, c.firstWidth) << c.name;
    for (const auto& t : tracks) EXPECT_GE(t.width, 0) << c.name;
  }
}

TEST(CurveLayout, TwoTrackCurvesLeadTheLegend) {
  std::vector<std::unique_ptr<CurveRecord>> source;
  source.push_back(std::make_unique<CurveRecord>(Curve(0, 0, true)));
  source.back()->description = "a";
  source.push_back(std::make_unique<CurveRecord>(Curve(0, 0, true)));
  source.back()->description = "b";
  source.push_back(std::make_unique<CurveRecord>(Curve(2, 3, true)));
  source.back()->description = "span";
  source.push_back(std::make_unique<CurveRecord>(Curve(3, 3, false, 7)));
  source.back()->description = "hidden";
  source.push_back(std::make_unique<CurveRecord>(Curve(3, 3, true)));
  source.back()->description = "t3";
  std::vector<CurveRecord> curves;
  const int rows = BuildCurveTable(source, curves);
  EXPECT_TRUE(source.empty());
  ASSERT_EQ(curves.size(), 5u);
  const char* order[] = {"span", "a", "b", "hidden", "t3"};
  const int legendRows[] = {0, 0, 1, 7, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(curves[i].description, order[i]);
    EXPECT_EQ(curves[i].headerLine, legendRows[i]) << order[i];
  }
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(LegendRowsOf(curves), 2);
}

TEST(CurveLayout, LogarithmicScalesSpanWholeDecades) {
  struct Case {
    float min, max;
    bool twoTrack;
    float slack;
    float wantMin, wantMax;
  };
  const Case cases[] = {
      {2, 500, false, 0.999999f, 2, 200},      {0, 100, false, 0.999999f, 1, 100},
      {0.5f, 0.5f, false, 0.999999f, 0.5f, 5}, {1, 10, true, 0.999999f, 1, 100},
      {-4, 0, false, 0.999999f, 1, 10},        {0.5f, 2000, false, 0.999999f, 0.5f, 5000},
      {2, 3, false, 0.999999f, 2, 20},         {2, 30, true, 0.999999f, 2, 200},
      {3, 200, false, 0.999999f, 3, 300},
  };
  for (const auto& c : cases) {
    const LogScale s = NormaliseLogScale(c.min, c.max, c.twoTrack, c.slack);
    EXPECT_FLOAT_EQ(s.minimum, c.wantMin) << c.min << ".." << c.max;
    EXPECT_FLOAT_EQ(s.maximum, c.wantMax) << c.min << ".." << c.max;
  }
}

TEST(CurveLayout, LogTrackNormalisesItsCurvesAndMarksTheSecondTrack) {
  auto tracks = LogTracks();
  tracks[kTrack2].gridStyle = kLogGridStyle;
  std::vector<CurveRecord> curves = {Curve(2, 3, true), Curve(0, 0, true)};
  curves[0].scaleMinimum = 1;
  curves[0].scaleMaximum = 10;
  curves[1].scaleMinimum = 0;
  curves[1].scaleMaximum = 50;
  NormaliseLogCurves(curves, tracks);
  EXPECT_EQ(tracks[kTrack3].gridStyle, kLogGridStyle);
  EXPECT_FLOAT_EQ(curves[0].scaleMaximum, 100);
  EXPECT_FLOAT_EQ(curves[1].scaleMinimum, 0);  // linear track: untouched
}

TEST(CurveLayout, HistoryWindowFollowsTheLogDirection) {
  HistoryWindow down = WindowFor(false, 1000, 500, 60);
  EXPECT_EQ(down.end, 1000);
  EXPECT_EQ(down.start, 560);
  HistoryWindow up = WindowFor(true, 1000, 500, 60);
  EXPECT_EQ(up.start, 1400);
  EXPECT_EQ(up.end, 1840);
  HistoryWindow tall = WindowFor(false, 5000, 500, 30);
  EXPECT_EQ(tall.end, kHistoryLength);
}

TEST(CurveLayout, LegendBoxesMergeOverTracksTwoAndThree) {
  auto tracks = LogTracks();
  LayoutTrackRects(tracks, {0, 0, 1000, 500}, 1);
  std::vector<CurveRecord> curves = {Curve(2, 3, true, 0), Curve(0, 0, true, 0), Curve(2, 2, true, 1)};
  const auto frames = LegendFrames(curves, tracks, 2);
  ASSERT_EQ(frames.size(), 7u);  // row 0: tracks 0, 1 and 2-3 merged; row 1: all four
  EXPECT_EQ(frames[2].left, 388);
  EXPECT_EQ(frames[2].right, 999);
  EXPECT_EQ(frames[5].left, 388);
  EXPECT_EQ(frames[5].top, 30);
  int position = 0;
  EXPECT_EQ(HitLegend(curves, tracks, 900, 10, &position), 0);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(HitLegend(curves, tracks, 400, 40, &position), 2);
  EXPECT_EQ(position, 3);
  EXPECT_EQ(HitLegend(curves, tracks, 400, 70, &position), -1);
}

}  // namespace
}  // namespace curveview
