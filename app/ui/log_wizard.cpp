#include "app/ui/log_wizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "header/section_access.h"
#include "header/user_function_ini.h"
#include "logdoc/replayui/setup_panels.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/calibration.h"
#include "sondedb/display.h"
#include "sondedb/lookups.h"

namespace {

constexpr unsigned kStrCaption = 32049;
constexpr unsigned kStrNotSupported = 32185;
constexpr unsigned kStrNoToolParameters = 32148;
constexpr unsigned kStrOverwrite = 32269;
constexpr unsigned kStrLogFilter = 32275;
constexpr unsigned kStrCalibrationFilter = 32045;
constexpr unsigned kStrImperial = 32243;
constexpr unsigned kStrMetric = 32080;
constexpr unsigned kStrNewLog = 32074;
constexpr unsigned kStrOk = 32369;
constexpr unsigned kStrAbort = 32336;

constexpr const char* kLogExtension = "LOG";

using qv::Named;

bool Imperial() {
  return g_nDepthUnits != 0;
}

// The file name without folder and extension.
std::string FileTitle(const std::string& path) {
  const std::string name = qv::FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

// ===========================================================================
CLogWizardPage1::CLogWizardPage1(CLogWizard* sheet)
    : qv::PropertyPage("General Settings"),
      wizard_(sheet),
      cblMode_(Named(new QCheckBox(QStringLiteral("Log sonic in CBL mode"), this), 2200)),
      fileName_(Named(new QLineEdit(this), 2204)),
      units_(Named(new QLabel(this), 2198)),
      radios_{Named(new QRadioButton(QStringLiteral("Up"), this), 2203),
              Named(new QRadioButton(QStringLiteral("Down"), this), 2201),
              Named(new QRadioButton(QStringLiteral("Time"), this), 2202),
              Named(new QRadioButton(QStringLiteral("Async (BHTV)"), this), 2199)},
      browse_(Named(new QPushButton(QStringLiteral("Browse"), this), 2197)),
      initDepth_(Named(new QPushButton(QStringLiteral("Init Depth System"), this), 2205)),
      sondePower_(Named(new QPushButton(QStringLiteral("Sonde Power"), this), 1036)) {
  auto* lay = new QGridLayout(this);
  lay->addWidget(new QLabel(QStringLiteral("Name for log file:"), this), 0, 0);
  lay->addWidget(fileName_, 0, 1);
  lay->addWidget(browse_, 0, 2);
  auto* group = new QGroupBox(QStringLiteral("Log Mode"), this);
  auto* gl = new QGridLayout(group);
  gl->addWidget(new QLabel(QStringLiteral("Depth based"), group), 0, 0);
  gl->addWidget(radios_[0], 1, 0);
  gl->addWidget(radios_[1], 2, 0);
  gl->addWidget(new QLabel(QStringLiteral("Time based"), group), 0, 1);
  gl->addWidget(radios_[2], 1, 1);
  gl->addWidget(radios_[3], 2, 1);
  lay->addWidget(group, 1, 0, 1, 2);
  auto* side = new QVBoxLayout;
  side->addWidget(initDepth_);
  side->addWidget(cblMode_);
  side->addWidget(sondePower_);
  side->addStretch(1);
  lay->addLayout(side, 1, 2);
  auto* unitsRow = new QHBoxLayout;
  unitsRow->addWidget(new QLabel(QStringLiteral("System depth units:"), this));
  unitsRow->addWidget(units_);
  unitsRow->addStretch(1);
  lay->addLayout(unitsRow, 2, 0, 1, 3);
  // The template keeps these two hidden and disabled; the check box's state
  // still decides how a full-wave sonic sonde is logged.
  cblMode_->hide();
  cblMode_->setEnabled(false);
  sondePower_->hide();
  sondePower_->setEnabled(false);

  fileName_->installEventFilter(this);
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(initDepth_, &QPushButton::clicked, this, [this] { OnInitDepthSystem(); });
}

bool CLogWizardPage1::eventFilter(QObject* watched, QEvent* event) {
  // The edit also "loses" the focus when another window (the question box
  // itself among them) becomes active; the user has not left the name then.
  if (watched == fileName_ && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) OnKillFocusFileName();
  }
  return qv::PropertyPage::eventFilter(watched, event);
}

void CLogWizardPage1::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, fileName_, m_strFileName);
  qv::DDX_Text(dx, units_, m_strUnits);
  // The radio group: the index of the checked button, -1 when none is.
  if (dx.Saving()) {
    m_nLogMode = -1;
    for (int i = 0; i < 4; ++i)
      if (radios_[i]->isChecked()) m_nLogMode = i;
  } else {
    for (int i = 0; i < 4; ++i) radios_[i]->setChecked(i == m_nLogMode);
  }
}

