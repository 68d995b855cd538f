// Window statistics over a delay window (the channel filters of the log
// documents) and the sample-interval formula sent to the unit. Pure functions
// without any process-wide state.
#pragma once

namespace qv {

// The widest window the statistics take: rows 0 to 50 around output row 25.
inline constexpr int kMaxStatisticWindow = 51;

// Ascending order of two doubles: -1, 0 or 1. NaN sorts after every number
// (and equal to NaN), so a window holding NaN still has a total order.
int CompareDoubles(const double* a, const double* b);

// The statistic of the n values rows[c - n/2 + i][column], i = 0 .. n-1
// (n/2 truncated). Modes: 1 arithmetic mean; 2 median (sorted ascending, the
// value at index n/2); 3 trimmed mean (d = (n/2) | 1, the mean of the d sorted
// values centred on index n/2); any other mode 0.0.
// The window never reaches outside rows 0 .. 50: n is clamped to 51 and to
// the rows available above row 0 (2c + 1); n below 1 gives 0.0.
double WindowStatisticColumn(int mode, int n, const double* const* rows, int c, int column);

// The same over the n values rows[row][c - n/2 + i] of one row.
double WindowStatisticRow(int mode, int n, const double* const* rows, int c, int row);

// The sample interval sent to the unit, from the encoder's pulses per wheel
// turn and the active winch's constants. Pulses outside 1 to 100000 become
// 5000 (the caller stores the corrected value back in its set-up). Imperial:
// S = dac2 (1312 unless 0 < S < 9000), N x 50 x 256 / S; metric: S = sp2 (400
// unless 0 < S < 5000), N x 10 x 256 / S; rounded half up.
struct SampleInterval {
  int interval = 0;
  int pulsesPerRevolution = 0;
};
SampleInterval SampleIntervalFor(int pulsesPerRevolution, double sp2, double dac2, bool imperial);

}  // namespace qv
