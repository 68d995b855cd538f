// The sonde database editor run from its command on the shipped sondes:
// Cancel leaves the database as it was, OK stores what the pages show; and
// the sonde, power and channel pages' own rules.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTreeWidget>

#include "app/core/globals.h"
#include "platform/grid/grid.h"
#include "sondedb/ui/channel_page.h"
#include "sondedb/ui/layout_page.h"
#include "sondedb/ui/sonde_select.h"
#include "sondedb/ui/sonde_sheet.h"
#include "sondedb/ui/sondedb_commands.h"
#include "tests/platform/metafile/wmf_builder.h"
#include "tests/sondedb/ui/ui_fixture.h"

namespace {

using uitest::EditorTest;
using uitest::OpenSheet;

QTreeWidgetItem* FindItem(QTreeWidget* tree, const std::string& text) {
  const auto found = tree->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

void ClickCell(CSondeDBPage3* page, int row, int col) {
  emit page->GridWidget()->cellClicked(row, col);
}

TEST_F(EditorTest, CancelLeavesTheDatabaseUnchangedAndOkStoresWhatThePagesShow) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    const std::string before = Dump();
    const std::string kstq = SondeKey("KSTQ");
    curveview::SetDialogRunner([&](QDialog& d) -> int {
      if (auto* select = dynamic_cast<CSondeSelect*>(&d)) {
        select->EnsureInitialised();
        const int i = select->AbbreviationList()->findText("KSTQ");
        select->AbbreviationList()->setCurrentIndex(i);
        emit select->AbbreviationList()->activated(i);
        return select->OkButton()->isEnabled() ? QDialog::Accepted : QDialog::Rejected;
      }
      auto* sheet = dynamic_cast<CSondeDBSheet*>(&d);
      EXPECT_TRUE(sheet);
      if (!sheet) return QDialog::Rejected;
      sheet->EnsureInitialised();
      EXPECT_EQ(sheet->windowTitle().toStdString(), "Sonde base");
      EXPECT_EQ(sheet->m_nSondeType, 1);
      CSondeDBPage1* sonde = sheet->SondePage();
      EXPECT_EQ(sonde->NameEdit()->text().toStdString(), "Six-channel gamma/resistivity sonde");
      sonde->NameEdit()->setText("Gamma sonde");
      sonde->LengthEdit()->setText("260");
      EXPECT_TRUE(sheet->SetActivePage(1));
      CSondeDBPagePower* power = sheet->PowerPage();
      EXPECT_TRUE(power->NegativeButton()->isChecked());  // stored 165
      power->VoltageEdit()->setText("100");
      power->PositiveButton()->click();
      EXPECT_TRUE(sheet->SetActivePage(2));
      CSondeDBPage2* channels = sheet->ChannelPage();
      EXPECT_EQ(channels->NameEdit()->text().toStdString(), "Natural gamma");
      channels->NameEdit()->setText("Gamma ray");
      channels->MinimumEdit()->setText("0.5");
      EXPECT_TRUE(sheet->SetActivePage(3));
      CSondeDBPage3* layout = sheet->LayoutPage();
      ClickCell(layout, 3, 2);  // "Natural gamma" into Track 2, first free line
      EXPECT_EQ(layout->Grid().TextAt(1, 2), "Gamma ray");
      if (!ok) {
        sheet->OnCancel();
        return QDialog::Rejected;
      }
      return sheet->OnOK() ? QDialog::Accepted : QDialog::Rejected;
    });
    qv::RunSondeDatabaseEditor(nullptr);
    if (!ok) {
      EXPECT_EQ(Dump(), before);
      continue;
    }
    const std::string sonde = "SELECT * FROM SONDE WHERE Sonde = " + kstq;
    EXPECT_EQ(Value(sonde, "Name"), "Gamma sonde");
    EXPECT_EQ(Value(sonde, "Length"), "260");
    EXPECT_EQ(Value(sonde, "CALIBFILE"), "KSTQ1001");
    EXPECT_EQ(Value(sonde, "Voltage"), "100");
    EXPECT_EQ(Value(sonde, "Polarity"), "90");
    const std::string gamma = "SELECT * FROM CHANNEL WHERE SONDE = " + kstq + " AND CHANNELPHYSIC = 1";
    EXPECT_EQ(Value(gamma, "HeaderDescription"), "Gamma ray");
    EXPECT_EQ(Value(gamma, "Minimum"), "0.500000");
    const std::string layout = "SELECT * FROM CHANNELCOLUMN WHERE CHANNEL = " + Value(gamma, "CHANNEL");
    EXPECT_EQ(Value(layout, "HEADER"), "TRUE");
    EXPECT_EQ(Value(layout, "HEADERLINE"), "0");
    const std::string track2 = Value("SELECT * FROM COLUMNS WHERE SONDE = " + kstq + " AND COLUMNORDER = 2", "COLUMN");
    EXPECT_EQ(Value(layout, "COLUMNSTART"), track2);
    EXPECT_EQ(Value(layout, "COLUMNEND"), track2);
  }
}

