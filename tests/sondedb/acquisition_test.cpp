#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "tests/sondedb/fixture.h"

namespace {

using Acquisition = sdbtest::SondeDbTest;

TEST_F(Acquisition, LoadsTheInstallationEquipmentAndTheSonde) {
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber, Voltage, CurrentLimit, Polarity)"
      " VALUES (5, 'KSTQ', '77', 120, 300, 165)");
  Sql("INSERT INTO GAUGE VALUES (0, 0, 5, 9)");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "kstq", "77"), 1);
  EXPECT_EQ(s.SondeId, 5);
  EXPECT_EQ(s.Voltage, 120);
  EXPECT_EQ(s.CurrentLimit, 300);
  EXPECT_EQ(s.Polarity, 165);
  EXPECT_EQ(s.WinchName, "Standard winch");
  EXPECT_EQ(s.WinchActive, 1);
  EXPECT_EQ(s.SP2, 1000.0);
  EXPECT_EQ(s.DAC2, 3281.0);
  EXPECT_EQ(s.PulsesPerRevolution, 1000);
  EXPECT_EQ(s.CableName, "Single conductor");
  EXPECT_EQ(s.Drive, 64);
  EXPECT_EQ(s.BaudRate, 31250);
  EXPECT_EQ(s.PulseWidth, 25);
  EXPECT_EQ(s.TensionGauge, 9);
  EXPECT_TRUE(boxes_.empty());
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "NONE", ""), 1);
  EXPECT_EQ(s.SondeId, 0);
  EXPECT_EQ(s.Voltage, 0);
  EXPECT_EQ(qv::LoadAcquisitionSetup(nullptr, "KSTQ", ""), 0);
}

TEST_F(Acquisition, WinchConstantDefaults) {
  struct Case {
    int type;
    const char* sp2;
    const char* dac2;
    double wantSp2, wantDac2;
  } cases[] = {
      {3, "NULL", "NULL", 400, 1312}, {1, "NULL", "NULL", 1000, 3281}, {3, "-5", "0", 400, 1312},
      {1, "'abc'", "'x'", 1000, 3281}, {3, "812.5", "2666", 812.5, 2666},
  };
  for (const auto& c : cases) {
    Sql("UPDATE WINCH SET Type = " + std::to_string(c.type) + ", SP2 = " + c.sp2 + ", DAC2 = " + c.dac2);
    qv::AcquisitionSetup s;
    ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
    EXPECT_EQ(s.SP2, c.wantSp2) << c.type << " " << c.sp2;
    EXPECT_EQ(s.DAC2, c.wantDac2) << c.type << " " << c.dac2;
  }
  Sql("UPDATE WINCH SET SP2 = NULL, DAC2 = NULL, ReverseWheelDirection = 1");
  Sql("INSERT INTO WINCH (WINCH, Name, SP2) VALUES (2, 'two', 0), (3, 'three', 0)");
  double sp2 = 0, dac2 = 0;
  int reverse = 0;
  ASSERT_EQ(qv::GetWinchSetPoint(3, &sp2, &dac2, &reverse), 1);
  EXPECT_EQ(sp2, 400.0);
  EXPECT_EQ(dac2, 1312.0);
  EXPECT_EQ(reverse, 0);
  ASSERT_EQ(qv::GetWinchSetPoint(2, &sp2, &dac2, &reverse), 1);
  EXPECT_EQ(sp2, 1000.0);
  EXPECT_EQ(dac2, 3281.0);
  ASSERT_EQ(qv::GetWinchSetPoint(0, &sp2, &dac2, &reverse), 1);
  EXPECT_EQ(reverse, 1);
  sp2 = -1;
  EXPECT_EQ(qv::GetWinchSetPoint(9, &sp2, &dac2, &reverse), 0);
  EXPECT_EQ(sp2, -1);
}

TEST_F(Acquisition, TwoActiveWinchesLoadEmptyAndRefuseToSave) {
  Sql("DELETE FROM WINCH WHERE WINCH <> 0; UPDATE WINCH SET ACTIVE = 1, SP2 = 5");
  Sql("INSERT INTO WINCH (WINCH, Name, ACTIVE) VALUES (1, 'b', 1)");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
  EXPECT_EQ(s.WinchName, "");
  EXPECT_EQ(s.SP2, 0.0);
  EXPECT_EQ(qv::SaveAcquisitionSetup(&s, 0), 0);
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 0", "SP2"), "5.000000");
}

