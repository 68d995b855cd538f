#include "tools/sonic/sonic_print.h"

#include <QImage>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "logview/legend_paint.h"
#include "logdoc/engine/channel_processor.h"
#include "print/page/drawing.h"
#include "print/page/track_grid.h"
#include "tools/sonic/sonic_view.h"

namespace qv {

SonicPrintLog::SonicPrintLog(SonicLogEngine& engine, std::function<bool()> followChain)
    : EnginePrintLog(engine, std::move(followChain)),
      sonic_(engine),
      waves_(static_cast<std::size_t>(engine.Geometry().WaveformBytes() / 2)) {}

std::span<const double> SonicPrintLog::ProcessPrintRecord(std::span<const int> givenOffsets) {
  if (!sonic_.ProcessForPrint(givenOffsets, values_, waves_)) return {};
  return values_;
}

}  // namespace qv

namespace {
constexpr int kFirstWaveformChannel = 13;
constexpr int kDataChannels = 12;
}  // namespace

SonicPageSource::SonicPageSource(CSonicView& view, curveview::CurveDocument& document, qv::SonicPrintLog& log)
    : CurvePageSource(
          view.Curves(), view.Tracks(), [&view] { return view.LegendHeight() / curveview::kLegendRowHeight; }, document,
          log),
      view_(view),
      sonicLog_(log) {}

bool SonicPageSource::PrintsAsCurve(const CurveRecord& c) const {
  return c.physicalChannel >= 1 && c.physicalChannel <= kDataChannels;
}

void SonicPageSource::DrawTrackLegend(QPainter& dc, const QRect& box, int halfText, const CurveRecord& c,
                                      const qv::print::PrintSettings& s) {
  if (c.physicalChannel >= kFirstWaveformChannel)
    qv::print::DrawTenDivisionScaleHeader(&dc, box, halfText, &c, &s);
  else
    CurvePageSource::DrawTrackLegend(dc, box, halfText, c, s);
}

void SonicPageSource::RowsBegin(int capacity) {
  rows_.assign(static_cast<std::size_t>(std::max(capacity, 0)) * sonicLog_.Waveforms().size(), 0);
}

void SonicPageSource::RowsMade(int first, int count) {
  const auto w = sonicLog_.Waveforms();
  for (int row = first; row < first + count; ++row) {
    const std::size_t at = static_cast<std::size_t>(row) * w.size();
    if (at + w.size() <= rows_.size()) std::copy(w.begin(), w.end(), rows_.begin() + static_cast<std::ptrdiff_t>(at));
  }
}

qv::print::LogSectionResult SonicPageSource::PrintLogSection(QPainter& dc, qv::print::PrintSettings& s,
                                                             const qv::print::LogSectionArea& area) {
  const qv::print::LogSectionResult result = CurvePageSource::PrintLogSection(dc, s, area);
  if (result.rows <= 0) return result;
  const std::vector<TrackRecord> cols = PrintColumns(Tracks(), s, area.top, area.top + result.rows);
  const int waves = view_.Display().Settings().waves;
  for (const CurveRecord& c : Curves()) {
    if (!c.headerFlag || c.headerLine != 0 || c.firstTrack < 0 || c.firstTrack > curveview::kTrack3) continue;
    const int wave = c.physicalChannel - kFirstWaveformChannel;
    if (wave < 0 || wave >= waves) continue;
    const RecordRect b = curveview::CurveBox(c, cols);
    DrawStrip(dc, s, QRect(QPoint(b.left + 1, area.top), QPoint(b.right - 1, area.top + result.rows - 1)), wave,
              result.rows);
  }
  return result;
}

void SonicPageSource::EndReplay() {
  CurvePageSource::EndReplay();
  carriedMarks_.clear();
}

int SonicPageSource::OffsetSteps(int channel) const {
  const qv::LogSetup& setup = sonicLog_.Engine().Setup();
  if (channel < 0 || channel >= static_cast<int>(setup.channelFilters.size())) return 0;
  return qv::OffsetToSteps(setup.channelFilters[static_cast<std::size_t>(channel)].OffsetCopy, setup.imperial,
                           setup.depthStep);
}

