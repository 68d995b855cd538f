// Shifting a recorded depth log along the depth axis, as a whole or channel
// by channel, into a new log or back over the input log.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

struct DepthShiftRequest {
  // Tool type of the input as GetFileToolType gives it (7 and 9 are
  // six-channel variants).
  std::uint8_t toolType = 0;
  // Non-zero: shift the complete log by shifts[1]; zero: channel n by
  // shifts[n], n = 1 to 12 (shifts[0] is not used).
  int wholeLog = 1;
  std::string inputPath;
  // The input path itself (in any letter case) means: shift in place.
  std::string outputPath;
  // Offsets in thousandths of the log's depth unit.
  int shifts[13] = {};
};

// Returns 1 when the shifted log is complete in place, 0 on any failure. Every
// output (data file, companions, header) is built aside and put in place only
// when all of it was written, so a failure leaves the input and any earlier
// output as they were.
int DoDepthShift(const DepthShiftRequest& request);

}  // namespace qv
