// Real-time printing of the curve view against a recording fake recorder:
// what reaches the chart and in which order for downward, upward and replayed
// logs, rows that hold no reading, a stalled port and failed writes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/globals.h"
#include "logview/chart_feed.h"
#include "logview/chart_recorder.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "platform/parallel/parallel.h"
#include "platform/text/msgbox.h"
#include "print/ui/printer_error.h"
#include "script_log.h"
#include "tests/support/gui_boxes.h"
#include "tests/support/qt_app.h"
#include "tests/support/watchdog.h"

using namespace curveview;
using curveview::testing::OpenScriptLog;
using curveview::testing::ScriptDoc;

namespace {

using qvtest::SpinUntil;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What the fake recorders of a test did, in order, and how they misbehave.
struct RecorderScript {
  std::mutex mutex;
  std::condition_variable released;
  std::vector<std::string> calls;
  std::string failOn;       // the call that throws (once)
  bool gateClosed = false;  // rows wait for the gate
  bool boxOnHeading = false;  // the heading raises a box, as an unreadable logo does
  int made = 0;

  void Note(const std::string& call) {
    std::unique_lock lock(mutex);
    calls.push_back(call);
    if (!failOn.empty() && call.rfind(failOn, 0) == 0) {
      failOn.clear();
      throw CUserException();
    }
  }
  void WaitAtGate() {
    std::unique_lock lock(mutex);
    released.wait(lock, [this] { return !gateClosed; });
  }
  void Open() {
    {
      std::lock_guard lock(mutex);
      gateClosed = false;
    }
    released.notify_all();
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

std::string Value(int v) {
  return v == kNoCurveValue ? "-" : std::to_string(v);
}

class FakeRecorder : public CurveChartRecorder {
 public:
  FakeRecorder(RecorderScript& s, const ChartRecorderArgs& a) : s_(s) {
    s_.Note("new vertical " + std::to_string(a.verticalKind) + " scale " + std::to_string(a.scale) + " upward " +
            std::to_string(a.upward));
  }
  ~FakeRecorder() override {
    std::lock_guard lock(s_.mutex);
    s_.calls.push_back("deleted");
  }
  void SendPrintrexStart() override { s_.Note("start"); }
  int LineFeed(int n) override {
    s_.Note("feed " + std::to_string(n));
    return n;
  }
  void SetStartDepth(int d) override { s_.Note("depth " + std::to_string(d)); }
  void AdvanceToDepth() override { s_.Note("advance"); }
  void PrintPlotTrackHeader(InscriptionList* list, bool print) override {
    std::string c = "header";
    for (auto& i : *list)
      c += " [" + i->caption + "|" + i->leftScale + "|" + i->rightScale + "|" + std::to_string(i->track) + "]";
    if (!print) c += " unprinted";
    list->clear();
    s_.Note(c);
  }
  void PlotCurveRow(const int* values, int count, int tickRow, bool final) override {
    s_.WaitAtGate();
    std::string c = "rows";
    for (int i = 0; i < count; ++i) c += " " + Value(values[i]);
    if (tickRow) c += " tick " + std::to_string(tickRow);
    if (final) c += " final";
    s_.Note(c);
  }
  void FinishPlot() override { s_.Note("finish"); }
  void RepeatPlotTrackHeader() override { s_.Note("header again"); }
  void EjectToFormMark() override { s_.Note("eject"); }
  void BuildGridTemplate() override { s_.Note("grid"); }
  void ClearInscriptions() override { s_.Note("clear legend"); }
  void SetScaleEnd(int n, int kind, const std::string& t) override {
    s_.Note("scale end " + std::to_string(n) + " " + std::to_string(kind) + " " + t);
  }
  void SetScaleRange(int n, const std::string& l, const std::string& r) override {
    s_.Note("scale range " + std::to_string(n) + " " + l + " " + r);
  }
  void SetCurveStyle(int n, int style) override { s_.Note("style " + std::to_string(n) + " " + std::to_string(style)); }
  // The blocks name the log and trailer texts they were given, when any.
  void PrintLogHeading(const ChartLogTexts& t) override {
    s_.Note("heading" + Named(t.header.LogName));
    if (s_.boxOnHeading) qv::ShowMessageId(kStrUnreadableLogo, qv::MB_OK | qv::MB_ICONSTOP);
  }
  void PrintRemarks(const ChartLogTexts& t) override { s_.Note("remarks" + Named(t.header.Comment[0])); }
  void PrintTrailerText(const ChartLogTexts& t) override { s_.Note("trailer" + Named(t.trailer.Text1)); }
  static std::string Named(const std::string& text) { return text.empty() ? "" : " " + text; }
  static constexpr unsigned kStrUnreadableLogo = 32098;

 private:
  RecorderScript& s_;
};

class RealtimePrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    curveview::testing::EnsureApp();
    previous_ = SetChartRecorderFactory([this](const ChartRecorderArgs& a) {
      {
        std::lock_guard lock(script.mutex);
        ++script.made;
      }
      return std::make_unique<FakeRecorder>(script, a);
    });
    formMarks_ = g_bFormMarkDetect.exchange(0);
    doc.print = true;
    MakeView();
  }
  void TearDown() override {
    view.reset();
    SetChartRecorderFactory(previous_);
    g_bFormMarkDetect = formMarks_;
  }
  void MakeView() {
    view = std::make_unique<CCurveView>();
    view->resize(600, 500);
    OpenScriptLog(*view, doc);
  }
  // A new view on a log of LOGMODE, live or replayed, that prints.
  void NewLog(int logMode, bool live) {
    script.calls.clear();
    doc.logMode = logMode;
    doc.live = live;
    doc.print = true;
    MakeView();
  }
  // One record per row at the script log's scale.
  void Record(std::vector<std::array<double, 3>> rows) {
    for (auto& r : rows) view->AddSample(std::span<const double>(r.data(), r.size()));
    view->UpdateDisplay();
  }

