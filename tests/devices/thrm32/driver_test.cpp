#include "devices/thrm32/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "devices/simulator/thermo/thermo_logger.h"

namespace {

using qv::sim::ThermoFault;

// Hands the driver a port that forwards to the rig's fake port, so the fake
// port's record outlives the driver's closing of it.
class Forward : public qv::SerialPort {
 public:
  explicit Forward(qv::SerialPort& p) : p_(p) {}
  int BytesWaiting() override { return p_.BytesWaiting(); }
  int Read(uint8_t* b, int n) override { return p_.Read(b, n); }
  int Write(const uint8_t* d, int n) override { return p_.Write(d, n); }
  void DiscardInput() override { p_.DiscardInput(); }
  bool SetRts(bool on) override { return p_.SetRts(on); }

 private:
  qv::SerialPort& p_;
};

// The driver on a fake port and a virtual clock, talking to the simulated
// logger's model.
struct Rig {
  qv::VirtualClock clock;
  qv::sim::ThermoLoggerModel model;
  thrm::Settings settings;
  std::unique_ptr<qv::FakeSerialPort> port;
  thrm::Driver driver;

  explicit Rig(qv::sim::ThermoSettings s = {}, thrm::Settings set = {}) : model(s), settings(set), driver(Env()) {}

  thrm::Environment Env() {
    thrm::Environment env;
    env.clock = &clock;
    env.settings = [this] { return settings; };
    env.openPort = [this](int) {
      port = std::make_unique<qv::FakeSerialPort>(clock, model);
      return std::make_unique<Forward>(*port);
    };
    return env;
  }

  void Run(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 5) {
      driver.Poll();
      clock.Advance(5);
    }
  }
  size_t Count(uint8_t cmd) const {
    const auto c = model.Commands();
    return static_cast<size_t>(std::count(c.begin(), c.end(), cmd));
  }
  // Runs until the logger has answered CMD once more and the driver has
  // taken the reply (it has sent the next command).
  void NextReading(uint8_t cmd) {
    const size_t before = Count(cmd);
    for (int i = 0; i < 4000; ++i) {
      driver.Poll();
      const auto c = model.Commands();
      if (Count(cmd) > before && c.back() != cmd) return;
      clock.Advance(5);
    }
    ADD_FAILURE() << "no reading for command " << int{cmd};
  }
  std::vector<uint8_t> CommandsFrom(size_t n) const {
    const auto c = model.Commands();
    return std::vector<uint8_t>(c.begin() + static_cast<std::ptrdiff_t>(std::min(n, c.size())), c.end());
  }
};

qv::sim::ThermoSettings Needing(int powerCycles) {
  qv::sim::ThermoSettings s;
  s.powerCyclesNeeded = powerCycles;
  return s;
}

TEST(OpenHandshake, PowerCyclesUntilTheLoggerAnswers) {
  const struct {
    const char* what;
    int cyclesNeeded;
    int turnround;
    bool late;
    bool opens;
    std::vector<int> rts;            // RTS states in order
    std::vector<uint32_t> offTimes;  // how long each power-off lasted
  } cases[] = {
      {"answers at once", 0, 0, false, true, {1}, {}},
      {"after one cycle", 1, 0, false, true, {1, 0, 1}, {200}},
      {"after two cycles", 2, 0, false, true, {1, 0, 1, 0, 1}, {200, 1000}},
      {"never", -1, 0, false, false, {1, 0, 1, 0, 1}, {200, 1000}},
      {"late replies, no turnround", 0, 0, true, false, {1, 0, 1, 0, 1}, {200, 1000}},
      {"late replies covered by Turnround", 0, 1500, true, true, {1}, {}},
  };
  for (const auto& c : cases) {
    thrm::Settings set;
    set.turnround = c.turnround;
    Rig rig(Needing(c.cyclesNeeded), set);
    if (c.late) rig.model.SetFault(ThermoFault::kLate);
    EXPECT_EQ(rig.driver.OpenUnit(1), c.opens ? 1 : 0) << c.what;
    ASSERT_NE(rig.port, nullptr);
    std::vector<int> rts;
    std::vector<uint32_t> offs;
    uint32_t offAt = 0;
    for (const auto& e : rig.port->Events()) {
      if (e.kind != qv::FakeSerialPort::Event::kRts) continue;
      rts.push_back(e.value);
      if (e.value == 0)
        offAt = e.atMs;
      else if (!rts.empty() && rts.size() > 1)
        offs.push_back(e.atMs - offAt);
    }
    EXPECT_EQ(rts, c.rts) << c.what;
    EXPECT_EQ(offs, c.offTimes) << c.what;
    int16_t version = 0;
    long cycle = 0;
    EXPECT_EQ(rig.driver.GetCycle(&cycle, 1), c.opens ? 1 : 0) << c.what;
    EXPECT_EQ(rig.driver.GetVersion(&version, 1), c.opens ? 1 : 0) << c.what;
    if (c.opens) {
      EXPECT_EQ(version, 0x0203) << c.what;
    }
  }
}

