#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "fixture.h"

using Bytes = std::vector<uint8_t>;

namespace {

// A reply as the unit sends it, built field by field.
struct Reply {
  Bytes b;
  explicit Reply(size_t n) : b(n, 0) {}
  Reply& le16(size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
    return *this;
  }
  Reply& le32(size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    return *this;
  }
  Reply& be16(size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
    return *this;
  }
  Reply& befloat(size_t at, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(u >> (24 - 8 * i));
    return *this;
  }
  Reply& u8(size_t at, uint8_t v) {
    b[at] = v;
    return *this;
  }
};

Reply SixReply(int32_t depth, int32_t time, std::array<uint16_t, 6> ch, uint8_t rate = 50) {
  Reply r(23);
  r.le32(0, depth).le32(4, time).u8(8, 21).u8(9, rate);
  unsigned sum = 21 + rate;
  for (int i = 0; i < 6; ++i) {
    r.le16(10 + 2 * i, ch[i]);
    sum += ch[i];
  }
  r.u8(22, uint8_t(sum));
  return r;
}

}  // namespace

class ReadsTest : public TbdeviceTest {
 public:
  void Mode(uint8_t std, uint8_t tool, int16_t value = 1000, uint8_t mode = 10) {
    LoggingModeBlock off{};
    SetLoggingMode(&off);
    LoggingModeBlock on{std, tool, value, mode, 0};
    ASSERT_EQ(SetLoggingMode(&on), 0u);
  }
  void Send(const Reply& r) { unit->QueueRecord(r.b); }
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
  }
};

// Every read leaves the caller's records alone while logging is off.
TEST_F(ReadsTest, NothingWhileLoggingIsOff) {
  SixChannelPacket six{};
  TwelveChannelRecord twelve{};
  TeleviewerSweep sweep{};
  CblWaveformSegment seg{};
  ScopeShot* shot = new ScopeShot{};
  SonicPacket sonic{};
  int d = 7, t = 7;
  const std::function<uint32_t()> reads[] = {
      [&] { return GetSonde6ChannelPacket(&six, nullptr, 0); },
      [&] { return GetTwelve(&twelve); },
      [&] { return GetBHTVTBSweep(&sweep, nullptr, 0); },
      [&] { return GetCBLArrival(&seg, &six, nullptr, 0); },
      [&] { return GetSonicArrival(&seg, &six, nullptr, 0); },
      [&] { return GetScopeShot(shot); },
      [&] { return GetSonicPacket(&sonic); },
      [&] { return GetDepthReport(&d, &t, nullptr, 0); },
  };
  for (const auto& read : reads) EXPECT_EQ(read(), static_cast<uint32_t>(TB_STATUS_NO_DATA));
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(d, 7);
  delete shot;
}

TEST_F(ReadsTest, SixChannelPacket) {
  Mode(2, 1);
  Send(SixReply(-1500, 5000, {100, 200, 300, 400, 500, 60000}));
  SixChannelPacket p{};
  AnalogStatusBlock a{};
  ASSERT_EQ(GetSonde6ChannelPacket(&p, &a, 0), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(p.depth, -1500);
  EXPECT_EQ(p.time, 5000);
  EXPECT_EQ(p.channel[5], 60000);
  EXPECT_EQ(p.checksum, tb::SixChannelChecksum(p));
  // Bytes 8-21 are the .LOG record.
  const auto bytes = tb::ToBytes(p);
  const Bytes sent = SixReply(0, 0, {100, 200, 300, 400, 500, 60000}).b;
  EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 22), Bytes(sent.begin() + 8, sent.begin() + 22));

  // Frequency mode: channels 1 and 2 carry a period; the frequency is held
  // to 65535. With a logger channels 2 and 3 carry temperatures in
  // hundredths of a degree, held to 0 .. 65535 (below 0 degrees records 0),
  // repeated while the logger has no new one.
  auto t = std::make_shared<tbdev::ThermoLogger>();
  int reads = 0;
  long temps[2] = {};
  t->getTemp = [&](long* v, int16_t port, int16_t ch, int16_t filtered) {
    EXPECT_EQ(port, 1);
    EXPECT_EQ(filtered, 0);
    if (++reads > 4) return 0;
    *v = temps[ch - 1];
    return 1;
  };
  tbdev::SetThermoLogger(t);
  struct Case {
    uint16_t lo, hi;
    bool logger;
    long temp1, temp2;
    std::array<uint16_t, 3> expect;
  } cases[] = {
      {0, 0, false, 0, 0, {0, 0, 0}},
      {0x3500, 0x000C, false, 0, 0, {1000, 0, 0}},  // period 800000
      {10000, 0, false, 0, 0, {65535, 0, 0}},       // 80 kHz: held, not 14464
      {12208, 0, false, 0, 0, {65530, 0, 0}},       // just under the limit
      {0x3500, 0x000C, true, 2345, -120, {1000, 2345, 0}},
      {0x3500, 0x000C, true, 70000, 65535, {1000, 65535, 65535}},
      {1, 0, true, 0, 0, {65535, 65535, 65535}},  // no new reading: the last again
  };
  Mode(25, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lo);
    temps[0] = c.temp1;
    temps[1] = c.temp2;
    tbdev::State().thermoPresent = c.logger;
    Send(SixReply(10, 20, {c.lo, c.hi, 7, 8, 9, 10}));
    ASSERT_EQ(GetSonde6ChannelPacket(&p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
    EXPECT_EQ(p.channel[0], c.expect[0]);
    EXPECT_EQ(p.channel[1], c.expect[1]);
    EXPECT_EQ(p.channel[2], c.expect[2]);
    EXPECT_EQ(p.channel[3], 8);
    EXPECT_EQ(p.checksum, tb::SixChannelChecksum(p)) << "checksum after the rewrite";
  }
}

