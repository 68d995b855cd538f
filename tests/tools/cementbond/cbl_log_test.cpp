// The cement-bond log against the simulated unit: record pairs in both files,
// empty and failed recordings, replay, the header's gates, a gate edit while
// the log runs, and a recorder killed outright.
#include <signal.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <sstream>

#include "devices/simulator/unit/sonde_data.h"
#include "platform/profile/profile.h"
#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tests/tools/cementbond/killed_recorder.h"

namespace {

using cbltest::Shell;

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// What read_pairs.py prints for rows the view was given.
std::string Expected(const std::vector<cbltest::Row>& rows, std::size_t logSize, std::size_t cblSize) {
  std::ostringstream out;
  out << logSize / 14 << " " << logSize % 14 << " " << cblSize / 50 << " " << cblSize % 50 << "\n";
  for (const auto& r : rows) {
    out << int(r.packet.flags) << " " << int(r.packet.rate);
    for (auto w : r.packet.channel) out << " " << w;
    out << " | " << int(r.segment.flags) << " " << int(r.segment.receiver);
    for (auto s : r.segment.sample) out << " " << int(s);
    out << "\n";
  }
  return out.str();
}

class CblLogTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    std::ofstream(folder / "Header" / "STANDARD.HED", std::ios::binary) << "[General]\r\nIdent=QUORVANTA\r\n";
  }
  // A cement-bond log WELL lowered from its start.
  void PrepareCbl(qv::CCBLDocument& log, int logMode = 12) {
    Prepare(log, logMode, 2, 5);
    log.SetView(&view);
    log.SetPipeSizeService(&pipe);
  }
  // Runs until the view holds n segments of this run.
  void Segments(std::size_t n) {
    while (view.Count() < n) ASSERT_TRUE(pace->RunUntil(pace->Now() + 10));
  }
  // A time log with the time step of File/New Log's default set-up (20 ms,
  // half of it the poll period).
  void PrepareTimeLog(qv::CCBLDocument& log) {
    view.SetDocument(&log);
    PrepareCbl(log, 10);
    log.Setup().loggingMode.value = 20;
    ASSERT_TRUE(log.InitialiseLog(1, 10));
  }
  // Firing k came at k x 20 ms: its near segments 0-4, then its far ones;
  // none is missing, and each reached both files.
  void ExpectEveryFiring() {
    const auto rows = view.Rows();
    ASSERT_FALSE(rows.empty());
    for (std::size_t j = 0; j < rows.size(); ++j) {
      const auto& s = rows[j].segment;
      const int n = static_cast<int>(j % 10);
      ASSERT_EQ(s.time - rows[0].segment.time, static_cast<int>(j / 10) * 20) << j;
      ASSERT_EQ(s.flags & 0x8F, n < 5 ? n : 0x80 | (n - 5)) << j;
    }
    EXPECT_EQ(fs::file_size(folder / "WELL.LOG"), rows.size() * 14);
    EXPECT_EQ(fs::file_size(folder / "WELL.CBL"), rows.size() * 50);
  }
  cbltest::FakeView view;
  cbltest::PipeSizeAnswer pipe;
};

