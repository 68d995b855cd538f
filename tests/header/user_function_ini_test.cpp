#include "header/user_function_ini.h"

#include <gtest/gtest.h>

#include "platform/files/atomic_file.h"
#include "tests/header/test_support.h"
#include "userfunc/user_function_record.h"

namespace {

std::unique_ptr<CurveRecord> Output(int channel, const char* shortTitle, int first, int last) {
  auto c = std::make_unique<CurveRecord>();
  c->physicalChannel = channel;
  c->shortTitle = shortTitle;
  c->description = std::string("Output ") + shortTitle;
  c->unit = "API";
  c->firstTrack = first;
  c->lastTrack = last;
  c->headerFlag = 1;
  c->scaleFlag = 0;
  c->logicalChannel = channel + 10;
  c->window = 2;
  c->lineColour = 0xFF000080u;
  c->printLineStyle = 3;
  c->scaleMinimum = 0.5f;
  c->scaleMaximum = 1500.0f;
  return c;
}

UserFunctionRecord Record() {
  UserFunctionRecord r;
  r.SondeID = 7;
  r.Inputs = 6;
  r.Outputs = 5;
  r.SondeSN = "77";
  r.Abbrev = "KSTQ";
  r.SymName = "Gamma ratio";
  r.FileName = "/opt/quorvanta/Userfunction/KSTQ.Src";
  r.Comment = "test function";
  return r;
}

std::string ChannelText(int n, int headerLine, int displayTrack, int channel, const char* shortTitle) {
  return "[Channel" + std::to_string(n) +
         "]\r\nInvertScale=0\r\nVisible=1\r\nHeaderLine=" + std::to_string(headerLine) +
         "\r\nDisplayTrack=" + std::to_string(displayTrack) + "\r\nTitle=Output " + shortTitle +
         "\r\nTitleShort=" + shortTitle + "\r\nUnit=API\r\nPhysicalCh=" + std::to_string(channel) +
         "\r\nLogicalCh=" + std::to_string(channel + 10) +
         "\r\nWindow=2\r\nLineColour=4278190208\r\nPrintParameter=3\r\nRangeLeft=0.5\r\nRangeRight=1500\r\n\r\n";
}

const std::string kGeneralText =
    "[General]\r\nIdent=QUORVANTA\r\nSondeID=7\r\nInputs=6\r\nOutputs=5\r\nSondeSerialNo=77\r\n"
    "SondeAbbreviation=KSTQ\r\nUPName=Gamma ratio\r\nUserDLL=/opt/quorvanta/Userfunction/KSTQ.Src\r\n"
    "Comment=test function\r\n\r\n";

struct Function {
  explicit Function(const std::string& test)
      : dir(ScratchDir(test)), library(dir + "/KSTQ.so"), ini(dir + "/KSTQ.ini"), bak(dir + "/KSTQ.bak") {}
  std::string dir, library, ini, bak;
};

CurveArray Outputs() {
  CurveArray curves;
  curves.push_back(Output(1, "A", 0, 0));
  curves.push_back(Output(2, "B", 0, 0));
  curves.push_back(Output(-1, "DEPTH", 0, 0));  // no section, no number
  curves.push_back(Output(3, "C", 0, 0));
  curves.push_back(Output(4, "D", 2, 3));
  curves.push_back(Output(5, "E", 3, 3));
  return curves;
}

const std::string kChannelsText = ChannelText(0, 0, 0, 1, "A") + ChannelText(1, 1, 0, 2, "B") +
                                  ChannelText(2, 2, 0, 3, "C") + ChannelText(3, 0, 4, 4, "D") +
                                  ChannelText(4, 1, 3, 5, "E");

TEST(UserFunctionIniTest, WritesTheRecordAndTheOutputsAndReadsThemBack) {
  Function f("ufini_write");
  const CurveArray curves = Outputs();
  const UserFunctionRecord record = Record();
  ASSERT_EQ(SaveUserFunctionIni(f.library, &curves, &record), 1);
  EXPECT_EQ(ReadBytes(f.ini), kGeneralText + kChannelsText);
  EXPECT_FALSE(Exists(f.bak)) << "no previous file, no backup";
  EXPECT_EQ(Crudini(f.ini, "Channel3", "DisplayTrack"), "4");

  CurveArray back;
  UserFunctionRecord read;
  ASSERT_EQ(LoadUserFunctionIni(f.library, &back, &read), 1);
  UserFunctionRecord expected = record;
  expected.UFID = 0;
  EXPECT_EQ(read, expected);
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[3]->firstTrack, 2);
  EXPECT_EQ(back[3]->lastTrack, 3);
  EXPECT_EQ(back[3]->lineColour, 0xFF000080u);
  EXPECT_EQ(back[4]->headerLine, 1);
  EXPECT_EQ(back[0]->scaleMaximum, 1500.0f);
}

