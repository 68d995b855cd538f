// A recording process for the kill test: brings the simulated unit up
// in-process, lowers the sonde and records a six-channel log into the folder
// it is given, on virtual time twenty times faster than real time, until it
// is killed.
#include "app/core/globals.h"
#include "logdoc/document/channel_logs.h"
#include "tests/logdoc/document/record_until_killed.h"
#include "tests/logdoc/document/sim_unit.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  if (!qvtest::BringUpSimulatedUnit(folder, clock)) return 3;
  g_strProgramFolder = folder;

  qv::SixChannelEngine engine;
  return qvtest::RecordUntilKilled(engine, clock, folder, 1);
}
