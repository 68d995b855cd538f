#include "logdoc/document/channel_logs.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <limits>

#include "header/header.h"
#include "logdoc/document/strings.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/lookups.h"
#include "sondedb/sondedb.h"
#include "userfunc/user_function_files.h"

namespace qv {
namespace {

std::uint8_t Low(std::uint32_t word) {
  return static_cast<std::uint8_t>(word & 0xFF);
}

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

ChannelLogEngine::ChannelLogEngine(std::size_t fileRecordSize, std::string ext, int toolKind, int channels)
    : LogEngine(fileRecordSize, std::move(ext), toolKind), channels_(channels) {}

ChannelLogEngine::~ChannelLogEngine() {
  Shutdown();  // the threads end before the library they call goes
  userLibrary_.Unload();
}

std::string ChannelLogEngine::AbandonUserFunctionCall() {
  if (!userFunctionOn_ || !userLibrary_.Abandon()) return {};
  return UserFunctionDisplayName(userLibrary_.Path());
}

const CalibrationArray* ChannelLogEngine::GetCalibrationArray() const {
  return calibration_.channels.empty() ? nullptr : &calibration_.channels;
}

void ChannelLogEngine::LatestValues(double* raw, double* calibrated, double* user) const {
  std::lock_guard<std::mutex> lock(latestMutex_);
  if (raw) std::copy(raw_.begin(), raw_.end(), raw);
  if (calibrated) std::copy(calibrated_.begin(), calibrated_.end(), calibrated);
  if (user) std::copy(user_.begin(), user_.end(), user);
}

void ChannelLogEngine::SetLatestValues(const std::array<double, 12>& raw, const std::array<double, 12>& calibrated,
                                       const std::array<double, 12>& user) {
  std::lock_guard<std::mutex> lock(latestMutex_);
  raw_ = raw;
  calibrated_ = calibrated;
  user_ = user;
}

bool ChannelLogEngine::InitialiseTool(int mode) {
  LogSetup& s = Setup();
  // The sonde length in centimetres, from the database (live) or the log's header.
  const int lengthCm = SondeLengthCentimetres(mode);
  sondeLength_ = lengthCm > 0 ? CentimetresToDepthUnits(lengthCm, s.imperial) : 0;
  sondeLengthSteps_ = qv::SondeLengthSteps(lengthCm, s.imperial, s.depthStep, LogType());

  // The channel offsets become depth steps in the processing's own table;
  // the set-up keeps its centimetres, so a second initialisation converts
  // them once again from the same values.
  ChannelProcessorSetup ps;
  ps.channels = channels_;
  ps.logMode = s.logMode;
  ps.sondeLengthSteps = sondeLengthSteps_;
  ps.depthStep = s.depthStep;
  const int offsets = channels_ == 12 ? kFilterTableSize : 6;
  for (int i = 0; i < kFilterTableSize; ++i) {
    const ChannelFilter& f = s.channelFilters[static_cast<std::size_t>(i)];
    ChannelSetting& c = ps.channelSettings[static_cast<std::size_t>(i)];
    c.filterType = f.FilterType;
    c.filterWidth = f.FilterWidth;
    c.offsetSteps = i < offsets ? OffsetToSteps(f.OffsetCopy, s.imperial, s.depthStep) : 0;
  }

  bool ok = true;
  calibration_ = CalibrationSet{};
  if (s.calibration) {
    const int loaded = (mode != 1 && s.calibrationFromHeader) ? LoadHeaderCalibration(&calibration_)
                                                              : LoadCalibrationFile(&calibration_);
    if (!loaded) {
      s.calibration = false;
      ShowMessageBox(LoadString(kStrCalibrationNotLoaded));
    }
  }
  ps.calibrationOn = s.calibration;
  ps.calibration = CalibrationTableOf(calibration_);

  userLibrary_.Unload();
  userFunctionOn_ = false;
  if (s.userFunction) {
    // A refused library is freed and leaves no entry point; the loader shows
    // why. Nothing of it runs and its filters do not reach the processing.
    if (!userLibrary_.Load(s.userLibrary, UserCaller())) {
      s.userFunction = false;
    } else {
      if (userLibrary_.init) userLibrary_.init();
      ReadUserFunctionFilters(s.userLibrary, s.userFunctionFilters.data());
    }
    userFunctionOn_ = s.userFunction;
  }
  for (int j = 0; j < kUserFunctionFilterTableSize; ++j) {
    ps.outputFilters[static_cast<std::size_t>(j)].filterType =
        s.userFunctionFilters[static_cast<std::size_t>(j)].FilterType;
    ps.outputFilters[static_cast<std::size_t>(j)].filterWidth =
        s.userFunctionFilters[static_cast<std::size_t>(j)].FilterWidth;
  }
  if (userFunctionOn_) ps.userFunction = userLibrary_.userFunction;
  processor_ = std::make_unique<ChannelProcessor>(ps);
  SetDisplayDepthOffset(processor_->DisplayDepthOffset());

  CloseReplayReader();
  if (mode != 1) ok = OpenReplayReader() && ok;
  return ok;
}

bool ChannelLogEngine::OpenReplayReader() {
  reader_ = MakeReplayReader();
  replayIndex_ = 0;
  return reader_->IsOpen();
}

void ChannelLogEngine::CloseReplayReader() {
  reader_.reset();
  replayIndex_ = 0;
}

int ChannelLogEngine::WriteCalibrationHeader() {
  return WriteCalibrationHeaderFrom(calibration_);
}

bool ChannelLogEngine::RewindReplay() {
  if (!reader_ || !reader_->Rewind()) return false;
  replayIndex_ = 0;
  if (processor_) processor_->Clear();
  if (userFunctionOn_ && userLibrary_.init) userLibrary_.init();
  if (Sink()) Sink()->ResetCurves(false);
  return Sink() != nullptr;
}

void ChannelLogEngine::ApplyFilters() {
  const LogSetup& s = Setup();
  std::lock_guard<std::mutex> lock(filterMutex_);
  for (std::size_t i = 0; i < newChannelFilters_.size(); ++i) {
    newChannelFilters_[i].filterType = s.channelFilters[i].FilterType;
    newChannelFilters_[i].filterWidth = s.channelFilters[i].FilterWidth;
  }
  for (std::size_t j = 0; j < newOutputFilters_.size(); ++j) {
    newOutputFilters_[j].filterType = s.userFunctionFilters[j].FilterType;
    newOutputFilters_[j].filterWidth = s.userFunctionFilters[j].FilterWidth;
  }
  filtersChanged_ = true;
}

void ChannelLogEngine::TakeChangedFilters(
    const std::function<void(const std::array<ChannelSetting, 16>&, const std::array<OutputFilter, 16>&)>& set) {
  if (!filtersChanged_.exchange(false)) return;
  std::lock_guard<std::mutex> lock(filterMutex_);
  set(newChannelFilters_, newOutputFilters_);
}

std::span<const double> ChannelLogEngine::RunProcessing(std::optional<std::span<const int>> printOffsets) {
  // Looked at first: the hand-over is built only when there is something to hand.
  if (filtersChanged_.load(std::memory_order_relaxed))
    TakeChangedFilters([this](const auto& channels, const auto& outputs) { processor_->SetFilters(channels, outputs); });
  RecordStamp stamp;
  if (IsLive()) {
    stamp.depth = ClampToInt(static_cast<long long>(Depth()) * DepthFactor());
    stamp.time = Time();
    SetLastDepth(Depth());
  } else {
    ReplayStamp(&stamp);
    // The zero records past the end of a file only carry the last values
    // out of the delay: what they put in holds no reading.
    stamp.reading = !Reader() || Reader()->LastReadHeldData();
  }
  const std::span<const double> row = Process(stamp, printOffsets);
  SetLatestValues(processor_->RawValues(), processor_->CalibratedValues(), processor_->UserValues());
  return row;
}

std::span<const double> ChannelLogEngine::ProcessPrintRecord(std::span<const int> givenOffsets) {
  if (!processor_) return {};
  // Without given offsets the channels are aligned by the log's own rule, as
  // on the screen: offsets of 0 would put every sensor at the sonde's bottom.
  const std::span<const double> row =
      RunProcessing(givenOffsets.empty() ? std::nullopt : std::optional<std::span<const int>>(givenOffsets));
  // As on the screen: an entry that holds no reading yet is no value, not 0.
  return {printValues_.data(), processor_->ShownRow(row, printValues_)};
}

bool ChannelLogEngine::ProcessRecord(bool forPrint) {
  if (!processor_) return true;
  const std::span<const double> row = RunProcessing(std::nullopt);
  if (!forPrint && Sink()) {
    // The display draws nothing for an entry that holds no reading yet (the
    // delay of the processing still filling): not a line at 0 down the track.
    std::array<double, 16> shown{};
    Sink()->AddSample(std::span<const double>(shown.data(), processor_->ShownRow(row, shown)));
  }
  return true;
}

// ---------------------------------------------------------------------------
// Six channels

SixChannelEngine::SixChannelEngine() : ChannelLogEngine(SixChannelFileRecord::kSize, "LOG", kToolSixChannel, 6) {}

std::uint32_t SixChannelEngine::ReadPacket(int passThrough) {
  SixChannelPacket scratch{};
  std::uint32_t word = GetSonde6ChannelPacket(&scratch, AnalogStatus(), passThrough);
  if (Low(word) != TB_STATUS_DATA) return word & 0xFFFF;
  packet_ = scratch;
  word = CheckRecord(word, packet_.depth, packet_.time);
  if (StartsNewMinute(Time())) packet_.flags |= SixChannelFileRecord::kMinuteMark;  // the stored record carries it
  return word;
}

void SixChannelEngine::EncodeFileRecord(std::span<std::uint8_t> out) const {
  FileRecordOf(packet_).Encode(out.first<SixChannelFileRecord::kSize>());
}

std::span<const double> SixChannelEngine::Process(const RecordStamp& stamp,
                                                  std::optional<std::span<const int>> printOffsets) {
  return Processor()->ProcessSixChannel(packet_, stamp, printOffsets);
}

void SixChannelEngine::ReplayStamp(RecordStamp* stamp) const {
  // A .LOG record carries no depth: it follows from the record's place in
  // the file, which is the window's first record plus the records read since.
  const HeaderInfo& h = Header();
  const std::uint64_t skip = Reader() ? Reader()->GetWindowSkip() : 0;
  const std::uint64_t index = skip + (replayIndex_ ? replayIndex_ - 1 : 0);
  stamp->depth = RecordDepthFrom(Setup().logMode, h.Startdepth, Setup().depthStep, static_cast<long long>(index));
  stamp->time = 0;
}

bool SixChannelEngine::ReadReplayRecord() {
  if (!Reader() || !Reader()->ReadSixChannel(&packet_)) return false;
  ++replayIndex_;
  if (packet_.flags & SixChannelFileRecord::kMinuteMark) SetMinuteMark();
  return true;
}

bool SixChannelEngine::SeekReplay(int depth) {
  if (!Reader()) return false;
  const bool ok = Reader()->SeekSixChannel(&packet_, depth) != 0;
  if (packet_.flags & SixChannelFileRecord::kMinuteMark) SetMinuteMark();
  return ok;
}

// ---------------------------------------------------------------------------
// Twelve channels

TwelveChannelEngine::TwelveChannelEngine()
    : ChannelLogEngine(TwelveChannelFileRecord::kSize, "LGX", kToolTwelveChannel, 12) {}

bool TwelveChannelEngine::InitialiseTool(int mode) {
  if (mode == 1) Setup().calibrationFromHeader = false;
  const bool ok = ChannelLogEngine::InitialiseTool(mode);
  std::lock_guard<std::mutex> lock(HeaderLock());
  Header().RecLineSize = static_cast<int>(TwelveChannelFileRecord::kSize);
  return ok;
}

std::uint32_t TwelveChannelEngine::ReadPacket(int) {
  TwelveChannelRecord scratch{};
  std::uint32_t word = GetTwelve(&scratch);
  if (Low(word) != TB_STATUS_DATA) return word & 0xFFFF;
  record_ = scratch;
  TakeRecordStatus(record_.analog1, record_.analog2, record_.analog3, record_.tension);
  word = CheckRecord(word, record_.depth, record_.time);
  if (record_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return word;
}

void TwelveChannelEngine::EncodeFileRecord(std::span<std::uint8_t> out) const {
  TwelveChannelFileRecord r = FileRecordOf(record_);
  r.depth = ClampToInt(static_cast<long long>(record_.depth) * DepthFactor());
  r.Encode(out.first<TwelveChannelFileRecord::kSize>());
}

std::span<const double> TwelveChannelEngine::Process(const RecordStamp& stamp,
                                                     std::optional<std::span<const int>> printOffsets) {
  return Processor()->ProcessTwelveChannel(record_, stamp, printOffsets);
}

void TwelveChannelEngine::ReplayStamp(RecordStamp* stamp) const {
  // A replayed record's depth is already in header units.
  stamp->depth = record_.depth;
  stamp->time = record_.time;
}

bool TwelveChannelEngine::ReadReplayRecord() {
  if (!Reader() || !Reader()->ReadTwelveChannel(&record_)) return false;
  ++replayIndex_;
  if (record_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return true;
}

bool TwelveChannelEngine::SeekReplay(int depth) {
  if (!Reader()) return false;
  const bool ok = Reader()->SeekTwelveChannel(&record_, depth) != 0;
  if (record_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return ok;
}

}  // namespace qv
