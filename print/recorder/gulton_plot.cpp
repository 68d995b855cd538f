// The curve plot: rows of curve values composed into the band over the grid,
// the curves drawn through them, and the legend (track header and legend
// lines).
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/core/curve_wrap.h"
#include "app/core/globals.h"
#include "platform/trace/trace.h"
#include "print/recorder/chart_text.h"
#include "print/recorder/gulton.h"
#include "print/recorder/gulton_hold.h"

namespace {

constexpr int kHeaderWidth = 1680;
constexpr int kHeaderHeight = 800;
constexpr int kLegendHeight = 80;
constexpr int kLegendFont = 40;

}  // namespace

void CGulton::SendBand(int count) {
  for (int l = 0; l < count; ++l) SendRasterLine(band_.Row(l));
  const int rest = bandLineCount_ - count;
  if (rest > 0) std::memmove(band_.Row(0), band_.Row(count), static_cast<size_t>(rest) * band_.Stride());
  bandLineCount_ = rest;
  lastRowLine_ -= count;
}

void CGulton::PlotCurveRow(const int* values, int valueCount, int tickRow, bool final) {
  Hold hold(*this);
  if (curveCount_ <= 0 || inscriptions_.empty()) {
    qv::Trace("CGulton: rows without a legend are not plotted\n");
    return;
  }
  if (valueCount <= 0 || valueCount % curveCount_ != 0) return;
  const int rows = valueCount / curveCount_;
  // A batch larger than the band goes in parts that fit, so no chart row is
  // lost and the margin numbers stay where they belong. One line is kept
  // free for a repeated line.
  int done = 0;
  while (done < rows) {
    const int room = std::max(kBandLines - bandLineCount_ - 1, 1);
    const int part = std::min(rows - done, room);
    PlotRows(values ? values + static_cast<size_t>(done) * curveCount_ : nullptr, part, tickRow - done,
             final && done + part == rows);
    done += part;
  }
}

void CGulton::PlotRows(const int* values, int rows, int tickRow, bool final) {
  const int start = bandLineCount_;
  std::vector<int> rowLine(static_cast<size_t>(rows));
  for (int j = 0; j < rows; ++j) {
    uint8_t* line = band_.Row(bandLineCount_);
    StepLine(line);
    rowLine[static_cast<size_t>(j)] = bandLineCount_++;
    if (tickRow > 0 && j + 1 == tickRow) std::memset(line + (direction_ == 1 ? 149 : 64), 0xFF, 3);
    // Every 340th line is printed twice; paper position and grid stay.
    if (chartLineCount_ % 340 == 0) {
      std::memcpy(band_.Row(bandLineCount_), line, kRasterBytes);
      ++bandLineCount_;
    }
  }
  const int curves = std::min(curveCount_, kPlotDrawers);
  for (int i = 0; values && i < curves && i < static_cast<int>(inscriptions_.size()); ++i) {
    Inscription& ins = *inscriptions_[static_cast<size_t>(i)];
    CStyledLine& pen = drawers_[i];
    const int o = TrackOrigin(curveTrack_[i]);
    pen.BeginPath();
    // A row without a reading leaves the curve open; it starts again at the
    // next reading's own dot.
    bool down = start != 0 && !ins.broken;
    if (down) pen.MoveTo(pen.CurrentX(), lastRowLine_);
    for (int j = 0; j < rows; ++j) {
      const int v = values[static_cast<size_t>(i) + static_cast<size_t>(j) * curveCount_];
      const int y = rowLine[static_cast<size_t>(j)];
      if (v == kNoCurveValue) {
        down = false;
        continue;
      }
      if (!down) {
        const int w = CurveWidth(ins);
        int at = std::min(v, w);
        if (!(start == 0 && j == 0) && g_bWrapCurves && v >= 0) {
          const WrappedOffset wrapped = WrapOffset(v, w);
          ins.wrapBand = wrapped.band;
          at = wrapped.offset;
        }
        pen.MoveTo(CurveX(ins, o, at), y);
        down = true;
      }
      CurveTo(pen, ins, o, v, y);
    }
    ins.broken = !down;
    pen.StrokePath();
  }
  if (rows > 0) lastRowLine_ = rowLine.back();
  if (bandLineCount_ > kBandSendAbove || final) SendBand(final ? bandLineCount_ : bandLineCount_ - kBandKeep);
}

int CGulton::CurveX(const Inscription& ins, int origin, int v) {
  return std::abs(origin + (ins.reversed ? v : CurveWidth(ins) - v));
}

