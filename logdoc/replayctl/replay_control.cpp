#include "logdoc/replayctl/replay_control.h"

#include <string>

#include "app/core/device_services.h"
#include "header/header.h"
#include "platform/text/msgbox.h"
#include "platform/trace/trace.h"
#include "userfunc/user_function_library.h"

namespace qv {

namespace {

// How long a stop waits for the replay thread to finish the record in hand.
constexpr std::uint32_t kJoinMs = 30000;
// How long it waits for a thread inside a user-function call before the
// call is given up.
constexpr std::uint32_t kUserFunctionCallMs = 3000;

void ReportInternalError() {
  Beep();
  ReportMessage(DeviceErrorText(kSystemError, kErrOperatingSystem), kErrorBox);
}

}  // namespace

ReplayControl::ReplayControl(LogEngine& engine, ReplayCallbacks callbacks)
    : engine_(engine), callbacks_(std::move(callbacks)) {
  if (!callbacks_.sleep) callbacks_.sleep = [](std::uint32_t ms, Event& stop) { return SleepOrStop(ms, stop); };
}

ReplayControl::~ReplayControl() {
  JoinThread();
}

int ReplayControl::ThreadExitCode() const {
  return thread_ ? thread_->ExitCode() : -1;
}

void ReplayControl::Beep() const {
  qv::Beep();
}

void ReplayControl::JoinThread() {
  if (!thread_) return;
  bool ended = thread_->Stop(kUserFunctionCallMs);
  if (!ended && engine_.GiveUpStuckUserFunction()) {
    // Inside a user function that does not return: the thread is given up
    // with the call, and the log can only be closed.
    Trace("ReplayControl: the replay thread is inside a user function that does not return");
    KeepAbandoned(std::move(thread_));
    engine_.TellStuckUserFunction();
    return;
  }
  if (!ended && !thread_->Join(kJoinMs)) {
    // A thread that does not come back in time is left to end on its own; it
    // is never killed.
    Trace("ReplayControl: replay thread did not end in time");
    static_cast<void>(thread_.release());
    return;
  }
  thread_.reset();
}

bool ReplayControl::StartReplay() {
  JoinThread();  // a thread of an earlier run (ended, or paused) goes first
  if (engine_.UserFunctionGivenUp()) {
    Beep();
    return false;
  }
  endPending_ = false;
  bool ok = true;
  if (!SetProcessPriorityClass(ProcessPriorityClass::High)) Trace("ReplayControl: high priority class refused");
  SetCurrentThreadPriority(ThreadPriority::AboveNormal);
  engine_.SetReplayState(kStateRunning);
  thread_ = std::make_unique<Thread>();
  if (!thread_->Start([this](Event& stop) { return ReplayThread(stop); }, true, ThreadPriority::TimeCritical,
                      "replay")) {
    thread_.reset();
    engine_.SetReplayState(kStateError);
    ReportInternalError();
    ok = false;
  } else {
    thread_->Resume();
  }
  return ok;
}

int ReplayControl::ReplayThread(Event& stop) {
  while (!stop.IsSet() && engine_.State() == kStateRunning) {
    if (!engine_.ReadReplayRecord()) {
      // The end of the data (or a read failure, taken the same way): the GUI
      // thread decides what follows.
      endPending_ = true;
      if (callbacks_.endOfData) callbacks_.endOfData();
      return kEndOfData;
    }
    if (!engine_.StoreRecord()) {
      engine_.SetReplayState(kStateError);
      ReportInternalError();
      return kFailed;
    }
    engine_.ProcessRecord(false);
    engine_.NoteReplayRecord();
    // Read on every pass: the replay bar's speed slider changes it meanwhile.
    const int pause = pollPeriod_ >= 0 ? pollPeriod_.load() : engine_.PollPeriod();
    if (pause > 0 && callbacks_.sleep(static_cast<std::uint32_t>(pause), stop)) break;
  }
  return kEndOfData;
}

bool ReplayControl::StopReplay(int type) {
  engine_.SetReplayState(kStateStop);
  JoinThread();
  endPending_ = false;  // an end the thread reported before the stop is overtaken
  engine_.SetReplayState(type);
  SetProcessPriorityClass(ProcessPriorityClass::Normal);
  if (type == kStateStoppedForGood) engine_.CloseReplayReader();
  return true;
}

void ReplayControl::OnReplay() {
  const int state = State();
  if (state == kStateRunning || state == kStateStoppedForGood) {
    Beep();
    return;
  }
  if (state == kStateReady && engine_.Setup().realtimePrint && engine_.Sink()) engine_.Sink()->StartRealtimePrint(1);
  StartReplay();
}

void ReplayControl::OnPauseReplay() {
  const int state = State();
  if (state == kStateStop || state == kStateStoppedForGood) {
    Beep();
    return;
  }
  StopReplay(kStateStop);
}

void ReplayControl::OnRestartReplay() {
  const int state = State();
  if (state == kStateReady || state == kStateStoppedForGood) return;
  if (callbacks_.showPaused) callbacks_.showPaused();
  // A paused replay is not paused again (that would only beep).
  if (state != kStateStop) StopReplay(kStateStop);
  if (engine_.Sink()) engine_.Sink()->StopRealtimePrint(-1);
  engine_.RewindReplay();
  engine_.SetReplayState(kStateReady);
}

void ReplayControl::OnStopReplay() {
  if (State() == kStateStoppedForGood) {
    Beep();
    return;
  }
  if (callbacks_.disableButtons) callbacks_.disableButtons();
  StopReplay(kStateStoppedForGood);
  if (engine_.Sink()) engine_.Sink()->StopRealtimePrint(-1);
  if (callbacks_.closeDocument) callbacks_.closeDocument();
}

bool ReplayControl::OfferPrintHeader() const {
  const int mode = engine_.Setup().logMode;
  return mode == 11 || (mode == 13 && televiewerFlag_);
}

// Moves the log to another file of its chain (1 the next, 2 the first, with
// the window chosen at the start) and opens a reader over it.
bool ReplayControl::ReopenAt(int saveMode) {
  engine_.CloseReplayReader();
  StopReplay(kStateStop);
  const bool moved = engine_.SaveWellInfo(saveMode) != 0;
  if (!moved && saveMode == 1) return false;
  if (!engine_.OpenReplayReader()) Trace("ReplayControl: the reader of the next file did not open");
  if (RecordSink* sink = engine_.Sink()) {
    int start;
    {
      std::lock_guard<std::mutex> lock(engine_.HeaderLock());
      start = engine_.Header().Startdepth;
    }
    sink->SetDisplayDepth(start);
    if (engine_.Setup().realtimePrint) sink->StartRealtimePrint(-2);
  }
  return true;
}

bool ReplayControl::OnReplayEnd(bool direct) {
  if (!direct && !endPending_.exchange(false)) return false;  // not an end of this replay's run
  JoinThread();                                               // the thread has posted the end and is ending
  const bool offer = OfferPrintHeader();
  std::string chainTo;
  if (followChain_) ReadChainTo(engine_.DataFilePath(), &chainTo);
  if (followChain_ && !chainTo.empty()) {
    if (engine_.Sink()) engine_.Sink()->StopRealtimePrint(-2);
    if (!ReopenAt(1)) {
      if (callbacks_.disableButtons) callbacks_.disableButtons();
      engine_.SetReplayState(kStateStoppedForGood);
      if (callbacks_.closeDocument) callbacks_.closeDocument();
      return false;
    }
    if (direct) {
      engine_.SetReplayState(kStateReady);
      if (callbacks_.showPaused) callbacks_.showPaused();
    } else {
      StartReplay();  // the next file plays on without a pause
    }
    return true;
  }
  const ReplayEndAnswer answer = callbacks_.askReplay ? callbacks_.askReplay(offer) : ReplayEndAnswer{};
  if (engine_.Sink()) engine_.Sink()->StopRealtimePrint(answer.printHeader ? 1 : 0);
  if (answer.choice == ReplayEndChoice::Reset) {
    ReopenAt(2);
    engine_.RewindReplay();  // the processing starts afresh with the first file
    engine_.SetReplayState(kStateReady);
    if (callbacks_.showPaused) callbacks_.showPaused();
  } else {
    if (callbacks_.disableButtons) callbacks_.disableButtons();
    StopReplay(kStateStoppedForGood);
    if (callbacks_.closeDocument) callbacks_.closeDocument();
  }
  return false;
}

void ReplayControl::OnDirectRealtimePrint() {
  if (engine_.IsLive()) return;
  if (State() == kStateRunning) {
    if (callbacks_.showPaused) callbacks_.showPaused();
    OnPauseReplay();
  }
  bool more = true;
  while (more) {
    if (State() == kStateReady && engine_.Setup().realtimePrint && engine_.Sink())
      engine_.Sink()->StartRealtimePrint(1);
    int count = 0;
    while (engine_.ReadReplayRecord()) {
      engine_.StoreRecord();
      engine_.ProcessRecord(false);
      engine_.NoteReplayRecord();
      if (++count == kFlushEvery) {
        if (callbacks_.flushRecorder) callbacks_.flushRecorder();
        count = 0;
      }
    }
    if (count > 0 && callbacks_.flushRecorder) callbacks_.flushRecorder();
    if (callbacks_.uncheckPrintDirect) callbacks_.uncheckPrintDirect();
    more = OnReplayEnd(true);
  }
}

}  // namespace qv
