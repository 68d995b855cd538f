// The files of a user function: finding them whatever their letter case,
// numbering new ones, the source format and its round trip, and the package
// that carries a function to another installation.
#include "userfunc/user_function_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "tests/support/test_files.h"
#include "userfunc/user_function_package.h"
#include "userfunc/user_function_source.h"

namespace fs = std::filesystem;

namespace {

void Put(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(qv::WriteFileAtomically(path, bytes));
}

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder))
    files[e.path().filename().string()] = qv::test::FileBytes(e.path());
  return files;
}

class UserFunctionFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = qv::test::TempDir("userfunc");
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      shown.push_back(r);
      return answer;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(previous_);
    qv::SetFileFaultHook(nullptr);
  }
  std::vector<unsigned> Ids() const {
    std::vector<unsigned> ids;
    for (const auto& r : shown) ids.push_back(r.id);
    return ids;
  }
  std::string dir;
  std::vector<qv::MessageBoxRequest> shown;
  int answer = qv::IDYES;
  qv::MessageBoxHandler previous_;
};

TEST_F(UserFunctionFilesTest, NewFunctionsTakeTheFirstFreeNumber) {
  Put(dir + "/KSTQ0.INI", "");
  Put(dir + "/kstq1.ini", "");
  Put(dir + "/KSTQ3.Ini", "");
  Put(dir + "/KSTQ2.Src", "");  // only an INI takes a number
  EXPECT_EQ(qv::NewUserFunctionFileName(dir, "KSTQ"), dir + "/KSTQ2.Src");
  EXPECT_TRUE(shown.empty());
  // With every number taken there is no new name (never one that is taken).
  for (int n = 0; n < 100; ++n) Put(dir + "/OTHR" + std::to_string(n) + ".ini", "");
  bool folderMissing = true;
  EXPECT_EQ(qv::NewUserFunctionFileName(dir, "OTHR", &folderMissing), "");
  EXPECT_FALSE(folderMissing);
  ASSERT_EQ(Ids(), std::vector<unsigned>{36430});
  EXPECT_EQ(shown[0].text,
            "All 100 user function numbers of the sonde OTHR are taken: remove a function before you make a new one.");
  shown.clear();
  EXPECT_EQ(qv::NewUserFunctionFileName(dir + "/gone", "KSTQ", &folderMissing), "");
  EXPECT_TRUE(folderMissing);
  ASSERT_EQ(Ids(), std::vector<unsigned>{32171});
  EXPECT_EQ(shown[0].text, "The Directory '" + dir + "/gone' doesn't exist!");
}

TEST_F(UserFunctionFilesTest, SiblingsAreFoundWhateverTheirCaseAndWrittenCanonically) {
  Put(dir + "/KSTQ0.INI", "");
  Put(dir + "/kstq0.SRC", "");
  qv::UserFunctionPaths p = qv::UserFunctionFilesOf(dir + "/KSTQ0.Src");
  EXPECT_EQ(p.ini, dir + "/KSTQ0.INI");
  EXPECT_EQ(p.source, dir + "/kstq0.SRC");
  EXPECT_EQ(p.library, dir + "/KSTQ0.so");
  p = qv::UserFunctionFilesOf(dir + "/KSTQ5.ini");
  EXPECT_EQ(p.ini, dir + "/KSTQ5.ini");
  EXPECT_EQ(p.source, dir + "/KSTQ5.Src");
  Put(dir + "/KSTQ0.DLL", "");
  EXPECT_EQ(qv::UserFunctionFilesOf(dir + "/KSTQ0.Src").library, dir + "/KSTQ0.DLL");
  qv::DeleteUserFunctionFiles(dir + "/KSTQ0.Src");
  EXPECT_TRUE(Snapshot(dir).empty());
}

