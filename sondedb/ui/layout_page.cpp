#include "sondedb/ui/layout_page.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "app/ui/line_dialog.h"
#include "logview/dialog_runner.h"
#include "logview/range_dialogs.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"
#include "sondedb/ui/channel_page.h"
#include "sondedb/ui/sonde_sheet.h"

namespace {
constexpr unsigned kStrTrack1 = 32329;
constexpr unsigned kStrTrack2 = 32330;
constexpr unsigned kStrTrack3 = 32331;
constexpr unsigned kStrDepth = 32332;
constexpr int kDepthColumn = 1;
constexpr int kToolTeleviewer = 2;
constexpr int kToolFullWaveSonic = 4;
// Grid property bits of a track: bit 28 set is a linear grid.
constexpr unsigned kLinearGrid = 0x10000000;
constexpr unsigned kLinearGridProperties = 268435460;
constexpr unsigned kLogGridProperties = 16777220;
constexpr int kGridWidth = 600;

const char* const kJoinStart =
    "SELECT * FROM CHANNELCOLUMN,COLUMNS WHERE CHANNELCOLUMN.CHANNEL = %u AND COLUMNS.COLUMN = "
    "CHANNELCOLUMN.COLUMNSTART";
const char* const kJoinEnd =
    "SELECT * FROM CHANNELCOLUMN,COLUMNS WHERE CHANNELCOLUMN.CHANNEL = %u AND COLUMNS.COLUMN = "
    "CHANNELCOLUMN.COLUMNEND";

std::string U(std::uint32_t v) {
  return qv::FormatC("%u", v);
}
int Int(qv::SondeRecordset* rs, const char* column) {
  return atoi(qv::GetFieldString(rs, column).c_str());
}

}  // namespace

CSondeDBPage3::CSondeDBPage3(QWidget* parent)
    : qv::PropertyPage("Display Layout / Channel-To-Track-Assignment", parent),
      tree_(new QTreeWidget(this)),
      styles_(new CLineStyleBox(this)),
      styleLabel_(new QLabel(QStringLiteral("Printstyle"), this)),
      curveColour_(new QPushButton(QStringLiteral("Curvecolor"), this)),
      gridColour_(new QPushButton(QStringLiteral("Gridcolor"), this)),
      curveSwatch_(new QFrame(this)),
      gridSwatch_(new QFrame(this)),
      reverse_(new QCheckBox(QStringLiteral("Reverse Scales"), this)),
      showGrid_(new QCheckBox(QStringLiteral("Show Grid"), this)),
      linear_(new QRadioButton(QStringLiteral("Linear"), this)),
      log_(new QRadioButton(QStringLiteral("Logarithmic"), this)),
      table_(new QTableWidget(this)),
      grid_(std::make_unique<qv::Grid>(table_)) {
  tree_->setObjectName(QStringLiteral("2455"));
  tree_->setHeaderHidden(true);
  styles_->setObjectName(QStringLiteral("2039"));
  curveColour_->setObjectName(QStringLiteral("2020"));
  curveSwatch_->setObjectName(QStringLiteral("2275"));
  reverse_->setObjectName(QStringLiteral("2563"));
  showGrid_->setObjectName(QStringLiteral("2033"));
  linear_->setObjectName(QStringLiteral("2300"));
  log_->setObjectName(QStringLiteral("2301"));
  gridColour_->setObjectName(QStringLiteral("2016"));
  gridSwatch_->setObjectName(QStringLiteral("2270"));
  table_->setObjectName(QStringLiteral("2269"));
  for (QFrame* f : {curveSwatch_, gridSwatch_}) {
    f->setFrameShape(QFrame::Box);
    f->setFixedSize(40, 20);
    f->setAutoFillBackground(true);
  }
  // All eight styles at once, without a scroll bar.
  styles_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  styles_->setFixedHeight(8 * CLineStyleBox::kItemHeight + 2 * styles_->frameWidth() + 4);

  auto* curve = new QGroupBox(QStringLiteral("Curvestyle"), this);
  auto* curveLay = new QGridLayout(curve);
  curveLay->addWidget(styleLabel_, 0, 0);
  curveLay->addWidget(styles_, 1, 0, 1, 2);
  curveLay->addWidget(curveColour_, 2, 0);
  curveLay->addWidget(curveSwatch_, 2, 1);
  curveLay->addWidget(reverse_, 3, 0, 1, 2);
  auto* gridBox = new QGroupBox(QStringLiteral("Gridstyle"), this);
  auto* gridLay = new QGridLayout(gridBox);
  gridLay->addWidget(showGrid_, 0, 0, 1, 2);
  gridLay->addWidget(linear_, 1, 0);
  gridLay->addWidget(log_, 1, 1);
  gridLay->addWidget(gridColour_, 2, 0);
  gridLay->addWidget(gridSwatch_, 2, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("Available Channels"), this));
  left->addWidget(tree_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(curve);
  right->addWidget(gridBox);
  right->addStretch(1);
  auto* upper = new QHBoxLayout;
  upper->addLayout(left, 1);
  upper->addLayout(right);
  auto* top = new QVBoxLayout(this);
  top->addLayout(upper, 1);
  top->addWidget(new QLabel(QStringLiteral("Screen Tracks"), this));
  top->addWidget(table_);
  table_->setFixedWidth(kGridWidth);
  table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->setFixedHeight(kGridRows * 20 + 2 * table_->frameWidth());

  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnSelchangedChannelTree(item); });
  connect(curveColour_, &QPushButton::clicked, this, [this] { OnCurveColor(); });
  connect(gridColour_, &QPushButton::clicked, this, [this] { OnGridColor(); });
  connect(showGrid_, &QCheckBox::clicked, this, [this] { OnShowGrid(); });
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{reverse_, linear_, log_})
    connect(b, &QAbstractButton::clicked, this, [this] { Changed(); });
  connect(styles_, &QListWidget::currentRowChanged, this, [this] { Changed(); });
  grid_->OnClick([this](int, int) { OnClickGrid(); });
  grid_->OnKeyPress([this](char16_t key) { OnKeyPressGrid(key); });
}

