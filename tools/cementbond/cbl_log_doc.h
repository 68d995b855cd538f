// The cement-bond log document: the framework's log document over the
// cement-bond log (CCBLDocument), whose rows, depths, resets and display
// wake-ups go to its cement-bond view.
#pragma once

#include <atomic>

#include "logdoc/ui/log_doc.h"
#include "tools/cementbond/cbl_document.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/cementbond/fpg_dialogs.h"

// What asks new cement-bond documents for the pipe and sonde sizes (null:
// the "Free Pipe Gate Calculation" dialog); returns the previous one.
qv::PipeSizeService* SetCementBondPipeSizeService(qv::PipeSizeService* service);

class CCementBondDoc : public CLogDoc {
  Q_OBJECT
 public:
  CCementBondDoc();
  ~CCementBondDoc() override;

  qv::CCBLDocument& CementBond() { return *static_cast<qv::CCBLDocument*>(Engine()); }
  CCBLView* View() const { return view_.load(); }

  // Finds the document's first view, which must be a cement-bond view (else
  // "Not enough memory available." as the log's set-up failure); a live
  // log's title is its name with "CBL" appended.
  bool InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) override;

  // ---- what the view reads of the log
  bool LatestValues(double* raw, double* calibrated, double* user) const override;
  int SondeLength() const override;
  void FlushViewRecorder() override;

 private:
  std::atomic<CCBLView*> view_{nullptr};
  PipeSizeDialogService pipeSizeDialog_;
};
