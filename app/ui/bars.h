// The control bars of a log window: the sonde control bar, the winch control
// bar and the replay control bar. Their readings and message lines may be
// updated from any thread; those calls are queued to the GUI thread, only
// the newest of a kind is shown, and a bar that is gone by then is skipped.
#pragma once

#include <QPointer>
#include <QPushButton>

#include <atomic>
#include <string>
#include <vector>

#include "app/ui/panels.h"
#include "platform/docview/dialog.h"
#include "platform/docview/gui_thread.h"
#include "sondedb/commands.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// Control and command ids of the bars.
enum BarId {
  kIdSondePower = 2385,
  kIdRecord = 2387,
  kIdPause = 2384,
  kIdSondeStop = 2391,
  kIdSend = 2389,
  kIdCommandList = 2378,
  kIdCommandValue = 2375,
  kIdWinchPower = 2505,
  kIdWinchStop = 2506,
  kIdDown = 2500,
  kIdUp = 2508,
  kIdSpeedSlider = 2399,
  kIdReplayData = 1020,
  kIdPauseReplay = 1017,
  kIdRestartReplay = 1018,
  kIdStopReplay = 1019,
  kIdPrintDirect = 1063,
  kIdReplaySlider = 2295,
  kIdReplayControlBar = 1046,
  kIdSondeControlBar = 1047,
  kIdWinchControlBar = 1052,
};

class CSondeControl : public qv::DialogBar {
  Q_OBJECT
public:
  explicit CSondeControl(QWidget* parent = nullptr);
  ~CSondeControl() override;
  // newLog: the window belongs to a new log (clear for the idle document).
  bool InitControls(bool newLog);
  void LoadCommandList();
  void OnSondePower();
  void OnRecord();
  void OnPause();
  void OnStop();
  void OnSend();
  void OnCommandSelected();
  // From any thread.
  bool UpdateStatus(int elapsedMs, uint8_t current, uint8_t voltageCode, int sondeValue);
  void ShowMessage(const std::string& text);

  QPushButton* Button(int id) const;
  QComboBox* CommandList() const { return commands_; }
  QLineEdit* CommandValue() const { return value_; }
  CMessageLine* MessageLine() const { return message_; }
  CMessageLine* TitleLine() const { return title_; }
  CDisplay* CurrentDisplay() const { return current_; }
  CDisplay* VoltageDisplay() const { return voltage_; }
  CDisplay* LogTimeDisplay() const { return logTime_; }
  bool PowerOn() const { return powerOn_; }
  bool Recording() const { return recording_; }
  const std::vector<qv::SondeCommandRecord>& Commands() const { return list_; }
  // The pause after PSE and STP (tests shorten it).
  static void SetStopPause(unsigned ms);

private:
  void UpdateStatusNow(int elapsedMs, int current, int voltageCode, int sondeValue);
  void ShowMessageNow(const std::string& text);
  void SwitchLoggingOff();
  const qv::SondeCommandRecord* Selected() const;

  bool powerOn_ = false;
  bool recording_ = false;
  bool newLog_ = false;
  QPushButton *power_, *stop_, *pause_, *record_, *send_;
  QComboBox* commands_;
  QLineEdit* value_;
  CDisplay *current_, *voltage_, *logTime_;
  CMessageLine *message_, *title_;
  std::vector<qv::SondeCommandRecord> list_;
  int16_t previousCode_ = 0;
  int16_t currentCode_ = 0;
  int32_t lastReply_ = -1;
  qv::CoalescedPost statusPost_;
  qv::CoalescedPost messagePost_;
};

