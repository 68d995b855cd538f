#include "curveview/model/cformat.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace curveview {

std::string FormatC(const char* format, ...) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = uselocale(c);
  char buf[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  uselocale(previous);
  return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

}  // namespace curveview
