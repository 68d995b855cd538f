// The one QApplication of a GUI test program, made on first use (tests run
// on the offscreen platform).
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace qvtest {

inline QApplication* App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

// Runs queued calls and deferred deletions.
inline void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// Runs the event loop until DONE holds; false after ten seconds without.
template <typename Pred>
bool SpinUntil(Pred done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace qvtest
