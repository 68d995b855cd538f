// The cement-bond view driven offscreen: what it paints (density image, gate
// lines, curves), dragging gates and borders, the legend edits, the wiggle
// switch and the View commands.
#include "tools/cementbond/cbl_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <cmath>
#include <cstdlib>

#include "app/core/globals.h"
#include "logview/configdisp.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "platform/docview/command.h"
#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"
#include "tests/tools/cementbond/cbl_test_doc.h"

namespace {

using cbltest::Curve;
constexpr std::uint8_t kFar = 0x80;

class CblViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::App();
    g_bWrapCurves = 1;
    log.SetGates(FreePipeGate{80, 60, 915, 201, 233}, FreePipeGate{80, 60, 1525, 315, 347});
    view.resize(860, 400);
    Lay(false);
  }
  void TearDown() override { curveview::SetDialogRunner({}); }

  void Lay(bool logarithmic) {
    std::vector<TrackRecord> tracks(4);
    for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
    tracks[1].type = 1;
    tracks[0].gridFlag = 1;
    tracks[0].gridStyle = logarithmic ? 0x1000004 : 0x10000004;
    std::vector<CurveRecord> curves = {Curve(7, 2), Curve(1, 0), Curve(8, 3), Curve(2, 0, 0.0f, 10.0f)};
    view.SetLayout(tracks, curves);
    view.SetupLayout(&doc, &log);
    // Tracks 240 wide: one pixel a sample.
    std::vector<TrackRecord>& t = view.Tracks();
    t[0].idealWidth = 200;
    t[1].idealWidth = 80;
    t[2].idealWidth = 240;
    t[3].idealWidth = 240;
    view.LayoutTracks();
  }

  void Segment(int segment, bool far, std::int8_t fill, double value = 0.0) {
    CblWaveformSegment s{};
    s.flags = static_cast<std::uint8_t>(segment | (far ? kFar : 0));
    std::fill(std::begin(s.sample), std::end(s.sample), fill);
    double v[6] = {value, value, value, value, value, value};
    view.AddDepthRow(s, v);
  }
  void Firing(std::int8_t nearFill, std::int8_t farFill, double value = 0.0) {
    for (int n = 0; n <= 4; ++n) Segment(n, false, nearFill, value);
    for (int n = 0; n <= 4; ++n) Segment(n, true, farFill, value);
  }
  QImage Paint() {
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    view.render(&image);
    return image;
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent e(type, QPointF(x, y), view.mapToGlobal(QPointF(x, y)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
  }
  const TrackRecord& T(int i) { return view.Tracks()[static_cast<std::size_t>(i)]; }

  struct AppFirst {
    AppFirst() { qvtest::App(); }
  } app;
  cbltest::ViewDoc doc;
  qv::CCBLDocument log;
  CCBLView view{600};
};

TEST_F(CblViewTest, DensityImageWithTheGateLines) {
  Firing(40, -60);
  view.UpdateDisplay();
  const QImage img = Paint();
  const int legend = view.LegendHeight();
  // Lines 0-4: the newest row (far samples, near not yet); lines 5-9 near
  // and far of the first row. Grey 255 - (sample + 128).
  const int nearX = T(2).screenRect.left + 100, farX = T(3).screenRect.left + 100;
  EXPECT_EQ(img.pixel(nearX, legend + 2), qRgb(127, 127, 127));
  EXPECT_EQ(img.pixel(nearX, legend + 7), qRgb(87, 87, 87));
  EXPECT_EQ(img.pixel(farX, legend + 2), qRgb(187, 187, 187));
  // The gates: 201 and 233 µs over 240 pixels, red to the client bottom.
  for (int x :
       {T(2).screenRect.left + 50, T(2).screenRect.left + 58, T(3).screenRect.left + 78, T(3).screenRect.left + 86})
    EXPECT_EQ(img.pixel(x, 350), qRgb(255, 0, 0)) << x;
}

TEST_F(CblViewTest, CurvesWrapAtTheTrackEdge) {
  // Channel 2 on 0..10 in a 200-pixel track: 25 is 2.5 widths, drawn at half
  // the width. The newest line is at the top of the curve area.
  for (int i = 0; i < 3; ++i) Firing(0, 0, 25.0);
  view.UpdateDisplay();
  const QImage img = Paint();
  const int y = view.LegendHeight() + 1;
  int red = -1;
  for (int x = T(0).screenRect.left; x < T(0).screenRect.left + 200; ++x)
    if (img.pixel(x, y) == qRgb(255, 0, 0)) red = x;
  EXPECT_EQ(red, T(0).screenRect.left + 100);
}

// Rows the log has not reached hold no values: before any record no curve
// is drawn (no line at zero down the track), and after a few records only
// the rows they reached.
TEST_F(CblViewTest, CurvesAreDrawnOnlyWhereTheLogHasValues) {
  const int legend = view.LegendHeight();
  auto curveRows = [&] {
    const QImage img = Paint();
    std::vector<int> rows;
    for (int y = legend; y < img.height(); ++y)
      for (int x = T(0).screenRect.left; x < T(0).screenRect.left + 200; ++x)
        if (img.pixel(x, y) == qRgb(255, 0, 0)) {
          rows.push_back(y);
          break;
        }
    return rows;
  };
  view.UpdateDisplay();
  EXPECT_TRUE(curveRows().empty());
  for (int i = 0; i < 3; ++i) Firing(0, 0, 25.0);
  view.UpdateDisplay();
  const auto rows = curveRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_LT(rows.back(), legend + 20) << "only the rows the records reached";
}

TEST_F(CblViewTest, AGateDraggedToTheRightEdgeKeepsItsWidth) {
  const int left = T(2).screenRect.left;
  ASSERT_EQ(view.HitTest(left + 54, 200), CCBLView::kNearGateHit);
  ASSERT_EQ(view.HitTest(T(3).screenRect.left + 80, 200), CCBLView::kFarGateHit);
  Mouse(QEvent::MouseButtonPress, left + 54, 200);
  ASSERT_TRUE(view.Tracking());
  Mouse(QEvent::MouseMove, left + 700, 200);
  Mouse(QEvent::MouseButtonRelease, left + 700, 200, Qt::NoButton);
  EXPECT_FALSE(view.Tracking());
  EXPECT_EQ(log.NearGate().GateStart, 928);
  EXPECT_EQ(log.NearGate().GateEnd, 960);
  EXPECT_EQ(log.FarGate().GateStart, 315) << "the other gate stays";
  EXPECT_EQ(log.NearGate().PipeSize, 80);
  // Esc leaves a drag without applying it.
  view.StartTracking(CCBLView::kFarGateHit);
  Mouse(QEvent::MouseMove, T(3).screenRect.left + 10, 200);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&view, &esc);
  EXPECT_EQ(log.FarGate().GateStart, 315);
}

