#include "printer_error.h"

#include <QCoreApplication>

#include "platform/docview/gui_thread.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

int PrinterErrorThread(QObject*) {
  // The box is posted rather than shown here, so that a display thread that
  // lost its recorder never waits for the user; it is shown even when the
  // window has gone meanwhile.
  qv::PostToGui(QCoreApplication::instance(), [] {
    qv::Beep(0);
    qv::ShowMessageId(kStrPrinterCommunicationError, qv::MB_OK | qv::MB_ICONSTOP,
                      qv::LoadString(kStrPrinterErrorCaption));
  });
  return 1;
}
