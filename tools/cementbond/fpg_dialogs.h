// The free-pipe gate dialogs: "Free Pipe Gate Calculation" (the pipe and sonde
// sizes the gates are computed from; it has no Cancel and Escape does not
// close it) and "Free Pipe Gate Settings" (the gate of each receiver by
// position and width), and command 1033 that shows the second one.
#pragma once

#include "platform/docview/dialog.h"
#include "tools/cementbond/cbl_document.h"

class QLineEdit;

class CPipeSize : public qv::Dialog {
  Q_OBJECT
 public:
  enum ControlId { kIdPipeDiameter = 2272, kIdLongSpacing = 2273, kIdShortSpacing = 2274, kIdSondeDiameter = 2380 };

  explicit CPipeSize(QWidget* parent = nullptr);

  int m_nPipeDiameter = 0;
  int m_nSondeDiameter = 0;
  int m_nLongSpacing = 0;
  int m_nShortSpacing = 0;

  void DoDataExchange(qv::DataExchange& dx) override;
  // The dialog closes only with OK, once every value lies in its range.
  void OnCancel() override {}
  QLineEdit* Edit(int id) const;

 private:
  QLineEdit *pipe_, *sonde_, *shortSpacing_, *longSpacing_;
};

// The pipe-size question of the cement-bond log, asked with CPipeSize.
class PipeSizeDialogService : public qv::PipeSizeService {
 public:
  explicit PipeSizeDialogService(QWidget* parent = nullptr) : parent_(parent) {}
  void Ask(qv::PipeSizeValues& values) override;

 private:
  QWidget* parent_;
};

class CFPGDialog : public qv::Dialog {
  Q_OBJECT
 public:
  enum ControlId {
    kIdFarPosition = 2174,
    kIdFarWidth = 2175,
    kIdNearPosition = 2176,
    kIdNearWidth = 2177,
    kIdSetDefault = 2178,
  };

  CFPGDialog(qv::CCBLDocument* document, QWidget* parent = nullptr);

  qv::CCBLDocument* m_pDocument = nullptr;
  int m_nFarWidth = 0;
  int m_nFarPosition = 0;
  int m_nNearPosition = 0;
  int m_nNearWidth = 0;

  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  void OnOK() override;
  // Recomputes the gates after the pipe-size question; they stay in the
  // document even when this dialog then ends with Cancel.
  void OnSetDefault();
  QLineEdit* Edit(int id) const;

 private:
  void FromDocument();
  QLineEdit *nearPosition_, *nearWidth_, *farPosition_, *farWidth_;
};

namespace qv {
inline constexpr int kIdFpgSettings = 1033;  // Tools / "Sonic &FPG Settings"
// Command 1033: the gate settings of a cement-bond log.
void OnFpgSettings(CCBLDocument& document, QWidget* parent = nullptr);
}  // namespace qv
