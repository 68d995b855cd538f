#include "tools/televiewer/bhtv_view.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>

#include "app/core/globals.h"
#include "app/core/log_modes.h"
#include "logview/chart_feed.h"
#include "header/header.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "print/page/page_model.h"
#include "print/ui/printer_error.h"
#include "tools/televiewer/bhtv_pages.h"

std::atomic<int> g_bNormaliseBHTVAmplitude{0};
std::atomic<int> g_bNormaliseBHTVTransitTime{0};

namespace {

constexpr unsigned kStrDepthTitle = 32076;
constexpr unsigned kStrDepthShort = 32077;
constexpr unsigned kStrFeet = 32081;
constexpr unsigned kStrMetres = 32082;
constexpr unsigned kStrHeaderRequired = 32380;
constexpr unsigned kStrProgramTitle = 3;
constexpr int kNewest = qv::TeleviewerRowBuilder::kNewest;
// Row batches that may wait for a slow recorder (some ten seconds of rows).
constexpr std::size_t kFeedCapacity = 256;
// Rows wait for a flush until more than these are pending (more with a
// chart: the recorder takes rows in fewer, larger batches).
constexpr int kFlushThreshold = 4;
constexpr int kChartFlushThreshold = 9;
const QColor kFace(0xF0, 0xF0, 0xF0);
const QColor kHighlight(0xFF, 0xFF, 0xFF);
const QColor kShadow(0xA0, 0xA0, 0xA0);
const QColor kGrey(0xC0, 0xC0, 0xC0);

int ScreenHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 1024;
}

QFont ArialFont(int weight) {
  QFont f("Arial");
  f.setPixelSize(14);
  f.setWeight(static_cast<QFont::Weight>(weight == 600 ? QFont::DemiBold : QFont::Normal));
  return f;
}

}  // namespace

CBHTVView::CBHTVView(int imageHeight, QWidget* parent)
    : qv::View(parent),
      imageHeight_(imageHeight > 0 ? imageHeight : ScreenHeight()),
      builder_(imageHeight_),
      images_(builder_.Capacity()),
      flushed_(builder_.MakeFlushedRows()),
      shownHistory_(static_cast<std::size_t>(builder_.Capacity())) {
  for (std::uint32_t rgb : qv::BhtvColourTable) colours_.push_back(0xFF000000u | rgb);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  builder_.SetRecorderStartDepth([this](int depth) { QueueStartDepth(depth); });
  InstallPrintCommands();
  OnCommand(kInvertColoursCommand, [this] {
    g_bInvertBHTVColours = g_bInvertBHTVColours ? 0 : 1;
    update();
  });
  qv::CommandTarget::OnUpdate(kInvertColoursCommand, [](qv::CmdUI& ui) { ui.SetCheck(g_bInvertBHTVColours != 0); });
  OnCommand(kNormaliseAmplitudeCommand, [] { g_bNormaliseBHTVAmplitude = g_bNormaliseBHTVAmplitude ? 0 : 1; });
  qv::CommandTarget::OnUpdate(kNormaliseAmplitudeCommand,
                              [](qv::CmdUI& ui) { ui.SetCheck(g_bNormaliseBHTVAmplitude != 0); });
  OnCommand(kNormaliseTransitCommand, [] { g_bNormaliseBHTVTransitTime = g_bNormaliseBHTVTransitTime ? 0 : 1; });
  qv::CommandTarget::OnUpdate(kNormaliseTransitCommand,
                              [](qv::CmdUI& ui) { ui.SetCheck(g_bNormaliseBHTVTransitTime != 0); });
}

CBHTVView::~CBHTVView() {
  EndChartOnClose();
}

void CBHTVView::SetLayout(std::vector<TrackRecord> tracks, std::vector<CurveRecord> curves) {
  tracks_ = std::move(tracks);
  curves_ = std::move(curves);
  // Each legend takes the next heading row of its first track.
  std::array<int, 6> rows{};
  int last = 0;
  for (CurveRecord& c : curves_) {
    if (!c.headerFlag || c.firstTrack < 0 || c.firstTrack >= static_cast<int>(rows.size())) continue;
    c.headerLine = rows[static_cast<std::size_t>(c.firstTrack)]++;
    last = std::max(last, c.headerLine + 1);
  }
  headingRows_ = std::max(last, 1);
}

