#include "logdoc/replayui/ask_replay.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kIdPrintHeader = 2564;
}

CAskReplay::CAskReplay(bool showPrintHeader, QWidget* parent)
    : qv::Dialog(parent),
      m_bShowPrintHeader(showPrintHeader),
      printHeader_(new QCheckBox(QStringLiteral("Print Header"), this)),
      reset_(new QPushButton(QStringLiteral("Reset"), this)),
      finish_(new QPushButton(QStringLiteral("Finish"), this)) {
  setWindowTitle(QStringLiteral("Quorvanta"));
  printHeader_->setObjectName(QString::number(kIdPrintHeader));
  reset_->setObjectName(QStringLiteral("1"));
  finish_->setObjectName(QStringLiteral("2"));
  reset_->setDefault(true);
  auto* text = new QLabel(QStringLiteral("The replay end depth has been reached! Press 'Reset' to reset the current "
                                         "log file or 'Finish' to close the document."),
                          this);
  text->setWordWrap(true);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(text);
  auto* row = new QHBoxLayout;
  row->addWidget(printHeader_);
  row->addStretch();
  row->addWidget(reset_);
  row->addWidget(finish_);
  lay->addLayout(row);
  connect(reset_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(finish_, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CAskReplay::OnInitDialog() {
  printHeader_->setVisible(m_bShowPrintHeader);
  UpdateData(false);
  return true;
}

void CAskReplay::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Check(dx, printHeader_, m_bPrintHeader);
}

void CAskReplay::OnOK() {
  UpdateData(true);
  EndDialog(QDialog::Accepted);
}

void CAskReplay::OnCancel() {
  UpdateData(true);
  EndDialog(QDialog::Rejected);
}
