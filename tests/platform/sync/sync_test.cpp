#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/sync/sync.h"

using namespace std::chrono_literals;
using qv::Event;
using qv::WaitResult;

namespace {
// Starts n threads that each wait once on ev (with a generous time-out) and
// returns once all of them are inside Wait.
struct Waiters {
  std::vector<std::thread> threads;
  std::atomic<int> entered{0}, released{0};
  void Start(Event& ev, int n, uint32_t timeoutMs = 2000) {
    for (int i = 0; i < n; ++i)
      threads.emplace_back([&, timeoutMs] {
        ++entered;
        if (ev.Wait(timeoutMs) == WaitResult::Signaled) ++released;
      });
    while (entered < n) std::this_thread::yield();
    std::this_thread::sleep_for(50ms);  // let them block inside Wait
  }
  void Join() {
    for (auto& t : threads) t.join();
  }
};
}  // namespace

TEST(Event, PulseWakesOnlyCurrentWaiters) {
  struct Case {
    bool manual;
    int waiters;
    int expectReleased;
  } cases[] = {{true, 0, 0}, {true, 3, 3}, {false, 0, 0}, {false, 3, 1}};
  for (const auto& c : cases) {
    Event ev(c.manual);
    Waiters w;
    w.Start(ev, c.waiters, 300);
    ev.Pulse();
    w.Join();
    EXPECT_EQ(w.released, c.expectReleased) << "manual=" << c.manual << " waiters=" << c.waiters;
    // A pulse leaves the event reset: a later waiter is not released by it.
    EXPECT_FALSE(ev.IsSet());
    EXPECT_EQ(ev.Wait(20), WaitResult::Timeout);
  }
}

TEST(Event, SetAndResetSemantics) {
  Event manual(true);
  manual.Set();
  EXPECT_EQ(manual.Wait(0), WaitResult::Signaled);
  EXPECT_EQ(manual.Wait(0), WaitResult::Signaled);  // stays set
  manual.Reset();
  EXPECT_EQ(manual.Wait(10), WaitResult::Timeout);

  Event autoEv(false);
  autoEv.Set();  // no waiter: stays set for the next one
  EXPECT_EQ(autoEv.Wait(0), WaitResult::Signaled);
  EXPECT_EQ(autoEv.Wait(10), WaitResult::Timeout);  // reset itself

  Event one(false);
  Waiters w;
  w.Start(one, 3, 300);
  one.Set();
  w.Join();
  EXPECT_EQ(w.released, 1);
}

TEST(RecursiveTimedMutex, RecursionAndTimedOutGuardLeavesOwnerLock) {
  qv::RecursiveTimedMutex m;
  ASSERT_TRUE(m.Lock(0));
  ASSERT_TRUE(m.Lock(0));  // recursive
  std::atomic<bool> guardAcquired{true};
  std::thread other([&] {
    qv::MutexGuard g(m, 30);
    guardAcquired = g.Acquired();
    EXPECT_FALSE(m.Unlock());  // not the owner: refused
  });  // the guard's destructor must not release the owner's lock
  other.join();
  EXPECT_FALSE(guardAcquired);
  EXPECT_TRUE(m.OwnedByCaller());
  EXPECT_TRUE(m.Unlock());
  EXPECT_TRUE(m.OwnedByCaller());  // one level still held
  EXPECT_TRUE(m.Unlock());
  EXPECT_FALSE(m.OwnedByCaller());
  std::thread taker([&] {
    qv::MutexGuard g(m, 1000);
    EXPECT_TRUE(g.Acquired());
  });
  taker.join();
  EXPECT_TRUE(m.Lock(0));
  m.Unlock();
}

TEST(Semaphore, CountsToItsMaximumAndTimesOut) {
  qv::Semaphore s(0, 2);
  EXPECT_EQ(s.Wait(10), WaitResult::Timeout);
  EXPECT_TRUE(s.Release());
  EXPECT_TRUE(s.Release());
  EXPECT_FALSE(s.Release());  // would exceed the maximum
  EXPECT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Wait(0), WaitResult::Signaled);
  EXPECT_EQ(s.Wait(0), WaitResult::Signaled);
  EXPECT_EQ(s.Wait(10), WaitResult::Timeout);
  // Releases made while nobody waits are kept (unlike a pulse).
  std::thread producer([&] { s.Release(); });
  producer.join();
  EXPECT_EQ(s.Wait(1000), WaitResult::Signaled);
}

