// A small dense matrix of doubles with a product and a Gauss-Jordan inverse
// (partial pivoting), enough for the calibration fit.
#pragma once

#include <string>
#include <vector>

namespace qv {

class matrixT {
 public:
  matrixT(unsigned rows = 0, unsigned columns = 0);

  unsigned Rows() const { return rows_; }
  unsigned Columns() const { return columns_; }

  // Keeps the overlapping block; new elements are 0.
  void resize(unsigned rows, unsigned columns);
  // Square of the smaller size, set to the unit matrix.
  void identity();

  // An index outside the matrix goes to the error hook and reaches a scratch
  // element, never memory outside the matrix.
  double& operator()(unsigned row, unsigned column);
  double operator()(unsigned row, unsigned column) const;

  friend matrixT operator*(const matrixT& left, const matrixT& right);
  // The inverse; a non-square or singular matrix goes to the error hook of
  // the result and leaves it unusable (Failed()).
  friend matrixT operator!(matrixT m);

  // The partial-pivot search for column s: -1 when the column is 0 from row s
  // down, 0 when row s holds the largest magnitude (the first of equals wins),
  // else the row swapped with s.
  int pivot(unsigned s);

  // The error hook of every operation: remembers the first message.
  void error(const char* message);
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }

 private:
  unsigned rows_ = 0;
  unsigned columns_ = 0;
  std::vector<std::vector<double>> rowData_;
  mutable double scratch_ = 0;
  std::string error_;
};

}  // namespace qv
