#include "live_commands.h"

#include "app/core/globals.h"
#include "app/core/log_frame.h"
#include "logdoc/liveui/cable_dlg.h"
#include "logdoc/liveui/scope_shot_dlg.h"
#include "logdoc/monitor/live_device.h"
#include "platform/text/msgbox.h"

void ChangeCableOptions(qv::LiveDevice& device, QWidget* parent, const CableDialogRunner& run) {
  CableInterfaceBlock local{};
  CableInterfaceBlock* block = g_pCableInterface ? g_pCableInterface : &local;
  device.ReadCableInterface(block);
  CCableDlg dlg(parent);
  dlg.FromBlock(*block);
  const int result = run ? run(dlg) : dlg.DoModal();
  if (result != qv::IDOK) return;
  dlg.ToBlock(block);
  device.SendCableInterface(block);
}

void ShowScopeShot(qv::LiveDevice& device, QWidget* parent, const ScopeDialogRunner& run) {
  if (device.EnterScopeMode()) {
    CScopeShotDlg dlg(parent, &device);
    if (run)
      run(dlg);
    else
      dlg.DoModal();
  }
  device.LeaveScopeMode();
}

void BarMonitorSink::UpdateStatus(int timeMs, uint8_t status1, uint8_t status2, int receiverStatus) {
  if (LogFrame* frame = g_logFrame) frame->UpdateSondeStatus(timeMs, status1, status2, receiverStatus);
}

void BarMonitorSink::UpdateReadings(int tension, int depth, int speed) {
  if (LogFrame* frame = g_logFrame) frame->UpdateWinchReadings(tension, depth, speed);
}
