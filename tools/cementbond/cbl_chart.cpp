#include "tools/cementbond/cbl_chart.h"

#include <QMetaObject>
#include <QThread>
#include <mutex>

#include "app/core/globals.h"
#include "logview/chart_feed.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "print/ui/printer_error.h"
#include "tools/cementbond/cbl_view.h"

namespace qv::cbl {
namespace {

constexpr unsigned kStrHeaderRequired = 32380;
constexpr unsigned kStrProgramTitle = 3;
constexpr std::size_t kFeedCapacity = 256;
constexpr int kWiggleTop = 100;  // the image lines that take the tops of the traces

// The cement-bond chart on the parallel port.
class GultonCbl final : public CblRecorder {
 public:
  explicit GultonCbl(const curveview::ChartRecorderArgs& a)
      : g_(static_cast<uint8_t>(a.model), a.printType, a.verticalKind, a.trackScales, a.scale, a.mode, a.upward) {}
  void SendPrintrexStart() override { g_.SendPrintrexStart(); }
  int LineFeed(int count) override { return g_.LineFeed(count); }
  void SetStartDepth(int depth) override { g_.SetStartDepth(depth); }
  void AdvanceToDepth() override { g_.AdvanceToDepth(); }
  void PrintCblTrackHeader(InscriptionList* list) override { g_.PrintCblTrackHeader(list); }
  void PrintCblRow(const std::uint8_t* rows, const double* values, int count, bool final) override {
    g_.PrintCblRow(rows, values, count, final);
  }
  void FinishPlot() override { g_.FinishPlot(); }
  void RepeatCblTrackHeader() override { g_.RepeatCblTrackHeader(); }
  void EjectToFormMark() override { g_.EjectToFormMark(); }
  void BuildGridTemplate() override { g_.BuildGridTemplate(); }
  void ClearInscriptions() override { g_.Inscriptions().clear(); }
  void SetScaleRange(int n, const std::string& l, const std::string& r) override { g_.SetScaleRange(n, l, r); }
  void SetCurveStyle(int n, int style) override { g_.SetCurveStyle(n, style); }
  void PrintLogHeading(const curveview::ChartLogTexts& t) override { curveview::PrintHeadingBlock(g_, t); }
  void PrintRemarks(const curveview::ChartLogTexts& t) override { curveview::PrintRemarksBlock(g_, t); }
  void PrintTrailerText(const curveview::ChartLogTexts& t) override { curveview::PrintTrailerBlock(g_, t); }

