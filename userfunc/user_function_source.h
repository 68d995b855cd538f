// The source file of a user function: nine generated definition lines from
// its record, an empty line, then the user's statements as the editor holds
// them. The definitions are rewritten on every save, so loading drops them
// and the empty line after them, and nothing else.
#pragma once

#include <string>

#include "userfunc/user_function_record.h"

namespace qv {

// A value as a C string literal without the quotes: quote, backslash and
// control characters escaped, so that a definition stays one line and its
// literal reads back as the value; plain text comes out unchanged.
std::string CStringLiteralBody(const std::string& value);

// The nine definition lines and the empty line after them (CR LF ends).
std::string UserFunctionDefinitions(const UserFunctionRecord& record);

// The statements of a function that has no source yet: the identifier
// comment and "OUTd = INd;" for d = 1 to OUTPUTS.
std::string DefaultUserFunctionText(int outputs);

// Saves the definitions and TEXT whole to the record's FileName (a
// temporary file renamed over the old one). On failure the old file stays,
// "The sourcecode could not be saved!..." is shown and the result is false:
// the editor keeps its text and its modified flag.
bool SaveUserFunctionSource(const UserFunctionRecord& record, const std::string& text);

// The editor text of the source at PATH: every line after the generated
// block (the nine definitions and the empty line after them), as it stands,
// each ended by CR LF where the file ended it; the user's own "#define" and
// empty lines stay. The default text for OUTPUTS when the file cannot be read.
std::string LoadUserFunctionSource(const std::string& path, int outputs);

}  // namespace qv
