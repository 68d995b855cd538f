#include "sondedb/calui/command.h"

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "platform/sync/sync.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/lookups.h"

namespace qv {
namespace {

constexpr unsigned kStrPowerOff = 32373;
constexpr unsigned kStrDatabase = 32211;
constexpr unsigned kStrNotResponding = 32151;
constexpr unsigned kStrNotRecorded = 32108;
constexpr uint32_t kLoggingOffPauseMs = 100;
constexpr uint8_t kMonitorMode = 14;
constexpr int16_t kMonitorValue = 1000;

// One logging-mode call under DeviceMutex; its status word, or 0xFFFF when
// the mutex could not be had.
uint16_t SetLogging(const CountingDevice& device, LoggingModeBlock block) {
  MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
  if (!guard.Acquired()) return 0xFFFF;
  return device.setLoggingMode ? static_cast<uint16_t>(device.setLoggingMode(&block) & 0xFFFF) : 0;
}

}  // namespace

void RunCalibrationCommand(QWidget* parent, CalibrationWizardServices services, const CalibrationWizardRunner& run) {
  if (g_strCurrentSonde.empty()) return;
  if (!g_bSondePowerOn) {
    ShowMessageBox(LoadString(kStrPowerOff), "", MB_OK | MB_ICONSTOP);
    return;
  }
  auto rs = OpenSondeRecordset(g_strCurrentSonde, g_strSondeSerialNo);
  if (!rs) {
    ShowMessageBox(LoadString(kStrDatabase), "", MB_OK);
    return;
  }
  const CountingDevice device = services.device;
  const CountingClock clock = services.clock;
  LogDocumentShell* doc = ActiveLogDocument();
  const bool monitoring = doc && doc->IsMonitoring();
  CalibrationSet set;
  {
    CSondenCalibration wizard(parent, std::move(services));
    LoadSondeCalibration(rs.get(), &set);
    wizard.m_pCalibSet = &set;

    // The wizard reads the unit alone: the document's depth polling pauses
    // between two of its reads.
    uint16_t off = 0;
    {
      MutexGuard guard(DeviceMutex, kDeviceMutexWaitMs);
      if (doc) doc->SetDepthPolling(false);
      off = SetLogging(device, {});
    }
    if (clock.sleep) clock.sleep(kLoggingOffPauseMs);
    if (off != 0) {
      ShowMessageBox(LoadString(kStrNotResponding), "", MB_OK | MB_ICONSTOP);
    } else if ((run ? run(wizard) : wizard.Run()) == IDOK) {
      const int index = wizard.SelectedIndex();
      ChannelCalibration* rec =
          index >= 0 && static_cast<size_t>(index) < set.channels.size() ? set.channels[static_cast<size_t>(index)].get()
                                                                          : nullptr;
      if (rec && !UpdateCalibratedChannel(rec)) ShowMessageBox(LoadString(kStrNotRecorded), "", MB_OK);
    }
  }
  // The unit goes back to what the active document watched it with; a
  // document that was not monitoring leaves it switched off.
  uint16_t last = SetLogging(device, {});
  if (monitoring) last = SetLogging(device, {doc->ComStd(), doc->ToolType(), kMonitorValue, kMonitorMode, 0});
  if (monitoring) doc->SetDepthPolling(true);
  if (last != 0 && last != 0xFFFF) {
    Beep(MB_ICONSTOP);
    ShowDeviceStatus(last);
  }
  CloseSondeRecordset(rs);
}

}  // namespace qv
