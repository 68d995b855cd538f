// The string table: every text shown to the user, keyed by its id. The texts
// are kept byte for byte as the program has always shown them (typos and
// blanks included), because operators and their procedures quote them.
#pragma once

#include <string>

namespace qv {

// The text of a string id in the display language; empty when the id is
// unknown. With a translation installed the text may be a translated one (see
// kTranslatedMark), fit for the screen only.
std::string LoadString(unsigned id);
// The text of a string id as files hold it: the table's own bytes, whatever
// the display language. Every text that goes into a file is taken from here.
std::string LoadFileString(unsigned id);
bool HasString(unsigned id);

// A translated text is the mark followed by the translation in UTF-8. The
// program's texts are otherwise CP1252 bytes; the mark tells the widgets'
// decoder (QStr) to read UTF-8 sequences, so a translated format string may
// still be filled in by FormatC and joined with other texts on its way to the
// screen. The mark is the UTF-8 form of U+FEFF, a character of no width, so a
// text that reaches Qt as UTF-8 (QString::fromStdString) shows right too. No
// file ever holds it.
inline constexpr char kTranslatedMark[] = "\xEF\xBB\xBF";
inline constexpr char16_t kTranslatedMarkChar = u'\uFEFF';

// The display language: a function giving the translated text (already marked)
// of a table entry, or the empty string when it has none. Null (the default)
// shows the table's own texts.
using StringTranslator = std::string (*)(unsigned id, const char* text);
void SetStringTranslator(StringTranslator translator);

}  // namespace qv
