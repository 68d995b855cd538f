#include "logtools/engine/merge_selection.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "fixtures.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

using namespace qvtest;

namespace {

// Answers file dialogs and rename dialogs as scripted and records them.
class FakeHost : public qv::MergeHost {
 public:
  std::deque<std::optional<std::string>> files;
  std::deque<std::pair<std::string, std::string>> renames;  // new short title, new title; "" short: Cancel
  std::vector<qv::ToolFileRequest> fileRequests;
  std::vector<std::pair<std::string, bool>> renameRequests;  // short title asked about, exists flag

  std::optional<std::string> AskFile(const qv::ToolFileRequest& r) override {
    fileRequests.push_back(r);
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
  bool AskRename(const std::string& shortTitle, const std::string&, bool exists, std::string* newShort,
                 std::string* newTitle) override {
    renameRequests.emplace_back(shortTitle, exists);
    if (renames.empty() || renames.front().first.empty()) return false;
    *newShort = renames.front().first;
    *newTitle = renames.front().second;
    renames.pop_front();
    return true;
  }
};

// Records every box and answers as scripted (default button otherwise).
struct Boxes {
  std::vector<std::string> texts;
  std::vector<unsigned> flags;
  std::deque<int> answers;
  Boxes() {
    qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      texts.push_back(r.text);
      flags.push_back(r.flags);
      if (answers.empty()) return qv::DefaultAnswer(r.flags);
      int a = answers.front();
      answers.pop_front();
      return a;
    });
  }
  ~Boxes() { qv::SetMessageBoxHandler(nullptr); }
};

struct Channel {
  int physical;
  std::string shortTitle;
};

// A log's data file (empty: the selection reads only headers) and header.
std::string MakeLog(const std::string& dir, const std::string& name, const std::string& sonde,
                    std::vector<Channel> channels, int logMode = 12, int depthUnit = 0) {
  std::string extra;
  for (std::size_t i = 0; i < channels.size(); ++i)
    extra += "[Channel" + std::to_string(i) + "]\r\nTitle=" + channels[i].shortTitle +
             " title\r\nTitleShort=" + channels[i].shortTitle +
             "\r\nPhysicalCh=" + std::to_string(channels[i].physical) + "\r\n";
  const std::string path = dir + "/" + name;
  WriteBytes(path, "");
  WriteHeader(qv::SiblingPath(path, "hed"),
              {.logMode = logMode, .depthUnit = depthUnit, .startDepth = 0, .endDepth = 100, .sonde = sonde.c_str()},
              extra);
  return path;
}

std::vector<Channel> Six(const std::string& prefix) {
  std::vector<Channel> c;
  for (int i = 1; i <= 6; ++i) c.push_back({i, prefix + std::to_string(i)});
  return c;
}

struct Fixture {
  std::string dir;
  FakeHost host;
  Boxes boxes;
  qv::MergeSelection sel{host};
  explicit Fixture(const char* name) : dir(FreshFolder(name)) {
    qv::SetProgramFolder(dir);
    sel.Initialise();
  }
  ~Fixture() { qv::SetDefaultDataFolder(""); }
  void Load(int slot, const std::string& path) {
    host.files.push_back(path);
    sel.OnSelect(slot);
  }
  void Click(int slot, int channel) { sel.OnChannelClicked(slot, channel); }
  std::string Row(int pos) const { return sel.OutputList().GetShortTitle(pos) + " " + sel.OutputList().GetLabel(pos); }
};

}  // namespace

