#include "app/logtools/log_tool_commands.h"

#include <QDialog>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "logtools/engine/tool_dialogs.h"
#include "logtools/las_ui/las_dialog.h"
#include "logtools/ui/depth_shift_dialog.h"
#include "logtools/ui/merge_dialog.h"
#include "platform/files/paths.h"

namespace qv {
namespace {

ToolDialogRunner& Runner() {
  static ToolDialogRunner run;
  return run;
}

int Run(QDialog& dialog) {
  return Runner() ? Runner()(dialog) : dialog.exec();
}

// The tools' file dialogs start in the folder the user last took a log from,
// as File/Replay Log does, and a folder chosen in a tool is the one File/Replay
// Log proposes next.
class SharedDataFolder {
 public:
  SharedDataFolder() {
    if (!g_strDefaultDataFolder.empty()) SetDefaultDataFolder(g_strDefaultDataFolder);
  }
  ~SharedDataFolder() {
    if (!DefaultDataFolder().empty()) g_strDefaultDataFolder = DefaultDataFolder();
  }
  SharedDataFolder(const SharedDataFolder&) = delete;
  SharedDataFolder& operator=(const SharedDataFolder&) = delete;
};

}  // namespace

void InstallLogTools(ToolDialogRunner run) {
  Runner() = std::move(run);
  MainFrameTools& tools = Tools();
  tools.depthShift = [] {
    const SharedDataFolder shared;
    DepthShift dialog(nullptr);
    Run(dialog);
  };
  tools.mergeLogs = [](std::string* title, std::string* path) {
    const SharedDataFolder shared;
    CMergeLog dialog(nullptr);
    // The dialog ends with OK only after a successful merge.
    if (Run(dialog) != QDialog::Accepted || dialog.OutputPath().empty()) return false;
    *path = dialog.OutputPath();
    // The title File/Replay Log gives a log: its file name without extension.
    *title = SiblingPath(FileNamePart(dialog.OutputPath()), "");
    return true;
  };
  tools.exportLas = [] {
    const SharedDataFolder shared;
    CLASCfg dialog(nullptr);
    Run(dialog);
  };
}

}  // namespace qv
