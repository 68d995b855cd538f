// The coefficients c0..c3 of a channel's calibration (calibrated value of a
// count x: c0 + c1 x + c2 x^2 + c3 x^3) from what the jigs measured.
//
// Every rule refuses a result that is not finite or a system without a unique
// solution, with a text for the user; a refused fit must never be saved.
#pragma once

#include <cstdint>
#include <string>

#include "sondedb/records/records.h"

namespace qv {

struct FitResult {
  bool ok = false;
  Coefficients c{};
  std::string error;  // the user's text when refused
};

// Jigs of known size (2 to 4 points): the exact polynomial of degree n - 1
// through every (count, reference) point, by inverting the Vandermonde
// matrix. Two jigs with the same count are refused.
FitResult FitJigPoints(const double* counts, const double* references, int n);

// Aluminium block and water: the straight line through two points, in
// single precision as the stored coefficients always had. Counts within 1 of
// each other are refused like two jigs with one count.
FitResult FitTwoJigLine(uint16_t count1, double reference1, uint16_t count2, double reference2);

// Near and far detector in the sleeve: c1 = (far / expectedRatio) / near.
// A zero near count or ratio is refused.
FitResult FitRatioCorrection(int nearCount, int farCount, double expectedRatio);

// Background and API jig: c1 = apiValue / (api - background). A background
// not below the API-jig count is refused.
FitResult FitApiCorrection(uint16_t background, uint16_t apiCount, double apiValue);

// The calibrated value of a count.
double EvaluateCalibration(const Coefficients& c, double count);

}  // namespace qv
