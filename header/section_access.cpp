#include "header/section_access.h"

#include <climits>
#include <optional>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace {

constexpr unsigned kCannotReadHeader = 32177;
constexpr unsigned kCannotWriteHeader = 32201;
constexpr const char* kNearGate = "FreePipeGateNear";
constexpr const char* kFarGate = "FreePipeGateFar";

// Loads the header beside a data file; false (and nothing loaded) when the
// path has no extension or the file is missing or unreadable.
bool LoadExisting(HedFile& file, const std::string& hedPath) {
  return !hedPath.empty() && file.Load(hedPath) == HedFile::LoadResult::kLoaded;
}

// Loads a header that is about to be changed: a missing one starts empty, one
// that exists but cannot be read is never replaced.
bool LoadForWrite(HedFile& file, const std::string& hedPath) {
  return !hedPath.empty() && file.Load(hedPath) != HedFile::LoadResult::kUnreadable;
}

// The table entry of a section's physical channel, or null for channels
// outside 1..16 (the walk passes over them).
ChannelFilter* FilterEntry(ChannelFilter* table, int physicalChannel) {
  if (physicalChannel < 1 || physicalChannel > kFilterTableSize) return nullptr;
  return &table[physicalChannel - 1];
}

void ReadFilterKeys(const HedSection& channel, ChannelFilter& filter) {
  filter.Present = 1;
  const auto type = static_cast<std::uint8_t>(channel.GetInt(ChannelKey::kFilterType, "0"));
  filter.FilterType = type > 4 ? 0 : type;
  const int width = channel.GetInt(ChannelKey::kFilterWidth, "0");
  filter.FilterWidth = width / 2 * 2 + 1;
  filter.Offset = channel.GetInt(ChannelKey::kOffset, "0");
  filter.OffsetCopy = filter.Offset;
}

// The first Channel section (walking until one without Title) whose
// PhysicalCh is the given channel; nothing when there is none.
std::optional<HedSection> FindChannelSection(const HedFile& file, int physicalChannel) {
  for (unsigned i = 0;; ++i) {
    HedSection channel = PickChannelSection(file, ChannelSection(i));
    if (channel.Get(ChannelKey::kTitle, "").empty()) return std::nullopt;
    if (channel.GetInt(ChannelKey::kPhysicalCh, "-1") == physicalChannel) return channel;
  }
}

bool ReadGate(const HedFile& file, const char* section, FreePipeGate& gate) {
  if (!file.HasSection(section)) return false;
  struct Key {
    const char* name;
    int FreePipeGate::*field;
  };
  static const Key kKeys[] = {{"SondeDiameter", &FreePipeGate::SondeDiameter},
                              {"PipeSize", &FreePipeGate::PipeSize},
                              {"LeftGate", &FreePipeGate::GateStart},
                              {"RightGate", &FreePipeGate::GateEnd}};
  for (const Key& key : kKeys) {
    // A missing or empty value is a missing gate; keys read before it stay.
    if (file.Get(section, key.name, "").empty()) return false;
    gate.*key.field = file.GetInt(section, key.name, "0");
  }
  return true;
}

bool WriteGate(HedFile& file, const char* section, const FreePipeGate& gate) {
  return file.SetInt(section, "SondeDiameter", gate.SondeDiameter) && file.SetInt(section, "PipeSize", gate.PipeSize) &&
         file.SetInt(section, "LeftGate", gate.GateStart) && file.SetInt(section, "RightGate", gate.GateEnd);
}

