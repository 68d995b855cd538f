// The new-log wizard driven offscreen on the shipped sonde database: page
// set-up per tool type, the checks and choices of both pages, and what the
// sheet hands over.
#include "app/ui/log_wizard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "tests/app/newlog/fixture.h"
#include "tests/support/qt_app.h"

namespace {

using newlogtest::Write;

class LogWizardTest : public newlogtest::ProgramFolderTest {
 protected:
  void SetUp() override {
    qvtest::App();
    ProgramFolderTest::SetUp();
  }
  // The wizard for a sonde, set up and on page 1.
  std::unique_ptr<CLogWizard> Open(const std::string& sonde) {
    g_strCurrentSonde = sonde;
    auto w = std::make_unique<CLogWizard>();
    prepared_ = w->Prepare();
    return w;
  }
  static std::vector<bool> Enabled(CLogWizardPage1* p) {
    std::vector<bool> v;
    for (int i = 0; i < 4; ++i) v.push_back(p->Radio(i)->isEnabled());
    return v;
  }
  static std::vector<bool> Checked(CLogWizardPage1* p) {
    std::vector<bool> v;
    for (int i = 0; i < 4; ++i) v.push_back(p->Radio(i)->isChecked());
    return v;
  }
  static std::vector<std::string> Items(QComboBox* c) {
    std::vector<std::string> v;
    for (int i = 0; i < c->count(); ++i) v.push_back(c->itemText(i).toStdString());
    return v;
  }
  bool prepared_ = false;
};

TEST_F(LogWizardTest, SixChannelSondeLogsUpIntoAFreeNameAndHandsOverItsSetUp) {
  Write(folder_ + "/DATA/NEWLOG.LOG", "");
  Write(folder_ + "/DATA/NewLog1.log", "");
  auto w = Open("KSTQ");
  ASSERT_TRUE(prepared_);
  EXPECT_EQ(w->windowTitle().toStdString(), "Log Settings");
  EXPECT_EQ(w->ButtonWidget(qv::PropertySheet::OkButton)->text().toStdString(), "OK");
  EXPECT_EQ(w->ButtonWidget(qv::PropertySheet::CancelButton)->text().toStdString(), "Abort");
  EXPECT_TRUE(w->ButtonWidget(qv::PropertySheet::ApplyButton)->isHidden());
  EXPECT_TRUE(w->ButtonWidget(qv::PropertySheet::HelpButton)->isHidden());
  EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);

