#include "platform/dao/dao.h"

#include <sqlite3.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qv::dao {

namespace {

constexpr const char* kRowidColumn = "qv$rowid";

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return r;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// What a declared column type stores.
enum class Kind { Any, Text, Int, Real, Bool, Date };

Kind KindOf(std::string_view declType) {
  const std::string t = Upper(declType);
  if (t.empty()) return Kind::Any;
  if (t.find("BOOL") != std::string::npos || t.find("YESNO") != std::string::npos) return Kind::Bool;
  if (t.find("DATE") != std::string::npos || t.find("TIME") != std::string::npos) return Kind::Date;
  if (t.find("INT") != std::string::npos) return Kind::Int;
  if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
      t.find("DOUB") != std::string::npos || t.find("NUMERIC") != std::string::npos)
    return Kind::Real;
  return Kind::Text;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// A whole text as a number (C locale, surrounding blanks allowed).
bool ParseNumber(std::string_view text, double& out) {
  std::string_view t = Trim(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size() && std::isfinite(out);
}

std::string DateText(const Variant::DateParts& d) {
  char buf[40];
  snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
  return buf;
}

bool ValidDate(const Variant::DateParts& d) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  const int days = d.month == 2 && !leap ? 28 : kDays[d.month - 1];
  return d.day <= days && d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 && d.second >= 0 &&
         d.second < 60;
}

// Reads one column of a stepped statement as the declared type says.
Variant ReadColumn(sqlite3_stmt* st, int i, Kind kind) {
  const int storage = sqlite3_column_type(st, i);
  if (storage == SQLITE_NULL) return Variant::MakeNull();
  auto text = [&] {
    const unsigned char* p = sqlite3_column_text(st, i);
    return std::string(p ? reinterpret_cast<const char*>(p) : "", sqlite3_column_bytes(st, i));
  };
  switch (kind) {
    case Kind::Bool:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Variant::MakeBool(sqlite3_column_double(st, i) != 0);
      break;
    case Kind::Date:
      if (storage == SQLITE_TEXT) {
        Variant::DateParts d;
        if (ParseDate(text(), d)) {
          Variant v = Variant::MakeDate(d.year, d.month, d.day, d.hour, d.minute, d.second);
          return v;
        }
      }
      break;
    default:
      break;
  }
  if (kind == Kind::Text) return Variant::MakeText(text());
  if (storage == SQLITE_INTEGER) {
    const int64_t v = sqlite3_column_int64(st, i);
    if (v >= INT32_MIN && v <= INT32_MAX) return Variant::MakeInt(v);
    return Variant::MakeDouble(static_cast<double>(v));
  }
  if (storage == SQLITE_FLOAT) return Variant::MakeDouble(sqlite3_column_double(st, i));
  return Variant::MakeText(text());
}

[[noreturn]] void Conversion(std::string_view column) {
  throw Error(Error::kConversion, "Data type conversion error. (" + std::string(column) + ")");
}

// Binds a value converted to the column's declared kind.
void BindConverted(sqlite3_stmt* st, int idx, const Variant& v, Kind kind, std::string_view column) {
  if (v.type == VarType::Null || v.type == VarType::Empty) {
    sqlite3_bind_null(st, idx);
    return;
  }
  const bool isText = v.type == VarType::Text;
  const bool isInt = v.type == VarType::Int16 || v.type == VarType::Int32 || v.type == VarType::Byte ||
                     v.type == VarType::Bool;
  const bool isReal = v.type == VarType::Single || v.type == VarType::Double;
  switch (kind) {
    case Kind::Int:
    case Kind::Real: {
      double d = 0;
      if (isText) {
        if (Trim(v.s).empty()) {
          sqlite3_bind_null(st, idx);
          return;
        }
        if (!ParseNumber(v.s, d)) Conversion(column);
      } else if (isInt) {
        d = static_cast<double>(v.i);
      } else if (isReal) {
        d = v.d;
      } else {
        Conversion(column);
      }
      if (kind == Kind::Int) {
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18) Conversion(column);
        sqlite3_bind_int64(st, idx, std::llround(d));
      } else {
        if (!std::isfinite(d)) Conversion(column);
        sqlite3_bind_double(st, idx, d);
      }
      return;
    }
    case Kind::Bool: {
      bool b = false;
      if (isText) {
        const std::string t = Upper(Trim(v.s));
        double d = 0;
        if (t.empty()) {
          sqlite3_bind_null(st, idx);
          return;
        }
        if (t == "TRUE" || t == "YES" || t == "ON") b = true;
        else if (t == "FALSE" || t == "NO" || t == "OFF") b = false;
        else if (ParseNumber(t, d)) b = d != 0;
        else Conversion(column);
      } else if (isInt) {
        b = v.i != 0;
      } else if (isReal) {
        b = v.d != 0;
      } else {
        Conversion(column);
      }
      sqlite3_bind_int(st, idx, b ? 1 : 0);
      return;
    }
    case Kind::Date: {
      Variant::DateParts d;
      if (isText) {
        if (Trim(v.s).empty()) {
          sqlite3_bind_null(st, idx);
          return;
        }
        if (!ParseDate(v.s, d)) Conversion(column);
      } else if (v.type == VarType::Date) {
        d = v.date;
      } else {
        Conversion(column);
      }
      const std::string t = DateText(d);
      sqlite3_bind_text(st, idx, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
      return;
    }
    case Kind::Text:
    case Kind::Any: {
      std::string t;
      if (isText) {
        t = v.s;
      } else if (isInt) {
        if (kind == Kind::Any) {
          sqlite3_bind_int64(st, idx, v.i);
          return;
        }
        t = std::to_string(v.i);
      } else if (isReal) {
        if (kind == Kind::Any) {
          sqlite3_bind_double(st, idx, v.d);
          return;
        }
        char buf[40];
        snprintf(buf, sizeof buf, "%.15g", v.d);
        t = buf;
      } else if (v.type == VarType::Date) {
        t = DateText(v.date);
      }
      sqlite3_bind_text(st, idx, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
      return;
    }
  }
}

class Statement {
 public:
  Statement(const Database& db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &st_, nullptr) != SQLITE_OK) db.ThrowLast(sql);
  }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return st_; }
  // True while a row is delivered; throws on errors.
  bool Step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.ThrowLast(sqlite3_sql(st_));
  }

 private:
  const Database& db_;
  sqlite3_stmt* st_ = nullptr;
};

}  // namespace

