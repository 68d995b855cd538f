// The televiewer view's pages of a recorded two-file log, printed through
// the print command's loop to a PDF read back with poppler-utils: the
// strips' image sizes (pdfimages), the labels (pdftotext) and the pages
// (pdfinfo), with separate pages on and off and fitted to the page.
#include "tools/televiewer/bhtv_pages.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QProcess>
#include <QRegularExpression>
#include <fstream>
#include <numeric>

#include "header/header.h"
#include "platform/text/msgbox.h"
#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "tests/support/qt_app.h"
#include "tests/support/run_tool.h"
#include "tests/support/test_files.h"
#include "tools/televiewer/bhtv_view.h"

namespace {

using qvtest::RunTool;

using namespace qv::print;

constexpr int kStep = 10;  // 1 cm per sweep

// A televiewer file of RECORDS sweeps logged down from START: a fracture
// crosses the wall as a sinusoid every 100 sweeps (dark amplitude, long
// transit time), the rest of the wall is even.
bool WriteBtv(const std::string& path, int records, int start, const std::string& chainTo, bool up) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(records) * qv::TeleviewerFileRecord::kSize);
  for (int i = 0; i < records; ++i) {
    qv::TeleviewerFileRecord r;
    for (int j = 0; j < 128; ++j) {
      const double centre = 50 + 20 * std::sin(j * 2 * M_PI / 128);
      const bool dark = std::abs(i % 100 - centre) < 3;
      r.samples[j] = static_cast<std::uint16_t>((dark ? 5 : 50) << 8 | (dark ? 110 : 30) << 1);
    }
    r.depthStep = (up ? qv::TeleviewerFileRecord::kStepNotIncreased : qv::TeleviewerFileRecord::kStepIncreased) | 1;
    if (i % 200 == 0) r.depthStep |= qv::TeleviewerFileRecord::kMinuteMark;
    r.Encode(std::span<std::uint8_t, qv::TeleviewerFileRecord::kSize>(
        bytes.data() + static_cast<std::size_t>(i) * qv::TeleviewerFileRecord::kSize, qv::TeleviewerFileRecord::kSize));
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::ofstream(path.substr(0, path.size() - 3) + "hed") << "[General]\r\nIdent=QUORVANTA\r\n";
  HeaderInfo h;
  h.Company = "Tremarin";
  h.LogMode = up ? 11 : 12;
  h.Step = kStep;
  h.Startdepth = start;
  h.EndDepth = start + (up ? -1 : 1) * records * kStep;
  if (!WriteHeaderInfo(path, &h, nullptr)) return false;
  TrailerText t;
  t.Text1 = "END OF LOG";
  if (!WriteTrailerText(path, &t)) return false;
  return chainTo.empty() || WriteChainTo(path, chainTo);
}

// A recorded televiewer log (files of the given sweep counts, chained) and
// its view.
struct TestLog {
  TestLog(const std::string& area, std::vector<int> files, bool up = false) {
    dir = qv::test::TempDir(area);
    int start = 110000;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string name = i == 0 ? "WELL" : "WELL" + std::to_string(i);
      const std::string next = i + 1 < files.size() ? "WELL" + std::to_string(i + 1) : "";
      written = WriteBtv(dir + "/" + name + ".BTV", files[i], start, next, up) && written;
      start += (up ? -1 : 1) * files[i] * kStep;
    }
    qv::LogSetup& s = engine.Setup();
    s.pathStem = dir + "/WELL.";
    s.logMode = up ? 11 : 12;
    s.depthStep = kStep;
    s.depthScale = 200;
    s.replayStartDepth = 110000;
    s.replayEndDepth = 110000 + (up ? -1 : 1) * files[0] * kStep;
    opened = written && engine.InitialiseLog(0, 10);
    std::vector<TrackRecord> tracks(3);
    tracks[0].type = 1;
    std::vector<CurveRecord> curves(2);
    for (int c = 0; c < 2; ++c) {
      curves[c].headerFlag = 1;
      curves[c].firstTrack = curves[c].lastTrack = c + 1;
      curves[c].physicalChannel = c + 1;
      curves[c].shortTitle = c == 0 ? "AMP" : "TT";
      curves[c].scaleMaximum = c == 0 ? 64 : 128;
    }
    view.resize(500, 400);
    view.SetLayout(std::move(tracks), std::move(curves));
    view.SetupLayout(false, kStep);
    view.SetEngine(&engine);
    view.SetFollowChain([chain = files.size() > 1] { return chain; });
  }
  bool appReady = (qvtest::App(), true);  // before any widget
  std::string dir;
  bool written = true;
  bool opened = false;
  qv::TeleviewerEngine engine;
  CBHTVView view{600};
};

