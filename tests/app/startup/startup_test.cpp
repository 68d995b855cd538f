// Start-up, bring-up, watchdog and exit against the simulated unit.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/core/globals.h"
#include "app/startup/startup.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/msgbox.h"
#include "sondedb/acquisition.h"
#include "sondedb/sondedb.h"
#include "tests/devices/tbdevice/fixture.h"

namespace {

class StartupTest : public TbdeviceTest {
public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    ResetLinkState();
    qv::SetProgramFolder(folder.string());
    profile = (folder / "quorva.ini").string();
    g_pAcquisitionSetup = &setup;
    g_pUnitConfig = &config;
    g_pCableInterface = &cable;
    g_pUnitIdentity = &identity;
    g_bHardwarePresent = g_bHardwareInUse = g_bWatchdogStop = 0;
    g_nDepthUnits = 0;
    g_strCurrentSonde = "KSTQ";
    g_strSondeSerialNo = "";
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r);
      const int answer = answers.empty() ? qv::IDIGNORE : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      if (onBox) onBox();
      return answer;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(prevBox);
    g_pAcquisitionSetup = nullptr;
    g_pUnitConfig = nullptr;
    g_pCableInterface = nullptr;
    g_pUnitIdentity = nullptr;
    TbdeviceTest::TearDown();
  }
  void MakeDatabase() { ASSERT_TRUE(qv::CreateSondeDatabase((folder / "SondeDB" / "quorva.db").string())); }
  void Ready() {
    WriteFirmware();
    fs::create_directories(folder / "SondeDB");
    MakeDatabase();
  }
  std::vector<uint8_t> Codes() {
    std::vector<uint8_t> codes;
    for (const auto& r : Sent()) codes.push_back(r.code);
    return codes;
  }

  std::string profile;
  qv::AcquisitionSetup setup;
  UnitConfigBlock config{};
  CableInterfaceBlock cable{};
  UnitIdentityBlock identity{};
  std::vector<qv::MessageBoxRequest> boxes;
  std::vector<int> answers;
  std::function<void()> onBox;
  qv::MessageBoxHandler prevBox;
};

TEST_F(StartupTest, BringUpConfiguresTheUnitInOrder) {
  Ready();
  g_SonicConfig = SonicConfigBlock{};
  std::string error = "stale";
  ASSERT_EQ(InitHardware(1, &error), 1) << error;
  EXPECT_EQ(error, "");
  // The sonic configuration comes from the database (its defaults here).
  EXPECT_EQ(g_SonicConfig.sampleInterval, 4);
  EXPECT_EQ(g_SonicConfig.gain[2], 1);
  EXPECT_EQ(g_SonicConfig.threshold[2], 1);
  EXPECT_TRUE(LinkOpened());
  std::vector<uint8_t> order;
  for (uint8_t c : Codes())
    if (c == 0x42 || c == 0x44 || c == 0x46 || c == 0x41) order.push_back(c);
  EXPECT_EQ(order, (std::vector<uint8_t>{0x42, 0x44, 0x46, 0x41})) << "configure, cable, identify, sample interval";
  EXPECT_TRUE(unit->FirmwareLoaded());
  EXPECT_EQ(setup.PulsesPerRevolution, 1000) << "the standard encoder";
  EXPECT_EQ(g_nSampleInterval, static_cast<int>(1000 * 10 * 256 / setup.SP2 + 0.5));
  EXPECT_EQ(unit->State().sampleInterval, g_nSampleInterval);
  EXPECT_EQ(config.depthUnitCode, 10) << "refilled after the library rewrote it";
  EXPECT_EQ(unit->State().identity[0], identity.word2 & 0xFF);

  // Again on the open link: the link is not opened a second time.
  const int starts = unit->State().linkStarts;
  ASSERT_EQ(InitHardware(2, &error), 1) << error;
  EXPECT_EQ(unit->State().linkStarts, starts);
}

