#include "tools/cementbond/cbl_view.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "app/core/globals.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/model/channel_header.h"
#include "logview/model/drawing.h"
#include "logview/range_dialogs.h"
#include "logview/styled_sample.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tools/cementbond/cbl_chart.h"
#include "tools/cementbond/cbl_print.h"
#include "logview/model/track_layout.h"

namespace {

constexpr unsigned kStrDepthTitle = 32076;
constexpr unsigned kStrDepthShort = 32077;
constexpr int kNearChannel = 7;
constexpr int kFarChannel = 8;
const QColor kLightGrid(0xC0, 0xC0, 0xC0);
const QColor kDarkGrid(0x80, 0x80, 0x80);
const QColor kScaleText(0xFF, 0x00, 0x00);

int ScreenHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 1024;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string ScaleText(float v) {
  return qv::FormatC("%.7G", static_cast<double>(v));
}

QFont Arial(QFont::Weight weight) {
  QFont f("Arial");
  f.setWeight(weight);
  for (int px = 14; px > 6; --px) {
    f.setPixelSize(px);
    if (QFontMetrics(f).height() <= 14) break;
  }
  return f;
}

bool IsLogTrack(const TrackRecord& t) {
  return (t.gridStyle & qv::cbl::kLogGridBit) != 0;
}

}  // namespace

CCBLView::CCBLView(int imageHeight, QWidget* parent) : CCBLView(qv::cbl::kCementBondView, imageHeight, parent) {}

CCBLView::CCBLView(const qv::cbl::WaveformViewKind& kind, int imageHeight, QWidget* parent)
    : qv::View(parent),
      kind_(kind),
      imageHeight_(imageHeight > 0 ? imageHeight : ScreenHeight() + 100),
      engine_(GeometryOf(kind_, imageHeight_)) {
  for (int i = 0; i < 256; ++i) greys_.push_back(qRgb(255 - i, 255 - i, 255 - i));
  normal_ = Arial(QFont::Normal);
  bold_ = Arial(QFont::DemiBold);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  OnCommand(kChangeLayoutCommand, [this] { OnChangeLayout(); });
  qv::CommandTarget::OnUpdate(kChangeLayoutCommand, [this](qv::CmdUI& ui) { ui.Enable(doc_ != nullptr); });
  OnCommand(kChannelDisplayCommand, [this] { OnChannelDisplay(); });
  qv::CommandTarget::OnUpdate(kChannelDisplayCommand, [this](qv::CmdUI& ui) {
    ui.Enable();
    ui.SetCheck(sheet_.HasWindow());
  });
  chart_ = std::make_unique<qv::cbl::CblChart>(*this);
  InstallPrintCommands();
}

qv::vdl::VdlGeometry CCBLView::GeometryOf(const qv::cbl::WaveformViewKind& kind, int imageHeight) {
  qv::vdl::VdlGeometry g;
  g.samplesPerReceiver = kind.samplesPerReceiver;
  g.lastSegment = kind.lastSegment;
  g.delayStepFactor = kind.delayStepFactor;
  g.wiggleStride = kind.wiggleStride;
  g.imageHeight = imageHeight;
  return g;
}

CCBLView::~CCBLView() {
  // The chart ends with the view; a failed write there is the printer's error
  // path, never an exception out of here.
  chart_->EndOnClose();
  if (log_ && log_->View() == this) log_->SetView(nullptr);
}

void CCBLView::SetLayout(std::vector<TrackRecord> tracks, std::vector<CurveRecord> curves) {
  tracks_ = std::move(tracks);
  curves_ = std::move(curves);
}

