// A grid of text cells for dialogs: a fixed number of rows and columns, the
// first rows optionally fixed (headings the user cannot select), one current
// cell that text is read from and written to, column widths in twips, and
// click and key events. A thin layer over QTableWidget, offering only what
// the dialogs use.
#pragma once

#include <QFont>
#include <QTableWidget>
#include <functional>
#include <string>

namespace qv {

class Grid {
 public:
  // Wraps TABLE (not owned); the table's own headers are hidden, the grid
  // draws its headings in its fixed rows.
  explicit Grid(QTableWidget* table);

  QTableWidget* widget() const { return table_; }

  int Rows() const { return table_->rowCount(); }
  void SetRows(int rows);
  int Cols() const { return table_->columnCount(); }
  void SetCols(int cols);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows);

  // The current cell. Out-of-range values are ignored.
  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);

  // The current cell's text.
  std::string Text() const { return TextAt(row_, col_); }
  void SetText(const std::string& text) { SetTextAt(row_, col_, text); }
  // Any cell's text; "" outside the grid.
  std::string TextAt(int row, int col) const;
  void SetTextAt(int row, int col, const std::string& text);

  // The selected rows, first to last (both the current row without a
  // selection).
  int SelStartRow() const;
  int SelEndRow() const;

  // Column width in twips (1440 to the inch of the screen).
  void SetColWidth(int col, int twips);
  int ColWidth(int col) const;

  // Removes a row; the rows below move up.
  void RemoveItem(int row);
  void Refresh();

  QFont Font() const { return table_->font(); }
  void SetFont(const QFont& font);
  // Bold text for the cells written from now on.
  void SetFontBold(bool bold) { bold_ = bold; }

  // A click on a cell (after it became current) and a key typed on the grid.
  void OnClick(std::function<void(int row, int col)> handler) { click_ = std::move(handler); }
  void OnKeyPress(std::function<void(char16_t key)> handler) { key_ = std::move(handler); }

 private:
  class KeyFilter;
  QTableWidgetItem* Item(int row, int col);
  void ApplyFixed(int row);

  QTableWidget* table_;
  int fixedRows_ = 0;
  int row_ = 0, col_ = 0;
  bool bold_ = false;
  std::function<void(int, int)> click_;
  std::function<void(char16_t)> key_;
};

}  // namespace qv
