#include "userfunc/ui/user_func_sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/newlog/new_log.h"
#include "app/ui/frames.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/combo/combo.h"
#include "sondedb/display.h"
#include "userfunc/ui/user_func_model.h"
#include "userfunc/user_function_files.h"
#include "userfunc/user_function_package.h"
#include "userfunc/user_function_source.h"

namespace {
constexpr unsigned kStrCaption = 32052;
constexpr unsigned kStrOk = 32369;
constexpr unsigned kStrAllSondes = 32402;
constexpr unsigned kStrReallyRemove = 32396;
constexpr unsigned kStrPackageFilter = 32394;
constexpr unsigned kStrSaveChanges = 32290;
constexpr int kSonicToolType = 10;
constexpr std::uint32_t kUnknown = static_cast<std::uint32_t>(-1);

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
std::string S(const QString& s) {
  return s.toStdString();
}

std::string TrimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

std::string LowerExt(const std::filesystem::path& p) {
  std::string e = p.extension().string();
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}
}  // namespace

// ---------------------------------------------------------------- Selection

CUserFuncPage1::CUserFuncPage1(CUserFuncSheet* sheet) : qv::PropertyPage("Selection"), sheet_(sheet) {
  auto* layout = new QGridLayout(this);
  auto* sondeBox = new QGroupBox("Sonde", this);
  auto* sondeGrid = new QGridLayout(sondeBox);
  sonde_ = new QComboBox(sondeBox);
  sonde_->setObjectName("2046");
  sonde_->setEditable(true);
  sonde_->setInsertPolicy(QComboBox::NoInsert);
  serial_ = new QLabel(sondeBox);
  serial_->setObjectName("2410");
  sondeGrid->addWidget(sonde_, 0, 0, 1, 2);
  sondeGrid->addWidget(new QLabel("Serial Number:", sondeBox), 1, 0);
  sondeGrid->addWidget(serial_, 1, 1);
  layout->addWidget(sondeBox, 0, 0, 1, 2);

  auto* functionBox = new QGroupBox("User Function", this);
  auto* fGrid = new QGridLayout(functionBox);
  list_ = new QListWidget(functionBox);
  list_->setObjectName("2180");
  name_ = new QLineEdit(functionBox);
  name_->setObjectName("2168");
  comment_ = new QPlainTextEdit(functionBox);
  comment_->setObjectName("2167");
  new_ = new QPushButton("&New", functionBox);
  new_->setObjectName("2023");
  new_->setDefault(true);
  delete_ = new QPushButton("&Delete", functionBox);
  delete_->setObjectName("2015");
  auto* import = new QPushButton("&Import", functionBox);
  import->setObjectName("2019");
  auto* exportButton = new QPushButton("&Export", functionBox);
  exportButton->setObjectName("2565");
  fGrid->addWidget(list_, 0, 0, 4, 1);
  fGrid->addWidget(new_, 0, 1);
  fGrid->addWidget(delete_, 1, 1);
  fGrid->addWidget(import, 2, 1);
  fGrid->addWidget(exportButton, 3, 1);
  fGrid->addWidget(new QLabel("Name", functionBox), 4, 0);
  fGrid->addWidget(name_, 5, 0, 1, 2);
  fGrid->addWidget(new QLabel("Comment", functionBox), 6, 0);
  fGrid->addWidget(comment_, 7, 0, 1, 2);
  layout->addWidget(functionBox, 1, 0, 1, 2);

  auto* channelBox = new QGroupBox("Channels", this);
  auto* cGrid = new QGridLayout(channelBox);
  inputs_ = new QLabel(channelBox);
  inputs_->setObjectName("2356");
  outputs_ = new QLineEdit(channelBox);
  outputs_->setObjectName("2150");
  cGrid->addWidget(new QLabel("Number of input channels:", channelBox), 0, 0);
  cGrid->addWidget(inputs_, 0, 1);
  cGrid->addWidget(new QLabel("Number of output channels:", channelBox), 1, 0);
  cGrid->addWidget(outputs_, 1, 1);
  layout->addWidget(channelBox, 2, 0, 1, 2);

  connect(sonde_, &QComboBox::activated, this, [this](int) { OnSelectSonde(); });
  connect(list_, &QListWidget::currentRowChanged, this, [this](int) {
    if (!loading_) OnSelectFunction();
  });
  connect(new_, &QPushButton::clicked, this, [this] { OnNew(); });
  connect(delete_, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(exportButton, &QPushButton::clicked, this, [this] { OnExport(); });
  connect(import, &QPushButton::clicked, this, [this] { OnImport(); });
  const auto touched = [this] {
    if (!loading_) modified_ = true;
  };
  connect(name_, &QLineEdit::textEdited, this, touched);
  connect(outputs_, &QLineEdit::textEdited, this, touched);
  connect(comment_, &QPlainTextEdit::textChanged, this, touched);
  connect(name_, &QLineEdit::editingFinished, this, [this] { OnNameKillFocus(); });
}

bool CUserFuncPage1::OnInitDialog() {
  loading_ = true;
  qv::FillSondeComboBox(sonde_, 1, 8, 6, 9, 7, 10);
  sonde_->addItem(Q(qv::LoadString(kStrAllSondes)), -1);
  sonde_->model()->sort(0);
  loading_ = false;
  UserFunctionRecord& r = sheet_->m_Record;
  if (sonde_->count() > 0) {
    int index = 0;
    for (int i = 0; i < sonde_->count(); ++i)
      if (!g_strCurrentSonde.empty() && S(sonde_->itemText(i)).rfind(g_strCurrentSonde, 0) == 0) {
        index = i;
        break;
      }
    sonde_->setCurrentIndex(index);
    r.Abbrev = S(sonde_->itemText(index)).substr(0, 4);
  }
  r.SondeSN.clear();
  LookUpSonde(g_strSondeSerialNo);
  if (r.SondeID != kUnknown) r.SondeSN = g_strSondeSerialNo;
  sheet_->m_bSonic = qv::GetToolType(r.Abbrev, false) == kSonicToolType;
  RefreshFunctionList();
  return true;
}

// The sonde's row: its number of channels and its key (both -1 unless
// exactly one row matches).
void CUserFuncPage1::LookUpSonde(const std::string& serial) {
  UserFunctionRecord& r = sheet_->m_Record;
  qv::CloseSondeRecordset(sheet_->m_pSondeRs);
  r.Inputs = kUnknown;
  r.SondeID = kUnknown;
  if (r.Abbrev.empty() || r.Abbrev == "*") return;
  try {
    sheet_->m_pSondeRs = qv::OpenSondeRecordset(r.Abbrev, serial);
    if (sheet_->m_pSondeRs && qv::CountRecords(sheet_->m_pSondeRs.get()) == 1) {
      r.Inputs = static_cast<std::uint32_t>(
          qv::AtoiC(qv::GetFieldString(sheet_->m_pSondeRs.get(), "NumberOfChannels").c_str()));
      r.SondeID = static_cast<std::uint32_t>(qv::AtoiC(qv::GetFieldString(sheet_->m_pSondeRs.get(), "Sonde").c_str()));
      LoadInputs();
    }
  } catch (const std::exception& e) {
    ShowDatabaseError(&e);
  }
}

bool CUserFuncPage1::LoadInputs() {
  UserFunctionRecord& r = sheet_->m_Record;
  if (!sheet_->m_pDatabase) return false;
  try {
    // The key is a number formatted here, never text from a user.
    auto rs = qv::OpenQuery(sheet_->m_pDatabase.get(),
                            qv::FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u AND CHANNELPHYSIC < 13 "
                                        "ORDER BY CHANNELPHYSIC ASC",
                                        r.SondeID),
                            true);
    r.Inputs = static_cast<std::uint32_t>(qv::CountRecords(rs.get()));
    if (rs) rs->Close();
  } catch (const std::exception& e) {
    ShowDatabaseError(&e);
    return false;
  }
  if (r.Inputs == 0) return false;
  inputs_->setText(Q(qv::FormatC("%u", r.Inputs)));
  return true;
}

