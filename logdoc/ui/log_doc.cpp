#include "logdoc/ui/log_doc.h"

#include <QApplication>

#include "app/core/globals.h"
#include "app/core/log_frame.h"
#include "curveview/curveview.h"
#include "header/header.h"
#include "header/ui/header_editor.h"
#include "header/ui/trailer_text_dialog.h"
#include "logdoc/document/channel_logs.h"
#include "logdoc/document/print_log.h"
#include "logdoc/flowmeter/hpfm_dlg.h"
#include "logdoc/monitor/log_speed.h"
#include "logdoc/replayui/ask_replay.h"
#include "platform/docview/dialog.h"
#include "platform/docview/gui_thread.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tools/cementbond/fpg_dialogs.h"
#include "tools/sonic/sonic_params_dlg.h"

namespace {
// How often the display pump runs while a log is open.
constexpr int kPumpIntervalMs = 40;
// How long closing waits for the monitor thread.
constexpr uint32_t kMonitorStopMs = 10000;
constexpr unsigned kStrOldHeaderWritten = 32273;
constexpr unsigned kStrOldHeaderFailed = 32113;

bool Hardware() {
  return g_bHardwarePresent != 0;
}

TrailerDialogRunner& TrailerRunner() {
  static TrailerDialogRunner runner;
  return runner;
}

AskReplayRunner& AskRunner() {
  static AskReplayRunner runner;
  return runner;
}

bool RunTrailerDialog(TrailerText& lines, const std::string& headerFile) {
  if (TrailerRunner()) return TrailerRunner()(lines, headerFile);
  qv::Application* app = qv::Application::Instance();
  CTrailerTextDlg dlg(app ? app->GetMainFrame() : nullptr);
  dlg.m_TrailerText = lines;
  dlg.m_strFile = headerFile;
  const int result = dlg.DoModal();
  lines = dlg.m_TrailerText;
  return result == qv::IDOK;
}
}  // namespace

void SetTrailerDialogRunner(TrailerDialogRunner runner) {
  TrailerRunner() = std::move(runner);
}

void SetAskReplayRunner(AskReplayRunner runner) {
  AskRunner() = std::move(runner);
}

CLogDoc::CLogDoc() {
  Construct();
}

CLogDoc::CLogDoc(std::unique_ptr<qv::LogEngine> engine) : engine_(std::move(engine)) {
  toolKind_ = engine_->ToolKind();
  if (auto* channels = dynamic_cast<qv::ChannelLogEngine*>(engine_.get()))
    printLog_ = std::make_unique<qv::EnginePrintLog>(*channels, [this] { return m_bFollowChain; });
  Construct();
}

void CLogDoc::Construct() {
  monitor_ = std::make_unique<qv::MonitorThread>(device_, &barSink_);
  pump_.setInterval(kPumpIntervalMs);
  connect(&pump_, &QTimer::timeout, this, [this] { PumpDisplay(); });
  if (engine_) {
    engine_->SetSink(this);
    // One logging speed for the monitor thread and the recording.
    engine_->SetLogSpeed(&device_.Speed());
    qv::LogEngineCallbacks callbacks;
    callbacks.wake = [this] { qv::PostToGui(this, [this] { PumpDisplay(); }); };
    callbacks.status = [this](const qv::LogStatus& s) { OnStatus(s); };
    callbacks.stopped = [this](int type) { OnEngineStopped(type); };
    callbacks.trailerDialog = [this](TrailerText& lines, const std::string& headerFile) {
      // The stop has put the unit back into monitor mode: the depth and time
      // displays follow the winch while the engineer types.
      device_.SetMonitoring(engine_->Monitoring());
      return RunTrailerDialog(lines, headerFile);
    };
    engine_->SetCallbacks(std::move(callbacks));
  }
  RegisterCommands();
}

CLogDoc::~CLogDoc() {
  delete m_HeatPulseDlg.data();  // its measurement ends and its thread is joined
  // Normally closing has stopped everything; a document deleted without
  // closing (the program ending) stops here, before its members go.
  replay_.reset();  // its thread ends before the engine it reads goes
  if (engine_) {
    if (engine_->State() == qv::kStateRunning) engine_->StopLogging(qv::kStateStop);
    engine_->SetSink(nullptr);
    engine_.reset();
  }
  if (monitor_) monitor_->Stop(kMonitorStopMs);
  CLogDoc* self = this;
  g_pActiveDoc.compare_exchange_strong(self, nullptr);
}

