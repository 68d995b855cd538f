// The cement-bond view's printed log: records into printer dot rows
// (averaged, repeated, an upward log's lead-in, the waveform carried into the
// next block, time logs) and a recorded log printed to PDF, read back with
// poppler's tools.
#include "tools/cementbond/cbl_print.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <filesystem>
#include <fstream>

#include "logview/print_pages.h"
#include "header/header.h"
#include "header/section_access.h"
#include "platform/text/msgbox.h"
#include "print/page/print_dialog.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tests/tools/cementbond/print_to_pdf.h"
#include "tools/cementbond/cbl_view.h"

namespace fs = std::filesystem;

namespace {

using cbltest::Sample;
using cbltest::WriteLog;
using qv::cbl::CblPageSource;
using qv::cbl::PrintBlock;
using qv::print::PrintSettings;

struct Replayed {
  // sondeCm: the sonde's length in the log's header (none when 0).
  Replayed(const std::string& name, int firings, int logMode = 10, int start = 0, int end = 0, int step = 10,
           int sondeCm = 0) {
    folder = qv::test::TempDir(name);
    WriteLog(folder, firings, logMode, start, end, step);
    if (sondeCm > 0) WriteSondeLength((folder / "WELL.hed").string(), &sondeCm);
    qv::LogSetup& s = log.Setup();
    s.pathStem = (folder / "WELL.").string();
    s.logMode = logMode;
    s.depthStep = step;
    s.depthScale = 200;
    s.replayStartDepth = start;
    s.replayEndDepth = end;
    ReadHeaderInfo((folder / "WELL.hed").string(), &log.Header());
    doc.logMode = logMode;
    doc.step = step;
    doc.live = false;
    std::vector<TrackRecord> tracks(4);
    for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
    tracks[1].type = 1;
    CurveRecord c1;
    c1.headerFlag = c1.scaleFlag = 1;
    c1.physicalChannel = 1;
    c1.scaleMaximum = 400;
    c1.description = c1.shortTitle = "AMP";
    c1.unit = "mV";
    CurveRecord nearWave = c1, farWave = c1;
    nearWave.physicalChannel = 7;
    nearWave.firstTrack = nearWave.lastTrack = 2;
    nearWave.description = nearWave.shortTitle = "VDL Near";
    farWave.physicalChannel = 8;
    farWave.firstTrack = farWave.lastTrack = 3;
    farWave.description = farWave.shortTitle = "VDL Far";
    view.resize(800, 400);
    view.SetLayout(tracks, {c1, nearWave, farWave});
    view.SetupLayout(&doc, &log);
    log.SetView(&view);
    opened = log.InitialiseLog(0, 0);
  }
  // Settings of a printer with the given millimetres a dot.
  static PrintSettings Settings(double mmPerDot) {
    PrintSettings s;
    qv::print::InitPrintSettings(&s);
    s.mmPerPixel = mmPerDot;
    s.inchPerPixel = mmPerDot / 25.4;
    s.scale = 200;
    return s;
  }
  struct AppFirst {
    AppFirst() { qvtest::App(); }
  } app;
  fs::path folder;
  cbltest::ViewDoc doc;
  qv::CCBLDocument log;
  CCBLView view{300};
  bool opened = false;
};

// Values of channel 1 of the dot rows: the print processing's centre row
// lags 26 records (record k's value is k - 26); before that a row holds no
// reading and prints no curve.
double Lagged(int record) {
  return record > 26 ? record - 26 : std::nan("");
}

TEST(CblPrintRows, AveragedRepeatedAndCarriedTimeLogRows) {
  Replayed r("cbl_rows", 6);
  ASSERT_TRUE(r.opened);
  CblPageSource source(r.view, r.log, {});
  struct Case {
    const char* name;
    double mmPerDot;  // a record is 0.127 mm of paper in a time log
    int wanted;
    int from;  // the first row checked
    std::vector<double> values;
    int made;
  };
  const Case cases[] = {
      // Two records a dot row: a row the mean of the records since the last.
      {"averaged", 0.254, 1000, 0, {Lagged(1), Lagged(2)}, 30},
      {"averaged past the lag", 0.254, 1000, 14, {(Lagged(28) + Lagged(29)) / 2, (Lagged(30) + Lagged(31)) / 2}, 30},
      // Two dot rows a record, each with the record's value.
      {"repeated", 0.0635, 1000, 60, {Lagged(31), Lagged(31), Lagged(32), Lagged(32)}, 120},
      {"one each", 0.127, 1000, 29, {Lagged(30), Lagged(31)}, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrintSettings s = Replayed::Settings(c.mmPerDot);
    source.BeginReplay(s, false);
    PrintBlock block;
    const int made = source.BuildPrintRows(s, c.wanted, block, true);
    EXPECT_EQ(made, c.made);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      const double got = block.values[static_cast<std::size_t>(c.from) + i], want = c.values[i];
      if (std::isnan(want))
        EXPECT_TRUE(std::isnan(got)) << i << ": " << got;
      else
        EXPECT_DOUBLE_EQ(got, want) << i;
    }
    source.EndReplay();
  }
  // A record a dot row, first block: the rows open with the first far
  // segment 0; the lead-in before it covers row 0's dot rows; each waveform
  // (far of firing k, near of k + 1) its ten; the last one is carried and
  // its dot rows go to the one before.
  PrintSettings s = Replayed::Settings(0.127);
  source.BeginReplay(s, false);
  PrintBlock block;
  ASSERT_EQ(source.BuildPrintRows(s, 1000, block, true), 60);
  ASSERT_EQ(block.printRows, 7);
  const std::vector<int> counts = {5, 10, 10, 10, 10, 15, 0};
  for (std::size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(block.rows[i].count, counts[i]) << i;
  EXPECT_EQ(block.rows[0].samples[100], 0) << "nothing before the rows opened";
  EXPECT_EQ(block.rows[1].samples[240 + 100], Sample(0, true, 2));
  EXPECT_EQ(block.rows[1].samples[100], Sample(1, false, 2));
  EXPECT_EQ(block.rows[1].samples[10], 0) << "segment 0 is not printed";
  EXPECT_EQ(source.CarriedRow().samples[240 + 200], Sample(5, true, 4));
  source.EndReplay();

  // Blocks of 12 dot rows: the second block starts with the waveform the
  // first one left open, and with rows open from its start.
  s = Replayed::Settings(0.127);
  source.BeginReplay(s, false);
  PrintBlock a, b;
  ASSERT_EQ(source.BuildPrintRows(s, 12, a, true), 12);
  EXPECT_EQ(a.rows[0].count, 12) << "the open waveform's rows went to the one before";
  EXPECT_EQ(source.CarriedRow().samples[240 + 100], Sample(0, true, 2));
  b.rows[0].samples = source.CarriedRow().samples;
  ASSERT_EQ(source.BuildPrintRows(s, 12, b, false), 12);
  EXPECT_EQ(b.rows[0].samples[240 + 100], Sample(0, true, 2));
  EXPECT_EQ(b.rows[0].samples[100], Sample(1, false, 2)) << "near 2-4 of firing 1 filled it";
  source.EndReplay();
}

TEST(CblPrintRows, AnUpwardLogLeadsInAndOutOfItsWindow) {
  // Logged up from 10.000 m to 9.010 m, a record every 10 mm: printed
  // shallow first, by depth, from the window top less the 26 records a
  // record's values take to come out to its bottom plus those; the lead-in
  // and lead-out are read but not printed.
  Replayed r("cbl_up", 10, 11, 10000, 9010, 10);
  ASSERT_TRUE(r.opened);
  CblPageSource source(r.view, r.log, {});
  PrintSettings s = Replayed::Settings(0.05);  // a record a dot row at 1:200
  source.BeginReplay(s, false);
  EXPECT_EQ(s.printDepth, 9010 - 260);
  EXPECT_EQ(s.printEndDepth, 10000 + 260);
  PrintBlock block;
  EXPECT_EQ(source.BuildPrintRows(s, 1000, block, true), 100);
  EXPECT_GT(s.printDepth, s.printEndDepth);
  source.EndReplay();
}

// A log through 6 m, a record every centimetre, printed a record a dot row:
// each row's value of a channel (the record's number, so the depth its
// sensor read it at) lies at the depth the page's grid gives that row,
// logged down or up, whatever the channel's offset on a 2.8 m sonde.
TEST(CblPrintRows, EveryRowShowsTheFormationAtTheDepthItsGridGivesIt) {
  constexpr int kStep = 10, kRecords = 600, kSondeCm = 280;
  for (const int logMode : {12, 11}) {
    for (const int offsetCm : {0, 40, 190}) {
      SCOPED_TRACE(testing::Message() << "mode " << logMode << " offset " << offsetCm);
      const int start = 10000, end = logMode == 12 ? start + (kRecords - 1) * kStep : start - (kRecords - 1) * kStep;
      Replayed r("cbl_depth", kRecords / 10, logMode, start, end, kStep, kSondeCm);
      ASSERT_TRUE(r.opened);
      ASSERT_EQ(r.log.LargestOffset(), kSondeCm * 10 / kStep);
      r.log.Setup().channelFilters[0].Offset = offsetCm;
      CblPageSource source(r.view, r.log, {});
      PrintSettings s = Replayed::Settings(0.05);  // a record a dot row at 1:200
      source.BeginReplay(s, false);
      int depth = source.NextRowDepth();
      int checked = 0;
      for (int b = 0; b < 5; ++b) {
        PrintBlock block;
        const int made = source.BuildPrintRows(s, 200, block, b == 0);
        for (int j = 0; j < made; ++j, depth += kStep) {
          const double v = block.values[static_cast<std::size_t>(j)];
          if (std::isnan(v)) continue;  // the lead-in holds no reading
          const int record = static_cast<int>(v) - 1;
          const int read = (logMode == 12 ? start + record * kStep : start - record * kStep) - offsetCm * 10;
          ASSERT_NEAR(read, depth, kStep) << "row " << j << " of block " << b;
          ++checked;
        }
      }
      EXPECT_GT(checked, 200);
      source.EndReplay();
    }
  }
}

using cbltest::Tool;

TEST(CblPrintPages, ARecordedLogToPdf) {
  if (Tool("which", {"pdfimages"}).empty()) GTEST_SKIP() << "poppler-utils missing";
  Replayed r("cbl_pdf", 20);
  ASSERT_TRUE(r.opened);
  const std::string out = qv::test::TempDir("cbl_pdf_out");
  const std::string pdf = out + "/log.pdf";
  ASSERT_TRUE(cbltest::PrintToPdf(r.view, pdf));
  const qv::print::LogPagePrinter& printer = *r.view.PagePrinter();
  const QString file = QString::fromStdString(pdf);
  // The page model's pages: the heading turned to landscape, then the log
  // page (portrait) with its closing header row and trailer.
  const std::string info = Tool("pdfinfo", {"-f", "1", "-l", "2", file});
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  842 x 595 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  595 x 842 pts"), std::string::npos) << info;
  const std::string text = Tool("pdftotext", {"-f", "2", "-l", "2", file, "-"});
  EXPECT_NE(text.find("VDL Near"), std::string::npos) << text;
  EXPECT_NE(text.find("AMP"), std::string::npos) << text;
  // The two waveform strips: 240 samples by the dot rows they cover, grey
  // 255 - (sample + 128); at 200 dpi a record is one dot row (0.127 mm).
  const std::string list = Tool("pdfimages", {"-list", file});
  // Stored without loss (a colour printer keeps it as equal RGB components).
  const QRegularExpression strip(QStringLiteral("image\\s+240\\s+200\\s+(gray|rgb)\\s+\\d\\s+8\\s+image"));
  EXPECT_EQ(QString::fromStdString(list).count(strip), 2) << list;
  Tool("pdfimages", {"-png", "-f", "2", "-l", "2", file, QString::fromStdString(out + "/img")});
  int strips = 0;
  for (const auto& e : fs::directory_iterator(out)) {
    if (e.path().extension() != ".png") continue;
    const QImage img(QString::fromStdString(e.path().string()));
    if (img.width() != 240 || img.height() != 200) continue;
    ++strips;
    const bool far = qGray(img.pixel(100, 20)) > 128;
    // Dot row 20: waveform 1 (rows 15-24): far of firing 1, near of firing 2.
    const int firing = far ? 1 : 2;
    EXPECT_EQ(qGray(img.pixel(100, 20)), 255 - static_cast<std::uint8_t>(Sample(firing, far, 2) + 128)) << far;
    EXPECT_EQ(qGray(img.pixel(100, 14)), 255 - static_cast<std::uint8_t>(Sample(far ? 0 : 1, far, 2) + 128)) << far;
    EXPECT_EQ(qGray(img.pixel(10, 20)), 127) << "segment 0 prints mid grey";
    EXPECT_EQ(qGray(img.pixel(100, 2)), 127) << "the lead-in before the first waveform";
  }
  EXPECT_EQ(strips, 2) << list;
  // The near gates as black lines across the near strip.
  Tool("pdftoppm", {"-r", "200", "-f", "2", "-l", "2", "-gray", file, QString::fromStdString(out + "/p")});
  const QImage page(QString::fromStdString(out + "/p-2.pgm"));
  ASSERT_FALSE(page.isNull());
  const PrintSettings& s = printer.Settings();
  const std::vector<TrackRecord> cols = curveview::CurvePageSource::PrintColumns(r.view.Tracks(), s, 0, 0);
  const int left = cols[2].screenRect.left, width = cols[2].screenRect.right - cols[2].screenRect.left;
  int y = -1;  // a dot row inside the strip, found by its grey
  for (int yy = 0; yy < page.height() && y < 0; ++yy)
    if (qGray(page.pixel(left + width / 2, yy)) == 255 - static_cast<std::uint8_t>(Sample(2, false, 2) + 128) &&
        qGray(page.pixel(left + width / 4, yy)) != 255)
      y = yy;
  ASSERT_GE(y, 0);
  const int gate = left + 201 * width / 960;
  EXPECT_LT(qGray(page.pixel(gate + 1, y)), 40);
  EXPECT_LT(qGray(page.pixel(left + 233 * width / 960 + 1, y)), 40);
}

}  // namespace
