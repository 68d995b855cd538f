#include "tools/cementbond/cbl_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/statistics/statistics.h"
#include "header/header.h"
#include "logdoc/document/strings.h"
#include "logdoc/engine/channel_processor.h"
#include "logdoc/records/device_records.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "sondedb/lookups.h"
#include "sondedb/sondedb.h"

namespace qv {
namespace {

constexpr std::uint8_t kFarReceiver = 0x80;
constexpr std::uint8_t kSegmentMinute = 0x20;
constexpr std::uint8_t kPacketMinute = 0x80;
constexpr int kSegmentSpan = 192;  // µs of one segment
constexpr int kSampleStep = 4;     // µs between samples
constexpr int kSamples = 48;

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

// The engine's record sink, carried to the cement-bond view and the gate
// header writes.
class CCBLDocument::ViewAdapter : public RecordSink {
 public:
  explicit ViewAdapter(CCBLDocument& doc) : doc_(doc) {}
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
  int WriteChannelHeader() override { return doc_.WriteGateHeader(); }
  void StartRealtimePrint(int mode) override {
    if (doc_.view_) doc_.view_->StartRealtimePrint(mode);
  }
  void StopRealtimePrint(int mode) override {
    if (doc_.view_) doc_.view_->StopRealtimePrint(mode);
  }

