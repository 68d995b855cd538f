#include "tools/cementbond/cbl_print.h"

#include <QImage>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/core/globals.h"
#include "app/core/styled_line.h"
#include "app/ui/painter_line_device.h"
#include "logview/model/drawing.h"
#include "logview/print_pages.h"
#include "logdoc/engine/channel_processor.h"
#include "platform/text/cnum.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"
#include "print/page/qt_print.h"
#include "print/page/track_grid.h"
#include "tools/cementbond/cbl_display.h"
#include "tools/cementbond/cbl_view.h"

using qv::print::LogSectionArea;
using qv::print::LogSectionResult;
using qv::print::PrintSettings;

namespace qv::cbl {
namespace {

constexpr int kNearChannel = 7;
constexpr int kFarChannel = 8;
const QColor kPrintGrey(0xC0, 0xC0, 0xC0);

int Trunc(double v) {
  if (!(v > -1e9)) return -1000000000;
  return static_cast<int>(std::min(v, 1e9));
}

int Dots(const PrintSettings& s, double mm) {
  return s.mmPerPixel > 0 ? Trunc(mm / s.mmPerPixel + 0.5) : 1;
}

QRect ToQRect(const RecordRect& r) {
  return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// The column of a curve: track 2 and 3 their own, any other track 1.
int ColumnOf(const CurveRecord& c) {
  return c.firstTrack == 2 || c.firstTrack == 3 ? c.firstTrack : 0;
}

}  // namespace

CblPageSource::CblPageSource(CCBLView& view, WaveformLogDocument& log, std::function<bool()> followChain)
    : view_(view), log_(log), followChain_(std::move(followChain)) {}

std::string CblPageSource::Title() const {
  const std::string path = log_.DataFilePath();
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int CblPageSource::Step() const {
  const int step = std::abs(log_.Setup().depthStep);
  return step == 0 ? 10 : step;
}

double CblPageSource::DotRowsPerRecord(const PrintSettings& s) const {
  if (log_.Setup().logMode == curveview::kLogModeTime) return s.mmPerPixel > 0 ? 0.127 / s.mmPerPixel : 1.0;
  const double z = log_.Setup().imperial ? s.inchPerPixel / 0.012 : s.mmPerPixel;
  const double d = s.scale * z;
  return d > 0 ? Step() / d : 1.0;
}

int CblPageSource::ValueCurves() const {
  return static_cast<int>(view_.Curves().size()) - view_.ExtraCurves();
}

bool CblPageSource::ReopenReplay() {
  reopened_ = true;
  return log_.OpenReplayReader();
}

void CblPageSource::BeginReplay(PrintSettings& s, bool /*again*/) {
  log_.RewindReplay();
  ReplayReader* reader = log_.Reader();
  if (reader) reader->SetPrinting(true);
  const int step = Step();
  upward_ = log_.Setup().logMode != curveview::kLogModeTime && reader && reader->IsUpward();
  // Read shallow first, a record's reading of a sensor `o` steps up the sonde
  // comes out of the print processing 26 + L - o records later (L the
  // sonde's length): every row shows the formation 26 + L steps above the
  // record just read.
  // A log read in its own order waits as its processing does, for the
  // sonde's length; one read by depth (logged up) for its highest sensor.
  const auto& filters = log_.Setup().channelFilters;
  const auto offsetSteps = [&](const ChannelFilter& f) { return OffsetToSteps(f.Offset, log_.Setup().imperial, step); };
  largestOffset_ = 0;
  if (upward_)
    for (const ChannelFilter& f : filters) largestOffset_ = std::max(largestOffset_, offsetSteps(f));
  else if (log_.Setup().logMode != curveview::kLogModeTime)
    largestOffset_ = log_.LargestOffset();
  alignSteps_ = log_.Setup().logMode != curveview::kLogModeTime
                    ? WaveformLogDocument::kDefaultRow - WaveformLogDocument::kOutputRow + largestOffset_
                    : 0;
  if (upward_) {
    // Records are sought at their own depths; the reading starts early enough
    // to fill the rows from the window's top, and goes on past its bottom.
    reader->SetDepthWindow(0, 0);
    for (std::size_t i = 0; i < s.channelOffsets.size() && i < filters.size(); ++i)
      s.channelOffsets[i] = largestOffset_ - offsetSteps(filters[i]);
    windowTop_ = reader->GetMinDepth();
    windowBottom_ = reader->GetMaxDepth();
    s.printDepth = windowTop_ - alignSteps_ * step;
    s.printEndDepth = windowBottom_ + alignSteps_ * step;
    gridTop_ = windowTop_;
  } else {
    windowTop_ = reader ? reader->GetMinDepth() : 0;
    windowBottom_ = reader ? reader->GetMaxDepth() : 0;
    s.printDepth = windowTop_;
    gridTop_ = windowTop_ - alignSteps_ * step;
  }
  const int dpi = s.inchPerPixel > 0 ? Trunc(1.0 / s.inchPerPixel + 0.5) : 300;
  thinPen_ = std::max(Trunc(dpi * 0.01 + 0.5), 1);
  thickPen_ = std::max(Trunc(dpi * 0.02 + 0.5), 2);
  for (CurveRecord& c : view_.Curves()) c.wrapBand = 1;
  lastX_.assign(view_.Curves().size(), std::numeric_limits<int>::min());
  carried_ = PrintRow{};
}

void CblPageSource::EndReplay() {
  log_.OpenReplayReader();
  log_.RewindReplay();
  if (ReplayReader* reader = log_.Reader()) reader->SetPrinting(false);
  carried_ = PrintRow{};
  pendingMarks_.clear();
}

int CblPageSource::PrintTrackHeaders(QPainter& dc, const PrintSettings& s, int y) {
  const int f = s.mmPerPixel > 0 ? Trunc(3.5 / s.mmPerPixel + 0.5) : 12;
  const int h = f / 2 + 2 * f;
  const int mm = Dots(s, 1.0);
  const std::vector<TrackRecord> cols = curveview::CurvePageSource::PrintColumns(view_.Tracks(), s, y, y + h);
  for (const CurveRecord& c : view_.Curves()) {
    if (!c.headerFlag) continue;
    RecordRect b = cols[static_cast<std::size_t>(ColumnOf(c))].screenRect;
    b.top = y + c.headerLine * h;
    b.bottom = b.top + h;
    b.left += mm;
    b.right -= mm;
    if (c.physicalChannel >= kNearChannel)
      print::DrawTenDivisionScaleHeader(&dc, ToQRect(b), f / 2, &c, &s);
    else
      print::DrawCurveLegend(&dc, ToQRect(b), f / 2, &c, s.colourDevice != 0);
  }
  return view_.LegendRows() * h + h / 3;
}

int CblPageSource::BuildPrintRows(PrintSettings& s, int wanted, PrintBlock& block, bool first) {
  const double t = DotRowsPerRecord(s);
  const int step = Step();
  const int nValues = ValueCurves();
  const std::vector<CurveRecord>& curves = view_.Curves();
  block.values.assign(static_cast<std::size_t>(std::max(nValues, 0)) * kPrintBlock, 0.0);
  std::fill(block.marks.begin(), block.marks.end(), 0);
  int current = 0;
  bool open = !first;
  int made = 0;
  double pos = 0.0;
  int collected = 0;
  std::vector<double> sums(static_cast<std::size_t>(std::max(nValues, 0)), 0.0);
  std::vector<double> now(sums.size(), 0.0);
  // The printout's channel offsets where the print processing reads them.
  std::array<int, 23> offsets{};
  std::copy(s.channelOffsets.begin(), s.channelOffsets.end(), offsets.begin() + 7);
  auto makeRow = [&](bool mean) {
    for (std::size_t c = 0; c < sums.size(); ++c)
      block.values[c * kPrintBlock + static_cast<std::size_t>(made)] =
          mean && collected > 0 ? (sums[c] + now[c]) / (collected + 1) : now[c];
    block.marks[static_cast<std::size_t>(made)] = log_.TakeMinuteMark() ? 1 : 0;
    ++block.rows[static_cast<std::size_t>(current)].count;
    ++made;
  };
  wanted = std::clamp(wanted, 0, kPrintBlock);
  while (made < wanted) {
    if (upward_) {
      if (s.printDepth > s.printEndDepth) break;
      log_.SeekReplay(s.printDepth);
    } else if (!log_.ReadReplayRecord()) {
      break;
    }
    const int rowDepth = s.printDepth - alignSteps_ * step;
    s.printDepth += step;
    log_.ProcessPrintRecord(true, upward_, offsets.data());
    if (log_.Setup().logMode == curveview::kLogModeUp && (rowDepth < windowTop_ || rowDepth > windowBottom_)) continue;
    const CblWaveformSegment& seg = log_.PrintSegment();
    const bool far = (seg.flags & 0x80) != 0;
    const int n = seg.flags & 15;
    if (far && n == 0) {
      open = true;
      // A waveform that has covered a dot row is done; the next one starts.
      if (block.rows[static_cast<std::size_t>(current)].count >= 1 && current + 1 < kPrintBlock) {
        ++current;
        block.rows[static_cast<std::size_t>(current)] = PrintRow{};
      }
    }
    const int samples = view_.Kind().samplesPerReceiver;
    if (open && n >= 1 && n <= view_.Kind().lastSegment && 48 * (n + 1) <= samples && seg.flags != 0xFF)
      std::memcpy(block.rows[static_cast<std::size_t>(current)].samples.data() + (far ? samples : 0) + 48 * n,
                  seg.sample, 48);
    for (std::size_t c = 0; c < now.size(); ++c) {
      const int ch = curves[c].physicalChannel;
      now[c] = ch >= 1 && ch <= 6 ? log_.PrintValues()[static_cast<std::size_t>(ch - 1)] : 0.0;
    }
    pos += t;
    if (t < 1.0) {
      if (Trunc(pos + 0.5) > made) {
        makeRow(true);
        collected = 0;
        std::fill(sums.begin(), sums.end(), 0.0);
      } else {
        for (std::size_t c = 0; c < sums.size(); ++c) sums[c] += now[c];
        ++collected;
      }
    } else {
      while (Trunc(pos + 0.5) > made && made < wanted) makeRow(false);
    }
  }
  // The unfinished waveform goes on in the next block; its dot rows of this
  // block are drawn with the waveform before it.
  carried_ = block.rows[static_cast<std::size_t>(current)];
  carried_.count = 0;
  if (current > 0) {
    block.rows[static_cast<std::size_t>(current - 1)].count += block.rows[static_cast<std::size_t>(current)].count;
    block.rows[static_cast<std::size_t>(current)].count = 0;
  }
  block.printRows = current + 1;
  return made;
}

void CblPageSource::PrintTrackGrid(QPainter& dc, const PrintSettings& s, const QRect& r, int kind) {
  print::TrackGridLog grid;
  grid.curves = &view_.Curves();
  grid.tracks = &view_.Tracks();
  grid.time = log_.Setup().logMode == curveview::kLogModeTime;
  grid.imperial = log_.Setup().imperial;
  grid.windowTop = gridTop_;
  // The full-wave page spaces its grid by the depth span under fit to page;
  // the cement-bond page keeps its scale's spacing.
  grid.fitSpacing = !view_.Kind().gates;
  grid.span = std::fabs(static_cast<double>(log_.Setup().replayEndDepth) - log_.Setup().replayStartDepth);
  print::PrintTrackGrid(dc, s, r, kind, grid);
}

void CblPageSource::PrintCurve(QPainter& dc, const PrintSettings& s, const QRect& r, const double* values, int rows,
                               CurveRecord& c, bool logarithmic, bool first) {
  if (rows <= 0) return;
  const std::size_t index = static_cast<std::size_t>(&c - view_.Curves().data());
  const RecordRect box{r.left(), r.top(), r.left() + r.width(), r.bottom() + 1};
  const bool wrap = g_bWrapCurves.load() != 0;
  auto valueAt = [&](int row) { return values[row]; };
  const auto lines = curveview::CurvePolylines(c, box, logarithmic, wrap, r.top(), rows, valueAt);
  PainterLineDevice device(dc);
  const PrintLineStyle style = PrintLineStyleOf(c.printLineStyle);
  CStyledLine line;
  line.SetStyle(&device, style.dashStyle, style.width > 1 ? thickPen_ : thinPen_, s.colourDevice ? c.lineColour : 0);
  line.BeginPath();
  bool start = true;
  int drawn = 0;
  for (const auto& pl : lines) {
    if (pl.empty()) continue;
    // The curve continues from the previous block or page, unless a file begins.
    if (start && !first && index < lastX_.size() && lastX_[index] != std::numeric_limits<int>::min())
      line.MoveTo(lastX_[index], r.top());
    else
      line.MoveTo(pl.front().x, pl.front().y);
    if (start && !first && index < lastX_.size() && lastX_[index] != std::numeric_limits<int>::min())
      line.LineTo(pl.front().x, pl.front().y);
    start = false;
    for (std::size_t k = 1; k < pl.size(); ++k) {
      line.LineTo(pl[k].x, pl[k].y);
      if (++drawn % 100 == 0) {
        line.StrokePath();
        line.BeginPath();
        line.MoveTo(pl[k].x, pl[k].y);
      }
    }
  }
  line.StrokePath();
  if (index < lastX_.size())
    lastX_[index] = !lines.empty() && !lines.back().empty() ? lines.back().back().x : std::numeric_limits<int>::min();
}

void CblPageSource::PrintWaveformStrip(QPainter& dc, const QRect& r, const PrintBlock& block, int dotRows,
                                       const CurveRecord& c) {
  if (dotRows <= 0 || r.width() <= 0) return;
  const bool far = c.physicalChannel == kFarChannel;
  const int spr = view_.Kind().samplesPerReceiver;
  const int offset = far ? spr : 0;
  if (view_.WiggleMode()) {
    dc.setPen(QPen(Qt::black, 1));
    const int w = r.width();
    int y0 = 0;
    for (int i = 0; i < block.printRows && y0 < dotRows; ++i) {
      const PrintRow& row = block.rows[static_cast<std::size_t>(i)];
      if (row.count <= 0) continue;
      QPolygon poly;
      const int points = w > spr ? spr : w;
      for (int j = 0; j < points; ++j) {
        const int k = w > spr ? j : j * spr / w;
        const int x = r.left() + (w > spr ? j * w / spr : j);
        const int sample = row.samples[static_cast<std::size_t>(offset + k)];
        poly << QPoint(x, r.top() + y0 + (sample + 128) * row.count / 256);
      }
      dc.drawPolyline(poly);
      y0 += row.count;
    }
  } else {
    // The strip at the receiver's samples by dot rows, grey 255 - (sample + 128).
    QImage strip(spr, dotRows, QImage::Format_Grayscale8);
    strip.fill(127);
    int y = 0;
    for (int i = 0; i < block.printRows && y < dotRows; ++i) {
      const PrintRow& row = block.rows[static_cast<std::size_t>(i)];
      for (int k = 0; k < row.count && y < dotRows; ++k, ++y) {
        uchar* line = strip.scanLine(y);
        for (int x = 0; x < spr; ++x)
          line[x] = static_cast<uchar>(
              255 - static_cast<std::uint8_t>(row.samples[static_cast<std::size_t>(offset + x)] + 128));
      }
    }
    // Exactly the samples on paper: no lossy compression of the strip.
    dc.setRenderHint(QPainter::LosslessImageRendering);
    dc.drawImage(QRect(r.left(), r.top(), r.width(), dotRows), strip);
  }
  if (!view_.Kind().gates) return;
  // The free-pipe gates of the strip's receiver.
  const Gates g = view_.CurrentGates();
  dc.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::FlatCap));
  for (int gate : {far ? g.farStart : g.nearStart, far ? g.farEnd : g.nearEnd}) {
    const int x = r.left() + static_cast<int>(static_cast<long long>(gate) * r.width() / kGateSpanUs);
    dc.drawLine(x, r.top(), x, r.top() + dotRows - 1);
  }
}

LogSectionResult CblPageSource::PrintLogSection(QPainter& dc, PrintSettings& s, const LogSectionArea& area) {
  LogSectionResult result;
  const int available = std::max(area.height, 0);
  const int y0 = area.top, y1 = area.top + available;
  std::vector<TrackRecord> cols = curveview::CurvePageSource::PrintColumns(view_.Tracks(), s, y0, y1);
  const QColor ink = s.colourDevice ? kPrintGrey : QColor(Qt::black);
  const int frame = std::max(3, Dots(s, 0.4));
  const QRect t1 = ToQRect(cols[0].screenRect), dt = ToQRect(cols[1].screenRect), t2 = ToQRect(cols[2].screenRect),
              t3 = ToQRect(cols[3].screenRect);
  dc.save();
  dc.setBrush(Qt::NoBrush);
  if (area.firstLogPage || area.newFile) reopened_ = true;

  // Grids, unless a waveform image covers the column.
  auto covered = [&](int column) {
    for (const CurveRecord& c : view_.Curves())
      if (c.headerFlag && c.physicalChannel >= kNearChannel && ColumnOf(c) == column) return true;
    return false;
  };
  for (int column : {0, 2, 3})
    if (!covered(column)) PrintTrackGrid(dc, s, ToQRect(cols[static_cast<std::size_t>(column)].screenRect), 1);
  PrintTrackGrid(dc, s, dt, 2);

  // Blocks of at most 1000 dot rows.
  int done = 0;
  int got = kPrintBlock;
  PrintBlock block;
  std::vector<CurveRecord>& curves = view_.Curves();
  bool first = area.firstLogPage;
  while (got == kPrintBlock && done < available) {
    const int k = std::min(available - done, kPrintBlock);
    std::fill(block.rows.begin(), block.rows.end(), PrintRow{});
    block.rows[0].samples = carried_.samples;
    got = BuildPrintRows(s, k, block, first);
    const int top = y0 + done;
    for (std::size_t i = 0; i < curves.size(); ++i) {
      CurveRecord& c = curves[i];
      if (!c.headerFlag || got <= 0) continue;
      const QRect r = ToQRect(cols[static_cast<std::size_t>(ColumnOf(c))].screenRect);
      const QRect part(r.left(), top, r.width(), got);
      if (c.physicalChannel >= kNearChannel) {
        PrintWaveformStrip(dc, part, block, got, c);
      } else if (static_cast<int>(i) < ValueCurves()) {
        const TrackRecord* ft = c.firstTrack >= 0 && c.firstTrack < static_cast<int>(view_.Tracks().size())
                                    ? &view_.Tracks()[static_cast<std::size_t>(c.firstTrack)]
                                    : nullptr;
        PrintCurve(dc, s, part, block.values.data() + i * kPrintBlock, got, c, ft && (ft->gridStyle & kLogGridBit) != 0,
                   first || reopened_);
      }
    }
    for (int r = 0; r < got; ++r)
      if (block.marks[static_cast<std::size_t>(r)]) pendingMarks_.push_back(top + r);
    done += got;
    first = false;
    reopened_ = false;
  }
  // Minute marks; those past the page's bottom come first on the next one.
  std::vector<int> keep;
  for (int y : pendingMarks_) {
    if (y > y1)
      keep.push_back(y - y1 + y0);
    else
      print::DrawMarkerTriangle(&dc, dt.left(), y, s.mmPerPixel);
  }
  pendingMarks_.swap(keep);

  // Frames over the data.
  const int end = y0 + done;
  dc.setPen(QPen(ink, frame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  if (s.continuousMode) {
    for (int x : {t1.left(), t1.right(), t2.left(), t3.left(), t3.right()}) dc.drawLine(x, y0, x, end);
    if (area.firstLogPage) dc.drawLine(t1.left(), y0, t3.right(), y0);
  } else {
    for (const QRect& r : {t1, t2, t3}) dc.drawRect(QRect(QPoint(r.left(), y0), QPoint(r.right(), end)));
  }
  const bool ended = done < available;
  if (ended) {
    dc.fillRect(QRect(QPoint(0, end + frame), QPoint(s.width, s.top + s.height)), Qt::white);
    for (const QRect& r : {t1, t2, t3}) dc.drawLine(r.left(), end, r.right(), end);
  }
  dc.restore();
  gridTop_ = s.printDepth - alignSteps_ * Step();
  result.goesOn = !ended;
  result.rows = done;
  result.dataEnd = end;
  result.left = t1.left();
  result.right = t3.right();
  return result;
}

}  // namespace qv::cbl

// ---------------------------------------------------------------------------
// The view's print commands

void CCBLView::InstallPrintCommands() {
  OnCommand(kPrintCommand, [this] { OnFilePrint(); });
  qv::CommandTarget::OnUpdate(kPrintCommand, [this](qv::CmdUI& ui) { ui.Enable(OnUpdateFilePrint()); });
  OnCommand(kPrintPreviewCommand, [this] { OnFilePrintPreview(); });
  qv::CommandTarget::OnUpdate(kPrintPreviewCommand, [this](qv::CmdUI& ui) { ui.Enable(OnUpdateFilePrint()); });
}

bool CCBLView::OnUpdateFilePrint() const {
  return qv::print::LogPagePrinter::CanPrint(log_ != nullptr, log_ ? log_->State() : 0, log_ && log_->IsLive());
}

qv::print::LogPagePrinter* CCBLView::PagePrinter() {
  if (!log_) return nullptr;
  if (!pagePrinter_) {
    pageSource_ = std::make_unique<qv::cbl::CblPageSource>(*this, *log_, followChain_);
    pagePrinter_ = std::make_unique<qv::print::LogPagePrinter>(*pageSource_);
  }
  return pagePrinter_.get();
}

void CCBLView::OnFilePrint() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter()) qv::print::PrintLogPages(*printer, window());
}

void CCBLView::OnFilePrintPreview() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter())
    qv::print::RunPrintPreview(*printer, printer->Printer(), window());
}
