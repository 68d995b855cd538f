// The televiewer view's pages: the log is read again from its files, forward
// for a log recorded down and backward for one recorded up, so the paper
// always runs from the shallow end. Each record becomes a pair of print rows
// (amplitude and transit time, converted as the screen converts them) that
// are merged or repeated to the paper's scale and drawn as two image strips
// with a depth column between them. The page layout (heading page, page
// numbers, chained files, closing headers and trailer) is the shared page
// model's; this is the source it draws the televiewer log from.
#pragma once

#include <QPainter>
#include <cstdint>
#include <functional>
#include <vector>

#include "print/page/page_model.h"
#include "tools/televiewer/image_rows.h"
#include "tools/televiewer/televiewer_log.h"

namespace qv {

// The rows of one chunk of a log section: the left and right image rows, and
// per row a minute mark and the signed depth steps it moved.
struct TeleviewerPrintRows {
  static constexpr int kMaxRows = 1000;
  std::vector<std::uint8_t> images = std::vector<std::uint8_t>(2 * kMaxRows * kRowSamples);
  std::vector<std::uint8_t> marks = std::vector<std::uint8_t>(kMaxRows);
  std::vector<int> steps = std::vector<int>(kMaxRows);
  const std::uint8_t* Amplitude(int row) const { return images.data() + row * kRowSamples; }
  const std::uint8_t* Transit(int row) const { return images.data() + (kMaxRows + row) * kRowSamples; }
};

// The page geometry of the strips: left strip, depth column, right strip.
struct TeleviewerPageColumns {
  int left = 0, depthLeft = 0, depthRight = 0, right = 0;
  static TeleviewerPageColumns Of(const print::PrintSettings& s);
};

class TeleviewerPageSource : public print::PagePrintSource {
 public:
  // CURVES: the view's curve table (the strips of the shown curves);
  // FOLLOWCHAIN: whether the log goes on into the next file of its chain.
  TeleviewerPageSource(TeleviewerEngine& engine, const std::vector<CurveRecord>& curves,
                       std::function<bool()> followChain);

  std::string Title() const override { return engine_.DataFilePath(); }
  int LogMode() const override { return engine_.Setup().logMode; }
  int DepthScale() const override { return engine_.Setup().depthScale; }
  bool Imperial() const override { return engine_.Setup().imperial; }
  bool FollowChain() const override { return followChain_ && followChain_(); }
  int ReplayStartDepth() const override { return engine_.Setup().replayStartDepth; }
  int ReplayEndDepth() const override { return engine_.Setup().replayEndDepth; }
  const HeaderInfo* Header() const override { return &engine_.Header(); }
  std::string DataPath() const override { return engine_.DataFilePath(); }
  const TrailerText* Trailer() const override { return &engine_.Trailer(); }
  const CalibrationArray* Calibrations() const override { return nullptr; }
  bool HasCalibrationPage() const override { return false; }
  bool ClosingWithFit() const override { return true; }
  bool SaveWellInfo(int mode) override { return engine_.SaveWellInfo(mode) != 0; }
  bool ReopenReplay() override { return engine_.OpenReplayReader(); }
  void BeginReplay(print::PrintSettings& settings, bool again) override;
  void EndReplay() override;
  int PrintTrackHeaders(QPainter& dc, const print::PrintSettings& settings, int y) override;
  print::LogSectionResult PrintLogSection(QPainter& dc, print::PrintSettings& settings,
                                          const print::LogSectionArea& area) override;

  // Up to MOST rows at PIXELS paper rows per record from the current
  // record on: several records merge into one row (the last one shown,
  // their steps added), or one record fills several rows.
  int BuildPrintRows(int most, double pixels, TeleviewerPrintRows& out);
  // Paper rows per record: fitted into AVAILABLE rows, else 0.25 mm each.
  double PixelsPerRecord(const print::PrintSettings& settings, int available) const;

 private:
  TeleviewerEngine& engine_;
  const std::vector<CurveRecord>& curves_;
  std::function<bool()> followChain_;
  TeleviewerRowBuilder rows_;  // the print's own statistics: the screen's stay as they are
  FlushedRows row_;
  bool upward_ = false;
  int records_ = 0;  // of the replay window
};

}  // namespace qv
