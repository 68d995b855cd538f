// The sonde selection dialog on the shipped sondes: narrowing by the four
// lists, the count and the buttons, import through the dialog, and removal.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "sondedb/ui/sonde_select.h"
#include "tests/sondedb/ui/ui_fixture.h"

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so";
}

namespace {

using uitest::EditorTest;

std::vector<std::string> Items(QComboBox* list) {
  std::vector<std::string> items;
  for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
  return items;
}

void Choose(QComboBox* list, const std::string& text) {
  const int i = list->findText(QString::fromStdString(text));
  ASSERT_GE(i, 0) << text;
  list->setCurrentIndex(i);
  emit list->activated(i);
}

class SelectTest : public EditorTest {
 protected:
  // A second KSTQ with another serial number, and a row without abbreviation.
  void AddSecondKstq() {
    const std::string file = folder_ + "/kstq2.son";
    std::string text = sdbtest::ReadFile(uitest::ShippedSondeFolder() + "/kstq.son");
    text.replace(text.find("SerialNumber=1001"), 17, "SerialNumber=2002");
    text.replace(text.find("Manufacturer=Quorvanta"), 22, "Manufacturer=O'Brien Logging");
    sdbtest::WriteFile(file, text);
    auto db = qv::OpenSondeDatabase();
    qv::SondeRecordset rs(db.get());
    ASSERT_EQ(qv::ImportSondeFile(&rs, file), 1);
    Sql("INSERT INTO SONDE (Name, Abbreviation, SerialNumber) VALUES ('Hidden', '', '77')");
  }
};

TEST_F(SelectTest, NarrowingByTheListsUntilOneSondeIsLeft) {
  AddSecondKstq();
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  CSondeSelect dlg(&rs);
  dlg.EnsureInitialised();
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "9 entries found");
  // Sorted, without case duplicates, and the row without abbreviation is not listed.
  EXPECT_EQ(Items(dlg.AbbreviationList()),
            (std::vector<std::string>{"BTVS", "CBLS", "FWSS", "HPFM", "KSTQ", "SONQ", "TWCH"}));
  EXPECT_EQ(Items(dlg.SerialNumberList()), (std::vector<std::string>{"1001", "2002"}));
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  EXPECT_FALSE(dlg.RemoveButton()->isEnabled());

  Choose(dlg.AbbreviationList(), "KSTQ");
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "2 entries found");
  EXPECT_EQ(Items(dlg.SerialNumberList()), (std::vector<std::string>{"1001", "2002"}));
  EXPECT_EQ(dlg.AbbreviationList()->currentText().toStdString(), "KSTQ");  // the only entry is selected
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  // Choosing the only entry again changes nothing.
  Choose(dlg.AbbreviationList(), "KSTQ");
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "2 entries found");

  // A text with an apostrophe narrows like any other.
  Choose(dlg.ManufacturerList(), "O'Brien Logging");
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "1 entries found");
  EXPECT_TRUE(dlg.OkButton()->isEnabled());
  EXPECT_TRUE(dlg.RemoveButton()->isEnabled());
  EXPECT_EQ(dlg.SerialNumberList()->currentText().toStdString(), "2002");
  EXPECT_EQ(qv::GetFieldString(&rs, "SerialNumber"), "2002");

  dlg.OnReset();
  EXPECT_EQ(dlg.Condition(), "");
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "9 entries found");
}

TEST_F(SelectTest, WithoutRecordsetNothingCanBeChosen) {
  CSondeSelect dlg(nullptr);
  dlg.EnsureInitialised();
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  EXPECT_FALSE(dlg.RemoveButton()->isEnabled());
  EXPECT_EQ(dlg.AbbreviationList()->count(), 0);
}

TEST_F(SelectTest, RemovalDeletesTheSondeWholeAfterYesOnly) {
  const std::string key = SondeKey("CBLS");
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  CSondeSelect dlg(&rs);
  dlg.EnsureInitialised();
  Choose(dlg.AbbreviationList(), "CBLS");
  const std::string commands = Value("SELECT COUNT(*) AS n FROM SONDECOMMAND", "n");

  answer_ = qv::IDNO;
  dlg.OnRemove();
  EXPECT_EQ(BoxIds(), std::vector<unsigned>{32395});
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM CHANNEL WHERE SONDE = " + key, "n"), "8");

  // A failure part way deletes nothing: no channel loses its layout row.
  Sql("CREATE TRIGGER refuse BEFORE DELETE ON SONDE BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  answer_ = qv::IDYES;
  const std::string before = Dump();
  dlg.OnRemove();
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(boxes_.back().caption, "Database Error");
  Sql("DROP TRIGGER refuse;");

  Choose(dlg.AbbreviationList(), "CBLS");
  dlg.OnRemove();
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM SONDE WHERE Sonde = " + key, "n"), "0");
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM CHANNEL WHERE SONDE = " + key, "n"), "0");
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM COLUMNS WHERE SONDE = " + key, "n"), "0");
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM COMMANDSOFSONDES WHERE SONDE = " + key, "n"), "0");
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM CHANNELCOLUMN WHERE CHANNEL NOT IN (SELECT CHANNEL FROM CHANNEL)", "n"),
            "0");
  EXPECT_EQ(Value("SELECT COUNT(*) AS n FROM SONDECOMMAND", "n"), commands);
  // The lists are rebuilt from the whole table.
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "6 entries found");
  EXPECT_EQ(dlg.AbbreviationList()->findText("CBLS"), -1);
}

TEST_F(SelectTest, ImportAddsTheSondeAndReportsTheResult) {
  auto db = qv::OpenSondeDatabase();
  qv::SondeRecordset rs(db.get());
  CSondeSelect dlg(&rs);
  dlg.EnsureInitialised();
  Choose(dlg.AbbreviationList(), "KSTQ");

  chosenFile_ = folder_ + "/new.son";
  sdbtest::WriteFile(chosenFile_, "[Sonde]\r\nAbbreviation=NEWS\r\nSerialNumber=5\r\nName=New sonde\r\n");
  dlg.OnImport();
  ASSERT_EQ(fileRequests_.size(), 1u);
  EXPECT_EQ(fileRequests_[0].title, "Import new hardware");
  EXPECT_EQ(fileRequests_[0].filter,
            "Text files (*.txt)|*.txt|Sonde files (*.son)|*.son|ASCII files (*.asc)|*.asc|All files (*.*) |*.*||");
  EXPECT_TRUE(fileRequests_[0].mustExist);
  EXPECT_EQ(BoxIds(), std::vector<unsigned>{32245});
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "8 entries found");
  EXPECT_GE(dlg.AbbreviationList()->findText("NEWS"), 0);

  boxes_.clear();
  dlg.OnImport();  // the same sonde again: refused
  EXPECT_EQ(BoxIds(), (std::vector<unsigned>{0, 32142}));
  EXPECT_EQ(boxes_[0].text, "Sonde already exists in database! Import canceled.");

  boxes_.clear();
  chosenFile_.clear();  // cancelled: no import, the selection is reset
  Choose(dlg.AbbreviationList(), "KSTQ");
  dlg.OnImport();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(dlg.CountText()->text().toStdString(), "8 entries found");
}

}  // namespace
