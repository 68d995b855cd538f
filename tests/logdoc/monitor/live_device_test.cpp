// The live unit of a log document against the simulated unit: device
// commands, mode switches, depth reports, scope shots and the monitor thread.
#include "logdoc/monitor/live_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "logdoc/monitor/monitor_thread.h"
#include "platform/text/msgbox.h"
#include "tests/logdoc/monitor/fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// What reached the message lines, the boxes and the speaker.
struct Reports {
  std::mutex m;
  std::vector<std::string> sondeLine, winchLine, boxes;
  int beeps = 0;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
  Reports() {
    SetMessageLineSink(kSondeMessageLine, [this](const std::string& t) {
      std::lock_guard lk(m);
      sondeLine.push_back(t);
    });
    SetMessageLineSink(kWinchMessageLine, [this](const std::string& t) {
      std::lock_guard lk(m);
      winchLine.push_back(t);
    });
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      std::lock_guard lk(m);
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([this](unsigned) {
      std::lock_guard lk(m);
      ++beeps;
    });
  }
  ~Reports() {
    SetMessageLineSink(kSondeMessageLine, nullptr);
    SetMessageLineSink(kWinchMessageLine, nullptr);
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
  }
  std::vector<std::string> Winch() {
    std::lock_guard lk(m);
    return winchLine;
  }
};

// Readings as the bars would get them.
struct RecordingSink : qv::MonitorSink {
  std::mutex m;
  std::vector<int> depths;
  int statuses = 0;
  void UpdateStatus(int, uint8_t, uint8_t, int) override {
    std::lock_guard lk(m);
    ++statuses;
  }
  void UpdateReadings(int, int depth, int) override {
    std::lock_guard lk(m);
    depths.push_back(depth);
  }
  int LastDepth() {
    std::lock_guard lk(m);
    return depths.empty() ? -1 : depths.back();
  }
};

class LiveDeviceTest : public livetest::LiveUnitTest {
 public:
  void SetUp() override {
    LiveUnitTest::SetUp();
    g_nDepthUnits = 0;
  }
  void TearDown() override {
    g_nDepthUnits = 0;
    LiveUnitTest::TearDown();
  }

  Reports reports;
};

using livetest::WaitFor;

TEST_F(LiveDeviceTest, CommandsReachTheUnitAsBlocks) {
  struct Case {
    int units, depth;
    Bytes sent;
  } depths[] = {
      {0, 1234, {123, 0, 0, 0}},           // metres: the truncated quotient
      {1, 1234, {24, 0, 0, 0}},            // feet
      {0, -20, {0xFE, 0xFF, 0xFF, 0xFF}},  // above the zero point
  };
  for (const Case& c : depths) {
    unit->ClearJournal();
    g_nDepthUnits = c.units;
    EXPECT_TRUE(device.SetDepth(c.depth));
    ASSERT_EQ(SentWith(qv::sim::kCmdSetDepth).size(), 1u);
    EXPECT_EQ(SentWith(qv::sim::kCmdSetDepth)[0].data, c.sent) << c.depth;
  }

  SondePowerBlock power{120, 300, 165};
  unit->ClearJournal();
  EXPECT_TRUE(device.SetSondePower(&power));
  device.SetToolKind(7);
  EXPECT_TRUE(device.SetSondePower(&power));
  auto sent = SentWith(qv::sim::kCmdSondePower);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].data, (Bytes{120, 0, 44, 1, 165, 0}));
  EXPECT_EQ(sent[1].data, (Bytes{0, 0, 0, 0, 0, 0})) << "a kind 7 sonde is never powered";
  EXPECT_EQ(power.voltage, 120) << "the caller's block is not touched";

  unit->ClearJournal();
  SondeCommandBlock command{105, 44, 1};
  EXPECT_TRUE(device.SendSondeCommand(&command));
  EXPECT_EQ(SentWith(qv::sim::kCmdSondeCommand).size(), 3u);
  EXPECT_TRUE(device.SondeCommandPending());
  EXPECT_EQ(reports.sondeLine, std::vector<std::string>{""}) << "the bar's default line comes back";

  unit->ClearJournal();
  WinchControlBlock winch{2, 0};
  EXPECT_TRUE(device.SetWinch(&winch));
  EXPECT_EQ(winch.speed, 1);
  EXPECT_TRUE(device.SetWinchMode(true));
  EXPECT_TRUE(device.SetWinchMode(false));
  sent = SentWith(qv::sim::kCmdWinch);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].data, (Bytes{3, 1}));
  EXPECT_EQ(sent[2].data, (Bytes{0, 1}));
  EXPECT_EQ(reports.beeps, 0);
  EXPECT_TRUE(reports.boxes.empty());
}

