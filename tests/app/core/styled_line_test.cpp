#include <gtest/gtest.h>

#include <vector>

#include "app/core/styled_line.h"

namespace {

struct Seg {
  int x0, y0, x1, y1;
  bool operator==(const Seg&) const = default;
};

// Records the drawing calls and turns them into the drawn segments.
class RecordingDevice : public LineDevice {
public:
  std::vector<Seg> drawn;
  std::vector<LinePen> strokes;
  int paths = 0;
  int x = 0, y = 0;
  void MoveTo(int nx, int ny) override {
    x = nx;
    y = ny;
  }
  void LineTo(int nx, int ny) override {
    drawn.push_back({x, y, nx, ny});
    x = nx;
    y = ny;
  }
  void BeginPath() override { ++paths; }
  void StrokePath(const LinePen& pen) override { strokes.push_back(pen); }
};

std::vector<int> PatternOf(unsigned style, int width) {
  int p[8];
  const int n = BuildDashPattern(p, width, style);
  return std::vector<int>(p, p + n);
}

TEST(StyledLine, DashPatternsScaleWithPenWidth) {
  struct Case {
    unsigned style;
    int width;
    std::vector<int> pattern;
  };
  const Case cases[] = {
      {1, 5, {}},
      {2, 1, {4, 2}},
      {2, 3, {12, 4}},
      {3, 1, {1, 2}},
      {3, 2, {1, 4}},
      {4, 2, {6, 4, 1, 4}},
      {5, 1, {3, 2, 1, 2, 1, 2}},
      {6, 2, {6, 4, 1, 4, 1, 4, 1, 4}},
      {0, 1, {4, 2, 1, 2, 1, 2, 1, 2}},
      {0, 2, {8, 3, 2, 3, 2, 3, 2, 3}},
      {7, 2, {}},
      {1000, 1, {}},
      {2, 0, {4, 2}},   // a pen narrower than one pixel dashes as width 1
      {3, -4, {1, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PatternOf(c.style, c.width), c.pattern) << "style " << c.style << " width " << c.width;
    int p[8];
    for (int& v : p) v = 77;
    BuildDashPattern(p, c.width, c.style);
    for (size_t i = c.pattern.size(); i < 8; ++i) EXPECT_EQ(p[i], 0) << "unused lengths are cleared";
  }
}

TEST(StyledLine, DrawsTheDashesOfEachPatternAtSegmentEnds) {
  struct Case {
    unsigned style;
    int width;
    int toX, toY;
    std::vector<Seg> drawn;
  };
  const Case cases[] = {
      {2, 3, 40, 0, {{0, 0, 12, 0}, {16, 0, 28, 0}, {32, 0, 40, 0}}},
      {3, 1, 10, 0, {{0, 0, 1, 0}, {3, 0, 4, 0}, {6, 0, 7, 0}, {9, 0, 10, 0}}},
      {4, 2, 30, 0, {{0, 0, 6, 0}, {10, 0, 11, 0}, {15, 0, 21, 0}, {25, 0, 26, 0}}},
      {5, 1, 16, 0, {{0, 0, 3, 0}, {5, 0, 6, 0}, {8, 0, 9, 0}, {11, 0, 14, 0}}},
      {0, 1, 20, 0, {{0, 0, 4, 0}, {6, 0, 7, 0}, {9, 0, 10, 0}, {12, 0, 13, 0}, {15, 0, 19, 0}}},
      {0, 2, 24, 0, {{0, 0, 8, 0}, {11, 0, 13, 0}, {16, 0, 18, 0}, {21, 0, 23, 0}}},
      {6, 2, 40, 0, {{0, 0, 6, 0}, {10, 0, 11, 0}, {15, 0, 16, 0}, {20, 0, 21, 0}, {25, 0, 31, 0}, {35, 0, 36, 0}}},
      {6, 1, 14, 0, {{0, 0, 3, 0}, {5, 0, 6, 0}, {8, 0, 9, 0}, {11, 0, 12, 0}}},
      {2, 1, 0, -10, {{0, 0, 0, -4}, {0, -6, 0, -10}}},
      {2, 1, 10, 5, {{0, 0, 4, 2}, {6, 3, 10, 5}}},
      {2, 1, -10, 0, {{0, 0, -4, 0}, {-6, 0, -10, 0}}},
      {1, 3, 25, 7, {{0, 0, 25, 7}}},
      {9, 1, 5, 5, {{0, 0, 5, 5}}},
  };
  for (const Case& c : cases) {
    RecordingDevice dc;
    CStyledLine line;
    line.SetStyle(&dc, c.style, c.width, RGB(1, 2, 3));
    line.LineTo(c.toX, c.toY);
    EXPECT_EQ(dc.drawn, c.drawn) << "style " << c.style << " width " << c.width;
    EXPECT_EQ(line.CurrentX(), c.toX);
    EXPECT_EQ(line.CurrentY(), c.toY);
  }
}

TEST(StyledLine, PatternContinuesAcrossLinesAndRestartsOnReset) {
  RecordingDevice dc;
  CStyledLine line;
  line.SetStyle(&dc, 3, 1, 0);
  line.LineTo(10, 0);
  dc.drawn.clear();
  line.LineTo(20, 0);
  EXPECT_EQ(dc.drawn, (std::vector<Seg>{{12, 0, 13, 0}, {15, 0, 16, 0}, {18, 0, 19, 0}}))
      << "a dot every three pixels, carried on from the first line";

  const unsigned index = line.SegmentIndex();
  const int remaining = line.Remaining();
  dc.drawn.clear();
  line.LineTo(20, 0);  // zero length
  EXPECT_EQ(line.SegmentIndex(), index);
  EXPECT_EQ(line.Remaining(), remaining);
  for (const Seg& s : dc.drawn) EXPECT_TRUE(s.x0 == s.x1 && s.y0 == s.y1) << "nothing visible";

  line.MoveTo(100, 50);  // moving keeps the phase
  EXPECT_EQ(line.SegmentIndex(), index);
  line.Reset();
  EXPECT_EQ(line.SegmentIndex(), 0u);
  EXPECT_EQ(line.Remaining(), 1);
  EXPECT_EQ(line.CurrentX(), 0);
  EXPECT_EQ(dc.x, 0) << "reset moves the device to the origin";
}

TEST(StyledLine, PenPathsAndCopies) {
  struct Case {
    unsigned style;
    bool round;
  };
  for (const Case c : {Case{0, false}, Case{1, false}, Case{2, false}, Case{3, true}, Case{6, true}, Case{7, true}}) {
    RecordingDevice dc;
    CStyledLine line;
    line.SetStyle(&dc, c.style, 3, RGB(10, 20, 30));
    line.BeginPath();
    line.MoveTo(5, 5);
    line.LineTo(50, 5);
    line.StrokePath();
    ASSERT_EQ(dc.strokes.size(), 1u);
    EXPECT_EQ(dc.paths, 1);
    EXPECT_EQ(dc.strokes[0].round, c.round) << "style " << c.style;
    EXPECT_EQ(dc.strokes[0].width, 3);
    EXPECT_EQ(dc.strokes[0].colour, RGB(10, 20, 30));
  }

  // A drawer without a device draws nothing and never fails.
  CStyledLine bare;
  EXPECT_EQ(bare.SegmentCount(), 0);
  EXPECT_FALSE(bare.HasPen());
  bare.SetX(4);
  bare.SetY(9);
  bare.LineTo(10, 10);
  bare.BeginPath();
  bare.StrokePath();
  EXPECT_EQ(bare.CurrentX(), 10);

  // Assignment keeps the target's own drawer.
  RecordingDevice dc;
  CStyledLine dashed;
  dashed.SetStyle(&dc, 2, 2, RGB(255, 0, 0));
  CStyledLine copy(dashed);
  EXPECT_EQ(copy.SegmentCount(), 0);
  dashed = bare;
  EXPECT_EQ(dashed.SegmentCount(), 2);
  EXPECT_EQ(dashed.Pen().colour, RGB(255, 0, 0));
}

TEST(StyledLine, PrintLineStyles) {
  const PrintLineStyle expected[] = {{1, 1}, {3, 1}, {2, 1}, {4, 1}, {1, 2}, {3, 2}, {2, 2}, {4, 2}};
  for (int i = 0; i < kPrintLineStyleCount; ++i) {
    EXPECT_EQ(PrintLineStyleOf(i).dashStyle, expected[i].dashStyle);
    EXPECT_EQ(PrintLineStyleOf(i).width, expected[i].width);
  }
  for (int other : {-1, 8, 99}) {
    EXPECT_EQ(PrintLineStyleOf(other).dashStyle, 1u);
    EXPECT_EQ(PrintLineStyleOf(other).width, 1);
  }
}

}  // namespace
