// What the curve view's page printing needs of its log document besides the
// display: the well information and chain, and a replay of the log's files
// that it reads and processes itself, record by record, with the printout's
// channel offsets.
#pragma once

#include <span>
#include <string>

#include "header/header_info.h"
#include "sondedb/records/records.h"

namespace curveview {

// The reader's view of the file being printed.
struct PrintReplayWindow {
  bool upward = false;  // recorded logging up
  int minDepth = 0;
  int maxDepth = 0;
};

class PrintableLog {
 public:
  virtual ~PrintableLog() = default;

  virtual int LogState() const = 0;
  // A log acquired from the unit (its files are printed once replayed).
  virtual bool IsLive() const = 0;

  virtual bool FollowChain() const = 0;
  virtual int ReplayEndDepth() const = 0;
  virtual const HeaderInfo* PrintHeader() const = 0;
  virtual const TrailerText* PrintTrailer() const = 0;
  // The current data file (folder, name and extension).
  virtual std::string DataPath() const = 0;
  // The log's calibration records, or null without any.
  virtual const CalibrationArray* Calibrations() const = 0;
  // Writes the well information; 1 moves on to the next file of the chain
  // (false when there is none), 2 goes back to the first file.
  virtual bool SaveWellInfo(int mode) = 0;
  // A new replay reader over the current file and the replay window.
  virtual bool ReopenReplay() = 0;
  // The reader in printing mode, rewound with the processing cleared; false
  // without a reader.
  virtual bool StartPrintReplay(PrintReplayWindow* window) = 0;
  // The reader's depth window moved by the given offset (logs recorded up).
  virtual void SetPrintDepthWindow(int depthOffset) = 0;
  virtual bool ReadReplayRecord() = 0;
  virtual bool SeekReplay(int depth) = 0;
  // The current record processed for print with the given offsets (none:
  // empty, the log's own alignment): the print value row by physical
  // channel - 1.
  virtual std::span<const double> ProcessPrintRecord(std::span<const int> givenOffsets) = 0;
  // After the job: a fresh reader at the start of the replay window, out of
  // printing mode.
  virtual void EndPrintReplay() = 0;
};

}  // namespace curveview
