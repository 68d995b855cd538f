#include "logtools/engine/staged_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/text/cnum.h"
#include "platform/trace/trace.h"

namespace qv {

namespace {

std::mutex g_hookMutex;
OutputFaultHook g_hook;

constexpr std::size_t kCopyBufferSize = 64 * 1024;

// Removes a folder and the plain files in it.
void RemoveFolder(const std::string& folder) {
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      unlink((folder + "/" + e->d_name).c_str());
    }
    closedir(d);
  }
  rmdir(folder.c_str());
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

void SetOutputFaultHook(OutputFaultHook hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_hook = std::move(hook);
}

bool OutputFault(std::string_view step, const std::string& path) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  return g_hook && g_hook(step, path);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

StagedOutput::~StagedOutput() {
  if (!folder_.empty() && !keepFolder_) RemoveFolder(folder_);
}

std::string StagedOutput::Stage(const std::string& finalPath, const std::string& stagedName) {
  if (committed_) return {};
  if (folder_.empty()) {
    std::string parent = FolderPart(finalPath);
    std::string tmpl = (parent.empty() ? std::string(".") : parent) + "/.qvstage-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (OutputFault("open", finalPath) || mkdtemp(buf.data()) == nullptr) {
      Trace("staging folder for %s not made: %s", finalPath.c_str(), std::strerror(errno));
      return {};
    }
    folder_ = buf.data();
  }
  std::string staged = folder_ + "/" + (stagedName.empty() ? FileNamePart(finalPath) : stagedName);
  entries_.push_back({staged, finalPath});
  return staged;
}

bool StagedOutput::Commit() {
  if (folder_.empty() || committed_) return false;
  // Keep each file about to be replaced in the staging folder, so that a
  // failed rename can put it back: as a second link while the target stays in
  // place, or, on file systems without links (FAT media), moved aside just
  // before its replacement goes in.
  const std::size_t n = entries_.size();
  std::vector<std::string> backups(n);
  std::vector<bool> linked(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    if (!FileExists(entries_[i].staged)) return false;
    if (!FileExists(entries_[i].final)) continue;
    backups[i] = folder_ + "/.old" + std::to_string(i);
    // A fault injected here stands for a file system without links.
    const int rc = OutputFault("link", entries_[i].final) ? (errno = EPERM, -1)
                                                          : link(entries_[i].final.c_str(), backups[i].c_str());
    if (rc == 0) {
      linked[i] = true;
    } else if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS && errno != EXDEV) {
      Trace("cannot keep %s for a roll-back: %s", entries_[i].final.c_str(), std::strerror(errno));
      return false;
    }
  }
  // A file that cannot be put back stays in the staging folder, which is
  // then kept: recorded data is never deleted.
  auto putBack = [&](std::size_t j) {
    if (rename(backups[j].c_str(), entries_[j].final.c_str()) != 0) {
      Trace("cannot put %s back; the old file stays in %s", entries_[j].final.c_str(), folder_.c_str());
      keepFolder_ = true;
    }
  };
  auto rollBack = [&](std::size_t upTo) {
    for (std::size_t j = upTo; j-- > 0;) {
      if (!backups[j].empty())
        putBack(j);
      else
        unlink(entries_[j].final.c_str());
    }
  };
  for (std::size_t i = 0; i < n; ++i) {
    const Entry& e = entries_[i];
    if (!backups[i].empty() && !linked[i] && rename(e.final.c_str(), backups[i].c_str()) != 0) {
      Trace("cannot move %s aside: %s", e.final.c_str(), std::strerror(errno));
      rollBack(i);
      return false;
    }
    if (OutputFault("rename", e.final) || rename(e.staged.c_str(), e.final.c_str()) != 0) {
      Trace("cannot put %s in place: %s", e.final.c_str(), std::strerror(errno));
      if (!backups[i].empty() && !linked[i]) putBack(i);
      rollBack(i);
      return false;
    }
  }
  committed_ = true;
  SyncFolder(FolderPart(entries_.front().final));
  return true;
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) close(fd_);
}

bool OutputFile::Open(const std::string& path) {
  path_ = path;
  failed_ = false;
  buffer_.resize(kBufferSize);
  used_ = 0;
  if (OutputFault("open", path)) return false;
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

bool OutputFile::WriteThrough(const void* data, std::size_t size) {
  if (!ok()) return false;
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    std::size_t n = std::min(size, kBufferSize - used_);
    std::memcpy(buffer_.data() + used_, p, n);
    used_ += n;
    p += n;
    size -= n;
    if (used_ == kBufferSize && !Flush()) return false;
  }
  return true;
}

bool OutputFile::Flush() {
  if (used_ == 0) return !failed_;
  if (OutputFault("write", path_)) {
    failed_ = true;
    return false;
  }
  std::size_t done = 0;
  while (done < used_) {
    ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Trace("write to %s failed: %s", path_.c_str(), std::strerror(errno));
      failed_ = true;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  used_ = 0;
  return true;
}

bool OutputFile::Close() {
  if (fd_ < 0) return false;
  bool good = ok() && Flush();
  if (good && (OutputFault("sync", path_) || fsync(fd_) != 0)) good = false;
  if (close(fd_) != 0) good = false;
  fd_ = -1;
  return good;
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
  // Only a regular file: a FIFO or device would block or never end.
  int in = OpenRegularFile(from);
  if (in < 0) return false;
  OutputFile out;
  bool good = out.Open(to);
  std::vector<unsigned char> buf(kCopyBufferSize);
  while (good) {
    ssize_t n = read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) good = false;
    if (n <= 0) break;
    good = out.Write(buf.data(), static_cast<std::size_t>(n));
  }
  close(in);
  return out.Close() && good;
}

}  // namespace qv
