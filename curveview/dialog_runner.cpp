#include "curveview/dialog_runner.h"

#include <QDialog>
#include <atomic>
#include <mutex>

namespace curveview {
namespace {
std::mutex g_mutex;
DialogRunner g_runner;
std::atomic<bool> g_wrap{true};
PrintStyleChooser g_chooser;
}  // namespace

int RunDialog(QDialog& dialog) {
  DialogRunner r;
  {
    std::lock_guard lock(g_mutex);
    r = g_runner;
  }
  return r ? r(dialog) : dialog.exec();
}

DialogRunner SetDialogRunner(DialogRunner runner) {
  std::lock_guard lock(g_mutex);
  std::swap(runner, g_runner);
  return runner;
}

void SetPrintStyleChooser(PrintStyleChooser chooser) {
  std::lock_guard lock(g_mutex);
  g_chooser = std::move(chooser);
}

bool ChoosePrintStyle(const std::string& title, int* style) {
  PrintStyleChooser c;
  {
    std::lock_guard lock(g_mutex);
    c = g_chooser;
  }
  return c && c(title, style);
}

bool WrapCurves() { return g_wrap.load(); }
void SetWrapCurves(bool wrap) { g_wrap.store(wrap); }

}  // namespace curveview
