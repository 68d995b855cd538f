// The cement-bond chart: curves and the near and far waveforms as ordered
// dither density strips, always on a turned chart.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/core/globals.h"
#include "platform/trace/trace.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"

namespace {

constexpr int kDither[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

}  // namespace

void CGulton::PrintCblRow(const uint8_t* rows, const double* values, int count, bool final) {
  Hold hold(*this);
  if (curveCount_ <= 0) return;
  const int entries = std::min(curveCount_, static_cast<int>(inscriptions_.size()));
  std::vector<double> curveValues(static_cast<size_t>(std::max(entries, 1)));
  size_t next = 0;
  for (int r = 0; r < count; ++r) {
    for (int k = 0; k < entries; ++k) {
      const bool curve = inscriptions_[static_cast<size_t>(k)]->channel < 7;
      curveValues[static_cast<size_t>(k)] = curve && values ? values[next++] : 0.0;
    }
    uint8_t line[kCblDensityBytes] = {};
    const uint8_t* row = rows ? rows + static_cast<size_t>(r) * kCblRowBytes : nullptr;
    const uint8_t marks = row ? row[1024] : 0;
    if (row && !(marks & 0x10)) {
      const int c = cblRowCounter_ & 3;
      for (int d = 0; d < 1024; ++d) {
        const int s = d < 512 ? row[511 - d] : row[1535 - d];
        if (16 * kDither[c + 4 * (d & 3)] < s) line[d / 8] = static_cast<uint8_t>(line[d / 8] | (0x80 >> (d % 8)));
      }
      ++cblRowCounter_;
    } else if (row) {
      std::memcpy(line, row + 64, 64);
      std::memcpy(line + 64, row, 64);
    }
    for (int d : {0, 510, 511, 512, 513, 1023}) line[d / 8] = static_cast<uint8_t>(line[d / 8] | (0x80 >> (d % 8)));
    PlotCblCurves(line, curveValues.data(), (marks & 0x01) != 0, final && r == count - 1);
  }
}

void CGulton::PlotCblCurves(const uint8_t* density, const double* values, bool tick, bool final) {
  Hold hold(*this);
  // Lines are sent at every eleventh, so the band never runs full here.
  if (bandLineCount_ >= kBandLines - 1) SendBand(bandLineCount_ - kBandKeep);
  const int y = bandLineCount_;
  uint8_t* line = band_.Row(y);
  StepLine(line);
  ++bandLineCount_;
  if (tick) line[150] = line[151] = 0xFF;
  const int entries = std::min(curveCount_, static_cast<int>(inscriptions_.size()));
  for (int k = 0; k < entries; ++k) {
    const Inscription& ins = *inscriptions_[static_cast<size_t>(k)];
    if (!IsStrip(ins)) continue;
    const uint8_t* half = density + (ins.channel == 7 ? 0 : 64);
    if (ins.track == 2)
      std::memcpy(line + 70, half, 64);
    else if (ins.track == 3)
      std::memcpy(line + 6, half, 64);
  }
  if (chartLineCount_ % 340 == 0) {
    std::memcpy(band_.Row(bandLineCount_), line, kRasterBytes);
    ++bandLineCount_;
  }
  int drawer = 0;
  for (int k = 0; k < entries && drawer < kPlotDrawers; ++k) {
    Inscription& ins = *inscriptions_[static_cast<size_t>(k)];
    if (IsStrip(ins)) continue;
    CStyledLine& pen = drawers_[drawer++];
    const int o = TrackOrigin(curveTrack_[k]);
    const int v = static_cast<int>(values[k] + 0.5);
    pen.BeginPath();
    if (y == 0)
      pen.MoveTo(CurveX(ins, o, std::min(v, CurveWidth(ins))), 0);
    else
      pen.MoveTo(pen.CurrentX(), lastRowLine_);
    CurveTo(pen, ins, o, v, y);
    pen.StrokePath();
  }
  lastRowLine_ = y;
  if (bandLineCount_ > kBandSendAbove || final) SendBand(final ? bandLineCount_ : bandLineCount_ - kBandKeep);
}

void CGulton::PrintCblTrackHeader(InscriptionList* list) {
  Hold hold(*this);
  if ((list == nullptr || list->empty()) && inscriptions_.empty()) return;
  PrintTrackHeader(list, true);
}

void CGulton::RepeatCblTrackHeader() {
  Hold hold(*this);
  LineFeed(1);
  PrintCblTrackHeader(nullptr);
  LineFeed(1);
}