void CGulton::CurveTo(CStyledLine& pen, Inscription& ins, int origin, int v, int y) {
  const int w = CurveWidth(ins);
  if (g_bWrapCurves) {
    const WrappedOffset wrapped = WrapOffset(v, w);
    const int band = wrapped.band;
    if (band != ins.wrapBand) {
      // The curve leaves its track at one edge and comes back at the other.
      const bool rising = band > ins.wrapBand;
      const int edge = rising != (ins.reversed != 0) ? 0 : w;
      pen.LineTo(std::abs(origin + edge), y);
      pen.MoveTo(std::abs(origin + w - edge), y);
      ins.wrapBand = band;
    }
    v = wrapped.offset;
  } else if (v > w) {
    v = w;
  }
  pen.LineTo(CurveX(ins, origin, v), y);
}

void CGulton::FinishPlot() {
  Hold hold(*this);
  // The lines still in the band are the end of the log: they go first.
  if (bandLineCount_ > 0) SendBand(bandLineCount_);
  FeedLines(1);
  for (auto& t : templates_) t.fill(0);
  // A margin number half laid is completed on empty lines.
  if (numberRow_ >= 1 && numberRow_ <= 31) {
    const int missing = 32 - numberRow_;
    for (int r = 0; r < missing; ++r) {
      const bool last = r == missing - 1;
      if (printKind_ == 2)
        PrintCblRow(nullptr, nullptr, 1, last);
      else
        PlotRows(nullptr, 1, -1, last);
    }
  }
  EndRaster();
  chartLineCount_ = 0;
}

// ---------------------------------------------------------------------------
// Legend

CGulton::LegendPlace CGulton::LegendPlaceOf(int trackCode) {
  switch (trackCode) {
    case 1:
      return {0, 508, 0};
    case 3:
      return {1167, 1671, 2};
    case 4:
      return {663, 1671, 1};
    default:
      return {663, 1167, 1};
  }
}

void CGulton::RestyleDrawer(int drawer, int printStyle) {
  if (drawer < 0 || drawer >= kPlotDrawers) return;
  const PrintLineStyle style = RecorderLineStyle(printStyle);
  drawers_[drawer].SetStyle(&bandDevice_, style.dashStyle, style.width, 0xFFFFFF);
}

void CGulton::DrawInscriptionSample(const Inscription& ins, int x1, int x2, int y, int printStyle,
                                    qv::MonoRaster& header) {
  qv::RasterLineDevice device(&header);
  CStyledLine sample;
  const PrintLineStyle style = RecorderLineStyle(printStyle);
  sample.SetStyle(&device, style.dashStyle, style.width, 0);
  sample.BeginPath();
  sample.MoveTo(x1, y);
  sample.LineTo(x2, y);
  sample.StrokePath();
  qv::DrawChartText(header, x1 + 10, y - 45, ins.leftScale, kLegendFont);
  qv::DrawChartText(header, x2 - qv::ChartTextWidth(ins.rightScale, kLegendFont) - 10, y - 45, ins.rightScale,
                    kLegendFont);
  const int length = static_cast<int>(ins.caption.size());
  qv::DrawChartText(header, (x2 - x1) / 2 + x1 - 10 * length, y - 80, ins.caption, kLegendFont);
}

void CGulton::SendHeaderRows(const qv::MonoRaster& header, int first, int last) {
  uint8_t line[kRasterBytes];
  const int bytes = kHeaderWidth / 8;
  for (int k = first; k < last; ++k) {
    std::memset(line, 0, sizeof line);
    if (direction_ == 1) {
      const uint8_t* row = header.Row(header.Height() - 1 - k);
      for (int b = 0; b < bytes; ++b) line[5 + b] = MirrorBits(row[bytes - 1 - b]);
    } else {
      std::memcpy(line, header.Row(k), static_cast<size_t>(bytes));
    }
    SendRasterLine(line);
  }
}

void CGulton::PrintPlotTrackHeader(InscriptionList* list, bool print) {
  Hold hold(*this);
  PrintTrackHeader(list, print);
}

