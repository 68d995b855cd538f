// Small helpers shared by tests that work on files.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files/atomic_file.h"

namespace qv::test {

// A fresh, empty folder for the running test under the build's test folder
// (QV_TEST_TMP), named AREA/Suite.Test.
inline std::string TempDir(const std::string& area) {
  const char* base = std::getenv("QV_TEST_TMP");
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir =
      std::filesystem::path(base ? base : "/tmp") / area / (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// A fresh, empty folder NAME inside the running test's own folder
// AREA/Suite.Test. ctest runs the cases of all test programs at once, so two
// cases that pick the same short name must still not share a folder.
inline std::string ScratchFolder(const std::string& area, const std::string& name) {
  const char* base = std::getenv("QV_TEST_TMP");
  std::filesystem::path dir = std::filesystem::path(base ? base : "/tmp") / area;
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
    dir /= std::string(info->test_suite_name()) + "." + info->name();
  dir /= name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// The whole content of a file (a failed test when it cannot be read).
inline std::string FileBytes(const std::string& path) {
  std::string b;
  EXPECT_TRUE(qv::ReadWholeFile(path, b)) << path;
  return b;
}

// A FIFO NAME in FOLDER with nobody at its other end: an open or read of it
// that blocks never returns. Its path.
inline std::string MakeFifo(const std::string& folder, const std::string& name) {
  const std::string path = (std::filesystem::path(folder) / name).string();
  ::unlink(path.c_str());
  EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
  return path;
}

// Ends the test program when the scope is not left within SECONDS, so that a
// call that blocks fails the test instead of hanging it (SIGALRM's default
// action ends the process, and ctest reports the program failed).
class Watchdog {
 public:
  explicit Watchdog(unsigned seconds = 60) { ::alarm(seconds); }
  ~Watchdog() { ::alarm(0); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
};

}  // namespace qv::test
