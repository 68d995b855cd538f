#include "tools/sonic/sonic_print.h"

#include <QImage>
#include <QPolygon>
#include <algorithm>

#include "curveview/legend_paint.h"
#include "print/page/drawing.h"
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

void SonicPageSource::RowMade(int row) {
  const auto w = sonicLog_.Waveforms();
  const std::size_t at = static_cast<std::size_t>(row) * w.size();
  if (at + w.size() <= rows_.size()) std::copy(w.begin(), w.end(), rows_.begin() + static_cast<std::ptrdiff_t>(at));
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
