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

#include "logview/print_pages.h"
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
  const SonicLogEngine& Engine() const { return sonic_; }

 private:
  SonicLogEngine& sonic_;
  std::array<double, 12> values_{};
  std::vector<std::int16_t> waves_;
};

}  // namespace qv

// The minute marks of a sonic page whose depth track runs HEIGHT dot rows
// from TOP: the marks carried from the previous page (their distances below
// its depth track) first, dropped when outside this one; then the page's
// flagged rows, moved down by SHIFT dot rows on a log recorded up, where one
// beyond the bottom is carried to the next page while its distance stays
// below HEIGHT - SHIFT.
struct SonicMinuteMarks {
  std::vector<int> drawn;    // the y of each mark drawn on this page
  std::vector<int> carried;  // distances below this page's depth track
};
SonicMinuteMarks PlaceSonicMinuteMarks(const std::vector<int>& carried, std::span<const std::uint8_t> flags, int top,
                                       int height, bool upward, int shift);

class SonicPageSource : public curveview::CurvePageSource {
 public:
  SonicPageSource(CSonicView& view, curveview::CurveDocument& document, qv::SonicPrintLog& log);

  qv::print::LogSectionResult PrintLogSection(QPainter& dc, qv::print::PrintSettings& settings,
                                              const qv::print::LogSectionArea& area) override;
  void EndReplay() override;

 protected:
  bool PrintsAsCurve(const CurveRecord& c) const override;
  void DrawTrackLegend(QPainter& dc, const QRect& box, int halfText, const CurveRecord& curve,
                       const qv::print::PrintSettings& settings) override;
  void RowsBegin(int capacity) override;
  void RowsMade(int first, int count) override;
  // The sonic page's own ways (the printed log section's table of the views):
  // upward offsets as the log's processing holds them, in records; the depth
  // grid of the waveform pages, spaced by the depth span under fit to page;
  // minute marks moved by the offset lead-in of a log recorded up.
  int OffsetSteps(int channel) const override;
  void DrawGrid(QPainter& dc, const qv::print::PrintSettings& settings, const std::vector<TrackRecord>& columns,
                int top, int rows, double topDepth) override;
  void DrawMinuteMarks(QPainter& dc, const qv::print::PrintSettings& settings, const qv::print::LogSectionArea& area,
                       const RecordRect& depthTrack, const curveview::PrintRows& rows) override;

 private:
  void DrawStrip(QPainter& dc, const qv::print::PrintSettings& s, const QRect& box, int wave, int rows);

  CSonicView& view_;
  qv::SonicPrintLog& sonicLog_;
  std::vector<std::int16_t> rows_;  // one waveform row (all waveforms) per dot row
  std::vector<int> carriedMarks_;   // minute marks for the next page: distances below this page's depth track
};
