// The sonde test's engine against the simulated unit: the panels of each
// tool family, the family's logging mode, one poll of each family's read with
// what the panels and value fields then show, segment order, and stopping.
#include "app/sondetest/sonde_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/support/stub_log_document.h"

using Bytes = std::vector<uint8_t>;

namespace {

// The document the test runs beside.
class FakeDoc : public StubLogDocument {
 public:
  std::atomic<bool> monitoring{true};
  std::atomic<int> readings{0};
  std::atomic<int> lastDepth{0};
  uint8_t ComStd() const override { return 2; }
  uint8_t ToolType() const override { return 1; }
  void SetMonitoring(bool on) override { monitoring = on; }
  void SetReading(int, int depth) override {
    ++readings;
    lastDepth = depth;
  }
  int ComputeLogSpeed(int, int) override { return 77; }
};

class FakeHost : public qv::SondeTestHost {
 public:
  std::mutex m;
  std::vector<std::string> errors;
  int bars = 0;
  int lastDepth = 0, lastSpeed = 0;
  void ShowErrorText(const std::string& text) override {
    std::lock_guard lock(m);
    errors.push_back(text);
  }
  void UpdateBars(int, uint8_t, uint8_t, int, int, int depth, int speed) override {
    std::lock_guard lock(m);
    ++bars;
    lastDepth = depth;
    lastSpeed = speed;
  }
  std::vector<std::string> Errors() {
    std::lock_guard lock(m);
    return errors;
  }
};

Bytes SixRecord(int32_t depth, int32_t time, uint8_t rate, std::array<uint16_t, 6> ch) {
  Bytes r(23, 0);
  for (int i = 0; i < 4; ++i) r[i] = uint8_t(uint32_t(depth) >> (8 * i));
  for (int i = 0; i < 4; ++i) r[4 + i] = uint8_t(uint32_t(time) >> (8 * i));
  r[8] = 21;
  r[9] = rate;
  unsigned sum = 21u + rate;
  for (int c = 0; c < 6; ++c) {
    r[10 + 2 * c] = uint8_t(ch[c]);
    r[11 + 2 * c] = uint8_t(ch[c] >> 8);
    sum += ch[c];
  }
  r[22] = uint8_t(sum);
  return r;
}

// A waveform segment as the unit sends it: flags, then 48 samples of value.
Bytes Segment(uint8_t flags, int8_t value) {
  Bytes r(71, 0);
  r[8] = flags;
  for (int i = 0; i < 48; ++i) r[10 + i] = uint8_t(value);
  return r;
}

}  // namespace

class SondeTestEngineTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
    qv::TestPauses() = {0, 0, 30000};
    g_nDepthUnits = 0;
    g_nTimeStep = 150;
    g_nDepthStepMetric = 10;
    g_SonicConfig = SonicConfigBlock{4, {1, 1, 1}, {10, 20, 30}};
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([](unsigned) {});
  }
  void TearDown() override {
    engine.reset();
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
    EXPECT_TRUE(unit->ProtocolErrors().empty());
    TbdeviceTest::TearDown();
  }

  // An engine for a tool with one trace per panel of its layout (300 x 100 pixels each).
  void Make(int toolType, int comStd) {
    traces.clear();
    const qv::SondeTestLayout l = qv::LayoutForTool(toolType, comStd);
    for (const auto& p : l.panels) {
      traces.push_back(std::make_shared<qv::SharedTrace>());
      traces.back()->Create(300, 100, p.imageMode, l.samples);
    }
    engine = std::make_unique<qv::SondeTestEngine>(toolType, comStd, &doc, &host, traces);
  }

  // Starts the family without letting the worker poll (the run flag is
  // dropped once the mode is on), so the test polls by hand.
  void StartByHand(bool (qv::SondeTestEngine::*start)()) {
    ASSERT_TRUE((engine.get()->*start)());
    engine->StopWorker();
    // StopWorker switched logging off: switch the family's mode on again.
    const Bytes m = LoggingModes()[LoggingModes().size() - 2];
    LoggingModeBlock block{m[0], m[1], static_cast<int16_t>(m[2] | m[3] << 8), m[4], 0};
    ASSERT_EQ(SetLoggingMode(&block), 0u);
  }

  FakeDoc doc;
  FakeHost host;
  std::vector<std::shared_ptr<qv::SharedTrace>> traces;
  std::unique_ptr<qv::SondeTestEngine> engine;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
};

