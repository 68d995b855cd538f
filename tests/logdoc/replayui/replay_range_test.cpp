// The replay range a user types: which from and to depths the settings
// refuse for a log recorded downward and one recorded upward, and the hand-
// over of a depth in header units.
#include "logdoc/replayui/replay_range.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ReplayRange, FromAndToChecksFollowTheLogsDirection) {
  const qv::ReplayRangeLimits down{100.0, 250.0, true};
  const qv::ReplayRangeLimits up{250.0, 100.0, false};
  struct Case {
    const char* name;
    qv::ReplayRangeLimits limits;
    double from, to;
    bool fromWrong, toWrong;
  };
  const Case cases[] = {
      {"down: the log's own range", down, 100, 250, false, false},
      {"down: a window inside", down, 120, 200, false, false},
      {"down: from above the start", down, 90, 250, true, false},
      {"down: to below the end", down, 100, 260, false, true},
      {"down: to before from", down, 120, 110, true, true},
      {"down: from at to", down, 200, 200, true, true},
      {"up: the log's own range", up, 250, 100, false, false},
      {"up: a window inside", up, 200, 120, false, false},
      {"up: from below the start", up, 260, 100, true, false},
      {"up: to past the end", up, 250, 90, false, true},
      {"up: to above from", up, 110, 120, true, true},
      {"from is no number", down, kNaN, 250, true, false},
      {"to is no number", down, 100, kNaN, false, true},
      {"an infinite from", down, -INFINITY, 250, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::FromDepthWrong(c.from, c.to, c.limits), c.fromWrong) << c.name;
    EXPECT_EQ(qv::ToDepthWrong(c.from, c.to, c.limits), c.toWrong) << c.name;
  }
}

TEST(ReplayRange, ALogWhoseStartIsItsEndKeepsItsOwnRange) {
  // A log of one record: its own start and end are accepted, so the settings
  // can still be confirmed.
  const qv::ReplayRangeLimits one{42.0, 42.0, false};
  EXPECT_FALSE(qv::FromDepthWrong(42.0, 42.0, one));
  EXPECT_FALSE(qv::ToDepthWrong(42.0, 42.0, one));
  EXPECT_TRUE(qv::FromDepthWrong(43.0, 42.0, one));
}

TEST(ReplayRange, DepthsBecomeThousandthsTruncatedTowardZero) {
  struct Case {
    double depth;
    int units;
  };
  const Case cases[] = {
      {0.0015, 1}, {-0.0015, -1},   {100.0, 100000},  {123.457, 123457}, {-123.457, -123457},
      {0.0, 0},    {1e12, INT_MAX}, {-1e12, INT_MIN}, {kNaN, 0},         {2.0009, 2000},
  };
  for (const Case& c : cases) EXPECT_EQ(qv::ToHeaderDepth(c.depth), c.units) << c.depth;
}

}  // namespace
