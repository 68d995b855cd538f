#include "print/ui/setup_command.h"

#include <QApplication>

#include "app/ui/frames.h"
#include "print/ui/setup_prn.h"

namespace qv {

void InstallRealTimePrinterSetup(PrinterSetupRunner run) {
  Tools().realTimePrinterSetup = [run = std::move(run)] {
    CSetupPrn dialog(QApplication::activeWindow());
    dialog.EnsureInitialised();
    if (run)
      run(dialog);
    else
      dialog.exec();
  };
}

}  // namespace qv
