// The acquisition engine of one log, free of widgets: the log state, the
// recording chain, the acquisition thread, the writer (through
// RecordPipeline), the display pump, the header, well information and
// calibration of the log. A log document of the framework owns one engine of
// its tool (SixChannelEngine, TwelveChannelEngine) and drives it; tests drive
// it headless.
//
// How a document drives it (every call on the GUI thread unless it says
// otherwise):
//   1. Construct the tool engine, fill Setup() (paths, sonde, log mode, step,
//      logging-mode block, filters, calibration and user-function choices),
//      Header() and Trailer(); set the record sink (the curve view) and the
//      callbacks.
//   2. InitialiseLog(1 live / 0 replay, tool kind, poll period): loads the
//      calibration and the user function, sizes the windows and, live, puts
//      the unit into monitor mode. (The monitor thread is the document's.)
//   3. StartLogging(0) records, StartLogging(1000) runs a test that records
//      nothing; ResumeWriter() after REC as the bars do (the writer of a
//      recording runs from its start; the call is kept for the callers).
//   4. Call PumpDisplay() from a timer (about every 40 ms) while the document
//      lives, or when the wake callback asks: it lets the view take the new
//      rows, hands the bars their values, rewrites the header once the first
//      record fixed its start, and carries out a stop that a worker asked for
//      (an error), showing its message. No worker touches a widget or waits
//      for the GUI thread.
//   5. StopLogging(4) pauses, StopLogging(99) stops for good, StopLogging(2)
//      stops for a close. After an error stop (type 3) the callbacks'
//      stopped(3) tells the document to close itself.
//
// The sound hand-over: full halves are queued for the writer (never a pulse
// that a busy writer misses); a writer that falls behind by the whole queue
// stops the log with an error instead of dropping records; a stop ends the
// acquisition and joins it, then the writer writes every queued record and
// the partial half and is joined; no thread is killed; a failed write stops
// the log with "Can not write to destination file." and keeps what was
// written. Each recording starts with an empty buffer, so a test run or an
// earlier file never leaks records into a recording.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/tbdevice/tbdevice.h"
#include "header/header_info.h"
#include "header/section_access.h"
#include "header/user_function_ini.h"
#include "logdoc/acquisition/record_pipeline.h"
#include "logdoc/monitor/log_speed.h"
#include "platform/sync/sync.h"
#include "sondedb/records/records.h"

namespace qv {

class ReplayReader;

// The log state, one value read by every thread of the log.
enum LogState : int {
  kStateReady = -1,      // replay ready; a live log before its first recording
  kStateRunning = 0,     // acquiring, testing or replaying
  kStateLastBuffer = 1,  // the writer writes the last buffer
  kStateStop = 2,        // every loop ends at its next pass
  kStateError = 3,       // stopped after an error
  kStatePaused = 4,      // logging paused
  kStateStoppedForGood = 99,
};

// StartLogging modes.
inline constexpr int kStartRecord = 0;
inline constexpr int kStartTest = 1000;

// Where the values of every record go: the curve view, through the document.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // Record thread (acquisition or replay): one row of values per record.
  virtual void AddSample(std::span<const double> values) = 0;
  // Record thread, first record of a run: where the display starts (header units).
  virtual void SetDisplayDepth(int /*depth*/) {}
  // GUI thread, at StartLogging: the curves start again.
  virtual void ResetCurves(bool /*restart*/) {}
  // GUI thread, from PumpDisplay: the view takes the rows AddSample queued.
  virtual void UpdateDisplay() {}
  // GUI thread, with every header write: the channel sections; 1 on success.
  virtual int WriteChannelHeader() { return 1; }
  // GUI thread: the chart recorder (mode as the documents pass it).
  virtual void StartRealtimePrint(int /*mode*/) {}
  virtual void StopRealtimePrint(int /*mode*/) {}
};

// What the bars show, handed over by PumpDisplay after new data.
struct LogStatus {
  int state = kStateReady;
  int elapsedMs = 0;  // time of the newest record
  int depth = 0;      // header units (depth count x 50 or 10)
  int logSpeed = 0;   // header units per minute
  int tension = 0;
  std::uint8_t analog[2] = {0, 0};
  int receiverStatus = -1;
  std::uint64_t records = 0;  // records of the current recording
};

