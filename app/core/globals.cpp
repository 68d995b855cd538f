#include "globals.h"

qv::RecursiveTimedMutex DeviceMutex;
std::atomic<CLogDoc*> g_pActiveDoc{nullptr};
std::string g_strProgramFolder;

std::atomic<int> g_bHardwarePresent{0};
std::atomic<int> g_bHardwareInUse{0};
std::atomic<int> g_nFontCharset{1};

std::atomic<int> g_bWinchPowerOn{0};
std::atomic<int> g_nWinchSpeed{0};
std::atomic<int> g_nWinchDirection{0};

std::atomic<bool> g_bMessageBoxOpen{false};
std::atomic<int> g_bLogDocumentOpen{0};
std::atomic<int> g_bUtilityActive{0};
std::atomic<int> g_bSondePowerOn{0};
std::atomic<int> g_bLoggingPaused{0};

std::atomic<int> g_nRealTimePrinter{1};
std::atomic<int> g_nDepthUnits{0};
std::atomic<int> g_nDepthStepMetric{10};
std::atomic<int> g_nDepthStepImperial{50};
std::atomic<int> g_nTimeStep{150};
std::atomic<int> g_nSampleInterval{-1};
std::string g_strCurrentSonde = "KSTQ";
std::string g_strSondeSerialNo;
std::string g_strDefaultDataFolder;
std::atomic<int> g_bWrapCurves{1};
std::atomic<int> g_nRecorderPort{1};
std::atomic<int> g_bPrintFloydSteinberg{1};
std::atomic<int> g_bPrintAdaptiv{0};
std::atomic<int> g_nPrintMedium{0};
std::atomic<int> g_bFormMarkDetect{1};
std::atomic<int> g_bInvertBHTVColours{0};

std::atomic<int> g_bWatchdogStop{0};

qv::AcquisitionSetup* g_pAcquisitionSetup = nullptr;
UnitConfigBlock* g_pUnitConfig = nullptr;
CableInterfaceBlock* g_pCableInterface = nullptr;
UnitIdentityBlock* g_pUnitIdentity = nullptr;
SonicConfigBlock g_SonicConfig{};

const int g_ImperialDepthScales[5] = {60, 120, 240, 600, 1200};
const int g_MetricDepthScales[8] = {20, 40, 50, 100, 200, 250, 500, 1000};
