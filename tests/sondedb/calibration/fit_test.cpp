// The calibration fit against a table of jig points whose exact coefficients
// were computed once in rational arithmetic (make_fit_table.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/strings.h"
#include "sondedb/calibration/fit.h"
#include "sondedb/calibration/matrix.h"
#include "sondedb/calibration/trace.h"

namespace {

struct FitCase {
  std::string line;
  std::vector<double> counts, references;
  Coefficients exact{};
};

std::vector<FitCase> LoadTable() {
  std::ifstream in(std::string(QV_TEST_SOURCE_DIR) + "/fit_table.txt");
  std::vector<FitCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ss(line);
    FitCase c;
    c.line = line;
    int n = 0;
    ss >> n;
    c.counts.resize(n);
    c.references.resize(n);
    for (auto& v : c.counts) ss >> v;
    for (auto& v : c.references) ss >> v;
    for (auto& v : c.exact) ss >> v;
    cases.push_back(c);
  }
  return cases;
}

TEST(CalibrationFit, JigPointsMatchTheExactInterpolation) {
  const auto cases = LoadTable();
  ASSERT_FALSE(cases.empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto r = qv::FitJigPoints(c.counts.data(), c.references.data(), static_cast<int>(c.counts.size()));
    ASSERT_TRUE(r.ok) << r.error;
    // Each coefficient judged by what it contributes at the largest count.
    const double xmax = *std::max_element(c.counts.begin(), c.counts.end());
    double ymax = 1;
    for (double y : c.references) ymax = std::max(ymax, std::fabs(y));
    for (int i = 0; i < kCoefficientSlots; ++i) {
      const double scale = std::pow(xmax, i);
      EXPECT_NEAR(r.c[i] * scale, c.exact[i] * scale, 1e-9 * ymax) << "c" << i;
      if (i >= static_cast<int>(c.counts.size())) {
        EXPECT_EQ(r.c[i], 0.0);
      }
    }
    for (size_t i = 0; i < c.counts.size(); ++i)
      EXPECT_NEAR(qv::EvaluateCalibration(r.c, c.counts[i]), c.references[i], 1e-9 * ymax) << "point " << i;
  }
}

TEST(CalibrationFit, RulesOfTheCountingRegimes) {
  // Aluminium and water: a straight line in single precision (counts within
  // one of each other are refused below).
  auto r = qv::FitTwoJigLine(1000, 282, 3000, 11000);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.c[1], static_cast<double>(static_cast<float>(10718.0f / 2000)));
  EXPECT_NEAR(qv::EvaluateCalibration(r.c, 3000), 11000, 1e-3);
  EXPECT_NEAR(qv::EvaluateCalibration(r.c, 1000), 282, 1e-2);
  r = qv::FitTwoJigLine(1000, 282, 1002, 11000);
  ASSERT_TRUE(r.ok) << "two counts apart still make a line";
  EXPECT_EQ(r.c[1], static_cast<double>(static_cast<float>(10718.0f / 2)));
  // Sleeve: far 12000, near 6000, ratio 2.5.
  r = qv::FitRatioCorrection(6000, 12000, 2.5);
  ASSERT_TRUE(r.ok);
  EXPECT_DOUBLE_EQ(r.c[1], 0.8);
  EXPECT_EQ(r.c[0], 0.0);
  // Background 100, API jig 1100, value 200.
  r = qv::FitApiCorrection(100, 1100, 200);
  ASSERT_TRUE(r.ok);
  EXPECT_DOUBLE_EQ(r.c[1], 0.2);
}

