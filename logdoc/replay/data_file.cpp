#include "logdoc/replay/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/regular_file.h"

namespace qv {

bool ReplayDataFile::Open(const std::string& path, std::size_t recordSize) {
  Close();
  // A FIFO or device would block the open or the reads for good.
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  recordSize_ = recordSize;
  position_ = 0;
  block_.clear();
  return true;
}

void ReplayDataFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  block_.clear();
}

namespace {
std::uint64_t LengthOf(int fd) {
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size < 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}
}  // namespace

std::uint64_t ReplayDataFile::Records() const {
  return recordSize_ == 0 ? 0 : LengthOf(fd_) / recordSize_;
}

bool ReplayDataFile::HasPartialRecord() const {
  return recordSize_ != 0 && LengthOf(fd_) % recordSize_ != 0;
}

bool ReplayDataFile::ReadAt(std::uint64_t offset, void* out, std::size_t size) const {
  if (fd_ < 0) return false;
  auto* p = static_cast<char*>(out);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

namespace {
// About 64 KiB of records: a sonic record is 2 KiB or more, a six-channel one 14 bytes.
constexpr std::size_t kBlockBytes = 64 * 1024;
}  // namespace

int ReplayDataFile::Fill() {
  block_.clear();
  blockStart_ = position_;
  const std::uint64_t usable = UsableLength();
  if (recordSize_ == 0 || position_ + recordSize_ > usable) return 0;
  const std::uint64_t records =
      std::min<std::uint64_t>(std::max<std::size_t>(kBlockBytes / recordSize_, 1), (usable - position_) / recordSize_);
  block_.resize(static_cast<std::size_t>(records) * recordSize_);
  std::size_t done = 0;
  while (done < block_.size()) {
    const ssize_t n = ::pread(fd_, block_.data() + done, block_.size() - done, static_cast<off_t>(position_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  // Cut between the length and the read: keep the whole records that came.
  block_.resize(done - done % recordSize_);
  return block_.empty() ? -1 : 1;
}

bool ReplayDataFile::RecordAvailable() {
  if (fd_ < 0 || recordSize_ == 0) return false;
  return Buffered() || position_ + recordSize_ <= UsableLength();
}

int ReplayDataFile::ReadRecord(void* out) {
  if (fd_ < 0) return -1;
  if (recordSize_ == 0) return 0;
  if (!Buffered()) {
    const int r = Fill();
    if (r != 1) return r;
  }
  std::memcpy(out, block_.data() + (position_ - blockStart_), recordSize_);
  position_ += recordSize_;
  return 1;
}

}  // namespace qv
