#include "logtools/engine/merge.h"

#include <gtest/gtest.h>

#include "fixtures.h"
#include "header/header.h"
#include "header/section_access.h"
#include "logtools/engine/staged_output.h"
#include "tests/support/test_files.h"
#include "platform/profile/profile.h"

using namespace qvtest;

namespace {

// A Channel%u section as the log documents write them.
std::string ChannelSection(int index, int physical, const std::string& shortTitle, int offset = 0, int filterType = 0,
                           int filterWidth = 1) {
  return "[Channel" + std::to_string(index) + "]\r\nTitle=" + shortTitle + " long\r\nTitleShort=" + shortTitle +
         "\r\nUnit=CPS\r\nPhysicalCh=" + std::to_string(physical) + "\r\nFilterType=" + std::to_string(filterType) +
         "\r\nFilterWidth=" + std::to_string(filterWidth) + "\r\nOffset=" + std::to_string(offset) +
         "\r\nCalFlag=1\r\n";
}

// Slot 0: a six-channel log down from 1000 to 1050, step 10; count k of
// record i is 10 i + k. Slot 1: a twelve-channel log down from 1020 to 1080,
// step 20; channel k of record i holds 100 i + k.
struct TwoLogs {
  std::string dir, a, b;
  explicit TwoLogs(const char* name) : dir(FreshFolder(name)), a(dir + "/A.LOG"), b(dir + "/B.LGX") {
    std::string six;
    for (int i = 0; i < 6; ++i)
      six += SixRecord(0, 50, {static_cast<std::uint16_t>(10 * i + 1), static_cast<std::uint16_t>(10 * i + 2)});
    WriteBytes(a, six);
    WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 1000, .endDepth = 1050, .step = 10, .sonde = "SIXA"},
                ChannelSection(0, 1, "GAM", 0, 2, 5) + ChannelSection(1, 2, "RES"));
    std::string twelve;
    for (int i = 0; i < 4; ++i) {
      std::vector<float> v;
      for (int k = 1; k <= 12; ++k) v.push_back(static_cast<float>(100 * i + k));
      twelve += TwelveRecord(1020 + 20 * i, 5, 0xFFF, 9, v);
    }
    WriteBytes(b, twelve);
    WriteHeader(dir + "/B.hed", {.logMode = 12, .startDepth = 1020, .endDepth = 1080, .step = 20, .sonde = "TWLB"},
                ChannelSection(0, 3, "TMP") + ChannelSection(1, 12, "COND"));
  }
  qv::MergeParameters Params(const std::string& out) const {
    qv::MergeParameters p;
    p.outputPath = out;
    p.headerSource = a;
    p.userLibrary = "/u/MRGE.DLL";
    p.userFlag = 1;
    p.channels = {{"GAM", "Gamma", a, 0, 1, 1, 0}, {"CND", "Conductivity", b, 1, 12, 3, 1}};
    p.channelCount = 2;
    return p;
  }
};

}  // namespace

