#include "profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"

namespace qv {
namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The end of the line that starts at POS: its CR or LF, or the end.
size_t LineEnd(std::string_view bytes, size_t pos) {
  // Two memchr calls: find_first_of would search the two-byte set once for
  // every byte.
  const char* from = bytes.data() + pos;
  const auto* lf = static_cast<const char*>(std::memchr(from, '\n', bytes.size() - pos));
  const size_t limit = lf ? static_cast<size_t>(lf - from) : bytes.size() - pos;
  const auto* cr = static_cast<const char*>(std::memchr(from, '\r', limit));
  return pos + (cr ? static_cast<size_t>(cr - from) : limit);
}

// The number of LF-ended lines plus one: enough room for the usual files.
size_t LineCount(std::string_view bytes) {
  size_t n = 1;
  for (size_t at = bytes.find('\n'); at != npos; at = bytes.find('\n', at + 1)) ++n;
  return n;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

// A key that could not be read back as a key: empty, holding '=', or starting
// like a section or comment line.
bool BadKey(std::string_view key) {
  key = Trim(key);
  return key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos || key.front() == '[' ||
         key.front() == ';';
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The default loses trailing blanks, but never its first character.
std::string_view TrimDefault(std::string_view d) {
  while (d.size() > 1 && IsBlank(d.back())) d.remove_suffix(1);
  return d;
}

// Copies TEXT into BUF cut to SIZE - 1 characters; returns the count stored.
unsigned CopyCut(std::string_view text, char* buf, unsigned size) {
  if (!buf || size == 0) return 0;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return static_cast<unsigned>(n);
}

// Copies a list of names, each ending with a NUL and the list with a second
// one; a list that does not fit is cut and still ends with two NULs.
unsigned CopyList(const std::vector<std::string>& items, char* buf, unsigned size) {
  if (!buf || size == 0) return 0;
  std::string all;
  for (const auto& s : items) {
    all += s;
    all += '\0';
  }
  if (all.size() + 1 <= size) {
    std::memcpy(buf, all.data(), all.size());
    buf[all.size()] = '\0';
    if (all.empty() && size > 1) buf[1] = '\0';
    return static_cast<unsigned>(all.size());
  }
  if (size < 2) {
    buf[0] = '\0';
    return 0;
  }
  std::memcpy(buf, all.data(), size - 2);
  buf[size - 2] = '\0';
  buf[size - 1] = '\0';
  return size - 2;
}

// FoldCase as a table: lookups fold every byte they hash or compare.
struct FoldTable {
  unsigned char fold[256];
  FoldTable() {
    for (int c = 0; c < 256; ++c) fold[c] = FoldCase(static_cast<unsigned char>(c));
  }
};
const FoldTable kFold;

inline unsigned char Fold(char c) {
  return kFold.fold[static_cast<unsigned char>(c)];
}

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// A hash of a name as compared without case (FNV-1a over folded bytes).
inline std::uint64_t HashNoCase(std::string_view s, std::uint64_t seed = 0) {
  std::uint64_t h = 1469598103934665603ull ^ seed;
  for (const char c : s) {
    h ^= Fold(c);
    h *= 1099511628211ull;
  }
  return h;
}

// The first slot of a hash: its high bits mixed into the low ones, which
// alone are weak in FNV for short names that differ in one character.
inline size_t Home(std::uint64_t hash, size_t mask) {
  return static_cast<size_t>((hash ^ (hash >> 29) ^ (hash >> 47)) & mask);
}

// A key's hash depends on its section's name, never on line numbers, so that
// lines moving down keep their place in the table.
inline std::uint64_t KeyHash(std::uint64_t sectionHash, std::string_view key) {
  return HashNoCase(key, sectionHash * 0x9E3779B97F4A7C15ull);
}

// ---- the process-wide serialisation and the cache of parsed files

std::recursive_mutex& ProfileMutex() {
  static std::recursive_mutex m;
  return m;
}

struct Signature {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
  bool operator==(const Signature&) const = default;
};

bool SignatureOf(const std::string& path, Signature& sig) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  sig = {st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
         st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
  return true;
}

struct CacheEntry {
  Signature sig;
  int64_t seenNs = 0;  // when the signature was taken
  std::string bytes;   // the file as parsed
  ProfileFile file;
};

int64_t NowNs() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// File times advance in coarse steps, so a file rewritten in place within
// one step keeps its time stamp (and maybe its size). A parsed copy is
// trusted by its signature only when the file was already this much older
// than the copy; a younger file is compared byte for byte (cheap beside
// parsing it again).
constexpr int64_t kSettledNs = 2000000000;

bool Settled(const CacheEntry& e) {
  return e.seenNs - (static_cast<int64_t>(e.sig.mtimeSec) * 1000000000 + e.sig.mtimeNsec) >= kSettledNs;
}

// Files are replaced by rename on every save, so a changed file always shows
// a new inode or time stamp; the parsed text is reused until then.
std::map<std::string, CacheEntry>& Cache() {
  static std::map<std::string, CacheEntry> c;
  return c;
}

constexpr size_t kCacheLimit = 16;

void Remember(const std::string& path, const ProfileFile& f) {
  auto& cache = Cache();
  Signature sig;
  if (!SignatureOf(path, sig)) {
    cache.erase(path);
    return;
  }
  if (cache.size() >= kCacheLimit && !cache.count(path)) cache.clear();
  cache[path] = {sig, NowNs(), f.Serialize(), f};
}

// The parsed profile of FILE (empty when the file is missing). Called with
// the profile mutex held. False when the file exists but cannot be read.
bool Lookup(const std::string& file, const ProfileFile*& out) {
  static const ProfileFile empty;
  auto& cache = Cache();
  Signature sig;
  const int64_t seen = NowNs();
  // The file under its own spelling answers with one stat; only a missing
  // one is looked for in other letter cases.
  const bool asSpelled = SignatureOf(file, sig);
  const std::string path = asSpelled ? file : FindFileNoCase(file);
  if (!asSpelled && !SignatureOf(path, sig)) {
    cache.erase(path);
    out = &empty;
    return true;
  }
  auto it = cache.find(path);
  const bool same = it != cache.end() && it->second.sig == sig;
  if (same && Settled(it->second)) {
    out = &it->second.file;
    return true;
  }
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    cache.erase(path);
    out = &empty;
    return false;
  }
  if (same && bytes == it->second.bytes) {
    it->second.seenNs = seen;  // checked byte for byte at this time
    out = &it->second.file;
    return true;
  }
  ProfileFile f;
  f.Parse(bytes, path);
  if (cache.size() >= kCacheLimit) cache.clear();
  out = &(cache[path] = {sig, seen, std::move(bytes), std::move(f)}).file;
  return true;
}

// Loads FILE, lets CHANGE edit it and saves it when something changed.
template <class Change>
bool Modify(const std::string& file, Change change) {
  std::lock_guard lk(ProfileMutex());
  const ProfileFile* current = nullptr;
  if (!Lookup(file, current)) return false;
  ProfileFile f = *current;
  if (f.path().empty()) {
    // A new file takes the existing spelling when one differs only in case.
    if (!f.Load(FindFileNoCase(file))) return false;
  }
  if (!change(f)) return false;
  if (!f.changed()) return true;
  return f.Save();
}

}  // namespace

int ParseProfileInt(std::string_view value, int def) {
  value = StripQuotes(Trim(value));
  if (value.empty()) return def;
  size_t i = 0;
  bool negative = false;
  if (value[i] == '-' || value[i] == '+') negative = value[i++] == '-';
  unsigned base = 10;
  if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t acc = 0;  // wraps like the 32-bit arithmetic it always used
  for (; i < value.size(); ++i) {
    const char c = value[i];
    unsigned d;
    if (c >= '0' && c <= '9')
      d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = static_cast<unsigned>(c - 'A' + 10);
    else
      break;
    acc = acc * base + d;
  }
  if (negative) acc = 0u - acc;
  return static_cast<int>(acc);
}

// ---- ProfileFile

bool ProfileFile::Load(const std::string& path) {
  const std::string found = FindFileNoCase(path);
  std::string bytes;
  struct stat st;
  if (::stat(found.c_str(), &st) != 0) {
    Parse({});
  } else if (!ReadWholeFile(found, bytes)) {
    return false;
  } else {
    Parse(bytes);
  }
  path_ = found;
  return true;
}

void ProfileFile::Parse(std::string_view bytes, const std::string& path) {
  Parse(bytes);
  path_ = path;
}

void ProfileFile::Parse(std::string_view bytes) {
  lines_.clear();
  changed_ = false;
  bom_ = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom_) bytes.remove_prefix(3);
  lines_.reserve(LineCount(bytes));
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = LineEnd(bytes, pos);
    Line line;
    line.raw.assign(bytes.substr(pos, end - pos));
    const std::string_view t = Trim(line.raw);
    const size_t close = t.find(']');
    if (!t.empty() && t.front() == '[' && close != std::string_view::npos) {
      line.kind = Line::kSection;
      line.name.assign(Trim(t.substr(1, close - 1)));
    } else if (!t.empty() && t.front() != ';') {
      // A line without '=' (an unclosed "[Sec" too) is a key with no value,
      // so it hides a later line of the same name that has one.
      const size_t eq = t.find('=');
      if (eq == npos) {
        line.kind = Line::kKey;
        line.bare = true;
        line.name.assign(t);
      } else if (!Trim(t.substr(0, eq)).empty()) {
        line.kind = Line::kKey;
        line.name.assign(Trim(t.substr(0, eq)));
        line.value.assign(Trim(t.substr(eq + 1)));
      }
    }
    lines_.push_back(std::move(line));
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    pos = end + 1;
  }
  Reindex();
}

