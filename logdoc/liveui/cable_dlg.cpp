#include "cable_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "sondedb/combo/combo.h"

namespace {
constexpr unsigned kStrCableNotSaved = 32371;

QLineEdit* MakeEdit(QWidget* parent, int id) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::number(id));
  return e;
}
}  // namespace

CCableDlg::CCableDlg(QWidget* parent)
    : qv::Dialog(parent),
      baudrate_(MakeEdit(this, kIdBaudrate)),
      threshold_(MakeEdit(this, kIdThreshold)),
      drive_(MakeEdit(this, kIdDrive)),
      gain_(MakeEdit(this, kIdGain)),
      pulseWidth_(MakeEdit(this, kIdPulseWidth)),
      cableType_(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Cable Settings"));
  cableType_->setObjectName(QString::number(kIdCableType));
  auto* group = new QGroupBox(QStringLiteral("Cable Parameters"), this);
  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("Select Type:"), cableType_);
  form->addRow(QStringLiteral("Baudrate:"), baudrate_);
  form->addRow(QStringLiteral("Threshold:"), threshold_);
  form->addRow(QStringLiteral("Drive:"), drive_);
  form->addRow(QStringLiteral("Gain:"), gain_);
  form->addRow(QStringLiteral("Pulse Width:"), pulseWidth_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* set = buttons->addButton(QStringLiteral("Set"), QDialogButtonBox::AcceptRole);
  set->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
}

QLineEdit* CCableDlg::Edit(int id) const {
  switch (id) {
    case kIdBaudrate:
      return baudrate_;
    case kIdThreshold:
      return threshold_;
    case kIdDrive:
      return drive_;
    case kIdGain:
      return gain_;
    case kIdPulseWidth:
      return pulseWidth_;
    default:
      return nullptr;
  }
}

void CCableDlg::FromBlock(const CableInterfaceBlock& block) {
  m_nBitRate = block.bitRate;
  m_nThreshold = block.threshold;
  m_nCableType = block.cableType;
  m_nPulseWidth = block.pulseWidth;
  m_nDrive = static_cast<int8_t>(block.drive);
  m_nGain = static_cast<int8_t>(block.gain);
}

void CCableDlg::ToBlock(CableInterfaceBlock* block) const {
  if (!block) return;
  block->bitRate = m_nBitRate;
  block->threshold = static_cast<uint16_t>(m_nThreshold);
  block->cableType = static_cast<uint16_t>(m_nCableType);
  block->pulseWidth = static_cast<uint16_t>(m_nPulseWidth);
  block->drive = static_cast<uint8_t>(m_nDrive);
  block->gain = static_cast<uint8_t>(m_nGain);
}

void CCableDlg::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, drive_, m_nDrive);
  qv::DDV_MinMaxInt(dx, m_nDrive, -128, 127);
  qv::DDX_Text(dx, gain_, m_nGain);
  qv::DDV_MinMaxInt(dx, m_nGain, 0, 127);
  qv::DDX_Text(dx, threshold_, m_nThreshold);
  // The unit carries the threshold and the pulse width in one byte each;
  // TBdevice refuses a larger value rather than send a wrapped one, so the
  // dialog keeps the engineer inside what reaches the cable.
  qv::DDV_MinMaxInt(dx, m_nThreshold, 0, 255);
  qv::DDX_Text(dx, baudrate_, m_nBitRate);
  qv::DDX_Text(dx, pulseWidth_, m_nPulseWidth);
  qv::DDV_MinMaxInt(dx, m_nPulseWidth, 5, 255);
}

bool CCableDlg::OnInitDialog() {
  qv::Dialog::OnInitDialog();
  if (!cableType_) return true;
  qv::FillComboFromTable(cableType_, "CABLE");
  const qlonglong type = g_pCableInterface ? g_pCableInterface->cableType : m_nCableType;
  cableType_->setCurrentIndex(cableType_->findData(QVariant::fromValue<qlonglong>(type)));
  // The cable type cannot change while the sonde is powered.
  cableType_->setEnabled(!g_bSondePowerOn);
  return true;
}

void CCableDlg::OnOK() {
  if (!UpdateData(true)) return;
  qv::AcquisitionSetup* setup = g_pAcquisitionSetup;
  if (setup) {
    setup->Gain = m_nGain;
    setup->Threshold = m_nThreshold;
    setup->BaudRate = m_nBitRate;
    setup->PulseWidth = m_nPulseWidth;
    setup->Drive = m_nDrive;
  }
  if (cableType_->currentIndex() >= 0) {
    const int type = static_cast<int>(cableType_->currentData().toLongLong());
    if (setup) {
      setup->CableType = type;
      setup->CableActive = 1;
    }
    m_nCableType = type;
  }
  if (!qv::SaveAcquisitionSetup(setup, 1))
    qv::ShowMessageBox(qv::LoadString(kStrCableNotSaved), {}, qv::MB_OK | qv::MB_ICONEXCLAMATION);
  EndDialog(QDialog::Accepted);
}
