// The chart recorder's parallel port. LPTn is /dev/lp(n-1) unless win.ini
// [ParallelDevices] names another path for it (a capture file or a FIFO for a
// look at what was sent). A device is opened non-blocking and never created;
// only a named path outside /dev may be created, as a capture file. A write
// sends every byte before a deadline or fails: a short write, a passed
// deadline or a reader that went away is a failure, never a success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qv {

constexpr uint32_t kParallelWriteTimeoutMs = 3000;

// The deadline of one write; tests shorten it. 0 restores the default.
void SetParallelWriteTimeoutMs(uint32_t ms);
uint32_t ParallelWriteTimeoutMs();

class ParallelPort {
 public:
  virtual ~ParallelPort() = default;
  // Sends all N bytes within the write deadline; false otherwise.
  virtual bool Write(const uint8_t* data, size_t n) = 0;
};

// The path of LPTn and whether it may be created (a named capture file).
struct ParallelDevice {
  std::string path;
  bool mayCreate = false;
};
ParallelDevice ParallelDevicePath(int lpt);

// Opens PATH for writing without blocking; null on failure with the reason
// in ERROR. A FIFO without a reader does not open.
std::unique_ptr<ParallelPort> OpenParallelPath(const std::string& path, bool mayCreate, std::string* error = nullptr);
// Opens LPTn (through the opener installed by tests, when there is one).
std::unique_ptr<ParallelPort> OpenParallelPort(int lpt, std::string* error = nullptr);

// Tests put a port of their own in place of the device; null restores it.
using ParallelPortOpener = std::function<std::unique_ptr<ParallelPort>(int lpt)>;
ParallelPortOpener SetParallelPortOpener(ParallelPortOpener opener);

}  // namespace qv
