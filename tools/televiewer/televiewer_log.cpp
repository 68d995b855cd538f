#include "tools/televiewer/televiewer_log.h"

#include <algorithm>
#include <climits>

#include "logtools/engine/tool_type.h"

namespace qv {
namespace {

// Halves the writer may fall behind before the log stops with an error
// rather than dropping sweeps: about half a minute of a fast log.
constexpr std::size_t kQueuedHalves = 64;

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

TeleviewerEngine::TeleviewerEngine() : LogEngine(TeleviewerFileRecord::kSize, "BTV", kToolTeleviewer) {
  SetBuffering(kRecordsPerHalf, kQueuedHalves);
}

TeleviewerEngine::~TeleviewerEngine() {
  Shutdown();  // no thread reads a sweep or calls the view once this goes
}

int TeleviewerEngine::StartLogging(int mode) {
  SetLastMinute(0);
  return LogEngine::StartLogging(mode);
}

std::uint32_t TeleviewerEngine::ReadPacket(int passThrough) {
  TeleviewerSweep scratch{};
  const std::uint32_t word = GetBHTVTBSweep(&scratch, AnalogStatus(), passThrough) & 0xFFFF;
  if ((word & 0xFF) != TB_STATUS_DATA) return word;
  sweep_ = scratch;
  SetDepthAndTime(sweep_.depth, sweep_.time);
  // A sweep with a processor fault does not start a minute.
  if ((word >> 8) == 0) {
    if (StartsNewMinute(sweep_.time))
      sweep_.depthStep |= TeleviewerFileRecord::kMinuteMark;  // the stored record carries the mark
  }
  return word;
}

void TeleviewerEngine::EncodeFileRecord(std::span<std::uint8_t> out) const {
  FileRecordOf(sweep_).Encode(out.first<TeleviewerFileRecord::kSize>());
}

bool TeleviewerEngine::InitialiseTool(int mode) {
  CloseReplayReader();
  return mode == 1 || OpenReplayReader();
}

bool TeleviewerEngine::OpenReplayReader() {
  reader_ = MakeReplayReader();
  return reader_->IsOpen();
}

void TeleviewerEngine::CloseReplayReader() {
  if (reader_) reader_->CloseFiles();
  reader_.reset();
}

bool TeleviewerEngine::TookReplayRecord(int read) {
  if (!read) return false;
  if (sweep_.depthStep & TeleviewerFileRecord::kMinuteMark) SetMinuteMark();
  return true;
}

bool TeleviewerEngine::ReadReplayRecord() {
  if (!reader_) return false;
  return TookReplayRecord(reader_->ReadTeleviewer(&sweep_));
}

bool TeleviewerEngine::ReadPreviousReplayRecord() {
  if (!reader_ || !reader_->StepBack()) return false;
  return TookReplayRecord(reader_->ReadTeleviewer(&sweep_));
}

bool TeleviewerEngine::RewindReplay() {
  if (!reader_ || !reader_->Rewind()) return false;
  if (!Sink()) return false;
  Sink()->ResetCurves(false);
  return true;
}

bool TeleviewerEngine::ProcessRecord(bool forPrint) {
  if (forPrint) {
    printSweep_ = sweep_;
    return true;
  }
  if (display_) display_->ConvertSweepToRow(sweep_);
  SetLastDepth(sweep_.depth);
  ComputeLogSpeed(ClampToInt(static_cast<long long>(sweep_.depth) * DepthFactor()), sweep_.time);
  return true;
}

}  // namespace qv
