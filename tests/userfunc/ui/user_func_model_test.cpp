// The widget-free parts of the user-function tool: output records fitted to
// the number of outputs, new names, the selection page's leave check, the
// filter entry an output edits, and the track-alignment clicks.
#include "userfunc/ui/user_func_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/strings.h"

namespace {

CurveArray Outputs(int n, bool sonic = false) {
  CurveArray curves;
  qv::FitOutputRecords(&curves, n, sonic);
  return curves;
}

std::vector<int> Channels(const CurveArray& c) {
  std::vector<int> v;
  for (const auto& r : c) v.push_back(r->physicalChannel);
  return v;
}

TEST(UserFuncOutputs, SixDefaultOutputsLieInTracks0_2_3AndTwoLegendRows) {
  const CurveArray c = Outputs(6);
  std::vector<int> tracks, rows;
  for (const auto& r : c) {
    tracks.push_back(r->firstTrack);
    rows.push_back(r->headerLine);
    EXPECT_EQ(r->firstTrack, r->lastTrack);
    EXPECT_EQ(r->lineColour, 0x00FF0000u);
    EXPECT_EQ(r->unit, "CPS");
  }
  EXPECT_EQ(tracks, (std::vector<int>{0, 2, 3, 0, 2, 3}));
  EXPECT_EQ(rows, (std::vector<int>{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(Channels(c), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  // The titles carry the output's index from 0.
  EXPECT_EQ(c[0]->description, "Output Channel 0");
  EXPECT_EQ(c[0]->shortTitle, "OUT0");
  EXPECT_EQ(c[5]->description, "Output Channel 5");
}

// The names are stored in the function's files: they stay the table's texts
// whatever the display language.
TEST(UserFuncOutputs, NewNamesKeepTheTableTextsUnderAnotherLanguage) {
  qv::SetStringTranslator([](unsigned, const char* text) { return std::string(qv::kTranslatedMark) + "JA " + text; });
  const CurveArray c = Outputs(2);
  qv::SetStringTranslator(nullptr);
  EXPECT_EQ(c[1]->description, "Output Channel 1");
  EXPECT_EQ(c[1]->shortTitle, "OUT1");
  EXPECT_EQ(c[1]->unit, "CPS");
}

TEST(UserFuncOutputs, EightToFiveAndFiveToEight) {
  CurveArray c = Outputs(8);
  c[1]->description = "kept";
  qv::FitOutputRecords(&c, 5, false);
  EXPECT_EQ(Channels(c), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(c[1]->description, "kept");
  qv::FitOutputRecords(&c, 8, false);
  EXPECT_EQ(Channels(c), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(c[1]->description, "kept");
  EXPECT_EQ(c[5]->description, "Output Channel 5");
  EXPECT_EQ(c[7]->firstTrack, 2);
}

TEST(UserFuncOutputs, SonicOutputsGoToTrack0AndTheSondesOwnChannelsStay) {
  CurveArray c;
  auto own = std::make_unique<CurveRecord>();
  own->physicalChannel = 14;
  c.push_back(std::move(own));
  qv::FitOutputRecords(&c, 3, true);
  EXPECT_EQ(Channels(c), (std::vector<int>{14, 1, 2, 3}));
  for (size_t i = 1; i < c.size(); ++i) EXPECT_EQ(c[i]->firstTrack, 0);
  qv::FitOutputRecords(&c, 1, true);
  EXPECT_EQ(Channels(c), (std::vector<int>{14, 1}));
}

// Twelve outputs of a sonic function have six cells in track 0: the first
// six take one each, the rest start hidden; none claims a cell twice or a
// row past the grid, and the grid shows each visible output once.
TEST(UserFuncOutputs, TwelveSonicOutputsEachGetACellOrStartHidden) {
  CurveArray c = Outputs(12, true);
  std::vector<int> lines, visible;
  for (const auto& r : c) {
    lines.push_back(r->headerLine);
    visible.push_back(r->headerFlag);
    EXPECT_EQ(r->firstTrack, 0);
  }
  EXPECT_EQ(visible, (std::vector<int>{1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<int>(lines.begin(), lines.begin() + 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  std::vector<CurveRecord> entries;
  for (const auto& r : c) entries.push_back(*r);
  qv::TrackLayout layout;
  layout.Fill(entries);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(entries[static_cast<size_t>(i)].headerLine, lines[static_cast<size_t>(i)]) << i;
  // Twelve outputs of any other sonde fit the three tracks as before.
  c = Outputs(12, false);
  for (const auto& r : c) EXPECT_EQ(r->headerFlag, 1);
  EXPECT_EQ(c[11]->headerLine, 3);
}

// An output that finds no free row when the grid is filled is hidden, not
// left claiming a cell past the grid.
TEST(UserFuncOutputs, AnOutputWithoutRoomInTheGridIsHidden) {
  std::vector<CurveRecord> entries(7);
  for (auto& e : entries) {
    e.description = "Output " + std::to_string(&e - entries.data());
    e.headerFlag = 1;
    e.firstTrack = e.lastTrack = 0;
    e.headerLine = 0;
  }
  qv::TrackLayout layout;
  layout.Fill(entries);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(entries[static_cast<size_t>(i)].headerLine, i);
  EXPECT_EQ(entries[6].headerFlag, 0);
}

TEST(UserFuncNames, NewNameCountsUpPastTakenNames) {
  EXPECT_EQ(qv::NewFunctionName("KSTQ", {}), "KSTQ UserFunction");
  EXPECT_EQ(qv::NewFunctionName("KSTQ", {"KSTQ UserFunction"}), "KSTQ UserFunction1");
  EXPECT_EQ(qv::NewFunctionName("KSTQ", {"KSTQ UserFunction", "KSTQ UserFunction1"}), "KSTQ UserFunction2");
}

TEST(UserFuncLeave, OutputCountTable) {
  struct Case {
    const char* name;
    const char* outputs;
    qv::SelectionLeave expected;
    int value;
  };
  const Case cases[] = {
      {"", "99", qv::SelectionLeave::Unchecked, -1}, {"f", "1", qv::SelectionLeave::Valid, 1},
      {"f", "12", qv::SelectionLeave::Valid, 12},    {"f", " 6 ", qv::SelectionLeave::Valid, 6},
      {"f", "0", qv::SelectionLeave::Invalid, -1},   {"f", "13", qv::SelectionLeave::Invalid, -1},
      {"f", "", qv::SelectionLeave::Invalid, -1},    {"f", "6x", qv::SelectionLeave::Invalid, -1},
      {"f", "-3", qv::SelectionLeave::Invalid, -1},  {"f", "99999999999", qv::SelectionLeave::Invalid, -1},
  };
  for (const Case& c : cases) {
    int value = -1;
    EXPECT_EQ(qv::CheckSelectionLeave(c.name, c.outputs, &value), c.expected) << c.name << "/" << c.outputs;
    EXPECT_EQ(value, c.value) << c.outputs;
  }
}

TEST(UserFuncFilters, StrengthWidthsAndEntriesWithoutAFilter) {
  UserFunctionFilter table[kUserFunctionFilterTableSize]{};
  CurveRecord out;
  out.physicalChannel = 3;
  qv::StoreFilter(qv::FilterEntryOf(table, out), 2, 25);
  EXPECT_EQ(table[2].FilterType, 2);
  EXPECT_EQ(table[2].FilterWidth, 51);
  // A type the combo does not list keeps the stored one.
  table[2].FilterType = 7;
  qv::StoreFilter(qv::FilterEntryOf(table, out), -1, 0);
  EXPECT_EQ(table[2].FilterType, 7);
  EXPECT_EQ(table[2].FilterWidth, 1);
  // A channel outside the table edits nothing.
  for (int channel : {0, -1, 17, 40}) {
    out.physicalChannel = channel;
    EXPECT_EQ(qv::FilterEntryOf(table, out), nullptr) << channel;
    qv::StoreFilter(qv::FilterEntryOf(table, out), 3, 4);
  }
}

// The layout of six default outputs and the clicks on it.
class TrackLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const CurveArray c = Outputs(6);
    for (const auto& r : c) outputs.push_back(*r);
    layout.Fill(outputs);
  }
  // Selects output I as the page does: its cell is the remembered cell.
  void Select(int i) {
    const CurveRecord& o = outputs[static_cast<size_t>(i)];
    if (o.headerFlag) layout.Remember(o.headerLine + 1, o.firstTrack);
  }
  std::vector<std::string> Column(int c) const {
    std::vector<std::string> v;
    for (int r = 1; r < qv::TrackLayout::kRows; ++r) v.push_back(layout.Cell(r, c));
    return v;
  }
  std::vector<CurveRecord> outputs;
  qv::TrackLayout layout;
};

TEST_F(TrackLayoutTest, DefaultOutputsFillRowsOneAndTwo) {
  EXPECT_EQ(Column(0), (std::vector<std::string>{"Output Channel 0", "Output Channel 3", "", "", "", ""}));
  EXPECT_EQ(Column(1), (std::vector<std::string>(6)));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"Output Channel 1", "Output Channel 4", "", "", "", ""}));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"Output Channel 2", "Output Channel 5", "", "", "", ""}));
}

TEST_F(TrackLayoutTest, RemovingAnOutputMovesTheOnesBelowUp) {
  Select(0);
  ASSERT_TRUE(layout.Click(outputs, 0, 1, 0, false));
  EXPECT_EQ(outputs[0].headerFlag, 0);
  EXPECT_EQ(outputs[0].firstTrack, 0);
  EXPECT_EQ(outputs[3].headerLine, 0);
  EXPECT_EQ(Column(0)[0], "Output Channel 3");
  // Placed again (the first empty row of the column); the layout is filled
  // in output order, so it takes its row back.
  ASSERT_TRUE(layout.Click(outputs, 0, 3, 0, false));
  EXPECT_EQ(outputs[0].headerFlag, 1);
  EXPECT_EQ(outputs[0].headerLine, 0);
  EXPECT_EQ(Column(0)[0], "Output Channel 0");
  EXPECT_EQ(Column(0)[1], "Output Channel 3");
}

TEST_F(TrackLayoutTest, ExtendIntoTrack3ThenRemoveEachHalf) {
  // Output 2 (track 2, row 1) spans into the empty cell of track 3, row 3.
  Select(1);
  ASSERT_TRUE(layout.Click(outputs, 1, 3, 3, false));
  EXPECT_EQ(outputs[1].firstTrack, 2);
  EXPECT_EQ(outputs[1].lastTrack, 3);
  // Filled in output order, it takes row 1 of both columns and pushes
  // output 3 down.
  EXPECT_EQ(outputs[1].headerLine, 0);
  EXPECT_EQ(Column(2)[0], "Output Channel 1");
  EXPECT_EQ(Column(3),
            (std::vector<std::string>{"Output Channel 1", "Output Channel 2", "Output Channel 5", "", "", ""}));
  // Clicking its track-3 cell on its own row removes that half.
  layout.Remember(1, 2);
  ASSERT_TRUE(layout.Click(outputs, 1, 1, 3, false));
  EXPECT_EQ(outputs[1].firstTrack, 2);
  EXPECT_EQ(outputs[1].lastTrack, 2);
  EXPECT_EQ(outputs[1].headerFlag, 1);
  EXPECT_EQ(Column(3), (std::vector<std::string>{"Output Channel 2", "Output Channel 5", "", "", "", ""}));
}

TEST_F(TrackLayoutTest, ClicksTheRulesRefuseChangeNothing) {
  struct Case {
    int selected, row, column;
    bool sonic;
    bool accepted;  // a click on its own column but another row: no beep, no change
  };
  const Case refused[] = {
      {0, 3, 1, false, false},  // depth column
      {0, 1, 2, false, false},  // a visible output clicked onto another's cell
      {0, 3, 2, false, false},  // an output in track 0 cannot span
      {1, 4, 0, false, false},  // track 2 does not extend leftwards into track 0
      {0, 2, 0, false, true},   // its own column, not its own row: not removed
      {0, 3, 2, true, false},   // sonic: only column 0
  };
  for (const Case& c : refused) {
    outputs.clear();
    SetUp();
    Select(c.selected);
    const std::vector<CurveRecord> before = outputs;
    EXPECT_EQ(layout.Click(outputs, c.selected, c.row, c.column, c.sonic), c.accepted) << c.row << "," << c.column;
    for (size_t i = 0; i < outputs.size(); ++i) {
      EXPECT_EQ(outputs[i].headerFlag, before[i].headerFlag);
      EXPECT_EQ(outputs[i].firstTrack, before[i].firstTrack);
      EXPECT_EQ(outputs[i].lastTrack, before[i].lastTrack);
      EXPECT_EQ(outputs[i].headerLine, before[i].headerLine);
    }
  }
}

TEST_F(TrackLayoutTest, HiddenOutputGoesToTheFirstFreeRowAndNotOntoDepth) {
  outputs[4].headerFlag = 0;
  layout.Fill(outputs);
  EXPECT_FALSE(layout.Click(outputs, 4, 2, 1, false));
  EXPECT_FALSE(layout.Click(outputs, 4, 1, 3, false));  // occupied
  ASSERT_TRUE(layout.Click(outputs, 4, 5, 3, false));
  EXPECT_EQ(outputs[4].firstTrack, 3);
  EXPECT_EQ(layout.RememberedRow(), 3);
  // Filled in output order: output 5 comes after it in track 3.
  EXPECT_EQ(outputs[4].headerLine, 1);
  EXPECT_EQ(Column(3),
            (std::vector<std::string>{"Output Channel 2", "Output Channel 4", "Output Channel 5", "", "", ""}));
  EXPECT_EQ(layout.RememberedColumn(), 3);
}

}  // namespace
