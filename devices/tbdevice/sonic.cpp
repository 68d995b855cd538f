// The full-wave sonic read with its first-arrival picking, the sonic packet
// read, and the exports through which the external waveform program reads
// the waveforms and sets the picking parameters in the shared block.
#include "devices/tbdevice/sonic.h"

#include <cmath>
#include <cstring>

#include "devices/tbdevice/internal.h"
#include "devices/tbdevice/reads.h"

namespace tbdev {
namespace {

constexpr int kWaveLength = 480;

// The shared block is written by another process too: offsets from it are
// taken only when they are one of the two buffers.
int32_t SafeOffset(int32_t offset) {
  return offset == 1024 ? 1024 : 0;
}

int8_t* NearWave(SharedSonicBlock* b, int32_t offset) {
  return b->waves + SafeOffset(offset);
}
int8_t* FarWave(SharedSonicBlock* b, int32_t offset) {
  return b->waves + 512 + SafeOffset(offset);
}

// The packet length of the sonic modes; 0 for every other mode.
int SonicPacketLength(uint16_t mode) {
  if (mode == 0xA1A) return 3095;
  if (mode >= 0xA1B && mode <= 0xA1D) return 2071;
  return 0;
}

// The read buffer B of the sonic packets: samples start at its byte 21, so B
// itself sits one byte into aligned storage to keep them 16-bit aligned.
alignas(8) uint8_t g_sonicStorage[3104 + 8];
uint8_t* SonicBuffer() {
  return g_sonicStorage + 1;
}

}  // namespace

int PickArrival(const int8_t* s, int start, int shortWindow, int longWindow, float threshold) {
  auto sq = [s](long i) -> int64_t { return (i >= 0 && i < kWaveLength) ? int64_t{s[i]} * s[i] : 0; };
  long L = longWindow / 4;
  long S = shortWindow / 4;
  long st = start / 4;
  if (L < 0) L = 0;
  if (S < 0) S = 0;
  if (st < 0) st = 0;
  const long half = S / 2;
  S = 2 * half;
  int64_t longSum = 0, shortSum = 0;
  for (long i = st; i < st + L && i < kWaveLength; ++i) longSum += sq(i);
  for (long i = st + L - half; i < st + L + half && i < kWaveLength; ++i) shortSum += sq(i);
  if (S == 0) S = 1;
  if (L == 0) L = 1;
  int pick = 0;
  for (long i = st; i < kWaveLength - half; ++i) {
    const double shortRms = std::sqrt(static_cast<double>(shortSum) / static_cast<double>(S));
    const double longRms = std::sqrt(static_cast<double>(longSum) / static_cast<double>(L));
    if (longRms != 0 && pick == 0 && shortRms / longRms > threshold) pick = static_cast<int>(i);
    if (i - L >= st) {
      longSum += sq(i) - sq(i - L);
      shortSum += sq(i + half) - sq(i - half);
    }
  }
  return pick;
}

}  // namespace tbdev

using namespace tbdev;

namespace {

// The full-wave segments: without the waveform program the picks come from
// the unit; with it the segments are assembled in the shared block and the
// library picks the arrivals itself.
void SonicCompanion(const uint8_t* r, bool far, uint16_t words[6]) {
  LibraryState& s = State();
  auto le16 = [r](int i) { return static_cast<uint16_t>(r[i] | (r[i + 1] << 8)); };
  const int n = r[8] & 0x0F;
  SharedSonicBlock* b = SharedBlock();
  if (!s.waveProgramPresent || !b) {
    if (!far) {
      s.nearPick = le16(58);
      s.farPick = le16(60);
      s.timeDifference = le16(66);
    }
  } else if (n <= 9) {
    int8_t* wave = far ? FarWave(b, s.writeOffset) : NearWave(b, s.writeOffset);
    std::memcpy(wave + 48 * n, r + 10, 48);
    if (n == 9) {
      const int pick = far ? PickArrival(wave, b->farStart, b->farShortWindow, b->farLongWindow, b->farThreshold)
                           : PickArrival(wave, b->nearStart, b->nearShortWindow, b->nearLongWindow, b->nearThreshold);
      (far ? b->farGain : b->nearGain) = r[9];
      (far ? b->farPick : b->nearPick) = pick * 8;
      (far ? s.farPick : s.nearPick) = static_cast<uint16_t>((pick * 8) & 0xFFFF);
      if (far) {
        const float spacing = b->spacingFactor;
        if (spacing != 0) {
          const double d = std::floor(std::abs(double(s.nearPick) - double(s.farPick)) / spacing);
          if (d >= 0 && d <= 65535) s.timeDifference = static_cast<uint16_t>(d);  // a bad factor keeps the last
        }
        if (b->dataReady == 0) {
          const int32_t oldWrite = SafeOffset(s.writeOffset);
          s.writeOffset = 1024 - oldWrite;
          b->readOffset = oldWrite;
          b->dataReady = 1;
        }
      }
    }
  }
  const uint16_t w[6] = {s.nearPick, s.farPick, le16(62), le16(64), s.timeDifference, le16(68)};
  std::memcpy(words, w, sizeof w);
}

}  // namespace

extern "C" uint32_t GetSonicArrival(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                                    int) {
  return ReadWaveformSegment(segment, packet, status, SonicCompanion);
}

