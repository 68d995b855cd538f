// The free-pipe gate dialogs driven offscreen: their ranges, the pipe-size
// dialog that Escape does not close, and the settings dialog's OK, Cancel and
// "Set Default".
#include "tools/cementbond/fpg_dialogs.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"
#include "tests/tools/cementbond/cbl_test_support.h"

namespace {

void SetText(QLineEdit* edit, int value) {
  edit->setText(QString::number(value));
}

TEST(PipeSizeDialog, RangesAndNoWayOutButOK) {
  qvtest::App();
  struct Case {
    int id, value;
    bool closes;
  } cases[] = {
      {CPipeSize::kIdPipeDiameter, 10, true},   {CPipeSize::kIdPipeDiameter, 9, false},
      {CPipeSize::kIdPipeDiameter, 1000, true}, {CPipeSize::kIdPipeDiameter, 1001, false},
      {CPipeSize::kIdSondeDiameter, 9, false},  {CPipeSize::kIdSondeDiameter, 1000, true},
      {CPipeSize::kIdShortSpacing, 0, true},    {CPipeSize::kIdShortSpacing, 2001, false},
      {CPipeSize::kIdShortSpacing, 2000, true}, {CPipeSize::kIdLongSpacing, 4000, true},
      {CPipeSize::kIdLongSpacing, 4001, false}, {CPipeSize::kIdLongSpacing, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " = " + std::to_string(c.value));
    qv::MessageRecorder boxes;
    CPipeSize dlg;
    dlg.m_nPipeDiameter = 80;
    dlg.m_nSondeDiameter = 60;
    dlg.m_nShortSpacing = 915;
    dlg.m_nLongSpacing = 1525;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    SetText(dlg.Edit(c.id), c.value);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible()) << "Escape does not close it";
    dlg.findChild<QPushButton*>("1")->click();
    EXPECT_EQ(!dlg.isVisible(), c.closes);
    EXPECT_EQ(boxes.Shown().empty(), c.closes);
  }
  CPipeSize dlg;
  EXPECT_EQ(dlg.findChild<QPushButton*>("2"), nullptr) << "no Cancel button";
  EXPECT_EQ(dlg.windowTitle(), "Free Pipe Gate Calculation");
}

TEST(PipeSizeDialog, TheServiceAsksModally) {
  qvtest::App();
  qv::PipeSizeValues values{80, 60, 1525, 915};
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<CPipeSize*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    SetText(dlg->Edit(CPipeSize::kIdPipeDiameter), 120);
    dlg->findChild<QPushButton*>("1")->click();
  });
  PipeSizeDialogService().Ask(values);
  EXPECT_EQ(values.pipeDiameter, 120);
  EXPECT_EQ(values.shortSpacing, 915);
}

class FpgDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::App();
    doc.SetView(&view);
    doc.SetPipeSizeService(&pipe);
    doc.SetGates(FreePipeGate{80, 60, 915, 201, 233}, FreePipeGate{80, 60, 1525, 315, 347});
  }
  qv::CCBLDocument doc;
  cbltest::FakeView view;
  cbltest::PipeSizeAnswer pipe;
};

TEST_F(FpgDialogTest, ShowsTheGatesAsPositionAndWidth) {
  CFPGDialog dlg(&doc);
  dlg.show();
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdNearPosition)->text(), "201");
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdNearWidth)->text(), "32");
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdFarPosition)->text(), "315");
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdFarWidth)->text(), "32");
  EXPECT_EQ(dlg.windowTitle(), "Free Pipe Gate Settings");
}

TEST_F(FpgDialogTest, RangesOkAndCancel) {
  struct Case {
    int id, value;
    bool accepted;
  } cases[] = {{CFPGDialog::kIdNearPosition, 0, true},     {CFPGDialog::kIdNearPosition, 1000, true},
               {CFPGDialog::kIdNearPosition, 1001, false}, {CFPGDialog::kIdNearWidth, -1, false},
               {CFPGDialog::kIdFarPosition, 400, true},    {CFPGDialog::kIdFarWidth, 1001, false},
               {CFPGDialog::kIdFarWidth, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " = " + std::to_string(c.value));
    qv::MessageRecorder boxes;
    doc.SetGates(FreePipeGate{80, 60, 915, 201, 233}, FreePipeGate{80, 60, 1525, 315, 347});
    const int redraws = view.redraws;
    CFPGDialog dlg(&doc);
    dlg.show();
    SetText(dlg.Edit(c.id), c.value);
    dlg.findChild<QPushButton*>("1")->click();
    EXPECT_EQ(!dlg.isVisible(), c.accepted);
    const FreePipeGate n = doc.NearGate(), f = doc.FarGate();
    if (c.accepted) {
      EXPECT_EQ(view.redraws, redraws + 1);
      const int nearStart = c.id == CFPGDialog::kIdNearPosition ? c.value : 201;
      const int farStart = c.id == CFPGDialog::kIdFarPosition ? c.value : 315;
      EXPECT_EQ(n.GateStart, nearStart);
      EXPECT_EQ(f.GateStart, farStart);
      EXPECT_EQ(f.GateEnd, farStart + (c.id == CFPGDialog::kIdFarWidth ? c.value : 32));
      EXPECT_EQ(n.GateEnd, nearStart + 32);
    } else {
      EXPECT_EQ(n.GateStart, 201);
      EXPECT_EQ(f.GateEnd, 347);
      dlg.findChild<QPushButton*>("2")->click();
    }
  }
  // Cancel changes nothing.
  CFPGDialog dlg(&doc);
  dlg.show();
  SetText(dlg.Edit(CFPGDialog::kIdNearPosition), 500);
  dlg.findChild<QPushButton*>("2")->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(doc.NearGate().GateStart, 201);
}

TEST_F(FpgDialogTest, SetDefaultThenCancelKeepsTheNewGates) {
  doc.Setup().sondeAbbreviation = "dulm";
  CFPGDialog dlg(&doc);
  dlg.show();
  dlg.findChild<QPushButton*>(QString::number(CFPGDialog::kIdSetDefault))->click();
  EXPECT_EQ(pipe.asked, 1);
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdNearPosition)->text(), "162");
  EXPECT_EQ(dlg.Edit(CFPGDialog::kIdFarPosition)->text(), "237");
  dlg.findChild<QPushButton*>("2")->click();
  EXPECT_EQ(doc.NearGate().GateStart, 162);
  EXPECT_EQ(doc.FarGate().GateEnd, 269);
}

TEST_F(FpgDialogTest, Command1033ShowsTheSettingsModally) {
  EXPECT_EQ(qv::kIdFpgSettings, 1033);
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<CFPGDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    SetText(dlg->Edit(CFPGDialog::kIdFarWidth), 40);
    dlg->findChild<QPushButton*>("1")->click();
  });
  qv::OnFpgSettings(doc);
  EXPECT_EQ(doc.FarGate().GateEnd, 355);
}

}  // namespace
