// The hand-over of recorded records from the acquisition thread to the data
// file. Records are stored into the current half of a double buffer; a full
// half is queued for the writer thread, never signalled with a pulse that a
// busy writer could miss. The queue is bounded: when the writer falls that far
// behind, Store refuses and the log stops with an error instead of
// overwriting or dropping records. Each half reaches the file as whole records
// in one append; a failed append leaves the file cut back to its last whole
// record, and everything written before it stays.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/sync/sync.h"

namespace qv {

class RecordPipeline {
 public:
  // Appends bytes to the data file; false when they did not all get there.
  using AppendFunction = std::function<bool(std::span<const std::uint8_t> bytes)>;

  RecordPipeline(std::size_t recordSize, std::size_t recordsPerHalf, std::size_t maxQueuedHalves = 8);
  ~RecordPipeline();
  RecordPipeline(const RecordPipeline&) = delete;
  RecordPipeline& operator=(const RecordPipeline&) = delete;

  // Creates (or empties) the data file of a new recording and starts its
  // writer. The buffer starts empty: nothing stored before reaches this file.
  // False when the file cannot be created.
  bool Open(const std::string& path);
  // The same with an append function of the caller's (tests).
  bool Open(AppendFunction append);

  // Acquisition thread: one file record (recordSize bytes). False when the
  // record cannot be kept (no recording open, the queue is full, or the
  // writer has failed); the caller stops the log with an error.
  bool Store(std::span<const std::uint8_t> record);

  // Ends the recording: the partial half is queued, the writer writes every
  // queued half and ends, and the file is closed. True when every stored
  // record reached the file.
  bool Finish();

  // Called on the writer thread before every append with its byte count; a
  // false answer counts as a failed write. Tests hold or fail the writer
  // with it. Set before Open.
  void SetAppendHook(std::function<bool(std::size_t bytes)> hook) { hook_ = std::move(hook); }

  bool IsOpen() const;
  // The writer could not write; set until the next Open.
  bool Failed() const;
  std::uint64_t RecordsStored() const;
  std::uint64_t RecordsWritten() const;
  std::size_t RecordSize() const { return recordSize_; }
  std::size_t RecordsPerHalf() const { return recordsPerHalf_; }

 private:
  int WriterBody(Event& stop);
  bool StartWriter();

  const std::size_t recordSize_;
  const std::size_t recordsPerHalf_;
  const std::size_t maxQueued_;

  // The half being filled belongs to the storing thread alone.
  std::vector<std::uint8_t> current_;
  std::size_t currentFill_ = 0;

  mutable std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::vector<std::uint8_t>> queue_;   // full halves, oldest first
  std::vector<std::vector<std::uint8_t>> spare_;  // emptied halves for reuse
  bool open_ = false;
  bool finishing_ = false;
  bool failed_ = false;
  std::uint64_t stored_ = 0;
  std::uint64_t written_ = 0;

  AppendFunction append_;
  std::function<bool(std::size_t)> hook_;
  int fd_ = -1;
  std::unique_ptr<Thread> writer_;
};

// The path stem of the next file of a recording chain: recording n (from 0)
// of a log whose first stem is "D/WELL." is "D/WELL." for 0, then "D/WELL1.",
// "D/WELL2.", ... Each step takes the previous stem, so the number is
// replaced, never appended to (a third recording gives 2, not 12).
std::string NextChainStem(const std::string& previousStem, int index);

}  // namespace qv