class CWinchControl : public qv::DialogBar {
  Q_OBJECT
public:
  explicit CWinchControl(QWidget* parent = nullptr);
  ~CWinchControl() override;
  bool InitControls();
  void LoadWinchSetup();
  void OnPower();
  void OnStop();
  void OnDown();
  void OnUp();
  // A scroll action of the speed slider; endScroll for the end of one.
  void OnHScroll(bool endScroll);
  void SendWinchCommand(int speed, bool showIt);
  // From any thread.
  bool UpdateReadings(int tension, int depth, int speed);
  void ShowSpeed(int speed, bool setPoint);
  void ShowDepth(int depth);
  void ShowTension(int tension);
  void ShowMessage(const std::string& text);
  // The depth-unit labels ("[m]", "[m/min]" or the feet ones).
  void UpdateUnitLabels();
  // Whether the readings are the sonde's own (a live log) and a rising sonde
  // near the surface is warned of; a replay's depths are the log's.
  void SetWatchesSurface(bool watch) { watchesSurface_ = watch; }

  QPushButton* Button(int id) const;
  QSlider* SpeedSlider() const { return slider_; }
  CDisplay* DepthDisplay() const { return depth_; }
  CDisplay* TensionDisplay() const { return tension_; }
  CDisplay* SpeedDisplay() const { return speed_; }
  CMessageLine* MessageLine() const { return message_; }
  CMessageLine* TitleLine() const { return title_; }
  // The stand-in STP while a modal dialog blocks the bar; null otherwise.
  QPushButton* ModalStop() const { return modalStop_; }
  QLabel* DepthUnitLabel() const { return depthUnit_; }
  QLabel* SpeedUnitLabel() const { return speedUnit_; }
  bool PowerOn() const { return powerOn_; }
  int Direction() const { return direction_; }
  int SetPoint() const { return speedSetPoint_; }
  double DacFactor() const { return dacFactor_; }
  bool Dragging() const { return dragging_; }

private:
  // Copies power, direction and set point into the process-wide state that
  // the next winch bar starts from.
  void HandOnState();
  void ShowSpeedNow(int speed, bool setPoint);
  void ShowMessageNow(const std::string& text);
  // Warns on the message line while a rising sonde is near the surface, and
  // shows "Ready" again once it is not.
  void WatchSurface(int depth);
  // A modal dialog blocks every click on the log window, and the winch runs
  // on meanwhile: while the bar's window is blocked and the winch is on, a
  // stand-in STP lies over the bar's own, owned by the modal dialog, whose
  // clicks are never blocked.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void PlaceModalStop();

  bool dragging_ = false;
  bool windowBlocked_ = false;
  QPointer<QPushButton> modalStop_;
  bool watchesSurface_ = true;
  bool surfaceWarned_ = false;
  bool haveDepth_ = false;
  int lastDepth_ = 0;
  bool powerOn_;
  int direction_;
  int maxSpeed_ = 0;
  int speedSetPoint_;
  double dacFactor_ = 0.01;
  QPushButton *power_, *stop_, *down_, *up_;
  QSlider* slider_;
  QLabel *depthUnit_, *speedUnit_;
  CDisplay *depth_, *tension_, *speed_;
  CMessageLine *message_, *title_;
  qv::CoalescedPost readingsPost_;
  qv::CoalescedPost messagePost_;
};

class CReplayControl : public qv::DialogBar {
  Q_OBJECT
public:
  explicit CReplayControl(QWidget* parent = nullptr);
  ~CReplayControl() override;
  bool InitControls();
  void OnHScroll();
  // For the log document, from any thread.
  void EnablePrintDirect(bool enable);
  void DisableReplayButtons();
  void ShowPaused();
  void UncheckPrintDirect();
  bool SetPositionText(const std::string& text);

  QPushButton* Button(int id) const;
  QSlider* SpeedSlider() const { return slider_; }
  QLabel* PositionText() const { return position_; }
  CMessageLine* TitleLine() const { return title_; }

private:
  QPushButton *stop_, *restart_, *pause_, *replay_, *print_;
  QSlider* slider_;
  QLabel* position_;
  CMessageLine* title_;
};

extern std::atomic<CSondeControl*> g_pSondeControl;
extern std::atomic<CWinchControl*> g_pWinchControl;
extern std::atomic<CReplayControl*> g_pReplayControl;
