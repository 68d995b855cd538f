#include "tools/waveform/vdl_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using qv::vdl::VdlEngine;
using qv::vdl::VdlGeometry;
using qv::vdl::VdlScroll;

constexpr std::uint8_t kFar = 0x80;

// Samples of a segment that name it: firing x 16 + receiver x 8 + segment,
// the same in all 48 samples.
std::int8_t Tag(int firing, bool far, int segment) {
  return static_cast<std::int8_t>(firing * 16 + (far ? 8 : 0) + segment);
}

struct Feed {
  explicit Feed(VdlGeometry g = {}) : engine(g) {}
  void Segment(int firing, bool far, int segment, double value = 0.0) {
    std::array<std::int8_t, 48> s;
    s.fill(Tag(firing, far, segment));
    std::array<double, 6> v;
    v.fill(value);
    engine.AddDepthRow(static_cast<std::uint8_t>(segment | (far ? kFar : 0)), s, v);
  }
  // A whole firing as the tool sends it: near 0-4, then far 0-4.
  void Firing(int firing) {
    for (int n = 0; n <= 4; ++n) Segment(firing, false, n);
    for (int n = 0; n <= 4; ++n) Segment(firing, true, n);
  }
  VdlEngine engine;
};

VdlGeometry SmallImage() {
  VdlGeometry g;
  g.imageHeight = 100;
  return g;
}

VdlScroll TimeLog() {
  VdlScroll s;
  s.depthMode = false;
  s.depthStep = 10;
  return s;
}

// Which firing's near (or far) samples a stored row half holds, by segment;
// -1 for a segment of zeros.
int HalfFiring(const std::int8_t* row, bool far, int segment) {
  const std::int8_t b = row[(far ? 240 : 0) + 48 * segment];
  if (b == 0) return -1;
  return b / 16;
}

TEST(VdlIntake, RowsOfANearAndFarStreamWithDelays) {
  // Metric 1:200, step 10: the display offset is (int)(25.5 x 0.127 x 200) =
  // 647; a near offset of -447 gives (200 / 100) = 2 rows of delay, a far
  // offset of -647 none.
  Feed f(SmallImage());
  VdlScroll s;
  s.depthScale = 200;
  s.depthStep = 10;
  s.nearOffset = -447;
  s.farOffset = -647;
  f.engine.ResetScroll(s);
  ASSERT_EQ(f.engine.NearDelay(), 2);
  ASSERT_EQ(f.engine.FarDelay(), 0);
  for (int k = 0; k <= 3; ++k) f.Firing(k);
  const int r = f.engine.TopRow();
  // Row r + j: near of firing 2 - j and far of firing 3 - j; segment 0 of
  // either receiver is never stored.
  struct Case {
    int row, nearFiring, farFiring;
  };
  const Case cases[] = {{-1, 3, -1}, {0, 2, 3}, {1, 1, 2}, {2, 0, 1}, {3, -1, 0}, {4, -1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const std::int8_t* row = f.engine.Row(r + c.row);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(HalfFiring(row, false, 0), -1);
    EXPECT_EQ(HalfFiring(row, true, 0), -1);
    for (int n = 1; n <= 4; ++n) {
      EXPECT_EQ(HalfFiring(row, false, n), c.nearFiring) << "near segment " << n;
      EXPECT_EQ(HalfFiring(row, true, n), c.farFiring) << "far segment " << n;
      if (c.nearFiring >= 0) {
        EXPECT_EQ(row[48 * n + 47], Tag(c.nearFiring, false, n));
      }
      if (c.farFiring >= 0) {
        EXPECT_EQ(row[240 + 48 * n], Tag(c.farFiring, true, n));
      }
    }
  }
  EXPECT_EQ(f.engine.PendingRows(), 4);
}

TEST(VdlIntake, SegmentsOutsideOneToFourAreNotStored) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  f.Segment(0, true, 0);
  for (int n : {0, 5, 9, 15}) f.Segment(1, false, n);
  const std::int8_t* row = f.engine.Row(f.engine.TopRow());
  for (int k = 0; k < 480; ++k) ASSERT_EQ(row[k], 0) << k;
}

