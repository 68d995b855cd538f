// Shows a gate dialog over a running cement-bond log on the simulated unit,
// for looking at it on a display: "fpg" the gate settings (command 1033),
// "pipe" the pipe-size question that "Set Default" asks. The log runs until
// the program is ended.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tools/cementbond/fpg_dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);  // the log goes on after the dialog
  if (argc < 3) return 2;
  const std::string folder = argv[1];
  const std::string which = argv[2];
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  if (!qvtest::BringUpSimulatedUnit(folder, clock)) return 3;
  g_strProgramFolder = folder;

  qv::CCBLDocument log;
  cbltest::FakeView view(&log);
  PipeSizeDialogService pipe;
  log.SetView(&view);
  log.SetPipeSizeService(&pipe);
  qv::LogSetup& s = log.Setup();
  s.pathStem = folder + "/SHOW.";
  s.logMode = 12;
  s.depthStep = 100;
  s.sondeAbbreviation = "DULM";
  s.loggingMode = {2, 5, 10, 12, 0};
  log.SetClock(cbltest::RealTimeClock(clock));
  cbltest::WriteGateTemplate(folder, 162, 194, 237, 269);
  if (!log.InitialiseLog(1, 10)) return 4;
  if (log.StartLogging(qv::kStartRecord) != 1) return 5;
  qv::MessageRecorder boxes;  // a stop's message goes to the output
  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, [&] {
    log.PumpDisplay();
    std::printf("state %d segments %zu near gate %d-%d\n", log.State(), view.Count(), log.NearGate().GateStart,
                log.NearGate().GateEnd);
    for (const auto& b : boxes.Shown()) std::printf("box: %s\n", b.text.c_str());
    boxes.Clear();
    std::fflush(stdout);
  });
  pump.start(500);
  QTimer::singleShot(0, [&] { qv::OnFpgSettings(log); });
  if (which == "pipe")  // "Set Default" over the settings
    QTimer::singleShot(1000, [] {
      if (auto* dlg = qobject_cast<CFPGDialog*>(QApplication::activeModalWidget())) dlg->OnSetDefault();
    });
  return app.exec();
}