void CGulton::PrintTrackHeader(InscriptionList* list, bool print) {
  const bool cbl = printKind_ == 2;
  qv::MonoRaster header(kHeaderWidth, kHeaderHeight);
  const bool own = list == nullptr || list == &inscriptions_;
  InscriptionList& entries = own ? inscriptions_ : *list;
  curveCount_ = static_cast<int>(entries.size());
  std::memset(curveTrack_, 0, sizeof curveTrack_);
  std::memset(curveStyle_, 0, sizeof curveStyle_);
  int counters[3] = {};
  if (curveCount_ > kPlotDrawers) qv::Trace("CGulton: %d curves, the legend shows %d\n", curveCount_, kPlotDrawers);
  int curve = 0;  // curves (no waveform strips) so far: the drawer's number
  for (int i = 0; i < curveCount_ && i < kPlotDrawers; ++i) {
    const Inscription& ins = *entries[static_cast<size_t>(i)];
    curveTrack_[i] = static_cast<uint8_t>(ins.track == 4 ? 2 : ins.track);
    curveStyle_[i] = ins.printStyle;
    const LegendPlace place = LegendPlaceOf(ins.track);
    const int y = 780 - 80 * counters[place.counter];
    if (cbl && IsStrip(ins)) {
      // A waveform strip has its legend in track 2 or 3 only, with ticks.
      if (ins.track != 2 && ins.track != 3) continue;
      DrawInscriptionSample(ins, place.x1, place.x2, y, ins.printStyle, header);
      for (int t = 1; t <= 9; ++t) header.FillRect(place.x1 + 50 * t, y - 10, place.x1 + 50 * t, y);
      ++counters[place.counter];
      continue;
    }
    DrawInscriptionSample(ins, place.x1, place.x2, y, ins.printStyle, header);
    ++counters[place.counter];
    if (ins.track == 4) ++counters[2];
    RestyleDrawer(cbl ? curve : i, ins.printStyle);
    ++curve;
  }
  if (!own) {
    for (auto& ins : *list) inscriptions_.push_back(std::move(ins));
    list->clear();
  }
  SelectMedium(g_nPrintMedium);
  if (print) {
    SendStartSequence();
    LineFeed(1);
    if (direction_ == 1) {
      const int r = *std::max_element(counters, counters + 3);
      // Rows 799 down to 750 - 80 r (exclusive), bottom first.
      SendHeaderRows(header, 0, std::min(kHeaderHeight, kHeaderHeight - 1 - (750 - 80 * r)));
    } else {
      int first = 0;
      while (first < kHeaderHeight) {
        const uint8_t* row = header.Row(first);
        if (std::any_of(row, row + header.Stride(), [](uint8_t b) { return b != 0; })) break;
        ++first;
      }
      SendHeaderRows(header, first, kHeaderHeight);
    }
    LineFeed(1);
    EndRaster();
  }
  chartLineCount_ = 0;
}

void CGulton::RepeatPlotTrackHeader() {
  Hold hold(*this);
  LineFeed(1);
  PrintPlotTrackHeader(nullptr, true);
  LineFeed(1);
}

void CGulton::PrintInscription(int n) {
  Hold hold(*this);
  if (n < 1 || n > static_cast<int>(inscriptions_.size())) return;
  const Inscription& ins = *inscriptions_[static_cast<size_t>(n - 1)];
  qv::MonoRaster legend(kHeaderWidth, kLegendHeight);
  const LegendPlace place = LegendPlaceOf(ins.track);
  DrawInscriptionSample(ins, place.x1, place.x2, 75, ins.printStyle, legend);
  SelectMedium(g_nPrintMedium);
  SendStartSequence();
  SendHeaderRows(legend, 0, kLegendHeight);
  EndRaster();
}

void CGulton::SetScaleEnd(int n, int kind, const std::string& text) {
  Hold hold(*this);
  Inscription* ins = GetInscription(n - 1);
  if (!ins) return;
  if (kind == 1)
    ins->leftScale = text;
  else if (kind == 3)
    ins->rightScale = text;
  LineFeed(1);
  PrintInscription(n);
  LineFeed(1);
}

void CGulton::SetScaleRange(int n, const std::string& left, const std::string& right) {
  Hold hold(*this);
  Inscription* ins = GetInscription(n - 1);
  if (!ins) return;
  ins->leftScale = left;
  ins->rightScale = right;
  LineFeed(1);
  PrintInscription(n);
  LineFeed(1);
}

void CGulton::SetCurveStyle(int n, int style) {
  Hold hold(*this);
  Inscription* ins = GetInscription(n - 1);
  if (!ins) return;
  ins->printStyle = static_cast<int16_t>(style);
  if (n <= 20) curveStyle_[n - 1] = style;
  // The cement-bond chart's curves are counted after its two waveforms.
  const int curve = printKind_ == 2 && n > 2 ? n - 2 : n;
  if (printKind_ == 0 || printKind_ == 2) RestyleDrawer(curve - 1, style);
  LineFeed(1);
  PrintInscription(curve);
  LineFeed(1);
}
