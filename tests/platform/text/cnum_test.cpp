#include "platform/text/cnum.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// A locale with a decimal comma: an installed one, else one generated into
// the test folder from the system's locale sources.
locale_t DecimalCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
    if (locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0))) return l;
  const char* tmp = std::getenv("QV_TEST_TMP");
  const std::string dir = std::string(tmp ? tmp : "/tmp") + "/locale";
  std::filesystem::create_directories(dir);
  const std::string cmd = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(dir + "/de_DE.UTF-8")) return nullptr;
  setenv("LOCPATH", dir.c_str(), 1);
  locale_t l = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  unsetenv("LOCPATH");
  return l;
}

TEST(CNumbers, FormatsAndParsesInTheCLocale) {
  const struct {
    std::string got;
    const char* want;
  } formats[] = {
      {qv::FormatC("%d", -42), "-42"},
      {qv::FormatC("%f", 2.5), "2.500000"},
      {qv::FormatC("%.2f", 1234.567), "1234.57"},
      {qv::FormatC("%.15G", 0.1), "0.1"},
      {qv::FormatC("%.15G", 1e-20), "1E-20"},
      {qv::FormatC("%G", 3.280839895), "3.28084"},
      {qv::FormatC("%s=%u", "Key", 7u), "Key=7"},
  };
  for (const auto& f : formats) EXPECT_EQ(f.got, f.want);
  EXPECT_EQ(qv::FormatC("%s", std::string(1000, 'x').c_str()).size(), 1000u);

  const struct {
    const char* text;
    int i;
    double d;
  } parses[] = {
      {"  42abc", 42, 42.0}, {"-7", -7, -7.0},
      {"3.75", 3, 3.75},     {"1,5", 1, 1.0},
      {"", 0, 0.0},          {"x", 0, 0.0},
      {"1E3", 1, 1000.0},    {"99999999999", 2147483647, 99999999999.0},  // clamped, not undefined
  };
  for (const auto& p : parses) {
    EXPECT_EQ(qv::AtoiC(p.text), p.i) << p.text;
    EXPECT_DOUBLE_EQ(qv::AtofC(p.text), p.d) << p.text;
  }
  EXPECT_EQ(qv::AtoiC(nullptr), 0);
  EXPECT_EQ(qv::AtofC(nullptr), 0.0);
}

TEST(CNumbers, RoundTripUnderDecimalCommaLocale) {
  locale_t comma = DecimalCommaLocale();
  ASSERT_NE(comma, nullptr) << "no decimal-comma locale could be installed or generated";
  const locale_t prev = uselocale(comma);
  char plain[32];
  std::snprintf(plain, sizeof plain, "%.2f", 1.5);
  EXPECT_STREQ(plain, "1,50");  // the locale is really in force
  for (double v : {0.1, -1234.5678, 3.280839895, 1e-300, 6.02214076e23}) {
    const std::string text = qv::FormatC("%.15G", v);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    EXPECT_DOUBLE_EQ(qv::AtofC(text.c_str()), v) << text;
  }
  EXPECT_EQ(qv::FormatC("%f", 0.5), "0.500000");
  EXPECT_DOUBLE_EQ(qv::AtofC("2.25"), 2.25);
  uselocale(prev);
  freelocale(comma);
}

// The fixed-point formatter must give printf's bytes: halves that are exact in
// binary round to even, near-halves that are not follow their true value,
// negatives that round to zero keep the sign, and wide values overflow the
// field as printf lets them.
TEST(CNumbers, FixedFormatterMatchesPrintf) {
  const double awkward[] = {0.0,
                            -0.0,
                            0.005,
                            0.015,
                            0.025,
                            0.125,
                            0.375,
                            2.675,
                            1.005,
                            -0.001,
                            -0.004999,
                            -0.005,
                            -0.125,
                            0.994999,
                            0.995,
                            9.995,
                            99.995,
                            -999.25,
                            -999.255,
                            1e9,
                            -1e9,
                            123456.785,
                            1e13,
                            4.4e13,
                            4.5e13,
                            1e15,
                            1e300,
                            -1e300,
                            1e-300,
                            5e-324,
                            0.5,
                            1.5,
                            2.5,
                            4503599627370495.5,
                            45035996273704.96,
                            0.045,
                            1234567.005,
                            8.345,
                            -8.345,
                            7.0 / 3.0,
                            1.0 / 3.0};
  for (int width : {0, 9, 13})
    for (int precision : {0, 2, 4, 6})
      for (double v : awkward) {
        char fmt[16], expected[400];
        std::snprintf(fmt, sizeof fmt, "%%%d.%df", width, precision);
        std::snprintf(expected, sizeof expected, fmt, v);
        std::string got = "x";
        qv::AppendFixedC(got, v, width, precision);
        EXPECT_EQ(got, std::string("x") + expected) << fmt << " " << v;
      }
  // Every exact quarter, eighth and hundredth step over a range, and values
  // just beside each of them.
  for (int i = -40000; i <= 40000; ++i)
    for (double v : {i / 8.0, i / 100.0, i / 1000.0, std::nextafter(i / 200.0, 1e9), std::nextafter(i / 200.0, -1e9)}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%9.2f", v);
      std::string got;
      qv::AppendFixedC(got, v, 9, 2);
      ASSERT_EQ(got, expected) << v;
    }
}

}  // namespace
