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
  shared_ = qv::ProfileFile::LoadShared(path);
  return shared_ ? LoadResult::kLoaded : LoadResult::kUnreadable;
}

void HedFile::Reset(const std::string& path) {
  path_ = path;
  shared_.reset();
  own_ = {};
}

qv::ProfileFile& HedFile::Own() {
  if (shared_) {
    own_ = *shared_;
    shared_.reset();
  }
  return own_;
}

bool HedFile::HasSection(std::string_view section) const {
  return Profile().HasKeyLines(section);
}

std::size_t HedFile::KeyCount(std::string_view section) const {
  return Profile().KeyCount(section);
}

bool HedFile::HasKey(std::string_view section, std::string_view key) const {
  return Profile().HasKey(section, key);
}

std::string HedFile::Get(std::string_view section, std::string_view key, std::string_view def, unsigned size) const {
  return std::string(Profile().GetView(section, key, def, size));
}

namespace {

// Numbers are read from the value as Get returns it (cut to the value
// buffer), copied to the stack rather than into a string.
template <typename Parse>
auto ParseValue(std::string_view value, Parse parse) {
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
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (!IsDigit(*p)) return qv::AtofC(text);
  std::uint64_t digits = 0;  // wraps past nineteen digits, but is then not used
  int count = 0, fraction = 0;
  for (; IsDigit(*p); ++p, ++count) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  if (*p == '.')
    for (++p; IsDigit(*p); ++p, ++count, ++fraction) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  if (*p != '\0') return qv::AtofC(text);
  // Up to fifteen digits and a power of ten up to 1e22 are both exact, so
  // their quotient is rounded once, to nearest, as the C library rounds.
  if (count <= 15 && fraction <= 22) {
    const double value = static_cast<double>(digits) / kPowersOfTen[fraction];
    return negative ? -value : value;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text, p, value);
  if (error != std::errc{} || end != p) return qv::AtofC(text);
  return value;
}

std::uint32_t ParseColourText(const char* text) {
  return static_cast<std::uint32_t>(qv::AtolC(text));
}

}  // namespace

int HedFile::GetInt(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseValue(Profile().GetView(section, key, def, kHedValueBuffer), ParseIntText);
}

std::uint32_t HedFile::GetColour(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseValue(Profile().GetView(section, key, def, kHedValueBuffer), ParseColourText);
}

double HedFile::GetDouble(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseValue(Profile().GetView(section, key, def, kHedValueBuffer), ParseDoubleText);
}

HedSection HedFile::Pick(const std::string& section, const qv::ProfileKeyNames& names) const {
  return HedSection(section, Profile(), names);
}

std::string HedSection::Get(std::size_t key, std::string_view def, unsigned size) const {
  return std::string(keys_.GetView(key, def, size));
}

int HedSection::GetInt(std::size_t key, std::string_view def) const {
  return ParseValue(keys_.GetView(key, def, kHedValueBuffer), ParseIntText);
}

std::uint32_t HedSection::GetColour(std::size_t key, std::string_view def) const {
  return ParseValue(keys_.GetView(key, def, kHedValueBuffer), ParseColourText);
}

double HedSection::GetDouble(std::size_t key, std::string_view def) const {
  return ParseValue(keys_.GetView(key, def, kHedValueBuffer), ParseDoubleText);
}

bool HedFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  return Own().Set(section, key, value);
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
  Own().DeleteSection(section);
}

bool HedFile::Save() {
  return Own().SaveAs(path_);
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
