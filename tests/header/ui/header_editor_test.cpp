// The header editor and the trailer text dialog, driven offscreen.
#include "header/ui/header_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <ctime>
#include <fstream>

#include "header/header.h"
#include "header/ui/edit_fields.h"
#include "header/ui/trailer_text_dialog.h"
#include "platform/docview/qtext.h"
#include "platform/text/codepage.h"
#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

HeaderInfo SampleHeader() {
  HeaderInfo info;
  info.Company = "ACME";
  info.Project = "North";
  info.KellyBushing = 12.3456789f;  // more digits than the edit shows
  info.DrillFloor = 1e-7f;
  info.RunNo1 = 1;
  info.RunNo2 = 2;
  info.DateRun1 = "01 Jan 26";
  info.DateRun3 = "03 Mar 26";
  info.LogType2 = "GR";
  info.DepthLogger3 = 1234.56789f;
  info.CasRecWeight2 = 0.1f;
  info.Comment[0] = "one";
  info.Comment[2] = "three";
  return info;
}

TrailerText SampleTrailer() {
  return {"A", "", "C", ""};
}

// One sheet over the caller's records, initialised as before it shows.
struct Editor {
  QApplication* app = qvtest::App();
  HeaderInfo info = SampleHeader();
  TrailerText trailer = SampleTrailer();
  CHeaderEditor sheet;
  Editor() {
    sheet.m_pHeaderInfo = &info;
    sheet.m_pTrailerText = &trailer;
    sheet.m_strHeaderFile = "/logs/RUN1.HED";
    sheet.EnsureInitialised();
  }
  template <typename T = QLineEdit>
  T* On(int page, int id) {
    EXPECT_TRUE(sheet.SetActivePage(page));
    return Control<T>(sheet.GetActivePage(), id);
  }
  void Type(int page, int id, const QString& text) { On(page, id)->setText(text); }
};

TEST(HeaderEditorTest, PagesInOrderWithOkCaption) {
  Editor e;
  std::vector<std::string> titles;
  for (int i = 0; i < e.sheet.PageCount(); ++i) titles.push_back(e.sheet.Page(i)->Title());
  EXPECT_EQ(titles, (std::vector<std::string>{"Client / Location", "Log Datum", "Logging Run",
                                              "Drill Bit Size / Casing", "Remarks", "Trailer Text"}));
  EXPECT_EQ(e.sheet.windowTitle(), "Header Editor");
  EXPECT_EQ(e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->text(), "OK");
  EXPECT_FALSE(e.sheet.ButtonWidget(qv::PropertySheet::ApplyButton)->isVisibleTo(&e.sheet));
  EXPECT_EQ(e.On(0, 2112)->text(), "ACME");
}

TEST(HeaderEditorTest, CancelChangesNothing) {
  Editor e;
  e.Type(0, 2112, "Other company");
  e.Type(1, 2129, "99");
  e.Type(2, 2136, "CAL");
  e.Type(3, 2110, "5.5");
  e.On<QPlainTextEdit>(4, 2111)->setPlainText("new remark");
  e.On<QPlainTextEdit>(5, 2589)->setPlainText("new trailer");
  ASSERT_TRUE(e.sheet.SetActivePage(0));
  e.sheet.ButtonWidget(qv::PropertySheet::CancelButton)->click();
  EXPECT_EQ(e.info, SampleHeader());
  EXPECT_EQ(e.trailer, SampleTrailer());
}

