#include "devices/thrm32/tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

// The values the logger's maker gave for each type predate the current
// reference functions; the tables here come from the ITS-90 functions and
// must agree with the maker's anchors within a count near 0 degC and within
// 16 counts (about 15 uV, well under half a degree) at the top of each range.
TEST(Tables, EachTypeAgreesWithItsAnchors) {
  const struct {
    char type;
    int32_t base, upper;
    size_t count;
    int32_t atBase, atZero, atTen, last;
  } rows[] = {
      {'K', -27000, 137000, 165, -7110, 0, 437, 60342},  {'B', 0, 182000, 183, 0, 0, -2, 15209},
      {'E', -27000, 79000, 107, -10828, 0, 651, 66320},  {'J', -21000, 102000, 124, -8914, 0, 558, 65092},
      {'R', -5000, 176000, 182, -249, 0, 59, 23127},     {'S', -5000, 176000, 182, -260, 0, 61, 20492},
      {'T', -27000, 40000, 68, -6890, 0, 430, 22977},    {'N', -26000, 130000, 157, -4774, 0, 288, 52299},
  };
  for (const auto& r : rows) {
    const thrm::TypeTable* t = thrm::FindType(r.type);
    ASSERT_NE(t, nullptr) << r.type;
    EXPECT_EQ(t->base, r.base) << r.type;
    EXPECT_EQ(t->upper, r.upper) << r.type;
    EXPECT_EQ(t->step, 1000);
    ASSERT_EQ(t->values.size(), r.count) << r.type;
    const size_t zero = static_cast<size_t>(-r.base / 1000);
    EXPECT_NEAR(t->values.front(), r.atBase, 1) << r.type;
    EXPECT_EQ(t->values[zero], r.atZero) << r.type;
    EXPECT_NEAR(t->values[zero + 1], r.atTen, 1) << r.type;
    EXPECT_NEAR(t->values.back(), r.last, 16) << r.type;
    // Between the points the table follows the reference function: a
    // reading converts back to its temperature within 0.2 degC, 0.5 below
    // -200 degC (away from
    // the cold end of each range, where a count is worth more than that).
    for (int32_t temp = r.base + 3500; temp < r.upper; temp += 3700) {
      double uv = 0;
      ASSERT_TRUE(thrm::ReferenceMicrovolts(r.type, temp / 100.0, &uv));
      int32_t back = 0;
      const int32_t counts = thrm::MicrovoltsToCounts(uv);
      if (r.type == 'B' && temp < 30000) continue;  // type B barely moves below a few hundred degC
      ASSERT_TRUE(thrm::LinearizeThermocouple(*t, int64_t{counts} * 10, 10, &back)) << r.type << temp;
      EXPECT_NEAR(back, temp, temp < -20000 ? 50 : 20) << r.type << " at " << temp;  // curved below -200 degC
    }
  }
  EXPECT_TRUE(thrm::FindType('X')->values.empty());
  EXPECT_EQ(thrm::FindType('k'), thrm::FindType('K'));
  EXPECT_EQ(thrm::FindType('Q'), nullptr);
}

TEST(Tables, ColdJunctionRatio) {
  const thrm::TypeTable& cj = thrm::ColdJunctionTable();
  ASSERT_EQ(cj.values.size(), 136u);
  EXPECT_FALSE(cj.rising);
  EXPECT_EQ(cj.base, -4000);
  EXPECT_EQ(cj.upper, 9500);
  EXPECT_EQ(cj.values[0], 2631598);
  EXPECT_EQ(cj.values[1], 2459661);
  EXPECT_EQ(cj.values[2], 2298958);
  EXPECT_EQ(cj.values[135], 4227);
  EXPECT_NEAR(cj.values[65], 65536, 1);  // 1.0 at 25.00 degC
  for (size_t i = 0; i + 1 < cj.values.size(); ++i) EXPECT_GT(cj.values[i], cj.values[i + 1]) << i;
  int32_t t = 0;
  ASSERT_TRUE(thrm::LinearizeThermocouple(cj, 65536, 1, &t));
  EXPECT_NEAR(t, 2500, 1);
  EXPECT_FALSE(thrm::LinearizeThermocouple(cj, 4000, 1, &t));  // hotter than 95 degC
}

