// "Display Options": edits the curves and tracks of a log view. The rules
// live in curveview::DisplayOptions; this dialog shows them in controls.
#pragma once

#include <QDialog>
#include <vector>

#include "logview/model/display_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

class CConfigDisp : public QDialog {
  Q_OBJECT
 public:
  // Restricted: curves of physical channels above 6 only in tracks 2 and 3.
  CConfigDisp(bool restricted, curveview::CurveDocument* document, QWidget* parent = nullptr);

  // The caller's records; edited on working copies and written back on OK.
  void SetRecords(std::vector<CurveRecord>* curves, std::vector<TrackRecord>* tracks);

  void accept() override;

  // The user's actions, also driven by tests.
  void SelectCurve(int index);
  void SelectRoot();
  void ClickGrid(int row, int column);
  void ChooseLogarithmic();
  void ChooseLinear();
  void ChangeColour();
  void ChangePrintStyle();

  const curveview::DisplayOptions& Model() const { return model_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* MinimumEdit() const { return min_; }
  QLineEdit* MaximumEdit() const { return max_; }
  QComboBox* FilterCombo() const { return filter_; }
  QSpinBox* FilterStep() const { return spin_; }
  QLabel* Strength() const { return strength_; }
  QCheckBox* Reverse() const { return reverse_; }
  QTableWidget* Grid() const { return grid_; }
  QTreeWidget* Tree() const { return tree_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Fill();
  void ShowControls(const curveview::CurveControls& k);
  curveview::CurveControls ReadControls();
  void ShowGrid();
  void ShowSwatches();
  void OnTreeSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void OnNameEdited();

  curveview::DisplayOptions model_;
  std::vector<CurveRecord>* curves_ = nullptr;
  std::vector<TrackRecord>* tracks_ = nullptr;
  curveview::CurveControls shown_;  // the values last put into the controls
  bool ready_ = true;
  std::vector<QTreeWidgetItem*> items_;
  QTreeWidgetItem* root_ = nullptr;

  QTreeWidget* tree_;
  QLineEdit *name_, *short_, *unit_, *min_, *max_;
  QCheckBox *visible_, *reverse_, *enable_;
  QRadioButton *linear_, *log_;
  QComboBox* filter_;
  QLabel* strength_;
  QSpinBox* spin_;
  QLabel *swatch_, *sample_;
  QPushButton *colour_, *style_;
  QTableWidget* grid_;
};
