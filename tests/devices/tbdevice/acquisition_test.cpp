// Logs read from the simulated unit as the acquisition threads read them:
// the unit makes its records on its own clock, the test moves the clock.
#include <algorithm>
#include <cmath>

#include "devices/simulator/unit/sonde_data.h"
#include "devices/tbdevice/sonic.h"
#include "fixture.h"

class AcquisitionTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
    qv::sim::DataOptions o;
    o.pattern = true;
    unit->SetDataOptions(o);
    ASSERT_EQ(Set_Depth(10000), 0u);
  }
  void Winch(uint8_t direction, uint8_t speed) {
    WinchControlBlock w{direction, speed};
    ASSERT_EQ(SetWinch(&w), 0u);
  }
  void Mode(uint8_t std, uint8_t tool, int16_t value, uint8_t mode) {
    LoggingModeBlock on{std, tool, value, mode, 0};
    ASSERT_EQ(SetLoggingMode(&on), 0u);
  }
};

// Logging down at 50 counts/s with a step of 10 counts: a record every
// 200 ms, each one step deeper, the minute marked once.
TEST_F(AcquisitionTest, ScriptedDepthLogGivesTheRecordsItImplies) {
  Winch(2, 5);
  Mode(10, 8, 10, 12);
  TwelveChannelRecord rec{};
  for (int k = 1; k <= 305; ++k) {
    clock->Advance(200);
    ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA)) << k;
    ASSERT_EQ(rec.depth, 10000 + 10 * k);
    ASSERT_EQ(rec.time, 200 * k);
    ASSERT_EQ(rec.mask & 0x0FFF, 0x0FFFu);
    ASSERT_EQ((rec.mask & 0x4000) != 0, k == 300) << k;
    ASSERT_FLOAT_EQ(rec.value[0], float(k - 1));
    ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_NO_DATA)) << "one record per step";
  }
  // The speed mode of the same tool: 10 (metric) x 200 counts x 60 / 4000 ms.
  UnitConfigBlock metric{1, 0, 10, 2};
  ASSERT_EQ(InitialiseLumbracoder(&metric), 0u);
  LoggingModeBlock off{};
  SetLoggingMode(&off);
  Mode(26, 8, 10, 12);
  for (int k = 1; k <= 25; ++k) {
    clock->Advance(200);
    ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA)) << k;
    EXPECT_EQ(rec.interval, 200);
    EXPECT_FLOAT_EQ(rec.value[2], k <= 20 ? 0.0f : 30.0f) << k;
    EXPECT_FLOAT_EQ(rec.value[0], float((k - 1) * 16 + 1));
  }
}

TEST_F(AcquisitionTest, ReversalOverSpeedAndOverflow) {
  Winch(2, 5);
  Mode(2, 1, 10, 12);
  SixChannelPacket p{};
  std::vector<int32_t> depths;
  auto read = [&](int steps) {
    for (int i = 0; i < steps; ++i) {
      clock->Advance(200);
      if (GetSonde6ChannelPacket(&p, nullptr, 0) == TB_STATUS_DATA) depths.push_back(p.depth);
    }
  };
  read(3);
  unit->ReverseWinch();
  read(3);
  qv::sim::DataOptions o;
  o.pattern = true;
  o.overSpeed = true;
  unit->SetDataOptions(o);
  read(4);
  EXPECT_EQ(depths, (std::vector<int32_t>{10010, 10020, 10030, 10020, 10010, 10000, 9980, 9960}));

  // A unit that is not read loses records and says so once.
  o.overSpeed = false;
  o.queueCapacity = 4;
  unit->SetDataOptions(o);
  clock->Advance(2000);
  EXPECT_EQ(GetSonde6ChannelPacket(&p, nullptr, 0), 12u) << "buffer memory overflow";
  int delivered = 0;
  while (GetSonde6ChannelPacket(&p, nullptr, 0) == TB_STATUS_DATA) ++delivered;
  EXPECT_EQ(delivered, 4);
}

// Logging in depth, a waveform sonde sends one segment of its firing at each
// depth step (the logs count a record a depth step): the segments cycle
// through near 0-4 and far 0-4, each with the depth of its own step.
TEST_F(AcquisitionTest, ACementBondDepthLogSendsASegmentAStep) {
  Winch(2, 5);
  Mode(6, 5, 10, 12);
  for (int k = 0; k < 12; ++k) {
    clock->Advance(200);
    CblWaveformSegment seg{};
    SixChannelPacket p{};
    ASSERT_EQ(GetCBLArrival(&seg, &p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA)) << k;
    EXPECT_EQ(seg.flags & 0x8F, (k % 10 < 5 ? 0 : 0x80) | (k % 5)) << k;
    EXPECT_EQ(seg.depth, 10010 + 10 * k);
    EXPECT_NE(GetCBLArrival(&seg, &p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA)) << "one a step";
  }
}

