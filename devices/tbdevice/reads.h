// Pieces of the data reads shared by the cement-bond and full-wave sonic reads.
#pragma once

#include <cstdint>

#include "devices/tbdevice/tbdevice.h"

namespace tbdev {

// The status request and bulk read of one record; the status is stored.
uint32_t DataRead(uint8_t* reply, uint32_t length, AnalogStatusBlock* status);
// True (once) when timeMs lies in a minute later than any seen since logging began.
bool NewMinute(int32_t timeMs);
// A thermocouple channel (1-8) in hundredths of a degree; the last reading when none is ready.
int32_t ReadThermoChannel(int channel);
void FillCompanion(SixChannelPacket* p, int32_t depth, int32_t time, const uint16_t words[6]);
// The cement-bond and full-wave reads: a 71-byte waveform segment, and for a
// near-receiver segment its companion packet. companion(reply, far, words)
// runs for every delivered segment and gives the companion's six words.
using CompanionWords = void (*)(const uint8_t* reply, bool far, uint16_t words[6]);
uint32_t ReadWaveformSegment(CblWaveformSegment* segment, SixChannelPacket* packet, AnalogStatusBlock* status,
                             CompanionWords companion);

}  // namespace tbdev
