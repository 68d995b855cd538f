// Threads, locks and events with the wait semantics the logging code was
// designed around: timed waits that report a time-out, recursive mutexes,
// manual- and auto-reset events whose pulse wakes only current waiters,
// counting semaphores, and cooperative thread stops (no thread is ever
// killed).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qv {

// Result of every timed wait.
enum class WaitResult { Signaled, Timeout };

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32.
uint32_t TickCount();

// ---------------------------------------------------------------------------
// A recursive mutex with timed acquisition. The owning thread may lock it again;
// it is free once every lock has been matched by an unlock.
class RecursiveTimedMutex {
public:
  // Waits up to timeoutMs (kInfinite = forever). True when acquired.
  bool Lock(uint32_t timeoutMs = kInfinite);
  // Releases one level. Returns false when the caller does not own it.
  bool Unlock();
  bool OwnedByCaller() const;

private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::thread::id owner_{};
  unsigned depth_ = 0;
};

// Acquires on construction with a time-out and releases only what it acquired:
// a guard whose wait timed out leaves the owner's lock alone.
class MutexGuard {
public:
  MutexGuard(RecursiveTimedMutex& m, uint32_t timeoutMs);
  ~MutexGuard();
  MutexGuard(const MutexGuard&) = delete;
  MutexGuard& operator=(const MutexGuard&) = delete;
  bool Acquired() const { return acquired_; }
  void Release();

private:
  RecursiveTimedMutex& m_;
  bool acquired_;
};

// ---------------------------------------------------------------------------
// An event. A manual-reset event stays signalled until Reset and releases every
// waiter; an auto-reset event releases one waiter and resets itself. Pulse
// releases only threads waiting at that moment (all of them for manual reset,
// one for auto reset) and leaves the event reset: a thread that is not waiting
// misses it, so hand-overs of recorded data use a Semaphore or a queue instead.
class Event {
public:
  explicit Event(bool manualReset, bool initialState = false);
  void Set();
  void Reset();
  void Pulse();
  WaitResult Wait(uint32_t timeoutMs = kInfinite);
  bool IsSet() const;

private:
  bool manual_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  bool signaled_;
  uint64_t pulseGen_ = 0;  // bumped by every pulse that found waiters
  unsigned pulseTokens_ = 0;  // auto reset: waiters a pulse may still release
  unsigned waiters_ = 0;
};

// ---------------------------------------------------------------------------
// A counting semaphore with a maximum count.
class Semaphore {
public:
  Semaphore(long initial, long maximum);
  // Adds count; false (and nothing added) when the maximum would be exceeded.
  bool Release(long count = 1);
  WaitResult Wait(uint32_t timeoutMs = kInfinite);
  long Count() const;

private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  long count_;
  long max_;
};

// ---------------------------------------------------------------------------
// Thread priorities, set best effort: a refused raise is traced once and is
// never an error.
enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class ProcessPriorityClass { Normal, High };

bool SetCurrentThreadPriority(ThreadPriority p);
bool SetProcessPriorityClass(ProcessPriorityClass c);

// Sleeps up to ms; returns true at once when stop becomes signalled.
bool SleepOrStop(uint32_t ms, Event& stop);

// Waits of the user-interface thread for workers, and waits of workers for
// the user-interface thread, never meet. While the user-interface thread
// waits for a worker (a join at the end of a chart, a log or a document), a
// worker that asks the user-interface thread for something gets its
// fallback at once instead of waiting (the GUI layer's CallOnGui reads
// GuiWaitsForWorkers). A thread that the user-interface thread may wait for
// at any moment (a chart recorder's feed) can say so for its whole run.
class GuiWaitScope {
public:
  // Counts only when made on the user-interface thread.
  GuiWaitScope();
  ~GuiWaitScope();
  GuiWaitScope(const GuiWaitScope&) = delete;
  GuiWaitScope& operator=(const GuiWaitScope&) = delete;

private:
  bool counted_;
};
// Marks the calling thread, while alive, as one that never waits for the
// user-interface thread.
class NeverWaitForGui {
public:
  NeverWaitForGui();
  ~NeverWaitForGui();
  NeverWaitForGui(const NeverWaitForGui&) = delete;
  NeverWaitForGui& operator=(const NeverWaitForGui&) = delete;

private:
  bool previous_;
};
// True when the calling thread must not wait for the user-interface thread
// now: that thread is waiting for workers, or this thread is marked.
bool GuiWaitsForWorkers();
// How GuiWaitScope tells the user-interface thread; installed by the GUI
// layer (without it no thread counts as that thread).
void SetGuiThreadTest(bool (*test)());

// A worker thread with a cooperative stop. The body receives the stop event
// and must check it in every loop and sleep. A thread created suspended runs
// its body only after Resume (or not at all when stopped first).
class Thread {
public:
  using Body = std::function<int(Event& stop)>;

  Thread() = default;
  ~Thread();  // requests a stop and joins (without a limit: callers join first)
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the thread. False when it could not be created.
  bool Start(Body body, bool suspended = false, ThreadPriority priority = ThreadPriority::Normal,
             std::string name = {});
  void Resume();
  void SetPriority(ThreadPriority p);
  void RequestStop();
  // Waits for the thread to end. True when it ended (or never ran).
  bool Join(uint32_t timeoutMs = kInfinite);
  // RequestStop, then Join with the time-out.
  bool Stop(uint32_t timeoutMs);
  bool Running() const;
  bool Started() const { return state_ != nullptr; }
  Event& StopEvent();
  // The body's result once it has ended; -1 before.
  int ExitCode() const;

private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread thread_;
};

// ---------------------------------------------------------------------------
// The process-wide named hardware lock: an exclusive flock on a lock file in
// the runtime folder. The kernel frees it when the holding process dies; two
// holders in one process conflict too.
class NamedLock {
public:
  enum class Result { Acquired, HeldElsewhere, Error };
  NamedLock() = default;
  ~NamedLock();
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;
  // name: e.g. "LBDLLINUSE"; folder empty = the runtime folder
  // ($XDG_RUNTIME_DIR, else /tmp).
  Result Acquire(const std::string& name, const std::string& folder = {});
  void Release();
  bool Held() const { return fd_ >= 0; }
  static std::string DefaultFolder();

private:
  int fd_ = -1;
};

// ---------------------------------------------------------------------------
// Named shared memory of a fixed size (POSIX shm). The first process to map it
// gets zeroed memory; later ones see what is there and are told that it existed.
// A segment left behind by a process that died is treated as new.
class SharedMemory {
public:
  SharedMemory() = default;
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;
  // name without the leading '/', e.g. "dllmemfilemap".
  bool Open(const std::string& name, size_t size);
  void Close();
  void* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool ExistedBefore() const { return existed_; }

private:
  bool OpenLocked(const std::string& shmName, size_t size);
  int fd_ = -1;
  void* data_ = nullptr;
  size_t size_ = 0;
  bool existed_ = false;
};

}  // namespace qv
