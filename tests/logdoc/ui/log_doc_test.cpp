// The log documents in the program: the idle document watching the simulated
// unit, File/New Log through REC and STP to the files on disk, closing back to
// the idle document, the failure paths of opening a log, replay opening, and
// the enabling of the document's commands.
#include "logdoc/ui/log_doc.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "app/core/globals.h"
#include "app/startup/startup.h"
#include "app/ui/frames.h"
#include "curveview/curveview.h"
#include "header/header.h"
#include "header/ui/header_editor.h"
#include "logdoc/document/channel_logs.h"
#include "logdoc/flowmeter/hpfm_dlg.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "logdoc/replayui/ask_replay.h"
#include "app/logwindows/open_logs.h"
#include "platform/docview/services.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "print/page/page_model.h"
#include "print/page/print_dialog.h"
#include "sondedb/sondedb.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/logdoc/document/engine_harness.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_log_doc.h"
#include "tools/cementbond/fpg_dialogs.h"
#include "tools/fws/fws_log_doc.h"
#include "tools/sonic/sonic_document.h"
#include "tools/sonic/sonic_params_dlg.h"
#include "tools/televiewer/bhtv_document.h"

namespace {

namespace fs = std::filesystem;

// Runs the event loop until done holds or a generous time-out passes.
template <class F>
bool WaitFor(F done, int timeoutMs = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    qvtest::Settle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// The colour of every curve (0x00BBGGRR): no grid line, tick or label has it.
constexpr uint32_t kCurveColourRef = 0x00008000;
const QRgb kCurveRgb = qRgb(0, 0x80, 0);

// Pixels of the curve colour below the legend of a log's curve view.
int CurvePixels(CCurveView* view) {
  const QImage img = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = view->LegendHeight(); y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) == kCurveRgb) ++n;
  return n;
}

// Track 1, the depth track, tracks 2 and 3.
void FourTracks(qv::LogWizardResult& r) {
  for (int i = 0; i < 4; ++i) {
    auto t = std::make_unique<TrackRecord>();
    t->order = i;
    t->gridFlag = 1;
    t->type = i == 1 ? 1 : 0;
    r.tracks.push_back(std::move(t));
  }
}

// Four tracks; one curve each on channels 1-3.
void Layout(qv::LogWizardResult& r) {
  FourTracks(r);
  const char* titles[3] = {"GR", "RES", "TEMP"};
  const int track[3] = {0, 2, 3};
  for (int c = 0; c < 3; ++c) {
    auto curve = std::make_unique<CurveRecord>();
    curve->physicalChannel = c + 1;
    curve->firstTrack = curve->lastTrack = track[c];
    curve->headerFlag = curve->scaleFlag = 1;
    curve->scaleMinimum = 0;
    curve->scaleMaximum = 100;
    curve->description = curve->shortTitle = titles[c];
    curve->unit = "CPS";
    curve->lineColour = kCurveColourRef;
    r.curves.push_back(std::move(curve));
  }
  qv::FillChannelTable(r.curves, r.channels);
}

class LogDocTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    pace = std::make_unique<qvtest::VirtualPace>(clock);
    qvtest::App();
    ResetLinkState();
    qv::SetProgramFolder(folder.string());
    g_bHardwarePresent = g_bHardwareInUse = g_bWatchdogStop = 0;
    g_bLogDocumentOpen = g_bSondePowerOn = g_bUtilityActive = g_bLoggingPaused = 0;
    g_nDepthUnits = 0;
    g_nTimeStep = 150;
    g_strCurrentSonde = "KSTQ";
    g_strSondeSerialNo.clear();
    g_strDefaultDataFolder.clear();
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    qv::MonitorTimingTable() = {5, 5, 5};
    qv::LiveDeviceTimingTable() = {0, 10};
    CSondeControl::SetStopPause(0);
    WriteFirmware();
    fs::create_directories(folder / "SondeDB");
    fs::create_directories(folder / "Header");
    fs::create_directories(folder / "DATA");
    // The shipped sondes (KSTQ: six channels, standard 1).
    fs::copy_file(fs::path(QV_PROGRAM_DIR) / "SondeDB" / "quorva.db", folder / "SondeDB" / "quorva.db");
    WriteText("Header/STANDARD.HED", "[General]\r\nIdent=QUORVANTA\r\n");
    HeaderInfo templ;
    templ.Company = "Template Co";
    templ.Wellname = "Template well";
    ASSERT_TRUE(WriteHeaderInfo(Template(), &templ, nullptr));
    InstallLogDocuments();
    OpenerDialogs() = {};
    SetTrailerDialogRunner([this](TrailerText& lines, const std::string&) {
      lines.Text2 = "Logged by the test";
      ++trailers;
      monitoringAtTrailer.push_back(Active() && Active()->IsMonitoring());
      return true;
    });
    app = std::make_unique<CPemmaroApp>();
    app->SetLockFolder(folder.string());
    ASSERT_TRUE(app->InitInstance());
    boxes.clear();
  }
  void TearDown() override {
    if (app) app->ExitInstance();
    app.reset();
    qvtest::Settle();
    OpenerDialogs() = {};
    SetTrailerDialogRunner({});
    SetAskReplayRunner({});
    qv::MonitorTimingTable() = {};
    qv::LiveDeviceTimingTable() = {};
    qv::SetMessageBoxHandler(prevBox);
    g_pActiveDoc = nullptr;
    TbdeviceTest::TearDown();
  }
  std::string Template() const { return (folder / "Header" / "STANDARD.HED").string(); }
  CLogDoc* Active() const { return g_pActiveDoc.load(); }
  bool IdleIsActive() const {
    CLogDoc* doc = Active();
    return doc && doc->IsIdleDocument() && typeid(*doc) == typeid(CLogDoc) && doc->IsMonitoring();
  }
  // The wizard of a six-channel log WELL in DATA (a time log unless told).
  void ScriptWizard(int toolType = 1, int powerLoaded = 1, int logMode = qv::kLogModeTime) {
    OpenerDialogs().wizard = [this, toolType, powerLoaded, logMode](QWidget*, qv::LogWizardResult& r) {
      r.toolType = toolType;
      r.logMode = logMode;
      r.fileName = "WELL";
      r.dataFolder = (folder / "DATA").string() + "/";
      r.sondeAbbreviation = "KSTQ";
      r.sondePowerLoaded = powerLoaded;
      r.sondePower = {120, 300, 90};
      r.depthScaleIndex = 3;
      Layout(r);
      return true;
    };
    OpenerDialogs().headerEditor = [](CHeaderEditor& editor) { editor.m_pHeaderInfo->Company = "ACME Logging"; };
  }
  // The replay settings answered with "Initialize" as they open.
  static void PressInitialize() {
    OpenerDialogs().replaySettings = [](CReplayDlg& dialog) {
      if (dialog.Initialise()) dialog.OnOK();
      return dialog.Result();
    };
  }
  // The unit's depth counter, then time on its clock.
  void MoveTo(int32_t depth) {
    qv::sim::UnitState s = unit->State();
    s.depth = depth;
    unit->SetState(s);
    clock->Advance(1000);
  }
  // REC on the sonde bar for an opened log, two seconds of virtual time with
  // the display pumped, then STOP.
  void RecordTwoSeconds(CLogDoc* doc) {
    doc->Engine()->SetClock(pace->Clock());
    g_pSondeControl.load()->OnRecord();
    ASSERT_EQ(doc->LogState(), 0);
    ASSERT_TRUE(pace->RunUntil(pace->Now() + 2000));
    doc->PumpDisplay();
    g_pSondeControl.load()->OnStop();
    ASSERT_EQ(doc->LogState(), 99);
  }
  // File/New Log for WELL, then REC on the sonde bar; the log runs on
  // virtual time. Null when it did not start.
  CLogDoc* StartRecording() {
    CLogDoc* doc = OpenNewLog();
    if (!doc) return nullptr;
    g_pSondeControl.load()->OnRecord();
    return doc->LogState() == 0 ? doc : nullptr;
  }
  // File/New Log for WELL, the log on virtual time; null when it did not
  // open with its bars.
  CLogDoc* OpenNewLog(int logMode = qv::kLogModeTime) {
    ScriptWizard(1, 1, logMode);
    app->ExecuteCommand(ID_FILE_NEW);
    CLogDoc* doc = Active();
    if (!doc || !doc->Engine() || !g_pSondeControl || !g_pWinchControl) return nullptr;
    doc->Engine()->SetClock(pace->Clock());
    return doc;
  }
  // Records a log WELL of ms from the menus and the sonde bar; leaves it stopped.
  void RecordLog(int ms = 3000) {
    CLogDoc* doc = StartRecording();
    ASSERT_NE(doc, nullptr);
    CSondeControl* bar = g_pSondeControl;
    ASSERT_TRUE(pace->RunUntil(pace->Now() + ms));
    doc->PumpDisplay();
    bar->OnStop();
    ASSERT_EQ(doc->LogState(), 99);
  }

  std::unique_ptr<qvtest::VirtualPace> pace;
  std::unique_ptr<CPemmaroApp> app;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler prevBox;
  int trailers = 0;
  std::vector<bool> monitoringAtTrailer;  // the depth display followed the winch while the dialog was open
};

