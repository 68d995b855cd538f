#include "logdoc/replay/replay_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace qv {

namespace {

constexpr unsigned kSourceNotOpened = 32212;  // "Source file could not be opened!"
constexpr std::size_t kSixSize = SixChannelFileRecord::kSize;
constexpr std::size_t kTwelveSize = TwelveChannelFileRecord::kSize;
constexpr std::size_t kSweepSize = TeleviewerFileRecord::kSize;
constexpr std::size_t kWaveSize = WaveformFileRecord::kSize;

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// Moves a file past the record at its position without reading it, as a read
// of that record would have.
void SkipRecord(ReplayDataFile& file, std::size_t size) {
  if (file.RecordAvailable()) file.Seek(file.Position() + size);
}

template <class Record>
Record DecodeOrZero(int result, const std::uint8_t* bytes) {
  if (result != 1) return Record{};
  return Record::Decode(std::span<const std::uint8_t, Record::kSize>(bytes, Record::kSize));
}

// The signed sum of the depth steps of a televiewer file's sweeps: each
// moved sweep counts its depth counts (stepMode 1) or one; the walk ends at
// the first step word not read whole. false when the file refused a read.
bool SumSweepSteps(const ReplayDataFile& file, int stepMode, long long* sum) {
  *sum = 0;
  const std::uint64_t records = file.Records();
  for (std::uint64_t i = 0; i < records; ++i) {
    std::uint8_t w[2];
    if (!file.ReadAt(i * kSweepSize + TeleviewerFileRecord::kDepthStepOffset, w, 2)) return false;
    const std::uint16_t word = static_cast<std::uint16_t>(w[0] | (w[1] << 8));
    if (!TeleviewerFileRecord::Moved(word)) continue;
    const int v = stepMode == 1 ? (word & 0xFF) : 1;
    *sum += TeleviewerFileRecord::Increased(word) ? v : -v;
  }
  return true;
}

void ClearSix(SixChannelPacket* packet) {
  packet->flags = 0;
  packet->rate = 0;
  for (int i = 0; i < SixChannelFileRecord::kChannels; ++i) packet->channel[i] = 0;
}

}  // namespace

std::string ChainedDataPath(const std::string& currentDataFile, const std::string& chainTo) {
  const std::string name = FileNamePart(chainTo);
  if (name.empty()) return {};
  const std::string current = FileNamePart(currentDataFile);
  const auto dot = current.find_last_of('.');
  return JoinPath(FolderPart(currentDataFile), name + (dot == std::string::npos ? std::string() : current.substr(dot)));
}

ReplayHeader ReplayHeaderOf(const HeaderInfo& header) {
  return {header.Startdepth, header.EndDepth, header.Step, header.ComStd, header.LogMode};
}

