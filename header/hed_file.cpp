#include "header/hed_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<bool> g_failSaves{false};

// Index of the first character of the last path component.
std::size_t LastComponentStart(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

// An existing file whatever the letter case of its name; else the path itself.
std::string FindNoCase(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return path;
  std::size_t start = LastComponentStart(path);
  std::string folder = start == 0 ? "." : path.substr(0, start);
  std::string name = path.substr(start);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return path;
  std::string found = path;
  while (dirent* entry = ::readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = path.substr(0, start) + entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

bool ReplaceFileWhole(const std::string& path, const std::string& bytes) {
  if (g_failSaves) return false;
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::string SiblingFor(const std::string& path, const char* newExtension) {
  std::size_t start = LastComponentStart(path);
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return FindNoCase(path.substr(0, dot) + newExtension);
}

std::string HeaderPathFor(const std::string& dataPath) {
  return SiblingFor(dataPath, ".hed");
}

HedFile::LoadResult HedFile::Load(const std::string& path) {
  path_ = path;
  profile_ = {};
  if (::access(path.c_str(), F_OK) != 0) return LoadResult::kMissing;
  return profile_.Load(path) ? LoadResult::kLoaded : LoadResult::kUnreadable;
}

void HedFile::Reset(const std::string& path) {
  path_ = path;
  profile_ = {};
}

bool HedFile::HasSection(const std::string& section) const {
  return KeyCount(section) > 0;
}

std::size_t HedFile::KeyCount(const std::string& section) const {
  return profile_.Keys(section).size();
}

bool HedFile::HasKey(const std::string& section, const std::string& key) const {
  std::string value;
  return profile_.Find(section, key, &value);
}

std::string HedFile::Get(const std::string& section, const std::string& key, const std::string& def,
                         unsigned size) const {
  std::string value;
  if (!profile_.Find(section, key, &value)) value = def;
  if (size == 0) return {};
  if (value.size() > size - 1) value.resize(size - 1);
  return value;
}

int HedFile::GetInt(const std::string& section, const std::string& key, const char* def) const {
  return ParseHedInt(Get(section, key, def));
}

double HedFile::GetDouble(const std::string& section, const std::string& key, const char* def) const {
  return ParseHedDouble(Get(section, key, def));
}

bool HedFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  return profile_.Set(section, key, value);
}

bool HedFile::SetInt(const std::string& section, const std::string& key, int value) {
  return Set(section, key, FormatHedInt(value));
}

bool HedFile::SetFloat(const std::string& section, const std::string& key, double value) {
  return Set(section, key, FormatHedFloat(value));
}

bool HedFile::SetCoefficient(const std::string& section, const std::string& key, double value) {
  return Set(section, key, FormatHedCoefficient(value));
}

void HedFile::DeleteSection(const std::string& section) {
  profile_.DeleteSection(section);
}

void FailHedSavesForTest(bool fail) {
  g_failSaves = fail;
}

bool HedFile::Save() {
  return ReplaceFileWhole(path_, profile_.Text());
}

std::string FormatHedInt(int value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d", value);
  return buf;
}

std::string FormatHedFloat(double value) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%f", std::isfinite(value) ? value : 0.0);
  return buf;
}

std::string FormatHedCoefficient(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", std::isfinite(value) ? value : 0.0);
  return buf;
}

int ParseHedInt(const std::string& text) {
  // atoi's rules, but a number beyond the int range is held at its limit.
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ParseHedDouble(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
}

std::string NumberedName(const char* name, unsigned number) {
  return name + std::to_string(number);
}
