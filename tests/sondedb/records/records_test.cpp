#include "sondedb/records/records.h"

#include <gtest/gtest.h>

// A stand-in drawer: the records only hold it, so any definition will do.
class CStyledLine {
 public:
  int pattern = 0;
};

namespace {

StyledLinePtr MakeLine() {
  return StyledLinePtr(new CStyledLine, StyledLineDeleter{[](CStyledLine* l) { delete l; }});
}

CurveRecord FilledCurve() {
  CurveRecord c;
  c.headerLine = 2;
  c.firstTrack = 2;
  c.lastTrack = 3;
  c.headerFlag = 1;
  c.scaleFlag = 0;
  c.description = "Natural gamma";
  c.shortTitle = "GR";
  c.unit = "CPS";
  c.physicalChannel = 5;
  c.logicalChannel = 7;
  c.window = 9;
  c.adjustment = 1;
  c.mode = 3;
  c.fillColour = 0x00112233;
  c.lineColour = 0x000000FF;
  c.printLineStyle = 6;
  c.historyCount = 11;
  static double history[4];
  c.history = history;
  c.scaleMinimum = 0.5f;
  c.scaleMaximum = 150.25f;
  c.screenRect = {1, 2, 3, 4};
  c.drawState = {5, 6, 7, 8, 9};
  c.wrapBand = 4;
  c.file = 2;
  c.dataOffset = 36;
  c.sampleCount = 512;
  c.sampleType = 3;
  return c;
}

void ExpectSameFields(const CurveRecord& a, const CurveRecord& b) {
  EXPECT_EQ(a.headerLine, b.headerLine);
  EXPECT_EQ(a.firstTrack, b.firstTrack);
  EXPECT_EQ(a.lastTrack, b.lastTrack);
  EXPECT_EQ(a.headerFlag, b.headerFlag);
  EXPECT_EQ(a.scaleFlag, b.scaleFlag);
  EXPECT_EQ(a.description, b.description);
  EXPECT_EQ(a.shortTitle, b.shortTitle);
  EXPECT_EQ(a.unit, b.unit);
  EXPECT_EQ(a.physicalChannel, b.physicalChannel);
  EXPECT_EQ(a.logicalChannel, b.logicalChannel);
  EXPECT_EQ(a.window, b.window);
  EXPECT_EQ(a.adjustment, b.adjustment);
  EXPECT_EQ(a.mode, b.mode);
  EXPECT_EQ(a.fillColour, b.fillColour);
  EXPECT_EQ(a.lineColour, b.lineColour);
  EXPECT_EQ(a.printLineStyle, b.printLineStyle);
  EXPECT_EQ(a.historyCount, b.historyCount);
  EXPECT_EQ(a.history, b.history);
  EXPECT_EQ(a.scaleMinimum, b.scaleMinimum);
  EXPECT_EQ(a.scaleMaximum, b.scaleMaximum);
  EXPECT_EQ(a.screenRect, b.screenRect);
  EXPECT_EQ(a.drawState, b.drawState);
  EXPECT_EQ(a.wrapBand, b.wrapBand);
  EXPECT_EQ(a.file, b.file);
  EXPECT_EQ(a.dataOffset, b.dataOffset);
  EXPECT_EQ(a.sampleCount, b.sampleCount);
  EXPECT_EQ(a.sampleType, b.sampleType);
}

TEST(CurveRecordTest, AssignmentCopiesEveryFieldButKeepsTheTargetsDrawer) {
  SetStyledLineFactory(&MakeLine);
  CurveRecord source = FilledCurve();
  source.styledLine->pattern = 1;
  CurveRecord target;
  ASSERT_NE(target.styledLine, nullptr);
  target.styledLine->pattern = 2;
  CStyledLine* own = target.styledLine.get();

  target = source;
  ExpectSameFields(target, source);
  EXPECT_EQ(target.styledLine.get(), own);
  EXPECT_EQ(target.styledLine->pattern, 2);

  CurveRecord copy(source);  // a copy gets a drawer of its own
  ExpectSameFields(copy, source);
  ASSERT_NE(copy.styledLine, nullptr);
  EXPECT_NE(copy.styledLine.get(), source.styledLine.get());
  SetStyledLineFactory(nullptr);
}

TEST(CurveRecordTest, WithoutAFactoryCurvesHaveNoDrawerAndStillCopy) {
  CurveRecord source = FilledCurve();
  EXPECT_EQ(source.styledLine, nullptr);
  std::vector<CurveRecord> curves(3);
  curves[1] = source;
  ExpectSameFields(curves[1], source);
}

TEST(ChannelCalibrationTest, CoefficientsReadAsIdentityWithoutABlockAndCountsAreLimited) {
  ChannelCalibration channel;
  struct Case {
    int count;
    int usable;
  };
  for (Case c : {Case{-3, 0}, Case{0, 0}, Case{3, 3}, Case{4, 4}, Case{7, 4}, Case{1 << 30, 4}}) {
    channel.coefficientCount = c.count;
    EXPECT_EQ(channel.UsableCoefficientCount(), c.usable) << c.count;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(channel.Coefficient(i), kIdentityCoefficients[i]);
  EXPECT_EQ(channel.Coefficient(-1), 0.0);
  EXPECT_EQ(channel.Coefficient(4), 0.0);

  channel.EnsureCoefficients()[2] = 0.25;
  EXPECT_EQ(*channel.coefficients, (Coefficients{0.0, 1.0, 0.25, 0.0}));
  channel.EnsureCoefficients();  // an existing block is kept
  EXPECT_EQ(channel.Coefficient(2), 0.25);
}

TEST(ChannelCalibrationTest, MethodNames) {
  struct Case {
    int code;
    const char* name;
  };
  for (Case c : {Case{1, "Polynom"}, Case{2, "Inverse Polynom"}, Case{3, "Spline"}, Case{4, "Constant value"},
                 Case{5, "User function"}, Case{0, ""}, Case{6, ""}, Case{-1, ""}})
    EXPECT_STREQ(CalibrationMethodName(c.code), c.name) << c.code;
}

TEST(CalibrationSetTest, CopyIsDeepAndKeepsNullEntries) {
  CalibrationSet set;
  set.filePath = "/p/Calibration/KSTQ77.cal";
  set.sondeName = "Gamma";
  set.abbreviation = "KSTQ";
  set.serialNumber = "77";
  set.channels.push_back(std::make_unique<ChannelCalibration>());
  set.channels.push_back(nullptr);
  set.channels[0]->physicalChannel = 1;
  set.channels[0]->coefficients = Coefficients{1, 2, 3, 4};
  set.channels[0]->referencePoints = {"100 CPS at 10 API"};

  CalibrationSet copy = set;
  EXPECT_EQ(copy.filePath, set.filePath);
  EXPECT_EQ(copy.abbreviation, "KSTQ");
  ASSERT_EQ(copy.channels.size(), 2u);
  EXPECT_EQ(copy.channels[1], nullptr);
  ASSERT_NE(copy.channels[0], nullptr);
  EXPECT_NE(copy.channels[0].get(), set.channels[0].get());
  EXPECT_EQ(*copy.channels[0], *set.channels[0]);
  copy.channels[0]->coefficients->at(0) = 9;
  EXPECT_EQ(set.channels[0]->Coefficient(0), 1.0);

  EXPECT_EQ(set.ForPhysicalChannel(1), set.channels[0].get());
  for (int channel : {0, 2, 3, -1}) EXPECT_EQ(set.ForPhysicalChannel(channel), nullptr) << channel;
}

}  // namespace
