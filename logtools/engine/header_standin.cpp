#include "logtools/engine/header_standin.h"

#include "logtools/engine/platform_api.h"
#include "logtools/engine/profile_standin.h"

namespace qv {
namespace {
struct Key {
  const char* name;
  int HeaderInfo::*field;
};
const Key kKeys[] = {{"ComStd", &HeaderInfo::ComStd},       {"DepthUnit", &HeaderInfo::DepthUnit},
                     {"LogMode", &HeaderInfo::LogMode},     {"Startdepth", &HeaderInfo::Startdepth},
                     {"EndDepth", &HeaderInfo::EndDepth},   {"Step", &HeaderInfo::Step},
                     {"StartTime", &HeaderInfo::StartTime}, {"EndTime", &HeaderInfo::EndTime}};
}  // namespace
int ReadLogHeader(const std::string& path, std::string*, HeaderInfo* info, std::vector<CurveRecord*>*,
                  std::vector<TrackRecord*>*, int*, TrailerText*) {
  if (!HasExtension(path)) return 0;
  std::string h = FindFileNoCase(SiblingPath(path, "hed"));
  if (GetProfileText(h, "General", "Ident") != "QUORVANTA") return 0;
  if (info) {
    for (auto& k : kKeys) info->*k.field = GetPrivateProfileInt("WellInfo", k.name, 0, h);
    info->SondeLength = GetPrivateProfileInt("General", "SondeLength", 0, h);
    info->RecLineSize = GetPrivateProfileInt("File1", "RecLineSize", 0, h);
    info->SondeAbbreviation = GetProfileText(h, "WellInfo", "SondeAbbreviation");
  }
  return 1;
}
int WriteHeaderInfo(const std::string& path, HeaderInfo* info, int*) {
  std::string h = FindFileNoCase(SiblingPath(path, "hed"));
  for (auto& k : kKeys)
    if (!WritePrivateProfileString("WellInfo", k.name, std::to_string(info->*k.field).c_str(), h)) return 0;
  return WritePrivateProfileString("WellInfo", "SondeAbbreviation", info->SondeAbbreviation.c_str(), h) ? 1 : 0;
}
void WriteDataFileDirectory(const std::string& path, HeaderInfo* info) {
  if (!info || !HasExtension(path)) return;
  std::string h = FindFileNoCase(SiblingPath(path, "hed"));
  WritePrivateProfileString("General", "Version", "101", h);
  WritePrivateProfileString("General", "DataFiles", "1", h);
  WritePrivateProfileString("File1", "FileName", FileNamePart(SiblingPath(path, "lgx")).c_str(), h);
  WritePrivateProfileString("File1", "Startdepth", std::to_string(info->Startdepth).c_str(), h);
  WritePrivateProfileString("File1", "EndDepth", std::to_string(info->EndDepth).c_str(), h);
  WritePrivateProfileString("File1", "RecLineSize", std::to_string(info->RecLineSize).c_str(), h);
}
}  // namespace qv
