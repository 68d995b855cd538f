// The probe configuration dialog of the sonic sonde ("Probe Configuration"):
// the sample interval of the waveforms and, per receiver, a gain and a
// detection threshold. Modeless: Apply sends the block to the unit and
// stores it for the sonde each time and the dialog stays open; Cancel hides
// it. The block it edits is the process's probe configuration, which the
// sonic log sends again when a run starts.
#pragma once

#include <cstdint>
#include <functional>

#include "devices/tbdevice/tbdevice.h"
#include "platform/docview/dialog.h"

class QLineEdit;
class QRadioButton;

class CSonicParams : public qv::Dialog {
  Q_OBJECT
 public:
  enum ControlId {
    kIdDialog = 444,
    kIdThreshold1 = 3420,
    kIdThreshold2 = 3421,
    kIdThreshold3 = 3422,
    kId4us = 3423,
    kId8us = 3424,
    kId16us = 3425,
    kIdGain1 = 3426,
    kIdGain2 = 3427,
    kIdGain3 = 3428,
  };

  explicit CSonicParams(QWidget* parent = nullptr);

  // Keeps the block (not owned) and the sonde's communication standard and
  // takes the block into the values.
  void Create(SonicConfigBlock* block, std::uint8_t comStd);

  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  // "Apply": the controls into the block, sent to the unit and saved; the
  // dialog stays open. A value out of range sends and saves nothing.
  void OnApply();

  QLineEdit* Edit(int id) const;
  QRadioButton* Radio(int id) const;

  // How the block reaches the unit and the sonde database (the device
  // library's SendConfig under DeviceMutex, and SaveSonicParams for the
  // current sonde); tests watch them.
  std::function<void(SonicConfigBlock*)> send;
  std::function<void(const SonicConfigBlock&)> save;

  int m_nInterval = 0;  // 0: 4 us, 1: 8 us, 2: 16 us
  int m_nGain[3] = {0, 0, 0};
  int m_nThreshold[3] = {0, 0, 0};

 protected:
  // Every showing starts from the block as it is now (the sonic log or the
  // bring-up may have changed it since the dialog was last open).
  void showEvent(QShowEvent* event) override;

 private:
  void FromBlock();
  void ApplyStandard();

  SonicConfigBlock* block_ = nullptr;
  std::uint8_t comStd_ = 0;
  QRadioButton* radios_[3];
  QLineEdit* gains_[3];
  QLineEdit* thresholds_[3];
};
