// The log-file tools of the File menu: Merge Logs, Depth Shift and
// Export/LAS 2.0. Each command builds its dialog without a parent and runs it
// modally; a merged log is then opened for replay by the application.
#pragma once

#include <functional>

class QDialog;

namespace qv {

// How a tool's dialog runs: exec() in the program; tests answer it without a
// modal loop. The result is QDialog's (Accepted or Rejected).
using ToolDialogRunner = std::function<int(QDialog& dialog)>;

// Puts the three tools into the main frame's hooks (Tools()). Call before
// the main frame is created.
void InstallLogTools(ToolDialogRunner run = nullptr);

}  // namespace qv
