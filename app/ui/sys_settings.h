// The System Settings dialog: depth units, depth and time steps, winch,
// encoder, depth wheel and tension gauge. Set Parameters stores them in the
// settings, the profile and the sonde database, moves the unit's depth into
// the new units and brings the unit up again.
#pragma once

#include <string>

#include "platform/docview/dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CSysSettings : public qv::Dialog {
  Q_OBJECT
public:
  explicit CSysSettings(QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  void OnSetParameters();
  bool OnSaveParameters();
  void OnWinchSelected();
  void OnEncoderSelected();
  void OnMetric();
  void OnImperial();
  void ShowUnits();
  void OnKillFocusPulses();
  void OnKillFocusCircumference();

  QLineEdit* DepthStepEdit() const { return depthStep_; }
  QLineEdit* TimeStepEdit() const { return timeStep_; }
  QLineEdit* PulsesEdit() const { return pulses_; }
  QLineEdit* CircumferenceEdit() const { return circumference_; }
  QComboBox* GaugeList() const { return gauge_; }
  QComboBox* WinchList() const { return winch_; }
  QComboBox* EncoderList() const { return encoder_; }
  QRadioButton* MetricButton() const { return metric_; }
  QRadioButton* ImperialButton() const { return imperial_; }
  QPushButton* SetButton() const { return set_; }

  int m_nEncoder = 0;
  int m_bReverse = 0;
  int m_nDepthStep = 0;
  int m_nGauge = 0;
  int m_nWinch = 0;
  int m_nTimeStep = 10;
  int m_nUnits = -1;
  std::string m_strCircumferenceUnit;
  std::string m_strStepUnit;
  int m_nPulses = 0;
  double m_dCircumference = 400.0;
  double m_dMetricCircumference = 400.0;
  double m_dImperialCircumference = 400.0 * 3.280839895;

private:
  int UnitsShown() const;
  QComboBox *encoder_, *gauge_, *winch_;
  QCheckBox* reverse_;
  QLineEdit *depthStep_, *timeStep_, *pulses_, *circumference_;
  QRadioButton *metric_, *imperial_;
  QLabel *circumferenceUnit_, *stepUnit_;
  QPushButton* set_;
};