bool CBHTVView::SetupLayout(bool imperial, int depthStep) {
  qv::SetupTrackWidths(tracks_, width());
  depthTrack_.title = qv::LoadString(kStrDepthTitle);
  depthTrack_.shortTitle = qv::LoadString(kStrDepthShort);
  depthTrack_.unit = qv::LoadString(imperial ? kStrFeet : kStrMetres);
  depthTrack_.currentDepth = 0;
  depthTrack_.depthStep = std::abs(depthStep);
  LayoutTracks();
  builder_.Reset(depthStep);
  builder_.SetDepth(0);
  shownDepth_ = 0;
  shownUp_ = true;
  std::fill(shownHistory_.begin(), shownHistory_.end(), 0);
  return true;
}

void CBHTVView::LayoutTracks() {
  qv::LayoutTracks(tracks_, {0, 0, width(), height()}, kBorderWidth);
  // Only what the history holds is drawn.
  visibleLimit_ = std::clamp(height() + kNewest - HeadingHeight(), kNewest, builder_.Capacity());
}

void CBHTVView::ConvertSweepToRow(const TeleviewerSweep& sweep) {
  qv::RowOptions o;
  o.invert = g_bInvertBHTVColours != 0;
  o.normaliseAmplitude = g_bNormaliseBHTVAmplitude != 0;
  o.normaliseTransit = g_bNormaliseBHTVTransitTime != 0;
  o.logType = logType_;
  o.recorder = chartOpen_.load();
  const bool minute = engine_ && engine_->TakeMinuteMark();
  builder_.Convert(sweep, minute, o);
}

void CBHTVView::FlushImageRows() {
  if (!RunsOnGui([this] { FlushImageRows(); })) return;
  TakeRows(Printing() ? kChartFlushThreshold : kFlushThreshold, true);
}

void CBHTVView::TakeRows(int threshold, bool screen) {
  if (!builder_.Take(threshold, flushed_)) return;
  if (Printing() && recorder_) {
    SendStartDepth();
    auto rows = std::make_shared<std::vector<TeleviewerImageRow>>(flushed_.rows.begin(),
                                                                  flushed_.rows.begin() + flushed_.count);
    const int flags = (g_bPrintFloydSteinberg ? 1 : 0) | (g_bPrintAdaptiv ? 2 : 0);
    PostToRecorder([rows, flags](qv::TeleviewerChartRecorder& r) {
      r.PrintTeleviewerRows(rows->data(), static_cast<int>(rows->size()), flags);
    });
  }
  if (!screen) return;
  shownDepth_ = flushed_.shownDepth;
  shownUp_ = builder_.Up();
  // A painter that holds the images past the wait skips this refresh.
  if (!images_.Apply({flushed_.rows.data(), static_cast<std::size_t>(flushed_.count)}, kViewLockWaitMs)) return;
  {
    std::lock_guard<std::timed_mutex> lock(images_.Lock());
    shownHistory_ = flushed_.history;
  }
  update();
}

std::vector<std::uint8_t> CBHTVView::ShownMarks() {
  std::lock_guard<std::timed_mutex> lock(images_.Lock());
  return shownHistory_;
}

void CBHTVView::ResetDisplay(bool live) {
  builder_.Reset(depthTrack_.depthStep);
  {
    std::lock_guard<std::timed_mutex> lock(images_.Lock());
    images_.Clear();
    std::fill(shownHistory_.begin(), shownHistory_.end(), 0);
  }
  const int start = engine_ ? engine_->Setup().replayStartDepth : 0;
  builder_.SetDepth(start);
  shownDepth_ = start;
  shownUp_ = true;
  RestartChart(live, start);
  // A rewind may come from the replay thread: the repaint is the GUI thread's.
  if (RunsOnGui([this] { update(); })) update();
}

void CBHTVView::RestartChart(bool live, int depth) {
  if (!RunsOnGui([this, live, depth] { RestartChart(live, depth); })) return;
  if (live)
    CreateRecorder();
  else
    StartChartRecorder();
  if (!live && chartOpen_) QueueStartDepth(depth / 10);
}

void CBHTVView::SetDepth(int depth, bool live) {
  builder_.SetDepth(depth);
  if (!live && chartOpen_) QueueStartDepth(depth / 10);
}

