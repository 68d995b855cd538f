#include "logtools/engine/depth_shift.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "fixtures.h"
#include "header/header.h"
#include "header/section_access.h"
#include "logtools/engine/staged_output.h"
#include "tests/support/test_files.h"
#include "logtools/engine/tool_type.h"
#include "platform/files/paths.h"

using namespace qvtest;

namespace {

HeaderInfo ReadInfo(const std::string& dataPath) {
  HeaderInfo info;
  EXPECT_EQ(ReadLogHeader(dataPath, nullptr, &info, nullptr, nullptr, nullptr, nullptr), 1) << dataPath;
  return info;
}

qv::DepthShiftRequest Request(const std::string& in, const std::string& out, int wholeLog) {
  qv::DepthShiftRequest r;
  r.inputPath = in;
  r.outputPath = out;
  r.toolType = static_cast<std::uint8_t>(qv::GetFileToolType(in));
  r.wholeLog = wholeLog;
  return r;
}

// A twelve-channel log logged down from START with STEP: record i at depth
// START + i * STEP, channel k holding i * 100 + k.
std::string TwelveLog(int records, int start, int step) {
  std::string bytes;
  for (int i = 0; i < records; ++i) {
    std::vector<float> v;
    for (int k = 1; k <= 12; ++k) v.push_back(static_cast<float>(i * 100 + k));
    bytes += TwelveRecord(start + i * step, 1000 + i, 0x0FFF, 77, v);
  }
  return bytes;
}

std::string SixLog(int records) {
  std::string bytes;
  for (int i = 0; i < records; ++i)
    bytes += SixRecord(
        static_cast<std::uint8_t>(i), 50,
        {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(10 + i), 7, 7, 7, static_cast<std::uint16_t>(i)});
  return bytes;
}

}  // namespace

TEST(DepthShift, CompleteLogOfRecordsWithoutDepthMovesOnlyTheHeader) {
  std::string dir = FreshFolder("shift-six");
  WriteBytes(dir + "/A.LOG", SixLog(5));
  WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 10000, .endDepth = 10050});
  auto before = ReadBytes(dir + "/A.hed");
  auto r = Request(dir + "/A.LOG", dir + "/B.LOG", 1);
  r.shifts[1] = 1500;
  ASSERT_EQ(qv::DoDepthShift(r), 1);
  EXPECT_EQ(ReadBytes(dir + "/B.LOG"), SixLog(5));
  auto info = ReadInfo(dir + "/B.LOG");
  EXPECT_EQ(info.Startdepth, 11500);
  EXPECT_EQ(info.EndDepth, 11550);
  EXPECT_EQ(ReadBytes(dir + "/A.hed"), before);
  EXPECT_EQ(ReadBytes(dir + "/A.LOG"), SixLog(5));
}

TEST(DepthShift, CompleteLogCopiesEveryCompanion) {
  std::string dir = FreshFolder("shift-cbl");
  WriteBytes(dir + "/C.log", SixLog(3));
  WriteBytes(dir + "/C.cbl", std::string(150, 'w'));
  WriteHeader(dir + "/C.HED", {.logMode = 11, .startDepth = 500, .endDepth = 480});
  auto r = Request(dir + "/C.log", dir + "/D.log", 1);
  EXPECT_EQ(r.toolType, 5);
  r.shifts[1] = -200;
  ASSERT_EQ(qv::DoDepthShift(r), 1);
  EXPECT_EQ(ReadBytes(dir + "/D.cbl"), std::string(150, 'w'));
  EXPECT_EQ(ReadBytes(dir + "/D.log"), SixLog(3));
  EXPECT_EQ(ReadInfo(dir + "/D.log").Startdepth, 300);
}

