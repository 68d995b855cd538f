// printf-style formatting in the C locale, whatever locale the program runs
// in: a scale value or depth label never shows a decimal comma.
#pragma once

#include <string>

namespace curveview {

std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace curveview