bool CLogDoc::OnNewDocument() {
  Setup().depthScale = 100;
  return true;
}

// ---------------------------------------------------------------------------
// Commands and their enabling

void CLogDoc::RegisterCommands() {
  auto notIdle = [this](qv::CmdUI& ui) { ui.Enable(!m_bIdleDocument); };
  auto replay = [this](qv::CmdUI& ui) { ui.Enable(!m_bLive); };
  auto replayNotEnded = [this](qv::CmdUI& ui) { ui.Enable(!m_bLive && LogState() != qv::kStateStoppedForGood); };
  auto notRunning = [this](qv::CmdUI& ui) { ui.Enable(Hardware() && LogState() != qv::kStateRunning); };

  OnUpdate(ID_EXPORT_HEADER, notIdle);
  OnCommand(ID_EXPORT_HEADER, [this] {
    CHeader header;
    const int written = header.ExportOldHeader(PathStem());
    qv::ShowMessageBox(qv::LoadString(written ? kStrOldHeaderWritten : kStrOldHeaderFailed));
  });
  OnCommand(ID_IMPORT, [] {});
  OnUpdate(ID_SHOW_LOG_HEADER, notIdle);
  OnCommand(ID_SHOW_LOG_HEADER, [this] {
    // The edited records stay in the document; nothing is written here.
    CHeaderEditor editor(nullptr);
    editor.m_pHeaderInfo = &Header();
    editor.m_pTrailerText = &Trailer();
    editor.m_strHeaderFile = engine_ ? engine_->HeaderFilePath() : std::string();
    editor.m_nNewLog = 0;
    editor.DoModal();
  });
  // The replay bar; a live document has no replay and its updates disable these.
  auto replayCommand = [this](int id, void (qv::ReplayControl::*command)()) {
    OnCommand(id, [this, command] {
      if (replay_) (replay_.get()->*command)();
    });
  };
  replayCommand(ID_REPLAY_DATA, &qv::ReplayControl::OnReplay);
  replayCommand(ID_PAUSE_REPLAY, &qv::ReplayControl::OnPauseReplay);
  replayCommand(ID_RESTART_REPLAY, &qv::ReplayControl::OnRestartReplay);
  replayCommand(ID_STOP_REPLAY, &qv::ReplayControl::OnStopReplay);
  OnCommand(ID_DIRECT_REALTIME_PRINT, [this] {
    if (!replay_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    replay_->OnDirectRealtimePrint();
    QApplication::restoreOverrideCursor();
  });
  OnUpdate(ID_PAUSE_REPLAY, replayNotEnded);
  OnUpdate(ID_RESTART_REPLAY, replay);
  OnUpdate(ID_STOP_REPLAY, replay);
  OnUpdate(ID_REPLAY_DATA, replayNotEnded);
  OnUpdate(ID_CABLE_OPTIONS, notRunning);
  OnCommand(ID_CABLE_OPTIONS, [this] { OnChangeCableOptions(); });
  OnUpdate(ID_LOG_CALIBRATION,
           [this](qv::CmdUI& ui) { ui.Enable(Hardware() && !(m_bLive && LogState() == qv::kStateRunning)); });
  OnCommand(ID_LOG_CALIBRATION, [] {
    if (LogFrame* frame = g_logFrame) frame->RunCalibration();
  });
  OnUpdate(ID_LOG_TEST_SONDE, notRunning);
  OnCommand(ID_LOG_TEST_SONDE, [] {
    qv::Application* app = qv::Application::Instance();
    if (LogFrame* frame = g_logFrame) frame->TestSonde(app ? app->GetMainFrame() : nullptr);
  });
  OnUpdate(ID_DIRECT_REALTIME_PRINT, [this](qv::CmdUI& ui) { ui.Enable(!m_bLive && Setup().realtimePrint); });
  OnUpdate(ID_SONIC_CONFIGURATION, [this](qv::CmdUI& ui) {
    ui.Enable(HasCommand(ID_SONIC_CONFIGURATION) && Hardware() && qv::GetToolType(g_strCurrentSonde, false) == 10);
  });
  OnCommand(ID_SONIC_CONFIGURATION, [this] { OnSonicConfiguration(); });
  // The free-pipe gates are a cement-bond log's: only its document has the
  // command, so the item is disabled while any other document is active.
  if (auto* cbl = dynamic_cast<qv::CCBLDocument*>(engine_.get())) {
    OnCommand(qv::kIdFpgSettings, [cbl] {
      qv::Application* app = qv::Application::Instance();
      qv::OnFpgSettings(*cbl, app ? app->GetMainFrame() : nullptr);
    });
  }
}

// ---------------------------------------------------------------------------
// Opening

bool CLogDoc::InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) {
  if (!title.empty()) SetTitle(title);
  if (!engine_) toolKind_ = toolKind;
  m_bIdleDocument = false;
  m_bLive = mode == 1;
  device_.SetLoggingModeBytes(Setup().loggingMode.comStd, Setup().loggingMode.toolType);
  device_.SetToolKind(toolKind);
  bool ok = true;
  if (engine_) {
    ok = engine_->InitialiseLog(mode, pollPeriodMs);
    pump_.start();
    if (!m_bLive) StartReplayControl();
  }
  if (m_bLive) {
    if (engine_) {
      // The engine has put the unit into monitor mode; the monitor thread
      // watches the depth while nothing records.
      if (!monitor_->Start(true)) {
        ok = false;
      } else {
        device_.SetMonitoring(engine_->Monitoring());
        monitor_->Resume();
      }
    } else if (!qv::StartLiveMonitoring(device_, *monitor_, Setup().sampleInterval)) {
      ok = false;
    }
  }
  return ok;
}

