#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "logview/model/drawing.h"
#include "logview/model/history.h"

namespace curveview {
namespace {

struct Fixture {
  CurveRows rows;
  bool minuteFlag = false;
  explicit Fixture(RowSettings s, int depthStep, std::vector<int> channels = {1, 2}) {
    rows.Configure(channels, s);
    rows.ResetScroll(depthStep, s.depthScale);
  }
  void Add(std::vector<double> v, bool depthScaled = true, int move = 0) {
    rows.AddSample(v, depthScaled, move, [this] {
      const bool f = minuteFlag;
      minuteFlag = false;
      return f;
    });
  }
  // Display value of a curve by age (0 = newest).
  double Shown(int curve, int age) const {
    const int a = rows.Anchor();
    return rows.DisplayValue(curve, rows.Settings().upward ? a + age : a - age);
  }
  std::uint8_t Mark(int age) const {
    const int a = rows.Anchor();
    return rows.MarkAt(rows.Settings().upward ? a + age : a - age);
  }
};

RowSettings Metric(int n) {
  return {false, false, n, 1000};
}
RowSettings Imperial(int n) {
  return {false, true, n, 1000};
}

TEST(CurveRowsTest, RecordsBecomeRowsByDepthScale) {
  struct Case {
    const char* name;
    RowSettings settings;
    int step;
    bool depthScaled;
    int records;
    int wantRows;
  };
  const Case cases[] = {
      {"imperial 0.05 ft at 1:40 stretches each record over 3 rows", Imperial(40), 50, true, 4, 12},
      {"metric 1 cm at 1:500 averages about six records per row", Metric(500), 10, true, 64, 10},
      {"time log: one row per record", Metric(500), 10, false, 7, 7},
      {"no usable scale: one row per record", Metric(0), 10, true, 5, 5},
  };
  for (const auto& c : cases) {
    Fixture f(c.settings, c.step);
    for (int i = 0; i < c.records; ++i) f.Add({double(i), 0}, c.depthScaled);
    EXPECT_EQ(f.rows.PendingRows(), c.wantRows) << c.name;
  }
  Fixture metric(Metric(200), 10);
  EXPECT_NEAR(metric.rows.PixelsPerSample(), 0.3937, 1e-4);
}

TEST(CurveRowsTest, AveragedRowIsTheMeanOfItsRecords) {
  Fixture f(Metric(500), 10);  // 0.157 rows per record
  for (int i = 1; i <= 20; ++i) f.Add({double(i), 100.0 * i});
  const RowUpdate u = f.rows.TakePending();
  ASSERT_EQ(u.rows, 3);
  // Rows close at records 4, 10 and 16 (the accumulator rounds up to 1, 2,
  // 3); each is the mean of the records gathered since, the closing one
  // included.
  EXPECT_DOUBLE_EQ(f.Shown(0, 2), 2.5);
  EXPECT_DOUBLE_EQ(f.Shown(0, 1), (5 + 6 + 7 + 8 + 9 + 10) / 6.0);
  EXPECT_DOUBLE_EQ(f.Shown(1, 0), 100.0 * (11 + 12 + 13 + 14 + 15 + 16) / 6.0);
}

TEST(CurveRowsTest, NewestRowSitsAtTheAnchorAndOlderRowsMoveAway) {
  for (bool upward : {false, true}) {
    Fixture f({upward, true, 40, 900}, 50);
    f.Add({1, 10});
    f.Add({2, 20});
    EXPECT_TRUE(IsNoData(f.Shown(0, 0))) << "nothing shown before the update";
    f.rows.TakePending();
    const int a = f.rows.Anchor();
    EXPECT_EQ(a, upward ? kHistoryLength - 900 : 900);
    const int older = upward ? 1 : -1;
    EXPECT_DOUBLE_EQ(f.rows.DisplayValue(0, a), 2.0);
    EXPECT_DOUBLE_EQ(f.rows.DisplayValue(1, a + 3 * older), 10.0);
    EXPECT_TRUE(IsNoData(f.rows.DisplayValue(1, a + 6 * older))) << "older than the first record";
    EXPECT_TRUE(IsNoData(f.rows.DisplayValue(0, -1)));
    EXPECT_TRUE(IsNoData(f.rows.DisplayValue(0, kHistoryLength)));
  }
}

TEST(CurveRowsTest, ValuesComeFromEachCurvesPhysicalChannel) {
  Fixture f(Metric(1), 10, {3, 1, 0, 13});
  f.Add({1, 2, 3});
  f.rows.TakePending();
  EXPECT_DOUBLE_EQ(f.Shown(0, 0), 3.0);
  EXPECT_DOUBLE_EQ(f.Shown(1, 0), 1.0);
  EXPECT_TRUE(IsNoData(f.Shown(2, 0))) << "channel 0 does not exist";
  EXPECT_TRUE(IsNoData(f.Shown(3, 0))) << "channel beyond the record";
}

TEST(CurveRowsTest, DepthFollowsTheLogDirection) {
  Fixture f(Metric(200), 10);
  f.rows.SetDepth(5000);
  f.Add({0, 0}, true, -1);
  f.Add({0, 0}, true, -1);
  EXPECT_EQ(f.rows.Depth(), 4980);
  f.Add({0, 0}, true, +1);
  f.Add({0, 0}, true, 0);
  EXPECT_EQ(f.rows.Depth(), 4990);
  EXPECT_EQ(f.rows.TakePending().depth, 4990);
  EXPECT_EQ(f.rows.LastUpdateDepth(), 4990);
}

TEST(CurveRowsTest, MinuteMarkLandsOnTheRowOfItsRecord) {
  Fixture f(Metric(200), 10);
  f.minuteFlag = true;
  for (int i = 0; i < 5; ++i) f.Add({0, 0}, false);
  const RowUpdate u = f.rows.TakePending();
  EXPECT_EQ(u.rows, 5);
  EXPECT_EQ(u.minuteAge, 4);
  EXPECT_TRUE(f.Mark(4) & kMinuteMark);
  EXPECT_FALSE(f.Mark(3) & kMinuteMark);
}

TEST(CurveRowsTest, DepthTicksFallOnWholePaperDistances) {
  Fixture f(Metric(200), 10);
  f.rows.SetDepth(0);
  for (int i = 0; i < 100; ++i) f.Add({0, 0}, false);
  f.rows.TakePending();
  // One row is 25.4 mm of depth at 1:200: a large tick every 2 m, a medium
  // one every metre, a small one every 20 cm; of two candidate rows the
  // newer one wins.
  const std::pair<int, int> want[] = {{0, 3}, {1, 0}, {2, 0}, {7, 1}, {8, 0}, {39, 2}, {40, 0}, {78, 3}, {79, 0}};
  for (auto [age, tick] : want) EXPECT_EQ(f.Mark(age) & kTickMask, tick) << "age " << age;
  int last = -10;
  for (int age = 0; age < 100; ++age) {
    if (!(f.Mark(age) & kTickMask)) continue;
    EXPECT_GE(age - last, 3) << age;
    last = age;
  }
}

TEST(CurveRowsTest, OverlongBacklogIsTakenInOneBoundedBatch) {
  Fixture f(Metric(1), 10);
  for (int i = 0; i < kHistoryLength + 500; ++i) f.Add({double(i), 0}, false);
  const RowUpdate u = f.rows.TakePending();
  EXPECT_EQ(u.rows, kHistoryLength);
  EXPECT_EQ(f.rows.PendingRows(), 0);
  EXPECT_DOUBLE_EQ(f.Shown(0, 0), kHistoryLength + 499.0);
  EXPECT_EQ(f.rows.TakePending().rows, 0);
}

TEST(CurveRowsTest, RowsAddedWhileTheDisplayTakesThemAreNeitherLostNorDoubled) {
  Fixture f(Metric(1), 10);
  constexpr int kRecords = 20000;
  std::atomic<bool> done{false};
  std::thread recorder([&] {
    for (int i = 1; i <= kRecords; ++i) {
      // Keep the backlog within one history, as a display thread keeps up.
      while (f.rows.PendingRows() > kHistoryLength / 2) std::this_thread::yield();
      f.Add({double(i), 0}, false);
    }
    done = true;
  });
  long long taken = 0;
  double newest = 0;
  while (!done || f.rows.PendingRows() > 0) {
    const RowUpdate u = f.rows.TakePending();
    taken += u.rows;
    if (u.rows > 0) {
      std::lock_guard lock(f.rows.DisplayLock());
      const double v = f.Shown(0, 0);
      // The rows taken follow on from the previous take, one record each
      // (as far back as the history reaches from its newest row).
      const int oldest = std::min(u.rows - 1, f.rows.Anchor());
      EXPECT_DOUBLE_EQ(f.Shown(0, oldest), v - oldest);
      EXPECT_DOUBLE_EQ(v - (u.rows - 1), newest + 1);
      newest = v;
    }
  }
  recorder.join();
  EXPECT_EQ(taken, kRecords);
  EXPECT_DOUBLE_EQ(newest, kRecords);
}

TEST(CurveRowsTest, RowsBeforeSetUpAreDropped) {
  CurveRows rows;
  const double v[] = {1, 2};
  rows.AddSample(v, false, 1, [] { return true; });
  EXPECT_EQ(rows.TakePending().rows, 0);
  EXPECT_EQ(rows.PendingRows(), 0);
  EXPECT_TRUE(IsNoData(rows.DisplayValue(0, rows.Anchor())));
}

TEST(CurveRowsTest, ClearedHistoriesShowNoData) {
  Fixture f(Metric(1), 10);
  f.Add({5, 5}, false);
  f.rows.TakePending();
  f.rows.ClearHistories();
  EXPECT_TRUE(IsNoData(f.Shown(0, 0)));
  int depth = 0;
  EXPECT_FALSE(f.rows.RowDepth(f.rows.Anchor(), &depth));
}

// Each row keeps the depth of its record; where the records jump (a log
// resumed deeper after a pause) the ticks start again from the rows' own
// depth, and a label names the depth of its own row.
TEST(CurveRowsTest, RowsKeepTheirDepthAcrossAJump) {
  Fixture f(Metric(100), 10);  // 0.787 rows per record, a label every metre
  f.rows.SetDepth(1000);
  for (int i = 0; i < 200; ++i) f.Add({1, 1}, true, +1);  // 1.00 to 2.99 m
  f.rows.SetDepth(3500);                                  // resumed at 3.50 m
  for (int i = 0; i < 200; ++i) f.Add({2, 2}, true, +1);  // 3.50 to 5.49 m
  ASSERT_EQ(f.rows.TakePending().rows, 315);
  const int a = f.rows.Anchor();
  int depth = 0;
  ASSERT_TRUE(f.rows.RowDepth(a, &depth));
  EXPECT_EQ(depth, 5490);
  ASSERT_TRUE(f.rows.RowDepth(a - 158, &depth));
  EXPECT_NEAR(depth, 2990, 20) << "the first section keeps its own depths";

  DepthTrackView v;
  v.legendHeight = 30;
  v.clientBottom = 30 + 400;
  v.window = {a - 400, a};
  v.depthScale = 100;
  v.lastDepth = f.rows.LastUpdateDepth();
  const auto marks = DepthMarks(
      v, [&](int q) { return f.rows.MarkAt(q); }, [&](int q, int* d) { return f.rows.RowDepth(q, d); });
  std::vector<std::string> labels;
  for (const auto& m : marks)
    if (m.label) labels.push_back(m.text);
  EXPECT_EQ(labels, (std::vector<std::string>{" 5.0 ", " 4.0 ", " 2.0 ", " 1.0 "}));
}

}  // namespace
}  // namespace curveview
