#include "devices/simulator/unit/lumbracoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using qv::sim::Lumbracoder;
using qv::usb::SetupPacket;

namespace {

struct Attached {
  std::shared_ptr<qv::sim::VirtualClock> clock = std::make_shared<qv::sim::VirtualClock>();
  Lumbracoder unit{clock};
  qv::usb::Device device = nullptr;
  Attached() {
    const qv::usb::MatchEntry match[1] = {{qv::sim::kUnitVendorId, qv::sim::kUnitProductId, 0, 0, 0, 0, 0}};
    qv::usb::Callbacks cb;
    cb.attach = [this](qv::usb::Device d, const qv::usb::DeviceInfo&) {
      device = d;
      return true;
    };
    unit.Init(match, cb);
  }
  qv::usb::Status Out(SetupPacket s, std::vector<uint8_t> data) {
    uint32_t moved = 0;
    return unit.TransferDefaultPipe(device, false, data.data(), static_cast<uint32_t>(data.size()), &moved, s, 1000);
  }
};

SetupPacket Vendor(bool in, uint16_t code, uint16_t length) {
  return {uint8_t(in ? 0xC0 : 0x40), 0x0C, 0, code, length};
}

}  // namespace

// Every breach of the request layout is refused and noted.
TEST(SimulatedUnit, ChecksEverySetupPacket) {
  struct Case {
    const char* name;
    SetupPacket setup;
    size_t dataLength;
    bool accepted;
  } cases[] = {
      {"good", Vendor(false, 0x41, 2), 2, true},
      {"request type", {0xC0, 0x0C, 0, 0x41, 2}, 2, false},
      {"request", {0x40, 0x0B, 0, 0x41, 2}, 2, false},
      {"value", {0x40, 0x0C, 1, 0x41, 2}, 2, false},
      {"unknown command", Vendor(false, 0x4F, 2), 2, false},
      {"command in high byte", Vendor(false, 0x141, 2), 2, false},
      {"wLength", Vendor(false, 0x41, 3), 3, false},
      {"data shorter than wLength", Vendor(false, 0x41, 2), 1, false},
      {"direction", Vendor(false, 0x45, 8), 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Attached a;
    EXPECT_EQ(a.Out(c.setup, std::vector<uint8_t>(c.dataLength, 1)) == qv::usb::kSuccess, c.accepted);
    EXPECT_EQ(a.unit.ProtocolErrors().empty(), c.accepted);
    EXPECT_EQ(a.unit.Journal().size(), c.accepted ? 1u : 0u);
  }
}

TEST(SimulatedUnit, FirmwarePacketsAreChecked) {
  auto packet = [](uint8_t code, uint16_t remaining) {
    std::vector<uint8_t> p(64, 0);
    p[0] = code;
    p[1] = uint8_t(remaining);
    p[2] = uint8_t(remaining >> 8);
    unsigned sum = 0;
    for (int i = 0; i < 63; ++i) sum += p[i];
    p[63] = uint8_t(sum);
    return p;
  };
  struct Case {
    const char* name;
    std::vector<std::vector<uint8_t>> packets;
    bool loaded;
  } cases[] = {
      {"whole download", {packet(0xAC, 31), packet(0xAC, 1), packet(0xAA, 0), packet(0xAB, 5)}, true},
      {"wrong remaining count", {packet(0xAC, 31), packet(0xAC, 2), packet(0xAA, 0), packet(0xAB, 5)}, false},
      {"out of order", {packet(0xAA, 0), packet(0xAC, 1), packet(0xAB, 5)}, false},
      {"image cut short", {packet(0xAC, 31), packet(0xAA, 0), packet(0xAB, 5)}, false},
      {"bad checksum",
       {packet(0xAC, 1), packet(0xAA, 0),
        [&] {
          auto p = packet(0xAB, 5);
          p[63] ^= 1;
          return p;
        }()},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Attached a;
    for (auto p : c.packets) {
      uint32_t moved = 0;
      a.unit.TransferBulk(a.device, 0x02, false, p.data(), 64, &moved, 1000);
    }
    EXPECT_EQ(a.unit.FirmwareLoaded() && a.unit.ProtocolErrors().empty(), c.loaded);
  }
}

TEST(SimulatedUnit, WinchMovesTheDepthOnItsClock) {
  Attached a;
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdSetDepth, 4), {0x10, 0x27, 0, 0}), qv::usb::kSuccess);  // 10000
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdWinch, 2), {2, 5}), qv::usb::kSuccess);  // lower at 50 counts/s
  a.clock->Advance(2000);
  uint8_t reply[8] = {};
  uint32_t moved = 0;
  ASSERT_EQ(a.unit.TransferDefaultPipe(a.device, true, reply, 8, &moved, Vendor(true, qv::sim::kCmdAbsDepth, 8), 1000),
            qv::usb::kSuccess);
  EXPECT_EQ(a.unit.State().depth, 10100);
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdWinch, 2), {1, 5}), qv::usb::kSuccess);  // raise
  a.clock->Advance(1000);
  a.unit.TransferDefaultPipe(a.device, true, reply, 8, &moved, Vendor(true, qv::sim::kCmdAbsDepth, 8), 1000);
  EXPECT_EQ(reply[0] | reply[1] << 8, 10050);
}

