// Drives the library in-process against a simulated unit on a virtual clock,
// with the timing table shrunk and a program folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "devices/simulator/unit/lumbracoder.h"
#include "devices/tbdevice/internal.h"
#include "devices/tbdevice/tbdevice.h"

namespace fs = std::filesystem;

inline std::string TestBlockName() {
  return "qvtest-tbdevice-" + std::to_string(::getpid());
}

// Scrambles plain image bytes the way stored images are (the keystream XOR
// is its own inverse).
inline std::vector<uint8_t> Scramble(const std::vector<uint8_t>& plain) {
  tbdev::Descrambler key;
  std::vector<uint8_t> out(plain.size());
  for (size_t i = 0; i < plain.size(); ++i) out[i] = plain[i] ^ key.Next();
  return out;
}

// A plain image: the big-endian word count, then bytes counting up from seed.
inline std::vector<uint8_t> PlainImage(uint16_t words, size_t bytes, uint8_t seed) {
  std::vector<uint8_t> v{static_cast<uint8_t>(words >> 8), static_cast<uint8_t>(words & 0xFF)};
  for (size_t i = 0; i < bytes; ++i) v.push_back(static_cast<uint8_t>(seed + i));
  return v;
}

class TbdeviceTest : public ::testing::Test {
 public:
  void SetUp() override {
    ::setenv("QUORVANTA_SHARED_BLOCK", TestBlockName().c_str(), 1);
    tbdev::ResetForTests();
    ASSERT_TRUE(tbdev::LibraryLoad());
    tbdev::Timing& t = tbdev::TimingTable();
    t = tbdev::Timing{};
    t.linkAttachWaitMs = 200;
    t.requestAttachWaitMs = 20;
    t.linkStartPauseMs = t.firmwareImagePauseMs = t.firmwarePacketPauseMs = 0;
    t.adapterPauseMs = t.toolStartPauseMs = t.toolStartRepeatPauseMs = 0;
    clock = std::make_shared<qv::sim::VirtualClock>();
    unit = std::make_shared<qv::sim::Lumbracoder>(clock);
    tbdev::SetToolkitFactory([this] { return unit; });
    const char* tmp = std::getenv("QV_TEST_TMP");
    folder = fs::path(tmp ? tmp : fs::temp_directory_path().string()) /
             ("tbdevice-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    tbdev::SetProgramFolder(folder.string());
    tbdev::SetEmbeddedImages({});
    tbdev::SetThermoLogger(nullptr);
  }

  void TearDown() override {
    tbdev::LibraryUnload();
    tbdev::ResetForTests();
    tbdev::SetToolkitFactory(nullptr);
    ::shm_unlink(("/" + TestBlockName()).c_str());
    ::shm_unlink(("/" + TestBlockName() + ".guard").c_str());
    fs::remove_all(folder);
  }

  void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteText(const std::string& name, const std::string& text) { std::ofstream(folder / name) << text; }
  std::string ReadText(const std::string& name) {
    std::ifstream in(folder / name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Small firmware images in the program folder.
  void WriteFirmware() {
    WriteFile("MDATA.ENC", Scramble(PlainImage(59, 118, 1)));
    WriteFile("MPROG.ENC", Scramble(PlainImage(0, 0, 0)));
    WriteFile("SLAVE.ENC", Scramble(PlainImage(130, 130, 7)));
  }

  // Link open, firmware down, unit configured; the journal then starts empty.
  void BringUp() {
    WriteFirmware();
    ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
    UnitConfigBlock cfg{1, 0, 50, 2};
    ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
    ASSERT_TRUE(unit->FirmwareLoaded());
    unit->ClearJournal();
  }

  std::vector<qv::sim::Request> Sent() { return unit->Journal(); }

  // The logging modes the unit was told, in order: standard, tool, value
  // (little-endian) and mode byte of each.
  std::vector<std::vector<uint8_t>> LoggingModes() {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& r : unit->Journal())
      if (r.code == qv::sim::kCmdLoggingMode && !r.in) out.push_back({r.data[0], r.data[1], r.data[2], r.data[3], r.data[6]});
    return out;
  }

  void Faults(const std::function<void(qv::sim::Faults&)>& change) {
    qv::sim::Faults f = unit->GetFaults();
    change(f);
    unit->SetFaults(f);
  }

  std::shared_ptr<qv::sim::VirtualClock> clock;
  std::shared_ptr<qv::sim::Lumbracoder> unit;
  fs::path folder;
};
