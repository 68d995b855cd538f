#include <gtest/gtest.h>

#include "app/core/log_speed.h"

// The speed moves once a second (or every seventh read) and is the mean of
// the last four interval speeds that are not 0.
TEST(LogSpeedMeterTest, SmoothsOverIntervalsAndSurvivesOddClocks) {
  LogSpeedMeter m;
  EXPECT_EQ(m.Compute(10000, 5000), 120000);  // 2 thousandths per ms
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(m.Compute(10000 + 100 * i, 5000 + 100 * i), 120000) << i;
  EXPECT_EQ(m.Compute(10700, 5700), 90000);  // mean of 2 and 1 per ms
  // Seven reads of one millisecond: no interval to divide by, the speed stays.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(m.Compute(20000, 5700), 90000) << i;
  // The unit's clock starts again: the history goes, the speed stays until the next interval.
  EXPECT_EQ(m.Compute(0, 100), 90000);
  EXPECT_EQ(m.Compute(1000, 1100), 60000);
  EXPECT_EQ(m.Compute(500, 2100), 15000);  // mean of 1 and -0.5 per ms
}
