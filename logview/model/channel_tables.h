// The texts of the "Channel Display" sheet: a name and a unit per physical
// channel, and how each page writes a value.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "logview/model/records.h"

namespace curveview {

inline constexpr int kSheetChannels = 12;

enum class ChannelPage { kRaw = 0, kCalibrated = 1, kUserFunction = 2 };

struct ChannelTables {
  std::array<std::string, kSheetChannels> names;
  std::array<std::string, kSheetChannels> units;
  std::array<std::string, kSheetChannels> userNames;
  std::array<std::string, kSheetChannels> userUnits;
  bool sixChannel = true;
  bool withUserFunctions = false;

  int Rows() const { return sixChannel ? 6 : kSheetChannels; }
  // Fills the channel tables (or the user-function tables) from curve
  // records: a record of physical channel p in 1..12 fills row p-1.
  void Fill(const std::vector<CurveRecord>& curves, bool userFunction);
};

// A value as a page shows it.
std::string FormatChannelValue(ChannelPage page, bool sixChannel, double value);

}  // namespace curveview
