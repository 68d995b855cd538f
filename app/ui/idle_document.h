// The idle live window's document until the log documents are part of the
// program: it passes the bars' device commands to the unit under
// DeviceMutex and keeps nothing else (no monitoring, no recording).
#pragma once

#include "app/core/log_document.h"
#include "app/core/log_speed.h"
#include "platform/docview/docview.h"

class CIdleMonitorDoc : public qv::Document, public LogDocumentShell {
  Q_OBJECT
public:
  // The document stops being the active one when it goes.
  ~CIdleMonitorDoc() override;
  int LogState() const override { return -1; }
  bool IsTestMode() const override { return false; }
  bool IsIdleDocument() const override { return true; }
  bool HasLiveDepth() const override { return true; }
  int StartLogging(int) override { return 0; }
  int ResumeWriter() override { return 0; }
  void StopLogging(int) override {}
  // Non-zero when the unit took the block.
  int SendSondeCommand(SondeCommandBlock* block) override;
  int SetSondePower(SondePowerBlock* block) override;
  int SetWinch(WinchControlBlock* block) override;
  void SetWinchMode(bool) override {}
  void ComputePollInterval(int) override {}
  void SetDepth(int depth) override;
  void OnReplayEnd(bool) override {}
  std::string CalibrationFile() const override { return {}; }
  bool CalibrationIsDataFile() const override { return false; }
  int ComputeLogSpeed(int depth, int timeMs) override { return speed_.Compute(depth, timeMs); }

private:
  LogSpeedMeter speed_;
};
