#include "logdoc/replayui/replay_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <limits>

#include "app/core/globals.h"
#include "app/core/log_modes.h"
#include "header/header.h"
#include "header/section_access.h"
#include "header/user_function_ini.h"
#include "logdoc/replay/replay_reader.h"
#include "logdoc/replayui/setup_panels.h"
#include "logtools/engine/tool_type.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/calibration.h"
#include "sondedb/display.h"

namespace {

constexpr unsigned kStrCalibrationFilter = 32045;
constexpr unsigned kStrNoSondeDatabase = 32091;
constexpr unsigned kStrHeaderUnreadable = 32180;
constexpr unsigned kStrEndFromData = 35230;

constexpr int kFilterChannels = 12;

using qv::Named;

void HeaderUnreadable() {
  qv::ShowMessageBox(qv::LoadString(kStrHeaderUnreadable));
}

}  // namespace

CReplayDlg::CReplayDlg(const std::string& fileTitle, const std::string& dataFile, QWidget* parent)
    : qv::Dialog(parent),
      m_strDataFile(dataFile),
      m_strFileTitle(fileTitle),
      calibration_(Named(new QCheckBox(QStringLiteral("Calibration"), this), 2282)),
      coefficients_(Named(new QComboBox(this), 2284)),
      browse_(Named(new QPushButton(QStringLiteral("Browse..."), this), 2285)),
      functions_(Named(new QComboBox(this), 2288)),
      depthScale_(Named(new QComboBox(this), 2289)),
      channelNumber_(Named(new QLabel(QStringLiteral("NO"), this), 2287)),
      strengthSpin_(Named(new QScrollBar(Qt::Vertical, this), 2297)),
      channelSpin_(Named(new QScrollBar(Qt::Horizontal, this), 2296)),
      filterType_(Named(new QComboBox(this), 2292)),
      widthNumber_(Named(new QLabel(QStringLiteral("1"), this), 2291)),
      from_(Named(new QLineEdit(this), 2303)),
      to_(Named(new QLineEdit(this), 2304)),
      unit_(Named(new QLabel(QStringLiteral("m"), this), 2302)),
      realtime_(Named(new QCheckBox(QStringLiteral("Realtime Printing"), this), 2293)),
      plotLinked_(Named(new QCheckBox(QStringLiteral("Plot linked logs"), this), 2591)),
      coefficientLabel_(Named(new QLabel(QStringLiteral("Coefficient file:"), this), 2283)),
      userFunction_(Named(new QCheckBox(QStringLiteral("User function"), this), 2299)),
      initialize_(Named(new QPushButton(QStringLiteral("Initialize"), this), 1)),
      abort_(Named(new QPushButton(QStringLiteral("Abort"), this), 2)) {
  setWindowTitle(QStringLiteral("Replay Settings"));
  initialize_->setDefault(true);

  auto* lay = new QGridLayout(this);
  lay->addWidget(new QLabel(QStringLiteral("Depth Scale:"), this), 0, 0);
  lay->addWidget(depthScale_, 0, 1);
  auto* range = new QGroupBox(QStringLiteral("Replay Range"), this);
  auto* rl = new QHBoxLayout(range);
  rl->addWidget(new QLabel(QStringLiteral("from"), range));
  rl->addWidget(from_);
  rl->addWidget(new QLabel(QStringLiteral("to"), range));
  rl->addWidget(to_);
  rl->addWidget(unit_);
  lay->addWidget(range, 1, 0, 1, 3);
  lay->addWidget(realtime_, 2, 0, 1, 2);
  lay->addWidget(plotLinked_, 3, 0, 1, 2);
  lay->addWidget(calibration_, 4, 0, 1, 2);
  lay->addWidget(coefficientLabel_, 5, 0);
  lay->addWidget(coefficients_, 5, 1);
  lay->addWidget(browse_, 5, 2);
  lay->addWidget(userFunction_, 6, 0, 1, 2);
  lay->addWidget(new QLabel(QStringLiteral("Function list:"), this), 7, 0);
  lay->addWidget(functions_, 7, 1, 1, 2);
  auto* filter = new QGroupBox(QStringLiteral("Raw Data Filter"), this);
  auto* fl = new QGridLayout(filter);
  fl->addWidget(new QLabel(QStringLiteral("Physical Channel:"), filter), 0, 0);
  fl->addWidget(channelNumber_, 0, 1);
  fl->addWidget(channelSpin_, 0, 2);
  fl->addWidget(new QLabel(QStringLiteral("Type:"), filter), 1, 0);
  fl->addWidget(filterType_, 1, 1, 1, 2);
  fl->addWidget(new QLabel(QStringLiteral("Strength:"), filter), 2, 0);
  fl->addWidget(widthNumber_, 2, 1);
  fl->addWidget(strengthSpin_, 2, 2);
  lay->addWidget(filter, 0, 3, 6, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(initialize_);
  buttons->addWidget(abort_);
  buttons->addStretch();
  lay->addLayout(buttons, 6, 3, 2, 1);
  channelSpin_->setFixedWidth(40);
  strengthSpin_->setFixedHeight(40);
  // Up raises the strength, as on a spin control.
  strengthSpin_->setInvertedAppearance(true);

  from_->installEventFilter(this);
  to_->installEventFilter(this);
  connect(initialize_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(abort_, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowseCoefficientFile(); });
  connect(calibration_, &QCheckBox::clicked, this, [this] { OnCalibration(); });
  connect(userFunction_, &QCheckBox::clicked, this, [this] { OnUserFunction(); });
  connect(functions_, qOverload<int>(&QComboBox::activated), this, [this](int) { OnSelChangeUserFunction(); });
  connect(plotLinked_, &QCheckBox::clicked, this, [this] { OnPlotLinkedLogs(); });
  connect(channelSpin_, &QScrollBar::valueChanged, this, [this](int) { OnHScroll(); });
  connect(strengthSpin_, &QScrollBar::valueChanged, this, [this](int) { OnVScroll(); });
}

CReplayDlg::~CReplayDlg() = default;

bool CReplayDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (watched == from_) OnKillFocusFromDepth();
    if (watched == to_) OnKillFocusToDepth();
  }
  return qv::Dialog::eventFilter(watched, event);
}

