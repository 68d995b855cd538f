// Building a user function into its library with the system's C compiler:
// the Header fragment, the function's source and the Trailer fragment make
// Tmp.c, a version script exports exactly UserFunction, Init and
// InitWaveforms, and the compiler runs from an argument list (no shell) in a
// private folder beside the library, never longer than the time-out. The new
// library passes the check of user_function_check.h (loaded and called on a
// table of inputs in a process of its own) and only then is renamed over the
// old one, which stays on every failure.
#pragma once

#include <string>

#include "userfunc/user_function_record.h"

namespace qv {

struct UserFunctionBuildOptions {
  std::string compiler;   // empty: "gcc" on the PATH
  std::string fragments;  // folder of Header and Trailer; empty: Userfunction/bin
  std::string checker;    // the library check; empty: UserFunctionCheckerPath()
  unsigned timeoutMs = 40000;
  unsigned checkCallLimitMs = 0;  // each stage of the check; 0: the check's default
};

// Saves TEXT as the record's source, builds it and installs the library
// beside the source (same base name, ".so"). Shows the outcome:
// "Implementation of Userfunction successful." or the failure ("Compiler
// error!", the syntax error, the fatal compiler error of a time-out, the
// compiler that cannot be started, "Compiler error!" followed by what the
// library did in its check, or "Changes not saved because a log is in
// progress." when a log holds the library loaded). True on success.
bool BuildUserFunction(const UserFunctionRecord& record, const std::string& text,
                       const UserFunctionBuildOptions& options = {});

// The compiler the build would use, or empty when none is found.
std::string FindUserFunctionCompiler(const std::string& compiler = {});

}  // namespace qv
