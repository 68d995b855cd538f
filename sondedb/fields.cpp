#include "sondedb/fields.h"

#include "sondedb/bridge.h"

namespace qv {

int FieldInt(SondeRecordset* rs, std::string_view column) {
  return sdb::AtoiC(GetFieldString(rs, column).c_str());
}

long FieldLong(SondeRecordset* rs, std::string_view column) {
  return static_cast<long>(sdb::AtofC(GetFieldString(rs, column).c_str()));
}

double FieldDouble(SondeRecordset* rs, std::string_view column) {
  return sdb::AtofC(GetFieldString(rs, column).c_str());
}

int FieldFlag(SondeRecordset* rs, std::string_view column) { return GetFieldString(rs, column) == "TRUE" ? 1 : 0; }

}  // namespace qv