bool CReplayDlg::Initialise() {
  EnsureInitialised();
  return ended_ == 0;
}

int CReplayDlg::DoModal() {
  if (!Initialise()) return ended_;
  exec();
  return ended_ ? ended_ : qv::IDCANCEL;
}

void CReplayDlg::Finish(int result) {
  ended_ = result;
  EndDialog(result == qv::IDOK ? QDialog::Accepted : QDialog::Rejected);
}

// ---------------------------------------------------------------------------

bool CReplayDlg::OnInitDialog() {
  m_Curves.clear();
  m_Tracks.clear();
  m_Calibrations.clear();
  m_Filters = {};
  m_TrailerText = TrailerText{};
  m_strChainTo.clear();
  m_strCoefficientFile.clear();
  m_strUserLibrary.clear();
  m_bHeaderRead = true;

  m_nToolKind = qv::GetToolType(m_strDataFile, true);
  if (m_nToolKind == qv::kToolFullWaveSonic) m_strDataFile = qv::SiblingPath(m_strDataFile, "VDL");
  if (m_nToolKind == qv::kToolCementBond) m_strDataFile = qv::SiblingPath(m_strDataFile, "CBL");

  HeaderInfo header;
  if (!ReadLogHeader(m_strDataFile, &m_strChainTo, &header, &m_Curves, &m_Tracks, &m_nHeaderScale, &m_TrailerText)) {
    HeaderUnreadable();
    m_bHeaderRead = false;
  }
  qv::FillChannelTable(m_Curves, m_ChannelCaptions);
  if (!ReadCalibration(m_strDataFile, &m_Calibrations)) {
    HeaderUnreadable();
    m_bHeaderRead = false;
  }

  if (!m_strChainTo.empty())
    m_bPlotLinkedLogs = 1;
  else
    plotLinked_->setEnabled(false);
  m_bCalibration =
      std::any_of(m_Calibrations.begin(), m_Calibrations.end(), [](const auto& c) { return c && c->calFlag; }) ? 1 : 0;

  m_strSondeAbbreviation = header.SondeAbbreviation;
  m_nReplayFrom = header.Startdepth;
  m_nReplayTo = header.EndDepth;
  m_nHeaderStep = header.Step;
  m_nDepthUnit = header.DepthUnit;
  m_nLogMode = header.LogMode;
  if (m_nLogMode == qv::kLogModeTime) {
    from_->setEnabled(false);
    to_->setEnabled(false);
  }
  m_nDepthScaleIndex = m_nDepthUnit == 0 ? 3 : 1;
  m_strDepthUnit = m_nDepthUnit == 0 ? "m" : "ft";
  if (m_bHeaderRead && qv::TakeEndDepthFromData(m_strDataFile, m_nToolKind, &header)) {
    m_nReplayTo = header.EndDepth;
    qv::ShowMessageBox(qv::FormatC(qv::LoadString(kStrEndFromData).c_str(), header.Startdepth / 1000.0,
                                   header.EndDepth / 1000.0, m_strDepthUnit.c_str()));
  }
  ReadChannelFilters(m_strDataFile, m_Filters.data());

  // Every record's place follows from the step and the depths: without a
  // usable step nothing can be placed, and the replay would run blank.
  if (m_bHeaderRead && !ReplayHeaderUsable(header, m_Filters.data(), m_Filters.size())) m_bHeaderRead = false;
  if (!m_bHeaderRead) {
    OnCancel();
    return false;
  }

  m_dFromDepth = m_dStartLimit = header.Startdepth / 1000.0;
  m_dToDepth = m_dEndLimit = header.EndDepth / 1000.0;
  m_bDownward = m_dFromDepth < m_dToDepth;

  // A user function only for the tools that run one.
  const bool offersFunctions =
      m_nToolKind == qv::kToolSixChannel || m_nToolKind == qv::kToolTwelveChannel || m_nToolKind == qv::kToolSonic;
  if (offersFunctions) {
    userFunction_->setChecked(false);
    userFunction_->setEnabled(true);
    functions_->setEnabled(true);
    functions_->clear();
    FillUserFunctionCombo(m_strSondeAbbreviation, functions_, &m_UserFunctionLibraries);
    int flag = 0;
    std::string library;
    ReadUserFunctionInfo(m_strDataFile, &flag, &library);
    library = qv::FileNamePart(library);
    int found = -1;
    for (size_t i = 0; i < m_UserFunctionLibraries.size() && found < 0; ++i)
      if (qv::EqualNoCase(qv::FileNamePart(m_UserFunctionLibraries[i]), library)) found = static_cast<int>(i);
    if (found >= 0 && flag) {
      userFunction_->setChecked(true);
      m_bUserFunction = 1;
      functions_->setCurrentIndex(found);
      OnSelChangeUserFunction();
    } else {
      userFunction_->setChecked(false);
      m_bUserFunction = 0;
      if (!m_UserFunctionLibraries.empty()) ReloadLogChannels();
      functions_->setCurrentIndex(0);
    }
  }
  if (m_UserFunctionLibraries.empty()) {
    userFunction_->setChecked(false);
    userFunction_->setEnabled(false);
    m_bUserFunction = 0;
    functions_->setEnabled(false);
    functions_->clear();
    functions_->setCurrentIndex(-1);
    ReloadLogChannels();
  }

  channelNumber_->setText(QStringLiteral("1"));
  {
    const QSignalBlocker quiet(channelSpin_);
    channelSpin_->setRange(
        1, m_nToolKind == qv::kToolTwelveChannel || m_nToolKind == qv::kToolSonic ? kFilterChannels : 6);
    channelSpin_->setValue(1);
  }
  m_nCurrentChannel = 1;
  filterType_->clear();
  for (unsigned id : kFilterTypeNames) filterType_->addItem(qv::QStr(qv::LoadString(id)));
  ShowChannelFilter(1);

  depthScale_->clear();
  const bool imperial = m_nDepthUnit != 0;
  const int* scales = imperial ? g_ImperialDepthScales : g_MetricDepthScales;
  const int count = static_cast<int>(imperial ? std::size(g_ImperialDepthScales) : std::size(g_MetricDepthScales));
  for (int i = 0; i < count; ++i) depthScale_->addItem(qv::QStr(qv::FormatC("1:%d", scales[i])));
  depthScale_->setCurrentIndex(imperial ? 1 : (count > 3 ? 3 : -1));
  const int match =
      depthScale_->findText(qv::QStr(qv::FormatC("1:%d", m_nHeaderScale)), Qt::MatchStartsWith | Qt::MatchFixedString);
  if (match >= 0) depthScale_->setCurrentIndex(match);
  m_nDepthScaleIndex = depthScale_->currentIndex();

  if (m_nToolKind == qv::kToolTeleviewer) {
    m_bCalibration = 0;
    depthScale_->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{coefficients_, browse_, calibration_, coefficientLabel_})
      w->hide();
    filterType_->setCurrentIndex(0);
    filterType_->setEnabled(false);
    channelSpin_->setEnabled(false);
    strengthSpin_->setEnabled(false);
  } else {
    coefficients_->addItem(qv::Tr("Header"), -1);
    coefficients_->setCurrentIndex(coefficients_->findData(-1));  // whatever the language calls it
    m_strCoefficientFile = m_strDataFile;
  }

  UpdateData(false);
  OnCalibration();
  return true;
}