TEST_F(StartupTest, ASondeTheDatabaseDoesNotHoldBringsUpOnTheStandardSondesSetUp) {
  Ready();
  {
    qv::dao::Database db;
    db.Open((folder / "SondeDB" / "quorva.db").string());
    db.Execute("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber, Voltage, CurrentLimit, Polarity)"
               " VALUES (7, 'KSTQ', '', 144, 60, 1)");
  }
  g_strCurrentSonde = "GONE";
  g_strSondeSerialNo = "3";
  std::string error;
  ASSERT_EQ(InitHardware(1, &error), 1) << error;
  EXPECT_EQ(setup.SondeId, 7);
  EXPECT_EQ(setup.Voltage, 144);
  EXPECT_EQ(setup.CurrentLimit, 60);
  EXPECT_EQ(g_strCurrentSonde, "GONE") << "the current sonde's name is kept";
}

TEST_F(StartupTest, BringUpFailures) {
  struct Case {
    const char* name;
    std::function<void(StartupTest&)> arrange;
    const char* error;
  };
  const Case cases[] = {
      {"unit absent", [](StartupTest& t) { t.Faults([](qv::sim::Faults& f) { f.absentAtOpen = true; }); },
       "Could not connect to the Logger. Link could not be established. Check power supply and cable connections."},
      {"no sonde database", [](StartupTest& t) { t.WriteFirmware(); }, "Could not access sonde database"},
      {"no firmware",
       [](StartupTest& t) {
         fs::create_directories(t.folder / "SondeDB");
         t.MakeDatabase();
       },
       "Could not load <LBAPP.DLL> or <SIGWORK.DLL>. File(s) inaccessable or not found in Quorvanta subdirectory."},
      {"no set-up record", [](StartupTest&) { g_pAcquisitionSetup = nullptr; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.arrange(*this);
    std::string error;
    EXPECT_EQ(InitHardware(1, &error), 0);
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(StartupTest, AbortRetryIgnore) {
  Ready();
  Faults([](qv::sim::Faults& f) { f.absentAtOpen = true; });
  ShellStartup startup;
  answers = {qv::IDIGNORE};
  EXPECT_TRUE(startup.BringUp()) << "Ignore goes on offline";
  EXPECT_EQ(g_bHardwarePresent, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Lumbracoder could not be initialised! \nError report:\nCould not connect to the Logger. Link could not be "
            "established. Check power supply and cable connections.");
  EXPECT_EQ(boxes[0].caption, "Quorvanta Init");
  EXPECT_EQ(boxes[0].flags, qv::MB_ABORTRETRYIGNORE | qv::MB_ICONINFORMATION | qv::MB_DEFBUTTON2);

  boxes.clear();
  answers = {qv::IDABORT};
  EXPECT_FALSE(startup.BringUp());

  // The unit is switched on while the box is open; Retry reaches it.
  boxes.clear();
  answers = {qv::IDRETRY};
  onBox = [this] {
    Faults([](qv::sim::Faults& f) { f.absentAtOpen = false; });
    unit->Attach();
  };
  EXPECT_TRUE(startup.BringUp());
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(g_bHardwarePresent, 1);
  EXPECT_TRUE(unit->FirmwareLoaded());
}

TEST_F(StartupTest, SecondInstanceRunsOffline) {
  const std::string lockFolder = folder.string();
  ShellStartup first;
  EXPECT_EQ(first.TakeHardwareLock(lockFolder), LockOutcome::Owned);
  EXPECT_EQ(g_bHardwareInUse, 0);
  ShellStartup second;
  EXPECT_EQ(second.TakeHardwareLock(lockFolder), LockOutcome::Offline);
  EXPECT_EQ(g_bHardwareInUse, 1);
  EXPECT_EQ(g_bHardwarePresent, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Hardware is accessed by another application - program will run in offline mode.");
  first.Exit(profile);

  // A lock left by a process that was killed does not block.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    qv::NamedLock held;
    const char ok = held.Acquire("LBDLLINUSE", lockFolder) == qv::NamedLock::Result::Acquired ? 1 : 0;
    if (write(ready[1], &ok, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  ShellStartup third;
  EXPECT_EQ(third.TakeHardwareLock(lockFolder), LockOutcome::Offline) << "held while the other program lives";
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ShellStartup fourth;
  EXPECT_EQ(fourth.TakeHardwareLock(lockFolder), LockOutcome::Owned);
  close(ready[0]);
  close(ready[1]);
}

TEST_F(StartupTest, WatchdogRunsUntilExitAndExitSwitchesTheUnitOff) {
  Ready();
  ShellStartup startup;
  ASSERT_TRUE(startup.BringUp());
  EXPECT_EQ(ShellStartup::kWatchdogPeriodMs, 2000u);
  ASSERT_TRUE(startup.StartWatchdog(5));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (unit->State().watchdogs < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(unit->State().watchdogs, 3);

  g_nRealTimePrinter = 2;
  g_strCurrentSonde = "GAMMA";
  g_strSondeSerialNo = "12";
  g_strDefaultDataFolder = "/data/logs/";
  g_bInvertBHTVColours = 1;
  unit->ClearJournal();
  startup.Exit(profile);
  EXPECT_FALSE(startup.WatchdogRunning());
  const int after = unit->State().watchdogs;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(unit->State().watchdogs, after) << "no watchdog after exit";
  std::vector<uint8_t> power;
  for (const auto& r : Sent())
    if (r.code == 0x43) power = r.data;
  EXPECT_EQ(power, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0})) << "sonde power off at exit";

  struct Key {
    const char* key;
    const char* value;
  };
  for (const Key k : {Key{"RealTimePrinter", "2"}, Key{"LastSonde", "GAMMA"}, Key{"SerialNo", "12"},
                      Key{"DefaultDataDirectory", "/data/logs/"}, Key{"InvertBHTVColours", "1"}})
    EXPECT_EQ(qv::GetProfileText(profile, "SystemParameters", k.key, "missing"), k.value) << k.key;
  EXPECT_EQ(qv::GetProfileText(profile, "SystemParameters", "DephUnits", "missing"), "missing")
      << "only the five keys are written at exit";
}

TEST_F(StartupTest, SettingsFromTheProfile) {
  ReadSystemParameters(profile);  // no file: the defaults
  EXPECT_EQ(g_nRealTimePrinter, 1);
  EXPECT_EQ(g_nDepthUnits, 0);
  EXPECT_EQ(g_nDepthStepMetric, 10);
  EXPECT_EQ(g_nDepthStepImperial, 50);
  EXPECT_EQ(g_nTimeStep, 150);
  EXPECT_EQ(g_nSampleInterval, -1);
  EXPECT_EQ(g_strCurrentSonde, "KSTQ");
  EXPECT_EQ(g_strSondeSerialNo, "");
  EXPECT_EQ(g_bWrapCurves, 1);
  EXPECT_EQ(g_nRecorderPort, 1);
  EXPECT_EQ(g_bPrintFloydSteinberg, 1);
  EXPECT_EQ(g_bFormMarkDetect, 1);
  EXPECT_EQ(g_bInvertBHTVColours, 0);
  WriteText("quorva.ini", "[SystemParameters]\r\nDephUnits=1\r\nTimeStep=200\r\nLastSonde=ABCD\r\nSerialNo=9\r\n");
  ReadSystemParameters(profile);
  EXPECT_EQ(g_nDepthUnits, 1);
  EXPECT_EQ(g_nTimeStep, 200);
  EXPECT_EQ(g_strCurrentSonde, "ABCD");
  EXPECT_EQ(g_strSondeSerialNo, "9");
}

TEST(SampleInterval, Formula) {
  struct Case {
    int units, pulses;
    double sp2, dac2;
    int interval, pulsesAfter;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 32000, 5000},      {0, 1000, 400, 0, 6400, 1000},  {0, 1000, 5000, 0, 6400, 1000},
      {0, 1000, 250, 0, 10240, 1000}, {1, 5000, 0, 0, 48780, 5000},   {1, 1000, 0, 6400, 2000, 1000},
      {1, 100001, 0, 9000, 48780, 5000},
  };
  qv::AcquisitionSetup s;
  g_pAcquisitionSetup = &s;
  for (const Case& c : cases) {
    g_nDepthUnits = c.units;
    s.PulsesPerRevolution = c.pulses;
    s.SP2 = c.sp2;
    s.DAC2 = c.dac2;
    EXPECT_EQ(ComputeSampleInterval(), c.interval) << c.units << " " << c.pulses;
    EXPECT_EQ(g_nSampleInterval, c.interval);
    EXPECT_EQ(s.PulsesPerRevolution, c.pulsesAfter);
  }
  g_pAcquisitionSetup = nullptr;
  g_nDepthUnits = 0;
}

}  // namespace
