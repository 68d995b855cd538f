// CReplayDlg: the replay settings a recorded log is opened with. It reads the
// log's header file, lets the user choose the depth range, the depth scale,
// the calibration and its coefficients, a user function, a raw-data filter
// per channel, real-time printing and whether the linked logs of the chain
// play on, checks the range and hands the result to the opener. It writes
// nothing. Its controls carry their dialog ids as object names.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/newlog/new_log.h"
#include "header/header_info.h"
#include "logdoc/replayui/replay_range.h"
#include "platform/docview/dialog.h"
#include "sondedb/records/records.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// What the replay settings hand to the replayed log.
struct ReplaySettings {
  std::string fileName;  // the log's title
  std::string dataPath;  // the data file (.VDL or .CBL for the waveform tools)
  int toolType = -1;
  int logMode = 0;
  int depthStep = 0;
  int depthUnits = 0;  // 0 metres, else feet
  int depthScaleIndex = 3;
  int startDepth = 0;  // the chosen range, header units
  int endDepth = 0;
  std::array<qv::LogChannel, qv::kLogChannels> channels{};
  CurveArray curves;
  TrackArray tracks;
  std::array<ChannelFilter, kFilterTableSize> filters{};  // by physical channel - 1
  std::string calibrationFile;
  bool calibrationFromDataFile = false;
  std::string userLibrary;
  bool calibration = false;
  bool userFunction = false;
  bool printer = false;
  bool followChain = false;  // the linked logs of the chain play on
  TrailerText trailer;
};

class CReplayDlg : public qv::Dialog {
  Q_OBJECT
 public:
  CReplayDlg(const std::string& fileTitle, const std::string& dataFile, QWidget* parent = nullptr);
  ~CReplayDlg() override;

  // IDOK after "Initialize"; IDCANCEL after "Abort" or when the log's header
  // could not be read (then the dialog never shows).
  int DoModal();
  // Initialises the dialog as showing it would; false when it ended at once.
  bool Initialise();
  // The result after the dialog ended (IDOK, IDCANCEL), 0 while it runs.
  int Result() const { return ended_; }
  // After IDOK: the settings, with the curves, tracks and trailer text moved out.
  ReplaySettings TakeSettings();

  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  void OnOK() override;
  void OnCancel() override;
  void OnBrowseCoefficientFile();
  void OnCalibration();
  void OnUserFunction();
  void OnSelChangeUserFunction();
  void OnKillFocusFromDepth();
  void OnKillFocusToDepth();
  void OnPlotLinkedLogs();
  void OnHScroll();
  void OnVScroll();
  void ReloadLogChannels();
  void ShowChannelFilter(int channel);
  void StoreChannelFilter(int channel);

  QComboBox* DepthScale() const { return depthScale_; }
  QLineEdit* FromEdit() const { return from_; }
  QLineEdit* ToEdit() const { return to_; }
  QLabel* UnitText() const { return unit_; }
  QCheckBox* RealtimeCheck() const { return realtime_; }
  QCheckBox* PlotLinkedCheck() const { return plotLinked_; }
  QCheckBox* CalibrationCheck() const { return calibration_; }
  QLabel* CoefficientLabel() const { return coefficientLabel_; }
  QComboBox* Coefficients() const { return coefficients_; }
  QPushButton* BrowseButton() const { return browse_; }
  QCheckBox* UserFunctionCheck() const { return userFunction_; }
  QComboBox* FunctionList() const { return functions_; }
  QScrollBar* ChannelSpin() const { return channelSpin_; }
  QLabel* ChannelNumber() const { return channelNumber_; }
  QComboBox* FilterType() const { return filterType_; }
  QScrollBar* StrengthSpin() const { return strengthSpin_; }
  QLabel* WidthNumber() const { return widthNumber_; }

  int m_bRealtimePrint = 0;
  int m_bUserFunction = 0;
  int m_bCalibration = 0;
  int m_bPlotLinkedLogs = 0;
  double m_dFromDepth = 0;
  double m_dToDepth = 0;
  std::string m_strDepthUnit;
  int m_nDepthUnit = 0;
  bool m_bHeaderRead = false;
  bool m_bRangeError = false;
  bool m_bDownward = false;
  std::array<qv::LogChannel, qv::kLogChannels> m_ChannelCaptions{};
  int m_nReplayFrom = 0;
  int m_nReplayTo = 0;
  int m_nCurrentChannel = 0;
  double m_dStartLimit = 0;
  double m_dEndLimit = 0;
  std::vector<std::string> m_UserFunctionLibraries;
  CurveArray m_Curves;
  TrackArray m_Tracks;
  CalibrationArray m_Calibrations;
  std::array<ChannelFilter, kFilterTableSize> m_Filters{};
  TrailerText m_TrailerText;
  std::string m_strDataFile;
  std::string m_strFileTitle;
  std::string m_strCoefficientFile;
  std::string m_strUserLibrary;
  std::string m_strSondeAbbreviation;
  std::string m_strChainTo;
  int m_nToolKind = -1;
  int m_nLogMode = 0;
  int m_nDepthScaleIndex = 0;
  int m_nHeaderScale = 0;
  int m_nHeaderStep = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  qv::ReplayRangeLimits Limits() const;
  // The two edits into the depths; a text that is no number reads as NaN.
  void ReadRange();
  void ShowRange();
  // After a click on "Plot linked logs": the range edits take input unless
  // the chain fixes the range (a time log's range is always its own).
  void EnableRangeEdits();
  // Runs the check of one edit; true when it had to reset it to the log's
  // limit (with a beep, the focus back in the edit and the range error set).
  bool CheckFrom();
  bool CheckTo();
  bool ResetIfWrong(bool wrong, QLineEdit* edit, double& value, double limit);
  void Finish(int result);

  QCheckBox* calibration_;
  QComboBox* coefficients_;
  QPushButton* browse_;
  QComboBox* functions_;
  QComboBox* depthScale_;
  QLabel* channelNumber_;
  QScrollBar* strengthSpin_;
  QScrollBar* channelSpin_;
  QComboBox* filterType_;
  QLabel* widthNumber_;
  QLineEdit* from_;
  QLineEdit* to_;
  QLabel* unit_;
  QCheckBox* realtime_;
  QCheckBox* plotLinked_;
  QLabel* coefficientLabel_;
  QCheckBox* userFunction_;
  QPushButton* initialize_;
  QPushButton* abort_;
  int ended_ = 0;
};
