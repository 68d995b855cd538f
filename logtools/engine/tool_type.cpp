#include "logtools/engine/tool_type.h"

#include "logtools/engine/staged_output.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"

namespace qv {

std::string HeaderPathOf(const std::string& dataPath) {
  return FindFileNoCase(SiblingPath(dataPath, "hed"));
}

int GetFileComStd(const std::string& dataPath) {
  if (!HasExtension(dataPath)) return 0;
  return GetPrivateProfileInt("WellInfo", "ComStd", 0, HeaderPathOf(dataPath));
}

int GetFileToolType(const std::string& dataPath) {
  std::string name = FileNamePart(dataPath);
  std::size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? name : name.substr(dot + 1);
  auto beside = [&](const char* e) { return FileExists(FindFileNoCase(SiblingPath(dataPath, e))); };
  if (EqualNoCase(ext, "LOG")) {
    if (beside("VDL")) return kToolFullWaveSonic;
    if (beside("CBL")) return kToolCementBond;
    return kToolSixChannel;
  }
  if (EqualNoCase(ext, "LGX")) {
    int comStd = GetFileComStd(dataPath);
    return comStd >= 26 && comStd <= 29 ? kToolSonic : kToolTwelveChannel;
  }
  if (EqualNoCase(ext, "BTV")) return kToolTeleviewer;
  if (EqualNoCase(ext, "CBL")) return kToolCementBond;
  if (EqualNoCase(ext, "VDL")) return kToolFullWaveSonic;
  return kToolNone;
}

}  // namespace qv