std::string Quote(std::string_view text) {
  std::string r = "'";
  for (char c : text) {
    if (c == '\0') break;
    if (c == '\'') r += '\'';
    r += c;
  }
  r += '\'';
  return r;
}

std::string QuoteName(std::string_view name) {
  std::string r = "\"";
  for (char c : name) {
    if (c == '\0') break;
    if (c == '"') r += '"';
    r += c;
  }
  r += '"';
  return r;
}

Variant Variant::MakeInt(int64_t v) {
  Variant r = Of(VarType::Int32);
  r.i = v;
  return r;
}
Variant Variant::MakeDouble(double v) {
  Variant r = Of(VarType::Double);
  r.d = v;
  return r;
}
Variant Variant::MakeText(std::string v) {
  Variant r = Of(VarType::Text);
  r.s = std::move(v);
  return r;
}
Variant Variant::MakeBool(bool v) {
  Variant r = Of(VarType::Bool);
  r.i = v ? 1 : 0;
  return r;
}
Variant Variant::MakeDate(int year, int month, int day, int hour, int minute, int second) {
  Variant r = Of(VarType::Date);
  r.date = {year, month, day, hour, minute, second};
  return r;
}

namespace {

// Reads 1 to maxDigits digits; false when there are none.
bool Digits(std::string_view& t, int maxDigits, int& value, int* count = nullptr) {
  int n = 0;
  value = 0;
  while (n < maxDigits && !t.empty() && isdigit(static_cast<unsigned char>(t.front()))) {
    value = value * 10 + (t.front() - '0');
    t.remove_prefix(1);
    ++n;
  }
  if (count) *count = n;
  return n > 0;
}

bool Take(std::string_view& t, std::string_view chars) {
  if (t.empty() || chars.find(t.front()) == std::string_view::npos) return false;
  t.remove_prefix(1);
  return true;
}

// "h:m[:s]" after a separator, or nothing.
bool TimePart(std::string_view t, Variant::DateParts& d) {
  if (t.empty()) return true;
  if (!Take(t, " T")) return false;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (!Digits(t, 2, d.hour) || !Take(t, ":") || !Digits(t, 2, d.minute)) return false;
  if (Take(t, ":") && !Digits(t, 2, d.second)) return false;
  return t.empty();
}

}  // namespace

