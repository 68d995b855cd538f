// The frames, bars and dialogs of the application shell, driven offscreen
// against a fake log document that sends its device calls to the simulated
// unit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <thread>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "app/ui/frames.h"
#include "app/ui/sources.h"
#include "app/ui/sys_settings.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "logview/dialog_runner.h"
#include "sondedb/import/import.h"
#include "sondedb/sondedb.h"
#include "sondedb/ui/sonde_select.h"
#include "platform/docview/services.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/support/qt_app.h"

// The log document as the shell sees it; its device calls go to the unit.
class CLogDoc : public qv::Document, public LogDocumentShell {
public:
  ~CLogDoc() override {
    CLogDoc* self = this;
    g_pActiveDoc.compare_exchange_strong(self, nullptr);
  }
  template <class F>
  static int Locked(F call) {
    qv::MutexGuard lock(DeviceMutex, kDeviceMutexWaitMs);
    return (call() & 0xFFFF) == 0 ? 1 : 0;
  }
  int SendSondeCommand(SondeCommandBlock* block) override {
    return Locked([block] { return ::SendSondeCommand(block); });
  }
  int SetSondePower(SondePowerBlock* block) override {
    return Locked([block] { return ::SetSondePower(block); });
  }
  int SetWinch(WinchControlBlock* block) override {
    return Locked([block] { return ::SetWinch(block); });
  }
  int state = -1;
  bool test = false;
  bool idle = false;
  bool liveDepth = true;
  int startResult = 1;
  std::string calibration;
  bool calibrationIsData = false;
  int depth = 0;
  bool monitoring = false;
  std::vector<std::string> calls;

  int CurrentDepth() const override { return depth; }
  bool IsMonitoring() const override { return monitoring; }
  uint8_t ComStd() const override { return 2; }
  uint8_t ToolType() const override { return 1; }
  std::string SondeName() const override { return "KSTQ"; }

  int LogState() const override { return state; }
  bool IsTestMode() const override { return test; }
  bool IsIdleDocument() const override { return idle; }
  bool HasLiveDepth() const override { return liveDepth; }
  int StartLogging(int mode) override {
    calls.push_back("StartLogging " + std::to_string(mode));
    if (startResult) state = 0;
    return startResult;
  }
  int ResumeWriter() override {
    calls.push_back("ResumeWriter");
    return 1;
  }
  void StopLogging(int type) override {
    calls.push_back("StopLogging " + std::to_string(type));
    state = type;
  }
  void SetWinchMode(bool on) override { calls.push_back(std::string("SetWinchMode ") + (on ? "1" : "0")); }
  void ComputePollInterval(int position) override { calls.push_back("ComputePollInterval " + std::to_string(position)); }
  void SetDepth(int depth) override { calls.push_back("SetDepth " + std::to_string(depth)); }
  void OnReplayEnd(bool) override { calls.push_back("OnReplayEnd"); }
  std::string CalibrationFile() const override { return calibration; }
  bool CalibrationIsDataFile() const override { return calibrationIsData; }
};

namespace {

using qvtest::App;
using qvtest::Settle;
using Bytes = std::vector<uint8_t>;

class TestApp : public CPemmaroApp {
public:
  int idleOpened = 0;
  TestApp() {
    AddDocTemplate(std::make_unique<qv::DocTemplate>(
        6, [] { return new CLogDoc; }, [] { return new CPemmaroFrame; }, [] { return new CPemmaroView; }));
  }
  void OpenIdleDocument() override { ++idleOpened; }
};

struct Boxes {
  std::vector<qv::MessageBoxRequest> shown;
  std::vector<unsigned> beeps;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
  Boxes() {
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      shown.push_back(r);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([this](unsigned t) { beeps.push_back(t); });
  }
  ~Boxes() {
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
  }
};

class ShellTest : public TbdeviceTest {
public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    App();
    g_bHardwarePresent = 1;
    g_bLogDocumentOpen = g_bSondePowerOn = g_bUtilityActive = g_bLoggingPaused = 0;
    g_bWinchPowerOn = g_nWinchSpeed = g_nWinchDirection = 0;
    g_bWatchdogStop = 0;
    g_nDepthUnits = 0;
    g_strCurrentSonde = "KSTQ";
    g_strSondeSerialNo = "77";
    setup.MaxSpeed = 30000;
    setup.DAC1 = 200;
    setup.SP1 = 20000;
    setup.Voltage = 120;
    setup.CurrentLimit = 300;
    setup.Polarity = 165;
    SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return d; });
    Sources().sondeList = [this] { return sondes; };
    Sources().sondeCommands = [this](const std::string&, const std::string&) { return commands; };
    Sources().acquisitionSetup = [this](qv::AcquisitionSetup* s, const std::string&, const std::string&) {
      *s = setup;
      return true;
    };
    CSondeControl::SetStopPause(0);
    app = std::make_unique<TestApp>();
    globalSetup = setup;
    g_pAcquisitionSetup = &globalSetup;
    frame = new CMainFrame;
    ASSERT_TRUE(frame->Create());
    app->SetMainFrame(frame);
    frame->resize(1000, 700);
    frame->show();
  }
  void TearDown() override {
    app->CloseAllDocuments();
    Settle();
    delete frame;
    app.reset();
    g_pActiveDoc = nullptr;
    g_pAcquisitionSetup = nullptr;
    SetLogDocumentResolver(nullptr);
    UseDatabaseSources();
    TbdeviceTest::TearDown();
  }

  // A log window of the kind given, made the active document.
  CLogDoc* Open(bool idle, bool replay, int screenWidth = 1024) {
    app->SetScreenWidth(screenWidth);
    app->m_bIdleFrame = idle;
    app->m_bReplayFrame = replay;
    auto* doc = static_cast<CLogDoc*>(app->Template(0)->OpenDocumentFile(nullptr));
    doc->idle = idle;
    doc->liveDepth = !replay;
    g_pActiveDoc = doc;
    app->UpdateCommandUI();
    return doc;
  }
  CPemmaroFrame* Frame() { return static_cast<CPemmaroFrame*>(app->ActiveFrame()); }

  std::vector<qv::sim::Request> SentWith(uint8_t code) {
    std::vector<qv::sim::Request> out;
    for (const auto& r : Sent())
      if (r.code == code) out.push_back(r);
    return out;
  }

  std::unique_ptr<TestApp> app;
  CMainFrame* frame = nullptr;
  qv::AcquisitionSetup setup, globalSetup;
  std::vector<std::string> sondes{"KSTQ [77] - Natural Gamma", "ABCD [1] - Caliper", "KSTQ [80] - Gamma"};
  std::vector<qv::SondeCommandRecord> commands{{"Arm open", "Opened", 20, 0, 0}, {"Gain", "1000", 105, 44, 1}};
};

