#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <thread>

#include "script_log.h"

namespace curveview {
namespace {

using testing::EnsureApp;
using testing::OpenScriptLog;
using testing::ScriptDoc;

class CurveViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    view = std::make_unique<CCurveView>();
    OpenScriptLog(*view, doc);
    view->resize(400, 300);
    view->show();
    QApplication::processEvents();
  }
  void Feed(int records, double gamma, double resistivity, double temperature, int minuteAt = -1) {
    for (int i = 0; i < records; ++i) {
      if (i == minuteAt) doc.minute = true;
      const double values[] = {gamma, resistivity, temperature};
      view->AddSample(values);
    }
  }
  QImage Shot() { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // Screen row of a row age (0 = newest) of this downward log.
  int YOfAge(int age) const { return RowY(view->LegendHeight(), view->Window(), view->Rows().Anchor() - age); }
  const RecordRect& Track(int i) { return view->Tracks()[static_cast<size_t>(i)].screenRect; }

  ScriptDoc doc;
  std::unique_ptr<CCurveView> view;
};

TEST_F(CurveViewTest, LayoutFollowsTheWindow) {
  EXPECT_EQ(view->LegendRows(), 1);
  EXPECT_EQ(Track(1).left, 106);
  EXPECT_EQ(Width(Track(1)), 80);
  EXPECT_EQ(Width(Track(0)), 104);
  EXPECT_EQ(view->TracksRight(), 400);
  const HistoryWindow w = view->Window();
  EXPECT_EQ(w.end - w.start, 300 - kLegendRowHeight);
  view->resize(500, 200);
  QApplication::processEvents();
  EXPECT_EQ(view->Window().end - view->Window().start, 200 - kLegendRowHeight);
  EXPECT_EQ(view->Window().end, w.end) << "a resize only moves the far end of the window";
}

TEST_F(CurveViewTest, ScriptedLogIsDrawnWhereItsValuesLie) {
  Feed(101, 25, 10, 150, 50);
  view->UpdateDisplay();
  const QImage img = Shot();
  const int y = YOfAge(20);
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
  // Track 1, linear 0..100: a quarter across.
  EXPECT_EQ(img.pixel(Track(0).left + Width(Track(0)) / 4, y), red);
  // Track 2, logarithmic 1..1000: 10 lies one decade in of three.
  EXPECT_EQ(img.pixel(Track(2).left + Width(Track(2)) / 3, y), blue);
  // Track 3, 0..100: 150 wraps round to the middle, not onto the right edge.
  EXPECT_EQ(img.pixel(Track(3).left + Width(Track(3)) / 2, y), green);
  EXPECT_NE(img.pixel(Track(3).right - 1, y), green);
  // Rows not yet recorded stay empty.
  EXPECT_NE(img.pixel(Track(0).left + Width(Track(0)) / 4, YOfAge(150)), red);

  // Linear grid line in track 1, logarithmic decade line in track 2.
  const int gridX = Track(0).left + static_cast<int>(Width(Track(0)) / 4.0 + 0.5);
  EXPECT_EQ(img.pixel(gridX, YOfAge(150)), qRgb(0xC0, 0xC0, 0xC0));
  const int decadeX = Track(2).left + static_cast<int>(Width(Track(2)) / 3 * std::log10(10.0));
  EXPECT_EQ(img.pixel(decadeX, YOfAge(150)), qRgb(0x80, 0x80, 0x80));
  EXPECT_EQ(view->DecadeTable()[kTrack2], (std::pair<int, int>{1, 3}));

  // The minute mark of record 50 on the depth track.
  const int minuteY = YOfAge(50);
  EXPECT_EQ(img.pixel(Track(1).left + 3, minuteY), qRgb(0, 0, 0));
  EXPECT_NE(img.pixel(Track(1).left + 3, minuteY - 4), qRgb(0, 0, 0));

  // A medium or large depth tick runs across the data tracks.
  int tickAge = -1;
  for (int age = 1; age < 101 && tickAge < 0; ++age)
    if ((view->Rows().MarkAt(view->Rows().Anchor() - age) & kTickMask) >= 2) tickAge = age;
  ASSERT_GE(tickAge, 0);
  EXPECT_EQ(img.pixel(Track(0).left + 5, YOfAge(tickAge)), qRgb(0xC0, 0xC0, 0xC0));
}

TEST_F(CurveViewTest, PrintStyleSampleShowsWhileRealTimePrinting) {
  const int th = QFontMetrics(view->NormalFont()).height();
  const RecordRect& t = Track(0);
  // Three text heights wide at the top right of the legend box, less a
  // 2-pixel margin, 2 pixels in from the right; the line runs through its middle.
  const QRect sample = QRect(t.right - 3 * th, 0, 3 * th, th).adjusted(2, 2, -2, -2).translated(-2, 0);
  const QPoint mid(sample.center().x(), sample.top() + sample.height() / 2);
  EXPECT_NE(Shot().pixel(mid), qRgb(0, 0, 0));
  doc.print = true;
  const QImage img = Shot();
  EXPECT_EQ(img.pixel(mid), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(mid + QPoint(0, 2)), qRgb(255, 255, 255));
}

TEST_F(CurveViewTest, DisplayUpdatesFromAnotherThreadScrollTheCurves) {
  std::thread display([&] {
    Feed(40, 80, 1, 10);
    view->UpdateDisplay();
    Feed(40, 20, 1, 10);
    view->UpdateDisplay();
  });
  display.join();
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(view->Rows().PendingRows(), 80) << "the display history moves on the user-interface thread only";
  while (t.elapsed() < 10000 && view->Rows().PendingRows() > 0) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(view->Rows().PendingRows(), 0);
  const QImage img = Shot();
  const int w = Width(Track(0));
  EXPECT_EQ(img.pixel(Track(0).left + w * 20 / 100, YOfAge(10)), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(Track(0).left + w * 80 / 100, YOfAge(60)), qRgb(255, 0, 0));
}

TEST_F(CurveViewTest, UpwardLogGrowsFromTheTop) {
  doc.logMode = kLogModeUp;
  view = std::make_unique<CCurveView>();
  OpenScriptLog(*view, doc);
  view->resize(400, 300);
  view->show();
  QApplication::processEvents();
  view->Rows().SetDepth(100000);
  Feed(10, 50, 1, 10);
  view->UpdateDisplay();
  EXPECT_EQ(view->Rows().Depth(), 100000 - 10 * 50);
  const QImage img = Shot();
  const int x = Track(0).left + Width(Track(0)) / 2;
  const int top = view->LegendHeight();
  EXPECT_EQ(img.pixel(x, top + 5), qRgb(255, 0, 0));
  EXPECT_NE(img.pixel(x, top + 20), qRgb(255, 0, 0));
}

TEST_F(CurveViewTest, ChannelDisplayCommandTogglesTheSheet) {
  EXPECT_FALSE(view->OnUpdateChannelDisplay());
  view->OnChannelDisplay();
  EXPECT_TRUE(view->OnUpdateChannelDisplay());
  auto* raw = view->Sheet().Page(ChannelPage::kRaw);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->Rows(), 6);
  EXPECT_EQ(raw->NameText(1), "Resistivity");
  view->OnChannelDisplay();
  EXPECT_FALSE(view->OnUpdateChannelDisplay());
}

}  // namespace
}  // namespace curveview