  CLogWizardPage1* p1 = w->Page1();
  EXPECT_EQ(p1->FileNameEdit()->text().toStdString(), "NEWLOG2");
  EXPECT_EQ(p1->findChild<QLabel*>("2198")->text().toStdString(), "metric");
  EXPECT_EQ(Enabled(p1), (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(Checked(p1), (std::vector<bool>{true, false, false, false}));
  EXPECT_FALSE(p1->CblMode()->isEnabled());
  EXPECT_TRUE(boxes_.empty());

  p1->Radio(1)->setChecked(true);
  ASSERT_TRUE(w->SetActivePage(1));
  ASSERT_TRUE(w->OnOK());
  const qv::LogWizardResult& r = w->m_Result;
  EXPECT_EQ(r.fileName, "NEWLOG2");
  EXPECT_EQ(r.dataFolder, folder_ + "/DATA/");
  EXPECT_EQ(r.sondeAbbreviation, "KSTQ");
  EXPECT_EQ(r.toolType, 1);
  EXPECT_EQ(r.logMode, 12);
  EXPECT_EQ(r.depthScaleIndex, 3);
  EXPECT_EQ(r.sondePowerLoaded, 1);
  EXPECT_EQ(r.sondePower.voltage, 120);
  EXPECT_EQ(r.sondePower.currentLimit, 80);
  EXPECT_EQ(r.sondePower.polarity, 165);
  EXPECT_EQ(r.channels[0].shortTitle, "GAM");
  EXPECT_EQ(r.channels[0].unit, "API");
  EXPECT_EQ(r.channels[0].physicalChannel, 1);
  EXPECT_EQ(r.channels[6].physicalChannel, -1);
  EXPECT_FALSE(r.curves.empty());
  EXPECT_FALSE(r.tracks.empty());
  EXPECT_EQ(r.reserved[0] + r.reserved[1] + r.reserved[2], 0);
  EXPECT_EQ(r.reservedFlag, 1);
  EXPECT_EQ(r.calibrationOn + r.userFunctionOn + r.printerOutput, 0);
  EXPECT_EQ(r.userFunctionPath, "");
}

TEST_F(LogWizardTest, FullWaveSonicOfComStd3IsLoggedAsCementBond) {
  Sql("UPDATE SONDE SET ComStd = 3 WHERE Abbreviation = 'FWSS'");
  auto w = Open("FWSS");
  ASSERT_TRUE(prepared_);
  EXPECT_TRUE(w->Page1()->CblMode()->isChecked());
  EXPECT_FALSE(w->Page1()->CblMode()->isEnabled());
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_EQ(w->m_Result.toolType, 5);
  ASSERT_TRUE(w->SetActivePage(0));
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_EQ(w->m_Result.toolType, 5);
}

TEST_F(LogWizardTest, FullWaveSonicOfAnotherComStdStaysFullWaveAndCannotLogDown) {
  auto w = Open("FWSS");
  ASSERT_TRUE(prepared_);
  EXPECT_FALSE(w->Page1()->CblMode()->isChecked());
  EXPECT_TRUE(w->Page1()->CblMode()->isEnabled());
  EXPECT_EQ(Enabled(w->Page1()), (std::vector<bool>{true, false, true, false}));
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.toolType, 4);
  EXPECT_EQ(w->m_Result.logMode, 11);
}

TEST_F(LogWizardTest, TeleviewerLogsOnlyAsynchronouslyWithoutDepthScaleOrProcessing) {
  auto w = Open("BTVS");
  ASSERT_TRUE(prepared_);
  EXPECT_EQ(Enabled(w->Page1()), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(Checked(w->Page1()), (std::vector<bool>{false, false, false, true}));
  ASSERT_TRUE(w->SetActivePage(1));
  CLogWizardPage2* p2 = w->Page2();
  EXPECT_EQ(w->m_Result.logMode, 13);
  EXPECT_EQ(p2->DepthScale()->currentIndex(), -1);
  EXPECT_FALSE(p2->DepthScale()->isEnabled());
  for (QWidget* c : std::initializer_list<QWidget*>{p2->CalibrationCheck(), p2->BrowseButton(), p2->FilterType(),
                                                    p2->WidthSpin(), p2->UserFunctionCheck(), p2->FunctionList()})
    EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.depthScaleIndex, 0);
}

TEST_F(LogWizardTest, TimeModeHasNoDepthScale) {
  auto w = Open("KSTQ");
  w->Page1()->Radio(2)->setChecked(true);
  ASSERT_TRUE(w->OnOK());
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_EQ(w->m_Result.logMode, 10);
  EXPECT_EQ(w->Page2()->DepthScale()->currentIndex(), -1);
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.depthScaleIndex, 0);
}

TEST_F(LogWizardTest, NoCurrentOrUnknownSondeEndsTheSheetAsCancelled) {
  for (const char* sonde : {"", "GONE"}) {
    boxes_.clear();
    auto w = Open(sonde);
    EXPECT_FALSE(prepared_) << sonde;
    EXPECT_EQ(w->Run(), qv::IDCANCEL) << sonde;
    ASSERT_FALSE(boxes_.empty()) << sonde;
    EXPECT_EQ(boxes_[0].text, "Sonde type not supported!");
    EXPECT_EQ(boxes_[0].flags, unsigned(qv::MB_OK | qv::MB_ICONSTOP));
  }
}

