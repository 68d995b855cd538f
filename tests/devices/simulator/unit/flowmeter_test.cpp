// The simulated heat-pulse flowmeter: the pulse after firing, its peak time
// and sign, the commands that end it, and the scenario's [Flowmeter] section.
#include "devices/simulator/unit/flowmeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "devices/simulator/unit/lumbracoder.h"

namespace {

namespace fs = std::filesystem;
using qv::sim::FlowScript;
using qv::sim::HeatPulseFlowmeter;

TEST(SimulatedFlowmeter, PulsePeaksAtTheTimeTheSpeedFunctionReadsAsTheScriptedSpeed) {
  EXPECT_NEAR(HeatPulseFlowmeter::PeakTime(105.624), 10.0, 1e-3);
  for (bool up : {true, false}) {
    HeatPulseFlowmeter f;
    FlowScript s;
    s.speed = 105.624;
    s.up = up;
    f.SetScript(s);
    EXPECT_FALSE(f.Active());
    f.Command(135, 1000);
    ASSERT_TRUE(f.Active());
    EXPECT_EQ(f.Count(5000), 20000);  // equalising: at rest
    f.Command(105, 2000);
    const int sign = up ? -1 : 1;
    EXPECT_EQ(f.Count(2000), 20000);
    EXPECT_EQ(f.Count(12000), 20000 + sign * 1500);  // the peak, 10 s after firing
    EXPECT_LT(std::abs(f.Count(11000) - 20000), 1500);
    EXPECT_LT(std::abs(f.Count(13000) - 20000), 1500);
    // The record's channel 1 and its checksum follow.
    std::vector<uint8_t> record(23, 0);
    record[10] = 0x10, record[11] = 0x27, record[22] = 0x37;  // 10000, and a checksum over it
    f.Apply(record, 12000);
    const int count = record[10] | (record[11] << 8);
    EXPECT_EQ(count, 20000 + sign * 1500);
    // The unit's checksum adds the channel words whole: only their low bytes count.
    EXPECT_EQ(record[22], static_cast<uint8_t>(0x37 - 0x10 + (count & 0xFF)));
    f.Command(7, 13000);  // any other sonde command ends it
    EXPECT_FALSE(f.Active());
  }
}

TEST(SimulatedFlowmeter, ScenarioSection) {
  const fs::path dir = fs::temp_directory_path() / ("flow-scenario-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Case {
    const char* text;
    bool ok;
    double speed;
    bool up;
  } cases[] = {
      {"[Lumbracoder]\nDepth = 5\n", true, 80, true},
      {"[Flowmeter]\nSpeed = 150\nDirection = Down\n", true, 150, false},
      {"[Flowmeter]\nSpeed = 4\n", false, 0, false},
      {"[Flowmeter]\nSpeed = fast\n", false, 0, false},
      {"[Flowmeter]\nDirection = Sideways\n", false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(dir / "s.txt", std::ios::trunc) << c.text;
    FlowScript flow;
    std::string error;
    ASSERT_EQ(qv::sim::FlowFromScenario((dir / "s.txt").string(), &flow, &error), c.ok) << error;
    EXPECT_EQ(qv::sim::Lumbracoder::FromScenario((dir / "s.txt").string(), &error) != nullptr, c.ok);
    if (!c.ok) {
      EXPECT_NE(error.find("[Flowmeter]"), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(flow.speed, c.speed);
    EXPECT_EQ(flow.up, c.up);
  }
  fs::remove_all(dir);
}

}  // namespace