TEST_F(LogDocTest, IdleDocumentWatchesTheUnitAndTheWinchBarFollowsTheDepth) {
  ASSERT_TRUE(IdleIsActive());
  EXPECT_TRUE(app->ActiveIsIdleDocument());
  const auto modes = LoggingModes();
  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes.back()[2], 0xE8);  // value 1000: monitor mode 14
  EXPECT_EQ(modes.back()[3], 0x03);
  EXPECT_EQ(modes.back()[4], 14);
  CWinchControl* winch = g_pWinchControl;
  ASSERT_NE(winch, nullptr);
  MoveTo(1234);  // 12.34 m
  EXPECT_TRUE(WaitFor([&] { return winch->DepthDisplay()->Value().find("12.34") != std::string::npos; }))
      << winch->DepthDisplay()->Value();
  MoveTo(2000);
  EXPECT_TRUE(WaitFor([&] { return winch->DepthDisplay()->Value().find("20.00") != std::string::npos; }))
      << winch->DepthDisplay()->Value();
  EXPECT_FALSE(app->QueryCommand(ID_FILE_CLOSE).Enabled());
}

TEST_F(LogDocTest, NewLogRecordsFromTheBarsAndClosingBringsBackTheIdleDocument) {
  CLogDoc* idle = Active();
  RecordLog();
  CLogDoc* doc = Active();
  ASSERT_NE(doc, idle);
  EXPECT_NE(dynamic_cast<C6ChannelDocument*>(doc), nullptr);
  EXPECT_FALSE(doc->IsIdleDocument());
  EXPECT_EQ(g_bLogDocumentOpen, 1);
  const LoggingModeBlock& mode = doc->Setup().loggingMode;
  EXPECT_EQ(mode.toolType, 1);
  EXPECT_EQ(mode.value, 150) << "a time log sends the time step";
  EXPECT_EQ(mode.mode, 10);
  EXPECT_EQ(doc->Engine()->PollPeriod(), 75) << "half the time step";
  EXPECT_EQ(doc->DepthScale(), 100);
  ASSERT_NE(doc->CurveView(), nullptr);
  EXPECT_EQ(doc->CurveView()->Curves().size(), 3u);
  app->UpdateCommandUI();
  EXPECT_FALSE(app->QueryCommand(CCurveView::kPrintCommand).Enabled()) << "a log stopped for good does not print";

  HeaderInfo templ;
  ASSERT_TRUE(ReadHeaderInfo(Template(), &templ));
  EXPECT_EQ(templ.Company, "ACME Logging") << "the edited header is the next log's template";

  const fs::path data = folder / "DATA" / "WELL.LOG";
  ASSERT_TRUE(fs::exists(data));
  const auto size = fs::file_size(data);
  EXPECT_GT(size, 0u);
  EXPECT_EQ(size % 14, 0u) << "whole 14-byte records";
  HeaderInfo header;
  ASSERT_TRUE(ReadHeaderInfo(data.string(), &header));
  EXPECT_EQ(header.Company, "ACME Logging");
  EXPECT_EQ(header.Wellname, "Template well");
  EXPECT_EQ(header.LogMode, 10);
  EXPECT_EQ(header.SondeAbbreviation, "KSTQ");
  EXPECT_EQ(trailers, 1) << "STP ran the trailer text dialog";
  EXPECT_EQ(monitoringAtTrailer, std::vector<bool>{true}) << "the depth display moves while the engineer types";
  TrailerText trailer;
  ASSERT_TRUE(ReadTrailerText(data.string(), &trailer));
  EXPECT_EQ(trailer.Text2, "Logged by the test");
  CurveArray curves;
  ASSERT_TRUE(ReadCurveRecords(data.string(), &curves));
  EXPECT_EQ(curves.size(), 3u);
  EXPECT_TRUE(boxes.empty()) << boxes.front();

  EXPECT_TRUE(app->QueryCommand(ID_FILE_CLOSE).Enabled());
  app->ExecuteCommand(ID_FILE_CLOSE);
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  EXPECT_EQ(g_bLogDocumentOpen, 0);
  EXPECT_EQ(app->Documents().size(), 1u) << "one idle document, not two";
  EXPECT_EQ(LoggingModes().back()[4], 14) << "the new idle document watches the unit";

  // The recorded log opens for replay over its own header.
  PressInitialize();
  app->OpenLogForReplay("WELL", data.string());
  CLogDoc* replay = Active();
  ASSERT_NE(replay, nullptr);
  EXPECT_FALSE(replay->Live());
  EXPECT_EQ(replay->GetTitle(), "WELL");
  EXPECT_EQ(replay->LogState(), -1);
  ASSERT_NE(replay->CurveView(), nullptr);
  EXPECT_TRUE(app->QueryCommand(CCurveView::kPrintCommand).Enabled()) << "a replayed log prints";
  EXPECT_TRUE(app->QueryCommand(CCurveView::kPrintPreviewCommand).Enabled());
  EXPECT_EQ(replay->CurveView()->Curves().size(), 3u);
  CReplayControl* bar = g_pReplayControl;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->PositionText()->text().toStdString(), data.string());
  EXPECT_TRUE(boxes.empty()) << boxes.front();
  app->CloseDocument(replay);
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); }));
}

// Any value of the curve view's shown rows that is not 0 (the replayed
// records carry the simulated unit's counts; the view starts empty).
bool ViewShowsData(CCurveView* view) {
  curveview::CurveRows& rows = view->Rows();
  std::lock_guard<std::mutex> lock(rows.DisplayLock());
  for (int curve = 0; curve < rows.CurveCount(); ++curve)
    for (int i = 0; i < curveview::kHistoryLength; ++i)
      if (const double v = rows.DisplayValue(curve, i); !std::isnan(v) && v != 0) return true;
  return false;
}

