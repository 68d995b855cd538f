#include "logview/chart_feed.h"

#include <chrono>
#include <exception>
#include <utility>

#include "platform/sync/sync.h"
#include "platform/trace/trace.h"

namespace curveview {

// Shared by the feed and its worker, so that a worker left to end on its
// own never reaches a feed that has gone.
struct ChartFeed::State {
  std::size_t capacity = 1;
  unsigned finishWaitMs = 0;
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable ended;
  std::deque<Job> jobs;
  bool closed = false;     // no more jobs are taken
  bool failed = false;
  bool done = false;       // the worker has ended
  bool abandoned = false;  // Finish stopped waiting: nothing more reaches the view
  // Held while the failure handler runs, so that it never runs once the
  // feed has been abandoned.
  std::mutex reportMutex;
  std::function<void()> onFailure;
};

ChartFeed::ChartFeed(std::size_t capacity, std::function<void()> onFailure, unsigned finishWaitMs)
    : state_(std::make_shared<State>()) {
  state_->capacity = capacity > 0 ? capacity : 1;
  state_->finishWaitMs = finishWaitMs;
  state_->onFailure = std::move(onFailure);
  worker_ = std::thread([st = state_] { Run(st); });
}

ChartFeed::~ChartFeed() {
  Finish();
}

bool ChartFeed::Post(Job job) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->closed || state_->failed) return false;
    if (state_->jobs.size() >= state_->capacity) {
      qv::Trace("ChartFeed: recorder queue full, rows dropped\n");
      return false;
    }
    state_->jobs.push_back(std::move(job));
  }
  state_->wake.notify_one();
  return true;
}

bool ChartFeed::PostFinal(Job job) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->closed || state_->failed) return false;
    state_->jobs.push_back(std::move(job));
    state_->closed = true;
  }
  state_->wake.notify_one();
  return true;
}

bool ChartFeed::Finish() {
  if (!worker_.joinable()) return true;
  if (worker_.get_id() == std::this_thread::get_id()) {
    // The failure handler ending its own feed: the worker ends on its own.
    worker_.detach();
    return true;
  }
  // Boxes the worker raises meanwhile are posted, not waited for.
  qv::GuiWaitScope waiting;
  bool ended;
  {
    std::unique_lock lock(state_->mutex);
    state_->closed = true;
    state_->wake.notify_one();
    ended = state_->ended.wait_for(lock, std::chrono::milliseconds(state_->finishWaitMs),
                                   [this] { return state_->done; });
    if (!ended) {
      state_->abandoned = true;
      state_->jobs.clear();
    }
  }
  if (ended) {
    worker_.join();
    return true;
  }
  {
    // A failure report already under way is let through; none comes after.
    std::lock_guard report(state_->reportMutex);
    state_->onFailure = nullptr;
  }
  qv::Trace("ChartFeed: the recorder did not finish in time; the end of its chart is dropped\n");
  worker_.detach();
  return false;
}

bool ChartFeed::Failed() const {
  std::lock_guard lock(state_->mutex);
  return state_->failed;
}

std::size_t ChartFeed::Queued() const {
  std::lock_guard lock(state_->mutex);
  return state_->jobs.size();
}

void ChartFeed::Run(const std::shared_ptr<State>& st) {
  // The user-interface thread waits for this thread at the end of a chart.
  qv::NeverWaitForGui goesOn;
  auto end = [&st] {
    std::lock_guard lock(st->mutex);
    st->done = true;
    st->ended.notify_all();
  };
  for (;;) {
    Job job;
    {
      std::unique_lock lock(st->mutex);
      st->wake.wait(lock, [&st] { return !st->jobs.empty() || st->closed; });
      if (st->jobs.empty()) break;
      job = std::move(st->jobs.front());
      st->jobs.pop_front();
    }
    bool threw = false;
    try {
      job();
    } catch (const std::exception&) {
      threw = true;
    } catch (...) {
      threw = true;
    }
    job = nullptr;  // what the job holds (the recorder) goes here, on the worker
    if (threw) {
      {
        std::lock_guard lock(st->mutex);
        st->failed = true;
        st->closed = true;
        st->jobs.clear();
      }
      {
        std::lock_guard report(st->reportMutex);
        if (st->onFailure) st->onFailure();
      }
      break;
    }
  }
  end();
}

}  // namespace curveview
