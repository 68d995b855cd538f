// The televiewer view driven headless: the images and colour scale it
// paints, the three View commands, and dragging a track border.
#include "tools/televiewer/bhtv_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>

#include "app/core/globals.h"
#include "platform/docview/command.h"
#include "tests/support/qt_app.h"
#include "tests/tools/televiewer/simulated_sweeps.h"

namespace {

std::uint16_t Sample(int amplitude, int transit) {
  return static_cast<std::uint16_t>(amplitude << 8 | transit << 1);
}

TeleviewerSweep Sweep(int amplitude, int transit) {
  TeleviewerSweep s{};
  for (int j = 0; j < 128; ++j) s.word[1 + j] = Sample(amplitude, transit);
  return s;
}

QRgb Colour(int index) {
  return 0xFF000000u | qv::BhtvColourTable[static_cast<std::size_t>(index)];
}

class BhtvViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bInvertBHTVColours = 0;
    g_bNormaliseBHTVAmplitude = 0;
    g_bNormaliseBHTVTransitTime = 0;
    std::vector<TrackRecord> tracks(3);
    tracks[0].type = 1;
    for (int i = 0; i < 3; ++i) tracks[static_cast<std::size_t>(i)].order = i;
    std::vector<CurveRecord> curves(2);
    curves[0] = {};
    curves[0].headerFlag = 1;
    curves[0].firstTrack = curves[0].lastTrack = 1;
    curves[0].physicalChannel = 1;
    curves[0].description = "Amplitude";
    curves[1] = curves[0];
    curves[1].firstTrack = curves[1].lastTrack = 2;
    curves[1].physicalChannel = 2;
    curves[1].description = "Transit time";
    view.resize(500, 400);
    view.SetLayout(std::move(tracks), std::move(curves));
    view.SetupLayout(false, 100);
  }
  void TearDown() override { g_bInvertBHTVColours = 0; }
  QImage Paint() {
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    view.render(&image);
    return image;
  }
  // The middle of the image track i at row y below the heading.
  QRgb Pixel(const QImage& image, int track, int y) {
    const TrackRecord& t = view.Tracks()[static_cast<std::size_t>(track)];
    return image.pixel((t.screenRect.left + t.screenRect.right) / 2, view.HeadingHeight() + y);
  }

  bool appReady_ = (qvtest::App(), true);  // before any widget
  CBHTVView view{600};
};

TEST_F(BhtvViewTest, TheImagesShowTheNewestRowAtTheTop) {
  EXPECT_EQ(view.HeadingHeight(), 30);
  const std::pair<int, int> samples[] = {{10, 20}, {20, 40}, {30, 60}, {40, 80}, {50, 100}, {63, 127}};
  for (const auto& [a, t] : samples) view.ConvertSweepToRow(Sweep(a, t));
  view.FlushImageRows();
  const QImage image = Paint();
  for (int i = 0; i < 6; ++i) {
    const auto& [a, t] = samples[5 - i];  // newest first, down the screen
    EXPECT_EQ(Pixel(image, 1, i), Colour(2 * a)) << i;
    EXPECT_EQ(Pixel(image, 2, i), Colour(t)) << i;
  }
  EXPECT_EQ(Pixel(image, 1, 6), Colour(128)) << "white below the rows";
  // The colour scale: dark red on the left, nearly white on the right.
  const TrackRecord& t = view.Tracks()[1];
  EXPECT_EQ(image.pixel(t.screenRect.left + 1, 20), Colour(0));
  EXPECT_EQ(image.pixel(t.screenRect.right - 1, 20), Colour(127));
}

TEST_F(BhtvViewTest, FewRowsWaitForTheNextFlush) {
  for (int i = 0; i < 4; ++i) view.ConvertSweepToRow(Sweep(10, 20));
  view.FlushImageRows();
  EXPECT_EQ(Pixel(Paint(), 1, 0), Colour(128)) << "four rows are not flushed";
  view.ConvertSweepToRow(Sweep(10, 20));
  view.FlushImageRows();
  EXPECT_EQ(Pixel(Paint(), 1, 0), Colour(20));
}

TEST_F(BhtvViewTest, TheViewCommandsToggleForEveryView) {
  struct Case {
    int command;
    std::atomic<int>* flag;
  } cases[] = {{CBHTVView::kInvertColoursCommand, &g_bInvertBHTVColours},
               {CBHTVView::kNormaliseAmplitudeCommand, &g_bNormaliseBHTVAmplitude},
               {CBHTVView::kNormaliseTransitCommand, &g_bNormaliseBHTVTransitTime}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    qv::CmdUI ui(c.command);
    ASSERT_TRUE(view.RunCommand(c.command));
    EXPECT_EQ(c.flag->load(), 1);
    ASSERT_TRUE(view.RunUpdate(ui));
    EXPECT_TRUE(ui.Checked());
    ASSERT_TRUE(view.RunCommand(c.command));
    EXPECT_EQ(c.flag->load(), 0);
  }
  // Inverted: the scale flips at once, and new rows are drawn inverted.
  view.RunCommand(CBHTVView::kInvertColoursCommand);
  for (int i = 0; i < 6; ++i) view.ConvertSweepToRow(Sweep(0, 127));
  view.FlushImageRows();
  const QImage image = Paint();
  const TrackRecord& t = view.Tracks()[1];
  EXPECT_EQ(image.pixel(t.screenRect.left + 1, 20), Colour(127));
  EXPECT_EQ(Pixel(image, 1, 0), Colour(128)) << "amplitude 0 inverted is white";
  EXPECT_EQ(Pixel(image, 2, 0), Colour(1)) << "transit 127 inverted is colour 1";
}

