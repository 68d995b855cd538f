// A program folder of its own per test, with a new sonde database in it, and
// the message-box fake recording every box.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/msgbox.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "sondedb/sondedb.h"

namespace sdbtest {

inline std::string MakeTempDir(const char* tag) {
  const char* base = getenv("QV_TEST_TMP");
  std::string root = base && *base ? base : "/tmp";
  mkdir(root.c_str(), 0755);
  std::string tmpl = root + "/" + tag + "-XXXXXX";
  return mkdtemp(tmpl.data());
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class SondeDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempDir("sondedb");
    mkdir((folder_ + "/SondeDB").c_str(), 0755);
    qv::SetProgramFolder(folder_);
    std::string error;
    ASSERT_TRUE(qv::CreateSondeDatabase(DbPath(), &error)) << error;
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes_.push_back(r);
      return answer_ ? answer_ : qv::DefaultAnswer(r.flags);
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(previous_);
    qv::SetProgramFolder("");
  }

  std::string DbPath() const { return folder_ + "/SondeDB/quorva.db"; }
  // Runs SQL straight on the database file.
  void Sql(const std::string& sql) {
    qv::dao::Database db;
    db.Open(DbPath());
    db.Execute(sql);
  }
  // The first column of the first row of a query, as text.
  std::string Value(const std::string& sql, const char* column) {
    auto db = qv::OpenSondeDatabase();
    EXPECT_TRUE(db);
    if (!db) return "<no database>";
    qv::SondeRecordset rs(db.get());
    rs.Open(sql, true);
    if (rs.GetRecordCount() == 0) return "<no row>";
    return qv::VariantToString(rs.GetFieldValue(column));
  }

  std::string folder_;
  std::vector<qv::MessageBoxRequest> boxes_;
  int answer_ = 0;
  qv::MessageBoxHandler previous_;
};

}  // namespace sdbtest
