#include "logtools/engine/merge_selection.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "logtools/engine/staged_output.h"
#include "logtools/engine/tool_type.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "userfunc/user_function_files.h"

namespace qv {

const char* const MergeSelection::kNoFileName = ".....................";

namespace {

constexpr unsigned kFilterLogs = 32381;
constexpr unsigned kFilterMerged = 32421;
constexpr unsigned kFilterTemplates = 32427;

constexpr unsigned kCannotCreateFile = 32407;

std::string TemplateFolder() {
  return ProgramDataFolder();
}

bool FolderExists(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(FindFileNoCase(folder), ec);
}

// A merge template's text: sections in order, keys in order, CR LF lines.
class IniText {
 public:
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    for (auto& s : sections_) {
      if (s.name != section) continue;
      for (auto& kv : s.keys)
        if (kv.first == key) {
          kv.second = value;
          return;
        }
      s.keys.emplace_back(key, value);
      return;
    }
    sections_.push_back({section, {{key, value}}});
  }
  std::string Get(const std::string& section, const std::string& key) const {
    for (const auto& s : sections_)
      if (s.name == section)
        for (const auto& kv : s.keys)
          if (kv.first == key) return kv.second;
    return {};
  }
  std::string Text() const {
    std::string out;
    for (const auto& s : sections_) {
      out += "[" + s.name + "]\r\n";
      for (const auto& kv : s.keys) out += kv.first + "=" + kv.second + "\r\n";
    }
    return out;
  }

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Section> sections_;
};

std::string AfterLastSeparator(const std::string& path) {
  std::size_t s = path.find_last_of("/\\");
  return s == std::string::npos ? path : path.substr(s + 1);
}

}  // namespace

int CheckRename(const std::string& newShortTitle, const std::string& newTitle, const std::string& shortTitle,
                bool titleExists) {
  if (newShortTitle.empty() || (titleExists && newShortTitle == shortTitle)) return 2587;
  if (newTitle.empty()) return 2584;
  return 0;
}

MergeSelection::MergeSelection(MergeHost& host) : host_(host), outputName_(kNoFileName) {}

void MergeSelection::Initialise() {
  for (int s = 0; s < kSlots; ++s) EnableInputSlot(s, false);
  FillUserFunctionList();
}

void MergeSelection::FillUserFunctionList() {
  userLibraries_.clear();
  userNames_.clear();
  for (UserFunctionChoice& c : FindUserFunctions(UserFunctionFolder(), "MRGE")) {
    userLibraries_.push_back(std::move(c.libraryPath));
    userNames_.push_back(std::move(c.name));
  }
  userSelection_ = userLibraries_.empty() ? -1 : 0;
}

void MergeSelection::OnSelect(int slot) {
  if (!SlotOk(slot)) return;
  ToolFileRequest request;
  request.filterId = kFilterLogs;
  request.initialName = inputName_[slot];
  request.initialFolder = DataFolderForDialogs();
  request.fileMustExist = true;
  if (std::optional<std::string> path = host_.AskFile(request)) {
    SetDefaultDataFolder(FolderWithSeparator(*path));
    const std::string name = FileNamePart(*path);
    if (!path->empty() && !name.empty() && LoadInputFile(slot, *path)) {
      inputName_[slot] = name;
      inputPath_[slot] = *path;
      const std::size_t dot = name.rfind('.');
      recordKind_[slot] = dot != std::string::npos && EqualNoCase(name.substr(dot + 1), "LGX") ? 1 : 0;
    }
  }
  EnableInputSlot(slot, !inputPath_[slot].empty());
}

