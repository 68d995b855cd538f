// Runs a step that must end (the end of a chart, a print, a replay) under a
// watchdog: when it has not returned within a generous bound the test
// program names it and aborts, so a hang fails the run instead of stalling
// it. The step runs on the calling thread, as the program runs it (on the
// user-interface thread, where a wait for a worker can meet the worker's wait
// for that thread).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qvtest {

inline constexpr std::chrono::seconds kWatchdogBound{120};

inline void RunUnderWatchdog(const std::string& what, const std::function<void()>& step,
                             std::chrono::seconds bound = kWatchdogBound) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  std::thread dog([&] {
    std::unique_lock lock(m);
    if (!cv.wait_for(lock, bound, [&] { return done; })) {
      std::fprintf(stderr, "HUNG: %s did not finish within %lld s\n", what.c_str(),
                   static_cast<long long>(bound.count()));
      std::fflush(stderr);
      std::_Exit(3);
    }
  });
  step();
  {
    std::lock_guard lock(m);
    done = true;
  }
  cv.notify_all();
  dog.join();
}

}  // namespace qvtest