bool CCBLView::SetupLayout(curveview::CurveDocument* document, qv::WaveformLogDocument* log) {
  doc_ = document;
  log_ = log;
  const QPalette pal = palette();
  face_ = pal.color(QPalette::Button);
  highlight_ = pal.color(QPalette::Light);
  shadow_ = pal.color(QPalette::Dark);
  text_ = pal.color(QPalette::ButtonText);
  scaleTable_ = {};
  const bool imperial = doc_ && doc_->Imperial();

  for (Caption& c : captions_) c = {};
  for (const CurveRecord& c : curves_)
    if (c.physicalChannel >= 1 && c.physicalChannel <= 6)
      captions_[static_cast<std::size_t>(c.physicalChannel - 1)] = {c.shortTitle, c.unit, 0};
  if (doc_) sheet_.Setup(curves_, true, doc_->UserFunction(), doc_->SondeAbbreviation());

  // The waveform curves go after the six channels, as the print buffers expect.
  std::stable_partition(curves_.begin(), curves_.end(), [](const CurveRecord& c) { return c.physicalChannel <= 6; });
  legendRows_ = 1;
  maxFilterWindow_ = 51;
  extraCurves_ = 0;
  sondeLength_ = doc_ ? std::max(doc_->SondeLength(), 0) : 0;
  std::array<int, 6> perTrack{};
  ChannelFilter* filters = doc_ ? doc_->RawFilterTable() : nullptr;
  for (CurveRecord& c : curves_) {
    if (c.headerFlag && c.firstTrack >= 0 && c.firstTrack < 6) {
      c.headerLine = perTrack[static_cast<std::size_t>(c.firstTrack)]++;
      legendRows_ = std::max(legendRows_, c.headerLine + 1);
    }
    if (filters && c.physicalChannel >= 1 && c.physicalChannel <= kFilterTableSize) {
      ChannelFilter& f = filters[c.physicalChannel - 1];
      // In double and clamped: an offset from a damaged sonde file or header
      // must not leave the int range.
      const double units = imperial ? f.Offset * 3.280839895 * 10 : f.Offset * 10.0;
      f.OffsetCopy = static_cast<int>(std::clamp(units, double(INT_MIN), double(INT_MAX)));
      maxFilterWindow_ = std::max(maxFilterWindow_, f.FilterWidth);
    }
    if (c.physicalChannel > 6) ++extraCurves_;
    c.drawState[0] = 0;
  }
  qv::SetupTrackWidths(tracks_, width(), {30, 80, 50});
  for (std::size_t i = 0; i < curves_.size(); ++i) {
    CurveRecord& c = curves_[i];
    const TrackRecord* t = FirstTrackOf(c);
    if (t && IsLogTrack(*t)) qv::cbl::RoundToDecades(c);
  }
  depthTrack_.title = qv::LoadString(kStrDepthTitle);
  depthTrack_.shortTitle = qv::LoadString(kStrDepthShort);
  depthTrack_.unit = qv::LoadString(imperial ? kind_.unitImperial : kind_.unitMetric);
  depthTrack_.currentDepth = 0;
  depthTrack_.depthStep = doc_ ? doc_->DepthStep() : 0;
  upward_ = true;
  depthMode_ = true;
  if (doc_ && doc_->LogMode() == curveview::kLogModeTime) depthMode_ = false;
  if (doc_ && doc_->LogMode() == curveview::kLogModeDown) upward_ = false;
  if (doc_) engine_.SetMinuteSource([d = doc_] { return d->TakeMinuteMark(); });
  BuildScroll();
  LayoutTracks();
  return true;
}

void CCBLView::Detach() {
  chart_->EndOnClose();
  pagePrinter_.reset();
  pageSource_.reset();
  engine_.SetMinuteSource({});
  doc_ = nullptr;
  log_ = nullptr;
}

void CCBLView::LayoutTracks() {
  qv::LayoutTracks(tracks_, {0, 0, width(), height()}, kBorderWidth);
  engine_.SetClientRows(height() - LegendHeight());
}

const TrackRecord* CCBLView::FirstTrackOf(const CurveRecord& c) const {
  if (c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) return nullptr;
  return &tracks_[static_cast<std::size_t>(c.firstTrack)];
}

const CurveRecord* CCBLView::WaveformCurve(bool far) const {
  for (const CurveRecord& c : curves_)
    if (c.headerFlag && c.physicalChannel == (far ? kFarChannel : kNearChannel)) {
      const TrackRecord* t = FirstTrackOf(c);
      if (t && t->width > 0) return &c;
    }
  return nullptr;
}

qv::CCBLDocument* CCBLView::GateLog() const {
  return kind_.gates ? dynamic_cast<qv::CCBLDocument*>(log_) : nullptr;
}

qv::cbl::Gates CCBLView::CurrentGates() const {
  qv::cbl::Gates g;
  const qv::CCBLDocument* gates = GateLog();
  if (!gates) return g;
  const FreePipeGate n = gates->NearGate(), f = gates->FarGate();
  g.nearStart = n.GateStart;
  g.nearEnd = n.GateEnd;
  g.farStart = f.GateStart;
  g.farEnd = f.GateEnd;
  return g;
}

// ---------------------------------------------------------------------------
// Rows

