#include "logtools/engine/profile_standin.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace qv {
namespace {
std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}
std::vector<std::string> Lines(const std::string& file) {
  std::ifstream f(file, std::ios::binary);
  std::vector<std::string> out;
  std::string l;
  while (std::getline(f, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(l);
  }
  return out;
}
bool IsSection(const std::string& l, std::string* name) {
  std::string t = Trim(l);
  if (t.size() < 2 || t[0] != '[' || t.find(']') == std::string::npos) return false;
  *name = Trim(t.substr(1, t.find(']') - 1));
  return true;
}
bool Lookup(const std::string& file, const char* section, const char* key, std::string* value, std::string* keys) {
  std::string cur;
  bool in = false, found = false;
  for (auto& l : Lines(file)) {
    std::string name;
    if (IsSection(l, &name)) {
      in = strcasecmp(name.c_str(), section) == 0;
      continue;
    }
    if (!in) continue;
    size_t eq = l.find('=');
    if (eq == std::string::npos) continue;
    std::string k = Trim(l.substr(0, eq));
    if (keys) {
      keys->append(k).push_back('\0');
      found = true;
    } else if (strcasecmp(k.c_str(), key) == 0) {
      std::string v = Trim(l.substr(eq + 1));
      if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
      *value = v;
      return true;
    }
  }
  return found;
}
}  // namespace

unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file) {
  if (size == 0) return 0;
  std::string v;
  if (key == nullptr) {
    Lookup(file, section, nullptr, nullptr, &v);
    v.push_back('\0');
    unsigned n = static_cast<unsigned>(std::min<size_t>(v.size(), size));
    std::memcpy(buf, v.data(), n);
    buf[size - 1] = '\0';
    return n > 0 ? n - 1 : 0;
  }
  if (!Lookup(file, section, key, &v, nullptr)) v = def ? def : "";
  unsigned n = static_cast<unsigned>(std::min<size_t>(v.size(), size - 1));
  std::memcpy(buf, v.data(), n);
  buf[n] = '\0';
  return n;
}

std::string GetProfileText(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def, unsigned size) {
  std::vector<char> buf(size + 1);
  GetPrivateProfileString(section.c_str(), key.c_str(), def.c_str(), buf.data(), size, file);
  return buf.data();
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file) {
  std::string v;
  if (!Lookup(file, section, key, &v, nullptr) || v.empty()) return def;
  return static_cast<int>(std::strtol(v.c_str(), nullptr, 10));
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file) {
  auto lines = Lines(file);
  std::vector<std::string> out;
  bool in = false, done = false;
  int sectionEnd = -1;
  for (auto& l : lines) {
    std::string name;
    if (IsSection(l, &name)) {
      if (in && !done) sectionEnd = static_cast<int>(out.size());
      in = strcasecmp(name.c_str(), section) == 0;
      out.push_back(l);
      continue;
    }
    if (in && !done) {
      size_t eq = l.find('=');
      if (eq != std::string::npos && strcasecmp(Trim(l.substr(0, eq)).c_str(), key) == 0) {
        if (value) out.push_back(std::string(key) + "=" + value);
        done = true;
        continue;
      }
    }
    out.push_back(l);
  }
  if (!done && value) {
    std::string line = std::string(key) + "=" + value;
    if (in) {
      out.push_back(line);
    } else if (sectionEnd >= 0) {
      out.insert(out.begin() + sectionEnd, line);
    } else {
      out.push_back(std::string("[") + section + "]");
      out.push_back(line);
    }
  }
  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  for (auto& l : out) f << l << "\r\n";
  return static_cast<bool>(f);
}
}  // namespace qv
