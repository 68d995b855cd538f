// A scripted log document for the cement-bond view: what the view reads of
// its log, set by the test.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <utility>

#include "logview/model/document.h"
#include "header/header.h"
#include "header/section_access.h"
#include "sondedb/records/records.h"

namespace cbltest {

// A shown curve of a channel in a track (red, scale left to right).
inline CurveRecord Curve(int channel, int track, float minimum = 0.0f, float maximum = 100.0f) {
  CurveRecord c;
  c.headerFlag = 1;
  c.scaleFlag = 1;
  c.firstTrack = c.lastTrack = track;
  c.physicalChannel = channel;
  c.description = "Channel " + std::to_string(channel);
  c.shortTitle = "C" + std::to_string(channel);
  c.unit = "mV";
  c.scaleMinimum = minimum;
  c.scaleMaximum = maximum;
  c.lineColour = 0x0000FF;
  return c;
}

class ViewDoc : public curveview::CurveDocument {
 public:
  int logMode = curveview::kLogModeTime;
  bool imperial = false;
  int step = 10;
  int scale = 200;
  bool print = false;
  bool live = true;
  bool test = false;
  bool minute = false;
  int cleared = 0;
  std::string stem;
  std::array<ChannelFilter, kFilterTableSize> filters{};

  int LogMode() const override { return logMode; }
  bool Imperial() const override { return imperial; }
  int DepthStep() const override { return step; }
  int DepthScale() const override { return scale; }
  bool Live() const override { return live; }
  bool TestMode() const override { return test; }
  bool RealtimePrint() const override { return print; }
  void ClearRealtimePrint() override {
    print = false;
    ++cleared;
  }
  bool TakeMinuteMark() override { return std::exchange(minute, false); }
  ChannelFilter* RawFilterTable() override { return filters.data(); }
  std::string PathStem() const override { return stem; }
};

// The near samples of firing k: 10 k + segment; the far ones: -(10 k + segment).
inline std::int8_t Sample(int firing, bool far, int segment) {
  const int v = 10 * firing + segment;
  return static_cast<std::int8_t>(far ? -v : v);
}

// A recorded log of FIRINGS firings (near 0-4, far 0-4 each; a full-wave
// log: 0-9 each, in a .VDL file): channel 1 counts the records from 1 (its
// value is the count at rate 50).
inline void WriteLog(const std::filesystem::path& folder, int firings, int logMode, int start, int end, int step,
                     bool fullWave = false) {
  std::ofstream logFile(folder / "WELL.LOG", std::ios::binary),
      cbl(folder / (fullWave ? "WELL.VDL" : "WELL.CBL"), std::ios::binary);
  int record = 0;
  for (int k = 0; k < firings; ++k)
    for (int far = 0; far < 2; ++far)
      for (int n = 0; n <= (fullWave ? 9 : 4); ++n) {
        ++record;
        std::uint8_t l[14] = {21, 50};
        l[2] = static_cast<std::uint8_t>(record & 0xFF);
        l[3] = static_cast<std::uint8_t>(record >> 8);
        logFile.write(reinterpret_cast<const char*>(l), 14);
        std::uint8_t c[50] = {};
        c[0] = static_cast<std::uint8_t>(n | (far ? 0x80 : 0));
        for (int i = 0; i < 48; ++i) c[2 + i] = static_cast<std::uint8_t>(Sample(k, far != 0, n));
        cbl.write(reinterpret_cast<const char*>(c), 50);
      }
  HeaderInfo info;
  info.LogMode = logMode;
  info.Startdepth = start;
  info.EndDepth = end;
  info.Step = step;
  info.Wellname = "Tremarin 2";
  const std::string hed = (folder / "WELL.hed").string();
  WriteHeaderInfo(hed, &info, nullptr);
  WriteHeaderIdent(hed);
  const FreePipeGate nearGate{80, 60, 915, 201, 233}, farGate{80, 60, 1525, 315, 347};
  WriteFreePipeGates(hed, &nearGate, &farGate);
}

}  // namespace cbltest
