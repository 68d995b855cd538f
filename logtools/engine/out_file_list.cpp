#include "logtools/engine/out_file_list.h"

#include <cstdio>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace qv {

const char* const COutFileList::kFreeShortTitle = ".......................";
const char* const COutFileList::kFreeLabel = "-.-";

COutFileList::COutFileList(int count) : entries_(count > 0 ? count : 0) {
  for (int i = 0; i < GetCount(); ++i) {
    entries_[i].outChannel = i + 1;
    Reset(i);
  }
  none_.shortTitle = kFreeShortTitle;
  none_.label = kFreeLabel;
}

void COutFileList::Reset(int pos) {
  OutFileEntry& e = entries_[pos];
  e.nInFile = -1;
  e.nInChannel = 0;
  e.shortTitle = kFreeShortTitle;
  e.title.clear();
  e.active = 0;
  e.label = kFreeLabel;
}

int COutFileList::Add(int channel, int slot, const std::string& shortTitle, const std::string& title, int active,
                      int outChannel) {
  if (IsFull()) {
    Trace("COutFileList::Add - No free list entry found\n");
    return 0;
  }
  if (ShortTitleExists(shortTitle)) {
    Trace("COutFileList::Add - Item already in list\n");
    return 0;
  }
  int pos = -1;
  if (outChannel == -1) {
    for (int i = 0; i < GetCount() && pos < 0; ++i)
      if (entries_[i].nInFile < 0) pos = i;
  } else if (outChannel >= 1 && outChannel <= GetCount() && entries_[outChannel - 1].nInFile < 0) {
    pos = outChannel - 1;
  }
  if (pos < 0) return 0;
  OutFileEntry& e = entries_[pos];
  e.nInFile = slot;
  e.nInChannel = channel;
  e.shortTitle = shortTitle;
  e.title = title;
  e.active = active;
  std::string fmt = LoadFileString(32412);
  e.label = std::to_string(slot + 1) + "." + std::to_string(channel + 1);
  if (!fmt.empty()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt.c_str(), slot + 1, channel + 1);
    e.label = buf;
  }
  return 1;
}

int COutFileList::Remove(int channel, int slot) {
  for (int i = 0; i < GetCount(); ++i) {
    if (entries_[i].nInFile == slot && entries_[i].nInChannel == channel) {
      Reset(i);
      return 1;
    }
  }
  Trace("COutFileList::Remove - No entry found (nInChannel == %d && nInFile == %d)\n", channel, slot);
  return 0;
}

int COutFileList::Rename(int channel, int slot, const std::string& shortTitle) {
  if (shortTitle.empty()) return 0;
  for (auto& e : entries_) {
    if (e.nInFile == slot && e.nInChannel == channel) {
      e.shortTitle = shortTitle;
      return 1;
    }
  }
  Trace("COutFileList::Rename - No entry found (nInChannel == %d && nInFile == %d)\n", channel, slot);
  return 0;
}

void COutFileList::RemoveFile(int slot) {
  for (int i = 0; i < GetCount(); ++i)
    if (entries_[i].nInFile == slot) Reset(i);
}

int COutFileList::Contains(int channel, int slot) const {
  for (const auto& e : entries_)
    if (e.nInFile == slot && e.nInChannel == channel) return 1;
  return 0;
}

int COutFileList::ShortTitleExists(const std::string& shortTitle) const {
  for (const auto& e : entries_)
    if (e.nInFile >= 0 && EqualNoCase(e.shortTitle, shortTitle)) return 1;
  return 0;
}

int COutFileList::CountActive(int* count) const {
  int n = 0;
  for (const auto& e : entries_) n += e.active ? 1 : 0;
  if (count) *count = n;
  return n == GetCount() ? 1 : 0;
}

bool COutFileList::IsEmpty() const {
  for (const auto& e : entries_)
    if (e.nInFile >= 0) return false;
  return true;
}

bool COutFileList::IsFull() const {
  for (const auto& e : entries_)
    if (e.nInFile < 0) return false;
  return true;
}

const OutFileEntry& COutFileList::GetEntry(int pos) const {
  return pos >= 0 && pos < GetCount() ? entries_[pos] : none_;
}

void COutFileList::SetActive(int pos, int active) {
  if (pos >= 0 && pos < GetCount()) entries_[pos].active = active;
}

}  // namespace qv
