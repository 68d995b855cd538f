// The heat-pulse flowmeter as the simulated unit plays it. The sonde command
// 135 starts an equalisation (the sensors settle: the differential stays at
// its offset), 105 fires the heaters: from then on channel 1 of the
// time-based six-channel records carries the offset plus a heat pulse whose
// peak comes at the time that the internal speed function reads as the
// scripted fluid speed. Flow up gives a negative differential, flow down a
// positive one. Any other sonde command ends the flowmeter's part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::sim {

struct FlowScript {
  double speed = 80;        // m/min, the magnitude of the fluid speed
  bool up = true;           // the direction of flow
  double amplitude = 1500;  // counts per second at the peak (inside the dialog's first CPS scale)
  double offset = 20000;    // the differential's count at rest
};

// Reads the [Flowmeter] section of a scenario file: Speed = m/min (above 6,
// where the speed function reads times under 30 s), Direction = Up or Down.
// False with a message when a value is bad; an absent section keeps the defaults.
bool FlowFromScenario(const std::string& path, FlowScript* script, std::string* error);

class HeatPulseFlowmeter {
 public:
  void SetScript(const FlowScript& s) { script_ = s; }
  const FlowScript& Script() const { return script_; }
  // A sonde command at a time on the unit's clock.
  void Command(int16_t code, uint64_t nowMs);
  bool Active() const { return phase_ != Phase::Off; }
  // The channel-1 count at a time on the unit's clock.
  uint16_t Count(uint64_t nowMs) const;
  // Puts the count into a six-channel record (bytes 10-11) and mends its checksum (byte 22).
  void Apply(std::vector<uint8_t>& record, uint64_t nowMs) const;
  // The time (s) after firing at which the pulse peaks for a speed (m/min).
  static double PeakTime(double speed);

 private:
  enum class Phase { Off, Equalising, Fired };
  FlowScript script_;
  Phase phase_ = Phase::Off;
  uint64_t firedMs_ = 0;
};

}  // namespace qv::sim
