#include "logview/configdisp.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>

#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "logview/styled_sample.h"
#include "header/section_access.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

using namespace curveview;

namespace {
constexpr int kRootData = 100;

QString Q(const std::string& s) {
  return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& q) {
  return q.toLocal8Bit().toStdString();
}
QString Number(double v) {
  return QString::fromStdString(qv::FormatC("%G", v));
}
}  // namespace

CConfigDisp::CConfigDisp(bool restricted, CurveDocument* document, QWidget* parent)
    : QDialog(parent), model_(restricted, document) {
  setWindowTitle("Display Options");
  auto* top = new QGridLayout(this);

  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  top->addWidget(tree_, 0, 0, 2, 1);

  auto* curveBox = new QGroupBox("Curve Options", this);
  auto* form = new QFormLayout(curveBox);
  name_ = new QLineEdit(curveBox);
  short_ = new QLineEdit(curveBox);
  unit_ = new QLineEdit(curveBox);
  visible_ = new QCheckBox(curveBox);
  visible_->setEnabled(false);
  min_ = new QLineEdit(curveBox);
  max_ = new QLineEdit(curveBox);
  reverse_ = new QCheckBox("Reverse Scale", curveBox);
  filter_ = new QComboBox(curveBox);
  strength_ = new QLabel("99", curveBox);
  spin_ = new QSpinBox(curveBox);
  spin_->setRange(0, kMaxFilterStep);
  colour_ = new QPushButton("Change Display Colour", curveBox);
  swatch_ = new QLabel(curveBox);
  swatch_->setFixedSize(48, 16);
  style_ = new QPushButton("Change Print Style", curveBox);
  sample_ = new QLabel(curveBox);
  sample_->setFixedSize(48, 16);
  form->addRow("Name", name_);
  form->addRow("Short", short_);
  form->addRow("Unit", unit_);
  form->addRow("Visible", visible_);
  form->addRow("Minimum", min_);
  form->addRow("Maximum", max_);
  form->addRow(reverse_);
  form->addRow("Filter Options:", filter_);
  auto* strengthRow = new QHBoxLayout;
  strengthRow->addWidget(strength_);
  strengthRow->addWidget(spin_);
  form->addRow("Strength:", strengthRow);
  auto* colourRow = new QHBoxLayout;
  colourRow->addWidget(colour_);
  colourRow->addWidget(swatch_);
  form->addRow(colourRow);
  auto* styleRow = new QHBoxLayout;
  styleRow->addWidget(style_);
  styleRow->addWidget(sample_);
  form->addRow(styleRow);
  top->addWidget(curveBox, 0, 1);

  auto* gridBox = new QGroupBox("Grid Options", this);
  auto* gridForm = new QVBoxLayout(gridBox);
  enable_ = new QCheckBox("Enable", gridBox);
  linear_ = new QRadioButton("Linear", gridBox);
  log_ = new QRadioButton("Logarithmic ", gridBox);
  auto* scaleKind = new QButtonGroup(gridBox);
  scaleKind->addButton(linear_);
  scaleKind->addButton(log_);
  gridForm->addWidget(enable_);
  gridForm->addWidget(linear_);
  gridForm->addWidget(log_);
  top->addWidget(gridBox, 1, 1);

  top->addWidget(new QLabel("Track Alignment", this), 2, 0, 1, 2);
  grid_ = new QTableWidget(kGridLegendRows + 1, kGridColumns, this);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  top->addWidget(grid_, 3, 0, 1, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  top->addWidget(buttons, 4, 0, 1, 2);

  for (unsigned id : kFilterTypeNames) filter_->addItem(Q(qv::LoadString(id)));
  filter_->setCurrentIndex(0);

  connect(buttons, &QDialogButtonBox::accepted, this, &CConfigDisp::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CConfigDisp::reject);
  connect(tree_, &QTreeWidget::currentItemChanged, this, &CConfigDisp::OnTreeSelection);
  connect(grid_, &QTableWidget::cellClicked, this, &CConfigDisp::ClickGrid);
  connect(log_, &QRadioButton::clicked, this, &CConfigDisp::ChooseLogarithmic);
  connect(linear_, &QRadioButton::clicked, this, &CConfigDisp::ChooseLinear);
  connect(colour_, &QPushButton::clicked, this, &CConfigDisp::ChangeColour);
  connect(style_, &QPushButton::clicked, this, &CConfigDisp::ChangePrintStyle);
  connect(name_, &QLineEdit::textEdited, this, &CConfigDisp::OnNameEdited);
  connect(spin_, &QSpinBox::valueChanged, this, [this](int v) { strength_->setText(QString::number(2 * v + 1)); });
  for (QLineEdit* end : {min_, max_})
    connect(end, &QLineEdit::editingFinished, this, [this] {
      if (log_->isChecked()) ChooseLogarithmic();
    });
}

void CConfigDisp::SetRecords(std::vector<CurveRecord>* curves, std::vector<TrackRecord>* tracks) {
  curves_ = curves;
  tracks_ = tracks;
  Fill();
}

void CConfigDisp::Fill() {
  model_.Load(curves_ ? *curves_ : std::vector<CurveRecord>{}, tracks_ ? *tracks_ : std::vector<TrackRecord>{});
  ShowGrid();
  ready_ = false;
  tree_->clear();
  items_.clear();
  root_ = new QTreeWidgetItem(tree_, QStringList(Q(qv::LoadString(32285))));
  root_->setData(0, Qt::UserRole, kRootData);
  const auto& curves = model_.Curves();
  for (size_t i = 0; i < curves.size(); ++i) {
    auto* item = new QTreeWidgetItem(root_, QStringList(Q(curves[i].description)));
    item->setData(0, Qt::UserRole, static_cast<int>(i));
    items_.push_back(item);
  }
  root_->setExpanded(true);
  SelectRoot();
  ready_ = true;
  SelectCurve(0);
}

void CConfigDisp::SelectRoot() {
  tree_->setCurrentItem(root_);
}

void CConfigDisp::SelectCurve(int index) {
  if (index >= 0 && index < static_cast<int>(items_.size())) tree_->setCurrentItem(items_[static_cast<size_t>(index)]);
}

void CConfigDisp::OnTreeSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (!ready_ || !current) return;
  if (current == root_) {
    // The root names no curve: the previous one (or the first) is selected
    // again once this change is through, with what its controls held.
    if (previous && previous != root_) model_.Store(model_.Selected(), ReadControls());
    const int back = std::max(model_.Selected(), 0);
    if (back < static_cast<int>(items_.size()))
      QMetaObject::invokeMethod(
          this, [this, back] { SelectCurve(back); }, Qt::QueuedConnection);
    return;
  }
  if (previous && previous != root_) model_.Store(model_.Selected(), ReadControls());
  const int index = current->data(0, Qt::UserRole).toInt();
  ShowControls(model_.Select(index));
  const CurveRecord& c = model_.Curves()[static_cast<size_t>(index)];
  if (c.headerFlag) grid_->setCurrentCell(c.headerLine + 1, c.firstTrack);
}

