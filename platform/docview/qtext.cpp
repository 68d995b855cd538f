#include "qtext.h"

#include "platform/text/codepage.h"
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

QString FromFileText(std::string_view bytes) {
  const std::u16string text = DecodeFileText(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A text holding a translation: its UTF-8 sequences are read as UTF-8, every
// other run of bytes (a name or number filled in) in the file code page, and
// the marks are dropped.
QString DecodeTranslated(const std::string& s) {
  QString out;
  size_t run = 0;  // start of the bytes not yet decoded
  auto flush = [&](size_t end) {
    out += FromFileText(std::string_view(s).substr(run, end - run));
  };
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (s.compare(i, sizeof kTranslatedMark - 1, kTranslatedMark) == 0) {
      flush(i);
      i += sizeof kTranslatedMark - 1;
      run = i;
    } else if (const size_t n = c >= 0x80 ? Utf8Length(s, i) : 0) {
      flush(i);
      out += QString::fromUtf8(s.data() + i, static_cast<qsizetype>(n));
      i += n;
      run = i;
    } else {
      ++i;
    }
  }
  flush(s.size());
  return out;
}

}  // namespace

QString QStr(const std::string& s) {
  if (s.find(kTranslatedMark) != std::string::npos) return DecodeTranslated(s);
  return FromFileText(s);
}

QString QStr(const char* s) { return QStr(std::string(s ? s : "")); }

std::string StdStr(const QString& text) {
  return EncodeFileText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                            static_cast<size_t>(text.size())));
}

QString UnstorableText(const QString& text) {
  const std::u16string missing = UnstorableCharacters(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
  return QString::fromUtf16(missing.data(), static_cast<qsizetype>(missing.size()));
}

}  // namespace qv
