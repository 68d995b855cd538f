#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/dao/dao.h"

using qv::dao::Database;
using qv::dao::Error;
using qv::dao::Recordset;
using qv::dao::Variant;
using qv::dao::VarType;

namespace {

std::string TempDir() {
  const char* base = getenv("QV_TEST_TMP");
  std::string tmpl = std::string(base && *base ? base : "/tmp");
  mkdir(tmpl.c_str(), 0755);
  tmpl += "/dao-XXXXXX";
  return mkdtemp(tmpl.data());
}

class DaoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = TempDir() + "/t.db";
    Database db;
    db.Create(path_);
    db.Execute(
        "CREATE TABLE T (\"K\" INTEGER PRIMARY KEY, \"Name\" TEXT COLLATE NOCASE, \"N\" INTEGER DEFAULT 0,"
        " \"R\" REAL, \"B\" BOOLEAN DEFAULT 0, \"D\" DATE);"
        "INSERT INTO T VALUES (1, 'Alpha', 10, 2.5, 1, '1999-12-31 00:00:00');"
        "INSERT INTO T VALUES (2, 'O''Brien', 20, NULL, 0, NULL);"
        "INSERT INTO T VALUES (3, 'gamma', 30, -1, NULL, '2005-03-07 00:00:00');");
    db.Close();
    db_.Open(path_);
  }
  std::string path_;
  Database db_;
};

TEST(DaoQuote, LiteralsAndNames) {
  EXPECT_EQ(qv::dao::Quote("KSTQ"), "'KSTQ'");
  EXPECT_EQ(qv::dao::Quote("O'Brien"), "'O''Brien'");
  EXPECT_EQ(qv::dao::Quote("x' OR '1'='1"), "'x'' OR ''1''=''1'");
  EXPECT_EQ(qv::dao::Quote(std::string("ab\0cd", 5)), "'ab'");
  EXPECT_EQ(qv::dao::QuoteName("a\"b"), "\"a\"\"b\"");
}

TEST(DaoDates, TextForms) {
  struct Case {
    const char* text;
    bool ok;
    int y, m, d;
  } cases[] = {
      {"12/31/99", true, 1999, 12, 31}, {"03/07/05", true, 2005, 3, 7},   {"1/2/29", true, 2029, 1, 2},
      {"1/2/30", true, 1930, 1, 2},     {"12.31.1997", true, 1997, 12, 31}, {"2004-02-29", true, 2004, 2, 29},
      {"2005-02-29", false, 0, 0, 0},   {"12/31/1999 23:59:58", true, 1999, 12, 31}, {"1/1/99 25:00", false, 0, 0, 0},   {"13/01/99", false, 0, 0, 0},    {"12/31", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Variant::DateParts d;
    ASSERT_EQ(qv::dao::ParseDate(c.text, d), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, c.y * 10000 + c.m * 100 + c.d) << c.text;
    }
  }
}

TEST_F(DaoTest, ValuesComeWithTheirColumnKinds) {
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T ORDER BY K", true);
  ASSERT_EQ(rs.GetRecordCount(), 3);
  EXPECT_EQ(rs.GetFieldValue("n").type, VarType::Int32);
  EXPECT_EQ(rs.GetFieldValue("R").type, VarType::Double);
  EXPECT_EQ(rs.GetFieldValue("B").type, VarType::Bool);
  EXPECT_EQ(rs.GetFieldValue("D").type, VarType::Date);
  EXPECT_EQ(rs.GetFieldValue("D").date.year, 1999);
  rs.MoveNext();
  EXPECT_EQ(rs.GetFieldValue("R").type, VarType::Null);
  EXPECT_EQ(rs.GetFieldValue("name").s, "O'Brien");
}

TEST_F(DaoTest, TextComparesWithoutCaseAndQuotedNamesMatch) {
  Recordset rs(&db_);
  rs.Open("SELECT * FROM t WHERE NAME=" + qv::dao::Quote("ALPHA"), true);
  EXPECT_EQ(rs.GetRecordCount(), 1);
  rs.Open("SELECT * FROM T WHERE Name=" + qv::dao::Quote("o'brien"), true);
  EXPECT_EQ(rs.GetRecordCount(), 1);
  rs.Open("SELECT * FROM T WHERE Name=" + qv::dao::Quote("x' OR '1'='1"), true);
  EXPECT_EQ(rs.GetRecordCount(), 0);
}

TEST_F(DaoTest, WalkByCountAndNoCurrentRecordErrors) {
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T ORDER BY K", true);
  rs.MoveLast();
  EXPECT_EQ(rs.GetFieldValue("K").i, 3);
  rs.MoveFirst();
  int seen = 0;
  for (long i = 0; i < rs.GetRecordCount(); ++i, rs.MoveNext()) seen += static_cast<int>(rs.GetFieldValue("K").i);
  EXPECT_EQ(seen, 6);
  EXPECT_TRUE(rs.IsEOF());
  try {
    rs.GetFieldValue("K");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), Error::kNoCurrentRecord);
  }
  rs.Open("SELECT * FROM T WHERE K = 99", true);
  EXPECT_EQ(rs.GetRecordCount(), 0);
  EXPECT_THROW(rs.GetFieldValue("K"), Error);
  EXPECT_THROW(rs.MoveFirst(), Error);
}

