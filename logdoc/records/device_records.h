// The device records that cross the device library's data reads, as the log
// documents and the replay reader use them, and the moves between a device
// record and the data-file record it carries. A replayed record is spread into
// the same device record a live read fills, so the documents only ever see
// device records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "logdoc/records/records.h"

namespace qv {

// Six-channel tools, and the companion packet of the cement-bond and
// full-wave sonic segments. Bytes 8 to 21 are the .LOG record.
struct SixChannelPacket {
  std::int32_t depth = 0;  // depth count
  std::int32_t time = 0;   // ms
  std::uint8_t flags = 0;
  std::uint8_t rate = 0;
  std::uint16_t counts[6] = {};
  std::uint8_t checksum = 0;
  std::uint8_t spare = 0;
};
static_assert(sizeof(SixChannelPacket) == 24);

// Twelve-channel tool. Bytes 16 to 79 are the .LGX record.
struct TwelveChannelRecord {
  std::uint8_t device[16] = {};
  std::int32_t depth = 0;
  std::int32_t time = 0;
  std::uint32_t mask = 0;
  std::uint32_t word = 0;
  float values[12] = {};
};
static_assert(sizeof(TwelveChannelRecord) == 80);

// Sonic tool. Bytes 16 to 79 are the head of the sonic record; samples points
// at the record's waveform bytes (owned by whoever filled the packet and valid
// until its next read).
struct SonicPacket {
  std::uint8_t device[16] = {};
  std::int32_t depth = 0;
  std::int32_t time = 0;
  std::uint32_t mask = 0;
  std::uint32_t word = 0;
  float values[12] = {};
  const std::uint8_t* samples = nullptr;
};
static_assert(offsetof(SonicPacket, samples) == 80);

// Televiewer sweep. Bytes 8 to 275 are the .BTV record.
struct TeleviewerSweep {
  std::int32_t depth = 0;
  std::int32_t time = 0;
  std::uint16_t words[132] = {};  // .BTV words 0 to 131
  std::uint16_t depthStep = 0;
  std::uint16_t tail = 0;
};
static_assert(sizeof(TeleviewerSweep) == 276);

// Cement-bond and full-wave sonic waveform segment. Bytes 8 to 57 are the
// .CBL or .VDL record.
struct CblWaveformSegment {
  std::int32_t depth = 0;
  std::int32_t time = 0;
  std::uint8_t flags = 0;
  std::uint8_t receiver = 0;
  std::int8_t samples[48] = {};
  std::uint8_t sampleSum = 0;
  std::uint8_t spare = 0;
};
static_assert(sizeof(CblWaveformSegment) == 60);

// File record out of a device record (what the writers store).
SixChannelFileRecord FileRecordOf(const SixChannelPacket& packet);
TwelveChannelFileRecord FileRecordOf(const TwelveChannelRecord& record);
TwelveChannelFileRecord FileRecordOf(const SonicPacket& packet);
TeleviewerFileRecord FileRecordOf(const TeleviewerSweep& sweep);
WaveformFileRecord FileRecordOf(const CblWaveformSegment& segment);

// File record into a device record (what replay delivers). Depth and time of
// the six-channel packet, the sweep and the segment become 0 (their files
// carry none), and the check bytes take the sums replay gives them; every
// other byte outside the file record is left as it was.
void SpreadInto(const SixChannelFileRecord& record, SixChannelPacket* packet);
void SpreadInto(const TwelveChannelFileRecord& record, TwelveChannelRecord* out);
void SpreadInto(const TwelveChannelFileRecord& head, SonicPacket* packet);
void SpreadInto(const TeleviewerFileRecord& record, TeleviewerSweep* sweep);
void SpreadInto(const WaveformFileRecord& record, CblWaveformSegment* segment);

}  // namespace qv
