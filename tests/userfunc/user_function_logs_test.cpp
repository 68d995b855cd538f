// A six-channel log with a user-function library built from C: what the
// library is given live, metric and imperial, that a rewound replay starts
// it afresh before its next record, and that a refused library is never
// started.
#include <chrono>
#include <thread>

#include "platform/dynlib/dynlib.h"
#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/replayctl/replay_harness.h"
#include "userfunc/user_function_library.h"

namespace {

std::string Lib(const std::string& cut) {
  return std::string(QV_UF_LIBS) + "/uf_" + cut + ".so";
}

// The counters of a test library, read through the module the log loads.
struct Counters {
  explicit Counters(const std::string& path) { EXPECT_TRUE(lib.Load(path)) << lib.Error(); }
  int Int(const char* name) { return *static_cast<int*>(lib.Symbol(name)); }
  volatile int& Flag(const char* name) { return *static_cast<volatile int*>(lib.Symbol(name)); }
  double In(int i) { return static_cast<double*>(lib.Symbol("uf_last_in"))[i]; }
  qv::DynLib lib;
};

class UserFunctionLogTest : public EngineTest {
 public:
  void TearDown() override {
    g_nDepthUnits = 0;
    EngineTest::TearDown();
  }
  // Records a log of n records with the user function LIBRARY on.
  void RecordWith(const std::string& library, int n) {
    qv::SixChannelEngine engine;
    Prepare(engine);
    engine.Setup().userFunction = true;
    engine.Setup().userLibrary = library;
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    EXPECT_TRUE(engine.UserFunctionOn());
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(n);
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
    depth = engine.Depth();
    time = engine.Time();
    lengthSteps = engine.SondeLengthSteps();
  }
  // A copy of the library that hangs on request, of this test's own: a
  // library given up once is not loaded again in the run.
  std::string HangingLibrary() {
    const fs::path copy = folder / "HANG.so";
    fs::remove(copy);  // a new file (never one a thread may still run)
    fs::copy_file(Lib("bad_hang_on_request"), copy);
    return copy.string();
  }
  int depth = 0, time = 0, lengthSteps = 0;
};

TEST_F(UserFunctionLogTest, LiveRecordsGiveTimeAndDepthInThousandthsOfTheUnit) {
  Counters uf(Lib("full"));
  for (int units : {0, 1}) {
    ResetUnit();
    g_nDepthUnits = units;
    RecordWith(Lib("full"), 40);
    EXPECT_EQ(uf.In(12), time) << "unit " << units;
    // The values handed to the library left the delay window at row 25 of a
    // log going down, where every channel waits for the sonde's top sensor:
    // 25 steps of 100 and the sonde length behind the newest record.
    EXPECT_GT(lengthSteps, 0);
    EXPECT_EQ(uf.In(13), depth * (units ? 50 : 10) - (25 + lengthSteps) * 100) << "unit " << units;
    for (int i : {6, 7, 8, 9, 10, 11, 14, 15}) EXPECT_EQ(uf.In(i), 0.0) << i;
  }
}

TEST_F(UserFunctionLogTest, ARewoundReplayStartsTheFunctionAfreshBeforeItsNextRecord) {
  RecordWith(Lib("full"), 60);
  Counters uf(Lib("full"));
  qvtest::StampedEngine engine;
  qv::LogSetup& s = engine.Setup();
  s.pathStem = (folder / "WELL.").string();
  s.logMode = 12;
  s.depthStep = 100;
  s.sondeAbbreviation = "KSTQ";
  s.userFunction = true;
  s.userLibrary = Lib("full");
  ::HeaderInfo h;
  ASSERT_TRUE(::ReadHeaderInfo(s.pathStem + "LOG", &h));
  s.replayStartDepth = h.Startdepth;
  s.replayEndDepth = h.EndDepth;
  qvtest::RecordingSink replaySink;
  engine.SetSink(&replaySink);
  const int inits = uf.Int("uf_init_calls");
  ASSERT_TRUE(engine.InitialiseLog(0, 10));
  EXPECT_EQ(uf.Int("uf_init_calls"), inits + 1);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(engine.ReadReplayRecord());
    ASSERT_TRUE(engine.ProcessRecord(false));
  }
  EXPECT_EQ(uf.Int("uf_calls_since_init"), 5);
  ASSERT_TRUE(engine.RewindReplay());
  EXPECT_EQ(uf.Int("uf_init_calls"), inits + 2);
  EXPECT_EQ(uf.Int("uf_calls_since_init"), 0);
  ASSERT_TRUE(engine.ReadReplayRecord());
  ASSERT_TRUE(engine.ProcessRecord(false));
  EXPECT_EQ(uf.Int("uf_calls_since_init"), 1);
}

