// The calibration wizard: calibrates one channel of the current sonde in
// reference jigs. It walks the engineer through the prompts of the channel's
// regime, counts the sonde's output in each jig against the unit, fits the
// coefficients, draws the correction trace and saves the calibration file
// and its history. It runs on the GUI thread and blocks it while it counts.
#pragma once

#include <QWidget>

#include <array>
#include <ctime>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/docview/dialog.h"
#include "sondedb/calibration.h"
#include "sondedb/calibration/counting.h"
#include "sondedb/calibration/fit.h"
#include "sondedb/calibration/trace.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class CSondenCalibration;

namespace qv {

// What the wizard works against: the unit's operations, the clock of its
// pauses and counting, and the time its saves are dated with.
struct CalibrationWizardServices {
  CountingDevice device = LinkedCountingDevice();
  CountingClock clock = RealCountingClock();
  std::function<std::time_t()> now = [] { return std::time(nullptr); };
};

}  // namespace qv

// Draws the jig points and the fitted curve of its wizard. The plot's own
// rectangle excludes a gutter on the left where the count labels stand.
class CCorrectionTrace : public QWidget {
  Q_OBJECT
public:
  explicit CCorrectionTrace(CSondenCalibration* owner);
  static constexpr int kGutter = 44;
  // The plot rectangle's size (the widget less the gutter).
  int PlotWidth() const { return width() - kGutter; }
  int PlotHeight() const { return height(); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  CSondenCalibration* owner_;
};

class CSondenCalibration : public qv::Dialog, private qv::CountingView {
  Q_OBJECT
public:
  // Control ids (also the widgets' object names).
  enum Control {
    kChannelList = 2031,
    kPrompt = 2355,
    kStepButton = 2265,
    kAbort = 2,
    kValueEdit = 2106,
    kUnitEdit = 2166,
    kOpenCaliper = 2268,
    kCloseCaliper = 2040,
    kProgress = 2130,
    kRateLabel = 2571,
    kRateValue = 2575,
    kRateUnit = 2573,
    kReferenceGroup = 2530,
    kJig1Label = 2532,
    kJig2Label = 2534,
    kJig1Edit = 2526,
    kJig2Edit = 2528,
    kTrace = 2277,
  };

  explicit CSondenCalibration(QWidget* parent = nullptr, qv::CalibrationWizardServices services = {});
  ~CSondenCalibration() override;

  // The set to calibrate; stored by the caller before the wizard runs. The
  // wizard never frees it.
  CalibrationSet* m_pCalibSet = nullptr;
  // The record whose coefficients were computed and saved.
  int SelectedIndex() const { return selected_; }

  // Runs modally: IDOK after Finish, IDCANCEL on Abort, -1 when the wizard
  // ended itself (also when it ends while opening).
  int Run();
  // The code the wizard ended with, or 0 while it runs.
  int EndCode() const { return endCode_; }

  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  // Enter never closes the wizard.
  void OnOK() override {}
  void OnCancel() override;
  void OnContinue();
  void OnSelchangeChannel();
  void OnOpenCaliper();
  void OnCloseCaliper();
  void OnChangeValue();
  void ComputeCorrectionCurve();

  int Step() const { return step_; }
  QWidget* Item(int id) const;
  std::string PromptText() const;

  // What the trace draws.
  int PointCount() const { return pointCount_; }
  const double* References() const { return references_.data(); }
  const uint16_t* Counts() const { return counts_.data(); }
  qv::TraceScale Scale() const { return scale_; }
  const std::vector<qv::TracePoint>& CurvePoints() const { return curve_; }
  const std::string& LegendUnit() const { return legendUnit_; }
  int Regime() const { return regime_; }
  static constexpr int kMargin = qv::kTraceMargin;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  // CountingView
  std::string Prompt() const override;
  void SetPrompt(const std::string& text) override;
  void ShowProgress(unsigned range) override;
  void StepProgress() override;
  void HideProgress() override;
  void ShowRate(bool shown) override;
  void SetRate(const std::string& text) override;
  void Pump() override;

  ChannelCalibration* Record() const;
  void End(int code);
  void Show(int id, bool shown);
  void Focus(int id);
  void SetStepText(unsigned id);
  void Prompt(unsigned id);
  void Pause(uint32_t ms);
  bool PowerPause(uint32_t ms);
  void Count(uint16_t seconds);
  uint16_t CountOf(int physicalChannel) const;
  bool CountsInRange(std::initializer_list<int> physicalChannels);
  qv::CountingSetup CountSetup() const;
  // Takes a fit's coefficients into the record, or shows why it was refused
  // and leaves the wizard where only Abort remains.
  bool TakeFit(const qv::FitResult& fit);
  void ShowFitPrompt();
  void Save();
  void InvalidChannel(unsigned promptId);

  void StepPowerAndCaliper(uint32_t pauseMs, bool arms);
  void StepJigCount();
  void StepJig();

  qv::CalibrationWizardServices services_;
  qv::CalibrationCounter counter_;
  qv::CalibrationHistory history_;

  QComboBox* list_;
  QLabel* prompt_;
  std::string promptText_;  // the text last put into the prompt, as the program holds it
  QPushButton* stepButton_;
  QPushButton* abort_;
  QLineEdit* value_;
  QLineEdit* unit_;
  QPushButton* open_;
  QPushButton* close_;
  QProgressBar* progress_;
  QLabel* rateLabel_;
  QLabel* rateValue_;
  QLabel* rateUnit_;
  QGroupBox* refGroup_;
  QLabel* jig1Label_;
  QLabel* jig2Label_;
  QLineEdit* jig1_;
  QLineEdit* jig2_;
  CCorrectionTrace* trace_;

  int selected_ = 0;
  int step_ = 0;
  int regime_ = 0;
  int jigCount_ = 0;
  int pointCount_ = 0;
  int jigIndex_ = 0;
  std::array<double, 4> references_{};
  std::array<uint16_t, 4> counts_{};
  uint16_t jig1Count_ = 0;
  uint16_t jig2Count_ = 0;
  uint16_t background_ = 0;
  uint16_t apiCount_ = 0;
  int nearCount_ = 0;
  int farCount_ = 0;
  int farChannel_ = 0;
  double expectedRatio_ = 0;
  double enteredValue_ = 0;
  bool valueChanged_ = false;
  std::string caption_;
  std::string unitText_;
  std::string legendUnit_;
  std::time_t openedAt_ = 0;
  qv::TraceScale scale_;
  std::vector<qv::TracePoint> curve_;
  int endCode_ = 0;
};
