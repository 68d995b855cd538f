// The heat-pulse flowmeter: the speed function, the baseline, the results
// file, the log thread's auto-stop, the plot's grid and curve, and whole
// measurements in the dialog against the simulated unit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/core/globals.h"
#include "app/core/log_document.h"
#include "logdoc/flowmeter/data_display.h"
#include "logdoc/flowmeter/heat_pulse_engine.h"
#include "logdoc/flowmeter/hpfm_dlg.h"
#include "platform/docview/services.h"
#include "platform/parallel/parallel.h"
#include "platform/text/msgbox.h"
#include "tests/devices/tbdevice/fixture.h"
#include "tests/support/qt_app.h"

namespace {

using qv::HeatPulseEngine;
using qv::kHeatPulseOutOfRange;

template <class F>
bool WaitFor(F done, int timeoutMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    qvtest::Settle();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// ---- The speed function.

TEST(HeatPulseSpeed, TableOfTimesDifferentialsUnitsAndFunctions) {
  const auto user = [](double* in, double* out) { out[2] = in[0] / 4; };  // out[0] and out[1] stay 0
  const auto none = [](double*, double*) {};
  struct Case {
    double t, d;
    bool imperial;
    qv::HeatPulseUserFunction fn;
    double speed;
  } cases[] = {
      {10, 0, false, {}, 105.624},
      {10, -3, false, {}, 105.624},
      {10, 3, false, {}, -105.624},
      {10, 0, true, {}, 346.536},
      {10, 3, true, {}, -346.536},
      {0, 0, false, {}, kHeatPulseOutOfRange},
      {30, 0, false, {}, kHeatPulseOutOfRange},
      {50, 0, false, {}, kHeatPulseOutOfRange},
      {10, 0, false, user, 150},
      {10, 1, false, user, -150},
      {10, 0, true, user, 492.126},
      {10, 0, false, none, kHeatPulseOutOfRange},
      // No finite speed is no speed: shown, stored and written as out of range.
      {10, 0, false, [](double*, double* out) { out[0] = std::nan(""); }, kHeatPulseOutOfRange},
      {10, 0, false, [](double*, double* out) { out[0] = -HUGE_VAL; }, kHeatPulseOutOfRange},
      {10, 0, true, [](double*, double* out) { out[0] = 1e307; }, kHeatPulseOutOfRange},
  };
  for (const Case& c : cases) {
    const double v = qv::HeatPulseSpeed(c.t, c.d, c.imperial, c.fn);
    if (c.speed == kHeatPulseOutOfRange)
      EXPECT_EQ(v, kHeatPulseOutOfRange) << c.t << " s";
    else
      EXPECT_NEAR(v, c.speed, 0.0005) << c.t << " s, d " << c.d << (c.imperial ? " ft" : " m");
  }
}

TEST(HeatPulseSpeed, UserFunctionGetsSixTimesAndZeroedRoom) {
  std::vector<double> in, out;
  qv::HeatPulseSpeed(12.5, 0, false, [&](double* i, double* o) {
    in.assign(i, i + 16);
    out.assign(o, o + 16);
    o[15] = 7;  // the last of the 16 outputs is the caller's
  });
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(in[static_cast<size_t>(k)], k < 6 ? 12.5 : 0) << k;
    EXPECT_EQ(out[static_cast<size_t>(k)], 0) << k;
  }
}

TEST(HeatPulseEngine, DifferentialComesFromTheSampleAtTheTimeOrZeroPastThem) {
  HeatPulseEngine e;
  ASSERT_TRUE(e.SetTimeStep(100));
  e.SetBaseline(1000);
  for (int i = 0; i < 150; ++i) e.AppendSample(1500);  // 15 s, above the baseline
  EXPECT_NEAR(e.ComputeFluidSpeed(10000, 12345, false, {}).speed, -105.624, 0.0005);
  // 20 s lies past the samples: differential 0, no sign change.
  const qv::HeatPulseResult past = e.ComputeFluidSpeed(20000, 12345, false, {});
  EXPECT_NEAR(past.speed, 60 * (5.2502 - 1.5156 * std::log(20.0)), 1e-9);
  EXPECT_DOUBLE_EQ(past.depth, 12.345);
  EXPECT_DOUBLE_EQ(past.time, 20.0);
}

TEST(HeatPulseEngine, TimeStepAtOrBelowZeroIsRefused) {
  HeatPulseEngine e;
  ASSERT_TRUE(e.SetTimeStep(150));
  EXPECT_EQ(e.Capacity(), 666);
  for (int step : {0, -1, -150}) {
    EXPECT_FALSE(e.SetTimeStep(step)) << step;
    EXPECT_EQ(e.TimeStep(), 150);
    EXPECT_EQ(e.Capacity(), 666);
  }
}

TEST(HeatPulseEngine, BaselineIsTheMeanOfAtMostTheLastTwentySamples) {
  struct Case {
    int count;
    double baseline;
  } cases[] = {{0, 0}, {1, 1}, {5, 3}, {20, 10.5}, {30, 20.5}};
  for (const Case& c : cases) {
    HeatPulseEngine e;
    ASSERT_TRUE(e.SetTimeStep(100));
    e.SetBaseline(99);
    for (int i = 1; i <= c.count; ++i) e.AppendSample(i);
    EXPECT_DOUBLE_EQ(e.TakeBaseline(), c.baseline) << c.count << " samples";
  }
}

TEST(HeatPulseResults, FileTextInBothUnits) {
  const std::vector<qv::HeatPulseResult> results = {{123.456, 10, 105.624}, {-5.5, 2.25, -346.5362}};
  EXPECT_EQ(qv::FormatHeatPulseResults(results, false),
            "Depth in [m]\tTime in [s]\tFluid Speed in [m/min]\r\n\r\n"
            "    123.456\t 10.000\t\t105.624\r\n"
            "     -5.500\t  2.250\t\t-346.536\r\n");
  EXPECT_EQ(qv::FormatHeatPulseResults(results, true),
            "Depth in [ft]\tTime in [s]\tFluid Speed in [ft/min]\r\n\r\n"
            "    123.456\t 10.000\t\t105.624\r\n"
            "     -5.500\t  2.250\t\t-346.536\r\n");
  EXPECT_EQ(qv::FormatHeatPulseResults({}, false), "Depth in [m]\tTime in [s]\tFluid Speed in [m/min]\r\n\r\n");
}

TEST(HeatPulseResults, OutOfRangeIsMarkedAndEveryRowIsWrittenWhole) {
  char huge[200];  // 1e120 in %.3f: 120 digits and 3 decimals, past a line buffer of 128 with the rest of the row
  std::snprintf(huge, sizeof huge, "%.3f", 1e120);
  ASSERT_EQ(std::strlen(huge), 124u);
  const std::vector<qv::HeatPulseResult> results = {{12.5, 50, kHeatPulseOutOfRange},
                                                    {12.5, 3, 1e120},
                                                    {12.5, 4, std::nan("")},
                                                    {12.5, 5, -HUGE_VAL},
                                                    {12.5, 6, -1.5}};
  EXPECT_EQ(qv::FormatHeatPulseResults(results, false),
            "Depth in [m]\tTime in [s]\tFluid Speed in [m/min]\r\n\r\n"
            "     12.500\t 50.000\t\tOut Of Range\r\n"
            "     12.500\t  3.000\t\t" + std::string(huge) + "\r\n"
            "     12.500\t  4.000\t\tOut Of Range\r\n"
            "     12.500\t  5.000\t\tOut Of Range\r\n"
            "     12.500\t  6.000\t\t -1.500\r\n");
}

// ---- The log thread against a fake unit.

class FakeUnit : public qv::HeatPulseUnit {
 public:
  uint32_t SetLoggingMode(const LoggingModeBlock&, uint32_t) override { return 0; }
  uint32_t GetPacket(SixChannelPacket* p, AnalogStatusBlock*) override {
    p->channel[0] = 700;
    p->rate = 0;  // counts as 50
    return status;
  }
  std::atomic<uint32_t> status{6};
};

class FakeDoc : public LogDocumentShell {
 public:
  int LogState() const override { return 99; }
  bool IsTestMode() const override { return false; }
  bool IsIdleDocument() const override { return true; }
  bool HasLiveDepth() const override { return true; }
  int StartLogging(int) override { return 0; }
  int ResumeWriter() override { return 0; }
  void StopLogging(int) override {}
  int SendSondeCommand(SondeCommandBlock* b) override { return ::SendSondeCommand(b) == 0; }
  int SetSondePower(SondePowerBlock*) override { return 1; }
  int SetWinch(WinchControlBlock*) override { return 1; }
  void SetWinchMode(bool) override {}
  void ComputePollInterval(int) override {}
  void SetDepth(int) override {}
  void OnReplayEnd(bool) override {}
  std::string CalibrationFile() const override { return {}; }
  bool CalibrationIsDataFile() const override { return false; }
  void SetMonitoring(bool on) override { monitoring = on; }
  std::atomic<bool> monitoring{true};
};

class Recorder : public qv::HeatPulseEvents {
 public:
  void SampleAdded(int, int) override { ++samples; }
  void Reading(int, int, int, int, const AnalogStatusBlock&) override {}
  void StopRequested(int, bool keep) override {
    std::lock_guard<std::mutex> l(m);
    stops.push_back(keep);
  }
  void ReadError(int, int code) override { errors = code; }
  std::vector<bool> Stops() {
    std::lock_guard<std::mutex> l(m);
    return stops;
  }
  std::atomic<int> samples{0}, errors{0};
  std::mutex m;
  std::vector<bool> stops;
};

TEST(HeatPulseThread, HeatPulseStopsItselfAtTheCapacityAndKeeps) {
  FakeUnit unit;
  FakeDoc doc;
  Recorder events;
  HeatPulseEngine e;
  e.document = [&] { return &doc; };
  ASSERT_TRUE(e.SetTimeStep(150));
  e.SetState(HeatPulseEngine::kHeatPulse);
  e.StartThread(unit, events, 0, false);
  ASSERT_TRUE(WaitFor([&] { return !events.Stops().empty(); }));
  e.StopThread();
  EXPECT_EQ(events.Stops(), std::vector<bool>{true});  // asked once, keeping
  EXPECT_EQ(e.Count(), 666);
  EXPECT_EQ(e.Samples()[0], 700);
}

TEST(HeatPulseThread, EqualisingRestartsAtTheCapacity) {
  FakeUnit unit;
  FakeDoc doc;
  Recorder events;
  HeatPulseEngine e;
  e.document = [&] { return &doc; };
  ASSERT_TRUE(e.SetTimeStep(150));
  e.SetState(HeatPulseEngine::kEqualising);
  e.StartThread(unit, events, 0, false);
  ASSERT_TRUE(WaitFor([&] { return events.samples > 700; }));
  e.StopThread();
  EXPECT_TRUE(events.Stops().empty());
  EXPECT_LT(e.Count(), 666);
  EXPECT_FALSE(e.ThreadRunning());
}

TEST(HeatPulseThread, ReadErrorOrNoDocumentStopsWithoutKeeping) {
  for (bool withDoc : {true, false}) {
    FakeUnit unit;
    unit.status = 9;
    FakeDoc doc;
    Recorder events;
    HeatPulseEngine e;
    e.document = [&]() -> LogDocumentShell* { return withDoc ? &doc : nullptr; };
    e.SetState(HeatPulseEngine::kHeatPulse);
    e.StartThread(unit, events, 0, false);
    ASSERT_TRUE(WaitFor([&] { return !events.Stops().empty(); }));
    e.StopThread();
    EXPECT_EQ(events.Stops(), std::vector<bool>{false});
    EXPECT_EQ(events.errors, withDoc ? 9 : 0);
    EXPECT_EQ(e.Count(), 0);
  }
}

// ---- The plot.

TEST(HeatPulsePlot, GridTable) {
  struct Case {
    int span, range, lx, fineEvery, coarseEvery;  // fine and coarse steps in fine lines x (span or 2 x range) / lx
  } cases[] = {
      {100000, 2000, 50, 2000, 10000},
      {30000, 2000, 30, 1000, 10000},
      {10000, 2000, 50, 200, 1000},
  };
  for (const Case& c : cases) {
    const qv::HeatPulseGrid g = qv::ComputeHeatPulseGrid(500, 200, c.span, c.range);
    EXPECT_EQ(g.lx, c.lx) << c.span;
    EXPECT_EQ(c.span / g.lx, c.fineEvery) << c.span;
    EXPECT_EQ(c.span / g.lx * 5 * g.sx, c.coarseEvery) << c.span;
  }
  struct VCase {
    int range, ly, fineEvery, coarseEvery;
  } vcases[] = {{2000, 40, 100, 1000}, {100, 20, 10, 100}, {30000, 30, 2000, 10000}};
  for (const VCase& c : vcases) {
    const qv::HeatPulseGrid g = qv::ComputeHeatPulseGrid(500, 200, 100000, c.range);
    EXPECT_EQ(g.ly, c.ly) << c.range;
    EXPECT_EQ(2 * c.range / g.ly, c.fineEvery) << c.range;
    EXPECT_EQ(2 * c.range / g.ly * 5 * g.sy, c.coarseEvery) << c.range;
  }
}

TEST(HeatPulsePlot, CurveMarkerAndEdges) {
  qvtest::App();
  CDataDisplay plot;
  plot.resize(500, 201);
  plot.SetScales(10000, 1000, 100);  // 50 pixels a value, 1 pixel per 1 CPS
  const double values[] = {50, 500, -500, 0, 20, 30, 40, 50, 60, 70, 80, 90};
  plot.SetData(10000, 100, values, 12, 0);
  // Ten values cover the span; the eleventh starts past it and adds nothing new.
  ASSERT_GE(plot.PointCount(), 500);
  const auto& p = plot.Points();
  EXPECT_EQ(p[10].y(), 100 - 50);
  EXPECT_EQ(p[60].y(), 0);     // above +range: the top edge
  EXPECT_EQ(p[110].y(), 200);  // below -range: the bottom edge
  EXPECT_EQ(p[160].y(), 100);
  plot.SetMarker(10000);
  EXPECT_EQ(plot.MarkerX(), 499);
  plot.SetMarker(10001);
  EXPECT_EQ(plot.Marker(), 10000);
  plot.SetMarker(2500);
  const QImage img = plot.grab().toImage();
  EXPECT_EQ(img.pixel(125, 30) & 0xFFFFFF, CDataDisplay::kMarker);
  EXPECT_EQ(img.pixel(30, 50) & 0xFFFFFF, CDataDisplay::kCurve);
  EXPECT_EQ(img.pixel(250, 30) & 0xFFFFFF, CDataDisplay::kCoarse);  // every 1 s: 5 s is coarse
  EXPECT_EQ(img.pixel(260, 30) & 0xFFFFFF, CDataDisplay::kFine);    // 0.2 s lines
}

// ---- The dialog against the simulated unit.

// The chart recorder's port: what reached it, or a write that fails.
struct PrintCapture {
  size_t bytes = 0;
  int opened = 0;
};
class CapturePort : public qv::ParallelPort {
 public:
  CapturePort(PrintCapture* c, bool fail) : c_(c), fail_(fail) { ++c_->opened; }
  bool Write(const uint8_t*, size_t n) override {
    if (fail_) return false;
    c_->bytes += n;
    return true;
  }

