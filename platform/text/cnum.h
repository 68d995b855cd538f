// Numbers as text in the C locale, whatever locale the user runs under: a
// decimal comma must never reach a file, and files written with a point must
// read back the same under a German or French desktop.
#pragma once

#include <cstdarg>
#include <string>

namespace qv {

// printf in the C locale.
std::string FormatC(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string VFormatC(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));
// atoi in the C locale: leading blanks, sign, leading digits; 0 when there are
// none. Values beyond the int range are clamped rather than left undefined.
int AtoiC(const char* s);
// atol: the same with a long result.
long AtolC(const char* s);
// atof / strtod in the C locale; 0 for null or no number.
double AtofC(const char* s);
double StrtodC(const char* s, char** end);

// Appends VALUE as printf's "%WIDTH.PRECISIONf" would write it in the C
// locale (the same digits, rounding and padding, "-0.00" included), without
// going through printf: the rows of an export format millions of values.
// PRECISION is 0..6; a non-finite value is written as printf writes it.
void AppendFixedC(std::string& out, double value, int width, int precision);

}  // namespace qv