TEST(VdlEmission, Metric1To200AveragesTheRecordsOfALine) {
  // 0.39370078 pixels a record: lines fall after records 2, 4 and 7.
  Feed f(SmallImage());
  VdlScroll s;
  s.depthScale = 200;
  s.depthStep = 10;
  f.engine.ResetScroll(s);
  EXPECT_NEAR(f.engine.PixelsPerSample(), 0.39370078, 1e-8);
  f.Segment(0, true, 0, 0.0);
  const double v[] = {1, 2, 3, 4, 5, 6, 7};  // the record of 7 waits for its line
  std::vector<int> linesAfter;
  for (double x : v) {
    f.Segment(0, false, 1, x);
    linesAfter.push_back(f.engine.PendingLines());
  }
  // The far segment 0 came first (0.39: no line).
  EXPECT_EQ(linesAfter, (std::vector<int>{1, 1, 2, 2, 2, 3, 3}));
  const int x = f.engine.TopRow() - 25;
  // Lines newest first from row x: the records of each line averaged.
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x), (4 + 5 + 6) / 3.0);
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x + 1), (2 + 3) / 2.0);
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x + 2), (0 + 1) / 2.0);
}

TEST(VdlEmission, Metric1To20SpreadsARecordAndTheFilterFillsItsRows) {
  // Logged up or down: the newest rows are on top either way, and the filter
  // works where they come in, not at the bottom of the shown rows.
  for (const bool upward : {true, false}) {
    SCOPED_TRACE(upward ? "up" : "down");
    Feed f(SmallImage());
    VdlScroll s;
    s.depthScale = 20;
    s.depthStep = 10;
    s.upward = upward;
    s.curves.resize(6);
    s.curves[2].filterType = 1;
    s.curves[2].filterWidth = 3;
    f.engine.ResetScroll(s);
    f.engine.SetClientRows(80);
    EXPECT_NEAR(f.engine.PixelsPerSample(), 3.937007, 1e-6);
    std::vector<int> perRecord;
    int before = 0;
    for (int i = 0; i < 8; ++i) {
      f.Segment(0, i == 0, i == 0 ? 0 : 1, 10.0 * i);
      perRecord.push_back(f.engine.PendingLines() - before);
      before = f.engine.PendingLines();
    }
    EXPECT_EQ(perRecord, (std::vector<int>{4, 4, 4, 4, 4, 4, 4, 3}));
    // The filtered channel: rows m - 4 .. m + 4 hold one statistic, the rows
    // beyond them not.
    const int m = f.engine.TopRow();
    const double centre = f.engine.WorkingValue(2, m);
    for (int row = m - 4; row <= m + 4; ++row) EXPECT_DOUBLE_EQ(f.engine.WorkingValue(2, row), centre) << row;
    EXPECT_NE(f.engine.WorkingValue(2, m - 5), centre);
    // An unfiltered channel keeps the raw values: the newest at row r - 25.
    EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, m - 25), 70.0);
  }
}

TEST(VdlEmission, TimeModeGivesOneLineARecordWithoutDelays) {
  Feed f(SmallImage());
  VdlScroll s = TimeLog();
  s.nearOffset = 5000;
  s.farOffset = 9000;
  s.curves.assign(6, {});
  s.curves[0].offset = 3000;
  f.engine.ResetScroll(s);
  EXPECT_EQ(f.engine.NearDelay(), 0);
  EXPECT_EQ(f.engine.FarDelay(), 0);
  f.Segment(0, true, 0, 1.0);
  f.Segment(0, false, 1, 2.0);
  f.Segment(0, false, 2, 3.0);
  EXPECT_EQ(f.engine.PendingLines(), 3);
  const int x = f.engine.TopRow() - 25;
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x), 3.0);
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x + 1), 2.0);
  EXPECT_DOUBLE_EQ(f.engine.WorkingValue(0, x + 2), 1.0);
  EXPECT_EQ(f.engine.Row(f.engine.TopRow())[48], Tag(0, false, 1));
}

