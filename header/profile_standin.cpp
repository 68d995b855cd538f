#include "header/profile_standin.h"

#include <strings.h>

#include <fstream>
#include <sstream>

namespace hedstandin {
namespace {
std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}
bool Same(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}
}  // namespace

bool ProfileFile::Load(const std::string& path) {
  sections_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  sections_.push_back({"", false, {}});
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    std::string t = Trim(line);
    if (!t.empty() && t[0] == '[') {
      std::size_t close = t.find(']');
      sections_.push_back({Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1)), true, {}});
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)).empty()) {
      sections_.back().entries.push_back({"", "", line});
      continue;
    }
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    sections_.back().entries.push_back({Trim(line.substr(0, eq)), value, line});
  }
  return true;
}

ProfileFile::Section* ProfileFile::FindSection(const std::string& name) {
  for (Section& s : sections_)
    if (s.headed && Same(s.name, name)) return &s;
  return nullptr;
}
const ProfileFile::Section* ProfileFile::FindSection(const std::string& name) const {
  for (const Section& s : sections_)
    if (s.headed && Same(s.name, name)) return &s;
  return nullptr;
}

bool ProfileFile::Exists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

std::vector<std::string> ProfileFile::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section))
    for (const Entry& e : s->entries)
      if (!e.key.empty()) keys.push_back(e.key);
  return keys;
}

bool ProfileFile::Find(const std::string& section, const std::string& key, std::string* value) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return false;
  for (const Entry& e : s->entries)
    if (!e.key.empty() && Same(e.key, key)) {
      *value = e.value;
      return true;
    }
  return false;
}

bool ProfileFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  Section* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back({section, true, {}});
    s = &sections_.back();
  }
  for (Entry& e : s->entries)
    if (!e.key.empty() && Same(e.key, key)) {
      e.value = value;
      e.raw = e.key + "=" + value;
      return true;
    }
  std::size_t at = s->entries.size();
  while (at > 0 && Trim(s->entries[at - 1].raw).empty() && s->entries[at - 1].key.empty()) --at;
  s->entries.insert(s->entries.begin() + static_cast<long>(at), Entry{key, value, key + "=" + value});
  return true;
}

void ProfileFile::DeleteSection(const std::string& section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it)
    if (it->headed && Same(it->name, section)) {
      sections_.erase(it);
      return;
    }
}

std::string ProfileFile::Text() const {
  std::string out;
  for (const Section& s : sections_) {
    if (s.headed) out += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) out += e.raw + "\r\n";
  }
  return out;
}

}  // namespace hedstandin
