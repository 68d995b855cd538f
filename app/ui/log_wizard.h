// The new-log wizard: a two-page sheet that collects what a new log needs
// (file name and folder, log mode, the sonde's curves, filters, calibration,
// user function, printer output, depth scale) for the current sonde. Its
// controls carry their dialog ids as object names.
#pragma once

#include <string>
#include <vector>

#include "app/newlog/new_log.h"
#include "platform/docview/dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class CLogWizard;

class CLogWizardPage1 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CLogWizardPage1(CLogWizard* sheet);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override;
  void SetUpForSonde();
  static void MakeUniqueFileName(std::string& name, const std::string& folder, const std::string& extension) {
    qv::MakeUniqueFileName(name, folder, extension);
  }
  void OnKillFocusFileName();
  void OnBrowse();
  void OnInitDepthSystem();

  QLineEdit* FileNameEdit() const { return fileName_; }
  QRadioButton* Radio(int index) const { return radios_[index]; }
  QCheckBox* CblMode() const { return cblMode_; }

  std::string m_strSondeAbbreviation;
  std::string m_strDataFolder;
  std::string m_strFileName;
  std::string m_strUnits;
  int m_nLogMode = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CLogWizard* wizard_;
  QCheckBox* cblMode_;
  QLineEdit* fileName_;
  bool askingOverwrite_ = false;    // the overwrite question is open
  std::string overwriteConfirmed_;  // folder and name the user chose to overwrite
  QLabel* units_;
  QRadioButton* radios_[4];  // Up, Down, Time, Async
  QPushButton* browse_;
  QPushButton* initDepth_;
  QPushButton* sondePower_;
};

class CLogWizardPage2 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CLogWizardPage2(CLogWizard* sheet);
  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnKillActive() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  void OnCalibration();
  void OnBrowseCalibration();
  void OnUserFunction();
  void OnFunctionSelected();
  void OnHScroll();
  void OnVScroll();
  void ShowChannelFilter(int channel);
  void SaveChannelFilter(int channel);

  QCheckBox* CalibrationCheck() const { return calibration_; }
  QCheckBox* UserFunctionCheck() const { return userFunction_; }
  QCheckBox* PrinterCheck() const { return printer_; }
  QComboBox* FunctionList() const { return functions_; }
  QComboBox* FilterType() const { return filterType_; }
  QComboBox* DepthScale() const { return depthScale_; }
  QScrollBar* ChannelSpin() const { return channelSpin_; }
  QScrollBar* WidthSpin() const { return widthSpin_; }
  QLabel* ChannelNumber() const { return channelNumber_; }
  QLabel* WidthNumber() const { return widthNumber_; }
  QLineEdit* CoefficientFile() const { return coefficientFile_; }
  QPushButton* BrowseButton() const { return browse_; }

  std::string m_strCalibrationFile;
  int m_nCurrentChannel = 1;
  int m_bPrinterOutput = 0;
  int m_bCalibration = 0;
  int m_bUserFunction = 0;
  int m_nDepthScale = 3;

 private:
  CLogWizard* wizard_;
  QPushButton* browse_;
  QCheckBox* calibration_;
  QScrollBar* channelSpin_;
  QLabel* channelNumber_;
  QLabel* widthNumber_;
  QScrollBar* widthSpin_;
  QComboBox* functions_;
  QLineEdit* coefficientFile_;
  QComboBox* filterType_;
  QCheckBox* printer_;
  QCheckBox* userFunction_;
  QComboBox* depthScale_;
};

class CLogWizard : public qv::PropertySheet {
  Q_OBJECT
 public:
  explicit CLogWizard(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  // Sets the sheet up and runs it modally unless page 1 already ended it;
  // IDOK or IDCANCEL.
  int Run();
  // Sets the sheet up (what Run does before the modal loop); false when the
  // sheet ended at once as cancelled.
  bool Prepare();
  // Ends the sheet as cancelled (also before it is shown).
  void EndCancelled();
  bool Ended() const { return ended_; }

  CLogWizardPage1* Page1() { return &page1_; }
  CLogWizardPage2* Page2() { return &page2_; }

  // The hand-over fields.
  qv::LogWizardResult m_Result;
  // The libraries of the function list, in list order (not handed over).
  std::vector<std::string> m_UserFunctionPaths;

 private:
  CLogWizardPage1 page1_;
  CLogWizardPage2 page2_;
  bool ended_ = false;
};

// Runs the wizard for the current sonde; true with the hand-over in RESULT
// when the user confirmed.
bool RunLogWizard(QWidget* parent, qv::LogWizardResult& result);
