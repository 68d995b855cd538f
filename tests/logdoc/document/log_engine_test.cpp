// The acquisition engine of a log on the simulated unit, on virtual time: the
// files it leaves are compared with bytes built by hand from the script.
#include <future>

#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/document/sim_unit.h"

namespace {

using LogEngineTest = EngineTest;

TEST_F(LogEngineTest, ThreeRecordsGiveTheFileTheScriptImplies) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  EXPECT_EQ(engine.State(), qv::kStateReady);
  EXPECT_TRUE(engine.Monitoring());
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
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

TEST_F(LogEngineTest, PauseThenRecordContinuesInTheNextFileOfTheChain) {
  qv::SixChannelEngine engine;
  ASSERT_TRUE(RecordThenPause(engine, 3));
  EXPECT_EQ(unit->State().loggingMode[6], 14);
  clock->Advance(1000);  // the sonde moves on while the log is paused
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  EXPECT_EQ(engine.Title(), (folder / "WELL1").string());
  Records(2);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  // A third recording is refused once the log stopped for good.
  EXPECT_EQ(Start(engine, qv::kStartRecord), 0);

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

// The next file of a chain passes over the names of other logs in the
// folder (another log called WELL1, in any letter case): they keep their
// data and header, and the chain goes on in WELL2, which WELL's header names.
// REC after PSE whose next file of the chain cannot be created says so,
// records nothing and names no next file in the previous header; the log
// stays paused, and the next REC, once the way is clear, goes on in that file.
TEST_F(LogEngineTest, ANextFileOfTheChainThatCannotBeCreatedIsToldAndNotLinked) {
  qv::SixChannelEngine engine;
  ASSERT_TRUE(RecordThenPause(engine, 3));
  // The next name is free, but its file cannot be created there.
  fs::create_symlink(folder / "no such folder" / "WELL1.LOG", folder / "WELL1.LOG");
  boxes.Clear();
  EXPECT_EQ(Start(engine, qv::kStartRecord), 0);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Can not open destination file.");
  EXPECT_EQ(engine.State(), qv::kStatePaused);
  EXPECT_EQ(engine.Title(), (folder / "WELL").string());
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), "") << "no link to a file that does not exist";
  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, 3));

  fs::remove(folder / "WELL1.LOG");
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(2);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), (folder / "WELL1").string());
  EXPECT_EQ(fs::file_size(folder / "WELL1.LOG"), 2u * 14u);
}

