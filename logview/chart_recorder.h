// What the curve view asks of its chart recorder while a log prints in real
// time, and how a curve value becomes a position on the chart. The view talks
// to the recorder through this interface so that tests can put a recording
// fake in its place; the real one drives CGulton.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "header/header_info.h"
#include "print/recorder/gulton.h"
#include "sondedb/records/records.h"

namespace curveview {

class CurveDocument;

// What the heading, remarks and trailer blocks of a chart print: the log's
// header record and trailer text as they stand in memory when the block is
// asked for (a new log's header file does not exist yet, and a live log's
// trailer is asked for at its stop), and the header file's name for the
// remarks title.
struct ChartLogTexts {
  bool haveHeader = false;
  HeaderInfo header{};
  TrailerText trailer{};
  std::string headerName;
};
// The texts of DOC's log as they stand (none without a document).
ChartLogTexts LogTextsOf(CurveDocument* doc);

// The creation arguments of a chart recorder.
struct ChartRecorderArgs {
  int model = 0;
  int printType = kPrintPlot;
  int verticalKind = 0;  // 0 metric, 1 imperial, 2 time
  const TrackScale* trackScales = nullptr;
  int scale = 0;
  int mode = 0;
  int upward = 0;
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
  // The heading, remarks and trailer blocks of the chart, with the texts of
  // the view's log.
  virtual void PrintLogHeading(const ChartLogTexts& texts) = 0;
  virtual void PrintRemarks(const ChartLogTexts& texts) = 0;
  virtual void PrintTrailerText(const ChartLogTexts& texts) = 0;
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

// The heading, remarks and trailer blocks of a log on a chart, the same way
// on every view's recorder. Without a header the forms print without their
// texts; no trailer line prints nothing.
void PrintHeadingBlock(CGulton& g, const ChartLogTexts& texts);
void PrintRemarksBlock(CGulton& g, const ChartLogTexts& texts);
void PrintTrailerBlock(CGulton& g, const ChartLogTexts& texts);

// The chart position of VALUE for CURVE in dots across its track (508 a
// track, 1016 for a curve over two); kNoCurveValue when the row holds no
// reading. LOGTRACK: the curve's first track has a logarithmic grid.
int ChartValue(const CurveRecord& curve, double value, bool logTrack);

// The legend entry of one shown curve.
std::unique_ptr<Inscription> MakeInscription(const CurveRecord& curve);

}  // namespace curveview
