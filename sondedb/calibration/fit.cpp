#include "sondedb/calibration/fit.h"

#include <cmath>

#include "platform/text/strings.h"
#include "sondedb/calibration/matrix.h"

namespace qv {
namespace {

constexpr unsigned kSameCountsText = 34000;
constexpr unsigned kNotFiniteText = 34001;
constexpr unsigned kZeroNearOrRatioText = 34002;
constexpr unsigned kBackgroundText = 34003;
constexpr unsigned kJigCountText = 34004;

FitResult Refused(unsigned id) {
  FitResult r;
  r.error = LoadString(id);
  return r;
}

// The last check of every rule: only finite coefficients go on.
FitResult Checked(const Coefficients& c) {
  for (double v : c)
    if (!std::isfinite(v)) return Refused(kNotFiniteText);
  FitResult r;
  r.ok = true;
  r.c = c;
  return r;
}

}  // namespace

FitResult FitJigPoints(const double* counts, const double* references, int n) {
  if (n < 2 || n > kCoefficientSlots) return Refused(kJigCountText);
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(counts[i]) || !std::isfinite(references[i])) return Refused(kNotFiniteText);
    for (int j = 0; j < i; ++j)
      if (counts[i] == counts[j]) return Refused(kSameCountsText);
  }
  const auto un = static_cast<unsigned>(n);
  matrixT v(un, un);
  matrixT s(un, 1);
  for (unsigned i = 0; i < un; ++i) {
    double power = 1.0;
    for (unsigned j = 0; j < un; ++j) {
      v(i, j) = power;
      power *= counts[i];
    }
    s(i, 0) = references[i];
  }
  const matrixT r = (!v) * s;
  if (r.Failed()) return Refused(kSameCountsText);
  Coefficients c{};
  for (unsigned i = 0; i < un; ++i) c[i] = r(i, 0);
  return Checked(c);
}

FitResult FitTwoJigLine(uint16_t count1, double reference1, uint16_t count2, double reference2) {
  if (!std::isfinite(reference1) || !std::isfinite(reference2)) return Refused(kNotFiniteText);
  const int d = static_cast<int>(count2) - static_cast<int>(count1);
  // Counts within one of each other give no slope: a flat line would read
  // every count of the channel as reference 2.
  if (d <= 1 && d >= -1) return Refused(kSameCountsText);
  const auto slope = static_cast<float>(static_cast<float>(reference2 - reference1) / d);
  Coefficients c{};
  c[1] = slope;
  c[0] = static_cast<double>(static_cast<float>(reference2)) - count2 * static_cast<double>(slope);
  return Checked(c);
}

FitResult FitRatioCorrection(int nearCount, int farCount, double expectedRatio) {
  if (!std::isfinite(expectedRatio)) return Refused(kNotFiniteText);
  if (nearCount == 0 || expectedRatio == 0) return Refused(kZeroNearOrRatioText);
  Coefficients c{};
  c[1] = (farCount / expectedRatio) / nearCount;
  return Checked(c);
}

FitResult FitApiCorrection(uint16_t background, uint16_t apiCount, double apiValue) {
  if (!std::isfinite(apiValue)) return Refused(kNotFiniteText);
  if (background >= apiCount) return Refused(kBackgroundText);
  Coefficients c{};
  c[1] = apiValue / static_cast<uint16_t>(apiCount - background);
  return Checked(c);
}

double EvaluateCalibration(const Coefficients& c, double count) {
  return c[0] + count * (c[1] + count * (c[2] + count * c[3]));
}

}  // namespace qv
