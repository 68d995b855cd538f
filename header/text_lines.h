// Writing an INI file as plain text, line by line (the user-function INI).
// The lines collect in memory and replace the file whole on Commit, so an
// interrupted write never leaves half a file behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TextLineFile {
 public:
  explicit TextLineFile(std::string path) : path_(std::move(path)) {}

  // Appends text; each "\n" is stored as CR LF. False once the file has been
  // abandoned.
  bool WriteString(std::string_view text);
  // Abandons the file: nothing will be written.
  void Abort() { aborted_ = true; }
  // Replaces the file with what was written; false when abandoned or when
  // the file could not be replaced (the old one is then untouched).
  bool Commit();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string text_;
  bool aborted_ = false;
};

// Each writes one line through WriteTextLine and returns 1, or 0 when the
// write failed (the file is then abandoned).
int WriteTextLine(TextLineFile& file, std::string_view text);
int WriteIniString(TextLineFile& file, const std::string& key, const std::string& text);  // "%s=%s\n"
int WriteIniInt(TextLineFile& file, const std::string& key, std::int32_t value);          // "%s=%d\n"
int WriteIniUInt(TextLineFile& file, const std::string& key, std::uint32_t value);        // "%s=%u\n"
int WriteIniFloat(TextLineFile& file, const std::string& key, double value);              // "%s=%G\n"
int WriteIniByte(TextLineFile& file, const std::string& key, std::int8_t value);          // "%s=%d\n"
int WriteIniBlankLine(TextLineFile& file);                                                // "\n"
int WriteIniSection(TextLineFile& file, const std::string& name);                         // "[%s]\n"
// "[%s%d]\n", or "[%s]\n" when index is -1.
int WriteIniIndexedSection(TextLineFile& file, const std::string& name, int index);
