// The cable transmission monitor: an oscilloscope view of the cable signal.
// While the unit is in cable-scope mode the log document's monitor thread
// keeps the newest 12288-sample shot; the dialog copies it on a timer and
// draws it in its trace panel with a time base of 1 to 10 and a position.
#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/docview/dialog.h"

class QLabel;
class QPushButton;
class QScrollBar;
class CScopeShotDlg;

namespace qv {
class LiveDevice;
}

// The trace panel: black, an olive grid and centre line, the red level lines
// and the yellow trace.
class CMonitor : public QWidget {
  Q_OBJECT
 public:
  explicit CMonitor(QWidget* parent = nullptr);
  void SetDialog(CScopeShotDlg* dialog) { dialog_ = dialog; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  CScopeShotDlg* dialog_ = nullptr;
};

class CScopeShotDlg : public qv::Dialog {
  Q_OBJECT
 public:
  enum ControlId {
    kIdSnapshot = 2028,
    kIdPosition = 2332,
    kIdTimeBase = 2333,
    kIdTimeBaseText = 2420,
    kIdPanel = 2276,
  };
  // Scroll notifications, as the bars report them.
  enum ScrollCode {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
  };
  static constexpr int kSamples = 12288;
  static constexpr int kPanelWidth = 600;
  static constexpr int kPanelHeight = 256;

  // The samples come from the document's live unit; without one the trace
  // shows the buffer as it is.
  CScopeShotDlg(QWidget* parent, qv::LiveDevice* document);
  ~CScopeShotDlg() override;

  bool OnInitDialog() override;
  void OnTimer();
  void OnVScroll(int code, int position);
  void OnHScroll(int code, int position);
  void OnSnapshot();
  // point in the dialog's coordinates.
  void OnMouseMove(QPoint point);
  void OnCancel() override;
  void FetchSamples();
  void UpdateScopeTrace();

  int TimeBase() const { return timeBase_; }
  int Position() const { return position_; }
  int PositionLow() const { return positionLow_; }
  int PositionHigh() const { return positionHigh_; }
  int Level() const { return level_; }
  // The timer period in ms, 0 while stopped.
  int TimerPeriod() const;
  const std::vector<QPoint>& Points() const { return points_; }
  // The first kSamples bytes are the newest samples.
  std::vector<uint8_t>& SampleBuffer() { return samples_; }
  CMonitor* Panel() const { return panel_; }
  QScrollBar* PositionBar() const { return positionBar_; }
  QScrollBar* TimeBaseBar() const { return timeBaseBar_; }
  QPushButton* SnapshotButton() const { return snapshot_; }
  QLabel* TimeBaseText() const { return timeBaseText_; }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  friend class CMonitor;
  void StartTimer(int periodMs);
  void SetPositionRange();

  qv::LiveDevice* document_;
  std::string caption_;
  QRect panelRect_;
  CMonitor* panel_;
  std::vector<QPoint> points_;
  int timeBase_ = 1;
  int level_ = 0;
  QPushButton* snapshot_;
  QScrollBar* positionBar_;
  QScrollBar* timeBaseBar_;
  QLabel* timeBaseText_;
  std::vector<uint8_t> samples_;
  QTimer timer_;
  int timerId_ = 0;
  int positionLow_ = 1, positionHigh_ = 100, position_ = 1;
  int timeBaseLow_ = 1, timeBaseHigh_ = 10;
  float scale_ = 1;
};