bool CLogWizardPage1::OnInitDialog() {
  m_nLogMode = 0;
  m_strUnits = qv::LoadString(Imperial() ? kStrImperial : kStrMetric);
  m_strDataFolder = qv::DefaultLogFolder();
  m_strFileName = qv::LoadFileString(kStrNewLog);
  MakeUniqueFileName(m_strFileName, m_strDataFolder, kLogExtension);
  UpdateData(false);
  SetUpForSonde();
  return true;
}

void CLogWizardPage1::SetUpForSonde() {
  qv::LogWizardResult& r = wizard_->m_Result;
  if (g_strCurrentSonde.empty()) {
    qv::ShowMessageBox(qv::LoadString(kStrNotSupported), "", qv::MB_OK | qv::MB_ICONSTOP);
    wizard_->EndCancelled();
    return;
  }
  m_strSondeAbbreviation = g_strCurrentSonde;
  // A sonde whose type cannot be read (not in the database, or the database
  // failed) has no document to log into.
  if (!qv::LoadLogWizardSonde(r, g_strCurrentSonde, g_strSondeSerialNo)) {
    qv::ShowMessageBox(qv::LoadString(kStrNotSupported), "", qv::MB_OK | qv::MB_ICONSTOP);
    wizard_->EndCancelled();
    return;
  }

  const bool fullWave = r.toolType == qv::kToolFullWaveSonic;
  cblMode_->setEnabled(fullWave);
  if (fullWave && qv::IsSondeComStd3(g_strCurrentSonde, g_strSondeSerialNo) == 1) {
    cblMode_->setChecked(true);
    cblMode_->setEnabled(false);
  } else {
    cblMode_->setChecked(false);
  }

  if (!r.sondePowerLoaded) {
    qv::ShowMessageBox(qv::LoadString(kStrNoToolParameters), "", qv::MB_OK);
    sondePower_->setEnabled(false);
  }

  if (r.toolType == qv::kToolTeleviewer) {
    for (int i = 0; i < 3; ++i) {
      radios_[i]->setEnabled(false);
      radios_[i]->setChecked(false);
    }
    radios_[3]->setEnabled(true);
    radios_[3]->setChecked(true);
  } else {
    radios_[0]->setEnabled(true);
    radios_[0]->setChecked(true);
    radios_[1]->setChecked(false);
    radios_[1]->setEnabled(!fullWave);
    radios_[2]->setEnabled(true);
    radios_[2]->setChecked(false);
    radios_[3]->setEnabled(false);
    radios_[3]->setChecked(false);
  }
}

void CLogWizardPage1::OnKillFocusFileName() {
  // One question per name: none while it is open, none again for a name the
  // user chose to overwrite.
  if (askingOverwrite_) return;
  const std::string text = qv::StdStr(fileName_->text());
  if (!qv::FileNameTaken(m_strDataFolder, text, kLogExtension)) return;
  if (!overwriteConfirmed_.empty() && qv::EqualNoCase(overwriteConfirmed_, m_strDataFolder + text)) return;
  askingOverwrite_ = true;
  const int answer = qv::ShowMessageBox(qv::LoadString(kStrOverwrite), "", qv::MB_YESNO | qv::MB_ICONQUESTION);
  askingOverwrite_ = false;
  if (answer == qv::IDYES) {
    overwriteConfirmed_ = m_strDataFolder + text;
    return;
  }
  std::string name = text;
  MakeUniqueFileName(name, m_strDataFolder, kLogExtension);
  m_strFileName = name;
  fileName_->setText(qv::QStr(name));
}