void CLogDoc::SetCurveView(CCurveView* view) {
  view_ = view;
}

void CLogDoc::PumpDisplay() {
  if (engine_) engine_->PumpDisplay();
}

void CLogDoc::OnStatus(const qv::LogStatus& s) {
  device_.SetTime(s.elapsedMs);
  if (LogFrame* frame = g_logFrame) {
    frame->UpdateSondeStatus(s.elapsedMs, s.analog[0], s.analog[1], s.receiverStatus);
    frame->UpdateWinchReadings(s.tension, s.depth, s.logSpeed);
  }
}

void CLogDoc::OnEngineStopped(int type) {
  device_.SetMonitoring(false);
  // A live log stopped by an error closes; a replayed one stays open.
  if (type == qv::kStateError && m_bLive) QueueClose();
}

void CLogDoc::QueueClose() {
  if (closeQueued_) return;
  closeQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    if (qv::Application* app = qv::Application::Instance()) app->CloseDocument(this);
  });
}

// ---------------------------------------------------------------------------
// Replay

void CLogDoc::StartReplayControl() {
  qv::ReplayCallbacks cb;
  // The replay thread only posts the end of the data, to this document: the
  // notice belongs to this replay, whichever document is active when it
  // arrives (it is dropped with the document).
  cb.endOfData = [this] { qv::PostToGui(this, [this] { OnReplayEnd(false); }); };
  cb.askReplay = [this](bool offerPrintHeader) {
    // The heading can only be printed at the end of a chart that is printing.
    CAskReplay dialog(offerPrintHeader && Setup().realtimePrint, nullptr);
    const int answer = AskRunner() ? qv::RunAsModal([&] { return AskRunner()(dialog); }) : dialog.DoModal();
    return qv::ReplayEndAnswer{answer == qv::IDOK ? qv::ReplayEndChoice::Reset : qv::ReplayEndChoice::Finish,
                               dialog.m_bPrintHeader != 0};
  };
  cb.showPaused = [] {
    if (LogFrame* frame = g_logFrame) frame->ShowReplayPaused();
  };
  cb.disableButtons = [] {
    if (LogFrame* frame = g_logFrame) frame->DisableReplayButtons();
  };
  cb.uncheckPrintDirect = [] {
    if (LogFrame* frame = g_logFrame) frame->UncheckPrintDirect();
  };
  cb.flushRecorder = [this] { FlushRecorder(); };
  cb.closeDocument = [this] { QueueClose(); };
  replay_ = std::make_unique<qv::ReplayControl>(*engine_, std::move(cb));
  replay_->SetFollowChain(m_bFollowChain);
}

void CLogDoc::OnReplayEnd(bool direct) {
  if (replay_) replay_->OnReplayEnd(direct);
}

