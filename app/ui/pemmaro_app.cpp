#include "pemmaro_app.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <langinfo.h>

#include <cstring>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/frames.h"
#include "app/ui/text_editor.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/codepage.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace {
constexpr unsigned kStrFatal = 32134;
constexpr unsigned kStrInitFailed = 32276;

LogDocuments* g_logDocuments = nullptr;
bool g_startWindowEnabled = false;
QPointer<CStartWnd> g_startWindow;

// Fonts take the Japanese character set when the system's code page is the
// Japanese one.
int FontCharset() {
  if (qv::FileCodePage() == qv::kCodePageJapanese) return 128;
  const char* codeset = nl_langinfo(CODESET);
  if (!codeset) return 1;
  for (const char* name : {"SJIS", "SHIFT_JIS", "SHIFT-JIS", "CP932", "WINDOWS-31J"})
    if (strcasecmp(codeset, name) == 0) return 128;
  return 1;
}
}  // namespace

// ===========================================================================
CPemmaroApp::CPemmaroApp() {
  // The device records of the process live as long as the application.
  g_pAcquisitionSetup = &setup_;
  g_pUnitConfig = &unitConfig_;
  g_pCableInterface = &cable_;
  g_pUnitIdentity = &identity_;
  OnCommand(ID_APP_ABOUT, [this] {
    CAboutDlg dlg(frame_.get());
    dlg.DoModal();
  });
  OnCommand(ID_APP_EXIT, [this] {
    // The frame's close stops the watchdog, unless the user keeps an
    // editor window and with it the program.
    if (frame_)
      frame_->close();
    else
      g_bWatchdogStop = 1;
  });
  OnCommand(ID_FILE_CLOSE, [this] {
    if (qv::Document* doc = ActiveDocument()) CloseDocument(doc);
  });
  OnUpdate(ID_FILE_CLOSE, [this](qv::CmdUI& ui) { ui.Enable(!ActiveDocument() || !ActiveIsIdleDocument()); });
  OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
  // A new log needs the unit; neither a new nor a replayed log may take the
  // unit or the window from under a running sonde test.
  OnUpdate(ID_FILE_NEW,
           [](qv::CmdUI& ui) { ui.Enable(g_logDocuments != nullptr && g_bHardwarePresent && !g_bUtilityActive); });
  OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
  OnUpdate(ID_FILE_OPEN, [](qv::CmdUI& ui) { ui.Enable(g_logDocuments != nullptr && !g_bUtilityActive); });
  // The log-file tools work on recorded logs while nothing is logged or replayed.
  auto noLog = [this](qv::CmdUI& ui) { ui.Enable(!ActiveDocument() || ActiveIsIdleDocument()); };
  OnCommand(ID_MERGE_LOGS, [this] { OnMergeLogs(); });
  OnUpdate(ID_MERGE_LOGS, noLog);
  OnCommand(ID_DEPTH_SHIFT, [this] { OnDepthShift(); });
  OnUpdate(ID_DEPTH_SHIFT, noLog);
  OnCommand(ID_INIT_HARDWARE, [this] { OnInitialiseHardware(); });
  OnCommand(ID_REALTIME_PRINTER_SETUP, [] {
    if (Tools().realTimePrinterSetup) Tools().realTimePrinterSetup();
  });
  OnUpdate(ID_INIT_HARDWARE, [](qv::CmdUI& ui) { ui.Enable(!g_bHardwarePresent && !g_bHardwareInUse); });
}

CPemmaroApp::~CPemmaroApp() {
  CloseAllDocuments();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  frame_.reset();
  g_pAcquisitionSetup = nullptr;
  g_pUnitConfig = nullptr;
  g_pCableInterface = nullptr;
  g_pUnitIdentity = nullptr;
}

CPemmaroApp* CPemmaroApp::Instance() { return qobject_cast<CPemmaroApp*>(qv::Application::Instance()); }

bool CPemmaroApp::ActiveIsIdleDocument() const {
  LogDocumentShell* doc = ActiveLogDocument();
  return doc && doc->IsIdleDocument();
}

void SetLogDocuments(LogDocuments* documents) { g_logDocuments = documents; }
LogDocuments* GetLogDocuments() { return g_logDocuments; }

void CPemmaroApp::RegisterTemplates() {
  if (TemplateCount() > 0) return;
  if (g_logDocuments) g_logDocuments->RegisterTemplates(*this);
}

