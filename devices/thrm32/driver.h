// The logger driver behind the exports: per-port unit records, the open
// handshake with power cycles, the command scheduler, reply parsing, the
// filters and the conversions. One lock guards all driver state, because the
// poller thread and the callers (TBdevice's acquisition thread) meet here.
// Ports, the clock and the settings are injected so that tests run the
// driver on a fake port and a virtual clock.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "devices/thrm32/tables.h"
#include "platform/serial/serial.h"
#include "platform/sync/sync.h"

namespace thrm {

constexpr int kPorts = 20;
constexpr int kIndices = 11;  // 0-7 thermocouples, 8 version, 9 and 10 references
constexpr int kVersionIndex = 8;
constexpr int kDriverVersion = 517;

struct Settings {
  int turnround = 0;     // ms added to every reply wait and time-out
  int gainAdjust = 100;  // divisor of the gain correction
};

struct Environment {
  std::function<std::unique_ptr<qv::SerialPort>(int port)> openPort;
  qv::Clock* clock = nullptr;
  std::function<Settings()> settings;  // read at every open
  bool pollThread = false;             // poll every 25 ms on a thread of its own
};

class Driver {
 public:
  explicit Driver(Environment env);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  int OpenUnit(int port);
  void CloseUnit(int port);
  void CloseAll();
  int SetResolution(int port, int bits);
  int SetChannel(int port, int channel, char type, int factor, int offset, int gain);
  int GetTemp(long* value, int port, int channel, bool filtered);
  int GetColdJunction(long* value, int port);
  int GetVersion(int16_t* version, int port);
  int GetCycle(long* cycle, int port);
  void Poll();
  void UpdateFilters();
  int LabView(float* value, int port, int channel, const char* type, int factor, int gain, int offset);

  // For tests: the channel index the unit waits on.
  int CurrentIndex(int port);

 private:
  struct Channel {
    bool enabled = false;
    bool ready = false;
    int factor = 10;
    int timeoutMs = 1000;
    int replyLength = 3;
    int32_t readings[3] = {0, 0, 0};
    int count = 0;
    int64_t accumulator = 0;
    const TypeTable* type = nullptr;
    int offset = 0;
    int gain = 0;
  };
  struct Unit {
    bool open = false;
    bool opening = false;
    std::unique_ptr<qv::SerialPort> port;
    int index = 0;
    uint32_t deadline = 0;
    int retries = 0;
    uint8_t resolution = 0;
    uint32_t cycle = 0;
    bool versionKnown = false;
    int16_t version = 0;
    Channel ch[kIndices];
  };

  Unit* UnitOf(int port);  // null outside 1-20
  bool Handshake(qv::SerialPort& port);
  bool WaitForReply(qv::SerialPort& port);
  void SendNext(Unit& u, bool advance);
  void PollUnit(Unit& u);
  void Parse(Unit& u, const uint8_t* reply, int n);
  bool ColdJunction(Unit& u, int32_t* temperature);
  int ReadTemp(Unit& u, long* value, int channel, bool filtered);
  void StartPoller();
  void StopPollerIfIdle();

  Environment env_;
  qv::Clock& clock_;
  std::recursive_mutex mutex_;
  std::array<Unit, kPorts + 1> units_;  // index 0 unused
  Settings settings_;
  std::mutex pollerMutex_;  // start and stop of the poller; never held with the driver lock
  std::unique_ptr<qv::Thread> poller_;
};

}  // namespace thrm
