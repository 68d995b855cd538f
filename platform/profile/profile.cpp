#include "profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"

namespace qv {
namespace {

constexpr size_t npos = std::string::npos;

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The bytes a line scan stops at: the line ends, and '=' (the first one
// splits a key line into name and value).
struct StopTable {
  bool stop[256] = {};
  StopTable() {
    stop[static_cast<unsigned char>('\r')] = stop[static_cast<unsigned char>('\n')] =
        stop[static_cast<unsigned char>('=')] = true;
  }
};
const StopTable kStops;

// Bit 7 of each byte of W that equals the byte of PATTERN; a byte above a
// matching one may be marked as well, so only the lowest mark counts.
inline std::uint64_t ByteMatches(std::uint64_t w, std::uint64_t pattern) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t x = w ^ pattern;
  return (x - kOnes) & ~x & (0x80 * kOnes);
}

// The first byte from I on that a line scan stops at, or N; eight bytes a
// step.
inline size_t NextStop(const char* p, size_t i, size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    const std::uint64_t marks =
        ByteMatches(w, '\r' * kOnes) | ByteMatches(w, '\n' * kOnes) | ByteMatches(w, '=' * kOnes);
    if (marks != 0) return i + static_cast<size_t>(__builtin_ctzll(marks)) / 8;
  }
  while (i < n && !kStops.stop[static_cast<unsigned char>(p[i])]) ++i;
  return i;
}

// The end of the line that starts at POS (its CR or LF, or the end); the
// first '=' of the line into EQ (npos without one).
inline size_t ScanLine(std::string_view text, size_t pos, size_t& eq) {
  const char* p = text.data();
  const size_t n = text.size();
  eq = npos;
  for (size_t i = NextStop(p, pos, n);; i = NextStop(p, i + 1, n)) {
    if (i == n || p[i] != '=') return i;
    if (eq == npos) eq = i;
  }
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

// The text of a key line: the key trimmed, '=', the value as given.
std::string KeyLineText(std::string_view key, std::string_view value) {
  key = Trim(key);
  std::string raw;
  raw.reserve(key.size() + 1 + value.size());
  raw += key;
  raw += '=';
  raw += value;
  return raw;
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// A value or default as a read returns it: cut to SIZE - 1 characters.
std::string_view Answer(std::string_view v, unsigned size) {
  return v.substr(0, std::min<size_t>(v.size(), size - 1));
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

// Up to eight bytes folded and packed into a word (the first byte lowest).
// Words of plain ASCII fold all at once: 'A'..'Z' get their 0x20 bit.
// Up to eight bytes packed into a word (the first byte lowest, zeros after
// the last).
inline std::uint64_t PackedWord(const char* p, size_t n) {
  std::uint64_t w = 0;
  if (n == 8) {
    std::memcpy(&w, p, 8);
    return w;
  }
  size_t at = 0;
  if (n & 4) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    w = v;
    at = 4;
  }
  if (n & 2) {
    std::uint16_t v;
    std::memcpy(&v, p + at, 2);
    w |= static_cast<std::uint64_t>(v) << (8 * at);
    at += 2;
  }
  if (n & 1) w |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[at])) << (8 * at);
  return w;
}

// The bytes of W folded (zero bytes stay zero).
inline std::uint64_t Folded(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  if ((w & (0x80 * kOnes)) == 0) {
    const std::uint64_t upper = (w + (0x80 - 'A') * kOnes) & ~(w + (0x80 - 'Z' - 1) * kOnes) & (0x80 * kOnes);
    return w | (upper >> 2);
  }
  std::uint64_t f = 0;
  for (int i = 0; i < 64; i += 8) f |= static_cast<std::uint64_t>(Fold(static_cast<char>(w >> i))) << i;
  return f;
}

inline std::uint64_t FoldedWord(const char* p, size_t n) {
  return Folded(PackedWord(p, n));
}

inline bool SameWord(std::uint64_t a, std::uint64_t b) {
  return a == b || Folded(a) == Folded(b);
}

inline std::uint64_t Load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// The first four and the last four bytes of P (4 <= N <= 8), overlapping for
// shorter names.
inline std::uint64_t HeadAndTail(const char* p, size_t n) {
  std::uint32_t head, tail;
  std::memcpy(&head, p, 4);
  std::memcpy(&tail, p + n - 4, 4);
  return head | static_cast<std::uint64_t>(tail) << 32;
}

// Names are compared eight bytes a step (the last step overlapping the one
// before, so lengths cost no branches of their own); words that differ are
// compared again folded.
inline bool SameName(std::string_view a, std::string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  const char* p = a.data();
  const char* q = b.data();
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8)
      if (!SameWord(Load8(p + i), Load8(q + i))) return false;
    return SameWord(Load8(p + n - 8), Load8(q + n - 8));
  }
  if (n >= 4) return SameWord(HeadAndTail(p, n), HeadAndTail(q, n));
  return SameWord(PackedWord(p, n), PackedWord(q, n));
}

