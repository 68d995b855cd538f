// Process-wide state of the application shell that every part of the program
// reads, the headless engines included. Flags and settings are atomic: they
// are written on the GUI thread and read by the logging threads.
#pragma once

#include <atomic>
#include <string>

#include "devices/tbdevice/tbdevice.h"
#include "platform/sync/sync.h"

class CLogDoc;
namespace qv {
struct AcquisitionSetup;
}

// Serialises every call into TBdevice; the outermost lock of the process.
extern qv::RecursiveTimedMutex DeviceMutex;
// How long callers wait for DeviceMutex (ordinary calls, and at exit and in the
// measuring dialogs).
constexpr uint32_t kDeviceMutexWaitMs = 30000;
constexpr uint32_t kDeviceMutexShortWaitMs = 10000;

// The active log document, or null.
extern std::atomic<CLogDoc*> g_pActiveDoc;

// Folder of the running executable, without a trailing separator.
extern std::string g_strProgramFolder;

extern std::atomic<int> g_bHardwarePresent;  // the unit was brought up
extern std::atomic<int> g_bHardwareInUse;    // another program holds the unit: offline
extern std::atomic<int> g_nFontCharset;      // character set of every font (1 default, 128 Shift-JIS)

extern std::atomic<int> g_bWinchPowerOn;
extern std::atomic<int> g_nWinchSpeed;
extern std::atomic<int> g_nWinchDirection;

// An error box of ReportMessage is open.
extern std::atomic<bool> g_bMessageBoxOpen;
extern std::atomic<int> g_bLogDocumentOpen;  // a new log is open
extern std::atomic<int> g_bUtilityActive;    // a sonde test or flowmeter run is active
extern std::atomic<int> g_bSondePowerOn;
extern std::atomic<int> g_bLoggingPaused;

// "SystemParameters" of the program's profile.
extern std::atomic<int> g_nRealTimePrinter;     // RealTimePrinter, 1
extern std::atomic<int> g_nDepthUnits;          // DephUnits, 0 metric, 1 imperial
extern std::atomic<int> g_nDepthStepMetric;     // DepthStepMetric, 10
extern std::atomic<int> g_nDepthStepImperial;   // DepthStepImperial, 50
extern std::atomic<int> g_nTimeStep;            // TimeStep, 150 ms
extern std::atomic<int> g_nSampleInterval;      // SampleInterval, -1
extern std::string g_strCurrentSonde;           // LastSonde, "KSTQ"
extern std::string g_strSondeSerialNo;          // SerialNo, ""
extern std::string g_strDefaultDataFolder;      // DefaultDataDirectory, "" = DATA under the program folder
extern std::atomic<int> g_bWrapCurves;          // WrapCurves, 1
extern std::atomic<int> g_nRecorderPort;        // LPT, 1
extern std::atomic<int> g_bPrintFloydSteinberg; // PrintFloydSteinberg, 1
extern std::atomic<int> g_bPrintAdaptiv;        // PrintAdaptiv, 0
extern std::atomic<int> g_nPrintMedium;         // PrintMedium, 0
extern std::atomic<int> g_bFormMarkDetect;      // FormMarkDetect, 1
extern std::atomic<int> g_bInvertBHTVColours;   // InvertBHTVColours, 0

// Set when the program is closing: the watchdog ends and nothing reopens the
// idle document.
extern std::atomic<int> g_bWatchdogStop;

// The device records of the process, allocated before start-up and freed at
// exit, and the sonic probe configuration.
extern qv::AcquisitionSetup* g_pAcquisitionSetup;
extern UnitConfigBlock* g_pUnitConfig;
extern CableInterfaceBlock* g_pCableInterface;
extern UnitIdentityBlock* g_pUnitIdentity;
extern SonicConfigBlock g_SonicConfig;

// The depth scales "1:%d" offered for logs in feet and in metres.
extern const int g_ImperialDepthScales[5];
extern const int g_MetricDepthScales[8];
