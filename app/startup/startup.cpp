#include "startup.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "devices/tbdevice/tbdevice.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "sondedb/acquisition.h"
#include "sondedb/lookups.h"

namespace {

constexpr const char* kSection = "SystemParameters";
constexpr const char* kFallbackSonde = "KSTQ";
constexpr unsigned kStrNoDatabase = 32091;
constexpr unsigned kStrInUse = 32361;
constexpr unsigned kStrCannotStart = 32362;
constexpr unsigned kStrInitFailed = 32276;
constexpr unsigned kStrInitCaption = 32246;

std::atomic<bool> g_linkOpened{false};
std::mutex g_loaderMutex;
// The sonde database's configuration of the sonde (its defaults when it has
// none); tests put their own in its place.
SonicParamsLoader g_sonicLoader = [](const std::string& sonde, SonicConfigBlock* config) {
  static_assert(sizeof(SonicConfigBlock) == qv::kSonicConfigSize);
  uint8_t block[qv::kSonicConfigSize];
  qv::LoadSonicParams(block, sonde, g_strSondeSerialNo);
  std::memcpy(config, block, sizeof block);
  return true;
};

// The status word's first non-zero byte as a text; true when there is one.
bool StatusFailed(uint32_t status, std::string* error) {
  const int first = static_cast<int>(status & 0xFF);
  const int second = static_cast<int>((status >> 8) & 0xFF);
  if (first) {
    FormatDeviceError(kUnitError, first, error);
    return true;
  }
  if (second) {
    FormatDeviceError(kProcessorError, second, error);
    return true;
  }
  return false;
}

template <class F>
uint32_t Locked(F call) {
  qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
  return call();
}

int ReadInt(const std::string& profile, const char* key, int def) {
  return qv::GetPrivateProfileInt(kSection, key, def, profile);
}

void WriteText(const std::string& profile, const char* key, const std::string& value) {
  if (!qv::WritePrivateProfileString(kSection, key, value.c_str(), profile))
    qv::Trace("could not write %s to %s", key, profile.c_str());
}

}  // namespace

void ReadSystemParameters(const std::string& profile) {
  g_nRealTimePrinter = ReadInt(profile, "RealTimePrinter", 1);
  g_nDepthUnits = ReadInt(profile, "DephUnits", 0);
  g_nDepthStepMetric = ReadInt(profile, "DepthStepMetric", 10);
  g_nDepthStepImperial = ReadInt(profile, "DepthStepImperial", 50);
  g_nTimeStep = ReadInt(profile, "TimeStep", 150);
  g_nSampleInterval = ReadInt(profile, "SampleInterval", -1);
  g_strCurrentSonde = qv::GetProfileText(profile, kSection, "LastSonde", kFallbackSonde);
  g_strSondeSerialNo = qv::GetProfileText(profile, kSection, "SerialNo", "");
  g_strDefaultDataFolder = qv::GetProfileText(profile, kSection, "DefaultDataDirectory", "");
  g_bWrapCurves = ReadInt(profile, "WrapCurves", 1);
  g_nRecorderPort = ReadInt(profile, "LPT", 1) & 0xFF;
  g_bPrintFloydSteinberg = ReadInt(profile, "PrintFloydSteinberg", 1);
  g_bPrintAdaptiv = ReadInt(profile, "PrintAdaptiv", 0);
  g_nPrintMedium = ReadInt(profile, "PrintMedium", 0);
  g_bFormMarkDetect = ReadInt(profile, "FormMarkDetect", 1);
  g_bInvertBHTVColours = ReadInt(profile, "InvertBHTVColours", 0);
}

void WriteExitParameters(const std::string& profile) {
  WriteText(profile, "RealTimePrinter", qv::FormatC("%d", g_nRealTimePrinter.load()));
  WriteText(profile, "LastSonde", g_strCurrentSonde);
  WriteText(profile, "SerialNo", g_strSondeSerialNo);
  WriteText(profile, "DefaultDataDirectory", g_strDefaultDataFolder);
  WriteText(profile, "InvertBHTVColours", qv::FormatC("%d", g_bInvertBHTVColours.load()));
}

void SetSonicParamsLoader(SonicParamsLoader loader) {
  std::lock_guard lk(g_loaderMutex);
  g_sonicLoader = std::move(loader);
}

bool LinkOpened() { return g_linkOpened; }
void ResetLinkState() { g_linkOpened = false; }

int ComputeSampleInterval() {
  qv::AcquisitionSetup* s = g_pAcquisitionSetup;
  if (!s) return g_nSampleInterval;
  if (s->PulsesPerRevolution < 1 || s->PulsesPerRevolution > 100000) s->PulsesPerRevolution = 5000;
  const double n = s->PulsesPerRevolution;
  double divisor, numerator;
  if (g_nDepthUnits) {
    divisor = s->DAC2 > 0 && s->DAC2 < 9000 ? s->DAC2 : 1312;
    numerator = n * 50 * 256;
  } else {
    divisor = s->SP2 > 0 && s->SP2 < 5000 ? s->SP2 : 400;
    numerator = n * 10 * 256;
  }
  g_nSampleInterval = static_cast<int>(numerator / divisor + 0.5);
  return g_nSampleInterval;
}