 private:
  PrintCapture* c_;
  bool fail_;
};

class BarRecorder : public qv::MonitorSink {
 public:
  void UpdateStatus(int, uint8_t, uint8_t, int) override { ++statuses; }
  void UpdateReadings(int, int depth, int) override {
    ++readings;
    lastDepth = depth;
  }
  std::atomic<int> statuses{0}, readings{0}, lastDepth{-1};
};

class FlowmeterDialogTest : public TbdeviceTest {
 public:
  void SetUp() override {
    TbdeviceTest::SetUp();
    BringUp();
    qvtest::App();
    SetLogDocumentResolver([](CLogDoc* d) -> LogDocumentShell* { return reinterpret_cast<FakeDoc*>(d); });
    g_pActiveDoc = reinterpret_cast<CLogDoc*>(&doc);
    g_bSondePowerOn = 1;
    g_bUtilityActive = 0;
    g_nDepthUnits = 0;
    g_nTimeStep = 50;
    g_strCurrentSonde = "HPFM";
    qv::HeatPulseTimingTable() = {0, 0};
    prevBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
    prevBeep = qv::SetBeepHandler([this](unsigned) { ++beeps; });
    qv::sim::FlowScript flow;
    flow.speed = 200;  // peaks 3.5 s after firing
    flow.up = false;
    unit->SetFlow(flow);
  }
  void TearDown() override {
    dlg.reset();
    g_pActiveDoc = nullptr;
    g_bUtilityActive = 0;
    g_bSondePowerOn = 0;
    qv::HeatPulseTimingTable() = {};
    qv::SetMessageBoxHandler(prevBox);
    qv::SetBeepHandler(prevBeep);
    TbdeviceTest::TearDown();
  }
  void Open() {
    dlg = std::make_unique<CHPFMDlg>();
    dlg->SetCurrentDepth(152500);
    dlg->SetCpsRange(2000);
    dlg->SetTimeStep(g_nTimeStep);
    dlg->SetBars(&bars);
    ASSERT_TRUE(dlg->Create());
  }
  // Prints the dialog's result; answers: the printer error box's answers, in turn.
  PrintCapture Print(std::vector<int> answers, bool fail = false) {
    PrintCapture capture;
    const int savedPort = g_nRecorderPort;
    g_nRecorderPort = 1;
    qv::SetParallelPortOpener([&](int) { return std::make_unique<CapturePort>(&capture, fail); });
    auto prev = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      if (answers.empty()) return static_cast<int>(qv::IDCANCEL);
      const int a = answers.front();
      answers.erase(answers.begin());
      return a;
    });
    dlg->OnPrint();
    qv::SetMessageBoxHandler(prev);
    qv::SetParallelPortOpener(nullptr);
    g_nRecorderPort = savedPort;
    return capture;
  }

  // Moves the unit's clock one time step at a time until the dialog holds n
  // samples: a step once the last one was read (or after a quiet while), so
  // that the unit's queue never runs over.
  void RecordUntil(int n) {
    int last = -1;
    auto since = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor(
        [&] {
          const int count = dlg->Engine().Count();
          if (count >= n) return true;
          if (count != last || std::chrono::steady_clock::now() - since > std::chrono::milliseconds(200)) {
            last = count;
            since = std::chrono::steady_clock::now();
            clock->Advance(50);
          }
          return false;
        },
        60000));
  }

  FakeDoc doc;
  BarRecorder bars;
  std::unique_ptr<CHPFMDlg> dlg;
  std::vector<std::string> boxes;
  int beeps = 0;
  qv::MessageBoxHandler prevBox;
  std::function<void(unsigned)> prevBeep;
};

