#include "cnum.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace qv {
namespace {

locale_t CLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Switches the calling thread to the C locale for the life of the object.
class InCLocale {
 public:
  InCLocale() : prev_(uselocale(CLocale())) {}
  ~InCLocale() { uselocale(prev_); }
  InCLocale(const InCLocale&) = delete;
  InCLocale& operator=(const InCLocale&) = delete;

 private:
  locale_t prev_;
};

}  // namespace

std::string VFormatC(const char* fmt, va_list args) {
  if (!fmt) return {};
  InCLocale c;
  char small[256];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

std::string FormatC(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string s = VFormatC(fmt, args);
  va_end(args);
  return s;
}

long AtolC(const char* s) {
  if (!s) return 0;
  errno = 0;
  return strtol_l(s, nullptr, 10, CLocale());  // clamps to LONG_MIN/LONG_MAX on overflow
}

int AtoiC(const char* s) {
  const long v = AtolC(s);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

double StrtodC(const char* s, char** end) {
  if (!s) {
    if (end) *end = nullptr;
    return 0.0;
  }
  return strtod_l(s, end, CLocale());
}

double AtofC(const char* s) {
  return StrtodC(s, nullptr);
}

void AppendFixedC(std::string& out, double value, int width, int precision) {
  static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  const double magnitude = std::fabs(value);
  // The fast path needs the scaled value below 2^52, so that its integer
  // part and the distance to the next half are exact in a double.
  if (precision < 0 || precision > 6 || !(magnitude < 4.0e15 / kScale[precision])) {
    char fmt[32], text[400];
    std::snprintf(fmt, sizeof fmt, "%%%d.%df", std::clamp(width, 0, 99), std::clamp(precision, 0, 99));
    InCLocale c;
    const int n = std::snprintf(text, sizeof text, fmt, value);
    if (n > 0) out.append(text, static_cast<size_t>(std::min<int>(n, static_cast<int>(sizeof text) - 1)));
    return;
  }
  // The exact product magnitude * 10^precision as hi + lo (fma gives the
  // rounding error of the product exactly), then rounded to the nearest
  // integer with ties to even, as printf rounds the exact binary value.
  const double scale = kScale[precision];
  const double hi = magnitude * scale;
  const double lo = std::fma(magnitude, scale, -hi);
  // hi - whole and the subtraction of the half are exact; adding lo (smaller
  // than hi's last place) keeps the sign of the exact difference. An integer
  // hi with a negative lo lies just below it and still rounds up to it.
  const double whole = std::floor(hi);
  const double above = (hi - whole) - 0.5 + lo;
  auto n = static_cast<std::uint64_t>(whole);
  if (above > 0 || (above == 0 && (n & 1) != 0)) ++n;
  char digits[32];
  int len = 0;
  for (int i = 0; i < precision; ++i) {
    digits[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  if (precision > 0) digits[len++] = '.';
  do {
    digits[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  if (std::signbit(value)) digits[len++] = '-';
  for (int pad = width - len; pad > 0; --pad) out += ' ';
  while (len > 0) out += digits[--len];
}

}  // namespace qv
