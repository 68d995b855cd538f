// The televiewer view's real-time chart against a recording fake recorder:
// what reaches the chart and in which order for live and replayed logs, a
// new chart while one is open, and failed writes (the printer error path,
// also from the destructor).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/core/globals.h"
#include "app/core/log_modes.h"
#include "platform/text/msgbox.h"
#include "print/recorder/gulton.h"
#include "print/ui/printer_error.h"
#include "tests/support/gui_boxes.h"
#include "tests/support/qt_app.h"
#include "tests/support/watchdog.h"
#include "tools/televiewer/bhtv_view.h"

namespace {

using qvtest::SpinUntil;

// What the fake recorders of a test did, in order.
struct ChartScript {
  std::mutex mutex;
  std::vector<std::string> calls;
  std::string failOn;  // the call that throws (once)
  bool boxOnHeading = false;  // the heading raises a box, as an unreadable logo does
  int made = 0;

  void Note(const std::string& call) {
    std::lock_guard lock(mutex);
    calls.push_back(call);
    if (!failOn.empty() && call.rfind(failOn, 0) == 0) {
      failOn.clear();
      throw CUserException();
    }
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

class FakeChart : public qv::TeleviewerChartRecorder {
 public:
  FakeChart(ChartScript& s, const qv::TeleviewerChartArgs& a) : s_(s) {
    s_.Note("new vertical " + std::to_string(a.verticalKind));
  }
  ~FakeChart() override {
    std::lock_guard lock(s_.mutex);
    s_.calls.push_back("deleted");
  }
  void SendPrintrexStart() override { s_.Note("start"); }
  int LineFeed(int n) override {
    s_.Note("feed " + std::to_string(n));
    return n;
  }
  void SetStartDepth(int d) override { s_.Note("depth " + std::to_string(d)); }
  void PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int flags) override {
    // The rows as the view built them: amplitude sample, then the marks.
    std::string c = "rows " + std::to_string(count) + " flags " + std::to_string(flags);
    for (int i = 0; i < count; ++i) c += " " + std::to_string(rows[i].amplitude[0]);
    s_.Note(c);
  }
  void PrintTeleviewerHeader() override { s_.Note("header"); }
  void PrintTeleviewerFooter() override { s_.Note("footer"); }
  // The blocks name the log and trailer texts they were given, when any.
  void PrintLogHeading(const curveview::ChartLogTexts& t) override {
    s_.Note("heading" + Named(t.header.LogName));
    if (s_.boxOnHeading) qv::ShowMessageId(kStrUnreadableLogo, qv::MB_OK | qv::MB_ICONSTOP);
  }
  void PrintRemarks(const curveview::ChartLogTexts& t) override { s_.Note("remarks" + Named(t.header.Comment[0])); }
  void PrintTrailerText(const curveview::ChartLogTexts& t) override { s_.Note("trailer" + Named(t.trailer.Text1)); }
  static std::string Named(const std::string& text) { return text.empty() ? "" : " " + text; }
  void EjectToFormMark() override { s_.Note("eject"); }
  static constexpr unsigned kStrUnreadableLogo = 32098;

 private:
  ChartScript& s_;
};

TeleviewerSweep Sweep(int amplitude, bool moving) {
  TeleviewerSweep s{};
  for (int j = 0; j < 128; ++j) s.word[1 + j] = static_cast<std::uint16_t>(amplitude << 8 | 40 << 1);
  s.depthStep = moving ? 0xC001 : 0;  // one step down
  return s;
}

class BhtvChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::App();
    previous_ = qv::SetTeleviewerRecorderFactory([this](const qv::TeleviewerChartArgs& a) {
      {
        std::lock_guard lock(script.mutex);
        ++script.made;
      }
      return std::make_unique<FakeChart>(script, a);
    });
    saved_ = {g_bFormMarkDetect.exchange(0), g_bPrintFloydSteinberg.exchange(1), g_bPrintAdaptiv.exchange(0),
              g_bLoggingPaused.exchange(0)};
    engine.Setup().logMode = qv::kLogModeDown;
    MakeView();
  }
  void TearDown() override {
    view.reset();
    qv::SetTeleviewerRecorderFactory(previous_);
    g_bFormMarkDetect = saved_[0];
    g_bPrintFloydSteinberg = saved_[1];
    g_bPrintAdaptiv = saved_[2];
    g_bLoggingPaused = saved_[3];
  }
  void MakeView() {
    view.reset();
    engine.Setup().realtimePrint = true;
    view = std::make_unique<CBHTVView>(600);
    std::vector<TrackRecord> tracks(3);
    tracks[0].type = 1;
    std::vector<CurveRecord> curves(2);
    curves[0].headerFlag = curves[1].headerFlag = 1;
    curves[0].firstTrack = curves[0].lastTrack = 1;
    curves[0].physicalChannel = 1;
    curves[1].firstTrack = curves[1].lastTrack = 2;
    curves[1].physicalChannel = 2;
    view->resize(500, 400);
    view->SetLayout(std::move(tracks), std::move(curves));
    view->SetupLayout(false, 100);
    view->SetEngine(&engine);
  }
  // Sweeps of amplitudes from..from+n-1, each moving one step down.
  void Record(int from, int n) {
    for (int a = from; a < from + n; ++a) view->ConvertSweepToRow(Sweep(a, true));
    view->FlushImageRows();
  }
  // The amplitude the view drew at the top of its first image track.
  QRgb TopPixel() {
    QImage image(view->size(), QImage::Format_ARGB32);
    view->render(&image);
    const TrackRecord& t = view->Tracks()[1];
    return image.pixel((t.screenRect.left + t.screenRect.right) / 2, view->HeadingHeight());
  }
  // Makes the engine a replay's (the header cannot be read: a box, no log).
  void MakeReplay(int logMode) {
    qv::MessageRecorder boxes;
    engine.Setup().pathStem = "/nonexistent/WELL.";
    engine.Setup().logMode = logMode;
    engine.InitialiseLog(0, 0);
    ASSERT_FALSE(engine.IsLive());
  }

