// A worker thread per chart recorder. A view hands it jobs (rows it has
// copied, the legend, the end of the chart) and goes on at once: the jobs run
// in the order given on the worker, so a port that stalls for seconds holds
// up neither painting nor acquisition. The queue is bounded; a full queue
// refuses rows (traced) rather than make the display thread wait.
//
// A job that throws (a failed port write) ends the feed: the jobs still
// queued are dropped and the failure handler runs once, on the worker
// thread; it is expected to post the report to the user-interface thread.
// The user-interface thread waits for the worker at the end of a chart, so
// the worker never waits for the user-interface thread: a box raised by a
// job is posted and the job goes on. That wait is bounded too: a worker that
// has not ended by then is left to end after the job it is in (which holds
// what it uses), the jobs behind it are dropped and its failure no longer
// reaches the view. Nothing of the chart views' types is known here, so the
// televiewer and cement-bond views can feed their recorders the same way.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace curveview {

class ChartFeed {
 public:
  using Job = std::function<void()>;
  // How long the end of a chart is waited for: far longer than a recorder
  // takes for the heading blocks and a full queue of rows.
  static constexpr unsigned kFinishWaitMs = 30000;

  // CAPACITY: jobs that may wait at most (the final job is always taken).
  // ONFAILURE: runs on the worker after a job threw; may be empty.
  // FINISHWAITMS: how long Finish waits for the worker.
  ChartFeed(std::size_t capacity, std::function<void()> onFailure, unsigned finishWaitMs = kFinishWaitMs);
  // Runs what is queued, then ends the worker (Finish).
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
  // Waits until every queued job has run and the worker has ended, at most
  // the finish wait; false when the worker was left to end on its own.
  bool Finish();

  bool Failed() const;
  // Jobs waiting (not counting one that runs).
  std::size_t Queued() const;

 private:
  struct State;
  static void Run(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::thread worker_;
};

// The end of a chart after its last rows, on any recorder: the log's
// trailer, the remarks and heading when asked for (all with TEXTS), then the
// paper out to the next form mark or on by FEED lines.
template <typename Recorder, typename Texts>
void CloseChart(Recorder& r, const Texts& texts, bool trailer, bool heading, bool formMarks, int feed = 8) {
  if (trailer) r.PrintTrailerText(texts);
  if (heading) {
    r.PrintRemarks(texts);
    r.PrintLogHeading(texts);
  }
  if (formMarks)
    r.EjectToFormMark();
  else
    r.LineFeed(feed);
}

}  // namespace curveview
