#include "devices/simulator/unit/sonde_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

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

// A small departure in -1..1 that depends only on the depth and the channel:
// the counting statistics of a real sonde, repeatable here.
double Jitter(int32_t depth, int channel) {
  uint32_t h = static_cast<uint32_t>(depth) * 2654435761u ^ static_cast<uint32_t>(channel) * 40503u;
  h ^= h >> 15;
  h *= 2246822519u;
  h ^= h >> 13;
  return (h & 0xFFFF) / 32767.5 - 1;
}

// Pipe and formation as the acoustic tools see them. In the pipe the first
// arrival is the pipe's own, loud where the pipe is free and faint where the
// cement holds it; in the open hole it is the formation's.
double TransitTime(const Formation& f, double spacing) {
  return f.cased ? 52 + spacing * 187 : 60 + spacing * f.slowness;
}
double PipeAmplitude(const Formation& f) {
  return f.cased ? 2 + 70 * (1 - f.bond) : 15 + 0.02 * (400 - f.slowness);
}

double GammaOf(const Formation& f, double) {
  return f.gamma;
}
double TemperatureOf(const Formation& f, double) {
  return f.temperature;
}

// value = c0 + c1 x count for each word; see ChannelModel.
constexpr ChannelModel kSixChannel[] = {
    {"GAM", 40, 0, 0.25, GammaOf},
    {"SPR", 120, 0, 0.1, [](const Formation& f, double) { return 20 + 0.4 * f.resistivity; }},
    {"N16", 150, 0, 0.25, [](const Formation& f, double) { return 4 + 0.7 * f.resistivity; }},
    {"N64", 170, 0, 0.25, [](const Formation& f, double) { return 1 + 0.9 * f.resistivity; }},
    {"SP", 120, -250, 0.1, [](const Formation& f, double) { return f.sp; }},
    {"TEMP", 20, -20, 0.01, TemperatureOf},
};
constexpr ChannelModel kFlowmeter[] = {
    {"FLOW", 90, -5, 0.002, [](const Formation& f, double) { return f.flow; }},
    {"THU", 80, -20, 0.01, TemperatureOf},
    {"THL", 100, -20, 0.01, [](const Formation& f, double) { return f.temperature + 0.02; }},
};
constexpr ChannelModel kTwelveChannel[] = {
    {"GAM", 60, 0, 0.25, GammaOf},
    {"CAL", 280, 50, 0.1, [](const Formation& f, double) { return f.caliper; }},
    {"LSD", 120, 3.3, -0.001, [](const Formation& f, double) { return f.density; }},
    // The short detector sees more of the mud where the hole is washed out.
    {"SSD", 100, 3.1, -0.0005,
     [](const Formation& f, double) { return f.density - 0.0015 * std::max(0.0, f.caliper - 152); }},
    {"DEN", 110, 0, 1, [](const Formation& f, double) { return f.density; }},
    {"BRD", 105, 3.2, -0.0008, [](const Formation& f, double) { return f.density; }},
    {"NN", 200, 0, 1, [](const Formation& f, double) { return 4000 * std::exp(-f.porosity / 30); }},
    {"NF", 220, 0, 1, [](const Formation& f, double) { return 1800 * std::exp(-f.porosity / 20); }},
    {"NPHI", 210, 0, 1, [](const Formation& f, double) { return f.porosity; }},
    {"TEMP", 20, -20, 0.01, TemperatureOf},
    {"COND", 20, 0, 0.5, [](const Formation& f, double) { return f.conductivity; }},
    {"TENS", 0, 0, 0.2, [](const Formation&, double m) { return 40 + 0.35 * m; }},  // the cable's weight
};
// The cement-bond sonde (cbls.son): the 3 ft (near) receiver 190 cm above
// the sonde's bottom, the 5 ft (far) one 210 cm. Words 3 to 6 are what the
// log's own gate search finds in the waveforms (it overwrites the unit's).
constexpr int kCementBondNearOffset = 190, kCementBondFarOffset = 210;
constexpr ChannelModel kCementBond[] = {
    {"GAM", 40, 0, 0.25, GammaOf},
    {"CCL", 60, -50, 0.01, [](const Formation& f, double) { return f.collar; }},
    {"TT3", kCementBondNearOffset, 0, 1, [](const Formation& f, double) { return TransitTime(f, 0.914); }},
    {"AMP3", kCementBondNearOffset, 0, 0.787402, [](const Formation& f, double) { return PipeAmplitude(f); }},
    {"TT5", kCementBondFarOffset, 0, 1, [](const Formation& f, double) { return TransitTime(f, 1.524); }},
    // The bond index from the far gate's peak: 1 - (peak - bonded) / (free - bonded).
    {"BI", kCementBondFarOffset, 1.25, -0.0289, [](const Formation& f, double) { return f.cased ? f.bond : 0.0; }},
};
// The full-wave sonic sonde (fwss.son): its receivers lie 0.914 and 1.524 m
// from the transmitter, 200 and 260 cm above the sonde's bottom. The unit
// puts its own first-arrival picks (samples x 8) into words 1, 2 and 5 (the
// picks' difference, the P-wave slowness over the receivers' spacing); the
// other words carry the S-wave slowness, gamma and the near amplitude.
constexpr int kFullWaveNearOffset = 200, kFullWaveFarOffset = 260;
constexpr ChannelModel kFullWave[] = {
    {"TTN", kFullWaveNearOffset, 0, 0.25, nullptr},  // near pick: eighths of a 2 us sample
    {"TTF", kFullWaveFarOffset, 0, 0.25, nullptr},   // far pick
    {"DTS", 230, 0, 0.1, [](const Formation& f, double) { return f.shearSlowness; }},
    {"GAM", 40, 0, 0.25, GammaOf},
    {"DTP", 230, 0, 0.25 / 0.61, nullptr},  // the picks' difference over the receivers' 0.61 m
    {"AMPN", kFullWaveNearOffset, 0, 0.01, [](const Formation& f, double) { return PipeAmplitude(f); }},
};
// The sonic sonde's receivers lie 0.9, 1.2, 1.5 and 1.8 m from its source;
// channels 1 to 4 carry their arrival times (us), which the traces show,
// and channel 5 the gamma count rate.
constexpr double kSonicSpacing[4] = {0.9, 1.2, 1.5, 1.8};
constexpr ChannelModel kSonic[] = {
    {"TT1", 200, 0, 0.1, [](const Formation& f, double) { return TransitTime(f, kSonicSpacing[0]); }},
    {"TT2", 230, 0, 0.1, [](const Formation& f, double) { return TransitTime(f, kSonicSpacing[1]); }},
    {"TT3", 260, 0, 0.1, [](const Formation& f, double) { return TransitTime(f, kSonicSpacing[2]); }},
    {"TT4", 290, 0, 0.1, [](const Formation& f, double) { return TransitTime(f, kSonicSpacing[3]); }},
    {"GAM", 40, 0, 0.1, GammaOf},
};
constexpr std::size_t kSonicGamma = 4;
// The gamma word is counts in the 400 ms the divisor word gives; the program
// reads it as a rate per second.
constexpr double kSonicGammaWindow = 0.4;

