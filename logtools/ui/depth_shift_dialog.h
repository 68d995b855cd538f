// The dialog "Shift Depth of Log/Log Channels": choose a depth log and where
// the shifted log goes, give one offset for the log or one per channel, and
// start; the dialog stays open after each shift until Close. Controls carry
// their resource ids as object names.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "logtools/engine/depth_shift.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace qv {

class DepthShift : public QDialog {
  Q_OBJECT
 public:
  explicit DepthShift(QWidget* parent = nullptr);

  static int DoShift(const DepthShiftRequest& request) { return DoDepthShift(request); }

  void OnSelectInput();
  void OnSelectOutput();
  void OnShiftChannels();
  void OnShiftLog();
  void OnStart();
  void UpdateControls();

  const DepthShiftRequest& Request() const { return request_; }

 private:
  void OnInitDialog();
  // Members to controls (false) or controls to members with the range check
  // (true); false when a number is refused.
  bool DoDataExchange(bool save);

  DepthShiftRequest request_;
  std::string inputName_;
  std::string outputName_;
  std::string unitText_;
  double offset_ = 0;
  int mode_ = 1;
  std::array<double, 12> channelOffsets_{};

  QLabel* input_;
  QLabel* output_;
  QLabel* unit_;
  QLineEdit* offsetEdit_;
  QRadioButton* channelsRadio_;
  QRadioButton* logRadio_;
  std::array<QLineEdit*, 12> channelEdits_{};
  std::array<QLabel*, 12> channelNames_{};
};

}  // namespace qv
