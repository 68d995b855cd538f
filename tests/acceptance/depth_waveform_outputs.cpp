#include "tests/acceptance/depth_waveform_outputs.h"

#include <algorithm>
#include <mutex>

#include "tools/cementbond/cbl_display.h"
#include "tools/cementbond/cbl_view.h"

namespace qvtest {

DepthSamples WaveformRowSamples(CCBLView& view, int physicalChannel, double metresPerUnit) {
  DepthSamples shown;
  const curveview::CurveDocument* doc = view.Document();
  if (!doc || physicalChannel < 1 || physicalChannel > 6) return shown;
  qv::vdl::VdlEngine& engine = view.Engine();
  std::lock_guard<std::timed_mutex> lock(engine.DisplayLock());
  const int top = engine.TopRow(), bottom = engine.BottomRow();
  const double* history = engine.DisplayHistory(physicalChannel - 1);
  const std::vector<std::uint8_t>& marks = engine.Marks();
  if (!history) return shown;
  // The labels of the depth track, as it draws them: one at each major mark
  // from the top, a label step apart.
  const int step = qv::cbl::LabelStep(doc->DepthScale(), doc->Imperial());
  int s = qv::cbl::FirstLabelDepth(view.DepthTrack().currentDepth, step, view.Upward());
  std::vector<std::pair<double, double>> labels;  // (row, depth)
  for (int j = 0; j <= bottom - top; ++j) {
    const int row = top + j;
    if (row < 0 || row >= static_cast<int>(marks.size())) break;
    if ((marks[static_cast<std::size_t>(row)] & 0x0F) != qv::vdl::kMarkMajor) continue;
    labels.emplace_back(j, s / 1000.0);
    s += view.Upward() ? step : -step;
  }
  if (labels.size() < 2) return shown;
  // depth = a + b * row, by least squares over the labels.
  double sx = 0, sd = 0, sxx = 0, sxd = 0;
  for (const auto& [x, d] : labels) sx += x, sd += d, sxx += x * x, sxd += x * d;
  const double n = static_cast<double>(labels.size());
  const double b = (n * sxd - sx * sd) / (n * sxx - sx * sx);
  const double a = (sd - b * sx) / n;
  const int rows = std::min({bottom - top, engine.HistoryLength() - top, engine.DisplayRowsWithData(physicalChannel - 1)});
  for (int j = 0; j < rows; ++j) shown.emplace_back((a + b * j) * metresPerUnit, history[top + j]);
  return shown;
}

// ---- the chart recorder's paper

struct WaveformChartTape::Paper {
  mutable std::mutex mutex;
  bool started = false;
  int startDepth = 0;  // hundredths of the depth unit
  int linesSinceStart = 0;
  std::vector<std::string> captions;
  std::vector<int> valueOf;  // for each legend entry, its place in a line's positions (-1: none)
  int values = 0;            // positions a line holds
  struct Line {
    int startDepth = 0;
    int line = 0;
    std::vector<double> values;  // one per legend entry
  };
  std::vector<Line> lines;
};

namespace {

class WaveformTapeRecorder final : public qv::cbl::CblRecorder {
 public:
  explicit WaveformTapeRecorder(std::shared_ptr<WaveformChartTape::Paper> paper) : paper_(std::move(paper)) {}
  void SendPrintrexStart() override {}
  int LineFeed(int count) override { return count; }
  void SetStartDepth(int depth) override {
    std::lock_guard lock(paper_->mutex);
    paper_->startDepth = depth;
    paper_->linesSinceStart = 0;
    paper_->started = true;
  }
  void AdvanceToDepth() override {}
  void PrintCblTrackHeader(InscriptionList* list) override {
    std::lock_guard lock(paper_->mutex);
    paper_->captions.clear();
    paper_->valueOf.clear();
    // A line carries the positions of the curves of channels 1 to 6 only,
    // in the legend's order; the waveforms have entries but no position.
    int values = 0;
    for (const auto& i : *list) {
      paper_->captions.push_back(i->caption);
      paper_->valueOf.push_back(i->channel >= 1 && i->channel <= 6 ? values++ : -1);
    }
    paper_->values = values;
    list->clear();
  }
  void PrintCblRow(const std::uint8_t*, const double* values, int count, bool) override {
    std::lock_guard lock(paper_->mutex);
    const int curves = paper_->values;
    for (int r = 0; r < count; ++r)
      paper_->lines.push_back({paper_->startDepth, paper_->linesSinceStart++,
                               std::vector<double>(values + r * curves, values + (r + 1) * curves)});
  }
  void FinishPlot() override {}
  void RepeatCblTrackHeader() override {}
  void EjectToFormMark() override {}
  void BuildGridTemplate() override {}
  void ClearInscriptions() override {}
  void SetScaleRange(int, const std::string&, const std::string&) override {}
  void SetCurveStyle(int, int) override {}
  void PrintLogHeading(const curveview::ChartLogTexts&) override {}
  void PrintRemarks(const curveview::ChartLogTexts&) override {}
  void PrintTrailerText(const curveview::ChartLogTexts&) override {}

 private:
  std::shared_ptr<WaveformChartTape::Paper> paper_;
};

}  // namespace

WaveformChartTape::WaveformChartTape() : paper_(std::make_shared<Paper>()) {
  previous_ = qv::cbl::SetCblRecorderFactory(
      [paper = paper_](const curveview::ChartRecorderArgs&) { return std::make_unique<WaveformTapeRecorder>(paper); });
}

WaveformChartTape::~WaveformChartTape() {
  qv::cbl::SetCblRecorderFactory(previous_);
}

DepthSamples WaveformChartTape::Samples(int position, int scale, bool upward, double metresPerUnit) const {
  std::lock_guard lock(paper_->mutex);
  DepthSamples out;
  if (!paper_->started || position < 1) return out;
  const double line = 0.0254 / 200 * scale;
  if (static_cast<std::size_t>(position) > paper_->valueOf.size()) return out;
  const int at = paper_->valueOf[static_cast<std::size_t>(position - 1)];
  if (at < 0) return out;
  for (const Paper::Line& l : paper_->lines)
    if (static_cast<std::size_t>(at) < l.values.size())
      out.emplace_back(l.startDepth / 100.0 * metresPerUnit + (upward ? -1.0 : 1.0) * l.line * line,
                       l.values[static_cast<std::size_t>(at)]);
  return out;
}

std::vector<std::string> WaveformChartTape::Captions() const {
  std::lock_guard lock(paper_->mutex);
  return paper_->captions;
}

}  // namespace qvtest