TEST(MergeSelection, TickingAndUntickingFillsTheOutputRows) {
  Fixture f("sel-tick");
  f.Load(0, MakeLog(f.dir, "A.LOG", "S1", Six("A")));
  EXPECT_EQ(f.sel.InputName(0), "A.LOG");
  EXPECT_EQ(f.sel.HeaderSlot(), 0);
  EXPECT_EQ(f.sel.Box(0, 4).text, "A5");
  EXPECT_FALSE(f.sel.Box(0, 6).enabled);
  f.Click(0, 0);
  f.Click(0, 1);
  f.Click(0, 2);
  EXPECT_EQ(f.Row(0) + "|" + f.Row(1) + "|" + f.Row(2), "A1 1.1|A2 1.2|A3 1.3");
  f.Click(0, 1);
  EXPECT_FALSE(f.sel.Box(0, 1).checked);
  EXPECT_EQ(f.Row(1), "....................... -.-");
  f.Click(0, 4);
  EXPECT_EQ(f.Row(1), "A5 1.5");
  f.Click(0, 7);  // a channel the log does not have
  EXPECT_FALSE(f.sel.Box(0, 7).checked);
  EXPECT_TRUE(f.boxes.texts.empty());
  EXPECT_EQ(f.host.fileRequests[0].filterId, 32381u);
  EXPECT_EQ(f.host.fileRequests[0].initialFolder, f.dir + "/DATA/");
  EXPECT_EQ(qv::DefaultDataFolder(), f.dir + "/");
}

TEST(MergeSelection, AClashingShortTitleAsksForANewOne) {
  Fixture f("sel-rename");
  f.Load(0, MakeLog(f.dir, "A.LOG", "S1", {{1, "GAM"}}));
  f.Load(1, MakeLog(f.dir, "B.LGX", "S2", {{1, "gam"}, {2, "GAM"}}));
  f.Click(0, 0);
  f.host.renames.push_back({"GAM2", "Gamma two"});
  f.Click(1, 0);
  ASSERT_EQ(f.host.renameRequests.size(), 1u);
  EXPECT_EQ(f.host.renameRequests[0], std::make_pair(std::string("gam"), true));
  EXPECT_TRUE(f.sel.Box(1, 0).checked);
  EXPECT_EQ(f.Row(1), "GAM2 2.1");
  EXPECT_EQ(f.sel.OutputList().GetTitle(1), "Gamma two");
  // A new short title that clashes as well is refused and the box unchecked.
  f.host.renames.push_back({"gam2", "x"});
  f.Click(1, 1);
  EXPECT_FALSE(f.sel.Box(1, 1).checked);
  EXPECT_EQ(f.Row(2), "....................... -.-");

  struct Case {
    const char* what;
    const char* newShort;
    const char* newTitle;
    const char* oldShort;
    bool exists;
    int focus;
  };
  const Case cases[] = {
      {"fine", "G2", "t", "GAM", true, 0},
      {"empty short title", "", "t", "GAM", false, 2587},
      {"unchanged", "GAM", "t", "GAM", true, 2587},
      {"changed case only", "gam", "t", "GAM", true, 0},
      {"unchanged without a clash", "GAM", "t", "GAM", false, 0},
      {"empty title", "G2", "", "GAM", true, 2584},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qv::CheckRename(c.newShort, c.newTitle, c.oldShort, c.exists), c.focus) << c.what;
}

TEST(MergeSelection, InputsThatCannotBeMergedAreRefused) {
  Fixture f("sel-refuse");
  const std::string metric = MakeLog(f.dir, "A.LOG", "S1", Six("A"));
  const std::string feet = MakeLog(f.dir, "F.LOG", "S1", Six("F"), 12, 1);
  const std::string time = MakeLog(f.dir, "T.LOG", "S1", Six("T"), 10);
  const std::string sonic = MakeLog(f.dir, "S.LGX", "S1", Six("S"));
  qv::WritePrivateProfileString("WellInfo", "ComStd", "27", f.dir + "/S.hed");
  WriteBytes(f.dir + "/N.LOG", "");
  struct Case {
    const char* what;
    int slot;
    std::string path;
    unsigned message;
  };
  const Case cases[] = {
      {"time log", 1, time, 32391},
      {"no header", 1, f.dir + "/N.LOG", 32388},
      {"sonic log", 1, sonic, 32388},
      {"feet after metres", 1, feet, 32392},
      {"feet after metres, into the same slot", 0, feet, 32392},
      {"the same file again", 1, metric, 32390},
  };
  f.Load(0, metric);
  f.Click(0, 0);
  for (const auto& c : cases) {
    f.boxes.texts.clear();
    f.Load(c.slot, c.path);
    ASSERT_EQ(f.boxes.texts.size(), 1u) << c.what;
    EXPECT_EQ(f.boxes.texts[0], qv::LoadString(c.message)) << c.what;
    EXPECT_EQ(f.sel.InputPath(0), metric) << c.what;
    EXPECT_FALSE(f.sel.SlotHoldsFile(1)) << c.what;
    EXPECT_EQ(f.Row(0), "A1 1.1") << c.what;
  }
}

