// Shows the cement-bond view over a log running on the simulated unit, for
// looking at it on a display: the sonde logs up from 15 m through the
// bottom of the free pipe (10 m in the simulated well), so bonded pipe lies
// below free pipe. "wiggle" starts in wiggle mode. The log runs until the
// program is ended.
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
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tests/tools/cementbond/cbl_test_support.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/cementbond/fpg_dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  const bool wiggle = argc > 2 && std::string(argv[2]) == "wiggle";
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  auto unit = qvtest::BringUpSimulatedUnit(folder, clock);
  if (!unit) return 3;
  unit->SetDataOptions({});  // the simulated well, not the test pattern
  g_strProgramFolder = folder;
  g_bWrapCurves = 1;

  cbltest::ViewDoc doc;
  doc.logMode = 11;
  doc.step = 10;
  doc.scale = 100;
  qv::CCBLDocument log;
  PipeSizeDialogService pipe;
  qv::LogSetup& s = log.Setup();
  s.pathStem = folder + "/SHOW.";
  s.logMode = 11;
  s.depthStep = 10;
  s.depthScale = 100;
  s.sondeAbbreviation = "CBLT";
  s.loggingMode = {3, 4, 1, 11, 0};
  log.SetClock(cbltest::RealTimeClock(clock));
  cbltest::WriteGateTemplate(folder, 440, 472, 680, 712);

  std::vector<TrackRecord> tracks(4);
  for (int i = 0; i < 4; ++i) {
    tracks[static_cast<std::size_t>(i)].order = i;
    tracks[static_cast<std::size_t>(i)].gridFlag = i != 1;
    tracks[static_cast<std::size_t>(i)].gridStyle = 0x10000004;
  }
  tracks[1].type = 1;
  auto curve = [](int channel, int track, const char* title, float maximum, std::uint32_t colour) {
    CurveRecord c;
    c.headerFlag = c.scaleFlag = 1;
    c.firstTrack = c.lastTrack = track;
    c.physicalChannel = channel;
    c.description = title;
    c.shortTitle = title;
    c.unit = channel == 7 || channel == 8 ? "us" : "mV";
    c.scaleMaximum = maximum;
    c.lineColour = colour;
    return c;
  };
  CCBLView view;
  view.setWindowTitle("Cement bond");
  view.resize(1100, 760);
  view.SetLayout(tracks, {curve(4, 0, "Near amplitude", 127, 0x0000FF), curve(6, 0, "Far amplitude", 128, 0xFF0000),
                          curve(7, 2, "Near VDL", 960, 0), curve(8, 3, "Far VDL", 960, 0)});
  view.SetupLayout(&doc, &log);
  view.SetWiggleMode(wiggle);
  log.SetView(&view);
  log.SetPipeSizeService(&pipe);
  if (!log.InitialiseLog(1, 10)) return 4;
  Set_Depth(1500);  // 15 m
  WinchControlBlock up{1, 3};
  SetWinch(&up);
  if (log.StartLogging(qv::kStartRecord) != 1) return 5;
  view.show();
  qv::MessageRecorder boxes;
  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, [&] {
    log.PumpDisplay();
    std::printf("state %d depth %d near gate %d-%d\n", log.State(), view.Engine().Depth(), log.NearGate().GateStart,
                log.NearGate().GateEnd);
    for (const auto& b : boxes.Shown()) std::printf("box: %s\n", b.text.c_str());
    boxes.Clear();
    std::fflush(stdout);
  });
  pump.start(100);
  return app.exec();
}
