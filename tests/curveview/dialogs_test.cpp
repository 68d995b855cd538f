#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <cstdlib>
#include <filesystem>

#include "app/ui/line_dialog.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "header/header.h"
#include "header/hed_file.h"
#include "platform/text/msgbox.h"
#include "script_log.h"

namespace curveview {
namespace {

using testing::EnsureApp;
using testing::MakeCurve;
using testing::OpenScriptLog;
using testing::ScriptDoc;

// Answers each dialog from a script instead of running it.
struct ScriptedDialogs {
  std::vector<std::function<int(QDialog&)>> answers;
  size_t next = 0;
  DialogRunner previous;
  ScriptedDialogs() {
    previous = SetDialogRunner([this](QDialog& d) {
      if (next >= answers.size()) return static_cast<int>(QDialog::Rejected);
      return answers[next++](d);
    });
  }
  ~ScriptedDialogs() { SetDialogRunner(previous); }
};

std::function<int(QDialog&)> TypeValue(const char* text) {
  return [text](QDialog& d) {
    auto& range = dynamic_cast<CChangeH&>(d);
    range.Edit()->setText(text);
    range.accept();
    return range.result();
  };
}

class ScaleEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    view = std::make_unique<CCurveView>();
    OpenScriptLog(*view, doc);
    view->resize(600, 300);
    view->show();
    QApplication::processEvents();
    previousBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
  }
  void TearDown() override { qv::SetMessageBoxHandler(previousBox); }
  void ClickOn(int curve, QRect CCurveView::LegendHits::*which) {
    // The top-left corner: legend rectangles may overlap in a large font.
    const QRect r = view->HitRects(view->Curves()[static_cast<size_t>(curve)]).*which;
    const QPoint at = which == &CCurveView::LegendHits::swatch ? r.topLeft() + QPoint(1, 1) : r.center();
    view->EditScaleRange(curve, curve + 1, at.x(), at.y());
  }
  // The document's log becomes STEM in FOLDER with a fresh header holding
  // only the product ident.
  void NewHeader(const char* folder, const char* stem) {
    const char* tmp = std::getenv("QV_TEST_TMP");
    const std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp") / folder;
    std::filesystem::create_directories(dir);
    doc.pathStem = (dir / stem).string();
    std::filesystem::remove(doc.pathStem + "hed");
    ASSERT_EQ(WriteHeaderIdent(doc.pathStem), 1);
  }
  ScriptDoc doc;
  std::unique_ptr<CCurveView> view;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler previousBox;
};

