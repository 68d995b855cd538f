// Column values as numbers and flags, read the way every loader reads them:
// the value's text through the C conversions (an empty or non-numeric text
// is 0) and flags true only for the exact text "TRUE".
#pragma once

#include <string_view>

#include "sondedb/sondedb.h"

namespace qv {

int FieldInt(SondeRecordset* rs, std::string_view column);
long FieldLong(SondeRecordset* rs, std::string_view column);
double FieldDouble(SondeRecordset* rs, std::string_view column);
int FieldFlag(SondeRecordset* rs, std::string_view column);

}  // namespace qv
