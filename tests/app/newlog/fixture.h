// A program folder of its own per test with a copy of the shipped sonde
// database, and fakes for the boxes, beeps and file dialogs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/globals.h"
#include "platform/dao/dao.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "tests/support/test_files.h"

namespace newlogtest {

inline void Write(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = qv::test::TempDir("newlog");
    for (const char* sub : {"SondeDB", "DATA", "Calibration", "Userfunction"})
      std::filesystem::create_directories(folder_ + "/" + sub);
    std::filesystem::copy_file(std::string(QV_PROGRAM_DIR) + "/SondeDB/quorva.db", folder_ + "/SondeDB/quorva.db");
    qv::SetProgramFolder(folder_);
    g_strProgramFolder = folder_;
    savedSonde_ = g_strCurrentSonde;
    savedSerial_ = g_strSondeSerialNo;
    savedUnits_ = g_nDepthUnits;
    g_strSondeSerialNo = "";
    g_nDepthUnits = 0;
    previousBox_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes_.push_back(r);
      return answer_ ? answer_ : qv::DefaultAnswer(r.flags);
    });
    previousBeep_ = qv::SetBeepHandler([this](unsigned) { ++beeps_; });
    previousDialog_ = qv::SetFileDialogHandler([this](const qv::FileDialogRequest& r) {
      dialogs_.push_back(r);
      return dialogAnswer_;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(previousBox_);
    qv::SetBeepHandler(previousBeep_);
    qv::SetFileDialogHandler(previousDialog_);
    g_strCurrentSonde = savedSonde_;
    g_strSondeSerialNo = savedSerial_;
    g_nDepthUnits = savedUnits_;
    qv::SetProgramFolder("");
  }

  // Runs SQL straight on the test's database.
  void Sql(const std::string& sql) {
    qv::dao::Database db;
    db.Open(folder_ + "/SondeDB/quorva.db");
    db.Execute(sql);
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& b : boxes_) texts.push_back(b.text);
    return texts;
  }

  std::string folder_;
  std::vector<qv::MessageBoxRequest> boxes_;
  int answer_ = 0;
  int beeps_ = 0;
  std::vector<qv::FileDialogRequest> dialogs_;
  std::string dialogAnswer_;

 private:
  std::string savedSonde_, savedSerial_;
  int savedUnits_ = 0;
  qv::MessageBoxHandler previousBox_;
  std::function<void(unsigned)> previousBeep_;
  qv::FileDialogHandler previousDialog_;
};

}  // namespace newlogtest