const Well& WellOf(const SondeSample& s) {
  return s.well ? *s.well : DefaultWell();
}

// Where a sensor `offsetCm` above the sonde's bottom sits, in metres, when the counter reads the sample's depth.
double SensorMetres(const SondeSample& s, int offsetCm = 0) {
  return MetresOf(s.depth, s.feet) - offsetCm / 100.0;
}

// The raw words of a sample's sonde, in packet order (0 where a word has no
// model). Gamma and neutron counts carry their counting statistics.
std::vector<double> RawWords(const SondeSample& s, size_t words) {
  std::vector<double> raw(words, 0.0);
  if (s.pattern) {
    for (size_t i = 0; i < words; ++i) raw[i] = s.index * 16.0 + static_cast<double>(i) + 1;
    return raw;
  }
  const auto channels = SondeChannels(s.comStd, s.toolType);
  for (size_t i = 0; i < words && i < channels.size(); ++i) {
    const ChannelModel& c = channels[i];
    if (!c.value) continue;
    // Each sensor reads the well where it sits, its offset above the counter's depth.
    const double m = SensorMetres(s, c.offset);
    double v = c.value(WellOf(s).At(m), m);
    const std::string_view title = c.shortTitle;
    // The counting statistics follow the sensor's place in the well, whatever unit the counter counts in.
    const auto at = static_cast<int32_t>(std::lround(m * 100));
    if (title == "GAM") v *= 1 + 0.04 * Jitter(at, static_cast<int>(i));
    if (title == "NN" || title == "NF") v *= 1 + 0.02 * Jitter(at, static_cast<int>(i));
    raw[i] = c.Count(v);
  }
  return raw;
}

