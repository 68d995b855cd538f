#include "header/text_lines.h"

#include <cmath>

#include "platform/text/cnum.h"

bool TextLineFile::WriteString(std::string_view text) {
  if (aborted_) return false;
  std::string line;
  line.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\n') line += '\r';
    line += c;
  }
  return file_.Write(line);
}

void TextLineFile::Abort() {
  aborted_ = true;
  file_.Abandon();
}

bool TextLineFile::Commit() {
  return !aborted_ && file_.Commit();
}

int WriteTextLine(TextLineFile& file, std::string_view text) {
  if (file.WriteString(text)) return 1;
  file.Abort();
  return 0;
}

int WriteIniString(TextLineFile& file, const std::string& key, const std::string& text) {
  return WriteTextLine(file, key + "=" + text + "\n");
}

int WriteIniInt(TextLineFile& file, const std::string& key, std::int32_t value) {
  return WriteTextLine(file, key + "=" + std::to_string(value) + "\n");
}

int WriteIniUInt(TextLineFile& file, const std::string& key, std::uint32_t value) {
  return WriteTextLine(file, key + "=" + std::to_string(value) + "\n");
}

int WriteIniFloat(TextLineFile& file, const std::string& key, double value) {
  return WriteTextLine(file, key + "=" + qv::FormatC("%G", std::isfinite(value) ? value : 0.0) + "\n");
}

int WriteIniByte(TextLineFile& file, const std::string& key, std::int8_t value) {
  return WriteIniInt(file, key, value);
}

int WriteIniBlankLine(TextLineFile& file) {
  return WriteTextLine(file, "\n");
}

int WriteIniSection(TextLineFile& file, const std::string& name) {
  return WriteTextLine(file, "[" + name + "]\n");
}

int WriteIniIndexedSection(TextLineFile& file, const std::string& name, int index) {
  return index == -1 ? WriteIniSection(file, name) : WriteTextLine(file, "[" + name + std::to_string(index) + "]\n");
}
