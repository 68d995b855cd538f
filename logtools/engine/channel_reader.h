// Reading single channel values of a depth log straight from its data file.
// Six- and twelve-channel data files hold fixed-size records in recording
// order and nothing else, so the record of a depth follows from the log's
// depth range, step and direction.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "logdoc/records/byte_order.h"
#include "logdoc/records/records.h"

namespace qv {

// A data file opened for reading and shared by the channel readers of one
// log. Reads go through a small block cache, so readers that resample the
// same stretch of the file share one read. After a read error the file is
// aborted: closed, and every later read on it fails.
class LogFile {
 public:
  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  void Abort();
  // Up to SIZE bytes from OFFSET into BUF: the count read (short at the end
  // of the file), or -1 after an error (the file is then aborted).
  long long ReadAt(std::uint64_t offset, void* buf, std::size_t size);
  // The file's length in bytes; 0 when it is not open.
  std::uint64_t Length() const;
  // The bytes of record INDEX of the file read as RECORD_SIZE-byte records.
  // Records are read a block at a time, and the blocks that readers at
  // nearby depths are in stay, so each record is read once however many
  // channels ask for it. Null past the last whole record, and after a read
  // error (the file is then aborted).
  __attribute__((always_inline)) const std::uint8_t* Record(std::uint64_t index, std::size_t recordSize) {
    // Inline for the usual case, a record of the block asked for last.
    const RecordBlock* b = lastBlock_;
    if (b != nullptr && index - b->first < b->count && b->recordSize == recordSize)
      return &b->bytes[static_cast<std::size_t>(index - b->first) * recordSize];
    return FindRecord(index, recordSize);
  }
  // Record INDEX as Record() gives it, and in *RUN how many records lie one
  // after another in memory from it towards the file's end (FORWARD) or its
  // start: a caller walking the file record by record takes them as a run.
  const std::uint8_t* RecordRun(std::uint64_t index, std::size_t recordSize, bool forward, std::size_t* run) {
    const std::uint8_t* rec = Record(index, recordSize);
    *run = rec == nullptr ? 0
           : forward      ? static_cast<std::size_t>(lastBlock_->first + lastBlock_->count - index)
                          : static_cast<std::size_t>(index - lastBlock_->first + 1);
    return rec;
  }

 private:
  struct RecordBlock {
    std::uint64_t first = 0;  // index of its first record
    std::size_t count = 0;    // whole records held
    std::size_t recordSize = 0;
    std::uint64_t lastUse = 0;
    std::vector<std::uint8_t> bytes;
  };
  RecordBlock* LoadBlock(std::uint64_t first, std::size_t recordSize);
  const std::uint8_t* FindRecord(std::uint64_t index, std::size_t recordSize);

  int fd_ = -1;
  std::vector<RecordBlock> records_;
  RecordBlock* lastBlock_ = nullptr;  // the block of the last record asked for
  std::uint64_t uses_ = 0;
  std::uint64_t blockStart_ = 0;
  std::vector<unsigned char> block_;  // the cached bytes from blockStart_
  bool cached_ = false;
};

class ChannelReader {
 public:
  static constexpr int kTwelveChannelRecord = 64;
  static constexpr int kSixChannelRecord = 14;

  ChannelReader() = default;
  // Callers pass the log's start and end depth in either order.
  void Init(LogFile* file, int depthA, int depthB, int step, int channel, int logMode, int twelveChannel);
  // The channel's value at DEPTH (thousandths of the depth unit), or 0 when
  // the depth lies outside the log, the set-up is not usable (log mode, step,
  // channel) or the record is missing or unreadable.
  double GetValue(long long depth) const;
  // PUT(i, GetValue(FIRST + i * DEPTH_STEP)) for i from 0 to COUNT - 1, in
  // order. Depths that walk the log one record a step are read as runs of
  // records, without a look-up per value.
  template <class Put>
  void ForEachValue(long long first, long long depthStep, std::size_t count, Put&& put) const;