CSondeDBPage3::~CSondeDBPage3() {
  // The tree's own teardown must not reach the half-destroyed page.
  tree_->blockSignals(true);
}

bool CSondeDBPage3::Televiewer() const {
  return m_pSheet && m_pSheet->m_nSondeType == kToolTeleviewer;
}
bool CSondeDBPage3::FullWaveSonic() const {
  return m_pSheet && m_pSheet->m_nSondeType == kToolFullWaveSonic;
}

void CSondeDBPage3::Changed() {
  if (!loading_) m_bModified = true;
}

void CSondeDBPage3::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Check(dx, showGrid_, m_bShowGrid);
  if (dx.Saving()) {
    m_nScale = linear_->isChecked() ? 0 : log_->isChecked() ? 1 : -1;
  } else {
    linear_->setAutoExclusive(false);
    log_->setAutoExclusive(false);
    linear_->setChecked(m_nScale == 0);
    log_->setChecked(m_nScale == 1);
    linear_->setAutoExclusive(true);
    log_->setAutoExclusive(true);
  }
  qv::DDX_Check(dx, reverse_, m_bReverseScale);
}

bool CSondeDBPage3::OnInitDialog() {
  loading_ = true;
  for (int i = 0; i < 8; ++i) styles_->AddStyle(i);
  styles_->setCurrentRow(-1);
  linear_->hide();
  log_->hide();
  showGrid_->setEnabled(false);
  gridColour_->setEnabled(false);
  curveColour_->setEnabled(true);
  styles_->setEnabled(true);
  m_nChannel = -1;

  m_pSheet = SheetOf(this);
  qv::SondeRecordset* rs = m_pSheet ? m_pSheet->m_pRecordset : nullptr;
  if (rs && rs->IsOpen() && qv::CountRecords(rs) > 0) {
    m_nSondeId = Int(rs, "Sonde");
    m_nUserFunction = Int(rs, "USERFUNCTION");
  }

  QFont font = this->font();
  if (font.pointSize() > 0) font.setPointSize(font.pointSize() + 1);
  grid_->SetFont(font);
  const bool tv = Televiewer();
  grid_->SetRows(kGridRows);
  grid_->SetCols(tv ? 3 : 4);
  grid_->SetFixedRows(1);
  // The columns fill the grid: wide track columns, a narrow depth column.
  const int unit = (table_->width() - 2 * table_->frameWidth() - 4) * 1440 / 10 / table_->logicalDpiX();
  const int wide = tv ? 4 : 3, narrow = tv ? 2 : 1;
  grid_->SetFontBold(true);
  const unsigned headings[] = {kStrTrack1, kStrDepth, kStrTrack2, kStrTrack3};
  for (int c = 0; c < grid_->Cols(); ++c) {
    grid_->SetColWidth(c, (c == kDepthColumn ? narrow : wide) * unit);
    grid_->SetTextAt(0, c, qv::LoadString(headings[c]));
  }
  grid_->SetFontBold(false);

  m_pColumnRecordset = std::make_unique<qv::SondeRecordset>(m_pSheet ? m_pSheet->m_pDatabase : nullptr);
  trackKeys_.clear();
  if (m_pSheet && m_pSheet->m_pDatabase) {
    try {
      qv::SondeRecordset tracks(m_pSheet->m_pDatabase);
      tracks.Open(qv::FormatC("SELECT * FROM COLUMNS WHERE SONDE = %u", static_cast<unsigned>(m_nSondeId)), true);
      const int n = qv::CountRecords(&tracks);
      for (int i = 0; i < n; ++i, tracks.MoveNext())
        trackKeys_.emplace(Int(&tracks, "COLUMNORDER"), Int(&tracks, "COLUMN"));
    } catch (const qv::dao::Error& e) {
      ShowDatabaseError(&e);
    }
  }
  LoadAssignments();
  RefreshGrid();
  loading_ = false;
  FillChannelTree();
  loading_ = true;
  UpdateData(false);
  loading_ = false;
  m_bModified = false;
  return true;
}

