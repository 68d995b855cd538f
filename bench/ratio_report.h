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

// Keeps the wall and CPU time per iteration of each run while the console
// shows it.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred) {
        seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
        cpuSeconds_[r.benchmark_name()] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
      }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& seconds() const { return seconds_; }
  const std::map<std::string, double>& cpuSeconds() const { return cpuSeconds_; }

 private:
  std::map<std::string, double> seconds_;
  std::map<std::string, double> cpuSeconds_;
};

// Prints each ratio of wall times (what the target is about) and, beside it,
// the ratio of CPU times (the work alone, without waits for a busy disk);
// returns 0 when all were measured and their wall ratios are within their
// targets, 1 otherwise.
inline int PrintRatios(const RatioReporter& reporter, const std::vector<Ratio>& ratios) {
  int status = 0;
  std::printf("\n%-58s %8s %8s %8s\n", "ratio (time per unit, side by side)", "wall", "cpu", "target");
  auto ratioOf = [](const std::map<std::string, double>& times, const Ratio& q) {
    const auto m = times.find(q.measured);
    const auto r = times.find(q.reference);
    const double reference = q.reference.empty() ? 1.0 : r != times.end() ? r->second : 0.0;
    if (m == times.end() || reference <= 0) return -1.0;
    return (m->second / q.measuredUnits) / (reference / q.referenceUnits);
  };
  for (const Ratio& q : ratios) {
    const double wall = ratioOf(reporter.seconds(), q);
    if (wall < 0) {
      std::printf("%-58s %8s %8s %8.2f  (not run)\n", q.what.c_str(), "-", "-", q.target);
      continue;
    }
    const bool within = wall <= q.target;
    if (!within) status = 1;
    if (q.reference.empty())
      std::printf("%-58s %8.2f %8s %8.2f  %s\n", q.what.c_str(), wall, "-", q.target, within ? "ok" : "OVER");
    else
      std::printf("%-58s %8.2f %8.2f %8.2f  %s\n", q.what.c_str(), wall, ratioOf(reporter.cpuSeconds(), q), q.target,
                  within ? "ok" : "OVER");
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
