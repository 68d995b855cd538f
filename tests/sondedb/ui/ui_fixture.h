// A program folder per test holding a sonde database made from the shipped
// sonde definition files with the import, the boxes, beeps and file dialogs
// faked, and helpers to read the database back.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "logview/dialog_runner.h"
#include "platform/docview/services.h"
#include "sondedb/import/import.h"
#include "sondedb/ui/sonde_sheet.h"
#include "tests/sondedb/fixture.h"
#include "tests/support/qt_app.h"

namespace uitest {

inline std::string ShippedSondeFolder() {
  return std::string(QV_TEST_SOURCE_DIR) + "/../../../resources/sondes";
}

// The editor on one sonde inside a transaction, as the command opens it.
struct OpenSheet {
  explicit OpenSheet(const std::string& abbreviation) {
    db = qv::OpenSondeDatabase();
    qv::BeginDatabaseTransaction(db.get());
    rs = std::make_unique<qv::SondeRecordset>(db.get());
    rs->Open("SELECT * FROM SONDE WHERE Abbreviation = '" + abbreviation + "'");
    sheet = std::make_unique<CSondeDBSheet>();
    sheet->m_pDatabase = db.get();
    sheet->m_pRecordset = rs.get();
    sheet->EnsureInitialised();
  }
  void End(bool commit) {
    sheet.reset();
    qv::EndDatabaseTransaction(db.get(), commit);
  }
  std::unique_ptr<qv::SondeDatabase> db;
  std::unique_ptr<qv::SondeRecordset> rs;
  std::unique_ptr<CSondeDBSheet> sheet;
};

class EditorTest : public sdbtest::SondeDbTest {
 protected:
  void SetUp() override {
    qvtest::App();
    sdbtest::SondeDbTest::SetUp();
    ImportShipped();
    boxes_.clear();
    answer_ = qv::IDYES;
    beeps_ = 0;
    previousBeep_ = qv::SetBeepHandler([this](unsigned) { ++beeps_; });
    previousFiles_ = qv::SetFileDialogHandler([this](const qv::FileDialogRequest& r) {
      fileRequests_.push_back(r);
      return chosenFile_;
    });
  }
  void TearDown() override {
    curveview::SetDialogRunner(nullptr);
    qv::SetBeepHandler(previousBeep_);
    qv::SetFileDialogHandler(previousFiles_);
    sdbtest::SondeDbTest::TearDown();
  }

  void ImportShipped() {
    std::vector<std::string> files;
    if (DIR* d = opendir(ShippedSondeFolder().c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n.size() > 4 && n.substr(n.size() - 4) == ".son") files.push_back(ShippedSondeFolder() + "/" + n);
      }
      closedir(d);
    }
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 7u);
    auto db = qv::OpenSondeDatabase();
    for (const std::string& f : files) {
      qv::SondeRecordset rs(db.get());
      ASSERT_EQ(qv::ImportSondeFile(&rs, f), 1) << f;
    }
  }

  // Every row of every sonde table, as text, in a stable order.
  std::string Dump() {
    qv::dao::Database db;
    db.Open(DbPath());
    std::string out;
    for (const char* table : {"SONDE", "CHANNEL", "CHANNELCOLUMN", "COLUMNS", "SONDECOMMAND", "COMMANDSOFSONDES"}) {
      qv::SondeRecordset rs(&db);
      rs.Open(std::string("SELECT * FROM ") + table + " ORDER BY rowid", true);
      out += std::string(table) + ":\n";
      const int n = qv::CountRecords(&rs);
      const auto cols = db.TableColumns(table);
      for (int i = 0; i < n; ++i, rs.MoveNext()) {
        for (const auto& c : cols) out += qv::VariantToString(rs.GetFieldValue(c.name)) + "|";
        out += "\n";
      }
    }
    return out;
  }

  std::string SondeKey(const std::string& abbreviation) {
    return Value("SELECT * FROM SONDE WHERE Abbreviation = '" + abbreviation + "'", "Sonde");
  }

  // The boxes shown so far, by string id.
  std::vector<unsigned> BoxIds() const {
    std::vector<unsigned> ids;
    for (const auto& b : boxes_) ids.push_back(b.id);
    return ids;
  }

  int beeps_ = 0;
  std::string chosenFile_;
  std::vector<qv::FileDialogRequest> fileRequests_;
  std::function<void(unsigned)> previousBeep_;
  qv::FileDialogHandler previousFiles_;
};

}  // namespace uitest
