#include "print/page/print_settings.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>

#include "platform/text/msgbox.h"
#include "print/page/print_dialog.h"
#include "print/page/print_dialog_controller.h"
#include "tests/support/qt_app.h"

namespace {

using namespace qv::print;

TEST(PrintSettingsDefaults, InitWritesEveryDefault) {
  PrintSettings s;
  s.orientation = 2;
  s.scale = 7;
  s.left = s.width = s.top = s.height = 1;
  s.firstLogPage = 9;
  s.channelOffsets.fill(3);
  s.continuousMode = 0, s.fitToPage = 1, s.headerPage = 0, s.separatePages = 1, s.formMarks = 0,
  s.calibrationDetails = 1, s.colourDevice = 1;
  s.mmPerPixel = s.inchPerPixel = 1.0;
  s.printDepth = s.printEndDepth = 5;
  InitPrintSettings(&s);
  EXPECT_EQ(s.orientation, 1);
  EXPECT_EQ(s.scale, 100);
  EXPECT_EQ(s.left, 100);
  EXPECT_EQ(s.width, 100);
  EXPECT_EQ(s.top, 100);
  EXPECT_EQ(s.height, 100);
  EXPECT_EQ(s.firstLogPage, 2);
  for (int o : s.channelOffsets) EXPECT_EQ(o, 0);
  EXPECT_EQ(s.continuousMode, 1);
  EXPECT_EQ(s.fitToPage, 0);
  EXPECT_EQ(s.headerPage, 1);
  EXPECT_EQ(s.separatePages, 0);
  EXPECT_EQ(s.formMarks, 1);
  EXPECT_EQ(s.calibrationDetails, 0);
  EXPECT_EQ(s.colourDevice, 0);
  EXPECT_EQ(s.mmPerPixel, 0.0);
  EXPECT_EQ(s.inchPerPixel, 0.0);
  EXPECT_EQ(s.printDepth, 0);
  EXPECT_EQ(s.printEndDepth, 0);
  InitPrintSettings(nullptr);  // ignored
}

// An A4 sheet with a 50-dot (100 at 600 dpi) unprintable edge.
PrinterCaps A4(int dpi) {
  PrinterCaps c;
  c.logPixelsX = c.logPixelsY = dpi;
  c.physicalWidth = dpi == 300 ? 2480 : 4961;
  c.physicalHeight = dpi == 300 ? 3508 : 7016;
  c.physicalOffsetX = c.physicalOffsetY = dpi / 6;
  c.horzRes = c.physicalWidth - 2 * c.physicalOffsetX;
  c.vertRes = c.physicalHeight - 2 * c.physicalOffsetY;
  return c;
}

TEST(PrintSettingsGeometry, PageAndContinuousModeAt300And600Dpi) {
  struct Case {
    int dpi;
    int continuous;
    int top, height, left, width;
  } cases[] = {
      // 10 mm = 118 dots and 20 mm = 236 at 300 dpi; 236 and 472 at 600.
      {300, 0, 118 - 50, 3508 - 236, 236 - 50, 2480 - 236 - 118},
      {600, 0, 236 - 100, 7016 - 472, 472 - 100, 4961 - 472 - 236},
      {300, 1, 0, 3408, 0, 2380},
      {600, 1, 0, 6816, 0, 4761},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dpi << " dpi, continuous " << c.continuous);
    PrintSettings s;
    s.continuousMode = c.continuous;
    ASSERT_TRUE(ComputePageGeometry(s, A4(c.dpi), true));
    EXPECT_EQ(s.top, c.top);
    EXPECT_EQ(s.height, c.height);
    EXPECT_EQ(s.left, c.left);
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.mmPerPixel, double(25.4f) / c.dpi);  // the single-precision factor, widened
    EXPECT_NE(s.mmPerPixel, 25.4 / c.dpi);
    EXPECT_EQ(s.inchPerPixel, 1.0 / c.dpi);
  }
}

