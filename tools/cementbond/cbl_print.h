// The cement-bond view's printed log (and the full-wave sonic view's, the
// same with 480 samples a receiver and no gates): the page model's source that reads the
// log again from its files through the log's replay and print-time
// processing, and draws track headers, frames, the depth grid, the curves,
// the near and far waveform strips with their free-pipe gates, and the minute
// marks. Records become printer dot rows at the printed scale: averaged where
// several fall on one dot row, repeated where one spans several; a waveform
// (a far segment 0 to the next) becomes one print row covering its dot rows.
#pragma once

#include <QPainter>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "print/page/page_model.h"
#include "tools/cementbond/cbl_document.h"

class CCBLView;

namespace qv::cbl {

inline constexpr int kPrintBlock = 1000;

// One print row: the dot rows it covers and the near and far samples (240
// each for the cement-bond log, 480 each for the full-wave sonic log).
struct PrintRow {
  int count = 0;
  std::array<std::int8_t, 960> samples{};
};

// One block of print rows with the curve values and minute marks of its dot rows.
struct PrintBlock {
  std::vector<PrintRow> rows = std::vector<PrintRow>(kPrintBlock);
  std::vector<double> values;  // curve c, dot row r at c * kPrintBlock + r
  std::vector<std::uint8_t> marks = std::vector<std::uint8_t>(kPrintBlock, 0);
  int printRows = 0;  // print rows used (the carried row included)
};

class CblPageSource : public print::PagePrintSource {
 public:
  CblPageSource(CCBLView& view, WaveformLogDocument& log, std::function<bool()> followChain);

  std::string Title() const override;
  int LogMode() const override { return log_.Setup().logMode; }
  int DepthScale() const override { return log_.Setup().depthScale; }
  bool Imperial() const override { return log_.Setup().imperial; }
  bool FollowChain() const override { return followChain_ && followChain_(); }
  int ReplayStartDepth() const override { return log_.Setup().replayStartDepth; }
  int ReplayEndDepth() const override { return log_.Setup().replayEndDepth; }
  const HeaderInfo* Header() const override { return &log_.Header(); }
  std::string DataPath() const override { return log_.DataFilePath(); }
  const TrailerText* Trailer() const override { return &log_.Trailer(); }
  const CalibrationArray* Calibrations() const override { return log_.GetCalibrationArray(); }
  bool ClosingWithFit() const override { return true; }
  bool SaveWellInfo(int mode) override { return log_.SaveWellInfo(mode) != 0; }
  bool ReopenReplay() override;
  void BeginReplay(print::PrintSettings& settings, bool again) override;
  void EndReplay() override;
  int PrintTrackHeaders(QPainter& dc, const print::PrintSettings& settings, int y) override;
  print::LogSectionResult PrintLogSection(QPainter& dc, print::PrintSettings& settings,
                                          const print::LogSectionArea& area) override;

  // Up to WANTED dot rows from the log's next records into BLOCK (its first
  // row already holds the carried samples); FIRST: rows open only with the
  // first far segment 0. Returns the dot rows made.
  int BuildPrintRows(print::PrintSettings& settings, int wanted, PrintBlock& block, bool first);
  // Dot rows a record takes at the printed scale.
  double DotRowsPerRecord(const print::PrintSettings& settings) const;
  const PrintRow& CarriedRow() const { return carried_; }
  // The depth the grid gives the next printed dot row of records.
  int NextRowDepth() const { return gridTop_; }
  // The curves whose values the blocks carry (channels 1 to 6, in curve order).
  int ValueCurves() const;

 private:
  void PrintTrackGrid(QPainter& dc, const print::PrintSettings& s, const QRect& r, int kind);
  void PrintCurve(QPainter& dc, const print::PrintSettings& s, const QRect& r, const double* values, int rows,
                  CurveRecord& curve, bool logarithmic, bool first);
  void PrintWaveformStrip(QPainter& dc, const QRect& r, const PrintBlock& block, int dotRows, const CurveRecord& c);
  int Step() const;

  CCBLView& view_;
  WaveformLogDocument& log_;
  std::function<bool()> followChain_;
  bool upward_ = false;
  int largestOffset_ = 0;
  int windowTop_ = 0, windowBottom_ = 0;
  // Depth steps between the record read and the formation a printed row shows.
  int alignSteps_ = 0;
  // The depth of the next printed row: where the grid's labels start.
  int gridTop_ = 0;
  PrintRow carried_;
  std::vector<int> pendingMarks_;
  std::vector<int> lastX_;
  bool reopened_ = false;
  int thinPen_ = 1, thickPen_ = 2;
};

}  // namespace qv::cbl