// ---------------------------------------------------------------------------
// The real-time chart

bool CBHTVView::Printing() const {
  return engine_ != nullptr && engine_->Setup().realtimePrint;
}

void CBHTVView::SetPrintingOff() {
  if (engine_) engine_->Setup().realtimePrint = false;
}

bool CBHTVView::RunsOnGui(std::function<void()> again) {
  if (QThread::currentThread() == thread()) return true;
  QMetaObject::invokeMethod(this, std::move(again), Qt::QueuedConnection);
  return false;
}

void CBHTVView::QueueStartDepth(int depth) {
  {
    std::lock_guard lock(startDepthMutex_);
    startDepth_ = depth;
  }
  // From the record thread it goes out before the next rows do.
  if (QThread::currentThread() == thread()) SendStartDepth();
}

void CBHTVView::SendStartDepth() {
  std::optional<int> depth;
  {
    std::lock_guard lock(startDepthMutex_);
    depth.swap(startDepth_);
  }
  if (depth && Printing()) PostToRecorder([d = *depth](qv::TeleviewerChartRecorder& r) { r.SetStartDepth(d); });
}

void CBHTVView::PostToRecorder(std::function<void(qv::TeleviewerChartRecorder&)> job) {
  if (!chartFeed_ || !recorder_) return;
  chartFeed_->Post([rec = recorder_, job = std::move(job)] { job(*rec); });
}

void CBHTVView::DropRecorder() {
  chartOpen_ = false;
  chartFeed_.reset();
  recorder_.reset();
}

void CBHTVView::FinishFeed() {
  // What is queued runs first; the port's own time-outs bound the wait.
  std::unique_ptr<curveview::ChartFeed> feed = std::move(chartFeed_);
  if (feed) feed->Finish();
  // A failure of the last jobs has posted its report by itself.
  if (feed && feed->Failed()) SetPrintingOff();
  DropRecorder();
}

void CBHTVView::RecorderFailed() {
  // Only the current feed's failure concerns the view; a feed already
  // finished has reported its failure by itself.
  if (!chartFeed_ || !chartFeed_->Failed()) return;
  SetPrintingOff();
  DropRecorder();
}

int CBHTVView::CreateRecorder() {
  if (!RunsOnGui([this] { CreateRecorder(); })) return 0;
  if (Printing() && recorder_ && chartFeed_ && !chartFeed_->Failed()) {
    // The chart goes on: its recorder starts again after what it holds.
    PostToRecorder([](qv::TeleviewerChartRecorder& r) {
      r.SendPrintrexStart();
      r.LineFeed(1);
    });
    return 1;
  }
  qv::TeleviewerChartArgs args;
  args.model = static_cast<uint8_t>(g_nRealTimePrinter.load());
  args.verticalKind = engine_ && engine_->Setup().imperial ? 1 : 0;
  while (Printing()) {
    try {
      if (!recorder_) recorder_ = qv::MakeTeleviewerRecorder(args);
      recorder_->SendPrintrexStart();
      recorder_->LineFeed(1);
      chartFeed_ = std::make_unique<curveview::ChartFeed>(kFeedCapacity, [this] {
        // On the feed's worker: the report posts its box to the
        // user-interface thread; the view forgets its recorder there.
        PrinterErrorThread(nullptr);
        QMetaObject::invokeMethod(
            this, [this] { RecorderFailed(); }, Qt::QueuedConnection);
      });
      chartOpen_ = true;
      return 1;
    } catch (const std::exception&) {
      DropRecorder();
      if (qv::ShowMessageId(kStrPrinterCommunicationError, qv::MB_RETRYCANCEL | qv::MB_ICONSTOP) != qv::IDRETRY)
        SetPrintingOff();
    }
  }
  return 0;
}

void CBHTVView::StartChartRecorder() {
  if (!RunsOnGui([this] { StartChartRecorder(); })) return;
  // A recorder still open (a rewind while printing) goes after what it
  // holds, so two charts never share the port.
  if (recorder_) FinishFeed();
  if (!CreateRecorder()) qv::Trace("Error during printer initialisation\n");
}

