// Reads arbitrary header files through every record reader a log document,
// a view or a tool uses (well information, curve and track records,
// calibration, channel filters, free-pipe gates, trailer text, user-function
// keys, the replay reader's header record), writes what was read back into
// a fresh header and checks that the rewrite opens again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/support/scratch_folder.h"
#include "header/header.h"
#include "header/hed_file.h"
#include "header/section_access.h"
#include "logdoc/replay/replay_reader.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_header_records");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return -1;
  const std::string hed = Folder() + "/F.hed";
  const std::string log = Folder() + "/F.LOG";
  {
    std::ofstream out(hed, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::string chainTo;
  HeaderInfo info;
  CurveArray curves;
  TrackArray tracks;
  CalibrationArray calibration;
  TrailerText trailer;
  int depthScale = 0;
  const int read = ReadLogHeader(hed, &chainTo, &info, &curves, &tracks, &depthScale, &trailer);
  (void)ReadCalibration(hed, &calibration);
  int userFlag = 0, sondeLength = 0, logType = 0;
  std::string userLibrary;
  (void)ReadUserFunctionInfo(hed, &userFlag, &userLibrary);
  (void)ReadSondeLength(hed, &sondeLength);
  ChannelFilter filters[kFilterTableSize] = {};
  (void)ReadChannelFilters(log, filters);
  FreePipeGate nearGate, farGate;
  (void)ReadFreePipeGates(log, &nearGate, &farGate);
  (void)ReadLogType(log, &logType);
  (void)qv::ReplayHeaderOf(info);
  if (read != 1) return 0;

  // What was read is written whole into a new header and reads back.
  const std::string copy = Folder() + "/G.hed";
  ::unlink(copy.c_str());
  {
    HedFile out;
    out.Reset(copy);
    WriteHeaderIdent(out);
    if (!WriteHeaderRecords(out, &chainTo, &info, &curves, &tracks, &calibration, &depthScale, nullptr, &sondeLength,
                            &trailer) ||
        !out.Save()) {
      return 0;  // refused (a value no header may hold): reported, nothing half written
    }
  }
  HeaderInfo again;
  CurveArray curvesAgain;
  TrackArray tracksAgain;
  if (ReadLogHeader(copy, nullptr, &again, &curvesAgain, &tracksAgain, nullptr, nullptr) != 1) __builtin_trap();
  return 0;
}
