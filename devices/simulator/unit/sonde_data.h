// The records the simulated unit sends for each logging mode, as the unit
// lays them out on the bulk pipe, with plausible sonde data that moves with
// depth and time. With the pattern switch the sample values follow the record
// index instead, so that tests can predict every byte.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/simulator/unit/well.h"

namespace qv::sim {

enum class RecordKind { DepthReport, SixChannel, Twelve, Televiewer, CementBond, FullWave, Scope, Sonic };

// The kind of record a logging mode produces (standard, tool type and mode
// byte as the unit was told them).
RecordKind KindOfMode(uint8_t comStd, uint8_t toolType, uint8_t mode);
// The bulk length of one record of a kind (the sonic length depends on the standard).
uint32_t RecordLength(RecordKind kind, uint8_t comStd);

struct SondeSample {
  int32_t depth = 0;   // depth counts, in the unit the unit was set up for (see feet)
  int32_t timeMs = 0;  // since logging began
  uint32_t index = 0;  // records since logging began
  uint8_t comStd = 0;
  uint8_t toolType = 0;  // as the logging mode names it: decides the sonde's channels
  bool pattern = false;
  const Well* well = nullptr;            // the default well when null
  std::array<uint8_t, 7> sonicConfig{};  // the probe configuration as the unit received it
  bool feet = false;                     // a count is 0.05 ft, not 1 cm
};

// The metres of a depth count: 1 cm a count, or 0.05 ft when the unit counts feet.
double MetresOf(int32_t depth, bool feet = false);

// One word of a sonde's data: what it measures in the well at its sensor's
// depth, in its channel's unit, and the factory calibration that turns its raw count back into that
// unit (value = c0 + c1 x count). The shipped calibration files carry these
// coefficients, so a fresh installation reads the well in engineering units.
struct ChannelModel {
  const char* shortTitle;
  int offset;  // cm from the sonde's bottom, where the depth counter measures, up to the sensor
  double c0, c1;
  double (*value)(const Formation& f, double metres);
  // The count the sonde sends for a value: the calibration turned round.
  double Count(double v) const { return (v - c0) / c1; }
};

// The data words of the sonde a logging mode talks to, by position in its
// packet: the six-channel sonde (tool type 1, and any other six-channel
// tool), the flowmeter (6), the twelve-channel sonde (8), the cement-bond
// sonde (standard 3), the full-wave sonic (4; its picks are the unit's, so
// those words have no value function, only their receiver's offset), the sonic (10: gamma, then the four count
// words), the televiewer (2: none).
std::span<const ChannelModel> SondeChannels(uint8_t comStd, uint8_t toolType);

// Where the receivers of a waveform sonde sit (cm above the sonde's bottom:
// near, far): the cement-bond sonde for standard 3, the full-wave sonic else.
std::array<int, 2> ReceiverOffsets(uint8_t comStd);

// The echo amplitude (0 to 63) the televiewer's head reads off the wall at a
// depth, away from fractures: the rock's hardness, less where the wall is
// washed out. The head sits at the sonde's bottom, where the counter measures.
double TeleviewerAmplitude(const Well& well, double metres);

// One record (waveform tools: the near segments, then the far ones; 0-9 for
// the full-wave sonic, 0-4 for cement bond).
std::vector<std::vector<uint8_t>> MakeRecords(RecordKind kind, const SondeSample& s);

// The first-arrival sample of the full-wave sonde's near and far waveforms
// with the counter at a depth (two microseconds a sample), from the pipe or
// rock between each receiver and the transmitter.
int NearArrival(int32_t depth, const Well& well = DefaultWell(), bool feet = false);
int FarArrival(int32_t depth, const Well& well = DefaultWell(), bool feet = false);

}  // namespace qv::sim