TEST_F(LogEngineTest, TheChainPassesOverOtherLogsNames) {
  struct Case {
    const char* name;
    std::vector<const char*> others;  // files of other logs, there before the pause
  } cases[] = {
      {"data and header", {"WELL1.LOG", "WELL1.hed"}},
      {"a header alone", {"WELL1.hed"}},
      {"another letter case", {"well1.log"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetUnit();
    for (const char* f : c.others) std::ofstream(folder / f, std::ios::binary) << "another log";
    qv::SixChannelEngine engine;
    ASSERT_TRUE(RecordThenPause(engine, 2));
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    EXPECT_EQ(engine.Title(), (folder / "WELL2").string());
    Records(2);
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
    for (const char* f : c.others) EXPECT_EQ(ReadAll(folder / f), "another log") << f;
    EXPECT_EQ(ReadBytes(folder / "WELL2.LOG"), SixRecords(0, 2));
    EXPECT_EQ(HeaderText(folder / "WELL.hed", "General", "ChainTo"), (folder / "WELL2").string());
    EXPECT_TRUE(boxes.Shown().empty());
  }
}

TEST_F(LogEngineTest, ATestRunRecordsNothingAndItsRecordsNeverReachTheRecording) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartTest), 1);
  EXPECT_TRUE(engine.IsTestMode());
  EXPECT_EQ(unit->State().loggingMode[6], 10);  // the test runs on time
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  EXPECT_FALSE(fs::exists(folder / "WELL.LOG"));
  EXPECT_GE(sink.Rows().size(), 5u);  // shown, not recorded
  // REC during the test: the same thread goes on into a recording.
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
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
  ASSERT_EQ(Start(second, qv::kStartTest), 1);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 500));
  ASSERT_EQ(second.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(second.State(), qv::kStateStoppedForGood);
  EXPECT_FALSE(fs::exists(folder / "OTHER.LOG"));
  EXPECT_FALSE(fs::exists(folder / "OTHER.hed"));
  EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace

namespace {

// The .LGX record of the unit's pattern for record index i at a depth count:
// the depth in header units, the time, all twelve channels present, channel
// c holding i + c/16.
std::vector<std::uint8_t> TwelveRecord(unsigned i, int depthCount, int factor, int time) {
  qv::TwelveChannelFileRecord r;
  r.depth = depthCount * factor;
  r.time = time;
  r.mask = 0x0FFF;
  for (int c = 0; c < 12; ++c) r.values[c] = static_cast<float>(i) + c / 16.0f;
  std::vector<std::uint8_t> out(qv::TwelveChannelFileRecord::kSize);
  r.Encode(std::span<std::uint8_t, qv::TwelveChannelFileRecord::kSize>(out.data(), out.size()));
  return out;
}

TEST_F(LogEngineTest, TwelveChannelDepthsAreScaledOnceInEitherUnit) {
  struct Case {
    int units, factor;
  } cases[] = {{0, 10}, {1, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.units);
    ResetUnit();
    g_nDepthUnits = c.units;
    qv::TwelveChannelEngine engine;
    Prepare(engine, 12, 10, 8);
    engine.Setup().depthStep = 10 * c.factor;
    engine.Setup().imperial = c.units == 1;
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(3);
    ASSERT_EQ(engine.StopLogging(qv::kStatePaused), 1);
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);  // the next file scales its own records once too
    Records(2);
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
    g_nDepthUnits = 0;

    std::vector<std::uint8_t> first, second;
    for (unsigned k = 1; k <= 3; ++k) {
      const auto r = TwelveRecord(k - 1, 10000 + 10 * static_cast<int>(k), c.factor, 200 * static_cast<int>(k));
      first.insert(first.end(), r.begin(), r.end());
    }
    EXPECT_EQ(ReadBytes(folder / "WELL.LGX"), first);
    const auto secondFile = ReadBytes(folder / "WELL1.LGX");
    ASSERT_EQ(secondFile.size(), 2 * qv::TwelveChannelFileRecord::kSize);
    const int secondStart = HeaderInt(folder / "WELL1.hed", "WellInfo", "Startdepth");
    for (unsigned k = 0; k < 2; ++k) {
      const auto r =
          TwelveRecord(k, secondStart / c.factor + 10 * static_cast<int>(k), c.factor, 200 * static_cast<int>(k + 1));
      EXPECT_TRUE(std::equal(r.begin(), r.end(), secondFile.begin() + k * qv::TwelveChannelFileRecord::kSize)) << k;
    }
    EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth"), 10010 * c.factor);
    EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "DepthUnit"), c.units);
    EXPECT_EQ(HeaderInt(folder / "WELL.hed", "File1", "RecLineSize"), 64);
    // The record the processing saw keeps the unit's count.
    EXPECT_EQ(engine.Record().depth, secondStart / c.factor + 10);
    EXPECT_TRUE(boxes.Shown().empty());
  }
}

// While a log records, the bars get the unit's analog status (the sonde
// supply) from the records: the six-channel read fills the status block
// itself, the twelve-channel record carries it.
TEST_F(LogEngineTest, TheStatusCarriesTheSondeSupplyWhileEitherToolRecords) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<qv::LogEngine>()> make;
    std::uint8_t comStd, toolType;
  } cases[] = {
      {"six channels", [] { return std::make_unique<qv::SixChannelEngine>(); }, 2, 1},
      {"twelve channels", [] { return std::make_unique<qv::TwelveChannelEngine>(); }, 10, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetUnit();
    SondePowerBlock power{120, 300, 90};
    ASSERT_EQ(SetSondePower(&power), 0u);
    auto engine = c.make();
    Prepare(*engine, 12, c.comStd, c.toolType);
    ASSERT_TRUE(engine->InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(*engine, qv::kStartRecord), 1);
    Records(2);
    const qv::LogStatus status = engine->Status();
    EXPECT_EQ(status.analog[0], 120) << "supply current in mA";
    EXPECT_EQ(status.analog[1], 30) << "supply voltage in 4 V units";
    ASSERT_EQ(engine->StopLogging(qv::kStateStoppedForGood), 1);
    EXPECT_TRUE(boxes.Shown().empty());
  }
}

}  // namespace

