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

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Numbers are read from the value as Get returns it (cut to the value
// buffer). The usual texts are read in place; anything else goes to the C
// library, from a copy on the stack (it wants the text to end with a NUL).
template <typename Parse>
auto ParseInCLibrary(std::string_view value, Parse parse) {
  char text[kHedValueBuffer];
  if (!value.empty()) std::memcpy(text, value.data(), value.size());
  text[value.size()] = '\0';
  return parse(text);
}

// An optional '-' and at most nine digits and nothing else, read directly
// (what the C library gives for it, without its set-up).
int ParseIntText(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  int value = 0, digits = 0;
  // Nine digits always fit an int; a tenth goes to the C library.
  for (; p != end && IsDigit(*p) && digits < 9; ++p, ++digits) value = value * 10 + (*p - '0');
  if (p != end || digits == 0) return ParseInCLibrary(text, qv::AtoiC);
  return negative ? -value : value;
}

// The same for a fixed-point number as "%f" writes it: an optional '-',
// digits, and a point with digits after it.
double ParseDoubleText(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text.data();
  const char* end = p + text.size();
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  if (p == end || !IsDigit(*p)) return ParseInCLibrary(text, qv::AtofC);
  std::uint64_t digits = 0;  // wraps past nineteen digits, but is then not used
  int count = 0, fraction = 0;
  for (; p != end && IsDigit(*p); ++p, ++count) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  if (p != end && *p == '.')
    for (++p; p != end && IsDigit(*p); ++p, ++count, ++fraction) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  if (p != end) return ParseInCLibrary(text, qv::AtofC);
  // Up to fifteen digits and a power of ten up to 1e22 are both exact, so
  // their quotient is rounded once, to nearest, as the C library rounds.
  if (count <= 15 && fraction <= 22) {
    const double value = static_cast<double>(digits) / kPowersOfTen[fraction];
    return negative ? -value : value;
  }
  // from_chars rounds to nearest as the C library does.
  double value = 0;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end) return ParseInCLibrary(text, qv::AtofC);
  return value;
}

std::uint32_t ParseColourText(std::string_view text) {
  return static_cast<std::uint32_t>(ParseInCLibrary(text, qv::AtolC));
}

}  // namespace

int HedFile::GetInt(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseIntText(Profile().GetView(section, key, def, kHedValueBuffer));
}

std::uint32_t HedFile::GetColour(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseColourText(Profile().GetView(section, key, def, kHedValueBuffer));
}

double HedFile::GetDouble(std::string_view section, std::string_view key, std::string_view def) const {
  return ParseDoubleText(Profile().GetView(section, key, def, kHedValueBuffer));
}

HedSection HedFile::Pick(const std::string& section, const qv::ProfileKeyNames& names) const {
  return HedSection(section, Profile(), names);
}

std::string HedSection::Get(std::size_t key, std::string_view def, unsigned size) const {
  return std::string(keys_.GetView(key, def, size));
}

int HedSection::GetInt(std::size_t key, std::string_view def) const {
  return ParseIntText(keys_.GetView(key, def, kHedValueBuffer));
}

std::uint32_t HedSection::GetColour(std::size_t key, std::string_view def) const {
  return ParseColourText(keys_.GetView(key, def, kHedValueBuffer));
}

double HedSection::GetDouble(std::size_t key, std::string_view def) const {
  return ParseDoubleText(keys_.GetView(key, def, kHedValueBuffer));
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