void CCBLView::BuildScroll() {
  qv::vdl::VdlScroll s;
  if (doc_) {
    s.depthScale = doc_->DepthScale();
    s.depthStep = doc_->DepthStep();
    s.imperial = doc_->Imperial();
    s.testMode = doc_->TestMode();
    s.sondeLength = std::max(doc_->SondeLength(), 0);
    engine_.SetDepthStepPerRecord(doc_->DepthDirection() * std::abs(doc_->DepthStep()));
  }
  s.depthMode = depthMode_;
  s.upward = upward_;
  s.maxFilterWindow = maxFilterWindow_;
  s.curves.assign(6, {});
  if (const ChannelFilter* f = doc_ ? doc_->RawFilterTable() : nullptr) {
    for (std::size_t i = 0; i < 6; ++i) s.curves[i] = {f[i].OffsetCopy, f[i].FilterType, f[i].FilterWidth};
    s.nearOffset = f[kNearChannel - 1].OffsetCopy;
    s.farOffset = f[kFarChannel - 1].OffsetCopy;
  }
  engine_.ResetScroll(s);
}

void CCBLView::ResetScroll() {
  BuildScroll();
}

void CCBLView::ResetDisplay(bool live) {
  engine_.Clear();
  BuildScroll();
  if (live)
    CreateRecorder();
  else
    StartChartRecorder();
  SetDepth(doc_ ? doc_->ReplayStartDepth() : 0, live);
  update();
}

void CCBLView::SetDepth(int depth, bool noAdvance) {
  engine_.SetDepth(depth);
  chart_->SetDepth(engine_.Depth(), noAdvance);
}

void CCBLView::AddDepthRow(const CblWaveformSegment& segment, const double values[6]) {
  engine_.AddDepthRow(segment.flags, {segment.sample, 48}, {values, 6});
}

void CCBLView::UpdateDisplay() {
  const bool chart = chart_->Running();
  const qv::vdl::VdlRefresh out = engine_.Refresh(wiggle_, chart, kViewLockWaitMs);
  if (!out.done) return;
  depthTrack_.currentDepth = out.labelDepth;
  update();
  if (chart) chart_->PrintLines(out);
  if (doc_ && sheet_.HasWindow()) {
    double raw[12] = {}, cal[12] = {}, user[12] = {};
    if (doc_->LatestValues(raw, cal, user)) sheet_.UpdateValues(raw, cal, nullptr);
  }
}

void CCBLView::Redraw() {
  if (QThread::currentThread() == thread())
    repaint();
  else
    QMetaObject::invokeMethod(
        this, [this] { repaint(); }, Qt::QueuedConnection);
}

int CCBLView::SaveLayoutToHeader() {
  if (!doc_) return 0;
  return curveview::WriteChannelHeader(curves_, tracks_, doc_);
}

// ---------------------------------------------------------------------------
// Painting

void CCBLView::Frame3d(QPainter& p, const QRect& r, bool raised) const {
  p.setPen(raised ? highlight_ : shadow_);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(raised ? shadow_ : highlight_);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

void CCBLView::DrawLegendBoxes(QPainter& p) {
  for (const TrackRecord& t : tracks_)
    for (int j = 0; j < legendRows_; ++j) {
      const QRect box(t.screenRect.left, kLegendRowHeight * j, t.width + 1, kLegendRowHeight);
      p.fillRect(box.adjusted(1, 1, -1, -1), face_);
      Frame3d(p, box, true);
    }
}

void CCBLView::OnDraw(QPainter& p) {
  std::unique_lock<std::timed_mutex> lock(engine_.DisplayLock(), std::chrono::milliseconds(kViewLockWaitMs));
  if (!lock.owns_lock()) return;
  p.fillRect(rect(), Qt::white);
  DrawLegendBoxes(p);
  const int legend = LegendHeight();
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    TrackRecord& t = tracks_[i];
    if (t.width <= 0) continue;
    if (t.gridFlag) {
      const qv::cbl::TrackGrid g = qv::cbl::GridOfTrack(curves_, t, static_cast<int>(i));
      for (const qv::cbl::GridLine& l : g.lines) {
        p.setPen(l.dark ? kDarkGrid : kLightGrid);
        p.drawLine(l.x, legend, l.x, height());
      }
      if (i < scaleTable_.size()) scaleTable_[i] = {g.logarithmic, g.decades};
    }
    if (t.type == 1) DrawDepthTrack(p, t);
  }
  p.setPen(QPen(Qt::black, kBorderWidth));
  for (const TrackRecord& t : tracks_)
    if (t.width > 0) p.drawLine(t.screenRect.right + 1, 0, t.screenRect.right + 1, height());

  const int rowWidth = 2 * kind_.samplesPerReceiver;
  const QImage image(engine_.Image(), rowWidth, imageHeight_, rowWidth, QImage::Format_Indexed8);
  for (const CurveRecord& c : curves_) {
    const TrackRecord* t = FirstTrackOf(c);
    if (t && t->width > 0 && c.headerFlag) DrawCurve(p, c, *t, image);
  }
  if (!hitFrame_.isNull()) {
    p.setPen(Qt::red);
    p.drawRect(hitFrame_);
  }
  if (tracking_) {
    p.setPen(Qt::NoPen);
    p.setBrush(QBrush(Qt::gray, Qt::Dense4Pattern));
    p.drawRect(tracker_);
    p.setBrush(Qt::NoBrush);
  }
}

