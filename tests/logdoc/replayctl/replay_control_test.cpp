// Replays of logs the simulated unit recorded through the engine: the values
// replay gives against the live ones, the commands of the replay bar, the
// end of the data, the recording chain and the direct print.
#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/replayctl/replay_harness.h"

#include <cmath>
#include <vector>

namespace {

// Two rows alike, entry by entry; entries without a reading (not a number)
// are alike too.
bool SameRow(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
  return true;
}

class ReplayControlTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    previousBeep = qv::SetBeepHandler([this](unsigned) { ++beeps; });
  }
  void TearDown() override {
    qv::SetBeepHandler(previousBeep);
    EngineTest::TearDown();
  }
  // Records files of n[0], n[1], ... records as one chain, pausing between
  // them; returns the rows the live log gave.
  std::vector<std::vector<double>> RecordChain(std::vector<int> counts) {
    qv::SixChannelEngine engine;
    Prepare(engine);
    qvtest::RecordingSink live;
    engine.SetSink(&live);
    EXPECT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    for (std::size_t i = 0; i < counts.size(); ++i) {
      EXPECT_EQ(Start(engine, qv::kStartRecord), 1);
      Records(counts[i]);
      EXPECT_EQ(engine.StopLogging(i + 1 == counts.size() ? qv::kStateStoppedForGood : qv::kStatePaused), 1);
    }
    return live.Rows();
  }
  std::string Stem() const { return (folder / "WELL.").string(); }

  std::atomic<int> beeps{0};
  std::function<void(unsigned)> previousBeep;
};

// The reader delivers the window from the first record's depth to the last
// one's and 51 steps more, which carry the last values out of the delay
// windows: a file's records and 50 more.
constexpr std::size_t kTail = 50;

TEST_F(ReplayControlTest, ReplayGivesTheLiveValuesRecordByRecord) {
  const auto live = RecordChain({120});
  ASSERT_EQ(live.size(), 120u);
  qvtest::Replay replay(Stem());
  ASSERT_TRUE(replay.opened);
  replay.control->OnReplay();
  EXPECT_EQ(replay.engine.State(), qv::kStateRunning);
  ASSERT_TRUE(replay.WaitForEnd());
  replay.engine.PumpDisplay();
  EXPECT_GT(replay.sink.updates, 0);
  const auto rows = replay.sink.Rows();
  ASSERT_EQ(rows.size(), live.size() + kTail);
  for (std::size_t i = 0; i < live.size(); ++i) ASSERT_TRUE(SameRow(rows[i], live[i])) << "record " << i;
  // Neither the filling delay nor the tail past the end of the data shows
  // a 0 the log never read.
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t c = 0; c < 6; ++c) EXPECT_NE(rows[i][c], 0.0) << "row " << i << " channel " << c + 1;

  // Finish closes the document; the print header is not offered for a log
  // recorded downward, and the recorder is told not to print it.
  replay.answer = {qv::ReplayEndChoice::Finish, false};
  EXPECT_FALSE(replay.control->OnReplayEnd(false));
  EXPECT_EQ(replay.control->ThreadExitCode(), -1);  // joined and released
  EXPECT_EQ(replay.offers, std::vector<bool>{false});
  EXPECT_EQ(replay.sink.stops, std::vector<int>{0});
  EXPECT_EQ(replay.disabled, 1);
  EXPECT_EQ(replay.closed, 1);
  EXPECT_EQ(replay.engine.State(), qv::kStateStoppedForGood);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ReplayControlTest, AWindowStartingInsideTheFileKeepsTheRecordedDepths) {
  // A .LOG record's depth follows from its place in the file: the window's
  // first record is record kSkip, not record 0, also after a rewind.
  RecordChain({90});
  constexpr int kSkip = 30;
  qvtest::Replay replay(Stem(), {}, kSkip);
  ASSERT_TRUE(replay.opened);
  ::HeaderInfo h;
  ASSERT_TRUE(::ReadHeaderInfo(Stem() + "LOG", &h));
  ASSERT_GT(h.Step, 0);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 5; ++i) {
      ASSERT_TRUE(replay.engine.ReadReplayRecord());
      qv::RecordStamp stamp;
      replay.engine.ReplayStamp(&stamp);
      EXPECT_EQ(stamp.depth, h.Startdepth + (kSkip + i) * h.Step) << "pass " << pass;
    }
    ASSERT_TRUE(replay.engine.RewindReplay());
  }
}