void CReplayDlg::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Check(dx, realtime_, m_bRealtimePrint);
  qv::DDX_Check(dx, userFunction_, m_bUserFunction);
  qv::DDX_Check(dx, calibration_, m_bCalibration);
  qv::DDX_Check(dx, plotLinked_, m_bPlotLinkedLogs);
  qv::DDX_Text(dx, unit_, m_strDepthUnit);
  // The depths are read back by ReadRange, where a text that is no number
  // is a wrong depth rather than a box of its own.
  if (!dx.Saving()) ShowRange();
}

// ---------------------------------------------------------------------------
// The range

qv::ReplayRangeLimits CReplayDlg::Limits() const {
  return {m_dStartLimit, m_dEndLimit, m_bDownward};
}

void CReplayDlg::ReadRange() {
  for (auto [edit, value] : {std::pair{from_, &m_dFromDepth}, std::pair{to_, &m_dToDepth}}) {
    double parsed = 0;
    *value = qv::ParseDouble(qv::StdStr(edit->text()), &parsed) ? parsed : std::numeric_limits<double>::quiet_NaN();
  }
}

void CReplayDlg::ShowRange() {
  from_->setText(qv::QStr(qv::FormatNumber(m_dFromDepth)));
  to_->setText(qv::QStr(qv::FormatNumber(m_dToDepth)));
}

