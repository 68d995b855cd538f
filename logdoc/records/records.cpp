#include "logdoc/records/records.h"

#include <algorithm>

#include "logdoc/records/byte_order.h"
#include "logdoc/records/device_records.h"

namespace qv {

std::uint64_t WholeRecords(std::uint64_t fileLength, std::size_t recordSize) {
  return recordSize == 0 ? 0 : fileLength / recordSize;
}

// ---- six-channel

void SixChannelFileRecord::Encode(std::span<std::uint8_t, kSize> out) const {
  out[0] = flags;
  out[1] = rate;
  for (int i = 0; i < kChannels; ++i) le::PutU16(&out[2 + 2 * i], counts[i]);
}

SixChannelFileRecord SixChannelFileRecord::Decode(std::span<const std::uint8_t, kSize> in) {
  SixChannelFileRecord r;
  r.flags = in[0];
  r.rate = in[1];
  for (int i = 0; i < kChannels; ++i) r.counts[i] = le::GetU16(&in[2 + 2 * i]);
  return r;
}

std::uint8_t SixChannelFileRecord::CountSum() const {
  unsigned sum = 0;
  for (std::uint16_t c : counts) sum += c;
  return static_cast<std::uint8_t>(sum);
}

// ---- twelve-channel and the sonic head

void TwelveChannelFileRecord::Encode(std::span<std::uint8_t, kSize> out) const {
  le::PutI32(&out[0], depth);
  le::PutI32(&out[4], time);
  le::PutU32(&out[8], mask);
  le::PutU32(&out[12], word);
  for (int i = 0; i < kChannels; ++i) le::PutF32(&out[16 + 4 * i], values[i]);
}

TwelveChannelFileRecord TwelveChannelFileRecord::Decode(std::span<const std::uint8_t, kSize> in) {
  TwelveChannelFileRecord r;
  r.depth = le::GetI32(&in[0]);
  r.time = le::GetI32(&in[4]);
  r.mask = le::GetU32(&in[8]);
  r.word = le::GetU32(&in[12]);
  for (int i = 0; i < kChannels; ++i) r.values[i] = le::GetF32(&in[16 + 4 * i]);
  return r;
}

// ---- sonic

std::optional<SonicGeometry> SonicGeometryFor(int comStd) {
  switch (comStd) {
    case 26:
      return SonicGeometry{1024, 3};
    case 27:
    case 29:
      return SonicGeometry{1024, 2};
    case 28:
      return SonicGeometry{512, 4};
    default:
      return std::nullopt;
  }
}

int GetSonicGeometry(int comStd, int* bytesPerWaveform, int* waveforms) {
  const auto g = SonicGeometryFor(comStd);
  if (!g) return 0;
  if (bytesPerWaveform) *bytesPerWaveform = g->bytesPerWaveform;
  if (waveforms) *waveforms = g->waveforms;
  return g->RecordSize();
}

bool SonicFileRecord::Encode(const SonicGeometry& geometry, std::span<std::uint8_t> out) const {
  const auto sampleCount = static_cast<std::size_t>(geometry.WaveformBytes() / 2);
  if (out.size() != static_cast<std::size_t>(geometry.RecordSize()) || samples.size() != sampleCount) return false;
  head.Encode(out.first<TwelveChannelFileRecord::kSize>());
  for (std::size_t i = 0; i < sampleCount; ++i)
    le::PutU16(&out[TwelveChannelFileRecord::kSize + 2 * i], static_cast<std::uint16_t>(samples[i]));
  return true;
}

bool SonicFileRecord::Decode(const SonicGeometry& geometry, std::span<const std::uint8_t> in, SonicFileRecord* out) {
  if (!out || in.size() != static_cast<std::size_t>(geometry.RecordSize())) return false;
  out->head = TwelveChannelFileRecord::Decode(in.first<TwelveChannelFileRecord::kSize>());
  const auto sampleCount = static_cast<std::size_t>(geometry.WaveformBytes() / 2);
  out->samples.resize(sampleCount);
  for (std::size_t i = 0; i < sampleCount; ++i)
    out->samples[i] = static_cast<std::int16_t>(le::GetU16(&in[TwelveChannelFileRecord::kSize + 2 * i]));
  return true;
}

// ---- televiewer

void TeleviewerFileRecord::Encode(std::span<std::uint8_t, kSize> out) const {
  le::PutU16(&out[0], head);
  for (int j = 0; j < kSamples; ++j) le::PutU16(&out[2 + 2 * j], samples[j]);
  for (int j = 0; j < 3; ++j) le::PutU16(&out[258 + 2 * j], spare[j]);
  le::PutU16(&out[kDepthStepOffset], depthStep);
  le::PutU16(&out[266], tail);
}

TeleviewerFileRecord TeleviewerFileRecord::Decode(std::span<const std::uint8_t, kSize> in) {
  TeleviewerFileRecord r;
  r.head = le::GetU16(&in[0]);
  for (int j = 0; j < kSamples; ++j) r.samples[j] = le::GetU16(&in[2 + 2 * j]);
  for (int j = 0; j < 3; ++j) r.spare[j] = le::GetU16(&in[258 + 2 * j]);
  r.depthStep = le::GetU16(&in[kDepthStepOffset]);
  r.tail = le::GetU16(&in[266]);
  return r;
}

// ---- waveform segments

void WaveformFileRecord::Encode(std::span<std::uint8_t, kSize> out) const {
  out[0] = flags;
  out[1] = receiver;
  for (int i = 0; i < kSamples; ++i) out[2 + i] = static_cast<std::uint8_t>(samples[i]);
}

WaveformFileRecord WaveformFileRecord::Decode(std::span<const std::uint8_t, kSize> in) {
  WaveformFileRecord r;
  r.flags = in[0];
  r.receiver = in[1];
  for (int i = 0; i < kSamples; ++i) r.samples[i] = static_cast<std::int8_t>(in[2 + i]);
  return r;
}

std::uint8_t WaveformFileRecord::SampleSum() const {
  unsigned sum = 0;
  for (std::int8_t s : samples) sum += static_cast<std::uint8_t>(s);
  return static_cast<std::uint8_t>(sum);
}

// ---- device records
// The device records are byte-packed: their fields are copied one by one,
// never through pointers into them.

SixChannelFileRecord FileRecordOf(const SixChannelPacket& packet) {
  SixChannelFileRecord r;
  r.flags = packet.flags;
  r.rate = packet.rate;
  for (int i = 0; i < SixChannelFileRecord::kChannels; ++i) r.counts[i] = packet.channel[i];
  return r;
}

namespace {
template <class Device>
TwelveChannelFileRecord HeadOf(const Device& d) {
  TwelveChannelFileRecord r;
  r.depth = d.depth;
  r.time = d.time;
  r.mask = static_cast<std::uint32_t>(d.mask);
  return r;
}
template <class Device>
void SpreadHead(const TwelveChannelFileRecord& r, Device* d) {
  d->depth = r.depth;
  d->time = r.time;
  d->mask = static_cast<decltype(d->mask)>(r.mask);
  for (int i = 0; i < TwelveChannelFileRecord::kChannels; ++i) d->value[i] = r.values[i];
}
}  // namespace

TwelveChannelFileRecord FileRecordOf(const TwelveChannelRecord& record) {
  TwelveChannelFileRecord r = HeadOf(record);
  r.word = static_cast<std::uint32_t>(record.interval);
  for (int i = 0; i < TwelveChannelFileRecord::kChannels; ++i) r.values[i] = record.value[i];
  return r;
}

TwelveChannelFileRecord FileRecordOf(const SonicPacket& packet) {
  TwelveChannelFileRecord r = HeadOf(packet);
  r.word = static_cast<std::uint32_t>(packet.divisor);
  for (int i = 0; i < TwelveChannelFileRecord::kChannels; ++i) r.values[i] = packet.value[i];
  return r;
}

TeleviewerFileRecord FileRecordOf(const TeleviewerSweep& sweep) {
  TeleviewerFileRecord r;
  r.head = sweep.word[0];
  for (int j = 0; j < TeleviewerFileRecord::kSamples; ++j) r.samples[j] = sweep.word[1 + j];
  for (int j = 0; j < 3; ++j) r.spare[j] = sweep.word[129 + j];
  r.depthStep = sweep.depthStep;
  r.tail = sweep.trailer;
  return r;
}

WaveformFileRecord FileRecordOf(const CblWaveformSegment& segment) {
  WaveformFileRecord r;
  r.flags = segment.flags;
  r.receiver = segment.receiver;
  for (int i = 0; i < WaveformFileRecord::kSamples; ++i) r.samples[i] = segment.sample[i];
  return r;
}

void SpreadInto(const SixChannelFileRecord& record, SixChannelPacket* packet) {
  packet->depth = 0;
  packet->time = 0;
  packet->flags = record.flags;
  packet->rate = record.rate;
  for (int i = 0; i < SixChannelFileRecord::kChannels; ++i) packet->channel[i] = record.counts[i];
  packet->checksum = record.CountSum();
}

void SpreadInto(const TwelveChannelFileRecord& record, TwelveChannelRecord* out) {
  SpreadHead(record, out);
  out->interval = static_cast<std::int32_t>(record.word);
}

void SpreadInto(const TwelveChannelFileRecord& head, SonicPacket* packet) {
  SpreadHead(head, packet);
  packet->divisor = static_cast<std::int32_t>(head.word);
}

void SpreadInto(const TeleviewerFileRecord& record, TeleviewerSweep* sweep) {
  sweep->depth = 0;
  sweep->time = 0;
  sweep->word[0] = record.head;
  for (int j = 0; j < TeleviewerFileRecord::kSamples; ++j) sweep->word[1 + j] = record.samples[j];
  for (int j = 0; j < 3; ++j) sweep->word[129 + j] = record.spare[j];
  sweep->depthStep = record.depthStep;
  sweep->trailer = record.tail;
}

void SpreadInto(const WaveformFileRecord& record, CblWaveformSegment* segment) {
  segment->depth = 0;
  segment->time = 0;
  segment->flags = record.flags;
  segment->receiver = record.receiver;
  for (int i = 0; i < WaveformFileRecord::kSamples; ++i) segment->sample[i] = record.samples[i];
  segment->closing = record.SampleSum();
}

}  // namespace qv