// Raising stops at the surface (depth 0) and the winch stays there; lowering
// moves it again. A depth set above the surface does not let it rise further.
TEST(SimulatedUnit, TheWinchStopsAtTheSurface) {
  Attached a;
  auto depthAfter = [&a](std::uint64_t ms) {
    a.clock->Advance(ms);
    uint8_t reply[8] = {};
    uint32_t moved = 0;
    a.unit.TransferDefaultPipe(a.device, true, reply, 8, &moved, Vendor(true, qv::sim::kCmdAbsDepth, 8), 1000);
    return static_cast<int32_t>(reply[0] | reply[1] << 8 | reply[2] << 16 | static_cast<uint32_t>(reply[3]) << 24);
  };
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdSetDepth, 4), {0x2C, 0x01, 0, 0}), qv::usb::kSuccess);  // 300
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdWinch, 2), {1, 10}), qv::usb::kSuccess);  // raise at 100 counts/s
  EXPECT_EQ(depthAfter(2000), 100);
  EXPECT_EQ(depthAfter(1500), 0);
  EXPECT_EQ(depthAfter(5000), 0);
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdWinch, 2), {2, 10}), qv::usb::kSuccess);  // lower
  EXPECT_EQ(depthAfter(1000), 100);
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdSetDepth, 4), {0x9C, 0xFF, 0xFF, 0xFF}), qv::usb::kSuccess);  // -100
  ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdWinch, 2), {1, 10}), qv::usb::kSuccess);
  EXPECT_EQ(depthAfter(1000), -100);
}

// The status reply carries the sonde supply that the power switch set: the
// current the sonde draws in mA (at most the limit) and the voltage in 4 V
// units; both read 0 with the power off.
TEST(SimulatedUnit, AnalogStatusFollowsTheSondePower) {
  struct Case {
    const char* name;
    int16_t volts, limit, polarity;
    uint8_t current, voltageCode;
  } cases[] = {
      {"120 V, 300 mA limit", 120, 300, 90, 120, 30},
      {"the limit holds the current", 120, 80, 165, 80, 30},
      {"negative voltage word", -48, 300, 165, 48, 12},
      {"saturates at one byte", 1200, 2000, 90, 255, 255},
      {"power off", 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Attached a;
    auto le = [](int16_t v) { return std::vector<uint8_t>{uint8_t(v & 0xFF), uint8_t((v >> 8) & 0xFF)}; };
    std::vector<uint8_t> block;
    for (int16_t v : {c.volts, c.limit, c.polarity}) {
      const auto b = le(v);
      block.insert(block.end(), b.begin(), b.end());
    }
    ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdSondePower, 6), block), qv::usb::kSuccess);
    uint8_t reply[8] = {};
    uint32_t moved = 0;
    ASSERT_EQ(a.unit.TransferDefaultPipe(a.device, true, reply, 8, &moved, Vendor(true, qv::sim::kCmdStatus, 8), 1000),
              qv::usb::kSuccess);
    EXPECT_EQ(reply[4], c.current);
    EXPECT_EQ(reply[5], c.voltageCode);
  }
}

TEST(SimulatedUnit, ScenarioFiles) {
  const fs::path dir = fs::temp_directory_path() / ("qv_sim_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"[ThermoLogger]\nColdJunction=2000\n[Lumbracoder]\r\nAbsent = 1\nDepth = 2500\nTension=-40\n"
       "Identity = 1 2 3 4 5 6 7 ff\nQueue = 8\n",
       true},
      {"[Lumbracoder]\nDepth = deep\n", false},
      {"[Lumbracoder]\nAbsent = 2\n", false},
      {"[Lumbracoder]\nIdentity = 1 2 3\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(dir / "s.txt") << c.text;
    std::string error;
    auto unit = Lumbracoder::FromScenario((dir / "s.txt").string(), &error);
    EXPECT_EQ(unit != nullptr, c.ok) << error;
    if (unit) {
      EXPECT_TRUE(unit->GetFaults().absentAtOpen);
      EXPECT_EQ(unit->State().depth, 2500);
      EXPECT_EQ(unit->State().rawTension, -40);
      EXPECT_EQ(unit->State().identity[7], 0xFF);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
  fs::remove_all(dir);
}

// Time modes make a record per period of the mode's value; the televiewer's
// asynchronous mode makes a sweep per turn of the head, whatever its value.
TEST(SimulatedUnit, RecordsComeAtTheModesPace) {
  struct Case {
    uint8_t std, tool, value, mode;
    size_t records;  // in 500 ms
  };
  for (const Case& c : {Case{2, 1, 100, 10, 5}, Case{5, 2, 1, 13, 500 / qv::sim::kTeleviewerTurnMs},
                        Case{5, 2, 200, 13, 500 / qv::sim::kTeleviewerTurnMs}}) {
    Attached a;
    ASSERT_EQ(a.Out(Vendor(false, qv::sim::kCmdLoggingMode, 7), {c.std, c.tool, c.value, 0, 0, 0, c.mode}),
              qv::usb::kSuccess);
    a.clock->Advance(500);
    uint8_t reply[8] = {};
    uint32_t moved = 0;
    a.unit.TransferDefaultPipe(a.device, true, reply, 8, &moved, Vendor(true, qv::sim::kCmdStatus, 8), 1000);
    EXPECT_EQ(a.unit.QueuedRecords(), c.records) << int(c.mode) << " " << int(c.value);
  }
}