TEST(Scheduler, OrderOfCommandsAndResolution) {
  Rig rig;
  ASSERT_EQ(rig.driver.OpenUnit(1), 1);
  // Open: the version first, then the two references in turn.
  const auto atOpen = rig.model.Commands();
  ASSERT_GE(atOpen.size(), 8u);
  const std::vector<uint8_t> opening(atOpen.begin() + 1, atOpen.begin() + 8);  // after the handshake's
  EXPECT_EQ(opening, (std::vector<uint8_t>{0x01, 0x42, 0x22, 0x42, 0x22, 0x42, 0x22}));

  EXPECT_EQ(rig.driver.SetResolution(1, 8), 0);
  EXPECT_EQ(rig.driver.SetResolution(1, 17), 0);
  EXPECT_EQ(rig.driver.SetResolution(1, 13), 1);
  EXPECT_EQ(rig.driver.SetChannel(1, 1, 'K', 10, 0, 0), 1);
  EXPECT_EQ(rig.driver.SetChannel(1, 3, 'k', 10, 0, 0), 1);
  rig.NextReading(0x0C);
  const size_t from = rig.model.Commands().size() - 1;
  rig.Run(400);
  const auto cmds = rig.CommandsFrom(from);
  ASSERT_GE(cmds.size(), 9u);
  const std::vector<uint8_t> first(cmds.begin(), cmds.begin() + 9);
  // channel 1, channel 3, one reference, the references alternating by cycle
  const std::vector<uint8_t> a = {0x4C, 0x2E, 0x0C, 0x4C, 0x4E, 0x0C, 0x4C, 0x2E, 0x0C};
  const std::vector<uint8_t> b = {0x4C, 0x4E, 0x0C, 0x4C, 0x2E, 0x0C, 0x4C, 0x4E, 0x0C};
  EXPECT_TRUE(first == a || first == b) << testing::PrintToString(first);
  long c1 = 0, c2 = 0;
  rig.driver.GetCycle(&c1, 1);
  rig.Run(400);
  rig.driver.GetCycle(&c2, 1);
  EXPECT_GT(c2, c1);
}

TEST(Scheduler, RetriesThenFallsBackToTheVersionRequest) {
  for (ThermoFault fault : {ThermoFault::kShort, ThermoFault::kLong, ThermoFault::kNoSign}) {
    Rig rig;
    ASSERT_EQ(rig.driver.OpenUnit(1), 1);
    ASSERT_EQ(rig.driver.SetChannel(1, 1, 'K', 10, 0, 0), 1);
    rig.NextReading(0x00);
    const size_t from = rig.model.Commands().size();
    const size_t eventsFrom = rig.port->Events().size();
    rig.model.SetFault(fault, 5);
    rig.Run(7000);
    const auto cmds = rig.CommandsFrom(from);
    ASSERT_GE(cmds.size(), 8u);
    SCOPED_TRACE(testing::PrintToString(cmds));
    // The command in flight was answered; the next one fails five times in a
    // row, and then the driver asks for the version and goes on from there.
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(cmds[i], cmds[0]) << i;
    EXPECT_EQ(cmds[5], 0x01);
    EXPECT_NE(cmds[6], 0x01);
    // Each retry waits for the command's time-out.
    std::vector<uint32_t> writes;
    const auto events = rig.port->Events();
    for (size_t i = eventsFrom; i < events.size(); ++i)
      if (events[i].kind == qv::FakeSerialPort::Event::kWrite) writes.push_back(events[i].atMs);
    ASSERT_GE(writes.size(), 3u);
    EXPECT_GE(writes[1] - writes[0], 1000u);
    long t = 0;
    EXPECT_EQ(rig.driver.GetTemp(&t, 1, 1, 0), 1);
  }
}

