#include "msgbox.h"

#include <cstdio>
#include <mutex>

namespace qv {
namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
std::function<void(unsigned)> g_beep;
}  // namespace

int DefaultAnswer(unsigned flags) {
  static const int first[] = {IDOK, IDOK, IDABORT, IDYES, IDYES, IDRETRY};
  static const int second[] = {IDOK, IDCANCEL, IDRETRY, IDNO, IDNO, IDCANCEL};
  static const int third[] = {IDOK, IDCANCEL, IDIGNORE, IDCANCEL, IDNO, IDCANCEL};
  const unsigned kind = flags & 0xF;
  if (kind > 5) return IDOK;
  if (flags & MB_DEFBUTTON3) return third[kind];
  if (flags & MB_DEFBUTTON2) return second[kind];
  return first[kind];
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  MessageBoxHandler h;
  {
    std::lock_guard lk(g_mutex);
    h = g_handler;
  }
  if (h) return h({text, caption, flags});
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  return DefaultAnswer(flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lk(g_mutex);
  std::swap(g_handler, handler);
  return handler;
}

void Beep(unsigned type) {
  std::function<void(unsigned)> b;
  {
    std::lock_guard lk(g_mutex);
    b = g_beep;
  }
  if (b) b(type);
}

std::function<void(unsigned)> SetBeepHandler(std::function<void(unsigned)> handler) {
  std::lock_guard lk(g_mutex);
  std::swap(g_beep, handler);
  return handler;
}

}  // namespace qv
