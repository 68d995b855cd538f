// Temporary private-profile batch used until the profile layer lands.
#pragma once

#include <string>
#include <vector>

namespace hedstandin {

class ProfileFile {
 public:
  bool Load(const std::string& path);
  bool Exists(const std::string& section) const;
  std::vector<std::string> Keys(const std::string& section) const;
  bool Find(const std::string& section, const std::string& key, std::string* value) const;
  bool Set(const std::string& section, const std::string& key, const std::string& value);
  void DeleteSection(const std::string& section);
  std::string Text() const;

 private:
  struct Entry {
    std::string key;  // empty: a line kept as it is
    std::string value;
    std::string raw;
  };
  struct Section {
    std::string name;
    bool headed = true;
    std::vector<Entry> entries;
  };
  Section* FindSection(const std::string& name);
  const Section* FindSection(const std::string& name) const;
  std::vector<Section> sections_;
};

}  // namespace hedstandin
