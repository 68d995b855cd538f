// The curve view's pages of a recorded log: the log is read again from its
// files through the engine's replay and print-time processing and laid out by
// the page model, on a recording page device (a table of layouts) and through
// the print loop to a PDF read back with poppler-utils.
#include "logview/print_pages.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <fstream>
#include <functional>
#include <memory>

#include "curveview/curveview.h"
#include "header/header.h"
#include "logdoc/document/print_log.h"
#include "platform/text/msgbox.h"
#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "tests/curveview/recorded_log.h"
#include "tests/print/page/recording_device.h"
#include "tests/support/qt_app.h"
#include "tests/support/run_tool.h"
#include "tests/support/test_files.h"

namespace {

using qvtest::RunTool;

using namespace qv::print;
using qvtest::FileSpec;

// A recorded log in a fresh folder of the running test.
struct TestLog : qvtest::RecordedLog {
  TestLog(const std::string& area, std::vector<FileSpec> files, int logMode = 12)
      : qvtest::RecordedLog((qvtest::App(), qv::test::TempDir(area)), std::move(files), logMode) {}
};

// A page device that records what each page drew.
class PageDevice : public qvtest::RecordingPrintDevice {
 public:
  using RecordingPrintDevice::RecordingPrintDevice;
  // The texts of page P (from 1).
  std::vector<QString> TextsOf(size_t p) {
    const auto& all = Drawn().texts;
    const size_t from = textsAtPage[p - 1], to = p < textsAtPage.size() ? textsAtPage[p] : all.size();
    std::vector<QString> out;
    for (size_t i = from; i < to; ++i) out.push_back(all[i].text);
    return out;
  }
  size_t Count(const QString& text) { return Drawn().Texts(text).size(); }
  std::vector<std::string> pages;
  std::vector<size_t> textsAtPage;

