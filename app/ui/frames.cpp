#include "frames.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <cctype>
#include <ctime>

#include "app/core/control_logic.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/sonde_test_dlg.h"
#include "app/ui/sources.h"
#include "app/ui/sys_settings.h"
#include "app/ui/text_editor.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/docview/translation.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "sondedb/sondedb.h"
#include "sondedb/ui/sondedb_commands.h"

namespace {
constexpr unsigned kStrFt = 32078;
constexpr unsigned kStrM = 32079;
constexpr unsigned kStrUnavailable = 32085;
constexpr unsigned kStrDspCard = 32086;
constexpr unsigned kStrVspCard = 32357;
constexpr unsigned kStrGlimmerdeckCard = 32356;
constexpr unsigned kStrLumbracoderCard = 32272;
constexpr unsigned kStrCalibrationFilter = 32045;

}  // namespace

// ===========================================================================
MainFrameTools& Tools() {
  static MainFrameTools tools{
      [] { qv::RunSondeDatabaseEditor(QApplication::activeWindow()); },
      [] { return qv::RunSondeSelection(QApplication::activeWindow()); },
      {},
      {},
      {},
      {},
      [](const std::string& path) { qv::EditTextFile(path, QApplication::activeWindow()); },
      {},
      {}};
  return tools;
}

// ===========================================================================
CMainToolBar::CMainToolBar(QWidget* parent) : QToolBar(QStringLiteral("Standard"), parent) {
  setObjectName(QStringLiteral("MainToolBar"));
  setMovable(false);
}

bool CMainToolBar::CreateSondeSelector() {
  selector_ = new QComboBox(this);
  selector_->setObjectName(QString::number(ID_SELECT_SONDE));
  selector_->setMinimumWidth(350 - 13);
  selector_->setMaxVisibleItems(12);
  qv::DialogBar::ApplyPrompt(selector_, ID_SELECT_SONDE);
  addWidget(selector_);
  connect(selector_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSondeSelected(); });
  SelectCurrentSonde();
  return true;
}

void CMainToolBar::SelectCurrentSonde() {
  if (!selector_) return;
  std::vector<std::string> items;
  if (Sources().sondeList) items = Sources().sondeList();
  // A sorted list, as the selector always showed it.
  std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  });
  const QSignalBlocker quiet(selector_);
  selector_->clear();
  for (const std::string& item : items) selector_->addItem(qv::QStr(item));
  if (items.empty()) {
    selector_->setCurrentIndex(-1);
    OnSondeSelected();
    return;
  }
  // Only the current sonde itself is selected: an abbreviation that merely
  // begins another one's ("KST" of "KSTQ") names a different sonde. A sonde
  // the list does not hold leaves the selector empty and stays current.
  const int found = FindSondeItem(items, g_strCurrentSonde, g_strSondeSerialNo);
  selector_->setCurrentIndex(found);
  if (found >= 0) OnSondeSelected();
}

void CMainToolBar::OnSondeSelected() {
  SplitSondeItem(qv::StdStr(selector_->currentText()), &g_strCurrentSonde, &g_strSondeSerialNo);
  if (CSondeControl* bar = g_pSondeControl) bar->LoadCommandList();
  CPemmaroApp* app = CPemmaroApp::Instance();
  if (app && !g_bWatchdogStop && app->ActiveIsIdleDocument()) {
    // The unit is set up again for the new sonde by a new idle document.
    app->CloseDocument(app->ActiveDocument());
    g_pActiveDoc = nullptr;
    app->OpenIdleDocument();
  }
}

namespace {
// Today as a Japanese reader writes it ("2026年12月11日 金曜日").
std::string JapaneseDatePane() {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  return qv::kTranslatedMark +
         japanese.toString(QDate::currentDate(), QStringLiteral("yyyy年M月d日 dddd")).toStdString();
}
}  // namespace

// ===========================================================================
CMainFrame::CMainFrame() = default;