std::string ProfileFile::Serialize() const {
  std::string out;
  if (bom_) out = "\xEF\xBB\xBF";
  for (const auto& l : lines_) {
    out += l.raw;
    out += "\r\n";
  }
  return out;
}

bool ProfileFile::Save() {
  return SaveAs(path_);
}

bool ProfileFile::SaveAs(const std::string& path) {
  if (path.empty()) return false;
  std::lock_guard lk(ProfileMutex());
  if (!WriteFileAtomically(path, Serialize())) {
    Cache().erase(path);
    return false;
  }
  path_ = path;
  changed_ = false;
  Remember(path, *this);
  return true;
}

void ProfileFile::Reindex() {
  size_t sections = 0, keys = 0;
  for (const auto& l : lines_) {
    sections += l.kind == Line::kSection;
    keys += l.kind == Line::kKey;
  }
  auto tableFor = [](size_t count) {
    size_t size = 16;
    while (size < 2 * count) size *= 2;
    return std::vector<Slot>(size);
  };
  sectionSlots_ = tableFor(sections);
  keySlots_ = tableFor(keys);
  indexedSections_ = indexedKeys_ = 0;
  size_t owner = npos;
  std::uint64_t ownerHash = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::kSection) {
      owner = i;
      ownerHash = HashNoCase(lines_[i].name);
    }
    IndexLine(i, owner, ownerHash);
  }
}