bool CPemmaroApp::InitInstance() {
  const LockOutcome lock = startup_.TakeHardwareLock(lockFolder_);
  if (lock == LockOutcome::Failed) return false;
  g_strProgramFolder = qv::ProgramFolder();
  g_nFontCharset = FontCharset();
  CStartWnd::EnableStartWindow(true);
  CStartWnd::ShowStartWindow(nullptr);
  RegisterTemplates();
  ReadSystemParameters(qv::ProgramProfileFile());
  g_bWinchPowerOn = g_nWinchSpeed = g_nWinchDirection = 0;
  if (lock == LockOutcome::Owned && !startup_.BringUp()) return false;

  frame_ = std::make_unique<CMainFrame>();
  if (!frame_->Create()) return false;
  SetMainFrame(frame_.get());
  if (QScreen* screen = QGuiApplication::primaryScreen()) frame_->setGeometry(screen->availableGeometry());
  frame_->showMaximized();
  StartIdleUpdates();

  if (!startup_.StartWatchdog()) {
    qv::ShowMessageBox(qv::LoadString(kStrFatal));
    return false;
  }
  if (g_bHardwarePresent) OpenIdleDocument();
  return true;
}

int CPemmaroApp::ExitInstance() {
  g_bWatchdogStop = 1;
  // The run may have ended without the main window's close (a shutdown
  // signal): an editor window still open offers its changes now.
  qv::CloseTextEditorWindows(false);
  CloseAllDocuments();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  startup_.Exit(qv::ProgramProfileFile());
  return 0;
}

void CPemmaroApp::OpenIdleDocument() {
  if (!g_bHardwarePresent || TemplateCount() == 0 || !g_logDocuments) return;
  // One log document at a time: a log or idle document that is already
  // active stays (a deferred reopening may find one opened since).
  if (g_pActiveDoc) return;
  m_bIdleFrame = true;
  m_bReplayFrame = false;
  qv::Document* doc = Template(0)->OpenDocumentFile(nullptr);
  if (!doc) return;
  if (!g_logDocuments->InitialiseIdle(doc)) CloseDocument(doc);
}

void CPemmaroApp::OnFileNew() {
  if (g_logDocuments) g_logDocuments->OnFileNew(*this);
}

void CPemmaroApp::OnFileOpen() {
  if (g_logDocuments) g_logDocuments->OnFileOpen(*this);
}

void CPemmaroApp::OpenLogForReplay(const std::string& first, const std::string& second) {
  if (g_logDocuments) g_logDocuments->OpenLogForReplay(*this, first, second);
}

void CPemmaroApp::OnMergeLogs() {
  std::string title;
  std::string path;
  if (Tools().mergeLogs && Tools().mergeLogs(&title, &path)) OpenLogForReplay(title, path);
}

void CPemmaroApp::OnDepthShift() {
  if (Tools().depthShift) Tools().depthShift();
}

void CPemmaroApp::OnInitialiseHardware() {
  const std::string heading = qv::LoadString(kStrInitFailed);
  for (;;) {
    std::string error;
    // A link that never opened is opened now (the unit may have been off at start).
    if (InitHardware(LinkOpened() ? 2 : 1, &error)) {
      g_bHardwarePresent = 1;
      break;
    }
    g_bHardwarePresent = 0;
    if (qv::ShowMessageBox(heading + error, {}, qv::MB_RETRYCANCEL | qv::MB_ICONINFORMATION) != qv::IDRETRY) break;
  }
  if (g_bHardwarePresent) OpenIdleDocument();
}

void UpdateUnitLabels() {
  if (CWinchControl* bar = g_pWinchControl) bar->UpdateUnitLabels();
  LogDocumentShell* doc = ActiveLogDocument();
  if (doc && doc->IsIdleDocument()) doc->SetDepthStep(g_nDepthUnits ? g_nDepthStepImperial : g_nDepthStepMetric);
}

// ===========================================================================
void CStartWnd::EnableStartWindow(bool enable) { g_startWindowEnabled = enable; }

CStartWnd* CStartWnd::Current() { return g_startWindow; }

void CStartWnd::ShowStartWindow(QWidget* parent) {
  if (!g_startWindowEnabled || g_startWindow) return;
  g_startWindow = new CStartWnd(parent);
}

CStartWnd::CStartWnd(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  resize(420, 240);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  show();
  QTimer::singleShot(kShowMs, this, [this] { close(); });
}

CStartWnd::~CStartWnd() = default;

void CStartWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0, 0, 128));
  p.setPen(Qt::white);
  QFont f = font();
  f.setPixelSize(40);
  f.setBold(true);
  p.setFont(f);
  p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Quorvanta"));
}