 private:
  CCBLDocument& doc_;
};

CCBLDocument::CCBLDocument()
    : LogEngine(kPairSize, "CBL", kToolCementBond), adapter_(std::make_unique<ViewAdapter>(*this)) {
  SetSink(adapter_.get());
  SetBuffering(kRecordsPerHalf, kQueuedHalves);
}

CCBLDocument::~CCBLDocument() {
  Shutdown();
  CloseDataFiles();
}

void CCBLDocument::SetView(CementBondSink* view) {
  view_ = view;
  SetSink(adapter_.get());
}

std::string CCBLDocument::TemplatePath() {
  const std::string folder = g_strProgramFolder.empty() ? ProgramFolder() : g_strProgramFolder;
  return JoinPath(JoinPath(folder, "Header"), "STANDARD.HED");
}

// ---------------------------------------------------------------------------
// Gates

FreePipeGate CCBLDocument::NearGate() const {
  std::lock_guard<std::mutex> lock(gateMutex_);
  return nearGate_;
}

FreePipeGate CCBLDocument::FarGate() const {
  std::lock_guard<std::mutex> lock(gateMutex_);
  return farGate_;
}

void CCBLDocument::SetGates(const FreePipeGate& nearGate, const FreePipeGate& farGate) {
  std::lock_guard<std::mutex> lock(gateMutex_);
  nearGate_ = nearGate;
  farGate_ = farGate;
}

void CCBLDocument::PickGatePeak(SixChannelPacket* packet, const CblWaveformSegment* segment) {
  if (!packet || !segment) return;
  const bool far = (segment->flags & kFarReceiver) != 0;
  int start, end;
  {
    std::lock_guard<std::mutex> lock(gateMutex_);
    const FreePipeGate& g = far ? farGate_ : nearGate_;
    start = g.GateStart;
    end = g.GateEnd;
  }
  GateSearch& s = far ? far_ : near_;
  const int a = (segment->flags & 15) * kSegmentSpan;
  const int b = a + kSegmentSpan;
  if (!(a > end || b < start)) {
    const int from = (std::max(start, a) - a) / kSampleStep;
    const int to = (std::min(end, b) - a) / kSampleStep;
    for (int i = std::max(from, 0); i <= to && i < kSamples; ++i) {
      if (segment->sample[i] > s.runningMaximum) {
        s.runningMaximum = segment->sample[i];
        s.runningTime = static_cast<std::int16_t>(a + kSampleStep * i);
      }
    }
    if (b >= end) {
      s.peakAmplitude = s.runningMaximum < 0 ? 0 : s.runningMaximum;
      s.peakTime = s.runningTime;
      s.runningMaximum = -128;
      s.runningTime = 0;
    }
  }
  if (far) {
    packet->channel[4] = static_cast<std::uint16_t>(s.peakTime);
    packet->channel[5] = static_cast<std::uint16_t>(s.peakAmplitude);
  } else {
    packet->channel[2] = static_cast<std::uint16_t>(s.peakTime);
    packet->channel[3] = static_cast<std::uint16_t>(s.peakAmplitude);
  }
}

void CCBLDocument::ComputeFreePipeGates() {
  const double theta = 0.3001605136436597;
  pipeValues_.pipeDiameter = 80;
  pipeValues_.sondeDiameter = 60;
  FreePipeGate nearGate{80, 60, 0, 0, 0}, farGate{80, 60, 0, 0, 0};
  const std::string& abbreviation = Setup().sondeAbbreviation;
  const bool dulm = abbreviation.size() == 4 && ::strncasecmp(abbreviation.c_str(), "DULM", 4) == 0;
  nearGate.ReceiverSpacing = dulm ? 710 : 915;
  farGate.ReceiverSpacing = dulm ? 1110 : 1525;
  pipeValues_.shortSpacing = nearGate.ReceiverSpacing;
  pipeValues_.longSpacing = farGate.ReceiverSpacing;
  if (pipeSize_) pipeSize_->Ask(pipeValues_);  // ends only with OK
  nearGate.PipeSize = farGate.PipeSize = pipeValues_.pipeDiameter;
  nearGate.SondeDiameter = farGate.SondeDiameter = pipeValues_.sondeDiameter;
  nearGate.ReceiverSpacing = pipeValues_.shortSpacing;
  farGate.ReceiverSpacing = pipeValues_.longSpacing;
  for (FreePipeGate* g : {&farGate, &nearGate}) {
    const double d = g->PipeSize - pipeValues_.sondeDiameter;
    const int first = static_cast<int>((g->ReceiverSpacing - d / std::tan(theta)) * 187 / 1000);
    const int second = static_cast<int>(d * 623 / (std::sin(theta) * 1000));
    g->GateStart = first + second;
    g->GateEnd = g->GateStart + 32;
  }
  SetGates(nearGate, farGate);
}

// ---------------------------------------------------------------------------
// Initialisation

const CalibrationArray* CCBLDocument::GetCalibrationArray() const {
  return calibration_.channels.empty() ? nullptr : &calibration_.channels;
}

bool CCBLDocument::InitialiseTool(int mode) {
  LogSetup& s = Setup();
  const int lengthCm = SondeLengthCentimetres(mode);
  sondeLength_ = lengthCm > 0 ? CentimetresToDepthUnits(lengthCm, s.imperial) : 0;
  largestOffset_ = SondeLengthSteps(lengthCm, s.imperial, s.depthStep, LogType());
  ringRows_ = (s.logMode == 11 || s.logMode == 12) ? largestOffset_ + 151 : 1000;
  SetDisplayDepthOffset(s.logMode == 11 ? 25 * s.depthStep : -25 * s.depthStep);

  valueStore_.assign(static_cast<std::size_t>(ringRows_), std::array<double, 6>{});
  valueRing_.resize(valueStore_.size());
  segmentRing_.resize(valueStore_.size());
  ClearRings();
  packet_ = {};
  segment_ = {};
  calibrated_ = {};
  scaled_ = {};
  SetLastMinute(0);
  near_ = {};
  far_ = {};

  FreePipeGate nearGate, farGate;
  if (ReadFreePipeGates(mode == 1 ? TemplatePath() : DataFilePath(), &nearGate, &farGate))
    SetGates(nearGate, farGate);
  else
    ComputeFreePipeGates();

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

void CCBLDocument::ClearRings() {
  for (std::size_t i = 0; i < valueStore_.size(); ++i) {
    valueStore_[i] = {};
    valueRing_[i] = valueStore_[i].data();
  }
  CblWaveformSegment blank;
  std::memset(&blank, 0xFF, sizeof blank);
  std::fill(segmentRing_.begin(), segmentRing_.end(), blank);
}

// ---------------------------------------------------------------------------
// Records

std::uint32_t CCBLDocument::ReadPacket(int passThrough) {
  CblWaveformSegment segment{};
  SixChannelPacket packet = packet_;  // a far segment leaves the companion as it was
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
  const int minute = segment_.time / 60000;
  if (minute != LastMinute()) {
    SetLastMinute(minute);
    SetMinuteMark();
    packet_.flags |= kPacketMinute;
    if (high == 0) segment_.flags |= kSegmentMinute;
  }
  if (high == 0) PickGatePeak(&packet_, &segment_);
  return word;
}

void CCBLDocument::EncodeFileRecord(std::span<std::uint8_t> out) const {
  FileRecordOf(packet_).Encode(out.first<kLogRecordSize>());
  FileRecordOf(segment_).Encode(out.subspan<kLogRecordSize, kCblRecordSize>());
}

void CCBLDocument::ScaleValues(bool toScaled) {
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

bool CCBLDocument::ProcessRecord(bool forPrint) {
  ScaleValues(true);
  if (IsLive()) SetLastDepth(Depth());
  if (!forPrint && view_) view_->AddDepthRow(segment_, calibrated_.data());
  return true;
}

bool CCBLDocument::ProcessPrintRecord(bool printing, bool useViewOffsets, const int* offsets) {
  if (ringRows_ < kDefaultRow + 1) return false;
  ScaleValues(false);
  const LogSetup& s = Setup();
  const bool viewOffsets = printing && useViewOffsets;
  std::array<double, 6> out{};
  for (int i = 0; i < 6; ++i) {
    int r = kDefaultRow;
    if (viewOffsets) {
      r = kDefaultRow + (offsets ? offsets[7 + i] : 0);
    } else {
      const int d = OffsetToSteps(s.channelFilters[static_cast<std::size_t>(i)].Offset, s.imperial, s.depthStep);
      if (s.logMode == 11)
        r = d + kDefaultRow;
      else if (s.logMode == 12)
        r = largestOffset_ - d + kDefaultRow;
    }
    // An offset outside the ring lands on its nearest row.
    r = std::clamp(r, 1, ringRows_ - 1);
    valueRing_[static_cast<std::size_t>(r)][i] = calibrated_[static_cast<std::size_t>(i)];
    const ChannelFilter& f = s.channelFilters[static_cast<std::size_t>(i)];
    out[static_cast<std::size_t>(i)] =
        (f.FilterType != 0 && f.FilterWidth > 1)
            ? WindowStatisticColumn(f.FilterType, f.FilterWidth, valueRing_.data(), kOutputRow, i)
            : valueRing_[kOutputRow][i];
  }
  int w = viewOffsets ? (offsets ? offsets[13] : 0) + kOutputRow
                      : OffsetToSteps(s.channelFilters[6].Offset, s.imperial, s.depthStep);
  w = std::clamp(w, 0, ringRows_ - 1);
  segmentRing_[static_cast<std::size_t>(w)] = segment_;
  if (w > 0) std::move(segmentRing_.begin() + 1, segmentRing_.end(), segmentRing_.begin());
  double* first = valueRing_.front();
  std::move(valueRing_.begin() + 1, valueRing_.end(), valueRing_.begin());
  std::fill(first, first + 6, 0.0);
  valueRing_.back() = first;
  printValues_ = out;
  printSegment_ = segmentRing_.front();
  if (view_) view_->TakePrintRow(printValues_.data(), printSegment_);
  return true;
}

// ---------------------------------------------------------------------------
// Data files: one record pair per segment, never split between the files

bool CCBLDocument::OpenDataFiles(const std::string& stem) {
  CloseDataFiles();
  logPath_ = stem + "LOG";
  cblPath_ = stem + "CBL";
  logFd_ = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd_ < 0) return false;
  cblFd_ = ::open(cblPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (cblFd_ < 0 || !Pipeline().Open([this](std::span<const std::uint8_t> b) { return AppendPairs(b); })) {
    // Nothing of a recording that could not begin stays behind.
    if (cblFd_ >= 0) ::unlink(cblPath_.c_str());
    CloseFd(cblFd_);
    CloseFd(logFd_);
    ::unlink(logPath_.c_str());
    return false;
  }
  return true;
}

bool CCBLDocument::AppendPairs(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size() / kPairSize;
  std::vector<std::uint8_t> log(n * kLogRecordSize), cbl(n * kCblRecordSize);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* pair = bytes.data() + i * kPairSize;
    std::memcpy(log.data() + i * kLogRecordSize, pair, kLogRecordSize);
    std::memcpy(cbl.data() + i * kCblRecordSize, pair + kLogRecordSize, kCblRecordSize);
  }
  const off_t logStart = ::lseek(logFd_, 0, SEEK_END);
  const off_t cblStart = ::lseek(cblFd_, 0, SEEK_END);
  // The .LOG part goes first: a replay counts pairs by the .CBL file, so a
  // record whose .CBL part never arrived is never read.
  if (logStart >= 0 && cblStart >= 0 && WriteAll(logFd_, log.data(), log.size()) &&
      WriteAll(cblFd_, cbl.data(), cbl.size()))
    return true;
  if (logStart >= 0 && ::ftruncate(logFd_, logStart) != 0) Trace("cement bond: could not cut back the .LOG file");
  if (cblStart >= 0 && ::ftruncate(cblFd_, cblStart) != 0) Trace("cement bond: could not cut back the .CBL file");
  return false;
}

void CCBLDocument::CloseDataFiles() {
  CloseFd(logFd_);
  CloseFd(cblFd_);
}

// The .LOG of a pair counts as much as its .CBL: another log's .LOG of the
// same name is never overwritten by the next file of a chain.
bool CCBLDocument::DataFilesExist(const std::string& stem) const {
  struct stat st {};
  return LogEngine::DataFilesExist(stem) || ::stat(FindFileNoCase(stem + "LOG").c_str(), &st) == 0;
}

void CCBLDocument::RemoveDataFiles(const std::string& stem) {
  ::unlink(FindFileNoCase(stem + "CBL").c_str());
  ::unlink(FindFileNoCase(stem + "LOG").c_str());
}

// ---------------------------------------------------------------------------
// Header

int CCBLDocument::WriteGateHeader() {
  const FreePipeGate nearGate = NearGate(), farGate = FarGate();
  WriteFreePipeGates(TemplatePath(), &nearGate, &farGate);
  WriteFreePipeGates(DataFilePath(), &nearGate, &farGate);
  return view_ ? view_->SaveLayoutToHeader() : 0;
}

int CCBLDocument::WriteCalibrationHeader() {
  return WriteCalibrationHeaderFrom(calibration_);
}

void CCBLDocument::CloseReplay() {
  if (IsLive()) return;
  CloseReplayReader();
  WriteHeader();
  WriteGateHeader();
  WriteCalibrationHeader();
}

// ---------------------------------------------------------------------------
// Replay

bool CCBLDocument::OpenReplayReader() {
  HeaderInfo info;
  {
    std::lock_guard<std::mutex> lock(HeaderLock());
    info = Header();
  }
  const LogSetup& s = Setup();
  reader_ =
      std::make_unique<ReplayReader>(DataFilePath(), ToolKind(), s.replayStartDepth, s.replayEndDepth, s.logMode, info);
  return reader_->IsOpen();
}

void CCBLDocument::CloseReplayReader() {
  reader_.reset();
}

bool CCBLDocument::ReadReplayRecord() {
  if (!reader_ || !reader_->ReadCementBond(&segment_, &packet_)) return false;
  if (packet_.flags & kPacketMinute) SetMinuteMark();
  return true;
}

bool CCBLDocument::SeekReplay(int depth) {
  if (!reader_ || !reader_->SeekCementBond(&segment_, &packet_, depth)) return false;
  if (packet_.flags & kPacketMinute) SetMinuteMark();
  return true;
}

bool CCBLDocument::RewindReplay() {
  if (!reader_ || !reader_->Rewind()) return false;
  ClearRings();
  if (!view_) return false;
  view_->ResetDisplay(false);
  return true;
}

}  // namespace qv
