// The heat-pulse result sheet: framing per model and form-mark setting, time
// ticks, the fluid speed out of range, and results without a scale.
#include <gtest/gtest.h>

#include "print/recorder/chart_text.h"
#include "print/recorder/mono_raster.h"
#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {
namespace {

using HeatPulseTest = RecorderTest;

constexpr std::time_t kNoon = 1700000000;

std::unique_ptr<CGulton> Sheet(uint8_t model) {
  const TrackScale zero[5] = {};
  return std::make_unique<CGulton>(model, kPrintPlot, kVerticalTime, zero, -1, 0, 1);
}

// Runs of inked dots on ROW between dots FROM and TO.
int Runs(const RasterLine& row, int from, int to) {
  int runs = 0;
  bool in = false;
  for (int x = from; x <= to; ++x) {
    const bool ink = (row[static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
    if (ink && !in) ++runs;
    in = ink;
  }
  return runs;
}

TEST_F(HeatPulseTest, FramingPerModelAndFormMarks) {
  const int saved = g_bFormMarkDetect;
  struct Case {
    uint8_t model;
    int formMarks;
    std::string summary;
  };
  const Case cases[] = {
      {0, 1, "start ESC 0 ESC 1 LF raster x900 ESC 2 eject N eject O FF"},
      {0, 0, "start ESC 0 ESC 1 LF raster x900 ESC 2 LF x10"},
      {1, 0, "paper CR raster x900 CR x10"},
  };
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    g_bFormMarkDetect = c.formMarks;
    HeatPulseResult r;
    r.durationMs = 10000;
    r.plotRange = 100;
    r.samplePeriodMs = 100;
    r.samples.assign(100, 50.0);
    Sheet(c.model)->PrintHeatPulseResult(r, kNoon);
    const auto d = DecodeCapture(log->Bytes(), c.model);
    EXPECT_TRUE(d.problems.empty());
    EXPECT_EQ(TokenSummary(d), c.summary);
    EXPECT_EQ(d.lines[0][208], 0);  // the last 8 bytes stay blank
  }
  g_bFormMarkDetect = saved;
}

TEST_F(HeatPulseTest, TimeTicks) {
  struct Case {
    int durationMs, ticks, majors;
  };
  const Case cases[] = {{10000, 50, 10}, {30000, 30, 3}, {120000, 60, 12}, {500, 0, 0}};
  for (const Case& c : cases) {
    log = std::make_shared<PortLog>();
    HeatPulseResult r;
    r.durationMs = c.durationMs;
    r.plotRange = 10;
    r.samplePeriodMs = 100;  // no samples, marker at the axis
    Sheet(0)->PrintHeatPulseResult(r, kNoon);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 900u);
    EXPECT_EQ(Runs(lines[496], 127, 1640), c.ticks) << c.durationMs;   // minor and major
    EXPECT_EQ(Runs(lines[492], 127, 1640), c.majors) << c.durationMs;  // major only
  }
}

TEST_F(HeatPulseTest, CurveIsLimitedAndAResultWithoutScaleHasNone) {
  HeatPulseResult r;
  r.durationMs = 10000;
  r.plotRange = 10;
  r.samplePeriodMs = 10000;
  r.samples = {1e9};          // far beyond the range: drawn on the top limit
  r.interpretationTime = 20;  // beyond the measurement: the marker stays on the plot
  Sheet(0)->PrintHeatPulseResult(r, kNoon);
  auto lines = DecodeCapture(log->Bytes(), 0).lines;
  ASSERT_EQ(lines.size(), 900u);
  EXPECT_GE(Runs(lines[150], 130, 1620), 1);
  EXPECT_EQ(Runs(lines[300], 1620, 1640), 1);  // marker at 125 + 1505
  for (int range : {0, -5}) {
    log = std::make_shared<PortLog>();
    r.plotRange = range;
    Sheet(0)->PrintHeatPulseResult(r, kNoon);
    lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 900u);
    EXPECT_EQ(Runs(lines[150], 130, 1620), 0) << range;
    EXPECT_EQ(Runs(lines[300], 127, 1640), 0) << range;
  }
}

// The speed is printed in the unit it was computed in: ft/min on a log in
// feet, m/min on a metric one.
TEST_F(HeatPulseTest, FluidSpeedCarriesTheLogsUnit) {
  if (!qv::ChartFontAvailable()) GTEST_SKIP() << "no chart font";
  for (const bool imperial : {false, true}) {
    log = std::make_shared<PortLog>();
    HeatPulseResult r;
    r.durationMs = 10000;
    r.plotRange = 10;
    r.samplePeriodMs = 100;
    r.fluidSpeed = 12.5;
    r.imperial = imperial;
    Sheet(0)->PrintHeatPulseResult(r, kNoon);
    const auto lines = DecodeCapture(log->Bytes(), 0).lines;
    ASSERT_EQ(lines.size(), 900u);
    const std::string text = imperial ? "Fluid Speed: 12.500 [ft/min]" : "Fluid Speed: 12.500 [m/min]";
    qv::MonoRaster want(1664, 900);
    qv::DrawChartText(want, 1630 - qv::ChartTextWidth(text, 30), 65, text, 30);
    int differ = 0;
    for (int y = 60; y < 100; ++y)
      for (int x = 1150; x < 1640; ++x)
        if (want.Ink(x, y) !=
            static_cast<bool>((lines[static_cast<size_t>(y)][static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1))
          ++differ;
    EXPECT_EQ(differ, 0) << text;
  }
}

}  // namespace
}  // namespace qvtest
