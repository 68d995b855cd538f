// Every data-file record pinned by hand-written bytes: decode gives the named
// fields, encode gives the bytes back, and the device records receive and give
// up exactly the bytes the data files hold.
#include "logdoc/records/records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "logdoc/records/device_records.h"

namespace qv {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

template <class Record>
std::vector<std::uint8_t> Bytes(const Record& r) {
  std::vector<std::uint8_t> out(Record::kSize);
  r.Encode(std::span<std::uint8_t, Record::kSize>(out.data(), Record::kSize));
  return out;
}

template <class Record>
Record FromBytes(const std::vector<std::uint8_t>& bytes) {
  return Record::Decode(std::span<const std::uint8_t, Record::kSize>(bytes.data(), Record::kSize));
}

TEST(SixChannelFileRecord, LiteralBytes) {
  const auto bytes = Hex("81 19 01 00 34 12 ff ff 00 80 02 00 10 27");
  const auto r = FromBytes<SixChannelFileRecord>(bytes);
  EXPECT_EQ(r.flags, 0x81);
  EXPECT_EQ(r.rate, 25);
  const std::uint16_t counts[6] = {1, 0x1234, 0xFFFF, 0x8000, 2, 10000};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.counts[i], counts[i]) << i;
  EXPECT_EQ(Bytes(r), bytes);
  // (1 + 0x1234 + 0xFFFF + 0x8000 + 2 + 10000) mod 256
  EXPECT_EQ(r.CountSum(), (1 + 0x1234 + 0xFFFF + 0x8000 + 2 + 10000) & 0xFF);
}

TEST(SixChannelFileRecord, ScalingByRate) {
  struct Case {
    std::uint16_t count;
    std::uint8_t rate;
    double value;
  } cases[] = {{100, 50, 100.0}, {100, 0, 100.0}, {100, 25, 200.0}, {3, 200, 0.75}, {65535, 255, 65535 * 50.0 / 255}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ScaleCount(c.count, c.rate), c.value) << c.count << "/" << +c.rate;
  // Every count at every rate is the very double that count x 50 / rate
  // gives: stored and printed values must not move by a last bit.
  volatile double fifty = 50.0;  // kept from being folded at compile time
  for (int rate = 0; rate < 256; ++rate)
    for (int count = 0; count < 65536; count += rate % 50 == 0 ? 1 : 97) {
      const double expected = count * fifty / (rate == 0 ? fifty : static_cast<double>(rate));
      ASSERT_EQ(ScaleCount(static_cast<std::uint16_t>(count), static_cast<std::uint8_t>(rate)), expected)
          << count << "/" << rate;
    }
}

TEST(TwelveChannelFileRecord, LiteralBytes) {
  // depth -1000, time 60000, mask 0x4007, word 0xA5A55A5A, channels 1.0, -2.5, 0 ... , 12th 1e6
  std::string hex = "18 fc ff ff 60 ea 00 00 07 40 00 00 5a 5a a5 a5 00 00 80 3f 00 00 20 c0";
  for (int i = 2; i < 11; ++i) hex += " 00 00 00 00";
  hex += " 00 24 74 49";
  const auto bytes = Hex(hex);
  ASSERT_EQ(bytes.size(), 64u);
  const auto r = FromBytes<TwelveChannelFileRecord>(bytes);
  EXPECT_EQ(r.depth, -1000);
  EXPECT_EQ(r.time, 60000);
  EXPECT_EQ(r.mask, 0x4007u);
  EXPECT_EQ(r.word, 0xA5A55A5Au);
  EXPECT_EQ(r.values[0], 1.0f);
  EXPECT_EQ(r.values[1], -2.5f);
  EXPECT_EQ(r.values[11], 1e6f);
  EXPECT_TRUE(r.Present(0));
  EXPECT_TRUE(r.Present(2));
  EXPECT_FALSE(r.Present(3));
  EXPECT_FALSE(r.Present(12));
  EXPECT_EQ(Bytes(r), bytes);
  // Channel p sits at 12 + 4p, as the LAS export and the channel reader take it.
  EXPECT_EQ(TwelveChannelFileRecord::ChannelOffset(1), 16u);
  EXPECT_EQ(TwelveChannelFileRecord::ChannelOffset(12), 60u);
}

