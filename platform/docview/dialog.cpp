#include "dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <charconv>
#include <cstring>

#include "platform/docview/qtext.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

int RunAsModal(const std::function<int()>& answer) {
  int result = QDialog::Rejected;
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&] {
    result = answer();
    loop.quit();
  });
  loop.exec();
  return result;
}
namespace {
// Texts of the data-exchange checks.
constexpr unsigned kNotInteger = 61712;
constexpr unsigned kIntegerRange = 61713;
constexpr unsigned kNotNumber = 61715;
constexpr unsigned kNumberRange = 61716;
constexpr unsigned kTooLong = 61717;
constexpr unsigned kNotStorable = 61718;

std::string Fill(std::string text, const std::string& a, const std::string& b = {}) {
  for (auto [key, val] : {std::pair<const char*, const std::string*>{"%1", &a}, {"%2", &b}}) {
    const size_t at = text.find(key);
    if (at != std::string::npos) text.replace(at, 2, *val);
  }
  return text;
}

void Complain(DataExchange& dx, QWidget* control, const std::string& text) {
  if (dx.Failed()) return;
  ShowMessageBox(text, {}, MB_OK | MB_ICONEXCLAMATION);
  dx.Fail(control);
}

std::string Trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}
}  // namespace

void DataExchange::Fail(QWidget* control) {
  if (failed_) return;
  failed_ = true;
  failedControl_ = control;
}

std::string FormatNumber(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  return std::string(buf, r.ptr);
}

bool ParseInt(const std::string& text, int* value) {
  const std::string t = Trimmed(text);
  if (t.empty()) return false;
  const char* b = t.data();
  if (*b == '+') ++b;
  auto r = std::from_chars(b, t.data() + t.size(), *value);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool ParseDouble(const std::string& text, double* value) {
  const std::string t = Trimmed(text);
  if (t.empty()) return false;
  const char* b = t.data();
  if (*b == '+') ++b;
  double v = 0;
  auto r = std::from_chars(b, t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v != v || v - v != 0) return false;
  *value = v;
  return true;
}

void DDX_Text(DataExchange& dx, QLineEdit* edit, int& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) {
    edit->setText(QString::number(value));
    return;
  }
  int v = 0;
  if (!ParseInt(StdStr(edit->text()), &v)) return Complain(dx, edit, LoadString(kNotInteger));
  value = v;
}

void DDX_Text(DataExchange& dx, QLineEdit* edit, double& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving()) {
    edit->setText(QStr(FormatNumber(value)));
    return;
  }
  double v = 0;
  if (!ParseDouble(StdStr(edit->text()), &v)) return Complain(dx, edit, LoadString(kNotNumber));
  value = v;
}

void DDX_Text(DataExchange& dx, QLineEdit* edit, std::string& value) {
  dx.SetLastControl(edit);
  if (!dx.Saving())
    edit->setText(QStr(value));
  else if (DDV_Storable(dx, edit, edit->text()))
    value = StdStr(edit->text());
}

std::string UnstorableMessage(const QString& text) {
  const QString missing = UnstorableText(text);
  if (missing.isEmpty()) return {};
  // The characters reach the box as UTF-8 behind the mark that tells its
  // decoder to read UTF-8: the file code page has no bytes for them.
  std::string message = LoadString(kNotStorable);
  if (message.rfind(kTranslatedMark, 0) != 0) message = kTranslatedMark + message;
  return Fill(message, missing.toStdString());
}

bool DDV_Storable(DataExchange& dx, QWidget* control, const QString& text) {
  const std::string message = UnstorableMessage(text);
  if (message.empty()) return true;
  Complain(dx, control, message);
  return false;
}

void DDX_Text(DataExchange& dx, QLabel* label, std::string& value) {
  dx.SetLastControl(label);
  // A label still showing the value gives the value back as it was: a
  // translated text would not survive the way through CP1252.
  if (dx.Saving()) {
    if (label->text() != QStr(value)) value = StdStr(label->text());
  } else {
    label->setText(QStr(value));
  }
}

void DDX_Check(DataExchange& dx, QCheckBox* box, int& value) {
  dx.SetLastControl(box);
  if (dx.Saving())
    value = box->isChecked() ? 1 : 0;
  else
    box->setChecked(value != 0);
}

void DDX_LBIndex(DataExchange& dx, QListWidget* list, int& index) {
  dx.SetLastControl(list);
  if (dx.Saving())
    index = list->currentRow();
  else
    list->setCurrentRow(index);
}

void DDX_CBIndex(DataExchange& dx, QComboBox* combo, int& index) {
  dx.SetLastControl(combo);
  if (dx.Saving())
    index = combo->currentIndex();
  else
    combo->setCurrentIndex(index);
}

void DDX_Slider(DataExchange& dx, QSlider* slider, int& value) {
  dx.SetLastControl(slider);
  if (dx.Saving())
    value = slider->value();
  else
    slider->setValue(value);
}

void DDV_MinMaxInt(DataExchange& dx, int value, int minimum, int maximum) {
  if (!dx.Saving() || dx.Failed() || (value >= minimum && value <= maximum)) return;
  Complain(dx, dx.LastControl(), Fill(LoadString(kIntegerRange), std::to_string(minimum), std::to_string(maximum)));
}

void DDV_MinMaxDouble(DataExchange& dx, double value, double minimum, double maximum) {
  if (!dx.Saving() || dx.Failed() || (value >= minimum && value <= maximum)) return;
  Complain(dx, dx.LastControl(), Fill(LoadString(kNumberRange), FormatNumber(minimum), FormatNumber(maximum)));
}

