#include "curveview/curveview.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QThread>
#include <cmath>
#include <mutex>

#include "app/core/globals.h"
#include "logview/chart_feed.h"
#include "logview/chart_recorder.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/legend_paint.h"
#include "logview/model/channel_header.h"
#include "logview/print_pages.h"
#include "logview/range_dialogs.h"
#include "logview/styled_sample.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

using namespace curveview;

namespace {

const QColor kScaleRed(0xFF, 0x00, 0x00);

float PositiveOrOne(float v) {
  return v > 0.0f ? v : 1.0f;
}

}  // namespace

CCurveView::CCurveView(QWidget* parent) : qv::View(parent) {
  OnCommand(kChangeLayoutCommand, [this] { OnChangeLayout(); });
  OnCommand(kChannelDisplayCommand, [this] { OnChannelDisplay(); });
  InstallPrintCommands();
  qv::CommandTarget::OnUpdate(kChannelDisplayCommand, [this](qv::CmdUI& ui) {
    ui.Enable();
    ui.SetCheck(OnUpdateChannelDisplay());
  });
  const QScreen* screen = QGuiApplication::primaryScreen();
  screenHeight_ = std::min(screen ? screen->geometry().height() : kHistoryLength, kHistoryLength);
  normal_ = LegendFont();
  bold_ = normal_;
  bold_.setWeight(QFont::DemiBold);
  setAttribute(Qt::WA_OpaquePaintEvent);
  scrollTimer_.setSingleShot(true);
  scrollTimer_.setInterval(kRepaintIntervalMs);
  connect(&scrollTimer_, &QTimer::timeout, this, &CCurveView::FlushRows);
}

CCurveView::~CCurveView() {
  EndRealtimePrintOnClose();
}

void CCurveView::SetLayout(std::vector<std::unique_ptr<TrackRecord>> tracks,
                           std::vector<std::unique_ptr<CurveRecord>> curves) {
  tracks_.clear();
  for (auto& t : tracks) tracks_.push_back(t ? *t : TrackRecord{});
  source_ = std::move(curves);
}

int CCurveView::InitialiseFromDocument(CurveDocument* document) {
  doc_ = document;
  lineWidth_ = 1;
  const LegendPalette colours = LegendPalette::Of(palette());
  face_ = colours.face;
  highlight_ = colours.highlight;
  shadow_ = colours.shadow;
  buttonText_ = colours.buttonText;

  std::vector<CurveRecord> given;
  for (const auto& c : source_)
    if (c) given.push_back(*c);
  if (doc_) sheet_.Setup(given, !doc_->TwelveChannel(), doc_->UserFunction(), doc_->SondeAbbreviation());

  legendRows_ = BuildCurveTable(source_, curves_);
  legendHeight_ = legendRows_ * kLegendRowHeight;
  for (auto& t : tracks_) {
    t.style = kTrackStyleWord;
    if (t.type == kDepthTrackType) t.gridFlag = 0;
  }
  std::vector<int> channels;
  for (auto& c : curves_) {
    c.drawState[0] = 0;
    channels.push_back(c.physicalChannel);
  }
  NormaliseLogCurves(curves_, tracks_);
  window_ = {};

  const bool imperial = doc_ && doc_->Imperial();
  depthTitle_ = qv::LoadString(32076);
  depthShortTitle_ = qv::LoadString(32077);
  depthUnit_ = qv::LoadString(imperial ? 32081 : 32082);
  const int logMode = doc_ ? doc_->LogMode() : kLogModeDown;
  depthMode_ = logMode != kLogModeTime;
  if (logMode == kLogModeUp) upward_ = true;
  if (logMode == kLogModeDown) upward_ = false;

  RowSettings settings;
  settings.upward = upward_;
  settings.imperial = imperial;
  settings.depthScale = doc_ ? doc_->DepthScale() : 200;
  settings.screenHeight = screenHeight_;
  rows_.Configure(channels, settings);
  rows_.SetDepth(0);
  rows_.SetDepthStep(doc_ ? doc_->DepthStep() : 0);
  LayoutTracks();
  update();
  return 1;
}

void CCurveView::SetDepthStep(int step) {
  rows_.SetDepthStep(step);
}

