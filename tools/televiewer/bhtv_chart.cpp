#include "tools/televiewer/bhtv_chart.h"

#include <mutex>

#include "logview/chart_recorder.h"
#include "print/recorder/gulton.h"

namespace qv {

namespace {

class GultonTeleviewerChart final : public TeleviewerChartRecorder {
 public:
  explicit GultonTeleviewerChart(const TeleviewerChartArgs& a)
      : g_(static_cast<uint8_t>(a.model), kPrintTeleviewer, a.verticalKind, nullptr, 1, 0, 1) {}
  void SendPrintrexStart() override { g_.SendPrintrexStart(); }
  int LineFeed(int count) override { return g_.LineFeed(count); }
  void SetStartDepth(int depth) override { g_.SetStartDepth(depth); }
  void PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int flags) override {
    g_.PrintTeleviewerRows(rows, count, flags);
  }
  void PrintTeleviewerHeader() override { g_.PrintTeleviewerHeader(); }
  void PrintTeleviewerFooter() override { g_.PrintTeleviewerFooter(); }
  void PrintLogHeading(const curveview::ChartLogTexts& t) override { curveview::PrintHeadingBlock(g_, t); }
  void PrintRemarks(const curveview::ChartLogTexts& t) override { curveview::PrintRemarksBlock(g_, t); }
  void PrintTrailerText(const curveview::ChartLogTexts& t) override { curveview::PrintTrailerBlock(g_, t); }
  void EjectToFormMark() override { g_.EjectToFormMark(); }

 private:
  CGulton g_;
};

curveview::RecorderFactorySlot<TeleviewerChartRecorder, TeleviewerChartArgs> slot;

}  // namespace

TeleviewerRecorderFactory SetTeleviewerRecorderFactory(TeleviewerRecorderFactory f) {
  return slot.Set(std::move(f));
}

std::unique_ptr<TeleviewerChartRecorder> MakeTeleviewerRecorder(const TeleviewerChartArgs& args) {
  return slot.Make(args, [](const TeleviewerChartArgs& a) { return std::make_unique<GultonTeleviewerChart>(a); });
}

}  // namespace qv
