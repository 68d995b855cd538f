// Real-time printing of the curve view: the chart recorder of a log that
// prints while it records or replays. The view creates the recorder on the
// user-interface thread; everything it sends after that (heading, track
// header, rows, the end of the chart) goes through the recorder's chart feed,
// in order, so that a stalled port holds up neither painting nor acquisition.
// A failed write comes back to the user-interface thread as the printer error
// report, switches real-time printing off for the log and lets the log go on.
#include <QMetaObject>
#include <QThread>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <tuple>

#include "app/core/globals.h"
#include "logview/chart_feed.h"
#include "logview/chart_recorder.h"
#include "curveview/curveview.h"
#include "header/header.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "print/ui/printer_error.h"

using namespace curveview;

namespace {

constexpr unsigned kStrHeaderRequired = 32380;
constexpr unsigned kStrProgramTitle = 3;
// Display batches that may wait for a slow recorder (at one batch per
// repaint period, some ten seconds of rows).
constexpr std::size_t kFeedCapacity = 256;

}  // namespace

bool CCurveView::Printing() const {
  return doc_ != nullptr && doc_->RealtimePrint() && !printingOff_;
}

void CCurveView::SetPrintingOff() {
  printingOff_ = true;
  if (doc_) doc_->ClearRealtimePrint();
}

void CCurveView::DropRecorder() {
  chartFeed_.reset();
  recorder_.reset();
  legendSent_ = false;
  chartCurves_ = 0;
}

bool CCurveView::PostToRecorder(std::function<void(CurveChartRecorder&)> job) {
  if (!chartFeed_ || !recorder_) return false;
  return chartFeed_->Post([rec = recorder_, job = std::move(job)] { job(*rec); });
}

int CCurveView::CreateRecorder(bool* upwardOut) {
  const int logMode = doc_ ? doc_->LogMode() : kLogModeDown;
  const bool upward = logMode == kLogModeUp;
  ChartRecorderArgs args;
  args.model = static_cast<uint8_t>(g_nRealTimePrinter.load());
  args.printType = kPrintPlot;
  args.verticalKind = logMode == kLogModeTime ? 2 : doc_ && doc_->Imperial() ? 1 : 0;
  chartScales_ = DecadeTable();
  args.trackScales = chartScales_.data();
  args.scale = logMode == kLogModeTime ? -1 : doc_ ? doc_->DepthScale() : 200;
  args.mode = 0;
  args.upward = upward ? 1 : 0;
  int result = 0;
  if (Printing() && recorder_ && chartFeed_ && !chartFeed_->Failed()) {
    // The chart goes on: its recorder starts again after what it holds.
    PostToRecorder([](CurveChartRecorder& r) {
      r.SendPrintrexStart();
      r.LineFeed(1);
    });
    if (upwardOut) *upwardOut = upward;
    return 1;
  }
  while (Printing()) {
    try {
      if (!recorder_) recorder_ = MakeChartRecorder(args);
      recorder_->SendPrintrexStart();
      recorder_->LineFeed(1);
      legendSent_ = false;
      chartCurves_ = 0;
      chartFeed_ = std::make_unique<ChartFeed>(kFeedCapacity, [this] {
        // On the feed's worker: the box is posted to the user-interface
        // thread by the report itself; the view forgets its recorder there.
        PrinterErrorThread(nullptr);
        QMetaObject::invokeMethod(
            this, [this] { RecorderFailed(); }, Qt::QueuedConnection);
      });
      result = 1;
      break;
    } catch (const std::exception&) {
      DropRecorder();
      if (qv::ShowMessageId(kStrPrinterCommunicationError, qv::MB_RETRYCANCEL | qv::MB_ICONSTOP) != qv::IDRETRY)
        SetPrintingOff();
    }
  }
  if (upwardOut) *upwardOut = upward;
  return result;
}

void CCurveView::StartRecorder() {
  bool upward = false;
  if (!CreateRecorder(&upward)) {
    qv::Trace("Error during printer initialisation\n");
    return;
  }
  if (!upward && qv::ShowMessageId(kStrHeaderRequired, qv::MB_YESNO, qv::LoadString(kStrProgramTitle)) == qv::IDYES)
    PostToRecorder([texts = LogTextsOf(doc_)](CurveChartRecorder& r) {
      r.PrintLogHeading(texts);
      r.PrintRemarks(texts);
    });
}