void CConfigDisp::ShowControls(const CurveControls& k) {
  const bool wasReady = ready_;
  ready_ = false;
  shown_ = k;
  visible_->setChecked(k.shown);
  reverse_->setChecked(k.reverse);
  filter_->setCurrentIndex(k.filterType);
  spin_->setValue(k.filterStep);
  strength_->setText(QString::number(2 * k.filterStep + 1));
  min_->setText(Number(k.minimum));
  max_->setText(Number(k.maximum));
  short_->setText(Q(k.shortTitle));
  name_->setText(Q(k.title));
  unit_->setText(Q(k.unit));
  enable_->setChecked(k.gridEnable);
  // Neither button is checked for a track whose style names neither kind.
  linear_->setAutoExclusive(false);
  log_->setAutoExclusive(false);
  log_->setChecked(k.logarithmic);
  linear_->setChecked(k.linear && !k.logarithmic);
  linear_->setAutoExclusive(true);
  log_->setAutoExclusive(true);
  ShowSwatches();
  ready_ = wasReady;
}

CurveControls CConfigDisp::ReadControls() {
  CurveControls k = shown_;
  k.shown = visible_->isChecked();
  k.reverse = reverse_->isChecked();
  k.filterType = filter_->currentIndex();
  k.filterStep = spin_->value();
  // A scale end that does not read as a number keeps its previous value.
  double v = 0;
  if (ParseNumber(min_->text(), &v)) k.minimum = v;
  if (ParseNumber(max_->text(), &v)) k.maximum = v;
  k.shortTitle = S(short_->text());
  k.title = S(name_->text());
  k.unit = S(unit_->text());
  k.gridEnable = enable_->isChecked();
  k.logarithmic = log_->isChecked();
  k.linear = linear_->isChecked();
  shown_ = k;
  return k;
}