int MergeSelection::LoadInputFile(int slot, const std::string& path) {
  if (!SlotOk(slot)) return 0;
  // A log already loaded stays where it is; loading it again would only give
  // its channels twice.
  for (int s = 0; s < kSlots; ++s) {
    if (!inputPath_[s].empty() && EqualNoCase(inputPath_[s], path)) {
      ShowToolMessage(32390, MB_OK);
      return 0;
    }
  }
  const std::string header = HeaderPathOf(path);
  if (!HasExtension(path) || !FileExists(header)) {
    ShowToolMessage(32388, MB_OK);
    return 0;
  }
  const int logMode = GetPrivateProfileInt("WellInfo", "LogMode", -1, header);
  if (logMode != 11 && logMode != 12) {
    ShowToolMessage(32391, MB_OK);
    return 0;
  }
  const int unit = GetPrivateProfileInt("WellInfo", "DepthUnit", -1, header);
  bool anyFile = false;
  for (const auto& p : inputPath_) anyFile = anyFile || !p.empty();
  if (unit == -1 || (anyFile && unit != depthUnit_)) {
    ShowToolMessage(32392, MB_OK);
    return 0;
  }
  // The merge reads six- and twelve-channel records on a depth grid: sonic
  // records and logs without a positive step cannot be merged.
  if (GetFileToolType(path) == kToolSonic || GetPrivateProfileInt("WellInfo", "Step", 0, header) <= 0) {
    ShowToolMessage(32388, MB_OK);
    return 0;
  }
  depthUnit_ = unit;
  EnableInputSlot(slot, false);
  table_[slot] = {};
  for (int i = 0;; ++i) {
    const std::string section = "Channel" + std::to_string(i);
    char keys[256];
    if (GetPrivateProfileString(section.c_str(), nullptr, "", keys, sizeof keys, header) == 0) break;
    const int physical = GetPrivateProfileInt(section.c_str(), "PhysicalCh", -1, header);
    std::string shortTitle = GetProfileText(header, section, "TitleShort", "", 100);
    if (shortTitle.empty()) shortTitle = "CH" + std::to_string(physical);
    const std::string title = GetProfileText(header, section, "Title", "", 100);
    if (physical < 1 || physical > kChannels) continue;
    table_[slot][physical - 1].shortTitle = shortTitle;
    table_[slot][physical - 1].title = title;
    boxes_[slot][physical - 1].text = shortTitle;
    boxes_[slot][physical - 1].enabled = true;
  }
  return 1;
}

void MergeSelection::EnableInputSlot(int slot, bool on) {
  if (!SlotOk(slot)) return;
  if (!on) {
    for (auto& box : boxes_[slot]) box = ChannelBox{};
    inputName_[slot].clear();
    inputPath_[slot].clear();
    recordKind_[slot] = 0;
    outList_.RemoveFile(slot);
  }
  UpdateHeaderSource();
}

void MergeSelection::UpdateHeaderSource() {
  if (SlotOk(headerSlot_) && SlotHoldsFile(headerSlot_)) return;
  headerSlot_ = -1;
  for (int s = 0; s < kSlots && headerSlot_ < 0; ++s)
    if (SlotHoldsFile(s)) headerSlot_ = s;
}

void MergeSelection::SetHeaderSlot(int slot) {
  headerSlot_ = SlotOk(slot) ? slot : -1;
  UpdateHeaderSource();
}

void MergeSelection::SetAttach(bool on) {
  attach_ = on && userSelection_ >= 0 ? 1 : 0;
}

void MergeSelection::AskRename(InputChannel& entry, bool exists) {
  std::string newShort = entry.shortTitle, newTitle = entry.title;
  if (host_.AskRename(entry.shortTitle, entry.title, exists, &newShort, &newTitle)) {
    entry.newShortTitle = newShort;
    entry.newTitle = newTitle;
    entry.renamed = 1;
  }
}

int MergeSelection::AddChannel(int slot, int channel, int outChannel) {
  InputChannel& entry = table_[slot][channel];
  std::string shortTitle = entry.shortTitle, title = entry.title;
  if (outList_.ShortTitleExists(shortTitle)) {
    AskRename(entry, true);
    if (entry.renamed) {
      shortTitle = entry.newShortTitle;
      title = entry.newTitle;
    }
  }
  if (outList_.IsFull()) return 0;
  return outList_.Add(channel, slot, shortTitle, title, 1, outChannel);
}

int MergeSelection::ToggleOutputChannel(int slot, int channel) {
  if (!SlotOk(slot) || !ChannelOk(channel) || !boxes_[slot][channel].enabled) return 0;
  if (outList_.Contains(channel, slot)) {
    outList_.Remove(channel, slot);
    return 0;
  }
  return AddChannel(slot, channel, -1);
}

