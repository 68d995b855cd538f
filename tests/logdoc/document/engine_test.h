// The fixture of the log engine tests: the in-process device library on a
// simulated unit, virtual time, a test folder as the program folder, and the
// bytes the unit's data pattern gives.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <algorithm>
#include <mutex>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "header/header.h"
#include "logdoc/document/channel_logs.h"
#include "logdoc/document/log_engine.h"
#include "logdoc/replay/replay_reader.h"
#include "platform/process/process.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/logdoc/document/engine_harness.h"


inline std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

// The .LOG record the simulated unit's pattern gives record index i: flag
// byte 21, rate 50, channel c counting index x 16 + c. Records come every
// 200 ms from the start of the run, so every 300th starts a new minute and
// carries the minute mark.
inline std::vector<std::uint8_t> SixRecord(unsigned i) {
  const std::uint8_t flags = (i + 1) % 300 == 0 ? 21 | 0x80 : 21;
  std::vector<std::uint8_t> r{flags, 50};
  for (unsigned c = 1; c <= 6; ++c) {
    const unsigned v = (i * 16 + c) & 0xFFFF;
    r.push_back(static_cast<std::uint8_t>(v));
    r.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return r;
}

inline std::vector<std::uint8_t> SixRecords(unsigned from, unsigned to) {
  std::vector<std::uint8_t> out;
  for (unsigned i = from; i < to; ++i) {
    const auto r = SixRecord(i);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

class EngineTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    BringUp();
    qv::sim::DataOptions o;
    o.pattern = true;
    unit->SetDataOptions(o);
    ASSERT_EQ(Set_Depth(10000), 0u);
    g_nDepthUnits = 0;
    g_nTimeStep = 150;
    fs::create_directories(folder / "Header");
    g_strProgramFolder = folder.string();
    pace = std::make_unique<qvtest::VirtualPace>(clock);
  }
  void TearDown() override {
    g_strProgramFolder.clear();
    TbdeviceTest::TearDown();
  }

  // A six-channel log logging down (metric, a record every 10 counts, that
  // is every 100 header units) named WELL in the test folder.
  void Prepare(qv::LogEngine& e, int logMode = 12, std::uint8_t comStd = 2, std::uint8_t toolType = 1) {
    qv::LogSetup& s = e.Setup();
    s.pathStem = (folder / "WELL.").string();
    s.logMode = logMode;
    s.depthStep = 100;
    s.sampleInterval = 10;
    s.sondeAbbreviation = "KSTQ";
    s.loggingMode = {comStd, toolType, 10, static_cast<std::uint8_t>(logMode), 0};
    e.SetSink(&sink);
    e.SetClock(pace->Clock());
    e.Header().Wellname = "Test Well";
  }
  // Lowers the sonde at 50 counts a second: a record every 200 ms.
  void Lower() {
    WinchControlBlock w{2, 5};
    ASSERT_EQ(SetWinch(&w), 0u);
  }
  // Back to the start for another row of a table: the unit attached, not
  // logging, at depth 10000 with the winch stopped, no faults, no log files.
  void ResetUnit() {
    unit->SetFaults({});
    unit->Attach();
    LoggingModeBlock off{};
    SetLoggingMode(&off);
    WinchControlBlock stop{0, 0};
    SetWinch(&stop);
    ASSERT_EQ(Set_Depth(10000), 0u);
    for (const auto& e : fs::directory_iterator(folder))
      if (e.is_regular_file()) fs::remove(e.path());
  }
  // Starts a run; the unit makes its records on a 200 ms grid from here.
  int Start(qv::LogEngine& e, int mode) {
    pace->HoldHere();
    base_ = pace->Now();
    return e.StartLogging(mode);
  }
  // Runs until n more records of the run's grid have been read.
  void Records(int n) {
    const std::uint64_t done = (pace->Now() - base_) / 200;
    ASSERT_TRUE(pace->RunUntil(base_ + 200 * (done + n) + 100));
  }
  // A six-channel log WELL lowered from its start: its first file takes n
  // records, then PSE. False when it did not get that far.
  bool RecordThenPause(qv::LogEngine& e, int n) {
    Prepare(e);
    if (!e.InitialiseLog(1, 10)) return false;
    Lower();
    if (Start(e, qv::kStartRecord) != 1) return false;
    Records(n);
    return e.StopLogging(qv::kStatePaused) == 1 && e.State() == qv::kStatePaused;
  }
  // A header file against its golden copy, the test folder written as
  // <folder>. QV_UPDATE_GOLDEN=1 rewrites the golden copy instead.
  void ExpectGolden(const fs::path& file, const std::string& golden) {
    std::string text = ReadAll(file);
    const std::string f = folder.string();
    for (auto at = text.find(f); at != std::string::npos; at = text.find(f)) text.replace(at, f.size(), "<folder>");
    const fs::path path = fs::path(QV_TEST_SOURCE_DIR) / "golden" / golden;
    if (std::getenv("QV_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(text, ReadAll(path)) << golden;
  }

  std::uint64_t base_ = 0;
  qvtest::RecordingSink sink;
  std::unique_ptr<qvtest::VirtualPace> pace;
  qv::MessageRecorder boxes;
};

inline std::string HeaderText(const fs::path& hed, const char* section, const char* key) {
  std::ifstream in(hed);
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') current = line.substr(1, line.size() - 2);
    else if (current == section && line.rfind(std::string(key) + "=", 0) == 0) return line.substr(std::strlen(key) + 1);
  }
  return "<none>";
}

inline int HeaderInt(const fs::path& hed, const char* section, const char* key) {
  return std::atoi(HeaderText(hed, section, key).c_str());
}