void CConfigDisp::showEvent(QShowEvent* event) {
  // Tracks get three tenths of the grid each, the depth column one.
  const int u = std::max(1, (grid_->viewport()->width() - 4) / 10);
  for (int c = 0; c < kGridColumns; ++c) grid_->setColumnWidth(c, c == 1 ? u : 3 * u);
  QDialog::showEvent(event);
}

void CConfigDisp::ShowGrid() {
  for (int r = 0; r <= kGridLegendRows; ++r)
    for (int c = 0; c < kGridColumns; ++c) {
      auto* item = grid_->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        grid_->setItem(r, c, item);
      }
      item->setText(Q(model_.Cell(r, c)));
    }
}

void CConfigDisp::ShowSwatches() {
  QPixmap colour(swatch_->size());
  colour.fill(FromColourRef(model_.CurrentColour()));
  swatch_->setPixmap(colour);
  QPixmap sample(sample_->size());
  sample.fill(Qt::white);
  {
    QPainter p(&sample);
    const int y = sample.height() / 2;
    DrawStyledSample(p, QPoint(3, y), QPoint(sample.width() - 4, y), model_.CurrentPrintStyle(), 0);
  }
  sample_->setPixmap(sample);
}

void CConfigDisp::ClickGrid(int row, int column) {
  if (model_.Selected() < 0) return;
  const GridClick click = model_.Click(row, column);
  if (click.beep) qv::Beep();
  if (click.changed) {
    ShowGrid();
    const CurveRecord& c = model_.Curves()[static_cast<size_t>(model_.Selected())];
    if (static_cast<size_t>(model_.Selected()) < items_.size())
      items_[static_cast<size_t>(model_.Selected())]->setText(0, Q(c.description));
    ShowControls(model_.Controls());
  }
  grid_->setCurrentCell(click.row, click.column);
}

void CConfigDisp::ChooseLogarithmic() {
  CurveControls k = ReadControls();
  model_.Logarithmic(k);
  min_->setText(Number(k.minimum));
  max_->setText(Number(k.maximum));
  shown_ = k;
}

void CConfigDisp::ChooseLinear() {
  model_.Linear(ReadControls());
}

void CConfigDisp::ChangeColour() {
  CColorDlg dlg(model_.CurrentColour(), 0, this);
  RunDialog(dlg);
  model_.SetCurrentColour(dlg.GetColor());
  ShowSwatches();
}

void CConfigDisp::ChangePrintStyle() {
  if (model_.Selected() < 0) return;
  int style = model_.CurrentPrintStyle();
  if (ChoosePrintStyle(model_.Curves()[static_cast<size_t>(model_.Selected())].shortTitle, &style, this))
    model_.SetCurrentPrintStyle(style);
  ShowSwatches();
}

void CConfigDisp::OnNameEdited() {
  if (!ready_ || model_.Selected() < 0) return;
  const CurveControls k = ReadControls();
  items_[static_cast<size_t>(model_.Selected())]->setText(0, Q(k.title));
  model_.Rename(k.title);
  ShowGrid();
}

void CConfigDisp::accept() {
  if (model_.Selected() >= 0) model_.Store(model_.Selected(), ReadControls());
  if (curves_ && tracks_) model_.Save(*curves_, *tracks_);
  QDialog::accept();
}
