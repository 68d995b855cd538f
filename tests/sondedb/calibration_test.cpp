#include <unistd.h>

#include "platform/files/paths.h"
#include "platform/text/strings.h"
#include "sondedb/calibration.h"
#include "sondedb/lookups.h"
#include "tests/sondedb/fixture.h"

namespace {

std::time_t LocalTime(int y, int m, int d, int h, int mi, int s) {
  std::tm tm{};
  tm.tm_year = y - 1900, tm.tm_mon = m - 1, tm.tm_mday = d, tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

std::string Golden(const char* name) { return sdbtest::ReadFile(std::string(QV_TEST_SOURCE_DIR "/golden/") + name); }

class Calibration : public sdbtest::SondeDbTest {
 protected:
  void SetUp() override {
    SondeDbTest::SetUp();
    mkdir(qv::CalibrationFolder().c_str(), 0755);
    sdbtest::WriteFile(qv::JoinPath(qv::CalibrationFolder(), "Default.cal"),
                       sdbtest::ReadFile(QV_TEST_SOURCE_DIR "/../../resources/Calibration/Default.cal"));
  }
  std::string CalPath(const std::string& name) { return qv::JoinPath(qv::CalibrationFolder(), name); }
  int Load(const std::string& abbreviation, CalibrationSet& set) {
    auto rs = qv::OpenSondeRecordset(abbreviation, "");
    EXPECT_TRUE(rs);
    return rs ? qv::LoadSondeCalibration(rs.get(), &set) : 0;
  }
};

TEST_F(Calibration, FirstLoadMakesTheFileFromTheTemplate) {
  Sql("INSERT INTO SONDE (Sonde, Name, Abbreviation, SerialNumber) VALUES (1, 'Natural Gamma', 'KSTQ', '77')");
  Sql("INSERT INTO CHANNEL (CHANNEL, SONDE, CHANNELPHYSIC, CHANNELLOGIC, REGIME, FORMULA, CalibrationPoints, Unit,"
      " HeaderShort, NEXTUPDATE, LASTUPDATE) VALUES (7, 1, 2, 2, 4, 1, 2, 'API', 'GR', 180, '2005-03-07'),"
      " (8, 1, 1, 1, 0, 1, 0, 'cps', 'RAW', -1, NULL)");
  CalibrationSet set;
  ASSERT_EQ(Load("KSTQ", set), 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(Value("SELECT * FROM SONDE", "CALIBFILE"), "KSTQ77");
  EXPECT_EQ(set.filePath, CalPath("KSTQ77.cal"));
  EXPECT_EQ(set.sondeName, "Natural Gamma");
  EXPECT_EQ(qv::GetProfileText(set.filePath, "General", "Sonde"), "KSTQ");
  EXPECT_EQ(qv::GetProfileText(set.filePath, "General", "SerialNo"), "77");
  ASSERT_EQ(set.channels.size(), 2u);
  const ChannelCalibration& raw = *set.channels[0];  // logical channel order
  EXPECT_EQ(raw.shortTitle, "RAW");
  EXPECT_EQ(raw.calibratable, 0);
  EXPECT_FALSE(raw.coefficients);
  EXPECT_EQ(raw.calibrationDate, LocalTime(1997, 1, 1, 1, 1, 1));
  const ChannelCalibration& gr = *set.channels[1];
  EXPECT_EQ(gr.channelRowId, 7);
  EXPECT_EQ(gr.physicalChannel, 2);
  EXPECT_EQ(gr.calibratable, 1);
  EXPECT_EQ(gr.validity, 180);
  EXPECT_EQ(gr.unit, "API");
  ASSERT_TRUE(gr.coefficients);
  EXPECT_EQ(*gr.coefficients, (Coefficients{0, 1, 0, 0}));
  EXPECT_EQ(gr.calibrationDate, LocalTime(2005, 3, 7, 1, 1, 1));
  std::string name;
  EXPECT_EQ(qv::GetSondeCalibFileName(name, "KSTQ", "77"), 1);
  EXPECT_EQ(name, "KSTQ77");
}

TEST_F(Calibration, CoefficientsFromTheFile) {
  std::string cal = "[Channel1]\r\nCoefficient0=1\r\nCoefficient1=2\r\nCoefficient2=3\r\nCoefficient3=4\r\n";
  for (int n = 2; n <= 6; ++n) cal += "[Channel" + std::to_string(n) + "]\r\nCoefficient0=0\r\nCoefficient1=1\r\n"
                                      "Coefficient2=0\r\nCoefficient3=0\r\n";
  cal += "[Channel7]\r\nCoefficient0=5\r\nCoefficient1=6\r\n";
  cal += "[Channel8]\r\nCoefficient0=-2.5e-3\r\nCoefficient1=7\r\nCoefficient2=8\r\nCoefficient3=9\r\n";
  sdbtest::WriteFile(CalPath("Custom.cal"), cal);
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, CALIBFILE) VALUES (1, 'CUS', 'custom')");
  struct Case {
    int physical, points;
    bool block;
    Coefficients want;
  } cases[] = {
      {1, 4, true, {1, 2, 3, 4}},   {7, 3, true, {0, 1, 0, 0}},   // Coefficient2 missing: identity
      {7, 2, true, {5, 6, 0, 0}},   {9, 1, true, {0, 0, 0, 0}},   // one point, nothing there: c0 = 0 only
      {8, 9, true, {-2.5e-3, 7, 8, 9}},                           // more points than slots: four read
      {1, 0, false, {}},
  };
  int row = 100;
  for (const auto& c : cases) {
    const std::string id = std::to_string(row++);
    Sql("INSERT INTO CHANNEL (CHANNEL, SONDE, CHANNELPHYSIC, CHANNELLOGIC, CalibrationPoints) VALUES (" + id +
        ", 1, " + std::to_string(c.physical) + ", " + id + ", " + std::to_string(c.points) + ")");
  }
  CalibrationSet set;
  ASSERT_EQ(Load("CUS", set), 1);
  EXPECT_EQ(set.filePath, CalPath("Custom.cal"));  // found whatever its letter case
  EXPECT_TRUE(boxes_.empty());
  ASSERT_EQ(set.channels.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_EQ(static_cast<bool>(set.channels[i]->coefficients), cases[i].block) << i;
    if (cases[i].block) {
      EXPECT_EQ(*set.channels[i]->coefficients, cases[i].want) << i;
    }
  }
  double block[4] = {9, 9, 9, 9};
  EXPECT_EQ(qv::LoadCalibCoeffs("", 1, 1, block), 0);
  EXPECT_EQ(qv::LoadCalibCoeffs(CalPath("none.cal"), 0, 1, block), 1);
  EXPECT_EQ(block[0], 9);
}

TEST_F(Calibration, IncompleteFileIsKeptAndReported) {
  std::string cal;
  for (int n = 1; n <= 6; ++n) {
    cal += "[Channel" + std::to_string(n) + "]\r\nCoefficient0=0\r\nCoefficient1=1\r\nCoefficient2=0\r\n";
    if (n != 5) cal += "Coefficient3=0\r\n";
  }
  sdbtest::WriteFile(CalPath("OLD.cal"), cal);
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, CALIBFILE) VALUES (1, 'OLD', 'OLD')");
  CalibrationSet set;
  ASSERT_EQ(Load("OLD", set), 1);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, qv::LoadString(32278) + qv::LoadString(32046));
  EXPECT_EQ(boxes_[1].caption, "Common Error");
  EXPECT_EQ(sdbtest::ReadFile(CalPath("OLD.cal")), cal);
}

