// CSonicView: the view of a sonic log. Below a band of legend boxes, tracks
// side by side: curve tracks with the channel curves, an 80-pixel depth track
// and waveform tracks, each showing one waveform of the sonde either as a
// grey image (one row per display row) or as wiggle traces with the part
// before the arrival in light grey.
//
// The rows, the trace history and the image live in the widget-free
// SonicDisplay; the layout and drawing geometry are the curve display's.
// AddWaveformRecord runs on the record thread; UpdateDisplay, the painting
// and the commands on the user-interface thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "logview/channelsheet.h"
#include "logview/legend_paint.h"
#include "logview/model/document.h"
#include "logview/model/track_layout.h"
#include "logview/model/layout.h"
#include "platform/docview/docview.h"
#include "tools/sonic/sonic_display.h"
#include "tools/sonic/sonic_log.h"

class SonicPageSource;
namespace qv::print {
class LogPagePrinter;
}

class CSonicView : public qv::View, public qv::SonicSink {
  Q_OBJECT
 public:
  static constexpr int kChangeLayoutCommand = 1041;
  static constexpr int kChannelDisplayCommand = 1057;
  static constexpr int kViewLockWaitMs = 10000;
  static constexpr int kIconWidth = 30;

  // screenHeight: the screen the image is made for (0: the primary screen's).
  explicit CSonicView(int screenHeight = 0, QWidget* parent = nullptr);
  ~CSonicView() override;

  // Opening: the layout records of the log (the view owns them from then
  // on), then the set-up from the document with its samples per waveform
  // and waveform count.
  void SetLayout(std::vector<std::unique_ptr<TrackRecord>> tracks, std::vector<std::unique_ptr<CurveRecord>> curves);
  int SetupLayout(curveview::CurveDocument* document, int samples, int waves);
  void LayoutTracks();

  // ---- rows
  void ResetScroll();
  void ResetDisplay(bool live);
  void SetDepth(int depth);

  // ---- SonicSink (the log's calls)
  void AddWaveformRecord(std::span<const double> values, std::span<const std::int16_t> waveforms) override;
  void SetDisplayDepth(int depth) override { SetDepth(depth); }
  void ResetCurves(bool restart) override { ResetDisplay(restart); }
  void UpdateDisplay() override;
  int WriteChannelHeader() override { return SaveLayoutToHeader(); }
  // The view's channel layout into the log's header: 1 when every write succeeded.
  virtual int SaveLayoutToHeader();

  // ---- commands
  void EditScaleRange(int index, int position, int x, int y);
  void OnChangeLayout();
  void OnChannelDisplay();
  bool OnUpdateChannelDisplay() const { return sheet_.HasWindow(); }

  // Page printing: the view's page printer (its settings, printer and
  // dialog); null when the log cannot be printed.
  qv::print::LogPagePrinter* PagePrinter();

  // Paints the whole view onto any device.
  void Paint(QPainter& painter);
  void OnDraw(QPainter& painter) override;

  // ---- what printing and tests read
  std::vector<CurveRecord>& Curves() { return curves_; }
  std::vector<TrackRecord>& Tracks() { return tracks_; }
  int LegendHeight() const { return legendRows_ * curveview::kLegendRowHeight; }
  const qv::SonicDisplay& Display() const { return display_; }
  qv::SonicDisplay& Display() { return display_; }
  const qv::DepthTrackRecord& DepthTrack() const { return depthTrack_; }
  curveview::HistoryWindow Window() const { return window_; }
  CChannelSheet& Sheet() { return sheet_; }
  bool Wiggle() const { return display_.Wiggle(); }
  // A waveform-channel curve: physical channel 13 to 12 + the waveform count.
  bool IsWaveformCurve(const CurveRecord& c) const;

  // The parts of a curve's legend box that a double click can hit (the
  // corner at the top right holds a waveform curve's mode icon).
  curveview::LegendHits HitRects(const CurveRecord& curve) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool DepthScaled() const;
  bool EditScaleEnd(int index, bool minimum);
  void BringImageIntoTrack(int index);
  void DrawLegendBoxes(QPainter& p);
  void DrawTracks(QPainter& p);
  void DrawDepthTrack(QPainter& p, const TrackRecord& track);
  void DrawLegends(QPainter& p);
  void DrawImages(QPainter& p);
  void DrawCurves(QPainter& p);

  const int screenHeight_;
  curveview::CurveDocument* doc_ = nullptr;
  std::vector<TrackRecord> tracks_;
  std::vector<std::unique_ptr<CurveRecord>> source_;
  std::vector<CurveRecord> curves_;
  int legendRows_ = 1;
  int tracksRight_ = 0;
  bool depthMode_ = true;
  bool upward_ = true;
  curveview::HistoryWindow window_;
  qv::DepthTrackRecord depthTrack_;
  qv::SonicDisplay display_;
  QVector<QRgb> greys_;
  QFont normal_, bold_;
  curveview::LegendPalette colours_;
  QRect hitFrame_;  // the legend part a double click opened a dialog for
  CChannelSheet sheet_;
  std::unique_ptr<SonicPageSource> pageSource_;
  std::unique_ptr<qv::print::LogPagePrinter> pagePrinter_;
};
