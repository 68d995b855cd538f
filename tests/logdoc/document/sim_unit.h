// The simulated unit brought up in-process outside a test fixture (the
// recording child of the kill test and the benchmark): firmware images in
// the folder, link open, unit configured, pattern data, the sonde at depth
// 10000 lowered at 50 counts a second.
#pragma once

#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "devices/simulator/unit/lumbracoder.h"
#include "devices/tbdevice/internal.h"
#include "tests/devices/tbdevice/fixture.h"

namespace qvtest {

// Null when the unit could not be brought up.
inline std::shared_ptr<qv::sim::Lumbracoder> BringUpSimulatedUnit(const std::string& folder,
                                                                 std::shared_ptr<qv::sim::VirtualClock> clock) {
  ::setenv("QUORVANTA_SHARED_BLOCK", ("qvchild-" + std::to_string(::getpid())).c_str(), 1);
  tbdev::ResetForTests();
  if (!tbdev::LibraryLoad()) return nullptr;
  tbdev::Timing& t = tbdev::TimingTable();
  t.linkStartPauseMs = t.firmwareImagePauseMs = t.firmwarePacketPauseMs = 0;
  t.adapterPauseMs = t.toolStartPauseMs = t.toolStartRepeatPauseMs = 0;
  auto unit = std::make_shared<qv::sim::Lumbracoder>(std::move(clock));
  tbdev::SetToolkitFactory([unit] { return unit; });
  tbdev::SetProgramFolder(folder);
  tbdev::SetEmbeddedImages({});
  const std::pair<const char*, std::vector<uint8_t>> images[] = {{"MDATA.ENC", PlainImage(59, 118, 1)},
                                                                 {"MPROG.ENC", PlainImage(0, 0, 0)},
                                                                 {"SLAVE.ENC", PlainImage(130, 130, 7)}};
  for (const auto& [name, plain] : images) {
    const auto bytes = Scramble(plain);
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  if (InitialisePCMLink() != TB_STATUS_LINK_OPEN) return nullptr;
  UnitConfigBlock cfg{1, 0, 10, 2};
  if (InitialiseLumbracoder(&cfg) != 0) return nullptr;
  qv::sim::DataOptions o;
  o.pattern = true;
  unit->SetDataOptions(o);
  Set_Depth(10000);
  WinchControlBlock w{2, 5};
  SetWinch(&w);
  return unit;
}

// What the bring-up leaves behind in the process's shared memory.
inline void ReleaseSimulatedUnit(pid_t pid) {
  ::shm_unlink(("/qvchild-" + std::to_string(pid)).c_str());
  ::shm_unlink(("/qvchild-" + std::to_string(pid) + ".guard").c_str());
}

}  // namespace qvtest