void CCBLView::DrawDepthTrack(QPainter& p, const TrackRecord& t) {
  if (!doc_ || doc_->DepthScale() <= 0) return;
  const int left = t.screenRect.left, w = t.width;
  const int legend = LegendHeight();
  p.setFont(normal_);
  QFontMetrics fm(p.font());
  int th = fm.height();
  // The depth lines reach over the tracks of the curves.
  int spanLeft = left, spanRight = t.screenRect.right;
  bool first = true;
  for (const CurveRecord& c : curves_) {
    if (c.physicalChannel >= kNearChannel) break;
    const TrackRecord* ct = FirstTrackOf(c);
    if (!ct) continue;
    spanLeft = first ? ct->screenRect.left : std::min(spanLeft, ct->screenRect.left);
    spanRight = first ? ct->screenRect.right : std::max(spanRight, ct->screenRect.right);
    first = false;
  }
  if (!depthMode_ || doc_->TestMode()) return;
  p.setPen(text_);
  switch (qv::ChooseDepthHeading(fm.horizontalAdvance(Q(depthTrack_.title)),
                                 fm.horizontalAdvance(Q(depthTrack_.shortTitle)), w)) {
    case qv::DepthHeading::kTitle:
      p.drawText(QRect(left, 0, w, th), Qt::AlignHCenter | Qt::AlignTop, Q(depthTrack_.title));
      break;
    case qv::DepthHeading::kShortTitle:
      p.drawText(QRect(left, 0, w, th), Qt::AlignHCenter | Qt::AlignTop, Q(depthTrack_.shortTitle));
      break;
    case qv::DepthHeading::kNone:
      break;
  }
  if (fm.horizontalAdvance(Q(depthTrack_.unit)) < w)
    p.drawText(QRect(left, th, w, th), Qt::AlignHCenter | Qt::AlignTop, Q(depthTrack_.unit));

  p.setFont(bold_);
  fm = QFontMetrics(p.font());
  th = fm.height();
  const int step = qv::cbl::LabelStep(doc_->DepthScale(), doc_->Imperial());
  int s = qv::cbl::FirstLabelDepth(depthTrack_.currentDepth, step, upward_);
  const int top = engine_.TopRow(), bottom = engine_.BottomRow();
  const std::vector<std::uint8_t>& marks = engine_.Marks();
  const QPen solid(kLightGrid, 2), dotted(kLightGrid, 1, Qt::DotLine);
  for (int j = 0; j <= bottom - top; ++j) {
    const int row = top + j;
    if (row < 0 || row >= static_cast<int>(marks.size())) break;
    const int y = legend + j;
    const std::uint8_t m = marks[static_cast<std::size_t>(row)];
    if (m & qv::vdl::kMarkMinute) {
      p.setPen(Qt::black);
      const int lengths[] = {4, 6, 8, 6, 4};
      for (int k = 0; k < 5; ++k) p.drawLine(left, y - 2 + k, left + lengths[k] - 1, y - 2 + k);
    }
    const int kind = m & 0x0F;
    if (kind == 0) continue;
    p.setPen(kind == 3 ? solid : kind == 2 ? QPen(kLightGrid, 1) : dotted);
    if (spanLeft < left - 1) p.drawLine(left - 1, y, spanLeft, y);
    if (spanRight > t.screenRect.right + 1) p.drawLine(t.screenRect.right + 1, y, spanRight, y);
    if (kind != 3) continue;
    const QString label = Q(qv::FormatC(" %.1f ", s / 1000.0));
    s += upward_ ? step : -step;
    const int lw = fm.horizontalAdvance(label);
    if (lw < w && y - th / 2 > legend) {
      const QRect box(left + (w - lw) / 2, y + th / 2 - th, lw, th);
      p.fillRect(box, Qt::white);
      p.setPen(text_);
      p.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, label);
    }
  }
}

