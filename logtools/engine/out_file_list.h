// The output channels of a merge: a fixed table whose position p is output
// channel p + 1. Each used entry names the input slot and the input channel
// (counted from 0) it comes from and the titles it gets in the merged log.
#pragma once

#include <string>
#include <vector>

namespace qv {

struct OutFileEntry {
  int nInFile = -1;    // input slot 0 to 3; -1: free
  int nInChannel = 0;  // input channel minus one
  int outChannel = 0;  // position + 1, fixed
  std::string shortTitle;
  std::string title;
  int active = 0;
  std::string label;  // "slot.channel", both counted from 1
};

class COutFileList {
 public:
  static const char* const kFreeShortTitle;  // 23 dots
  static const char* const kFreeLabel;

  explicit COutFileList(int count = 12);

  // Fills the entry at OUT_CHANNEL - 1, or the first free entry for -1.
  // Refused (0): no free entry, the short title already in the list (any
  // letter case), or an asked position that is outside the list or taken.
  int Add(int channel, int slot, const std::string& shortTitle, const std::string& title, int active,
          int outChannel = -1);
  int Remove(int channel, int slot);
  int Rename(int channel, int slot, const std::string& shortTitle);
  void RemoveFile(int slot);
  int Contains(int channel, int slot) const;
  int ShortTitleExists(const std::string& shortTitle) const;
  // COUNT gets the number of active entries; 1 when every entry is active.
  int CountActive(int* count) const;
  bool IsEmpty() const;
  bool IsFull() const;

  int GetCount() const { return static_cast<int>(entries_.size()); }
  // Accessors by position; a position outside the list gives a free entry.
  const OutFileEntry& GetEntry(int pos) const;
  const std::string& GetShortTitle(int pos) const { return GetEntry(pos).shortTitle; }
  const std::string& GetTitle(int pos) const { return GetEntry(pos).title; }
  int GetInFile(int pos) const { return GetEntry(pos).nInFile; }
  const std::string& GetLabel(int pos) const { return GetEntry(pos).label; }
  int GetActive(int pos) const { return GetEntry(pos).active; }
  void SetActive(int pos, int active);

 private:
  void Reset(int pos);
  std::vector<OutFileEntry> entries_;
  OutFileEntry none_;
};

}  // namespace qv
