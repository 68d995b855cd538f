// The application object: start-up in its fixed order (hardware lock,
// program folder, splash window, document templates, settings, bring-up,
// main frame, watchdog, idle document) and the orderly exit.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

#include "app/startup/startup.h"
#include "devices/tbdevice/tbdevice.h"
#include "platform/docview/docview.h"
#include "sondedb/acquisition.h"

class CMainFrame;
class CPemmaroApp;

// The log documents' part of the application: their document templates and
// the opening of logs. The log documents' library installs it
// (InstallLogDocuments); without it the program opens no log window.
class LogDocuments {
public:
  virtual ~LogDocuments() = default;
  // Adds the document templates in their fixed order; the first serves the
  // idle live document.
  virtual void RegisterTemplates(CPemmaroApp& app) = 0;
  // Sets a new document of the first template up as the idle document and
  // makes it the active log document; false when it is not a log document.
  virtual bool InitialiseIdle(qv::Document* doc) = 0;
  virtual void OnFileNew(CPemmaroApp& app) = 0;
  virtual void OnFileOpen(CPemmaroApp& app) = 0;
  virtual void OpenLogForReplay(CPemmaroApp& app, const std::string& first, const std::string& second) = 0;
};
// Installs the log documents (null removes them); the object must outlive
// the application.
void SetLogDocuments(LogDocuments* documents);
LogDocuments* GetLogDocuments();

class CPemmaroApp : public qv::Application {
  Q_OBJECT
public:
  CPemmaroApp();
  ~CPemmaroApp() override;
  static CPemmaroApp* Instance();
  bool InitInstance() override;
  int ExitInstance() override;
  // Opens the idle live document (nothing without the hardware).
  virtual void OpenIdleDocument();
  // File/New Log, File/Replay Log, and opening a log for replay (the first
  // path the log's title, the second its full path).
  void OnFileNew();
  void OnFileOpen();
  void OpenLogForReplay(const std::string& first, const std::string& second);
  // File/Merge Logs (a merged log is then opened for replay) and File/Depth
  // Shift; both only while no log but the idle document is open.
  void OnMergeLogs();
  void OnDepthShift();
  // Tools/Initialise Hardware.
  void OnInitialiseHardware();
  // The idle live document, when it is the active one.
  bool ActiveIsIdleDocument() const;
  CMainFrame* Frame() const { return frame_.get(); }
  ShellStartup& Startup() { return startup_; }
  // Where the named hardware lock lives (the runtime folder unless set).
  void SetLockFolder(const std::string& folder) { lockFolder_ = folder; }

  // Tell the next log window which bars to create.
  bool m_bIdleFrame = false;
  bool m_bReplayFrame = false;

protected:
  // The document templates in their fixed order; the first serves the idle
  // live document.
  virtual void RegisterTemplates();

private:
  ShellStartup startup_;
  std::unique_ptr<CMainFrame> frame_;
  std::string lockFolder_;
  qv::AcquisitionSetup setup_;
  UnitConfigBlock unitConfig_{};
  CableInterfaceBlock cable_{};
  UnitIdentityBlock identity_{};
};

// The splash window: a picture over the desktop for three seconds.
class CStartWnd : public QWidget {
  Q_OBJECT
public:
  static void EnableStartWindow(bool enable);
  static void ShowStartWindow(QWidget* parent);
  static CStartWnd* Current();
  static constexpr int kShowMs = 3000;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  explicit CStartWnd(QWidget* parent);
  ~CStartWnd() override;
};

// Sets the winch bar's unit labels and the idle document's depth step after
// the depth unit changed.
void UpdateUnitLabels();