void CCurveView::LayoutTracks() {
  const RecordRect client{0, 0, width(), height()};
  tracksRight_ = LayoutTrackRects(tracks_, client, lineWidth_);
  const HistoryWindow w = WindowFor(upward_, screenHeight_, height(), legendHeight_);
  std::lock_guard lock(rows_.DisplayLock());
  if (w.start != window_.start) window_.start = w.start;
  if (w.end != window_.end) window_.end = w.end;
}

bool CCurveView::DepthScaled() const {
  return depthMode_ && !(doc_ && doc_->TestMode());
}

void CCurveView::ResetScroll() {
  rows_.ResetScroll(rows_.DepthStep(), doc_ ? doc_->DepthScale() : 200);
}

void CCurveView::SetDisplayDepth(int depth, bool noAdvance) {
  depth += doc_ ? doc_->DisplayDepthOffset() : 0;
  rows_.SetDepth(depth);
  SetRecorderDepth(depth, noAdvance);
}

void CCurveView::AddSample(std::span<const double> values) {
  CurveDocument* doc = doc_;
  rows_.AddSample(values, DepthScaled(), doc ? doc->DepthDirection() : 0,
                  [doc] { return doc != nullptr && doc->TakeMinuteMark(); });
}

void CCurveView::UpdateDisplay() {
  // The display history only ever moves on the user-interface thread, in
  // step with the picture it scrolls; other threads ask for it, at most once
  // per repaint period.
  if (QThread::currentThread() == thread())
    FlushRows();
  else if (!flushQueued_.exchange(true))
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!scrollTimer_.isActive()) scrollTimer_.start();
        },
        Qt::QueuedConnection);
  if (doc_ && sheet_.HasWindow()) {
    double raw[kSheetChannels] = {}, cal[kSheetChannels] = {}, user[kSheetChannels] = {};
    if (doc_->LatestValues(raw, cal, user)) sheet_.UpdateValues(raw, cal, doc_->UserFunction() ? user : nullptr);
  }
}

void CCurveView::FlushRows() {
  flushQueued_ = false;
  const RowUpdate u = rows_.TakePending();
  const int n = u.rows;
  if (n <= 0) return;
  HandOverRows(n, u.minuteAge);
  const int h = height();
  const QRect area(0, legendHeight_, width(), h - legendHeight_);
  if (n >= area.height()) {
    update();
    return;
  }
  // The picture moves; only the strip of new rows (and the ends of the
  // lines that lead into it) is drawn again.
  scroll(0, upward_ ? n : -n, area);
  if (!upward_)
    update(QRect(0, h - 12 - n, width(), 12 + n));
  else
    update(QRect(0, legendHeight_, width(), n + 12));
}