TEST_F(BhtvViewTest, DraggingABorderSetsTheTrackWidth) {
  const int right = view.Tracks()[1].screenRect.right;
  EXPECT_EQ(view.BorderAt(right + 3), 1);
  EXPECT_EQ(view.BorderAt(right + 30), -1);
  view.StartTracking(1);
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(&view, &left);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  EXPECT_FALSE(view.Tracking());
  EXPECT_EQ(view.Tracks()[1].screenRect.right, right - 16);
  // Narrower than the minimum gives the minimum; Esc keeps the width.
  view.StartTracking(1);
  for (int i = 0; i < 20; ++i) QApplication::sendEvent(&view, &left);
  QApplication::sendEvent(&view, &enter);
  EXPECT_EQ(view.Tracks()[1].width, qv::kImageTrackMinWidth);
  view.StartTracking(1);
  QApplication::sendEvent(&view, &left);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&view, &esc);
  EXPECT_EQ(view.Tracks()[1].width, qv::kImageTrackMinWidth);
}

TEST_F(BhtvViewTest, TabAndShiftTabCycleThroughTheBorders) {
  const int widths[] = {view.Tracks()[0].width, view.Tracks()[1].width, view.Tracks()[2].width};
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int border;
  } steps[] = {{Qt::Key_Tab, Qt::NoModifier, 0},        {Qt::Key_Tab, Qt::NoModifier, 1},
               {Qt::Key_Tab, Qt::NoModifier, 2},        {Qt::Key_Tab, Qt::NoModifier, 0},
               {Qt::Key_Backtab, Qt::ShiftModifier, 2}, {Qt::Key_Backtab, Qt::ShiftModifier, 1}};
  for (const Step& s : steps) {
    QKeyEvent tab(QEvent::KeyPress, s.key, s.modifiers);
    QApplication::sendEvent(&view, &tab);
    EXPECT_TRUE(view.Tracking());
    EXPECT_EQ(view.TrackedBorder(), s.border);
  }
  // Moving to another border keeps the widths; Enter then sets the one tracked.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(view.Tracks()[static_cast<std::size_t>(i)].width, widths[i]) << i;
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
  QApplication::sendEvent(&view, &right);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  EXPECT_FALSE(view.Tracking());
  EXPECT_EQ(view.Tracks()[1].width, widths[1] + 1);
}

// The picture of a simulated log against a golden image. Only what fonts
// cannot change is compared: the two image tracks with their colour scales
// and borders, from the scale's top row down (the titles above are text).
TEST_F(BhtvViewTest, ASimulatedFractureMatchesTheGoldenImage) {
  view.SetDepth(83250, true);
  for (int i = 0; i < 360; ++i) {
    view.ConvertSweepToRow(qvtest::SimulatedSweep(i));
    if (i % 10 == 9) view.FlushImageRows();
  }
  const QImage image = Paint();
  const TrackRecord& a = view.Tracks()[1];
  const TrackRecord& t = view.Tracks()[2];
  const QImage area = image
                          .copy(QRect(QPoint(a.screenRect.left, 15),
                                      QPoint(std::min(t.screenRect.right + 1, image.width() - 1), image.height() - 1)))
                          .convertToFormat(QImage::Format_RGB32);
  const QString golden = QStringLiteral(GOLDEN_DIR "/bhtv_view.png");
  if (qEnvironmentVariableIsSet("QV_UPDATE_GOLDEN")) {
    ASSERT_TRUE(area.save(golden));
  }
  const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(area.size(), expected.size());
  int differing = 0;
  for (int y = 0; y < area.height(); ++y)
    for (int x = 0; x < area.width(); ++x) differing += area.pixel(x, y) != expected.pixel(x, y);
  if (differing) area.save(QDir::temp().filePath(QStringLiteral("bhtv_view_actual.png")));
  EXPECT_EQ(differing, 0) << "see bhtv_view_actual.png in the temporary folder";
  // The fracture's trace crosses both images: a dark amplitude and a late
  // transit time in every azimuth somewhere down the track.
  for (const auto& [track, colour] : {std::pair{&a, Colour(12)}, std::pair{&t, Colour(70)}}) {
    int columns = 0;
    const int right = std::min(track->screenRect.right, image.width());
    for (int x = track->screenRect.left; x < right; ++x) {
      bool hit = false;
      for (int y = view.HeadingHeight(); y < image.height() && !hit; ++y) hit = image.pixel(x, y) == colour;
      columns += hit;
    }
    EXPECT_GE(columns, right - track->screenRect.left - 2);
  }
}

}  // namespace