TEST_F(EditorTest, SheetStaysOpenWhenShownAndHasNoCloseBox) {
  OpenSheet s("KSTQ");
  // A sheet that initialises as it is first shown, as a modal run does.
  CSondeDBSheet sheet;
  sheet.m_pDatabase = s.db.get();
  sheet.m_pRecordset = s.rs.get();
  // The flags are set before the first show: changing them on a shown
  // window hides it, which would end a modal run at once.
  EXPECT_FALSE(sheet.windowFlags() & Qt::WindowCloseButtonHint);
  sheet.show();
  qvtest::Settle();
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_TRUE(sheet.ButtonWidget(qv::PropertySheet::ApplyButton)->isHidden());
  EXPECT_EQ(sheet.ButtonWidget(qv::PropertySheet::OkButton)->text().toStdString(), "OK");
  sheet.hide();
  s.End(false);
}

TEST_F(EditorTest, SondePageKeepsStoredTextsForEmptyFieldsAndRefusesABadNumber) {
  OpenSheet s("KSTQ");
  CSondeDBPage1* page = s.sheet->SondePage();
  page->NameEdit()->setText("");
  page->SerialNumberEdit()->setText("");
  page->ManufacturerEdit()->setText("Acme");
  page->LengthEdit()->setText("");
  EXPECT_FALSE(page->OnKillActive());  // the length does not parse: the page stays
  page->LengthEdit()->setText("300");
  boxes_.clear();
  EXPECT_TRUE(page->OnKillActive());  // asked again: the entry was still pending
  EXPECT_EQ(BoxIds(), std::vector<unsigned>{32290});
  boxes_.clear();
  EXPECT_TRUE(page->OnKillActive());  // nothing new: no question
  EXPECT_TRUE(boxes_.empty());
  s.End(true);
  const std::string sonde = "SELECT * FROM SONDE WHERE Abbreviation = 'KSTQ'";
  EXPECT_EQ(Value(sonde, "Name"), "Six-channel gamma/resistivity sonde");
  EXPECT_EQ(Value(sonde, "SerialNumber"), "1001");
  EXPECT_EQ(Value(sonde, "CALIBFILE"), "");  // no serial number entered: not touched
  EXPECT_EQ(Value(sonde, "Manufacturer"), "Acme");
  EXPECT_EQ(Value(sonde, "Length"), "300");
}

TEST_F(EditorTest, SondePagePictureIsCopiedIntoThePicturesFolder) {
  const std::string other = folder_ + "/elsewhere";
  mkdir(other.c_str(), 0755);
  const std::vector<uint8_t> wmf = wmftest::Builder().Rectangle(10, 10, 80, 80).Placeable(0, 0, 100, 100);
  const std::string bytes(wmf.begin(), wmf.end());
  sdbtest::WriteFile(other + "/probe.WMF", bytes);
  OpenSheet s("KSTQ");
  CSondeDBPage1* page = s.sheet->SondePage();
  chosenFile_ = other + "/probe.WMF";
  page->OnBrowsePicture();
  ASSERT_EQ(fileRequests_.size(), 1u);
  EXPECT_EQ(fileRequests_[0].title, "Load sketch file for Six-channel gamma/resistivity sonde - sonde");
  EXPECT_EQ(fileRequests_[0].filter, "wmf File (*.wmf)|*.wmf|");
  EXPECT_EQ(page->PictureEdit()->text().toStdString(), "probe.wmf");
  EXPECT_EQ(sdbtest::ReadFile(folder_ + "/SondePictures/probe.wmf"), bytes);
  EXPECT_TRUE(page->PictureFrame()->Picture());
  EXPECT_TRUE(page->OnKillActive());
  s.End(true);
  EXPECT_EQ(Value("SELECT * FROM SONDE WHERE Abbreviation = 'KSTQ'", "PictureFile"), "probe.wmf");
}