TEST(PrintSettingsGeometry, FirstLogPageAndColour) {
  struct Case {
    int header, calibration;
    bool viewHasCalibrationPage;
    int firstLogPage;
  } cases[] = {{1, 0, true, 2}, {0, 0, true, 1}, {1, 1, true, 3}, {0, 1, true, 2}, {1, 1, false, 2}};
  for (const Case& c : cases) {
    PrintSettings s;
    s.headerPage = c.header;
    s.calibrationDetails = c.calibration;
    ComputePageGeometry(s, A4(300), c.viewHasCalibrationPage);
    EXPECT_EQ(s.firstLogPage, c.firstLogPage) << c.header << c.calibration << c.viewHasCalibrationPage;
  }
  PrinterCaps caps = A4(300);
  PrintSettings s;
  ComputePageGeometry(s, caps, false);
  EXPECT_EQ(s.colourDevice, 0);
  caps.bitsPixel = 24;
  ComputePageGeometry(s, caps, false);
  EXPECT_EQ(s.colourDevice, 1);
  caps.bitsPixel = 1;
  caps.numColors = 8;
  ComputePageGeometry(s, caps, false);
  EXPECT_EQ(s.colourDevice, 1);
  // A device without a resolution changes nothing (no division by zero).
  PrintSettings untouched;
  EXPECT_FALSE(ComputePageGeometry(untouched, PrinterCaps{}, false));
  EXPECT_EQ(untouched.height, 100);
}

TEST(PrintSettingsGeometry, CapsOfAPdfPrinter) {
  qvtest::App();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(300);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageMargins(QMarginsF(5, 6, 5, 6), QPageLayout::Millimeter);
  PrinterCaps caps = CapsOf(printer);
  EXPECT_EQ(caps.logPixelsY, 300);
  EXPECT_NEAR(caps.physicalWidth, 2480, 1);
  EXPECT_NEAR(caps.physicalHeight, 3508, 1);
  EXPECT_NEAR(caps.physicalOffsetX, 59, 1);  // 5 mm
  EXPECT_NEAR(caps.physicalOffsetY, 71, 1);  // 6 mm
  EXPECT_EQ(caps.horzRes, caps.physicalWidth - 2 * caps.physicalOffsetX);
  EXPECT_EQ(OrientationOf(printer), 1);
  SetOrientation(printer, 2);
  EXPECT_EQ(OrientationOf(printer), 2);
  EXPECT_GT(CapsOf(printer).physicalWidth, CapsOf(printer).physicalHeight);
}

// ---- the dialog's options

PrintSettings Settings(int scale) {
  PrintSettings s;
  s.scale = scale;
  return s;
}

TEST(PrintDialogControllerTest, ScaleShownClampedOrFixed) {
  struct Case {
    int settingsScale;
    bool fixed;
    const char* shown;
    bool visible;
  } cases[] = {{0, false, "1", true},       {-5, false, "1", true},    {5000, false, "1000", true},
               {1000, false, "1000", true}, {250, false, "250", true}, {250, true, "1", false}};
  for (const Case& c : cases) {
    PrintSettings s = Settings(c.settingsScale);
    PrintDialogController dlg(c.fixed);
    dlg.settings = &s;
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_EQ(dlg.controls.scaleText, c.shown) << c.settingsScale;
    EXPECT_EQ(dlg.controls.scaleVisible, c.visible);
  }
}