curveview::ChartLogTexts CBHTVView::LogTexts() const {
  curveview::ChartLogTexts t;
  if (!engine_) return t;
  engine_->CopyHeaderTexts(&t.header, &t.trailer);
  t.haveHeader = true;
  if (!engine_->PathStem().empty())
    t.headerName = std::filesystem::path(engine_->PathStem() + "hed").filename().string();
  return t;
}

void CBHTVView::BeginChart(int mode) {
  if (!RunsOnGui([this, mode] { BeginChart(mode); })) return;
  if (!Printing() || !recorder_) return;
  const bool trailerFirst = !engine_->IsLive() && engine_->Setup().logMode != qv::kLogModeUp;
  PostToRecorder([trailerFirst, texts = LogTexts()](qv::TeleviewerChartRecorder& r) {
    if (trailerFirst) r.PrintTrailerText(texts);
    r.PrintTeleviewerHeader();
  });
}

void CBHTVView::EndChart(int mode) {
  if (!RunsOnGui([this, mode] { EndChart(mode); })) return;
  if (!Printing() || !recorder_ || !chartFeed_) return;
  const bool pending = builder_.Pending() > 0;
  // The last rows of the log reach the chart before its footer.
  TakeRows(0, true);
  const bool trailer = engine_->IsLive() || engine_->Setup().logMode == qv::kLogModeUp;
  bool heading = false;
  // Every recorder of this view runs in direction 1: the question comes
  // only while rows were pending.
  if (!g_bLoggingPaused.load() && mode != -2) {
    if (mode == -1 && pending)
      mode = qv::ShowMessageId(kStrHeaderRequired, qv::MB_YESNO, qv::LoadString(kStrProgramTitle)) == qv::IDYES ? 1 : 0;
    heading = mode == 1;
  }
  const bool formMarks = g_bFormMarkDetect.load() != 0;
  chartOpen_ = false;
  chartFeed_->PostFinal([rec = std::move(recorder_), texts = LogTexts(), trailer, heading, formMarks]() mutable {
    rec->PrintTeleviewerFooter();
    curveview::CloseChart(*rec, texts, trailer, heading, formMarks);
    rec.reset();
  });
  FinishFeed();
}

void CBHTVView::FlushRecorder() {
  if (!RunsOnGui([this] { FlushRecorder(); })) return;
  TakeRows(0, false);
}

void CBHTVView::EndChartOnClose() noexcept {
  try {
    EndChart(-1);
  } catch (...) {
    qv::Trace("CBHTVView: the chart could not be ended\n");
  }
  try {
    FinishFeed();
  } catch (...) {
  }
}

int CBHTVView::SaveLayoutToHeader() {
  if (!engine_ || curves_.empty()) return 0;
  CurveArray curves;
  for (const CurveRecord& c : curves_) curves.push_back(std::make_unique<CurveRecord>(c));
  TrackArray tracks;
  for (const TrackRecord& t : tracks_) tracks.push_back(std::make_unique<TrackRecord>(t));
  const std::string path = engine_->DataFilePath();
  int ok = WriteCurveRecords(path, &curves);
  if (!tracks.empty()) ok = ok && WriteTrackRecords(path, &tracks) != 0;
  return ok;
}

// ---------------------------------------------------------------------------
// Painting

void CBHTVView::OnDraw(QPainter& p) {
  std::unique_lock<std::timed_mutex> lock(images_.Lock(), std::chrono::milliseconds(kViewLockWaitMs));
  if (!lock.owns_lock()) return;
  for (const TrackRecord& t : tracks_) {
    for (int j = 0; j < headingRows_; ++j) {
      const QRect cell(t.screenRect.left, kHeadingRowHeight * j, t.width + 1, kHeadingRowHeight);
      p.fillRect(cell, kFace);
      p.setPen(kHighlight);
      p.drawLine(cell.topLeft(), cell.topRight());
      p.drawLine(cell.topLeft(), cell.bottomLeft());
      p.setPen(kShadow);
      p.drawLine(cell.bottomLeft(), cell.bottomRight());
      p.drawLine(cell.topRight(), cell.bottomRight());
    }
  }
  for (const TrackRecord& t : tracks_)
    if (t.width > 0 && t.type == 1) DrawDepthTrack(p, t);
  p.setPen(QPen(Qt::black, kBorderWidth));
  for (const TrackRecord& t : tracks_)
    if (t.width > 0) p.drawLine(t.screenRect.right + 1, 0, t.screenRect.right + 1, height());
  for (const CurveRecord& c : curves_) {
    if (!c.headerFlag || c.firstTrack < 0 || c.firstTrack >= static_cast<int>(tracks_.size())) continue;
    const TrackRecord& t = tracks_[static_cast<std::size_t>(c.firstTrack)];
    if (t.width > 0) DrawImageTrack(p, c, t);
  }
}

