#include "userfunc/ui/user_func_sheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/newlog/new_log.h"
#include "app/ui/frames.h"
#include "app/ui/line_dialog.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "header/section_access.h"
#include "platform/docview/services.h"
#include "platform/sync/sync.h"
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
  // The INI keeps the comment on one line: a line break would end the key
  // and make the rest a key of its own.
  QString comment = comment_->toPlainText();
  comment.replace(QRegularExpression("[\r\n]+"), " ");
  r.Comment = S(comment);
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
  // The new function's file name first: when there is none, nothing changes.
  bool folderMissing = false;
  const std::string fileName = qv::NewUserFunctionFileName(sheet_->m_strUserFunctionFolder, r.Abbrev, &folderMissing);
  if (fileName.empty()) {
    if (folderMissing) sheet_->done(-1);
    return;
  }
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
  r.FileName = fileName;
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
  // Its boxes are not waited for meanwhile: this thread cannot show them.
  qv::GuiWaitScope waiting;
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

// The editor's text with the CR LF line ends the source file keeps.
std::string CUserFuncPage2::EditorText() const {
  return S(editor_->toPlainText().replace("\n", "\r\n"));
}

bool CUserFuncPage2::SaveSource() {
  if (!qv::SaveUserFunctionSource(sheet_->m_Record, EditorText())) return false;
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
  if (worker_.joinable()) {
    qv::GuiWaitScope waiting;  // the last build has ended: it only returns
    worker_.join();
  }
  sheet_->m_bBuildSucceeded = false;
  building_ = true;
  compile_->setEnabled(false);
  save_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const UserFunctionRecord record = sheet_->m_Record;
  const std::string text = EditorText();
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

// ---------------------------------------------------------- Display Options

namespace {
constexpr unsigned kStrOutputChannels = 32285;
constexpr unsigned kTrackHeadings[] = {32329, 32332, 32330, 32331};
constexpr int kRootData = 100;
constexpr int kMaxStrength = 25;

// A swatch the page paints: the colour, or the print style on white.
class Swatch : public QWidget {
 public:
  Swatch(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
      : QWidget(parent), paint_(std::move(paint)) {
    setMinimumSize(60, 18);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    paint_(painter, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
};
}  // namespace

CUserFuncPage3::CUserFuncPage3(CUserFuncSheet* sheet) : qv::PropertyPage("Display Options"), sheet_(sheet) {
  auto* layout = new QGridLayout(this);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName("2077");
  tree_->setHeaderHidden(true);
  layout->addWidget(tree_, 0, 0, 8, 1);
  const auto edit = [this, layout](const char* label, const char* id, int row, int column) {
    layout->addWidget(new QLabel(label, this), row, column);
    auto* e = new QLineEdit(this);
    e->setObjectName(id);
    layout->addWidget(e, row, column + 1);
    return e;
  };
  name_ = edit("Name", "2062", 0, 1);
  short_ = edit("Short", "2065", 1, 1);
  unit_ = edit("Unit", "2078", 2, 1);
  minimum_ = edit("Minimum", "2058", 3, 1);
  maximum_ = edit("Maximum", "2064", 4, 1);

  auto* curve = new QGroupBox("Curve Options", this);
  auto* cGrid = new QGridLayout(curve);
  colourSwatch_ = new Swatch(curve, [this](QPainter& p, const QRect& r) { p.fillRect(r, FromColourRef(colour_)); });
  colourSwatch_->setObjectName("2054");
  auto* colourButton = new QPushButton("Change Display Colour", curve);
  colourButton->setObjectName("2055");
  styleSwatch_ =
      new Swatch(curve, [this](QPainter& p, const QRect& r) { CLineStyleBox::DrawItem(p, r, style_, false); });
  styleSwatch_->setObjectName("2060");
  auto* styleButton = new QPushButton("Change Print Style", curve);
  styleButton->setObjectName("2076");
  reverse_ = new QCheckBox("Reverse Scale", curve);
  reverse_->setObjectName("2562");
  filter_ = new QComboBox(curve);
  filter_->setObjectName("3437");
  spin_ = new QSpinBox(curve);
  spin_->setObjectName("2063");
  spin_->setRange(0, kMaxStrength);
  strength_ = new QLabel("1", curve);
  strength_->setObjectName("2080");
  cGrid->addWidget(colourSwatch_, 0, 0);
  cGrid->addWidget(colourButton, 0, 1);
  cGrid->addWidget(styleSwatch_, 1, 0);
  cGrid->addWidget(styleButton, 1, 1);
  cGrid->addWidget(reverse_, 2, 0, 1, 2);
  cGrid->addWidget(new QLabel("Filter Options:", curve), 3, 0);
  cGrid->addWidget(filter_, 3, 1);
  cGrid->addWidget(new QLabel("Strength:", curve), 4, 0);
  auto* strengthRow = new QHBoxLayout;
  strengthRow->addWidget(strength_);
  strengthRow->addWidget(spin_);
  cGrid->addLayout(strengthRow, 4, 1);
  layout->addWidget(curve, 5, 1, 1, 2);

  layout->addWidget(new QLabel("Visible", this), 6, 1);
  visible_ = new QCheckBox(this);
  visible_->setObjectName("2079");
  visible_->setEnabled(false);  // it only shows whether the output has a place in the grid
  layout->addWidget(visible_, 6, 2);
  layout->addWidget(new QLabel("Track Alignment", this), 8, 0, 1, 3);
  table_ = new QTableWidget(this);
  table_->setObjectName("2498");
  layout->addWidget(table_, 9, 0, 1, 3);
  grid_ = std::make_unique<qv::Grid>(table_);
  grid_->SetRows(qv::TrackLayout::kRows);
  grid_->SetCols(qv::TrackLayout::kColumns);
  grid_->SetFixedRows(1);
  table_->installEventFilter(this);

  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
    if (!treeReady_ || !item) return;
    const int data = item->data(0, Qt::UserRole).toInt();
    OnSelectOutput(data == kRootData ? -1 : data);
  });
  connect(name_, &QLineEdit::textEdited, this, [this] { OnNameChange(); });
  connect(colourButton, &QPushButton::clicked, this, [this] { OnChangeColour(); });
  connect(styleButton, &QPushButton::clicked, this, [this] { OnChangePrintStyle(); });
  connect(spin_, &QSpinBox::valueChanged, this, [this](int p) { strength_->setText(QString::number(2 * p + 1)); });
  grid_->OnClick([this](int row, int column) { OnGridClick(row, column); });
}

bool CUserFuncPage3::OnInitDialog() {
  for (unsigned id : kFilterTypeNames) filter_->addItem(Q(qv::LoadString(id)));
  filter_->setCurrentIndex(0);
  spin_->setValue(0);
  QFont font = grid_->Font();
  font.setFamily(this->font().family());
  font.setPointSizeF(font.pointSizeF() + 1);
  grid_->SetFont(font);
  FitGridColumns(table_->width());
  for (int c = 0; c < qv::TrackLayout::kColumns; ++c) grid_->SetTextAt(0, c, qv::LoadString(kTrackHeadings[c]));
  return true;
}

// Columns 0, 2 and 3 three units wide, the depth column one; ten units
// fill the grid.
void CUserFuncPage3::FitGridColumns(int width) {
  const int dpi = std::max(1, logicalDpiX());
  const int unit = (width - 4) * 1440 / 10 / dpi;
  if (unit <= 0) return;
  for (int c = 0; c < qv::TrackLayout::kColumns; ++c) grid_->SetColWidth(c, c == 1 ? unit : 3 * unit);
}

bool CUserFuncPage3::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::Resize)
    FitGridColumns(static_cast<QResizeEvent*>(event)->size().width() - 2 * table_->frameWidth() -
                   table_->verticalScrollBar()->sizeHint().width());
  return qv::PropertyPage::eventFilter(watched, event);
}

