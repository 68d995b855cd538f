// File/Real Time Printer Setup: the main frame's command runs the printer
// set-up dialog modally.
#pragma once

#include <functional>

class QDialog;

namespace qv {

// How the dialog runs: exec() in the program; tests answer it without a
// modal loop.
using PrinterSetupRunner = std::function<int(QDialog& dialog)>;

// Puts the command into the main frame's hooks (Tools()).
void InstallRealTimePrinterSetup(PrinterSetupRunner run = nullptr);

}  // namespace qv
