#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/section_access.h"
#include "header/wellinfo_fields.h"
#include "platform/files/atomic_file.h"
#include "platform/text/cnum.h"
#include "tests/header/test_support.h"
#include "tests/support/unprivileged.h"

namespace {

const std::string kIdentOnly = "[General]\r\nIdent=QUORVANTA\r\nRevision=V1.5, Build: 406\r\n";

// A log folder with a data file name; the header lies beside it.
struct Log {
  explicit Log(const std::string& test, const std::string& name = "WELL7.LOG")
      : dir(ScratchDir(test)), data(dir + "/" + name), hed(dir + "/" + name.substr(0, name.rfind('.')) + ".hed") {}
  std::string dir, data, hed;
};

// Everything a header holds, for reading and writing in one go.
struct Records {
  std::string chainTo;
  HeaderInfo info;
  CurveArray curves;
  TrackArray tracks;
  CalibrationArray calibration;
  int scale = 0;
  int userFlag = 0;
  std::string library;
  int sondeLength = 0;
  TrailerText trailer;

  int Read(const std::string& path) {
    return CHeader().OpenHeader(path, &chainTo, &info, &curves, &tracks, &calibration, &scale, &userFlag, &library,
                                &sondeLength, &trailer);
  }
  int Write(const std::string& path) const {
    return CHeader().WriteHeader(path, &chainTo, &info, &curves, &tracks, &calibration, &scale, &library, &sondeLength,
                                 &trailer);
  }
};

void ExpectCurvesEqual(const CurveRecord& a, const CurveRecord& b) {
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
  EXPECT_EQ(a.lineColour, b.lineColour);
  EXPECT_EQ(a.printLineStyle, b.printLineStyle);
  EXPECT_EQ(a.scaleMinimum, b.scaleMinimum);
  EXPECT_EQ(a.scaleMaximum, b.scaleMaximum);
}

TEST(HeaderStoreTest, GoldenHeaderReadsIntoRecords) {
  Log log("golden_read");
  WriteBytes(log.hed, ReadBytes(Fixture("golden_log.hed")));
  Records r;
  r.scale = -1;
  ASSERT_EQ(r.Read(log.data), 1);

  EXPECT_EQ(r.chainTo, "WELL7_2.LOG");
  EXPECT_EQ(r.scale, 200);
  EXPECT_EQ(r.userFlag, 1);
  EXPECT_EQ(r.library, "C:\\QUORVANTA\\Userfunction\\KSTQ_GR.Dll");
  EXPECT_EQ(r.sondeLength, 235);
  EXPECT_EQ(r.info.SondeLength, 235);
  EXPECT_EQ(r.info.LogMode, 11);
  EXPECT_EQ(r.info.Startdepth, 152000);
  EXPECT_EQ(r.info.Step, 100);
  EXPECT_EQ(r.info.Company, "Acme Water Board");
  EXPECT_EQ(r.info.SondeAbbreviation, "KSTQ");
  EXPECT_EQ(r.info.CasRecSize1, 168.3f);
  EXPECT_EQ(r.info.Comment[1], "Repeat section 40-60 m");
  EXPECT_EQ(r.trailer, (TrailerText{"Logged by Quorvanta", "Depths from ground level", "", "End of log"}));

  ASSERT_EQ(r.curves.size(), 3u);
  const CurveRecord& ln = *r.curves[1];
  EXPECT_EQ(ln.shortTitle, "LN");
  EXPECT_EQ(ln.firstTrack, 2);
  EXPECT_EQ(ln.lastTrack, 3);
  EXPECT_EQ(ln.scaleFlag, 0);
  EXPECT_EQ(ln.physicalChannel, 3);
  EXPECT_EQ(ln.lineColour, 0xFF0000u);
  EXPECT_EQ(ln.scaleMinimum, 0.5f);
  EXPECT_EQ(r.curves[2]->lineColour, 0xFF000000u);
  EXPECT_EQ(r.curves[2]->headerFlag, 0);

  ASSERT_EQ(r.tracks.size(), 4u);
  EXPECT_EQ(r.tracks[1]->type, 1);
  EXPECT_EQ(r.tracks[1]->gridFlag, 0);
  EXPECT_EQ(r.tracks[2]->gridStyle, 0x1000000);
  EXPECT_EQ(r.tracks[3]->gridColour, 8421504u);

  ASSERT_EQ(r.calibration.size(), 12u);
  for (int slot : {1, 3, 4, 5, 6, 7, 8, 9, 10}) EXPECT_EQ(r.calibration[slot], nullptr) << slot;
  const ChannelCalibration& gr = *r.calibration[0];
  EXPECT_EQ(gr.calFlag, 1);
  EXPECT_EQ(gr.coefficientCount, 4);
  EXPECT_EQ(*gr.coefficients, (Coefficients{0, 1.5, 0.00025, -1.25e-7}));
  EXPECT_EQ(gr.referencePoints, (std::vector<std::string>{"120 CPS at 50 API", "300 CPS at 200 API"}));
  EXPECT_EQ(gr.shortTitle, "GR");
  const ChannelCalibration& resistivity = *r.calibration[2];
  EXPECT_EQ(resistivity.calFlag, 0);
  EXPECT_EQ(resistivity.coefficientCount, 1);
  EXPECT_EQ(*resistivity.coefficients, kIdentityCoefficients);
  EXPECT_EQ(r.calibration[11]->coefficientCount, 2);
  EXPECT_EQ(*r.calibration[11]->coefficients, (Coefficients{0.1, 0.02, 0, 0}));
}

TEST(HeaderStoreTest, GoldenHeaderWritesBackByteForByte) {
  const std::string golden = ReadBytes(Fixture("golden_log.hed"));
  Log log("golden_write");
  WriteBytes(log.hed, golden);
  Records r;
  ASSERT_EQ(r.Read(log.data), 1);

  ASSERT_EQ(r.Write(log.data), 1);  // in place: every key replaced where it stands
  EXPECT_EQ(ReadBytes(log.hed), golden);

  WriteBytes(log.hed, kIdentOnly);  // a fresh header gets the writer's order
  ASSERT_EQ(r.Write(log.data), 1);
  EXPECT_EQ(ReadBytes(log.hed), golden);
}

// Gives every numeric and text field of the record a distinct value.
HeaderInfo FullHeaderInfo() {
  HeaderInfo info;
  int n = 1;
  for (const WellInfoField& field : WellInfoFields()) {
    ++n;
    switch (field.kind) {
      case FieldKind::kInt:
        WellInfoInt(info, field) = n * 1000 - 7;
        break;
      case FieldKind::kFloat:
        WellInfoFloat(info, field) = static_cast<float>(n) + 0.25f;
        break;
      case FieldKind::kText:
        WellInfoText(info, field) = std::string(field.key) + " text " + std::to_string(n);
        break;
    }
  }
  info.SondeLength = 321;
  info.RecLineSize = 0;  // only the data-file directory stores it
  return info;
}

TEST(HeaderStoreTest, SixteenChannelHeaderKeepsEveryFieldThroughWriteAndRead) {
  Log log("round_trip", "DEEP.LGX");
  ASSERT_EQ(WriteHeaderIdent(log.data), 1);
  Records out;
  out.chainTo = "/data/DEEP1.LGX";
  out.info = FullHeaderInfo();
  out.scale = 500;
  out.library = "/opt/quorvanta/Userfunction/deep.so";
  out.sondeLength = 321;
  out.trailer = {"one", "two", "three", "four"};
  for (int ch = 1; ch <= 16; ++ch) {
    auto c = std::make_unique<CurveRecord>();
    c->headerLine = ch % 4;
    c->firstTrack = ch % 3 == 0 ? 2 : ch % 4;
    c->lastTrack = ch % 3 == 0 ? 3 : c->firstTrack;
    c->headerFlag = ch % 2;
    c->scaleFlag = (ch + 1) % 2;
    c->description = "Channel " + std::to_string(ch);
    c->shortTitle = "C" + std::to_string(ch);
    c->unit = ch % 2 ? "CPS" : "Ohmm";
    c->physicalChannel = ch;
    c->logicalChannel = 17 - ch;
    c->window = ch * 3;
    c->lineColour = 0x00010203u * static_cast<unsigned>(ch);
    c->printLineStyle = ch % 8;
    c->scaleMinimum = -0.5f * static_cast<float>(ch);
    c->scaleMaximum = 100.25f * static_cast<float>(ch);
    out.curves.push_back(std::move(c));
  }
  for (int t = 0; t < 4; ++t) {
    auto track = std::make_unique<TrackRecord>();
    track->order = t;
    track->style = 256 + t;
    track->type = t == 1 ? 1 : 2;
    track->gridFlag = t != 1;
    track->gridStyle = t == 2 ? kGridLogarithmic : kGridLinear;
    track->gridColour = 0x00C0C0C0u + static_cast<unsigned>(t);
    out.tracks.push_back(std::move(track));
  }
  out.calibration.resize(12);
  for (int ch = 1; ch <= 12; ++ch) {
    if (ch == 5) continue;  // an uncalibrated channel keeps its empty slot
    auto cal = std::make_unique<ChannelCalibration>();
    cal->physicalChannel = ch;
    cal->calFlag = ch % 2;
    cal->coefficientCount = 4;
    cal->coefficients = Coefficients{0.125 * ch, 1.0 + ch, ch % 2 ? -2.5e-5 : 1.0e-300, 3.0e-9};
    cal->shortTitle = "C" + std::to_string(ch);
    for (int p = 0; p < ch % 3; ++p) cal->referencePoints.push_back(std::to_string(100 * p) + " CPS at 5 API");
    out.calibration[static_cast<std::size_t>(ch - 1)] = std::move(cal);
  }
  ASSERT_EQ(out.Write(log.data), 1);

  Records in;
  ASSERT_EQ(in.Read(log.data), 1);
  EXPECT_EQ(in.chainTo, out.chainTo);
  EXPECT_EQ(in.info, out.info);
  EXPECT_EQ(in.scale, 500);
  EXPECT_EQ(in.userFlag, 1);
  EXPECT_EQ(in.library, out.library);
  EXPECT_EQ(in.sondeLength, 321);
  EXPECT_EQ(in.trailer, out.trailer);
  ASSERT_EQ(in.curves.size(), 16u);
  for (std::size_t i = 0; i < 16; ++i) ExpectCurvesEqual(*in.curves[i], *out.curves[i]);
  ASSERT_EQ(in.tracks.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(*in.tracks[i], *out.tracks[i]);
  ASSERT_EQ(in.calibration.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i) {
    if (!out.calibration[i]) {
      // The section exists (a curve), so the reader gives it an identity record.
      ASSERT_NE(in.calibration[i], nullptr);
      EXPECT_EQ(in.calibration[i]->calFlag, 0);
      continue;
    }
    ASSERT_NE(in.calibration[i], nullptr) << i;
    EXPECT_EQ(in.calibration[i]->calFlag, out.calibration[i]->calFlag);
    EXPECT_EQ(in.calibration[i]->coefficientCount, 4);
    EXPECT_EQ(in.calibration[i]->coefficients, out.calibration[i]->coefficients);
    EXPECT_EQ(in.calibration[i]->referencePoints, out.calibration[i]->referencePoints);
    EXPECT_EQ(in.calibration[i]->physicalChannel, out.calibration[i]->physicalChannel);
    EXPECT_EQ(in.calibration[i]->shortTitle, out.calibration[i]->shortTitle);
  }

  // A reader that is not ours sees the same file.
  EXPECT_EQ(Crudini(log.hed, "General", "Ident"), "QUORVANTA");
  EXPECT_EQ(Crudini(log.hed, "General", "Scale"), "500");
  EXPECT_EQ(Crudini(log.hed, "WellInfo", "Company"), out.info.Company);
  EXPECT_EQ(Crudini(log.hed, "WellInfo", "Comment10"), out.info.Comment[9]);
  EXPECT_EQ(Crudini(log.hed, "Channel15", "TitleShort"), "C16");
  EXPECT_EQ(Crudini(log.hed, "Channel2", "DisplayTrack"), "4");
  EXPECT_EQ(Crudini(log.hed, "Channel0", "Coefficient2"), "-2.5E-05");
  EXPECT_EQ(Crudini(log.hed, "Track2", "GridStyle"), "16777216");
  EXPECT_EQ(Crudini(log.hed, "TrailerText", "Text4"), "four");
}

// A test converter of old headers: marks the header as converted.
int ConvertForTest(const std::string&, HedFile& header) {
  WriteHeaderIdent(header);
  header.Set("WellInfo", "Company", "from the old header");
  return 1;
}
// Converts, but the header cannot be saved: a folder has taken its name.
int ConvertUnsaveable(const std::string& path, HedFile& header) {
  ::mkdir(HeaderPathFor(path).c_str(), 0755);
  return ConvertForTest(path, header);
}
int FailConversion(const std::string&, HedFile& header) {
  header.Set("WellInfo", "Company", "half done");
  return 0;
}

TEST(HeaderStoreTest, ForeignOrMissingIdentIsNeverDestroyed) {
  struct Case {
    const char* name;
    std::string hed;  // empty: no header file
    std::string hdr;  // empty: no old header
    OldHeaderConverter converter;
    int result;
    bool hedKept;         // the header file is byte-identical afterwards
    std::string box;      // the one box shown, or empty
    std::string company;  // HeaderInfo::Company after the call
  };
  const std::string v106(4096, '\0');
  std::string marked(100, '\0');
  marked[8] = 1;
  const std::string foreign = "[General]\r\nIdent=TB-HEADER\r\n[WellInfo]\r\nCompany=old\r\n";
  const std::string lower = "[General]\r\nIdent=quorvanta\r\n[WellInfo]\r\nCompany=old\r\n";
  const std::string none = "[WellInfo]\r\nCompany=old\r\n";
  const Case cases[] = {
      {"ours", kIdentOnly + "[WellInfo]\r\nCompany=ours\r\n", "", nullptr, 1, true, "", "ours"},
      {"foreign, no old header", foreign, "", nullptr, 0, true, "Can not open header file !", "untouched"},
      {"ident in other case", lower, "", nullptr, 0, true, "Can not open header file !", "untouched"},
      {"no ident", none, "", nullptr, 0, true, "Can not open header file !", "untouched"},
      {"foreign, old header converts", foreign, v106, &ConvertForTest, 1, false, "", "from the old header"},
      {"foreign, marked old header converts", foreign, marked, &ConvertForTest, 1, false, "", "from the old header"},
      {"foreign, conversion fails", foreign, v106, &FailConversion, 0, true, "", "untouched"},
      {"foreign, old header not V106", foreign, std::string(100, '\0'), &ConvertForTest, 0, true,
       "is not a valid .hdr file or is not in V106 format !", "untouched"},
      {"no header, old header converts", "", v106, &ConvertForTest, 1, false, "", "from the old header"},
      {"no header, no old header", "", "", nullptr, 0, true, "Can not open header file !", "untouched"},
      {"no header, converted header cannot be saved", "", v106, &ConvertUnsaveable, 0, false,
       "Can not open header file !", "untouched"},
  };
  for (const Case& c : cases) {
    Log log("ident");
    if (!c.hed.empty()) WriteBytes(log.hed, c.hed);
    if (!c.hdr.empty()) WriteBytes(log.dir + "/WELL7.hdr", c.hdr);
    OldHeaderConverter previous = SetOldHeaderConverter(c.converter);
    qv::MessageRecorder boxes;
    HeaderInfo info;
    info.Company = "untouched";
    EXPECT_EQ(ReadHeaderInfo(log.data, &info), c.result) << c.name;
    SetOldHeaderConverter(previous);
    if (c.hedKept) {
      if (c.hed.empty())
        EXPECT_FALSE(Exists(log.hed)) << c.name;
      else
        EXPECT_EQ(ReadBytes(log.hed), c.hed) << c.name;
    }
    EXPECT_EQ(info.Company, c.company) << c.name;
    if (c.box.empty()) {
      EXPECT_TRUE(Texts(boxes).empty()) << c.name;
    } else {
      ASSERT_EQ(Texts(boxes).size(), 1u) << c.name;
      EXPECT_NE(Texts(boxes)[0].find(c.box), std::string::npos) << c.name << ": " << Texts(boxes)[0];
    }
  }
}

TEST(HeaderStoreTest, NotV106MessageNamesTheOldHeader) {
  Log log("not_v106");
  WriteBytes(log.dir + "/WELL7.hdr", std::string(10, 'x'));
  qv::MessageRecorder boxes;
  HeaderInfo info;
  EXPECT_EQ(ReadHeaderInfo(log.data, &info), 0);
  ASSERT_EQ(Texts(boxes).size(), 1u);
  EXPECT_EQ(Texts(boxes)[0], log.dir + "/WELL7.hdr  is not a valid .hdr file or is not in V106 format !");
}

TEST(HeaderStoreTest, PlainReadOfForeignHeaderTouchesNothing) {
  Log log("plain_read");
  WriteBytes(log.hed, "[General]\r\nIdent=OTHER\r\n[WellInfo]\r\nStep=5\r\n");
  qv::MessageRecorder boxes;
  HeaderInfo info;
  info.Step = 77;
  EXPECT_EQ(CHeader().ReadHeader(log.hed, nullptr, &info), 0);
  EXPECT_EQ(info.Step, 77);
  EXPECT_TRUE(Texts(boxes).empty());
  WriteBytes(log.hed, kIdentOnly);
  EXPECT_EQ(CHeader().ReadHeader(log.hed), 1) << "no records: only the checks";
}

TEST(HeaderStoreTest, FailedWriteLeavesTheFileByteIdentical) {
  const std::string golden = ReadBytes(Fixture("golden_log.hed"));
  Log log("failed_write");
  WriteBytes(log.hed, golden);
  HeaderInfo info = FullHeaderInfo();

  // A value with a line break never reaches a file, and the write says so:
  // a remark, or a calibration reference point (golden channel 3's section).
  for (const char* lineBreak : {"two\r\nlines", "two\nlines", "two\rlines"}) {
    SCOPED_TRACE(::testing::PrintToString(lineBreak));
    info.Comment[3] = lineBreak;
    EXPECT_EQ(WriteHeaderInfo(log.data, &info, nullptr), 0);
    EXPECT_EQ(ReadBytes(log.hed), golden);

    ChannelCalibration point;
    point.physicalChannel = 3;
    point.calFlag = 1;
    point.coefficients = Coefficients{0, 1, 0, 0};
    point.referencePoints = {"10 CPS at 1 API", lineBreak};
    CalibrationArray calibration(1);
    calibration[0] = std::make_unique<ChannelCalibration>(point);
    EXPECT_EQ(WriteCalibration(log.data, &calibration), 0);
    EXPECT_EQ(ReadBytes(log.hed), golden);
    EXPECT_EQ(CHeader().WriteHeader(log.data, nullptr, nullptr, nullptr, nullptr, &calibration), 0);
    EXPECT_EQ(ReadBytes(log.hed), golden);
    EXPECT_EQ(WriteChannelCalibration(log.hed, &point, 1), 0);
    EXPECT_EQ(ReadBytes(log.hed), golden);
  }

  info.Comment[3] = "one line";
  qv::SetFileFaultHook([](std::string_view step, const std::string&) { return step == "rename"; });
  EXPECT_EQ(WriteHeaderInfo(log.data, &info, nullptr), 0);
  qv::SetFileFaultHook(nullptr);
  EXPECT_EQ(ReadBytes(log.hed), golden);

  // A read-only folder, met as an ordinary user.
  ASSERT_EQ(::chmod(log.dir.c_str(), 0555), 0);
  const auto result = qv::test::AsUnprivileged(
      [&] { return ::access(log.hed.c_str(), R_OK) == 0 && ::access(log.dir.c_str(), W_OK) != 0; },
      [&] { return WriteHeaderInfo(log.data, &info, nullptr) == 0; });
  ::chmod(log.dir.c_str(), 0755);
  EXPECT_NE(result, qv::test::UnprivilegedResult::kFailed) << "a write into a read-only folder reported success";
  if (result == qv::test::UnprivilegedResult::kNotPossible) std::cout << "read-only folder case not run here\n";
  EXPECT_EQ(ReadBytes(log.hed), golden);
  EXPECT_EQ(WriteHeaderInfo(log.data, &info, nullptr), 1);
  EXPECT_NE(ReadBytes(log.hed), golden);
}

TEST(HeaderStoreTest, WriteCreatesAMissingHeaderWithOnlyItsSections) {
  Log log("create");
  const int length = 180;
  EXPECT_EQ(WriteSondeLength(log.data, &length), 1);
  EXPECT_EQ(ReadBytes(log.hed), "[General]\r\nSondeLength=180\r\n");

  qv::MessageRecorder boxes;
  qv::SetFileFaultHook([](std::string_view step, const std::string&) { return step == "rename"; });
  Log other("create_fails");
  EXPECT_EQ(WriteSondeLength(other.data, &length), 0);
  qv::SetFileFaultHook(nullptr);
  EXPECT_FALSE(Exists(other.hed));
  EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Can not create .hed file"});
}

TEST(HeaderStoreTest, HeaderPathUsesOnlyTheLastComponentsExtension) {
  struct Case {
    std::string data;
    std::string hed;  // relative to the scratch folder; empty: no header
  };
  const Case cases[] = {
      {"WELL7.LOG", "WELL7.hed"},
      {"run.2/WELL7.LGX", "run.2/WELL7.hed"},
      {"WELL7.1.LOG", "WELL7.1.hed"},
      {"run.2/WELL7", ""},
      {"WELL7", ""},
  };
  const std::string dir = ScratchDir("paths");
  ::mkdir((dir + "/run.2").c_str(), 0755);
  for (const Case& c : cases) {
    const std::string expected = c.hed.empty() ? "" : dir + "/" + c.hed;
    EXPECT_EQ(HeaderPathFor(dir + "/" + c.data), expected) << c.data;
    const int length = 5;
    EXPECT_EQ(WriteSondeLength(dir + "/" + c.data, &length), c.hed.empty() ? 0 : 1) << c.data;
  }
  EXPECT_FALSE(Exists(dir + "/run.hed"));
  // An existing header is found whatever its letter case.
  WriteBytes(dir + "/Mixed.HED", kIdentOnly + "[General]\r\n");
  EXPECT_EQ(HeaderPathFor(dir + "/MIXED.log"), dir + "/Mixed.HED");
}

TEST(HeaderStoreTest, ReadingRulesOfNumberedSectionsAndDefaults) {
  Log log("reading_rules");
  const std::string longText(300, 'x');
  const std::string longLine(1500, 'y');
  WriteBytes(log.hed,
             kIdentOnly + "Scale=0\r\n" + "[Channel0]\r\nPhysicalCh=0\r\nTitleShort=ZERO\r\nTitle=" + longText +
                 "\r\n" + "[Channel1]\r\nPhysicalCh=16\r\nTitleShort=null\r\nDisplayTrack=4\r\n" +
                 "[Channel2]\r\nPhysicalCh=17\r\nTitleShort=SEVENTEEN\r\n" + "[Channel3]\r\nTitleShort=NOCHANNEL\r\n" +
                 "[Channel4]\r\nPhysicalCh=2\r\nTitleShort=NULL\r\n" +
                 "[Channel5]\r\nPhysicalCh=-3\r\nTitleShort=NEGATIVE\r\n" +
                 "[Channel7]\r\nPhysicalCh=3\r\nTitleShort=AFTERGAP\r\n" + "[TrailerText]\r\nText1=" + longLine +
                 "\r\n");
  Records r;
  r.scale = 42;
  ASSERT_EQ(r.Read(log.data), 1);
  ASSERT_EQ(r.curves.size(), 2u);
  EXPECT_EQ(r.curves[0]->shortTitle, "ZERO");
  EXPECT_EQ(r.curves[0]->description, std::string(255, 'x'));
  EXPECT_EQ(r.curves[0]->headerFlag, 1) << "Visible defaults to 1";
  EXPECT_EQ(r.curves[0]->scaleFlag, 1) << "InvertScale defaults to 1";
  EXPECT_EQ(r.curves[1]->shortTitle, "null");
  EXPECT_EQ(r.curves[1]->firstTrack, 2);
  EXPECT_EQ(r.curves[1]->lastTrack, 3);
  EXPECT_EQ(r.scale, 42) << "a scale of 0 or below leaves the caller's value";
  EXPECT_EQ(r.library, " ");
  EXPECT_EQ(r.userFlag, 0);
  EXPECT_EQ(r.trailer.Text1, std::string(1023, 'y'));
  EXPECT_TRUE(r.tracks.empty());

  WriteBytes(log.hed, kIdentOnly);
  r.scale = 42;
  ASSERT_EQ(r.Read(log.data), 1);
  EXPECT_EQ(r.scale, 100) << "a missing scale reads as 100";
  EXPECT_TRUE(r.curves.empty());
}

TEST(HeaderStoreTest, CalibrationReadingRules) {
  Log log("calibration_rules");
  WriteBytes(log.hed, kIdentOnly + "[Channel0]\r\nPhysicalCh=1\r\nCalFlag=5\r\n" +               // no coefficients
                          "[Channel1]\r\nPhysicalCh=3\r\nCoefficient0=\r\nCoefficient1=3\r\n" +  // empty Coefficient0
                          "[Channel2]\r\nPhysicalCh=0\r\nCalFlag=1\r\n" +
                          "[Channel3]\r\nPhysicalCh=13\r\nCalFlag=1\r\n" + "[Channel4]\r\nTitle=no channel\r\n" +
                          "[Channel5]\r\nPhysicalCh=4\r\nCoefficient0=1\r\nCoefficient1=2\r\nCoefficient2=3\r\n"
                          "Coefficient3=4\r\nCoefficient4=5\r\nCoefficient5=6\r\nJigCount=-2\r\n" +
                          "[Channel6]\r\nPhysicalCh=7\r\nJigCount=2000000000\r\nReferencePoint0=a\r\n"
                          "ReferencePoint1=\r\nReferencePoint2=c\r\n" +
                          "[Channel7]\r\nPhysicalCh=2\r\nTitleShort=FIRST\r\n" +
                          "[Channel8]\r\nPhysicalCh=2\r\nTitleShort=LATER\r\nCoefficient0=9\r\n");
  CalibrationArray cal;
  cal.push_back(std::make_unique<ChannelCalibration>());  // the array is refilled whole
  ASSERT_EQ(ReadCalibration(log.data, &cal), 1);
  ASSERT_EQ(cal.size(), 12u);
  for (std::size_t slot : {4u, 5u, 7u, 8u, 9u, 10u, 11u}) EXPECT_EQ(cal[slot], nullptr) << slot;

  struct Case {
    std::size_t slot;
    int calFlag;
    int count;
    Coefficients coefficients;
    std::vector<std::string> points;
    const char* title;
  };
  const Case cases[] = {
      {0, 1, 1, {0, 1, 0, 0}, {}, ""},          // no coefficient keys: count 1, identity
      {1, 0, 1, {9, 0, 0, 0}, {}, "LATER"},     // a later section of the same channel wins
      {2, 0, 0, {0, 3, 0, 0}, {}, ""},          // Coefficient0 present but empty: count 0
      {3, 0, 4, {1, 2, 3, 4}, {}, ""},          // only four coefficients are ever kept
      {6, 0, 1, {0, 1, 0, 0}, {"a", "c"}, ""},  // a corrupt JigCount reads what the section holds
  };
  for (const Case& c : cases) {
    ASSERT_NE(cal[c.slot], nullptr) << c.slot;
    EXPECT_EQ(cal[c.slot]->calFlag, c.calFlag) << c.slot;
    EXPECT_EQ(cal[c.slot]->coefficientCount, c.count) << c.slot;
    EXPECT_EQ(*cal[c.slot]->coefficients, c.coefficients) << c.slot;
    EXPECT_EQ(cal[c.slot]->referencePoints, c.points) << c.slot;
    EXPECT_EQ(cal[c.slot]->shortTitle, c.title) << c.slot;
    EXPECT_EQ(cal[c.slot]->physicalChannel, static_cast<int>(c.slot) + 1);
  }
}

TEST(HeaderStoreTest, CalibrationGoesToEverySectionOfItsChannel) {
  Log log("calibration_write");
  WriteBytes(log.hed, kIdentOnly + "[Channel0]\r\nPhysicalCh=2\r\n[Channel1]\r\nPhysicalCh=3\r\n" +
                          "[Channel2]\r\nPhysicalCh=2\r\n[Channel4]\r\nPhysicalCh=2\r\n");
  CalibrationArray cal(12);
  cal[1] = std::make_unique<ChannelCalibration>();
  cal[1]->physicalChannel = 2;
  cal[1]->calFlag = 1;
  cal[1]->coefficientCount = 9;  // never more than four keys
  cal[1]->coefficients = Coefficients{1, 2, 3, 4};
  cal[1]->referencePoints = {"10 CPS at 1 API"};
  cal[5] = std::make_unique<ChannelCalibration>();
  cal[5]->physicalChannel = 6;  // no section: writes nothing
  ASSERT_EQ(WriteCalibration(log.data, &cal), 1);
  const std::string keys =
      "CalFlag=1\r\nCoefficient0=1\r\nCoefficient1=2\r\nCoefficient2=3\r\nCoefficient3=4\r\n"
      "JigCount=1\r\nReferencePoint0=10 CPS at 1 API\r\n";
  EXPECT_EQ(ReadBytes(log.hed), kIdentOnly + "[Channel0]\r\nPhysicalCh=2\r\n" + keys +
                                    "[Channel1]\r\nPhysicalCh=3\r\n[Channel2]\r\nPhysicalCh=2\r\n" + keys +
                                    "[Channel4]\r\nPhysicalCh=2\r\n");
}

// Numbers are read the way the C library reads them in the C locale,
// whatever path the reader takes for the usual texts.
// Loads reuse the parsed copy the profile layer keeps of a file just saved
// or read, but each load is a private copy of the file as it is now: edits
// that are not saved stay in their own copy, and a file rewritten in place by
// another program (same size, time stamp put back) reads afresh.
TEST(HeaderStoreTest, LoadsSeeTheFileAsItIsNow) {
  const Log log("loads_see_file_now");
  HedFile written;
  written.Reset(log.hed);
  ASSERT_TRUE(written.Set("General", "Ident", kHeaderIdent));
  ASSERT_TRUE(written.SetInt("General", "Scale", 100));
  ASSERT_TRUE(written.Save());

  HedFile edited;
  ASSERT_EQ(edited.Load(log.hed), HedFile::LoadResult::kLoaded);
  ASSERT_TRUE(edited.SetInt("General", "Scale", 999));
  HedFile again;
  ASSERT_EQ(again.Load(log.hed), HedFile::LoadResult::kLoaded);
  EXPECT_EQ(again.GetInt("General", "Scale", "0"), 100);
  EXPECT_EQ(edited.GetInt("General", "Scale", "0"), 999);

  struct stat before;
  ASSERT_EQ(::stat(log.hed.c_str(), &before), 0);
  {
    std::ofstream out(log.hed, std::ios::binary | std::ios::trunc);
    out << "[General]\r\nIdent=" << kHeaderIdent << "\r\nScale=200\r\n";
  }
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, log.hed.c_str(), times, 0), 0);
  HedFile fresh;
  ASSERT_EQ(fresh.Load(log.hed), HedFile::LoadResult::kLoaded);
  EXPECT_EQ(fresh.GetInt("General", "Scale", "0"), 200);
  Records records;
  ASSERT_EQ(records.Read(log.data), 1);
  EXPECT_EQ(records.scale, 200);