bool CUserFuncPage3::OnSetActive() {
  if (sheet_->m_Record.FileName.empty()) {
    QTimer::singleShot(0, sheet_, [s = QPointer<CUserFuncSheet>(sheet_)] {
      if (s) s->SetActivePage(0);
    });
    return true;
  }
  entries_.clear();
  for (const auto& c : sheet_->m_Outputs) entries_.push_back(*c);
  selected_ = -1;
  FillTree();
  FillGrid();
  return true;
}

void CUserFuncPage3::FillTree() {
  treeReady_ = false;
  tree_->clear();
  auto* root = new QTreeWidgetItem(tree_, QStringList(Q(qv::LoadString(kStrOutputChannels))));
  root->setData(0, Qt::UserRole, kRootData);
  for (size_t i = 0; i < entries_.size(); ++i) {
    auto* item = new QTreeWidgetItem(root, QStringList(Q(entries_[i].description)));
    item->setData(0, Qt::UserRole, static_cast<int>(i));
  }
  root->setExpanded(true);
  treeReady_ = true;
  if (root->childCount() > 0) tree_->setCurrentItem(root->child(0));
}

void CUserFuncPage3::FillGrid() {
  const int row = grid_->Row(), column = grid_->Col();
  layout_.Fill(entries_);
  for (int r = 1; r < qv::TrackLayout::kRows; ++r)
    for (int c = 0; c < qv::TrackLayout::kColumns; ++c) grid_->SetTextAt(r, c, layout_.Cell(r, c));
  grid_->SetRow(row);
  grid_->SetCol(column);
}