TEST_F(DaoTest, MissingColumnIsACatchableError) {
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T", true);
  try {
    rs.GetFieldValue("PULSEWIDTH");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), Error::kItemNotFound);
  }
  EXPECT_THROW(rs.Open("SELECT * FROM Nope"), Error);
}

TEST_F(DaoTest, TextWrittenIntoTypedColumnsConverts) {
  struct Case {
    const char* column;
    const char* text;
    bool ok;
    VarType type;
    double number;
  } cases[] = {
      {"N", "42", true, VarType::Int32, 42},   {"N", " 7 ", true, VarType::Int32, 7},
      {"N", "", true, VarType::Null, 0},       {"N", "abc", false, VarType::Null, 0},
      {"R", "1000", true, VarType::Double, 1000}, {"R", "2.5e1", true, VarType::Double, 25},
      {"R", "1,5", false, VarType::Null, 0},   {"B", "TRUE", true, VarType::Bool, 1},
      {"B", "false", true, VarType::Bool, 0},  {"B", "-1", true, VarType::Bool, 1},
      {"B", "maybe", false, VarType::Null, 0}, {"D", "12/31/99", true, VarType::Date, 1999},
      {"D", "02/30/05", false, VarType::Null, 0}, {"Name", "Zed", true, VarType::Text, 0},
  };
  for (const auto& c : cases) {
    Recordset rs(&db_);
    rs.Open("SELECT * FROM T WHERE K = 2");
    rs.Edit();
    if (!c.ok) {
      EXPECT_THROW(rs.SetFieldValue(c.column, Variant::MakeText(c.text)), Error) << c.column << "=" << c.text;
      rs.CancelUpdate();
      continue;
    }
    rs.SetFieldValue(c.column, Variant::MakeText(c.text));
    rs.Update();
    Recordset back(&db_);
    back.Open("SELECT * FROM T WHERE K = 2", true);
    const Variant v = back.GetFieldValue(c.column);
    EXPECT_EQ(v.type, c.type) << c.column << "=" << c.text;
    if (c.type == VarType::Int32 || c.type == VarType::Bool) {
      EXPECT_EQ(v.i, c.number) << c.text;
    }
    if (c.type == VarType::Double) {
      EXPECT_EQ(v.d, c.number) << c.text;
    }
    if (c.type == VarType::Date) {
      EXPECT_EQ(v.date.year, c.number) << c.text;
    }
  }
}

TEST_F(DaoTest, AppendedRowHasItsKeyAtOnceAndDefaults) {
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T WHERE K = 0");
  rs.AddNew();
  EXPECT_EQ(rs.GetFieldValue("K").i, 4);
  rs.SetFieldValue("Name", Variant::MakeText("new"));
  rs.Update();
  Recordset back(&db_);
  back.Open("SELECT * FROM T WHERE K = 4", true);
  ASSERT_EQ(back.GetRecordCount(), 1);
  EXPECT_EQ(back.GetFieldValue("Name").s, "new");
  EXPECT_EQ(back.GetFieldValue("N").i, 0);
  EXPECT_EQ(back.GetFieldValue("B").i, 0);
}

TEST_F(DaoTest, DeleteAndReadOnlyAndJoins) {
  Recordset ro(&db_);
  ro.Open("SELECT * FROM T", true);
  EXPECT_THROW(ro.Edit(), Error);
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T WHERE K = 3");
  rs.Delete();
  EXPECT_EQ(rs.GetRecordCount(), 0);
  EXPECT_THROW(rs.GetFieldValue("K"), Error);
  Recordset join(&db_);
  join.Open("SELECT * FROM T,T AS U WHERE T.K = U.K AND T.K = 1");
  EXPECT_EQ(join.GetRecordCount(), 1);
  EXPECT_FALSE(join.CanUpdate());
}

TEST_F(DaoTest, RolledBackTransactionLeavesNoChange) {
  db_.BeginTrans();
  Recordset rs(&db_);
  rs.Open("SELECT * FROM T WHERE K = 1");
  rs.Edit();
  rs.SetFieldValue("N", Variant::MakeText("99"));
  rs.Update();
  db_.Rollback();
  rs.Open("SELECT * FROM T WHERE K = 1", true);
  EXPECT_EQ(rs.GetFieldValue("N").i, 10);
}

TEST_F(DaoTest, ExclusiveOpenFailsWhileAnotherUserHasTheFile) {
  Database other;
  try {
    other.Open(path_, true);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), Error::kFileInUse);
  }
  db_.Close();
  other.Open(path_, true);
  Database third;
  EXPECT_THROW(third.Open(path_), Error);
}

TEST_F(DaoTest, CompactCopyHoldsTheRows) {
  const std::string copy = path_ + ".copy";
  db_.CheckIntegrity();
  db_.CompactInto(copy);
  Database c;
  c.Open(copy);
  Recordset rs(&c);
  rs.Open("SELECT * FROM T", true);
  EXPECT_EQ(rs.GetRecordCount(), 3);
}

TEST(DaoOpen, MissingFileAndNonDatabase) {
  const std::string dir = TempDir();
  Database db;
  EXPECT_THROW(db.Open(dir + "/none.db"), Error);
  const std::string junk = dir + "/junk.db";
  FILE* f = fopen(junk.c_str(), "wb");
  fputs("this is not a database file at all, not even close; padding padding padding padding", f);
  fclose(f);
  EXPECT_THROW(db.Open(junk), Error);
  EXPECT_FALSE(db.IsOpen());
}

}  // namespace