TEST_F(LiveDeviceTest, RefusedCommandsAreReportedWhereEachBelongs) {
  Faults([](qv::sim::Faults& f) { f.failControl = 1000; });
  SondeCommandBlock command{105, 44, 1};
  EXPECT_FALSE(device.SendSondeCommand(&command));
  EXPECT_FALSE(device.SondeCommandPending()) << "a refused command is not pending";
  ASSERT_EQ(reports.sondeLine.size(), 1u);
  EXPECT_FALSE(reports.sondeLine[0].empty());
  WinchControlBlock winch{2, 5};
  EXPECT_FALSE(device.SetWinch(&winch));
  ASSERT_EQ(reports.winchLine.size(), 1u);
  EXPECT_FALSE(reports.winchLine[0].empty());
  SondePowerBlock power{120, 300, 165};
  EXPECT_FALSE(device.SetSondePower(&power));
  EXPECT_FALSE(device.SetDepth(1000));
  EXPECT_EQ(reports.boxes.size(), 2u) << "power and depth errors are boxes";
  EXPECT_EQ(reports.beeps, 4);

  // DeviceMutex not had: nothing is sent, and it is reported.
  Faults([](qv::sim::Faults& f) { f.failControl = 0; });
  unit->ClearJournal();
  std::atomic<bool> cancel{true};
  device.SetCancel(&cancel, std::this_thread::get_id());
  EXPECT_FALSE(device.SetDepth(1000));
  device.SetCancel(nullptr, {});
  EXPECT_TRUE(Sent().empty());
  ASSERT_EQ(reports.boxes.size(), 3u);
  EXPECT_EQ(reports.boxes[2], DeviceErrorText(kSystemError, kErrOperatingSystem));
}

TEST_F(LiveDeviceTest, DepthReportsAndTheirFaultsReportedOnce) {
  EXPECT_EQ(device.GetDepthReport(1), 11) << "not monitoring: the unit is not asked";
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  auto modes = SentWith(qv::sim::kCmdLoggingMode);
  ASSERT_EQ(modes.size(), 1u);
  EXPECT_EQ(modes[0].data, (Bytes{2, 1, 0xE8, 0x03, 63, 0, 14})) << "monitor mode: value 1000, mode 14";
  EXPECT_TRUE(device.Monitoring());

  EXPECT_EQ(device.GetDepthReport(1), TB_STATUS_NO_DATA);
  // A depth far out of range from the unit: the header depth is held, not wrapped.
  MoveTo(INT32_MAX / 4);
  EXPECT_EQ(device.GetDepthReport(1), TB_STATUS_DATA);
  EXPECT_EQ(device.HeaderDepth(), INT32_MAX);
  MoveTo(1500);
  EXPECT_EQ(device.GetDepthReport(1), TB_STATUS_DATA);
  EXPECT_EQ(device.Depth(), 1500);
  EXPECT_EQ(device.HeaderDepth(), 15000);
  EXPECT_EQ(reports.Winch(), std::vector<std::string>{""}) << "the ready line, once";

  // A second status byte: the depth is taken and the fault reported once.
  Faults([](qv::sim::Faults& f) { f.secondStatus = 3; });
  for (int d : {1600, 1700, 1800}) {
    MoveTo(d);
    EXPECT_EQ(device.GetDepthReport(1), TB_STATUS_DATA + 256 * 3);
    EXPECT_EQ(device.Depth(), d);
  }
  EXPECT_EQ(reports.Winch(), (std::vector<std::string>{"", DeviceErrorText(kProcessorError, 3)}));

  // A first-byte error: reported once, monitoring goes on and recovers.
  Faults([](qv::sim::Faults& f) {
    f.secondStatus = 0;
    f.firstStatus = 12;
  });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(device.GetDepthReport(1), 12);
  EXPECT_TRUE(device.Monitoring());
  Faults([](qv::sim::Faults& f) { f.firstStatus = -1; });
  MoveTo(2500);
  while (device.GetDepthReport(1) != TB_STATUS_DATA) clock->Advance(1000);
  EXPECT_EQ(device.Depth(), 2500);
  EXPECT_EQ(reports.Winch(),
            (std::vector<std::string>{"", DeviceErrorText(kProcessorError, 3), DeviceErrorText(kUnitError, 12), ""}));
  EXPECT_TRUE(reports.boxes.empty());
}

