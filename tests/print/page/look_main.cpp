// Not a test: shows the log views' print dialog (and, given "preview", a
// print preview) on a display, to look at.
#include <QApplication>
#include <QPrinter>
#include <cstring>

#include "print/page/print_dialog.h"
#include "print/page/print_settings.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QPrinter printer(QPrinter::HighResolution);
  qv::print::PrintSettings settings;
  qv::print::InitPrintSettings(&settings);
  settings.scale = 200;
  qv::print::CQVPrintDlg dlg(&printer, false);
  dlg.SetSettings(&settings);
  dlg.exec();
  return 0;
}
