#include "sondedb/bridge.h"

#include <dirent.h>
#include <locale.h>
#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace qv::sdb {

namespace {
std::mutex g_mutex;
std::string g_folder = ".";

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
  return loc;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::vector<std::string> ReadLines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  std::string l;
  while (std::getline(in, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

bool IsSection(const std::string& line, std::string* name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  if (name) *name = Trim(t.substr(1, close - 1));
  return true;
}

// The value of a key, when the section holds it.
bool Lookup(const std::string& file, const char* section, const char* key, std::string& value) {
  bool in = false;
  for (const auto& l : ReadLines(file)) {
    std::string name;
    if (IsSection(l, &name)) {
      in = strcasecmp(name.c_str(), section) == 0;
      continue;
    }
    if (!in) continue;
    const size_t eq = l.find('=');
    if (eq == std::string::npos) continue;
    if (strcasecmp(Trim(l.substr(0, eq)).c_str(), key) == 0) {
      value = Trim(l.substr(eq + 1));
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return true;
    }
  }
  return false;
}
}  // namespace

std::string ProgramFolder() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_folder;
}

void SetProgramFolder(std::string folder) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_folder = std::move(folder);
}

std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  if (a.back() == '/') return a + (b.front() == '/' ? b.substr(1) : b);
  return a + (b.front() == '/' ? "" : "/") + b;
}

std::string FindFileNoCase(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f) {
    fclose(f);
    return path;
  }
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* d = opendir(dir.c_str());
  if (!d) return path;
  std::string found = path;
  while (dirent* e = readdir(d))
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = JoinPath(dir, e->d_name);
      break;
    }
  closedir(d);
  return found;
}

std::string FromStoredPath(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::string v;
  if (!Lookup(file, section, key, v) || v.empty()) return def;
  return static_cast<int>(strtol_l(v.c_str(), nullptr, 0, CLocale()));
}

unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!buf || size == 0) return 0;
  std::string v;
  if (!Lookup(file, section, key, v)) v = def ? def : "";
  const size_t n = std::min<size_t>(v.size(), size - 1);
  v.copy(buf, n);
  buf[n] = '\0';
  return static_cast<unsigned>(n);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<std::string> lines = ReadLines(file);
  long sectionAt = -1, end = -1, keyAt = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (IsSection(lines[i], &name)) {
      if (sectionAt >= 0 && end < 0) end = static_cast<long>(i);
      if (sectionAt < 0 && strcasecmp(name.c_str(), section) == 0) sectionAt = static_cast<long>(i);
      continue;
    }
    const size_t eq = lines[i].find('=');
    if (sectionAt >= 0 && end < 0 && keyAt < 0 && eq != std::string::npos &&
        strcasecmp(Trim(lines[i].substr(0, eq)).c_str(), key) == 0)
      keyAt = static_cast<long>(i);
  }
  const std::string line = std::string(key) + "=" + (value ? value : "");
  if (keyAt >= 0) {
    lines[keyAt] = line;
  } else if (sectionAt >= 0) {
    long at = end < 0 ? static_cast<long>(lines.size()) : end;
    while (at > sectionAt + 1 && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + at, line);
  } else {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(line);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  std::ofstream o(file, std::ios::binary | std::ios::trunc);
  o << out;
  return static_cast<bool>(o.flush());
}

std::string FormatC(const char* fmt, ...) {
  locale_t old = uselocale(CLocale());
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) vsnprintf(s.data(), n + 1, fmt, ap2);
  va_end(ap2);
  uselocale(old);
  return s;
}

int AtoiC(const char* s) { return s ? static_cast<int>(strtol_l(s, nullptr, 10, CLocale())) : 0; }
double AtofC(const char* s) { return s ? strtod_l(s, nullptr, CLocale()) : 0.0; }

}  // namespace qv::sdb