void CLogDoc::ComputePollInterval(int speed) {
  if (!engine_) return;
  const qv::LogSetup& s = Setup();
  engine_->SetPollPeriod(qv::ComputePollInterval(speed, s.depthStep, s.imperial, s.realtimePrint, s.depthScale));
}

// ---------------------------------------------------------------------------
// Recording

int CLogDoc::LogState() const {
  return engine_ ? engine_->State() : qv::kStateReady;
}

bool CLogDoc::IsTestMode() const {
  return engine_ && engine_->IsTestMode();
}

int CLogDoc::StartLogging(int mode) {
  if (!engine_ || !m_bLive) return 0;
  // The monitor thread leaves the depth report alone while the unit logs.
  device_.SetMonitoring(false);
  const int started = engine_->StartLogging(mode);
  if (!started) {
    if (engine_->State() != qv::kStateError) device_.SetMonitoring(engine_->Monitoring());
    return 0;
  }
  if (!loweredMonitor_) {
    monitor_->LowerPriority();
    loweredMonitor_ = true;
  }
  return started;
}

int CLogDoc::ResumeWriter() {
  return engine_ ? engine_->ResumeWriter() : 0;
}

void CLogDoc::StopLogging(int type) {
  if (!engine_) return;
  engine_->StopLogging(type);
  device_.SetMonitoring(engine_->Monitoring());
}

// ---------------------------------------------------------------------------
// Device commands

int CLogDoc::SendSondeCommand(SondeCommandBlock* block) {
  const bool ok = device_.SendSondeCommand(block);
  if (ok && engine_) engine_->MarkSondeCommandSent();
  return ok ? 1 : 0;
}

int CLogDoc::SetSondePower(SondePowerBlock* block) {
  return device_.SetSondePower(block) ? 1 : 0;
}

int CLogDoc::SetWinch(WinchControlBlock* block) {
  return device_.SetWinch(block) ? 1 : 0;
}

void CLogDoc::SetWinchMode(bool on) {
  device_.SetWinchMode(on);
}

void CLogDoc::SetDepth(int depth) {
  device_.SetDepth(depth);
}

int CLogDoc::CurrentDepth() const {
  if (engine_ && engine_->State() == qv::kStateRunning) return engine_->Depth();
  return device_.Depth();
}

void CLogDoc::SetMonitoring(bool on) {
  device_.SetMonitoring(on);
  if (engine_) engine_->SetMonitoring(on);
}

void CLogDoc::SetReading(int timeMs, int depth) {
  device_.SetTime(timeMs);
  device_.SetDepthCounts(depth);
}

void CLogDoc::OnSonicConfiguration() {
  // One dialog per document, made on first use; later uses show it again
  // (and it reloads the configuration each time it is shown).
  if (!sonicParams_) {
    qv::Application* app = qv::Application::Instance();
    sonicParams_ = std::make_unique<CSonicParams>(app ? app->GetMainFrame() : nullptr);
    sonicParams_->Create(&g_SonicConfig, static_cast<std::uint8_t>(qv::GetComStd(g_strCurrentSonde, false)));
    if (QWidget* parent = sonicParams_->parentWidget()) {
      sonicParams_->adjustSize();
      sonicParams_->move(parent->geometry().center() - sonicParams_->rect().center());
    }
  }
  sonicParams_->show();
  sonicParams_->raise();
}

void CLogDoc::OnChangeCableOptions() {
  qv::Application* app = qv::Application::Instance();
  ChangeCableOptions(device_, app ? app->GetMainFrame() : nullptr);
}

void CLogDoc::OnScopeShot() {
  const bool monitoring = device_.Monitoring();
  qv::Application* app = qv::Application::Instance();
  ShowScopeShot(device_, app ? app->GetMainFrame() : nullptr);
  // The scope leaves logging off: the document's own monitor mode comes back.
  if (monitoring && device_.EnterMonitorMode() == 0) device_.SetMonitoring(true);
}

// ---------------------------------------------------------------------------
// The curve view

bool CLogDoc::LatestValues(double* raw, double* calibrated, double* user) const {
  auto* channels = dynamic_cast<qv::ChannelLogEngine*>(engine_.get());
  if (!channels) return false;
  channels->LatestValues(raw, calibrated, user);
  return true;
}

std::string CLogDoc::PathStem() const {
  return engine_ ? engine_->PathStem() : Setup().pathStem;
}