void ProfileFile::ShiftIndex(size_t at) {
  if (at >= lines_.size()) return;  // an append moves nothing
  for (auto* table : {&sectionSlots_, &keySlots_})
    for (Slot& slot : *table) {
      if (slot.line != kNoLine && slot.line >= at) ++slot.line;
      if (slot.owner != kNoLine && slot.owner >= at) ++slot.owner;
    }
}

size_t ProfileFile::Probe(const std::vector<Slot>& table, std::uint64_t hash, std::string_view name,
                          size_t owner) const {
  if (table.empty()) return npos;
  const std::uint32_t wanted = owner == npos ? kNoLine : static_cast<std::uint32_t>(owner);
  const size_t mask = table.size() - 1;
  for (size_t i = Home(hash, mask);; i = (i + 1) & mask) {
    const Slot& slot = table[i];
    if (slot.line == kNoLine) return npos;
    if (slot.hash == hash && slot.owner == wanted && SameName(lines_[slot.line].name, name)) return slot.line;
  }
}

// Enters LINE (a section header, or a key of the section headed at OWNER)
// unless an earlier line of the same name holds its place: the first match
// wins.
void ProfileFile::IndexLine(size_t line, size_t owner, std::uint64_t ownerHash) {
  const Line& l = lines_[line];
  std::vector<Slot>* table;
  size_t* count;
  std::uint64_t hash;
  if (l.kind == Line::kSection) {
    table = &sectionSlots_;
    count = &indexedSections_;
    hash = HashNoCase(l.name);
    owner = npos;
  } else if (l.kind == Line::kKey && owner != npos) {
    table = &keySlots_;
    count = &indexedKeys_;
    hash = KeyHash(ownerHash, l.name);
  } else {
    return;  // no key, or a key before the first section: never found
  }
  if (line >= kNoLine || Probe(*table, hash, l.name, owner) != npos) return;
  if (2 * (*count + 1) > table->size()) {
    std::vector<Slot> bigger(std::max<size_t>(16, table->size() * 2));
    for (const Slot& slot : *table) {
      if (slot.line == kNoLine) continue;
      size_t i = Home(slot.hash, bigger.size() - 1);
      while (bigger[i].line != kNoLine) i = (i + 1) & (bigger.size() - 1);
      bigger[i] = slot;
    }
    *table = std::move(bigger);
  }
  const size_t mask = table->size() - 1;
  size_t i = Home(hash, mask);
  while ((*table)[i].line != kNoLine) i = (i + 1) & mask;
  (*table)[i] = {hash, static_cast<std::uint32_t>(line), owner == npos ? kNoLine : static_cast<std::uint32_t>(owner)};
  ++*count;
}