bool TakeEndDepthFromData(const std::string& dataFile, int toolKind, HeaderInfo* header) {
  const int mode = header->LogMode;
  const long long s = header->Startdepth, e = header->EndDepth, step = std::llabs(static_cast<long long>(header->Step));
  if ((mode != 11 && mode != 12) || step == 0) return false;
  // The header written as the recording starts has neither end depth nor end
  // time; the stop writes both.
  const bool unfinished = e == 0 && header->EndTime == 0;
  // The file that counts the records, and its record size.
  const std::string& path = dataFile;
  std::size_t size = 0;
  switch (toolKind) {
    case kToolSixChannel:
      size = kSixSize;
      break;
    case kToolTwelveChannel:
      size = kTwelveSize;
      break;
    case kToolTeleviewer:
      size = kSweepSize;
      break;
    case kToolFullWave:
    case kToolCementBond:
      size = kWaveSize;
      break;
    case kToolSonic:
      if (const auto g = SonicGeometryFor(header->ComStd)) size = static_cast<std::size_t>(g->RecordSize());
      break;
    default:
      break;
  }
  ReplayDataFile file;
  if (size == 0 || !file.Open(FindFileNoCase(path), size)) return false;
  std::uint64_t records = file.Records();
  if (toolKind == kToolFullWave || toolKind == kToolCementBond) {
    // A pair needs its .LOG part too.
    ReplayDataFile log;
    if (!log.Open(FindFileNoCase(SiblingPath(path, "LOG")), kSixSize)) return false;
    records = std::min(records, log.Records());
  }
  if (records == 0) return false;
  long long reached = 0;
  if (toolKind == kToolTeleviewer) {
    long long sum = 0;
    if (!SumSweepSteps(file, 0, &sum) || sum == 0) return false;
    // A header's end that lies where the sweeps went stands: the rebuilt
    // depth counts one step per moved sweep, whatever it moved.
    if (!unfinished && (e - s) * (sum > 0 ? 1 : -1) > 0) return false;
    // One step past the last rebuilt depth: the window ends before the first
    // sweep that reaches its end, and so takes in the last sweep too.
    reached = s + (sum + (sum > 0 ? 1 : -1)) * step;
  } else {
    // The direction the reader takes from a finished header (its end below
    // or above its start); the log mode's for one without an end.
    const int direction = !unfinished && e != s ? (e > s ? 1 : -1) : (mode == 12 ? 1 : -1);
    reached = s + direction * static_cast<long long>(records - 1) * step;
    // An end beyond the data is left: every record lies within it.
    if (!unfinished && (reached - e) * direction < step) return false;
  }
  if (reached == e) return false;
  Trace("replay: the header of %s ends at %lld, its data at %lld; the data's end is taken", dataFile.c_str(), e,
        reached);
  header->EndDepth = ClampToInt(reached);
  return true;
}

ReplayReader::ReplayReader(std::string fileName, int toolKind, int fromDepth, int toDepth, int logMode,
                           const ReplayHeader& header)
    : fileName_(std::move(fileName)),
      logMode_(logMode),
      toolKind_(toolKind),
      fromDepth_(fromDepth),
      toDepth_(toDepth),
      header_(header) {
  if (toolKind_ == kToolSonic) {
    if (const auto g = SonicGeometryFor(header_.comStd)) {
      sonicRecordSize_ = static_cast<std::size_t>(g->RecordSize());
      waveformBytes_ = static_cast<std::size_t>(g->WaveformBytes());
      // The whole record is read here; the packet points at its samples.
      waveforms_.assign(sonicRecordSize_, 0);
    }
  }
  if (IsPaired()) {
    // The .LOG of the same name holds the six channels of each segment.
    ReplayDataFile& wave = toolKind_ == kToolFullWave ? vdl_ : cbl_;
    open_ = HasExtension(fileName_) && main_.Open(FindFileNoCase(SiblingPath(fileName_, "LOG")), kSixSize) &&
            wave.Open(FindFileNoCase(fileName_), kWaveSize);
  } else {
    open_ = main_.Open(FindFileNoCase(fileName_), MainRecordSize());
  }
  if (!open_) {
    ShowMessageBox(LoadString(kSourceNotOpened), {}, MB_OK);
    return;
  }
  NoteTail(main_);
  NoteTail(vdl_);
  NoteTail(cbl_);
  ComputeWindow();
  PositionAtWindowStart();
}

ReplayReader::~ReplayReader() {
  main_.Close();
  vdl_.Close();
  cbl_.Close();
}

std::size_t ReplayReader::MainRecordSize() const {
  switch (toolKind_) {
    case kToolSixChannel:
    case kToolFullWave:
    case kToolCementBond:
      return kSixSize;
    case kToolTeleviewer:
      return kSweepSize;
    case kToolTwelveChannel:
      return kTwelveSize;
    case kToolSonic:
      return sonicRecordSize_;
    default:
      return 0;
  }
}

void ReplayReader::NoteTail(const ReplayDataFile& file) {
  if (tailNoted_ || !file.IsOpen() || !file.HasPartialRecord()) return;
  tailNoted_ = true;
  Trace("replay: %s ends in a partial record; it is read up to its last whole record", file.Path().c_str());
}

bool ReplayReader::HasPartialRecord() const {
  return main_.HasPartialRecord() || vdl_.HasPartialRecord() || cbl_.HasPartialRecord();
}

