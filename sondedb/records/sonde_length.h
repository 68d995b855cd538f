// Sonde lengths and channel depth offsets are stored in centimetres; the log
// documents work with them in thousandths of the log's depth unit (mm, or
// thousandths of a foot). Both directions round to the nearest unit: a
// thousandth of a foot is finer than a centimetre, so a length converted in
// and back again is the length it was, however often a header is rewritten.
#pragma once

#include <climits>
#include <cmath>

namespace qv {

inline constexpr double kThousandthsOfAFootPerCentimetre = 3.280839895 * 10.0;

inline int ClampedRound(double v) {
  if (!(v > INT_MIN)) return INT_MIN;  // also NaN
  if (v >= INT_MAX) return INT_MAX;
  return static_cast<int>(std::lround(v));
}

// Centimetres in thousandths of the depth unit.
inline int CentimetresToThousandths(int centimetres, bool imperial) {
  return ClampedRound(static_cast<double>(centimetres) * (imperial ? kThousandthsOfAFootPerCentimetre : 10.0));
}

// Thousandths of the depth unit in centimetres.
inline int ThousandthsToCentimetres(int thousandths, bool imperial) {
  return ClampedRound(static_cast<double>(thousandths) / 10.0 * (imperial ? 0.3048 : 1.0));
}

}  // namespace qv