// Page mode at 300 dpi on A4 to PDF, settings as SET leaves them.
std::string PrintToPdf(TestLog& log, const std::string& name, const std::function<void(PrintSettings&)>& set) {
  const std::string pdf = log.dir + "/" + name + ".pdf";
  LogPagePrinter& printer = *log.view.PagePrinter();
  QPrinter& q = printer.Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(300);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer.SetDialogRunner([&](CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    dlg.accept();
    PrintSettings& s = printer.Settings();
    s.headerPage = 0;
    s.continuousMode = 0;
    s.formMarks = 0;
    set(s);
    q.setOutputFileName(QString::fromStdString(pdf));
    return dlg.result();
  });
  qv::MessageRecorder boxes;
  EXPECT_TRUE(log.view.OnUpdateFilePrint());
  log.view.OnFilePrint();
  EXPECT_TRUE(boxes.Ids().empty());
  return pdf;
}

struct Image {
  int page, width, height;
};

std::vector<Image> Images(const std::string& pdf) {
  std::vector<Image> out;
  const QRegularExpression row(QStringLiteral("^\\s*(\\d+)\\s+\\d+\\s+\\w+\\s+(\\d+)\\s+(\\d+)"),
                               QRegularExpression::MultilineOption);
  for (auto it = row.globalMatch(QString::fromStdString(RunTool("pdfimages", {"-list", QString::fromStdString(pdf)})));
       it.hasNext();) {
    const auto m = it.next();
    out.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()});
  }
  return out;
}

int Pages(const std::string& pdf) {
  const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
  return re.match(QString::fromStdString(RunTool("pdfinfo", {QString::fromStdString(pdf)}))).captured(1).toInt();
}

// Paper rows a file of N sweeps takes at 0.25 mm a sweep.
int RowsOf(int n, const PrintSettings& s) {
  return static_cast<int>(n * (0.25 / s.mmPerPixel) + 0.5);
}

TEST(TeleviewerPages, AChainPrintsFileAfterFileOnTheSamePageOrOnSeparatePages) {
  if (RunTool("which", {"pdfimages"}).empty()) GTEST_SKIP() << "poppler-utils missing";
  for (const bool separate : {false, true}) {
    SCOPED_TRACE(separate ? "separate pages" : "one page");
    TestLog log(separate ? "btv_pages_separate" : "btv_pages_chain", {300, 200});
    ASSERT_TRUE(log.opened);
    const std::string pdf = PrintToPdf(log, "log", [&](PrintSettings& s) { s.separatePages = separate ? 1 : 0; });
    const PrintSettings& s = log.view.PagePrinter()->Settings();
    EXPECT_EQ(Pages(pdf), separate ? 2 : 1);
    // Two strips per file, 128 samples wide, a sweep 0.25 mm of paper: every
    // sweep of each file, its last one included.
    const int first = RowsOf(300, s), second = RowsOf(200, s);
    EXPECT_EQ(first, 886);
    std::vector<std::tuple<int, int, int>> got;
    for (const Image& i : Images(pdf)) got.emplace_back(i.page, i.width, i.height);
    const int page2 = separate ? 2 : 1;
    EXPECT_EQ(got, (std::vector<std::tuple<int, int, int>>{
                       {1, 128, first}, {1, 128, first}, {page2, 128, second}, {page2, 128, second}}));
    const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    for (const char* label : {"111.00", "112.00", "114.00", "AMP", "TT", "END OF LOG", "Page 1"})
      EXPECT_NE(text.find(label), std::string::npos) << label << "\n" << text;
    EXPECT_EQ(text.find("110.00"), std::string::npos) << "no row stands at the top depth";
    // Each file opens with the headers at the page's top and closes with them
    // below its data; on a shared page the second file's opening headers
    // stand over the first's.
    const QString all = QString::fromStdString(text);
    EXPECT_EQ(all.count(QStringLiteral("AMP")), separate ? 4 : 3) << text;
    EXPECT_EQ(all.count(QStringLiteral("END OF LOG")), 2) << text;
  }
}

TEST(TeleviewerPages, FittedToThePageALongLogMergesSweepsIntoRows) {
  if (RunTool("which", {"pdfimages"}).empty()) GTEST_SKIP() << "poppler-utils missing";
  // 5000 sweeps would take 1.25 m of paper: fitted, several share a row.
  TestLog log("btv_pages_fit", {5000});
  ASSERT_TRUE(log.opened);
  const std::string pdf = PrintToPdf(log, "fit", [](PrintSettings& s) { s.fitToPage = 1; });
  // The log fills the first page in chunks of at most 1000 rows; its
  // closing headers and trailer go on the next.
  EXPECT_EQ(Pages(pdf), 2);
  const auto images = Images(pdf);
  const PrintSettings& s = log.view.PagePrinter()->Settings();
  int rows = 0;
  for (std::size_t i = 0; i < images.size(); ++i) {
    EXPECT_EQ(images[i].page, 1);
    EXPECT_LE(images[i].height, 1000);
    if (i % 2 == 0) rows += images[i].height;
  }
  EXPECT_GT(rows, s.height * 9 / 10);
  EXPECT_LT(rows, s.height);
  // Every whole metre is labelled, however many sweeps share a row.
  const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
  for (int m = 111; m < 160; ++m) EXPECT_NE(text.find(std::to_string(m) + ".00"), std::string::npos) << m;
  EXPECT_NE(text.find("END OF LOG"), std::string::npos);
}