TEST_F(UserFunctionLogTest, ARefusedLibraryIsNeverStarted) {
  Counters uf(Lib("no_userfunction"));
  qv::SixChannelEngine engine;
  Prepare(engine);
  engine.Setup().userFunction = true;
  engine.Setup().userLibrary = Lib("no_userfunction");
  boxes.Clear();
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  EXPECT_FALSE(engine.UserFunctionOn());
  EXPECT_FALSE(engine.Setup().userFunction);
  EXPECT_EQ(uf.Int("uf_init_calls"), 0);
  const std::vector<unsigned> ids = boxes.Ids();
  EXPECT_EQ(std::count(ids.begin(), ids.end(), kStrUserProcessRefused), 1);
}

// Stop Replay does not wait for a user function that never returns: the
// window is free again within seconds, the user is told which function
// hangs, the log can only be closed, and the library is not loaded again.
TEST_F(UserFunctionLogTest, StopReplayDoesNotWaitForAFunctionThatNeverReturns) {
  RecordWith(Lib("full"), 20);
  const std::string library = HangingLibrary();
  Counters uf(library);
  qvtest::StampedEngine engine;
  qv::LogSetup& s = engine.Setup();
  s.pathStem = (folder / "WELL.").string();
  s.logMode = 12;
  s.depthStep = 100;
  s.sondeAbbreviation = "KSTQ";
  s.userFunction = true;
  s.userLibrary = library;
  ::HeaderInfo h;
  ASSERT_TRUE(::ReadHeaderInfo(s.pathStem + "LOG", &h));
  s.replayStartDepth = h.Startdepth;
  s.replayEndDepth = h.EndDepth;
  qvtest::RecordingSink replaySink;
  engine.SetSink(&replaySink);
  ASSERT_TRUE(engine.InitialiseLog(0, 10));
  ASSERT_TRUE(engine.UserFunctionOn());
  int closed = 0;
  qv::ReplayCallbacks cb;
  cb.endOfData = [] {};
  cb.closeDocument = [&] { ++closed; };
  qv::ReplayControl control(engine, cb);
  control.SetPollPeriod(0);
  uf.Flag("uf_hang") = 1;
  boxes.Clear();
  control.OnReplay();
  for (int i = 0; i < 1000 && !uf.Flag("uf_spinning"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(uf.Flag("uf_spinning"));
  control.OnStopReplay();  // returns: the test would hang here before
  EXPECT_EQ(closed, 1);
  const auto shown = boxes.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "The user function HANG.so does not return.\nEvery record written so far "
                           "is kept, but the log can not go on: close the log or the program.");
  EXPECT_FALSE(control.StartReplay());
  // The library holds a thread for good: no other caller gets it in this run.
  UserFunctionLibrary again;
  boxes.Clear();
  EXPECT_FALSE(again.Load(library, UserFunctionCaller::kFlowmeter));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Could not load user process file!\nA call of this library did not return: it "
                                      "can not be loaded again until the program restarts.");
  uf.Flag("uf_hang") = 0;  // the thread comes back from the library and never returns into the log
}

// Stopping a live log does not wait for a user function that never returns:
// the stop ends within seconds, every record read so far stays in the file,
// the user is told which function hangs, and the log can not start again.
TEST_F(UserFunctionLogTest, StopDoesNotWaitForAFunctionThatNeverReturns) {
  const std::string library = HangingLibrary();
  Counters uf(library);
  qv::SixChannelEngine engine;
  Prepare(engine);
  engine.Setup().userFunction = true;
  engine.Setup().userLibrary = library;
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  ASSERT_TRUE(engine.UserFunctionOn());
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(30);
  uf.Flag("uf_hang") = 1;
  pace->RunUntil(pace->Now() + 400, std::chrono::seconds(5));  // the next record goes into the function
  for (int i = 0; i < 1000 && !uf.Flag("uf_spinning"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(uf.Flag("uf_spinning"));
  boxes.Clear();
  engine.StopLogging(qv::kStateStoppedForGood);  // returns: the test would hang here before
  const auto shown = boxes.Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0].text, "The user function HANG.so does not return.\nEvery record written so "
                           "far is kept, but the log can not go on: close the log or the program.");
  EXPECT_GE(fs::file_size(folder / "WELL.LOG"), 30u * 14u);
  EXPECT_EQ(engine.StartLogging(qv::kStartRecord), 0);
  uf.Flag("uf_hang") = 0;  // the thread comes back from the library and never returns into the log
}

}  // namespace
