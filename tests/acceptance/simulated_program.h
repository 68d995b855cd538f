// The simulated program the whole-program tests run: the fixture that starts
// the program on the simulated unit and records a log through its bars, and
// where a curve's step between two beds lies in a run of depth samples.
#pragma once

#include <gtest/gtest.h>

#include <QSlider>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/globals.h"
#include "app/core/log_modes.h"
#include "app/logwindows/open_logs.h"
#include "app/startup/startup.h"
#include "app/ui/frames.h"
#include "app/ui/log_wizard.h"
#include "curveview/curveview.h"
#include "devices/simulator/unit/sonde_data.h"
#include "devices/simulator/unit/well.h"
#include "header/header.h"
#include "header/ui/header_editor.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "logdoc/replayctl/replay_control.h"
#include "logdoc/replayui/ask_replay.h"
#include "logdoc/replayui/replay_dlg.h"
#include "logdoc/ui/log_doc.h"
#include "logtools/las/las_export.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/logdoc/document/engine_harness.h"
#include "tests/support/qt_app.h"

namespace qvtest {

// A new user's program on the simulated unit: a program folder as the build
// lays it out (the shipped sonde database, calibration files and header
// template, nothing else), File/New Log with what the wizard takes from the
// database for a shipped sonde, the winch driven with the bar's own slider,
// REC and STP, all on the unit's virtual clock. The sonde bar's stop waits
// for nothing here; the monitor polls fast.
class SimulatedProgram : public TbdeviceTest {
  static constexpr unsigned kStrHeaderRequired = 32380;  // "Is a header required?"

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
    savedStep = g_nDepthStepMetric;
    savedSpeed = g_nWinchSpeed;
    g_nWinchSpeed = 0;
    g_strDefaultDataFolder.clear();
    // The chart's heading question is answered No; every other box counts.
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      if (r.id == kStrHeaderRequired) return qv::IDNO;
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    qv::MonitorTimingTable() = {5, 5, 5};
    qv::LiveDeviceTimingTable() = {0, 10};
    CSondeControl::SetStopPause(0);
    WriteFirmware();
    // The program folder of a fresh installation.
    const fs::path shipped(QV_PROGRAM_DIR);
    for (const char* sub : {"SondeDB", "Calibration", "Header"})
      fs::copy(shipped / sub, folder / sub, fs::copy_options::recursive);
    fs::create_directories(folder / "DATA");
    InstallLogDocuments();
    OpenerDialogs() = {};
    SetTrailerDialogRunner([](TrailerText&, const std::string&) { return true; });
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
    g_nDepthStepMetric = savedStep;
    g_nWinchSpeed = savedSpeed;
    TbdeviceTest::TearDown();
  }

  // Starts the program with the sonde chosen; the wizard answers with what
  // the real one takes from the database for that sonde, logging down, with
  // its Calibration box ticked (the box starts clear; the coefficient file
  // it names is the database's). The log goes the way of `logMode`.
  // The program counts depth in `feet` (System Settings' depth unit) or
  // metres, a record every `depthStep` (System Settings' metric step): the
  // program reads both from its settings file as it starts.
  void Start(const std::string& sonde) {
    ASSERT_TRUE(
        qv::WritePrivateProfileString("SystemParameters", "DephUnits", feet ? "1" : "0", qv::ProgramProfileFile()));
    ASSERT_TRUE(qv::WritePrivateProfileString("SystemParameters", "DepthStepMetric", std::to_string(depthStep).c_str(),
                                              qv::ProgramProfileFile()));
    g_strCurrentSonde = sonde;
    g_strSondeSerialNo = "1001";
    OpenerDialogs().wizard = [this, sonde](QWidget*, qv::LogWizardResult& r) {
      if (!qv::LoadLogWizardSonde(r, sonde, "1001")) return false;
      // The wizard offers the televiewer its asynchronous mode alone (a sweep
      // per turn of the head); `logMode` then says only which way the winch goes.
      r.logMode = r.toolType == qv::kToolTeleviewer ? qv::kLogModeAsync : logMode;
      r.fileName = "FIRST";
      r.dataFolder = (folder / "DATA").string() + "/";
      r.calibrationOn = r.calibrationFile.empty() ? 0 : 1;
      r.depthScaleIndex = depthScaleIndex;
      r.printerOutput = chart ? 1 : 0;
      return true;
    };
    OpenerDialogs().headerEditor = [](CHeaderEditor&) {};
    app = std::make_unique<CPemmaroApp>();
    app->SetLockFolder(folder.string());
    ASSERT_TRUE(app->InitInstance());
  }

