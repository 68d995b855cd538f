// Runs the view's modal dialogs. The program runs them with exec(); tests
// install a runner that fills the dialog and answers, run inside a modal
// event loop as exec() would run the dialog.
#pragma once

#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace curveview {

using DialogRunner = std::function<int(QDialog&)>;

// Runs a dialog and returns its result (QDialog::Accepted or Rejected).
int RunDialog(QDialog& dialog);
// Installs a runner (empty restores exec()); returns the previous one.
DialogRunner SetDialogRunner(DialogRunner runner);

// Asks for a print line style (0..7) for a curve title with the print-style
// dialog; false when the dialog was cancelled.
bool ChoosePrintStyle(const std::string& title, int* style, QWidget* parent = nullptr);

}  // namespace curveview