void CSondeDBPage3::FillChannelTree() {
  QTreeWidgetItem* first =
      sondetree::Fill(tree_, m_pSheet ? m_pSheet->m_pDatabase : nullptr, m_nSondeId, m_nUserFunction);
  if (first) tree_->setCurrentItem(first);
}

bool CSondeDBPage3::OpenOne(const std::string& sql) {
  m_pColumnRecordset->Open(sql, true);
  return qv::CountRecords(m_pColumnRecordset.get()) == 1;
}

void CSondeDBPage3::LoadAssignments() {
  m_assignments.clear();
  if (!m_pSheet || !m_pSheet->m_pDatabase || !m_pColumnRecordset) return;
  try {
    qv::SondeRecordset rs(m_pSheet->m_pDatabase);
    rs.Open(qv::FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u AND USERFUNCTION = 0 "
                        "ORDER BY CHANNELPHYSIC,CHANNELLOGIC ASC",
                        static_cast<unsigned>(m_nSondeId)),
            true);
    const int n = qv::CountRecords(&rs);
    for (int i = 0; i < n; ++i) {
      ChannelTrackAssignment a;
      a.channel = Int(&rs, "Channel");
      const unsigned key = static_cast<unsigned>(a.channel);
      int found = 0;
      if (OpenOne(qv::FormatC(kJoinStart, key))) {
        a.firstColumn = Int(m_pColumnRecordset.get(), "COLUMNORDER");
        ++found;
      }
      if (OpenOne(qv::FormatC(kJoinEnd, key))) {
        a.lastColumn = Int(m_pColumnRecordset.get(), "COLUMNORDER");
        ++found;
      }
      if (OpenOne(qv::FormatC("SELECT * FROM CHANNELCOLUMN WHERE CHANNELCOLUMN.CHANNEL = %u", key))) {
        a.headerLine = Int(m_pColumnRecordset.get(), "HEADERLINE");
        a.assigned = qv::GetFieldString(m_pColumnRecordset.get(), "HEADER") == "TRUE";
        ++found;
      }
      if (found == 3) {
        a.physical = Int(&rs, "CHANNELPHYSIC");
        a.name = qv::GetFieldString(&rs, "HeaderDescription");
        m_assignments.push_back(a);
      }
      m_pColumnRecordset->Close();
      rs.MoveNext();
    }
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
    m_pColumnRecordset->Close();
  }
}

