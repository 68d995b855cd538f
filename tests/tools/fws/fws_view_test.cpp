// The full-wave sonic view driven offscreen: rows of 961 bytes from segments
// 1 to 9, the near and far images 480 samples wide, no gates, its depth-track
// unit, its chart rows and wiggle dots, its receiver delays.
#include "tools/fws/fws_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <array>
#include <climits>

#include "app/core/globals.h"
#include "platform/text/strings.h"
#include "tests/support/qt_app.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_display.h"
#include "tools/fws/fws_document.h"

namespace {

using qv::cbl::kCementBondView;
using qv::cbl::kFullWaveView;

constexpr std::uint8_t kFar = 0x80;

CurveRecord Curve(int channel, int track) {
  CurveRecord c;
  c.headerFlag = 1;
  c.scaleFlag = 1;
  c.firstTrack = c.lastTrack = track;
  c.physicalChannel = channel;
  c.description = c.shortTitle = "C" + std::to_string(channel);
  c.scaleMinimum = 0;
  c.scaleMaximum = 100;
  return c;
}

class FwsViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(1300, 400);
    Lay();
  }
  void Lay() {
    std::vector<TrackRecord> tracks(4);
    for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
    tracks[1].type = 1;
    view.SetLayout(tracks, {Curve(7, 2), Curve(1, 0), Curve(8, 3)});
    view.SetupLayout(&doc, &log);
    // Waveform tracks 480 wide: one pixel a sample.
    std::vector<TrackRecord>& t = view.Tracks();
    t[0].idealWidth = 200;
    t[1].idealWidth = 80;
    t[2].idealWidth = 480;
    t[3].idealWidth = 480;
    view.LayoutTracks();
  }
  // Segment n of a receiver: its 48 samples at fill, the last one fill + 1.
  void Segment(int segment, bool far, int fill) {
    CblWaveformSegment s{};
    s.flags = static_cast<std::uint8_t>(segment | (far ? kFar : 0));
    for (int i = 0; i < 48; ++i) s.sample[i] = static_cast<std::int8_t>(fill + (i == 47 ? 1 : 0));
    const double v[6] = {};
    view.AddDepthRow(s, v);
  }
  QImage Paint() {
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(&image);
    return image;
  }
  const TrackRecord& T(int i) { return view.Tracks()[static_cast<std::size_t>(i)]; }

  struct AppFirst {
    AppFirst() { qvtest::App(); }
  } app;
  cbltest::ViewDoc doc;
  qv::CFWSDocument log;
  CFWSView view{600};
};

// Near and far segments 1-9 of one firing: far segment 9 at samples 912-959
// of the row (bytes 913-960 with the line count), near segment 9 at 432-479;
// segment 0 is never stored; the image shows each receiver 480 wide.
TEST_F(FwsViewTest, RowsOfNineSegmentsAndTheirImages) {
  Segment(0, true, 99);  // far segment 0 starts the row
  for (int n = 0; n <= 9; ++n) Segment(n, false, -100 + 10 * n);
  for (int n = 1; n <= 9; ++n) Segment(n, true, 5 * n);
  qv::vdl::VdlEngine& engine = view.Engine();
  EXPECT_EQ(engine.Geometry().RowWidth(), 960);
  const std::int8_t* row = engine.Row(engine.TopRow());
  ASSERT_NE(row, nullptr);
  for (int k = 0; k < 48; ++k) {
    EXPECT_EQ(row[k], 0) << "near segment 0";
    EXPECT_EQ(row[480 + k], 0) << "far segment 0";
  }
  EXPECT_EQ(row[432], -10);
  EXPECT_EQ(row[479], -9);
  EXPECT_EQ(row[912], 45);
  EXPECT_EQ(row[959], 46);
  EXPECT_EQ(row[480 + 48], 5);

  view.UpdateDisplay();
  const QImage img = Paint();
  const int y = view.LegendHeight() + 1;
  // Grey 255 - (sample + 128), in the middle of segment 9 of each trace
  // (sample 456 of 480, wherever the track's width puts it).
  auto at = [&](int t) { return T(t).screenRect.left + (T(t).width + 1) * 456 / 480; };
  EXPECT_EQ(img.pixel(at(2), y), qRgb(137, 137, 137)) << "near -10";
  EXPECT_EQ(img.pixel(at(3), y), qRgb(82, 82, 82)) << "far 45";
}

