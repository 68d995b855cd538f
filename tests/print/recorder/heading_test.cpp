// The log heading on the recorder: its framing per model, the log name in
// capitals on a copy, the form against a golden picture (texts masked), the
// turned heading as the upright one turned by 180 degrees, and the form
// without a record or a logo.
#include "print/page/heading.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "header/header_info.h"
#include "platform/text/msgbox.h"
#include "tests/print/recorder/text_block_fixture.h"

namespace qvtest {
namespace {

class HeadingTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    // A 4 x 4 checkered logo, stretched over the logo box.
    QImage logo(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) logo.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(20, 20, 20));
    ASSERT_TRUE(logo.save(QString::fromStdString(dir + "/LOGO.BMP"), "BMP"));
    savedFolder = g_strProgramFolder;
    g_strProgramFolder = dir;
  }
  void TearDown() override {
    g_strProgramFolder = savedFolder;
    RecorderTest::TearDown();
  }
  std::string savedFolder;

  static HeaderInfo Filled() {
    HeaderInfo h;
    h.Project = "North field survey";
    h.LogName = "gamma ray";
    h.Company = "Quorvanta Logging";
    h.Wellname = "W-12";
    h.OtherServices1 = "Sonic";
    h.KellyBushing = 12.5f;
    h.RunNo1 = 1;
    h.DepthLogger1 = 850.25f;
    h.BitRec1 = 8.5f;
    h.CasRecTo1 = 120;
    h.Comment[0] = "not in the heading";
    return h;
  }

  std::vector<RasterLine> Heading(const HeaderInfo* h, uint8_t model, int direction) {
    log = std::make_shared<PortLog>();
    TextRecorder(model, direction)->PrintLogHeading(h);
    const auto d = DecodeCapture(log->Bytes(), model);
    EXPECT_TRUE(d.problems.empty());
    return d.lines;
  }
};

TEST_F(HeadingTest, FramingPerModel) {
  const HeaderInfo h = Filled();
  const std::pair<uint8_t, std::string> cases[] = {
      {0, "start ESC 0 ESC 1 LF raster x1213 LF x3 ESC 2"},
      {1, "paper CR raster x1213 CR"},
      {2, "paper CR raster x1213 CR"},
  };
  for (const auto& [model, summary] : cases) {
    log = std::make_shared<PortLog>();
    TextRecorder(model, 0)->PrintLogHeading(&h);
    EXPECT_EQ(TokenSummary(DecodeCapture(log->Bytes(), model)), summary) << int(model);
  }
}

TEST_F(HeadingTest, LogNameInCapitalsOnACopy) {
  HeaderInfo h = Filled();
  h.LogName = "gamma r\xE9sistivit\xE9";
  const HeaderInfo before = h;
  Heading(&h, 0, 0);
  EXPECT_EQ(h, before);  // the caller's record keeps its letters
  HeaderInfo capitals = h;
  capitals.LogName = "GAMMA R\xC9SISTIVIT\xC9";
  HeaderInfo none = h;
  none.LogName.clear();
  const auto form = qv::LogHeadingForm(&h, dir);
  const auto upper = qv::LogHeadingForm(&capitals, dir);
  const auto empty = qv::LogHeadingForm(&none, dir);
  EXPECT_TRUE(SameRaster(form, upper));
  if (qv::ChartFontAvailable()) {
    EXPECT_FALSE(SameRaster(form, empty));
  }
}

// The form's texts hidden: the box of each text (2 dots of margin) where the
// upright heading puts it (form column c on line c, form row r on dot 1696 - r).
void MaskHeadingTexts(std::vector<RasterLine>& lines, const HeaderInfo& h) {
  for (const qv::print::HeadingText& t : qv::print::HeadingTexts()) {
    std::string text = t.Text(h);
    if (t.capitals)
      for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const int w = qv::ChartTextWidth(text, 30);
    const int x = t.recX1 >= 0 ? CGulton::CenterGlyphs(t.recX, t.recX1, static_cast<int>(text.size())) : t.recX;
    for (int col = std::max(0, x - 2); col < std::min(1213, x + w + 2); ++col)
      for (int row = t.recY - 2; row < t.recY + 32; ++row) ClearDot(lines[static_cast<size_t>(col)], 1696 - row);
  }
}

TEST_F(HeadingTest, FormAgainstGoldenAndTurnedIsTheFormTurned) {
  const HeaderInfo h = Filled();
  auto upright = Heading(&h, 0, 0);
  const auto turned = Heading(&h, 0, 1);
  ASSERT_EQ(upright.size(), 1213u);
  ASSERT_EQ(turned.size(), 1213u);
  // Turned: line i is upright line 1212 - i, dot d upright dot 1696 - d.
  for (size_t i = 0; i < 1213; ++i)
    for (int d = 0; d < kRasterDots; ++d) {
      const bool want = d <= 1696 && Dot(upright[1212 - i], 1696 - d);
      if (Dot(turned[i], d) != want) {
        ADD_FAILURE() << "line " << i << " dot " << d;
        return;
      }
    }
  MaskHeadingTexts(upright, h);
  ExpectGoldenPicture(dir, "heading.pbm", upright);
}

TEST_F(HeadingTest, WithoutRecordOrLogo) {
  std::filesystem::remove(dir + "/LOGO.BMP");
  qv::MessageRecorder boxes;
  const auto lines = Heading(nullptr, 1, 0);
  ASSERT_EQ(lines.size(), 1213u);
  EXPECT_TRUE(boxes.Ids().empty()) << "a folder without a logo has none";
  // Only rules and frame: the logo box right edge (column 400, rows 0 to 419
  // on dots 1696 down to 1277), nothing inside the logo box or the cells.
  EXPECT_TRUE(Dot(lines[400], 1696 - 200));
  EXPECT_TRUE(Dot(lines[400], 1696 - 419));
  EXPECT_FALSE(Dot(lines[400], 1696 - 420 - 1));
  for (int col = 10; col < 390; ++col)
    for (int row = 10; row < 410; ++row) ASSERT_FALSE(Dot(lines[static_cast<size_t>(col)], 1696 - row));
  // The title block's texts would sit from row 97; nothing there.
  for (int col = 410; col < 1200; ++col)
    for (int row = 90; row < 200; ++row) ASSERT_FALSE(Dot(lines[static_cast<size_t>(col)], 1696 - row));
}

}  // namespace
}  // namespace qvtest
