// Feeds arbitrary old binary headers (4096 bytes and shorter) through the
// acceptance check and the conversion of every kind of log, and checks that
// the header file written from them reads back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "header/header.h"
#include "header/hed_file.h"
#include "platform/text/msgbox.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    qv::SetMessageBoxHandler([](const qv::MessageBoxRequest&) { return qv::IDOK; });
    char pattern[] = "/tmp/fuzz_old_header.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return -1;  // the reader never looks past 4096 bytes
  static const char* const kNames[] = {"F.LOG", "F.BTV", "F.CBL", "F.VDL", "F.xyz"};
  const std::string data_path = Folder() + "/" + kNames[size > 0 ? data[0] % 5 : 0];
  {
    std::ofstream out(Folder() + "/F.hdr", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ::unlink((Folder() + "/F.hed").c_str());
  HeaderInfo info;
  CurveArray curves;
  TrackArray tracks;
  CalibrationArray calibration;
  TrailerText trailer;
  const int read = CHeader().OpenHeader(data_path, nullptr, &info, &curves, &tracks, &calibration, nullptr, nullptr,
                                        nullptr, nullptr, &trailer);
  const bool accepted = size == 4096 || (size > 8 && data[8] == 1);
  if (read != (accepted ? 1 : 0)) __builtin_trap();
  // Every number of a converted header fits the old layout again.
  if (accepted && CHeader().ExportOldHeader(data_path) != 1) __builtin_trap();
  return 0;
}