// A hash of a name as compared without case, eight folded bytes a step.
inline std::uint64_t HashNoCase(std::string_view s, std::uint64_t seed = 0) {
  std::uint64_t h = (1469598103934665603ull ^ seed) + s.size() * 0x9E3779B97F4A7C15ull;
  for (size_t i = 0; i < s.size(); i += 8) {
    h = (h ^ FoldedWord(s.data() + i, std::min<size_t>(8, s.size() - i))) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  h *= 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 29);
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
  // Never changed once cached: loads share it (LoadShared) and writers copy it.
  std::shared_ptr<const ProfileFile> file;
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
  cache[path] = {sig, NowNs(), f.Serialize(), std::make_shared<const ProfileFile>(f)};
}

// The parsed profile of FILE (empty when the file is missing). Called with
// the profile mutex held. False when the file exists but cannot be read.
bool Lookup(const std::string& file, std::shared_ptr<const ProfileFile>& out) {
  static const auto empty = std::make_shared<const ProfileFile>();
  auto& cache = Cache();
  Signature sig;
  const int64_t seen = NowNs();
  // The file under its own spelling answers with one stat; only a missing
  // one is looked for in other letter cases.
  const bool asSpelled = SignatureOf(file, sig);
  const std::string path = asSpelled ? file : FindFileNoCase(file);
  if (!asSpelled && !SignatureOf(path, sig)) {
    cache.erase(path);
    out = empty;
    return true;
  }
  auto it = cache.find(path);
  const bool same = it != cache.end() && it->second.sig == sig;
  if (same && Settled(it->second)) {
    out = it->second.file;
    return true;
  }
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    cache.erase(path);
    out = empty;
    return false;
  }
  if (same && bytes == it->second.bytes) {
    it->second.seenNs = seen;  // checked byte for byte at this time
    out = it->second.file;
    return true;
  }
  auto f = std::make_shared<ProfileFile>();
  f->Parse(bytes, path);
  if (cache.size() >= kCacheLimit) cache.clear();
  out = (cache[path] = {sig, seen, std::move(bytes), std::move(f)}).file;
  return true;
}

// The same for the free functions, which only read it under the mutex.
bool Lookup(const std::string& file, const ProfileFile*& out) {
  std::shared_ptr<const ProfileFile> shared;
  const bool ok = Lookup(file, shared);
  out = shared.get();  // the cache or the static empty profile keeps it
  return ok;
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

std::shared_ptr<const ProfileFile> ProfileFile::LoadShared(const std::string& path) {
  std::lock_guard lk(ProfileMutex());
  std::shared_ptr<const ProfileFile> parsed;
  if (!Lookup(path, parsed)) return nullptr;
  if (!parsed->path().empty()) return parsed;
  // A missing file: an empty profile under its path.
  auto missing = std::make_shared<ProfileFile>();
  if (!missing->Load(path)) return nullptr;
  return missing;
}

void ProfileFile::Parse(std::string_view bytes, const std::string& path) {
  Parse(bytes);
  path_ = path;
}

void ProfileFile::Parse(std::string_view bytes) {
  lines_.clear();
  changed_ = false;
  unused_ = 0;
  bom_ = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom_) bytes.remove_prefix(3);
  text_.assign(bytes);
  const std::string_view text(text_);
  auto range = [&](std::string_view part) {
    return Range{static_cast<size_t>(part.data() - text.data()), part.size()};
  };
  lines_.reserve(text.size() / 32 + 1);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eq;
    size_t end = ScanLine(text, pos, eq);
    Line& line = lines_.emplace_back();
    const std::string_view raw = text.substr(pos, end - pos);
    line.raw = {pos, raw.size()};
    const std::string_view t = Trim(raw);
    const size_t close = t.empty() || t.front() != '[' ? npos : t.rfind(']');
    if (close != npos) {
      // The name runs to the last ']' of the line.
      line.kind = Line::kSection;
      line.name = range(Trim(t.substr(1, close - 1)));
    } else if (!t.empty() && t.front() != ';') {
      // A line without '=' (an unclosed "[Sec" too) is a key with no value,
      // so it hides a later line of the same name that has one.
      if (eq == npos) {
        line.kind = Line::kKey;
        line.bare = true;
        line.name = range(t);
      } else {
        // The first '=' of the line is the first of its trimmed text.
        const size_t at = static_cast<size_t>(t.data() - text.data());
        const std::string_view name = Trim(text.substr(at, eq - at));
        if (!name.empty()) {
          line.kind = Line::kKey;
          line.name = range(name);
          line.value = range(Trim(text.substr(eq + 1, at + t.size() - (eq + 1))));
        }
      }
    }
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    pos = end + 1;
  }
  Reindex();
}