void CCurveView::RequestRepaint() {
  if (QThread::currentThread() == thread())
    update();
  else
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void CCurveView::ResetCurves(bool restart) {
  rows_.ClearHistories();
  ResetScroll();
  // A chart already open goes on; the heading is offered once per chart.
  if (Printing() && QThread::currentThread() == thread()) {
    if (restart)
      CreateRecorder();
    else if (!recorder_)
      StartRecorder();
  }
  SetDisplayDepth(doc_ ? doc_->ReplayStartDepth() : 0, true);
  RequestRepaint();
}

void CCurveView::resizeEvent(QResizeEvent* event) {
  LayoutTracks();
  qv::View::resizeEvent(event);
  update();
}

void CCurveView::OnDraw(QPainter& painter) {
  Paint(painter);
}

void CCurveView::Paint(QPainter& p) {
  std::lock_guard lock(rows_.DisplayLock());
  p.fillRect(QRect(0, 0, width(), height()), Qt::white);
  DrawLegendBoxes(p);
  DrawTracks(p);
  if (!hitFrame_.isNull()) {
    p.setPen(QPen(kScaleRed, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(hitFrame_);
  }
}

void CCurveView::DrawLegendBoxes(QPainter& p) {
  PaintLegendFrames(p, LegendFrames(curves_, tracks_, legendRows_), {face_, highlight_, shadow_, buttonText_},
                    lineWidth_);
}

std::array<std::pair<int, int>, 5> CCurveView::DecadeTable() const {
  std::array<std::pair<int, int>, 5> table{};
  for (size_t i = 0; i < tracks_.size() && i < table.size(); ++i) {
    const TrackRecord& t = tracks_[i];
    if (t.width == 0 || !t.gridFlag) continue;
    const TrackGrid g = GridOfTrack(curves_, tracks_, static_cast<int>(i));
    table[i] = {g.mantissa, g.decades};
  }
  return table;
}

void CCurveView::DrawTracks(QPainter& p) {
  for (size_t i = 0; i < tracks_.size(); ++i) {
    const TrackRecord& t = tracks_[i];
    if (t.width == 0) continue;
    if (t.gridFlag) {
      PaintTrackGrid(p, GridOfTrack(curves_, tracks_, static_cast<int>(i)), t.screenRect.top + legendHeight_,
                     t.screenRect.bottom - 1);
    }
    if (t.type == kDepthTrackType) DrawDepthTrack(p, t);
  }
  p.setPen(QPen(Qt::black, lineWidth_));
  for (const TrackRecord& t : tracks_) {
    if (t.width == 0) continue;
    const int x = t.screenRect.right + 1;
    p.drawLine(x, legendHeight_, x, height() - 1);
  }
  DrawCurves(p);
}

void CCurveView::DrawDepthTrack(QPainter& p, const TrackRecord& track) {
  const QRect t = ToQRect(track.screenRect);
  p.save();
  p.setFont(normal_);
  p.setPen(buttonText_);
  const QFontMetrics fm(normal_);
  const QRect header(t.left(), t.top(), t.width(), kLegendRowHeight);
  auto fits = [&](const std::string& s) { return fm.horizontalAdvance(LocalText(s)) < header.width(); };
  if (fits(depthTitle_))
    p.drawText(header, Qt::AlignHCenter | Qt::AlignTop, LocalText(depthTitle_));
  else if (fits(depthShortTitle_))
    p.drawText(header, Qt::AlignHCenter | Qt::AlignTop, LocalText(depthShortTitle_));
  if (fits(depthUnit_))
    p.drawText(header.translated(0, fm.height()), Qt::AlignHCenter | Qt::AlignTop, LocalText(depthUnit_));

  DepthTrackView v;
  v.legendHeight = legendHeight_;
  v.clientTop = 0;
  v.clientBottom = height();
  v.window = window_;
  v.upward = upward_;
  v.depthScaled = DepthScaled();
  v.imperial = rows_.Settings().imperial;
  v.depthScale = doc_ ? doc_->DepthScale() : rows_.Settings().depthScale;
  v.lastDepth = rows_.LastUpdateDepth();
  const auto marks = DepthMarks(
      v, [this](int q) { return rows_.MarkAt(q); }, [this](int q, int* depth) { return rows_.RowDepth(q, depth); });
  PaintDepthMarks(p, marks, t, bold_, legendHeight_, buttonText_, tracksRight_);
  p.restore();
}

void CCurveView::DrawCurves(QPainter& p) {
  p.save();
  p.setFont(normal_);
  const bool print = doc_ && doc_->RealtimePrint();
  const int rows = window_.end - window_.start;
  for (size_t ci = 0; ci < curves_.size(); ++ci) {
    const CurveRecord& c = curves_[ci];
    if (!c.headerFlag) continue;
    if (c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) continue;
    const TrackRecord& first = tracks_[static_cast<size_t>(c.firstTrack)];
    if (first.width == 0) continue;
    const RecordRect box = CurveBox(c, tracks_);
    const QRect b = ToQRect(LegendBox(c, tracks_));

    const LegendPalette colours{face_, highlight_, shadow_, buttonText_};
    PaintLegendText(p, normal_, c, b, colours);
    PaintSwatch(p, normal_, b, c.lineColour, colours);
    if (print) PaintPrintSample(p, normal_, b, c.printLineStyle, colours);

    if (rows <= 0) continue;
    const bool log = IsLogTrack(first);
    const int start = window_.start;
    const auto lines = CurvePolylines(c, box, log, g_bWrapCurves.load() != 0, legendHeight_, rows,
                                      [&](int j) { return rows_.DisplayValue(static_cast<int>(ci), start + j); });
    PaintPolylines(p, lines, FromColourRef(c.lineColour));
  }
  p.restore();
}

CCurveView::LegendHits CCurveView::HitRects(const CurveRecord& c) const {
  const curveview::LegendHits h = LegendHitRects(normal_, c, ToQRect(LegendBox(c, tracks_)));
  return {h.minimum, h.maximum, h.swatch, h.corner};
}

void CCurveView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  int position = 0;
  const int index = HitLegend(curves_, tracks_, pt.x(), pt.y(), &position);
  if (index >= 0) EditScaleRange(index, position, pt.x(), pt.y());
  qv::View::mouseDoubleClickEvent(event);
}

void CCurveView::EditScaleRange(int index, int /*position*/, int x, int y) {
  if (index < 0 || index >= static_cast<int>(curves_.size())) return;
  CurveRecord& c = curves_[static_cast<size_t>(index)];
  const LegendHits hits = HitRects(c);
  const QPoint pt(x, y);
  const bool print = doc_ && doc_->RealtimePrint();
  // The part of the box that was hit is framed in red while its dialog runs.
  for (const QRect* r : {&hits.minimum, &hits.maximum, &hits.swatch, print ? &hits.printStyle : nullptr})
    if (r && r->contains(pt)) {
      hitFrame_ = *r;
      repaint();
      break;
    }
  if (hits.minimum.contains(pt)) {
    if (EditScaleEnd(index, true)) ChartScaleEdited(index, true);
  } else if (hits.maximum.contains(pt)) {
    if (EditScaleEnd(index, false)) ChartScaleEdited(index, false);
  } else if (hits.swatch.contains(pt)) {
    CColorDlg dlg(c.lineColour, 0, this);
    RunDialog(dlg);
    c.lineColour = dlg.GetColor();
  } else if (print && hits.printStyle.contains(pt)) {
    int style = c.printLineStyle;
    if (ChoosePrintStyle(c.description, &style, this)) {
      c.printLineStyle = style;
      ChartStyleEdited(index);
    }
  } else {
    OnChangeLayout();
  }
  hitFrame_ = QRect();
  update();
}

bool CCurveView::EditScaleEnd(int index, bool minimum) {
  CurveRecord& c = curves_[static_cast<size_t>(index)];
  if (!AskScaleEnd(this, c, minimum)) return false;
  const bool onTrack = c.firstTrack >= 0 && c.firstTrack < static_cast<int>(tracks_.size());
  if (onTrack && IsLogTrack(tracks_[static_cast<size_t>(c.firstTrack)])) {
    const bool two = IsTwoTrack(c);
    const LogScale s = NormaliseLogScale(c.scaleMinimum, c.scaleMaximum, two, minimum ? 0.999999f : 0.9f);
    c.scaleMinimum = s.minimum;
    c.scaleMaximum = s.maximum;
    SyncTrackScales(index, s.Decades(two), s.mantissa, true);
  }
  return true;
}

void CCurveView::SyncTrackScales(int curve, int decades, int mantissa, bool keepTop) {
  const CurveRecord& c = curves_[static_cast<size_t>(curve)];
  for (size_t i = 0; i < curves_.size(); ++i) {
    CurveRecord& k = curves_[i];
    if (k.firstTrack != c.firstTrack || static_cast<int>(i) == curve) continue;
    const int f = IsTwoTrack(k) ? 2 : 1;
    int low, high;
    if (keepTop) {
      high = ScaleDecade(PositiveOrOne(k.scaleMaximum), 0.999999f);
      low = high - decades * f;
    } else {
      low = ScaleDecade(PositiveOrOne(k.scaleMinimum), 0.999999f);
      high = low + decades * f;
    }
    k.scaleMinimum = static_cast<float>(std::pow(10.0, low) * mantissa);
    k.scaleMaximum = static_cast<float>(std::pow(10.0, high) * mantissa);
  }
}

int CCurveView::WriteChannelHeader() {
  return curveview::WriteChannelHeader(curves_, tracks_, doc_);
}

void CCurveView::OnChangeLayout() {
  CConfigDisp dlg(false, doc_, nullptr);
  dlg.SetRecords(&curves_, &tracks_);
  if (RunDialog(dlg) != QDialog::Accepted) return;
  legendRows_ = LegendRowsOf(curves_);
  legendHeight_ = legendRows_ * kLegendRowHeight;
  LayoutTracks();
  ChartLayoutChanged();
  update();
}

void CCurveView::OnChannelDisplay() {
  if (sheet_.HasWindow())
    sheet_.Destroy();
  else
    sheet_.Create(window());
}
