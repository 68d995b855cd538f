// The televiewer log document: the framework's log document over the
// televiewer engine, whose sweeps, depths, resets and display wake-ups go to
// its televiewer view.
#pragma once

#include <atomic>

#include "logdoc/ui/log_doc.h"
#include "tools/televiewer/bhtv_view.h"
#include "tools/televiewer/televiewer_log.h"

class CBTVTBDocument : public CLogDoc {
  Q_OBJECT
 public:
  CBTVTBDocument();
  ~CBTVTBDocument() override;

  qv::TeleviewerEngine& Televiewer() { return *static_cast<qv::TeleviewerEngine*>(Engine()); }
  CBHTVView* View() const { return view_.load(); }

  // Finds the document's first view, which must be a televiewer view (else
  // "Not enough memory available." as the log's set-up failure); a live
  // log's title is its name with "BTV" appended. False when the base's
  // initialisation failed too.
  bool InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) override;

  // ---- RecordSink: to the view
  void AddSample(std::span<const double>) override {}
  void SetDisplayDepth(int depth) override;
  void ResetCurves(bool restart) override;
  void UpdateDisplay() override;
  int WriteChannelHeader() override;
  void StartRealtimePrint(int mode) override;
  void StopRealtimePrint(int mode) override;
  void FlushRecorder() override;

 private:
  std::atomic<CBHTVView*> view_{nullptr};
};
