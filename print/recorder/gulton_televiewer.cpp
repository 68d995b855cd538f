// The televiewer chart: the amplitude and transit-time images as grey levels
// of 4 x 4 dot cells (optionally with error diffusion and adaptive levels),
// four raster lines per picture row, and the heading and footer.
#include <algorithm>
#include <cstring>

#include "app/core/globals.h"
#include "platform/text/strings.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"

namespace {

struct CellDot {
  int dx, dy;
};
// Dots of each grey level within a cell, level 1 first.
const std::vector<std::vector<CellDot>> kGultonLevels = {{{1, 1}}, {{3, 3}}, {{3, 0}},
                                                         {{0, 3}}, {{2, 2}}, {{2, 1}, {1, 2}, {0, 0}}};
const std::vector<std::vector<CellDot>> kPrintrexLevels = {{{1, 1}}, {{2, 2}}, {{2, 1}}, {{1, 2}}, {{3, 3}},
                                                           {{2, 0}}, {{0, 3}}, {{3, 0}}, {{0, 0}}, {{3, 2}},
                                                           {{0, 2}}, {{1, 0}}, {{2, 3}}, {{0, 1}}, {{1, 3}}};
constexpr int kGultonTransit[6] = {40, 80, 120, 160, 200, 240};
constexpr int kPrintrexTransit[15] = {26, 42, 58, 74, 90, 106, 122, 138, 154, 170, 186, 202, 218, 234, 250};

constexpr int kHeadWidth = 1492;
constexpr int kHeadHeight = 100;

}  // namespace

void CGulton::SetRasterTick(int column) {
  Hold hold(*this);
  for (int line = 0; line < 4; ++line)
    for (int dot = 4 * column - 1; dot <= 4 * column + 1; ++dot) SetRasterDot(dot, line);
}

void CGulton::SetRasterDot(int dot, int line) {
  if (dot < 0 || dot >= kRasterDots) return;
  uint8_t& b = rasterBuffer_[static_cast<size_t>(dot / 8) * 4 + static_cast<size_t>(line)];
  b = static_cast<uint8_t>(b | (0x80 >> (dot % 8)));
}

std::vector<int> CGulton::AdaptiveTransitLevels(const uint8_t* transit, int levels) {
  // Values 128 - s run from 1 to 128; 128 is counted but never listed.
  int count[129] = {};
  for (int j = 0; j < 128; ++j) ++count[128 - std::min<int>(transit[j], 128)];
  std::vector<int> values;
  for (int v = 0; v < 128; ++v)
    if (count[v] > 0) values.push_back(v);
  std::stable_sort(values.begin(), values.end(), [&](int a, int b) { return count[a] > count[b]; });
  values.resize(17, 0);
  std::sort(values.begin(), values.end(), std::greater<>());
  std::vector<int> out(static_cast<size_t>(levels));
  for (int n = 1; n <= levels; ++n) out[static_cast<size_t>(n - 1)] = values[static_cast<size_t>(levels - n)];
  return out;
}

