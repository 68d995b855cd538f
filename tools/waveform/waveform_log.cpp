#include "tools/waveform/waveform_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/statistics/statistics.h"
#include "logdoc/document/strings.h"
#include "logdoc/engine/channel_processor.h"
#include "logdoc/records/device_records.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

constexpr std::uint8_t kFarReceiver = 0x80;
constexpr std::uint8_t kSegmentMinute = 0x20;
constexpr std::uint8_t kPacketMinute = 0x80;
// The most depth steps the print rings reach beyond their margin.
constexpr long long kMaxRingReach = 100000;

// Writes all of bytes at the end of fd; false when they did not all get there.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void CloseFd(int& fd) {
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
  fd = -1;
}

}  // namespace

// The engine's record sink, carried to the view and the tool's header sections.
class WaveformLogDocument::ViewAdapter : public RecordSink {
 public:
  explicit ViewAdapter(WaveformLogDocument& doc) : doc_(doc) {}
  void AddSample(std::span<const double>) override {}
  void SetDisplayDepth(int depth) override {
    if (doc_.view_) doc_.view_->SetDepth(depth, false);
  }
  void ResetCurves(bool) override {
    if (doc_.view_) doc_.view_->ResetDisplay(true);
  }
  void UpdateDisplay() override {
    if (doc_.view_) doc_.view_->UpdateDisplay();
  }
  int WriteChannelHeader() override { return doc_.WriteLayoutHeader(); }
  void StartRealtimePrint(int mode) override {
    if (doc_.view_) doc_.view_->StartRealtimePrint(mode);
  }
  void StopRealtimePrint(int mode) override {
    if (doc_.view_) doc_.view_->StopRealtimePrint(mode);
  }

 private:
  WaveformLogDocument& doc_;
};

WaveformLogDocument::WaveformLogDocument(const WaveformLogKind& kind)
    : LogEngine(kPairSize, kind.waveformExt, kind.toolKind),
      kind_(kind),
      adapter_(std::make_unique<ViewAdapter>(*this)) {
  SetSink(adapter_.get());
  SetBuffering(kRecordsPerHalf, kQueuedHalves);
}

WaveformLogDocument::~WaveformLogDocument() {
  Shutdown();
  CloseDataFiles();
}

void WaveformLogDocument::SetView(WaveformSink* view) {
  view_ = view;
  SetSink(adapter_.get());
}

// ---------------------------------------------------------------------------
// Initialisation

const CalibrationArray* WaveformLogDocument::GetCalibrationArray() const {
  return calibration_.channels.empty() ? nullptr : &calibration_.channels;
}

bool WaveformLogDocument::InitialiseTool(int mode) {
  LogSetup& s = Setup();
  const int lengthCm = SondeLengthCentimetres(mode);
  sondeLength_ = lengthCm > 0 ? CentimetresToDepthUnits(lengthCm, s.imperial) : 0;
  largestOffset_ = SondeLengthSteps(lengthCm, s.imperial, s.depthStep, LogType());
  // The rings hold the sonde's length and every channel's offset (the print
  // path places a channel by its own offset), plus the tool's margin.
  // A length or offset beyond any sonde (a damaged sonde file) does not size
  // them: its rows lie outside and are skipped.
  long long reach = largestOffset_;
  for (std::size_t i = 0; i < 7; ++i)
    reach = std::max(reach, std::llabs(OffsetToSteps(s.channelFilters[i].Offset, s.imperial, s.depthStep)));
  reach = std::min(reach, kMaxRingReach);
  ringRows_ = (s.logMode == 11 || s.logMode == 12) ? static_cast<int>(reach) + kind_.ringMargin : kTimeLogRingRows;
  SetDisplayDepthOffset(s.logMode == 11 ? 25 * s.depthStep : -25 * s.depthStep);

  valueRing_ = DelayWindow(ringRows_, 6);
  readingRing_ = DelayWindow(ringRows_, 6);
  segmentRing_.resize(static_cast<std::size_t>(ringRows_));
  ClearRings();
  packet_ = {};
  segment_ = {};
  calibrated_ = {};
  scaled_ = {};
  SetLastMinute(0);
  InitialiseWaveformTool(mode);

  bool ok = true;
  CloseReplayReader();
  if (mode != 1) ok = OpenReplayReader();

  if (!view_) {
    ReportMessage(DeviceErrorText(kSystemError, kErrNoMemory), kErrorBox);
    return false;
  }
  view_->ResetScroll();

  calibration_ = CalibrationSet{};
  if (s.calibration) {
    const int loaded = (mode != 1 && s.calibrationFromHeader) ? LoadHeaderCalibration(&calibration_)
                                                              : LoadCalibrationFile(&calibration_);
    if (!loaded) {
      s.calibration = false;
      ShowMessageBox(LoadString(kStrCalibrationNotLoaded));
    }
  }
  return ok;
}

