// Not a test: a scripted log printed in real time through the curve view into
// a capture file, for a look at the chart (decode it with
// recorder_capture_pbm). Usage: curveview_chart_look CAPTURE [MODEL]
#include <QApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/core/globals.h"
#include "platform/parallel/parallel.h"
#include "platform/text/msgbox.h"
#include "script_log.h"

using namespace curveview;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CAPTURE [MODEL]\n", argv[0]);
    return 2;
  }
  testing::EnsureApp();
  const std::string path = argv[1];
  g_nRealTimePrinter = argc > 2 ? std::atoi(argv[2]) : 1;
  qv::SetParallelPortOpener([path](int) { return qv::OpenParallelPath(path, true); });
  qv::MessageRecorder boxes({qv::IDNO});
  testing::ScriptDoc doc;
  doc.print = true;
  CCurveView view;
  view.resize(800, 600);
  testing::OpenScriptLog(view, doc);
  view.show();
  view.StartRecorder();
  view.StartRealtimePrint(1);
  for (int i = 0; i < 1200; ++i) {
    const double t = i / 60.0;
    // Channel 3 has no reading for a stretch: the chart leaves it open.
    const double values[3] = {50 + 40 * std::sin(t), std::pow(10.0, 1.5 + std::sin(t / 2)),
                              i >= 400 && i < 500 ? std::nan("") : 50 + 45 * std::cos(t * 1.3)};
    view.AddSample(values);
    if (i % 20 == 19) {
      view.UpdateDisplay();
      QApplication::processEvents();
    }
  }
  view.UpdateDisplay();
  view.StopRealtimePrint(-2);
  for (unsigned id : boxes.Ids()) std::printf("box %u\n", id);
  std::printf("printing %s\n", doc.print ? "on" : "off (recorder failed)");
  return 0;
}
