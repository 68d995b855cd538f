// Everything the merge dialog decides, without widgets: the four input slots
// with their channels, the output channel list, the header source, the user
// function, the merged file, and the merge templates that store a selection.
// The dialog shows this state and forwards its controls' events here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "logtools/engine/merge.h"
#include "logtools/engine/out_file_list.h"
#include "logtools/engine/tool_dialogs.h"

namespace qv {

// One channel of an input log as the merge dialog offers it.
struct InputChannel {
  std::string shortTitle;
  std::string title;
  std::string newShortTitle;
  std::string newTitle;
  int renamed = 0;
};

// The check box of one input channel.
struct ChannelBox {
  std::string text;
  bool enabled = false;
  bool checked = false;
};

// What the merge selection asks of its dialog.
class MergeHost {
 public:
  virtual ~MergeHost() = default;
  virtual std::optional<std::string> AskFile(const ToolFileRequest& request) = 0;
  // The rename dialog: starts from the old titles; false after Cancel.
  virtual bool AskRename(const std::string& shortTitle, const std::string& title, bool titleExists,
                         std::string* newShortTitle, std::string* newTitle) = 0;
  virtual void BeginWait() {}
  virtual void EndWait() {}
};

// Which rename field is wrong: 0 none, else the control id that gets the focus.
int CheckRename(const std::string& newShortTitle, const std::string& newTitle, const std::string& shortTitle,
                bool titleExists);

class MergeSelection {
 public:
  static constexpr int kSlots = 4;
  static constexpr int kChannels = 12;
  static const char* const kNoFileName;  // 21 dots

  explicit MergeSelection(MergeHost& host);

  // The dialog's start: every slot cleared, the user functions listed.
  void Initialise();
  void FillUserFunctionList();
  // Select button of slot S: file dialog, then the load, then the slot's X
  // button follows whether the slot holds a file.
  void OnSelect(int slot);
  // X button of slot S.
  void OnRemove(int slot) { EnableInputSlot(slot, false); }
  int LoadInputFile(int slot, const std::string& path);
  void EnableInputSlot(int slot, bool on);
  // A click on a channel's box (it has changed its check state already);
  // the result 0 unchecks it.
  int ToggleOutputChannel(int slot, int channel);
  void OnChannelClicked(int slot, int channel);
  void BrowseOutputFile();
  void UpdateHeaderSource();
  void SetHeaderSlot(int slot);
  // The attach box: refused while no user function is selected.
  void SetAttach(bool on);
  int BuildMergeParameters();
  // OK: validate and merge; true when the dialog ends.
  bool CreateMergeLog();
  void SaveTemplate();
  void LoadTemplate();
  void ClearAllOutputs();

  // State shown by the dialog.
  const COutFileList& OutputList() const { return outList_; }
  const ChannelBox& Box(int slot, int channel) const { return boxes_[slot][channel]; }
  const InputChannel& Channel(int slot, int channel) const { return table_[slot][channel]; }
  const std::string& InputName(int slot) const { return inputName_[slot]; }
  const std::string& InputPath(int slot) const { return inputPath_[slot]; }
  bool SlotHoldsFile(int slot) const { return !inputPath_[slot].empty(); }
  int RecordKind(int slot) const { return recordKind_[slot]; }
  int HeaderSlot() const { return headerSlot_; }
  int Attach() const { return attach_; }
  const std::string& OutputName() const { return outputName_; }
  const std::string& OutputPath() const { return outputPath_; }
  void SetOutputName(const std::string& name) { outputName_ = name; }
  const std::vector<std::string>& UserFunctionNames() const { return userNames_; }
  const std::vector<std::string>& UserLibraries() const { return userLibraries_; }
  int UserSelection() const { return userSelection_; }
  void SetUserSelection(int index) { userSelection_ = index; }
  const MergeParameters& Parameters() const { return params_; }

 private:
  static bool SlotOk(int slot) { return slot >= 0 && slot < kSlots; }
  static bool ChannelOk(int channel) { return channel >= 0 && channel < kChannels; }
  std::string SondeOf(int slot) const;
  void AskRename(InputChannel& entry, bool exists);
  // Adds the channel with its titles (renamed when its short title is taken).
  int AddChannel(int slot, int channel, int outChannel);

  MergeHost& host_;
  int headerSlot_ = -1;
  std::string outputName_;
  int attach_ = 0;
  MergeParameters params_;
  std::string outputPath_;
  std::array<std::array<InputChannel, kChannels>, kSlots> table_{};
  std::array<std::array<ChannelBox, kChannels>, kSlots> boxes_{};
  COutFileList outList_{kChannels};
  std::vector<std::string> userLibraries_;
  std::vector<std::string> userNames_;
  int userSelection_ = -1;
  std::array<std::string, kSlots> inputName_;
  std::array<std::string, kSlots> inputPath_;
  int depthUnit_ = -1;
  std::array<int, kSlots> recordKind_{};
};

}  // namespace qv
