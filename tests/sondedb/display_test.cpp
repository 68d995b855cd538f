#include "sondedb/display.h"
#include "tests/sondedb/fixture.h"

namespace {

using Display = sdbtest::SondeDbTest;

class DisplayLayout : public Display {
 protected:
  void SetUp() override {
    Display::SetUp();
    Sql("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber) VALUES (1, 'KSTQ', '77'), (2, 'KSTQ', '78')");
    // Tracks in table order 2, 0, 1; track 10 holds no curve.
    Sql("INSERT INTO COLUMNS (COLUMN, SONDE, COLUMNORDER, MINIMAL, IDEAL, TYPE, RASTER, RASTERPROPERTIES, RASTERCOLOUR)"
        " VALUES (10, 1, 2, 100, 250, 2, 1, 268435461, 12632256), (11, 1, 0, 80, 120, 1, 0, 0, 0),"
        " (12, 1, 1, 100, 250, 2, 1, 16777216, 255)");
    Sql("INSERT INTO CHANNEL (CHANNEL, SONDE, CHANNELPHYSIC, CHANNELLOGIC, Window, HeaderDescription, HeaderShort,"
        " Unit, Minimum, Maximum) VALUES (100, 1, 1, 1, 0, 'Natural Gamma', 'GR', 'API', 0.5, 150),"
        " (101, 1, 2, 2, 1, 'Resistivity', 'RES', 'Ohm''m', -10, 10), (102, 1, 3, 3, 0, 'Lost', 'X', '', 0, 1)");
    Sql("INSERT INTO CHANNELCOLUMN VALUES (100, 12, 10, 1, 1, 0, 255, 3, 1, 2, 12632256),"
        " (101, 12, 0, 0, 1, 1, 65280, 1, 0, 0, 0), (102, 99, 99, 0, 1, 1, 0, 0, 0, 0, 0)");
  }
};

TEST_F(DisplayLayout, TracksByOrderAndCurvesByStartTrack) {
  TrackArray tracks;
  CurveArray curves;
  curves.push_back(std::make_unique<CurveRecord>());  // emptied first
  ASSERT_EQ(qv::LoadDisplayParametersFromDatabase(&tracks, &curves, "KSTQ", "77"), 1);
  ASSERT_EQ(tracks.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(tracks[i]) << i;
    EXPECT_EQ(tracks[i]->order, i);
  }
  EXPECT_EQ(tracks[0]->type, 1);
  EXPECT_EQ(tracks[0]->minimalWidth, 80);
  EXPECT_EQ(tracks[0]->gridFlag, 0);
  EXPECT_EQ(tracks[2]->gridFlag, 1);
  EXPECT_EQ(tracks[2]->gridStyle, 268435461);
  EXPECT_EQ(tracks[2]->gridColour, 12632256u);
  EXPECT_EQ(tracks[2]->idealWidth, 250);

  ASSERT_EQ(curves.size(), 2u);  // the channel of no track gets no curve
  const CurveRecord& gr = *curves[0];
  EXPECT_EQ(gr.shortTitle, "GR");
  EXPECT_EQ(gr.description, "Natural Gamma");
  EXPECT_EQ(gr.unit, "API");
  EXPECT_EQ(gr.firstTrack, 1);
  EXPECT_EQ(gr.lastTrack, 2);
  EXPECT_EQ(gr.headerLine, 1);
  EXPECT_EQ(gr.headerFlag, 1);
  EXPECT_EQ(gr.scaleFlag, 0);
  EXPECT_EQ(gr.physicalChannel, 1);
  EXPECT_EQ(gr.logicalChannel, 1);
  EXPECT_EQ(gr.scaleMinimum, 0.5f);
  EXPECT_EQ(gr.scaleMaximum, 150.0f);
  EXPECT_EQ(gr.lineColour, 255u);
  EXPECT_EQ(gr.printLineStyle, 3);
  EXPECT_EQ(gr.adjustment, 1);
  EXPECT_EQ(gr.mode, 2);
  EXPECT_EQ(gr.fillColour, 12632256u);
  const CurveRecord& res = *curves[1];
  EXPECT_EQ(res.unit, "Ohm'm");
  EXPECT_EQ(res.firstTrack, 1);
  EXPECT_EQ(res.lastTrack, 1);  // COLUMNEND 0 names no track
  EXPECT_EQ(res.window, 1);
  EXPECT_EQ(res.scaleFlag, 1);
  EXPECT_EQ(res.scaleMinimum, -10.0f);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(DisplayLayout, SondeMustBeOneRow) {
  TrackArray tracks;
  CurveArray curves;
  EXPECT_EQ(qv::LoadDisplayParametersFromDatabase(&tracks, &curves, "KSTQ", ""), 0);
  EXPECT_TRUE(tracks.empty());
  EXPECT_TRUE(curves.empty());
  tracks.push_back(std::make_unique<TrackRecord>());
  EXPECT_EQ(qv::LoadDisplayParametersFromDatabase(&tracks, nullptr, "KSTQ", "77"), 0);
  EXPECT_TRUE(tracks.empty());
  EXPECT_EQ(qv::LoadDisplayParametersFromDatabase(nullptr, &curves, "KSTQ", "77"), 0);
}

TEST_F(DisplayLayout, DuplicateAndOutOfRangeOrders) {
  // Two tracks with order 0: the later takes the slot, slot 1 stays empty.
  Sql("UPDATE COLUMNS SET COLUMNORDER = 0 WHERE COLUMN = 12; DELETE FROM COLUMNS WHERE COLUMN = 10");
  TrackArray tracks;
  CurveArray curves;
  ASSERT_EQ(qv::LoadDisplayParametersFromDatabase(&tracks, &curves, "KSTQ", "77"), 1);
  ASSERT_EQ(tracks.size(), 2u);
  ASSERT_TRUE(tracks[0]);
  EXPECT_EQ(tracks[0]->minimalWidth, 100);
  EXPECT_FALSE(tracks[1]);
  // An order beyond the track count is refused; what was built stays.
  Sql("UPDATE COLUMNS SET COLUMNORDER = 5 WHERE COLUMN = 12");
  EXPECT_EQ(qv::LoadDisplayParametersFromDatabase(&tracks, &curves, "KSTQ", "77"), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Database Error");
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_TRUE(tracks[0]);
  EXPECT_TRUE(curves.empty());
}

TEST(CurveRecordCopy, AssignmentKeepsTheTargetDrawer) {
  CurveRecord a;
  a.shortTitle = "GR";
  a.scaleMinimum = 1.5f;
  a.drawState[0] = 7;
  a.screenRect = {1, 2, 3, 4};
  CurveRecord b;
  b = a;
  EXPECT_EQ(b.shortTitle, "GR");
  EXPECT_EQ(b.scaleMinimum, 1.5f);
  EXPECT_EQ(b.drawState[0], 7);
  EXPECT_EQ(b.screenRect, a.screenRect);
}

}  // namespace
