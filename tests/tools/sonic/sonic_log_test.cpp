// The sonic log on the simulated unit: live records for each geometry into
// the .LGX file, read back through the replay reader, hand on the very values
// and waveforms the live log handed on; the probe configuration goes out when
// a run starts; a user function built from C is started again on rewind.
#include "tools/sonic/sonic_log.h"

#include "platform/dynlib/dynlib.h"
#include "tests/logdoc/document/engine_test.h"

namespace {

class WaveSink : public qv::SonicSink {
 public:
  void AddWaveformRecord(std::span<const double> values, std::span<const std::int16_t> waveforms) override {
    std::lock_guard<std::mutex> lock(m);
    rows.emplace_back(values.begin(), values.end());
    waves.emplace_back(waveforms.begin(), waveforms.end());
  }
  std::mutex m;
  std::vector<std::vector<double>> rows;
  std::vector<std::vector<std::int16_t>> waves;
};

std::string Lib() {
  return std::string(QV_SONIC_UF);
}

class SonicLogTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    g_SonicConfig = {8, {10, 11, 12}, {-3, 4, 5}};
    unit->SetDataOptions({});  // the simulated well, not the byte pattern
  }
  // Logging down, or by time (logMode 10): without a sonde database the
  // sonde is taken as 500 steps long, which delays a depth log's channels by
  // 526 records; a time log hands them on after 26.
  void PrepareSonic(qv::SonicLogEngine& e, int comStd, int logMode = 12) {
    Prepare(e, logMode, static_cast<std::uint8_t>(comStd), 10);
    e.Setup().sondeAbbreviation = "SONQ";
    e.SetSonicSink(&live);
  }
  // A replay of the log WELL in the test folder.
  void PrepareReplay(qv::SonicLogEngine& e, int logMode = 12) {
    qv::LogSetup& s = e.Setup();
    s.pathStem = (folder / "WELL.").string();
    s.logMode = logMode;
    s.depthStep = 100;
    s.sondeAbbreviation = "SONQ";
    ::HeaderInfo h;
    ASSERT_TRUE(::ReadHeaderInfo(s.pathStem + "LGX", &h));
    s.replayStartDepth = h.Startdepth;
    s.replayEndDepth = h.EndDepth;
    e.SetSonicSink(&replayed);
  }
  // Records about 90 records of a time log of the standard into WELL.LGX.
  void RecordTimeLog(int comStd) {
    qvtest::WriterGate gate;  // outlives the engine, whose end may still write
    qv::SonicLogEngine engine(comStd);
    // The time log makes a record every 10 ms and virtual time runs far
    // ahead of the writer thread, so a writer that is merely late would
    // fill the log's queue (8 halves) and stop it. The queue here holds the
    // whole run (about 1800 records) and the writer is held until the stop:
    // the writer's pace never matters, whatever the machine's load.
    engine.SetBuffering(qv::SonicLogEngine::kRecordsPerHalf, 64);
    engine.Pipeline().SetAppendHook(gate.Hook());
    gate.Hold();
    struct ReleaseFirst {  // a failed check never leaves the engine's end waiting for the writer
      qvtest::WriterGate& g;
      ~ReleaseFirst() { g.Release(); }
    } releaseFirst{gate};
    PrepareSonic(engine, comStd, 10);
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(90);
    EXPECT_EQ(engine.Pipeline().RecordsWritten(), 0u);
    gate.Release();
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  }
  WaveSink live, replayed;
};

TEST_F(SonicLogTest, LiveRecordsReplayToTheSameValuesForEveryGeometry) {
  for (const int comStd : {26, 27, 28, 29}) {
    SCOPED_TRACE(comStd);
    ResetUnit();
    live.rows.clear(), live.waves.clear(), replayed.rows.clear(), replayed.waves.clear();
    RecordTimeLog(comStd);
    if (HasFatalFailure()) return;
    const int size = comStd == 26 ? 3136 : 2112;
    const auto bytes = ReadBytes(folder / "WELL.LGX");
    ASSERT_GE(bytes.size(), 60u * static_cast<std::size_t>(size));
    ASSERT_EQ(bytes.size() % static_cast<std::size_t>(size), 0u);

    qv::SonicLogEngine engine(comStd);
    PrepareReplay(engine, 10);
    ASSERT_TRUE(engine.InitialiseLog(0, 10));
    while (engine.ReadReplayRecord()) ASSERT_TRUE(engine.ProcessRecord(false));
    const std::size_t records = bytes.size() / static_cast<std::size_t>(size);
    ASSERT_GE(replayed.rows.size(), records);
    ASSERT_GE(live.rows.size(), records);
    // The live log may have processed records before its first stored one.
    const std::size_t skip = live.rows.size() - records;
    for (std::size_t i = 0; i < records; ++i) {
      ASSERT_EQ(replayed.rows[i], live.rows[i + skip]) << "record " << i;
      ASSERT_EQ(replayed.waves[i], live.waves[i + skip]) << "record " << i;
    }
    // The channel display's newest values: the last record read, undelayed.
    double raw[12], calibrated[12];
    engine.LatestValues(raw, calibrated, nullptr);
    EXPECT_NE(raw[1], 0.0);
    EXPECT_EQ(calibrated[1], raw[1]);  // no calibration chosen
    // The arrivals are the delayed channels over the 8 us interval.
    const auto& r = replayed.rows[records - 1];
    EXPECT_NE(r[12], 0.0);
    EXPECT_DOUBLE_EQ(r[12], r[0] / 8);
  }
}