TEST_F(Acquisition, NoActiveRowMakesTheChosenRowActive) {
  // Nothing active: the load leaves the fields empty, and the settings'
  // choice is saved and becomes the active row, so the set-up loads again.
  Sql("INSERT INTO WINCH (WINCH, Name) VALUES (1, 'Small winch')");
  Sql("INSERT INTO ENCODER (ENCODER, NAME) VALUES (1, 'Fine')");
  Sql("INSERT INTO CABLE (CABLETYPE, NAME) VALUES (6, 'Seven conductor')");
  Sql("UPDATE WINCH SET ACTIVE = 0; UPDATE ENCODER SET ACTIVE = 0; UPDATE CABLE SET ACTIVE = 0");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
  EXPECT_EQ(s.WinchName, "");
  EXPECT_EQ(s.EncoderName, "");
  EXPECT_EQ(s.CableName, "");
  s.WinchId = 1, s.WinchActive = 1, s.SP2 = 500, s.DAC2 = 1500;
  s.EncoderId = 1, s.EncoderActive = 1, s.PulsesPerRevolution = 2500;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&s, 0), 1);
  s.CableType = 6, s.CableActive = 1, s.Drive = 70, s.Gain = 71;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&s, 1), 1);
  EXPECT_EQ(Value("SELECT count(*) AS n FROM WINCH WHERE ACTIVE <> 0", "n"), "1");
  EXPECT_EQ(Value("SELECT count(*) AS n FROM ENCODER WHERE ACTIVE <> 0", "n"), "1");
  EXPECT_EQ(Value("SELECT count(*) AS n FROM CABLE WHERE ACTIVE <> 0", "n"), "1");
  qv::AcquisitionSetup back;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&back, "", ""), 1);
  EXPECT_EQ(back.WinchName, "Small winch");
  EXPECT_EQ(back.SP2, 500.0);
  EXPECT_EQ(back.EncoderName, "Fine");
  EXPECT_EQ(back.PulsesPerRevolution, 2500);
  EXPECT_EQ(back.CableName, "Seven conductor");
  EXPECT_EQ(back.Drive, 70);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Acquisition, SaveRoundTripMovesTheActiveRows) {
  Sql("INSERT INTO WINCH (WINCH, Name, Type) VALUES (1, 'Small winch', 3)");
  Sql("INSERT INTO ENCODER (ENCODER, NAME, PulsesPerRevolution) VALUES (1, 'Fine', 2500)");
  Sql("INSERT INTO SONDE (Sonde, Abbreviation) VALUES (4, 'KSTQ')");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "KSTQ", ""), 1);
  s.WinchId = 1, s.WinchActive = 1, s.SP2 = 812.5, s.DAC2 = 2666.0, s.ReverseWheelDirection = 1;
  s.EncoderId = 1, s.EncoderActive = 1, s.PulsesPerRevolution = 3600, s.TensionGauge = 12;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&s, 0), 1);
  qv::AcquisitionSetup back;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&back, "KSTQ", ""), 1);
  EXPECT_EQ(back.WinchId, 1);
  EXPECT_EQ(back.WinchName, "Small winch");
  EXPECT_EQ(back.SP2, 812.5);
  EXPECT_EQ(back.DAC2, 2666.0);
  EXPECT_EQ(back.ReverseWheelDirection, 1);
  EXPECT_EQ(back.EncoderId, 1);
  EXPECT_EQ(back.PulsesPerRevolution, 3600);
  EXPECT_EQ(back.TensionGauge, 12);
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 0", "ACTIVE"), "FALSE");
  // Saved again: the gauge row is edited, not doubled.
  back.TensionGauge = 13;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&back, 0), 1);
  EXPECT_EQ(Value("SELECT count(*) AS n FROM GAUGE", "n"), "1");
  EXPECT_EQ(Value("SELECT * FROM GAUGE", "TENSIONGAUGE"), "13");

  // A cable type without a row gets one; the old one is no longer active.
  back.CableType = 7, back.CableActive = 1, back.Drive = -12, back.Gain = 100, back.Threshold = 500;
  back.BaudRate = 9, back.PulseWidth = 40;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&back, 1), 1);
  qv::AcquisitionSetup cable;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&cable, "KSTQ", ""), 1);
  EXPECT_EQ(cable.CableType, 7);
  EXPECT_EQ(cable.CableActive, 1);
  EXPECT_EQ(cable.Drive, -12);
  EXPECT_EQ(cable.Gain, 100);
  EXPECT_EQ(cable.Threshold, 500);
  EXPECT_EQ(cable.BaudRate, 9);
  EXPECT_EQ(cable.PulseWidth, 40);
  EXPECT_EQ(Value("SELECT * FROM CABLE WHERE CABLETYPE = 0", "ACTIVE"), "FALSE");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Acquisition, FailedSaveRollsBackWhatItChanged) {
  // The winch step succeeds, the encoder step finds two active encoders.
  Sql("INSERT INTO WINCH (WINCH, Name) VALUES (1, 'Other')");
  Sql("INSERT INTO ENCODER (ENCODER, NAME, ACTIVE) VALUES (1, 'Second', 1)");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
  s.WinchId = 1, s.WinchActive = 1;
  EXPECT_EQ(qv::SaveAcquisitionSetup(&s, 0), 0);
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 0", "ACTIVE"), "TRUE");
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 1", "ACTIVE"), "FALSE");
  // A database error half-way rolls back too: a text where a number belongs.
  Sql("DELETE FROM ENCODER WHERE ENCODER = 1");
  Sql("CREATE TRIGGER nogauge BEFORE INSERT ON GAUGE BEGIN SELECT RAISE(ABORT, 'gauge refused'); END");
  EXPECT_EQ(qv::SaveAcquisitionSetup(&s, 0), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Database Error");
  EXPECT_NE(boxes_[0].text.find("gauge refused"), std::string::npos);
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 1", "ACTIVE"), "FALSE");
}

TEST_F(Acquisition, CableTableWithoutTelemetryColumnsUsesTheProfile) {
  Sql("DROP TABLE CABLE; CREATE TABLE CABLE (CABLETYPE INTEGER PRIMARY KEY, NAME TEXT, ACTIVE BOOLEAN,"
      " Drive INTEGER, Gain INTEGER); INSERT INTO CABLE VALUES (1, 'Old', 1, 60, 61)");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
  EXPECT_EQ(s.Threshold, 64);
  EXPECT_EQ(s.PulseWidth, 25);
  EXPECT_EQ(s.BaudRate, 31520);
  s.CableType = 3, s.CableActive = 1, s.Threshold = 77;
  ASSERT_EQ(qv::SaveAcquisitionSetup(&s, 1), 1);
  EXPECT_NE(sdbtest::ReadFile(folder_ + "/quorva.ini").find("[Cable3]\r\nThreshold=77\r\n"), std::string::npos);
  qv::AcquisitionSetup back;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&back, "", ""), 1);
  EXPECT_EQ(back.CableType, 3);
  EXPECT_EQ(back.Threshold, 77);
  EXPECT_EQ(back.PulseWidth, 25);
  EXPECT_EQ(back.BaudRate, 31520);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Acquisition, NoActiveCableGivesTheDefaults) {
  Sql("UPDATE CABLE SET ACTIVE = 0");
  qv::AcquisitionSetup s;
  ASSERT_EQ(qv::LoadAcquisitionSetup(&s, "", ""), 1);
  EXPECT_EQ(std::vector<int>({s.CableType, s.Drive, s.Gain, s.Threshold, s.PulseWidth, s.BaudRate}),
            std::vector<int>({0, 64, 64, 64, 25, 31520}));
}

