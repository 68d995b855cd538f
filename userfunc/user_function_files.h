// Finding a sonde's user functions on disk: each is an INI (its description)
// with a library of the same base name beside it, in the Userfunction folder.
#pragma once

#include <string>
#include <vector>

namespace qv {

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

}  // namespace qv
