// The cement-bond view's chart recorder output through a fake recorder: the
// order of the chart's calls, the rows and curve positions it gets, the legend
// and layout edits, and the printer error path of a failed write.
#include "tools/cementbond/cbl_chart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QThread>
#include <atomic>
#include <mutex>

#include "app/core/globals.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "platform/text/msgbox.h"
#include "tests/support/gui_boxes.h"
#include "tests/support/qt_app.h"
#include "tests/support/watchdog.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_view.h"

namespace {

struct Journal {
  std::mutex m;
  std::vector<std::string> calls;
  std::vector<std::vector<std::uint8_t>> rows;
  std::vector<std::vector<double>> values;
  curveview::ChartRecorderArgs args;
  std::string failOn;  // a call that throws, as a failed port write does
  bool boxOnHeading = false;  // the heading raises a box, as an unreadable logo does
  int made = 0;
  void Add(const std::string& call) {
    std::lock_guard lock(m);
    calls.push_back(call);
    if (call == failOn) throw CUserException();
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(m);
    return calls;
  }
};

class FakeRecorder : public qv::cbl::CblRecorder {
 public:
  explicit FakeRecorder(Journal& j) : j_(j) {}
  void SendPrintrexStart() override { j_.Add("start"); }
  int LineFeed(int n) override {
    j_.Add("feed " + std::to_string(n));
    return 1;
  }
  void SetStartDepth(int d) override { j_.Add("depth " + std::to_string(d)); }
  void AdvanceToDepth() override { j_.Add("advance"); }
  void PrintCblTrackHeader(InscriptionList* list) override {
    std::string s = "header";
    for (auto& i : *list) s += " " + i->caption + "/" + std::to_string(i->track);
    list->clear();
    j_.Add(s);
  }
  void PrintCblRow(const std::uint8_t* rows, const double* values, int count, bool final) override {
    {
      std::lock_guard lock(j_.m);
      for (int i = 0; i < count; ++i) j_.rows.emplace_back(rows + i * 1025, rows + (i + 1) * 1025);
      j_.values.emplace_back(values, values + count * 2);
    }
    j_.Add("rows " + std::to_string(count) + (final ? " final" : ""));
  }
  void FinishPlot() override { j_.Add("finish"); }
  void RepeatCblTrackHeader() override { j_.Add("repeat header"); }
  void EjectToFormMark() override { j_.Add("eject"); }
  void BuildGridTemplate() override { j_.Add("grid"); }
  void ClearInscriptions() override { j_.Add("clear legend"); }
  void SetScaleRange(int n, const std::string& l, const std::string& r) override {
    j_.Add("range " + std::to_string(n) + " " + l + " " + r);
  }
  void SetCurveStyle(int n, int style) override { j_.Add("style " + std::to_string(n) + " " + std::to_string(style)); }
  void PrintLogHeading(const curveview::ChartLogTexts&) override {
    j_.Add("heading");
    if (j_.boxOnHeading) qv::ShowMessageId(kStrUnreadableLogo, qv::MB_OK | qv::MB_ICONSTOP);
  }
  static constexpr unsigned kStrUnreadableLogo = 32098;
  void PrintRemarks(const curveview::ChartLogTexts&) override { j_.Add("remarks"); }
  void PrintTrailerText(const curveview::ChartLogTexts&) override { j_.Add("trailer"); }

 private:
  Journal& j_;
};

using cbltest::Curve;

class CblChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bLoggingPaused = 0;
    g_bFormMarkDetect = 0;
    previous_ = qv::cbl::SetCblRecorderFactory([this](const curveview::ChartRecorderArgs& a) {
      journal.args = a;
      ++journal.made;
      return std::make_unique<FakeRecorder>(journal);
    });
    doc.print = true;
    doc.live = false;
    log.SetGates(FreePipeGate{80, 60, 915, 0, 32}, FreePipeGate{80, 60, 1525, 960, 992});
    std::vector<TrackRecord> tracks(4);
    for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
    tracks[1].type = 1;
    view.resize(860, 400);
    view.SetLayout(tracks, {Curve(1, 0), Curve(2, 0, 0.0f, 10.0f), Curve(7, 2), Curve(8, 3)});
    view.SetupLayout(&doc, &log);
  }
  void TearDown() override {
    qv::cbl::SetCblRecorderFactory(previous_);
    curveview::SetDialogRunner({});
  }
  void Firing(double value) {
    for (int far = 0; far < 2; ++far)
      for (int n = 0; n <= 4; ++n) {
        CblWaveformSegment s{};
        s.flags = static_cast<std::uint8_t>(n | (far ? 0x80 : 0));
        std::fill(std::begin(s.sample), std::end(s.sample), static_cast<std::int8_t>(far ? -100 : 100));
        double v[6] = {value, value, value, value, value, value};
        view.AddDepthRow(s, v);
      }
  }

  struct AppFirst {
    AppFirst() { qvtest::App(); }
  } app;
  Journal journal;
  cbltest::ViewDoc doc;
  qv::CCBLDocument log;
  CCBLView view{400};
  qv::cbl::CblRecorderFactory previous_;
};