TEST_F(ShellTest, FrameCompositionByKindAndScreenWidth) {
  struct Case {
    int width;
    bool idle, replay, hardware;
  };
  const Case cases[] = {
      {1024, true, false, true}, {640, true, false, true},   {1024, false, false, true},
      {640, false, true, true},  {1024, false, true, false}, {1024, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << (c.idle ? " idle" : c.replay ? " replay" : " new log")
                                      << (c.hardware ? "" : " offline"));
    g_bHardwarePresent = c.hardware;
    Open(c.idle, c.replay, c.width);
    CPemmaroFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->WinchBar(), nullptr);
    EXPECT_EQ(f->ReplayBar() != nullptr, c.replay);
    EXPECT_EQ(f->SondeBar() != nullptr, !c.replay);
    QWidget* other = c.replay ? static_cast<QWidget*>(f->ReplayBar()) : f->SondeBar();
    EXPECT_EQ(f->BarRow(f->WinchBar()), 0);
    EXPECT_EQ(f->BarColumn(f->WinchBar()), 0);
    if (c.width < 800) {
      EXPECT_EQ(f->BarRow(other), 1) << "narrow screens take a row of their own";
    } else {
      EXPECT_EQ(f->BarRow(other), 0);
      EXPECT_EQ(f->BarColumn(other), 1) << "beside the winch bar";
    }
    EXPECT_EQ(f->BarVisible(other), c.replay || c.hardware) << "the sonde bar shows only with the hardware";
    EXPECT_EQ(g_pWinchControl.load(), f->WinchBar());
    EXPECT_EQ(g_pSondeControl.load(), f->SondeBar());
    if (!c.replay) {
      for (int id : {kIdRecord, kIdPause, kIdSondeStop, kIdSend})
        EXPECT_FALSE(f->SondeBar()->Button(id)->isEnabled()) << id << " with the sonde power off";
      EXPECT_EQ(f->SondeBar()->MessageLine()->Text(), "Off");
      EXPECT_EQ(f->SondeBar()->TitleLine()->Text(), "Sonde Control");
      EXPECT_EQ(f->SondeBar()->LogTimeDisplay()->Value(), "00:00:00");
    } else {
      EXPECT_EQ(f->ReplayBar()->TitleLine()->Text(), "     Replay Control");
      EXPECT_EQ(f->ReplayBar()->SpeedSlider()->value(), 50);
      EXPECT_EQ(f->ReplayBar()->SpeedSlider()->minimum(), 1);
    }
    EXPECT_EQ(f->WinchBar()->MessageLine()->Text(), "Ready");
    EXPECT_EQ(f->WinchBar()->DepthUnitLabel()->text(), "[m]");
    EXPECT_EQ(f->WinchBar()->SpeedUnitLabel()->text(), "[m/min]");
    app->CloseAllDocuments();
    Settle();
    EXPECT_EQ(g_pWinchControl.load(), nullptr);
    EXPECT_EQ(g_pSondeControl.load(), nullptr);
    EXPECT_EQ(g_pReplayControl.load(), nullptr);
  }
}

// The log time must show whole on the screens the bars are laid out for:
// beside the winch bar at 1024 pixels, on a row of its own at 640.
TEST_F(ShellTest, LogTimeAndDepthFitTheirDisplaysAtEveryScreenWidth) {
  g_bHardwarePresent = 1;
  for (int width : {1024, 640}) {
    SCOPED_TRACE(width);
    frame->resize(width, 700);
    Open(true, false, width);
    Settle();
    ASSERT_EQ(frame->width(), width);
    struct Shown {
      CDisplay* d;
      const char* value;
      bool fullFont;  // fits without the display drawing it smaller
    };
    const Shown shown[] = {{Frame()->SondeBar()->LogTimeDisplay(), "00:00:00", true},
                           {Frame()->SondeBar()->LogTimeDisplay(), "23:59:59", true},
                           {Frame()->SondeBar()->LogTimeDisplay(), "08:08:08", true},
                           {Frame()->WinchBar()->DepthDisplay(), "1234.56", true},
                           {Frame()->WinchBar()->DepthDisplay(), "-1234.56", false},
                           {Frame()->WinchBar()->DepthDisplay(), "12345.67", false},
                           {Frame()->WinchBar()->DepthDisplay(), "-12345.67", false}};
    for (const auto& [d, value, fullFont] : shown) {
      SCOPED_TRACE(value);
      d->SetValue(value, -1);
      const QRect box = d->contentsRect();
      EXPECT_LE(QFontMetrics(d->DrawnFont()).horizontalAdvance(d->text()), box.width());
      EXPECT_EQ(d->DrawnFont().pixelSize() == d->font().pixelSize(), fullFont);
      // What is drawn: no text colour from the display's left edge up to the
      // first column inside its frame (a text too wide runs out there).
      const QImage shot = d->grab().toImage();
      const double scale = static_cast<double>(shot.width()) / d->width();
      const int column = static_cast<int>(box.left() * scale);
      int lit = 0;
      for (int x = 0; x <= column; ++x)
        for (int y = 0; y < shot.height(); ++y) lit += QColor(shot.pixel(x, y)) == d->TextColour() ? 1 : 0;
      EXPECT_EQ(lit, 0);
    }
    // Nothing else in the bar is pushed off the screen for it.
    for (QWidget* bar : {static_cast<QWidget*>(Frame()->WinchBar()), static_cast<QWidget*>(Frame()->SondeBar())}) {
      const QRect placed(bar->mapTo(frame, QPoint(0, 0)), bar->size());
      EXPECT_LE(placed.right(), frame->width() - 1) << bar->objectName().toStdString();
      EXPECT_GE(bar->width(), bar->minimumSizeHint().width()) << bar->objectName().toStdString();
    }
    app->CloseAllDocuments();
    Settle();
  }
}

TEST_F(ShellTest, PowerOnInANewLogEnablesTheRecordingButtons) {
  g_bSondePowerOn = 1;
  g_bLogDocumentOpen = 1;
  Open(false, false);
  for (int id : {kIdRecord, kIdPause, kIdSondeStop, kIdSend}) EXPECT_TRUE(Frame()->SondeBar()->Button(id)->isEnabled());
  app->CloseAllDocuments();
  Settle();
  Open(true, false);
  for (int id : {kIdRecord, kIdPause, kIdSondeStop})
    EXPECT_FALSE(Frame()->SondeBar()->Button(id)->isEnabled()) << "never in the idle document's window";
  EXPECT_TRUE(Frame()->SondeBar()->Button(kIdSend)->isEnabled());
}