QRect CCBLView::LegendBoxOf(const CurveRecord& c) const {
  const TrackRecord* t = FirstTrackOf(c);
  if (!t) return {};
  return QRect(t->screenRect.left, kLegendRowHeight * c.headerLine, t->width + 1, kLegendRowHeight);
}

void CCBLView::DrawCurve(QPainter& p, const CurveRecord& c, const TrackRecord& t, const QImage& image) {
  const QRect b = LegendBoxOf(c);
  const int legend = LegendHeight();
  p.setFont(normal_);
  const QFontMetrics fm(p.font());
  const int th = fm.height();
  p.setPen(text_);
  const QString title = Q(c.description), shortTitle = Q(c.shortTitle);
  const QString shown = fm.horizontalAdvance(title) + 2 * th < b.width()        ? title
                        : fm.horizontalAdvance(shortTitle) + 2 * th < b.width() ? shortTitle
                                                                                : QString();
  p.drawText(QRect(b.left(), b.top(), b.width(), th), Qt::AlignHCenter | Qt::AlignTop, shown);
  if (fm.horizontalAdvance(Q(c.unit)) < b.width())
    p.drawText(QRect(b.left(), b.top() + th, b.width(), th), Qt::AlignHCenter | Qt::AlignTop, Q(c.unit));
  const QString minText = Q(ScaleText(c.scaleMinimum)), maxText = Q(ScaleText(c.scaleMaximum));
  if (fm.horizontalAdvance(minText) + fm.horizontalAdvance(maxText) < b.width()) {
    p.setPen(kScaleText);
    const QString& leftText = c.scaleFlag ? minText : maxText;
    const QString& rightText = c.scaleFlag ? maxText : minText;
    p.drawText(QRect(b.left() + 4, b.bottom() + 1 - th, b.width(), th), Qt::AlignLeft | Qt::AlignBottom, leftText);
    p.drawText(QRect(b.left(), b.bottom() + 1 - th, b.width() - 1, th), Qt::AlignRight | Qt::AlignBottom, rightText);
  }
  const bool wave = c.physicalChannel > 6;
  const bool printing = doc_ && doc_->RealtimePrint();
  if (!wave) {
    const QRect swatch = QRect(b.left(), b.top(), th, th).adjusted(2, 2, -2, -2).translated(2, 0);
    Frame3d(p, swatch, false);
    p.fillRect(swatch.adjusted(1, 1, -1, -1), FromColourRef(c.lineColour));
  }
  if (!wiggle_ && wave) {
    QImage bar(256, 1, QImage::Format_Indexed8);
    bar.setColorTable(greys_);
    for (int i = 0; i < 256; ++i) bar.scanLine(0)[i] = static_cast<uchar>(i);
    p.drawImage(QRect(t.screenRect.left + 1, 15, t.width - 2, 14), bar);
  }
  if (printing && !wave) {
    const QRect sample = QRect(b.right() + 1 - 3 * th, b.top(), 3 * th, th).adjusted(2, 2, -2, -2).translated(-2, 0);
    Frame3d(p, sample, false);
    p.fillRect(sample.adjusted(1, 1, -1, -1), Qt::white);
    const int y = sample.top() + sample.height() / 2;
    DrawStyledSample(p, QPoint(sample.left() + 1, y), QPoint(sample.right() - 1, y), c.printLineStyle, 0);
  }
  if (wave) {
    const QRect sym = QRect(b.right() + 1 - 30, b.top(), 30, th).adjusted(2, 2, -2, -2).translated(-2, 0);
    Frame3d(p, sym, false);
    p.fillRect(sym.adjusted(1, 1, -1, -1), Qt::white);
    const int l = sym.left(), top = sym.top(), bottom = sym.bottom(), mid = (top + bottom) / 2;
    if (wiggle_) {
      p.setPen(Qt::black);
      const QPoint pts[] = {{l + 3, mid},      {l + 10, mid},        {l + 12, top + 2}, {l + 14, bottom - 2},
                            {l + 16, top + 2}, {l + 18, bottom - 2}, {l + 20, top + 2}, {l + 22, bottom - 2}};
      p.drawPolyline(pts, 8);
    } else {
      const int h = sym.height() - 4;
      p.fillRect(l + 5, top + 2, 3, h, Qt::black);
      p.fillRect(l + 12, top + 2, 3, h, Qt::black);
      p.fillRect(l + 9, top + 2, 2, h, QColor(0x64, 0x64, 0x64));
      p.fillRect(l + 17, top + 2, 2, h, QColor(0x64, 0x64, 0x64));
      p.fillRect(l + 21, top + 2, 2, h, QColor(0x0A, 0x0A, 0x0A));
    }
  }
  if (c.physicalChannel == kNearChannel || c.physicalChannel == kFarChannel) {
    const bool far = c.physicalChannel == kFarChannel;
    const int destHeight = height() - legend;
    const int sy = wiggle_ ? 100 : 0;
    const int sh = std::min(destHeight, imageHeight_ - sy);
    if (sh > 0 && destHeight > 0) {
      QImage part = image.copy(far ? kind_.samplesPerReceiver : 0, sy, kind_.samplesPerReceiver, sh);
      part.setColorTable(greys_);
      p.drawImage(QRect(t.screenRect.left, legend, t.width + 1, sh), part);
    }
    if (!GateLog()) return;
    const qv::cbl::Gates g = CurrentGates();
    p.setPen(QPen(Qt::red, 1));
    for (int gate : {far ? g.farStart : g.nearStart, far ? g.farEnd : g.nearEnd}) {
      const int x = qv::cbl::GateX(t.screenRect.left, t.width, gate);
      p.drawLine(x, legend, x, height());
    }
    return;
  }
  if (wave || c.physicalChannel < 1) return;
  const double* history = engine_.DisplayHistory(c.physicalChannel - 1);
  const int top = engine_.TopRow();
  // Rows the log has not reached yet hold no values: nothing is drawn there.
  const int rows = std::min({engine_.BottomRow() - top, engine_.HistoryLength() - top,
                             engine_.DisplayRowsWithData(c.physicalChannel - 1)});
  if (!history || rows <= 0) return;
  const RecordRect box{t.screenRect.left, t.screenRect.top, t.screenRect.left + t.width, t.screenRect.bottom};
  const auto lines = curveview::CurvePolylines(c, box, IsLogTrack(t), g_bWrapCurves.load() != 0, legend, rows,
                                               [&](int j) { return history[top + j]; });
  p.setPen(QPen(FromColourRef(c.lineColour), 1));
  for (const auto& line : lines) {
    QPolygon poly;
    for (const curveview::Point& pt : line) poly << QPoint(pt.x, pt.y);
    p.drawPolyline(poly);
  }
}

