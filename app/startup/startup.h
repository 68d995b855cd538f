// The application's start-up and exit without widgets: the named hardware
// lock, the "SystemParameters" settings, the hardware bring-up with its
// sample-interval formula, the watchdog thread and the orderly switch-off at
// exit. The application object drives these and adds the windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "devices/tbdevice/tbdevice.h"
#include "platform/sync/sync.h"

// Reads the sixteen "SystemParameters" keys of the profile into the
// process-wide settings (missing keys give their defaults).
void ReadSystemParameters(const std::string& profile);
// Writes the keys the program keeps at exit: RealTimePrinter, LastSonde,
// SerialNo, DefaultDataDirectory and InvertBHTVColours.
void WriteExitParameters(const std::string& profile);

// Brings the unit up. mode 1 opens the USB link first; 2 configures an open
// link again; any other mode assumes the unit configured and only switches
// logging off before the new set-up. 1 when the unit is ready; 0 with the
// error text set (or empty for the silent failures).
int InitHardware(int mode, std::string* error);
// Whether the USB link has been opened (by a mode-1 bring-up).
bool LinkOpened();
// Forgets the open link (the device library was unloaded and loaded again).
void ResetLinkState();
// The sample interval the unit gets for the current set-up; also stored in
// g_nSampleInterval.
int ComputeSampleInterval();
// The sonic probe configuration of a sonde into g_SonicConfig; by default the
// sonde database supplies it.
using SonicParamsLoader = std::function<bool(const std::string& sonde, SonicConfigBlock* config)>;
void SetSonicParamsLoader(SonicParamsLoader loader);

// Outcome of taking the named hardware lock "LBDLLINUSE".
enum class LockOutcome { Owned, Offline, Failed };

// The start-up and exit steps that need no window.
class ShellStartup {
public:
  ~ShellStartup();
  // Takes the lock; a second instance runs offline (with the box that says
  // so), a lock that cannot be made at all ends the program (with its box).
  LockOutcome TakeHardwareLock(const std::string& folder = {});
  // The bring-up loop with Abort, Retry and Ignore: true to go on (hardware
  // present or ignored), false for Abort. Retry opens the link again when it
  // was never opened.
  bool BringUp();
  // The watchdog: Status_watchdog under DeviceMutex every period while the
  // hardware is present, until Exit.
  bool StartWatchdog(uint32_t periodMs = kWatchdogPeriodMs);
  bool WatchdogRunning() const { return watchdog_.Running(); }
  // Stops the watchdog (waiting for it), writes the exit keys, switches
  // logging and sonde power off with the hardware present and releases the
  // lock.
  void Exit(const std::string& profile);

  static constexpr uint32_t kWatchdogPeriodMs = 2000;
  static constexpr uint32_t kThreadStopWaitMs = 10000;

private:
  qv::NamedLock lock_;
  qv::Thread watchdog_;
};
