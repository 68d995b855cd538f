// What the application shell's bars, dialogs and menus ask of a log
// document. The log document implements it and registers how to reach it
// from a CLogDoc pointer; tests use fakes.
#pragma once

#include <string>

#include "devices/tbdevice/tbdevice.h"

class CLogDoc;

class LogDocumentShell {
public:
  virtual ~LogDocumentShell() = default;
  // -1 replay ready, 0 running, 1 write the last buffer, 2 stop, 3 stopped
  // after an error, 4 paused, 99 stopped for good.
  virtual int LogState() const = 0;
  virtual bool IsTestMode() const = 0;
  // The idle live document that monitors the unit while nothing is recorded.
  virtual bool IsIdleDocument() const = 0;
  // A live document whose depth the unit counts.
  virtual bool HasLiveDepth() const = 0;
  // mode 0 records, 1000 runs a test; 0 on failure.
  virtual int StartLogging(int mode) = 0;
  virtual int ResumeWriter() = 0;
  // type 4 pauses, 99 stops for good.
  virtual void StopLogging(int type) = 0;
  // Non-zero when the unit took it.
  virtual int SendSondeCommand(SondeCommandBlock* block) = 0;
  virtual int SetSondePower(SondePowerBlock* block) = 0;
  virtual int SetWinch(WinchControlBlock* block) = 0;
  virtual void SetWinchMode(bool on) = 0;
  // The replay pace from the replay bar's slider (1 to 100).
  virtual void ComputePollInterval(int position) = 0;
  // Sets the tool depth, in thousandths of the depth unit.
  virtual void SetDepth(int depth) = 0;
  // The depth step of a live document, after the depth unit changed.
  virtual void SetDepthStep(int) {}
  // The depth the unit last reported, in depth counts.
  virtual int CurrentDepth() const { return 0; }
  // The document watches the unit in monitor mode (an idle or new live log
  // between recordings), with the logging-mode bytes it monitors with.
  virtual bool IsMonitoring() const { return false; }
  // Stops (false) or resumes (true) the depth polling of the document's
  // monitor thread, while a dialog reads the unit itself.
  virtual void SetDepthPolling(bool) {}
  virtual uint8_t ComStd() const { return 0; }
  virtual uint8_t ToolType() const { return 0; }
  // The sonde abbreviation of the log.
  virtual std::string SondeName() const { return {}; }
  virtual void OnReplayEnd(bool fromUser) = 0;
  // The log's calibration file ("" when none) and whether it is the data file itself.
  virtual std::string CalibrationFile() const = 0;
  virtual bool CalibrationIsDataFile() const = 0;

  // What the sonde test asks of the document it runs beside. Monitoring on
  // and off: the depth polling of the document's monitor thread.
  virtual void SetMonitoring(bool) {}
  // A read of the test delivered this elapsed time (ms) and raw depth.
  virtual void SetReading(int /*timeMs*/, int /*depth*/) {}
  // The logging speed in thousandths of the depth unit per minute from a
  // depth in thousandths of the depth unit and a time in ms.
  virtual int ComputeLogSpeed(int /*depth*/, int /*timeMs*/) { return 0; }
  // The last sonde value the sonde bar shows.
  virtual int SondeValue() const { return 0; }
  // The cable settings dialog and the cable scope of the document.
  virtual void OnChangeCableOptions() {}
  virtual void OnScopeShot() {}
};

using LogDocumentResolver = LogDocumentShell* (*)(CLogDoc*);
void SetLogDocumentResolver(LogDocumentResolver resolver);
// The shell side of a log document; null for null or without a resolver.
LogDocumentShell* ShellOf(CLogDoc* doc);
// The shell side of g_pActiveDoc, or null.
LogDocumentShell* ActiveLogDocument();
