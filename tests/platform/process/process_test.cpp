#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/process/process.h"

namespace fs = std::filesystem;

static fs::path TempDir(const char* name) {
  fs::path d = fs::temp_directory_path() / ("qv_process_" + std::string(name) + std::to_string(getpid()));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

TEST(ChildProcess, ExitCodesOutputAndTimeouts) {
  const fs::path dir = TempDir("child");
  struct Case {
    const char* script;
    unsigned waitMs;
    std::optional<int> expected;
  } cases[] = {
      {"exit 0", 5000, 0},
      {"exit 7", 5000, 7},
      {"kill -9 $$", 5000, 128 + 9},
      {"sleep 5", 100, std::nullopt},
  };
  for (const auto& c : cases) {
    qv::ChildProcess p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", c.script}, dir.string()));
    EXPECT_EQ(p.Wait(c.waitMs), c.expected) << c.script;
  }
  qv::ChildProcess out;
  ASSERT_TRUE(out.Start("/bin/sh", {"-c", "pwd; echo err >&2"}, dir.string(), (dir / "out.txt").string()));
  ASSERT_EQ(out.Wait(5000), 0);
  std::ifstream f(dir / "out.txt");
  std::string l1, l2;
  std::getline(f, l1);
  std::getline(f, l2);
  EXPECT_EQ(fs::path(l1), dir);
  EXPECT_EQ(l2, "err");

  qv::ChildProcess bad;
  EXPECT_FALSE(bad.Start("/nonexistent/program"));
}

TEST(StartDetached, RunsWithoutWaitingAndRefusesMissingPrograms) {
  const fs::path dir = TempDir("detached");
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(qv::StartDetached("/bin/sh", {"-c", "sleep 0.2; touch done"}, dir.string()));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(150));
  for (int i = 0; i < 200 && !fs::exists(dir / "done"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(fs::exists(dir / "done"));
  EXPECT_FALSE(qv::StartDetached("/nonexistent/program"));
}
