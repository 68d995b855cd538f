#include "logtools/engine/staged_output.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures.h"

using namespace qvtest;

namespace {

int FilesIn(const std::string& dir) {
  int n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file() || e.is_directory() ? 1 : 0;
  return n;
}

}  // namespace

TEST(StagedOutput, CommitReplacesTargetsAndLeavesNoStagingFolder) {
  std::string dir = FreshFolder("stage-commit");
  WriteBytes(dir + "/A.LGX", "old data");
  {
    qv::StagedOutput out;
    std::string a = out.Stage(dir + "/A.LGX");
    std::string b = out.Stage(dir + "/A.hed");
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(std::filesystem::path(a).filename(), "A.LGX");
    WriteBytes(a, "new data");
    WriteBytes(b, "new header");
    ASSERT_TRUE(out.Commit());
  }
  EXPECT_EQ(ReadBytes(dir + "/A.LGX"), "new data");
  EXPECT_EQ(ReadBytes(dir + "/A.hed"), "new header");
  EXPECT_EQ(FilesIn(dir), 2);
}

TEST(StagedOutput, FailedCommitPutsEveryTargetBack) {
  std::string dir = FreshFolder("stage-rollback");
  WriteBytes(dir + "/A.LGX", "old data");
  WriteBytes(dir + "/A.hed", "old header");
  // The header's rename fails after the data file and a new companion went in.
  HookGuard hook([](std::string_view step, const std::string& path) {
    return step == "rename" && path.ends_with("A.hed");
  });
  {
    qv::StagedOutput out;
    WriteBytes(out.Stage(dir + "/A.LGX"), "new data");
    WriteBytes(out.Stage(dir + "/A.CBL"), "new companion");
    WriteBytes(out.Stage(dir + "/A.hed"), "new header");
    EXPECT_FALSE(out.Commit());
  }
  EXPECT_EQ(ReadBytes(dir + "/A.LGX"), "old data");
  EXPECT_EQ(ReadBytes(dir + "/A.hed"), "old header");
  EXPECT_FALSE(std::filesystem::exists(dir + "/A.CBL"));
  EXPECT_EQ(FilesIn(dir), 2);
}

TEST(StagedOutput, UncommittedStageLeavesTargetsAlone) {
  std::string dir = FreshFolder("stage-drop");
  WriteBytes(dir + "/A.LOG", "old");
  {
    qv::StagedOutput out;
    WriteBytes(out.Stage(dir + "/A.LOG"), "new");
    // A staged file that was never written makes the commit fail.
    out.Stage(dir + "/A.hed");
    EXPECT_FALSE(out.Commit());
  }
  EXPECT_EQ(ReadBytes(dir + "/A.LOG"), "old");
  EXPECT_EQ(FilesIn(dir), 1);
}

TEST(OutputFile, AWriteThatFailsPartWayIsReported) {
  std::string dir = FreshFolder("output-file");
  int writes = 0;
  HookGuard hook([&](std::string_view step, const std::string&) { return step == "write" && ++writes == 2; });
  qv::OutputFile f;
  ASSERT_TRUE(f.Open(dir + "/big"));
  std::string chunk(100000, 'x');
  f.Write(chunk.data(), chunk.size());
  f.Write(chunk.data(), chunk.size());
  EXPECT_FALSE(f.ok());
  EXPECT_FALSE(f.Close());
}

TEST(OutputFile, CopyWholeFileCopiesEveryByte) {
  std::string dir = FreshFolder("copy");
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>(i * 7));
  WriteBytes(dir + "/in", bytes);
  ASSERT_TRUE(qv::CopyWholeFile(dir + "/in", dir + "/out"));
  EXPECT_EQ(ReadBytes(dir + "/out"), bytes);
  EXPECT_FALSE(qv::CopyWholeFile(dir + "/missing", dir + "/out2"));
}