TEST_F(ShellTest, CommandEnableTable) {
  struct Case {
    const char* name;
    bool hardware, idle, replay, logOpen, power, utility;
    bool selectSonde, depthSystem, settings, sondeBarChecked, replayBarEnabled;
  };
  const Case cases[] = {
      {"idle document", true, true, false, false, false, false, true, true, true, true, false},
      {"new log", true, false, false, true, false, false, false, true, false, true, false},
      {"sonde power on", true, true, false, false, true, false, false, true, true, true, false},
      {"utility running", true, true, false, false, false, true, false, true, true, true, false},
      // A replayed log keeps its sonde: no other is selected meanwhile.
      {"replay offline", false, false, true, false, false, false, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_bHardwarePresent = c.hardware;
    g_bLogDocumentOpen = c.logOpen;
    g_bSondePowerOn = c.power;
    g_bUtilityActive = c.utility;
    Open(c.idle, c.replay);
    EXPECT_EQ(app->QueryCommand(ID_SELECT_SONDE).Enabled(), c.selectSonde);
    EXPECT_EQ(frame->MainToolBar()->SondeSelector()->isEnabled(), c.selectSonde) << "the selector follows";
    EXPECT_EQ(app->QueryCommand(ID_INIT_DEPTH_SYSTEM).Enabled(), c.depthSystem);
    EXPECT_EQ(app->QueryCommand(ID_CHANGE_SYSTEM_SETTINGS).Enabled(), c.settings);
    EXPECT_FALSE(app->QueryCommand(ID_DATA_CHANNEL).Enabled());
    EXPECT_TRUE(app->QueryCommand(ID_HELP_FINDER).Enabled());
    EXPECT_TRUE(app->QueryCommand(ID_EXPORT_LAS).Enabled());
    for (int tool : {ID_MERGE_LOGS, ID_DEPTH_SHIFT})
      EXPECT_EQ(app->QueryCommand(tool).Enabled(), c.idle) << tool << ": only beside the idle document";
    EXPECT_EQ(app->QueryCommand(ID_CALIBRATION).Enabled(), c.hardware);
    EXPECT_EQ(app->QueryCommand(kIdSondeControlBar).Checked(), c.sondeBarChecked);
    if (c.replay) {
      EXPECT_TRUE(app->QueryCommand(kIdReplayControlBar).Checked());
      EXPECT_FALSE(app->QueryCommand(kIdSondeControlBar).Enabled()) << "no live frame's sonde bar exists";
    } else {
      EXPECT_EQ(app->QueryCommand(kIdReplayControlBar).Enabled(), c.replayBarEnabled);
    }
    app->CloseAllDocuments();
    Settle();
  }
  // Opening the Tools menu brings its items up to date.
  g_bSondePowerOn = 1;
  for (QAction* a : frame->menuBar()->actions())
    if (a->menu() && a->menu()->title() == "&Tools") emit a->menu()->aboutToShow();
  EXPECT_FALSE(frame->FindAction(ID_SELECT_SONDE)->isEnabled());
  // View/Wrap Curves carries the check mark of the setting and toggles it.
  g_bWrapCurves = 1;
  EXPECT_TRUE(app->QueryCommand(ID_WRAP_CURVES).Checked());
  app->ExecuteCommand(ID_WRAP_CURVES);
  EXPECT_EQ(g_bWrapCurves, 0);
  EXPECT_FALSE(frame->FindAction(ID_WRAP_CURVES)->isChecked());
}

// The command table: every command with a menu place, by its number.
TEST_F(ShellTest, EveryCommandIsOnItsMenu) {
  const std::map<std::string, int> table = {
      {"File/New Log", 57600},
      {"File/Replay Log", 57601},
      {"File/Close", 57602},
      {"File/Merge Logs", 1064},
      {"File/Depth Shift", 1066},
      {"File/Export/LAS 2.0", 1065},
      {"File/Export/ORX2", 1000},
      {"File/Page Mode Print", 57607},
      {"File/Direct Realtime Print", 1063},
      {"File/Real Time Printer Setup", 1002},
      {"File/Exit Quorvanta", 57665},
      {"View/Show Log Header", 1005},
      {"View/Change Layout", 1041},
      {"View/Channel Display", 1057},
      {"View/Wrap Curves", 1062},
      {"View/Invert BHTV colours", 1045},
      {"View/Normalize BHTV Amplitude", 1060},
      {"View/Normalize BHTV Transit Time", 1061},
      {"View/Replay Control", 1046},
      {"View/Sonde Control", 1047},
      {"View/Winch Control", 1052},
      {"Tools/Select Sonde", 1059},
      {"Tools/Sonde Database", 1034},
      {"Tools/Calibration", 1022},
      {"Tools/Test Sonde", 1036},
      {"Tools/Edit Calibration File", 1025},
      {"Tools/User Functions", 1040},
      {"Tools/Change Cable Options", 1021},
      {"Tools/Sonic Configuration", 1067},
      {"Tools/Sonic FPG Settings", 1033},
      {"Tools/Initialise Hardware", 1031},
      {"Tools/Initialise Depth System", 1015},
      {"Tools/Change System Settings", 1035},
      {"Info/Help Topics", 57667},
      {"Info/About Quorvanta", 57664},
  };
  // What the menus hold, by path as the user reads it.
  std::map<std::string, int> menus;
  auto plain = [](QString t) {
    t.remove(QLatin1Char('&'));
    if (t.endsWith(QStringLiteral("..."))) t.chop(3);
    return t.toStdString();
  };
  std::function<void(QWidget*, const std::string&)> walk = [&](QWidget* menu, const std::string& path) {
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      const std::string name = path + plain(a->text());
      if (a->menu()) {
        walk(a->menu(), name + "/");
        continue;
      }
      int id = 0;
      for (const auto& [path2, want] : table)
        if (frame->FindAction(want) == a) id = want;
      EXPECT_TRUE(menus.emplace(name, id).second) << name << " twice";
    }
  };
  walk(frame->menuBar(), "");
  EXPECT_EQ(menus, table);
  EXPECT_EQ(qvtest::ClashingMnemonics(frame).join(QStringLiteral(" | ")).toStdString(), "")
      << "each key opens one item of its menu";

  // Without a log window the commands of the log documents and their views
  // are disabled.
  app->UpdateCommandUI();
  for (int id : {1000, 1005, 1021, 1033, 1041, 1045, 1057, 1060, 1061, 1063, 1067, 57607})
    EXPECT_FALSE(frame->FindAction(id)->isEnabled()) << id;
  EXPECT_TRUE(frame->FindAction(1002)->isEnabled()) << "the printer set-up is always there";
  const auto sheet = Tools().userFunctions;
  Tools().userFunctions = nullptr;
  EXPECT_FALSE(app->QueryCommand(1040).Enabled()) << "no user-function sheet to open";
  int opened = 0;
  Tools().userFunctions = [&] { ++opened; };
  EXPECT_TRUE(app->QueryCommand(1040).Enabled());
  app->ExecuteCommand(1040);
  EXPECT_EQ(opened, 1);
  Tools().userFunctions = sheet;
}