TEST(VdlRefresh, DensityLinesWalkTheRowsByTheirLineCounts) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  f.engine.SetClientRows(80);
  f.Firing(0);
  f.Firing(1);
  const qv::vdl::VdlRefresh out = f.engine.Refresh(false, true, 100);
  ASSERT_TRUE(out.done);
  EXPECT_EQ(out.lines, 20);
  EXPECT_EQ(out.rows, 2);
  // Newest lines first: 5 of the newest row (far of firing 1, no near yet),
  // 10 of near 1 + far 0, 5 of near 0 alone.
  struct Case {
    int firstLine, lastLine, nearFiring, farFiring;
  };
  for (const Case& c : {Case{0, 4, -1, 1}, Case{5, 14, 1, 0}, Case{15, 19, 0, -1}}) {
    for (int line = c.firstLine; line <= c.lastLine; ++line) {
      const std::uint8_t* px = f.engine.Image() + line * 480;
      for (int n = 1; n <= 4; ++n) {
        const std::uint8_t nearPx =
            c.nearFiring < 0 ? 128 : static_cast<std::uint8_t>(Tag(c.nearFiring, false, n) ^ 0x80);
        const std::uint8_t farPx = c.farFiring < 0 ? 128 : static_cast<std::uint8_t>(Tag(c.farFiring, true, n) ^ 0x80);
        ASSERT_EQ(px[48 * n], nearPx) << "line " << line << " segment " << n;
        ASSERT_EQ(px[240 + 48 * n + 47], farPx) << "line " << line << " segment " << n;
      }
      EXPECT_EQ(px[0], 128);  // segment 0: zero samples, mid grey
    }
  }
  // The line samples for the chart: oldest first.
  ASSERT_EQ(out.lineSamples.size(), 20u * 480u);
  EXPECT_EQ(out.lineSamples[48], Tag(0, false, 1));
  EXPECT_EQ(out.lineSamples[19 * 480 + 240 + 48], Tag(1, true, 1));
  EXPECT_EQ(f.engine.PendingLines(), 0);
}

TEST(VdlRefresh, ExtremeSamplesGiveWhiteAndBlack) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  std::array<std::int8_t, 48> s{};
  s[0] = -128;
  s[1] = 127;
  s[2] = -1;
  const std::array<double, 6> v{};
  f.engine.AddDepthRow(kFar, s, v);
  f.engine.AddDepthRow(kFar | 1, s, v);
  ASSERT_TRUE(f.engine.Refresh(false, false, 100).done);
  EXPECT_EQ(f.engine.Image()[240 + 48], 0);
  EXPECT_EQ(f.engine.Image()[240 + 49], 255);
  EXPECT_EQ(f.engine.Image()[240 + 50], 127);
}

// Marks of new lines from the depth at the refresh: one line a record (time
// mode keeps the arithmetic plain), N = 200.
std::vector<std::uint8_t> MarksOf(bool imperial, int depth, int lines, int minuteAt) {
  VdlGeometry g;
  g.imageHeight = 300;
  Feed f(g);
  VdlScroll s = TimeLog();
  s.imperial = imperial;
  s.depthScale = 200;
  f.engine.ResetScroll(s);
  int closed = 0;
  f.engine.SetMinuteSource([&] { return closed++ == minuteAt; });
  f.engine.SetDepth(depth - f.engine.DisplayOffset());
  f.Segment(0, true, 0);
  for (int i = 1; i < lines; ++i) f.Segment(0, false, 1);
  EXPECT_TRUE(f.engine.Refresh(false, false, 100).done);
  const int r = f.engine.TopRow();
  return {f.engine.Marks().begin() + r, f.engine.Marks().begin() + r + lines};
}

TEST(VdlRefresh, DepthMarksInMetresAndFeetAndTheMinuteBit) {
  // Metres: 100.000 m, 1.27 x 200 = 254 tenths of a millimetre a line; major
  // every 2 m, medium every 1 m, minor every 0.2 m; a kind is kept off the
  // two rows next to another.
  const auto m = MarksOf(false, 100000, 45, -1);
  EXPECT_EQ(m[0], qv::vdl::kMarkMajor);
  EXPECT_EQ(m[7], qv::vdl::kMarkMinor);
  EXPECT_EQ(m[8], 0);
  EXPECT_EQ(m[15], qv::vdl::kMarkMinor);
  EXPECT_EQ(m[16], 0);
  EXPECT_EQ(m[38], 0);
  EXPECT_EQ(m[39], qv::vdl::kMarkMedium);
  // Feet: 1000 ft, 5 x 200 = 1000 thousandths of an inch a line.
  const auto ft = MarksOf(true, 1000000, 120, -1);
  EXPECT_EQ(ft[0], qv::vdl::kMarkMajor);
  EXPECT_EQ(ft[19], 0);
  EXPECT_EQ(ft[20], qv::vdl::kMarkMinor);
  EXPECT_EQ(ft[100], qv::vdl::kMarkMedium);
  // The line closed fourth of ten (index 3) is the sixth newest.
  const auto minute = MarksOf(true, 1000000, 10, 3);
  for (int g = 0; g < 10; ++g) EXPECT_EQ((minute[g] & qv::vdl::kMarkMinute) != 0, g == 6) << g;
}