TEST(MergeSelection, ReplacingOrRemovingAnInputFreesItsChannels) {
  Fixture f("sel-replace");
  f.Load(0, MakeLog(f.dir, "A.LOG", "S1", Six("A")));
  f.Load(1, MakeLog(f.dir, "B.LOG", "S1", Six("B")));
  f.Load(2, MakeLog(f.dir, "C.LOG", "S1", Six("C")));
  f.Click(0, 0);
  f.Click(1, 0);
  f.sel.SetHeaderSlot(1);
  f.Load(1, MakeLog(f.dir, "D.LOG", "S1", Six("D")));
  EXPECT_EQ(f.Row(1), "....................... -.-");
  EXPECT_FALSE(f.sel.Box(1, 0).checked);
  EXPECT_EQ(f.sel.HeaderSlot(), 0) << "the slot was emptied before the new log came in";
  f.sel.SetHeaderSlot(1);
  f.sel.OnRemove(1);
  EXPECT_EQ(f.sel.HeaderSlot(), 0);
  EXPECT_EQ(f.sel.InputName(1), "");
  f.sel.OnRemove(0);
  EXPECT_EQ(f.sel.HeaderSlot(), 2);
  EXPECT_TRUE(f.sel.OutputList().IsEmpty());
  f.sel.OnRemove(2);
  EXPECT_EQ(f.sel.HeaderSlot(), -1);
}

TEST(MergeSelection, AFullListRefusesFurtherChannels) {
  Fixture f("sel-full");
  f.Load(0, MakeLog(f.dir, "A.LGX", "S1", [] {
           std::vector<Channel> c;
           for (int i = 1; i <= 12; ++i) c.push_back({i, "A" + std::to_string(i)});
           return c;
         }()));
  f.Load(1, MakeLog(f.dir, "B.LOG", "S1", Six("B")));
  for (int c = 0; c < 12; ++c) f.Click(0, c);
  f.Click(1, 0);
  EXPECT_FALSE(f.sel.Box(1, 0).checked);
  EXPECT_TRUE(f.sel.OutputList().IsFull());
}

TEST(MergeSelection, ValidationBeforeTheMerge) {
  Fixture f("sel-validate");
  f.Load(0, MakeLog(f.dir, "A.LOG", "S1", Six("A")));
  EXPECT_FALSE(f.sel.CreateMergeLog());
  f.host.files.push_back(f.dir + "/missing/M.LGX");
  f.sel.BrowseOutputFile();
  EXPECT_EQ(f.host.fileRequests.back().filterId, 32421u);
  EXPECT_EQ(f.host.fileRequests.back().defaultExt, "LGX");
  EXPECT_EQ(f.host.fileRequests.back().initialName, ".....................");
  EXPECT_EQ(f.sel.OutputName(), "M.LGX");
  EXPECT_FALSE(f.sel.CreateMergeLog());
  f.Click(0, 2);
  // The output's folder does not exist: the merge fails and the dialog stays.
  EXPECT_FALSE(f.sel.CreateMergeLog());
  EXPECT_EQ(f.boxes.texts,
            (std::vector<std::string>{qv::LoadString(32386), qv::LoadString(32385), qv::LoadString(32393)}));
  EXPECT_EQ(f.boxes.flags.back(), static_cast<unsigned>(qv::MB_ICONSTOP));
  f.host.files.push_back(f.dir + "/M.LGX");
  f.sel.BrowseOutputFile();
  EXPECT_TRUE(f.sel.CreateMergeLog());
  EXPECT_TRUE(std::filesystem::exists(f.dir + "/M.LGX"));
  const auto& p = f.sel.Parameters();
  ASSERT_EQ(p.channelCount, 1);
  EXPECT_EQ(p.channels[0].inChannel, 3);
  EXPECT_EQ(p.channels[0].outChannel, 1);
  EXPECT_EQ(p.headerSource, f.dir + "/A.LOG");
}

