// The televiewer log on the simulated unit's well, on virtual time: the .BTV
// file against the sweeps the unit delivered (checked here and by an
// independent reader), the minute marks, replay and step back, and the
// writer's fault paths.
#include "tools/televiewer/televiewer_log.h"

#include <cstdlib>
#include <cstring>
#include <set>

#include "app/core/device_services.h"
#include "tests/logdoc/document/engine_test.h"

namespace {

constexpr std::size_t kRecord = qv::TeleviewerFileRecord::kSize;

// The view's side: every sweep handed over, as delivered.
class SweepRecorder : public qv::TeleviewerDisplay {
 public:
  void ConvertSweepToRow(const TeleviewerSweep& sweep) override {
    std::lock_guard<std::mutex> lock(m_);
    sweeps_.push_back(sweep);
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_);
    sweeps_.clear();
  }
  std::vector<TeleviewerSweep> Sweeps() const {
    std::lock_guard<std::mutex> lock(m_);
    return sweeps_;
  }

 private:
  mutable std::mutex m_;
  std::vector<TeleviewerSweep> sweeps_;
};

std::vector<std::uint8_t> RecordBytes(const TeleviewerSweep& s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&s);
  return {p + 8, p + sizeof s};
}

std::vector<std::uint8_t> FileOf(const std::vector<TeleviewerSweep>& sweeps) {
  std::vector<std::uint8_t> out;
  for (const auto& s : sweeps) {
    const auto r = RecordBytes(s);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

class TeleviewerLogTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    qv::sim::DataOptions o;
    o.pattern = false;  // the well: beds and dipping fractures
    unit->SetDataOptions(o);
    ASSERT_EQ(Set_Depth(10950), 0u);  // 109.5 m, above the fracture at 111 m
  }
  // A televiewer log WELL lowered from 109.5 m, one sweep per turn of the
  // head: 20 sweeps a second at 50 counts a second, 25 header units apart.
  // The replay window counts one step per moving sweep: a step a little
  // below the travel keeps every sweep inside it, however the counts fall.
  void PrepareTeleviewer(qv::TeleviewerEngine& e) {
    Prepare(e, 13, 5, 2);
    e.Setup().depthStep = 20;
    e.SetDisplay(&display);
  }
  // Lets the log run for ms of virtual time.
  void RunFor(std::uint64_t ms) { ASSERT_TRUE(pace->RunUntil(pace->Now() + ms)); }
  // A recording of ms, stopped for good; the sweeps it delivered.
  std::vector<TeleviewerSweep> Record(std::uint64_t ms) {
    qv::TeleviewerEngine engine;
    PrepareTeleviewer(engine);
    EXPECT_TRUE(engine.InitialiseLog(1, 20));
    Lower();
    EXPECT_EQ(Start(engine, qv::kStartRecord), 1);
    RunFor(ms);
    EXPECT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
    return display.Sweeps();
  }

  SweepRecorder display;
};

