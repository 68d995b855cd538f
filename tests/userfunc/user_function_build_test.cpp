// Building a user function with the system's C compiler, end to end: the
// exports of the library, what it computes, the failures and what survives
// them. Skipped when the machine has no C compiler.
#include "userfunc/user_function_build.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/text/msgbox.h"
#include "tests/support/test_files.h"
#include "userfunc/user_function_library.h"
#include "userfunc/user_function_source.h"

namespace fs = std::filesystem;

namespace {

std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  return out;
}

// Processes of the process group that are not just waiting to be reaped (a
// killed grandchild stays a zombie until its new parent collects it).
int LiveProcessesIn(pid_t group) {
  int live = 0;
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::ifstream stat(e.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0, pgrp = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld %ld", &state, &ppid, &pgrp) == 3 && pgrp == group &&
        state != 'Z')
      ++live;
  }
  return live;
}

class UserFunctionBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qv::FindUserFunctionCompiler().empty()) GTEST_SKIP() << "no C compiler (gcc) found on the PATH";
    dir = qv::test::TempDir("userfunc_build");
    record.UFID = 1;
    record.Outputs = 12;
    record.Abbrev = "KSTQ";
    record.SymName = "KSTQ UserFunction";
    record.FileName = dir + "/KSTQ0.Src";
    options.fragments = std::string(QV_PROGRAM_DIR) + "/Userfunction/bin";
    options.checker = std::string(QV_PROGRAM_DIR) + "/quorva-ufcheck";
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      shown.push_back(r.id);
      texts.push_back(r.text);
      return qv::IDOK;
    });
  }
  void TearDown() override { qv::SetMessageBoxHandler(previous_); }
  bool Build(const std::string& text) {
    shown.clear();
    texts.clear();
    return qv::BuildUserFunction(record, text, options);
  }
  std::string Library() const { return dir + "/KSTQ0.so"; }
  // Only the function's files: no build folder is left behind.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir;
  UserFunctionRecord record;
  qv::UserFunctionBuildOptions options;
  std::vector<unsigned> shown;
  std::vector<std::string> texts;
  qv::MessageBoxHandler previous_;
};

TEST_F(UserFunctionBuildTest, TheDefaultFunctionCopiesInputsToOutputs) {
  const fs::path cwd = fs::current_path();
  ASSERT_TRUE(Build(qv::DefaultUserFunctionText(12)));
  EXPECT_EQ(shown, std::vector<unsigned>{32341});
  EXPECT_EQ(fs::current_path(), cwd);
  EXPECT_EQ(Files(), (std::vector<std::string>{"KSTQ0.Src", "KSTQ0.so"}));
  EXPECT_EQ(CommandOutput("nm -D --defined-only '" + Library() + "' | awk '{print $NF}' | sort"),
            "Init\nInitWaveforms\nUserFunction\n");

  UserFunctionLibrary lib;
  ASSERT_TRUE(lib.Load(Library(), UserFunctionCaller::kLasExport));
  double in[kUserFunctionInputs], out[kUserFunctionOutputs];
  for (int i = 0; i < kUserFunctionInputs; ++i) in[i] = 10.5 + i;
  for (double& o : out) o = -7;
  lib.init();
  lib.userFunction(in, out);
  for (int k = 0; k < 12; ++k) EXPECT_EQ(out[k], in[k]) << "OUT" << k + 1;
  for (int k = 12; k < 16; ++k) EXPECT_EQ(out[k], -7) << "out[" << k << "] is not the library's";
}

TEST_F(UserFunctionBuildTest, StateStartsAfreshOnInitAndNamesReachTheInputs) {
  // Quotes, backslashes and a line break in the generated values still build.
  record.Comment = "say \"hi\" to C:\\logs\r\nnext line";
  record.SondeSN = "S/N \"7\"";
  const std::string text =
      "TMP1 = TMP1 + 1;\r\nBUFFERA[3] += IN2;\r\nOUT1 = TMP1;\r\nOUT2 = BUFFERA[3];\r\n"
      "OUT3 = TIME;\r\nOUT4 = DEPTH;\r\nOUT5 = WAVEPOINTS;\r\nOUT6 = sqrt(IN1);\r\n";
  ASSERT_TRUE(Build(text));
  EXPECT_EQ(qv::LoadUserFunctionSource(record.FileName, 12), text);
  UserFunctionLibrary lib;
  ASSERT_TRUE(lib.Load(Library(), UserFunctionCaller::kSonicDocument));
  double in[kUserFunctionInputs] = {16, 2}, out[kUserFunctionOutputs] = {};
  in[kUserInputTime] = 1234;
  in[kUserInputDepth] = 10250;
  lib.init();
  lib.initWaveforms(nullptr, nullptr, nullptr, nullptr, 512);
  lib.userFunction(in, out);
  lib.userFunction(in, out);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[1], 4);
  EXPECT_EQ(out[2], 1234);
  EXPECT_EQ(out[3], 10250);
  EXPECT_EQ(out[4], 512);
  EXPECT_EQ(out[5], 4);
  lib.init();  // a rewind
  lib.userFunction(in, out);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 2);
}