// A filter changed while the log runs (the display options) reaches the
// sonic processing from the next record on: the values handed on are those
// of the filter the header names, as when it was chosen before the log.
TEST_F(SonicLogTest, AFilterChangedDuringTheLogReachesTheProcessing) {
  RecordTimeLog(27);
  if (HasFatalFailure()) return;
  enum When { kNever, kBefore, kDuring };
  auto replay = [&](When when) {
    replayed.rows.clear(), replayed.waves.clear();
    qv::SonicLogEngine engine(27);
    PrepareReplay(engine, 10);
    auto choose = [&] {
      engine.Setup().channelFilters[4].FilterType = 1;  // channel 5: the mean over 7 rows
      engine.Setup().channelFilters[4].FilterWidth = 7;
    };
    if (when == kBefore) choose();
    EXPECT_TRUE(engine.InitialiseLog(0, 10));
    if (when == kDuring) {
      choose();
      engine.ApplyFilters();
    }
    while (engine.ReadReplayRecord()) engine.ProcessRecord(false);
    return replayed.rows;
  };
  const auto plain = replay(kNever);
  const auto before = replay(kBefore);
  const auto during = replay(kDuring);
  ASSERT_GT(plain.size(), 60u);
  EXPECT_NE(before, plain) << "the filter smooths channel 5";
  EXPECT_EQ(during, before);
}

// A run sends the probe configuration; while it runs the bars get the sonde
// supply from the packets, which carry the analog status of their own status
// request.
TEST_F(SonicLogTest, ARunSendsTheProbeConfigurationAndShowsTheSondeSupply) {
  SondePowerBlock power{120, 300, 90};
  ASSERT_EQ(SetSondePower(&power), 0u);
  qv::SonicLogEngine engine(26);
  PrepareSonic(engine, 26);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  g_SonicConfig = {16, {1, 2, 3}, {-128, 0, 127}};
  ASSERT_EQ(Start(engine, qv::kStartTest), 1);
  Records(2);
  const auto sent = unit->State().sonicConfig;
  // The unit's flag byte: the three-receiver mode (7) and 16 us (+16).
  EXPECT_EQ(sent, (std::array<std::uint8_t, 7>{23, 1, 2, 3, 0x80, 0, 127}));
  const qv::LogStatus status = engine.Status();
  EXPECT_EQ(status.analog[0], 120) << "supply current in mA";
  EXPECT_EQ(status.analog[1], 30) << "supply voltage in 4 V units";
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
}

TEST_F(SonicLogTest, NotASonicStandardIsRefused) {
  for (const int comStd : {25, 30}) {
    qv::SonicLogEngine engine(comStd);
    PrepareSonic(engine, comStd);
    EXPECT_FALSE(engine.InitialiseLog(1, 10)) << comStd;
  }
}

