#include "trace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

#include <time.h>

namespace qv {
namespace {
std::atomic<int> g_enabled{-1};  // -1: not decided yet
std::mutex g_sinkMutex;
std::function<void(const std::string&)> g_sink;
}  // namespace

void SetTraceEnabled(bool on) { g_enabled = on ? 1 : 0; }

bool TraceEnabled() {
  int e = g_enabled.load();
  if (e < 0) {
    const char* v = std::getenv("QUORVANTA_TRACE");
    e = (v && *v && std::strcmp(v, "0") != 0) ? 1 : 0;
    g_enabled = e;
  }
  return e == 1;
}

void Trace(const char* fmt, ...) {
  if (!TraceEnabled()) return;
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  char line[1100];
  std::snprintf(line, sizeof line, "[%6ld.%03ld %6d] %s", static_cast<long>(ts.tv_sec),
                ts.tv_nsec / 1000000, static_cast<int>(gettid()), text);
  std::lock_guard lk(g_sinkMutex);
  if (g_sink)
    g_sink(line);
  else
    std::fprintf(stderr, "%s\n", line);
}

void SetTraceSink(std::function<void(const std::string&)> sink) {
  std::lock_guard lk(g_sinkMutex);
  g_sink = std::move(sink);
}

}  // namespace qv