TEST_F(EditorTest, PowerPageChecksItsRangesAndAsksForAPowerCycleOfTheCurrentSonde) {
  const struct {
    const char *voltage, *current;
    bool accepted;
  } cases[] = {{"251", "10", false}, {"10", "5001", false}, {"x", "10", false}, {"250", "5000", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.voltage) + "/" + c.current);
    OpenSheet s("KSTQ");
    s.sheet->SetActivePage(1);
    CSondeDBPagePower* page = s.sheet->PowerPage();
    page->VoltageEdit()->setText(c.voltage);
    page->CurrentLimitEdit()->setText(c.current);
    EXPECT_EQ(page->OnKillActive(), c.accepted);
    s.End(true);
    EXPECT_EQ(Value("SELECT * FROM SONDE WHERE Abbreviation = 'KSTQ'", "Voltage"), c.accepted ? c.voltage : "120");
  }
  for (const bool current : {false, true}) {
    g_strCurrentSonde = current ? "kstq" : "TWCH";
    g_strSondeSerialNo = "1001";
    g_bSondePowerOn = 1;
    boxes_.clear();
    OpenSheet s("KSTQ");
    s.sheet->SetActivePage(1);
    s.sheet->PowerPage()->NegativeButton()->click();
    EXPECT_TRUE(s.sheet->PowerPage()->OnKillActive());
    EXPECT_EQ(BoxIds(), current ? (std::vector<unsigned>{32290, 32426}) : std::vector<unsigned>{32290});
    s.End(false);
  }
  g_bSondePowerOn = 0;
  g_strCurrentSonde = "KSTQ";
  g_strSondeSerialNo = "";
}

TEST_F(EditorTest, ChannelTreeHangsWindowChannelsUnderTheirTopChannel) {
  const std::string kstq = SondeKey("KSTQ");
  Sql("UPDATE CHANNEL SET Window = 1 WHERE SONDE = " + kstq + " AND CHANNELPHYSIC IN (1, 3, 4)");
  OpenSheet s("KSTQ");
  s.sheet->SetActivePage(2);
  QTreeWidget* tree = s.sheet->ChannelPage()->Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(root->text(0).toStdString(), "Physical channel");
  // Channel 1 has no top channel before it and is not listed.
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(root->child(0)->text(0).toStdString(), "Single point resistance");
  EXPECT_EQ(root->child(0)->childCount(), 2);
  EXPECT_EQ(s.sheet->ChannelPage()->NameEdit()->text().toStdString(), "Single point resistance");
  s.End(false);
}

TEST_F(EditorTest, UserFunctionItemsNeverReachAnotherSondesChannel) {
  const std::string kstq = SondeKey("KSTQ");
  Sql("UPDATE SONDE SET USERFUNCTION = 9 WHERE Sonde = " + kstq);
  Sql("INSERT INTO CHANNEL (SONDE, USERFUNCTION, HeaderDescription, CHANNELPHYSIC) VALUES (" + kstq +
      ", 9, 'Porosity', 13)");
  ASSERT_NE(Value("SELECT * FROM CHANNEL WHERE CHANNEL = 1", "SONDE"), kstq);
  const std::string before = Dump();
  OpenSheet s("KSTQ");
  s.sheet->SetActivePage(2);
  CSondeDBPage2* page = s.sheet->ChannelPage();
  QTreeWidget* tree = page->Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  QTreeWidgetItem* functions = tree->topLevelItem(1);
  ASSERT_EQ(functions->childCount(), 1);
  // The roots stand for no channel: nothing is loaded or stored.
  for (QTreeWidgetItem* root : {functions, tree->topLevelItem(0)}) {
    tree->setCurrentItem(root);
    EXPECT_EQ(page->ShownChannel(), -1);
    EXPECT_FALSE(page->NameEdit()->isEnabled());
    EXPECT_TRUE(page->OnKillActive());
  }
  tree->setCurrentItem(functions->child(0));
  EXPECT_EQ(page->NameEdit()->text().toStdString(), "Porosity");
  EXPECT_TRUE(page->NameEdit()->isEnabled());
  s.sheet->SetActivePage(3);
  s.sheet->LayoutPage()->Tree()->setCurrentItem(s.sheet->LayoutPage()->Tree()->topLevelItem(1));
  EXPECT_EQ(s.sheet->LayoutPage()->m_nChannel, -1);
  s.End(true);
  EXPECT_EQ(Dump(), before);
}