TEST_F(ShellTest, SondeBarRecordingStateMachine) {
  Boxes boxes;
  g_bSondePowerOn = 1;
  g_bLogDocumentOpen = 1;
  CLogDoc* doc = Open(false, false);
  CSondeControl* bar = Frame()->SondeBar();
  QPushButton* rec = bar->Button(kIdRecord);
  QPushButton* pse = bar->Button(kIdPause);
  QPushButton* stp = bar->Button(kIdSondeStop);

  // A start the document refuses (it shows why) leaves the bar ready for
  // another REC; STP with nothing recording leaves REC usable.
  doc->startResult = 0;
  rec->click();
  EXPECT_EQ(doc->calls, (std::vector<std::string>{"StartLogging 0"}));
  EXPECT_FALSE(bar->Recording());
  EXPECT_FALSE(rec->isChecked());
  stp->click();
  EXPECT_TRUE(rec->isEnabled()) << "STP after a refused start";
  doc->startResult = 1;
  doc->calls.clear();

  rec->click();
  EXPECT_EQ(doc->calls, (std::vector<std::string>{"StartLogging 0", "ResumeWriter"}));
  EXPECT_TRUE(bar->Recording());
  EXPECT_TRUE(rec->isChecked());
  EXPECT_TRUE(pse->isEnabled());
  rec->click();
  EXPECT_EQ(doc->calls.size(), 2u) << "REC while recording does nothing";

  pse->click();
  EXPECT_EQ(doc->calls.back(), "StopLogging 4");
  EXPECT_EQ(g_bLoggingPaused, 1);
  EXPECT_FALSE(pse->isEnabled());
  EXPECT_TRUE(pse->isChecked());
  EXPECT_FALSE(rec->isChecked());

  rec->click();
  EXPECT_EQ(doc->calls.back(), "ResumeWriter") << "a paused log records on";
  EXPECT_EQ(g_bLoggingPaused, 0);

  stp->click();
  EXPECT_EQ(doc->calls.back(), "StopLogging 99");
  EXPECT_FALSE(rec->isEnabled());
  EXPECT_TRUE(pse->isChecked());
  const size_t callsAfterStop = doc->calls.size();

  bar->OnRecord();  // a log stopped for good
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "Logging has stopped! If you want to log again, please close current logfile and select NEW LOG from the "
            "file menu.");
  EXPECT_EQ(doc->calls.size(), callsAfterStop);
}

TEST_F(ShellTest, ReadingsAndMessagesReachTheBarsFromWorkers) {
  Open(true, false);
  CSondeControl* sonde = Frame()->SondeBar();
  CWinchControl* winch = Frame()->WinchBar();
  Settle();

  sonde->UpdateStatus(3661500, 57, 30, 0);
  EXPECT_EQ(sonde->LogTimeDisplay()->Value(), "01:01:02");
  EXPECT_EQ(sonde->CurrentDisplay()->Value(), "57");
  EXPECT_EQ(sonde->VoltageDisplay()->Value(), "120.0");
  EXPECT_EQ(sonde->LogTimeDisplay()->text(), "01:01:02 ") << "a blank keeps the digits off the frame";
  winch->UpdateReadings(0x1FFFE, 12345, 600000);
  EXPECT_EQ(winch->TensionDisplay()->Value(), "-2");
  EXPECT_EQ(winch->DepthDisplay()->Value(), "12.35");
  EXPECT_EQ(winch->SpeedDisplay()->Value(), "  0.0");

  std::thread worker([] {
    for (int i = 1; i <= 50; ++i) {
      if (CWinchControl* w = g_pWinchControl) w->UpdateReadings(100 + i, 1000 * i, -3000);
      if (CSondeControl* s = g_pSondeControl) s->UpdateStatus(1000 * i, 10, 25, 0);
    }
    ReportMessage("Depth Error - Log speed too high", kWinchMessageLine);
    ReportMessage("", kSondeMessageLine);
  });
  worker.join();
  EXPECT_EQ(winch->TensionDisplay()->Value(), "-2") << "nothing changes before the GUI thread runs";
  Settle();
  EXPECT_EQ(winch->TensionDisplay()->Value(), "150");
  EXPECT_EQ(winch->DepthDisplay()->Value(), "50.00");
  EXPECT_EQ(winch->SpeedDisplay()->Value(), " -3.0");
  EXPECT_EQ(sonde->LogTimeDisplay()->Value(), "00:00:50");
  EXPECT_EQ(winch->MessageLine()->Text(), "Depth Error - Log speed too high");
  EXPECT_EQ(winch->MessageLine()->PaintedBackground(), QColor(255, 0, 0)) << "shown as an alert";
  EXPECT_EQ(sonde->MessageLine()->Text(), "KSTQ [77]") << "an empty message shows the sonde";
  winch->MessageLine()->repaint();
  EXPECT_EQ(winch->MessageLine()->PaintedBackground(), QColor(ButtonFaceColour() & 0xFF,
                                                             (ButtonFaceColour() >> 8) & 0xFF,
                                                             (ButtonFaceColour() >> 16) & 0xFF))
      << "the next repaint shows the line's own colours";
  ReportMessage("", kWinchMessageLine);
  Settle();
  EXPECT_EQ(winch->MessageLine()->Text(), "Ready");
}

