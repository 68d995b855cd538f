#include "logview/print_pages.h"

#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/core/curve_wrap.h"
#include "app/core/globals.h"
#include "app/core/styled_line.h"
#include "app/ui/painter_line_device.h"
#include "logdoc/engine/channel_processor.h"
#include "logview/model/drawing.h"
#include "platform/docview/docview.h"
#include "platform/text/cnum.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"
#include "print/page/qt_print.h"

using qv::print::LogSectionArea;
using qv::print::LogSectionResult;
using qv::print::PrintSettings;

namespace curveview {

namespace {

constexpr int kTrailerGap = 100;
const QColor kPrintGrey(0xC0, 0xC0, 0xC0);

int Trunc(double v) {
  return static_cast<int>(v);
}

int TextHeight(const PrintSettings& s) {
  return s.mmPerPixel > 0 ? Trunc(3.5 / s.mmPerPixel + 0.5) : 1;
}

int DotsOfMm(const PrintSettings& s, double mm) {
  return s.mmPerPixel > 0 ? Trunc(mm / s.mmPerPixel + 0.5) : 1;
}

int Step(const CurveDocument& doc) {
  return doc.DepthStep() == 0 ? 10 : doc.DepthStep();
}

QRect ToQRect(const RecordRect& r) {
  return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// The label spacing of a log fitted to one page: the first of the steps that
// exceeds the depth one centimetre (metric) or inch (imperial) of paper stands for.
double FitLabelSpacing(double depthPerPaperUnit) {
  static const double kSteps[] = {0.1, 0.2, 0.4, 0.5, 1, 2, 4, 5, 10, 20, 40, 50, 100, 200, 400, 500, 1000, 10000};
  for (double s : kSteps)
    if (s * 1000 > depthPerPaperUnit) return s * 1000;
  return kSteps[std::size(kSteps) - 1] * 1000;
}

}  // namespace

CurvePageSource::CurvePageSource(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks,
                                 std::function<int()> legendRows, CurveDocument& document, PrintableLog& log)
    : curves_(curves), tracks_(tracks), legendRows_(std::move(legendRows)), doc_(document), log_(log) {}

void CurvePageSource::DrawTrackLegend(QPainter& dc, const QRect& box, int halfText, const CurveRecord& c,
                                      const PrintSettings& s) {
  qv::print::DrawCurveLegend(&dc, box, halfText, &c, s.colourDevice != 0);
}

std::string CurvePageSource::Title() const {
  std::string path = log_.DataPath();
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

double CurvePageSource::DotsPerRecord(const PrintSettings& s) const {
  if (doc_.LogMode() == kLogModeTime) return s.mmPerPixel > 0 ? 0.127 / s.mmPerPixel : 1.0;
  const double unitPerDot = doc_.Imperial() ? s.inchPerPixel / 0.012 : s.mmPerPixel;
  const double d = s.scale * unitPerDot / Step(doc_);
  return d > 0 ? 1.0 / d : 1.0;
}

void CurvePageSource::BeginReplay(PrintSettings& s, bool /*again*/) {
  PrintReplayWindow w;
  const bool open = log_.StartPrintReplay(&w);
  direction_ = (doc_.LogMode() == kLogModeTime || !open) ? 0 : (w.upward ? 1 : 0);
  largestOffset_ = 0;
  for (int i = 0; i < kFilterTableSize; ++i) largestOffset_ = std::max(largestOffset_, OffsetSteps(i));
  const int step = Step(doc_);
  const int display = doc_.DisplayDepthOffset();
  if (direction_ == 1) {
    // A log recorded upward prints from its shallow end down, against the
    // way it was recorded: a value leaves the delay window `lead` of depth
    // after the record it was read with, so the seeks run that far ahead of
    // the row they label, deeper. (The display depth offset counts the
    // window's way one step short.)
    const int lead = largestOffset_ * step + display + step;
    log_.SetPrintDepthWindow(-lead);
    log_.StartPrintReplay(&w);
    for (int i = 0; i < kFilterTableSize; ++i)
      s.channelOffsets[static_cast<size_t>(i)] = largestOffset_ - OffsetSteps(i);
    printMin_ = w.minDepth;
    printMax_ = w.maxDepth;
    s.printDepth = printMin_ - lead;
    s.printEndDepth = printMax_;
  } else {
    printMin_ = w.minDepth + display;
    printMax_ = w.maxDepth;
    windowMin_ = w.minDepth;
    s.printDepth = printMin_;
  }
  lastX_.assign(curves_.size(), std::numeric_limits<int>::min());
  for (CurveRecord& c : curves_) c.wrapBand = 1;
}

// A channel's offset along the sonde is kept in centimetres: the page counts
// it in the log's depth steps, as the processing does.
int CurvePageSource::OffsetSteps(int channel) const {
  const ChannelFilter* f = doc_.RawFilterTable();
  return f ? qv::OffsetToSteps(f[channel].OffsetCopy, doc_.Imperial(), Step(doc_)) : 0;
}

void CurvePageSource::EndReplay() {
  log_.EndPrintReplay();
  pendingMarks_.clear();
}

std::vector<TrackRecord> CurvePageSource::PrintColumns(const std::vector<TrackRecord>& tracks, const PrintSettings& s,
                                                       int top, int bottom) {
  std::vector<TrackRecord> c(std::max<size_t>(tracks.size(), 4));
  for (size_t i = 0; i < tracks.size(); ++i) c[i] = tracks[i];
  const double w = s.width;
  const int x0 = s.left;
  const int x1 = x0 + Trunc(0.296 * w);
  const int x2 = x1 + Trunc(0.087 * w);
  const int x3 = x2 + Trunc(0.296 * w);
  const int x4 = x3 - 1 + Trunc(0.296 * w);
  const int edges[5] = {x0, x1, x2, x3 - 1, x4};
  for (int i = 0; i < 4; ++i) {
    const int left = i == 3 ? x3 - 1 : edges[i];
    const int right = i == 3 ? x4 : (i == 2 ? x3 : edges[i + 1]);
    c[static_cast<size_t>(i)].screenRect = RecordRect{left, top, right, bottom};
  }
  return c;
}

int CurvePageSource::PrintTrackHeaders(QPainter& dc, const PrintSettings& s, int y) {
  const int th = TextHeight(s);
  const int rowHeight = Trunc(2.5 * th);
  const int mm = DotsOfMm(s, 1.0);
  const std::vector<TrackRecord> cols = PrintColumns(tracks_, s, y, y + rowHeight);
  for (const CurveRecord& c : curves_) {
    if (!c.headerFlag || c.firstTrack < 0 || c.firstTrack > kTrack3) continue;
    RecordRect b = CurveBox(c, cols);
    b.top = y + c.headerLine * rowHeight;
    b.bottom = b.top + rowHeight;
    b.left += mm;
    b.right -= mm;
    DrawTrackLegend(dc, ToQRect(b), th / 2, c, s);
  }
  return legendRows_() * rowHeight + rowHeight / 3;
}

PrintRows CurvePageSource::ReadPrintRows(PrintSettings& s, int rows) {
  const std::vector<CurveRecord>& curves = curves_;
  PrintRows out;
  out.firstDepth = s.printDepth;
  out.capacity = std::max(rows, 0);
  out.curves = static_cast<int>(curves.size());
  out.values.assign(static_cast<size_t>(out.curves) * static_cast<size_t>(out.capacity), 0.0);
  out.minute.assign(static_cast<size_t>(out.capacity), 0);
  const double g = DotsPerRecord(s);
  const int step = Step(doc_);
  double accumulator = 0;
  int lastRounded = 0;
  int pathRows = 0;
  int summed = 0;
  std::vector<double> sums(curves.size(), 0.0), current(curves.size(), 0.0);
  RowsBegin(out.capacity);
  // The printout's offsets stand where the processing reads them: at ints 7
  // to 22 of the settings block.
  std::array<int, 23> given{};
  std::copy(s.channelOffsets.begin(), s.channelOffsets.end(), given.begin() + 7);
  const int logMode = doc_.LogMode();
  const auto capacity = static_cast<size_t>(out.capacity);
  // Rows [FIRST, FIRST + MADE) take the current values (or, for one row,
  // their mean with the records summed since the last row); a record's minute
  // mark goes to the first row made after it was read, and the rows after
  // that find it taken.
  auto write = [&](int made, bool mean) {
    const int first = out.count;
    for (size_t i = 0; i < curves.size(); ++i)
      std::fill_n(out.values.begin() + static_cast<std::ptrdiff_t>(i * capacity + static_cast<size_t>(first)), made,
                  mean ? (sums[i] + current[i]) / (summed + 1) : current[i]);
    out.minute[static_cast<size_t>(first)] = doc_.TakeMinuteMark() ? 1 : 0;
    out.count += made;
    RowsMade(first, made);
  };
  while (out.count < rows) {
    if (direction_ == 1) {
      if (s.printDepth > s.printEndDepth) break;
      log_.SeekReplay(s.printDepth);
    } else if (logMode == kLogModeDown && s.printDepth >= printMax_) {
      // The window's last record has come out of the processing delay; the
      // reader's records past the end of the data hold no reading.
      break;
    } else if (!log_.ReadReplayRecord()) {
      break;
    }
    const int rowDepth = s.printDepth;
    s.printDepth += step;
    const std::span<const double> row =
        log_.ProcessPrintRecord(direction_ == 1 ? std::span<const int>(given) : std::span<const int>());
    for (size_t i = 0; i < curves.size(); ++i) {
      const int ch = curves[i].physicalChannel;
      current[i] = (ch >= 1 && static_cast<size_t>(ch) <= row.size()) ? row[static_cast<size_t>(ch - 1)]
                                                                      : std::numeric_limits<double>::quiet_NaN();
    }
    if (logMode == kLogModeUp && (rowDepth < printMin_ || rowDepth > printMax_)) continue;
    // Logging down, the first records only fill the processing delay: their
    // rows would lie above the window's start and hold no reading.
    if (logMode == kLogModeDown && s.printDepth <= windowMin_) continue;
    if (out.count == 0 && summed == 0) out.firstDepth = rowDepth;
    accumulator += g;
    if (g < 1) {
      const int k = Trunc(accumulator + 0.5);
      if (k > lastRounded) {
        write(1, true);
        std::fill(sums.begin(), sums.end(), 0.0);
        summed = 0;
        lastRounded = k;
      } else {
        for (size_t i = 0; i < curves.size(); ++i) sums[i] += current[i];
        ++summed;
      }
    } else {
      const int made = std::min(Trunc(accumulator + 0.5) - pathRows, rows - out.count);
      if (made > 0) {
        write(made, false);
        pathRows += made;
      }
    }
  }
  return out;
}

void CurvePageSource::DrawGrid(QPainter& dc, const PrintSettings& s, const std::vector<TrackRecord>& cols, int top,
                               int rows, double topDepth) {
  const double g = DotsPerRecord(s);
  const double perDot = Step(doc_) / g;  // depth units one dot of paper stands for
  const double perMm = s.mmPerPixel > 0 ? perDot / s.mmPerPixel : perDot;
  const double perInch = s.inchPerPixel > 0 ? perDot / s.inchPerPixel : perDot;
  const QColor ink = s.colourDevice ? kPrintGrey : QColor(Qt::black);
  const int thick = std::max(3, DotsOfMm(s, 0.4));
  const int medium = std::max(2, DotsOfMm(s, 0.3));
  struct Spacing {
    double every;
    int width;
    bool dotted;
  };
  std::vector<Spacing> spacings;
  bool labels = true;
  double labelEvery = 0;
  if (doc_.LogMode() == kLogModeTime) {
    spacings = {{0.5 * perInch, thick, false}, {0.1 * perInch, 1, false}};
    labels = false;
  } else if (s.fitToPage) {
    labelEvery = FitLabelSpacing(doc_.Imperial() ? perInch : 10 * perMm);
    spacings = {{labelEvery, thick, false}, {labelEvery / 5, 1, false}};
  } else if (!doc_.Imperial()) {
    spacings = {{10 * perMm, thick, false}, {2 * perMm, 1, true}};
  } else if (s.scale == 240) {
    spacings = {{2.5 * perInch, thick, false}, {0.5 * perInch, medium, false}, {0.1 * perInch, 1, false}};
  } else {
    spacings = {{perInch, thick, false}, {0.2 * perInch, 1, false}};
  }
  if (labelEvery == 0) labelEvery = spacings[0].every;
  const double bottomDepth = topDepth + rows * perDot;
  auto yOf = [&](double depth) { return top + Trunc((depth - topDepth) / perDot + 0.5); };
  std::vector<int> taken;  // rows already holding a heavier line
  for (const Spacing& sp : spacings) {
    if (!(sp.every > 0)) continue;
    QPen pen(ink, sp.width);
    if (sp.dotted) {
      // A set dot every half millimetre.
      pen.setDashPattern({1.0, std::max(1.0, DotsOfMm(s, 0.5) - 1.0)});
    }
    pen.setCapStyle(Qt::FlatCap);
    dc.setPen(pen);
    for (double k = std::ceil(topDepth / sp.every); k * sp.every < bottomDepth; k += 1) {
      const int y = yOf(k * sp.every);
      if (std::find(taken.begin(), taken.end(), y) != taken.end()) continue;
      taken.push_back(y);
      for (int t : {kTrack1, kTrack2, kTrack3}) {
        const RecordRect& r = cols[static_cast<size_t>(t)].screenRect;
        dc.drawLine(r.left, y, r.right, y);
      }
    }
  }
  // Scale lines down the tracks.
  for (int t : {kTrack1, kTrack2, kTrack3}) {
    const TrackRecord& tr = cols[static_cast<size_t>(t)];
    const RecordRect& r = tr.screenRect;
    if (IsLogTrack(tr)) {
      for (const GridLine& line : GridOfTrack(curves_, cols, t).lines) {
        dc.setPen(QPen(ink, line.decade ? medium : 1));
        dc.drawLine(line.x, top, line.x, top + rows);
      }
    } else {
      for (int i = 1; i < 10; ++i) {
        const int x = r.left + Trunc((r.right - r.left) * i / 10.0 + 0.5);
        dc.setPen(QPen(ink, i == 5 ? medium : 1));
        dc.drawLine(x, top, x, top + rows);
      }
    }
  }
  if (!labels) return;
  const RecordRect& d = cols[kDepthTrackNumber].screenRect;
  QFont font = qv::print::PrintFont(dc, TextHeight(s));
  font.setWeight(QFont::Light);
  dc.setFont(font);
  dc.setPen(Qt::black);
  for (double k = std::ceil(topDepth / labelEvery); k * labelEvery < bottomDepth; k += 1) {
    const int y = yOf(k * labelEvery);
    // (+ 0.0: the label at depth 0 reads "0.00", never "-0.00")
    const QString text = QString::fromStdString(qv::FormatC("%.2lf", k * labelEvery / 1000.0 + 0.0));
    dc.drawText(QRect(d.left, y - TextHeight(s), d.right - d.left, 2 * TextHeight(s)), Qt::AlignCenter, text);
  }
}

void CurvePageSource::DrawMinuteMarks(QPainter& dc, const PrintSettings& s, const LogSectionArea& area,
                                      const RecordRect& dt, const PrintRows& rows) {
  // Minute marks at the depth track's left edge; those a page could not hold
  // come first on the next one.
  const int top = area.top;
  const int markHalf = s.mmPerPixel > 0 ? Trunc(0.75 / s.mmPerPixel) : 0;
  std::vector<int> pending;
  pending.swap(pendingMarks_);
  for (int y : pending) qv::print::DrawMarkerTriangle(&dc, dt.left, top + y, s.mmPerPixel);
  for (int r = 0; r < rows.count; ++r) {
    if (!rows.minute[static_cast<size_t>(r)]) continue;
    const int y = top + r;
    if (direction_ == 1 && y + markHalf > area.top + area.height)
      pendingMarks_.push_back(0);
    else
      qv::print::DrawMarkerTriangle(&dc, dt.left, y, s.mmPerPixel);
  }
}

LogSectionResult CurvePageSource::PrintLogSection(QPainter& dc, PrintSettings& s, const LogSectionArea& area) {
  LogSectionResult result;
  const PrintRows rows = ReadPrintRows(s, area.height);
  const double topDepth = rows.firstDepth;
  const int top = area.top;
  const int n = rows.count;
  const int bottom = top + n;
  std::vector<TrackRecord> cols = PrintColumns(tracks_, s, top, bottom);
  const QColor ink = s.colourDevice ? kPrintGrey : QColor(Qt::black);
  const int frame = std::max(3, DotsOfMm(s, 0.4));
  dc.save();
  dc.setBrush(Qt::NoBrush);

  // Frames.
  const RecordRect& t1 = cols[kTrack1].screenRect;
  const RecordRect& dt = cols[kDepthTrackNumber].screenRect;
  const RecordRect& t2 = cols[kTrack2].screenRect;
  const RecordRect& t3 = cols[kTrack3].screenRect;
  dc.setPen(QPen(ink, frame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  if (s.continuousMode) {
    for (int x : {t1.left, t1.right, dt.right, t3.right}) dc.drawLine(x, top, x, bottom);
    if (area.firstLogPage || area.newFile) dc.drawLine(t1.left, top, t3.right, top);
  } else {
    dc.drawRect(QRect(QPoint(t1.left, top), QPoint(t1.right, bottom)));
    dc.drawRect(QRect(QPoint(dt.left, top), QPoint(dt.right, bottom)));
    dc.drawRect(QRect(QPoint(t2.left, top), QPoint(t3.right, bottom)));
  }
  if (n > 0) DrawGrid(dc, s, cols, top, n, topDepth);

  // Curves.
  const double dpi = s.inchPerPixel > 0 ? 1.0 / s.inchPerPixel : 300.0;
  int thin = Trunc(dpi * 0.01 + 0.5);
  if (thin < 2) thin = 1;
  int thickPen = Trunc(dpi * 0.02 + 0.5);
  if (thickPen < 3) thickPen = 2;
  std::vector<CurveRecord>& curves = curves_;
  if (lastX_.size() != curves.size()) lastX_.assign(curves.size(), std::numeric_limits<int>::min());
  PainterLineDevice device(dc);
  for (size_t i = 0; i < curves.size() && n > 0; ++i) {
    CurveRecord& c = curves[i];
    if (!c.headerFlag || c.firstTrack < 0 || c.firstTrack > kTrack3 || c.firstTrack == kDepthTrackNumber) continue;
    if (!PrintsAsCurve(c)) continue;
    const RecordRect box = CurveBox(c, cols);
    const bool log = IsLogTrack(cols[static_cast<size_t>(c.firstTrack)]);
    const PrintLineStyle style = PrintLineStyleOf(c.printLineStyle);
    CStyledLine line;
    line.SetStyle(&device, style.dashStyle, style.width > 1 ? thickPen : thin, s.colourDevice ? c.lineColour : 0);
    const bool wrap = g_bWrapCurves.load() != 0;
    auto valueAt = [&](int r) { return rows.Value(static_cast<int>(i), r); };
    const auto polylines = CurvePolylines(c, box, log, wrap, top, n, valueAt);
    const int w = box.right - box.left;
    auto bandAt = [&](int r) { return WrapOffset(CurveOffset(c, w, log, valueAt(r)), w).band; };
    line.BeginPath();
    bool first = true;
    for (const auto& pl : polylines) {
      if (pl.empty()) continue;
      // A curve goes on from where the last page left it, unless a file
      // begins here; when it wraps, through the edges of the band it left.
      if (first && !area.newFile && !area.firstLogPage && lastX_[i] != std::numeric_limits<int>::min() &&
          pl.front().y == top) {
        line.MoveTo(lastX_[i], top);
        const int band = bandAt(0);
        if (wrap && band != c.wrapBand) {
          const bool grew = band > c.wrapBand;
          const bool minLeft = c.scaleFlag != 0;
          line.LineTo((minLeft == grew) ? box.right + 1 : box.left - 1, top);
          line.MoveTo((minLeft == grew) ? box.left - 1 : box.right + 1, top);
        }
        line.LineTo(pl.front().x, pl.front().y);
      } else {
        line.MoveTo(pl.front().x, pl.front().y);
      }
      first = false;
      for (size_t k = 1; k < pl.size(); ++k) line.LineTo(pl[k].x, pl[k].y);
    }
    // Where the next page takes the curve up: its last row's place and band,
    // when the page's last row holds a value.
    lastX_[i] = std::numeric_limits<int>::min();
    if (!polylines.empty() && !polylines.back().empty() && polylines.back().back().y == top + n - 1) {
      lastX_[i] = polylines.back().back().x;
      c.wrapBand = bandAt(n - 1);
    }
    line.StrokePath();
  }

  DrawMinuteMarks(dc, s, area, dt, rows);
  dc.restore();

  const bool ended = n < area.height;
  if (ended && s.continuousMode) {
    dc.save();
    dc.setPen(QPen(ink, frame));
    dc.drawLine(t1.left, bottom, t3.right, bottom);
    dc.restore();
  }
  result.goesOn = !ended;
  result.rows = n;
  result.dataEnd = bottom;
  result.left = t1.left;
  result.right = t3.right;
  return result;
}

}  // namespace curveview

namespace curveview {

bool CanPrintLog(PrintableLog* log) {
  return qv::print::LogPagePrinter::CanPrint(log != nullptr, log ? log->LogState() : 0, log && log->IsLive());
}

void PrintLogPages(qv::print::LogPagePrinter* printer, QWidget* window) {
  if (printer) qv::print::PrintLogPages(*printer, window);
}

void InstallPagePrintCommands(qv::View& view, std::function<qv::print::LogPagePrinter*()> printer,
                              std::function<PrintableLog*()> log) {
  auto enabled = [log](qv::CmdUI& ui) { ui.Enable(CanPrintLog(log())); };
  view.OnCommand(kPrintCommand, [&view, printer, log] {
    if (CanPrintLog(log())) PrintLogPages(printer(), view.window());
  });
  view.qv::CommandTarget::OnUpdate(kPrintCommand, enabled);
  view.OnCommand(kPrintPreviewCommand, [&view, printer, log] {
    if (!CanPrintLog(log())) return;
    if (qv::print::LogPagePrinter* p = printer()) qv::print::RunPrintPreview(*p, p->Printer(), view.window());
  });
  view.qv::CommandTarget::OnUpdate(kPrintPreviewCommand, enabled);
}

}  // namespace curveview
