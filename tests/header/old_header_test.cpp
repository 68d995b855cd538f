// The old binary header: conversion into a header file and export from one,
// pinned on hand-made 4096-byte images.
#include "header/old_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <map>

#include "header/header.h"
#include "header/hed_file.h"
#include "tests/header/test_support.h"

namespace {

// A 4096-byte old header that tests poke values into.
struct Image {
  std::string bytes = std::string(4096, '\0');
  template <typename T>
  Image& Put(std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
    return *this;
  }
  Image& Byte(std::size_t offset, std::uint8_t v) { return Put(offset, v); }
  Image& Word(std::size_t offset, std::uint16_t v) { return Put(offset, v); }
  Image& Text(std::size_t offset, const std::string& text) {
    std::memcpy(bytes.data() + offset, text.data(), text.size());
    return *this;
  }
  // Slot i with a short title, colour index, track code and span word.
  Image& Slot(int i, const std::string& title, std::uint16_t colour = 1, std::uint16_t track = 0,
              std::uint16_t span = 2) {
    Text(614 + 4 * i, title);
    Word(1092 + 18 * i, track);
    Word(1094 + 18 * i, span);
    return Word(1096 + 18 * i, colour);
  }
  Image& Unused() {
    for (int i = 0; i < 6; ++i) Slot(i, "NULL", 0);
    return *this;
  }
};

struct Converted {
  int result = 0;
  HedFile hed;
  std::string Get(const std::string& section, const std::string& key) const {
    return hed.HasKey(section, key) ? hed.Get(section, key, "") : "<missing>";
  }
};

// Converts image as the old header of a log named name in a fresh folder.
Converted Convert(const std::string& test, const Image& image, const std::string& name = "RUN1.LOG") {
  const std::string dir = ScratchDir(test);
  WriteBytes(dir + "/" + name.substr(0, name.rfind('.')) + ".hdr", image.bytes);
  Converted c;
  c.hed.Reset(dir + "/out.hed");
  c.result = CHeader().ConvertOldHeader(dir + "/" + name, c.hed);
  return c;
}

unsigned ChannelCount(const HedFile& hed) {
  unsigned n = 0;
  while (hed.HasSection("Channel" + std::to_string(n))) ++n;
  return n;
}

TEST(OldHeaderTest, AcceptedByLengthOrMarkerByte) {
  struct Case {
    std::size_t size;
    std::uint8_t marker;
    int result;
  };
  const Case cases[] = {{4096, 0, 1}, {3000, 1, 1}, {5000, 1, 1}, {5000, 0, 0}, {100, 0, 0}};
  for (const Case& c : cases) {
    const std::string dir = ScratchDir("accept");
    std::string bytes(c.size, '\0');
    bytes[8] = static_cast<char>(c.marker);
    WriteBytes(dir + "/RUN1.hdr", bytes);
    qv::MessageRecorder boxes;
    HeaderInfo info;
    EXPECT_EQ(ReadHeaderInfo(dir + "/RUN1.LOG", &info), c.result) << c.size << "/" << int(c.marker);
    EXPECT_EQ(Exists(dir + "/RUN1.hed"), c.result == 1);
    if (c.result == 0) {
      ASSERT_EQ(Texts(boxes).size(), 1u);
      EXPECT_EQ(Texts(boxes)[0], dir + "/RUN1.hdr  is not a valid .hdr file or is not in V106 format !");
    }
  }
}

TEST(OldHeaderTest, SixChannelLog) {
  Image image;
  image.Unused()
      .Byte(2, 0)
      .Byte(4, 5)
      .Byte(12, 1)
      .Byte(1062, 1)
      .Text(254, "GAMM")
      .Text(258, "Project X")
      .Word(1060, 150)
      .Put<std::int32_t>(1084, -1200)
      .Put<std::int32_t>(1088, 250000)
      .Text(2110, "ABCDEFGHIJKLMNOPQRST")  // full width: no terminating zero
      .Text(2130, "GL")
      .Text(3228, "123.4")
      .Text(3814, "first remark");
  image.Slot(0, "GAM ", 1, 0).Text(638, "cps").Word(1106, 51).Word(1108, 30);
  image.Put<float>(1098, 0.5f).Put<float>(1102, 150.25f);
  for (int k = 0; k < 4; ++k) image.Put<double>(662 + 8 * k, 0.5 * k);
  image.Slot(2, "RES", 3, 5).Word(1106 + 36, 52);
  image.Put<double>(662 + 64 + 8, 2.5);
  Converted c = Convert("six", image);
  ASSERT_EQ(c.result, 1);
  const std::map<std::pair<std::string, std::string>, std::string> expected = {
      {{"General", "Ident"}, "QUORVANTA"},
      {{"General", "Revision"}, "V1.5, Build: 406"},
      {{"General", "UserProcessFlag"}, "0"},
      {{"General", "LogType"}, "0"},
      {{"General", "SondeLength"}, "150"},
      {{"WellInfo", "DepthUnit"}, "0"},
      {{"WellInfo", "LogMode"}, "12"},
      {{"WellInfo", "Startdepth"}, "-1200"},
      {{"WellInfo", "EndDepth"}, "250000"},
      {{"WellInfo", "Step"}, "5"},
      {{"WellInfo", "Zero"}, "0"},
      {{"WellInfo", "Company"}, "ABCDEFGHIJKLMNOPQRST"},
      {{"WellInfo", "PermanentDatum"}, "GL"},
      {{"WellInfo", "DepthLogger1"}, "123.4"},
      {{"WellInfo", "Project"}, "Project X"},
      {{"WellInfo", "SondeAbbreviation"}, "GAMM"},
      {{"WellInfo", "Comment1"}, "first remark"},
      {{"WellInfo", "Comment10"}, ""},
      {{"WellInfo", "Country"}, ""},
      {{"Channel0", "PhysicalCh"}, "1"},
      {{"Channel0", "Title"}, "GAM"},  // the profile layer trims the blank
      {{"Channel0", "Unit"}, "cps"},
      {{"Channel0", "FilterFlag"}, "1"},
      {{"Channel0", "FilterType"}, "1"},
      {{"Channel0", "FilterWidth"}, "51"},
      {{"Channel0", "Offset"}, "30"},
      {{"Channel0", "DisplayTrack"}, "0"},
      {{"Channel0", "HeaderLine"}, "0"},
      {{"Channel0", "RangeLeft"}, "0.5"},
      {{"Channel0", "RangeRight"}, "150.25"},
      {{"Channel0", "CalFlag"}, "1"},
      {{"Channel0", "Coefficient1"}, "0.5"},
      {{"Channel0", "Coefficient3"}, "1.5"},
      {{"Channel0", "InvertScale"}, "<missing>"},
      {{"Channel1", "PhysicalCh"}, "3"},
      {{"Channel1", "FilterFlag"}, "0"},
      {{"Channel1", "FilterWidth"}, "0"},
      {{"Channel1", "DisplayTrack"}, "3"},
      {{"Channel1", "LineColour"}, "65280"},
      {{"Channel1", "PrintParameter"}, "0"},
      {{"Channel1", "Coefficient0"}, "0"},
      {{"Channel1", "Coefficient1"}, "2.5"},
      {{"Track0", "GridStyle"}, "268435460"},
      {{"Track1", "Type"}, "1"},
      {{"Track1", "GridStyle"}, "16777220"},
      {{"Track3", "GridStyle"}, "16777220"},
      {{"Track3", "Style"}, "17"},
  };
  for (const auto& [where, value] : expected)
    EXPECT_EQ(c.Get(where.first, where.second), value) << where.first << " " << where.second;
  EXPECT_EQ(ChannelCount(c.hed), 2u);

  // All slots unused: no channel, still the four tracks; byte 12 of 2 is
  // not calibrated.
  Image empty;
  empty.Unused().Byte(12, 2).Byte(1062, 2);
  Converted none = Convert("six_empty", empty);
  EXPECT_EQ(ChannelCount(none.hed), 0u);
  EXPECT_EQ(none.Get("Track3", "GridStyle"), "268435460");
  EXPECT_EQ(none.Get("Track4", "Style"), "<missing>");
  empty.Slot(4, std::string("NUL\0", 4), 2);
  Converted nul = Convert("six_nul", empty);
  EXPECT_EQ(nul.Get("Channel0", "PhysicalCh"), "5");
  EXPECT_EQ(nul.Get("Channel0", "CalFlag"), "0");
  EXPECT_EQ(nul.Get("Channel0", "Coefficient0"), "0.000000");
  EXPECT_EQ(nul.Get("Channel0", "Coefficient1"), "1.000000");
}

TEST(OldHeaderTest, DirectionAndImperialLengths) {
  struct Case {
    std::string name;
    std::uint8_t direction, unit;
    std::uint16_t length, offset;
    const char* mode;
    const char* sondeLength;
    const char* channelOffset;
  };
  const Case cases[] = {
      {"RUN1.LOG", 0, 1, 100, 3, "12", "254", "7"},      {"RUN1.LOG", 1, 0, 100, 3, "11", "100", "3"},
      {"RUN1.LOG", 2, 7, 65535, 0, "10", "166458", "0"}, {"RUN1.LOG", 9, 0, 0, 0, "11", "0", "0"},
      {"RUN1.BTV", 0, 1, 100, 3, "13", "0", "0"},        {"run1.xyz", 1, 0, 5, 0, "11", "5", "0"},
  };
  for (const Case& c : cases) {
    Image image;
    image.Unused().Byte(2, c.direction).Byte(10, c.unit).Word(1060, c.length);
    image.Slot(0, "GR", 1).Word(1108, c.offset);
    Converted conv = Convert("imperial", image, c.name);
    EXPECT_EQ(conv.Get("WellInfo", "LogMode"), c.mode) << c.name << int(c.direction);
    EXPECT_EQ(conv.Get("WellInfo", "DepthUnit"), std::to_string(c.unit));
    EXPECT_EQ(conv.Get("General", "SondeLength"), c.sondeLength) << c.name;
    EXPECT_EQ(conv.Get("Channel0", "Offset"), c.channelOffset) << c.name;
  }
}

TEST(OldHeaderTest, ColourIndexMap) {
  struct Case {
    std::uint16_t index;
    const char* visible;
    const char* colour;
    const char* print;
  };
  const Case cases[] = {{0, "0", "0", "0"},        {1, "1", "255", "1"},      {2, "1", "65535", "2"},
                        {3, "1", "65280", "0"},    {4, "1", "16711935", "1"}, {5, "1", "16776960", "2"},
                        {6, "1", "16711680", "0"}, {7, "1", "0", "1"}};
  for (const Case& c : cases) {
    Image image;
    image.Unused().Slot(3, "CH", c.index);
    Converted conv = Convert("colour", image);
    EXPECT_EQ(conv.Get("Channel0", "Visible"), c.visible) << c.index;
    EXPECT_EQ(conv.Get("Channel0", "LineColour"), c.colour) << c.index;
    EXPECT_EQ(conv.Get("Channel0", "PrintParameter"), c.print) << c.index;
  }
}

TEST(OldHeaderTest, SpanningCurveTakesALineOfTrackThree) {
  // Two curves of track code 5 and one of code 3 spanning (span word 4), the
  // spanning one in the lowest, middle and highest of the three slots.
  struct Case {
    int spanningSlot;
    const char* lines[3];  // header lines of slots 0..2
  };
  const Case cases[] = {{0, {"0", "1", "2"}}, {1, {"0", "0", "2"}}, {2, {"0", "1", "0"}}};
  for (const Case& c : cases) {
    Image image;
    image.Unused();
    for (int i = 0; i < 3; ++i)
      image.Slot(i, "C" + std::to_string(i), 1, i == c.spanningSlot ? 3 : 5, i == c.spanningSlot ? 4 : 2);
    Converted conv = Convert("span", image);
    for (int i = 0; i < 3; ++i) {
      const std::string s = "Channel" + std::to_string(i);
      EXPECT_EQ(conv.Get(s, "HeaderLine"), c.lines[i]) << c.spanningSlot << " slot " << i;
      EXPECT_EQ(conv.Get(s, "DisplayTrack"), i == c.spanningSlot ? "4" : "3");
    }
  }
}

TEST(OldHeaderTest, TeleviewerAndCementBondLogs) {
  Image image;
  image.Unused().Byte(2, 0).Word(1060, 300);
  for (int i = 0; i < 4; ++i) image.Slot(i, "S" + std::to_string(i), 1, 5);
  Converted btv = Convert("btv", image, "RUN1.BTV");
  EXPECT_EQ(ChannelCount(btv.hed), 2u);
  EXPECT_EQ(btv.Get("Channel0", "Title"), "AMPLITUDE DATA");
  EXPECT_EQ(btv.Get("Channel0", "DisplayTrack"), "2");
  EXPECT_EQ(btv.Get("Channel1", "TitleShort"), "TIME");
  EXPECT_EQ(btv.Get("Channel1", "PhysicalCh"), "2");
  EXPECT_EQ(btv.Get("Channel1", "PrintParameter"), "1");
  EXPECT_EQ(btv.Get("Track1", "Type"), "1");
  EXPECT_EQ(btv.Get("Track0", "Type"), "3");
  EXPECT_EQ(btv.Get("Track2", "GridFlag"), "0");
  EXPECT_EQ(btv.Get("Track3", "Type"), "<missing>");
  ASSERT_TRUE(btv.hed.Save());
  const std::string saved = ReadBytes(btv.hed.Path());
  EXPECT_LT(saved.find("[Track1]"), saved.find("[Track0]"));

  for (const char* name : {"RUN1.CBL", "run1.vdl"}) {
    Converted cbl = Convert("cbl", image, name);
    ASSERT_EQ(ChannelCount(cbl.hed), 6u) << name;
    for (int i = 0; i < 4; ++i) {
      const std::string s = "Channel" + std::to_string(i);
      EXPECT_EQ(cbl.Get(s, "DisplayTrack"), "0");
      EXPECT_EQ(cbl.Get(s, "HeaderLine"), std::to_string(i));
    }
    EXPECT_EQ(cbl.Get("Channel4", "Title"), "Near Receiver");
    EXPECT_EQ(cbl.Get("Channel4", "Unit"), "\xB5s");
    EXPECT_EQ(cbl.Get("Channel4", "PhysicalCh"), "7");
    EXPECT_EQ(cbl.Get("Channel5", "TitleShort"), "Far");
    EXPECT_EQ(cbl.Get("Channel5", "DisplayTrack"), "3");
    EXPECT_EQ(cbl.Get("Channel5", "RangeRight"), "1000");
    EXPECT_EQ(cbl.Get("Channel5", "Coefficient1"), "0");
    EXPECT_EQ(cbl.Get("Track0", "GridStyle"), "268435460");
    EXPECT_EQ(cbl.Get("Track3", "Type"), "3");
    EXPECT_EQ(cbl.Get("General", "SondeLength"), "300");
  }
}

TEST(OldHeaderTest, HostileTextAndNumbersStayInTheirKeys) {
  Image image;
  image.Unused().Text(2110, "evil\r\n[General]").Slot(0, "A\nB", 1);
  image.Put<float>(1098, std::numeric_limits<float>::quiet_NaN());
  image.Put<float>(1102, std::numeric_limits<float>::infinity());
  Converted c = Convert("hostile", image);
  EXPECT_EQ(c.Get("WellInfo", "Company"), "evil  [General]");
  EXPECT_EQ(c.Get("Channel0", "Title"), "A BL");  // written over "NULL"
  EXPECT_EQ(c.Get("Channel0", "RangeLeft"), "0");
  EXPECT_EQ(c.Get("Channel0", "RangeRight"), "0");
}

// ---------------------------------------------------------------------------
// Export.

struct Exported {
  std::string dir, data, hed, hdr;
  explicit Exported(const std::string& test)
      : dir(ScratchDir(test)), data(dir + "/RUN1.LOG"), hed(dir + "/RUN1.hed"), hdr(dir + "/RUN1.hdr") {}
  int Export(const std::string& hedText) {
    WriteBytes(hed, hedText);
    return CHeader().ExportOldHeader(data);
  }
};

OldHeaderImage Read(const std::string& path) {
  OldHeaderImage image;
  image.Load(path);
  return image;
}

const std::string kHed =
    "[General]\r\nIdent=QUORVANTA\r\nSondeLength=254\r\n"
    "[WellInfo]\r\nLogMode=11\r\nStep=10\r\nDepthUnit=0\r\nStartdepth=-500\r\nEndDepth=120000\r\n"
    "SondeAbbreviation=GAM\r\nProject=The project of this log\r\nCompany=ACME\r\nDate=2026-12-10\r\n"
    "KellyBushing=12.500000\r\nLogType1=NG\r\nDepthLogger1=99.000000\r\n"
    "[Channel0]\r\nPhysicalCh=3\r\nTitleShort=GAMMA\r\nUnit=cps\r\nDisplayTrack=4\r\nRangeLeft=-1.5\r\n"
    "RangeRight=300\r\nFilterWidth=7\r\nOffset=45\r\nCalFlag=1\r\nCoefficient0=0\r\nCoefficient1=0\r\n"
    "Coefficient2=0.25\r\n"
    "[Channel1]\r\nPhysicalCh=1\r\nTitleShort=SP\r\nUnit=mV\r\nDisplayTrack=3\r\n"
    "[Channel2]\r\nTitleShort=DEPT\r\n"
    "[Channel3]\r\nPhysicalCh=9\r\nTitleShort=FAR\r\n";

TEST(OldHeaderExportTest, FieldsOfTheOldHeader) {
  Exported e("export");
  ASSERT_EQ(e.Export(kHed), 1);
  const std::string bytes = ReadBytes(e.hdr);
  ASSERT_EQ(bytes.size(), 4096u);
  const OldHeaderImage old = Read(e.hdr);
  EXPECT_EQ(old.Byte(2), 1);
  EXPECT_EQ(old.Byte(4), 10);
  EXPECT_EQ(old.Byte(8), 1);
  EXPECT_EQ(old.Byte(12), 1);
  EXPECT_EQ(old.Text(254, 4), "") << "an abbreviation of three characters leaves the field zero";
  EXPECT_EQ(old.Text(258, 20), "The project of this ");
  EXPECT_EQ(old.Word(1060), 254);
  EXPECT_EQ(old.Long(1084), -500);
  EXPECT_EQ(old.Long(1088), 120000);
  // Section 0 fills slot 2, section 1 slot 0; the others stay unused.
  EXPECT_EQ(old.Text(614, 4), "SP  ");
  EXPECT_EQ(old.Text(614 + 4, 4), "NULL");
  EXPECT_EQ(old.Text(614 + 8, 4), "GAMM");
  EXPECT_EQ(old.Text(638 + 4, 4), "    ");
  EXPECT_EQ(old.Text(638 + 8, 4), "cps ") << "the unit keeps the blanks it overwrote only partly";
  EXPECT_EQ(old.Double(662 + 64), 0.0);
  EXPECT_EQ(old.Double(662 + 64 + 8), 1.0) << "a coefficient 1 of 0 arrives as 1.0";
  EXPECT_EQ(old.Double(662 + 64 + 16), 0.25);
  EXPECT_EQ(old.Double(662 + 32 + 8), 1.0);
  const std::size_t d2 = 1092 + 36, d0 = 1092;
  EXPECT_EQ(old.Word(d2), 3);
  EXPECT_EQ(old.Word(d2 + 2), 4);
  EXPECT_EQ(old.Word(d2 + 4), 1);
  EXPECT_EQ(old.Single(d2 + 6), -1.5f);
  EXPECT_EQ(old.Single(d2 + 10), 300.0f);
  EXPECT_EQ(old.Word(d2 + 14), 7);
  EXPECT_EQ(old.Word(d2 + 16), 45);
  EXPECT_EQ(old.Word(d0), 5);
  EXPECT_EQ(old.Word(d0 + 2), 2);
  EXPECT_EQ(old.Word(d0 + 4), 2);
  EXPECT_EQ(old.Word(1092 + 18 * 3 + 4), 0) << "PhysicalCh 9 has no slot";
  EXPECT_EQ(old.Text(2110, 20), "ACME");
  EXPECT_EQ(old.Text(2270, 10), "2026-12-1") << "DateRun1 is empty: nine characters of the date stay";
  EXPECT_EQ(old.Text(2280, 6), "12.500");
  EXPECT_EQ(old.Text(2302, 12), "NGM") << "LogType1 over the abbreviation, as far as it reaches";
  EXPECT_EQ(old.Text(2398, 40), "The project of this log");
  EXPECT_EQ(old.Text(2590, 6), "99.000");
  EXPECT_EQ(old.Text(2054, 2), "0");
  EXPECT_EQ(old.Text(3203, 6), "") << "CasRecFrom3 defaults to empty";
  EXPECT_EQ(old.Text(3209, 6), "0");

  // Exporting again gives the same bytes.
  ASSERT_EQ(CHeader().ExportOldHeader(e.data), 1);
  EXPECT_EQ(ReadBytes(e.hdr), bytes);
}

TEST(OldHeaderExportTest, RefusalsLeaveTheOldHeaderUntouched) {
  struct Case {
    const char* name;
    std::string hed;  // empty: no header file
  };
  const std::string ident = "[General]\r\nIdent=QUORVANTA\r\n";
  const Case cases[] = {
      {"no header file", ""},
      {"foreign ident", "[General]\r\nIdent=TB-HEADER\r\n"},
      {"step beyond a byte", ident + "[WellInfo]\r\nStep=256\r\n"},
      {"negative step", ident + "[WellInfo]\r\nStep=-1\r\n"},
      {"depth unit beyond a byte", ident + "[WellInfo]\r\nDepthUnit=256\r\n"},
      {"sonde length beyond a word", ident + "SondeLength=65536\r\n"},
      {"start depth beyond a long", ident + "[WellInfo]\r\nStartdepth=2147483648\r\n"},
      {"negative offset", ident + "[Channel0]\r\nPhysicalCh=1\r\nOffset=-3\r\n"},
      {"filter width beyond a word", ident + "[Channel0]\r\nPhysicalCh=2\r\nFilterWidth=70000\r\n"},
      {"range beyond a single", ident + "[Channel0]\r\nPhysicalCh=2\r\nRangeLeft=1e39\r\n"},
      {"coefficient not finite", ident + "[Channel0]\r\nPhysicalCh=2\r\nCoefficient0=inf\r\n"},
  };
  for (const Case& c : cases) {
    Exported e("refuse");
    WriteBytes(e.hdr, "previous");
    if (c.hed.empty()) {
      EXPECT_EQ(CHeader().ExportOldHeader(e.data), 0) << c.name;
    } else {
      EXPECT_EQ(e.Export(c.hed), 0) << c.name;
    }
    EXPECT_EQ(ReadBytes(e.hdr), "previous") << c.name;
  }
  // The same numbers at the edge of their fields are written.
  Exported edge("edge");
  ASSERT_EQ(edge.Export(ident + "SondeLength=65535\r\n[WellInfo]\r\nStep=255\r\nDepthUnit=1\r\n"
                                "[Channel0]\r\nPhysicalCh=6\r\nOffset=166458\r\n"),
            1);
  const OldHeaderImage old = Read(edge.hdr);
  EXPECT_EQ(old.Byte(4), 255);
  EXPECT_EQ(old.Word(1060), 25801) << "65535 x 100 / 254";
  EXPECT_EQ(old.Word(1092 + 18 * 5 + 16), 65534);
  EXPECT_EQ(old.Byte(2), 2) << "a missing LogMode exports as time-based";
}

TEST(OldHeaderExportTest, ExportThenConversionDiffersOnlyWhereDocumented) {
  Exported e("round_trip");
  ASSERT_EQ(e.Export(kHed), 1);
  HedFile before;
  ASSERT_EQ(before.Load(e.hed), HedFile::LoadResult::kLoaded);
  Converted after;
  after.hed.Reset(e.dir + "/back.hed");
  ASSERT_EQ(CHeader().ConvertOldHeader(e.data, after.hed), 1);
  // What comes back, where it differs from or is absent in the header file.
  const std::map<std::pair<std::string, std::string>, std::string> documented = {
      {{"WellInfo", "SondeAbbreviation"}, ""},               // three characters are not exported at 254
      {{"WellInfo", "Project"}, "The project of this"},  // 20 characters at 258, trimmed
      {{"WellInfo", "LogName"}, "The project of this log"},  // the export writes Project there
      {{"WellInfo", "DateRun1"}, "2026-12-1"},               // the date, cut to nine
      {{"WellInfo", "LogType1"}, "NGM"},                     // over the abbreviation
      {{"WellInfo", "LogDatum"}, "99.000"},                  // the logger depth written over it
      {{"WellInfo", "DepthLogger1"}, ""},                    // read from a field the export leaves zero
      {{"WellInfo", "KellyBushing"}, "12.500"},
      {{"WellInfo", "Date"}, ""},
      {{"Channel0", "PhysicalCh"}, "1"},  // slot order, not section order
      {{"Channel0", "TitleShort"}, "SP"},
      {{"Channel0", "LineColour"}, "65535"},  // colour of section 1's position
      {{"Channel0", "CalFlag"}, "1"},         // the log is calibrated as a whole
      {{"Channel1", "PhysicalCh"}, "3"},
      {{"Channel1", "TitleShort"}, "GAMM"},
      {{"Channel1", "DisplayTrack"}, "4"},
      {{"Channel1", "HeaderLine"}, "0"},
      {{"Channel1", "Coefficient1"}, "1"},  // 0 in the header file arrives as 1
      {{"Channel1", "FilterFlag"}, "1"},
      {{"Channel1", "RangeLeft"}, "-1.5"},
      {{"Channel1", "Offset"}, "45"},
      {{"Channel2", "PhysicalCh"}, "<missing>"},  // sections without a slot are gone
      {{"WellInfo", "LogMode"}, "11"},
      {{"WellInfo", "Startdepth"}, "-500"},
      {{"General", "SondeLength"}, "254"},
  };
  for (const auto& [where, value] : documented)
    EXPECT_EQ(after.Get(where.first, where.second), value) << where.first << " " << where.second;
}

}  // namespace
