#include "sys_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/control_logic.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/startup/startup.h"
#include "app/ui/bars.h"
#include "app/ui/pemmaro_app.h"
#include "platform/docview/qtext.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "sondedb/combo/combo.h"

namespace {
constexpr unsigned kStrMm = 32351;
constexpr unsigned kStrMft = 32349;
constexpr unsigned kStrCaption = 32222;
constexpr unsigned kStrBadStep = 32372;
constexpr unsigned kStrLogInProgress = 32182;
constexpr unsigned kStrNotSet = 32184;
constexpr unsigned kStrNotSaved = 32120;

QLineEdit* Edit(QWidget* parent, int id) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::number(id));
  return e;
}

// A live log that is recording.
bool LogRunning() {
  LogDocumentShell* doc = ActiveLogDocument();
  return doc && doc->LogState() == 0 && doc->HasLiveDepth();
}

void EditingFinished(QLineEdit* edit, QObject* ctx, std::function<void()> fn) {
  QObject::connect(edit, &QLineEdit::editingFinished, ctx, std::move(fn));
}
}  // namespace

CSysSettings::CSysSettings(QWidget* parent)
    : qv::Dialog(parent),
      encoder_(new QComboBox(this)),
      gauge_(new QComboBox(this)),
      winch_(new QComboBox(this)),
      reverse_(new QCheckBox(QStringLiteral("Reverse direction"), this)),
      depthStep_(Edit(this, 2448)),
      timeStep_(Edit(this, 2443)),
      pulses_(Edit(this, 2440)),
      circumference_(Edit(this, 2451)),
      metric_(new QRadioButton(QStringLiteral("metric"), this)),
      imperial_(new QRadioButton(QStringLiteral("imperial"), this)),
      circumferenceUnit_(new QLabel(this)),
      stepUnit_(new QLabel(this)),
      set_(new QPushButton(QStringLiteral("Set Parameters"), this)) {
  setWindowTitle(QStringLiteral("System Settings"));
  gauge_->addItems({qv::Tr("None"), qv::Tr("Standard")});
  auto* units = new QGroupBox(QStringLiteral("System Units"), this);
  auto* ul = new QGridLayout(units);
  ul->addWidget(metric_, 0, 0);
  ul->addWidget(imperial_, 0, 1);
  ul->addWidget(new QLabel(QStringLiteral("Depth Mode Step"), this), 1, 0);
  ul->addWidget(depthStep_, 1, 1);
  ul->addWidget(stepUnit_, 1, 2);
  ul->addWidget(new QLabel(QStringLiteral("Time Mode Step"), this), 2, 0);
  ul->addWidget(timeStep_, 2, 1);
  ul->addWidget(new QLabel(QStringLiteral("ms"), this), 2, 2);
  auto* winch = new QGroupBox(QStringLiteral("Winch Parameters"), this);
  auto* wl = new QGridLayout(winch);
  wl->addWidget(new QLabel(QStringLiteral("Winch:"), this), 0, 0);
  wl->addWidget(winch_, 0, 1);
  wl->addWidget(new QLabel(QStringLiteral("Encoder:"), this), 1, 0);
  wl->addWidget(encoder_, 1, 1);
  wl->addWidget(new QLabel(QStringLiteral("Gauge:"), this), 2, 0);
  wl->addWidget(gauge_, 2, 1);
  wl->addWidget(reverse_, 3, 0, 1, 2);
  auto* wheel = new QGroupBox(QStringLiteral("Depth Wheel:"), this);
  auto* dl = new QGridLayout(wheel);
  dl->addWidget(new QLabel(QStringLiteral("Circumference:"), this), 0, 0);
  dl->addWidget(circumference_, 0, 1);
  dl->addWidget(circumferenceUnit_, 0, 2);
  dl->addWidget(pulses_, 1, 1);
  dl->addWidget(new QLabel(QStringLiteral("p/rev"), this), 1, 2);
  auto* buttons = new QHBoxLayout;
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  set_->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(set_);
  buttons->addWidget(cancel);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(units);
  lay->addWidget(winch);
  lay->addWidget(wheel);
  lay->addLayout(buttons);

  connect(set_, &QPushButton::clicked, this, [this] { OnSetParameters(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(metric_, &QRadioButton::clicked, this, [this] { OnMetric(); });
  connect(imperial_, &QRadioButton::clicked, this, [this] { OnImperial(); });
  connect(winch_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnWinchSelected(); });
  connect(encoder_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnEncoderSelected(); });
  EditingFinished(pulses_, this, [this] { OnKillFocusPulses(); });
  EditingFinished(circumference_, this, [this] { OnKillFocusCircumference(); });
}

int CSysSettings::UnitsShown() const { return imperial_->isChecked() ? 1 : metric_->isChecked() ? 0 : -1; }

void CSysSettings::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_CBIndex(dx, encoder_, m_nEncoder);
  qv::DDX_Check(dx, reverse_, m_bReverse);
  qv::DDX_Text(dx, depthStep_, m_nDepthStep);
  qv::DDX_CBIndex(dx, gauge_, m_nGauge);
  qv::DDX_CBIndex(dx, winch_, m_nWinch);
  qv::DDX_Text(dx, timeStep_, m_nTimeStep);
  qv::DDV_MinMaxInt(dx, m_nTimeStep, 10, 1000);
  if (dx.Saving()) {
    m_nUnits = UnitsShown();
  } else {
    metric_->setChecked(m_nUnits == 0);
    imperial_->setChecked(m_nUnits == 1);
  }
  qv::DDX_Text(dx, circumferenceUnit_, m_strCircumferenceUnit);
  qv::DDX_Text(dx, stepUnit_, m_strStepUnit);
  qv::DDX_Text(dx, pulses_, m_nPulses);
  qv::DDV_MinMaxInt(dx, m_nPulses, 0, 20000);
  qv::DDX_Text(dx, circumference_, m_dCircumference);
  qv::DDV_MinMaxDouble(dx, m_dCircumference, 0, 10000);
}