bool CLogDoc::LogHeaderTexts(HeaderInfo* header, TrailerText* trailer) const {
  if (!engine_) return false;
  engine_->CopyHeaderTexts(header, trailer);
  return true;
}

int CLogDoc::SondeLength() const {
  auto* channels = dynamic_cast<qv::ChannelLogEngine*>(engine_.get());
  return channels ? channels->SondeLength() : 0;
}

void CLogDoc::AddSample(std::span<const double> values) {
  if (CCurveView* view = view_) view->AddSample(values);
}

void CLogDoc::SetDisplayDepth(int depth) {
  // From the record thread, before the record's rows: the depth belongs to
  // them, so it is set at once (the view's rows take it under their own
  // lock), as AddSample hands over the rows themselves.
  if (CCurveView* view = view_) view->SetDisplayDepth(depth, false);
}

void CLogDoc::ResetCurves(bool restart) {
  if (CCurveView* view = view_) view->ResetCurves(restart);
}

void CLogDoc::UpdateDisplay() {
  if (CCurveView* view = view_) view->UpdateDisplay();
}

void CLogDoc::StartRealtimePrint(int mode) {
  if (CCurveView* view = view_) view->StartRealtimePrint(mode);
}

void CLogDoc::FlushRecorder() {
  if (CCurveView* view = view_) view->FlushRecorder();
}

void CLogDoc::StopRealtimePrint(int mode) {
  if (CCurveView* view = view_) view->StopRealtimePrint(mode);
}

int CLogDoc::WriteChannelHeader() {
  CCurveView* view = view_;
  return view ? view->WriteChannelHeader() : 1;
}

// ---------------------------------------------------------------------------
// Closing

void CLogDoc::EndMonitor() {
  if (!m_bLive || !monitor_) return;
  // The monitor thread ends first (its waits for DeviceMutex give up at
  // once), then the unit leaves monitor mode.
  qv::EndLiveMonitoring(device_, *monitor_, kMonitorStopMs);
}

CHPFMDlg* CLogDoc::HeatPulseDialog() const {
  return m_HeatPulseDlg.data();
}

void CLogDoc::ShowHeatPulseDialog() {
  if ((m_HeatPulseDlg && m_HeatPulseDlg->HasWindow()) || g_bUtilityActive) return;
  if (!m_HeatPulseDlg) {
    qv::Application* app = qv::Application::Instance();
    m_HeatPulseDlg = new CHPFMDlg(app ? app->GetMainFrame() : nullptr);
  }
  m_HeatPulseDlg->SetCurrentDepth(device_.HeaderDepth());
  m_HeatPulseDlg->SetCpsRange(2000);
  m_HeatPulseDlg->SetTimeStep(g_nTimeStep);
  m_HeatPulseDlg->Create();
}

void CLogDoc::OnCloseDocument() {
  if (engine_ && m_bLive && engine_->State() == qv::kStateRunning) StopLogging(qv::kStateStop);
  if (replay_ && replay_->State() == qv::kStateRunning) replay_->StopReplay(qv::kStateStoppedForGood);
  replay_.reset();
  if (LogFrame* frame = g_logFrame) frame->CloseSondeTestFor(this);
  // The flowmeter stops its measurement and offers its stored results first.
  if (m_HeatPulseDlg && m_HeatPulseDlg->HasWindow()) m_HeatPulseDlg->OnOK();
  EndMonitor();
  pump_.stop();
  if (engine_) engine_->PumpDisplay();  // a stop a worker asked for is carried out
  view_ = nullptr;
  g_bLogDocumentOpen = 0;
  CLogDoc* self = this;
  g_pActiveDoc.compare_exchange_strong(self, nullptr);
  if (!m_bIdleDocument && !g_bWatchdogStop) {
    // The idle document comes back once this one is gone; unless another log
    // document has become active by then.
    if (LogFrame* frame = g_logFrame) frame->ReopenIdleDocument();
  }
  qv::Document::OnCloseDocument();
}

// ---------------------------------------------------------------------------

C6ChannelDocument::C6ChannelDocument() : CLogDoc(std::make_unique<qv::SixChannelEngine>()) {}

CTwelveChanDoc::CTwelveChanDoc() : CLogDoc(std::make_unique<qv::TwelveChannelEngine>()) {}