// A depth report that was waiting for DeviceMutex while a log started (the
// monitoring flag cleared, the unit switched into the log's mode under the
// lock) does not ask the unit: the log's first record stays for the log.
TEST_F(LiveDeviceTest, ADepthReportWaitingWhileALogStartsLeavesTheLogsRecord) {
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  ASSERT_TRUE(DeviceMutex.Lock(1000));
  int word = -1;
  std::thread monitor([&] { word = device.GetDepthReport(1); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // it waits for the lock
  device.SetMonitoring(false);
  LoggingModeBlock log{2, 1, 10, 12, 0};
  ASSERT_EQ(SetLoggingMode(&log), 0u);
  unit->QueueRecord(std::vector<uint8_t>(23, 7));
  DeviceMutex.Unlock();
  monitor.join();
  EXPECT_EQ(word, 11);
  EXPECT_EQ(unit->QueuedRecords(), 1u) << "the record is the log's";
}

TEST_F(LiveDeviceTest, ScopeModeTakesShotsAndEndsWithLoggingOff) {
  unit->SetDataOptions({.pattern = true});
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  unit->ClearJournal();
  ASSERT_TRUE(device.EnterScopeMode());
  EXPECT_TRUE(device.ScopeMode());
  EXPECT_FALSE(device.Monitoring());
  EXPECT_EQ(device.GetDepthReport(1), TB_STATUS_NO_DATA) << "no depth reports while the scope runs";
  auto modes = SentWith(qv::sim::kCmdLoggingMode);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0].data[0], 0) << "logging off first";
  EXPECT_EQ(modes[1].data, (Bytes{12, 1, 0xB8, 0x0B, 0x00, 0x30, 12})) << "scope: standard 12, value 3000";

  std::vector<uint8_t> samples(12288, 0xEE);
  device.GetScopeShot();
  device.CopyScopeShot(samples.data());
  EXPECT_EQ(samples, std::vector<uint8_t>(12288, 0)) << "nothing yet";
  MoveTo(4321);
  clock->Advance(2000);
  device.GetScopeShot();
  device.CopyScopeShot(samples.data());
  EXPECT_EQ(device.Depth(), 4321);
  for (int i : {0, 1, 255, 256, 12287}) EXPECT_EQ(samples[i], i & 0xFF) << i;

  device.LeaveScopeMode();
  EXPECT_FALSE(device.ScopeMode());
  EXPECT_FALSE(unit->State().logging);
  EXPECT_TRUE(reports.boxes.empty());

  // A unit that refuses the switch: the box, and no scope.
  Faults([](qv::sim::Faults& f) { f.failControl = 1000; });
  EXPECT_FALSE(device.EnterScopeMode());
  ASSERT_EQ(reports.boxes.size(), 1u);
  EXPECT_EQ(reports.boxes[0], "Could not switch to scope shot mode, Hardware error.");
}

