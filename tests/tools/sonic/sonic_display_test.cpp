#include "tools/sonic/sonic_display.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "logview/model/drawing.h"
#include "logdoc/records/records.h"

namespace {

using curveview::kHistoryLength;
using qv::SonicDisplay;
using qv::SonicDisplaySettings;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

SonicDisplaySettings Settings(bool upward, bool imperial, int scale, int screen = 200, int samples = 16,
                              int waves = 2) {
  SonicDisplaySettings s;
  s.samples = samples;
  s.waves = waves;
  s.upward = upward;
  s.imperial = imperial;
  s.depthScale = scale;
  s.screenHeight = screen;
  return s;
}

// A record whose 16 values are all v and whose samples are all sample.
struct Record {
  std::vector<double> values;
  std::vector<std::int16_t> waves;
  Record(const SonicDisplay& d, double v, std::int16_t sample)
      : values(16, v), waves(static_cast<std::size_t>(d.ImageWidth()), sample) {}
};

void Add(SonicDisplay& d, double v, std::int16_t sample, bool depthScaled = true, int move = 1, bool minute = false) {
  const Record r(d, v, sample);
  d.AddRecord(r.values, r.waves, depthScaled, move, [&] { return minute; });
}

std::uint8_t Pixel(const SonicDisplay& d, int x, int y) {
  return d.Image()[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.Stride()) + static_cast<std::size_t>(x)];
}

// Rows placed after each record: the accumulated pixel rows rounded, for
// every scale in feet and metres, including the 3.937 rows of 0.1 m at 1:200.
TEST(SonicDisplayRows, RowsPerRecordFollowTheScaleInFeetAndMetres) {
  struct Case {
    bool imperial;
    int step;  // thousandths of the depth unit
    int scale;
    double pixels;
  } cases[] = {
      {false, 100, 200, 3.937007813}, {false, 100, 20, 39.37007813}, {false, 10, 500, 0.1574803125},
      {false, 10, 200, 0.3937007813}, {true, 100, 20, 12.0},         {true, 100, 200, 1.2},
      {true, 100, 500, 0.48},         {true, 50, 500, 0.24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.imperial ? "feet" : "metres") << " step " << c.step << " 1:" << c.scale);
    SonicDisplay d;
    d.Configure({1, 13}, Settings(true, c.imperial, c.scale));
    d.ResetScroll(c.step, c.scale);
    EXPECT_NEAR(d.PixelsPerRecord(), c.pixels, 1e-6);
    for (int k = 1; k <= 60; ++k) {
      Add(d, k, 0);
      ASSERT_EQ(d.PendingRows(), static_cast<int>(k * c.pixels + 0.5)) << "after record " << k;
    }
  }
}

TEST(SonicDisplayRows, TimeLogsAndTestRunsPlaceOneRowPerRecord) {
  SonicDisplay d;
  d.Configure({1}, Settings(true, false, 20));
  d.ResetScroll(100, 20);  // 39 rows per record were it depth scaled
  for (int k = 1; k <= 7; ++k) Add(d, k, 0, /*depthScaled=*/false, 0);
  EXPECT_EQ(d.PendingRows(), 7);
}

// 10 mm at 1:500: about six records make one row, averaged; the row's
// waveform is the last record's, not an average.
TEST(SonicDisplayRows, AveragedRowsTakeTheMeanAndTheLastRecordsWaveform) {
  SonicDisplay d;
  d.Configure({1, 2}, Settings(true, false, 500));
  d.ResetScroll(10, 500);
  const std::int16_t samples[] = {-32768, -1000, 0, 1000, 32767, 20000, 5, 6, 7, 8, 9};
  int k = 0;
  while (d.PendingRows() < 2) {
    ++k;
    Add(d, k, samples[k - 1]);
  }
  // Rows after records 4 (0.63 -> 1) and 10 (1.57 -> 2).
  ASSERT_EQ(k, 10);
  const curveview::RowUpdate u = d.Update();
  ASSERT_EQ(u.rows, 2);
  const int anchor = d.Rows().Anchor();
  EXPECT_DOUBLE_EQ(d.Rows().DisplayValue(0, anchor), (5 + 6 + 7 + 8 + 9 + 10) / 6.0);
  EXPECT_DOUBLE_EQ(d.Rows().DisplayValue(0, anchor + 1), (1 + 2 + 3 + 4) / 4.0);
  // Newest at the top: image row 0 is record 10's waveform, row 1 record 4's.
  EXPECT_EQ(Pixel(d, 0, 0), qv::SonicGreyIndex(samples[9]));
  EXPECT_EQ(Pixel(d, 5, 1), qv::SonicGreyIndex(samples[3]));
}

