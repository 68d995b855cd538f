// Getting work onto the GUI thread. Only the GUI thread touches widgets: a
// worker posts the call (queued), coalesces frequent updates so that only the
// newest reaches the screen, and waits only where it needs an answer.
#pragma once

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qv {

// True on the thread that runs the application's event loop (or when there is
// no application object, so headless code runs its calls directly).
bool IsGuiThread();

// Queues fn to run on the GUI thread. It is dropped when target has been
// destroyed by then. Without an application object it runs at once.
void PostToGui(const QPointer<QObject>& target, std::function<void()> fn);

namespace detail {
// Shared between the waiting caller and the queued call: the last copy of the
// call to go away without having run answers with the fallback, so a waiter
// is never stranded when the event queue is discarded at exit.
template <class R>
struct CallState {
  std::mutex m;
  std::condition_variable cv;
  std::optional<R> result;
  void Finish(R r) {
    std::lock_guard lk(m);
    if (!result) result = std::move(r);
    cv.notify_all();
  }
};
template <class R>
struct CallGuard {
  CallGuard(std::shared_ptr<CallState<R>> s, R f) : state(std::move(s)), fallback(std::move(f)) {}
  CallGuard(const CallGuard&) = delete;
  CallGuard& operator=(const CallGuard&) = delete;
  ~CallGuard() { state->Finish(fallback); }
  std::shared_ptr<CallState<R>> state;
  R fallback;
};
void PostCall(std::function<void()> fn);
}  // namespace detail

// Runs fn on the GUI thread and returns its result; the caller waits. On the
// GUI thread itself it runs directly. When the call can no longer run (the
// application is going away) the caller gets fallback.
template <class R>
R CallOnGui(std::function<R()> fn, R fallback) {
  if (IsGuiThread()) return fn();
  auto state = std::make_shared<detail::CallState<R>>();
  auto guard = std::make_shared<detail::CallGuard<R>>(state, fallback);
  detail::PostCall([guard, fn = std::move(fn)] { guard->state->Finish(fn()); });
  guard.reset();
  std::unique_lock lk(state->m);
  state->cv.wait(lk, [&] { return state->result.has_value(); });
  return *state->result;
}

// Coalesces frequent updates from any thread: only the newest pending call
// runs, at most one is queued at a time. Copies share the same queue slot.
class CoalescedPost {
public:
  explicit CoalescedPost(QObject* target);
  void Post(std::function<void()> fn);

private:
  struct State {
    std::mutex m;
    std::function<void()> pending;
    bool queued = false;
    QPointer<QObject> target;
  };
  std::shared_ptr<State> state_;
};

}  // namespace qv