TEST(Merge, TwoInputsOnTheFinestGrid) {
  TwoLogs logs("merge-two");
  const std::string out = logs.dir + "/M.LGX";
  WriteBytes(logs.dir + "/M.hed", "[Stale]\r\nKey=1\r\n");
  auto p = logs.Params(out);
  ASSERT_EQ(qv::MergeLogFiles(&p), 1);

  std::string bytes = ReadBytes(out);
  ASSERT_EQ(bytes.size(), 9u * 64);  // 1000 to 1080 in steps of 10
  for (int i = 0; i < 9; ++i) {
    const std::size_t o = i * 64;
    const int d = 1000 + 10 * i;
    EXPECT_EQ(Int32At(bytes, o), d) << "depth in header units";
    EXPECT_EQ(Int32At(bytes, o + 4), 0);
    EXPECT_EQ(Int32At(bytes, o + 8), 0x0FFF);
    EXPECT_EQ(FloatAt(bytes, o + 16), i <= 5 ? 10 * i + 1 : 0) << "output 1 from slot 0 channel 1";
    EXPECT_EQ(FloatAt(bytes, o + 20), 0.0f) << "output 2 is not in use";
    const float b = d < 1020 ? 0.0f : static_cast<float>(100 * ((d - 1020) / 20) + 12);
    EXPECT_EQ(FloatAt(bytes, o + 24), b) << "output 3 from slot 1 channel 12, each record used twice";
  }

  const std::string h = logs.dir + "/M.hed";
  HeaderInfo info;
  ASSERT_EQ(ReadLogHeader(out, nullptr, &info, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(info.Startdepth, 1000);
  EXPECT_EQ(info.EndDepth, 1080);
  EXPECT_EQ(info.Step, 10);
  EXPECT_EQ(info.SondeAbbreviation, "MRGE");
  struct Key {
    const char* section;
    const char* key;
    const char* value;
  };
  const Key keys[] = {
      {"General", "Ident", "QUORVANTA"},
      {"General", "Revision", "V1.5, Build: 406"},
      {"General", "LogType", "2"},
      {"General", "UserProcessFlag", "1"},
      {"General", "UserDLL", "/u/MRGE.DLL"},
      {"General", "SondeLength", "0"},
      {"File1", "FileName", "M.lgx"},
      {"File1", "RecLineSize", "64"},
      {"Channel0", "TitleShort", "DPTH"},
      {"Channel0", "PhysicalCh", "-1"},
      {"Channel1", "DataOffset", "4"},
      {"Channel2", "TitleShort", "GAM"},
      {"Channel2", "Title", "Gamma"},
      {"Channel2", "DataOffset", "16"},
      {"Channel2", "FilterType", "2"},
      {"Channel2", "FilterWidth", "5"},
      {"Channel2", "Offset", "0"},
      {"Channel2", "CalFlag", "1"},
      {"Channel3", "TitleShort", "CND"},
      {"Channel3", "PhysicalCh", "3"},
      {"Channel3", "DataOffset", "24"},
      {"Channel3", "SampleType", "8"},
      {"Stale", "Key", ""},
  };
  for (const auto& k : keys) EXPECT_EQ(qv::GetProfileText(h, k.section, k.key), k.value) << k.section << "." << k.key;
}

TEST(Merge, AnUpHeaderSourceStepsDownFromTheDeepestDepth) {
  TwoLogs logs("merge-up");
  WriteHeader(logs.dir + "/U.hed", {.logMode = 11, .startDepth = 0, .endDepth = 0, .step = 10});
  auto p = logs.Params(logs.dir + "/M.LGX");
  p.headerSource = logs.dir + "/U.LOG";
  ASSERT_EQ(qv::MergeLogFiles(&p), 1);
  std::string bytes = ReadBytes(logs.dir + "/M.LGX");
  ASSERT_EQ(bytes.size(), 9u * 64);
  EXPECT_EQ(Int32At(bytes, 0), 1080);
  EXPECT_EQ(FloatAt(bytes, 24), 312.0f);
  EXPECT_EQ(Int32At(bytes, 8 * 64), 1000);
  EXPECT_EQ(FloatAt(bytes, 8 * 64 + 16), 1.0f);
}

TEST(Merge, SensorOffsetsMoveEachChannelsWindow) {
  struct Case {
    const char* what;
    int logMode, depthUnit, sondeLength, offset, expectedStart;
  };
  const Case cases[] = {
      {"down, metres", 12, 0, 300, 50, 2500},
      {"up, metres", 11, 0, 300, 50, -500},
      {"down, feet", 12, 1, 300, 50, 8202},
  };
  for (const auto& c : cases) {
    std::string dir = FreshFolder("merge-offset");
    WriteBytes(dir + "/A.LOG", SixRecord(0, 50, {1}));
    WriteHeader(dir + "/A.hed",
                {.logMode = c.logMode,
                 .depthUnit = c.depthUnit,
                 .startDepth = 0,
                 .endDepth = 0,
                 .step = 10,
                 .sondeLength = c.sondeLength},
                ChannelSection(0, 1, "GAM", c.offset));
    qv::MergeParameters p;
    p.outputPath = dir + "/M.LGX";
    p.headerSource = dir + "/A.LOG";
    p.channels = {{"GAM", "Gamma", dir + "/A.LOG", 0, 1, 1, 0}};
    p.channelCount = 1;
    ASSERT_EQ(qv::MergeLogFiles(&p), 1) << c.what;
    HeaderInfo info;
    ReadLogHeader(p.outputPath, nullptr, &info, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(info.Startdepth, c.expectedStart) << c.what;
    EXPECT_EQ(Int32At(ReadBytes(p.outputPath), 0), c.expectedStart) << c.what;
  }
}

TEST(Merge, RefusedMergesChangeNothing) {
  TwoLogs logs("merge-refused");
  WriteBytes(logs.dir + "/S.LGX", std::string(2112, '\0'));
  WriteHeader(logs.dir + "/S.hed", {.logMode = 12, .startDepth = 0, .endDepth = 0, .comStd = 27},
              ChannelSection(0, 1, "SON"));
  WriteBytes(logs.dir + "/Z.LOG", SixRecord(0, 50, {1}));
  WriteHeader(logs.dir + "/Z.hed", {.logMode = 12, .startDepth = 0, .endDepth = 100, .step = 0},
              ChannelSection(0, 1, "ZER"));
  // A data file that is a FIFO nobody writes: refused, never waited on.
  qv::test::MakeFifo(logs.dir, "F.LOG");
  WriteHeader(logs.dir + "/F.hed", {.logMode = 12, .startDepth = 0, .endDepth = 100}, ChannelSection(0, 1, "FIF"));
  qv::test::Watchdog watchdog;
  const auto before = Snapshot(logs.dir);
  struct Case {
    const char* what;
    void (*change)(qv::MergeParameters&, const TwoLogs&);
  };
  const Case cases[] = {
      {"output is an input", [](qv::MergeParameters& p, const TwoLogs& l) { p.outputPath = l.b; }},
      {"output shares an input's header",
       [](qv::MergeParameters& p, const TwoLogs& l) { p.outputPath = l.dir + "/A.LGX"; }},
      {"output without extension", [](qv::MergeParameters& p, const TwoLogs& l) { p.outputPath = l.dir + "/M"; }},
      {"sonic input",
       [](qv::MergeParameters& p, const TwoLogs& l) {
         p.channels[1].inputPath = l.dir + "/S.LGX", p.channels[1].inChannel = 1;
       }},
      {"input with step 0",
       [](qv::MergeParameters& p, const TwoLogs& l) {
         p.channels[1].inputPath = l.dir + "/Z.LOG", p.channels[1].inChannel = 1;
       }},
      {"input that is a FIFO",
       [](qv::MergeParameters& p, const TwoLogs& l) {
         p.channels[1].inputPath = l.dir + "/F.LOG", p.channels[1].inChannel = 1;
       }},
      {"no channels", [](qv::MergeParameters& p, const TwoLogs&) { p.channelCount = 0; }},
      {"every channel out of range",
       [](qv::MergeParameters& p, const TwoLogs&) { p.channels[0].inFile = 4, p.channels[1].outChannel = 13; }},
      {"missing header source", [](qv::MergeParameters& p, const TwoLogs& l) { p.headerSource = l.dir + "/none.LOG"; }},
  };
  for (const auto& c : cases) {
    auto p = logs.Params(logs.dir + "/M.LGX");
    c.change(p, logs);
    EXPECT_EQ(qv::MergeLogFiles(&p), 0) << c.what;
    EXPECT_EQ(Snapshot(logs.dir), before) << c.what;
  }
  EXPECT_EQ(qv::MergeLogFiles(nullptr), 0);
}

TEST(Merge, OutOfRangeEntriesAreSkipped) {
  TwoLogs logs("merge-skip");
  auto p = logs.Params(logs.dir + "/M.LGX");
  p.channels.push_back({"BAD", "Bad", logs.a, 7, 1, 2, 0});
  p.channels.push_back({"DUP", "Dup", logs.a, 0, 2, 1, 0});
  p.channelCount = 4;
  ASSERT_EQ(qv::MergeLogFiles(&p), 1);
  EXPECT_EQ(FloatAt(ReadBytes(logs.dir + "/M.LGX"), 16), 1.0f);
  EXPECT_EQ(qv::GetProfileText(logs.dir + "/M.hed", "Channel4", "TitleShort"), "");
}

TEST(Merge, AWriteFailingPartWayLeavesAnEarlierOutputAsItWas) {
  TwoLogs logs("merge-fault");
  // A long second input: 1020 to 61000 in steps of 20 gives a merged file of
  // several writes.
  std::string twelve;
  for (int i = 0; i < 3000; ++i) twelve += TwelveRecord(1020 + 20 * i, 5, 0xFFF, 9, {1, 2});
  WriteBytes(logs.b, twelve);
  WriteHeader(logs.dir + "/B.hed", {.logMode = 12, .startDepth = 1020, .endDepth = 61000, .step = 20},
              ChannelSection(0, 12, "COND"));
  WriteBytes(logs.dir + "/M.LGX", "earlier merge");
  WriteBytes(logs.dir + "/M.hed", "earlier header");
  const auto before = Snapshot(logs.dir);
  for (const char* step : {"write", "rename"}) {
    int calls = 0;
    HookGuard hook([&](std::string_view s, const std::string&) { return s == step && ++calls == 2; });
    auto p = logs.Params(logs.dir + "/M.LGX");
    EXPECT_EQ(qv::MergeLogFiles(&p), 0) << step;
    EXPECT_EQ(Snapshot(logs.dir), before) << step;
  }
}