int InitHardware(int mode, std::string* error) {
  std::string scratch;
  std::string& err = error ? *error : scratch;
  err.clear();
  Diagnostic_off();
  if (!g_pAcquisitionSetup || !g_pUnitConfig || !g_pCableInterface || !g_pUnitIdentity) return 0;
  LoggingModeBlock modeBlock{};
  SondePowerBlock power{};

  if (mode == 1) {
    const uint32_t st = Locked([] { return InitialisePCMLink(); });
    if ((st & 0xFF) != TB_STATUS_LINK_OPEN) {
      FormatDeviceError(kUnitError, static_cast<int>(st & 0xFF), &err);
      return 0;
    }
    g_linkOpened = true;
  }
  const uint32_t first = mode == 1 || mode == 2 ? Locked([&] { return SetSondePower(&power); })
                                                : Locked([&] { return SetLoggingMode(&modeBlock); });
  if (StatusFailed(first, &err)) return 0;

  if (g_strCurrentSonde.empty()) g_strCurrentSonde = kFallbackSonde;
  // A current sonde the database does not hold (no sonde row) falls back to
  // the standard sonde's set-up like a failed lookup does.
  bool loaded = qv::LoadAcquisitionSetup(g_pAcquisitionSetup, g_strCurrentSonde, g_strSondeSerialNo) != 0 &&
                g_pAcquisitionSetup->SondeId != 0;
  if (!loaded) loaded = qv::LoadAcquisitionSetup(g_pAcquisitionSetup, kFallbackSonde, "") != 0;
  if (!loaded) {
    err = qv::LoadString(kStrNoDatabase);
    return 0;
  }
  {
    std::lock_guard lk(g_loaderMutex);
    if (g_sonicLoader) g_sonicLoader(g_strCurrentSonde, &g_SonicConfig);
  }

  const qv::AcquisitionSetup& s = *g_pAcquisitionSetup;
  CableInterfaceBlock& cable = *g_pCableInterface;
  cable.bitRate = s.BaudRate;
  cable.threshold = static_cast<uint16_t>(s.Threshold);
  cable.cableType = static_cast<uint16_t>(s.CableType);
  cable.pulseWidth = static_cast<uint16_t>(s.PulseWidth);
  cable.drive = static_cast<uint8_t>(s.Drive);
  cable.gain = static_cast<uint8_t>(s.Gain);
  UnitConfigBlock& config = *g_pUnitConfig;
  config.encoderId = static_cast<uint8_t>(s.EncoderId);
  config.reverseWheelDirection = static_cast<uint8_t>(s.ReverseWheelDirection);
  config.winchId = static_cast<uint8_t>(s.WinchId);
  config.depthUnitCode = g_nDepthUnits ? 50 : 10;  // rewritten by the library: set before every call

  if (StatusFailed(Locked([&] { return InitialiseLumbracoder(&config); }), &err)) return 0;
  config.depthUnitCode = g_nDepthUnits ? 50 : 10;
  if (StatusFailed(Locked([&] { return SetCableIface(&cable); }), &err)) return 0;
  Locked([] { return IdentifyLumbracoder(g_pUnitIdentity); });
  modeBlock = LoggingModeBlock{};
  Locked([&] { return SetLoggingMode(&modeBlock); });

  const int interval = ComputeSampleInterval();
  const uint32_t st = Locked([interval] { return SetSampleInterval(interval); });
  if (st & 0xFF) {
    FormatDeviceError(kUnitError, static_cast<int>(st & 0xFF), &err);
    ReportMessage(err, kErrorBox, 0);
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------------------
ShellStartup::~ShellStartup() { watchdog_.Stop(kThreadStopWaitMs); }

LockOutcome ShellStartup::TakeHardwareLock(const std::string& folder) {
  switch (lock_.Acquire("LBDLLINUSE", folder)) {
    case qv::NamedLock::Result::Acquired: g_bHardwareInUse = 0; return LockOutcome::Owned;
    case qv::NamedLock::Result::HeldElsewhere:
      qv::ShowMessageBox(qv::LoadString(kStrInUse));
      g_bHardwarePresent = 0;
      g_bHardwareInUse = 1;
      return LockOutcome::Offline;
    default: qv::ShowMessageBox(qv::LoadString(kStrCannotStart)); return LockOutcome::Failed;
  }
}

bool ShellStartup::BringUp() {
  const std::string heading = qv::LoadString(kStrInitFailed);
  for (;;) {
    std::string error;
    // Until the link has been opened every try opens it, so a unit switched
    // on after the program started can still be reached.
    if (InitHardware(LinkOpened() ? 2 : 1, &error)) {
      g_bHardwarePresent = 1;
      return true;
    }
    g_bHardwarePresent = 0;
    const int answer = qv::ShowMessageBox(heading + error, qv::LoadString(kStrInitCaption),
                                          qv::MB_ABORTRETRYIGNORE | qv::MB_ICONINFORMATION | qv::MB_DEFBUTTON2);
    if (answer == qv::IDRETRY) continue;
    return answer != qv::IDABORT;
  }
}

bool ShellStartup::StartWatchdog(uint32_t periodMs) {
  const bool started = watchdog_.Start(
      [periodMs](qv::Event& stop) {
        while (!stop.IsSet() && !g_bWatchdogStop) {
          if (g_bHardwarePresent) Locked([] { return Status_watchdog(); });
          if (qv::SleepOrStop(periodMs, stop)) break;
        }
        return 6;
      },
      false, qv::ThreadPriority::TimeCritical, "watchdog");
  return started;
}

void ShellStartup::Exit(const std::string& profile) {
  g_bWatchdogStop = 1;
  if (!watchdog_.Stop(kThreadStopWaitMs)) qv::Trace("the watchdog did not end in time");
  WriteExitParameters(profile);
  if (g_bHardwarePresent) {
    LoggingModeBlock off{};
    {
      qv::MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
      SetLoggingMode(&off);
    }
    SondePowerBlock noPower{};
    qv::MutexGuard lock(DeviceMutex, kDeviceMutexShortWaitMs);
    SetSondePower(&noPower);
  }
  lock_.Release();
}