TEST(CalibrationFit, RefusesWhatHasNoFiniteUniqueAnswer) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Jigs {
    std::vector<double> counts, references;
    unsigned text;
  };
  const std::vector<Jigs> jigs = {
      {{100, 100}, {5, 10}, 34000},
      {{100, 200, 100}, {1, 4, 9}, 34000},
      {{10, 20, 30, 20}, {1, 2, 3, 4}, 34000},
      {{100, 300}, {nan, 10}, 34001},
      {{100, 300}, {5, inf}, 34001},
      {{100}, {5}, 34004},
      {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 34004},
  };
  for (const auto& j : jigs) {
    const auto r = qv::FitJigPoints(j.counts.data(), j.references.data(), static_cast<int>(j.counts.size()));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, qv::LoadString(j.text));
  }
  const std::vector<std::pair<qv::FitResult, unsigned>> rules = {
      {qv::FitRatioCorrection(0, 12000, 2.5), 34002},
      {qv::FitRatioCorrection(6000, 12000, 0), 34002},
      {qv::FitRatioCorrection(6000, 12000, nan), 34001},
      {qv::FitRatioCorrection(1, 12000, 1e-320), 34001},
      {qv::FitApiCorrection(1100, 1100, 200), 34003},
      {qv::FitApiCorrection(1200, 1100, 200), 34003},
      {qv::FitApiCorrection(100, 1100, inf), 34001},
      {qv::FitTwoJigLine(1000, nan, 3000, 11000), 34001},
      // A flat line would read every count as reference 2.
      {qv::FitTwoJigLine(1000, 282, 1000, 11000), 34000},
      {qv::FitTwoJigLine(1000, 282, 1001, 11000), 34000},
      {qv::FitTwoJigLine(1000, 282, 999, 11000), 34000},
  };
  for (const auto& [r, text] : rules) {
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, qv::LoadString(text));
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(CalibrationMatrix, InverseProductAndErrorHook) {
  // A zero in the upper left corner: the rows swap, the inverse is exact.
  qv::matrixT a(2, 2);
  a(0, 0) = 0; a(0, 1) = 2;
  a(1, 0) = 4; a(1, 1) = 1;
  const qv::matrixT inv = !a;
  ASSERT_FALSE(inv.Failed());
  EXPECT_EQ(inv(0, 0), -0.125);
  EXPECT_EQ(inv(0, 1), 0.25);
  EXPECT_EQ(inv(1, 0), 0.5);
  EXPECT_EQ(inv(1, 1), 0.0);
  const qv::matrixT one = a * inv;
  EXPECT_EQ(one(0, 0), 1.0);
  EXPECT_EQ(one(1, 0), 0.0);

  // Equal magnitudes: the first row keeps the pivot.
  qv::matrixT p(3, 1);
  p(0, 0) = 0; p(1, 0) = -3; p(2, 0) = 3;
  EXPECT_EQ(p.pivot(0), 1);
  EXPECT_EQ(p(0, 0), -3);
  qv::matrixT z(2, 2);
  EXPECT_EQ(z.pivot(0), -1);

  struct Hook {
    qv::matrixT m;
    const char* message;
  };
  qv::matrixT idx(2, 2);
  idx(2, 0) = 7;  // reaches no element
  EXPECT_EQ(idx(1, 0), 0.0);
  const std::vector<Hook> hooks = {
      {idx, "matrixT::operator(): Index out of range!"},
      {qv::matrixT(2, 3) * qv::matrixT(2, 3), "matrixT::operator*: Inconsistent matrix size in multiplication!"},
      {!qv::matrixT(2, 3), "matrixT::operator!: Inversion of a non-square matrix"},
      {!z, "matrixT::operator!: Inversion of a singular matrix"},
  };
  for (const auto& h : hooks) {
    EXPECT_TRUE(h.m.Failed());
    EXPECT_EQ(h.m.Error(), h.message);
  }
}

}  // namespace

