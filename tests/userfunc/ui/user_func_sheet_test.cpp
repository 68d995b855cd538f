// The user-function tool driven offscreen on a copy of the shipped database:
// the selection page (New, Delete, the output count, Export and Import
// through the file dialogs) and the implementation page (load, save, and a
// build with the system compiler that runs while the window stays live).
#include "userfunc/ui/user_func_sheet.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "platform/docview/services.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"
#include "userfunc/user_function_build.h"
#include "userfunc/user_function_files.h"

namespace fs = std::filesystem;

namespace {

// A modal run as exec() has it: events are processed while the box is up.
void SpinLikeExec() {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
}

constexpr int kDisplayOptions = 1;
constexpr int kImplementation = 2;

class UserFuncSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::App();
    folder = fs::path(qv::test::TempDir("userfunc_ui"));
    fs::create_directories(folder / "SondeDB");
    fs::create_directories(folder / "Userfunction");
    fs::copy_file(fs::path(QV_PROGRAM_DIR) / "SondeDB" / "quorva.db", folder / "SondeDB" / "quorva.db");
    qv::SetProgramFolder(folder.string());
    g_strCurrentSonde = "KSTQ";
    g_strSondeSerialNo.clear();
    previousBox_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      SpinLikeExec();
      shown.push_back(r);
      if (answers.empty()) return qv::DefaultAnswer(r.flags);
      const int a = answers.front();
      answers.pop_front();
      return a;
    });
    previousFile_ = qv::SetFileDialogHandler([this](const qv::FileDialogRequest& r) {
      SpinLikeExec();
      requests.push_back(r);
      return chosen;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(previousBox_);
    qv::SetFileDialogHandler(previousFile_);
  }
  std::unique_ptr<CUserFuncSheet> Open() {
    auto sheet = std::make_unique<CUserFuncSheet>();
    sheet->m_BuildOptions.fragments = std::string(QV_PROGRAM_DIR) + "/Userfunction/bin";
    sheet->m_BuildOptions.checker = std::string(QV_PROGRAM_DIR) + "/quorva-ufcheck";
    sheet->EnsureInitialised();
    return sheet;
  }
  std::vector<std::string> Items(QListWidget* list) const {
    std::vector<std::string> v;
    for (int i = 0; i < list->count(); ++i) v.push_back(list->item(i)->text().toStdString());
    return v;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(folder / "Userfunction"))
      if (e.is_regular_file()) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
  std::vector<unsigned> Ids() const {
    std::vector<unsigned> ids;
    for (const auto& r : shown) ids.push_back(r.id);
    return ids;
  }
  std::string Uf(const std::string& name) const { return (folder / "Userfunction" / name).string(); }

  fs::path folder;
  std::vector<qv::MessageBoxRequest> shown;
  std::deque<int> answers;
  std::vector<qv::FileDialogRequest> requests;
  std::string chosen;
  qv::MessageBoxHandler previousBox_;
  qv::FileDialogHandler previousFile_;
};

TEST_F(UserFuncSheetTest, OpensOnTheCurrentSondeWithItsInputs) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  EXPECT_EQ(sheet->windowTitle().toStdString(), "User Function Tool");
  EXPECT_TRUE(p->SondeCombo()->currentText().startsWith("KSTQ"));
  EXPECT_NE(p->SondeCombo()->findText("*** All sondes ***"), -1);
  EXPECT_EQ(sheet->m_Record.Abbrev, "KSTQ");
  EXPECT_EQ(sheet->m_Record.Inputs, 6u);
  EXPECT_EQ(p->InputsText()->text().toStdString(), "6");
  EXPECT_EQ(p->FunctionList()->count(), 0);
  EXPECT_FALSE(p->DeleteButton()->isEnabled());
}

TEST_F(UserFuncSheetTest, ToolsUserFunctionsRunsTheSheet) {
  std::vector<std::string> tabs;
  qv::InstallUserFunctionTool([&](CUserFuncSheet& sheet) {
    SpinLikeExec();
    for (int i = 0; i < sheet.PageCount(); ++i) tabs.push_back(sheet.Tabs()->tabText(i).toStdString());
  });
  ASSERT_TRUE(Tools().userFunctions);
  Tools().userFunctions();
  Tools().userFunctions = nullptr;
  EXPECT_EQ(tabs, (std::vector<std::string>{"Selection", "Display Options", "Implementation"}));
}

