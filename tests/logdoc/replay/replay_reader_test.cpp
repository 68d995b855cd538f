// The replay reader over data files the tests write: every tool kind, the
// replay window, seeks, stepping back, televiewer depth walks, record pairs,
// chains and a log cut off inside its last record.
#include "logdoc/replay/replay_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "tests/support/test_files.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class ReplayReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("QV_TEST_TMP");
    dir_ = fs::path(tmp ? tmp : "/tmp") / "replay" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
      boxes_.push_back(r.text);
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxHandler(previous_);
    // A sink a failed case left behind would write into its dead locals.
    SetTraceSink(nullptr);
    SetTraceEnabled(false);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  template <class Record>
  static void Append(std::vector<std::uint8_t>& out, const Record& r) {
    const auto at = out.size();
    out.resize(at + Record::kSize);
    r.Encode(std::span<std::uint8_t, Record::kSize>(out.data() + at, Record::kSize));
  }

  // A .LOG of n records; record i carries count i + 1 in channel 1.
  void WriteLog(const std::string& name, int n, std::size_t extraBytes = 0) const {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < n; ++i) {
      SixChannelFileRecord r;
      r.rate = 50;
      r.counts[0] = static_cast<std::uint16_t>(i + 1);
      r.counts[5] = 7;
      Append(bytes, r);
    }
    bytes.resize(bytes.size() + extraBytes, 0xAB);
    Write(name, bytes);
  }

  // Reads a six-channel reader to its end: channel 1 of each delivered record.
  static std::vector<int> ReadAll(ReplayReader& reader) {
    std::vector<int> out;
    SixChannelPacket p;
    while (reader.ReadSixChannel(&p) && out.size() < 100000) out.push_back(p.channel[0]);
    return out;
  }

  fs::path dir_;
  std::vector<std::string> boxes_;
  MessageBoxHandler previous_;
};

// Up: 101 records from 10000 up to 0 in steps of 100; down the other way.
const ReplayHeader kUp{10000, 0, 100, 0, 11};
const ReplayHeader kDown{0, 10000, 100, 0, 12};

// first delivered record (1-based count), records with data, zero records.
struct Delivery {
  int first, data, zeros;
};

Delivery Summarise(const std::vector<int>& values) {
  Delivery d{values.empty() ? 0 : values.front(), 0, 0};
  for (int v : values) (v ? d.data : d.zeros)++;
  return d;
}

