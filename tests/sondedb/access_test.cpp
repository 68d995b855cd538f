#include <unistd.h>

#include "platform/text/strings.h"
#include "sondedb/acquisition.h"
#include "tests/sondedb/fixture.h"

using qv::dao::Variant;

namespace {

using Access = sdbtest::SondeDbTest;

TEST_F(Access, ValuesAsText) {
  Variant emptyVariant;
  struct Case {
    Variant v;
    const char* text;
  } cases[] = {
      {Variant::MakeNull(), ""},
      {Variant::MakeInt(-42), "-42"},
      {Variant::MakeDouble(2.5), "2.500000"},
      {Variant::MakeDate(1999, 12, 31), "12/31/99"},
      {Variant::MakeDate(2005, 3, 7), "03/07/05"},
      {Variant::MakeText("O'Brien"), "O'Brien"},
      {Variant::MakeBool(true), "TRUE"},
      {Variant::MakeBool(false), "FALSE"},
  };
  for (const auto& c : cases) EXPECT_EQ(qv::VariantToString(c.v), c.text);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(qv::VariantToString(emptyVariant), "");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Unknown data type !\n");
}

TEST_F(Access, MissingDatabaseFailsQuietly) {
  unlink(DbPath().c_str());
  std::string path = "x";
  qv::GetSondeDatabasePath(path);
  EXPECT_EQ(path, "");
  EXPECT_EQ(qv::OpenSondeDatabase(), nullptr);
  EXPECT_EQ(qv::GetSondeComStd("KSTQ"), 0);
  EXPECT_EQ(qv::GetEncoderPulsesPerRevolution(0), -1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Access, DatabaseFoundWhateverItsLetterCase) {
  ASSERT_EQ(rename(DbPath().c_str(), (folder_ + "/SondeDB/QUORVA.DB").c_str()), 0);
  EXPECT_NE(qv::OpenSondeDatabase(), nullptr);
}

TEST_F(Access, CountRecordsLeavesFirstRowCurrent) {
  EXPECT_EQ(qv::CountRecords(nullptr), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, qv::LoadString(32119));
  Sql("INSERT INTO ENCODER (ENCODER, NAME) VALUES (1, 'B'), (2, 'C')");
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  rs.Open("SELECT * FROM ENCODER ORDER BY ENCODER ASC", true);
  rs.MoveLast();
  EXPECT_EQ(qv::CountRecords(&rs), 3);
  EXPECT_EQ(qv::GetFieldString(&rs, "encoder"), "0");
  rs.Open("SELECT * FROM ENCODER WHERE ENCODER = 99", true);
  EXPECT_EQ(qv::CountRecords(&rs), 0);
}

TEST_F(Access, FieldReadAndWriteConventions) {
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  rs.Open("SELECT * FROM WINCH WHERE WINCH = 0");
  EXPECT_EQ(qv::GetFieldString(&rs, "NoSuchColumn"), "");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Database Error");
  EXPECT_EQ(boxes_[0].flags, qv::MB_OK | qv::MB_ICONSTOP);
  rs.Edit();
  EXPECT_EQ(qv::SetFieldString(&rs, "Name", nullptr), 1);
  EXPECT_EQ(qv::SetFieldString(nullptr, "Name", "x"), 0);
  EXPECT_EQ(qv::SetFieldDouble(&rs, "SP2", 0.5), 1);
  EXPECT_EQ(qv::SetFieldString(&rs, "SerialNumber", "S'1"), 1);
  rs.Update();
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 0", "SP2"), "0.500000");
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE WINCH = 0", "Name"), "Standard winch");
  EXPECT_EQ(Value("SELECT * FROM WINCH WHERE SERIALNUMBER = " + qv::dao::Quote("s'1"), "WINCH"), "0");
}

TEST_F(Access, SondeQueryQuotesBothLiterals) {
  Sql("INSERT INTO SONDE (Sonde, Abbreviation, SerialNumber, ComStd) VALUES (1, 'O''Brien', '7', 3),"
      " (2, 'KSTQ', '', 5)");
  EXPECT_EQ(qv::SondeQuery("O'B", ""), "SELECT * FROM SONDE WHERE ABBREVIATION='O''B'");
  EXPECT_EQ(qv::GetSondeComStd("o'brien"), 3);
  EXPECT_EQ(qv::GetSondeComStd("x' OR '1'='1"), 0);
  EXPECT_EQ(qv::GetSondeComStd(""), 0);
  EXPECT_EQ(Value(qv::SondeQuery("O'Brien", "7"), "Sonde"), "1");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Access, TransactionsCommitOrRollBack) {
  for (int commit : {0, 1}) {
    auto db = qv::OpenSondeDatabase();
    ASSERT_EQ(qv::BeginDatabaseTransaction(db.get()), 1);
    qv::SondeRecordset rs(db.get());
    rs.Open("SELECT * FROM ENCODER WHERE ENCODER = 0");
    rs.Edit();
    qv::SetFieldString(&rs, "PulsesPerRevolution", commit ? "2000" : "1234");
    rs.Update();
    ASSERT_EQ(qv::EndDatabaseTransaction(db.get(), commit), 1);
    qv::CloseSondeDatabase(db);
    EXPECT_EQ(db, nullptr);
    EXPECT_EQ(qv::GetEncoderPulsesPerRevolution(0), commit ? 2000 : 1000);
  }
  EXPECT_EQ(qv::BeginDatabaseTransaction(nullptr), 0);
  EXPECT_EQ(qv::EndDatabaseTransaction(nullptr, 1), 0);
}

TEST_F(Access, CompactingSwapsInTheCopy) {
  Sql("INSERT INTO SONDE (Sonde, Abbreviation) VALUES (1, 'KSTQ')");
  const std::string copy = folder_ + "/SondeDB/compact.db";
  {
    // Someone else has the database open: nothing is done.
    auto other = qv::OpenSondeDatabase();
    EXPECT_EQ(qv::CompactSondeDatabase(), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Database Error");
    EXPECT_NE(access(copy.c_str(), F_OK), 0);
  }
  boxes_.clear();
  EXPECT_EQ(qv::CompactSondeDatabase(), 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(access(copy.c_str(), F_OK), 0);
  EXPECT_EQ(Value("SELECT * FROM SONDE", "Abbreviation"), "KSTQ");
  // A second run asks before replacing the copy; Cancel keeps it.
  const std::string before = sdbtest::ReadFile(copy);
  answer_ = qv::IDCANCEL;
  EXPECT_EQ(qv::CompactSondeDatabase(), 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, qv::LoadString(32069));
  EXPECT_EQ(sdbtest::ReadFile(copy), before);
  answer_ = qv::IDOK;
  EXPECT_EQ(qv::CompactSondeDatabase(), 1);
  EXPECT_EQ(Value("SELECT * FROM SONDE", "Abbreviation"), "KSTQ");
}

TEST_F(Access, EveryTableOfTheSchemaIsThere) {
  auto db = qv::OpenSondeDatabase();
  for (const char* table : {"SONDE", "CHANNEL", "CHANNELCOLUMN", "COLUMNS", "SONDECOMMAND", "COMMANDSOFSONDES",
                            "WINCH", "ENCODER", "CABLE", "GAUGE", "SonicParams"})
    EXPECT_FALSE(db->TableColumns(table).empty()) << table;
  EXPECT_FALSE(qv::CreateSondeDatabase(DbPath()));
}

}  // namespace
