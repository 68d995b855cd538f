#include "logtools/ui/depth_shift_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "header/header.h"
#include "header/section_access.h"
#include "logtools/engine/tool_type.h"
#include "logtools/ui/file_dialog.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

const char* const kNoSelection = "--- No Selection ---";
const char* const kNoChannel = "------";
constexpr double kOffsetLimit = 1000;

// Numbers in the edits always use the C locale's point.
QString Number(double v) {
  return QString::number(v, 'g', 15);
}

// The text of an offset edit as a number in -1000 .. 1000; a refused text
// shows the range and gives false.
bool ReadOffset(QLineEdit* edit, double* out) {
  bool ok = false;
  const double v = QLocale::c().toDouble(edit->text().trimmed(), &ok);
  if (!ok || !std::isfinite(v) || v < -kOffsetLimit || v > kOffsetLimit) {
    ShowMessageBox("Please enter a number between -1000 and 1000.", {}, MB_OK | MB_ICONEXCLAMATION);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  *out = v;
  return true;
}

// An offset in thousandths of the depth unit, the fraction of a thousandth
// dropped. The product is first rounded to a millionth of a thousandth so
// that a typed 1.005 gives 1005 and not the 1004.999... of binary floating
// point.
int ToThousandths(double offset) {
  return static_cast<int>(std::trunc(std::nearbyint(offset * 1e9) / 1e6));
}

}  // namespace

DepthShift::DepthShift(QWidget* parent)
    : QDialog(parent), inputName_(kNoSelection), outputName_(kNoSelection), unitText_("M") {
  setWindowTitle("Shift Depth of Log/Log Channels");
  auto* top = new QVBoxLayout(this);

  auto* files = new QGroupBox("Select file", this);
  auto* fileGrid = new QGridLayout(files);
  input_ = new QLabel(files);
  input_->setObjectName("3389");
  output_ = new QLabel(files);
  output_->setObjectName("3390");
  auto* selectIn = new QPushButton("...", files);
  selectIn->setObjectName("3391");
  auto* selectOut = new QPushButton("...", files);
  selectOut->setObjectName("3392");
  fileGrid->addWidget(new QLabel("Input Log File:", files), 0, 0);
  fileGrid->addWidget(input_, 0, 1);
  fileGrid->addWidget(selectIn, 0, 2);
  fileGrid->addWidget(new QLabel("Output Log File:", files), 1, 0);
  fileGrid->addWidget(output_, 1, 1);
  fileGrid->addWidget(selectOut, 1, 2);
  top->addWidget(files);

  auto* unitRow = new QHBoxLayout;
  unit_ = new QLabel(this);
  unit_->setObjectName("3418");
  unitRow->addWidget(new QLabel("Depth units are in ", this));
  unitRow->addWidget(unit_);
  unitRow->addStretch();
  top->addLayout(unitRow);

  logRadio_ = new QRadioButton("Shift complete Log", this);
  logRadio_->setObjectName("3387");
  channelsRadio_ = new QRadioButton("Shift individual Channels", this);
  channelsRadio_->setObjectName("3388");
  auto* logRow = new QHBoxLayout;
  offsetEdit_ = new QLineEdit(this);
  offsetEdit_->setObjectName("3393");
  logRow->addWidget(logRadio_);
  logRow->addWidget(new QLabel("Offset:", this));
  logRow->addWidget(offsetEdit_);
  top->addLayout(logRow);
  top->addWidget(channelsRadio_);

  auto* grid = new QGridLayout;
  for (int n = 0; n < 12; ++n) {
    channelEdits_[n] = new QLineEdit(this);
    channelEdits_[n]->setObjectName(QString::number(3394 + n));
    channelNames_[n] = new QLabel(this);
    channelNames_[n]->setObjectName(QString::number(3406 + n));
    const int row = n % 6, col = n / 6 * 3;
    grid->addWidget(new QLabel(QString("%1:").arg(n + 1), this), row, col);
    grid->addWidget(channelEdits_[n], row, col + 1);
    grid->addWidget(channelNames_[n], row, col + 2);
  }
  top->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  auto* start = new QPushButton("Start", this);
  start->setObjectName("3419");
  start->setDefault(true);
  auto* close = new QPushButton("Close", this);
  close->setObjectName("2");
  buttons->addStretch();
  buttons->addWidget(start);
  buttons->addWidget(close);
  top->addLayout(buttons);

  connect(selectIn, &QPushButton::clicked, this, &DepthShift::OnSelectInput);
  connect(selectOut, &QPushButton::clicked, this, &DepthShift::OnSelectOutput);
  connect(channelsRadio_, &QRadioButton::clicked, this, &DepthShift::OnShiftChannels);
  connect(logRadio_, &QRadioButton::clicked, this, &DepthShift::OnShiftLog);
  connect(start, &QPushButton::clicked, this, &DepthShift::OnStart);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  OnInitDialog();
}

void DepthShift::OnInitDialog() {
  for (int& s : request_.shifts) s = 0;
  channelOffsets_.fill(0);
  OnShiftLog();
  mode_ = 1;
  DoDataExchange(false);
}