TEST(SonicFileRecord, GeometryByStandard) {
  struct Case {
    int comStd, bytes, waves, size;
  } cases[] = {{26, 1024, 3, 3136}, {27, 1024, 2, 2112}, {28, 512, 4, 2112}, {29, 1024, 2, 2112},
               {25, -1, -1, 0},     {30, -1, -1, 0},     {0, -1, -1, 0}};
  for (const auto& c : cases) {
    int bytes = -1, waves = -1;
    EXPECT_EQ(GetSonicGeometry(c.comStd, &bytes, &waves), c.size) << c.comStd;
    EXPECT_EQ(bytes, c.bytes) << c.comStd;
    EXPECT_EQ(waves, c.waves) << c.comStd;
  }
}

TEST(SonicFileRecord, HeadThenLittleEndianSamples) {
  const SonicGeometry g{512, 4};
  SonicFileRecord r;
  r.head.depth = 1234;
  r.head.mask = 0x0FFF;
  r.head.values[4] = 0.5f;
  r.samples.assign(g.WaveformBytes() / 2, 0);
  r.samples[0] = -2;          // first sample of waveform 1
  r.samples[256] = 0x1234;    // first sample of waveform 2
  r.samples.back() = -32768;  // last sample of waveform 4
  std::vector<std::uint8_t> bytes(g.RecordSize());
  ASSERT_TRUE(r.Encode(g, bytes));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), Hex("d2 04 00 00"));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 32, bytes.begin() + 36), Hex("00 00 00 3f"));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 64, bytes.begin() + 66), Hex("fe ff"));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 64 + 512, bytes.begin() + 66 + 512), Hex("34 12"));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 2, bytes.end()), Hex("00 80"));
  SonicFileRecord back;
  ASSERT_TRUE(SonicFileRecord::Decode(g, bytes, &back));
  EXPECT_EQ(back.head.depth, 1234);
  EXPECT_EQ(back.samples, r.samples);
  // Wrong sizes are refused, never read or written past.
  std::vector<std::uint8_t> shortBuffer(g.RecordSize() - 1);
  EXPECT_FALSE(r.Encode(g, shortBuffer));
  EXPECT_FALSE(SonicFileRecord::Decode(g, shortBuffer, &back));
}

TEST(TeleviewerFileRecord, LiteralBytes) {
  std::vector<std::uint8_t> bytes(268, 0);
  bytes[0] = 0x11;
  bytes[1] = 0x22;  // word 0
  bytes[2] = 0x7E;
  bytes[3] = 0x3F;  // sample 0: amplitude 63, transit 63
  bytes[256] = 0x02;
  bytes[257] = 0x01;  // sample 127: amplitude 1, transit 1
  bytes[258] = 0x83;  // word 129
  bytes[264] = 0x05;
  bytes[265] = 0x60;  // depth step: 5 counts, increased, minute mark
  bytes[266] = 0x83;
  bytes[267] = 0x00;  // word 133
  const auto r = FromBytes<TeleviewerFileRecord>(bytes);
  EXPECT_EQ(r.head, 0x2211);
  EXPECT_EQ(TeleviewerFileRecord::Amplitude(r.samples[0]), 63);
  EXPECT_EQ(TeleviewerFileRecord::TransitTime(r.samples[0]), 63);
  EXPECT_EQ(TeleviewerFileRecord::Amplitude(r.samples[127]), 1);
  EXPECT_EQ(TeleviewerFileRecord::TransitTime(r.samples[127]), 1);
  EXPECT_EQ(r.spare[0], 0x83);
  EXPECT_EQ(r.depthStep, 0x6005);
  EXPECT_TRUE(TeleviewerFileRecord::Moved(r.depthStep));
  EXPECT_TRUE(TeleviewerFileRecord::Increased(r.depthStep));
  EXPECT_TRUE(r.depthStep & TeleviewerFileRecord::kMinuteMark);
  EXPECT_FALSE(TeleviewerFileRecord::Moved(0x8000));
  EXPECT_FALSE(TeleviewerFileRecord::Increased(0x8001));
  EXPECT_EQ(r.tail, 131);
  EXPECT_EQ(Bytes(r), bytes);
}

