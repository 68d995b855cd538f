#include "logview/model/display_options.h"

#include <gtest/gtest.h>

#include "logview/model/layout.h"
#include "fake_doc.h"

namespace curveview {
namespace {

using testing::FakeDoc;
using testing::MakeCurve;

std::vector<TrackRecord> FourTracks() {
  std::vector<TrackRecord> t(4);
  for (int i = 0; i < 4; ++i) t[static_cast<size_t>(i)].gridStyle = kLinearGridStyle;
  t[1].type = kDepthTrackType;
  return t;
}

class DisplayOptionsTest : public ::testing::Test {
 protected:
  void Open(bool restricted = false) {
    opts = std::make_unique<DisplayOptions>(restricted, &doc);
    opts->Load(curves, tracks);
  }
  FakeDoc doc;
  std::vector<CurveRecord> curves = {MakeCurve(1, 0, 0, true, 0, "GR"), MakeCurve(2, 2, 2, true, 0, "RES"),
                                     MakeCurve(7, 3, 3, false, 0, "SP")};
  std::vector<TrackRecord> tracks = FourTracks();
  std::unique_ptr<DisplayOptions> opts;
};

TEST_F(DisplayOptionsTest, GridShowsTheLegendOfTheShownCurves) {
  Open();
  EXPECT_EQ(opts->Cell(0, 0), "Track 1");
  EXPECT_EQ(opts->Cell(0, 1), "Depth");
  EXPECT_EQ(opts->Cell(1, 0), "GR");
  EXPECT_EQ(opts->Cell(1, 2), "RES");
  EXPECT_EQ(opts->Cell(1, 3), "");
}

TEST_F(DisplayOptionsTest, ClicksMoveSpanAndHideCurves) {
  Open();
  struct Step {
    int select, row, column;
    bool beep;
    int first, last, shown;
  };
  // Track 2 curve: out to track 3, back from it, hidden from its own cell,
  // refused in the depth column and placed in track 1's free row.
  const Step steps[] = {
      {1, 1, 3, false, 2, 3, 1}, {1, 1, 3, false, 2, 2, 1}, {1, 1, 2, false, 0, 0, 0},
      {1, 2, 1, true, 0, 0, 0},  {1, 1, 0, true, 0, 0, 0},  {1, 2, 0, false, 0, 0, 1},
  };
  for (const auto& s : steps) {
    if (opts->Selected() != s.select) opts->Select(s.select);
    const GridClick click = opts->Click(s.row, s.column);
    const CurveRecord& c = opts->Curves()[static_cast<size_t>(s.select)];
    EXPECT_EQ(click.beep, s.beep) << s.row << "," << s.column;
    EXPECT_EQ(click.changed, !s.beep);
    EXPECT_EQ(c.firstTrack, s.first);
    EXPECT_EQ(c.lastTrack, s.last);
    EXPECT_EQ(c.headerFlag, s.shown);
  }
  EXPECT_EQ(opts->Curves()[1].headerLine, 1) << "takes the first free row of track 1";
  EXPECT_EQ(opts->Cell(2, 0), "RES");
}

TEST_F(DisplayOptionsTest, RestrictedDialogKeepsHighChannelsRight) {
  Open(true);
  opts->Select(2);  // physical channel 7, hidden
  for (int column : {0, 1}) {
    const GridClick c = opts->Click(1, column);
    EXPECT_TRUE(c.beep);
    EXPECT_FALSE(opts->Curves()[2].headerFlag);
  }
  EXPECT_FALSE(opts->Click(1, 3).beep);
  EXPECT_EQ(opts->Curves()[2].firstTrack, 3);
}

TEST_F(DisplayOptionsTest, LogarithmicAlignsScalesOnWholeDecades) {
  struct Case {
    int first, last;
    double min, max;
    double wantMin, wantMax;
  };
  const Case cases[] = {
      {0, 0, 0.5, 2000, 0.5, 5000},
      {0, 0, 2, 3, 2, 20},
      {2, 3, 2, 30, 2, 200},
  };
  for (const auto& c : cases) {
    curves[0].firstTrack = c.first;
    curves[0].lastTrack = c.last;
    Open();
    CurveControls k = opts->Select(0);
    k.minimum = c.min;
    k.maximum = c.max;
    k.logarithmic = true;
    opts->Logarithmic(k);
    EXPECT_FLOAT_EQ(static_cast<float>(k.minimum), static_cast<float>(c.wantMin));
    EXPECT_FLOAT_EQ(static_cast<float>(k.maximum), static_cast<float>(c.wantMax));
    opts->Store(0, k);
    EXPECT_FLOAT_EQ(opts->Curves()[0].scaleMaximum, static_cast<float>(c.wantMax));
    EXPECT_EQ(opts->Tracks()[static_cast<size_t>(c.first)].gridStyle, kLogGridStyle);
  }
}

TEST_F(DisplayOptionsTest, StoringKeepsAValidRangeAndSetsTheFilter) {
  Open();
  CurveControls k = opts->Select(0);
  k.minimum = 10;
  k.maximum = 5;  // not above the minimum: the old range stays
  k.filterType = 2;
  k.filterStep = 3;
  k.title = "Gamma";
  k.reverse = true;
  opts->SetCurrentColour(0x123456);
  opts->Store(0, k);
  const CurveRecord& c = opts->Curves()[0];
  EXPECT_FLOAT_EQ(c.scaleMinimum, 0);
  EXPECT_FLOAT_EQ(c.scaleMaximum, 100);
  EXPECT_EQ(c.description, "Gamma");
  EXPECT_EQ(c.scaleFlag, 0);
  EXPECT_EQ(c.lineColour, 0x123456u);
  EXPECT_EQ(doc.filters[0].FilterType, 2);
  EXPECT_EQ(doc.filters[0].FilterWidth, 7);
  // A log with a user function keeps its output filters apart.
  doc.userFunction = true;
  k.filterType = 3;
  opts->Store(0, k);
  EXPECT_EQ(doc.userFilters[0].FilterType, 3);
  EXPECT_EQ(doc.filters[0].FilterType, 2);

  std::vector<CurveRecord> out = curves;
  std::vector<TrackRecord> outTracks = tracks;
  opts->Save(out, outTracks);
  EXPECT_EQ(out[0].description, "Gamma");
  EXPECT_EQ(curves[0].description, "GR") << "the caller's records change only on saving";
}

}  // namespace
}  // namespace curveview