std::string LastComponent(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int ReadChannelFilters(const std::string& path, ChannelFilter* table) {
  HedFile file;
  if (!LoadExisting(file, HeaderPathFor(path))) {
    qv::Trace("No Header file found.");
    return 0;
  }
  if (file.Get(kGeneral, "Ident", "") != kHeaderIdent) {
    qv::ShowMessageId(kCannotReadHeader);
    return 0;
  }
  if (table == nullptr) return 1;
  for (int i = 0; i < kFilterTableSize; ++i) table[i] = ChannelFilter{};
  ForEachChannelSection(file, [&](unsigned, const HedSection& channel) {
    if (ChannelFilter* entry = FilterEntry(table, channel.GetInt(ChannelKey::kPhysicalCh, "0")))
      ReadFilterKeys(channel, *entry);
  });
  return 1;
}

int WriteChannelFilters(const std::string& path, ChannelFilter* table, int zeroOffsets) {
  HedFile file;
  if (!LoadExisting(file, HeaderPathFor(path))) {
    qv::ShowMessageId(kCannotWriteHeader);
    return 0;
  }
  if (table == nullptr) return 0;
  bool offsetsOk = true;
  ForEachChannelSection(file, [&](unsigned, const HedSection& channel) {
    ChannelFilter* entry = FilterEntry(table, channel.GetInt(ChannelKey::kPhysicalCh, "0"));
    if (entry == nullptr) return;
    const std::string& section = channel.Name();
    if (zeroOffsets != 0) entry->Offset = 0;
    file.Set(section, "FilterFlag", entry->FilterType != 0 ? "1" : "0");
    file.SetInt(section, "FilterType", entry->FilterType);
    file.SetInt(section, "FilterWidth", entry->FilterWidth);
    if (offsetsOk) offsetsOk = file.SetInt(section, "Offset", entry->Offset);
  });
  // A header that could not be replaced is a failure, not a success.
  return file.Save() ? 1 : 0;
}

int ReadFreePipeGates(const std::string& path, FreePipeGate* nearGate, FreePipeGate* farGate) {
  HedFile file;
  if (!LoadExisting(file, HeaderPathFor(path))) {
    qv::Trace("No Header file found.");
    return 0;
  }
  if (nearGate != nullptr && !ReadGate(file, kNearGate, *nearGate)) return 0;
  if (farGate != nullptr && !ReadGate(file, kFarGate, *farGate)) return 0;
  return 1;
}

int WriteFreePipeGates(const std::string& path, const FreePipeGate* nearGate, const FreePipeGate* farGate) {
  HedFile file;
  if (!LoadExisting(file, HeaderPathFor(path))) {
    qv::Trace("No Header file found.");
    return 0;
  }
  if (nearGate == nullptr && farGate == nullptr) return 1;
  bool ok = true;
  if (nearGate != nullptr) ok = WriteGate(file, kNearGate, *nearGate);
  if (ok && farGate != nullptr) ok = WriteGate(file, kFarGate, *farGate);
  return ok && file.Save() ? 1 : 0;
}

int ReadLogType(const std::string& path, int* logType) {
  const std::string hed = HeaderPathFor(path);
  if (hed.empty() || logType == nullptr) return 0;
  HedFile file;
  file.Load(hed);  // a missing header reads as the default
  *logType = file.GetInt(kGeneral, "LogType", "0");
  return 1;
}

int WriteLogType(const std::string& path, int logType) {
  HedFile file;
  if (!LoadForWrite(file, HeaderPathFor(path))) return 0;
  return file.SetInt(kGeneral, "LogType", logType) && file.Save() ? 1 : 0;
}

void WriteDataFileDirectory(HedFile& file, const std::string& dataPath, const HeaderInfo& info) {
  std::string name = LastComponent(dataPath);
  name = name.substr(0, name.rfind('.')) + ".lgx";
  file.Set(kGeneral, "Version", "101");
  file.Set(kGeneral, "DataFiles", "1");
  const std::string section = NumberedName("File", 1);
  file.Set(section, "FileName", name);
  file.SetInt(section, "ReferenceUnit", info.DepthUnit);
  file.SetInt(section, "Mode", info.LogMode);
  file.SetInt(section, "Interval", info.Step);
  file.SetInt(section, "Startdepth", info.Startdepth);
  file.SetInt(section, "EndDepth", info.EndDepth);
  file.SetInt(section, "StartTime", info.StartTime);
  file.SetInt(section, "EndTime", info.EndTime);
  file.SetInt(section, "RecLineSize", info.RecLineSize);
}

void WriteDataFileDirectory(const std::string& path, const HeaderInfo* info) {
  HedFile file;
  if (info == nullptr || !LoadForWrite(file, HeaderPathFor(path))) return;
  WriteDataFileDirectory(file, path, *info);
  if (!file.Save()) qv::Trace("Data file directory not written to %s", file.Path().c_str());
}

void WriteChannelDataLocation(HedFile& file, const CurveArray& curves, int deleteFirst) {
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const CurveRecord* curve = curves[i].get();
    if (curve == nullptr) continue;
    const std::string section = ChannelSection(static_cast<unsigned>(i));
    if (deleteFirst != 0) file.DeleteSection(section);
    file.Set(section, "Title", curve->description);
    file.Set(section, "TitleShort", curve->shortTitle);
    file.Set(section, "Unit", curve->unit);
    file.SetInt(section, "File", curve->file);
    file.SetInt(section, "DataOffset", curve->dataOffset);
    file.SetInt(section, "SampleType", curve->sampleType);
    file.SetInt(section, "SampleCount", curve->sampleCount);
    file.SetInt(section, "PhysicalCh", curve->physicalChannel);
  }
}