  // With the program started: the counter at `from` (counts), New Log, the
  // winch switched on at the slider's 12 (20 counts a second) the log's way,
  // REC, `ms` of logging, STP.
  CLogDoc* Record(int32_t from, int ms) {
    qv::sim::UnitState state = unit->State();
    state.depth = from;
    unit->SetState(state);

    app->ExecuteCommand(ID_FILE_NEW);
    CLogDoc* doc = g_pActiveDoc;
    EXPECT_NE(doc, nullptr);
    if (!doc) return nullptr;
    EXPECT_FALSE(doc->IsIdleDocument());
    EXPECT_NE(doc->Engine(), nullptr);
    if (!doc->Engine()) return nullptr;
    // The writer runs on real time: the log's clock waits for it.
    pace->HoldWhile(qvtest::VirtualPace::WriterBehind(doc->Engine()));
    doc->Engine()->SetClock(pace->Clock());

    // The winch bar: switched on it lowers at the set point; the slider sets
    // the speed, 12 m/min.
    CWinchControl* winch = g_pWinchControl;
    EXPECT_NE(winch, nullptr);
    if (!winch) return nullptr;
    winch->OnPower();
    EXPECT_TRUE(winch->PowerOn());
    winch->SpeedSlider()->setValue(12000);
    winch->OnHScroll(true);
    if (logMode == qv::kLogModeUp) winch->OnUp();
    EXPECT_EQ(unit->State().winch[0], logMode == qv::kLogModeUp ? 1 : 2);
    EXPECT_EQ(unit->State().winch[1], 2) << "two converter steps of six metres a minute";

    g_pSondeControl.load()->OnRecord();
    EXPECT_EQ(doc->LogState(), 0);
    // The program's event loop runs as the log goes on: what the record
    // thread posts to the user-interface thread (the chart's start depth, the
    // display's flushes) is taken up in the order it was posted.
    bool running = true;
    for (int done = 0; done < ms;) {
      const int slice = std::min(500, ms - done);
      // A log that ended by itself has no reading loop left to drive the
      // clock: waiting on for it would only stall the test slice by slice.
      if (!pace->RunUntil(pace->Now() + slice)) {
        ADD_FAILURE() << "the log's reading loop stopped at " << pace->Now()
                      << " ms: " << (boxes.empty() ? std::string("no message") : boxes.front());
        running = false;
        break;
      }
      qvtest::Settle();
      done += slice;
    }
    EXPECT_NEAR(std::abs(unit->State().depth - from), 1200 * ms / 60000, 20) << "20 counts a second";
    winch->OnStop();
    if (running) {
      EXPECT_TRUE(pace->RunUntil(pace->Now() + 200));
    }
    doc->PumpDisplay();
    g_pSondeControl.load()->OnStop();
    EXPECT_EQ(doc->LogState(), 99);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    return doc;
  }

  // The LAS file of every curve of the log, calibrated by its header.
  std::string ExportAll(const std::string& data, bool twelve, const HeaderInfo& header, const CurveArray& curves) {
    LasExportSettings settings;
    settings.InputPath = data;
    settings.LasPath = (folder / "DATA" / "FIRST.LAS").string();
    settings.CalibrationPath = data;
    settings.TwelveChannel = twelve;
    settings.FromDepth = std::min(header.Startdepth, header.EndDepth);
    settings.ToDepth = std::max(header.Startdepth, header.EndDepth);
    settings.Interval = std::abs(header.Step);
    LasChannels channels;
    for (const auto& curve : curves) channels.push_back(curve.get());
    EXPECT_EQ(ExportLas(&settings, &header, &channels), 1);
    return ReadAll(settings.LasPath);
  }