 protected:
  void PageStarted(int orientation) override {
    pages.push_back(orientation == 2 ? "landscape" : "portrait");
    textsAtPage.push_back(Drawn().texts.size());
  }
};

// One job of the view's page printer on a page device, as the preview runs it.
std::vector<unsigned> RunJob(TestLog& log, PageDevice& device, const std::function<void(PrintSettings&)>& set) {
  LogPagePrinter& printer = *log.view.PagePrinter();
  PrintInfo info;
  info.preview = true;
  EXPECT_TRUE(printer.OnPreparePrinting(info));
  set(printer.Settings());
  qv::MessageRecorder boxes;
  PrintCopy(printer, device, info, nullptr, "job", PrintJobHooks{}, false);
  return boxes.Ids();
}

void PageMode(PrintSettings& s) {
  s.headerPage = 0;
  s.continuousMode = 0;
  s.formMarks = 0;
}

// Every record of the replay window the reader delivers, from its start.
int ReplayRecords(TestLog& log) {
  int n = 0;
  while (log.engine.ReadReplayRecord() && n < 100000) ++n;
  return n;
}

TEST(CurveViewPages, Layouts) {
  struct Case {
    const char* name;
    std::vector<FileSpec> files;
    std::function<void(PrintSettings&)> set;
    std::vector<std::string> pages;
    std::function<void(TestLog&, PageDevice&)> check;
    int logMode = 12;
    bool imperial = false;
  };
  const std::vector<Case> cases = {
      {"heading, then calibration details without a calibration",
       {{600, 0}},
       [](PrintSettings& s) {
         s.continuousMode = 0;
         s.calibrationDetails = 1;
       },
       {"landscape", "portrait", "portrait"},
       [](TestLog& log, PageDevice& d) {
         EXPECT_EQ(log.view.PagePrinter()->Settings().firstLogPage, 2);
         EXPECT_EQ(d.Count("CALIBRATION CONSTANTS"), 0u);
         EXPECT_EQ(d.Count("Page 2"), 1u);
         EXPECT_EQ(d.Count("Page 3"), 1u);
         EXPECT_EQ(d.Count("END OF LOG"), 1u);
         // Depth labels every 2 m (1 cm of paper at 1:200) down the depth track.
         EXPECT_EQ(d.Count("2.00"), 1u);
         EXPECT_EQ(d.Count("58.00"), 1u);
         const auto page2 = d.TextsOf(2);
         EXPECT_NE(std::find(page2.begin(), page2.end(), "GR  CPS"), page2.end());
         EXPECT_FALSE(d.Drawn().paths.empty()) << "the curves";
       }},
      {"continuous mode",
       {{600, 0}},
       [](PrintSettings& s) {
         s.headerPage = 0;
         s.formMarks = 0;
         s.continuousMode = 1;
       },
       {"portrait", "portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("Page 1") + d.Count("Page 2"), 0u);
         EXPECT_EQ(d.Count("GR  CPS"), 2u);  // the top row and the closing row
       }},
      {"two chained files on one page",
       {{100, 0}, {100, 10000}},
       PageMode,
       {"portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("END OF LOG"), 2u);
         EXPECT_EQ(d.Count("4.00"), 1u);   // the first file
         EXPECT_EQ(d.Count("16.00"), 1u);  // the second
       }},
      {"two chained files on separate pages",
       {{100, 0}, {100, 10000}},
       [](PrintSettings& s) {
         PageMode(s);
         s.separatePages = 1;
       },
       {"portrait", "portrait"},
       [](TestLog&, PageDevice& d) {
         const auto page2 = d.TextsOf(2);
         EXPECT_NE(std::find(page2.begin(), page2.end(), "16.00"), page2.end());
       }},
      {"a log recorded up, read by depth from its top",
       {{300, 30000}},
       PageMode,
       {"portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("0.00"), 7u) << "the scale ends of both header rows and the depth label";
         EXPECT_EQ(d.Count("-0.00"), 0u);
         EXPECT_EQ(d.Count("28.00"), 1u);
         EXPECT_EQ(d.Count("END OF LOG"), 1u);
         // The file's shallowest record prints at its own depth: the curves
         // begin at the top of the log, above the 2 m label.
         ASSERT_FALSE(d.Drawn().paths.empty());
         double top = 1e9;
         for (const auto& [path, pen] : d.Drawn().paths)
           if (path.boundingRect().height() > 0) top = std::min(top, path.boundingRect().top());  // not a header rule
         EXPECT_LT(top, d.Drawn().Texts("2.00").front().origin.y());
       },
       11},
      {"feet at 1:240: labels every 50 ft",
       {{600, 0}},
       [](PrintSettings& s) {
         PageMode(s);
         s.scale = 240;
       },
       {"portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("50.00"), 1u);
         EXPECT_EQ(d.Count("10.00"), 0u);
       },
       12,
       true},
      {"feet at 1:200: labels every 200 inches",
       {{600, 0}},
       PageMode,
       {"portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("16.67"), 1u);
         EXPECT_EQ(d.Count("33.33"), 1u);
       },
       12,
       true},
      {"a time log has no depth labels",
       {{300, 0}},
       PageMode,
       {"portrait"},
       [](TestLog&, PageDevice& d) {
         EXPECT_EQ(d.Count("0.00") + d.Count("2.00"), 6u) << "only the scale ends of the two header rows";
         EXPECT_FALSE(d.Drawn().paths.empty()) << "the curves";
       },
       10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestLog log("curve_pages", c.files, c.logMode);
    ASSERT_TRUE(log.opened);
    log.engine.Setup().imperial = c.imperial;
    PageDevice device(300, 2480, 3508);
    const auto shown = RunJob(log, device, c.set);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 33600u), 0);
    EXPECT_EQ(device.pages, c.pages);
    c.check(log, device);
    // The replay goes on afterwards over its whole window, from the start
    // (a depth log's with the records that carry the last values out).
    EXPECT_EQ(ReplayRecords(log), c.files[0].records + (c.logMode == 10 ? 0 : 51));
  }
}

TEST(CurveViewPages, TrailerThatDoesNotFitGoesAloneOnTheNextPage) {
  // Logs a record longer each, until the closing row still fits below the
  // data and the trailer box does not.
  bool found = false;
  for (int n = 380; n < 470 && !found; ++n) {
    TestLog log("curve_trailer", {{n, 0}});
    PageDevice device(300, 2480, 3508);
    RunJob(log, device, PageMode);
    if (device.pages.size() != 2 || device.Count("GR  CPS") != 2) continue;
    found = true;
    const auto page2 = device.TextsOf(2);
    EXPECT_NE(std::find(page2.begin(), page2.end(), "END OF LOG"), page2.end());
    EXPECT_EQ(std::find(page2.begin(), page2.end(), "GR  CPS"), page2.end()) << "the trailer alone";
  }
  EXPECT_TRUE(found);
}