std::uint32_t ReplayReader::GetRecordCount() const {
  if (!open_) return 0;
  std::uint64_t n = 0;
  switch (toolKind_) {
    case kToolFullWave:
      n = vdl_.Records();
      break;
    case kToolCementBond:
      n = cbl_.Records();
      break;
    default:
      n = main_.Records();
  }
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(n, UINT32_MAX));
}

void ReplayReader::ComputeWindow() {
  const long long s = header_.startDepth, e = header_.endDepth;
  const long long step = std::llabs(static_cast<long long>(header_.step));
  long long from, to, span, offset;
  if (s > e) {
    from = std::min<long long>(fromDepth_, s);
    to = std::max<long long>(toDepth_, e);
    span = from - to;
    offset = s - from;
  } else {
    from = std::max<long long>(fromDepth_, s);
    to = std::min<long long>(toDepth_, e);
    span = to - from;
    offset = from - s;
  }
  if (step == 0) {
    // Without a step no record has a depth: the whole file is replayed.
    recordLimit_ = GetRecordCount();
    windowSkip_ = 0;
  } else {
    // A range against the log's direction holds no records of its own.
    recordLimit_ = static_cast<std::uint64_t>(std::max(span, 0LL) / step) + 51;
    windowSkip_ = static_cast<std::uint64_t>(std::max(offset, 0LL) / step);
    // A header range far wider than the data would deliver empty records for
    // every step of it: the window ends at the data, and the records that
    // carry its last values through the delay windows.
    const std::uint64_t records = GetRecordCount();
    recordLimit_ = std::min<std::uint64_t>(recordLimit_, (records > windowSkip_ ? records - windowSkip_ : 0) + 51);
  }
  if (toolKind_ == kToolTeleviewer)
    LocateTeleviewerWindow(ClampToInt(from), ClampToInt(to));
  else if (MainRecordSize() == 0)
    recordLimit_ = 0;
  if (header_.logMode == 10) {
    recordLimit_ = GetRecordCount();
    windowSkip_ = 0;
  }
}

void ReplayReader::LocateTeleviewerWindow(int from, int to) {
  recordLimit_ = main_.Records();
  windowSkip_ = 0;
  const double s = header_.startDepth, e = header_.endDepth;
  if (std::fabs(s - e) < 1000.0) return;
  const long long step = std::llabs(static_cast<long long>(header_.step));
  const std::uint64_t records = main_.Records();
  // Walks the depth-step words from the start; index of the first record
  // whose rebuilt depth reaches target, records when none does, -1 on error.
  auto walk = [&](long long target) -> long long {
    long long d = header_.startDepth;
    for (std::uint64_t i = 0; i < records; ++i) {
      std::uint8_t w[2];
      if (!main_.ReadAt(i * kSweepSize + TeleviewerFileRecord::kDepthStepOffset, w, 2)) return -1;
      const std::uint16_t word = static_cast<std::uint16_t>(w[0] | (w[1] << 8));
      if (TeleviewerFileRecord::Moved(word)) d += TeleviewerFileRecord::Increased(word) ? step : -step;
      if ((header_.startDepth < header_.endDepth && d >= target) ||
          (header_.startDepth > header_.endDepth && d <= target))
        return static_cast<long long>(i);
    }
    return static_cast<long long>(records);
  };
  const long long first = walk(from);
  const long long last = first < 0 ? -1 : walk(to);
  if (first < 0 || last < 0) {
    windowSkip_ = 0;
    recordLimit_ = 0;
    return;
  }
  windowSkip_ = first == static_cast<long long>(records) ? 0 : static_cast<std::uint64_t>(first);
  // The sweep that reaches the end depth belongs to the window: without it a
  // log replayed or printed to its end loses its last sweep.
  if (last < static_cast<long long>(records))
    recordLimit_ = last >= static_cast<long long>(windowSkip_) ? static_cast<std::uint64_t>(last) - windowSkip_ + 1 : 0;
}

void ReplayReader::PositionAtWindowStart() {
  if (recordLimit_ < 1) return;
  main_.Seek(windowSkip_ * MainRecordSize());
  if (toolKind_ == kToolFullWave) vdl_.Seek(windowSkip_ * kWaveSize);
  if (toolKind_ == kToolCementBond) cbl_.Seek(windowSkip_ * kWaveSize);
}

