// The recorder's text blocks: framing per model, one-dot forms landing on
// their line and dot both ways, the trailer's lines and height, the remarks
// block against a golden picture, and a failed write.
#include <gtest/gtest.h>

#include "header/header_info.h"
#include "tests/print/recorder/text_block_fixture.h"

namespace qvtest {
namespace {

using TextBlockTest = RecorderTest;

TEST_F(TextBlockTest, FramingPerModel) {
  TrailerText one;
  one.Text3 = "RUN ENDED";
  struct Case {
    uint8_t model;
    int block;  // 0 heading, 1 remarks, 2 trailer of one line
    std::string summary;
  };
  const Case cases[] = {
      {0, 0, "start ESC 0 ESC 1 LF raster x1213 LF x3 ESC 2"},
      {1, 0, "paper CR raster x1213 CR"},
      {2, 0, "paper CR raster x1213 CR"},
      {0, 1, "start ESC 0 ESC 1 LF raster x400 LF ESC 2"},
      {1, 1, "paper CR raster x400 CR"},
      {0, 2, "start ESC 0 ESC 1 LF raster x75 LF ESC 2"},
      {2, 2, "paper CR raster x75 CR"},
  };
  for (const Case& c : cases)
    for (int direction : {0, 1}) {
      log = std::make_shared<PortLog>();
      auto g = TextRecorder(c.model, direction);
      if (c.block == 0)
        g->SendHeadingForm(qv::MonoRaster(1213, 1693));
      else if (c.block == 1)
        g->PrintRemarks(nullptr, "/data/WELL1.");
      else
        g->PrintTrailerText(&one);
      const auto d = DecodeCapture(log->Bytes(), c.model);
      EXPECT_TRUE(d.problems.empty());
      EXPECT_EQ(TokenSummary(d), c.summary) << int(c.model) << " " << c.block << " " << direction;
    }
}

TEST_F(TextBlockTest, EmptyTrailerSendsNothing) {
  for (uint8_t model : {0, 1, 2}) {
    log = std::make_shared<PortLog>();
    g_nPrintMedium = 1;
    TrailerText none;
    TextRecorder(model, 0)->PrintTrailerText(&none);
    TextRecorder(model, 1)->PrintTrailerText(nullptr);
    EXPECT_TRUE(log->Bytes().empty()) << int(model);
  }
}

// One inked dot of a form, where it lands: line and dot, upright and turned.
TEST_F(TextBlockTest, OneDotFormsLandOnTheirLineAndDot) {
  struct Case {
    int block;  // 0 heading (1213 x 1693), 1 remarks (1696 x 400), 2 trailer (1696 x 75)
    int x, y;
    int line, dot;              // upright
    int turnedLine, turnedDot;  // direction 1
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1696, 1212, 0},     {0, 1212, 1692, 1212, 4, 0, 1692}, {0, 500, 700, 500, 996, 712, 700},
      {0, 1212, 0, 1212, 1696, 0, 0},  {1, 0, 0, 0, 0, 399, 1695},        {1, 1695, 399, 399, 1695, 0, 0},
      {1, 7, 123, 123, 7, 276, 1688},  {2, 0, 0, 0, 0, 74, 1695},         {2, 1695, 74, 74, 1695, 0, 0},
      {2, 100, 40, 40, 100, 34, 1595},
  };
  const int sizes[][2] = {{1213, 1693}, {1696, 400}, {1696, 75}};
  for (const Case& c : cases)
    for (int direction : {0, 1}) {
      log = std::make_shared<PortLog>();
      qv::MonoRaster form(sizes[c.block][0], sizes[c.block][1]);
      form.SetInk(c.x, c.y);
      auto g = TextRecorder(0, direction);
      if (c.block == 0)
        g->SendHeadingForm(form);
      else
        g->SendTextBlock(form);
      const auto lines = DecodeCapture(log->Bytes(), 0).lines;
      ASSERT_EQ(lines.size(), static_cast<size_t>(c.block == 0 ? 1213 : sizes[c.block][1]));
      const std::pair<int, int> want =
          direction ? std::make_pair(c.turnedLine, c.turnedDot) : std::make_pair(c.line, c.dot);
      EXPECT_EQ(InkedDots(lines), (std::vector<std::pair<int, int>>{want}))
          << c.block << " (" << c.x << "," << c.y << ") direction " << direction;
    }
}

TEST_F(TextBlockTest, TrailerTakesTheFilledLinesInOrder) {
  TrailerText t;
  t.Text2 = "second";
  t.Text4 = "fourth";
  EXPECT_EQ(qv::TrailerLines(t), (std::vector<std::string>{"second", "fourth"}));
  const qv::MonoRaster form = qv::TrailerForm(t);
  EXPECT_EQ(form.Width(), 1696);
  EXPECT_EQ(form.Height(), 2 * 30 + 2 * 5 + 40);
  t.Text1 = "first";
  t.Text3 = "third";
  EXPECT_EQ(qv::TrailerForm(t).Height(), 4 * 35 + 40);
  EXPECT_EQ(qv::TrailerForm(TrailerText{}).Height(), 0);
}

TEST_F(TextBlockTest, BlocksAgainstGoldenPictures) {
  HeaderInfo h;
  for (int i = 0; i < 10; ++i) h.Comment[static_cast<size_t>(i)] = "remark line " + std::to_string(i + 1);
  TrailerText t;
  t.Text1 = "Logged by the day shift";
  t.Text3 = "Tool string: GR-N";
  const std::string title = "REMARKS     ( /data/WELL1.hed )";
  for (int direction : {0, 1}) {
    log = std::make_shared<PortLog>();
    TextRecorder(0, direction)->PrintRemarks(&h, "/data/WELL1.LOG");
    auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 400u);
    MaskBlockText(lines, 400, direction == 1, 20, 10, qv::kCompanyBanner);
    MaskBlockText(lines, 400, direction == 1, 20, 55, title);
    for (int i = 0; i < 10; ++i)
      MaskBlockText(lines, 400, direction == 1, 40, 95 + 30 * i, h.Comment[static_cast<size_t>(i)]);
    ExpectGoldenPicture(dir, direction ? "remarks_turned.pbm" : "remarks.pbm", lines);

    log = std::make_shared<PortLog>();
    TextRecorder(1, direction)->PrintTrailerText(&t);
    lines = DecodeCapture(log->Bytes(), 1).lines;
    ASSERT_EQ(lines.size(), 110u);
    MaskBlockText(lines, 110, direction == 1, 20, 20, t.Text1);
    MaskBlockText(lines, 110, direction == 1, 20, 55, t.Text3);
    ExpectGoldenPicture(dir, direction ? "trailer_turned.pbm" : "trailer.pbm", lines);
  }
}