bool ParseDate(std::string_view text, Variant::DateParts& out) {
  std::string_view t = Trim(text);
  Variant::DateParts d;
  int first = 0, digits = 0;
  if (!Digits(t, 4, first, &digits)) return false;
  if (digits == 4) {  // yyyy-mm-dd
    d.year = first;
    if (!Take(t, "-") || !Digits(t, 2, d.month) || !Take(t, "-") || !Digits(t, 2, d.day)) return false;
  } else {  // m/d/y
    d.month = first;
    if (digits > 2 || !Take(t, "/.-") || !Digits(t, 2, d.day) || !Take(t, "/.-") || !Digits(t, 4, d.year, &digits))
      return false;
    if (digits <= 2) d.year += d.year < 30 ? 2000 : 1900;
  }
  if (!TimePart(t, d) || !ValidDate(d)) return false;
  out = d;
  return true;
}

namespace {

bool Word(std::string_view& t, std::string_view word) {
  while (!t.empty() && isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  if (t.size() < word.size() || !EqualNoCase(t.substr(0, word.size()), word)) return false;
  t.remove_prefix(word.size());
  return true;
}

bool IsNameChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The table of "SELECT * FROM T [WHERE ...|ORDER ...]", or "" for any other
// query (joins, column lists, quoted names).
std::string SingleTable(std::string_view sql) {
  std::string_view t = sql;
  if (!Word(t, "SELECT") || !Word(t, "*") || !Word(t, "FROM")) return {};
  while (!t.empty() && isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  size_t n = 0;
  while (n < t.size() && IsNameChar(t[n])) ++n;
  if (n == 0 || isdigit(static_cast<unsigned char>(t[0]))) return {};
  const std::string table(t.substr(0, n));
  std::string_view rest = t.substr(n);
  if (!rest.empty() && !isspace(static_cast<unsigned char>(rest.front()))) return {};
  rest = Trim(rest);
  if (rest.empty()) return table;
  for (std::string_view kw : {"WHERE", "ORDER"}) {
    std::string_view r = rest;
    if (Word(r, kw) && (r.empty() || !IsNameChar(r.front()))) return table;
  }
  return {};
}

}  // namespace

// ---- Database

Database::~Database() { Close(); }

void Database::ThrowLast(const std::string& context) const {
  const int code = db_ ? sqlite3_errcode(db_) : SQLITE_ERROR;
  std::string msg = db_ ? sqlite3_errmsg(db_) : "database not open";
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    throw Error(Error::kFileInUse, "Could not use '" + path_ + "'; file already in use. (" + msg + ")");
  if (msg.rfind("no such column", 0) == 0) throw Error(Error::kItemNotFound, msg);
  throw Error(Error::kGeneral, context.empty() ? msg : msg + " [" + context + "]");
}

void Database::Open(const std::string& path, bool exclusive, bool readOnly) {
  Close();
  path_ = path;
  if (access(path.c_str(), F_OK) != 0)
    throw Error(Error::kGeneral, "Could not find file '" + path + "'.");
  // The lock lives in a file beside the database: SQLite's own locks on the
  // database file would be dropped if this process closed another descriptor
  // of that file.
  const std::string lockPath = path + ".lock";
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) lockFd_ = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (lockFd_ >= 0 && flock(lockFd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    close(lockFd_);
    lockFd_ = -1;
    throw Error(Error::kFileInUse, "Could not use '" + path + "'; file already in use.");
  }
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    Close();
    throw Error(Error::kGeneral, "Could not open '" + path + "': " + msg);
  }
  readOnly_ = readOnly;
  sqlite3_busy_timeout(db_, 5000);
  sqlite3_extended_result_codes(db_, 0);
  // A file that is not a database fails here rather than at the first query.
  try {
    Statement probe(*this, "SELECT count(*) FROM sqlite_master");
    probe.Step();
  } catch (...) {
    Close();
    throw;
  }
}

void Database::Create(const std::string& path) {
  Close();
  path_ = path;
  if (access(path.c_str(), F_OK) == 0) throw Error(Error::kGeneral, "Database '" + path + "' already exists.");
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    Close();
    throw Error(Error::kGeneral, "Could not create '" + path + "': " + msg);
  }
  readOnly_ = false;
}

