#include "services.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <mutex>

#include "platform/docview/gui_thread.h"
#include "platform/docview/qtext.h"
#include "platform/text/msgbox.h"

namespace qv {
namespace {

std::mutex g_mutex;
FileDialogHandler g_fileDialog;

int RunQtBox(const MessageBoxRequest& r) {
  QMessageBox box;
  box.setWindowTitle(QStr(r.caption));
  box.setText(QStr(r.text));
  switch (r.flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct Button {
    QMessageBox::StandardButton qt;
    int answer;
  };
  static const std::vector<Button> kinds[] = {
      {{QMessageBox::Ok, IDOK}},
      {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}},
      {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}},
      {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}},
      {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}},
      {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}},
  };
  const unsigned kind = (r.flags & 0xF) <= 5 ? (r.flags & 0xF) : 0;
  const auto& buttons = kinds[kind];
  for (const Button& b : buttons) box.addButton(b.qt);
  unsigned def = (r.flags & MB_DEFBUTTON3) ? 2 : (r.flags & MB_DEFBUTTON2) ? 1 : 0;
  if (def >= buttons.size()) def = 0;
  box.setDefaultButton(buttons[def].qt);
  if (r.flags & MB_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.setWindowModality((r.flags & MB_TASKMODAL) ? Qt::ApplicationModal : Qt::WindowModal);
  const int pressed = box.exec();
  for (const Button& b : buttons)
    if (pressed == b.qt) return b.answer;
  // Closed with the window's close button: the box's escape answer.
  for (const Button& b : buttons)
    if (b.answer == IDCANCEL) return IDCANCEL;
  return buttons.size() == 1 ? IDOK : DefaultAnswer(r.flags);
}

std::string RunQtFileDialog(const FileDialogRequest& r) {
  QFileDialog dlg(r.parent);
  PrepareFileDialog(dlg, r);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().front().toStdString();
}

}  // namespace

int ShowBoxOnGui(const MessageBoxRequest& r, const std::function<int(const MessageBoxRequest&)>& show) {
  // A box asked for while the application is going away gets its default.
  // A worker that cannot wait for the GUI thread goes on with the default;
  // a box that only tells something (OK alone) is still shown, a question
  // is not asked.
  const bool tellsOnly = (r.flags & 0xF) == MB_OK;
  return CallOnGui<int>([r, show] { return show(r); }, DefaultAnswer(r.flags),
                        tellsOnly ? Withdrawn::Run : Withdrawn::Drop);
}

void PrepareFileDialog(QFileDialog& dlg, const FileDialogRequest& r) {
  // The program's own dialog: its listing matches the patterns without
  // regard to case (a log may be "X.LOG" or "x.log"), and each filter shows
  // just its description, which names its patterns already.
  dlg.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dlg.setFilter(dlg.filter() & ~QDir::CaseSensitive);
  dlg.setWindowTitle(QStr(r.title));
  dlg.setDirectory(QString::fromStdString(r.initialFolder));
  dlg.setNameFilters(QStr(QtFileFilter(r.filter)).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
  dlg.setAcceptMode(r.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dlg.setFileMode(r.open && r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  std::string ext = r.defaultExt;
  if (ext.rfind("*.", 0) == 0) ext = ext.substr(2);
  if (!ext.empty()) dlg.setDefaultSuffix(QString::fromStdString(ext));
  if (!r.fileName.empty()) dlg.selectFile(QString::fromStdString(r.fileName));
}

std::string QtFileFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : filter) {
    if (c == '|') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;
    std::string desc = parts[i];
    while (!desc.empty() && desc.back() == ' ') desc.pop_back();
    std::string pats;
    std::string one;
    for (size_t k = 0; k <= parts[i + 1].size(); ++k) {
      const char c = k < parts[i + 1].size() ? parts[i + 1][k] : ';';
      if (c == ';' || c == ' ') {
        if (!one.empty()) {
          if (!pats.empty()) pats += ' ';
          pats += one;
        }
        one.clear();
      } else {
        one += c;
      }
    }
    if (!out.empty()) out += ";;";
    out += desc + " (" + pats + ")";
  }
  return out;
}

void InstallQtServices() {
  SetMessageBoxHandler([](const MessageBoxRequest& r) {
    if (!QApplication::instance()) return DefaultAnswer(r.flags);
    return ShowBoxOnGui(r, RunQtBox);
  });
  SetBeepHandler([](unsigned) { PostToGui(QApplication::instance(), [] { QApplication::beep(); }); });
}

std::string ShowFileDialog(const FileDialogRequest& request) {
  FileDialogHandler h;
  {
    std::lock_guard lk(g_mutex);
    h = g_fileDialog;
  }
  if (h) return h(request);
  if (!QApplication::instance()) return {};
  return CallOnGui<std::string>([request] { return RunQtFileDialog(request); }, std::string());
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
  std::lock_guard lk(g_mutex);
  std::swap(g_fileDialog, handler);
  return handler;
}

}  // namespace qv