std::string ProfileFile::Serialize() const {
  size_t size = bom_ ? 3 : 0;
  for (const auto& l : lines_) size += l.raw.size + 2;
  std::string out;
  out.reserve(size);
  if (bom_) out = "\xEF\xBB\xBF";
  for (const auto& l : lines_) {
    out += Raw(l);
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
      IndexLine(i, i, 0);
      // The keys under a later header of a section name are never found:
      // they stay out of the index.
      ownerHash = HashNoCase(Name(lines_[i]));
      owner = Probe(sectionSlots_, ownerHash, Name(lines_[i]), npos) == i ? i : npos;
      continue;
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
    if (slot.hash == hash && slot.owner == wanted && SameName(Name(lines_[slot.line]), name)) return slot.line;
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
    hash = HashNoCase(Name(l));
    owner = npos;
  } else if (l.kind == Line::kKey && owner != npos) {
    table = &keySlots_;
    count = &indexedKeys_;
    hash = KeyHash(ownerHash, Name(l));
  } else {
    return;  // no key, or a key before the first section: never found
  }
  if (line >= kNoLine || Probe(*table, hash, Name(l), owner) != npos) return;
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

// Only keys of the first section of each name are in the index, so a key
// whose own section has the name asked for is the one.
size_t ProfileFile::FindKey(std::string_view section, std::string_view key) const {
  if (keySlots_.empty()) return npos;
  section = Trim(section);
  key = Trim(key);
  const std::uint64_t hash = KeyHash(HashNoCase(section), key);
  const size_t mask = keySlots_.size() - 1;
  for (size_t i = Home(hash, mask);; i = (i + 1) & mask) {
    const Slot& slot = keySlots_[i];
    if (slot.line == kNoLine) return npos;
    if (slot.hash == hash && SameName(Name(lines_[slot.line]), key) && SameName(Name(lines_[slot.owner]), section))
      return slot.line;
  }
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Line::kSection) ++i;
  return i;
}

size_t ProfileFile::FindKey(size_t header, std::string_view key) const {
  if (header == npos) return npos;
  key = Trim(key);
  return Probe(keySlots_, KeyHash(HashNoCase(Name(lines_[header])), key), key, header);
}

ProfileFile::Range ProfileFile::Append(std::string_view text) {
  const Range r{text_.size(), text.size()};
  text_ += text;
  return r;
}

void ProfileFile::Drop(size_t first, size_t last) {
  for (size_t i = first; i < last; ++i) unused_ += lines_[i].raw.size;
}

// Rebuilds text_ from the lines left once most of it is unused, so a file
// kept and written again and again does not grow without end.
void ProfileFile::Compact() {
  if (unused_ < 4096 || unused_ < text_.size() / 2) return;
  std::string text;
  text.reserve(text_.size() - unused_);
  for (Line& l : lines_) {
    const size_t at = text.size();
    text += Raw(l);
    // An empty name or value may lie anywhere: it goes to the line's start.
    auto move = [&](Range& r) { r.at = r.size != 0 ? r.at - l.raw.at + at : at; };
    move(l.name);
    move(l.value);
    l.raw.at = at;
  }
  text_ = std::move(text);
  unused_ = 0;
}