TEST(MergeSelection, UserFunctionsOfTheMergeSonde) {
  Fixture f("sel-userfunc");
  const std::string uf = f.dir + "/Userfunction";
  std::filesystem::create_directories(uf);
  WriteBytes(uf + "/MRGE.DLL", "");
  WriteBytes(uf + "/MRGE.INI", "[General]\r\nUPName=Plain\r\n");
  WriteBytes(uf + "/mrge3.dll", "");
  WriteBytes(uf + "/MRGE3.ini", "[General]\r\nUPName=\r\n");
  WriteBytes(uf + "/MRGE5.DLL", "");
  f.sel.FillUserFunctionList();
  EXPECT_EQ(f.sel.UserFunctionNames(), (std::vector<std::string>{"Plain", "???"}));
  EXPECT_EQ(f.sel.UserSelection(), 0);
  f.sel.SetAttach(true);
  EXPECT_EQ(f.sel.Attach(), 1);
  f.sel.SetUserSelection(-1);
  f.sel.SetAttach(true);
  EXPECT_EQ(f.sel.Attach(), 0);
}

namespace {

// Slots 0 and 2 loaded; outputs 1 and 2 from slot 0 channels 3 and 5, output
// 3 from slot 2 channel 1; saved as T.TPL.
struct Saved : Fixture {
  std::string tpl;
  explicit Saved(const char* name, const char* tplName = "T.TPL") : Fixture(name), tpl(dir + "/" + tplName) {
    std::filesystem::create_directories(dir + "/Userfunction");
    WriteBytes(dir + "/Userfunction/MRGE.DLL", "");
    WriteBytes(dir + "/Userfunction/MRGE.INI", "[General]\r\nUPName=U\r\n");
    sel.FillUserFunctionList();
    sel.SetAttach(true);
    Load(0, MakeLog(dir, "A.LOG", "SONA", Six("A")));
    Load(2, MakeLog(dir, "C.LGX", "SONC", Six("C")));
    Click(0, 2);
    Click(0, 4);
    Click(2, 0);
    host.files.push_back(dir + "/OUT.LGX");
    sel.BrowseOutputFile();
    host.files.push_back(tpl);
    sel.SaveTemplate();
  }
};

}  // namespace

TEST(MergeTemplate, SavesTheWholeSelection) {
  Saved f("tpl-save");
  EXPECT_EQ(f.host.fileRequests.back().filterId, 32427u);
  EXPECT_EQ(f.host.fileRequests.back().initialFolder, f.dir + "/DATA/");
  const std::string expected = "[General]\r\nUserProcessFlag=1\r\nUserDLL=" + f.dir +
                               "/Userfunction/MRGE.DLL\r\nFileName=OUT.LGX\r\n" + "FilePath=" + f.dir +
                               "/OUT.LGX\r\nHeader=0\r\nMrgeChannels=0.3.1 0.5.2 2.1.3\r\n" +
                               "[File0]\r\nSondeAbbreviation=SONA\r\nChannelCnt=6\r\nSrcChannels=3 5\r\n" +
                               "[File2]\r\nSondeAbbreviation=SONC\r\nChannelCnt=12\r\nSrcChannels=1\r\n";
  EXPECT_EQ(ReadBytes(f.tpl), expected);
}

TEST(MergeTemplate, LoadingPlacesChannelsOnTheSlotOfTheirSonde) {
  Saved f("tpl-remap");
  // Now slot 0 holds another sonde's log and slot 2 a log of SONA.
  f.sel.OnRemove(2);
  f.Load(0, MakeLog(f.dir, "X.LOG", "OTHER", Six("X")));
  f.Load(2, MakeLog(f.dir, "Y.LOG", "sona", Six("Y")));
  f.sel.SetAttach(false);
  f.host.files.push_back(f.tpl);
  f.sel.LoadTemplate();
  EXPECT_EQ(f.Row(0), "Y3 3.3");
  EXPECT_EQ(f.Row(1), "Y5 3.5");
  EXPECT_EQ(f.Row(2), "....................... -.-") << "SONC is nowhere";
  EXPECT_TRUE(f.sel.Box(2, 2).checked);
  EXPECT_FALSE(f.sel.Box(0, 2).checked);
  EXPECT_EQ(f.sel.HeaderSlot(), 2) << "the header follows its log";
  EXPECT_EQ(f.sel.Attach(), 1);
  EXPECT_EQ(f.sel.OutputPath(), f.dir + "/OUT.LGX");
}

