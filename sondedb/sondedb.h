// Access to the sonde database: where the file is, opening and closing it,
// values as text, transactions, compacting, record counts, and the one way
// database failures are shown. Every operation opens the file for itself
// and closes it again; nothing is kept between calls.
//
// Values travel as text: a column value becomes text through
// VariantToString (integers "%d", reals "%f", dates "%m/%d/%y", yes/no
// "TRUE"/"FALSE", null ""), and text written back is converted by the
// database to the column's type.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dao/dao.h"

namespace qv {

using SondeDatabase = dao::Database;
using SondeRecordset = dao::Recordset;

// Database failures are shown with ShowDatabaseError and system failures
// with ShowLastError (app/core/device_services.h).

// The program's own profile file (the equipment settings kept outside the
// database live there); the application sets it at start-up.
std::string ProgramProfileFile();
void SetProgramProfilePath(std::string path);

// The database file under the program folder, or "" when it does not exist.
void GetSondeDatabasePath(std::string& out);
// Opens the database shared and read-write; null when it is missing or
// cannot be opened (nothing is shown).
std::unique_ptr<SondeDatabase> OpenSondeDatabase();
// Closes and frees; null does nothing.
void CloseSondeDatabase(std::unique_ptr<SondeDatabase>& db);
// 1 after starting a transaction; 0 when db is null, closed or read-only.
int BeginDatabaseTransaction(SondeDatabase* db);
// Commits (commit != 0) or rolls back; 0 when db is null.
int EndDatabaseTransaction(SondeDatabase* db, int commit);
// Checks the database and writes a compacted copy "compact.db" beside it,
// which then takes the live file's place (the previous file stays as
// "compact.db"). Asks before replacing an existing copy. 1 unless the
// database could not be opened alone or checked.
int CompactSondeDatabase();

// The number of rows of an open recordset; afterwards the first row is
// current.
int CountRecords(SondeRecordset* rs);
std::string VariantToString(const dao::Variant& v);
// The current row's column as text; "" (after the error box) on failure.
std::string GetFieldString(SondeRecordset* rs, std::string_view column);
// Sets a column of the row being edited or appended. 0 when rs is null or
// closed; a null text sets nothing and gives 1. Database errors are thrown
// (dao::Error) for the caller's handler, like every other step of a walk.
int SetFieldString(SondeRecordset* rs, std::string_view column, const char* text);
int SetFieldDouble(SondeRecordset* rs, std::string_view column, double value);

// "SELECT * FROM SONDE WHERE ABBREVIATION='..'" with " AND SERIALNUMBER='..'"
// when a serial number is given; both literals quoted.
std::string SondeQuery(const std::string& abbreviation, const std::string& serial);
// A recordset opened on a query (the pattern every lookup follows).
std::unique_ptr<SondeRecordset> OpenQuery(SondeDatabase* db, const std::string& sql, bool readOnly = false);

// Creates a new database file with every table and the installation's
// equipment rows. False (nothing shown) when the file exists or cannot be
// made.
bool CreateSondeDatabase(const std::string& path, std::string* error = nullptr);

}  // namespace qv
