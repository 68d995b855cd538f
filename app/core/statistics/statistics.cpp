#include "app/core/statistics/statistics.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

bool Before(double a, double b) {
  return a < b || (!std::isnan(a) && std::isnan(b));
}

// The window length that stays inside rows 0 .. 50 around centre c.
int ClampedLength(int n, int c) {
  n = std::min(n, kMaxStatisticWindow);
  if (c >= 0) n = std::min(n, 2 * c + 1);
  return n;
}

double Statistic(int mode, int n, double* values) {
  switch (mode) {
    case 1: {
      double sum = 0.0;
      for (int i = 0; i < n; ++i) sum += values[i];
      return sum / n;
    }
    case 2:
      std::sort(values, values + n, Before);
      return values[n / 2];
    case 3: {
      std::sort(values, values + n, Before);
      const int d = (n / 2) | 1;
      const int first = n / 2 - d / 2;
      double sum = 0.0;
      for (int i = first; i < first + d; ++i) sum += values[i];
      return sum / d;
    }
    default:
      return 0.0;
  }
}

}  // namespace

int CompareDoubles(const double* a, const double* b) {
  if (Before(*a, *b)) return -1;
  if (Before(*b, *a)) return 1;
  return 0;
}

double WindowStatisticColumn(int mode, int n, const double* const* rows, int c, int column) {
  n = ClampedLength(n, c);
  if (n < 1 || c < 0 || !rows || mode < 1 || mode > 3) return 0.0;
  double values[kMaxStatisticWindow];
  const int first = c - n / 2;
  for (int i = 0; i < n; ++i) values[i] = rows[first + i][column];
  return Statistic(mode, n, values);
}

double WindowStatisticRow(int mode, int n, const double* const* rows, int c, int row) {
  n = ClampedLength(n, c);
  if (n < 1 || c < 0 || !rows || mode < 1 || mode > 3) return 0.0;
  double values[kMaxStatisticWindow];
  const int first = c - n / 2;
  for (int i = 0; i < n; ++i) values[i] = rows[row][first + i];
  return Statistic(mode, n, values);
}

SampleInterval SampleIntervalFor(int pulsesPerRevolution, double sp2, double dac2, bool imperial) {
  SampleInterval result;
  result.pulsesPerRevolution = (pulsesPerRevolution < 1 || pulsesPerRevolution > 100000) ? 5000 : pulsesPerRevolution;
  double s;
  double numerator;
  if (imperial) {
    s = (dac2 > 0.0 && dac2 < 9000.0) ? dac2 : 1312.0;
    numerator = result.pulsesPerRevolution * 50.0 * 256.0;
  } else {
    s = (sp2 > 0.0 && sp2 < 5000.0) ? sp2 : 400.0;
    numerator = result.pulsesPerRevolution * 10.0 * 256.0;
  }
  result.interval = static_cast<int>(numerator / s + 0.5);
  return result;
}

}  // namespace qv
