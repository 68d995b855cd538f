// The pacing formulas of a live log: the logging speed and the poll period.
#include "logdoc/monitor/log_speed.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(PollInterval, Table) {
  struct Case {
    int n, step;
    bool imperial, print;
    int scale, expected;
  } cases[] = {
      {100, 10, false, false, 100, 5},                                         // 10 mm, 1:100, no printing
      {1, 10, false, false, 100, 500},       {50, 10, false, false, 100, 10},  // replay starts at 50
      {100, 10, false, true, 100, 15},                                         // the chart recorder slows the loop
      {1, 10, false, true, 100, 1500},       {100, 50, true, false, 100, 7},   // 50 thousandths of a foot = 15.24 mm
      {3, 10, false, false, 100, 166},                                         // truncated toward zero
      {100, 1, false, false, 1000, 1},                                         // never below 1
      {0, 10, false, false, 100, 500},        // a pace of 0 is held to 1, not divided by
      {255, 10, false, false, 100, 5},        // above 100 is held to 100
      {100, 10, false, false, 0, 5},          // a scale below 1 counts as 1:100
      {100, -10, false, false, 100, 1},       // a negative step gives no negative period
      {1, INT_MAX, false, true, 1, INT_MAX},  // too long a period is held, not overflowed
  };
  for (const Case& c : cases)
    EXPECT_EQ(qv::ComputePollInterval(c.n, c.step, c.imperial, c.print, c.scale), c.expected)
        << "n " << c.n << " step " << c.step << " imperial " << c.imperial << " print " << c.print << " scale "
        << c.scale;
}

// One call of the speed computation and the speed it should give.
struct Step {
  int depth, time, speed;
  const char* why;
};

void RunSteps(qv::LogSpeed& s, std::initializer_list<Step> steps) {
  for (const Step& st : steps) EXPECT_EQ(s.Compute(st.depth, st.time), st.speed) << st.why;
}

TEST(LogSpeed, HoldsForSixQuickCallsThenAveragesTheLastFourIntervals) {
  qv::LogSpeed s;
  RunSteps(s, {
                  {5000000, 9000, 0, "the first call only takes its reference point"},
                  {5000100, 9100, 0, "quick call 1"},
                  {5000200, 9200, 0, "quick call 2"},
                  {5000300, 9300, 0, "quick call 3"},
                  {5000400, 9400, 0, "quick call 4"},
                  {5000500, 9500, 0, "quick call 5"},
                  {5000600, 9600, 0, "quick call 6"},
                  {5000700, 9700, 60000, "the seventh call: 700 units in 700 ms"},
                  {5002700, 10700, 90000, "a second later: mean of 1 and 2 units per ms"},
                  {5002700, 11700, 90000, "standing still: a zero interval stays out of the mean"},
                  {5002700, 12700, 90000, "still the two moving intervals"},
                  {5002700, 13700, 120000, "the older moving interval dropped out"},
                  {5002700, 14700, 0, "four standing intervals: speed 0"},
                  {5002000, 15700, -42000, "raising the sonde: negative speed"},
              });
  EXPECT_EQ(s.Current(), -42000);
}

TEST(LogSpeed, ClockRunningBackAndRepeatedTimes) {
  qv::LogSpeed s;
  RunSteps(s, {
                  {0, 0, 0, "reference"},
                  {1000, 1000, 60000, "1 unit per ms"},
                  {5000, 500, 60000, "the clock ran back: the shown speed stays"},
                  {5500, 1500, 30000, "the history was cleared: only the new interval counts"},
              });
  // Seven calls at one moment: none may divide by a zero interval.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(s.Compute(9000 + i, 1500), 30000) << i;
  // Times count as unsigned: 0x7FFFFFFF to 0x80000000 is 1 ms forward, not back.
  qv::LogSpeed w;
  w.Compute(0, INT_MAX - 999);
  EXPECT_EQ(w.Compute(2000, INT_MIN), 120000);
}

TEST(LogSpeed, ResetAndClearHistory) {
  qv::LogSpeed s;
  RunSteps(s, {{0, 0, 0, "reference"}, {3000, 1000, 180000, "3 units per ms"}});
  s.ClearHistory();
  EXPECT_EQ(s.Compute(4000, 2000), 60000) << "the reference point stays; only the new interval counts";
  s.Reset();
  EXPECT_EQ(s.Compute(1500000, 2000000), 60000) << "after a reset the first call measures nothing";
  EXPECT_EQ(s.Compute(1501000, 2001000), 60000);
  EXPECT_EQ(s.Compute(1503000, 2002000), 90000);
}

}  // namespace
