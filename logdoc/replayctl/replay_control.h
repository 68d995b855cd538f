// The replay of a recorded log through the same path as a live one: a
// replay thread reads one record per pass from the engine's reader, stores
// it and processes it into the engine's record sink, and the engine's
// display pump hands the rows to the view. The control also carries pause,
// restart and stop, the end of the data (on into the next file of a
// recording chain, or the end-of-replay choice) and the direct print that
// streams the rest of a log to the chart recorder without pacing.
//
// How a document drives it: build the tool engine, fill its Setup() with the
// replay settings, InitialiseLog(0, poll period) (which opens the reader),
// then construct a ReplayControl over the engine with the callbacks below.
// The replay bar's commands call OnReplay, OnPauseReplay, OnRestartReplay and
// OnStopReplay; File/Direct Realtime Print calls OnDirectRealtimePrint. The
// replay thread never touches the GUI: at the end of the data it calls
// endOfData, which must post to the GUI thread and call OnReplayEnd(false)
// there. Every call but endOfData is made on the GUI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "logdoc/document/log_engine.h"
#include "platform/sync/sync.h"

namespace qv {

// The end-of-replay choice.
enum class ReplayEndChoice { Reset, Finish };

struct ReplayEndAnswer {
  ReplayEndChoice choice = ReplayEndChoice::Finish;
  bool printHeader = false;  // the "Print Header" box as the user left it
};

struct ReplayCallbacks {
  // Replay thread: the data ended; post to the GUI thread, then OnReplayEnd(false).
  std::function<void()> endOfData;
  // GUI thread: the end-of-replay dialog; offerPrintHeader shows its box.
  std::function<ReplayEndAnswer(bool offerPrintHeader)> askReplay;
  // GUI thread: the replay bar (paused look; buttons unchecked and disabled;
  // print-direct button unchecked).
  std::function<void()> showPaused;
  std::function<void()> disableButtons;
  std::function<void()> uncheckPrintDirect;
  // GUI thread: the document closes itself.
  std::function<void()> closeDocument;
  // GUI thread: sends the chart recorder the rows pending (direct print).
  std::function<void()> flushRecorder;
  // Pace of the replay thread: sleeps ms, true when stop was signalled.
  // Defaults to SleepOrStop.
  std::function<bool(std::uint32_t ms, Event& stop)> sleep;
};

class ReplayControl {
 public:
  // Exit codes of the replay thread.
  static constexpr int kEndOfData = 11;
  static constexpr int kFailed = 100;
  // Records between two recorder flushes of a direct print.
  static constexpr int kFlushEvery = 80;

  ReplayControl(LogEngine& engine, ReplayCallbacks callbacks);
  ~ReplayControl();  // stops a running replay and joins its thread
  ReplayControl(const ReplayControl&) = delete;
  ReplayControl& operator=(const ReplayControl&) = delete;

  // The replay settings' choices that the control acts on.
  void SetFollowChain(bool follow) { followChain_ = follow; }
  // The old-header televiewer flag (log mode 13 offers the print header only with it).
  void SetTeleviewerFlag(bool flag) { televiewerFlag_ = flag; }
  // The pause after each record; the engine's poll period by default, 0 runs
  // unthrottled.
  void SetPollPeriod(int ms) { pollPeriod_ = ms; }

  // Starts the replay thread from the reader's position; false when it could
  // not start (reported).
  bool StartReplay();
  // type 2 pause, 3 error, 99 stop for good (the reader is closed). The
  // replay thread is stopped and joined; it ends the record in hand first.
  bool StopReplay(int type);

  // The replay bar's commands and the end of the data.
  void OnReplay();
  void OnPauseReplay();
  void OnRestartReplay();
  void OnStopReplay();
  // True only when the replay went on into the next file of the chain. A
  // notice (direct false) counts only for an end this control's replay thread
  // reported and that no stop, restart or reset has overtaken; any other
  // does nothing.
  bool OnReplayEnd(bool direct);
  void OnDirectRealtimePrint();

  int State() const { return engine_.State(); }
  // The exit code of the last replay thread; -1 while it runs or before one.
  int ThreadExitCode() const;

 private:
  int ReplayThread(Event& stop);
  void JoinThread();
  bool OfferPrintHeader() const;
  void Beep() const;
  bool ReopenAt(int saveMode);

  LogEngine& engine_;
  ReplayCallbacks callbacks_;
  std::unique_ptr<Thread> thread_;
  bool followChain_ = false;
  bool televiewerFlag_ = false;
  std::atomic<int> pollPeriod_{-1};
  bool closed_ = false;
  // The replay thread met the end of the data and the GUI thread has not
  // handled it yet.
  std::atomic<bool> endPending_{false};
};

}  // namespace qv