TEST_F(LogDocTest, ReplayLogPlaysThroughTheViewAndAsksAtTheEndOfTheData) {
  // Long enough for values to come out of the delay window (26 records of a
  // time log).
  RecordLog(10000);
  app->CloseDocument(Active());
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  const fs::path data = folder / "DATA" / "WELL.LOG";
  PressInitialize();
  app->OpenLogForReplay("WELL", data.string());
  CLogDoc* doc = Active();
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(doc->Replay(), nullptr);
  // The end-of-replay choice; what the view shows is looked at while it is
  // still open.
  std::vector<bool> offers;
  std::vector<bool> shown;
  int answer = qv::IDOK;
  SetAskReplayRunner([&](CAskReplay& dialog) {
    dialog.EnsureInitialised();
    offers.push_back(!dialog.PrintHeaderBox()->isHidden());
    doc->PumpDisplay();
    shown.push_back(ViewShowsData(doc->CurveView()));
    return answer;
  });
  CCurveView* view = doc->CurveView();
  CReplayControl* bar = g_pReplayControl;
  ASSERT_NE(view, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(app->QueryCommand(ID_SELECT_SONDE).Enabled()) << "no other sonde while a log replays";
  EXPECT_FALSE(bar->Button(ID_DIRECT_REALTIME_PRINT)->isEnabled()) << "the log does not print";
  EXPECT_FALSE(ViewShowsData(view));

  // The slider sets the pace; the test then runs the replay unthrottled.
  bar->SpeedSlider()->setValue(100);
  EXPECT_EQ(doc->Engine()->PollPeriod(), 75) << "a step of 150 at full speed, 1:100, no printing";
  doc->Replay()->SetPollPeriod(0);

  // Replay Data from the bar runs to the end of the data; Reset rewinds.
  bar->Button(ID_REPLAY_DATA)->click();
  EXPECT_TRUE(WaitFor([&] { return offers.size() == 1; }));
  EXPECT_EQ(offers, std::vector<bool>{false}) << "no heading to print";
  EXPECT_EQ(doc->LogState(), -1);
  EXPECT_TRUE(bar->Button(ID_PAUSE_REPLAY)->isChecked()) << "the paused look";
  EXPECT_FALSE(bar->Button(ID_REPLAY_DATA)->isChecked());
  EXPECT_TRUE(boxes.empty()) << boxes.front();
  // The log plays again from its start; Finish closes it.
  answer = qv::IDCANCEL;
  bar->Button(ID_REPLAY_DATA)->click();
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); })) << "Finish closed the replay";
  EXPECT_EQ(offers.size(), 2u);
  EXPECT_EQ(shown, (std::vector<bool>{true, true})) << "the records reached the view";
  EXPECT_EQ(app->Documents().size(), 1u);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(LogDocTest, PauseRestartAndStopFromTheReplayBar) {
  RecordLog();
  app->CloseDocument(Active());
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  PressInitialize();
  app->OpenLogForReplay("WELL", (folder / "DATA" / "WELL.LOG").string());
  CLogDoc* doc = Active();
  CReplayControl* bar = g_pReplayControl;
  ASSERT_TRUE(doc && doc->Replay() && bar);
  int beeps = 0;
  auto prevBeep = qv::SetBeepHandler([&](unsigned) { ++beeps; });
  bar->Button(ID_RESTART_REPLAY)->click();
  EXPECT_EQ(doc->LogState(), -1) << "nothing to restart";
  bar->Button(ID_REPLAY_DATA)->click();  // paced: still running when paused
  EXPECT_EQ(doc->LogState(), 0);
  bar->Button(ID_PAUSE_REPLAY)->click();
  EXPECT_EQ(doc->LogState(), 2);
  bar->Button(ID_PAUSE_REPLAY)->click();
  EXPECT_EQ(beeps, 1) << "a second pause only beeps";
  bar->Button(ID_RESTART_REPLAY)->click();
  EXPECT_EQ(doc->LogState(), -1);
  bar->Button(ID_STOP_REPLAY)->click();
  EXPECT_EQ(doc->LogState(), 99);
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); })) << "Stop closed the replay";
  qv::SetBeepHandler(prevBeep);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

// The end of a replay's data is a notice to that replay: one that arrives
// after its document was closed and another log was opened for replay asks
// nothing of the new one.
TEST_F(LogDocTest, TheEndOfAReplayIsAskedOnlyOfItsOwnLog) {
  RecordLog();
  app->CloseDocument(Active());
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  const std::string data = (folder / "DATA" / "WELL.LOG").string();
  // The question comes while the replay settings of the next log are open
  // (their modal loop delivers the first log's queued notice, as in the
  // program): it is the first log's, about its own end. Counted are the
  // questions that reach the new replay.
  CLogDoc* second = nullptr;
  int asked = 0;
  SetAskReplayRunner([&](CAskReplay&) {
    if (second && Active() == second) ++asked;
    return qv::IDOK;
  });
  PressInitialize();
  app->OpenLogForReplay("WELL", data);
  CLogDoc* first = Active();
  ASSERT_TRUE(first && first->Replay());
  first->Replay()->SetPollPeriod(0);
  first->Replay()->OnReplay();
  // The data ends and its notice is queued; the event loop has not run yet.
  for (int i = 0; i < 5000 && first->Replay()->ThreadExitCode() != qv::ReplayControl::kEndOfData; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(first->Replay()->ThreadExitCode(), qv::ReplayControl::kEndOfData);
  PressInitialize();
  app->OpenLogForReplay("WELL", data);  // closes the first replay, opens the same log anew
  second = Active();
  ASSERT_TRUE(second && second->Replay());
  for (int i = 0; i < 20; ++i) qvtest::Settle();
  EXPECT_EQ(asked, 0) << "the new replay was asked about the end of the old one";
  EXPECT_EQ(Active(), second);
  EXPECT_EQ(second->LogState(), qv::kStateReady);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

// A filter changed in the display options while the log records reaches the
// running processing, not only the header written at STP: the log and its
// header agree.
TEST_F(LogDocTest, AFilterChangedWhileRecordingReachesTheRunningProcessing) {
  CLogDoc* doc = StartRecording();
  ASSERT_NE(doc, nullptr);
  auto* engine = dynamic_cast<qv::ChannelLogEngine*>(doc->Engine());
  ASSERT_TRUE(engine && engine->Processor());
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  doc->SetFilter(2, 2, 7);  // channel 2: median over 7 rows
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  doc->PumpDisplay();
  const qv::ChannelSetting& running = engine->Processor()->Settings().channelSettings[1];
  EXPECT_EQ(running.filterType, 2);
  EXPECT_EQ(running.filterWidth, 7);
  EXPECT_EQ(engine->Processor()->Settings().channelSettings[0].filterType, 0) << "the other channels keep theirs";
  EXPECT_FALSE(app->QueryCommand(CCurveView::kPrintCommand).Enabled()) << "a running log does not print";
  g_pSondeControl.load()->OnStop();
  ASSERT_EQ(doc->LogState(), 99);
  std::array<ChannelFilter, kFilterTableSize> header{};
  ASSERT_TRUE(ReadChannelFilters((folder / "DATA" / "WELL.LOG").string(), header.data()));
  EXPECT_EQ(header[1].FilterType, running.filterType);
  EXPECT_EQ(header[1].FilterWidth, running.filterWidth);
}

// Closing a replay of a recording chain, before it plays or after it played
// through the chain, leaves each header's ChainTo as the recording wrote it.
TEST_F(LogDocTest, ClosingAReplayLeavesTheChainAsItWas) {
  CLogDoc* doc = StartRecording();
  ASSERT_NE(doc, nullptr);
  CSondeControl* bar = g_pSondeControl;
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 2000));
  doc->PumpDisplay();
  bar->OnPause();
  bar->OnRecord();
  ASSERT_EQ(doc->LogState(), 0);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 2000));
  doc->PumpDisplay();
  bar->OnStop();
  app->CloseDocument(Active());
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  const fs::path first = folder / "DATA" / "WELL.LOG", second = folder / "DATA" / "WELL1.LOG";
  std::string link;
  ASSERT_TRUE(ReadChainTo(first.string(), &link));
  ASSERT_EQ(link, "WELL1");
  SetAskReplayRunner([](CAskReplay&) { return qv::IDCANCEL; });  // Finish
  for (bool play : {false, true}) {
    SCOPED_TRACE(play ? "played through the chain" : "closed at once");
    PressInitialize();
    app->OpenLogForReplay("WELL", first.string());
    CLogDoc* replay = Active();
    ASSERT_TRUE(replay && replay->Replay());
    EXPECT_TRUE(replay->m_bFollowChain);
    if (play) {
      replay->Replay()->SetPollPeriod(0);
      replay->Replay()->OnReplay();
    } else {
      app->CloseDocument(replay);
    }
    ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
    std::string after;
    ASSERT_TRUE(ReadChainTo(first.string(), &after));
    EXPECT_EQ(after, "WELL1");
    ASSERT_TRUE(ReadChainTo(second.string(), &after));
    EXPECT_EQ(after, "");
  }
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

