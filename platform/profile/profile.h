// The profile (INI) layer, with the semantics the private-profile functions
// have always had, because header, calibration, template and settings files
// written by earlier versions must read back exactly as before:
// - section and key names compare without case; the first match wins;
// - blanks and tabs around names and values are trimmed; a value in a
//   matching pair of quotes (" or ') is returned without them;
// - a line starting with '[' is a section header only when it holds ']';
//   the name runs to its last ']' ("[A]B]" is section "A]B");
// - a line without '=' (an unclosed "[Sec" included) is a key with no value:
//   reading it gives the default, it hides a later "Name=1" of its section,
//   key lists (and key counts) leave it out, and a write turns it into
//   "Name=value" in place; lines starting with ';' are comments; lines that
//   are not understood are kept as they are when the file is rewritten;
// - a default loses its trailing blanks but never its first character, and
//   then loses a matching pair of quotes like a value;
// - results are cut to the caller's buffer size (size - 1 characters);
// - integers: the default for a missing or empty value, otherwise sign,
//   optional 0x prefix and the leading digits (none gives 0);
// - a write replaces the first matching key in place or appends the key at
//   the end of its section; a new section goes to the end of the file;
// - a null value deletes the key, a null key deletes the section;
// - the bytes of names and values are kept (files are CP1252 text); lines
//   are written with CR LF; CR LF, LF and CR are all read as line ends;
// - every save replaces the whole file atomically (temporary file and
//   rename), so a failed save leaves the old file as it was;
// - all calls in the process are serialised; values (and names) holding CR
//   or LF are refused, since they would split the line.
// An existing file is found whatever the letter case of its name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// KEY null: the key names of the section, each ending with a NUL, the list
// ended by a second NUL. SECTION null: the section names, the same way.
// Returns the number of characters stored without the terminating NUL.
unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file);
std::string GetProfileText(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def = "", unsigned size = 256);
int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file);
// VALUE null deletes the key, KEY null deletes the section. All three null
// asks to flush the cache: every write is already on disk, so it succeeds.
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file);
// The key lines of a section as "key=value", each ending with a NUL, the list
// ended by a second NUL; cut to the buffer like a key list.
unsigned GetPrivateProfileSection(const char* section, char* buf, unsigned size, const std::string& file);
// Replaces the lines of a section with DATA ("key=value" strings, each ending
// with a NUL, the list ended by a second NUL). DATA null deletes the section;
// all null flushes (succeeds).
bool WritePrivateProfileSection(const char* section, const char* data, const std::string& file);

// The program's own profile file (its "SystemParameters" live there) and
// win.ini, both in the program folder.
std::string ProgramProfileFile();
std::string WinIniFile();

// Integer parsing of profile values: sign, 0x prefix, leading digits.
int ParseProfileInt(std::string_view value, int def);

// The key names a reader picks out of a section in one walk of its lines
// (ProfileFile::Pick), compared without case as every lookup compares them.
// Built once (e.g. a static table); the names must differ without case.
class ProfileKeyNames {
 public:
  explicit ProfileKeyNames(const std::vector<std::string_view>& names);
  std::size_t size() const { return names_.size(); }
  // The index of NAME, or npos.
  std::size_t Find(std::string_view name) const;
  // Whether NAME is the name at INDEX.
  bool Is(std::size_t index, std::string_view name) const;

 private:
  std::vector<std::string> names_;
  std::vector<std::uint64_t> hashes_;
  std::vector<std::uint32_t> slots_;  // index + 1 of the name homed there, 0 when empty
};

// The keys of one section picked out of a profile (ProfileFile::Pick): each
// answers as the profile's lookup of that key would. Views into the profile,
// valid until it changes.
class ProfileSection {
 public:
  // Whether the section is there with at least one key line that has '='.
  bool HasKeyLines() const { return keyLines_ != 0; }
  // The number of key lines with '=' of the section (0 when it is missing).
  std::size_t KeyCount() const { return keyLines_; }
  // What ProfileFile::GetView returns for NAMES[KEY].
  std::string_view GetView(std::size_t key, std::string_view def = "", unsigned size = 256) const;

 private:
  friend class ProfileFile;
  struct Value {
    const char* text = nullptr;  // quotes stripped; a picked value is never null
    std::uint32_t size = 0;
    bool bare = false;  // a line without '=': it answers the default
  };
  // The value picked for KEY, or null.
  const Value* Found(std::size_t key) const {
    const Value& v = many_.empty() ? few_[key] : many_[key];
    return v.text != nullptr ? &v : nullptr;
  }
  // Keeps TEXT for KEY unless a value was picked for it already (the first
  // match wins); false when one was.
  bool Keep(std::size_t key, std::string_view text, bool bare) {
    Value& v = many_.empty() ? few_[key] : many_[key];
    if (v.text != nullptr) return false;
    v = {text.data(), static_cast<std::uint32_t>(text.size()), bare};
    return true;
  }
  // The values of a short list of names stay in place, without an
  // allocation; a longer list goes to the heap.
  static constexpr std::size_t kFew = 32;
  std::array<Value, kFew> few_{};
  std::vector<Value> many_;
  std::size_t keyLines_ = 0;
};

// The batch form: load once, make many changes, save once (one atomic
// replacement of the file). Holds no lock between calls.
class ProfileFile {
 public:
  ProfileFile() = default;