UserFunctionRecord GoldenRecord() {
  UserFunctionRecord r;
  r.UFID = 7;
  r.SondeID = 12;
  r.Inputs = 6;
  r.Outputs = 6;
  r.SondeSN = "A-17";
  r.Abbrev = "KSTQ";
  r.SymName = "KSTQ UserFunction";
  r.FileName = "/opt/q/Userfunction/KSTQ0.Src";
  return r;
}

TEST_F(UserFunctionFilesTest, TheDefaultSourceMatchesTheGoldenBytes) {
  const std::string golden = qv::test::FileBytes(std::string(QV_TEST_SOURCE_DIR) + "/data/KSTQ0_default.Src");
  const std::string defaults = qv::DefaultUserFunctionText(6);
  EXPECT_EQ(qv::UserFunctionDefinitions(GoldenRecord()) + defaults, golden);
  EXPECT_EQ(defaults.find("OUT1 = IN1;"), 825u);  // the identifier comment
  // Without a source file the editor starts with the default text.
  EXPECT_EQ(qv::LoadUserFunctionSource(dir + "/none.Src", 6), defaults);
}

TEST_F(UserFunctionFilesTest, GeneratedValuesAreCStringLiterals) {
  const struct {
    const char* value;
    const char* literal;
  } cases[] = {
      {"Plain text, 100%", "Plain text, 100%"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"C:\\Userfunction\\", "C:\\\\Userfunction\\\\"},
      {"two\r\nlines", "two\\r\\nlines"},
      {"bell\a1", "bell\\0071"},
      {"caf\xe9", "caf\xe9"},  // CP1252 text stays as it is
  };
  for (const auto& c : cases) EXPECT_EQ(qv::CStringLiteralBody(c.value), c.literal) << c.value;
}

TEST_F(UserFunctionFilesTest, SaveAndLoadKeepTheStatementsAndTheGeneratedBlock) {
  UserFunctionRecord r = GoldenRecord();
  r.FileName = dir + "/KSTQ0.Src";
  r.Comment = "Gamma \"corrected\" by C:\\cal\\k.cal\r\nsecond line";
  const std::string text =
      "/* mine */\r\nOUT1 = IN1 * 2.0;\r\n\r\n#define MINE 3\r\nOUT2 = TMP1; /* \"quoted\" \\ */\r\n";
  ASSERT_TRUE(qv::SaveUserFunctionSource(r, text));
  const std::string saved = qv::test::FileBytes(r.FileName);
  EXPECT_EQ(saved, qv::UserFunctionDefinitions(r) + text);
  EXPECT_NE(saved.find("#define   Comment     \"Gamma \\\"corrected\\\" by C:\\\\cal\\\\k.cal\\r\\nsecond line\"\r\n"),
            std::string::npos);
  // Only the generated block goes: the user's own #define and empty lines
  // come back as they were.
  const std::string loaded = qv::LoadUserFunctionSource(r.FileName, 6);
  EXPECT_EQ(loaded, text);
  ASSERT_TRUE(qv::SaveUserFunctionSource(r, loaded));
  EXPECT_EQ(qv::LoadUserFunctionSource(r.FileName, 6), text);
  EXPECT_EQ(qv::test::FileBytes(r.FileName), qv::UserFunctionDefinitions(r) + text);
  EXPECT_TRUE(shown.empty());
  // Lines after the block keep their bytes; LF and CR ends come back as CR
  // LF, and a last line without an end stays without one. A file that does
  // not begin with the whole block loses nothing.
  const std::string block = qv::UserFunctionDefinitions(r);
  const struct {
    std::string file, text;
  } cases[] = {
      {block + "#define GAIN 2.5\n\nOUT1 = IN1 * GAIN;", "#define GAIN 2.5\r\n\r\nOUT1 = IN1 * GAIN;"},
      {block + "\r\n\r\nOUT1 = IN1;\rOUT2 = IN2;\r\n", "\r\n\r\nOUT1 = IN1;\r\nOUT2 = IN2;\r\n"},
      {"#define   UFID        7\r\nOUT1 = IN1;\r\n", "#define   UFID        7\r\nOUT1 = IN1;\r\n"},
  };
  for (const auto& c : cases) {
    Put(r.FileName, c.file);
    EXPECT_EQ(qv::LoadUserFunctionSource(r.FileName, 6), c.text) << c.file;
  }
}

