// The sonde test utility: a modeless dialog that puts the unit into the
// current sonde's logging mode without recording, polls the family's read on
// a worker and shows channel values, waveforms and televiewer sweeps in its
// panels.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sondetest/sonde_test.h"
#include "platform/docview/dialog.h"
#include "platform/docview/gui_thread.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class LogDocumentShell;

// One panel: a sunken static that paints the copy of its trace.
class CDataMonitor : public QFrame {
  Q_OBJECT
public:
  explicit CDataMonitor(QWidget* parent = nullptr);
  // rect in the parent's coordinates.
  bool Create(const std::string& title, const QRect& rect, QWidget* parent, unsigned id, bool imageMode, int samples);
  // From any thread; the panel repaints soon after.
  void ShowData(const void* data, int type, int marker, int threshold);
  void SetZoom(int horizontal, int vertical);
  const std::string& Title() const { return title_; }
  std::shared_ptr<qv::SharedTrace> Trace() const { return trace_; }
  // Asks for a repaint from any thread (coalesced).
  void Changed();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string title_;
  std::shared_ptr<qv::SharedTrace> trace_;
  qv::CoalescedPost repaint_;
};

// How the dialog learns a sonde's tool type and communication standard (the
// sonde database unless replaced).
struct SondeTestLookups {
  std::function<int(const std::string& sonde)> toolType;
  std::function<int(const std::string& sonde)> comStd;
};
SondeTestLookups& SondeTestSources();
void UseDatabaseSondeTestSources();

enum SondeTestId {
  kIdTestFrame = 2488,
  kIdTestChannelCaption = 2485,
  kIdTestValueCaption = 2486,
  kIdTestFirstNumber = 2459,
  kIdTestFirstValue = 2471,
  kIdTestSeparator1 = 2457,
  kIdTestSeparator2 = 2458,
  kIdTestError = 2487,
  kIdTestShowData = 2489,
  kIdTestStart = 2495,
  kIdTestCableSettings = 2511,
  kIdTestCableIf = 2512,
  kIdTestClose = 2267,
  kIdTestVZoom = 3431,
  kIdTestHZoom = 3432,
  kIdTestZoomCaption = 3433,
  kIdTestVCaption = 3434,
  kIdTestHCaption = 3435,
  kIdTestFirstPanel = 2490,
};

class CSondeTestDlg : public qv::Dialog, private qv::SondeTestHost {
  Q_OBJECT
public:
  explicit CSondeTestDlg(QWidget* parent = nullptr);
  ~CSondeTestDlg() override;

  // Tools/Test Sonde: creates and shows the one sonde test window unless it
  // exists or another utility is active. The window, or null.
  static CSondeTestDlg* OnTestSonde(QWidget* parent);
  static CSondeTestDlg* Current();
  // A document that goes closes the test that runs beside it first.
  static void CloseFor(const LogDocumentShell* doc);
  LogDocumentShell* Document() const { return doc_; }

  // Creates the window's content; false when the dialog ended at once (no
  // sonde, no document, a tool type it cannot test).
  bool Create();
  bool OnInitDialog() override;
  void InitTestState();
  void ShowValueFields();
  void OnStartTest();
  void StartStopTest(bool stop);
  void StopWorker();
  void OnShowData();
  void OnTimer();
  void EnableShowData(bool enable);
  void OnCableSettings();
  void OnTestCableIF();
  void OnHScroll();
  void OnClose();
  void OnDestroy();
  void OnOK() override {}  // Enter does nothing
  void OnCancel() override { OnClose(); }

  qv::SondeTestEngine* Engine() const { return engine_.get(); }
  const std::vector<CDataMonitor*>& Panels() const { return panels_; }
  QLabel* Value(int channel) const { return values_[static_cast<size_t>(channel - 1)]; }
  QLabel* Number(int channel) const { return numbers_[static_cast<size_t>(channel - 1)]; }
  QLabel* ErrorText() const { return error_; }
  QPushButton* StartButton() const { return start_; }
  QCheckBox* ShowDataButton() const { return showData_; }
  QSlider* HZoom() const { return hZoom_; }
  QSlider* VZoom() const { return vZoom_; }
  bool TimerActive() const { return timer_.isActive(); }

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void ShowErrorText(const std::string& text) override;
  void UpdateBars(int timeMs, uint8_t status1, uint8_t status2, int sondeValue, int tension, int depth,
                  int speed) override;

  LogDocumentShell* doc_ = nullptr;
  std::string sonde_;
  std::unique_ptr<qv::SondeTestEngine> engine_;
  std::vector<CDataMonitor*> panels_;
  QGroupBox* frame_;
  QLabel *channelCaption_, *valueCaption_, *error_;
  QFrame *separator1_, *separator2_;
  std::vector<QLabel*> numbers_, values_;
  QCheckBox* showData_;
  QPushButton *start_, *cable_, *cableIf_, *close_;
  QSlider *vZoom_, *hZoom_;
  QLabel *zoomCaption_, *vCaption_, *hCaption_;
  QTimer timer_;
  qv::CoalescedPost errorPost_;
  bool created_ = false;
  bool destroyed_ = false;
};
