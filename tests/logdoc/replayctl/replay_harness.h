// A replay of a log the simulated unit recorded: a fresh six-channel engine
// over the recorded files, its sink, and a replay control whose end of data
// is handed to the test thread as the main window would get it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "header/header.h"
#include "logdoc/replayctl/replay_control.h"
#include "tests/logdoc/document/engine_harness.h"

namespace qvtest {

// A sink that also keeps what the chart recorder was told.
class ReplaySink : public RecordingSink {
 public:
  void StartRealtimePrint(int mode) override { starts.push_back(mode); }
  void StopRealtimePrint(int mode) override { stops.push_back(mode); }
  std::vector<int> starts, stops;  // GUI thread only
};

// A six-channel engine whose replayed records' depths the test can read.
class StampedEngine : public qv::SixChannelEngine {
 public:
  using qv::SixChannelEngine::ReplayStamp;
};

struct Replay {
  // The engine over the log stem (a path ending in a dot), its window the
  // header's whole range, or from skipSteps steps after its start.
  explicit Replay(const std::string& stem, qv::ReplayCallbacks extra = {}, int skipSteps = 0) {
    qv::LogSetup& s = engine.Setup();
    s.pathStem = stem;
    s.logMode = 12;
    s.depthStep = 100;
    s.sondeAbbreviation = "KSTQ";
    ::HeaderInfo h;
    if (::ReadHeaderInfo(stem + "LOG", &h)) {
      s.replayStartDepth = h.Startdepth + skipSteps * h.Step * (h.EndDepth < h.Startdepth ? -1 : 1);
      s.replayEndDepth = h.EndDepth;
    }
    engine.SetSink(&sink);
    opened = engine.InitialiseLog(0, 10);
    qv::ReplayCallbacks cb = std::move(extra);
    cb.endOfData = [this] {
      std::lock_guard<std::mutex> lock(m);
      ++ends;
      cv.notify_all();
    };
    if (!cb.askReplay)
      cb.askReplay = [this](bool offer) {
        offers.push_back(offer);
        return answer;
      };
    cb.showPaused = [this] { ++paused; };
    cb.disableButtons = [this] { ++disabled; };
    cb.closeDocument = [this] { ++closed; };
    control = std::make_unique<qv::ReplayControl>(engine, std::move(cb));
    control->SetPollPeriod(0);
  }
  // Waits until the replay thread reported the end of the data n times in all.
  bool WaitForEnd(int n = 1) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, std::chrono::seconds(60), [&] { return ends >= n; });
  }

  StampedEngine engine;
  ReplaySink sink;
  std::unique_ptr<qv::ReplayControl> control;
  bool opened = false;
  std::mutex m;
  std::condition_variable cv;
  int ends = 0;
  qv::ReplayEndAnswer answer;
  std::vector<bool> offers;
  int paused = 0, disabled = 0, closed = 0;
};

}  // namespace qvtest