void CCurveView::StartRealtimePrint(int /*mode*/) {
  if (!Printing() || legendSent_) {
    legendSent_ = true;
    return;
  }
  if (recorder_) {
    auto list = std::make_shared<InscriptionList>();
    for (const CurveRecord& c : curves_)
      if (c.headerFlag == 1) list->push_back(MakeInscription(c));
    chartCurves_ = static_cast<int>(list->size());
    const bool replay = doc_ && !doc_->Live();
    const bool upward = doc_ && doc_->LogMode() == kLogModeUp;
    PostToRecorder([list, replay, upward, texts = LogTextsOf(doc_)](CurveChartRecorder& r) {
      if (replay && !upward) r.PrintTrailerText(texts);
      r.PrintPlotTrackHeader(list.get(), true);
      if (replay) r.AdvanceToDepth();
    });
  }
  legendSent_ = true;
}

void CCurveView::HandOverRows(int n, int minuteAge) {
  // Rows go out once the track header has: the recorder plots a row as one
  // value per legend entry.
  if (n <= 0 || !Printing() || !recorder_ || chartCurves_ == 0) return;
  SendRecorderDepth();
  std::vector<int> shown;
  for (size_t c = 0; c < curves_.size(); ++c)
    if (curves_[c].headerFlag == 1) shown.push_back(static_cast<int>(c));
  if (static_cast<int>(shown.size()) != chartCurves_) return;
  auto values = std::make_shared<std::vector<int>>(static_cast<size_t>(n) * shown.size());
  {
    std::lock_guard lock(rows_.DisplayLock());
    const int anchor = rows_.Anchor();
    size_t at = 0;
    // Oldest row first; the newest is the anchor row.
    for (int age = n - 1; age >= 0; --age) {
      const int index = upward_ ? anchor + age : anchor - age;
      for (int c : shown) {
        const CurveRecord& curve = curves_[static_cast<size_t>(c)];
        const bool log = curve.firstTrack >= 0 && static_cast<size_t>(curve.firstTrack) < tracks_.size() &&
                         IsLogTrack(tracks_[static_cast<size_t>(curve.firstTrack)]);
        (*values)[at++] = ChartValue(curve, rows_.DisplayValue(c, index), log);
      }
    }
  }
  const int tickRow = minuteAge >= 0 && minuteAge < n ? n - minuteAge : 0;
  PostToRecorder([values, tickRow](CurveChartRecorder& r) {
    r.PlotCurveRow(values->data(), static_cast<int>(values->size()), tickRow, false);
  });
}

void CCurveView::SetRecorderDepth(int depth, bool noAdvance) {
  // The depth belongs to the rows that follow it: it waits beside them and
  // goes out before the next of them, whichever reaches the user-interface
  // thread first, the rows' flush or this call.
  {
    std::lock_guard lock(recorderDepthMutex_);
    recorderDepth_ = std::make_pair(depth, noAdvance);
  }
  if (!RunsOnGui([this] { SendRecorderDepth(); })) return;
  SendRecorderDepth();
}

void CCurveView::SendRecorderDepth() {
  std::optional<std::pair<int, bool>> pending;
  {
    std::lock_guard lock(recorderDepthMutex_);
    pending.swap(recorderDepth_);
  }
  if (!pending || !Printing() || !recorder_) return;
  const int depth = pending->first;
  const bool advance = doc_->Live() && !pending->second;
  PostToRecorder([depth, advance](CurveChartRecorder& r) {
    r.SetStartDepth(depth / 10);
    if (advance) r.AdvanceToDepth();
  });
}

void CCurveView::FlushRecorder() {
  if (!RunsOnGui([this] { FlushRecorder(); })) return;
  const RowUpdate u = rows_.TakePending();
  if (u.rows <= 0) return;
  HandOverRows(u.rows, u.minuteAge);
  update();
}

void CCurveView::StopRealtimePrint(int mode) {
  if (!RunsOnGui([this, mode] { StopRealtimePrint(mode); })) return;
  if (!Printing() || !recorder_) return;
  if (chartCurves_ == 0) {
    // No track header went out: the recorder just goes, after what it holds.
    if (chartFeed_) chartFeed_->PostFinal([rec = std::move(recorder_)]() mutable { rec.reset(); });
    FinishFeed();
    return;
  }
  const bool upward = doc_->LogMode() == kLogModeUp;
  const bool trailer = doc_->Live() || upward;
  bool heading = false;
  if (!g_bLoggingPaused.load() && mode != -2 && upward) {
    if (mode == -1)
      mode = qv::ShowMessageId(kStrHeaderRequired, qv::MB_YESNO, qv::LoadString(kStrProgramTitle)) == qv::IDYES ? 1 : 0;
    heading = mode == 1;
  }
  const bool formMarks = g_bFormMarkDetect.load() != 0;
  if (chartFeed_)
    chartFeed_->PostFinal([rec = std::move(recorder_), texts = LogTextsOf(doc_), trailer, heading, formMarks]() mutable {
      rec->FinishPlot();
      rec->RepeatPlotTrackHeader();
      CloseChart(*rec, texts, trailer, heading, formMarks);
      rec.reset();
    });
  FinishFeed();
}