// ---------------------------------------------------------------------------
TEST(SondeTestLayout, PanelsByToolTypeAndStandard) {
  struct Case {
    int tool, std;
    qv::TestFamily family;
    int samples;
    std::vector<std::string> titles;
    bool image, zoom, values;
    int enabled;
  };
  using F = qv::TestFamily;
  const std::vector<Case> cases = {
      {1, 2, F::Channels, 0, {}, false, false, true, 6},
      {7, 2, F::Channels, 0, {}, false, false, true, 6},
      {8, 2, F::Channels, 0, {}, false, false, true, 12},
      {2, 12, F::Televiewer, 128, {"Amplitude", "Travel Time"}, true, false, false, 0},
      {4, 4, F::FullWave, 480, {"Near Receiver", "Far Receiver"}, false, false, false, 0},
      {5, 3, F::CementBond, 240, {"Near Receiver", "Far Receiver"}, false, false, false, 0},
      {10, 26, F::Sonic, 512, {"Near Receiver", "Mid receiver", "Far receiver"}, false, true, false, 0},
      {10,
       28,
       F::Sonic,
       256,
       {"Near Receiver (TX1)", "Far receiver (TX1)", "Near Receiver (TX2)", "Far receiver (TX2)"},
       false,
       true,
       false,
       0},
      {10, 29, F::Sonic, 512, {"Near Receiver", "Far receiver"}, false, true, false, 0},
      {10, 30, F::Sonic, 0, {}, false, true, false, 0},
      {3, 0, F::None, 0, {}, false, false, false, 0},
      {11, 0, F::None, 0, {}, false, false, false, 0},
      {-1, 0, F::None, 0, {}, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tool " << c.tool << " std " << c.std);
    const qv::SondeTestLayout l = qv::LayoutForTool(c.tool, c.std);
    EXPECT_EQ(l.family, c.family);
    EXPECT_EQ(l.samples, c.samples);
    std::vector<std::string> titles;
    for (const auto& p : l.panels) {
      titles.push_back(p.title);
      EXPECT_EQ(p.imageMode, c.image);
    }
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(l.zoomControls, c.zoom);
    EXPECT_EQ(l.valueFields, c.values);
    EXPECT_EQ(l.enabledFields, c.enabled);
  }
  // Four sonic panels a pixel apart share the area in quarters.
  const auto rects = qv::StackPanels({10, 20, 300, 403}, 4, 1);
  ASSERT_EQ(rects.size(), 4u);
  EXPECT_EQ(rects[0].height, 100);
  EXPECT_EQ(rects[3].y, 20 + 3 * 101);
  EXPECT_TRUE(qv::StackPanels({0, 0, 10, 10}, 0, 1).empty());
}

TEST(MonitorTraceTest, CurveZoomMarkerAndThreshold) {
  qv::MonitorTrace t;
  t.Create(300, 100, false, 480);
  EXPECT_EQ(t.PointsDrawn(), 480);
  EXPECT_EQ(t.Points()[0].x, 300);  // parked at the right edge until data comes
  std::vector<int8_t> wave(480);
  for (int i = 0; i < 480; ++i) wave[static_cast<size_t>(i)] = static_cast<int8_t>(i % 2 ? 64 : -64);
  t.SetZoom(2, 1);
  t.ShowData(wave.data(), 2, 100, 0);
  // With zoom 2 the trace reaches the right edge after half its samples.
  EXPECT_EQ(t.PointsDrawn(), 240);
  EXPECT_EQ(t.Points()[239].x, 298);
  EXPECT_EQ(t.Points()[0].y, 50 + 25);  // -64 / 256 of 100 pixels below the middle
  EXPECT_EQ(t.Points()[1].y, 50 - 25);
  EXPECT_EQ(t.MarkerPoint(), 99);
  EXPECT_EQ(t.ThresholdLine(), -1);
  // Markers outside the drawn points mark nothing.
  for (int marker : {0, -5, 241, 100000, qv::MonitorTrace::kNoMarker}) {
    t.ShowData(wave.data(), 2, marker, 0);
    EXPECT_EQ(t.MarkerPoint(), -1) << marker;
  }
  // A sonic threshold byte of 32 (x 256) on a word trace: an eighth of the height up.
  std::vector<int16_t> words(480, 0);
  t.SetZoom(1, 2);
  t.ShowData(words.data(), 4, qv::MonitorTrace::kNoMarker, 32 * 256);
  EXPECT_EQ(t.ThresholdLine(), 50 - 25);
  EXPECT_EQ(t.PointsDrawn(), 480);
  // Types the panel does not know draw a flat line.
  t.ShowData(words.data(), 9, 0, 0);
  EXPECT_EQ(t.Points()[10].y, 50);
}

TEST(MonitorTraceTest, ImageScrollsOneLinePerSweep) {
  qv::MonitorTrace t;
  t.Create(200, 3, true, 4);
  EXPECT_EQ(t.Image(), std::vector<uint8_t>(12, qv::MonitorTrace::kBlankLevel));
  const uint16_t first[4] = {0x3F00, 0x0100, 0x0000, 0xFF00};
  const uint16_t second[4] = {0x0002, 0x0000, 0x00FE, 0x0010};
  t.ShowData(first, 0, 0, 0);
  t.ShowData(second, 1, 0, 0);
  // Line 0 is the newest sweep (travel time: 0 shows as 127), line 1 the one before.
  const std::vector<uint8_t> expect = {1, 127, 127, 8, 63, 1, 0, 63, 240, 240, 240, 240};
  EXPECT_EQ(t.Image(), expect);
  EXPECT_EQ(qv::MonitorTrace::ImageLevel(first, 7, 0), 128);
}

// ---------------------------------------------------------------------------
TEST_F(SondeTestEngineTest, SixChannelValuesIncludingRateZero) {
  Make(1, 2);
  StartByHand(&qv::SondeTestEngine::StartChannelTest);
  EXPECT_EQ(LoggingModes()[0], (Bytes{2, 1, 150, 0, 10}));
  EXPECT_EQ(engine->PollInterval(), 75);
  // Nothing read yet: no rate to scale by.
  EXPECT_EQ(engine->ValueTexts()[0], "n/a");

  struct Case {
    uint8_t rate;
    std::array<uint16_t, 6> counts;
    std::array<std::string, 6> shown;
  };
  const std::vector<Case> cases = {
      {25, {100, 0, 1, 3, 65535, 7}, {"200", "0", "2", "6", "131070", "14"}},
      {50, {100, 0, 1, 3, 65535, 7}, {"100", "0", "1", "3", "65535", "7"}},
      {0, {100, 0, 1, 3, 65535, 7}, {"n/a", "n/a", "n/a", "n/a", "n/a", "n/a"}},
      {3, {10, 1, 2, 0, 0}, {"166", "16", "33", "0", "0", "0"}},
  };
  int depth = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.rate));
    unit->QueueRecord(SixRecord(++depth, 5000, c.rate, c.counts));
    EXPECT_EQ(engine->PollDevice(), TB_STATUS_DATA);
    const auto texts = engine->ValueTexts();
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(texts[i], c.shown[i]) << i;
    for (size_t i = 6; i < 12; ++i) EXPECT_EQ(texts[i], "n/a");
  }
  // Each delivered read went to the document and to the bars.
  EXPECT_EQ(doc.readings, 4);
  EXPECT_EQ(doc.lastDepth, 1004);
  EXPECT_EQ(host.lastDepth, 10040);
  EXPECT_EQ(host.lastSpeed, 77);
  // A delivered read shows the unit's status texts.
  ASSERT_FALSE(host.Errors().empty());
  EXPECT_EQ(host.Errors().back(),
            "MCS: " + DeviceErrorText(kUnitError, 6) + "\nDSP: " + DeviceErrorText(kProcessorError, 0));
}

