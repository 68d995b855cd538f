// The grid as the dialogs drive it: headings in a fixed row, text through the
// current cell, clicks and keys reported with their cell, removal of rows.
#include "platform/grid/grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "tests/support/qt_app.h"

// Font lookups made by the offscreen platform keep fontconfig's caches to
// the end of the process; they are not the grid's.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so";
}

namespace {

TEST(Grid, CurrentCellFixedRowsAndRemoval) {
  qvtest::App();
  QTableWidget table;
  qv::Grid grid(&table);
  grid.SetRows(7);
  grid.SetCols(4);
  grid.SetFixedRows(1);
  grid.SetText("Track 1");  // the current cell starts at (0, 0)
  grid.SetCol(3);
  grid.SetText("Track 3");
  grid.SetCol(9);  // out of range: ignored
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.TextAt(0, 0), "Track 1");
  EXPECT_EQ(grid.Text(), "Track 3");
  EXPECT_FALSE(table.item(0, 0)->flags() & Qt::ItemIsSelectable);
  grid.SetRow(2);
  grid.SetCol(1);
  grid.SetText("GAM");
  EXPECT_TRUE(table.item(2, 1)->flags() & Qt::ItemIsSelectable);
  EXPECT_EQ(grid.TextAt(99, 1), "");
  grid.RemoveItem(1);
  EXPECT_EQ(grid.Rows(), 6);
  EXPECT_EQ(grid.TextAt(1, 1), "GAM");
  grid.SetColWidth(2, 1440);
  EXPECT_NEAR(grid.ColWidth(2), 1440, 1440 / table.logicalDpiX() + 1);
  grid.SetCols(3);
  EXPECT_EQ(grid.Col(), 1);
}

TEST(Grid, ClickMakesTheCellCurrentAndKeysAreReported) {
  qvtest::App();
  QTableWidget table;
  qv::Grid grid(&table);
  grid.SetRows(3);
  grid.SetCols(3);
  int clicked = -1;
  grid.OnClick([&](int row, int col) { clicked = row * 10 + col; });
  char16_t key = 0;
  grid.OnKeyPress([&](char16_t k) { key = k; });
  emit table.cellClicked(2, 1);
  EXPECT_EQ(clicked, 21);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 1);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(&table, &press);
  EXPECT_EQ(key, u'a');
}

}  // namespace
