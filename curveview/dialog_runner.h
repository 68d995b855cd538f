// Runs the view's modal dialogs. The program runs them with exec(); tests
// install a runner that fills the dialog and answers without a modal loop.
#pragma once

#include <functional>
#include <string>

class QDialog;

namespace curveview {

using DialogRunner = std::function<int(QDialog&)>;

// Runs a dialog and returns its result (QDialog::Accepted or Rejected).
int RunDialog(QDialog& dialog);
// Installs a runner (empty restores exec()); returns the previous one.
DialogRunner SetDialogRunner(DialogRunner runner);

// Chooses a print line style (0..7) for a curve title; installed by the
// program (the print-style dialog). Without one nothing is chosen.
using PrintStyleChooser = std::function<bool(const std::string& title, int* style)>;
void SetPrintStyleChooser(PrintStyleChooser chooser);
bool ChoosePrintStyle(const std::string& title, int* style);

// Whether curves wrap round their track when they run past its edge (the View
// menu's "Wrap Curves", on by default).
bool WrapCurves();
void SetWrapCurves(bool wrap);

}  // namespace curveview
