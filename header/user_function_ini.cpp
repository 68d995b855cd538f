#include "header/user_function_ini.h"

#include <string_view>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "header/text_lines.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "userfunc/user_function_record.h"

namespace {

constexpr unsigned kCannotCreateIni = 32115;
constexpr unsigned kCannotReadIni = 32178;
constexpr unsigned kWriteIniFailed = 32405;
constexpr unsigned kWrongIniVersion = 32406;
constexpr int kHeaderLineTracks = 20;  // tracks whose legend rows are counted

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether LINE is the key KEY (whole name, any case), not merely a line whose
// name or value holds the word.
bool IsKey(const std::string& line, const char* key) {
  const std::size_t eq = line.find('=');
  return eq != std::string::npos && qv::EqualNoCase(Trimmed(std::string_view(line).substr(0, eq)), key);
}

// Whether LINE opens a [Channel<n>] section: an output's name, unit or
// comment may hold the word "Channel" without starting one.
bool IsChannelSection(const std::string& line) {
  const std::string_view text = Trimmed(line);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return false;
  const std::string_view name = Trimmed(text.substr(1, text.size() - 2));
  constexpr std::string_view kChannel = "Channel";
  if (name.size() <= kChannel.size() || !qv::EqualNoCase(name.substr(0, kChannel.size()), kChannel)) return false;
  return name.find_first_not_of("0123456789", kChannel.size()) == std::string_view::npos;
}

bool WriteGeneral(TextLineFile& file, const UserFunctionRecord& r) {
  return WriteIniInt(file, "SondeID", static_cast<std::int32_t>(r.SondeID)) &&
         WriteIniInt(file, "Inputs", static_cast<std::int32_t>(r.Inputs)) &&
         WriteIniInt(file, "Outputs", static_cast<std::int32_t>(r.Outputs)) &&
         WriteIniString(file, "SondeSerialNo", r.SondeSN) && WriteIniString(file, "SondeAbbreviation", r.Abbrev) &&
         WriteIniString(file, "UPName", r.SymName) && WriteIniString(file, "UserDLL", r.FileName) &&
         WriteIniString(file, "Comment", r.Comment) && WriteIniBlankLine(file);
}

bool WriteChannels(TextLineFile& file, const CurveArray& curves) {
  int headerLines[kHeaderLineTracks] = {};
  int section = 0;
  for (const auto& curve : curves) {
    if (!curve || curve->physicalChannel == -1) continue;
    // The legend row is counted per track; a curve across tracks 2 and 3
    // takes a row in both.
    int headerLine = 0;
    if (curve->firstTrack >= 0 && curve->firstTrack < kHeaderLineTracks) headerLine = headerLines[curve->firstTrack]++;
    if (curve->firstTrack == 2 && curve->lastTrack == 3) ++headerLines[3];
    const bool ok =
        WriteIniIndexedSection(file, "Channel", section++) && WriteIniInt(file, "InvertScale", curve->scaleFlag) &&
        WriteIniInt(file, "Visible", curve->headerFlag) && WriteIniInt(file, "HeaderLine", headerLine) &&
        WriteIniInt(file, "DisplayTrack", EncodeDisplayTrack(*curve)) &&
        WriteIniString(file, "Title", curve->description) && WriteIniString(file, "TitleShort", curve->shortTitle) &&
        WriteIniString(file, "Unit", curve->unit) && WriteIniInt(file, "PhysicalCh", curve->physicalChannel) &&
        WriteIniInt(file, "LogicalCh", curve->logicalChannel) && WriteIniInt(file, "Window", curve->window) &&
        WriteIniUInt(file, "LineColour", curve->lineColour) &&
        WriteIniInt(file, "PrintParameter", curve->printLineStyle) &&
        WriteIniFloat(file, "RangeLeft", curve->scaleMinimum) &&
        WriteIniFloat(file, "RangeRight", curve->scaleMaximum) && WriteIniBlankLine(file);
    if (!ok) return false;
  }
  return true;
}

// The [General] keys of the previous file: from the key SondeID up to the
// first channel section.
bool CopyGeneral(TextLineFile& file, const std::vector<std::string>& old) {
  bool copying = false;
  for (const std::string& line : old) {
    if (!copying && IsKey(line, "SondeID")) copying = true;
    if (!copying) continue;
    if (IsChannelSection(line)) return true;
    if (!WriteTextLine(file, line + "\n")) return false;
  }
  return true;
}

// The channel sections of the previous file, each after a blank line.
bool CopyChannels(TextLineFile& file, const std::vector<std::string>& old) {
  bool copying = false;
  for (const std::string& line : old) {
    const bool channel = IsChannelSection(line);
    if (channel) copying = true;
    if (!copying) continue;
    if (channel && !WriteIniBlankLine(file)) return false;
    if (!WriteTextLine(file, line + "\n")) return false;
  }
  return true;
}

// Walks Channel0, 1, ... until a section without Title; visits the filter
// table entry of each section's output (PhysicalCh 1..16).
template <typename F>
void ForEachOutputSection(const HedFile& ini, F&& visit) {
  for (unsigned n = 0;; ++n) {
    const std::string section = ChannelSection(n);
    if (ini.Get(section, "Title", "").empty()) return;
    // Compared before the step to an index: no number a file holds overflows.
    const int channel = ini.GetInt(section, "PhysicalCh", "-1");
    if (channel >= 1 && channel <= kUserFunctionFilterTableSize) visit(section, channel - 1);
  }
}

}  // namespace