void CUserFuncPage1::OnSelectSonde() {
  UserFunctionRecord& r = sheet_->m_Record;
  const int index = sonde_->currentIndex();
  if (index < 0) {
    r.SondeSN.clear();
    r.Abbrev.clear();
    loading_ = true;
    list_->clear();
    files_.clear();
    serial_->clear();
    comment_->clear();
    name_->clear();
    loading_ = false;
    name_->setReadOnly(true);
    comment_->setReadOnly(true);
    return;
  }
  std::string serial;
  if (sonde_->itemData(index).toInt() == -1) {
    new_->setEnabled(false);
    r.Abbrev = "*";
  } else {
    new_->setEnabled(true);
    const std::string text = S(sonde_->itemText(index));
    r.Abbrev = text.substr(0, 4);
    const auto open = text.find('[');
    if (open != std::string::npos) {
      const auto close = text.find(']', open + 1);
      if (close != std::string::npos) serial = text.substr(open + 1, close - open - 1);
    }
  }
  r.SondeSN = serial;
  LookUpSonde(serial);
  sheet_->m_bSonic = qv::GetToolType(r.Abbrev, false) == kSonicToolType;
  RefreshFunctionList();
}

void CUserFuncPage1::FillFunctionList(const std::string& abbreviation) {
  files_.clear();
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(sheet_->m_strUserFunctionFolder, ec)) {
    const std::string name = entry.path().filename().string();
    if (LowerExt(entry.path()) != ".ini") continue;
    if (abbreviation != "*" && !StartsWithNoCase(name, abbreviation)) continue;
    found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  for (const std::string& path : found) {
    UserFunctionRecord rec;
    LoadUserFunctionIni(path, nullptr, &rec);
    std::string title = TrimRight(rec.SymName);
    files_.push_back(path);
    list_->addItem(Q(title.empty() ? "???" : title));
  }
}

