#include "header/header.h"

#include <unistd.h>
#include <sys/stat.h>


#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "header/section_access.h"
#include "header/wellinfo_fields.h"
#include "platform/files/regular_file.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace {

constexpr unsigned kCannotCreateHed = 32114;
constexpr unsigned kCannotOpenHeader = 32169;

bool WriteWellInfo(HedFile& file, const HeaderInfo& info) {
  bool ok = true;
  for (const WellInfoField& field : WellInfoFields()) {
    switch (field.kind) {
      case FieldKind::kInt:
        ok = file.SetInt("WellInfo", field.key, WellInfoInt(info, field));
        break;
      case FieldKind::kFloat:
        ok = file.SetFloat("WellInfo", field.key, WellInfoFloat(info, field));
        break;
      case FieldKind::kText:
        ok = file.Set("WellInfo", field.key, WellInfoText(info, field));
        break;
    }
    if (!ok) return false;
  }
  return true;
}

void ReadWellInfo(const HedFile& file, HeaderInfo& info) {
  CHeader::ClearHeaderInfo(info);
  // Every key of the section is asked for: one walk of its lines.
  static const qv::ProfileKeyNames names = [] {
    std::vector<std::string_view> keys;
    for (const WellInfoField& field : WellInfoFields()) keys.emplace_back(field.key);
    return qv::ProfileKeyNames(keys);
  }();
  const HedSection wellInfo = file.Pick("WellInfo", names);
  std::size_t key = 0;
  for (const WellInfoField& field : WellInfoFields()) {
    switch (field.kind) {
      case FieldKind::kInt:
        WellInfoInt(info, field) = wellInfo.GetInt(key, "0");
        break;
      case FieldKind::kFloat:
        WellInfoFloat(info, field) = static_cast<float>(wellInfo.GetDouble(key, "0"));
        break;
      case FieldKind::kText:
        WellInfoText(info, field) = wellInfo.Get(key, "");
        break;
    }
    ++key;
  }
  info.SondeLength = file.GetInt(kGeneral, "SondeLength", "0");
  info.RecLineSize = file.GetInt("File1", "RecLineSize", "0");
}

bool WriteCurves(HedFile& file, const CurveArray& curves) {
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const CurveRecord* curve = curves[i].get();
    // Depth and time placeholders keep their number but get no display keys.
    if (curve == nullptr || curve->physicalChannel == -1) continue;
    if (!WriteCurveDisplay(file, ChannelSection(static_cast<unsigned>(i)), *curve)) return false;
  }
  return true;
}

// The curve of one Channel section, unless it is none.
void AddCurve(const HedSection& keys, CurveArray& curves) {
  // Compared unsigned: every negative channel is skipped with those above 16.
  unsigned channel = static_cast<unsigned>(keys.GetInt(ChannelKey::kPhysicalCh, "-1"));
  if (channel > static_cast<unsigned>(kMaxCurveChannel)) return;
  auto curve = std::make_unique<CurveRecord>();
  CHeader::ClearCurveRecord(curve.get());
  ReadCurveDisplay(keys, *curve);
  if (curve->shortTitle == "NULL") return;
  curves.push_back(std::move(curve));
}

bool WriteTracks(HedFile& file, const TrackArray& tracks) {
  for (std::size_t i = 0; i < tracks.size(); ++i)
    if (tracks[i] && !WriteTrack(file, TrackSection(static_cast<unsigned>(i)), *tracks[i])) return false;
  return true;
}

void ReadTracks(const HedFile& file, TrackArray& tracks) {
  tracks.clear();
  for (unsigned i = 0;; ++i) {
    const HedSection keys = PickTrackSection(file, TrackSection(i));
    if (!keys.Present()) return;
    auto track = std::make_unique<TrackRecord>();
    CHeader::ClearTrackRecord(track.get());
    track->order = static_cast<int>(i);
    ReadTrack(keys, *track);
    tracks.push_back(std::move(track));
  }
}

bool WriteCalibrationArray(HedFile& file, const CalibrationArray& calibration) {
  for (const auto& record : calibration) {
    if (!record) continue;
    bool ok = true;
    // Every section of the record's channel gets the keys, not only the first.
    ForEachChannelSection(file, [&](unsigned, const HedSection& keys) {
      if (ok && keys.GetInt(ChannelKey::kPhysicalCh, "-1") == record->physicalChannel)
        ok = WriteCalibrationKeys(file, keys.Name(), *record, record->UsableCoefficientCount());
    });
    if (!ok) return false;
  }
  return true;
}

