// The dialog "LAS Export Utility": choose a recorded six- or twelve-channel
// log, the LAS file, the calibration source, a user function, the depth range
// and interval, raw-data filtering, the depth direction and the channels;
// Start runs the export and says how it went. The dialog stays open for
// further exports until Close. Controls carry their resource ids as object
// names.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "header/header_info.h"
#include "logtools/las/las_export.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class CLASCfg : public QDialog {
  Q_OBJECT
 public:
  explicit CLASCfg(QWidget* parent = nullptr);

  void OnBrowseInput();
  void OnBrowseOutput();
  void OnBrowseCalibration();
  void OnCalibrationChange();
  void OnUserFunctionChange();
  void OnFromKillFocus();
  void OnToKillFocus();
  void OnIntervalChange();
  void OnRawFilter();
  void OnReverseDepth();
  void OnChannelCheck(QListWidgetItem* item);
  void OnStart();

  const LasExportSettings& Settings() const { return settings_; }
  const HeaderInfo& Header() const { return header_; }
  const CurveArray& Channels() const { return channels_; }

 private:
  void LoadInputLog();
  void FillChannelList();
  void FillIntervalCombo();
  void FillCalibrationCombo();
  void FillUserFunctionCombo();
  void EnableControls();
  void ShowNames();

  std::string inputName_;
  std::string outputName_;
  std::vector<std::string> calibrationPaths_;
  std::vector<std::string> userFunctionPaths_;
  CurveArray channels_;
  LasExportSettings settings_;
  HeaderInfo header_;
  // The chosen log's header was read: without it the dialog has no depths,
  // step or range of that log, and Start stays disabled.
  bool headerRead_ = false;
  bool filling_ = false;  // the list is being filled: check changes are not the user's

  QLabel* input_;
  QLabel* output_;
  QComboBox* calibration_;
  QPushButton* calibrationBrowse_;
  QComboBox* userFunction_;
  QListWidget* list_;
  QCheckBox* rawFilter_;
  QLineEdit* from_;
  QLineEdit* to_;
  QComboBox* interval_;
  QLabel* unit_;
  QCheckBox* reverse_;
  QPushButton* start_;
};