// ---------------------------------------------------------------------------
// Borders and gates

void CCBLView::resizeEvent(QResizeEvent* event) {
  qv::View::resizeEvent(event);
  LayoutTracks();
  update();
}

QRect CCBLView::GateRect(bool far) const {
  const CurveRecord* c = WaveformCurve(far);
  if (!c || !GateLog()) return {};
  const TrackRecord& t = *FirstTrackOf(*c);
  const qv::cbl::Gates g = CurrentGates();
  const int x1 = qv::cbl::GateX(t.screenRect.left, t.width, far ? g.farStart : g.nearStart);
  const int x2 = qv::cbl::GateX(t.screenRect.left, t.width, far ? g.farEnd : g.nearEnd);
  return QRect(QPoint(x1, LegendHeight()), QPoint(std::max(x2, x1 + 1) - 1, height() - 1));
}

int CCBLView::HitTest(int x, int y) const {
  for (bool far : {false, true}) {
    const QRect r = GateRect(far);
    if (!r.isNull() && r.contains(x, y)) return far ? kFarGateHit : kNearGateHit;
  }
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    const int right = tracks_[i].screenRect.right;
    if (x >= right - kBorderHit && x <= right + kBorderHit && y >= 0 && y < height()) return static_cast<int>(i);
  }
  return -1;
}

