#include "logdoc/acquisition/record_pipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/trace/trace.h"

namespace qv {

RecordPipeline::RecordPipeline(std::size_t recordSize, std::size_t recordsPerHalf, std::size_t maxQueuedHalves)
    : recordSize_(recordSize == 0 ? 1 : recordSize),
      recordsPerHalf_(recordsPerHalf == 0 ? 1 : recordsPerHalf),
      maxQueued_(maxQueuedHalves == 0 ? 1 : maxQueuedHalves) {
  current_.resize(recordSize_ * recordsPerHalf_);
}

RecordPipeline::~RecordPipeline() {
  Finish();
}

bool RecordPipeline::Open(const std::string& path) {
  Finish();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  fd_ = fd;
  // Appends whole halves; a short write is cut back so that the file keeps
  // only whole records.
  return Open([this](std::span<const std::uint8_t> bytes) {
           const off_t start = ::lseek(fd_, 0, SEEK_END);
           std::size_t done = 0;
           while (done < bytes.size()) {
             const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
             if (n < 0 && errno == EINTR) continue;
             if (n <= 0) {
               if (start >= 0 && ::ftruncate(fd_, start) != 0) Trace("record file: could not cut back a failed write");
               return false;
             }
             done += static_cast<std::size_t>(n);
           }
           return true;
         }) ||
         (::close(std::exchange(fd_, -1)), false);
}

bool RecordPipeline::Open(AppendFunction append) {
  if (IsOpen()) Finish();
  {
    std::lock_guard<std::mutex> lock(m_);
    append_ = std::move(append);
    queue_.clear();
    open_ = true;
    finishing_ = false;
    failed_ = false;
    stored_ = 0;
    written_ = 0;
  }
  currentFill_ = 0;
  if (StartWriter()) return true;
  std::lock_guard<std::mutex> lock(m_);
  open_ = false;
  return false;
}

bool RecordPipeline::StartWriter() {
  writer_ = std::make_unique<Thread>();
  return writer_->Start([this](Event& stop) { return WriterBody(stop); }, false, ThreadPriority::TimeCritical,
                        "log writer");
}

bool RecordPipeline::Store(std::span<const std::uint8_t> record) {
  if (record.size() != recordSize_) return false;
  std::vector<std::uint8_t> full;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!open_ || finishing_ || failed_) return false;
    if (currentFill_ + 1 == recordsPerHalf_ && queue_.size() >= maxQueued_) return false;
    ++stored_;
  }
  std::memcpy(current_.data() + currentFill_ * recordSize_, record.data(), recordSize_);
  if (++currentFill_ < recordsPerHalf_) return true;
  {
    std::lock_guard<std::mutex> lock(m_);
    queue_.push_back(std::move(current_));
    if (!spare_.empty()) {
      current_ = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  cv_.notify_all();
  current_.resize(recordSize_ * recordsPerHalf_);
  currentFill_ = 0;
  return true;
}

int RecordPipeline::WriterBody(Event&) {
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    cv_.wait(lock, [this] { return !queue_.empty() || finishing_; });
    if (queue_.empty()) return 2;  // finishing and drained
    std::vector<std::uint8_t> half = std::move(queue_.front());
    queue_.pop_front();
    const bool failedBefore = failed_;
    lock.unlock();
    const bool ok = !failedBefore && (!hook_ || hook_(half.size())) && append_(half);
    lock.lock();
    if (ok) {
      written_ += half.size() / recordSize_;
    } else {
      failed_ = true;
    }
    spare_.push_back(std::move(half));
    cv_.notify_all();
  }
}

bool RecordPipeline::Finish() {
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!open_) return !failed_;
    if (currentFill_ > 0) {
      std::vector<std::uint8_t> partial(current_.begin(), current_.begin() + currentFill_ * recordSize_);
      queue_.push_back(std::move(partial));
    }
    finishing_ = true;
  }
  currentFill_ = 0;
  cv_.notify_all();
  if (writer_) writer_->Join();
  writer_.reset();
  bool ok;
  {
    std::lock_guard<std::mutex> lock(m_);
    open_ = false;
    ok = !failed_ && written_ == stored_;
    queue_.clear();
  }
  if (fd_ >= 0) {
    if (::fsync(fd_) != 0 && errno != EINVAL) ok = false;
    if (::close(fd_) != 0) ok = false;
    fd_ = -1;
  }
  return ok;
}

bool RecordPipeline::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_);
  return open_;
}

bool RecordPipeline::Failed() const {
  std::lock_guard<std::mutex> lock(m_);
  return failed_;
}

std::uint64_t RecordPipeline::RecordsStored() const {
  std::lock_guard<std::mutex> lock(m_);
  return stored_;
}

std::uint64_t RecordPipeline::RecordsWritten() const {
  std::lock_guard<std::mutex> lock(m_);
  return written_;
}

std::string NextChainStem(const std::string& previousStem, int index) {
  if (index <= 0) return previousStem;
  std::string base = previousStem;
  if (!base.empty() && base.back() == '.') base.pop_back();
  if (index > 1) {
    const std::string previousNumber = std::to_string(index - 1);
    if (base.size() >= previousNumber.size() &&
        base.compare(base.size() - previousNumber.size(), previousNumber.size(), previousNumber) == 0)
      base.erase(base.size() - previousNumber.size());
  }
  return base + std::to_string(index) + ".";
}

}  // namespace qv