  RecorderScript script;
  ScriptDoc doc;
  std::unique_ptr<CCurveView> view;

 private:
  ChartRecorderFactory previous_;
  int formMarks_ = 0;
};

const std::string kHeader =
    "header [Gamma  CPS|0.00|100.00|1] [Resistivity  CPS|1.00|1000.00|2] "
    "[Temperature  CPS|0.00|100.00|3]";

TEST_F(RealtimePrintTest, ChartOrderOfDownUpAndReplayedLogs) {
  struct Case {
    const char* name;
    int logMode;
    bool live;
    std::vector<int> answers;  // "Is a header required?" at the start and at the end
    int stopMode;
    std::vector<std::string> expected;
  };
  const std::string newDown = "new vertical 1 scale 120 upward 0";
  const std::string newUp = "new vertical 1 scale 120 upward 1";
  // Rows go out oldest first; 50 on 0..100 is 254, 10 on the logarithmic
  // 1..1000 is 169, a row without a reading is no value at all.
  const std::string rows1 = "rows 254 169 - 0 0 508";
  const std::string rows2 = "rows 508 508 254";
  const Case cases[] = {
      {"down, heading",
       kLogModeDown,
       true,
       {qv::IDYES},
       -1,
       {newDown, "start", "feed 1", "heading", "remarks", kHeader, rows1, rows2, "finish", "header again", "trailer",
        "feed 8", "deleted"}},
      {"down, no heading",
       kLogModeDown,
       true,
       {qv::IDNO},
       -1,
       {newDown, "start", "feed 1", kHeader, rows1, rows2, "finish", "header again", "trailer", "feed 8", "deleted"}},
      {"up, heading at the end",
       kLogModeUp,
       true,
       {qv::IDYES},
       -1,
       {newUp, "start", "feed 1", kHeader, rows1, rows2, "finish", "header again", "trailer", "remarks", "heading",
        "feed 8", "deleted"}},
      {"up, stopped without heading",
       kLogModeUp,
       true,
       {},
       -2,
       {newUp, "start", "feed 1", kHeader, rows1, rows2, "finish", "header again", "trailer", "feed 8", "deleted"}},
      {"replay down",
       kLogModeDown,
       false,
       {qv::IDNO},
       -2,
       {newDown, "start", "feed 1", "trailer", kHeader, "advance", rows1, rows2, "finish", "header again", "feed 8",
        "deleted"}},
      {"replay up",
       kLogModeUp,
       false,
       {},
       1,
       {newUp, "start", "feed 1", kHeader, "advance", rows1, rows2, "finish", "header again", "trailer", "remarks",
        "heading", "feed 8", "deleted"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewLog(c.logMode, c.live);
    qv::MessageRecorder boxes(c.answers);
    view->StartRecorder();
    view->StartRealtimePrint(1);
    Record({{50, 10, kNaN}, {0, -5, 100}});
    Record({{100, 1000, 50}});
    view->StopRealtimePrint(c.stopMode);
    EXPECT_FALSE(view->HasRecorder());
    EXPECT_EQ(script.Calls(), c.expected);
    // The question comes at the start of a downward chart, at the end of an
    // upward one, and not at all when the stop says so.
    EXPECT_EQ(boxes.Ids().size(), c.answers.size());
    view.reset();
    EXPECT_EQ(script.Calls(), c.expected) << "the view's end sends nothing more";
  }
}

// The heading, remarks and trailer blocks print the log's header and trailer
// as they stand in memory when each is asked for: a new log going down has
// no header file yet, and a live log's trailer is asked for at its stop.
TEST_F(RealtimePrintTest, TheBlocksPrintTheLogsTextsAsTheyStand) {
  struct Case {
    const char* name;
    int logMode;
    bool live;
    int stopMode;
    std::vector<std::string> blocks;
  } cases[] = {
      {"live down", kLogModeDown, true, -1, {"heading GAMMA", "remarks first remark", "trailer at the stop"}},
      {"live up", kLogModeUp, true, -1, {"trailer at the stop", "remarks first remark", "heading GAMMA"}},
      {"replay down", kLogModeDown, false, -2, {"heading GAMMA", "remarks first remark", "trailer at the start"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewLog(c.logMode, c.live);
    doc.pathStem = "/nonexistent/WELL.";  // no header file to read
    doc.haveHeader = true;
    doc.header.LogName = "GAMMA";
    doc.header.Comment[0] = "first remark";
    doc.trailer.Text1 = "at the start";
    qv::MessageRecorder boxes({qv::IDYES, qv::IDYES});
    view->StartRecorder();
    view->StartRealtimePrint(1);
    Record({{50, 10, 50}});
    doc.trailer.Text1 = "at the stop";
    view->StopRealtimePrint(c.stopMode);
    std::vector<std::string> blocks;
    for (const std::string& call : script.Calls())
      if (call.rfind("heading", 0) == 0 || call.rfind("remarks", 0) == 0 || call.rfind("trailer", 0) == 0)
        blocks.push_back(call);
    EXPECT_EQ(blocks, c.blocks);
    EXPECT_EQ(boxes.Ids(), std::vector<unsigned>{32380}) << "no box about a header file";
  }
  doc.haveHeader = false;
}

// A box raised on the recorder's worker at the end of a chart (a logo that
// cannot be read) while the user-interface thread waits for that worker: the
// worker goes on, the end finishes whole and the box is shown afterwards.
// Ends by the stop (asked, ticked) and by closing the view.
TEST_F(RealtimePrintTest, AChartEndWhoseHeadingRaisesABoxFinishes) {
  struct Case {
    const char* name;
    int logMode;
    bool live;
    int stopMode;  // 99: the view is closed
    std::vector<int> answers;
  };
  const Case cases[] = {
      {"live up, heading asked for", kLogModeUp, true, -1, {qv::IDYES}},
      {"replay up, heading ticked", kLogModeUp, false, 1, {}},
      {"live up, the view closed", kLogModeUp, true, 99, {qv::IDYES}},
      {"live down, heading at the start", kLogModeDown, true, -1, {qv::IDYES}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    script.boxOnHeading = true;
    NewLog(c.logMode, c.live);
    qvtest::GuiBoxes boxes(c.answers);
    view->StartRecorder();
    view->StartRealtimePrint(1);
    Record({{50, 10, 50}});
    qvtest::RunUnderWatchdog(c.name, [&] {
      if (c.stopMode == 99)
        view.reset();
      else
        view->StopRealtimePrint(c.stopMode);
    });
    const auto calls = script.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "heading"), 1);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "feed 8") << "the chart ended whole";
    EXPECT_EQ(calls.back(), "deleted");
    EXPECT_TRUE(SpinUntil([&] { return boxes.Count(FakeRecorder::kStrUnreadableLogo) == 1; }));
    EXPECT_TRUE(doc.print) << "a box is no recorder failure";
  }
  script.boxOnHeading = false;
}

TEST_F(RealtimePrintTest, MinuteMarkAndFlushWithoutScreen) {
  qv::MessageRecorder boxes({qv::IDNO});
  view->StartRecorder();
  view->StartRealtimePrint(1);
  std::array<double, 3> r{50, 10, 50};
  view->AddSample(r);
  doc.minute = true;  // the second row starts a new minute
  view->AddSample(r);
  view->AddSample(r);
  view->FlushRecorder();
  view->StopRealtimePrint(-2);
  const auto calls = script.Calls();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[4], "rows 254 169 254 254 169 254 254 169 254 tick 2");
}

TEST_F(RealtimePrintTest, HiddenCurvesAndNoLegend) {
  // Rows before the track header and a chart of hidden curves reach no
  // recorder; the stop then only deletes it.
  for (auto& c : view->Curves()) c.headerFlag = 0;
  qv::MessageRecorder boxes({qv::IDNO});
  view->StartRecorder();
  Record({{1, 2, 3}});
  view->StartRealtimePrint(1);
  Record({{1, 2, 3}});
  view->StopRealtimePrint(-1);
  EXPECT_EQ(script.Calls(),
            (std::vector<std::string>{"new vertical 1 scale 120 upward 0", "start", "feed 1", "header", "deleted"}));
}

TEST_F(RealtimePrintTest, StalledPortHoldsUpNeitherRowsNorTheStopOrder) {
  qv::MessageRecorder boxes({qv::IDNO});
  view->StartRecorder();
  view->StartRealtimePrint(1);
  {
    std::lock_guard lock(script.mutex);
    script.gateClosed = true;
  }
  // The port hangs in the first batch; the display goes on taking and
  // scrolling rows, which wait in order behind it.
  for (int i = 0; i < 20; ++i) Record({{static_cast<double>(i), 1, 0}});
  EXPECT_TRUE(view->HasRecorder());
  script.Open();
  view->StopRealtimePrint(-2);
  const auto calls = script.Calls();
  std::vector<std::string> rows(calls.begin() + 4, calls.begin() + 24);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(rows[static_cast<size_t>(i)], "rows " + std::to_string(i * 508 / 100) + " 0 0");
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 24, calls.end()),
            (std::vector<std::string>{"finish", "header again", "trailer", "feed 8", "deleted"}));
}