void CSondeDBPage3::ClearGrid() {
  for (int r = 1; r < kGridRows; ++r)
    for (int c = 0; c < grid_->Cols(); ++c) grid_->SetTextAt(r, c, "");
}

void CSondeDBPage3::RefreshGrid() {
  const int row = grid_->Row(), col = grid_->Col();
  ClearGrid();
  for (ChannelTrackAssignment& e : m_assignments) {
    if (!e.assigned) continue;
    // The first header line free in the channel's track (in both tracks for
    // a channel that spans two); a track shows at most six channels, the
    // rest stay out of the grid.
    int taken = -1;
    for (int r = 1; r < kGridRows && taken < 0; ++r)
      if (grid_->TextAt(r, e.firstColumn).empty() && grid_->TextAt(r, e.lastColumn).empty()) taken = r;
    if (taken < 0) continue;
    e.headerLine = taken - 1;
    grid_->SetTextAt(taken, e.lastColumn, e.name);
    grid_->SetTextAt(taken, e.firstColumn, e.name);
  }
  grid_->SetRow(row);
  grid_->SetCol(col);
}

ChannelTrackAssignment* CSondeDBPage3::FindAssignment() {
  for (ChannelTrackAssignment& a : m_assignments)
    if (a.channel == m_nChannel) return &a;
  return nullptr;
}

void CSondeDBPage3::UpdateGridCtrl(bool apply) {
  const int row = grid_->Row(), col = grid_->Col();
  if (col == kDepthColumn || Televiewer()) {
    qv::Beep();
    return;
  }
  ChannelTrackAssignment* e = FindAssignment();
  if (!e) {
    qv::Trace("CSondeDBPage3::UpdateGridCtrl - no channel\n");
    qv::Beep();
    return;
  }
  auto backToOwnCell = [&] {
    qv::Beep();
    grid_->SetRow(e->headerLine + 1);
    grid_->SetCol(e->firstColumn + 1);
  };
  // The waveform channels of a full-wave sonic sonde are never curves of
  // the first track.
  if (FullWaveSonic() && e->physical > 6 && col == 0) return backToOwnCell();
  if (e->assigned && (col == e->firstColumn || col == e->lastColumn)) {
    if (row != e->headerLine + 1) return backToOwnCell();
    if (apply) Remove();
    RefreshGrid();
    return;
  }
  const bool empty = grid_->Text().empty();
  if (e->assigned && e->firstColumn == e->lastColumn && (e->firstColumn == 2 || e->firstColumn == 3) &&
      !FullWaveSonic()) {
    if (!empty || col <= kDepthColumn) return qv::Beep();
    if (apply) Insert(false);
    RefreshGrid();
    return;
  }
  if (!e->assigned) {
    if (!empty || col == kDepthColumn) return qv::Beep();
    if (apply) Insert(true);
    RefreshGrid();
    return;
  }
  qv::Beep();
}

void CSondeDBPage3::Insert(bool isNew) {
  ChannelTrackAssignment* e = FindAssignment();
  if (!e) {
    qv::Trace("CSondeDBPage3::Insert - failed\n");
    qv::Beep();
    return;
  }
  const int col = grid_->Col();
  if (isNew)
    for (int r = 1; r < kGridRows; ++r)
      if (grid_->TextAt(r, col).empty()) {
        e->headerLine = r - 1;
        break;
      }
  grid_->SetTextAt(e->headerLine + 1, col, e->name);
  if (isNew)
    e->firstColumn = e->lastColumn = col;
  else if (col > e->firstColumn)
    e->lastColumn = col;
  else
    e->firstColumn = col;
  e->assigned = true;
  m_bModified = true;
}

