#include "qtext.h"

#include "platform/text/cp1252.h"

namespace qv {
QString QStr(const std::string& s) {
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