TEST_F(UserFunctionFilesTest, AFailedSaveKeepsTheOldSourceAndSaysSo) {
  UserFunctionRecord r = GoldenRecord();
  r.FileName = dir + "/KSTQ0.Src";
  Put(r.FileName, "old");
  qv::SetFileFaultHook([](std::string_view step, const std::string&) { return step == "write"; });
  EXPECT_FALSE(qv::SaveUserFunctionSource(r, "OUT1 = IN1;\r\n"));
  qv::SetFileFaultHook(nullptr);
  EXPECT_EQ(qv::test::FileBytes(r.FileName), "old");
  ASSERT_EQ(Ids(), std::vector<unsigned>{32191});
  EXPECT_EQ(shown[0].text,
            "The sourcecode could not be saved!\nInsufficient disk space or invalid path: '" + r.FileName + "'");
  EXPECT_EQ(Snapshot(dir).size(), 1u);  // no temporary file left
}

// A function in FOLDER: INI, source and (optionally) a library.
void MakeFunction(const std::string& folder, const std::string& name, bool library) {
  Put(folder + "/" + name + ".ini", "[General]\r\nIdent=QUORVANTA\r\nUPName=Gamma ratio  \r\n");
  Put(folder + "/" + name + ".Src", "#define   UFID        1\r\n\r\nOUT1 = IN1;\r\n");
  if (library) Put(folder + "/" + name + ".so", qv::test::FileBytes(std::string(QV_UF_LIBS) + "/uf_full.so"));
}

TEST_F(UserFunctionFilesTest, ExportThenImportIsByteExact) {
  for (bool library : {true, false}) {
    const std::string from = qv::test::ScratchFolder("userfunc", library ? "from_lib" : "from"),
                      to = qv::test::ScratchFolder("userfunc", library ? "to_lib" : "to");
    MakeFunction(from, "KSTQ4", library);
    const std::string package = dir + "/f.ufn";
    shown.clear();
    ASSERT_TRUE(qv::ExportUserFunctionPackage(from + "/KSTQ4.Src", package));
    const std::string bytes = qv::test::FileBytes(package);
    ASSERT_GE(bytes.size(), 312u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x38\x01\0\0", 4));
    EXPECT_EQ(bytes.substr(8, 4) == "\xff\xff\xff\xff", !library);
    EXPECT_EQ(bytes.substr(12, 14), "Gamma ratio" + std::string(3, '\0'));
    EXPECT_EQ(bytes.substr(162, 6), std::string("KSTQ4\0", 6));
    ASSERT_TRUE(qv::ImportUserFunctionPackage(package, to));
    EXPECT_EQ(Snapshot(to), Snapshot(from));
    EXPECT_EQ(Ids(), (std::vector<unsigned>{32397, 32400}));
    EXPECT_EQ(shown[0].text, "Export to file " + package + " succeeded.");
    // Exported again from the imported copy: the same package.
    ASSERT_TRUE(qv::ExportUserFunctionPackage(to + "/KSTQ4.Src", dir + "/again.ufn"));
    EXPECT_EQ(qv::test::FileBytes(dir + "/again.ufn"), bytes);
  }
}

TEST_F(UserFunctionFilesTest, ImportOverAnExistingFunctionAsksFirst) {
  const std::string from = qv::test::ScratchFolder("userfunc", "from"), to = qv::test::ScratchFolder("userfunc", "to");
  MakeFunction(from, "KSTQ4", false);
  ASSERT_TRUE(qv::ExportUserFunctionPackage(from + "/KSTQ4.Src", dir + "/f.ufn"));
  Put(to + "/kstq4.INI", "old ini");
  Put(to + "/KSTQ4.so", "old library");
  shown.clear();
  answer = qv::IDNO;
  EXPECT_FALSE(qv::ImportUserFunctionPackage(dir + "/f.ufn", to));
  EXPECT_EQ(Ids(), std::vector<unsigned>{32399});
  EXPECT_EQ(Snapshot(to), (std::map<std::string, std::string>{{"kstq4.INI", "old ini"}, {"KSTQ4.so", "old library"}}));
  answer = qv::IDYES;
  EXPECT_TRUE(qv::ImportUserFunctionPackage(dir + "/f.ufn", to));
  // The existing spelling is kept; the old library does not outlive its source.
  const auto files = Snapshot(to);
  EXPECT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at("kstq4.INI"), qv::test::FileBytes(from + "/KSTQ4.ini"));
  EXPECT_EQ(files.at("KSTQ4.Src"), qv::test::FileBytes(from + "/KSTQ4.Src"));
}

