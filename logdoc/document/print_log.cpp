#include "logdoc/document/print_log.h"

namespace qv {

bool EnginePrintLog::StartPrintReplay(curveview::PrintReplayWindow* window) {
  ReplayReader* reader = engine_.Reader();
  if (!reader) return false;
  reader->SetPrinting(true);
  engine_.RewindReplay();
  window->upward = reader->IsUpward();
  window->minDepth = reader->GetMinDepth();
  window->maxDepth = reader->GetMaxDepth();
  return reader->IsOpen();
}

void EnginePrintLog::SetPrintDepthWindow(int depthOffset) {
  if (ReplayReader* reader = engine_.Reader()) reader->SetDepthWindow(depthOffset, 0);
}

void EnginePrintLog::EndPrintReplay() {
  // The replay goes on over the window the user chose, from its start.
  engine_.OpenReplayReader();
  engine_.RewindReplay();
  if (ReplayReader* reader = engine_.Reader()) reader->SetPrinting(false);
}

}  // namespace qv
