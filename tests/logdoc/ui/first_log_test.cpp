// A new user's first log: a program folder as the build lays it out (the
// shipped sonde database, calibration files and header template, nothing
// else), File/New Log with what the wizard takes from the database for a
// shipped sonde, the winch lowered with the bar's own slider, REC and STP.
// The log reads the simulated well through the shipped calibration: every
// value of the exported LAS file lies inside the channel's display scale and
// is in the channel's unit, not in the unit's counts.
#include <gtest/gtest.h>

#include <QSlider>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/globals.h"
#include "app/startup/startup.h"
#include "app/ui/frames.h"
#include "curveview/curveview.h"
#include "devices/simulator/unit/well.h"
#include "header/header.h"
#include "header/ui/header_editor.h"
#include "logdoc/monitor/live_device.h"
#include "logdoc/monitor/monitor_thread.h"
#include "logdoc/ui/log_doc.h"
#include "logdoc/ui/open_logs.h"
#include "logtools/las/las_export.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/logdoc/document/engine_harness.h"
#include "tests/support/qt_app.h"

namespace {

// The sonde bar's stop waits for nothing here; the monitor polls fast.
class FirstLogTest : public TbdeviceTest {
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
    g_nDepthStepMetric = 50;  // a record every 5 cm
    g_nWinchSpeed = 0;
    g_strDefaultDataFolder.clear();
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
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
  // it names is the database's).
  void Start(const std::string& sonde) {
    g_strCurrentSonde = sonde;
    g_strSondeSerialNo = "1001";
    OpenerDialogs().wizard = [this, sonde](QWidget*, qv::LogWizardResult& r) {
      if (!qv::LoadLogWizardSonde(r, sonde, "1001")) return false;
      r.logMode = qv::kLogModeDown;
      r.fileName = "FIRST";
      r.dataFolder = (folder / "DATA").string() + "/";
      r.calibrationOn = r.calibrationFile.empty() ? 0 : 1;
      r.depthScaleIndex = 3;
      return true;
    };
    OpenerDialogs().headerEditor = [](CHeaderEditor&) {};
    app = std::make_unique<CPemmaroApp>();
    app->SetLockFolder(folder.string());
    ASSERT_TRUE(app->InitInstance());
  }