TEST_F(UserFunctionFilesTest, AHostilePackageIsRefusedWithTheFolderUnchanged) {
  MakeFunction(dir, "KSTQ4", true);
  ASSERT_TRUE(qv::ExportUserFunctionPackage(dir + "/KSTQ4.Src", dir + "/good.ufn"));
  const std::string good = qv::test::FileBytes(dir + "/good.ufn");
  auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto with = [&](std::size_t at, const std::string& bytes) {
    std::string b = good;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  const std::uint32_t size = static_cast<std::uint32_t>(good.size());
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"shorter than its head", good.substr(0, 200)},
      {"INI inside the head", with(0, u32(100))},
      {"source before the INI", with(4, u32(300))},
      {"source beyond the end", with(4, u32(size + 10))},
      {"library before the source", with(8, u32(320))},
      {"library beyond the end", with(8, u32(size + 1))},
      {"base name with a folder", with(162, std::string("../KSTQ4\0", 9))},
      {"base name with a separator", with(162, std::string("a/b\0", 4))},
      {"base name with a backslash", with(162, std::string("a\\b\0", 4))},
      {"base name with a control character", with(162, std::string("KS\nQ4\0", 6))},
      {"empty base name", with(162, std::string(1, '\0'))},
      {"base name without end", with(162, std::string(150, 'K'))},
      {"display name without end", with(12, std::string(150, 'G'))},
  };
  const std::string to = qv::test::ScratchFolder("userfunc", "to");
  Put(to + "/KSTQ4.Src", "kept");
  for (const auto& c : cases) {
    Put(dir + "/bad.ufn", c.bytes);
    shown.clear();
    EXPECT_FALSE(qv::ImportUserFunctionPackage(dir + "/bad.ufn", to)) << c.what;
    EXPECT_EQ(Ids(), std::vector<unsigned>{32401}) << c.what;
    EXPECT_EQ(Snapshot(to), (std::map<std::string, std::string>{{"KSTQ4.Src", "kept"}})) << c.what;
  }
  EXPECT_EQ(fs::exists(fs::path(dir).parent_path() / "KSTQ4.ini"), false);
}

TEST_F(UserFunctionFilesTest, ExportNeedsTheIniTheSourceAndAName) {
  Put(dir + "/KSTQ1.ini", "[General]\r\nUPName=   \r\n");
  Put(dir + "/KSTQ1.Src", "");
  Put(dir + "/KSTQ2.ini", "[General]\r\nUPName=Two\r\n");
  for (const char* source : {"/KSTQ1.Src", "/KSTQ2.Src", "/KSTQ3.Src"}) {
    shown.clear();
    EXPECT_FALSE(qv::ExportUserFunctionPackage(dir + source, dir + "/out.ufn")) << source;
    EXPECT_EQ(Ids(), std::vector<unsigned>{32398}) << source;
  }
  EXPECT_FALSE(fs::exists(dir + "/out.ufn"));
}

