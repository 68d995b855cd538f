#include <QApplication>
#include <QComboBox>

#include "sondedb/combo/combo.h"
#include "tests/sondedb/fixture.h"

namespace {

class Combo : public sdbtest::SondeDbTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
};

TEST_F(Combo, TableAndSondeLists) {
  Sql("INSERT INTO CABLE (CABLETYPE, NAME) VALUES (6, 'Seven conductor')");
  Sql("INSERT INTO SONDE (Sonde, Name, Abbreviation, SerialNumber, Type) VALUES (4, 'Natural Gamma', 'KSTQ', '77', 1),"
      " (5, 'Unnamed', '', '1', 1)");
  QComboBox box;
  box.addItem("kept");
  EXPECT_EQ(qv::FillComboFromTable(&box, "CABLE"), 1);
  ASSERT_EQ(box.count(), 3);
  EXPECT_EQ(box.itemText(0), "kept");
  EXPECT_EQ(box.itemText(2), "Seven conductor");
  EXPECT_EQ(box.itemData(2).toLongLong(), 6);
  EXPECT_EQ(qv::FillComboFromTable(&box, "GAUGE"), 0);
  EXPECT_EQ(qv::FillComboFromTable(nullptr, "CABLE"), 0);

  qv::FillSondeComboBox(&box, -1, 0, 0, 0, 0, 0);
  ASSERT_EQ(box.count(), 1);
  EXPECT_EQ(box.itemText(0), "KSTQ [77] - Natural Gamma");
  EXPECT_EQ(box.itemData(0).toLongLong(), 4);
  qv::FillSondeComboBox(&box, 8, 8, 8, 8, 8, 8);
  EXPECT_EQ(box.count(), 0);
}

}  // namespace