TEST(WaveformFileRecord, LiteralBytes) {
  std::vector<std::uint8_t> bytes(50, 0);
  bytes[0] = 0xA3;  // far receiver, minute mark, segment 3
  bytes[1] = 0x7F;
  bytes[2] = 0x80;   // sample 0: -128
  bytes[3] = 0x7F;   // sample 1: 127
  bytes[49] = 0xFF;  // sample 47: -1
  const auto r = FromBytes<WaveformFileRecord>(bytes);
  EXPECT_EQ(r.flags & WaveformFileRecord::kSegmentMask, 3);
  EXPECT_TRUE(r.flags & WaveformFileRecord::kFarReceiver);
  EXPECT_TRUE(r.flags & WaveformFileRecord::kMinuteMark);
  EXPECT_EQ(r.receiver, 0x7F);
  EXPECT_EQ(r.samples[0], -128);
  EXPECT_EQ(r.samples[1], 127);
  EXPECT_EQ(r.samples[47], -1);
  EXPECT_EQ(r.SampleSum(), (0x80 + 0x7F + 0xFF) & 0xFF);
  EXPECT_EQ(Bytes(r), bytes);
}

TEST(WholeRecords, TrailingPartialRecordDoesNotCount) {
  EXPECT_EQ(WholeRecords(0, 14), 0u);
  EXPECT_EQ(WholeRecords(27, 14), 1u);
  EXPECT_EQ(WholeRecords(28, 14), 2u);
  EXPECT_EQ(WholeRecords(100, 0), 0u);
  EXPECT_EQ(WholeRecords(6ull * 1024 * 1024 * 1024, 64), 100663296u);
}

TEST(DeviceRecords, ReplayedSixChannelPacket) {
  SixChannelPacket p;
  p.depth = 55;
  p.time = 66;
  p.spare = 0xEE;
  const auto r = FromBytes<SixChannelFileRecord>(Hex("80 32 ff 00 02 00 00 00 00 00 00 00 00 00"));
  SpreadInto(r, &p);
  EXPECT_EQ(p.depth, 0);
  EXPECT_EQ(p.time, 0);
  EXPECT_EQ(p.flags, 0x80);
  EXPECT_EQ(p.rate, 50);
  EXPECT_EQ(p.channel[0], 255);
  EXPECT_EQ(p.checksum, 1);  // (255 + 2) mod 256
  EXPECT_EQ(p.spare, 0xEE);  // byte 23 untouched
  EXPECT_EQ(Bytes(FileRecordOf(p)), Bytes(r));
}

TEST(DeviceRecords, ReplayedTwelveChannelAndSonicHeads) {
  TwelveChannelFileRecord r;
  r.depth = -7;
  r.time = 9;
  r.mask = 0x4FFF;
  r.word = 3;
  r.values[11] = 2.0f;
  TwelveChannelRecord rec;
  rec.analog1 = 0xAB;
  SpreadInto(r, &rec);
  EXPECT_EQ(rec.analog1, 0xAB);
  EXPECT_EQ(Bytes(FileRecordOf(rec)), Bytes(r));
  SonicPacket packet;
  SpreadInto(r, &packet);
  EXPECT_EQ(Bytes(FileRecordOf(packet)), Bytes(r));
}

TEST(DeviceRecords, ReplayedSweepAndSegment) {
  TeleviewerFileRecord t;
  t.head = 1;
  t.samples[127] = 0x3F7E;
  t.spare[2] = 9;
  t.depthStep = 0x4001;
  t.tail = 131;
  TeleviewerSweep sweep;
  sweep.depth = 4;
  sweep.time = 5;
  SpreadInto(t, &sweep);
  EXPECT_EQ(sweep.depth, 0);
  EXPECT_EQ(sweep.time, 0);
  EXPECT_EQ(sweep.word[128], 0x3F7E);
  EXPECT_EQ(sweep.word[131], 9);
  EXPECT_EQ(Bytes(FileRecordOf(sweep)), Bytes(t));

  WaveformFileRecord w;
  w.flags = 0x85;
  w.receiver = 0x10;
  w.samples[0] = -1;
  w.samples[47] = 2;
  CblWaveformSegment seg;
  seg.spare = 0x77;
  SpreadInto(w, &seg);
  EXPECT_EQ(seg.closing, 1);  // (0xFF + 2) mod 256
  EXPECT_EQ(seg.spare, 0x77);
  EXPECT_EQ(Bytes(FileRecordOf(seg)), Bytes(w));
}

}  // namespace
}  // namespace qv
