// A recording process for the kill test: brings the simulated unit up
// in-process, lowers the sonde and records a six-channel log into the folder
// it is given, on free-running virtual time, until it is killed.
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "app/core/globals.h"
#include "devices/simulator/unit/lumbracoder.h"
#include "devices/tbdevice/internal.h"
#include "logdoc/document/channel_logs.h"
#include "tests/devices/tbdevice/fixture.h"

namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  ::setenv("QUORVANTA_SHARED_BLOCK", ("qvchild-" + std::to_string(::getpid())).c_str(), 1);
  if (!tbdev::LibraryLoad()) return 3;
  tbdev::Timing& t = tbdev::TimingTable();
  t.linkStartPauseMs = t.firmwareImagePauseMs = t.firmwarePacketPauseMs = 0;
  t.adapterPauseMs = t.toolStartPauseMs = t.toolStartRepeatPauseMs = 0;
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  auto unit = std::make_shared<qv::sim::Lumbracoder>(clock);
  tbdev::SetToolkitFactory([unit] { return unit; });
  tbdev::SetProgramFolder(folder);
  tbdev::SetEmbeddedImages({});
  WriteFile(folder + "/MDATA.ENC", Scramble(PlainImage(59, 118, 1)));
  WriteFile(folder + "/MPROG.ENC", Scramble(PlainImage(0, 0, 0)));
  WriteFile(folder + "/SLAVE.ENC", Scramble(PlainImage(130, 130, 7)));
  if (InitialisePCMLink() != TB_STATUS_LINK_OPEN) return 4;
  UnitConfigBlock cfg{1, 0, 10, 2};
  if (InitialiseLumbracoder(&cfg) != 0) return 5;
  qv::sim::DataOptions o;
  o.pattern = true;
  unit->SetDataOptions(o);
  Set_Depth(10000);
  g_strProgramFolder = folder;
  WinchControlBlock w{2, 5};
  SetWinch(&w);

  qv::SixChannelEngine engine;
  qv::LogSetup& s = engine.Setup();
  s.pathStem = folder + "/KILLED.";
  s.logMode = 12;
  s.depthStep = 100;
  s.loggingMode = {2, 1, 10, 12, 0};
  // Virtual time twenty times faster than real time: a record every 10 ms.
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