  ASSERT_TRUE(std::filesystem::remove(log.hed));
  HedFile gone;
  EXPECT_EQ(gone.Load(log.hed), HedFile::LoadResult::kMissing);
  EXPECT_EQ(gone.GetInt("General", "Scale", "0"), 0);
}

TEST(HeaderStoreTest, NumbersReadAsTheCLibraryReadsThem) {
  const char* const texts[] = {"0",
                               "-0",
                               "7",
                               "007",
                               "-42",
                               "123456789",
                               "-123456789",
                               "999999999",
                               "1234567890",
                               "2147483647",
                               "2147483648",
                               "-2147483648",
                               "-2147483649",
                               "99999999999999999999",
                               "",
                               "-",
                               "+5",
                               " 12",
                               "\t-3",
                               "12abc",
                               "0x1A",
                               "1e5",
                               "-1e-5",
                               "100.000000",
                               "-0.000000",
                               "-999.250000",
                               "2.675000",
                               "0.3",
                               "0.1",
                               "123456789012345",
                               "1234567890123456",
                               "9007199254740993",
                               "99999999999999.9",
                               "0.000000000000001",
                               "0.0000000000000000000001",
                               "0.00000000000000000000001",
                               "0.0000000000000000000000",
                               "00000000000000000000000000000.5",
                               "0.30000000000000004",
                               "3.14159265358979323846",
                               "1.",
                               ".5",
                               "-.5",
                               "5.-",
                               "1.2.3",
                               "1e400",
                               "-1e400",
                               "2.2250738585072014e-308",
                               "4.9e-324",
                               "1e-400",
                               "123456789012345678901234567890.5",
                               "0.000000000000000000000000001",
                               "nan",
                               "inf",
                               "4294967295",
                               "-1",
                               "16777215"};
  Log log("numbers");
  std::string text = kIdentOnly + "[Numbers]\r\n";
  int n = 0;
  for (const char* t : texts) text += "v" + std::to_string(n++) + "=" + t + "\r\n";
  WriteBytes(log.hed, text);
  HedFile file;
  ASSERT_EQ(file.Load(log.hed), HedFile::LoadResult::kLoaded);
  n = 0;
  for (const char* t : texts) {
    const std::string key = "v" + std::to_string(n++);
    EXPECT_EQ(file.GetInt("Numbers", key, "0"), qv::AtoiC(t)) << t;
    EXPECT_EQ(file.GetColour("Numbers", key, "0"), static_cast<std::uint32_t>(qv::AtolC(t))) << t;
    const double got = file.GetDouble("Numbers", key, "0"), want = qv::AtofC(t);
    EXPECT_TRUE(std::memcmp(&got, &want, sizeof got) == 0 || (got != got && want != want)) << t;
  }
  // Defaults take the same way.
  EXPECT_EQ(file.GetInt("Numbers", "missing", "-17"), -17);
  EXPECT_EQ(file.GetDouble("Numbers", "missing", "2.5"), 2.5);
}