TEST(HeaderEditorTest, OkStoresEditsAndNeverRoundsUntouchedValues) {
  Editor e;
  e.Type(0, 2112, "Other company");
  e.Type(1, 2121, "2.5");
  e.On<QPushButton>(2, 2306)->click();  // run 2
  e.Type(2, 2136, "CAL");
  e.On<QPushButton>(2, 2307)->click();
  EXPECT_EQ(Control<QLineEdit>(e.sheet.GetActivePage(), 2117)->text(), "1234.57");
  e.On<QPushButton>(2, 2306)->click();
  EXPECT_EQ(Control<QLineEdit>(e.sheet.GetActivePage(), 2136)->text(), "CAL");
  e.Type(3, 2154, "7");  // run 2's number, edited on page 4
  EXPECT_EQ(e.On(2, 2154)->text(), "7") << "page 3 takes the run number page 4 left";
  e.On<QPlainTextEdit>(5, 2589)->setPlainText("X  \nY");
  e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->click();
  EXPECT_EQ(e.sheet.result(), QDialog::Accepted);

  HeaderInfo expected = SampleHeader();
  expected.Company = "Other company";
  expected.DrillFloor = 2.5f;
  expected.LogType2 = "CAL";
  expected.RunNo2 = 7;
  // Page 3 was opened: an empty date of a run shows today's and is stored.
  char today[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(today, sizeof today, "%d %b %y", &local);
  expected.DateRun2 = today;
  EXPECT_EQ(e.info, expected) << "KellyBushing " << e.info.KellyBushing << ", DepthLogger3 " << e.info.DepthLogger3;
  EXPECT_EQ(e.trailer, (TrailerText{"X", "Y", "", ""}));
}

// Texts typed outside the Western code page: under a Japanese locale they are
// stored in code page 932, as a Japanese system stores them, and read back
// the same from the header file; a character the code page cannot hold is
// named in a box before anything is stored, under either code page.
TEST(HeaderEditorTest, TypedTextsAreStoredInTheCodePageOfTheLocale) {
  qv::MessageRecorder boxes;
  const QString company = QString::fromUtf8("日本地下水（株）");
  qv::SetFileCodePage(qv::kCodePageJapanese);
  {
    Editor e;
    e.Type(0, 2112, company);
    e.On<QPlainTextEdit>(4, 2111)->setPlainText(QString::fromUtf8("井戸 A\n二行目"));
    e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->click();
    EXPECT_EQ(e.sheet.result(), QDialog::Accepted);
    EXPECT_EQ(e.info.Company, "\x93\xfa\x96\x7b\x92\x6e\x89\xba\x90\x85\x81\x69\x8a\x94\x81\x6a");
    EXPECT_EQ(e.info.Comment[0], "\x88\xe4\x8c\xcb A");
    const std::string hed = qv::test::TempDir("header_codepage") + "/JP1.hed";
    std::ofstream(hed, std::ios::binary | std::ios::trunc) << "[General]\r\nIdent=QUORVANTA\r\n";
    const int scale = 100;
    ASSERT_EQ(WriteHeaderInfo(hed, &e.info, &scale), 1);
    HeaderInfo read;
    TrailerText trailer;
    ASSERT_EQ(ReadHeaderInfo(hed, &read), 1);
    CHeaderEditor again;
    again.m_pHeaderInfo = &read;
    again.m_pTrailerText = &trailer;
    again.EnsureInitialised();
    ASSERT_TRUE(again.SetActivePage(0));
    EXPECT_EQ(Control<QLineEdit>(again.GetActivePage(), 2112)->text(), company);
    ASSERT_TRUE(again.SetActivePage(4));
    EXPECT_EQ(Control<QPlainTextEdit>(again.GetActivePage(), 2111)->toPlainText(), QString::fromUtf8("井戸 A\n二行目"));
  }
  EXPECT_TRUE(boxes.Shown().empty());

  struct Case {
    int codePage;
    const char* typed;    // UTF-8
    const char* missing;  // UTF-8
  };
  for (const Case& c : {Case{qv::kCodePageJapanese, "Müller 井戸", "ü"}, Case{qv::kCodePageWestern, "井戸 Müller", "井戸"},
                        Case{qv::kCodePageWestern, "Well \xF0\x9F\x92\xA7", "\xF0\x9F\x92\xA7"}}) {
    SCOPED_TRACE(c.typed);
    qv::SetFileCodePage(c.codePage);
    boxes.Clear();
    Editor e;
    e.Type(0, 2112, QString::fromUtf8(c.typed));
    e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->click();
    EXPECT_NE(e.sheet.result(), QDialog::Accepted);
    EXPECT_EQ(e.info.Company, "ACME") << "nothing stored";
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(qv::QStr(boxes.Shown()[0].text).indexOf(QString::fromUtf8(c.missing)), -1) << boxes.Shown()[0].text;
  }
  qv::SetFileCodePage(qv::kCodePageWestern);
}

TEST(HeaderEditorTest, RemarksKeepEmptyLinesAndStopAtTen) {
  struct Case {
    QString typed;  // empty: leave the text as shown
    std::array<std::string, 10> comments;
  };
  const Case cases[] = {
      {"", {"one", "", "three"}},
      {"a\n\nc\n", {"a", "", "c", ""}},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"line\r\nwith cr", {"line", "with cr"}},
  };
  for (const Case& c : cases) {
    Editor e;
    auto* remarks = e.On<QPlainTextEdit>(4, 2111);
    EXPECT_EQ(remarks->toPlainText(), "one\n\nthree");
    if (!c.typed.isEmpty()) remarks->setPlainText(c.typed);
    e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->click();
    EXPECT_EQ(e.info.Comment, c.comments) << c.typed.toStdString();
  }
}

