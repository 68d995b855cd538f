// The monitor thread of a live log document: while the log does not record
// it keeps the operator informed. It polls the depth report every 50 ms
// (depth monitoring), or takes a cable-scope shot and the analog status every
// 500 ms (cable scope), or only the analog status every 1000 ms (while a log
// records, after the scope), and hands the readings to a sink: the bars, in
// the program. It never touches a widget; the sink gets the readings on the
// monitor thread and must hand them to the GUI thread itself.
//
// A bad depth report is reported once on the winch bar's message line and
// the thread goes on polling, so monitoring resumes when the unit recovers.
// The thread is stopped cooperatively: every sleep and every wait for
// DeviceMutex looks at the stop request, and Stop joins with a time-out.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sync/sync.h"

namespace qv {

class LiveDevice;

class MonitorSink {
 public:
  virtual ~MonitorSink() = default;
  // The sonde-control bar: elapsed time of the log, the first two analog
  // status bytes (supply current and voltage code), the tool status word.
  virtual void UpdateStatus(int timeMs, uint8_t status1, uint8_t status2, int receiverStatus) = 0;
  // The winch bar: the tension word, the depth in header units and the speed
  // in header units per minute.
  virtual void UpdateReadings(int tension, int depth, int speed) = 0;
};

// The three poll periods; tests shorten them.
struct MonitorTiming {
  uint32_t depthMs = 50;
  uint32_t scopeMs = 500;
  uint32_t statusMs = 1000;
};
MonitorTiming& MonitorTimingTable();

class MonitorThread {
 public:
  // The device and the sink must outlive the thread; sink may be null.
  MonitorThread(LiveDevice& device, MonitorSink* sink);
  ~MonitorThread();  // stops the thread (see Stop)
  MonitorThread(const MonitorThread&) = delete;
  MonitorThread& operator=(const MonitorThread&) = delete;

  // Creates the thread at the highest priority, suspended when asked. False
  // when it could not be created.
  bool Start(bool suspended);
  void Resume();
  // The first recording of the log lowers it for good.
  void LowerPriority();
  // Asks the thread to end and waits up to timeoutMs; true when it ended.
  // Waits for DeviceMutex are given up at once, so the thread ends within one
  // device call.
  bool Stop(uint32_t timeoutMs);
  bool Running() const;
  // Passes of the loop so far (tests wait on it).
  uint64_t Passes() const { return passes_; }

 private:
  int Body(Event& stop);
  void ReportBars(int timeMs);

  LiveDevice& device_;
  MonitorSink* sink_;
  Thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> passes_{0};
};

// The live start of a log document: logging off, the monitor thread made
// (suspended, highest priority; the process gets the high priority class and
// the calling thread normal priority, best effort), the sample interval, the
// monitor mode, then depth monitoring and the thread resumed. A failure is
// shown in a box and the result is false; what was done by then stays.
bool StartLiveMonitoring(LiveDevice& device, MonitorThread& monitor, int sampleInterval);
// The end of a live document: the monitor thread is stopped (cooperatively,
// within timeoutMs), then depth monitoring ends and logging goes off. False
// when the thread did not end in time (the unit is switched off all the same).
bool EndLiveMonitoring(LiveDevice& device, MonitorThread& monitor, uint32_t timeoutMs = 10000);

}  // namespace qv