void CUserFuncPage1::RefreshFunctionList() {
  loading_ = true;
  name_->clear();
  comment_->clear();
  list_->clear();
  serial_->setText(Q(sheet_->m_Record.SondeSN));
  FillFunctionList(sheet_->m_Record.Abbrev);
  const bool any = list_->count() > 0;
  delete_->setEnabled(any);
  comment_->setEnabled(any);
  name_->setEnabled(any);
  list_->setEnabled(any);
  name_->setReadOnly(false);
  comment_->setReadOnly(false);
  if (!any) {
    current_ = -1;
    loading_ = false;
    return;
  }
  list_->setCurrentRow(0);
  current_ = 0;
  LoadFunction(0);
  loading_ = false;
  modified_ = false;
}

void CUserFuncPage1::LoadFunction(int index) {
  if (index < 0 || index >= static_cast<int>(files_.size())) return;
  const bool wasLoading = loading_;
  loading_ = true;
  sheet_->m_Outputs.clear();
  std::fill(std::begin(sheet_->m_Filters), std::end(sheet_->m_Filters), UserFunctionFilter{});
  UserFunctionRecord& r = sheet_->m_Record;
  const std::string& path = files_[static_cast<size_t>(index)];
  LoadUserFunctionIni(path, &sheet_->m_Outputs, &r);
  ReadUserFunctionFilters(path, sheet_->m_Filters);
  if (!r.FileName.empty()) {
    // A function from another installation: its source lies in this one's folder.
    std::string name = r.FileName;
    const auto cut = name.find_last_of("\\/");
    if (cut != std::string::npos) name = name.substr(cut + 1);
    r.FileName = sheet_->m_strUserFunctionFolder + name;
  }
  name_->setText(Q(r.SymName));
  outputs_->setText(Q(qv::FormatC("%d", static_cast<int>(r.Outputs))));
  outputCount_ = static_cast<int>(r.Outputs);
  currentSource_ = r.FileName;
  comment_->setPlainText(Q(r.Comment));
  loading_ = wasLoading;
}

