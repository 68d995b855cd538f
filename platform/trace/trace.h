// The one debug-trace function. Off unless switched on, by SetTraceEnabled or
// the environment variable QUORVANTA_TRACE (any non-empty value but "0").
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

namespace qv {

void SetTraceEnabled(bool on);
bool TraceEnabled();
// printf-style; one line per call, prefixed with the thread and a time stamp.
void Trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Tests capture trace lines with a sink; null restores stderr.
void SetTraceSink(std::function<void(const std::string&)> sink);

}  // namespace qv
