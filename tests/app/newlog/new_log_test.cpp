// The widget-free side of a new log: tool types of sondes and data files,
// free log file names and the channel table.
#include "app/newlog/new_log.h"

#include <gtest/gtest.h>

#include "tests/app/newlog/fixture.h"

namespace {

using newlogtest::Write;

class NewLogTest : public newlogtest::ProgramFolderTest {};

TEST_F(NewLogTest, ToolTypeOfDataFilesByExtensionAndCompanionsWhateverTheLetterCase) {
  const std::string dir = folder_ + "/run.1";
  Write(dir + "/F.log", "");
  Write(dir + "/f.Vdl", "");
  Write(dir + "/C.LOG", "");
  Write(dir + "/c.cbl", "");
  Write(dir + "/B.Log", "");  // both companions: the full-wave file wins
  Write(dir + "/b.VDL", "");
  Write(dir + "/b.CBL", "");
  Write(dir + "/S.HED", "[WellInfo]\r\nComStd=27\r\n");
  Write(dir + "/L.hed", "[WellInfo]\r\nComStd=26\r\n");
  Write(dir + "/H.Hed", "[WellInfo]\r\nComStd=29\r\n");
  Write(dir + "/T.hed", "[WellInfo]\r\nComStd=30\r\n");
  Write(dir + "/V.HED", "[WellInfo]\r\nComStd=25\r\n");
  struct Case {
    const char* name;
    int type;
  } const cases[] = {
      {"F.log", 4}, {"C.LOG", 5},  {"B.Log", 4}, {"P.log", 1}, {"S.lgx", 10}, {"L.LGX", 10}, {"H.Lgx", 10},
      {"T.LGX", 8}, {"V.lgx", 8},  {"U.LGX", 8}, {"X.btv", 2}, {"X.BTV", 2},  {"X.CBL", 5},  {"X.cbl", 5},
      {"X.vdl", 4}, {"X.txt", -1}, {"X.", -1},   {"LOG", 1},   {"NODOT", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(qv::GetToolType(dir + "/" + c.name, true), c.type) << c.name;
  EXPECT_EQ(qv::GetComStd(dir + "/S.lgx", true), 27);
  EXPECT_EQ(qv::GetComStd(dir + "/U.LGX", true), 0);
}

TEST_F(NewLogTest, ToolTypeAndComStdOfTheShippedSondes) {
  struct Case {
    const char* sonde;
    int type;
    int comStd;
  } const cases[] = {{"KSTQ", 1, 1}, {"BTVS", 2, 12}, {"FWSS", 4, 4},   {"CBLS", 5, 3},
                     {"HPFM", 6, 5}, {"TWCH", 8, 8},  {"SONQ", 10, 26}, {"NONE", -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(qv::GetToolType(c.sonde, false), c.type) << c.sonde;
    EXPECT_EQ(qv::GetComStd(c.sonde, false), c.comStd) << c.sonde;
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(NewLogTest, ToolTypeOfASondeIsMinusOneWithoutADatabase) {
  std::filesystem::remove(folder_ + "/SondeDB/quorva.db");
  EXPECT_EQ(qv::GetToolType("KSTQ", false), -1);
}

TEST_F(NewLogTest, UniqueFileNameCountsOnPastTakenNamesWhateverTheirCase) {
  const std::string data = folder_ + "/DATA/";
  std::string name = "NEWLOG";
  qv::MakeUniqueFileName(name, data, "LOG");
  EXPECT_EQ(name, "NEWLOG");
  Write(data + "NEWLOG.LOG", "");
  Write(data + "newlog1.log", "");
  qv::MakeUniqueFileName(name, data, "LOG");
  EXPECT_EQ(name, "NEWLOG2");
  name = "NEWLOG";
  qv::MakeUniqueFileName(name, data, "LGX");
  EXPECT_EQ(name, "NEWLOG");
}

TEST_F(NewLogTest, ChannelTableTakesTheFirstSixteenCurvesWithAChannel) {
  CurveArray curves;
  for (int ch : {-1, 3, 17, 0, 1}) {
    curves.push_back(std::make_unique<CurveRecord>());
    curves.back()->physicalChannel = ch;
    curves.back()->shortTitle = "C" + std::to_string(ch);
  }
  for (int i = 0; i < 20; ++i) {
    curves.push_back(std::make_unique<CurveRecord>());
    curves.back()->physicalChannel = 16;
  }
  std::array<qv::LogChannel, qv::kLogChannels> table;
  table[15].physicalChannel = 99;
  qv::FillChannelTable(curves, table);
  EXPECT_EQ(table[0].shortTitle, "C3");
  EXPECT_EQ(table[1].shortTitle, "C1");
  EXPECT_EQ(table[2].physicalChannel, 16);
  EXPECT_EQ(table[15].physicalChannel, 16);
  curves.resize(2);
  qv::FillChannelTable(curves, table);
  EXPECT_EQ(table[0].physicalChannel, 3);
  EXPECT_EQ(table[1].physicalChannel, -1);
}

TEST_F(NewLogTest, LogModesOfTheRadioGroup) {
  const int expected[] = {0, 11, 12, 10, 13, 0};
  for (int i = -1; i <= 4; ++i) EXPECT_EQ(qv::LogModeOfRadio(i), expected[i + 1]) << i;
}

}  // namespace