TEST(Filters, MedianOfThreeAndExponentialFilter) {
  qv::sim::ThermoSettings s;
  s.type[0] = 'X';  // a voltage channel: the reading itself comes back
  Rig rig(s);
  ASSERT_EQ(rig.driver.OpenUnit(1), 1);
  ASSERT_EQ(rig.driver.SetChannel(1, 1, 'X', 4, 0, 0), 1);
  auto uv = [](int64_t d) { return thrm::MulDivRound(d, 59524, 65536) / 4; };
  const struct {
    int32_t reading;
    int64_t raw;       // median x factor
    int64_t filtered;  // the accumulator
  } steps[] = {
      {1000, 4000, 4000},  // first reading: the filter starts at it
      {2000, 8000, 5000},  // median of two is the upper one; A + m - A / f
      {3000, 8000, 5750},  // median of three
      {3000, 12000, 7313},
  };
  for (const auto& st : steps) {
    rig.model.SetTemperature(1, st.reading);
    rig.NextReading(0x00);
    long raw = 0, filtered = 0;
    ASSERT_EQ(rig.driver.GetTemp(&raw, 1, 1, 0), 1);
    ASSERT_EQ(rig.driver.GetTemp(&filtered, 1, 1, 1), 1);
    EXPECT_EQ(raw, uv(st.raw)) << st.reading;
    EXPECT_EQ(filtered, uv(st.filtered)) << st.reading;
  }
  rig.driver.UpdateFilters();
  long filtered = 0;
  ASSERT_EQ(rig.driver.GetTemp(&filtered, 1, 1, 1), 1);
  EXPECT_EQ(filtered, uv(12000));
  // A new factor keeps the filtered value's meaning.
  ASSERT_EQ(rig.driver.SetChannel(1, 1, 'X', 8, 0, 0), 1);
  ASSERT_EQ(rig.driver.GetTemp(&filtered, 1, 1, 1), 1);
  EXPECT_EQ(filtered, thrm::MulDivRound(24000, 59524, 65536) / 8);
}

TEST(Temperatures, EveryTypeAgainstTheColdJunction) {
  qv::sim::ThermoSettings s;
  const char types[8] = {'K', 'J', 'T', 'E', 'N', 'R', 'S', 'B'};
  const int32_t temps[8] = {2500, 15000, -5000, 30000, 80000, 120000, 100000, 150000};
  std::copy(types, types + 8, s.type);
  std::copy(temps, temps + 8, s.temperature);
  s.coldJunction = 2500;
  Rig rig(s);
  ASSERT_EQ(rig.driver.OpenUnit(1), 1);
  for (int ch = 1; ch <= 8; ++ch) ASSERT_EQ(rig.driver.SetChannel(1, ch, types[ch - 1], 10, 0, 0), 1);
  rig.Run(3000);
  long cj = 0;
  ASSERT_EQ(rig.driver.GetColdJunction(&cj, 1), 1);
  EXPECT_NEAR(cj, 2500, 5);
  for (int ch = 1; ch <= 8; ++ch) {
    long t = 0;
    ASSERT_EQ(rig.driver.GetTemp(&t, 1, ch, 0), 1) << types[ch - 1];
    EXPECT_NEAR(t, temps[ch - 1], 30) << types[ch - 1];
  }
  // Reading 0 at a 25 degC cold junction: the worked example, 24.98 degC by
  // the maker's table and 25.00 by the reference tables.
  long t = 0;
  ASSERT_EQ(rig.driver.GetTemp(&t, 1, 1, 1), 1);
  EXPECT_NEAR(t, 2498, 5);
  // A reading beyond the type's table reports 0.
  ASSERT_EQ(rig.driver.SetChannel(1, 1, 'T', 10, 0, 0), 1);
  rig.model.SetTemperature(1, 100000);  // a type K voltage at 1000 degC, read as type T
  for (int i = 0; i < 3; ++i) rig.NextReading(0x00);
  t = 123;
  EXPECT_EQ(rig.driver.GetTemp(&t, 1, 1, 0), 0);
  EXPECT_EQ(t, 0);
}