TEST_F(Acquisition, ListsAndSondeLookups) {
  Sql("INSERT INTO CABLE (CABLETYPE, NAME) VALUES (6, 'Seven conductor')");
  std::vector<qv::ComboItem> items;
  ASSERT_TRUE(qv::ReadComboItems("CABLE", items));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].text, "Seven conductor");
  EXPECT_EQ(items[1].data, 6);
  items.clear();
  ASSERT_TRUE(qv::ReadComboItems("WINCH", items));
  EXPECT_EQ(items[0].data, 0);
  items.clear();
  EXPECT_FALSE(qv::ReadComboItems("GAUGE", items));

  Sql("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber, Voltage, CurrentLimit, Polarity) VALUES"
      " (1, 'TWIN', 'A', 100, 200, 90), (2, 'TWIN', 'B', 110, 210, 165)");
  auto db = qv::OpenSondeDatabase();
  qv::SondePowerValues p;
  EXPECT_EQ(qv::GetSondePower(&p, db.get(), "TWIN", "B"), 1);
  EXPECT_EQ(std::vector<int>({p.Voltage, p.CurrentLimit, p.Polarity}), std::vector<int>({110, 210, 165}));
  EXPECT_EQ(qv::GetSondePower(&p, db.get(), "NONE", ""), 0);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(qv::GetSondePower(&p, db.get(), "TWIN", ""), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, qv::LoadString(32313));
  EXPECT_TRUE(db->IsOpen());
  EXPECT_EQ(qv::GetEncoderPulsesPerRevolution(0), 1000);
  EXPECT_EQ(qv::GetEncoderPulsesPerRevolution(5), -1);
}

}  // namespace
