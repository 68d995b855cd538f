#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "paths.h"
#include "regular_file.h"

namespace qv {
namespace {

std::mutex g_hookMutex;
FileFaultHook g_hook;

bool Fault(std::string_view step, const std::string& path) {
  FileFaultHook h;
  {
    std::lock_guard lk(g_hookMutex);
    h = g_hook;
  }
  return h && h(step, path);
}

std::atomic<unsigned> g_counter{0};

void SyncFolder(const std::string& path) {
  std::string folder = FolderPart(path);
  if (folder.empty()) folder = ".";
  const int d = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (d >= 0) {
    ::fsync(d);  // best effort: the rename itself has already happened
    ::close(d);
  }
}

}  // namespace

void SetFileFaultHook(FileFaultHook hook) {
  std::lock_guard lk(g_hookMutex);
  g_hook = std::move(hook);
}

bool RenameFile(const std::string& from, const std::string& to) {
  return !Fault("rename", to) && ::rename(from.c_str(), to.c_str()) == 0;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
  Abandon();
}

bool AtomicFile::Open() {
  Abandon();
  failed_ = false;
  if (Fault("open", path_)) {
    failed_ = true;
    return false;
  }
  const std::string stem = JoinPath(FolderPart(path_), "." + FileNamePart(path_) + ".");
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    const std::string name = stem + std::to_string(::getpid()) + "-" + std::to_string(g_counter++) + ".tmp";
    // Created with the usual permissions (umask applies), never over an existing file.
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0)
      temp_ = name;
    else if (errno != EEXIST)
      break;
  }
  if (fd_ < 0) {
    failed_ = true;
    return false;
  }
  // The replacement keeps the old file's permissions.
  struct stat st;
  if (::stat(path_.c_str(), &st) == 0) ::fchmod(fd_, st.st_mode & 07777);
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (!ok()) return false;
  if (Fault("write", path_)) {
    failed_ = true;
    return false;
  }
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // a short write is a failure, never success
      failed_ = true;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool AtomicFile::Commit() {
  if (!ok()) {
    Abandon();
    return false;
  }
  if (Fault("sync", path_) || ::fsync(fd_) != 0) {
    Abandon();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    Abandon();
    return false;
  }
  if (keepBackup_) {
    struct stat st;
    if (::stat(path_.c_str(), &st) == 0) {
      const std::string bak = path_ + ".bak";
      ::unlink(bak.c_str());
      if (::link(path_.c_str(), bak.c_str()) != 0) {
        Abandon();
        return false;
      }
    }
  }
  if (Fault("rename", path_) || ::rename(temp_.c_str(), path_.c_str()) != 0) {
    Abandon();
    return false;
  }
  temp_.clear();
  SyncFolder(path_);
  return true;
}

void AtomicFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  failed_ = true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFile f(path);
  return f.Open() && f.Write(bytes) && f.Commit();
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  // Only a regular file: a FIFO or device would block or never end.
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return false;
  }
  std::string out;
  out.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  bytes = std::move(out);
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qv
