// LogMode of a log, the same values as the header key LogMode: the new-log
// wizard sets it, the unit's logging-mode block carries it and the channel
// processing reads it.
#pragma once

namespace qv {

inline constexpr int kLogModeNone = -1;
inline constexpr int kLogModeTime = 10;
inline constexpr int kLogModeUp = 11;
inline constexpr int kLogModeDown = 12;
inline constexpr int kLogModeAsync = 13;

}  // namespace qv
