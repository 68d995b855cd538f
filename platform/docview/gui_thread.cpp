#include "gui_thread.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/sync/sync.h"
#include "platform/trace/trace.h"

namespace qv {

bool IsGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

void PostToGui(const QPointer<QObject>& target, std::function<void()> fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    if (target) fn();
    return;
  }
  QMetaObject::invokeMethod(
      app,
      [target, fn = std::move(fn)] {
        if (target) fn();
      },
      Qt::QueuedConnection);
}

namespace {
// Whoever uses the calls above links this file: from then on a join on the
// GUI thread is known as one (GuiWaitScope).
[[maybe_unused]] const bool g_guiTestInstalled = [] {
  SetGuiThreadTest([] { return QCoreApplication::instance() != nullptr && IsGuiThread(); });
  return true;
}();
}  // namespace

namespace detail {
void TraceWithdrawnCall() {
  Trace("a worker did not wait for the GUI thread, which waits for workers\n");
}

void PostCall(std::function<void()> fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}
}  // namespace detail

CoalescedPost::CoalescedPost(QObject* target) : state_(std::make_shared<State>()) { state_->target = target; }

void CoalescedPost::Post(std::function<void()> fn) {
  QPointer<QObject> target;
  {
    std::lock_guard lk(state_->m);
    state_->pending = std::move(fn);
    if (state_->queued) return;
    state_->queued = true;
    target = state_->target;
  }
  auto st = state_;
  PostToGui(target, [st] {
    std::function<void()> run;
    {
      std::lock_guard lk(st->m);
      run = std::move(st->pending);
      st->pending = nullptr;
      st->queued = false;
    }
    if (run) run();
  });
}

}  // namespace qv
