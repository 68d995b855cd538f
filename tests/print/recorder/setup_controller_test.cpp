// The printer set-up's logic: what its controls show at start, what Apply
// writes, what the port and model radios, Cancel and Test Printer do, and
// that nothing about port, model or test is open while a recorder prints.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/profile/profile.h"
#include "print/recorder/setup_prn_controller.h"
#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {
namespace {

class SetupController : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    saved = {g_nRealTimePrinter,     g_nRecorderPort, g_nPrintMedium,
             g_bPrintFloydSteinberg, g_bPrintAdaptiv, g_bFormMarkDetect};
    qv::SetParallelPortOpener([this](int lpt) {
      lpts.push_back(lpt);
      return std::make_unique<LoggedPort>(log);
    });
  }
  void TearDown() override {
    g_nRealTimePrinter = saved[0];
    g_nRecorderPort = saved[1];
    g_nPrintMedium = saved[2];
    g_bPrintFloydSteinberg = saved[3];
    g_bPrintAdaptiv = saved[4];
    g_bFormMarkDetect = saved[5];
    RecorderTest::TearDown();
  }
  void Settings(int model, int port, int medium, int fs, int adaptive, int foldMarks) {
    g_nRealTimePrinter = model;
    g_nRecorderPort = port;
    g_nPrintMedium = medium;
    g_bPrintFloydSteinberg = fs;
    g_bPrintAdaptiv = adaptive;
    g_bFormMarkDetect = foldMarks;
  }
  std::vector<int> saved;
  std::vector<int> lpts;
};

// The checked controls, in the dialog's order, and the disabled ones.
std::string Shown(const SetupPrnController& c) {
  std::string checked, disabled;
  for (int id : SetupPrnController::ControlIds()) {
    if (c.Checked(id)) checked += std::to_string(id) + " ";
    if (!c.Enabled(id)) disabled += std::to_string(id) + " ";
  }
  return checked + "| " + disabled;
}

TEST_F(SetupController, ControlsAtStart) {
  const struct {
    int model, port, medium, fs, adaptive, foldMarks;
    bool inUse;
    const char* shown;
  } cases[] = {
      // Gulton: no fold marks, whatever the setting.
      {0, 1, 0, 1, 0, 1, false, "2187 2185 2560 2184 | 3092 "},
      {1, 2, 1, 0, 1, 1, false, "2188 3093 2561 2182 3092 | "},
      {2, 3, 0, 1, 1, 0, false, "2189 3094 2560 2184 2182 | "},
      {7, 9, 0, 0, 0, 1, false, "2187 2185 2560 3092 | "},
      {1, 1, 0, 0, 0, 1, true, "2187 3093 2560 3092 | 2187 2188 2189 2185 3093 3094 2196 "},
  };
  for (const auto& c : cases) {
    Settings(c.model, c.port, c.medium, c.fs, c.adaptive, c.foldMarks);
    std::unique_ptr<CGulton> printing;
    if (c.inUse) printing = std::make_unique<CGulton>(0, kPrintPlot, 0, linear, 200, 0, 0);
    SetupPrnController ctl;
    ctl.OnInitDialog();
    EXPECT_EQ(Shown(ctl), c.shown) << "model " << c.model << " port " << c.port;
  }
}

TEST_F(SetupController, ApplyWritesTheSixKeysInOrder) {
  Settings(0, 1, 0, 1, 0, 1);
  std::ofstream(dir + "/quorva.ini") << "[SystemParameters]\r\nWrapCurves=1\r\n";
  SetupPrnController ctl;
  ctl.OnInitDialog();
  for (int id : {IDC_LPT3, IDC_PRINTREX_840, IDC_FILM, IDC_FLOYD_STEINBERG, IDC_ADAPTIV, IDC_APPLY}) ctl.Click(id);
  qv::ProfileFile p;
  ASSERT_TRUE(p.Load(qv::ProgramProfileFile()));
  EXPECT_EQ(p.SectionLines("SystemParameters"),
            (std::vector<std::string>{"WrapCurves=1", "LPT=3", "PrintFloydSteinberg=0", "PrintAdaptiv=1",
                                      "RealTimePrinter=2", "PrintMedium=1", "FormMarkDetect=0"}));
  EXPECT_EQ(g_nRecorderPort, 3);
  EXPECT_EQ(g_nRealTimePrinter, 2);
  EXPECT_EQ(g_nPrintMedium, 1);
  EXPECT_EQ(g_bPrintFloydSteinberg, 0);
  EXPECT_EQ(g_bPrintAdaptiv, 1);
  EXPECT_EQ(g_bFormMarkDetect, 0) << "a Gulton at the start leaves fold marks off";
}

TEST_F(SetupController, Lpt2ThenTestPrinterPrintsOnLpt2AndCancelRestores) {
  Settings(0, 1, 0, 1, 0, 1);
  SetupPrnController ctl;
  ctl.OnInitDialog();
  ctl.Click(IDC_LPT2);
  ctl.Click(IDC_PRINTREX_820);
  EXPECT_EQ(g_nRecorderPort, 2) << "the radio takes effect at once";
  EXPECT_TRUE(ctl.OnTestPrinter());
  EXPECT_EQ(lpts, std::vector<int>{2});
  EXPECT_EQ(TokenSummary(DecodeCapture(log->Bytes(), 1)), "Printrex start paper raster x400");
  EXPECT_EQ(RecordersInUse(), 0);
  ctl.OnCancel();
  EXPECT_EQ(g_nRecorderPort, 1);
  EXPECT_EQ(g_nRealTimePrinter, 0);
}

TEST_F(SetupController, CancelAfterApplyKeepsWhatWasApplied) {
  Settings(0, 1, 0, 1, 0, 1);
  SetupPrnController ctl;
  ctl.OnInitDialog();
  ctl.Click(IDC_LPT2);
  ctl.Click(IDC_PRINTREX_840);
  ctl.OnApply();
  ctl.Click(IDC_LPT3);
  ctl.OnCancel();
  EXPECT_EQ(g_nRecorderPort, 2);
  EXPECT_EQ(g_nRealTimePrinter, 2);
  EXPECT_EQ(qv::GetPrivateProfileInt("SystemParameters", "LPT", 0, qv::ProgramProfileFile()), 2);
}

TEST_F(SetupController, NothingOfPortModelOrTestWhileARecorderPrints) {
  Settings(1, 1, 0, 1, 0, 1);
  CGulton printing(1, kPrintPlot, 0, linear, 200, 0, 0);
  lpts.clear();
  SetupPrnController ctl;
  ctl.OnInitDialog();
  ctl.Click(IDC_LPT2);
  ctl.Click(IDC_GULTON);
  EXPECT_EQ(g_nRecorderPort, 1);
  EXPECT_EQ(g_nRealTimePrinter, 1);
  EXPECT_TRUE(ctl.OnTestPrinter());
  EXPECT_TRUE(lpts.empty()) << "no second recorder was made";
}

TEST_F(SetupController, AFailedTestPageIsReportedAndLeavesNoRecorder) {
  Settings(0, 1, 0, 1, 0, 1);
  log->failAt = 5;
  SetupPrnController ctl;
  ctl.OnInitDialog();
  EXPECT_FALSE(ctl.OnTestPrinter());
  EXPECT_EQ(log->closed, 1);
  EXPECT_EQ(RecordersInUse(), 0);
}

}  // namespace
}  // namespace qvtest
