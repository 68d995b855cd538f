// The Windows Western code page: the characters of its bytes.
#pragma once

namespace qv {

// The Unicode character of a CP1252 byte; the byte itself where the code page
// has no character (0x81, 0x8D, 0x8F, 0x90, 0x9D).
char16_t Cp1252ToUnicode(unsigned char c);

}  // namespace qv
