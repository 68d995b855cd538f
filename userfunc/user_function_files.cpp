#include "userfunc/user_function_files.h"

#include <sys/stat.h>

#include "platform/files/paths.h"
#include "platform/profile/profile.h"

namespace qv {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string UserFunctionFolder() {
  return FindFileNoCase(JoinPath(ProgramFolder(), "Userfunction"));
}

std::string FindUserFunctionLibrary(const std::string& base) {
  for (const char* ext : {".so", ".DLL"}) {
    const std::string path = FindFileNoCase(base + ext);
    if (IsFile(path)) return path;
  }
  return {};
}

std::vector<UserFunctionChoice> FindUserFunctions(const std::string& folder, const std::string& abbreviation) {
  std::vector<UserFunctionChoice> choices;
  if (abbreviation.empty()) return choices;
  for (int n = -1; n <= 99; ++n) {
    const std::string base = JoinPath(folder, abbreviation + (n < 0 ? "" : std::to_string(n)));
    const std::string ini = FindFileNoCase(base + ".INI");
    if (!IsFile(ini)) continue;
    std::string library = FindUserFunctionLibrary(base);
    if (library.empty()) continue;
    std::string name = GetProfileText(ini, "General", "UPName", "???", 256);
    choices.push_back({name.empty() ? "???" : name, std::move(library)});
  }
  return choices;
}

}  // namespace qv