void MergeSelection::OnChannelClicked(int slot, int channel) {
  if (!SlotOk(slot) || !ChannelOk(channel)) return;
  boxes_[slot][channel].checked = ToggleOutputChannel(slot, channel) != 0;
}

void MergeSelection::BrowseOutputFile() {
  ToolFileRequest request;
  request.save = true;
  request.filterId = kFilterMerged;
  request.defaultExt = "LGX";
  request.initialName = outputName_;
  request.initialFolder = DataFolderForDialogs();
  request.overwritePrompt = true;
  if (std::optional<std::string> path = host_.AskFile(request)) {
    SetDefaultDataFolder(FolderWithSeparator(*path));
    outputPath_ = *path;
    outputName_ = FileNamePart(*path);
  }
}

int MergeSelection::BuildMergeParameters() {
  if (outputPath_.empty()) {
    ShowToolMessage(32386, MB_OK);
    return 0;
  }
  if (outList_.IsEmpty()) {
    ShowToolMessage(32385, MB_OK);
    return 0;
  }
  if (!SlotOk(headerSlot_) || !SlotHoldsFile(headerSlot_)) {
    ShowToolMessage(32420, MB_OK);
    return 0;
  }
  params_ = MergeParameters{};
  for (int pos = 0; pos < outList_.GetCount(); ++pos) {
    const OutFileEntry& e = outList_.GetEntry(pos);
    if (!e.active || !SlotOk(e.nInFile)) continue;
    MergeChannel c;
    c.shortTitle = e.shortTitle;
    c.title = e.title;
    c.inFile = e.nInFile;
    c.inputPath = inputPath_[e.nInFile];
    c.recordKind = recordKind_[e.nInFile];
    c.inChannel = e.nInChannel + 1;
    c.outChannel = e.outChannel;
    params_.channels.push_back(c);
  }
  params_.outputPath = outputPath_;
  params_.headerSource = inputPath_[headerSlot_];
  params_.channelCount = static_cast<int>(params_.channels.size());
  params_.userLibrary = userSelection_ >= 0 && userSelection_ < static_cast<int>(userLibraries_.size())
                            ? userLibraries_[userSelection_]
                            : std::string();
  params_.userFlag = attach_;
  return 1;
}

bool MergeSelection::CreateMergeLog() {
  if (!BuildMergeParameters()) return false;
  host_.BeginWait();
  const int ok = MergeLogFiles(&params_);
  host_.EndWait();
  if (!ok) ShowToolMessage(32393, MB_OK | MB_ICONSTOP);
  return ok != 0;
}

std::string MergeSelection::SondeOf(int slot) const {
  if (!SlotHoldsFile(slot)) return {};
  return GetProfileText(HeaderPathOf(inputPath_[slot]), "WellInfo", "SondeAbbreviation", "", 256);
}

void MergeSelection::SaveTemplate() {
  if (!BuildMergeParameters()) return;
  ToolFileRequest request;
  request.save = true;
  request.filterId = kFilterTemplates;
  request.defaultExt = "TPL";
  request.initialFolder = TemplateFolder();
  request.overwritePrompt = true;
  std::optional<std::string> path = host_.AskFile(request);
  if (!path) return;
  IniText ini;
  ini.Set("General", "UserProcessFlag", std::to_string(attach_));
  ini.Set("General", "UserDLL", params_.userLibrary);
  ini.Set("General", "FileName", outputName_);
  ini.Set("General", "FilePath", params_.outputPath);
  ini.Set("General", "Header", std::to_string(headerSlot_));
  for (const MergeChannel& c : params_.channels) {
    auto append = [&](const std::string& section, const std::string& key, const std::string& item) {
      const std::string old = ini.Get(section, key);
      ini.Set(section, key, old.empty() ? item : old + " " + item);
    };
    append("General", "MrgeChannels",
           std::to_string(c.inFile) + "." + std::to_string(c.inChannel) + "." + std::to_string(c.outChannel));
    const std::string file = "File" + std::to_string(c.inFile);
    ini.Set(file, "SondeAbbreviation", SondeOf(c.inFile));
    ini.Set(file, "ChannelCnt", c.recordKind ? "12" : "6");
    append(file, "SrcChannels", std::to_string(c.inChannel));
  }
  // The template replaces an earlier file of the name whole; a template that
  // could not be written is said so, the earlier file stays as it was.
  if (!WriteFileAtomically(*path, ini.Text()))
    ShowMessageText(kCannotCreateFile, FormatC(LoadString(kCannotCreateFile).c_str(), path->c_str()));
}

