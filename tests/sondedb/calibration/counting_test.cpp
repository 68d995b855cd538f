// Counting against the unit for a calibration: on the simulated unit through
// the in-process library, and on scripted device answers; all on virtual time.
#include "sondedb/calibration/counting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "app/core/device_services.h"
#include "devices/simulator/unit/sonde_data.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/devices/tbdevice/fixture.h"

namespace {

// Records every box and answers OK.
class Boxes {
 public:
  Boxes() {
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      texts.push_back(r.text);
      return qv::IDOK;
    });
  }
  ~Boxes() { qv::SetMessageBoxHandler(previous_); }
  std::vector<std::string> texts;

 private:
  qv::MessageBoxHandler previous_;
};

// The six-channel sonde's count on a channel while the winch stands at
// depth 0 (what the simulated well gives there).
uint16_t UnitCount(int channel) {
  qv::sim::SondeSample s;
  s.toolType = 1;
  const auto record = qv::sim::MakeRecords(qv::sim::RecordKind::SixChannel, s)[0];
  const size_t at = 10 + 2 * static_cast<size_t>(channel - 1);
  return static_cast<uint16_t>(record[at] | record[at + 1] << 8);
}

class UnitCountingTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
  }
  // Every look at the clock lets a millisecond pass, so waiting for data
  // moves on even where nothing sleeps.
  qv::CountingClock Virtual() {
    return {[this] {
              clock->Advance(1);
              return static_cast<uint32_t>(clock->NowMs());
            },
            [this](uint32_t ms) { clock->Advance(ms); }};
  }
  std::vector<qv::sim::Request> Commands() {
    std::vector<qv::sim::Request> out;
    for (const auto& r : Sent())
      if (!r.in && (r.code == qv::sim::kCmdSondeCommand || r.code == qv::sim::kCmdLoggingMode)) out.push_back(r);
    return out;
  }
};

TEST_F(UnitCountingTest, AveragesAreTheSondesCountRates) {
  Boxes boxes;
  qv::CalibrationCounter counter(qv::LinkedCountingDevice(), Virtual(), nullptr);
  const uint64_t start = clock->NowMs();
  counter.CountPackets({2, 1, 150, 3}, 15);
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_FALSE(counter.TimedOut());
  for (int c = 1; c <= 6; ++c) {
    EXPECT_DOUBLE_EQ(counter.Averages()[c - 1], UnitCount(c)) << c;
    EXPECT_EQ(counter.Count(c), UnitCount(c));
  }
  for (int c = 7; c <= 12; ++c) EXPECT_EQ(counter.Averages()[c - 1], 0.0);
  // The unit's time stamps run from the logging start: the counting ends with
  // the first packet of second 15.
  EXPECT_GE(clock->NowMs() - start, 15000u);
  EXPECT_LT(clock->NowMs() - start, 16000u);
  EXPECT_FALSE(unit->State().logging);
}

TEST_F(UnitCountingTest, DetachedUnitEndsTheCountingAfterItsTimeOut) {
  Boxes boxes;
  unit->Detach();
  qv::CalibrationCounter counter(qv::LinkedCountingDevice(), Virtual(), nullptr);
  counter.CountPackets({2, 1, 150, 1}, 300);
  EXPECT_TRUE(counter.TimedOut());
  EXPECT_EQ(counter.Packets(), 0u);
  ASSERT_FALSE(boxes.texts.empty());
  EXPECT_EQ(boxes.texts.back(), qv::LoadString(32107));
}