TEST_F(LogWizardTest, MissingSondePowerIsReportedAndHandedOverAsNotLoaded) {
  g_strSondeSerialNo = "999";  // no such row: the type comes by name, the power by name and number
  auto w = Open("KSTQ");
  ASSERT_TRUE(prepared_);
  EXPECT_EQ(BoxTexts().back(), "Could not load tool parameters!");
  EXPECT_FALSE(w->Page1()->findChild<QPushButton*>("1036")->isEnabled());
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.sondePowerLoaded, 0);
  EXPECT_EQ(w->m_Result.sondePower.voltage, 0);
}

TEST_F(LogWizardTest, FileNameCheckAsksBeforeOverwritingAndBrowseTakesFolderAndTitle) {
  auto w = Open("KSTQ");
  CLogWizardPage1* p1 = w->Page1();
  Write(folder_ + "/DATA/well7.log", "");
  Write(folder_ + "/DATA/well8.log", "");
  p1->FileNameEdit()->setText("WELL7");
  answer_ = qv::IDYES;
  p1->OnKillFocusFileName();
  EXPECT_EQ(p1->FileNameEdit()->text().toStdString(), "WELL7");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "A log file with this name already exists. Do you want to overwrite the existing file?");
  EXPECT_EQ(boxes_[0].flags, unsigned(qv::MB_YESNO | qv::MB_ICONQUESTION));
  p1->OnKillFocusFileName();
  EXPECT_EQ(boxes_.size(), 1u) << "a name the user chose to overwrite is not asked about again";
  p1->FileNameEdit()->setText("WELL8");
  answer_ = qv::IDNO;
  p1->OnKillFocusFileName();
  EXPECT_EQ(p1->FileNameEdit()->text().toStdString(), "WELL81");
  p1->FileNameEdit()->setText("FRESH");
  p1->OnKillFocusFileName();
  EXPECT_EQ(boxes_.size(), 2u);

  dialogAnswer_ = "/logs/site.2/RUN7.LOG";
  p1->OnBrowse();
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_FALSE(dialogs_[0].open);
  EXPECT_EQ(dialogs_[0].initialFolder, folder_ + "/DATA/");
  EXPECT_EQ(dialogs_[0].defaultExt, "LOG");
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.dataFolder, "/logs/site.2/");
  EXPECT_EQ(w->m_Result.fileName, "RUN7");
}

// Leaving the name edit asks once: the box that opens takes the focus from
// the wizard's window, and the edit's focus events meanwhile (the window
// deactivated, or any other) ask nothing more.
TEST_F(LogWizardTest, AnExistingNameIsAskedAboutOnceNotInStackedBoxes) {
  auto w = Open("KSTQ");
  CLogWizardPage1* p1 = w->Page1();
  Write(folder_ + "/DATA/well7.log", "");
  for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::OtherFocusReason}) {
    SCOPED_TRACE(reason);
    boxes_.clear();
    p1->FileNameEdit()->setText("WELL7");
    int open = 0, most = 0;
    auto previous = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
      boxes_.push_back(r);
      most = std::max(most, ++open);
      // What the window system does while the (first) box comes up.
      if (boxes_.size() == 1) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(p1->FileNameEdit(), &out);
      }
      --open;
      return qv::IDNO;
    });
    QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(p1->FileNameEdit(), &left);
    qv::SetMessageBoxHandler(previous);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(most, 1);
    EXPECT_EQ(p1->FileNameEdit()->text().toStdString(), "WELL71");
  }
}