void Database::Close() {
  if (db_) {
    if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  inTransaction_ = false;
  if (lockFd_ >= 0) {
    close(lockFd_);
    lockFd_ = -1;
  }
}

void Database::Execute(const std::string& sql) {
  if (!db_) throw Error(Error::kNotOpen, "Database is not open.");
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) ThrowLast(sql);
}

void Database::BeginTrans() {
  Execute("BEGIN");
  inTransaction_ = true;
}

void Database::CommitTrans() {
  Execute("COMMIT");
  inTransaction_ = false;
}

void Database::Rollback() {
  if (!db_) throw Error(Error::kNotOpen, "Database is not open.");
  if (!sqlite3_get_autocommit(db_)) Execute("ROLLBACK");
  inTransaction_ = false;
}

void Database::CheckIntegrity() {
  if (!db_) throw Error(Error::kNotOpen, "Database is not open.");
  Statement st(*this, "PRAGMA integrity_check");
  std::string findings;
  while (st.Step()) {
    const unsigned char* t = sqlite3_column_text(st.get(), 0);
    const std::string line = t ? reinterpret_cast<const char*>(t) : "";
    if (line != "ok") findings += line + "\n";
  }
  if (!findings.empty()) throw Error(Error::kGeneral, "The database '" + path_ + "' is damaged:\n" + findings);
}

void Database::CompactInto(const std::string& target) {
  Execute("VACUUM INTO " + Quote(target));
}

std::vector<Database::ColumnInfo> Database::TableColumns(const std::string& table) {
  std::vector<ColumnInfo> cols;
  Statement st(*this, "PRAGMA table_info(" + QuoteName(table) + ")");
  while (st.Step()) {
    ColumnInfo c;
    const unsigned char* n = sqlite3_column_text(st.get(), 1);
    const unsigned char* t = sqlite3_column_text(st.get(), 2);
    c.name = n ? reinterpret_cast<const char*>(n) : "";
    c.declType = t ? reinterpret_cast<const char*>(t) : "";
    c.isKey = sqlite3_column_int(st.get(), 5) == 1 && Upper(c.declType) == "INTEGER";
    cols.push_back(std::move(c));
  }
  return cols;
}

// ---- Savepoint

Savepoint::Savepoint(Database* db, const std::string& name) : db_(db), name_(QuoteName(name)) {
  db_->Execute("SAVEPOINT " + name_);
}

Savepoint::~Savepoint() {
  if (done_) return;
  try {
    db_->Execute("ROLLBACK TO " + name_);
    db_->Execute("RELEASE " + name_);
  } catch (const Error&) {
  }
}

void Savepoint::Release() {
  db_->Execute("RELEASE " + name_);
  done_ = true;
}

// ---- Recordset

void Recordset::RequireOpen() const {
  if (!open_) throw Error(Error::kNotOpen, "Operation is not allowed when the object is closed.");
}

void Recordset::RequireCurrent() const {
  RequireOpen();
  if (pos_ < 0 || pos_ >= static_cast<long>(rows_.size()) || rows_[pos_].deleted)
    throw Error(Error::kNoCurrentRecord, "No current record.");
}

