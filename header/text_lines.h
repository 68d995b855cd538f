// Writing an INI file as plain text, line by line (the user-function INI).
// The lines go to a temporary file beside the target that replaces it whole
// on Commit, so an interrupted write never leaves half a file behind and the
// old file stays until the new one is complete.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/atomic_file.h"

class TextLineFile {
 public:
  explicit TextLineFile(std::string path) : file_(std::move(path)) {}

  // Creates the temporary file; false when it cannot be made.
  bool Create() { return file_.Open(); }
  // Appends text; each "\n" is written as CR LF. False when the write failed
  // or the file has been abandoned.
  bool WriteString(std::string_view text);
  // Abandons the file: the target stays as it was.
  void Abort();
  // Replaces the target with what was written; false when abandoned or when
  // the target could not be replaced (the old one is then untouched).
  bool Commit();
  const std::string& Path() const { return file_.path(); }

 private:
  qv::AtomicFile file_;
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