TEST(Thread, SuspendedResumeAndCooperativeStop) {
  std::atomic<int> runs{0};
  {
    qv::Thread t;
    ASSERT_TRUE(t.Start([&](Event&) { return ++runs, 6; }, true, qv::ThreadPriority::TimeCritical));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(runs, 0);  // suspended
    t.Resume();
    ASSERT_TRUE(t.Join(2000));
    EXPECT_EQ(t.ExitCode(), 6);
    EXPECT_EQ(runs, 1);
  }
  {
    qv::Thread t;  // stopped before it ever ran: the body never runs
    ASSERT_TRUE(t.Start([&](Event&) { return ++runs; }, true));
    EXPECT_TRUE(t.Stop(1000));
    EXPECT_EQ(runs, 1);
  }
  {
    qv::Thread t;  // a sleeping worker wakes on the stop at once
    ASSERT_TRUE(t.Start([](Event& stop) {
      while (!qv::SleepOrStop(10000, stop)) {
      }
      return 0;
    }));
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(t.Join(20));  // still running: a join times out
    EXPECT_TRUE(t.Stop(2000));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
  }
}

TEST(Priorities, RefusalIsNeverFatal) {
  // Whether raising is allowed depends on the user; lowering always is.
  qv::SetProcessPriorityClass(qv::ProcessPriorityClass::High);
  qv::SetProcessPriorityClass(qv::ProcessPriorityClass::Normal);
  std::thread t([] { EXPECT_TRUE(qv::SetCurrentThreadPriority(qv::ThreadPriority::Idle)); });
  t.join();
}

namespace {
std::string LockFolder() {
  std::string d = "/tmp/qv_lock_test_" + std::to_string(getpid());
  mkdir(d.c_str(), 0700);
  return d;
}
}  // namespace

TEST(NamedLock, ExclusiveInProcessAndFreedWhenTheHolderIsKilled) {
  const std::string folder = LockFolder();
  {
    qv::NamedLock a, b;
    EXPECT_EQ(a.Acquire("LBDLLINUSE", folder), qv::NamedLock::Result::Acquired);
    EXPECT_EQ(b.Acquire("LBDLLINUSE", folder), qv::NamedLock::Result::HeldElsewhere);
    a.Release();
    EXPECT_EQ(b.Acquire("LBDLLINUSE", folder), qv::NamedLock::Result::Acquired);
  }
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    qv::NamedLock held;
    const char ok = held.Acquire("LBDLLINUSE", folder) == qv::NamedLock::Result::Acquired ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    for (;;) pause();
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  qv::NamedLock mine;
  EXPECT_EQ(mine.Acquire("LBDLLINUSE", folder), qv::NamedLock::Result::HeldElsewhere);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(mine.Acquire("LBDLLINUSE", folder), qv::NamedLock::Result::Acquired);
  EXPECT_EQ(qv::NamedLock().Acquire("x", "/nonexistent/folder"), qv::NamedLock::Result::Error);
}

TEST(SharedMemory, SeenByASecondProcessAndFreshAfterACrash) {
  const std::string name = "qv_shm_test_" + std::to_string(getpid());
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    qv::SharedMemory shm;
    char r = 'n';
    if (shm.Open(name, 4096) && !shm.ExistedBefore()) {
      std::memcpy(shm.Data(), "terminate=0", 12);
      r = 'y';
    }
    (void)!write(ready[1], &r, 1);
    char c;
    (void)!read(done[0], &c, 1);
    _exit(std::memcmp(shm.Data(), "terminate=1", 12) == 0 ? 0 : 3);
  }
  char r = 0;
  ASSERT_EQ(read(ready[0], &r, 1), 1);
  ASSERT_EQ(r, 'y');
  {
    qv::SharedMemory second;
    ASSERT_TRUE(second.Open(name, 4096));
    EXPECT_TRUE(second.ExistedBefore());
    EXPECT_STREQ(static_cast<const char*>(second.Data()), "terminate=0");  // not zeroed
    std::memcpy(second.Data(), "terminate=1", 12);
    (void)!write(done[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  // Every user is gone (as after a crash): the next one starts afresh.
  qv::SharedMemory again;
  ASSERT_TRUE(again.Open(name, 4096));
  EXPECT_FALSE(again.ExistedBefore());
  EXPECT_EQ(static_cast<const char*>(again.Data())[0], 0);
  again.Close();
  shm_unlink(("/" + name).c_str());
  shm_unlink(("/" + name + ".guard").c_str());
}