TEST_F(CblChartTest, AReplayedChartInOrder) {
  qv::MessageRecorder boxes;
  ASSERT_TRUE(view.CreateRecorder());
  EXPECT_EQ(journal.args.printType, kPrintCementBond);
  EXPECT_EQ(journal.args.verticalKind, kVerticalTime);
  EXPECT_EQ(journal.args.scale, -1);
  view.StartRealtimePrint(0);
  for (int i = 0; i < 5; ++i) Firing(50.0);
  view.UpdateDisplay();
  view.StopRealtimePrint(-2);
  // A replay that is not logged upward begins with the trailer; mode -2 asks
  // nothing; without form marks the paper feeds 5 lines.
  EXPECT_EQ(journal.Calls(),
            (std::vector<std::string>{"start", "feed 1", "trailer", "header C1  mV/1 C2  mV/1 C7  mV/2 C8  mV/3",
                                      "advance", "rows 50", "finish", "repeat header", "feed 5"}));
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_FALSE(view.HasRecorder());
  ASSERT_EQ(journal.rows.size(), 50u);
  // Row 0 is the oldest line: near of the first firing, no far samples yet;
  // the near gate at 0 µs clears byte 0 only, the far gates (960, 992) fall
  // past the row.
  const std::vector<std::uint8_t>& oldest = journal.rows[0];
  EXPECT_EQ(oldest[0], 0);
  EXPECT_EQ(oldest[5], 0x80) << "segment 0 is never stored";
  EXPECT_EQ(oldest[214], 0xE4) << "near sample 100 (100 + 128) at dots 213-214";
  EXPECT_EQ(oldest[726], 0x80) << "far sample 100 at dots 725-726";
  EXPECT_EQ(oldest[1024], 0);
  const std::vector<std::uint8_t>& newest = journal.rows[49];
  EXPECT_EQ(newest[726], 0x1C);  // -100 + 128
  // Curve positions, oldest line first, two shown curves of channels 1-6:
  // the history rows below the newest come 25 lines (half the filter
  // window) after their records; 50 on 0..100 and 50 on 0..10 (past it).
  ASSERT_EQ(journal.values.size(), 1u);
  EXPECT_DOUBLE_EQ(journal.values[0][0], 0.0);
  EXPECT_DOUBLE_EQ(journal.values[0][98], 254.0);
  EXPECT_DOUBLE_EQ(journal.values[0][99], 2540.0);
}

TEST_F(CblChartTest, TheMinuteMarkAndTheHeadingAtTheEnd) {
  qv::MessageRecorder boxes({qv::IDYES});
  doc.live = true;
  ASSERT_TRUE(view.CreateRecorder());
  view.StartRealtimePrint(0);
  doc.minute = true;  // taken by the first line
  Firing(1.0);
  view.UpdateDisplay();
  view.StopRealtimePrint(-1);
  ASSERT_EQ(journal.rows.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(journal.rows[static_cast<std::size_t>(i)][1024], i == 0 ? 0x01 : 0) << i;
  ASSERT_EQ(boxes.Ids(), (std::vector<unsigned>{32380}));
  const auto calls = journal.Calls();
  EXPECT_EQ(std::vector<std::string>(calls.end() - 6, calls.end()),
            (std::vector<std::string>{"finish", "repeat header", "trailer", "remarks", "heading", "feed 5"}));
  // Paused: no question, no heading.
  journal.calls.clear();
  g_bLoggingPaused = 1;
  doc.print = true;
  ASSERT_TRUE(view.CreateRecorder());
  view.StartRealtimePrint(0);
  view.StopRealtimePrint(-1);
  g_bLoggingPaused = 0;
  EXPECT_EQ(boxes.Ids().size(), 1u);
  EXPECT_EQ(journal.Calls().back(), "feed 5");
}

// A box raised on the recorder's worker while the user-interface thread
// waits for it at the end of a chart (a replay with Print Header ticked, a
// live log answered Yes, the view closed): the worker goes on, the chart ends
// whole, the box comes after.
TEST_F(CblChartTest, AChartEndWhoseHeadingRaisesABoxFinishes) {
  struct Case {
    const char* name;
    bool live;
    int stopMode;  // 99: the chart is ended as the view closes
  } cases[] = {{"replay, heading ticked", false, 1}, {"live, answered Yes", true, -1}, {"closed", true, 99}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    journal.calls.clear();
    journal.boxOnHeading = true;
    doc.live = c.live;
    doc.print = true;
    qvtest::GuiBoxes boxes({qv::IDYES});
    ASSERT_TRUE(view.CreateRecorder());
    view.StartRealtimePrint(0);
    Firing(1.0);
    view.UpdateDisplay();
    qvtest::RunUnderWatchdog(c.name, [&] {
      if (c.stopMode == 99)
        view.Detach();
      else
        view.StopRealtimePrint(c.stopMode);
    });
    const auto calls = journal.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "heading");
    EXPECT_EQ(calls.back(), "feed 5") << "the chart ended whole";
    EXPECT_TRUE(qvtest::SpinUntil([&] { return boxes.Count(FakeRecorder::kStrUnreadableLogo) == 1; }));
    EXPECT_TRUE(doc.print) << "a box is no recorder failure";
  }
  journal.boxOnHeading = false;
}