// Every logging mode makes its own kind of record, read by its own export.
TEST_F(AcquisitionTest, EveryModeMakesItsRecords) {
  struct Case {
    const char* name;
    uint8_t std, tool, mode;
    int16_t value;
    std::function<void(AcquisitionTest&)> check;
  } cases[] = {
      {"monitor", 2, 1, 14, 1000,
       [](AcquisitionTest&) {
         int d = 0, t = 0;
         ASSERT_EQ(GetDepthReport(&d, &t, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
         EXPECT_EQ(d, 10000);
         EXPECT_EQ(t, 1000);
       }},
      {"six channels on time", 2, 1, 10, 1000,
       [](AcquisitionTest&) {
         SixChannelPacket p{};
         ASSERT_EQ(GetSonde6ChannelPacket(&p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
         EXPECT_EQ(p.checksum, tb::SixChannelChecksum(p));
         EXPECT_EQ(p.rate, 50);
       }},
      {"televiewer", 5, 2, 10, 1000,
       [](AcquisitionTest&) {
         TeleviewerSweep s{};
         ASSERT_EQ(GetBHTVTBSweep(&s, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
         EXPECT_EQ(s.trailer, 131);
         EXPECT_EQ(s.word[1], (0 & 0x3F) << 8);  // pattern: amplitude = index + azimuth
         EXPECT_EQ(s.word[3], (2 << 8) | (2 << 1));
       }},
      {"cement bond", 6, 5, 10, 1000,
       [](AcquisitionTest&) {
         int near = 0, far = 0;
         for (int k = 0; k < 10; ++k) {  // 240-sample traces: segments 0-4 of each receiver
           CblWaveformSegment seg{};
           SixChannelPacket p{};
           ASSERT_EQ(GetCBLArrival(&seg, &p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
           EXPECT_EQ(seg.flags & 0x0F, k % 5);
           ((seg.flags & 0x80) ? far : near)++;
         }
         EXPECT_EQ(near, 5);
         EXPECT_EQ(far, 5);
       }},
      {"scope", 12, 1, 12, 3000,
       [](AcquisitionTest&) {
         auto shot = std::make_unique<ScopeShot>();
         ASSERT_EQ(GetScopeShot(shot.get()), static_cast<uint32_t>(TB_STATUS_DATA));
         EXPECT_EQ(shot->word1, 3000u);
         EXPECT_EQ(shot->sample[5], 5);
       }},
      {"sonic", 26, 10, 10, 1000,
       [](AcquisitionTest&) {
         SonicPacket p{};
         ASSERT_EQ(GetSonicPacket(&p), static_cast<uint32_t>(TB_STATUS_DATA));
         EXPECT_EQ(p.divisor, 400);
         EXPECT_EQ(p.samples[2 * 512 + 7], 2007) << "third trace";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingModeBlock off{};
    SetLoggingMode(&off);
    Mode(c.std, c.tool, c.value, c.mode);
    clock->Advance(static_cast<uint64_t>(c.value));
    c.check(*this);
  }
}

// Without the pattern the data are plausible: waveforms with a first arrival
// where the unit put it, and a fracture that darkens the televiewer image.
// The full-wave traces of a firing at a few depths, cased and open hole:
// quiet before the first arrival, a burst that dies away, the far arrival
// later by the receivers' spacing (0.61 m) times the slowness between them, and picks in
// the near reply that the library's own picking finds in the samples.
TEST(FullWaveTraces, ArrivalsBurstsAndPicks) {
  for (const int32_t depth : {300, 800, 5000, 20000, 45000}) {
    SCOPED_TRACE(depth);
    qv::sim::SondeSample s;
    s.depth = depth;
    s.index = static_cast<uint32_t>(depth);
    const auto segments = qv::sim::MakeRecords(qv::sim::RecordKind::FullWave, s);
    ASSERT_EQ(segments.size(), 20u);
    std::vector<int8_t> wave[2] = {std::vector<int8_t>(480), std::vector<int8_t>(480)};
    for (int k = 0; k < 20; ++k) {
      const auto& r = segments[static_cast<size_t>(k)];
      ASSERT_EQ(r.size(), 71u);
      ASSERT_EQ(r[8], (k / 10 ? 0x80 : 0) | (k % 10)) << "near 0..9, then far 0..9";
      for (int i = 0; i < 48; ++i)
        wave[k / 10][static_cast<size_t>(48 * (k % 10) + i)] = static_cast<int8_t>(r[10 + i]);
    }
    const auto word = [&](int at) {
      return segments[0][static_cast<size_t>(at)] | segments[0][static_cast<size_t>(at + 1)] << 8;
    };
    const int arrival[2] = {word(58) / 8, word(60) / 8};
    EXPECT_EQ(word(66), word(60) - word(58)) << "the picks' difference";
    // The receivers sit 2.0 and 2.6 m above the sonde's bottom; between them
    // the wave runs through pipe or rock (two microseconds a sample).
    double slowness = 0;
    for (int k = 0; k < 8; ++k) {
      const qv::sim::Formation f = qv::sim::DefaultWell().At(qv::sim::MetresOf(depth) - 2.6 + 0.6 * (k + 0.5) / 8);
      slowness += (f.cased ? 187 : f.slowness) / 8;
    }
    EXPECT_NEAR(arrival[1] - arrival[0], 0.61 * slowness / 2, 3.0) << arrival[0] << " " << arrival[1];
    EXPECT_NEAR(arrival[0], qv::sim::NearArrival(depth), 1);
    EXPECT_NEAR(arrival[1], qv::sim::FarArrival(depth), 1);
    for (int far = 0; far < 2; ++far) {
      SCOPED_TRACE(far ? "far" : "near");
      const std::vector<int8_t>& w = wave[far];
      const int a = arrival[far];
      ASSERT_GT(a, 20);
      ASSERT_LE(a + 128, 480);
      auto peak = [&w](int from, int to) {
        int m = 0;
        for (int i = from; i < to; ++i) m = std::max(m, std::abs(int{w[static_cast<size_t>(i)]}));
        return m;
      };
      EXPECT_LE(peak(0, a), 4) << "quiet before the arrival";
      EXPECT_GT(peak(a, a + 32), 2 * peak(a + 96, a + 128)) << "the burst dies away";
      const int pick =
          far ? tbdev::PickArrival(w.data(), 0, 10, 400, 2.5f) : tbdev::PickArrival(w.data(), 0, 25, 200, 2.0f);
      EXPECT_NEAR(pick, a, 4) << "the reply's pick agrees with the samples";
    }
  }
}

TEST_F(AcquisitionTest, PlausibleSondeData) {
  qv::sim::SondeSample s;
  s.depth = 20000;
  const auto segments = qv::sim::MakeRecords(qv::sim::RecordKind::FullWave, s);
  ASSERT_EQ(segments.size(), 20u);
  std::vector<int8_t> nearWave(480);
  for (int n = 0; n < 10; ++n)
    for (int i = 0; i < 48; ++i) nearWave[48 * n + i] = static_cast<int8_t>(segments[n][10 + i]);
  const int pick = tbdev::PickArrival(nearWave.data(), 0, 25, 200, 2.0f);
  EXPECT_NEAR(pick, qv::sim::NearArrival(s.depth), 4);

  auto darkAzimuths = [](int32_t depth) {
    qv::sim::SondeSample t;
    t.depth = depth;
    const auto r = qv::sim::MakeRecords(qv::sim::RecordKind::Televiewer, t)[0];
    int dark = 0;
    for (int w = 1; w <= 128; ++w) dark += r[8 + 2 * w] < 16;  // amplitude in the high byte
    return dark;
  };
  // Half a centimetre above the centre of the well's steepest fracture.
  const qv::sim::Fracture steep = qv::sim::DefaultWell().Spec().fractures[4];
  const auto fracture = static_cast<int32_t>(std::lround(steep.depth * 100)) - 1;
  EXPECT_GT(darkAzimuths(fracture), 0);
  EXPECT_LT(darkAzimuths(fracture), 128) << "a dipping fracture crosses only part of the wall at one depth";
  EXPECT_EQ(darkAzimuths(fracture + 200), 0);
}

// What the library hands over is what the unit sent: the .LOG bytes of every
// packet equal the record bytes the simulated unit put on the pipe.
TEST_F(AcquisitionTest, RecordedBytesAreWhatTheUnitSent) {
  qv::sim::DataOptions o;
  o.pattern = true;
  o.keepDelivered = true;
  unit->SetDataOptions(o);
  Mode(2, 1, 100, 10);
  std::vector<std::array<uint8_t, 24>> packets;
  for (int k = 0; k < 50; ++k) {
    clock->Advance(100);
    SixChannelPacket p{};
    ASSERT_EQ(GetSonde6ChannelPacket(&p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
    packets.push_back(tb::ToBytes(p));
  }
  const auto sent = unit->Delivered();
  ASSERT_EQ(sent.size(), packets.size());
  for (size_t k = 0; k < sent.size(); ++k)
    EXPECT_TRUE(std::equal(packets[k].begin(), packets[k].begin() + 23, sent[k].begin())) << k;
}
