// The records the simulated unit sends for each logging mode, as the unit
// lays them out on the bulk pipe, with plausible sonde data that moves with
// depth and time. With the pattern switch the sample values follow the record
// index instead, so that tests can predict every byte.
#pragma once

#include <cstdint>
#include <vector>

namespace qv::sim {

enum class RecordKind { DepthReport, SixChannel, Twelve, Televiewer, CementBond, FullWave, Scope, Sonic };

// The kind of record a logging mode produces (standard, tool type and mode
// byte as the unit was told them).
RecordKind KindOfMode(uint8_t comStd, uint8_t toolType, uint8_t mode);
// The bulk length of one record of a kind (the sonic length depends on the standard).
uint32_t RecordLength(RecordKind kind, uint8_t comStd);

struct SondeSample {
  int32_t depth = 0;   // depth counts
  int32_t timeMs = 0;  // since logging began
  uint32_t index = 0;  // records since logging began
  uint8_t comStd = 0;
  bool pattern = false;
};

// One record (waveform tools: the near segments, then the far ones; 0-9 for
// the full-wave sonic, 0-4 for cement bond).
std::vector<std::vector<uint8_t>> MakeRecords(RecordKind kind, const SondeSample& s);

// The first-arrival sample of the near and far waveforms at a depth.
int NearArrival(int32_t depth);
int FarArrival(int32_t depth);

}  // namespace qv::sim