TEST_F(UnitCountingTest, ArmCommands) {
  Boxes boxes;
  qv::CalibrationCounter counter(qv::LinkedCountingDevice(), Virtual(), nullptr);
  struct Step {
    std::function<void()> run;
    int16_t code;
    int sends;
    bool logging;  // logging switched on and off around the commands
    bool open;
  };
  const qv::CountingSetup setup{2, 1, 150, 1};
  const Step steps[] = {
      {[&] { counter.CloseOnAbort(); }, 135, 0, false, false},  // arms never opened: nothing
      {[&] { counter.OpenCaliper(setup); }, 105, 5, true, true},
      {[&] { counter.CloseCaliper(setup); }, 135, 10, true, false},
      {[&] { counter.OpenCaliper(setup); }, 105, 5, true, true},
      {[&] { counter.CloseOnAbort(); }, 135, 1, false, false},
  };
  for (const Step& s : steps) {
    unit->ClearJournal();
    s.run();
    const auto sent = Commands();
    int commands = 0;
    for (const auto& r : sent)
      if (r.code == qv::sim::kCmdSondeCommand) {
        ++commands;
        ASSERT_GE(r.data.size(), 2u);
        EXPECT_EQ(r.data[0] | (r.data[1] << 8), s.code);
      }
    EXPECT_EQ(commands, s.sends);
    if (s.logging) {
      ASSERT_GE(sent.size(), 2u);
      EXPECT_EQ(sent.front().code, qv::sim::kCmdLoggingMode);
      EXPECT_EQ(sent.back().code, qv::sim::kCmdLoggingMode);
    } else {
      EXPECT_EQ(sent.size(), static_cast<size_t>(s.sends));
    }
    EXPECT_EQ(counter.ArmsOpen(), s.open);
  }
  EXPECT_TRUE(boxes.texts.empty());
}

// Scripted answers: each read takes the next entry (status, time stamp,
// rate, count of channel 1); once the script is used up, "no data".
struct Scripted {
  uint16_t status;
  int32_t timeMs;
  uint8_t rate;
  uint16_t count;
};
std::deque<Scripted> g_script;
uint32_t g_now = 0;
uint32_t ScriptedRead(SixChannelPacket* p, AnalogStatusBlock*, int) {
  if (g_script.empty()) return TB_STATUS_NO_DATA;
  const Scripted s = g_script.front();
  g_script.pop_front();
  *p = SixChannelPacket{};
  p->time = s.timeMs;
  p->rate = s.rate;
  p->channel[0] = s.count;
  return s.status;
}
uint32_t ScriptedMode(LoggingModeBlock*) {
  return 0;
}

