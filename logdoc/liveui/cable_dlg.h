// The cable settings dialog: the cable interface of the unit (bit rate,
// threshold, cable type, pulse width, drive, gain), shown from the unit and
// saved into the acquisition set-up of the current sonde. Each control holds
// the field of the cable-interface block of its name, so the values the
// bring-up sends from the set-up come back into the same controls.
#pragma once

#include "devices/tbdevice/tbdevice.h"
#include "platform/docview/dialog.h"

class QComboBox;
class QLineEdit;

class CCableDlg : public qv::Dialog {
  Q_OBJECT
 public:
  enum ControlId {
    kIdBaudrate = 2000,
    kIdThreshold = 2001,
    kIdDrive = 2002,
    kIdGain = 2003,
    kIdPulseWidth = 2004,
    kIdCableType = 2030,
  };

  explicit CCableDlg(QWidget* parent = nullptr);

  // The values, with the defaults of a new dialog.
  int m_nThreshold = 64;
  int m_nDrive = 64;
  int m_nGain = 64;
  int m_nPulseWidth = 25;
  int m_nBitRate = 31250;
  int m_nCableType = 1;

  // The block's fields into the values (drive and gain are signed bytes),
  // and back, cut to the block's widths.
  void FromBlock(const CableInterfaceBlock& block);
  void ToBlock(CableInterfaceBlock* block) const;

  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  // "Set": checks the values, stores them in the acquisition set-up, saves
  // it to the sonde database and ends with OK (also when saving failed).
  void OnOK() override;

  QLineEdit* Edit(int id) const;
  QComboBox* CableTypeList() const { return cableType_; }

 private:
  QLineEdit *baudrate_, *threshold_, *drive_, *gain_, *pulseWidth_;
  QComboBox* cableType_;
};
