// A recording process for the kill test: brings the simulated unit up
// in-process, lowers the sonde and records a cement-bond log into the folder
// it is given, on virtual time twenty times faster than real time, until it
// is killed.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/core/globals.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_support.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  if (!qvtest::BringUpSimulatedUnit(folder, clock)) return 3;
  g_strProgramFolder = folder;

  qv::CCBLDocument engine;
  cbltest::FakeView view;
  cbltest::PipeSizeAnswer pipe;
  engine.SetView(&view);
  engine.SetPipeSizeService(&pipe);
  qv::LogSetup& s = engine.Setup();
  s.pathStem = folder + "/KILLED.";
  s.logMode = 12;
  s.depthStep = 100;
  s.loggingMode = {2, 5, 10, 12, 0};
  // A record every 10 ms of real time.
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