TEST_F(LiveDeviceTest, MonitorThreadFeedsTheSinkAndSurvivesAFault) {
  RecordingSink sink;
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  qv::MonitorThread monitor(device, &sink);
  ASSERT_TRUE(monitor.Start(true));
  MoveTo(700);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(monitor.Passes(), 0u) << "suspended until resumed";
  monitor.Resume();
  ASSERT_TRUE(WaitFor([&] { return sink.LastDepth() == 7000; })) << "700 counts x 10 in metres";

  Faults([](qv::sim::Faults& f) { f.firstStatus = 12; });
  ASSERT_TRUE(WaitFor([&] { return reports.Winch().size() >= 2; }));
  const uint64_t passes = monitor.Passes();
  ASSERT_TRUE(WaitFor([&] { return monitor.Passes() > passes + 20; })) << "the thread keeps polling";
  EXPECT_EQ(reports.Winch().size(), 2u) << "the fault is reported once";
  Faults([](qv::sim::Faults& f) { f.firstStatus = -1; });
  MoveTo(900);
  ASSERT_TRUE(WaitFor([&] { return sink.LastDepth() == 9000; })) << "monitoring resumes";

  // Monitoring off (a recording): only the analog status, for the sonde bar.
  device.SetMonitoring(false);
  const int statuses = [&] {
    std::lock_guard lk(sink.m);
    return sink.statuses;
  }();
  ASSERT_TRUE(WaitFor([&] {
    std::lock_guard lk(sink.m);
    return sink.statuses > statuses + 5;
  }));
  EXPECT_TRUE(monitor.Stop(10000));
  EXPECT_FALSE(monitor.Running());
}

TEST_F(LiveDeviceTest, MonitorThreadStopsWhileWaitingForTheDevice) {
  ASSERT_EQ(device.EnterMonitorMode(), 0u);
  qv::MonitorThread monitor(device, nullptr);
  ASSERT_TRUE(DeviceMutex.Lock(1000));
  ASSERT_TRUE(monitor.Start(false));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // The thread waits for DeviceMutex, which this thread holds: the stop must
  // not wait out the 30 s device time-out.
  EXPECT_TRUE(monitor.Stop(10000));
  EXPECT_FALSE(monitor.Running());
  DeviceMutex.Unlock();
  EXPECT_LE(monitor.Passes(), 1u);
}

}  // namespace

namespace {

TEST_F(LiveDeviceTest, LiveStartAndEndOfADocument) {
  RecordingSink sink;
  {
    qv::MonitorThread monitor(device, &sink);
    ASSERT_TRUE(qv::StartLiveMonitoring(device, monitor, 150));
    EXPECT_EQ(SentWith(qv::sim::kCmdSampleInterval).at(0).data, (Bytes{150, 0}));
    ASSERT_EQ(SentWith(qv::sim::kCmdLoggingMode).size(), 1u);
    EXPECT_EQ(SentWith(qv::sim::kCmdLoggingMode)[0].data[6], 14);
    MoveTo(300);
    ASSERT_TRUE(WaitFor([&] { return sink.LastDepth() == 3000; }));
    EXPECT_TRUE(qv::EndLiveMonitoring(device, monitor));
    EXPECT_FALSE(monitor.Running());
    EXPECT_FALSE(device.Monitoring());
    EXPECT_FALSE(unit->State().logging);
  }
  EXPECT_TRUE(reports.boxes.empty());

  // A unit that refuses the sample interval: the box, and no monitoring.
  Faults([](qv::sim::Faults& f) { f.failControl = 1000; });
  qv::MonitorThread monitor(device, &sink);
  EXPECT_FALSE(qv::StartLiveMonitoring(device, monitor, 150));
  EXPECT_EQ(reports.boxes.size(), 1u);
  EXPECT_FALSE(device.Monitoring());
  EXPECT_EQ(monitor.Passes(), 0u) << "the thread stays suspended";
}

}  // namespace
