#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

std::string TempDir() {
  return qv::test::TempDir("files");
}
std::string Bytes(const std::string& path) {
  return qv::test::FileBytes(path);
}

TEST(Paths, SiblingJoinAndStoredPaths) {
  const struct {
    const char* path;
    const char* ext;
    const char* want;
  } siblings[] = {
      {"/logs/WELL7.LOG", ".hed", "/logs/WELL7.hed"},
      {"/logs/WELL7.LOG", "hed", "/logs/WELL7.hed"},
      {"/logs/run.2/WELL7", ".hed", "/logs/run.2/WELL7.hed"},  // a '.' in a folder never cuts the path
      {"/logs/a.b.LOG", ".CBL", "/logs/a.b.CBL"},              // only the last '.'
      {"WELL7.LGX", ".hdr", "WELL7.hdr"},
      {"D:\\LOGS\\WELL7.LGX", ".lgx", "D:\\LOGS\\WELL7.lgx"},
      {"/logs/WELL7.LOG", "", "/logs/WELL7"},
  };
  for (const auto& c : siblings) EXPECT_EQ(qv::SiblingPath(c.path, c.ext), c.want) << c.path;
  EXPECT_TRUE(qv::HasExtension("/a.b/c.LOG"));
  EXPECT_FALSE(qv::HasExtension("/a.b/c"));
  EXPECT_EQ(qv::FileNamePart("D:\\LOGS\\WELL7.LGX"), "WELL7.LGX");
  EXPECT_EQ(qv::FolderPart("/logs/WELL7.LOG"), "/logs");
  EXPECT_EQ(qv::FolderPart("WELL7.LOG"), "");
  EXPECT_EQ(qv::JoinPath("/prog", "Header"), "/prog/Header");
  EXPECT_EQ(qv::JoinPath("/prog/", "Header"), "/prog/Header");
  EXPECT_EQ(qv::JoinPath("", "Header"), "Header");
  EXPECT_EQ(qv::JoinPath("/prog", "/abs"), "/abs");
  EXPECT_EQ(qv::FromStoredPath("DATA\\run1\\WELL7.LOG"), "DATA/run1/WELL7.LOG");
}

TEST(Paths, ProgramFolderAndCaseBlindLookup) {
  const std::string exeDir = qv::ProgramFolder();
  EXPECT_TRUE(fs::exists(exeDir + "/test_platform_files"));
  qv::SetProgramFolder("/elsewhere/");
  EXPECT_EQ(qv::ProgramFolder(), "/elsewhere");
  qv::SetProgramFolder("");
  EXPECT_EQ(qv::ProgramFolder(), exeDir);

  const std::string dir = TempDir();
  fs::create_directories(dir + "/SondeDB");
  std::ofstream(dir + "/SondeDB/Default.CAL") << "x";
  EXPECT_EQ(qv::FindFileNoCase(dir + "/sondedb/DEFAULT.cal"), dir + "/SondeDB/Default.CAL");
  EXPECT_EQ(qv::FindFileNoCase(dir + "/SondeDB/Default.CAL"), dir + "/SondeDB/Default.CAL");
  EXPECT_EQ(qv::FindFileNoCase(dir + "/sondedb/missing.cal"), dir + "/sondedb/missing.cal");
  std::ofstream(dir + "/SondeDB/default.cal") << "y";  // the exact spelling wins
  EXPECT_EQ(qv::FindFileNoCase(dir + "/SondeDB/default.cal"), dir + "/SondeDB/default.cal");
}

