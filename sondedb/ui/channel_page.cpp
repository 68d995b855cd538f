#include "sondedb/ui/channel_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/core/device_services.h"
#include "header/section_access.h"
#include "platform/docview/qtext.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"
#include "sondedb/ui/sonde_sheet.h"

namespace {
constexpr unsigned kStrPhysicalChannel = 32073;
constexpr int kFilterMin = 1, kFilterMax = 51;
constexpr int kRootItem = -1;

QTreeWidgetItem* NewItem(QTreeWidgetItem* parent, const std::string& text, int channel) {
  auto* item = new QTreeWidgetItem(parent, QStringList{qv::QStr(text)});
  item->setData(0, Qt::UserRole, channel);
  return item;
}

QTreeWidgetItem* NewRoot(QTreeWidget* tree) {
  auto* root = new QTreeWidgetItem(tree, QStringList{qv::QStr(qv::LoadString(kStrPhysicalChannel))});
  root->setData(0, Qt::UserRole, kRootItem);
  return root;
}

// A real column read as its double value (its text has only six decimals).
double ReadDouble(qv::SondeRecordset* rs, const char* column) {
  const qv::dao::Variant v = rs->GetFieldValue(column);
  if (v.type == qv::dao::VarType::Double || v.type == qv::dao::VarType::Single) return v.d;
  return qv::AtofC(qv::VariantToString(v).c_str());
}

}  // namespace

namespace sondetree {

int ChannelOf(const QTreeWidgetItem* item) {
  if (!item) return kRootItem;
  bool ok = false;
  const int key = item->data(0, Qt::UserRole).toInt(&ok);
  return ok ? key : kRootItem;
}

QTreeWidgetItem* Fill(QTreeWidget* tree, qv::SondeDatabase* db, int sondeKey, int userFunction) {
  const QSignalBlocker quiet(tree);
  tree->clear();
  QTreeWidgetItem* root = NewRoot(tree);
  QTreeWidgetItem* first = nullptr;
  if (!db) return nullptr;
  try {
    qv::SondeRecordset rs(db);
    rs.Open(qv::FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u AND USERFUNCTION = 0 "
                        "ORDER BY CHANNELPHYSIC,CHANNELLOGIC ASC",
                        static_cast<unsigned>(sondeKey)),
            true);
    const int n = qv::CountRecords(&rs);
    QTreeWidgetItem* lastTop = nullptr;
    for (int i = 0; i < n; ++i) {
      const std::string text = qv::GetFieldString(&rs, "HeaderDescription");
      const int key = atoi(qv::GetFieldString(&rs, "Channel").c_str());
      if (atoi(qv::GetFieldString(&rs, "Window").c_str()) == 0)
        lastTop = NewItem(root, text, key);
      else if (lastTop)
        NewItem(lastTop, text, key);
      rs.MoveNext();
    }
    root->setExpanded(true);
    if (lastTop) lastTop->setExpanded(true);
    first = root->childCount() ? root->child(0) : nullptr;
    if (userFunction != 0) {
      rs.Open(qv::FormatC("SELECT * FROM CHANNEL WHERE SONDE = %u AND USERFUNCTION = %u ORDER BY CHANNELLOGIC",
                          static_cast<unsigned>(sondeKey), static_cast<unsigned>(userFunction)),
              true);
      QTreeWidgetItem* functions = NewRoot(tree);
      const int m = qv::CountRecords(&rs);
      for (int i = 0; i < m; ++i) {
        NewItem(functions, qv::GetFieldString(&rs, "HeaderDescription"),
                atoi(qv::GetFieldString(&rs, "Channel").c_str()));
        rs.MoveNext();
      }
      functions->setExpanded(true);
    }
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
  }
  return first;
}

}  // namespace sondetree

