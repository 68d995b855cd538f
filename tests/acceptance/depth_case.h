// A row of the depth acceptance table: a log of one shipped sonde recorded on
// the simulated unit through a boundary of the simulated well, and the
// outputs the boundary is read back from.
#pragma once

#include <ostream>
#include <string>

namespace qvtest {

// The outputs of a log, as bits of DepthCase::outputs.
enum DepthOutput : unsigned {
  kView = 1u << 0,    // the rows the log's view shows, at their depth track labels
  kChart = 1u << 1,   // the chart recorder's paper, printed as the log records
  kPage = 1u << 2,    // the printed pages (PDF), at their depth labels
  kLas = 1u << 3,     // the LAS export, read by las-js
  kReplay = 1u << 4,  // the view of the log replayed to its end
};
inline constexpr unsigned kAllCurveOutputs = kView | kChart | kPage | kLas | kReplay;

struct DepthCase {
  std::string name;   // the test's name: letters, digits and '_'
  std::string sonde;  // the shipped sonde's abbreviation (the wizard takes the rest from the database)
  int logMode = 0;    // qv::kLogModeDown or qv::kLogModeUp
  double boundary = 0;  // metres: a boundary of the simulated well
  std::string curve;    // the short title of a curve that steps at it
  double from = 0, to = 0;  // metres: the depth counter where the log starts and where it stops
  unsigned outputs = 0;     // DepthOutput bits: the outputs to read the boundary from
  int depthStep = 10;       // thousandths of a metre: the system depth step the program is set to
};

// What gtest prints of a row.
inline void PrintTo(const DepthCase& c, std::ostream* os) {
  *os << c.name;
}

}  // namespace qvtest