TEST(SonicDisplayImage, GreyTableAndSampleMapping) {
  const auto table = qv::SonicGreyTable();
  EXPECT_EQ(table[0], 0xFFFFFFu);
  EXPECT_EQ(table[255], 0x000000u);
  EXPECT_EQ(table[95], 0xA0A0A0u);
  EXPECT_EQ(qv::kSonicEarlyIndex, 95);
  const struct {
    std::int16_t sample;
    int index;
  } cases[] = {{-32768, 0}, {32767, 255}, {0, 128}, {-1, 127}, {255, 128}, {256, 129}, {-32513, 0}, {-32512, 1}};
  for (const auto& c : cases) EXPECT_EQ(qv::SonicGreyIndex(c.sample), c.index) << c.sample;
}

TEST(SonicDisplayImage, GeometryPerStandard) {
  const struct {
    int comStd, samples, waves, width, stride;
  } cases[] = {{26, 512, 3, 1536, 1536}, {27, 512, 2, 1024, 1024}, {28, 256, 4, 1024, 1024}, {29, 512, 2, 1024, 1024}};
  for (const auto& c : cases) {
    const qv::SonicGeometry g = *qv::SonicGeometryFor(c.comStd);
    SonicDisplay d;
    d.Configure({1}, Settings(true, false, 200, 1080, g.bytesPerWaveform / 2, g.waveforms));
    EXPECT_EQ(d.Settings().samples, c.samples) << c.comStd;
    EXPECT_EQ(d.Settings().waves, c.waves) << c.comStd;
    EXPECT_EQ(d.ImageWidth(), c.width) << c.comStd;
    EXPECT_EQ(d.Stride(), c.stride) << c.comStd;
    EXPECT_EQ(d.ImageHeight(), 1093) << c.comStd;
  }
  EXPECT_EQ(qv::SonicImageStride(3), 4);
  EXPECT_EQ(qv::SonicImageStride(5), 8);
}

// The newest row lands at the top when logging up (and in time logs), at the
// bottom when logging down; older rows move away from it.
TEST(SonicDisplayImage, NewRowsScrollInFromTheNewestEdge) {
  for (const bool upward : {true, false}) {
    SCOPED_TRACE(upward ? "up" : "down");
    SonicDisplay d;
    d.Configure({1}, Settings(upward, false, 200, 20));
    d.ResetScroll(100, 200);
    const int h = d.ImageHeight();
    const auto rowOf = [&](int age) { return upward ? age : h - 1 - age; };
    for (int k = 0; k < 3; ++k) Add(d, k, static_cast<std::int16_t>(1000 * k - 32768), false, 0);
    d.Update();
    Add(d, 3, 32767, false, 0);
    d.Update();
    EXPECT_EQ(Pixel(d, 0, rowOf(0)), 255);
    EXPECT_EQ(Pixel(d, 0, rowOf(1)), qv::SonicGreyIndex(-30768));
    EXPECT_EQ(Pixel(d, 0, rowOf(3)), 0);
    EXPECT_EQ(Pixel(d, 0, rowOf(4)), 0);  // never written: white
  }
}

// A batch of more rows than the image holds fills the image from the newest
// rows and writes nothing past it.
TEST(SonicDisplayImage, ABatchLargerThanTheImageKeepsTheNewestRows) {
  for (const bool upward : {true, false}) {
    SCOPED_TRACE(upward ? "up" : "down");
    SonicDisplay d;
    d.Configure({1}, Settings(upward, false, 200, 7));
    d.ResetScroll(100, 200);
    const int h = d.ImageHeight();
    ASSERT_EQ(h, 20);
    for (int k = 0; k < 3000; ++k) Add(d, k, static_cast<std::int16_t>(k * 20 - 30000), false, 0);
    EXPECT_EQ(d.Update().rows, kHistoryLength);
    for (int age = 0; age < h; ++age) {
      const int y = upward ? age : h - 1 - age;
      ASSERT_EQ(Pixel(d, 3, y), qv::SonicGreyIndex(static_cast<std::int16_t>((2999 - age) * 20 - 30000))) << age;
    }
  }
}