TEST_F(UserFuncSheetTest, NewWritesTheFunctionAndASecondGetsTheNextNameAndNumber) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  p->OnNew();
  EXPECT_EQ(Items(p->FunctionList()), (std::vector<std::string>{"KSTQ UserFunction"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"KSTQ0.ini"}));
  EXPECT_EQ(p->OutputsEdit()->text().toStdString(), "6");
  p->OnNew();
  EXPECT_EQ(Items(p->FunctionList()), (std::vector<std::string>{"KSTQ UserFunction", "KSTQ UserFunction1"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"KSTQ0.ini", "KSTQ1.ini"}));
  EXPECT_EQ(sheet->m_Record.FileName, Uf("KSTQ1.Src"));
  // "*** All sondes ***": New is off and every function is listed.
  QComboBox* combo = p->SondeCombo();
  combo->setCurrentIndex(combo->findText("*** All sondes ***"));
  p->OnSelectSonde();
  EXPECT_FALSE(p->NewButton()->isEnabled());
  EXPECT_EQ(p->FunctionList()->count(), 2);
}

// With numbers 0 to 99 of the sonde taken, New says so and writes nothing:
// no function is overwritten, the sheet stays open.
TEST_F(UserFuncSheetTest, NewWithEveryNumberTakenWritesNothing) {
  for (int n = 0; n < 100; ++n)
    std::ofstream(Uf("KSTQ" + std::to_string(n) + ".ini"))
        << "[General]\r\nIdent=QUORVANTA\r\nSondeAbbreviation=KSTQ\r\nUPName=F" << n << "\r\n";
  const std::vector<std::string> before = Names();
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  const int listed = p->FunctionList()->count();
  shown.clear();
  p->OnNew();
  EXPECT_EQ(Ids(), std::vector<unsigned>{36430});
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(p->FunctionList()->count(), listed);
  EXPECT_EQ(sheet->result(), 0);
}

TEST_F(UserFuncSheetTest, AMultiLineCommentStaysOneKeyOfTheIni) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  p->OnNew();
  const std::uint32_t sondeId = sheet->m_Record.SondeID;
  p->CommentEdit()->setPlainText("first line\nSondeID=99\n[Channel1]");
  ASSERT_TRUE(sheet->OnOK());
  UserFunctionRecord record;
  CurveArray curves;
  ASSERT_EQ(LoadUserFunctionIni(Uf("KSTQ0.ini"), &curves, &record), 1);
  EXPECT_EQ(record.Comment, "first line SondeID=99 [Channel1]");
  EXPECT_EQ(record.SondeID, sondeId);
  EXPECT_EQ(curves.size(), 6u);
}

TEST_F(UserFuncSheetTest, DeleteRemovesTheFilesInAnyLetterCase) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  p->OnNew();
  // Files as they come from Windows, beside the new INI.
  fs::rename(Uf("KSTQ0.ini"), Uf("KSTQ0.INI"));
  ASSERT_TRUE(qv::WriteFileAtomically(Uf("KSTQ0.SRC"), "OUT1 = IN1;\r\n"));
  ASSERT_TRUE(qv::WriteFileAtomically(Uf("KSTQ0.DLL"), "lib"));
  ASSERT_TRUE(qv::WriteFileAtomically(Uf("KSTQ1.Src"), "another function"));
  p->OnSelectSonde();
  ASSERT_EQ(p->FunctionList()->count(), 1);
  answers = {qv::IDNO};
  p->OnRemove();
  EXPECT_EQ(Names().size(), 4u);
  answers = {qv::IDYES};
  p->OnRemove();
  EXPECT_EQ(Names(), (std::vector<std::string>{"KSTQ1.Src"}));
  EXPECT_EQ(p->FunctionList()->count(), 0);
  EXPECT_EQ(Ids(), (std::vector<unsigned>{32396, 32396}));
}

