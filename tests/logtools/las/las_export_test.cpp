#include "logtools/las/las_export.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "header/header.h"
#include "header/hed_file.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "tests/support/test_files.h"

namespace {

std::string Scratch(const std::string& name) {
  return qv::test::ScratchFolder("logtools", name);
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Put16(std::string& b, unsigned v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutFloat(std::string& b, float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  Put32(b, bits);
}

// Six records of a six-channel log: channel 1 counts 100 + r, channel 2
// 200 + 2r, channel 3 300 + 3r; record 2 is stored at rate 25 with half counts.
std::string SixChannelRecords(int count = 6) {
  std::string b;
  for (int r = 0; r < count; ++r) {
    const bool half = r == 2;
    b += '\0';
    b += static_cast<char>(half ? 25 : 50);
    const unsigned x[6] = {100u + r, 200u + 2 * r, 300u + 3 * r, 7, 8, 9};
    for (unsigned v : x) Put16(b, half ? v / 2 : v);
  }
  return b;
}

// Twelve-channel records: channel c (from 1) holds 10 c + r / 4; time 1000 r + 500 ms.
std::string TwelveChannelRecords(int count = 6) {
  std::string b;
  for (int r = 0; r < count; ++r) {
    Put32(b, static_cast<std::uint32_t>(20050 - 10 * r));
    Put32(b, static_cast<std::uint32_t>(1000 * r + 500));
    Put32(b, 0xFFF);
    Put32(b, 0);
    for (int c = 1; c <= 12; ++c) PutFloat(b, static_cast<float>(10 * c + 0.25 * r));
  }
  return b;
}

const std::string kSixHeader =
    "[General]\r\nIdent=QUORVANTA\r\nSondeLength=0\r\n"
    "[WellInfo]\r\nDepthUnit=0\r\nLogMode=12\r\nStartdepth=10000\r\nEndDepth=10050\r\nStep=10\r\n"
    "Company=Acme Water Board\r\nWellname=BH-7\r\nLocation=Sector 4\r\nServiceCompany=Quorvanta Logging\r\n"
    "Date=07 Mar 05\r\nComment1=Logged after cleaning\r\nComment3=~A trap for readers\r\n"
    "[Channel0]\r\nTitle=Natural gamma\r\nTitleShort=GR\r\nUnit=API\r\nPhysicalCh=1\r\n"
    "[Channel1]\r\nTitle=Resistivity\r\nTitleShort=RES\r\nUnit=Ohmm\r\nPhysicalCh=2\r\n"
    "[Channel2]\r\nTitle=Fluid temperature\r\nTitleShort=TMP\r\nUnit=degC\r\nPhysicalCh=3\r\n";

const std::string kCalibration =
    "[General]\r\nSonde=KSTQ\r\n[Channel1]\r\nCoefficient0=1\r\nCoefficient1=2\r\n"
    "[Channel3]\r\nCoefficient2=0.5\r\n";

// A log in its own folder, read the way the export dialog reads it.
struct Log {
  Log(const std::string& name, const std::string& dataName, const std::string& records, const std::string& hed)
      : dir(Scratch(name)), data(dir + "/" + dataName) {
    Write(data, records);
    Write(HeaderPathFor(data), hed);
    EXPECT_EQ(ReadHeaderInfo(data, &header), 1);
    EXPECT_EQ(ReadCurveRecords(data, &curves), 1);
    settings.InputPath = data;
    settings.LasPath = dir + "/OUT.LAS";
    settings.FromDepth = header.Startdepth;
    settings.ToDepth = header.EndDepth;
    settings.Interval = std::abs(header.Step);
  }
  // The log's channels with these short titles, in this order.
  LasChannels Pick(std::initializer_list<const char*> titles) const {
    LasChannels picked;
    for (const char* t : titles)
      for (const auto& c : curves)
        if (c->shortTitle == t) picked.push_back(c.get());
    return picked;
  }
  std::string dir, data;
  HeaderInfo header;
  CurveArray curves;
  LasExportSettings settings;
};

std::vector<std::string> DataRows(const std::string& las) {
  std::vector<std::string> rows;
  std::size_t at = las.find("~A");
  at = las.find("\r\n", at) + 2;
  while (at < las.size()) {
    std::size_t end = las.find("\r\n", at);
    rows.push_back(las.substr(at, end - at));
    at = end + 2;
  }
  return rows;
}

TEST(LasExportTest, SixChannelLogWithCalibrationFileMatchesTheGoldenFile) {
  Log log("six", "BH7.LOG", SixChannelRecords(), kSixHeader);
  Write(log.dir + "/KSTQ77.cal", kCalibration);
  log.settings.CalibrationPath = log.dir + "/KSTQ77.cal";
  const LasChannels channels = log.Pick({"GR", "TMP", "RES"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  EXPECT_EQ(Read(log.settings.LasPath), Read(std::string(QV_TEST_SOURCE_DIR) + "/data/six_channel.las"));
  EXPECT_FALSE(std::filesystem::exists(log.settings.LasPath + ".$$$"));
}

TEST(LasExportTest, TwelveChannelLogLoggedUpMatchesTheGoldenFile) {
  const std::string hed =
      "[General]\r\nIdent=QUORVANTA\r\n[WellInfo]\r\nDepthUnit=1\r\nLogMode=11\r\nStartdepth=20050\r\n"
      "EndDepth=20000\r\nStep=10\r\n[File1]\r\nRecLineSize=64\r\n"
      "[Channel0]\r\nTitle=Channel twelve\r\nTitleShort=C12\r\nUnit=V\r\nPhysicalCh=12\r\n"
      "[Channel1]\r\nTitle=Channel one\r\nTitleShort=C1\r\nUnit=V\r\nPhysicalCh=1\r\n"
      "[Channel2]\r\nTitle=No such channel\r\nTitleShort=BAD\r\nUnit=V\r\nPhysicalCh=14\r\n";
  Log log("twelve", "UP.LGX", TwelveChannelRecords(), hed);
  log.settings.TwelveChannel = 1;
  const LasChannels channels = log.Pick({"C12", "C1", "BAD"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  EXPECT_EQ(Read(log.settings.LasPath), Read(std::string(QV_TEST_SOURCE_DIR) + "/data/twelve_channel.las"));
}

// Short titles and units as users type them: with blanks, dots and colons.
const std::string kAwkwardNamesHeader =
    "[General]\r\nIdent=QUORVANTA\r\nSondeLength=0\r\n"
    "[WellInfo]\r\nDepthUnit=0\r\nLogMode=12\r\nStartdepth=10000\r\nEndDepth=10050\r\nStep=10\r\n"
    "[Channel0]\r\nTitle=Second gamma\r\nTitleShort=GR 2\r\nUnit=API\r\nPhysicalCh=1\r\n"
    "[Channel1]\r\nTitle=Neutron 16 in\r\nTitleShort=N.16\r\nUnit=c/s\r\nPhysicalCh=2\r\n"
    "[Channel2]\r\nTitle=Fluid temperature\r\nTitleShort=TMP:F\r\nUnit=deg C\r\nPhysicalCh=3\r\n"
    "[Channel3]\r\nTitle=Resistivity\r\nTitleShort=RES\r\nUnit=Ohm.m\r\nPhysicalCh=4\r\n";

TEST(LasExportTest, BlanksDotsAndColonsInNamesAndUnitsAreReplaced) {
  Log log("awkward", "BH8.LOG", SixChannelRecords(), kAwkwardNamesHeader);
  const LasChannels channels = log.Pick({"GR 2", "N.16", "TMP:F", "RES"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  const std::string las = Read(log.settings.LasPath);
  const std::string gap(15, ' ');  // the empty API code field
  for (const std::string& line : {"\n GR_2.API                 " + gap + ":   1     Second gamma\r\n",
                                  "\n N_16.c/s                 " + gap + ":   2     Neutron 16 in\r\n",
                                  "\n TMP_F.deg_C              " + gap + ":   3     Fluid temperature\r\n",
                                  "\n RES.Ohm_m                " + gap + ":   4     Resistivity\r\n",
                                  std::string("\n~A  DEPTH     GR_2      N_16      TMP_F     RES       \r\n")})
    EXPECT_NE(las.find(line), std::string::npos) << line << "\n" << las;
}

// Curves that would give ambiguous lines: a colon in a description, no short
// title, and short titles that are the same once replaced or that name the
// depth column.
const std::string kClashingNamesHeader =
    "[General]\r\nIdent=QUORVANTA\r\nSondeLength=0\r\n"
    "[WellInfo]\r\nDepthUnit=0\r\nLogMode=12\r\nStartdepth=10000\r\nEndDepth=10050\r\nStep=10\r\n"
    "[Channel0]\r\nTitle=Fluid temperature: bottom\r\nTitleShort=TMP\r\nUnit=degC\r\nPhysicalCh=1\r\n"
    "[Channel1]\r\nTitle=Untitled\r\nTitleShort=\r\nUnit=API\r\nPhysicalCh=2\r\n"
    "[Channel2]\r\nTitle=Gamma near\r\nTitleShort=GR 2\r\nUnit=API\r\nPhysicalCh=3\r\n"
    "[Channel3]\r\nTitle=Gamma far\r\nTitleShort=GR.2\r\nUnit=c/s\r\nPhysicalCh=4\r\n"
    "[Channel4]\r\nTitle=Casing collar\r\nTitleShort=depth\r\nUnit=mV\r\nPhysicalCh=5\r\n"
    "[Channel5]\r\nTitle=Resistivity\r\nTitleShort=RESISTIVITY\r\nUnit=Ohmm\r\nPhysicalCh=6\r\n";
const std::initializer_list<const char*> kClashingNames = {"TMP", "", "GR 2", "GR.2", "depth", "RESISTIVITY"};

TEST(LasExportTest, EveryCurveHasAMnemonicOfItsOwnAndADescriptionWithoutColons) {
  Log log("clashing", "BH9.LOG", SixChannelRecords(), kClashingNamesHeader);
  const LasChannels channels = log.Pick(kClashingNames);
  ASSERT_EQ(channels.size(), 6u);
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  const std::string las = Read(log.settings.LasPath);
  const std::string gap(15, ' ');  // the empty API code field
  for (const std::string& line :
       {"\n TMP.degC                 " + gap + ":   1     Fluid temperature; bottom\r\n",
        "\n CH2.API                  " + gap + ":   2     Untitled\r\n",
        "\n GR_2.API                 " + gap + ":   3     Gamma near\r\n",
        "\n GR_2_2.c/s               " + gap + ":   4     Gamma far\r\n",
        "\n depth_2.mV               " + gap + ":   5     Casing collar\r\n",
        "\n RESISTIVITY.Ohmm         " + gap + ":   6     Resistivity\r\n",
        std::string("\n~A  DEPTH     TMP       CH2       GR_2      GR_2_2    depth_2   RESISTIVITY \r\n")})
    EXPECT_NE(las.find(line), std::string::npos) << line << "\n" << las;
}

// The start of a STRT, STOP or STEP line of a metric log.
std::string DepthLine(const char* mnemonic, const char* value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, " %s.%-2s  %13s", mnemonic, "M", value);
  return buf;
}

TEST(LasExportTest, DirectionsAndRowCounts) {
  struct Case {
    const char* name;
    int logMode;
    double from, to, interval;
    int reverse;
    int records;
    const char* strt;
    const char* stop;
    const char* step;
    std::vector<std::string> depths;  // the DEPTH field of each row, in file order
  };
  const Case cases[] = {
      {"down", 12, 10000, 10030, 10, 0, 6, "10.0000", "10.0300", "0.0100", {"10.00", "10.01", "10.02", "10.03"}},
      {"down, reversed",
       12,
       10030,
       10000,
       -10,
       1,
       6,
       "10.0300",
       "10.0000",
       "-0.0100",
       {"10.03", "10.02", "10.01", "10.00"}},
      {"up", 11, 10000, 10030, 10, 0, 6, "10.0300", "10.0000", "-0.0100", {"10.03", "10.02", "10.01", "10.00"}},
      {"up, reversed",
       11,
       10030,
       10000,
       10,
       1,
       6,
       "10.0000",
       "10.0300",
       "0.0100",
       {"10.00", "10.01", "10.02", "10.03"}},
      {"one row", 12, 10000, 10000, 10, 0, 6, "10.0000", "10.0000", "0.0100", {"10.00"}},
      {"one row reversed", 12, 10000, 10000, 10, 1, 6, "10.0000", "10.0000", "-0.0100", {"10.00"}},
      {"wider interval", 12, 10000, 10050, 20, 0, 6, "10.0000", "10.0500", "0.0200", {"10.00", "10.02", "10.04"}},
      {"beyond the data: null rows",
       12,
       10040,
       10070,
       10,
       0,
       6,
       "10.0400",
       "10.0700",
       "0.0100",
       {"10.04", "10.05", "10.06", "10.07"}},
      {"time log", 10, 10000, 10050, 10, 0, 30, "10.0500", "10.0000", "0.0000", {"10.05", "10.05", "10.05", "10.05"}},
      {"no data", 12, 10000, 10030, 10, 1, 0, "10.0300", "10.0000", "-0.0100", {"10.03", "10.02", "10.01", "10.00"}},
  };
  for (const Case& c : cases) {
    std::string hed = kSixHeader;
    hed.replace(hed.find("LogMode=12"), 10, "LogMode=" + std::to_string(c.logMode));
    Log log("directions", "BH7.LOG", SixChannelRecords(c.records), hed);
    log.settings.FromDepth = c.from;
    log.settings.ToDepth = c.to;
    log.settings.Interval = c.interval;
    log.settings.ReverseDepth = c.reverse;
    const LasChannels channels = log.Pick({"GR"});
    ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1) << c.name;
    const std::string las = Read(log.settings.LasPath);
    EXPECT_NE(las.find(DepthLine("STRT", c.strt)), std::string::npos) << c.name;
    EXPECT_NE(las.find(DepthLine("STOP", c.stop)), std::string::npos) << c.name;
    EXPECT_NE(las.find(DepthLine("STEP", c.step)), std::string::npos) << c.name;
    const std::vector<std::string> rows = DataRows(las);
    if (c.logMode == 10) {
      // One row per record, in record order, every record in its row (the
      // first and the last ones too); the depth stays at the larger end.
      ASSERT_EQ(rows.size(), 30u) << c.name;
      for (int r = 0; r < 30; ++r)
        EXPECT_EQ(rows[r], qv::FormatC("    10.05 %9.2f ", 100.0 + r)) << c.name << " row " << r;
      continue;
    }
    if (c.records == 0) {
      for (const std::string& row : rows) EXPECT_NE(row.find("-999.25"), std::string::npos) << c.name;
    }
    std::vector<std::string> depths;
    for (const std::string& row : rows) depths.push_back(row.substr(4, 5));
    EXPECT_EQ(depths, c.depths) << c.name;
  }
}

TEST(LasExportTest, AReversedExportWithoutRowsWritesOnlyTheSections) {
  std::string hed = kSixHeader;
  hed.replace(hed.find("LogMode=12"), 10, "LogMode=10");
  Log log("no_rows", "BH7.LOG", "", hed);
  log.settings.ReverseDepth = 1;
  const LasChannels channels = log.Pick({"GR"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  const std::string las = Read(log.settings.LasPath);
  EXPECT_TRUE(DataRows(las).empty());
  const std::string columns = "~A  DEPTH     GR        \r\n";
  EXPECT_EQ(las.substr(las.size() - columns.size()), columns);
}

TEST(LasExportTest, RowsPastTheEndOfTheDataAreNull) {
  Log log("past_end", "BH7.LOG", SixChannelRecords(), kSixHeader);
  log.settings.FromDepth = 10040;
  log.settings.ToDepth = 10070;
  const LasChannels channels = log.Pick({"GR"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  EXPECT_EQ(DataRows(Read(log.settings.LasPath)),
            (std::vector<std::string>{"    10.04    104.00 ", "    10.05    105.00 ", "    10.06   -999.25 ",
                                      "    10.07   -999.25 "}));
}

// Builds a user-function library from C source with the system's compiler.
std::string BuildLibrary(const std::string& dir, const std::string& name, const std::string& source) {
  const std::string c = dir + "/" + name + ".c";
  const std::string so = dir + "/" + name + ".so";
  Write(c, source);
  const std::string cmd = "cc -shared -fPIC -o '" + so + "' '" + c + "' 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return so;
}

const char kRecordingFunction[] = R"(
static double seen[64][14];
static int calls, inits, waveformInits, waveformPoints = -1;
void Init(void) { ++inits; }
void InitWaveforms(short* a, short* b, short* c, short* d, int n) {
  ++waveformInits; waveformPoints = n + (a != 0) + (b != 0) + (c != 0) + (d != 0);
}
void UserFunction(double* in, double* out) {
  if (calls < 64) for (int i = 0; i < 14; ++i) seen[calls][i] = in[i];
  ++calls;
  for (int i = 0; i < 12; ++i) out[i] = in[i] * 10;
}
int Calls(void) { return calls; }
int Inits(void) { return inits * 100 + waveformInits * 10 + waveformPoints; }
double Seen(int call, int i) { return seen[call][i]; }
)";

TEST(LasExportTest, UserFunctionSeesNullsAsZeroWithTimeAndDepth) {
  Log log("userfunc", "BH7.LOG", SixChannelRecords(), kSixHeader);
  const std::string so = BuildLibrary(log.dir, "KSTQ", kRecordingFunction);
  Write(log.dir + "/KSTQ.ini",
        "[General]\r\nIdent=QUORVANTA\r\n[Channel0]\r\nTitle=Ten gamma\r\nTitleShort=G10\r\nPhysicalCh=1\r\n");
  // Holding the library keeps its static storage alive after the export frees it.
  void* held = ::dlopen(so.c_str(), RTLD_NOW);
  ASSERT_NE(held, nullptr);
  auto calls = reinterpret_cast<int (*)()>(::dlsym(held, "Calls"));
  auto inits = reinterpret_cast<int (*)()>(::dlsym(held, "Inits"));
  auto seen = reinterpret_cast<double (*)(int, int)>(::dlsym(held, "Seen"));

  log.settings.UserFunctionPath = so;
  const LasChannels channels = log.Pick({"GR"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  EXPECT_EQ(inits(), 110) << "Init once, InitWaveforms once with five zeros";
  EXPECT_GT(calls(), 52);
  EXPECT_EQ(seen(0, 0), 0.0) << "a null channel value reaches the function as 0";
  EXPECT_EQ(seen(0, 12), kLasNull) << "a six-channel record has no time";
  EXPECT_EQ(seen(0, 13), 10000.0) << "DEPTH is the depth of the row being written";
  EXPECT_EQ(seen(26, 0), 100.0) << "the first record after the raw window";
  EXPECT_EQ(seen(26, 2), 300.0);
  const std::vector<std::string> rows = DataRows(Read(log.settings.LasPath));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "    10.00   1000.00 ");
  EXPECT_EQ(rows[5], "    10.05   1050.00 ");
  ::dlclose(held);

  qv::MessageRecorder overwrite({qv::IDYES, qv::IDYES});
  const std::string noInit =
      BuildLibrary(log.dir, "NOINIT", "void UserFunction(double* i, double* o) { o[0] = i[0]; }\n");
  log.settings.UserFunctionPath = noInit;
  const std::string before = Read(log.settings.LasPath);
  EXPECT_EQ(ExportLas(&log.settings, &log.header, &channels), 0) << "the export requires Init";
  log.settings.UserFunctionPath = log.dir + "/MISSING.so";
  EXPECT_EQ(ExportLas(&log.settings, &log.header, &channels), 0);
  EXPECT_EQ(Read(log.settings.LasPath), before);
}

TEST(LasExportTest, UserFunctionSeesTheRecordTimeOfATwelveChannelLog) {
  const std::string hed =
      "[General]\r\nIdent=QUORVANTA\r\n[WellInfo]\r\nDepthUnit=0\r\nLogMode=11\r\nStartdepth=20050\r\n"
      "EndDepth=20000\r\nStep=10\r\n[File1]\r\nRecLineSize=64\r\n"
      "[Channel0]\r\nTitle=Channel one\r\nTitleShort=C1\r\nUnit=V\r\nPhysicalCh=1\r\n";
  Log log("userfunc_twelve", "UP.LGX", TwelveChannelRecords(), hed);
  log.settings.TwelveChannel = 1;
  const std::string so = BuildLibrary(log.dir, "TWLV", kRecordingFunction);
  void* held = ::dlopen(so.c_str(), RTLD_NOW);
  ASSERT_NE(held, nullptr);
  auto seen = reinterpret_cast<double (*)(int, int)>(::dlsym(held, "Seen"));
  log.settings.UserFunctionPath = so;
  const LasChannels channels = log.Pick({"C1"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  // Record r (time 1000 r + 500 ms, channel 1 at 10 + r / 4) reaches the
  // function after the raw window, with its own time in ms.
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(seen(26 + r, 12), 1000.0 * r + 500) << "record " << r;
    EXPECT_EQ(seen(26 + r, 0), 10 + 0.25 * r) << "record " << r;
  }
  EXPECT_EQ(seen(25, 12), kLasNull) << "no record before the first";
  // Each row's TIME is the time of the record whose function values it holds.
  const std::vector<std::string> rows = DataRows(Read(log.settings.LasPath));
  ASSERT_EQ(rows.size(), 6u);
  for (int r = 0; r < 6; ++r)
    EXPECT_EQ(rows[r], qv::FormatC("%9.2f %9.2f %9.2f ", 20.05 - 0.01 * r, r + 0.5, 100 + 2.5 * r)) << "row " << r;
  ::dlclose(held);
}

TEST(LasExportTest, FailuresLeaveAnEarlierLasUntouched) {
  Log log("failures", "BH7.LOG", SixChannelRecords(), kSixHeader);
  const LasChannels channels = log.Pick({"GR"});
  Write(log.settings.LasPath, "earlier export\r\n");

  {
    qv::MessageRecorder boxes({qv::IDNO});
    EXPECT_EQ(ExportLas(&log.settings, &log.header, &channels), 0);
    ASSERT_EQ(boxes.Ids(), std::vector<unsigned>{32269});
  }
  EXPECT_EQ(Read(log.settings.LasPath), "earlier export\r\n");

  for (const char* step : {"open", "write", "sync", "rename"}) {
    qv::MessageRecorder boxes({qv::IDYES});
    qv::SetFileFaultHook(
        [&](std::string_view s, const std::string& path) { return s == step && path == log.settings.LasPath; });
    EXPECT_EQ(ExportLas(&log.settings, &log.header, &channels), 0) << step;
    qv::SetFileFaultHook(nullptr);
    EXPECT_EQ(Read(log.settings.LasPath), "earlier export\r\n") << step;
    EXPECT_FALSE(std::filesystem::exists(log.settings.LasPath + ".$$$")) << step;
  }

  // The LAS file may not be one of the files the export reads.
  for (const std::string& target : {log.data, HeaderPathFor(log.data)}) {
    const std::string bytes = Read(target);
    LasExportSettings s = log.settings;
    s.LasPath = target;
    qv::MessageRecorder boxes({qv::IDYES});
    EXPECT_EQ(ExportLas(&s, &log.header, &channels), 0) << target;
    EXPECT_EQ(Read(target), bytes) << target;
  }

  LasExportSettings missing = log.settings;
  missing.InputPath = log.dir + "/NONE.LOG";
  EXPECT_EQ(ExportLas(&missing, &log.header, &channels), 0);
  {
    // A data file that is a FIFO nobody writes: refused, never waited on.
    qv::test::Watchdog watchdog;
    LasExportSettings fifo = log.settings;
    fifo.InputPath = qv::test::MakeFifo(log.dir, "PIPE.LOG");
    EXPECT_EQ(ExportLas(&fifo, &log.header, &channels), 0);
    EXPECT_EQ(Read(log.settings.LasPath), "earlier export\r\n");
  }
  EXPECT_EQ(ExportLas(nullptr, &log.header, &channels), 0);
  EXPECT_EQ(ExportLas(&log.settings, nullptr, &channels), 0);
  EXPECT_EQ(ExportLas(&log.settings, &log.header, nullptr), 0);
}

TEST(LasExportTest, CalibrationSources) {
  struct Case {
    const char* name;
    std::string file;  // written as X.hed beside X.LOG when it is a header, else as X.cal
    bool header;
    double c[3][4];
  };
  const Case cases[] = {
      {"header layout by PhysicalCh",
       "[WellInfo]\r\nStep=10\r\n[Channel0]\r\nPhysicalCh=3\r\nCoefficient0=5\r\n[Channel1]\r\nCoefficient1=9\r\n"
       "[Channel2]\r\nPhysicalCh=1\r\nCoefficient3=1e-3\r\n",
       true,
       {{0, 1, 0, 1e-3}, {0, 1, 0, 0}, {5, 1, 0, 0}}},
      {"calibration file layout by section number",
       "[Channel1]\r\nCoefficient0=2\r\n[Channel2]\r\nCoefficient1=\r\n[Channel3]\r\nCoefficient2=0.25\r\n",
       false,
       {{2, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0.25, 0}}},
  };
  for (const Case& c : cases) {
    const std::string dir = Scratch("calibration");
    std::string path = dir + (c.header ? "/X.LOG" : "/X.cal");
    Write(c.header ? dir + "/X.hed" : path, c.file);
    double table[16][4];
    for (auto& row : table) {
      row[0] = 0;
      row[1] = 1;
      row[2] = 0;
      row[3] = 0;
    }
    ReadExportCalibration(path, table);
    for (int ch = 0; ch < 3; ++ch)
      for (int k = 0; k < 4; ++k) EXPECT_EQ(table[ch][k], c.c[ch][k]) << c.name << " channel " << ch + 1 << " c" << k;
  }
}

// A sonde 2.5 m long with sensors 0, 0.4 and 2.5 m above its bottom, where
// the depth counter measures, logged across a bed boundary at 45.0 m (or
// 45.0 ft) down and up, in metres and in feet: each channel counts 100 above
// the boundary and 200 below it where its sensor sits. The records lie at the
// counter's depth; the LAS rows put every channel's boundary at 45.0 within
// a depth step.
TEST(LasExportTest, ChannelsAlignedToTheirTrueDepthLoggedDownAndUp) {
  const int offsets[3] = {0, 40, 250};  // cm
  for (const int unit : {0, 1})
    for (const int logMode : {12, 11}) {
      SCOPED_TRACE((unit ? "feet, " : "metres, ") + std::string(logMode == 12 ? "down" : "up"));
      const int step = 10;  // thousandths of the depth unit
      const int boundary = 45000, top = 35000, bottom = 55000;
      auto units = [&](int cm) { return unit ? cm * 32.80839895 : cm * 10.0; };
      std::string records;
      const int count = (bottom - top) / step + 1;
      for (int k = 0; k < count; ++k) {
        const int depth = logMode == 12 ? top + k * step : bottom - k * step;
        records += '\0';
        records += static_cast<char>(50);
        for (int c = 0; c < 6; ++c) Put16(records, c < 3 && depth - units(offsets[c]) >= boundary ? 200 : 100);
      }
      std::string hed =
          "[General]\r\nIdent=QUORVANTA\r\nSondeLength=250\r\n[WellInfo]\r\nDepthUnit=" + std::to_string(unit) +
          "\r\nLogMode=" + std::to_string(logMode) + "\r\nStartdepth=" + std::to_string(logMode == 12 ? top : bottom) +
          "\r\nEndDepth=" + std::to_string(logMode == 12 ? bottom : top) + "\r\nStep=10\r\n";
      for (int c = 0; c < 3; ++c)
        hed += "[Channel" + std::to_string(c) + "]\r\nTitle=S" + std::to_string(c) + "\r\nTitleShort=S" +
               std::to_string(c) + "\r\nUnit=X\r\nPhysicalCh=" + std::to_string(c + 1) +
               "\r\nOffset=" + std::to_string(offsets[c]) + "\r\n";
      Log log("aligned", "A.LOG", records, hed);
      LasChannels channels = log.Pick({"S0", "S1", "S2"});
      ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
      // The shallowest row that reads the lower bed, per channel.
      double first[3] = {1e9, 1e9, 1e9};
      for (const std::string& row : DataRows(Read(log.settings.LasPath))) {
        std::istringstream in(row);
        double depth, v[3];
        if (!(in >> depth >> v[0] >> v[1] >> v[2])) continue;
        for (int c = 0; c < 3; ++c)
          if (v[c] == 200) first[c] = std::min(first[c], depth);
      }
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(first[c], boundary / 1000.0, step / 1000.0) << "channel " << c + 1;
    }
}

TEST(LasExportTest, WindowRows) {
  const std::string dir = Scratch("window_rows");
  Write(dir + "/X.hed",
        "[General]\r\nIdent=QUORVANTA\r\nSondeLength=100\r\n"
        "[Channel0]\r\nPhysicalCh=1\r\nOffset=20\r\nFilterType=1\r\nFilterWidth=99\r\n"
        "[Channel1]\r\nPhysicalCh=2\r\nOffset=500\r\n[Channel2]\r\nPhysicalCh=3\r\nOffset=-300\r\n");
  struct Case {
    int logMode;
    int rows;
    int channelRows[3];
  };
  // Sonde length 100 cm = 1000 mm, step 10 mm: 100 rows of delay at most.
  for (Case c : {Case{11, 152, {71, 151, 25}}, Case{12, 152, {131, 51, 151}}, Case{10, 52, {51, 51, 51}}}) {
    HeaderInfo header;
    header.LogMode = c.logMode;
    header.Step = 10;
    ChannelFilter table[kFilterTableSize];
    EXPECT_EQ(SetUpExportChannels(dir + "/X.LOG", header, table, 6), c.rows) << c.logMode;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(table[i].OffsetCopy, c.channelRows[i]) << c.logMode << " channel " << i + 1;
    EXPECT_EQ(table[0].FilterWidth, 51) << "filter widths are held to the window";
  }
}

}  // namespace

namespace {

// What las-js, a reader that is not ours, makes of a LAS file (compact JSON),
// or empty when it could not be run.
std::string ReadWithLasJs(const std::string& las) {
  const std::string cmd = "NODE_PATH='" QV_NODE_MODULES "' node '" QV_TEST_SOURCE_DIR "/read_las.js' '" + las + "'";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return {};
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return ::pclose(p) == 0 ? out : std::string();
}

TEST(LasExportTest, AnIndependentReaderReadsTheExportedFiles) {
  if (!std::filesystem::exists(QV_NODE_MODULES "/las-js/package.json")) {
    if (const char* ci = std::getenv("CI"); ci != nullptr && std::string(ci) == "true")
      FAIL() << "las-js is missing: scripts/deps.sh installs it";
    GTEST_SKIP() << "las-js is not installed (scripts/deps.sh installs it)";
  }
  struct Case {
    const char* name;
    std::vector<const char*> expected;  // fragments of the reader's JSON
  };
  const std::string golden = std::string(QV_TEST_SOURCE_DIR) + "/data/";
  const Case cases[] = {
      {"six_channel.las",
       {R"("headers":["DEPTH","GR","TMP","RES"])", R"("units":["M","API","degC","Ohmm"])", R"("rowCount":6)",
        R"("columnCount":4)", R"("first":[10,201,45300,200])", R"("nulls":[0,0,0,0])", R"("COMP":"Acme Water Board")",
        R"("FLD":"N/A")"}},
      {"twelve_channel.las",
       {R"("headers":["DEPTH","TIME","C12","C1","BAD"])", R"("units":["FT","SEC","V","V","V"])", R"("rowCount":6)",
        R"("columnCount":5)", R"("first":[20.05,0.5,120,10,-999.25])", R"("nulls":[0,0,0,0,6])",
        R"("STEP":"-0.0100")"}},
  };
  for (const Case& c : cases) {
    const std::string json = ReadWithLasJs(golden + c.name);
    ASSERT_FALSE(json.empty()) << c.name;
    for (const char* fragment : c.expected) EXPECT_NE(json.find(fragment), std::string::npos) << c.name << ": " << json;
  }

  // And a fresh export with a user function and rows past the end of the data.
  Log log("lasjs", "BH7.LOG", SixChannelRecords(), kSixHeader);
  log.settings.ToDepth = 10080;
  log.settings.ReverseDepth = 1;
  const LasChannels channels = log.Pick({"GR", "RES"});
  ASSERT_EQ(ExportLas(&log.settings, &log.header, &channels), 1);
  const std::string json = ReadWithLasJs(log.settings.LasPath);
  for (const char* fragment : {R"("rowCount":9)", R"("nulls":[0,3,3])", R"("first":[10.08,-999.25,-999.25])"})
    EXPECT_NE(json.find(fragment), std::string::npos) << json;

  // Names and units that held blanks, dots and colons.
  Log awkward("lasjs_awkward", "BH8.LOG", SixChannelRecords(), kAwkwardNamesHeader);
  const LasChannels all = awkward.Pick({"GR 2", "N.16", "TMP:F", "RES"});
  ASSERT_EQ(ExportLas(&awkward.settings, &awkward.header, &all), 1);
  const std::string read = ReadWithLasJs(awkward.settings.LasPath);
  for (const char* fragment :
       {R"("headers":["DEPTH","GR_2","N_16","TMP_F","RES"])", R"("units":["M","API","c/s","deg_C","Ohm_m"])",
        R"("columnCount":5)", R"("first":[10,100,200,300,7])"})
    EXPECT_NE(read.find(fragment), std::string::npos) << read;

  // A colon in a description, no short title, and names that clash.
  Log clashing("lasjs_clashing", "BH9.LOG", SixChannelRecords(), kClashingNamesHeader);
  const LasChannels six = clashing.Pick(kClashingNames);
  ASSERT_EQ(ExportLas(&clashing.settings, &clashing.header, &six), 1);
  const std::string clashed = ReadWithLasJs(clashing.settings.LasPath);
  for (const char* fragment : {R"("headers":["DEPTH","TMP","CH2","GR_2","GR_2_2","depth_2","RESISTIVITY"])",
                               R"("units":["M","degC","API","API","c/s","mV","Ohmm"])",
                               R"("descriptions":["0     Depth","1     Fluid temperature; bottom","2     Untitled",)",
                               R"("columnCount":7)", R"("first":[10,100,200,300,7,8,9])"})
    EXPECT_NE(clashed.find(fragment), std::string::npos) << clashed;
}

}  // namespace

#include "logtools/las/las_dialog_model.h"
#include "userfunc/user_function_files.h"

namespace {

TEST(LasDialogModelTest, IntervalsOfferedForALog) {
  struct Case {
    int depthUnit, step;
    std::vector<int> values;
    int selected;
  };
  for (const Case& c : {Case{0, 10, {10, 20, 50, 100}, 0}, Case{0, 25, {50, 100}, 0}, Case{0, 50, {50, 100}, 0},
                        Case{1, 50, {50, 100, 250, 500}, 0}, Case{1, 100, {100, 250, 500}, 0},
                        Case{1, 250, {250, 500}, 0}, Case{0, 1000, {}, 0}}) {
    HeaderInfo header;
    header.DepthUnit = c.depthUnit;
    header.Step = c.step;
    const IntervalChoices choices = LasIntervalChoices(header);
    EXPECT_EQ(choices.values, c.values) << c.depthUnit << "/" << c.step;
    EXPECT_EQ(choices.selected, c.selected) << c.depthUnit << "/" << c.step;
  }
}

TEST(LasDialogModelTest, FromAndToAreCheckedAndRounded) {
  struct Case {
    const char* name;
    int logMode, start, end;
    int from, to, interval;
    int checkedFrom, checkedTo;
  };
  const Case cases[] = {
      {"down, rounded up and down", 12, 100000, 150000, 100030, 149990, 50, 100050, 149950},
      {"down, From beyond the log", 12, 100000, 150000, 160000, 150000, 50, 100000, 150000},
      {"down, From not below To", 12, 100000, 150000, 120000, 110000, 50, 100000, 150000},
      {"up, rounded the other way", 11, 150000, 100000, 149990, 100030, 50, 149950, 100050},
      {"up, To beyond the log", 11, 150000, 100000, 150000, 90000, 50, 150000, 100000},
      {"time log standing still, its time step is no depth step", 10, 100000, 99950, 100000, 99950, 150, 100000, 99950},
      {"time log, typed depths", 10, 100000, 99950, 100030, 99000, 50, 100000, 99950},
  };
  for (const Case& c : cases) {
    HeaderInfo header;
    header.LogMode = c.logMode;
    header.Startdepth = c.start;
    header.EndDepth = c.end;
    EXPECT_EQ(CheckLasFrom(header, c.from, c.to, c.interval), c.checkedFrom) << c.name;
    EXPECT_EQ(CheckLasTo(header, c.from, c.to, c.interval), c.checkedTo) << c.name;
  }
}

TEST(LasDialogModelTest, UserFunctionsOfASondeNeedAnIniAndALibrary) {
  const std::string dir = Scratch("uf_choices");
  Write(dir + "/KSTQ.INI", "[General]\r\nUPName=Plain\r\n");
  Write(dir + "/KSTQ.so", "");
  Write(dir + "/KSTQ3.ini", "[General]\r\nUPName=\r\n");
  Write(dir + "/KSTQ3.so", "");
  Write(dir + "/KSTQ7.INI", "[General]\r\nUPName=No library\r\n");
  Write(dir + "/kstq12.ini", "[General]\r\n");
  Write(dir + "/KSTQ12.DLL", "");
  Write(dir + "/OTHR.INI", "[General]\r\nUPName=Other sonde\r\n");
  Write(dir + "/OTHR.so", "");
  std::vector<std::string> names, libraries;
  for (const qv::UserFunctionChoice& c : qv::FindUserFunctions(dir, "KSTQ")) {
    names.push_back(c.name);
    libraries.push_back(qv::FileNamePart(c.libraryPath));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Plain", "???", "???"}));
  EXPECT_EQ(libraries, (std::vector<std::string>{"KSTQ.so", "KSTQ3.so", "KSTQ12.DLL"}));
  EXPECT_EQ(LasPathFor("/data/run.1/WELL7.LOG"), "/data/run.1/WELL7.LAS");
}

}  // namespace
