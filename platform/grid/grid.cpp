#include "platform/grid/grid.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace qv {

class Grid::KeyFilter : public QObject {
 public:
  explicit KeyFilter(Grid* grid) : QObject(grid->table_), grid_(grid) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !grid_->key_) return false;
    const QString text = static_cast<QKeyEvent*>(e)->text();
    if (text.isEmpty()) return false;
    grid_->key_(static_cast<char16_t>(text.at(0).unicode()));
    return true;
  }

 private:
  Grid* grid_;
};

Grid::Grid(QTableWidget* table) : table_(table) {
  table_->horizontalHeader()->hide();
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  table_->installEventFilter(new KeyFilter(this));
  QObject::connect(table_, &QTableWidget::cellClicked, table_, [this](int row, int col) {
    row_ = row;
    col_ = col;
    if (click_) click_(row, col);
  });
}

void Grid::SetRows(int rows) {
  table_->setRowCount(rows < 0 ? 0 : rows);
  if (row_ >= Rows()) row_ = Rows() > 0 ? Rows() - 1 : 0;
}

void Grid::SetCols(int cols) {
  table_->setColumnCount(cols < 0 ? 0 : cols);
  if (col_ >= Cols()) col_ = Cols() > 0 ? Cols() - 1 : 0;
  for (int r = 0; r < fixedRows_; ++r) ApplyFixed(r);
}

void Grid::SetFixedRows(int rows) {
  if (rows < 0 || rows > Rows()) return;
  fixedRows_ = rows;
  for (int r = 0; r < Rows(); ++r) ApplyFixed(r);
}

void Grid::ApplyFixed(int row) {
  const bool fixed = row < fixedRows_;
  for (int c = 0; c < Cols(); ++c) {
    QTableWidgetItem* item = Item(row, c);
    if (!item) continue;
    item->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setBackground(fixed ? table_->palette().button() : QBrush());
  }
}

void Grid::SetRow(int row) {
  if (row >= 0 && row < Rows()) row_ = row;
}

void Grid::SetCol(int col) {
  if (col >= 0 && col < Cols()) col_ = col;
}

QTableWidgetItem* Grid::Item(int row, int col) {
  if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) return nullptr;
  QTableWidgetItem* item = table_->item(row, col);
  if (!item) {
    item = new QTableWidgetItem;
    table_->setItem(row, col, item);
    if (row < fixedRows_) {
      item->setFlags(Qt::ItemIsEnabled);
      item->setBackground(table_->palette().button());
    }
  }
  return item;
}

std::string Grid::TextAt(int row, int col) const {
  const QTableWidgetItem* item = row >= 0 && col >= 0 ? table_->item(row, col) : nullptr;
  return item ? item->text().toStdString() : std::string();
}

void Grid::SetTextAt(int row, int col, const std::string& text) {
  QTableWidgetItem* item = Item(row, col);
  if (!item) return;
  item->setText(QString::fromStdString(text));
  QFont f = table_->font();
  f.setBold(bold_);
  item->setFont(f);
}

int Grid::SelStartRow() const {
  const auto ranges = table_->selectedRanges();
  return ranges.isEmpty() ? row_ : ranges.first().topRow();
}

int Grid::SelEndRow() const {
  const auto ranges = table_->selectedRanges();
  return ranges.isEmpty() ? row_ : ranges.first().bottomRow();
}

void Grid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= Cols() || twips < 0) return;
  table_->setColumnWidth(col, twips * table_->logicalDpiX() / 1440);
}

int Grid::ColWidth(int col) const {
  return table_->columnWidth(col) * 1440 / table_->logicalDpiX();
}

void Grid::RemoveItem(int row) {
  if (row < 0 || row >= Rows()) return;
  table_->removeRow(row);
  if (row < fixedRows_) --fixedRows_;
  if (row_ >= Rows()) row_ = Rows() > 0 ? Rows() - 1 : 0;
}

void Grid::Refresh() {
  table_->viewport()->update();
}

void Grid::SetFont(const QFont& font) {
  table_->setFont(font);
}

}  // namespace qv
