// The "Display Layout / Channel-To-Track-Assignment" page of the sonde
// database editor: in which track (or pair of tracks) and on which header
// line each channel is drawn, with its curve colour, print line style and
// scale direction, and the grid of its track. The tracks are the columns of
// a grid; clicking a cell places or removes the channel shown.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/docview/dialog.h"
#include "platform/grid/grid.h"
#include "sondedb/sondedb.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class CLineStyleBox;
class CSondeDBSheet;

// Where one channel of the sonde is drawn.
struct ChannelTrackAssignment {
  int channel = 0;      // CHANNEL key
  int firstColumn = 0;  // grid column of the start track
  int lastColumn = 0;   // grid column of the end track (the first for one track)
  int headerLine = 0;   // grid row - 1
  int physical = 0;     // CHANNELPHYSIC
  bool assigned = false;
  std::string name;
};

class CSondeDBPage3 : public qv::PropertyPage {
  Q_OBJECT
 public:
  static constexpr int kGridRows = 7;  // the heading row and six header lines

  explicit CSondeDBPage3(QWidget* parent = nullptr);
  ~CSondeDBPage3() override;
  bool OnInitDialog() override;
  void DoDataExchange(qv::DataExchange& dx) override;
  bool OnKillActive() override { return SaveChannel(true) != 0; }

  int SaveChannel(bool ask);
  void UpdateGridCtrl(bool apply);
  void Insert(bool isNew);
  void Remove();
  void RefreshGrid();
  void ClearGrid();
  void LoadAssignments();
  ChannelTrackAssignment* FindAssignment();
  void FillChannelTree();
  void OnSelchangedChannelTree(QTreeWidgetItem* item);
  void OnClickGrid() { UpdateGridCtrl(true); }
  void OnKeyPressGrid(char16_t key);
  void OnCurveColor();
  void OnGridColor();
  void OnShowGrid();

  QTreeWidget* Tree() const { return tree_; }
  qv::Grid& Grid() { return *grid_; }
  QTableWidget* GridWidget() const { return table_; }
  CLineStyleBox* StyleList() const { return styles_; }
  QCheckBox* ShowGridBox() const { return showGrid_; }
  QCheckBox* ReverseScaleBox() const { return reverse_; }
  QRadioButton* LinearButton() const { return linear_; }
  QRadioButton* LogarithmicButton() const { return log_; }
  QPushButton* CurveColorButton() const { return curveColour_; }
  QPushButton* GridColorButton() const { return gridColour_; }
  QFrame* CurveSwatch() const { return curveSwatch_; }
  QFrame* GridSwatch() const { return gridSwatch_; }
  const std::vector<ChannelTrackAssignment>& Assignments() const { return m_assignments; }

  int m_nSondeId = 0;
  int m_nUserFunction = 0;
  int m_nChannel = -1;
  std::string m_strChannelName;
  bool m_bModified = false;
  int m_bShowGrid = 0;
  int m_nScale = -1;  // 0 linear, 1 logarithmic
  int m_bReverseScale = 0;
  std::uint32_t m_crCurve = 0;
  std::uint32_t m_crGrid = 0;

 private:
  bool Televiewer() const;
  bool FullWaveSonic() const;
  void ShowGridControls(bool show);
  void PaintSwatches();
  void ChooseColour(std::uint32_t& colour);
  void Changed();
  // Runs a query on the column recordset; true with exactly one row.
  bool OpenOne(const std::string& sql);

  CSondeDBSheet* m_pSheet = nullptr;
  std::unique_ptr<qv::SondeRecordset> m_pColumnRecordset;
  std::vector<ChannelTrackAssignment> m_assignments;
  std::map<int, int> trackKeys_;  // COLUMNORDER -> COLUMN key of the sonde's tracks
  bool loading_ = false;
  QTreeWidget* tree_;
  CLineStyleBox* styles_;
  QLabel* styleLabel_;
  QPushButton *curveColour_, *gridColour_;
  QFrame *curveSwatch_, *gridSwatch_;
  QCheckBox *reverse_, *showGrid_;
  QRadioButton *linear_, *log_;
  QTableWidget* table_;
  std::unique_ptr<qv::Grid> grid_;
};
