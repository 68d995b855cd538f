// Plot charts for tests: legend entries, and the curve dots of sent lines
// found by composing the same lines on a twin recorder without curves.
#pragma once

#include <set>
#include <vector>

#include "tests/print/recorder/recorder_fixture.h"

namespace qvtest {

class PlotFixture : public RecorderTest {
 public:
  struct Spec {
    int track, reversed, doubleWidth, style, channel;
  };
  static Spec Entry(int track, int reversed, int doubleWidth, int style = 1, int channel = 1) {
    return {track, reversed, doubleWidth, style, channel};
  }

 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    savedWrap = g_bWrapCurves;
  }
  void TearDown() override {
    g_bWrapCurves = savedWrap;
    RecorderTest::TearDown();
  }

 public:
  static std::unique_ptr<Inscription> Make(const Spec& s) {
    const auto [track, reversed, doubleWidth, style, channel] = s;
    auto ins = std::make_unique<Inscription>();
    ins->caption = "GR  API";
    ins->leftScale = "0.00";
    ins->rightScale = "150.00";
    ins->track = static_cast<int16_t>(track);
    ins->printStyle = static_cast<int16_t>(style);
    ins->wrapBand = 1;
    ins->channel = channel;
    ins->reversed = reversed;
    ins->doubleWidth = doubleWidth;
    return ins;
  }
  // Hands the entries over as a track header that is not printed.
  static void Legend(CGulton& g, std::initializer_list<Spec> entries) {
    InscriptionList list;
    for (const Spec& s : entries) list.push_back(Make(s));
    g.PrintPlotTrackHeader(&list, false);
  }
  std::unique_ptr<CGulton> Twin(int verticalKind, int scale, int direction) {
    auto twin = Plot(verticalKind, scale, direction);
    twin->SetDigitGlyphs(SyntheticGlyphs());
    return twin;
  }
  // Per line, the dots inked in the sent line but not in the twin's.
  static std::vector<std::set<int>> CurveDotsPerLine(CGulton& twin, const std::vector<RasterLine>& lines) {
    std::vector<std::set<int>> out;
    for (const RasterLine& sent : lines) {
      uint8_t bare[216];
      twin.ComposeChartLine(bare);
      std::set<int> dots;
      for (int x = 0; x < 1728; ++x) {
        const bool ink = (sent[x / 8] >> (7 - x % 8)) & 1;
        const bool grid = (bare[x / 8] >> (7 - x % 8)) & 1;
        if (ink && !grid) dots.insert(x);
      }
      out.push_back(dots);
    }
    return out;
  }
  // The curve dots of all lines from FROM on.
  static std::set<int> CurveDots(CGulton& twin, const std::vector<RasterLine>& lines, size_t from) {
    std::set<int> all;
    const auto perLine = CurveDotsPerLine(twin, lines);
    for (size_t l = from; l < perLine.size(); ++l) all.insert(perLine[l].begin(), perLine[l].end());
    return all;
  }

  int savedWrap = 1;
};

}  // namespace qvtest
