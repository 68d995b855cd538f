#include "userfunc/user_function_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <string_view>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "userfunc/user_function_check.h"
#include "userfunc/user_function_files.h"
#include "userfunc/user_function_library.h"

namespace qv {

namespace {

constexpr unsigned kStrExportDone = 32397;
constexpr unsigned kStrExportFailed = 32398;
constexpr unsigned kStrAlreadyExist = 32399;
constexpr unsigned kStrImportDone = 32400;
constexpr unsigned kStrImportFailed = 32401;

constexpr std::size_t kDisplayNameAt = 12;
constexpr std::size_t kBaseNameAt = 162;
constexpr std::size_t kNameWithTerminator = kPackageNameField + 2;

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void PutU32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t GetU32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

// A real package holds an INI, a source of statements and a small library:
// anything larger is not one, and is refused before it is read.
constexpr std::uint64_t kLargestPackage = 16u << 20;

// The package's bytes. Only a regular file is read, and it is opened without
// blocking, so a FIFO or device named as a package is refused at once.
bool ReadPackage(const std::string& path, std::string* bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= kLargestPackage;
  if (ok) {
    bytes->resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (ok && done < bytes->size()) {
      const ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // a file that shrank ends here
      done += static_cast<std::size_t>(n);
    }
    bytes->resize(done);
  }
  ::close(fd);
  return ok;
}

bool Report(unsigned id, const std::string& package, unsigned icon) {
  ShowMessageText(id, FormatC(LoadString(id).c_str(), package.c_str()), MB_OK | icon);
  return id == kStrExportDone || id == kStrImportDone;
}

// The zero-terminated text of a name field; false when it has no terminator.
bool FieldText(const std::string& b, std::size_t at, std::string* text) {
  const std::string_view field(b.data() + at, kNameWithTerminator);
  const std::size_t end = field.find('\0');
  if (end == std::string_view::npos) return false;
  *text = std::string(field.substr(0, end));
  return true;
}

// A base name that stays a plain file name in the user-function folder.
bool SafeBaseName(const std::string& name) {
  if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

}  // namespace

bool ExportUserFunctionPackage(const std::string& sourcePath, const std::string& packagePath) {
  const UserFunctionPaths files = UserFunctionFilesOf(sourcePath);
  const std::string name = FileNamePart(files.base);
  std::string ini, source, library;
  if (name.empty() || !ReadWholeFile(files.ini, ini) || !ReadWholeFile(files.source, source))
    return Report(kStrExportFailed, packagePath, MB_ICONERROR);
  const std::string displayName = GetProfileText(files.ini, "General", "UPName", "", 256);
  if (displayName.empty()) return Report(kStrExportFailed, packagePath, MB_ICONERROR);
  const bool withLibrary = IsFile(files.library) && ReadWholeFile(files.library, library);

  std::string package(kPackageHeadSize, '\0');
  package.replace(kDisplayNameAt, std::min(displayName.size(), kPackageNameField), displayName, 0, kPackageNameField);
  package.replace(kBaseNameAt, std::min(name.size(), kPackageNameField), name, 0, kPackageNameField);
  PutU32(package, 0, static_cast<std::uint32_t>(package.size()));
  package += ini;
  PutU32(package, 4, static_cast<std::uint32_t>(package.size()));
  package += source;
  PutU32(package, 8, withLibrary ? static_cast<std::uint32_t>(package.size()) : kPackageNoLibrary);
  if (withLibrary) package += library;
  if (package.size() >= kPackageNoLibrary || !WriteFileAtomically(packagePath, package))
    return Report(kStrExportFailed, packagePath, MB_ICONERROR);
  return Report(kStrExportDone, packagePath, MB_ICONINFORMATION);
}

bool ImportUserFunctionPackage(const std::string& packagePath, const std::string& folder) {
  auto failed = [&](const std::string& what = {}) {
    std::string text = FormatC(LoadString(kStrImportFailed).c_str(), packagePath.c_str());
    if (!what.empty()) text += "\n" + what;
    ShowMessageText(kStrImportFailed, text, MB_OK | MB_ICONERROR);
    return false;
  };
  std::string b;
  if (!ReadPackage(packagePath, &b) || b.size() < kPackageHeadSize) return failed();
  const std::uint64_t size = b.size();
  const std::uint32_t iniAt = GetU32(b, 0), sourceAt = GetU32(b, 4), libraryAt = GetU32(b, 8);
  const bool withLibrary = libraryAt != kPackageNoLibrary;
  const std::uint64_t sourceEnd = withLibrary ? libraryAt : size;
  if (iniAt < kPackageHeadSize || iniAt > sourceAt || sourceAt > sourceEnd || sourceEnd > size) return failed();
  std::string displayName, name;
  if (!FieldText(b, kDisplayNameAt, &displayName) || !FieldText(b, kBaseNameAt, &name) || !SafeBaseName(name))
    return failed();

  const std::string base = JoinPath(folder, name);
  const std::string ini = FindFileNoCase(base + kUserFunctionIniExt);
  const std::string source = FindFileNoCase(base + kUserFunctionSourceExt);
  const std::string oldLibrary = FindUserFunctionLibrary(base);
  const std::string library = oldLibrary.empty() ? base + kUserFunctionLibraryExt : oldLibrary;
  if ((IsFile(ini) || IsFile(source) || !oldLibrary.empty()) &&
      ShowMessageId(kStrAlreadyExist, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  // The library a running log calls is not replaced under it.
  if (!oldLibrary.empty() && UserFunctionLibraryInUse(oldLibrary)) return failed();

  // Every part is written under its own name into a private folder beside
  // the targets, so the library's check finds the INI beside it.
  PrivateFolder staging(folder, ".import");
  if (staging.path().empty()) return failed();
  struct Part {
    std::string target, bytes, staged;
    bool placed;
  };
  std::vector<Part> parts = {{ini, b.substr(iniAt, sourceAt - iniAt), {}, false},
                             {source, b.substr(sourceAt, sourceEnd - sourceAt), {}, false}};
  if (withLibrary) parts.push_back({library, b.substr(libraryAt), {}, false});
  for (Part& p : parts) {
    p.staged = JoinPath(staging.path(), FileNamePart(p.target));
    if (!WriteFileAtomically(p.staged, p.bytes)) return failed();
  }
  if (withLibrary) {
    // The library runs in a process of its own before it is installed.
    const UserFunctionVerdict verdict = CheckUserFunctionLibrary(parts.back().staged);
    if (!verdict.passed) return failed(verdict.what);
  }

  // The old files step aside first; the new ones are placed together, and
  // any failure puts the old ones back: the function is never half replaced.
  // The old library belongs to the old source: a package without one leaves none.
  std::vector<std::string> olds = {ini, source};
  if (!oldLibrary.empty()) olds.push_back(oldLibrary);
  std::vector<std::pair<std::string, std::string>> moved;  // old file, where it went
  auto rollBack = [&] {
    for (Part& p : parts)
      if (p.placed) ::unlink(p.target.c_str());
    for (const auto& [old, aside] : moved) RenameFile(aside, old);
    return failed();
  };
  for (const std::string& old : olds) {
    if (!IsFile(old)) continue;
    const std::string aside = JoinPath(staging.path(), ".old." + FileNamePart(old));
    if (!RenameFile(old, aside)) return rollBack();
    moved.emplace_back(old, aside);
  }
  for (Part& p : parts) {
    if (!RenameFile(p.staged, p.target)) return rollBack();
    p.placed = true;
  }
  return Report(kStrImportDone, packagePath, MB_ICONINFORMATION);
}

}  // namespace qv