void CReplayDlg::EnableRangeEdits() {
  const bool on = !m_bPlotLinkedLogs && m_nLogMode != qv::kLogModeTime;
  from_->setEnabled(on);
  to_->setEnabled(on);
}

bool CReplayDlg::ResetIfWrong(bool wrong, QLineEdit* edit, double& value, double limit) {
  if (!wrong) return false;
  value = limit;
  qv::Beep();
  ShowRange();
  edit->setFocus();
  m_bRangeError = true;
  return true;
}

bool CReplayDlg::CheckFrom() {
  return ResetIfWrong(qv::FromDepthWrong(m_dFromDepth, m_dToDepth, Limits()), from_, m_dFromDepth, m_dStartLimit);
}

bool CReplayDlg::CheckTo() {
  return ResetIfWrong(qv::ToDepthWrong(m_dFromDepth, m_dToDepth, Limits()), to_, m_dToDepth, m_dEndLimit);
}

void CReplayDlg::OnKillFocusFromDepth() {
  if (!m_nCurrentChannel) return;  // not set up (or ended)
  m_bRangeError = false;
  ReadRange();
  CheckFrom();
}

void CReplayDlg::OnKillFocusToDepth() {
  if (!m_nCurrentChannel) return;
  m_bRangeError = false;
  ReadRange();
  CheckTo();
}

void CReplayDlg::OnPlotLinkedLogs() {
  m_bPlotLinkedLogs = m_bPlotLinkedLogs ? 0 : 1;
  plotLinked_->setChecked(m_bPlotLinkedLogs != 0);
  EnableRangeEdits();
}

// ---------------------------------------------------------------------------
// Initialize and Abort

void CReplayDlg::OnOK() {
  // The click that took the focus out of a wrong edit is swallowed (once:
  // Enter in the edit, which keeps the focus there, confirms the next time).
  if (m_bRangeError) {
    m_bRangeError = false;
    return;
  }
  ReadRange();
  // A depth confirmed with Enter never lost the focus: it is checked here
  // the same way, so that no unchecked range reaches the replay.
  if (from_->isEnabled() && (CheckFrom() || CheckTo())) return;
  m_Calibrations.clear();
  UpdateData(true);
  m_nReplayFrom = qv::ToHeaderDepth(m_dFromDepth);
  m_nReplayTo = qv::ToHeaderDepth(m_dToDepth);
  m_nDepthScaleIndex = depthScale_->currentIndex();
  Finish(qv::IDOK);
}

void CReplayDlg::OnCancel() {
  m_Curves.clear();
  m_Tracks.clear();
  m_UserFunctionLibraries.clear();
  m_Calibrations.clear();
  m_Filters = {};
  m_TrailerText = TrailerText{};
  m_nCurrentChannel = 0;
  Finish(qv::IDCANCEL);
}

