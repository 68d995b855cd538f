// The data reads: one export per tool family, each the status request and
// bulk read of the link followed by the conversion of the unit's bytes into
// the caller's record.
#include "devices/tbdevice/reads.h"

#include <cmath>
#include <cstring>

#include "devices/tbdevice/internal.h"

namespace tbdev {

uint32_t DataRead(uint8_t* reply, uint32_t length, AnalogStatusBlock* status) {
  const uint32_t st = ReadStatusAndData(reply, status, length);
  StoreStatus(st);
  return st;
}

bool NewMinute(int32_t timeMs) {
  LibraryState& s = State();
  const int32_t minute = timeMs / 60000;
  if (minute <= s.highestMinute) return false;
  s.highestMinute = minute;
  return true;
}

int32_t ReadThermoChannel(int channel) {
  LibraryState& s = State();
  ThermoLogger* t = Thermo();
  if (channel < 1 || channel > 8) return 0;
  long v = 0;
  if (s.thermoPresent && t && t->getTemp(&v, 1, static_cast<int16_t>(channel), 0))
    s.thermoCache[channel - 1] = static_cast<int32_t>(v);
  return s.thermoCache[channel - 1];
}

void FillCompanion(SixChannelPacket* p, int32_t depth, int32_t time, const uint16_t words[6]) {
  p->depth = depth;
  p->time = time;
  p->flags = 21;
  p->rate = 50;
  for (int i = 0; i < 6; ++i) p->channel[i] = words[i];
  p->checksum = tb::SixChannelChecksum(*p);
}

uint32_t ReadWaveformSegment(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                             CompanionWords companion) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (!State().logging) return TB_STATUS_NO_DATA;
  if (!segment || !packet) return TB_STATUS_BAD_PARAMETER;
  uint8_t r[71] = {};
  const uint32_t st = DataRead(r, 71, status);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  CblWaveformSegment seg = *segment;
  tb::LeReader rd(r);
  seg.depth = rd.i32();
  seg.time = rd.i32();
  uint8_t added = 0;  // new minute, second status byte
  if (NewMinute(seg.time)) added |= 0x20;
  if ((st >> 8) & 0xFF) added |= 0x40;
  seg.flags = static_cast<uint8_t>(r[8] | added);
  seg.receiver = r[9];
  std::memcpy(seg.sample, r + 10, 48);
  const bool far = (r[8] & 0x80) != 0;
  uint16_t words[6] = {};
  companion(r, far, words);
  if (far) {
    seg.closing = static_cast<uint8_t>(r[58] + added);  // the packet is not touched
  } else {
    FillCompanion(packet, seg.depth, seg.time, words);
    seg.closing = static_cast<uint8_t>(r[70] + added);
  }
  *segment = seg;
  return st;
}

}  // namespace tbdev

using namespace tbdev;

namespace {
bool LoggingOff() {
  return !State().logging;
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
// A value held to the range of an unsigned 16-bit channel word instead of
// keeping its low 16 bits (a frequency of 80 kHz must not record 14464).
uint16_t SaturateWord(double v) {
  return static_cast<uint16_t>(v <= 0 ? 0 : v >= 65535 ? 65535 : v);
}
}  // namespace

extern "C" uint32_t GetSonde6ChannelPacket(SixChannelPacket* packet, AnalogStatusBlock* status, int) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (LoggingOff()) return TB_STATUS_NO_DATA;
  if (!packet) return TB_STATUS_BAD_PARAMETER;
  uint8_t r[sizeof(SixChannelPacket)] = {};  // 23 bytes come; the spare byte stays the caller's
  const uint32_t st = DataRead(r, 23, status);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;  // the caller's packet stays as it was
  SixChannelPacket p = tb::SixChannelFromBytes(r);
  p.spare = packet->spare;
  if (State().modeWord == kModeFrequency6) {
    const uint32_t period = p.channel[0] | (static_cast<uint32_t>(p.channel[1]) << 16);
    p.channel[0] = period ? SaturateWord(std::trunc(800000000.0 / period)) : 0;
    p.channel[1] = 0;
    if (State().thermoPresent) {
      // The channel words are unsigned counts for every reader (log file,
      // displays, calibration), so a temperature (hundredths of a degree) is
      // held to 0.00 .. 655.35: a reading below 0 degrees records 0 rather
      // than wrapping to a false reading near 655 degrees. The twelve-channel
      // record carries temperatures as floats and keeps their sign.
      p.channel[1] = SaturateWord(ReadThermoChannel(1));
      p.channel[2] = SaturateWord(ReadThermoChannel(2));
    } else {
      p.channel[1] = p.channel[2] = 0;
    }
    p.checksum = tb::SixChannelChecksum(p);
  }
  *packet = p;
  return st;
}