namespace {

TEST(CorrectionTrace, CurveFromTheReferenceAxisUpward) {
  // Two jigs: counts 100 and 300, sizes 5 and 10, in a trace 440 x 200.
  const double refs[] = {5.0, 10.0};
  const uint16_t counts[] = {100, 300};
  const qv::TraceScale s = qv::CorrectionTraceScale(refs, counts, 2, 440, 200);
  EXPECT_DOUBLE_EQ(s.x, 40.0);  // 400 pixels for size 10
  EXPECT_DOUBLE_EQ(s.y, 160.0 / 300);  // 160 pixels for 300 counts
  const auto fit = qv::FitJigPoints(std::vector<double>{100, 300}.data(), refs, 2);
  ASSERT_TRUE(fit.ok);
  const auto curve = qv::CorrectionCurve(fit.c, 2, s, 0, 200);
  ASSERT_EQ(curve.size(), 180u);
  EXPECT_EQ(curve.front().y, 180);
  EXPECT_EQ(curve.back().y, 1);
  EXPECT_EQ(curve.front().x, 20 + 100);  // count 0: size 2.5
  // Row 80 is count 150: size 6.25, 250 pixels right of the margin.
  EXPECT_NEAR(curve[80].x, 270, 1);
  EXPECT_EQ(curve[80].y, 100);

  // A curve far off the screen stays at the edge; no points without height.
  const auto wild = qv::CorrectionCurve({1e300, 1e300, 0, 0}, 2, s, 0, 200);
  EXPECT_EQ(wild.back().x, 20 + 1000000);
  EXPECT_TRUE(qv::CorrectionCurve(fit.c, 2, s, 0, 10).empty());
}

TEST(CorrectionTrace, AxesWithoutExtentGiveNoInfiniteScale) {
  // Where no point has a positive reference or count, the largest stays the
  // smallest double and a scale by it would be infinite (and its pixels no
  // integers at all).
  struct Case {
    const char* what;
    std::vector<double> refs;
    std::vector<uint16_t> counts;
    double x, y;
  };
  const Case cases[] = {
      {"every reference below 0", {-5, -10}, {100, 300}, 0, 160.0 / 300},
      {"references 0 and below", {0, -1}, {100, 300}, 0, 160.0 / 300},
      {"every count 0", {5, 10}, {0, 0}, 40, 0},
      {"no points", {}, {}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const qv::TraceScale s =
        qv::CorrectionTraceScale(c.refs.data(), c.counts.data(), static_cast<int>(c.refs.size()), 440, 200);
    EXPECT_DOUBLE_EQ(s.x, c.x);
    EXPECT_DOUBLE_EQ(s.y, c.y);
  }
  // A jig fit through negative sizes draws its curve on the count axis.
  const std::vector<double> counts{100, 300};
  const double refs[] = {-5, -10};
  const auto fit = qv::FitJigPoints(counts.data(), refs, 2);
  ASSERT_TRUE(fit.ok);
  const uint16_t counts16[] = {100, 300};
  const auto curve = qv::CorrectionCurve(fit.c, 2, qv::CorrectionTraceScale(refs, counts16, 2, 440, 200), 0, 200);
  ASSERT_EQ(curve.size(), 180u);
  for (const auto& p : curve) EXPECT_EQ(p.x, 20);
  EXPECT_TRUE(qv::CorrectionCurve(fit.c, 2, qv::TraceScale{}, 0, 200).empty()) << "no count scale, no curve";

  // Pixels: truncated toward zero, held at a far edge beyond the screen.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Pixel {
    double at;
    int pixel;
  };
  for (const Pixel p : {Pixel{12.9, 12}, Pixel{-3.7, -3}, Pixel{1e300, 1000000}, Pixel{-1e300, -1000000},
                        Pixel{inf, 1000000}, Pixel{-inf, -1000000}, Pixel{nan, -1000000}})
    EXPECT_EQ(qv::TracePixel(p.at), p.pixel) << p.at;
}

TEST(CorrectionTrace, LabelsSpreadApartWithinTheirRoom) {
  struct Case {
    const char* name;
    std::vector<qv::LabelSpan> wanted;
    int gap, lo, hi;
    std::vector<int> starts;
  };
  const Case cases[] = {
      {"apart already: where wanted", {{10, 20}, {50, 20}}, 4, 0, 100, {10, 50}},
      {"overlapping: the later one moves on", {{10, 20}, {15, 20}}, 4, 0, 100, {10, 34}},
      {"given out of order: starts come back in it", {{15, 20}, {10, 20}}, 4, 0, 100, {34, 10}},
      {"equal starts keep the order given", {{10, 10}, {10, 10}, {10, 10}}, 0, 0, 100, {10, 20, 30}},
      {"past hi: pushed back together", {{70, 20}, {75, 20}}, 4, 0, 100, {56, 80}},
      {"before lo: moved to it", {{-5, 10}, {40, 10}}, 2, 0, 100, {0, 40}},
      {"no room: the gap holds, lo is overrun", {{0, 40}, {0, 40}, {0, 40}}, 10, 0, 100, {-40, 10, 60}},
      {"none", {}, 4, 0, 100, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qv::SpreadLabels(c.wanted, c.gap, c.lo, c.hi), c.starts);
  }
}

}  // namespace