TEST_F(FlowmeterDialogTest, OpensIdleAtHalfTheSpanOutOfRange) {
  Open();
  EXPECT_EQ(g_bUtilityActive, 1);
  EXPECT_EQ(dlg->Slider().value(), 50000);
  EXPECT_EQ(dlg->InterpretationText(), "Time: 50.000 [s], Speed: out of range");
  EXPECT_EQ(dlg->DepthText(), "152.500 [m]");
  EXPECT_EQ(dlg->CpsCombo().currentText(), "2000");
  EXPECT_EQ(dlg->SpeedFunctionCombo().currentText(), "Internal");
  EXPECT_TRUE(dlg->Button(2539).isEnabled());
  EXPECT_TRUE(dlg->Button(1).isEnabled());
  for (int id : {2537, 2542, 2544, 2546}) EXPECT_FALSE(dlg->Button(id).isEnabled()) << id;
  dlg->OnFireHeaters();  // outside state 0 only beeps; here it is idle, so check a busy state next
  dlg->OnDiscard();
  EXPECT_EQ(dlg->Engine().State(), HeatPulseEngine::kIdle);
}

TEST_F(FlowmeterDialogTest, MeasurementFromEqualiseToStoreReadsTheScriptedSpeed) {
  Open();
  dlg->OnEqualise();
  ASSERT_EQ(dlg->Engine().State(), HeatPulseEngine::kEqualising);
  EXPECT_FALSE(doc.monitoring);
  RecordUntil(30);
  EXPECT_GE(bars.readings, 30);  // the bars follow the unit while the monitor is held
  EXPECT_GE(bars.statuses, 30);
  EXPECT_EQ(bars.lastDepth, 0);
  const int beepsBefore = beeps;
  dlg->OnFireHeaters();  // not idle: a beep and nothing else
  EXPECT_EQ(beeps, beepsBefore + 1);
  dlg->OnDiscard();  // takes the baseline
  EXPECT_NEAR(dlg->Engine().Baseline(), 20000, 1);
  EXPECT_TRUE(doc.monitoring);
  ASSERT_TRUE(dlg->Button(2537).isEnabled());
  dlg->OnFireHeaters();
  ASSERT_EQ(dlg->Engine().State(), HeatPulseEngine::kHeatPulse);
  RecordUntil(160);  // 8 s
  dlg->OnAccept();
  ASSERT_EQ(dlg->Engine().State(), HeatPulseEngine::kKept);
  EXPECT_FALSE(dlg->Engine().ThreadRunning());
  EXPECT_EQ(dlg->Button(2542).text(), "&Store");
  EXPECT_TRUE(dlg->Button(2546).isEnabled());
  qvtest::Settle();
  EXPECT_GT(dlg->Display().PointCount(), 0);
  // The interpretation point at the peak of the pulse.
  const double* s = dlg->Engine().Samples();
  int peak = 0;
  for (int i = 1; i < dlg->Engine().Count(); ++i)
    if (s[i] > s[peak]) peak = i;
  dlg->Slider().setValue(peak * 50);
  const double t = peak * 0.05;
  // Flow down: a positive differential, so the speed is negative. The
  // function changes by about 26 m/min per second here; two time steps of
  // record timing are within its resolution.
  EXPECT_NEAR(dlg->Result().speed, -200, 1.5156 * 60 / t * 0.1);
  EXPECT_TRUE(dlg->InterpretationText().startsWith(QString::asprintf("Time: %.3f [s], Speed: -", t)));
  if (const char* hold = std::getenv("QV_FLOWMETER_HOLD_MS")) {  // to look at the dialog on a display
    dlg->TimescaleCombo().setCurrentIndex(0);                    // 10 s
    dlg->OnSelChangeTimescale();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(hold));
    while (std::chrono::steady_clock::now() < end) qvtest::Settle();
  }
  const qv::HeatPulseResult kept = dlg->Result();
  // Print sends the sheet to the chart recorder: 900 raster lines of 216 bytes.
  const PrintCapture sheet = Print({});
  EXPECT_GE(sheet.bytes, 900u * 216u);
  EXPECT_TRUE(boxes.empty());
  dlg->OnAccept();  // Store
  ASSERT_EQ(dlg->Engine().Results().size(), 1u);
  EXPECT_EQ(dlg->Engine().Results()[0], kept);
  EXPECT_EQ(dlg->Engine().State(), HeatPulseEngine::kIdle);
  EXPECT_FALSE(dlg->Button(2537).isEnabled());  // the next pulse needs an equalisation
  // Exit with a stored result saves it first.
  const std::string path = (folder / "results.txt").string();
  auto prevFile = qv::SetFileDialogHandler([&](const qv::FileDialogRequest& r) {
    EXPECT_EQ(r.title, "Save Interpretation Results");
    return path;
  });
  dlg->OnOK();
  qv::SetFileDialogHandler(prevFile);
  EXPECT_FALSE(dlg->HasWindow());
  EXPECT_EQ(g_bUtilityActive, 0);
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, qv::FormatHeatPulseResults({kept}, false));
}

