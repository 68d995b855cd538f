#include "msgbox.h"

#include <cstdio>
#include <mutex>

#include "strings.h"

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

namespace {
int Show(const MessageBoxRequest& r) {
  MessageBoxHandler h;
  {
    std::lock_guard lk(g_mutex);
    h = g_handler;
  }
  if (h) return h(r);
  std::fprintf(stderr, "[%s] %s\n", r.caption.c_str(), r.text.c_str());
  return DefaultAnswer(r.flags);
}
}  // namespace

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return Show({text, caption, flags, 0});
}

int ShowMessageText(unsigned id, const std::string& text, unsigned flags, const std::string& caption) {
  return Show({text, caption, flags, id});
}

int ShowMessageId(unsigned id, unsigned flags, const std::string& caption) {
  return ShowMessageText(id, LoadString(id), flags, caption);
}

MessageRecorder::MessageRecorder() : MessageRecorder(std::vector<int>{}) {}

MessageRecorder::MessageRecorder(std::vector<int> answers) : answers_(answers.begin(), answers.end()) {
  previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
    std::lock_guard lk(mutex_);
    shown_.push_back(r);
    if (answers_.empty()) return DefaultAnswer(r.flags);
    const int a = answers_.front();
    answers_.pop_front();
    return a;
  });
}

MessageRecorder::~MessageRecorder() { SetMessageBoxHandler(previous_); }

std::vector<MessageBoxRequest> MessageRecorder::Shown() const {
  std::lock_guard lk(mutex_);
  return shown_;
}

std::vector<unsigned> MessageRecorder::Ids() const {
  std::lock_guard lk(mutex_);
  std::vector<unsigned> ids;
  for (const auto& r : shown_) ids.push_back(r.id);
  return ids;
}

void MessageRecorder::Clear() {
  std::lock_guard lk(mutex_);
  shown_.clear();
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
