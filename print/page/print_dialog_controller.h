// What the print dialog's own options do, without widgets: the dialog's
// copies of the settings, which controls are enabled or shown, and the
// checks and writes of OK. The Qt dialog only mirrors this state into its
// controls and back; tests drive it directly.
#pragma once

#include <string>

#include "print/page/print_settings.h"

namespace qv::print {

// The options' controls as the user sees them.
struct PrintOptionControls {
  int continuousMode = 0;      // "Support continuous mode"
  std::string scaleText;       // "Print with Scale of 1:"
  int fitToPage = 0;           // "Fit depth range to single page"
  int headerPage = 0;          // "Print header page"
  int separatePages = 0;       // "Log on separate page"
  int formMarks = 1;           // "Detect form marks"
  int calibrationDetails = 0;  // "Print calibration details"

  bool scaleVisible = true;  // the scale edit and its caption
  bool scaleEnabled = true;
  bool fitEnabled = true;        // offered for a single file
  bool separateEnabled = false;  // offered for a chained log
};

class PrintDialogController {
 public:
  // FIXED_SCALE: time logs print at scale 1 and the scale is not offered.
  explicit PrintDialogController(bool fixedScale) : fixedScale_(fixedScale) {}

  // Set by the view after construction: its settings (not owned) and whether
  // its log continues in further files.
  PrintSettings* settings = nullptr;
  int chain = 0;

  // Fills the controls from the settings; false without settings (the
  // dialog then ends as cancelled). "Detect form marks" starts checked on
  // every opening whatever the settings say.
  bool OnInitDialog();
  // The "Fit depth range to single page" box was clicked.
  void OnFitToPage(bool checked);
  // Checks the controls (the scale a whole number from 1 to 1200, else the
  // framework's message and false, the settings untouched) and writes them
  // into the settings.
  bool OnOK();

  PrintOptionControls controls;

 private:
  bool fixedScale_;
};

}  // namespace qv::print
