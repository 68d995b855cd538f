#include "print/page/page_model.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "header/header_info.h"
#include "platform/text/msgbox.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"
#include "print/page/heading.h"
#include "print/page/print_dialog.h"
#include "tests/print/page/fake_log.h"
#include "tests/print/page/recording_device.h"
#include "tests/support/qt_app.h"
#include "tests/support/run_tool.h"
#include "tests/support/test_files.h"

namespace {

using qvtest::RunTool;

using namespace qv::print;
using qvtest::FakeLog;
using Log = std::vector<std::string>;

// A device whose pages are recorded: each StartPage notes the page and its
// orientation in the log's events.
class PageDevice : public qvtest::RecordingPrintDevice {
 public:
  PageDevice(FakeLog& log, int dpi, int width, int height) : RecordingPrintDevice(dpi, width, height), log_(log) {}
  int pages = 0;

 protected:
  void PageStarted(int orientation) override {
    ++pages;
    log_.log.push_back("page " + std::to_string(pages) + (orientation == 2 ? " landscape" : ""));
  }

 private:
  FakeLog& log_;
};

// Runs a whole job of the page model on a page device: the hooks in the
// print loop's order, as a preview would (no dialog).
struct PageJob {
  PageJob(std::vector<int> files, int dpi = 300, int width = 2480, int height = 3508)
      : log(std::move(files)), printer(log), device(log, dpi, width, height) {
    printer.SetLogoFolder([] { return std::string("/nonexistent"); });
  }
  void Run(const std::function<void(PrintSettings&)>& set) {
    PrintInfo info;
    info.preview = true;
    ASSERT_TRUE(printer.OnPreparePrinting(info));
    set(printer.Settings());
    qv::MessageRecorder boxes;
    PrintCopy(printer, device, info, nullptr, "job", PrintJobHooks{}, false);
    shown = boxes.Ids();
  }
  Log Pages() const {
    Log out;
    for (const std::string& l : log.log)
      if (l.rfind("page", 0) == 0) out.push_back(l);
    return out;
  }
  int Count(const std::string& prefix) const {
    return int(
        std::count_if(log.log.begin(), log.log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }
  FakeLog log;
  LogPagePrinter printer;
  PageDevice device;
  std::vector<unsigned> shown;
};

TEST(PageModel, HeadingThenCalibrationPageWithoutDataThenTheLog) {
  qvtest::App();
  PageJob job({50});
  job.Run([](PrintSettings& s) {
    s.continuousMode = 0;
    s.calibrationDetails = 1;
  });
  // No calibration: the page after the heading already carries the log.
  EXPECT_EQ(job.Pages(), (Log{"page 1 landscape", "page 2"}));
  EXPECT_EQ(job.printer.Settings().firstLogPage, 2);
  EXPECT_EQ(job.device.Drawn().Texts("CALIBRATION CONSTANTS").size(), 0u);
  EXPECT_EQ(job.device.Drawn().Texts("TREMARIN BORVANIC TECHNOLOGY").size(), 1u);
  EXPECT_EQ(job.device.Drawn().Texts("END OF LOG").size(), 1u);
  EXPECT_EQ(job.device.Drawn().Texts("Page 2").size(), 1u);
  // The first log page's header row stands 310 dots lower (form marks).
  const PrintSettings& s = job.printer.Settings();
  EXPECT_NE(std::find(job.log.log.begin(), job.log.log.end(), "headers " + std::to_string(s.top + 310)),
            job.log.log.end());
  // Replay: back to the first file, rebuilt, and restored after the job.
  EXPECT_EQ(job.log.log.front(), "begin");
  EXPECT_EQ(job.log.log[job.log.log.size() - 2], "save 2");
  EXPECT_EQ(job.log.log.back(), "end replay");
}

TEST(PageModel, CalibrationPageWithData) {
  qvtest::App();
  PageJob job({50});
  job.log.calibrations.push_back(std::make_unique<ChannelCalibration>());
  job.log.calibrations.back()->shortTitle = "GRA";
  job.Run([](PrintSettings& s) { s.calibrationDetails = 1; });
  EXPECT_EQ(job.Pages(), (Log{"page 1 landscape", "page 2", "page 3"}));
  EXPECT_EQ(job.device.Drawn().Texts("CALIBRATION CONSTANTS").size(), 1u);
}

TEST(PageModel, ContinuousModeHasNoPageNumbersAndHeadersOnlyOnTheFirstLogPage) {
  qvtest::App();
  PageJob job({800});  // 8000 dots: three pages of log
  job.Run([](PrintSettings& s) {
    s.continuousMode = 1;
    s.headerPage = 0;
    s.formMarks = 0;
  });
  EXPECT_EQ(job.Pages(), (Log{"page 1", "page 2", "page 3"}));
  EXPECT_EQ(job.Count("headers"), 2);  // the top row and the closing row
  EXPECT_EQ(job.device.Drawn().Texts("Page 2").size(), 0u);
  EXPECT_EQ(job.printer.Settings().top, 0);
}

TEST(PageModel, ChainedFilesShareAPageUnlessSeparate) {
  qvtest::App();
  {
    PageJob job({30, 40});
    job.Run([](PrintSettings& s) {
      s.headerPage = 0;
      s.continuousMode = 0;
    });
    EXPECT_EQ(job.Pages(), (Log{"page 1"}));
    EXPECT_EQ(job.Count("reopen"), 2);
    EXPECT_EQ(job.device.Drawn().Texts("END OF LOG").size(), 2u);  // a trailer for each file
  }
  {
    PageJob job({30, 40});
    job.Run([](PrintSettings& s) {
      s.headerPage = 0;
      s.continuousMode = 0;
      s.separatePages = 1;
    });
    EXPECT_EQ(job.Pages(), (Log{"page 1", "page 2"}));
    EXPECT_EQ(job.device.Drawn().Texts("END OF LOG").size(), 2u);
  }
}

TEST(PageModel, TrailerThatDoesNotFitGoesAloneOnTheNextPage) {
  qvtest::App();
  auto pageMode = [](PrintSettings& s) {
    s.headerPage = 0;
    s.continuousMode = 0;
    s.formMarks = 0;
  };
  // A first job finds where the data start and how much room a page has.
  PageJob probe({1});
  probe.Run(pageMode);
  const PrintSettings& s = probe.printer.Settings();
  int sectionTop = 0, room = 0;
  for (const std::string& l : probe.log.log)
    if (l.rfind("section", 0) == 0) std::sscanf(l.c_str(), "section %d %d", &sectionTop, &room);
  const int headerRow = sectionTop - s.top;
  // Data ending 100 dots above the last place the closing row fits: the row
  // fits below them, the trailer box (5.5 lines of 31 dots) does not.
  const int records = (s.height - headerRow - 100 - sectionTop) / 10;
  PageJob job({records});
  job.Run(pageMode);
  EXPECT_EQ(job.Pages(), (Log{"page 1", "page 2"}));
  EXPECT_EQ(job.Count("headers"), 2);  // the top row and the closing row, both on page 1
  EXPECT_EQ(job.Count("section"), 1);  // page 2 holds the trailer alone
  EXPECT_EQ(job.device.Drawn().Texts("END OF LOG").size(), 1u);
  EXPECT_TRUE(job.shown.empty());
}

TEST(PageModel, FitToPageChoosesTheScale) {
  qvtest::App();
  // 600 dpi, continuous, a header row of 100 dots and a page of 6005: the
  // section has 5905 dots (250 mm) for 500 m.
  PageJob job({10}, 600, 4961, 6005);
  job.log.headerHeight = 100;
  job.log.replayEnd = 500000;
  job.Run([](PrintSettings& s) {
    s.headerPage = 0;
    s.formMarks = 0;
    s.continuousMode = 1;
    s.fitToPage = 1;
  });
  ASSERT_EQ(job.log.scales.size(), 1u);
  EXPECT_EQ(job.log.scales[0], 2010);
  EXPECT_EQ(job.device.Drawn().Texts("END OF LOG").size(), 0u);  // a fitted log ends with its data
}

TEST(PageModel, ImpossibleLayoutStopsWithAMessage) {
  qvtest::App();
  {
    PageJob job({10});  // header rows taller than the page
    job.log.headerHeight = 4000;
    job.Run([](PrintSettings& s) {
      s.headerPage = 0;
      s.continuousMode = 0;
      s.fitToPage = 1;
    });
    EXPECT_LE(job.device.pages, 2);
    EXPECT_EQ(job.shown, std::vector<unsigned>{33600});
    EXPECT_TRUE(job.log.scales.empty());  // no division by the missing room
  }
  {
    PageJob job({5}, 300, 2480, 200);  // a trailer box taller than the page
    job.log.headerHeight = 20;
    job.Run([](PrintSettings& s) {
      s.headerPage = 0;
      s.formMarks = 0;
      s.continuousMode = 1;
    });
    EXPECT_LE(job.device.pages, 2);
    EXPECT_EQ(job.shown, std::vector<unsigned>{33600});
  }
}

TEST(PageModel, PrintCommandEnabledOnlyForAReplayedLogThatIsNotRunning) {
  EXPECT_FALSE(LogPagePrinter::CanPrint(false, 1, false));
  EXPECT_FALSE(LogPagePrinter::CanPrint(true, 0, false));
  EXPECT_FALSE(LogPagePrinter::CanPrint(true, 99, false));
  EXPECT_TRUE(LogPagePrinter::CanPrint(true, -1, false));
  EXPECT_TRUE(LogPagePrinter::CanPrint(true, 2, false));
  EXPECT_TRUE(LogPagePrinter::CanPrint(true, 4, false));
  // A live log: nothing recorded before REC, and its files are printed once replayed.
  for (int state : {-1, 2, 4}) EXPECT_FALSE(LogPagePrinter::CanPrint(true, state, true)) << state;
}

// ---- through the loop to a PDF file, read back with poppler-utils

// The y (points) of the first word WORD on PAGE in pdftotext -bbox output.
double WordY(const std::string& bbox, int page, const std::string& word, double* x = nullptr) {
  size_t at = 0;
  for (int i = 0; i < page; ++i) at = bbox.find("<page ", at + 1);
  const size_t end = bbox.find("</page>", at);
  const QRegularExpression re(QString::fromStdString(
      "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">" + word + "</word>"));
  const auto m = re.match(QString::fromStdString(bbox.substr(at, end - at)));
  if (!m.hasMatch()) return -1;
  if (x) *x = m.captured(1).toDouble();
  return m.captured(2).toDouble();
}

TEST(PagePdf, RecordedLogToPdf) {
  qvtest::App();
  const std::string dir = qv::test::TempDir("print_page");
  const std::string pdf = dir + "/log.pdf";
  FakeLog log({500});  // two log pages
  LogPagePrinter printer(log);
  printer.SetLogoFolder([] { return std::string("/nonexistent"); });
  QPrinter& q = printer.Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(300);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  q.setOutputFileName(QString::fromStdString(pdf));
  printer.SetDialogRunner([&](CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    dlg.OptionsPage()->findChild<QCheckBox*>("continuousMode")->setChecked(false);
    dlg.accept();
    q.setOutputFileName(QString::fromStdString(pdf));  // what the user types into Qt's file field
    return dlg.result();
  });
  qv::MessageRecorder boxes;  // the missing logo's box
  OnFilePrint(printer, PrintJobHooks{});
  const QString file = QString::fromStdString(pdf);
  const std::string info = RunTool("pdfinfo", {"-f", "1", "-l", "3", file});
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  842 x 595 pts"), std::string::npos) << info;  // the heading turned
  EXPECT_NE(info.find("Page    2 size:  595 x 842 pts"), std::string::npos) << info;
  const std::string bbox = RunTool("pdftotext", {"-bbox", file, "-"});
  // Labels in their cells on the heading page.
  const PrintSettings& s = printer.Settings();
  const HeadingGrid g = HeadingGridOf(s);
  const double dot = 72.0 / 300;
  double x = 0;
  const double company = WordY(bbox, 1, "COMPANY", &x);
  EXPECT_NEAR(x, (g.At(0, 13).x() + int(3 * g.ux)) * dot, 2.0);
  EXPECT_GT(company, g.At(0, 14).y() * dot - 1);
  EXPECT_LT(company, g.At(0, 15).y() * dot);
  EXPECT_GT(WordY(bbox, 1, "Tremarin", &x), 0);
  EXPECT_NEAR(x, (g.At(25, 13).x() + int(3 * g.ux)) * dot, 2.0);
  // "Page 2" in the foot band, and the form-mark offset of the first log page.
  const double page2 = WordY(bbox, 2, "Page");
  EXPECT_GT(page2, (s.top + s.height - 72) * dot - 1);
  const double firstHeader = WordY(bbox, 2, "GR"), laterHeader = WordY(bbox, 3, "GR");
  ASSERT_GT(firstHeader, 0);
  EXPECT_NEAR(firstHeader - laterHeader, 310 * dot, 0.5);
  // Fonts embedded; the file is well formed.
  const std::string fonts = RunTool("pdffonts", {file});
  EXPECT_NE(fonts.find("Liberation"), std::string::npos) << fonts;
  const QRegularExpression emb(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"),
                               QRegularExpression::MultilineOption);
  int embedded = 0;
  for (auto it = emb.globalMatch(QString::fromStdString(fonts)); it.hasNext();) {
    const auto m = it.next();
    EXPECT_EQ(m.captured(1), "yes") << fonts;  // every font embedded
    ++embedded;
  }
  EXPECT_GT(embedded, 0) << fonts;
  if (!RunTool("which", {"qpdf"}).empty()) {
    EXPECT_NE(RunTool("qpdf", {"--check", file}).find("No syntax or stream encoding errors"), std::string::npos);
  }
  // Grid lines 118 dots (1 cm) apart, the first log page's 310 dots lower.
  const std::string png = dir + "/p";
  RunTool("pdftoppm", {"-r", "300", "-f", "2", "-l", "3", "-gray", file, QString::fromStdString(png)});
  auto firstDark = [](const std::string& path, int column) {
    QImage img(QString::fromStdString(path));
    for (int y = 0; y < img.height(); ++y)
      if (qGray(img.pixel(column, y)) < 128) return y;
    return -1;
  };
  const int column = s.left + 1500;  // right of the legend, through the grid
  const int onFirst = firstDark(png + "-2.pgm", column), onLater = firstDark(png + "-3.pgm", column);
  ASSERT_GT(onFirst, 0);
  EXPECT_NEAR(onFirst - onLater, 310, 2);
}

}  // namespace