void Recordset::Open(const std::string& sql, bool readOnly) {
  Close();
  if (!db_ || !db_->IsOpen()) throw Error(Error::kNotOpen, "Database is not open.");
  readOnly_ = readOnly;
  // A plain query on one table is updatable: its rows are fetched with their
  // row ids so that edits and deletes can find them again.
  std::string query = sql;
  table_ = SingleTable(sql);
  if (!table_.empty()) {
    const size_t star = sql.find('*');
    query = sql.substr(0, star) + "rowid AS \"" + kRowidColumn + "\", " + sql.substr(star);
  }
  Statement st(*db_, query);
  const int n = sqlite3_column_count(st.get());
  const int first = table_.empty() ? 0 : 1;
  columns_.clear();
  std::vector<Database::ColumnInfo> info;
  if (!table_.empty()) info = db_->TableColumns(table_);
  for (int i = first; i < n; ++i) {
    Column c;
    c.name = sqlite3_column_name(st.get(), i);
    const char* dt = sqlite3_column_decltype(st.get(), i);
    c.declType = dt ? dt : "";
    for (const auto& ci : info)
      if (EqualNoCase(ci.name, c.name)) c.isKey = ci.isKey;
    columns_.push_back(std::move(c));
  }
  std::vector<Kind> kinds;
  for (const auto& c : columns_) kinds.push_back(KindOf(c.declType));
  rows_.clear();
  while (st.Step()) {
    Row r;
    if (first) r.rowid = sqlite3_column_int64(st.get(), 0);
    for (int i = first; i < n; ++i) r.values.push_back(ReadColumn(st.get(), i, kinds[i - first]));
    rows_.push_back(std::move(r));
  }
  pos_ = 0;
  mode_ = EditMode::None;
  open_ = true;
}

void Recordset::Close() {
  open_ = false;
  rows_.clear();
  columns_.clear();
  buffer_.clear();
  dirty_.clear();
  mode_ = EditMode::None;
  pos_ = 0;
}

long Recordset::GetRecordCount() const {
  RequireOpen();
  long n = 0;
  for (const auto& r : rows_)
    if (!r.deleted) ++n;
  return n;
}

void Recordset::SkipDeleted(int step) {
  while (pos_ >= 0 && pos_ < static_cast<long>(rows_.size()) && rows_[pos_].deleted) pos_ += step;
}

void Recordset::MoveFirst() {
  RequireOpen();
  CancelUpdate();
  pos_ = 0;
  SkipDeleted(1);
  if (pos_ >= static_cast<long>(rows_.size())) throw Error(Error::kNoCurrentRecord, "No current record.");
}

void Recordset::MoveLast() {
  RequireOpen();
  CancelUpdate();
  pos_ = static_cast<long>(rows_.size()) - 1;
  SkipDeleted(-1);
  if (pos_ < 0) {
    pos_ = 0;
    throw Error(Error::kNoCurrentRecord, "No current record.");
  }
}

void Recordset::MoveNext() {
  RequireOpen();
  if (pos_ >= static_cast<long>(rows_.size())) throw Error(Error::kNoCurrentRecord, "No current record.");
  CancelUpdate();
  ++pos_;
  SkipDeleted(1);
}

bool Recordset::IsEOF() const {
  RequireOpen();
  for (long i = std::max(pos_, 0L); i < static_cast<long>(rows_.size()); ++i)
    if (!rows_[i].deleted) return false;
  return true;
}

bool Recordset::IsBOF() const {
  RequireOpen();
  return pos_ < 0 || GetRecordCount() == 0;
}

int Recordset::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (EqualNoCase(columns_[i].name, name)) return static_cast<int>(i);
  return -1;
}

Variant Recordset::GetFieldValue(std::string_view name) const {
  RequireOpen();
  const int i = FieldIndex(name);
  if (i < 0) throw Error(Error::kItemNotFound, "Item not found in this collection. (" + std::string(name) + ")");
  if (mode_ != EditMode::None) return buffer_[i];
  RequireCurrent();
  return rows_[pos_].values[i];
}

void Recordset::SetFieldValue(std::string_view name, const Variant& value) {
  RequireOpen();
  const int i = FieldIndex(name);
  if (i < 0) throw Error(Error::kItemNotFound, "Item not found in this collection. (" + std::string(name) + ")");
  if (mode_ == EditMode::None) throw Error(Error::kGeneral, "Update or CancelUpdate without AddNew or Edit.");
  // Converted now, so a bad value fails at the assignment, as it always has.
  Statement probe(*db_, "SELECT ?");
  BindConverted(probe.get(), 1, value, KindOf(columns_[i].declType), columns_[i].name);
  probe.Step();
  buffer_[i] = ReadColumn(probe.get(), 0, KindOf(columns_[i].declType));
  dirty_[i] = true;
}

void Recordset::Edit() {
  RequireCurrent();
  if (!CanUpdate()) throw Error(Error::kNotUpdatable, "Database or object is read-only.");
  buffer_ = rows_[pos_].values;
  dirty_.assign(columns_.size(), false);
  mode_ = EditMode::Edit;
}

