// Quorvanta main program.
#include <QApplication>
#include <QLocale>

#include "app/logtools/log_tool_commands.h"
#include "app/ui/frames.h"
#include "app/logwindows/open_logs.h"
#include "platform/docview/services.h"
#include "platform/docview/termination.h"
#include "platform/docview/translation.h"
#include "platform/text/codepage.h"
#include "print/ui/setup_command.h"
#include "sondedb/calui/command.h"
#include "userfunc/ui/user_func_sheet.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  qv::InstallQtServices();
  // LANG=ja_JP.UTF-8 shows the Japanese texts; any other locale English.
  qv::InstallTranslationForLocale(QCoreApplication::applicationDirPath());
  // The same locale decides the code page of the files' texts: a Japanese
  // system keeps them in code page 932, any other in 1252.
  qv::SetFileCodePage(qv::IsJapaneseLocale(QLocale::system()) ? qv::kCodePageJapanese : qv::kCodePageWestern);
  // A shutdown or kill ends the run like File/Exit: a running log is stopped
  // and its records written before the program goes.
  qv::HandleTerminationSignals();
  Tools().calibration = [] { qv::RunCalibrationCommand(QApplication::activeWindow()); };
  qv::InstallLogTools();
  qv::InstallRealTimePrinterSetup();
  qv::InstallUserFunctionTool();
  InstallLogDocuments();
  int code = 0;
  {
    CPemmaroApp app;
    if (!app.InitInstance()) {
      app.ExitInstance();
      return 1;
    }
    code = qv::TerminationRequested() ? 0 : qapp.exec();
    app.ExitInstance();
  }
  return code;
}