uint16_t Word(double count) {
  return static_cast<uint16_t>(std::lround(std::clamp(count, 0.0, 65535.0)));
}

// A receiver waveform: quiet until the arrival, then a decaying wave train.
int8_t Wave(int i, int arrival, double amplitude, uint32_t seed) {
  const int noise = static_cast<int>((seed * 2654435761u + static_cast<uint32_t>(i) * 40503u) >> 29) - 4;  // -4..3
  if (i < arrival) return static_cast<int8_t>(noise / 2);
  const double t = i - arrival;
  const double v = amplitude * std::exp(-t / 90.0) * std::sin(2 * kPi * t / 16.0);
  return static_cast<int8_t>(std::lround(std::clamp(v + noise, -127.0, 127.0)));
}

// A sonic receiver's trace at us microseconds after its arrival: a little
// noise before it, then a 20 kHz wave train that dies away; the unit's
// 16-bit converter clips what the gain drives beyond its range.
int16_t SonicWave(double us, double amplitude, uint32_t seed) {
  const double noise = static_cast<double>((seed * 2654435761u) >> 28) - 8.0;  // -8..7
  if (us < 0) return static_cast<int16_t>(noise);
  const double v = amplitude * std::exp(-us / 360.0) * std::sin(2 * kPi * us / 50.0);
  return static_cast<int16_t>(std::lround(std::clamp(v + noise, -32768.0, 32767.0)));
}

std::vector<uint8_t> SixChannel(const SondeSample& s) {
  std::vector<uint8_t> v = Head(23, s);
  v[8] = 21;
  v[9] = 50;
  unsigned sum = v[8] + v[9];
  const std::vector<double> raw = RawWords(s, 6);
  for (int c = 0; c < 6; ++c) {
    const uint16_t x = static_cast<uint16_t>(s.pattern ? s.index * 16 + c + 1 : Word(raw[c]));
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
  const std::vector<double> raw = RawWords(s, 12);
  for (int c = 0; c < 12; ++c) {
    const float f = s.pattern ? static_cast<float>(s.index) + c / 16.0f : static_cast<float>(raw[c]);
    BeFloat(v, 10 + 4 * c, f);
  }
  return v;
}

}  // namespace

double TeleviewerAmplitude(const Well& well, double metres) {
  const Formation f = well.At(metres);
  const double washout = std::max(0.0, f.caliper - well.Spec().bitSize);
  return std::clamp(24 + 36 * (400 - f.slowness) / 220 - 0.1 * washout, 16.0, 60.0);
}

