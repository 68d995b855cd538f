// The display layout page: placing, removing and spanning channels by
// clicking the track grid, what is stored for the shown channel, and the
// clicks that only beep.
#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/ui/line_dialog.h"
#include "sondedb/ui/layout_page.h"
#include "sondedb/ui/sonde_sheet.h"
#include "tests/sondedb/ui/ui_fixture.h"

namespace {

class LayoutTest : public uitest::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    kstq_ = SondeKey("KSTQ");
    // Channels 2 to 4 of the sonde are shown in Track 2 on lines 0 to 2.
    Sql("UPDATE CHANNELCOLUMN SET HEADER = 1, HEADERLINE = (SELECT CHANNELPHYSIC - 2 FROM CHANNEL c WHERE "
        "c.CHANNEL = CHANNELCOLUMN.CHANNEL) WHERE CHANNEL IN (SELECT CHANNEL FROM CHANNEL WHERE SONDE = " +
        kstq_ + " AND CHANNELPHYSIC BETWEEN 2 AND 4)");
  }
  void Open(const std::string& abbreviation) {
    open_ = std::make_unique<uitest::OpenSheet>(abbreviation);
    ASSERT_TRUE(open_->sheet->SetActivePage(3));
    page_ = open_->sheet->LayoutPage();
  }
  void Commit() {
    open_->End(true);
    open_.reset();
  }
  void Show(const std::string& channel) {
    const auto found = page_->Tree()->findItems(QString::fromStdString(channel), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty()) << channel;
    page_->Tree()->setCurrentItem(found.first());
  }
  void Click(int row, int col) { emit page_->GridWidget()->cellClicked(row, col); }
  std::string Column(int col) {
    std::string s;
    for (int r = 1; r < CSondeDBPage3::kGridRows; ++r) s += page_->Grid().TextAt(r, col) + "|";
    return s;
  }
  std::string Layout(int physic, const char* column) {
    return Value("SELECT * FROM CHANNELCOLUMN WHERE CHANNEL = (SELECT CHANNEL FROM CHANNEL WHERE SONDE = " + kstq_ +
                     " AND CHANNELPHYSIC = " + std::to_string(physic) + ")",
                 column);
  }
  std::string Track(int order) {
    return Value("SELECT * FROM COLUMNS WHERE SONDE = " + kstq_ + " AND COLUMNORDER = " + std::to_string(order),
                 "COLUMN");
  }

  std::string kstq_;
  std::unique_ptr<uitest::OpenSheet> open_;
  CSondeDBPage3* page_ = nullptr;
};

TEST_F(LayoutTest, GridShowsTheTracksAndTheAssignedChannels) {
  Open("KSTQ");
  EXPECT_EQ(page_->Grid().Cols(), 4);
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(page_->Grid().TextAt(0, c), (std::vector<std::string>{"Track 1", "Depth", "Track 2", "Track 3"}[c]));
  EXPECT_EQ(Column(2), "Single point resistance|Resistivity 16in normal|Resistivity 64in normal||||");
  EXPECT_EQ(Column(0), "||||||");
  // Track columns are three times as wide as the depth column.
  EXPECT_NEAR(page_->GridWidget()->columnWidth(2), 3 * page_->GridWidget()->columnWidth(1), 3);
  EXPECT_EQ(page_->m_nChannel, page_->Assignments()[0].channel);  // the first channel is shown
  EXPECT_FALSE(page_->StyleList()->isHidden());
}

TEST_F(LayoutTest, PlacingRemovingAndSpanningAreStoredForTheShownChannel) {
  Open("KSTQ");
  Click(5, 2);  // "Natural gamma" (unassigned) into Track 2
  EXPECT_EQ(Column(2), "Natural gamma|Single point resistance|Resistivity 16in normal|Resistivity 64in normal|||");
  Click(2, 1);  // the depth column only beeps
  EXPECT_EQ(beeps_, 1);

  Show("Single point resistance");  // saves "Natural gamma" (Yes)
  Click(2, 2);                      // its own name: removed, the names below move up
  EXPECT_EQ(Column(2), "Natural gamma|Resistivity 16in normal|Resistivity 64in normal||||");

  Show("Resistivity 16in normal");
  Click(4, 3);  // an empty cell of Track 3: the channel spans Track 2 and 3
  EXPECT_EQ(Column(3), "|Resistivity 16in normal|||||");
  EXPECT_EQ(page_->Grid().TextAt(2, 2), "Resistivity 16in normal");
  EXPECT_TRUE(page_->OnKillActive());
  Commit();

  EXPECT_EQ(Layout(1, "HEADER"), "TRUE");
  EXPECT_EQ(Layout(1, "HEADERLINE"), "0");
  EXPECT_EQ(Layout(1, "COLUMNSTART"), Track(2));
  EXPECT_EQ(Layout(2, "HEADER"), "FALSE");
  EXPECT_EQ(Layout(3, "HEADERLINE"), "1");
  EXPECT_EQ(Layout(3, "COLUMNSTART"), Track(2));
  EXPECT_EQ(Layout(3, "COLUMNEND"), Track(3));
}