// A log down the hole from the bars as an engineer records it: the supply
// the sonde bar shows is the unit's, the trailer at STP holds the depth the
// winch bar shows, and the recorded picture stays in the view after STP.
TEST_F(LogDocTest, ALogDownTheHoleKeepsItsSupplyDepthAndPictureAcrossStp) {
  CSondeControl* idleBar = g_pSondeControl;
  ASSERT_NE(idleBar, nullptr);
  idleBar->OnSondePower();  // KSTQ: 120 V, current limit 80 mA
  ASSERT_TRUE(idleBar->PowerOn());
  EXPECT_TRUE(WaitFor([&] {
    clock->Advance(100);  // the unit's depth reports come once a second of its time
    CSondeControl* bar = g_pSondeControl;
    return bar && bar->VoltageDisplay()->Value() == "120.0" && bar->CurrentDisplay()->Value() == "80";
  })) << "the idle document shows the supply: "
      << g_pSondeControl.load()->VoltageDisplay()->Value() << " V " << g_pSondeControl.load()->CurrentDisplay()->Value()
      << " mA";

  MoveTo(1234);
  CLogDoc* doc = OpenNewLog(qv::kLogModeDown);
  ASSERT_NE(doc, nullptr);
  CSondeControl* bar = g_pSondeControl;
  CWinchControl* winch = g_pWinchControl;
  WinchControlBlock lower{2, 5};  // 50 counts a second
  ASSERT_EQ(doc->SetWinch(&lower), 1);
  bar->OnRecord();
  ASSERT_EQ(doc->LogState(), 0);
  // Longer than the sonde's 2.5 m take to come through the processing.
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 7000));
  WinchControlBlock halt{0, 0};
  ASSERT_EQ(doc->SetWinch(&halt), 1);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 200));
  doc->PumpDisplay();
  qvtest::Settle();
  EXPECT_EQ(bar->VoltageDisplay()->Value(), "120.0") << "the supply while the log records";
  EXPECT_EQ(bar->CurrentDisplay()->Value(), "80");
  CCurveView* view = doc->CurveView();
  ASSERT_NE(view, nullptr);
  const int drawn = CurvePixels(view);
  ASSERT_GT(drawn, 0) << "the log is drawn while it records";

  bar->OnStop();
  ASSERT_EQ(doc->LogState(), 99);
  qvtest::Settle();
  doc->PumpDisplay();
  EXPECT_GE(CurvePixels(view), drawn) << "the recorded picture stays after STP";

  // The sonde stands still: the depth monitoring after STP shows where it
  // stopped, and the trailer says the same.
  TrailerText trailer;
  ASSERT_TRUE(ReadTrailerText((folder / "DATA" / "WELL.LOG").string(), &trailer));
  const std::string head = "Depth: ";
  ASSERT_EQ(trailer.Text1.rfind(head, 0), 0u) << trailer.Text1;
  const std::string depth = trailer.Text1.substr(head.size(), trailer.Text1.find(' ', head.size()) - head.size());
  EXPECT_TRUE(WaitFor([&] {
    const std::string shown = winch->DepthDisplay()->Value();
    return shown.substr(shown.find_first_not_of(' ')) == depth;
  })) << "trailer "
      << depth << ", winch bar " << winch->DepthDisplay()->Value();
  EXPECT_NE(depth.substr(depth.find('.')), ".00") << "the sonde stopped between whole metres";
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

// REC that cannot create the data file says so, records nothing, and leaves
// the log ready: once the way is clear, the next REC records.
TEST_F(LogDocTest, ARefusedRecIsToldAndTheNextRecRecords) {
  CLogDoc* doc = OpenNewLog();
  ASSERT_NE(doc, nullptr);
  CSondeControl* bar = g_pSondeControl;
  const fs::path data = folder / "DATA" / "WELL.LOG";
  fs::create_directories(data);  // a folder where the data file would go
  boxes.clear();
  bar->OnRecord();
  EXPECT_EQ(boxes.size(), 1u) << "the refusal is shown";
  EXPECT_NE(doc->LogState(), 0);
  EXPECT_EQ(Active(), doc) << "the log stays open";

  fs::remove(data);
  bar->OnRecord();
  ASSERT_EQ(doc->LogState(), 0) << "the next REC records";
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 3000));
  doc->PumpDisplay();
  bar->OnStop();
  ASSERT_TRUE(fs::is_regular_file(data));
  EXPECT_GT(fs::file_size(data), 0u);
  EXPECT_EQ(boxes.size(), 1u) << (boxes.size() > 1 ? boxes[1] : "");
}

// The winch runs on while one log window closes and the idle document's
// opens: the new winch bar shows it as it was left.
TEST_F(LogDocTest, TheWinchBarOfTheReturningIdleDocumentShowsTheWinchAsItWasLeft) {
  ASSERT_NE(OpenNewLog(), nullptr);
  CWinchControl* winch = g_pWinchControl;
  winch->OnPower();  // on, lowering
  ASSERT_TRUE(winch->PowerOn());
  ASSERT_EQ(winch->Direction(), 2);
  app->ExecuteCommand(ID_FILE_CLOSE);
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  qvtest::Settle();
  CWinchControl* idleWinch = g_pWinchControl;
  ASSERT_NE(idleWinch, nullptr);
  EXPECT_NE(idleWinch, winch);
  EXPECT_TRUE(idleWinch->PowerOn());
  EXPECT_EQ(idleWinch->Direction(), 2);
  EXPECT_TRUE(idleWinch->Button(kIdWinchStop)->isEnabled());
}

TEST_F(LogDocTest, AnErrorStopClosesTheLogOnTheGuiThreadAndTheIdleDocumentReturns) {
  CLogDoc* doc = StartRecording();
  ASSERT_NE(doc, nullptr);
  Faults([](qv::sim::Faults& f) { f.firstStatus = 2; });
  ASSERT_TRUE(WaitFor([&] {
    pace->RunUntil(pace->Now() + 200, std::chrono::milliseconds(200));
    return doc->Engine()->StopRequested() || doc->LogState() == 3;
  }));
  Faults([](qv::sim::Faults& f) { f.firstStatus = -1; });
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); })) << "the log closed itself";
  EXPECT_FALSE(boxes.empty()) << "the error was shown";
}

TEST_F(LogDocTest, EveryFailedOpeningLeavesTheIdleDocumentWatching) {
  struct Case {
    const char* name;
    std::function<void(LogDocTest&)> act;
    const char* box;  // the message shown, or "" for none
    bool sameIdle;    // the idle document was never closed
  };
  const Case cases[] = {
      {"sonde power not loaded",
       [](LogDocTest& t) {
         t.ScriptWizard(1, 0);
         t.app->ExecuteCommand(ID_FILE_NEW);
       },
       "", false},
      {"tool type -1",
       [](LogDocTest& t) {
         t.ScriptWizard(-1);
         t.app->ExecuteCommand(ID_FILE_NEW);
       },
       "Sonde type not supported!", true},
      {"tool type 11",
       [](LogDocTest& t) {
         t.ScriptWizard(11);
         t.app->ExecuteCommand(ID_FILE_NEW);
       },
       "Sonde type not supported!", true},
      {"new log whose set-up the unit refuses",
       [](LogDocTest& t) {
         t.ScriptWizard();
         auto wizard = OpenerDialogs().wizard;
         // The unit fails every control transfer from the wizard on, until
         // the refusal of the log has been told.
         OpenerDialogs().wizard = [&t, wizard](QWidget* parent, qv::LogWizardResult& r) {
           t.Faults([](qv::sim::Faults& f) { f.failControl = 1000000; });
           return wizard(parent, r);
         };
         auto previous = qv::SetMessageBoxHandler([&t](const qv::MessageBoxRequest& r) {
           t.boxes.push_back(r.text);
           if (r.text == "Error while initializing the document !")
             t.Faults([](qv::sim::Faults& f) { f.failControl = 0; });
           return qv::IDOK;
         });
         t.app->ExecuteCommand(ID_FILE_NEW);
         t.Faults([](qv::sim::Faults& f) { f.failControl = 0; });
         qv::SetMessageBoxHandler(previous);
       },
       "Error while initializing the document !", false},
      {"wizard cancelled",
       [](LogDocTest& t) {
         OpenerDialogs().wizard = [](QWidget*, qv::LogWizardResult&) { return false; };
         t.app->ExecuteCommand(ID_FILE_NEW);
       },
       "", true},
      {"replay of a log whose header cannot be read",
       [](LogDocTest& t) { t.app->OpenLogForReplay("GONE", (t.folder / "DATA" / "GONE.LOG").string()); },
       "Couldn't read from header file!", true},
      {"replay of a log whose data cannot be read",
       [](LogDocTest& t) {
         const std::string path = (t.folder / "DATA" / "NODATA.LOG").string();
         HeaderInfo info;
         info.LogMode = 10;
         info.Step = 150;
         WriteHeaderInfo(path, &info, nullptr);
         WriteHeaderIdent(path);
         PressInitialize();
         t.app->OpenLogForReplay("NODATA", path);
       },
       "Error while initializing the document !", false},
      {"replay of a log whose data file is a FIFO nobody writes",
       [](LogDocTest& t) {
         qv::test::Watchdog watchdog;
         const std::string path = (t.folder / "DATA" / "PIPE.LOG").string();
         HeaderInfo info;
         info.LogMode = 10;
         info.Step = 150;
         WriteHeaderInfo(path, &info, nullptr);
         WriteHeaderIdent(path);
         qv::test::MakeFifo((t.folder / "DATA").string(), "PIPE.LOG");
         PressInitialize();
         t.app->OpenLogForReplay("PIPE", path);
       },
       "Source file could not be opened!", false},
      {"replay of a log whose header is a FIFO nobody writes",
       [](LogDocTest& t) {
         qv::test::Watchdog watchdog;
         qv::test::MakeFifo((t.folder / "DATA").string(), "HEAD.hed");
         PressInitialize();
         t.app->OpenLogForReplay("HEAD", (t.folder / "DATA" / "HEAD.LOG").string());
       },
       "Couldn't read from header file!", true},
      {"replay settings cancelled",
       [](LogDocTest& t) {
         OpenerDialogs().replaySettings = [](CReplayDlg&) { return qv::IDCANCEL; };
         t.app->OpenLogForReplay("GONE", (t.folder / "DATA" / "GONE.LOG").string());
       },
       "", true},
      {"replay of an unknown file kind",
       [](LogDocTest& t) {
         const std::string path = (t.folder / "DATA" / "X.TXT").string();
         HeaderInfo info;
         info.Step = 150;
         WriteHeaderInfo(path, &info, nullptr);
         WriteHeaderIdent(path);
         PressInitialize();
         t.app->OpenLogForReplay("X", path);
       },
       "Sonde type not supported!", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLogDoc* idle = Active();
    ASSERT_TRUE(IdleIsActive());
    boxes.clear();
    OpenerDialogs() = {};
    c.act(*this);
    EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); }));
    if (c.sameIdle) {
      EXPECT_EQ(Active(), idle);
    }
    if (*c.box) {
      EXPECT_NE(std::find(boxes.begin(), boxes.end(), c.box), boxes.end());
    } else {
      EXPECT_TRUE(std::none_of(boxes.begin(), boxes.end(), [](const std::string& b) { return !b.empty(); }));
    }
    qvtest::Settle();
    EXPECT_EQ(app->Documents().size(), 1u);
    EXPECT_EQ(g_bLogDocumentOpen, 0);
  }
}