bool CSysSettings::OnInitDialog() {
  if (g_pUnitConfig) {
    m_nEncoder = g_pUnitConfig->encoderId;
    m_bReverse = g_pUnitConfig->reverseWheelDirection;
    m_nWinch = g_pUnitConfig->winchId;
  }
  if (const qv::AcquisitionSetup* s = g_pAcquisitionSetup) {
    m_dMetricCircumference = s->SP2;
    m_dImperialCircumference = s->DAC2;
    m_nPulses = s->PulsesPerRevolution;
  }
  m_nUnits = g_nDepthUnits ? 1 : 0;
  m_dCircumference = m_nUnits ? m_dImperialCircumference : m_dMetricCircumference;
  m_nTimeStep = g_nTimeStep;
  m_nDepthStep = m_nUnits ? g_nDepthStepImperial : g_nDepthStepMetric;
  qv::FillComboFromTable(winch_, "WINCH");
  qv::FillComboFromTable(encoder_, "ENCODER");
  qv::Dialog::OnInitDialog();
  if (LogRunning()) set_->setEnabled(false);
  LogDocumentShell* doc = ActiveLogDocument();
  if (g_bLogDocumentOpen && doc)
    setWindowTitle(qv::QStr(qv::FormatC(qv::LoadString(kStrCaption).c_str(), qv::StdStr(windowTitle()).c_str(),
                                        doc->SondeName().c_str())));
  ShowUnits();
  return true;
}

void CSysSettings::ShowUnits() {
  const bool imperial = m_nUnits == 1;
  m_strCircumferenceUnit = m_strStepUnit = qv::LoadString(imperial ? kStrMft : kStrMm);
  m_nDepthStep = imperial ? g_nDepthStepImperial : g_nDepthStepMetric;
  m_dCircumference = imperial ? m_dImperialCircumference : m_dMetricCircumference;
  UpdateData(false);
}

void CSysSettings::OnImperial() {
  if (!UpdateData(true)) return;
  // The value shown was the metric one.
  m_dMetricCircumference = m_dCircumference;
  m_nUnits = 1;
  ShowUnits();
}

void CSysSettings::OnMetric() {
  if (!UpdateData(true)) return;
  m_dImperialCircumference = m_dCircumference;
  m_nUnits = 0;
  ShowUnits();
}

void CSysSettings::OnKillFocusCircumference() {
  double v = 0;
  if (!qv::ParseDouble(qv::StdStr(circumference_->text()), &v) || v == m_dCircumference) return;
  m_dCircumference = v;
  if (UnitsShown() == 1) {
    m_dImperialCircumference = v;
    m_dMetricCircumference = v * kMetresPerFoot;
  } else {
    m_dMetricCircumference = v;
    m_dImperialCircumference = v * kFeetPerMetre;
  }
}

void CSysSettings::OnWinchSelected() {
  const int sel = winch_->currentIndex();
  if (sel < 0) return;
  UpdateData(true);
  m_nWinch = sel;
  double sp2 = 0, dac2 = 0;
  int reverse = 0;
  if (qv::GetWinchSetPoint(sel, &sp2, &dac2, &reverse)) {
    m_dMetricCircumference = sp2;
    m_dImperialCircumference = dac2;
    m_bReverse = reverse;
  }
  m_dCircumference = m_nUnits == 1 ? m_dImperialCircumference : m_dMetricCircumference;
  UpdateData(false);
}