TEST(VdlSizing, ATallScreenAndLongDelaysStayInsideTheStore) {
  // A 2600-line image: the newest row would lie 200 rows above row 0 of a
  // 2400-row store.
  VdlGeometry g;
  g.imageHeight = 2600;
  Feed f(g);
  VdlScroll s;
  s.depthScale = 20;
  s.depthStep = 10;
  s.nearOffset = 400000;  // far beyond the rows above the image
  s.farOffset = 1000;
  s.curves.assign(6, {});
  s.curves[1].offset = 200000;
  s.curves[3] = {0, 2, 51};
  f.engine.ResetScroll(s);
  const int r = f.engine.TopRow();
  EXPECT_EQ(f.engine.HistoryLength(), r + 2600);
  EXPECT_GE(r - f.engine.NearDelay(), 0);
  f.engine.SetClientRows(2600);
  for (int k = 0; k < 30; ++k) f.Firing(k);
  // The last near segments went in above the delay and moved one row with
  // their firing's far segment 0.
  EXPECT_EQ(f.engine.Row(r - f.engine.NearDelay() + 1)[48], Tag(29, false, 1));
  const auto out = f.engine.Refresh(false, true, 100);
  EXPECT_TRUE(out.done);
  EXPECT_GT(out.lines, 1000);
}

TEST(VdlRefresh, MoreThanAThousandPendingLinesAreConsumed) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  f.Segment(0, true, 0);
  for (int i = 0; i < 1000; ++i) f.Segment(0, false, 1);
  ASSERT_EQ(f.engine.PendingLines(), 1001);
  auto out = f.engine.Refresh(false, false, 100);
  EXPECT_TRUE(out.done);
  EXPECT_EQ(out.lines, 1001);
  EXPECT_EQ(f.engine.PendingLines(), 0);
  // The display goes on with the next lines.
  f.Segment(1, true, 0);
  f.Segment(1, true, 1);
  out = f.engine.Refresh(false, false, 100);
  EXPECT_TRUE(out.done);
  EXPECT_EQ(out.lines, 2);
  EXPECT_EQ(f.engine.Image()[240 + 48], static_cast<std::uint8_t>(Tag(1, true, 1) ^ 0x80));
}

// Over many refreshes, some of a single firing and some of many, the image
// reads as if every refresh had moved it down by its new lines and drawn
// them on top, and the display histories as the working ones at that moment.
TEST(VdlRefresh, ImageAndHistoriesStayTrueOverManyRefreshes) {
  constexpr int kWidth = 480, kHeight = 100;
  Feed f(SmallImage());
  VdlScroll s = TimeLog();
  s.curves = {{0, 1, 5}, {0, 0, 0}};  // a filtered and a plain curve
  f.engine.ResetScroll(s);
  f.engine.SetClientRows(kHeight);
  std::vector<std::uint8_t> image(static_cast<std::size_t>(kWidth) * kHeight, 0);
  int firing = 0;
  for (int refresh = 0; refresh < 60; ++refresh) {
    // Mostly one firing a refresh; now and then a long gap (more writes than
    // the history has rows).
    const int firings = refresh % 15 == 7 ? 40 : 1 + refresh % 3;
    for (int k = 0; k < firings; ++k, ++firing)
      for (int n = 0; n < 10; ++n) {
        std::array<std::int8_t, 48> samples;
        samples.fill(static_cast<std::int8_t>((firing * 7 + n) % 200 - 100));
        std::array<double, 6> v;
        v.fill(firing * 10.0 + n);
        f.engine.AddDepthRow(static_cast<std::uint8_t>((n % 5) | (n >= 5 ? kFar : 0)), samples, v);
      }
    const auto out = f.engine.Refresh(false, true, 100);
    ASSERT_TRUE(out.done) << refresh;
    const int lines = out.lines, shift = std::min(lines, kHeight);
    if (shift < kHeight)
      std::memmove(image.data() + static_cast<std::size_t>(shift) * kWidth, image.data(),
                   static_cast<std::size_t>(kHeight - shift) * kWidth);
    for (int b = 0; b < shift; ++b)
      for (int k = 0; k < kWidth; ++k)
        image[static_cast<std::size_t>(b) * kWidth + k] =
            static_cast<std::uint8_t>(out.lineSamples[static_cast<std::size_t>(lines - 1 - b) * kWidth + k] + 128);
    ASSERT_EQ(std::memcmp(f.engine.Image(), image.data(), image.size()), 0) << "refresh " << refresh;
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < f.engine.HistoryLength(); ++i)
        ASSERT_EQ(f.engine.DisplayHistory(c)[i], f.engine.WorkingValue(c, i))
            << "refresh " << refresh << " curve " << c << " row " << i;
  }
  EXPECT_GT(firing * 10, 3 * kHeight);  // the image's origin went round more than once
}

