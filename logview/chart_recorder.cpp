// The chart recorder behind the log views: the real one on the parallel
// port, the slot tests put a fake recorder in, the heading, remarks and
// trailer blocks of a chart, and how a curve value becomes a chart position.
#include <cmath>
#include <filesystem>

#include "logview/chart_recorder.h"
#include "logview/model/document.h"
#include "platform/text/cnum.h"

using namespace curveview;

namespace {

// The chart recorder on the parallel port.
class GultonChart final : public CurveChartRecorder {
 public:
  explicit GultonChart(const ChartRecorderArgs& a)
      : g_(static_cast<uint8_t>(a.model), a.printType, a.verticalKind, a.trackScales, a.scale, a.mode, a.upward) {}
  void SendPrintrexStart() override { g_.SendPrintrexStart(); }
  int LineFeed(int count) override { return g_.LineFeed(count); }
  void SetStartDepth(int depth) override { g_.SetStartDepth(depth); }
  void AdvanceToDepth() override { g_.AdvanceToDepth(); }
  void PrintPlotTrackHeader(InscriptionList* list, bool print) override { g_.PrintPlotTrackHeader(list, print); }
  void PlotCurveRow(const int* values, int count, int tickRow, bool final) override {
    g_.PlotCurveRow(values, count, tickRow, final);
  }
  void FinishPlot() override { g_.FinishPlot(); }
  void RepeatPlotTrackHeader() override { g_.RepeatPlotTrackHeader(); }
  void EjectToFormMark() override { g_.EjectToFormMark(); }
  void BuildGridTemplate() override { g_.BuildGridTemplate(); }
  void ClearInscriptions() override { g_.Inscriptions().clear(); }
  void SetScaleEnd(int n, int kind, const std::string& text) override { g_.SetScaleEnd(n, kind, text); }
  void SetScaleRange(int n, const std::string& l, const std::string& r) override { g_.SetScaleRange(n, l, r); }
  void SetCurveStyle(int n, int style) override { g_.SetCurveStyle(n, style); }
  void PrintLogHeading(const ChartLogTexts& t) override { PrintHeadingBlock(g_, t); }
  void PrintRemarks(const ChartLogTexts& t) override { PrintRemarksBlock(g_, t); }
  void PrintTrailerText(const ChartLogTexts& t) override { PrintTrailerBlock(g_, t); }

 private:
  CGulton g_;
};

RecorderFactorySlot<CurveChartRecorder, ChartRecorderArgs>& Slot() {
  static RecorderFactorySlot<CurveChartRecorder, ChartRecorderArgs> slot;
  return slot;
}

}  // namespace

namespace curveview {

ChartRecorderFactory SetChartRecorderFactory(ChartRecorderFactory factory) {
  return Slot().Set(std::move(factory));
}

ChartLogTexts LogTextsOf(CurveDocument* doc) {
  ChartLogTexts t;
  if (!doc) return t;
  t.haveHeader = doc->LogHeaderTexts(&t.header, &t.trailer);
  const std::string stem = doc->PathStem();
  if (!stem.empty()) t.headerName = std::filesystem::path(stem + "hed").filename().string();
  return t;
}

void PrintHeadingBlock(CGulton& g, const ChartLogTexts& texts) {
  HeaderInfo h = texts.header;  // the heading writes the log name in capitals
  g.PrintLogHeading(texts.haveHeader ? &h : nullptr);
}

void PrintRemarksBlock(CGulton& g, const ChartLogTexts& texts) {
  HeaderInfo h = texts.header;
  g.PrintRemarks(texts.haveHeader ? &h : nullptr, texts.headerName);
}

void PrintTrailerBlock(CGulton& g, const ChartLogTexts& texts) {
  TrailerText t = texts.trailer;
  g.PrintTrailerText(&t);
}

std::unique_ptr<CurveChartRecorder> MakeChartRecorder(const ChartRecorderArgs& args) {
  return Slot().Make(args, [](const ChartRecorderArgs& a) { return std::make_unique<GultonChart>(a); });
}

int ChartValue(const CurveRecord& curve, double value, bool logTrack) {
  if (std::isnan(value)) return kNoCurveValue;
  const double lo = curve.scaleMinimum, hi = curve.scaleMaximum;
  double r;
  if (logTrack) {
    if (value <= 0.0) return 0;
    const double a = std::log10(static_cast<float>(lo)), b = std::log10(static_cast<float>(hi));
    const double f = a == b ? 1.0 : 508.0 / (b - a);
    r = (std::log10(value) - a) * f;
  } else {
    const double f = hi == lo ? 1.0 : 508.0 / (hi - lo);
    r = (value - lo) * f;
  }
  if (!(r > 0.0)) return 0;
  if (curve.firstTrack != curve.lastTrack) r *= 2.0;
  // Far beyond the scale a value stays a wide position (the recorder clamps
  // or wraps it); the int conversion stays defined.
  return r >= 1e9 ? 1000000000 : static_cast<int>(r);
}

std::unique_ptr<Inscription> MakeInscription(const CurveRecord& c) {
  auto ins = std::make_unique<Inscription>();
  ins->caption = c.shortTitle + "  " + c.unit;
  const std::string lo = qv::FormatC("%.2f", static_cast<double>(c.scaleMinimum));
  const std::string hi = qv::FormatC("%.2f", static_cast<double>(c.scaleMaximum));
  ins->leftScale = c.scaleFlag == 1 ? lo : hi;
  ins->rightScale = c.scaleFlag == 1 ? hi : lo;
  const bool two = c.firstTrack != c.lastTrack;
  ins->track = static_cast<int16_t>(two ? 4 : c.firstTrack == 0 ? 1 : c.firstTrack);
  ins->printStyle = static_cast<int16_t>(c.printLineStyle + 1);
  ins->channel = c.physicalChannel;
  ins->reversed = c.scaleFlag;
  ins->doubleWidth = two ? 1 : 0;
  return ins;
}

}  // namespace curveview
