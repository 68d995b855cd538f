// The cement-bond view: the six processed channels as curves in tracks beside
// a depth track, and the near and far receiver waveforms as variable-density
// images (or wiggle traces) in tracks of their own, with the free-pipe gates
// drawn over them. Rows, histories, display lines and the image come from the
// waveform display engine (tools/waveform); this class adds the window, the
// painting, dragging borders and gates, the legend edits and the View
// commands, and the chart recorder of real-time printing.
//
// Threads: AddDepthRow on the record thread; UpdateDisplay on the display
// pump; everything else on the user-interface thread.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logview/channelsheet.h"
#include "logview/model/document.h"
#include "logview/model/track_layout.h"
#include "platform/docview/docview.h"
#include "sondedb/records/records.h"
#include "tools/cementbond/cbl_display.h"
#include "tools/cementbond/cbl_document.h"
#include "tools/waveform/vdl_engine.h"

namespace qv::cbl {
class CblChart;
class CblPageSource;
}  // namespace qv::cbl
namespace qv::print {
class LogPagePrinter;
}

class CCBLView : public qv::View, public qv::CementBondSink {
  Q_OBJECT
 public:
  static constexpr int kChangeLayoutCommand = 1041;
  static constexpr int kChannelDisplayCommand = 1057;
  // Page printing: File/Page Mode Print and the print preview.
  static constexpr int kPrintCommand = 57607;
  static constexpr int kPrintPreviewCommand = 57609;
  static constexpr int kLegendRowHeight = 30;
  static constexpr int kBorderWidth = 1;
  static constexpr int kBorderHit = 5;
  static constexpr int kViewLockWaitMs = 10000;
  static constexpr int kNearGateHit = 1000;
  static constexpr int kFarGateHit = 1001;

  // imageHeight: the lines the image holds (0: the screen height + 100).
  explicit CCBLView(int imageHeight = 0, QWidget* parent = nullptr);
  ~CCBLView() override;

  // Opening: the layout records of the log, then the set-up from its documents.
  void SetLayout(std::vector<TrackRecord> tracks, std::vector<CurveRecord> curves);
  bool SetupLayout(curveview::CurveDocument* document, qv::WaveformLogDocument* log);
  // The documents are going: the view keeps drawing what it holds.
  void Detach();
  void LayoutTracks();

  // ---- what the log calls (CementBondSink)
  void ResetScroll() override;
  void ResetDisplay(bool live) override;
  void SetDepth(int depth, bool noAdvance) override;
  void AddDepthRow(const CblWaveformSegment& segment, const double values[6]) override;
  void UpdateDisplay() override;
  void FlushRecorder() override;
  void StartRealtimePrint(int mode) override;
  void StopRealtimePrint(int mode) override;
  int SaveLayoutToHeader() override;
  void Redraw() override;

  // Real-time printing: creates the recorder (false: none, printing off).
  bool CreateRecorder();
  bool StartChartRecorder() { return CreateRecorder(); }
  bool HasRecorder() const;

  // ---- commands and interaction
  void EditScaleRange(int curve, int ordinal, int x, int y);
  void OnChangeLayout();
  void OnChannelDisplay();
  // Printing: allowed while the log neither runs nor has stopped for good.
  bool OnUpdateFilePrint() const;
  void OnFilePrint();
  void OnFilePrintPreview();
  qv::print::LogPagePrinter* PagePrinter();
  // Whether a replay goes on into the next file of the log's chain.
  void SetFollowChain(std::function<bool()> follow) { followChain_ = std::move(follow); }
  // The border or gate under a point: a track index, kNearGateHit,
  // kFarGateHit, or -1.
  int HitTest(int x, int y) const;
  void StartTracking(int hit);
  void StopTracking(bool apply);
  bool Tracking() const { return tracking_; }
  QRect TrackerRect() const { return tracker_; }
  bool WiggleMode() const { return wiggle_; }
  void SetWiggleMode(bool on);

