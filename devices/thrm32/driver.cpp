#include "driver.h"

#include <algorithm>

namespace thrm {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr uint32_t kPollPeriodMs = 25;
constexpr int kMaxRetries = 3;  // above this the unit falls back to the version request

bool Passed(uint32_t now, uint32_t deadline) { return static_cast<int32_t>(now - deadline) >= 0; }

}  // namespace

Driver::Driver(Environment env) : env_(std::move(env)), clock_(env_.clock ? *env_.clock : qv::SystemClock()) {
  if (!env_.openPort) env_.openPort = [](int port) { return qv::OpenComPort(port); };
}

Driver::~Driver() {
  CloseAll();
  std::lock_guard lk(pollerMutex_);
  if (poller_) poller_->Stop(2000);
}

Driver::Unit* Driver::UnitOf(int port) { return port >= 1 && port <= kPorts ? &units_[port] : nullptr; }

bool Driver::WaitForReply(qv::SerialPort& port) {
  clock_.SleepMs(static_cast<uint32_t>(settings_.turnround) + 100);
  return port.BytesWaiting() == 3;
}

// Power on and ask for the version; a logger that stays silent is power
// cycled, first briefly, then for a full second.
bool Driver::Handshake(qv::SerialPort& port) {
  static const uint8_t kVersion = 0x01;
  port.SetRts(true);
  clock_.SleepMs(600);
  port.DiscardInput();
  port.Write(&kVersion, 1);
  bool ok = WaitForReply(port);
  port.DiscardInput();  // the scheduler starts on a clean line
  for (uint32_t offMs : {200u, 1000u}) {
    if (ok) break;
    port.SetRts(false);
    clock_.SleepMs(offMs);
    port.SetRts(true);
    clock_.SleepMs(100);
    port.DiscardInput();
    port.Write(&kVersion, 1);
    clock_.SleepMs(600);
    port.DiscardInput();
    port.Write(&kVersion, 1);
    ok = WaitForReply(port);
    port.DiscardInput();
  }
  return ok;
}

int Driver::OpenUnit(int port) {
  Unit* u = nullptr;
  {
    Lock lk(mutex_);
    u = UnitOf(port);
    if (!u || u->open || u->opening) return 0;
    u->opening = true;
    if (env_.settings) settings_ = env_.settings();
    settings_.turnround = std::max(0, settings_.turnround);
  }
  std::unique_ptr<qv::SerialPort> p = env_.openPort(port);
  if (!p || !Handshake(*p)) {
    Lock lk(mutex_);
    u->opening = false;
    return 0;
  }
  uint32_t limit;
  {
    Lock lk(mutex_);
    u->port = std::move(p);
    u->open = true;
    u->index = 0;
    u->retries = 0;
    u->versionKnown = false;
    for (int i = 0; i < kIndices; ++i) {
      Channel& c = u->ch[i];
      c.ready = false;
      c.count = 0;
      c.replyLength = 3;  // every reply is three bytes, the version's included
      if (i < 8) {
        c.enabled = false;
        c.factor = 10;
      } else if (i == kVersionIndex) {
        c.enabled = true;
        c.timeoutMs = 100;
      } else {
        c.enabled = true;
        c.factor = 10;
        c.timeoutMs = 1000;
      }
    }
    SendNext(*u, true);
    limit = clock_.NowMs() + 5u * static_cast<uint32_t>(settings_.turnround) + 8000u;
  }
  bool done = false;
  for (;;) {
    {
      Lock lk(mutex_);
      PollUnit(*u);
      done = u->versionKnown && u->ch[9].count == 3 && u->ch[10].count == 3;
    }
    if (done || Passed(clock_.NowMs(), limit)) break;
    clock_.SleepMs(kPollPeriodMs);
  }
  {
    Lock lk(mutex_);
    u->opening = false;
    if (!done) {
      u->port.reset();
      u->open = false;
      return 0;
    }
  }
  if (env_.pollThread) StartPoller();
  return 1;
}

void Driver::CloseUnit(int port) {
  {
    Lock lk(mutex_);
    Unit* u = UnitOf(port);
    if (!u || !u->open) return;
    u->port.reset();
    u->open = false;
  }
  StopPollerIfIdle();
}

void Driver::CloseAll() {
  for (int p = 1; p <= kPorts; ++p) CloseUnit(p);
}

void Driver::StartPoller() {
  std::lock_guard lk(pollerMutex_);
  if (poller_ && poller_->Running() && !poller_->StopEvent().IsSet()) return;
  if (poller_) poller_->Stop(2000);  // one that was told to end while the last unit closed
  poller_ = std::make_unique<qv::Thread>();
  poller_->Start(
      [this](qv::Event& stop) {
        while (!stop.IsSet()) {
          Poll();
          if (qv::SleepOrStop(kPollPeriodMs, stop)) break;
        }
        return 0;
      },
      false, qv::ThreadPriority::Normal, "thrm32 poll");
}