TEST_F(RealtimePrintTest, FailedWritesTakeThePrinterErrorPath) {
  struct Case {
    const char* failOn;
    bool stopAfter;  // the view's own stop, else its destructor
  };
  for (const Case& c :
       {Case{"header", true}, Case{"rows", true}, Case{"finish", true}, Case{"feed 8", false}, Case{"finish", false}}) {
    SCOPED_TRACE(std::string(c.failOn) + (c.stopAfter ? " (stop)" : " (destructor)"));
    script.calls.clear();
    doc.print = true;
    MakeView();
    qv::MessageRecorder boxes({qv::IDNO});
    view->StartRecorder();
    script.failOn = c.failOn;
    view->StartRealtimePrint(1);
    Record({{50, 10, 50}});
    if (c.stopAfter)
      view->StopRealtimePrint(-1);
    else
      EXPECT_NO_THROW(view.reset());
    ASSERT_TRUE(SpinUntil([&] {
      const auto ids = boxes.Ids();
      return std::count(ids.begin(), ids.end(), kStrPrinterCommunicationError) == 1;
    }));
    if (view) {
      EXPECT_FALSE(view->HasRecorder());
      EXPECT_FALSE(doc.print) << "real-time printing ends for the log";
      // The log goes on without the chart.
      const size_t before = script.Calls().size();
      Record({{1, 1, 1}});
      view->StartRealtimePrint(1);
      view->StopRealtimePrint(-1);
      EXPECT_EQ(script.Calls().size(), before);
    }
    const auto calls = script.Calls();
    EXPECT_EQ(calls.back(), "deleted");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "deleted"), 1);
  }
}

