// Outputs of the log-file tools are built beside their targets and put in
// place only when every one of them is complete. A tool stages each output
// file (data, companions, header) in a hidden folder inside the target folder,
// writes it there under its final name (so names derived from a data path,
// such as the header's file directory, come out right) and commits them
// together: data first, header last. A failure before or during the commit
// leaves every target as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Fault injection for tests: asked at each step ("open", "write", "sync",
// "rename", "link") with the file concerned; returning true makes that step
// fail. Null removes the hook.
using OutputFaultHook = std::function<bool(std::string_view step, const std::string& path)>;
void SetOutputFaultHook(OutputFaultHook hook);
bool OutputFault(std::string_view step, const std::string& path);

class StagedOutput {
 public:
  StagedOutput() = default;
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // The staged path that will replace FINAL_PATH: the staging folder (made in
  // FINAL_PATH's folder on first use) plus STAGED_NAME, or FINAL_PATH's own
  // file name when STAGED_NAME is empty. Empty when the folder cannot be made.
  std::string Stage(const std::string& finalPath, const std::string& stagedName = {});
  // The staging folder ("" before the first Stage).
  const std::string& Folder() const { return folder_; }
  // Renames every staged file over its target, in staging order. When a
  // rename fails, the targets already replaced get their old files back and
  // targets that did not exist before are removed. False on any failure.
  bool Commit();

 private:
  struct Entry {
    std::string staged;
    std::string final;
  };
  std::string folder_;
  std::vector<Entry> entries_;
  bool committed_ = false;
  bool keepFolder_ = false;
};

// A buffered writer of one new file. Every failure is sticky and reported by
// Close(); a writer dropped without Close() leaves a file that its staging
// folder removes.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Open(const std::string& path);
  // Inline for the usual case, a short record that fits the buffer: merge
  // and depth shift write one record at a time.
  bool Write(const void* data, std::size_t size) {
    if (ok() && size < kBufferSize - used_) {
      std::memcpy(buffer_.data() + used_, data, size);
      used_ += size;
      return true;
    }
    return WriteThrough(data, size);
  }
  // Flushes, syncs and closes; true only when every byte reached the file.
  bool Close();
  bool ok() const { return fd_ >= 0 && !failed_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // Fills the buffer and writes it out each time it is full.
  bool WriteThrough(const void* data, std::size_t size);
  bool Flush();
  std::string path_;
  int fd_ = -1;
  bool failed_ = false;
  std::vector<unsigned char> buffer_;  // kBufferSize bytes once open
  std::size_t used_ = 0;
};

// Copies FROM into a new file TO (through OutputFile). False when FROM cannot
// be read or TO not written whole.
bool CopyWholeFile(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);

}  // namespace qv
