#include "sondedb/ui/sonde_select.h"

#include <strings.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/core/device_services.h"
#include "platform/docview/qtext.h"
#include "platform/docview/services.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/import/import.h"

namespace {
constexpr unsigned kStrEntriesFound = 32071;
constexpr unsigned kStrImportTitle = 32063;
constexpr unsigned kStrImportFilter = 32244;
constexpr unsigned kStrImportSucceeded = 32245;
constexpr unsigned kStrImportFailed = 32142;
constexpr unsigned kStrReallyRemove = 32395;

// Adds TEXT to a sorted list unless an entry equal to it (whatever the
// letter case) is there already; returns its index.
int AddSorted(QComboBox* list, const std::string& text, bool always) {
  const QString t = qv::QStr(text);
  int at = list->count();
  for (int i = 0; i < list->count(); ++i) {
    const int c = QString::compare(list->itemText(i), t, Qt::CaseInsensitive);
    if (c == 0 && !always) return i;
    if (c > 0) {
      at = i;
      break;
    }
  }
  list->insertItem(at, t);
  return at;
}
}  // namespace

CSondeSelect::CSondeSelect(qv::SondeRecordset* rs, QWidget* parent)
    : qv::Dialog(parent),
      rs_(rs),
      abbreviation_(new QComboBox(this)),
      name_(new QComboBox(this)),
      manufacturer_(new QComboBox(this)),
      serial_(new QComboBox(this)),
      count_(new QLabel(QStringLiteral("txt"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      reset_(new QPushButton(QStringLiteral("Reset"), this)),
      import_(new QPushButton(QStringLiteral("Import ..."), this)),
      remove_(new QPushButton(QStringLiteral("Remove"), this)) {
  setWindowTitle(QStringLiteral("Sonde Selection"));
  abbreviation_->setObjectName(QStringLiteral("2029"));
  name_->setObjectName(QStringLiteral("2043"));
  manufacturer_->setObjectName(QStringLiteral("2041"));
  serial_->setObjectName(QStringLiteral("2045"));
  count_->setObjectName(QStringLiteral("2124"));
  auto* grid = new QGridLayout;
  const std::pair<const char*, QComboBox*> rows[] = {{"Abbreviation", abbreviation_},
                                                     {"Sonde Name", name_},
                                                     {"Manufacturer", manufacturer_},
                                                     {"Serial number", serial_}};
  int r = 0;
  for (const auto& [label, list] : rows) {
    list->setMinimumWidth(260);
    list->setMaxVisibleItems(12);
    grid->addWidget(new QLabel(QString::fromLatin1(label), this), r, 0);
    grid->addWidget(list, r++, 1);
  }
  grid->addWidget(count_, r, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {ok_, cancel_, reset_, import_, remove_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  ok_->setDefault(true);
  buttons->addStretch(1);
  auto* top = new QHBoxLayout(this);
  top->addLayout(grid, 1);
  top->addLayout(buttons);

  connect(abbreviation_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelectAbbreviation(); });
  connect(name_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelectName(); });
  connect(manufacturer_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelectManufacturer(); });
  connect(serial_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnSelectSerialNumber(); });
  connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(reset_, &QPushButton::clicked, this, [this] { OnReset(); });
  connect(import_, &QPushButton::clicked, this, [this] { OnImport(); });
  connect(remove_, &QPushButton::clicked, this, [this] { OnRemove(); });
}

bool CSondeSelect::OnInitDialog() {
  qv::Dialog::OnInitDialog();
  condition_.clear();
  Requery();
  return true;
}

int CSondeSelect::Requery() {
  if (!rs_) {
    reset_->setEnabled(true);
    ok_->setEnabled(false);
    remove_->setEnabled(false);
    return 0;
  }
  std::string sql = "SELECT * FROM SONDE";
  if (!condition_.empty()) sql += " WHERE " + condition_;
  try {
    rs_->Close();
    rs_->Open(sql);
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  FillCombos();
  return 1;
}

void CSondeSelect::FillCombos() {
  const std::string format = qv::LoadString(kStrEntriesFound);
  QComboBox* lists[] = {abbreviation_, name_, manufacturer_, serial_};
  static const char* const columns[] = {"Abbreviation", "Name", "Manufacturer", "SerialNumber"};
  for (QComboBox* l : lists) l->clear();
  ok_->setEnabled(false);
  remove_->setEnabled(false);
  if (!rs_ || !rs_->IsOpen()) {
    reset_->setEnabled(false);
    return;
  }
  reset_->setEnabled(true);
  const int n = qv::CountRecords(rs_);
  if (!format.empty()) count_->setText(qv::QStr(qv::FormatC(format.c_str(), static_cast<unsigned>(std::max(n, 0)))));
  try {
    for (int i = 0; i < n && !rs_->IsEOF(); ++i) {
      if (!qv::GetFieldString(rs_, "Abbreviation").empty()) {
        for (int k = 0; k < 4; ++k) {
          const std::string value = qv::GetFieldString(rs_, columns[k]);
          if (n == 1)
            lists[k]->setCurrentIndex(AddSorted(lists[k], value, true));
          else if (!value.empty())
            AddSorted(lists[k], value, false);
        }
      }
      rs_->MoveNext();
    }
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
  }
  if (n == 1) {
    remove_->setEnabled(true);
    ok_->setEnabled(true);
  } else {
    for (QComboBox* l : lists) l->setCurrentIndex(l->count() == 1 ? 0 : -1);
  }
  // The recordset stands on its first row again for whoever reads it next.
  if (n > 0) qv::CountRecords(rs_);
}

void CSondeSelect::Narrow(QComboBox* list, const char* column) {
  const std::string text = qv::StdStr(list->currentText());
  if (!text.empty()) {
    if (!condition_.empty()) condition_ += " AND ";
    // Quoted, so that a name with an apostrophe narrows like any other.
    condition_ += std::string(column) + " = " + qv::dao::Quote(text) + " ";
  }
  Requery();
}

void CSondeSelect::OnSelectAbbreviation() {
  Narrow(abbreviation_, "Abbreviation");
}
void CSondeSelect::OnSelectName() {
  Narrow(name_, "Name");
}
void CSondeSelect::OnSelectManufacturer() {
  Narrow(manufacturer_, "Manufacturer");
}
void CSondeSelect::OnSelectSerialNumber() {
  Narrow(serial_, "SerialNumber");
}

void CSondeSelect::OnReset() {
  condition_.clear();
  Requery();
}

void CSondeSelect::OnImport() {
  qv::FileDialogRequest r;
  r.open = true;
  r.title = qv::LoadString(kStrImportTitle);
  r.filter = qv::LoadString(kStrImportFilter);
  r.mustExist = true;
  r.parent = this;
  const std::string path = qv::ShowFileDialog(r);
  if (!path.empty() && rs_) {
    if (qv::ImportSondeFile(rs_, path))
      qv::ShowMessageId(kStrImportSucceeded);
    else
      qv::ShowMessageId(kStrImportFailed);
  }
  OnReset();
}

void CSondeSelect::OnRemove() {
  if (qv::ShowMessageId(kStrReallyRemove, qv::MB_YESNO | qv::MB_ICONQUESTION) != qv::IDYES) return;
  if (!rs_ || !rs_->IsOpen() || qv::CountRecords(rs_) != 1) return;
  // Everything of the sonde goes in one unit: a failure part way deletes
  // nothing.
  qv::RemoveSondeRows(rs_->GetDatabase(), qv::FormatC("%d", atoi(qv::GetFieldString(rs_, "Sonde").c_str())));
  OnReset();
}