// The image and the visible window never reach past the history, however
// tall the screen.
TEST(SonicDisplayImage, AScreenTallerThanTheHistoryIsHeldToIt) {
  for (const bool upward : {true, false}) {
    SonicDisplay d;
    d.Configure({1}, Settings(upward, false, 200, 4000));
    EXPECT_EQ(d.ImageHeight(), kHistoryLength);
    const curveview::HistoryWindow w = d.Window(4000, 60);
    EXPECT_EQ(upward ? w.start : w.end, upward ? 0 : kHistoryLength);
    for (int k = 0; k < 2500; ++k) Add(d, k, 0, false, 0);
    EXPECT_EQ(d.Update().rows, kHistoryLength);
    EXPECT_EQ(d.FirstShownImageRow(4000, 60), upward ? 0 : 0);
  }
}

TEST(SonicDisplayRows, MoreThanTwentyCurvesAreAveragedEach) {
  std::vector<int> channels;
  for (int c = 0; c < 30; ++c) channels.push_back(1 + c % 16);
  SonicDisplay d;
  d.Configure(channels, Settings(true, false, 500));
  d.ResetScroll(10, 500);
  for (int k = 1; k <= 4; ++k) Add(d, k, 0);
  d.Update();
  for (int c = 0; c < 30; ++c) EXPECT_DOUBLE_EQ(d.Rows().DisplayValue(c, d.Rows().Anchor()), 2.5) << c;
}

// Metric 1:200: level-1 ticks every 0.2 m, level 2 every 1 m, level 3 every
// 2 m of depth; the minute mark on the row of its record.
TEST(SonicDisplayRows, TicksAndMinuteMarkForMetric1To200) {
  SonicDisplay d;
  d.Configure({1}, Settings(false, false, 200, 2000));
  d.ResetScroll(100, 200);
  d.SetDepth(0);
  for (int k = 0; k < 120; ++k) Add(d, k, 0, true, 1, k == 50);
  const curveview::RowUpdate u = d.Update();
  ASSERT_EQ(u.rows, static_cast<int>(120 * 3.937007813 + 0.5));
  EXPECT_EQ(u.depth, 12000);  // 120 steps of 0.1 m
  const int anchor = d.Rows().Anchor();
  std::vector<int> level3, level2, minute;
  for (int age = 0; age < u.rows; ++age) {
    const std::uint8_t m = d.Rows().MarkAt(anchor - age);
    if ((m & 0x0F) == 3) level3.push_back(age);
    if ((m & 0x0F) == 2) level2.push_back(age);
    if (m & 0x80) minute.push_back(age);
  }
  // 2 m of depth at 1:200 is 1 cm of paper, 78.74 rows; the newest row
  // (12.0 m) is a level-3 row.
  ASSERT_GE(level3.size(), 5u);
  EXPECT_EQ(level3[0], 0);
  for (std::size_t i = 1; i < level3.size(); ++i) EXPECT_NEAR(level3[i] - level3[i - 1], 78.74, 1.0);
  for (int a : level2) EXPECT_NEAR(std::fmod(a, 78.74), 39.37, 1.0) << a;
  ASSERT_EQ(minute.size(), 1u);
  // Record 50's rows are the 70th record back: ages 69 x 3.937 .. 70 x 3.937.
  EXPECT_NEAR(minute[0], 69 * 3.937, 4.0);
}

