#include "sondedb/ui/sondedb_commands.h"

#include <QDialog>
#include <memory>

#include "app/core/globals.h"
#include "logview/dialog_runner.h"
#include "platform/text/msgbox.h"
#include "sondedb/sondedb.h"
#include "sondedb/ui/sonde_select.h"
#include "sondedb/ui/sonde_sheet.h"

namespace qv {
namespace {
constexpr unsigned kStrOpenFailed = 32211;
constexpr unsigned kStrNoAccess = 32091;
}  // namespace

void RunSondeDatabaseEditor(QWidget* parent) {
  std::unique_ptr<SondeDatabase> db = OpenSondeDatabase();
  if (!db) {
    ShowMessageId(kStrOpenFailed);
    return;
  }
  {
    auto rs = std::make_unique<SondeRecordset>(db.get());
    CSondeSelect select(rs.get(), parent);
    if (curveview::RunDialog(select) == QDialog::Accepted) {
      if (!BeginDatabaseTransaction(db.get())) {
        ShowMessageId(kStrNoAccess);
      } else {
        CSondeDBSheet sheet;
        sheet.m_pDatabase = db.get();
        sheet.m_pRecordset = rs.get();
        const bool ok = curveview::RunDialog(sheet) == QDialog::Accepted;
        if (!EndDatabaseTransaction(db.get(), ok ? 1 : 0)) ShowMessageId(kStrNoAccess);
      }
    }
  }
  CloseSondeDatabase(db);
}

bool RunSondeSelection(QWidget* parent) {
  std::unique_ptr<SondeDatabase> db = OpenSondeDatabase();
  if (!db) {
    ShowMessageId(kStrOpenFailed);
    return false;
  }
  bool chosen = false;
  {
    auto rs = std::make_unique<SondeRecordset>(db.get());
    CSondeSelect select(rs.get(), parent);
    if (curveview::RunDialog(select) == QDialog::Accepted) {
      try {
        if (rs->IsOpen() && CountRecords(rs.get()) == 1) {
          const std::string abbreviation = GetFieldString(rs.get(), "Abbreviation");
          if (!abbreviation.empty()) {
            g_strCurrentSonde = abbreviation;
            g_strSondeSerialNo = GetFieldString(rs.get(), "SerialNumber");
          }
        }
        chosen = true;
      } catch (const dao::Error&) {
        ShowMessageId(kStrNoAccess);
      }
    }
  }
  CloseSondeDatabase(db);
  return chosen;
}

}  // namespace qv
