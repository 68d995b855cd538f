#include "logtools/engine/channel_reader.h"

#include <gtest/gtest.h>

#include <climits>

#include "fixtures.h"

using namespace qvtest;

namespace {

// Four twelve-channel records; channel k of record i holds i * 100 + k.
std::string TwelveFile() {
  std::string bytes;
  for (int i = 0; i < 4; ++i) {
    std::vector<float> v;
    for (int k = 1; k <= 12; ++k) v.push_back(static_cast<float>(i * 100 + k));
    bytes += TwelveRecord(999, 0, 0xFFF, 0, v);
  }
  return bytes;
}

// Four six-channel records; count k of record i is i * 10 + k; record 2 has
// rate 25, record 3 rate 0.
std::string SixFile() {
  std::string bytes;
  const std::uint8_t rates[] = {50, 50, 25, 0};
  for (int i = 0; i < 4; ++i) {
    std::vector<std::uint16_t> c;
    for (int k = 1; k <= 6; ++k) c.push_back(static_cast<std::uint16_t>(i * 10 + k));
    bytes += SixRecord(0, rates[i], c);
  }
  return bytes;
}

struct ReadCase {
  const char* what;
  bool twelve;
  int logMode;
  int channel;
  int step;
  long long depth;
  double expected;
};

}  // namespace

TEST(ChannelReader, FindsTheRecordFromDepthRangeStepAndDirection) {
  std::string dir = FreshFolder("reader");
  WriteBytes(dir + "/T.LGX", TwelveFile());
  WriteBytes(dir + "/S.LOG", SixFile());
  // Depth range 1000 .. 1030, step 10: four records.
  const ReadCase cases[] = {
      {"up: the deepest depth is record 0", true, 11, 3, 10, 1030, 3},
      {"up: one step shallower is record 1", true, 11, 3, 10, 1020, 103},
      {"up: between two depths reads the earlier record", true, 11, 12, 10, 1025, 12},
      {"down: the shallowest depth is record 0", true, 12, 1, 10, 1000, 1},
      {"down: the deepest depth is record 3", true, 12, 1, 10, 1030, 301},
      {"below the range", true, 12, 1, 10, 999, 0},
      {"above the range", true, 12, 1, 10, 1031, 0},
      {"channel 0", true, 12, 0, 10, 1000, 0},
      {"channel 13", true, 12, 13, 10, 1000, 0},
      {"time log", true, 10, 1, 10, 1000, 0},
      {"step 0 gives no record", true, 12, 1, 0, 1010, 0},
      {"negative step gives no record", true, 12, 1, -10, 1010, 0},
      {"record beyond a short file", true, 12, 1, 5, 1030, 0},
      {"six: rate 50", false, 12, 2, 10, 1010, 12},
      {"six: rate 25 doubles the count", false, 12, 4, 10, 1020, 48},
      {"six: rate 0 reads as 50", false, 12, 6, 10, 1030, 36},
      {"six: channel 7 does not exist", false, 12, 7, 10, 1000, 0},
      {"six: up log", false, 11, 1, 10, 1030, 1},
  };
  for (const auto& c : cases) {
    qv::LogFile file;
    ASSERT_TRUE(file.Open(dir + (c.twelve ? "/T.LGX" : "/S.LOG")));
    qv::ChannelReader reader;
    reader.Init(&file, 1030, 1000, c.step, c.channel, c.logMode, c.twelve ? 1 : 0);
    EXPECT_DOUBLE_EQ(reader.GetValue(c.depth), c.expected) << c.what;
  }
}

TEST(ChannelReader, UnusableSetUpsGiveZero) {
  qv::ChannelReader unset;
  EXPECT_EQ(unset.GetValue(0), 0.0);
  qv::LogFile closed;
  qv::ChannelReader onClosed;
  onClosed.Init(&closed, 0, 100, 10, 1, 12, 1);
  EXPECT_EQ(onClosed.GetValue(50), 0.0);
}

TEST(ChannelReader, HugeRangesDoNotOverflowTheOffset) {
  std::string dir = FreshFolder("reader-huge");
  WriteBytes(dir + "/T.LGX", TwelveFile());
  qv::LogFile file;
  ASSERT_TRUE(file.Open(dir + "/T.LGX"));
  qv::ChannelReader reader;
  reader.Init(&file, INT_MIN, INT_MAX, 1, 1, 12, 1);
  EXPECT_EQ(reader.GetValue(INT_MAX), 0.0);  // record 4294967295, far past the end
  EXPECT_EQ(reader.GetValue(INT_MIN + 2), 201.0);
}

TEST(ChannelReader, ReadersSharingAFileSeeEachOthersRecords) {
  std::string dir = FreshFolder("reader-shared");
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += TwelveRecord(i, 0, 0xFFF, 0, {static_cast<float>(i), -static_cast<float>(i)});
  WriteBytes(dir + "/T.LGX", bytes);
  qv::LogFile file;
  ASSERT_TRUE(file.Open(dir + "/T.LGX"));
  qv::ChannelReader a, b;
  a.Init(&file, 0, 2999, 1, 1, 12, 1);
  b.Init(&file, 0, 2999, 1, 2, 12, 1);
  // Interleaved and jumping across cache blocks both ways.
  for (int d : {0, 2999, 1024, 1023, 2048, 5, 2998}) {
    EXPECT_EQ(a.GetValue(d), d);
    EXPECT_EQ(b.GetValue(d), -d);
  }
  file.Abort();
  EXPECT_EQ(a.GetValue(5), 0.0);
  EXPECT_EQ(b.GetValue(5), 0.0);
}

