// Page printing of a sonic log: the curve view's pages (track headers,
// frames, depth grid, curves, minute marks) with the sonic view's waveform
// tracks as grey strips or wiggle traces, read again from the log's files
// through the sonic processing.
#pragma once

#include <QPainter>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "curveview/print_pages.h"
#include "logdoc/document/print_log.h"
#include "tools/sonic/sonic_log.h"

class CSonicView;

namespace qv {

// The sonic log as page printing sees it: each record processed for print
// leaves its twelve values and its delayed waveforms.
class SonicPrintLog : public EnginePrintLog {
 public:
  SonicPrintLog(SonicLogEngine& engine, std::function<bool()> followChain);
  std::span<const double> ProcessPrintRecord(std::span<const int> givenOffsets) override;
  std::span<const std::int16_t> Waveforms() const { return waves_; }

 private:
  SonicLogEngine& sonic_;
  std::array<double, 12> values_{};
  std::vector<std::int16_t> waves_;
};

}  // namespace qv

class SonicPageSource : public curveview::CurvePageSource {
 public:
  SonicPageSource(CSonicView& view, curveview::CurveDocument& document, qv::SonicPrintLog& log);

  qv::print::LogSectionResult PrintLogSection(QPainter& dc, qv::print::PrintSettings& settings,
                                              const qv::print::LogSectionArea& area) override;

 protected:
  bool PrintsAsCurve(const CurveRecord& c) const override;
  void DrawTrackLegend(QPainter& dc, const QRect& box, int halfText, const CurveRecord& curve,
                       const qv::print::PrintSettings& settings) override;
  void RowsBegin(int capacity) override;
  void RowMade(int row) override;

 private:
  void DrawStrip(QPainter& dc, const qv::print::PrintSettings& s, const QRect& box, int wave, int rows);

  CSonicView& view_;
  qv::SonicPrintLog& sonicLog_;
  std::vector<std::int16_t> rows_;  // one waveform row (all waveforms) per dot row
};