TEST_F(EditorTest, ChannelPageStoresTheShownChannelOnlyAfterYes) {
  OpenSheet s("KSTQ");
  s.sheet->SetActivePage(2);
  CSondeDBPage2* page = s.sheet->ChannelPage();
  QTreeWidget* tree = page->Tree();
  page->NameEdit()->setText("Changed A");
  answer_ = qv::IDNO;
  tree->setCurrentItem(FindItem(tree, "Single point resistance"));
  EXPECT_EQ(page->NameEdit()->text().toStdString(), "Single point resistance");
  answer_ = qv::IDYES;
  page->NameEdit()->setText("Changed B");
  page->FilterTypeList()->setCurrentIndex(2);
  emit page->FilterTypeList()->activated(2);  // a new filter type is a change, its parameter shows
  EXPECT_FALSE(page->FilterParameterBar()->isHidden());
  page->OffsetEdit()->setText("x");
  EXPECT_FALSE(page->OnKillActive());
  page->OffsetEdit()->setText("-20");
  EXPECT_TRUE(page->OnKillActive());
  s.End(true);
  const std::string kstq = SondeKey("KSTQ");
  const std::string ch = "SELECT * FROM CHANNEL WHERE SONDE = " + kstq + " AND CHANNELPHYSIC = ";
  EXPECT_EQ(Value(ch + "1", "HeaderDescription"), "Natural gamma");
  EXPECT_EQ(Value(ch + "2", "HeaderDescription"), "Changed B");
  EXPECT_EQ(Value(ch + "2", "Offset"), "-20");
  EXPECT_EQ(Value(ch + "2", "FilterType"), "2");
}

TEST_F(EditorTest, AFilterTypeTheListCannotShowIsKept) {
  const std::string kstq = SondeKey("KSTQ");
  const std::string ch = "SELECT * FROM CHANNEL WHERE SONDE = " + kstq + " AND CHANNELPHYSIC = 2";
  Sql("UPDATE CHANNEL SET FilterType = 7, FilterParameter = 9 WHERE SONDE = " + kstq + " AND CHANNELPHYSIC = 2");
  OpenSheet s("KSTQ");
  s.sheet->SetActivePage(2);
  CSondeDBPage2* page = s.sheet->ChannelPage();
  page->Tree()->setCurrentItem(FindItem(page->Tree(), "Single point resistance"));
  EXPECT_EQ(page->FilterTypeList()->currentIndex(), -1);
  EXPECT_FALSE(page->FilterParameterBar()->isHidden());
  answer_ = qv::IDYES;
  page->NameEdit()->setText("Renamed");
  EXPECT_TRUE(page->OnKillActive());
  s.End(true);
  EXPECT_EQ(Value(ch, "HeaderDescription"), "Renamed");
  EXPECT_EQ(Value(ch, "FilterType"), "7");
  EXPECT_EQ(Value(ch, "FilterParameter"), "9");
}

TEST_F(EditorTest, FilterParameterArrowsStepByTwoWithinTheRange) {
  OpenSheet s("KSTQ");
  s.sheet->SetActivePage(2);
  CSondeDBPage2* page = s.sheet->ChannelPage();
  const struct {
    int start;
    QAbstractSlider::SliderAction action;
    int result;
  } cases[] = {{49, QAbstractSlider::SliderSingleStepSub, 51},
               {50, QAbstractSlider::SliderSingleStepSub, 50},
               {3, QAbstractSlider::SliderSingleStepAdd, 1},
               {2, QAbstractSlider::SliderSingleStepAdd, 2},
               {7, QAbstractSlider::SliderPageStepAdd, 7}};
  for (const auto& c : cases) {
    page->FilterParameterBar()->setValue(c.start);
    page->OnVScroll(c.action);
    EXPECT_EQ(page->FilterParameterBar()->value(), c.result) << c.start;
    EXPECT_EQ(page->FilterParameterText()->text().toInt(), c.result);
  }
  s.End(false);
}

}  // namespace
