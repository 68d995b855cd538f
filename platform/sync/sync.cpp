#include "sync.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/trace/trace.h"

namespace qv {

namespace {
using Clock = std::chrono::steady_clock;

// Waits on cv until pred holds or the time-out passes; kInfinite waits forever.
template <class Pred>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t timeoutMs, Pred pred) {
  if (timeoutMs == kInfinite) {
    cv.wait(lk, pred);
    return true;
  }
  return cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), pred);
}
}  // namespace

uint32_t TickCount() {
  static const Clock::time_point start = Clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

// --------------------------------------------------------------------------
bool RecursiveTimedMutex::Lock(uint32_t timeoutMs) {
  const auto self = std::this_thread::get_id();
  std::unique_lock lk(m_);
  if (depth_ > 0 && owner_ == self) {
    ++depth_;
    return true;
  }
  if (!WaitFor(cv_, lk, timeoutMs, [&] { return depth_ == 0; })) return false;
  owner_ = self;
  depth_ = 1;
  return true;
}

bool RecursiveTimedMutex::Unlock() {
  std::unique_lock lk(m_);
  if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
  if (--depth_ == 0) {
    owner_ = {};
    lk.unlock();
    cv_.notify_one();
  }
  return true;
}

bool RecursiveTimedMutex::OwnedByCaller() const {
  std::lock_guard lk(m_);
  return depth_ > 0 && owner_ == std::this_thread::get_id();
}

MutexGuard::MutexGuard(RecursiveTimedMutex& m, uint32_t timeoutMs) : m_(m), acquired_(m.Lock(timeoutMs)) {}

MutexGuard::~MutexGuard() { Release(); }

void MutexGuard::Release() {
  if (acquired_) {
    m_.Unlock();
    acquired_ = false;
  }
}

// --------------------------------------------------------------------------
Event::Event(bool manualReset, bool initialState) : manual_(manualReset), signaled_(initialState) {}

void Event::Set() {
  {
    std::lock_guard lk(m_);
    signaled_ = true;
  }
  if (manual_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void Event::Reset() {
  std::lock_guard lk(m_);
  signaled_ = false;
}

void Event::Pulse() {
  {
    std::lock_guard lk(m_);
    signaled_ = false;
    if (waiters_ == 0) return;
    ++pulseGen_;
    pulseTokens_ = manual_ ? waiters_ : 1;
  }
  cv_.notify_all();
}

WaitResult Event::Wait(uint32_t timeoutMs) {
  std::unique_lock lk(m_);
  const uint64_t gen = pulseGen_;
  ++waiters_;
  bool released = false;
  const bool ok = WaitFor(cv_, lk, timeoutMs, [&] {
    if (signaled_) {
      if (!manual_) signaled_ = false;
      return released = true;
    }
    if (pulseGen_ != gen && pulseTokens_ > 0) {
      --pulseTokens_;
      return released = true;
    }
    return false;
  });
  --waiters_;
  if (waiters_ == 0) pulseTokens_ = 0;
  return ok && released ? WaitResult::Signaled : WaitResult::Timeout;
}

bool Event::IsSet() const {
  std::lock_guard lk(m_);
  return signaled_;
}

// --------------------------------------------------------------------------
Semaphore::Semaphore(long initial, long maximum) : count_(initial), max_(maximum) {}

bool Semaphore::Release(long count) {
  {
    std::lock_guard lk(m_);
    if (count <= 0 || count_ + count > max_) return false;
    count_ += count;
  }
  cv_.notify_all();
  return true;
}

WaitResult Semaphore::Wait(uint32_t timeoutMs) {
  std::unique_lock lk(m_);
  if (!WaitFor(cv_, lk, timeoutMs, [&] { return count_ > 0; })) return WaitResult::Timeout;
  --count_;
  return WaitResult::Signaled;
}

long Semaphore::Count() const {
  std::lock_guard lk(m_);
  return count_;
}

// --------------------------------------------------------------------------
namespace {
std::atomic<bool> g_priorityRefusalTraced{false};

void TraceRefusalOnce(const char* what) {
  if (!g_priorityRefusalTraced.exchange(true))
    Trace("%s refused (%s); running at the default priority", what, std::strerror(errno));
}

// Linux nice values stand in for the relative thread priorities; an ordinary
// user may lower but not raise them.
int NiceFor(ThreadPriority p) {
  switch (p) {
    case ThreadPriority::Idle: return 19;
    case ThreadPriority::Lowest: return 10;
    case ThreadPriority::BelowNormal: return 5;
    case ThreadPriority::Normal: return 0;
    case ThreadPriority::AboveNormal: return -5;
    case ThreadPriority::Highest: return -10;
    case ThreadPriority::TimeCritical: return -15;
  }
  return 0;
}
}  // namespace

bool SetCurrentThreadPriority(ThreadPriority p) {
  // On Linux setpriority(PRIO_PROCESS, tid) applies to the one thread.
  const auto tid = static_cast<id_t>(gettid());
  if (setpriority(PRIO_PROCESS, tid, NiceFor(p)) != 0) {
    TraceRefusalOnce("thread priority");
    return false;
  }
  return true;
}

bool SetProcessPriorityClass(ProcessPriorityClass c) {
  const int nice = c == ProcessPriorityClass::High ? -10 : 0;
  if (setpriority(PRIO_PGRP, 0, nice) != 0 && setpriority(PRIO_PROCESS, 0, nice) != 0) {
    TraceRefusalOnce("process priority class");
    return false;
  }
  return true;
}

bool SleepOrStop(uint32_t ms, Event& stop) { return stop.Wait(ms) == WaitResult::Signaled; }

// --------------------------------------------------------------------------
namespace {
std::atomic<int> g_guiWaits{0};
std::atomic<bool (*)()> g_guiThreadTest{nullptr};
thread_local bool t_neverWaitForGui = false;
}  // namespace

void SetGuiThreadTest(bool (*test)()) { g_guiThreadTest = test; }

GuiWaitScope::GuiWaitScope() {
  bool (*test)() = g_guiThreadTest.load();
  counted_ = test != nullptr && test();
  if (counted_) ++g_guiWaits;
}

GuiWaitScope::~GuiWaitScope() {
  if (counted_) --g_guiWaits;
}

NeverWaitForGui::NeverWaitForGui() : previous_(t_neverWaitForGui) { t_neverWaitForGui = true; }

NeverWaitForGui::~NeverWaitForGui() { t_neverWaitForGui = previous_; }

bool GuiWaitsForWorkers() { return t_neverWaitForGui || g_guiWaits.load() > 0; }

// --------------------------------------------------------------------------
struct Thread::State {
  Event stop{true, false};
  std::mutex m;
  std::condition_variable cv;
  bool resumed = false;
  bool finished = false;
  int exitCode = -1;
  ThreadPriority pendingPriority = ThreadPriority::Normal;
  bool priorityChanged = false;
  pid_t tid = 0;
};

Thread::~Thread() {
  if (state_) {
    RequestStop();
    Resume();
    GuiWaitScope waiting;
    if (thread_.joinable()) thread_.join();
  }
}

bool Thread::Start(Body body, bool suspended, ThreadPriority priority, std::string name) {
  if (state_) return false;
  auto st = std::make_shared<State>();
  st->resumed = !suspended;
  st->pendingPriority = priority;
  try {
    thread_ = std::thread([st, body = std::move(body), name = std::move(name)]() mutable {
      if (!name.empty()) pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
      {
        std::unique_lock lk(st->m);
        st->tid = gettid();
        st->cv.wait(lk, [&] { return st->resumed; });
      }
      SetCurrentThreadPriority(st->pendingPriority);
      int rc = 0;
      if (!st->stop.IsSet()) rc = body(st->stop);
      std::lock_guard lk(st->m);
      st->exitCode = rc;
      st->finished = true;
      st->cv.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  state_ = st;
  return true;
}

void Thread::Resume() {
  if (!state_) return;
  {
    std::lock_guard lk(state_->m);
    state_->resumed = true;
  }
  state_->cv.notify_all();
}

void Thread::SetPriority(ThreadPriority p) {
  if (!state_) return;
  std::lock_guard lk(state_->m);
  state_->pendingPriority = p;
  if (state_->resumed && state_->tid != 0 && !state_->finished) {
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(state_->tid), NiceFor(p)) != 0)
      TraceRefusalOnce("thread priority");
  }
}

void Thread::RequestStop() {
  if (state_) state_->stop.Set();
}

bool Thread::Join(uint32_t timeoutMs) {
  if (!state_) return true;
  GuiWaitScope waiting;
  {
    // A thread still suspended only ends once resumed or stopped (Stop does both).
    std::unique_lock lk(state_->m);
    if (!WaitFor(state_->cv, lk, timeoutMs, [&] { return state_->finished; })) return false;
  }
  if (thread_.joinable()) thread_.join();
  return true;
}

bool Thread::Stop(uint32_t timeoutMs) {
  RequestStop();
  Resume();  // a suspended thread sees the stop and ends without running
  return Join(timeoutMs);
}

bool Thread::Running() const {
  if (!state_) return false;
  std::lock_guard lk(state_->m);
  return !state_->finished;
}

Event& Thread::StopEvent() {
  static Event never(true, false);
  return state_ ? state_->stop : never;
}

int Thread::ExitCode() const {
  if (!state_) return -1;
  std::lock_guard lk(state_->m);
  return state_->exitCode;
}

// --------------------------------------------------------------------------
std::string NamedLock::DefaultFolder() {
  const char* rt = std::getenv("XDG_RUNTIME_DIR");
  if (rt && *rt) return rt;
  return "/tmp";
}

NamedLock::Result NamedLock::Acquire(const std::string& name, const std::string& folder) {
  Release();
  const std::string path = (folder.empty() ? DefaultFolder() : folder) + "/" + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    Trace("named lock %s: cannot open %s: %s", name.c_str(), path.c_str(), std::strerror(errno));
    return Result::Error;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? Result::HeldElsewhere : Result::Error;
  }
  fd_ = fd;
  return Result::Acquired;
}

void NamedLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

NamedLock::~NamedLock() { Release(); }

// --------------------------------------------------------------------------
// Every process that maps the segment holds a shared flock on it. A process
// that can take the lock exclusively is alone with it (any earlier holder has
// ended, perhaps by crashing), so it starts the segment afresh.
bool SharedMemory::Open(const std::string& name, size_t size) {
  Close();
  // Openings of one name are serialised by a guard segment, so that the check
  // "am I alone" and the fresh start cannot interleave with another process.
  const std::string guardName = "/" + name + ".guard";
  const int guard = ::shm_open(guardName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (guard < 0 || ::flock(guard, LOCK_EX) != 0) {
    Trace("shared memory %s: guard: %s", name.c_str(), std::strerror(errno));
    if (guard >= 0) ::close(guard);
    return false;
  }
  const bool ok = OpenLocked("/" + name, size);
  ::close(guard);  // releases the guard's lock
  return ok;
}

bool SharedMemory::OpenLocked(const std::string& shmName, size_t size) {
  const int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    Trace("shared memory %s: %s", shmName.c_str(), std::strerror(errno));
    return false;
  }
  auto fail = [&] {
    ::close(fd);
    return false;
  };
  const bool alone = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  existed_ = !alone;
  if (alone) {
    if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) return fail();
  } else {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail();
    if (static_cast<size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) return fail();
  }
  // The shared hold marks this process as a user of the segment.
  if (::flock(fd, LOCK_SH) != 0) return fail();
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) return fail();
  fd_ = fd;
  data_ = p;
  size_ = size;
  return true;
}

void SharedMemory::Close() {
  if (data_) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
  data_ = nullptr;
  fd_ = -1;
  size_ = 0;
}

SharedMemory::~SharedMemory() { Close(); }

}  // namespace qv