// An equalisation plots at the largest CPS scale; once it ends the plot is
// back at the user's scale, also after a second equalisation in a row, and
// the heat pulse is fired at it.
TEST_F(FlowmeterDialogTest, TheCpsScaleReturnsAfterEqualising) {
  Open();
  ASSERT_EQ(dlg->CpsCombo().currentText(), "2000");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    dlg->OnEqualise();
    EXPECT_EQ(dlg->CpsCombo().currentText(), "30000");
    EXPECT_EQ(dlg->CpsRange(), 30000);
    RecordUntil(5);
    dlg->OnDiscard();
    EXPECT_EQ(dlg->CpsCombo().currentText(), "2000");
    EXPECT_EQ(dlg->CpsRange(), 2000);
  }
  dlg->OnEqualise();
  RecordUntil(5);
  dlg->OnDiscard();
  dlg->OnFireHeaters();
  EXPECT_EQ(dlg->CpsRange(), 2000);
  dlg->OnDiscard();
}

TEST_F(FlowmeterDialogTest, ClosingMidMeasurementLeavesNoThread) {
  for (bool equalise : {true, false}) {
    Open();
    if (equalise) {
      dlg->OnEqualise();
    } else {
      dlg->OnDiscard();  // idle with Fire Heaters on
      dlg->OnFireHeaters();
    }
    RecordUntil(5);
    dlg->OnOK();
    EXPECT_FALSE(dlg->Engine().ThreadRunning());
    EXPECT_EQ(dlg->Engine().State(), HeatPulseEngine::kIdle);
    EXPECT_EQ(g_bUtilityActive, 0);
    qvtest::Settle();
    dlg.reset();
  }
}