void Recordset::AddNew() {
  RequireOpen();
  if (!CanUpdate()) throw Error(Error::kNotUpdatable, "Database or object is read-only.");
  buffer_.assign(columns_.size(), Variant::MakeNull());
  dirty_.assign(columns_.size(), false);
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!columns_[i].isKey) continue;
    Statement st(*db_, "SELECT COALESCE(MAX(" + QuoteName(columns_[i].name) + "), 0) + 1 FROM " + QuoteName(table_));
    st.Step();
    buffer_[i] = Variant::MakeInt(sqlite3_column_int64(st.get(), 0));
    dirty_[i] = true;
  }
  mode_ = EditMode::Add;
}

void Recordset::CancelUpdate() {
  mode_ = EditMode::None;
  buffer_.clear();
  dirty_.clear();
}

void Recordset::Update() {
  RequireOpen();
  if (mode_ == EditMode::None) throw Error(Error::kGeneral, "Update or CancelUpdate without AddNew or Edit.");
  std::vector<size_t> cols;
  for (size_t i = 0; i < columns_.size(); ++i)
    if (dirty_[i]) cols.push_back(i);
  int64_t rowid = 0;
  if (mode_ == EditMode::Edit) {
    rowid = rows_[pos_].rowid;
    if (!cols.empty()) {
      std::string sql = "UPDATE " + QuoteName(table_) + " SET ";
      for (size_t k = 0; k < cols.size(); ++k) sql += (k ? ", " : "") + QuoteName(columns_[cols[k]].name) + " = ?";
      sql += " WHERE rowid = ?";
      Statement st(*db_, sql);
      for (size_t k = 0; k < cols.size(); ++k)
        BindConverted(st.get(), static_cast<int>(k + 1), buffer_[cols[k]], KindOf(columns_[cols[k]].declType),
                      columns_[cols[k]].name);
      sqlite3_bind_int64(st.get(), static_cast<int>(cols.size() + 1), rowid);
      st.Step();
    }
  } else {
    std::string sql = "INSERT INTO " + QuoteName(table_);
    if (cols.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, marks;
      for (size_t k = 0; k < cols.size(); ++k) {
        names += (k ? ", " : "") + QuoteName(columns_[cols[k]].name);
        marks += k ? ", ?" : "?";
      }
      sql += " (" + names + ") VALUES (" + marks + ")";
    }
    Statement st(*db_, sql);
    for (size_t k = 0; k < cols.size(); ++k)
      BindConverted(st.get(), static_cast<int>(k + 1), buffer_[cols[k]], KindOf(columns_[cols[k]].declType),
                    columns_[cols[k]].name);
    st.Step();
    rowid = sqlite3_last_insert_rowid(db_->Handle());
  }
  // Read the stored row back, with the defaults the table filled in.
  Statement back(*db_, "SELECT * FROM " + QuoteName(table_) + " WHERE rowid = ?");
  sqlite3_bind_int64(back.get(), 1, rowid);
  Row r;
  r.rowid = rowid;
  if (back.Step()) {
    const int n = sqlite3_column_count(back.get());
    r.values.assign(columns_.size(), Variant::MakeNull());
    for (int i = 0; i < n; ++i) {
      const int idx = FieldIndex(sqlite3_column_name(back.get(), i));
      if (idx >= 0) r.values[idx] = ReadColumn(back.get(), i, KindOf(columns_[idx].declType));
    }
  }
  if (mode_ == EditMode::Edit) {
    rows_[pos_] = std::move(r);
  } else {
    // An appended row joins the end of the set; the current row stays.
    rows_.push_back(std::move(r));
  }
  CancelUpdate();
}

void Recordset::Delete() {
  RequireCurrent();
  if (!CanUpdate()) throw Error(Error::kNotUpdatable, "Database or object is read-only.");
  CancelUpdate();
  Statement st(*db_, "DELETE FROM " + QuoteName(table_) + " WHERE rowid = ?");
  sqlite3_bind_int64(st.get(), 1, rows_[pos_].rowid);
  st.Step();
  rows_[pos_].deleted = true;
}

}  // namespace qv::dao
