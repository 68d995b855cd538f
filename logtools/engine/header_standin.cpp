#include "logtools/engine/header_standin.h"

#include "logtools/engine/platform_api.h"
#include "logtools/engine/profile_standin.h"
#include "logtools/engine/staged_output.h"

using namespace qv;

namespace {
struct Key {
  const char* name;
  int HeaderInfo::*field;
};
const Key kKeys[] = {{"ComStd", &HeaderInfo::ComStd},       {"DepthUnit", &HeaderInfo::DepthUnit},
                     {"LogMode", &HeaderInfo::LogMode},     {"Startdepth", &HeaderInfo::Startdepth},
                     {"EndDepth", &HeaderInfo::EndDepth},   {"Step", &HeaderInfo::Step},
                     {"StartTime", &HeaderInfo::StartTime}, {"EndTime", &HeaderInfo::EndTime}};
std::string Hed(const std::string& path) { return FindFileNoCase(SiblingPath(path, "hed")); }
std::string Sec(int i) { return "Channel" + std::to_string(i); }
int Find(const std::string& h, int ch) {
  for (int i = 0;; ++i) {
    if (GetProfileText(h, Sec(i), "Title").empty()) return -1;
    if (GetPrivateProfileInt(Sec(i).c_str(), "PhysicalCh", -1, h) == ch) return i;
  }
}
bool W(const std::string& h, const std::string& s, const char* k, const std::string& v) {
  return WritePrivateProfileString(s.c_str(), k, v.c_str(), h);
}
}  // namespace

int ReadLogHeader(const std::string& path, std::string*, HeaderInfo* info, CurveArray*, TrackArray*, int*,
                  TrailerText*) {
  if (!HasExtension(path)) return 0;
  std::string h = Hed(path);
  if (GetProfileText(h, "General", "Ident") != "QUORVANTA") return 0;
  if (info) {
    for (auto& k : kKeys) info->*k.field = GetPrivateProfileInt("WellInfo", k.name, 0, h);
    info->SondeLength = GetPrivateProfileInt("General", "SondeLength", 0, h);
    info->RecLineSize = GetPrivateProfileInt("File1", "RecLineSize", 0, h);
    info->SondeAbbreviation = GetProfileText(h, "WellInfo", "SondeAbbreviation");
  }
  return 1;
}
int WriteHeaderInfo(const std::string& path, const HeaderInfo* info, const int*) {
  std::string h = Hed(path);
  for (auto& k : kKeys)
    if (!W(h, "WellInfo", k.name, std::to_string(info->*k.field))) return 0;
  return W(h, "WellInfo", "SondeAbbreviation", info->SondeAbbreviation) ? 1 : 0;
}
int WriteCurveRecords(const std::string& path, const CurveArray* curves) {
  std::string h = Hed(path);
  for (size_t i = 0; i < curves->size(); ++i) {
    const auto& c = (*curves)[i];
    if (c->physicalChannel == -1) continue;
    if (!W(h, Sec(static_cast<int>(i)), "TitleShort", c->shortTitle)) return 0;
  }
  return 1;
}
void WriteDataFileDirectory(const std::string& path, const HeaderInfo* info) {
  if (!info || !HasExtension(path)) return;
  std::string h = Hed(path);
  W(h, "General", "Version", "101");
  W(h, "General", "DataFiles", "1");
  W(h, "File1", "FileName", FileNamePart(SiblingPath(path, "lgx")));
  W(h, "File1", "Startdepth", std::to_string(info->Startdepth));
  W(h, "File1", "EndDepth", std::to_string(info->EndDepth));
  W(h, "File1", "RecLineSize", std::to_string(info->RecLineSize));
}
void WriteChannelDataLocation(const std::string& path, const CurveArray* curves, int) {
  std::string h = Hed(path);
  for (size_t i = 0; i < curves->size(); ++i) {
    const auto& c = (*curves)[i];
    std::string s = Sec(static_cast<int>(i));
    W(h, s, "Title", c->description);
    W(h, s, "TitleShort", c->shortTitle);
    W(h, s, "Unit", c->unit);
    W(h, s, "File", std::to_string(c->file));
    W(h, s, "DataOffset", std::to_string(c->dataOffset));
    W(h, s, "SampleType", std::to_string(c->sampleType));
    W(h, s, "SampleCount", std::to_string(c->sampleCount));
    W(h, s, "PhysicalCh", std::to_string(c->physicalChannel));
  }
}
int ReadCurveRecordByChannel(const std::string& h, CurveRecord* c, int ch) {
  int i = Find(h, ch);
  if (!c || i < 0) return 0;
  c->description = GetProfileText(h, Sec(i), "Title");
  c->shortTitle = GetProfileText(h, Sec(i), "TitleShort");
  c->unit = GetProfileText(h, Sec(i), "Unit");
  c->physicalChannel = ch;
  return 1;
}
int ReadChannelFilter(const std::string& h, ChannelFilter* f, int ch) {
  int i = Find(h, ch);
  if (!f || i < 0 || ch < 1) return 0;
  f->Present = 1;
  f->FilterType = static_cast<std::uint8_t>(GetPrivateProfileInt(Sec(i).c_str(), "FilterType", 0, h));
  f->FilterWidth = GetPrivateProfileInt(Sec(i).c_str(), "FilterWidth", 0, h) / 2 * 2 + 1;
  f->Offset = f->OffsetCopy = GetPrivateProfileInt(Sec(i).c_str(), "Offset", 0, h);
  return 1;
}
int WriteChannelFilter(const std::string& h, const ChannelFilter* f, int i) {
  return f && W(h, Sec(i), "FilterType", std::to_string(f->FilterType)) &&
                 W(h, Sec(i), "FilterFlag", f->FilterType ? "1" : "0") &&
                 W(h, Sec(i), "FilterWidth", std::to_string(f->FilterWidth)) &&
                 W(h, Sec(i), "Offset", std::to_string(f->Offset))
             ? 1
             : 0;
}
int WriteChannelCalibration(const std::string& h, const ChannelCalibration* c, int i) {
  return c && W(h, Sec(i), "CalFlag", std::to_string(c->calFlag)) ? 1 : 0;
}
int ReadChannelCalibration(const std::string& h, ChannelCalibration* c, int ch) {
  int i = Find(h, ch);
  if (!c || i < 0 || ch < 1) return 0;
  c->calFlag = GetPrivateProfileInt(Sec(i).c_str(), "CalFlag", 0, h) ? 1 : 0;
  return 1;
}
int WriteDefaultTrackSections(const std::string& h) {
  for (int n = 0; n < 4; ++n)
    if (!W(h, "Track" + std::to_string(n), "Style", "256")) return 0;
  return 1;
}
int ReadCurveRecords(const std::string& path, CurveArray* curves) {
  std::string h = Hed(path);
  if (!curves || !FileExists(h)) return 0;
  curves->clear();
  for (int i = 0;; ++i) {
    char keys[256];
    if (GetPrivateProfileString(Sec(i).c_str(), nullptr, "", keys, sizeof keys, h) == 0) break;
    auto c = std::make_unique<CurveRecord>();
    c->shortTitle = GetProfileText(h, Sec(i), "TitleShort");
    c->physicalChannel = GetPrivateProfileInt(Sec(i).c_str(), "PhysicalCh", 0, h);
    curves->push_back(std::move(c));
  }
  return 1;
}
