// The screen heights of the sonic display's refresh benchmark, which the
// program's ratios name.
#pragma once

inline constexpr int kSonicShortScreen = 200;
inline constexpr int kSonicTallScreen = 2000;