TEST_F(SondeTestEngineTest, TwelveChannelFloats) {
  Make(8, 2);
  StartByHand(&qv::SondeTestEngine::StartChannelTest);
  unit->SetDataOptions({true, 256, false, false});
  clock->Advance(200);
  ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA);
  const auto texts = engine->ValueTexts();
  EXPECT_EQ(texts[0], "    0.000");
  EXPECT_EQ(texts[11], "    0.688");  // pattern: index + 11/16
}

TEST_F(SondeTestEngineTest, TeleviewerSweepsScrollIntoBothImages) {
  Make(2, 12);
  StartByHand(&qv::SondeTestEngine::StartTeleviewerTest);
  EXPECT_EQ(LoggingModes()[0], (Bytes{5, 2, 1, 0, 13}));
  EXPECT_EQ(engine->PollInterval(), 20);
  unit->SetDataOptions({true, 256, false, false});
  clock->Advance(2 * qv::sim::kTeleviewerTurnMs);  // a sweep per turn of the head
  ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA);
  ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA);
  const qv::MonitorTrace amplitude = traces[0]->Snapshot();
  const qv::MonitorTrace travel = traces[1]->Snapshot();
  // Pattern sweeps: amplitude (index + j) & 0x3F, travel time j & 0x7F (0 shows as 127).
  for (int j : {0, 1, 63, 127}) {
    EXPECT_EQ(amplitude.Image()[size_t(j)], (1 + j) & 0x3F) << j;
    EXPECT_EQ(amplitude.Image()[size_t(128 + j)], j & 0x3F) << j;
    EXPECT_EQ(travel.Image()[size_t(j)], j == 0 ? 127 : j) << j;
  }
  EXPECT_EQ(amplitude.Image()[size_t(2 * 128)], qv::MonitorTrace::kBlankLevel);
}

