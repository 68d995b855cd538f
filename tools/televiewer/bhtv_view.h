// The televiewer view: a depth track and two image tracks (the amplitude and
// the transit-time image of the borehole wall, newest row at the top) with a
// colour scale in each image track's heading. Sweeps become rows on the
// record thread (TeleviewerRowBuilder); the display pump moves them into the
// index images under a short lock; painting draws the images scaled into
// their tracks. Track borders can be dragged; View/Invert BHTV colours and
// the two normalisations act on every televiewer view.
#pragma once

#include <QImage>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "logdoc/document/log_engine.h"
#include "platform/docview/docview.h"
#include "sondedb/records/records.h"
#include "tools/televiewer/bhtv_chart.h"
#include "tools/televiewer/image_rows.h"
#include "tools/televiewer/televiewer_log.h"
#include "logview/model/track_layout.h"

namespace curveview {
class ChartFeed;
}
namespace qv {
class TeleviewerPageSource;
namespace print {
class LogPagePrinter;
}
}  // namespace qv

// Process-wide: every televiewer view converts with these from its next sweep.
extern std::atomic<int> g_bNormaliseBHTVAmplitude;
extern std::atomic<int> g_bNormaliseBHTVTransitTime;

class CBHTVView : public qv::View, public qv::TeleviewerDisplay, public qv::RecordSink {
  Q_OBJECT
 public:
  static constexpr int kInvertColoursCommand = 1045;
  static constexpr int kNormaliseAmplitudeCommand = 1060;
  static constexpr int kNormaliseTransitCommand = 1061;
  static constexpr int kHeadingRowHeight = 30;
  static constexpr int kBorderWidth = 1;
  static constexpr int kBorderHit = 5;
  static constexpr int kViewLockWaitMs = 10000;
  static constexpr int kPrintCommand = 57607;
  static constexpr int kPrintPreviewCommand = 57609;

  // imageHeight: the rows the images and stores hold (0: the tallest screen).
  explicit CBHTVView(int imageHeight = 0, QWidget* parent = nullptr);
  ~CBHTVView() override;

  // Opening: the layout records of the log, then the set-up from the log's
  // depth unit and step.
  void SetLayout(std::vector<TrackRecord> tracks, std::vector<CurveRecord> curves);
  bool SetupLayout(bool imperial, int depthStep);
  // The log whose sweeps and minute marks come here (not owned).
  void SetEngine(qv::TeleviewerEngine* engine) { engine_ = engine; }
  // LogType of the log's header (a log of another type counts one step per moving sweep).
  void SetLogType(int logType) { logType_ = logType; }
  // Whether the log goes on into the next file of its chain (page printing).
  void SetFollowChain(std::function<bool()> followChain) { followChain_ = std::move(followChain); }
  void LayoutTracks();

  // ---- what the document calls
  void ConvertSweepToRow(const TeleviewerSweep& sweep) override;
  void FlushImageRows();
  void ResetDisplay(bool live);
  void SetDepth(int depth, bool live);
  int SaveLayoutToHeader();

  // ---- the real-time chart (user-interface thread; calls from other
  // threads are passed to it). Everything after the recorder's creation goes
  // through its chart feed, in order; a failed write switches real-time
  // printing off for the log, shows the printer error report and lets the
  // log go on.
  // Creates the recorder when real-time printing is on (Retry/Cancel on a
  // failure); an existing one is kept and started again. 1 when there is one.
  int CreateRecorder();
  // A new chart: an existing recorder is ended first (after what it holds).
  void StartChartRecorder();
  // The chart heading (after the trailer of a replayed log that is not upward).
  void BeginChart(int mode);
  // The footer, the trailer and, asked for, the remarks and heading; then the
  // recorder goes. mode -1 asks when rows are pending, 1 heading, -2 none.
  void EndChart(int mode);
  // Direct real-time printing: the pending rows to the chart without the screen.
  void FlushRecorder();
  bool HasRecorder() const { return recorder_ != nullptr; }