  ChartScript script;
  qv::TeleviewerEngine engine;  // outlives the view
  std::unique_ptr<CBHTVView> view;

 private:
  qv::TeleviewerRecorderFactory previous_;
  std::array<int, 4> saved_{};
};

using Calls = std::vector<std::string>;

TEST_F(BhtvChartTest, ALiveChartRunsFromHeadingToFooter) {
  qv::MessageRecorder boxes({qv::IDYES});
  // The blocks print the log's texts as they stand in memory at the end.
  engine.Header().LogName = "BHTV";
  engine.Trailer().Text1 = "end of log";
  view->StartChartRecorder();
  EXPECT_EQ(script.Calls(), (Calls{"new vertical 0", "start", "feed 1"})) << "created at once";
  view->BeginChart(1);
  // Nine pending rows wait while printing; the tenth flushes them, after
  // the start depth of the first moving sweep (0 m logging down: -1 m).
  Record(1, 9);
  Record(10, 1);
  Record(11, 3);  // still pending at the end
  view->EndChart(1);
  EXPECT_TRUE(boxes.Ids().empty()) << "a heading asked for is not asked again";
  EXPECT_EQ(script.Calls(),
            (Calls{"new vertical 0", "start", "feed 1", "header", "depth -100", "rows 10 flags 1 1 2 3 4 5 6 7 8 9 10",
                   "rows 3 flags 1 11 12 13", "footer", "trailer end of log", "remarks", "heading BHTV", "feed 8",
                   "deleted"}));
  EXPECT_FALSE(view->HasRecorder());
  EXPECT_TRUE(engine.Setup().realtimePrint);
}

// A box raised on the recorder's worker while the user-interface thread
// waits for it at the end of the chart (STP answered Yes, or the view
// closed): the worker goes on, the chart ends whole, the box comes after.
TEST_F(BhtvChartTest, AChartEndWhoseHeadingRaisesABoxFinishes) {
  for (const bool closed : {false, true}) {
    SCOPED_TRACE(closed ? "the view closed" : "the stop answered Yes");
    script.calls.clear();
    script.boxOnHeading = true;
    MakeView();
    qvtest::GuiBoxes boxes({qv::IDYES});
    view->StartChartRecorder();
    view->BeginChart(1);
    Record(1, 10);
    view->ConvertSweepToRow(Sweep(20, false));  // pending: the question comes
    qvtest::RunUnderWatchdog(closed ? "closing the view" : "the chart's end", [&] {
      if (closed)
        view.reset();
      else
        view->EndChart(-1);
    });
    const Calls calls = script.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "heading"), 1);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "feed 8") << "the chart ended whole";
    EXPECT_TRUE(SpinUntil([&] { return boxes.Count(FakeChart::kStrUnreadableLogo) == 1; }));
    EXPECT_TRUE(engine.Setup().realtimePrint) << "a box is no recorder failure";
  }
  script.boxOnHeading = false;
}

TEST_F(BhtvChartTest, EndingAsksForTheHeadingOnlyWhileRowsArePending) {
  struct Case {
    int pending;
    int answer;
    bool asked;
    bool heading;
  } cases[] = {{0, qv::IDYES, false, false}, {2, qv::IDNO, true, false}, {2, qv::IDYES, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pending * 10 + c.answer);
    script.calls.clear();
    MakeView();
    qv::MessageRecorder boxes({c.answer});
    view->StartChartRecorder();
    Record(1, 10);
    for (int i = 0; i < c.pending; ++i) view->ConvertSweepToRow(Sweep(20, false));
    view->EndChart(-1);
    EXPECT_EQ(boxes.Ids(), c.asked ? std::vector<unsigned>{32380} : std::vector<unsigned>{});
    const Calls calls = script.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "heading"), c.heading ? 1 : 0);
    EXPECT_EQ(calls.back(), "deleted");
  }
}

