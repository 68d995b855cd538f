// Chart rasters against small golden pictures (ImageMagick compare, every
// dot exact): a curve plot over a metric 1:200 grid with margin numbers from
// the synthetic digits, and televiewer rows with diffusion. QV_UPDATE_GOLDEN
// set writes the pictures instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/print/recorder/plot_fixture.h"

namespace qvtest {
namespace {

using GoldenTest = PlotFixture;

// Differing dots between the golden picture NAME and LINES.
void ExpectGolden(const std::string& dir, const std::string& name, const std::vector<RasterLine>& lines) {
  const std::string golden = std::string(QV_TEST_SOURCE_DIR) + "/golden/" + name;
  if (std::getenv("QV_UPDATE_GOLDEN")) {
    ASSERT_TRUE(WritePbm(golden, lines));
    return;
  }
  if (std::system("command -v compare >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick compare missing";
  const std::string out = dir + "/" + name;
  ASSERT_TRUE(WritePbm(out, lines));
  const std::string command = "compare -metric AE '" + golden + "' '" + out + "' null: 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buf[128] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, pipe);
  ::pclose(pipe);
  EXPECT_EQ(std::string(buf, n), "0") << name;
}

TEST_F(GoldenTest, CurvePlotOverTheGrid) {
  g_bWrapCurves = 1;
  for (int direction : {0, 1}) {
    log = std::make_shared<PortLog>();
    auto g = Plot(0, 200, direction);
    g->SetDigitGlyphs(SyntheticGlyphs());
    Legend(*g, {Entry(1, 0, 0, 1), Entry(2, 1, 0, 2), Entry(3, 0, 0, 5), Entry(4, 1, 1, 8)});
    log->writes.clear();
    std::vector<int> values;
    for (int row = 0; row < 160; ++row) {
      values.push_back(row * 5);  // wraps past 508
      values.push_back(250 + (row % 40) * 3);
      values.push_back(508 - row * 2);
      values.push_back(row * 6);
    }
    g->PlotCurveRow(values.data(), static_cast<int>(values.size()), 100, false);
    g->FinishPlot();
    ExpectGolden(dir, direction ? "plot_turned.pbm" : "plot.pbm", DecodeCapture(log->Bytes(), 0).lines);
  }
}

TEST_F(GoldenTest, TeleviewerRowsWithDiffusion) {
  for (uint8_t model : {0, 1}) {
    log = std::make_shared<PortLog>();
    CGulton g(model, kPrintTeleviewer, 0, nullptr, 1, 0, 1);
    g.SetDigitGlyphs(SyntheticGlyphs());
    std::vector<TeleviewerImageRow> rows(24);
    for (size_t r = 0; r < rows.size(); ++r) {
      for (int j = 0; j < 128; ++j) {
        rows[r].amplitude[j] = static_cast<uint8_t>((j / 2 + r) % 64);
        rows[r].transit[j] = static_cast<uint8_t>((j + 4 * r) % 128);
      }
    }
    rows[2].marks = kRowDepthTick | kRowLoggingDown;
    rows[5].marks = kRowNewMinute;
    g.PrintTeleviewerRows(rows.data(), static_cast<int>(rows.size()), 1);
    ExpectGolden(dir, model ? "televiewer_printrex.pbm" : "televiewer_gulton.pbm",
                 DecodeCapture(log->Bytes(), model).lines);
  }
}

}  // namespace
}  // namespace qvtest