int CHeader::WriteUserFunctionIni(const std::string& path, const CurveArray* curves, const UserFunctionRecord* record) {
  const std::string ini = SiblingFor(path, ".ini");
  if (ini.empty()) return 0;
  // The previous file stays in place until the new one is complete; its
  // copy becomes the backup.
  std::string oldBytes;
  const bool hadOld = qv::ReadWholeFile(ini, oldBytes);
  TextLineFile file(ini);
  if (!file.Create()) {
    qv::ShowMessageId(kCannotCreateIni);
    return 0;
  }
  const std::vector<std::string> old = hadOld ? SplitLines(oldBytes) : std::vector<std::string>{};
  bool ok = WriteIniSection(file, "General") && WriteIniString(file, "Ident", kHeaderIdent);
  if (ok) ok = record != nullptr ? WriteGeneral(file, *record) : CopyGeneral(file, old);
  if (ok) ok = curves != nullptr ? WriteChannels(file, *curves) : CopyChannels(file, old);
  if (ok && hadOld) qv::WriteFileAtomically(SiblingFor(path, ".bak"), oldBytes);  // a missing backup is no error
  if (ok) ok = file.Commit();
  if (!ok) {
    file.Abort();
    qv::ShowMessageId(kWriteIniFailed);
    return 0;
  }
  return 1;
}

int CHeader::ReadUserFunctionIni(const std::string& path, CurveArray* curves, UserFunctionRecord* record) {
  const std::string iniPath = SiblingFor(path, ".ini");
  if (iniPath.empty()) return 0;
  HedFile ini;
  if (ini.Load(iniPath) != HedFile::LoadResult::kLoaded) {
    qv::ShowMessageId(kCannotReadIni);
    return 0;
  }
  if (ini.Get(kGeneral, "Ident", "") != kHeaderIdent) {
    qv::ShowMessageId(kWrongIniVersion);
    return 0;
  }
  if (curves != nullptr) {
    curves->clear();
    ForEachChannelSection(ini, [&](unsigned, const HedSection& channel) {
      auto curve = std::make_unique<CurveRecord>();
      ClearCurveRecord(curve.get());
      ReadCurveDisplay(channel, *curve);
      if (curve->shortTitle != "NULL") curves->push_back(std::move(curve));
    });
  }
  if (record != nullptr) {
    record->SondeID = static_cast<std::uint32_t>(ini.GetInt(kGeneral, "SondeID", "0"));
    record->Inputs = static_cast<std::uint32_t>(ini.GetInt(kGeneral, "Inputs", "0"));
    record->Outputs = static_cast<std::uint32_t>(ini.GetInt(kGeneral, "Outputs", "0"));
    record->SondeSN = ini.Get(kGeneral, "SondeSerialNo", "0");
    record->Abbrev = ini.Get(kGeneral, "SondeAbbreviation", "0");
    record->SymName = ini.Get(kGeneral, "UPName", "0");
    record->FileName = ini.Get(kGeneral, "UserDLL", "0");
    record->Comment = ini.Get(kGeneral, "Comment", "0");
  }
  return 1;
}

int LoadUserFunctionIni(const std::string& path, CurveArray* curves, UserFunctionRecord* record) {
  return CHeader().ReadUserFunctionIni(path, curves, record);
}

int SaveUserFunctionIni(const std::string& path, const CurveArray* curves, const UserFunctionRecord* record) {
  return CHeader().WriteUserFunctionIni(path, curves, record);
}

void ReadUserFunctionFilters(const std::string& path, UserFunctionFilter* table) {
  if (table == nullptr) return;
  for (int i = 0; i < kUserFunctionFilterTableSize; ++i) table[i] = UserFunctionFilter{};
  const std::string iniPath = SiblingFor(path, ".ini");
  if (iniPath.empty()) return;
  HedFile ini;
  if (ini.Load(iniPath) != HedFile::LoadResult::kLoaded) {
    qv::ShowMessageId(kCannotReadIni);
    return;
  }
  ForEachOutputSection(ini, [&](const std::string& section, int index) {
    const auto type = static_cast<std::uint8_t>(ini.GetInt(section, "FilterType", "0"));
    table[index].FilterType = type > 4 ? 0 : type;
    table[index].FilterWidth = ini.GetInt(section, "FilterWidth", "0") / 2 * 2 + 1;
  });
}

void WriteUserFunctionFilters(const std::string& path, UserFunctionFilter* table) {
  const std::string iniPath = SiblingFor(path, ".ini");
  HedFile ini;
  if (table == nullptr || iniPath.empty() || ini.Load(iniPath) != HedFile::LoadResult::kLoaded) return;
  ForEachOutputSection(ini, [&](const std::string& section, int index) {
    UserFunctionFilter& entry = table[index];
    if (entry.FilterType > 4) entry = UserFunctionFilter{};
    ini.SetInt(section, "FilterType", entry.FilterType);
    ini.SetInt(section, "FilterWidth", entry.FilterWidth);
  });
  ini.Save();
}
