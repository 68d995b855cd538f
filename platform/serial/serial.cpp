#include "serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/profile/profile.h"
#include "platform/sync/sync.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

constexpr int kWriteTimeoutMs = 1000;

class SystemClockImpl : public Clock {
 public:
  uint32_t NowMs() override { return TickCount(); }
  void SleepMs(uint32_t ms) override { ::usleep(ms * 1000u); }
};

std::mutex g_mutex;
std::map<int, std::string> g_overrides;
std::map<std::string, std::function<void(bool)>> g_rtsListeners;

void ReportRts(const std::string& device, bool on) {
  std::function<void(bool)> l;
  {
    std::lock_guard lk(g_mutex);
    auto it = g_rtsListeners.find(device);
    if (it != g_rtsListeners.end()) l = it->second;
  }
  if (l) l(on);
}

class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}
  ~PosixSerialPort() override { ::close(fd_); }

  int BytesWaiting() override {
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
  }

  int Read(uint8_t* buf, int max) override {
    if (max <= 0) return 0;
    for (;;) {
      const ssize_t n = ::read(fd_, buf, static_cast<size_t>(max));
      if (n >= 0) return static_cast<int>(n);
      if (errno == EINTR) continue;
      if (errno == EAGAIN) return 0;
      return -1;
    }
  }

  int Write(const uint8_t* data, int n) override {
    int done = 0;
    const uint32_t start = TickCount();
    while (done < n) {
      const ssize_t w = ::write(fd_, data + done, static_cast<size_t>(n - done));
      if (w > 0) {
        done += static_cast<int>(w);
        continue;
      }
      if (w < 0 && errno != EAGAIN && errno != EINTR) return -1;
      const int left = kWriteTimeoutMs - static_cast<int>(TickCount() - start);
      if (left <= 0) break;  // the caller sees the short count
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, left);
    }
    return done;
  }

  void DiscardInput() override { ::tcflush(fd_, TCIFLUSH); }

  bool SetRts(bool on) override {
    int bits = TIOCM_RTS;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !rtsRefusalTraced_) {
      rtsRefusalTraced_ = true;  // a pseudo-terminal has no modem lines
      Trace("serial: %s refuses RTS (%s); going on", device_.c_str(), std::strerror(errno));
    }
    ReportRts(device_, on);
    return true;
  }

 private:
  int fd_;
  std::string device_;
  bool rtsRefusalTraced_ = false;
};

}  // namespace

Clock& SystemClock() {
  static SystemClockImpl c;
  return c;
}

std::string SerialDevicePath(int com) {
  {
    std::lock_guard lk(g_mutex);
    auto it = g_overrides.find(com);
    if (it != g_overrides.end()) return it->second;
  }
  const std::string key = "COM" + std::to_string(com);
  const std::string named = GetProfileText(WinIniFile(), "SerialDevices", key, "", 1024);
  if (!named.empty()) return named;
  return "/dev/ttyS" + std::to_string(com - 1);
}

void SetSerialDeviceOverride(int com, const std::string& device) {
  std::lock_guard lk(g_mutex);
  if (device.empty()) g_overrides.erase(com);
  else g_overrides[com] = device;
}

void SetRtsListener(const std::string& device, std::function<void(bool)> listener) {
  std::lock_guard lk(g_mutex);
  if (listener) g_rtsListeners[device] = std::move(listener);
  else g_rtsListeners.erase(device);
}

std::unique_ptr<SerialPort> OpenSerialDevice(const std::string& device, std::string* error) {
  auto fail = [&](const char* what) -> std::unique_ptr<SerialPort> {
    if (error) *error = device + ": " + what + ": " + std::strerror(errno);
    return nullptr;
  };
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail("cannot open");
  auto closeAndFail = [&](const char* what) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return fail(what);
  };
  // Exclusive: the lock keeps out other processes (root included); the
  // terminal's exclusive mode keeps out plain opens by others.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return closeAndFail("in use");
  ::ioctl(fd, TIOCEXCL);
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return closeAndFail("not a terminal");
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return closeAndFail("cannot set 9600 8N1");
  ::tcflush(fd, TCIOFLUSH);
  return std::make_unique<PosixSerialPort>(fd, device);
}

std::unique_ptr<SerialPort> OpenComPort(int com, std::string* error) {
  return OpenSerialDevice(SerialDevicePath(com), error);
}

// ---- FakeSerialPort

void FakeSerialPort::Pull() {
  const auto due = peer_.Due(clock_.NowMs());
  input_.insert(input_.end(), due.begin(), due.end());
}

int FakeSerialPort::BytesWaiting() {
  std::lock_guard lk(mutex_);
  if (peer_.Gone()) return -1;
  Pull();
  return static_cast<int>(input_.size());
}

int FakeSerialPort::Read(uint8_t* buf, int max) {
  std::lock_guard lk(mutex_);
  if (peer_.Gone()) return -1;
  Pull();
  const int n = std::min<int>(max, static_cast<int>(input_.size()));
  std::copy(input_.begin(), input_.begin() + n, buf);
  input_.erase(input_.begin(), input_.begin() + n);
  return n;
}

int FakeSerialPort::Write(const uint8_t* data, int n) {
  std::lock_guard lk(mutex_);
  if (peer_.Gone()) return -1;
  const uint32_t now = clock_.NowMs();
  for (int i = 0; i < n; ++i) events_.push_back({Event::kWrite, now, data[i]});
  peer_.Received(data, static_cast<size_t>(n), now);
  return n;
}

void FakeSerialPort::DiscardInput() {
  std::lock_guard lk(mutex_);
  Pull();
  input_.clear();
  events_.push_back({Event::kDiscard, clock_.NowMs(), 0});
}

bool FakeSerialPort::SetRts(bool on) {
  std::lock_guard lk(mutex_);
  events_.push_back({Event::kRts, clock_.NowMs(), on ? 1 : 0});
  peer_.RtsChanged(on, clock_.NowMs());
  return true;
}

std::vector<FakeSerialPort::Event> FakeSerialPort::Events() const {
  std::lock_guard lk(mutex_);
  return events_;
}

std::vector<uint8_t> FakeSerialPort::Written() const {
  std::lock_guard lk(mutex_);
  std::vector<uint8_t> out;
  for (const auto& e : events_)
    if (e.kind == Event::kWrite) out.push_back(static_cast<uint8_t>(e.value));
  return out;
}

}  // namespace qv