TEST_F(Calibration, CalibrationDates) {
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, CALIBFILE) VALUES (1, 'D', 'D')");
  for (int n = 1; n <= 6; ++n)
    qv::WritePrivateProfileString(("Channel" + std::to_string(n)).c_str(), "Coefficient0", "0", CalPath("D.cal"));
  struct Case {
    const char* stored;
    int y, m, d;
  } cases[] = {
      {"'12/31/1997'", 1997, 12, 31},
      {"'13/40/1960'", 1970, 12, 31},
      {"'12.31.1997'", 1997, 12, 31},
      {"'12\\31\\1997'", 1997, 12, 31},
      {"NULL", 1997, 1, 1},
      {"'03/07/05'", 2005, 3, 7},
      {"'12/31/99'", 1999, 12, 31},
      {"'2031-05-04'", 2031, 5, 4},
      // Without its separators the date is not known: read like an empty one.
      {"'12/31'", 1997, 1, 1},
      {"'31 Dec 05'", 1997, 1, 1},
      {"'x'", 1997, 1, 1},
  };
  for (const auto& c : cases) {
    Sql("DELETE FROM CHANNEL; INSERT INTO CHANNEL (SONDE, CHANNELPHYSIC, LASTUPDATE) VALUES (1, 1, " +
        std::string(c.stored) + ")");
    CalibrationSet set;
    ASSERT_EQ(Load("D", set), 1) << c.stored;
    ASSERT_EQ(set.channels.size(), 1u);
    EXPECT_EQ(set.channels[0]->calibrationDate, LocalTime(c.y, c.m, c.d, 1, 1, 1)) << c.stored;
  }
  // A date without its separators costs none of the channels after it.
  Sql("DELETE FROM CHANNEL; INSERT INTO CHANNEL (SONDE, CHANNELPHYSIC, CHANNELLOGIC, LASTUPDATE) VALUES"
      " (1, 1, 1, '03/07/05'), (1, 2, 2, '12/31'), (1, 3, 3, '01/02/2003')");
  CalibrationSet set;
  ASSERT_EQ(Load("D", set), 1);
  ASSERT_EQ(set.channels.size(), 3u);
  EXPECT_EQ(set.channels[1]->calibrationDate, LocalTime(1997, 1, 1, 1, 1, 1));
  EXPECT_EQ(set.channels[2]->physicalChannel, 3);
  EXPECT_EQ(set.channels[2]->calibrationDate, LocalTime(2003, 1, 2, 1, 1, 1));
}

