#include "app/core/scrolling_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Scrolls both ways by many amounts, the origin going round the buffer many
// times, and checks every row against an image moved row by row; the rows a
// scroll brings in are written as the callers do.
TEST(ScrollingRows, ReadsAsAnImageMovedRowByRow) {
  constexpr int kRows = 7;
  constexpr std::size_t kStride = 3;
  for (const bool down : {true, false}) {
    SCOPED_TRACE(down ? "down" : "up");
    qv::ScrollingRows image(kRows, kStride, 9);
    std::vector<std::uint8_t> model(kRows * kStride, 9);
    std::uint8_t next = 0;
    for (int step = 0; step < 200; ++step) {
      const int n = step % 9;  // 0, within the image, the whole image and beyond
      const int s = std::min(n, kRows);
      if (s > 0 && s < kRows) {
        if (down)
          std::memmove(model.data() + s * kStride, model.data(), (kRows - s) * kStride);
        else
          std::memmove(model.data(), model.data() + s * kStride, (kRows - s) * kStride);
      }
      down ? image.ScrollDown(n) : image.ScrollUp(n);
      const int first = down ? 0 : kRows - s;
      for (int r = first; r < first + s; ++r)
        for (std::size_t k = 0; k < kStride; ++k) {
          model[r * kStride + k] = next;
          image.Data()[r * kStride + k] = next;
          ++next;
        }
      ASSERT_EQ(std::memcmp(image.Data(), model.data(), model.size()), 0) << "step " << step;
    }
  }
}

}  // namespace