// ===========================================================================
CSondeDBPage2::CSondeDBPage2(QWidget* parent)
    : qv::PropertyPage("Data Channels", parent),
      tree_(new QTreeWidget(this)),
      name_(NewEdit(this, "2142")),
      short_(NewEdit(this, "2156")),
      unit_(NewEdit(this, "2166")),
      offset_(NewEdit(this, "2144")),
      minimum_(NewEdit(this, "2141")),
      maximum_(NewEdit(this, "2140")),
      null_(NewEdit(this, "2143")),
      filterType_(new QComboBox(this)),
      filterBar_(new QScrollBar(Qt::Vertical, this)),
      filterLabel_(new QLabel(QStringLiteral("Filter Parameter"), this)),
      filterValue_(new QLabel(this)) {
  tree_->setObjectName(QStringLiteral("2454"));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setMinimumWidth(200);
  filterType_->setObjectName(QStringLiteral("2032"));
  filterBar_->setObjectName(QStringLiteral("2311"));
  filterValue_->setObjectName(QStringLiteral("2126"));
  filterValue_->setMinimumWidth(24);
  filterBar_->setFixedHeight(40);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Name"), name_);
  fields->addRow(QStringLiteral("Short Name"), short_);
  fields->addRow(QStringLiteral("Unit"), unit_);
  auto* offset = new QHBoxLayout;
  offset->addWidget(offset_);
  offset->addWidget(new QLabel(QStringLiteral("cm"), this));
  fields->addRow(QStringLiteral("Offset"), offset);
  auto* filter = new QGroupBox(QStringLiteral("Filteroptions"), this);
  auto* filterForm = new QFormLayout(filter);
  filterForm->addRow(QStringLiteral("Filtertype"), filterType_);
  auto* param = new QHBoxLayout;
  param->addWidget(filterBar_);
  param->addWidget(filterValue_);
  param->addStretch(1);
  filterForm->addRow(filterLabel_, param);
  auto* range = new QGroupBox(QStringLiteral("Value Range"), this);
  auto* rangeForm = new QFormLayout(range);
  rangeForm->addRow(QStringLiteral("Minimum"), minimum_);
  rangeForm->addRow(QStringLiteral("Maximum"), maximum_);
  rangeForm->addRow(QStringLiteral("Null"), null_);
  auto* right = new QVBoxLayout;
  right->addLayout(fields);
  right->addWidget(filter);
  right->addWidget(range);
  right->addStretch(1);
  auto* top = new QHBoxLayout(this);
  top->addWidget(tree_, 1);
  top->addLayout(right, 1);

  for (QLineEdit* e : {maximum_, minimum_, name_, null_, offset_, short_, unit_})
    connect(e, &QLineEdit::textChanged, this, [this] {
      if (!loading_) m_bModified = true;
    });
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnSelchangedChannelTree(item); });
  connect(filterBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnVScroll(static_cast<QAbstractSlider::SliderAction>(action)); });
  connect(filterType_, QOverload<int>::of(&QComboBox::activated), this, [this] { OnFilterTypeChanged(); });
}

CSondeDBPage2::~CSondeDBPage2() {
  // The tree's own teardown must not reach the half-destroyed page.
  tree_->blockSignals(true);
}

void CSondeDBPage2::DoDataExchange(qv::DataExchange& dx) {
  qv::DDX_Text(dx, name_, m_strHeaderDescription);
  qv::DDX_Text(dx, short_, m_strHeaderShort);
  qv::DDX_Text(dx, unit_, m_strUnit);
  qv::DDX_Text(dx, offset_, m_nOffset);
  qv::DDX_Text(dx, minimum_, m_dMinimum);
  qv::DDX_Text(dx, maximum_, m_dMaximum);
  qv::DDX_Text(dx, null_, m_dNull);
}

bool CSondeDBPage2::OnInitDialog() {
  m_pSheet = SheetOf(this);
  qv::SondeRecordset* rs = m_pSheet ? m_pSheet->m_pRecordset : nullptr;
  if (rs && rs->IsOpen() && qv::CountRecords(rs) > 0) {
    m_nSondeId = atoi(qv::GetFieldString(rs, "Sonde").c_str());
    m_nUserFunction = atoi(qv::GetFieldString(rs, "USERFUNCTION").c_str());
  }
  m_pChannelRecordset = std::make_unique<qv::SondeRecordset>(m_pSheet ? m_pSheet->m_pDatabase : nullptr);
  for (int i = 0; i < 4; ++i) filterType_->addItem(qv::QStr(qv::LoadString(kFilterTypeNames[i])), i);
  ShowFilterParameter(false);
  filterBar_->setRange(kFilterMin, kFilterMax);
  FillChannelTree();
  m_bModified = false;
  return true;
}

void CSondeDBPage2::FillChannelTree() {
  QTreeWidgetItem* first =
      sondetree::Fill(tree_, m_pSheet ? m_pSheet->m_pDatabase : nullptr, m_nSondeId, m_nUserFunction);
  if (first)
    tree_->setCurrentItem(first);
  else
    EnableFields(false);
}

void CSondeDBPage2::ShowFilterParameter(bool show) {
  filterLabel_->setVisible(show);
  filterBar_->setVisible(show);
  filterValue_->setVisible(show);
}

void CSondeDBPage2::EnableFields(bool enable) {
  for (QWidget* w : std::initializer_list<QWidget*>{name_, short_, unit_, offset_, minimum_, maximum_, null_,
                                                    filterType_, filterBar_})
    w->setEnabled(enable);
}

