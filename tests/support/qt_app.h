// The one QApplication of a GUI test program, made on first use (tests run
// on the offscreen platform).
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

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

// The mnemonic of a text ("&File" gives 'f', "&&" is a plain '&'); null
// without one.
inline QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i)
    if (text[i] == QLatin1Char('&')) {
      if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
      ++i;
    }
  return {};
}

// The texts that share a mnemonic with another in the same place: among the
// actions of one menu (the menu bar's menus, their submenus), or among the
// buttons of one window. Hidden buttons count too: a dialog shows some by
// turns.
inline QStringList ClashingMnemonics(QWidget* window) {
  QStringList clashes;
  auto note = [&clashes](std::map<QChar, QString>& seen, const QString& text) {
    const QChar key = Mnemonic(text);
    if (key.isNull()) return;
    const auto [at, added] = seen.emplace(key, text);
    if (!added) clashes << at->second + QStringLiteral(" / ") + text;
  };
  std::function<void(QWidget*)> menu = [&](QWidget* m) {
    std::map<QChar, QString> seen;
    for (QAction* a : m->actions()) {
      if (a->isSeparator()) continue;
      note(seen, a->text());
      if (a->menu()) menu(a->menu());
    }
  };
  for (QWidget* w : window->findChildren<QWidget*>())
    if (w->inherits("QMenuBar")) menu(w);
  std::map<QChar, QString> buttons;
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->window() == window) note(buttons, b->text());
  return clashes;
}

}  // namespace qvtest
