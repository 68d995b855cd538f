// The log document's commands that run a dialog against the unit, and the
// sink that carries the monitor thread's readings to the control bars. The
// document forwards Tools/Change Cable Options and the cable scope here with
// its live unit.
#pragma once

#include <functional>

#include "logdoc/monitor/monitor_thread.h"

class QWidget;
class CCableDlg;
class CScopeShotDlg;

namespace qv {
class LiveDevice;
}

// How a dialog is run: modally in the program (the default); tests drive
// the dialog's handlers and answer IDOK or IDCANCEL.
using CableDialogRunner = std::function<int(CCableDlg&)>;
using ScopeDialogRunner = std::function<int(CScopeShotDlg&)>;

// Reads the cable interface from the unit into the process-wide block, runs
// the cable settings dialog over it and, after "Set", sends the values back
// to the unit (each bad status byte gets its box).
void ChangeCableOptions(qv::LiveDevice& device, QWidget* parent, const CableDialogRunner& run = {});

// Puts the unit into cable-scope mode, runs the cable transmission monitor
// (its monitor thread refreshes the shot) and leaves the unit with logging
// off; a refused switch shows its box instead of the dialog.
void ShowScopeShot(qv::LiveDevice& device, QWidget* parent, const ScopeDialogRunner& run = {});

// The monitor thread's readings to the sonde-control and winch bars of the
// moment. The bars queue them to the GUI thread and show only the newest.
class BarMonitorSink : public qv::MonitorSink {
 public:
  void UpdateStatus(int timeMs, uint8_t status1, uint8_t status2, int receiverStatus) override;
  void UpdateReadings(int tension, int depth, int speed) override;
};