struct LogEngineCallbacks {
  // From any thread, coalesced: there is work for PumpDisplay.
  std::function<void()> wake;
  // GUI thread, from PumpDisplay.
  std::function<void(const LogStatus&)> status;
  // GUI thread: the engine stopped the log itself (type 3 after an error or
  // a failed start); the document closes. It comes last in PumpDisplay and
  // StartLogging, but the document must not destroy the engine inside the
  // call: it closes through a queued call of its own.
  std::function<void(int type)> stopped;
  // GUI thread, at the end of a recording: the trailer text dialog over a copy
  // of the four lines and the first file's header; true when it closed with
  // OK. Without it the lines count as accepted.
  std::function<bool(TrailerText& lines, const std::string& firstHeaderFile)> trailerDialog;
};

// The engine's sense of time. The acquisition loop paces itself with sleep
// (which returns true when stop was signalled); today gives the header dates.
// Tests put both on virtual time.
struct LogClock {
  std::function<bool(std::uint32_t ms, Event& stop)> sleep;
  std::function<std::uint32_t()> tick;
  std::function<std::time_t()> today;
};

// What the creator of a log (the new-log wizard, the replay settings) fills in
// before InitialiseLog.
struct LogSetup {
  // Folder and name of the first data file, ending in a dot ("D/WELL.").
  std::string pathStem;
  int logMode = 10;         // 10 time, 11 up, 12 down
  int sampleInterval = 10;  // sent to the unit by a live InitialiseLog
  int depthStep = 10;       // header units per record
  bool imperial = false;    // the log's depth unit is feet
  int depthScale = 100;     // 1:N of the display
  std::string sondeAbbreviation;
  std::string sondeSerialNo;
  // The unit's logging mode of a recording: communication standard, tool
  // type, depth step in device units (or the time step), LogMode.
  LoggingModeBlock loggingMode{};
  std::array<ChannelFilter, kFilterTableSize> channelFilters{};
  std::array<UserFunctionFilter, kUserFunctionFilterTableSize> userFunctionFilters{};
  bool calibration = false;
  bool calibrationFromHeader = false;
  std::string calibrationFile;
  bool userFunction = false;
  std::string userLibrary;
  bool realtimePrint = false;
  int replayStartDepth = 0;
  int replayEndDepth = 0;
};

class LogEngine {
 public:
  LogEngine(std::size_t fileRecordSize, std::string dataFileExt, int toolKind);
  virtual ~LogEngine();
  LogEngine(const LogEngine&) = delete;
  LogEngine& operator=(const LogEngine&) = delete;

  // ---- set-up (GUI thread, before InitialiseLog)
  LogSetup& Setup() { return setup_; }
  const LogSetup& Setup() const { return setup_; }
  // The header record. While a recording runs the acquisition thread writes
  // its first record's LogMode, start depth, start time, step and depth unit
  // into it holding HeaderLock().
  HeaderInfo& Header() { return header_; }
  const HeaderInfo& Header() const { return header_; }
  std::mutex& HeaderLock() { return headerMutex_; }
  TrailerText& Trailer() { return trailer_; }
  // Copies of the header record and the trailer text as they stand (either
  // may be null), for output that prints them while the log goes on.
  void CopyHeaderTexts(HeaderInfo* header, TrailerText* trailer);
  void SetSink(RecordSink* sink) { sink_ = sink; }
  RecordSink* Sink() const { return sink_; }
  void SetCallbacks(LogEngineCallbacks callbacks) { callbacks_ = std::move(callbacks); }
  void SetClock(LogClock clock);
  // The document's speed state, shared with its monitor thread; the engine
  // keeps its own without one.
  void SetLogSpeed(LogSpeed* speed) { speed_ = speed ? speed : &ownSpeed_; }
  // Bounds of the hand-over: records per half and halves the writer may fall
  // behind (tests make them small).
  void SetBuffering(std::size_t recordsPerHalf, std::size_t maxQueuedHalves);
  RecordPipeline& Pipeline() { return *pipeline_; }