extern "C" uint32_t GetTwelve(TwelveChannelRecord* record) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (LoggingOff()) return TB_STATUS_NO_DATA;
  if (!record) return TB_STATUS_BAD_PARAMETER;
  LibraryState& s = State();
  const bool speedMode = s.modeWord == kModeTwelveSpeed;
  uint8_t r[74] = {};
  const uint32_t st = DataRead(r, speedMode ? 23 : 74, nullptr);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  TwelveChannelRecord t = *record;
  tb::LeReader rd(r);
  t.depth = rd.i32();
  t.time = rd.i32();
  AnalogStatusBlock a{};
  FillAnalogStatus(&a);
  t.analog1 = a.status1;
  t.analog2 = a.status2;
  t.analog3 = a.status3;
  t.tension = a.tension;
  if (speedMode) {
    const int32_t interval = t.time - s.prevTime;
    const int32_t moved = t.depth - s.prevDepth;
    t.interval = interval;
    s.timeSum += interval - s.timeRing[s.ringPos];
    s.depthSum += moved - s.depthRing[s.ringPos];
    s.timeRing[s.ringPos] = interval;
    s.depthRing[s.ringPos] = moved;
    s.ringPos = (s.ringPos + 1) % 20;
    s.prevTime = t.time;
    s.prevDepth = t.depth;
    if (s.timeSum > 0)
      s.lastSpeed = static_cast<float>(static_cast<double>(s.depthUnitCode) * s.depthSum * 60.0 / s.timeSum);
    if (s.speedHold > 0) {
      s.lastSpeed = 0;
      --s.speedHold;
    }
    t.mask = 7;
    const uint8_t rate = r[9];
    if (rate) {
      t.value[0] = static_cast<float>((r[11] * 256 + r[10]) * 50 / rate);
      t.value[1] = static_cast<float>((r[13] * 256 + r[12]) * 50 / rate);
    }
    t.value[2] = s.lastSpeed;
    for (int i = 3; i < 12; ++i) t.value[i] = 0;
    *record = t;
    return st;
  }
  uint8_t flags = static_cast<uint8_t>(r[8] & ~0x40);
  if (NewMinute(t.time)) flags |= 0x40;
  t.mask = static_cast<uint32_t>(flags) << 8 | r[9];
  if (((st >> 8) & 0xFF) == 0) {
    size_t pos = 10;
    int thermoChannel = 0;
    for (int ch = 0; ch < 12; ++ch) {
      if (t.mask & (1u << ch)) {
        if (pos + 4 <= sizeof r) {
          const uint32_t u = static_cast<uint32_t>(r[pos]) << 24 | r[pos + 1] << 16 | r[pos + 2] << 8 | r[pos + 3];
          std::memcpy(&t.value[ch], &u, 4);
        } else {
          t.value[ch] = 0;  // more channels flagged than the record carries
        }
        pos += 4;
      } else if (s.thermoPresent && thermoChannel < 8) {
        ++thermoChannel;
        t.value[ch] = static_cast<float>(ReadThermoChannel(thermoChannel) / 100.0);
      } else {
        t.value[ch] = 0;
      }
    }
  }
  *record = t;
  return st;
}

extern "C" uint32_t GetBHTVTBSweep(TeleviewerSweep* sweep, AnalogStatusBlock* status, int) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (LoggingOff()) return TB_STATUS_NO_DATA;
  if (!sweep) return TB_STATUS_BAD_PARAMETER;
  LibraryState& s = State();
  uint8_t r[272] = {};
  uint32_t st = DataRead(r, 272, status);
  if ((st >> 8) & 0xFF) st = (st & 0xFF) | 0x700;
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  TeleviewerSweep w{};
  tb::LeReader rd(r);
  w.depth = rd.i32();
  w.time = rd.i32();
  if (s.tvFirstSweep) {
    s.tvPrevDepth = w.depth;
    s.tvFirstSweep = false;
  }
  const int64_t change = static_cast<int64_t>(w.depth) - s.tvPrevDepth;
  const uint64_t absChange = static_cast<uint64_t>(change < 0 ? -change : change);
  const uint16_t high = static_cast<uint16_t>(((absChange >> 8) & 0xFF) | (change > 0 ? 0x40 : 0x80));
  w.depthStep = static_cast<uint16_t>(high << 8 | (absChange & 0xFF));
  s.tvPrevDepth = w.depth;
  for (int i = 0; i < 132; ++i) w.word[i] = static_cast<uint16_t>(r[8 + 2 * i] << 8 | r[9 + 2 * i]);
  w.word[130] = static_cast<uint16_t>((w.word[130] & 0xFF00) | ((w.word[130] & 0xFF) >> 1));
  w.trailer = 131;
  *sweep = w;
  return st;
}

extern "C" uint32_t GetCBLArrival(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                                  int) {
  return ReadWaveformSegment(segment, packet, status, [](const uint8_t* r, bool, uint16_t words[6]) {
    for (int i = 0; i < 6; ++i) words[i] = Le16(r + 58 + 2 * i);
  });
}

extern "C" uint32_t GetScopeShot(ScopeShot* shot) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (LoggingOff()) return TB_STATUS_NO_DATA;
  if (!shot) return TB_STATUS_BAD_PARAMETER;
  static thread_local uint8_t r[12296];
  const uint32_t st = DataRead(r, sizeof r, nullptr);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  tb::LeReader rd(r);
  shot->word0 = rd.u32();
  shot->word1 = rd.u32();
  std::memcpy(shot->sample, r + 8, 12288);
  shot->trailer0 = 0;
  shot->trailer1 = 1;
  return st;
}

extern "C" uint32_t GetDepthReport(int* depth, int* time, AnalogStatusBlock* status, int) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  if (LoggingOff()) return TB_STATUS_NO_DATA;
  if (!depth || !time) return TB_STATUS_BAD_PARAMETER;
  uint8_t r[8] = {};
  const uint32_t st = DataRead(r, 8, status);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  tb::LeReader rd(r);
  *depth = rd.i32();
  *time = rd.i32();
  return st;
}
