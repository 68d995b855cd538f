// The full-wave sonic view's printed log: a recorded full-wave log printed to
// PDF through the cement-bond view's page path, read back with poppler's
// tools: near and far strips 480 samples wide, the segments up to 9 on paper.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <filesystem>

#include "header/header.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tests/tools/cementbond/print_to_pdf.h"
#include "tools/cementbond/cbl_print.h"
#include "tools/fws/fws_document.h"
#include "tools/fws/fws_view.h"

namespace fs = std::filesystem;

namespace {

CurveRecord Curve(int channel, int track, const char* title) {
  CurveRecord c;
  c.headerFlag = c.scaleFlag = 1;
  c.physicalChannel = channel;
  c.firstTrack = c.lastTrack = track;
  c.scaleMaximum = 400;
  c.description = c.shortTitle = title;
  return c;
}

TEST(FwsPrintPages, ARecordedLogToPdf) {
  if (cbltest::Tool("which", {"pdfimages"}).empty()) GTEST_SKIP() << "poppler-utils missing";
  qvtest::App();
  const fs::path folder = qv::test::TempDir("fws_pdf");
  cbltest::WriteLog(folder, 12, 10, 0, 0, 10, true);
  qv::CFWSDocument log;
  qv::LogSetup& s = log.Setup();
  s.pathStem = (folder / "WELL.").string();
  s.logMode = 10;
  s.depthStep = 10;
  s.depthScale = 200;
  ReadHeaderInfo((folder / "WELL.hed").string(), &log.Header());
  cbltest::ViewDoc doc;
  doc.live = false;
  CFWSView view(300);
  std::vector<TrackRecord> tracks(4);
  for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
  tracks[1].type = 1;
  view.resize(1200, 400);
  view.SetLayout(tracks, {Curve(1, 0, "TT"), Curve(7, 2, "VDL Near"), Curve(8, 3, "VDL Far")});
  view.SetupLayout(&doc, &log);
  log.SetView(&view);
  ASSERT_TRUE(log.InitialiseLog(0, 0));

  const std::string out = qv::test::TempDir("fws_pdf_out");
  const std::string pdf = out + "/log.pdf";
  ASSERT_TRUE(cbltest::PrintToPdf(view, pdf));
  const QString file = QString::fromStdString(pdf);
  // Two strips 480 samples wide, one dot row a record at 200 dpi.
  const std::string list = cbltest::Tool("pdfimages", {"-list", file});
  const QRegularExpression strip(QStringLiteral("image\\s+480\\s+\\d+\\s+(gray|rgb)\\s+\\d\\s+8\\s+image"));
  EXPECT_EQ(QString::fromStdString(list).count(strip), 2) << list;
  cbltest::Tool("pdfimages", {"-png", file, QString::fromStdString(out + "/img")});
  int strips = 0;
  for (const auto& e : fs::directory_iterator(out)) {
    if (e.path().extension() != ".png") continue;
    const QImage img(QString::fromStdString(e.path().string()));
    if (img.width() != 480) continue;
    ++strips;
    // Segment 9 (samples 432-479) of some firing k: grey 255 - (±(10 k + 9) + 128).
    bool nine = false;
    for (int y = 0; y < img.height() && !nine; ++y)
      for (int k = 0; k < 12 && !nine; ++k)
        for (bool far : {false, true})
          nine = nine || qGray(img.pixel(455, y)) == 255 - static_cast<std::uint8_t>(cbltest::Sample(k, far, 9) + 128);
    EXPECT_TRUE(nine) << "segment 9 on paper";
    for (int y = 0; y < img.height(); ++y) ASSERT_EQ(qGray(img.pixel(20, y)), 127) << "segment 0 prints mid grey";
  }
  EXPECT_EQ(strips, 2) << list;
}

}  // namespace
