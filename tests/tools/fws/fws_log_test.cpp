// The full-wave sonic log against the simulated unit: the record pairs of
// both files against what the unit sent, read by an independent reader; the
// replay; an empty log; a recorder killed outright; a depth log's faults.
#include <cstdio>

#include "app/core/device_services.h"
#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tests/tools/cementbond/killed_recorder.h"
#include "tools/fws/fws_document.h"

namespace {

using cbltest::Shell;

class FwsLogTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    qv::sim::DataOptions o;
    o.keepDelivered = true;  // plausible traces, and a copy of every reply
    unit->SetDataOptions(o);
  }
  // A full-wave log WELL (standard 2, tool type 4).
  void PrepareFws(qv::CFWSDocument& log, int logMode) {
    view.SetDocument(&log);
    Prepare(log, logMode, 2, 4);
    log.SetView(&view);
  }
  // The replies of the segments the unit sent, as one file.
  void WriteSent(const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& r : unit->Delivered())
      if (r.size() == 71) out.write(reinterpret_cast<const char*>(r.data()), 71);
  }
  cbltest::FakeView view;
};

// A time log a firing every 100 ms across a minute boundary, with a few
// failed reads on the way: the files hold, pair for pair, what the unit sent.
TEST_F(FwsLogTest, RecordedPairsAreWhatTheUnitSent) {
  qv::CFWSDocument log;
  PrepareFws(log, 10);
  log.Setup().loggingMode.value = 100;
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  EXPECT_EQ(log.RingRows(), 1000);
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 30000, std::chrono::seconds(60)));
  qv::sim::Faults gap;
  gap.failBulkRead = 5;
  unit->SetFaults(gap);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 31000, std::chrono::seconds(60)));
  log.PumpDisplay();
  ASSERT_EQ(log.State(), qv::kStateRunning);
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  const auto rows = view.Rows();
  ASSERT_GT(rows.size(), 600u * 20);
  WriteSent(folder / "sent.bin");

  const std::string script = std::string(QV_TEST_SOURCE_DIR) + "/check_vdl.py";
  EXPECT_EQ(Shell("python3 " + script + " " + (folder / "WELL.").string() + " " + (folder / "sent.bin").string()),
            "ok " + std::to_string(rows.size()) + " 1 " + std::to_string(rows.size() / 2) + "\n");
  // The first arrivals lie where the unit put them: the near pick (samples
  // x 8) is the first loud sample of the near trace, the far one comes later.
  const auto& nearRow = rows[9].packet;
  EXPECT_GT(nearRow.channel[1], nearRow.channel[0]);
  EXPECT_EQ(nearRow.channel[4], nearRow.channel[1] - nearRow.channel[0]);

  // The replay reads every pair back; a rewind empties the segment ring.
  qv::CFWSDocument replay;
  cbltest::FakeView replayView(&replay);
  replay.SetView(&replayView);
  replay.Setup() = log.Setup();
  replay.Setup().replayStartDepth = 0;
  replay.Setup().replayEndDepth = 0;
  ASSERT_TRUE(replay.InitialiseLog(0, 10));
  std::size_t read = 0;
  int offsets[14] = {};
  for (; read <= rows.size() && replay.ReadReplayRecord(); ++read) {
    ASSERT_LT(read, rows.size()) << "one pair too many";
    ASSERT_EQ(std::memcmp(&replay.Segment().flags, &rows[read].segment.flags, 50), 0) << read;
    ASSERT_EQ(std::memcmp(&replay.Packet().flags, &rows[read].packet.flags, 14), 0) << read;
    replay.ProcessFullWaveRecord(true, true, offsets);
  }
  EXPECT_EQ(read, rows.size());
  ASSERT_TRUE(replay.RewindReplay());
  EXPECT_EQ(replayView.replayResets, 1);
  CblWaveformSegment blank;
  std::memset(&blank, 0xFF, sizeof blank);
  for (int r = 0; r < replay.RingRows(); ++r)
    ASSERT_EQ(std::memcmp(&replay.SegmentRingRow(r), &blank, sizeof blank), 0) << r;
}

TEST_F(FwsLogTest, AnEmptyLogRemovesItsFilesAndHeader) {
  qv::CFWSDocument log;
  PrepareFws(log, 11);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  for (const char* name : {"WELL.LOG", "WELL.VDL", "WELL.hed"}) ASSERT_TRUE(fs::exists(folder / name)) << name;
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  for (const char* name : {"WELL.LOG", "WELL.VDL", "WELL.hed"}) EXPECT_FALSE(fs::exists(folder / name)) << name;
}

TEST_F(FwsLogTest, AKilledRecorderReplaysToTheLastWholePair) {
  ExpectKilledRecorderLeavesWholePairs(folder, "fws");
}

// Logging up: the unit loses every second depth step for a while (the depth
// error line), reports a second status byte, and the winch turns round
// (segments against the direction are neither stored nor shown).
TEST_F(FwsLogTest, ADepthLogsFaults) {
  std::vector<std::string> lines;
  SetMessageLineSink(kWinchMessageLine, [&](const std::string& t) { lines.push_back(t); });
  qv::CFWSDocument log;
  PrepareFws(log, 11);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  WinchControlBlock up{1, 5};
  ASSERT_EQ(SetWinch(&up), 0u);
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  Records(5);
  qv::sim::DataOptions o;
  o.keepDelivered = true;
  o.overSpeed = true;
  unit->SetDataOptions(o);
  Records(6);
  o.overSpeed = false;
  unit->SetDataOptions(o);
  Records(3);
  EXPECT_GT(std::count(lines.begin(), lines.end(), "Depth Error - Log speed too high"), 0);
  EXPECT_EQ(lines.back(), "") << "the line clears with the next good step";

  qv::sim::Faults second;
  second.secondStatus = 3;
  unit->SetFaults(second);
  const std::size_t beforeStatus = view.Count();
  Records(3);
  unit->SetFaults({});
  const std::size_t afterStatus = view.Count();
  unit->ReverseWinch();
  Records(4);
  unit->ReverseWinch();
  Records(50);
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  SetMessageLineSink(kWinchMessageLine, nullptr);
  const auto rows = view.Rows();
  ASSERT_GT(afterStatus, beforeStatus);
  for (std::size_t i = beforeStatus; i < afterStatus; ++i)
    EXPECT_EQ(rows[i].segment.flags & 0x40, 0x40) << "a segment of a second status byte carries 0x40";
  EXPECT_GT(rows.size(), afterStatus + 40) << "the log went on after the turn";
  for (std::size_t i = 1; i < rows.size(); ++i)
    ASSERT_LE(rows[i].segment.depth, rows[i - 1].segment.depth) << "a segment against the direction was kept: " << i;
  EXPECT_EQ(fs::file_size(folder / "WELL.VDL"), rows.size() * 50);
  EXPECT_EQ(fs::file_size(folder / "WELL.LOG"), rows.size() * 14);
}

}  // namespace
