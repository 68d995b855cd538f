// Getting work onto the GUI thread. Only the GUI thread touches widgets: a
// worker posts the call (queued), coalesces frequent updates so that only the
// newest reaches the screen, and waits only where it needs an answer.
#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/sync/sync.h"

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
// is never stranded when the event queue is discarded at exit. A caller that
// stopped waiting withdraws the call.
template <class R>
struct CallState {
  std::mutex m;
  std::condition_variable cv;
  std::optional<R> result;
  bool withdrawn = false;
  void Finish(R r) {
    std::lock_guard lk(m);
    if (!result) result = std::move(r);
    cv.notify_all();
  }
  bool Withdrawn() {
    std::lock_guard lk(m);
    return withdrawn;
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
// How often a waiting caller looks whether the GUI thread has begun to wait
// for workers.
inline constexpr std::chrono::milliseconds kCallPoll{20};
void TraceWithdrawnCall();
}  // namespace detail

// What becomes of a call whose caller stopped waiting for it.
enum class Withdrawn {
  Drop,  // it does not run (its answer was the point)
  Run    // it still runs when the GUI thread gets to it (it tells the user something)
};

// Runs fn on the GUI thread and returns its result; the caller waits. On the
// GUI thread itself it runs directly. When the call can no longer run (the
// application is going away) the caller gets fallback. The caller never
// waits while the GUI thread waits for workers, nor on a thread that the GUI
// thread may wait for at any moment (qv::GuiWaitsForWorkers): it gets the
// fallback at once, and the call is dropped or still runs by WITHDRAWN.
template <class R>
R CallOnGui(std::function<R()> fn, R fallback, Withdrawn withdrawn = Withdrawn::Drop) {
  if (IsGuiThread()) return fn();
  auto state = std::make_shared<detail::CallState<R>>();
  auto guard = std::make_shared<detail::CallGuard<R>>(state, fallback);
  detail::PostCall([guard, fn = std::move(fn), withdrawn] {
    if (withdrawn == Withdrawn::Drop && guard->state->Withdrawn()) return;
    guard->state->Finish(fn());
  });
  guard.reset();
  std::unique_lock lk(state->m);
  while (!state->result) {
    if (GuiWaitsForWorkers()) {
      state->withdrawn = true;
      lk.unlock();
      detail::TraceWithdrawnCall();
      return fallback;
    }
    state->cv.wait_for(lk, detail::kCallPoll);
  }
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