void WaveformLogDocument::ClearRings() {
  valueRing_.Clear();
  readingRing_.Clear();
  segmentBase_ = 0;
  CblWaveformSegment blank;
  std::memset(&blank, 0xFF, sizeof blank);
  std::fill(segmentRing_.begin(), segmentRing_.end(), blank);
}

// ---------------------------------------------------------------------------
// Records

std::uint32_t WaveformLogDocument::ReadPacket(int passThrough) {
  CblWaveformSegment segment{};
  // A far segment leaves the companion as the last near one left it; the
  // minute bit stays with the record that began the minute.
  SixChannelPacket packet = packet_;
  packet.flags &= static_cast<std::uint8_t>(~kPacketMinute);
  std::uint32_t word = ReadArrival(&segment, &packet, passThrough);
  if ((word & 0xFF) != TB_STATUS_DATA) return word;
  const std::uint8_t high = static_cast<std::uint8_t>((word >> 8) & 0xFF);
  segment_ = segment;
  packet_ = packet;
  if (high == 0) {
    if (segment_.flags & kFarReceiver)
      farReceiver_ = static_cast<std::int16_t>(segment_.receiver);
    else
      nearReceiver_ = static_cast<std::int16_t>(segment_.receiver);
    SetReceiverStatus(static_cast<int>(static_cast<unsigned>(static_cast<std::int16_t>(farReceiver_)) << 16) +
                      static_cast<std::int16_t>(nearReceiver_));
  }
  word = CheckRecord(word, segment_.depth, segment_.time);
  if (StartsNewMinute(segment_.time)) {
    packet_.flags |= kPacketMinute;
    if (high == 0) segment_.flags |= kSegmentMinute;
  }
  if (high == 0) TakeSegment();
  return word;
}

void WaveformLogDocument::EncodeFileRecord(std::span<std::uint8_t> out) const {
  FileRecordOf(packet_).Encode(out.first<kLogRecordSize>());
  FileRecordOf(segment_).Encode(out.subspan<kLogRecordSize, kWaveRecordSize>());
}

void WaveformLogDocument::ScaleValues(bool toScaled) {
  if (packet_.rate == 0) packet_.rate = 50;
  const bool calibrate = Setup().calibration;
  for (std::size_t i = 0; i < 6; ++i) {
    const double x = packet_.channel[i] * 50.0 / packet_.rate;
    double y = x;
    if (calibrate && i < calibration_.channels.size()) {
      const ChannelCalibration* c = calibration_.channels[i].get();
      if (c && c->coefficients)
        y = c->Coefficient(0) + c->Coefficient(1) * x + c->Coefficient(2) * x * x + c->Coefficient(3) * x * x * x;
    }
    if (toScaled) scaled_[i] = x;
    calibrated_[i] = y;
  }
}

bool WaveformLogDocument::ProcessRecord(bool forPrint) {
  ScaleValues(true);
  if (IsLive()) SetLastDepth(Depth());
  if (!forPrint && view_) view_->AddDepthRow(segment_, calibrated_.data());
  return true;
}

