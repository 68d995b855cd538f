#include "paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace qv {
namespace {

std::mutex g_folderMutex;
std::string g_folder;  // empty: the executable's folder

std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string exe(buf.data(), static_cast<size_t>(n));
  const auto slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

size_t LastSeparator(const std::string& path) {
  return path.find_last_of("/\\");
}

}  // namespace

std::string ProgramFolder() {
  std::lock_guard lk(g_folderMutex);
  if (g_folder.empty()) g_folder = ExecutableFolder();
  return g_folder;
}

void SetProgramFolder(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::lock_guard lk(g_folderMutex);
  g_folder = std::move(folder);
}

std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty() || (!b.empty() && b.front() == '/')) return b;
  if (b.empty()) return a;
  if (a.back() == '/') return a + b;
  return a + "/" + b;
}

unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  // CP1252: À..Þ except ×, and Š Œ Ž Ÿ.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string FindFileNoCase(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  // Walk the components, resolving each against what the folder holds.
  std::string resolved;
  size_t pos = 0;
  if (path.front() == '/') {
    resolved.push_back('/');
    pos = 1;
  }
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    const std::string part = path.substr(pos, next - pos);
    pos = next + 1;
    if (part.empty()) continue;
    const std::string folder = resolved.empty() ? "." : resolved;
    std::string exact = resolved.empty() ? part : JoinPath(resolved, part);
    if (part == "." || part == ".." || Exists(exact)) {
      resolved = exact;
      continue;
    }
    DIR* d = ::opendir(folder.c_str());
    if (!d) return path;
    std::vector<std::string> matches;
    while (dirent* e = ::readdir(d))
      if (EqualNoCase(e->d_name, part)) matches.emplace_back(e->d_name);
    ::closedir(d);
    if (matches.empty()) return path;
    std::sort(matches.begin(), matches.end());  // same answer on every run
    resolved = resolved.empty() ? matches.front() : JoinPath(resolved, matches.front());
  }
  return resolved.empty() ? path : resolved;
}

std::string FileNamePart(const std::string& path) {
  const size_t sep = LastSeparator(path);
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FolderPart(const std::string& path) {
  const size_t sep = LastSeparator(path);
  if (sep == std::string::npos) return {};
  return sep == 0 ? path.substr(0, 1) : path.substr(0, sep);
}

bool HasExtension(const std::string& path) {
  return FileNamePart(path).find('.') != std::string::npos;
}

std::string SiblingPath(const std::string& path, const std::string& newExt) {
  const size_t sep = LastSeparator(path);
  const size_t start = sep == std::string::npos ? 0 : sep + 1;
  const size_t dot = path.rfind('.');
  const size_t cut = (dot != std::string::npos && dot >= start) ? dot : path.size();
  std::string out = path.substr(0, cut);
  if (!newExt.empty() && newExt.front() != '.') out += '.';
  return out + newExt;
}

std::string FromStoredPath(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

}  // namespace qv