TEST_F(ShellTest, SondeButtonsSendToTheUnit) {
  BringUp();
  Boxes boxes;
  g_bLogDocumentOpen = 1;
  CLogDoc* doc = Open(false, false);
  CSondeControl* bar = Frame()->SondeBar();

  globalSetup.Voltage = 0;
  bar->Button(kIdSondePower)->click();
  EXPECT_TRUE(bar->PowerOn());
  EXPECT_EQ(g_bSondePowerOn, 1);
  ASSERT_EQ(SentWith(0x43).size(), 1u);
  EXPECT_EQ(SentWith(0x43)[0].data, (Bytes{120, 0, 0x2C, 0x01, 165, 0}));
  EXPECT_EQ(globalSetup.Voltage, 120);
  EXPECT_EQ(bar->MessageLine()->Text(), "KSTQ [77]");
  EXPECT_TRUE(bar->Button(kIdRecord)->isEnabled());

  // A value command: its value is checked against the status maximum.
  bar->CommandList()->setCurrentIndex(1);
  bar->OnCommandSelected();
  EXPECT_EQ(bar->CommandValue()->text(), "300");
  EXPECT_FALSE(bar->CommandValue()->isReadOnly());
  struct Case {
    const char* typed;
    bool sent;
    const char* shown;
  };
  for (const Case c : {Case{"1000", true, "1000"}, Case{"1001", false, "Error"}, Case{"-1", false, "Error"},
                       Case{"x", false, "Error"}}) {
    unit->ClearJournal();
    bar->CommandValue()->setText(c.typed);
    bar->Button(kIdSend)->click();
    EXPECT_EQ(SentWith(0x47).size(), c.sent ? 1u : 0u) << c.typed;
    EXPECT_EQ(bar->CommandValue()->text(), c.shown) << c.typed;
    EXPECT_FALSE(bar->Button(kIdSend)->isChecked()) << "Send is released";
  }
  unit->ClearJournal();
  bar->CommandValue()->setText("1000");
  bar->Button(kIdSend)->click();
  EXPECT_EQ(SentWith(0x47).at(0).data, (Bytes{105, 0, 0xE8, 0, 0x03, 0}));
  // A plain command shows its status text after sending.
  bar->CommandList()->setCurrentIndex(0);
  bar->OnCommandSelected();
  EXPECT_TRUE(bar->CommandValue()->isReadOnly());
  unit->ClearJournal();
  bar->Button(kIdSend)->click();
  EXPECT_EQ(SentWith(0x47).at(0).data, (Bytes{20, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bar->CommandValue()->text(), "Opened");

  // The sonde's reply to the current command.
  bar->UpdateStatus(0, 0, 0, 0x0001FFFF);
  EXPECT_EQ(bar->CommandValue()->text(), "Opened") << "command 20 leaves the field alone";

  // PSE on a log that is not running switches the unit's logging off itself.
  doc->test = true;
  doc->state = 4;
  LoggingModeBlock monitor{2, 1, 1000, 14, 0};
  ASSERT_EQ(SetLoggingMode(&monitor), 0u);
  unit->ClearJournal();
  bar->OnPause();
  ASSERT_EQ(SentWith(0x40).size(), 1u);
  EXPECT_EQ(SentWith(0x40)[0].data.at(0), 0);
  EXPECT_EQ(SentWith(0x40)[0].data.at(1), 0);

  unit->ClearJournal();
  bar->Button(kIdSondePower)->click();
  EXPECT_FALSE(bar->PowerOn());
  EXPECT_EQ(SentWith(0x43).at(0).data, (Bytes{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bar->MessageLine()->Text(), "Off");
}

TEST_F(ShellTest, FailedSondePowerLeavesThePowerOff) {
  Open(false, false);
  CSondeControl* bar = Frame()->SondeBar();
  CLogDoc* doc = static_cast<CLogDoc*>(app->ActiveDocument());
  // A document whose power switch fails.
  class Failing : public CLogDoc {
  public:
    int SetSondePower(SondePowerBlock*) override { return 0; }
  } failing;
  g_pActiveDoc = &failing;
  bar->OnSondePower();
  EXPECT_FALSE(bar->PowerOn());
  EXPECT_EQ(g_bSondePowerOn, 0);
  EXPECT_EQ(bar->MessageLine()->Text(), "Off");
  g_pActiveDoc = doc;
}

// A window opened while the sonde is powered (the idle window after a
// replay) names the powered sonde instead of "Off".
TEST_F(ShellTest, NewWindowShowsTheSondePowerItFinds) {
  struct Case {
    int power;
    const char* serial;
    const char* text;
  };
  const Case cases[] = {{1, "77", "KSTQ [77]"}, {1, "", "KSTQ"}, {0, "77", "Off"}};
  for (const Case& c : cases) {
    g_bSondePowerOn = c.power;
    g_strSondeSerialNo = c.serial;
    Open(true, false);
    CSondeControl* bar = Frame()->SondeBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->PowerOn(), c.power != 0);
    EXPECT_EQ(bar->MessageLine()->Text(), c.text) << c.power << " " << c.serial;
    app->CloseAllDocuments();
    Settle();
  }
  g_bSondePowerOn = 0;
}

// A rising sonde within 10 m of the surface (30 ft in feet) draws a warning
// with a beep, once; it goes when the sonde stops rising or goes deeper, and a
// message shown meanwhile stays.
TEST_F(ShellTest, TheWinchBarWarnsAsTheSondeNearsTheSurface) {
  const std::string warning = "The sonde is nearing the surface - stop the winch!";
  Open(true, false);
  CWinchControl* bar = Frame()->WinchBar();
  int beeps = 0;
  auto previous = qv::SetBeepHandler([&beeps](unsigned) { ++beeps; });
  struct Step {
    int depth;
    const char* shown;
    int beeps;
  };
  const Step steps[] = {
      {12000, "Ready", 0},                             // first reading
      {10500, "Ready", 0},                             // rising, still deeper than 10 m
      {9900, warning.c_str(), 1}, {9000, warning.c_str(), 1},
      {9000, warning.c_str(), 1},                      // standing: kept
      {9500, "Ready", 1},                              // lowered again
      {9500, "Ready", 1}, {9400, warning.c_str(), 2}, {-3420, warning.c_str(), 2},
  };
  for (const Step& st : steps) {
    bar->UpdateReadings(0, st.depth, 0);
    EXPECT_EQ(bar->MessageLine()->Text(), st.shown) << st.depth;
    EXPECT_EQ(beeps, st.beeps) << st.depth;
  }
  ReportMessage("Depth Error - Log speed too high", kWinchMessageLine);
  Settle();
  bar->UpdateReadings(0, 20000, 0);
  EXPECT_EQ(bar->MessageLine()->Text(), "Depth Error - Log speed too high");

  // Feet: within 30 ft.
  g_nDepthUnits = 1;
  bar->UpdateReadings(0, 31000, 0);
  EXPECT_EQ(bar->MessageLine()->Text(), "Depth Error - Log speed too high");
  bar->UpdateReadings(0, 29000, 0);
  EXPECT_EQ(bar->MessageLine()->Text(), warning);

  // A replay's depths are the log's, not the sonde's.
  app->CloseAllDocuments();
  Settle();
  Open(false, true);
  CWinchControl* replayed = Frame()->WinchBar();
  for (int depth : {12000, 9000, 5000}) replayed->UpdateReadings(0, depth, 0);
  EXPECT_EQ(replayed->MessageLine()->Text(), "Ready");
  qv::SetBeepHandler(previous);
}

// A modal dialog blocks every click on the log window while the winch runs
// on: a stand-in STP lies over the bar's own and stops the winch, and goes
// with the dialog.
TEST_F(ShellTest, TheWinchStopsWhileAModalDialogIsOpen) {
  BringUp();
  g_nWinchSpeed = 15000;
  CLogDoc* doc = Open(true, false);
  CWinchControl* bar = Frame()->WinchBar();
  bar->Button(kIdWinchPower)->click();  // on: lowering
  ASSERT_EQ(bar->Direction(), 2);
  Settle();
  unit->ClearJournal();
  QPushButton* own = bar->Button(kIdWinchStop);
  auto click = [](QWidget* w) {
    QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, w->mapTo(w->window(), w->rect().center()));
  };
  QDialog dialog(frame);
  int ownClickStopped = -1;
  bool stoodIn = false;
  QRect standIn;
  // Runs once the dialog's loop has placed the stand-in; the second timer
  // ends the dialog whatever happens.
  QTimer::singleShot(0, &dialog, [&] {
    QTimer::singleShot(0, &dialog, [&] {
      click(own);
      ownClickStopped = bar->Direction() == 0;
      if (QPushButton* stand = bar->ModalStop()) {
        stoodIn = true;
        standIn = stand->geometry();
        click(stand);
      }
      dialog.reject();
    });
  });
  QTimer::singleShot(5000, &dialog, [&] { dialog.reject(); });
  dialog.exec();
  EXPECT_EQ(ownClickStopped, 0) << "the dialog blocks the window's own buttons";
  ASSERT_TRUE(stoodIn);
  EXPECT_EQ(standIn, QRect(own->mapToGlobal(QPoint(0, 0)), own->size())) << "over the bar's own STP";
  EXPECT_EQ(bar->Direction(), 0);
  ASSERT_EQ(SentWith(0x48).size(), 1u);
  EXPECT_EQ(SentWith(0x48)[0].data, (Bytes{0, 1}));
  EXPECT_EQ(doc->calls.back(), "SetWinchMode 0");
  Settle();
  EXPECT_EQ(bar->ModalStop(), nullptr) << "gone with the dialog";
}

TEST_F(ShellTest, WinchButtonsSendToTheUnit) {
  BringUp();
  g_nWinchSpeed = 15000;
  CLogDoc* doc = Open(true, false);
  CWinchControl* bar = Frame()->WinchBar();
  EXPECT_DOUBLE_EQ(bar->DacFactor(), 0.01);
  EXPECT_EQ(bar->SpeedSlider()->maximum(), 30000);
  EXPECT_FALSE(bar->SpeedSlider()->isEnabled());

  bar->Button(kIdWinchPower)->click();
  ASSERT_EQ(SentWith(0x48).size(), 1u);
  EXPECT_EQ(SentWith(0x48)[0].data, (Bytes{2, 150})) << "on: down at the remembered set point";
  EXPECT_TRUE(bar->Button(kIdDown)->isChecked());
  EXPECT_EQ(bar->SpeedDisplay()->Value(), " 15.0");

  unit->ClearJournal();
  bar->Button(kIdUp)->click();
  EXPECT_EQ(SentWith(0x48).at(0).data, (Bytes{1, 150}));

  // Dragging shows the set point in cyan; the end of the scroll sends it.
  unit->ClearJournal();
  bar->SpeedSlider()->setValue(30000);
  bar->OnHScroll(false);
  EXPECT_EQ(bar->SpeedDisplay()->Value(), " 30.0");
  EXPECT_EQ(bar->SpeedDisplay()->ColourCode(), 99);
  bar->UpdateReadings(0, 0, 5000);
  EXPECT_EQ(bar->SpeedDisplay()->Value(), " 30.0") << "measured speeds wait while dragging";
  bar->OnHScroll(true);
  EXPECT_EQ(SentWith(0x48).at(0).data, (Bytes{1, 255})) << "the speed byte is held at its maximum";

  unit->ClearJournal();
  bar->Button(kIdWinchStop)->click();
  EXPECT_EQ(SentWith(0x48).at(0).data, (Bytes{0, 1})) << "speed 0 goes out as 1";
  EXPECT_EQ(doc->calls.back(), "SetWinchMode 0");
  EXPECT_EQ(bar->Direction(), 0);

  unit->ClearJournal();
  bar->Button(kIdWinchPower)->click();
  EXPECT_FALSE(bar->PowerOn());
  EXPECT_EQ(SentWith(0x48).at(0).data, (Bytes{0, 1}));
  EXPECT_EQ(doc->calls.back(), "SetWinchMode 0");

  // The next winch bar starts as this one was left.
  bar->Button(kIdWinchPower)->click();
  bar->Button(kIdUp)->click();
  app->CloseAllDocuments();
  Settle();
  EXPECT_EQ(g_bWinchPowerOn, 1);
  EXPECT_EQ(g_nWinchDirection, 1);
  Open(true, false);
  EXPECT_TRUE(Frame()->WinchBar()->Button(kIdUp)->isChecked());
  EXPECT_TRUE(Frame()->WinchBar()->SpeedSlider()->isEnabled());
}

TEST_F(ShellTest, ReplayBarSendsItsCommandsAndPace) {
  CLogDoc* doc = Open(false, true);
  CReplayControl* bar = Frame()->ReplayBar();
  std::vector<int> received;
  for (int id : {kIdReplayData, kIdPauseReplay, kIdRestartReplay, kIdStopReplay, kIdPrintDirect})
    doc->OnCommand(id, [&received, id] { received.push_back(id); });
  for (int id : {kIdReplayData, kIdPauseReplay, kIdRestartReplay, kIdStopReplay, kIdPrintDirect})
    bar->Button(id)->click();
  EXPECT_EQ(received, (std::vector<int>{kIdReplayData, kIdPauseReplay, kIdRestartReplay, kIdStopReplay, kIdPrintDirect}));
  bar->SpeedSlider()->setValue(0);
  EXPECT_EQ(doc->calls.back(), "ComputePollInterval 1") << "the slider stops at 1";
  bar->ShowPaused();
  EXPECT_TRUE(bar->Button(kIdPauseReplay)->isChecked());
  EXPECT_FALSE(bar->Button(kIdReplayData)->isChecked());
  bar->EnablePrintDirect(false);
  EXPECT_FALSE(bar->Button(kIdPrintDirect)->isEnabled());
  std::thread([bar] {
    bar->DisableReplayButtons();
    bar->SetPositionText("/data/LOG1.LOG");
  }).join();
  Settle();
  for (int id : {kIdReplayData, kIdRestartReplay, kIdPauseReplay}) EXPECT_FALSE(bar->Button(id)->isEnabled());
  EXPECT_EQ(bar->PositionText()->text(), "/data/LOG1.LOG");
  frame->PostReplayEnd();
  Settle();
  EXPECT_EQ(doc->calls.back(), "OnReplayEnd");
}

TEST_F(ShellTest, SondeSelectorNamesTheCurrentSonde) {
  CMainToolBar* tb = frame->MainToolBar();
  g_strCurrentSonde = "KSTQ";
  g_strSondeSerialNo = "80";
  tb->SelectCurrentSonde();
  EXPECT_EQ(tb->SondeSelector()->count(), 3);
  EXPECT_EQ(tb->SondeSelector()->itemText(0), "ABCD [1] - Caliper") << "sorted";
  EXPECT_EQ(tb->SondeSelector()->currentText(), "KSTQ [80] - Gamma");
  EXPECT_EQ(g_strCurrentSonde, "KSTQ");
  EXPECT_EQ(g_strSondeSerialNo, "80");

  // Choosing another sonde reloads the bar's commands and renews the idle document.
  Open(true, false);
  commands = {{"Only", "x", 1, 0, 0}};
  tb->SondeSelector()->setCurrentIndex(0);
  tb->OnSondeSelected();
  EXPECT_EQ(g_strCurrentSonde, "ABCD");
  EXPECT_EQ(g_strSondeSerialNo, "1");
  EXPECT_EQ(Frame() ? 1 : 0, 0) << "the idle document was closed";
  EXPECT_EQ(app->idleOpened, 1);
  Settle();

  // A sonde the list does not hold selects nothing and stays current, even
  // where its abbreviation begins another sonde's.
  Open(true, false);
  const int opened = app->idleOpened;
  for (const char* current : {"KST", "KSTQX"}) {
    g_strCurrentSonde = current;
    g_strSondeSerialNo = "";
    tb->SelectCurrentSonde();
    EXPECT_EQ(tb->SondeSelector()->currentIndex(), -1) << current;
    EXPECT_EQ(g_strCurrentSonde, current);
    EXPECT_EQ(g_strSondeSerialNo, "");
  }
  EXPECT_EQ(app->idleOpened, opened) << "the idle document is not renewed for an unchanged sonde";
  // Without a serial number the first item of that abbreviation is chosen.
  g_strCurrentSonde = "kstq";
  tb->SelectCurrentSonde();
  EXPECT_EQ(tb->SondeSelector()->currentText(), "KSTQ [77] - Natural Gamma");
  EXPECT_EQ(g_strSondeSerialNo, "77");
  Settle();

  g_strCurrentSonde = "NONE";
  g_strSondeSerialNo = "";
  sondes.clear();
  tb->SelectCurrentSonde();
  EXPECT_EQ(tb->SondeSelector()->count(), 0);
  EXPECT_EQ(g_strCurrentSonde, "") << "an empty list names no sonde";
}

TEST_F(ShellTest, ToolDepthAndCalibrationFile) {
  Boxes boxes;
  CLogDoc* doc = Open(true, false);
  CDepthDlg dlg;
  dlg.EnsureInitialised();
  EXPECT_EQ(dlg.m_strUnit, "m");
  dlg.DepthEdit()->setText("12.3456");
  dlg.OnOK();
  EXPECT_EQ(doc->calls.back(), "SetDepth 12345");
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  CDepthDlg far;
  far.EnsureInitialised();
  far.DepthEdit()->setText("10000");
  far.OnOK();
  EXPECT_EQ(doc->calls.back(), "SetDepth 12345") << "out of range: nothing sent";
  ASSERT_EQ(boxes.shown.size(), 1u);
  g_nDepthUnits = 1;
  CDepthDlg feet;
  feet.EnsureInitialised();
  EXPECT_EQ(feet.m_strUnit, "ft");

  std::vector<std::string> edited;
  std::vector<qv::FileDialogRequest> asked;
  const auto previousEditor = Tools().editText;
  Tools().editText = [&](const std::string& p) { edited.push_back(p); };
  auto prev = qv::SetFileDialogHandler([&](const qv::FileDialogRequest& r) {
    asked.push_back(r);
    return std::string("/cal/KSTQ.cal");
  });
  doc->calibration = "/logs/own.cal";
  frame->OnEditCalibrationFile();
  EXPECT_TRUE(asked.empty()) << "a log with its own calibration file needs no dialog";
  doc->calibrationIsData = true;
  frame->OnEditCalibrationFile();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].filter, "Calibration File (*.cal)|*.cal||");
  EXPECT_EQ(edited, (std::vector<std::string>{"/logs/own.cal", "/cal/KSTQ.cal"}));
  qv::SetFileDialogHandler(prev);
  Tools().editText = previousEditor;
}