TEST_F(ReplayControlTest, PauseContinuesRestartRewindsStopCloses) {
  RecordChain({30});
  std::vector<std::vector<double>> reference;
  {
    qvtest::Replay whole(Stem());
    whole.control->OnReplay();
    ASSERT_TRUE(whole.WaitForEnd());
    reference = whole.sink.Rows();
  }
  ASSERT_EQ(reference.size(), 30 + kTail);

  // The pace parks the replay thread once `allowed` records have passed.
  std::atomic<int> passed{0}, allowed{10};
  qv::ReplayCallbacks cb;
  cb.sleep = [&](std::uint32_t, qv::Event& stop) {
    if (++passed >= allowed) return qv::SleepOrStop(60000, stop);
    return false;
  };
  qvtest::Replay replay(Stem(), cb);
  replay.control->SetPollPeriod(1);
  auto waitRows = [&](std::size_t n) {
    for (int i = 0; i < 60000 && replay.sink.Rows().size() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return replay.sink.Rows().size();
  };

  replay.control->OnRestartReplay();  // nothing to restart while ready
  EXPECT_EQ(replay.paused, 0);
  replay.control->OnReplay();
  ASSERT_EQ(waitRows(10), 10u);
  replay.control->OnReplay();  // already running: a beep
  EXPECT_EQ(beeps, 1);
  replay.control->OnPauseReplay();
  EXPECT_EQ(replay.engine.State(), qv::kStateStop);
  replay.control->OnPauseReplay();  // already paused: a beep
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(replay.sink.Rows().size(), 10u);

  // Replay Data after a pause goes on with the next record, on a new thread.
  allowed = 15;
  replay.control->OnReplay();
  ASSERT_EQ(waitRows(15), 15u);
  replay.control->OnPauseReplay();
  auto rows = replay.sink.Rows();
  ASSERT_EQ(rows.size(), 15u);
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_TRUE(SameRow(rows[i], reference[i])) << "record " << i;

  // Restart rewinds to the window start with the processing cleared.
  const int resets = replay.sink.resets;
  replay.control->OnRestartReplay();
  EXPECT_EQ(replay.engine.State(), qv::kStateReady);
  EXPECT_EQ(replay.paused, 1);
  EXPECT_EQ(replay.sink.resets, resets + 1);
  EXPECT_EQ(replay.sink.stops, std::vector<int>{-1});
  const std::size_t before = replay.sink.Rows().size();
  allowed = 1000;
  replay.control->OnReplay();
  ASSERT_TRUE(replay.WaitForEnd());
  rows = replay.sink.Rows();
  ASSERT_EQ(rows.size(), before + reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i)
    EXPECT_TRUE(SameRow(rows[before + i], reference[i])) << "record " << i;

  // Stop Replay closes the document; a second one only beeps.
  replay.control->OnStopReplay();
  EXPECT_EQ(replay.engine.State(), qv::kStateStoppedForGood);
  EXPECT_EQ(replay.disabled, 1);
  EXPECT_EQ(replay.closed, 1);
  EXPECT_EQ(replay.engine.ReadReplayRecord(), false);  // the reader is gone
  const int beepsBefore = beeps;
  replay.control->OnStopReplay();
  EXPECT_EQ(beeps, beepsBefore + 1);
  EXPECT_EQ(replay.closed, 1);
  replay.control->OnReplay();  // nothing to replay once stopped for good
  EXPECT_EQ(beeps, beepsBefore + 2);
}

TEST_F(ReplayControlTest, AChainOfThreeFilesPlaysThroughAndResetReturnsToTheFirst) {
  RecordChain({3, 2, 4});
  ASSERT_TRUE(fs::exists(folder / "WELL2.LOG"));
  qvtest::Replay replay(Stem());
  replay.control->SetFollowChain(true);
  replay.answer = {qv::ReplayEndChoice::Reset, true};
  replay.control->OnReplay();
  std::vector<std::string> titles;
  for (int file = 1; file <= 3; ++file) {
    ASSERT_TRUE(replay.WaitForEnd(file));
    titles.push_back(fs::path(replay.engine.Title()).filename().string());
    const bool next = replay.control->OnReplayEnd(false);
    EXPECT_EQ(next, file < 3) << file;
    EXPECT_EQ(replay.offers.size(), file < 3 ? 0u : 1u) << "asked only after the last file";
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"WELL", "WELL1", "WELL2"}));
  EXPECT_EQ(replay.sink.Rows().size(), 3 + 2 + 4 + 3 * kTail);
  // The chain's files went on without a pause; each moved the display.
  EXPECT_EQ(replay.paused, 1);
  EXPECT_EQ(replay.sink.DisplayDepths().size(), 3u);
  // Reset: the first file again with its window, ready, the print-header
  // choice passed to the recorder.
  EXPECT_EQ(fs::path(replay.engine.Title()).filename().string(), "WELL");
  EXPECT_EQ(replay.engine.State(), qv::kStateReady);
  EXPECT_EQ(replay.sink.stops, (std::vector<int>{-2, -2, 1}));
  EXPECT_EQ(replay.closed, 0);
  const std::size_t before = replay.sink.Rows().size();
  replay.control->SetFollowChain(false);
  replay.control->OnReplay();
  ASSERT_TRUE(replay.WaitForEnd(4));
  EXPECT_EQ(replay.sink.Rows().size(), before + 3 + kTail);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ReplayControlTest, AChainWhoseNextHeaderIsMissingClosesTheDocument) {
  RecordChain({3, 2});
  fs::remove(folder / "WELL1.hed");
  qvtest::Replay replay(Stem());
  replay.control->SetFollowChain(true);
  replay.control->OnReplay();
  ASSERT_TRUE(replay.WaitForEnd());
  EXPECT_FALSE(replay.control->OnReplayEnd(false));
  EXPECT_EQ(replay.closed, 1);
  EXPECT_EQ(replay.disabled, 1);
  EXPECT_TRUE(replay.offers.empty());
}

