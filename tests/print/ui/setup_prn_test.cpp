// The Real Time Printer Setup dialog on the offscreen platform: its widgets
// follow the set-up's logic, Test Printer prints on the port just clicked, a
// failed test page ends with the printer error box posted to the GUI thread,
// and File/Real Time Printer Setup opens the dialog.
#include "print/ui/setup_prn.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QImage>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "app/ui/sources.h"
#include "platform/text/msgbox.h"
#include "print/ui/printer_error.h"
#include "print/ui/setup_command.h"
#include "tests/print/recorder/recorder_fixture.h"
#include "tests/support/qt_app.h"

namespace qvtest {
namespace {

class SetupPrnDialog : public RecorderTest {
 protected:
  void SetUp() override {
    App();
    RecorderTest::SetUp();
    saved = {g_nRealTimePrinter, g_nRecorderPort, g_bFormMarkDetect};
    g_nRealTimePrinter = 0;
    g_nRecorderPort = 1;
    g_bFormMarkDetect = 1;
    qv::SetParallelPortOpener([this](int lpt) {
      lpts.push_back(lpt);
      return std::make_unique<LoggedPort>(log);
    });
    qv::SetBeepHandler([this](unsigned) { ++beeps; });
  }
  void TearDown() override {
    qv::SetBeepHandler(nullptr);
    g_nRealTimePrinter = saved[0];
    g_nRecorderPort = saved[1];
    g_bFormMarkDetect = saved[2];
    Settle();
    RecorderTest::TearDown();
  }
  std::vector<int> saved;
  std::vector<int> lpts;
  int beeps = 0;
};

TEST_F(SetupPrnDialog, WidgetsFollowTheSetupAndTestPrinterUsesTheClickedPort) {
  CSetupPrn dlg;
  dlg.EnsureInitialised();
  EXPECT_EQ(dlg.windowTitle(), "Real Time Printer Setup");
  EXPECT_TRUE(dlg.Control(IDC_LPT1)->isChecked());
  EXPECT_TRUE(dlg.Control(IDC_GULTON)->isChecked());
  EXPECT_FALSE(dlg.Control(IDC_FOLD_MARKS)->isEnabled());
  EXPECT_EQ(dlg.Control(IDC_FOLD_MARKS)->text(), "Detect Fold Marks");
  dlg.Control(IDC_LPT2)->click();
  EXPECT_TRUE(dlg.Control(IDC_LPT2)->isChecked());
  EXPECT_FALSE(dlg.Control(IDC_LPT1)->isChecked()) << "one radio of a group";
  dlg.Control(IDC_TEST_PRINTER)->click();
  EXPECT_EQ(lpts, std::vector<int>{2});
  EXPECT_EQ(DecodeCapture(log->Bytes(), 0).lines.size(), 400u);
  auto* cancel = dlg.findChild<QAbstractButton*>("2");
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(g_nRecorderPort, 1);
  // The dialog draws its controls.
  QImage shot(dlg.sizeHint(), QImage::Format_RGB32);
  dlg.resize(dlg.sizeHint());
  dlg.render(&shot);
  EXPECT_FALSE(shot.isNull());
}

TEST_F(SetupPrnDialog, WhileARecorderPrintsPortModelAndTestAreLocked) {
  CGulton printing(0, kPrintPlot, 0, linear, 200, 0, 0);
  lpts.clear();
  CSetupPrn dlg;
  dlg.EnsureInitialised();
  for (int id : {IDC_LPT1, IDC_LPT2, IDC_LPT3, IDC_GULTON, IDC_PRINTREX_820, IDC_PRINTREX_840, IDC_TEST_PRINTER})
    EXPECT_FALSE(dlg.Control(id)->isEnabled()) << id;
  EXPECT_TRUE(dlg.Control(IDC_APPLY)->isEnabled());
  dlg.OnTestPrinter();
  EXPECT_TRUE(lpts.empty());
}

TEST_F(SetupPrnDialog, AFailedTestPageEndsWithThePrinterErrorBox) {
  qv::MessageRecorder boxes;
  log->failAt = 1;
  CSetupPrn dlg;
  dlg.EnsureInitialised();
  dlg.OnTestPrinter();
  EXPECT_TRUE(boxes.Shown().empty()) << "the box is posted, not shown by the caller";
  EXPECT_EQ(RecordersInUse(), 0);
  Settle();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const qv::MessageBoxRequest box = boxes.Shown()[0];
  EXPECT_EQ(box.id, kStrPrinterCommunicationError);
  EXPECT_EQ(box.text,
            "Printer communication error !\nPlease check paper and connections !\nPlease turn off / on the printer to "
            "delete the buffer and try again !");
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.flags & qv::MB_ICONSTOP, qv::MB_ICONSTOP);
  EXPECT_EQ(beeps, 1);
}

TEST_F(SetupPrnDialog, ThePrinterErrorBoxComesFromAWorkerWithoutWaiting) {
  qv::MessageRecorder boxes;
  std::thread worker([] { EXPECT_EQ(PrinterErrorThread(nullptr), 1); });
  worker.join();  // returned before any box was shown
  EXPECT_TRUE(boxes.Shown().empty());
  Settle();
  EXPECT_EQ(boxes.Ids(), std::vector<unsigned>{kStrPrinterCommunicationError});
}

class NoIdleApp : public CPemmaroApp {
 public:
  void OpenIdleDocument() override {}
};

TEST_F(SetupPrnDialog, FileRealTimePrinterSetupOpensTheDialog) {
  Sources().sondeList = [] { return std::vector<std::string>{}; };
  auto app = std::make_unique<NoIdleApp>();
  auto* frame = new CMainFrame;
  ASSERT_TRUE(frame->Create());
  app->SetMainFrame(frame);
  std::vector<std::string> runs;
  qv::InstallRealTimePrinterSetup([&](QDialog& dialog) {
    runs.push_back(std::string(dialog.metaObject()->className()) + " " + dialog.windowTitle().toStdString());
    return static_cast<int>(QDialog::Rejected);
  });
  QAction* action = frame->FindAction(ID_REALTIME_PRINTER_SETUP);
  ASSERT_NE(action, nullptr);
  action->trigger();
  EXPECT_EQ(runs, std::vector<std::string>{"CSetupPrn Real Time Printer Setup"});
  Tools().realTimePrinterSetup = nullptr;
  delete frame;
  app.reset();
  UseDatabaseSources();
  Settle();
}

}  // namespace
}  // namespace qvtest
