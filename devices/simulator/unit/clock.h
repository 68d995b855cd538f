// The simulated unit's sense of time: the real monotonic clock for the
// program, a virtual clock that tests move by hand.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace qv::sim {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t NowMs() const = 0;
};

class RealClock final : public Clock {
 public:
  RealClock() : start_(std::chrono::steady_clock::now()) {}
  uint64_t NowMs() const override {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

class VirtualClock final : public Clock {
 public:
  uint64_t NowMs() const override { return now_.load(); }
  void Advance(uint64_t ms) { now_ += ms; }
  void Set(uint64_t ms) { now_ = ms; }

 private:
  std::atomic<uint64_t> now_{0};
};

}  // namespace qv::sim