  // Reads PATH (found without regard to letter case). A missing file gives an
  // empty profile and true; a file that exists but cannot be read gives false.
  bool Load(const std::string& path);
  // The same, as the copy the private-profile calls keep parsed when the
  // file is unchanged (a file younger than a few seconds is read and
  // compared byte for byte), shared rather than copied, so reading a file
  // just written or read again costs neither a parse nor a copy. The copy
  // never changes: a caller that edits takes its own copy first. Null when
  // the file exists but cannot be read.
  static std::shared_ptr<const ProfileFile> LoadShared(const std::string& path);
  // Takes the text of a profile from memory (as the file at PATH, for Save).
  void Parse(std::string_view bytes);
  void Parse(std::string_view bytes, const std::string& path);
  // The text as it would be saved (CR LF line ends).
  std::string Serialize() const;
  // Writes the whole file atomically to the loaded path (or PATH).
  bool Save();
  bool SaveAs(const std::string& path);

  std::string Get(std::string_view section, std::string_view key, std::string_view def = "", unsigned size = 256) const;
  // What Get returns, without a copy: a view of this profile's text or of
  // DEF, valid until the profile changes.
  std::string_view GetView(std::string_view section, std::string_view key, std::string_view def = "",
                           unsigned size = 256) const;
  // Whether the key is present with a value (a line without '=' reads as
  // missing); its value (quotes stripped, not cut) into VALUE.
  bool Find(std::string_view section, std::string_view key, std::string* value) const;
  int GetInt(std::string_view section, std::string_view key, int def) const;
  // Whether the key is present with a value, as Find.
  bool HasKey(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;
  // The key names of the section, lines without '=' left out.
  std::vector<std::string> Keys(std::string_view section) const;
  // The number of key lines with '=' of the section (0 when it is missing).
  std::size_t KeyCount(std::string_view section) const;
  // Whether the section is there with at least one key line that has '='.
  bool HasKeyLines(std::string_view section) const;
  std::vector<std::string> Sections() const;
  // The key lines of a section, "key=value" (a line without '=' as it stands).
  std::vector<std::string> SectionLines(std::string_view section) const;
  // The keys NAMES of SECTION in one walk of its lines: cheaper than a lookup
  // per key when a reader asks for most keys of a section.
  ProfileSection Pick(std::string_view section, const ProfileKeyNames& names) const;

  // False when a name or the value holds CR or LF, a key is empty, holds '='
  // or starts with '[' or ';', or a section name holds ']' (the line could not
  // be read back).
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);
  // Replaces the key lines of a section (created when missing).
  bool SetSection(std::string_view section, const std::vector<std::string>& lines);

  const std::string& path() const { return path_; }
  bool changed() const { return changed_; }

 private:
  // A line holds no text of its own: its raw bytes, name and value are
  // ranges of text_, so a parse makes no string per line.
  struct Range {
    std::size_t at = 0, size = 0;
  };
  struct Line {
    enum Kind : unsigned char { kOther, kSection, kKey } kind = kOther;
    bool bare = false;  // a key line without '=': the key with no value
    Range raw;          // the line as read or written, without its line end
    Range name;         // section or key name, trimmed
    Range value;        // key value, trimmed, quotes kept
  };
  std::string_view Text(Range r) const { return {text_.data() + r.at, r.size}; }
  std::string_view Raw(const Line& l) const { return Text(l.raw); }
  std::string_view Name(const Line& l) const { return Text(l.name); }
  std::string_view Value(const Line& l) const { return Text(l.value); }
  // A key line with '=': one that key lists and key counts show.
  static bool IsValuedKey(const Line& l) { return l.kind == Line::kKey && !l.bare; }
  // Index of the first matching section header, or npos.
  size_t FindSection(std::string_view section) const;
  // End of the section that starts at HEADER (index of the next header or size).
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, std::string_view key) const;
  // The first matching key of the first matching section, or npos.
  size_t FindKey(std::string_view section, std::string_view key) const;
  // Adds a section header at the end of the file; returns its index.
  size_t AppendSection(std::string_view section);
  // A key line whose text is added to the end of text_.
  Line MakeKey(std::string_view key, std::string_view value);
  // Adds TEXT to the end of text_; its range there.
  Range Append(std::string_view text);
  // Counts the text of lines that went away; text_ is rebuilt from the lines
  // left once most of it is unused.
  void Drop(size_t first, size_t last);
  void Compact();

  // The lookup index: open-addressing tables of the first header of each
  // section name, and of the first key of each name within each section
  // header, both compared without case. Lookups cost the same whatever the
  // size of the file. Rebuilt after every change that moves lines, except the
  // appends and inserts a write makes, which update it in place.
  struct Slot {
    std::uint64_t hash = 0;
    std::uint32_t line = kNoLine;
    std::uint32_t owner = kNoLine;  // keys: the line of their section header
  };
  static constexpr std::uint32_t kNoLine = 0xFFFFFFFFu;
  void Reindex();
  // Makes room for a line inserted at AT (every indexed line from AT on moves
  // down by one).
  void ShiftIndex(size_t at);
  // OWNER_HASH: the hash of the owning section's name.
  void IndexLine(size_t line, size_t owner, std::uint64_t ownerHash);
  size_t Probe(const std::vector<Slot>& table, std::uint64_t hash, std::string_view name, size_t owner) const;
  std::vector<Slot> sectionSlots_;
  std::vector<Slot> keySlots_;
  size_t indexedSections_ = 0;
  size_t indexedKeys_ = 0;

  std::vector<Line> lines_;
  // The loaded bytes (without a byte-order mark), then the text of every line
  // written since.
  std::string text_;
  std::size_t unused_ = 0;  // bytes of text_ no line refers to
  std::string path_;
  bool bom_ = false;
  bool changed_ = false;
};

}  // namespace qv
