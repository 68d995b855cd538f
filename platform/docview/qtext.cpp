#include "qtext.h"

namespace qv {
namespace {
// 0x80..0x9F of CP1252; 0 where the code page has no character.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QString QStr(const std::string& s) {
  QString out;
  out.reserve(static_cast<qsizetype>(s.size()));
  for (unsigned char c : s) {
    if (c >= 0x80 && c < 0xA0)
      out += QChar(kHigh[c - 0x80] ? kHigh[c - 0x80] : char16_t(c));
    else
      out += QChar(char16_t(c));
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
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] && kHigh[i] == c) mapped = static_cast<char>(0x80 + i);
    // The five bytes the code page leaves undefined came in as themselves.
    if (c >= 0x80 && c < 0xA0 && !kHigh[c - 0x80]) mapped = static_cast<char>(c);
    out += mapped;
  }
  return out;
}

}  // namespace qv
