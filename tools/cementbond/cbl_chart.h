// Real-time printing of the cement-bond view on the chart recorder: the
// recorder (a CGulton of print type 2, or a fake the tests install), the
// track header with one legend entry per shown curve, a density row and the
// curve positions for every new display line, the depth, the legend and
// layout edits, and the end of the chart. The recorder is driven on a chart
// feed (one worker), so a stalled port holds up neither the display nor the
// acquisition; a failed write ends real-time printing for the log and shows
// the printer error.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logview/chart_recorder.h"
#include "print/recorder/gulton.h"
#include "tools/waveform/vdl_engine.h"

class CCBLView;
namespace curveview {
class ChartFeed;
}

namespace qv::cbl {

// What the view asks of its recorder; every call may throw CUserException.
class CblRecorder {
 public:
  virtual ~CblRecorder() = default;
  virtual void SendPrintrexStart() = 0;
  virtual int LineFeed(int count) = 0;
  virtual void SetStartDepth(int depth) = 0;
  virtual void AdvanceToDepth() = 0;
  virtual void PrintCblTrackHeader(InscriptionList* list) = 0;
  virtual void PrintCblRow(const std::uint8_t* rows, const double* values, int count, bool final) = 0;
  virtual void FinishPlot() = 0;
  virtual void RepeatCblTrackHeader() = 0;
  virtual void EjectToFormMark() = 0;
  virtual void BuildGridTemplate() = 0;
  virtual void ClearInscriptions() = 0;
  virtual void SetScaleRange(int position, const std::string& left, const std::string& right) = 0;
  virtual void SetCurveStyle(int position, int style) = 0;
  virtual void PrintLogHeading(const curveview::ChartLogTexts& texts) = 0;
  virtual void PrintRemarks(const curveview::ChartLogTexts& texts) = 0;
  virtual void PrintTrailerText(const curveview::ChartLogTexts& texts) = 0;
};

using CblRecorderFactory = std::function<std::unique_ptr<CblRecorder>(const curveview::ChartRecorderArgs&)>;
// Installs the recorder the view makes (null: a CGulton); returns the previous.
CblRecorderFactory SetCblRecorderFactory(CblRecorderFactory factory);

class CblChart {
 public:
  explicit CblChart(CCBLView& view);
  ~CblChart();

  bool Create();
  // Printing is on and the track header has gone out.
  bool Running() const;
  bool HasRecorder() const { return recorder_ != nullptr; }
  void SetDepth(int depth, bool noAdvance);
  void Start(int mode);
  void Stop(int mode);
  // The chart rows of the lines a refresh took.
  void PrintLines(const vdl::VdlRefresh& lines);
  void Flush();
  void ScaleEdited(int ordinal, const CurveRecord& curve);
  void StyleEdited(int ordinal, const CurveRecord& curve);
  void LayoutChanged();
  // The view is closing: the chart ends (mode -1); nothing escapes.
  void EndOnClose() noexcept;

 private:
  bool Printing() const;
  void SetPrintingOff();
  void Post(std::function<void(CblRecorder&)> job);
  void FinishFeed();
  void Failed();
  bool OnGui(std::function<void()> again);
  InscriptionList BuildList() const;

  CCBLView& view_;
  std::shared_ptr<CblRecorder> recorder_;
  std::unique_ptr<curveview::ChartFeed> feed_;
  std::vector<TrackScale> scales_;    // the table the recorder reads (changed on the feed only)
  std::vector<std::uint8_t> wiggle_;  // the mirrored traces of a wiggle chart, 1024 dots a line
  bool started_ = false;
  bool off_ = false;
};

}  // namespace qv::cbl