void CBHTVView::DrawImageTrack(QPainter& p, const CurveRecord& c, const TrackRecord& t) {
  const int top = kHeadingRowHeight * c.headerLine;
  p.setFont(ArialFont(400));
  p.setPen(palette().color(QPalette::ButtonText));
  const QFontMetrics fm(p.font());
  const QString title = QString::fromStdString(c.description), shortTitle = QString::fromStdString(c.shortTitle);
  const QString shown = fm.horizontalAdvance(title) + 2 * fm.height() < t.width        ? title
                        : fm.horizontalAdvance(shortTitle) + 2 * fm.height() < t.width ? shortTitle
                                                                                       : QString();
  p.drawText(QRect(t.screenRect.left, top, t.width, fm.height()), Qt::AlignHCenter | Qt::AlignTop, shown);
  const QString unit = QString::fromStdString(c.unit);
  if (fm.horizontalAdvance(unit) < t.width)
    p.drawText(QRect(t.screenRect.left, top + fm.height(), t.width, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
               unit);
  // The colour scale, mirrored when the colours are inverted.
  QImage bar(qv::TeleviewerImageStore::kWidth, 1, QImage::Format_Indexed8);
  bar.setColorTable(colours_);
  const bool invert = g_bInvertBHTVColours != 0;
  for (int x = 0; x < qv::TeleviewerImageStore::kWidth; ++x)
    bar.scanLine(0)[x] = static_cast<uchar>(invert ? qv::TeleviewerImageStore::kWidth - 1 - x : x);
  p.drawImage(QRect(t.screenRect.left, 15, t.width, 14), bar);
  // The image: one image row per screen row from row 100 down.
  const int rows = std::min(height() - HeadingHeight(), images_.Height() - kNewest);
  if (rows <= 0) return;
  const std::uint8_t* bits = c.physicalChannel == 1 ? images_.Amplitude() : images_.Transit();
  const QImage image(bits + kNewest * qv::TeleviewerImageStore::kWidth, qv::TeleviewerImageStore::kWidth, rows,
                     qv::TeleviewerImageStore::kWidth, QImage::Format_Indexed8);
  QImage coloured = image.copy();
  coloured.setColorTable(colours_);
  p.drawImage(QRect(t.screenRect.left, HeadingHeight(), t.width, rows), coloured);
}

void CBHTVView::DrawDepthTrack(QPainter& p, const TrackRecord& t) {
  const int left = t.screenRect.left, w = t.width;
  p.setFont(ArialFont(400));
  p.setPen(palette().color(QPalette::ButtonText));
  QFontMetrics fm(p.font());
  const int th = fm.height();
  switch (qv::ChooseDepthHeading(fm.horizontalAdvance(QString::fromStdString(depthTrack_.title)),
                                 fm.horizontalAdvance(QString::fromStdString(depthTrack_.shortTitle)), w)) {
    case qv::DepthHeading::kTitle:
      p.drawText(QRect(left, 0, w, th), Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(depthTrack_.title));
      break;
    case qv::DepthHeading::kShortTitle:
      p.drawText(QRect(left, 0, w, th), Qt::AlignHCenter | Qt::AlignTop,
                 QString::fromStdString(depthTrack_.shortTitle));
      break;
    case qv::DepthHeading::kNone:
      break;
  }
  const QString unit = QString::fromStdString(depthTrack_.unit);
  if (fm.horizontalAdvance(unit) < w) p.drawText(QRect(left, th, w, th), Qt::AlignHCenter | Qt::AlignTop, unit);

  p.setFont(ArialFont(600));
  fm = QFontMetrics(p.font());
  int n = qv::FirstDepthLabel(shownDepth_, shownUp_);
  const int heading = HeadingHeight();
  for (int g = kNewest; g < visibleLimit_; ++g) {
    const int y = heading + (g - kNewest);
    const std::uint8_t m = shownHistory_[static_cast<std::size_t>(g)];
    p.setPen(kGrey);
    switch (m & 0x0F) {
      case qv::kTickMajor: {
        p.drawLine(left, y, left + w, y);
        const QString label = QString::fromStdString(qv::DepthLabel(n));
        const int lw = fm.horizontalAdvance(label);
        if (lw < w && y - th / 2 > heading) {
          const QRect box(left + (w - lw) / 2, y + th / 2 - fm.height(), lw, fm.height());
          p.fillRect(box, Qt::white);
          p.setPen(palette().color(QPalette::ButtonText));
          p.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, label);
        }
        n += shownUp_ ? 1 : -1;
        break;
      }
      case qv::kTickMiddle:
        p.drawLine(left, y, left + w / 3, y);
        p.drawLine(left + w - w / 3, y, left + w, y);
        break;
      case qv::kTickMinor:
        p.drawLine(left, y, left + w / 5, y);
        p.drawLine(left + w - w / 5, y, left + w, y);
        break;
      default:
        break;
    }
    if (m & qv::kHistoryMinute) {
      p.setPen(Qt::black);
      const int lengths[] = {2, 4, 6, 4, 2};
      for (int k = 0; k < 5; ++k) p.drawLine(left, y - 2 + k, left + lengths[k] - 1, y - 2 + k);
    }
  }
}