TEST(PrintDialogControllerTest, OkChecksTheScaleRange) {
  struct Case {
    const char* typed;
    bool accepted;
    int stored;
    unsigned boxId;
    const char* boxText;
  } cases[] = {
      {"1100", true, 1100, 0, ""},
      {"1", true, 1, 0, ""},
      {"1200", true, 1200, 0, ""},
      {"1300", false, 250, 0, "Please enter a whole number from 1 to 1200."},
      {"0", false, 250, 0, "Please enter a whole number from 1 to 1200."},
      {"", false, 250, 61712, "Please enter a whole number."},
      {"12a", false, 250, 61712, "Please enter a whole number."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    PrintSettings s = Settings(250);
    s.headerPage = 1;
    PrintDialogController dlg(false);
    dlg.settings = &s;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.controls.scaleText = c.typed;
    dlg.controls.headerPage = 0;
    qv::MessageRecorder boxes;
    EXPECT_EQ(dlg.OnOK(), c.accepted);
    EXPECT_EQ(s.scale, c.stored);
    EXPECT_EQ(s.headerPage, c.accepted ? 0 : 1);  // a refused OK changes nothing
    if (c.accepted) {
      EXPECT_TRUE(boxes.Shown().empty());
    } else {
      ASSERT_EQ(boxes.Shown().size(), 1u);
      EXPECT_EQ(boxes.Shown()[0].text, c.boxText);
      EXPECT_EQ(boxes.Shown()[0].id, c.boxId);
    }
  }
}

TEST(PrintDialogControllerTest, FixedScaleStoresOne) {
  PrintSettings s = Settings(400);
  PrintDialogController dlg(true);
  dlg.settings = &s;
  ASSERT_TRUE(dlg.OnInitDialog());
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(s.scale, 1);
}

TEST(PrintDialogControllerTest, FormMarksRecheckedOnEveryOpening) {
  PrintSettings s;
  {
    PrintDialogController dlg(false);
    dlg.settings = &s;
    dlg.OnInitDialog();
    dlg.controls.formMarks = 0;
    ASSERT_TRUE(dlg.OnOK());
    EXPECT_EQ(s.formMarks, 0);
  }
  PrintDialogController again(false);
  again.settings = &s;
  again.OnInitDialog();
  EXPECT_EQ(again.controls.formMarks, 1);
}

TEST(PrintDialogControllerTest, FitAndSeparateOfferedByChainAndFitDisablesScale) {
  PrintSettings s;
  s.fitToPage = 1;
  s.separatePages = 1;
  PrintDialogController single(false);
  single.settings = &s;
  single.OnInitDialog();
  EXPECT_TRUE(single.controls.fitEnabled);
  EXPECT_FALSE(single.controls.separateEnabled);
  EXPECT_TRUE(single.controls.scaleEnabled);  // preset fit leaves the edit enabled until clicked
  EXPECT_EQ(single.controls.fitToPage, 1);
  single.OnFitToPage(false);
  EXPECT_TRUE(single.controls.scaleEnabled);
  single.OnFitToPage(true);
  EXPECT_FALSE(single.controls.scaleEnabled);

  PrintDialogController chained(false);
  chained.settings = &s;
  chained.chain = 1;
  chained.OnInitDialog();
  EXPECT_FALSE(chained.controls.fitEnabled);
  EXPECT_TRUE(chained.controls.separateEnabled);

  PrintDialogController none(false);
  EXPECT_FALSE(none.OnInitDialog());  // no settings: the dialog ends as cancelled
  EXPECT_FALSE(none.OnOK());
}

// The Qt dialog mirrors the controller into its controls and back.
TEST(PrintDialogWidget, OptionsPageFollowsTheController) {
  qvtest::App();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  PrintSettings s = Settings(5000);
  s.calibrationDetails = 1;
  s.formMarks = 0;
  CQVPrintDlg dlg(&printer, false);
  dlg.SetSettings(&s);
  ASSERT_TRUE(dlg.OnInitDialog());
  QWidget* page = dlg.OptionsPage();
  auto* scale = page->findChild<QLineEdit*>("scale");
  auto* fit = page->findChild<QCheckBox*>("fitToPage");
  ASSERT_TRUE(scale && fit);
  EXPECT_EQ(scale->text(), "1000");
  EXPECT_TRUE(page->findChild<QCheckBox*>("formMarks")->isChecked());
  EXPECT_TRUE(page->findChild<QCheckBox*>("calibrationDetails")->isChecked());
  EXPECT_FALSE(page->findChild<QCheckBox*>("separatePages")->isEnabled());
  fit->click();
  EXPECT_FALSE(scale->isEnabled());
  fit->click();
  EXPECT_TRUE(scale->isEnabled());

  qv::MessageRecorder boxes;
  scale->setText("1300");
  dlg.accept();
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(s.scale, 5000);
  scale->setText("1100");
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(s.scale, 1100);
  EXPECT_EQ(s.formMarks, 1);

  CQVPrintDlg fixed(&printer, true);
  fixed.SetSettings(&s);
  ASSERT_TRUE(fixed.OnInitDialog());
  EXPECT_TRUE(fixed.OptionsPage()->findChild<QLineEdit*>("scale")->isHidden());
  CQVPrintDlg orphan(&printer, false);
  EXPECT_EQ(orphan.exec(), QDialog::Rejected);  // no settings: ends without a modal loop
}

}  // namespace