TEST_F(UserFuncSheetTest, OutputCountEightToFiveToEightOnLeavingThePage) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  p->OnNew();
  const auto leaveWith = [&](const char* outputs) {
    p->OutputsEdit()->setText(outputs);
    p->OutputsEdit()->textEdited(outputs);
    return sheet->SetActivePage(kDisplayOptions);
  };
  const auto channels = [&] {
    std::vector<int> v;
    for (const auto& c : sheet->m_Outputs) v.push_back(c->physicalChannel);
    return v;
  };
  ASSERT_TRUE(leaveWith("8"));
  EXPECT_EQ(channels(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_TRUE(sheet->SetActivePage(0));
  ASSERT_TRUE(leaveWith("5"));
  EXPECT_EQ(channels(), (std::vector<int>{1, 2, 3, 4, 5}));
  // The INI holds what the page left.
  CurveArray stored;
  UserFunctionRecord record;
  ASSERT_EQ(LoadUserFunctionIni(Uf("KSTQ0.ini"), &stored, &record), 1);
  EXPECT_EQ(record.Outputs, 5u);
  EXPECT_EQ(stored.size(), 5u);
  ASSERT_TRUE(sheet->SetActivePage(0));
  ASSERT_TRUE(leaveWith("8"));
  EXPECT_EQ(channels(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  // Out of range: the validation message keeps the user on the page.
  ASSERT_TRUE(sheet->SetActivePage(0));
  shown.clear();
  for (const char* bad : {"0", "13", "x"}) {
    EXPECT_FALSE(leaveWith(bad)) << bad;
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
  }
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_EQ(channels().size(), 8u);
}

TEST_F(UserFuncSheetTest, ExportThenImportThroughTheDialogs) {
  auto sheet = Open();
  CUserFuncPage1* p = sheet->Page1();
  p->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  sheet->Page2()->Editor()->setPlainText("OUT1 = IN2;");
  ASSERT_TRUE(sheet->Page2()->SaveSource());
  ASSERT_TRUE(sheet->SetActivePage(0));
  const std::string package = (folder / "moved.ufn").string();
  chosen = package;
  p->OnExport();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].open);
  EXPECT_EQ(requests[0].filter, "User Function (*.ufn)|*.ufn||");
  ASSERT_TRUE(fs::exists(package));
  const std::string source = qv::test::FileBytes(Uf("KSTQ0.Src"));
  // Gone here, then back from the package.
  answers = {qv::IDYES};
  p->OnRemove();
  ASSERT_EQ(p->FunctionList()->count(), 0);
  p->OnImport();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[1].open);
  EXPECT_EQ(Items(p->FunctionList()), (std::vector<std::string>{"KSTQ UserFunction"}));
  EXPECT_EQ(qv::test::FileBytes(Uf("KSTQ0.Src")), source);
  EXPECT_EQ(Ids(), (std::vector<unsigned>{32397, 32396, 32400}));
  // A cancelled dialog does nothing.
  chosen.clear();
  p->OnImport();
  p->OnExport();
  EXPECT_EQ(shown.size(), 3u);
}

TEST_F(UserFuncSheetTest, ImplementationPageLoadsTheDefaultAndAsksBeforeLeaving) {
  auto sheet = Open();
  // No function: the page sends the user back to the selection.
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  qvtest::Settle();
  EXPECT_EQ(sheet->GetActiveIndex(), 0);
  sheet->Page1()->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  CUserFuncPage2* p2 = sheet->Page2();
  const std::string text = p2->Editor()->toPlainText().toStdString();
  EXPECT_NE(text.find("Identifiers:"), std::string::npos);
  EXPECT_NE(text.find("OUT6 = IN6;"), std::string::npos);
  EXPECT_EQ(text.find("OUT7"), std::string::npos);
  EXPECT_TRUE(p2->CompileButton()->isEnabled());
  EXPECT_FALSE(p2->SaveButton()->isEnabled());
  p2->Editor()->setPlainText("OUT1 = 2 * IN1;");
  EXPECT_TRUE(p2->SaveButton()->isEnabled());
  // No keeps the old source (there is none yet).
  answers = {qv::IDNO};
  ASSERT_TRUE(sheet->SetActivePage(0));
  EXPECT_EQ(shown.back().id, 32290u);
  EXPECT_FALSE(fs::exists(Uf("KSTQ0.Src")));
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  p2->Editor()->setPlainText("OUT1 = 2 * IN1;");
  answers = {qv::IDYES};
  ASSERT_TRUE(sheet->SetActivePage(0));
  ASSERT_TRUE(fs::exists(Uf("KSTQ0.Src")));
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  EXPECT_EQ(p2->Editor()->toPlainText().toStdString(), "OUT1 = 2 * IN1;");  // back as it was typed
}

