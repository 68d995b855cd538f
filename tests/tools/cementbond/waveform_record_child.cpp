// A recording process for the kill tests: brings the simulated unit up
// in-process, lowers the sonde and records a waveform log (cement bond, or
// full-wave sonic with "fws") into the folder it is given, on virtual time
// twenty times faster than real time, until it is killed.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/core/globals.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tools/fws/fws_document.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  const bool fullWave = argc > 2 && std::string(argv[2]) == "fws";
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  if (!qvtest::BringUpSimulatedUnit(folder, clock)) return 3;
  g_strProgramFolder = folder;

  qv::CCBLDocument cementBond;
  qv::CFWSDocument fws;
  qv::WaveformLogDocument& engine = fullWave ? static_cast<qv::WaveformLogDocument&>(fws) : cementBond;
  cbltest::FakeView view;
  cbltest::PipeSizeAnswer pipe;
  engine.SetView(&view);
  cementBond.SetPipeSizeService(&pipe);
  qv::LogSetup& s = engine.Setup();
  s.pathStem = folder + "/KILLED.";
  s.logMode = 12;
  s.depthStep = 100;
  s.loggingMode = {2, static_cast<std::uint8_t>(fullWave ? 4 : 5), 10, 12, 0};
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