TEST(UserFunctionIniTest, WhatIsNotGivenComesFromThePreviousFileWhichBecomesTheBackup) {
  Function f("ufini_copy");
  const CurveArray curves = Outputs();
  const UserFunctionRecord record = Record();
  ASSERT_EQ(SaveUserFunctionIni(f.library, &curves, &record), 1);
  const std::string first = ReadBytes(f.ini);

  ASSERT_EQ(SaveUserFunctionIni(f.library, &curves, nullptr), 1);
  EXPECT_EQ(ReadBytes(f.ini), first) << "the [General] keys come from the backup";
  EXPECT_EQ(ReadBytes(f.bak), first);

  ASSERT_EQ(SaveUserFunctionIni(f.library, nullptr, &record), 1);
  std::string withBlanks = kGeneralText;
  for (const std::string& section :
       {ChannelText(0, 0, 0, 1, "A"), ChannelText(1, 1, 0, 2, "B"), ChannelText(2, 2, 0, 3, "C"),
        ChannelText(3, 0, 4, 4, "D"), ChannelText(4, 1, 3, 5, "E")})
    withBlanks += "\r\n" + section;
  EXPECT_EQ(ReadBytes(f.ini), withBlanks) << "each copied section gets one more blank line";
}

TEST(UserFunctionIniTest, CopiesGoByWholeKeyAndSectionNames) {
  // Names, comments and titles that hold the words the copies look for.
  Function f("ufini_names");
  UserFunctionRecord record = Record();
  record.SymName = "Channel ratio";
  record.FileName = "/opt/Channel tools/KSTQ.Src";
  record.Comment = "SondeID 7, Channel 3 over Channel 1";
  CurveArray curves;
  curves.push_back(Output(1, "A", 0, 0));
  curves.back()->description = "Channel sum";
  ASSERT_EQ(SaveUserFunctionIni(f.library, &curves, &record), 1);
  const std::string general =
      "[General]\r\nIdent=QUORVANTA\r\nSondeID=7\r\nInputs=6\r\nOutputs=5\r\nSondeSerialNo=77\r\n"
      "SondeAbbreviation=KSTQ\r\nUPName=Channel ratio\r\nUserDLL=/opt/Channel tools/KSTQ.Src\r\n"
      "Comment=SondeID 7, Channel 3 over Channel 1\r\n\r\n";
  std::string channel = ChannelText(0, 0, 0, 1, "A");
  channel.replace(channel.find("Title=Output A"), 14, "Title=Channel sum");
  ASSERT_EQ(ReadBytes(f.ini), general + channel);

  ASSERT_EQ(SaveUserFunctionIni(f.library, &curves, nullptr), 1);
  EXPECT_EQ(ReadBytes(f.ini), general + channel) << "UPName, UserDLL and Comment are kept";

  ASSERT_EQ(SaveUserFunctionIni(f.library, nullptr, &record), 1);
  EXPECT_EQ(ReadBytes(f.ini), general + "\r\n" + channel) << "the [General] keys once, the section as it was";
  UserFunctionRecord read;
  ASSERT_EQ(LoadUserFunctionIni(f.library, nullptr, &read), 1);
  EXPECT_EQ(read.Comment, record.Comment);
}

TEST(UserFunctionIniTest, FailedRewriteLeavesThePreviousFile) {
  Function f("ufini_fail");
  WriteBytes(f.ini, kGeneralText);
  const CurveArray curves = Outputs();
  struct Case {
    const char* step;
    const char* box;
  };
  for (Case c :
       {Case{"open", "Can not create Userfunction INI file"}, Case{"write", "Error writing to userfunction INI file."},
        Case{"rename", "Error writing to userfunction INI file."}}) {
    qv::MessageRecorder boxes;
    qv::SetFileFaultHook(
        [&](std::string_view step, const std::string& path) { return step == c.step && path == f.ini; });
    EXPECT_EQ(SaveUserFunctionIni(f.library, &curves, nullptr), 0) << c.step;
    qv::SetFileFaultHook(nullptr);
    EXPECT_EQ(ReadBytes(f.ini), kGeneralText) << c.step;
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{c.box}) << c.step;
  }
  EXPECT_EQ(SaveUserFunctionIni(f.dir + "/NOEXTENSION", &curves, nullptr), 0);
}