TEST(VdlRefresh, ALockTimeOutSkipsTheRefresh) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  f.Firing(0);
  std::atomic<bool> held{false}, release{false};
  std::thread painter([&] {
    std::lock_guard<std::timed_mutex> lock(f.engine.DisplayLock());
    held = true;
    while (!release) std::this_thread::yield();
  });
  while (!held) std::this_thread::yield();
  EXPECT_FALSE(f.engine.Refresh(false, false, 20).done);
  EXPECT_EQ(f.engine.PendingLines(), 10);
  release = true;
  painter.join();
  EXPECT_TRUE(f.engine.Refresh(false, false, 20).done);
}

TEST(VdlRefresh, NoNewRowConsumesNothing) {
  Feed f(SmallImage());
  f.engine.ResetScroll(TimeLog());
  f.Segment(0, false, 1);
  EXPECT_FALSE(f.engine.Refresh(false, false, 100).done);
  EXPECT_EQ(f.engine.PendingLines(), 1);
}

TEST(VdlWiggle, TracesOfTheNewRowsAreDrawnFromLine100) {
  VdlGeometry g;
  g.imageHeight = 300;
  Feed f(g);
  f.engine.ResetScroll(TimeLog());
  // Two firings: the second refresh draws the completed row of the first.
  f.Firing(0);
  ASSERT_TRUE(f.engine.Refresh(true, false, 100).done);
  f.Firing(1);
  ASSERT_TRUE(f.engine.Refresh(true, false, 100).done);
  int black = 0;
  for (int i = 0; i < 480 * 300; ++i) black += f.engine.Image()[i] == 255;
  EXPECT_GT(black, 480);
  for (int i = 0; i < 480 * 300; ++i) ASSERT_TRUE(f.engine.Image()[i] == 0 || f.engine.Image()[i] == 255);
  f.engine.ClearImage();
  for (int i = 0; i < 480 * 300; ++i) ASSERT_EQ(f.engine.Image()[i], 0);
}

TEST(VdlGeometryParameter, FourHundredAndEightySamplesAReceiver) {
  VdlGeometry g = SmallImage();
  g.samplesPerReceiver = 480;
  g.lastSegment = 9;
  Feed f(g);
  f.engine.ResetScroll(TimeLog());
  f.Segment(0, true, 0);
  f.Segment(0, true, 9);
  f.Segment(0, false, 9);
  const std::int8_t* row = f.engine.Row(f.engine.TopRow());
  EXPECT_EQ(row[480 + 48 * 9 + 47], Tag(0, true, 9));
  EXPECT_EQ(row[48 * 9], Tag(0, false, 9));
  ASSERT_TRUE(f.engine.Refresh(false, false, 100).done);
  EXPECT_EQ(f.engine.Image()[960 - 1], static_cast<std::uint8_t>(Tag(0, true, 9) ^ 0x80));
}

}  // namespace

namespace {

// A cement-bond sonde logged through a well whose every reading is the depth
// it was read at: each record (one segment of the firing, near 0-4 then far
// 0-4) is a depth step; a curve's value is its sensor's depth (thousandths),
// a segment's samples its receiver's depth in steps (modulo 128). Offsets
// count up from the sonde's bottom, where the counter measures.
struct DepthRun {
  static constexpr int kStep = 50;
  static constexpr int kSondeLength = 2800;
  static constexpr int kNear = 1900, kFar = 2100;
  static constexpr std::array<int, 6> kCurve = {400, 600, 1900, 1900, 2100, 1900};

