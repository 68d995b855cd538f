// The choices of the LAS export dialog that do not need a window: the
// offered intervals, the checks of the depth range, and the user functions
// of a sonde.
#pragma once

#include <string>
#include <vector>

#include "header/header_info.h"

// Intervals offered for a log: 1, 2, 5 and 10 depth counts (50 thousandths
// of a foot, or 10 mm, each) that are not below the log's step; selected is
// the one equal to the step, else the first.
struct IntervalChoices {
  std::vector<int> values;
  int selected = 0;
};
IntervalChoices LasIntervalChoices(const HeaderInfo& header);

// From and To (thousandths of the depth unit, as typed times 1000 and
// truncated) checked against the log's range and rounded to the interval.
int CheckLasFrom(const HeaderInfo& header, int from, int to, int interval);
int CheckLasTo(const HeaderInfo& header, int from, int to, int interval);

// The user functions a log can be exported with: for the sonde abbreviation,
// "<abbr>.INI" and "<abbr>0.INI" .. "<abbr>99.INI" in the folder that have a
// library of the same name beside them.
struct UserFunctionChoice {
  std::string name;         // [General] UPName, "???" when empty
  std::string libraryPath;  // the library beside the INI
};
std::vector<UserFunctionChoice> LasUserFunctionChoices(const std::string& folder, const std::string& abbreviation);

// The LAS file proposed for a log: its folder and title with ".LAS".
std::string LasPathFor(const std::string& logPath);
