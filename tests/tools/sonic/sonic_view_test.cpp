// The sonic view offscreen: its legend commands, the layouts it takes, the
// header it writes (read back with crudini) and a golden rendering.
#include "tools/sonic/sonic_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "header/header.h"
#include "platform/text/msgbox.h"
#include "tests/logview/model/fake_doc.h"
#include "tools/sonic/sonic_print.h"

namespace {

namespace fs = std::filesystem;
using curveview::LegendHits;
using curveview::testing::MakeCurve;

void EnsureApp() {
  static int argc = 1;
  static char name[] = "test_sonic_view";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!QApplication::instance()) new QApplication(argc, argv);
}

// A log document whose records carry waveforms of `samples` samples.
class SonicFakeDoc : public curveview::testing::FakeDoc {
 public:
  int samples = 64;
  int WaveformSamples() const override { return samples; }
  // The sonde's own layout in the sonde database: a transit time and one waveform.
  bool LoadSondeLayout(TrackArray* tracks, CurveArray* curves) override {
    tracks->push_back(std::make_unique<TrackRecord>());
    curves->push_back(std::make_unique<CurveRecord>(MakeCurve(2, 0, 0, true, 0, "Sonde transit")));
    curves->push_back(std::make_unique<CurveRecord>(MakeCurve(13, 2, 2, true, 0, "Sonde wave")));
    return true;
  }
};

// Answers each dialog from a script instead of running it.
struct ScriptedDialogs {
  std::vector<std::function<int(QDialog&)>> answers;
  std::size_t next = 0;
  curveview::DialogRunner previous;
  ScriptedDialogs() {
    previous = curveview::SetDialogRunner([this](QDialog& d) {
      if (next >= answers.size()) return static_cast<int>(QDialog::Rejected);
      return answers[next++](d);
    });
  }
  ~ScriptedDialogs() { curveview::SetDialogRunner(previous); }
};

std::function<int(QDialog&)> TypeValue(const char* text) {
  return [text](QDialog& d) {
    auto& range = dynamic_cast<CChangeH&>(d);
    range.Edit()->setText(text);
    range.accept();
    return range.result();
  };
}

std::vector<std::unique_ptr<TrackRecord>> Tracks(int count, int depthTrack, int logTrack = -1) {
  std::vector<std::unique_ptr<TrackRecord>> tracks;
  for (int i = 0; i < count; ++i) {
    auto t = std::make_unique<TrackRecord>();
    t->order = i;
    t->gridFlag = 1;
    t->type = i == depthTrack ? 1 : 0;
    if (i == logTrack) t->gridStyle = kGridLogarithmic;
    tracks.push_back(std::move(t));
  }
  return tracks;
}

std::vector<std::unique_ptr<CurveRecord>> Curves(const std::vector<CurveRecord>& list) {
  std::vector<std::unique_ptr<CurveRecord>> out;
  for (const CurveRecord& c : list) out.push_back(std::make_unique<CurveRecord>(c));
  return out;
}

// Track 1, the depth track, tracks 2 and 3: the transit time in track 1,
// waveforms 1 and 2 in tracks 2 and 3, waveform 3 under waveform 1.
std::vector<CurveRecord> StandardCurves() {
  CurveRecord tt = MakeCurve(1, 0, 0, true, 0, "Transit time", 0, 400);
  tt.unit = "US";
  tt.lineColour = 0x0000C0;
  return {tt, MakeCurve(13, 2, 2, true, 0, "Receiver 1"), MakeCurve(14, 3, 3, true, 0, "Receiver 2"),
          MakeCurve(15, 2, 2, true, 0, "Receiver 3")};
}

class SonicViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    previousBox = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
  }
  void TearDown() override { qv::SetMessageBoxHandler(previousBox); }

  void Open(std::vector<std::unique_ptr<TrackRecord>> tracks, const std::vector<CurveRecord>& curves, int samples,
            int waves, int width = 520, int height = 320) {
    view = std::make_unique<CSonicView>(height);
    view->resize(width, height);
    view->SetLayout(std::move(tracks), Curves(curves));
    doc.samples = samples;
    ASSERT_EQ(view->SetupLayout(&doc, samples, waves), 1);
    view->ResetScroll();
  }
  // Records k = 0..n-1: channel 1 sweeps, each waveform a decaying wave from
  // its arrival 6 + 5w samples in.
  void Feed(int n, int first = 0) {
    const auto& s = view->Display().Settings();
    std::vector<double> values(16, 0.0);
    std::vector<std::int16_t> waves(static_cast<std::size_t>(s.samples * s.waves));
    for (int k = first; k < first + n; ++k) {
      values[0] = 200 + 150 * std::sin(k / 15.0);
      for (int w = 0; w < s.waves; ++w) {
        const int arrival = 6 + 5 * w + (k / 20) % 4;
        values[12 + static_cast<std::size_t>(w)] = arrival;
        for (int i = 0; i < s.samples; ++i) {
          const double t = i - arrival;
          const double v = t < 0 ? 0 : 30000 * std::exp(-t / 25.0) * std::sin(t / 2.5 + k / 30.0);
          waves[static_cast<std::size_t>(w * s.samples + i)] = static_cast<std::int16_t>(v);
        }
      }
      view->AddWaveformRecord(values, waves);
    }
  }
  void Click(int curve, QRect LegendHits::*which) {
    const QRect r = view->HitRects(view->Curves()[static_cast<std::size_t>(curve)]).*which;
    const QPoint at = which == &LegendHits::swatch ? r.topLeft() + QPoint(1, 1) : r.center();
    view->EditScaleRange(curve, curve + 1, at.x(), at.y());
  }
  QImage Render() {
    QImage img(view->size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    view->Paint(p);
    return img;
  }

  SonicFakeDoc doc;
  std::unique_ptr<CSonicView> view;
  std::vector<std::string> boxes;
  qv::MessageBoxHandler previousBox;
};

TEST_F(SonicViewTest, ScaleEndsAreCheckedAndTheIconAndSwatchActOnWaveforms) {
  doc.logMode = curveview::kLogModeTime;
  Open(Tracks(4, 1), StandardCurves(), 64, 3);
  ScriptedDialogs script;
  script.answers = {TypeValue("500"), TypeValue("50")};
  Click(0, &LegendHits::minimum);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Start Range must be smaller than End Range");
  EXPECT_FLOAT_EQ(view->Curves()[0].scaleMinimum, 50);

  // The icon of a waveform curve switches image and wiggle traces.
  EXPECT_FALSE(view->Wiggle());
  Click(1, &LegendHits::corner);
  EXPECT_TRUE(view->Wiggle());
  Click(1, &LegendHits::corner);
  EXPECT_FALSE(view->Wiggle());

  // The swatch of waveform 3 (legend row 1 of track 2) brings its image
  // into the track; waveform 1 goes to row 1.
  ASSERT_EQ(view->Curves()[3].headerLine, 1);
  Click(3, &LegendHits::swatch);
  EXPECT_EQ(view->Curves()[3].headerLine, 0);
  EXPECT_EQ(view->Curves()[1].headerLine, 1);
  EXPECT_EQ(view->Curves()[2].headerLine, 0) << "track 3 keeps its waveform";
  EXPECT_EQ(script.next, 2u) << "no colour dialog for a waveform";
}

TEST_F(SonicViewTest, LogarithmicTracksShowWholeDecadesAndKeepInStep) {
  std::vector<CurveRecord> curves = StandardCurves();
  curves[0].scaleMinimum = 0.05f;
  curves[0].scaleMaximum = 200;
  CurveRecord second = MakeCurve(2, 0, 0, true, 1, "Second", 5, 5000);
  curves.push_back(second);
  Open(Tracks(4, 1, 0), curves, 64, 3);
  auto& c = view->Curves();
  EXPECT_FLOAT_EQ(c[0].scaleMinimum, 0.01f);
  EXPECT_FLOAT_EQ(c[0].scaleMaximum, 100);
  ScriptedDialogs script;
  script.answers = {TypeValue("20")};
  Click(0, &LegendHits::maximum);
  EXPECT_FLOAT_EQ(c[0].scaleMaximum, 10);  // 0.01..20 is whole decades 0.01..10
  EXPECT_FLOAT_EQ(c[4].scaleMinimum, 1);   // three decades up to its own maximum's decade
  EXPECT_FLOAT_EQ(c[4].scaleMaximum, 1000);
}

TEST_F(SonicViewTest, AWaveformTheSondeLacksIsShownAsTheFirstWithoutLegend) {
  std::vector<CurveRecord> curves = StandardCurves();
  curves.push_back(MakeCurve(16, 3, 3, true, 1, "Receiver 4"));
  Open(Tracks(4, 1), curves, 64, 3);
  const CurveRecord& c = view->Curves()[4];
  EXPECT_EQ(c.physicalChannel, 13);
  EXPECT_EQ(c.headerFlag, 0);
  EXPECT_EQ(c.shortTitle, "ERROR");
}

