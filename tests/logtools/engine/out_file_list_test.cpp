#include "logtools/engine/out_file_list.h"

#include <gtest/gtest.h>

TEST(OutFileList, FreeEntriesAndLabels) {
  qv::COutFileList list(12);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_FALSE(list.IsFull());
  EXPECT_EQ(list.GetShortTitle(0), ".......................");
  EXPECT_EQ(list.GetLabel(11), "-.-");
  EXPECT_EQ(list.GetEntry(11).outChannel, 12);
  ASSERT_EQ(list.Add(4, 0, "GAM", "Gamma", 1), 1);
  EXPECT_EQ(list.GetLabel(0), "1.5");
  EXPECT_EQ(list.GetInFile(0), 0);
  EXPECT_EQ(list.GetLabel(-1), "-.-");  // outside the list
}

TEST(OutFileList, AddRemoveAndPositions) {
  qv::COutFileList list(12);
  ASSERT_EQ(list.Add(0, 0, "A", "a", 1), 1);
  ASSERT_EQ(list.Add(1, 0, "B", "b", 1), 1);
  ASSERT_EQ(list.Add(2, 0, "C", "c", 1), 1);
  ASSERT_EQ(list.Remove(1, 0), 1);
  EXPECT_EQ(list.GetLabel(1), "-.-");
  EXPECT_EQ(list.Remove(1, 0), 0);
  // The freed position is the first free one again.
  ASSERT_EQ(list.Add(4, 0, "E", "e", 1), 1);
  EXPECT_EQ(list.GetLabel(1), "1.5");
  // An asked position is honoured, also with free positions before it.
  ASSERT_EQ(list.Add(0, 2, "F", "f", 1, 9), 1);
  EXPECT_EQ(list.GetShortTitle(8), "F");
  EXPECT_EQ(list.GetLabel(8), "3.1");

  struct Refused {
    const char* what;
    int channel, slot;
    const char* shortTitle;
    int position;
  };
  const Refused refused[] = {
      {"short title in another case", 7, 1, "a", -1},
      {"position taken", 7, 1, "X", 9},
      {"position 0", 7, 1, "X", 0},
      {"position beyond the list", 7, 1, "X", 13},
  };
  for (const auto& r : refused) EXPECT_EQ(list.Add(r.channel, r.slot, r.shortTitle, "x", 1, r.position), 0) << r.what;

  EXPECT_EQ(list.Contains(2, 0), 1);
  EXPECT_EQ(list.ShortTitleExists("e"), 1);
  EXPECT_EQ(list.Rename(2, 0, ""), 0);
  EXPECT_EQ(list.Rename(2, 0, "CC"), 1);
  EXPECT_EQ(list.GetShortTitle(2), "CC");
  list.RemoveFile(0);
  int active = -1;
  EXPECT_EQ(list.CountActive(&active), 0);
  EXPECT_EQ(active, 1);  // only slot 2's entry is left
  EXPECT_EQ(list.GetShortTitle(0), ".......................");
}

TEST(OutFileList, FullListRefusesFurtherChannels) {
  qv::COutFileList list(12);
  for (int i = 0; i < 12; ++i) ASSERT_EQ(list.Add(i, 0, "T" + std::to_string(i), "t", 1), 1);
  EXPECT_TRUE(list.IsFull());
  int active = 0;
  EXPECT_EQ(list.CountActive(&active), 1);
  EXPECT_EQ(active, 12);
  EXPECT_EQ(list.Add(0, 1, "NEW", "n", 1), 0);
}
