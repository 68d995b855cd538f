// The heat-pulse result sheet: a framed 1664 x 900 picture with the title,
// date, depth, interpretation time, fluid speed and the temperature
// differential plotted against time.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/core/globals.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"

namespace {

constexpr int kSheetWidth = 1664;
constexpr int kSheetHeight = 900;
constexpr int kFont = 30;
constexpr int kAxisX = 125;
constexpr int kAxisY = 500;
constexpr int kPlotWidth = 1505;

std::string Format(const char* format, double v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

void CGulton::PrintHeatPulseResult(const HeatPulseResult& r, std::time_t now) {
  Hold hold(*this);
  qv::MonoRaster sheet(kSheetWidth, kSheetHeight);
  qv::RasterLineDevice device(&sheet);
  auto polyline = [&](std::initializer_list<std::pair<int, int>> points, int width) {
    device.BeginPath();
    bool first = true;
    for (auto [x, y] : points) {
      if (first)
        device.MoveTo(x, y);
      else
        device.LineTo(x, y);
      first = false;
    }
    device.StrokePath(LinePen{width, 0, false});
  };
  polyline({{3, 3}, {1660, 3}, {1660, 897}, {3, 897}, {3, 3}}, 3);
  polyline({{3, 50}, {1660, 50}}, 3);
  polyline({{kAxisX, 150}, {kAxisX, 850}}, 2);
  polyline({{kAxisX, kAxisY}, {1630, kAxisY}}, 2);

  auto left = [&](int x, int y, const std::string& s) { qv::DrawChartText(sheet, x, y, s, kFont); };
  auto right = [&](int x, int y, const std::string& s) {
    qv::DrawChartText(sheet, x - qv::ChartTextWidth(s, kFont), y, s, kFont);
  };
  char date[64] = {};
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%d/%m/%y, %H:%M", &local);
  left(25, 15, "Heat Pulse Flowmeter");
  left(750, 15, date);
  left(25, 65, r.depthText + " " + r.unitText);
  left(750, 65, Format("Elapsed Time: %.3f [s]", r.interpretationTime));
  right(1630, 65,
        r.fluidSpeed == kFluidSpeedOutOfRange
            ? std::string("Fluid Speed: Out Of Range")
            : Format(r.imperial ? "Fluid Speed: %.3f [ft/min]" : "Fluid Speed: %.3f [m/min]", r.fluidSpeed));
  left(25, 100, "Temperature Differential [CPS]");
  right(1630, 850, "Time [s]");
  right(1630, 15, "TB Quorvanta");
  right(1630, 520, std::to_string(r.durationMs / 1000));
  right(100, 145, std::to_string(r.plotRange));
  right(100, 485, "0");
  right(100, 855 - kFont, "-" + std::to_string(r.plotRange));

  // Time ticks along the axis, every fifth (tenth below a minute) major.
  int s = r.durationMs / 1000;
  if (s <= 10) s *= 10;
  const int p = s >= 60 ? 1 : 2;
  const int n = s * p / 2;
  if (n > 0) {
    const double spacing = static_cast<double>(kPlotWidth) / n;
    for (int k = 1; k <= n; ++k) {
      const int x = kAxisX + static_cast<int>(k * spacing);
      if (k % (5 * p) == 0)
        polyline({{x, 510}, {x, 490}}, 2);
      else
        polyline({{x, 495}, {x, 505}}, 1);
    }
  }
  // Without a duration or a range there is no scale: no marker, no curve.
  if (r.durationMs > 0 && r.plotRange > 0) {
    const double at =
        std::clamp(r.interpretationTime * 1000 * kPlotWidth / r.durationMs + 0.5, 0.0, static_cast<double>(kPlotWidth));
    const int x = kAxisX + static_cast<int>(at);
    polyline({{x, 150}, {x, 850}}, 1);
    const double scale = 700.0 / r.plotRange / 2;
    device.BeginPath();
    int j = 0;
    for (size_t i = 0; i < r.samples.size() && j < kPlotWidth; ++i) {
      const double covered = static_cast<double>(i + 1) * r.samplePeriodMs;
      while (j < kPlotWidth && static_cast<double>(j) * r.durationMs / kPlotWidth <= covered) {
        double offset = (r.samples[i] - r.baseline) * scale + 0.5;
        if (std::isnan(offset)) offset = 0;
        const int y = std::clamp(kAxisY - static_cast<int>(std::clamp(offset, -1000.0, 1000.0)), 150, 850);
        if (j == 0)
          device.MoveTo(kAxisX + j, y);
        else
          device.LineTo(kAxisX + j, y);
        ++j;
      }
    }
    device.StrokePath(LinePen{1, 0, false});
  }

  SelectMedium(g_nPrintMedium);
  SendStartSequence();
  LineFeed(1);
  uint8_t line[kRasterBytes];
  for (int y = 0; y < kSheetHeight; ++y) {
    std::memset(line, 0, sizeof line);
    std::memcpy(line, sheet.Row(y), kSheetWidth / 8);
    SendRasterLine(line);
  }
  EndRaster();
  if (g_bFormMarkDetect)
    EjectToFormMark();
  else
    LineFeed(10);
}
