// A data file opened read-only for replay, read in whole records. Only whole
// records exist for the reader: a trailing partial record (a log cut off by a
// crash or a full disk) lies beyond the file's usable end and is never read.
//
// Records are read ahead in blocks, and the file's length is looked at once
// per block, not once per record: a file that grows during replay is read on
// into its new records, and one that is cut stops being read at the end of
// the block already taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class ReplayDataFile {
 public:
  ReplayDataFile() = default;
  ~ReplayDataFile() { Close(); }
  ReplayDataFile(const ReplayDataFile&) = delete;
  ReplayDataFile& operator=(const ReplayDataFile&) = delete;

  // Opens path for reading with records of recordSize bytes (0: none usable).
  bool Open(const std::string& path, std::size_t recordSize);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();
  const std::string& Path() const { return path_; }

  // Whole records in the file now, and the byte length they cover.
  std::uint64_t Records() const;
  std::uint64_t UsableLength() const { return Records() * recordSize_; }
  // The file ends in a partial record.
  bool HasPartialRecord() const;

  // A whole record lies at the position (in the block read ahead, or in the
  // file as long as it is now).
  bool RecordAvailable();

  std::uint64_t Position() const { return position_; }
  void Seek(std::uint64_t position) { position_ = position; }

  // Reads the whole record at the position into out (recordSize bytes) and
  // moves past it. 1: read; 0: no whole record there (nothing read, the
  // position stays); -1: the system refused the read.
  int ReadRecord(void* out);
  // Reads size bytes at an absolute offset without moving; false when they
  // are not all there.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) const;

 private:
  int fd_ = -1;
  std::string path_;
  std::size_t recordSize_ = 0;
  std::uint64_t position_ = 0;

  // The block read ahead: bytes of whole records from blockStart_.
  bool Buffered() const { return position_ >= blockStart_ && position_ - blockStart_ + recordSize_ <= block_.size(); }
  // Reads the block at the position: 1 read, 0 no whole record there, -1 the
  // system refused the read.
  int Fill();
  std::vector<std::uint8_t> block_;
  std::uint64_t blockStart_ = 0;
};

}  // namespace qv
