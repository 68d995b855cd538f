#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include "logtools/engine/platform_api.h"

namespace qv {
static size_t LastSep(const std::string& p) { return p.find_last_of("/\\"); }
std::string FileNamePart(const std::string& p) {
  size_t s = LastSep(p);
  return s == std::string::npos ? p : p.substr(s + 1);
}
std::string FolderPart(const std::string& p) {
  size_t s = LastSep(p);
  return s == std::string::npos ? std::string() : p.substr(0, s);
}
bool HasExtension(const std::string& p) { return FileNamePart(p).find('.') != std::string::npos; }
std::string SiblingPath(const std::string& p, const std::string& ext) {
  std::string e = ext.empty() || ext[0] == '.' ? ext : "." + ext;
  size_t s = LastSep(p);
  size_t d = p.find_last_of('.');
  if (d == std::string::npos || (s != std::string::npos && d < s)) return p + e;
  return p.substr(0, d) + e;
}
bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}
std::string FindFileNoCase(const std::string& p) {
  struct stat st;
  if (stat(p.c_str(), &st) == 0) return p;
  std::string folder = FolderPart(p), name = FileNamePart(p);
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return p;
  std::string found = p;
  while (dirent* e = readdir(d)) {
    if (EqualNoCase(e->d_name, name)) {
      found = folder.empty() ? std::string(e->d_name) : folder + "/" + e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
}  // namespace qv
#include <fstream>
namespace qv {
static std::string g_programFolder;
std::string ProgramFolder() { return g_programFolder; }
void SetProgramFolder(std::string folder) { g_programFolder = std::move(folder); }
std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty() || (!b.empty() && b[0] == '/')) return b;
  return a.back() == '/' ? a + b : a + "/" + b;
}
bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}
}  // namespace qv
#include <cstdlib>
namespace qv {
int AtoiC(const char* s) { return std::atoi(s); }
}  // namespace qv