void CUserFuncPage1::OnSelectFunction() {
  const int index = list_->currentRow();
  if (index < 0) return;
  SaveFunction();
  current_ = index;
  LoadFunction(index);
  modified_ = false;
}

void CUserFuncPage1::SaveFunction() {
  if (!modified_) return;
  UserFunctionRecord& r = sheet_->m_Record;
  r.SymName = S(name_->text());
  r.Outputs = static_cast<std::uint32_t>(qv::AtoiC(S(outputs_->text()).c_str()));
  r.Comment = S(comment_->toPlainText());
  if (!r.FileName.empty()) SaveUserFunctionIni(r.FileName, &sheet_->m_Outputs, &r);
  modified_ = false;
}

void CUserFuncPage1::OnNameKillFocus() {
  if (current_ < 0 || !modified_ || current_ >= list_->count()) return;
  const std::string text = S(name_->text());
  list_->item(current_)->setText(Q(text.empty() ? "???" : text));
}

void CUserFuncPage1::OnNew() {
  OnSelectFunction();
  UserFunctionRecord& r = sheet_->m_Record;
  sheet_->m_Outputs.clear();
  sheet_->m_bBuildSucceeded = false;
  modified_ = true;
  r.UFID = kUnknown;
  std::vector<std::string> names;
  for (int i = 0; i < list_->count(); ++i) names.push_back(S(list_->item(i)->text()));
  r.SymName = qv::NewFunctionName(r.Abbrev, names);
  // A sonde whose channels were not counted gets one output.
  const int inputs =
      r.Inputs == kUnknown || r.Inputs == 0 ? 1 : static_cast<int>(std::min<std::uint32_t>(r.Inputs, 12));
  r.Outputs = static_cast<std::uint32_t>(inputs);
  outputCount_ = inputs;
  r.Comment.clear();
  r.FileName = qv::NewUserFunctionFileName(sheet_->m_strUserFunctionFolder, r.Abbrev);
  if (r.FileName.empty()) {
    sheet_->done(-1);
    return;
  }
  files_.push_back(qv::UserFunctionFilesOf(r.FileName).ini);
  loading_ = true;
  outputs_->setEnabled(true);
  outputs_->setText(Q(qv::FormatC("%d", inputs)));
  outputs_->setFocus();
  name_->setEnabled(true);
  name_->setText(Q(r.SymName));
  comment_->setEnabled(true);
  comment_->clear();
  list_->setEnabled(true);
  list_->addItem(Q(r.SymName));
  list_->setCurrentRow(list_->count() - 1);
  loading_ = false;
  delete_->setEnabled(list_->count() > 0);
  currentSource_.clear();
  OnSelectFunction();
}

void CUserFuncPage1::OnRemove() {
  if (qv::ShowMessageText(kStrReallyRemove, qv::LoadString(kStrReallyRemove), qv::MB_YESNO | qv::MB_ICONQUESTION) !=
      qv::IDYES)
    return;
  if (currentSource_.empty()) {
    RefreshFunctionList();
    return;
  }
  qv::DeleteUserFunctionFiles(currentSource_);
  currentSource_.clear();
  sheet_->m_Record.FileName.clear();
  OnSelectSonde();
}

void CUserFuncPage1::OnExport() {
  qv::FileDialogRequest request;
  request.open = false;
  request.defaultExt = "ufn";
  request.filter = qv::LoadString(kStrPackageFilter);
  request.parent = this;
  const std::string package = qv::ShowFileDialog(request);
  if (package.empty()) return;
  SaveFunction();
  qv::ExportUserFunctionPackage(currentSource_, package);
}