TEST_F(LogWizardTest, CalibrationFileOfTheDatabaseStaysUnlessAnotherIsChosen) {
  Sql("UPDATE SONDE SET CALIBFILE = 'kstq1001' WHERE Abbreviation = 'KSTQ'");
  Write(folder_ + "/Calibration/KSTQ1001.cal", "[General]\r\nSonde=KSTQ\r\n");
  auto w = Open("KSTQ");
  ASSERT_TRUE(w->SetActivePage(1));
  CLogWizardPage2* p2 = w->Page2();
  EXPECT_EQ(p2->CoefficientFile()->text().toStdString(), "KSTQ1001");
  EXPECT_TRUE(p2->CoefficientFile()->isReadOnly());
  EXPECT_FALSE(p2->BrowseButton()->isEnabled());
  p2->CalibrationCheck()->click();
  EXPECT_TRUE(p2->BrowseButton()->isEnabled());
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.calibrationOn, 1);
  EXPECT_EQ(w->m_Result.calibrationFile, folder_ + "/Calibration/KSTQ1001.cal");

  dialogAnswer_ = folder_ + "/Calibration/Other.cal";
  p2->OnBrowseCalibration();
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].filter, "Calibration File (*.cal)|*.cal||");
  EXPECT_EQ(dialogs_[0].initialFolder, folder_ + "/Calibration");
  EXPECT_TRUE(dialogs_[0].mustExist);
  EXPECT_EQ(p2->CoefficientFile()->text().toStdString(), "Other");
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.calibrationFile, folder_ + "/Calibration/Other.cal");
}

TEST_F(LogWizardTest, SondeWithoutCalibrationFileHandsOverNone) {
  Sql("UPDATE SONDE SET CALIBFILE = '' WHERE Abbreviation = 'KSTQ'");
  auto w = Open("KSTQ");
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_EQ(w->Page2()->CoefficientFile()->text().toStdString(), "");
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.calibrationFile, "");
}

TEST_F(LogWizardTest, UserFunctionReplacesTheCurvesUntilItIsClearedOrThePageRevisited) {
  const std::string uf = folder_ + "/Userfunction/";
  Write(uf + "KSTQ.ini",
        "[General]\r\nIdent=QUORVANTA\r\nUPName=Porosity\r\n\r\n"
        "[Channel0]\r\nTitle=Porosity\r\nTitleShort=POR\r\nUnit=%\r\nPhysicalCh=1\r\n\r\n");
  Write(uf + "KSTQ.SO", "");
  Write(uf + "KSTQ2.INI", "[General]\r\nIdent=QUORVANTA\r\nUPName=\r\n");
  Write(uf + "kstq2.dll", "");
  auto w = Open("KSTQ");
  ASSERT_TRUE(w->SetActivePage(1));
  CLogWizardPage2* p2 = w->Page2();
  const size_t sondeCurves = w->m_Result.curves.size();
  EXPECT_EQ(Items(p2->FunctionList()), (std::vector<std::string>{"Porosity", "???"}));
  EXPECT_EQ(w->m_UserFunctionPaths, (std::vector<std::string>{uf + "KSTQ.SO", uf + "kstq2.dll"}));
  EXPECT_TRUE(p2->UserFunctionCheck()->isEnabled());
  EXPECT_FALSE(p2->UserFunctionCheck()->isChecked());

  p2->UserFunctionCheck()->click();
  ASSERT_EQ(w->m_Result.curves.size(), 1u);
  EXPECT_EQ(w->m_Result.curves[0]->shortTitle, "POR");
  EXPECT_EQ(w->m_Result.userFunctionPath, uf + "KSTQ.SO");
  p2->FunctionList()->setCurrentIndex(1);
  p2->OnFunctionSelected();
  EXPECT_EQ(w->m_Result.userFunctionPath, uf + "kstq2.dll");
  EXPECT_TRUE(w->m_Result.curves.empty());
  p2->UserFunctionCheck()->click();
  EXPECT_EQ(w->m_Result.curves.size(), sondeCurves);

  p2->UserFunctionCheck()->click();
  ASSERT_TRUE(w->SetActivePage(0));
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_FALSE(p2->UserFunctionCheck()->isChecked());
  EXPECT_EQ(w->m_Result.curves.size(), sondeCurves);
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.userFunctionOn, 0);
}

TEST_F(LogWizardTest, UserFunctionOnWithoutSelectionBeepsAndClears) {
  Write(folder_ + "/Userfunction/KSTQ.INI", "[General]\r\nIdent=QUORVANTA\r\nUPName=Only\r\n");
  Write(folder_ + "/Userfunction/KSTQ.DLL", "");
  auto w = Open("KSTQ");
  ASSERT_TRUE(w->SetActivePage(1));
  CLogWizardPage2* p2 = w->Page2();
  p2->FunctionList()->setCurrentIndex(-1);
  p2->UserFunctionCheck()->click();
  EXPECT_EQ(beeps_, 1);
  EXPECT_FALSE(p2->UserFunctionCheck()->isChecked());
}