TEST_F(CblChartTest, AFailedWriteTakesThePrinterErrorPath) {
  qv::MessageRecorder boxes;
  journal.failOn = "rows 10";
  ASSERT_TRUE(view.CreateRecorder());
  view.StartRealtimePrint(0);
  Firing(1.0);
  view.UpdateDisplay();
  for (int i = 0; i < 200 && view.HasRecorder(); ++i) {
    qvtest::Settle();
    QThread::msleep(5);
  }
  EXPECT_FALSE(view.HasRecorder());
  EXPECT_FALSE(doc.print) << "real-time printing is off for the log";
  EXPECT_EQ(doc.cleared, 1);
  qvtest::Settle();
  EXPECT_EQ(boxes.Ids(), (std::vector<unsigned>{32176}));
  // The display goes on without the chart; the stop asks nothing.
  Firing(2.0);
  view.UpdateDisplay();
  view.StopRealtimePrint(-1);
  EXPECT_EQ(journal.Calls().back(), "rows 10");
  // A failure in the chart's end is the same error path, never an exception.
  journal.calls.clear();
  journal.failOn = "repeat header";
  doc.print = true;
  CCBLView* second = new CCBLView(400);
  second->SetLayout({TrackRecord{}}, {Curve(1, 0)});
  second->SetupLayout(&doc, &log);
  ASSERT_TRUE(second->CreateRecorder());
  second->StartRealtimePrint(0);
  EXPECT_NO_THROW(delete second);  // asks "Is a header required?" (No by default)
  EXPECT_FALSE(doc.print);
}

TEST_F(CblChartTest, WiggleRowsAreBitImagesOfTheMirroredTraces) {
  ASSERT_TRUE(view.CreateRecorder());
  view.StartRealtimePrint(0);
  view.SetWiggleMode(true);
  for (int i = 0; i < 4; ++i) {
    Firing(1.0);
    view.UpdateDisplay();
  }
  view.StopRealtimePrint(-2);
  ASSERT_EQ(journal.rows.size(), 40u);
  int dots = 0;
  for (const auto& row : journal.rows) {
    EXPECT_EQ(row[1024] & 0x10, 0x10) << "a prepared bit image";
    for (int b = 0; b < 128; ++b) dots += row[static_cast<std::size_t>(b)] != 0;
    for (int b = 128; b < 1024; ++b) ASSERT_EQ(row[static_cast<std::size_t>(b)], 0);
  }
  EXPECT_GT(dots, 0) << "traces and gate lines reach the chart";
}

TEST_F(CblChartTest, ARecorderThatCannotStartIsAskedAboutOnce) {
  journal.failOn = "start";
  qv::MessageRecorder boxes({qv::IDRETRY, qv::IDCANCEL});
  EXPECT_FALSE(view.CreateRecorder());
  EXPECT_EQ(boxes.Ids(), (std::vector<unsigned>{32176, 32176}));
  EXPECT_EQ(journal.made, 2);
  EXPECT_FALSE(doc.print);
  EXPECT_FALSE(view.HasRecorder());
}

TEST_F(CblChartTest, LegendAndLayoutEditsReachTheChart) {
  ASSERT_TRUE(view.CreateRecorder());
  view.StartRealtimePrint(0);
  // The maximum of the second shown curve: its own legend entry, both ends.
  curveview::SetDialogRunner([](QDialog& d) {
    if (auto* range = dynamic_cast<CChangeH*>(&d)) {
      range->Edit()->setText("20");
      range->accept();
      return static_cast<int>(QDialog::Accepted);
    }
    return static_cast<int>(d.metaObject()->className() == QString("CConfigDisp") ? QDialog::Accepted
                                                                                  : QDialog::Rejected);
  });
  CurveRecord& c2 = view.Curves()[1];
  view.EditScaleRange(1, 2, view.HitRects(c2).maximum.center().x(), view.HitRects(c2).maximum.center().y());
  EXPECT_FLOAT_EQ(c2.scaleMaximum, 20.0f);
  view.OnChangeLayout();
  view.StopRealtimePrint(-2);
  const auto calls = journal.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "range 2 0.00 20.00"), calls.end());
  const auto grid = std::find(calls.begin(), calls.end(), "grid");
  ASSERT_NE(grid, calls.end());
  EXPECT_EQ(*(grid + 1), "clear legend");
  EXPECT_EQ((grid + 2)->rfind("header C1", 0), 0u) << "the cement-bond header restyles the drawers";
}

}  // namespace
