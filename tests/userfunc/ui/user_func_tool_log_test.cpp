// From the tool to a log: a function made with New, given its display
// options, written and built on the Implementation page, then run by a
// replay of a six-channel log, whose rows carry the function's outputs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "header/header.h"
#include "header/user_function_ini.h"
#include "platform/files/paths.h"
#include "tests/logdoc/document/engine_test.h"
#include "tests/logdoc/replayctl/replay_harness.h"
#include "tests/support/qt_app.h"
#include "userfunc/ui/user_func_sheet.h"
#include "userfunc/user_function_build.h"

namespace {

class UserFuncToolLogTest : public EngineTest {
 public:
  void SetUp() override {
    EngineTest::SetUp();
    qvtest::App();
    fs::create_directories(folder / "SondeDB");
    fs::create_directories(folder / "Userfunction");
    fs::copy_file(fs::path(QV_PROGRAM_DIR) / "SondeDB" / "quorva.db", folder / "SondeDB" / "quorva.db");
    qv::SetProgramFolder(folder.string());
    g_strCurrentSonde = "KSTQ";
    g_strSondeSerialNo.clear();
  }
  // The rows a replay of WELL gives over N records, with LIBRARY as its
  // user function (none when empty).
  std::vector<std::vector<double>> ReplayRows(const std::string& library, int n) {
    qvtest::StampedEngine engine;
    qv::LogSetup& s = engine.Setup();
    s.pathStem = (folder / "WELL.").string();
    s.logMode = 12;
    s.depthStep = 100;
    s.sondeAbbreviation = "KSTQ";
    s.userFunction = !library.empty();
    s.userLibrary = library;
    ::HeaderInfo h;
    EXPECT_TRUE(::ReadHeaderInfo(s.pathStem + "LOG", &h));
    s.replayStartDepth = h.Startdepth;
    s.replayEndDepth = h.EndDepth;
    qvtest::RecordingSink rows;
    engine.SetSink(&rows);
    EXPECT_TRUE(engine.InitialiseLog(0, 10));
    EXPECT_EQ(engine.UserFunctionOn(), !library.empty());
    for (int i = 0; i < n; ++i) {
      if (!engine.ReadReplayRecord()) break;
      engine.ProcessRecord(false);
    }
    return rows.Rows();
  }
};

TEST_F(UserFuncToolLogTest, NewDisplayOptionsImplementationCompileThenAReplayUsesIt) {
  if (qv::FindUserFunctionCompiler().empty()) GTEST_SKIP() << "no gcc on the PATH";
  const std::string library = (folder / "Userfunction" / "KSTQ0.so").string();
  {
    CUserFuncSheet sheet;
    sheet.m_BuildOptions.fragments = std::string(QV_PROGRAM_DIR) + "/Userfunction/bin";
    sheet.m_BuildOptions.checker = std::string(QV_PROGRAM_DIR) + "/quorva-ufcheck";
    sheet.EnsureInitialised();
    sheet.Page1()->OnNew();
    ASSERT_TRUE(sheet.SetActivePage(1));  // Display Options
    sheet.Page3()->ShortEdit()->setText("TWICE");
    ASSERT_TRUE(sheet.SetActivePage(2));  // Implementation
    sheet.Page2()->Editor()->setPlainText("OUT1 = DEPTH;\nOUT2 = 7.5;\nOUT3 = 2 * IN3;\n");
    sheet.Page2()->OnCompile();
    QElapsedTimer clock;
    clock.start();
    while (sheet.Page2()->Building() && clock.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(sheet.m_bBuildSucceeded);
    ASSERT_TRUE(sheet.OnOK());
  }
  ASSERT_TRUE(fs::exists(library));
  CurveArray curves;
  ASSERT_EQ(LoadUserFunctionIni((folder / "Userfunction" / "KSTQ0.ini").string(), &curves, nullptr), 1);
  ASSERT_EQ(curves.size(), 6u);
  EXPECT_EQ(curves[0]->shortTitle, "TWICE");

  // A six-channel log recorded without a function, then replayed with it.
  {
    qv::SixChannelEngine engine;
    Prepare(engine);
    ASSERT_TRUE(engine.InitialiseLog(1, 10));
    Lower();
    ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
    Records(120);
    ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  }
  // A sonde of 1 m, so the delay window ends well inside the log (without a
  // length a depth log waits for 500 steps).
  const int lengthCm = 100;
  ASSERT_EQ(WriteSondeLength((folder / "WELL.LOG").string(), &lengthCm), 1);
  const auto plain = ReplayRows({}, 110);
  const auto with = ReplayRows(library, 110);
  ASSERT_EQ(plain.size(), with.size());
  ASSERT_GT(with.size(), 30u);
  // Once past the delay window every row carries the function's outputs:
  // the depth it was given, moving down the log, and the constant.
  std::vector<double> depths;
  for (size_t i = 0; i < with.size(); ++i) {
    ASSERT_GE(with[i].size(), 3u);
    // Without the function the entry holds the sonde's channel (no reading
    // yet inside the delay window), never the function's constant.
    ASSERT_NE(plain[i][1], 7.5);
    if (with[i][1] != 7.5) continue;
    depths.push_back(with[i][0]);
  }
  ASSERT_GT(depths.size(), 20u);
  EXPECT_GT(depths.front(), 0.0);
  for (size_t i = 1; i < depths.size(); ++i) EXPECT_GT(depths[i], depths[i - 1]) << i;
}

}  // namespace
