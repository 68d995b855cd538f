// A worker thread per chart recorder. A view hands it jobs (rows it has
// copied, the legend, the end of the chart) and goes on at once: the jobs run
// in the order given on the worker, so a port that stalls for seconds holds
// up neither painting nor acquisition. The queue is bounded; a full queue
// refuses rows (traced) rather than make the display thread wait.
//
// A job that throws (a failed port write) ends the feed: the jobs still
// queued are dropped and the failure handler runs once, on the worker
// thread; it is expected to post the report to the user-interface thread.
// Nothing of the chart views' types is known here, so the televiewer and
// cement-bond views can feed their recorders the same way.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace curveview {

class ChartFeed {
 public:
  using Job = std::function<void()>;

  // CAPACITY: jobs that may wait at most (the final job is always taken).
  // ONFAILURE: runs on the worker after a job threw; may be empty.
  ChartFeed(std::size_t capacity, std::function<void()> onFailure);
  // Runs what is queued, then ends the worker.
  ~ChartFeed();
  ChartFeed(const ChartFeed&) = delete;
  ChartFeed& operator=(const ChartFeed&) = delete;

  // Queues a job; false (the job is dropped) when the queue is full, the
  // feed has failed or has been finished.
  bool Post(Job job);
  // Queues the last job of the feed whatever the queue holds (the end of a
  // chart must not be lost), then lets the worker end after it; false when
  // the feed has failed or was finished already.
  bool PostFinal(Job job);
  // Waits until every queued job has run and the worker has ended.
  void Finish();

  bool Failed() const;
  // Jobs waiting (not counting one that runs).
  std::size_t Queued() const;

 private:
  void Run();

  const std::size_t capacity_;
  std::function<void()> onFailure_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool closed_ = false;  // no more jobs are taken
  bool failed_ = false;
  std::thread worker_;
};

// The end of a chart after its last rows, on any recorder: the log's
// trailer, the remarks and heading when asked for, then the paper out to the
// next form mark or on by 8 lines.
template <typename Recorder>
void CloseChart(Recorder& r, bool trailer, bool heading, bool formMarks) {
  if (trailer) r.PrintTrailerText();
  if (heading) {
    r.PrintRemarks();
    r.PrintLogHeading();
  }
  if (formMarks)
    r.EjectToFormMark();
  else
    r.LineFeed(8);
}

}  // namespace curveview
