// A scripted log on the curve view, for looking at the view by eye: a record
// thread feeds samples at logging pace and a display thread updates the view,
// as a live log's threads do.
#include <QApplication>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "script_log.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  curveview::testing::ScriptDoc doc;
  CCurveView view;
  curveview::testing::OpenScriptLog(view, doc);
  view.resize(900, 700);
  view.setWindowTitle("Scripted log");
  view.show();
  view.Rows().SetDepth(120000);

  std::atomic<bool> stop{false};
  std::atomic<int> records{0};
  std::thread recorder([&] {
    for (int i = 0; !stop; ++i) {
      const double t = i * 0.05;
      const double values[] = {50 + 40 * std::sin(t), std::pow(10.0, 1.5 + std::sin(t * 0.3)), 60 + i * 0.2};
      if (i % 400 == 0) doc.minute = true;
      view.AddSample(values);
      ++records;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  std::thread display([&] {
    while (!stop) {
      view.UpdateDisplay();
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  });
  const int rc = app.exec();
  stop = true;
  recorder.join();
  display.join();
  return rc;
}
