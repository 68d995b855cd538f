// The modal dialog "Real Time Printer Setup": port, recorder model, medium,
// televiewer image processing and fold-mark detection, and the test page.
// Its logic is SetupPrnController; the dialog mirrors its controls.
#pragma once

#include <map>

#include "platform/docview/dialog.h"
#include "print/recorder/setup_prn_controller.h"

class QAbstractButton;

class CSetupPrn : public qv::Dialog {
  Q_OBJECT
 public:
  explicit CSetupPrn(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnApply();
  void OnTestPrinter();
  QAbstractButton* Control(int id) const;
  SetupPrnController& Controller() { return controller_; }

 private:
  void OnClicked(int id);
  // Puts the controller's states into the widgets.
  void ShowControls();
  SetupPrnController controller_;
  std::map<int, QAbstractButton*> controls_;
};
