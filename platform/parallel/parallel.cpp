#include "parallel.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/profile/profile.h"
#include "platform/sync/sync.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

std::atomic<uint32_t> g_timeoutMs{kParallelWriteTimeoutMs};
std::mutex g_openerMutex;
ParallelPortOpener g_opener;

// A write to a pipe whose reader went away raises SIGPIPE, which would end
// the program. The signal is ignored for the whole process, once, when the
// first port opens (unless the program already handles it): the write
// itself then fails with EPIPE. Done once instead of around every raster
// line, which would cost more system calls than the line's own write.
void IgnoreSigpipeOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      sigemptyset(&ignore.sa_mask);
      ::sigaction(SIGPIPE, &ignore, nullptr);
    }
  });
}

class PosixParallelPort : public ParallelPort {
 public:
  PosixParallelPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) { IgnoreSigpipeOnce(); }
  ~PosixParallelPort() override { ::close(fd_); }

  bool Write(const uint8_t* data, size_t n) override {
    // The clock starts with the first write that does not take everything:
    // a line the device takes at once costs one system call.
    const uint32_t timeout = ParallelWriteTimeoutMs();
    uint32_t start = 0;
    bool timing = false;
    size_t done = 0;
    bool readyButRefused = false;
    while (done < n) {
      const ssize_t w = ::write(fd_, data + done, n - done);
      if (w > 0) {
        done += static_cast<size_t>(w);
        readyButRefused = false;
        continue;
      }
      if (!timing) {
        start = TickCount();
        timing = true;
      }
      if (w < 0 && errno != EAGAIN && errno != EINTR) {
        Trace("parallel: writing to %s failed: %s\n", path_.c_str(), std::strerror(errno));
        return false;
      }
      const uint32_t spent = TickCount() - start;
      if (spent >= timeout) {
        Trace("parallel: %s took no data for %u ms\n", path_.c_str(), timeout);
        return false;
      }
      // A device whose driver cannot be polled reports ready at once: then
      // the loop waits a little instead of spinning.
      if (readyButRefused) ::usleep(1000);
      pollfd p{fd_, POLLOUT, 0};
      const int r = ::poll(&p, 1, static_cast<int>(timeout - spent));
      if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
        Trace("parallel: %s has gone\n", path_.c_str());
        return false;
      }
      readyButRefused = r > 0;
    }
    return true;
  }

 private:
  int fd_;
  std::string path_;
};

bool UnderDev(const std::string& path) {
  return path.rfind("/dev/", 0) == 0;
}

}  // namespace

void SetParallelWriteTimeoutMs(uint32_t ms) {
  g_timeoutMs = ms ? ms : kParallelWriteTimeoutMs;
}
uint32_t ParallelWriteTimeoutMs() {
  return g_timeoutMs;
}

ParallelDevice ParallelDevicePath(int lpt) {
  const std::string key = "LPT" + std::to_string(lpt);
  const std::string named = GetProfileText(WinIniFile(), "ParallelDevices", key, "", 1024);
  if (!named.empty()) return {named, !UnderDev(named)};
  return {"/dev/lp" + std::to_string(lpt - 1), false};
}

std::unique_ptr<ParallelPort> OpenParallelPath(const std::string& path, bool mayCreate, std::string* error) {
  int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  if (mayCreate && !UnderDev(path)) flags |= O_CREAT | O_TRUNC;
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    // ENXIO: a FIFO that nobody reads.
    if (error) *error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixParallelPort>(fd, path);
}

std::unique_ptr<ParallelPort> OpenParallelPort(int lpt, std::string* error) {
  ParallelPortOpener opener;
  {
    std::lock_guard lk(g_openerMutex);
    opener = g_opener;
  }
  if (opener) return opener(lpt);
  const ParallelDevice d = ParallelDevicePath(lpt);
  return OpenParallelPath(d.path, d.mayCreate, error);
}

ParallelPortOpener SetParallelPortOpener(ParallelPortOpener opener) {
  std::lock_guard lk(g_openerMutex);
  std::swap(opener, g_opener);
  return opener;
}

}  // namespace qv
