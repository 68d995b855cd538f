#include "logtools/engine/tool_dialogs.h"

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"

namespace qv {

namespace {
std::string g_defaultDataFolder;
}

void SetDefaultDataFolder(const std::string& folder) {
  g_defaultDataFolder = folder;
}
const std::string& DefaultDataFolder() {
  return g_defaultDataFolder;
}
std::string ProgramDataFolder() {
  return JoinPath(ProgramFolder(), "DATA") + "/";
}
std::string DataFolderForDialogs() {
  return g_defaultDataFolder.empty() ? ProgramDataFolder() : g_defaultDataFolder;
}
std::string FolderWithSeparator(const std::string& path) {
  std::size_t s = path.find_last_of("/\\");
  return s == std::string::npos ? std::string() : path.substr(0, s + 1);
}

}  // namespace qv

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {
int ShowToolMessage(unsigned id, unsigned flags) {
  return ShowMessageBox(LoadString(id), {}, flags);
}
}  // namespace qv
