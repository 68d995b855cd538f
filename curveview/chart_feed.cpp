#include "curveview/chart_feed.h"

#include <exception>
#include <utility>

#include "platform/trace/trace.h"

namespace curveview {

ChartFeed::ChartFeed(std::size_t capacity, std::function<void()> onFailure)
    : capacity_(capacity > 0 ? capacity : 1), onFailure_(std::move(onFailure)) {
  worker_ = std::thread([this] { Run(); });
}

ChartFeed::~ChartFeed() {
  Finish();
}

bool ChartFeed::Post(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (closed_ || failed_) return false;
    if (jobs_.size() >= capacity_) {
      qv::Trace("ChartFeed: recorder queue full, rows dropped\n");
      return false;
    }
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

bool ChartFeed::PostFinal(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (closed_ || failed_) return false;
    jobs_.push_back(std::move(job));
    closed_ = true;
  }
  wake_.notify_one();
  return true;
}

void ChartFeed::Finish() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  wake_.notify_one();
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

bool ChartFeed::Failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

std::size_t ChartFeed::Queued() const {
  std::lock_guard lock(mutex_);
  return jobs_.size();
}

void ChartFeed::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !jobs_.empty() || closed_; });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    bool threw = false;
    try {
      job();
    } catch (const std::exception&) {
      threw = true;
    } catch (...) {
      threw = true;
    }
    if (threw) {
      {
        std::lock_guard lock(mutex_);
        failed_ = true;
        closed_ = true;
        jobs_.clear();
      }
      if (onFailure_) onFailure_();
      return;
    }
  }
}

}  // namespace curveview
