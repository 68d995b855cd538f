// The televiewer log on the shared acquisition engine: one sweep of the
// scanner per device read, stored as one 268-byte .BTV record (the sweep's
// bytes 8 to 275), the first sweep of every minute marked in its depth-step
// word, and every sweep handed to the view, which builds the image rows.
//
// The engine's record pipeline does the double buffering and the writing:
// a half is handed to the writer whole and never written into again, so no
// sweep is lost or overwritten however long the writer takes.
#pragma once

#include <atomic>
#include <memory>

#include "logdoc/document/log_engine.h"
#include "logdoc/records/device_records.h"
#include "logdoc/replay/replay_reader.h"

namespace qv {

// What the televiewer log hands its view on the record thread (acquisition
// or replay): each sweep, to become the next row of the images.
class TeleviewerDisplay {
 public:
  virtual ~TeleviewerDisplay() = default;
  virtual void ConvertSweepToRow(const TeleviewerSweep& sweep) = 0;
};

class TeleviewerEngine : public LogEngine {
 public:
  // Sweeps per half of the hand-over: the writer wakes once per ten sweeps.
  static constexpr std::size_t kRecordsPerHalf = 10;

  TeleviewerEngine();
  ~TeleviewerEngine() override;

  // The view the sweeps go to (null: none); set before InitialiseLog.
  void SetDisplay(TeleviewerDisplay* display) { display_ = display; }
  // The sweep of the last device or replay read.
  const TeleviewerSweep& Sweep() const { return sweep_; }
  // The sweep page printing works on, filled by ProcessRecord(true).
  const TeleviewerSweep& PrintSweep() const { return printSweep_; }
  ReplayReader* Reader() { return reader_.get(); }
  // The header's LogType (a replay reads it from the log's header).
  using LogEngine::LogType;

  // The minute count starts again with every run: the unit's sweep times
  // count from the start of logging.
  int StartLogging(int mode) override;
  bool ReadReplayRecord() override;
  // The record before the one last read; false at the start of the data,
  // with the current sweep left as it was.
  bool ReadPreviousReplayRecord();
  bool RewindReplay() override;
  bool OpenReplayReader() override;
  void CloseReplayReader() override;
  bool ProcessRecord(bool forPrint) override;

 protected:
  std::uint32_t ReadPacket(int passThrough) override;
  void EncodeFileRecord(std::span<std::uint8_t> out) const override;
  bool InitialiseTool(int mode) override;

 private:
  // After a replay read: a record that carries the minute mark sets it.
  bool TookReplayRecord(int read);

  TeleviewerSweep sweep_{};
  TeleviewerSweep printSweep_{};
  TeleviewerDisplay* display_ = nullptr;
  std::unique_ptr<ReplayReader> reader_;
};

}  // namespace qv