TEST_F(SondeTestEngineTest, CementBondSegmentsMakeWholeTraces) {
  Make(5, 3);
  StartByHand(&qv::SondeTestEngine::StartCblTest);
  EXPECT_EQ(LoggingModes()[0], (Bytes{3, 5, 44, 1, 10}));
  unit->SetDataOptions({true, 256, false, false});
  clock->Advance(300);  // one record: near 0-4, far 0-4
  for (int i = 0; i < 10; ++i) ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA) << i;
  clock->Advance(300);
  ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA);  // the next near segment 0 shows the record
  for (size_t panel : {0u, 1u}) {
    const qv::MonitorTrace t = traces[panel]->Snapshot();
    EXPECT_EQ(t.PointsDrawn(), 240);
    // Pattern samples (index + k) & 0x7F of the first record (index 0), segment 0 included.
    for (int k : {0, 10, 47, 48, 100, 239}) EXPECT_EQ(t.Points()[size_t(k)].y, 50 - (100 * (k & 0x7F)) / 256) << k;
  }
  for (const std::string& e : host.Errors()) EXPECT_EQ(e.find("Sequence"), std::string::npos) << e;
}

TEST_F(SondeTestEngineTest, SegmentOrderIsCheckedPerReceiver) {
  Make(4, 4);
  StartByHand(&qv::SondeTestEngine::StartFwsTest);
  EXPECT_EQ(LoggingModes()[0], (Bytes{2, 4, 44, 1, 10}));
  struct Step {
    uint8_t flags;
    bool bad;
  };
  const std::vector<Step> steps = {
      {0x00, false}, {0x01, false}, {0x89, false}, {0x80, false},  // far 0 after far 9 is in order
      {0x02, false}, {0x04, true},  {0x05, false}, {0x81, false},  //
      {0x8B, true},                                                // no receiver has a segment 11
  };
  const auto badTexts = [this] {
    const auto errors = host.Errors();
    return std::count(errors.begin(), errors.end(), "Bad Sonic Packet Sequence");
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(int(s.flags));
    unit->QueueRecord(Segment(s.flags, 5));
    const auto before = badTexts();
    EXPECT_EQ(engine->PollDevice(), TB_STATUS_DATA);
    EXPECT_EQ(badTexts() - before, s.bad ? 1 : 0);
  }
}

