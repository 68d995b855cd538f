// The replay settings over hand-made logs: what they open with (scale, unit,
// range, chain, tool), the range checks as the edits lose the focus, the
// per-channel filters, Initialize and Abort; and the end-of-replay dialog.
#include "logdoc/replayui/replay_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <filesystem>
#include <fstream>

#include "header/header.h"
#include "logdoc/replayui/ask_replay.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

struct Log {
  const char* ext = "LOG";
  int unit = 0;  // 0 metres
  int mode = 12;
  int start = 100000, end = 250000;
  int scale = 100;
  const char* chainTo = "";
  int step = 100;
};

class ReplayDlgTest : public ::testing::Test {
 public:
  void SetUp() override {
    qvtest::App();
    folder = qv::test::TempDir("replayui");
    qv::SetProgramFolder(folder);  // no user functions there
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([this](unsigned) { ++beeps; });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
  }
  // A log WELL.<ext> with a header of two curves on channels 1 and 2.
  std::string Write(const Log& log) {
    const std::string data = (fs::path(folder) / (std::string("WELL.") + log.ext)).string();
    std::ofstream(data, std::ios::binary) << std::string(14 * 4, '\0');
    HeaderInfo info;
    info.SondeAbbreviation = "KSTQ";
    info.DepthUnit = log.unit;
    info.LogMode = log.mode;
    info.Startdepth = log.start;
    info.EndDepth = log.end;
    info.Step = log.step;
    EXPECT_TRUE(WriteHeaderInfo(data, &info, &log.scale));
    EXPECT_TRUE(WriteHeaderIdent(data));
    CurveArray curves;
    for (int c = 1; c <= 2; ++c) {
      auto curve = std::make_unique<CurveRecord>();
      curve->physicalChannel = c;
      curve->shortTitle = c == 1 ? "GR" : "RES";
      curves.push_back(std::move(curve));
    }
    EXPECT_TRUE(WriteCurveRecords(data, &curves));
    TrackArray tracks;
    for (int t = 0; t < 4; ++t) {
      tracks.push_back(std::make_unique<TrackRecord>());
      tracks.back()->order = t;
    }
    EXPECT_TRUE(WriteTrackRecords(data, &tracks));
    if (*log.chainTo) {
      EXPECT_TRUE(WriteChainTo(data, log.chainTo));
    }
    return data;
  }
  std::unique_ptr<CReplayDlg> Open(const Log& log) {
    auto dlg = std::make_unique<CReplayDlg>("WELL", Write(log));
    EXPECT_TRUE(dlg->Initialise());
    return dlg;
  }

  std::string folder;
  std::vector<std::string> boxes;
  int beeps = 0;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
};