void CSondeDBPage3::Remove() {
  ChannelTrackAssignment* e = FindAssignment();
  if (!e) {
    qv::Trace("CSondeDBPage3::Remove - failed\n");
    qv::Beep();
    return;
  }
  const int row = grid_->Row(), col = grid_->Col();
  if (!e->assigned || row != e->headerLine + 1) return;
  if (e->firstColumn != e->lastColumn) {
    if (col == e->firstColumn)
      e->firstColumn = e->lastColumn;
    else
      e->lastColumn = e->firstColumn;
  } else {
    e->assigned = false;
    e->firstColumn = e->lastColumn = 0;
  }
  for (ChannelTrackAssignment& a : m_assignments)
    if (a.assigned && a.firstColumn == col && a.headerLine > row - 1) --a.headerLine;
  grid_->SetCol(e->lastColumn);
  m_bModified = true;
}

void CSondeDBPage3::OnKeyPressGrid(char16_t key) {
  if (key == 46) grid_->SetText("");
}

void CSondeDBPage3::PaintSwatches() {
  const std::pair<QFrame*, std::uint32_t> swatches[] = {{curveSwatch_, m_crCurve}, {gridSwatch_, m_crGrid}};
  for (const auto& [frame, colour] : swatches) {
    QPalette p = frame->palette();
    p.setColor(QPalette::Window, FromColourRef(colour));
    frame->setPalette(p);
    frame->update();
  }
}

void CSondeDBPage3::ShowGridControls(bool show) {
  for (QWidget* w : std::initializer_list<QWidget*>{linear_, log_, gridColour_, gridSwatch_}) w->setVisible(show);
  gridColour_->setEnabled(show);
}

void CSondeDBPage3::OnSelchangedChannelTree(QTreeWidgetItem* item) {
  try {
    if (m_pColumnRecordset && m_pColumnRecordset->IsOpen()) {
      SaveChannel(true);
      m_pColumnRecordset->Close();
    }
    m_nChannel = sondetree::ChannelOf(item);
    m_strChannelName = item ? qv::StdStr(item->text(0)) : std::string();
    const bool one =
        m_nChannel >= 0 && m_pColumnRecordset && OpenOne(qv::FormatC(kJoinStart, static_cast<unsigned>(m_nChannel)));
    if (one) {
      qv::SondeRecordset* rs = m_pColumnRecordset.get();
      m_bShowGrid = qv::GetFieldString(rs, "RASTER") == "TRUE";
      m_nScale = (static_cast<unsigned>(Int(rs, "RASTERPROPERTIES")) & kLinearGrid) ? 0 : 1;
      m_crGrid = static_cast<std::uint32_t>(atol(qv::GetFieldString(rs, "RASTERCOLOUR").c_str()));
      m_crCurve = static_cast<std::uint32_t>(atol(qv::GetFieldString(rs, "LINECOLOUR").c_str()));
      m_bReverseScale = qv::GetFieldString(rs, "SCALE") == "FALSE";
      const int style = Int(rs, "LINESTYLE");
      loading_ = true;
      styles_->setCurrentRow(style >= 0 && style < styles_->count() ? style : -1);
      UpdateData(false);
      loading_ = false;
      PaintSwatches();
      m_bModified = false;
      showGrid_->setEnabled(true);
      // A channel shown after one without a layout row can be styled again.
      curveColour_->setEnabled(true);
      styles_->setEnabled(true);
    } else {
      linear_->hide();
      log_->hide();
      for (QWidget* w : std::initializer_list<QWidget*>{showGrid_, gridColour_, curveColour_, styles_})
        w->setEnabled(false);
      m_bShowGrid = 0;
    }
    if (Televiewer()) {
      for (QWidget* w : std::initializer_list<QWidget*>{showGrid_, reverse_, linear_, log_, gridColour_, curveColour_,
                                                        curveSwatch_, gridSwatch_, styles_, styleLabel_})
        w->hide();
    } else {
      ShowGridControls(m_bShowGrid != 0);
    }
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
  }
}