// The sequence message stays in the error static, not replaced by the status
// texts of the reads that follow, until both receivers have sent a whole
// turn in order again; a real device error still shows.
TEST_F(SondeTestEngineTest, BadSequenceStaysVisibleForAWholeTurn) {
  Make(4, 4);
  StartByHand(&qv::SondeTestEngine::StartFwsTest);
  const std::string bad = "Bad Sonic Packet Sequence";
  const auto poll = [this](uint8_t flags) {
    unit->QueueRecord(Segment(flags, 5));
    EXPECT_EQ(engine->PollDevice(), TB_STATUS_DATA);
    return host.Errors().back();
  };
  const auto turn = [&](uint8_t receiver, int from, int to, bool visible) {
    for (int n = from; n <= to; ++n) {
      SCOPED_TRACE(testing::Message() << "receiver " << int(receiver) << " segment " << n);
      EXPECT_EQ(poll(static_cast<uint8_t>(receiver | n)) == bad, visible);
    }
  };
  turn(0x00, 0, 2, false);
  turn(0x00, 4, 9, true);  // 4 after 2: bad, and the rest of the near turn keeps it
  turn(0x80, 0, 9, true);  // a whole far turn alone is not enough
  turn(0x00, 0, 8, true);
  turn(0x00, 9, 9, false);  // both receivers whole again: the status text is back
  turn(0x80, 0, 3, false);
  turn(0x80, 5, 5, true);
  // A device error is not hidden behind the message.
  Faults([](qv::sim::Faults& f) { f.secondStatus = 3; });
  unit->QueueRecord(Segment(0x86, 5));
  engine->PollDevice();
  EXPECT_EQ(host.Errors().back(),
            "MCS: " + DeviceErrorText(kUnitError, 6) + "\nDSP: " + DeviceErrorText(kProcessorError, 3));
}

TEST_F(SondeTestEngineTest, SonicPicksAndThresholds) {
  Make(10, 28);
  StartByHand(&qv::SondeTestEngine::StartSonicTest);
  EXPECT_EQ(LoggingModes()[0], (Bytes{28, 10, 244, 1, 10}));
  // The probe configuration went to the unit before polling.
  bool configSent = false;
  for (const auto& r : unit->Journal()) configSent |= r.code == qv::sim::kCmdSonicConfig;
  EXPECT_TRUE(configSent);
  unit->SetDataOptions({true, 256, false, false});
  struct Case {
    uint8_t interval;
    bool marked;
  };
  // Pattern picks are the record's counts of channels 2-5 (2 to 5 in the
  // first record): marked at interval 1, not at all without an interval.
  for (const Case& c : {Case{1, true}, Case{0, false}}) {
    SCOPED_TRACE(int(c.interval));
    g_SonicConfig.sampleInterval = c.interval;
    clock->Advance(600);
    ASSERT_EQ(engine->PollDevice(), TB_STATUS_DATA);
    for (size_t r = 0; r < 4; ++r) {
      const qv::MonitorTrace t = traces[r]->Snapshot();
      EXPECT_EQ(t.PointsDrawn(), 256);
      // Pattern samples t * 1000 + i as signed words.
      EXPECT_EQ(t.Points()[10].y, 50 - int(100 * (int(r) * 1000 + 10) / 65536.0));
      // Thresholds: near traces the first byte, far traces the second.
      EXPECT_EQ(t.ThresholdLine(), 50 - int(100 * ((r % 2 ? 20 : 10) * 256) / 65536.0));
      EXPECT_EQ(t.MarkerPoint() >= 0, c.marked);
    }
  }
}

