// A scripted log document for the curve model tests.
#pragma once

#include <array>
#include <string>

#include "logview/model/document.h"

namespace curveview::testing {

class FakeDoc : public CurveDocument {
 public:
  int logMode = kLogModeDown;
  bool imperial = false;
  int toolKind = 0;
  bool userFunction = false;
  bool live = true;
  std::string pathStem;
  int sondeLength = 0;
  std::string library = "uf.Dll";
  std::array<ChannelFilter, kFilterTableSize> filters{};
  std::array<UserFunctionFilter, kFilterTableSize> userFilters{};

  int LogMode() const override { return logMode; }
  bool Imperial() const override { return imperial; }
  int DepthStep() const override { return 10; }
  int DepthScale() const override { return 200; }
  int ToolKind() const override { return toolKind; }
  bool UserFunction() const override { return userFunction; }
  bool Live() const override { return live; }
  std::string PathStem() const override { return pathStem; }
  int SondeLength() const override { return sondeLength; }
  std::string UserLibrary() const override { return library; }
  void ClearUserLibrary() override { library.clear(); }
  ChannelFilter* RawFilterTable() override { return filters.data(); }
  UserFunctionFilter* UserFunctionFilterTable() override { return userFilters.data(); }
};

inline CurveRecord MakeCurve(int channel, int first, int last, bool shown, int row, const char* title, float min = 0,
                             float max = 100) {
  CurveRecord c;
  c.physicalChannel = channel;
  c.firstTrack = first;
  c.lastTrack = last;
  c.headerFlag = shown;
  c.headerLine = row;
  c.scaleFlag = 1;
  c.description = title;
  c.shortTitle = title;
  c.unit = "CPS";
  c.scaleMinimum = min;
  c.scaleMaximum = max;
  return c;
}

}  // namespace curveview::testing