TEST(Faults, ZeroReferenceZeroGainAdjustAndUnplugging) {
  {
    Rig rig;
    rig.model.SetFault(ThermoFault::kZeroReference);
    ASSERT_EQ(rig.driver.OpenUnit(1), 1);
    ASSERT_EQ(rig.driver.SetChannel(1, 1, 'K', 10, 0, 0), 1);
    rig.Run(1000);
    long v = 0;
    EXPECT_EQ(rig.driver.GetColdJunction(&v, 1), 0);  // unknown, no division by zero
    EXPECT_EQ(rig.driver.GetTemp(&v, 1, 1, 0), 0);
  }
  {
    thrm::Settings set;
    set.gainAdjust = 0;  // taken as the default
    Rig rig({}, set);
    ASSERT_EQ(rig.driver.OpenUnit(1), 1);
    ASSERT_EQ(rig.driver.SetChannel(1, 1, 'K', 10, 0, 0), 1);
    rig.Run(1000);
    long v = 0;
    ASSERT_EQ(rig.driver.GetTemp(&v, 1, 1, 0), 1);
    EXPECT_NEAR(v, 2000, 30);
    rig.model.Unplug();
    rig.Run(3000);  // time-outs on a dead port, no crash
    long cycle = 0;
    EXPECT_EQ(rig.driver.GetCycle(&cycle, 1), 1);
    rig.driver.CloseUnit(1);
    EXPECT_EQ(rig.driver.GetCycle(&cycle, 1), 0);
    EXPECT_EQ(rig.driver.OpenUnit(1), 0);  // still unplugged
  }
}

TEST(Exports, ArgumentChecks) {
  Rig rig;
  EXPECT_EQ(rig.driver.OpenUnit(0), 0);
  EXPECT_EQ(rig.driver.OpenUnit(21), 0);
  ASSERT_EQ(rig.driver.OpenUnit(20), 1);
  EXPECT_EQ(rig.driver.OpenUnit(20), 0);  // already open
  const struct {
    int channel;
    char type;
    int factor;
    int want;
  } channels[] = {{1, 'k', 10, 1}, {1, 'Q', 10, 0},  {0, 'K', 10, 0},  {9, 'K', 10, 0},
                  {2, 'K', 0, 0},  {2, 'K', 101, 0}, {2, 'X', 100, 1}, {2, 'K', 1, 1}};
  for (const auto& c : channels)
    EXPECT_EQ(rig.driver.SetChannel(20, c.channel, c.type, c.factor, 0, 0), c.want) << c.channel << c.type;
  EXPECT_EQ(rig.driver.SetChannel(5, 1, 'K', 10, 0, 0), 0);  // port not open
  rig.Run(1000);
  long v = 0;
  EXPECT_EQ(rig.driver.GetTemp(&v, 20, 1, 0), 0);  // 'Q' disabled it
  EXPECT_EQ(rig.driver.GetTemp(&v, 20, 9, 0), 0);
  EXPECT_EQ(rig.driver.GetTemp(&v, 21, 1, 0), 0);
  EXPECT_EQ(rig.driver.GetTemp(nullptr, 20, 2, 0), 0);
  EXPECT_EQ(rig.driver.GetTemp(&v, 20, 2, 0), 1);
}

