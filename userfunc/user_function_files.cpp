#include "userfunc/user_function_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The existing file of BASE + EXT in any letter case, else BASE + EXT.
std::string Existing(const std::string& base, const char* ext) {
  return FindFileNoCase(base + ext);
}

constexpr unsigned kStrFolderMissing = 32171;
constexpr unsigned kStrNumbersTaken = 36430;
constexpr int kUserFunctionsPerSonde = 100;

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

UserFunctionPaths UserFunctionFilesOf(const std::string& path) {
  UserFunctionPaths p;
  p.base = SiblingPath(FromStoredPath(path), "");
  p.ini = Existing(p.base, kUserFunctionIniExt);
  p.source = Existing(p.base, kUserFunctionSourceExt);
  p.library = FindUserFunctionLibrary(p.base);
  if (p.library.empty()) p.library = p.base + kUserFunctionLibraryExt;
  return p;
}

std::string NewUserFunctionFileName(const std::string& folder, const std::string& abbreviation,
                                    bool* folderMissing) {
  if (folderMissing) *folderMissing = !IsFolder(folder);
  if (!IsFolder(folder)) {
    ShowMessageText(kStrFolderMissing, FormatC(LoadString(kStrFolderMissing).c_str(), folder.c_str()),
                    MB_OK | MB_ICONERROR);
    return {};
  }
  int n = 0;
  while (n < kUserFunctionsPerSonde && IsFile(Existing(JoinPath(folder, abbreviation + std::to_string(n)), ".INI")))
    ++n;
  if (n == kUserFunctionsPerSonde) {
    // Every number is taken: a new function would overwrite one of them.
    ShowMessageText(kStrNumbersTaken,
                    FormatC(LoadString(kStrNumbersTaken).c_str(), kUserFunctionsPerSonde, abbreviation.c_str()),
                    MB_OK | MB_ICONERROR);
    return {};
  }
  return JoinPath(folder, abbreviation + std::to_string(n)) + kUserFunctionSourceExt;
}

std::string UserFunctionDisplayName(const std::string& library) {
  const std::string ini = UserFunctionFilesOf(library).ini;
  const std::string name = IsFile(ini) ? GetProfileText(ini, "General", "UPName", "", 256) : std::string();
  return name.empty() ? FileNamePart(library) : name;
}

PrivateFolder::PrivateFolder(const std::string& folder, const std::string& prefix) {
  const std::string pattern = JoinPath(folder, prefix + ".XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data())) path_ = buffer.data();
}

PrivateFolder::~PrivateFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void DeleteUserFunctionFiles(const std::string& path) {
  const UserFunctionPaths p = UserFunctionFilesOf(path);
  for (const std::string& f : {p.library, p.source, p.ini}) {
    if (IsFile(f)) std::remove(f.c_str());
  }
}

}  // namespace qv
