// The "Data Channels" page of the sonde database editor: the sonde's channels
// in a tree, and the descriptive fields of the channel chosen in it (name,
// short name, unit, depth offset, raw-data filter, value range).
#pragma once

#include <QAbstractSlider>
#include <memory>
#include <string>

#include "platform/docview/dialog.h"
#include "sondedb/sondedb.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;
class CSondeDBSheet;

// The channel tree both editor pages show: a root "Physical channel" with the
// sonde's data channels (a channel with a non-zero Window hangs under the
// top channel before it), and, for a sonde with a user function, a second
// root with that function's channels. Root items carry no channel.
namespace sondetree {
// The channel key of an item; -1 for a root item or none.
int ChannelOf(const QTreeWidgetItem* item);
// Rebuilds the tree; returns the item to select first (null when none).
// Database errors are shown.
QTreeWidgetItem* Fill(QTreeWidget* tree, qv::SondeDatabase* db, int sondeKey, int userFunction);
}  // namespace sondetree

class CSondeDBPage2 : public qv::PropertyPage {
  Q_OBJECT
 public:
  explicit CSondeDBPage2(QWidget* parent = nullptr);
  ~CSondeDBPage2() override;
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override { return SaveChannel() != 0; }
  int SaveChannel();
  void FillChannelTree();
  void OnSelchangedChannelTree(QTreeWidgetItem* item);
  void OnVScroll(QAbstractSlider::SliderAction action);
  void OnFilterTypeChanged();

  QTreeWidget* Tree() const { return tree_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ShortNameEdit() const { return short_; }
  QLineEdit* UnitEdit() const { return unit_; }
  QLineEdit* OffsetEdit() const { return offset_; }
  QLineEdit* MinimumEdit() const { return minimum_; }
  QLineEdit* MaximumEdit() const { return maximum_; }
  QLineEdit* NullEdit() const { return null_; }
  QComboBox* FilterTypeList() const { return filterType_; }
  QScrollBar* FilterParameterBar() const { return filterBar_; }
  QLabel* FilterParameterText() const { return filterValue_; }
  // The channel key shown, -1 when none.
  int ShownChannel() const { return shown_; }

  std::string m_strHeaderDescription, m_strHeaderShort, m_strUnit;
  int m_nOffset = 0;
  double m_dMinimum = 0, m_dMaximum = 0, m_dNull = 0;
  int m_nSondeId = 0;
  int m_nUserFunction = 0;
  bool m_bModified = false;

 private:
  void ShowFilterParameter(bool show);
  void EnableFields(bool enable);
  CSondeDBSheet* m_pSheet = nullptr;
  std::unique_ptr<qv::SondeRecordset> m_pChannelRecordset;
  int shown_ = -1;
  bool loading_ = false;
  bool scrolling_ = false;
  QTreeWidget* tree_;
  QLineEdit *name_, *short_, *unit_, *offset_, *minimum_, *maximum_, *null_;
  QComboBox* filterType_;
  QScrollBar* filterBar_;
  QLabel *filterLabel_, *filterValue_;
};
