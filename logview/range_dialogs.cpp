#include "logview/range_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>
#include <cmath>

#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"

QColor FromColourRef(std::uint32_t c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

std::uint32_t ToColourRef(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
         static_cast<std::uint32_t>(c.blue()) << 16;
}

bool ParseNumber(const QString& text, double* value) {
  bool ok = false;
  const double v = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

CChangeH::CChangeH(QWidget* parent) : QDialog(parent) {
  setWindowTitle("New Range");
  auto* box = new QVBoxLayout(this);
  prompt_ = new QLabel("Please enter a new Start Range for", this);
  name_ = new QLabel(this);
  name_->setAlignment(Qt::AlignHCenter);
  edit_ = new QLineEdit(this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CChangeH::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CChangeH::reject);
  box->addWidget(prompt_);
  box->addWidget(name_);
  box->addWidget(edit_);
  box->addWidget(buttons);
  SetValue(0.0f);
}

void CChangeH::SetPrompt(const std::string& prompt) {
  prompt_->setText(QString::fromStdString(prompt));
}
void CChangeH::SetCurveName(const std::string& name) {
  name_->setText(QString::fromStdString(name));
}

void CChangeH::SetValue(float value) {
  value_ = value;
  edit_->setText(QString::fromStdString(qv::FormatC("%G", static_cast<double>(value))));
}

std::string CChangeH::Prompt() const {
  return prompt_->text().left(40).toStdString();
}

void CChangeH::accept() {
  double v = 0;
  if (!ParseNumber(edit_->text(), &v) || std::fabs(v) > 3.4e38) {
    // Not a number: the dialog stays open on the old value.
    qv::Beep();
    edit_->setFocus();
    return;
  }
  value_ = static_cast<float>(v);
  QDialog::accept();
}

CColorDlg::CColorDlg(std::uint32_t initial, unsigned /*flags*/, QWidget* parent)
    : QColorDialog(FromColourRef(initial), parent), initial_(initial) {
  setOption(QColorDialog::DontUseNativeDialog, true);
}

std::uint32_t CColorDlg::GetColor() const {
  return result() == QDialog::Accepted ? ToColourRef(currentColor()) : initial_;
}
