// A small recordset layer over SQLite, shaped like the desktop-database
// access the sonde database code was written against: a database handle, and
// recordsets opened on an SQL text that are walked by count, read field by
// field by name, edited, appended to and deleted from.
//
// Habits of that engine the callers rely on, kept here:
// - text compares without regard to case (text columns are COLLATE NOCASE,
//   names of tables and columns are case-insensitive anyway);
// - text written into a number, yes/no or date column is converted to the
//   column's type (an unconvertible text is an error, an empty one is null);
// - a column that does not exist is an error the caller can catch
//   (Error::kItemNotFound), and so is reading a field without a current row;
// - an appended row has its key (an INTEGER PRIMARY KEY column) readable as
//   soon as AddNew() returns, before Update() stores it.
//
// Every literal that goes into an SQL text goes through Quote() (names
// through QuoteName()), so a name with an apostrophe works and an imported
// text cannot change the statement.
//
// Errors are thrown as qv::dao::Error; nothing here shows a box.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace qv::dao {

class Error : public std::runtime_error {
 public:
  // Codes for the conditions callers test for; anything else is kGeneral.
  enum Code : int {
    kGeneral = 0,
    kNoCurrentRecord = 3021,
    kConversion = 3421,
    kFileInUse = 3045,
    kNotUpdatable = 3027,
    kItemNotFound = 3265,
    kNotOpen = 3420,
  };
  Error(Code code, const std::string& what) : std::runtime_error(what), code_(code) {}
  Code code() const { return code_; }

 private:
  Code code_;
};

// A single-quoted SQL literal: apostrophes doubled; the text ends at the first
// NUL byte, as it would have in a C string.
std::string Quote(std::string_view text);
// A double-quoted SQL name (table or column).
std::string QuoteName(std::string_view name);

// The kind of a value as the database reports it.
enum class VarType { Empty, Null, Int16, Int32, Byte, Single, Double, Date, Text, Bool };

// One column value. Dates are held as their parts.
struct Variant {
  VarType type = VarType::Empty;
  int64_t i = 0;  // Int16, Int32, Byte, Bool (0 or 1)
  double d = 0;   // Single, Double
  std::string s;  // Text
  struct DateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  } date;

  static Variant MakeNull() { return Of(VarType::Null); }
  static Variant Of(VarType t) {
    Variant v;
    v.type = t;
    return v;
  }
  static Variant MakeInt(int64_t v);
  static Variant MakeDouble(double v);
  static Variant MakeText(std::string v);
  static Variant MakeBool(bool v);
  static Variant MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
};

// Parses a date as the engine accepts it written as text: "m/d/y" (also with
// '.' or '-'), optionally followed by "h:m[:s]", or ISO "yyyy-mm-dd[ hh:mm[:ss]]".
// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999. False when the
// text is not a valid date.
bool ParseDate(std::string_view text, Variant::DateParts& out);

class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens an existing database file. Exclusive fails while anyone else has
  // the file open through this layer (in this or another process); shared
  // fails while someone has it open exclusively.
  void Open(const std::string& path, bool exclusive = false, bool readOnly = false);
  // Creates a new, empty database file (fails when the file exists).
  void Create(const std::string& path);
  bool IsOpen() const { return db_ != nullptr; }
  bool CanUpdate() const { return db_ != nullptr && !readOnly_; }
  bool CanTransact() const { return db_ != nullptr; }
  void Close();
  const std::string& Path() const { return path_; }

  void Execute(const std::string& sql);
  void BeginTrans();
  void CommitTrans();
  void Rollback();
  bool InTransaction() const { return inTransaction_; }

  // Checks the file's integrity; throws with the engine's findings when it is
  // damaged.
  void CheckIntegrity();
  // Writes a compacted copy of the whole database to target (which must not
  // exist).
  void CompactInto(const std::string& target);

  // The column names and declared types of a table (empty when no such table).
  struct ColumnInfo {
    std::string name;
    std::string declType;
    bool isKey = false;
  };
  std::vector<ColumnInfo> TableColumns(const std::string& table);

  sqlite3* Handle() const { return db_; }
  [[noreturn]] void ThrowLast(const std::string& context) const;

 private:
  sqlite3* db_ = nullptr;
  int lockFd_ = -1;
  bool readOnly_ = false;
  bool inTransaction_ = false;
  std::string path_;
};

// A group of changes that stands or falls together: a savepoint, so that it
// also nests inside a transaction the caller already holds. Release() keeps
// the changes; destruction without it rolls them back.
class Savepoint {
 public:
  Savepoint(Database* db, const std::string& name);
  ~Savepoint();
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Release();

 private:
  Database* db_;
  std::string name_;
  bool done_ = false;
};

class Recordset {
 public:
  explicit Recordset(Database* db) : db_(db) {}
  ~Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Runs the query and keeps its rows. A query on one table ("SELECT * FROM
  // T ...") can be edited, appended to and deleted from unless readOnly.
  void Open(const std::string& sql, bool readOnly = false);
  bool IsOpen() const { return open_; }
  void Close();
  Database* GetDatabase() const { return db_; }
  bool CanUpdate() const { return open_ && !readOnly_ && !table_.empty() && db_ && db_->CanUpdate(); }

  long GetRecordCount() const;
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  bool IsEOF() const;
  bool IsBOF() const;

  bool HasField(std::string_view name) const { return FieldIndex(name) >= 0; }
  // The current row's value (the edit buffer's while editing or appending).
  Variant GetFieldValue(std::string_view name) const;
  // Sets a column of the edit buffer, converting to the column's type.
  void SetFieldValue(std::string_view name, const Variant& value);

  void Edit();
  void AddNew();
  void Update();
  void CancelUpdate();
  void Delete();

 private:
  enum class EditMode { None, Edit, Add };
  struct Column {
    std::string name;
    std::string declType;
    bool isKey = false;
    bool inTable = true;  // false for columns of another table in a join
  };
  struct Row {
    int64_t rowid = 0;
    bool deleted = false;
    std::vector<Variant> values;
  };

  int FieldIndex(std::string_view name) const;
  void RequireOpen() const;
  void RequireCurrent() const;
  void SkipDeleted(int step);

  Database* db_;
  bool open_ = false;
  bool readOnly_ = false;
  std::string table_;  // the one table of an updatable query
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  long pos_ = 0;  // index into rows_; rows_.size() is end of set, -1 before the first row
  EditMode mode_ = EditMode::None;
  std::vector<Variant> buffer_;
  std::vector<bool> dirty_;
};

}  // namespace qv::dao