  // ---- life of a log (GUI thread)
  // mode 1 live, 0 replay. Live: the unit's logging off, the sample interval,
  // monitor mode. Then the tool's part (windows, calibration, user
  // function). False after a failure it has reported; the log stays usable.
  virtual bool InitialiseLog(int mode, int pollPeriodMs);
  // Returns 1 when the log runs, 0 after a failure it has reported.
  virtual int StartLogging(int mode);
  int ResumeWriter();
  int SuspendWriter();
  // type 2 close, 3 error, 4 pause, 99 stop for good. 1, or 0 when the unit
  // could not be switched (reported). A second stop finds nothing to stop.
  int StopLogging(int type);
  // GUI thread, when a worker did not end in time: when the log's worker is
  // inside a user-function call, that call is given up for good
  // (UserFunctionLibrary::Abandon) and true is returned; the user is told by
  // TellStuckUserFunction. The log keeps what it recorded and can then only
  // be closed.
  bool GiveUpStuckUserFunction();
  bool UserFunctionGivenUp() const { return !stuckUserFunction_.empty(); }
  // GUI thread, no lock held: "The user function %s does not return. ...",
  // once after GiveUpStuckUserFunction.
  void TellStuckUserFunction();
  // Runs the display pump once (see the top of this file).
  void PumpDisplay();

  // ---- state
  int State() const { return state_.load(); }
  // A worker met an error and asked for a stop that PumpDisplay has not
  // carried out yet.
  bool StopRequested() const;
  bool IsLive() const { return live_; }
  bool IsTestMode() const { return testMode_.load(); }
  int ToolKind() const { return toolKind_; }
  int ChainIndex() const { return chainIndex_; }
  const std::string& PathStem() const { return pathStem_; }
  std::string DataFilePath() const { return pathStem_ + dataFileExt_; }
  std::string HeaderFilePath() const;
  const std::string& DataFileExt() const { return dataFileExt_; }
  const std::string& FirstFile() const { return firstFile_; }
  const std::string& ChainTo() const { return chainTo_; }
  // The document's title: the current stem without its dot.
  std::string Title() const;
  int PollPeriod() const { return pollPeriod_; }
  // The period of the acquisition loop from now on (ms).
  void SetPollPeriod(int ms) { pollPeriod_ = ms; }
  int DisplayDepthOffset() const { return displayDepthOffset_; }
  bool Monitoring() const { return monitoring_.load(); }
  void SetMonitoring(bool on) { monitoring_ = on; }
  // A sonde command was sent now: a second status byte of the next records
  // reads "Sonde command in progress..." for up to 300000 ms.
  void MarkSondeCommandSent();
  LogStatus Status() const;
  // Depth (counts) and time (ms) of the newest record read.
  int Depth() const { return depth_.load(); }
  int Time() const { return time_.load(); }
  // Takes the flag set by a record that starts a new minute.
  // Looked at before it is taken: a print asks at every row, and most rows
  // find no mark.
  bool TakeMinuteMark() { return minuteMark_.load(std::memory_order_relaxed) && minuteMark_.exchange(false); }
  // 50 with the system depth unit imperial, else 10.
  static int DepthFactor();
  // One count of the depth counter in thousandths of the depth unit: 50 of
  // a foot, else 10 of a metre.
  static int DepthFactor(bool imperial);
  // A televiewer sweep's step word counts the depth counter's counts it
  // moved, whatever step its header holds (a log recorded before its step
  // was one count holds the system step): a televiewer header read for a
  // replay gets one count of its own depth unit as its step.
  void TakeCountAsTeleviewerStep(HeaderInfo* info) const;

  // ---- header, well information and calibration
  int WriteHeader();
  virtual int WriteCalibrationHeader() { return 1; }
  // Writes the calibration of `set` into the log's header when the log is
  // calibrated (a replay first asks before it overwrites the header's own).
  int WriteCalibrationHeaderFrom(const CalibrationSet& set);
  // 0 this file, 1 the next file of the chain, 2 the first file.
  int SaveWellInfo(int mode);
  // Sets the first trailer line and runs the trailer dialog (GUI thread, no
  // lock held).
  void SetEndTime();
  int LoadHeaderCalibration(CalibrationSet* set);
  int LoadCalibrationFile(CalibrationSet* set);

  // ---- replay records (replay thread or GUI thread; the loop is the document's)
  virtual bool ReadReplayRecord() { return false; }
  virtual bool RewindReplay() { return false; }
  virtual bool SeekReplay(int /*depth*/) { return false; }
  // A new reader over the current data file and the setup's replay window
  // (after SaveWellInfo moved along the chain); false when it did not open.
  virtual bool OpenReplayReader() { return false; }
  virtual void CloseReplayReader() {}
  // The replay control's hold on the log: its state, and a record it read
  // and processed (the display pump then hands it on).
  void SetReplayState(int state) { state_ = state; }
  void NoteReplayRecord() {
    ++newData_;
    Wake();
  }
  // Record thread: the current record into the recording (nothing while
  // testing or replaying) and through the processing.
  bool StoreRecord();
  virtual bool ProcessRecord(bool forPrint) = 0;
  // GUI thread: the set-up's filter tables changed; the processing takes them
  // from its next record.
  virtual void ApplyFilters() {}

