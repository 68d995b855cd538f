#include "setup_prn.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/docview/qtext.h"
#include "print/ui/printer_error.h"

namespace {
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace

CSetupPrn::CSetupPrn(QWidget* parent) : qv::Dialog(parent) {
  setWindowTitle(QStringLiteral("Real Time Printer Setup"));
  auto radio = [this](int id, const char* text) {
    auto* b = qv::Named(new QRadioButton(QString::fromLatin1(text), this), id);
    // The controller keeps each group to one checked radio.
    b->setAutoExclusive(false);
    controls_[id] = b;
    return b;
  };
  auto check = [this](int id, const char* text) {
    auto* b = qv::Named(new QCheckBox(QString::fromLatin1(text), this), id);
    controls_[id] = b;
    return b;
  };
  auto button = [this](int id, const char* text) {
    auto* b = qv::Named(new QPushButton(QString::fromLatin1(text), this), id);
    b->setAutoDefault(false);
    controls_[id] = b;
    return b;
  };
  auto group = [this](int id, const char* title, std::initializer_list<QWidget*> children) {
    auto* g = new QGroupBox(QString::fromLatin1(title), this);
    if (id) g->setObjectName(QString::number(id));
    auto* l = new QVBoxLayout(g);
    for (QWidget* w : children) l->addWidget(w);
    return g;
  };
  QGroupBox* port =
      group(2192, "Printer Port", {radio(IDC_LPT1, "LPT1"), radio(IDC_LPT2, "LPT2"), radio(IDC_LPT3, "LPT3")});
  QGroupBox* model = group(2195, "Printer",
                           {radio(IDC_GULTON, "Gulton"), radio(IDC_PRINTREX_820, "Printrex 820 DL"),
                            radio(IDC_PRINTREX_840, "Printrex 840 DL")});
  QGroupBox* medium = group(0, "Print medium", {radio(IDC_PAPER, "Paper"), radio(IDC_FILM, "Film")});
  QGroupBox* bhtv = group(2194, "BHTV Bitmap Processing",
                          {check(IDC_FLOYD_STEINBERG, "Floyd-Steinberg Dithering"), check(IDC_ADAPTIV, "Adaptiv")});
  QCheckBox* foldMarks = check(IDC_FOLD_MARKS, "Detect Fold Marks");
  QPushButton* test = button(IDC_TEST_PRINTER, "Test Printer");
  auto* ok = qv::Named(new QPushButton(QStringLiteral("OK"), this), kIdOk);
  ok->setDefault(true);
  auto* cancel = qv::Named(new QPushButton(QStringLiteral("Cancel"), this), kIdCancel);
  cancel->setAutoDefault(false);
  QPushButton* apply = button(IDC_APPLY, "Apply");

  auto* grid = new QGridLayout;
  grid->addWidget(port, 0, 0);
  grid->addWidget(model, 0, 1);
  grid->addWidget(medium, 1, 0);
  grid->addWidget(bhtv, 1, 1);
  grid->addWidget(foldMarks, 2, 0);
  grid->addWidget(test, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(apply);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(grid);
  lay->addLayout(buttons);

  for (const auto& [id, widget] : controls_) {
    const int control = id;
    connect(widget, &QAbstractButton::clicked, this, [this, control] { OnClicked(control); });
  }
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

QAbstractButton* CSetupPrn::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

bool CSetupPrn::OnInitDialog() {
  controller_.OnInitDialog();
  ShowControls();
  return true;
}

void CSetupPrn::ShowControls() {
  for (const auto& [id, widget] : controls_) {
    widget->setEnabled(controller_.Enabled(id));
    if (widget->isCheckable()) widget->setChecked(controller_.Checked(id));
  }
}

void CSetupPrn::OnClicked(int id) {
  if (id == IDC_TEST_PRINTER) {
    OnTestPrinter();
    return;
  }
  controller_.Click(id);
  ShowControls();
}

void CSetupPrn::OnApply() {
  controller_.OnApply();
  ShowControls();
}

void CSetupPrn::OnTestPrinter() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool printed = controller_.OnTestPrinter();
  QApplication::restoreOverrideCursor();
  if (!printed) PrinterErrorThread(this);
}

void CSetupPrn::OnOK() {
  controller_.OnOK();
  EndDialog(QDialog::Accepted);
}

void CSetupPrn::OnCancel() {
  controller_.OnCancel();
  EndDialog(QDialog::Rejected);
}