// More readers than the file keeps blocks for, each in a block of its own,
// walking in step and then jumping back: every value is still the record's,
// whichever blocks had to make room.
TEST(ChannelReader, ManyReadersFarApartWalkInStep) {
  std::string dir = FreshFolder("reader-many");
  std::string bytes;
  constexpr int kRecords = 40000;
  for (int i = 0; i < kRecords; ++i) bytes += TwelveRecord(i, 0, 0xFFF, 0, {static_cast<float>(i)});
  WriteBytes(dir + "/T.LGX", bytes);
  qv::LogFile file;
  ASSERT_TRUE(file.Open(dir + "/T.LGX"));
  constexpr int kReaders = 24;
  std::vector<qv::ChannelReader> readers(kReaders);
  for (auto& r : readers) r.Init(&file, 0, kRecords - 1, 1, 1, 12, 1);
  for (int step = 0; step < 1500; ++step)
    for (int k = 0; k < kReaders; ++k) {
      const int d = k * 1500 + step;
      ASSERT_EQ(readers[k].GetValue(d), d) << "reader " << k << " step " << step;
    }
  for (int k = kReaders; k-- > 0;) EXPECT_EQ(readers[k].GetValue(k * 1000 + 7), k * 1000 + 7);
  EXPECT_EQ(readers[0].GetValue(kRecords), 0.0);  // past the end
}

// Values read as a walk give what one read per depth gives, whether the walk
// goes one record a step either way, crosses the log's ends and the cache's
// blocks, runs past the end of a short file, or moves by another step.
TEST(ChannelReader, AWalkReadsWhatSingleValuesRead) {
  std::string dir = FreshFolder("reader-walk");
  std::string twelve, six;
  constexpr int kRecords = 2500;  // the log's range holds 2600: the file is short
  for (int i = 0; i < kRecords; ++i) {
    twelve += TwelveRecord(i, 0, 0xFFF, 0, {static_cast<float>(i), 0.5f * static_cast<float>(i)});
    six += SixRecord(0, static_cast<std::uint8_t>(i % 3 == 0 ? 0 : 25 + i % 50),
                     {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(7 * i)});
  }
  WriteBytes(dir + "/T.LGX", twelve);
  WriteBytes(dir + "/S.LOG", six);
  struct WalkCase {
    const char* what;
    bool twelve;
    int logMode;
    int channel;
    long long first;
    long long depthStep;
    std::size_t count;
  };
  // The log runs from 1000 to 27000 in steps of 10.
  const WalkCase cases[] = {
      {"down, walking down from above the log", true, 12, 2, 500, 10, 3000},
      {"down, walking up from past the end", true, 12, 1, 27500, -10, 2800},
      {"up, walking down", true, 11, 2, 900, 10, 2800},
      {"up, walking up across the end of the data", true, 11, 1, 27100, -10, 2900},
      {"down, a step of two records", true, 12, 1, 1000, 20, 1400},
      {"down, half a record a step", true, 12, 2, 995, 5, 900},
      {"six channels, down", false, 12, 2, 700, 10, 2900},
      {"six channels, up, walking up", false, 11, 1, 27200, -10, 2900},
      {"a channel that does not exist", false, 12, 7, 1000, 10, 20},
      {"a walk that does not move", true, 12, 1, 1500, 0, 5},
  };
  for (const auto& c : cases) {
    qv::LogFile walked, single;
    ASSERT_TRUE(walked.Open(dir + (c.twelve ? "/T.LGX" : "/S.LOG")));
    ASSERT_TRUE(single.Open(dir + (c.twelve ? "/T.LGX" : "/S.LOG")));
    qv::ChannelReader a, b;
    a.Init(&walked, 27000, 1000, 10, c.channel, c.logMode, c.twelve ? 1 : 0);
    b.Init(&single, 27000, 1000, 10, c.channel, c.logMode, c.twelve ? 1 : 0);
    std::vector<double> got(c.count, -1.0);
    std::size_t next = 0;
    a.ForEachValue(c.first, c.depthStep, c.count, [&](std::size_t i, double v) {
      EXPECT_EQ(i, next++) << c.what;
      got[i] = v;
    });
    EXPECT_EQ(next, c.count) << c.what;
    int nonZero = 0;
    for (std::size_t i = 0; i < c.count; ++i) {
      const double expected = b.GetValue(c.first + static_cast<long long>(i) * c.depthStep);
      nonZero += expected != 0;
      ASSERT_EQ(got[i], expected) << c.what << ", value " << i;
    }
    if (c.channel <= 6) {
      EXPECT_GT(nonZero, 0) << c.what;
    }
  }
}
