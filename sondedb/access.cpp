#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>

#include "app/core/device_services.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "sondedb/sondedb.h"

namespace qv {

namespace {
bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

std::string SondeDbFolder() { return JoinPath(ProgramFolder(), "SondeDB"); }

// Exchanges two files' names; the compacted copy becomes the live file and
// the previous live file is kept as the copy.
bool SwapFiles(const std::string& a, const std::string& b) {
  if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return true;
  const std::string tmp = a + ".swap";
  if (rename(a.c_str(), tmp.c_str()) != 0) return false;
  if (rename(b.c_str(), a.c_str()) != 0) {
    rename(tmp.c_str(), a.c_str());
    return false;
  }
  return rename(tmp.c_str(), b.c_str()) == 0;
}
}  // namespace

void GetSondeDatabasePath(std::string& out) {
  const std::string path = FindFileNoCase(JoinPath(SondeDbFolder(), "quorva.db"));
  out = Exists(path) ? path : std::string();
}

std::unique_ptr<SondeDatabase> OpenSondeDatabase() {
  std::string path;
  GetSondeDatabasePath(path);
  if (path.empty()) return nullptr;
  auto db = std::make_unique<SondeDatabase>();
  try {
    db->Open(path);
  } catch (const dao::Error&) {
    return nullptr;
  }
  return db->IsOpen() ? std::move(db) : nullptr;
}

void CloseSondeDatabase(std::unique_ptr<SondeDatabase>& db) {
  if (!db) return;
  db->Close();
  db.reset();
}

int BeginDatabaseTransaction(SondeDatabase* db) {
  if (!db || !db->IsOpen() || !db->CanUpdate() || !db->CanTransact()) return 0;
  try {
    db->BeginTrans();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int EndDatabaseTransaction(SondeDatabase* db, int commit) {
  if (!db || !db->IsOpen()) return 0;
  try {
    if (commit) db->CommitTrans();
    else db->Rollback();
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    if (commit) {
      try {
        db->Rollback();
      } catch (const dao::Error&) {
      }
    }
    return 0;
  }
  return 1;
}

int CompactSondeDatabase() {
  const std::string copy = JoinPath(SondeDbFolder(), "compact.db");
  std::string path;
  GetSondeDatabasePath(path);
  SondeDatabase db;
  try {
    if (path.empty()) throw dao::Error(dao::Error::kGeneral, "Could not find the sonde database.");
    // Alone on the file for the whole operation: this fails while anyone
    // else has it open.
    db.Open(path, true);
    db.CheckIntegrity();
    if (Exists(copy)) {
      if (ShowMessageBox(LoadString(32069), "", MB_OKCANCEL) != IDOK) return 1;
      if (unlink(copy.c_str()) != 0) {
        ShowLastError(errno);
        return 0;
      }
    }
    db.CompactInto(copy);
    if (!SwapFiles(path, copy)) {
      ShowLastError(errno);
      return 0;
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int CountRecords(SondeRecordset* rs) {
  if (!rs) {
    ShowMessageBox(LoadString(32119), "", MB_OK);
    return 0;
  }
  try {
    int n = static_cast<int>(rs->GetRecordCount());
    if (n > 0) {
      rs->MoveLast();
      rs->MoveFirst();
      n = static_cast<int>(rs->GetRecordCount());
    }
    return n;
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
}

std::string VariantToString(const dao::Variant& v) {
  using dao::VarType;
  switch (v.type) {
    case VarType::Null:
      return {};
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Byte:
      return FormatC("%d", static_cast<int>(v.i));
    case VarType::Single:
    case VarType::Double:
      return FormatC("%f", v.d);
    case VarType::Date: {
      const std::string fmt = LoadFileString(32419);
      if (fmt.empty()) return {};
      std::tm tm{};
      tm.tm_year = v.date.year - 1900;
      tm.tm_mon = v.date.month - 1;
      tm.tm_mday = v.date.day;
      tm.tm_hour = v.date.hour;
      tm.tm_min = v.date.minute;
      tm.tm_sec = v.date.second;
      char buf[128];
      const size_t n = strftime(buf, sizeof buf, fmt.c_str(), &tm);
      return std::string(buf, n);
    }
    case VarType::Text:
      return v.s;
    case VarType::Bool:
      return v.i ? "TRUE" : "FALSE";
    case VarType::Empty:
      break;
  }
  ShowMessageBox(LoadString(32338), "", MB_OK | MB_ICONEXCLAMATION);
  return {};
}

std::string GetFieldString(SondeRecordset* rs, std::string_view column) {
  if (!rs) return {};
  try {
    return VariantToString(rs->GetFieldValue(column));
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return {};
  }
}

int SetFieldString(SondeRecordset* rs, std::string_view column, const char* text) {
  if (!rs || !rs->IsOpen()) return 0;
  if (!text) return 1;
  rs->SetFieldValue(column, dao::Variant::MakeText(text));
  return 1;
}

int SetFieldDouble(SondeRecordset* rs, std::string_view column, double value) {
  if (!rs || !rs->IsOpen()) return 0;
  rs->SetFieldValue(column, dao::Variant::MakeDouble(value));
  return 1;
}

std::string SondeQuery(const std::string& abbreviation, const std::string& serial) {
  std::string sql = "SELECT * FROM SONDE WHERE ABBREVIATION=" + dao::Quote(abbreviation);
  if (!serial.empty()) sql += " AND SERIALNUMBER=" + dao::Quote(serial);
  return sql;
}

std::unique_ptr<SondeRecordset> OpenQuery(SondeDatabase* db, const std::string& sql, bool readOnly) {
  auto rs = std::make_unique<SondeRecordset>(db);
  rs->Open(sql, readOnly);
  return rs;
}

}  // namespace qv
