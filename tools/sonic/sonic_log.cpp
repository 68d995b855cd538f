#include "tools/sonic/sonic_log.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>

#include "app/core/globals.h"
#include "app/newlog/new_log.h"
#include "logdoc/records/byte_order.h"
#include "logdoc/records/device_records.h"
#include "platform/sync/sync.h"

namespace qv {
namespace {

SonicGeometry GeometryOf(int comStd) {
  return SonicGeometryFor(comStd).value_or(SonicGeometry{});
}

// A standard that is not sonic never opens a recording (InitialiseLog
// refuses it); its engine still gets a valid record size.
std::size_t RecordSizeOf(int comStd) {
  const SonicGeometry g = GeometryOf(comStd);
  return static_cast<std::size_t>(g.waveforms ? g.RecordSize() : static_cast<int>(TwelveChannelFileRecord::kSize));
}

}  // namespace

SonicLogEngine::SonicLogEngine(int comStd)
    : ChannelLogEngine(RecordSizeOf(comStd), "LGX", kToolSonic, 12),
      comStd_(comStd),
      geometry_(GeometryOf(comStd)),
      samples_(static_cast<std::size_t>(geometry_.WaveformBytes() / 2), 0) {
  SetBuffering(kRecordsPerHalf, 8);
  packet_.samples = samples_.data();
}

bool SonicLogEngine::InitialiseTool(int mode) {
  LogSetup& s = Setup();
  // The standard of the sonde (live, from the database when it names one) or
  // of the recorded log must be the one this log's records were sized for.
  int comStd = comStd_;
  if (mode == 1) {
    if (const int c = GetComStd(s.sondeAbbreviation, false); c > 0) comStd = c;
  } else {
    std::lock_guard<std::mutex> lock(HeaderLock());
    comStd = Header().ComStd;
  }
  if (geometry_.waveforms == 0 || comStd != comStd_) return false;
  if (mode == 1) s.calibrationFromHeader = false;
  {
    std::lock_guard<std::mutex> lock(HeaderLock());
    Header().ComStd = comStd_;
    Header().RecLineSize = RecordSize();
  }
  const bool ok = ChannelLogEngine::InitialiseTool(mode);

  SonicProcessorSetup ps;
  ps.geometry = geometry_;
  ps.logMode = s.logMode;
  ps.sondeLengthSteps = SondeLengthSteps();
  ps.depthStep = s.depthStep;
  for (std::size_t i = 0; i < ps.channelSettings.size(); ++i) {
    const ChannelFilter& f = s.channelFilters[i];
    ps.channelSettings[i] = {f.FilterType, f.FilterWidth, OffsetToSteps(f.OffsetCopy, s.imperial, s.depthStep)};
  }
  for (std::size_t j = 0; j < ps.outputFilters.size(); ++j)
    ps.outputFilters[j] = {s.userFunctionFilters[j].FilterType, s.userFunctionFilters[j].FilterWidth};
  ps.calibrationOn = s.calibration;
  ps.calibration = CalibrationTableOf(Calibration());
  if (UserFunctionOn()) ps.userFunction = UserLibrary().userFunction;
  processor_ = std::make_unique<SonicProcessor>(ps);
  SetDisplayDepthOffset(processor_->DisplayDelay());
  if (UserFunctionOn()) InitWaveforms();
  return ok;
}

void SonicLogEngine::InitWaveforms() {
  auto& entry = UserLibrary().initWaveforms;
  if (!entry || !processor_) return;
  entry(processor_->Waveform(0), processor_->Waveform(1), processor_->Waveform(2), processor_->Waveform(3),
        processor_->SamplesPerWaveform());
}

int SonicLogEngine::StartLogging(int mode) {
  const int result = LogEngine::StartLogging(mode);
  if (result) {
    // The probe configuration goes to the unit like every other device call:
    // holding DeviceMutex, so it never interleaves with a packet read.
    MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
    if (guard.Acquired()) {
      SonicConfigBlock block = g_SonicConfig;
      SendConfig(&block);
    }
  }
  return result;
}

void SonicLogEngine::TakeSamples() {
  if (packet_.samples && packet_.samples != samples_.data())
    std::memcpy(samples_.data(), packet_.samples, samples_.size() * sizeof(std::int16_t));
  else if (!packet_.samples)
    std::fill(samples_.begin(), samples_.end(), std::int16_t{0});
  packet_.samples = samples_.data();
}

std::uint32_t SonicLogEngine::ReadPacket(int) {
  SonicPacket scratch{};
  const std::uint32_t word = GetSonicPacket(&scratch);
  if ((word & 0xFF) != TB_STATUS_DATA) return word & 0xFFFF;
  packet_ = scratch;
  TakeSamples();
  TakeRecordStatus(packet_.analog1, packet_.analog2, packet_.analog3, packet_.tension);
  const std::uint32_t status = CheckRecord(word, packet_.depth, packet_.time);
  if (packet_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return status;
}

void SonicLogEngine::EncodeFileRecord(std::span<std::uint8_t> out) const {
  // The depth stays in the unit's counts, as the unit delivered it.
  FileRecordOf(packet_).Encode(out.first<TwelveChannelFileRecord::kSize>());
  std::uint8_t* p = out.data() + TwelveChannelFileRecord::kSize;
  for (std::size_t i = 0; i < samples_.size(); ++i) le::PutU16(p + 2 * i, static_cast<std::uint16_t>(samples_[i]));
}

bool SonicLogEngine::ReadReplayRecord() {
  if (!Reader() || !Reader()->ReadSonic(&packet_)) return false;
  TakeSamples();
  ++replayIndex_;
  if (packet_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return true;
}

bool SonicLogEngine::SeekReplay(int depth) {
  if (!Reader()) return false;
  const bool ok = Reader()->SeekSonic(&packet_, depth) != 0;
  // Past the data's end the record holds no reading (its values are 0).
  if (!ok) packet_.mask = 0;
  TakeSamples();
  if (packet_.mask & TwelveChannelFileRecord::kMinuteMark) SetMinuteMark();
  return ok;
}

bool SonicLogEngine::RewindReplay() {
  const bool ok = ChannelLogEngine::RewindReplay();  // the reader, Init, the view
  if (!Reader()) return false;
  if (processor_) processor_->Clear();
  if (UserFunctionOn()) InitWaveforms();
  return ok;
}

SonicInput SonicLogEngine::Input() const {
  SonicInput in;
  in.mask = packet_.mask & 0xFFF;
  in.time = packet_.time;
  in.depth =
      static_cast<int>(std::clamp<long long>(static_cast<long long>(packet_.depth) * DepthFactor(), INT_MIN, INT_MAX));
  std::copy(std::begin(packet_.value), std::end(packet_.value), in.values.begin());
  in.samples = samples_;
  return in;
}

void SonicLogEngine::TakeFilters() {
  TakeChangedFilters([this](const auto& channels, const auto& outputs) { processor_->SetFilters(channels, outputs); });
}

bool SonicLogEngine::ProcessRecord(bool forPrint) {
  if (!processor_) return true;
  TakeFilters();
  if (IsLive()) SetLastDepth(Depth());
  const std::span<const double> row =
      processor_->Process(Input(), static_cast<std::int8_t>(g_SonicConfig.sampleInterval));
  SetLatestValues(processor_->RawValues(), processor_->CalibratedValues(), processor_->UserValues());
  if (!forPrint && sonicSink_) sonicSink_->AddWaveformRecord(row, processor_->Waveforms());
  return true;
}

bool SonicLogEngine::ProcessForPrint(std::span<const int> offsets, std::span<double, 12> values,
                                     std::span<std::int16_t> waveforms) {
  if (!processor_) return false;
  TakeFilters();
  // No offsets: the rows are read in the log's own order, and each channel
  // takes the delay it took while the log recorded.
  const std::span<const double> row =
      processor_->Process(Input(), static_cast<std::int8_t>(g_SonicConfig.sampleInterval),
                          offsets.empty() ? std::nullopt : std::optional<std::span<const int>>(offsets));
  // As on the screen: an entry that holds no reading yet is no value, not 0.
  for (int c = 0; c < 12; ++c)
    values[static_cast<std::size_t>(c)] = processor_->HasUserFunction() || processor_->OutputReady(c)
                                              ? row[static_cast<std::size_t>(c)]
                                              : std::numeric_limits<double>::quiet_NaN();
  const auto w = processor_->Waveforms();
  std::copy_n(w.begin(), std::min(w.size(), waveforms.size()), waveforms.begin());
  return true;
}

}  // namespace qv