TEST(DepthShift, CompleteTwelveChannelLogMovesEveryRecordDepth) {
  for (bool inPlace : {false, true}) {
    std::string dir = FreshFolder(inPlace ? "shift-twelve-inplace" : "shift-twelve");
    WriteBytes(dir + "/T.LGX", TwelveLog(7, 2000, 10) + "partial");
    WriteHeader(dir + "/T.hed", {.logMode = 12, .startDepth = 2000, .endDepth = 2060});
    std::string out = inPlace ? dir + "/T.LGX" : dir + "/U.LGX";
    auto r = Request(dir + "/T.LGX", out, 1);
    r.shifts[1] = 333;
    ASSERT_EQ(qv::DoDepthShift(r), 1);
    std::string bytes = ReadBytes(out);
    // Seven whole records; the partial record at the end is not carried over.
    ASSERT_EQ(bytes.size(), 7u * 64);
    std::string expected = TwelveLog(7, 2333, 10);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(ReadInfo(out).EndDepth, 2393);
    // Nothing is left beside the log but its files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), inPlace ? 2 : 4);
  }
}

TEST(DepthShift, SonicRecordsMoveByTheirDepthCounts) {
  std::string dir = FreshFolder("shift-sonic");
  // Standard 27: 2112-byte records; metric depth counts are 10 thousandths.
  std::string rec(2112, '\x5a');
  std::string bytes;
  for (int i = 0; i < 3; ++i) bytes += TwelveRecord(100 + i, 0, 0xFFF, 0, {}) + rec.substr(64);
  WriteBytes(dir + "/S.LGX", bytes);
  WriteHeader(dir + "/S.hed", {.logMode = 12, .startDepth = 1000, .endDepth = 1020, .comStd = 27});
  auto r = Request(dir + "/S.LGX", dir + "/S.LGX", 1);
  ASSERT_EQ(r.toolType, 10);
  r.shifts[1] = 1000;
  ASSERT_EQ(qv::DoDepthShift(r), 1);
  std::string out = ReadBytes(dir + "/S.LGX");
  ASSERT_EQ(out.size(), bytes.size());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Int32At(out, i * 2112), 200 + i);
    EXPECT_EQ(out.substr(i * 2112 + 4, 2108), bytes.substr(i * 2112 + 4, 2108));
  }
  EXPECT_EQ(ReadInfo(dir + "/S.LGX").Startdepth, 2000);
}

TEST(DepthShift, EveryLogKindShiftsCompleteInPlaceAndToANewFile) {
  // Sonic standard 27: 2112-byte records.
  std::string sonic;
  for (int i = 0; i < 3; ++i) sonic += TwelveRecord(100 + i, 0, 0xFFF, 0, {}) + std::string(2112 - 64, '\x5a');
  std::string sonicShifted;
  for (int i = 0; i < 3; ++i) sonicShifted += TwelveRecord(200 + i, 0, 0xFFF, 0, {}) + std::string(2112 - 64, '\x5a');
  struct Case {
    const char* name;
    const char* data;  // the log's data file
    int toolType;
    std::string bytes;      // its records
    std::string shifted;    // its records after a shift of 1000
    const char* companion;  // a companion file beside it, or null
    int comStd;
  };
  const Case cases[] = {
      {"six-channel", "A.LOG", 1, SixLog(4), SixLog(4), nullptr, 0},
      {"televiewer", "V.BTV", 2, std::string(300, 'b'), std::string(300, 'b'), nullptr, 0},
      {"full-wave sonic", "F.VDL", 4, std::string(200, 'v'), std::string(200, 'v'), "LOG", 0},
      {"cement bond", "C.LOG", 5, SixLog(3), SixLog(3), "CBL", 0},
      {"twelve-channel", "T.LGX", 8, TwelveLog(3, 2000, 10), TwelveLog(3, 3000, 10), nullptr, 0},
      {"sonic", "S.LGX", 10, sonic, sonicShifted, nullptr, 27},
  };
  for (const Case& c : cases) {
    for (bool inPlace : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (inPlace ? ", in place" : ", to a new file"));
      std::string dir = FreshFolder(std::string("shift-kind-") + c.data + (inPlace ? "-inplace" : ""));
      const std::string in = dir + "/" + c.data;
      WriteBytes(in, c.bytes);
      if (c.companion) WriteBytes(qv::SiblingPath(in, c.companion), std::string(120, 'c'));
      WriteHeader(qv::SiblingPath(in, "hed"),
                  {.logMode = 12, .startDepth = 2000, .endDepth = 2020, .comStd = c.comStd});
      const auto input = Snapshot(dir);
      const std::string out = inPlace ? in : dir + "/OUT." + std::string(c.data).substr(2);
      auto r = Request(in, out, 1);
      ASSERT_EQ(r.toolType, c.toolType);
      r.shifts[1] = 1000;
      ASSERT_EQ(qv::DoDepthShift(r), 1);
      EXPECT_EQ(ReadBytes(out), c.shifted);
      const HeaderInfo info = ReadInfo(out);
      EXPECT_EQ(info.Startdepth, 3000);
      EXPECT_EQ(info.EndDepth, 3020);
      if (c.companion) {
        EXPECT_EQ(ReadBytes(qv::SiblingPath(out, c.companion)), std::string(120, 'c'));
      }
      if (!inPlace) {
        for (const auto& [path, bytes] : input) EXPECT_EQ(ReadBytes(path), bytes) << path;
      }
      // Data, header and companion, for the input and the output: nothing else.
      const std::size_t files = (c.companion ? 3u : 2u) * (inPlace ? 1 : 2);
      EXPECT_EQ(Snapshot(dir).size(), files);
    }
  }
}