  // Circular distance of two step counts modulo 128.
  static int StepsApart(int a, int b) {
    const int d = ((a - b) % 128 + 128) % 128;
    return std::min(d, 128 - d);
  }

  // Logs 1200 records from 80 m the log's way at 1:scale and checks, at
  // every refresh, the newest shown line against the depth the view labels
  // it with.
  static void Check(bool upward, int scale) {
    SCOPED_TRACE(testing::Message() << (upward ? "up" : "down") << " 1:" << scale);
    VdlGeometry g;
    g.imageHeight = 400;
    VdlEngine engine(g);
    VdlScroll s;
    s.depthScale = scale;
    s.depthStep = kStep;
    s.upward = upward;
    s.sondeLength = kSondeLength;
    s.nearOffset = kNear;
    s.farOffset = kFar;
    s.curves.assign(6, {});
    for (std::size_t c = 0; c < 6; ++c) s.curves[c].offset = kCurve[c];
    const int direction = upward ? -1 : 1;
    engine.SetDepthStepPerRecord(direction * kStep);
    engine.ResetScroll(s);
    engine.SetClientRows(300);
    const int first = 80000;
    engine.SetDepth(first);
    int checked = 0;
    for (int k = 0; k < 1200; ++k) {
      const int depth = first + direction * kStep * k;
      const int segment = k % 10;
      const bool far = segment >= 5;
      std::array<std::int8_t, 48> samples;
      samples.fill(static_cast<std::int8_t>(((depth - (far ? kFar : kNear)) / kStep) & 0x7F));
      std::array<double, 6> values;
      for (std::size_t c = 0; c < 6; ++c) values[c] = depth - kCurve[c];
      engine.AddDepthRow(static_cast<std::uint8_t>(segment % 5 | (far ? 0x80 : 0)), samples, values);
      if (k % 7 != 6) continue;
      const qv::vdl::VdlRefresh out = engine.Refresh(false, false, 100);
      if (!out.done) continue;  // no new row yet
      // Once the sonde's whole length and the delays have passed.
      if (k < 200 + 2 * kSondeLength / kStep) continue;
      const int label = out.labelDepth;
      for (std::size_t c = 0; c < 6; ++c)
        EXPECT_NEAR(engine.DisplayHistory(static_cast<int>(c))[engine.TopRow()], label, 2.0 * kStep)
            << "record " << k << " curve " << c + 1;
      // The depth track's major marks (every 2 m at 1:200, 5 m at 1:500)
      // lie on the rows whose depth is a whole number of them, within two
      // rows (a line is emitted when its share of records is due): the rows
      // go deeper down the screen logged up, shallower logged down.
      const std::vector<std::uint8_t>& marks = engine.Marks();
      const double mmPerRow = scale * 0.127 * (upward ? 1 : -1);
      const double major = scale * 10.0;
      for (int j = 0; j < 300; ++j) {
        if ((marks[static_cast<std::size_t>(engine.TopRow() + j)] & 0x0F) != qv::vdl::kMarkMajor) continue;
        const double off = std::remainder(label + j * mmPerRow, major);
        EXPECT_LE(std::abs(off), 2 * std::abs(mmPerRow)) << "record " << k << " major mark on row " << j;
      }
      const std::uint8_t* line = engine.Image();
      for (int receiver = 0; receiver < 2; ++receiver) {
        const int tag = line[receiver * 240 + 100] - 128;
        // A row holds a firing, whose segments span ten steps, and a
        // receiver's delay is whole rows.
        EXPECT_LE(StepsApart(tag, label / kStep), 15) << "record " << k << (receiver ? " far" : " near");
      }
      ++checked;
    }
    EXPECT_GT(checked, 50);
  }
};

}  // namespace

// Logged down or up, at a scale that spreads a record over lines or one
// that averages records into a line, the newest line shows what the sensors
// read at the depth the depth track gives it: every curve and both
// receivers' waveforms, whatever their offsets on the sonde.
TEST(VdlDepth, EveryReadingIsShownAtTheDepthItWasRead) {
  for (const bool upward : {false, true})
    for (const int scale : {200, 500}) DepthRun::Check(upward, scale);
}