TEST(UserFunctionIniTest, ReadingRules) {
  struct Case {
    const char* name;
    std::string text;  // empty: no file
    int result;
    std::string box;
    std::vector<std::string> titles;
  };
  const std::string ours = "[General]\r\nIdent=QUORVANTA\r\n";
  const Case cases[] = {
      {"missing file", "", 0, "Can not read Userfunction ini file", {"kept"}},
      {"ident in other case",
       "[General]\r\nIdent=Quorvanta\r\n[Channel0]\r\nTitleShort=A\r\n",
       0,
       "Can't read this userfunction INI file version.",
       {"kept"}},
      {"NULL skipped, later sections read",
       ours + "[Channel0]\r\nTitleShort=NULL\r\n[Channel1]\r\nTitleShort=B\r\n",
       1,
       "",
       {"B"}},
      {"a missing section ends the reading",
       ours + "[Channel0]\r\nTitleShort=A\r\n[Channel2]\r\nTitleShort=C\r\n",
       1,
       "",
       {"A"}},
  };
  for (const Case& c : cases) {
    Function f("ufini_read");
    if (!c.text.empty()) WriteBytes(f.ini, c.text);
    CurveArray curves;
    curves.push_back(std::make_unique<CurveRecord>());
    curves[0]->shortTitle = "kept";
    qv::MessageRecorder boxes;
    EXPECT_EQ(LoadUserFunctionIni(f.library, &curves, nullptr), c.result) << c.name;
    std::vector<std::string> titles;
    for (const auto& curve : curves) titles.push_back(curve->shortTitle);
    EXPECT_EQ(titles, c.titles) << c.name;
    EXPECT_EQ(Texts(boxes), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box}) << c.name;
  }
  Function f("ufini_defaults");
  WriteBytes(f.ini, ours + "SondeID=3\r\n");
  UserFunctionRecord record;
  ASSERT_EQ(LoadUserFunctionIni(f.library, nullptr, &record), 1);
  EXPECT_EQ(record.SondeID, 3u);
  EXPECT_EQ(record.SondeSN, "0");
  EXPECT_EQ(record.Comment, "0");
}

TEST(UserFunctionIniTest, OutputFilters) {
  Function f("ufini_filters");
  WriteBytes(f.ini,
             "[General]\r\nIdent=QUORVANTA\r\n"
             "[Channel0]\r\nTitle=A\r\nPhysicalCh=1\r\nFilterType=2\r\nFilterWidth=4\r\n"
             "[Channel1]\r\nTitle=B\r\nPhysicalCh=3\r\nFilterType=7\r\nFilterWidth=9\r\n"
             "[Channel2]\r\nTitle=C\r\nPhysicalCh=17\r\nFilterType=1\r\n"
             "[Channel3]\r\nTitle=D\r\nPhysicalCh=16\r\nFilterType=258\r\n"
             // no output has such a number: skipped (its index is never computed)
             "[Channel4]\r\nTitle=E\r\nPhysicalCh=-2147483648\r\nFilterType=1\r\n"
             "[Channel5]\r\nTitle=\r\nPhysicalCh=2\r\nFilterType=1\r\n");
  UserFunctionFilter table[kUserFunctionFilterTableSize];
  table[1].FilterType = 3;
  ReadUserFunctionFilters(f.library, table);
  struct Case {
    int entry;
    UserFunctionFilter expected;
  };
  for (Case c : {Case{0, {2, 5}}, Case{1, {0, 0}}, Case{2, {0, 9}}, Case{15, {2, 1}}})
    EXPECT_EQ(table[c.entry], c.expected) << c.entry;

  table[0] = {7, 11};  // above 4: written back as no filter
  table[2] = {1, 3};
  WriteUserFunctionFilters(f.library, table);
  EXPECT_EQ(table[0], (UserFunctionFilter{0, 0}));
  EXPECT_EQ(Crudini(f.ini, "Channel0", "FilterType"), "0");
  EXPECT_EQ(Crudini(f.ini, "Channel0", "FilterWidth"), "0");
  EXPECT_EQ(Crudini(f.ini, "Channel1", "FilterWidth"), "3");
  EXPECT_EQ(Crudini(f.ini, "Channel4", "FilterType"), "1");
  EXPECT_EQ(Crudini(f.ini, "Channel4", "FilterWidth"), "<missing>");

  qv::MessageRecorder boxes;
  Function missing("ufini_filters_missing");
  table[2] = {1, 3};
  ReadUserFunctionFilters(missing.library, table);
  EXPECT_EQ(table[2], UserFunctionFilter{});
  EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Can not read Userfunction ini file"});
  WriteUserFunctionFilters(missing.library, table);
  EXPECT_FALSE(Exists(missing.ini));
}

}  // namespace