TEST_F(CblLogTest, SegmentsReachBothFilesAsPairs) {
  qv::CCBLDocument log;
  view.SetDocument(&log);
  PrepareCbl(log, 10);            // a time log: the replay reads every record
  const std::size_t kPairs = 30;  // three waveforms of ten segments
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  EXPECT_EQ(pipe.asked, 1) << "the template holds no gates yet";
  Lower();
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  Segments(kPairs);
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  const auto rows = view.Rows();
  ASSERT_EQ(rows.size(), kPairs);
  const fs::path logFile = folder / "WELL.LOG", cblFile = folder / "WELL.CBL";
  ASSERT_EQ(fs::file_size(logFile), kPairs * 14);
  ASSERT_EQ(fs::file_size(cblFile), kPairs * 50);
  bool far = false, near = false;
  for (const auto& r : rows) (r.segment.flags & 0x80 ? far : near) = true;
  EXPECT_TRUE(far && near) << "both receivers were recorded";

  if (Have("python3")) {
    const std::string script = std::string(QV_TEST_SOURCE_DIR) + "/read_pairs.py";
    EXPECT_EQ(Shell("python3 " + script + " " + (folder / "WELL.").string()), Expected(rows, kPairs * 14, kPairs * 50));
  }
  // The gates went into the log's header and the template; the header tool reads them back.
  const FreePipeGate nearGate = log.NearGate(), farGate = log.FarGate();
  EXPECT_EQ(nearGate.GateStart, 201);
  for (const fs::path& hed : {folder / "WELL.hed", folder / "Header" / "STANDARD.HED"}) {
    SCOPED_TRACE(hed.string());
    EXPECT_EQ(HeaderInt(hed, "FreePipeGateNear", "LeftGate"), nearGate.GateStart);
    EXPECT_EQ(HeaderInt(hed, "FreePipeGateFar", "RightGate"), farGate.GateEnd);
    if (Have("crudini")) {
      EXPECT_EQ(Shell("crudini --get " + hed.string() + " FreePipeGateFar LeftGate"),
                std::to_string(farGate.GateStart) + "\n");
      EXPECT_EQ(Shell("crudini --get " + hed.string() + " FreePipeGateNear PipeSize"), "80\n");
    }
  }

  // Replay: every pair back, in order; a rewind starts again with clear rings.
  qv::CCBLDocument replay;
  cbltest::FakeView replayView(&replay);
  replay.SetView(&replayView);
  replay.Setup() = log.Setup();
  replay.Setup().pathStem = (folder / "WELL.").string();
  replay.Setup().replayStartDepth = 0;
  replay.Setup().replayEndDepth = 0;
  ASSERT_TRUE(replay.InitialiseLog(0, 10));
  EXPECT_EQ(pipe.asked, 1) << "a replay takes its gates from its header";
  EXPECT_EQ(replay.NearGate().GateStart, nearGate.GateStart);
  EXPECT_EQ(replay.FarGate().GateEnd, farGate.GateEnd);
  int read = 0;
  while (read < 40 && replay.ReadReplayRecord()) {
    if (read >= static_cast<int>(kPairs)) {
      ++read;  // one too many
      break;
    }
    EXPECT_EQ(std::memcmp(&replay.Segment().flags, &rows[read].segment.flags, 50), 0) << read;
    EXPECT_EQ(std::memcmp(&replay.Packet().flags, &rows[read].packet.flags, 14), 0) << read;
    int offsets[14] = {};
    replay.ProcessPrintRecord(true, true, offsets);
    ++read;
  }
  EXPECT_EQ(read, static_cast<int>(kPairs));
  ASSERT_TRUE(replay.RewindReplay());
  EXPECT_EQ(replayView.replayResets, 1);
  ASSERT_TRUE(replay.ReadReplayRecord());
  int offsets[14] = {};
  replay.ProcessPrintRecord(true, true, offsets);
  EXPECT_EQ(replay.PrintSegment().flags, 0xFF) << "the segment ring was cleared";
  EXPECT_TRUE(std::isnan(replay.PrintValues()[0])) << "the value ring was cleared: no reading yet";
  // Closing a replay writes its gates again.
  FreePipeGate changed = nearGate;
  changed.GateStart = 300;
  replay.SetGates(changed, farGate);
  replay.CloseReplay();
  EXPECT_EQ(HeaderInt(folder / "WELL.hed", "FreePipeGateNear", "LeftGate"), 300);
}

