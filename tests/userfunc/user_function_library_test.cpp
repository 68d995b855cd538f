// The one loader of user-function libraries: which caller accepts which
// library and what it is told, what a refused library leaves behind, and the
// values a real library sees and gives through the record processing.
#include "userfunc/user_function_library.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "logdoc/engine/channel_processor.h"
#include "platform/dynlib/dynlib.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/support/test_files.h"
#include "userfunc/user_function_check.h"

namespace {

std::string Lib(const std::string& cut) {
  return std::string(QV_UF_LIBS) + "/uf_" + cut + ".so";
}

// The counters of a loaded test library, read through the same module.
struct Counters {
  explicit Counters(const std::string& path) { EXPECT_TRUE(lib.Load(path)) << lib.Error(); }
  int& Int(const char* name) { return *static_cast<int*>(lib.Symbol(name)); }
  double* LastIn() { return static_cast<double*>(lib.Symbol("uf_last_in")); }
  qv::DynLib lib;
};

class UserFunctionLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      shown.push_back(r.id);
      texts.push_back(r.text);
      return qv::IDOK;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(previous_);
    qv::SetUserFunctionChecker({});
    qv::SetUserFunctionCheckLimit(0);
  }
  std::vector<unsigned> shown;
  std::vector<std::string> texts;
  qv::MessageBoxHandler previous_;
};

TEST_F(UserFunctionLibraryTest, EachCallerAcceptsWhatItRequires) {
  using C = UserFunctionCaller;
  struct Case {
    C caller;
    const char* library;
    bool accepted;
    bool initWaveforms;  // looked up and found
  } cases[] = {
      {C::kChannelDocument, "full", true, false},
      {C::kChannelDocument, "no_init", true, false},
      {C::kChannelDocument, "no_initwaveforms", true, false},
      {C::kChannelDocument, "no_userfunction", false, false},
      {C::kChannelDocument, "missing", false, false},
      {C::kSonicDocument, "full", true, true},
      {C::kSonicDocument, "no_init", true, true},
      {C::kSonicDocument, "no_initwaveforms", false, false},
      {C::kSonicDocument, "no_userfunction", false, false},
      {C::kFlowmeter, "full", true, false},
      {C::kFlowmeter, "no_init", true, false},
      {C::kFlowmeter, "no_initwaveforms", true, false},
      {C::kFlowmeter, "no_userfunction", false, false},
      {C::kLasExport, "full", true, true},
      {C::kLasExport, "no_init", false, false},
      {C::kLasExport, "no_initwaveforms", true, false},
      {C::kLasExport, "no_userfunction", false, false},
      {C::kLasExport, "missing", false, false},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.library) + " for caller " + std::to_string(static_cast<int>(c.caller));
    shown.clear();
    UserFunctionLibrary lib;
    EXPECT_EQ(lib.Load(Lib(c.library), c.caller), c.accepted) << what;
    EXPECT_EQ(lib.Loaded(), c.accepted) << what;
    EXPECT_EQ(static_cast<bool>(lib.userFunction), c.accepted) << what;
    EXPECT_EQ(static_cast<bool>(lib.init), c.accepted && std::string(c.library) != "no_init") << what;
    EXPECT_EQ(static_cast<bool>(lib.initWaveforms), c.initWaveforms) << what;
    // The LAS export has no message of its own: its dialog reports the export.
    const bool message = !c.accepted && c.caller != C::kLasExport;
    EXPECT_EQ(shown, message ? std::vector<unsigned>{32199} : std::vector<unsigned>{}) << what;
    if (!c.accepted) {
      EXPECT_FALSE(UserFunctionLibraryInUse(Lib(c.library))) << what << ": a refused library is freed";
    }
  }
  EXPECT_EQ(qv::LoadString(32199), "Could not load user process file!");
}

TEST_F(UserFunctionLibraryTest, ARelativePathIsTakenFromTheCurrentFolderNeverSearched) {
  namespace fs = std::filesystem;
  UserFunctionLibrary lib;
  const std::string relative = fs::relative(Lib("full")).string();
  ASSERT_TRUE(lib.Load(relative, UserFunctionCaller::kChannelDocument));
  EXPECT_TRUE(fs::path(lib.Path()).is_absolute());
  EXPECT_TRUE(fs::equivalent(lib.Path(), Lib("full")));
  // A bare name that is no file of the current folder is not looked for on
  // the library search path.
  EXPECT_FALSE(lib.Load("libm.so.6", UserFunctionCaller::kChannelDocument));
  EXPECT_EQ(shown, std::vector<unsigned>{32199});
  EXPECT_FALSE(lib.Load("", UserFunctionCaller::kLasExport));
}