void Driver::StopPollerIfIdle() {
  std::lock_guard lk(pollerMutex_);
  {
    Lock guard(mutex_);
    for (int p = 1; p <= kPorts; ++p)
      if (units_[p].open || units_[p].opening) return;
  }
  if (poller_) poller_->RequestStop();  // it ends on its own; joined when the next one starts
}

void Driver::SendNext(Unit& u, bool advance) {
  if (advance) {
    int i = u.index;
    for (int guard = 0; guard < 3 * kIndices; ++guard) {
      if (i < 7) {
        ++i;
      } else if (i == 7) {
        i = !u.versionKnown ? kVersionIndex : (u.cycle % 2 == 0 ? 9 : 10);
      } else {
        ++u.cycle;
        i = 0;
      }
      if (u.ch[i].enabled) break;
    }
    u.index = i;
  }
  const uint8_t cmd = CommandByte(u.index, u.resolution);
  if (u.port) u.port->Write(&cmd, 1);  // a lost command is caught by its time-out
  u.deadline = clock_.NowMs() + static_cast<uint32_t>(u.ch[u.index].timeoutMs + settings_.turnround);
}

void Driver::Parse(Unit& u, const uint8_t* reply, int n) {
  Channel& c = u.ch[u.index];
  if (n != c.replyLength) return;
  const int32_t magnitude = (reply[1] << 8) | reply[2];
  if (u.index == kVersionIndex) {
    u.version = static_cast<int16_t>(magnitude);
    u.versionKnown = true;
    c.ready = true;
  } else {
    if (reply[0] != '+' && reply[0] != '-') return;  // not a reading: the time-out asks again
    const int32_t value = (reply[0] == '-' && u.index < 8) ? -magnitude : magnitude;
    if (c.count == 3) {
      c.readings[0] = c.readings[1];
      c.readings[1] = c.readings[2];
      c.readings[2] = value;
    } else {
      c.readings[c.count++] = value;
    }
    const int64_t m = MedianOfThree(c.readings, c.count);
    if (c.ready) {
      c.accumulator = c.accumulator + m - c.accumulator / c.factor;
    } else {
      c.accumulator = m * c.factor;
      c.ready = true;
    }
  }
  u.retries = 0;
  SendNext(u, true);
}

void Driver::PollUnit(Unit& u) {
  if (!u.port) return;
  if (u.port->BytesWaiting() == 3) {
    uint8_t buf[10];
    const int n = u.port->Read(buf, sizeof buf);
    Parse(u, buf, n);
    return;
  }
  if (!Passed(clock_.NowMs(), u.deadline)) return;
  u.port->DiscardInput();
  if (u.retries > kMaxRetries) u.index = kVersionIndex;
  ++u.retries;
  SendNext(u, false);
}

void Driver::Poll() {
  Lock lk(mutex_);
  for (int p = 1; p <= kPorts; ++p)
    if (units_[p].open) PollUnit(units_[p]);
}

void Driver::UpdateFilters() {
  Lock lk(mutex_);
  Poll();
  for (int p = 1; p <= kPorts; ++p) {
    if (!units_[p].open) continue;
    for (Channel& c : units_[p].ch)
      if (c.count > 0) c.accumulator = static_cast<int64_t>(MedianOfThree(c.readings, c.count)) * c.factor;
  }
}

int Driver::SetResolution(int port, int bits) {
  Lock lk(mutex_);
  Unit* u = UnitOf(port);
  const int code = ResolutionCode(bits);
  if (!u || code < 0) return 0;
  u->resolution = static_cast<uint8_t>(code);
  return 1;
}

int Driver::SetChannel(int port, int channel, char type, int factor, int offset, int gain) {
  Lock lk(mutex_);
  Unit* u = UnitOf(port);
  if (!u || !u->open || channel < 1 || channel > 8) return 0;
  Channel& c = u->ch[channel - 1];
  const TypeTable* t = FindType(type);
  if (!t || factor < 1 || factor > 100) {
    if (t) {
      c.type = t;
      c.offset = offset;
      c.gain = gain;
    }
    c.enabled = false;
    return 0;
  }
  c.type = t;
  c.offset = offset;
  c.gain = gain;
  // A new factor rescales the filter, so the filtered value keeps its meaning.
  if (c.ready && c.factor != factor) c.accumulator = c.accumulator * factor / c.factor;
  c.factor = factor;
  c.timeoutMs = 1000;
  c.replyLength = 3;
  c.enabled = true;
  return 1;
}