 protected:
  // The engine's user function gives up its call in progress; its name, or
  // empty when no call is in progress (or the log has no user function).
  virtual std::string AbandonUserFunctionCall() { return {}; }
  // Acquisition thread, DeviceMutex held: one device read into the current
  // record; the status word (17 for a record against the logging direction).
  virtual std::uint32_t ReadPacket(int passThrough) = 0;
  // The current record as a data-file record of fileRecordSize bytes.
  virtual void EncodeFileRecord(std::span<std::uint8_t> out) const = 0;
  // A depth log's first record is held until the next record shows the way
  // the sonde moves (see AcquisitionThread): an engine that can keep a second
  // record swaps its current record with the held one here.
  virtual bool HoldsRecords() const { return false; }
  virtual void SwapHeldRecord() {}
  // The tool's part of InitialiseLog.
  virtual bool InitialiseTool(int mode) = 0;
  // The first record of a run was read: the tool may reset per-run state.
  virtual void StartRun() {}
  // The data file(s) of a new recording at stem ("D/WELL."); a tool whose
  // records go to two files in lock-step opens both. False when they could
  // not be created (nothing of them is left behind).
  virtual bool OpenDataFiles(const std::string& stem);
  // After the recording's last record reached the files.
  virtual void CloseDataFiles() {}
  // A recording that stayed empty: its data file(s) go.
  virtual void RemoveDataFiles(const std::string& stem);
  // True when a data file of the log at stem exists (any of them, for a tool
  // that writes more than one): a chain never takes such a name.
  virtual bool DataFilesExist(const std::string& stem) const;

  // For the tool engines. The most derived engine calls Shutdown first in
  // its destructor, so that no thread calls into a part already gone.
  void Shutdown();
  AnalogStatusBlock* AnalogStatus() { return &analog_; }
  // A read that takes no status block (twelve channels, sonic): the record
  // carries the analog status and tension of its own status request, which
  // the bars show while it logs.
  void TakeRecordStatus(std::int32_t analog1, std::int32_t analog2, std::int32_t analog3, std::int32_t tension) {
    analog_.status1 = static_cast<std::uint8_t>(analog1);
    analog_.status2 = static_cast<std::uint8_t>(analog2);
    analog_.status3 = static_cast<std::uint8_t>(analog3);
    analog_.zero = 0;
    analog_.tension = static_cast<std::int16_t>(tension);
  }
  void SetDepthAndTime(int depth, int time) {
    depth_ = depth;
    time_ = time;
  }
  void SetMinuteMark() { minuteMark_ = true; }
  int LastDepth() const { return lastDepth_; }
  void SetLastDepth(int d) { lastDepth_ = d; }
  int ComputeLogSpeed(int depth, int time) { return speed_->Compute(depth, time); }
  void SetLastMinute(int m) { lastMinute_ = m; }
  // True when TIMEMS (the record's time) lies in another minute than the
  // last record's: that minute becomes the last and the minute mark is set.
  bool StartsNewMinute(int timeMs);
  // The replay reader over the log's data file, its window and its header.
  std::unique_ptr<ReplayReader> MakeReplayReader();
  void SetDisplayDepthOffset(int d) { displayDepthOffset_ = d; }
  int LogType() const { return logType_; }
  // The sonde length in centimetres: from the sonde database for a live log
  // (mode 1), from the log's header for a replay; 0 when neither gives one.
  int SondeLengthCentimetres(int mode) const;
  // Kind 2 message-line text of the depth check.
  void ReportDepthCheck(int jump);
  // The checks every delivered record makes (depth jump, speed, direction);
  // returns the status word to hand on (17 against the logging direction).
  std::uint32_t CheckRecord(std::uint32_t word, int depth, int time);
  void SetReceiverStatus(int word) { receiverStatus_ = word; }

