#include "tools/televiewer/bhtv_pages.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/core/globals.h"
#include "platform/text/cnum.h"
#include "print/page/drawing.h"
#include "print/page/qt_print.h"
#include "tools/televiewer/bhtv_view.h"

namespace qv {

namespace {

constexpr int kSectionGap = 100;  // below a section: where the next file or the trailer goes

QFont PrintFont(const print::PrintSettings& s, int weight) {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(std::max(1, static_cast<int>(3.5 / s.mmPerPixel + 0.5)));
  f.setWeight(weight == 300 ? QFont::Light : QFont::Normal);
  return f;
}

// The colour table as the print strips index it.
const QVector<QRgb>& PrintColours() {
  static const QVector<QRgb> colours = [] {
    QVector<QRgb> c;
    for (std::uint32_t rgb : BhtvColourTable) c.push_back(0xFF000000u | rgb);
    return c;
  }();
  return colours;
}

// N print rows as an image stretched across STRIP, one paper row each. The
// row bytes are colour indices as they are: the amplitude strip spans
// colours 0 to 63, the transit strip 0 to 127. Nothing for no rows.
void DrawImageStrip(QPainter& dc, int left, int width, int top, const std::uint8_t* rows, int n) {
  if (n <= 0 || width <= 0) return;
  QImage image(kRowSamples, n, QImage::Format_Indexed8);
  image.setColorTable(PrintColours());
  for (int i = 0; i < n; ++i) std::copy_n(rows + i * kRowSamples, kRowSamples, image.scanLine(i));
  dc.save();
  dc.setRenderHint(QPainter::SmoothPixmapTransform, false);
  dc.drawImage(QRect(left, top, width, n), image);
  dc.restore();
}

constexpr long long kNoUnit = std::numeric_limits<long long>::min();

// The whole depth unit (thousandths) passed on the way from FROM to TO, TO
// included and FROM not; kNoUnit for none.
long long WholeUnitReached(long long from, long long to) {
  auto floorDiv = [](long long a) { return a >= 0 ? a / 1000 : -((-a + 999) / 1000); };
  if (to > from) return floorDiv(to) > floorDiv(from) ? floorDiv(to) : kNoUnit;
  if (to < from) return floorDiv(to - 1) < floorDiv(from - 1) ? floorDiv(from - 1) : kNoUnit;
  return kNoUnit;
}

}  // namespace

TeleviewerPageColumns TeleviewerPageColumns::Of(const print::PrintSettings& s) {
  TeleviewerPageColumns c;
  const int strip = static_cast<int>(0.45 * s.width), depth = static_cast<int>(0.1 * s.width);
  c.left = s.left;
  c.depthLeft = s.left + strip;
  c.depthRight = c.depthLeft + depth;
  c.right = c.depthRight + strip;
  return c;
}

TeleviewerPageSource::TeleviewerPageSource(TeleviewerEngine& engine, const std::vector<CurveRecord>& curves,
                                           std::function<bool()> followChain)
    : engine_(engine),
      curves_(curves),
      followChain_(std::move(followChain)),
      rows_(TeleviewerRowBuilder::kNewest + 3),
      row_(rows_.MakeFlushedRows()) {}

void TeleviewerPageSource::BeginReplay(print::PrintSettings& settings, bool) {
  engine_.RewindReplay();
  rows_.Reset(engine_.Setup().depthStep);
  records_ = 0;
  ReplayReader* reader = engine_.Reader();
  if (!reader) return;
  upward_ = reader->IsUpward();
  reader->SetDepthWindow(0, engine_.LogType());
  settings.printDepth = reader->GetMinDepth();
  records_ = static_cast<int>(reader->GetRecordIndex());
  if (upward_) reader->SeekToWindowEnd();
}

void TeleviewerPageSource::EndReplay() {
  // The replay goes on over the window the user chose, from its start.
  engine_.OpenReplayReader();
  engine_.RewindReplay();
}

int TeleviewerPageSource::PrintTrackHeaders(QPainter& dc, const print::PrintSettings& s, int top) {
  const QFont font = PrintFont(s, 400);
  const int h = font.pixelSize(), d = h / 2 + 2 * h;
  const TeleviewerPageColumns c = TeleviewerPageColumns::Of(s);
  int rows = 1;
  dc.save();
  dc.setFont(font);
  for (const CurveRecord& curve : curves_) {
    if (!curve.headerFlag) continue;
    const bool right = curve.firstTrack == 2;
    const int y = top + curve.headerLine * d;
    const QRect box(QPoint(right ? c.depthRight : c.left, y), QPoint((right ? c.right : c.depthLeft) - 1, y + d - 1));
    print::DrawLinearScaleHeader(&dc, box, &curve, &s);
    rows = std::max(rows, curve.headerLine + 1);
  }
  dc.restore();
  return rows * d + d / 3;
}

double TeleviewerPageSource::PixelsPerRecord(const print::PrintSettings& s, int available) const {
  // Fitted in double: an int quotient is 0 once the log has more records
  // than the page has rows, and nothing would be printed.
  if (s.fitToPage) return records_ > 0 ? (available - 2) / static_cast<double>(records_) : 1.0;
  return 0.25 / s.mmPerPixel;
}

int TeleviewerPageSource::BuildPrintRows(int most, double pixels, TeleviewerPrintRows& out) {
  most = std::clamp(most, 0, TeleviewerPrintRows::kMaxRows);
  std::fill_n(out.marks.begin(), most, 0);
  std::fill_n(out.steps.begin(), most, 0);
  int emitted = 0, rows = 0;
  double accumulated = 0.0;
  RowOptions o;
  o.invert = g_bInvertBHTVColours != 0;
  o.normaliseAmplitude = g_bNormaliseBHTVAmplitude != 0;
  o.normaliseTransit = g_bNormaliseBHTVTransitTime != 0;
  o.logType = engine_.LogType();
  while (rows < most) {
    if (!(upward_ ? engine_.ReadPreviousReplayRecord() : engine_.ReadReplayRecord())) break;
    engine_.ProcessRecord(true);
    accumulated += pixels;
    const TeleviewerSweep& sweep = engine_.PrintSweep();
    rows_.Convert(sweep, false, o);
    if (!rows_.Take(0, row_)) continue;
    const TeleviewerImageRow& r = row_.rows[0];
    // Positive when the depth grows in reading order.
    const int k = SweepSteps(sweep.depthStep, o.logType);
    const int steps = SweepWentDown(sweep.depthStep) != upward_ ? k : -k;
    const std::uint8_t mark = engine_.TakeMinuteMark() ? 1 : 0;
    auto store = [&](int at) {
      std::copy_n(r.amplitude, kRowSamples, out.images.begin() + at * kRowSamples);
      std::copy_n(r.transit, kRowSamples, out.images.begin() + (TeleviewerPrintRows::kMaxRows + at) * kRowSamples);
    };
    const int due = static_cast<int>(accumulated + 0.5);
    if (pixels < 1.0) {
      // Several records to a row: the last one shows, the steps add up.
      store(rows);
      out.steps[static_cast<std::size_t>(rows)] += steps;
      out.marks[static_cast<std::size_t>(rows)] = mark;
      if (due > emitted) {
        emitted = due;
        ++rows;
      }
    } else {
      bool first = true;
      while (emitted < due && rows < most) {
        store(rows);
        if (first) {
          out.steps[static_cast<std::size_t>(rows)] = steps;
          out.marks[static_cast<std::size_t>(rows)] = mark;
          first = false;
        }
        ++emitted;
        ++rows;
      }
    }
  }
  return rows;
}

print::LogSectionResult TeleviewerPageSource::PrintLogSection(QPainter& dc, print::PrintSettings& s,
                                                              const print::LogSectionArea& area) {
  const TeleviewerPageColumns c = TeleviewerPageColumns::Of(s);
  const int b = area.height;
  const int top = area.top;
  const double pixels = PixelsPerRecord(s, b);
  const int step = std::abs(engine_.Setup().depthStep);
  dc.save();
  const QFont font = PrintFont(s, 300);
  dc.setFont(font);
  const int th = QFontMetrics(font).height();
  TeleviewerPrintRows rows;
  int y = top, done = 0;
  bool ended = false;
  while (done < b && !ended) {
    const int asked = std::min(b - done, TeleviewerPrintRows::kMaxRows);
    const int n = BuildPrintRows(asked, pixels, rows);
    ended = n < asked;
    for (const CurveRecord& curve : curves_) {
      if (!curve.headerFlag) continue;
      const bool right = curve.firstTrack == 2;
      const int left = right ? c.depthRight : c.left, width = (right ? c.right : c.depthLeft) - left;
      // Amplitude rows first, then the transit rows.
      DrawImageStrip(dc, left, width, y, curve.physicalChannel == 1 ? rows.Amplitude(0) : rows.Transit(0), n);
    }
    dc.setPen(QPen(Qt::black, 1));
    for (int j = 0; j < n; ++j) {
      if (rows.marks[static_cast<std::size_t>(j)]) print::DrawMarkerTriangle(&dc, c.depthLeft, y + j, s.mmPerPixel);
      const int k = rows.steps[static_cast<std::size_t>(j)];
      if (k == 0) continue;
      const long long from = s.printDepth;
      const long long to = std::clamp<long long>(from + static_cast<long long>(k) * step, -2000000000LL, 2000000000LL);
      s.printDepth = static_cast<int>(to);
      // The label of the whole depth unit the row's move reached: every unit
      // gets one, however many sweeps a row merges.
      const long long unit = WholeUnitReached(from, to);
      if (unit == kNoUnit) continue;
      const std::string label = FormatC("%d.00", static_cast<int>(unit));
      int labelTop = y + j - th / 2;
      if (s.continuousMode) labelTop = std::min(std::max(labelTop, y), top + b - th / 2 - th);
      dc.drawText(QRect(c.depthLeft, labelTop, c.depthRight - c.depthLeft, th), Qt::AlignHCenter | Qt::AlignTop,
                  QString::fromStdString(label));
    }
    y += n;
    done += n;
  }
  if (s.continuousMode) {
    dc.setPen(QPen(Qt::black, print::FramePenWidth(s.mmPerPixel)));
    for (const auto& [l, r] : {std::pair{c.left, c.depthLeft}, std::pair{c.depthRight, c.right}}) {
      dc.drawLine(l, top, l, y);
      dc.drawLine(r, top, r, y);
      if (area.firstLogPage) dc.drawLine(l, top, r, top);
      if (ended) dc.drawLine(l, y, r, y);
    }
  }
  dc.restore();
  print::LogSectionResult result;
  result.goesOn = !ended;
  result.rows = done;
  result.dataEnd = y;
  result.left = c.left;
  result.right = c.right;
  return result;
}

}  // namespace qv