TEST_F(ReadsTest, TwelveChannelRecordWithLoggerAndMinuteMarks) {
  auto t = std::make_shared<tbdev::ThermoLogger>();
  t->getTemp = [](long* v, int16_t, int16_t ch, int16_t) {
    *v = 1000 * ch + 50;
    return 1;
  };
  tbdev::SetThermoLogger(t);
  tbdev::State().thermoPresent = true;
  Mode(10, 8, 150);
  qv::sim::UnitState st = unit->State();
  st.analog = {1, 2, 3};
  st.rawTension = -20;
  unit->SetState(st);
  auto reply = [](int32_t time) {
    Reply r(74);
    r.le32(0, 777).le32(4, time).u8(8, 0x40).u8(9, 0x05).befloat(10, 1.5f).befloat(14, -2.25f);
    return r;
  };
  Send(reply(59999));
  Send(reply(60000));
  Send(reply(60500));
  TwelveChannelRecord rec{};
  ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(rec.mask, 0x0005u) << "minute 0 has no mark, and the unit's own bit 6 is cleared";
  EXPECT_EQ(rec.depth, 777);
  EXPECT_EQ(rec.analog1, 1);
  EXPECT_EQ(rec.analog3, 3);
  EXPECT_EQ(rec.tension, -20);
  const float expect[12] = {1.5f, 10.5f, -2.25f, 20.5f, 30.5f, 40.5f, 50.5f, 60.5f, 70.5f, 80.5f, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(rec.value[i], expect[i]) << "channel " << i + 1;
  ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(rec.mask, 0x4005u) << "first record of minute 1";
  ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(rec.mask, 0x0005u);
  // Bytes 16-79 are the .LGX record: depth first.
  EXPECT_EQ(tb::ToBytes(rec)[16], 777 & 0xFF);
}

// The speed mode: the record's third channel is the speed over the last 20
// records, held at 0 for the first 20 after the start.
TEST_F(ReadsTest, TwelveChannelSpeedMode) {
  Mode(26, 8, 150);
  for (int k = 1; k <= 22; ++k) {
    Reply r = SixReply(1000 + 10 * k, 100 * k, {300, 40, 0, 0, 0, 0}, 25);
    Send(r);
  }
  TwelveChannelRecord rec{};
  rec.value[0] = -1;
  for (int k = 1; k <= 22; ++k) {
    SCOPED_TRACE(k);
    ASSERT_EQ(GetTwelve(&rec), static_cast<uint32_t>(TB_STATUS_DATA));
    EXPECT_EQ(rec.mask, 7u);
    EXPECT_EQ(rec.interval, 100);
    EXPECT_FLOAT_EQ(rec.value[0], 600.0f);
    EXPECT_FLOAT_EQ(rec.value[1], 80.0f);
    // 50 (imperial) x 200 counts x 60 / 2000 ms
    EXPECT_FLOAT_EQ(rec.value[2], k <= 20 ? 0.0f : 300.0f);
  }
}

TEST_F(ReadsTest, TeleviewerSweep) {
  Mode(5, 2, 20, 11);
  auto reply = [](int32_t depth) {
    Reply r(272);
    r.le32(0, depth).le32(4, 4321);
    for (int w = 0; w < 132; ++w) r.be16(8 + 2 * w, uint16_t(w * 0x0101));
    return r;
  };
  struct Case {
    int32_t depth;
    uint16_t step;
  } cases[] = {{5000, 0x8000}, {5300, 0x412C}, {5295, 0x8005}, {5295, 0x8000}};
  for (const Case& c : cases) Send(reply(c.depth));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    TeleviewerSweep s{};
    ASSERT_EQ(GetBHTVTBSweep(&s, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
    EXPECT_EQ(s.depthStep, c.step);
    EXPECT_EQ(s.word[1], 0x0101);
    EXPECT_EQ(s.word[128], 0x8080);
    EXPECT_EQ(s.word[130], 0x8241) << "word 130's low byte is shifted right by one";
    EXPECT_EQ(s.trailer, 131);
    EXPECT_EQ(s.time, 4321);
  }
  // A second status byte comes back as 7; the stored status keeps the unit's.
  Send(reply(5295));
  Faults([](qv::sim::Faults& f) { f.secondStatus = 3; });
  TeleviewerSweep s{};
  EXPECT_EQ(GetBHTVTBSweep(&s, nullptr, 0), 0x0706u);
  AnalogStatusBlock a{};
  EXPECT_EQ(GetAnalogStatus(&a), 0x0306u);
}

TEST_F(ReadsTest, CementBondSegments) {
  Mode(6, 5, 20, 11);
  auto reply = [](uint8_t flags, int32_t time) {
    Reply r(71);
    r.le32(0, 900).le32(4, time).u8(8, flags).u8(9, 12);
    for (int i = 0; i < 48; ++i) r.u8(10 + i, uint8_t(i - 24));
    for (int i = 0; i < 6; ++i) r.le16(58 + 2 * i, uint16_t(1000 + i));
    r.u8(70, 0xF0);
    return r;
  };
  Send(reply(0x03, 61000));  // near, segment 3, in minute 1
  Send(reply(0x83, 61010));  // far
  CblWaveformSegment seg{};
  SixChannelPacket p{};
  ASSERT_EQ(GetCBLArrival(&seg, &p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(seg.flags, 0x23);
  EXPECT_EQ(seg.receiver, 12);
  EXPECT_EQ(seg.sample[0], -24);
  EXPECT_EQ(seg.closing, 0x10) << "0xF0 + 0x20, modulo 256";
  EXPECT_EQ(p.depth, 900);
  EXPECT_EQ(p.time, 61000);
  EXPECT_EQ(p.flags, 21);
  EXPECT_EQ(p.rate, 50);
  EXPECT_EQ(p.channel[5], 1005);
  EXPECT_EQ(p.checksum, tb::SixChannelChecksum(p));
  const SixChannelPacket before = p;
  Faults([](qv::sim::Faults& f) { f.secondStatus = 2; });
  ASSERT_EQ(GetCBLArrival(&seg, &p, nullptr, 0), 0x0206u);
  EXPECT_EQ(seg.flags, 0x83 | 0x40);
  EXPECT_EQ(seg.closing, 0x28) << "far: byte 58 plus 0x40, modulo 256";
  EXPECT_EQ(0, std::memcmp(&p, &before, sizeof p)) << "a far segment leaves the packet alone";
}

TEST_F(ReadsTest, ScopeShotAndDepthReport) {
  Mode(12, 1, 3000, 12);
  Reply r(12296);
  r.le32(0, 11).le32(4, 22);
  for (int i = 0; i < 12288; ++i) r.u8(8 + i, uint8_t(i * 7));
  Send(r);
  auto shot = std::make_unique<ScopeShot>();
  ASSERT_EQ(GetScopeShot(shot.get()), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(shot->word0, 11u);
  EXPECT_EQ(shot->word1, 22u);
  EXPECT_EQ(shot->sample[12287], uint8_t(12287 * 7));
  EXPECT_EQ(shot->trailer0, 0);
  EXPECT_EQ(shot->trailer1, 1);

  Mode(2, 1, 1000, 14);
  Reply d(8);
  d.le32(0, -250).le32(4, 3000);
  Send(d);
  int depth = 0, time = 0;
  ASSERT_EQ(GetDepthReport(&depth, &time, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(depth, -250);
  EXPECT_EQ(time, 3000);
  EXPECT_EQ(GetDepthReport(&depth, &time, nullptr, 0), static_cast<uint32_t>(TB_STATUS_NO_DATA));
  unit->Detach();
  EXPECT_EQ(GetDepthReport(&depth, &time, nullptr, 0), static_cast<uint32_t>(TB_STATUS_NOT_ATTACHED))
      << "a gone unit is told apart from no data";
}

TEST_F(ReadsTest, SonicPacket) {
  Mode(27, 10, 20, 11);
  const int L = 2071;
  Reply r(L + 8);
  r.le32(0, 4444).le32(4, 5555);
  for (int i = 0; i < 7; ++i) r.u8(8 + i, uint8_t(i + 1));
  r.le16(17, 300).le16(19, 600);
  for (int i = 0; i < 1024; ++i) r.le16(21 + 2 * i, uint16_t(int16_t(i - 512)));
  r.le16(L - 2, 11).le16(L, 12).le16(L + 2, 13).le16(L + 4, 14);
  Send(r);
  SonicPacket p{};
  ASSERT_EQ(GetSonicPacket(&p), static_cast<uint32_t>(TB_STATUS_DATA));
  EXPECT_EQ(p.depth, 4444);
  EXPECT_EQ(p.time, 5555);
  EXPECT_EQ(p.mask, 63);
  EXPECT_EQ(p.divisor, 600);
  const float expect[12] = {11, 12, 13, 14, 500, 2, 3, 4, 5, 6, 7, 1};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(p.value[i], expect[i]) << i;
  ASSERT_NE(p.samples, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p.samples) % alignof(int16_t), 0u);
  EXPECT_EQ(p.samples[0], -512);
  EXPECT_EQ(p.samples[1023], 511);

  // Diagnostic packets: five calls of nothing, then a packet of known values.
  unit->ClearJournal();
  Diagnostic_on();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(GetSonicPacket(&p), static_cast<uint32_t>(TB_STATUS_NO_DATA));
  ASSERT_EQ(GetSonicPacket(&p), static_cast<uint32_t>(TB_STATUS_DATA));
  Diagnostic_off();
  EXPECT_EQ(p.depth, 10000);
  EXPECT_EQ(p.tension, 1234);
  EXPECT_EQ(p.analog1, 90);
  EXPECT_FLOAT_EQ(p.value[0], 50);
  EXPECT_FLOAT_EQ(p.value[11], 7);
  EXPECT_EQ(p.samples[49], 0);
  EXPECT_EQ(p.samples[50 + 5], static_cast<int16_t>(std::floor(std::sin(5 * 20 * 3.141593 / 206) * 2047)));
  EXPECT_EQ(tbdev::State().modeWord, 0xA1D);
  EXPECT_TRUE(Sent().empty()) << "diagnostic packets need no unit";
}

class ThermoLoggerTest : public ReadsTest {
 public:
  void SetUp() override {
    ::setenv("QUORVANTA_SIMULATOR", "1", 1);  // libthrm32 answers with its simulated logger
    TbdeviceTest::SetUp();
    WriteText("NEVA_THRM", "");
    BringUp();
  }
  void TearDown() override {
    ReadsTest::TearDown();
    ::unsetenv("QUORVANTA_SIMULATOR");
  }
};

// With the marker NEVA_THRM the library opens the thermocouple logger through
// libthrm32 and puts its readings into the frequency tool's packets.
TEST_F(ThermoLoggerTest, TemperaturesReachTheSixChannelPacket) {
  ASSERT_TRUE(tbdev::State().thermoPresent);
  Mode(25, 1);
  SixChannelPacket p{};
  for (int i = 0; i < 200 && (p.channel[1] == 0 || p.channel[2] == 0); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Send(SixReply(10, 20, {0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(GetSonde6ChannelPacket(&p, nullptr, 0), static_cast<uint32_t>(TB_STATUS_DATA));
  }
  EXPECT_NEAR(int16_t(p.channel[1]), 2000, 5) << "logger channel 1 in hundredths of a degree";
  EXPECT_NEAR(int16_t(p.channel[2]), 2500, 5);
}