void SonicPageSource::DrawGrid(QPainter& dc, const qv::print::PrintSettings& s, const std::vector<TrackRecord>& cols,
                               int top, int rows, double topDepth) {
  qv::print::TrackGridLog grid;
  grid.curves = &Curves();
  grid.tracks = &Tracks();
  grid.time = Document().LogMode() == curveview::kLogModeTime;
  grid.imperial = Document().Imperial();
  grid.windowTop = topDepth;  // the page's start
  grid.fitSpacing = true;
  grid.span = std::fabs(static_cast<double>(ReplayEndDepth()) - ReplayStartDepth());
  auto column = [&](int t) {
    const RecordRect& r = cols[static_cast<std::size_t>(t)].screenRect;
    return QRect(QPoint(r.left, top), QPoint(r.right - 1, top + rows - 1));
  };
  // A column under a waveform image gets no grid.
  auto covered = [&](int t) {
    for (const CurveRecord& c : Curves())
      if (c.headerFlag && c.physicalChannel >= kFirstWaveformChannel && c.firstTrack == t) return true;
    return false;
  };
  for (int t : {curveview::kTrack1, curveview::kTrack2, curveview::kTrack3})
    if (!covered(t)) qv::print::PrintTrackGrid(dc, s, column(t), 1, grid);
  qv::print::PrintTrackGrid(dc, s, column(curveview::kDepthTrackNumber), 2, grid);
}

SonicMinuteMarks PlaceSonicMinuteMarks(const std::vector<int>& carried, std::span<const std::uint8_t> flags, int top,
                                       int height, bool upward, int shift) {
  SonicMinuteMarks m;
  const int bottom = top + height;
  // Marks an earlier page could not hold come first; those outside the depth
  // track are dropped.
  for (int distance : carried)
    if (top + distance <= bottom) m.drawn.push_back(top + distance);
  if (!upward) shift = 0;
  for (std::size_t r = 0; r < flags.size(); ++r) {
    if (!flags[r]) continue;
    const int y = top + static_cast<int>(r) + shift;
    if (y <= bottom)
      m.drawn.push_back(y);
    else if (upward && y - bottom < height - shift)
      m.carried.push_back(y - bottom);
  }
  return m;
}

void SonicPageSource::DrawMinuteMarks(QPainter& dc, const qv::print::PrintSettings& s,
                                      const qv::print::LogSectionArea& area, const RecordRect& dt,
                                      const curveview::PrintRows& rows) {
  // A log recorded up is read from the offset lead-in above its window: its
  // marks move down by that lead-in and twice the display lag, in dot rows.
  int shift = 0;
  if (Direction() == 1) {
    const int step = Document().DepthStep() == 0 ? 10 : Document().DepthStep();
    const double perDepth = DotsPerRecord(s) / std::abs(step);
    shift = static_cast<int>((static_cast<double>(LargestOffset()) * step + 2.0 * Document().DisplayDepthOffset()) *
                             perDepth);
  }
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(rows.count, 0)), rows.minute.size());
  SonicMinuteMarks m = PlaceSonicMinuteMarks(carriedMarks_, std::span<const std::uint8_t>(rows.minute.data(), n),
                                             area.top, area.height, Direction() == 1, shift);
  for (int y : m.drawn) qv::print::DrawMarkerTriangle(&dc, dt.left, y, s.mmPerPixel);
  carriedMarks_ = std::move(m.carried);
}

void SonicPageSource::DrawStrip(QPainter& dc, const qv::print::PrintSettings& s, const QRect& box, int wave, int rows) {
  const int samples = view_.Display().Settings().samples;
  const std::size_t width = sonicLog_.Waveforms().size();
  if (samples <= 0 || width == 0 || box.width() <= 0) return;
  auto sample = [&](int row, int i) {
    return rows_[static_cast<std::size_t>(row) * width + static_cast<std::size_t>(wave * samples + i)];
  };
  dc.save();
  if (!view_.Wiggle()) {
    // One grey row per dot row: the density of each sample.
    QImage strip(samples, rows, QImage::Format_Indexed8);
    QVector<QRgb> greys;
    for (std::uint32_t rgb : qv::SonicGreyTable()) greys.push_back(0xFF000000u | rgb);
    strip.setColorTable(greys);
    for (int r = 0; r < rows; ++r) {
      uchar* line = strip.scanLine(r);
      for (int i = 0; i < samples; ++i) line[i] = qv::SonicGreyIndex(sample(r, i));
    }
    dc.drawImage(box, strip);
  } else {
    // A trace every twelfth of an inch, starting half that down.
    const double dpi = s.inchPerPixel > 0 ? 1.0 / s.inchPerPixel : 300.0;
    const int spacing = std::max(1, static_cast<int>(dpi / 12));
    dc.fillRect(box, Qt::white);
    dc.setPen(QPen(Qt::black, 1));
    for (int r = spacing / 2; r < rows; r += spacing) {
      QPolygon trace;
      for (int i = 0; i < samples; ++i)
        trace << QPoint(box.left() + i * box.width() / samples, box.top() + r + sample(r, i) * spacing / 0xFFFF);
      dc.drawPolyline(trace);
    }
  }
  dc.restore();
}