TEST(DepthShift, ChannelShiftOfADownLogMovesOneChannel) {
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "to a new file");
    std::string dir = FreshFolder(inPlace ? "shift-channel-six-inplace" : "shift-channel-six");
    // 100 m to 101 m in 0.1 m steps: ten records.
    WriteBytes(dir + "/A.LOG", SixLog(10));
    WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 100000, .endDepth = 101000, .step = 100});
    const std::string output = dir + (inPlace ? "/A.LOG" : "/B.LOG");
    auto r = Request(dir + "/A.LOG", output, 0);
    r.shifts[2] = 500;
    ASSERT_EQ(qv::DoDepthShift(r), 1);
    auto info = ReadInfo(output);
    EXPECT_EQ(info.Startdepth, 100000);
    EXPECT_EQ(info.EndDepth, 101500);
    std::string out = ReadBytes(output);
    ASSERT_EQ(out.size(), 15u * 14);  // the record at which the walk reaches the end is not written
    for (int i = 0; i < 15; ++i) {
      const std::size_t o = i * 14;
      EXPECT_EQ(static_cast<unsigned char>(out[o + 1]), 50) << i;
      EXPECT_EQ(U16At(out, o + 2), i < 10 ? i : 0) << "channel 1 stays, zero past the input's end";
      EXPECT_EQ(U16At(out, o + 4), i < 5 ? 0 : 10 + (i - 5)) << "channel 2 holds the value from 0.5 m shallower";
      EXPECT_EQ(static_cast<unsigned char>(out[o]), std::min(i, 9)) << "flags of the input record in order";
    }
    if (!inPlace) {
      EXPECT_EQ(ReadBytes(dir + "/A.LOG"), SixLog(10));
    }
    EXPECT_EQ(Snapshot(dir).size(), inPlace ? 2u : 4u);
  }
}

TEST(DepthShift, ChannelShiftOfAnUpTwelveChannelLogWidensBothEnds) {
  for (bool inPlace : {true, false}) {
    SCOPED_TRACE(inPlace ? "in place" : "to a new file");
    std::string dir = FreshFolder(inPlace ? "shift-channel-twelve" : "shift-channel-twelve-new");
    // Logged up from 2030 to 2000: record i at 2030 - 10 i.
    WriteBytes(dir + "/T.LGX", TwelveLog(4, 2030, -10));
    WriteHeader(dir + "/T.hed", {.logMode = 11, .startDepth = 2030, .endDepth = 2000, .step = 10});
    const std::string output = dir + (inPlace ? "/T.LGX" : "/U.LGX");
    auto r = Request(dir + "/T.LGX", output, 0);
    r.shifts[1] = 20;
    r.shifts[12] = -10;
    ASSERT_EQ(qv::DoDepthShift(r), 1);
    auto info = ReadInfo(output);
    EXPECT_EQ(info.Startdepth, 2050);
    EXPECT_EQ(info.EndDepth, 1990);
    std::string out = ReadBytes(output);
    ASSERT_EQ(out.size(), 6u * 64);
    for (int i = 0; i < 6; ++i) {
      const int d = 2050 - 10 * i;
      EXPECT_EQ(Int32At(out, i * 64), d);
      // Channel 1 at d holds the input at d - 20; channel 12 the input at d + 10.
      auto input = [](int depth, int k) {
        return depth > 2030 || depth < 2000 ? 0.f : (2030 - depth) / 10 * 100.f + k;
      };
      EXPECT_EQ(FloatAt(out, i * 64 + 16), input(d - 20, 1)) << i;
      EXPECT_EQ(FloatAt(out, i * 64 + 16 + 4), input(d, 2)) << i;
      EXPECT_EQ(FloatAt(out, i * 64 + 60), input(d + 10, 12)) << i;
      EXPECT_EQ(Int32At(out, i * 64 + 12), 77);
    }
    if (!inPlace) {
      EXPECT_EQ(ReadBytes(dir + "/T.LGX"), TwelveLog(4, 2030, -10));
    }
    EXPECT_EQ(Snapshot(dir).size(), inPlace ? 2u : 4u);
  }
}