std::vector<qv::MenuCommand> CMainFrame::MenuTable() {
  // Every command a window handles has its place here; the commands of the
  // log documents and their views are enabled while such a window is active.
  return {
      {"&File/&New Log...\tCtrl+N", ID_FILE_NEW},
      {"&File/&Replay Log...\tCtrl+O", ID_FILE_OPEN},
      {"&File/&Close", ID_FILE_CLOSE},
      {"&File/-", 0},
      {"&File/&Merge Logs...", ID_MERGE_LOGS},
      {"&File/&Depth Shift...", ID_DEPTH_SHIFT},
      {"&File/&Export/&LAS 2.0...", ID_EXPORT_LAS},
      {"&File/&Export/&ORX2", kIdExportOldHeader},
      {"&File/-", 0},
      {"&File/Page Mode &Print", kIdPageModePrint},
      {"&File/D&irect Realtime Print", kIdPrintDirect},
      {"&File/Real &Time Printer Setup...", ID_REALTIME_PRINTER_SETUP},
      {"&File/-", 0},
      {"&File/E&xit Quorvanta", ID_APP_EXIT},
      {"&View/Show Log &Header...", kIdShowLogHeader},
      {"&View/&Change Layout...", kIdChangeLayout},
      {"&View/Channel &Display", kIdChannelDisplay},
      {"&View/-", 0},
      {"&View/Wrap C&urves", ID_WRAP_CURVES},
      {"&View/&Invert BHTV colours", kIdInvertBhtvColours},
      {"&View/Normalize BHTV &Amplitude", kIdNormaliseBhtvAmplitude},
      {"&View/&Normalize BHTV Transit Time", kIdNormaliseBhtvTransit},
      {"&View/-", 0},
      {"&View/&Replay Control", kIdReplayControlBar},
      {"&View/&Sonde Control", kIdSondeControlBar},
      {"&View/&Winch Control", kIdWinchControlBar},
      {"&Tools/&Select Sonde...", ID_SELECT_SONDE},
      {"&Tools/Sonde &Database...", ID_SONDE_DATABASE},
      {"&Tools/&Calibration...", ID_CALIBRATION},
      {"&Tools/&Test Sonde...", ID_TEST_SONDE},
      {"&Tools/&Edit Calibration File...", ID_EDIT_CALIBRATION_FILE},
      {"&Tools/&User Functions...", ID_USER_FUNCTIONS},
      {"&Tools/Change Cable &Options...", kIdChangeCableOptions},
      {"&Tools/So&nic Configuration...", kIdSonicConfiguration},
      {"&Tools/Sonic &FPG Settings", kIdSonicFpgSettings},
      {"&Tools/-", 0},
      {"&Tools/Initialise &Hardware", ID_INIT_HARDWARE},
      {"&Tools/Initialise Depth S&ystem...", ID_INIT_DEPTH_SYSTEM},
      {"&Tools/Chan&ge System Settings...", ID_CHANGE_SYSTEM_SETTINGS},
      {"&Info/&Help Topics", ID_HELP_FINDER},
      {"&Info/&About Quorvanta...", ID_APP_ABOUT},
  };
}

