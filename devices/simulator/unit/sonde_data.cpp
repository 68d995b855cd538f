#include "devices/simulator/unit/sonde_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

void Le16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Le32(std::vector<uint8_t>& v, size_t at, int32_t x) {
  const auto u = static_cast<uint32_t>(x);
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(u >> (8 * i));
}
void Be16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x >> 8);
  v[at + 1] = static_cast<uint8_t>(x);
}
void BeFloat(std::vector<uint8_t>& v, size_t at, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(u >> (24 - 8 * i));
}

std::vector<uint8_t> Head(size_t length, const SondeSample& s) {
  std::vector<uint8_t> v(length, 0);
  Le32(v, 0, s.depth);
  Le32(v, 4, s.timeMs);
  return v;
}

// A count rate that changes with the formation: layers a few metres thick.
uint16_t Count(const SondeSample& s, int channel) {
  if (s.pattern) return static_cast<uint16_t>(s.index * 16 + channel);
  const double d = s.depth / 1000.0;
  const double v = 800 + 150 * channel + 300 * std::sin(d * 0.7 + channel) + 120 * std::sin(d * 3.1 + 2 * channel);
  return static_cast<uint16_t>(std::lround(v));
}

// A receiver waveform: quiet until the arrival, then a decaying wave train.
int8_t Wave(int i, int arrival, double amplitude, uint32_t seed) {
  const int noise = static_cast<int>((seed * 2654435761u + static_cast<uint32_t>(i) * 40503u) >> 29) - 4;  // -4..3
  if (i < arrival) return static_cast<int8_t>(noise / 2);
  const double t = i - arrival;
  const double v = amplitude * std::exp(-t / 90.0) * std::sin(2 * kPi * t / 16.0);
  return static_cast<int8_t>(std::lround(std::clamp(v + noise, -127.0, 127.0)));
}

std::vector<uint8_t> SixChannel(const SondeSample& s) {
  std::vector<uint8_t> v = Head(23, s);
  v[8] = 21;
  v[9] = 50;
  unsigned sum = v[8] + v[9];
  for (int c = 0; c < 6; ++c) {
    const uint16_t x = Count(s, c + 1);
    Le16(v, 10 + 2 * c, x);
    sum += x;
  }
  v[22] = static_cast<uint8_t>(sum);
  return v;
}

std::vector<uint8_t> Twelve(const SondeSample& s) {
  std::vector<uint8_t> v = Head(74, s);
  v[8] = 0x0F;  // channels 1-12
  v[9] = 0xFF;
  for (int c = 0; c < 12; ++c) {
    const float f = s.pattern ? static_cast<float>(s.index) + c / 16.0f : Count(s, c + 1) / 10.0f;
    BeFloat(v, 10 + 4 * c, f);
  }
  return v;
}

// The borehole wall with one dipping fracture: a sinusoid around the hole,
// dark in amplitude and late in transit time where the fracture cuts it.
std::vector<uint8_t> Televiewer(const SondeSample& s) {
  std::vector<uint8_t> v = Head(272, s);
  for (int w = 0; w < 132; ++w) {
    uint16_t word = 0;
    if (w >= 1 && w <= 128) {
      const int j = w - 1;
      int amp = 48, tt = 40;
      if (s.pattern) {
        amp = (static_cast<int>(s.index) + j) & 0x3F;
        tt = j & 0x7F;
      } else {
        const double centre = 20000 + 600 * std::sin(2 * kPi * j / 128.0);  // depth counts
        if (std::abs(s.depth - centre) < 60) {
          amp = 8;
          tt = 90;
        }
        amp += static_cast<int>((j * 7 + s.index) % 5);
      }
      word = static_cast<uint16_t>((amp & 0x3F) << 8 | (tt & 0x7F) << 1);
    } else if (w == 130) {
      word = 0x0102;
    }
    Be16(v, 8 + 2 * w, word);
  }
  return v;
}

std::vector<std::vector<uint8_t>> Segments(const SondeSample& s, bool fullWave) {
  std::vector<std::vector<uint8_t>> out;
  const int nearAt = NearArrival(s.depth), farAt = FarArrival(s.depth);
  const uint8_t gain = 12;
  // A full-wave trace is 480 samples (segments 0-9), a cement-bond trace 240 (0-4).
  const int segments = fullWave ? 10 : 5;
  for (int far = 0; far < 2; ++far) {
    for (int n = 0; n < segments; ++n) {
      std::vector<uint8_t> v = Head(71, s);
      v[8] = static_cast<uint8_t>(n | (far ? 0x80 : 0));
      v[9] = gain;
      for (int i = 0; i < 48; ++i) {
        const int k = 48 * n + i;
        int8_t x;
        if (s.pattern)
          x = static_cast<int8_t>((s.index + static_cast<uint32_t>(k)) & 0x7F);
        else
          x = far ? Wave(k, farAt, 60, s.index) : Wave(k, nearAt, 110, s.index);
        v[10 + i] = static_cast<uint8_t>(x);
      }
      if (!far) {
        if (fullWave) {  // the unit's own picks (samples x 8) and their difference
          Le16(v, 58, static_cast<uint16_t>(nearAt * 8));
          Le16(v, 60, static_cast<uint16_t>(farAt * 8));
          Le16(v, 62, Count(s, 3));
          Le16(v, 64, Count(s, 4));
          Le16(v, 66, static_cast<uint16_t>((farAt - nearAt) * 8));
          Le16(v, 68, Count(s, 6));
        } else {
          for (int c = 0; c < 6; ++c) Le16(v, 58 + 2 * c, Count(s, c + 1));
        }
        v[70] = static_cast<uint8_t>(n * 3);
      } else {
        v[58] = static_cast<uint8_t>(n * 5);
      }
      out.push_back(std::move(v));
    }
  }
  return out;
}

