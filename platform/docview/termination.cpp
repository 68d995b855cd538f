#include "platform/docview/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>

#include "platform/trace/trace.h"

namespace qv {
namespace {

int g_pipe[2] = {-1, -1};
bool g_requested = false;

// Only async-signal-safe work here: one byte into the pipe.
void OnSignal(int signo) {
  const int saved = errno;
  const char b = static_cast<char>(signo);
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &b, 1);
  errno = saved;
}

}  // namespace

bool TerminationRequested() {
  return g_requested;
}

void HandleTerminationSignals(std::function<void()> onSignal) {
  if (g_pipe[0] >= 0) return;
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    Trace("termination signals: no pipe (errno %d); they end the program at once", errno);
    return;
  }
  if (!onSignal) onSignal = [] { QCoreApplication::exit(0); };
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, onSignal] {
    char buffer[16];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    // Later signals only wake the notifier again; the first one ends the run.
    notifier->setEnabled(false);
    g_requested = true;
    onSignal();
  });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(s, &sa, nullptr);
}

}  // namespace qv
