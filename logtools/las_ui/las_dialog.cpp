#include "logtools/las_ui/las_dialog.h"

#include <strings.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "header/header.h"
#include "header/section_access.h"
#include "header/user_function_ini.h"
#include "logtools/engine/tool_dialogs.h"
#include "logtools/las/las_dialog_model.h"
#include "logtools/ui/file_dialog.h"
#include "platform/docview/qtext.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "userfunc/user_function_files.h"

namespace {

constexpr unsigned kLogFilter = 32381;
constexpr unsigned kLasFilter = 32415;
constexpr unsigned kCalibrationFilter = 32045;
constexpr unsigned kFeetUnit = 32349;
constexpr unsigned kMetreUnit = 32351;
constexpr unsigned kNotAvailable = 32418;
constexpr unsigned kHeaderSource = 32241;
constexpr unsigned kExportSucceeded = 32416;
constexpr unsigned kExportFailed = 32417;
const char kNoSelection[] = "- No Selection -";

QString Text(unsigned id) {
  return qv::QStr(qv::LoadString(id));
}

template <class W>
W* Named(W* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

// A depth in thousandths as the edits show it: units with "%G".
QString DepthText(double thousandths) {
  return QString::fromStdString(qv::FormatC("%G", thousandths / 1000.0));
}

int TypedDepth(const QLineEdit* edit) {
  return static_cast<int>(qv::AtofC(edit->text().toStdString().c_str()) * 1000.0);
}

std::string Extension(const std::string& path) {
  const std::string name = qv::FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

CLASCfg::CLASCfg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("LAS Export Utility");
  auto* layout = new QGridLayout(this);

  auto* files = new QGroupBox("Select files", this);
  auto* fileGrid = new QGridLayout(files);
  input_ = Named(new QLabel(kNoSelection, files), 3089);
  output_ = Named(new QLabel(kNoSelection, files), 3074);
  auto* inputBrowse = Named(new QPushButton("...", files), 3075);
  auto* outputBrowse = Named(new QPushButton("...", files), 3082);
  calibration_ = Named(new QComboBox(files), 3080);
  calibrationBrowse_ = Named(new QPushButton("...", files), 3081);
  userFunction_ = Named(new QComboBox(files), 3079);
  fileGrid->addWidget(new QLabel("Input Log File:", files), 0, 0);
  fileGrid->addWidget(input_, 0, 1);
  fileGrid->addWidget(inputBrowse, 0, 2);
  fileGrid->addWidget(new QLabel("Output LAS File:", files), 1, 0);
  fileGrid->addWidget(output_, 1, 1);
  fileGrid->addWidget(outputBrowse, 1, 2);
  fileGrid->addWidget(new QLabel("Calibration:", files), 2, 0);
  fileGrid->addWidget(calibration_, 2, 1);
  fileGrid->addWidget(calibrationBrowse_, 2, 2);
  fileGrid->addWidget(new QLabel("User Function:", files), 3, 0);
  fileGrid->addWidget(userFunction_, 3, 1);
  layout->addWidget(files, 0, 0, 1, 2);

  auto* config = new QGroupBox("Configuration", this);
  auto* grid = new QGridLayout(config);
  list_ = Named(new QListWidget(config), 3076);
  rawFilter_ = Named(new QCheckBox("Enable Raw Data Filtering", config), 3090);
  from_ = Named(new QLineEdit(config), 3085);
  to_ = Named(new QLineEdit(config), 3084);
  interval_ = Named(new QComboBox(config), 3086);
  unit_ = Named(new QLabel("mft", config), 3088);
  reverse_ = Named(new QCheckBox("Revert Depth Direction", config), 3091);
  grid->addWidget(new QLabel("Data Channels:", config), 0, 0);
  grid->addWidget(list_, 1, 0, 6, 1);
  grid->addWidget(rawFilter_, 0, 1, 1, 3);
  grid->addWidget(new QLabel("Export Depth Range:", config), 1, 1, 1, 3);
  grid->addWidget(new QLabel("From:", config), 2, 1);
  grid->addWidget(from_, 2, 2);
  grid->addWidget(new QLabel("To:", config), 3, 1);
  grid->addWidget(to_, 3, 2);
  grid->addWidget(new QLabel("Interval:", config), 4, 1);
  grid->addWidget(interval_, 4, 2);
  grid->addWidget(unit_, 4, 3);
  grid->addWidget(reverse_, 5, 1, 1, 3);
  layout->addWidget(config, 1, 0, 1, 2);

  start_ = Named(new QPushButton("Start", this), 3087);
  start_->setDefault(true);
  auto* close = Named(new QPushButton("Close", this), 2);
  layout->addWidget(start_, 2, 0);
  layout->addWidget(close, 2, 1);

  connect(inputBrowse, &QPushButton::clicked, this, &CLASCfg::OnBrowseInput);
  connect(outputBrowse, &QPushButton::clicked, this, &CLASCfg::OnBrowseOutput);
  connect(calibrationBrowse_, &QPushButton::clicked, this, &CLASCfg::OnBrowseCalibration);
  connect(calibration_, &QComboBox::activated, this, &CLASCfg::OnCalibrationChange);
  connect(userFunction_, &QComboBox::activated, this, &CLASCfg::OnUserFunctionChange);
  connect(from_, &QLineEdit::editingFinished, this, &CLASCfg::OnFromKillFocus);
  connect(to_, &QLineEdit::editingFinished, this, &CLASCfg::OnToKillFocus);
  connect(interval_, &QComboBox::activated, this, &CLASCfg::OnIntervalChange);
  connect(rawFilter_, &QCheckBox::clicked, this, &CLASCfg::OnRawFilter);
  connect(reverse_, &QCheckBox::clicked, this, &CLASCfg::OnReverseDepth);
  connect(list_, &QListWidget::itemChanged, this, &CLASCfg::OnChannelCheck);
  connect(start_, &QPushButton::clicked, this, &CLASCfg::OnStart);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  EnableControls();
}

void CLASCfg::ShowNames() {
  input_->setText(inputName_.empty() ? qv::Tr(kNoSelection) : QString::fromStdString(inputName_));
  output_->setText(outputName_.empty() ? qv::Tr(kNoSelection) : QString::fromStdString(outputName_));
}

void CLASCfg::EnableControls() {
  const bool input = !inputName_.empty() && headerRead_;
  for (QWidget* w : std::initializer_list<QWidget*>{calibrationBrowse_, to_, from_, interval_, rawFilter_,
                                                    userFunction_, calibration_})
    w->setEnabled(input);
  if (!input) unit_->clear();
  const bool depthLog = header_.LogMode == 11 || header_.LogMode == 12;
  from_->setEnabled(input && depthLog);
  to_->setEnabled(input && depthLog);
  interval_->setEnabled(input && depthLog);
  start_->setEnabled(input && !outputName_.empty());
}

void CLASCfg::OnBrowseInput() {
  qv::ToolFileRequest request;
  request.filterId = kLogFilter;
  request.defaultExt = "LOG";
  request.initialFolder = qv::DataFolderForDialogs();
  request.fileMustExist = true;
  if (const auto path = qv::RunFileDialog(this, request)) {
    qv::SetDefaultDataFolder(qv::FolderWithSeparator(*path));
    inputName_ = qv::FileNamePart(*path);
    settings_.InputPath = *path;
    settings_.TwelveChannel = strcasecmp(Extension(*path).c_str(), "LGX") == 0 ? 1 : 0;
    settings_.LasPath = LasPathFor(*path);
    outputName_ = qv::FileNamePart(settings_.LasPath);
  } else {
    inputName_.clear();
    settings_.InputPath.clear();
  }
  ShowNames();
  LoadInputLog();
  EnableControls();
}

void CLASCfg::OnBrowseOutput() {
  qv::ToolFileRequest request;
  request.save = true;
  request.filterId = kLasFilter;
  request.defaultExt = "LAS";
  request.initialName = outputName_.empty() ? "*.LAS" : outputName_;
  request.initialFolder =
      !settings_.LasPath.empty() ? qv::FolderWithSeparator(settings_.LasPath) : qv::ProgramDataFolder();
  if (const auto path = qv::RunFileDialog(this, request)) {
    outputName_ = qv::FileNamePart(*path);
    settings_.LasPath = *path;
  } else {
    outputName_.clear();
    settings_.LasPath.clear();
  }
  ShowNames();
  EnableControls();
}

void CLASCfg::LoadInputLog() {
  // Nothing of an earlier log may stay: a log whose header cannot be read
  // (its reader has said why) leaves a cleared header behind.
  header_ = HeaderInfo{};
  headerRead_ = !settings_.InputPath.empty() && ReadHeaderInfo(settings_.InputPath, &header_) == 1;
  if (!headerRead_) header_ = HeaderInfo{};
  channels_.clear();
  // The other reads of a header that failed would only repeat its message.
  if (headerRead_) ReadCurveRecords(settings_.InputPath, &channels_);
  unit_->setText(Text(header_.DepthUnit != 0 ? kFeetUnit : kMetreUnit));
  ChannelFilter filters[kFilterTableSize] = {};
  if (headerRead_) ReadChannelFilters(settings_.InputPath, filters);
  for (const ChannelFilter& f : filters)
    if (f.FilterType != 0) {
      settings_.RawFilter = 1;
      rawFilter_->setChecked(true);
      break;
    }
  settings_.FromDepth = header_.Startdepth;
  settings_.ToDepth = header_.EndDepth;
  from_->setText(DepthText(settings_.FromDepth));
  to_->setText(DepthText(settings_.ToDepth));
  FillChannelList();
  FillIntervalCombo();
  FillCalibrationCombo();
  FillUserFunctionCombo();
  if (!headerRead_) {
    from_->clear();
    to_->clear();
    interval_->clear();
  }
}

void CLASCfg::FillChannelList() {
  filling_ = true;
  list_->clear();
  const int limit = settings_.TwelveChannel == 1 ? 12 : 6;
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    CurveRecord* c = channels_[i].get();
    if (c == nullptr) continue;
    if (c->physicalChannel > limit) {
      c->headerFlag = 0;  // such a channel is never exported
      continue;
    }
    auto* item = new QListWidgetItem(QString::fromStdString(c->description + " [" + c->shortTitle + "]"), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(c->headerFlag != 0 ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, static_cast<int>(i));
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  filling_ = false;
}

void CLASCfg::FillIntervalCombo() {
  interval_->clear();
  if (settings_.InputPath.empty()) return;
  settings_.Interval = header_.Step;
  const IntervalChoices choices = LasIntervalChoices(header_);
  for (int v : choices.values) interval_->addItem(QString::number(v));
  if (!choices.values.empty()) {
    interval_->setCurrentIndex(choices.selected);
    settings_.Interval = choices.values[static_cast<std::size_t>(choices.selected)];
  }
  OnIntervalChange();
}

void CLASCfg::OnIntervalChange() {
  if (interval_->currentIndex() >= 0) settings_.Interval = qv::AtofC(interval_->currentText().toStdString().c_str());
  OnFromKillFocus();
  OnToKillFocus();
}

void CLASCfg::OnFromKillFocus() {
  const int f = CheckLasFrom(header_, TypedDepth(from_), TypedDepth(to_), static_cast<int>(settings_.Interval));
  settings_.FromDepth = f;
  from_->setText(DepthText(f));
}

void CLASCfg::OnToKillFocus() {
  const int t = CheckLasTo(header_, TypedDepth(from_), TypedDepth(to_), static_cast<int>(settings_.Interval));
  settings_.ToDepth = t;
  to_->setText(DepthText(t));
}

void CLASCfg::FillCalibrationCombo() {
  calibration_->clear();
  calibrationPaths_.clear();
  calibration_->addItem(Text(kNotAvailable), -1);
  if (settings_.InputPath.empty()) return;
  calibrationPaths_.push_back(settings_.InputPath);
  calibration_->addItem(Text(kHeaderSource), 0);
  calibration_->setCurrentIndex(1);
  OnCalibrationChange();
}

void CLASCfg::OnCalibrationChange() {
  settings_.CalibrationPath.clear();
  const int index = calibration_->currentData().toInt();
  if (calibration_->currentIndex() >= 0 && index >= 0 && index < static_cast<int>(calibrationPaths_.size()))
    settings_.CalibrationPath = calibrationPaths_[static_cast<std::size_t>(index)];
}

void CLASCfg::OnBrowseCalibration() {
  qv::ToolFileRequest request;
  request.filterId = kCalibrationFilter;
  request.defaultExt = "CAL";
  request.initialName = "*.CAL";
  request.initialFolder = qv::JoinPath(qv::ProgramFolder(), "Calibration") + "/";
  request.fileMustExist = true;
  const auto path = qv::RunFileDialog(this, request);
  if (!path) return;
  const std::string name = qv::FileNamePart(*path);
  const std::string title = name.substr(0, name.rfind('.'));
  int entry = calibration_->findText(QString::fromStdString(title), Qt::MatchStartsWith);
  if (entry < 0) {
    calibrationPaths_.push_back(*path);
    calibration_->addItem(QString::fromStdString(title), static_cast<int>(calibrationPaths_.size() - 1));
    entry = calibration_->count() - 1;
  }
  calibration_->setCurrentIndex(entry);
  OnCalibrationChange();
}

void CLASCfg::FillUserFunctionCombo() {
  const std::string folder = qv::UserFunctionFolder();
  userFunctionPaths_.clear();
  userFunction_->clear();
  userFunction_->addItem(Text(kNotAvailable), -1);
  userFunction_->setCurrentIndex(0);
  int flag = 0;
  std::string library;
  if (headerRead_) ReadUserFunctionInfo(settings_.InputPath, &flag, &library);
  if (headerRead_) {
    for (const qv::UserFunctionChoice& choice : qv::FindUserFunctions(folder, header_.SondeAbbreviation)) {
      userFunctionPaths_.push_back(choice.libraryPath);
      userFunction_->addItem(QString::fromStdString(choice.name), static_cast<int>(userFunctionPaths_.size() - 1));
      if (flag != 0 && strcasecmp(library.c_str(), choice.libraryPath.c_str()) == 0)
        userFunction_->setCurrentIndex(userFunction_->count() - 1);
    }
  }
  OnUserFunctionChange();
}

void CLASCfg::OnUserFunctionChange() {
  channels_.clear();
  settings_.UserFunctionPath.clear();
  if (userFunction_->currentIndex() < 0) {
    list_->clear();
    return;
  }
  const int index = userFunction_->currentData().toInt();
  if (index < 0 || index >= static_cast<int>(userFunctionPaths_.size())) {
    if (headerRead_) ReadCurveRecords(settings_.InputPath, &channels_);
  } else {
    settings_.UserFunctionPath = userFunctionPaths_[static_cast<std::size_t>(index)];
    LoadUserFunctionIni(settings_.UserFunctionPath, &channels_, nullptr);
  }
  FillChannelList();
}

void CLASCfg::OnRawFilter() {
  settings_.RawFilter = rawFilter_->isChecked() ? 1 : 0;
}

void CLASCfg::OnReverseDepth() {
  settings_.ReverseDepth = reverse_->isChecked() ? 1 : 0;
}

void CLASCfg::OnChannelCheck(QListWidgetItem* item) {
  if (filling_ || item == nullptr) return;
  const int index = item->data(Qt::UserRole).toInt();
  if (index >= 0 && index < static_cast<int>(channels_.size()) && channels_[static_cast<std::size_t>(index)])
    channels_[static_cast<std::size_t>(index)]->headerFlag = item->checkState() == Qt::Checked ? 1 : 0;
}

void CLASCfg::OnStart() {
  if (!headerRead_) return;
  LasChannels chosen;
  for (const auto& c : channels_)
    if (c && c->headerFlag != 0) chosen.push_back(c.get());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int result = ExportLas(&settings_, &header_, &chosen);
  QApplication::restoreOverrideCursor();
  if (result == 1)
    qv::ShowMessageId(kExportSucceeded, qv::MB_OK | qv::MB_ICONINFORMATION);
  else
    qv::ShowMessageId(kExportFailed, qv::MB_OK | qv::MB_ICONERROR);
}