TEST(CurveViewPages, FitToPageChoosesTheScaleAndAnImpossibleLayoutStops) {
  {
    // 500 m at 600 dpi; the header row takes 276 dots, leaving 5905 (250 mm).
    TestLog log("curve_fit", {{5000, 0}});
    PageDevice device(600, 4961, 6181);
    const auto shown = RunJob(log, device, [](PrintSettings& s) {
      s.headerPage = 0;
      s.formMarks = 0;
      s.continuousMode = 1;
      s.fitToPage = 1;
    });
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(log.view.PagePrinter()->Settings().scale, 2010);
    EXPECT_EQ(device.pages.size(), 1u);
    // 1 cm of paper holds 20.1 m: labels every 40 m.
    EXPECT_EQ(device.Count("40.00"), 1u);
    EXPECT_EQ(device.Count("480.00"), 1u);
    EXPECT_EQ(device.Count("20.00"), 0u);
  }
  {
    TestLog log("curve_impossible", {{50, 0}});
    PageDevice device(300, 2480, 300);  // no room below the header row and page number
    const auto shown = RunJob(log, device, PageMode);
    EXPECT_LE(device.pages.size(), 2u);
    EXPECT_EQ(shown, std::vector<unsigned>{33600});
    EXPECT_EQ(ReplayRecords(log), 50 + 51);
  }
}

// ---- through the print command's loop to a PDF, read back with poppler-utils

