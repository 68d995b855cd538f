// The "Trailer Text" dialog: the four trailer lines of a log as one
// multi-line text. It neither reads nor writes files; the caller fills the
// record, runs the dialog and takes the record back.
#pragma once

#include <string>

#include "header/header_info.h"
#include "platform/docview/dialog.h"

class QPlainTextEdit;

class CTrailerTextDlg : public qv::Dialog {
 public:
  explicit CTrailerTextDlg(QWidget* parent = nullptr);

  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnInitDialog() override;
  // OK and Cancel alike take the edited lines into the record; only the
  // result tells the caller which button ended the dialog.
  void OnOK() override;
  void OnCancel() override;
  // The modal run. A run ended from outside, without either button (the
  // program's end closing the log while the dialog is open), takes the
  // edited lines as Cancel does and answers Cancel.
  int DoModal();

  QPlainTextEdit* Edit() const { return edit_; }

  std::string m_strText;      // the edited text, lines separated by CR LF
  TrailerText m_TrailerText;  // filled by the caller before the run
  std::string m_strFile;      // a path of the log, for the caller

 private:
  void TakeText();
  QPlainTextEdit* edit_;
  bool taken_ = false;  // a button took the edited lines in this run
};
