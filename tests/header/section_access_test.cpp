#include "header/section_access.h"

#include <gtest/gtest.h>

#include "header/header.h"
#include "tests/header/test_support.h"

namespace {

const std::string kIdent = "[General]\r\nIdent=QUORVANTA\r\n";

struct Log {
  explicit Log(const std::string& test) : dir(ScratchDir(test)), data(dir + "/CBL3.LOG"), hed(dir + "/CBL3.hed") {}
  std::string dir, data, hed;
};

std::string Section(unsigned n, const std::string& body) {
  return "[Channel" + std::to_string(n) + "]\r\n" + body;
}

TEST(ChannelFiltersTest, ReadWalksSectionsUntilTheFirstGap) {
  Log log("filters_read");
  WriteBytes(log.hed, kIdent + Section(0, "PhysicalCh=1\r\nFilterType=2\r\nFilterWidth=4\r\nOffset=35\r\n") +
                          Section(1, "PhysicalCh=0\r\nFilterType=1\r\n") +  // passed over
                          Section(2, "Title=no channel key\r\n") +          // passed over
                          Section(3, "PhysicalCh=3\r\nFilterType=7\r\nFilterWidth=7\r\n") +
                          Section(4, "PhysicalCh=17\r\nFilterType=1\r\n") +  // no such entry
                          Section(5, "PhysicalCh=16\r\nFilterType=4\r\n") +
                          Section(7, "PhysicalCh=2\r\nFilterType=1\r\n"));  // after the gap
  ChannelFilter table[kFilterTableSize];
  table[1].FilterType = 9;  // every entry is cleared first
  ASSERT_EQ(ReadChannelFilters(log.data, table), 1);
  struct Case {
    int entry;
    ChannelFilter expected;
  };
  const Case cases[] = {
      {0, {2, 1, 5, 35, 35}},  // width 4 reads as 5
      {1, {0, 0, 0, 0, 0}},
      {2, {0, 1, 7, 0, 0}},   // type 7 reads as 0, the entry is still present
      {15, {4, 1, 1, 0, 0}},  // width 0 reads as 1
  };
  for (const Case& c : cases) EXPECT_EQ(table[c.entry], c.expected) << c.entry;
  EXPECT_EQ(ReadChannelFilters(log.data, nullptr), 1);
}

TEST(ChannelFiltersTest, ReadRefusesMissingAndForeignHeaders) {
  Log log("filters_refused");
  ChannelFilter table[kFilterTableSize];
  table[0].Offset = 12;
  qv::MessageRecorder boxes;
  EXPECT_EQ(ReadChannelFilters(log.data, table), 0);
  EXPECT_TRUE(Texts(boxes).empty());
  WriteBytes(log.hed, "[General]\r\nIdent=Quorvanta\r\n" + Section(0, "PhysicalCh=1\r\nOffset=5\r\n"));
  EXPECT_EQ(ReadChannelFilters(log.data, table), 0);
  EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Can not read header file"});
  EXPECT_EQ(table[0].Offset, 12);
  EXPECT_EQ(ReadChannelFilters(log.dir + "/NOEXTENSION", table), 0);
}

TEST(ChannelFiltersTest, WriteFillsExistingSectionsOnly) {
  Log log("filters_write");
  WriteBytes(log.hed,
             kIdent + Section(0, "PhysicalCh=2\r\n") + Section(1, "PhysicalCh=0\r\n") + Section(2, "PhysicalCh=1\r\n"));
  ChannelFilter table[kFilterTableSize];
  table[0] = {0, 1, 0, 0, 0};
  table[1] = {3, 1, 9, 40, 40};
  ASSERT_EQ(WriteChannelFilters(log.data, table, 1), 1);
  EXPECT_EQ(table[1].Offset, 0) << "the zeroing flag clears the caller's offsets";
  EXPECT_EQ(ReadBytes(log.hed),
            kIdent + Section(0, "PhysicalCh=2\r\nFilterFlag=1\r\nFilterType=3\r\nFilterWidth=9\r\nOffset=0\r\n") +
                Section(1, "PhysicalCh=0\r\n") +
                Section(2, "PhysicalCh=1\r\nFilterFlag=0\r\nFilterType=0\r\nFilterWidth=0\r\nOffset=0\r\n"));

  qv::MessageRecorder boxes;
  Log missing("filters_write_missing");
  EXPECT_EQ(WriteChannelFilters(missing.data, table, 0), 0);
  EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Can not write to Header file."});
  EXPECT_FALSE(Exists(missing.hed));
  EXPECT_EQ(WriteChannelFilters(log.data, nullptr, 0), 0);
}

TEST(ChannelFiltersTest, SingleFilterByChannelAndBySection) {
  Log log("filter_single");
  WriteBytes(log.hed, kIdent + Section(0, "Title=GR\r\nPhysicalCh=1\r\n") +
                          Section(1, "Title=LN\r\nPhysicalCh=4\r\nFilterType=1\r\nFilterWidth=10\r\nOffset=-20\r\n"));
  ChannelFilter filter;
  EXPECT_EQ(ReadChannelFilter(log.hed, &filter, 4), 1);
  EXPECT_EQ(filter, (ChannelFilter{1, 1, 11, -20, -20}));
  for (int channel : {0, 5, -1}) EXPECT_EQ(ReadChannelFilter(log.hed, &filter, channel), 0) << channel;
  EXPECT_EQ(ReadChannelFilter(log.hed, nullptr, 4), 0);

  const ChannelFilter none;
  ASSERT_EQ(WriteChannelFilter(log.hed, &none, 0), 1);
  EXPECT_EQ(Crudini(log.hed, "Channel0", "FilterType"), "0");
  EXPECT_EQ(Crudini(log.hed, "Channel0", "FilterFlag"), "0");
  const ChannelFilter median{2, 1, 5, 10, 10};
  ASSERT_EQ(WriteChannelFilter(log.hed, &median, 3), 1);
  EXPECT_NE(ReadBytes(log.hed).find("[Channel3]\r\nFilterType=2\r\nFilterFlag=1\r\nFilterWidth=5\r\nOffset=10\r\n"),
            std::string::npos);
  EXPECT_EQ(WriteChannelFilter(log.hed, nullptr, 0), 0);
}

TEST(FreePipeGatesTest, ReadNeedsEveryKey) {
  const std::string nearGate =
      "[FreePipeGateNear]\r\nSondeDiameter=43\r\nPipeSize=100\r\nLeftGate=200\r\nRightGate=260\r\n";
  struct Case {
    const char* name;
    std::string text;
    int result;
    FreePipeGate nearExpected;
    FreePipeGate farExpected;
  };
  const FreePipeGate unset{-1, -1, -1, -1, -1};
  const Case cases[] = {
      {"both",
       nearGate + "[FreePipeGateFar]\r\nSondeDiameter=43\r\nPipeSize=100\r\nLeftGate=400\r\nRightGate=470\r\n",
       1,
       {100, 43, -1, 200, 260},
       {100, 43, -1, 400, 470}},
      {"far lacks RightGate",
       nearGate + "[FreePipeGateFar]\r\nSondeDiameter=43\r\nPipeSize=100\r\nLeftGate=400\r\n",
       0,
       {100, 43, -1, 200, 260},
       {100, 43, -1, 400, -1}},
      {"no near section", "[FreePipeGateFar]\r\nSondeDiameter=43\r\n", 0, unset, unset},
      {"near key empty", "[FreePipeGateNear]\r\nSondeDiameter=43\r\nPipeSize=\r\n", 0, {-1, 43, -1, -1, -1}, unset},
  };
  for (const Case& c : cases) {
    Log log("gates_read");
    WriteBytes(log.hed, c.text);
    FreePipeGate nearGot = unset, farGot = unset;
    EXPECT_EQ(ReadFreePipeGates(log.data, &nearGot, &farGot), c.result) << c.name;
    EXPECT_EQ(nearGot, c.nearExpected) << c.name;
    EXPECT_EQ(farGot, c.farExpected) << c.name;
  }
  Log missing("gates_missing");
  FreePipeGate gate;
  EXPECT_EQ(ReadFreePipeGates(missing.data, &gate, nullptr), 0);
}

TEST(FreePipeGatesTest, WriteNeedsAnExistingHeader) {
  Log log("gates_write");
  const FreePipeGate nearGate{100, 43, 300, 200, 260};
  const FreePipeGate farGate{100, 43, 600, 400, 470};
  EXPECT_EQ(WriteFreePipeGates(log.data, &nearGate, &farGate), 0);
  EXPECT_FALSE(Exists(log.hed));
  WriteBytes(log.hed, kIdent);
  EXPECT_EQ(WriteFreePipeGates(log.data, nullptr, nullptr), 1);
  ASSERT_EQ(WriteFreePipeGates(log.data, &nearGate, &farGate), 1);
  EXPECT_EQ(ReadBytes(log.hed),
            kIdent + "[FreePipeGateNear]\r\nSondeDiameter=43\r\nPipeSize=100\r\nLeftGate=200\r\nRightGate=260\r\n" +
                "[FreePipeGateFar]\r\nSondeDiameter=43\r\nPipeSize=100\r\nLeftGate=400\r\nRightGate=470\r\n");
  FreePipeGate nearBack, farBack;
  ASSERT_EQ(ReadFreePipeGates(log.data, &nearBack, &farBack), 1);
  EXPECT_EQ(nearBack, (FreePipeGate{100, 43, 0, 200, 260})) << "the receiver spacing is not stored";
  EXPECT_EQ(farBack, (FreePipeGate{100, 43, 0, 400, 470}));
}

TEST(SectionAccessTest, LogTypeAndDataFileDirectory) {
  Log log("log_type");
  int type = -1;
  EXPECT_EQ(ReadLogType(log.data, &type), 1) << "a missing header reads the default";
  EXPECT_EQ(type, 0);
  ASSERT_EQ(WriteLogType(log.data, 2), 1);
  EXPECT_EQ(ReadLogType(log.data, &type), 1);
  EXPECT_EQ(type, 2);

  struct Case {
    std::string data;
    std::string hed;  // empty: nothing written
    std::string fileName;
  };
  const Case cases[] = {
      {"WELL7.LGX", "WELL7.hed", "WELL7.lgx"},
      {"WELL7.LOG", "WELL7.hed", "WELL7.lgx"},
      {"DEEP.1.LGX", "DEEP.1.hed", "DEEP.1.lgx"},
      {"WELL7", "", ""},
  };
  HeaderInfo info;
  info.DepthUnit = 1;
  info.LogMode = 12;
  info.Step = 500;
  info.Startdepth = 1000;
  info.EndDepth = 250000;
  info.StartTime = 3;
  info.EndTime = 4;
  info.RecLineSize = 64;
  for (const Case& c : cases) {
    const std::string dir = ScratchDir("directory");
    WriteDataFileDirectory(dir + "/" + c.data, &info);
    if (c.hed.empty()) {
      EXPECT_TRUE(ReadBytes(dir + "/WELL7.hed").empty());
      continue;
    }
    EXPECT_EQ(ReadBytes(dir + "/" + c.hed),
              "[General]\r\nVersion=101\r\nDataFiles=1\r\n[File1]\r\nFileName=" + c.fileName +
                  "\r\nReferenceUnit=1\r\nMode=12\r\nInterval=500\r\nStartdepth=1000\r\n"
                  "EndDepth=250000\r\nStartTime=3\r\nEndTime=4\r\nRecLineSize=64\r\n")
        << c.data;
  }
  // The header reader takes the record size from the directory.
  const std::string dir = ScratchDir("directory_read");
  WriteBytes(dir + "/WELL7.hed", kIdent);
  WriteDataFileDirectory(dir + "/WELL7.LGX", &info);
  HeaderInfo back;
  ASSERT_EQ(ReadHeaderInfo(dir + "/WELL7.LGX", &back), 1);
  EXPECT_EQ(back.RecLineSize, 64);
}

TEST(SectionAccessTest, DefaultTrackSectionsReplaceOnlyTheirKeys) {
  Log log("default_tracks");
  WriteBytes(log.hed, kIdent + "[Track0]\r\nStyle=1\r\nWidth=77\r\n[Track4]\r\nStyle=9\r\n");
  ASSERT_EQ(WriteDefaultTrackSections(log.hed), 1);
  TrackArray tracks;
  ASSERT_EQ(ReadTrackRecords(log.data, &tracks), 1);
  ASSERT_EQ(tracks.size(), 5u);
  struct Case {
    int type, gridFlag, gridStyle, style;
  };
  const Case cases[] = {
      {2, 1, 268435460, 256}, {1, 0, 268435460, 256}, {2, 1, 268435460, 256}, {2, 1, 268435460, 256}, {0, 0, 0, 9}};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(tracks[i]->type, cases[i].type) << i;
    EXPECT_EQ(tracks[i]->gridFlag, cases[i].gridFlag) << i;
    EXPECT_EQ(tracks[i]->gridStyle, cases[i].gridStyle) << i;
    EXPECT_EQ(tracks[i]->style, cases[i].style) << i;
    EXPECT_EQ(tracks[i]->order, static_cast<int>(i));
  }
  EXPECT_EQ(Crudini(log.hed, "Track0", "Width"), "77");
}