namespace {

// The borehole wall as the televiewer's head sees it in one turn: the echo
// amplitude follows the hardness of the rock and drops where the wall is
// washed out; the transit time follows the hole's radius. Each dipping
// fracture of the well cuts the wall in a sinusoid, dark and late.
std::vector<uint8_t> Televiewer(const SondeSample& s) {
  std::vector<uint8_t> v = Head(272, s);
  const Well& well = WellOf(s);
  const double m = SensorMetres(s);
  const Formation f = well.At(m);
  const int baseAmp = static_cast<int>(std::lround(TeleviewerAmplitude(well, m)));
  const int baseTt = static_cast<int>(std::lround(std::clamp(2 * (f.caliper / 2 - 25) / 1.5, 0.0, 100.0)));
  for (int w = 0; w < 132; ++w) {
    uint16_t word = 0;
    if (w >= 1 && w <= 128) {
      const int j = w - 1;
      int amp = baseAmp, tt = baseTt;
      if (s.pattern) {
        amp = (static_cast<int>(s.index) + j) & 0x3F;
        tt = j & 0x7F;
      } else {
        if (well.FractureDistance(m, j * 360.0 / 128) < 0.01) {
          amp = 6;
          tt = baseTt + 25;
        }
        amp += static_cast<int>(std::lround(2 * Jitter(s.depth, j)));
      }
      word = static_cast<uint16_t>((std::clamp(amp, 0, 0x3F)) << 8 | (std::clamp(tt, 0, 0x7F)) << 1);
    } else if (w == 130) {
      word = 0x0102;
    }
    Be16(v, 8 + 2 * w, word);
  }
  return v;
}

// The first arrival (us) at a receiver `metres` deep that lies `spacing`
// metres above the transmitter: the wave runs along the wall between them,
// through pipe or rock, so a bed boundary shows where it passes the receiver.
double ArrivalTime(const Well& well, double metres, double spacing) {
  constexpr int kPoints = 8;
  double slowness = 0;
  for (int k = 0; k < kPoints; ++k) {
    const Formation f = well.At(metres + spacing * (k + 0.5) / kPoints);
    slowness += f.cased ? 187 : f.slowness;
  }
  return (well.At(metres).cased ? 52 : 60) + spacing * slowness / kPoints;
}

// A cement-bond log: the program names the tool as the full-wave sonic (4)
// or by the sonde file's own type (5), under the cement-bond standard.
bool IsCementBond(uint8_t comStd, uint8_t toolType) {
  return comStd == 3 && (toolType == 4 || toolType == 5);
}

// Where each receiver of a waveform sonde sits and how far from its transmitter.
struct Receivers {
  int offset[2];  // cm above the sonde's bottom: near, far
  double spacing[2];
};
Receivers ReceiversOf(bool fullWave) {
  if (fullWave) return {{kFullWaveNearOffset, kFullWaveFarOffset}, {0.914, 1.524}};
  return {{kCementBondNearOffset, kCementBondFarOffset}, {0.914, 1.524}};
}

// Both sondes record 960 us after the transmitter fires: the cement-bond
// sonde 240 samples, 4 us apart (sample i of segment n at n x 192 + 4 i us),
// the full-wave sonde 480, 2 us apart.
double SampleUs(bool fullWave) {
  return fullWave ? 2 : 4;
}

std::vector<std::vector<uint8_t>> Segments(const SondeSample& s, bool fullWave) {
  std::vector<std::vector<uint8_t>> out;
  const Well& well = WellOf(s);
  const Receivers rx = ReceiversOf(fullWave);
  double arrivalUs[2], amplitude[2];
  for (int r = 0; r < 2; ++r) {
    // Each receiver hears the well where it sits.
    const double m = SensorMetres(s, rx.offset[r]);
    arrivalUs[r] = ArrivalTime(well, m, rx.spacing[r]);
    // A free pipe rings loud; bonded pipe and the formation answer faintly.
    amplitude[r] = std::min(20 + 1.3 * PipeAmplitude(well.At(m)), 120.0) * (r ? 0.55 : 1.0);
  }
  const double us = SampleUs(fullWave);
  const int nearAt = static_cast<int>(arrivalUs[0] / us), farAt = static_cast<int>(arrivalUs[1] / us);
  // The unit's picks in eighths of a sample.
  const auto nearPick = static_cast<uint16_t>(std::lround(arrivalUs[0] / us * 8));
  const auto farPick = static_cast<uint16_t>(std::lround(arrivalUs[1] / us * 8));
  const std::vector<double> raw = RawWords(s, 6);
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
          x = Wave(k, far ? farAt : nearAt, amplitude[far], s.index);
        v[10 + i] = static_cast<uint8_t>(x);
      }
      if (!far) {
        if (fullWave) {  // the unit's own picks and their difference
          Le16(v, 58, nearPick);
          Le16(v, 60, farPick);
          Le16(v, 62, Word(raw[2]));
          Le16(v, 64, Word(raw[3]));
          Le16(v, 66, static_cast<uint16_t>(farPick - nearPick));
          Le16(v, 68, Word(raw[5]));
        } else {
          for (int c = 0; c < 6; ++c) Le16(v, 58 + 2 * c, Word(raw[c]));
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
  const std::vector<double> raw = RawWords(s, 5);
  Le16(v, 17, Word(raw[kSonicGamma] * kSonicGammaWindow));
  Le16(v, 19, 400);
  const int traces = s.comStd == 26 ? 3 : (s.comStd == 28 ? 4 : 2);
  const int samples = s.comStd == 28 ? 256 : 512;
  // The probe configuration the program sent: its flag byte gives the sample
  // interval (8 and 16 us; 4 otherwise), each receiver's gain its amplitude
  // (the fourth trace of standard 28 shares receiver 3's).
  const uint8_t flags = s.sonicConfig[0];
  const double interval = (flags & 16) ? 16 : (flags & 8) ? 8 : 4;
  for (int t = 0; t < traces; ++t) {
    // Each receiver hears the well where it sits, as its channel reads it.
    const double arrival = TransitTime(WellOf(s).At(SensorMetres(s, kSonic[t].offset)), kSonicSpacing[t]);
    const double gain = s.sonicConfig[1 + std::min(t, 2)];
    const double amplitude = 16000.0 * std::pow(2.0, (gain - 1) / 8.0) * kSonicSpacing[0] / kSonicSpacing[t];
    for (int i = 0; i < samples; ++i) {
      const int16_t x = s.pattern ? static_cast<int16_t>(t * 1000 + i)
                                  : SonicWave(i * interval - arrival, amplitude, s.index + static_cast<uint32_t>(i));
      Le16(v, 21 + 2 * static_cast<size_t>(t * samples + i), static_cast<uint16_t>(x));
    }
  }
  for (int k = 0; k < 4; ++k) Le16(v, static_cast<size_t>(L - 2 + 2 * k), Word(raw[static_cast<size_t>(k)]));
  return v;
}

}  // namespace

double MetresOf(int32_t depth, bool feet) {
  return feet ? depth * 0.05 * 0.3048 : depth / 100.0;
}

int NearArrival(int32_t depth, const Well& well, bool feet) {
  return static_cast<int>(ArrivalTime(well, MetresOf(depth, feet) - kFullWaveNearOffset / 100.0, 0.914) /
                          SampleUs(true));
}
int FarArrival(int32_t depth, const Well& well, bool feet) {
  return static_cast<int>(ArrivalTime(well, MetresOf(depth, feet) - kFullWaveFarOffset / 100.0, 1.524) /
                          SampleUs(true));
}

std::array<int, 2> ReceiverOffsets(uint8_t comStd) {
  const Receivers rx = ReceiversOf(comStd != 3);
  return {rx.offset[0], rx.offset[1]};
}

std::span<const ChannelModel> SondeChannels(uint8_t comStd, uint8_t toolType) {
  if (IsCementBond(comStd, toolType)) return kCementBond;
  switch (toolType) {
    case 2:
      return {};
    case 4:
      return kFullWave;
    case 5:
      return kCementBond;
    case 6:
      return kFlowmeter;
    case 8:
      return kTwelveChannel;
    case 10:
      return kSonic;
    default:
      return kSixChannel;
  }
}

RecordKind KindOfMode(uint8_t comStd, uint8_t toolType, uint8_t mode) {
  if (mode == 14) return RecordKind::DepthReport;
  if (comStd == 12 && mode == 12) return RecordKind::Scope;
  // The program switches a cement-bond log on as the full-wave tool under
  // the cement-bond standard: the standard tells the two sondes apart.
  if (IsCementBond(comStd, toolType)) return RecordKind::CementBond;
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
