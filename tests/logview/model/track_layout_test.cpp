// The image views' track layout, depth heading choice and depth labels.
#include "logview/model/track_layout.h"

#include <gtest/gtest.h>

namespace {

std::vector<TrackRecord> Tracks(int n) {
  std::vector<TrackRecord> t(static_cast<std::size_t>(n));
  t[0].type = 1;
  for (int i = 0; i < n; ++i) t[static_cast<std::size_t>(i)].order = i;
  return t;
}

std::vector<std::pair<int, int>> Spans(const std::vector<TrackRecord>& tracks) {
  std::vector<std::pair<int, int>> out;
  for (const auto& t : tracks) out.emplace_back(t.screenRect.left, t.screenRect.right);
  return out;
}

TEST(ImageTrackLayout, TracksShareTheClientWidth) {
  struct Case {
    const char* name;
    int tracks;
    int width;
    std::vector<int> ideal;  // given ideal widths; empty: a new layout's
    std::vector<std::pair<int, int>> spans;
  } cases[] = {
      {"depth and two images", 3, 500, {}, {{0, 100}, {102, 302}, {304, 502}}},
      {"a narrow window cuts the last image", 3, 400, {}, {{0, 100}, {102, 252}, {254, 402}}},
      {"a track that no longer fits its minimum gives the rest to the one before",
       3,
       340,
       {100, 200, 200},
       {{0, 100}, {102, 340}, {342, 342}}},
      {"a track below its minimum gets nothing", 3, 500, {100, 100, 200}, {{0, 100}, {102, 102}, {104, 304}}},
      {"one track alone takes the whole width", 1, 300, {}, {{0, 300}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto tracks = Tracks(c.tracks);
    qv::SetupTrackWidths(tracks, c.width);
    for (std::size_t i = 0; i < c.ideal.size(); ++i) tracks[i].idealWidth = c.ideal[i];
    qv::LayoutTracks(tracks, {0, 0, c.width, 400}, 1);
    EXPECT_EQ(Spans(tracks), c.spans);
    EXPECT_EQ(tracks[0].screenRect.bottom, 400);
  }
}

TEST(ImageTrackLayout, TheDepthHeadingTakesWhatFits) {
  using qv::DepthHeading;
  struct Case {
    int title, shortTitle, track;
    DepthHeading heading;
  } cases[] = {
      {40, 25, 100, DepthHeading::kTitle},
      {40, 25, 40, DepthHeading::kShortTitle},
      {40, 25, 26, DepthHeading::kShortTitle},
      {40, 25, 25, DepthHeading::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(qv::ChooseDepthHeading(c.title, c.shortTitle, c.track), c.heading) << c.track;
}

TEST(ImageTrackLayout, DepthLabelsStartFromTheShownDepth) {
  struct Case {
    int depth;
    bool up;
    std::string first;
  } cases[] = {
      {1250, true, " 1.50 "}, {1250, false, " 1.00 "},  {1500, true, " 1.50 "},
      {0, true, " 0.00 "},    {-1250, true, " -1.00 "}, {100000, false, " 100.00 "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(qv::DepthLabel(qv::FirstDepthLabel(c.depth, c.up)), c.first) << c.depth << (c.up ? " up" : " down");
}

}  // namespace