TEST(SectionAccessTest, CurveLookupByChannelStopsAtAnEmptyTitle) {
  Log log("curve_lookup");
  WriteBytes(log.hed, kIdent + Section(0, "Title=Gamma\r\nPhysicalCh=1\r\nDisplayTrack=4\r\nRangeRight=150.5\r\n") +
                          Section(1, "Title=\r\nPhysicalCh=2\r\n") + Section(2, "Title=Late\r\nPhysicalCh=3\r\n"));
  CurveRecord curve;
  curve.description = "stale";
  curve.dataOffset = 24;
  ASSERT_EQ(ReadCurveRecordByChannel(log.hed, &curve, 1), 1);
  EXPECT_EQ(curve.description, "Gamma");
  EXPECT_EQ(curve.firstTrack, 2);
  EXPECT_EQ(curve.lastTrack, 3);
  EXPECT_EQ(curve.scaleMaximum, 150.5f);
  EXPECT_EQ(curve.headerFlag, 1);
  EXPECT_EQ(curve.dataOffset, 24) << "the data location is not a display field";
  for (int channel : {2, 3, 9}) EXPECT_EQ(ReadCurveRecordByChannel(log.hed, &curve, channel), 0) << channel;
  EXPECT_EQ(ReadCurveRecordByChannel(log.hed, nullptr, 1), 0);
}