void CLogWizardPage1::OnBrowse() {
  qv::FileDialogRequest req;
  req.open = false;
  req.defaultExt = kLogExtension;
  req.filter = qv::LoadString(kStrLogFilter);
  req.initialFolder = m_strDataFolder;
  req.parent = this;
  const std::string path = qv::ShowFileDialog(req);
  if (path.empty()) return;
  const size_t slash = path.find_last_of("/\\");
  m_strDataFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  m_strFileName = FileTitle(path);
  fileName_->setText(qv::QStr(m_strFileName));
}

void CLogWizardPage1::OnInitDepthSystem() {
  CDepthDlg dlg(this);
  dlg.DoModal();
}

bool CLogWizardPage1::OnKillActive() {
  if (!UpdateData(true)) return false;
  qv::LogWizardResult& r = wizard_->m_Result;
  if (r.toolType == qv::kToolFullWaveSonic && cblMode_->isChecked()) r.toolType = qv::kToolCementBond;
  r.fileName = m_strFileName;
  r.dataFolder = m_strDataFolder;
  r.logMode = qv::LogModeOfRadio(m_nLogMode);
  return true;
}

// ===========================================================================
CLogWizardPage2::CLogWizardPage2(CLogWizard* sheet)
    : qv::PropertyPage("Data Processing"),
      wizard_(sheet),
      browse_(Named(new QPushButton(QStringLiteral("Browse..."), this), 2207)),
      calibration_(Named(new QCheckBox(QStringLiteral("Calibration"), this), 2208)),
      channelSpin_(Named(new QScrollBar(Qt::Horizontal, this), 2219)),
      channelNumber_(Named(new QLabel(this), 2211)),
      widthNumber_(Named(new QLabel(this), 2214)),
      widthSpin_(Named(new QScrollBar(Qt::Vertical, this), 2220)),
      functions_(Named(new QComboBox(this), 2217)),
      coefficientFile_(Named(new QLineEdit(this), 2209)),
      filterType_(Named(new QComboBox(this), 2215)),
      printer_(Named(new QCheckBox(QStringLiteral("Printer Output"), this), 2218)),
      userFunction_(Named(new QCheckBox(QStringLiteral("User function"), this), 2216)),
      depthScale_(Named(new QComboBox(this), 2212)) {
  auto* lay = new QGridLayout(this);
  lay->addWidget(new QLabel(QStringLiteral("Depth\nScale:"), this), 0, 0);
  lay->addWidget(depthScale_, 0, 1);
  lay->addWidget(printer_, 1, 0, 1, 2);
  lay->addWidget(calibration_, 2, 0, 1, 2);
  lay->addWidget(new QLabel(QStringLiteral("Coefficient file:"), this), 3, 0);
  lay->addWidget(coefficientFile_, 3, 1);
  lay->addWidget(browse_, 3, 2);
  lay->addWidget(userFunction_, 4, 0, 1, 2);
  lay->addWidget(new QLabel(QStringLiteral("Function list:"), this), 5, 0);
  lay->addWidget(functions_, 5, 1, 1, 2);
  auto* group = new QGroupBox(QStringLiteral("Raw Data Filter"), this);
  auto* gl = new QGridLayout(group);
  gl->addWidget(new QLabel(QStringLiteral("Type:"), group), 0, 0);
  gl->addWidget(filterType_, 0, 1, 1, 2);
  gl->addWidget(new QLabel(QStringLiteral("Physical Channel:"), group), 1, 0);
  gl->addWidget(channelNumber_, 1, 1);
  gl->addWidget(channelSpin_, 1, 2);
  gl->addWidget(new QLabel(QStringLiteral("Strength:"), group), 2, 0);
  gl->addWidget(widthNumber_, 2, 1);
  gl->addWidget(widthSpin_, 2, 2);
  lay->addWidget(group, 0, 3, 6, 1);
  channelSpin_->setFixedWidth(40);
  widthSpin_->setFixedHeight(40);
  // Up raises the strength, as on a spin control.
  widthSpin_->setInvertedAppearance(true);
  widthSpin_->setRange(0, kMaxFilterSpin);
  channelSpin_->setRange(1, 6);
  browse_->setEnabled(false);
  coefficientFile_->setEnabled(false);

  connect(calibration_, &QCheckBox::clicked, this, [this] { OnCalibration(); });
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowseCalibration(); });
  connect(userFunction_, &QCheckBox::clicked, this, [this] { OnUserFunction(); });
  connect(functions_, qOverload<int>(&QComboBox::activated), this, [this](int) { OnFunctionSelected(); });
  connect(channelSpin_, &QScrollBar::valueChanged, this, [this](int) { OnHScroll(); });
  connect(widthSpin_, &QScrollBar::valueChanged, this, [this](int) { OnVScroll(); });
}