bool CMainFrame::Create() {
  setWindowTitle(QStringLiteral("Quorvanta"));
  toolBar_ = new CMainToolBar(this);
  addToolBar(Qt::TopToolBarArea, toolBar_);
  BuildMenus(MenuTable());
  toolBar_->addAction(Action(ID_FILE_NEW));
  Action(ID_FILE_NEW)->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  toolBar_->addAction(Action(ID_FILE_OPEN));
  Action(ID_FILE_OPEN)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  toolBar_->addSeparator();
  if (!toolBar_->CreateSondeSelector()) {
    qv::Trace("Failed to create toolbar\n");
    return false;
  }
  toolBar_->addSeparator();
  toolBar_->addAction(Action(ID_APP_ABOUT));
  Action(ID_APP_ABOUT)->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
  // The selector follows the enabled state of its command.
  QAction* select = Action(ID_SELECT_SONDE);
  connect(select, &QAction::changed, this, [this, select] {
    if (toolBar_->SondeSelector()) toolBar_->SondeSelector()->setEnabled(select->isEnabled());
  });
  SetIndicators({0, ID_DATE_PANE});

  OnCommand(ID_SONDE_DATABASE, [this] { OnSondeDatabase(); });
  OnCommand(ID_REPAIR_DATABASE, [] { qv::CompactSondeDatabase(); });
  OnCommand(ID_EDIT_CALIBRATION_FILE, [this] { OnEditCalibrationFile(); });
  OnCommand(ID_USER_FUNCTIONS, [] {
    if (Tools().userFunctions) Tools().userFunctions();
  });
  // Without its sheet the command has nothing to open.
  OnUpdate(ID_USER_FUNCTIONS, [](qv::CmdUI& ui) { ui.Enable(static_cast<bool>(Tools().userFunctions)); });
  OnCommand(ID_CALIBRATION, [] {
    if (Tools().calibration) Tools().calibration();
  });
  OnUpdate(ID_CALIBRATION, [](qv::CmdUI& ui) { ui.Enable(g_bHardwarePresent != 0); });
  OnCommand(ID_SELECT_SONDE, [this] { OnSelectSonde(); });
  // A replayed log keeps the sonde it was recorded with: no other is chosen
  // while one is open.
  OnUpdate(ID_SELECT_SONDE, [](qv::CmdUI& ui) {
    const LogDocumentShell* doc = ActiveLogDocument();
    const bool replaying = doc && !doc->HasLiveDepth();
    ui.Enable(!g_bLogDocumentOpen && !g_bSondePowerOn && !g_bUtilityActive && !replaying);
  });
  // The sonde test runs beside the active live document.
  OnCommand(ID_TEST_SONDE, [this] { CSondeTestDlg::OnTestSonde(this); });
  OnUpdate(ID_TEST_SONDE, [](qv::CmdUI& ui) {
    LogDocumentShell* doc = ActiveLogDocument();
    ui.Enable(g_bHardwarePresent && doc && doc->LogState() != 0);
  });
  OnCommand(ID_WRAP_CURVES, [this] { OnWrapCurves(); });
  OnUpdate(ID_WRAP_CURVES, [](qv::CmdUI& ui) { ui.SetCheck(g_bWrapCurves != 0); });
  OnCommand(ID_EXPORT_LAS, [] {
    if (Tools().exportLas) Tools().exportLas();
  });
  OnUpdate(ID_DATE_PANE, [](qv::CmdUI& ui) {
    ui.SetText(qv::JapaneseInstalled() ? JapaneseDatePane() : FormatDatePane(std::time(nullptr)));
    ui.Enable(true);
  });
  return true;
}

void CMainFrame::OnSondeDatabase() {
  if (Tools().sondeDatabase) Tools().sondeDatabase();
  toolBar_->SelectCurrentSonde();
}

void CMainFrame::OnSelectSonde() {
  if (Tools().selectSonde && Tools().selectSonde()) toolBar_->SelectCurrentSonde();
}

void CMainFrame::OnEditCalibrationFile() {
  std::string file;
  if (LogDocumentShell* doc = ActiveLogDocument(); doc && !doc->CalibrationIsDataFile()) file = doc->CalibrationFile();
  if (file.empty()) {
    qv::FileDialogRequest r;
    r.open = true;
    r.filter = qv::LoadString(kStrCalibrationFilter);
    r.defaultExt = "*.cal";
    r.mustExist = true;
    r.initialFolder = qv::JoinPath(qv::ProgramFolder(), "Calibration");
    r.parent = this;
    file = qv::ShowFileDialog(r);
    if (file.empty()) return;
  }
  if (Tools().editText) Tools().editText(file);
}

void CMainFrame::OnWrapCurves() {
  g_bWrapCurves = g_bWrapCurves ? 0 : 1;
  qv::WritePrivateProfileString("SystemParameters", "WrapCurves", qv::FormatC("%d", g_bWrapCurves.load()).c_str(),
                                qv::ProgramProfileFile());
}

void CMainFrame::PostReplayEnd() {
  qv::PostToGui(this, [this] { OnReplayEnd(); });
}

void CMainFrame::OnReplayEnd() {
  if (LogDocumentShell* doc = ActiveLogDocument()) doc->OnReplayEnd(false);
}

bool CMainFrame::OnClose() {
  // An editor window the user keeps open (Cancel) keeps the program running.
  if (!qv::CloseTextEditorWindows(true)) return false;
  g_bWatchdogStop = 1;
  return true;
}

// ===========================================================================
void CPemmaroView::OnInitialUpdate() {
  if (qv::Document* doc = GetDocument()) doc->SetTitle("");
  qv::View::OnInitialUpdate();
}

void CPemmaroView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Dark));
}

