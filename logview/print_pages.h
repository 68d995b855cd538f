// The curve view's pages: the log is read again from its files through the
// document's replay and processing, and drawn at the print scale with track
// headers, frames, depth grid, curves and minute marks. The page layout
// (heading, calibration, page numbers, chained files, trailer) is the shared
// page model's; this is the source it draws the curve view's log from.
#pragma once

#include <QPainter>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "logview/model/document.h"
#include "logview/model/print_log.h"
#include "print/page/page_model.h"

class CCurveView;
namespace qv {
class View;
namespace print {
class LogPagePrinter;
}
}  // namespace qv

namespace curveview {

// The print-time rows a page's log body is drawn from.
struct PrintRows {
  int count = 0;               // rows filled
  int curves = 0;              // values per row
  std::vector<double> values;  // curve i, row r at i * capacity + r
  std::vector<std::uint8_t> minute;
  int capacity = 0;
  int firstDepth = 0;  // depth of the first row
  double Value(int curve, int row) const { return values[static_cast<size_t>(curve * capacity + row)]; }
};

class CurvePageSource : public qv::print::PagePrintSource {
 public:
  CurvePageSource(CCurveView& view, CurveDocument& document, PrintableLog& log);
  // Over any view's layout records (they are read as the page prints).
  CurvePageSource(std::vector<CurveRecord>& curves, std::vector<TrackRecord>& tracks, std::function<int()> legendRows,
                  CurveDocument& document, PrintableLog& log);

  std::string Title() const override;
  int LogMode() const override { return doc_.LogMode(); }
  int DepthScale() const override { return doc_.DepthScale(); }
  bool Imperial() const override { return doc_.Imperial(); }
  bool FollowChain() const override { return log_.FollowChain(); }
  int ReplayStartDepth() const override { return doc_.ReplayStartDepth(); }
  int ReplayEndDepth() const override { return log_.ReplayEndDepth(); }
  const HeaderInfo* Header() const override { return log_.PrintHeader(); }
  std::string DataPath() const override { return log_.DataPath(); }
  const TrailerText* Trailer() const override { return log_.PrintTrailer(); }
  const CalibrationArray* Calibrations() const override { return log_.Calibrations(); }
  bool SaveWellInfo(int mode) override { return log_.SaveWellInfo(mode); }
  bool ReopenReplay() override { return log_.ReopenReplay(); }
  void BeginReplay(qv::print::PrintSettings& settings, bool again) override;
  void EndReplay() override;
  int PrintTrackHeaders(QPainter& dc, const qv::print::PrintSettings& settings, int y) override;
  qv::print::LogSectionResult PrintLogSection(QPainter& dc, qv::print::PrintSettings& settings,
                                              const qv::print::LogSectionArea& area) override;

  // Up to ROWS print rows from the current depth on (one row = one device
  // dot of paper), averaged or repeated as the display forms its rows.
  PrintRows ReadPrintRows(qv::print::PrintSettings& settings, int rows);
  // The four print columns (track 1, depth, track 2, track 3) of a page.
  static std::vector<TrackRecord> PrintColumns(const std::vector<TrackRecord>& tracks,
                                               const qv::print::PrintSettings& settings, int top, int bottom);
  // Device dots of paper per record at the print scale.
  double DotsPerRecord(const qv::print::PrintSettings& settings) const;

 protected:
  // What a view with more than curves changes: whether a curve is drawn as a
  // curve, the legend of a curve in the track headers, and the rows of a
  // block as they are made (the log's current record is the last of each
  // row made; a run of rows made at once all end at the same record).
  virtual bool PrintsAsCurve(const CurveRecord&) const { return true; }
  virtual void DrawTrackLegend(QPainter& dc, const QRect& box, int halfText, const CurveRecord& curve,
                               const qv::print::PrintSettings& settings);
  virtual void RowsBegin(int /*capacity*/) {}
  virtual void RowsMade(int /*first*/, int /*count*/) {}
  // The depth offset of a channel (0-based) in depth steps, from which a log
  // recorded up is printed in step.
  virtual int OffsetSteps(int channel) const;
  // The depth grid and the track divisions over ROWS dot rows from TOP, the
  // first at TOPDEPTH.
  virtual void DrawGrid(QPainter& dc, const qv::print::PrintSettings& settings, const std::vector<TrackRecord>& columns,
                        int top, int rows, double topDepth);
  // The minute marks of the page's rows in the depth track DEPTHTRACK, and
  // those an earlier page left over.
  virtual void DrawMinuteMarks(QPainter& dc, const qv::print::PrintSettings& settings,
                               const qv::print::LogSectionArea& area, const RecordRect& depthTrack,
                               const PrintRows& rows);
  std::vector<CurveRecord>& Curves() { return curves_; }
  std::vector<TrackRecord>& Tracks() { return tracks_; }
  PrintableLog& Log() { return log_; }
  CurveDocument& Document() { return doc_; }
  int Direction() const { return direction_; }
  int LargestOffset() const { return largestOffset_; }

 private:
  std::vector<CurveRecord>& curves_;
  std::vector<TrackRecord>& tracks_;
  std::function<int()> legendRows_;
  CurveDocument& doc_;
  PrintableLog& log_;
  int direction_ = 0;      // 1: a log recorded up, read by depth from the top
  int largestOffset_ = 0;  // in depth steps
  int printMin_ = 0;
  int printMax_ = 0;
  int windowMin_ = 0;       // the reader's window start (logs recorded down)
  std::vector<int> lastX_;  // each curve's last x, where the next page's line starts
  std::vector<int> pendingMarks_;
};

// File/Page Mode Print and the print preview on a log view, enabled while
// its log can be printed; printer() gives the view's page printer (null when
// the log cannot be printed).
inline constexpr int kPrintCommand = 57607;
inline constexpr int kPrintPreviewCommand = 57609;
bool CanPrintLog(PrintableLog* log);
// Runs the print command's job on the view's page printer.
void PrintLogPages(qv::print::LogPagePrinter* printer, QWidget* window);
void InstallPagePrintCommands(qv::View& view, std::function<qv::print::LogPagePrinter*()> printer,
                              std::function<PrintableLog*()> log);

}  // namespace curveview
