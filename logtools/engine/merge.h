// Merging channels of up to four recorded depth logs into one new
// twelve-channel log with a complete header.
#pragma once

#include <string>
#include <vector>

namespace qv {

// One output channel of a merge.
struct MergeChannel {
  std::string shortTitle;
  std::string title;
  std::string inputPath;  // data file of the input log
  int inFile = 0;         // input slot 0 to 3; channels of one slot share one open file
  int inChannel = 0;      // physical channel in the input log, 1 to 12
  int outChannel = 0;     // physical channel in the merged log, 1 to 12
  int recordKind = 0;     // non-zero: a twelve-channel .LGX input; 0: a six-channel .LOG input
};

struct MergeParameters {
  std::string outputPath;    // the merged data file
  std::string headerSource;  // data file of the input whose header the merged log takes over
  std::string userLibrary;   // user-function library, empty for none
  int userFlag = 0;
  int channelCount = 0;
  std::vector<MergeChannel> channels;
};

// Writes the merged data file (64-byte twelve-channel records, one per depth
// step of the finest input, depths in header units) and its header. Returns 1
// when both are complete and in place, 0 otherwise; a failure leaves every
// input and any earlier output as they were. Entries whose slot, input
// channel or output channel is out of range, or whose output channel is
// taken already, are skipped; sonic inputs, inputs whose step is not positive
// and time logs are refused.
int MergeLogFiles(const MergeParameters* params);

}  // namespace qv