bool DepthShift::DoDataExchange(bool save) {
  if (!save) {
    input_->setText(QString::fromStdString(inputName_));
    output_->setText(QString::fromStdString(outputName_));
    unit_->setText(QString::fromStdString(unitText_));
    offsetEdit_->setText(Number(offset_));
    for (int n = 0; n < 12; ++n) channelEdits_[n]->setText(Number(channelOffsets_[n]));
    logRadio_->setChecked(mode_ == 1);
    channelsRadio_->setChecked(mode_ == 0);
    return true;
  }
  double offset = 0;
  std::array<double, 12> channels{};
  if (!ReadOffset(offsetEdit_, &offset)) return false;
  for (int n = 0; n < 12; ++n)
    if (!ReadOffset(channelEdits_[n], &channels[n])) return false;
  offset_ = offset;
  channelOffsets_ = channels;
  mode_ = logRadio_->isChecked() ? 1 : 0;
  return true;
}

void DepthShift::OnSelectInput() {
  ToolFileRequest request;
  request.filterId = 32284;
  request.defaultExt = "LOG";
  request.initialFolder = DataFolderForDialogs();
  request.fileMustExist = true;
  std::optional<std::string> path = RunFileDialog(this, request);
  if (!path) {
    inputName_.clear();
    request_.inputPath.clear();
  } else {
    SetDefaultDataFolder(FolderWithSeparator(*path));
    HeaderInfo info;
    if (!ReadLogHeader(*path, nullptr, &info, nullptr, nullptr, nullptr, nullptr)) {
      ShowToolMessage(32212, MB_OK | MB_ICONEXCLAMATION);
      inputName_.clear();
      request_.inputPath.clear();
    } else if (info.LogMode != 11 && info.LogMode != 12) {
      ShowToolMessage(32431, MB_OK | MB_ICONEXCLAMATION);
      inputName_.clear();
      request_.inputPath.clear();
    } else {
      inputName_ = FileNamePart(*path);
      request_.inputPath = *path;
      request_.toolType = static_cast<std::uint8_t>(GetFileToolType(*path));
      outputName_ = inputName_;
      request_.outputPath = request_.inputPath;
    }
  }
  UpdateControls();
  DoDataExchange(false);
}

void DepthShift::OnSelectOutput() {
  ToolFileRequest request;
  request.save = true;
  request.filterId = 32284;
  request.initialName = outputName_.empty() ? "*.*" : outputName_;
  request.initialFolder = request_.outputPath.empty() ? ProgramDataFolder() : FolderWithSeparator(request_.outputPath);
  request.overwritePrompt = true;
  // A name typed without an extension gets the input's: the output is a log
  // of the same kind, and its header is found by the extension.
  const std::string inputName = FileNamePart(request_.inputPath);
  const std::size_t dot = inputName.rfind('.');
  if (dot != std::string::npos) request.defaultExt = inputName.substr(dot + 1);
  if (std::optional<std::string> path = RunFileDialog(this, request)) {
    if (!HasExtension(*path) && !request.defaultExt.empty()) *path = SiblingPath(*path, request.defaultExt);
    outputName_ = FileNamePart(*path);
    request_.outputPath = *path;
  } else {
    outputName_.clear();
    request_.outputPath.clear();
  }
  DoDataExchange(false);
}

void DepthShift::OnShiftChannels() {
  mode_ = 0;
  request_.wholeLog = 0;
  UpdateControls();
}

void DepthShift::OnShiftLog() {
  mode_ = 1;
  request_.wholeLog = 1;
  UpdateControls();
}

void DepthShift::UpdateControls() {
  HeaderInfo info;
  if (request_.inputPath.empty() ||
      !ReadLogHeader(request_.inputPath, nullptr, &info, nullptr, nullptr, nullptr, nullptr)) {
    for (int n = 0; n < 12; ++n) {
      channelNames_[n]->setText(kNoChannel);
      channelNames_[n]->setEnabled(false);
      channelEdits_[n]->setEnabled(false);
    }
  } else {
    unitText_ = LoadString(info.DepthUnit != 0 ? 32433 : 32432);
    unit_->setText(QString::fromStdString(unitText_));
    CurveArray curves;
    ReadCurveRecords(request_.inputPath, &curves);
    const int count = request_.toolType == kToolTwelveChannel ? 12 : 6;
    for (int n = 1; n <= 12; ++n) {
      std::string name = kNoChannel;
      for (const auto& c : curves)
        if (c && c->physicalChannel == n) {
          name = c->shortTitle;
          break;
        }
      const bool usable = n <= count;
      channelNames_[n - 1]->setText(QString::fromStdString(usable ? name : kNoChannel));
      channelNames_[n - 1]->setEnabled(usable && mode_ == 0);
      channelEdits_[n - 1]->setEnabled(usable && mode_ == 0);
    }
  }
  offsetEdit_->setEnabled(mode_ == 1);
}

void DepthShift::OnStart() {
  if (!DoDataExchange(true)) return;
  for (int& s : request_.shifts) s = 0;
  if (mode_ == 1) {
    request_.shifts[1] = ToThousandths(offset_);
  } else {
    for (int n = 1; n <= 12; ++n) request_.shifts[n] = ToThousandths(channelOffsets_[n - 1]);
  }
  request_.wholeLog = mode_ == 1 ? 1 : 0;
  if (DoShift(request_) == 1)
    ShowToolMessage(32430, MB_OK | MB_ICONINFORMATION);
  else
    ShowToolMessage(32429, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace qv
