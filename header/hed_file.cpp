#include "header/hed_file.h"

#include <unistd.h>

#include <cmath>

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
  return profile_.KeyCount(section);
}

bool HedFile::HasKey(const std::string& section, const std::string& key) const {
  return profile_.HasKey(section, key);
}

std::string HedFile::Get(const std::string& section, const std::string& key, const std::string& def,
                         unsigned size) const {
  return profile_.Get(section, key, def, size);
}

int HedFile::GetInt(const std::string& section, const std::string& key, const char* def) const {
  return ParseHedInt(Get(section, key, def));
}

std::uint32_t HedFile::GetColour(const std::string& section, const std::string& key, const char* def) const {
  return static_cast<std::uint32_t>(qv::AtolC(Get(section, key, def).c_str()));
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
