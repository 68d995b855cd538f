// The files of a user function: an INI (its description), its source and
// its library, one base name in the Userfunction folder. Existing files are
// found whatever the letter case of their names (they may come from
// Windows); new files get the canonical spellings below.
#pragma once

#include <string>
#include <vector>

namespace qv {

// Canonical extensions of newly written files.
inline constexpr const char* kUserFunctionIniExt = ".ini";
inline constexpr const char* kUserFunctionSourceExt = ".Src";
inline constexpr const char* kUserFunctionLibraryExt = ".so";

struct UserFunctionChoice {
  std::string name;         // [General] UPName, "???" when empty
  std::string libraryPath;  // the library beside the INI
};

// The Userfunction folder under the program folder.
std::string UserFunctionFolder();

// An existing library of that base name (path without extension): the shared
// object this system builds, or a library under the name the Windows program
// gave it; letter case does not matter. Empty when there is none.
std::string FindUserFunctionLibrary(const std::string& base);

// The user functions of a sonde in FOLDER: "<abbr>.INI", then "<abbr>0.INI" ..
// "<abbr>99.INI", each only when its library lies beside it; names are found
// without regard to letter case.
std::vector<UserFunctionChoice> FindUserFunctions(const std::string& folder, const std::string& abbreviation);

// The files of the function that PATH (any of its files) belongs to: the
// existing file whatever its letter case, else the canonical spelling.
struct UserFunctionPaths {
  std::string base;  // folder and base name, no extension
  std::string ini, source, library;
};
UserFunctionPaths UserFunctionFilesOf(const std::string& path);

// The source path of a new function of the sonde ABBREVIATION in FOLDER: the
// first number 0 to 99 without an INI file. Empty, after "The Directory '%s'
// doesn't exist!" (and *FOLDER_MISSING set), when FOLDER does not exist;
// empty after "All user function numbers ..." when 0 to 99 are all taken
// (no function is ever overwritten).
std::string NewUserFunctionFileName(const std::string& folder, const std::string& abbreviation,
                                    bool* folderMissing = nullptr);

// The name the user knows a function by: the [General] UPName of the INI
// beside LIBRARY, else the library's file name.
std::string UserFunctionDisplayName(const std::string& library);

// A private folder of its own in FOLDER (named PREFIX + ".XXXXXX"), on the
// targets' file system so that its files rename into place; removed with
// whatever is left in it. path() is empty when it could not be made.
class PrivateFolder {
 public:
  PrivateFolder(const std::string& folder, const std::string& prefix);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Deletes the INI, source and library of the function, each when it exists.
void DeleteUserFunctionFiles(const std::string& path);

}  // namespace qv