void CGulton::PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int flags) {
  Hold hold(*this);
  if (printKind_ != 1 || !rows) return;
  const bool printrex = model_ == kPrintrex820 || model_ == kPrintrex840;
  const auto& cells = printrex ? kPrintrexLevels : kGultonLevels;
  const int levels = static_cast<int>(cells.size());
  const bool diffuse = flags & 1;
  const bool adaptive = flags & 2;
  std::vector<float>& carried = televiewerBuffers_[0];
  std::vector<float>& next = televiewerBuffers_[1];
  for (int r = 0; r < count; ++r) {
    const TeleviewerImageRow& row = rows[r];
    rasterBuffer_.fill(0);
    for (int c : televiewerTicks_) SetRasterTick(c);
    direction_ = 1;
    if (row.marks & kRowDepthTick) {
      if (row.marks & kRowLoggingDown) currentNumber_ += scale_;
      if (row.marks & kRowLoggingUp) currentNumber_ -= scale_;
      chartLineCount_ = 0;
      ComposeMarkNumber(currentNumber_);
    }
    if (row.marks & kRowNewMinute) {
      for (int b : {368, 369, 370, 371, 373, 374}) rasterBuffer_[static_cast<size_t>(b)] = 0xFF;
    }
    if (chartLineCount_ == 3 && currentNumber_ < 0) rasterBuffer_[445] = rasterBuffer_[446] = 0xFF;
    if (chartLineCount_ < 8) {
      for (int line = 0; line < 4; ++line)
        for (int b = 0; b < 8; ++b)
          rasterBuffer_[static_cast<size_t>(102 + b) * 4 + static_cast<size_t>(line)] =
              markBuffer_[static_cast<size_t>(4 * chartLineCount_ + line) * 8 + static_cast<size_t>(b)];
      ++chartLineCount_;
    }
    // One image of 128 cells: VALUE(k) the grey value of cell k from the left.
    auto image = [&](int firstColumn, const std::vector<int>& level, bool minusOne, auto value) {
      float fromLeft = 0;
      for (int x = firstColumn; x < firstColumn + 128; ++x) {
        const float f = static_cast<float>(value(x - firstColumn)) + carried[static_cast<size_t>(x)] + fromLeft;
        const float test = minusOne ? f - 1 : f;
        float q = 0;
        for (int n = 0; n < levels; ++n) {
          if (test <= static_cast<float>(level[static_cast<size_t>(n)])) continue;
          for (const CellDot& d : cells[static_cast<size_t>(n)]) SetRasterDot(4 * x + d.dx, d.dy);
          q = static_cast<float>(level[static_cast<size_t>(n)]);
        }
        const float e = diffuse ? f - q : 0.0f;
        fromLeft = 7 * e / 16;
        next[static_cast<size_t>(x - 1)] += 3 * e / 16;
        next[static_cast<size_t>(x)] += 5 * e / 16;
        next[static_cast<size_t>(x + 1)] += e / 16;
      }
    };
    int low = 0, high = 64;
    if (adaptive) {
      low = 64, high = 0;
      for (int j = 0; j < 128; ++j) {
        low = std::min(low, 64 - row.amplitude[j]);
        high = std::max(high, 64 - row.amplitude[j]);
      }
    }
    const int step = std::max((high - low) / (printrex ? 15 : 6), 1);
    std::vector<int> amplitudeLevels(static_cast<size_t>(levels));
    for (int n = 1; n <= levels; ++n) amplitudeLevels[static_cast<size_t>(n - 1)] = low + n * step;
    image(56, amplitudeLevels, true, [&](int k) { return 64 - row.amplitude[127 - k]; });
    std::vector<int> transitLevels = adaptive ? AdaptiveTransitLevels(row.transit, levels)
                                              : (printrex ? std::vector<int>(kPrintrexTransit, kPrintrexTransit + 15)
                                                          : std::vector<int>(kGultonTransit, kGultonTransit + 6));
    image(240, transitLevels, !printrex, [&](int k) { return 128 - row.transit[127 - k]; });
    carried.swap(next);
    std::fill(next.begin(), next.end(), 0.0f);
    uint8_t line[kRasterBytes];
    for (int l = 0; l < 4; ++l) {
      for (int c = 0; c < kRasterBytes; ++c)
        line[c] = rasterBuffer_[static_cast<size_t>(c) * 4 + static_cast<size_t>(l)];
      SendRasterLine(line);
    }
  }
}

void CGulton::PrintTeleviewerHeading(bool footer) {
  const int a = 224, b = 736, c = 960, d = 1472;
  qv::MonoRaster head(kHeadWidth, kHeadHeight);
  auto stroke = [&](int x0, int y0, int x1, int y1) {
    // A pen 4 dots wide, centred on the line.
    head.FillRect(std::min(x0, x1) - 2, std::min(y0, y1) - 2, std::max(x0, x1) + 1, std::max(y0, y1) + 1);
  };
  const int axis = footer ? 0 : 100, tickEnd = footer ? 20 : 80;
  for (auto [from, to] : {std::pair{a, b}, std::pair{c, d}}) {
    stroke(from, axis, to, axis);
    for (int x : {from, to, from + (to - from) / 4, from + (to - from) / 2, from + 3 * (to - from) / 4})
      stroke(x, axis, x, tickEnd);
  }
  constexpr int kCell = 35;
  const int baseline = qv::ChartTextBaseline(kCell);
  // Centred on the baseline at (x, y); turned by 180 degrees about that
  // point on a turned chart.
  auto text = [&](int x, int y, const std::string& s) {
    const int w = qv::ChartTextWidth(s, kCell);
    qv::MonoRaster upright(std::max(w, 1), kCell);
    qv::DrawChartText(upright, 0, 0, s, kCell);
    const qv::MonoRaster drawn = direction_ == 1 ? qv::Turned(upright) : upright;
    const int top = direction_ == 1 ? y - (kCell - baseline) : y - baseline;
    for (int yy = 0; yy < drawn.Height(); ++yy)
      for (int xx = 0; xx < drawn.Width(); ++xx)
        if (drawn.Ink(xx, yy)) head.SetInk(x - w / 2 + xx, top + yy);
  };
  const int textY = footer ? 70 : 5;
  text((b - a) / 2 + a, textY, "Amplitude Data");
  text((d - c) / 2 + c, textY, "Time Data");
  text((b - c) / 2 + c, footer ? 20 : 60,
       qv::LoadFileString(verticalKind_ == kVerticalImperial || verticalKind_ == kVerticalTime ? 32078 : 32079));
  SelectMedium(g_nPrintMedium);
  SendStartSequence();
  uint8_t line[kRasterBytes];
  for (int y = 0; y < kHeadHeight; ++y) {
    std::memset(line, 0, sizeof line);
    std::memcpy(line, head.Row(y), 186);
    SendRasterLine(line);
  }
  EndRaster();
}

void CGulton::PrintTeleviewerHeader() {
  Hold hold(*this);
  PrintTeleviewerHeading(false);
}

void CGulton::PrintTeleviewerFooter() {
  Hold hold(*this);
  PrintTeleviewerHeading(true);
}
