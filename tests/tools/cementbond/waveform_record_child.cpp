// A recording process for the kill tests: brings the simulated unit up
// in-process, lowers the sonde and records a waveform log (cement bond, or
// full-wave sonic with "fws") into the folder it is given, on virtual time
// twenty times faster than real time, until it is killed.
#include "app/core/globals.h"
#include "tests/logdoc/document/record_until_killed.h"
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
  return qvtest::RecordUntilKilled(engine, clock, folder, fullWave ? 4 : 5);
}
