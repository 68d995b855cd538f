// What the curve view asks of its chart recorder while a log prints in real
// time, and how a curve value becomes a position on the chart. The view talks
// to the recorder through this interface so that tests can put a recording
// fake in its place; the real one drives CGulton.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "print/recorder/gulton.h"
#include "sondedb/records/records.h"

namespace curveview {

// The creation arguments of a chart recorder.
struct ChartRecorderArgs {
  int model = 0;
  int printType = kPrintPlot;
  int verticalKind = 0;  // 0 metric, 1 imperial, 2 time
  const TrackScale* trackScales = nullptr;
  int scale = 0;
  int mode = 0;
  int upward = 0;
  // The log's header file, which the heading, remarks and trailer blocks
  // read when they are printed; empty for none.
  std::string headerPath;
};

class CurveChartRecorder {
 public:
  virtual ~CurveChartRecorder() = default;
  // Every call may throw CUserException (a failed port write).
  virtual void SendPrintrexStart() = 0;
  virtual int LineFeed(int count) = 0;
  virtual void SetStartDepth(int depth) = 0;
  virtual void AdvanceToDepth() = 0;
  virtual void PrintPlotTrackHeader(InscriptionList* list, bool print) = 0;
  virtual void PlotCurveRow(const int* values, int count, int tickRow, bool final) = 0;
  virtual void FinishPlot() = 0;
  virtual void RepeatPlotTrackHeader() = 0;
  virtual void EjectToFormMark() = 0;
  // Legend and grid edits of a running chart; POSITION is the entry's place
  // in the recorder's list, from 1.
  virtual void BuildGridTemplate() = 0;
  virtual void ClearInscriptions() = 0;
  virtual void SetScaleEnd(int position, int kind, const std::string& text) = 0;
  virtual void SetScaleRange(int position, const std::string& left, const std::string& right) = 0;
  virtual void SetCurveStyle(int position, int style) = 0;
  // The heading, remarks and trailer blocks of the chart (header record, data
  // path and trailer text of the view's log).
  virtual void PrintLogHeading() = 0;
  virtual void PrintRemarks() = 0;
  virtual void PrintTrailerText() = 0;
};

// Where a view's recorder is made: tests put a fake in (Set); an empty
// factory restores the real recorder. Set and Make may meet from two threads.
template <class Recorder, class Args>
class RecorderFactorySlot {
 public:
  using Factory = std::function<std::unique_ptr<Recorder>(const Args&)>;
  // Installs FACTORY and gives back the previous one.
  Factory Set(Factory factory) {
    std::lock_guard lock(mutex_);
    std::swap(factory, factory_);
    return factory;
  }
  // The installed factory's recorder, else MAKEREAL's.
  template <class MakeReal>
  std::unique_ptr<Recorder> Make(const Args& args, MakeReal makeReal) const {
    Factory f;
    {
      std::lock_guard lock(mutex_);
      f = factory_;
    }
    if (f) return f(args);
    return makeReal(args);
  }

 private:
  mutable std::mutex mutex_;
  Factory factory_;
};

using ChartRecorderFactory = std::function<std::unique_ptr<CurveChartRecorder>(const ChartRecorderArgs&)>;

// The recorder the curve views make (a CGulton on the parallel port when no
// factory is installed). Installing null restores it; returns the previous.
ChartRecorderFactory SetChartRecorderFactory(ChartRecorderFactory factory);
std::unique_ptr<CurveChartRecorder> MakeChartRecorder(const ChartRecorderArgs& args);

// The heading, remarks and trailer blocks of a log on a chart, read from the
// log's header file (HEADERPATH) as it is when they are printed: the trailer
// is written at the log's stop. An unreadable header prints the forms
// without their texts, no trailer prints nothing. Every view's recorder
// prints them the same way.
void PrintHeadingBlock(CGulton& g, const std::string& headerPath);
void PrintRemarksBlock(CGulton& g, const std::string& headerPath);
void PrintTrailerBlock(CGulton& g, const std::string& headerPath);

// The chart position of VALUE for CURVE in dots across its track (508 a
// track, 1016 for a curve over two); kNoCurveValue when the row holds no
// reading. LOGTRACK: the curve's first track has a logarithmic grid.
int ChartValue(const CurveRecord& curve, double value, bool logTrack);

// The legend entry of one shown curve.
std::unique_ptr<Inscription> MakeInscription(const CurveRecord& curve);

}  // namespace curveview