TEST_F(UserFuncSheetTest, CompileBuildsTheLibraryWhileTheWindowStaysLive) {
  if (qv::FindUserFunctionCompiler().empty()) GTEST_SKIP() << "no gcc on the PATH";
  auto sheet = Open();
  sheet->Page1()->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kImplementation));
  CUserFuncPage2* p2 = sheet->Page2();
  // A timer that fires while the build runs shows the GUI thread is free.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  p2->OnCompile();
  EXPECT_TRUE(p2->Building());
  EXPECT_FALSE(p2->CompileButton()->isEnabled());
  // The page cannot be left, nor the sheet closed, while the build runs.
  int beeps = 0;
  auto previousBeep = qv::SetBeepHandler([&](unsigned) { ++beeps; });
  sheet->show();
  EXPECT_FALSE(sheet->SetActivePage(0));
  sheet->close();
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(beeps, 2);
  qv::SetBeepHandler(previousBeep);
  QElapsedTimer clock;
  clock.start();
  while (p2->Building() && clock.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_FALSE(p2->Building());
  EXPECT_GT(ticks, 0);
  EXPECT_TRUE(sheet->m_bBuildSucceeded);
  EXPECT_TRUE(p2->CompileButton()->isEnabled());
  EXPECT_TRUE(fs::exists(Uf("KSTQ0.so")));
  EXPECT_EQ(shown.back().id, 32341u);
}

std::vector<std::string> GridColumn(QTableWidget* t, int c) {
  std::vector<std::string> v;
  for (int r = 0; r < t->rowCount(); ++r) v.push_back(t->item(r, c) ? t->item(r, c)->text().toStdString() : "");
  return v;
}

TEST_F(UserFuncSheetTest, DisplayOptionsShowSixOutputsInTreeAndGrid) {
  auto sheet = Open();
  sheet->Page1()->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kDisplayOptions));
  CUserFuncPage3* p3 = sheet->Page3();
  EXPECT_EQ(sheet->Tabs()->tabText(1).toStdString(), "Display Options");
  QTreeWidgetItem* root = p3->Tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0).toStdString(), "Output Channels");
  EXPECT_EQ(root->childCount(), 6);
  EXPECT_EQ(p3->NameEdit()->text().toStdString(), "Output Channel 0");
  EXPECT_EQ(p3->MaximumEdit()->text().toStdString(), "10000.00");
  QTableWidget* t = p3->GridWidget();
  EXPECT_EQ(GridColumn(t, 0),
            (std::vector<std::string>{"Track 1", "Output Channel 0", "Output Channel 3", "", "", "", ""}));
  EXPECT_EQ(GridColumn(t, 1), (std::vector<std::string>{"Depth", "", "", "", "", "", ""}));
  EXPECT_EQ(GridColumn(t, 3),
            (std::vector<std::string>{"Track 3", "Output Channel 2", "Output Channel 5", "", "", "", ""}));
}

