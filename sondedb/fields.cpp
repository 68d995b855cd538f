#include "sondedb/fields.h"

#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"

namespace qv {

int FieldInt(SondeRecordset* rs, std::string_view column) {
  return AtoiC(GetFieldString(rs, column).c_str());
}

long FieldLong(SondeRecordset* rs, std::string_view column) {
  return AtolC(GetFieldString(rs, column).c_str());
}

double FieldDouble(SondeRecordset* rs, std::string_view column) {
  return AtofC(GetFieldString(rs, column).c_str());
}

int FieldFlag(SondeRecordset* rs, std::string_view column) { return GetFieldString(rs, column) == "TRUE" ? 1 : 0; }

}  // namespace qv
