#include "header/ui/trailer_text_dialog.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "header/ui/edit_fields.h"
#include "platform/text/msgbox.h"

CTrailerTextDlg::CTrailerTextDlg(QWidget* parent) : qv::Dialog(parent), edit_(new QPlainTextEdit(this)) {
  setWindowTitle(QStringLiteral("Trailer Text"));
  edit_->setObjectName(QStringLiteral("2589"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
}

void CTrailerTextDlg::DoDataExchange(qv::DataExchange& dx) {
  ExchangeLines(dx, edit_, m_strText);
}

bool CTrailerTextDlg::OnInitDialog() {
  SplitTrailerText(m_TrailerText, m_strText, 0);
  return qv::Dialog::OnInitDialog();
}

void CTrailerTextDlg::TakeText() {
  UpdateData(true);
  SplitTrailerText(m_TrailerText, m_strText, 1);
  taken_ = true;
}

int CTrailerTextDlg::DoModal() {
  taken_ = false;
  const int result = qv::Dialog::DoModal();
  if (taken_) return result;
  TakeText();
  return qv::IDCANCEL;
}

void CTrailerTextDlg::OnOK() {
  TakeText();
  EndDialog(QDialog::Accepted);
}

void CTrailerTextDlg::OnCancel() {
  TakeText();
  EndDialog(QDialog::Rejected);
}