TEST(SonicDisplayScale, LogDecadesIncludingSpanningCurves) {
  const struct {
    double minimum, maximum;
    bool two;
    int low, high;
  } cases[] = {
      {0.05, 200, false, -2, 2}, {1, 1000, true, 0, 4},  {1, 1000, false, 0, 3},
      {0, 0, false, 0, 1},       {-5, 10, false, 0, 1},  {5, 5, false, 0, 1},
      {0.099, 1, false, -2, 0},  {0.1, 10, true, -1, 1}, {kNaN, 100, false, 0, 2},
  };
  for (const auto& c : cases) {
    const qv::SonicLogScale s = qv::SonicLogScaleOf(c.minimum, c.maximum, c.two);
    EXPECT_EQ(s.low, c.low) << c.minimum << " " << c.maximum;
    EXPECT_EQ(s.high, c.high) << c.minimum << " " << c.maximum;
  }
  // On a layout: the spanning curve widens to 1..10000 and marks track 3
  // logarithmic; the other track's curve is left alone.
  std::vector<TrackRecord> tracks(4);
  tracks[2].gridStyle = kGridLogarithmic;
  std::vector<CurveRecord> curves(3);
  curves[0].firstTrack = 2, curves[0].lastTrack = 3, curves[0].scaleMinimum = 1, curves[0].scaleMaximum = 1000;
  curves[1].firstTrack = 2, curves[1].lastTrack = 2, curves[1].scaleMinimum = 0.05f, curves[1].scaleMaximum = 200;
  curves[2].firstTrack = 0, curves[2].lastTrack = 0, curves[2].scaleMinimum = 0.05f, curves[2].scaleMaximum = 200;
  qv::SnapSonicLogCurves(curves, tracks);
  EXPECT_FLOAT_EQ(curves[0].scaleMaximum, 10000);
  EXPECT_EQ(tracks[3].gridStyle, 0x1000004);
  EXPECT_FLOAT_EQ(curves[1].scaleMinimum, 0.01f);
  EXPECT_FLOAT_EQ(curves[1].scaleMaximum, 100);
  EXPECT_FLOAT_EQ(curves[2].scaleMinimum, 0.05f);
  // Two decades per track for curve 1 keeps its maximum's decade; the
  // spanning curve gets four.
  qv::AdjustLogDecades(curves, tracks, 1, 2, true);
  EXPECT_FLOAT_EQ(curves[0].scaleMinimum, 1);
  EXPECT_FLOAT_EQ(curves[0].scaleMaximum, 10000);
  qv::AdjustLogDecades(curves, tracks, 0, 1, false);
  EXPECT_FLOAT_EQ(curves[1].scaleMinimum, 0.01f);
  EXPECT_FLOAT_EQ(curves[1].scaleMaximum, 0.1f);
}

// A curve wrapping round its track breaks at the edge and comes in from the
// other side; without wrapping it is held at the edge.
TEST(SonicDisplayScale, CurveWrap) {
  CurveRecord c;
  c.scaleFlag = 1;
  c.scaleMinimum = 0;
  c.scaleMaximum = 100;
  const RecordRect box{0, 0, 100, 400};
  const std::vector<double> values = {50, 150, 250, 90};
  const auto valueAt = [&](int j) { return values[static_cast<std::size_t>(j)]; };
  const auto wrapped = curveview::CurvePolylines(c, box, false, true, 0, 4, valueAt);
  ASSERT_EQ(wrapped.size(), 4u);  // bands 1, 2, 3 and back to 1
  EXPECT_EQ(wrapped[0].front().x, 50);
  const auto held = curveview::CurvePolylines(c, box, false, false, 0, 4, valueAt);
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(held[0][1].x, 100);
  EXPECT_EQ(held[0][3].x, 90);
}

TEST(SonicDisplayWiggle, ArrivalIndicesOnlyFromFiniteValuesInsideTheWaveform) {
  const struct {
    double arrival;
    int index;
  } cases[] = {{kNaN, 0},
               {std::numeric_limits<double>::infinity(), 0},
               {-std::numeric_limits<double>::infinity(), 0},
               {-3, 0},
               {0, 0},
               {0.7, 0},
               {1, 1},
               {100.9, 100},
               {511.5, 511},
               {512, 0},
               {1e300, 0},
               {-1e300, 0}};
  for (const auto& c : cases) EXPECT_EQ(qv::ArrivalIndex(c.arrival, 512), c.index) << c.arrival;
  const std::int16_t samples[] = {32767, -32768, 0, 6000};
  const auto p = qv::WigglePoints(samples, 40);
  EXPECT_EQ(p[0].y, 46);
  EXPECT_EQ(p[1].y, 34);
  EXPECT_EQ(p[2].y, 40);
  EXPECT_EQ(p[3].x, 3);
  EXPECT_EQ(p[3].y, 41);
}

