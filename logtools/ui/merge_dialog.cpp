#include "logtools/ui/merge_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "logtools/ui/file_dialog.h"
#include "platform/docview/qtext.h"

namespace qv {

namespace {
RenameHandler g_renameHandler;
}

RenameHandler SetRenameHandler(RenameHandler handler) {
  return std::exchange(g_renameHandler, std::move(handler));
}

CMergeRenameChannel::CMergeRenameChannel(const std::string& shortTitle, const std::string& title, bool titleExists,
                                         QWidget* parent)
    : QDialog(parent), shortTitle_(shortTitle), titleExists_(titleExists) {
  setWindowTitle("Rename Channel");
  auto* grid = new QGridLayout(this);
  auto* warning = new QLabel("Selected title already exists in output channel list!", this);
  warning->setObjectName("2588");
  warning->setVisible(titleExists);
  grid->addWidget(warning, 0, 0, 1, 2);
  auto* oldTitle = new QLineEdit(QString::fromStdString(title), this);
  oldTitle->setObjectName("2586");
  oldTitle->setReadOnly(true);
  auto* oldShort = new QLineEdit(QString::fromStdString(shortTitle), this);
  oldShort->setObjectName("2585");
  oldShort->setReadOnly(true);
  oldShort->setMaxLength(4);
  newTitle_ = new QLineEdit(QString::fromStdString(title), this);
  newTitle_->setObjectName("2584");
  newShort_ = new QLineEdit(QString::fromStdString(shortTitle), this);
  newShort_->setObjectName("2587");
  newShort_->setMaxLength(4);
  grid->addWidget(new QLabel("Full Title:", this), 1, 0);
  grid->addWidget(oldTitle, 1, 1);
  grid->addWidget(new QLabel("Short Title:", this), 2, 0);
  grid->addWidget(oldShort, 2, 1);
  grid->addWidget(new QLabel("New Full Title:", this), 3, 0);
  grid->addWidget(newTitle_, 3, 1);
  grid->addWidget(new QLabel("New Short Title:", this), 4, 0);
  grid->addWidget(newShort_, 4, 1);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("2");
  cancel->setEnabled(!titleExists);
  grid->addWidget(ok, 5, 0);
  grid->addWidget(cancel, 5, 1);
  connect(ok, &QPushButton::clicked, this, &CMergeRenameChannel::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string CMergeRenameChannel::NewShortTitle() const {
  return newShort_->text().toStdString();
}
std::string CMergeRenameChannel::NewTitle() const {
  return newTitle_->text().toStdString();
}

void CMergeRenameChannel::accept() {
  switch (CheckRename(NewShortTitle(), NewTitle(), shortTitle_, titleExists_)) {
    case 2587:
      newShort_->setFocus();
      return;
    case 2584:
      newTitle_->setFocus();
      return;
    default:
      QDialog::accept();
  }
}

CMergeLog::CMergeLog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Merge Log Files");
  auto* top = new QHBoxLayout(this);
  auto* inputs = new QVBoxLayout;
  for (int s = 0; s < MergeSelection::kSlots; ++s) {
    auto* group = new QGroupBox(qv::Tr("Input %1").arg(s + 1), this);
    auto* grid = new QGridLayout(group);
    auto* select = new QPushButton("Select", group);
    select->setObjectName(QString::number(3300 + 2 * s));
    removes_[s] = new QPushButton("X", group);
    removes_[s]->setObjectName(QString::number(3301 + 2 * s));
    names_[s] = new QLabel(group);
    names_[s]->setObjectName(QString::number(3322 + s));
    grid->addWidget(select, 0, 0);
    grid->addWidget(removes_[s], 0, 1);
    grid->addWidget(names_[s], 0, 2, 1, 4);
    for (int c = 0; c < MergeSelection::kChannels; ++c) {
      auto* box = new QCheckBox("- not used -", group);
      box->setObjectName(QString::number(3100 + 12 * s + c));
      grid->addWidget(box, 1 + c / 6, c % 6);
      boxes_[s][c] = box;
      connect(box, &QCheckBox::clicked, this, [this, s, c] {
        selection_.OnChannelClicked(s, c);
        Refresh();
      });
    }
    connect(select, &QPushButton::clicked, this, [this, s] {
      selection_.OnSelect(s);
      Refresh();
    });
    connect(removes_[s], &QPushButton::clicked, this, [this, s] {
      selection_.OnRemove(s);
      Refresh();
    });
    inputs->addWidget(group);
  }
  top->addLayout(inputs);

  auto* output = new QGroupBox("Output", this);
  auto* grid = new QGridLayout(output);
  for (int i = 0; i < MergeSelection::kChannels; ++i) {
    rowTitles_[i] = new QLabel(output);
    rowTitles_[i]->setObjectName(QString::number(3309 + i));
    rowLabels_[i] = new QLabel(output);
    rowLabels_[i]->setObjectName(QString::number(3328 + i));
    grid->addWidget(new QLabel(QString("%1:").arg(i + 1), output), i, 0);
    grid->addWidget(rowTitles_[i], i, 1);
    grid->addWidget(rowLabels_[i], i, 2);
  }
  int row = MergeSelection::kChannels;
  outputName_ = new QLineEdit(output);
  outputName_->setObjectName("3321");
  outputName_->setReadOnly(true);
  auto* browse = new QPushButton("Browse Output File", output);
  browse->setObjectName("3308");
  grid->addWidget(outputName_, row, 0, 1, 2);
  grid->addWidget(browse, row++, 2);
  headerSource_ = new QComboBox(output);
  headerSource_->setObjectName("3326");
  for (int s = 0; s < MergeSelection::kSlots; ++s) headerSource_->addItem(qv::Tr("File %1").arg(s + 1));
  grid->addWidget(new QLabel("Output Header From:", output), row, 0);
  grid->addWidget(headerSource_, row++, 1, 1, 2);
  userFunctions_ = new QComboBox(output);
  userFunctions_->setObjectName("3340");
  attach_ = new QCheckBox("Attach Userfunction", output);
  attach_->setObjectName("3341");
  grid->addWidget(userFunctions_, row, 0, 1, 2);
  grid->addWidget(attach_, row++, 2);
  auto* save = new QPushButton("Save as Template", output);
  save->setObjectName("3385");
  auto* load = new QPushButton("Load a Template", output);
  load->setObjectName("3386");
  grid->addWidget(save, row, 0);
  grid->addWidget(load, row++, 1);
  auto* ok = new QPushButton("Create Merge Log", output);
  ok->setObjectName("1");
  auto* cancel = new QPushButton("Cancel", output);
  cancel->setObjectName("2");
  grid->addWidget(ok, row, 0);
  grid->addWidget(cancel, row, 1);
  top->addWidget(output);

  connect(browse, &QPushButton::clicked, this, [this] {
    selection_.BrowseOutputFile();
    Refresh();
  });
  connect(headerSource_, &QComboBox::activated, this, [this](int index) {
    selection_.SetHeaderSlot(index);
    Refresh();
  });
  connect(userFunctions_, &QComboBox::activated, this, [this](int index) { selection_.SetUserSelection(index); });
  connect(attach_, &QCheckBox::clicked, this, [this](bool on) {
    selection_.SetAttach(on);
    Refresh();
  });
  connect(save, &QPushButton::clicked, this, [this] {
    selection_.SaveTemplate();
    Refresh();
  });
  connect(load, &QPushButton::clicked, this, [this] {
    selection_.LoadTemplate();
    Refresh();
  });
  connect(ok, &QPushButton::clicked, this, &CMergeLog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  selection_.Initialise();
  for (const auto& name : selection_.UserFunctionNames()) userFunctions_->addItem(QString::fromStdString(name));
  Refresh();
}

void CMergeLog::Refresh() {
  for (int s = 0; s < MergeSelection::kSlots; ++s) {
    const bool holds = selection_.SlotHoldsFile(s);
    names_[s]->setText(QString::fromStdString(holds ? selection_.InputName(s) : MergeSelection::kNoFileName));
    removes_[s]->setEnabled(holds);
    for (int c = 0; c < MergeSelection::kChannels; ++c) {
      const ChannelBox& box = selection_.Box(s, c);
      boxes_[s][c]->setText(QString::fromStdString(box.text));
      boxes_[s][c]->setEnabled(box.enabled);
      boxes_[s][c]->setChecked(box.checked);
    }
  }
  const COutFileList& list = selection_.OutputList();
  for (int i = 0; i < list.GetCount(); ++i) {
    rowTitles_[i]->setText(QString::fromStdString(list.GetShortTitle(i)));
    rowLabels_[i]->setText(QString::fromStdString(list.GetLabel(i)));
  }
  outputName_->setText(QString::fromStdString(selection_.OutputName()));
  headerSource_->setCurrentIndex(selection_.HeaderSlot());
  userFunctions_->setCurrentIndex(selection_.UserSelection());
  attach_->setChecked(selection_.Attach() != 0);
}

void CMergeLog::accept() {
  if (selection_.CreateMergeLog()) QDialog::accept();
}

std::optional<std::string> CMergeLog::AskFile(const ToolFileRequest& request) {
  return RunFileDialog(this, request);
}

bool CMergeLog::AskRename(const std::string& shortTitle, const std::string& title, bool titleExists,
                          std::string* newShortTitle, std::string* newTitle) {
  if (g_renameHandler) return g_renameHandler(shortTitle, title, titleExists, newShortTitle, newTitle);
  CMergeRenameChannel dialog(shortTitle, title, titleExists, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  *newShortTitle = dialog.NewShortTitle();
  *newTitle = dialog.NewTitle();
  return true;
}

void CMergeLog::BeginWait() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
void CMergeLog::EndWait() {
  QApplication::restoreOverrideCursor();
}

}  // namespace qv
