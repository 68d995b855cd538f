// Where a log's outputs put a record: each reader turns one output of a
// recorded log (the view's rows, the chart recorder's rows, the printed
// page, the LAS export) into (depth in metres, value) samples of one curve,
// which BoundaryDepth then reads a bed boundary from. Every reader reads the
// output as its user would: the rows by the depth the depth track labels them
// with, the chart by its paper (lines counted from the chart's start depth),
// the page by the depth labels poppler finds on it, the LAS file through a
// reader that is not ours.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "logview/chart_recorder.h"
#include "sondedb/records/records.h"

class CCurveView;
class QImage;
class QWidget;
namespace curveview {
class CurveRows;
}
namespace qv::print {
class LogPagePrinter;
}

namespace qvtest {

// (depth in metres, value), in the order the output holds them.
using DepthSamples = std::vector<std::pair<double, double>>;

// The rows the view shows of the curve of PHYSICALCHANNEL, each at the depth
// the depth track labels it with.
DepthSamples ViewSamples(CCurveView& view, int physicalChannel, double metresPerUnit);
// The same of any view whose ROWS hold the values of CURVES in their order.
DepthSamples RowSamples(const curveview::CurveRows& rows, const std::vector<CurveRecord>& curves, int physicalChannel,
                        double metresPerUnit);

// The most dots of one row of VIEW's picture below its legend band that the
// curve of PHYSICALCHANNEL covers (drawn alone, in pure red): a stroke across
// its track shows as a wide run.
int WidestScreenStroke(QWidget& view, std::vector<CurveRecord>& curves, int legendHeight, int physicalChannel);

// What a chart recorder was sent, as paper: each row plotted lies one line
// of paper (the view's rows at the recorder's 200 lines an inch) past the
// one before it, from the depth the recorder was last set to. Installed as
// the views' recorder while it lives.
class ChartTape {
 public:
  ChartTape();
  ~ChartTape();
  ChartTape(const ChartTape&) = delete;
  ChartTape& operator=(const ChartTape&) = delete;

  // The curve at POSITION (from 1) of the chart's legend, each line at its
  // depth on the paper: SCALE 1:N, UPWARD as the log went.
  DepthSamples Samples(int position, int scale, bool upward, double metresPerUnit) const;
  // The legend's captions, in order (the curve's short title and unit).
  std::vector<std::string> Captions() const;
  int Rows() const;

  struct Paper;  // what the recorders of the tape wrote

 private:
  std::shared_ptr<Paper> paper_;
  curveview::ChartRecorderFactory previous_;
};

// Prints a view's log through its page PRINTER to a PDF with the curve of
// PHYSICALCHANNEL (of the view's CURVES) alone, drawn in pure red; gives the
// PDF's path (empty when it was not written).
std::string PrintCurveToPdf(qv::print::LogPagePrinter* printer, std::vector<CurveRecord>& curves, int physicalChannel,
                            const std::string& folder, QWidget* parent);
// The red curve of the pages of PDF: each pixel row of a page at the depth
// the page's depth labels put it, the value the curve's x there. *WIDEST:
// the most red dots one pixel row holds (a stroke across the track).
DepthSamples PageSamples(const std::string& pdf, const std::string& folder, double metresPerUnit,
                         int* widest = nullptr);

// Each pixel row of the log sections of the pages of PDF (read at 200 dots an
// inch, into FOLDER) with the depth the page's depth labels put it at.
using PageRowReader = std::function<void(const QImage& page, int y, double depth)>;
void ForEachPageRow(const std::string& pdf, const std::string& folder, const PageRowReader& read);

// The CURVE column of a LAS file against its depth column, read by las-js;
// empty with a message in *error when the reader could not run.
DepthSamples LasSamples(const std::string& las, const std::string& curve, double metresPerUnit, std::string* error);

}  // namespace qvtest
