// Conversion of old binary headers into header files of this system.
#include <atomic>

#include "header/header.h"
#include "header/hed_file.h"
#include "platform/trace/trace.h"

namespace {
std::atomic<OldHeaderConverter> g_converter{nullptr};
}

OldHeaderConverter SetOldHeaderConverter(OldHeaderConverter converter) {
  return g_converter.exchange(converter);
}

int CHeader::ConvertOldHeader(const std::string& dataPath, HedFile& header) {
  if (OldHeaderConverter converter = g_converter.load()) return converter(dataPath, header);
  // The binary layout is not read by this build yet: a log that only has an
  // old header cannot be opened.
  qv::Trace("No converter for the old header of %s", dataPath.c_str());
  return 0;
}