// The number of consecutive non-empty Coefficient keys; a missing
// Coefficient0 counts as present. Only four are ever kept.
int CountCoefficients(const HedSection& keys) {
  if (keys.Get(ChannelKey::kCoefficient0, "0").empty()) return 0;
  int count = 1;
  while (count < kCoefficientSlots &&
         !keys.Get(ChannelKey::kCoefficient0 + static_cast<std::size_t>(count), "").empty())
    ++count;
  return count;
}

// The calibration of one Channel section into its channel's slot (a later
// section of the same channel replaces it).
void AddCalibration(const HedFile& file, const HedSection& keys, CalibrationArray& calibration) {
  auto record = std::make_unique<ChannelCalibration>();
  CHeader::ClearChannelCalibration(record.get());
  record->calFlag = keys.GetInt(ChannelKey::kCalFlag, "0") != 0 ? 1 : 0;
  int channel = keys.GetInt(ChannelKey::kPhysicalCh, "");
  if (channel < 1 || channel > static_cast<int>(kCalibratedChannels)) return;
  record->physicalChannel = channel;
  record->coefficientCount = CountCoefficients(keys);
  record->shortTitle = keys.Get(ChannelKey::kTitleShort, "");
  Coefficients& c = record->coefficients.emplace();
  for (std::size_t i = 0; i < c.size(); ++i) c[i] = keys.GetDouble(ChannelKey::kCoefficient0 + i, "0");
  DefaultCalibrationCoefficients(c);
  ReadReferencePoints(file, keys, *record);
  calibration[static_cast<std::size_t>(channel - 1)] = std::move(record);
}

// Curves and calibration come from the same Channel sections: each is
// walked once for both.
void ReadChannels(const HedFile& file, CurveArray* curves, CalibrationArray* calibration) {
  if (curves != nullptr) curves->clear();
  if (calibration != nullptr) {
    calibration->clear();
    calibration->resize(kCalibratedChannels);
  }
  if (curves == nullptr && calibration == nullptr) return;
  ForEachChannelSection(file, [&](unsigned, const HedSection& keys) {
    if (curves != nullptr) AddCurve(keys, *curves);
    if (calibration != nullptr) AddCalibration(file, keys, *calibration);
  });
}

// Fills what the caller asks for from a loaded header of this system.
void ReadLoadedHeader(const HedFile& file, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                      TrackArray* tracks, CalibrationArray* calibration, int* depthScale, int* userProcessFlag,
                      std::string* userLibrary, int* sondeLength, TrailerText* trailer) {
  if (info != nullptr) ReadWellInfo(file, *info);
  ReadChannels(file, curves, calibration);
  if (tracks != nullptr) ReadTracks(file, *tracks);
  if (chainTo != nullptr) *chainTo = file.Get(kGeneral, "ChainTo", "");
  if (depthScale != nullptr) {
    int scale = file.GetInt(kGeneral, "Scale", "100");
    if (scale > 0) *depthScale = scale;
  }
  if (userProcessFlag != nullptr) *userProcessFlag = file.GetInt(kGeneral, "UserProcessFlag", "0");
  if (userLibrary != nullptr) *userLibrary = file.Get(kGeneral, "UserDLL", " ");
  if (sondeLength != nullptr) *sondeLength = file.GetInt(kGeneral, "SondeLength", "0");
  if (trailer != nullptr) {
    trailer->Text1 = file.Get("TrailerText", "Text1", "", kHedTrailerBuffer);
    trailer->Text2 = file.Get("TrailerText", "Text2", "", kHedTrailerBuffer);
    trailer->Text3 = file.Get("TrailerText", "Text3", "", kHedTrailerBuffer);
    trailer->Text4 = file.Get("TrailerText", "Text4", "", kHedTrailerBuffer);
  }
}

}  // namespace

void DefaultCalibrationCoefficients(Coefficients& c) {
  for (double v : c)
    if (v != 0.0) return;
  c[1] = 1.0;
}