TEST_F(SonicLogTest, AUserFunctionIsStartedAgainOnRewind) {
  {
    qv::SonicLogEngine engine(28);
    PrepareSonic(engine, 28);
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(40);
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  }
  qv::DynLib uf;
  ASSERT_TRUE(uf.Load(Lib())) << uf.Error();
  auto count = [&](const char* name) { return reinterpret_cast<int (*)()>(uf.Symbol(name))(); };
  qv::SonicLogEngine engine(28);
  PrepareReplay(engine);
  engine.Setup().userFunction = true;
  engine.Setup().userLibrary = Lib();
  const int inits = count("TestInitCalls"), waves = count("TestInitWaveformsCalls");
  ASSERT_TRUE(engine.InitialiseLog(0, 10));
  ASSERT_TRUE(engine.UserFunctionOn());
  EXPECT_EQ(count("TestInitCalls"), inits + 1);
  EXPECT_EQ(count("TestInitWaveformsCalls"), waves + 1);
  EXPECT_EQ(count("TestPoints"), 256);
  auto waveform = reinterpret_cast<std::int16_t* (*)(int)>(uf.Symbol("TestWaveform"));
  EXPECT_EQ(waveform(3), engine.Sonic()->Waveform(3));
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(engine.ReadReplayRecord());
    ASSERT_TRUE(engine.ProcessRecord(false));
  }
  // Outputs 12 to 15 are the arrivals, not what the function wrote.
  EXPECT_NE(replayed.rows.back()[12], 999.0);
  ASSERT_TRUE(engine.RewindReplay());
  EXPECT_EQ(count("TestInitCalls"), inits + 2);
  EXPECT_EQ(count("TestInitWaveformsCalls"), waves + 2);
  replayed.rows.clear();
  ASSERT_TRUE(engine.ReadReplayRecord());
  ASSERT_TRUE(engine.ProcessRecord(false));
  for (int c = 0; c < 16; ++c) EXPECT_EQ(replayed.rows.back()[static_cast<std::size_t>(c)], 0.0) << c;
}

}  // namespace

namespace {

// The simulated unit's sonic packets: each trace's onset lies where its
// channel's transit time says (channels 1 to 4 over the sample interval),
// later for farther receivers; the interval sets the time scale and each
// receiver's gain the amplitude.
class SonicUnitTest : public EngineTest {
 public:
  struct Trace {
    int onset = -1;  // first sample beyond the noise
    int peak = 0;
    double channel = 0;  // the trace's channel value (us after the factory calibration of 0.1 per count)
  };
  std::vector<Trace> Read(int comStd, SonicConfigBlock config) {
    unit->SetDataOptions({});
    LoggingModeBlock mode{static_cast<std::uint8_t>(comStd), 10, 10, 10, 0};
    EXPECT_EQ(SetLoggingMode(&mode) & 0xFFFF, 0u);
    EXPECT_EQ(SendConfig(&config) & 0xFFFF, 0u);
    clock->Advance(400);
    SonicPacket p{};
    std::uint32_t word = 0;
    for (int i = 0; i < 20 && (word & 0xFF) != TB_STATUS_DATA; ++i) {
      word = GetSonicPacket(&p);
      if ((word & 0xFF) != TB_STATUS_DATA) clock->Advance(100);
    }
    EXPECT_EQ(word & 0xFF, static_cast<std::uint32_t>(TB_STATUS_DATA));
    int per = 0, waves = 0;
    qv::GetSonicGeometry(comStd, &per, &waves);
    std::vector<Trace> out;
    for (int w = 0; w < waves && p.samples; ++w) {
      Trace t;
      for (int i = 0; i < per / 2; ++i) {
        const int x = std::abs(p.samples[w * per / 2 + i]);
        if (t.onset < 0 && x > 200) t.onset = i;
        t.peak = std::max(t.peak, x);
      }
      t.channel = p.value[w] * 0.1;
      out.push_back(t);
    }
    LoggingModeBlock off{};
    SetLoggingMode(&off);
    return out;
  }
};

TEST_F(SonicUnitTest, TraceOnsetsFollowTheChannelsTheIntervalAndTheGains) {
  for (const int comStd : {26, 27, 28, 29}) {
    for (const std::uint8_t interval : {4, 8, 16}) {
      SCOPED_TRACE(testing::Message() << comStd << " " << int(interval));
      const auto traces = Read(comStd, {interval, {1, 1, 1}, {0, 0, 0}});
      ASSERT_EQ(traces.size(), comStd == 26 ? 3u : comStd == 28 ? 4u : 2u);
      for (std::size_t w = 0; w < traces.size(); ++w) {
        // The onset is one of the first samples after the arrival (the
        // wave starts from zero).
        const double arrival = traces[w].channel / interval;
        EXPECT_GE(traces[w].onset, arrival - 0.5) << w;
        EXPECT_LE(traces[w].onset, arrival + 2.5) << w;
        EXPECT_GT(traces[w].peak, 6000) << w;  // a good part of the 16-bit range
        if (w > 0) {
          EXPECT_GT(traces[w].channel, traces[w - 1].channel) << w;
        }
      }
    }
  }
  const auto quiet = Read(26, {4, {1, 1, 1}, {0, 0, 0}});
  const auto loud = Read(26, {4, {1, 9, 1}, {0, 0, 0}});
  EXPECT_EQ(loud[0].peak, quiet[0].peak);
  EXPECT_GT(loud[1].peak, quiet[1].peak * 3 / 2);
}

}  // namespace
