// Sonde definition files into the database: the rows an import makes, the
// files it refuses, and that a failure or a removal leaves no stray rows.
#include "sondedb/import/import.h"

#include <string>
#include <vector>

#include "platform/text/strings.h"
#include "tests/sondedb/fixture.h"

namespace {

std::string Fixture(const char* name) {
  return std::string(QV_TEST_SOURCE_DIR) + "/fixtures/" + name;
}

class ImportTest : public sdbtest::SondeDbTest {
 protected:
  int Import(const std::string& path) {
    auto db = qv::OpenSondeDatabase();
    qv::SondeRecordset rs(db.get());
    return qv::ImportSondeFile(&rs, path);
  }
  std::string Count(const std::string& from) { return Value("SELECT COUNT(*) AS n FROM " + from, "n"); }
  // One column of every row of a query, joined with ','.
  std::string Column(const std::string& sql, const char* column) {
    auto db = qv::OpenSondeDatabase();
    qv::SondeRecordset rs(db.get());
    rs.Open(sql, true);
    std::string out;
    for (int i = 0; i < rs.GetRecordCount(); ++i, rs.MoveNext())
      out += (i ? "," : "") + qv::VariantToString(rs.GetFieldValue(column));
    return out;
  }
  std::string AllRows() {
    return Count("SONDE") + "/" + Count("COLUMNS") + "/" + Count("CHANNEL") + "/" + Count("CHANNELCOLUMN") + "/" +
           Count("SONDECOMMAND") + "/" + Count("COMMANDSOFSONDES");
  }
};

TEST_F(ImportTest, CementBondSondeRowsAsTheFileDescribes) {
  ASSERT_EQ(Import(Fixture("cbond.son")), 1);
  EXPECT_TRUE(boxes_.empty());
  const char* sonde = "SELECT * FROM SONDE WHERE Abbreviation = 'CBTS'";
  const std::vector<std::pair<const char*, const char*>> columns = {
      {"Name", "Bond test"}, {"SerialNumber", "7"},       {"Manufacturer", "Tester"},
      {"ComStd", "3"},       {"NumberOfChannels", "8"},   {"Length", "200"},
      {"Type", "5"},         {"Voltage", "180"},          {"CurrentLimit", "120"},
      {"Polarity", "165"},   {"BaudRateUpHole", "19200"}, {"BaudRateDownHole", "9600"},
      {"COLUMNS", "4"},      {"Datum", "03/15/26"},       {"CALIBFILE", ""},
      {"PictureFile", ""}};
  for (const auto& [column, expected] : columns) EXPECT_EQ(Value(sonde, column), expected) << column;

  // Four track rows in order; tracks 2 and 3 of a bond sonde have no grid.
  const std::string tracks = "SELECT * FROM COLUMNS ORDER BY \"COLUMN\"";
  EXPECT_EQ(Column(tracks, "COLUMNORDER"), "0,1,2,3");
  EXPECT_EQ(Column(tracks, "TYPE"), "2,1,2,2");
  EXPECT_EQ(Column(tracks, "RASTER"), "TRUE,FALSE,FALSE,FALSE");
  EXPECT_EQ(Column(tracks, "RASTERPROPERTIES"), "268435461,0,268435461,268435461");
  EXPECT_EQ(Column(tracks, "MINIMAL") + " " + Column(tracks, "IDEAL"), "100,100,100,100 250,250,250,250");

  // Channels 1-6 in track 1, 7 in track 2, 8 in track 3, whatever Track says.
  EXPECT_EQ(Column("SELECT c.CHANNELPHYSIC, o.COLUMNORDER FROM CHANNEL c JOIN CHANNELCOLUMN a ON a.CHANNEL = "
                   "c.CHANNEL JOIN COLUMNS o ON o.\"COLUMN\" = a.COLUMNSTART AND a.COLUMNEND = a.COLUMNSTART "
                   "ORDER BY c.CHANNELPHYSIC",
                   "COLUMNORDER"),
            "0,0,0,0,0,0,2,3");
  const std::string first = "SELECT * FROM CHANNEL WHERE CHANNELPHYSIC = 1";
  EXPECT_EQ(Value(first, "Unit"), "API");
  EXPECT_EQ(Value(first, "Maximum"), "300.500000");
  EXPECT_EQ(Value(first, "ZERO"), "-999.250000");
  EXPECT_EQ(Value(first, "Offset"), "200");  // equal to the length: accepted
  // Negative numbers are written as unsigned text; beyond 32 bits the
  // database keeps them as reals.
  EXPECT_EQ(Value(first, "FORMULA"), "4294967295.000000");
  EXPECT_EQ(Column("SELECT * FROM CHANNEL ORDER BY CHANNELPHYSIC", "NEXTUPDATE"), "-1,-1,-1,-1,-1,-1,30,-1");
  EXPECT_EQ(Column("SELECT * FROM CHANNEL ORDER BY CHANNELPHYSIC", "Window"), "0,0,0,0,0,0,0,1");

  // Three commands; the missing fourth section ends the list.
  EXPECT_EQ(Column("SELECT * FROM SONDECOMMAND ORDER BY SONDECOMMAND", "COMMANDNAME"), "TX ON,TX OFF,GAIN");
  EXPECT_EQ(Value("SELECT * FROM SONDECOMMAND WHERE COMMANDNAME = 'GAIN'", "COMMANDCODE"), "4294967295.000000");
  EXPECT_EQ(Count("COMMANDSOFSONDES"), "3");
}

TEST_F(ImportTest, TeleviewerHasTwoTracksAndSharesCommands) {
  ASSERT_EQ(Import(Fixture("cbond.son")), 1);
  ASSERT_EQ(Import(Fixture("televiewer.son")), 1);
  const std::string tracks = "SELECT * FROM COLUMNS WHERE SONDE = 2 ORDER BY \"COLUMN\"";
  EXPECT_EQ(Column(tracks, "COLUMNORDER"), "0,1,2");
  EXPECT_EQ(Column(tracks, "RASTER"), "TRUE,FALSE,FALSE");
  // Track 3 does not exist: channel i goes to track (i mod 2) + 1.
  EXPECT_EQ(Column("SELECT o.COLUMNORDER FROM CHANNEL c JOIN CHANNELCOLUMN a ON a.CHANNEL = c.CHANNEL JOIN COLUMNS "
                   "o ON o.\"COLUMN\" = a.COLUMNSTART WHERE c.SONDE = 2 ORDER BY c.CHANNELPHYSIC",
                   "COLUMNORDER"),
            "0,2,2");
  // The matching command is reused, takes the newer status and is linked twice.
  EXPECT_EQ(Count("SONDECOMMAND WHERE COMMANDNAME = 'TX ON'"), "1");
  EXPECT_EQ(Value("SELECT * FROM SONDECOMMAND WHERE COMMANDNAME = 'TX ON'", "COMMANDSTATUS"), "ARMED");
  EXPECT_EQ(Count("COMMANDSOFSONDES"), "4");
}

TEST_F(ImportTest, RefusedFilesStoreNothing) {
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"nosonde.son", qv::LoadString(32620)},
      {"many.son", "The sonde declares 17 channels; a sonde can have at most 16. Import canceled."},
      {"offset.son", qv::LoadString(32141)},
      // A sonde without an abbreviation could never be listed, chosen or
      // removed again.
      {"empty.son", "The file gives the sonde no abbreviation: it could not be selected or removed. Import canceled."},
      {"blankabbrev.son", qv::LoadString(32622)},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    EXPECT_EQ(Import(Fixture(c.file)), 0) << c.file;
    ASSERT_EQ(boxes_.size(), 1u) << c.file;
    EXPECT_EQ(boxes_[0].text, c.message);
    EXPECT_EQ(AllRows(), "0/0/0/0/0/0") << c.file;
  }
}

