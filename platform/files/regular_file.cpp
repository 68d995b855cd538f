#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/trace/trace.h"

namespace qv {

int OpenRegularFile(const std::string& path, int flags) {
  // The path is looked at before it is opened, so that no device is opened
  // at all (opening some has effects); the descriptor is checked again, as
  // the path may have changed in between.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (!S_ISDIR(st.st_mode)) Trace("%s is not a regular file: refused", path.c_str());
    errno = EINVAL;
    return -1;
  }
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  const int now = ::fcntl(fd, F_GETFL);
  if (now >= 0) ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK);
  return fd;
}

std::FILE* OpenRegularFileStream(const std::string& path, const char* mode) {
  const bool append = mode[0] == 'a';
  const int fd = OpenRegularFile(path, append ? O_WRONLY | O_APPEND | O_CREAT : O_RDONLY);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) ::close(fd);
  return f;
}

}  // namespace qv