// A header whose depth numbers no real log has (a step read as INT_MAX, depths
// and a channel offset at the ends of the int range) is refused with the
// header boxes before a replay document or view is built: the depth
// arithmetic on them would leave the int range.
TEST_F(LogDocTest, AHeaderWithDepthNumbersNoLogHasIsRefusedBeforeTheReplayOpens) {
  RecordLog(3000);
  app->CloseDocument(Active());
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  const std::string data = (folder / "DATA" / "WELL.LOG").string();
  const std::string recorded = ReadText("DATA/WELL.hed");
  // The first line of the key gets the value.
  auto spoiled = [&](const std::string& key, const std::string& value) {
    std::string text = recorded;
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return std::string();
    const std::size_t end = text.find('\r', at + 1);
    return text.replace(at + 1, end - at - 1, key + "=" + value);
  };
  const struct {
    const char* key;
    const char* value;
    const char* box;
  } cases[] = {
      {"Step", "99999999999999999999", "The header of this log gives a step of 2147483647: the log can not be replayed!"},
      {"Step", "65536", "The header of this log gives a step of 65536: the log can not be replayed!"},
      {"Startdepth", "2147483000", "Couldn't read from header file!"},
      {"EndDepth", "-2147483648", "Couldn't read from header file!"},
      {"Offset", "-2147483648", "Couldn't read from header file!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    const std::string text = spoiled(c.key, c.value);
    ASSERT_FALSE(text.empty());
    WriteText("DATA/WELL.hed", text);
    boxes.clear();
    PressInitialize();
    app->OpenLogForReplay("WELL", data);
    EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); }));
    EXPECT_EQ(boxes, std::vector<std::string>{c.box});
    EXPECT_EQ(app->Documents().size(), 1u);
  }
  // The same log with its own header replays.
  WriteText("DATA/WELL.hed", recorded);
  boxes.clear();
  PressInitialize();
  app->OpenLogForReplay("WELL", data);
  ASSERT_NE(Active(), nullptr);
  EXPECT_NE(Active()->Replay(), nullptr);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(LogDocTest, ASecondLogWhileOneIsOpenIsRefused) {
  ScriptWizard();
  app->ExecuteCommand(ID_FILE_NEW);
  CLogDoc* doc = Active();
  ASSERT_FALSE(doc->IsIdleDocument());
  boxes.clear();
  app->ExecuteCommand(ID_FILE_NEW);
  app->OnFileOpen();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "You are already in Log or Replay mode!");
  EXPECT_EQ(boxes[1], "You are already in Log or Replay mode!");
  EXPECT_EQ(Active(), doc);
}

TEST_F(LogDocTest, ReplayLogStartsInTheDataFolderAndRemembersTheChosenOne) {
  std::vector<qv::FileDialogRequest> asked;
  const fs::path chosen = folder / "elsewhere" / "OLD.LOG";
  auto prev = qv::SetFileDialogHandler([&](const qv::FileDialogRequest& r) {
    asked.push_back(r);
    return std::string();
  });
  app->ExecuteCommand(ID_FILE_OPEN);
  qv::SetFileDialogHandler([&](const qv::FileDialogRequest& r) {
    asked.push_back(r);
    return chosen.string();
  });
  OpenerDialogs().replaySettings = [](CReplayDlg&) { return qv::IDCANCEL; };
  app->ExecuteCommand(ID_FILE_OPEN);
  qv::SetFileDialogHandler(prev);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].title, "Open a log file");
  EXPECT_EQ(asked[0].initialFolder, (folder / "DATA").string() + "/");
  EXPECT_TRUE(asked[0].mustExist);
  EXPECT_EQ(g_strDefaultDataFolder, (folder / "elsewhere").string() + "/");
}

TEST_F(LogDocTest, NewAndReplayLogWaitForTheUnitAndTheSondeTest) {
  struct Row {
    int hardware, utility;
    bool newLog, replayLog;
  };
  const Row rows[] = {{1, 0, true, true}, {0, 0, false, true}, {1, 1, false, false}, {0, 1, false, false}};
  for (const Row& r : rows) {
    g_bHardwarePresent = r.hardware;
    g_bUtilityActive = r.utility;
    EXPECT_EQ(app->QueryCommand(ID_FILE_NEW).Enabled(), r.newLog) << r.hardware << r.utility;
    EXPECT_EQ(app->QueryCommand(ID_FILE_OPEN).Enabled(), r.replayLog) << r.hardware << r.utility;
  }
  g_bUtilityActive = 0;
}

// A document whose log state the test sets.
class StateDoc : public CLogDoc {
 public:
  int state = -1;
  int LogState() const override { return state; }
};

TEST(LogDocCommands, EnablingTable) {
  qvtest::App();
  const int ids[] = {ID_EXPORT_HEADER,   ID_IMPORT,         ID_SHOW_LOG_HEADER,      ID_PAUSE_REPLAY,
                     ID_RESTART_REPLAY,  ID_STOP_REPLAY,    ID_REPLAY_DATA,          ID_CABLE_OPTIONS,
                     ID_LOG_CALIBRATION, ID_LOG_TEST_SONDE, ID_DIRECT_REALTIME_PRINT};
  enum Role { kIdle, kLive, kReplay };
  struct Row {
    Role role;
    int state;
    int hardware;
    bool print;
    const char* enabled;  // one digit per id above
  };
  const Row rows[] = {
      {kIdle, -1, 1, false, "01000001110"},  {kLive, -1, 1, false, "11100001110"},
      {kLive, 0, 1, false, "11100000000"},   {kLive, 99, 1, false, "11100001110"},
      {kLive, -1, 0, false, "11100000000"},  {kReplay, -1, 1, false, "11111111110"},
      {kReplay, 0, 1, true, "11111110101"},  {kReplay, 99, 1, false, "11101101110"},
      {kReplay, 99, 0, true, "11101100001"},
  };
  for (const Row& r : rows) {
    StateDoc doc;
    doc.m_bIdleDocument = r.role == kIdle;
    doc.m_bLive = r.role != kReplay;
    doc.state = r.state;
    doc.Setup().realtimePrint = r.print;
    g_bHardwarePresent = r.hardware;
    std::string got;
    for (int id : ids) {
      qv::CmdUI ui(id);
      const bool handled = doc.RunUpdate(ui);
      got += handled && ui.Enabled() ? '1' : '0';
    }
    EXPECT_EQ(got, r.enabled) << "role " << r.role << " state " << r.state << " hardware " << r.hardware;
  }
  g_bHardwarePresent = 0;
}

