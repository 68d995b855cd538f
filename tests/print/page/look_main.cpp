// Not a test: shows the log views' print dialog, or with "preview" the print
// preview of a made-up two-file log, on a display, to look at.
#include <QApplication>
#include <QPrinter>
#include <cstring>

#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "print/page/print_settings.h"
#include "print/page/qt_print.h"
#include "tests/print/page/fake_log.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], "preview") == 0) {
    qvtest::FakeLog log({260, 120});
    qv::print::LogPagePrinter pages(log);
    pages.Settings().continuousMode = 0;
    pages.Printer().setResolution(300);
    qv::print::RunPrintPreview(pages, pages.Printer(), nullptr);
    return 0;
  }
  QPrinter printer(QPrinter::HighResolution);
  qv::print::PrintSettings settings;
  qv::print::InitPrintSettings(&settings);
  settings.scale = 200;
  qv::print::CQVPrintDlg dlg(&printer, false);
  dlg.SetSettings(&settings);
  dlg.exec();
  return 0;
}
