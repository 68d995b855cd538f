// A scripted log document for the cement-bond view: what the view reads of
// its log, set by the test.
#pragma once

#include <array>
#include <utility>

#include "curveview/model/document.h"
#include "header/section_access.h"

namespace cbltest {

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

}  // namespace cbltest