// File/New Log with the heat-pulse flowmeter as current sonde shows the
// flowmeter dialog through the idle document instead of the wizard; while it
// is shown, new logs and replay are refused.
TEST_F(LogDocTest, NewLogWithTheFlowmeterShowsItsDialogThroughTheIdleDocument) {
  g_bHardwarePresent = 1;
  g_strCurrentSonde = "HPFM";
  ASSERT_EQ(qv::GetToolType(g_strCurrentSonde, false), 6);
  CLogDoc* idle = Active();
  ASSERT_TRUE(idle && idle->IsIdleDocument());
  OpenerDialogs().wizard = [](QWidget*, qv::LogWizardResult&) {
    ADD_FAILURE() << "the wizard ran";
    return false;
  };
  app->ExecuteCommand(ID_FILE_NEW);
  ASSERT_NE(idle->HeatPulseDialog(), nullptr);
  EXPECT_TRUE(idle->HeatPulseDialog()->HasWindow());
  EXPECT_EQ(Active(), idle);
  EXPECT_EQ(g_bUtilityActive, 1);
  EXPECT_FALSE(app->QueryCommand(ID_FILE_NEW).Enabled());
  EXPECT_FALSE(app->QueryCommand(ID_FILE_OPEN).Enabled());
  idle->HeatPulseDialog()->OnOK();
  EXPECT_FALSE(idle->HeatPulseDialog()->HasWindow());
  EXPECT_EQ(g_bUtilityActive, 0);
  EXPECT_TRUE(app->QueryCommand(ID_FILE_NEW).Enabled());
  g_strCurrentSonde = "KSTQ";
  g_bHardwarePresent = 0;
}

// Tools/Sonic FPG Settings belongs to a cement-bond log: its document opens
// the gate dialog modally; any other document leaves the item disabled.
class CementBondDoc : public CLogDoc {
 public:
  explicit CementBondDoc(std::unique_ptr<qv::CCBLDocument> engine) : CLogDoc(std::move(engine)) {}
};

TEST(LogDocCommands, FpgSettingsOnlyForACementBondLog) {
  qvtest::App();
  auto owned = std::make_unique<qv::CCBLDocument>();
  qv::CCBLDocument* engine = owned.get();
  CementBondDoc cbl(std::move(owned));
  C6ChannelDocument six;
  StateDoc idle;
  for (CLogDoc* doc : {static_cast<CLogDoc*>(&six), static_cast<CLogDoc*>(&idle)}) {
    qv::CmdUI ui(qv::kIdFpgSettings);
    EXPECT_FALSE(doc->RunUpdate(ui) && ui.Enabled());
    EXPECT_FALSE(doc->RunCommand(qv::kIdFpgSettings));
  }
  qv::CmdUI ui(qv::kIdFpgSettings);
  EXPECT_TRUE(cbl.RunUpdate(ui) && ui.Enabled());
  engine->SetGates(FreePipeGate{80, 60, 915, 201, 233}, FreePipeGate{80, 60, 1525, 315, 347});
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<CFPGDialog*>(QApplication::activeModalWidget());
    shown = dlg != nullptr;
    if (!dlg) return;
    dlg->Edit(CFPGDialog::kIdNearPosition)->setText("170");
    dlg->findChild<QPushButton*>("1")->click();
  });
  EXPECT_TRUE(cbl.RunCommand(qv::kIdFpgSettings));
  EXPECT_TRUE(shown);
  EXPECT_EQ(engine->NearGate().GateStart, 170);
}

// REC after PSE continues the log below its first section, which stays on
// the screen with its own depths; nothing is drawn while the processing's
// delay (the sonde's length) still holds no reading.
TEST_F(LogDocTest, RecAfterPseKeepsTheFirstSectionAndDrawsNoRowWithoutData) {
  MoveTo(100);  // 1.00 m
  CLogDoc* doc = OpenNewLog(qv::kLogModeDown);
  ASSERT_NE(doc, nullptr);
  CCurveView* view = doc->CurveView();
  ASSERT_NE(view, nullptr);
  CSondeControl* bar = g_pSondeControl;
  WinchControlBlock lower{2, 5};  // 50 cm a second, one record a centimetre
  ASSERT_EQ(doc->SetWinch(&lower), 1);
  qvtest::Settle();
  EXPECT_EQ(CurvePixels(view), 0) << "no curve before the first record";
  bar->OnRecord();
  ASSERT_EQ(doc->LogState(), 0);
  // The first 2 m: the sonde's 2.5 m delay still holds no reading.
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 4000));
  doc->PumpDisplay();
  qvtest::Settle();
  EXPECT_EQ(CurvePixels(view), 0) << "nothing drawn while the delay fills";
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 3000));
  doc->PumpDisplay();
  qvtest::Settle();
  EXPECT_GT(CurvePixels(view), 0) << "readings once the delay has filled";

  // Rows with a reading, newest first: their depths.
  auto readings = [&] {
    std::vector<int> depths;
    curveview::CurveRows& rows = view->Rows();
    std::lock_guard<std::mutex> lock(rows.DisplayLock());
    const int a = rows.Anchor();
    for (int age = 0; age <= a; ++age) {
      int d = 0;
      if (!std::isnan(rows.DisplayValue(0, a - age)) && rows.RowDepth(a - age, &d)) depths.push_back(d);
    }
    return depths;
  };
  const std::vector<int> first = readings();
  ASSERT_FALSE(first.empty());
  const int firstEnd = first.front();

  bar->OnPause();
  ASSERT_EQ(doc->LogState(), 4);
  clock->Advance(1000);  // the sonde travels on 0.5 m while the log pauses
  bar->OnRecord();
  ASSERT_EQ(doc->LogState(), 0);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 2000));
  doc->PumpDisplay();
  qvtest::Settle();
  const std::vector<int> both = readings();
  ASSERT_GT(both.size(), first.size());
  EXPECT_GT(both.front(), firstEnd + 1000) << "the second section lies below the first";
  // The first section is still there, at its own depths, after a jump of
  // the pause's travel.
  const auto join = std::find(both.begin(), both.end(), firstEnd);
  ASSERT_NE(join, both.end()) << "the first section's newest reading is still shown";
  EXPECT_GE(*(join - 1) - firstEnd, 400) << "the rows jump by the travel during the pause";
  EXPECT_TRUE(std::equal(first.begin(), first.end(), join)) << "the first section's rows as they were";
  bar->OnStop();
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

}  // namespace

// Tools/Sonic Configuration: enabled with the unit present and a sonic sonde
// current; it shows the document's one probe configuration dialog, made on
// first use over the process's configuration and shown again later.
TEST_F(LogDocTest, SonicConfigurationShowsTheDocumentsProbeDialog) {
  ASSERT_TRUE(IdleIsActive());
  const std::string sonde = g_strCurrentSonde;
  const int hardware = g_bHardwarePresent;
  for (const auto& [name, present, enabled] :
       std::vector<std::tuple<std::string, int, bool>>{{"KSTQ", 1, false}, {"SONQ", 0, false}, {"SONQ", 1, true}}) {
    g_strCurrentSonde = name;
    g_bHardwarePresent = present;
    EXPECT_EQ(app->QueryCommand(ID_SONIC_CONFIGURATION).Enabled(), enabled) << name << " " << present;
  }
  auto dialogs = [] {
    std::vector<CSonicParams*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<CSonicParams*>(w)) out.push_back(d);
    return out;
  };
  g_SonicConfig = {8, {3, 4, 5}, {-6, 7, -8}};
  app->ExecuteCommand(ID_SONIC_CONFIGURATION);
  ASSERT_EQ(dialogs().size(), 1u);
  CSonicParams* dialog = dialogs()[0];
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Probe Configuration");
  EXPECT_TRUE(dialog->Radio(CSonicParams::kId8us)->isChecked());
  EXPECT_EQ(dialog->Edit(CSonicParams::kIdThreshold3)->text(), "-8");
  dialog->OnCancel();
  EXPECT_FALSE(dialog->isVisible());
  app->ExecuteCommand(ID_SONIC_CONFIGURATION);
  EXPECT_EQ(dialogs().size(), 1u);
  EXPECT_TRUE(dialog->isVisible());
  dialog->OnCancel();
  g_strCurrentSonde = sonde;
  g_bHardwarePresent = hardware;
}