TEST(MergeTemplate, LoadingSkipsWhatDoesNotFit) {
  Fixture f("tpl-skip");
  f.Load(0, MakeLog(f.dir, "A.LOG", "SONA", Six("A")));
  WriteBytes(f.dir + "/OUT.LGX", "exists");
  WriteBytes(f.dir + "/T.TPL",
             "[General]\r\nUserProcessFlag=1\r\nUserDLL=C:\\gone\\MRGE.DLL\r\nFileName=OUT.LGX\r\nFilePath=" + f.dir +
                 "/OUT.LGX\r\nHeader=0\r\nMrgeChannels=  0.9.1 0.2.5 0.3.13 0.0.2 7.1.1 0.4.0 0.1.3 junk 0.5.4\r\n"
                 "[File0]\r\nSondeAbbreviation=SONA\r\nChannelCnt=6\r\n");
  f.boxes.answers.push_back(qv::IDNO);
  f.host.files.push_back(f.dir + "/T.TPL");
  f.host.files.push_back(f.dir + "/NEW.LGX");
  f.sel.LoadTemplate();
  EXPECT_EQ(f.boxes.texts, std::vector<std::string>{qv::LoadString(32428)});
  EXPECT_EQ(f.boxes.flags[0], static_cast<unsigned>(qv::MB_YESNO | qv::MB_ICONQUESTION));
  EXPECT_EQ(f.sel.OutputName(), "NEW.LGX") << "No browses for another output";
  EXPECT_EQ(f.sel.Attach(), 0) << "the library is not there any more";
  // Channel 9 of a six-channel file, output 13, channel 0, slot 7 and output
  // 0 are skipped; the reading ends at the item that is no item.
  EXPECT_EQ(f.Row(4), "A2 1.2");
  EXPECT_EQ(f.Row(2), "A1 1.1");
  for (int pos : {0, 1, 3}) EXPECT_EQ(f.Row(pos), "....................... -.-") << pos;
}

TEST(MergeTemplate, ATemplateThatCannotBeWrittenIsReported) {
  Saved f("tpl-save-fails", "gone/T.TPL");
  EXPECT_EQ(f.boxes.texts, std::vector<std::string>{"Can't create file " + f.tpl + "."});
  EXPECT_FALSE(std::filesystem::exists(f.tpl));
}

TEST(MergeTemplate, AnOutputFolderThatDoesNotExistHereIsAskedFor) {
  for (const bool pick : {true, false}) {
    Saved f(pick ? "tpl-foreign-pick" : "tpl-foreign-cancel");
    // The template as another machine wrote it.
    std::string text = ReadBytes(f.tpl);
    text.replace(text.find("FilePath="), text.find("\r\nHeader=") - text.find("FilePath="),
                 "FilePath=D:\\Logs\\OUT.LGX");
    WriteBytes(f.tpl, text);
    f.host.files.push_back(f.tpl);
    if (pick) f.host.files.push_back(f.dir + "/HERE.LGX");
    f.host.fileRequests.clear();
    f.sel.LoadTemplate();
    ASSERT_EQ(f.host.fileRequests.size(), 2u) << pick;
    EXPECT_TRUE(f.host.fileRequests[1].save);
    EXPECT_EQ(f.host.fileRequests[1].initialName, "OUT.LGX") << "the template's name is proposed";
    EXPECT_TRUE(f.boxes.texts.empty()) << "nothing there to overwrite";
    EXPECT_EQ(f.sel.OutputPath(), pick ? f.dir + "/HERE.LGX" : "");
    EXPECT_EQ(f.sel.OutputName(), pick ? "HERE.LGX" : qv::MergeSelection::kNoFileName);
    EXPECT_EQ(f.Row(0), "A3 1.3") << "the channels are placed all the same";
  }
}