// The x and y (points) of the first word WORD on PAGE in pdftotext -bbox output.
bool WordAt(const std::string& bbox, int page, const std::string& word, double* x, double* y) {
  size_t at = 0;
  for (int i = 0; i < page; ++i) at = bbox.find("<page ", at + 1);
  const size_t end = bbox.find("</page>", at);
  const QRegularExpression re(QString::fromStdString(
      "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">" + word + "</word>"));
  const auto m = re.match(QString::fromStdString(bbox.substr(at, end - at)));
  if (!m.hasMatch()) return false;
  *x = m.captured(1).toDouble();
  *y = m.captured(2).toDouble();
  return true;
}

// A live log has no replay of its files: before REC nothing is recorded, and
// paused or stopped its recording is printed by replaying it. The command is
// off, and running it anyway shows no box and makes no job.
TEST(CurveViewPages, ALiveLogIsNotPagePrinted) {
  qvtest::App();
  qv::SixChannelEngine live;  // a log of the unit until a replay initialises it
  ASSERT_TRUE(live.IsLive());
  qvtest::EngineDoc doc(live, false);
  CCurveView view;
  view.InitialiseFromDocument(&doc);
  qv::MessageRecorder boxes;
  for (int state : {qv::kStateReady, qv::kStatePaused, qv::kStateStop}) {
    live.SetReplayState(state);
    EXPECT_FALSE(view.OnUpdateFilePrint()) << state;
    view.OnFilePrint();
    view.OnFilePrintPreview();
  }
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST(CurveViewPages, RecordedLogToPdf) {
  TestLog log("curve_pdf", {{600, 0}});
  ASSERT_TRUE(log.opened);
  const std::string out = qv::test::TempDir("curve_pdf_out");
  const std::string pdf = out + "/log.pdf";
  LogPagePrinter& printer = *log.view.PagePrinter();
  QPrinter& q = printer.Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(300);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer.SetDialogRunner([&](CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    dlg.OptionsPage()->findChild<QCheckBox*>("continuousMode")->setChecked(false);
    dlg.accept();
    q.setOutputFileName(QString::fromStdString(pdf));
    return dlg.result();
  });
  qv::MessageRecorder boxes;  // the missing logo's box
  EXPECT_TRUE(log.view.OnUpdateFilePrint());
  log.view.OnFilePrint();
  const QString file = QString::fromStdString(pdf);
  const std::string info = RunTool("pdfinfo", {"-f", "1", "-l", "3", file});
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  842 x 595 pts"), std::string::npos) << info;  // the heading turned
  EXPECT_NE(info.find("Page    2 size:  595 x 842 pts"), std::string::npos) << info;

  const PrintSettings& s = printer.Settings();
  const double dot = 72.0 / 300;
  const std::vector<TrackRecord> cols = curveview::CurvePageSource::PrintColumns(log.view.Tracks(), s, 0, 0);
  const std::string bbox = RunTool("pdftotext", {"-bbox", file, "-"});
  double x = 0, y = 0;
  EXPECT_TRUE(WordAt(bbox, 1, "COMPANY", &x, &y));
  EXPECT_TRUE(WordAt(bbox, 1, "Tremarin", &x, &y));
  // The legends in their tracks: GR in track 1, RES in track 2.
  double grY = 0, laterGrY = 0;
  ASSERT_TRUE(WordAt(bbox, 2, "GR", &x, &grY));
  EXPECT_GT(x, cols[0].screenRect.left * dot);
  EXPECT_LT(x, cols[0].screenRect.right * dot);
  ASSERT_TRUE(WordAt(bbox, 2, "RES", &x, &y));
  EXPECT_GT(x, cols[2].screenRect.left * dot);
  EXPECT_LT(x, cols[2].screenRect.right * dot);
  // A depth label centred in the depth track.
  ASSERT_TRUE(WordAt(bbox, 2, "2.00", &x, &y));
  EXPECT_GT(x, cols[1].screenRect.left * dot);
  EXPECT_LT(x, cols[1].screenRect.right * dot);
  // "Page 2" in the foot band; the first log page's header row 310 dots lower.
  ASSERT_TRUE(WordAt(bbox, 2, "Page", &x, &y));
  EXPECT_GT(y, (s.top + s.height - 72) * dot - 1);
  ASSERT_TRUE(WordAt(bbox, 3, "GR", &x, &laterGrY));
  EXPECT_NEAR(grY - laterGrY, 310 * dot, 0.5);

  const std::string fonts = RunTool("pdffonts", {file});
  const QRegularExpression emb(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"),
                               QRegularExpression::MultilineOption);
  int embedded = 0;
  for (auto it = emb.globalMatch(QString::fromStdString(fonts)); it.hasNext(); ++embedded)
    EXPECT_EQ(it.next().captured(1), "yes") << fonts;
  EXPECT_GT(embedded, 0) << fonts;
  if (!RunTool("which", {"qpdf"}).empty()) {
    EXPECT_NE(RunTool("qpdf", {"--check", file}).find("No syntax or stream encoding errors"), std::string::npos);
  }

  // The grid: thick lines 1 cm (118 dots) apart down track 1, the first log
  // page's 310 dots lower than the next page's.
  const std::string png = out + "/p";
  RunTool("pdftoppm", {"-r", "300", "-f", "2", "-l", "3", "-gray", file, QString::fromStdString(png)});
  const QImage first(QString::fromStdString(png + "-2.pgm")), later(QString::fromStdString(png + "-3.pgm"));
  ASSERT_FALSE(first.isNull());
  // A column between two scale lines of track 3, clear of its curve.
  const int column = cols[3].screenRect.left + (cols[3].screenRect.right - cols[3].screenRect.left) * 75 / 100;
  auto darkRuns = [&](const QImage& img) {
    std::vector<int> ys;
    for (int yy = 1; yy < img.height(); ++yy)
      if (qGray(img.pixel(column, yy)) < 224 && qGray(img.pixel(column, yy - 1)) >= 224) ys.push_back(yy);
    return ys;
  };
  const std::vector<int> a = darkRuns(first), b = darkRuns(later);
  ASSERT_GT(a.size(), 6u);
  ASSERT_GT(b.size(), 6u);
  // Thick lines are 3 dots or more: find them by their width.
  auto thickStarts = [&](const QImage& img, const std::vector<int>& starts) {
    std::vector<int> out;
    for (int y0 : starts) {
      int h = 0;
      while (y0 + h < img.height() && qGray(img.pixel(column, y0 + h)) < 224) ++h;
      if (h >= 3 && h < 20) out.push_back(y0);
    }
    return out;
  };
  const std::vector<int> ta = thickStarts(first, a), tb = thickStarts(later, b);
  ASSERT_GT(ta.size(), 3u);
  ASSERT_GT(tb.size(), 3u);
  for (size_t i = 1; i < 10 && i + 1 < ta.size(); ++i) EXPECT_NEAR(ta[i + 1] - ta[i], 118, 2) << i;
  EXPECT_TRUE(boxes.Ids().size() <= 1u);
  // The GR curve runs down track 1 from the top of the data: a dark dot in
  // track 1 on every row a few grid lines down.
  const RecordRect& t1 = cols[0].screenRect;
  int rowsWithCurve = 0;
  for (int yy = ta[3]; yy < ta[3] + 200; ++yy) {
    for (int xx = t1.left + 5; xx < t1.right - 5; ++xx)
      if (qGray(first.pixel(xx, yy)) < 96) {
        ++rowsWithCurve;
        break;
      }
  }
  EXPECT_GT(rowsWithCurve, 190);
  // RES reads 50 throughout. Its first rows have not come through the depth
  // alignment yet: nothing is drawn there, not a line at 0 down the edge.
  const RecordRect& t2 = cols[2].screenRect;
  int darkAtTop = 0;
  for (int yy = ta[1] - 2; yy < ta[1] + 40; ++yy)
    for (int xx = t2.left - 3; xx < t2.left + 100; ++xx) darkAtTop += qGray(first.pixel(xx, yy)) < 96 ? 1 : 0;
  EXPECT_EQ(darkAtTop, 0);

  // The replay goes on afterwards from the start of its window.
  EXPECT_EQ(ReplayRecords(log), 600 + 51);
}

}  // namespace