// No gates: a click anywhere in a waveform track hits no gate, no red line is drawn.
TEST_F(FwsViewTest, NoGatesToDrawOrDrag) {
  for (int t : {2, 3})
    for (int x = T(t).screenRect.left + 6; x < T(t).screenRect.right - 6; x += 7)
      ASSERT_EQ(view.HitTest(x, 200), -1) << t << " " << x;
  EXPECT_EQ(view.HitTest(T(2).screenRect.right, 200), 2) << "the border still drags";
  const QImage img = Paint();
  for (int x = T(2).screenRect.left; x < T(3).screenRect.right; ++x) ASSERT_NE(img.pixel(x, 350), qRgb(255, 0, 0)) << x;
}

// The depth track reads in the log's depth unit: metres, or feet.
TEST_F(FwsViewTest, DepthTrackUnits) {
  EXPECT_EQ(view.DepthTrack().unit, "[m]");
  doc.imperial = true;
  Lay();
  EXPECT_EQ(view.DepthTrack().unit, "[ft]");
}

// A density chart row of a full-wave line: each of the 960 samples once, the
// multiples of 15 (0, 15, ... 945) twice: exactly 1024 bytes.
TEST(FwsChart, DensityRowsOf960Samples) {
  std::vector<std::int8_t> samples(960);
  for (int k = 0; k < 960; ++k) samples[static_cast<std::size_t>(k)] = static_cast<std::int8_t>(k % 250 - 125);
  std::vector<std::uint8_t> row(qv::cbl::kChartRowBytes, 0xEE);
  const qv::cbl::Gates gates{0, 32, 100, 132};  // a full-wave row has none to clear
  qv::cbl::DensityChartRow(samples, gates, row.data(), kFullWaveView);
  int d = 0;
  for (int k = 0; k < 960; ++k)
    for (int c = 0; c < (k % 15 == 0 ? 2 : 1); ++c, ++d)
      ASSERT_EQ(row[static_cast<std::size_t>(d)], static_cast<std::uint8_t>(samples[static_cast<std::size_t>(k)] + 128))
          << k;
  EXPECT_EQ(d, 1024);
  EXPECT_EQ(row[1024], 0xEE) << "the mark byte is not a sample";
}

TEST(FwsChart, WiggleDots) {
  struct Case {
    int k, cementBond, fullWave;
  } cases[] = {{0, 1022, 1024}, {1, 1019, 1020}, {8, 1005, 1006}, {9, 1002, 1004},
               {15, 990, 992},  {16, 988, 988},  {479, 4, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k);
    EXPECT_EQ(qv::cbl::ChartWiggleDot(c.k, kCementBondView), c.cementBond);
    EXPECT_EQ(qv::cbl::ChartWiggleDot(c.k, kFullWaveView), c.fullWave);
  }
}

// A receiver's delay is its offset (with the display offset) over the depth
// step times 10 in the cement-bond view and times 20 in the full-wave one.
TEST(FwsDelays, MetricAndImperial) {
  struct Case {
    const char* name;
    bool imperial;
    int step, nearOffset;
    int cementBond, fullWave;
  } cases[] = {
      // Metric 1:200: display offset (int)(25.5 x 0.127 x 200) = 647.
      {"metric", false, 10, -447, 2, 1},
      {"metric, further", false, 10, 353, 10, 5},
      // Imperial 1:200: display offset (int)(25.5 x 0.41666666 x 200) = 2124.
      {"imperial", true, 50, 876, 6, 3},
      {"imperial, rounded", true, 50, 1126, 7, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto* kind : {&kCementBondView, &kFullWaveView}) {
      qv::vdl::VdlEngine engine(CCBLView::GeometryOf(*kind, 200));
      qv::vdl::VdlScroll s;
      s.depthScale = 200;
      s.depthStep = c.step;
      s.imperial = c.imperial;
      s.nearOffset = c.nearOffset;
      engine.ResetScroll(s);
      EXPECT_EQ(engine.NearDelay(), kind == &kCementBondView ? c.cementBond : c.fullWave);
    }
  }
}

qv::vdl::VdlGeometry FullWaveGeometry(int imageHeight) {
  return CCBLView::GeometryOf(kFullWaveView, imageHeight);
}

// A firing as the tool sends it: near 0-9, then far 0-9; segment n's
// samples all n x 10 (near) or -n x 10 (far).
void Firing(qv::vdl::VdlEngine& engine) {
  const std::array<double, 6> v{};
  for (int far = 0; far < 2; ++far)
    for (int n = 0; n <= 9; ++n) {
      std::array<std::int8_t, 48> s;
      s.fill(static_cast<std::int8_t>(far ? -10 * n : 10 * n));
      engine.AddDepthRow(static_cast<std::uint8_t>(n | (far ? kFar : 0)), s, v);
    }
}

