#include "app/core/statistics/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace qv {
namespace {

// A window of 52 rows of two columns; column 0 holds the values under test
// around row 25, column 1 a marker that must never leak into a result.
struct Window {
  std::vector<std::vector<double>> storage = std::vector<std::vector<double>>(52, std::vector<double>(2, 0.0));
  std::vector<const double*> rows;
  Window() {
    for (auto& r : storage) rows.push_back(r.data());
  }
  // Puts values into column 0 so that they are centred on row 25 for length n.
  void Centre(const std::vector<double>& values) {
    const int first = 25 - static_cast<int>(values.size()) / 2;
    for (std::size_t i = 0; i < values.size(); ++i) storage[first + i][0] = values[i];
  }
};

TEST(WindowStatisticColumn, ModesOverOneWindow) {
  struct Case {
    int mode;
    std::vector<double> values;
    double expected;
  } cases[] = {
      {1, {1, 9, 3, 7, 5}, 5.0},
      {2, {1, 9, 3, 7, 5}, 5.0},
      {3, {1, 9, 3, 7, 5}, 5.0},     // mean of sorted 3, 5, 7
      {3, {10, 1, 2, 3, 100}, 5.0},  // mean of sorted 2, 3, 10
      {3, {4, 1, 3, 2}, 3.0},        // n = 4: sorted 1..4, indices 1, 2, 3
      {2, {4, 1, 3, 2}, 3.0},        // even n: the upper middle value
      {1, {4, 1, 3, 2}, 2.5},
      {3, {7}, 7.0},
      {3, {9, 8, 7, 6, 5, 4, 3, 2, 1}, 5.0},  // n = 9, d = 5: sorted elements 2 to 6
      {0, {1, 2, 3}, 0.0},
      {4, {1, 2, 3}, 0.0},
      {255, {1, 2, 3}, 0.0},
  };
  for (const auto& c : cases) {
    Window w;
    w.Centre(c.values);
    EXPECT_DOUBLE_EQ(WindowStatisticColumn(c.mode, static_cast<int>(c.values.size()), w.rows.data(), 25, 0), c.expected)
        << "mode " << c.mode << " n " << c.values.size();
  }
}

TEST(WindowStatisticColumn, RowSpanAroundTheCentre) {
  // Odd n = 5 reads rows 23..27; even n = 4 reads rows 23..26.
  Window w;
  for (int r = 0; r < 52; ++r) w.storage[r][0] = r;
  EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, 5, w.rows.data(), 25, 0), 25.0);
  EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, 4, w.rows.data(), 25, 0), 24.5);
  EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, 51, w.rows.data(), 25, 0), 25.0);  // rows 0..50
}

TEST(WindowStatisticColumn, WiderWindowsAreClampedToRowsZeroToFifty) {
  Window w;
  for (int r = 0; r < 52; ++r) w.storage[r][0] = r;
  for (int n : {52, 53, 101, 1000000}) {
    EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, n, w.rows.data(), 25, 0), 25.0) << n;
    EXPECT_DOUBLE_EQ(WindowStatisticColumn(2, n, w.rows.data(), 25, 0), 25.0) << n;
    EXPECT_DOUBLE_EQ(WindowStatisticColumn(3, n, w.rows.data(), 25, 0), 25.0) << n;
  }
  // A centre near the top never reaches above row 0.
  EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, 51, w.rows.data(), 2, 0), 2.0);  // rows 0..4
  for (int n : {0, -5}) EXPECT_DOUBLE_EQ(WindowStatisticColumn(1, n, w.rows.data(), 25, 0), 0.0);
}

TEST(WindowStatisticColumn, NotANumberKeepsATotalOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Window w;
  w.Centre({nan, 1, nan, 3, 2});
  EXPECT_DOUBLE_EQ(WindowStatisticColumn(2, 5, w.rows.data(), 25, 0), 3.0);  // 1 2 3 nan nan
  double a = nan, b = 1.0;
  EXPECT_EQ(CompareDoubles(&a, &b), 1);
  EXPECT_EQ(CompareDoubles(&b, &a), -1);
  EXPECT_EQ(CompareDoubles(&a, &a), 0);
}

TEST(WindowStatisticRow, SameStatisticsAlongARow) {
  std::vector<double> row(52, 0.0);
  const double values[] = {1, 9, 3, 7, 5};
  for (int i = 0; i < 5; ++i) row[23 + i] = values[i];
  std::vector<double> other(52, 99.0);
  const double* rows[] = {other.data(), row.data()};
  EXPECT_DOUBLE_EQ(WindowStatisticRow(2, 5, rows, 25, 1), 5.0);
  EXPECT_DOUBLE_EQ(WindowStatisticRow(1, 5, rows, 25, 1), 5.0);
  EXPECT_DOUBLE_EQ(WindowStatisticRow(2, 5, rows, 25, 0), 99.0);
}

TEST(SampleIntervalFor, Table) {
  struct Case {
    int pulses;
    double sp2, dac2;
    bool imperial;
    int interval, pulsesOut;
  } cases[] = {
      {0, 0, 0, false, 32000, 5000},                                           // 5000 x 10 x 256 / 400
      {100001, 0, 0, false, 32000, 5000}, {1000, 1000, 0, false, 2560, 1000},  // 1000 x 10 x 256 / 1000
      {1000, 5000, 0, false, 6400, 1000},                                      // 5000 is out of range: 400
      {1000, 0, 3281, true, 3901, 1000},                                       // 12800000 / 3281 = 3901.25
      {1000, 0, 9000, true, 9756, 1000},                                       // 12800000 / 1312 = 9756.1
      {3, 0, 7, true, 5486, 3},                                                // 38400 / 7 = 5485.71 rounds up
      {1, 3, 0, false, 853, 1},                                                // 2560 / 3 = 853.3
  };
  for (const auto& c : cases) {
    const auto r = SampleIntervalFor(c.pulses, c.sp2, c.dac2, c.imperial);
    EXPECT_EQ(r.interval, c.interval) << c.pulses << " " << c.sp2 << " " << c.dac2;
    EXPECT_EQ(r.pulsesPerRevolution, c.pulsesOut);
  }
}

}  // namespace
}  // namespace qv