TEST_F(ShellTest, AboutBoxShowsTheUnitIdentity) {
  UnitIdentityBlock id{0, 0x0102, 0x0304, 0x8005, 0x0106};
  g_pUnitIdentity = &id;
  CAboutDlg dlg;
  dlg.EnsureInitialised();
  EXPECT_EQ(dlg.ControlText(1950), "406 J");
  EXPECT_EQ(dlg.ControlText(1953), "258");
  EXPECT_EQ(dlg.ControlText(1952), "5");
  EXPECT_EQ(dlg.ControlText(1955), "772");
  EXPECT_EQ(dlg.ControlText(1956), "6");
  EXPECT_EQ(dlg.ControlText(1954), "VSP card");
  EXPECT_EQ(dlg.ControlText(1957), "Lumbracoder card");
  EXPECT_EQ(dlg.ControlText(1960), "1.50");
  EXPECT_NE(dlg.ControlText(2053), "") << "free space of the program's file system";
  g_bHardwarePresent = 0;
  CAboutDlg offline;
  offline.EnsureInitialised();
  EXPECT_EQ(offline.ControlText(1953), "Unavailable");
  g_pUnitIdentity = nullptr;
}

TEST_F(ShellTest, SystemSettingsCheckAndConvert) {
  Boxes boxes;
  Open(true, false);
  struct Step {
    int units;
    const char* step;
    const char* time;
    const char* box;
  };
  const Step steps[] = {
      {1, "75", "150", "Depth step can not be smaller then 50 and must be a multiple of 50! "},
      {1, "0", "150", "Depth step can not be smaller then 50 and must be a multiple of 50! "},
      {0, "5", "150", "Depth step can not be smaller then 10 and must be a multiple of 10! "},
      {0, "10", "5", "Please enter a whole number from 10 to 1000."},
      {0, "10", "1001", "Please enter a whole number from 10 to 1000."},
  };
  for (const Step& c : steps) {
    SCOPED_TRACE(c.step);
    boxes.shown.clear();
    g_nDepthUnits = c.units;
    CSysSettings dlg;
    dlg.EnsureInitialised();
    dlg.DepthStepEdit()->setText(c.step);
    dlg.TimeStepEdit()->setText(c.time);
    dlg.OnSetParameters();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, c.box);
    EXPECT_EQ(g_nTimeStep, 150) << "nothing stored";
  }

  // Both circumferences survive a change of units.
  g_nDepthUnits = 0;
  CSysSettings dlg;
  dlg.EnsureInitialised();
  EXPECT_EQ(dlg.GaugeList()->currentIndex(), 0) << "opens on None";
  dlg.CircumferenceEdit()->setText("1000");
  dlg.OnKillFocusCircumference();
  dlg.ImperialButton()->setChecked(true);
  dlg.OnImperial();
  EXPECT_EQ(dlg.CircumferenceEdit()->text(), "3280.839895");
  EXPECT_EQ(dlg.m_strCircumferenceUnit, "mft");
  dlg.MetricButton()->setChecked(true);
  dlg.OnMetric();
  EXPECT_EQ(dlg.CircumferenceEdit()->text(), "1000");
  dlg.PulsesEdit()->setText("20001");
  dlg.OnKillFocusPulses();
  EXPECT_EQ(boxes.beeps.size(), 1u);
}