namespace {

// File/New Log with a televiewer sonde opens the televiewer document and
// view, and REC records the sweeps into the log's .BTV file.
TEST_F(LogDocTest, ANewTeleviewerLogOpensItsViewAndRecordsSweeps) {
  ScriptWizard(2, 1, 13);
  app->ExecuteCommand(ID_FILE_NEW);
  auto* doc = dynamic_cast<CBTVTBDocument*>(Active());
  ASSERT_NE(doc, nullptr) << (boxes.empty() ? "" : boxes[0]);
  ASSERT_FALSE(doc->Views().empty());
  EXPECT_EQ(doc->View(), doc->Views().front());
  for (const TrackRecord& t : doc->View()->Tracks()) EXPECT_GT(t.width, 0) << "every track is shown";
  EXPECT_EQ(doc->GetTitle(), (folder / "DATA" / "WELL.BTV").string());
  RecordTwoSeconds(doc);
  if (HasFatalFailure()) return;
  const auto size = fs::file_size(folder / "DATA" / "WELL.BTV");
  EXPECT_GT(size, 0u);
  EXPECT_EQ(size % 268, 0u);
  // The televiewer view's commands are on while it is active.
  for (int id : {kIdInvertBhtvColours, kIdNormaliseBhtvAmplitude, kIdNormaliseBhtvTransit})
    EXPECT_TRUE(app->QueryCommand(id).Enabled()) << id;
  EXPECT_FALSE(app->QueryCommand(ID_DIRECT_REALTIME_PRINT).Enabled()) << "a live log";

  // Replayed with real-time printing, File/Direct Realtime Print is on and
  // prints every sweep of the log between the chart's heading and footer, on
  // recorder model 0 as on any other (the live path does not ask the model).
  struct ModelBack {
    int model;
    ~ModelBack() { g_nRealTimePrinter = model; }
  } modelBack{g_nRealTimePrinter.exchange(0)};
  std::vector<std::string> chart;
  int rows = 0;
  struct Chart : qv::TeleviewerChartRecorder {
    std::vector<std::string>& calls;
    int& rows;
    Chart(std::vector<std::string>& c, int& r) : calls(c), rows(r) {}
    void SendPrintrexStart() override { calls.push_back("start"); }
    int LineFeed(int n) override { return n; }
    void SetStartDepth(int) override {}
    void PrintTeleviewerRows(const TeleviewerImageRow*, int count, int) override { rows += count; }
    void PrintTeleviewerHeader() override { calls.push_back("header"); }
    void PrintTeleviewerFooter() override { calls.push_back("footer"); }
    void PrintLogHeading(const curveview::ChartLogTexts&) override {}
    void PrintRemarks(const curveview::ChartLogTexts&) override {}
    void PrintTrailerText(const curveview::ChartLogTexts&) override {}
    void EjectToFormMark() override {}
  };
  const auto previous = qv::SetTeleviewerRecorderFactory(
      [&](const qv::TeleviewerChartArgs&) { return std::make_unique<Chart>(chart, rows); });
  app->CloseDocument(doc);
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  OpenerDialogs().replaySettings = [](CReplayDlg& dialog) {
    if (dialog.Initialise()) {
      dialog.RealtimeCheck()->setChecked(true);
      dialog.OnOK();
    }
    return dialog.Result();
  };
  app->OpenLogForReplay("WELL", (folder / "DATA" / "WELL.BTV").string());
  auto* replay = dynamic_cast<CBTVTBDocument*>(Active());
  ASSERT_NE(replay, nullptr);
  ASSERT_TRUE(replay->Setup().realtimePrint);
  EXPECT_TRUE(app->QueryCommand(ID_DIRECT_REALTIME_PRINT).Enabled());
  SetAskReplayRunner([](CAskReplay&) { return qv::IDCANCEL; });  // Finish
  app->ExecuteCommand(ID_DIRECT_REALTIME_PRINT);
  ASSERT_GE(chart.size(), 3u);
  EXPECT_EQ(std::count(chart.begin(), chart.end(), "header"), 1);
  EXPECT_EQ(chart.back(), "footer");
  EXPECT_EQ(rows, static_cast<int>(size / 268)) << "every sweep of the log";
  qv::SetTeleviewerRecorderFactory(previous);
}

// File/New Log with a cement-bond or full-wave sonic sonde opens its
// document and view (it was "Sonde type not supported!"), REC records
// segment pairs and the view's display takes the rows; File/Replay Log opens
// the recorded log in the same kind of document and plays it into its view.
TEST_F(LogDocTest, ANewWaveformLogOpensItsViewRecordsSegmentsAndReplays) {
  struct Case {
    int toolType;
    const char* ext;
    int rowWidth;  // the image's bytes a line
    int asked;     // pipe sizes asked
  } cases[] = {{5, "CBL", 480, 1}, {4, "VDL", 960, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ext);
    struct Sizes : qv::PipeSizeService {
      int asked = 0;
      void Ask(qv::PipeSizeValues&) override { ++asked; }
    } sizes;
    qv::PipeSizeService* previous = SetCementBondPipeSizeService(&sizes);
    boxes.clear();
    fs::remove_all(folder / "DATA");
    fs::create_directories(folder / "DATA");
    ScriptWizard(c.toolType, 1, qv::kLogModeTime);
    app->ExecuteCommand(ID_FILE_NEW);
    auto* doc = dynamic_cast<CWaveformLogDoc*>(Active());
    SetCementBondPipeSizeService(previous);
    ASSERT_NE(doc, nullptr) << (boxes.empty() ? "" : boxes[0]);
    EXPECT_EQ(dynamic_cast<CFullWaveDoc*>(doc) != nullptr, c.toolType == 4);
    ASSERT_NE(doc->View(), nullptr);
    EXPECT_EQ(dynamic_cast<CFWSView*>(doc->View()) != nullptr, c.toolType == 4);
    EXPECT_EQ(doc->Waveform().View(), doc->View());
    EXPECT_EQ(sizes.asked, c.asked) << "only the cement-bond log asks for pipe sizes";
    EXPECT_EQ(doc->GetTitle(), (folder / "DATA" / ("WELL." + std::string(c.ext))).string());
    EXPECT_TRUE(std::none_of(boxes.begin(), boxes.end(),
                             [](const std::string& b) { return b == "Sonde type not supported!"; }));
    doc->Engine()->SetClock(pace->Clock());
    g_pSondeControl.load()->OnRecord();
    ASSERT_EQ(doc->LogState(), 0);
    ASSERT_TRUE(pace->RunUntil(pace->Now() + 2000));
    doc->PumpDisplay();
    g_pSondeControl.load()->OnStop();
    ASSERT_EQ(doc->LogState(), 99);
    const auto size = fs::file_size(folder / "DATA" / ("WELL." + std::string(c.ext)));
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 50, 0u);
    EXPECT_EQ(fs::file_size(folder / "DATA" / "WELL.LOG"), size / 50 * 14);
    {
      qv::vdl::VdlEngine& engine = doc->View()->Engine();
      EXPECT_EQ(engine.Geometry().RowWidth(), c.rowWidth);
      EXPECT_EQ(engine.PendingRows(), 0) << "the display took the rows";
      std::lock_guard lock(engine.DisplayLock());
      EXPECT_TRUE(std::any_of(engine.Image(), engine.Image() + c.rowWidth * 100, [](std::uint8_t b) { return b != 0; }))
          << "density lines drawn";
    }
    app->CloseDocument(Active());
    ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));

    PressInitialize();
    app->OpenLogForReplay("WELL", (folder / "DATA" / "WELL.LOG").string());
    auto* replay = dynamic_cast<CWaveformLogDoc*>(Active());
    ASSERT_NE(replay, nullptr) << (boxes.empty() ? "" : boxes.back());
    EXPECT_EQ(dynamic_cast<CFWSView*>(replay->View()) != nullptr, c.toolType == 4);
    ASSERT_NE(replay->Replay(), nullptr);
    EXPECT_TRUE(replay->Waveform().ReadReplayRecord()) << "the replay reads the recorded pairs";
    app->CloseDocument(Active());
    ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  }
}

// File/Replay Log of a recorded cement-bond log (its .LOG has a .CBL
// beside it) opens the cement-bond document and view too.
TEST_F(LogDocTest, ACementBondLogOpensForReplay) {
  cbltest::WriteLog(folder / "DATA", 3, 10, 0, 0, 150);
  PressInitialize();
  app->OpenLogForReplay("WELL", (folder / "DATA" / "WELL.LOG").string());
  auto* doc = dynamic_cast<CCementBondDoc*>(Active());
  ASSERT_NE(doc, nullptr) << (boxes.empty() ? "" : boxes[0]);
  ASSERT_NE(doc->View(), nullptr);
  EXPECT_EQ(doc->View()->Log(), &doc->CementBond());
  EXPECT_FALSE(doc->m_bLive);
  EXPECT_EQ(doc->CementBond().NearGate().GateStart, 201) << "the gates of the log's header";
  EXPECT_TRUE(std::none_of(boxes.begin(), boxes.end(), [](const std::string& b) { return !b.empty(); }));
}

}  // namespace