// ===========================================================================
CPemmaroFrame::CPemmaroFrame() {
  OnCommand(ID_INIT_DEPTH_SYSTEM, [this] { OnInitialiseDepthSystem(); });
  OnUpdate(ID_INIT_DEPTH_SYSTEM, [](qv::CmdUI& ui) {
    LogDocumentShell* doc = ActiveLogDocument();
    ui.Enable(g_bHardwarePresent && doc && doc->HasLiveDepth());
  });
  OnCommand(ID_CHANGE_SYSTEM_SETTINGS, [this] {
    CSysSettings dlg(this);
    dlg.DoModal();
  });
  OnUpdate(ID_CHANGE_SYSTEM_SETTINGS, [](qv::CmdUI& ui) {
    CPemmaroApp* app = CPemmaroApp::Instance();
    ui.Enable(app && app->ActiveIsIdleDocument() && g_bHardwarePresent);
  });
  OnUpdate(ID_DATA_CHANNEL, [](qv::CmdUI& ui) { ui.Enable(false); });
  OnCommand(ID_HELP_FINDER, [] {});
  OnCommand(ID_CONTEXT_HELP, [] { QWhatsThis::enterWhatsThisMode(); });
  for (int id : {int(kIdReplayControlBar), int(kIdSondeControlBar), int(kIdWinchControlBar)}) {
    OnCommand(id, [this, id] {
      if (QWidget* bar = BarOf(id)) ShowBar(bar, bar->isHidden());
    });
    OnUpdate(id, [this, id](qv::CmdUI& ui) {
      if (QWidget* bar = BarOf(id)) {
        ui.SetCheck(!bar->isHidden());
        return;
      }
      const bool exists = id == kIdReplayControlBar  ? g_pReplayControl.load() != nullptr
                          : id == kIdSondeControlBar ? g_pSondeControl.load() != nullptr
                                                     : g_pWinchControl.load() != nullptr;
      ui.Enable(exists);
    });
  }
}

CPemmaroFrame::~CPemmaroFrame() = default;  // each bar forgets itself when it goes

QWidget* CPemmaroFrame::BarOf(int id) const {
  switch (id) {
    case kIdReplayControlBar: return replay_;
    case kIdSondeControlBar: return sonde_;
    case kIdWinchControlBar: return winch_;
    default: return nullptr;
  }
}

bool CPemmaroFrame::OnCreate() {
  CPemmaroApp* app = CPemmaroApp::Instance();
  const bool replayFrame = app && app->m_bReplayFrame;
  const bool idleFrame = app && app->m_bIdleFrame;
  QWidget* beside = nullptr;
  if (replayFrame) {
    replay_ = new CReplayControl(this);
    if (!replay_->InitControls()) {
      qv::Trace("Dialog bar init failed\n");
      return false;
    }
    beside = replay_;
  }
  winch_ = new CWinchControl(this);
  winch_->SetWatchesSurface(!replayFrame);
  if (!winch_->InitControls()) {
    qv::Trace("Dialog bar init failed\n");
    return false;
  }
  if (!replayFrame) {
    sonde_ = new CSondeControl(this);
    if (!sonde_->InitControls(!idleFrame)) {
      qv::Trace("Dialog bar init failed\n");
      return false;
    }
    beside = sonde_;
  }
  const bool smallScreen = (app ? app->ScreenWidth() : 1024) < kSmallScreenWidth;
  DockBar(winch_, false);
  DockBar(beside, !smallScreen);
  if (replay_) ShowBar(replay_, true);
  if (sonde_) ShowBar(sonde_, g_bHardwarePresent != 0);
  return true;
}

void CPemmaroFrame::OnInitialiseDepthSystem() {
  CDepthDlg dlg(this);
  dlg.DoModal();
}

// ===========================================================================
CDepthDlg::CDepthDlg(QWidget* parent) : qv::Dialog(parent), unit_(new QLabel(this)), edit_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Set Tool Depth"));
  unit_->setObjectName(QStringLiteral("2052"));
  edit_->setObjectName(QStringLiteral("2497"));
  auto* lay = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Depth:"), this));
  row->addWidget(edit_);
  row->addWidget(unit_);
  lay->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  lay->addWidget(buttons);
}

bool CDepthDlg::OnInitDialog() {
  m_strUnit = qv::LoadString(g_nDepthUnits ? kStrFt : kStrM);
  return qv::Dialog::OnInitDialog();
}