TEST(DepthShift, SixChannelCountsSaturate) {
  std::string dir = FreshFolder("shift-saturate");
  WriteBytes(dir + "/A.LOG", SixRecord(0, 1, {2000, 3}) + SixRecord(0, 1, {2000, 3}));
  WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 0, .endDepth = 20, .step = 10});
  auto r = Request(dir + "/A.LOG", dir + "/B.LOG", 0);
  r.shifts[3] = 10;
  ASSERT_EQ(qv::DoDepthShift(r), 1);
  std::string out = ReadBytes(dir + "/B.LOG");
  EXPECT_EQ(U16At(out, 2), 65535);  // 2000 x 50 / 1 does not fit in 16 bits
  EXPECT_EQ(U16At(out, 4), 150);
}

TEST(DepthShift, ZeroChannelOffsetsInPlaceWriteNothing) {
  std::string dir = FreshFolder("shift-zero");
  WriteBytes(dir + "/A.LOG", SixLog(4));
  WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 0, .endDepth = 40});
  auto before = Snapshot(dir);
  auto r = Request(dir + "/A.LOG", dir + "/a.log", 0);
  EXPECT_EQ(qv::DoDepthShift(r), 1);
  EXPECT_EQ(Snapshot(dir), before);
}

TEST(DepthShift, RefusedRequestsChangeNothing) {
  std::string dir = FreshFolder("shift-refused");
  WriteBytes(dir + "/A.LOG", SixLog(4));
  WriteHeader(dir + "/A.hed", {.logMode = 12, .startDepth = 0, .endDepth = 40, .step = 0});
  WriteBytes(dir + "/M.LOG", SixLog(4));
  WriteHeader(dir + "/M.hed", {.logMode = 10, .startDepth = 0, .endDepth = 40});
  WriteBytes(dir + "/N.LOG", SixLog(4));
  WriteHeader(dir + "/N.hed", {.logMode = 12, .startDepth = 0, .endDepth = 40});
  WriteBytes(dir + "/Big.LOG", SixLog(1));
  WriteHeader(dir + "/Big.hed", {.logMode = 12, .startDepth = 2147483000, .endDepth = 2147483600});
  std::filesystem::create_hard_link(dir + "/N.LOG", dir + "/Link.LOG");
  // A data file that is a FIFO nobody writes: refused, never waited on.
  qv::test::MakeFifo(dir, "F.LOG");
  WriteHeader(dir + "/F.hed", {.logMode = 12, .startDepth = 0, .endDepth = 40});
  qv::test::Watchdog watchdog;
  auto before = Snapshot(dir);
  struct Case {
    const char* what;
    const char* in;
    const char* out;
    int wholeLog;
    int toolType;  // -2: as the file gives it
  };
  const Case cases[] = {
      {"channel shift with step 0", "A.LOG", "B.LOG", 0, -2},
      {"channel shift of a time log", "M.LOG", "B.LOG", 0, -2},
      {"channel shift of a televiewer log", "N.LOG", "B.LOG", 0, 2},
      {"complete shift of an unknown tool", "N.LOG", "B.LOG", 1, 3},
      {"output without extension", "N.LOG", "B", 1, -2},
      {"no output", "N.LOG", "", 1, -2},
      {"missing input", "X.LOG", "B.LOG", 1, 1},
      {"output sharing the input's header", "N.LOG", "N.LGX", 1, -2},
      {"output that is the input by another name", "N.LOG", "Link.LOG", 1, -2},
      {"depth beyond the 32-bit range", "Big.LOG", "B.LOG", 1, -2},
      {"complete shift of a FIFO", "F.LOG", "B.LOG", 1, 1},
      {"channel shift of a FIFO", "F.LOG", "B.LOG", 0, 1},
  };
  for (const auto& c : cases) {
    auto r = Request(dir + "/" + c.in, c.out[0] ? dir + "/" + c.out : "", c.wholeLog);
    if (c.toolType != -2) r.toolType = static_cast<std::uint8_t>(c.toolType);
    r.shifts[1] = 1000;
    EXPECT_EQ(qv::DoDepthShift(r), 0) << c.what;
    EXPECT_EQ(Snapshot(dir), before) << c.what;
  }
}