void DDV_MaxChars(DataExchange& dx, const std::string& value, size_t count) {
  if (!dx.Saving() || dx.Failed() || value.size() <= count) return;
  Complain(dx, dx.LastControl(), Fill(LoadString(kTooLong), std::to_string(count)));
}

// ---------------------------------------------------------------------------
Dialog::Dialog(QWidget* parent) : QDialog(parent) {}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::UpdateData(bool save) {
  DataExchange dx(save);
  DoDataExchange(dx);
  if (dx.Failed() && dx.FailedControl()) {
    dx.FailedControl()->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(dx.FailedControl())) e->selectAll();
  }
  return !dx.Failed();
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(QDialog::Accepted);
}

void Dialog::OnCancel() {
  EndDialog(QDialog::Rejected);
}

void Dialog::EndDialog(int result) {
  done(result);
}

void Dialog::EnsureInitialised() {
  if (initialised_) return;
  initialised_ = true;
  OnInitDialog();
}

void Dialog::showEvent(QShowEvent* event) {
  EnsureInitialised();
  QDialog::showEvent(event);
}

int Dialog::DoModal() {
  EnsureInitialised();
  return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------
PropertyPage::PropertyPage(const std::string& title, QWidget* parent) : QWidget(parent), title_(title) {}

bool PropertyPage::OnInitDialog() {
  UpdateData(false);
  return true;
}

void PropertyPage::DoDataExchange(DataExchange&) {}

bool PropertyPage::UpdateData(bool save) {
  DataExchange dx(save);
  DoDataExchange(dx);
  if (dx.Failed() && dx.FailedControl()) dx.FailedControl()->setFocus();
  return !dx.Failed();
}

PropertySheet::PropertySheet(const std::string& caption, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabBar(this)),
      stack_(new QStackedWidget(this)),
      buttons_(new QDialogButtonBox(this)) {
  setWindowTitle(QStr(caption));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(tabs_);
  lay->addWidget(stack_, 1);
  lay->addWidget(buttons_);
  buttons_->addButton(QDialogButtonBox::Ok);
  buttons_->addButton(QDialogButtonBox::Cancel);
  buttons_->addButton(QDialogButtonBox::Apply)->setEnabled(false);
  buttons_->addButton(QDialogButtonBox::Help);
  connect(buttons_, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (switching_ || index == active_) return;
    // The tab bar has moved already; put it back when the change is refused.
    const int before = active_;
    if (!SetActivePage(index)) {
      switching_ = true;
      tabs_->setCurrentIndex(before);
      switching_ = false;
    }
  });
}

void PropertySheet::AddPage(PropertyPage* page) {
  page->sheet_ = this;
  pages_.push_back(page);
  stack_->addWidget(page);
  switching_ = true;
  tabs_->addTab(QStr(page->Title()));
  tabs_->setCurrentIndex(active_ < 0 ? 0 : active_);
  switching_ = false;
}

PropertyPage* PropertySheet::Page(int index) const {
  return index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

bool PropertySheet::Activate(int index) {
  PropertyPage* p = Page(index);
  if (!p) return false;
  if (!p->initialised_) {
    p->initialised_ = true;
    p->OnInitDialog();
  }
  if (!p->OnSetActive()) return false;
  active_ = index;
  stack_->setCurrentWidget(p);
  switching_ = true;
  tabs_->setCurrentIndex(index);
  switching_ = false;
  return true;
}

bool PropertySheet::SetActivePage(int index) {
  if (!Page(index)) return false;
  if (index == active_) return true;
  if (PropertyPage* cur = GetActivePage())
    if (!cur->OnKillActive()) return false;
  return Activate(index);
}

void PropertySheet::EnsureInitialised() {
  if (!initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  if (active_ < 0 && !pages_.empty()) Activate(0);
}

QPushButton* PropertySheet::ButtonWidget(Button b) const {
  static const QDialogButtonBox::StandardButton map[] = {QDialogButtonBox::Ok, QDialogButtonBox::Cancel,
                                                         QDialogButtonBox::Apply, QDialogButtonBox::Help};
  return buttons_->button(map[b]);
}

void PropertySheet::SetButtonText(Button b, const std::string& text) {
  if (QPushButton* p = ButtonWidget(b)) p->setText(QStr(text));
}

void PropertySheet::HideButton(Button b) {
  if (QPushButton* p = ButtonWidget(b)) p->hide();
}

bool PropertySheet::OnOK() {
  if (PropertyPage* cur = GetActivePage())
    if (!cur->OnKillActive()) return false;
  for (PropertyPage* p : pages_)
    if (p->initialised_) p->OnOK();
  return true;
}

void PropertySheet::OnCancel() {
  for (PropertyPage* p : pages_)
    if (p->initialised_) p->OnCancel();
}

void PropertySheet::accept() {
  if (OnOK()) QDialog::accept();
}

void PropertySheet::reject() {
  OnCancel();
  QDialog::reject();
}

void PropertySheet::showEvent(QShowEvent* event) {
  EnsureInitialised();
  QDialog::showEvent(event);
}

int PropertySheet::DoModal() {
  EnsureInitialised();
  return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------
DialogBar::DialogBar(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
}

void DialogBar::ApplyPrompt(QWidget* control, unsigned id) {
  const std::string s = LoadString(id);
  const size_t nl = s.find('\n');
  control->setStatusTip(QStr(s.substr(0, nl)));
  if (nl != std::string::npos) control->setToolTip(QStr(s.substr(nl + 1)));
}

}  // namespace qv