void CCBLView::StartTracking(int hit) {
  if (hit == kNearGateHit || hit == kFarGateHit) {
    const bool far = hit == kFarGateHit;
    const TrackRecord& t = *FirstTrackOf(*WaveformCurve(far));
    tracker_ = GateRect(far);
    limit_ = QRect(t.screenRect.left, LegendHeight(), t.width - tracker_.width() + 1, height() - LegendHeight());
    cursorOffset_ = 0;
  } else if (hit >= 0 && hit < static_cast<int>(tracks_.size())) {
    const TrackRecord& t = tracks_[static_cast<std::size_t>(hit)];
    limit_ = QRect(QPoint(t.screenRect.left, 0), QPoint(width() - 1, height() - 1));
    tracker_ = QRect(t.screenRect.right, 0, kBorderWidth, height());
    cursorOffset_ = -(kBorderWidth / 2);
  } else {
    return;
  }
  grabMouse();
  setFocus();
  tracking_ = true;
  tracked_ = hit;
  setCursor(Qt::SplitHCursor);
  repaint();
}

void CCBLView::MoveTracker(int x) {
  x = std::clamp(x + cursorOffset_, limit_.left(), limit_.right());
  if (x == tracker_.left()) return;
  tracker_.moveLeft(x);
  update();
}

void CCBLView::StopTracking(bool apply) {
  if (!tracking_) return;
  releaseMouse();
  tracking_ = false;
  qv::CCBLDocument* gates = GateLog();
  if (apply && (tracked_ == kNearGateHit || tracked_ == kFarGateHit) && gates) {
    const bool far = tracked_ == kFarGateHit;
    const TrackRecord& t = *FirstTrackOf(*WaveformCurve(far));
    FreePipeGate n = gates->NearGate(), f = gates->FarGate();
    FreePipeGate& g = far ? f : n;
    g.GateStart = qv::cbl::GateFromX(tracker_.left(), t.screenRect.left, t.width);
    g.GateEnd = qv::cbl::GateFromX(tracker_.left() + tracker_.width(), t.screenRect.left, t.width);
    gates->SetGates(n, f);
  } else if (apply && tracked_ >= 0 && tracked_ < static_cast<int>(tracks_.size())) {
    TrackRecord& t = tracks_[static_cast<std::size_t>(tracked_)];
    t.idealWidth = std::max(tracker_.left() - t.screenRect.left, t.minimalWidth);
  }
  tracked_ = -1;
  unsetCursor();
  LayoutTracks();
  update();
}

void CCBLView::mousePressEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  if (!tracking_ && event->button() == Qt::LeftButton) StartTracking(HitTest(pt.x(), pt.y()));
}

void CCBLView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  if (tracking_)
    MoveTracker(pt.x());
  else if (HitTest(pt.x(), pt.y()) >= 0)
    setCursor(Qt::SplitHCursor);
  else
    unsetCursor();
}

void CCBLView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) StopTracking(true);
}

void CCBLView::keyPressEvent(QKeyEvent* event) {
  const int n = static_cast<int>(tracks_.size());
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    if (n == 0) return;
    const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    const int from = tracked_ >= 0 && tracked_ < n ? tracked_ : (back ? 0 : n - 1);
    StopTracking(false);
    const int next = ((back ? from - 1 : from + 1) % n + n) % n;
    StartTracking(next);
    QCursor::setPos(mapToGlobal(QPoint(tracker_.left(), height() / 2)));
    return;
  }
  if (!tracking_) {
    qv::View::keyPressEvent(event);
    return;
  }
  const int step = event->modifiers() & Qt::ControlModifier ? 1 : 16;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      StopTracking(true);
      break;
    case Qt::Key_Escape:
      StopTracking(false);
      break;
    case Qt::Key_Left:
      MoveTracker(tracker_.left() - cursorOffset_ - step);
      break;
    case Qt::Key_Right:
      MoveTracker(tracker_.left() - cursorOffset_ + step);
      break;
    default:
      qv::View::keyPressEvent(event);
  }
}

// ---------------------------------------------------------------------------
// Legend edits and commands

CCBLView::LegendHits CCBLView::HitRects(const CurveRecord& c) const {
  const QFontMetrics fm(normal_);
  const QRect b = LegendBoxOf(c);
  const int h = fm.height();
  const QString leftText = Q(ScaleText(c.scaleFlag ? c.scaleMinimum : c.scaleMaximum));
  const QString rightText = Q(ScaleText(c.scaleFlag ? c.scaleMaximum : c.scaleMinimum));
  const int bottom = b.bottom() + 1;
  const QRect left =
      QRect(b.left() + 4, bottom - h, fm.horizontalAdvance(leftText), h).adjusted(-3, 0, 3, 0).translated(3, 0);
  const int rw = fm.horizontalAdvance(rightText);
  const QRect right = QRect(b.right() - rw, bottom - h, rw, h).adjusted(-3, 0, 3, 0).translated(-3, 0);
  LegendHits hits;
  hits.minimum = c.scaleFlag ? left : right;
  hits.maximum = c.scaleFlag ? right : left;
  hits.swatch = QRect(b.left(), b.top(), h, h).translated(1, 0);
  hits.style = QRect(b.right() + 1 - 3 * h, b.top(), 3 * h, h).adjusted(-2, -2, 2, 2).translated(-2, 0);
  return hits;
}