TEST_F(UserFunctionLibraryTest, LoadersOfOneFileShareTheModuleAndItsLock) {
  Counters counters(Lib("full"));
  UserFunctionLibrary a, b;
  ASSERT_TRUE(a.Load(Lib("full"), UserFunctionCaller::kChannelDocument));
  ASSERT_TRUE(b.Load(Lib("full"), UserFunctionCaller::kLasExport));
  EXPECT_TRUE(UserFunctionLibraryInUse(Lib("full")));
  a.init();
  // Two threads call into the one module's static storage at once; the lock
  // keeps the counter exact.
  constexpr int kCalls = 20000;
  auto run = [](UserFunctionLibrary& lib) {
    double in[kUserFunctionInputs] = {}, out[kUserFunctionOutputs] = {};
    for (int i = 0; i < kCalls; ++i) lib.userFunction(in, out);
  };
  std::thread ta(run, std::ref(a)), tb(run, std::ref(b));
  ta.join();
  tb.join();
  EXPECT_EQ(counters.Int("uf_calls_since_init"), 2 * kCalls);
  a.Unload();
  EXPECT_TRUE(UserFunctionLibraryInUse(Lib("full")));
  b.Unload();
  EXPECT_FALSE(UserFunctionLibraryInUse(Lib("full")));
}

// A marker in channel k comes out as output k 26 records after it would have
// come out without a user function, with and without an output filter.
TEST_F(UserFunctionLibraryTest, AMarkerPassesTheLibraryWithTheOutputLag) {
  UserFunctionLibrary lib;
  ASSERT_TRUE(lib.Load(Lib("full"), UserFunctionCaller::kChannelDocument));
  constexpr int kMarker = 5, kRecords = 80;
  // Column k - 1 of the rows handed on for a marker of 9 in channel k.
  auto run = [](int k, const qv::ChannelProcessorSetup& s) {
    qv::ChannelProcessor p(s);
    std::vector<double> out;
    for (int r = 0; r < kRecords; ++r) {
      qv::TwelveChannelRecord rec;
      rec.mask = 0xFFF;
      for (float& v : rec.value) v = 0;
      if (r == kMarker) rec.value[k - 1] = 9;
      const auto row = p.ProcessTwelveChannel(rec, {});
      for (int c = 0; c < 12; ++c) {
        if (c == k - 1) continue;
        EXPECT_EQ(row[c], 0.0) << "record " << r << ", column " << c;
      }
      out.push_back(row[k - 1]);
    }
    return out;
  };
  for (int k : {1, 7, 12}) {
    qv::ChannelProcessorSetup s;
    s.channels = 12;
    s.logMode = qv::kLogModeUp;
    s.depthStep = 100;
    const std::vector<double> plain = run(k, s);
    const int handedOn = static_cast<int>(std::find(plain.begin(), plain.end(), 9.0) - plain.begin());
    ASSERT_LT(handedOn, kRecords - 30);
    for (bool filtered : {false, true}) {
      s.userFunction = lib.userFunction;
      s.outputFilters = {};
      if (filtered) s.outputFilters[static_cast<std::size_t>(k - 1)] = {1, 3};  // moving average of 3
      std::vector<double> expected(kRecords, 0.0);
      const int at = handedOn + 26;
      if (filtered) {
        expected[at - 1] = expected[at] = expected[at + 1] = 3.0;
      } else {
        expected[at] = 9.0;
      }
      EXPECT_EQ(run(k, s), expected) << "channel " << k << (filtered ? " filtered" : "");
    }
  }
}

TEST_F(UserFunctionLibraryTest, TheLibrarySeesSixteenInputsTheUnusedOnesZero) {
  UserFunctionLibrary lib;
  ASSERT_TRUE(lib.Load(Lib("full"), UserFunctionCaller::kChannelDocument));
  Counters counters(Lib("full"));
  qv::ChannelProcessorSetup s;
  s.channels = 6;
  s.logMode = qv::kLogModeTime;
  s.userFunction = lib.userFunction;
  qv::ChannelProcessor p(s);
  double* in = counters.LastIn();
  for (int i = 0; i < 16; ++i) in[i] = -1;
  qv::SixChannelPacket packet;
  for (auto& c : packet.channel) c = 3;
  packet.rate = 50;
  p.ProcessSixChannel(packet, {4000, 777});
  EXPECT_EQ(in[12], 777);
  EXPECT_EQ(in[13], 4000);
  for (int i : {6, 7, 8, 9, 10, 11, 14, 15}) EXPECT_EQ(in[i], 0.0) << i;
}

