// A log document as the shell sees it that does nothing: an idle document
// without a unit. Tests derive from it and override what they watch.
#pragma once

#include <string>

#include "app/core/log_document.h"

class StubLogDocument : public LogDocumentShell {
public:
  int LogState() const override { return -1; }
  bool IsTestMode() const override { return false; }
  bool IsIdleDocument() const override { return true; }
  bool HasLiveDepth() const override { return true; }
  int StartLogging(int) override { return 0; }
  int ResumeWriter() override { return 0; }
  void StopLogging(int) override {}
  int SendSondeCommand(SondeCommandBlock*) override { return 1; }
  int SetSondePower(SondePowerBlock*) override { return 1; }
  int SetWinch(WinchControlBlock*) override { return 1; }
  void SetWinchMode(bool) override {}
  void ComputePollInterval(int) override {}
  void SetDepth(int) override {}
  void OnReplayEnd(bool) override {}
  std::string CalibrationFile() const override { return {}; }
  bool CalibrationIsDataFile() const override { return false; }
};