  // Closes the recorded log and replays its data file to the end with the
  // replay settings as they come; atEnd sees the replay when it reaches the
  // end of the data (it stays open there, paused); beforeReplay, if given,
  // sees the closed log's data file first. Gives the replay, or null with the
  // failure recorded.
  CLogDoc* ReplayToEnd(CLogDoc* live, const std::function<void(CLogDoc&)>& atEnd,
                       const std::function<void(const std::string& data)>& beforeReplay = {}) {
    const std::string data = live->Engine()->DataFilePath();
    app->CloseDocument(live);
    if (!qvtest::SpinUntil([] {
          CLogDoc* active = g_pActiveDoc;
          return active && active->IsIdleDocument();
        })) {
      ADD_FAILURE() << "the recorded log closed";
      return nullptr;
    }
    if (beforeReplay) {
      beforeReplay(data);
      if (::testing::Test::HasFatalFailure()) return nullptr;
    }
    OpenerDialogs().replaySettings = [](CReplayDlg& dialog) {
      if (dialog.Initialise()) dialog.OnOK();
      return dialog.Result();
    };
    auto ends = std::make_shared<int>(0);
    SetAskReplayRunner([ends, atEnd](CAskReplay& dialog) {
      dialog.EnsureInitialised();
      CLogDoc* replay = g_pActiveDoc;
      replay->PumpDisplay();
      atEnd(*replay);
      ++*ends;
      return qv::IDOK;  // stays open, paused at the end
    });
    app->OpenLogForReplay("FIRST", data);
    CLogDoc* replay = g_pActiveDoc;
    CReplayControl* bar = g_pReplayControl;
    if (!replay || !replay->Replay() || !bar) {
      ADD_FAILURE() << "the log opened for replay";
      return nullptr;
    }
    replay->Replay()->SetPollPeriod(0);
    bar->Button(ID_REPLAY_DATA)->click();
    if (!qvtest::SpinUntil([ends] { return *ends > 0; })) {
      ADD_FAILURE() << "the replay reached the end of the data";
      return nullptr;
    }
    return replay;
  }

  // Closes the program and empties the data folder for the next case.
  void Finish() {
    if (app) app->ExitInstance();
    app.reset();
    qvtest::Settle();
    OpenerDialogs() = {};
    ResetLinkState();
    fs::remove_all(folder / "DATA");
    fs::create_directories(folder / "DATA");
    boxes.clear();
  }

  static std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  int logMode = qv::kLogModeDown;
  bool feet = false;
  int depthStep = 10;       // thousandths of a metre: a record every centimetre
  int depthScaleIndex = 3;  // 1:100
  bool chart = false;       // the log prints on the chart recorder as it records
  std::unique_ptr<qvtest::VirtualPace> pace;
  std::unique_ptr<CPemmaroApp> app;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler prevBox;
  int savedStep = 0, savedSpeed = 0;
};

// The ~A rows of a LAS text, split into numbers.
inline std::vector<std::vector<double>> LasRows(const std::string& las) {
  std::vector<std::vector<double>> rows;
  const auto at = las.find("~A");
  if (at == std::string::npos) return rows;
  std::istringstream in(las.substr(at));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    double v;
    while (fields >> v) row.push_back(v);
    if (!row.empty()) rows.push_back(std::move(row));
  }
  return rows;
}

// Where a curve steps from its upper bed's level to its lower bed's between
// lo and hi (metres): lo plus the share of the samples (evenly spaced in
// depth) that still read the upper bed's side of the midway level. NaN with
// too few samples.
inline double BoundaryDepth(std::vector<std::pair<double, double>> samples, double lo, double hi) {
  std::erase_if(samples, [&](const auto& s) { return s.first < lo || s.first > hi || !std::isfinite(s.second); });
  if (samples.size() < 40) return std::nan("");
  auto median = [&](double from, double to) {
    std::vector<double> v;
    for (const auto& s : samples)
      if (s.first >= from && s.first <= to) v.push_back(s.second);
    if (v.empty()) return std::nan("");
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  const double upper = median(lo, lo + 1.5), lower = median(hi - 1.5, hi);
  const double level = (upper + lower) / 2;
  const auto above = std::count_if(samples.begin(), samples.end(),
                                   [&](const auto& s) { return (s.second - level) * (upper - lower) > 0; });
  return lo + (hi - lo) * static_cast<double>(above) / static_cast<double>(samples.size());
}

// The same estimate for what the channel's sensor reads of the well itself
// at the same depths, each `below` metres above the labelled depth: where
// the boundary belongs.
inline double TrueBoundary(std::vector<std::pair<double, double>> samples, const qv::sim::ChannelModel& model,
                           double below, double lo, double hi) {
  const qv::sim::Well& well = qv::sim::DefaultWell();
  for (auto& s : samples)
    if (std::isfinite(s.second)) s.second = model.value(well.At(s.first - below), s.first - below);
  return BoundaryDepth(std::move(samples), lo, hi);
}

}  // namespace qvtest
