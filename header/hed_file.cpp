#include "header/hed_file.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/files/paths.h"
#include "platform/text/cnum.h"

std::string SiblingFor(const std::string& path, const char* newExtension) {
  if (!qv::HasExtension(path)) return {};
  return qv::FindFileNoCase(qv::SiblingPath(path, newExtension));
}

std::string HeaderPathFor(const std::string& dataPath) {
  return SiblingFor(dataPath, ".hed");
}

HedFile::LoadResult HedFile::Load(const std::string& path) {
  Reset(path);
  if (::access(path.c_str(), F_OK) != 0) return LoadResult::kMissing;
  return profile_.LoadParsed(path) ? LoadResult::kLoaded : LoadResult::kUnreadable;
}

void HedFile::Reset(const std::string& path) {
  path_ = path;
  profile_ = {};
}

bool HedFile::HasSection(std::string_view section) const {
  return profile_.HasKeyLines(section);
}

std::size_t HedFile::KeyCount(std::string_view section) const {
  return profile_.KeyCount(section);
}

bool HedFile::HasKey(std::string_view section, std::string_view key) const {
  return profile_.HasKey(section, key);
}

std::string HedFile::Get(std::string_view section, std::string_view key, std::string_view def, unsigned size) const {
  return std::string(profile_.GetView(section, key, def, size));
}

namespace {

// Numbers are read from the value as Get returns it, copied to the stack
// rather than into a string.
template <typename Parse>
auto ParseValue(const qv::ProfileFile& profile, std::string_view section, std::string_view key, const char* def,
                Parse parse) {
  const std::string_view value = profile.GetView(section, key, def, kHedValueBuffer);
  char text[kHedValueBuffer];
  std::memcpy(text, value.data(), value.size());
  text[value.size()] = '\0';
  return parse(text);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The usual value, an optional '-' and at most nine digits and nothing else,
// read directly (what the C library gives for it, without its set-up);
// anything else goes to the C library.
int ParseIntText(const char* text) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  int value = 0, digits = 0;
  // Nine digits always fit an int; a tenth goes to the C library.
  for (; IsDigit(*p) && digits < 9; ++p, ++digits) value = value * 10 + (*p - '0');
  if (*p != '\0' || digits == 0) return qv::AtoiC(text);
  return negative ? -value : value;
}

// The same for a fixed-point number as "%f" writes it: an optional '-',
// digits, and a point with digits after it. from_chars rounds to nearest as
// the C library does.
double ParseDoubleText(const char* text) {
  const char* p = text;
  if (*p == '-') ++p;
  if (!IsDigit(*p)) return qv::AtofC(text);
  while (IsDigit(*p)) ++p;
  if (*p == '.')
    for (++p; IsDigit(*p); ++p) {
    }
  if (*p != '\0') return qv::AtofC(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text, p, value);
  if (error != std::errc{} || end != p) return qv::AtofC(text);
  return value;
}

}  // namespace

int HedFile::GetInt(std::string_view section, std::string_view key, const char* def) const {
  return ParseValue(profile_, section, key, def, ParseIntText);
}

std::uint32_t HedFile::GetColour(std::string_view section, std::string_view key, const char* def) const {
  return ParseValue(profile_, section, key, def,
                    [](const char* text) { return static_cast<std::uint32_t>(qv::AtolC(text)); });
}

double HedFile::GetDouble(std::string_view section, std::string_view key, const char* def) const {
  return ParseValue(profile_, section, key, def, ParseDoubleText);
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

bool HedFile::Save() {
  return profile_.SaveAs(path_);
}

std::string FormatHedInt(int value) {
  return qv::FormatC("%d", value);
}

std::string FormatHedFloat(double value) {
  return qv::FormatC("%f", std::isfinite(value) ? value : 0.0);
}

std::string FormatHedCoefficient(double value) {
  return qv::FormatC("%.15G", std::isfinite(value) ? value : 0.0);
}

int ParseHedInt(const std::string& text) {
  return qv::AtoiC(text.c_str());
}

double ParseHedDouble(const std::string& text) {
  return qv::AtofC(text.c_str());
}

std::string NumberedName(const char* name, unsigned number) {
  return name + std::to_string(number);
}
