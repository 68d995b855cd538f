// Shows a full-wave sonic log of the simulated unit in its view, for looking
// at it on a display: the sonde is raised through the simulated well while
// the log records, the view takes the rows; after the given seconds the
// window is saved as a PNG file ("wiggle" shows wiggle traces instead of the
// density images; "cbl" shows a cement-bond log in its view, to compare) and
// the program ends.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "tests/logdoc/document/sim_unit.h"
#include "tests/tools/cementbond/cbl_test_doc.h"
#include "tools/cementbond/cbl_view.h"
#include "tools/fws/fws_document.h"
#include "tools/fws/fws_view.h"

namespace {

CurveRecord Curve(int channel, int track, const char* title, float minimum, float maximum, unsigned colour) {
  CurveRecord c;
  c.headerFlag = 1;
  c.scaleFlag = 1;
  c.firstTrack = c.lastTrack = track;
  c.physicalChannel = channel;
  c.description = c.shortTitle = title;
  c.unit = channel > 6 ? "" : "us";
  c.scaleMinimum = minimum;
  c.scaleMaximum = maximum;
  c.lineColour = colour;
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  const std::string folder = argv[1];
  const std::string png = argv[2];
  const int seconds = std::atoi(argv[3]);
  const std::string mode = argc > 4 ? argv[4] : "";
  const bool wiggle = mode == "wiggle", cementBond = mode == "cbl";
  auto clock = std::make_shared<qv::sim::VirtualClock>();
  auto unit = qvtest::BringUpSimulatedUnit(folder, clock);
  if (!unit) return 3;
  unit->SetDataOptions({});  // the well's traces, not the test pattern
  Set_Depth(12000);          // 120 m, in the cased hole above the open one
  g_strProgramFolder = folder;
  std::filesystem::create_directories(folder + "/Header");

  qv::CFWSDocument fullWave;
  qv::CCBLDocument cbl;
  qv::WaveformLogDocument& log = cementBond ? static_cast<qv::WaveformLogDocument&>(cbl) : fullWave;
  cbltest::ViewDoc doc;
  doc.logMode = 11;
  doc.step = 100;
  doc.scale = 100;
  CFWSView fullWaveView;
  CCBLView cblView;
  CCBLView& view = cementBond ? cblView : fullWaveView;
  view.resize(1400, 800);
  std::vector<TrackRecord> tracks(4);
  for (int i = 0; i < 4; ++i) tracks[static_cast<std::size_t>(i)].order = i;
  tracks[0].gridFlag = 1;
  tracks[0].gridStyle = 4;
  tracks[1].type = 1;
  view.SetLayout(tracks, {Curve(1, 0, "Near pick", 0, 4000, 0x0000FF), Curve(2, 0, "Far pick", 0, 4000, 0xFF0000),
                          Curve(5, 0, "Difference", 0, 2000, 0x008000), Curve(7, 2, "Near", 0, 1, 0),
                          Curve(8, 3, "Far", 0, 1, 0)});
  view.SetupLayout(&doc, &log);
  std::vector<TrackRecord>& t = view.Tracks();
  t[0].idealWidth = 300;
  t[1].idealWidth = 80;
  t[2].idealWidth = t[3].idealWidth = view.Kind().samplesPerReceiver;
  view.LayoutTracks();
  view.SetWiggleMode(wiggle);
  view.show();

  log.SetView(&view);
  qv::LogSetup& s = log.Setup();
  s.pathStem = folder + "/SHOW.";
  s.logMode = 11;
  s.depthStep = 100;
  s.depthScale = 100;
  s.loggingMode = {2, static_cast<std::uint8_t>(cementBond ? 5 : 4), 10, 11, 0};
  log.SetClock({[clock](std::uint32_t ms, qv::Event& stop) {
                  clock->Advance(ms);
                  std::this_thread::sleep_for(std::chrono::milliseconds(ms / 4));
                  return stop.IsSet();
                },
                [clock] { return static_cast<std::uint32_t>(clock->NowMs()); }, [] { return std::time_t{0}; }});
  if (!log.InitialiseLog(1, 10)) return 4;
  WinchControlBlock up{1, 5};
  SetWinch(&up);
  if (log.StartLogging(qv::kStartRecord) != 1) return 5;
  qv::MessageRecorder boxes;
  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, [&] {
    log.PumpDisplay();
    for (const auto& b : boxes.Shown()) std::printf("box: %s\n", b.text.c_str());
    boxes.Clear();
  });
  pump.start(40);
  QTimer::singleShot(seconds * 1000, [&] {
    log.PumpDisplay();
    view.grab().save(QString::fromStdString(png));
    std::printf("segments %u, channels 1 and 2 (full wave: the picks, samples x 8) %d %d\n",
                static_cast<unsigned>(log.Pipeline().RecordsStored()), log.Packet().channel[0],
                log.Packet().channel[1]);
    log.StopLogging(qv::kStateStoppedForGood);
    app.quit();
  });
  return app.exec();
}
