// Quorvanta main program.
#include <QApplication>
#include <QScreen>

#include "app/core/globals.h"
#include "platform/docview/docview.h"
#include "platform/docview/services.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  qv::InstallQtServices();
  g_strProgramFolder = QCoreApplication::applicationDirPath().toStdString();

  qv::Application app;
  qv::MainFrame frame;
  frame.setWindowTitle(QStringLiteral("Quorvanta"));
  app.SetMainFrame(&frame);
  frame.OnCommand(57665, [&frame] { frame.close(); });
  frame.BuildMenus({{"&File/E&xit Quorvanta", 57665}});
  app.StartIdleUpdates();
  // Maximised also where no window manager does it.
  if (QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
  frame.showMaximized();
  return qapp.exec();
}