TEST_F(UserFunctionBuildTest, ASyntaxErrorKeepsThePreviousLibrary) {
  ASSERT_TRUE(Build("OUT1 = IN1;\r\n"));
  const std::string before = qv::test::FileBytes(Library());
  EXPECT_FALSE(Build("OUT1 = ;\r\n"));
  EXPECT_EQ(shown, std::vector<unsigned>{32193});
  EXPECT_EQ(qv::test::FileBytes(Library()), before);
  EXPECT_EQ(qv::LoadUserFunctionSource(record.FileName, 12), "OUT1 = ;\r\n");  // the source was saved
  EXPECT_EQ(Files(), (std::vector<std::string>{"KSTQ0.Src", "KSTQ0.so"}));
}

// A function that compiles but would crash, hang or end the program on some
// inputs is not installed, and the user is told what it did.
TEST_F(UserFunctionBuildTest, ALibraryThatFailsItsCheckIsNotInstalled) {
  ASSERT_TRUE(Build("OUT1 = IN1;\r\n"));
  const std::string before = qv::test::FileBytes(Library());
  options.checkCallLimitMs = 3000;  // a sanitizer build on a loaded machine starts its checker slowly
  const std::string error = "Compiler error!\n";
  struct Case {
    const char* statements;
    std::string said;
  } cases[] = {
      {"if (IN1 > 0.5) *(volatile double *)0 = 1;\r\n", "The library crashed in UserFunction() with every input 1."},
      {"while (IN1 < 0) {}\r\n", "The library did not return from UserFunction() with every input -1 within 3 s."},
      {"{ extern void exit(int); if (IN2 != IN2) exit(0); }\r\n",
       "The library ended the program itself (exit) in UserFunction() with every input nan."},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Build(c.statements)) << c.statements;
    EXPECT_EQ(shown, std::vector<unsigned>{32187}) << c.statements;
    EXPECT_EQ(texts, std::vector<std::string>{error + c.said}) << c.statements;
    EXPECT_EQ(qv::test::FileBytes(Library()), before) << c.statements;
    EXPECT_EQ(Files(), (std::vector<std::string>{"KSTQ0.Src", "KSTQ0.so"})) << c.statements;
  }
}

TEST_F(UserFunctionBuildTest, ALibraryALogHoldsIsNotReplaced) {
  ASSERT_TRUE(Build("OUT1 = IN1;\r\n"));
  const std::string before = qv::test::FileBytes(Library());
  UserFunctionLibrary log;
  ASSERT_TRUE(log.Load(Library(), UserFunctionCaller::kChannelDocument));
  EXPECT_FALSE(Build("OUT1 = 2 * IN1;\r\n"));
  EXPECT_EQ(shown, std::vector<unsigned>{32182});
  EXPECT_EQ(qv::test::FileBytes(Library()), before);
  log.Unload();
  EXPECT_TRUE(Build("OUT1 = 2 * IN1;\r\n"));
}

TEST_F(UserFunctionBuildTest, ACompilerThatHangsIsEndedWithEverythingItStarted) {
  const std::string pidFile = dir + "/../hang.pid";
  const std::string fake = dir + "/../fakecc";
  {
    std::ofstream f(fake);
    f << "#!/bin/sh\necho $$ > '" << pidFile << "'\nsleep 60 &\nsleep 60\n";
  }
  ::chmod(fake.c_str(), 0755);
  options.compiler = fake;
  options.timeoutMs = 3000;  // room for the shell to start on a loaded machine
  EXPECT_FALSE(Build("OUT1 = IN1;\r\n"));
  EXPECT_EQ(shown, std::vector<unsigned>{32188});
  std::ifstream in(pidFile);
  pid_t group = 0;
  ASSERT_TRUE(in >> group);
  ASSERT_GT(group, 1);
  EXPECT_EQ(LiveProcessesIn(group), 0) << "a process of the compiler's group is still running";
  EXPECT_EQ(Files(), std::vector<std::string>{"KSTQ0.Src"});

  options.compiler = dir + "/../no-such-compiler";
  EXPECT_FALSE(Build("OUT1 = IN1;\r\n"));
  EXPECT_EQ(shown, (std::vector<unsigned>{32192, 32187}));
}

}  // namespace