 private:
  CGulton g_;
};

curveview::RecorderFactorySlot<CblRecorder, curveview::ChartRecorderArgs>& Slot() {
  static curveview::RecorderFactorySlot<CblRecorder, curveview::ChartRecorderArgs> slot;
  return slot;
}

std::unique_ptr<CblRecorder> MakeRecorder(const curveview::ChartRecorderArgs& args) {
  return Slot().Make(args, [](const curveview::ChartRecorderArgs& a) { return std::make_unique<GultonCbl>(a); });
}

}  // namespace

CblRecorderFactory SetCblRecorderFactory(CblRecorderFactory factory) {
  return Slot().Set(std::move(factory));
}

CblChart::CblChart(CCBLView& view)
    : view_(view),
      scales_(4),
      wiggle_(static_cast<std::size_t>(kChartDots) * static_cast<std::size_t>(view.imageHeight_), 0) {}

CblChart::~CblChart() = default;

bool CblChart::Printing() const {
  return view_.doc_ && view_.doc_->RealtimePrint() && !off_;
}

void CblChart::SetPrintingOff() {
  off_ = true;
  if (view_.doc_) view_.doc_->ClearRealtimePrint();
}

bool CblChart::OnGui(std::function<void()> again) {
  if (QThread::currentThread() == view_.thread()) return true;
  QMetaObject::invokeMethod(&view_, std::move(again), Qt::QueuedConnection);
  return false;
}

void CblChart::Post(std::function<void(CblRecorder&)> job) {
  if (!feed_ || !recorder_) return;
  feed_->Post([rec = recorder_, job = std::move(job)] { job(*rec); });
}

bool CblChart::Create() {
  const int logMode = view_.doc_ ? view_.doc_->LogMode() : curveview::kLogModeDown;
  curveview::ChartRecorderArgs args;
  args.model = static_cast<uint8_t>(g_nRealTimePrinter.load());
  args.printType = kPrintCementBond;
  args.verticalKind = logMode == curveview::kLogModeTime ? kVerticalTime : view_.doc_ && view_.doc_->Imperial() ? 1 : 0;
  for (std::size_t i = 0; i < 4; ++i) scales_[i] = view_.scaleTable_[i];
  args.trackScales = scales_.data();
  args.scale = logMode == curveview::kLogModeTime ? -1 : view_.doc_ ? view_.doc_->DepthScale() : 200;
  args.mode = 0;
  args.upward = 1;
  if (Printing() && recorder_ && feed_ && !feed_->Failed()) {
    // The chart goes on: its recorder starts again after what it holds.
    Post([](CblRecorder& r) {
      r.SendPrintrexStart();
      r.LineFeed(1);
    });
    return true;
  }
  while (Printing()) {
    try {
      if (!recorder_) recorder_ = MakeRecorder(args);
      recorder_->SendPrintrexStart();
      recorder_->LineFeed(1);
      started_ = false;
      feed_ = std::make_unique<curveview::ChartFeed>(kFeedCapacity, [this] {
        PrinterErrorThread(nullptr);
        QMetaObject::invokeMethod(
            &view_, [this] { Failed(); }, Qt::QueuedConnection);
      });
      return true;
    } catch (const std::exception&) {
      feed_.reset();
      recorder_.reset();
      if (ShowMessageId(kStrPrinterCommunicationError, MB_RETRYCANCEL | MB_ICONSTOP) != IDRETRY) SetPrintingOff();
    }
  }
  return false;
}

void CblChart::Failed() {
  // Only the current feed's failure concerns the view.
  if (!feed_ || !feed_->Failed()) return;
  SetPrintingOff();
  feed_.reset();
  recorder_.reset();
  started_ = false;
}

bool CblChart::Running() const {
  return Printing() && recorder_ && started_;
}

InscriptionList CblChart::BuildList() const {
  InscriptionList list;
  for (const CurveRecord& c : view_.curves_)
    if (c.headerFlag) {
      auto ins = curveview::MakeInscription(c);
      if (c.firstTrack == 0) ins->track = 1;
      list.push_back(std::move(ins));
    }
  return list;
}

void CblChart::SetDepth(int depth, bool noAdvance) {
  if (!OnGui([this, depth, noAdvance] { SetDepth(depth, noAdvance); })) return;
  if (!Printing() || !recorder_) return;
  const bool advance = view_.doc_->Live() && !noAdvance;
  Post([depth, advance](CblRecorder& r) {
    r.SetStartDepth(depth / 10);
    if (advance) r.AdvanceToDepth();
  });
}

void CblChart::Start(int /*mode*/) {
  if (!OnGui([this] { Start(0); })) return;
  if (Printing() && recorder_) {
    auto list = std::make_shared<InscriptionList>(BuildList());
    const bool replay = !view_.doc_->Live();
    const bool upward = view_.doc_->LogMode() == curveview::kLogModeUp;
    Post([list, replay, upward, texts = curveview::LogTextsOf(view_.doc_)](CblRecorder& r) {
      if (replay && !upward) r.PrintTrailerText(texts);
      r.PrintCblTrackHeader(list.get());
      if (replay) r.AdvanceToDepth();
    });
  }
  started_ = true;
}

void CblChart::PrintLines(const vdl::VdlRefresh& out) {
  if (!Running() || out.lines <= 0) return;
  const int lines = out.lines;
  auto rows = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(lines + 1) * kChartRowBytes, 0);
  const Gates gates = view_.CurrentGates();
  const WaveformViewKind& kind = view_.kind_;
  const int width = 2 * kind.samplesPerReceiver;
  const int minuteRow = out.minuteLine >= 0 && out.minuteLine < lines ? lines - 1 - out.minuteLine : -1;
  if (!view_.wiggle_) {
    for (int i = 0; i < lines && static_cast<std::size_t>((i + 1) * width) <= out.lineSamples.size(); ++i)
      DensityChartRow({out.lineSamples.data() + static_cast<std::size_t>(i) * width, static_cast<std::size_t>(width)},
                      gates, rows->data() + static_cast<std::size_t>(i) * kChartRowBytes, kind);
  } else {
    // The traces mirrored onto the 1024 dots of the chart, in a bitmap that
    // moves down with the new lines as the screen image does.
    const int height = static_cast<int>(wiggle_.size() / kChartDots);
    const int shift = std::min(lines, height);
    std::move_backward(wiggle_.begin(), wiggle_.end() - static_cast<std::ptrdiff_t>(shift) * kChartDots, wiggle_.end());
    std::fill(wiggle_.begin(), wiggle_.begin() + static_cast<std::ptrdiff_t>(shift) * kChartDots, 0);
    std::vector<int> xy(static_cast<std::size_t>(2 * width));
    for (const std::vector<int>& trace : out.traces) {
      const int points = std::min(width, static_cast<int>(trace.size()));
      for (int k = 0; k < points; ++k) {
        xy[static_cast<std::size_t>(2 * k)] = ChartWiggleDot(k, kind);
        xy[static_cast<std::size_t>(2 * k + 1)] = trace[static_cast<std::size_t>(k)];
      }
      vdl::DrawPolyline8(wiggle_.data(), kChartDots, height, {xy.data(), static_cast<std::size_t>(2 * points)}, 1);
    }
    for (int p : ChartGateDots(gates))
      if (p > 0 && kind.gates)
        for (int y = 0; y < height; ++y) wiggle_[static_cast<std::size_t>(y) * kChartDots + (kChartDots - p)] = 1;
    for (int i = 0; i < lines; ++i) {
      const int b = lines - 1 - i + kWiggleTop;
      std::uint8_t* row = rows->data() + static_cast<std::size_t>(i) * kChartRowBytes;
      if (b < height)
        for (int d = 0; d < kChartDots; ++d)
          if (wiggle_[static_cast<std::size_t>(b) * kChartDots + d])
            row[d / 8] |= static_cast<std::uint8_t>(0x80 >> (d % 8));
      row[kChartRowBytes - 1] |= kChartBitImage;
    }
  }
  if (minuteRow >= 0) (*rows)[static_cast<std::size_t>(minuteRow) * kChartRowBytes + kChartRowBytes - 1] |= kChartTick;