TEST_F(ReplayDlgTest, OpensWithTheLogsScaleUnitRangeAndChain) {
  struct Case {
    const char* name;
    Log log;
    int entries;
    const char* scale;  // the selected depth scale
    const char* unit;
    bool edits;  // the range edits take input
    bool plot;   // "Plot linked logs" checked
    bool plotEnabled;
  };
  const Case cases[] = {
      {"metres, scale 200", {.scale = 200}, 8, "1:200", "m", true, false, false},
      {"feet, scale not offered", {.unit = 1, .scale = 75}, 5, "1:120", "ft", true, false, false},
      {"metres, scale 1", {.scale = 1}, 8, "1:100", "m", true, false, false},
      {"feet, scale 1", {.unit = 1, .scale = 1}, 5, "1:120", "ft", true, false, false},
      {"time log", {.mode = 10}, 8, "1:100", "m", false, false, false},
      {"linked log", {.chainTo = "WELL1.LOG"}, 8, "1:100", "m", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dlg = Open(c.log);
    EXPECT_EQ(dlg->DepthScale()->count(), c.entries);
    EXPECT_EQ(dlg->DepthScale()->currentText().toStdString(), c.scale);
    EXPECT_EQ(dlg->UnitText()->text().toStdString(), c.unit);
    EXPECT_EQ(dlg->FromEdit()->text().toStdString(), "100");
    EXPECT_EQ(dlg->ToEdit()->text().toStdString(), "250");
    EXPECT_EQ(dlg->FromEdit()->isEnabled(), c.edits);
    EXPECT_EQ(dlg->PlotLinkedCheck()->isChecked(), c.plot);
    EXPECT_EQ(dlg->PlotLinkedCheck()->isEnabled(), c.plotEnabled);
    EXPECT_EQ(dlg->Coefficients()->currentText().toStdString(), "Header");
    EXPECT_FALSE(dlg->UserFunctionCheck()->isEnabled()) << "no user function for the sonde";
    EXPECT_EQ(dlg->ChannelSpin()->maximum(), 6);
    dlg->OnOK();
    ASSERT_EQ(dlg->Result(), qv::IDOK);
    const ReplaySettings s = dlg->TakeSettings();
    EXPECT_EQ(s.startDepth, 100000);
    EXPECT_EQ(s.endDepth, 250000);
    EXPECT_EQ(s.toolType, 1);
    EXPECT_EQ(s.curves.size(), 2u);
    EXPECT_EQ(s.tracks.size(), 4u);
    EXPECT_EQ(s.channels[1].physicalChannel, 2);
    EXPECT_TRUE(s.calibrationFromDataFile);
    EXPECT_EQ(s.followChain, c.plot);
    EXPECT_EQ(s.depthScaleIndex, dlg->DepthScale()->currentIndex());
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ReplayDlgTest, LinkedLogsFixTheRangeUntilUnchecked) {
  auto dlg = Open({.chainTo = "WELL1.LOG"});
  EXPECT_TRUE(dlg->FromEdit()->isEnabled()) << "left as opened";
  dlg->PlotLinkedCheck()->click();
  EXPECT_FALSE(dlg->PlotLinkedCheck()->isChecked());
  EXPECT_TRUE(dlg->FromEdit()->isEnabled());
  dlg->PlotLinkedCheck()->click();
  EXPECT_TRUE(dlg->PlotLinkedCheck()->isChecked());
  EXPECT_FALSE(dlg->FromEdit()->isEnabled()) << "the chain's files play whole";
  EXPECT_FALSE(dlg->ToEdit()->isEnabled());
}

TEST_F(ReplayDlgTest, AWrongDepthIsResetWithABeepAndTheNextInitializeIsSwallowed) {
  struct Case {
    const char* name;
    Log log;
    const char* from;
    const char* to;
    bool toEdit;  // the edit that lost the focus
    const char* shownFrom;
    const char* shownTo;
  };
  const Case cases[] = {
      {"down: from above the start", {}, "90", "250", false, "100", "250"},
      {"down: to below the end", {}, "100", "260", true, "100", "250"},
      {"down: to before from", {}, "120", "110", true, "120", "250"},
      {"down: not a number", {}, "abc", "250", false, "100", "250"},
      {"up: from below the start", {.start = 250000, .end = 100000}, "260", "100", false, "250", "100"},
      {"up: to above from", {.start = 250000, .end = 100000}, "200", "210", true, "200", "100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dlg = Open(c.log);
    beeps = 0;
    dlg->FromEdit()->setText(c.from);
    dlg->ToEdit()->setText(c.to);
    if (c.toEdit)
      dlg->OnKillFocusToDepth();
    else
      dlg->OnKillFocusFromDepth();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(dlg->m_bRangeError);
    EXPECT_EQ(dlg->FromEdit()->text().toStdString(), c.shownFrom);
    EXPECT_EQ(dlg->ToEdit()->text().toStdString(), c.shownTo);
    dlg->OnOK();
    EXPECT_EQ(dlg->Result(), 0) << "the click that left the edit is swallowed";
    dlg->OnOK();
    ASSERT_EQ(dlg->Result(), qv::IDOK);
    EXPECT_EQ(dlg->m_nReplayFrom, static_cast<int>(std::stod(c.shownFrom) * 1000));
    EXPECT_EQ(dlg->m_nReplayTo, static_cast<int>(std::stod(c.shownTo) * 1000));
  }
}

// A log cut off while recording has a header without end depth and end time:
// the range runs to the data's last record, the user is told, and the range
// checks hold to it.
TEST_F(ReplayDlgTest, ACutOffLogOpensWithTheRangeOfItsData) {
  for (const int mode : {12, 11}) {
    SCOPED_TRACE(mode);
    boxes.clear();
    auto dlg = Open({.mode = mode, .start = 100000, .end = 0});  // four records
    const char* end = mode == 12 ? "100.3" : "99.7";
    EXPECT_EQ(dlg->ToEdit()->text().toStdString(), end);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], qv::FormatC(qv::LoadString(35230).c_str(), 100.0, std::stod(end), "m"));
    dlg->ToEdit()->setText(mode == 12 ? "100.2" : "99.8");
    dlg->OnKillFocusToDepth();
    EXPECT_FALSE(dlg->m_bRangeError);
    dlg->OnOK();
    ASSERT_EQ(dlg->Result(), qv::IDOK);
    EXPECT_EQ(dlg->m_nReplayTo, mode == 12 ? 100200 : 99800);
  }
}

TEST_F(ReplayDlgTest, InitializeHandsBackTheTypedRangeAndChecksOneConfirmedWithEnter) {
  auto dlg = Open({});
  dlg->FromEdit()->setText("120.5");
  dlg->OnKillFocusFromDepth();
  dlg->ToEdit()->setText("260");  // typed, then Enter: no focus change
  dlg->OnOK();
  EXPECT_EQ(dlg->Result(), 0) << "a wrong to depth never reaches the replay";
  EXPECT_EQ(dlg->ToEdit()->text().toStdString(), "250");
  dlg->OnOK();  // swallowed: it follows the reset
  dlg->OnOK();  // the reset value confirmed
  ASSERT_EQ(dlg->Result(), qv::IDOK);
  EXPECT_EQ(dlg->m_nReplayFrom, 120500);
  EXPECT_EQ(dlg->m_nReplayTo, 250000);
  EXPECT_EQ(beeps, 1);
}

TEST_F(ReplayDlgTest, FiltersAreKeptPerChannelByTheSpins) {
  auto dlg = Open({});
  dlg->ChannelSpin()->setValue(3);
  dlg->FilterType()->setCurrentIndex(2);
  dlg->StrengthSpin()->setValue(4);
  EXPECT_EQ(dlg->WidthNumber()->text().toStdString(), "9");
  EXPECT_EQ(dlg->m_Filters[2].FilterWidth, 9);
  EXPECT_EQ(dlg->m_Filters[2].FilterType, 2);
  dlg->ChannelSpin()->setValue(4);
  EXPECT_EQ(dlg->ChannelNumber()->text().toStdString(), "4");
  EXPECT_EQ(dlg->WidthNumber()->text().toStdString(), "0") << "an empty entry";
  dlg->ChannelSpin()->setValue(3);
  EXPECT_EQ(dlg->WidthNumber()->text().toStdString(), "9");
  EXPECT_EQ(dlg->FilterType()->currentIndex(), 2);
  // A type chosen without a spin action afterwards is not taken.
  dlg->FilterType()->setCurrentIndex(1);
  dlg->OnOK();
  ASSERT_EQ(dlg->Result(), qv::IDOK);
  EXPECT_EQ(dlg->TakeSettings().filters[2].FilterType, 2);
}

TEST_F(ReplayDlgTest, ToolKindsOfTheDataFile) {
  // A .LOG beside a .VDL is a full-wave sonic log replayed from its .VDL.
  Write({});
  std::ofstream((fs::path(folder) / "WELL.VDL").string()) << "x";
  CReplayDlg fws("WELL", (fs::path(folder) / "WELL.LOG").string());
  ASSERT_TRUE(fws.Initialise());
  EXPECT_EQ(fws.m_nToolKind, 4);
  EXPECT_EQ(fws.m_strDataFile, (fs::path(folder) / "WELL.VDL").string());
  EXPECT_FALSE(fws.UserFunctionCheck()->isEnabled());

  auto btv = Open({.ext = "BTV"});
  EXPECT_EQ(btv->m_nToolKind, 2);
  EXPECT_TRUE(btv->CalibrationCheck()->isHidden());
  EXPECT_TRUE(btv->Coefficients()->isHidden());
  EXPECT_TRUE(btv->BrowseButton()->isHidden());
  EXPECT_TRUE(btv->CoefficientLabel()->isHidden());
  EXPECT_FALSE(btv->DepthScale()->isEnabled());
  EXPECT_FALSE(btv->FilterType()->isEnabled());
  EXPECT_FALSE(btv->ChannelSpin()->isEnabled());
  EXPECT_FALSE(btv->StrengthSpin()->isEnabled());
  btv->OnOK();
  EXPECT_TRUE(btv->TakeSettings().calibrationFile.empty());
}

TEST_F(ReplayDlgTest, AbortAndAnUnreadableHeaderFreeWhatWasRead) {
  auto dlg = Open({});
  EXPECT_FALSE(dlg->m_Curves.empty());
  dlg->OnCancel();
  EXPECT_EQ(dlg->Result(), qv::IDCANCEL);
  EXPECT_TRUE(dlg->m_Curves.empty());
  EXPECT_TRUE(dlg->m_Tracks.empty());
  EXPECT_TRUE(dlg->m_Calibrations.empty());

  CReplayDlg gone("GONE", (fs::path(folder) / "GONE.LOG").string());
  EXPECT_FALSE(gone.Initialise());
  EXPECT_EQ(gone.DoModal(), qv::IDCANCEL) << "ended before it showed";
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Couldn't read from header file!"), boxes.end());
  EXPECT_TRUE(gone.m_Curves.empty());
}

// A header without a step places no record: the log is refused before the
// settings show, with a message, instead of replaying blank.
TEST_F(ReplayDlgTest, AHeaderWithoutAStepIsRefusedWithAMessage) {
  for (int step : {0, -100}) {
    boxes.clear();
    Log log;
    log.step = step;
    CReplayDlg dlg("WELL", Write(log));
    EXPECT_FALSE(dlg.Initialise()) << step;
    EXPECT_EQ(dlg.DoModal(), qv::IDCANCEL);
    EXPECT_EQ(boxes, std::vector<std::string>{"The header of this log gives a step of " + std::to_string(step) +
                                              ": the log can not be replayed!"});
  }
}

TEST_F(ReplayDlgTest, BrowsingTakesACalibrationFileAsTheCoefficientSource) {
  auto dlg = Open({});
  EXPECT_FALSE(dlg->BrowseButton()->isEnabled()) << "without calibration";
  dlg->CalibrationCheck()->click();
  EXPECT_TRUE(dlg->BrowseButton()->isEnabled());
  const std::string cal = (fs::path(folder) / "Calibration" / "KSTQ.cal").string();
  auto prev = qv::SetFileDialogHandler([&](const qv::FileDialogRequest& r) {
    EXPECT_EQ(r.filter, "Calibration File (*.cal)|*.cal||");
    return cal;
  });
  dlg->OnBrowseCoefficientFile();
  qv::SetFileDialogHandler(prev);
  EXPECT_EQ(dlg->Coefficients()->currentText().toStdString(), "KSTQ");
  EXPECT_EQ(dlg->Coefficients()->count(), 2);
  dlg->OnOK();
  const ReplaySettings s = dlg->TakeSettings();
  EXPECT_TRUE(s.calibration);
  EXPECT_EQ(s.calibrationFile, cal);
  EXPECT_FALSE(s.calibrationFromDataFile);
}

TEST(AskReplay, ResetAndFinishTakeThePrintHeaderBox) {
  qvtest::App();
  for (bool show : {false, true}) {
    for (bool reset : {false, true}) {
      CAskReplay dlg(show, nullptr);
      dlg.EnsureInitialised();
      EXPECT_EQ(dlg.windowTitle().toStdString(), "Quorvanta");
      EXPECT_EQ(dlg.PrintHeaderBox()->isHidden(), !show);
      EXPECT_EQ(dlg.ResetButton()->text().toStdString(), "Reset");
      EXPECT_EQ(dlg.FinishButton()->text().toStdString(), "Finish");
      dlg.PrintHeaderBox()->setChecked(true);
      (reset ? dlg.ResetButton() : dlg.FinishButton())->click();
      EXPECT_EQ(dlg.result(), reset ? QDialog::Accepted : QDialog::Rejected);
      EXPECT_EQ(dlg.m_bPrintHeader, 1);
    }
  }
}

}  // namespace
