#include "logtools/ui/file_dialog.h"

#include <QFileDialog>
#include <QStringList>
#include <utility>

#include "platform/text/strings.h"

namespace qv {

namespace {
ToolFileHandler g_handler;
}

ToolFileHandler SetToolFileHandler(ToolFileHandler handler) {
  return std::exchange(g_handler, std::move(handler));
}

std::string QtFilter(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << parts[i].trimmed() + " (" + patterns + ")";
  }
  return out.join(";;").toStdString();
}

std::optional<std::string> RunFileDialog(QWidget* parent, const ToolFileRequest& request) {
  if (g_handler) return g_handler(request);
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromStdString(QtFilter(LoadString(request.filterId))));
  dialog.setDirectory(QString::fromStdString(request.initialFolder));
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
  if (!request.initialName.empty() && request.initialName != "*.*")
    dialog.selectFile(QString::fromStdString(request.initialName));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace qv