TEST_F(FlowmeterDialogTest, ARefusedUserFunctionLeavesTheInternalFunction) {
  Open();
  EXPECT_FALSE(dlg->LoadUserProcess((folder / "missing.so").string()));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Could not load user process file!");
  EXPECT_EQ(dlg->SpeedFunctionCombo().currentText(), "Internal");
  dlg->Slider().setValue(10000);
  EXPECT_EQ(dlg->InterpretationText(), "Time: 10.000 [s], Speed: 105.624 [m/min]");
}

TEST_F(FlowmeterDialogTest, APrinterErrorIsAskedAndRetryPrintsAgain) {
  Open();
  const PrintCapture failed = Print({qv::IDRETRY, qv::IDCANCEL}, true);
  EXPECT_EQ(failed.opened, 2);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].rfind("Printer communication error !", 0), 0u);
}

TEST_F(FlowmeterDialogTest, SondePowerOffStartsNothing) {
  Open();
  g_bSondePowerOn = 0;
  dlg->OnEqualise();
  EXPECT_EQ(dlg->Engine().State(), HeatPulseEngine::kIdle);
  EXPECT_FALSE(dlg->Engine().ThreadRunning());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Please switch sonde power ON and retry!");
}

TEST_F(FlowmeterDialogTest, TimeStepAtOrBelowZeroOpensNothing) {
  dlg = std::make_unique<CHPFMDlg>();
  dlg->SetTimeStep(0);
  auto prev = qv::SetMessageBoxHandler([](const qv::MessageBoxRequest&) { return qv::IDOK; });
  EXPECT_FALSE(dlg->Create());
  qv::SetMessageBoxHandler(prev);
  EXPECT_FALSE(dlg->HasWindow());
  EXPECT_EQ(g_bUtilityActive, 0);
}

}  // namespace
