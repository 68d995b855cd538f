#include "logdoc/document/log_engine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "header/header.h"
#include "header/section_access.h"
#include "header/hed_file.h"
#include "logdoc/document/strings.h"
#include "logdoc/replay/replay_reader.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "sondedb/acquisition.h"
#include "sondedb/lookups.h"
#include "sondedb/sondedb.h"
#include "userfunc/user_function_library.h"

namespace qv {
namespace {

// A stop joins the acquisition thread at most this long: a device read holds
// DeviceMutex for at most its wait plus the library's own time-outs.
constexpr std::uint32_t kAcquisitionJoinMs = 120000;
// How long a stop waits for a worker that is inside a user-function call
// before it gives the call up.
constexpr std::uint32_t kUserFunctionCallMs = 3000;
constexpr std::uint32_t kSondeCommandMs = 300000;
constexpr int kReadsWithoutSleep = 100;
constexpr std::size_t kRecordsPerHalf = 60;
constexpr std::size_t kQueuedHalves = 8;

std::uint8_t Low(std::uint32_t word) {
  return static_cast<std::uint8_t>(word & 0xFF);
}
std::uint8_t High(std::uint32_t word) {
  return static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

void ReportBox(const std::string& text) {
  Beep();
  ReportMessage(text, kErrorBox);
}

// The kind 2 text of a non-zero first byte, else the kind 3 text of a
// non-zero second byte; empty when both are zero.
std::string StatusText(std::uint32_t word) {
  if (Low(word) != 0) return DeviceErrorText(kUnitError, Low(word));
  if (High(word) != 0) return DeviceErrorText(kProcessorError, High(word));
  return {};
}

}  // namespace

LogEngine::LogEngine(std::size_t fileRecordSize, std::string dataFileExt, int toolKind)
    : fileRecordSize_(fileRecordSize),
      dataFileExt_(std::move(dataFileExt)),
      toolKind_(toolKind),
      pipeline_(std::make_unique<RecordPipeline>(fileRecordSize, kRecordsPerHalf, kQueuedHalves)) {
  SetClock({});
}

LogEngine::~LogEngine() {
  Shutdown();
}

void LogEngine::Shutdown() {
  if (state_ == kStateRunning) StopLogging(kStateStop);
  if (acquisition_) acquisition_->Stop(kAcquisitionJoinMs);
  for (auto& t : retired_) {
    // A thread inside a user-function call that was given up never ends,
    // and never lets go of the record lock.
    if (UserFunctionGivenUp())
      KeepAbandoned(std::move(t));
    else
      t->Join();
  }
  if (UserFunctionGivenUp() && !retired_.empty()) KeepAbandoned(std::move(recordMutex_));
  retired_.clear();
  pipeline_->Finish();
}

void LogEngine::SetClock(LogClock clock) {
  if (!clock.sleep) clock.sleep = [](std::uint32_t ms, Event& stop) { return SleepOrStop(ms, stop); };
  if (!clock.tick) clock.tick = [] { return TickCount(); };
  if (!clock.today) clock.today = [] { return std::time(nullptr); };
  clock_ = std::move(clock);
}

void LogEngine::SetBuffering(std::size_t recordsPerHalf, std::size_t maxQueuedHalves) {
  if (pipeline_->IsOpen()) return;
  pipeline_ = std::make_unique<RecordPipeline>(fileRecordSize_, recordsPerHalf, maxQueuedHalves);
}

int LogEngine::DepthFactor() {
  return DepthFactor(g_nDepthUnits.load() != 0);
}

int LogEngine::DepthFactor(bool imperial) {
  return imperial ? 50 : 10;
}

void LogEngine::TakeCountAsTeleviewerStep(HeaderInfo* info) const {
  if (ToolKind() != kToolTeleviewer || info->LogMode == 10) return;
  const int count = DepthFactor(info->DepthUnit != 0);
  info->Step = info->Step < 0 ? -count : count;
}

std::string LogEngine::HeaderFilePath() const {
  return HeaderPathFor(DataFilePath());
}

std::string LogEngine::Title() const {
  std::string t = pathStem_;
  if (!t.empty() && t.back() == '.') t.pop_back();
  return t;
}

std::time_t LogEngine::Today() const {
  return clock_.today();
}

void LogEngine::MarkSondeCommandSent() {
  sondeCommandTick_ = clock_.tick();
  sondeCommandPending_ = true;
}

LogStatus LogEngine::Status() const {
  LogStatus s;
  s.state = state_;
  s.elapsedMs = time_;
  s.depth = depth_ * DepthFactor();
  s.logSpeed = speed_->Current();
  s.tension = tension_;
  const int a = analogBytes_;
  s.analog[0] = static_cast<std::uint8_t>(a & 0xFF);
  s.analog[1] = static_cast<std::uint8_t>((a >> 8) & 0xFF);
  s.receiverStatus = receiverStatus_;
  s.records = pipeline_->RecordsStored();
  return s;
}

bool LogEngine::StopRequested() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return errorPending_;
}

void LogEngine::Wake() {
  if (!wakePending_.exchange(true) && callbacks_.wake) callbacks_.wake();
}

void LogEngine::ReportDepthCheck(int jump) {
  if (setup_.logMode != 11 && setup_.logMode != 12) return;
  ReportMessage(jump > setup_.depthStep ? LoadString(kStrDepthError) : std::string(), kWinchMessageLine);
}

std::uint32_t LogEngine::CheckRecord(std::uint32_t word, int depth, int time) {
  auto clampToInt = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
  const int factor = DepthFactor();
  const long long jump = std::llabs(static_cast<long long>(Depth()) - depth) * factor;
  SetDepthAndTime(depth, time);
  ReportDepthCheck(clampToInt(jump));
  ComputeLogSpeed(clampToInt(static_cast<long long>(depth) * factor), time);
  const int mode = setup_.logMode;
  if ((mode == 11 && depth > LastDepth()) || (mode == 12 && depth < LastDepth())) return 17;
  return word & 0xFFFF;
}

bool LogEngine::SwitchUnit(const LoggingModeBlock& block, bool report) {
  LoggingModeBlock copy = block;
  std::uint32_t word = TB_STATUS_REQUEST_FAILED;
  {
    MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
    if (guard.Acquired()) word = SetLoggingMode(&copy);
  }
  if ((word & 0xFFFF) == 0) return true;
  if (report) ReportBox(StatusText(word));
  return false;
}

// ---------------------------------------------------------------------------
// Initialisation

bool LogEngine::InitialiseLog(int mode, int pollPeriodMs) {
  bool ok = true;
  {
    std::lock_guard<std::mutex> lock(headerMutex_);
    header_.SondeAbbreviation = setup_.sondeAbbreviation;
    header_.Startdepth = header_.EndDepth = header_.Step = header_.StartTime = header_.EndTime = 0;
  }
  speed_->Reset();
  sondeCommandPending_ = false;
  sondeCommandTick_ = 0;
  pathStem_ = setup_.pathStem;
  firstFile_ = pathStem_;
  chainIndex_ = -1;
  lastRunRecorded_ = false;
  if (mode == 1) {
    {
      std::lock_guard<std::mutex> lock(headerMutex_);
      header_.ComStd = GetSondeComStd(setup_.sondeAbbreviation);
    }
    // A depth log places every record by its step, in whole depth counts of
    // the unit: a step the unit cannot take would record a header that
    // places nothing.
    const int count = DepthFactor();
    const bool depthLog = setup_.logMode == 11 || setup_.logMode == 12;
    if (depthLog && (setup_.depthStep < count || setup_.depthStep % count != 0)) {
      ShowMessageBox(FormatC(LoadString(kStrBadDepthStep).c_str(), count, count));
      return false;
    }
    live_ = true;
    pollPeriod_ = pollPeriodMs;
    logType_ = 1;
    ok = SwitchUnit(LoggingModeBlock{}, true);
    if (ok) {
      std::uint32_t word = TB_STATUS_REQUEST_FAILED;
      {
        MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
        if (guard.Acquired()) word = SetSampleInterval(setup_.sampleInterval & 0xFFFF);
      }
      if (Low(word) != 0) {
        ReportBox(DeviceErrorText(kUnitError, Low(word)));
        ok = false;
      }
    }
    if (ok) {
      LoggingModeBlock monitor{setup_.loggingMode.comStd, setup_.loggingMode.toolType, 1000, 14, 0};
      ok = SwitchUnit(monitor, true);
      monitoring_ = ok;
    }
  } else {
    HeaderInfo info;
    const bool read = ReadHeaderInfo(DataFilePath(), &info);
    if (!read) {
      ShowMessageBox(LoadString(kStrCannotReadHeader));
    } else {
      TakeCountAsTeleviewerStep(&info);
      // A log cut off while recording replays to its last whole record.
      TakeEndDepthFromData(DataFilePath(), ToolKind(), &info);
      std::lock_guard<std::mutex> lock(headerMutex_);
      header_ = info;
    }
    // Without a usable step no record can be placed: the replay would run
    // blank, or its depths past the int range.
    if (read && !ReplayHeaderUsable(info)) ok = false;
    int logType = logType_;
    if (ReadLogType(DataFilePath(), &logType)) logType_ = logType;
    // The replay pace of the middle slider position.
    pollPeriod_ = ComputePollInterval(50, setup_.depthStep, setup_.imperial, setup_.realtimePrint, setup_.depthScale);
    savedStartDepth_ = setup_.replayStartDepth;
    savedEndDepth_ = setup_.replayEndDepth;
    live_ = false;
    state_ = kStateReady;
  }
  const bool tool = InitialiseTool(mode);
  return ok && tool;
}

// ---------------------------------------------------------------------------
// Starting

bool LogEngine::OpenDataFiles(const std::string& stem) {
  return pipeline_->Open(stem + dataFileExt_);
}

void LogEngine::RemoveDataFiles(const std::string& stem) {
  ::unlink((stem + dataFileExt_).c_str());
}

int LogEngine::WriteCalibrationHeaderFrom(const CalibrationSet& set) {
  CalibrationArray list;
  if (setup_.calibration && !set.channels.empty()) {
    if (!IsLive() && !setup_.calibrationFromHeader &&
        ShowMessageBox(LoadString(kStrOverwriteCalibration), {}, MB_YESNO) == IDNO)
      return 1;
    for (const auto& c : set.channels) list.push_back(c ? std::make_unique<ChannelCalibration>(*c) : nullptr);
  }
  return WriteCalibration(DataFilePath(), &list);
}

int LogEngine::SondeLengthCentimetres(int mode) const {
  int lengthCm = 0;
  if (mode == 1) {
    if (auto db = OpenSondeDatabase()) {
      lengthCm = GetSondeLength(db.get(), setup_.sondeAbbreviation, setup_.sondeSerialNo);
      CloseSondeDatabase(db);
    }
  } else {
    ReadSondeLength(DataFilePath(), &lengthCm);
  }
  return lengthCm;
}

bool LogEngine::DataFilesExist(const std::string& stem) const {
  struct stat st {};
  return ::stat(FindFileNoCase(stem + dataFileExt_).c_str(), &st) == 0;
}

bool LogEngine::OpenRecording() {
  int next = chainIndex_ + 1;
  std::string stem = NextChainStem(pathStem_, next);
  // A later file of the chain never takes the name of a log already in the
  // folder (another log of that name would be overwritten unasked): the chain
  // goes on under the next free number, which the previous header names.
  auto taken = [this](const std::string& s) {
    struct stat st {};
    return DataFilesExist(s) || ::stat(FindFileNoCase(HeaderPathFor(s + dataFileExt_)).c_str(), &st) == 0;
  };
  constexpr int kMostChainNumbers = 10000;
  while (next > 0 && next < kMostChainNumbers && taken(stem)) stem = NextChainStem(stem, ++next);
  if (!OpenDataFiles(stem)) {
    ReportBox(DeviceErrorText(kSystemError, kErrOpenDestination));
    return false;
  }
  // The link is written only now that the next file exists.
  if (next > 0) {
    std::string link = stem;
    link.pop_back();
    if (!WriteChainTo(DataFilePath(), link)) ShowMessageBox(LoadString(kStrCriticalHeader));
  }
  previousStem_ = pathStem_;
  previousChainIndex_ = chainIndex_;
  pathStem_ = stem;
  chainIndex_ = next;
  chainTo_.clear();
  return true;
}

int LogEngine::StartLogging(int mode) {
  std::unique_lock<std::mutex> stopLock(stopMutex_);
  const bool record = mode != kStartTest;
  if (state_ == kStateStoppedForGood || UserFunctionGivenUp()) return 0;
  if (state_ == kStateRunning && (!testMode_ || !record)) return 0;  // already running as asked
  if (!live_) return 0;
  // REC after PSE continues the log on the screen below the sections it has
  // recorded; a first start, or a test run, starts the curves afresh.
  if (sink_ && !(record && lastRunRecorded_)) sink_->ResetCurves(true);
  if (record) {
    if (!OpenRecording()) return 0;
    if (!(WriteHeader() && WriteChannelHeader() && WriteCalibrationHeader()))
      ShowMessageBox(LoadString(kStrCriticalHeader));
    if (setup_.realtimePrint && sink_) sink_->StartRealtimePrint(1);
  }
  SetProcessPriorityClass(ProcessPriorityClass::High);
  SetCurrentThreadPriority(ThreadPriority::AboveNormal);

  monitoring_ = false;
  LoggingModeBlock block = setup_.loggingMode;
  if (!record) {
    block.value = static_cast<std::int16_t>(g_nTimeStep.load());
    block.mode = 10;
  }
  bool switched = false;
  {
    // The unit is switched and the run begins under DeviceMutex, so that a
    // record read before the switch is known as one of the earlier run.
    MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
    if (guard.Acquired()) {
      LoggingModeBlock off{};
      std::uint32_t word = SetLoggingMode(&off);
      if ((word & 0xFFFF) == 0) word = SetLoggingMode(&block);
      switched = (word & 0xFFFF) == 0;
      if (!switched) {
        guard.Release();
        ReportBox(StatusText(word));
      } else {
        std::lock_guard<std::mutex> lock(*recordMutex_);
        ++runGeneration_;
        recording_ = record;
        lastRunRecorded_ = record;
        testMode_ = !record;
        firstRecord_ = true;
        haveReference_ = holding_ = false;
        lastDepth_ = setup_.logMode == 11 ? INT_MAX : INT_MIN;
        speed_->ClearHistory();
      }
    } else {
      ReportBox(DeviceErrorText(kSystemError, kErrOperatingSystem));
    }
  }
  if (!switched) {
    StopLocked(kStateError);
    stopLock.unlock();
    AskTrailer();
    if (callbacks_.stopped) callbacks_.stopped(kStateError);
    return 0;
  }
  if (!acquisition_) {
    acquisition_ = std::make_unique<Thread>();
    if (!acquisition_->Start([this](Event& stop) { return AcquisitionThread(stop); }, true,
                             ThreadPriority::TimeCritical, "log acquisition")) {
      acquisition_.reset();
      ReportBox(DeviceErrorText(kSystemError, kErrOperatingSystem));
      StopLocked(kStateError);
      stopLock.unlock();
      AskTrailer();
      if (callbacks_.stopped) callbacks_.stopped(kStateError);
      return 0;
    }
    state_ = kStateRunning;
    acquisition_->Resume();
  }
  state_ = kStateRunning;
  return 1;
}

int LogEngine::ResumeWriter() {
  return 1;
}
int LogEngine::SuspendWriter() {
  return 1;
}

// ---------------------------------------------------------------------------
// The acquisition thread

int LogEngine::AcquisitionThread(Event& stop) {
  std::string text;
  int burst = 0;
  while (state_ != kStateStop && !stop.IsSet()) {
    std::uint32_t word = TB_STATUS_NO_DATA;
    std::uint64_t generation = 0;
    {
      MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
      if (guard.Acquired()) {
        generation = runGeneration_;
        word = ReadPacket(1);
      }
    }
    const std::uint8_t lo = Low(word), hi = High(word);
    if (lo == TB_STATUS_DATA) {
      if (hi == 0) {
        text.clear();
        sondeCommandPending_ = false;
      } else if (sondeCommandPending_ && clock_.tick() - sondeCommandTick_ < kSondeCommandMs) {
        text = LoadString(kStrSondeCommandInProgress);
      } else {
        sondeCommandPending_ = false;
        text = DeviceErrorText(kProcessorError, hi);
      }
      std::unique_lock<std::mutex> lock(*recordMutex_);
      if (generation == runGeneration_) {
        bool ok = true;
        const bool depthLog = setup_.logMode == 11 || setup_.logMode == 12;
        if (depthLog && HoldsRecords() && firstRecord_ && !haveReference_) {
          // The first record read: whether the sonde moves in the log's
          // direction shows only with the next one. A record against it
          // drops this one, and the log starts where the sonde turns.
          SwapHeldRecord();
          heldDepth_ = depth_;
          heldTime_ = time_;
          holding_ = haveReference_ = true;
          lastDepth_ = depth_;
        } else {
          haveReference_ = true;
          if (holding_) ok = TakeRecord(true);  // this one went on in the log's direction
          if (ok) ok = TakeRecord(false);
        }
        if (!ok) {
          lock.unlock();
          if (pipeline_->Failed())
            StopFromWorker(kSystemError, kErrWriteDestination, false, false);
          else
            StopFromWorker(kSystemError, kErrOperatingSystem, false, false);
          return 100;
        }
      }
      lock.unlock();
      ++newData_;
      Wake();
    } else if (lo == 17) {
      {
        std::lock_guard<std::mutex> lock(*recordMutex_);
        if (generation == runGeneration_ && firstRecord_) {
          // Nothing is recorded yet and the sonde moves against the log's
          // direction: a held first record belonged to that travel. The
          // direction is judged from here on, so every record after the turn
          // is recorded.
          holding_ = false;
          haveReference_ = true;
          lastDepth_ = depth_;
        }
      }
      text = LoadString(kStrBadWinchDirection);
      ++newData_;
      Wake();
    } else if (lo != TB_STATUS_NO_DATA && lo != TB_STATUS_DONE) {
      const std::string message = DeviceErrorText(kUnitError, lo);
      Beep();
      ShowDiagnosticsMessage(message);
      StopFromWorker(kUnitError, lo, true, lo == TB_STATUS_NOT_ATTACHED);
      return 100;
    }
    tension_ = analog_.tension;
    analogBytes_ = analog_.status1 | (analog_.status2 << 8);
    if (pipeline_->Failed()) {
      StopFromWorker(kSystemError, kErrWriteDestination, false, false);
      return 100;
    }
    // A unit may hold more than one record a poll (a cement-bond sonde sends
    // a waveform as ten segments at once): read on until it has none, so that
    // its memory never overflows and no record is lost. The burst is bounded
    // so that a stop and the message line are still seen.
    if (lo == TB_STATUS_DATA && ++burst < kReadsWithoutSleep) continue;
    burst = 0;
    const int period = pollPeriod_;
    if (clock_.sleep(static_cast<std::uint32_t>(period > 0 ? period : 0), stop)) break;
    ReportMessage(text, kSondeMessageLine);
  }
  return 1;
}

bool LogEngine::TakeRecord(bool held) {
  auto swap = [this] {
    SwapHeldRecord();
    const int d = depth_, t = time_;
    depth_ = heldDepth_;
    time_ = heldTime_;
    heldDepth_ = d;
    heldTime_ = t;
  };
  if (held) {
    holding_ = false;
    swap();
  }
  if (firstRecord_.exchange(false)) {
    const int d = depth_ * DepthFactor();
    if (sink_) sink_->SetDisplayDepth(d);
    std::lock_guard<std::mutex> h(headerMutex_);
    header_.LogMode = setup_.logMode;
    header_.Startdepth = d;
    header_.StartTime = time_;
    header_.Step = setup_.logMode == 10 ? g_nTimeStep.load() : setup_.depthStep;
    header_.DepthUnit = setup_.imperial ? 1 : 0;
    if (recording_) headerPending_ = true;
  }
  const bool ok = StoreRecord();
  if (ok) ProcessRecord(false);
  if (held) swap();
  return ok;
}

bool LogEngine::StoreRecord() {
  if (!recording_) return true;  // testing or replaying: nothing is kept
  std::uint8_t bytes[512];
  std::vector<std::uint8_t> large;
  std::span<std::uint8_t> out(bytes, fileRecordSize_);
  if (fileRecordSize_ > sizeof bytes) {
    large.resize(fileRecordSize_);
    out = large;
  }
  EncodeFileRecord(out);
  return pipeline_->Store(out);
}

void LogEngine::StopFromWorker(int kind, int code, bool shown, bool unitGone) {
  {
    std::lock_guard<std::mutex> lock(errorMutex_);
    if (!errorPending_) {
      errorPending_ = true;
      errorKind_ = kind;
      errorCode_ = code;
      errorShown_ = shown;
      unitGone_ = unitGone;
    }
  }
  Wake();
}

// ---------------------------------------------------------------------------
// The display pump

void LogEngine::PumpDisplay() {
  wakePending_ = false;
  if (headerPending_.exchange(false)) {
    std::lock_guard<std::mutex> lock(stopMutex_);
    // The start of the recording is known: a recording cut short keeps a
    // header that places its records.
    if (state_ == kStateRunning && !testMode_) WriteHeader();
  }
  const std::uint64_t seen = newData_;
  if (seen != shownData_) {
    shownData_ = seen;
    if (sink_) sink_->UpdateDisplay();
    if (callbacks_.status) callbacks_.status(Status());
  }
  bool error = false, shown = false;
  int kind = 0, code = 0;
  {
    std::lock_guard<std::mutex> lock(errorMutex_);
    if (errorPending_) {
      error = true;
      errorPending_ = false;
      kind = errorKind_;
      code = errorCode_;
      shown = errorShown_;
    }
  }
  if (!error) return;
  if (!shown) ReportBox(DeviceErrorText(kind, code));
  bool stopped;
  {
    std::lock_guard<std::mutex> lock(stopMutex_);
    stopped = state_ == kStateRunning;
    if (stopped) StopLocked(kStateError);
    unitGone_ = false;
  }
  if (stopped) TellStuckUserFunction();
  if (stopped) AskTrailer();
  if (stopped && callbacks_.stopped) callbacks_.stopped(kStateError);  // last: the document closes
}

// ---------------------------------------------------------------------------
// Stopping

int LogEngine::StopLogging(int type) {
  int result;
  {
    std::lock_guard<std::mutex> lock(stopMutex_);
    if (state_ != kStateRunning) return 1;
    result = StopLocked(type);
  }
  // The trailer dialog runs an event loop whose timers pump the display and
  // may take the stop lock: it is asked only once the stop is complete and
  // the lock released.
  TellStuckUserFunction();
  AskTrailer();
  return result;
}

bool LogEngine::GiveUpStuckUserFunction() {
  if (UserFunctionGivenUp()) return true;
  stuckUserFunction_ = AbandonUserFunctionCall();
  stuckUntold_ = UserFunctionGivenUp();
  return UserFunctionGivenUp();
}

void LogEngine::TellStuckUserFunction() {
  if (!stuckUntold_) return;
  stuckUntold_ = false;
  ShowMessageText(kStrUserFunctionDoesNotReturn,
                  FormatC(LoadString(kStrUserFunctionDoesNotReturn).c_str(), stuckUserFunction_.c_str()),
                  MB_OK | MB_ICONERROR);
}

int LogEngine::StopLocked(int type) {
  const bool test = testMode_;
  const bool unitGone = unitGone_;
  if (!test) state_ = kStateLastBuffer;
  state_ = kStateStop;
  if (acquisition_) {
    acquisition_->RequestStop();
    bool ended = acquisition_->Join(kUserFunctionCallMs);
    // Inside a user function that does not return: it is given up, and the
    // stop goes on without the thread (which keeps the record lock for good).
    if (!ended && !GiveUpStuckUserFunction()) ended = acquisition_->Join(kAcquisitionJoinMs);
    if (ended) {
      acquisition_.reset();
    } else {
      // Still inside a device call: it finds the state 2 when it returns and
      // can no longer reach the recording, which is closed below.
      Trace("log: the acquisition thread did not end in time; it is left to finish");
      retired_.push_back(std::move(acquisition_));
    }
  }
  bool hadFile = false;
  {
    std::unique_lock<std::mutex> records(*recordMutex_, std::defer_lock);
    if (!UserFunctionGivenUp()) records.lock();
    // A first record still held when the log stops: nothing showed it went
    // against the log's direction, so it is kept.
    if (holding_ && !acquisition_ && retired_.empty()) TakeRecord(true);
    holding_ = false;
    ++runGeneration_;
    recording_ = false;
  }
  bool writeFailed = false;
  if (pipeline_->IsOpen()) {
    hadFile = true;
    const bool failedBefore = pipeline_->Failed();
    if (!pipeline_->Finish() && !failedBefore) writeFailed = true;
    CloseDataFiles();
  }
  state_ = type;
  if (writeFailed) ReportBox(DeviceErrorText(kSystemError, kErrOperatingSystem));

  bool keepFile = false;
  if (hadFile) {
    {
      std::lock_guard<std::mutex> h(headerMutex_);
      header_.EndDepth = depth_ * DepthFactor();
      header_.EndTime = time_;
    }
    SetEndLine();
    trailerPending_ = true;
    trailerStem_.clear();
    struct stat st {};
    const std::string data = DataFilePath();
    if (::stat(data.c_str(), &st) == 0 && st.st_size == 0) {
      // Nothing was recorded: the file and its header go, the previous file
      // of the chain no longer names it, and its name is free again.
      RemoveDataFiles(pathStem_);
      ::unlink(HeaderFilePath().c_str());
      if (chainIndex_ > 0) WriteChainTo(previousStem_ + dataFileExt_, std::string());
      pathStem_ = previousStem_;
      chainIndex_ = previousChainIndex_;
    } else {
      keepFile = true;
      trailerStem_ = pathStem_;
    }
  }
  headerPending_ = false;  // the header is written below with its start and end
  // The chart ends once the trailer is asked for (AskTrailer).
  if (sink_ && setup_.realtimePrint && hadFile) chartEndPending_ = true;
  SetProcessPriorityClass(ProcessPriorityClass::Normal);

  int result = SwitchUnit(LoggingModeBlock{}, !unitGone) ? 1 : 0;
  if (type == kStateError) {
    SondePowerBlock off{};
    std::uint32_t word = TB_STATUS_REQUEST_FAILED;
    {
      MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
      if (guard.Acquired()) word = SetSondePower(&off);
    }
    if ((word & 0xFFFF) != 0 && !unitGone) ReportBox(StatusText(word));
  } else {
    LoggingModeBlock monitor{setup_.loggingMode.comStd, setup_.loggingMode.toolType, 1000, 14, 0};
    if (!SwitchUnit(monitor, !unitGone)) result = 0;
    monitoring_ = true;
  }
  if (keepFile && !(WriteHeader() && WriteChannelHeader() && WriteCalibrationHeader()))
    ShowMessageBox(LoadString(kStrCriticalHeader));
  testMode_ = false;
  return result;
}

bool LogEngine::StartsNewMinute(int timeMs) {
  const int minute = timeMs / 60000;
  if (minute == lastMinute_) return false;
  lastMinute_ = minute;
  SetMinuteMark();
  return true;
}

std::unique_ptr<ReplayReader> LogEngine::MakeReplayReader() {
  HeaderInfo info;
  {
    std::lock_guard<std::mutex> lock(HeaderLock());
    info = Header();
  }
  return std::make_unique<ReplayReader>(DataFilePath(), ToolKind(), setup_.replayStartDepth, setup_.replayEndDepth,
                                        setup_.logMode, info);
}

}  // namespace qv
