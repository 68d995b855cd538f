// CAskReplay: what happens at the end of the replay data. Reset goes back to
// the start of the log (the first file of its chain), Finish closes the
// document. "Print Header" is offered when the chart recorder can still print
// the log's heading at the end of the paper.
#pragma once

#include "platform/docview/dialog.h"

class QCheckBox;
class QPushButton;

class CAskReplay : public qv::Dialog {
  Q_OBJECT
 public:
  explicit CAskReplay(bool showPrintHeader, QWidget* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  // Reset (IDOK) and Finish (IDCANCEL) both take the check box first.
  void OnOK() override;
  void OnCancel() override;

  QCheckBox* PrintHeaderBox() const { return printHeader_; }
  QPushButton* ResetButton() const { return reset_; }
  QPushButton* FinishButton() const { return finish_; }

  int m_bPrintHeader = 0;
  bool m_bShowPrintHeader;

 private:
  QCheckBox* printHeader_;
  QPushButton* reset_;
  QPushButton* finish_;
};
