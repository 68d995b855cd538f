#include "codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <atomic>
#include <unordered_map>
#include <vector>

#include "cp1252.h"

namespace qv {
namespace {

std::atomic<int> g_codePage{kCodePageWestern};

// A byte the code page has no character for travels as a lone low surrogate
// (no text a user types holds one), so it is written back as the same byte.
constexpr char16_t kEscapeBase = 0xDC00;
bool IsEscape(char16_t c) {
  return c >= 0xDC80 && c <= 0xDCFF;
}
bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// ---- code page 1252

// The byte of a character, or -1 when the code page has none.
int Western(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  // The five bytes the code page leaves undefined came in as themselves and
  // go back out as themselves.
  for (int i = 0x80; i < 0xA0; ++i)
    if (Cp1252ToUnicode(static_cast<unsigned char>(i)) == c) return i;
  return -1;
}

// ---- code page 932, from the C library's converter (built once)

class Japanese {
 public:
  static const Japanese& Get() {
    static const Japanese table;
    return table;
  }
  // The character of a single byte, 0 when it is none.
  char16_t Single(unsigned char b) const { return single_[b]; }
  bool Lead(unsigned char b) const { return lead_[b]; }
  // The character of a lead and a trail byte, 0 when it is none.
  char16_t Pair(unsigned char lead, unsigned char trail) const {
    return pairs_[static_cast<std::size_t>(lead) * 256 + trail];
  }
  // The one or two bytes of a character (a pair as lead << 8 | trail), or -1.
  int Bytes(char16_t c) const {
    if (c < 0x80) return c;
    const auto it = encode_.find(c);
    return it == encode_.end() ? -1 : it->second;
  }

 private:
  Japanese() : pairs_(256 * 256, 0) {
    const iconv_t decode = iconv_open("UTF-16LE", "CP932");
    if (decode == reinterpret_cast<iconv_t>(-1)) return;  // no converter: ASCII only
    const iconv_t encode = iconv_open("CP932", "UTF-16LE");
    for (int b = 0x80; b < 0x100; ++b) {
      const unsigned char in[1] = {static_cast<unsigned char>(b)};
      int result = Convert(decode, in, 1);
      if (result > 0) single_[b] = static_cast<char16_t>(result);
      if (result != kIncomplete) continue;
      lead_[b] = true;
      for (int t = 0x40; t < 0x100; ++t) {
        const unsigned char pair[2] = {static_cast<unsigned char>(b), static_cast<unsigned char>(t)};
        result = Convert(decode, pair, 2);
        if (result > 0) pairs_[static_cast<std::size_t>(b) * 256 + static_cast<std::size_t>(t)] = static_cast<char16_t>(result);
      }
    }
    // The bytes of each character come from the converter's own direction:
    // where two byte pairs give one character, it knows the one Windows writes.
    if (encode != reinterpret_cast<iconv_t>(-1)) {
      auto add = [&](char16_t c) {
        if (encode_.count(c)) return;
        const unsigned char in[2] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8)};
        unsigned char out[4];
        char* src = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        char* dst = reinterpret_cast<char*>(out);
        std::size_t left = 2, room = sizeof out;
        iconv(encode, nullptr, nullptr, nullptr, nullptr);
        if (iconv(encode, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return;
        const std::size_t n = sizeof out - room;
        if (n == 1) encode_[c] = out[0];
        if (n == 2) encode_[c] = out[0] << 8 | out[1];
      };
      for (int b = 0x80; b < 0x100; ++b)
        if (single_[b]) add(single_[b]);
      for (char16_t c : pairs_)
        if (c) add(c);
      iconv_close(encode);
    }
    iconv_close(decode);
  }

  static constexpr int kIncomplete = -2;
  // The one character of IN (a UTF-16 unit), kIncomplete when IN is the
  // start of a longer sequence, -1 when it is no character.
  static int Convert(iconv_t cd, const unsigned char* in, std::size_t size) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    unsigned char out[8];
    char* dst = reinterpret_cast<char*>(out);
    std::size_t left = size, room = sizeof out;
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1))
      return errno == EINVAL ? kIncomplete : -1;
    if (left != 0 || sizeof out - room != 2) return -1;  // not exactly one UTF-16 unit
    const char16_t c = static_cast<char16_t>(out[0] | out[1] << 8);
    return c == 0 || IsLowSurrogate(c) || IsHighSurrogate(c) ? -1 : c;
  }

  std::array<char16_t, 256> single_{};
  std::array<bool, 256> lead_{};
  std::vector<char16_t> pairs_;
  std::unordered_map<char16_t, int> encode_;
};

}  // namespace

void SetFileCodePage(int codePage) {
  g_codePage.store(codePage == kCodePageJapanese ? kCodePageJapanese : kCodePageWestern);
}

int FileCodePage() {
  return g_codePage.load();
}

std::u16string DecodeFileText(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  if (FileCodePage() != kCodePageJapanese) {
    for (char c : bytes) out += Cp1252ToUnicode(static_cast<unsigned char>(c));
    return out;
  }
  const Japanese& j = Japanese::Get();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
    } else if (const char16_t c = j.Single(b)) {
      out += c;
    } else if (const char16_t p = j.Lead(b) && i + 1 < bytes.size() ? j.Pair(b, static_cast<unsigned char>(bytes[i + 1])) : 0) {
      out += p;
      ++i;
    } else {
      out += static_cast<char16_t>(kEscapeBase + b);
    }
  }
  return out;
}

std::string EncodeFileText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  if (FileCodePage() != kCodePageJapanese) {
    for (char16_t c : text) {
      const int b = Western(c);
      out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
  }
  const Japanese& j = Japanese::Get();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out += '?';  // beyond the code page's plane
      ++i;
      continue;
    }
    if (IsEscape(c)) {
      out += static_cast<char>(c - kEscapeBase);
      continue;
    }
    const int b = j.Bytes(c);
    if (b < 0) {
      out += '?';
    } else if (b > 0xFF) {
      out += static_cast<char>(b >> 8);
      out += static_cast<char>(b & 0xFF);
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

std::u16string UnstorableCharacters(std::u16string_view text) {
  std::u16string missing;
  const bool japanese = FileCodePage() == kCodePageJapanese;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::u16string_view c = text.substr(i, 1);
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) c = text.substr(i++, 2);
    bool storable;
    if (c.size() == 2)
      storable = false;
    else if (japanese)
      storable = IsEscape(c[0]) || Japanese::Get().Bytes(c[0]) >= 0;
    else
      storable = Western(c[0]) >= 0;
    if (!storable && missing.find(c) == std::u16string::npos) missing += c;
  }
  return missing;
}

}  // namespace qv
