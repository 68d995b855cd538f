// Quorvanta main program.
#include <QApplication>
#include <QScreen>

#include <memory>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/frames.h"
#include "app/ui/idle_document.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "sondedb/acquisition.h"

namespace {

class ShellApp : public CPemmaroApp {
public:
  ShellApp() {
    AddDocTemplate(std::make_unique<qv::DocTemplate>(
        6, [] { return new CIdleMonitorDoc; }, [] { return new CPemmaroFrame; }, [] { return new CPemmaroView; }));
    OnCommand(ID_APP_ABOUT, [] {
      CAboutDlg dlg(GetMainFrameWidget());
      dlg.DoModal();
    });
    OnCommand(ID_APP_EXIT, [this] {
      g_bWatchdogStop = 1;
      if (GetMainFrame()) GetMainFrame()->close();
    });
    // The idle window's document stands in for a log document until those exist.
    SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return reinterpret_cast<CIdleMonitorDoc*>(d); });
  }
  static QWidget* GetMainFrameWidget() { return Instance() ? Instance()->GetMainFrame() : nullptr; }
  void OpenIdleDocument() override {
    if (!g_bHardwarePresent) return;
    m_bIdleFrame = true;
    m_bReplayFrame = false;
    qv::Document* doc = Template(0)->OpenDocumentFile(nullptr);
    g_pActiveDoc = doc ? reinterpret_cast<CLogDoc*>(static_cast<CIdleMonitorDoc*>(doc)) : nullptr;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  qv::InstallQtServices();
  g_strProgramFolder = qv::ProgramFolder();

  ShellApp app;
  static qv::AcquisitionSetup setup;
  g_pAcquisitionSetup = &setup;
  qv::LoadAcquisitionSetup(&setup, g_strCurrentSonde, g_strSondeSerialNo);
  {
    qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
    g_bHardwarePresent = (InitialisePCMLink() & 0xFF) == TB_STATUS_LINK_OPEN;
  }

  CMainFrame frame;
  if (!frame.Create()) return 1;
  app.SetMainFrame(&frame);
  app.StartIdleUpdates();
  // Maximised also where no window manager does it.
  if (QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
  frame.showMaximized();
  app.OpenIdleDocument();
  const int code = qapp.exec();
  app.CloseAllDocuments();
  return code;
}