void CDepthDlg::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, unit_, m_strUnit);
  qv::DDX_Text(dx, edit_, m_dDepth);
  qv::DDV_MinMaxDouble(dx, m_dDepth, -9999, 9999);
}

void CDepthDlg::OnOK() {
  if (!UpdateData(true)) return;
  if (LogDocumentShell* doc = ActiveLogDocument()) doc->SetDepth(DepthToThousandths(m_dDepth));
  EndDialog(QDialog::Accepted);
}

// ===========================================================================
CAboutDlg::CAboutDlg(QWidget* parent) : qv::Dialog(parent), drives_(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("About Quorvanta"));
  drives_->setObjectName(QStringLiteral("1951"));
  auto* form = new QFormLayout;
  auto add = [&](int id, const char* label, const std::string& text) {
    auto* l = new QLabel(qv::QStr(text), this);
    l->setObjectName(QString::number(id));
    form->addRow(QString::fromLatin1(label), l);
  };
  const std::string unavailable = qv::LoadString(kStrUnavailable);
  add(1950, "Build:", "");
  add(1959, "Product:", "Quorvanta");
  add(1960, "Version:", "1.50");
  add(1958, "Unit identity:", unavailable);
  add(1953, "Firmware:", unavailable);
  add(1952, "Hardware revision:", unavailable);
  add(1955, "Serial number:", unavailable);
  add(1956, "Options:", unavailable);
  add(1954, "Signal processor:", "");
  add(1957, "Interface:", "");
  add(2271, "Free memory:", unavailable);
  form->addRow(QStringLiteral("Drive:"), drives_);
  add(2053, "Free space:", "");
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  lay->addWidget(buttons);
  connect(drives_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelchangeDrive(); });
}

std::string CAboutDlg::ControlText(int id) const {
  auto* l = findChild<QLabel*>(QString::number(id));
  return l ? qv::StdStr(l->text()) : std::string();
}

bool CAboutDlg::OnInitDialog() {
  qv::Dialog::OnInitDialog();
  auto set = [this](int id, const std::string& text) {
    if (auto* l = findChild<QLabel*>(QString::number(id))) l->setText(qv::QStr(text));
  };
  set(1950, qv::FormatC("%d J", 406));
  if (g_pUnitIdentity && g_bHardwarePresent) {
    const UnitIdentityBlock& id = *g_pUnitIdentity;
    set(1958, qv::FormatC("%d", id.zero));
    set(1953, qv::FormatC("%d", id.word1));
    set(1952, qv::FormatC("%d", id.word3 & 0xFF));
    set(1955, qv::FormatC("%d", id.word2));
    set(1956, qv::FormatC("%d", id.word4 & 0xFF));
    set(1954, qv::LoadString(static_cast<int16_t>(id.word3) < 0 ? kStrVspCard : kStrDspCard));
    set(1957, qv::LoadString(static_cast<int16_t>(id.word4) < 0 ? kStrGlimmerdeckCard : kStrLumbracoderCard));
  }
  struct sysinfo si {};
  if (sysinfo(&si) == 0)
    set(2271, qv::FormatC("%.2f MB", static_cast<double>(si.freeram) * si.mem_unit / 1048576.0));
  // File systems stand in for drive letters: the root and the program's own.
  drives_->clear();
  drives_->addItem(QStringLiteral("/"));
  const std::string program = qv::ProgramFolder();
  if (!program.empty() && program != "/") drives_->addItem(QString::fromStdString(program));
  drives_->setCurrentIndex(-1);
  OnSelchangeDrive();
  return true;
}

void CAboutDlg::OnSelchangeDrive() {
  if (drives_->currentIndex() < 0) {
    const int i = drives_->findText(QString::fromStdString(qv::ProgramFolder()));
    if (i < 0) return;
    drives_->setCurrentIndex(i);
  }
  auto* l = findChild<QLabel*>(QStringLiteral("2053"));
  struct statvfs fs {};
  if (statvfs(drives_->currentText().toLocal8Bit().constData(), &fs) != 0) {
    l->setText(qv::QStr(qv::LoadString(kStrUnavailable)));
    return;
  }
  const double mb = static_cast<double>(fs.f_bavail) * fs.f_frsize / 1048576.0;
  l->setText(qv::QStr(mb > 1024 ? qv::FormatC("%.2f GB", mb / 1024) : qv::FormatC("%.2f MB", mb)));
}