// The cable signal: telemetry pulses around the zero line at 128.
std::vector<uint8_t> Scope(const SondeSample& s) {
  std::vector<uint8_t> v = Head(12296, s);
  for (int i = 0; i < 12288; ++i) {
    double x = 128;
    if (s.pattern) {
      x = (i + s.index) & 0xFF;
    } else {
      const int bit = (i / 96) % 2 ^ ((i / 1536) % 3 == 0);
      x += (bit ? 70 : -70) * std::exp(-((i % 96) / 30.0)) + 3 * std::sin(i * 0.05);
    }
    v[8 + i] = static_cast<uint8_t>(std::clamp(std::lround(x), 0L, 255L));
  }
  return v;
}

std::vector<uint8_t> Sonic(const SondeSample& s) {
  const uint32_t length = RecordLength(RecordKind::Sonic, s.comStd);
  const int L = static_cast<int>(length) - 8;
  std::vector<uint8_t> v = Head(length, s);
  for (int i = 0; i < 7; ++i) v[8 + i] = static_cast<uint8_t>(10 + i);
  Le16(v, 17, static_cast<uint16_t>(Count(s, 1)));
  Le16(v, 19, 400);
  const int traces = s.comStd == 26 ? 3 : (s.comStd == 28 ? 4 : 2);
  const int samples = s.comStd == 28 ? 256 : 512;
  for (int t = 0; t < traces; ++t) {
    const int arrival = NearArrival(s.depth) / 2 + 30 * t;
    for (int i = 0; i < samples; ++i) {
      const int16_t x =
          s.pattern ? static_cast<int16_t>(t * 1000 + i) : static_cast<int16_t>(Wave(i, arrival, 120, s.index) * 16);
      Le16(v, 21 + 2 * static_cast<size_t>(t * samples + i), static_cast<uint16_t>(x));
    }
  }
  for (int k = 0; k < 4; ++k) Le16(v, static_cast<size_t>(L - 2 + 2 * k), Count(s, 2 + k));
  return v;
}

}  // namespace

int NearArrival(int32_t depth) {
  return 120 + static_cast<int>(10 * std::sin(depth / 3000.0));
}
int FarArrival(int32_t depth) {
  return 200 + static_cast<int>(14 * std::sin(depth / 3000.0));
}

RecordKind KindOfMode(uint8_t comStd, uint8_t toolType, uint8_t mode) {
  if (mode == 14) return RecordKind::DepthReport;
  if (comStd == 12 && mode == 12) return RecordKind::Scope;
  switch (toolType) {
    case 2:
      return RecordKind::Televiewer;
    case 4:
      return RecordKind::FullWave;
    case 5:
      return RecordKind::CementBond;
    case 8:
      return RecordKind::Twelve;
    case 10:
      return RecordKind::Sonic;
    default:
      return RecordKind::SixChannel;
  }
}

uint32_t RecordLength(RecordKind kind, uint8_t comStd) {
  switch (kind) {
    case RecordKind::DepthReport:
      return 8;
    case RecordKind::SixChannel:
      return 23;
    case RecordKind::Twelve:
      return 74;
    case RecordKind::Televiewer:
      return 272;
    case RecordKind::CementBond:
    case RecordKind::FullWave:
      return 71;
    case RecordKind::Scope:
      return 12296;
    case RecordKind::Sonic:
      return comStd == 26 ? 3095 + 8 : 2071 + 8;
  }
  return 0;
}

std::vector<std::vector<uint8_t>> MakeRecords(RecordKind kind, const SondeSample& s) {
  switch (kind) {
    case RecordKind::DepthReport:
      return {Head(8, s)};
    case RecordKind::SixChannel:
      return {SixChannel(s)};
    case RecordKind::Twelve:
      return {Twelve(s)};
    case RecordKind::Televiewer:
      return {Televiewer(s)};
    case RecordKind::CementBond:
      return Segments(s, false);
    case RecordKind::FullWave:
      return Segments(s, true);
    case RecordKind::Scope:
      return {Scope(s)};
    case RecordKind::Sonic:
      return {Sonic(s)};
  }
  return {};
}

}  // namespace qv::sim
