// A simulated sonic log on the sonic view, for looking at the view by eye: a
// record thread feeds the simulated unit's sonic records (standard 26, three
// receivers, logging down from 100 m in 0.1 m steps at 1:200) and the
// display is updated as the display pump does. With "wiggle" the icon of
// waveform 1 is clicked after two seconds (wiggle traces); with "swap" the
// swatch of waveform 3 is (its image comes into track 2); with "layout"
// View/Change Layout runs.
#include <QApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "devices/simulator/unit/sonde_data.h"
#include "tests/logview/model/fake_doc.h"
#include "tools/sonic/sonic_view.h"

namespace {

class LookDoc : public curveview::testing::FakeDoc {
 public:
  int DepthStep() const override { return 100; }
  int WaveformSamples() const override { return 512; }
};

std::vector<std::unique_ptr<TrackRecord>> Tracks() {
  std::vector<std::unique_ptr<TrackRecord>> tracks;
  for (int i = 0; i < 4; ++i) {
    auto t = std::make_unique<TrackRecord>();
    t->order = i;
    t->gridFlag = 1;
    t->type = i == 1 ? 1 : 0;
    tracks.push_back(std::move(t));
  }
  return tracks;
}

std::vector<std::unique_ptr<CurveRecord>> Curves() {
  std::vector<std::unique_ptr<CurveRecord>> curves;
  auto add = [&](int channel, int track, const char* title, std::uint32_t colour, float max) {
    auto c =
        std::make_unique<CurveRecord>(curveview::testing::MakeCurve(channel, track, track, true, 0, title, 0, max));
    c->unit = channel > 12 ? "" : "US";
    c->lineColour = colour;
    curves.push_back(std::move(c));
  };
  add(1, 0, "Gamma", 0x008000, 200);
  add(2, 0, "Transit 1", 0x0000C0, 2000);
  add(13, 2, "Receiver 1", 0, 100);
  add(14, 3, "Receiver 2", 0, 100);
  add(15, 2, "Receiver 3", 0, 100);
  return curves;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool wiggle = argc > 1 && std::strcmp(argv[1], "wiggle") == 0;
  const bool swap = argc > 1 && std::strcmp(argv[1], "swap") == 0;
  const bool layout = argc > 1 && std::strcmp(argv[1], "layout") == 0;
  LookDoc doc;
  doc.logMode = curveview::kLogModeDown;
  CSonicView view(1000);
  view.resize(1000, 760);
  view.setWindowTitle("Simulated sonic log");
  view.SetLayout(Tracks(), Curves());
  view.SetupLayout(&doc, 512, 3);
  view.ResetScroll();
  view.SetDepth(100000);
  view.show();

  std::atomic<bool> stop{false};
  std::thread recorder([&] {
    qv::sim::SondeSample s;
    s.comStd = 26;
    s.toolType = 10;
    s.sonicConfig = {8, 10, 10, 10, 0x80, 0x80, 0x80};
    std::vector<double> values(16, 0.0);
    std::vector<std::int16_t> waves(3 * 512);
    for (std::uint32_t i = 0; !stop; ++i) {
      s.index = i;
      s.depth = 10000 + static_cast<int>(i) * 10;  // 1 cm counts: 0.1 m a record
      s.timeMs = static_cast<int>(i) * 20;
      const auto records = qv::sim::MakeRecords(qv::sim::RecordKind::Sonic, s);
      const std::vector<std::uint8_t>& r = records.front();
      for (std::size_t k = 0; k < waves.size(); ++k)
        waves[k] = static_cast<std::int16_t>(r[21 + 2 * k] | (r[22 + 2 * k] << 8));
      values[0] = 60 + 40 * std::sin(i / 25.0);
      for (int w = 0; w < 3; ++w) {
        // The arrival as the sonde reports it: the trace's onset sample.
        int onset = 0;
        while (onset < 511 && std::abs(waves[static_cast<std::size_t>(w * 512 + onset)]) < 600) ++onset;
        values[12 + static_cast<std::size_t>(w)] = onset;
        if (w == 0) values[1] = onset * 8.0;
      }
      view.AddWaveformRecord(values, waves);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, [&] { view.UpdateDisplay(); });
  pump.start(40);
  QTimer::singleShot(2000, [&] {
    if (layout) view.RunCommand(CSonicView::kChangeLayoutCommand);
    const int curve = wiggle ? 2 : 4;
    if (!wiggle && !swap) return;
    const auto hits = view.HitRects(view.Curves()[static_cast<std::size_t>(curve)]);
    const QPoint at = wiggle ? hits.corner.center() : hits.swatch.topLeft() + QPoint(1, 1);
    view.EditScaleRange(curve, curve + 1, at.x(), at.y());
  });
  const int rc = app.exec();
  stop = true;
  recorder.join();
  return rc;
}