void CUserFuncPage3::OnSelectOutput(int index) {
  if (index < 0) {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (root && root->childCount() > 0) tree_->setCurrentItem(root->child(0));
    return;
  }
  if (selected_ >= 0 && treeReady_) StoreOutput(selected_);
  ShowOutput(index);
}

void CUserFuncPage3::ShowOutput(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  store_ = false;
  selected_ = index;
  const CurveRecord& e = entries_[static_cast<size_t>(index)];
  colour_ = e.lineColour;
  style_ = e.printLineStyle;
  visible_->setChecked(e.headerFlag != 0);
  reverse_->setChecked(e.scaleFlag == 0);
  const UserFunctionFilter* f = qv::FilterEntryOf(sheet_->m_Filters, e);
  // A type the combo does not list shows no item and is kept on store.
  filter_->setCurrentIndex(f && f->FilterType < std::size(kFilterTypeNames) ? f->FilterType : (f ? -1 : 0));
  filter_->setEnabled(f != nullptr);
  spin_->setEnabled(f != nullptr);
  spin_->setValue(f ? std::clamp((f->FilterWidth - 1) / 2, 0, kMaxStrength) : 0);
  strength_->setText(QString::number(2 * spin_->value() + 1));
  minimum_->setText(Q(qv::FormatC("%.2f", static_cast<double>(e.scaleMinimum))));
  maximum_->setText(Q(qv::FormatC("%.2f", static_cast<double>(e.scaleMaximum))));
  short_->setText(Q(e.shortTitle));
  name_->setText(Q(e.description));
  unit_->setText(Q(e.unit));
  if (e.headerFlag) {
    const int row = e.headerLine + 1;
    grid_->SetRow(row);
    grid_->SetCol(e.firstTrack);
    table_->setCurrentCell(row, e.firstTrack);
    layout_.Remember(row, e.firstTrack);
  }
  store_ = true;
  colourSwatch_->update();
  styleSwatch_->update();
}

void CUserFuncPage3::StoreOutput(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  CurveRecord& e = entries_[static_cast<size_t>(index)];
  e.lineColour = colour_;
  e.printLineStyle = style_;
  e.headerFlag = visible_->isChecked() ? 1 : 0;
  e.scaleFlag = reverse_->isChecked() ? 0 : 1;
  // Only an output whose channel has a filter entry edits one.
  if (filter_->isEnabled())
    qv::StoreFilter(qv::FilterEntryOf(sheet_->m_Filters, e), filter_->currentIndex(), spin_->value());
  double minimum = 0, maximum = 0;
  if (qv::ParseDouble(S(minimum_->text()), &minimum) && qv::ParseDouble(S(maximum_->text()), &maximum) &&
      maximum > minimum) {
    e.scaleMinimum = static_cast<float>(minimum);
    e.scaleMaximum = static_cast<float>(maximum);
  }
  e.shortTitle = S(short_->text());
  e.description = S(name_->text());
  e.unit = S(unit_->text());
}

