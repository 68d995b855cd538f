// Feeds arbitrary sonde definition files to the import, each into the same
// database and undone afterwards, and checks that an import either stores a
// whole sonde or nothing.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/text/msgbox.h"
#include "sondedb/import/import.h"

namespace {

qv::dao::Database* Db() {
  static qv::dao::Database* db = [] {
    char folder[] = "/tmp/fuzz-sondeimport-XXXXXX";
    if (!mkdtemp(folder)) abort();
    const std::string path = std::string(folder) + "/quorva.db";
    if (!qv::CreateSondeDatabase(path)) abort();
    qv::SetMessageBoxHandler([](const qv::MessageBoxRequest& r) { return qv::DefaultAnswer(r.flags); });
    auto* d = new qv::dao::Database;
    d->Open(path);
    return d;
  }();
  return db;
}

long Rows(qv::dao::Database* db, const char* table) {
  qv::SondeRecordset rs(db);
  rs.Open(std::string("SELECT * FROM ") + table, true);
  return rs.GetRecordCount();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::dao::Database* db = Db();
  qv::ProfileFile file;
  file.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  db->BeginTrans();
  qv::SondeRecordset rs(db);
  const int result = qv::ImportSondeDefinition(&rs, file);
  const long sondes = Rows(db, "SONDE"), tracks = Rows(db, "COLUMNS");
  const long channels = Rows(db, "CHANNEL"), placed = Rows(db, "CHANNELCOLUMN");
  if (result == 1 && (sondes != 1 || tracks < 3 || channels != placed || channels > qv::kMaxSondeChannels))
    __builtin_trap();
  if (result != 1 && (sondes || tracks || channels || placed)) __builtin_trap();
  db->Rollback();
  return 0;
}
