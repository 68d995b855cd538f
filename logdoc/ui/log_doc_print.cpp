// The log document's side of the curve view's page printing: the printout
// replays the log's files through the engine's own reader and processing.
#include "logdoc/document/channel_logs.h"
#include "logdoc/ui/log_doc.h"

namespace {

qv::ChannelLogEngine* ChannelEngine(qv::LogEngine* engine) {
  return dynamic_cast<qv::ChannelLogEngine*>(engine);
}

}  // namespace

const HeaderInfo* CLogDoc::PrintHeader() const {
  return engine_ ? &engine_->Header() : &header_;
}

const TrailerText* CLogDoc::PrintTrailer() const {
  return engine_ ? &engine_->Trailer() : &trailer_;
}

std::string CLogDoc::DataPath() const {
  return engine_ ? engine_->DataFilePath() : std::string();
}

const CalibrationArray* CLogDoc::Calibrations() const {
  const qv::ChannelLogEngine* e = ChannelEngine(engine_.get());
  return e ? e->GetCalibrationArray() : nullptr;
}

bool CLogDoc::SaveWellInfo(int mode) {
  return engine_ && engine_->SaveWellInfo(mode) != 0;
}

bool CLogDoc::ReopenReplay() {
  return engine_ && engine_->OpenReplayReader();
}

bool CLogDoc::StartPrintReplay(curveview::PrintReplayWindow* window) {
  qv::ChannelLogEngine* e = ChannelEngine(engine_.get());
  if (!e || !e->Reader()) return false;
  e->Reader()->SetPrinting(true);
  e->RewindReplay();
  window->upward = e->Reader()->IsUpward();
  window->minDepth = e->Reader()->GetMinDepth();
  window->maxDepth = e->Reader()->GetMaxDepth();
  return true;
}

void CLogDoc::SetPrintDepthWindow(int depthOffset) {
  if (qv::ChannelLogEngine* e = ChannelEngine(engine_.get()); e && e->Reader())
    e->Reader()->SetDepthWindow(depthOffset, 0);
}

bool CLogDoc::ReadReplayRecord() {
  return engine_ && engine_->ReadReplayRecord();
}

bool CLogDoc::SeekReplay(int depth) {
  return engine_ && engine_->SeekReplay(depth);
}

std::span<const double> CLogDoc::ProcessPrintRecord(std::span<const int> givenOffsets) {
  qv::ChannelLogEngine* e = ChannelEngine(engine_.get());
  return e ? e->ProcessPrintRecord(givenOffsets) : std::span<const double>();
}

void CLogDoc::EndPrintReplay() {
  qv::ChannelLogEngine* e = ChannelEngine(engine_.get());
  if (!e) return;
  e->OpenReplayReader();
  e->RewindReplay();
  if (e->Reader()) e->Reader()->SetPrinting(false);
}