void CLogWizardPage2::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Check(dx, printer_, m_bPrinterOutput);
  qv::DDX_Check(dx, calibration_, m_bCalibration);
  qv::DDX_Check(dx, userFunction_, m_bUserFunction);
  qv::DDX_CBIndex(dx, depthScale_, m_nDepthScale);
}

bool CLogWizardPage2::OnInitDialog() {
  // The calibration file the database names for the sonde stays chosen
  // unless the user browses for another: a calibrated log must not fall back
  // to identity coefficients because the page was merely passed through.
  m_strCalibrationFile = wizard_->m_Result.calibrationFile;
  coefficientFile_->setText(qv::QStr(FileTitle(m_strCalibrationFile)));
  functions_->setCurrentIndex(0);
  filterType_->clear();
  for (unsigned id : kFilterTypeNames) filterType_->addItem(qv::QStr(qv::LoadString(id)));
  filterType_->setCurrentIndex(0);
  depthScale_->clear();
  if (Imperial()) {
    for (int scale : g_ImperialDepthScales) depthScale_->addItem(qv::QStr(qv::FormatC("1:%d", scale)));
  } else {
    for (int scale : g_MetricDepthScales) depthScale_->addItem(qv::QStr(qv::FormatC("1:%d", scale)));
  }
  return true;
}

bool CLogWizardPage2::OnSetActive() {
  const qv::LogWizardResult& r = wizard_->m_Result;
  coefficientFile_->setReadOnly(true);
  const bool enable = r.toolType != qv::kToolTeleviewer;
  for (QWidget* w :
       std::initializer_list<QWidget*>{calibration_, browse_, filterType_, widthSpin_, userFunction_, functions_})
    w->setEnabled(enable);
  channelNumber_->setText(QStringLiteral("1"));

  const bool hadUserFunction = userFunction_->isChecked();
  userFunction_->setChecked(false);
  const bool offersFunctions =
      r.toolType == qv::kToolSixChannel || r.toolType == qv::kToolTwelveChannel || r.toolType == qv::kToolSonic;
  if (offersFunctions) {
    userFunction_->setEnabled(true);
    functions_->setEnabled(true);
    FillUserFunctionCombo(r.sondeAbbreviation, functions_, &wizard_->m_UserFunctionPaths);
    functions_->setCurrentIndex(0);
  }
  if (!offersFunctions || wizard_->m_UserFunctionPaths.empty()) {
    userFunction_->setEnabled(false);
    functions_->setEnabled(false);
    functions_->clear();
    functions_->setCurrentIndex(-1);
  }
  // The check is cleared on every visit: the curves must then be the sonde's
  // own again, not the outputs of a function that will not run.
  if (hadUserFunction) OnUserFunction();

  const bool twelve = r.toolType == qv::kToolTwelveChannel || r.toolType == qv::kToolSonic;
  {
    const QSignalBlocker block(channelSpin_);
    channelSpin_->setRange(1, twelve ? 12 : 6);
    channelSpin_->setValue(1);
  }
  m_nCurrentChannel = 1;
  ShowChannelFilter(1);

  if (r.logMode == qv::kLogModeAsync || r.logMode == qv::kLogModeTime) {
    depthScale_->setCurrentIndex(-1);
    depthScale_->setEnabled(false);
  } else {
    depthScale_->setEnabled(true);
    depthScale_->setCurrentIndex(Imperial() ? 1 : 3);
  }
  OnCalibration();
  return true;
}

void CLogWizardPage2::ShowChannelFilter(int channel) {
  if (channel < 1 || channel > 12) return;
  ShowFilterEntry(wizard_->m_Result.filters[static_cast<size_t>(channel - 1)], filterType_, widthSpin_, widthNumber_);
}

