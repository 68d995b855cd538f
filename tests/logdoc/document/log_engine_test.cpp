// The acquisition engine of a log on the simulated unit, on virtual time: the
// files it leaves are compared with bytes built by hand from the script.
#include "logdoc/document/log_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/core/globals.h"
#include "logdoc/document/channel_logs.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/logdoc/document/engine_harness.h"

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

// The .LOG record the simulated unit's pattern gives record index i: flag
// byte 21, rate 50, channel c counting index x 16 + c.
std::vector<std::uint8_t> SixRecord(unsigned i, std::uint8_t flags = 21) {
  std::vector<std::uint8_t> r{flags, 50};
  for (unsigned c = 1; c <= 6; ++c) {
    const unsigned v = (i * 16 + c) & 0xFFFF;
    r.push_back(static_cast<std::uint8_t>(v));
    r.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return r;
}

std::vector<std::uint8_t> SixRecords(unsigned from, unsigned to) {
  std::vector<std::uint8_t> out;
  for (unsigned i = from; i < to; ++i) {
    const auto r = SixRecord(i);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

class LogEngineTest : public TbdeviceTest {
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
  // Runs until n more records of 200 ms each have been read.
  void Records(int n) { ASSERT_TRUE(pace->RunUntil(pace->Now() + 200 * n + 100)); }

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

  qvtest::RecordingSink sink;
  std::unique_ptr<qvtest::VirtualPace> pace;
  qv::MessageRecorder boxes;
};

TEST_F(LogEngineTest, ThreeRecordsGiveTheFileTheScriptImplies) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  EXPECT_EQ(engine.State(), qv::kStateReady);
  EXPECT_TRUE(engine.Monitoring());
  Lower();
  ASSERT_EQ(engine.StartLogging(qv::kStartRecord), 1);
  EXPECT_EQ(engine.State(), qv::kStateRunning);
  EXPECT_FALSE(engine.Monitoring());
  Records(3);
  engine.PumpDisplay();
  EXPECT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(engine.State(), qv::kStateStoppedForGood);
  EXPECT_TRUE(boxes.Shown().empty()) << boxes.Shown()[0].text;

  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), Hex("15 32 01 00 02 00 03 00 04 00 05 00 06 00 "
                                                "15 32 11 00 12 00 13 00 14 00 15 00 16 00 "
                                                "15 32 21 00 22 00 23 00 24 00 25 00 26 00"));
  ExpectGolden(folder / "WELL.hed", "THREE.hed");
  EXPECT_EQ(sink.Rows().size(), 3u);
  EXPECT_EQ(sink.DisplayDepths(), std::vector<int>{100100});
  EXPECT_GT(sink.updates, 0);
  // The unit is back in monitor mode.
  EXPECT_EQ(unit->State().loggingMode[6], 14);
  EXPECT_TRUE(engine.Monitoring());
}

}  // namespace

namespace {

std::string HeaderText(const fs::path& hed, const char* section, const char* key) {
  std::ifstream in(hed);
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') current = line.substr(1, line.size() - 2);
    else if (current == section && line.rfind(std::string(key) + "=", 0) == 0) return line.substr(std::strlen(key) + 1);
  }
  return "<none>";
}

int HeaderInt(const fs::path& hed, const char* section, const char* key) {
  return std::atoi(HeaderText(hed, section, key).c_str());
}

TEST_F(LogEngineTest, PauseThenRecordContinuesInTheNextFileOfTheChain) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(engine.StartLogging(qv::kStartRecord), 1);
  Records(3);
  ASSERT_EQ(engine.StopLogging(qv::kStatePaused), 1);
  EXPECT_EQ(engine.State(), qv::kStatePaused);
  EXPECT_EQ(unit->State().loggingMode[6], 14);
  clock->Advance(1000);  // the sonde moves on while the log is paused
  ASSERT_EQ(engine.StartLogging(qv::kStartRecord), 1);
  EXPECT_EQ(engine.Title(), (folder / "WELL1").string());
  Records(2);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  // A third recording is refused once the log stopped for good.
  EXPECT_EQ(engine.StartLogging(qv::kStartRecord), 0);

  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, 3));
  EXPECT_EQ(ReadBytes(folder / "WELL1.LOG"), SixRecords(0, 2));  // the unit counts again from its new start
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), (folder / "WELL1").string());
  EXPECT_EQ(HeaderText(folder / "WELL1.hed", "General", "ChainTo"), "");
  // Each file's header places its own records.
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth"), 100100);
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "EndDepth"), 100300);
  const int secondStart = HeaderInt(folder / "WELL1.hed", "WellInfo", "Startdepth");
  EXPECT_GT(secondStart, 100300 + 100 * 5);
  EXPECT_EQ(HeaderInt(folder / "WELL1.hed", "WellInfo", "EndDepth"), secondStart + 100);
  EXPECT_EQ(HeaderInt(folder / "WELL1.hed", "WellInfo", "StartTime"), 200);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(LogEngineTest, ATestRunRecordsNothingAndItsRecordsNeverReachTheRecording) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(engine.StartLogging(qv::kStartTest), 1);
  EXPECT_TRUE(engine.IsTestMode());
  EXPECT_EQ(unit->State().loggingMode[6], 10);  // the test runs on time
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  EXPECT_FALSE(fs::exists(folder / "WELL.LOG"));
  EXPECT_GE(sink.Rows().size(), 5u);  // shown, not recorded
  // REC during the test: the same thread goes on into a recording.
  ASSERT_EQ(engine.StartLogging(qv::kStartRecord), 1);
  EXPECT_FALSE(engine.IsTestMode());
  Records(4);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, 4));
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "StartTime"), 200);
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Step"), 100);
  EXPECT_FALSE(fs::exists(folder / "WELL1.LOG"));

  // STP on a test run leaves nothing behind.
  qv::SixChannelEngine second;
  Prepare(second);
  second.Setup().pathStem = (folder / "OTHER.").string();
  ASSERT_TRUE(second.InitialiseLog(1, 10));
  ASSERT_EQ(second.StartLogging(qv::kStartTest), 1);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 500));
  ASSERT_EQ(second.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(second.State(), qv::kStateStoppedForGood);
  EXPECT_FALSE(fs::exists(folder / "OTHER.LOG"));
  EXPECT_FALSE(fs::exists(folder / "OTHER.hed"));
  EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