  // Curve positions: the shown curves of channels 1 to 6, oldest line first.
  std::vector<const CurveRecord*> shown;
  for (const CurveRecord& c : view_.curves_)
    if (c.headerFlag && c.physicalChannel >= 1 && c.physicalChannel <= 6) shown.push_back(&c);
  const std::size_t h = shown.size();
  auto values = std::make_shared<std::vector<double>>(static_cast<std::size_t>(lines + 1) * h, 0.0);
  {
    std::unique_lock<std::timed_mutex> lock(view_.engine_.DisplayLock(), std::defer_lock);
    if (lock.try_lock_for(std::chrono::milliseconds(CCBLView::kViewLockWaitMs))) {
      const int top = view_.engine_.TopRow();
      const int length = view_.engine_.HistoryLength();
      for (int m = lines; m >= 1; --m) {
        const int row = top + m;  // the newest rows are on top, logging up or down
        const std::size_t line = static_cast<std::size_t>(lines - m);
        for (std::size_t k = 0; k < h; ++k) {
          const CurveRecord& c = *shown[k];
          const double* history = view_.engine_.DisplayHistory(c.physicalChannel - 1);
          if (!history || row < 0 || row >= length) continue;
          const TrackRecord* t = view_.FirstTrackOf(c);
          const bool log = t && (t->gridStyle & kLogGridBit) != 0;
          (*values)[line * h + k] = ChartPosition(c, log, history[row]);
        }
      }
    }
  }
  Post([rows, values, lines](CblRecorder& r) { r.PrintCblRow(rows->data(), values->data(), lines, false); });
}

