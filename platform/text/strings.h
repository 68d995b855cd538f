// The string table: every text shown to the user, keyed by its id. The texts
// are kept byte for byte as the program has always shown them (typos and
// blanks included), because operators and their procedures quote them.
#pragma once

#include <string>

namespace qv {

// The text of a string id; empty when the id is unknown.
std::string LoadString(unsigned id);
bool HasString(unsigned id);

}  // namespace qv