int ReplayReader::Rewind() {
  windowSkip_ = 0;
  recordsRead_ = 0;
  if (!open_) return 0;
  main_.Seek(0);
  vdl_.Seek(0);
  cbl_.Seek(0);
  ComputeWindow();
  PositionAtWindowStart();
  return 1;
}

bool ReplayReader::CountAndCheckLimit(bool honourPrinting) {
  ++recordsRead_;
  if (recordsRead_ <= recordLimit_) return true;
  // Page printing of a log recorded upward positions every row by depth and
  // stops by depth itself.
  return honourPrinting && printing_ && logMode_ == 11;
}

template <class Record, class Device>
int ReplayReader::ReadSingle(int kind, Device* device) {
  if (!open_ || toolKind_ != kind || !device) return 0;
  if (!CountAndCheckLimit(true)) {
    SkipRecord(main_, Record::kSize);
    return 0;
  }
  std::uint8_t bytes[Record::kSize];
  const int r = main_.ReadRecord(bytes);
  if (r < 0) return 0;
  lastHeldData_ = r == 1;
  SpreadInto(DecodeOrZero<Record>(r, bytes), device);
  return 1;
}

int ReplayReader::ReadSixChannel(SixChannelPacket* packet) {
  return ReadSingle<SixChannelFileRecord>(kToolSixChannel, packet);
}

int ReplayReader::ReadTwelveChannel(TwelveChannelRecord* record) {
  return ReadSingle<TwelveChannelFileRecord>(kToolTwelveChannel, record);
}

int ReplayReader::ReadSonic(SonicPacket* packet) {
  if (!open_ || toolKind_ != kToolSonic || sonicRecordSize_ == 0 || !packet) return 0;
  if (!CountAndCheckLimit(true)) {
    SkipRecord(main_, sonicRecordSize_);
    return 0;
  }
  const int r = main_.ReadRecord(waveforms_.data());
  if (r < 0) return 0;
  if (r == 0) std::fill(waveforms_.begin(), waveforms_.end(), 0);
  SpreadInto(DecodeOrZero<TwelveChannelFileRecord>(1, waveforms_.data()), packet);
  packet->samples = reinterpret_cast<const std::int16_t*>(waveforms_.data() + kTwelveSize);
  return 1;
}

int ReplayReader::ReadTeleviewer(TeleviewerSweep* sweep) {
  if (!open_ || toolKind_ != kToolTeleviewer || !sweep) return 0;
  // The end of the data ends a televiewer replay before anything is counted.
  if (!main_.RecordAvailable()) return 0;
  if (!CountAndCheckLimit(false)) {
    SkipRecord(main_, kSweepSize);
    return 0;
  }
  std::uint8_t bytes[kSweepSize];
  if (main_.ReadRecord(bytes) != 1) return 0;
  SpreadInto(DecodeOrZero<TeleviewerFileRecord>(1, bytes), sweep);
  return 1;
}

void ReplayReader::ClosePair() {
  main_.Close();
  vdl_.Close();
  cbl_.Close();
  open_ = false;
}

int ReplayReader::ReadPair(CblWaveformSegment* segment, SixChannelPacket* packet, int kind) {
  if (!open_ || toolKind_ != kind || !segment || !packet) return 0;
  ReplayDataFile& wave = kind == kToolFullWave ? vdl_ : cbl_;
  if (!CountAndCheckLimit(true)) {
    SkipRecord(wave, kWaveSize);
    SkipRecord(main_, kSixSize);
    return 0;
  }
  std::uint8_t waveBytes[kWaveSize];
  std::uint8_t sixBytes[kSixSize];
  const int rw = wave.ReadRecord(waveBytes);
  const int rm = rw < 0 ? -1 : main_.ReadRecord(sixBytes);
  if (rw < 0 || rm < 0) {
    ClosePair();
    return 0;
  }
  // Each part of the pair is judged by itself: a missing part is a zero record.
  SpreadInto(DecodeOrZero<WaveformFileRecord>(rw, waveBytes), segment);
  SpreadInto(DecodeOrZero<SixChannelFileRecord>(rm, sixBytes), packet);
  return 1;
}