void CblChart::Flush() {
  if (!OnGui([this] { Flush(); })) return;
  vdl::VdlRefresh out = view_.engine_.TakeLines();
  if (!out.done) return;
  view_.update();
  if (view_.wiggle_) return;  // the traces of a wiggle chart come with the screen refresh
  PrintLines(out);
}

void CblChart::ScaleEdited(int ordinal, const CurveRecord& c) {
  if (!Running()) return;
  // The edited curve's own legend entry: the recorder's list holds the shown
  // curves in curve order, so its place is the curve's ordinal. Both ends go
  // again: a logarithmic end rounds the other one too, and a reversed curve
  // carries its minimum on the right.
  auto ins = curveview::MakeInscription(c);
  Post([ordinal, left = ins->leftScale, right = ins->rightScale](CblRecorder& r) {
    r.SetScaleRange(ordinal, left, right);
  });
}

void CblChart::StyleEdited(int ordinal, const CurveRecord& c) {
  if (!Running()) return;
  Post([ordinal, style = c.printLineStyle + 1](CblRecorder& r) { r.SetCurveStyle(ordinal, style); });
}

void CblChart::LayoutChanged() {
  if (!Printing() || !recorder_) return;
  auto list = std::make_shared<InscriptionList>(BuildList());
  std::array<TrackScale, 4> table{};
  for (std::size_t i = 0; i < 4; ++i) table[i] = view_.scaleTable_[i];
  const bool started = started_;
  auto* scales = &scales_;
  Post([list, table, started, scales](CblRecorder& r) {
    for (std::size_t i = 0; i < 4; ++i) (*scales)[i] = table[i];
    r.BuildGridTemplate();
    r.ClearInscriptions();
    // The cement-bond header restyles the drawers of the new list.
    if (started) r.PrintCblTrackHeader(list.get());
  });
}

void CblChart::Stop(int mode) {
  if (!OnGui([this, mode] { Stop(mode); })) return;
  if (!view_.doc_ || !Printing() || !recorder_) return;
  if (!started_) {
    if (feed_) feed_->PostFinal([rec = std::move(recorder_)]() mutable { rec.reset(); });
    FinishFeed();
    return;
  }
  const bool upward = view_.doc_->LogMode() == curveview::kLogModeUp;
  const bool trailer = view_.doc_->Live() || upward;
  bool heading = false;
  if (!g_bLoggingPaused.load() && mode != -2) {
    if (mode == -1) mode = ShowMessageId(kStrHeaderRequired, MB_YESNO, LoadString(kStrProgramTitle)) == IDYES ? 1 : 0;
    heading = mode == 1;
  }
  const bool formMarks = g_bFormMarkDetect.load() != 0;
  const int endFeed = view_.kind_.endFeed;
  if (feed_)
    feed_->PostFinal([rec = std::move(recorder_), texts = curveview::LogTextsOf(view_.doc_), trailer, heading,
                      formMarks, endFeed]() mutable {
      rec->FinishPlot();
      rec->RepeatCblTrackHeader();
      curveview::CloseChart(*rec, texts, trailer, heading, formMarks, endFeed);
      rec.reset();
    });
  FinishFeed();
}

void CblChart::FinishFeed() {
  std::unique_ptr<curveview::ChartFeed> feed = std::move(feed_);
  if (feed) feed->Finish();
  // A failed last write has posted the printer error by itself.
  if (feed && feed->Failed()) SetPrintingOff();
  recorder_.reset();
  started_ = false;
}

void CblChart::EndOnClose() noexcept {
  try {
    Stop(-1);
  } catch (...) {
    Trace("CCBLView: the chart could not be ended\n");
  }
  try {
    FinishFeed();
  } catch (...) {
  }
}

}  // namespace qv::cbl

// ---------------------------------------------------------------------------
// The view's real-time printing operations

bool CCBLView::CreateRecorder() {
  return chart_->Create();
}

bool CCBLView::HasRecorder() const {
  return chart_->HasRecorder();
}

void CCBLView::StartRealtimePrint(int mode) {
  chart_->Start(mode);
}

void CCBLView::StopRealtimePrint(int mode) {
  chart_->Stop(mode);
}

void CCBLView::FlushRecorder() {
  chart_->Flush();
}
