// The exports of libthrm32.so. One driver per process, polled by a thread of
// its own while a logger is open. With QUORVANTA_SIMULATOR set, every port
// is answered by a simulated logger on a pseudo-terminal of its own, with the
// logger's default channels (the scenario file belongs to the simulated
// unit, whose reader refuses keys it does not know).
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "devices/simulator/thermo/thermo_logger.h"
#include "devices/thrm32/driver.h"
#include "devices/thrm32/thrm32.h"
#include "platform/profile/profile.h"

namespace {

// The simulated loggers, one per port asked for, kept until unload.
struct SimulatedLoggers {
  std::mutex mutex;
  std::map<int, std::unique_ptr<qv::sim::PtyThermoLogger>> byPort;
};

SimulatedLoggers& Simulated() {
  static SimulatedLoggers s;
  return s;
}

std::unique_ptr<qv::SerialPort> OpenPort(int port) {
  const char* sim = std::getenv("QUORVANTA_SIMULATOR");
  if (sim && *sim) {
    SimulatedLoggers& s = Simulated();
    std::lock_guard lk(s.mutex);
    auto& logger = s.byPort[port];
    if (!logger) {
      logger = std::make_unique<qv::sim::PtyThermoLogger>();
      if (!logger->Start()) return nullptr;
      qv::SetSerialDeviceOverride(port, logger->SlavePath());
    }
  }
  return qv::OpenComPort(port);
}

thrm::Driver& TheDriver() {
  Simulated();  // made first, so it is unloaded after the driver has closed its ports
  static thrm::Driver driver([] {
    thrm::Environment env;
    env.openPort = OpenPort;
    env.pollThread = true;
    env.settings = [] {
      thrm::Settings s;
      const std::string ini = qv::WinIniFile();
      s.turnround = qv::GetPrivateProfileInt("THRM", "Turnround", 0, ini);
      s.gainAdjust = qv::GetPrivateProfileInt("THRM", "GainAdjust", 100, ini);
      return s;
    };
    return env;
  }());
  return driver;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int thrm_open_unit(int16_t port) {
  return TheDriver().OpenUnit(port);
}

__attribute__((visibility("default"))) void thrm_close_unit(int16_t port) {
  TheDriver().CloseUnit(port);
}

__attribute__((visibility("default"))) int thrm_set_resolution(int16_t port, int16_t bits) {
  return TheDriver().SetResolution(port, bits);
}

__attribute__((visibility("default"))) int thrm_set_channel(int16_t port, int16_t channel, char type, int16_t factor,
                                                            int16_t offset, int16_t gain) {
  return TheDriver().SetChannel(port, channel, type, factor, offset, gain);
}

__attribute__((visibility("default"))) int thrm_get_temp(long* value, int16_t port, int16_t channel, int16_t filtered) {
  return TheDriver().GetTemp(value, port, channel, filtered != 0);
}

__attribute__((visibility("default"))) int thrm_get_cold_junction(long* value, int16_t port) {
  return TheDriver().GetColdJunction(value, port);
}

__attribute__((visibility("default"))) int thrm_get_version(int16_t* version, int16_t port) {
  return TheDriver().GetVersion(version, port);
}

__attribute__((visibility("default"))) int thrm_get_cycle(long* cycle, int16_t port) {
  return TheDriver().GetCycle(cycle, port);
}

__attribute__((visibility("default"))) int thrm_get_driver_version(void) {
  return thrm::kDriverVersion;
}

__attribute__((visibility("default"))) void thrm_poll_driver(void) {
  TheDriver().Poll();
}

__attribute__((visibility("default"))) void thrm_update_filters(void) {
  TheDriver().UpdateFilters();
}

__attribute__((visibility("default"))) int thrm_labview(float* value, int16_t port, int16_t channel, const char* type,
                                                        int16_t factor, int16_t gain, int16_t offset) {
  return TheDriver().LabView(value, port, channel, type, factor, gain, offset);
}

}  // extern "C"
