#include "cnum.h"

#include <locale.h>

#include <cerrno>
#include <climits>
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

}  // namespace qv
