// The body of the kill tests' recording processes: logs down on virtual
// time twenty times faster than real time (a record every 10 ms of real
// time) into FOLDER/KILLED., until the process is killed.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "logdoc/document/log_engine.h"
#include "tests/logdoc/document/sim_unit.h"

namespace qvtest {

inline int RecordUntilKilled(qv::LogEngine& engine, const std::shared_ptr<qv::sim::VirtualClock>& clock,
                             const std::string& folder, std::uint8_t toolType) {
  qv::LogSetup& s = engine.Setup();
  s.pathStem = folder + "/KILLED.";
  s.logMode = 12;
  s.depthStep = 100;
  s.loggingMode = {2, toolType, 10, 12, 0};
  engine.SetClock({[clock](std::uint32_t ms, qv::Event& stop) {
                     clock->Advance(ms);
                     std::this_thread::sleep_for(std::chrono::microseconds(ms * 50));
                     return stop.IsSet();
                   },
                   [clock] { return static_cast<std::uint32_t>(clock->NowMs()); }, [] { return std::time_t{0}; }});
  engine.InitialiseLog(1, 10);
  if (engine.StartLogging(qv::kStartRecord) != 1) return 6;
  std::printf("recording\n");
  std::fflush(stdout);
  for (;;) {
    engine.PumpDisplay();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace qvtest
