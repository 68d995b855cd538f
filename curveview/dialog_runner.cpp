#include "curveview/dialog_runner.h"

#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <mutex>

#include "app/ui/line_dialog.h"

namespace curveview {
namespace {
std::mutex g_mutex;
DialogRunner g_runner;
}  // namespace

int RunDialog(QDialog& dialog) {
  DialogRunner r;
  {
    std::lock_guard lock(g_mutex);
    r = g_runner;
  }
  if (!r) return dialog.exec();
  // An installed answer runs inside a modal loop of its own, as exec() runs
  // the dialog: timers and posted events arrive meanwhile, so a caller that
  // holds a lock or leaves state half-changed across the dialog shows up in
  // tests as it would in the program.
  int result = QDialog::Rejected;
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&] {
    result = r(dialog);
    loop.quit();
  });
  loop.exec();
  return result;
}

DialogRunner SetDialogRunner(DialogRunner runner) {
  std::lock_guard lock(g_mutex);
  std::swap(runner, g_runner);
  return runner;
}

bool ChoosePrintStyle(const std::string& title, int* style, QWidget* parent) {
  CLineDlg dlg(parent);
  dlg.m_strCaption = title;
  if (RunDialog(dlg) != QDialog::Accepted || dlg.m_nStyle < 0) return false;
  *style = dlg.m_nStyle;
  return true;
}

}  // namespace curveview