namespace {

// A recording process killed outright leaves whole records, in order, that
// the replay reader reads back, and a header that places them.
TEST_F(LogEngineTest, AKilledRecorderLeavesAFileThatReplays) {
  const fs::path data = folder / "KILLED.LOG";
  qv::ChildProcess child;
  ASSERT_TRUE(child.Start(RECORD_CHILD, {folder.string()}, {}, (folder / "child.txt").string()));
  auto header = folder / "KILLED.hed";
  bool recorded = false;
  for (int i = 0; i < 60000 && !recorded; ++i) {
    std::error_code ec;
    recorded = fs::file_size(data, ec) > 14 * 60 * 3 && HeaderInt(header, "WellInfo", "Startdepth") == 100100;
    if (!recorded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(child.Pid(), SIGKILL);
  EXPECT_EQ(child.Wait(60000), 128 + SIGKILL);
  qvtest::ReleaseSimulatedUnit(child.Pid());
  ASSERT_TRUE(recorded) << ReadAll(folder / "child.txt") << fs::file_size(data) << " "
                        << HeaderText(header, "WellInfo", "Startdepth");

  const auto size = fs::file_size(data);
  EXPECT_EQ(size % 14, 0u);
  const unsigned n = static_cast<unsigned>(size / 14);
  // The header as the cut left it, its end taken from the data as a replay
  // takes it: the replay runs over the header's range to the last record.
  HeaderInfo h;
  ASSERT_TRUE(ReadHeaderInfo(data.string(), &h));
  ASSERT_EQ(h.LogMode, 12);
  ASSERT_TRUE(qv::TakeEndDepthFromData(data.string(), qv::kToolSixChannel, &h));
  EXPECT_EQ(h.EndDepth, h.Startdepth + static_cast<int>(n - 1) * h.Step);
  qv::ReplayReader reader(data.string(), qv::kToolSixChannel, h.Startdepth, h.EndDepth, 12, h);
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_FALSE(reader.HasPartialRecord());
  std::vector<std::uint8_t> replayed;
  SixChannelPacket p{};
  for (unsigned i = 0; i < n; ++i) {
    ASSERT_EQ(reader.ReadSixChannel(&p), 1) << i;
    std::vector<std::uint8_t> r(14);
    qv::FileRecordOf(p).Encode(std::span<std::uint8_t, 14>(r.data(), 14));
    replayed.insert(replayed.end(), r.begin(), r.end());
  }
  EXPECT_EQ(replayed, SixRecords(0, n));
}

}  // namespace

namespace {

// The texts the bars' message lines receive.
class MessageLines {
 public:
  MessageLines() {
    for (int kind : {kSondeMessageLine, kWinchMessageLine})
      SetMessageLineSink(kind, [this, kind](const std::string& text) {
        std::lock_guard<std::mutex> lock(m_);
        texts_[kind - 1].push_back(text);
      });
  }
  ~MessageLines() {
    SetMessageLineSink(kSondeMessageLine, nullptr);
    SetMessageLineSink(kWinchMessageLine, nullptr);
  }
  bool Saw(int kind, const std::string& text) const {
    std::lock_guard<std::mutex> lock(m_);
    const auto& t = texts_[kind - 1];
    return std::find(t.begin(), t.end(), text) != t.end();
  }
  std::string Last(int kind) const {
    std::lock_guard<std::mutex> lock(m_);
    return texts_[kind - 1].empty() ? "<none>" : texts_[kind - 1].back();
  }

 private:
  mutable std::mutex m_;
  std::vector<std::string> texts_[2];
};

TEST_F(LogEngineTest, RecordsAgainstTheLoggingDirectionNeverReachTheFile) {
  MessageLines lines;
  qv::SixChannelEngine engine;
  Prepare(engine, 11);  // logging up
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  WinchControlBlock raise{1, 5};
  ASSERT_EQ(SetWinch(&raise), 0u);
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(3);
  EXPECT_EQ(lines.Last(kWinchMessageLine), "");  // within one step: "Ready"
  unit->ReverseWinch();                          // the sonde goes down while the log goes up
  Records(4);
  EXPECT_TRUE(lines.Saw(kSondeMessageLine, "Bad Winch Direction"));
  EXPECT_GT(engine.Depth(), 9970);  // the refused records still move the depth
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, 3));
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth"), 99900);
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "LogMode"), 11);
}

// A log up started while the winch still lowers the sonde: the records of
// the wrong-way travel are refused, and the log starts where the sonde
// turns. Every record the unit delivers on the way up is kept, and the
// header's start depth places the first of them (records come every 10
// counts from 10000: down at 10010, 10020, 10030, then up at 10020, 10010 ...).
TEST_F(LogEngineTest, ALogStartedTheWrongWayKeepsEveryRecordAfterTheTurn) {
  struct Case {
    const char* name;
    bool lowerFirst;
    int before, after;  // records before and after the winch turns (it turns only after a wrong-way start)
    unsigned from, to;  // the unit's records that reach the file
    int start;          // the header's start depth
  } cases[] = {
      {"lowered, then raised", true, 3, 4, 3, 6, 100200},
      {"raised from the start", false, 4, 0, 0, 4, 99900},
      {"raised, stopped after one record", false, 1, 0, 0, 1, 99900},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetUnit();
    MessageLines lines;
    qv::SixChannelEngine engine;
    Prepare(engine, 11);  // logging up
    qvtest::RecordingSink view;
    engine.SetSink(&view);
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    WinchControlBlock winch{static_cast<std::uint8_t>(c.lowerFirst ? 2 : 1), 5};
    ASSERT_EQ(SetWinch(&winch), 0u);
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(c.before);
    if (c.lowerFirst) {
      unit->ReverseWinch();  // the engineer corrects the winch to UP
      Records(c.after);
      EXPECT_TRUE(lines.Saw(kSondeMessageLine, "Bad Winch Direction"));
    }
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
    EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(c.from, c.to));
    EXPECT_EQ(HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth"), c.start);
    EXPECT_EQ(view.Rows().size(), c.to - c.from) << "the view got what the file got";
  }
}

