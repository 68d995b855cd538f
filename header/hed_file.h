// One header file (.hed) held in memory while a call reads or writes it.
//
// Every reader loads the file once and answers all its keys from that
// snapshot; every writer changes the snapshot and replaces the file whole in
// one atomic save, so a failure anywhere leaves the previous file untouched.
// Keys follow the Windows private-profile rules of the profile layer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile.h"

// Read buffers of the header format: values come back cut to 255 characters,
// trailer lines to 1023.
inline constexpr unsigned kHedValueBuffer = 256;
inline constexpr unsigned kHedTrailerBuffer = 1024;

// The ident that marks a header file of this system.
inline constexpr const char* kHeaderIdent = "QUORVANTA";

// The header file beside a data file: the last path component's extension
// replaced by ".hed" (an existing file is found whatever its letter case).
// Empty when the last component has no extension.
std::string HeaderPathFor(const std::string& dataPath);
// The same rule for any other sibling (".hdr", ".ini", ...).
std::string SiblingFor(const std::string& path, const char* newExtension);

class HedFile;

// The keys of one section a reader asks for, picked in one walk of the
// section's lines (HedFile::Pick) and read by their index in the names
// table; each answers as HedFile's read of that key would. Valid until the
// file it was picked from changes.
class HedSection {
 public:
  HedSection(std::string name, const qv::ProfileFile& profile, const qv::ProfileKeyNames& names)
      : name_(std::move(name)), keys_(profile.Pick(name_, names)) {}

  const std::string& Name() const { return name_; }
  // A section is present when it has at least one key.
  bool Present() const { return keys_.HasKeyLines(); }
  std::size_t KeyCount() const { return keys_.KeyCount(); }
  std::string Get(std::size_t key, std::string_view def, unsigned size = kHedValueBuffer) const;
  int GetInt(std::size_t key, std::string_view def) const;
  std::uint32_t GetColour(std::size_t key, std::string_view def) const;
  double GetDouble(std::size_t key, std::string_view def) const;

 private:
  std::string name_;
  qv::ProfileSection keys_;
};

class HedFile {
 public:
  enum class LoadResult { kLoaded, kMissing, kUnreadable };

  // Reads the file. A missing file loads as an empty header (kMissing); a
  // file that exists but cannot be read is kUnreadable and must not be
  // replaced.
  LoadResult Load(const std::string& path);
  // Starts an empty header that Save will write to path.
  void Reset(const std::string& path);
  const std::string& Path() const { return path_; }

  // A section is present when it has at least one key.
  bool HasSection(std::string_view section) const;
  std::size_t KeyCount(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // The value (cut to size - 1 characters), or def when the key is missing.
  std::string Get(std::string_view section, std::string_view key, std::string_view def,
                  unsigned size = kHedValueBuffer) const;
  // Leading sign and decimal digits of the value or of def; 0 without digits.
  int GetInt(std::string_view section, std::string_view key, std::string_view def) const;
  // A colour value written signed ("%d") or unsigned ("%u").
  std::uint32_t GetColour(std::string_view section, std::string_view key, std::string_view def) const;
  // A decimal floating-point number at the start of the value; 0 without one.
  double GetDouble(std::string_view section, std::string_view key, std::string_view def) const;
  // The keys NAMES of SECTION in one walk of its lines, for a reader that
  // asks for many keys of one section.
  HedSection Pick(const std::string& section, const qv::ProfileKeyNames& names) const;

  // Writes replace the first matching key or append it to its section. A
  // value holding CR or LF is refused (false) and nothing changes.
  bool Set(const std::string& section, const std::string& key, const std::string& value);
  bool SetInt(const std::string& section, const std::string& key, int value);
  bool SetFloat(const std::string& section, const std::string& key, double value);        // "%f"
  bool SetCoefficient(const std::string& section, const std::string& key, double value);  // "%.15G"
  void DeleteSection(const std::string& section);

  // Replaces the file whole (atomically); false leaves the old file as it was.
  bool Save();

 private:
  const qv::ProfileFile& Profile() const { return shared_ ? *shared_ : own_; }
  // The header to change: a loaded one is copied out of the shared parse first.
  qv::ProfileFile& Own();

  std::string path_;
  // A loaded header is the profile layer's parsed copy, shared until the
  // first change; a new or changed one is held here.
  std::shared_ptr<const qv::ProfileFile> shared_;
  qv::ProfileFile own_;
};

// Number texts of the header format, in the C locale. Non-finite values are
// never written: they become 0.
std::string FormatHedInt(int value);
std::string FormatHedFloat(double value);
std::string FormatHedCoefficient(double value);
int ParseHedInt(const std::string& text);
double ParseHedDouble(const std::string& text);

// "Channel%u", "Track%u", "Coefficient%u", ... : a name followed by a number.
std::string NumberedName(const char* name, unsigned number);