bool WriteHeaderRecords(HedFile& file, const std::string* chainTo, const HeaderInfo* info, const CurveArray* curves,
                        const TrackArray* tracks, const CalibrationArray* calibration, const int* depthScale,
                        const std::string* userLibrary, const int* sondeLength, const TrailerText* trailer) {
  bool ok = true;
  if (chainTo != nullptr) {
    qv::Trace("Save ChainTo for %s: %s", file.Path().c_str(), chainTo->c_str());
    ok = file.Set(kGeneral, "ChainTo", *chainTo);
  }
  if (ok && depthScale != nullptr) ok = file.SetInt(kGeneral, "Scale", *depthScale);
  if (ok && info != nullptr) {
    ok = WriteWellInfo(file, *info);
    if (ok) qv::Trace("Writing WELLINFO sucessfully");
  }
  if (ok && curves != nullptr) {
    ok = WriteCurves(file, *curves);
    if (ok) qv::Trace("Writing DISP_CURVEINFO sucessfully");
  }
  if (ok && tracks != nullptr) {
    ok = WriteTracks(file, *tracks);
    if (ok) qv::Trace("Writing COLINFO sucessfully");
  }
  if (ok && calibration != nullptr) ok = WriteCalibrationArray(file, *calibration);
  if (ok && userLibrary != nullptr) {
    ok = file.Set(kGeneral, "UserProcessFlag", "1") && file.Set(kGeneral, "UserDLL", *userLibrary);
    if (ok) qv::Trace("Writing User function infos sucessfully");
  }
  if (ok && sondeLength != nullptr) {
    ok = file.SetInt(kGeneral, "SondeLength", *sondeLength);
    if (ok) qv::Trace("Writing sonde length sucessfully");
  }
  if (ok && trailer != nullptr) {
    ok = file.Set("TrailerText", "Text1", trailer->Text1) && file.Set("TrailerText", "Text2", trailer->Text2) &&
         file.Set("TrailerText", "Text3", trailer->Text3) && file.Set("TrailerText", "Text4", trailer->Text4);
    if (ok) qv::Trace("Writing trailer sucessfully");
  }
  return ok;
}

int CHeader::WriteHeader(const std::string& path, const std::string* chainTo, const HeaderInfo* info,
                         const CurveArray* curves, const TrackArray* tracks, const CalibrationArray* calibration,
                         const int* depthScale, const std::string* userLibrary, const int* sondeLength,
                         const TrailerText* trailer) {
  const std::string hed = HeaderPathFor(path);
  if (hed.empty()) return 0;
  HedFile file;
  const HedFile::LoadResult loaded = file.Load(hed);
  if (loaded == HedFile::LoadResult::kUnreadable) {
    // An existing header that cannot be read is never overwritten.
    qv::ShowMessageId(kCannotCreateHed);
    return 0;
  }
  const bool created = loaded == HedFile::LoadResult::kMissing;
  if (created) qv::Trace("HED not available...Try to create..");

  // Nothing of this call reaches the file when a record cannot be written.
  if (!WriteHeaderRecords(file, chainTo, info, curves, tracks, calibration, depthScale, userLibrary, sondeLength,
                          trailer))
    return 0;
  if (!file.Save()) {
    if (created) qv::ShowMessageId(kCannotCreateHed);
    return 0;
  }
  if (created) qv::Trace("Creation of HED sucessfully");
  return 1;
}

int CHeader::OpenHeader(const std::string& path, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                        TrackArray* tracks, CalibrationArray* calibration, int* depthScale, int* userProcessFlag,
                        std::string* userLibrary, int* sondeLength, TrailerText* trailer) {
  const std::string hed = HeaderPathFor(path);
  if (hed.empty()) return 0;
  HedFile file;
  switch (file.Load(hed)) {
    case HedFile::LoadResult::kMissing:
      if (ImportOldHeader(path) == 0) return 0;
      break;
    case HedFile::LoadResult::kUnreadable:
      qv::ShowMessageId(kCannotOpenHeader);
      return 0;
    case HedFile::LoadResult::kLoaded:
      if (file.Get(kGeneral, "Ident", "") == kHeaderIdent) {
        // Read from the copy already loaded: one read of the file.
        ReadLoadedHeader(file, chainTo, info, curves, tracks, calibration, depthScale, userProcessFlag, userLibrary,
                         sondeLength, trailer);
        return 1;
      }
      // The foreign file stays as it is unless an old header converts.
      qv::Trace("Identstring is old TB-HEADER OR invalid HED file");
      if (ImportOldHeader(path) == 0) return 0;
      qv::Trace("Identstring is old TB-HEADER");
      break;
  }
  return ReadHeader(hed, chainTo, info, curves, tracks, calibration, depthScale, userProcessFlag, userLibrary,
                    sondeLength, trailer);
}

