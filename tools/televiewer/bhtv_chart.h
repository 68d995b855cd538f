// What the televiewer view asks of its chart recorder while a log prints in
// real time: the heading, the image rows four raster lines each, the footer
// and the log's blocks. The view talks to the recorder through this
// interface so that tests can put a recording fake in its place; the real
// one drives CGulton on the parallel port.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "logview/chart_recorder.h"
#include "print/recorder/televiewer_row.h"

namespace qv {

struct TeleviewerChartArgs {
  int model = 0;
  int verticalKind = 0;  // 0 metric, 1 imperial
};

class TeleviewerChartRecorder {
 public:
  virtual ~TeleviewerChartRecorder() = default;
  // Every call may throw CUserException (a failed port write).
  virtual void SendPrintrexStart() = 0;
  virtual int LineFeed(int count) = 0;
  virtual void SetStartDepth(int depth) = 0;
  // FLAGS: bit 0 error diffusion, bit 1 adaptive grey levels.
  virtual void PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int flags) = 0;
  virtual void PrintTeleviewerHeader() = 0;
  virtual void PrintTeleviewerFooter() = 0;
  // The log's blocks, with the texts of the view's log.
  virtual void PrintLogHeading(const curveview::ChartLogTexts& texts) = 0;
  virtual void PrintRemarks(const curveview::ChartLogTexts& texts) = 0;
  virtual void PrintTrailerText(const curveview::ChartLogTexts& texts) = 0;
  virtual void EjectToFormMark() = 0;
};

using TeleviewerRecorderFactory = std::function<std::unique_ptr<TeleviewerChartRecorder>(const TeleviewerChartArgs&)>;

// The recorder the televiewer views make (a CGulton with print type 1, scale
// 1 and direction 1 when no factory is installed). Installing null restores
// it; returns the previous factory.
TeleviewerRecorderFactory SetTeleviewerRecorderFactory(TeleviewerRecorderFactory factory);
std::unique_ptr<TeleviewerChartRecorder> MakeTeleviewerRecorder(const TeleviewerChartArgs& args);

}  // namespace qv