TEST_F(LogWizardTest, ToolsWithoutUserFunctionsOfferNone) {
  Write(folder_ + "/Userfunction/CBLS.INI", "[General]\r\nIdent=QUORVANTA\r\nUPName=Bond\r\n");
  Write(folder_ + "/Userfunction/CBLS.so", "");
  for (const char* sonde : {"CBLS", "KSTQ"}) {
    auto w = Open(sonde);
    ASSERT_TRUE(w->SetActivePage(1));
    EXPECT_FALSE(w->Page2()->UserFunctionCheck()->isEnabled()) << sonde;
    EXPECT_FALSE(w->Page2()->FunctionList()->isEnabled()) << sonde;
    EXPECT_EQ(w->Page2()->FunctionList()->count(), 0) << sonde;
  }
}

TEST_F(LogWizardTest, FiltersPerPhysicalChannel) {
  auto w = Open("TWCH");
  ASSERT_TRUE(w->SetActivePage(1));
  CLogWizardPage2* p2 = w->Page2();
  EXPECT_EQ(p2->ChannelSpin()->maximum(), 12);
  EXPECT_EQ(Items(p2->FilterType()),
            (std::vector<std::string>{"None", "Moving Average", "Median Filter", "Combined Filter"}));
  p2->WidthSpin()->setValue(25);
  EXPECT_EQ(p2->WidthNumber()->text().toStdString(), "51");
  p2->FilterType()->setCurrentIndex(2);
  p2->ChannelSpin()->setValue(12);
  EXPECT_EQ(p2->ChannelNumber()->text().toStdString(), "12");
  EXPECT_EQ(w->m_Result.filters[0].FilterWidth, 51);
  EXPECT_EQ(w->m_Result.filters[0].FilterType, 2);
  w->m_Result.filters[1].FilterWidth = 1;
  w->m_Result.filters[1].FilterType = 3;
  p2->WidthSpin()->setValue(3);
  p2->ChannelSpin()->setValue(2);
  EXPECT_EQ(p2->WidthSpin()->value(), 0);
  EXPECT_EQ(p2->WidthNumber()->text().toStdString(), "1");
  EXPECT_EQ(p2->FilterType()->currentIndex(), 3);
  EXPECT_EQ(w->m_Result.filters[11].FilterWidth, 7);
  p2->WidthSpin()->setValue(4);
  w->m_Result.filters[2].FilterType = 4;  // a kind the list does not offer
  p2->ChannelSpin()->setValue(3);
  EXPECT_EQ(w->m_Result.filters[1].FilterWidth, 9);
  EXPECT_EQ(p2->FilterType()->currentIndex(), -1);
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.filters[2].FilterType, 4);

  auto six = Open("KSTQ");
  ASSERT_TRUE(six->SetActivePage(1));
  EXPECT_EQ(six->Page2()->ChannelSpin()->maximum(), 6);
}

TEST_F(LogWizardTest, ImperialUnitsOfferTheFeetScales) {
  g_nDepthUnits = 1;
  auto w = Open("KSTQ");
  EXPECT_EQ(w->m_Result.depthScaleIndex, 1);
  EXPECT_EQ(w->Page1()->findChild<QLabel*>("2198")->text().toStdString(), "imperial");
  ASSERT_TRUE(w->SetActivePage(1));
  EXPECT_EQ(Items(w->Page2()->DepthScale()), (std::vector<std::string>{"1:60", "1:120", "1:240", "1:600", "1:1200"}));
  EXPECT_EQ(w->Page2()->DepthScale()->currentIndex(), 1);
  w->Page2()->DepthScale()->setCurrentIndex(4);
  ASSERT_TRUE(w->OnOK());
  EXPECT_EQ(w->m_Result.depthScaleIndex, 4);
}

}  // namespace