int ReplayReader::ReadFullWave(CblWaveformSegment* segment, SixChannelPacket* packet) {
  return ReadPair(segment, packet, kToolFullWave);
}

int ReplayReader::ReadCementBond(CblWaveformSegment* segment, SixChannelPacket* packet) {
  return ReadPair(segment, packet, kToolCementBond);
}

int ReplayReader::PositionAt(ReplayDataFile& file, std::size_t recordSize, int depth) {
  const long long step = std::llabs(static_cast<long long>(header_.step));
  const std::uint64_t length = file.UsableLength();
  if (step == 0 || length == 0) return -1;
  const long long d = static_cast<long long>(depth) - depthOffset_;
  const long long k = IsUpward() ? (header_.startDepth - d) / step : (d - header_.startDepth) / step;
  if (k < 0) return -1;
  std::uint64_t p = static_cast<std::uint64_t>(k) * recordSize;
  if (p > length) return -1;
  // A depth one record past the end delivers the last record.
  if (p == length) p -= recordSize;
  file.Seek(p);
  return 0;
}

int ReplayReader::SeekSixChannel(SixChannelPacket* packet, int depth) {
  if (!packet) return 0;
  ClearSix(packet);
  if (!main_.IsOpen() || (logMode_ != 11 && logMode_ != 12)) return 1;
  if (PositionAt(main_, kSixSize, depth) < 0) {
    lastHeldData_ = false;  // no record of the file at that depth
    return 0;
  }
  return ReadSixChannel(packet);
}

int ReplayReader::SeekTwelveChannel(TwelveChannelRecord* record, int depth) {
  if (!record) return 0;
  for (int i = 0; i < TwelveChannelFileRecord::kChannels; ++i) record->value[i] = 0.0f;
  if (!main_.IsOpen() || (logMode_ != 11 && logMode_ != 12)) return 1;
  if (PositionAt(main_, kTwelveSize, depth) < 0) {
    lastHeldData_ = false;  // no record of the file at that depth
    return 0;
  }
  return ReadTwelveChannel(record);
}

int ReplayReader::SeekSonic(SonicPacket* packet, int depth) {
  if (!packet) return 0;
  for (int i = 0; i < TwelveChannelFileRecord::kChannels; ++i) packet->value[i] = 0.0f;
  if (!main_.IsOpen() || (logMode_ != 11 && logMode_ != 12)) return 1;
  if (sonicRecordSize_ == 0 || PositionAt(main_, sonicRecordSize_, depth) < 0) return 0;
  return ReadSonic(packet);
}

int ReplayReader::SeekPaired(CblWaveformSegment* segment, SixChannelPacket* packet, int depth, int kind) {
  if (!segment || !packet) return 0;
  segment->flags = WaveformFileRecord::kFarReceiver;
  segment->receiver = 0;
  for (int i = 0; i < WaveformFileRecord::kSamples; ++i) segment->sample[i] = 0;
  ClearSix(packet);
  ReplayDataFile& wave = kind == kToolFullWave ? vdl_ : cbl_;
  if (!main_.IsOpen() || !wave.IsOpen() || (logMode_ != 11 && logMode_ != 12)) return 1;
  if (PositionAt(main_, kSixSize, depth) < 0) {
    lastHeldData_ = false;  // no record of the file at that depth
    return 0;
  }
  if (kind == kToolCementBond) {
    const long long d = static_cast<long long>(depth) - depthOffset_;
    if (d < windowLow_ || d > windowHigh_) return 1;
  }
  if (PositionAt(wave, kWaveSize, depth) < 0) return 0;
  return ReadPair(segment, packet, kind);
}

int ReplayReader::SeekFullWave(CblWaveformSegment* segment, SixChannelPacket* packet, int depth) {
  return SeekPaired(segment, packet, depth, kToolFullWave);
}

int ReplayReader::SeekCementBond(CblWaveformSegment* segment, SixChannelPacket* packet, int depth) {
  return SeekPaired(segment, packet, depth, kToolCementBond);
}