TEST(SectionAccessTest, SingleChannelCalibration) {
  Log log("channel_calibration");
  WriteBytes(log.hed, kIdent + Section(0, "Title=Gamma\r\nPhysicalCh=1\r\nCoefficient1=0\r\n") +
                          Section(1,
                                  "Title=Neutron\r\nPhysicalCh=2\r\nCalFlag=3\r\nTitleShort=NN\r\nCoefficient0=2\r\n"
                                  "Coefficient2=0.5\r\nJigCount=3\r\nReferencePoint0=a\r\nReferencePoint2=c\r\n"));
  struct Case {
    int channel;
    int result;
    int calFlag;
    Coefficients coefficients;
    std::vector<std::string> points;
  };
  const Case cases[] = {
      {1, 1, 0, {0, 1, 0, 0}, {}},  // all zero reads as the identity
      {2, 1, 1, {2, 1, 0.5, 0}, {"a", "c"}},
  };
  for (const Case& c : cases) {
    ChannelCalibration cal;
    cal.referencePoints = {"stale"};
    cal.physicalChannel = 99;
    ASSERT_EQ(ReadChannelCalibration(log.hed, &cal, c.channel), c.result);
    EXPECT_EQ(cal.calFlag, c.calFlag);
    EXPECT_EQ(cal.coefficientCount, 4);
    EXPECT_EQ(*cal.coefficients, c.coefficients);
    EXPECT_EQ(cal.referencePoints, c.points);
    EXPECT_EQ(cal.physicalChannel, 99) << "the reset keeps the physical channel";
  }
  ChannelCalibration cal;
  for (int channel : {0, 3}) EXPECT_EQ(ReadChannelCalibration(log.hed, &cal, channel), 0);

  cal.calFlag = 1;
  cal.coefficients = Coefficients{0.25, 2, 0, 1e-6};
  cal.referencePoints = {"5 CPS at 1 API"};
  ASSERT_EQ(WriteChannelCalibration(log.hed, &cal, 5), 1);
  EXPECT_NE(ReadBytes(log.hed).find("[Channel5]\r\nCalFlag=1\r\nCoefficient0=0.25\r\nCoefficient1=2\r\n"
                                    "Coefficient2=0\r\nCoefficient3=1E-06\r\nJigCount=1\r\n"
                                    "ReferencePoint0=5 CPS at 1 API\r\n"),
            std::string::npos);
  EXPECT_EQ(WriteChannelCalibration(log.hed, nullptr, 0), 0);
}

TEST(SectionAccessTest, DefaultCalibrationCoefficients) {
  struct Case {
    Coefficients in, out;
  };
  const Case cases[] = {{{0, 0, 0, 0}, {0, 1, 0, 0}}, {{0, 0, 0.5, 0}, {0, 0, 0.5, 0}}, {{3, 0, 0, 0}, {3, 0, 0, 0}}};
  for (const Case& c : cases) {
    Coefficients value = c.in;
    DefaultCalibrationCoefficients(value);
    EXPECT_EQ(value, c.out);
  }
}

}  // namespace
