// Tools/Calibration: calibrates a channel of the current sonde in its jigs
// with the wizard, against the unit, and records the finished calibration in
// the sonde database.
#pragma once

#include <functional>

#include "sondedb/calui/wizard.h"

class QWidget;

namespace qv {

// How the command runs its wizard: modally in the program; tests drive the
// wizard's handlers instead. The result is the wizard's (IDOK after Finish).
using CalibrationWizardRunner = std::function<int(CSondenCalibration& wizard)>;

// Needs the current sonde and its power switched on. The unit's logging is
// switched off while the wizard runs and the active document's monitoring is
// restored afterwards.
void RunCalibrationCommand(QWidget* parent, CalibrationWizardServices services = {},
                           const CalibrationWizardRunner& run = nullptr);

}  // namespace qv