void CCurveView::FinishFeed() {
  // The end of the chart runs after the rows still queued; the port's own
  // time-outs bound the wait.
  std::unique_ptr<ChartFeed> feed = std::move(chartFeed_);
  if (feed) feed->Finish();
  // A failure of the last jobs has posted its report by itself.
  if (feed && feed->Failed()) SetPrintingOff();
  DropRecorder();
}

void CCurveView::RecorderFailed() {
  // Only the current feed's failure concerns the view; a feed already
  // finished has reported its failure by itself.
  if (!chartFeed_ || !chartFeed_->Failed()) return;
  SetPrintingOff();
  DropRecorder();
}

void CCurveView::EndRealtimePrintOnClose() noexcept {
  try {
    StopRealtimePrint(-1);
  } catch (...) {
    qv::Trace("CCurveView: the chart could not be ended\n");
  }
  try {
    FinishFeed();
  } catch (...) {
  }
}

bool CCurveView::RunsOnGui(std::function<void()> again) {
  if (QThread::currentThread() == thread()) return true;
  QMetaObject::invokeMethod(this, std::move(again), Qt::QueuedConnection);
  return false;
}

int CCurveView::ChartPosition(int curve) const {
  if (curve < 0 || static_cast<size_t>(curve) >= curves_.size() || curves_[static_cast<size_t>(curve)].headerFlag != 1)
    return 0;
  int n = 0;
  for (int i = 0; i <= curve; ++i)
    if (curves_[static_cast<size_t>(i)].headerFlag == 1) ++n;
  return n;
}

bool CCurveView::ChartRunning() const {
  return Printing() && recorder_ && legendSent_ && chartCurves_ > 0;
}

void CCurveView::PostGridUpdate(std::function<void(CurveChartRecorder&)> then) {
  // The recorder reads its decade table while it draws: the worker takes
  // the new one over between two jobs.
  PostToRecorder([this, table = DecadeTable(), then = std::move(then)](CurveChartRecorder& r) {
    chartScales_ = table;
    r.BuildGridTemplate();
    if (then) then(r);
  });
}

void CCurveView::ChartScaleEdited(int curve, bool minimum) {
  const int position = ChartPosition(curve);
  if (!ChartRunning() || position == 0) return;
  const CurveRecord& c = curves_[static_cast<size_t>(curve)];
  const bool log = c.firstTrack >= 0 && static_cast<size_t>(c.firstTrack) < tracks_.size() &&
                   IsLogTrack(tracks_[static_cast<size_t>(c.firstTrack)]);
  auto text = [](float v) { return qv::FormatC("%.7G", static_cast<double>(v)); };
  if (!log) {
    // The edited end is at the left when the minimum is and it was edited.
    const bool left = (c.scaleFlag == 1) == minimum;
    PostGridUpdate([position, left, t = text(minimum ? c.scaleMinimum : c.scaleMaximum)](CurveChartRecorder& r) {
      r.SetScaleEnd(position, left ? 1 : 3, t);
    });
    return;
  }
  // A logarithmic edit moves the scales of every curve of the track.
  std::vector<std::tuple<int, std::string, std::string>> ranges;
  for (size_t i = 0; i < curves_.size(); ++i) {
    const CurveRecord& k = curves_[i];
    const int at = ChartPosition(static_cast<int>(i));
    if (k.firstTrack != c.firstTrack || at == 0) continue;
    const std::string lo = text(k.scaleMinimum), hi = text(k.scaleMaximum);
    ranges.emplace_back(at, k.scaleFlag == 1 ? lo : hi, k.scaleFlag == 1 ? hi : lo);
  }
  PostGridUpdate([ranges](CurveChartRecorder& r) {
    for (const auto& [at, left, right] : ranges) r.SetScaleRange(at, left, right);
  });
}

void CCurveView::ChartStyleEdited(int curve) {
  const int position = ChartPosition(curve);
  if (!ChartRunning() || position == 0) return;
  const int style = curves_[static_cast<size_t>(curve)].printLineStyle + 1;
  PostToRecorder([position, style](CurveChartRecorder& r) { r.SetCurveStyle(position, style); });
}

void CCurveView::ChartLayoutChanged() {
  if (!Printing() || !recorder_) return;
  auto list = std::make_shared<InscriptionList>();
  for (const CurveRecord& c : curves_)
    if (c.headerFlag == 1) list->push_back(MakeInscription(c));
  const bool sent = legendSent_;
  if (sent) chartCurves_ = static_cast<int>(list->size());
  PostGridUpdate([list, sent](CurveChartRecorder& r) {
    r.ClearInscriptions();
    if (sent) r.PrintPlotTrackHeader(list.get(), true);
  });
}