TEST_F(CblViewTest, BordersDragAndKeys) {
  // A border dragged past its track's left edge stops there; the width
  // never falls below the minimum (50).
  view.StartTracking(2);
  Mouse(QEvent::MouseMove, 5, 200);
  EXPECT_EQ(view.TrackerRect().left(), T(2).screenRect.left);
  view.StopTracking(true);
  EXPECT_EQ(T(2).idealWidth, 50);
  // Tab starts at the first border and moves to the next; Right moves 16
  // (1 with Ctrl); Enter applies.
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(&view, &tab);
  QApplication::sendEvent(&view, &tab);
  ASSERT_TRUE(view.Tracking());
  const int start = view.TrackerRect().left();
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(&view, &right);
  QKeyEvent fine(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
  QApplication::sendEvent(&view, &fine);
  EXPECT_EQ(view.TrackerRect().left(), start + 17);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  EXPECT_FALSE(view.Tracking());
  EXPECT_EQ(T(1).idealWidth, 80 + 17);
}

TEST_F(CblViewTest, ALogarithmicEndOfZeroIsAskedAgain) {
  Lay(true);
  CurveRecord& c = view.Curves()[0];  // channel 1, 0..100 made 1..100
  ASSERT_EQ(c.physicalChannel, 1);
  EXPECT_FLOAT_EQ(c.scaleMinimum, 1.0f);
  EXPECT_FLOAT_EQ(c.scaleMaximum, 100.0f);
  std::vector<std::string> answers = {"0", "-5", "0.05"};
  int asked = 0;
  curveview::SetDialogRunner([&](QDialog& d) {
    auto* range = dynamic_cast<CChangeH*>(&d);
    if (!range) return static_cast<int>(QDialog::Rejected);
    range->Edit()->setText(QString::fromStdString(answers[static_cast<std::size_t>(asked++)]));
    range->accept();
    return static_cast<int>(QDialog::Accepted);
  });
  const CCBLView::LegendHits hits = view.HitRects(c);
  view.EditScaleRange(0, 1, hits.minimum.center().x(), hits.minimum.center().y());
  EXPECT_EQ(asked, 3);
  EXPECT_FLOAT_EQ(c.scaleMinimum, 0.01f);
  EXPECT_FLOAT_EQ(c.scaleMaximum, 100.0f);
}

TEST_F(CblViewTest, TheStyleBoxOfAWaveformSwitchesToWiggle) {
  Firing(40, -60);
  view.UpdateDisplay();
  const CurveRecord* nearCurve = nullptr;
  for (const CurveRecord& c : view.Curves())
    if (c.physicalChannel == 7) nearCurve = &c;
  ASSERT_NE(nearCurve, nullptr);
  const QPoint p = view.HitRects(*nearCurve).style.center();
  Mouse(QEvent::MouseButtonDblClick, p.x(), p.y());
  EXPECT_TRUE(view.WiggleMode());
  std::unique_lock lock(view.Engine().DisplayLock());
  for (int i = 0; i < 480 * 600; ++i) ASSERT_EQ(view.Engine().Image()[i], 0) << "cleared for the new mode";
  lock.unlock();
  Mouse(QEvent::MouseButtonDblClick, p.x(), p.y());
  EXPECT_FALSE(view.WiggleMode());
}

TEST_F(CblViewTest, AViewWhoseDocumentsWentKeepsDrawing) {
  Firing(40, -60);
  view.UpdateDisplay();
  view.Detach();
  EXPECT_EQ(view.Log(), nullptr);
  EXPECT_FALSE(view.OnUpdateFilePrint());
  Firing(40, -60);
  view.UpdateDisplay();
  const QImage img = Paint();
  EXPECT_EQ(img.pixel(T(2).screenRect.left + 100, view.LegendHeight() + 7), qRgb(87, 87, 87));
}

TEST_F(CblViewTest, TheViewMenuCommands) {
  for (int id : {CCBLView::kChangeLayoutCommand, CCBLView::kChannelDisplayCommand}) {
    EXPECT_TRUE(view.HasCommand(id)) << id;
    qv::CmdUI ui(id);
    EXPECT_TRUE(view.RunUpdate(ui));
    EXPECT_TRUE(ui.Enabled()) << id;
  }
  view.RunCommand(CCBLView::kChannelDisplayCommand);
  EXPECT_TRUE(view.Sheet().HasWindow());
  qv::CmdUI check(CCBLView::kChannelDisplayCommand);
  view.RunUpdate(check);
  EXPECT_TRUE(check.Checked());
  view.RunCommand(CCBLView::kChannelDisplayCommand);
  EXPECT_FALSE(view.Sheet().HasWindow());
  // Change Layout runs the display options restricted: OK recounts the
  // legend rows from the curves it hands back.
  int runs = 0;
  curveview::SetDialogRunner([&](QDialog& d) {
    ++runs;
    if (dynamic_cast<CConfigDisp*>(&d)) {
      view.Curves()[1].headerLine = 2;
      return static_cast<int>(QDialog::Accepted);
    }
    return static_cast<int>(QDialog::Rejected);
  });
  view.RunCommand(CCBLView::kChangeLayoutCommand);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(view.LegendRows(), 3);
}

}  // namespace