TEST(AtomicFile, ReplacesWholeAndKeepsBackup) {
  const std::string dir = TempDir();
  const std::string file = dir + "/a.hed";
  ASSERT_TRUE(qv::WriteFileAtomically(file, "old"));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  qv::AtomicFile f(file);
  f.KeepBackup(true);
  ASSERT_TRUE(f.Open());
  ASSERT_TRUE(f.Write("new "));
  ASSERT_TRUE(f.Write("content"));
  EXPECT_EQ(Bytes(file), "old");  // nothing visible before the commit
  ASSERT_TRUE(f.Commit());
  EXPECT_EQ(Bytes(file), "new content");
  EXPECT_EQ(Bytes(file + ".bak"), "old");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    qv::AtomicFile dropped(file);
    ASSERT_TRUE(dropped.Open());
    ASSERT_TRUE(dropped.Write("never"));
  }  // destroyed without commit
  EXPECT_EQ(Bytes(file), "new content");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(AtomicFile, FailuresLeaveOldFileByteIdentical) {
  const std::string dir = TempDir();
  const std::string file = dir + "/keep.cal";
  const std::string old("[General]\r\nName=\xe4\r\n\0tail", 22);
  ASSERT_TRUE(qv::WriteFileAtomically(file, old));
  for (const char* step : {"open", "write", "sync", "rename"}) {
    qv::SetFileFaultHook([&](std::string_view s, const std::string&) { return s == step; });
    EXPECT_FALSE(qv::WriteFileAtomically(file, "replacement")) << step;
    qv::SetFileFaultHook(nullptr);
    EXPECT_EQ(Bytes(file), old) << step;
  }
  // A real failure of the kernel: the file size limit stops the write even for root.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit tiny = saved;
  tiny.rlim_cur = 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const bool wrote = qv::WriteFileAtomically(file, "much longer than four bytes");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(Bytes(file), old);
  // The target's folder is a file: nothing can be created there.
  EXPECT_FALSE(qv::WriteFileAtomically(file + "/inner.hed", "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(AtomicFile, SameFileByDeviceAndInode) {
  const std::string dir = TempDir();
  ASSERT_TRUE(qv::WriteFileAtomically(dir + "/a.LOG", "x"));
  ASSERT_TRUE(qv::WriteFileAtomically(dir + "/b.LOG", "x"));
  fs::create_hard_link(dir + "/a.LOG", dir + "/link.LOG");
  EXPECT_TRUE(qv::SameFile(dir + "/a.LOG", dir + "/./a.LOG"));
  EXPECT_TRUE(qv::SameFile(dir + "/a.LOG", dir + "/link.LOG"));
  EXPECT_FALSE(qv::SameFile(dir + "/a.LOG", dir + "/b.LOG"));
  EXPECT_FALSE(qv::SameFile(dir + "/a.LOG", dir + "/missing.LOG"));
}

// A FIFO with nobody writing, a device and a folder are refused without
// blocking, for reading and for appending; a regular file opens in blocking
// mode. Every reader of a file a user picks goes through this.
TEST(RegularFile, OnlyARegularFileOpensAndNothingBlocks) {
  const std::string dir = TempDir();
  qv::test::Watchdog watchdog;
  ASSERT_TRUE(qv::WriteFileAtomically(dir + "/a.LOG", "data"));
  const std::string fifo = qv::test::MakeFifo(dir, "fifo.LOG");
  for (const std::string& path : {fifo, std::string("/dev/null"), dir}) {
    SCOPED_TRACE(path);
    errno = 0;
    EXPECT_EQ(qv::OpenRegularFile(path), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(qv::OpenRegularFileStream(path), nullptr);
    EXPECT_EQ(qv::OpenRegularFileStream(path, "ab"), nullptr);
    std::string bytes = "kept";
    EXPECT_FALSE(qv::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "kept");
  }
  EXPECT_EQ(qv::OpenRegularFile(dir + "/missing.LOG"), -1);
  const int fd = qv::OpenRegularFile(dir + "/a.LOG");
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  ::close(fd);
  std::FILE* f = qv::OpenRegularFileStream(dir + "/a.LOG", "ab");
  ASSERT_NE(f, nullptr);
  std::fputs("+", f);
  std::fclose(f);
  EXPECT_EQ(qv::test::FileBytes(dir + "/a.LOG"), "data+");
}

}  // namespace
