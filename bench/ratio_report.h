// Runs the benchmarks of a program and then prints, for each pair of a
// measurement and its reference, the ratio of their times side by side with
// the target it must stay within. Ratios from one run are what count on a
// shared machine: both sides see the same load.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace qv::bench {

struct Ratio {
  std::string measured;   // a run name as Google Benchmark reports it
  std::string reference;  // the run it is compared with; empty: one second
  double target;          // the ratio the measurement must stay at or under
  // Units of work of one iteration of each side (rows, bytes, keys): the
  // ratio compares the time per unit.
  double measuredUnits = 1;
  double referenceUnits = 1;
  std::string what;  // one line saying what is compared
};

// Keeps the wall time per iteration of each run while the console shows it.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred)
        seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& seconds() const { return seconds_; }

 private:
  std::map<std::string, double> seconds_;
};

// Prints each ratio; returns 0 when all were measured and within their
// targets, 1 otherwise.
inline int PrintRatios(const RatioReporter& reporter, const std::vector<Ratio>& ratios) {
  int status = 0;
  std::printf("\n%-58s %9s %8s\n", "ratio (time per unit, side by side)", "measured", "target");
  for (const Ratio& q : ratios) {
    const auto m = reporter.seconds().find(q.measured);
    const auto r = reporter.seconds().find(q.reference);
    const double reference = q.reference.empty() ? 1.0 : r != reporter.seconds().end() ? r->second : 0.0;
    if (m == reporter.seconds().end() || reference <= 0) {
      std::printf("%-58s %9s %8.2f  (not run)\n", q.what.c_str(), "-", q.target);
      continue;
    }
    const double ratio = (m->second / q.measuredUnits) / (reference / q.referenceUnits);
    const bool within = ratio <= q.target;
    if (!within) status = 1;
    std::printf("%-58s %9.2f %8.2f  %s\n", q.what.c_str(), ratio, q.target, within ? "ok" : "OVER");
  }
  return status;
}

// The body of main(): runs what the command line selects, then the ratios.
inline int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return PrintRatios(reporter, ratios);
}

}  // namespace qv::bench