void WriteChannelDataLocation(const std::string& path, const CurveArray* curves, int deleteFirst) {
  HedFile file;
  if (curves == nullptr || !LoadForWrite(file, HeaderPathFor(path))) return;
  WriteChannelDataLocation(file, *curves, deleteFirst);
  if (!file.Save()) qv::Trace("Channel data locations not written to %s", file.Path().c_str());
}

int ReadCurveRecordByChannel(const std::string& headerPath, CurveRecord* curve, int physicalChannel) {
  if (curve == nullptr) return 0;
  HedFile file;
  file.Load(headerPath);
  const std::optional<HedSection> channel = FindChannelSection(file, physicalChannel);
  if (!channel) return 0;
  CHeader::ClearCurveRecord(curve);
  ReadCurveDisplay(*channel, *curve);
  return 1;
}

int ReadChannelFilter(const std::string& headerPath, ChannelFilter* filter, int physicalChannel) {
  if (filter == nullptr || physicalChannel < 1) return 0;
  HedFile file;
  file.Load(headerPath);
  const std::optional<HedSection> channel = FindChannelSection(file, physicalChannel);
  if (!channel) return 0;
  ReadFilterKeys(*channel, *filter);
  return 1;
}

bool WriteChannelFilter(HedFile& file, const ChannelFilter& filter, int sectionIndex) {
  if (sectionIndex < 0) return false;
  const std::string section = ChannelSection(static_cast<unsigned>(sectionIndex));
  return file.SetInt(section, "FilterType", filter.FilterType) &&
         file.Set(section, "FilterFlag", filter.FilterType != 0 ? "1" : "0") &&
         file.SetInt(section, "FilterWidth", filter.FilterWidth) && file.SetInt(section, "Offset", filter.Offset);
}

int WriteChannelFilter(const std::string& headerPath, const ChannelFilter* filter, int sectionIndex) {
  HedFile file;
  if (filter == nullptr || sectionIndex < 0 || !LoadForWrite(file, headerPath)) return 0;
  return WriteChannelFilter(file, *filter, sectionIndex) && file.Save() ? 1 : 0;
}

bool WriteChannelCalibration(HedFile& file, const ChannelCalibration& calibration, int sectionIndex) {
  if (sectionIndex < 0) return false;
  return WriteCalibrationKeys(file, ChannelSection(static_cast<unsigned>(sectionIndex)), calibration,
                              kCoefficientSlots);
}

int WriteChannelCalibration(const std::string& headerPath, const ChannelCalibration* calibration, int sectionIndex) {
  HedFile file;
  if (calibration == nullptr || sectionIndex < 0 || !LoadForWrite(file, headerPath)) return 0;
  return WriteChannelCalibration(file, *calibration, sectionIndex) && file.Save() ? 1 : 0;
}

int ReadChannelCalibration(const std::string& headerPath, ChannelCalibration* calibration, int physicalChannel) {
  if (calibration == nullptr || physicalChannel < 1) return 0;
  HedFile file;
  file.Load(headerPath);
  const std::optional<HedSection> channel = FindChannelSection(file, physicalChannel);
  if (!channel) return 0;
  CHeader::ClearChannelCalibration(calibration);
  calibration->calFlag = channel->GetInt(ChannelKey::kCalFlag, "0") != 0 ? 1 : 0;
  calibration->shortTitle = channel->Get(ChannelKey::kTitleShort, "");
  calibration->coefficientCount = kCoefficientSlots;
  Coefficients& c = calibration->coefficients.emplace(kIdentityCoefficients);
  for (std::size_t i = 0; i < c.size(); ++i) {
    const std::string text = channel->Get(ChannelKey::kCoefficient0 + i, "");
    if (!text.empty()) c[i] = ParseHedDouble(text);
  }
  DefaultCalibrationCoefficients(c);
  ReadReferencePoints(file, *channel, *calibration);
  return 1;
}

bool WriteDefaultTrackSections(HedFile& file) {
  bool ok = true;
  for (unsigned n = 0; n < 4; ++n) {
    TrackRecord track;
    track.style = 256;
    track.type = n == 1 ? 1 : 2;
    track.gridFlag = n == 1 ? 0 : 1;
    track.gridStyle = 268435460;  // linear grid, bit 2
    ok = WriteTrack(file, TrackSection(n), track);
  }
  return ok;
}

int WriteDefaultTrackSections(const std::string& headerPath) {
  HedFile file;
  if (!LoadForWrite(file, headerPath)) return 0;
  return WriteDefaultTrackSections(file) && file.Save() ? 1 : 0;
}