// ---------------------------------------------------------------------------
// Track borders

void CBHTVView::resizeEvent(QResizeEvent* event) {
  qv::View::resizeEvent(event);
  LayoutTracks();
  update();
}

int CBHTVView::BorderAt(int x) const {
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    const int right = tracks_[i].screenRect.right;
    if (x >= right - kBorderHit && x <= right + kBorderHit) return static_cast<int>(i);
  }
  return -1;
}

void CBHTVView::StartTracking(int track) {
  if (track < 0 || track >= static_cast<int>(tracks_.size())) return;
  tracking_ = true;
  trackedBorder_ = track;
  trackerX_ = tracks_[static_cast<std::size_t>(track)].screenRect.right;
  grabMouse();
  setFocus();
  setCursor(Qt::SplitHCursor);
  update();
}

void CBHTVView::MoveTracker(int x) {
  const int left = tracks_[static_cast<std::size_t>(trackedBorder_)].screenRect.left;
  trackerX_ = std::clamp(x, left, width());
  update();
}

void CBHTVView::StopTracking(bool accept) {
  if (!tracking_) return;
  releaseMouse();
  tracking_ = false;
  if (accept && trackedBorder_ >= 0) {
    TrackRecord& t = tracks_[static_cast<std::size_t>(trackedBorder_)];
    t.idealWidth = std::max(trackerX_ - t.screenRect.left, t.minimalWidth);
    LayoutTracks();
  }
  unsetCursor();
  update();
}

void CBHTVView::mousePressEvent(QMouseEvent* event) {
  if (!tracking_ && event->button() == Qt::LeftButton) StartTracking(BorderAt(event->position().toPoint().x()));
}

void CBHTVView::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (tracking_)
    MoveTracker(x);
  else if (BorderAt(x) >= 0)
    setCursor(Qt::SplitHCursor);
  else
    unsetCursor();
}

void CBHTVView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) StopTracking(true);
}

void CBHTVView::mouseDoubleClickEvent(QMouseEvent*) {
  StopTracking(false);
}

bool CBHTVView::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      TrackNextBorder(key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier));
      return true;
    }
  }
  return qv::View::event(event);
}

void CBHTVView::TrackNextBorder(bool previous) {
  const int n = static_cast<int>(tracks_.size());
  if (n == 0) return;
  StopTracking(false);
  const int from = trackedBorder_ < 0 ? (previous ? 0 : -1) : trackedBorder_;
  StartTracking(((from + (previous ? -1 : 1)) % n + n) % n);
  // The cursor goes to the middle of the tracker.
  QCursor::setPos(mapToGlobal(QPoint(trackerX_, height() / 2)));
}

void CBHTVView::keyPressEvent(QKeyEvent* event) {
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
      MoveTracker(trackerX_ - step);
      break;
    case Qt::Key_Right:
      MoveTracker(trackerX_ + step);
      break;
    default:
      qv::View::keyPressEvent(event);
  }
}