TEST_F(UserFuncSheetTest, DisplaySettingsReachTheIni) {
  auto sheet = Open();
  sheet->Page1()->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kDisplayOptions));
  CUserFuncPage3* p3 = sheet->Page3();
  // The colour dialog answers like a user would, inside its own event loop.
  auto previous = curveview::SetDialogRunner([](QDialog& d) {
    SpinLikeExec();
    if (auto* c = dynamic_cast<QColorDialog*>(&d)) c->setCurrentColor(QColor(0x12, 0x34, 0x56));
    d.setResult(QDialog::Accepted);
    return d.result();
  });
  p3->OnChangeColour();
  curveview::SetDialogRunner(previous);
  EXPECT_EQ(p3->Colour(), 0x00563412u);
  p3->StrengthSpin()->setValue(25);
  EXPECT_EQ(p3->StrengthText()->text().toStdString(), "51");
  p3->FilterCombo()->setCurrentIndex(2);
  p3->ReverseScale()->setChecked(true);
  p3->MinimumEdit()->setText("5");
  p3->MaximumEdit()->setText("50");
  p3->ShortEdit()->setText("RATIO");
  // The second output: a maximum below the minimum keeps the old range.
  p3->Tree()->setCurrentItem(p3->Tree()->topLevelItem(0)->child(1));
  p3->MinimumEdit()->setText("20");
  p3->MaximumEdit()->setText("10");
  ASSERT_TRUE(sheet->SetActivePage(0));

  CurveArray curves;
  ASSERT_EQ(LoadUserFunctionIni(Uf("KSTQ0.ini"), &curves, nullptr), 1);
  UserFunctionFilter filters[kUserFunctionFilterTableSize]{};
  ReadUserFunctionFilters(Uf("KSTQ0.ini"), filters);
  ASSERT_EQ(curves.size(), 6u);
  EXPECT_EQ(curves[0]->lineColour, 0x00563412u);
  EXPECT_EQ(curves[0]->scaleFlag, 0);
  EXPECT_FLOAT_EQ(curves[0]->scaleMinimum, 5.0f);
  EXPECT_FLOAT_EQ(curves[0]->scaleMaximum, 50.0f);
  EXPECT_EQ(curves[0]->shortTitle, "RATIO");
  EXPECT_EQ(filters[0].FilterType, 2);
  EXPECT_EQ(filters[0].FilterWidth, 51);
  EXPECT_EQ(curves[1]->scaleFlag, 1);
  EXPECT_FLOAT_EQ(curves[1]->scaleMinimum, 0.0f);
  EXPECT_FLOAT_EQ(curves[1]->scaleMaximum, 10000.0f);
  // Back on the page, the stored settings show again.
  ASSERT_TRUE(sheet->SetActivePage(kDisplayOptions));
  EXPECT_EQ(p3->StrengthSpin()->value(), 25);
  EXPECT_EQ(p3->FilterCombo()->currentIndex(), 2);
  EXPECT_TRUE(p3->ReverseScale()->isChecked());
}

TEST_F(UserFuncSheetTest, GridClicksHideAnOutputAndBeepOnRefusedCells) {
  auto sheet = Open();
  sheet->Page1()->OnNew();
  ASSERT_TRUE(sheet->SetActivePage(kDisplayOptions));
  CUserFuncPage3* p3 = sheet->Page3();
  int beeps = 0;
  auto previous = qv::SetBeepHandler([&](unsigned) { ++beeps; });
  p3->OnGridClick(3, 1);  // the depth column
  EXPECT_EQ(beeps, 1);
  p3->OnGridClick(1, 0);  // its own cell: hidden, output 4 moves up
  EXPECT_EQ(beeps, 1);
  EXPECT_FALSE(p3->VisibleCheck()->isChecked());
  EXPECT_EQ(GridColumn(p3->GridWidget(), 0)[1], "Output Channel 3");
  p3->OnGridClick(4, 2);  // placed into track 2, laid out in output order
  EXPECT_TRUE(p3->VisibleCheck()->isChecked());
  EXPECT_EQ(GridColumn(p3->GridWidget(), 2)[1], "Output Channel 0");
  qv::SetBeepHandler(previous);
  ASSERT_TRUE(sheet->SetActivePage(0));
  CurveArray curves;
  ASSERT_EQ(LoadUserFunctionIni(Uf("KSTQ0.ini"), &curves, nullptr), 1);
  EXPECT_EQ(curves[0]->firstTrack, 2);
  EXPECT_EQ(curves[0]->headerLine, 0);
  EXPECT_EQ(curves[1]->headerLine, 1);
  EXPECT_EQ(curves[3]->headerLine, 0);
}

}  // namespace