  // ---- state for tests and printing
  std::vector<CurveRecord>& Curves() { return curves_; }
  std::vector<TrackRecord>& Tracks() { return tracks_; }
  int LegendRows() const { return legendRows_; }
  int LegendHeight() const { return legendRows_ * kLegendRowHeight; }
  int ExtraCurves() const { return extraCurves_; }
  const std::array<std::pair<int, int>, 4>& ScaleTable() const { return scaleTable_; }
  const qv::DepthTrackRecord& DepthTrack() const { return depthTrack_; }
  qv::vdl::VdlEngine& Engine() { return engine_; }
  curveview::CurveDocument* Document() const { return doc_; }
  qv::WaveformLogDocument* Log() const { return log_; }
  const qv::cbl::WaveformViewKind& Kind() const { return kind_; }
  // The display engine's shape for a kind of view and an image height.
  static qv::vdl::VdlGeometry GeometryOf(const qv::cbl::WaveformViewKind& kind, int imageHeight);
  qv::cbl::Gates CurrentGates() const;
  bool Upward() const { return upward_; }
  bool DepthMode() const { return depthMode_; }
  int SondeLength() const { return sondeLength_; }
  CChannelSheet& Sheet() { return sheet_; }
  const QFont& NormalFont() const { return normal_; }

  // The parts of a legend box a double click can hit.
  struct LegendHits {
    QRect minimum, maximum, swatch, style;
  };
  LegendHits HitRects(const CurveRecord& curve) const;
  QRect LegendBoxOf(const CurveRecord& curve) const;

  void OnDraw(QPainter& painter) override;

 protected:
  // A variant of the view (the full-wave sonic view).
  CCBLView(const qv::cbl::WaveformViewKind& kind, int imageHeight, QWidget* parent);
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  friend class qv::cbl::CblChart;
  void InstallPrintCommands();
  void BuildScroll();
  bool EditScaleEnd(CurveRecord& c, bool minimum);
  void DrawLegendBoxes(QPainter& p);
  void DrawDepthTrack(QPainter& p, const TrackRecord& t);
  void DrawCurve(QPainter& p, const CurveRecord& c, const TrackRecord& t, const QImage& image);
  QRect GateRect(bool far) const;
  const TrackRecord* FirstTrackOf(const CurveRecord& c) const;
  const CurveRecord* WaveformCurve(bool far) const;
  void MoveTracker(int x);
  void Frame3d(QPainter& p, const QRect& r, bool raised) const;
  // The log whose gates the view draws and drags; null for a view without gates.
  qv::CCBLDocument* GateLog() const;

  const qv::cbl::WaveformViewKind& kind_;
  const int imageHeight_;
  qv::vdl::VdlEngine engine_;
  curveview::CurveDocument* doc_ = nullptr;
  qv::WaveformLogDocument* log_ = nullptr;
  std::vector<TrackRecord> tracks_;
  std::vector<CurveRecord> curves_;
  struct Caption {
    std::string shortTitle, unit;
    int value = 0;
  };
  std::array<Caption, 6> captions_;
  int legendRows_ = 1;
  int extraCurves_ = 0;
  int maxFilterWindow_ = 51;
  int sondeLength_ = 0;
  bool upward_ = true;
  bool depthMode_ = true;
  std::atomic<bool> wiggle_{false};
  qv::DepthTrackRecord depthTrack_;
  std::array<std::pair<int, int>, 4> scaleTable_{};
  QVector<QRgb> greys_;
  QFont normal_, bold_;
  QColor face_, highlight_, shadow_, text_;
  CChannelSheet sheet_;

  bool tracking_ = false;
  int tracked_ = -1;
  QRect limit_, tracker_;
  int cursorOffset_ = 0;
  QRect hitFrame_;

  std::unique_ptr<qv::cbl::CblChart> chart_;
  std::function<bool()> followChain_;
  std::unique_ptr<qv::cbl::CblPageSource> pageSource_;
  std::unique_ptr<qv::print::LogPagePrinter> pagePrinter_;
};
