// The choices of the LAS export dialog that do not need a window: the
// offered intervals and the checks of the depth range (the user functions of
// a sonde are qv::FindUserFunctions).
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
// truncated) checked against the log's range and rounded to the interval. A
// time log keeps the header's start and end depths as they are.
int CheckLasFrom(const HeaderInfo& header, int from, int to, int interval);
int CheckLasTo(const HeaderInfo& header, int from, int to, int interval);

// The LAS file proposed for a log: its folder and title with ".LAS".
std::string LasPathFor(const std::string& logPath);
