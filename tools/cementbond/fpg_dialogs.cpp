#include "tools/cementbond/fpg_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeEdit(QWidget* parent, int id, bool right) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::number(id));
  if (right) e->setAlignment(Qt::AlignRight);
  return e;
}

void AddRow(QGridLayout* grid, int row, const QString& label, QLineEdit* edit, const QString& unit) {
  grid->addWidget(new QLabel(label), row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(new QLabel(unit), row, 2);
}

}  // namespace

// ---------------------------------------------------------------------------

CPipeSize::CPipeSize(QWidget* parent)
    : qv::Dialog(parent),
      pipe_(MakeEdit(this, kIdPipeDiameter, true)),
      sonde_(MakeEdit(this, kIdSondeDiameter, true)),
      shortSpacing_(MakeEdit(this, kIdShortSpacing, true)),
      longSpacing_(MakeEdit(this, kIdLongSpacing, true)) {
  setWindowTitle(QStringLiteral("Free Pipe Gate Calculation"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Please enter the following parameters !")));
  auto* grid = new QGridLayout;
  AddRow(grid, 0, QStringLiteral("Pipe Diameter"), pipe_, QStringLiteral("mm"));
  AddRow(grid, 1, QStringLiteral("Sonde Diameter"), sonde_, QStringLiteral("mm"));
  AddRow(grid, 2, QStringLiteral("Short Spacing"), shortSpacing_, QStringLiteral("mm"));
  AddRow(grid, 3, QStringLiteral("Long Spacing"), longSpacing_, QStringLiteral("mm"));
  layout->addLayout(grid);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  layout->addWidget(ok, 0, Qt::AlignCenter);
}

QLineEdit* CPipeSize::Edit(int id) const {
  switch (id) {
    case kIdPipeDiameter:
      return pipe_;
    case kIdSondeDiameter:
      return sonde_;
    case kIdShortSpacing:
      return shortSpacing_;
    case kIdLongSpacing:
      return longSpacing_;
    default:
      return nullptr;
  }
}

void CPipeSize::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, pipe_, m_nPipeDiameter);
  qv::DDV_MinMaxInt(dx, m_nPipeDiameter, 10, 1000);
  qv::DDX_Text(dx, sonde_, m_nSondeDiameter);
  qv::DDV_MinMaxInt(dx, m_nSondeDiameter, 10, 1000);
  qv::DDX_Text(dx, shortSpacing_, m_nShortSpacing);
  qv::DDV_MinMaxInt(dx, m_nShortSpacing, 0, 2000);
  qv::DDX_Text(dx, longSpacing_, m_nLongSpacing);
  qv::DDV_MinMaxInt(dx, m_nLongSpacing, 0, 4000);
}

void PipeSizeDialogService::Ask(qv::PipeSizeValues& values) {
  CPipeSize dlg(parent_);
  dlg.m_nPipeDiameter = values.pipeDiameter;
  dlg.m_nSondeDiameter = values.sondeDiameter;
  dlg.m_nShortSpacing = values.shortSpacing;
  dlg.m_nLongSpacing = values.longSpacing;
  dlg.DoModal();  // ends only with OK
  values.pipeDiameter = dlg.m_nPipeDiameter;
  values.sondeDiameter = dlg.m_nSondeDiameter;
  values.shortSpacing = dlg.m_nShortSpacing;
  values.longSpacing = dlg.m_nLongSpacing;
}

// ---------------------------------------------------------------------------

CFPGDialog::CFPGDialog(qv::CCBLDocument* document, QWidget* parent)
    : qv::Dialog(parent),
      m_pDocument(document),
      nearPosition_(MakeEdit(this, kIdNearPosition, false)),
      nearWidth_(MakeEdit(this, kIdNearWidth, false)),
      farPosition_(MakeEdit(this, kIdFarPosition, false)),
      farWidth_(MakeEdit(this, kIdFarWidth, false)) {
  setWindowTitle(QStringLiteral("Free Pipe Gate Settings"));
  auto* layout = new QVBoxLayout(this);
  auto group = [&](const QString& title, QLineEdit* position, QLineEdit* width) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    AddRow(grid, 0, QStringLiteral("Gate Position"), position, QStringLiteral("µs"));
    AddRow(grid, 1, QStringLiteral("Gate Width"), width, QStringLiteral("µs"));
    layout->addWidget(box);
  };
  group(QStringLiteral("Near Receiver"), nearPosition_, nearWidth_);
  group(QStringLiteral("Far Receiver"), farPosition_, farWidth_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("2"));
  QPushButton* setDefault = buttons->addButton(QStringLiteral("Set Default"), QDialogButtonBox::ActionRole);
  setDefault->setObjectName(QString::number(kIdSetDefault));
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(setDefault, &QPushButton::clicked, this, [this] { OnSetDefault(); });
  layout->addWidget(buttons);
}

QLineEdit* CFPGDialog::Edit(int id) const {
  switch (id) {
    case kIdNearPosition:
      return nearPosition_;
    case kIdNearWidth:
      return nearWidth_;
    case kIdFarPosition:
      return farPosition_;
    case kIdFarWidth:
      return farWidth_;
    default:
      return nullptr;
  }
}

void CFPGDialog::FromDocument() {
  if (!m_pDocument) return;
  const FreePipeGate nearGate = m_pDocument->NearGate(), farGate = m_pDocument->FarGate();
  m_nFarPosition = farGate.GateStart;
  m_nFarWidth = farGate.GateEnd - farGate.GateStart;
  m_nNearPosition = nearGate.GateStart;
  m_nNearWidth = nearGate.GateEnd - nearGate.GateStart;
}

bool CFPGDialog::OnInitDialog() {
  FromDocument();
  return qv::Dialog::OnInitDialog();
}

void CFPGDialog::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, nearPosition_, m_nNearPosition);
  qv::DDV_MinMaxInt(dx, m_nNearPosition, 0, 1000);
  qv::DDX_Text(dx, nearWidth_, m_nNearWidth);
  qv::DDV_MinMaxInt(dx, m_nNearWidth, 0, 1000);
  qv::DDX_Text(dx, farPosition_, m_nFarPosition);
  qv::DDV_MinMaxInt(dx, m_nFarPosition, 0, 1000);
  qv::DDX_Text(dx, farWidth_, m_nFarWidth);
  qv::DDV_MinMaxInt(dx, m_nFarWidth, 0, 1000);
}

void CFPGDialog::OnOK() {
  if (!UpdateData(true)) return;
  if (m_pDocument) {
    FreePipeGate nearGate = m_pDocument->NearGate(), farGate = m_pDocument->FarGate();
    farGate.GateStart = m_nFarPosition;
    farGate.GateEnd = m_nFarPosition + m_nFarWidth;
    nearGate.GateStart = m_nNearPosition;
    nearGate.GateEnd = m_nNearPosition + m_nNearWidth;
    m_pDocument->SetGates(nearGate, farGate);
    if (m_pDocument->View()) m_pDocument->View()->Redraw();
  }
  EndDialog(QDialog::Accepted);
}

void CFPGDialog::OnSetDefault() {
  if (!m_pDocument) return;
  m_pDocument->ComputeFreePipeGates();
  FromDocument();
  UpdateData(false);
}

namespace qv {

void OnFpgSettings(CCBLDocument& document, QWidget* parent) {
  CFPGDialog dlg(&document, parent);
  dlg.DoModal();
}

}  // namespace qv
