// The sonic log document: the framework's log document over the sonic log,
// whose records, depths, resets and display wake-ups go to its sonic view.
#pragma once

#include <atomic>

#include "logdoc/ui/log_doc.h"
#include "tools/sonic/sonic_log.h"
#include "tools/sonic/sonic_print.h"
#include "tools/sonic/sonic_view.h"

class CSonicDoc : public CLogDoc {
  Q_OBJECT
 public:
  // The document template makes documents without arguments, while the log's
  // record size follows its communication standard: the opener names the
  // standard of the next document first.
  static void SetNextComStd(int comStd);

  CSonicDoc();
  ~CSonicDoc() override;

  qv::SonicLogEngine& Sonic() { return *static_cast<qv::SonicLogEngine*>(Engine()); }
  CSonicView* View() const { return view_.load(); }

  // The document's first view, which must be a sonic view (else "Not
  // enough memory available." as the log's set-up failure), takes the
  // records; then the base's initialisation, and the view's first scroll
  // set-up.
  bool InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) override;

  int WaveformSamples() const override;
  curveview::PrintableLog* Printable() override { return printLog_.get(); }

 private:
  std::unique_ptr<qv::SonicPrintLog> printLog_;
  std::atomic<CSonicView*> view_{nullptr};
};
