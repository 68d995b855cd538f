// A log for the page model: chained files of so many records, each record
// one row of ROW dots; it draws a legend row and a framed grid and writes
// down what the page model asks of it.
#pragma once

#include <QPainter>
#include <algorithm>
#include <string>
#include <vector>

#include "header/header_info.h"
#include "print/page/drawing.h"
#include "print/page/gdi_text.h"
#include "print/page/page_model.h"

namespace qvtest {

using namespace qv::print;

class FakeLog : public PagePrintSource {
 public:
  explicit FakeLog(std::vector<int> files) : files_(std::move(files)) {
    header_.Company = "Tremarin";
    trailer_.Text1 = "END OF LOG";
    trailer_.Text2 = "second line";
    curve_.shortTitle = "GR";
    curve_.unit = "API";
    curve_.scaleMaximum = 150;
  }
  std::string Title() const override { return "WELL1.LOG"; }
  int LogMode() const override { return logMode; }
  int DepthScale() const override { return 200; }
  bool Imperial() const override { return false; }
  bool FollowChain() const override { return files_.size() > 1; }
  int ReplayStartDepth() const override { return 0; }
  int ReplayEndDepth() const override { return replayEnd; }
  const HeaderInfo* Header() const override { return &header_; }
  std::string DataPath() const override { return "/data/WELL1.LOG"; }
  const TrailerText* Trailer() const override { return &trailer_; }
  const CalibrationArray* Calibrations() const override { return calibrations.empty() ? nullptr : &calibrations; }
  bool SaveWellInfo(int mode) override {
    log.push_back("save " + std::to_string(mode));
    if (mode == 2) {
      file_ = 0;
      return true;
    }
    if (file_ + 1 >= int(files_.size())) return false;
    ++file_;
    return true;
  }
  bool ReopenReplay() override {
    log.push_back("reopen " + std::to_string(file_));
    return true;
  }
  void BeginReplay(PrintSettings&, bool again) override {
    log.push_back(again ? "begin again" : "begin");
    left_ = files_[file_];
  }
  void EndReplay() override { log.push_back("end replay"); }
  int PrintTrackHeaders(QPainter& dc, const PrintSettings& s, int y) override {
    log.push_back("headers " + std::to_string(y));
    if (headerHeight > 0) return headerHeight;
    const int f = int(3.5 / s.mmPerPixel + 0.5);
    const int h = f / 2 + 2 * f;
    dc.setFont(PrintFont(dc, f));
    DrawCurveLegend(&dc, QRect(s.left, y, int(s.width * double(0.296f)), h), f / 2, &curve_, false);
    return h + h / 3;
  }
  LogSectionResult PrintLogSection(QPainter& dc, PrintSettings& s, const LogSectionArea& area) override {
    scales.push_back(s.scale);
    const int rows = std::min(left_, area.height / row);
    left_ -= rows;
    log.push_back("section " + std::to_string(area.top) + " " + std::to_string(area.height) + " rows " +
                  std::to_string(rows));
    // A frame and a line every centimetre of paper (118 dots at 300 dpi).
    dc.setPen(QPen(Qt::black, 2));
    dc.drawRect(QRect(s.left, area.top, s.width - 1, rows * row));
    for (int y = 0; y < rows * row; y += 118) dc.drawLine(s.left, area.top + y, s.left + s.width, area.top + y);
    return {left_ > 0, rows, area.top + rows * row, s.left, s.left + s.width};
  }

  std::vector<std::string> log;
  CalibrationArray calibrations;
  std::vector<int> scales;
  int logMode = 12;
  int row = 10;
  int headerHeight = 0;
  int replayEnd = 100000;

 private:
  std::vector<int> files_;
  int file_ = 0;
  int left_ = 0;
  HeaderInfo header_;
  TrailerText trailer_;
  CurveRecord curve_;
};

}  // namespace qvtest