// One track that is not the depth track takes the whole width; a layout of
// more than twenty curves averages each of them and paints.
TEST_F(SonicViewTest, OneTrackAndManyCurves) {
  std::vector<CurveRecord> curves{MakeCurve(13, 0, 0, true, 0, "Wave")};
  for (int i = 0; i < 25; ++i) curves.push_back(MakeCurve(1 + i % 12, 0, 0, true, 0, "C"));
  doc.logMode = curveview::kLogModeDown;
  Open(Tracks(1, -1), curves, 32, 2, 520, 900);
  EXPECT_EQ(view->Tracks()[0].width, 520);
  EXPECT_EQ(view->LegendHeight(), 26 * 30);
  Feed(400);
  view->UpdateDisplay();
  const QImage img = Render();
  EXPECT_NE(img.pixel(100, 890), qRgb(255, 255, 255)) << "the image reaches the bottom of a log going down";
}

// The header of standards 26 and 28 read back with crudini: the depth and
// time columns, data curves at 12 + 4c, waveforms after the 64-byte head
// with their sample counts; writing it again changes nothing.
TEST_F(SonicViewTest, HeaderChannelListReadBackWithCrudini) {
  if (std::system("crudini --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "crudini is not installed";
  const char* tmp = std::getenv("QV_TEST_TMP");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp") / ("sonic_view_header_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const struct { int comStd, samples, waves; } standards[] = {{26, 512, 3}, {28, 256, 4}};
  for (const auto& st : standards) {
    SCOPED_TRACE(st.comStd);
    std::vector<CurveRecord> curves = StandardCurves();
    if (st.waves == 4) curves.push_back(MakeCurve(16, 3, 3, true, 1, "Receiver 4"));
    doc.pathStem = (dir / ("WELL" + std::to_string(st.comStd) + ".")).string();
    doc.sondeLength = 3000;
    fs::remove(doc.pathStem + "hed");
    ASSERT_EQ(WriteHeaderIdent(doc.pathStem), 1);
    Open(Tracks(4, 1), curves, st.samples, st.waves);
    ASSERT_EQ(view->SaveLayoutToHeader(), 1);
    const std::string hed = doc.pathStem + "hed";
    auto get = [&](const std::string& section, const char* key) {
      const std::string cmd = "crudini --get '" + hed + "' " + section + " " + key + " 2>&1";
      std::string out;
      if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
      }
      while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
      return out;
    };
    EXPECT_EQ(get("Channel0", "Title"), "DEPTH");
    EXPECT_EQ(get("Channel0", "Unit"), "MM");
    EXPECT_EQ(get("Channel0", "SampleType"), "4");
    EXPECT_EQ(get("Channel1", "Title"), "TIME");
    EXPECT_EQ(get("Channel1", "DataOffset"), "4");
    EXPECT_EQ(get("Channel2", "PhysicalCh"), "1");
    EXPECT_EQ(get("Channel2", "DataOffset"), "16");
    EXPECT_EQ(get("Channel2", "SampleType"), "8");
    EXPECT_EQ(get("Channel2", "SampleCount"), "1");
    for (int w = 0; w < st.waves; ++w) {
      const std::string section = "Channel" + std::to_string(3 + w);
      EXPECT_EQ(get(section, "PhysicalCh"), std::to_string(13 + w));
      EXPECT_EQ(get(section, "DataOffset"), std::to_string(64 + 2 * w * st.samples));
      EXPECT_EQ(get(section, "SampleCount"), std::to_string(st.samples));
      EXPECT_EQ(get(section, "SampleType"), "2");
    }
    EXPECT_EQ(get("General", "SondeLength"), "300");
    // Every value, whatever the order of the sections.
    auto values = [&] {
      std::vector<std::string> lines;
      if (FILE* f = popen(("crudini --get --format=lines '" + hed + "'").c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, f)) lines.emplace_back(buf);
        pclose(f);
      }
      std::sort(lines.begin(), lines.end());
      return lines;
    };
    const std::vector<std::string> first = values();
    ASSERT_GT(first.size(), 50u);
    for (int again = 0; again < 3; ++again) {
      ASSERT_EQ(view->SaveLayoutToHeader(), 1);
      EXPECT_EQ(values(), first) << "rewrite " << again;
    }
  }
  fs::remove_all(dir);
}

