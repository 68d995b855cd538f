// The application object starting and ending against the simulated unit.
#include <gtest/gtest.h>

#include "app/core/globals.h"
#include "app/ui/frames.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/msgbox.h"
#include "sondedb/sondedb.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/support/qt_app.h"

namespace {

class AppStartTest : public TbdeviceTest {
public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    qvtest::App();
    ResetLinkState();
    qv::SetProgramFolder(folder.string());
    g_bHardwarePresent = g_bHardwareInUse = g_bWatchdogStop = 0;
    prev = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r);
      return qv::IDIGNORE;
    });
  }
  void TearDown() override {
    qv::SetMessageBoxHandler(prev);
    TbdeviceTest::TearDown();
  }
  void Ready() {
    WriteFirmware();
    fs::create_directories(folder / "SondeDB");
    ASSERT_TRUE(qv::CreateSondeDatabase((folder / "SondeDB" / "quorva.db").string()));
  }
  std::vector<qv::MessageBoxRequest> boxes;
  qv::MessageBoxHandler prev;
};

TEST_F(AppStartTest, StartsOnTheUnitAndEndsInOrder) {
  Ready();
  WriteText("quorva.ini", "[SystemParameters]\r\nLastSonde=GAMMA\r\nSerialNo=3\r\n");
  {
    CPemmaroApp app;
    app.SetLockFolder(folder.string());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(g_bHardwarePresent, 1);
    EXPECT_EQ(g_strProgramFolder, folder.string());
    EXPECT_NE(CStartWnd::Current(), nullptr) << "the splash window is up";
    ASSERT_NE(app.Frame(), nullptr);
    EXPECT_TRUE(app.Frame()->isVisible());
    EXPECT_TRUE(app.Startup().WatchdogRunning());
    EXPECT_EQ(app.ActiveDocument(), nullptr) << "the log documents are not installed here: no log window";
    EXPECT_FALSE(app.QueryCommand(ID_INIT_HARDWARE).Enabled());
    EXPECT_TRUE(unit->FirmwareLoaded());
    EXPECT_EQ(g_strSondeSerialNo, "") << "read from the profile, then the empty sonde list chose none";
    g_strCurrentSonde = "KSTQ";
    unit->ClearJournal();
    app.ExitInstance();
    EXPECT_FALSE(app.Startup().WatchdogRunning());
  }
  EXPECT_EQ(qv::GetProfileText((folder / "quorva.ini").string(), "SystemParameters", "LastSonde", ""), "KSTQ");
  EXPECT_EQ(qv::GetProfileText((folder / "quorva.ini").string(), "SystemParameters", "SerialNo", "x"), "")
      << "the selector of an empty sonde list named no sonde";
  bool powerOff = false;
  for (const auto& r : Sent())
    if (r.code == 0x43 && r.data == std::vector<uint8_t>(6, 0)) powerOff = true;
  EXPECT_TRUE(powerOff);
}

TEST_F(AppStartTest, SecondInstanceStartsOfflineWithoutTouchingTheUnit) {
  Ready();
  qv::NamedLock other;
  ASSERT_EQ(other.Acquire("LBDLLINUSE", folder.string()), qv::NamedLock::Result::Acquired);
  CPemmaroApp app;
  app.SetLockFolder(folder.string());
  ASSERT_TRUE(app.InitInstance());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Hardware is accessed by another application - program will run in offline mode.");
  EXPECT_EQ(g_bHardwareInUse, 1);
  EXPECT_EQ(g_bHardwarePresent, 0);
  EXPECT_TRUE(Sent().empty()) << "no call into the device library";
  EXPECT_EQ(app.ActiveDocument(), nullptr);
  EXPECT_FALSE(app.QueryCommand(ID_INIT_HARDWARE).Enabled());
  app.ExitInstance();
}

TEST_F(AppStartTest, IgnoredBringUpRunsOfflineAndInitialiseHardwareReachesTheUnitLater) {
  Ready();
  Faults([](qv::sim::Faults& f) { f.absentAtOpen = true; });
  CPemmaroApp app;
  app.SetLockFolder(folder.string());
  ASSERT_TRUE(app.InitInstance());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Quorvanta Init");
  EXPECT_EQ(g_bHardwarePresent, 0);
  EXPECT_EQ(app.ActiveDocument(), nullptr);
  EXPECT_TRUE(app.QueryCommand(ID_INIT_HARDWARE).Enabled());

  Faults([](qv::sim::Faults& f) { f.absentAtOpen = false; });
  unit->Attach();
  app.ExecuteCommand(ID_INIT_HARDWARE);
  EXPECT_EQ(g_bHardwarePresent, 1) << "the link is opened now";
  app.ExitInstance();
}

}  // namespace
