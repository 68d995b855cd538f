// One true depth in the televiewer log's outputs: a short televiewer log
// recorded down and one up on the simulated unit through a bed boundary of
// the simulated well that the wall's echo amplitude shows, and the boundary
// read back from the view's image rows, the chart recorder's rows, the
// printed page (PDF, through poppler) and a replay of the log, each row at
// the depth its output's labels give it. The log has no LAS export: its
// records are images, not curves.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "app/ui/bars.h"
#include "app/ui/pemmaro_app.h"
#include "logdoc/replayctl/replay_control.h"
#include "logdoc/replayui/ask_replay.h"
#include "logdoc/replayui/replay_dlg.h"
#include "tests/acceptance/depth_case.h"
#include "tests/acceptance/simulated_program.h"
#include "tests/acceptance/televiewer_outputs.h"
#include "tests/support/run_tool.h"
#include "tools/televiewer/bhtv_view.h"

namespace qvtest {
namespace {

// A row of the table: a log, and the depth step its header is given before
// the log is replayed and printed (0: the step it was recorded with), as a
// log recorded with the system depth step in its header holds it.
struct TeleviewerCase {
  DepthCase log;
  int headerStep = 0;
};

void PrintTo(const TeleviewerCase& c, std::ostream* os) {
  *os << c.log.name;
}

// The sand from 7 m gives way to shale at 13.0 m, inside the casing: the
// softer shale returns a weaker echo off the pipe's wall. The televiewer
// sweeps with each turn of its head whatever the system depth step, and each
// sweep counts the depth counts it moved.
constexpr unsigned kTeleviewerOutputs = kView | kChart | kPage | kReplay;
const TeleviewerCase kTeleviewerCases[] = {
    {{"BTVS_down", "BTVS", qv::kLogModeDown, 13.0, "AMP", 10.5, 15.5, kTeleviewerOutputs}},
    {{"BTVS_up", "BTVS", qv::kLogModeUp, 13.0, "AMP", 15.5, 10.5, kTeleviewerOutputs}},
    {{"BTVS_down_5cm_step", "BTVS", qv::kLogModeDown, 13.0, "AMP", 10.5, 15.5, kTeleviewerOutputs, 50}},
    {{"BTVS_up_5cm_step", "BTVS", qv::kLogModeUp, 13.0, "AMP", 15.5, 10.5, kTeleviewerOutputs, 50}},
    {{"BTVS_down_5cm_in_header", "BTVS", qv::kLogModeDown, 13.0, "AMP", 10.5, 15.5, kPage | kReplay}, 50},
    {{"BTVS_up_5cm_in_header", "BTVS", qv::kLogModeUp, 13.0, "AMP", 15.5, 10.5, kPage | kReplay}, 50},
};

CBHTVView* TeleviewerViewOf(CLogDoc& doc) {
  for (qv::View* view : doc.Views())
    if (auto* v = dynamic_cast<CBHTVView*>(view)) return v;
  return nullptr;
}

// What the televiewer's head reads of the well: its echo amplitude.
const qv::sim::ChannelModel kEcho = {"AMP", 0, 0, 1, [](const qv::sim::Formation&, double metres) {
                                       return qv::sim::TeleviewerAmplitude(qv::sim::DefaultWell(), metres);
                                     }};

class TeleviewerDepthTest : public SimulatedProgram, public ::testing::WithParamInterface<TeleviewerCase> {};

// Where an output puts the boundary, against where the head's reading of
// the well puts it at the same depths.
void ExpectAt(const char* output, const DepthSamples& samples, const DepthCase& c, double tolerance) {
  const double lo = c.boundary - 2, hi = c.boundary + 2;
  const double found = BoundaryDepth(samples, lo, hi);
  const double truth = TrueBoundary(samples, kEcho, 0, lo, hi);
  EXPECT_NEAR(truth, c.boundary, 0.1) << output << ": the boundary the head sees";
  EXPECT_NEAR(found, truth, tolerance) << output << ": " << samples.size() << " samples";
}

TEST_P(TeleviewerDepthTest, TheBoundaryLiesAtItsDepthInEveryOutput) {
  const DepthCase& c = GetParam().log;
  logMode = c.logMode;
  depthStep = c.depthStep;
  chart = (c.outputs & kChart) != 0;
  depthScaleIndex = 3;  // 1:100
  std::unique_ptr<TeleviewerTape> tape = chart ? std::make_unique<TeleviewerTape>() : nullptr;
  Start(c.sonde);
  const auto counts = [](double metres) { return static_cast<int32_t>(std::lround(metres * 100)); };
  CLogDoc* doc = Record(counts(c.from), static_cast<int>(std::abs(counts(c.to) - counts(c.from)) * 50));
  ASSERT_NE(doc, nullptr);
  CBHTVView* view = TeleviewerViewOf(*doc);
  ASSERT_NE(view, nullptr);

  // The view draws its amplitude image from channel 1: the sonde names that
  // channel so in the heading and on the page.
  const auto amplitude = std::find_if(view->Curves().begin(), view->Curves().end(),
                                      [](const CurveRecord& k) { return k.physicalChannel == 1; });
  ASSERT_NE(amplitude, view->Curves().end());
  EXPECT_EQ(amplitude->shortTitle, c.curve);

  HeaderInfo header;
  ASSERT_EQ(ReadHeaderInfo(doc->Engine()->DataFilePath(), &header), 1);
  const double metres = 1.0;  // the program counts in metres
  const double step = std::abs(header.Step) / 1000.0 * metres;
  // A row of the view is a sweep (a centimetre at this speed), a row of the
  // page or the chart no more than 1/200 inch of paper at 1:100.
  const double row = 0.0254 / 200 * 100;
  const double tolerance = step + row;

  if (c.outputs & kView) ExpectAt("view", TeleviewerViewSamples(*view, metres), c, tolerance);
  if (c.outputs & kChart) {
    EXPECT_GT(tape->Rows(), 0) << "the chart printed";
    ExpectAt("chart", tape->Samples(metres), c, tolerance);
  }

  if (!(c.outputs & (kReplay | kPage))) return;
  // The recorded log, replayed to its end; its pages are printed from the replay.
  DepthSamples replayed;
  // A row with a header step stands for a log recorded with that step in its
  // header: the closed log's header is rewritten before the replay.
  const int headerStep = GetParam().headerStep;
  const auto rewriteStep = [headerStep](const std::string& data) {
    if (headerStep == 0) return;
    HeaderInfo closed;
    ASSERT_EQ(ReadHeaderInfo(data, &closed), 1);
    closed.Step = closed.Step < 0 ? -headerStep : headerStep;
    ASSERT_EQ(WriteHeaderInfo(data, &closed, nullptr), 1);
  };
  CLogDoc* replay = ReplayToEnd(
      doc,
      [&](CLogDoc& r) {
        if (CBHTVView* v = TeleviewerViewOf(r)) replayed = TeleviewerViewSamples(*v, metres);
      },
      rewriteStep);
  ASSERT_NE(replay, nullptr);
  CBHTVView* replayView = TeleviewerViewOf(*replay);
  ASSERT_NE(replayView, nullptr);
  if (c.outputs & kReplay) ExpectAt("replay", replayed, c, tolerance);
  if (c.outputs & kPage) {
    const std::string out = (folder / "print").string();
    std::filesystem::create_directories(out);
    const std::string pdf =
        PrintCurveToPdf(replayView->PagePrinter(), replayView->Curves(), 1, out, replayView->window());
    ASSERT_FALSE(pdf.empty()) << "the log printed";
    ExpectAt("printed page", TeleviewerPageSamples(pdf, out, metres), c, tolerance + row);
    // The strip's header carries its scale: the azimuths round the hole.
    const QStringList words = QString::fromStdString(RunTool("pdftotext", {QString::fromStdString(pdf), "-"}))
                                  .split(QRegularExpression("\\s+"));
    for (const char* azimuth : {"0", "90", "180", "270", "360"})
      EXPECT_TRUE(words.contains(QString::fromLatin1(azimuth))) << "the printed track header's scale: " << azimuth;
  }
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

INSTANTIATE_TEST_SUITE_P(Logs, TeleviewerDepthTest, ::testing::ValuesIn(kTeleviewerCases),
                         [](const ::testing::TestParamInfo<TeleviewerCase>& info) { return info.param.log.name; });

}  // namespace
}  // namespace qvtest