TEST(HeaderStoreTest, PlaceholdersKeepTheirSectionNumbers) {
  Log log("placeholders");
  ASSERT_EQ(WriteHeaderIdent(log.data), 1);
  CurveArray curves;
  for (const char* title : {"DEPTH", "TIME", "GR", "LN"}) {
    auto c = std::make_unique<CurveRecord>();
    c->shortTitle = title;
    c->physicalChannel = curves.size() < 2 ? -1 : static_cast<int>(curves.size()) - 1;
    c->sampleType = curves.size() < 2 ? 4 : 1;
    c->dataOffset = static_cast<int>(curves.size()) * 4;
    curves.push_back(std::move(c));
  }
  WriteChannelDataLocation(log.data, &curves, 1);
  ASSERT_EQ(WriteCurveRecords(log.data, &curves), 1);
  EXPECT_EQ(Crudini(log.hed, "Channel1", "DataOffset"), "4");
  EXPECT_EQ(Crudini(log.hed, "Channel1", "Visible"), "<missing>");
  EXPECT_EQ(Crudini(log.hed, "Channel3", "Visible"), "0");
  EXPECT_EQ(Crudini(log.hed, "Channel3", "DataOffset"), "12");

  CurveArray back;
  ASSERT_EQ(ReadCurveRecords(log.data, &back), 1);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0]->shortTitle, "GR");
  EXPECT_EQ(back[1]->shortTitle, "LN");

  // Display keys alone leave a gap where a placeholder stands.
  Log gap("placeholder_gap");
  ASSERT_EQ(WriteHeaderIdent(gap.data), 1);
  std::swap(curves[0], curves[2]);
  ASSERT_EQ(WriteCurveRecords(gap.data, &curves), 1);
  ASSERT_EQ(ReadCurveRecords(gap.data, &back), 1);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->shortTitle, "GR");
}

TEST(HeaderStoreTest, ChainTargetKeepsOnlyItsFileName) {
  struct Case {
    std::string stored;
    std::string read;
  };
  const Case cases[] = {{"D:\\DATA\\WELL7_2.LOG", "WELL7_2.LOG"},
                        {"WELL7_2.LOG", "WELL7_2.LOG"},
                        {"/data/WELL7_2.LOG", "WELL7_2.LOG"},
                        {"", ""}};
  Log log("chain");
  ASSERT_EQ(WriteHeaderIdent(log.data), 1);
  for (const Case& c : cases) {
    ASSERT_EQ(WriteChainTo(log.data, c.stored), 1);
    std::string target = "old";
    EXPECT_EQ(ReadChainTo(log.data, &target), 1);
    EXPECT_EQ(target, c.read);
  }
  qv::MessageRecorder boxes;
  std::string target = "kept";
  EXPECT_EQ(ReadChainTo(log.dir + "/MISSING.LOG", &target), 0);
  EXPECT_EQ(target, "kept");
}

}  // namespace