TEST_F(ReplayReaderTest, DepthWindows) {
  WriteLog("WELL.LOG", 101);
  struct Case {
    const char* what;
    ReplayHeader header;
    int from, to;
    Delivery expected;
  } cases[] = {
      {"whole log up: 100 steps + 51", kUp, 10000, 0, {1, 101, 50}},
      {"inner range", kUp, 5000, 4000, {51, 51, 10}},
      {"from above the start is cut to it", kUp, 20000, 9000, {1, 61, 0}},
      {"less than one step", kUp, 5000, 4950, {51, 51, 0}},
      {"down, from before the start", kDown, -500, 1000, {1, 61, 0}},
      {"down, inner range", kDown, 9000, 10000, {91, 11, 50}},
      {"range against the direction", kUp, 4000, 5000, {61, 41, 10}},
      {"time log: the whole file", {10000, 0, 100, 0, 10}, 5000, 4000, {1, 101, 0}},
      {"no step: the whole file", {10000, 0, 0, 0, 11}, 5000, 4000, {1, 101, 0}},
  };
  for (const auto& c : cases) {
    ReplayReader reader(Path("WELL.LOG"), kToolSixChannel, c.from, c.to, c.header.logMode, c.header);
    const auto d = Summarise(ReadAll(reader));
    EXPECT_EQ(d.first, c.expected.first) << c.what;
    EXPECT_EQ(d.data, c.expected.data) << c.what;
    EXPECT_EQ(d.zeros, c.expected.zeros) << c.what;
    // Rewind starts the same window again.
    ASSERT_EQ(reader.Rewind(), 1);
    EXPECT_EQ(Summarise(ReadAll(reader)).first, c.expected.first) << c.what;
    // The zero records past the end of the data say that they hold none.
    ASSERT_EQ(reader.Rewind(), 1);
    int empty = 0;
    SixChannelPacket p;
    while (reader.ReadSixChannel(&p))
      if (!reader.LastReadHeldData()) ++empty;
    EXPECT_EQ(empty, c.expected.zeros) << c.what;
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ReplayReaderTest, ReplayedPacketAndQueries) {
  WriteLog("WELL.LOG", 3);
  ReplayReader reader(Path("WELL.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
  SixChannelPacket p;
  p.depth = 5;
  p.time = 6;
  p.spare = 0x5A;
  ASSERT_EQ(reader.ReadSixChannel(&p), 1);
  EXPECT_EQ(p.depth, 0);
  EXPECT_EQ(p.time, 0);
  EXPECT_EQ(p.rate, 50);
  EXPECT_EQ(p.checksum, 8);  // (1 + 7) mod 256
  EXPECT_EQ(p.spare, 0x5A);
  EXPECT_EQ(reader.GetRecordCount(), 3u);
  EXPECT_EQ(reader.GetWindowRecordCount(), 54u) << "the window ends at the data and 51 records more";
  EXPECT_TRUE(reader.IsUpward());
  EXPECT_EQ(reader.GetMinDepth(), 0);
  EXPECT_EQ(reader.GetMaxDepth(), 10000);
  EXPECT_EQ(reader.StartTimer(), 1);
  // Other tool kinds' reads refuse.
  TwelveChannelRecord t;
  EXPECT_EQ(reader.ReadTwelveChannel(&t), 0);
  EXPECT_EQ(reader.CloseFiles(), 1);
  EXPECT_EQ(reader.ReadSixChannel(&p), 0);
  EXPECT_EQ(reader.GetRecordCount(), 0u);
}

TEST_F(ReplayReaderTest, Seeks) {
  WriteLog("WELL.LOG", 101);
  struct Case {
    int depth, depthOffset, result, record;
  } cases[] = {
      {10000, 0, 1, 1},  {9950, 0, 1, 1},  {9900, 0, 1, 2},  {0, 0, 1, 101},
      {-100, 0, 1, 101},  // one record past the end: the last record
      {-200, 0, 0, 0},   {10050, 0, 1, 1}, {10100, 0, 0, 0}, {9000, 500, 1, 16},
  };
  for (const auto& c : cases) {
    ReplayReader reader(Path("WELL.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
    if (c.depthOffset) reader.SetDepthWindow(c.depthOffset, 0);
    SixChannelPacket p;
    p.channel[0] = 999;
    EXPECT_EQ(reader.SeekSixChannel(&p, c.depth), c.result) << c.depth;
    EXPECT_EQ(p.channel[0], c.record) << c.depth;  // cleared when nothing was read
    // A seek outside the file read no record of it: what it hands on holds
    // no reading.
    EXPECT_EQ(reader.LastReadHeldData(), c.result == 1) << c.depth;
  }
  // A time log has no depth position: the cleared record, nothing moved.
  ReplayReader time(Path("WELL.LOG"), kToolSixChannel, 0, 0, 10, ReplayHeader{10000, 0, 100, 0, 10});
  SixChannelPacket p;
  p.channel[0] = 999;
  EXPECT_EQ(time.SeekSixChannel(&p, 5000), 1);
  EXPECT_EQ(p.channel[0], 0);
  ASSERT_EQ(time.ReadSixChannel(&p), 1);
  EXPECT_EQ(p.channel[0], 1);
}

TEST_F(ReplayReaderTest, PrintingAnUpwardLogReadsPastTheLimit) {
  WriteLog("WELL.LOG", 101);
  for (int logMode : {11, 12}) {
    ReplayReader reader(Path("WELL.LOG"), kToolSixChannel, 5000, 4950, logMode, kUp);
    reader.SetPrinting(true);
    std::vector<int> got;
    SixChannelPacket p;
    for (int i = 0; i < 80 && reader.ReadSixChannel(&p); ++i) got.push_back(p.channel[0]);
    EXPECT_EQ(got.size(), logMode == 11 ? 80u : 51u) << logMode;
    EXPECT_EQ(got.back(), logMode == 11 ? 0 : 101) << logMode;  // zero records past the end of the file
  }
}

TEST_F(ReplayReaderTest, StepBackAndWindowEnd) {
  WriteLog("WELL.LOG", 5);
  ReplayReader reader(Path("WELL.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
  SixChannelPacket p;
  reader.SeekToWindowEnd();
  ASSERT_EQ(reader.StepBack(), 1);
  ASSERT_EQ(reader.ReadSixChannel(&p), 1);
  EXPECT_EQ(p.channel[0], 5);  // the last record
  ASSERT_EQ(reader.StepBack(), 1);
  ASSERT_EQ(reader.ReadSixChannel(&p), 1);
  EXPECT_EQ(p.channel[0], 4);
  ASSERT_EQ(reader.Rewind(), 1);
  ASSERT_EQ(reader.ReadSixChannel(&p), 1);
  EXPECT_EQ(reader.StepBack(), 0);  // the record last read was the first
  ASSERT_EQ(reader.ReadSixChannel(&p), 1);
  EXPECT_EQ(p.channel[0], 2);
}

TEST_F(ReplayReaderTest, TruncatedLastRecordIsNeverRead) {
  WriteLog("CUT.LOG", 10, 7);  // half a record of 0xAB bytes at the end
  std::vector<std::string> traces;
  SetTraceEnabled(true);
  SetTraceSink([&](const std::string& line) { traces.push_back(line); });
  {
    ReplayReader reader(Path("CUT.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
    EXPECT_TRUE(reader.HasPartialRecord());
    EXPECT_EQ(reader.GetRecordCount(), 10u);
    const auto values = ReadAll(reader);
    ASSERT_EQ(values.size(), 61u) << "the window ends at the data and 51 records more";
    EXPECT_EQ(values[9], 10);
    EXPECT_EQ(values[10], 0);  // a zero record, not the half record's bytes
  }
  {
    ReplayReader reader(Path("CUT.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
    reader.SeekToWindowEnd();
    ASSERT_EQ(reader.StepBack(), 1);
    SixChannelPacket p;
    ASSERT_EQ(reader.ReadSixChannel(&p), 1);
    EXPECT_EQ(p.channel[0], 10);
    EXPECT_EQ(reader.SeekSixChannel(&p, 9000), 1);  // one record past the last whole one
    EXPECT_EQ(p.channel[0], 10);
  }
  SetTraceSink(nullptr);
  SetTraceEnabled(false);
  ASSERT_EQ(traces.size(), 2u);  // once per reader, however often it reaches the end
  EXPECT_NE(traces[0].find("partial record"), std::string::npos);
}

TEST_F(ReplayReaderTest, MissingFileAndLetterCase) {
  ReplayReader missing(Path("NONE.LOG"), kToolSixChannel, 0, 0, 11, kUp);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], LoadString(32212));
  SixChannelPacket p;
  EXPECT_EQ(missing.ReadSixChannel(&p), 0);
  EXPECT_EQ(missing.SeekSixChannel(&p, 100), 1);
  EXPECT_EQ(missing.Rewind(), 0);
  EXPECT_EQ(missing.StartTimer(), 0);
  EXPECT_EQ(missing.GetRecordCount(), 0u);

  WriteLog("well2.log", 2);  // made on Windows as WELL2.LOG
  ReplayReader found(Path("WELL2.LOG"), kToolSixChannel, 10000, 0, 11, kUp);
  EXPECT_EQ(found.GetRecordCount(), 2u);
  EXPECT_EQ(boxes_.size(), 1u);
}

// A data file that is a FIFO (nobody writing) or a device is refused like a
// missing one, for every log kind and either file of a pair, and nothing
// blocks.
TEST_F(ReplayReaderTest, AFileThatIsNotARegularFileIsRefusedWithoutBlocking) {
  test::Watchdog watchdog;
  WriteLog("FWS.LOG", 3);
  const std::string fifo = test::MakeFifo(dir_.string(), "FIFO.LOG");
  test::MakeFifo(dir_.string(), "FWS.VDL");
  test::MakeFifo(dir_.string(), "FIFO.CBL");
  const std::vector<std::pair<std::string, int>> cases = {
      {fifo, kToolSixChannel}, {fifo, kToolTwelveChannel},       {fifo, kToolTeleviewer},
      {fifo, kToolSonic},      {Path("FWS.VDL"), kToolFullWave}, {Path("FIFO.CBL"), kToolCementBond},
      {"/dev/zero", kToolSixChannel}};
  for (const auto& [path, kind] : cases) {
    SCOPED_TRACE(path + " " + std::to_string(kind));
    boxes_.clear();
    ReplayReader reader(path, kind, 10000, 0, 11, ReplayHeader{10000, 0, 100, 26, 11});
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(boxes_, std::vector<std::string>{LoadString(32212)});
    SixChannelPacket p;
    EXPECT_EQ(reader.ReadSixChannel(&p), 0);
  }
}

TEST_F(ReplayReaderTest, TwelveChannel) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 20; ++i) {
    TwelveChannelFileRecord r;
    r.depth = 5000 + 10 * i;
    r.time = 100 * i;
    r.mask = 0x4FFF;
    r.values[11] = static_cast<float>(i);
    Append(bytes, r);
  }
  Write("T.LGX", bytes);
  const ReplayHeader header{5000, 5190, 10, 0, 12};
  ReplayReader reader(Path("T.LGX"), kToolTwelveChannel, 5050, 5100, 12, header);
  TwelveChannelRecord rec;
  rec.analog1 = 0x33;
  ASSERT_EQ(reader.ReadTwelveChannel(&rec), 1);
  EXPECT_EQ(rec.depth, 5050);
  EXPECT_EQ(rec.time, 500);
  EXPECT_EQ(rec.mask, 0x4FFFu);
  EXPECT_EQ(rec.value[11], 5.0f);
  EXPECT_EQ(rec.analog1, 0x33);
  ASSERT_EQ(reader.SeekTwelveChannel(&rec, 5190), 1);
  EXPECT_EQ(rec.value[11], 19.0f);
  EXPECT_EQ(reader.SeekTwelveChannel(&rec, 5210), 0);
  EXPECT_EQ(rec.value[11], 0.0f);
  EXPECT_EQ(reader.GetWindowRecordCount(), 5u + 51u);
}

TEST_F(ReplayReaderTest, Sonic) {
  const SonicGeometry g{512, 4};
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 4; ++i) {
    SonicFileRecord r;
    r.head.depth = i;
    r.head.values[0] = static_cast<float>(i);
    r.samples.assign(g.WaveformBytes() / 2, static_cast<std::int16_t>(-i));
    std::vector<std::uint8_t> one(g.RecordSize());
    ASSERT_TRUE(r.Encode(g, one));
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  Write("S.LGX", bytes);
  const ReplayHeader header{1000, 1300, 100, 28, 12};
  ReplayReader reader(Path("S.LGX"), kToolSonic, 1000, 1300, 12, header);
  EXPECT_EQ(reader.GetRecordCount(), 4u);
  SonicPacket p;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<int> depths;
    while (reader.ReadSonic(&p)) {
      depths.push_back(p.depth);
      if (depths.size() == 2) {
        ASSERT_NE(p.samples, nullptr);
        EXPECT_EQ(p.samples[0], -1);
        EXPECT_EQ(p.samples[g.WaveformBytes() / 2 - 1], -1);
      }
    }
    ASSERT_EQ(depths.size(), 3u + 51u) << pass;
    EXPECT_EQ(depths[3], 3);
    EXPECT_EQ(depths[4], 0);  // zero record past the end
    ASSERT_EQ(reader.Rewind(), 1);
  }
  // A refused read leaves the packet alone.
  p.value[0] = 42.0f;
  EXPECT_EQ(reader.SeekSonic(&p, 1200), 1);
  EXPECT_EQ(p.value[0], 2.0f);

  const ReplayHeader notSonic{1000, 1300, 100, 25, 12};
  ReplayReader none(Path("S.LGX"), kToolSonic, 1000, 1300, 12, notSonic);
  EXPECT_EQ(none.GetRecordCount(), 0u);
  EXPECT_EQ(none.ReadSonic(&p), 0);
  EXPECT_EQ(none.SeekSonic(&p, 1000), 0);
}

// A televiewer file whose sweeps carry these depth-step words; sample 0 of
// sweep i holds i + 1.
std::vector<std::uint8_t> Sweeps(const std::vector<std::uint16_t>& steps) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    TeleviewerFileRecord r;
    r.samples[0] = static_cast<std::uint16_t>(i + 1);
    r.depthStep = steps[i];
    r.tail = 131;
    const auto at = bytes.size();
    bytes.resize(at + TeleviewerFileRecord::kSize);
    r.Encode(std::span<std::uint8_t, TeleviewerFileRecord::kSize>(bytes.data() + at, TeleviewerFileRecord::kSize));
  }
  return bytes;
}

std::vector<int> ReadSweeps(ReplayReader& reader) {
  std::vector<int> out;
  TeleviewerSweep s;
  while (reader.ReadTeleviewer(&s)) out.push_back(s.word[1]);
  return out;
}

TEST_F(ReplayReaderTest, TeleviewerWindowsByDepthWalk) {
  // 30 sweeps each one step down (0x4001), then 10 that did not move.
  std::vector<std::uint16_t> steps(30, 0x4001);
  steps.insert(steps.end(), 10, 0x8000);
  Write("B.BTV", Sweeps(steps));
  struct Case {
    const char* what;
    ReplayHeader header;
    int from, to;
    int first, count;
  } cases[] = {
      // Sweep 20 reaches the end depth 2000 and is replayed too.
      {"inner range", {0, 100000, 100, 0, 12}, 1000, 2000, 10, 11},
      {"the whole log, to its deepest sweep", {0, 3000, 100, 0, 12}, 0, 3000, 1, 30},
      {"one sweep", {0, 100000, 100, 0, 12}, 1500, 1500, 15, 1},
      {"end never reached: to the end of the file", {0, 100000, 100, 0, 12}, 1000, 90000, 10, 31},
      {"end before start: empty", {0, 100000, 100, 0, 12}, 2000, 1000, 0, 0},
      {"less than one unit: every sweep", {0, 999, 100, 0, 12}, 500, 600, 1, 40},
      {"time log: every sweep", {0, 100000, 100, 0, 10}, 1000, 2000, 1, 40},
      // The rebuilt depth passes the largest int between two sweeps (sweep
      // 11 lies 50 beyond it): the walk still finds the window's end there.
      {"near the limit of the depth", {INT_MAX - 1050, INT_MAX, 100, 0, 12}, INT_MAX - 550, INT_MAX, 5, 7},
  };
  for (const auto& c : cases) {
    ReplayReader reader(Path("B.BTV"), kToolTeleviewer, c.from, c.to, c.header.logMode, c.header);
    const auto got = ReadSweeps(reader);
    EXPECT_EQ(static_cast<int>(got.size()), c.count) << c.what;
    if (!got.empty()) {
      EXPECT_EQ(got.front(), c.first) << c.what;
    }
  }
}

TEST_F(ReplayReaderTest, TeleviewerStepsAndStepping) {
  std::vector<std::uint8_t> bytes = Sweeps({0x4002, 0x4003, 0x8001});
  bytes.resize(bytes.size() + 100, 0x11);  // and a cut-off sweep
  Write("S.BTV", bytes);
  const ReplayHeader header{0, 999, 100, 0, 12};
  ReplayReader reader(Path("S.BTV"), kToolTeleviewer, 0, 999, 12, header);
  EXPECT_EQ(reader.SumTeleviewerSteps(1), 4);
  EXPECT_EQ(reader.SumTeleviewerSteps(0), 1);
  TeleviewerSweep s;
  s.depth = 9;
  ASSERT_EQ(reader.ReadTeleviewer(&s), 1);
  EXPECT_EQ(s.depth, 0);
  EXPECT_EQ(s.depthStep, 0x4002);
  EXPECT_EQ(reader.StepBack(), 0);
  EXPECT_EQ(ReadSweeps(reader), (std::vector<int>{2, 3}));  // the end of the data ends it

  // Printing reads backwards from the end of the window.
  ReplayReader backwards(Path("S.BTV"), kToolTeleviewer, 0, 999, 12, header);
  backwards.SeekToWindowEnd();
  std::vector<int> got;
  while (backwards.StepBack() && backwards.ReadTeleviewer(&s)) got.push_back(s.word[1]);
  EXPECT_EQ(got, (std::vector<int>{3, 2, 1}));
}

TEST_F(ReplayReaderTest, PairedFiles) {
  // Full-wave sonic: .LOG and .VDL with one record each per segment; the
  // .LOG is one record short.
  WriteLog("FWS.LOG", 3);
  std::vector<std::uint8_t> vdl;
  for (int i = 0; i < 4; ++i) {
    WaveformFileRecord w;
    w.flags = static_cast<std::uint8_t>(i);
    w.samples[0] = static_cast<std::int8_t>(-1 - i);
    Append(vdl, w);
  }
  Write("FWS.VDL", vdl);
  ReplayReader reader(Path("FWS.VDL"), kToolFullWave, 10000, 0, 11, kUp);
  EXPECT_EQ(reader.GetRecordCount(), 4u);
  CblWaveformSegment seg;
  SixChannelPacket p;
  std::vector<int> six, wave;
  while (reader.ReadFullWave(&seg, &p)) {
    six.push_back(p.channel[0]);
    wave.push_back(seg.sample[0]);
  }
  ASSERT_EQ(six.size(), 55u) << "the window ends at the data and 51 records more";
  EXPECT_EQ(six[2], 3);
  EXPECT_EQ(six[3], 0);  // the .LOG part ran out first: zeroed by itself
  EXPECT_EQ(wave[3], -4);
  EXPECT_EQ(wave[4], 0);
  EXPECT_EQ(reader.ReadCementBond(&seg, &p), 0);  // wrong tool kind

  ASSERT_EQ(reader.Rewind(), 1);
  ASSERT_EQ(reader.SeekFullWave(&seg, &p, 9900), 1);
  EXPECT_EQ(p.channel[0], 2);
  EXPECT_EQ(seg.sample[0], -2);
  EXPECT_EQ(seg.closing, 0xFE);
  EXPECT_EQ(reader.SeekFullWave(&seg, &p, 9500), 0);       // beyond both files
  EXPECT_EQ(seg.flags, WaveformFileRecord::kFarReceiver);  // cleared for the caller
  EXPECT_EQ(reader.SeekFullWave(nullptr, &p, 9900), 0);

  // A missing .VDL: the reader says so; reads refuse and seeks answer 1.
  WriteLog("LONE.LOG", 3);
  ReplayReader lone(Path("LONE.VDL"), kToolFullWave, 10000, 0, 11, kUp);
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(lone.ReadFullWave(&seg, &p), 0);
  EXPECT_EQ(lone.SeekFullWave(&seg, &p, 9900), 1);
}

// A header whose range is far wider than its data (depths near both ends
// of the int range) replays the data and the 51 records that carry its last
// values, not an empty record for every step of the range.
TEST_F(ReplayReaderTest, AHeaderRangeFarWiderThanTheDataEndsAtTheData) {
  WriteLog("FWS.LOG", 4);
  WriteLog("WELL.LOG", 4);
  Write("FWS.VDL", std::vector<std::uint8_t>(4 * WaveformFileRecord::kSize, 0));
  for (const ReplayHeader& h : {ReplayHeader{2147483000, -2147483000, 10, 0, 11},
                                ReplayHeader{-2147483000, 2147483000, 10, 0, 12}}) {
    SCOPED_TRACE(h.logMode);
    ReplayReader wave(Path("FWS.VDL"), kToolFullWave, h.startDepth, h.endDepth, h.logMode, h);
    CblWaveformSegment seg;
    SixChannelPacket p;
    int pairs = 0;
    while (pairs < 1000 && wave.ReadFullWave(&seg, &p)) ++pairs;
    EXPECT_EQ(pairs, 4 + 51);
    ReplayReader six(Path("WELL.LOG"), kToolSixChannel, h.startDepth, h.endDepth, h.logMode, h);
    const Delivery d = Summarise(ReadAll(six));
    EXPECT_EQ(d.data, 4);
    EXPECT_EQ(d.zeros, 51);
  }
}

TEST_F(ReplayReaderTest, CementBondSeeksWithinTheDepthWindow) {
  WriteLog("CB.LOG", 101);
  std::vector<std::uint8_t> cbl;
  for (int i = 0; i < 101; ++i) {
    WaveformFileRecord w;
    w.receiver = static_cast<std::uint8_t>(i);
    Append(cbl, w);
  }
  Write("CB.CBL", cbl);
  ReplayReader reader(Path("CB.CBL"), kToolCementBond, 6000, 4000, 11, kUp);
  reader.SetDepthWindow(0, 0);
  CblWaveformSegment seg;
  SixChannelPacket p;
  ASSERT_EQ(reader.SeekCementBond(&seg, &p, 5000), 1);
  EXPECT_EQ(p.channel[0], 51);
  EXPECT_EQ(seg.receiver, 50);
  // Outside the window: answered with the cleared pair, nothing read.
  ASSERT_EQ(reader.SeekCementBond(&seg, &p, 3000), 1);
  EXPECT_EQ(p.channel[0], 0);
  EXPECT_EQ(seg.receiver, 0);
  // Stepping a pair back moves both files together.
  ASSERT_EQ(reader.Rewind(), 1);
  ASSERT_EQ(reader.ReadCementBond(&seg, &p), 1);
  ASSERT_EQ(reader.ReadCementBond(&seg, &p), 1);
  ASSERT_EQ(reader.StepBack(), 1);
  ASSERT_EQ(reader.ReadCementBond(&seg, &p), 1);
  EXPECT_EQ(p.channel[0], 41);
  EXPECT_EQ(seg.receiver, 40);
}

TEST_F(ReplayReaderTest, FollowingAChain) {
  WriteLog("WELL.LOG", 4);
  WriteLog("WELL1.LOG", 2);
  const std::string next = ChainedDataPath(Path("WELL.LOG"), "C:\\DATA\\WELL1");
  EXPECT_EQ(next, Path("WELL1.LOG"));
  EXPECT_EQ(ChainedDataPath(Path("WELL.LOG"), "/elsewhere/WELL1"), Path("WELL1.LOG"));
  EXPECT_EQ(ChainedDataPath(Path("WELL.LOG"), ""), "");
  HeaderInfo header;  // a time log: each file of the chain plays whole
  header.Startdepth = 10000;
  header.Step = 100;
  header.LogMode = 10;
  std::vector<int> all;
  for (const std::string& file : {Path("WELL.LOG"), next}) {
    ReplayReader reader(file, kToolSixChannel, 10000, 0, 10, header);
    for (int v : ReadAll(reader)) all.push_back(v);
  }
  EXPECT_EQ(all, (std::vector<int>{1, 2, 3, 4, 1, 2}));
}

TEST_F(ReplayReaderTest, OtherToolKindsDeliverNothing) {
  WriteLog("X.LOG", 5);
  ReplayReader reader(Path("X.LOG"), 3, 10000, 0, 11, kUp);
  EXPECT_EQ(reader.GetWindowRecordCount(), 0u);
  EXPECT_EQ(reader.GetRecordCount(), 0u);
  SixChannelPacket p;
  EXPECT_EQ(reader.ReadSixChannel(&p), 0);
  EXPECT_EQ(reader.StepBack(), 1);
}

// Records are read ahead in blocks: a file that grows while it is replayed is
// read on into its new records, and one that is cut is not read past the
// block already taken (no read past the file, no stale record after it).
TEST_F(ReplayReaderTest, DataFileFollowsAFileThatGrowsOrIsCut) {
  WriteLog("GROW.LOG", 3);
  ReplayDataFile file;
  ASSERT_TRUE(file.Open(Path("GROW.LOG"), SixChannelFileRecord::kSize));
  std::uint8_t bytes[SixChannelFileRecord::kSize];
  for (int i = 0; i < 3; ++i) EXPECT_EQ(file.ReadRecord(bytes), 1);
  EXPECT_EQ(file.ReadRecord(bytes), 0);
  EXPECT_FALSE(file.RecordAvailable());
  {
    std::ofstream out(Path("GROW.LOG"), std::ios::binary | std::ios::app);
    out.write(std::string(2 * SixChannelFileRecord::kSize + 5, '\x01').data(), 2 * SixChannelFileRecord::kSize + 5);
  }
  EXPECT_TRUE(file.RecordAvailable());
  EXPECT_EQ(file.ReadRecord(bytes), 1);
  EXPECT_EQ(file.ReadRecord(bytes), 1);
  EXPECT_EQ(file.ReadRecord(bytes), 0);  // the partial record stays unread
  EXPECT_TRUE(file.HasPartialRecord());

  constexpr int kMany = 100000;
  WriteLog("CUT.LOG", kMany);
  ReplayDataFile cut;
  ASSERT_TRUE(cut.Open(Path("CUT.LOG"), SixChannelFileRecord::kSize));
  ASSERT_EQ(cut.ReadRecord(bytes), 1);
  fs::resize_file(Path("CUT.LOG"), 0);
  int more = 0;
  while (cut.ReadRecord(bytes) == 1 && more < kMany) ++more;
  EXPECT_LT(more, kMany / 10);  // the rest of one block at most
  EXPECT_EQ(cut.ReadRecord(bytes), 0);
  EXPECT_FALSE(cut.RecordAvailable());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// A log cut off while recording keeps the header written as it started (no
// end depth, no end time): its end is taken from the data, and the reader
// over the mended range replays every record. A finished header whose range
// holds every record stands.
TEST_F(ReplayReaderTest, ACutOffLogTakesItsEndFromTheData) {
  WriteLog("SIX.LOG", 40);  // 40 records, one step apart
  std::vector<std::uint16_t> steps(30, 0x4001);  // 30 sweeps a step down
  steps.insert(steps.end(), 5, 0x8000);          // and 5 that did not move
  Write("TV.BTV", Sweeps(steps));
  std::vector<std::uint16_t> up(20, 0x0001);  // 20 sweeps a step up
  Write("UP.BTV", Sweeps(up));
  WriteLog("PAIR.LOG", 12);
  std::vector<std::uint8_t> cbl;
  for (int i = 0; i < 15; ++i) Append(cbl, WaveformFileRecord{});
  Write("PAIR.CBL", cbl);
  struct Case {
    const char* what;
    const char* file;
    int kind;
    int start, end, endTime, mode;
    int mended;  // the end depth afterwards; the header's own when it stands
  } cases[] = {
      {"down, unfinished", "SIX.LOG", kToolSixChannel, 100000, 0, 0, 12, 103900},
      {"up, unfinished", "SIX.LOG", kToolSixChannel, 100000, 0, 0, 11, 96100},
      {"up to the surface, unfinished", "SIX.LOG", kToolSixChannel, 3900, 0, 0, 11, 0},
      {"down, end short of the data", "SIX.LOG", kToolSixChannel, 100000, 101000, 5000, 12, 103900},
      {"down, finished at the last record", "SIX.LOG", kToolSixChannel, 100000, 103900, 5000, 12, 103900},
      {"down, finished less than a step on", "SIX.LOG", kToolSixChannel, 100000, 103950, 5000, 12, 103950},
      {"down, end beyond the data stands", "SIX.LOG", kToolSixChannel, 100000, 250000, 5000, 12, 250000},
      {"up, end beyond the data stands", "SIX.LOG", kToolSixChannel, 100000, 0, 5000, 11, 0},
      {"time log", "SIX.LOG", kToolSixChannel, 100000, 0, 0, 10, 0},
      {"cement bond: the shorter file counts", "PAIR.CBL", kToolCementBond, 100000, 0, 0, 12, 101100},
      // A televiewer log's end lies a step past its last rebuilt depth.
      {"televiewer down, unfinished", "TV.BTV", kToolTeleviewer, 100000, 0, 0, 12, 103100},
      {"televiewer up, unfinished", "UP.BTV", kToolTeleviewer, 100000, 0, 0, 11, 97900},
      {"televiewer, end against the sweeps", "TV.BTV", kToolTeleviewer, 100000, 90000, 5000, 12, 103100},
      {"televiewer, end where the sweeps went stands", "TV.BTV", kToolTeleviewer, 100000, 101000, 5000, 12, 101000},
      {"no data file", "NONE.LOG", kToolSixChannel, 100000, 0, 0, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeaderInfo h;
    h.Startdepth = c.start;
    h.EndDepth = c.end;
    h.EndTime = c.endTime;
    h.Step = 100;
    h.LogMode = c.mode;
    EXPECT_EQ(TakeEndDepthFromData(Path(c.file), c.kind, &h), c.mended != c.end);
    EXPECT_EQ(h.EndDepth, c.mended);
  }
  EXPECT_TRUE(boxes_.empty());

  // Over the mended range (39 steps) the reader delivers every record, then
  // zero records up to the window's 39 + 51; a televiewer reader every sweep.
  auto unfinished = [this](const char* file, int kind) {
    HeaderInfo h;
    h.Startdepth = 100000;
    h.Step = 100;
    h.LogMode = 12;
    EXPECT_TRUE(TakeEndDepthFromData(Path(file), kind, &h));
    return h;
  };
  const HeaderInfo h = unfinished("SIX.LOG", kToolSixChannel);
  ReplayReader reader(Path("SIX.LOG"), kToolSixChannel, h.Startdepth, h.EndDepth, 12, h);
  const auto got = ReadAll(reader);
  ASSERT_EQ(got.size(), 39u + 51u);
  EXPECT_EQ(got[39], 40);
  EXPECT_EQ(got[40], 0);
  const HeaderInfo tv = unfinished("TV.BTV", kToolTeleviewer);
  ReplayReader sweeps(Path("TV.BTV"), kToolTeleviewer, tv.Startdepth, tv.EndDepth, 12, tv);
  EXPECT_EQ(ReadSweeps(sweeps).size(), 35u);  // to the last sweep
}

}  // namespace
}  // namespace qv