  std::unique_ptr<qvtest::VirtualPace> pace;
  std::unique_ptr<CPemmaroApp> app;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler prevBox;
  int savedStep = 0, savedSpeed = 0;
};

// The ~A rows of a LAS text, split into numbers.
std::vector<std::vector<double>> LasRows(const std::string& las) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(las.substr(las.find("~A")));
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

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(FirstLogTest, EveryShippedCurveSondeLogsTheWellInItsUnitsInsideItsScales) {
  struct Case {
    const char* sonde;
    const char* extension;
  } cases[] = {{"KSTQ", "LOG"}, {"TWCH", "LGX"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sonde);
    Start(c.sonde);
    // Above the shoe in the pipe, down through the open hole's first beds.
    qv::sim::UnitState state = unit->State();
    state.depth = 1800;
    unit->SetState(state);

    app->ExecuteCommand(ID_FILE_NEW);
    CLogDoc* doc = g_pActiveDoc;
    ASSERT_NE(doc, nullptr);
    ASSERT_FALSE(doc->IsIdleDocument());
    ASSERT_NE(doc->Engine(), nullptr);
    doc->Engine()->SetClock(pace->Clock());
    ASSERT_EQ(doc->Setup().calibrationFile, (folder / "Calibration" / (std::string(c.sonde) + "1001.cal")).string());

    // The winch bar: switched on it lowers at the set point; the slider sets
    // the speed, 12 m/min.
    CWinchControl* winch = g_pWinchControl;
    ASSERT_NE(winch, nullptr);
    winch->OnPower();
    ASSERT_TRUE(winch->PowerOn());
    winch->SpeedSlider()->setValue(12000);
    winch->OnHScroll(true);
    EXPECT_EQ(unit->State().winch[0], 2);
    EXPECT_EQ(unit->State().winch[1], 2) << "two converter steps of six metres a minute";

    g_pSondeControl.load()->OnRecord();
    ASSERT_EQ(doc->LogState(), 0);
    const int32_t from = unit->State().depth;
    ASSERT_TRUE(pace->RunUntil(pace->Now() + 60000));
    EXPECT_NEAR(unit->State().depth - from, 1200, 20) << "a minute at 12 m/min";
    winch->OnStop();
    ASSERT_TRUE(pace->RunUntil(pace->Now() + 200));
    doc->PumpDisplay();
    g_pSondeControl.load()->OnStop();
    ASSERT_EQ(doc->LogState(), 99);
    EXPECT_TRUE(boxes.empty()) << boxes.front();

    // The LAS file of every curve of the log, calibrated by its header.
    const std::string data = (folder / "DATA" / (std::string("FIRST.") + c.extension)).string();
    HeaderInfo header;
    ASSERT_EQ(ReadHeaderInfo(data, &header), 1);
    CurveArray curves;
    ASSERT_EQ(ReadCurveRecords(data, &curves), 1);
    ASSERT_GE(curves.size(), 6u);
    LasExportSettings settings;
    settings.InputPath = data;
    settings.LasPath = (folder / "DATA" / "FIRST.LAS").string();
    settings.CalibrationPath = data;
    settings.TwelveChannel = std::string(c.extension) == "LGX";
    settings.FromDepth = std::min(header.Startdepth, header.EndDepth);
    settings.ToDepth = std::max(header.Startdepth, header.EndDepth);
    settings.Interval = std::abs(header.Step);
    LasChannels channels;
    for (const auto& curve : curves) channels.push_back(curve.get());
    ASSERT_EQ(ExportLas(&settings, &header, &channels), 1);
    const std::string las = ReadAll(settings.LasPath);
    const auto rows = LasRows(las);
    ASSERT_GT(rows.size(), 100u) << las.substr(0, 2000);
    if (getenv("QV_DUMP")) std::cerr << las.substr(0, 4000);

    // The curve lines name the units; the depth is the first column.
    const qv::sim::Well& well = qv::sim::DefaultWell();
    for (size_t k = 0; k < channels.size(); ++k) {
      const CurveRecord& curve = *channels[k];
      SCOPED_TRACE(curve.shortTitle);
      EXPECT_NE(las.find("." + curve.unit + " "), std::string::npos) << curve.unit;
      const size_t column = (settings.TwelveChannel ? 2 : 1) + k;  // a twelve-channel log has a TIME column
      std::vector<double> values;
      for (const auto& row : rows) {
        ASSERT_GT(row.size(), column);
        if (row[column] != kLasNull) values.push_back(row[column]);
      }
      ASSERT_GT(values.size(), rows.size() / 2) << "values, not nulls";
      const auto [low, high] = std::minmax_element(values.begin(), values.end());
      EXPECT_GE(*low, curve.scaleMinimum) << curve.unit;
      EXPECT_LE(*high, curve.scaleMaximum) << curve.unit;
      // The temperature of the well at the log's middle depth, in degrees.
      if (curve.shortTitle == "TEMP") {
        std::vector<double> sorted = values;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        EXPECT_NEAR(sorted[sorted.size() / 2], well.At((from + 600) / 100.0).temperature, 0.5);
      }
      if (curve.shortTitle == "GAM") {
        EXPECT_GT(*high - *low, 30) << "the beds show";
      }
    }

    app->ExitInstance();
    app.reset();
    qvtest::Settle();
    OpenerDialogs() = {};
    ResetLinkState();
    fs::remove_all(folder / "DATA");
    fs::create_directories(folder / "DATA");
    boxes.clear();
  }
}

}  // namespace