size_t ProfileFile::FindSection(std::string_view section) const {
  section = Trim(section);
  return Probe(sectionSlots_, HashNoCase(section), section, npos);
}

size_t ProfileFile::FindKey(std::string_view section, std::string_view key) const {
  section = Trim(section);
  const std::uint64_t sectionHash = HashNoCase(section);
  const size_t header = Probe(sectionSlots_, sectionHash, section, npos);
  if (header == npos) return npos;
  key = Trim(key);
  return Probe(keySlots_, KeyHash(sectionHash, key), key, header);
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Line::kSection) ++i;
  return i;
}

size_t ProfileFile::FindKey(size_t header, std::string_view key) const {
  if (header == npos) return npos;
  key = Trim(key);
  return Probe(keySlots_, KeyHash(HashNoCase(lines_[header].name), key), key, header);
}

size_t ProfileFile::AppendSection(std::string_view section) {
  Line s;
  s.kind = Line::kSection;
  s.name.assign(Trim(section));
  s.raw = "[" + s.name + "]";
  lines_.push_back(std::move(s));
  IndexLine(lines_.size() - 1, lines_.size() - 1, 0);
  changed_ = true;
  return lines_.size() - 1;
}

ProfileFile::Line ProfileFile::MakeKey(std::string_view key, std::string_view value) {
  Line l;
  l.kind = Line::kKey;
  l.name.assign(Trim(key));
  l.value.assign(Trim(value));
  l.raw = l.name + "=" + std::string(value);
  return l;
}

std::string ProfileFile::Get(std::string_view section, std::string_view key, std::string_view def,
                             unsigned size) const {
  const size_t k = FindKey(section, key);
  std::string_view v = StripQuotes(k == npos ? TrimDefault(def) : std::string_view(lines_[k].value));
  if (size == 0) return {};
  return std::string(v.substr(0, std::min<size_t>(v.size(), size - 1)));
}

bool ProfileFile::Find(std::string_view section, std::string_view key, std::string* value) const {
  const size_t k = FindKey(section, key);
  if (k == npos) return false;
  if (value) value->assign(StripQuotes(lines_[k].value));
  return true;
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
  const size_t k = FindKey(section, key);
  return k == npos ? def : ParseProfileInt(lines_[k].value, def);
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  return FindKey(section, key) != npos;
}

bool ProfileFile::HasSection(std::string_view section) const {
  return FindSection(section) != npos;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const size_t h = FindSection(section);
  if (h == npos) return keys;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (lines_[i].kind == Line::kKey) keys.push_back(lines_[i].name);
  return keys;
}

std::size_t ProfileFile::KeyCount(std::string_view section) const {
  const size_t h = FindSection(section);
  if (h == npos) return 0;
  std::size_t count = 0;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i) count += lines_[i].kind == Line::kKey;
  return count;
}

std::vector<std::string> ProfileFile::Sections() const {
  std::vector<std::string> names;
  for (const auto& l : lines_)
    if (l.kind == Line::kSection) names.push_back(l.name);
  return names;
}

std::vector<std::string> ProfileFile::SectionLines(std::string_view section) const {
  std::vector<std::string> out;
  const size_t h = FindSection(section);
  if (h == npos) return out;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (lines_[i].kind == Line::kKey)
      out.push_back(lines_[i].bare ? lines_[i].name : lines_[i].name + "=" + lines_[i].value);
  return out;
}

