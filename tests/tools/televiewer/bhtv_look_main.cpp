// A look at the televiewer view: a simulated log lowered past the well's
// 60-degree fracture, sweeps converted on a thread of their own at a live
// pace and flushed by the display timer, as a live log runs. The View menu
// holds the view's three commands (Ctrl+I invert, Ctrl+A normalise the
// amplitude, Ctrl+T normalise the transit time); the status bar and the
// standard output say what each did.
//   televiewer_look [SWEEPS_PER_SECOND]
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/core/globals.h"
#include "platform/docview/command.h"
#include "tests/tools/televiewer/simulated_sweeps.h"
#include "tools/televiewer/bhtv_view.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int rate = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  QMainWindow window;
  auto* view = new CBHTVView(0, &window);
  std::vector<TrackRecord> tracks(3);
  tracks[0].type = 1;
  std::vector<CurveRecord> curves(2);
  const char* titles[2] = {"Amplitude", "Transit time"};
  for (int c = 0; c < 2; ++c) {
    curves[c].headerFlag = 1;
    curves[c].firstTrack = curves[c].lastTrack = c + 1;
    curves[c].physicalChannel = c + 1;
    curves[c].description = titles[c];
    curves[c].shortTitle = c == 0 ? "AMP" : "TT";
  }
  window.setCentralWidget(view);
  window.resize(700, 600);
  view->resize(700, 560);  // the tracks share the width the view has at its set-up
  view->SetLayout(std::move(tracks), std::move(curves));
  view->SetupLayout(false, 10);
  view->SetDepth(83250, true);

  struct Command {
    int id;
    const char* text;
    const char* key;
  } commands[] = {{CBHTVView::kInvertColoursCommand, "&Invert BHTV colours", "Ctrl+I"},
                  {CBHTVView::kNormaliseAmplitudeCommand, "Normalize BHTV &Amplitude", "Ctrl+A"},
                  {CBHTVView::kNormaliseTransitCommand, "&Normalize BHTV Transit Time", "Ctrl+T"}};
  QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&View"));
  auto state = [] {
    return QStringLiteral("Invert %1   Normalise amplitude %2   Normalise transit time %3")
        .arg(g_bInvertBHTVColours ? "on" : "off", g_bNormaliseBHTVAmplitude ? "on" : "off",
             g_bNormaliseBHTVTransitTime ? "on" : "off");
  };
  for (const Command& c : commands) {
    QAction* a = menu->addAction(QString::fromUtf8(c.text));
    a->setShortcut(QKeySequence(QString::fromUtf8(c.key)));
    a->setCheckable(true);
    QObject::connect(a, &QAction::triggered, view, [view, a, id = c.id, &window, state] {
      view->RunCommand(id);
      qv::CmdUI ui(id);
      view->RunUpdate(ui);
      a->setChecked(ui.Checked());
      window.statusBar()->showMessage(state());
      std::printf("command %d: %s\n", id, state().toUtf8().constData());
      std::fflush(stdout);
    });
  }
  window.statusBar()->showMessage(state());
  window.show();

  // The record thread: sweeps at a live pace, the fracture passing again
  // and again; the display timer flushes them as the document's pump does.
  std::atomic<bool> stop{false};
  std::thread sweeps([&] {
    for (int i = 0; !stop; ++i) {
      view->ConvertSweepToRow(qvtest::SimulatedSweep(i % 450));
      std::this_thread::sleep_for(std::chrono::microseconds(1000000 / rate));
    }
  });
  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, view, [view] { view->FlushImageRows(); });
  pump.start(50);
  const int result = app.exec();
  stop = true;
  sweeps.join();
  return result;
}
