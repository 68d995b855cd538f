// The simulated thermocouple logger. The model answers the logger's command
// bytes with three-byte replies after a short conversion time: eight
// thermocouple channels at set temperatures (each type by its reference
// function, measured against the cold junction), the two cold-junction
// reference channels and the version word. Faults on demand: no answer until
// power-cycled once, twice or never; late, short or long replies; a zero
// reference reading; unplugging.
// The model runs on a fake port (unit tests, virtual time) or behind the
// master side of a pseudo-terminal (the program and end-to-end tests).
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial/serial.h"

namespace qv::sim {

struct ThermoSettings {
  char type[8] = {'K', 'K', 'K', 'K', 'K', 'K', 'K', 'K'};
  int32_t temperature[8] = {2000, 2500, 3000, 5000, 10000, 20000, -1000, 15000};  // hundredths of degC
  int32_t coldJunction = 2500;                                                      // hundredths of degC
  uint16_t version = 0x0203;
  uint32_t replyDelayMs = 20;
  // Power-on count needed before it answers: 0 answers at the first power-on,
  // 1 after one power cycle, 2 after two, -1 never.
  int powerCyclesNeeded = 0;
};

enum class ThermoFault { kNone, kLate, kShort, kLong, kNoSign, kZeroReference };

class ThermoLoggerModel : public FakeSerialPort::Peer {
 public:
  explicit ThermoLoggerModel(ThermoSettings s = {});

  void Received(const uint8_t* data, size_t n, uint32_t nowMs) override;
  void RtsChanged(bool on, uint32_t nowMs) override;
  std::vector<uint8_t> Due(uint32_t nowMs) override;
  bool Gone() const override { return unplugged_; }

  void SetTemperature(int channel, int32_t hundredths);  // channel 1-8
  void SetColdJunction(int32_t hundredths);
  // The next COUNT replies (-1: all from now on) carry the fault.
  void SetFault(ThermoFault fault, int count = -1);
  void Unplug() { unplugged_ = true; }
  // RTS reaches the model: it stays silent until powered.
  void ExpectPowerReports();
  // Commands received (in order), and how often power came on.
  std::vector<uint8_t> Commands() const;
  int PowerOns() const;
  // The reply bytes a command gets without faults.
  std::vector<uint8_t> ReplyTo(uint8_t command) const;

 private:
  bool Answering() const;
  mutable std::mutex mutex_;
  ThermoSettings s_;
  std::deque<std::pair<uint32_t, std::vector<uint8_t>>> pending_;
  std::vector<uint8_t> commands_;
  bool powerReported_ = false;
  bool powered_ = true;
  int powerOns_ = 0;
  ThermoFault fault_ = ThermoFault::kNone;
  int faultCount_ = 0;
  std::atomic<bool> unplugged_{false};
};

// The model behind a pseudo-terminal, on real time. The slave path is what
// the driver opens; RTS reaches the model through the serial layer's side
// channel. Commands are answered only while the line is set to 9600 8N1 raw.
class PtyThermoLogger {
 public:
  explicit PtyThermoLogger(ThermoSettings s = {});
  ~PtyThermoLogger();
  PtyThermoLogger(const PtyThermoLogger&) = delete;
  PtyThermoLogger& operator=(const PtyThermoLogger&) = delete;

  bool Start();
  const std::string& SlavePath() const { return slave_; }
  ThermoLoggerModel& Model() { return model_; }
  // The line settings were wrong when a command came in.
  bool SawBadLineSettings() const { return badSettings_; }
  // Pulls the plug: the master side closes.
  void Unplug();

 private:
  void Run();
  bool LineIsRaw9600() const;
  ThermoLoggerModel model_;
  int master_ = -1;
  int slaveKeep_ = -1;  // keeps the terminal alive between opens by the driver
  std::string slave_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> badSettings_{false};
};

}  // namespace qv::sim
