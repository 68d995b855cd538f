#include "sources.h"

#include <cstdlib>

#include "app/core/device_services.h"
#include "sondedb/sondedb.h"

namespace {

std::vector<std::string> DatabaseSondeList() {
  std::vector<std::string> items;
  std::unique_ptr<qv::SondeDatabase> db = qv::OpenSondeDatabase();
  if (!db) return items;
  try {
    std::unique_ptr<qv::SondeRecordset> rs = qv::OpenQuery(db.get(), "SELECT * FROM SONDE", true);
    const int n = rs ? qv::CountRecords(rs.get()) : 0;
    for (int i = 0; i < n; ++i) {
      const std::string abbreviation = qv::GetFieldString(rs.get(), "Abbreviation");
      if (!abbreviation.empty())
        items.push_back(abbreviation + " [" + qv::GetFieldString(rs.get(), "SerialNumber") + "] - " +
                        qv::GetFieldString(rs.get(), "Name"));
      rs->MoveNext();
    }
  } catch (const std::exception&) {
    // The list stays as far as it was read, without a box.
  }
  qv::CloseSondeDatabase(db);
  return items;
}

std::vector<qv::SondeCommandRecord> DatabaseSondeCommands(const std::string& sonde, const std::string& serial) {
  std::vector<qv::SondeCommandRecord> commands;
  std::unique_ptr<qv::SondeDatabase> db = qv::OpenSondeDatabase();
  if (!db) return commands;
  try {
    std::unique_ptr<qv::SondeRecordset> rs = qv::OpenQuery(db.get(), qv::SondeQuery(sonde, serial), false);
    if (rs) qv::LoadSondeCommands(commands, rs.get());
  } catch (const std::exception& e) {
    ShowDatabaseError(&e);
  }
  qv::CloseSondeDatabase(db);
  return commands;
}

bool DatabaseAcquisitionSetup(qv::AcquisitionSetup* setup, const std::string& sonde, const std::string& serial) {
  return qv::LoadAcquisitionSetup(setup, sonde, serial) != 0;
}

}  // namespace

ShellSources& Sources() {
  static ShellSources sources{DatabaseSondeList, DatabaseSondeCommands, DatabaseAcquisitionSetup};
  return sources;
}

void UseDatabaseSources() { Sources() = ShellSources{DatabaseSondeList, DatabaseSondeCommands, DatabaseAcquisitionSetup}; }