// The row packing of the full-wave view: a segment's flags byte decides
// which 48 bytes of the newest row it writes (sample k of the near receiver
// at k, of the far one at 480 + k; the line-count byte is kept apart), or
// that it writes none.
TEST(FwsRows, SegmentFlagsToBytesWritten) {
  struct Case {
    std::uint8_t flags;
    int first;  // first sample written, -1 none
  } cases[] = {{0x00, -1},  {0x01, 48},  {0x04, 192}, {0x05, 240}, {0x09, 432}, {0x0A, -1},  {0x0F, -1}, {0x81, 528},
               {0x85, 720}, {0x89, 912}, {0x8A, -1},  {0x8F, -1},  {0x21, 48},  {0x49, 432}, {0xC9, 912}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.flags));
    qv::vdl::VdlEngine engine(FullWaveGeometry(200));
    qv::vdl::VdlScroll s;
    s.depthMode = false;
    engine.ResetScroll(s);
    const std::array<double, 6> v{};
    std::array<std::int8_t, 48> samples;
    samples.fill(0);
    engine.AddDepthRow(kFar, samples, v);  // a row to write into
    samples.fill(77);
    engine.AddDepthRow(c.flags, samples, v);
    const std::int8_t* row = engine.Row(engine.TopRow());
    ASSERT_NE(row, nullptr);
    for (int k = 0; k < 960; ++k) {
      const bool written = c.first >= 0 && k >= c.first && k < c.first + 48;
      ASSERT_EQ(row[k], written ? 77 : 0) << k;
    }
  }
}

// Wiggle traces of a full-wave row: 480 points, point k from sample 2 k, so
// each receiver's 240 points fall in its own half.
TEST(FwsWiggle, TracesTakeEverySecondSample) {
  // 1:5 with a step of 1 cm: rows of a few hundred lines, tall traces.
  qv::vdl::VdlEngine engine(FullWaveGeometry(1000));
  qv::vdl::VdlScroll s;
  s.depthScale = 5;
  s.depthStep = 10;
  engine.ResetScroll(s);
  Firing(engine);
  Firing(engine);
  const qv::vdl::VdlRefresh out = engine.Refresh(true, true, 100);
  ASSERT_TRUE(out.done);
  ASSERT_FALSE(out.traces.empty());
  int stepped = 0;
  for (const std::vector<int>& t : out.traces) {
    ASSERT_EQ(t.size(), 480u);
    // Near segment n covers points 24 n .. 24 n + 23, far segment n points 240 + 24 n ...
    bool steps = true;
    for (int n = 1; n <= 9; ++n) {
      EXPECT_EQ(t[static_cast<std::size_t>(24 * n)], t[static_cast<std::size_t>(24 * n + 23)]) << n;
      EXPECT_EQ(t[static_cast<std::size_t>(240 + 24 * n)], t[static_cast<std::size_t>(240 + 24 * n + 23)]) << n;
      if (n > 1) steps = steps && t[static_cast<std::size_t>(24 * n)] < t[static_cast<std::size_t>(24 * n - 1)];
    }
    stepped += steps;
  }
  EXPECT_GT(stepped, 0) << "a whole row's trace rises segment by segment";
}

// A tall image and receiver offsets far beyond the store: rows, delays and
// both refreshes stay inside their buffers (run under AddressSanitizer).
TEST(FwsSizing, ATallImageAndFarOffsets) {
  for (const int offset : {INT_MAX / 4, -INT_MAX / 4, 0}) {
    SCOPED_TRACE(offset);
    qv::vdl::VdlEngine engine(FullWaveGeometry(3000));
    qv::vdl::VdlScroll s;
    s.depthScale = 20;
    s.depthStep = 10;
    s.nearOffset = offset;
    s.farOffset = -offset;
    s.curves.assign(6, {offset, 1, 3});
    engine.ResetScroll(s);
    for (int k = 0; k < 50; ++k) Firing(engine);
    EXPECT_TRUE(engine.Refresh(false, true, 100).done);
    for (int k = 0; k < 50; ++k) Firing(engine);
    EXPECT_TRUE(engine.Refresh(true, true, 100).done);
  }
}

}  // namespace