TEST_F(RealtimePrintTest, ScaleEditsReachTheRunningChart) {
  qv::MessageRecorder boxes({qv::IDNO});
  view->show();
  QCoreApplication::processEvents();
  view->StartRecorder();
  view->StartRealtimePrint(1);
  std::vector<const char*> typed{"80", "10"};
  size_t next = 0;
  DialogRunner previous = SetDialogRunner([&](QDialog& d) {
    auto& range = dynamic_cast<CChangeH&>(d);
    range.Edit()->setText(next < typed.size() ? typed[next++] : "1");
    range.accept();
    return range.result();
  });
  // The maximum of the linear first curve, then the minimum of the
  // logarithmic second one (its decades go with it).
  const QPoint max0 = view->HitRects(view->Curves()[0]).maximum.center();
  view->EditScaleRange(0, 1, max0.x(), max0.y());
  const QPoint min1 = view->HitRects(view->Curves()[1]).minimum.center();
  view->EditScaleRange(1, 2, min1.x(), min1.y());
  SetDialogRunner(previous);
  view->StopRealtimePrint(-2);
  const auto calls = script.Calls();
  ASSERT_GE(calls.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 4, calls.begin() + 8),
            (std::vector<std::string>{"grid", "scale end 1 3 80", "grid", "scale range 2 10 1000"}));
}