TEST(TeleviewerPages, RowsMergeOrRepeatToThePapersScale) {
  TestLog log("btv_pages_rows", {10});
  ASSERT_TRUE(log.opened);
  qv::TeleviewerPageSource source(log.engine, log.view.Curves(), [] { return false; });
  PrintSettings s;
  InitPrintSettings(&s);
  struct Case {
    double pixels;
    int rows;
    std::vector<int> steps;
    int firstMark;  // a merged row carries the mark of its last sweep
  } cases[] = {{3.0, 30, {1, 0, 0, 1, 0, 0}, 1}, {0.5, 5, {1, 2, 2, 2, 2}, 1}, {1.0 / 3, 3, {2, 3, 3}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pixels);
    source.BeginReplay(s, false);
    EXPECT_EQ(s.printDepth, 110000);
    qv::TeleviewerPrintRows rows;
    ASSERT_EQ(source.BuildPrintRows(1000, c.pixels, rows), c.rows);
    EXPECT_EQ(std::vector<int>(rows.steps.begin(), rows.steps.begin() + static_cast<long>(c.steps.size())), c.steps);
    // Amplitude rows are the samples themselves: the strip spans colours 0..63.
    EXPECT_EQ(*std::max_element(rows.Amplitude(0), rows.Amplitude(0) + 128), 50);
    EXPECT_EQ(rows.marks[0], c.firstMark);
  }
}

TEST(TeleviewerPages, ALogRecordedUpPrintsFromItsShallowEnd) {
  TestLog log("btv_pages_up", {300}, true);
  ASSERT_TRUE(log.opened);
  qv::TeleviewerPageSource source(log.engine, log.view.Curves(), [] { return false; });
  PrintSettings s;
  InitPrintSettings(&s);
  source.BeginReplay(s, false);
  EXPECT_EQ(s.printDepth, 107000) << "the window's smallest depth";
  qv::TeleviewerPrintRows rows;
  const int n = source.BuildPrintRows(1000, 1.0, rows);
  EXPECT_EQ(n, 300) << "every sweep of the window, its deep end included";
  // Read backward, every row moves the depth down the paper.
  for (int i = 0; i < n; ++i) EXPECT_EQ(rows.steps[static_cast<std::size_t>(i)], 1) << i;
  if (RunTool("which", {"pdftotext"}).empty()) return;
  const std::string pdf = PrintToPdf(log, "up", [](PrintSettings&) {});
  const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
  const std::size_t at108 = text.find("108.00"), at109 = text.find("109.00");
  ASSERT_NE(at108, std::string::npos) << text;
  ASSERT_NE(at109, std::string::npos) << text;
  EXPECT_LT(at108, at109) << "the paper runs from the shallow end";
}

TEST(TeleviewerPages, AFileWithoutRoomLeftOnThePageGoesOnOnTheNext) {
  if (RunTool("which", {"pdfimages"}).empty()) GTEST_SKIP() << "poppler-utils missing";
  // The first file ends ever lower on the page, until the second finds no
  // room below it: the second file then goes on on the next page, whole.
  bool moved = false;
  for (int n = 900; n <= 1060 && !moved; n += 10) {
    SCOPED_TRACE(n);
    TestLog log("btv_pages_room", {n, 200});
    ASSERT_TRUE(log.opened);
    const std::string pdf = PrintToPdf(log, "room", [](PrintSettings&) {});
    const PrintSettings& s = log.view.PagePrinter()->Settings();
    const auto images = Images(pdf);
    int rows = 0;
    for (std::size_t i = 0; i < images.size(); i += 2) rows += images[i].height;
    // A row or two of a sweep cut at a page's foot is all that may go.
    EXPECT_NEAR(rows, RowsOf(n, s) + RowsOf(200, s), 2 * Pages(pdf));
    const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    EXPECT_EQ(QString::fromStdString(text).count(QStringLiteral("END OF LOG")), 2);
    const std::size_t k = images.size();
    moved = Pages(pdf) == 2 && k >= 4 && images[k - 2].page == 2 && images[k - 2].height == RowsOf(200, s) &&
            images[k - 3].page == 1;
  }
  EXPECT_TRUE(moved) << "no length left the second file without room";
}

}  // namespace