size_t ProfileFile::AppendSection(std::string_view section) {
  section = Trim(section);
  std::string raw;
  raw.reserve(section.size() + 2);
  raw += '[';
  raw += section;
  raw += ']';
  Line s;
  s.kind = Line::kSection;
  s.raw = Append(raw);
  s.name = {s.raw.at + 1, section.size()};
  lines_.push_back(s);
  IndexLine(lines_.size() - 1, lines_.size() - 1, 0);
  changed_ = true;
  return lines_.size() - 1;
}

ProfileFile::Line ProfileFile::MakeKey(std::string_view key, std::string_view value) {
  const std::string raw = KeyLineText(key, value);
  const size_t nameSize = raw.find('=');
  const std::string_view rest = std::string_view(raw).substr(nameSize + 1);
  const std::string_view trimmed = Trim(rest);
  Line l;
  l.kind = Line::kKey;
  l.raw = Append(raw);
  l.name = {l.raw.at, nameSize};
  l.value = {l.raw.at + nameSize + 1 + static_cast<size_t>(trimmed.data() - rest.data()), trimmed.size()};
  return l;
}

std::string_view ProfileFile::GetView(std::string_view section, std::string_view key, std::string_view def,
                                      unsigned size) const {
  if (size == 0) return {};
  const size_t k = FindKey(section, key);
  return Answer(k == npos || lines_[k].bare ? StripQuotes(TrimDefault(def)) : StripQuotes(Value(lines_[k])), size);
}

ProfileSection ProfileFile::Pick(std::string_view section, const ProfileKeyNames& names) const {
  ProfileSection out;
  if (names.size() > ProfileSection::kFew) out.many_.resize(names.size());
  const size_t h = FindSection(section);
  if (h == npos) return out;
  size_t left = names.size();
  size_t next = 0;  // the name after the last one matched
  for (size_t i = h + 1; i < lines_.size() && lines_[i].kind != Line::kSection; ++i) {
    const Line& l = lines_[i];
    if (l.kind != Line::kKey) continue;
    out.keyLines_ += !l.bare;
    if (left == 0) continue;  // every name found: only counting now
    // Sections are mostly written in the order their readers name the keys:
    // the name after the last match is tried before the table.
    const size_t k = next < names.size() && names.Is(next, Name(l)) ? next : names.Find(Name(l));
    if (k == npos) continue;
    next = k + 1;
    // A line without '=' still holds the name's place: the first match wins.
    if (out.Keep(k, StripQuotes(Value(l)), l.bare)) --left;
  }
  return out;
}

std::string_view ProfileSection::GetView(std::size_t key, std::string_view def, unsigned size) const {
  if (size == 0) return {};
  const Value* v = Found(key);
  return Answer(v != nullptr && !v->bare ? std::string_view(v->text, v->size) : StripQuotes(TrimDefault(def)), size);
}

ProfileKeyNames::ProfileKeyNames(const std::vector<std::string_view>& names) {
  size_t size = 16;
  while (size < 2 * names.size()) size *= 2;
  slots_.assign(size, 0);
  for (std::string_view name : names) {
    name = Trim(name);
    if (Find(name) != npos) throw std::invalid_argument("a key name twice: " + std::string(name));
    names_.emplace_back(name);
    hashes_.push_back(HashNoCase(name));
    size_t i = Home(hashes_.back(), size - 1);
    while (slots_[i] != 0) i = (i + 1) & (size - 1);
    slots_[i] = static_cast<std::uint32_t>(names_.size());
  }
}

bool ProfileKeyNames::Is(std::size_t index, std::string_view name) const {
  return SameName(names_[index], name);
}

std::size_t ProfileKeyNames::Find(std::string_view name) const {
  const std::uint64_t hash = HashNoCase(name);
  const size_t mask = slots_.size() - 1;
  for (size_t i = Home(hash, mask); slots_[i] != 0; i = (i + 1) & mask) {
    const size_t k = slots_[i] - 1;
    if (hashes_[k] == hash && SameName(names_[k], name)) return k;
  }
  return npos;
}

std::string ProfileFile::Get(std::string_view section, std::string_view key, std::string_view def,
                             unsigned size) const {
  return std::string(GetView(section, key, def, size));
}

