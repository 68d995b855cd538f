// The waveform log documents: the framework's log document over a
// segmented-waveform log (the cement-bond CCBLDocument, the full-wave sonic
// CFWSDocument), whose rows, depths, resets and display wake-ups go to its
// waveform view (CCBLView, or its full-wave variant).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "logdoc/ui/log_doc.h"
#include "tools/cementbond/cbl_document.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/cementbond/fpg_dialogs.h"

// What asks new cement-bond documents for the pipe and sonde sizes (null:
// the "Free Pipe Gate Calculation" dialog); returns the previous one.
qv::PipeSizeService* SetCementBondPipeSizeService(qv::PipeSizeService* service);

class CWaveformLogDoc : public CLogDoc {
  Q_OBJECT
 public:
  ~CWaveformLogDoc() override;

  qv::WaveformLogDocument& Waveform() { return *static_cast<qv::WaveformLogDocument*>(Engine()); }
  CCBLView* View() const { return view_.load(); }

  // Finds the document's first view, which must be a waveform view (else
  // "Not enough memory available." as the log's set-up failure); a live
  // log's title is its name with the waveform file's extension appended.
  bool InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) override;

  // ---- what the view reads of the log
  bool LatestValues(double* raw, double* calibrated, double* user) const override;
  int SondeLength() const override;
  void FlushRecorder() override;

 protected:
  explicit CWaveformLogDoc(std::unique_ptr<qv::WaveformLogDocument> log);

 private:
  std::atomic<CCBLView*> view_{nullptr};
};

class CCementBondDoc : public CWaveformLogDoc {
  Q_OBJECT
 public:
  CCementBondDoc();

  qv::CCBLDocument& CementBond() { return *static_cast<qv::CCBLDocument*>(Engine()); }

 private:
  PipeSizeDialogService pipeSizeDialog_;
};