namespace {

void FillSonicHead(SonicPacket* p, const uint8_t* B, int L) {
  auto w = [B](int i) { return static_cast<uint16_t>(B[i] | (B[i + 1] << 8)); };
  AnalogStatusBlock a{};
  FillAnalogStatus(&a);
  p->analog1 = a.status1;
  p->analog2 = a.status2;
  p->analog3 = a.status3;
  p->tension = a.tension;
  tb::LeReader rd(B);
  p->depth = rd.i32();
  p->time = rd.i32();
  p->mask = 63;
  p->divisor = w(19);
  p->value[0] = w(L - 2);
  p->value[1] = w(L);
  p->value[2] = w(L + 2);
  p->value[3] = w(L + 4);
  p->value[4] = w(19) ? static_cast<float>(w(17) * 1000.0 / w(19)) : 0.0f;
  for (int i = 0; i < 6; ++i) p->value[5 + i] = B[9 + i];
  p->value[11] = B[8];
  p->samples = reinterpret_cast<const int16_t*>(B + 21);
}

// Every sixth call in diagnostic mode makes a packet of known values with
// sine traces, for checking the sonic display without a sonde.
uint32_t DiagnosticSonicPacket(SonicPacket* p) {
  LibraryState& s = State();
  if (++s.diagCalls < 6) return TB_STATUS_NO_DATA;
  s.diagCalls = 0;
  p->depth = s.diagDepth++;
  p->time = s.diagTime++;
  p->tension = 1234;
  p->analog1 = 90;
  p->analog2 = 123;
  p->analog3 = 120;
  p->mask = 63;
  p->divisor = 0;
  const float values[12] = {50, 70, 90, 120, 123, 5, 10, 15, 40, 50, 60, 7};
  std::memcpy(p->value, values, sizeof values);
  uint8_t* B = SonicBuffer();
  int16_t samples[1536];
  const struct {
    uint16_t mode;
    int traces, length;
  } layouts[] = {{0xA1A, 3, 512}, {0xA1B, 2, 512}, {0xA1C, 4, 256}, {0xA1D, 2, 512}};
  for (const auto& l : layouts) {
    for (int t = 0; t < l.traces; ++t)
      for (int i = 0; i < l.length; ++i)
        samples[t * l.length + i] =
            i < 50 ? 0 : static_cast<int16_t>(std::floor(std::sin((i - 50) * 20 * 3.141593 / 206) * 2047));
    std::memcpy(B + 21, samples, sizeof(int16_t) * static_cast<size_t>(l.traces * l.length));
    s.modeWord = l.mode;
  }
  p->samples = reinterpret_cast<const int16_t*>(B + 21);
  StoreStatus(TB_STATUS_DATA);
  return TB_STATUS_DATA;
}

}  // namespace

extern "C" uint32_t GetSonicPacket(SonicPacket* packet) {
  DeviceLock lock;
  if (!lock.Acquired()) return TB_STATUS_REQUEST_FAILED;
  LibraryState& s = State();
  if (!s.logging) return TB_STATUS_NO_DATA;
  if (!packet) return TB_STATUS_BAD_PARAMETER;
  if (s.diagnostic) return DiagnosticSonicPacket(packet);
  const int L = SonicPacketLength(s.modeWord);
  if (!L) return TB_STATUS_NO_DATA;  // not a sonic mode: there is no packet to read
  uint8_t* B = SonicBuffer();
  const uint32_t st = DataRead(B, static_cast<uint32_t>(L + 8), nullptr);
  if ((st & 0xFF) != TB_STATUS_DATA) return st;
  FillSonicHead(packet, B, L);
  return st;
}

// ---------------------------------------------------------------------------
// The external waveform program's side (no lock: the block is its own channel)

extern "C" int check_terminate_spawn(void) {
  SharedSonicBlock* b = SharedBlock();
  return b ? b->terminate : 0;
}

extern "C" void* spawn_complete(void) {
  SharedSonicBlock* b = SharedBlock();
  if (b) b->spawned = 0;
  return b;
}

extern "C" void* clear_spawn_status(void) {
  SharedSonicBlock* b = SharedBlock();
  if (b) b->dataReady = 0;
  return b;
}

extern "C" uint32_t set_sonic_param(SonicParamRecord* p) {
  SharedSonicBlock* b = SharedBlock();
  if (!b || !p) return 0;
  b->nearStart = p->nearStart;
  b->nearShortWindow = p->nearShortWindow;
  b->nearLongWindow = p->nearLongWindow;
  b->nearThreshold = p->nearThreshold;
  b->farStart = p->farStart;
  b->farShortWindow = p->farShortWindow;
  b->farLongWindow = p->farLongWindow;
  b->farThreshold = p->farThreshold;
  b->spacingFactor = p->spacingFactor;
  return 0;
}

namespace {
int GetWave(SonicWaveRecord* w, bool far) {
  SharedSonicBlock* b = SharedBlock();
  if (!w || !b) return 0;
  const int ready = b->dataReady;
  if (ready == 1) {
    w->gain = far ? b->farGain : b->nearGain;
    w->pick = far ? b->farPick : b->nearPick;
    std::memcpy(w->sample, far ? FarWave(b, b->readOffset) : NearWave(b, b->readOffset), 480);
  }
  return ready;
}
}  // namespace

extern "C" int get_near_wave_data(SonicWaveRecord* wave) {
  return GetWave(wave, false);
}
extern "C" int get_far_wave_data(SonicWaveRecord* wave) {
  return GetWave(wave, true);
}
