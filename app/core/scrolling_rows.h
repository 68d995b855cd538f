// An image of fixed-width byte rows that scrolls by moving its origin: the
// buffer holds twice the image's rows and the image is the run of them from
// the origin on, so a scroll by n rows costs nothing until the origin meets
// the buffer's end, and then one copy of the image; over many scrolls each
// row costs one row's copy, whatever the image's height.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qv {

class ScrollingRows {
 public:
  ScrollingRows(int rows, std::size_t stride, std::uint8_t fill)
      : rows_(static_cast<std::size_t>(std::max(rows, 1))),
        stride_(stride),
        buffer_(2 * rows_ * stride, fill),
        origin_(rows_) {}

  int Rows() const { return static_cast<int>(rows_); }
  std::size_t Stride() const { return stride_; }
  // The image's first row; the rows follow it, stride bytes apart.
  std::uint8_t* Data() { return buffer_.data() + origin_ * stride_; }
  const std::uint8_t* Data() const { return buffer_.data() + origin_ * stride_; }
  std::size_t Size() const { return rows_ * stride_; }
  // Every row, and the rows a scroll brings in, this byte.
  void Fill(std::uint8_t value) { std::fill(buffer_.begin(), buffer_.end(), value); }

  // Row i becomes row i + n; rows 0..n-1 hold what the caller must write. A
  // scroll by the image's height or more keeps every row where it is.
  void ScrollDown(int n) {
    if (n <= 0 || static_cast<std::size_t>(n) >= rows_) return;
    const auto s = static_cast<std::size_t>(n);
    if (origin_ >= s) {
      origin_ -= s;
      return;
    }
    std::memmove(buffer_.data() + (rows_ + s) * stride_, Data(), (rows_ - s) * stride_);
    origin_ = rows_;
  }
  // Row i + n becomes row i; the last n rows hold what the caller must write.
  // A scroll by the image's height or more keeps every row where it is.
  void ScrollUp(int n) {
    if (n <= 0 || static_cast<std::size_t>(n) >= rows_) return;
    const auto s = static_cast<std::size_t>(n);
    if (origin_ + s <= rows_) {
      origin_ += s;
      return;
    }
    std::memmove(buffer_.data(), Data() + s * stride_, (rows_ - s) * stride_);
    origin_ = 0;
  }

 private:
  std::size_t rows_;
  std::size_t stride_;
  std::vector<std::uint8_t> buffer_;
  std::size_t origin_;  // the image's first row in buffer_
};

}  // namespace qv