 private:
  LogFile* file_ = nullptr;
  int channel_ = -1;
  int logMode_ = -1;
  int minDepth_ = 0;
  int maxDepth_ = 0;
  int step_ = 0;
  int twelveChannel_ = 0;
  // The record of the last depth asked for: a walk by one step finds the
  // next record without a division.
  mutable long long lastDistance_ = -1;
  mutable std::uint64_t lastIndex_ = 0;
};

// Inline: merge and depth shift ask for every channel of every record.
__attribute__((always_inline)) inline double ChannelReader::GetValue(long long depth) const {
  if (file_ == nullptr || !file_->IsOpen()) return 0.0;
  if (depth < minDepth_ || depth > maxDepth_) return 0.0;
  if (logMode_ != 11 && logMode_ != 12) return 0.0;
  const int channels = twelveChannel_ ? 12 : 6;
  if (channel_ < 1 || channel_ > channels) return 0.0;
  // A step of 0 or below would divide by zero or walk backwards: no record.
  if (step_ <= 0) return 0.0;
  const long long distance = logMode_ == 11 ? maxDepth_ - depth : depth - minDepth_;
  std::uint64_t index;
  if (distance == lastDistance_)
    index = lastIndex_;
  else if (lastDistance_ >= 0 && distance == lastDistance_ + step_)
    index = lastIndex_ + 1;
  else if (lastDistance_ >= step_ && distance == lastDistance_ - step_)
    index = lastIndex_ - 1;
  else
    index = static_cast<std::uint64_t>(distance / step_);
  lastDistance_ = distance;
  lastIndex_ = index;
  // Only the channel's own value is decoded.
  if (twelveChannel_) {
    const std::uint8_t* rec = file_->Record(index, kTwelveChannelRecord);
    return rec == nullptr ? 0.0 : le::GetF32(rec + TwelveChannelFileRecord::ChannelOffset(channel_));
  }
  const std::uint8_t* rec = file_->Record(index, kSixChannelRecord);
  return rec == nullptr ? 0.0 : ScaleCount(le::GetU16(rec + 2 * channel_), rec[1]);
}

template <class Put>
inline void ChannelReader::ForEachValue(long long first, long long depthStep, std::size_t count, Put&& put) const {
  const bool usable = file_ != nullptr && (logMode_ == 11 || logMode_ == 12) && channel_ >= 1 &&
                      channel_ <= (twelveChannel_ ? 12 : 6) && step_ > 0;
  // How the distance from the log's first record moves with one depth step.
  const long long distanceStep = logMode_ == 11 ? -depthStep : depthStep;
  std::size_t i = 0;
  if (!usable || (distanceStep != step_ && distanceStep != -step_)) {
    for (; i < count; ++i) put(i, GetValue(first + static_cast<long long>(i) * depthStep));
    return;
  }
  // One step of depth is one record: the index moves by one with each value.
  const bool forward = distanceStep > 0;
  const std::size_t size = twelveChannel_ ? kTwelveChannelRecord : kSixChannelRecord;
  const std::size_t at = twelveChannel_ ? TwelveChannelFileRecord::ChannelOffset(channel_) : 2 * channel_;
  while (i < count) {
    const long long d = first + static_cast<long long>(i) * depthStep;
    if (!file_->IsOpen() || d < minDepth_ || d > maxDepth_) {
      put(i++, 0.0);
      continue;
    }
    // The depths from d on that stay inside the log.
    const long long inside = depthStep > 0 ? (maxDepth_ - d) / depthStep + 1 : (d - minDepth_) / -depthStep + 1;
    const long long distance = logMode_ == 11 ? maxDepth_ - d : d - minDepth_;
    std::size_t run = 0;
    const std::uint8_t* rec = file_->RecordRun(static_cast<std::uint64_t>(distance / step_), size, forward, &run);
    if (rec == nullptr) {
      put(i++, 0.0);
      continue;
    }
    const std::size_t n = std::min({count - i, static_cast<std::size_t>(inside), run});
    const std::ptrdiff_t stride = forward ? static_cast<std::ptrdiff_t>(size) : -static_cast<std::ptrdiff_t>(size);
    if (twelveChannel_) {
      for (std::size_t j = 0; j < n; ++j, rec += stride) put(i + j, static_cast<double>(le::GetF32(rec + at)));
    } else {
      for (std::size_t j = 0; j < n; ++j, rec += stride) put(i + j, ScaleCount(le::GetU16(rec + at), rec[1]));
    }
    i += n;
  }
}

}  // namespace qv
