#include "logtools/engine/channel_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/regular_file.h"

namespace qv {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kRecordsPerBlock = 1024;
// More than the readers that share one file (twelve channels and the walk
// of a depth shift), so that no reader's block is dropped while it is in it.
constexpr std::size_t kRecordBlocks = 16;
}  // namespace

LogFile::~LogFile() {
  Abort();
}

bool LogFile::Open(const std::string& path) {
  Abort();
  fd_ = OpenRegularFile(path);
  return fd_ >= 0;
}

void LogFile::Abort() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  cached_ = false;
  block_.clear();
  records_.clear();
  lastBlock_ = nullptr;
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

LogFile::RecordBlock* LogFile::LoadBlock(std::uint64_t first, std::size_t recordSize) {
  RecordBlock* block = nullptr;
  if (records_.size() < kRecordBlocks) {
    records_.reserve(kRecordBlocks);  // blocks never move
    block = &records_.emplace_back();
  } else {
    block = &records_.front();
    for (RecordBlock& b : records_)
      if (b.lastUse < block->lastUse) block = &b;
  }
  block->first = first;
  block->recordSize = recordSize;
  block->count = 0;
  block->bytes.resize(kRecordsPerBlock * recordSize);
  std::size_t got = 0;
  const std::uint64_t offset = first * recordSize;
  while (got < block->bytes.size()) {
    const ssize_t n =
        pread(fd_, block->bytes.data() + got, block->bytes.size() - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Abort();
      return nullptr;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  block->count = got / recordSize;  // a trailing partial record is no record
  return block;
}

const std::uint8_t* LogFile::FindRecord(std::uint64_t index, std::size_t recordSize) {
  if (fd_ < 0 || recordSize == 0) return nullptr;
  const std::uint64_t first = index - index % kRecordsPerBlock;
  RecordBlock* block = nullptr;
  for (RecordBlock& b : records_)
    if (b.first == first && b.recordSize == recordSize) block = &b;
  if (block == nullptr && (block = LoadBlock(first, recordSize)) == nullptr) return nullptr;
  lastBlock_ = block;
  block->lastUse = ++uses_;
  const auto at = static_cast<std::size_t>(index - first);
  return at < block->count ? &block->bytes[at * recordSize] : nullptr;
}

void ChannelReader::Init(LogFile* file, int depthA, int depthB, int step, int channel, int logMode, int twelveChannel) {
  file_ = file;
  step_ = step;
  channel_ = channel;
  logMode_ = logMode;
  twelveChannel_ = twelveChannel;
  minDepth_ = std::min(depthA, depthB);
  maxDepth_ = std::max(depthA, depthB);
  lastDistance_ = -1;
}

}  // namespace qv