void CSondeDBPage2::OnSelchangedChannelTree(QTreeWidgetItem* item) {
  try {
    if (m_pChannelRecordset && m_pChannelRecordset->IsOpen()) {
      SaveChannel();
      m_pChannelRecordset->Close();
    }
    shown_ = -1;
    const int key = sondetree::ChannelOf(item);
    // A root item stands for no channel: nothing is loaded and nothing can
    // be stored until a channel is chosen.
    if (key < 0 || !m_pChannelRecordset) {
      EnableFields(false);
      return;
    }
    // Only a channel of this sonde is ever opened.
    m_pChannelRecordset->Open(qv::FormatC("SELECT * FROM CHANNEL WHERE CHANNEL = %u AND SONDE = %u",
                                          static_cast<unsigned>(key), static_cast<unsigned>(m_nSondeId)));
    if (qv::CountRecords(m_pChannelRecordset.get()) != 1) {
      m_pChannelRecordset->Close();
      EnableFields(false);
      return;
    }
    qv::SondeRecordset* rs = m_pChannelRecordset.get();
    m_strHeaderDescription = qv::GetFieldString(rs, "HeaderDescription");
    m_strHeaderShort = qv::GetFieldString(rs, "HeaderShort");
    m_strUnit = qv::GetFieldString(rs, "Unit");
    m_nOffset = static_cast<int>(atol(qv::GetFieldString(rs, "Offset").c_str()));
    m_dMinimum = ReadDouble(rs, "Minimum");
    m_dMaximum = ReadDouble(rs, "Maximum");
    m_dNull = ReadDouble(rs, "ZERO");
    const int filter = atoi(qv::GetFieldString(rs, "FilterType").c_str());
    filterType_->setCurrentIndex(filter >= 0 && filter < filterType_->count() ? filter : -1);
    ShowFilterParameter(filter != 0);
    if (filter != 0) {
      const std::string parameter = qv::GetFieldString(rs, "FilterParameter");
      filterValue_->setText(qv::QStr(parameter));
      filterBar_->setValue(atoi(parameter.c_str()));
    }
    EnableFields(true);
    shown_ = key;
    loading_ = true;
    UpdateData(false);
    loading_ = false;
    m_bModified = false;
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
  }
}

void CSondeDBPage2::OnVScroll(QAbstractSlider::SliderAction action) {
  // Setting the position below reports a move of its own, which is no step.
  if (action == QAbstractSlider::SliderNoAction || scrolling_) return;
  scrolling_ = true;
  int pos = filterBar_->value();
  // The lower arrow steps down and the upper arrow up, two at a time, so an
  // odd parameter stays odd within the range.
  if (action == QAbstractSlider::SliderSingleStepAdd && kFilterMin < pos - 1) {
    pos -= 2;
    m_bModified = true;
  } else if (action == QAbstractSlider::SliderSingleStepSub && pos + 1 < kFilterMax) {
    pos += 2;
    m_bModified = true;
  }
  filterBar_->setSliderPosition(pos);
  filterValue_->setText(qv::QStr(qv::FormatC("%u", static_cast<unsigned>(pos))));
  scrolling_ = false;
}

void CSondeDBPage2::OnFilterTypeChanged() {
  // A new filter type is a change of the channel, and its parameter shows at
  // once.
  m_bModified = true;
  const int filter = filterType_->currentIndex();
  ShowFilterParameter(filter > 0);
  if (filter > 0) filterValue_->setText(qv::QStr(qv::FormatC("%u", static_cast<unsigned>(filterBar_->value()))));
}

int CSondeDBPage2::SaveChannel() {
  if (!m_bModified) return 1;
  m_bModified = false;
  qv::SondeRecordset* rs = m_pChannelRecordset.get();
  if (!rs || !rs->CanUpdate() || !AskSaveChanges()) return 1;
  if (!UpdateData(true)) {
    m_bModified = true;
    return 0;
  }
  try {
    rs->Edit();
    qv::SetFieldString(rs, "HeaderDescription", m_strHeaderDescription.c_str());
    qv::SetFieldString(rs, "HeaderShort", m_strHeaderShort.c_str());
    qv::SetFieldString(rs, "Unit", m_strUnit.c_str());
    qv::SetFieldString(rs, "Offset", qv::FormatC("%ld", static_cast<long>(m_nOffset)).c_str());
    qv::SetFieldDouble(rs, "Minimum", m_dMinimum);
    qv::SetFieldDouble(rs, "Maximum", m_dMaximum);
    qv::SetFieldDouble(rs, "ZERO", m_dNull);
    // A stored type the list cannot show leaves the list without a selection;
    // that type is kept rather than replaced by the "no selection" index.
    if (filterType_->currentIndex() >= 0)
      qv::SetFieldString(rs, "FilterType",
                         qv::FormatC("%u", static_cast<unsigned>(filterType_->currentIndex())).c_str());
    qv::SetFieldString(rs, "FilterParameter", qv::FormatC("%u", static_cast<unsigned>(filterBar_->value())).c_str());
    rs->Update();
  } catch (const qv::dao::Error& e) {
    ShowDatabaseError(&e);
    rs->CancelUpdate();
  }
  return 1;
}
