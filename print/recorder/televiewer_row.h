// One picture row of the televiewer: the amplitude and transit-time samples
// of one sweep and the row's marks, as the televiewer view makes them and
// the chart recorder prints them.
#pragma once

#include <cstdint>

struct TeleviewerImageRow {
  uint8_t amplitude[128];  // sample j of the sweep, 0 to 63 (1 to 64 inverted)
  uint8_t transit[128];    // 0 to 127 (1 to 128 inverted)
  uint8_t marks;           // kRowDepthTick, kRowLoggingDown, kRowLoggingUp, kRowNewMinute
};
static_assert(sizeof(TeleviewerImageRow) == 257, "a televiewer row is 257 bytes");

constexpr uint8_t kRowDepthTick = 0x80;
constexpr uint8_t kRowLoggingDown = 0x40;
constexpr uint8_t kRowLoggingUp = 0x20;
constexpr uint8_t kRowNewMinute = 0x10;
