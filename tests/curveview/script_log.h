// A scripted log for the curve view tests: a document with fixed settings and
// a four-track layout with one curve per data track.
#pragma once

#include <QApplication>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "curveview/curveview.h"

namespace curveview::testing {

inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "test_curveview";
  static char* argv[] = {name, nullptr};
  // Headless whatever the test runner's environment says.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class ScriptDoc : public CurveDocument {
 public:
  int logMode = kLogModeDown;
  bool imperial = true;
  int step = 50;
  int scale = 120;  // 0.05 ft per record at 1:120 is one row per record
  int toolKind = 0;
  bool minute = false;
  bool print = false;
  bool live = true;
  bool userFunction = false;
  std::array<ChannelFilter, kFilterTableSize> filters{};
  std::string pathStem;
  // The log's header and trailer in memory; none unless set.
  bool haveHeader = false;
  HeaderInfo header{};
  TrailerText trailer{};

  int LogMode() const override { return logMode; }
  bool Imperial() const override { return imperial; }
  int DepthStep() const override { return step; }
  int DepthScale() const override { return scale; }
  int ToolKind() const override { return toolKind; }
  bool RealtimePrint() const override { return print; }
  void ClearRealtimePrint() override { print = false; }
  bool Live() const override { return live; }
  bool UserFunction() const override { return userFunction; }
  std::string PathStem() const override { return pathStem; }
  bool LogHeaderTexts(HeaderInfo* h, TrailerText* t) const override {
    if (haveHeader) *h = header, *t = trailer;
    return haveHeader;
  }
  bool TakeMinuteMark() override {
    const bool m = minute;
    minute = false;
    return m;
  }
  ChannelFilter* RawFilterTable() override { return filters.data(); }
};

inline std::unique_ptr<CurveRecord> MakeCurve(int channel, int first, int last, float min, float max,
                                              std::uint32_t colour, const char* title) {
  auto c = std::make_unique<CurveRecord>();
  c->physicalChannel = channel;
  c->firstTrack = first;
  c->lastTrack = last;
  c->headerFlag = 1;
  c->scaleFlag = 1;
  c->scaleMinimum = min;
  c->scaleMaximum = max;
  c->lineColour = colour;
  c->description = title;
  c->shortTitle = title;
  c->unit = "CPS";
  return c;
}

// Track 1 linear 0..100 (red), track 2 logarithmic 1..1000 (blue), track 3
// linear 0..100 (green).
inline void OpenScriptLog(CCurveView& view, ScriptDoc& doc) {
  std::vector<std::unique_ptr<TrackRecord>> tracks;
  for (int i = 0; i < 4; ++i) {
    auto t = std::make_unique<TrackRecord>();
    t->order = i;
    t->gridFlag = 1;
    t->gridStyle = i == kTrack2 ? kLogGridStyle : kLinearGridStyle;
    t->type = i == kDepthTrackNumber ? kDepthTrackType : 0;
    tracks.push_back(std::move(t));
  }
  std::vector<std::unique_ptr<CurveRecord>> curves;
  curves.push_back(MakeCurve(1, 0, 0, 0, 100, 0x0000FF, "Gamma"));
  curves.push_back(MakeCurve(2, 2, 2, 1, 1000, 0xFF0000, "Resistivity"));
  curves.push_back(MakeCurve(3, 3, 3, 0, 100, 0x00FF00, "Temperature"));
  view.SetLayout(std::move(tracks), std::move(curves));
  view.InitialiseFromDocument(&doc);
  view.ResetScroll();
}

}  // namespace curveview::testing