TEST_F(ScaleEditTest, LinearEndsAreCheckedAgainstEachOther) {
  ScriptedDialogs script;
  script.answers = {TypeValue("150"), TypeValue("40")};
  ClickOn(0, &CCurveView::LegendHits::minimum);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Start Range must be smaller than End Range");
  EXPECT_FLOAT_EQ(view->Curves()[0].scaleMinimum, 40);

  script.answers.push_back(TypeValue("20"));
  script.answers.push_back([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
  ClickOn(0, &CCurveView::LegendHits::maximum);
  EXPECT_EQ(boxes.back(), "End Range must be larger than Start Range");
  EXPECT_FLOAT_EQ(view->Curves()[0].scaleMaximum, 100) << "cancel keeps the scale";
}

TEST_F(ScaleEditTest, LogarithmicEditKeepsTheTrackInStep) {
  auto& curves = view->Curves();
  curves[1].scaleMinimum = 2;
  curves[1].scaleMaximum = 200;
  CurveRecord second = curves[1];
  second.scaleMinimum = 5;
  second.scaleMaximum = 5000;
  second.headerLine = 1;
  curves.push_back(second);
  ScriptedDialogs script;
  script.answers = {TypeValue("3")};
  ClickOn(1, &CCurveView::LegendHits::minimum);
  EXPECT_FLOAT_EQ(curves[1].scaleMinimum, 3);
  EXPECT_FLOAT_EQ(curves[1].scaleMaximum, 300);
  EXPECT_FLOAT_EQ(curves[3].scaleMinimum, 30);
  EXPECT_FLOAT_EQ(curves[3].scaleMaximum, 3000);
}

TEST_F(ScaleEditTest, SwatchPicksTheLineColour) {
  ScriptedDialogs script;
  script.answers = {[](QDialog& d) {
                      auto& c = dynamic_cast<CColorDlg&>(d);
                      c.setCurrentColor(QColor(0x12, 0x34, 0x56));
                      c.setResult(QDialog::Accepted);
                      return c.result();
                    },
                    [](QDialog& d) {
                      auto& c = dynamic_cast<CColorDlg&>(d);
                      c.setCurrentColor(QColor(0, 0, 0));
                      c.setResult(QDialog::Rejected);
                      return c.result();
                    }};
  ClickOn(0, &CCurveView::LegendHits::swatch);
  EXPECT_EQ(view->Curves()[0].lineColour, 0x563412u);
  ClickOn(0, &CCurveView::LegendHits::swatch);
  EXPECT_EQ(view->Curves()[0].lineColour, 0x563412u) << "a cancelled picker keeps the colour";
}

TEST_F(ScaleEditTest, RangeAndColourEditsReachTheHeader) {
  NewHeader("curveview_range_colour", "RANGE1.");
  const auto pickColour = [](QDialog& d) {
    auto& c = dynamic_cast<CColorDlg&>(d);
    c.setCurrentColor(QColor(0x12, 0x34, 0x56));
    c.setResult(QDialog::Accepted);
    return c.result();
  };
  struct Case {
    const char* name;
    QRect CCurveView::LegendHits::*hit;
    std::function<int(QDialog&)> answer;
    const char* key;
    const char* stored;  // the key's text in the first curve's section
  };
  const Case cases[] = {
      {"start of the range", &CCurveView::LegendHits::minimum, TypeValue("12.5"), "RangeLeft", "12.500000"},
      {"end of the range", &CCurveView::LegendHits::maximum, TypeValue("90"), "RangeRight", "90.000000"},
      {"line colour", &CCurveView::LegendHits::swatch, pickColour, "LineColour", "5649426"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDialogs script;
    script.answers = {c.answer};
    ClickOn(0, c.hit);
    ASSERT_EQ(script.next, 1u);
    ASSERT_EQ(view->WriteChannelHeader(), 1);
    HedFile header;
    ASSERT_EQ(header.Load(doc.pathStem + "hed"), HedFile::LoadResult::kLoaded);
    EXPECT_EQ(header.Get("Channel0", c.key, ""), c.stored);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST(RangeDialog, RefusesTextThatIsNoNumber) {
  EnsureApp();
  int beeps = 0;
  auto previous = qv::SetBeepHandler([&](unsigned) { ++beeps; });
  CChangeH dlg;
  dlg.SetValue(2.5f);
  EXPECT_EQ(dlg.Edit()->text(), "2.5");
  dlg.Edit()->setText("abc");
  dlg.accept();
  EXPECT_EQ(beeps, 1);
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(dlg.Value(), 2.5f);
  qv::SetBeepHandler(previous);
}

TEST(ChannelSheet, PagesShowNamesAndFormattedValues) {
  EnsureApp();
  struct Case {
    bool six;
    double raw, calibrated;
    const char* rawText;
    const char* calText;
  };
  const Case cases[] = {{true, -3.9, 1.5, "-3", "    1.500"}, {false, 7.25, -2, "    7.250", "   -2.000"}};
  for (const auto& c : cases) {
    std::vector<CurveRecord> curves;
    curves.push_back(*MakeCurve(2, 0, 0, 0, 1, 0, "GR"));
    curves.back().unit = "API";
    curves.push_back(*MakeCurve(13, 0, 0, 0, 1, 0, "X"));
    CChannelSheet sheet;
    sheet.Setup(curves, c.six, false, "KSTQ");
    double raw[12] = {}, cal[12] = {};
    raw[1] = c.raw;
    cal[1] = c.calibrated;
    sheet.UpdateValues(raw, cal, nullptr);  // no window yet: nothing to show
    QApplication::processEvents();
    sheet.Create(nullptr);
    auto* rawPage = sheet.Page(ChannelPage::kRaw);
    auto* calPage = sheet.Page(ChannelPage::kCalibrated);
    ASSERT_NE(calPage, nullptr);
    EXPECT_EQ(sheet.Page(ChannelPage::kUserFunction), nullptr);
    EXPECT_EQ(rawPage->Rows(), c.six ? 6 : 12);
    EXPECT_EQ(rawPage->ValueText(1), "0");
    EXPECT_EQ(rawPage->NameText(1), "GR");
    EXPECT_EQ(rawPage->UnitText(1), "CPS");
    EXPECT_EQ(calPage->UnitText(1), "API");
    EXPECT_EQ(calPage->NameText(0), "");
    sheet.UpdateValues(raw, cal, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(rawPage->ValueText(1).toStdString(), c.rawText);
    EXPECT_EQ(calPage->ValueText(1).toStdString(), c.calText);
  }
}

TEST(ChannelSheet, UserFunctionPageNamesTheOutputsWhenTheSondeIsUnknown) {
  EnsureApp();
  auto previous = qv::SetMessageBoxHandler([](const qv::MessageBoxRequest&) { return qv::IDOK; });
  std::vector<CurveRecord> outputs;
  outputs.push_back(*MakeCurve(1, 0, 0, 0, 1, 0, "RATIO"));
  CChannelSheet sheet;
  sheet.Setup(outputs, true, true, "NO SUCH SONDE");
  qv::SetMessageBoxHandler(previous);
  sheet.Create(nullptr);
  auto* user = sheet.Page(ChannelPage::kUserFunction);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->NameText(0), "RATIO");
  EXPECT_EQ(sheet.Page(ChannelPage::kRaw)->NameText(0), "RATIO");
  double raw[12] = {}, cal[12] = {}, uf[12] = {};
  uf[0] = 0.5;
  sheet.UpdateValues(raw, cal, uf);
  QApplication::processEvents();
  EXPECT_EQ(user->ValueText(0), "    0.500");
}

TEST_F(ScaleEditTest, ChangeLayoutEditsReachTheLegendTheDocumentAndTheHeader) {
  ScriptedDialogs script;
  script.answers = {[](QDialog& d) {
    auto& dlg = dynamic_cast<CConfigDisp&>(d);
    EXPECT_EQ(dlg.Model().Selected(), 0);
    EXPECT_EQ(dlg.NameEdit()->text(), "Gamma");
    dlg.NameEdit()->setText("Gamma Ray");
    dlg.FilterCombo()->setCurrentIndex(1);
    dlg.FilterStep()->setValue(2);
    EXPECT_EQ(dlg.Strength()->text(), "5");
    dlg.SelectCurve(2);   // Temperature, track 3
    dlg.ClickGrid(1, 1);  // the depth column takes no curve: refused
    dlg.ClickGrid(1, 3);  // its own cell: hidden
    dlg.ClickGrid(2, 0);  // placed under Gamma in track 1
    dlg.SelectRoot();     // the root keeps the curve selected
    QApplication::processEvents();
    EXPECT_EQ(dlg.Model().Selected(), 2);
    dlg.accept();
    return dlg.result();
  }};
  int beeps = 0;
  auto previousBeep = qv::SetBeepHandler([&](unsigned) { ++beeps; });
  view->OnChangeLayout();
  qv::SetBeepHandler(previousBeep);
  EXPECT_EQ(beeps, 1);
  const auto& curves = view->Curves();
  EXPECT_EQ(curves[0].description, "Gamma Ray");
  EXPECT_EQ(curves[2].firstTrack, 0);
  EXPECT_EQ(curves[2].headerLine, 1);
  EXPECT_EQ(view->LegendRows(), 2);
  EXPECT_EQ(view->LegendHeight(), 60);
  EXPECT_EQ(doc.filters[0].FilterType, 1);
  EXPECT_EQ(doc.filters[0].FilterWidth, 5);

  // The edits reach the log's header with the next header write.
  NewHeader("curveview_layout", "LAYOUT1.");
  ASSERT_EQ(view->WriteChannelHeader(), 1);
  CurveArray back;
  ASSERT_EQ(ReadCurveRecords(doc.pathStem, &back), 1);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0]->description, "Gamma Ray");
  EXPECT_EQ(back[2]->firstTrack, 0);
  EXPECT_EQ(back[2]->headerLine, 1);
}

TEST_F(ScaleEditTest, CancelledLayoutLeavesTheView) {
  ScriptedDialogs script;
  script.answers = {[](QDialog& d) {
    auto& dlg = dynamic_cast<CConfigDisp&>(d);
    dlg.NameEdit()->setText("Other");
    return static_cast<int>(QDialog::Rejected);
  }};
  view->OnChangeLayout();
  EXPECT_EQ(view->Curves()[0].description, "Gamma");
  EXPECT_EQ(view->LegendRows(), 1);
}

TEST_F(ScaleEditTest, PrintStyleIsChosenOnlyWhileRealTimePrinting) {
  ScriptedDialogs script;
  script.answers = {[](QDialog& d) {
    auto& dlg = dynamic_cast<CLineDlg&>(d);
    EXPECT_EQ(dlg.m_strCaption, "Gamma");
    dlg.EnsureInitialised();
    dlg.StyleList()->setCurrentRow(5);
    static_cast<QDialog&>(dlg).accept();
    return dlg.result();
  }};
  doc.print = true;
  ClickOn(0, &CCurveView::LegendHits::printStyle);
  EXPECT_EQ(view->Curves()[0].printLineStyle, 5);
  EXPECT_EQ(script.next, 1u);

  // Without real-time printing the same place opens the display options.
  doc.print = false;
  script.answers.push_back([](QDialog& d) {
    EXPECT_NE(dynamic_cast<CConfigDisp*>(&d), nullptr);
    return static_cast<int>(QDialog::Rejected);
  });
  ClickOn(0, &CCurveView::LegendHits::printStyle);
  EXPECT_EQ(script.next, 2u);
}

TEST_F(ScaleEditTest, ViewMenuCommandsReachTheView) {
  qv::CmdUI ui(CCurveView::kChannelDisplayCommand);
  ASSERT_TRUE(view->RunUpdate(ui));
  EXPECT_TRUE(ui.Enabled());
  EXPECT_FALSE(ui.Checked());
  ASSERT_TRUE(view->RunCommand(CCurveView::kChannelDisplayCommand));
  view->RunUpdate(ui);
  EXPECT_TRUE(ui.Checked());
  view->RunCommand(CCurveView::kChannelDisplayCommand);
  EXPECT_FALSE(view->OnUpdateChannelDisplay());
  EXPECT_TRUE(view->HasCommand(CCurveView::kChangeLayoutCommand));
}

}  // namespace
}  // namespace curveview
