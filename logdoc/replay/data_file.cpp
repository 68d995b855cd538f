#include "logdoc/replay/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
  return true;
}

void ReplayDataFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
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

int ReplayDataFile::ReadRecord(void* out) {
  if (fd_ < 0) return -1;
  if (recordSize_ == 0 || position_ + recordSize_ > UsableLength()) return 0;
  if (!ReadAt(position_, out, recordSize_)) return -1;
  position_ += recordSize_;
  return 1;
}

}  // namespace qv
