// The records of the log data files. A data file is a plain sequence of
// fixed-size records without a file header; every multi-byte field is
// little-endian. One struct per record with named fields; Encode and Decode
// are the only way bytes become records and back, so the writers, the replay
// reader, the log-file tools and the LAS export agree on every byte.
//
//   .LOG  SixChannelFileRecord     14 bytes  (also beside a .CBL or .VDL file)
//   .LGX  TwelveChannelFileRecord  64 bytes
//   .LGX  SonicFileRecord          64 bytes + the waveform samples
//   .BTV  TeleviewerFileRecord    268 bytes
//   .CBL  WaveformFileRecord       50 bytes
//   .VDL  WaveformFileRecord       50 bytes
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qv {

// A six-channel count scaled by the record's rate byte: count x 50 / rate,
// a rate of 0 read as 50.
inline double ScaleCount(std::uint16_t count, std::uint8_t rate) {
  // At the usual rate the count stands as it is: count x 50 is exact, and so
  // is its quotient by 50, so this is the same double without a division.
  if (rate == 0 || rate == 50) return static_cast<double>(count);
  const double r = static_cast<double>(rate);
  return static_cast<double>(count) * 50.0 / r;
}

// How many whole records a file of this length holds; a trailing partial
// record does not count. A record size of 0 holds none.
std::uint64_t WholeRecords(std::uint64_t fileLength, std::size_t recordSize);

// The record of the six-channel data file (.LOG). Neither depth nor time is
// stored: record i lies at the start depth plus i steps.
struct SixChannelFileRecord {
  static constexpr std::size_t kSize = 14;
  static constexpr int kChannels = 6;
  // Flag bit set on the first record of every new minute of log time.
  static constexpr std::uint8_t kMinuteMark = 0x80;

  std::uint8_t flags = 0;
  std::uint8_t rate = 0;  // the counts' scale; 0 is read as 50
  std::uint16_t counts[kChannels] = {};

  void Encode(std::span<std::uint8_t, kSize> out) const;
  static SixChannelFileRecord Decode(std::span<const std::uint8_t, kSize> in);

  // Count i (0 to 5) scaled by the rate byte.
  double Scaled(int i) const { return ScaleCount(counts[i], rate); }
  // The low byte of the sum of the six counts.
  std::uint8_t CountSum() const;
};
static_assert(sizeof(SixChannelFileRecord) == SixChannelFileRecord::kSize);

// The record of the twelve-channel data file (.LGX); also the 64-byte head of
// every sonic record. It carries its own depth and time.
struct TwelveChannelFileRecord {
  static constexpr std::size_t kSize = 64;
  static constexpr int kChannels = 12;
  static constexpr std::uint32_t kChannelBits = 0x0FFF;  // bit i: channel i+1 present
  static constexpr std::uint32_t kMinuteMark = 0x4000;

  std::int32_t depth = 0;  // header depth units (a sonic head: device depth counts)
  std::int32_t time = 0;   // ms
  std::uint32_t mask = 0;
  std::uint32_t word = 0;  // the further device word, kept as delivered
  float values[kChannels] = {};

  void Encode(std::span<std::uint8_t, kSize> out) const;
  static TwelveChannelFileRecord Decode(std::span<const std::uint8_t, kSize> in);

  // Channel i (0 to 11) was delivered.
  bool Present(int i) const { return i >= 0 && i < kChannels && (mask >> i) & 1u; }
  // The byte offset of channel p (1 to 12) inside the record.
  static constexpr std::size_t ChannelOffset(int p) { return 12 + 4 * static_cast<std::size_t>(p); }
};
static_assert(sizeof(TwelveChannelFileRecord) == TwelveChannelFileRecord::kSize);

// The geometry of the sonic records, fixed by the sonde's communication
// standard (26 to 29). A waveform holds bytesPerWaveform / 2 signed 16-bit
// samples.
struct SonicGeometry {
  int bytesPerWaveform = 0;
  int waveforms = 0;
  int WaveformBytes() const { return bytesPerWaveform * waveforms; }
  int RecordSize() const { return WaveformBytes() + static_cast<int>(TwelveChannelFileRecord::kSize); }
};
std::optional<SonicGeometry> SonicGeometryFor(int comStd);
// The record size of a sonic data file, with the bytes per waveform and the
// waveform count; 0 for a standard that is not sonic (outputs untouched).
int GetSonicGeometry(int comStd, int* bytesPerWaveform, int* waveforms);

// The record of the sonic data file (.LGX of a sonic log): the 64-byte head,
// then every waveform's samples in turn, each a signed 16-bit little-endian
// value.
struct SonicFileRecord {
  TwelveChannelFileRecord head;
  std::vector<std::int16_t> samples;  // geometry.WaveformBytes() / 2 of them

  // out holds exactly geometry.RecordSize() bytes and samples has the
  // geometry's count; false (and nothing written) otherwise.
  bool Encode(const SonicGeometry& geometry, std::span<std::uint8_t> out) const;
  // in holds exactly geometry.RecordSize() bytes; false otherwise.
  static bool Decode(const SonicGeometry& geometry, std::span<const std::uint8_t> in, SonicFileRecord* out);
};

// The record of the televiewer data file (.BTV): one sweep of the scanner,
// 134 little-endian words. It carries no depth: a record's depth follows from
// the depth-step words of the records before it.
struct TeleviewerFileRecord {
  static constexpr std::size_t kSize = 268;
  static constexpr int kSamples = 128;
  static constexpr std::size_t kDepthStepOffset = 264;
  // Depth-step word: low byte the depth counts moved since the previous
  // sweep (0: not moved); these bits in the high byte.
  static constexpr std::uint16_t kStepIncreased = 0x4000;
  static constexpr std::uint16_t kStepNotIncreased = 0x8000;
  static constexpr std::uint16_t kMinuteMark = 0x2000;

  std::uint16_t head = 0;                // word 0
  std::uint16_t samples[kSamples] = {};  // words 1 to 128, in azimuth order
  std::uint16_t spare[3] = {};           // words 129 to 131
  std::uint16_t depthStep = 0;           // word 132
  std::uint16_t tail = 0;                // word 133

  void Encode(std::span<std::uint8_t, kSize> out) const;
  static TeleviewerFileRecord Decode(std::span<const std::uint8_t, kSize> in);

  static int Amplitude(std::uint16_t sample) { return (sample >> 8) & 0x3F; }
  static int TransitTime(std::uint16_t sample) { return (sample >> 1) & 0x7F; }
  static bool Moved(std::uint16_t step) { return (step & 0xFF) != 0; }
  static bool Increased(std::uint16_t step) { return (step & kStepIncreased) != 0; }
};
static_assert(sizeof(TeleviewerFileRecord) == TeleviewerFileRecord::kSize);

// The record of the cement-bond (.CBL) and full-wave sonic (.VDL) waveform
// files: one 48-sample segment of the near or far receiver. Record n pairs
// with record n of the .LOG file of the same name.
struct WaveformFileRecord {
  static constexpr std::size_t kSize = 50;
  static constexpr int kSamples = 48;
  static constexpr std::uint8_t kSegmentMask = 0x0F;
  static constexpr std::uint8_t kMinuteMark = 0x20;
  static constexpr std::uint8_t kSecondStatus = 0x40;
  static constexpr std::uint8_t kFarReceiver = 0x80;

  std::uint8_t flags = 0;
  std::uint8_t receiver = 0;
  std::int8_t samples[kSamples] = {};

  void Encode(std::span<std::uint8_t, kSize> out) const;
  static WaveformFileRecord Decode(std::span<const std::uint8_t, kSize> in);

  // The low byte of the sum of the 48 sample bytes taken as unsigned.
  std::uint8_t SampleSum() const;
};
static_assert(sizeof(WaveformFileRecord) == WaveformFileRecord::kSize);

}  // namespace qv