TEST_F(ReplayControlTest, ThePrintHeaderIsOfferedForLogsRecordedUpward) {
  RecordChain({2});
  struct Case {
    int logMode;
    bool televiewerFlag;
    bool offer;
  } cases[] = {{12, true, false}, {11, false, true}, {10, false, false}, {13, false, false}, {13, true, true}};
  for (const Case& c : cases) {
    qvtest::Replay replay(Stem());
    replay.control->SetTeleviewerFlag(c.televiewerFlag);
    replay.engine.Setup().logMode = c.logMode;
    replay.answer = {qv::ReplayEndChoice::Finish, true};
    replay.control->OnReplay();
    ASSERT_TRUE(replay.WaitForEnd());
    replay.control->OnReplayEnd(false);
    EXPECT_EQ(replay.offers, std::vector<bool>{c.offer}) << c.logMode;
    EXPECT_EQ(replay.sink.stops, std::vector<int>{1}) << "the box's state goes to the recorder";
  }
}

// An end notice counts only for the run whose thread reported it: none that
// never came, none that a restart or a stop overtook, and each only once.
TEST_F(ReplayControlTest, AnEndNoticeIsAnsweredOnlyForTheRunThatReportedIt) {
  RecordChain({3});
  qvtest::Replay replay(Stem());
  replay.answer = {qv::ReplayEndChoice::Reset, false};
  EXPECT_FALSE(replay.control->OnReplayEnd(false));
  EXPECT_TRUE(replay.offers.empty()) << "no replay ran";
  replay.control->OnReplay();
  ASSERT_TRUE(replay.WaitForEnd(1));
  replay.control->OnRestartReplay();  // the user restarted before the notice arrived
  replay.control->OnReplayEnd(false);
  EXPECT_TRUE(replay.offers.empty()) << "the restart overtook the end";
  EXPECT_EQ(replay.engine.State(), qv::kStateReady);
  replay.control->OnReplay();
  ASSERT_TRUE(replay.WaitForEnd(2));
  replay.control->OnReplayEnd(false);
  replay.control->OnReplayEnd(false);
  EXPECT_EQ(replay.offers.size(), 1u) << "one end, one question";
  EXPECT_EQ(replay.closed, 0);
}

// With the reader's tail, 110 records give 160 and 111 give 161.
TEST_F(ReplayControlTest, DirectPrintFlushesTheRecorderEveryEightyRecords) {
  struct Case {
    int records;
    int flushes;
  } cases[] = {{110, 2}, {111, 3}};
  for (const Case& c : cases) {
    ResetUnit();
    RecordChain({c.records});
    int flushes = 0, unchecked = 0;
    qv::ReplayCallbacks cb;
    cb.flushRecorder = [&] { ++flushes; };
    cb.uncheckPrintDirect = [&] { ++unchecked; };
    qvtest::Replay replay(Stem(), cb);
    replay.engine.Setup().realtimePrint = true;
    replay.answer = {qv::ReplayEndChoice::Reset, false};
    replay.control->OnDirectRealtimePrint();
    EXPECT_EQ(flushes, c.flushes) << c.records;
    EXPECT_EQ(unchecked, 1);
    EXPECT_EQ(replay.sink.Rows().size(), static_cast<std::size_t>(c.records) + kTail);
    EXPECT_EQ(replay.sink.starts, (std::vector<int>{1, -2}));  // started, then again after Reset
    EXPECT_EQ(replay.engine.State(), qv::kStateReady);
    EXPECT_EQ(replay.ends, 0) << "no replay thread ran";
  }
}

}  // namespace