TEST(ScriptedCounting, RatesErrorsAndTheEnd) {
  Boxes boxes;
  qv::CountingDevice device;
  device.setLoggingMode = &ScriptedMode;
  device.getSonde6ChannelPacket = &ScriptedRead;
  const qv::CountingClock clock{[] { return ++g_now; }, [](uint32_t ms) { g_now += ms; }};
  struct Case {
    const char* what;
    std::vector<Scripted> script;
    double average;
    bool timedOut;
  };
  const std::vector<Scripted> settle(15, Scripted{6, 0, 50, 9999});
  auto after = [&](std::vector<Scripted> rest) {
    std::vector<Scripted> all = settle;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
  };
  const Case cases[] = {
      {"rate 50 adds the count", after({{6, 1000, 50, 300}, {6, 2000, 50, 300}}), 300, false},
      {"rate 25 doubles it", after({{6, 1000, 25, 300}, {6, 2000, 25, 300}}), 600, false},
      {"rate 0 counts as 50", after({{6, 2500, 0, 300}}), 300, false},
      {"0x0206 is an error, not data", after({{0x0206, 2000, 50, 5000}, {6, 2000, 50, 100}}), 100, false},
      {"stops at the first packet of the last second",
       after({{6, 1999, 50, 100}, {6, 2000, 50, 300}, {6, 3000, 50, 999}}), 200, false},
      {"errors only: gives up", after(std::vector<Scripted>(5000, Scripted{TB_STATUS_NOT_ATTACHED, 0, 50, 0})), 0,
       true},
      {"a failed request only: gives up", after(std::vector<Scripted>(5000, Scripted{0x86, 0, 50, 0})), 0, true},
      {"no packet at all", {}, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.texts.clear();
    g_script.assign(c.script.begin(), c.script.end());
    g_now = 0;
    qv::CalibrationCounter counter(device, clock, nullptr);
    counter.CountPackets({2, 1, 150, 1}, 2);
    EXPECT_EQ(counter.Averages()[0], c.average);
    EXPECT_EQ(counter.TimedOut(), c.timedOut);
    if (c.timedOut) {
      ASSERT_EQ(boxes.texts.size(), 1u);
      EXPECT_EQ(boxes.texts[0], qv::LoadString(32107));
    } else {
      EXPECT_TRUE(boxes.texts.empty());
    }
  }
  // Nothing at all: the settling gives up after 10 s, the counting 10 s later.
  g_script.clear();
  g_now = 0;
  qv::CalibrationCounter counter(device, clock, nullptr);
  counter.CountPackets({2, 1, 150, 1}, 2);
  EXPECT_GT(g_now, 20000u);
  EXPECT_LT(g_now, 20500u);
}

// A unit that delivers packets without end, their time stamps from a rule.
// After a great many reads it falls silent, so a counting without its own
// limit still ends (late) instead of hanging the test.
int32_t (*g_stamp)(unsigned read) = nullptr;
unsigned g_reads = 0;
uint32_t EndlessRead(SixChannelPacket* p, AnalogStatusBlock*, int) {
  if (++g_reads > 200000) return TB_STATUS_NO_DATA;
  *p = SixChannelPacket{};
  p->time = g_stamp(g_reads);
  p->rate = 50;
  p->channel[0] = 400;
  return 6;
}

TEST(ScriptedCounting, AUnitClockThatStandsOrRunsBackEndsByTheTimeOut) {
  Boxes boxes;
  qv::CountingDevice device;
  device.setLoggingMode = &ScriptedMode;
  device.getSonde6ChannelPacket = &EndlessRead;
  const qv::CountingClock clock{[] { return ++g_now; }, [](uint32_t ms) { g_now += ms; }};
  struct Case {
    const char* what;
    int32_t (*stamp)(unsigned);
  };
  const Case cases[] = {
      {"stands still", [](unsigned) { return int32_t{1500}; }},
      {"runs back", [](unsigned read) { return 14000 - static_cast<int32_t>(read) * 5; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.texts.clear();
    g_stamp = c.stamp;
    g_reads = 0;
    g_now = 0;
    qv::CalibrationCounter counter(device, clock, nullptr);
    counter.CountPackets({2, 1, 150, 1}, 15);
    EXPECT_TRUE(counter.TimedOut());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], qv::LoadString(32107));
    // 15 s of counting plus the 10 s time-out (and the settling before it).
    EXPECT_GT(g_now, 25000u);
    EXPECT_LT(g_now, 26000u);
    EXPECT_GT(counter.Packets(), 0u);
    EXPECT_EQ(counter.Averages()[0], 400.0) << "the packets counted so far";
  }
}

TEST(DeviceStatus, DecodeAndReport) {
  struct Decode {
    uint16_t word;
    int kind;
  };
  for (const Decode d : {Decode{0x0006, 1}, Decode{0x0005, 0}, Decode{0x0305, 0}, Decode{0x0206, 2}, Decode{0x0081, 2},
                         Decode{0x0000, 2}})
    EXPECT_EQ(qv::DecodePacketStatus(d.word), d.kind) << std::hex << d.word;

  Boxes boxes;
  struct Report {
    uint16_t word;
    std::string text;
  };
  const Report reports[] = {
      {0x0300, DeviceErrorText(kProcessorError, 3)},
      {0x0201, DeviceErrorText(kUnitError, 1)},
      {0x0081, DeviceErrorText(kUnitError, 0x81)},
      {0x0000, ""},
  };
  for (const Report& r : reports) {
    boxes.texts.clear();
    qv::ShowDeviceStatus(r.word);
    if (r.text.empty()) {
      EXPECT_TRUE(boxes.texts.empty());
    } else {
      ASSERT_EQ(boxes.texts.size(), 1u);
      EXPECT_EQ(boxes.texts[0], r.text);
    }
  }
}

}  // namespace
