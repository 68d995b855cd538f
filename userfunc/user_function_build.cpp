#include "userfunc/user_function_build.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/process/process.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "userfunc/user_function_check.h"
#include "userfunc/user_function_files.h"
#include "userfunc/user_function_library.h"
#include "userfunc/user_function_source.h"

namespace qv {

namespace {

constexpr unsigned kStrCompilerError = 32187;
constexpr unsigned kStrFatalCompilerError = 32188;
constexpr unsigned kStrOutOfResources = 32189;
constexpr unsigned kStrCannotStartCompiler = 32192;
constexpr unsigned kStrSyntaxError = 32193;
constexpr unsigned kStrBuildSucceeded = 32341;
constexpr unsigned kStrLogInProgress = 32182;

// Only the three entry points leave the library.
constexpr const char* kVersionScript = "{\n  global: UserFunction; Init; InitWaveforms;\n  local: *;\n};\n";

bool Fail(unsigned id) {
  ShowMessageId(id, MB_OK | MB_ICONERROR);
  return false;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string WithLineEnd(std::string s) {
  if (!s.empty() && s.back() != '\n') s += '\n';
  return s;
}

// Whether a line of the compiler's output reports a fault in the source.
bool ReportsAnError(const std::string& output) {
  return output.find("error") != std::string::npos;
}

}  // namespace

std::string FindUserFunctionCompiler(const std::string& compiler) {
  const std::string name = compiler.empty() ? "gcc" : compiler;
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
  const char* env = std::getenv("PATH");
  const std::string path = env && *env ? env : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(start, end - start);
    const std::string candidate = JoinPath(folder.empty() ? "." : folder, name);
    if (IsFile(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

bool BuildUserFunction(const UserFunctionRecord& record, const std::string& text,
                       const UserFunctionBuildOptions& options) {
  if (!SaveUserFunctionSource(record, text)) return Fail(kStrCompilerError);
  const UserFunctionPaths files = UserFunctionFilesOf(record.FileName);
  const std::string target = FindFileNoCase(files.base + kUserFunctionLibraryExt);
  // A log calls the old library: it is not replaced under it.
  if (UserFunctionLibraryInUse(target)) return Fail(kStrLogInProgress);

  const std::string fragments =
      options.fragments.empty() ? FindFileNoCase(JoinPath(UserFunctionFolder(), "bin")) : options.fragments;
  std::string header, source, trailer;
  if (!ReadWholeFile(FindFileNoCase(JoinPath(fragments, "Header")), header) || !ReadWholeFile(files.source, source))
    return Fail(kStrCompilerError);
  ReadWholeFile(FindFileNoCase(JoinPath(fragments, "Trailer")), trailer);  // a missing Trailer is skipped

  PrivateFolder folder(FolderPart(target).empty() ? "." : FolderPart(target), ".build");
  if (folder.path().empty()) return Fail(kStrCompilerError);
  const std::string dir = folder.path();
  if (!WriteFileAtomically(JoinPath(dir, "Tmp.c"), WithLineEnd(header) + WithLineEnd(source) + trailer) ||
      !WriteFileAtomically(JoinPath(dir, "Tmp.ver"), kVersionScript))
    return Fail(kStrCompilerError);

  const std::string compiler = FindUserFunctionCompiler(options.compiler);
  if (compiler.empty()) {
    ShowMessageId(kStrCannotStartCompiler, MB_OK | MB_ICONERROR);
    return Fail(kStrCompilerError);
  }
  const std::string output = JoinPath(dir, "Tmp.txt");
  ChildProcess cc;
  if (!cc.Start(compiler,
                {"-shared", "-fPIC", "-O2", "-s", "-Wl,--version-script=Tmp.ver", "-o", "Tmp.so", "Tmp.c", "-lm"}, dir,
                output, true)) {
    const int e = cc.StartError();
    ShowMessageId(e == ENOMEM || e == EAGAIN ? kStrOutOfResources : kStrCannotStartCompiler, MB_OK | MB_ICONERROR);
    return Fail(kStrCompilerError);
  }
  const std::optional<int> status = cc.Wait(options.timeoutMs);
  if (!status) {
    cc.KillGroup();  // the compiler and whatever it started
    return Fail(kStrFatalCompilerError);
  }
  const std::string built = JoinPath(dir, "Tmp.so");
  if (*status != 0 || !IsFile(built)) {
    std::string messages;
    ReadWholeFile(output, messages);
    return Fail(ReportsAnError(messages) ? kStrSyntaxError : kStrCompilerError);
  }

  // The library runs in a process of its own on the table of inputs: one
  // that crashes, hangs or ends the process there never replaces the old one,
  // and the user is told what it did.
  UserFunctionCheckOptions check;
  check.checker = options.checker;
  check.ini = files.ini;
  check.callLimitMs = options.checkCallLimitMs;
  const UserFunctionVerdict verdict = CheckUserFunctionLibrary(built, check);
  if (!verdict.passed) {
    ShowMessageText(kStrCompilerError, LoadString(kStrCompilerError) + "\n" + verdict.what, MB_OK | MB_ICONERROR);
    return false;
  }

  if (UserFunctionLibraryInUse(target)) return Fail(kStrLogInProgress);
  if (std::rename(built.c_str(), target.c_str()) != 0) return Fail(kStrCompilerError);
  ShowMessageId(kStrBuildSucceeded, MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace qv
