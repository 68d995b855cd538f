#include "logdoc/records/records.h"

#include <algorithm>

#include "logdoc/records/byte_order.h"
#include "logdoc/records/device_records.h"

namespace qv {

double ScaleCount(std::uint16_t count, std::uint8_t rate) {
  const double r = rate == 0 ? 50.0 : static_cast<double>(rate);
  return static_cast<double>(count) * 50.0 / r;
}

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

SixChannelFileRecord FileRecordOf(const SixChannelPacket& packet) {
  SixChannelFileRecord r;
  r.flags = packet.flags;
  r.rate = packet.rate;
  std::copy(std::begin(packet.counts), std::end(packet.counts), r.counts);
  return r;
}

namespace {
template <class Device>
TwelveChannelFileRecord HeadOf(const Device& d) {
  TwelveChannelFileRecord r;
  r.depth = d.depth;
  r.time = d.time;
  r.mask = d.mask;
  r.word = d.word;
  std::copy(std::begin(d.values), std::end(d.values), r.values);
  return r;
}
template <class Device>
void SpreadHead(const TwelveChannelFileRecord& r, Device* d) {
  d->depth = r.depth;
  d->time = r.time;
  d->mask = r.mask;
  d->word = r.word;
  std::copy(std::begin(r.values), std::end(r.values), d->values);
}
}  // namespace

TwelveChannelFileRecord FileRecordOf(const TwelveChannelRecord& record) {
  return HeadOf(record);
}
TwelveChannelFileRecord FileRecordOf(const SonicPacket& packet) {
  return HeadOf(packet);
}

TeleviewerFileRecord FileRecordOf(const TeleviewerSweep& sweep) {
  TeleviewerFileRecord r;
  r.head = sweep.words[0];
  std::copy(sweep.words + 1, sweep.words + 1 + TeleviewerFileRecord::kSamples, r.samples);
  std::copy(sweep.words + 129, sweep.words + 132, r.spare);
  r.depthStep = sweep.depthStep;
  r.tail = sweep.tail;
  return r;
}

WaveformFileRecord FileRecordOf(const CblWaveformSegment& segment) {
  WaveformFileRecord r;
  r.flags = segment.flags;
  r.receiver = segment.receiver;
  std::copy(std::begin(segment.samples), std::end(segment.samples), r.samples);
  return r;
}

void SpreadInto(const SixChannelFileRecord& record, SixChannelPacket* packet) {
  packet->depth = 0;
  packet->time = 0;
  packet->flags = record.flags;
  packet->rate = record.rate;
  std::copy(std::begin(record.counts), std::end(record.counts), packet->counts);
  packet->checksum = record.CountSum();
}

void SpreadInto(const TwelveChannelFileRecord& record, TwelveChannelRecord* out) {
  SpreadHead(record, out);
}
void SpreadInto(const TwelveChannelFileRecord& head, SonicPacket* packet) {
  SpreadHead(head, packet);
}

void SpreadInto(const TeleviewerFileRecord& record, TeleviewerSweep* sweep) {
  sweep->depth = 0;
  sweep->time = 0;
  sweep->words[0] = record.head;
  std::copy(std::begin(record.samples), std::end(record.samples), sweep->words + 1);
  std::copy(std::begin(record.spare), std::end(record.spare), sweep->words + 129);
  sweep->depthStep = record.depthStep;
  sweep->tail = record.tail;
}

void SpreadInto(const WaveformFileRecord& record, CblWaveformSegment* segment) {
  segment->depth = 0;
  segment->time = 0;
  segment->flags = record.flags;
  segment->receiver = record.receiver;
  std::copy(std::begin(record.samples), std::end(record.samples), segment->samples);
  segment->sampleSum = record.SampleSum();
}

}  // namespace qv
