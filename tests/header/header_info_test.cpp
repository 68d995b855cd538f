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
