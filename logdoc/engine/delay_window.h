// The delay window through which the log documents align their channels in
// depth: rows of per-channel doubles; a value is written at row 51 plus its
// lag, read (or filtered) around row 25, and the rows rotate by one per record,
// so a value written at row r comes out r - 25 records later.
#pragma once

#include <vector>

namespace qv {

class DelayWindow {
 public:
  static constexpr int kEntryRow = 51;
  static constexpr int kOutputRow = 25;

  // rows below kEntryRow + 1 are raised to it, so the entry row always exists.
  DelayWindow(int rows, int columns);

  int Rows() const { return rows_; }
  int Columns() const { return columns_; }

  // Writes value at row, column; a row or column outside the window writes
  // nothing (the column then reads 0 when that row comes out).
  void Write(int row, int column, double value) {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return;
    Row(row)[column] = value;
  }
  // The value of a column leaving the window: the value at the output row, or
  // the window statistic of filterType over filterWidth rows around it when the
  // type is not 0 and the width above 1 (widths above 51 are clamped).
  double Output(int column, int filterType, int filterWidth) const {
    if (column < 0 || column >= columns_) return 0.0;
    if (filterType != 0 && filterWidth > 1) return Filtered(column, filterType, filterWidth);
    return Row(kOutputRow)[column];
  }
  double At(int row, int column) const { return Row(row)[column]; }

  // Row 0 is cleared and becomes the last row; every other row moves up one.
  void Rotate();
  // Every value 0.
  void Clear();

 private:
  double* Row(int row) const { return pointers_[base_ + row]; }
  double Filtered(int column, int filterType, int filterWidth) const;

  int rows_;
  int columns_;
  std::vector<double> storage_;
  // Row pointers twice over, so that the rows from base_ on are the window's
  // rows in order without moving any of them on rotation.
  std::vector<double*> pointers_;
  int base_ = 0;
};

}  // namespace qv