TEST_F(Calibration, FinishedCalibrationIsRecorded) {
  Sql("INSERT INTO CHANNEL (CHANNEL, SONDE, Unit) VALUES (7, 1, 'cps')");
  ChannelCalibration rec;
  rec.channelRowId = 7;
  rec.unit = "mm";
  ASSERT_EQ(qv::UpdateCalibratedChannel(&rec), 1);
  EXPECT_EQ(Value("SELECT * FROM CHANNEL", "Unit"), "mm");
  EXPECT_EQ(Value("SELECT * FROM CHANNEL", "LASTUPDATE"), qv::FormatFileDate("%m/%d/%y", std::time(nullptr)));
  // Read back with its century.
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, CALIBFILE) VALUES (1, 'U', 'U')");
  Sql("UPDATE CHANNEL SET CHANNELPHYSIC = 1, CalibrationPoints = 0");
  CalibrationSet set;
  ASSERT_EQ(Load("U", set), 1);
  std::tm now{};
  const std::time_t t = std::time(nullptr);
  localtime_r(&t, &now);
  EXPECT_EQ(set.channels[0]->calibrationDate, LocalTime(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, 1, 1, 1));
  rec.channelRowId = 99;
  EXPECT_EQ(qv::UpdateCalibratedChannel(&rec), 0);
  EXPECT_EQ(qv::UpdateCalibratedChannel(nullptr), 0);
}

TEST_F(Calibration, SavedFilesMatchTheGoldenOnes) {
  CalibrationSet set;
  set.filePath = CalPath("KSTQ77.cal");
  set.abbreviation = "KSTQ";
  set.serialNumber = "77";
  sdbtest::WriteFile(set.filePath, sdbtest::ReadFile(CalPath("Default.cal")));
  ChannelCalibration rec;
  rec.physicalChannel = 2;
  rec.method = kMethodPolynom;
  rec.validity = 180;
  rec.unit = "mm";
  rec.shortTitle = "CAL";
  rec.coefficients = Coefficients{12.5, 0.0625, -1.5e-7, 0};
  qv::CalibrationMeasurement m;
  m.regime = 7;
  m.pointCount = 3;
  m.references[0] = 76.2, m.references[1] = 152.4, m.references[2] = 254;
  m.counts[0] = 1020, m.counts[1] = 2210, m.counts[2] = 3950;

  qv::CalibrationHistory history;
  ASSERT_TRUE(history.Open(set.filePath, LocalTime(2005, 3, 7, 9, 30, 0)));
  EXPECT_EQ(history.Path(), CalPath("KSTQ77.hst"));
  // First save: the template was never saved, so nothing is logged.
  ASSERT_TRUE(qv::SaveChannelCalibration(set, rec, m, &history, LocalTime(2005, 3, 7, 12, 0, 0)));
  EXPECT_EQ(rec.calibrationDate, LocalTime(2005, 3, 7, 12, 0, 0));
  // Second save, another day, the near/far regime on channel 3.
  ChannelCalibration nf;
  nf.physicalChannel = 3;
  nf.method = 9;  // unknown codes are saved as the cubic they are
  nf.validity = 30;
  nf.shortTitle = "NEU";
  qv::CalibrationMeasurement m2;
  m2.regime = 2;
  m2.pointCount = 2;
  m2.nearCount = 6000, m2.farCount = 12000, m2.expectedRatio = 2.5;
  ASSERT_TRUE(qv::SaveChannelCalibration(set, nf, m2, &history, LocalTime(2005, 4, 1, 8, 0, 0)));
  history.Close();
  EXPECT_EQ(sdbtest::ReadFile(set.filePath), Golden("KSTQ77.cal"));
  EXPECT_EQ(sdbtest::ReadFile(history.Path()), Golden("KSTQ77.hst"));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Calibration, HistoryAndFileFailuresAreReported) {
  CalibrationSet set;
  set.filePath = folder_ + "/no-such-folder/X.cal";
  qv::CalibrationHistory history;
  EXPECT_FALSE(history.Open(set.filePath, 0));
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, "Can't create file " + folder_ + "/no-such-folder/X.hst.");
  EXPECT_EQ(boxes_[1].text, "Can't open file " + folder_ + "/no-such-folder/X.hst.");
  ChannelCalibration rec;
  rec.physicalChannel = 1;
  EXPECT_FALSE(qv::SaveChannelCalibration(set, rec, {}, &history, 0));
}

}  // namespace