TEST(Tables, WorkedExampleAndOutOfRange) {
  const thrm::TypeTable& k = *thrm::FindType('K');
  EXPECT_NEAR(k.values[29], 879, 1);  // 20 degC
  EXPECT_NEAR(k.values[30], 1324, 1);  // 30 degC
  int32_t cj = 0;
  ASSERT_TRUE(thrm::ValueAtTemperature(k, 2500, &cj));
  EXPECT_NEAR(cj, 1101, 1);
  // Reading 0 with a 25.00 degC cold junction, factor 10: 24.98 degC by the
  // maker's values; the reference tables give 25.00.
  int32_t t = 0;
  ASSERT_TRUE(thrm::LinearizeThermocouple(k, 0 + 10 * int64_t{cj}, 10, &t));
  EXPECT_NEAR(t, 2498, 3);
  // The maker's own two points give exactly the worked figure.
  thrm::TypeTable two{'K', true, 2000, 3000, 1000, {879, 1324}};
  ASSERT_TRUE(thrm::ValueAtTemperature(two, 2500, &cj));
  EXPECT_EQ(cj, 1101);
  ASSERT_TRUE(thrm::LinearizeThermocouple(two, 10 * int64_t{cj}, 10, &t));
  EXPECT_EQ(t, 2498);

  EXPECT_FALSE(thrm::LinearizeThermocouple(k, int64_t{k.values.back() + 1} * 10, 10, &t));
  EXPECT_FALSE(thrm::LinearizeThermocouple(k, int64_t{k.values.front() - 1} * 10, 10, &t));
  EXPECT_FALSE(thrm::ValueAtTemperature(k, 137001, &cj));
  EXPECT_FALSE(thrm::ValueAtTemperature(*thrm::FindType('B'), -100, &cj));
  EXPECT_FALSE(thrm::LinearizeThermocouple(k, 0, 0, &t));  // never divides by a zero factor
}

TEST(Tables, ArithmeticMedianAndCommandBytes) {
  const struct {
    std::vector<int32_t> v;
    int32_t want;
  } medians[] = {{{5}, 5}, {{5, 9}, 9}, {{9, 1, 5}, 5}, {{-3, -1, -2}, -2}, {{}, 0}};
  for (const auto& m : medians)
    EXPECT_EQ(thrm::MedianOfThree(m.v.data(), static_cast<int>(m.v.size())), m.want);
  EXPECT_EQ(thrm::MulDivRound(5, 1, 2), 3);
  EXPECT_EQ(thrm::MulDivRound(-5, 1, 2), -3);
  EXPECT_EQ(thrm::MulDivRound(7, 1, 4), 2);
  EXPECT_EQ(thrm::MulDivRound(1000, 59524, 65536), 908);
  EXPECT_EQ(thrm::MulDivRound(1, 1, 0), 0);

  const struct {
    int bits, code;
  } resolutions[] = {{8, -1}, {9, 28}, {10, 24}, {11, 20}, {12, 16}, {13, 12}, {14, 8}, {15, 4}, {16, 0}, {17, -1}};
  for (const auto& r : resolutions) EXPECT_EQ(thrm::ResolutionCode(r.bits), r.code) << r.bits;
  const uint8_t at16[] = {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0x01, 0x22, 0x42};
  const uint8_t at13[] = {0x0C, 0x2C, 0x4C, 0x6C, 0x8C, 0xAC, 0xCC, 0xEC, 0x01, 0x2E, 0x4E};
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(thrm::CommandByte(i, 0), at16[i]) << i;
    EXPECT_EQ(thrm::CommandByte(i, 12), at13[i]) << i;
  }
}

}  // namespace