// A package's library is checked before it is installed: one that would
// crash the program is refused, and the function already there stays whole.
TEST_F(UserFunctionFilesTest, AnImportedLibraryIsCheckedBeforeItIsInstalled) {
  const std::string from = qv::test::ScratchFolder("userfunc", "from"), to = qv::test::ScratchFolder("userfunc", "to");
  MakeFunction(from, "KSTQ4", false);
  Put(from + "/KSTQ4.so", qv::test::FileBytes(std::string(QV_UF_LIBS) + "/uf_bad_crash_on_one.so"));
  const std::string package = dir + "/f.ufn";
  ASSERT_TRUE(qv::ExportUserFunctionPackage(from + "/KSTQ4.Src", package));
  MakeFunction(to, "KSTQ4", true);
  const auto before = Snapshot(to);
  shown.clear();
  EXPECT_FALSE(qv::ImportUserFunctionPackage(package, to));
  EXPECT_EQ(Ids(), (std::vector<unsigned>{32399, 32401}));
  EXPECT_EQ(shown.back().text,
            "Import from file " + package + " failed.\nThe library crashed in UserFunction() with every input 1.");
  EXPECT_EQ(Snapshot(to), before);
}

// Whichever rename fails, the function keeps its old files or gets the
// whole new set, never a mix.
TEST_F(UserFunctionFilesTest, AFailedRenameLeavesTheOldFunctionWhole) {
  const std::string from = qv::test::ScratchFolder("userfunc", "from");
  MakeFunction(from, "KSTQ4", true);
  const std::string package = dir + "/f.ufn";
  ASSERT_TRUE(qv::ExportUserFunctionPackage(from + "/KSTQ4.Src", package));
  for (const char* failing : {"KSTQ4.ini", "KSTQ4.Src", "KSTQ4.so"}) {
    const std::string to = qv::test::ScratchFolder("userfunc", std::string("to_") + failing);
    Put(to + "/KSTQ4.ini", "old ini");
    Put(to + "/KSTQ4.Src", "old source");
    Put(to + "/KSTQ4.so", "old library");
    const auto before = Snapshot(to);
    bool failed = false;  // one rename onto the target fails; putting the old file back works
    qv::SetFileFaultHook([&](std::string_view step, const std::string& path) {
      if (step != "rename" || failed || fs::path(path).filename() != failing) return false;
      return failed = true;
    });
    shown.clear();
    EXPECT_FALSE(qv::ImportUserFunctionPackage(package, to)) << failing;
    qv::SetFileFaultHook(nullptr);
    EXPECT_TRUE(failed) << failing;
    EXPECT_EQ(Ids(), (std::vector<unsigned>{32399, 32401})) << failing;
    EXPECT_EQ(Snapshot(to), before) << failing;
    EXPECT_TRUE(qv::ImportUserFunctionPackage(package, to)) << failing;
    EXPECT_EQ(Snapshot(to), Snapshot(from)) << failing;
  }
}

// Only a regular file of a size a package can have is read: a FIFO, a folder
// or a huge sparse file is refused at once, without blocking or reading it.
TEST_F(UserFunctionFilesTest, APackageThatIsNoPlainFileOrTooLargeIsRefusedAtOnce) {
  const std::string to = qv::test::ScratchFolder("userfunc", "to");
  const std::string fifo = dir + "/fifo.ufn", folder = dir + "/folder.ufn", sparse = dir + "/sparse.ufn";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(folder);
  Put(sparse, "");
  fs::resize_file(sparse, std::uintmax_t{3} << 30);
  for (const std::string& package : {fifo, folder, sparse}) {
    shown.clear();
    EXPECT_FALSE(qv::ImportUserFunctionPackage(package, to)) << package;
    EXPECT_EQ(Ids(), std::vector<unsigned>{32401}) << package;
  }
  EXPECT_TRUE(Snapshot(to).empty());
}

}  // namespace