void CSysSettings::OnEncoderSelected() {
  const int sel = encoder_->currentIndex();
  if (sel < 0) return;
  m_nEncoder = sel;
  m_nPulses = qv::GetEncoderPulsesPerRevolution(sel);
  pulses_->setText(qv::QStr(qv::FormatC("%d", m_nPulses)));
}

void CSysSettings::OnKillFocusPulses() {
  int v = 0;
  if (!qv::ParseInt(qv::StdStr(pulses_->text()), &v) || v < 1 || v > 20000) {
    qv::Beep(0);
    pulses_->setText(qv::QStr(qv::FormatC("%d", m_nPulses)));
    return;
  }
  m_nPulses = v;
}

bool CSysSettings::OnSaveParameters() {
  if (!UpdateData(true)) return false;
  m_nTimeStep = g_nTimeStep;
  (m_nUnits == 1 ? g_nDepthStepImperial : g_nDepthStepMetric) = m_nDepthStep;
  if (qv::AcquisitionSetup* s = g_pAcquisitionSetup) {
    s->WinchId = m_nWinch;
    s->WinchActive = 1;
    s->ReverseWheelDirection = m_bReverse;
    (m_nUnits == 1 ? m_dImperialCircumference : m_dMetricCircumference) = m_dCircumference;
    s->SP2 = m_dMetricCircumference;
    s->DAC2 = m_dImperialCircumference;
    s->EncoderId = m_nEncoder;
    s->PulsesPerRevolution = m_nPulses;
    s->EncoderActive = 1;
    s->CableActive = 1;
    if (const CableInterfaceBlock* c = g_pCableInterface) {
      s->PulseWidth = c->pulseWidth;
      s->CableType = c->cableType;
      s->Gain = c->gain;
      s->Threshold = c->threshold;
      s->BaudRate = c->bitRate;
      s->Drive = c->drive;
    }
    s->TensionGauge = m_nGauge < 1 ? 0 : 2;
  }
  ComputeSampleInterval();
  const std::string profile = qv::ProgramProfileFile();
  auto put = [&profile](const char* key, int value) {
    qv::WritePrivateProfileString("SystemParameters", key, qv::FormatC("%d", value).c_str(), profile);
  };
  put("DephUnits", m_nUnits);
  put(m_nUnits == 1 ? "DepthStepImperial" : "DepthStepMetric", m_nDepthStep);
  put("TimeStep", m_nTimeStep);
  put("SampleInterval", g_nSampleInterval);
  if (!g_pAcquisitionSetup || !qv::SaveAcquisitionSetup(g_pAcquisitionSetup, 0)) {
    qv::ShowMessageBox(qv::LoadString(kStrNotSaved), {}, qv::MB_OK | qv::MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

void CSysSettings::OnSetParameters() {
  if (!UpdateData(true)) return;
  const int n = DepthCount(m_nUnits);
  if (!ValidDepthStep(m_nDepthStep, m_nUnits)) {
    qv::ShowMessageBox(qv::FormatC(qv::LoadString(kStrBadStep).c_str(), n, n), {}, qv::MB_OK | qv::MB_ICONSTOP);
    depthStep_->setFocus();
    return;
  }
  if (LogRunning()) {
    qv::ShowMessageBox(qv::LoadString(kStrLogInProgress));
    return;
  }
  g_nTimeStep = m_nTimeStep;
  const double factor = DepthFactor(g_nDepthUnits, m_nUnits);
  OnSaveParameters();
  g_nDepthUnits = m_nUnits;
  UpdateUnitLabels();
  if (g_pUnitConfig) {
    g_pUnitConfig->encoderId = static_cast<uint8_t>(m_nEncoder);
    g_pUnitConfig->reverseWheelDirection = static_cast<uint8_t>(m_bReverse);
    g_pUnitConfig->winchId = static_cast<uint8_t>(m_nWinch);
  }
  bool ok = false;
  if (LogDocumentShell* doc = ActiveLogDocument()) {
    doc->SetDepth(ScaleDepth(doc->CurrentDepth(), factor));
    // No other thread talks to the unit between the bring-up and the return
    // to monitoring.
    qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
    std::string error;
    ok = InitHardware(3, &error) != 0;
    if (doc->IsMonitoring()) {
      LoggingModeBlock monitor{doc->ComStd(), doc->ToolType(), 1000, 14, 0};
      SetLoggingMode(&monitor);
    }
  }
  if (CWinchControl* bar = g_pWinchControl) bar->LoadWinchSetup();
  if (ok)
    EndDialog(QDialog::Accepted);
  else
    qv::ShowMessageBox(qv::LoadString(kStrNotSet));
}
