// Runs a log engine against the simulated unit on virtual time: every pause
// of the acquisition loop moves the unit's clock by the poll period instead
// of sleeping, and the test lets the clock run up to a limit, where the loop
// waits until the test moves the limit on or stops the log.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "devices/simulator/unit/clock.h"
#include "logdoc/acquisition/record_pipeline.h"
#include "logdoc/document/log_engine.h"

namespace qvtest {

class VirtualPace {
 public:
  explicit VirtualPace(std::shared_ptr<qv::sim::VirtualClock> clock) : clock_(std::move(clock)) {}

  // The engine's clock: sleeps move the unit's clock; the header date is fixed.
  qv::LogClock Clock(std::time_t today = 1700000000) {
    return {[this](std::uint32_t ms, qv::Event& stop) { return Sleep(ms, stop); },
            [this] { return static_cast<std::uint32_t>(clock_->NowMs()); }, [today] { return today; }};
  }

  // Lets virtual time run up to ms and waits until the loop waits there.
  // False when it did not get there (the loop ended) within the time-out.
  bool RunUntil(std::uint64_t ms, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    std::unique_lock<std::mutex> lock(m_);
    limit_ = ms;
    parked_ = false;
    cv_.notify_all();
    return cv_.wait_for(lock, timeout, [this] { return parked_; });
  }
  // Stops the clock where it is (until the next RunUntil).
  void HoldHere() {
    std::lock_guard<std::mutex> lock(m_);
    limit_ = clock_->NowMs();
  }
  // Lets the clock run freely (the benchmark).
  void Unlimited() {
    std::lock_guard<std::mutex> lock(m_);
    unlimited_ = true;
    cv_.notify_all();
  }
  // Holds the clock while `busy` answers true. Threads of the program that
  // run on real time (the record writer) keep up with the unit's clock only
  // if that clock waits for them: a loaded machine can starve them for
  // longer than any stretch of virtual time takes.
  void HoldWhile(std::function<bool()> busy) {
    std::lock_guard<std::mutex> lock(m_);
    busy_ = std::move(busy);
  }
  // Busy while the engine's record writer has a full half still to write.
  static std::function<bool()> WriterBehind(qv::LogEngine* engine) {
    return [engine] {
      const qv::RecordPipeline& pipeline = engine->Pipeline();
      return !pipeline.Failed() && pipeline.RecordsStored() - pipeline.RecordsWritten() >= pipeline.RecordsPerHalf();
    };
  }
  std::uint64_t Now() const { return clock_->NowMs(); }

 private:
  bool Sleep(std::uint32_t ms, qv::Event& stop) {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      if (stop.IsSet()) return true;
      if (busy_ && busy_()) {
        cv_.wait_for(lock, std::chrono::milliseconds(2));
        continue;
      }
      if (unlimited_ || clock_->NowMs() + ms <= limit_) {
        clock_->Advance(ms);
        return false;
      }
      parked_ = true;
      cv_.notify_all();
      cv_.wait_for(lock, std::chrono::milliseconds(2));
    }
  }

  std::shared_ptr<qv::sim::VirtualClock> clock_;
  std::mutex m_;
  std::condition_variable cv_;
  std::uint64_t limit_ = 0;
  bool parked_ = false;
  bool unlimited_ = false;
  std::function<bool()> busy_;
};

// A record sink that keeps what it was given.
class RecordingSink : public qv::RecordSink {
 public:
  void AddSample(std::span<const double> values) override {
    std::lock_guard<std::mutex> lock(m_);
    rows_.emplace_back(values.begin(), values.end());
  }
  void SetDisplayDepth(int depth) override {
    std::lock_guard<std::mutex> lock(m_);
    displayDepths_.push_back(depth);
  }
  void ResetCurves(bool) override { ++resets; }
  void UpdateDisplay() override { ++updates; }
  int WriteChannelHeader() override { return channelHeader ? channelHeader() : 1; }
  void StopRealtimePrint(int mode) override {
    if (stopPrint) stopPrint(mode);
  }
  std::function<int()> channelHeader;  // what the view writes of the header
  std::function<void(int)> stopPrint;  // the end of the real-time chart
  std::vector<std::vector<double>> Rows() const {
    std::lock_guard<std::mutex> lock(m_);
    return rows_;
  }
  std::vector<int> DisplayDepths() const {
    std::lock_guard<std::mutex> lock(m_);
    return displayDepths_;
  }
  int resets = 0;   // GUI thread only
  int updates = 0;  // GUI thread only

 private:
  mutable std::mutex m_;
  std::vector<std::vector<double>> rows_;
  std::vector<int> displayDepths_;
};

// Holds or fails a log's writer: its Hook goes to the pipeline's append hook.
class WriterGate {
 public:
  std::function<bool(std::size_t)> Hook() {
    return [this](std::size_t) {
      std::unique_lock<std::mutex> lock(m_);
      const int n = appends_++;
      cv_.notify_all();
      if (n >= holdFrom_) cv_.wait(lock, [this] { return !hold_; });
      return failFrom_ < 0 || n < failFrom_;
    };
  }
  // Appends from the n-th on (from 0) wait until Release.
  void Hold(int n = 0) {
    std::lock_guard<std::mutex> lock(m_);
    hold_ = true;
    holdFrom_ = n;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_);
    hold_ = false;
    cv_.notify_all();
  }
  void FailFrom(int n) { failFrom_ = n; }
  // Waits until the writer has begun n appends.
  bool WaitForAppends(int n) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(60), [&] { return appends_ >= n; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool hold_ = false;
  int holdFrom_ = 0;
  int appends_ = 0;
  int failFrom_ = -1;
};

}  // namespace qvtest
