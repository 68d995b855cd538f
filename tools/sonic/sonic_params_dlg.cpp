#include "tools/sonic/sonic_params_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/globals.h"
#include "platform/sync/sync.h"
#include "sondedb/lookups.h"
#include "platform/docview/qtext.h"

namespace {

constexpr int kIntervals[3] = {4, 8, 16};

QLineEdit* MakeEdit(QWidget* parent, int id) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::number(id));
  return e;
}

}  // namespace

CSonicParams::CSonicParams(QWidget* parent) : qv::Dialog(parent) {
  setWindowTitle(QStringLiteral("Probe Configuration"));
  setObjectName(QString::number(kIdDialog));
  setModal(false);
  const char* intervals[3] = {"4 \xC2\xB5s", "8 \xC2\xB5s", "16 \xC2\xB5s"};
  auto* rate = new QGroupBox(QStringLiteral("Sample rate"), this);
  auto* rateRow = new QHBoxLayout(rate);
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    radios_[i] = new QRadioButton(QString::fromUtf8(intervals[i]), rate);
    radios_[i]->setObjectName(QString::number(kId4us + i));
    group->addButton(radios_[i], i);
    rateRow->addWidget(radios_[i]);
  }
  auto* receivers = new QHBoxLayout;
  for (int r = 0; r < 3; ++r) {
    gains_[r] = MakeEdit(this, kIdGain1 + r);
    thresholds_[r] = MakeEdit(this, kIdThreshold1 + r);
    auto* box = new QGroupBox(qv::Tr("Receiver %1").arg(r + 1), this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Gain"), box), 0, 0);
    grid->addWidget(gains_[r], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Threshold"), box), 1, 0);
    grid->addWidget(thresholds_[r], 1, 1);
    receivers->addWidget(box);
  }
  auto* apply = new QPushButton(QStringLiteral("Apply"), this);
  apply->setObjectName(QStringLiteral("1"));
  apply->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("2"));
  connect(apply, &QPushButton::clicked, this, [this] { OnApply(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(apply);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rate);
  layout->addLayout(receivers);
  layout->addLayout(buttons);

  send = [](SonicConfigBlock* block) {
    // Like every device call, the configuration goes out holding DeviceMutex.
    qv::MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
    if (guard.Acquired()) SendConfig(block);
  };
  save = [](const SonicConfigBlock& block) { qv::SaveSonicParams(reinterpret_cast<const std::uint8_t*>(&block)); };
}

QLineEdit* CSonicParams::Edit(int id) const {
  if (id >= kIdGain1 && id <= kIdGain3) return gains_[id - kIdGain1];
  if (id >= kIdThreshold1 && id <= kIdThreshold3) return thresholds_[id - kIdThreshold1];
  return nullptr;
}

QRadioButton* CSonicParams::Radio(int id) const {
  return id >= kId4us && id <= kId16us ? radios_[id - kId4us] : nullptr;
}

void CSonicParams::Create(SonicConfigBlock* block, std::uint8_t comStd) {
  block_ = block;
  comStd_ = comStd;
  FromBlock();
}

void CSonicParams::FromBlock() {
  if (!block_) return;
  const int interval = static_cast<std::int8_t>(block_->sampleInterval);
  m_nInterval = interval == 8 ? 1 : interval == 16 ? 2 : 0;
  for (int r = 0; r < 3; ++r) {
    m_nGain[r] = static_cast<std::int8_t>(block_->gain[r]);
    m_nThreshold[r] = block_->threshold[r];
  }
}

void CSonicParams::ApplyStandard() {
  // Standard 28 samples only every 4 us; 27 and 29 have no third receiver.
  if (comStd_ == 28) m_nInterval = 0;
  radios_[1]->setEnabled(comStd_ != 28);
  radios_[2]->setEnabled(comStd_ != 28);
  gains_[2]->setEnabled(comStd_ != 27 && comStd_ != 29);
  thresholds_[2]->setEnabled(comStd_ != 27 && comStd_ != 29);
}

void CSonicParams::DoDataExchange(qv::DataExchange& dx) {
  if (dx.Saving()) {
    m_nInterval = 0;
    for (int i = 0; i < 3; ++i)
      if (radios_[i]->isChecked()) m_nInterval = i;
  } else {
    radios_[m_nInterval >= 0 && m_nInterval < 3 ? m_nInterval : 0]->setChecked(true);
  }
  for (int r = 0; r < 3 && !dx.Failed(); ++r) {
    qv::DDX_Text(dx, gains_[r], m_nGain[r]);
    qv::DDV_MinMaxInt(dx, m_nGain[r], 0, 31);
  }
  for (int r = 0; r < 3 && !dx.Failed(); ++r) {
    qv::DDX_Text(dx, thresholds_[r], m_nThreshold[r]);
    qv::DDV_MinMaxInt(dx, m_nThreshold[r], -128, 127);
  }
}

bool CSonicParams::OnInitDialog() {
  ApplyStandard();
  return qv::Dialog::OnInitDialog();
}

void CSonicParams::showEvent(QShowEvent* event) {
  qv::Dialog::showEvent(event);
  FromBlock();
  ApplyStandard();
  UpdateData(false);
}

void CSonicParams::OnApply() {
  if (!block_ || !UpdateData(true)) return;
  block_->sampleInterval = static_cast<std::uint8_t>(m_nInterval >= 0 && m_nInterval < 3 ? kIntervals[m_nInterval] : 4);
  for (int r = 0; r < 3; ++r) {
    block_->gain[r] = static_cast<std::uint8_t>(m_nGain[r]);
    block_->threshold[r] = static_cast<std::int8_t>(m_nThreshold[r]);
  }
  SonicConfigBlock copy = *block_;
  if (send) send(&copy);
  if (save) save(*block_);
}
