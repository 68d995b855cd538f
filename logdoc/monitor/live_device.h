// The unit as a live log document drives it: the device commands that the
// bars, the tool-depth dialog, the system settings and the sonde test send
// through the document, the mode switches (monitor, cable scope, off), and
// the readings that the monitor thread and the acquisition keep current
// (depth, time, speed, analog status, the newest scope shot).
//
// Every device call is made holding DeviceMutex. A command reports a bad
// status word through FormatDeviceError and ReportMessage and answers false;
// when DeviceMutex cannot be had in time the command is not sent, "Internal
// operating system error." is reported the same way, and the answer is false.
//
// Readings are read and written from several threads (the GUI thread, the
// monitor thread, the acquisition thread); each is atomic or guarded, so a
// reader never sees half of an update.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "devices/tbdevice/tbdevice.h"
#include "logdoc/monitor/log_speed.h"

namespace qv {

// Pauses of the mode switches; tests shorten them.
struct LiveDeviceTiming {
  uint32_t scopeSwitchPauseMs = 100;  // after the scope mode is set, before the lock goes
  uint32_t lockSliceMs = 100;         // a worker's wait for DeviceMutex is cut into slices that look for a stop
};
LiveDeviceTiming& LiveDeviceTimingTable();

class LiveDevice {
 public:
  LiveDevice();
  ~LiveDevice();
  LiveDevice(const LiveDevice&) = delete;
  LiveDevice& operator=(const LiveDevice&) = delete;

  // --- What the document sets up (before the monitor thread runs).
  // The communication standard and tool type the unit is monitored with
  // (bytes 0 and 1 of the log's logging-mode block).
  void SetLoggingModeBytes(uint8_t comStd, uint8_t toolType);
  uint8_t ComStd() const { return comStd_; }
  uint8_t ToolType() const { return toolType_; }
  // ToolKind of the log: kind 7 sondes are never powered.
  void SetToolKind(int kind) { toolKind_ = kind; }
  int ToolKind() const { return toolKind_; }

  // --- Mode switches. The result is the status word (0 when the unit took it).
  // Logging off: a zero logging-mode block.
  uint32_t SwitchLoggingOff();
  // The sample interval, sent as a 16-bit value.
  uint32_t SetSampleInterval(int interval);
  // Monitor mode (value 1000, mode 14) with the log's standard and tool type;
  // depth monitoring starts when the unit took it.
  uint32_t EnterMonitorMode();
  // The cable scope: monitoring stops, logging goes off, the scope mode is
  // set (standard 12, the log's tool type, value 3000, mode 12), and the
  // monitor thread turns to scope shots. True when the unit took the switch;
  // otherwise the box "Could not switch to scope shot mode, Hardware error."
  // has been shown and the unit is left with logging off.
  bool EnterScopeMode();
  // After the scope: scope shots stop and logging goes off (depth monitoring
  // stays off; whoever opened the scope restores its own mode).
  void LeaveScopeMode();
  // Stops depth monitoring and switches logging off (closing a live document).
  void EndMonitoring();

  bool Monitoring() const { return monitoring_; }
  void SetMonitoring(bool on) { monitoring_ = on; }
  bool ScopeMode() const { return scopeMode_; }

  // --- Device commands (GUI thread). True when the unit took them.
  // depth in header units; the unit gets depth / factor (truncated).
  bool SetDepth(int depth);
  // A copy of the block is sent; all zero for a sonde of tool kind 7.
  bool SetSondePower(const SondePowerBlock* power);
  // Sent three times (the unit takes only some of the repeats in some
  // modes); the third status counts. Marks the command pending.
  bool SendSondeCommand(const SondeCommandBlock* command);
  bool SetWinch(WinchControlBlock* block);
  // The winch pause: setting 3 when pause, else 0.
  bool SetWinchMode(bool pause);
  // The cable interface: read into block (the result is not examined, the
  // block keeps what it held when the unit did not answer), and sent.
  void ReadCableInterface(CableInterfaceBlock* block);
  bool SendCableInterface(CableInterfaceBlock* block);