TEST(LabView, OpensSetsUpAndWaitsWithALimit) {
  Rig rig;
  float value = 0;
  EXPECT_EQ(rig.driver.LabView(&value, 1, 1, "K", 10, 0, 0), 1);
  EXPECT_NEAR(value, 20.0f, 0.3f);
  EXPECT_EQ(rig.driver.LabView(&value, 1, 1, "K", 10, 0, 0), 1);  // already set up
  EXPECT_EQ(rig.driver.LabView(&value, 1, 9, "K", 10, 0, 0), 0);
  EXPECT_EQ(rig.driver.LabView(&value, 1, 2, "K", 101, 0, 0), 0);
  // A channel that never answers: the wait ends at its limit.
  rig.model.SetFault(ThermoFault::kShort);
  const uint32_t start = rig.clock.NowMs();
  EXPECT_EQ(rig.driver.LabView(&value, 1, 2, "K", 0, 0, 0), 0);
  EXPECT_GE(rig.clock.NowMs() - start, 8000u);
}

// The driver's own poller and its callers meet under the driver's lock:
// TBdevice's acquisition thread reads temperatures while the poller talks to
// the logger, another caller refreshes the filters and a second logger is
// opened and closed meanwhile. Every reader gets sound readings.
TEST(Concurrency, PollerAndCallersOnSeveralThreads) {
  qv::VirtualClock clock;
  qv::sim::ThermoLoggerModel models[3];
  thrm::Environment env;
  env.clock = &clock;
  env.settings = [] { return thrm::Settings{}; };
  env.openPort = [&](int port) -> std::unique_ptr<qv::SerialPort> {
    return std::make_unique<qv::FakeSerialPort>(clock, models[port]);
  };
  env.pollThread = true;
  thrm::Driver driver(env);
  ASSERT_EQ(driver.OpenUnit(1), 1);
  ASSERT_EQ(driver.SetResolution(1, 13), 1);
  for (int ch = 1; ch <= 8; ++ch) ASSERT_EQ(driver.SetChannel(1, ch, 'K', 10, 0, 0), 1);

  std::atomic<bool> stop{false};
  std::atomic<int> sound[2] = {0, 0};
  std::atomic<int> wrong{0};
  std::atomic<int> reopened{0};
  std::vector<std::thread> threads;
  // Virtual time runs on beside the poller, as real time would.
  threads.emplace_back([&] {
    while (!stop) {
      clock.Advance(5);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&, r] {
      while (!stop) {
        for (int16_t ch = 1; ch <= 3; ++ch) {
          long t = 0;
          if (!driver.GetTemp(&t, 1, ch, r == 1)) continue;
          if (std::abs(t - (1500 + 500 * ch)) <= 40)
            ++sound[r];
          else if (r == 0)  // the filtered value may still be settling
            ++wrong;
        }
        long cj = 0;
        driver.GetColdJunction(&cj, 1);
        std::this_thread::yield();
      }
    });
  }
  threads.emplace_back([&] {
    while (!stop) {
      driver.UpdateFilters();
      long cycle = 0;
      driver.GetCycle(&cycle, 1);
      std::this_thread::yield();
    }
  });
  threads.emplace_back([&] {
    while (!stop) {
      if (driver.OpenUnit(2) && driver.SetChannel(2, 1, 'J', 10, 0, 0)) ++reopened;
      driver.CloseUnit(2);
    }
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const auto enough = [&] { return sound[0] >= 2000 && sound[1] >= 2000 && reopened >= 20; };
  while (!enough() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  stop = true;
  for (auto& t : threads) t.join();
  EXPECT_GE(sound[0], 2000);
  EXPECT_GE(sound[1], 2000);
  EXPECT_GE(reopened, 20);
  EXPECT_EQ(wrong, 0);
  driver.CloseAll();
}

}  // namespace