TEST_F(LogEngineTest, ALogTooFastForItsStepIsToldButKeepsEveryRecord) {
  MessageLines lines;
  qv::sim::DataOptions o;
  o.pattern = true;
  o.overSpeed = true;  // the unit keeps only every second depth step
  unit->SetDataOptions(o);
  qv::SixChannelEngine engine;
  Prepare(engine);
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(8);
  EXPECT_TRUE(lines.Saw(kWinchMessageLine, "Depth Error - Log speed too high"));
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(ReadBytes(folder / "WELL.LOG"), SixRecords(0, 4));
}

// The trailer dialog of a stop runs modally: its event loop runs the display
// pump meanwhile. With a worker's error queued, or the first record's header
// write pending, the pump takes the engine's stop lock; the stop must have let
// go of it by then, and the unit must already be back in monitor mode so that
// the depth and time keep moving while the engineer types.
TEST_F(LogEngineTest, TheTrailerDialogsEventLoopRunsTheDisplayPumpWithoutHangingTheStop) {
  struct Case {
    const char* name;
    std::function<void(LogEngineTest&, qv::LogEngine&)> before;  // after REC, before STP
  };
  const Case cases[] = {
      {"first header write pending", [](LogEngineTest& t, qv::LogEngine&) { t.Records(1); }},
      {"worker error queued",
       [](LogEngineTest& t, qv::LogEngine& e) {
         t.Records(2);
         e.PumpDisplay();
         t.Faults([](qv::sim::Faults& f) { f.firstStatus = 2; });
         for (int i = 0; i < 50 && !e.StopRequested(); ++i)
           t.pace->RunUntil(t.pace->Now() + 200, std::chrono::milliseconds(200));
         t.Faults([](qv::sim::Faults& f) { f.firstStatus = -1; });
         ASSERT_TRUE(e.StopRequested());
         ASSERT_TRUE(WaitForDiagnosticsMessages(60000));  // the unit's error is shown on a thread of its own
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetUnit();
    qv::SixChannelEngine engine;
    Prepare(engine);
    int pumped = 0;
    bool monitoring = false;
    std::uint8_t unitMode = 0;
    engine.SetCallbacks({nullptr, nullptr, nullptr, [&](TrailerText& lines, const std::string&) {
                           // What exec() does: the timers run while the dialog is open.
                           for (int i = 0; i < 5; ++i, ++pumped) {
                             engine.PumpDisplay();
                             std::this_thread::sleep_for(std::chrono::milliseconds(2));
                           }
                           monitoring = engine.Monitoring();
                           unitMode = unit->State().loggingMode[6];
                           lines.Text2 = "typed while the winch ran";
                           return true;
                         }});
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    c.before(*this, engine);
    // The stop runs on a thread of its own here only so that a hang fails
    // the test instead of stopping the run.
    auto stop = std::async(std::launch::async, [&] { return engine.StopLogging(qv::kStateStoppedForGood); });
    if (stop.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "the stop hangs in the trailer dialog";
      std::fflush(nullptr);
      std::_Exit(1);
    }
    EXPECT_EQ(stop.get(), 1);
    EXPECT_EQ(pumped, 5);
    EXPECT_TRUE(monitoring) << "monitor mode before the dialog opens";
    EXPECT_EQ(unitMode, 14);
    EXPECT_EQ(engine.State(), qv::kStateStoppedForGood);
    const fs::path hed = folder / "WELL.hed";
    EXPECT_EQ(HeaderInt(hed, "WellInfo", "EndDepth"), engine.Depth() * 10);
    EXPECT_EQ(HeaderInt(hed, "WellInfo", "Startdepth"), 100100);
    EXPECT_EQ(HeaderText(hed, "TrailerText", "Text2"), "typed while the winch ran");
    EXPECT_EQ(HeaderText(hed, "TrailerText", "Text1").rfind("Depth: ", 0), 0u);
  }
}

}  // namespace
