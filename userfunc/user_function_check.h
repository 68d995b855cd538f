// The check every user-function library passes before this process loads
// it for the first time: the library is loaded and called in a process of
// its own (quorva-ufcheck) on a table of inputs (zeros, ones, negative,
// large and NaN values and the display range of each of its channels), each
// stage under a time limit. A library that does not load there, crashes,
// does not return, ends the process or exports an entry point that is not a
// function is refused. The verdict is kept for the file (device, inode, size
// and modification time), so a library is checked once per run.
#pragma once

#include <string>

namespace qv {

struct UserFunctionCheckOptions {
  std::string checker;        // empty: UserFunctionCheckerPath()
  std::string ini;            // the INI with the channels' display ranges; empty: the one beside the library
  unsigned callLimitMs = 0;   // each stage (load, Init, every call); 0: the default
  unsigned totalLimitMs = 0;  // the whole check; 0: derived from the stage limit
};

struct UserFunctionVerdict {
  bool passed = false;
  std::string what;  // what happened, for the user, when refused
};

// Runs the check of the library at PATH (or gives the kept verdict).
UserFunctionVerdict CheckUserFunctionLibrary(const std::string& path, const UserFunctionCheckOptions& options = {});

// The check program: the one set here, else quorva-ufcheck beside this
// program's executable. Tests point it at the built program folder.
std::string UserFunctionCheckerPath();
void SetUserFunctionChecker(std::string path);
// Stage limit for checks that do not give one (tests shorten it).
void SetUserFunctionCheckLimit(unsigned callLimitMs);
// Forgets every kept verdict.
void ForgetUserFunctionVerdicts();

}  // namespace qv