void MergeSelection::ClearAllOutputs() {
  for (auto& slot : boxes_)
    for (auto& box : slot) box.checked = false;
  for (int s = 0; s < kSlots; ++s) outList_.RemoveFile(s);
  UpdateHeaderSource();
}

void MergeSelection::LoadTemplate() {
  ToolFileRequest request;
  request.filterId = kFilterTemplates;
  request.defaultExt = "TPL";
  request.initialFolder = TemplateFolder();
  request.fileMustExist = true;
  std::optional<std::string> path = host_.AskFile(request);
  if (!path) return;
  const std::string& tpl = *path;
  ClearAllOutputs();
  const int templateHeader = GetPrivateProfileInt("General", "Header", -1, tpl);
  attach_ = AtoiC(GetProfileText(tpl, "General", "UserProcessFlag", "", 256).c_str()) != 0 ? 1 : 0;
  const std::string library = GetProfileText(tpl, "General", "UserDLL", "", 1024);
  if (library.empty()) {
    attach_ = 0;
  } else {
    int match = -1;
    for (std::size_t i = 0; i < userLibraries_.size() && match < 0; ++i)
      if (EqualNoCase(AfterLastSeparator(userLibraries_[i]), AfterLastSeparator(library))) match = static_cast<int>(i);
    if (match >= 0 && attach_)
      userSelection_ = match;
    else
      attach_ = 0;
  }
  outputName_ = GetProfileText(tpl, "General", "FileName", "", 1024);
  outputPath_ = FromStoredPath(GetProfileText(tpl, "General", "FilePath", "", 1024));
  if (!outputPath_.empty() && !FolderExists(FolderPart(outputPath_))) {
    // A template made on another machine (or for a folder since removed):
    // its output path is no place to write to here, so the user picks one;
    // without a pick there is no output file.
    outputPath_.clear();
    BrowseOutputFile();
    if (outputPath_.empty()) outputName_ = kNoFileName;
  } else if (!outputPath_.empty() && FileExists(FindFileNoCase(outputPath_)) &&
             ShowToolMessage(32428, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    BrowseOutputFile();
  }

  // Where the template's slots are now: the slot itself when it holds a log
  // of the recorded sonde, else the first slot that does.
  std::array<int, kSlots> placed;
  placed.fill(-2);
  std::istringstream items(GetProfileText(tpl, "General", "MrgeChannels", "", 256));
  std::string item;
  while (items >> item) {
    int f = 0, c = 0, o = 0;
    if (std::sscanf(item.c_str(), "%d.%d.%d", &f, &c, &o) != 3) break;
    if (!SlotOk(f) || o < 1 || o > kChannels || c < 1) continue;
    const std::string file = "File" + std::to_string(f);
    const std::string sonde = GetProfileText(tpl, file, "SondeAbbreviation", "", 256);
    const int count = GetPrivateProfileInt(file.c_str(), "ChannelCnt", 0, tpl);
    if (c > count || c > kChannels) continue;
    --c;
    if (placed[f] == -2) {
      placed[f] = -1;
      if (SlotHoldsFile(f) && EqualNoCase(SondeOf(f), sonde)) placed[f] = f;
      for (int s = 0; s < kSlots && placed[f] < 0; ++s)
        if (SlotHoldsFile(s) && EqualNoCase(SondeOf(s), sonde)) placed[f] = s;
    }
    const int slot = placed[f];
    if (slot < 0 || !boxes_[slot][c].enabled) continue;
    boxes_[slot][c].checked = AddChannel(slot, c, o) != 0;
  }
  // The header follows its slot's log when that log was found in another slot.
  headerSlot_ = SlotOk(templateHeader) && placed[templateHeader] >= 0 ? placed[templateHeader] : templateHeader;
  UpdateHeaderSource();
}

}  // namespace qv
