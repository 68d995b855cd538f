#include "logview/dialog_runner.h"

#include <QDialog>
#include <mutex>

#include "app/ui/line_dialog.h"
#include "platform/docview/dialog.h"

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
  return r ? qv::RunAsModal([&] { return r(dialog); }) : dialog.exec();
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
