// CLogDoc: the log document of the framework. One class serves three roles:
// the idle live document that only watches the unit while nothing is
// recorded, a live log that records, and a replayed log. The acquisition
// itself is the tool engine's (SixChannelEngine, TwelveChannelEngine); the
// document owns the engine, the unit side (LiveDevice and its monitor
// thread), feeds the curve view and answers the bars and menus.
//
// Threads: the engine's display pump runs from a timer on the GUI thread, so
// a stop a worker asks for after an error, and the closing that follows it,
// happen on the GUI thread. The monitor thread hands its readings to the bars,
// which queue them to the GUI thread.
#pragma once

#include <QPointer>
#include <QTimer>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/core/log_document.h"
#include "app/newlog/new_log.h"
#include "logview/model/document.h"
#include "logdoc/document/log_engine.h"
#include "logdoc/liveui/live_commands.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "logdoc/replayctl/replay_control.h"
#include "platform/docview/docview.h"

class CAskReplay;
class CHPFMDlg;
class CCurveView;
class CSonicParams;

// Runs the trailer text dialog at the end of a recording over the log's four
// lines; true when it closed with OK. The program runs the dialog modally;
// tests answer it.
using TrailerDialogRunner = std::function<bool(TrailerText& lines, const std::string& headerFile)>;
void SetTrailerDialogRunner(TrailerDialogRunner runner);

// Runs the end-of-replay dialog; IDOK (Reset) or IDCANCEL (Finish). The
// program runs it modally; tests answer it.
using AskReplayRunner = std::function<int(CAskReplay& dialog)>;
void SetAskReplayRunner(AskReplayRunner runner);

// Command ids of the log document.
enum LogDocCommand {
  ID_EXPORT_HEADER = 1000,
  ID_IMPORT = 1001,
  ID_SHOW_LOG_HEADER = 1005,
  ID_PAUSE_REPLAY = 1017,
  ID_RESTART_REPLAY = 1018,
  ID_STOP_REPLAY = 1019,
  ID_REPLAY_DATA = 1020,
  ID_CABLE_OPTIONS = 1021,
  ID_LOG_CALIBRATION = 1022,
  ID_LOG_TEST_SONDE = 1036,
  ID_DIRECT_REALTIME_PRINT = 1063,
  ID_SONIC_CONFIGURATION = 1067,
};

class CLogDoc : public qv::Document, public LogDocumentShell, public curveview::CurveDocument, public qv::RecordSink {
  Q_OBJECT
 public:
  // A plain document (the idle document): no engine, it only watches the unit.
  CLogDoc();
  ~CLogDoc() override;

  bool OnNewDocument() override;
  // Stops what runs (a recording with type 2), ends the monitor thread and
  // takes the unit out of monitor mode, then closes the windows. A log that
  // is not the idle document asks for the idle document to be opened again
  // once control is back in the event loop (never from the destructor), unless
  // the program is ending.
  void OnCloseDocument() override;