TEST_F(LayoutTest, TracksAreFoundByTheirOrderWhateverTheirKeys) {
  // Track 3 of the sonde got a key far from its other tracks' keys.
  const std::string old = Track(3);
  Sql("UPDATE COLUMNS SET COLUMN = 900 WHERE COLUMN = " + old);
  Sql("UPDATE CHANNELCOLUMN SET COLUMNSTART = 900, COLUMNEND = 900 WHERE COLUMNSTART = " + old);
  Open("KSTQ");
  Click(1, 3);  // "Natural gamma" into Track 3
  EXPECT_TRUE(page_->OnKillActive());
  Commit();
  EXPECT_EQ(Layout(1, "COLUMNSTART"), "900");
  EXPECT_EQ(Layout(1, "COLUMNEND"), "900");
}

TEST_F(LayoutTest, StyleColourAndGridAreStoredAndNoLeavesThemUnsaved) {
  curveview::SetDialogRunner([](QDialog& d) {
    static_cast<QColorDialog&>(d).setCurrentColor(QColor(0, 0, 255));
    d.setResult(QDialog::Accepted);
    return int(QDialog::Accepted);
  });
  Open("KSTQ");
  Show("Single point resistance");
  page_->StyleList()->setCurrentRow(3);
  page_->OnCurveColor();
  EXPECT_EQ(page_->CurveSwatch()->palette().color(QPalette::Window), QColor(0, 0, 255));
  page_->ShowGridBox()->click();  // the grid was on: now off, its controls hide
  EXPECT_TRUE(page_->GridColorButton()->isHidden());
  Show("Natural gamma");  // saves with Yes
  Click(1, 0);            // placed in Track 1 ...
  answer_ = qv::IDNO;
  Show("Resistivity 64in normal");                         // ... but not saved
  EXPECT_EQ(page_->Grid().TextAt(1, 0), "Natural gamma");  // the grid still shows it
  answer_ = qv::IDYES;
  EXPECT_TRUE(page_->OnKillActive());
  Commit();
  EXPECT_EQ(Layout(2, "LINESTYLE"), "3");
  EXPECT_EQ(Layout(2, "LINECOLOUR"), std::to_string(0xFF0000));
  EXPECT_EQ(Value("SELECT * FROM COLUMNS WHERE COLUMN = " + Track(2), "RASTER"), "FALSE");
  EXPECT_EQ(Layout(1, "HEADER"), "FALSE");
}

TEST_F(LayoutTest, SondeWithoutChannelsCanBeSavedWithOk) {
  Sql("INSERT INTO SONDE (Name, Abbreviation, SerialNumber, Voltage) VALUES ('Empty', 'EMPT', '1', 10)");
  Open("EMPT");
  EXPECT_EQ(page_->Assignments().size(), 0u);
  ASSERT_TRUE(open_->sheet->SetActivePage(1));
  open_->sheet->PowerPage()->VoltageEdit()->setText("20");
  ASSERT_TRUE(open_->sheet->SetActivePage(3));
  EXPECT_TRUE(open_->sheet->OnOK());
  Commit();
  EXPECT_EQ(Value("SELECT * FROM SONDE WHERE Abbreviation = 'EMPT'", "Voltage"), "20");
}

TEST_F(LayoutTest, ClicksThatOnlyBeep) {
  Open("KSTQ");
  Show("Single point resistance");
  Click(3, 2);  // its own column, another channel's line: beep, back to its own cell
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(page_->Grid().Row(), 1);
  Click(1, 0);  // assigned in Track 2: Track 1 is foreign
  EXPECT_EQ(beeps_, 2);
  page_->Tree()->setCurrentItem(page_->Tree()->topLevelItem(0));  // the root: no channel
  Click(5, 0);
  EXPECT_EQ(beeps_, 3);
  EXPECT_TRUE(page_->OnKillActive());  // nothing to store: the page can be left
  Commit();

  beeps_ = 0;
  Open("BTVS");  // a televiewer: every click beeps, the grid has no Track 3
  EXPECT_EQ(page_->Grid().Cols(), 3);
  Click(3, 0);
  Click(3, 2);
  EXPECT_EQ(beeps_, 2);
  EXPECT_TRUE(page_->ShowGridBox()->isHidden());
  Commit();

  beeps_ = 0;
  Open("FWSS");  // a full-wave sonic waveform channel never goes into Track 1
  Show("Waveform far");
  Click(1, 0);
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(page_->Grid().TextAt(1, 0), "");
  Commit();
}

}  // namespace