  // ---- page printing (File/Page Mode Print and its preview): offered
  // while the log neither runs nor has stopped for good.
  bool OnUpdateFilePrint() const;
  void OnFilePrint();
  void OnFilePrintPreview();
  // The view's page printer (made on first use); null without a log.
  qv::print::LogPagePrinter* PagePrinter();

  // ---- RecordSink (the engine's calls)
  void AddSample(std::span<const double>) override {}
  void SetDisplayDepth(int depth) override { SetDepth(depth, true); }
  void ResetCurves(bool restart) override { ResetDisplay(restart); }
  void UpdateDisplay() override { FlushImageRows(); }
  int WriteChannelHeader() override { return SaveLayoutToHeader(); }

  // ---- state for the tests and the printing
  const std::vector<TrackRecord>& Tracks() const { return tracks_; }
  const std::vector<CurveRecord>& Curves() const { return curves_; }
  // The curve table the view and its pages draw the strips of.
  std::vector<CurveRecord>& Curves() { return curves_; }
  int HeadingHeight() const { return headingRows_ * kHeadingRowHeight; }
  int ShownDepth() const { return shownDepth_; }
  // Whether the shown rows were logged upward (the depth labels count down the screen).
  bool ShownUp() const { return shownUp_; }
  // The depth-track marks of the shown rows, as the last flush left them (a
  // copy taken under the images' lock): entry kNewest is the top image row.
  std::vector<std::uint8_t> ShownMarks();
  const qv::TeleviewerImageStore& Images() const { return images_; }
  // The track whose right border lies under x, else -1.
  int BorderAt(int x) const;
  bool Tracking() const { return tracking_; }
  int TrackedBorder() const { return trackedBorder_; }
  void StartTracking(int track);
  void StopTracking(bool accept);

 protected:
  void OnDraw(QPainter& painter) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Tab and Shift+Tab cycle through the borders instead of moving the focus.
  bool event(QEvent* event) override;

 private:
  void DrawDepthTrack(QPainter& p, const TrackRecord& t);
  void DrawImageTrack(QPainter& p, const CurveRecord& c, const TrackRecord& t);
  void MoveTracker(int x);
  void TrackNextBorder(bool previous);
  bool Printing() const;
  void SetPrintingOff();
  bool RunsOnGui(std::function<void()> again);
  // The header and trailer of the log as they stand, for the chart's blocks.
  curveview::ChartLogTexts LogTexts() const;
  void RestartChart(bool live, int depth);
  void TakeRows(int threshold, bool screen);
  void QueueStartDepth(int depth);
  void SendStartDepth();
  void PostToRecorder(std::function<void(qv::TeleviewerChartRecorder&)> job);
  void FinishFeed();
  void DropRecorder();
  void RecorderFailed();
  void EndChartOnClose() noexcept;
  void InstallPrintCommands();

  const int imageHeight_;
  qv::TeleviewerRowBuilder builder_;
  qv::TeleviewerImageStore images_;
  qv::FlushedRows flushed_;
  std::vector<std::uint8_t> shownHistory_;  // the mark history of the last flush
  QVector<QRgb> colours_;
  qv::TeleviewerEngine* engine_ = nullptr;
  std::atomic<int> logType_{1};
  std::vector<TrackRecord> tracks_;
  std::vector<CurveRecord> curves_;
  int headingRows_ = 1;
  qv::DepthTrackRecord depthTrack_;
  int shownDepth_ = 0;
  bool shownUp_ = true;
  int visibleLimit_ = 0;
  bool tracking_ = false;
  int trackedBorder_ = -1;
  int trackerX_ = 0;
  // The chart: the recorder and its worker (user-interface thread), whether
  // rows go to it (read by the record thread), and a start depth the record
  // thread asked for that goes out before the next rows.
  std::shared_ptr<qv::TeleviewerChartRecorder> recorder_;
  std::unique_ptr<curveview::ChartFeed> chartFeed_;
  std::atomic<bool> chartOpen_{false};
  std::mutex startDepthMutex_;
  std::optional<int> startDepth_;
  std::function<bool()> followChain_;
  std::unique_ptr<qv::TeleviewerPageSource> pageSource_;
  std::unique_ptr<qv::print::LogPagePrinter> pagePrinter_;
};