int CHeader::ImportOldHeader(const std::string& path) {
  const std::string hdr = SiblingFor(path, ".hdr");
  if (hdr.empty()) return 0;
  const int fd = qv::OpenRegularFile(hdr);
  if (fd < 0) {
    qv::ShowMessageId(kCannotOpenHeader);
    return 0;
  }
  struct stat st {};
  const off_t length = ::fstat(fd, &st) == 0 ? st.st_size : -1;
  char marker = 0;
  if (::pread(fd, &marker, 1, 8) != 1) marker = 0;
  ::close(fd);
  if (length != 4096 && marker != 1) {
    ShowNotV106(hdr);
    return 0;
  }
  // The conversion fills a fresh header in memory; the file on disk is
  // replaced whole only when it succeeds, so a foreign header survives a
  // failed conversion.
  HedFile converted;
  converted.Reset(HeaderPathFor(path));
  if (ConvertOldHeader(path, converted) == 0) return 0;
  if (!converted.Save()) {
    qv::ShowMessageId(kCannotOpenHeader);
    return 0;
  }
  return 1;
}

int CHeader::ReadHeader(const std::string& headerPath, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                        TrackArray* tracks, CalibrationArray* calibration, int* depthScale, int* userProcessFlag,
                        std::string* userLibrary, int* sondeLength, TrailerText* trailer) {
  HedFile file;
  if (file.Load(headerPath) != HedFile::LoadResult::kLoaded) return 0;
  if (file.Get(kGeneral, "Ident", "") != kHeaderIdent) return 0;
  ReadLoadedHeader(file, chainTo, info, curves, tracks, calibration, depthScale, userProcessFlag, userLibrary,
                   sondeLength, trailer);
  return 1;
}

void CHeader::ClearHeaderInfo(HeaderInfo& info) {
  ClearHeaderInfoNumbers(info);
}

void CHeader::ClearCurveRecord(CurveRecord* curve) {
  if (curve == nullptr) return;
  curve->headerLine = 0;
  curve->firstTrack = 0;
  curve->lastTrack = 0;
  curve->headerFlag = 1;
  curve->scaleFlag = 1;
  curve->physicalChannel = 0;
  curve->logicalChannel = 0;
  curve->window = 0;
  curve->adjustment = 0;
  curve->mode = 0;
  curve->fillColour = 0;
  curve->lineColour = 0;
  curve->printLineStyle = 0;
  curve->historyCount = 0;
  curve->history = nullptr;
  curve->scaleMinimum = 0.0f;
  curve->scaleMaximum = 0.0f;
  curve->screenRect = {};
}

void CHeader::ClearTrackRecord(TrackRecord* track) {
  if (track == nullptr) return;
  const int widthWeight = track->widthWeight;  // not a header field
  *track = TrackRecord{};
  track->widthWeight = widthWeight;
}

void CHeader::ClearChannelCalibration(ChannelCalibration* calibration) {
  if (calibration == nullptr) return;
  calibration->calibrationDate = 0;
  calibration->validity = 0;
  calibration->regime = 0;
  calibration->method = 0;
  calibration->coefficientCount = 0;
  calibration->channelRowId = 0;
  calibration->calibratable = 0;
  calibration->calFlag = 0;
  calibration->coefficients.reset();
  calibration->referencePoints.clear();
}

int ReadLogHeader(const std::string& path, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                  TrackArray* tracks, int* depthScale, TrailerText* trailer) {
  return CHeader().OpenHeader(path, chainTo, info, curves, tracks, nullptr, depthScale, nullptr, nullptr, nullptr,
                              trailer);
}

int ReadChainTo(const std::string& path, std::string* chainTo) {
  std::string target;
  if (CHeader().OpenHeader(path, &target) == 0) return 0;
  // Chain targets may come from either system: both separators count.
  std::size_t slash = target.find_last_of("\\/");
  if (chainTo != nullptr) *chainTo = slash == std::string::npos ? target : target.substr(slash + 1);
  return 1;
}