TEST_F(TextBlockTest, CommentLineIsDrawnInItsBox) {
  // The goldens mask the texts; the first comment line is inked in its box.
  HeaderInfo h;
  h.Comment[0] = "remark";
  const qv::MonoRaster with = qv::RemarksForm(&h, "W.LOG");
  int inked = 0;
  for (int y = 95; y < 125; ++y)
    for (int x = 40; x < 40 + qv::ChartTextWidth("remark", 30); ++x) inked += with.Ink(x, y);
  if (qv::ChartFontAvailable()) {
    EXPECT_GT(inked, 50);
  }
}

TEST_F(TextBlockTest, RemarksTitleNamesTheHeaderFile) {
  // Only the last dot of the file name counts; a name without one gets ".hed"
  // after it, like the page heading.
  EXPECT_TRUE(SameRaster(qv::RemarksForm(nullptr, "/data/WELL1"), qv::RemarksForm(nullptr, "/data/WELL1.LOG")));
  EXPECT_TRUE(SameRaster(qv::RemarksForm(nullptr, "/data/WELL1.LOG"), qv::RemarksForm(nullptr, "/data/WELL1.")));
  if (qv::ChartFontAvailable()) {
    EXPECT_FALSE(SameRaster(qv::RemarksForm(nullptr, "/data/WELL1"), qv::RemarksForm(nullptr, "/data/WELL2")));
  }
}

TEST_F(TextBlockTest, FailedWriteRaisesAndClosesThePort) {
  log->failAt = 10;
  auto g = TextRecorder(0, 0);
  EXPECT_THROW(g->PrintRemarks(nullptr, "W.LOG"), CUserException);
  EXPECT_FALSE(g->PortOpen());
  EXPECT_EQ(log->writes.size(), 9u);
}

}  // namespace
}  // namespace qvtest
