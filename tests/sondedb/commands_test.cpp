#include <unistd.h>

#include "platform/text/strings.h"
#include "sondedb/commands.h"
#include "tests/platform/metafile/wmf_builder.h"
#include "tests/sondedb/fixture.h"

namespace {

using Commands = sdbtest::SondeDbTest;

TEST_F(Commands, CommandsOfOneSonde) {
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber) VALUES (1, 'CAL', '1'), (2, 'CAL', '2'), (3, 'NONE', '')");
  Sql("INSERT INTO SONDECOMMAND VALUES (10, 'Open arms', 101, 5, 1, 'Arms open'), (11, 'Gain', 102, NULL, NULL, '255'),"
      " (12, 'Other', 103, 0, 0, '')");
  Sql("INSERT INTO COMMANDSOFSONDES VALUES (1, 10), (1, 11), (2, 11), (2, 12)");
  std::vector<qv::SondeCommandRecord> cmds;
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  rs.Open(qv::SondeQuery("CAL", "1"));
  ASSERT_EQ(qv::LoadSondeCommands(cmds, &rs), 1);
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(cmds[0].CommandName, "Open arms");
  EXPECT_EQ(cmds[0].CommandStatus, "Arms open");
  EXPECT_EQ(std::vector<int>({cmds[0].CommandCode, cmds[0].ParameterLSB, cmds[0].ParameterMSB}),
            std::vector<int>({101, 5, 1}));
  EXPECT_EQ(cmds[1].CommandStatus, "255");
  EXPECT_EQ(std::vector<int>({cmds[1].ParameterLSB, cmds[1].ParameterMSB}), std::vector<int>({0, 0}));
  // A sonde without commands leaves the list as it was.
  rs.Open(qv::SondeQuery("NONE", ""));
  EXPECT_EQ(qv::LoadSondeCommands(cmds, &rs), 1);
  EXPECT_EQ(cmds.size(), 2u);
  // Two sondes share the abbreviation: nothing loaded.
  rs.Open(qv::SondeQuery("CAL", ""));
  EXPECT_EQ(qv::LoadSondeCommands(cmds, &rs), 0);
  EXPECT_EQ(cmds.size(), 2u);
  EXPECT_EQ(qv::LoadSondeCommands(cmds, nullptr), 0);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Commands, PicturesLoadOrAreRefusedWithABox) {
  mkdir((folder_ + "/SondePictures").c_str(), 0755);
  wmftest::Builder b;
  b.Rectangle(0, 0, 10, 10);
  const auto placeable = b.Placeable(0, 0, 10, 10);
  mkdir((folder_ + "/SondePictures/Tools").c_str(), 0755);
  sdbtest::WriteFile(folder_ + "/SondePictures/Tools/Kstq.WMF", std::string(placeable.begin(), placeable.end()));
  // A stored name with a backslash and another letter case finds the file.
  auto pic = qv::LoadMetafile(qv::SondePicturePath("Tools\\kstq.wmf"));
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->form, qv::wmf::Form::Placeable);
  ASSERT_EQ(pic->commands.size(), 1u);
  EXPECT_TRUE(boxes_.empty());

  auto plain = b.Plain();
  plain[6] = plain[7] = plain[8] = plain[9] = 0;  // no size
  std::vector<uint8_t> corrupt = b.Plain();
  corrupt[18] = 0xFF;  // first record far larger than the file
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string caption, text;
  } cases[] = {
      {"nosize.wmf", plain, "", qv::LoadString(32138)},
      {"corrupt.wmf", corrupt, "Common Error", ""},
      {"missing.wmf", {}, "Common Error", "No such file or directory"},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    const std::string path = folder_ + "/SondePictures/" + c.name;
    if (!c.bytes.empty()) sdbtest::WriteFile(path, std::string(c.bytes.begin(), c.bytes.end()));
    EXPECT_EQ(qv::LoadMetafile(path), nullptr) << c.name;
    ASSERT_EQ(boxes_.size(), 1u) << c.name;
    EXPECT_EQ(boxes_[0].caption, c.caption) << c.name;
    if (!c.text.empty()) {
      EXPECT_EQ(boxes_[0].text, c.text) << c.name;
    }
  }
}

}  // namespace
