// A live unit of a log document over the simulated unit, with the monitor's
// periods shrunk to a millisecond; tests move the unit's depth and clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "tests/devices/tbdevice/fixture.h"

namespace livetest {

// Polls done until it holds or the generous time-out passes.
template <class F>
bool WaitFor(F done, int timeoutMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class LiveUnitTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
    qv::MonitorTimingTable() = {1, 1, 1};
    qv::LiveDeviceTimingTable() = {0, 10};
    device.SetLoggingModeBytes(2, 1);
    device.SetToolKind(1);
  }
  void TearDown() override {
    qv::MonitorTimingTable() = {};
    qv::LiveDeviceTimingTable() = {};
    TbdeviceTest::TearDown();
  }
  std::vector<qv::sim::Request> SentWith(uint8_t code) {
    std::vector<qv::sim::Request> out;
    for (const auto& r : Sent())
      if (r.code == code) out.push_back(r);
    return out;
  }
  // The unit's depth counter, then ms of the unit's clock (one monitor period).
  void MoveTo(int32_t depth, uint64_t ms = 1000) {
    qv::sim::UnitState s = unit->State();
    s.depth = depth;
    unit->SetState(s);
    clock->Advance(ms);
  }

  qv::LiveDevice device;
};

}  // namespace livetest