TEST_F(TeleviewerLogTest, ALiveLogStoresEverySweepWithTheMarkOnEachMinutesFirst) {
  const auto sweeps = Record(125000);
  EXPECT_TRUE(boxes.Shown().empty()) << boxes.Shown()[0].text;
  ASSERT_GT(sweeps.size(), 2000u);
  const auto file = ReadBytes(folder / "WELL.BTV");
  ASSERT_EQ(file.size(), sweeps.size() * kRecord);
  EXPECT_EQ(file, FileOf(sweeps));

  // The mark is on the first sweep of minutes 1 and 2 and nowhere else: the
  // minute count starts at 0 with the recording, so the first sweep has none.
  std::vector<int> marked;
  for (std::size_t i = 0; i < sweeps.size(); ++i) {
    const std::uint16_t step = static_cast<std::uint16_t>(file[i * kRecord + 264] | file[i * kRecord + 265] << 8);
    if (step & qv::TeleviewerFileRecord::kMinuteMark) marked.push_back(sweeps[i].time / 60000);
    if (i > 0 && sweeps[i].time / 60000 != sweeps[i - 1].time / 60000) {
      EXPECT_TRUE(step & qv::TeleviewerFileRecord::kMinuteMark) << i;
    }
  }
  EXPECT_EQ(marked, (std::vector<int>{1, 2}));

  // The fracture at 111 m cuts the wall in a sinusoid: dark samples over
  // several sweeps, at azimuths that move from sweep to sweep.
  std::set<int> darkAzimuths;
  int darkSweeps = 0;
  for (const auto& s : sweeps) {
    bool dark = false;
    for (int j = 0; j < 128; ++j)
      if (qv::TeleviewerFileRecord::Amplitude(s.word[1 + j]) <= 8) {
        dark = true;
        darkAzimuths.insert(j);
      }
    darkSweeps += dark;
  }
  EXPECT_GT(darkSweeps, 5);
  EXPECT_GT(darkAzimuths.size(), 64u);

  // The same file read by a reader of its own.
  const fs::path dump = folder / "sweeps.bin";
  {
    std::ofstream out(dump, std::ios::binary);
    out.write(reinterpret_cast<const char*>(sweeps.data()),
              static_cast<std::streamsize>(sweeps.size() * sizeof(TeleviewerSweep)));
  }
  if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "python3 is not installed";
  const std::string command =
      std::string("python3 ") + CHECK_BTV_SCRIPT + " '" + (folder / "WELL.BTV").string() + "' '" + dump.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(TeleviewerLogTest, AReplayDeliversTheRecordsForwardAndBack) {
  const auto sweeps = Record(65000);
  ASSERT_GT(sweeps.size(), 1200u);

  qv::TeleviewerEngine engine;
  PrepareTeleviewer(engine);
  qv::LogSetup& s = engine.Setup();
  s.replayStartDepth = HeaderInt(folder / "WELL.hed", "WellInfo", "Startdepth");
  s.replayEndDepth = HeaderInt(folder / "WELL.hed", "WellInfo", "EndDepth");
  ASSERT_TRUE(engine.InitialiseLog(0, 10));
  ASSERT_NE(engine.Reader(), nullptr);

  // Nothing before the first record: the current sweep stays as it was.
  EXPECT_FALSE(engine.ReadPreviousReplayRecord());
  std::vector<TeleviewerSweep> replayed;
  std::vector<std::size_t> marks;
  while (engine.ReadReplayRecord()) {
    replayed.push_back(engine.Sweep());
    if (engine.TakeMinuteMark()) marks.push_back(replayed.size() - 1);
  }
  ASSERT_EQ(replayed.size(), sweeps.size());
  EXPECT_EQ(FileOf(replayed), FileOf(sweeps));
  EXPECT_EQ(replayed[5].depth, 0) << "a .BTV record carries no depth";
  EXPECT_EQ(replayed[5].time, 0);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(sweeps[marks[0]].time / 60000, 1);
  EXPECT_EQ(sweeps[marks[0] - 1].time / 60000, 0);

  // Rewinding resets the view, and without one it fails.
  engine.SetSink(nullptr);
  EXPECT_FALSE(engine.RewindReplay()) << "without a view";
  engine.SetSink(&sink);
  const int resets = sink.resets;
  ASSERT_TRUE(engine.RewindReplay());
  EXPECT_EQ(sink.resets, resets + 1);
  // Step back from the end of the window, as page printing reads: the
  // records before, one by one.
  engine.Reader()->SeekToWindowEnd();
  for (std::size_t i = sweeps.size(); i-- > sweeps.size() - 4;) {
    ASSERT_TRUE(engine.ReadPreviousReplayRecord()) << i;
    EXPECT_EQ(RecordBytes(engine.Sweep()), RecordBytes(sweeps[i])) << i;
  }

  // Print: the current sweep becomes the print sweep and nothing goes to the view.
  const std::size_t handed = display.Sweeps().size();
  ASSERT_TRUE(engine.ProcessRecord(true));
  EXPECT_EQ(RecordBytes(engine.PrintSweep()), RecordBytes(sweeps[sweeps.size() - 4]));
  EXPECT_EQ(display.Sweeps().size(), handed);

  ASSERT_TRUE(engine.RewindReplay());
  ASSERT_TRUE(engine.ReadReplayRecord());
  EXPECT_EQ(RecordBytes(engine.Sweep()), RecordBytes(sweeps[0]));
  EXPECT_FALSE(engine.ReadPreviousReplayRecord());
  EXPECT_EQ(RecordBytes(engine.Sweep()), RecordBytes(sweeps[0]));
  // A step back in the middle of the data gives the record before the last
  // read, and reading on goes forward again from there.
  for (int i = 1; i < 20; ++i) ASSERT_TRUE(engine.ReadReplayRecord());
  ASSERT_TRUE(engine.ReadPreviousReplayRecord());
  EXPECT_EQ(RecordBytes(engine.Sweep()), RecordBytes(sweeps[18]));
  ASSERT_TRUE(engine.ReadReplayRecord());
  EXPECT_EQ(RecordBytes(engine.Sweep()), RecordBytes(sweeps[19]));
}

TEST_F(TeleviewerLogTest, AReplayOfALogThatIsNotThereFails) {
  qv::TeleviewerEngine engine;
  PrepareTeleviewer(engine);
  EXPECT_FALSE(engine.InitialiseLog(0, 10));
  EXPECT_FALSE(engine.ReadReplayRecord());
  EXPECT_FALSE(engine.ReadPreviousReplayRecord());
  EXPECT_FALSE(engine.RewindReplay());
}

TEST_F(TeleviewerLogTest, TheWritersFaultsLoseNoSweepAndOverwriteNone) {
  struct Case {
    const char* name;
    bool fail;  // the second half's write fails
  } cases[] = {{"writer held while halves fill", false}, {"a failed write", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetUnit();
    ASSERT_EQ(Set_Depth(10950), 0u);
    boxes.Clear();
    qvtest::WriterGate gate;
    std::vector<int> stops;
    {
      qv::TeleviewerEngine engine;
      PrepareTeleviewer(engine);
      engine.Pipeline().SetAppendHook(gate.Hook());
      engine.SetCallbacks({nullptr, nullptr, [&stops](int type) { stops.push_back(type); }, nullptr});
      if (c.fail) gate.FailFrom(1);
      ASSERT_TRUE(engine.InitialiseLog(1, 20));
      Lower();
      gate.Hold();
      ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
      RunFor(600);  // the first half waits at the writer
      ASSERT_TRUE(gate.WaitForAppends(1));
      RunFor(3000);  // while more halves fill behind it
      gate.Release();
      if (!c.fail) {
        RunFor(500);
        ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
      } else {
        for (int i = 0; i < 30000 && !engine.StopRequested(); ++i) {
          pace->RunUntil(pace->Now() + 20, std::chrono::milliseconds(0));
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(engine.StopRequested());
        engine.PumpDisplay();
      }
      ASSERT_TRUE(WaitForDiagnosticsMessages(60000));
      const auto sweeps = display.Sweeps();
      const auto file = ReadBytes(folder / "WELL.BTV");
      if (!c.fail) {
        EXPECT_EQ(engine.State(), qv::kStateStoppedForGood);
        EXPECT_EQ(file, FileOf(sweeps));
        EXPECT_TRUE(boxes.Shown().empty());
      } else {
        // What was written before the failure is kept, whole and in order.
        EXPECT_EQ(engine.State(), qv::kStateError);
        EXPECT_EQ(stops, std::vector<int>{3});
        ASSERT_EQ(file.size(), qv::TeleviewerEngine::kRecordsPerHalf * kRecord);
        EXPECT_EQ(file, FileOf({sweeps.begin(), sweeps.begin() + qv::TeleviewerEngine::kRecordsPerHalf}));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Can not write to destination file.");
      }
    }
    unit->Attach();
    display.Clear();
  }
}

}  // namespace