void CUserFuncPage1::OnImport() {
  qv::FileDialogRequest request;
  request.open = true;
  request.defaultExt = "ufn";
  request.filter = qv::LoadString(kStrPackageFilter);
  request.mustExist = true;
  request.parent = this;
  const std::string package = qv::ShowFileDialog(request);
  if (package.empty()) return;
  if (qv::ImportUserFunctionPackage(package, sheet_->m_strUserFunctionFolder)) OnSelectSonde();
}

bool CUserFuncPage1::OnKillActive() {
  int outputs = outputCount_;
  switch (qv::CheckSelectionLeave(S(name_->text()), S(outputs_->text()), &outputs)) {
    case qv::SelectionLeave::Unchecked:
      return true;
    case qv::SelectionLeave::Invalid: {
      // The validation message of a number edit keeps the user on the page.
      qv::DataExchange dx(true);
      int value = 0;
      qv::DDX_Text(dx, outputs_, value);
      if (!dx.Failed()) qv::DDV_MinMaxInt(dx, value, qv::kMinOutputs, qv::kMaxOutputs);
      outputs_->setFocus();
      return false;
    }
    case qv::SelectionLeave::Valid:
      break;
  }
  outputCount_ = outputs;
  sheet_->m_nOutputs = outputs;
  if (static_cast<int>(sheet_->m_Record.Outputs) != outputs) {
    sheet_->m_Record.Outputs = static_cast<std::uint32_t>(outputs);
    modified_ = true;
  }
  if (sheet_->m_bSonic && sheet_->m_Outputs.empty()) {
    TrackArray tracks;
    qv::LoadDisplayParametersFromDatabase(&tracks, &sheet_->m_Outputs, sheet_->m_Record.Abbrev, "");
    std::erase_if(sheet_->m_Outputs, [](const auto& c) { return c->physicalChannel <= 12; });
  }
  qv::FitOutputRecords(&sheet_->m_Outputs, outputs, sheet_->m_bSonic);
  SaveFunction();
  return true;
}

void CUserFuncPage1::OnOK() {
  SaveFunction();
}

// ----------------------------------------------------------- Implementation

CUserFuncPage2::CUserFuncPage2(CUserFuncSheet* sheet) : qv::PropertyPage("Implementation"), sheet_(sheet) {
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel("Function Editor", this), 0, 0, 1, 2);
  editor_ = new QPlainTextEdit(this);
  editor_->setObjectName("2163");
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(editor_, 1, 0, 1, 2);
  compile_ = new QPushButton("&Compile and Implement", this);
  compile_->setObjectName("2018");
  compile_->setDefault(true);
  save_ = new QPushButton("&Save Source", this);
  save_->setObjectName("2026");
  layout->addWidget(compile_, 2, 0);
  layout->addWidget(save_, 2, 1);
  connect(compile_, &QPushButton::clicked, this, [this] { OnCompile(); });
  connect(save_, &QPushButton::clicked, this, [this] { OnSaveSource(); });
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
    if (loading_) return;
    if (!modified_) {
      compile_->setEnabled(!building_);
      save_->setEnabled(true);
    }
    modified_ = true;
  });
}

CUserFuncPage2::~CUserFuncPage2() {
  // The compiler is bounded by its time-out; wait for the worker to finish.
  if (worker_.joinable()) worker_.join();
}

bool CUserFuncPage2::OnInitDialog() {
  compile_->setEnabled(false);
  save_->setEnabled(false);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(9);
  editor_->setFont(font);
  modified_ = false;
  return true;
}

bool CUserFuncPage2::OnSetActive() {
  if (sheet_->m_Record.FileName.empty()) {
    QTimer::singleShot(0, sheet_, [s = QPointer<CUserFuncSheet>(sheet_)] {
      if (s) s->SetActivePage(0);
    });
    return true;
  }
  LoadSource();
  return true;
}

