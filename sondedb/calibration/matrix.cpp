#include "sondedb/calibration/matrix.h"

#include <cmath>
#include <utility>

namespace qv {

matrixT::matrixT(unsigned rows, unsigned columns)
    : rows_(rows), columns_(columns), rowData_(rows, std::vector<double>(columns, 0.0)) {}

void matrixT::resize(unsigned rows, unsigned columns) {
  rowData_.resize(rows);
  for (auto& r : rowData_) r.resize(columns, 0.0);
  rows_ = rows;
  columns_ = columns;
}

void matrixT::identity() {
  const unsigned n = rows_ < columns_ ? rows_ : columns_;
  resize(n, n);
  for (unsigned i = 0; i < n; ++i)
    for (unsigned j = 0; j < n; ++j) rowData_[i][j] = i == j ? 1.0 : 0.0;
}

double& matrixT::operator()(unsigned row, unsigned column) {
  if (row >= rows_ || column >= columns_) {
    error("matrixT::operator(): Index out of range!");
    scratch_ = 0;
    return scratch_;
  }
  return rowData_[row][column];
}

double matrixT::operator()(unsigned row, unsigned column) const {
  if (row >= rows_ || column >= columns_) return 0;
  return rowData_[row][column];
}

void matrixT::error(const char* message) {
  if (error_.empty()) error_ = message;
}

matrixT operator*(const matrixT& left, const matrixT& right) {
  matrixT out(left.rows_, right.columns_);
  if (left.columns_ != right.rows_) {
    out.error("matrixT::operator*: Inconsistent matrix size in multiplication!");
    return out;
  }
  if (left.Failed()) out.error(left.error_.c_str());
  if (right.Failed()) out.error(right.error_.c_str());
  for (unsigned i = 0; i < left.rows_; ++i)
    for (unsigned j = 0; j < right.columns_; ++j) {
      double sum = 0;
      for (unsigned k = 0; k < left.columns_; ++k) sum += left.rowData_[i][k] * right.rowData_[k][j];
      out.rowData_[i][j] = sum;
    }
  return out;
}

int matrixT::pivot(unsigned s) {
  double best = -1.0;
  unsigned bestRow = s;
  for (unsigned i = s; i < rows_; ++i) {
    const double v = std::fabs(rowData_[i][s]);
    if (v > best && v != 0) {
      best = v;
      bestRow = i;
    }
  }
  if (s >= rows_ || rowData_[bestRow][s] == 0) return -1;
  if (bestRow == s) return 0;
  std::swap(rowData_[s], rowData_[bestRow]);
  return static_cast<int>(bestRow);
}

matrixT operator!(matrixT a) {
  matrixT b(a.rows_, a.columns_);
  b.identity();
  if (a.rows_ != a.columns_) {
    b.error("matrixT::operator!: Inversion of a non-square matrix");
    return b;
  }
  const unsigned n = a.rows_;
  for (unsigned s = 0; s < n; ++s) {
    const int p = a.pivot(s);
    if (p < 0) {
      b.error("matrixT::operator!: Inversion of a singular matrix");
      return b;
    }
    if (p != 0) std::swap(b.rowData_[s], b.rowData_[static_cast<unsigned>(p)]);
    const double d = a.rowData_[s][s];
    for (unsigned j = 0; j < n; ++j) {
      a.rowData_[s][j] /= d;
      b.rowData_[s][j] /= d;
    }
    for (unsigned i = 0; i < n; ++i) {
      if (i == s) continue;
      const double f = a.rowData_[i][s];
      for (unsigned j = 0; j < n; ++j) {
        a.rowData_[i][j] -= f * a.rowData_[s][j];
        b.rowData_[i][j] -= f * b.rowData_[s][j];
      }
    }
  }
  return b;
}

}  // namespace qv
