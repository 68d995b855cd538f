// The Windows code page the texts inside files are written and read in: the
// Western one (1252) by default, the Japanese one (932, Shift-JIS with the
// Windows extensions) under a Japanese locale, as a Japanese system stores
// them. File names, keys and numbers are ASCII in either.
#pragma once

#include <string>
#include <string_view>

namespace qv {

inline constexpr int kCodePageWestern = 1252;
inline constexpr int kCodePageJapanese = 932;

// Chooses the code page of the process (any value but 932 means 1252). Set
// once at start-up, before texts are read; tests switch it.
void SetFileCodePage(int codePage);
int FileCodePage();

// The characters of bytes in the file code page. A byte (or a byte pair) the
// code page has no character for comes back as a character of its own that
// EncodeFileText turns into the same byte again, so any file survives a
// decode and an encode byte for byte.
std::u16string DecodeFileText(std::string_view bytes);
// The bytes of a text in the file code page; a character it cannot hold
// becomes '?'.
std::string EncodeFileText(std::u16string_view text);
// The characters of TEXT the file code page cannot hold, each once, in order
// of appearance; empty when the whole text can be stored.
std::u16string UnstorableCharacters(std::u16string_view text);

}  // namespace qv