void CLogWizardPage2::SaveChannelFilter(int channel) {
  if (channel < 1 || channel > 12) return;
  StoreFilterEntry(wizard_->m_Result.filters[static_cast<size_t>(channel - 1)], filterType_, widthSpin_);
}

void CLogWizardPage2::OnHScroll() {
  SaveChannelFilter(m_nCurrentChannel);
  const int channel = channelSpin_->value();
  ShowChannelFilter(channel);
  channelNumber_->setText(qv::QStr(qv::FormatC("%d", channel)));
  m_nCurrentChannel = channel;
}

void CLogWizardPage2::OnVScroll() {
  widthNumber_->setText(qv::QStr(qv::FormatC("%u", static_cast<unsigned>(2 * widthSpin_->value() + 1))));
}

void CLogWizardPage2::OnCalibration() {
  const bool on = calibration_->isChecked();
  browse_->setEnabled(on);
  coefficientFile_->setEnabled(on);
}

void CLogWizardPage2::OnBrowseCalibration() {
  qv::FileDialogRequest req;
  req.open = true;
  req.defaultExt = "CAL";
  req.filter = qv::LoadString(kStrCalibrationFilter);
  req.initialFolder = qv::CalibrationFolder();
  req.mustExist = true;
  req.parent = this;
  const std::string path = qv::ShowFileDialog(req);
  if (path.empty()) return;
  coefficientFile_->setText(qv::QStr(FileTitle(path)));
  m_strCalibrationFile = path;
}

void CLogWizardPage2::OnFunctionSelected() {
  const int i = functions_->currentIndex();
  if (i < 0 || i >= static_cast<int>(wizard_->m_UserFunctionPaths.size())) return;
  wizard_->m_Result.userFunctionPath = wizard_->m_UserFunctionPaths[static_cast<size_t>(i)];
  OnUserFunction();
}

void CLogWizardPage2::OnUserFunction() {
  qv::LogWizardResult& r = wizard_->m_Result;
  if (!userFunction_->isChecked()) {
    qv::LoadDisplayParametersFromDatabase(&r.tracks, &r.curves, r.sondeAbbreviation, g_strSondeSerialNo);
    return;
  }
  const int i = functions_->currentIndex();
  if (i >= 0 && i < static_cast<int>(wizard_->m_UserFunctionPaths.size())) {
    r.userFunctionPath = wizard_->m_UserFunctionPaths[static_cast<size_t>(i)];
    r.curves.clear();
    LoadUserFunctionIni(r.userFunctionPath, &r.curves, nullptr);
    return;
  }
  qv::Beep();
  userFunction_->setChecked(false);
}

bool CLogWizardPage2::OnKillActive() {
  if (!UpdateData(true)) return false;
  qv::LogWizardResult& r = wizard_->m_Result;
  r.printerOutput = m_bPrinterOutput;
  r.calibrationOn = m_bCalibration;
  r.userFunctionOn = m_bUserFunction;
  r.calibrationFile = m_strCalibrationFile;
  r.depthScaleIndex = m_nDepthScale < 0 ? 0 : m_nDepthScale;
  SaveChannelFilter(m_nCurrentChannel);
  return true;
}

// ===========================================================================
CLogWizard::CLogWizard(QWidget* parent)
    : qv::PropertySheet(qv::LoadString(kStrCaption), parent), page1_(this), page2_(this) {
  m_Result.depthScaleIndex = Imperial() ? 1 : 3;
  AddPage(&page1_);
  AddPage(&page2_);
}

bool CLogWizard::OnInitDialog() {
  setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                 ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint));
  SetButtonText(OkButton, qv::LoadString(kStrOk));
  SetButtonText(CancelButton, qv::LoadString(kStrAbort));
  HideButton(ApplyButton);
  HideButton(HelpButton);
  return true;
}

void CLogWizard::EndCancelled() {
  ended_ = true;
  done(QDialog::Rejected);
}

bool CLogWizard::Prepare() {
  EnsureInitialised();
  return !ended_;
}

int CLogWizard::Run() {
  if (!Prepare()) return qv::IDCANCEL;
  return DoModal();
}

bool RunLogWizard(QWidget* parent, qv::LogWizardResult& result) {
  CLogWizard wizard(parent);
  if (wizard.Run() != qv::IDOK) return false;
  result = std::move(wizard.m_Result);
  return true;
}
