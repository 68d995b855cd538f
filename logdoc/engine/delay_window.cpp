#include "logdoc/engine/delay_window.h"

#include <algorithm>

#include "app/core/statistics/statistics.h"

namespace qv {

DelayWindow::DelayWindow(int rows, int columns)
    : rows_(std::max(rows, kEntryRow + 1)),
      columns_(std::max(columns, 1)),
      storage_(static_cast<std::size_t>(rows_) * columns_, 0.0),
      pointers_(2 * static_cast<std::size_t>(rows_)) {
  for (int i = 0; i < 2 * rows_; ++i) pointers_[i] = &storage_[static_cast<std::size_t>(i % rows_) * columns_];
}

double DelayWindow::Filtered(int column, int filterType, int filterWidth) const {
  return WindowStatisticColumn(filterType, filterWidth, &pointers_[base_], kOutputRow, column);
}

void DelayWindow::Rotate() {
  std::fill_n(Row(0), columns_, 0.0);
  base_ = base_ + 1 == rows_ ? 0 : base_ + 1;
}

void DelayWindow::Clear() {
  std::fill(storage_.begin(), storage_.end(), 0.0);
}

}  // namespace qv
