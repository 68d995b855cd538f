// Not a test: the print preview (or, with "dialog", the print command's
// dialog) of a recorded two-file log in the curve view, on a display, to look
// at; with "up" the preview of a log recorded up.
#include <QApplication>
#include <cstring>
#include <filesystem>

#include "print/page/page_model.h"
#include "tests/curveview/recorded_log.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string dir = (std::filesystem::temp_directory_path() / "qv_curve_print_look").string();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const bool up = argc > 1 && std::strcmp(argv[1], "up") == 0;
  qvtest::RecordedLog log(
      dir, up ? std::vector<qvtest::FileSpec>{{600, 60000}} : std::vector<qvtest::FileSpec>{{600, 0}, {300, 60000}},
      up ? 11 : 12);
  if (!log.opened) return 1;
  log.view.PagePrinter()->Settings().continuousMode = 0;
  log.view.PagePrinter()->Printer().setResolution(300);
  if (argc > 1 && std::strcmp(argv[1], "dialog") == 0)
    log.view.OnFilePrint();
  else
    log.view.OnFilePrintPreview();
  return 0;
}