void CSondeDBPage3::ChooseColour(std::uint32_t& colour) {
  CColorDlg dlg(colour, 0, this);
  if (curveview::RunDialog(dlg) != QDialog::Accepted) return;
  colour = dlg.GetColor();
  PaintSwatches();
  m_bModified = true;
}

void CSondeDBPage3::OnCurveColor() {
  ChooseColour(m_crCurve);
}
void CSondeDBPage3::OnGridColor() {
  ChooseColour(m_crGrid);
}

void CSondeDBPage3::OnShowGrid() {
  m_bModified = true;
  UpdateData(true);
  ShowGridControls(m_bShowGrid != 0);
}

int CSondeDBPage3::SaveChannel(bool ask) {
  ChannelTrackAssignment* e = FindAssignment();
  if (!e) {
    // Nothing shown has a layout row (a root item, or a sonde without
    // channels): there is nothing to store, and the sheet can still be left
    // with OK.
    qv::Trace("CSondeDBPage3::SaveChannel - failed\n");
    m_bModified = false;
    return 1;
  }
  if (!m_bModified) return 1;
  const bool yes = ask ? AskSaveChanges() : true;
  m_bModified = false;
  qv::SondeRecordset* joined = m_pColumnRecordset.get();
  qv::SondeDatabase* db = m_pSheet ? m_pSheet->m_pDatabase : nullptr;
  if (!yes || !db || !db->CanUpdate() || !joined || !joined->IsOpen() || qv::CountRecords(joined) != 1) return 1;
  if (!UpdateData(true)) {
    m_bModified = true;
    return 0;
  }
  try {
    // The track keys of the sonde, found by their order; arithmetic from the
    // row's own track only when the sonde lacks a track of that order.
    const int start = Int(joined, "COLUMNSTART");
    const int base = start - Int(joined, "COLUMNORDER");
    auto trackKey = [&](int order) {
      auto it = trackKeys_.find(order);
      return it != trackKeys_.end() ? it->second : base + order;
    };
    // Both rows or neither.
    qv::dao::Savepoint unit(db, "display_layout");
    qv::SondeRecordset track(db);
    track.Open(qv::FormatC("SELECT * FROM COLUMNS WHERE COLUMN = %u", static_cast<unsigned>(start)));
    if (qv::CountRecords(&track) == 1) {
      track.Edit();
      qv::SetFieldString(&track, "RASTER", m_bShowGrid ? "TRUE" : "FALSE");
      qv::SetFieldString(&track, "RASTERPROPERTIES",
                         U(m_nScale == 1 ? kLogGridProperties : kLinearGridProperties).c_str());
      qv::SetFieldString(&track, "RASTERCOLOUR", U(m_crGrid).c_str());
      track.Update();
    }
    qv::SondeRecordset cc(db);
    cc.Open(qv::FormatC("SELECT * FROM CHANNELCOLUMN WHERE CHANNEL = %u", static_cast<unsigned>(e->channel)));
    if (qv::CountRecords(&cc) > 0) {
      cc.Edit();
      qv::SetFieldString(&cc, "LINECOLOUR", U(m_crCurve).c_str());
      qv::SetFieldString(&cc, "SCALE", m_bReverseScale ? "FALSE" : "TRUE");
      qv::SetFieldString(&cc, "LINESTYLE", U(static_cast<std::uint32_t>(styles_->currentRow())).c_str());
      if (e->firstColumn == -1 || e->lastColumn == -1) {
        qv::SetFieldString(&cc, "HEADER", "FALSE");
      } else {
        qv::SetFieldString(&cc, "HEADER", e->assigned ? "TRUE" : "FALSE");
        qv::SetFieldString(&cc, "HEADERLINE", qv::FormatC("%d", e->headerLine).c_str());
        qv::SetFieldString(&cc, "COLUMNSTART", U(static_cast<std::uint32_t>(trackKey(e->firstColumn))).c_str());
        qv::SetFieldString(&cc, "COLUMNEND", U(static_cast<std::uint32_t>(trackKey(e->lastColumn))).c_str());
      }
      cc.Update();
    }
    unit.Release();
  } catch (const qv::dao::Error& err) {
    ShowDatabaseError(&err);
  }
  return 1;
}