// A library that would crash, hang or end the program on some inputs, or as
// it is loaded, or that exports its entry point as data, is refused before
// this process loads it, and the user is told what it did.
TEST_F(UserFunctionLibraryTest, ALibraryThatFailsItsCheckIsNeverLoaded) {
  qv::SetUserFunctionCheckLimit(3000);  // a sanitizer build on a loaded machine starts its checker slowly
  const std::string refused = "Could not load user process file!\n";
  struct Case {
    const char* library;
    std::string said;
  } cases[] = {
      {"bad_crash_on_one", "The library crashed in UserFunction() with every input 1."},
      {"bad_hang_on_negative", "The library did not return from UserFunction() with every input -1 within 3 s."},
      {"bad_exit_on_nan", "The library ended the program itself (exit) in UserFunction() with every input nan."},
      {"bad_data_entry", "The library exports UserFunction, but not as a function."},
      {"bad_crash_when_loaded", "The library crashed in loading the library."},
      {"bad_hang_when_loaded", "The library did not return from loading the library within 3 s."},
      {"bad_hang_in_init", "The library did not return from Init() within 3 s."},
      {"no_userfunction", "The library does not export the function UserFunction."},
  };
  for (const Case& c : cases) {
    shown.clear();
    texts.clear();
    UserFunctionLibrary lib;
    EXPECT_FALSE(lib.Load(Lib(c.library), UserFunctionCaller::kChannelDocument)) << c.library;
    EXPECT_FALSE(lib.Loaded()) << c.library;
    EXPECT_FALSE(UserFunctionLibraryInUse(Lib(c.library))) << c.library;
    EXPECT_EQ(texts, std::vector<std::string>{refused + c.said}) << c.library;
    EXPECT_EQ(shown, std::vector<unsigned>{32199}) << c.library;
    // The LAS export is refused the same library, silently.
    texts.clear();
    EXPECT_FALSE(lib.Load(Lib(c.library), UserFunctionCaller::kLasExport)) << c.library;
    EXPECT_EQ(lib.Error(), c.said) << c.library;
    EXPECT_TRUE(texts.empty()) << c.library;
  }
}

// The check calls each channel at the ends of the display range the
// function's INI gives it.
TEST_F(UserFunctionLibraryTest, TheCheckCallsTheChannelsAtTheirDisplayRanges) {
  namespace fs = std::filesystem;
  UserFunctionLibrary lib;
  EXPECT_TRUE(lib.Load(Lib("bad_crash_at_maximum"), UserFunctionCaller::kChannelDocument));  // no INI beside it
  lib.Unload();
  const std::string dir = qv::test::TempDir("uf_check_ranges");
  fs::copy_file(Lib("bad_crash_at_maximum"), dir + "/KSTQ0.so", fs::copy_options::overwrite_existing);
  std::ofstream(dir + "/KSTQ0.ini") << "[General]\r\nIdent=QUORVANTA\r\n\r\n"
                                    << "[Channel0]\r\nTitle=Gamma\r\nPhysicalCh=2\r\nRangeLeft=0\r\n"
                                    << "RangeRight=1234\r\n";
  texts.clear();
  EXPECT_FALSE(lib.Load(dir + "/KSTQ0.so", UserFunctionCaller::kChannelDocument));
  EXPECT_EQ(texts, std::vector<std::string>{"Could not load user process file!\nThe library crashed in UserFunction() "
                                            "with each channel at the maximum of its display range."});
}

// Each library is checked once per run: its verdict holds until the file changes.
TEST_F(UserFunctionLibraryTest, ALibraryIsCheckedOnceUntilItChanges) {
  namespace fs = std::filesystem;
  const std::string dir = qv::test::TempDir("uf_check_once");
  const std::string path = dir + "/KSTQ0.so";
  fs::copy_file(Lib("full"), path, fs::copy_options::overwrite_existing);
  UserFunctionLibrary lib;
  ASSERT_TRUE(lib.Load(path, UserFunctionCaller::kChannelDocument));
  lib.Unload();
  qv::SetUserFunctionChecker(dir + "/no-such-checker");
  EXPECT_TRUE(lib.Load(path, UserFunctionCaller::kChannelDocument)) << "checked again";
  lib.Unload();
  // A changed file is checked again (and, with no check program, refused).
  const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 100, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  texts.clear();
  EXPECT_FALSE(lib.Load(path, UserFunctionCaller::kChannelDocument));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("could not be checked"), std::string::npos) << texts[0];
}

}  // namespace