TEST_F(ShellTest, SystemSettingsSetTheUnitInNewUnits) {
  BringUp();
  qv::SetProgramFolder(folder.string());
  fs::create_directories(folder / "SondeDB");
  ASSERT_TRUE(qv::CreateSondeDatabase((folder / "SondeDB" / "quorva.db").string()));
  UnitConfigBlock config{0, 0, 10, 0};
  CableInterfaceBlock cable{};
  UnitIdentityBlock identity{};
  g_pUnitConfig = &config;
  g_pCableInterface = &cable;
  g_pUnitIdentity = &identity;
  Boxes boxes;
  g_nDepthUnits = 0;
  CLogDoc* doc = Open(true, false);
  doc->depth = 1000;
  doc->monitoring = true;
  unit->ClearJournal();
  CSysSettings dlg;
  dlg.EnsureInitialised();
  dlg.ImperialButton()->setChecked(true);
  dlg.OnImperial();
  dlg.DepthStepEdit()->setText("100");
  dlg.OnSetParameters();
  EXPECT_EQ(doc->calls.back(), "SetDepth 32808") << "1000 x 32.8083989500 to the nearest integer";
  EXPECT_TRUE(boxes.shown.empty()) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(g_nDepthUnits, 1);
  EXPECT_EQ(g_nDepthStepImperial, 100);
  EXPECT_EQ(Frame()->WinchBar()->DepthUnitLabel()->text(), "[ft]");
  EXPECT_EQ(qv::GetProfileText(qv::ProgramProfileFile(), "SystemParameters", "DephUnits", ""), "1");
  EXPECT_EQ(qv::GetProfileText(qv::ProgramProfileFile(), "SystemParameters", "DepthStepImperial", ""), "100");
  std::vector<uint8_t> configure, monitor;
  for (const auto& r : Sent()) {
    if (r.code == 0x42) configure = r.data;
    if (r.code == 0x40) monitor = r.data;
  }
  EXPECT_FALSE(configure.empty()) << "the unit was configured again";
  ASSERT_FALSE(monitor.empty()) << "and returned to monitoring";
  EXPECT_EQ(monitor.at(0), 2);
  EXPECT_EQ(monitor.at(1), 1);
  g_nDepthUnits = 0;
  g_pUnitConfig = nullptr;
  g_pCableInterface = nullptr;
  g_pUnitIdentity = nullptr;
}