// The recorder's grid table comes from the layout, not from the last
// painting: a chart started before the view was ever painted prints the
// logarithmic track's decades, not an evenly spaced grid.
TEST_F(RealtimePrintTest, AChartStartedBeforeThePaintingGetsTheLogarithmicGrid) {
  std::vector<std::pair<int, int>> made;
  const ChartRecorderFactory scripted = SetChartRecorderFactory([&](const ChartRecorderArgs& a) {
    made.assign(a.trackScales, a.trackScales + 5);
    return std::make_unique<FakeRecorder>(script, a);
  });
  qv::MessageRecorder boxes({qv::IDNO});
  ASSERT_FALSE(view->isVisible());
  view->StartRecorder();
  SetChartRecorderFactory(scripted);
  ASSERT_EQ(made.size(), 5u);
  EXPECT_EQ(made[kTrack2], (std::pair<int, int>{1, 3})) << "Resistivity, 1 to 1000";
  EXPECT_EQ(made[kTrack1], (std::pair<int, int>{0, 0})) << "a linear track";
  view->StopRealtimePrint(-2);
}

TEST_F(RealtimePrintTest, CreationFailureAsksRetryOrCancel) {
  script.failOn = "start";
  {
    qv::MessageRecorder boxes({qv::IDRETRY, qv::IDNO});
    EXPECT_EQ(view->CreateRecorder(), 1);
    EXPECT_EQ(boxes.Ids(), std::vector<unsigned>{kStrPrinterCommunicationError});
    EXPECT_EQ(script.made, 2);
    EXPECT_TRUE(view->HasRecorder());
  }
  view->StopRealtimePrint(-2);
  script.failOn = "start";
  qv::MessageRecorder boxes({qv::IDCANCEL});
  bool upward = true;
  EXPECT_EQ(view->CreateRecorder(&upward), 0);
  EXPECT_FALSE(upward);
  EXPECT_FALSE(doc.print);
  EXPECT_FALSE(view->HasRecorder());
}

TEST(ChartValueTest, PositionsAcrossTheTrack) {
  auto curve = [](float lo, float hi, bool two) {
    CurveRecord c;
    c.scaleMinimum = lo;
    c.scaleMaximum = hi;
    c.firstTrack = 2;
    c.lastTrack = two ? 3 : 2;
    return c;
  };
  struct Case {
    CurveRecord c;
    bool log;
    double v;
    int expected;
  } cases[] = {
      {curve(0, 100, false), false, 50, 254},
      {curve(0, 100, true), false, 50, 508},
      {curve(1, 1000, false), true, 10, 169},
      {curve(1, 1000, false), true, 0, 0},
      {curve(0, 100, false), false, -20, 0},
      {curve(5, 5, false), false, 7, 2},
      {curve(0, 100, false), false, kNaN, kNoCurveValue},
      {curve(1, 1000, false), true, kNaN, kNoCurveValue},
      {curve(0, 100, false), false, 1e300, 1000000000},
  };
  for (const Case& c : cases) EXPECT_EQ(ChartValue(c.c, c.v, c.log), c.expected) << c.v;
}

