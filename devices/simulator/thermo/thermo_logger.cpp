#include "thermo_logger.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "devices/thrm32/tables.h"
#include "platform/sync/sync.h"

namespace qv::sim {
namespace {

constexpr uint32_t kLateMs = 1500;    // beyond every reply time-out
constexpr int32_t kReferenceBase = 20000;

std::vector<uint8_t> Reading(int32_t value) {
  const uint32_t magnitude = static_cast<uint32_t>(std::min<int64_t>(std::llabs(value), 65535));
  return {static_cast<uint8_t>(value < 0 ? '-' : '+'), static_cast<uint8_t>(magnitude >> 8),
          static_cast<uint8_t>(magnitude & 0xFF)};
}

int32_t Counts(char type, int32_t hundredths) {
  double uv = 0;
  thrm::ReferenceMicrovolts(type, hundredths / 100.0, &uv);
  return thrm::MicrovoltsToCounts(uv);
}

}  // namespace

ThermoLoggerModel::ThermoLoggerModel(ThermoSettings s) : s_(s) {}

bool ThermoLoggerModel::Answering() const {
  if (!powered_) return false;
  if (s_.powerCyclesNeeded < 0) return false;
  // Without any report of RTS the line is taken as powered since the start.
  const int ons = powerReported_ ? powerOns_ : 1;
  return ons > s_.powerCyclesNeeded;
}

std::vector<uint8_t> ThermoLoggerModel::ReplyTo(uint8_t command) const {
  if (command == 0x01) return {'+', static_cast<uint8_t>(s_.version >> 8), static_cast<uint8_t>(s_.version & 0xFF)};
  if (command & 0x02) {  // the cold-junction references
    const double ratio = thrm::ColdJunctionRatio(s_.coldJunction / 100.0);
    const int32_t a = static_cast<int32_t>(std::min(kReferenceBase, static_cast<int32_t>(65535 / ratio)));
    const bool second = (command & 0xE0) == 0x40;
    return Reading(second ? static_cast<int32_t>(std::lround(a * ratio)) : a);
  }
  const int channel = command >> 5;
  const char type = s_.type[channel];
  if (type == 'X' || type == 'x') return Reading(s_.temperature[channel]);
  return Reading(Counts(type, s_.temperature[channel]) - Counts(type, s_.coldJunction));
}

void ThermoLoggerModel::Received(const uint8_t* data, size_t n, uint32_t nowMs) {
  std::lock_guard lk(mutex_);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t cmd = data[i];
    commands_.push_back(cmd);
    if (!Answering()) continue;
    std::vector<uint8_t> reply = ReplyTo(cmd);
    uint32_t at = nowMs + s_.replyDelayMs;
    ThermoFault fault = faultCount_ != 0 ? fault_ : ThermoFault::kNone;
    if (fault != ThermoFault::kNone && faultCount_ > 0) --faultCount_;
    switch (fault) {
      case ThermoFault::kLate: at = nowMs + kLateMs; break;
      case ThermoFault::kShort: reply.pop_back(); break;
      case ThermoFault::kLong: reply.push_back(0); break;
      case ThermoFault::kNoSign: reply[0] = '?'; break;
      case ThermoFault::kZeroReference:
        if ((cmd & 0xE2) == 0x22) reply = Reading(0);  // the first reference reads 0
        break;
      case ThermoFault::kNone: break;
    }
    pending_.emplace_back(at, std::move(reply));
  }
}

void ThermoLoggerModel::RtsChanged(bool on, uint32_t) {
  std::lock_guard lk(mutex_);
  if (!powerReported_) {
    powerReported_ = true;
    powered_ = false;
  }
  if (on && !powered_) ++powerOns_;
  powered_ = on;
  if (!on) pending_.clear();  // a logger without power forgets what it was doing
}

std::vector<uint8_t> ThermoLoggerModel::Due(uint32_t nowMs) {
  std::lock_guard lk(mutex_);
  std::vector<uint8_t> out;
  while (!pending_.empty() && static_cast<int32_t>(nowMs - pending_.front().first) >= 0) {
    out.insert(out.end(), pending_.front().second.begin(), pending_.front().second.end());
    pending_.pop_front();
  }
  return out;
}

void ThermoLoggerModel::ExpectPowerReports() {
  std::lock_guard lk(mutex_);
  powerReported_ = true;
  powered_ = false;
}

void ThermoLoggerModel::SetTemperature(int channel, int32_t hundredths) {
  std::lock_guard lk(mutex_);
  if (channel >= 1 && channel <= 8) s_.temperature[channel - 1] = hundredths;
}

void ThermoLoggerModel::SetColdJunction(int32_t hundredths) {
  std::lock_guard lk(mutex_);
  s_.coldJunction = hundredths;
}

void ThermoLoggerModel::SetFault(ThermoFault fault, int count) {
  std::lock_guard lk(mutex_);
  fault_ = fault;
  faultCount_ = count;
}

std::vector<uint8_t> ThermoLoggerModel::Commands() const {
  std::lock_guard lk(mutex_);
  return commands_;
}

int ThermoLoggerModel::PowerOns() const {
  std::lock_guard lk(mutex_);
  return powerOns_;
}

// ---- on a pseudo-terminal

PtyThermoLogger::PtyThermoLogger(ThermoSettings s) : model_(s) {}

PtyThermoLogger::~PtyThermoLogger() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (!slave_.empty()) SetRtsListener(slave_, nullptr);
  if (slaveKeep_ >= 0) ::close(slaveKeep_);
  if (master_ >= 0) ::close(master_);
}

bool PtyThermoLogger::Start() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return false;
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) return false;
  slave_ = name;
  slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  model_.ExpectPowerReports();
  SetRtsListener(slave_, [this](bool on) { model_.RtsChanged(on, TickCount()); });
  thread_ = std::thread([this] { Run(); });
  return true;
}

bool PtyThermoLogger::LineIsRaw9600() const {
  termios t{};
  if (::tcgetattr(master_, &t) != 0) return false;
  return ::cfgetispeed(&t) == B9600 && ::cfgetospeed(&t) == B9600 && (t.c_cflag & CSIZE) == CS8 &&
         !(t.c_cflag & (PARENB | CSTOPB)) && !(t.c_lflag & (ICANON | ECHO | ISIG)) &&
         !(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON)) && !(t.c_oflag & OPOST);
}

void PtyThermoLogger::Run() {
  while (!stop_) {
    pollfd p{master_, POLLIN, 0};
    const int r = ::poll(&p, 1, 2);
    if (r > 0 && (p.revents & POLLIN)) {
      uint8_t buf[64];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n > 0) {
        if (LineIsRaw9600()) model_.Received(buf, static_cast<size_t>(n), TickCount());
        else badSettings_ = true;
      }
    } else if (r > 0) {
      ::usleep(2000);  // hang-up between opens
    }
    const auto due = model_.Due(TickCount());
    if (!due.empty()) (void)!::write(master_, due.data(), due.size());
  }
}

void PtyThermoLogger::Unplug() {
  model_.Unplug();
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace qv::sim