bool CUserFuncPage2::OnKillActive() {
  if (building_) {
    qv::Beep();
    return false;  // the build writes the source and library: stay until it ends
  }
  if (modified_ && qv::ShowMessageText(kStrSaveChanges, qv::LoadString(kStrSaveChanges),
                                       qv::MB_YESNO | qv::MB_ICONQUESTION) == qv::IDYES)
    SaveSource();
  return true;
}

bool CUserFuncPage2::SaveSource() {
  if (!qv::SaveUserFunctionSource(sheet_->m_Record, S(editor_->toPlainText()).empty()
                                                        ? std::string()
                                                        : S(editor_->toPlainText().replace("\n", "\r\n"))))
    return false;
  save_->setEnabled(false);
  modified_ = false;
  return true;
}

void CUserFuncPage2::LoadSource() {
  loading_ = true;
  sheet_->m_bBuildSucceeded = false;
  std::string text = qv::LoadUserFunctionSource(sheet_->m_Record.FileName, sheet_->m_nOutputs);
  editor_->setPlainText(Q(text).replace("\r\n", "\n"));
  loading_ = false;
  modified_ = false;
  save_->setEnabled(false);
  compile_->setEnabled(!building_);
}

void CUserFuncPage2::OnSaveSource() {
  if (modified_) SaveSource();
}

void CUserFuncPage2::OnCompile() {
  if (building_) return;
  if (worker_.joinable()) worker_.join();
  sheet_->m_bBuildSucceeded = false;
  building_ = true;
  compile_->setEnabled(false);
  save_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const UserFunctionRecord record = sheet_->m_Record;
  const std::string text = S(editor_->toPlainText().replace("\n", "\r\n"));
  const qv::UserFunctionBuildOptions options = sheet_->m_BuildOptions;
  // The build saves the source, runs the compiler and the test load; its
  // boxes are shown by the GUI thread while the worker waits.
  QPointer<CUserFuncPage2> self(this);
  worker_ = std::thread([self, record, text, options] {
    const bool ok = qv::BuildUserFunction(record, text, options);
    QMetaObject::invokeMethod(
        qApp,
        [self, ok] {
          if (self) self->BuildFinished(ok);
        },
        Qt::QueuedConnection);
  });
}

void CUserFuncPage2::BuildFinished(bool ok) {
  QApplication::restoreOverrideCursor();
  building_ = false;
  sheet_->m_bBuildSucceeded = ok;
  modified_ = false;
  compile_->setEnabled(true);
}

// -------------------------------------------------------------------- Sheet

CUserFuncSheet::CUserFuncSheet(QWidget* parent) : qv::PropertySheet(qv::LoadString(kStrCaption), parent) {
  m_pDatabase = qv::OpenSondeDatabase();
  m_strProgramFolder = qv::ProgramFolder();
  m_strUserFunctionFolder = qv::UserFunctionFolder();
  if (!m_strUserFunctionFolder.empty() && m_strUserFunctionFolder.back() != '/') m_strUserFunctionFolder += '/';
  page1_ = new CUserFuncPage1(this);
  page2_ = new CUserFuncPage2(this);
  AddPage(page1_);
  AddPage(page2_);
}

CUserFuncSheet::~CUserFuncSheet() {
  qv::CloseSondeRecordset(m_pSondeRs);
  qv::CloseSondeDatabase(m_pDatabase);
}

bool CUserFuncSheet::OnInitDialog() {
  SetButtonText(OkButton, qv::LoadString(kStrOk));
  return true;
}

namespace qv {
void InstallUserFunctionTool(std::function<void(CUserFuncSheet&)> run) {
  Tools().userFunctions = [run = std::move(run)] {
    CUserFuncSheet sheet(QApplication::activeWindow());
    sheet.EnsureInitialised();
    if (run)
      run(sheet);
    else
      sheet.DoModal();
  };
}
}  // namespace qv