  bool SondeCommandPending() const { return sondeCommandPending_; }
  uint32_t SondeCommandTick() const { return sondeCommandTick_; }
  void ClearSondeCommand();

  // --- Monitor-thread operations.
  // The depth report: L + 256 H. 5 in scope mode and 11 while not monitoring,
  // without asking the unit. The winch bar's message line gets the report's
  // text (the second byte's text, or the first byte's for an error) when it
  // changes, and its ready line when the reports are good again.
  int GetDepthReport(int16_t spare);
  // A scope shot, kept whole as the newest when it came without a second
  // status byte; the depth and speed follow it either way. An error switches
  // logging off and ends the scope mode; nothing is reported.
  void GetScopeShot();
  // The analog status, cached by the unit's last status request; false when
  // DeviceMutex could not be had.
  bool RefreshAnalogStatus();

  // --- Readings.
  // The depth factor: 50 when the system unit is feet, else 10.
  static int DepthFactor();
  // Depth counts in header units, held to the int range (the counts come
  // from the unit).
  static int ToHeaderUnits(int counts);
  // The current depth in header units.
  int HeaderDepth() const { return ToHeaderUnits(depth_); }
  int Depth() const { return depth_; }  // depth counts
  void SetDepthCounts(int depth) { depth_ = depth; }
  int Time() const { return time_; }  // ms of the current record
  void SetTime(int timeMs) { time_ = timeMs; }
  int LogSpeedValue() const { return speed_.Current(); }
  LogSpeed& Speed() { return speed_; }
  // The speed of a new position (depth in header units); the acquisition's
  // reads call it for every delivered record.
  int ComputeLogSpeed(int depth, int timeMs) { return speed_.Compute(depth, timeMs); }
  AnalogStatusBlock AnalogStatus() const;
  void SetAnalogStatus(const AnalogStatusBlock& status);
  int ReceiverStatus() const { return receiverStatus_; }
  void SetReceiverStatus(int status) { receiverStatus_ = status; }
  // The 12288 samples of the newest scope shot.
  void CopyScopeShot(uint8_t* destination) const;

  // The waits for DeviceMutex of one worker thread give up when cancel is
  // set (the worker is being stopped); other threads wait as usual. Null
  // removes it.
  void SetCancel(const std::atomic<bool>* cancel, std::thread::id worker);

 private:
  template <class F>
  bool Locked(F&& call, uint32_t* status);
  // The text of a bad status word: the first byte (kind 2) when it is not 0,
  // else the second (kind 3) when examineHigh; false for a good word.
  static bool StatusText(uint32_t status, bool examineHigh, std::string* text);
  bool ReportCommand(bool locked, uint32_t status, int kind, bool examineHigh);
  uint32_t SendMode(uint8_t comStd, uint8_t toolType, int16_t value, uint8_t mode);
  uint32_t SendModeLocked(uint8_t comStd, uint8_t toolType, int16_t value, uint8_t mode);

  std::atomic<uint8_t> comStd_{0}, toolType_{0};
  std::atomic<int> toolKind_{-1};
  std::atomic<bool> monitoring_{false};
  std::atomic<bool> scopeMode_{false};
  std::atomic<bool> sondeCommandPending_{false};
  std::atomic<uint32_t> sondeCommandTick_{0};
  std::atomic<int> depth_{0};
  std::atomic<int> time_{0};
  std::atomic<int> receiverStatus_{-1};
  LogSpeed speed_;
  // Whether the calling thread's waits are to be given up.
  bool Cancelled() const;
  mutable std::mutex cancelMutex_;
  const std::atomic<bool>* cancel_ = nullptr;
  std::thread::id cancelThread_;

  mutable std::mutex analogMutex_;
  AnalogStatusBlock analog_{};

  mutable std::mutex scopeMutex_;
  std::unique_ptr<ScopeShot> scope_;  // the newest whole shot

  std::mutex reportMutex_;
  std::string lastDepthText_;
  bool depthTextShown_ = false;
};

}  // namespace qv