bool ProfileFile::Find(std::string_view section, std::string_view key, std::string* value) const {
  const size_t k = FindKey(section, key);
  if (k == npos || lines_[k].bare) return false;
  if (value) value->assign(StripQuotes(Value(lines_[k])));
  return true;
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
  const size_t k = FindKey(section, key);
  return k == npos || lines_[k].bare ? def : ParseProfileInt(Value(lines_[k]), def);
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key, nullptr);
}

bool ProfileFile::HasSection(std::string_view section) const {
  return FindSection(section) != npos;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const size_t h = FindSection(section);
  if (h == npos) return keys;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (IsValuedKey(lines_[i])) keys.emplace_back(Name(lines_[i]));
  return keys;
}

std::size_t ProfileFile::KeyCount(std::string_view section) const {
  const size_t h = FindSection(section);
  if (h == npos) return 0;
  std::size_t count = 0;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i) count += IsValuedKey(lines_[i]);
  return count;
}

bool ProfileFile::HasKeyLines(std::string_view section) const {
  const size_t h = FindSection(section);
  if (h == npos) return false;
  for (size_t i = h + 1; i < lines_.size() && lines_[i].kind != Line::kSection; ++i)
    if (IsValuedKey(lines_[i])) return true;
  return false;
}

std::vector<std::string> ProfileFile::Sections() const {
  std::vector<std::string> names;
  for (const auto& l : lines_)
    if (l.kind == Line::kSection) names.emplace_back(Name(l));
  return names;
}

std::vector<std::string> ProfileFile::SectionLines(std::string_view section) const {
  std::vector<std::string> out;
  const size_t h = FindSection(section);
  if (h == npos) return out;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (lines_[i].kind == Line::kKey)
      out.push_back(lines_[i].bare ? std::string(Name(lines_[i])) : KeyLineText(Name(lines_[i]), Value(lines_[i])));
  return out;
}

bool ProfileFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(value) || BadKey(key) || section.find(']') != std::string_view::npos)
    return false;
  const size_t h = FindSection(section);
  if (h == npos) {
    const size_t header = AppendSection(section);
    lines_.push_back(MakeKey(key, value));
    IndexLine(lines_.size() - 1, header, HashNoCase(Name(lines_[header])));
    return true;
  }
  const size_t k = FindKey(h, key);
  if (k != npos) {
    // The file's spelling of the key stays; an unchanged line is left alone.
    const std::string raw = KeyLineText(Name(lines_[k]), value);
    if (raw != Raw(lines_[k])) {
      Drop(k, k + 1);
      lines_[k] = MakeKey(raw.substr(0, raw.find('=')), value);
      changed_ = true;
      Compact();
    }
    return true;
  }
  // Append after the section's last non-blank line, so blank lines that
  // separate it from the next section stay where they are.
  size_t at = h + 1;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (!Trim(Raw(lines_[i])).empty()) at = i + 1;
  ShiftIndex(at);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeKey(key, value));
  IndexLine(at, h, HashNoCase(Name(lines_[h])));
  changed_ = true;
  return true;
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  const size_t k = FindKey(section, key);
  if (k == npos) return;
  Drop(k, k + 1);
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
  Compact();
  Reindex();
  changed_ = true;
}

void ProfileFile::DeleteSection(std::string_view section) {
  const size_t h = FindSection(section);
  if (h == npos) return;
  const size_t end = SectionEnd(h);
  Drop(h, end);
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h), lines_.begin() + static_cast<std::ptrdiff_t>(end));
  Compact();
  Reindex();
  changed_ = true;
}

bool ProfileFile::SetSection(std::string_view section, const std::vector<std::string>& lines) {
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  for (const auto& text : lines) {
    const size_t eq = text.find('=');
    if (HasLineBreak(text) || eq == npos || BadKey(std::string_view(text).substr(0, eq))) return false;
  }
  std::vector<Line> fresh;
  fresh.reserve(lines.size());
  for (const auto& text : lines) {
    const size_t eq = text.find('=');
    fresh.push_back(MakeKey(std::string_view(text).substr(0, eq), Trim(std::string_view(text).substr(eq + 1))));
  }
  size_t h = FindSection(section);
  if (h == npos) {
    h = AppendSection(section);
  } else {
    const size_t end = SectionEnd(h);
    Drop(h + 1, end);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(h + 1), fresh.begin(), fresh.end());
  Compact();
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