// A live log with a user function: the outputs go to the function's INI
// file and the header describes the sonde's own channels from the sonde
// database, waveform included. The library file itself is never read as an
// INI file, even when its bytes look like one.
TEST_F(SonicViewTest, UserFunctionLiveLogHeaderNamesTheSondesOwnChannels) {
  const char* tmp = std::getenv("QV_TEST_TMP");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp") / ("sonic_view_uf_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  doc.pathStem = (dir / "WELL.").string();
  ASSERT_EQ(WriteHeaderIdent(doc.pathStem), 1);
  doc.userFunction = true;
  doc.live = true;
  doc.library = (dir / "UF1.Dll").string();
  std::ofstream(doc.library) << "[Channel0]\r\nPhysicalCh=3\r\n";
  Open(Tracks(4, 1), StandardCurves(), 256, 4);
  ASSERT_EQ(view->SaveLayoutToHeader(), 1);
  CurveArray header;
  ASSERT_EQ(ReadCurveRecords(doc.pathStem, &header), 1);
  ASSERT_EQ(header.size(), 2u);
  EXPECT_EQ(header[0]->description, "Sonde transit");
  EXPECT_EQ(header[1]->description, "Sonde wave");
  CurveArray outputs;
  ASSERT_EQ(LoadUserFunctionIni(doc.library, &outputs, nullptr), 1);
  EXPECT_EQ(outputs.size(), 4u);  // the view's four curves
  fs::remove_all(dir);
}

// A log going up at 1:200 (1 cm steps) of 3 x 64-sample waveforms in image
// mode, then wiggle traces, matches its golden pictures (QV_UPDATE_GOLDEN set
// writes them instead).
TEST_F(SonicViewTest, GoldenRendering) {
  doc.logMode = curveview::kLogModeUp;
  Open(Tracks(4, 1), StandardCurves(), 64, 3);
  const fs::path dir = fs::path(QV_SONIC_GOLDEN);
  for (const bool wiggle : {false, true}) {
    SCOPED_TRACE(wiggle ? "wiggle" : "image");
    view->Display().Clear();
    view->ResetScroll();
    view->Display().SetWiggle(wiggle);
    view->SetDepth(100000);
    for (int batch = 0; batch < 10; ++batch) {
      Feed(60, batch * 60);
      view->UpdateDisplay();
    }
    const QImage img = Render();
    const fs::path file = dir / (wiggle ? "sonic_wiggle.png" : "sonic_image.png");
    if (std::getenv("QV_UPDATE_GOLDEN")) {
      ASSERT_TRUE(img.save(QString::fromStdString(file.string())));
      continue;
    }
    QImage golden(QString::fromStdString(file.string()));
    ASSERT_FALSE(golden.isNull()) << file;
    golden = golden.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), img.size());
    int differ = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) differ += img.pixel(x, y) != golden.pixel(x, y);
    EXPECT_EQ(differ, 0);
  }
}

// The sonic page's minute marks: those a page carried over come first and go
// when they fall outside the depth track; a log recorded up moves its marks
// down by the offset lead-in, and one beyond the bottom goes to the next page
// only while it lies within the depth track less that shift.
TEST(SonicPageMinuteMarks, CarriedFirstShiftedUpwardAndKeptOnlyWithinTheTrack) {
  std::vector<std::uint8_t> flags(100, 0);
  flags[10] = flags[60] = flags[95] = 1;
  // Logged down: where the rows are; nothing carried.
  SonicMinuteMarks down = PlaceSonicMinuteMarks({}, flags, 200, 100, false, 30);
  EXPECT_EQ(down.drawn, (std::vector<int>{210, 260, 295}));
  EXPECT_TRUE(down.carried.empty());
  // Logged up, 30 dot rows of lead-in: 10 + 30 and 60 + 30 on the page, 95 +
  // 30 is 25 below the bottom (less than 100 - 30) and goes on.
  SonicMinuteMarks up = PlaceSonicMinuteMarks({5, 150}, flags, 200, 100, true, 30);
  EXPECT_EQ(up.drawn, (std::vector<int>{205, 240, 290})) << "the carried mark at 5 first, the one at 150 dropped";
  EXPECT_EQ(up.carried, (std::vector<int>{25}));
  // A lead-in as long as the track: no mark beyond the bottom is carried.
  EXPECT_TRUE(PlaceSonicMinuteMarks({}, flags, 200, 100, true, 100).carried.empty());
}

}  // namespace