bool Driver::ColdJunction(Unit& u, int32_t* temperature) {
  const Channel& a = u.ch[9];
  const Channel& b = u.ch[10];
  if (!a.ready || !b.ready || a.accumulator <= 0 || b.accumulator <= 0) return false;
  // Scaled so that the ratio fits 32 bits, as the logger's arithmetic always did.
  const uint64_t a10 = static_cast<uint32_t>(b.accumulator);
  const uint64_t a9 = static_cast<uint32_t>(a.accumulator);
  const uint64_t h = (a10 + 65535u) / 65536u;
  const uint64_t divisor = a9 / h;
  if (h == 0 || divisor == 0) return false;  // a zero reference reading: cold junction unknown
  const uint64_t r = (a10 / h) * 65536u / divisor;
  return LinearizeThermocouple(ColdJunctionTable(), static_cast<int64_t>(r), 1, temperature);
}

int Driver::ReadTemp(Unit& u, long* value, int channel, bool filtered) {
  if (!u.open || channel < 1 || channel > 8) return 0;
  const Channel& c = u.ch[channel - 1];
  int32_t cjTemperature;
  if (!c.ready || !c.type || !ColdJunction(u, &cjTemperature)) return 0;
  const int64_t d = filtered ? c.accumulator : static_cast<int64_t>(MedianOfThree(c.readings, c.count)) * c.factor;
  if (c.type->values.empty()) {  // type X: the voltage in microvolts
    *value = static_cast<long>(MulDivRound(d, 59524, 65536) / c.factor);
    return 1;
  }
  int32_t cj;
  int32_t t;
  const int64_t v = d + c.offset;
  const int gainAdjust = settings_.gainAdjust != 0 ? settings_.gainAdjust : 100;
  const int64_t g = MulDivRound(v + v * c.gain / 10000, 100, gainAdjust);
  if (!ValueAtTemperature(*c.type, cjTemperature, &cj) ||
      !LinearizeThermocouple(*c.type, g + static_cast<int64_t>(c.factor) * cj, c.factor, &t)) {
    *value = 0;  // outside the type's table
    return 0;
  }
  *value = t;
  return 1;
}

int Driver::GetTemp(long* value, int port, int channel, bool filtered) {
  Lock lk(mutex_);
  Poll();
  Unit* u = UnitOf(port);
  if (!u || !value) return 0;
  return ReadTemp(*u, value, channel, filtered);
}

int Driver::GetColdJunction(long* value, int port) {
  Lock lk(mutex_);
  Poll();
  Unit* u = UnitOf(port);
  int32_t t;
  if (!u || !value || !u->open || !ColdJunction(*u, &t)) return 0;
  *value = t;
  return 1;
}

int Driver::GetVersion(int16_t* version, int port) {
  Lock lk(mutex_);
  Poll();
  Unit* u = UnitOf(port);
  if (!u || !u->open) return 0;
  if (version) *version = u->version;
  return u->versionKnown ? 1 : 0;
}

int Driver::GetCycle(long* cycle, int port) {
  Lock lk(mutex_);
  Unit* u = UnitOf(port);
  if (!u) return 0;
  if (cycle) *cycle = static_cast<long>(u->cycle);
  return u->open ? 1 : 0;
}

int Driver::CurrentIndex(int port) {
  Lock lk(mutex_);
  Unit* u = UnitOf(port);
  return u ? u->index : -1;
}

int Driver::LabView(float* value, int port, int channel, const char* type, int factor, int gain, int offset) {
  if (port < 1 || port > kPorts || channel < 1 || channel > 8 || factor < 0 || factor > 100 || !value) return 0;
  if (factor == 0) factor = 1;
  bool open;
  {
    Lock lk(mutex_);
    open = units_[port].open;
  }
  if (!open && !OpenUnit(port)) return 0;
  const char letter = type ? type[0] : '\0';
  int result = 1;
  uint32_t limit;
  {
    Lock lk(mutex_);
    const Channel& c = units_[port].ch[channel - 1];
    if (!c.enabled || c.type != FindType(letter) || c.offset != offset || c.gain != gain || c.factor != factor)
      result = SetChannel(port, channel, letter, factor, offset, gain);
    limit = clock_.NowMs() + 5u * static_cast<uint32_t>(settings_.turnround) + 8000u;
  }
  if (!result) return 0;
  // Wait for the channel's first reading, within the same limit as an open.
  for (;;) {
    {
      Lock lk(mutex_);
      Poll();
      if (!units_[port].open) return 0;
      if (units_[port].ch[channel - 1].ready) break;
    }
    if (Passed(clock_.NowMs(), limit)) return 0;
    clock_.SleepMs(50);
  }
  long t = 0;
  if (!GetTemp(&t, port, channel, factor > 1)) return 0;
  const bool voltage = FindType(letter)->values.empty();
  *value = static_cast<float>(t) * (voltage ? 0.001f : 0.01f);
  return result;
}

}  // namespace thrm
