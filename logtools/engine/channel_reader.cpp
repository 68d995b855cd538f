#include "logtools/engine/channel_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "logtools/engine/log_records.h"

namespace qv {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

LogFile::~LogFile() {
  Abort();
}

bool LogFile::Open(const std::string& path) {
  Abort();
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return fd_ >= 0;
}

void LogFile::Abort() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  cached_ = false;
  block_.clear();
}

std::uint64_t LogFile::Length() const {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

long long LogFile::ReadAt(std::uint64_t offset, void* buf, std::size_t size) {
  if (fd_ < 0) return -1;
  auto* out = static_cast<unsigned char*>(buf);
  std::size_t done = 0;
  while (done < size) {
    std::uint64_t pos = offset + done;
    if (!cached_ || pos < blockStart_ || pos >= blockStart_ + block_.size()) {
      if (cached_ && pos >= blockStart_ + block_.size() && block_.size() < kBlockSize) {
        break;  // the cached block already ends at the end of the file
      }
      std::uint64_t start = pos - pos % kBlockSize;
      block_.resize(kBlockSize);
      ssize_t n;
      do {
        n = pread(fd_, block_.data(), kBlockSize, static_cast<off_t>(start));
      } while (n < 0 && errno == EINTR);
      if (n < 0) {
        Abort();
        return -1;
      }
      block_.resize(static_cast<std::size_t>(n));
      blockStart_ = start;
      cached_ = true;
      if (pos >= blockStart_ + block_.size()) break;  // past the end
    }
    std::size_t from = static_cast<std::size_t>(pos - blockStart_);
    std::size_t n = std::min(size - done, block_.size() - from);
    std::memcpy(out + done, block_.data() + from, n);
    done += n;
  }
  return static_cast<long long>(done);
}

void ChannelReader::Init(LogFile* file, int depthA, int depthB, int step, int channel, int logMode, int twelveChannel) {
  file_ = file;
  step_ = step;
  channel_ = channel;
  logMode_ = logMode;
  twelveChannel_ = twelveChannel;
  minDepth_ = std::min(depthA, depthB);
  maxDepth_ = std::max(depthA, depthB);
}

double ChannelReader::GetValue(long long depth) const {
  if (file_ == nullptr || !file_->IsOpen()) return 0.0;
  if (depth < minDepth_ || depth > maxDepth_) return 0.0;
  if (logMode_ != 11 && logMode_ != 12) return 0.0;
  const int channels = twelveChannel_ ? 12 : 6;
  if (channel_ < 1 || channel_ > channels) return 0.0;
  // A step of 0 or below would divide by zero or walk backwards: no record.
  if (step_ <= 0) return 0.0;
  const long long distance = logMode_ == 11 ? maxDepth_ - depth : depth - minDepth_;
  const std::uint64_t index = static_cast<std::uint64_t>(distance / step_);
  if (twelveChannel_) {
    std::uint8_t rec[kTwelveChannelRecord];
    if (file_->ReadAt(index * kTwelveChannelRecord, rec, sizeof rec) != static_cast<long long>(sizeof rec)) return 0.0;
    return DecodeTwelveChannel(rec).values[channel_ - 1];
  }
  std::uint8_t rec[kSixChannelRecord];
  if (file_->ReadAt(index * kSixChannelRecord, rec, sizeof rec) != static_cast<long long>(sizeof rec)) return 0.0;
  return DecodeSixChannel(rec).Scaled(channel_ - 1);
}

}  // namespace qv