TEST_F(BhtvChartTest, AReplayPrintsItsTrailerFirstUnlessLoggedUp) {
  struct Case {
    int logMode;
    Calls begin, end;
  } cases[] = {{qv::kLogModeDown, {"trailer", "header"}, {"footer", "feed 8", "deleted"}},
               {qv::kLogModeUp, {"header"}, {"footer", "trailer", "feed 8", "deleted"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logMode);
    MakeReplay(c.logMode);
    MakeView();
    view->StartChartRecorder();
    script.calls.clear();
    view->BeginChart(1);
    view->EndChart(-1);
    Calls expected = c.begin;
    expected.insert(expected.end(), c.end.begin(), c.end.end());
    EXPECT_EQ(script.Calls(), expected);
  }
}

TEST_F(BhtvChartTest, ANewChartEndsTheRecorderStillOpen) {
  view->StartChartRecorder();
  view->BeginChart(1);
  Record(1, 10);
  // A rewind while printing: the old recorder prints what it holds and goes
  // before the new one is made.
  view->ResetDisplay(false);
  // A live restart keeps the recorder and starts it again.
  view->ResetDisplay(true);
  view->EndChart(-2);
  EXPECT_EQ(script.Calls(), (Calls{"new vertical 0", "start", "feed 1", "header", "depth -100",
                                   "rows 10 flags 1 1 2 3 4 5 6 7 8 9 10", "deleted", "new vertical 0", "start",
                                   "feed 1", "depth 0", "start", "feed 1", "footer", "trailer", "feed 8", "deleted"}));
  EXPECT_EQ(script.made, 2);
}

TEST_F(BhtvChartTest, FailedWritesTakeThePrinterErrorPath) {
  struct Case {
    const char* failOn;
    bool destructor;  // the chart is ended by the view's destructor
  } cases[] = {{"header", false}, {"rows", false}, {"footer", false}, {"feed 8", true}, {"footer", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.failOn) + (c.destructor ? " (destructor)" : ""));
    script.calls.clear();
    MakeView();
    qv::MessageRecorder boxes({qv::IDNO});
    view->StartChartRecorder();
    script.failOn = c.failOn;
    view->BeginChart(1);
    Record(1, 10);
    if (c.destructor)
      EXPECT_NO_THROW(view.reset());
    else
      view->EndChart(-1);
    ASSERT_TRUE(SpinUntil([&] {
      const auto ids = boxes.Ids();
      return std::count(ids.begin(), ids.end(), kStrPrinterCommunicationError) == 1;
    }));
    EXPECT_FALSE(engine.Setup().realtimePrint) << "real-time printing ends for the log";
    if (view) {
      EXPECT_FALSE(view->HasRecorder());
      // The log and its screen go on without the chart.
      const std::size_t before = script.Calls().size();
      Record(40, 10);
      EXPECT_EQ(TopPixel(), 0xFF000000u | qv::BhtvColourTable[2 * 49]);
      view->BeginChart(1);
      view->EndChart(-1);
      EXPECT_EQ(script.Calls().size(), before);
    }
    const Calls calls = script.Calls();
    EXPECT_EQ(calls.back(), "deleted");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "deleted"), 1);
  }
}

TEST_F(BhtvChartTest, CreationFailureAsksRetryOrCancel) {
  script.failOn = "start";
  {
    qv::MessageRecorder boxes({qv::IDRETRY});
    EXPECT_EQ(view->CreateRecorder(), 1);
    EXPECT_EQ(boxes.Ids(), std::vector<unsigned>{kStrPrinterCommunicationError});
    EXPECT_EQ(script.made, 2);
    EXPECT_TRUE(view->HasRecorder());
  }
  view->EndChart(-2);
  script.failOn = "start";
  qv::MessageRecorder boxes({qv::IDCANCEL});
  EXPECT_EQ(view->CreateRecorder(), 0);
  EXPECT_FALSE(engine.Setup().realtimePrint);
  EXPECT_FALSE(view->HasRecorder());
}

TEST_F(BhtvChartTest, DirectPrintingSendsEveryPendingRowWithoutTheScreen) {
  MakeReplay(qv::kLogModeDown);
  MakeView();
  view->StartChartRecorder();
  script.calls.clear();
  for (int a = 1; a <= 3; ++a) view->ConvertSweepToRow(Sweep(a, false));
  view->FlushRecorder();
  view->FlushRecorder();  // nothing more pending
  view->EndChart(-2);
  EXPECT_EQ(script.Calls(), (Calls{"rows 3 flags 1 1 2 3", "footer", "feed 8", "deleted"}));
  EXPECT_EQ(TopPixel(), 0xFF000000u | qv::BhtvColourTable[128]) << "the screen stays as it was";
  EXPECT_TRUE(engine.Setup().realtimePrint);
}

}  // namespace