void CCBLView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  int ordinal = 0;
  for (std::size_t i = 0; i < curves_.size(); ++i) {
    const CurveRecord& c = curves_[i];
    if (!c.headerFlag) continue;
    ++ordinal;
    if (LegendBoxOf(c).contains(pt)) {
      EditScaleRange(static_cast<int>(i), ordinal, pt.x(), pt.y());
      break;
    }
  }
  qv::View::mouseDoubleClickEvent(event);
}

bool CCBLView::EditScaleEnd(CurveRecord& c, bool minimum) {
  const TrackRecord* t = FirstTrackOf(c);
  const bool logarithmic = t && IsLogTrack(*t);
  CChangeH dlg(this);
  dlg.SetPrompt(qv::LoadString(minimum ? kind_.startPrompt : kind_.endPrompt));
  dlg.SetCurveName(c.description);
  dlg.SetValue(minimum ? c.scaleMinimum : c.scaleMaximum);
  for (;;) {
    if (curveview::RunDialog(dlg) != QDialog::Accepted) return false;
    const float v = dlg.Value();
    if (minimum ? v > c.scaleMaximum : v < c.scaleMinimum) {
      qv::ShowMessageBox(qv::LoadString(minimum ? kind_.startTooBig : kind_.endTooSmall));
      continue;
    }
    // A logarithmic scale has no end at zero or below: asked again.
    if (logarithmic && !(v > 0.0f)) continue;
    (minimum ? c.scaleMinimum : c.scaleMaximum) = v;
    break;
  }
  if (logarithmic) qv::cbl::RoundToDecades(c);
  return true;
}

void CCBLView::SetWiggleMode(bool on) {
  wiggle_ = on;
  engine_.ClearImage();
  update();
}

void CCBLView::EditScaleRange(int index, int ordinal, int x, int y) {
  StopTracking(false);
  if (index < 0 || index >= static_cast<int>(curves_.size())) return;
  CurveRecord& c = curves_[static_cast<std::size_t>(index)];
  const LegendHits hits = HitRects(c);
  const QPoint pt(x, y);
  const bool wave = c.physicalChannel > 6;
  const bool printing = doc_ && doc_->RealtimePrint();
  for (const QRect* r : {&hits.minimum, &hits.maximum, &hits.swatch, &hits.style})
    if (r->contains(pt)) {
      hitFrame_ = *r;
      repaint();
      break;
    }
  if (!wave && hits.minimum.contains(pt)) {
    if (EditScaleEnd(c, true)) chart_->ScaleEdited(ordinal, c);
  } else if (!wave && hits.maximum.contains(pt)) {
    if (EditScaleEnd(c, false)) chart_->ScaleEdited(ordinal, c);
  } else if (!wave && hits.swatch.contains(pt)) {
    CColorDlg dlg(c.lineColour, 0, this);
    curveview::RunDialog(dlg);
    c.lineColour = dlg.GetColor();
  } else if (hits.style.contains(pt) && (wave || printing)) {
    if (wave) {
      SetWiggleMode(!wiggle_);
    } else {
      int style = c.printLineStyle;
      if (curveview::ChoosePrintStyle(c.description, &style, this)) {
        c.printLineStyle = style;
        chart_->StyleEdited(ordinal, c);
      }
    }
  } else {
    OnChangeLayout();
  }
  hitFrame_ = QRect();
  update();
}

void CCBLView::OnChangeLayout() {
  CConfigDisp dlg(true, doc_, nullptr);
  dlg.SetRecords(&curves_, &tracks_);
  if (curveview::RunDialog(dlg) != QDialog::Accepted) return;
  int rows = 0;
  for (const CurveRecord& c : curves_)
    if (c.headerFlag) rows = std::max(rows, c.headerLine + 1);
  legendRows_ = std::max(rows, 1);
  LayoutTracks();
  chart_->LayoutChanged();
  update();
}

void CCBLView::OnChannelDisplay() {
  if (sheet_.HasWindow())
    sheet_.Destroy();
  else
    sheet_.Create(window());
}
