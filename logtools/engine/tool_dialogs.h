// What the log-file tools' dialogs ask of the user beyond message boxes, as
// plain requests: the dialogs answer them with Qt, tests with fakes.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace qv {

// An open or save file dialog of the log-file tools (not the program's own
// file-dialog request: both live in one program). The filter is a
// string-table id holding the filter in "Name|patterns|...||" form.
struct ToolFileRequest {
  bool save = false;
  unsigned filterId = 0;
  std::string defaultExt;     // without '.'; empty for none
  std::string initialName;    // proposed file name, may be empty
  std::string initialFolder;  // folder the dialog opens in
  bool overwritePrompt = false;
  bool fileMustExist = false;
};
// The chosen path, or nothing after Cancel.
using ToolFileHandler = std::function<std::optional<std::string>(const ToolFileRequest&)>;

// The folder the log-file dialogs propose for data files: the last folder a
// data file was chosen in (kept for the process's lifetime), else the DATA
// folder of the program folder. Both end with '/'.
std::string DataFolderForDialogs();
void SetDefaultDataFolder(const std::string& folder);
const std::string& DefaultDataFolder();
// The DATA folder of the program folder, ending with '/'.
std::string ProgramDataFolder();
// The folder of PATH with its trailing separator.
std::string FolderWithSeparator(const std::string& path);

}  // namespace qv

namespace qv {
// Shows string-table text ID in a box with the program's caption (the
// message-box service's default).
int ShowToolMessage(unsigned id, unsigned flags);
}  // namespace qv