int ReadHeaderInfo(const std::string& path, HeaderInfo* info) {
  return CHeader().OpenHeader(path, nullptr, info);
}

int ReadCurveRecords(const std::string& path, CurveArray* curves) {
  return CHeader().OpenHeader(path, nullptr, nullptr, curves);
}

int ReadTrackRecords(const std::string& path, TrackArray* tracks) {
  return CHeader().OpenHeader(path, nullptr, nullptr, nullptr, tracks);
}

int ReadCalibration(const std::string& path, CalibrationArray* calibration) {
  return CHeader().OpenHeader(path, nullptr, nullptr, nullptr, nullptr, calibration);
}

int ReadUserFunctionInfo(const std::string& path, int* userProcessFlag, std::string* userLibrary) {
  return CHeader().OpenHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, userProcessFlag, userLibrary);
}

int ReadSondeLength(const std::string& path, int* sondeLength) {
  return CHeader().OpenHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              sondeLength);
}

int ReadTrailerText(const std::string& path, TrailerText* trailer) {
  return CHeader().OpenHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              trailer);
}

int WriteChainTo(const std::string& path, const std::string& chainTo) {
  return CHeader().WriteHeader(path, &chainTo);
}

bool WriteHeaderInfo(HedFile& file, const HeaderInfo& info, const int* depthScale) {
  return WriteHeaderRecords(file, nullptr, &info, nullptr, nullptr, nullptr, depthScale);
}

bool WriteCurveRecords(HedFile& file, const CurveArray& curves) {
  return WriteHeaderRecords(file, nullptr, nullptr, &curves);
}

int WriteHeaderInfo(const std::string& path, const HeaderInfo* info, const int* depthScale) {
  return CHeader().WriteHeader(path, nullptr, info, nullptr, nullptr, nullptr, depthScale);
}

int WriteCurveRecords(const std::string& path, const CurveArray* curves) {
  return CHeader().WriteHeader(path, nullptr, nullptr, curves);
}

int WriteTrackRecords(const std::string& path, const TrackArray* tracks) {
  return CHeader().WriteHeader(path, nullptr, nullptr, nullptr, tracks);
}

int WriteCalibration(const std::string& path, const CalibrationArray* calibration) {
  return CHeader().WriteHeader(path, nullptr, nullptr, nullptr, nullptr, calibration);
}

int WriteUserFunctionInfo(const std::string& path, const std::string* userLibrary) {
  return CHeader().WriteHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, userLibrary);
}

int WriteSondeLength(const std::string& path, const int* sondeLength) {
  return CHeader().WriteHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, sondeLength);
}

int WriteTrailerText(const std::string& path, const TrailerText* trailer) {
  return CHeader().WriteHeader(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, trailer);
}

void ClearHeaderInfo(HeaderInfo* info) {
  if (info != nullptr) CHeader::ClearHeaderInfo(*info);
}

void WriteHeaderIdent(HedFile& header) {
  header.Set(kGeneral, "Ident", kHeaderIdent);
  header.Set(kGeneral, "Revision", "V1.5, Build: 406");
}

int WriteHeaderIdent(const std::string& path) {
  const std::string hed = HeaderPathFor(path);
  HedFile file;
  if (hed.empty() || file.Load(hed) == HedFile::LoadResult::kUnreadable) return 0;
  WriteHeaderIdent(file);
  return file.Save() ? 1 : 0;
}

bool ReplayHeaderUsable(const HeaderInfo& info, const ChannelFilter* filters, std::size_t count) {
  constexpr unsigned kNoReplayStep = 35206;
  constexpr unsigned kHeaderUnreadable = 32180;
  if (info.Step <= 0 || info.Step > kMaxLogStep) {
    qv::ShowMessageBox(qv::FormatC(qv::LoadString(kNoReplayStep).c_str(), info.Step));
    return false;
  }
  auto beyond = [](int v, int limit) { return v < -limit || v > limit; };
  bool usable = !beyond(info.Startdepth, kMaxLogDepth) && !beyond(info.EndDepth, kMaxLogDepth);
  for (std::size_t i = 0; usable && filters && i < count; ++i) usable = !beyond(filters[i].Offset, kMaxChannelOffset);
  if (!usable) qv::ShowMessageBox(qv::LoadString(kHeaderUnreadable));
  return usable;
}
