// CCurveView: the curve display of six- and twelve-channel logs. Tracks side
// by side under a legend, one of them the depth track; the newest rows of the
// log scroll in as records arrive.
//
// The layout, the rows and the drawing geometry live in the widget-free model
// (logview/model); this class adds the window, the painting and the
// commands. AddSample runs on the record thread and UpdateDisplay on the
// display thread; everything else belongs to the user-interface thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "logview/channelsheet.h"
#include "logview/model/document.h"
#include "logview/model/drawing.h"
#include "logview/model/history.h"
#include "logview/model/layout.h"
#include "platform/docview/docview.h"

class QPainter;
namespace curveview {
class ChartFeed;
class CurvePageSource;
class CurveChartRecorder;
}  // namespace curveview
namespace qv::print {
class LogPagePrinter;
}

class CCurveView : public qv::View {
  Q_OBJECT
 public:
  // The View menu's commands.
  static constexpr int kChangeLayoutCommand = 1041;
  static constexpr int kChannelDisplayCommand = 1057;
  // Page printing (view_print.cpp): File/Page Mode Print and the print preview.
  static constexpr int kPrintCommand = 57607;
  static constexpr int kPrintPreviewCommand = 57609;

  // How often scrolled rows reach the screen, at most.
  static constexpr int kRepaintIntervalMs = 40;

  explicit CCurveView(QWidget* parent = nullptr);
  ~CCurveView() override;

  // Opening: the opener hands over the layout records (the view owns them
  // from then on), then sets the view up from its document.
  void SetLayout(std::vector<std::unique_ptr<TrackRecord>> tracks, std::vector<std::unique_ptr<CurveRecord>> curves);
  int InitialiseFromDocument(curveview::CurveDocument* document);
  void SetDepthStep(int step);
  void LayoutTracks();

  // Rows.
  void ResetScroll();
  void SetDisplayDepth(int depth, bool noAdvance);
  void AddSample(std::span<const double> values);
  void UpdateDisplay();
  void ResetCurves(bool restart);

  // Real-time printing on the chart recorder (realtime_print.cpp). The
  // recorder is created on this thread; what it prints after that goes
  // through its chart feed. Stop and flush asked from another thread run
  // later on this one.
  int CreateRecorder(bool* upward = nullptr);
  void StartRecorder();
  void StartRealtimePrint(int mode);
  void StopRealtimePrint(int mode);
  void FlushRecorder();
  bool HasRecorder() const { return recorder_ != nullptr; }

  // Writes the channel part of the log's header; 1 when all writes succeeded.
  virtual int WriteChannelHeader();

  // Commands.
  void EditScaleRange(int index, int position, int x, int y);
  void SyncTrackScales(int curve, int decades, int mantissa, bool keepTop);
  void OnChangeLayout();
  void OnChannelDisplay();
  bool OnUpdateChannelDisplay() const { return sheet_.HasWindow(); }
  // Whether the log can be printed now: a document that can, neither
  // running nor stopped for good.
  bool OnUpdateFilePrint() const;
  void OnFilePrint();
  void OnFilePrintPreview();
  // The view's page printer (its settings, printer and dialog); null when
  // the document cannot be printed.
  qv::print::LogPagePrinter* PagePrinter();

  // Paints the whole view onto any device.
  void Paint(QPainter& painter);
  void OnDraw(QPainter& painter) override;

  // What page printing and tests read.
  std::vector<CurveRecord>& Curves() { return curves_; }
  const std::vector<CurveRecord>& Curves() const { return curves_; }
  std::vector<TrackRecord>& Tracks() { return tracks_; }
  int LegendRows() const { return legendRows_; }
  int LegendHeight() const { return legendHeight_; }
  int TracksRight() const { return tracksRight_; }
  curveview::HistoryWindow Window() const { return window_; }
  // The chart recorder's table of the grid tracks: the first mantissa and the
  // signed decade count of a logarithmic grid ({0, 0} for a linear one), from
  // the layout as it stands, so a chart started or re-scaled before the next
  // painting gets the grid the view shows.
  std::array<std::pair<int, int>, 5> DecadeTable() const;
  curveview::CurveRows& Rows() { return rows_; }
  CChannelSheet& Sheet() { return sheet_; }
  curveview::CurveDocument* Document() const { return doc_; }
  bool Upward() const { return upward_; }
  bool DepthScaled() const;
  const QFont& NormalFont() const { return normal_; }

  // The rectangles of a curve's legend box that a double click can hit.
  struct LegendHits {
    QRect minimum, maximum, swatch, printStyle;
  };
  LegendHits HitRects(const CurveRecord& curve) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void InstallPrintCommands();
  bool Printing() const;
  void SetPrintingOff();
  void DropRecorder();
  bool PostToRecorder(std::function<void(curveview::CurveChartRecorder&)> job);
  void HandOverRows(int n, int minuteAge);
  void SetRecorderDepth(int depth, bool noAdvance);
  void SendRecorderDepth();
  void FinishFeed();
  void RecorderFailed();
  void EndRealtimePrintOnClose() noexcept;
  bool RunsOnGui(std::function<void()> again);
  int ChartPosition(int curve) const;
  bool ChartRunning() const;
  void PostGridUpdate(std::function<void(curveview::CurveChartRecorder&)> then);
  void ChartScaleEdited(int curve, bool minimum);
  void ChartStyleEdited(int curve);
  void ChartLayoutChanged();
  void FlushRows();
  void RequestRepaint();
  bool EditScaleEnd(int index, bool minimum);
  void DrawLegendBoxes(QPainter& p);
  void DrawTracks(QPainter& p);
  void DrawDepthTrack(QPainter& p, const TrackRecord& track);
  void DrawCurves(QPainter& p);

  curveview::CurveDocument* doc_ = nullptr;
  std::vector<TrackRecord> tracks_;
  std::vector<std::unique_ptr<CurveRecord>> source_;
  std::vector<CurveRecord> curves_;
  curveview::CurveRows rows_;
  curveview::HistoryWindow window_;
  int lineWidth_ = 1;
  int legendRows_ = 1;
  int legendHeight_ = curveview::kLegendRowHeight;
  int tracksRight_ = 0;
  int screenHeight_ = 0;
  bool depthMode_ = true;
  bool upward_ = false;
  std::string depthTitle_, depthShortTitle_, depthUnit_;

  QFont normal_, bold_;
  QColor face_, highlight_, shadow_, buttonText_;

  QRect hitFrame_;  // the legend part a double click opened a dialog for
  CChannelSheet sheet_;
  std::unique_ptr<curveview::CurvePageSource> pageSource_;
  std::unique_ptr<qv::print::LogPagePrinter> pagePrinter_;
  QTimer scrollTimer_;
  std::atomic<bool> flushQueued_{false};

  // The chart recorder while the log prints in real time (shared with the
  // jobs queued for it, so that the last one deletes it on the feed).
  std::shared_ptr<curveview::CurveChartRecorder> recorder_;
  std::unique_ptr<curveview::ChartFeed> chartFeed_;
  std::array<std::pair<int, int>, 5> chartScales_{};  // the decade table the recorder was made with
  bool legendSent_ = false;
  bool printingOff_ = false;  // a recorder failure ended real-time printing
  int chartCurves_ = 0;       // legend entries of the track header sent
  // The depth the record thread set for the rows that follow it (and whether
  // the paper advances to it): it reaches the recorder before those rows do.
  std::mutex recorderDepthMutex_;
  std::optional<std::pair<int, bool>> recorderDepth_;
};