TEST_F(ImportTest, SecondImportOfTheSameSondeIsRefused) {
  ASSERT_EQ(Import(Fixture("televiewer.son")), 1);
  const std::string before = AllRows();
  EXPECT_EQ(Import(Fixture("televiewer.son")), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Sonde already exists in database! Import canceled.");
  EXPECT_EQ(AllRows(), before);
}

TEST_F(ImportTest, FailureAfterSomeRowsUndoesTheWholeImport) {
  Sql("CREATE TRIGGER refuse BEFORE INSERT ON CHANNELCOLUMN BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  EXPECT_EQ(Import(Fixture("cbond.son")), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Database Error");
  EXPECT_EQ(AllRows(), "0/0/0/0/0/0");
  Sql("DROP TRIGGER refuse;");
  EXPECT_EQ(Import(Fixture("cbond.son")), 1);
}

TEST_F(ImportTest, RemovalDeletesOneSondeWholeOrNothing) {
  ASSERT_EQ(Import(Fixture("cbond.son")), 1);
  ASSERT_EQ(Import(Fixture("televiewer.son")), 1);
  auto db = qv::OpenSondeDatabase();
  Sql("CREATE TRIGGER refuse BEFORE DELETE ON SONDE BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  EXPECT_EQ(qv::RemoveSondeRows(db.get(), "1"), 0);
  EXPECT_EQ(AllRows(), "2/7/11/11/3/4");
  Sql("DROP TRIGGER refuse;");
  EXPECT_EQ(qv::RemoveSondeRows(db.get(), "1"), 1);
  // The televiewer keeps its rows; the shared commands stay.
  EXPECT_EQ(AllRows(), "1/3/3/3/3/1");
  EXPECT_EQ(Value("SELECT * FROM SONDE", "Abbreviation"), "TVTS");
}

// Every shipped definition file is in the database the build made, whole.
TEST(ShippedDatabase, HoldsEverySondeWithItsChannels) {
  qv::dao::Database db;
  db.Open(std::string(QV_PROGRAM_DIR) + "/SondeDB/quorva.db", false, true);
  const struct {
    const char* abbreviation;
    int type, channels;
  } sondes[] = {{"KSTQ", 1, 6}, {"TWCH", 8, 12}, {"BTVS", 2, 4}, {"CBLS", 5, 8},
                {"FWSS", 4, 8}, {"SONQ", 10, 8}, {"HPFM", 6, 3}};
  for (const auto& s : sondes) {
    qv::SondeRecordset rs(&db);
    rs.Open(
        "SELECT s.Type, s.NumberOfChannels, (SELECT COUNT(*) FROM CHANNEL c JOIN CHANNELCOLUMN a ON a.CHANNEL = "
        "c.CHANNEL WHERE c.SONDE = s.Sonde) AS placed, (SELECT COUNT(*) FROM COMMANDSOFSONDES k WHERE k.SONDE = "
        "s.Sonde) AS commands FROM SONDE s WHERE s.Abbreviation = " +
            qv::dao::Quote(s.abbreviation),
        true);
    ASSERT_EQ(rs.GetRecordCount(), 1) << s.abbreviation;
    EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("Type")), std::to_string(s.type)) << s.abbreviation;
    EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("NumberOfChannels")), std::to_string(s.channels));
    EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("placed")), std::to_string(s.channels)) << s.abbreviation;
    EXPECT_NE(qv::VariantToString(rs.GetFieldValue("commands")), "0") << s.abbreviation;
  }
  qv::SondeRecordset rs(&db);
  rs.Open("SELECT (SELECT COUNT(*) FROM GAUGE) AS gauges, (SELECT COUNT(*) FROM SonicParams) AS sonic", true);
  EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("gauges")), "7");
  EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("sonic")), "3");
  // Every shipped curve is shown, each on a legend line of its own in its track.
  rs.Open(
      "SELECT (SELECT COUNT(*) FROM CHANNELCOLUMN WHERE HEADER = 0) AS hidden, (SELECT COUNT(*) FROM (SELECT 1 FROM "
      "CHANNELCOLUMN GROUP BY COLUMNSTART, HEADERLINE HAVING COUNT(*) > 1)) AS shared",
      true);
  EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("hidden")), "0");
  EXPECT_EQ(qv::VariantToString(rs.GetFieldValue("shared")), "0");
}

}  // namespace
