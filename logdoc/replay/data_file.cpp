#include "logdoc/replay/data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qv {

bool ReplayDataFile::Open(const std::string& path, std::size_t recordSize) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
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

std::string FindReplayFile(const std::string& path) {
  if (::access(path.c_str(), F_OK) == 0) return path;
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return path;
  std::string found = path;
  while (const dirent* e = ::readdir(dir)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + e->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace qv
