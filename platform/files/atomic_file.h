// Whole-file replacement: a file that replaces an earlier one is written to a
// temporary file in the same folder, flushed to the disk and renamed over the
// old one, so that a failure at any point leaves the old file as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qv {

// One replacement. Open() creates the temporary file; Write() appends to it;
// Commit() flushes, syncs and renames it over the target. An object destroyed
// without a successful Commit() removes its temporary file and leaves the
// target untouched.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Keep the replaced file as PATH + ".bak" (an earlier .bak is replaced).
  void KeepBackup(bool keep) { keepBackup_ = keep; }
  bool Open();
  bool Write(std::string_view bytes);
  bool Commit();
  // Drops the temporary file; the target stays as it was.
  void Abandon();

  const std::string& path() const { return path_; }
  bool ok() const { return fd_ >= 0 && !failed_; }

 private:
  std::string path_;
  std::string temp_;
  int fd_ = -1;
  bool failed_ = false;
  bool keepBackup_ = false;
};

// Replaces PATH with BYTES as a whole; false (old file untouched) on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Whether A and B name the same existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// Renames FROM to TO (replacing TO) as one step; false when it failed. Asks
// the fault hook with the step "rename" and TO.
bool RenameFile(const std::string& from, const std::string& to);

// Fault injection for tests: the hook is asked at each step ("open", "write",
// "sync", "rename") with the target path and makes that step fail by
// returning true. Null removes it.
using FileFaultHook = std::function<bool(std::string_view step, const std::string& path)>;
void SetFileFaultHook(FileFaultHook hook);

}  // namespace qv
