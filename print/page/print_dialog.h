// The print dialog of the log views: Qt's print dialog (printer, copies,
// collation, print to file; no page range) with an options page that edits
// the view's print settings through the widget-free controller.
#pragma once

#include <QPrintDialog>

#include "print/page/print_dialog_controller.h"
#include "print/page/print_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;

namespace qv::print {

class CQVPrintDlg : public QPrintDialog {
  Q_OBJECT
 public:
  CQVPrintDlg(QPrinter* printer, bool fixedScale, QWidget* parent = nullptr);

  // Set by the view after construction.
  void SetSettings(PrintSettings* settings) { controller_.settings = settings; }
  void SetChain(int chain) { controller_.chain = chain; }
  PrintDialogController& Controller() { return controller_; }

  // Loads the options from the settings; false without settings.
  bool OnInitDialog();
  // Runs the dialog; without settings it ends at once as cancelled.
  int exec() override;
  // Takes the options from the controls; a refused scale keeps the dialog open.
  void accept() override;

  QWidget* OptionsPage() const { return options_; }

 private:
  void Load();
  void Save();

  PrintDialogController controller_;
  QWidget* options_ = nullptr;
  QCheckBox* continuous_ = nullptr;
  QLabel* scaleCaption_ = nullptr;
  QLineEdit* scale_ = nullptr;
  QCheckBox* fit_ = nullptr;
  QCheckBox* header_ = nullptr;
  QCheckBox* separate_ = nullptr;
  QCheckBox* formMarks_ = nullptr;
  QCheckBox* calibration_ = nullptr;
};

// The capabilities of a printer for the page geometry: resolution, the
// printable area and the sheet in device dots, colour or not.
PrinterCaps CapsOf(const QPrinter& printer);
// The printer's paper orientation as the settings keep it: 1 portrait,
// 2 landscape.
int OrientationOf(const QPrinter& printer);
void SetOrientation(QPrinter& printer, int orientation);

}  // namespace qv::print
