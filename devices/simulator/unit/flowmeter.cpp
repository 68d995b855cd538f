#include "devices/simulator/unit/flowmeter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/profile/profile.h"

namespace qv::sim {

namespace {
constexpr int16_t kEqualise = 135;
constexpr int16_t kFire = 105;
}  // namespace

bool FlowFromScenario(const std::string& path, FlowScript* script, std::string* error) {
  const std::string speed = qv::GetProfileText(path, "Flowmeter", "Speed", "");
  const std::string direction = qv::GetProfileText(path, "Flowmeter", "Direction", "");
  if (!speed.empty()) {
    char* end = nullptr;
    const double v = std::strtod(speed.c_str(), &end);
    if (end == speed.c_str() || *end != '\0' || !(v > 6 && v < 1000)) {
      if (error) *error = path + ": [Flowmeter] Speed = " + speed + " is not a speed from 6 to 1000 m/min";
      return false;
    }
    script->speed = v;
  }
  if (!direction.empty()) {
    if (direction != "Up" && direction != "Down") {
      if (error) *error = path + ": [Flowmeter] Direction = " + direction + " is neither Up nor Down";
      return false;
    }
    script->up = direction == "Up";
  }
  return true;
}

double HeatPulseFlowmeter::PeakTime(double speed) {
  return std::exp((5.2502 - speed / 60) / 1.5156);
}

void HeatPulseFlowmeter::Command(int16_t code, uint64_t nowMs) {
  if (code == kEqualise) {
    phase_ = Phase::Equalising;
  } else if (code == kFire) {
    phase_ = Phase::Fired;
    firedMs_ = nowMs;
  } else {
    phase_ = Phase::Off;
  }
}

uint16_t HeatPulseFlowmeter::Count(uint64_t nowMs) const {
  double v = script_.offset;
  if (phase_ == Phase::Fired && nowMs >= firedMs_) {
    // A pulse that rises to its peak at tp and decays after it.
    const double t = static_cast<double>(nowMs - firedMs_) / 1000, tp = PeakTime(script_.speed);
    const double pulse = script_.amplitude * (t / tp) * std::exp(1 - t / tp);
    v += script_.up ? -pulse : pulse;
  }
  return static_cast<uint16_t>(std::lround(std::clamp(v, 0.0, 65535.0)));
}

void HeatPulseFlowmeter::Apply(std::vector<uint8_t>& record, uint64_t nowMs) const {
  if (record.size() < 23) return;
  const uint16_t old = static_cast<uint16_t>(record[10] | (record[11] << 8));
  const uint16_t x = Count(nowMs);
  record[10] = static_cast<uint8_t>(x & 0xFF);
  record[11] = static_cast<uint8_t>(x >> 8);
  record[22] = static_cast<uint8_t>(record[22] - old + x);
}

}  // namespace qv::sim
