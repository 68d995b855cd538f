#include "header/header_info.h"

#include <gtest/gtest.h>

#include "header/header.h"

namespace {

TEST(SplitTrailerTextTest, SplitsAtCrLfAndTrimsTrailingSpace) {
  struct Case {
    const char* name;
    std::string text;
    TrailerText expected;
  };
  const Case cases[] = {
      {"two lines", "A\r\nB", {"A", "B", "", ""}},
      {"six lines keep four", "1\r\n2\r\n3\r\n4\r\n5\r\n6", {"1", "2", "3", "4"}},
      {"a fourth pair ends the last line", "1\r\n2\r\n3\r\n4\r\n", {"1", "2", "3", "4"}},
      {"trailing blanks go, leading stay", "A   \r\n  B", {"A", "  B", "", ""}},
      {"bare line feeds are no breaks", "A\nB\n", {"A\nB", "", "", ""}},
      {"every kind of trailing white space", "A \t\v\f\r", {"A", "", "", ""}},
      {"empty text", "", {"", "", "", ""}},
  };
  for (const Case& c : cases) {
    TrailerText trailer{"old", "old", "old", "old"};
    std::string text = c.text;
    SplitTrailerText(trailer, text, 1);
    EXPECT_EQ(trailer, c.expected) << c.name;
    EXPECT_EQ(text, c.text) << c.name << ": the text itself is not changed";
  }
}

TEST(SplitTrailerTextTest, JoinSkipsEmptyLinesAndSplitReadsItBack) {
  struct Case {
    TrailerText lines;
    std::string joined;
  };
  const Case cases[] = {
      {{"A", "", "C", ""}, "A\r\nC"},
      {{"", "", "", ""}, ""},
      {{"A", "B", "C", "D"}, "A\r\nB\r\nC\r\nD"},
      {{"", "  ", "", "x"}, "  \r\nx"},
  };
  for (const Case& c : cases) {
    std::string text = "stale";
    TrailerText lines = c.lines;
    SplitTrailerText(lines, text, 0);
    EXPECT_EQ(text, c.joined);
    EXPECT_EQ(lines, c.lines);
  }
  TrailerText back;
  std::string text = "A\r\nC";
  SplitTrailerText(back, text, 1);
  EXPECT_EQ(back, (TrailerText{"A", "C", "", ""})) << "an empty middle line does not survive";
}

TEST(HeaderInfoTest, ClearZeroesNumbersKeepsTextsAndCopiesAreWhole) {
  HeaderInfo info;
  info.Company = "Acme Drilling";
  info.Comment[9] = "last remark";
  info.SondeLength = 250;
  info.RecLineSize = 64;
  info.Startdepth = 1000;
  info.Step = 100;
  info.RunNo3 = 3;
  info.Zero = 1.5f;
  info.CasRecTo3 = 99.5f;
  info.MaxTemperature2 = 41.0f;

  HeaderInfo copy(info);
  EXPECT_EQ(copy, info);
  HeaderInfo assigned;
  assigned = info;
  EXPECT_EQ(assigned, info);

  ClearHeaderInfo(&info);
  HeaderInfo expected;
  expected.Company = "Acme Drilling";
  expected.Comment[9] = "last remark";
  EXPECT_EQ(info, expected);
  ClearHeaderInfo(nullptr);
}

}  // namespace

#include <limits>

#include "header/text_lines.h"
#include "tests/header/test_support.h"

namespace {

TEST(TextLinesTest, LinesAreWrittenWithCrLfAndReplaceTheFileOnCommit) {
  const std::string path = ScratchDir("text_lines") + "/USER.INI";
  WriteBytes(path, "old content\r\n");
  TextLineFile file(path);
  ASSERT_TRUE(file.Create());
  EXPECT_EQ(WriteIniSection(file, "General"), 1);
  EXPECT_EQ(WriteIniString(file, "Ident", "QUORVANTA"), 1);
  EXPECT_EQ(WriteIniInt(file, "Outputs", -3), 1);
  EXPECT_EQ(WriteIniUInt(file, "Inputs", 4000000000u), 1);
  EXPECT_EQ(WriteIniFloat(file, "Gain", 0.000125), 1);
  EXPECT_EQ(WriteIniFloat(file, "Bad", std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_EQ(WriteIniByte(file, "Type", static_cast<std::int8_t>(-2)), 1);
  EXPECT_EQ(WriteIniBlankLine(file), 1);
  EXPECT_EQ(WriteIniIndexedSection(file, "Channel", 3), 1);
  EXPECT_EQ(WriteIniIndexedSection(file, "Channel", -1), 1);
  EXPECT_EQ(ReadBytes(path), "old content\r\n") << "nothing reaches the file before the commit";
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(path),
            "[General]\r\nIdent=QUORVANTA\r\nOutputs=-3\r\nInputs=4000000000\r\nGain=0.000125\r\nBad=0\r\n"
            "Type=-2\r\n\r\n[Channel3]\r\n[Channel]\r\n");

  TextLineFile abandoned(path);
  ASSERT_TRUE(abandoned.Create());
  WriteTextLine(abandoned, "partial\n");
  abandoned.Abort();
  EXPECT_EQ(WriteTextLine(abandoned, "more\n"), 0);
  EXPECT_FALSE(abandoned.Commit());
  EXPECT_NE(ReadBytes(path).find("[General]"), std::string::npos);
}

}  // namespace