void ReplayReader::SeekToWindowEnd() {
  if (toolKind_ != kToolSixChannel && toolKind_ != kToolTeleviewer && !IsPaired() && toolKind_ != kToolTwelveChannel)
    return;
  const std::uint64_t n = std::min<std::uint64_t>(GetRecordCount(), recordLimit_);
  const std::uint64_t p = (windowSkip_ + n) * MainRecordSize();
  if (main_.IsOpen()) main_.Seek(std::min(p, main_.UsableLength()));
  const std::uint64_t w = (windowSkip_ + n) * kWaveSize;
  if (toolKind_ == kToolFullWave && vdl_.IsOpen()) vdl_.Seek(w);
  if (toolKind_ == kToolCementBond && cbl_.IsOpen()) cbl_.Seek(w);
}

int ReplayReader::StepBack() {
  if (toolKind_ != kToolSixChannel && toolKind_ != kToolTeleviewer && !IsPaired() && toolKind_ != kToolTwelveChannel)
    return 1;
  // Where a file goes back to; -1 when it is at its first record.
  // Just after the window's end with nothing read yet (SeekToWindowEnd), the
  // record before is the window's last one, whether or not the file ends there.
  const std::uint64_t windowEnd = windowSkip_ + std::min<std::uint64_t>(GetRecordCount(), recordLimit_);
  auto target = [&](const ReplayDataFile& file, std::uint64_t size) -> long long {
    if (!file.IsOpen()) return -2;  // not stepped
    const std::uint64_t p = file.Position();
    if ((p == file.UsableLength() || p == windowEnd * size) && recordsRead_ == 0)
      return p >= size ? static_cast<long long>(p - size) : -1;
    return p >= 2 * size ? static_cast<long long>(p - 2 * size) : -1;
  };
  long long waveTarget = -2;
  ReplayDataFile* wave = toolKind_ == kToolFullWave ? &vdl_ : toolKind_ == kToolCementBond ? &cbl_ : nullptr;
  if (wave) {
    waveTarget = target(*wave, kWaveSize);
    if (waveTarget == -1) return 0;
  }
  const long long mainTarget = target(main_, MainRecordSize());
  // Neither file of a pair moves unless both can: the pair stays aligned.
  if (mainTarget == -1) return 0;
  if (wave && waveTarget >= 0) wave->Seek(static_cast<std::uint64_t>(waveTarget));
  if (mainTarget >= 0) main_.Seek(static_cast<std::uint64_t>(mainTarget));
  return 1;
}

int ReplayReader::SumTeleviewerSteps(int stepMode) {
  if (toolKind_ != kToolTeleviewer || !main_.IsOpen()) return 0;
  long long sum = 0;
  if (!SumSweepSteps(main_, stepMode, &sum)) {
    main_.Close();
    open_ = false;
    return 0;
  }
  main_.Seek(windowSkip_ * kSweepSize);
  return ClampToInt(sum);
}

void ReplayReader::SetDepthWindow(int depthOffset, int stepMode) {
  const long long n = GetRecordCount();
  const long long step = header_.step;
  long long to = toDepth_;
  if (toolKind_ != kToolTeleviewer) {
    if (logMode_ == 11) to = std::max<long long>(to, fromDepth_ - n * step);
    if (logMode_ == 12) to = std::min<long long>(to, fromDepth_ + n * step);
  } else {
    const long long m = SumTeleviewerSteps(stepMode);
    const long long x = fromDepth_ + m * step;
    to = m > 0 ? std::min(to, x) : std::max(to, x);
  }
  toDepth_ = ClampToInt(to);
  windowLow_ = ClampToInt(static_cast<long long>(std::min(fromDepth_, toDepth_)) - depthOffset);
  const long long h = std::max(fromDepth_, toDepth_);
  windowHigh_ = ClampToInt(h - depthOffset > header_.startDepth ? h + depthOffset : h - depthOffset);
  depthOffset_ = depthOffset;
}

int ReplayReader::CloseFiles() {
  if (open_ && main_.IsOpen()) {
    main_.Close();
    open_ = false;
  }
  if (vdl_.IsOpen()) {
    vdl_.Close();
    open_ = false;
  }
  if (cbl_.IsOpen()) {
    cbl_.Close();
    open_ = false;
  }
  return 1;
}

}  // namespace qv