TEST(ChartFeedTest, JobsRunInOrderAndAFailureDropsTheRest) {
  std::vector<int> ran;
  std::atomic<int> failures{0};
  {
    ChartFeed feed(4, [&] { ++failures; });
    std::mutex gate;
    std::unique_lock hold(gate);
    EXPECT_TRUE(feed.Post([&] { std::lock_guard l(gate); }));  // the worker waits here
    while (feed.Queued() != 0) std::this_thread::yield();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(feed.Post([&ran, i] { ran.push_back(i); }));
    EXPECT_FALSE(feed.Post([&] { ran.push_back(99); })) << "a full queue refuses";
    EXPECT_TRUE(feed.PostFinal([&] { ran.push_back(100); })) << "the end of a chart is always taken";
    EXPECT_FALSE(feed.Post([&] { ran.push_back(101); }));
    hold.unlock();
    feed.Finish();
  }
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 100}));
  EXPECT_EQ(failures, 0);
  ran.clear();
  ChartFeed feed(8, [&] { ++failures; });
  feed.Post([&] { ran.push_back(1); });
  feed.Post([] { throw CUserException(); });
  feed.Post([&] { ran.push_back(2); });
  feed.Finish();
  EXPECT_TRUE(feed.Failed());
  EXPECT_EQ(failures, 1);
  EXPECT_FALSE(feed.Post([&] { ran.push_back(3); }));
  EXPECT_EQ(ran, std::vector<int>{1});
}

TEST(ChartFeedTest, TheEndIsWaitedForAtMostTheBound) {
  // A job that never comes back (a port that hangs past its own time-outs):
  // the finish gives up after its bound, the jobs behind are dropped, and
  // a failure of the job left running no longer reaches the view. What the
  // jobs use is theirs, as a recorder is.
  struct Shared {
    std::mutex gate;
    std::atomic<bool> started{false};
  };
  struct Counts {
    std::atomic<int> ran{0}, failures{0};
  };
  auto shared = std::make_shared<Shared>();
  auto counts = std::make_shared<Counts>();
  std::unique_lock hold(shared->gate);
  auto feed = std::make_unique<ChartFeed>(4, [shared, counts] { ++counts->failures; }, 50);
  feed->Post([shared] {
    shared->started = true;
    std::lock_guard l(shared->gate);
    throw CUserException();
  });
  feed->PostFinal([shared, counts] { ++counts->ran; });
  while (!shared->started) std::this_thread::yield();
  qvtest::RunUnderWatchdog("a finish over a hung job", [&] { EXPECT_FALSE(feed->Finish()); });
  feed.reset();
  std::weak_ptr<Shared> left = shared;
  hold.unlock();
  shared.reset();
  // The worker ends once the job it was left in has come back.
  qvtest::RunUnderWatchdog("the worker left to end", [&] {
    while (!left.expired()) std::this_thread::yield();
  });
  EXPECT_EQ(counts->ran, 0);
  EXPECT_EQ(counts->failures, 0);
}

}  // namespace

// The real recorder behind the view: a "yes" to "Is a header required?" puts
// the log heading (1213 raster lines) and the remarks (400) on the chart
// ahead of the track header; a "no" leaves them out.
TEST(RealtimeChartHeadingTest, AHeadingAskedForReachesThePaper) {
  curveview::testing::EnsureApp();
  const std::string dir = ::testing::TempDir();
  auto captured = [&](int answer) {
    const std::string path = dir + "/heading_" + std::to_string(answer) + ".cap";
    g_nRealTimePrinter = 1;
    qv::SetParallelPortOpener([path](int) { return qv::OpenParallelPath(path, true); });
    qv::MessageRecorder boxes({answer});
    ScriptDoc doc;
    doc.print = true;
    {
      CCurveView view;
      view.resize(800, 600);
      OpenScriptLog(view, doc);
      view.StartRecorder();
      view.StartRealtimePrint(1);
      for (int i = 0; i < 40; ++i) {
        const double values[3] = {50, 100, 50};
        view.AddSample(values);
      }
      view.UpdateDisplay();
      view.StopRealtimePrint(-2);
    }
    qv::SetParallelPortOpener({});
    EXPECT_TRUE(doc.print) << "the recorder did not fail";
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? std::uintmax_t{0} : size;
  };
  const std::uintmax_t without = captured(qv::IDNO), with = captured(qv::IDYES);
  ASSERT_GT(without, 0u);
  EXPECT_GE(with, without + (1213 + 400) * 216u);
}