TEST_F(SondeTestEngineTest, SonicWithUnknownStandardShowsNothing) {
  Make(10, 30);
  EXPECT_TRUE(traces.empty());
  // The unit refuses the mode; the error static says so and no worker runs.
  EXPECT_FALSE(engine->StartStopTest(false));
  EXPECT_FALSE(engine->Running());
  ASSERT_FALSE(host.Errors().empty());
  EXPECT_EQ(host.Errors().back().rfind("MCS: ", 0), 0u);
  EXPECT_EQ(engine->PollDevice(), TB_STATUS_NO_DATA);
}

TEST_F(SondeTestEngineTest, StartFailsCleanlyWhenTheUnitRefusesTheMode) {
  Make(1, 2);
  Faults([](qv::sim::Faults& f) { f.failControl = 1000; });
  EXPECT_FALSE(engine->StartStopTest(false));
  EXPECT_FALSE(engine->Running());
  ASSERT_FALSE(host.Errors().empty());
  EXPECT_EQ(host.Errors().back().rfind("MCS: ", 0), 0u);
  Faults([](qv::sim::Faults& f) { f.failControl = 0; });
}

// The worker polls on its own until stopped; the stop ends it cooperatively
// and puts the unit back into the document's monitor mode.
TEST_F(SondeTestEngineTest, RunningTestStopsCleanly) {
  Make(1, 2);
  doc.monitoring = true;
  ASSERT_TRUE(engine->StartStopTest(false));
  EXPECT_TRUE(engine->Running());
  EXPECT_FALSE(doc.monitoring);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (engine->ValueTexts()[0] == "n/a" && std::chrono::steady_clock::now() < deadline) {
    clock->Advance(150);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_NE(engine->ValueTexts()[0], "n/a");
  unit->ClearJournal();
  EXPECT_FALSE(engine->StartStopTest(true));
  EXPECT_FALSE(engine->Running());
  EXPECT_TRUE(doc.monitoring);
  // Logging off, then the document's monitor mode; no read after the stop.
  EXPECT_EQ(LoggingModes(), (std::vector<Bytes>{{0, 0, 0, 0, 0}, {2, 1, 0xE8, 0x03, 14}}));
  const size_t journal = unit->Journal().size();
  clock->Advance(1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(unit->Journal().size(), journal);
  // Stopping again (closing after a stop) is harmless.
  EXPECT_EQ(engine->StopWorker(), 1);
}

// The worker polls while the window's thread draws the panels, zooms them
// and reads the value fields, and the document's thread asks the unit for
// its status under DeviceMutex, all at once, for each kind of display.
TEST_F(SondeTestEngineTest, WorkerBesideTheWindowAndTheDocument) {
  const struct {
    int toolType, comStd;
  } cases[] = {{5, 3}, {2, 12}, {1, 2}};  // waveform curves, televiewer images, value fields
  for (const auto& c : cases) {
    SCOPED_TRACE(c.toolType);
    Make(c.toolType, c.comStd);
    unit->SetDataOptions({true, 256, false, false});
    ASSERT_TRUE(engine->StartStopTest(false));
    std::atomic<bool> stop{false};
    std::thread document([&] {
      while (!stop) {
        {
          qv::MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
          AnalogStatusBlock a{};
          GetAnalogStatus(&a);
        }
        host.Errors();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    // What the window shows once data came: a drawn curve, an image line, a value.
    const auto shown = [&] {
      if (traces.empty()) return engine->ValueTexts()[0] != "n/a";
      const qv::MonitorTrace t = traces[0]->Snapshot();
      if (t.ImageMode())
        return std::any_of(t.Image().begin(), t.Image().begin() + 128,
                           [](uint8_t v) { return v != qv::MonitorTrace::kBlankLevel; });
      return std::any_of(t.Points().begin(), t.Points().end(), [](const auto& p) { return p.y != 50; });
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int zoom = 0; !shown() && std::chrono::steady_clock::now() < deadline; ++zoom) {
      clock->Advance(50);
      engine->SetZoom(1 + zoom % 2, 1);
      engine->ValueTexts();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(shown());
    EXPECT_FALSE(engine->StartStopTest(true));
    stop = true;
    document.join();
  }
}