ReplaySettings CReplayDlg::TakeSettings() {
  ReplaySettings s;
  s.fileName = m_strFileTitle;
  s.dataPath = m_strDataFile;
  s.toolType = m_nToolKind;
  s.logMode = m_nLogMode;
  s.depthStep = m_nHeaderStep;
  s.depthUnits = m_nDepthUnit;
  s.depthScaleIndex = m_nDepthScaleIndex;
  s.startDepth = m_nReplayFrom;
  s.endDepth = m_nReplayTo;
  s.channels = m_ChannelCaptions;
  s.curves = std::move(m_Curves);
  s.tracks = std::move(m_Tracks);
  s.filters = m_Filters;
  s.calibrationFile = m_strCoefficientFile;
  s.calibrationFromDataFile = m_strCoefficientFile == m_strDataFile;
  s.userLibrary = m_strUserLibrary;
  s.calibration = m_bCalibration != 0;
  s.userFunction = m_bUserFunction != 0;
  s.printer = m_bRealtimePrint != 0;
  s.followChain = m_bPlotLinkedLogs != 0;
  s.trailer = std::move(m_TrailerText);
  return s;
}

// ---------------------------------------------------------------------------
// Calibration and user function

void CReplayDlg::OnBrowseCoefficientFile() {
  qv::FileDialogRequest req;
  req.open = true;
  req.defaultExt = "cal";
  req.filter = qv::LoadString(kStrCalibrationFilter);
  req.initialFolder = qv::CalibrationFolder() + "/";
  req.mustExist = true;
  req.parent = this;
  const std::string path = qv::ShowFileDialog(req);
  if (path.empty()) return;
  const QString title = qv::QStr(qv::SiblingPath(qv::FileNamePart(path), ""));
  if (coefficients_->findText(title, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
    coefficients_->addItem(title, 0);
    coefficients_->model()->sort(0);
  }
  coefficients_->setCurrentIndex(coefficients_->findText(title, Qt::MatchFixedString | Qt::MatchCaseSensitive));
  m_strCoefficientFile = path;
}

void CReplayDlg::OnCalibration() {
  const bool on = calibration_->isChecked();
  coefficients_->setEnabled(on);
  browse_->setEnabled(on);
}

void CReplayDlg::OnSelChangeUserFunction() {
  const int i = functions_->currentIndex();
  if (i >= 0 && i < static_cast<int>(m_UserFunctionLibraries.size()))
    m_strUserLibrary = m_UserFunctionLibraries[static_cast<size_t>(i)];
  OnUserFunction();
}

void CReplayDlg::OnUserFunction() {
  if (!userFunction_->isChecked()) {
    m_Curves.clear();
    ReadCurveRecords(m_strDataFile, &m_Curves);
    return;
  }
  const int i = functions_->currentIndex();
  if (i < 0 || i >= static_cast<int>(m_UserFunctionLibraries.size())) {
    qv::Beep();
    userFunction_->setChecked(false);
    return;
  }
  m_strUserLibrary = m_UserFunctionLibraries[static_cast<size_t>(i)];
  m_Curves.clear();
  LoadUserFunctionIni(m_strUserLibrary, &m_Curves, nullptr);
}

void CReplayDlg::ReloadLogChannels() {
  m_Curves.clear();
  m_Tracks.clear();
  if (ReadLogHeader(m_strDataFile, nullptr, nullptr, &m_Curves, &m_Tracks, nullptr, nullptr)) return;
  HeaderUnreadable();
  m_Curves.clear();
  m_Tracks.clear();
  if (!qv::LoadDisplayParametersFromDatabase(&m_Tracks, &m_Curves, m_strSondeAbbreviation, std::string()))
    qv::ShowMessageBox(qv::LoadString(kStrNoSondeDatabase));
}

// ---------------------------------------------------------------------------
// Raw-data filters

void CReplayDlg::ShowChannelFilter(int channel) {
  if (channel < 1 || channel > kFilterChannels) return;
  ShowFilterEntry(m_Filters[static_cast<size_t>(channel - 1)], filterType_, strengthSpin_, widthNumber_);
}

void CReplayDlg::StoreChannelFilter(int channel) {
  if (channel < 1 || channel > kFilterChannels) return;
  StoreFilterEntry(m_Filters[static_cast<size_t>(channel - 1)], filterType_, strengthSpin_);
}

void CReplayDlg::OnHScroll() {
  StoreChannelFilter(m_nCurrentChannel);
  const int channel = channelSpin_->value();
  ShowChannelFilter(channel);
  channelNumber_->setText(qv::QStr(qv::FormatC("%d", channel)));
  m_nCurrentChannel = channel;
}

void CReplayDlg::OnVScroll() {
  widthNumber_->setText(qv::QStr(qv::FormatC("%u", static_cast<unsigned>(2 * strengthSpin_->value() + 1))));
  StoreChannelFilter(m_nCurrentChannel);
}