namespace {

// A sonic layout: channel 1 in track 1, waveforms 1 and 2 in tracks 2 and 3,
// waveform 3 in track 2 under waveform 1.
void SonicLayout(qv::LogWizardResult& r) {
  FourTracks(r);
  const struct {
    int channel, track;
    const char* title;
  } curves[] = {{1, 0, "TT1"}, {13, 2, "WAVE1"}, {14, 3, "WAVE2"}, {15, 2, "WAVE3"}};
  for (const auto& c : curves) {
    auto curve = std::make_unique<CurveRecord>();
    curve->physicalChannel = c.channel;
    curve->firstTrack = curve->lastTrack = c.track;
    curve->headerFlag = curve->scaleFlag = 1;
    curve->scaleMaximum = 1000;
    curve->description = curve->shortTitle = c.title;
    curve->unit = "US";
    curve->lineColour = kCurveColourRef;
    r.curves.push_back(std::move(curve));
  }
  qv::FillChannelTable(r.curves, r.channels);
}

// Every value of a header file as crudini reads it, sorted; empty without crudini.
std::vector<std::string> HeaderValues(const fs::path& hed) {
  QProcess p;
  p.start("crudini", {"--get", "--format=lines", QString::fromStdString(hed.string())});
  if (!p.waitForFinished(60000)) return {};
  std::vector<std::string> lines;
  for (const QByteArray& l : p.readAllStandardOutput().split('\n'))
    if (!l.isEmpty()) lines.push_back(l.toStdString());
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Image pixels that are not white: rows that reached the waveform image.
int ImageRows(const CSonicView& view) {
  const qv::SonicDisplay& d = view.Display();
  int n = 0;
  for (int y = 0; y < d.ImageHeight(); ++y)
    n += d.Image()[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.Stride())] != 0;
  return n;
}

// File/New Log with the shipped sonic sonde opens the sonic document and
// view (the View menu's layout commands act on it), records a log whose
// header lists the waveforms where the records keep them, and the log
// replays through the same view.
TEST_F(LogDocTest, ANewSonicLogOpensItsViewRecordsAndReplays) {
  g_strCurrentSonde = "SONQ";
  OpenerDialogs().wizard = [this](QWidget*, qv::LogWizardResult& r) {
    r.toolType = 10;
    r.logMode = qv::kLogModeTime;
    r.fileName = "WELL";
    r.dataFolder = (folder / "DATA").string() + "/";
    r.sondeAbbreviation = "SONQ";
    r.sondePowerLoaded = 1;
    r.sondePower = {120, 300, 90};
    r.depthScaleIndex = 3;
    SonicLayout(r);
    return true;
  };
  OpenerDialogs().headerEditor = [](CHeaderEditor&) {};
  app->ExecuteCommand(ID_FILE_NEW);
  auto* doc = dynamic_cast<CSonicDoc*>(Active());
  ASSERT_NE(doc, nullptr) << (boxes.empty() ? "" : boxes[0]);
  CSonicView* view = doc->View();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Display().ImageWidth(), 3 * 512);
  EXPECT_TRUE(app->QueryCommand(CSonicView::kChangeLayoutCommand).Enabled());
  EXPECT_TRUE(app->QueryCommand(CSonicView::kChannelDisplayCommand).Enabled());
  app->ExecuteCommand(CSonicView::kChannelDisplayCommand);
  EXPECT_TRUE(view->Sheet().HasWindow());
  EXPECT_TRUE(app->QueryCommand(CSonicView::kChannelDisplayCommand).Checked());
  app->ExecuteCommand(CSonicView::kChannelDisplayCommand);
  EXPECT_FALSE(view->Sheet().HasWindow());

  doc->Engine()->SetClock(pace->Clock());
  g_pSondeControl.load()->OnRecord();
  ASSERT_EQ(doc->LogState(), 0);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 6000));
  doc->PumpDisplay();
  EXPECT_GT(ImageRows(*view), 10) << "records reached the waveform image";
  g_pSondeControl.load()->OnStop();
  ASSERT_EQ(doc->LogState(), 99);
  const fs::path data = folder / "DATA" / "WELL.LGX";
  const auto size = fs::file_size(data);
  EXPECT_GT(size, 0u);
  EXPECT_EQ(size % 3136, 0u);
  CurveArray curves;
  ASSERT_TRUE(ReadCurveRecords(data.string(), &curves));
  ASSERT_EQ(curves.size(), 4u);  // the depth and time columns are not curves
  EXPECT_EQ(curves[0]->physicalChannel, 1);
  EXPECT_EQ(curves[3]->physicalChannel, 15);
  app->ExecuteCommand(ID_FILE_CLOSE);
  ASSERT_TRUE(WaitFor([&] { return IdleIsActive(); }));
  const fs::path hed = folder / "DATA" / "WELL.hed";
  const std::vector<std::string> recorded = HeaderValues(hed);

  PressInitialize();
  CSonicDoc::SetNextComStd(28);  // the replay takes the standard from the log's header
  app->OpenLogForReplay("WELL", data.string());
  auto* replay = dynamic_cast<CSonicDoc*>(Active());
  ASSERT_NE(replay, nullptr) << (boxes.empty() ? "" : boxes[0]);
  ASSERT_NE(replay->View(), nullptr);
  EXPECT_EQ(replay->Sonic().ComStd(), 26);
  EXPECT_EQ(replay->View()->Display().ImageWidth(), 3 * 512);
  EXPECT_EQ(replay->View()->Curves().size(), 4u);

  // The replayed log prints to a PDF: the waveform tracks carry grey strips.
  EXPECT_TRUE(app->QueryCommand(CCurveView::kPrintCommand).Enabled());
  EXPECT_TRUE(app->QueryCommand(CCurveView::kPrintPreviewCommand).Enabled());
  qv::print::LogPagePrinter* printer = replay->View()->PagePrinter();
  ASSERT_NE(printer, nullptr);
  const std::string pdf = (folder / "sonic.pdf").string();
  QPrinter& q = printer->Printer();
  q.setOutputFormat(QPrinter::PdfFormat);
  q.setResolution(150);
  q.setPageSize(QPageSize(QPageSize::A4));
  q.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  printer->SetDialogRunner([&](qv::print::CQVPrintDlg& dlg) {
    if (!dlg.OnInitDialog()) return int(QDialog::Rejected);
    dlg.OptionsPage()->findChild<QCheckBox*>("headerPage")->setChecked(false);
    dlg.OptionsPage()->findChild<QCheckBox*>("continuousMode")->setChecked(false);
    dlg.accept();
    q.setOutputFileName(QString::fromStdString(pdf));
    return dlg.result();
  });
  app->ExecuteCommand(CCurveView::kPrintCommand);
  ASSERT_TRUE(fs::exists(pdf));
  QProcess raster;
  const QString png = QString::fromStdString((folder / "sonic").string());
  raster.start("pdftoppm", {"-r", "150", "-f", "1", "-l", "1", "-gray", QString::fromStdString(pdf), png});
  ASSERT_TRUE(raster.waitForFinished(60000));
  const QImage page(png + "-1.pgm");
  ASSERT_FALSE(page.isNull());
  const std::vector<TrackRecord> cols =
      curveview::CurvePageSource::PrintColumns(replay->View()->Tracks(), printer->Settings(), 0, 0);
  // Greys, not only black and white, down the middle of track 2's strip.
  int greys = 0;
  const int x = cols[2].screenRect.left + (cols[2].screenRect.right - cols[2].screenRect.left) / 8;
  for (int y = page.height() / 4; y < page.height() * 3 / 4; ++y) {
    const int g = qGray(page.pixel(x, y));
    greys += g > 40 && g < 215;
  }
  EXPECT_GT(greys, 20) << "waveform strip in track 2";
  int shown = -1;
  SetAskReplayRunner([&](CAskReplay&) {
    replay->PumpDisplay();
    shown = ImageRows(*replay->View());
    return qv::IDCANCEL;
  });
  replay->Replay()->SetPollPeriod(0);
  g_pReplayControl.load()->Button(ID_REPLAY_DATA)->click();
  EXPECT_TRUE(WaitFor([&] { return IdleIsActive(); })) << "Finish closed the replay";
  EXPECT_GT(shown, 10) << "the replayed records reached the image";
  // Replaying (and printing) the log and closing it leave its header as recorded.
  EXPECT_EQ(HeaderValues(hed), recorded);
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

}  // namespace