 private:
  int AcquisitionThread(Event& stop);
  // recordMutex_ held: the current record (or the held one) into the
  // recording and the processing; the first of a run fixes the header's start.
  bool TakeRecord(bool held);
  int StopLocked(int type);
  // The first trailer line of a stop.
  void SetEndLine();
  // The trailer dialog over the lines; true when it closed with OK.
  bool RunTrailerDialog();
  // After a stop, with no lock held: the trailer dialog of the recording
  // that stopped, its lines into that recording's header, then the end of
  // the real-time chart.
  void AskTrailer();
  int WriteChannelHeader() { return sink_ ? sink_->WriteChannelHeader() : 1; }
  void StopFromWorker(int kind, int code, bool shown, bool unitGone);
  bool SwitchUnit(const LoggingModeBlock& block, bool report);
  bool OpenRecording();
  void Wake();
  std::time_t Today() const;

  LogSetup setup_;
  HeaderInfo header_;
  std::mutex headerMutex_;
  TrailerText trailer_;
  std::atomic<bool> chartEndPending_{false};  // a stop has left the chart's end to AskTrailer
  RecordSink* sink_ = nullptr;
  LogEngineCallbacks callbacks_;
  LogClock clock_;

  const std::size_t fileRecordSize_;
  const std::string dataFileExt_;
  const int toolKind_;
  std::unique_ptr<RecordPipeline> pipeline_;

  // Chain.
  std::string pathStem_;
  std::string previousStem_;
  std::string firstFile_;
  std::string chainTo_;
  int chainIndex_ = -1;
  int previousChainIndex_ = -1;

  int savedStartDepth_ = 0;  // the replay window chosen when the log was opened
  int savedEndDepth_ = 0;
  bool live_ = true;
  int logType_ = 1;
  std::atomic<int> pollPeriod_{-1};
  int displayDepthOffset_ = 0;
  std::atomic<int> state_{kStateReady};
  std::atomic<bool> testMode_{false};
  std::atomic<bool> monitoring_{false};

  // Threads and the stop.
  std::unique_ptr<Thread> acquisition_;
  std::vector<std::unique_ptr<Thread>> retired_;  // threads a stop could not join in time
  std::string stuckUserFunction_;  // GUI thread: the user function given up
  bool stuckUntold_ = false;
  std::mutex stopMutex_;                          // one stop at a time
  bool trailerPending_ = false;                   // a stop left the trailer dialog to ask (GUI thread)
  std::string trailerStem_;                       // the stem of the recording it belongs to, empty when none was kept
  // The per-record work against a change of recording. On the heap: a thread
  // inside a user-function call that was given up holds it for good, and it
  // is then never destroyed.
  std::unique_ptr<std::mutex> recordMutex_ = std::make_unique<std::mutex>();
  std::atomic<bool> recording_{false};            // changed under recordMutex_: records go to the pipeline
  bool lastRunRecorded_ = false;                  // the last run recorded a section of this log
  // Changed under DeviceMutex and recordMutex_ when a run begins or ends: a
  // record read under an older value belongs to an earlier run.
  std::atomic<std::uint64_t> runGeneration_{0};
  std::atomic<bool> firstRecord_{false};
  // Until a depth log's first record is taken (recordMutex_): a record read in
  // this run gives the direction of the next, and the first one read is held.
  bool haveReference_ = false;
  bool holding_ = false;
  int heldDepth_ = 0, heldTime_ = 0;
  std::atomic<bool> headerPending_{false};  // the first record fixed the header's start
  std::atomic<bool> wakePending_{false};
  // A stop a worker asked for, carried out by PumpDisplay.
  mutable std::mutex errorMutex_;
  bool errorPending_ = false;
  int errorKind_ = 0, errorCode_ = 0;
  bool errorShown_ = false;
  std::atomic<bool> unitGone_{false};

  // The current record's values as the acquisition thread leaves them.
  AnalogStatusBlock analog_{};
  std::atomic<int> depth_{0};
  std::atomic<int> time_{0};
  std::atomic<int> tension_{0};
  std::atomic<int> analogBytes_{0};
  std::atomic<int> receiverStatus_{-1};
  std::atomic<bool> minuteMark_{false};
  std::atomic<std::uint64_t> newData_{0};
  std::uint64_t shownData_ = 0;
  int lastDepth_ = 0;
  int lastMinute_ = 0;
  LogSpeed ownSpeed_;
  LogSpeed* speed_ = &ownSpeed_;
  std::atomic<bool> sondeCommandPending_{false};
  std::atomic<std::uint32_t> sondeCommandTick_{0};
};

}  // namespace qv
