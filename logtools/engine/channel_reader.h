// Reading single channel values of a depth log straight from its data file.
// Six- and twelve-channel data files hold fixed-size records in recording
// order and nothing else, so the record of a depth follows from the log's
// depth range, step and direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

 private:
  int fd_ = -1;
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

 private:
  LogFile* file_ = nullptr;
  int channel_ = -1;
  int logMode_ = -1;
  int minDepth_ = 0;
  int maxDepth_ = 0;
  int step_ = 0;
  int twelveChannel_ = 0;
};

}  // namespace qv