namespace {

// The whole view offscreen against its golden picture, every pixel
// (QV_UPDATE_GOLDEN set writes the picture instead): legends, a
// logarithmic and a linear grid, the depth track, curves, the near and far
// density images with their gates.
TEST_F(CblViewTest, MatchesItsGoldenPicture) {
  doc.logMode = curveview::kLogModeUp;
  doc.step = 10;
  Lay(true);
  view.SetDepth(100000, true);
  for (int k = 0; k < 120; ++k) {
    const double v = 2.0 + 40.0 * (1.0 + std::sin(k / 9.0));
    for (int far = 0; far < 2; ++far)
      for (int n = 0; n <= 4; ++n) {
        CblWaveformSegment s{};
        s.flags = static_cast<std::uint8_t>(n | (far ? kFar : 0));
        for (int i = 0; i < 48; ++i)
          s.sample[i] = static_cast<std::int8_t>(100 * std::sin((48 * n + i) / (6.0 + far * 3) + k / 15.0) *
                                                 std::exp(-(48 * n + i) / (k % 40 < 20 ? 60.0 : 200.0)));
        double values[6] = {v, 10.0 - v / 10, v, v, v, v};
        view.AddDepthRow(s, values);
      }
    if (k % 10 == 9) view.UpdateDisplay();
  }
  const QImage img = Paint();
  const std::string golden = std::string(QV_TEST_SOURCE_DIR) + "/golden/cbl_view.png";
  if (std::getenv("QV_UPDATE_GOLDEN")) {
    ASSERT_TRUE(img.save(QString::fromStdString(golden)));
    return;
  }
  const QImage expected(QString::fromStdString(golden));
  ASSERT_FALSE(expected.isNull()) << golden;
  ASSERT_EQ(expected.size(), img.size());
  int differ = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) differ += expected.pixel(x, y) != img.pixel(x, y);
  EXPECT_EQ(differ, 0);
}

}  // namespace