TEST(Panels, MessageLineShortensAndAlertsOnce) {
  App();
  CMessageLine line;
  line.resize(60, 18);
  line.Init(CMessageLine::kLeft, RGB(0, 0, 128), RGB(255, 255, 255));
  line.show();
  Settle();
  const std::string full = "A message far too long for this line";
  line.SetMessage(full, 1);
  EXPECT_EQ(line.PaintedBackground(), QColor(255, 0, 0));
  EXPECT_LT(line.Text().size(), full.size()) << "shortened until it fits, and stays so";
  EXPECT_EQ(full.rfind(line.Text(), 0), 0u);
  const std::string shortened = line.Text();
  line.SetMessage(shortened, 1);
  line.repaint();
  EXPECT_EQ(line.PaintedBackground(), QColor(0, 0, 128)) << "the same text again is no alert";
  line.SetMessage(full, 0);
  EXPECT_EQ(line.Text(), shortened) << "the full text counts as a change and is shortened again";

  CDisplay d;
  d.Init(0);
  d.SetValue("12", -1);
  d.SetValue("12", 99);
  EXPECT_EQ(d.ColourCode(), 99);
  EXPECT_EQ(d.TextColour(), QColor(0, 255, 255));
  d.SetValue("13", 5);
  EXPECT_EQ(d.TextColour(), QColor(255, 255, 0));
  EXPECT_EQ(d.text(), "13 ");
}

}  // namespace

// Tools/Select Sonde runs the selection dialog on the program's database; the
// sonde chosen becomes the current one and the tool-bar selector shows it.
TEST_F(ShellTest, SelectSondeMenuMakesTheChosenSondeCurrent) {
  qv::SetProgramFolder(folder.string());
  fs::create_directories(folder / "SondeDB");
  ASSERT_TRUE(qv::CreateSondeDatabase((folder / "SondeDB" / "quorva.db").string()));
  {
    auto db = qv::OpenSondeDatabase();
    for (const char* file : {"kstq.son", "twch.son"}) {
      qv::SondeRecordset rs(db.get());
      ASSERT_EQ(qv::ImportSondeFile(&rs, std::string(QV_TEST_SOURCE_DIR) + "/../../../resources/sondes/" + file), 1);
    }
  }
  UseDatabaseSources();
  curveview::SetDialogRunner([](QDialog& d) {
    auto* select = dynamic_cast<CSondeSelect*>(&d);
    if (!select) return int(QDialog::Rejected);
    select->EnsureInitialised();
    const int i = select->AbbreviationList()->findText("TWCH");
    select->AbbreviationList()->setCurrentIndex(i);
    emit select->AbbreviationList()->activated(i);
    return int(QDialog::Accepted);
  });
  app->ExecuteCommand(ID_SELECT_SONDE);
  curveview::SetDialogRunner(nullptr);
  EXPECT_EQ(g_strCurrentSonde, "TWCH");
  EXPECT_EQ(g_strSondeSerialNo, "1001");
  EXPECT_EQ(frame->MainToolBar()->SondeSelector()->currentText().toStdString(),
            "TWCH [1001] - Twelve-channel density/neutron sonde");
  EXPECT_EQ(frame->MainToolBar()->SondeSelector()->count(), 2);
}