bool ProfileFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(value) || BadKey(key) || section.find(']') != std::string_view::npos)
    return false;
  const size_t h = FindSection(section);
  if (h == npos) {
    const size_t header = AppendSection(section);
    lines_.push_back(MakeKey(key, value));
    IndexLine(lines_.size() - 1, header, HashNoCase(lines_[header].name));
    return true;
  }
  const size_t k = FindKey(h, key);
  if (k != npos) {
    Line l = MakeKey(lines_[k].name, value);  // the file's spelling of the key stays
    if (l.raw != lines_[k].raw) {
      lines_[k] = std::move(l);
      changed_ = true;
    }
    return true;
  }
  // Append after the section's last non-blank line, so blank lines that
  // separate it from the next section stay where they are.
  size_t at = h + 1;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (!Trim(lines_[i].raw).empty()) at = i + 1;
  ShiftIndex(at);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeKey(key, value));
  IndexLine(at, h, HashNoCase(lines_[h].name));
  changed_ = true;
  return true;
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  const size_t k = FindKey(section, key);
  if (k == npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
  Reindex();
  changed_ = true;
}

void ProfileFile::DeleteSection(std::string_view section) {
  const size_t h = FindSection(section);
  if (h == npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h),
               lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(h)));
  Reindex();
  changed_ = true;
}

bool ProfileFile::SetSection(std::string_view section, const std::vector<std::string>& lines) {
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  std::vector<Line> fresh;
  for (const auto& text : lines) {
    if (HasLineBreak(text)) return false;
    const size_t eq = text.find('=');
    if (eq == npos || BadKey(std::string_view(text).substr(0, eq))) return false;
    fresh.push_back(MakeKey(std::string_view(text).substr(0, eq), Trim(std::string_view(text).substr(eq + 1))));
  }
  size_t h = FindSection(section);
  if (h == npos) {
    h = AppendSection(section);
  } else {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(h)));
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(h + 1), fresh.begin(), fresh.end());
  Reindex();
  changed_ = true;
  return true;
}

// ---- the free functions

unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file) {
  if (!buf || size == 0) return 0;
  std::lock_guard lk(ProfileMutex());
  const ProfileFile* f = nullptr;
  Lookup(file, f);  // an unreadable file reads like a missing one: defaults
  if (!section) return CopyList(f->Sections(), buf, size);
  if (!key) return CopyList(f->Keys(section), buf, size);
  return CopyCut(f->Get(section, key, def ? def : "", size), buf, size);
}

std::string GetProfileText(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def, unsigned size) {
  std::lock_guard lk(ProfileMutex());
  const ProfileFile* f = nullptr;
  Lookup(file, f);
  return f->Get(section, key, def, size);
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file) {
  if (!section || !key) return def;
  std::lock_guard lk(ProfileMutex());
  const ProfileFile* f = nullptr;
  Lookup(file, f);
  return f->GetInt(section, key, def);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file) {
  if (!section) return !key && !value;  // the flush request; nothing is held back
  return Modify(file, [&](ProfileFile& f) {
    if (!key) {
      f.DeleteSection(section);
      return true;
    }
    if (!value) {
      f.DeleteKey(section, key);
      return true;
    }
    return f.Set(section, key, value);
  });
}

unsigned GetPrivateProfileSection(const char* section, char* buf, unsigned size, const std::string& file) {
  if (!buf || size == 0) return 0;
  std::lock_guard lk(ProfileMutex());
  const ProfileFile* f = nullptr;
  Lookup(file, f);
  return CopyList(section ? f->SectionLines(section) : std::vector<std::string>{}, buf, size);
}

bool WritePrivateProfileSection(const char* section, const char* data, const std::string& file) {
  if (!section) return !data;
  std::vector<std::string> lines;
  for (const char* p = data; p && *p; p += std::strlen(p) + 1) lines.emplace_back(p);
  return Modify(file, [&](ProfileFile& f) {
    if (!data) {
      f.DeleteSection(section);
      return true;
    }
    return f.SetSection(section, lines);
  });
}

std::string ProgramProfileFile() {
  return JoinPath(ProgramFolder(), "quorva.ini");
}

std::string WinIniFile() {
  return JoinPath(ProgramFolder(), "win.ini");
}

}  // namespace qv