TEST(HeaderEditorTest, UnitStaticsFollowTheDepthUnit) {
  struct Case {
    int depthUnit;
    const char *depth, *size, *weight;
  };
  for (const Case& c : {Case{1, "ft", "inch", "lbs"}, Case{0, "m", "mm", "kg"}}) {
    qvtest::App();
    HeaderInfo info;
    info.DepthUnit = c.depthUnit;
    TrailerText trailer;
    CHeaderEditor sheet;
    sheet.m_pHeaderInfo = &info;
    sheet.m_pTrailerText = &trailer;
    sheet.EnsureInitialised();
    ASSERT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2358)->text(), c.depth);
    ASSERT_TRUE(sheet.SetActivePage(2));
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2337)->text(), c.depth);
    ASSERT_TRUE(sheet.SetActivePage(3));
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2314)->text(), c.size);
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2323)->text(), c.size);
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2327)->text(), c.weight);
    EXPECT_EQ(Control<QLabel>(sheet.GetActivePage(), 2318)->text(), c.depth);
  }
}

TEST(HeaderEditorTest, BadNumbersKeepThePageAndTheSheetOpen) {
  struct Case {
    int page, id;
    const char* typed;
    const char* box;
  };
  const Case cases[] = {{1, 2129, "abc", "Please enter a number."},
                        {3, 2103, "1e39", "Please enter a number."},
                        {2, 2154, "1.5", "Please enter a whole number."}};
  for (const Case& c : cases) {
    Editor e;
    e.Type(c.page, c.id, c.typed);
    qv::MessageRecorder boxes;
    EXPECT_FALSE(e.sheet.SetActivePage(0)) << c.typed;
    e.sheet.ButtonWidget(qv::PropertySheet::OkButton)->click();
    EXPECT_NE(e.sheet.result(), QDialog::Accepted);
    ASSERT_FALSE(boxes.Shown().empty());
    EXPECT_EQ(boxes.Shown()[0].text, c.box);
    EXPECT_EQ(e.info, SampleHeader());
  }
}

TEST(HeaderEditorTest, ReturnMovesOnInSingleLineEditsOnly) {
  Editor e;
  e.sheet.show();
  auto* company = e.On(0, 2112);
  company->setFocus();
  QTest::keyClick(company, Qt::Key_Return);
  EXPECT_TRUE(e.sheet.isVisible());
  EXPECT_NE(e.sheet.focusWidget(), company);
  auto* trailer = e.On<QPlainTextEdit>(5, 2589);
  trailer->setFocus();
  trailer->moveCursor(QTextCursor::End);
  QTest::keyClick(trailer, Qt::Key_Return);
  EXPECT_EQ(trailer->toPlainText(), "A\nC\n");
  EXPECT_TRUE(e.sheet.isVisible());
  QPushButton* ok = e.sheet.ButtonWidget(qv::PropertySheet::OkButton);
  ok->setFocus();
  QTest::keyClick(ok, Qt::Key_Return);
  EXPECT_FALSE(e.sheet.isVisible());
  EXPECT_EQ(e.sheet.result(), QDialog::Accepted);
}

TEST(TrailerTextDlgTest, JoinsSplitsAndTrimsOnOkAndCancel) {
  struct Case {
    bool ok;
    QString typed;  // empty: leave as shown
    TrailerText after;
  };
  const Case cases[] = {
      {true, "", {"A", "C", "", ""}},
      {true, "1\n2\n3\n4\n5", {"1", "2", "3", "4"}},
      {true, "x  \ny\t", {"x", "y", "", ""}},
      {false, "edited \nlines", {"edited", "lines", "", ""}},
  };
  qvtest::App();
  for (const Case& c : cases) {
    CTrailerTextDlg dlg;
    dlg.m_TrailerText = SampleTrailer();
    dlg.EnsureInitialised();
    EXPECT_EQ(dlg.Edit()->toPlainText(), "A\nC");
    if (!c.typed.isEmpty()) dlg.Edit()->setPlainText(c.typed);
    if (c.ok)
      dlg.OnOK();
    else
      dlg.OnCancel();
    EXPECT_EQ(dlg.result(), c.ok ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(dlg.m_TrailerText, c.after) << c.typed.toStdString();
  }
}

// The program ending (a shutdown signal leaves every event loop) while the
// dialog is open: the run ends as Cancel would, with the lines typed so far.
TEST(TrailerTextDlgTest, TheProgramsEndTakesTheTypedLinesAsCancelDoes) {
  qvtest::App();
  CTrailerTextDlg dlg;
  dlg.m_TrailerText = SampleTrailer();
  QTimer::singleShot(0, &dlg, [&dlg] {
    dlg.Edit()->setPlainText("typed \nbefore the end");
    QCoreApplication::exit(0);
  });
  const int result = dlg.DoModal();
  // The application's loop runs once so later loops in this process run again.
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  QCoreApplication::exec();
  EXPECT_EQ(result, qv::IDCANCEL);
  EXPECT_EQ(dlg.m_TrailerText, (TrailerText{"typed", "before the end", "", ""}));
}

}  // namespace