TEST(DepthShift, AWriteFailingPartWayLeavesEveryFileAsItWas) {
  struct Case {
    const char* what;
    const char* step;
    int failAt;
    bool inPlace;
    int wholeLog;
  };
  const Case cases[] = {
      {"second data write, in place", "write", 2, true, 1},
      {"second data write, channel shift over an earlier output", "write", 2, false, 0},
      {"data sync", "sync", 1, true, 0},
      {"header rename after the data went in", "rename", 2, true, 1},
      {"data rename over an earlier output", "rename", 1, false, 1},
  };
  for (const auto& c : cases) {
    std::string dir = FreshFolder("shift-fault");
    WriteBytes(dir + "/T.LGX", TwelveLog(3000, 0, 10));  // 192000 bytes: several writes
    WriteHeader(dir + "/T.hed", {.logMode = 12, .startDepth = 0, .endDepth = 29990});
    WriteBytes(dir + "/U.LGX", "an earlier output");
    WriteBytes(dir + "/U.hed", "its header");
    auto before = Snapshot(dir);
    int calls = 0;
    HookGuard hook([&](std::string_view step, const std::string&) { return step == c.step && ++calls == c.failAt; });
    auto r = Request(dir + "/T.LGX", c.inPlace ? dir + "/T.LGX" : dir + "/U.LGX", c.wholeLog);
    r.shifts[1] = 50;
    EXPECT_EQ(qv::DoDepthShift(r), 0) << c.what;
    EXPECT_GE(calls, c.failAt) << c.what;
    EXPECT_EQ(Snapshot(dir), before) << c.what;
  }
}

TEST(DepthShift, AFullFileSystemLeavesEveryFileAsItWas) {
  std::string dir = FreshFolder("shift-full-fs");
  // A small file system of its own, with room for the log but not for a
  // second copy of it.
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot make a small file system here: " << std::strerror(errno);
  struct Unmount {
    std::string dir;
    ~Unmount() { umount2(dir.c_str(), MNT_DETACH); }
  } unmount{dir};
  WriteBytes(dir + "/T.LGX", TwelveLog(2500, 0, 10));  // 160000 bytes
  WriteHeader(dir + "/T.hed", {.logMode = 12, .startDepth = 0, .endDepth = 24990});
  WriteBytes(dir + "/U.LGX", "an earlier output");
  const auto before = Snapshot(dir);
  ASSERT_EQ(ReadBytes(dir + "/T.LGX").size(), 160000u);
  for (const char* out : {"/T.LGX", "/U.LGX"}) {
    for (int wholeLog : {1, 0}) {
      auto r = Request(dir + "/T.LGX", dir + out, wholeLog);
      r.shifts[1] = 10;
      EXPECT_EQ(qv::DoDepthShift(r), 0) << out << " " << wholeLog;
      EXPECT_EQ(Snapshot(dir), before) << out << " " << wholeLog;
    }
  }
}