// Wiggle mode: a trace every 13 rows once the rows run more than 19.5 past
// the last one, light grey before the arrival and black after it; an arrival
// that is not a number leaves the trace black.
TEST(SonicDisplayWiggle, TracesEveryThirteenRowsColouredAtTheArrival) {
  SonicDisplay d;
  d.Configure({1}, Settings(true, false, 200, 100, 16, 2));
  d.ResetScroll(100, 200);
  d.SetWiggle(true);
  for (int k = 0; k < 60; ++k) {
    Record r(d, 0, 0);
    r.values[12] = 5;     // wave 1 arrives at sample 5
    r.values[13] = kNaN;  // wave 2 has none
    d.AddRecord(r.values, r.waves, false, 0, {});
    d.Update();
  }
  std::vector<int> traced;
  for (int y = 0; y < d.ImageHeight(); ++y)
    if (Pixel(d, 10, y) != 0) traced.push_back(y);
  // Drawn at age 7 after rows 20, 33, 46 and 59, each moved on since.
  EXPECT_EQ(traced, (std::vector<int>{8, 21, 34, 47}));
  for (int x = 0; x < 16; ++x) EXPECT_EQ(Pixel(d, x, 8), x < 4 ? qv::kSonicEarlyIndex : 255) << x;
  for (int x = 16; x < 32; ++x) EXPECT_EQ(Pixel(d, x, 8), 255) << x;
}

// Many rows per update in wiggle mode: traces stay inside the image.
TEST(SonicDisplayWiggle, LargeBatchesDrawOnlyInsideTheImage) {
  for (const bool upward : {true, false}) {
    SonicDisplay d;
    d.Configure({1}, Settings(upward, false, 20, 10, 8, 3));
    d.ResetScroll(100, 20);
    d.SetWiggle(true);
    for (int k = 0; k < 200; ++k) Add(d, k, k % 2 ? 32767 : -32768, true, 1);
    EXPECT_EQ(d.Update().rows, kHistoryLength);
    int marked = 0;
    for (int y = 0; y < d.ImageHeight(); ++y) marked += Pixel(d, 0, y) != 0;
    EXPECT_GT(marked, 0);
  }
}

}  // namespace

namespace {

// A fast replay into a tall image: many rows per refresh at 1:20 (39 rows a
// record), both directions and both modes, waveforms over the whole sample
// range and arrivals of every kind; run under the address sanitizer.
TEST(SonicDisplayReplay, FastReplayWithManyRowsPerRefreshIntoATallImage) {
  for (const bool upward : {true, false})
    for (const bool wiggle : {false, true}) {
      qv::SonicDisplay d;
      d.Configure({1, 13, 14, 15, 16}, Settings(upward, false, 20, 2600, 256, 4));
      d.ResetScroll(100, 20);
      d.SetWiggle(wiggle);
      const double arrivals[] = {std::numeric_limits<double>::quiet_NaN(), 1e300, -5, 255.5, 256, 3};
      std::vector<double> values(16, 1.0);
      std::vector<std::int16_t> waves(static_cast<std::size_t>(d.ImageWidth()));
      int rows = 0;
      for (int k = 0; k < 600; ++k) {
        for (std::size_t i = 0; i < waves.size(); ++i)
          waves[i] = static_cast<std::int16_t>((k * 977 + i * 131) % 65536 - 32768);
        for (std::size_t w = 0; w < 4; ++w) values[12 + w] = arrivals[(static_cast<std::size_t>(k) + w) % 6];
        d.AddRecord(values, waves, true, upward ? -1 : 1, [&] { return k % 50 == 0; });
        if (k % 37 == 0) rows += d.Update().rows;
      }
      rows += d.Update().rows;
      EXPECT_EQ(d.ImageHeight(), kHistoryLength);
      EXPECT_GT(rows, 20000);
    }
}

}  // namespace
