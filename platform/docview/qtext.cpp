#include "qtext.h"

#include "platform/text/cp1252.h"
#include "platform/text/strings.h"

namespace qv {
namespace {

// The length of the well-formed UTF-8 sequence of two or more bytes at i, or
// 0 when none starts there.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  const size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((at(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

// A text holding a translation: its UTF-8 sequences are read as UTF-8, every
// other byte (a name or number filled in) as CP1252, and the marks are dropped.
QString DecodeTranslated(const std::string& s) {
  QString out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (s.compare(i, sizeof kTranslatedMark - 1, kTranslatedMark) == 0) {
      i += sizeof kTranslatedMark - 1;
    } else if (const size_t n = c >= 0x80 ? Utf8Length(s, i) : 0) {
      out += QString::fromUtf8(s.data() + i, static_cast<qsizetype>(n));
      i += n;
    } else {
      out += QChar(Cp1252ToUnicode(c));
      ++i;
    }
  }
  return out;
}

}  // namespace

QString QStr(const std::string& s) {
  if (s.find(kTranslatedMark) != std::string::npos) return DecodeTranslated(s);
  QString out;
  out.reserve(static_cast<qsizetype>(s.size()));
  for (unsigned char c : s) {
    out += QChar(Cp1252ToUnicode(c));
  }
  return out;
}

QString QStr(const char* s) { return QStr(std::string(s ? s : "")); }

std::string StdStr(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar qc : text) {
    const char16_t c = qc.unicode();
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    // The five bytes the code page leaves undefined came in as themselves
    // and go back out as themselves.
    for (int i = 0x80; i < 0xA0; ++i)
      if (Cp1252ToUnicode(static_cast<unsigned char>(i)) == c) mapped = static_cast<char>(i);
    out += mapped;
  }
  return out;
}

}  // namespace qv