  // mode 1 live, 0 replay. Live: the unit is put into monitor mode and the
  // monitor thread runs. False after a failure that was shown; the document
  // stays usable either way.
  virtual bool InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title);

  // What the opener fills in before InitialiseLog.
  qv::LogSetup& Setup() { return engine_ ? engine_->Setup() : setup_; }
  const qv::LogSetup& Setup() const { return engine_ ? engine_->Setup() : setup_; }
  HeaderInfo& Header() { return engine_ ? engine_->Header() : header_; }
  TrailerText& Trailer() { return engine_ ? engine_->Trailer() : trailer_; }
  qv::LogEngine* Engine() const { return engine_.get(); }
  qv::LiveDevice& Device() { return device_; }
  std::array<qv::LogChannel, qv::kLogChannels> m_Channels{};
  int m_nToolType = -1;  // the tool type the log was opened for
  int m_nDepthUnits = 0;
  bool m_bIdleDocument = false;
  bool m_bLive = true;
  // A replay goes on into the next file of the log's chain at the end of the data.
  bool m_bFollowChain = false;
  // The sonde power the new-log wizard loaded for the log.
  SondePowerBlock m_SondePower{};

  // The curve view the records go to (null: none).
  void SetCurveView(CCurveView* view);
  CCurveView* CurveView() const { return view_.load(); }
  // The display pump's period (tests run it by hand).
  QTimer& PumpTimer() { return pump_; }
  // Runs the display pump once.
  void PumpDisplay();
  // The replay of a replayed log (after InitialiseLog), else null.
  qv::ReplayControl* Replay() const { return replay_.get(); }

  // ---- LogDocumentShell
  int LogState() const override;
  bool IsTestMode() const override;
  bool IsIdleDocument() const override { return m_bIdleDocument; }
  bool HasLiveDepth() const override { return m_bLive; }
  int StartLogging(int mode) override;
  int ResumeWriter() override;
  void StopLogging(int type) override;
  int SendSondeCommand(SondeCommandBlock* block) override;
  int SetSondePower(SondePowerBlock* block) override;
  int SetWinch(WinchControlBlock* block) override;
  void SetWinchMode(bool on) override;
  // The replay pace from the replay bar's speed slider (1 to 100).
  void ComputePollInterval(int speed) override;
  void SetDepth(int depth) override;
  void SetDepthStep(int step) override { Setup().depthStep = step; }
  int CurrentDepth() const override;
  bool IsMonitoring() const override { return device_.Monitoring(); }
  uint8_t ComStd() const override { return device_.ComStd(); }
  uint8_t ToolType() const override { return device_.ToolType(); }
  std::string SondeName() const override { return Setup().sondeAbbreviation; }
  // GUI thread: the end of the replay data (the chain, or the end-of-replay choice).
  void OnReplayEnd(bool direct) override;
  std::string CalibrationFile() const override { return Setup().calibrationFile; }
  bool CalibrationIsDataFile() const override { return Setup().calibrationFromHeader; }
  void SetMonitoring(bool on) override;
  void SetReading(int timeMs, int depth) override;
  int ComputeLogSpeed(int depth, int timeMs) override { return device_.ComputeLogSpeed(depth, timeMs); }
  void OnChangeCableOptions() override;
  void OnScopeShot() override;
  // File/New Log with the heat-pulse flowmeter as current sonde: shows the
  // flowmeter dialog at the document's depth, unless it is shown already or
  // another utility runs.
  void ShowHeatPulseDialog();
  CHPFMDlg* HeatPulseDialog() const;

  // ---- curveview::CurveDocument
  int LogMode() const override { return Setup().logMode; }
  bool Imperial() const override { return Setup().imperial; }
  int DepthStep() const override { return Setup().depthStep; }
  int DepthScale() const override { return Setup().depthScale; }
  int ToolKind() const override { return toolKind_; }
  bool UserFunction() const override { return Setup().userFunction; }
  bool Live() const override { return m_bLive; }
  bool TestMode() const override { return IsTestMode(); }
  bool RealtimePrint() const override { return Setup().realtimePrint; }
  int DisplayDepthOffset() const override { return engine_ ? engine_->DisplayDepthOffset() : 0; }
  int ReplayStartDepth() const override { return Setup().replayStartDepth; }
  bool TakeMinuteMark() override { return engine_ && engine_->TakeMinuteMark(); }
  std::string SondeAbbreviation() const override { return Setup().sondeAbbreviation; }
  bool LatestValues(double* raw, double* calibrated, double* user) const override;
  std::string PathStem() const override;
  bool LogHeaderTexts(HeaderInfo* header, TrailerText* trailer) const override;
  int SondeLength() const override;
  std::string UserLibrary() const override { return Setup().userLibrary; }
  void ClearUserLibrary() override { Setup().userLibrary.clear(); }
  ChannelFilter* RawFilterTable() override { return Setup().channelFilters.data(); }
  UserFunctionFilter* UserFunctionFilterTable() override { return Setup().userFunctionFilters.data(); }
  void FiltersChanged() override {
    if (engine_) engine_->ApplyFilters();
  }
  std::string SondeSerialNo() const override { return Setup().sondeSerialNo; }
  curveview::PrintableLog* Printable() override { return printLog_.get(); }

  // ---- qv::RecordSink (the curve view behind it)
  void AddSample(std::span<const double> values) override;
  void SetDisplayDepth(int depth) override;
  void ResetCurves(bool restart) override;
  void UpdateDisplay() override;
  int WriteChannelHeader() override;
  void StartRealtimePrint(int mode) override;
  void StopRealtimePrint(int mode) override;
  // Direct real-time printing: the rows read so far to the log's chart.
  virtual void FlushRecorder();
  // A recorder failure ends real-time printing for the log.
  void ClearRealtimePrint() override { Setup().realtimePrint = false; }

 protected:
  // A tool document over its engine.
  explicit CLogDoc(std::unique_ptr<qv::LogEngine> engine);

 private:
  void Construct();
  void OnStatus(const qv::LogStatus& status);
  void OnEngineStopped(int type);
  void StartReplayControl();
  // Closes the document once control is back in the event loop, so that the
  // handler asking for it has returned first.
  void QueueClose();
  void RegisterCommands();
  void OnSonicConfiguration();
  bool StartMonitor(bool afterEngine);
  void EndMonitor();

  std::unique_ptr<CSonicParams> sonicParams_;  // the probe configuration dialog, made on first use
  std::unique_ptr<qv::LogEngine> engine_;
  std::unique_ptr<curveview::PrintableLog> printLog_;  // page printing over the engine
  std::unique_ptr<qv::ReplayControl> replay_;          // goes before the engine it drives
  qv::LogSetup setup_;
  HeaderInfo header_;
  TrailerText trailer_;
  int toolKind_ = -1;
  qv::LiveDevice device_;
  BarMonitorSink barSink_;
  std::unique_ptr<qv::MonitorThread> monitor_;
  bool loweredMonitor_ = false;
  QTimer pump_;
  std::atomic<CCurveView*> view_{nullptr};
  // A child of the main frame: the frame may delete it first when the program ends.
  QPointer<CHPFMDlg> m_HeatPulseDlg;
  bool closeQueued_ = false;
};

// The six-channel log (.LOG) and the twelve-channel log (.LGX).
class C6ChannelDocument : public CLogDoc {
  Q_OBJECT
 public:
  C6ChannelDocument();
};

class CTwelveChanDoc : public CLogDoc {
  Q_OBJECT
 public:
  CTwelveChanDoc();
};
