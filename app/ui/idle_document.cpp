#include "idle_document.h"

#include "app/core/globals.h"
#include "app/ui/sonde_test_dlg.h"

namespace {
template <class F>
int Locked(F call) {
  qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
  return (call() & 0xFFFF) == 0 ? 1 : 0;
}
}  // namespace

CIdleMonitorDoc::~CIdleMonitorDoc() {
  CSondeTestDlg::CloseFor(this);
  CLogDoc* self = reinterpret_cast<CLogDoc*>(this);
  g_pActiveDoc.compare_exchange_strong(self, nullptr);
}

int CIdleMonitorDoc::SendSondeCommand(SondeCommandBlock* block) {
  return Locked([block] { return ::SendSondeCommand(block); });
}

int CIdleMonitorDoc::SetSondePower(SondePowerBlock* block) {
  return Locked([block] { return ::SetSondePower(block); });
}

int CIdleMonitorDoc::SetWinch(WinchControlBlock* block) {
  return Locked([block] { return ::SetWinch(block); });
}

void CIdleMonitorDoc::SetDepth(int depth) {
  Locked([depth] { return Set_Depth(depth); });
}
