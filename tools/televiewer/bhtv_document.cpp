#include "tools/televiewer/bhtv_document.h"

#include "app/core/device_services.h"

CBTVTBDocument::CBTVTBDocument() : CLogDoc(std::make_unique<qv::TeleviewerEngine>()) {}

CBTVTBDocument::~CBTVTBDocument() {
  // The engine's threads end with the base; nothing reaches the view meanwhile.
  Televiewer().SetDisplay(nullptr);
  view_ = nullptr;
  // A view that outlives its document ends its chart without the log.
  for (qv::View* v : Views())
    if (auto* view = dynamic_cast<CBHTVView*>(v)) view->SetEngine(nullptr);
}

bool CBTVTBDocument::InitialiseLog(int mode, int toolKind, int pollPeriodMs, const std::string& title) {
  CBHTVView* view = Views().empty() ? nullptr : dynamic_cast<CBHTVView*>(Views().front());
  if (!view) {
    ReportMessage(DeviceErrorText(kSystemError, kErrNoMemory), kErrorBox);
    return false;
  }
  view->SetEngine(&Televiewer());
  view->SetFollowChain([this] { return m_bFollowChain; });
  Televiewer().SetDisplay(view);
  view_ = view;
  const bool ok = CLogDoc::InitialiseLog(mode, toolKind, pollPeriodMs, mode == 1 ? title + "BTV" : title);
  view->SetLogType(Televiewer().LogType());
  return ok;
}

void CBTVTBDocument::SetDisplayDepth(int depth) {
  if (CBHTVView* v = view_) v->SetDepth(depth, false);
}

void CBTVTBDocument::ResetCurves(bool restart) {
  if (CBHTVView* v = view_) v->ResetDisplay(restart);
}

void CBTVTBDocument::UpdateDisplay() {
  if (CBHTVView* v = view_) v->FlushImageRows();
}

int CBTVTBDocument::WriteChannelHeader() {
  CBHTVView* v = view_;
  return v ? v->SaveLayoutToHeader() : 0;
}

void CBTVTBDocument::StartRealtimePrint(int mode) {
  if (CBHTVView* v = view_) v->BeginChart(mode);
}

void CBTVTBDocument::StopRealtimePrint(int mode) {
  if (CBHTVView* v = view_) v->EndChart(mode);
}

void CBTVTBDocument::FlushRecorder() {
  if (CBHTVView* v = view_) v->FlushRecorder();
}