// The segment ring's write row of the current segment. A depth log delays a
// receiver's waveform as far as a curve of the same offset (a segment
// written at row w comes out w - 1 records later, a value at row r after
// r - 25), so both show the formation at one depth. Both receivers' segments
// of a firing keep their order: the far receiver's delay differs from the
// near one's by whole firings, so no two segments meet in one row.
long long WaveformLogDocument::SegmentRow(bool viewOffsets, const int* offsets) const {
  const LogSetup& s = Setup();
  const auto steps = [&](int channel) {  // channel 7 near, 8 far
    return static_cast<long long>(
        OffsetToSteps(s.channelFilters[static_cast<std::size_t>(channel - 1)].Offset, s.imperial, s.depthStep));
  };
  if (s.logMode != 11 && s.logMode != 12 && !viewOffsets) return steps(7);
  // Read in depth order (logged down, or a page of an upward log) a
  // receiver waits for the sonde's top, otherwise for its own offset.
  const bool byDepth = viewOffsets || s.logMode == 12;
  long long d = viewOffsets ? (offsets ? offsets[13] : 0) : (byDepth ? largestOffset_ - steps(7) : steps(7));
  if (segment_.flags & 0x80) {
    const long long firing = kind_.toolKind == kToolFullWave ? 20 : 10;
    const long long apart = byDepth ? steps(7) - steps(8) : steps(8) - steps(7);
    d += firing * std::llround(static_cast<double>(apart) / static_cast<double>(firing));
  }
  return kDefaultRow - kOutputRow + 1 + d;
}

bool WaveformLogDocument::ProcessPrintRecord(bool printing, bool useViewOffsets, const int* offsets) {
  if (ringRows_ < kDefaultRow + 1) return false;
  ScaleValues(false);
  const LogSetup& s = Setup();
  const bool viewOffsets = printing && useViewOffsets;
  std::array<double, 6> out{};
  for (int i = 0; i < 6; ++i) {
    long long r = kDefaultRow;  // wide: an offset from the print code may be anything
    if (viewOffsets) {
      r = kDefaultRow + static_cast<long long>(offsets ? offsets[7 + i] : 0);
    } else {
      const int d = OffsetToSteps(s.channelFilters[static_cast<std::size_t>(i)].Offset, s.imperial, s.depthStep);
      if (s.logMode == 11)
        r = d + kDefaultRow;
      else if (s.logMode == 12)
        r = static_cast<long long>(largestOffset_) - d + kDefaultRow;
    }
    // Row 0 leaves the window now: a value written there would never show.
    if (r >= 1 && r < ringRows_) {
      valueRing_.Write(static_cast<int>(r), i, calibrated_[static_cast<std::size_t>(i)]);
      readingRing_.Write(static_cast<int>(r), i, missed_ ? 0.0 : 1.0);
    }
    // A row no reading has reached yet (the delay still filling) prints no
    // curve, not a stroke from the track's edge to the first reading.
    const ChannelFilter& f = s.channelFilters[static_cast<std::size_t>(i)];
    out[static_cast<std::size_t>(i)] = readingRing_.Output(i, 0, 0) != 0.0
                                           ? valueRing_.Output(i, f.FilterType, f.FilterWidth)
                                           : std::numeric_limits<double>::quiet_NaN();
  }
  const long long w = SegmentRow(viewOffsets, offsets);
  if (w >= 0 && w < ringRows_) segmentRing_[SegmentSlot(static_cast<int>(w))] = segment_;
  if (w > 0) {
    // Every row moves up one; the last row keeps what it held (it is not
    // refilled), so the slot that becomes it takes a copy.
    const std::size_t last = SegmentSlot(ringRows_ - 1);
    segmentRing_[segmentBase_] = segmentRing_[last];
    segmentBase_ = SegmentSlot(1);
  }
  valueRing_.Rotate();
  readingRing_.Rotate();
  printValues_ = out;
  printSegment_ = segmentRing_[segmentBase_];
  if (view_) view_->TakePrintRow(printValues_.data(), printSegment_);
  return true;
}

// ---------------------------------------------------------------------------
// Data files: one record pair per segment, never split between the files

bool WaveformLogDocument::OpenDataFiles(const std::string& stem) {
  CloseDataFiles();
  logPath_ = stem + "LOG";
  wavePath_ = stem + kind_.waveformExt;
  logFd_ = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd_ < 0) return false;
  waveFd_ = ::open(wavePath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (waveFd_ < 0 || !Pipeline().Open([this](std::span<const std::uint8_t> b) { return AppendPairs(b); })) {
    // Nothing of a recording that could not begin stays behind.
    if (waveFd_ >= 0) ::unlink(wavePath_.c_str());
    CloseFd(waveFd_);
    CloseFd(logFd_);
    ::unlink(logPath_.c_str());
    return false;
  }
  return true;
}