void CUserFuncPage3::StoreAll() {
  StoreOutput(selected_);
  for (size_t i = 0; i < entries_.size() && i < sheet_->m_Outputs.size(); ++i) {
    CurveRecord& target = *sheet_->m_Outputs[i];
    const CurveRecord& e = entries_[i];
    target.headerLine = e.headerLine;
    target.firstTrack = e.firstTrack;
    target.lastTrack = e.lastTrack;
    target.headerFlag = e.headerFlag;
    target.scaleFlag = e.scaleFlag;
    target.description = e.description;
    target.shortTitle = e.shortTitle;
    target.unit = e.unit;
    target.physicalChannel = e.physicalChannel;
    target.logicalChannel = e.logicalChannel;
    target.window = e.window;
    target.adjustment = e.adjustment;
    target.mode = e.mode;
    target.fillColour = e.fillColour;
    target.lineColour = e.lineColour;
    target.printLineStyle = e.printLineStyle;
    target.scaleMinimum = e.scaleMinimum;
    target.scaleMaximum = e.scaleMaximum;
    target.screenRect = e.screenRect;
  }
}

void CUserFuncPage3::SaveIni() {
  const std::string& path = sheet_->m_Record.FileName;
  if (path.empty()) return;
  SaveUserFunctionIni(path, &sheet_->m_Outputs, &sheet_->m_Record);
  WriteUserFunctionFilters(path, sheet_->m_Filters);
}

bool CUserFuncPage3::OnKillActive() {
  if (entries_.empty() && selected_ < 0) return true;
  StoreAll();
  treeReady_ = false;
  tree_->clear();
  treeReady_ = true;
  selected_ = -1;
  SaveIni();
  return true;
}

void CUserFuncPage3::OnOK() {
  if (selected_ < 0) return;
  StoreAll();
  SaveIni();
}

void CUserFuncPage3::OnNameChange() {
  if (selected_ < 0 || !store_) return;
  const std::string title = S(name_->text());
  if (QTreeWidgetItem* item = tree_->currentItem()) item->setText(0, Q(title));
  entries_[static_cast<size_t>(selected_)].description = title;
  FillGrid();
}

void CUserFuncPage3::OnGridClick(int row, int column) {
  if (selected_ < 0) return;
  if (!layout_.Click(entries_, selected_, row, column, sheet_->m_bSonic)) {
    qv::Beep();
    grid_->SetRow(layout_.RememberedRow());
    grid_->SetCol(layout_.RememberedColumn());
    table_->setCurrentCell(layout_.RememberedRow(), layout_.RememberedColumn());
    return;
  }
  FillGrid();
  // The settings shown again (what was typed is kept), with the new place.
  visible_->setChecked(entries_[static_cast<size_t>(selected_)].headerFlag != 0);
  StoreOutput(selected_);
  ShowOutput(selected_);
}

void CUserFuncPage3::OnChangeColour() {
  CColorDlg dialog(colour_, 0, this);
  if (curveview::RunDialog(dialog) == QDialog::Accepted) colour_ = dialog.GetColor();
  colourSwatch_->update();
}

void CUserFuncPage3::OnChangePrintStyle() {
  if (selected_ < 0) return;
  int style = style_;
  if (curveview::ChoosePrintStyle(entries_[static_cast<size_t>(selected_)].shortTitle, &style, this)) style_ = style;
  styleSwatch_->update();
}

// -------------------------------------------------------------------- Sheet

CUserFuncSheet::CUserFuncSheet(QWidget* parent) : qv::PropertySheet(qv::LoadString(kStrCaption), parent) {
  m_pDatabase = qv::OpenSondeDatabase();
  m_strProgramFolder = qv::ProgramFolder();
  m_strUserFunctionFolder = qv::UserFunctionFolder();
  if (!m_strUserFunctionFolder.empty() && m_strUserFunctionFolder.back() != '/') m_strUserFunctionFolder += '/';
  page1_ = new CUserFuncPage1(this);
  page2_ = new CUserFuncPage2(this);
  page3_ = new CUserFuncPage3(this);
  // The tabs read "Selection", "Display Options", "Implementation".
  AddPage(page1_);
  AddPage(page3_);
  AddPage(page2_);
}

CUserFuncSheet::~CUserFuncSheet() {
  qv::CloseSondeRecordset(m_pSondeRs);
  qv::CloseSondeDatabase(m_pDatabase);
}

void CUserFuncSheet::reject() {
  if (page2_->Building()) {
    qv::Beep();
    return;
  }
  qv::PropertySheet::reject();
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
