#include "tools/sonic/sonic_view.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <mutex>

#include "app/core/globals.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/legend_paint.h"
#include "logview/model/channel_header.h"
#include "logview/model/drawing.h"
#include "logview/print_pages.h"
#include "logview/range_dialogs.h"
#include "logview/styled_sample.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "print/page/page_model.h"
#include "tools/sonic/sonic_print.h"
#include "logview/model/track_layout.h"

using namespace curveview;

namespace {

constexpr unsigned kStrDepthTitle = 32076;
constexpr unsigned kStrDepthShort = 32077;
constexpr unsigned kStrFeet = 32081;
constexpr unsigned kStrMetres = 32082;
constexpr int kFirstWaveformChannel = 13;
constexpr int kDataChannels = 12;
constexpr int kGreyBarHeight = 14;
constexpr int kGreyBarTop = 15;
constexpr int kTriangleBox = 14;
constexpr int kStaleRows = 13;  // rows near the new ones drawn again (the wiggles reach into them)

const QColor kDecadeGrey(0x80, 0x80, 0x80);
const QColor kScaleRed(0xFF, 0x00, 0x00);

int PrimaryScreenHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 1024;
}

}  // namespace

CSonicView::CSonicView(int screenHeight, QWidget* parent)
    : qv::View(parent), screenHeight_(screenHeight > 0 ? screenHeight : PrimaryScreenHeight()) {
  for (std::uint32_t rgb : qv::SonicGreyTable()) greys_.push_back(0xFF000000u | rgb);
  OnCommand(kChangeLayoutCommand, [this] { OnChangeLayout(); });
  OnCommand(kChannelDisplayCommand, [this] { OnChannelDisplay(); });
  qv::CommandTarget::OnUpdate(kChangeLayoutCommand, [](qv::CmdUI& ui) { ui.Enable(); });
  qv::CommandTarget::OnUpdate(kChannelDisplayCommand, [this](qv::CmdUI& ui) {
    ui.Enable();
    ui.SetCheck(OnUpdateChannelDisplay());
  });
  InstallPagePrintCommands(
      *this, [this] { return PagePrinter(); }, [this] { return doc_ ? doc_->Printable() : nullptr; });
  normal_ = LegendFont();
  bold_ = normal_;
  bold_.setWeight(QFont::DemiBold);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CSonicView::~CSonicView() = default;

void CSonicView::SetLayout(std::vector<std::unique_ptr<TrackRecord>> tracks,
                           std::vector<std::unique_ptr<CurveRecord>> curves) {
  tracks_.clear();
  for (auto& t : tracks) tracks_.push_back(t ? *t : TrackRecord{});
  source_ = std::move(curves);
}

bool CSonicView::IsWaveformCurve(const CurveRecord& c) const {
  return c.physicalChannel >= kFirstWaveformChannel &&
         c.physicalChannel < kFirstWaveformChannel + display_.Settings().waves;
}

int CSonicView::SetupLayout(CurveDocument* document, int samples, int waves) {
  doc_ = document;
  colours_ = LegendPalette::Of(palette());

  std::vector<CurveRecord> given;
  for (const auto& c : source_)
    if (c) given.push_back(*c);
  if (doc_) sheet_.Setup(given, false, doc_->UserFunction(), doc_->SondeAbbreviation());
  legendRows_ = BuildCurveTable(source_, curves_);
  for (auto& t : tracks_) {
    t.style = kTrackStyleWord;
    if (t.type == kDepthTrackType) t.gridFlag = 0;
  }
  // A waveform channel the sonde does not have is shown as the first
  // waveform, without a legend, and named so.
  std::vector<int> channels;
  for (CurveRecord& c : curves_) {
    if (c.physicalChannel > kDataChannels && c.physicalChannel - kDataChannels > waves) {
      c.physicalChannel = kFirstWaveformChannel;
      c.headerFlag = 0;
      c.shortTitle = "ERROR";
    }
    channels.push_back(c.physicalChannel);
  }
  qv::SnapSonicLogCurves(curves_, tracks_);

  const bool imperial = doc_ && doc_->Imperial();
  depthTrack_.title = qv::LoadString(kStrDepthTitle);
  depthTrack_.shortTitle = qv::LoadString(kStrDepthShort);
  depthTrack_.unit = qv::LoadString(imperial ? kStrFeet : kStrMetres);
  depthTrack_.currentDepth = 0;
  depthTrack_.depthStep = doc_ ? doc_->DepthStep() : 0;
  const int logMode = doc_ ? doc_->LogMode() : kLogModeTime;
  depthMode_ = logMode != kLogModeTime;
  upward_ = logMode != kLogModeDown;

  qv::SonicDisplaySettings s;
  s.samples = samples;
  s.waves = waves;
  s.upward = upward_;
  s.imperial = imperial;
  s.depthScale = doc_ ? doc_->DepthScale() : 200;
  s.screenHeight = screenHeight_;
  display_.Configure(channels, s);
  LayoutTracks();
  update();
  return 1;
}

void CSonicView::LayoutTracks() {
  tracksRight_ = LayoutTrackRects(tracks_, {0, 0, width(), height()}, 1);
  // Only the first track keeps a grid: the others hold the waveform images.
  for (std::size_t i = 1; i < tracks_.size(); ++i) tracks_[i].gridFlag = 0;
  std::lock_guard lock(display_.ImageLock());
  window_ = display_.Window(height(), LegendHeight());
}

bool CSonicView::DepthScaled() const {
  return depthMode_ && !(doc_ && doc_->TestMode());
}

void CSonicView::ResetScroll() {
  display_.ResetScroll(depthTrack_.depthStep, doc_ ? doc_->DepthScale() : 200);
}

void CSonicView::ResetDisplay(bool /*live*/) {
  display_.Clear();
  ResetScroll();
  SetDepth(doc_ ? doc_->ReplayStartDepth() : 0);
  update();
}

void CSonicView::SetDepth(int depth) {
  display_.SetDepth(depth + (doc_ ? doc_->DisplayDepthOffset() : 0));
}

void CSonicView::AddWaveformRecord(std::span<const double> values, std::span<const std::int16_t> waveforms) {
  CurveDocument* doc = doc_;
  display_.AddRecord(values, waveforms, DepthScaled(), doc ? doc->DepthDirection() : 0,
                     [doc] { return doc != nullptr && doc->TakeMinuteMark(); });
}

void CSonicView::UpdateDisplay() {
  const RowUpdate u = display_.Update();
  if (u.rows > 0) {
    depthTrack_.currentDepth = u.depth;
    const int legend = LegendHeight();
    const QRect area(0, legend, width(), height() - legend);
    if (u.rows + kStaleRows >= area.height()) {
      update();
    } else {
      // The picture moves; only the band of new rows is drawn again.
      scroll(0, upward_ ? u.rows : -u.rows, area);
      if (upward_)
        update(QRect(0, legend, width(), u.rows + kStaleRows));
      else
        update(QRect(0, height() - u.rows - kStaleRows, width(), u.rows + kStaleRows));
    }
  }
  if (doc_ && sheet_.HasWindow()) {
    double raw[kSheetChannels] = {}, cal[kSheetChannels] = {}, user[kSheetChannels] = {};
    if (doc_->LatestValues(raw, cal, user)) sheet_.UpdateValues(raw, cal, doc_->UserFunction() ? user : nullptr);
  }
}

qv::print::LogPagePrinter* CSonicView::PagePrinter() {
  auto* log = dynamic_cast<qv::SonicPrintLog*>(doc_ ? doc_->Printable() : nullptr);
  if (!log) return nullptr;
  if (!pagePrinter_) {
    pageSource_ = std::make_unique<SonicPageSource>(*this, *doc_, *log);
    pagePrinter_ = std::make_unique<qv::print::LogPagePrinter>(*pageSource_);
  }
  return pagePrinter_.get();
}

int CSonicView::SaveLayoutToHeader() {
  if (!doc_) return 0;
  return curveview::WriteChannelHeader(curves_, tracks_, doc_);
}

// ---------------------------------------------------------------------------
// Painting

void CSonicView::resizeEvent(QResizeEvent* event) {
  LayoutTracks();
  qv::View::resizeEvent(event);
  update();
}

void CSonicView::OnDraw(QPainter& painter) {
  Paint(painter);
}

void CSonicView::Paint(QPainter& p) {
  std::unique_lock image(display_.ImageLock(), std::chrono::milliseconds(kViewLockWaitMs));
  if (!image.owns_lock()) return;
  std::lock_guard rows(display_.Rows().DisplayLock());
  p.fillRect(QRect(0, 0, width(), height()), Qt::white);
  DrawLegendBoxes(p);
  DrawTracks(p);
  DrawLegends(p);
  DrawImages(p);
  DrawCurves(p);
  if (!hitFrame_.isNull()) {
    p.setPen(QPen(kScaleRed, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(hitFrame_);
  }
}

void CSonicView::DrawLegendBoxes(QPainter& p) {
  PaintLegendFrames(p, LegendFrames(curves_, tracks_, legendRows_), colours_, 1);
}

void CSonicView::DrawTracks(QPainter& p) {
  const int legend = LegendHeight();
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    const TrackRecord& t = tracks_[i];
    if (t.width == 0) continue;
    if (t.gridFlag) {
      PaintTrackGrid(p, GridOfTrack(curves_, tracks_, static_cast<int>(i)), legend, t.screenRect.bottom - 1);
    }
    if (t.type == kDepthTrackType) DrawDepthTrack(p, t);
  }
  p.setPen(QPen(Qt::black, 1));
  for (const TrackRecord& t : tracks_)
    if (t.width > 0) p.drawLine(t.screenRect.right + 1, legend, t.screenRect.right + 1, height() - 1);
}

void CSonicView::DrawDepthTrack(QPainter& p, const TrackRecord& track) {
  const QRect t = ToQRect(track.screenRect);
  p.save();
  p.setFont(normal_);
  p.setPen(colours_.buttonText);
  const QFontMetrics fm(normal_);
  const QRect header(t.left(), t.top(), t.width(), kLegendRowHeight);
  const QString title = LocalText(depthTrack_.title), shortTitle = LocalText(depthTrack_.shortTitle),
                unit = LocalText(depthTrack_.unit);
  switch (qv::ChooseDepthHeading(fm.horizontalAdvance(title), fm.horizontalAdvance(shortTitle), t.width())) {
    case qv::DepthHeading::kTitle:
      p.drawText(header, Qt::AlignHCenter | Qt::AlignTop, title);
      break;
    case qv::DepthHeading::kShortTitle:
      p.drawText(header, Qt::AlignHCenter | Qt::AlignTop, shortTitle);
      break;
    case qv::DepthHeading::kNone:
      break;
  }
  if (fm.horizontalAdvance(unit) < t.width()) p.drawText(header.translated(0, fm.height()), Qt::AlignHCenter, unit);

  DepthTrackView v;
  v.legendHeight = LegendHeight();
  v.clientTop = 0;
  v.clientBottom = height();
  v.window = window_;
  v.upward = upward_;
  v.depthScaled = DepthScaled();
  v.imperial = doc_ && doc_->Imperial();
  v.depthScale = display_.Settings().depthScale;
  v.lastDepth = display_.Rows().LastUpdateDepth();
  const CurveRows& rows = display_.Rows();
  const auto marks = DepthMarks(
      v, [&rows](int q) { return rows.MarkAt(q); }, [&rows](int q, int* depth) { return rows.RowDepth(q, depth); });
  PaintDepthMarks(p, marks, t, bold_, v.legendHeight, colours_.buttonText, 0);
  p.restore();
}

LegendHits CSonicView::HitRects(const CurveRecord& c) const {
  return LegendHitRects(normal_, c, ToQRect(LegendBox(c, tracks_)));
}

void CSonicView::DrawLegends(QPainter& p) {
  p.save();
  p.setFont(normal_);
  const QFontMetrics fm(normal_);
  const int th = fm.height();
  const bool print = doc_ && doc_->RealtimePrint();
  const QImage bar(reinterpret_cast<const uchar*>(greys_.constData()), 255, 1, QImage::Format_ARGB32);
  for (const CurveRecord& c : curves_) {
    if (!c.headerFlag || c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) continue;
    if (tracks_[static_cast<std::size_t>(c.firstTrack)].width == 0) continue;
    const QRect b = ToQRect(LegendBox(c, tracks_));
    PaintLegendText(p, normal_, c, b, colours_);
    if (IsWaveformCurve(c)) {
      // The mode icon: a zigzag for wiggle traces, bars for the grey image.
      const QRect icon = QRect(b.right() + 1 - kIconWidth, b.top(), kIconWidth, th).adjusted(2, 2, -2, -2);
      Frame3d(p, icon, colours_.shadow, colours_.highlight);
      p.fillRect(icon.adjusted(1, 1, -1, -1), Qt::white);
      const QRect in = icon.adjusted(2, 2, -2, -2);
      if (display_.Wiggle()) {
        p.setPen(QPen(Qt::black, 1));
        QPolygon zig;
        for (int k = 0; k <= 6; ++k) zig << QPoint(in.left() + k * in.width() / 6, k % 2 ? in.top() : in.bottom());
        p.drawPolyline(zig);
      } else {
        const int w = std::max(in.width() / 4, 1);
        for (int k = 0; k < 4; ++k)
          p.fillRect(QRect(in.left() + k * w, in.top(), w - 1, in.height()), k % 2 ? kDecadeGrey : Qt::black);
        p.drawImage(QRect(b.left() + 1, b.top() + kGreyBarTop, b.width() - 2, kGreyBarHeight), bar);
      }
      if (c.headerLine > 0) {
        const QRect tri(b.left() + 1, b.top() + 1, kTriangleBox, kTriangleBox);
        QPolygon up;
        up << QPoint(tri.left() + 2, tri.bottom() - 3) << QPoint(tri.right() - 2, tri.bottom() - 3)
           << QPoint(tri.center().x(), tri.top() + 3);
        p.setPen(colours_.shadow);
        p.setBrush(colours_.shadow);
        p.drawPolygon(up);
        p.setBrush(Qt::NoBrush);
      }
      continue;
    }
    PaintSwatch(p, normal_, b, c.lineColour, colours_);
    if (print) PaintPrintSample(p, normal_, b, c.printLineStyle, colours_);
  }
  p.restore();
}

void CSonicView::DrawImages(QPainter& p) {
  const qv::SonicDisplaySettings& s = display_.Settings();
  const int legend = LegendHeight();
  const int first = display_.FirstShownImageRow(height(), legend);
  const int rows = std::min(height() - legend, display_.ImageHeight() - first);
  if (rows <= 0 || s.samples <= 0) return;
  QImage image(display_.Image(), display_.ImageWidth(), display_.ImageHeight(), display_.Stride(),
               QImage::Format_Indexed8);
  image.setColorTable(greys_);
  for (const CurveRecord& c : curves_) {
    if (!c.headerFlag || c.headerLine != 0 || !IsWaveformCurve(c)) continue;
    if (c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) continue;
    if (tracks_[static_cast<std::size_t>(c.firstTrack)].width == 0) continue;
    const RecordRect box = CurveBox(c, tracks_);
    const int w = c.physicalChannel - kFirstWaveformChannel;
    const int top = upward_ ? legend : height() - rows;
    p.drawImage(QRect(box.left, top, Width(box) + 1, rows), image, QRect(w * s.samples, first, s.samples, rows));
  }
}

void CSonicView::DrawCurves(QPainter& p) {
  const int rows = window_.end - window_.start;
  if (rows <= 0) return;
  const CurveRows& history = display_.Rows();
  for (std::size_t ci = 0; ci < curves_.size(); ++ci) {
    const CurveRecord& c = curves_[ci];
    if (!c.headerFlag || c.physicalChannel < 1 || c.physicalChannel > kDataChannels) continue;
    if (c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) continue;
    const TrackRecord& first = tracks_[static_cast<std::size_t>(c.firstTrack)];
    if (first.width == 0) continue;
    const int start = window_.start;
    const auto lines =
        CurvePolylines(c, CurveBox(c, tracks_), IsLogTrack(first), g_bWrapCurves.load() != 0, LegendHeight(), rows,
                       [&](int j) { return history.DisplayValue(static_cast<int>(ci), start + j); });
    PaintPolylines(p, lines, FromColourRef(c.lineColour));
  }
}

// ---------------------------------------------------------------------------
// Commands

void CSonicView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  int position = 0;
  const int index = HitLegend(curves_, tracks_, pt.x(), pt.y(), &position);
  if (index >= 0) EditScaleRange(index, position, pt.x(), pt.y());
  qv::View::mouseDoubleClickEvent(event);
}

void CSonicView::EditScaleRange(int index, int /*position*/, int x, int y) {
  if (index < 0 || index >= static_cast<int>(curves_.size())) return;
  CurveRecord& c = curves_[static_cast<std::size_t>(index)];
  const LegendHits hits = HitRects(c);
  const QPoint pt(x, y);
  const bool waveform = IsWaveformCurve(c);
  const bool print = doc_ && doc_->RealtimePrint();
  for (const QRect* r : {&hits.minimum, &hits.maximum, &hits.swatch, &hits.corner})
    if (r->contains(pt)) {
      hitFrame_ = *r;
      repaint();
      break;
    }
  if (hits.minimum.contains(pt)) {
    EditScaleEnd(index, true);
  } else if (hits.maximum.contains(pt)) {
    EditScaleEnd(index, false);
  } else if (hits.swatch.contains(pt)) {
    if (waveform) {
      if (c.headerLine > 0) BringImageIntoTrack(index);
    } else {
      CColorDlg dlg(c.lineColour, 0, this);
      RunDialog(dlg);
      c.lineColour = dlg.GetColor();
    }
  } else if (hits.corner.contains(pt)) {
    if (waveform) {
      display_.SetWiggle(!display_.Wiggle());
    } else if (print) {
      int style = c.printLineStyle;
      if (ChoosePrintStyle(c.description, &style, this)) c.printLineStyle = style;
    }
  } else {
    OnChangeLayout();
  }
  hitFrame_ = QRect();
  update();
}

bool CSonicView::EditScaleEnd(int index, bool minimum) {
  CurveRecord& c = curves_[static_cast<std::size_t>(index)];
  if (!AskScaleEnd(this, c, minimum)) return false;
  if (c.firstTrack >= 0 && c.firstTrack < static_cast<int>(tracks_.size()) &&
      IsLogTrack(tracks_[static_cast<std::size_t>(c.firstTrack)])) {
    const bool two = IsTwoTrack(c);
    const qv::SonicLogScale s = qv::SonicLogScaleOf(c.scaleMinimum, c.scaleMaximum, two);
    c.scaleMinimum = static_cast<float>(s.Minimum());
    c.scaleMaximum = static_cast<float>(s.Maximum());
    qv::AdjustLogDecades(curves_, tracks_, index, two ? (s.high - s.low) / 2 : s.high - s.low, true);
  }
  return true;
}

void CSonicView::BringImageIntoTrack(int index) {
  CurveRecord& clicked = curves_[static_cast<std::size_t>(index)];
  const int row = clicked.headerLine;
  if (IsTwoTrack(clicked)) {
    for (CurveRecord& c : curves_)
      if (c.headerLine == 0 && (c.firstTrack == kTrack2 || c.firstTrack == kTrack3)) c.headerLine = row;
    clicked.headerLine = 0;
    return;
  }
  const int track = clicked.firstTrack;
  CurveRecord* shown = nullptr;
  for (CurveRecord& c : curves_)
    if (c.headerLine == 0 && (c.firstTrack == track || c.lastTrack == track)) {
      shown = &c;
      break;
    }
  if (!shown) {
    clicked.headerLine = 0;
    return;
  }
  const int a = shown->firstTrack, b = shown->lastTrack;
  for (CurveRecord& c : curves_)
    if (c.headerLine == row && (c.firstTrack == a || c.firstTrack == b)) c.headerLine = 0;
  shown->headerLine = row;
}

void CSonicView::OnChangeLayout() {
  CConfigDisp dlg(false, doc_, nullptr);
  dlg.SetRecords(&curves_, &tracks_);
  if (RunDialog(dlg) != QDialog::Accepted) return;
  legendRows_ = LegendRowsOf(curves_);
  LayoutTracks();
  update();
}

void CSonicView::OnChannelDisplay() {
  if (sheet_.HasWindow())
    sheet_.Destroy();
  else
    sheet_.Create(window());
}