bool WaveformLogDocument::AppendPairs(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size() / kPairSize;
  std::vector<std::uint8_t> log(n * kLogRecordSize), wave(n * kWaveRecordSize);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* pair = bytes.data() + i * kPairSize;
    std::memcpy(log.data() + i * kLogRecordSize, pair, kLogRecordSize);
    std::memcpy(wave.data() + i * kWaveRecordSize, pair + kLogRecordSize, kWaveRecordSize);
  }
  const off_t logStart = ::lseek(logFd_, 0, SEEK_END);
  const off_t waveStart = ::lseek(waveFd_, 0, SEEK_END);
  // The .LOG part goes first: a replay counts pairs by the waveform file, so
  // a record whose waveform part never arrived is never read.
  if (logStart >= 0 && waveStart >= 0 && WriteAll(logFd_, log.data(), log.size()) &&
      WriteAll(waveFd_, wave.data(), wave.size()))
    return true;
  if (logStart >= 0 && ::ftruncate(logFd_, logStart) != 0)
    Trace("%s: could not cut back the .LOG file", kind_.traceName);
  if (waveStart >= 0 && ::ftruncate(waveFd_, waveStart) != 0)
    Trace("%s: could not cut back the .%s file", kind_.traceName, kind_.waveformExt);
  return false;
}

void WaveformLogDocument::CloseDataFiles() {
  CloseFd(logFd_);
  CloseFd(waveFd_);
}

// The .LOG of a pair counts as much as its waveform file: another log's .LOG
// of the same name is never overwritten by the next file of a chain.
bool WaveformLogDocument::DataFilesExist(const std::string& stem) const {
  struct stat st {};
  return LogEngine::DataFilesExist(stem) || ::stat(FindFileNoCase(stem + "LOG").c_str(), &st) == 0;
}

void WaveformLogDocument::RemoveDataFiles(const std::string& stem) {
  ::unlink(FindFileNoCase(stem + kind_.waveformExt).c_str());
  ::unlink(FindFileNoCase(stem + "LOG").c_str());
}

// ---------------------------------------------------------------------------
// Header

int WaveformLogDocument::WriteCalibrationHeader() {
  return WriteCalibrationHeaderFrom(calibration_);
}

void WaveformLogDocument::CloseReplay() {
  if (IsLive()) return;
  CloseReplayReader();
  WriteHeader();
  WriteLayoutHeader();
  WriteCalibrationHeader();
}

// ---------------------------------------------------------------------------
// Replay

bool WaveformLogDocument::OpenReplayReader() {
  reader_ = MakeReplayReader();
  return reader_->IsOpen();
}

void WaveformLogDocument::CloseReplayReader() {
  reader_.reset();
}

bool WaveformLogDocument::ReadReplayRecord() {
  if (!reader_) return false;
  const int read = kind_.toolKind == kToolFullWave ? reader_->ReadFullWave(&segment_, &packet_)
                                                   : reader_->ReadCementBond(&segment_, &packet_);
  if (!read) return false;
  missed_ = false;
  if (packet_.flags & kPacketMinute) SetMinuteMark();
  return true;
}

bool WaveformLogDocument::SeekReplay(int depth) {
  if (!reader_) return false;
  const int read = kind_.toolKind == kToolFullWave ? reader_->SeekFullWave(&segment_, &packet_, depth)
                                                   : reader_->SeekCementBond(&segment_, &packet_, depth);
  // A seek past the data's end leaves a record that holds no reading.
  missed_ = !read;
  if (!read) return false;
  if (packet_.flags & kPacketMinute) SetMinuteMark();
  return true;
}

bool WaveformLogDocument::RewindReplay() {
  if (!reader_ || !reader_->Rewind()) return false;
  ClearRings();
  if (!view_) return false;
  view_->ResetDisplay(false);
  return true;
}

}  // namespace qv