// A time log as File/New Log sets it up: a 20 ms time step, polled every
// 10 ms. The unit sends each firing's ten segments at once, faster than one
// read a poll takes them.
TEST_F(CblLogTest, ATimeLogKeepsUpWithTheUnitForMinutes) {
  qv::CCBLDocument log;
  PrepareTimeLog(log);
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  const std::uint64_t minutes = 2;
  for (std::uint64_t t = 0; t < minutes * 60000 && log.State() == qv::kStateRunning; t += 100) {
    ASSERT_TRUE(pace->RunUntil(pace->Now() + 100));
    // The disk keeps up as it does in real time: the writer has the time.
    const auto& pipeline = log.Pipeline();
    for (int i = 0; i < 10000 && pipeline.RecordsWritten() + 10 < pipeline.RecordsStored(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  log.PumpDisplay();
  ASSERT_EQ(log.State(), qv::kStateRunning) << "the log stopped";
  EXPECT_TRUE(boxes.Shown().empty());
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_GE(view.Count(), minutes * 60000 / 20 * 10 - 20);
  ExpectEveryFiring();
}

// The disk stalls for seconds (the writer is held) while the unit sends 500
// segments a second: the log goes on, and the held pairs reach both files.
TEST_F(CblLogTest, ATimeLogRidesOutAStalledDisk) {
  qv::CCBLDocument log;
  PrepareTimeLog(log);
  std::atomic<bool> hold{true};
  log.Pipeline().SetAppendHook([&](std::size_t) {
    while (hold) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  });
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  const bool ran = pace->RunUntil(pace->Now() + 3000, std::chrono::seconds(20));
  hold = false;
  ASSERT_TRUE(ran) << "the log stopped";
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  log.PumpDisplay();
  ASSERT_EQ(log.State(), qv::kStateRunning) << "the log stopped";
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_GE(view.Count(), 4000u / 20 * 10 - 20);
  ExpectEveryFiring();
}

TEST_F(CblLogTest, AnEmptyLogLeavesNothing) {
  qv::CCBLDocument log;
  PrepareCbl(log);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  // The header store names the header "WELL.hed"; one spelled otherwise goes too.
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  ASSERT_TRUE(fs::exists(folder / "WELL.LOG"));
  ASSERT_TRUE(fs::exists(folder / "WELL.CBL"));
  ASSERT_TRUE(fs::exists(folder / "WELL.hed"));
  fs::rename(folder / "WELL.hed", folder / "WELL.HED");
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_FALSE(fs::exists(folder / "WELL.LOG"));
  EXPECT_FALSE(fs::exists(folder / "WELL.CBL"));
  EXPECT_FALSE(fs::exists(folder / "WELL.HED"));
  EXPECT_FALSE(fs::exists(folder / "WELL.hed"));
}

// The next file of a paused log never takes a name whose .LOG is there
// alone (another log's data without its header): it goes on under the next
// free number and the stray file keeps its bytes.
TEST_F(CblLogTest, TheChainPassesOverAStrayLogFile) {
  qv::CCBLDocument log;
  view.SetDocument(&log);
  PrepareCbl(log, 10);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  Segments(10);
  ASSERT_EQ(log.StopLogging(qv::kStatePaused), 1);
  const std::string stray(28, 'x');
  std::ofstream(folder / "WELL1.LOG", std::ios::binary) << stray;
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  Segments(20);
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
  EXPECT_EQ(ReadBytes(folder / "WELL1.LOG"), std::vector<std::uint8_t>(stray.begin(), stray.end()));
  EXPECT_FALSE(fs::exists(folder / "WELL1.CBL"));
  EXPECT_TRUE(fs::exists(folder / "WELL2.CBL"));
  EXPECT_TRUE(fs::exists(folder / "WELL2.LOG"));
}

TEST_F(CblLogTest, ACblFileThatCannotBeCreatedLeavesNoLogFile) {
  qv::CCBLDocument log;
  PrepareCbl(log);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  fs::create_directories(folder / "WELL.CBL");  // a folder in the way
  EXPECT_EQ(Start(log, qv::kStartRecord), 0);
  EXPECT_FALSE(fs::exists(folder / "WELL.LOG"));
  ASSERT_FALSE(boxes.Shown().empty());
  EXPECT_EQ(boxes.Shown().back().text, DeviceErrorText(kSystemError, kErrOpenDestination));
}

TEST_F(CblLogTest, AFailedWriteStopsBothFilesAtTheSamePair) {
  qv::CCBLDocument log;
  view.SetDocument(&log);
  PrepareCbl(log);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  int appends = 0;
  log.Pipeline().SetAppendHook([&](std::size_t) { return ++appends < 3; });  // the third half fails
  Lower();
  ASSERT_EQ(Start(log, qv::kStartRecord), 1);
  for (int i = 0; i < 4000 && !log.StopRequested(); ++i)
    if (!pace->RunUntil(pace->Now() + 10, std::chrono::seconds(1))) break;  // the loop ended
  // The writer runs in real time: on a loaded machine it may meet the third
  // half only after the virtual run is over.
  for (int i = 0; i < 20000 && !log.StopRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  log.PumpDisplay();
  EXPECT_EQ(log.State(), qv::kStateError);
  EXPECT_EQ(fs::file_size(folder / "WELL.LOG"), 20u * 14);
  EXPECT_EQ(fs::file_size(folder / "WELL.CBL"), 20u * 50);
}

// A gate edit on this thread while the acquisition thread searches: run
// under ThreadSanitizer, the gate pair is never torn.
TEST_F(CblLogTest, GateEditsDuringALog) {
  qv::CCBLDocument log;
  PrepareCbl(log);
  ASSERT_TRUE(log.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(log, qv::kStartTest), 1);
  pace->Unlimited();
  for (int i = 0; view.Count() < 300 && i < 2000000; ++i) {
    const int start = 100 + i % 200;
    log.SetGates(FreePipeGate{80, 60, 915, start, start + 32}, FreePipeGate{80, 60, 1525, start + 100, start + 132});
    const FreePipeGate g = log.FarGate();
    ASSERT_EQ(g.GateEnd - g.GateStart, 32);
  }
  EXPECT_GT(view.Count(), 0u);
  ASSERT_EQ(log.StopLogging(qv::kStateStoppedForGood), 1);
}

// A recording process killed outright leaves pairs that replay to the last
// whole pair.
TEST_F(CblLogTest, AKilledRecorderLeavesWholePairs) {
  ExpectKilledRecorderLeavesWholePairs(folder, "cbl");
}

// The six curves of the simulated cement-bond sonde through its shipped
// calibration and the default gates: loud free pipe above 10 m, bonded pipe
// a few metres below it (amplitude and bond index tell them apart, as the
// VDL does), the pipe's arrival inside each gate, a kick at every collar
// (6 m apart) and gamma that follows the beds.
TEST(CblSimulatedCurves, TheCurvesShowWhatTheWellHolds) {
  qv::CCBLDocument doc;
  doc.SetGates({80, 60, 915, 201, 233}, {80, 60, 1525, 315, 347});
  const std::string cal = std::string(QV_TEST_SOURCE_DIR) + "/../../../resources/Calibration/CBLS1001.cal";
  const auto calibrated = [&](int channel, double count) {
    const std::string section = "Channel" + std::to_string(channel);
    return std::stod(qv::GetProfileText(cal, section, "Coefficient0")) +
           std::stod(qv::GetProfileText(cal, section, "Coefficient1")) * count;
  };
  // The six calibrated curves with the counter at `cm`: a whole firing
  // through the gate search, as the log runs it.
  const auto curves = [&](int32_t cm) {
    qv::sim::SondeSample s;
    s.depth = cm;
    s.comStd = 3;
    s.toolType = 5;
    SixChannelPacket packet{};
    for (const auto& r : qv::sim::MakeRecords(qv::sim::RecordKind::CementBond, s)) {
      CblWaveformSegment segment{};
      segment.flags = r[8];
      segment.receiver = r[9];
      std::memcpy(segment.sample, r.data() + 10, 48);
      if (!(segment.flags & 0x80))
        for (int c = 0; c < 6; ++c) packet.channel[c] = static_cast<std::uint16_t>(r[58 + 2 * c] | r[59 + 2 * c] << 8);
      doc.PickGatePeak(&packet, &segment);
    }
    std::array<double, 6> v{};
    for (int c = 0; c < 6; ++c) v[static_cast<std::size_t>(c)] = calibrated(c + 1, packet.channel[c]);
    return v;
  };
  // Counter depths whose receivers (1.9 and 2.1 m up) sit in free pipe (about
  // 5 m) and in bonded pipe (about 18 m).
  const auto free = curves(700), bonded = curves(2000);
  EXPECT_GT(free[3], 60) << "AMP3, mV";
  EXPECT_LT(bonded[3], 25) << "AMP3, mV";
  EXPECT_LT(free[5], 0.15) << "BI";
  EXPECT_GT(bonded[5], 0.85) << "BI";
  for (const auto& v : {free, bonded}) {
    EXPECT_GE(v[2], 201);
    EXPECT_LE(v[2], 233) << "TT3 inside the near gate, us";
    EXPECT_GE(v[4], 315);
    EXPECT_LE(v[4], 347) << "TT5 inside the far gate, us";
  }
  // The collar locator 0.6 m up the sonde: on the collar at 12 m, and between collars.
  EXPECT_LT(curves(1260)[1], -20) << "CCL kick, mV";
  EXPECT_NEAR(curves(1560)[1], 0, 3) << "CCL between collars, mV";
  // Gamma 0.4 m up: shale at 4.6 m, sand at 9.6 m.
  EXPECT_GT(curves(500)[0] - curves(1000)[0], 40) << "GAM, API";
}

}  // namespace