// ---------------------------------------------------------------------------
// The view's print commands

void CBHTVView::InstallPrintCommands() {
  OnCommand(kPrintCommand, [this] { OnFilePrint(); });
  qv::CommandTarget::OnUpdate(kPrintCommand, [this](qv::CmdUI& ui) { ui.Enable(OnUpdateFilePrint()); });
  OnCommand(kPrintPreviewCommand, [this] { OnFilePrintPreview(); });
  qv::CommandTarget::OnUpdate(kPrintPreviewCommand, [this](qv::CmdUI& ui) { ui.Enable(OnUpdateFilePrint()); });
}

bool CBHTVView::OnUpdateFilePrint() const {
  return qv::print::LogPagePrinter::CanPrint(engine_ != nullptr, engine_ ? engine_->State() : 0,
                                             engine_ && engine_->IsLive());
}

qv::print::LogPagePrinter* CBHTVView::PagePrinter() {
  if (!engine_) return nullptr;
  if (!pagePrinter_) {
    pageSource_ = std::make_unique<qv::TeleviewerPageSource>(*engine_, curves_, followChain_);
    pagePrinter_ = std::make_unique<qv::print::LogPagePrinter>(*pageSource_);
  }
  return pagePrinter_.get();
}

void CBHTVView::OnFilePrint() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter()) qv::print::PrintLogPages(*printer, window());
}

void CBHTVView::OnFilePrintPreview() {
  if (!OnUpdateFilePrint()) return;
  if (qv::print::LogPagePrinter* printer = PagePrinter())
    qv::print::RunPrintPreview(*printer, printer->Printer(), window());
}
