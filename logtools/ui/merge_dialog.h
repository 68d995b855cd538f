// The dialog "Merge Log Files" and its rename dialog. The dialog only shows
// the merge selection (logtools/engine/merge_selection.h) and forwards its
// controls' events to it. Controls carry their resource ids as object names.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "logtools/engine/merge_selection.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

// "Rename Channel": a new short title (at most 4 characters) and title for a
// channel whose short title is taken.
class CMergeRenameChannel : public QDialog {
  Q_OBJECT
 public:
  CMergeRenameChannel(const std::string& shortTitle, const std::string& title, bool titleExists,
                      QWidget* parent = nullptr);
  std::string NewShortTitle() const;
  std::string NewTitle() const;
  void accept() override;

 private:
  std::string shortTitle_;
  bool titleExists_;
  QLineEdit* newTitle_;
  QLineEdit* newShort_;
};

// Tests answer the rename dialog through this handler instead of a modal run.
using RenameHandler = std::function<bool(const std::string& shortTitle, const std::string& title, bool exists,
                                         std::string* newShort, std::string* newTitle)>;
RenameHandler SetRenameHandler(RenameHandler handler);

class CMergeLog : public QDialog, private MergeHost {
  Q_OBJECT
 public:
  explicit CMergeLog(QWidget* parent = nullptr);

  // After the dialog ended with OK: the merged log to open for replay.
  const std::string& OutputPath() const { return selection_.OutputPath(); }
  const std::string& OutputName() const { return selection_.OutputName(); }
  MergeSelection& Selection() { return selection_; }

  void accept() override;

 private:
  std::optional<std::string> AskFile(const ToolFileRequest& request) override;
  bool AskRename(const std::string& shortTitle, const std::string& title, bool titleExists, std::string* newShortTitle,
                 std::string* newTitle) override;
  void BeginWait() override;
  void EndWait() override;
  // Shows the selection in the controls.
  void Refresh();

  MergeSelection selection_{*this};
  std::array<QLabel*, 4> names_{};
  std::array<QPushButton*, 4> removes_{};
  std::array<std::array<QCheckBox*, 12>, 4> boxes_{};
  std::array<QLabel*, 12> rowTitles_{};
  std::array<QLabel*, 12> rowLabels_{};
  QLineEdit* outputName_;
  QComboBox* headerSource_;
  QComboBox* userFunctions_;
  QCheckBox* attach_;
};

}  // namespace qv
